// Datetime format models: a format is compiled into a node list
// (parse_format), then walked once (DCH_processor) to write a broken-down
// time as text or to read text into one. Everything a call needs - the
// exact-match and fill-mode flags included - lives in that call's DchCall;
// nothing is kept between calls or shared between threads.
//
// Texts and formats are string views and may hold any byte (NULs included);
// every read is bounded by the view's length.
#include "types/datetime_model.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "diag/errors.h"
#include "types/datetime_model_internal.h"

namespace {

// ---- error numbers ---------------------------------------------------------------------------

constexpr int kErrFormatTwice = 1810;
constexpr int kErrAmPm = 1814;
constexpr int kErrBcAd = 1815;
constexpr int kErrInputFormat = 1820;
constexpr int kErrDateFormat = 1821;
constexpr int kErrEraFormat = 1822;
constexpr int kErrPictureEnds = 1830;
constexpr int kErrInputShort = 1840;
constexpr int kErrYear = 1841;
constexpr int kErrMonth = 1843;
constexpr int kErrWeekday = 1846;
constexpr int kErrMonthDay = 1847;
constexpr int kErrHour12 = 1849;
constexpr int kErrHour24 = 1850;
constexpr int kErrMinute = 1851;
constexpr int kErrSecond = 1852;
constexpr int kErrSecondsOfDay = 1853;
constexpr int kErrMeridian = 1855;
constexpr int kErrEra = 1856;
constexpr int kErrNumeric = 1858;
constexpr int kErrLiteral = 1861;
constexpr int kErrZoneHour = 1874;
constexpr int kErrZoneMinute = 1875;
constexpr int kErrFieldMissing = 1878;
constexpr int kErrInternal = 1891;
constexpr int kErrUnsupported = 30475;

// Oracle's date range, in astronomical years (-4713 BC .. 9999 AD).
constexpr int kMinYear = -4712;
constexpr int kMaxYear = 9999;

int Fail(DchError *err, int code, const char *arg = nullptr) {
    if (err != nullptr) {
        err->code = code;
        err->arg = arg;
        err->message = nullptr;
    }
    return -1;
}

int FailMessage(DchError *err, const char *message) {
    if (err != nullptr) {
        err->code = 0;
        err->arg = nullptr;
        err->message = message;
    }
    return -1;
}

void ReportError(OCIError *errhp, const DchError &e) {
    if (e.message != nullptr)
        AddErrorRecordMsg(errhp, OCI_ERROR, e.message);
    else if (e.arg != nullptr)
        AddErrorRecordStringX(errhp, OCI_ERROR, e.code, 1, e.arg);
    else
        AddErrorRecord(errhp, OCI_ERROR, e.code != 0 ? e.code : kErrInternal);
}

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
unsigned char ToUpper(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c; }
unsigned char ToLower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c; }

void LowerAll(std::string &s) {
    for (char &ch : s) ch = static_cast<char>(ToLower(static_cast<unsigned char>(ch)));
}
void UpperAll(std::string &s) {
    for (char &ch : s) ch = static_cast<char>(ToUpper(static_cast<unsigned char>(ch)));
}

bool IsLowerKeyword(const KeyWord *key) { return key->name[0] >= 'a' && key->name[0] <= 'z'; }

// ---- compiling ------------------------------------------------------------------------------

bool StartsWith(std::string_view s, size_t pos, const char *word, size_t len) {
    return pos <= s.size() && s.size() - pos >= len && std::memcmp(s.data() + pos, word, len) == 0;
}

// The first keyword row (hence the longest keyword) matching at `pos`.
const KeyWord *index_seq_search(std::string_view s, size_t pos) {
    const unsigned char c = static_cast<unsigned char>(s[pos]);
    if (c <= ' ' || c >= '~') return nullptr;
    const int first = DCH_index[c - ' '];
    if (first < 0) return nullptr;
    for (int i = first; i < DCH_KEYWORD_COUNT && static_cast<unsigned char>(DCH_keywords[i].name[0]) == c; ++i) {
        const KeyWord &k = DCH_keywords[i];
        if (StartsWith(s, pos, k.name, static_cast<size_t>(k.len))) return &k;
    }
    return nullptr;
}

const KeySuffix *suff_search(std::string_view s, size_t pos, KeySuffixType type) {
    for (const KeySuffix &suf : DCH_suff)
        if (suf.type == type && StartsWith(s, pos, suf.name, static_cast<size_t>(suf.len))) return &suf;
    return nullptr;
}

// Case variants of one keyword, and the two words of one indicator (AD/BC,
// AM/PM), stand for the same field.
int KeywordGroup(int id) {
    switch (id) {
    case DCH_Day: case DCH_day: return DCH_DAY;
    case DCH_Dy: case DCH_dy: return DCH_DY;
    case DCH_Month: case DCH_month: return DCH_MONTH;
    case DCH_Mon: case DCH_mon: return DCH_MON;
    case DCH_rm: return DCH_RM;
    case DCH_AD: case DCH_BC: case DCH_ad: case DCH_bc: return DCH_AD;
    case DCH_A_D: case DCH_B_C: case DCH_a_d: case DCH_b_c: return DCH_A_D;
    case DCH_AM: case DCH_PM: case DCH_am: case DCH_pm: return DCH_AM;
    case DCH_A_M: case DCH_P_M: case DCH_a_m: case DCH_p_m: return DCH_A_M;
    default: return id;
    }
}

// Keywords that set the same field when reading (-1: none shared).
int ReadFieldGroup(int id) {
    switch (KeywordGroup(id)) {
    case DCH_YYYY: case DCH_YYY: case DCH_YY: case DCH_Y: case DCH_Y_YYY: case DCH_SYYYY:
    case DCH_YEAR: case DCH_SYEAR: case DCH_RR: case DCH_RRRR:
        return DCH_YYYY;
    case DCH_MM: case DCH_MON: case DCH_MONTH: case DCH_RM: return DCH_MM;
    case DCH_HH: case DCH_HH12: case DCH_HH24: return DCH_HH;
    case DCH_FF: case DCH_MS: case DCH_US: return DCH_FF;
    case DCH_D: case DCH_DAY: case DCH_DY: return DCH_D;
    case DCH_TZD: case DCH_TZR: return DCH_TZR;
    case DCH_AD: case DCH_A_D: return DCH_AD;
    case DCH_AM: case DCH_A_M: return DCH_AM;
    default: return -1;
    }
}

// Keywords the kind or the direction does not allow.
int KindCheck(const KeyWord *key, int suffix, int kind, bool reading) {
    const int id = key->id;
    if (reading) {
        switch (id) {
        case DCH_CC: case DCH_SCC: case DCH_IW: case DCH_IYYY: case DCH_IYY: case DCH_IY: case DCH_I:
        case DCH_Q: case DCH_W: case DCH_WW:
            return kErrInputFormat;
        default: break;
        }
        if ((suffix & DCH_S_SP) != 0 && key->is_digit) return kErrInputFormat;  // spelled numbers are not read
    }
    if (kind == kModelDateDescriptor) {
        switch (id) {
        case DCH_A_M: case DCH_AM: case DCH_P_M: case DCH_PM: case DCH_a_m: case DCH_am: case DCH_p_m: case DCH_pm:
        case DCH_FF: case DCH_HH24: case DCH_HH12: case DCH_HH: case DCH_MI: case DCH_MS: case DCH_SSSSS:
        case DCH_SS: case DCH_TS: case DCH_US: case DCH_X:
            return kErrDateFormat;
        default: break;
        }
    }
    if (kind == kModelDateDescriptor || kind == kModelTimestamp) {
        if (id == DCH_TZD || id == DCH_TZH || id == DCH_TZM) return kErrDateFormat;
        if (id == DCH_TZR && reading) return kErrDateFormat;
    }
    if (kind == kModelTimestamp && (id == DCH_RM || id == DCH_rm || id == DCH_RR || id == DCH_RRRR))
        return kErrFieldMissing;
    return 0;
}

int AddKeywordNode(std::vector<FormatNode> *nodes, const FormatNode &node, int kind, bool reading, DchError *err) {
    int code = DuplicateNodeExists(*nodes, node.key, reading);
    if (code == 0) code = KindCheck(node.key, node.suffix, kind, reading);
    if (code != 0) return Fail(err, code);
    nodes->push_back(node);
    return 0;
}

const char *Expansion(int id) {
    switch (id) {
    case DCH_DS: return "MM/DD/YYYY";
    case DCH_DL: return "Day, Month DD, YYYY";
    default: return "HH:MI:SS AM";  // DCH_TS
    }
}

// Compiles `format` onto the end of `nodes`. `extra` is or-ed into every
// node's suffix; *pending holds prefixes waiting for the next node.
int ParseInto(std::string_view format, int kind, bool reading, int extra, int *pending,
              std::vector<FormatNode> *nodes, DchError *err) {
    const size_t n = format.size();
    size_t pos = 0;
    auto literal = [&](unsigned char ch) {
        FormatNode node;
        node.type = NODE_TYPE_CHAR;
        node.character = ch;
        node.suffix = *pending | extra;
        *pending = 0;
        nodes->push_back(node);
    };
    while (pos < n) {
        while (const KeySuffix *s = suff_search(format, pos, SUFFTYPE_PREFIX)) {
            if (s->id == DCH_S_FM)
                *pending ^= DCH_S_FM;
            else
                *pending |= s->id;
            pos += static_cast<size_t>(s->len);
        }
        if (pos >= n) break;
        const unsigned char c = static_cast<unsigned char>(format[pos]);
        if (c == '"') {  // quoted text: literal characters up to the closing quote
            ++pos;
            while (pos < n && format[pos] != '"') literal(static_cast<unsigned char>(format[pos++]));
            if (pos < n) ++pos;
            continue;
        }
        if (c == '\\' && pos + 1 < n && format[pos + 1] == '"') {
            literal('"');
            pos += 2;
            continue;
        }
        const KeyWord *key = index_seq_search(format, pos);
        if (key == nullptr) {
            literal(c);
            ++pos;
            continue;
        }
        pos += static_cast<size_t>(key->len);
        FormatNode node;
        node.type = NODE_TYPE_ACTION;
        node.key = key;
        node.suffix = *pending | extra;
        *pending = 0;
        if (key->id == DCH_FF && pos < n && format[pos] >= '1' && format[pos] <= '9')
            node.precision = format[pos++] - '0';
        while (const KeySuffix *s = suff_search(format, pos, SUFFTYPE_POSTFIX)) {
            node.suffix |= s->id;
            pos += static_cast<size_t>(s->len);
        }
        if (key->action == DCH_ACT_EXPAND) {
            const int code = KindCheck(key, 0, kind, reading);
            if (code != 0) return Fail(err, code);
            // The prefixes written before DS/DL/TS go to its first node.
            int carry = node.suffix & (DCH_S_FM | DCH_S_TM);
            if (ParseInto(Expansion(key->id), kind, reading, extra | DCH_S_NOPAD, &carry, nodes, err) != 0)
                return -1;
            continue;
        }
        if (AddKeywordNode(nodes, node, kind, reading, err) != 0) return -1;
    }
    return 0;
}

// ---- writing ---------------------------------------------------------------------------------

void AppendNumber(std::string &out, long long value, int width) {
    char buf[40];
    const int len = std::snprintf(buf, sizeof buf, "%0*lld", width, value);
    if (len > 0) out.append(buf, static_cast<size_t>(len) < sizeof buf ? static_cast<size_t>(len) : sizeof buf - 1);
}

const char *OrdinalSuffix(long long value, bool upper) {
    const long long a = value < 0 ? -value : value;
    const int tens = static_cast<int>(a % 100), units = static_cast<int>(a % 10);
    const char *s = "TH";
    if (tens < 11 || tens > 13) {
        if (units == 1) s = "ST";
        else if (units == 2) s = "ND";
        else if (units == 3) s = "RD";
    }
    if (upper) return s;
    if (s[0] == 'S') return "st";
    if (s[0] == 'N') return "nd";
    if (s[0] == 'R') return "rd";
    return "th";
}

void AppendUnder100(std::string &out, int n) {
    if (n < 20) {
        out += number_units[n];
        return;
    }
    out += number_tens[n / 10];
    if (n % 10 != 0) {
        out += '-';
        out += number_units[n % 10];
    }
}

void AppendUnder1000(std::string &out, int n) {
    const int hundreds = n / 100, rest = n % 100;
    if (hundreds > 0) {
        out += number_units[hundreds];
        out += ' ';
        out += number_scales[0];
        if (rest > 0) out += ' ';
    }
    if (rest > 0) AppendUnder100(out, rest);
}

// A whole number in upper-case English words ("TWO THOUSAND TWENTY-FOUR").
std::string SpellNumber(long long value) {
    std::string out;
    unsigned long long v = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    if (value < 0) out = "MINUS ";
    if (v == 0) return out + number_units[0];
    if (v >= 1000000000000ULL) {  // beyond the words known: digits
        char buf[32];
        std::snprintf(buf, sizeof buf, "%llu", v);
        return out + buf;
    }
    static const unsigned long long kScales[3] = {1000000000ULL, 1000000ULL, 1000ULL};
    static const int kScaleWord[3] = {3, 2, 1};
    bool first = true;
    for (int s = 0; s < 3; ++s) {
        if (v < kScales[s]) continue;
        if (!first) out += ' ';
        AppendUnder1000(out, static_cast<int>(v / kScales[s]));
        out += ' ';
        out += number_scales[kScaleWord[s]];
        v %= kScales[s];
        first = false;
    }
    if (v > 0) {
        if (!first) out += ' ';
        AppendUnder1000(out, static_cast<int>(v));
    }
    return out;
}

// "TWENTY-ONE" -> "TWENTY-FIRST", "TWELVE" -> "TWELFTH", "FORTY" -> "FORTIETH".
std::string OrdinalWords(const std::string &words) {
    const size_t cut = words.find_last_of(" -");
    const size_t start = cut == std::string::npos ? 0 : cut + 1;
    std::string last = words.substr(start);
    std::string head = words.substr(0, start);
    for (const auto &pair : number_ordinals)
        if (last == pair[0]) return head + pair[1];
    if (!last.empty() && last.back() == 'Y') {
        last.pop_back();
        return head + last + "IETH";
    }
    return head + last + "TH";
}

// The year in words, as pairs of digits: 2024 "TWENTY TWENTY-FOUR", 2005
// "TWO THOUSAND FIVE", 1900 "NINETEEN HUNDRED", 2000 "TWO THOUSAND".
std::string YearWords(int year) {
    std::string out;
    const int hi = year / 100, lo = year % 100;
    if (hi == 0) {
        AppendUnder100(out, lo);
    } else if (lo == 0 || (lo < 10 && hi % 10 == 0)) {
        if (hi % 10 == 0) {
            AppendUnder100(out, hi / 10);
            out += ' ';
            out += number_scales[1];
        } else {
            AppendUnder100(out, hi);
            out += ' ';
            out += number_scales[0];
        }
        if (lo != 0) {
            out += ' ';
            AppendUnder100(out, lo);
        }
    } else {
        AppendUnder100(out, hi);
        out += ' ';
        AppendUnder100(out, lo);
    }
    return out;
}

int WriteNumber(DchCall *c, const FormatNode &n, long long value, int width) {
    std::string &out = *c->out;
    if ((n.suffix & DCH_S_SP) != 0) {
        std::string words = SpellNumber(value);
        if ((n.suffix & (DCH_S_TH | DCH_S_th)) != 0) words = OrdinalWords(words);
        if (IsLowerKeyword(n.key)) LowerAll(words);
        out += words;
        return 0;
    }
    AppendNumber(out, value, c->fill ? 0 : width);
    if ((n.suffix & DCH_S_TH) != 0)
        out += OrdinalSuffix(value, true);
    else if ((n.suffix & DCH_S_th) != 0)
        out += OrdinalSuffix(value, false);
    return 0;
}

// A signed field: '-' when negative, else a blank (nothing in fill mode).
int WriteSignedNumber(DchCall *c, const FormatNode &n, bool negative, long long magnitude, int width) {
    if (negative)
        *c->out += '-';
    else if (!c->fill)
        *c->out += ' ';
    return WriteNumber(c, n, magnitude, width);
}

enum NameCase { kAsWritten, kUpper, kLower };

void WriteName(DchCall *c, const FormatNode &n, const char *name, NameCase nameCase, size_t padTo) {
    std::string s = name;
    if (nameCase == kUpper) UpperAll(s);
    if (nameCase == kLower) LowerAll(s);
    *c->out += s;
    if (!c->fill && (n.suffix & DCH_S_NOPAD) == 0 && s.size() < padTo) c->out->append(padTo - s.size(), ' ');
}

NameCase CaseOf(int id) {
    switch (id) {
    case DCH_DAY: case DCH_DY: case DCH_MONTH: case DCH_MON: return kUpper;
    case DCH_day: case DCH_dy: case DCH_month: case DCH_mon: return kLower;
    default: return kAsWritten;
    }
}

// The zone of the value as "+hh:mm", or the zone text it carries.
std::string ZoneText(const pg_tm &tm) {
    if (tm.tm_zone != nullptr) {
        const size_t len = strnlen(tm.tm_zone, 64);
        if (len > 0) return std::string(tm.tm_zone, len);
    }
    const long off = tm.tm_gmtoff;
    const unsigned long a = off < 0 ? 0UL - static_cast<unsigned long>(off) : static_cast<unsigned long>(off);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%c%02lu:%02lu", off < 0 ? '-' : '+', a / 3600, a / 60 % 60);
    return buf;
}

// Monday of ISO week 1 of `year`, as a Julian day.
int IsoWeekOneMonday(int year) {
    const int day4 = date2j(year, 1, 4);
    return day4 - j2day(day4 - 1);
}

void IsoWeekAndYear(int year, int jd, int *week, int *isoYear) {
    int start = IsoWeekOneMonday(year);
    int iy = year;
    if (jd < start) {
        iy = year - 1;
        start = IsoWeekOneMonday(iy);
    } else {
        const int next = IsoWeekOneMonday(year + 1);
        if (jd >= next) {
            iy = year + 1;
            start = next;
        }
    }
    *week = (jd - start) / 7 + 1;
    *isoYear = iy;
}

// Refuses values whose fields the tables cannot index; derives the rest.
int PrepareWrite(DchCall *c) {
    const pg_tm &tm = c->value->tm;
    if (tm.tm_year < kMinYear || tm.tm_year > kMaxYear) return Fail(c->err, kErrYear);
    if (tm.tm_mon < 1 || tm.tm_mon > 12) return Fail(c->err, kErrMonth);
    if (tm.tm_mday < 1 || tm.tm_mday > 31) return Fail(c->err, kErrMonthDay);
    if (tm.tm_hour < 0 || tm.tm_hour > 23) return Fail(c->err, kErrHour24);
    if (tm.tm_min < 0 || tm.tm_min > 59) return Fail(c->err, kErrMinute);
    if (tm.tm_sec < 0 || tm.tm_sec > 59) return Fail(c->err, kErrSecond);
    DchWriteFields &f = c->fields;
    f.year = tm.tm_year;
    f.bc = tm.tm_year <= 0;
    f.yearAbs = f.bc ? 1 - tm.tm_year : tm.tm_year;
    f.julian = date2j(tm.tm_year, tm.tm_mon, tm.tm_mday);
    f.wday = j2day(f.julian);
    f.yday = f.julian - date2j(tm.tm_year, 1, 1) + 1;
    int isoYear = 0;
    IsoWeekAndYear(tm.tm_year, f.julian, &f.isoWeek, &isoYear);
    f.isoYearAbs = isoYear <= 0 ? 1 - isoYear : isoYear;
    return 0;
}

fsec_t ValueFraction(const ModelValue &v) {
    if (v.fsec < 0) return 0;
    return v.fsec > 999999 ? 999999 : v.fsec;
}

int WriteDate(DchCall *c, const FormatNode &n) {
    const pg_tm &tm = c->value->tm;
    const DchWriteFields &f = c->fields;
    std::string &out = *c->out;
    switch (n.key->id) {
    case DCH_AD: case DCH_BC: out += f.bc ? "BC" : "AD"; return 0;
    case DCH_A_D: case DCH_B_C: out += f.bc ? "B.C." : "A.D."; return 0;
    case DCH_ad: case DCH_bc: out += f.bc ? "bc" : "ad"; return 0;
    case DCH_a_d: case DCH_b_c: out += f.bc ? "b.c." : "a.d."; return 0;
    case DCH_CC: return WriteNumber(c, n, (f.yearAbs + 99) / 100, 2);
    case DCH_SCC: return WriteSignedNumber(c, n, f.bc, (f.yearAbs + 99) / 100, 2);
    case DCH_D: return WriteNumber(c, n, f.wday + 1, 1);
    case DCH_DD: return WriteNumber(c, n, tm.tm_mday, 2);
    case DCH_DDD: return WriteNumber(c, n, f.yday, 3);
    case DCH_DAY: case DCH_Day: case DCH_day:
        WriteName(c, n, days_full[f.wday], CaseOf(n.key->id), kMaxDayNameLen);
        return 0;
    case DCH_DY: case DCH_Dy: case DCH_dy:
        WriteName(c, n, days_short[f.wday], CaseOf(n.key->id), 3);
        return 0;
    case DCH_FF: {
        const int digits = n.precision > 0 ? n.precision : 6;
        long long v = ValueFraction(*c->value);
        for (int k = digits; k < 6; ++k) v /= 10;
        for (int k = 6; k < digits; ++k) v *= 10;
        AppendNumber(out, v, digits);
        return 0;
    }
    case DCH_IW: return WriteNumber(c, n, f.isoWeek, 2);
    case DCH_IYYY: return WriteNumber(c, n, f.isoYearAbs, 4);
    case DCH_IYY: return WriteNumber(c, n, f.isoYearAbs % 1000, 3);
    case DCH_IY: return WriteNumber(c, n, f.isoYearAbs % 100, 2);
    case DCH_I: return WriteNumber(c, n, f.isoYearAbs % 10, 1);
    case DCH_J: return WriteNumber(c, n, f.julian, 7);
    case DCH_MM: return WriteNumber(c, n, tm.tm_mon, 2);
    case DCH_MONTH: case DCH_Month: case DCH_month:
        WriteName(c, n, months_full[tm.tm_mon - 1], CaseOf(n.key->id), kMaxMonthNameLen);
        return 0;
    case DCH_MON: case DCH_Mon: case DCH_mon:
        WriteName(c, n, months_short[tm.tm_mon - 1], CaseOf(n.key->id), 3);
        return 0;
    case DCH_Q: return WriteNumber(c, n, (tm.tm_mon - 1) / 3 + 1, 1);
    case DCH_RM: WriteName(c, n, rm_months_upper[tm.tm_mon - 1], kAsWritten, kMaxRomanMonthLen); return 0;
    case DCH_rm: WriteName(c, n, rm_months_lower[tm.tm_mon - 1], kAsWritten, kMaxRomanMonthLen); return 0;
    case DCH_SYEAR:
        if (f.bc)
            out += '-';
        else if (!c->fill)
            out += ' ';
        out += YearWords(f.yearAbs);
        return 0;
    case DCH_YEAR: out += YearWords(f.yearAbs); return 0;
    case DCH_SYYYY: return WriteSignedNumber(c, n, f.bc, f.yearAbs, 4);
    case DCH_YYYY: return WriteNumber(c, n, f.yearAbs, 4);
    case DCH_YYY: return WriteNumber(c, n, f.yearAbs % 1000, 3);
    case DCH_YY: return WriteNumber(c, n, f.yearAbs % 100, 2);
    case DCH_Y: return WriteNumber(c, n, f.yearAbs % 10, 1);
    case DCH_Y_YYY: {
        if ((n.suffix & DCH_S_SP) != 0) return WriteNumber(c, n, f.yearAbs, 0);
        char buf[32];
        std::snprintf(buf, sizeof buf, "%d,%03d", f.yearAbs / 1000, f.yearAbs % 1000);
        out += buf;
        if ((n.suffix & (DCH_S_TH | DCH_S_th)) != 0) out += OrdinalSuffix(f.yearAbs, (n.suffix & DCH_S_TH) != 0);
        return 0;
    }
    case DCH_WW: return WriteNumber(c, n, (f.yday - 1) / 7 + 1, 2);
    case DCH_W: return WriteNumber(c, n, (tm.tm_mday - 1) / 7 + 1, 1);
    default: return Fail(c->err, kErrInternal);  // E, EE, RR, RRRR: refused before the walk
    }
}

int WriteTime(DchCall *c, const FormatNode &n) {
    const pg_tm &tm = c->value->tm;
    std::string &out = *c->out;
    const bool pm = tm.tm_hour >= 12;
    switch (n.key->id) {
    case DCH_AM: case DCH_PM: out += pm ? "PM" : "AM"; return 0;
    case DCH_A_M: case DCH_P_M: out += pm ? "P.M." : "A.M."; return 0;
    case DCH_am: case DCH_pm: out += pm ? "pm" : "am"; return 0;
    case DCH_a_m: case DCH_p_m: out += pm ? "p.m." : "a.m."; return 0;
    case DCH_HH: case DCH_HH12: return WriteNumber(c, n, tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12, 2);
    case DCH_HH24: return WriteNumber(c, n, tm.tm_hour, 2);
    case DCH_MI: return WriteNumber(c, n, tm.tm_min, 2);
    case DCH_SS: return WriteNumber(c, n, tm.tm_sec, 2);
    case DCH_SSSSS: return WriteNumber(c, n, tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec, 5);
    case DCH_MS: return WriteNumber(c, n, ValueFraction(*c->value) / 1000, 3);
    case DCH_US: return WriteNumber(c, n, ValueFraction(*c->value), 6);
    case DCH_TZD: case DCH_TZR: out += ZoneText(tm); return 0;
    case DCH_TZH: case DCH_TZM: {
        const long off = tm.tm_gmtoff;
        const unsigned long a = off < 0 ? 0UL - static_cast<unsigned long>(off) : static_cast<unsigned long>(off);
        if (n.key->id == DCH_TZM) return WriteNumber(c, n, static_cast<long long>(a / 60 % 60), 2);
        out += off < 0 ? '-' : '+';
        return WriteNumber(c, n, static_cast<long long>(a / 3600), 2);
    }
    case DCH_X: out += '.'; return 0;
    default: return Fail(c->err, kErrInternal);
    }
}

// ---- reading ---------------------------------------------------------------------------------

size_t Remaining(const DchCall *c) { return c->pos < c->text.size() ? c->text.size() - c->pos : 0; }

unsigned char TextAt(const DchCall *c, size_t at) { return static_cast<unsigned char>(c->text[at]); }

void SkipBlanks(DchCall *c) {
    while (c->pos < c->text.size() && IsBlank(TextAt(c, c->pos))) ++c->pos;
}

// `word` at `at`, without regard to case.
bool MatchesAt(const DchCall *c, size_t at, const char *word, size_t len) {
    if (at > c->text.size() || c->text.size() - at < len) return false;
    for (size_t k = 0; k < len; ++k)
        if (ToUpper(TextAt(c, at + k)) != ToUpper(static_cast<unsigned char>(word[k]))) return false;
    return true;
}


// The longest of `words[from..to)` at `at` (its index, length in *len), or -1.
int LongestWordAt(const DchCall *c, size_t at, const char *const *words, int from, int to, size_t *len) {
    int best = -1;
    size_t bestLen = 0;
    for (int v = from; v < to; ++v) {
        const size_t l = std::strlen(words[v]);
        if (l > bestLen && MatchesAt(c, at, words[v], l)) {
            best = v;
            bestLen = l;
        }
    }
    *len = bestLen;
    return best;
}

// The longest of `names` at the cursor, or -1.
int MatchLongest(const DchCall *c, const char *const *names, int count, size_t *len) {
    return LongestWordAt(c, c->pos, names, 0, count, len);
}

bool WordEndsAt(const DchCall *c, size_t at) { return at >= c->text.size() || !IsAlpha(TextAt(c, at)); }

// A full or abbreviated name; the index into the tables, or -1. For an
// abbreviating keyword (DY, MON) a full name is taken only when it ends a
// word, so that "SUNDAYS" is read as "SUN" followed by text.
int MatchName(DchCall *c, const char *const *full, const char *const *shortNames, int count, bool abbreviation) {
    size_t fullLen = 0, shortLen = 0;
    const int f = MatchLongest(c, full, count, &fullLen);
    const int s = MatchLongest(c, shortNames, count, &shortLen);
    const bool takeFull = f >= 0 && (!abbreviation || s < 0 || WordEndsAt(c, c->pos + fullLen));
    if (takeFull) {
        c->pos += fullLen;
        return f;
    }
    if (s < 0) return -1;
    c->pos += shortLen;
    return s;
}

// A name written padded may be followed by its padding blanks.
void SkipNamePadding(DchCall *c, const FormatNode &n, size_t nameStart, size_t padTo) {
    if (c->fill || (n.suffix & DCH_S_NOPAD) != 0) return;
    while (c->pos - nameStart < padTo && c->pos < c->text.size() && TextAt(c, c->pos) == ' ') ++c->pos;
}

void SkipOrdinal(DchCall *c) {
    static const char *const kSuffixes[4] = {"ST", "ND", "RD", "TH"};
    for (const char *s : kSuffixes)
        if (MatchesAt(c, c->pos, s, 2)) {
            c->pos += 2;
            return;
        }
}

// Digits at the cursor: at least one and at most `longest`; in exact mode
// without fill mode exactly `width`. 1858 when a digit is missing.
int ReadNumber(DchCall *c, const FormatNode &n, int width, int longest, long long *value, int *count = nullptr) {
    int k = 0;
    long long v = 0;
    while (k < longest && c->pos < c->text.size() && IsDigit(TextAt(c, c->pos))) {
        v = v * 10 + (TextAt(c, c->pos) - '0');
        ++k;
        ++c->pos;
    }
    if (k == 0 || (c->exact && !c->fill && k < width)) return Fail(c->err, kErrNumeric);
    if ((n.suffix & (DCH_S_TH | DCH_S_th)) != 0 && n.key->id != DCH_FF) SkipOrdinal(c);  // FF has none
    *value = v;
    if (count != nullptr) *count = k;
    return 0;
}

int ReadInt(DchCall *c, const FormatNode &n, int width, int *out) {
    long long v = 0;
    if (ReadNumber(c, n, width, width, &v) != 0) return -1;
    *out = static_cast<int>(v);
    return 0;
}

// Whether the field after node i is not a number written right after it (so
// a numeric field may take more digits than its width).
bool IsNextSeparator(const std::vector<FormatNode> &nodes, size_t i) {
    if ((nodes[i].suffix & (DCH_S_TH | DCH_S_th)) != 0 && nodes[i].key->id != DCH_FF) return true;  // an ordinal follows
    size_t k = i + 1;
    while (k < nodes.size() && nodes[k].type == NODE_TYPE_ACTION && nodes[k].key->action == DCH_ACT_FLAG) ++k;
    if (k >= nodes.size()) return true;
    const FormatNode &next = nodes[k];
    if (next.type == NODE_TYPE_CHAR) return !IsDigit(next.character);
    return next.type != NODE_TYPE_ACTION || !next.key->is_digit;
}

void SetYear(DchCall *c, int year) {
    c->acc->year = year;
    c->acc->yearSet = true;
}

// YYY, YY, Y: the leading digits come from the current year; outside exact
// mode a four-digit year is taken whole when no number follows directly.
int ReadPartialYear(DchCall *c, const std::vector<FormatNode> &nodes, size_t i, int width) {
    const bool widen = !c->exact && IsNextSeparator(nodes, i);
    long long v = 0;
    int count = 0;
    if (ReadNumber(c, nodes[i], width, widen ? 4 : width, &v, &count) != 0) return -1;
    int year = static_cast<int>(v);
    if (count <= width) {
        const int scale = width == 3 ? 1000 : width == 2 ? 100 : 10;
        year += c->currentYear / scale * scale;
    }
    SetYear(c, year);
    return 0;
}

int ReadSignedYear(DchCall *c, const FormatNode &n) {
    bool negative = false;
    if (c->pos < c->text.size()) {
        const unsigned char s = TextAt(c, c->pos);
        if (s == '-' || s == '+' || s == ' ') {
            negative = s == '-';
            ++c->pos;
        }
    }
    long long v = 0;
    if (ReadNumber(c, n, 4, 4, &v) != 0) return -1;
    SetYear(c, negative ? -static_cast<int>(v) : static_cast<int>(v));
    return 0;
}

// "Y,YYY": up to four digits, or the thousands, a comma and three digits.
int ReadCommaYear(DchCall *c, const FormatNode &n) {
    long long thousands = 0, rest = 0;
    int count = 0;
    if (ReadNumber(c, n, 1, 4, &thousands, &count) != 0) return -1;
    long long year = thousands;
    if (count <= 2 && Remaining(c) >= 2 && TextAt(c, c->pos) == ',' && IsDigit(TextAt(c, c->pos + 1))) {
        ++c->pos;
        if (ReadNumber(c, n, 3, 3, &rest) != 0) return -1;
        year = thousands * 1000 + rest;
    }
    SetYear(c, static_cast<int>(year));
    return 0;
}

// A number 1..99 in words at `at` ("SEVENTEEN", "TWENTY-FOUR"); -1 if none.
// The longest word wins, so "SEVENTEEN" is not read as "SEVEN".
int WordsUnder100At(const DchCall *c, size_t at, size_t *end) {
    size_t unitLen = 0, tensLen = 0;
    const int unit = LongestWordAt(c, at, number_units, 1, 20, &unitLen);
    const int tens = LongestWordAt(c, at, number_tens, 2, 10, &tensLen);
    if (unit < 0 && tens < 0) return -1;
    if (unit >= 0 && unitLen > tensLen) {
        *end = at + unitLen;
        return unit;
    }
    size_t e = at + tensLen;
    int v = tens * 10;
    size_t l = 0;
    if (e < c->text.size() && TextAt(c, e) == '-') {
        const int u = LongestWordAt(c, e + 1, number_units, 1, 10, &l);
        if (u > 0) {
            v += u;
            e += 1 + l;
        }
    }
    *end = e;
    return v;
}

size_t BlanksFrom(const DchCall *c, size_t at) {
    while (at < c->text.size() && IsBlank(TextAt(c, at))) ++at;
    return at;
}

// The year in words as YEAR writes it (also "n THOUSAND m", "n HUNDRED m").
int ReadYearWords(DchCall *c, int *year) {
    size_t end = 0;
    const int hi = WordsUnder100At(c, c->pos, &end);
    if (hi < 0) return Fail(c->err, kErrYear);
    int y = hi;
    size_t pos = end;
    const size_t next = BlanksFrom(c, pos);
    if (next > pos) {
        int scale = 0;
        for (int s = 1; s >= 0; --s) {  // THOUSAND, HUNDRED
            const size_t l = std::strlen(number_scales[s]);
            if (MatchesAt(c, next, number_scales[s], l)) {
                scale = s == 1 ? 1000 : 100;
                pos = next + l;
                break;
            }
        }
        size_t loStart = scale != 0 ? BlanksFrom(c, pos) : next;
        size_t loEnd = 0;
        const int lo = (loStart > pos || scale == 0) ? WordsUnder100At(c, loStart, &loEnd) : -1;
        if (scale != 0) {
            y = hi * scale + (lo >= 0 ? lo : 0);
            if (lo >= 0) pos = loEnd;
        } else if (lo >= 0) {
            y = hi * 100 + lo;
            pos = loEnd;
        }
    }
    c->pos = pos;
    *year = y;
    return 0;
}

// TZD, TZR: "+hh:mm", "-hhmm", "+h" or a zone name the calendar knows.
int ReadZone(DchCall *c) {
    TmFromChar *a = c->acc;
    const size_t size = c->text.size();
    const unsigned char first = TextAt(c, c->pos);
    if (first == '+' || first == '-' || IsDigit(first)) {
        const bool negative = first == '-';
        if (!IsDigit(first)) ++c->pos;
        int hours = 0, minutes = 0, k = 0;
        while (k < 2 && c->pos < size && IsDigit(TextAt(c, c->pos))) hours = hours * 10 + (TextAt(c, c->pos++) - '0'), ++k;
        if (k == 0) return Fail(c->err, kErrZoneHour);
        if (c->pos < size && TextAt(c, c->pos) == ':') ++c->pos;
        k = 0;
        while (k < 2 && c->pos < size && IsDigit(TextAt(c, c->pos))) minutes = minutes * 10 + (TextAt(c, c->pos++) - '0'), ++k;
        const int signedHours = negative ? -hours : hours;
        if (signedHours < -12 || signedHours > 14) return Fail(c->err, kErrZoneHour);
        if (minutes > 59) return Fail(c->err, kErrZoneMinute);
        a->zoneOffset = (negative ? -1 : 1) * (hours * 3600 + minutes * 60);
        a->zoneSet = true;
        return 0;
    }
    const size_t start = c->pos;
    while (c->pos < size && c->pos - start < 64 &&
           (IsAlpha(TextAt(c, c->pos)) || TextAt(c, c->pos) == '_' || TextAt(c, c->pos) == '/'))
        ++c->pos;
    int offset = 0;
    if (c->pos == start || DecodeTZ(c->text.data() + start, c->pos - start, &offset, nullptr, nullptr, nullptr) != 0)
        return Fail(c->err, kErrZoneHour);
    a->zoneOffset = offset;
    a->zoneSet = true;
    return 0;
}

int ReadDate(DchCall *c, const std::vector<FormatNode> &nodes, size_t i) {
    const FormatNode &n = nodes[i];
    TmFromChar *a = c->acc;
    size_t len = 0;
    switch (n.key->id) {
    case DCH_AD: case DCH_BC: case DCH_ad: case DCH_bc:
    case DCH_A_D: case DCH_B_C: case DCH_a_d: case DCH_b_c: {
        const int k = MatchLongest(c, era_words, 4, &len);
        if (k < 0) return Fail(c->err, kErrEra);
        c->pos += len;
        a->bc = k == 1 || k == 3;
        a->eraSet = true;
        return 0;
    }
    case DCH_D: {
        int d = 0;
        if (ReadInt(c, n, 1, &d) != 0) return -1;
        if (d < 1 || d > 7) return Fail(c->err, kErrWeekday);
        return 0;  // the weekday follows from the date
    }
    case DCH_DD:
        a->mdaySet = true;
        return ReadInt(c, n, 2, &a->mday);
    case DCH_DDD:
        a->dddSet = true;
        return ReadInt(c, n, 3, &a->ddd);
    case DCH_DAY: case DCH_Day: case DCH_day: case DCH_DY: case DCH_Dy: case DCH_dy: {
        const size_t start = c->pos;
        const bool full = KeywordGroup(n.key->id) == DCH_DAY;
        if (MatchName(c, days_full, days_short, 7, !full) < 0) return Fail(c->err, kErrWeekday);
        SkipNamePadding(c, n, start, full ? kMaxDayNameLen : 3);
        return 0;
    }
    case DCH_FF: {
        // As many digits as written when a number follows directly.
        const int width = n.precision > 0 ? n.precision : 1;
        const int longest = !IsNextSeparator(nodes, i) ? (n.precision > 0 ? n.precision : 6)
                            : (c->exact && n.precision > 0) ? n.precision : 9;
        long long v = 0;
        int count = 0;
        if (ReadNumber(c, n, width, longest, &v, &count) != 0) return -1;
        for (int k = count; k < 6; ++k) v *= 10;
        for (int k = 6; k < count; ++k) v /= 10;
        a->fsec = static_cast<fsec_t>(v);
        return 0;
    }
    case DCH_J: {
        long long v = 0;
        if (ReadNumber(c, n, 7, 7, &v) != 0) return -1;
        a->julian = static_cast<int>(v);
        a->julianSet = true;
        return 0;
    }
    case DCH_MM:
        a->monthSet = true;
        return ReadInt(c, n, 2, &a->month);
    case DCH_MONTH: case DCH_Month: case DCH_month: case DCH_MON: case DCH_Mon: case DCH_mon: {
        const size_t start = c->pos;
        const bool full = KeywordGroup(n.key->id) == DCH_MONTH;
        const int m = MatchName(c, months_full_upper, months_short_upper, 12, !full);
        if (m < 0) return Fail(c->err, kErrMonth);
        SkipNamePadding(c, n, start, full ? kMaxMonthNameLen : 3);
        a->month = m + 1;
        a->monthSet = true;
        return 0;
    }
    case DCH_RM: case DCH_rm: {
        const size_t start = c->pos;
        const int m = MatchLongest(c, rm_months_upper, 12, &len);
        if (m < 0) return Fail(c->err, kErrMonth);
        c->pos += len;
        SkipNamePadding(c, n, start, kMaxRomanMonthLen);
        a->month = m + 1;
        a->monthSet = true;
        return 0;
    }
    case DCH_SYEAR: case DCH_YEAR: {
        bool negative = false;
        if (n.key->id == DCH_SYEAR && c->pos < c->text.size() &&
            (TextAt(c, c->pos) == '-' || TextAt(c, c->pos) == '+' || TextAt(c, c->pos) == ' ')) {
            negative = TextAt(c, c->pos) == '-';
            ++c->pos;
            if (!c->exact) SkipBlanks(c);
        }
        int y = 0;
        if (ReadYearWords(c, &y) != 0) return -1;
        SetYear(c, negative ? -y : y);
        return 0;
    }
    case DCH_SYYYY: return ReadSignedYear(c, n);
    case DCH_YYYY: {
        long long v = 0;
        if (ReadNumber(c, n, 4, 4, &v) != 0) return -1;
        SetYear(c, static_cast<int>(v));
        return 0;
    }
    case DCH_YYY: return ReadPartialYear(c, nodes, i, 3);
    case DCH_YY: return ReadPartialYear(c, nodes, i, 2);
    case DCH_Y: return ReadPartialYear(c, nodes, i, 1);
    case DCH_Y_YYY: return ReadCommaYear(c, n);
    default: return Fail(c->err, kErrInputFormat);  // refused when compiled
    }
}

int ReadTime(DchCall *c, const std::vector<FormatNode> &nodes, size_t i) {
    const FormatNode &n = nodes[i];
    TmFromChar *a = c->acc;
    switch (n.key->id) {
    case DCH_AM: case DCH_PM: case DCH_am: case DCH_pm:
    case DCH_A_M: case DCH_P_M: case DCH_a_m: case DCH_p_m: {
        size_t len = 0;
        const int k = MatchLongest(c, meridian_words, 4, &len);
        if (k < 0) return Fail(c->err, kErrMeridian);
        c->pos += len;
        a->pm = k == 1 || k == 3;
        a->meridianSet = true;
        return 0;
    }
    case DCH_HH: case DCH_HH12:
        a->clock12 = true;
        a->hourSet = true;
        return ReadInt(c, n, 2, &a->hour);
    case DCH_HH24:
        a->hourSet = true;
        return ReadInt(c, n, 2, &a->hour);
    case DCH_MI:
        a->minuteSet = true;
        return ReadInt(c, n, 2, &a->minute);
    case DCH_SS:
        a->secondSet = true;
        return ReadInt(c, n, 2, &a->second);
    case DCH_SSSSS:
        a->sssssSet = true;
        return ReadInt(c, n, 5, &a->sssss);
    case DCH_MS: {
        int ms = 0;
        if (ReadInt(c, n, 3, &ms) != 0) return -1;
        a->fsec = ms * 1000;
        return 0;
    }
    case DCH_US: return ReadInt(c, n, 6, &a->fsec);
    case DCH_TZD: case DCH_TZR: return ReadZone(c);
    case DCH_TZH: {
        if (c->pos < c->text.size() && (TextAt(c, c->pos) == '-' || TextAt(c, c->pos) == '+')) {
            a->tzNegative = TextAt(c, c->pos) == '-';
            ++c->pos;
        }
        a->tzhSet = true;
        return ReadInt(c, n, 2, &a->tzh);
    }
    case DCH_TZM:
        a->tzmSet = true;
        return ReadInt(c, n, 2, &a->tzm);
    case DCH_X:
        if (TextAt(c, c->pos) != '.') return Fail(c->err, kErrLiteral, "string");
        ++c->pos;
        return 0;
    default: return Fail(c->err, kErrInternal);
    }
}

// The text is used up: remember whether a year was still to come.
void MarkUnreached(const std::vector<FormatNode> &nodes, size_t from, TmFromChar *a) {
    for (size_t i = from; i < nodes.size(); ++i)
        if (nodes[i].type == NODE_TYPE_ACTION && ReadFieldGroup(nodes[i].key->id) == DCH_YYYY) a->yearAbsent = true;
}

// Keywords refused when their field is processed.
int ProcessCheck(const FormatNode &n, int kind, DchError *err) {
    switch (n.key->id) {
    case DCH_FF:
        if (kind == kModelDateDescriptor) return Fail(err, kErrDateFormat);
        if (kind == kModelOCIDate) return Fail(err, kErrEraFormat);
        return 0;
    case DCH_E: case DCH_EE:
        if (kind >= kModelDateDescriptor && kind <= kModelTimestamp) return Fail(err, kErrEraFormat);
        return Fail(err, kErrUnsupported, n.key->name);
    case DCH_RR: case DCH_RRRR:
        return Fail(err, kErrUnsupported, "RR");
    default:
        return 0;
    }
}

// Turns what the text gave into the value, with the range checks.
int FinishRead(const TmFromChar &a, int currentYear, int currentMonth, ModelValue *result, DchError *err) {
    int year;
    if (a.yearSet) {
        int y = a.year;
        if (y == 0) return Fail(err, kErrYear);
        if (a.bc && y > 0) y = -y;
        year = OracleYearToAstronomical(y);
    } else {
        year = a.bc ? 1 - currentYear : currentYear;
    }
    int month = a.monthSet ? a.month : currentMonth;
    int mday = a.mdaySet ? a.mday : 1;
    if (a.julianSet) j2date(a.julian, &year, &month, &mday);
    if (year < kMinYear || year > kMaxYear) return Fail(err, kErrYear);
    if (a.dddSet && !a.julianSet) {
        if (a.yearAbsent) return FailMessage(err, kDayOfYearWithoutYear);
        const int leap = IsLeapYear(year) ? 1 : 0;
        if (a.ddd < 1 || a.ddd > ysum[leap][12]) return Fail(err, kErrMonthDay);
        int m = 1;
        while (m < 12 && a.ddd > ysum[leap][m]) ++m;
        month = m;
        mday = a.ddd - ysum[leap][m - 1];
    }
    if (month < 1 || month > 12) return Fail(err, kErrMonth);
    if (mday < 1 || mday > 31) return Fail(err, kErrMonthDay);
    int hour = a.hour, minute = a.minute, second = a.second;
    if (a.clock12) {
        if (hour < 1 || hour > 12) return Fail(err, kErrHour12);
        if (a.pm && hour < 12)
            hour += 12;
        else if (!a.pm && hour == 12)
            hour = 0;
    }
    if (hour > 23) return Fail(err, kErrHour24);
    if (minute > 59) return Fail(err, kErrMinute);
    if (second > 59) return Fail(err, kErrSecond);
    if (a.sssssSet) {
        if (a.sssss > 86399) return Fail(err, kErrSecondsOfDay);
        hour = a.sssss / 3600;
        minute = a.sssss / 60 % 60;
        second = a.sssss % 60;
    }
    int offset = 0;
    bool zone = false;
    if (a.tzhSet || a.tzmSet) {
        const int signedHours = a.tzNegative ? -a.tzh : a.tzh;
        if (signedHours < -12 || signedHours > 14) return Fail(err, kErrZoneHour);
        if (a.tzm > 59) return Fail(err, kErrZoneMinute);
        offset = (a.tzNegative ? -1 : 1) * (a.tzh * 3600 + a.tzm * 60);
        zone = true;
    } else if (a.zoneSet) {
        offset = a.zoneOffset;
        zone = true;
    }
    ModelValue v;
    v.tm.tm_year = year;
    v.tm.tm_mon = month;
    v.tm.tm_mday = mday;
    v.tm.tm_hour = hour;
    v.tm.tm_min = minute;
    v.tm.tm_sec = second;
    if (mday <= DaysInMonth(year, month)) {
        const int jd = date2j(year, month, mday);
        v.tm.tm_wday = j2day(jd);
        v.tm.tm_yday = jd - date2j(year, 1, 1) + 1;
    }
    v.tm.tm_gmtoff = zone ? offset : 0;
    v.fsec = a.fsec;
    v.hasZone = zone;
    *result = v;
    return 0;
}

}  // namespace

// ---- the interface of the internal header ------------------------------------------------------

int DuplicateNodeExists(const std::vector<FormatNode> &nodes, const KeyWord *key, bool reading) {
    const int group = KeywordGroup(key->id);
    const int field = reading ? ReadFieldGroup(key->id) : -1;
    for (const FormatNode &n : nodes) {
        if (n.type != NODE_TYPE_ACTION) continue;
        if (n.key->id == key->id) return kErrFormatTwice;
        const int other = KeywordGroup(n.key->id);
        if ((group == DCH_AD && other == DCH_A_D) || (group == DCH_A_D && other == DCH_AD)) return kErrBcAd;
        if ((group == DCH_AM && other == DCH_A_M) || (group == DCH_A_M && other == DCH_AM)) return kErrAmPm;
        if (!reading) continue;
        const int otherField = ReadFieldGroup(n.key->id);
        if (field >= 0 && field == otherField) return kErrFormatTwice;
        if ((group == DCH_HH24 && otherField == DCH_AM) || (field == DCH_AM && other == DCH_HH24)) return kErrAmPm;
    }
    return 0;
}

bool hasTimeZoneInFormat(const std::vector<FormatNode> &nodes) {
    for (const FormatNode &n : nodes) {
        if (n.type != NODE_TYPE_ACTION) continue;
        const int id = n.key->id;
        if (id == DCH_TZD || id == DCH_TZH || id == DCH_TZM || id == DCH_TZR) return true;
    }
    return false;
}

int parse_format(std::string_view format, int kind, bool reading, std::vector<FormatNode> *nodes,
                 DchError *err) {
    nodes->clear();
    nodes->reserve(format.size() + 1);
    int pending = 0;
    if (ParseInto(format, kind, reading, 0, &pending, nodes, err) != 0) return -1;
    FormatNode end;
    end.type = NODE_TYPE_END;
    end.suffix = pending;
    nodes->push_back(end);
    return 0;
}

int dch_date(DchCall *call, const std::vector<FormatNode> &nodes, size_t index) {
    return call->reading ? ReadDate(call, nodes, index) : WriteDate(call, nodes[index]);
}

int dch_time(DchCall *call, const std::vector<FormatNode> &nodes, size_t index) {
    return call->reading ? ReadTime(call, nodes, index) : WriteTime(call, nodes[index]);
}

int DCH_processor(const std::vector<FormatNode> &nodes, DchCall *c) {
    for (const FormatNode &n : nodes)
        if (n.type == NODE_TYPE_ACTION && ProcessCheck(n, c->kind, c->err) != 0) return -1;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const FormatNode &n = nodes[i];
        if ((n.suffix & DCH_S_FM) != 0) c->fill = !c->fill;
        if (n.type == NODE_TYPE_END) break;
        if (n.type == NODE_TYPE_ACTION && n.key->action == DCH_ACT_FLAG) {
            c->exact = true;
            continue;
        }
        if (!c->reading) {
            if (n.type == NODE_TYPE_CHAR) {
                c->out->push_back(static_cast<char>(n.character));
                continue;
            }
            if ((n.key->action == DCH_ACT_TIME ? dch_time(c, nodes, i) : dch_date(c, nodes, i)) != 0) return -1;
            continue;
        }
        if (!c->exact) {
            if (n.type == NODE_TYPE_CHAR && IsBlank(n.character)) {  // one blank if there is one
                if (Remaining(c) != 0 && IsBlank(TextAt(c, c->pos))) ++c->pos;
                continue;
            }
            SkipBlanks(c);  // blanks before a field or another literal are skipped
        }
        if (Remaining(c) == 0) {
            if (c->exact) return Fail(c->err, kErrInputShort);
            MarkUnreached(nodes, i, c->acc);  // the rest of the format is not used
            return 0;
        }
        if (n.type == NODE_TYPE_CHAR) {
            const unsigned char t = TextAt(c, c->pos);
            if (t != n.character && !(IsAlpha(t) && ToUpper(t) == ToUpper(n.character)))
                return Fail(c->err, kErrLiteral, "string");
            ++c->pos;
            continue;
        }
        if ((n.key->action == DCH_ACT_TIME ? dch_time(c, nodes, i) : dch_date(c, nodes, i)) != 0) return -1;
    }
    if (c->reading) {
        if (!c->exact) SkipBlanks(c);
        if (Remaining(c) != 0) return Fail(c->err, kErrPictureEnds);
    }
    return 0;
}

// ---- entry points --------------------------------------------------------------------------------

std::optional<std::string> datetime_to_char_body(OCIError *errhp, const ModelValue &value, std::string_view format,
                                                 int kind) {
    DchError err;
    std::vector<FormatNode> nodes;
    std::string out;
    DchCall call;
    call.kind = kind;
    call.reading = false;
    call.err = &err;
    call.value = &value;
    call.out = &out;
    if (parse_format(format, kind, false, &nodes, &err) != 0 || PrepareWrite(&call) != 0 ||
        DCH_processor(nodes, &call) != 0) {
        ReportError(errhp, err);
        return std::nullopt;
    }
    return out;
}

int do_to_timestamp(OCIError *errhp, std::string_view input, std::string_view format, int kind, ModelValue *out) {
    DchError err;
    if (out == nullptr) {
        ReportError(errhp, err);
        return -1;
    }
    const time_t now = time(nullptr);
    struct tm local {};
    localtime_r(&now, &local);
    const int currentYear = local.tm_year + 1900;
    const int currentMonth = local.tm_mon + 1;

    std::vector<FormatNode> nodes;
    TmFromChar acc;
    DchCall call;
    call.kind = kind;
    call.reading = true;
    call.err = &err;
    call.text = input;
    call.acc = &acc;
    call.currentYear = currentYear;
    ModelValue result;
    if (parse_format(format, kind, true, &nodes, &err) != 0 || DCH_processor(nodes, &call) != 0 ||
        FinishRead(acc, currentYear, currentMonth, &result, &err) != 0) {
        ReportError(errhp, err);
        return -1;
    }
    result.hasZone = result.hasZone && hasTimeZoneInFormat(nodes);
    *out = result;
    return 0;
}

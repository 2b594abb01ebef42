// The encoding catalogue and choosing the client character set of an
// environment.
#include "conn/nls.h"

#include <cctype>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "diag/trace.h"
#include "env/compat.h"
#include "env/env.h"

int oci_strcasecmp(const char *a, const char *b) {
    auto fold = [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u >= 'A' && u <= 'Z') ? u - 'A' + 'a' : static_cast<int>(u);
    };
    while (*a != '\0' && fold(*a) == fold(*b)) {
        ++a;
        ++b;
    }
    return fold(*a) - fold(*b);
}

namespace nls {

namespace {

struct EncodingInfo {
    const char *name;       // canonical: what the server is told, what users see
    const char *iconvName;  // what iconv_open is given
    int maxLength;          // most bytes per character
    const char *serverName = nullptr;  // the server's spelling, when it differs
};

// Indexed by encoding number. MULE_INTERNAL has no iconv counterpart: its
// conversions fail to open, which callers report as such. SQL_ASCII declares
// no encoding at all; the strictest reading (7-bit ASCII) rejects rather than
// guesses at anything else. The server knows CP866 as WIN866 and cannot
// speak UTF-16 at all: UTF-16 clients talk to it in UTF8.
constexpr EncodingInfo kEncodings[] = {
    {"SQL_ASCII", "ASCII", 1},          {"EUC_JP", "EUC-JP", 3},
    {"EUC_CN", "EUC-CN", 3},            {"EUC_KR", "EUC-KR", 3},
    {"EUC_TW", "EUC-TW", 4},            {"JOHAB", "JOHAB", 3},
    {"UTF8", "UTF-8", 4},               {"MULE_INTERNAL", "MULE_INTERNAL", 4},
    {"LATIN1", "ISO-8859-1", 1},        {"LATIN2", "ISO-8859-2", 1},
    {"LATIN3", "ISO-8859-3", 1},        {"LATIN4", "ISO-8859-4", 1},
    {"LATIN5", "ISO-8859-9", 1},        {"LATIN6", "ISO-8859-10", 1},
    {"LATIN7", "ISO-8859-13", 1},       {"LATIN8", "ISO-8859-14", 1},
    {"LATIN9", "ISO-8859-15", 1},       {"LATIN10", "ISO-8859-16", 1},
    {"WINDOWS-1256", "WINDOWS-1256", 1}, {"WINDOWS-1258", "WINDOWS-1258", 1},
    {"CP866", "CP866", 1, "WIN866"},    {"WINDOWS-874", "WINDOWS-874", 1},
    {"KOI8-R", "KOI8-R", 1},            {"WINDOWS-1251", "WINDOWS-1251", 1},
    {"WINDOWS1252", "WINDOWS-1252", 1}, {"ISO_8859_5", "ISO-8859-5", 1},
    {"ISO_8859_6", "ISO-8859-6", 1},    {"ISO_8859_7", "ISO-8859-7", 1},
    {"ISO_8859_8", "ISO-8859-8", 1},    {"WINDOWS-1250", "WINDOWS-1250", 1},
    {"WINDOWS-1253", "WINDOWS-1253", 1}, {"WINDOWS-1254", "WINDOWS-1254", 1},
    {"WINDOWS-1255", "WINDOWS-1255", 1}, {"WINDOWS-1257", "WINDOWS-1257", 1},
    {"SJIS", "SJIS", 2},                {"BIG5", "BIG5", 2},
    {"GBK", "GBK", 2},                  {"UHC", "UHC", 2},
    {"GB18030", "GB18030", 4},          {"UTF-16LE", "UTF-16LE", 4, "UTF8"},
    {"UTF-16BE", "UTF-16BE", 4, "UTF8"},
};
static_assert(sizeof kEncodings / sizeof kEncodings[0] == kMaxEncodingId + 1,
              "one catalogue row per encoding number");

// A system code-set spelling and the server encoding it stands for.
struct LocaleMatch {
    const char *serverName;
    const char *systemName;
};

constexpr LocaleMatch encoding_match_list[] = {
    {"EUC_JP", "EUC-JP"},        {"EUC_JP", "eucJP"},         {"EUC_JP", "IBM-eucJP"},
    {"EUC_JP", "sdeckanji"},     {"EUC_CN", "EUC-CN"},        {"EUC_CN", "eucCN"},
    {"EUC_CN", "IBM-eucCN"},     {"EUC_CN", "GB2312"},        {"EUC_CN", "dechanzi"},
    {"EUC_KR", "EUC-KR"},        {"EUC_KR", "eucKR"},         {"EUC_KR", "IBM-eucKR"},
    {"EUC_KR", "deckorean"},     {"EUC_KR", "5601"},          {"EUC_TW", "EUC-TW"},
    {"EUC_TW", "eucTW"},         {"EUC_TW", "IBM-eucTW"},     {"EUC_TW", "cns11643"},
    {"UTF8", "UTF-8"},           {"UTF8", "utf8"},            {"LATIN1", "ISO-8859-1"},
    {"LATIN1", "ISO8859-1"},     {"LATIN1", "iso88591"},      {"LATIN2", "ISO-8859-2"},
    {"LATIN2", "ISO8859-2"},     {"LATIN2", "iso88592"},      {"LATIN3", "ISO-8859-3"},
    {"LATIN3", "ISO8859-3"},     {"LATIN3", "iso88593"},      {"LATIN4", "ISO-8859-4"},
    {"LATIN4", "ISO8859-4"},     {"LATIN4", "iso88594"},      {"LATIN5", "ISO-8859-9"},
    {"LATIN5", "ISO8859-9"},     {"LATIN5", "iso88599"},      {"LATIN6", "ISO-8859-10"},
    {"LATIN6", "ISO8859-10"},    {"LATIN6", "iso885910"},     {"LATIN7", "ISO-8859-13"},
    {"LATIN7", "ISO8859-13"},    {"LATIN7", "iso885913"},     {"LATIN8", "ISO-8859-14"},
    {"LATIN8", "ISO8859-14"},    {"LATIN8", "iso885914"},     {"LATIN9", "ISO-8859-15"},
    {"LATIN9", "ISO8859-15"},    {"LATIN9", "iso885915"},     {"LATIN10", "ISO-8859-16"},
    {"LATIN10", "ISO8859-16"},   {"LATIN10", "iso885916"},    {"WINDOWS1252", "CP1252"},
    {"WINDOWS-1253", "CP1253"},  {"WINDOWS-1254", "CP1254"},  {"WINDOWS-1255", "CP1255"},
    {"WINDOWS-1256", "CP1256"},  {"WINDOWS-1257", "CP1257"},  {"WINDOWS-1258", "CP1258"},
    {"KOI8-R", "KOI8-R"},        {"WINDOWS-1251", "CP1251"},  {"CP866", "CP866"},
    {"ISO_8859_5", "ISO-8859-5"}, {"ISO_8859_5", "ISO8859-5"}, {"ISO_8859_5", "iso88595"},
    {"ISO_8859_6", "ISO-8859-6"}, {"ISO_8859_6", "ISO8859-6"}, {"ISO_8859_6", "iso88596"},
    {"ISO_8859_7", "ISO-8859-7"}, {"ISO_8859_7", "ISO8859-7"}, {"ISO_8859_7", "iso88597"},
    {"ISO_8859_8", "ISO-8859-8"}, {"ISO_8859_8", "ISO8859-8"}, {"ISO_8859_8", "iso88598"},
    {"sqlascii", "POSIX"},
};

constexpr const char kPosixLocale[] = "POSIX";

constexpr int ConstCompare(const char *a, const char *b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return static_cast<unsigned char>(*a) - static_cast<unsigned char>(*b);
}

const LocaleMatch *FindLocaleMatch(const char *sysname) {
    if (sysname == nullptr) return nullptr;
    for (const LocaleMatch &m : encoding_match_list)
        if (oci_strcasecmp(m.systemName, sysname) == 0) return &m;
    return nullptr;
}

// Lower-case letters and digits of `name` into `out` (kMaxEncodingNameLength
// + 1 bytes). The character classes are the C library's, so a byte the
// current locale calls alphanumeric is kept as it is.
void NormaliseEncodingName(const char *name, char *out) {
    size_t n = 0;
    for (const char *p = name; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (!std::isalnum(c)) continue;
        out[n++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : static_cast<char>(c);
    }
    out[n] = '\0';
}

int LookupAlias(const char *key) {
    size_t lo = 0, hi = tav_encname_tbl_size;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const EncodingAlias &e = tav_encname_tbl[mid];
        int cmp = static_cast<unsigned char>(key[0]) - static_cast<unsigned char>(e.name[0]);
        if (cmp == 0) cmp = oci_strcasecmp(key, e.name);
        if (cmp == 0) return e.encoding;
        if (cmp < 0) hi = mid;
        else lo = mid + 1;
    }
    return -1;
}

// strtok's rule, without its hidden state: skip leading delimiters, take
// the text up to the next delimiter (which is overwritten), null when
// nothing is left.
char *NextToken(char **cursor, const char *delimiters) {
    char *start = *cursor + std::strspn(*cursor, delimiters);
    if (*start == '\0') {
        *cursor = start;
        return nullptr;
    }
    char *end = start + std::strcspn(start, delimiters);
    if (*end != '\0') *end++ = '\0';
    *cursor = end;
    return start;
}

// Sets every locale category; false when the C library refuses the name.
bool SetProcessLocale(const char *name) { return std::setlocale(LC_ALL, name) != nullptr; }

}  // namespace

constexpr EncodingAlias tav_encname_tbl[] = {
    {"abc", 19},         {"alt", 20},          {"big5", 35},         {"euccn", 2},
    {"eucjp", 1},        {"euckr", 3},         {"euctw", 4},         {"gb18030", 38},
    {"gbk", 36},         {"iso88591", 8},      {"iso885910", 13},    {"iso885913", 14},
    {"iso885914", 15},   {"iso885915", 16},    {"iso885916", 17},    {"iso88592", 9},
    {"iso88593", 10},    {"iso88594", 11},     {"iso88595", 25},     {"iso88596", 26},
    {"iso88597", 27},    {"iso88598", 28},     {"iso88599", 12},     {"johab", 5},
    {"koi8", 22},        {"koi8r", 22},        {"latin1", 8},        {"latin10", 17},
    {"latin2", 9},       {"latin3", 10},       {"latin4", 11},       {"latin5", 12},
    {"latin6", 13},      {"latin7", 14},       {"latin8", 15},       {"latin9", 16},
    {"mskanji", 34},     {"muleinternal", 7},  {"shiftjis", 34},     {"sjis", 34},
    {"sqlascii", 0},     {"tcvn", 19},         {"tcvn5712", 19},     {"uhc", 37},
    {"unicode", 6},      {"utf16be", 40},      {"utf16le", 39},      {"utf8", 6},
    {"vscii", 19},       {"win", 23},          {"win1250", 29},      {"win1251", 23},
    {"win1252", 24},     {"win1253", 30},      {"win1254", 31},      {"win1255", 32},
    {"win1256", 18},     {"win1257", 33},      {"win1258", 19},      {"win866", 20},
    {"win874", 21},      {"win932", 34},       {"win936", 36},       {"win949", 37},
    {"win950", 35},      {"windows1250", 29},  {"windows1251", 23},  {"windows1252", 24},
    {"windows1253", 30}, {"windows1254", 31},  {"windows1255", 32},  {"windows1256", 18},
    {"windows1257", 33}, {"windows1258", 19},  {"windows866", 20},   {"windows874", 21},
    {"windows932", 34},  {"windows936", 36},   {"windows949", 37},   {"windows950", 35},
};
const size_t tav_encname_tbl_size = sizeof tav_encname_tbl / sizeof tav_encname_tbl[0];

namespace {
constexpr bool AliasesSorted() {
    for (size_t i = 1; i < sizeof tav_encname_tbl / sizeof tav_encname_tbl[0]; ++i)
        if (ConstCompare(tav_encname_tbl[i - 1].name, tav_encname_tbl[i].name) >= 0) return false;
    return true;
}
}  // namespace

int pg_char_to_encoding(const char *name) {
    static_assert(AliasesSorted(), "the alias table is binary searched");
    if (name == nullptr) return -1;
    if (std::strlen(name) > kMaxEncodingNameLength) {
        o2pTrace(1, "encoding name too long\n");
        return ENC_UTF8;
    }
    char key[kMaxEncodingNameLength + 1];
    NormaliseEncodingName(name, key);
    if (key[0] == '\0') return ENC_UTF8;
    const int found = LookupAlias(key);
    if (found >= 0) return found;
    // Every canonical name must find its own number, including the one the
    // alias table does not list (CP866); otherwise an environment of that
    // encoding would silently become UTF8 whenever its name is looked up.
    char canonical[kMaxEncodingNameLength + 1];
    for (int id = 0; id <= kMaxEncodingId; ++id) {
        NormaliseEncodingName(kEncodings[id].name, canonical);
        if (std::strcmp(canonical, key) == 0) return id;
    }
    return ENC_UTF8;
}

const char *pg_encoding_to_char(int encoding) {
    if (encoding < 0 || encoding > kMaxEncodingId) return "";
    return kEncodings[encoding].name;
}

const char *EncodingIconvName(int encoding) {
    if (encoding < 0 || encoding > kMaxEncodingId) return "";
    return kEncodings[encoding].iconvName;
}

const char *EncodingServerName(int encoding) {
    if (encoding < 0 || encoding > kMaxEncodingId) return "";
    const EncodingInfo &e = kEncodings[encoding];
    return e.serverName != nullptr ? e.serverName : e.name;
}

int EncodingMaxLength(int encoding) {
    if (encoding < 0 || encoding > kMaxEncodingId) return 0;
    return kEncodings[encoding].maxLength;
}

bool ParseLocale(const char *locale, std::string *language, std::string *territory,
                 std::string *codeset) {
    if (locale == nullptr) return false;
    std::vector<char> copy(locale, locale + std::strlen(locale) + 1);
    char *cursor = copy.data();
    const char *lang = NextToken(&cursor, "_");
    const char *terr = lang != nullptr ? NextToken(&cursor, ".") : nullptr;
    const char *code = terr != nullptr ? NextToken(&cursor, "") : nullptr;
    if (lang == nullptr || terr == nullptr || code == nullptr) return false;
    if (language != nullptr) *language = lang;
    if (territory != nullptr) *territory = terr;
    if (codeset != nullptr) *codeset = code;
    return true;
}

const char *findMatchingSysEncoding(const char *sysname) {
    const LocaleMatch *m = FindLocaleMatch(sysname);
    return m != nullptr ? m->systemName : nullptr;
}

const char *findMatchingPgEncoding(const char *sysname) {
    const LocaleMatch *m = FindLocaleMatch(sysname);
    return m != nullptr ? m->serverName : nullptr;
}

int EncodingOfCodeSet(const char *codeset) {
    // The paired server name decides: read literally, spellings such as
    // CP1252, GB2312 or POSIX are not encoding names and would fall back to
    // UTF8 while the application's text is in fact something else.
    const char *server = findMatchingPgEncoding(codeset);
    return pg_char_to_encoding(server != nullptr ? server : codeset);
}

}  // namespace nls

namespace {
// setlocale is process-wide and hands out texts that the next call may free;
// every environment creation of every thread goes through here, so the locale
// work is done under one lock and the texts are copied before it is dropped.
std::mutex s_localeMutex;

// The code set of a locale name: what follows the first dot, up to a modifier
// ("C.UTF-8" and "en_US.UTF-8@euro" both give UTF-8); empty when there is none.
std::string LocaleCodeSet(const std::string &name) {
    const size_t dot = name.find('.');
    if (dot == std::string::npos) return std::string();
    return name.substr(dot + 1, name.find('@', dot) - dot - 1);
}

// The Oracle-compatible mode reads NLS_LANG as Oracle's client does:
// [language][_territory][.charset] with an Oracle character-set name
// (AMERICAN_AMERICA.AL32UTF8, .WE8ISO8859P1). The encoding of that set, or
// -1 when NLS_LANG names none the library can speak as a client set (UTF-16
// sets are not client sets in NLS_LANG). The process locale is left alone:
// the language and territory are Oracle's names, not the system's.
int OracleCodeSetOfNlsLang() {
    const char *nlsLang = std::getenv("NLS_LANG");
    const char *dot = nlsLang != nullptr ? std::strrchr(nlsLang, '.') : nullptr;
    if (dot == nullptr) return -1;
    const int encoding = nls::EncodingOfOracleName(dot + 1);
    if (encoding == nls::ENC_UTF16LE || encoding == nls::ENC_UTF16BE) return -1;
    return encoding;
}

// Switches every category to `name` unless the process already runs under it:
// repeated environment creations then leave the locale (and the texts other
// threads may be reading) alone.
bool SwitchProcessLocale(const char *name) {
    const char *current = std::setlocale(LC_ALL, nullptr);
    if (current != nullptr && std::strcmp(current, name) == 0) return true;
    return nls::SetProcessLocale(name);
}
}  // namespace

// Numbers 1-40 choose that encoding and leave the process alone. Anything
// else consults NLS_LANG, then the locale of the process environment, and
// finally settles for SQL_ASCII under the POSIX locale; each of these paths
// may change the process-wide locale.
void InitNls(OCIEnv *env, sb4 charset) {
    using nls::EncodingOfCodeSet;
    using nls::findMatchingPgEncoding;
    using nls::findMatchingSysEncoding;
    using nls::kMaxEncodingId;
    using nls::kPosixLocale;
    using nls::ParseLocale;
    if (env == nullptr) return;
    if (charset >= 1 && charset <= kMaxEncodingId) {
        env->charsetId = charset;
        return;
    }

    if (OracleCompat(env)) {
        const int encoding = OracleCodeSetOfNlsLang();
        if (encoding >= 0) {
            env->charsetId = encoding;
            return;
        }
    }

    std::lock_guard<std::mutex> lock(s_localeMutex);
    if (const char *nlsLang = std::getenv("NLS_LANG")) {
        std::string language, territory, codeset;
        const char *systemName = nullptr;
        if (ParseLocale(nlsLang, &language, &territory, &codeset) &&
            (systemName = findMatchingSysEncoding(codeset.c_str())) != nullptr) {
            env->charsetId = EncodingOfCodeSet(codeset.c_str());
            if (oci_strcasecmp(codeset.c_str(), kPosixLocale) == 0) {
                SwitchProcessLocale(kPosixLocale);
                return;
            }
            const std::string name = language + "_" + territory + "." + systemName;
            if (SwitchProcessLocale(name.c_str())) return;
        }
    }

    // The locale the process environment names (LC_ALL, LC_CTYPE, LANG),
    // found without switching to it first.
    std::string name;
    for (const char *variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char *value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            name = value;
            break;
        }
    }
    const std::string codeset = LocaleCodeSet(name);
    if (!codeset.empty()) {
        const char *server = findMatchingPgEncoding(codeset.c_str());
        if (server != nullptr && SwitchProcessLocale(name.c_str())) {
            env->charsetId = nls::pg_char_to_encoding(server);
            return;
        }
    }

    env->charsetId = nls::ENC_SQL_ASCII;
    SwitchProcessLocale(kPosixLocale);
}

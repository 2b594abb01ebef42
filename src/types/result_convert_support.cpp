// Conventions and buffer writers shared by all result converters.
#include "types/result_convert_support.h"

#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "conn/nls.h"
#include "conn/transcode.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/env.h"
#include "env/memory.h"
#include "platform/oci_string.h"
#include "types/number_format.h"

namespace resultconv {

// ---- conventions ---------------------------------------------------------------------------

OCIEnv *EnvOf(const Call &c) { return EnvOfHandle(c.errhp); }

bool OracleVarchars(const Call &c) {
    const OCIEnv *env = EnvOf(c);
    return env == nullptr || env->varcharSemantics != 0;
}

bool Utf16(const Call &c) {
    const OCIEnv *env = EnvOf(c);
    return env != nullptr && env->utf16 != 0;
}

ub4 Capacity(const Call &c) { return c.length != nullptr ? *c.length : 0; }

bool Start(const Call &c, EmptyText empty, sword *status) {
    if (c.indicator != nullptr) *c.indicator = 0;
    if (c.length == nullptr || (c.format != 0 && c.format != 1) || (c.dest == nullptr && *c.length != 0)) {
        *status = OCI_ERROR;
        return false;
    }
    if (c.value != nullptr && (c.valueLength != 0 || empty == EmptyText::IsValue)) return true;
    *status = ReportNull(c);
    return false;
}

sword ReportNull(const Call &c) {
    // The buffer keeps whatever it held: nothing of it is the value.
    *c.length = 0;
    if (c.returnCode != nullptr) *c.returnCode = kErrNullReturned;
    if (c.indicator != nullptr) {
        *c.indicator = -1;
        return OCI_SUCCESS;
    }
    AddErrorRecord(c.errhp, OCI_SUCCESS_WITH_INFO, kErrNullReturned);
    return OCI_SUCCESS_WITH_INFO;
}

sword Fail(const Call &c, sb4 code) {
    if (c.length != nullptr) *c.length = 0;
    AddErrorRecord(c.errhp, OCI_ERROR, code);
    return OCI_ERROR;
}

sword FailMessage(const Call &c, const char *text) {
    if (c.length != nullptr) *c.length = 0;
    AddErrorRecordMsg(c.errhp, OCI_ERROR, text);
    return OCI_ERROR;
}

sword Refuse(const Call &c) {
    if (c.length != nullptr) *c.length = 0;
    return OCI_ERROR;
}

sword Truncated(const Call &c, size_t lost, bool report) {
    if (c.returnCode != nullptr) *c.returnCode = kErrTruncated;
    // The indicator is 16 bits wide; a count it cannot hold is reported as
    // -2, never as a wrapped (negative or too small) number.
    if (c.indicator != nullptr) *c.indicator = lost > 32767 ? sb2{-2} : static_cast<sb2>(lost);
    if (!report) return OCI_SUCCESS;
    AddErrorRecord(c.errhp, OCI_SUCCESS_WITH_INFO, kErrTruncated);
    return OCI_SUCCESS_WITH_INFO;
}

sword Warn(const Call &c, sb4 code) {
    AddErrorRecord(c.errhp, OCI_SUCCESS_WITH_INFO, code);
    return OCI_SUCCESS_WITH_INFO;
}

void TraceResult(const void *bytes, size_t length) { ocitracehex(TRACE_DEFINE, "  result:", bytes, length); }

// ---- texts -----------------------------------------------------------------------------------

Text::~Text() { std::free(heap_); }

void Text::View(const char *data, size_t len) {
    data_ = data;
    len_ = len;
}

void Text::Adopt(char *heap, size_t len) {
    std::free(heap_);
    heap_ = heap;
    View(heap, len);
}

// ---- characters ------------------------------------------------------------------------------

namespace {

// How the application's character set cuts and pads text.
struct ClientText {
    bool utf16;
    bool utf8;
    size_t unit() const { return utf16 ? 2 : 1; }
};

ClientText ClientTextOf(const Call &c) {
    const OCIEnv *env = EnvOf(c);
    ClientText ct{false, false};
    if (env == nullptr) return ct;
    ct.utf16 = env->utf16 != 0;
    ct.utf8 = !ct.utf16 && env->charsetId == nls::ENC_UTF8;
    return ct;
}

// Longest prefix of `len` bytes that fits `room` without cutting a character.
size_t FitPrefix(const ClientText &ct, const char *s, size_t len, size_t room) {
    if (len <= room) return len;
    size_t k = room;
    if (ct.utf16) {
        k &= ~static_cast<size_t>(1);
        // Keep a surrogate pair together (little-endian: high byte second).
        if (k >= 2 && (static_cast<unsigned char>(s[k - 1]) & 0xFC) == 0xD8) k -= 2;
    } else if (ct.utf8) {
        while (k > 0 && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80) --k;
    }
    return k;
}

// Blanks of the client encoding over [from, to).
void BlankFill(const ClientText &ct, char *buf, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i) buf[i] = (ct.utf16 && (i - from) % 2 == 1) ? '\0' : ' ';
}

void PutTerminator(const ClientText &ct, char *at) {
    std::memset(at, 0, ct.unit());
}

sword WriteFixed(const Call &c, const ClientText &ct, CharLayout layout, const char *s, size_t n,
                 bool fill) {
    auto *buf = static_cast<char *>(c.dest);
    const size_t cap = Capacity(c);
    const bool padded = fill && layout != CharLayout::LNG;
    const size_t k = FitPrefix(ct, s, n, cap);
    if (k > 0) std::memcpy(buf, s, k);
    if (padded) BlankFill(ct, buf, k, cap);
    *c.length = static_cast<ub4>(k);
    TraceResult(buf, padded ? cap : k);
    return k == n ? OCI_SUCCESS : Truncated(c, n - k, true);
}

sword WriteTerminated(const Call &c, const ClientText &ct, CharLayout layout, const char *s, size_t n,
                      bool fill) {
    auto *buf = static_cast<char *>(c.dest);
    const size_t cap = Capacity(c);
    const size_t nul = ct.unit();
    if (cap < nul) {
        *c.length = 0;
        return Truncated(c, n, layout != CharLayout::STR);
    }
    const size_t k = FitPrefix(ct, s, n, cap - nul);
    if (k > 0) std::memcpy(buf, s, k);
    PutTerminator(ct, buf + k);
    const bool padded = fill && layout == CharLayout::AVC;
    if (padded) BlankFill(ct, buf, k + nul, cap);
    *c.length = static_cast<ub4>(layout == CharLayout::AVC ? k + nul : k);
    TraceResult(buf, padded ? cap : k + nul);
    if (k == n) return OCI_SUCCESS;
    // A terminated string says by itself where it ends: cutting it short is
    // not an error (the indicator and return code still tell).
    return Truncated(c, n - k, layout != CharLayout::STR);
}

sword WritePrefixed(const Call &c, const ClientText &ct, size_t prefix, const char *s, size_t n) {
    auto *buf = static_cast<char *>(c.dest);
    const size_t cap = Capacity(c);
    if (cap < prefix) return Fail(c, kErrBadVarLength);
    size_t room = cap - prefix;
    if (prefix == 2 && room > 0xFFFF) room = 0xFFFF;  // what the length word can count
    const size_t k = FitPrefix(ct, s, n, room);
    if (prefix == 2) {
        const auto word = static_cast<ub2>(k);
        std::memcpy(buf, &word, 2);
    } else {
        const auto word = static_cast<ub4>(k);
        std::memcpy(buf, &word, 4);
    }
    if (k > 0) std::memcpy(buf + prefix, s, k);
    *c.length = static_cast<ub4>(k + prefix);
    TraceResult(buf, k + prefix);
    return k == n ? OCI_SUCCESS : Truncated(c, n - k, true);
}

// The OCIString grows to the value: an application string sized for an
// earlier, shorter row must not cut this one.
sword WriteOCIString(const Call &c, const ClientText &ct, const char *s, size_t n) {
    if (Capacity(c) < sizeof(OCIString *)) return Fail(c, kErrBadVarLength);
    OCIString *str = nullptr;
    std::memcpy(&str, c.dest, sizeof str);
    const size_t nul = ct.unit();
    const size_t needed = n + nul - 1;  // allocSize excludes one terminator byte
    if (needed > 0xFFFFFFFEu) return Fail(c, kErrBadVarLength);
    OCIString *created = nullptr;
    if (str == nullptr) {
        created = str = o2pNew<OCIString>();
        if (str == nullptr) return Refuse(c);
    }
    if (str->text == nullptr || str->allocSize < needed) {
        auto *grown = static_cast<char *>(o2pMalloc(needed + 1));
        if (grown == nullptr) {
            o2pDelete(created);
            return Refuse(c);
        }
        o2pFree(str->text);
        str->text = grown;
        str->allocSize = static_cast<ub4>(needed);
    }
    if (n > 0) std::memcpy(str->text, s, n);
    PutTerminator(ct, str->text + n);
    str->length = static_cast<ub4>(n);
    if (created != nullptr) std::memcpy(c.dest, &created, sizeof created);
    *c.length = static_cast<ub4>(n);
    TraceResult(str->text, n);
    return OCI_SUCCESS;
}

}  // namespace

sword DeliverChars(const Call &c, CharLayout layout, const char *text, size_t len, bool fill) {
    const ClientText ct = ClientTextOf(c);
    const bool prefixed = layout == CharLayout::VCS || layout == CharLayout::LVC || layout == CharLayout::VST;
    if (Capacity(c) == 0 && !prefixed) {
        *c.length = 0;
        return OCI_SUCCESS;
    }
    Text converted;
    if (ct.utf16 && len > 0) {
        char *out = nullptr;
        size_t outLen = 0;
        int error = 0;
        if (transcode(EnvOf(c)->fromUtf8, &error, text, len, &out, &outLen) < 0) {
            *c.length = 0;
            AddTranscodeErrorRecord(c.errhp, error);
            return OCI_ERROR;
        }
        converted.Adopt(out, outLen);
        text = converted.data();
        len = converted.size();
    }
    switch (layout) {
    case CharLayout::CHR:
    case CharLayout::AFC:
    case CharLayout::LNG: return WriteFixed(c, ct, layout, text, len, fill);
    case CharLayout::AVC:
    case CharLayout::STR: return WriteTerminated(c, ct, layout, text, len, fill);
    case CharLayout::VCS: return WritePrefixed(c, ct, 2, text, len);
    case CharLayout::LVC: return WritePrefixed(c, ct, 4, text, len);
    case CharLayout::VST: return WriteOCIString(c, ct, text, len);
    }
    return OCI_ERROR;
}

// ---- bytes -------------------------------------------------------------------------------------

sword DeliverBytes(const Call &c, ByteLayout layout, const unsigned char *bytes, size_t len) {
    auto *buf = static_cast<unsigned char *>(c.dest);
    const size_t cap = Capacity(c);
    size_t prefix = 0;
    size_t room = cap;
    switch (layout) {
    case ByteLayout::BIN:
    case ByteLayout::LBI: break;
    case ByteLayout::VBI:
        prefix = 2;
        break;
    case ByteLayout::LVB: prefix = 4; break;
    }
    if (prefix != 0) {
        if (cap < prefix) return Fail(c, kErrBadVarLength);
        room = cap - prefix;
        if (prefix == 2 && room > 0xFFFF) room = 0xFFFF;
    }
    const size_t k = len < room ? len : room;
    if (prefix == 2) {
        const auto word = static_cast<ub2>(k);
        std::memcpy(buf, &word, 2);
    } else if (prefix == 4) {
        const auto word = static_cast<ub4>(k);
        std::memcpy(buf, &word, 4);
    }
    if (k > 0) std::memcpy(buf + prefix, bytes, k);
    *c.length = static_cast<ub4>(k + prefix);
    TraceResult(buf, k + prefix);
    return k == len ? OCI_SUCCESS : Truncated(c, len - k, true);
}

// ---- numbers ---------------------------------------------------------------------------------

sword StoreInteger(const Call &c, int64_t v, bool isUnsigned, sb4 overflowError) {
    const ub4 width = Capacity(c);
    if (width != 1 && width != 2 && width != 4 && width != 8) return Fail(c, kErrIllegalConversion);
    const unsigned bits = 8 * width;
    bool fits;
    if (isUnsigned)
        fits = v >= 0 && (width == 8 || static_cast<uint64_t>(v) < (uint64_t{1} << bits));
    else
        fits = width == 8 || (v >= -(int64_t{1} << (bits - 1)) && v < (int64_t{1} << (bits - 1)));
    if (!fits) return Fail(c, overflowError);
    switch (width) {
    case 1: {
        const auto b = static_cast<uint8_t>(v);
        std::memcpy(c.dest, &b, 1);
        break;
    }
    case 2: {
        const auto h = static_cast<uint16_t>(v);
        std::memcpy(c.dest, &h, 2);
        break;
    }
    case 4: {
        const auto w = static_cast<uint32_t>(v);
        std::memcpy(c.dest, &w, 4);
        break;
    }
    default: std::memcpy(c.dest, &v, 8); break;
    }
    *c.length = width;
    TraceResult(c.dest, width);
    return OCI_SUCCESS;
}

sword StoreIntegerFromReal(const Call &c, double v, bool isUnsigned, sb4 overflowError) {
    const double t = std::trunc(v);
    // 2^63 is exactly representable; anything at or above it (or NaN) fails.
    if (!(t >= -9223372036854775808.0 && t < 9223372036854775808.0)) {
        const ub4 width = Capacity(c);
        if (width != 1 && width != 2 && width != 4 && width != 8) return Fail(c, kErrIllegalConversion);
        return Fail(c, overflowError);
    }
    return StoreInteger(c, static_cast<int64_t>(t), isUnsigned, overflowError);
}

sword StoreReal(const Call &c, RealLayout layout, double v) {
    const ub4 cap = Capacity(c);
    size_t width = 0;
    switch (layout) {
    case RealLayout::FLT: width = (cap == 4 || cap == 8) ? cap : 0; break;
    case RealLayout::BFLOAT: width = cap >= 4 ? 4 : 0; break;
    case RealLayout::BDOUBLE: width = cap >= 8 ? 8 : 0; break;
    }
    if (width == 0) return Fail(c, kErrIllegalConversion);
    if (width == 8) {
        std::memcpy(c.dest, &v, 8);
        *c.length = 8;
        TraceResult(c.dest, 8);
        return OCI_SUCCESS;
    }
    if (std::isfinite(v) && std::fabs(v) > static_cast<double>(FLT_MAX)) return Fail(c, kErrNumericOverflow);
    const auto f = static_cast<float>(v);
    std::memcpy(c.dest, &f, 4);
    *c.length = 4;
    TraceResult(c.dest, 4);
    const bool changed = std::isnan(v) ? !std::isnan(f) : static_cast<double>(f) != v;
    return changed ? Warn(c, kErrNumericOverflow) : OCI_SUCCESS;
}

sword StoreNumber(const Call &c, const ub1 *varnum) {
    if (Capacity(c) < kNumberSize) return Fail(c, kErrTruncated);
    std::memcpy(c.dest, varnum + 1, kNumberSize);
    *c.length = kNumberSize;
    TraceResult(c.dest, kNumberSize);
    return OCI_SUCCESS;
}

sword StoreVarnum(const Call &c, const ub1 *varnum) {
    const ub4 cap = Capacity(c);
    const size_t used = size_t{varnum[0]} + 1;
    if (cap < 2 || cap < used) return Fail(c, kErrBadVarLength);
    const size_t n = cap < kVarnumSize ? cap : kVarnumSize;
    std::memcpy(c.dest, varnum, n);
    *c.length = static_cast<ub4>(used);
    TraceResult(c.dest, n);
    return OCI_SUCCESS;
}

sword VarnumFromText(const Call &c, const char *text, size_t len, ub1 *varnum) {
    if (ConvertStringToVARNUM(text, len, varnum) == 0) return OCI_SUCCESS;
    // The NUMBER reader knows exponents up to 126 only; a float column can
    // hold more. Beyond NUMBER's range is an overflow, below it is zero.
    double v = 0;
    if (ParseReal(text, len, &v) != 0 || !std::isfinite(v)) return Fail(c, kErrInvalidNumber);
    if (std::fabs(v) >= 1e-130) return Fail(c, kErrNumericOverflow);
    std::memset(varnum, 0, kVarnumSize);
    varnum[0] = 1;
    varnum[1] = 0x80;
    return OCI_SUCCESS;
}

namespace {
bool IsBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r' || ch == '\f' || ch == '\v'; }

void TrimBlanks(const char **text, size_t *len) {
    while (*len > 0 && IsBlank(**text)) {
        ++*text;
        --*len;
    }
    while (*len > 0 && IsBlank((*text)[*len - 1])) --*len;
}
}  // namespace

int ParseInteger(const char *text, size_t len, int64_t *out) {
    TrimBlanks(&text, &len);
    size_t i = 0;
    bool negative = false;
    if (i < len && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == len) return 1;
    // Accumulate toward the negative side, which holds one value more.
    int64_t acc = 0;
    bool overflow = false;
    for (; i < len; ++i) {
        if (text[i] < '0' || text[i] > '9') return 1;
        const int digit = text[i] - '0';
        if (acc < (INT64_MIN + digit) / 10) overflow = true;
        if (!overflow) acc = acc * 10 - digit;
    }
    if (overflow || (!negative && acc == INT64_MIN)) return 2;
    *out = negative ? acc : -acc;
    return 0;
}

namespace {

// Plain decimals of at most 15 digits ("-1234.25"), the form nearly every
// numeric value takes, read without strtod: the digits and the power of ten
// are both exact doubles, so one IEEE division gives the correctly rounded
// value, the same one strtod gives. False for every other form.
bool ParseShortDecimal(const char *text, size_t len, double *out) {
    static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    size_t i = 0;
    const bool negative = len > 0 && text[0] == '-';
    if (negative || (len > 0 && text[0] == '+')) ++i;
    int64_t digits = 0;
    int count = 0, scale = 0;
    bool point = false, any = false;
    for (; i < len; ++i) {
        const char ch = text[i];
        if (ch == '.' && !point) {
            point = true;
            continue;
        }
        if (ch < '0' || ch > '9') return false;
        any = true;
        if (digits != 0 || ch != '0') ++count;
        if (point) ++scale;
        if (count > 15 || scale > 15) return false;
        digits = digits * 10 + (ch - '0');
    }
    if (!any) return false;
    double v = static_cast<double>(digits) / kPowers[scale];
    *out = negative ? -v : v;
    return true;
}

}  // namespace

int ParseReal(const char *text, size_t len, double *out, bool single) {
    TrimBlanks(&text, &len);
    if (!single && ParseShortDecimal(text, len, out)) return 0;
    char buf[512];
    if (len == 0 || len >= sizeof buf) return 1;
    std::memcpy(buf, text, len);
    buf[len] = '\0';
    // Only decimal forms: strtod would also take hexadecimal floats.
    for (size_t i = 0; i < len; ++i)
        if (buf[i] == 'x' || buf[i] == 'X') return 1;
    char *end = nullptr;
    errno = 0;
    // A single is read as a single: widening the nearest double would give
    // a value that is not the column's.
    const double v = single ? static_cast<double>(std::strtof(buf, &end)) : std::strtod(buf, &end);
    if (end != buf + len) return 1;
    if (errno == ERANGE && std::isinf(v)) return 2;
    *out = v;
    return 0;
}

size_t FormatReal(double v, bool single, char *out) {
    if (std::isnan(v)) return static_cast<size_t>(std::snprintf(out, 32, "NaN"));
    if (std::isinf(v)) return static_cast<size_t>(std::snprintf(out, 32, v < 0 ? "-Infinity" : "Infinity"));
    if (v == 0) return static_cast<size_t>(std::snprintf(out, 32, std::signbit(v) ? "-0" : "0"));
    // Fewest significant digits that read back as the same value.
    char sci[40];
    const int maxDigits = single ? 9 : 17;
    for (int p = 1; p <= maxDigits; ++p) {
        std::snprintf(sci, sizeof sci, "%.*e", p - 1, v);
        if (single ? std::strtof(sci, nullptr) == static_cast<float>(v) : std::strtod(sci, nullptr) == v) break;
    }
    // sci is "[-]d[.ddd]e[+-]XX": collect the digits and the exponent.
    const char *p = sci;
    const bool negative = *p == '-';
    if (negative) ++p;
    char digits[20];
    int ndigits = 0;
    for (; *p != 'e'; ++p)
        if (*p != '.') digits[ndigits++] = *p;
    const int exponent = std::atoi(p + 1);
    while (ndigits > 1 && digits[ndigits - 1] == '0') --ndigits;
    char *o = out;
    if (negative) *o++ = '-';
    if (exponent >= -4 && exponent < (single ? 6 : 15)) {
        if (exponent < 0) {
            *o++ = '0';
            *o++ = '.';
            for (int z = -1; z > exponent; --z) *o++ = '0';
            for (int k = 0; k < ndigits; ++k) *o++ = digits[k];
        } else {
            for (int k = 0; k <= exponent; ++k) *o++ = k < ndigits ? digits[k] : '0';
            if (ndigits > exponent + 1) {
                *o++ = '.';
                for (int k = exponent + 1; k < ndigits; ++k) *o++ = digits[k];
            }
        }
        *o = '\0';
    } else {
        *o++ = digits[0];
        if (ndigits > 1) {
            *o++ = '.';
            for (int k = 1; k < ndigits; ++k) *o++ = digits[k];
        }
        std::snprintf(o, 16, "e%c%02d", exponent < 0 ? '-' : '+', exponent < 0 ? -exponent : exponent);
        o += std::strlen(o);
    }
    return static_cast<size_t>(o - out);
}

uint64_t LoadBigEndian(const char *bytes, size_t width) {
    uint64_t v = 0;
    for (size_t i = 0; i < width; ++i) v = (v << 8) | static_cast<unsigned char>(bytes[i]);
    return v;
}

// ---- the bytea text forms -------------------------------------------------------------------

namespace {
int HexValue(char ch) {
    if (ch >= '0' && ch <= '9') return ch - '0';
    if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
    return -1;
}
bool IsOctal(char ch) { return ch >= '0' && ch <= '7'; }
}  // namespace

int DecodeByteaText(const char *text, size_t len, unsigned char **out, size_t *outLen) {
    *out = nullptr;
    *outLen = 0;
    const bool hex = len >= 2 && text[0] == '\\' && text[1] == 'x';
    // Either form decodes to at most one byte per input character.
    auto *buf = static_cast<unsigned char *>(o2pMalloc(len == 0 ? 1 : len));
    if (buf == nullptr) return -1;
    size_t n = 0;
    if (hex) {
        for (size_t i = 2; i < len;) {
            if (IsBlank(text[i])) {  // the server's reader allows blanks between pairs
                ++i;
                continue;
            }
            const int hi = HexValue(text[i]);
            const int lo = i + 1 < len ? HexValue(text[i + 1]) : -1;
            if (hi < 0 || lo < 0) {
                o2pFree(buf);
                return kErrBadHex;
            }
            buf[n++] = static_cast<unsigned char>(hi * 16 + lo);
            i += 2;
        }
    } else {
        for (size_t i = 0; i < len;) {
            if (text[i] != '\\') {
                buf[n++] = static_cast<unsigned char>(text[i++]);
            } else if (i + 1 < len && text[i + 1] == '\\') {
                buf[n++] = '\\';
                i += 2;
            } else if (i + 3 < len && text[i + 1] >= '0' && text[i + 1] <= '3' && IsOctal(text[i + 2]) &&
                       IsOctal(text[i + 3])) {
                buf[n++] = static_cast<unsigned char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                                      (text[i + 3] - '0'));
                i += 4;
            } else {
                o2pFree(buf);
                return kErrBadHex;
            }
        }
    }
    if (n == 0) {
        o2pFree(buf);
        return 0;
    }
    *out = buf;
    *outLen = n;
    return 0;
}

char *EncodeHex(const unsigned char *bytes, size_t len) {
    static const char kDigits[] = "0123456789ABCDEF";
    if (len > (SIZE_MAX - 1) / 2) return nullptr;
    auto *hex = static_cast<char *>(o2pMalloc(2 * len + 1));
    if (hex == nullptr) return nullptr;
    for (size_t i = 0; i < len; ++i) {
        hex[2 * i] = kDigits[bytes[i] >> 4];
        hex[2 * i + 1] = kDigits[bytes[i] & 0xF];
    }
    hex[2 * len] = '\0';
    return hex;
}

}  // namespace resultconv

// OCINumber: conversions to and from machine integers, reals and text.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "types/number_api.h"
#include "types/number_format.h"

using decimal::Decimal;
using namespace number_api;

namespace {

constexpr int kRealDigits = 15;  // significant digits a real is loaded with

bool ValidSignFlag(uword flag) { return flag == OCI_NUMBER_UNSIGNED || flag == OCI_NUMBER_SIGNED; }
bool ValidIntSize(uword size) { return size == 1 || size == 2 || size == 4 || size == 8; }

// Range of an integer of `size` bytes.
void IntRange(uword size, bool isSigned, Decimal *lo, Decimal *hi) {
    const int bits = static_cast<int>(size) * 8;
    if (isSigned) {
        const uint64_t top = (uint64_t{1} << (bits - 1)) - 1;
        *hi = Decimal::FromUInt(top);
        *lo = decimal::Neg(Decimal::FromUInt(top + 1));
    } else {
        *hi = Decimal::FromUInt(bits == 64 ? UINT64_MAX : (uint64_t{1} << bits) - 1);
        *lo = Decimal();
    }
}

template <class T> void Put(void *out, T v) { std::memcpy(out, &v, sizeof v); }
template <class T> T Get(const void *in) {
    T v;
    std::memcpy(&v, in, sizeof v);
    return v;
}

bool IsG(char c) { return c == 'G' || c == 'g'; }
bool IsD(char c) { return c == 'D' || c == 'd'; }

std::string AsString(const oratext *text, size_t len) { return std::string(reinterpret_cast<const char *>(text), len); }

// Copies `text` and its terminator when the buffer has room for both; the
// size becomes the text's length.
sword CopyOut(const std::string &text, ub4 *buf_size, oratext *buf) {
    if (*buf_size < text.size() + 1) return OCI_ERROR;
    std::memcpy(buf, text.c_str(), text.size() + 1);
    *buf_size = static_cast<ub4>(text.size());
    return OCI_SUCCESS;
}

// The positional format model: digit positions ("9", "0" and any other
// character), group separators "G" and one decimal point "D". The integer
// digits fill the positions before the point from the right, a separator
// shows only between digits, the fraction fills the positions after it;
// the text is padded with blanks in front to the format's length, and a
// "-" may take one position more. False when the digits do not fit.
bool FormatNumber(const Decimal &value, const std::string &format, std::string *out) {
    const size_t point = [&] {
        for (size_t i = 0; i < format.size(); ++i)
            if (IsD(format[i])) return i;
        return format.size();
    }();
    const int64_t places = point < format.size() ? static_cast<int64_t>(format.size() - point - 1) : 0;
    const std::string fixed = decimal::Abs(value).ToFixed(places);
    const size_t dot = fixed.find('.');
    std::string digits = fixed.substr(0, dot);
    const std::string fraction = dot == std::string::npos ? "" : fixed.substr(dot + 1);
    const bool negative = value.Sign() < 0 && fixed.find_first_not_of("0.") != std::string::npos;
    std::string integer;  // built from the right
    size_t left = digits.size();
    for (size_t i = point; i-- > 0;) {
        if (left == 0) break;
        if (IsG(format[i])) {
            integer.insert(integer.begin(), ',');
        } else {
            integer.insert(integer.begin(), digits[--left]);
        }
    }
    // A lone zero before the point may go when there is no position for it.
    if (left > 0 && digits != "0") return false;
    if (!integer.empty() && integer[0] == ',') integer.erase(0, 1);
    std::string text = (negative ? "-" : "") + integer;
    if (point < format.size()) {
        text += '.';
        size_t next = 0;
        for (size_t i = point + 1; i < format.size(); ++i)
            text += IsG(format[i]) ? ',' : fraction[next++];
    }
    if (text.size() > format.size() + 1) return false;
    if (text.size() < format.size()) text.insert(0, format.size() - text.size(), ' ');
    *out = text;
    return true;
}

}  // namespace

namespace number_api {

sword ToReal(OCIError *err, const OCINumber *number, uword size, void *out) {
    if (size != sizeof(float) && size != sizeof(double)) return OCI_ERROR;
    Decimal a;
    if (!Load(number, &a)) return OCI_ERROR;
    if (size == sizeof(float)) {
        const float f = a.ToFloat();
        if (std::isinf(f)) return Fail(err, kErrOverflow);
        Put(out, f);
    } else {
        const double d = a.ToDouble();
        if (std::isinf(d)) return Fail(err, kErrOverflow);
        Put(out, d);
    }
    return OCI_SUCCESS;
}

}  // namespace number_api

// The value truncated toward zero into an integer of rsl_length bytes
// (1, 2, 4 or 8), signed or unsigned by rsl_flag. Out of range: 22053
// above, 22054 below, the result left alone.
OCI_EXPORT sword OCINumberToInt(OCIError *err, const OCINumber *number, uword rsl_length, uword rsl_flag,
                                void *rsl) {
    return NumberEntry("OCINumberToInt", err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (rsl == nullptr) return Missing(err, "5");
        if (!ValidSignFlag(rsl_flag) || !ValidIntSize(rsl_length)) return OCI_ERROR;
        Decimal a;
        if (!Load(number, &a)) return OCI_ERROR;
        const Decimal t = decimal::Trunc(a);
        const bool isSigned = rsl_flag == OCI_NUMBER_SIGNED;
        Decimal lo, hi;
        IntRange(rsl_length, isSigned, &lo, &hi);
        if (decimal::Compare(t, hi) > 0) return Fail(err, kErrOverflow);
        if (decimal::Compare(t, lo) < 0) return Fail(err, kErrUnderflow);
        if (isSigned) {
            int64_t v = 0;
            t.ToInt64(&v);
            switch (rsl_length) {
                case 1: Put(rsl, static_cast<int8_t>(v)); break;
                case 2: Put(rsl, static_cast<int16_t>(v)); break;
                case 4: Put(rsl, static_cast<int32_t>(v)); break;
                default: Put(rsl, v); break;
            }
        } else {
            uint64_t v = 0;
            t.ToUInt64(&v);
            switch (rsl_length) {
                case 1: Put(rsl, static_cast<uint8_t>(v)); break;
                case 2: Put(rsl, static_cast<uint16_t>(v)); break;
                case 4: Put(rsl, static_cast<uint32_t>(v)); break;
                default: Put(rsl, v); break;
            }
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(err, number, rsl_length, rsl_flag, rsl));
}

// An integer of inum_length bytes, signed or unsigned, stored exactly.
OCI_EXPORT sword OCINumberFromInt(OCIError *err, const void *inum, uword inum_length, uword inum_s_flag,
                                  OCINumber *number) {
    return NumberEntry("OCINumberFromInt", err, [&]() -> sword {
        if (inum == nullptr) return Missing(err, "2");
        if (number == nullptr) return Missing(err, "5");
        if (!ValidSignFlag(inum_s_flag) || !ValidIntSize(inum_length)) return OCI_ERROR;
        Decimal v;
        if (inum_s_flag == OCI_NUMBER_SIGNED) {
            switch (inum_length) {
                case 1: v = Decimal::FromInt(Get<int8_t>(inum)); break;
                case 2: v = Decimal::FromInt(Get<int16_t>(inum)); break;
                case 4: v = Decimal::FromInt(Get<int32_t>(inum)); break;
                default: v = Decimal::FromInt(Get<int64_t>(inum)); break;
            }
        } else {
            switch (inum_length) {
                case 1: v = Decimal::FromUInt(Get<uint8_t>(inum)); break;
                case 2: v = Decimal::FromUInt(Get<uint16_t>(inum)); break;
                case 4: v = Decimal::FromUInt(Get<uint32_t>(inum)); break;
                default: v = Decimal::FromUInt(Get<uint64_t>(inum)); break;
            }
        }
        return Store(err, v, number);
    }, OCI_ARGS(err, inum, inum_length, inum_s_flag, number));
}

// The nearest single (rsl_length 4) or double (8); 22053 when the value is
// beyond the type's range.
OCI_EXPORT sword OCINumberToReal(OCIError *err, const OCINumber *number, uword rsl_length, void *rsl) {
    return NumberEntry("OCINumberToReal", err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (rsl == nullptr) return Missing(err, "4");
        return ToReal(err, number, rsl_length, rsl);
    }, OCI_ARGS(err, number, rsl_length, rsl));
}

// OCINumberToReal on each of `elems` numbers into consecutive reals of
// rsl_length bytes; stops at the first that fails.
OCI_EXPORT sword OCINumberToRealArray(OCIError *err, const OCINumber **number, uword elems, uword rsl_length,
                                      void *rsl) {
    return NumberEntry("OCINumberToRealArray", err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (rsl == nullptr) return Missing(err, "5");
        for (uword i = 0; i < elems; ++i) {
            if (number[i] == nullptr) return Missing(err, "2");
            const sword rc = ToReal(err, number[i], rsl_length, static_cast<char *>(rsl) + size_t{i} * rsl_length);
            if (rc != OCI_SUCCESS) return rc;
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(err, number, elems, rsl_length, rsl));
}

// A double (rnum_length 8 or more) or a single (4 to 7), taken with 15
// significant digits. A NaN is an invalid number (1722), an infinity an
// overflow (22053).
OCI_EXPORT sword OCINumberFromReal(OCIError *err, const void *rnum, uword rnum_length, OCINumber *number) {
    return NumberEntry("OCINumberFromReal", err, [&]() -> sword {
        if (rnum == nullptr) return Missing(err, "2");
        if (number == nullptr) return Missing(err, "4");
        if (rnum_length < sizeof(float)) return OCI_ERROR;
        const double v = rnum_length >= sizeof(double) ? Get<double>(rnum) : static_cast<double>(Get<float>(rnum));
        if (std::isnan(v)) return Fail(err, kErrNumberInvalid);
        if (std::isinf(v)) return Fail(err, kErrOverflow);
        Decimal d;
        if (!d.SetDouble(v, kRealDigits)) return OCI_ERROR;
        return Store(err, d, number);
    }, OCI_ARGS(err, rnum, rnum_length, number));
}

// Writes the value by a positional format model, or all its digits for
// "TM9". The text is copied with a terminator when the buffer holds both,
// and *buf_size becomes its length.
OCI_EXPORT sword OCINumberToText(OCIError *err, const OCINumber *number, const oratext *fmt, ub4 fmt_length,
                                 const oratext *nls_params, ub4 nls_p_length, ub4 *buf_size, oratext *buf) {
    return NumberEntry("OCINumberToText", err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (fmt == nullptr) return Missing(err, "3");
        if (buf_size == nullptr) return Missing(err, "7");
        if (buf == nullptr) return Missing(err, "8");
        Decimal a;
        if (!Load(number, &a)) return OCI_ERROR;
        const std::string format = AsString(fmt, strnlen(reinterpret_cast<const char *>(fmt), fmt_length));
        if (format.size() == 3 && (format[0] == 'T' || format[0] == 't') && (format[1] == 'M' || format[1] == 'm') &&
            format[2] == '9')
            return CopyOut(a.ToFixed(-a.LastPower()), buf_size, buf);
        if (!format.empty() && IsG(format[0])) {
            AddErrorRecordStringX(err, OCI_ERROR, kErrFormatInvalid, 1, format.c_str());
            return OCI_ERROR;
        }
        std::string formatted;
        if (!FormatNumber(a, format, &formatted)) return Fail(err, kErrFormatTranslation);
        return CopyOut(formatted, buf_size, buf);
    }, OCI_ARGS(err, number, fmt, fmt_length, nls_params, nls_p_length, buf_size, buf));
}

// Reads a number from str_length bytes of text. A format with group
// separators "G" fixes where commas stand: each "G" position must hold a
// comma and each comma must stand at a "G" position.
OCI_EXPORT sword OCINumberFromText(OCIError *err, const oratext *str, ub4 str_length, const oratext *fmt,
                                   ub4 fmt_length, const oratext *nls_params, ub4 nls_p_length, OCINumber *number) {
    return NumberEntry("OCINumberFromText", err, [&]() -> sword {
        if (str == nullptr) return Missing(err, "2");
        if (number == nullptr) return Missing(err, "8");
        if (str_length == 0) return OCI_ERROR;
        const char *chars = reinterpret_cast<const char *>(str);
        const std::string format = fmt == nullptr ? std::string()
                                                  : AsString(fmt, strnlen(reinterpret_cast<const char *>(fmt), fmt_length));
        bool grouped = false;
        for (char c : format) grouped = grouped || IsG(c);
        if (grouped) {
            // Text and format must run their whole given lengths.
            if (strnlen(chars, str_length) != str_length || format.size() != fmt_length) return OCI_ERROR;
            if (IsG(format[0])) {
                AddErrorRecordStringX(err, OCI_ERROR, kErrFormatInvalid, 1, format.c_str());
                return OCI_ERROR;
            }
            for (size_t i = 0; i < format.size() || i < str_length; ++i) {
                const bool g = i < format.size() && IsG(format[i]);
                const bool comma = i < str_length && chars[i] == ',';
                if (g != comma) {
                    AddErrorRecordStringX(err, OCI_ERROR, kErrInputInvalid, 1, AsString(str, str_length).c_str());
                    return OCI_ERROR;
                }
            }
        }
        ub1 bytes[kVarnumSize];
        if (ConvertStringToVARNUM(chars, strnlen(chars, str_length), bytes) != 0) {
            AddErrorRecordStringX(err, OCI_ERROR, kErrInputInvalid, 1, AsString(str, strnlen(chars, str_length)).c_str());
            return OCI_ERROR;
        }
        std::memcpy(number->OCINumberPart, bytes, sizeof bytes);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, str, str_length, fmt, fmt_length, nls_params, nls_p_length, number));
}

// OCIInterval entry points: field access, validation, comparison,
// arithmetic, and conversion from and to numbers, texts and zones.
//
// A body keeps months, days and seconds apart. A year-to-month interval uses
// the months; a day-to-second one the days and seconds. Fractions are given
// to and taken from the application in nanoseconds.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "types/datetime_api.h"

using namespace dtapi;

namespace {

constexpr int64_t kNanosPerMicro = 1000;
constexpr int kSecondsPerMonth = 30 * 86400;
constexpr int64_t kMaxLeading = 999999999;  // widest leading field (nine digits)

bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }
bool FitsInt32(double v) { return std::isfinite(v) && v >= INT32_MIN && v <= INT32_MAX; }

// Rounds a count of days or seconds to whole microseconds.
double RoundToMicros(double v) { return std::nearbyint(v * 1e6) / 1e6; }

sword NeedKind(OCIError *err, const IntervalValue *body, int kind) {
    return body->kind == kind ? OCI_SUCCESS : Fail(err, kErrNotConsistent);
}

// The interval with its time part justified into days (signs made
// consistent); false when the days overflow.
bool Justified(const IntervalValue *body, IntervalData *iv) {
    GetIntervalBody(body, iv);
    return interval_justify_hours(iv) == 0;
}

// ---- text --------------------------------------------------------------------

int64_t DigitsValue(const char *str, size_t len) {
    int64_t v = 0;
    for (size_t k = 0; k < len; ++k) {
        if (str[k] < '0' || str[k] > '9' || v > kMaxLeading) return -1;
        v = v * 10 + (str[k] - '0');
    }
    return len == 0 || v > kMaxLeading ? -1 : v;
}

// "HH:MI:SS[.fraction]" -> microseconds; -1 when malformed or out of range.
int64_t TimeOfDay(const char *str, size_t len) {
    const char *end = str + len;
    int64_t part[3];
    const char *p = str;
    for (int k = 0; k < 3; ++k) {
        const char *q = p;
        while (q < end && *q >= '0' && *q <= '9') ++q;
        if (q == p || q - p > 2) return -1;
        part[k] = DigitsValue(p, static_cast<size_t>(q - p));
        p = q;
        if (k < 2) {
            if (p == end || *p != ':') return -1;
            ++p;
        }
    }
    int64_t micros = 0;
    if (p < end) {
        if (*p != '.') return -1;
        ++p;
        int64_t scale = 100000;
        for (; p < end; ++p) {
            if (*p < '0' || *p > '9') return -1;
            // Digits below the microsecond are dropped.
            micros += (*p - '0') * scale;
            scale /= 10;
        }
    }
    if (part[0] > 24 || part[1] > 59 || part[2] > 59) return -1;
    if (part[0] == 24 && (part[1] != 0 || part[2] != 0 || micros != 0)) return -1;
    return ((part[0] * 60 + part[1]) * 60 + part[2]) * USECS_PER_SEC + micros;
}

// Day-to-second text: "[+|-]D HH:MI:SS[.fraction]"; the sign applies to the whole.
bool ReadDaySecond(const DateFields &fields, IntervalData *out) {
    if (fields.count != 2) return false;
    const DateField &day = fields.field[0], &time = fields.field[1];
    if (day.type != DTF_NUMBER || time.type != DTF_TIME || time.sign != 0) return false;
    const int64_t days = DigitsValue(day.str, day.len);
    const int64_t micros = TimeOfDay(time.str, time.len);
    if (days < 0 || micros < 0) return false;
    const int64_t sign = day.sign == '-' ? -1 : 1;
    *out = IntervalData{0, static_cast<int32_t>(sign * days), sign * micros};
    return true;
}

// Year-to-month text: "[+|-]Y-M" or "[+|-]Y M".
bool ReadYearMonth(const DateFields &fields, IntervalData *out) {
    int64_t years, months;
    char sign;
    if (fields.count == 1 && fields.field[0].type == DTF_DATE) {
        const DateField &f = fields.field[0];
        const char *dash = static_cast<const char *>(std::memchr(f.str, '-', f.len));
        if (dash == nullptr) return false;
        const size_t head = static_cast<size_t>(dash - f.str);
        years = DigitsValue(f.str, head);
        months = DigitsValue(dash + 1, f.len - head - 1);
        sign = f.sign;
    } else if (fields.count == 2 && fields.field[0].type == DTF_NUMBER && fields.field[1].type == DTF_NUMBER &&
               fields.field[1].sign == 0) {
        years = DigitsValue(fields.field[0].str, fields.field[0].len);
        months = DigitsValue(fields.field[1].str, fields.field[1].len);
        sign = fields.field[0].sign;
    } else {
        return false;
    }
    if (years < 0 || months < 0 || months > 11) return false;
    const int64_t total = (years * 12 + months) * (sign == '-' ? -1 : 1);
    if (!FitsInt32(total)) return false;
    *out = IntervalData{static_cast<int32_t>(total), 0, 0};
    return true;
}

int64_t Magnitude(int64_t v) { return v < 0 ? -v : v; }

std::string IntervalText(const IntervalValue *body, bool *ok) {
    char out[96];
    IntervalData iv;
    *ok = true;
    if (body->kind == OCI_DTYPE_INTERVAL_YM) {
        GetIntervalBody(body, &iv);
        const int64_t months = iv.months;
        std::snprintf(out, sizeof out, "%c%02lld-%02lld", months < 0 ? '-' : '+',
                      static_cast<long long>(Magnitude(months) / 12), static_cast<long long>(Magnitude(months) % 12));
        return out;
    }
    // Justified first, so that a body with days and time of opposite signs
    // is written as the one duration it stands for.
    if (!Justified(body, &iv)) {
        *ok = false;
        return {};
    }
    IntervalFields f;
    IntervalToFields(iv, &f);
    const bool negative = f.days < 0 || f.hours < 0 || f.minutes < 0 || f.seconds < 0 || f.fsec < 0;
    std::snprintf(out, sizeof out, "%c%02lld %02lld:%02lld:%02lld.%03lld", negative ? '-' : '+',
                  static_cast<long long>(Magnitude(f.days)), static_cast<long long>(Magnitude(f.hours)),
                  static_cast<long long>(Magnitude(f.minutes)), static_cast<long long>(Magnitude(f.seconds)),
                  static_cast<long long>(Magnitude(f.fsec) / 1000));
    return out;
}

// ---- arithmetic ------------------------------------------------------------------

sword Combine(const char *name, void *hndl, OCIError *err, OCIInterval *a, OCIInterval *b, OCIInterval *result,
              int64_t sign) {
    return HandleEntry(name, hndl, err, false, [&]() -> sword {
        IntervalValue *x = IntervalBody(err, a, 3);
        if (x == nullptr) return OCI_ERROR;
        IntervalValue *y = IntervalBody(err, b, 4);
        if (y == nullptr) return OCI_ERROR;
        IntervalValue *out = IntervalBody(err, result, 5);
        if (out == nullptr) return OCI_ERROR;
        if (x->kind != y->kind || x->kind != out->kind) return Fail(err, kErrNotConsistent);
        IntervalData p, q;
        GetIntervalBody(x, &p);
        GetIntervalBody(y, &q);
        const int64_t months = int64_t{p.months} + sign * q.months;
        const int64_t days = int64_t{p.days} + sign * q.days;
        const __int128 usecs = static_cast<__int128>(p.usecs) + sign * static_cast<__int128>(q.usecs);
        if (!FitsInt32(months) || !FitsInt32(days) || usecs > INT64_MAX || usecs < -INT64_MAX)
            return Fail(err, kErrOverflow);
        IntervalData sum{static_cast<int32_t>(months), static_cast<int32_t>(days), static_cast<int64_t>(usecs)};
        if (interval_justify_hours(&sum) != 0) return Fail(err, kErrOverflow);
        SetIntervalBody(out, sum);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, a, b, result));
}

// Multiplies (or divides) months, days and time by f. Fractions of a month
// become days (30 to a month) and fractions of a day become time.
sword Scale(const char *name, void *hndl, OCIError *err, const OCIInterval *inter, OCINumber *number,
            OCIInterval *result, bool divide) {
    return HandleEntry(name, hndl, err, false, [&]() -> sword {
        IntervalValue *in = IntervalBody(err, inter, 3);
        if (in == nullptr) return OCI_ERROR;
        if (number == nullptr) return MissingArgument(err, 4);
        IntervalValue *out = IntervalBody(err, result, 5);
        if (out == nullptr) return OCI_ERROR;
        if (in->kind != out->kind) return Fail(err, kErrNotConsistent);
        double f;
        if (!NumberToDouble(number, &f)) return MissingArgument(err, 4);
        if (divide && f == 0) return Fail(err, kErrDivisionByZero);
        auto apply = [&](double v) { return divide ? v / f : v * f; };
        IntervalData iv;
        GetIntervalBody(in, &iv);
        const double months = apply(iv.months), days = apply(iv.days);
        if (!FitsInt32(months) || !FitsInt32(days)) return Fail(err, kErrOverflow);
        const int64_t resultMonths = static_cast<int64_t>(months);
        int64_t resultDays = static_cast<int64_t>(days);
        const double monthRemainder = RoundToMicros((months - static_cast<double>(resultMonths)) * 30);
        double secondRemainder =
            RoundToMicros((days - static_cast<double>(resultDays) + monthRemainder - std::trunc(monthRemainder)) * 86400);
        if (std::fabs(secondRemainder) >= 86400) {
            const double whole = std::trunc(secondRemainder / 86400);
            resultDays += static_cast<int64_t>(whole);
            secondRemainder -= whole * 86400;
        }
        resultDays += static_cast<int64_t>(monthRemainder);
        const double usecs = std::nearbyint(apply(static_cast<double>(iv.usecs)) + secondRemainder * 1e6);
        if (!FitsInt32(resultDays) || !std::isfinite(usecs) || std::fabs(usecs) >= 9.2e18)
            return Fail(err, kErrOverflow);
        SetIntervalBody(out, IntervalData{static_cast<int32_t>(resultMonths), static_cast<int32_t>(resultDays),
                                          static_cast<int64_t>(usecs)});
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, inter, number, result));
}

// The check flags of one field: out of range, and below the valid values
// when it is the negative side that is exceeded.
ub4 RangeFlags(int64_t value, int64_t limit, ub4 invalid, ub4 below) {
    if (value > limit) return invalid;
    if (value < -limit) return invalid | below;
    return 0;
}

// A field whose sign opposes the interval's: both flags of that field.
ub4 SignFlags(int64_t value, int sign, ub4 invalid, ub4 below) {
    return (sign > 0 && value < 0) || (sign < 0 && value > 0) ? invalid | below : 0;
}

}  // namespace

OCI_EXPORT sword OCIIntervalAssign(void *hndl, OCIError *err, const OCIInterval *ininter, OCIInterval *outinter) {
    return HandleEntry("OCIIntervalAssign", hndl, err, false, [&]() -> sword {
        IntervalValue *from = IntervalBody(err, ininter, 3);
        if (from == nullptr) return OCI_ERROR;
        IntervalValue *to = IntervalBody(err, outinter, 4);
        if (to == nullptr) return OCI_ERROR;
        if (from->kind != to->kind) return Fail(err, kErrNotConsistent);
        to->seconds = from->seconds;
        to->days = from->days;
        to->months = from->months;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, ininter, outinter));
}

OCI_EXPORT sword OCIIntervalCheck(void *hndl, OCIError *err, const OCIInterval *interval, ub4 *valid) {
    return HandleEntry("OCIIntervalCheck", hndl, err, false, [&]() -> sword {
        IntervalValue *body = IntervalBody(err, interval, 3);
        if (body == nullptr) return OCI_ERROR;
        if (valid == nullptr) return MissingArgument(err, 4);
        IntervalData iv;
        GetIntervalBody(body, &iv);
        ub4 flags = 0;
        if (body->kind == OCI_DTYPE_INTERVAL_YM) {
            const int64_t years = iv.months / 12;
            flags |= RangeFlags(years, kMaxLeading, OCI_INTER_INVALID_YEAR, OCI_INTER_YEAR_BELOW_VALID);
        } else {
            IntervalFields f;
            IntervalToFields(iv, &f);
            const int sign = f.days != 0 ? (f.days < 0 ? -1 : 1) : (iv.usecs < 0 ? -1 : 1);
            flags |= RangeFlags(f.days, kMaxLeading, OCI_INTER_INVALID_DAY, OCI_INTER_DAY_BELOW_VALID);
            flags |= RangeFlags(f.hours, 23, OCI_INTER_INVALID_HOUR, OCI_INTER_HOUR_BELOW_VALID);
            flags |= SignFlags(f.hours, sign, OCI_INTER_INVALID_HOUR, OCI_INTER_HOUR_BELOW_VALID);
            flags |= SignFlags(f.minutes, sign, OCI_INTER_INVALID_MINUTE, OCI_INTER_MINUTE_BELOW_VALID);
            flags |= SignFlags(f.seconds, sign, OCI_INTER_INVALID_SECOND, OCI_INTER_SECOND_BELOW_VALID);
            flags |= SignFlags(f.fsec, sign, OCI_INTER_INVALID_FRACSEC, OCI_INTER_FRACSEC_BELOW_VALID);
        }
        *valid = flags;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, interval, valid));
}

OCI_EXPORT sword OCIIntervalCompare(void *hndl, OCIError *err, OCIInterval *inter1, OCIInterval *inter2,
                                    sword *result) {
    return HandleEntry("OCIIntervalCompare", hndl, err, false, [&]() -> sword {
        IntervalValue *a = IntervalBody(err, inter1, 3);
        if (a == nullptr) return OCI_ERROR;
        IntervalValue *b = IntervalBody(err, inter2, 4);
        if (b == nullptr) return OCI_ERROR;
        if (result == nullptr) return MissingArgument(err, 5);
        // A month counts as 30 days; computed exactly, in microseconds.
        auto span = [](const IntervalValue *body) {
            IntervalData iv;
            GetIntervalBody(body, &iv);
            return (static_cast<__int128>(iv.months) * kSecondsPerMonth + static_cast<__int128>(iv.days) * 86400) *
                       USECS_PER_SEC + iv.usecs;
        };
        const __int128 x = span(a), y = span(b);
        *result = x < y ? -1 : (x > y ? 1 : 0);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, inter1, inter2, result));
}

OCI_EXPORT sword OCIIntervalAdd(void *hndl, OCIError *err, OCIInterval *addend1, OCIInterval *addend2,
                                OCIInterval *result) {
    return Combine("OCIIntervalAdd", hndl, err, addend1, addend2, result, 1);
}

OCI_EXPORT sword OCIIntervalSubtract(void *hndl, OCIError *err, OCIInterval *minuend, OCIInterval *subtrahend,
                                     OCIInterval *result) {
    return Combine("OCIIntervalSubtract", hndl, err, minuend, subtrahend, result, -1);
}

OCI_EXPORT sword OCIIntervalMultiply(void *hndl, OCIError *err, const OCIInterval *inter, OCINumber *nfactor,
                                     OCIInterval *result) {
    return Scale("OCIIntervalMultiply", hndl, err, inter, nfactor, result, false);
}

OCI_EXPORT sword OCIIntervalDivide(void *hndl, OCIError *err, OCIInterval *dividend, OCINumber *divisor,
                                   OCIInterval *result) {
    return Scale("OCIIntervalDivide", hndl, err, dividend, divisor, result, true);
}

OCI_EXPORT sword OCIIntervalFromNumber(void *hndl, OCIError *err, OCIInterval *inter, OCINumber *number) {
    return HandleEntry("OCIIntervalFromNumber", hndl, err, false, [&]() -> sword {
        IntervalValue *body = IntervalBody(err, inter, 3);
        if (body == nullptr) return OCI_ERROR;
        if (number == nullptr) return MissingArgument(err, 4);
        double x;
        if (!NumberToDouble(number, &x)) return MissingArgument(err, 4);
        const double whole = std::trunc(x);
        IntervalData iv{0, 0, 0};
        if (body->kind == OCI_DTYPE_INTERVAL_DS) {
            // A number of days.
            if (!FitsInt32(whole)) return Fail(err, kErrOverflow);
            iv.days = static_cast<int32_t>(whole);
            iv.usecs = static_cast<int64_t>(std::nearbyint((x - whole) * 86400 * 1e6));
        } else {
            // A number of years: whole years and the months of the fraction
            // (a hair added so that 1/12 written to 15 digits is one month).
            const double fraction = (x - whole) * 12;
            const double months = whole * 12 + std::trunc(fraction + (fraction < 0 ? -1e-9 : 1e-9));
            if (!FitsInt32(months)) return Fail(err, kErrOverflow);
            iv.months = static_cast<int32_t>(months);
        }
        SetIntervalBody(body, iv);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, inter, number));
}

OCI_EXPORT sword OCIIntervalToNumber(void *hndl, OCIError *err, const OCIInterval *inter, OCINumber *number) {
    return HandleEntry("OCIIntervalToNumber", hndl, err, false, [&]() -> sword {
        IntervalValue *body = IntervalBody(err, inter, 3);
        if (body == nullptr) return OCI_ERROR;
        if (number == nullptr) return MissingArgument(err, 4);
        IntervalData iv;
        GetIntervalBody(body, &iv);
        const double seconds = static_cast<double>(iv.usecs) / 1e6;
        const double value = body->kind == OCI_DTYPE_INTERVAL_DS
                                 ? iv.days + seconds / 86400
                                 : iv.days / 365.25 + iv.months / 12.0 + seconds / 31557600;
        if (!DoubleToNumber(value, number)) return Fail(err, kErrOverflow);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, inter, number));
}

OCI_EXPORT sword OCIIntervalGetYearMonth(void *hndl, OCIError *err, sb4 *yr, sb4 *mnth, const OCIInterval *result) {
    return HandleEntry("OCIIntervalGetYearMonth", hndl, err, false, [&]() -> sword {
        if (yr == nullptr) return MissingArgument(err, 3);
        if (mnth == nullptr) return MissingArgument(err, 4);
        IntervalValue *body = IntervalBody(err, result, 5);
        if (body == nullptr) return OCI_ERROR;
        if (NeedKind(err, body, OCI_DTYPE_INTERVAL_YM) != OCI_SUCCESS) return OCI_ERROR;
        *yr = body->months / 12;
        *mnth = body->months % 12;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, yr, mnth, result));
}

OCI_EXPORT sword OCIIntervalSetYearMonth(void *hndl, OCIError *err, sb4 yr, sb4 mnth, OCIInterval *result) {
    return HandleEntry("OCIIntervalSetYearMonth", hndl, err, false, [&]() -> sword {
        IntervalValue *body = IntervalBody(err, result, 5);
        if (body == nullptr) return OCI_ERROR;
        if (NeedKind(err, body, OCI_DTYPE_INTERVAL_YM) != OCI_SUCCESS) return OCI_ERROR;
        const int64_t months = int64_t{yr} * 12 + mnth;
        if (!FitsInt32(months)) return Fail(err, kErrOverflow);
        SetIntervalBody(body, IntervalData{static_cast<int32_t>(months), 0, 0});
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, yr, mnth, result));
}

OCI_EXPORT sword OCIIntervalGetDaySecond(void *hndl, OCIError *err, sb4 *dy, sb4 *hr, sb4 *mm, sb4 *ss, sb4 *fsec,
                                         const OCIInterval *result) {
    return HandleEntry("OCIIntervalGetDaySecond", hndl, err, false, [&]() -> sword {
        sb4 *outs[5] = {dy, hr, mm, ss, fsec};
        for (int k = 0; k < 5; ++k)
            if (outs[k] == nullptr) return MissingArgument(err, 3 + k);
        IntervalValue *body = IntervalBody(err, result, 8);
        if (body == nullptr) return OCI_ERROR;
        if (NeedKind(err, body, OCI_DTYPE_INTERVAL_DS) != OCI_SUCCESS) return OCI_ERROR;
        IntervalData iv;
        GetIntervalBody(body, &iv);
        IntervalFields f;
        IntervalToFields(iv, &f);
        if (!FitsInt32(f.hours)) return Fail(err, kErrOverflow);
        *dy = f.days;
        *hr = static_cast<sb4>(f.hours);
        *mm = f.minutes;
        *ss = f.seconds;
        *fsec = static_cast<sb4>(f.fsec * kNanosPerMicro);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, dy, hr, mm, ss, fsec, result));
}

OCI_EXPORT sword OCIIntervalSetDaySecond(void *hndl, OCIError *err, sb4 dy, sb4 hr, sb4 mm, sb4 ss, sb4 fsec,
                                         OCIInterval *result) {
    return HandleEntry("OCIIntervalSetDaySecond", hndl, err, false, [&]() -> sword {
        IntervalValue *body = IntervalBody(err, result, 8);
        if (body == nullptr) return OCI_ERROR;
        if (NeedKind(err, body, OCI_DTYPE_INTERVAL_DS) != OCI_SUCCESS) return OCI_ERROR;
        // Nanoseconds rounded to the microseconds a body keeps.
        const int64_t micros = (int64_t{fsec} + (fsec < 0 ? -500 : 500)) / kNanosPerMicro;
        const int64_t usecs = (int64_t{hr} * 3600 + int64_t{mm} * 60 + ss) * USECS_PER_SEC + micros;
        SetIntervalBody(body, IntervalData{0, dy, usecs});
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, dy, hr, mm, ss, fsec, result));
}

OCI_EXPORT sword OCIIntervalFromText(void *hndl, OCIError *err, const OraText *inpstr, size_t str_len,
                                     OCIInterval *result) {
    return HandleEntry("OCIIntervalFromText", hndl, err, false, [&]() -> sword {
        if (inpstr == nullptr) return MissingArgument(err, 3);
        IntervalValue *body = IntervalBody(err, result, 5);
        if (body == nullptr) return OCI_ERROR;
        const char *chars = reinterpret_cast<const char *>(inpstr);
        DateFields fields;
        IntervalData iv;
        if (ParseDateTime(chars, strnlen(chars, str_len), &fields) != 0) return Fail(err, kErrIntervalText);
        const bool ok = body->kind == OCI_DTYPE_INTERVAL_DS ? ReadDaySecond(fields, &iv) : ReadYearMonth(fields, &iv);
        if (!ok) return Fail(err, kErrIntervalText);
        SetIntervalBody(body, iv);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, inpstr, str_len, result));
}

OCI_EXPORT sword OCIIntervalToText(void *hndl, OCIError *err, const OCIInterval *inter, ub1 lfprec, ub1 fsprec,
                                   OraText *buffer, size_t buflen, size_t *resultlen) {
    return HandleEntry("OCIIntervalToText", hndl, err, false, [&]() -> sword {
        IntervalValue *body = IntervalBody(err, inter, 3);
        if (body == nullptr) return OCI_ERROR;
        if (buffer == nullptr) return MissingArgument(err, 6);
        if (resultlen == nullptr) return MissingArgument(err, 8);
        bool ok;
        const std::string rendered = IntervalText(body, &ok);
        if (!ok) return Fail(err, kErrOverflow);
        if (rendered.size() >= buflen) return Fail(err, kErrBufferTooSmall);
        std::memcpy(buffer, rendered.c_str(), rendered.size() + 1);
        *resultlen = rendered.size();
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, inter, lfprec, fsprec, buffer, buflen, resultlen));
}

OCI_EXPORT sword OCIIntervalFromTZ(void *hndl, OCIError *err, const oratext *inpstring, size_t str_len,
                                   OCIInterval *result) {
    return HandleEntry("OCIIntervalFromTZ", hndl, err, false, [&]() -> sword {
        if (inpstring == nullptr) return MissingArgument(err, 3);
        IntervalValue *body = IntervalBody(err, result, 5);
        if (body == nullptr) return OCI_ERROR;
        if (NeedKind(err, body, OCI_DTYPE_INTERVAL_DS) != OCI_SUCCESS) return OCI_ERROR;
        const char *chars = reinterpret_cast<const char *>(inpstring);
        int offset;
        if (DecodeTZ(chars, strnlen(chars, str_len), &offset, nullptr, nullptr, nullptr) != 0)
            return Fail(err, kErrUnusableDateTime);
        SetIntervalBody(body, IntervalData{0, 0, int64_t{offset} * USECS_PER_SEC});
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, inpstring, str_len, result));
}

// Calendar arithmetic, the Oracle date forms, the server timestamp and the
// date/time and interval texts. See datetime_format.h for the conventions
// (astronomical years in pg_tm, zone offsets east of UTC).
#include "types/datetime_format.h"

#include <charconv>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>

#include "platform/os.h"

namespace {

// ---- small helpers ------------------------------------------------------------------

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAlnum(char c) { return IsDigit(c) || IsAlpha(c); }
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool WordIs(const char *str, size_t len, const char *word) {
    size_t n = std::strlen(word);
    if (n != len) return false;
    for (size_t k = 0; k < n; ++k)
        if (Lower(str[k]) != word[k]) return false;
    return true;
}

bool AllDigits(const char *str, size_t len) {
    if (len == 0) return false;
    for (size_t k = 0; k < len; ++k)
        if (!IsDigit(str[k])) return false;
    return true;
}

// Digits -> value; values above `cap` are clamped to cap + 1 so that callers
// see "too large" without any overflow.
int64_t DigitsValue(const char *str, size_t len, int64_t cap) {
    int64_t v = 0;
    for (size_t k = 0; k < len; ++k) {
        v = v * 10 + (str[k] - '0');
        if (v > cap) return cap + 1;
    }
    return v;
}

// Fraction digits (after the point) as a double, read without the process
// locale. The server reads fractions the same way (a correctly rounded
// double, scaled and rounded half to even), and so must we to agree with it
// on texts that carry more digits than it prints.
double FractionValue(const char *str, size_t len) {
    if (len == 0) return 0.0;
    std::string digits = "0.";
    digits.append(str, len);
    double v = 0.0;
    std::from_chars(digits.data(), digits.data() + digits.size(), v);
    return v;
}

// Fraction digits -> microseconds; may give 1000000 (".9999996").
int64_t FractionToMicros(const char *str, size_t len) {
    return static_cast<int64_t>(std::nearbyint(FractionValue(str, len) * 1e6));
}

void AppendTrimmedFraction(std::string &out, int64_t usec) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%06lld", static_cast<long long>(usec));
    size_t n = 6;
    while (n > 0 && buf[n - 1] == '0') --n;
    out.push_back('.');
    out.append(buf, n);
}

int CopyOut(const std::string &str, char *out, size_t cap) {
    if (out == nullptr || str.size() + 1 > cap) return -1;
    std::memcpy(out, str.c_str(), str.size() + 1);
    return static_cast<int>(str.size());
}

// Days since 1970-01-01 of a proleptic Gregorian date (any month 1..12).
int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t *y, int *m, int *d) {
    z += 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    *d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    *m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *y = yoe + era * 400 + (*m <= 2);
}

int64_t JulianDay(int64_t y, int m, int d) { return DaysFromCivil(y, m, d) + UNIX_EPOCH_JDATE; }

void FillDayNumbers(pg_tm *tm) {
    int64_t jd = JulianDay(tm->tm_year, tm->tm_mon, tm->tm_mday);
    tm->tm_wday = static_cast<int>(FloorDiv(jd + 1, 7) * -7 + jd + 1);
    tm->tm_yday = static_cast<int>(jd - JulianDay(tm->tm_year, 1, 1) + 1);
}

bool YearInDateRange(int64_t year) { return year >= -4713 && year <= DATETIME_MAX_YEAR; }

// Local offset (seconds east) the operating system gives for a Unix time.
int OffsetAtUnixTime(int64_t t) {
    time_t tt = static_cast<time_t>(t);
    struct tm lt;
    if (localtime_r(&tt, &lt) == nullptr) return 0;
    return static_cast<int>(os::LocalUtcOffset(tt, lt));
}

int64_t CurrentMicros() {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * USECS_PER_SEC + now.tv_nsec / 1000;
}

uint64_t LoadBE(const unsigned char *b, int n) {
    uint64_t v = 0;
    for (int k = 0; k < n; ++k) v = (v << 8) | b[k];
    return v;
}

void StoreBE(unsigned char *b, uint64_t v, int n) {
    for (int k = n - 1; k >= 0; --k) {
        b[k] = static_cast<unsigned char>(v & 0xFF);
        v >>= 8;
    }
}

}  // namespace

// ---- calendar ---------------------------------------------------------------------------

const int day_tab[2][13] = {{0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                            {0, 31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
    if (month < 1 || month > 12) return 31;
    return day_tab[IsLeapYear(year) ? 1 : 0][month];
}

int date2j(int year, int month, int day) { return static_cast<int>(JulianDay(year, month, day)); }

void j2date(int jd, int *year, int *month, int *day) {
    int64_t y;
    int m, d;
    CivilFromDays(static_cast<int64_t>(jd) - UNIX_EPOCH_JDATE, &y, &m, &d);
    *year = static_cast<int>(y);
    *month = m;
    *day = d;
}

int j2day(int jd) { return static_cast<int>(FloorDiv(static_cast<int64_t>(jd) + 1, 7) * -7 + jd + 1); }

int OracleYearToAstronomical(int year) { return year < 0 ? year + 1 : year; }
int AstronomicalYearToOracle(int year) { return year <= 0 ? year - 1 : year; }

int ConstructTmFromData(pg_tm *tm, int year, int month, int day, int hour, int minute, int second) {
    if (tm == nullptr) return -1;
    int64_t sec = second, min = minute, hr = hour, dd = day, mon = month, yr = year;
    int64_t carry = FloorDiv(sec, 60);
    sec -= carry * 60;
    min += carry;
    carry = FloorDiv(min, 60);
    min -= carry * 60;
    hr += carry;
    carry = FloorDiv(hr, 24);
    hr -= carry * 24;
    dd += carry;
    carry = FloorDiv(mon - 1, 12);
    mon -= carry * 12;
    yr += carry;
    if (!YearInDateRange(yr)) return -1;
    int64_t y;
    int m, d;
    CivilFromDays(DaysFromCivil(yr, static_cast<int>(mon), 1) + dd - 1, &y, &m, &d);
    if (!YearInDateRange(y)) return -1;
    std::memset(tm, 0, sizeof *tm);
    tm->tm_year = static_cast<int>(y);
    tm->tm_mon = m;
    tm->tm_mday = d;
    tm->tm_hour = static_cast<int>(hr);
    tm->tm_min = static_cast<int>(min);
    tm->tm_sec = static_cast<int>(sec);
    FillDayNumbers(tm);
    return 0;
}

ub4 VerifyDate(const OCIDate *date) {
    if (date == nullptr) return OCI_DATE_INVALID_FORMAT;
    ub4 flags = 0;
    int year = date->OCIDateYYYY, month = date->OCIDateMM, day = date->OCIDateDD;
    if (year == 0) flags |= OCI_DATE_YEAR_ZERO;
    if (year < -4712) flags |= OCI_DATE_INVALID_YEAR | OCI_DATE_YEAR_BELOW_VALID;
    if (year > 9999) flags |= OCI_DATE_INVALID_YEAR;
    if (month == 0) flags |= OCI_DATE_INVALID_MONTH | OCI_DATE_MONTH_BELOW_VALID;
    if (month > 12) flags |= OCI_DATE_INVALID_MONTH;
    int limit = (month >= 1 && month <= 12) ? DaysInMonth(OracleYearToAstronomical(year), month) : 31;
    if (day == 0) flags |= OCI_DATE_INVALID_DAY | OCI_DATE_DAY_BELOW_VALID;
    if (day > limit) flags |= OCI_DATE_INVALID_DAY;
    if (date->OCIDateTime.OCITimeHH >= 24) flags |= OCI_DATE_INVALID_HOUR;
    if (date->OCIDateTime.OCITimeMI >= 60) flags |= OCI_DATE_INVALID_MINUTE;
    if (date->OCIDateTime.OCITimeSS >= 60) flags |= OCI_DATE_INVALID_SECOND;
    if (year == 1582 && month == 10 && day >= 5 && day <= 14) flags |= OCI_DATE_DAY_MISSING_FROM_1582;
    return flags;
}

// ---- the server timestamp ------------------------------------------------------------------

bool TimestampIsSpecial(Timestamp ts) { return ts == DT_NOBEGIN || ts == DT_NOEND; }
bool IsValidTimestamp(Timestamp ts) { return ts >= MIN_TIMESTAMP && ts < END_TIMESTAMP; }

int tm2timestamp(const pg_tm *tm, fsec_t fsec, const int *zoneOffset, Timestamp *out) {
    if (tm == nullptr || out == nullptr) return -1;
    if (!YearInDateRange(tm->tm_year) || tm->tm_mon < 1 || tm->tm_mon > 12) return -1;
    __int128 days = JulianDay(tm->tm_year, tm->tm_mon, tm->tm_mday) - POSTGRES_EPOCH_JDATE;
    __int128 time = ((static_cast<__int128>(tm->tm_hour) * 60 + tm->tm_min) * 60 + tm->tm_sec) * USECS_PER_SEC + fsec;
    __int128 value = days * USECS_PER_DAY + time;
    if (zoneOffset != nullptr) value -= static_cast<__int128>(*zoneOffset) * USECS_PER_SEC;
    if (value < MIN_TIMESTAMP || value >= END_TIMESTAMP) return -1;
    *out = static_cast<Timestamp>(value);
    return 0;
}

int timestamp2tm(Timestamp ts, const int *zoneOffset, pg_tm *tm, fsec_t *fsec) {
    if (tm == nullptr || !IsValidTimestamp(ts)) return -1;
    int64_t local = ts + (zoneOffset != nullptr ? static_cast<int64_t>(*zoneOffset) * USECS_PER_SEC : 0);
    int64_t days = FloorDiv(local, USECS_PER_DAY);
    int64_t time = local - days * USECS_PER_DAY;
    int64_t y;
    int m, d;
    CivilFromDays(days + POSTGRES_EPOCH_JDATE - UNIX_EPOCH_JDATE, &y, &m, &d);
    std::memset(tm, 0, sizeof *tm);
    tm->tm_year = static_cast<int>(y);
    tm->tm_mon = m;
    tm->tm_mday = d;
    tm->tm_hour = static_cast<int>(time / USECS_PER_HOUR);
    tm->tm_min = static_cast<int>(time / USECS_PER_MINUTE % 60);
    tm->tm_sec = static_cast<int>(time / USECS_PER_SEC % 60);
    tm->tm_gmtoff = zoneOffset != nullptr ? *zoneOffset : 0;
    FillDayNumbers(tm);
    if (fsec != nullptr) *fsec = static_cast<fsec_t>(time % USECS_PER_SEC);
    return 0;
}

int EncodeSpecialTimestamp(Timestamp ts, char *out, size_t cap) {
    if (ts == DT_NOBEGIN) return CopyOut("-infinity", out, cap);
    if (ts == DT_NOEND) return CopyOut("infinity", out, cap);
    return -1;
}

int TimestampFromSendFormat(const void *bytes, size_t len, Timestamp *out) {
    if (bytes == nullptr || out == nullptr || len != 8) return -1;
    *out = static_cast<Timestamp>(LoadBE(static_cast<const unsigned char *>(bytes), 8));
    return 0;
}

void TimestampToSendFormat(Timestamp ts, unsigned char out[8]) { StoreBE(out, static_cast<uint64_t>(ts), 8); }

int DateFromSendFormat(const void *bytes, size_t len, int32_t *daysSince2000) {
    if (bytes == nullptr || daysSince2000 == nullptr || len != 4) return -1;
    *daysSince2000 = static_cast<int32_t>(static_cast<uint32_t>(LoadBE(static_cast<const unsigned char *>(bytes), 4)));
    return 0;
}

int IntervalFromSendFormat(const void *bytes, size_t len, IntervalData *out) {
    if (bytes == nullptr || out == nullptr || len != 16) return -1;
    const auto *b = static_cast<const unsigned char *>(bytes);
    out->usecs = static_cast<int64_t>(LoadBE(b, 8));
    out->days = static_cast<int32_t>(static_cast<uint32_t>(LoadBE(b + 8, 4)));
    out->months = static_cast<int32_t>(static_cast<uint32_t>(LoadBE(b + 12, 4)));
    return 0;
}

void IntervalToSendFormat(const IntervalData &iv, unsigned char out[16]) {
    StoreBE(out, static_cast<uint64_t>(iv.usecs), 8);
    StoreBE(out + 8, static_cast<uint32_t>(iv.days), 4);
    StoreBE(out + 12, static_cast<uint32_t>(iv.months), 4);
}

// ---- zones ----------------------------------------------------------------------------------

int DetermineLocalTimeZone(const pg_tm *tm) {
    if (tm == nullptr || !YearInDateRange(tm->tm_year) || tm->tm_mon < 1 || tm->tm_mon > 12) return 0;
    int64_t wall = (JulianDay(tm->tm_year, tm->tm_mon, tm->tm_mday) - UNIX_EPOCH_JDATE) * 86400 +
                   tm->tm_hour * 3600 + tm->tm_min * 60 + tm->tm_sec;
    // The offset at the instant the wall time would be in UTC is a first guess;
    // one more step settles it unless the wall time falls into a transition.
    int first = OffsetAtUnixTime(wall);
    int second = OffsetAtUnixTime(wall - first);
    if (second == first) return first;
    int third = OffsetAtUnixTime(wall - second);
    return third == second ? second : first;
}

int LocalZoneOffsetAt(Timestamp ts) {
    if (!IsValidTimestamp(ts)) return 0;
    return OffsetAtUnixTime(FloorDiv(ts, USECS_PER_SEC) +
                            static_cast<int64_t>(POSTGRES_EPOCH_JDATE - UNIX_EPOCH_JDATE) * 86400);
}

int GetCurrTimeZone(int *hours, int *minutes) {
    int offset = OffsetAtUnixTime(static_cast<int64_t>(time(nullptr)));
    if (hours != nullptr) *hours = offset / 3600;
    if (minutes != nullptr) *minutes = (offset < 0 ? -offset : offset) / 60 % 60;
    return offset;
}

int DecodeTZ(const char *str, size_t len, int *offset, int *hours, int *minutes, int *seconds) {
    auto store = [&](int off, int h, int m) {
        if (offset != nullptr) *offset = off;
        if (hours != nullptr) *hours = h;
        if (minutes != nullptr) *minutes = m;
        if (seconds != nullptr) *seconds = 0;
    };
    size_t begin = 0, end = str == nullptr ? 0 : len;
    while (begin < end && IsSpace(str[begin])) ++begin;
    while (end > begin && IsSpace(str[end - 1])) --end;
    if (begin == end) {
        int h = 0, m = 0;
        int off = GetCurrTimeZone(&h, &m);
        store(off, h, m);
        return 0;
    }
    const char *t = str + begin;
    size_t n = end - begin;
    if (WordIs(t, n, "utc") || WordIs(t, n, "gmt") || WordIs(t, n, "z")) {
        store(0, 0, 0);
        return 0;
    }
    size_t i = 0;
    int sign = 1;
    if (t[i] == '+' || t[i] == '-') sign = t[i++] == '-' ? -1 : 1;
    size_t h0 = i;
    while (i < n && i - h0 < 2 && IsDigit(t[i])) ++i;
    if (i == h0) return -1;
    int h = static_cast<int>(DigitsValue(t + h0, i - h0, 99));
    int m = 0;
    if (i < n && t[i] == ':') {
        size_t m0 = ++i;
        while (i < n && i - m0 < 2 && IsDigit(t[i])) ++i;
        if (i == m0) return -1;
        m = static_cast<int>(DigitsValue(t + m0, i - m0, 99));
    }
    if (i != n) return -1;
    int signedHours = sign * h;
    if (signedHours < -12 || signedHours > 14 || m > 59) return -5;
    store(sign * (h * 60 + m) * 60, signedHours, m);
    return 0;
}

// ---- Oracle forms --------------------------------------------------------------------------

int EncodeOracleDATE(ub1 *out, const pg_tm *tm, bool withTime) {
    if (out == nullptr || tm == nullptr) return -1;
    int year = AstronomicalYearToOracle(tm->tm_year);
    if (year < -9999 || year > 9999) return -1;
    out[0] = static_cast<ub1>(year / 100 + 100);
    out[1] = static_cast<ub1>(year % 100 + 100);
    out[2] = static_cast<ub1>(tm->tm_mon);
    out[3] = static_cast<ub1>(tm->tm_mday);
    out[4] = static_cast<ub1>(withTime ? tm->tm_hour + 1 : 1);
    out[5] = static_cast<ub1>(withTime ? tm->tm_min + 1 : 1);
    out[6] = static_cast<ub1>(withTime ? tm->tm_sec + 1 : 1);
    return 0;
}

void DecodeOracleDATE(const ub1 *in, pg_tm *tm, bool withTime) {
    if (in == nullptr || tm == nullptr) return;
    std::memset(tm, 0, sizeof *tm);
    tm->tm_year = OracleYearToAstronomical((in[0] - 100) * 100 + in[1] - 100);
    tm->tm_mon = in[2];
    tm->tm_mday = in[3];
    if (withTime) {
        tm->tm_hour = in[4] - 1;
        tm->tm_min = in[5] - 1;
        tm->tm_sec = in[6] - 1;
    }
}

int EncodeOracleOCIDate(OCIDate *out, const pg_tm *tm, bool withTime) {
    if (out == nullptr || tm == nullptr) return -1;
    int year = AstronomicalYearToOracle(tm->tm_year);
    if (year < std::numeric_limits<sb2>::min() || year > std::numeric_limits<sb2>::max()) return -1;
    std::memset(out, 0, sizeof *out);
    out->OCIDateYYYY = static_cast<sb2>(year);
    out->OCIDateMM = static_cast<ub1>(tm->tm_mon);
    out->OCIDateDD = static_cast<ub1>(tm->tm_mday);
    if (withTime) {
        out->OCIDateTime.OCITimeHH = static_cast<ub1>(tm->tm_hour);
        out->OCIDateTime.OCITimeMI = static_cast<ub1>(tm->tm_min);
        out->OCIDateTime.OCITimeSS = static_cast<ub1>(tm->tm_sec);
    }
    return 0;
}

void DecodeOracleOCIDate(const OCIDate *in, pg_tm *tm, bool withTime) {
    if (in == nullptr || tm == nullptr) return;
    std::memset(tm, 0, sizeof *tm);
    tm->tm_year = OracleYearToAstronomical(in->OCIDateYYYY);
    tm->tm_mon = in->OCIDateMM;
    tm->tm_mday = in->OCIDateDD;
    if (withTime) {
        tm->tm_hour = in->OCIDateTime.OCITimeHH;
        tm->tm_min = in->OCIDateTime.OCITimeMI;
        tm->tm_sec = in->OCIDateTime.OCITimeSS;
    }
}

fsec_t GetDateTimeFraction(const DateTimeValue *body) {
    return body == nullptr ? 0 : static_cast<fsec_t>(LoadBE(body->fraction, 4));
}

void SetDateTimeFraction(DateTimeValue *body, fsec_t fsec) {
    if (body != nullptr) StoreBE(body->fraction, static_cast<uint32_t>(fsec), 4);
}

void SetDateTimeZone(DateTimeValue *body, int offset) {
    if (body == nullptr) return;
    int magnitude = offset < 0 ? -offset : offset;
    body->zoneOffset = offset;
    body->zoneHours = static_cast<sb1>(offset / 3600);
    body->zoneMinutes = static_cast<ub1>(magnitude / 60 % 60);
    body->zoneSeconds = static_cast<ub1>(magnitude % 60);
    std::snprintf(body->zoneText, sizeof body->zoneText, "%c%02d:%02d", offset < 0 ? '-' : '+',
                  magnitude / 3600 % 100, magnitude / 60 % 60);
}

int EncodeOracleOCIDateTime(DateTimeValue *body, const pg_tm *tm, bool withZone, fsec_t fsec) {
    if (body == nullptr || tm == nullptr) return -1;
    if (EncodeOracleOCIDate(&body->date, tm, true) != 0) return -1;
    SetDateTimeFraction(body, fsec);
    if (withZone) SetDateTimeZone(body, static_cast<int>(tm->tm_gmtoff));
    return 0;
}

void DecodeOracleOCIDateTime(const DateTimeValue *body, pg_tm *tm, fsec_t *fsec, bool withZone) {
    if (body == nullptr || tm == nullptr) return;
    DecodeOracleOCIDate(&body->date, tm, true);
    if (fsec != nullptr) *fsec = GetDateTimeFraction(body);
    if (withZone) {
        tm->tm_gmtoff = body->kind == OCI_DTYPE_TIMESTAMP_LTZ ? GetCurrTimeZone(nullptr, nullptr) : body->zoneOffset;
        tm->tm_zone = body->zoneText;
    }
}

namespace {
bool KindHasZone(ub1 kind) { return kind == OCI_DTYPE_TIMESTAMP_TZ || kind == OCI_DTYPE_TIMESTAMP_LTZ; }
}  // namespace

int ConvertOCIDateTimeToTimestamp(const DateTimeValue *body, Timestamp *out) {
    if (body == nullptr || out == nullptr) return -1;
    pg_tm tm;
    DecodeOracleOCIDate(&body->date, &tm, true);
    int offset = body->zoneOffset;
    return tm2timestamp(&tm, GetDateTimeFraction(body), KindHasZone(body->kind) ? &offset : nullptr, out);
}

int ConvertOCIDateTimeFromTimestamp(DateTimeValue *body, Timestamp ts) {
    if (body == nullptr) return -1;
    pg_tm tm;
    fsec_t fsec = 0;
    int offset = body->zoneOffset;
    if (timestamp2tm(ts, KindHasZone(body->kind) ? &offset : nullptr, &tm, &fsec) != 0) return -1;
    // A DATE body carries no time of day: it is written as midnight.
    if (EncodeOracleOCIDate(&body->date, &tm, body->kind != OCI_DTYPE_DATE) != 0) return -1;
    if (body->kind == OCI_DTYPE_DATE) return 0;
    SetDateTimeFraction(body, fsec);
    if (KindHasZone(body->kind)) SetDateTimeZone(body, offset);
    return 0;
}

int ConvertOCIDateTimeToTimestamp(const OCIDateTime *dt, Timestamp *out) {
    if (dt == nullptr || dt->handleType != HANDLE_OCIDateTime) return -1;
    return ConvertOCIDateTimeToTimestamp(dt->value, out);
}

int ConvertOCIDateTimeFromTimestamp(OCIDateTime *dt, Timestamp ts) {
    if (dt == nullptr || dt->handleType != HANDLE_OCIDateTime) return -1;
    return ConvertOCIDateTimeFromTimestamp(dt->value, ts);
}

// ---- interval values ------------------------------------------------------------------------

void GetIntervalBody(const IntervalValue *body, IntervalData *out) {
    if (body == nullptr || out == nullptr) return;
    double micros = body->seconds * 1e6;
    const double limit = 9.2e18;
    out->usecs = micros != micros  ? 0
                 : micros >= limit ? INT64_MAX
                 : micros <= -limit ? INT64_MIN
                                    : static_cast<int64_t>(micros < 0 ? micros - 0.5 : micros + 0.5);
    out->days = body->days;
    out->months = body->months;
}

void SetIntervalBody(IntervalValue *body, const IntervalData &iv) {
    if (body == nullptr) return;
    body->seconds = static_cast<double>(iv.usecs) / 1e6;
    body->days = iv.days;
    body->months = iv.months;
}

int interval_justify_hours(IntervalData *iv) {
    if (iv == nullptr) return -1;
    int64_t days = iv->days + iv->usecs / USECS_PER_DAY;
    int64_t time = iv->usecs % USECS_PER_DAY;
    if (days > 0 && time < 0) {
        time += USECS_PER_DAY;
        --days;
    } else if (days < 0 && time > 0) {
        time -= USECS_PER_DAY;
        ++days;
    }
    if (days < INT32_MIN || days > INT32_MAX) return -1;
    iv->days = static_cast<int32_t>(days);
    iv->usecs = time;
    return 0;
}

void IntervalToFields(const IntervalData &iv, IntervalFields *out) {
    if (out == nullptr) return;
    out->years = iv.months / 12;
    out->months = iv.months % 12;
    out->days = iv.days;
    out->hours = iv.usecs / USECS_PER_HOUR;
    int64_t rest = iv.usecs % USECS_PER_HOUR;
    out->minutes = static_cast<int>(rest / USECS_PER_MINUTE);
    rest %= USECS_PER_MINUTE;
    out->seconds = static_cast<int>(rest / USECS_PER_SEC);
    out->fsec = static_cast<fsec_t>(rest % USECS_PER_SEC);
}

// ---- text out -------------------------------------------------------------------------------

int EncodeDateOnly(const pg_tm *tm, char *out, size_t cap) {
    if (tm == nullptr) return -1;
    char buf[kMaxDateTimeText];
    int year = tm->tm_year > 0 ? tm->tm_year : 1 - tm->tm_year;
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d%s", year, tm->tm_mon, tm->tm_mday, tm->tm_year > 0 ? "" : " BC");
    return CopyOut(buf, out, cap);
}

int EncodeDateTime(const pg_tm *tm, fsec_t fsec, const int *zoneOffset, char *out, size_t cap) {
    if (tm == nullptr) return -1;
    char buf[kMaxDateTimeText];
    int year = tm->tm_year > 0 ? tm->tm_year : 1 - tm->tm_year;
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, tm->tm_mon, tm->tm_mday, tm->tm_hour,
                  tm->tm_min, tm->tm_sec);
    std::string str = buf;
    if (fsec > 0 && fsec < USECS_PER_SEC) AppendTrimmedFraction(str, fsec);
    if (zoneOffset != nullptr) {
        int magnitude = *zoneOffset < 0 ? -*zoneOffset : *zoneOffset;
        int h = magnitude / 3600, m = magnitude / 60 % 60, s = magnitude % 60;
        std::snprintf(buf, sizeof buf, "%c%02d", *zoneOffset < 0 ? '-' : '+', h);
        str += buf;
        if (m != 0 || s != 0) {
            std::snprintf(buf, sizeof buf, ":%02d", m);
            str += buf;
        }
        if (s != 0) {
            std::snprintf(buf, sizeof buf, ":%02d", s);
            str += buf;
        }
    }
    if (tm->tm_year <= 0) str += " BC";
    return CopyOut(str, out, cap);
}

int EncodeInterval(const IntervalData &iv, char *out, size_t cap) {
    int64_t parts[5] = {iv.months / 12, iv.months % 12, iv.days, iv.usecs / USECS_PER_HOUR,
                        iv.usecs % USECS_PER_HOUR / USECS_PER_MINUTE};
    int64_t secs = iv.usecs % USECS_PER_MINUTE / USECS_PER_SEC;
    int64_t frac = iv.usecs % USECS_PER_SEC;
    static const char *const kUnits[5] = {"year", "mon", "day", "hour", "min"};
    // The verbose form negates everything after "ago": write the interval so
    // that its first non-zero part is positive.
    bool negative = false;
    for (int64_t p : parts) {
        if (p != 0) {
            negative = p < 0;
            break;
        }
    }
    bool anyPart = false;
    for (int64_t p : parts) anyPart = anyPart || p != 0;
    if (!anyPart) negative = secs < 0 || frac < 0;
    // A field at its type's minimum has no positive counterpart the server
    // could read before applying "ago"; such a value keeps its own signs.
    if (iv.months == INT32_MIN || iv.days == INT32_MIN || iv.usecs == INT64_MIN) negative = false;
    int64_t flip = negative ? -1 : 1;
    std::string str = "@";
    bool written = false;
    char buf[48];
    for (int k = 0; k < 5; ++k) {
        if (parts[k] == 0) continue;
        int64_t v = parts[k] * flip;
        std::snprintf(buf, sizeof buf, " %lld %s%s", static_cast<long long>(v), kUnits[k],
                      (v == 1 || v == -1) ? "" : "s");
        str += buf;
        written = true;
    }
    if (secs != 0 || frac != 0) {
        int64_t s = secs * flip, f = frac * flip;
        bool minus = s < 0 || f < 0;
        std::snprintf(buf, sizeof buf, " %s%lld", minus ? "-" : "", static_cast<long long>(s < 0 ? -s : s));
        str += buf;
        if (f != 0) AppendTrimmedFraction(str, f < 0 ? -f : f);
        str += (f == 0 && (s == 1 || s == -1)) ? " sec" : " secs";
        written = true;
    }
    if (!written) str += " 0";
    if (negative) str += " ago";
    return CopyOut(str, out, cap);
}

// ---- splitting texts into fields ----------------------------------------------------------------

namespace {

// Reads a number, date or time field that starts at text[i] (a digit, or a
// "." followed by a digit).
void ReadNumericField(const char *str, size_t len, size_t &i, DateField &f) {
    size_t j = i;
    f.str = str + i;
    if (str[j] == '.') {
        ++j;
        while (j < len && IsDigit(str[j])) ++j;
        f.type = DTF_NUMBER;
        f.len = j - i;
        i = j;
        return;
    }
    while (j < len && IsDigit(str[j])) ++j;
    f.type = DTF_NUMBER;
    if (j < len) {
        char c = str[j];
        if (c == ':') {
            f.type = DTF_TIME;
            while (j < len && (IsDigit(str[j]) || str[j] == ':' || str[j] == '.')) ++j;
        } else if ((c == '-' || c == '/') && j + 1 < len && IsAlnum(str[j + 1])) {
            f.type = DTF_DATE;
            while (j < len && str[j] == c && j + 1 < len && IsAlnum(str[j + 1])) {
                ++j;
                if (IsDigit(str[j])) {
                    while (j < len && IsDigit(str[j])) ++j;
                } else {
                    while (j < len && IsAlpha(str[j])) ++j;
                }
            }
        } else if (c == '.') {
            size_t k = j + 1;
            while (k < len && IsDigit(str[k])) ++k;
            if (k > j + 1 && k + 1 < len && str[k] == '.' && IsDigit(str[k + 1])) {
                f.type = DTF_DATE;
                while (j < len && str[j] == '.' && j + 1 < len && IsDigit(str[j + 1])) {
                    ++j;
                    while (j < len && IsDigit(str[j])) ++j;
                }
            } else {
                j = k;
            }
        }
    }
    f.len = j - i;
    i = j;
}

}  // namespace

int ParseDateTime(const char *str, size_t len, DateFields *fields) {
    if (fields == nullptr) return DTERR_FORMAT;
    fields->count = 0;
    if (str == nullptr) return len == 0 ? 0 : DTERR_FORMAT;
    size_t i = 0;
    while (i < len) {
        char c = str[i];
        // Blanks and punctuation without a meaning of its own only separate
        // fields (the server reads "@ 1 day" and "2024-03-05 #" that way).
        if (IsSpace(c) || (std::ispunct(static_cast<unsigned char>(c)) && std::strchr("+-.:/", c) == nullptr)) {
            ++i;
            continue;
        }
        if (fields->count == MAXDATEFIELDS) return DTERR_FORMAT;
        DateField f{DTF_STRING, 0, str + i, 0};
        {
            if (c == '+' || c == '-') {
                if (i + 1 >= len) return DTERR_FORMAT;
                char next = str[i + 1];
                if (!IsDigit(next) && !IsAlpha(next) && !(next == '.' && i + 2 < len && IsDigit(str[i + 2])))
                    return DTERR_FORMAT;
                f.sign = c;
                ++i;
                c = str[i];
            }
            if (IsDigit(c) || (c == '.' && i + 1 < len && IsDigit(str[i + 1]))) {
                ReadNumericField(str, len, i, f);
            } else if (IsAlpha(c)) {
                size_t j = i;
                while (j < len && IsAlpha(str[j])) ++j;
                f.type = DTF_STRING;
                f.str = str + i;
                // A month name leading a date: "Mar-05-2024".
                if (f.sign == 0 && j + 1 < len && (str[j] == '-' || str[j] == '/') && IsDigit(str[j + 1])) {
                    char sep = str[j];
                    f.type = DTF_DATE;
                    while (j + 1 < len && str[j] == sep && IsDigit(str[j + 1])) {
                        ++j;
                        while (j < len && IsDigit(str[j])) ++j;
                    }
                }
                f.len = j - i;
                i = j;
            } else {
                return DTERR_FORMAT;
            }
        }
        fields->field[fields->count++] = f;
    }
    return 0;
}

// ---- reading dates and times ------------------------------------------------------------------

namespace {

enum WordKind { W_MONTH, W_WEEKDAY, W_BC, W_AD, W_AM, W_PM, W_ZONE, W_ISO_T, W_INFINITY, W_EPOCH, W_NOW, W_TODAY };

struct Word {
    const char *name;
    WordKind kind;
    int value;  // month number, zone offset in seconds, day shift for "today"
};

const Word kWords[] = {
    {"jan", W_MONTH, 1}, {"january", W_MONTH, 1}, {"feb", W_MONTH, 2}, {"february", W_MONTH, 2},
    {"mar", W_MONTH, 3}, {"march", W_MONTH, 3}, {"apr", W_MONTH, 4}, {"april", W_MONTH, 4},
    {"may", W_MONTH, 5}, {"jun", W_MONTH, 6}, {"june", W_MONTH, 6}, {"jul", W_MONTH, 7},
    {"july", W_MONTH, 7}, {"aug", W_MONTH, 8}, {"august", W_MONTH, 8}, {"sep", W_MONTH, 9},
    {"sept", W_MONTH, 9}, {"september", W_MONTH, 9}, {"oct", W_MONTH, 10}, {"october", W_MONTH, 10},
    {"nov", W_MONTH, 11}, {"november", W_MONTH, 11}, {"dec", W_MONTH, 12}, {"december", W_MONTH, 12},
    {"sun", W_WEEKDAY, 0}, {"sunday", W_WEEKDAY, 0}, {"mon", W_WEEKDAY, 1}, {"monday", W_WEEKDAY, 1},
    {"tue", W_WEEKDAY, 2}, {"tues", W_WEEKDAY, 2}, {"tuesday", W_WEEKDAY, 2}, {"wed", W_WEEKDAY, 3},
    {"wednesday", W_WEEKDAY, 3}, {"thu", W_WEEKDAY, 4}, {"thur", W_WEEKDAY, 4}, {"thurs", W_WEEKDAY, 4},
    {"thursday", W_WEEKDAY, 4}, {"fri", W_WEEKDAY, 5}, {"friday", W_WEEKDAY, 5}, {"sat", W_WEEKDAY, 6},
    {"saturday", W_WEEKDAY, 6},
    {"bc", W_BC, 0}, {"ad", W_AD, 0}, {"am", W_AM, 0}, {"pm", W_PM, 0}, {"t", W_ISO_T, 0},
    {"infinity", W_INFINITY, 0}, {"epoch", W_EPOCH, 0}, {"now", W_NOW, 0},
    {"today", W_TODAY, 0}, {"tomorrow", W_TODAY, 1}, {"yesterday", W_TODAY, -1},
    // Zone abbreviations, as the server's default set reads them.
    {"z", W_ZONE, 0}, {"zulu", W_ZONE, 0}, {"utc", W_ZONE, 0}, {"gmt", W_ZONE, 0}, {"ut", W_ZONE, 0},
    {"wet", W_ZONE, 0}, {"west", W_ZONE, 3600}, {"bst", W_ZONE, 3600}, {"cet", W_ZONE, 3600},
    {"cest", W_ZONE, 7200}, {"met", W_ZONE, 3600}, {"mest", W_ZONE, 7200}, {"eet", W_ZONE, 7200},
    {"eest", W_ZONE, 10800}, {"msk", W_ZONE, 10800}, {"est", W_ZONE, -18000}, {"edt", W_ZONE, -14400},
    {"cst", W_ZONE, -21600}, {"cdt", W_ZONE, -18000}, {"mst", W_ZONE, -25200}, {"mdt", W_ZONE, -21600},
    {"pst", W_ZONE, -28800}, {"pdt", W_ZONE, -25200}, {"akst", W_ZONE, -32400}, {"akdt", W_ZONE, -28800},
    {"hst", W_ZONE, -36000}, {"nst", W_ZONE, -12600}, {"ndt", W_ZONE, -9000}, {"ast", W_ZONE, -14400},
    {"adt", W_ZONE, -10800}, {"jst", W_ZONE, 32400}, {"kst", W_ZONE, 32400}, {"hkt", W_ZONE, 28800},
    {"sgt", W_ZONE, 28800}, {"awst", W_ZONE, 28800}, {"acst", W_ZONE, 34200}, {"acdt", W_ZONE, 37800},
    {"aest", W_ZONE, 36000}, {"aedt", W_ZONE, 39600}, {"nzst", W_ZONE, 43200}, {"nzdt", W_ZONE, 46800},
};

const Word *FindWord(const char *str, size_t len) {
    for (const Word &w : kWords)
        if (WordIs(str, len, w.name)) return &w;
    return nullptr;
}

struct DateParts {
    bool haveYear = false, haveMonth = false, haveDay = false;
    bool twoDigitYear = false;
    int64_t year = 0;
    int month = 0, day = 0;
};

void SetYear(DateParts &p, const char *str, size_t len) {
    p.haveYear = true;
    p.year = DigitsValue(str, len, 100000000);
    p.twoDigitYear = len == 2;
}

// "2024-03-05", "03/05/2024", "05-Mar-2024", "Mar-05-2024", "2024.03.05".
int DecodeDateField(const DateField &f, DateParts &p) {
    const char *parts[3];
    size_t lens[3];
    int n = 0;
    char sep = 0;
    size_t i = 0;
    while (i < f.len) {
        if (n == 3) return DTERR_FORMAT;
        size_t start = i;
        while (i < f.len && IsAlnum(f.str[i])) ++i;
        parts[n] = f.str + start;
        lens[n] = i - start;
        ++n;
        if (i < f.len) {
            if (sep == 0) sep = f.str[i];
            if (f.str[i] != sep) return DTERR_FORMAT;
            ++i;
        }
    }
    if (n != 3) return DTERR_FORMAT;
    int alpha = -1;
    for (int k = 0; k < 3; ++k) {
        if (lens[k] == 0) return DTERR_FORMAT;
        if (!AllDigits(parts[k], lens[k])) {
            if (alpha >= 0) return DTERR_NUMERIC;
            alpha = k;
        }
    }
    if (alpha >= 0) {
        const Word *w = FindWord(parts[alpha], lens[alpha]);
        if (w == nullptr || w->kind != W_MONTH) return DTERR_NUMERIC;
        p.haveMonth = true;
        p.month = w->value;
        if (alpha == 0) {  // Mon-DD-YYYY
            p.haveDay = true;
            p.day = static_cast<int>(DigitsValue(parts[1], lens[1], 99));
            SetYear(p, parts[2], lens[2]);
        } else if (alpha == 1 && lens[0] >= 3) {  // YYYY-Mon-DD
            SetYear(p, parts[0], lens[0]);
            p.haveDay = true;
            p.day = static_cast<int>(DigitsValue(parts[2], lens[2], 99));
        } else if (alpha == 1) {  // DD-Mon-YYYY
            p.haveDay = true;
            p.day = static_cast<int>(DigitsValue(parts[0], lens[0], 99));
            SetYear(p, parts[2], lens[2]);
        } else {
            return DTERR_FORMAT;
        }
        return 0;
    }
    int y, m, d;
    if (lens[0] >= 3) {
        y = 0, m = 1, d = 2;
    } else {
        m = 0, d = 1, y = 2;  // month first, as the server reads it by default
    }
    SetYear(p, parts[y], lens[y]);
    p.haveMonth = true;
    p.month = static_cast<int>(DigitsValue(parts[m], lens[m], 99));
    p.haveDay = true;
    p.day = static_cast<int>(DigitsValue(parts[d], lens[d], 99));
    return 0;
}

struct TimeParts {
    int64_t hour = 0, minute = 0, second = 0, usec = 0;
};

// Splits "h:m[:s][.frac]" into its numbers. `allowMinSec`: two parts with a
// fraction are minutes and seconds (interval texts).
bool SplitTime(const char *str, size_t len, bool allowMinSec, int64_t hourCap, TimeParts &t) {
    const char *parts[3];
    size_t lens[3];
    int n = 0;
    size_t i = 0;
    const char *frac = nullptr;
    size_t fracLen = 0;
    while (i < len) {
        if (n == 3) return false;
        size_t start = i;
        while (i < len && IsDigit(str[i])) ++i;
        parts[n] = str + start;
        lens[n] = i - start;
        if (lens[n] == 0) return false;
        ++n;
        if (i < len && str[i] == ':') {
            ++i;
            if (i == len) return false;
            continue;
        }
        if (i < len && str[i] == '.') {
            frac = str + i + 1;
            fracLen = len - i - 1;
            if (!AllDigits(frac, fracLen) && fracLen != 0) return false;
            i = len;
            break;
        }
        if (i < len) return false;
    }
    if (n < 2) return false;
    if (n == 2 && frac != nullptr) {
        if (!allowMinSec) return false;
        t.hour = 0;
        t.minute = DigitsValue(parts[0], lens[0], 1000000000);
        t.second = DigitsValue(parts[1], lens[1], 1000);
    } else {
        t.hour = DigitsValue(parts[0], lens[0], hourCap);
        t.minute = DigitsValue(parts[1], lens[1], 1000);
        t.second = n == 3 ? DigitsValue(parts[2], lens[2], 1000) : 0;
    }
    t.usec = frac != nullptr ? FractionToMicros(frac, fracLen) : 0;
    return true;
}

// "+05", "+0530", "+053015", "+05:30", "+05:30:15" (sign in f.sign).
int DecodeNumericZone(const DateField &f, int *offset) {
    int64_t h = 0, m = 0, s = 0;
    if (f.type == DTF_NUMBER) {
        if (!AllDigits(f.str, f.len)) return DTERR_FORMAT;
        if (f.len <= 2) {
            h = DigitsValue(f.str, f.len, 99);
        } else if (f.len == 4 || f.len == 6) {
            h = DigitsValue(f.str, 2, 99);
            m = DigitsValue(f.str + 2, 2, 99);
            if (f.len == 6) s = DigitsValue(f.str + 4, 2, 99);
        } else {
            return DTERR_FORMAT;
        }
    } else {
        TimeParts t;
        if (!SplitTime(f.str, f.len, false, 99, t) || t.usec != 0) return DTERR_FORMAT;
        h = t.hour, m = t.minute, s = t.second;
    }
    if (h > 15 || m > 59 || s > 59) return DTERR_FORMAT;
    int magnitude = static_cast<int>(h * 3600 + m * 60 + s);
    *offset = f.sign == '-' ? -magnitude : magnitude;
    return 0;
}

void FormatZoneName(int offset, char *out, size_t cap) {
    int magnitude = offset < 0 ? -offset : offset;
    int h = magnitude / 3600, m = magnitude / 60 % 60, s = magnitude % 60;
    if (s != 0)
        std::snprintf(out, cap, "%c%02d:%02d:%02d", offset < 0 ? '-' : '+', h, m, s);
    else
        std::snprintf(out, cap, "%c%02d:%02d", offset < 0 ? '-' : '+', h, m);
}

void SetZone(ParsedDateTime *out, int offset, const char *name, size_t nameLen) {
    out->hasZone = true;
    out->zoneOffset = offset;
    if (name != nullptr) {
        size_t n = nameLen < sizeof out->zoneName - 1 ? nameLen : sizeof out->zoneName - 1;
        for (size_t k = 0; k < n; ++k) {
            char c = name[k];
            out->zoneName[k] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        out->zoneName[n] = '\0';
    } else {
        FormatZoneName(offset, out->zoneName, sizeof out->zoneName);
    }
}

// Current local date/time, for "now" and "today".
void LocalNow(pg_tm *tm, fsec_t *fsec, int *offset) {
    Timestamp now = CurrentMicros() - static_cast<int64_t>(POSTGRES_EPOCH_JDATE - UNIX_EPOCH_JDATE) * USECS_PER_DAY;
    *offset = LocalZoneOffsetAt(now);
    timestamp2tm(now, offset, tm, fsec);
}

}  // namespace

int DecodeDateTime(const DateFields &fields, ParsedDateTime *out) {
    if (out == nullptr) return DTERR_FORMAT;
    std::memset(out, 0, sizeof *out);
    out->special = DTS_NORMAL;
    DateParts date;
    bool haveTime = false, bc = false, ad = false;
    int ampm = 0;  // 1 am, 2 pm
    int64_t hour = 0, minute = 0, second = 0, usec = 0;
    bool special = false, haveNow = false, haveToday = false;
    int todayShift = 0;
    int significant = 0;  // fields other than weekday names and "T"

    // A signed time or number field is a numeric zone; it may follow a date
    // or a time, once.
    auto signedZone = [&](const DateField &f) -> int {
        if (out->hasZone || (!haveTime && !date.haveDay)) return DTERR_FORMAT;
        int offset = 0;
        const int rc = DecodeNumericZone(f, &offset);
        if (rc == 0) SetZone(out, offset, nullptr, 0);
        return rc;
    };
    for (int k = 0; k < fields.count; ++k) {
        const DateField &f = fields.field[k];
        switch (f.type) {
        case DTF_DATE: {
            ++significant;
            if (f.sign != 0 || date.haveYear || date.haveMonth || date.haveDay) return DTERR_FORMAT;
            int rc = DecodeDateField(f, date);
            if (rc != 0) return rc;
            break;
        }
        case DTF_TIME: {
            ++significant;
            if (f.sign != 0) {
                const int rc = signedZone(f);
                if (rc != 0) return rc;
                break;
            }
            if (haveTime) return DTERR_FORMAT;
            TimeParts t;
            if (!SplitTime(f.str, f.len, false, 1000, t)) return DTERR_FORMAT;
            haveTime = true;
            hour = t.hour, minute = t.minute, second = t.second, usec = t.usec;
            break;
        }
        case DTF_NUMBER: {
            ++significant;
            if (f.sign != 0) {
                const int rc = signedZone(f);
                if (rc != 0) return rc;
                break;
            }
            const char *point = static_cast<const char *>(std::memchr(f.str, '.', f.len));
            size_t intLen = point != nullptr ? static_cast<size_t>(point - f.str) : f.len;
            bool dateComplete = date.haveYear && date.haveMonth && date.haveDay;
            if (dateComplete && !haveTime && intLen == 6) {  // HHMMSS[.frac]
                if (!AllDigits(f.str, intLen)) return DTERR_FORMAT;
                haveTime = true;
                hour = DigitsValue(f.str, 2, 99);
                minute = DigitsValue(f.str + 2, 2, 99);
                second = DigitsValue(f.str + 4, 2, 99);
                if (point != nullptr) {
                    size_t fracLen = f.len - intLen - 1;
                    if (fracLen != 0 && !AllDigits(point + 1, fracLen)) return DTERR_FORMAT;
                    usec = FractionToMicros(point + 1, fracLen);
                }
                break;
            }
            if (point != nullptr || intLen == 0) return DTERR_FORMAT;
            if (intLen == 8 && !date.haveYear && !date.haveMonth && !date.haveDay) {  // YYYYMMDD
                date.haveYear = date.haveMonth = date.haveDay = true;
                date.year = DigitsValue(f.str, 4, 9999);
                date.month = static_cast<int>(DigitsValue(f.str + 4, 2, 99));
                date.day = static_cast<int>(DigitsValue(f.str + 6, 2, 99));
                break;
            }
            if (intLen <= 2 && !date.haveDay) {
                date.haveDay = true;
                date.day = static_cast<int>(DigitsValue(f.str, intLen, 99));
            } else if (!date.haveYear) {
                SetYear(date, f.str, intLen);
            } else {
                return DTERR_FORMAT;
            }
            break;
        }
        case DTF_STRING: {
            const Word *w = FindWord(f.str, f.len);
            if (w == nullptr) return DTERR_NUMERIC;
            if (f.sign != 0 && w->kind != W_INFINITY) return DTERR_FORMAT;
            if (w->kind != W_WEEKDAY && w->kind != W_ISO_T) ++significant;
            switch (w->kind) {
            case W_MONTH:
                if (date.haveMonth) return DTERR_FORMAT;
                date.haveMonth = true;
                date.month = w->value;
                break;
            case W_WEEKDAY:
            case W_ISO_T: break;
            case W_BC:
                if (bc || ad) return DTERR_FORMAT;
                bc = true;
                break;
            case W_AD:
                if (bc || ad) return DTERR_FORMAT;
                ad = true;
                break;
            case W_AM:
            case W_PM:
                if (ampm != 0) return DTERR_FORMAT;
                ampm = w->kind == W_AM ? 1 : 2;
                break;
            case W_ZONE:
                if (out->hasZone) return DTERR_FORMAT;
                SetZone(out, w->value, f.str, f.len);
                break;
            case W_INFINITY:
                special = true;
                out->special = f.sign == '-' ? DTS_NEG_INFINITY : DTS_POS_INFINITY;
                break;
            case W_EPOCH:
                special = true;
                out->hasDate = out->hasTime = true;
                out->tm.tm_year = 1970;
                out->tm.tm_mon = 1;
                out->tm.tm_mday = 1;
                FillDayNumbers(&out->tm);
                SetZone(out, 0, nullptr, 0);
                break;
            case W_NOW:
                if (haveNow) return DTERR_FORMAT;
                haveNow = true;
                break;
            case W_TODAY:
                if (haveToday) return DTERR_FORMAT;
                haveToday = true;
                todayShift = w->value;
                break;
            }
            break;
        }
        }
    }

    if (special) return significant == 1 ? 0 : DTERR_FORMAT;
    if (haveNow) {
        if (significant != 1) return DTERR_FORMAT;
        int offset = 0;
        LocalNow(&out->tm, &out->fsec, &offset);
        out->hasDate = out->hasTime = true;
        SetZone(out, offset, nullptr, 0);
        out->tm.tm_gmtoff = offset;
        return 0;
    }
    if (haveToday) {
        if (date.haveYear || date.haveMonth || date.haveDay) return DTERR_FORMAT;
        pg_tm now;
        fsec_t ignored;
        int offset = 0;
        LocalNow(&now, &ignored, &offset);
        int64_t y;
        int m, d;
        CivilFromDays(DaysFromCivil(now.tm_year, now.tm_mon, now.tm_mday) + todayShift, &y, &m, &d);
        date.haveYear = date.haveMonth = date.haveDay = true;
        date.year = y > 0 ? y : 1 - y;
        bc = bc || y <= 0;
        date.month = m;
        date.day = d;
    }

    bool anyDate = date.haveYear || date.haveMonth || date.haveDay;
    if (anyDate && !(date.haveYear && date.haveMonth && date.haveDay)) return DTERR_FORMAT;
    if (!anyDate && !haveTime) return DTERR_FORMAT;
    if (!anyDate && (bc || ad)) return DTERR_FORMAT;

    if (anyDate) {
        int64_t year = date.year;
        if (date.twoDigitYear && !bc) year += year < 70 ? 2000 : 1900;
        if (year == 0) return DTERR_DATE;
        if (bc) year = 1 - year;
        if (!YearInDateRange(year)) return DTERR_DATE;
        if (date.month < 1 || date.month > 12) return DTERR_DATE;
        if (date.day < 1 || date.day > DaysInMonth(static_cast<int>(year), date.month)) return DTERR_DATE;
        // Like the server, accept the whole of November 4714 BC: a zone west
        // of UTC may show the first valid instant on the day before it.
        if (year == -4713 && date.month < 11) return DTERR_DATE;
        out->hasDate = true;
        out->tm.tm_year = static_cast<int>(year);
        out->tm.tm_mon = date.month;
        out->tm.tm_mday = date.day;
    }

    if (ampm != 0) {
        if (!haveTime) return DTERR_FORMAT;
        if (hour > 12) return DTERR_HOUR;  // the server also takes 0 as 12
        if (ampm == 2 && hour < 12) hour += 12;
        if (ampm == 1 && hour == 12) hour = 0;
    }
    if (hour > 24 || (hour == 24 && (minute != 0 || second != 0 || usec != 0))) return DTERR_HOUR;
    if (minute > 59) return DTERR_MINUTE;
    if (second > 60) return DTERR_SECOND;
    out->hasTime = haveTime;

    // "24:00:00", a leap second ":60" and a fraction rounded up to a whole
    // second carry into the following units.
    if (usec >= USECS_PER_SEC) {
        usec -= USECS_PER_SEC;
        ++second;
    }
    if (out->hasDate) {
        if (ConstructTmFromData(&out->tm, out->tm.tm_year, out->tm.tm_mon, out->tm.tm_mday, static_cast<int>(hour),
                                static_cast<int>(minute), static_cast<int>(second)) != 0)
            return DTERR_DATE;
    } else {
        int64_t total = (hour * 60 + minute) * 60 + second;
        out->tm.tm_hour = static_cast<int>(total / 3600 % 24);
        out->tm.tm_min = static_cast<int>(total / 60 % 60);
        out->tm.tm_sec = static_cast<int>(total % 60);
    }
    out->fsec = static_cast<fsec_t>(usec);
    out->tm.tm_gmtoff = out->hasZone ? out->zoneOffset : 0;
    return 0;
}

namespace {

// Two or four decimal digits at p (the caller has checked the length).
inline bool Digits2(const char *p, int *v) {
    const unsigned a = static_cast<unsigned char>(p[0]) - '0', b = static_cast<unsigned char>(p[1]) - '0';
    if (a > 9 || b > 9) return false;
    *v = static_cast<int>(a * 10 + b);
    return true;
}

// The server's own output for date, timestamp and timestamptz under ISO
// DateStyle, "YYYY-MM-DD[ HH:MI:SS[.ffffff][+hh[:mm[:ss]]]]", is read here
// directly: it is what every fetched value looks like, and the general field
// parser costs several times more. False for any other shape (BC, years of
// other widths, more than six fraction digits, 24:00:00, a leap second,
// special words): those go through the general parser, which gives the same
// result for the texts accepted here.
bool ReadServerDateTime(const char *s, size_t len, ParsedDateTime *out) {
    int y1, y2, mon, day;
    if (len < 10 || s[4] != '-' || s[7] != '-' || !Digits2(s, &y1) || !Digits2(s + 2, &y2) ||
        !Digits2(s + 5, &mon) || !Digits2(s + 8, &day))
        return false;
    const int year = y1 * 100 + y2;
    if (year == 0 || mon < 1 || mon > 12 || day < 1 || day > DaysInMonth(year, mon)) return false;
    int hour = 0, minute = 0, second = 0, usec = 0, offset = 0;
    bool haveTime = false, haveZone = false;
    size_t i = 10;
    if (i < len) {
        if (len < 19 || s[10] != ' ' || s[13] != ':' || s[16] != ':' || !Digits2(s + 11, &hour) ||
            !Digits2(s + 14, &minute) || !Digits2(s + 17, &second) || hour > 23 || minute > 59 || second > 59)
            return false;
        haveTime = true;
        i = 19;
        if (i < len && s[i] == '.') {
            size_t digits = 0;
            int scale = 100000;
            for (++i; i < len && s[i] >= '0' && s[i] <= '9'; ++i, ++digits, scale /= 10) {
                if (digits == 6) return false;
                usec += (s[i] - '0') * scale;
            }
            if (digits == 0) return false;
        }
        if (i < len) {
            if (s[i] != '+' && s[i] != '-') return false;
            const bool negative = s[i] == '-';
            int zh, zm = 0, zs = 0;
            if (len - i < 3 || !Digits2(s + i + 1, &zh)) return false;
            i += 3;
            if (i < len && (len - i < 3 || s[i] != ':' || !Digits2(s + i + 1, &zm) || zm > 59)) return false;
            if (i < len) i += 3;
            if (i < len && (len - i < 3 || s[i] != ':' || !Digits2(s + i + 1, &zs) || zs > 59)) return false;
            if (i < len) i += 3;
            if (i != len || zh > 15) return false;
            offset = zh * 3600 + zm * 60 + zs;
            if (negative) offset = -offset;
            haveZone = true;
        }
    }
    std::memset(out, 0, sizeof *out);
    out->special = DTS_NORMAL;
    out->hasDate = true;
    out->hasTime = haveTime;
    out->tm.tm_year = year;
    out->tm.tm_mon = mon;
    out->tm.tm_mday = day;
    out->tm.tm_hour = hour;
    out->tm.tm_min = minute;
    out->tm.tm_sec = second;
    FillDayNumbers(&out->tm);
    out->fsec = usec;
    if (haveZone) {
        out->hasZone = true;
        out->zoneOffset = offset;
        FormatZoneName(offset, out->zoneName, sizeof out->zoneName);
        out->tm.tm_gmtoff = offset;
    }
    return true;
}

}  // namespace

int ReadDateTimeText(const char *str, size_t len, ParsedDateTime *out) {
    if (str != nullptr && out != nullptr && ReadServerDateTime(str, len, out)) return 0;
    DateFields fields;
    int rc = ParseDateTime(str, len, &fields);
    if (rc != 0) return rc;
    rc = DecodeDateTime(fields, out);
    if (rc != 0) return rc;
    if (out->special == DTS_NORMAL && !out->hasDate) return DTERR_FORMAT;
    return 0;
}

// ---- reading intervals --------------------------------------------------------------------------

namespace {

// Interval being summed up, wide enough that no unit can overflow it before
// the final range check.
struct IntervalSum {
    __int128 months = 0;
    __int128 days = 0;
    __int128 usecs = 0;
};

constexpr __int128 kSumLimit = static_cast<__int128>(1) << 100;

bool SumInRange(const IntervalSum &s) {
    auto ok = [](__int128 v) { return v < kSumLimit && v > -kSumLimit; };
    return ok(s.months) && ok(s.days) && ok(s.usecs);
}

// A signed decimal with optional fraction: whole part and fraction (same sign).
struct UnitValue {
    __int128 whole = 0;
    double fraction = 0.0;
};

bool ReadUnitValue(const char *str, size_t len, char sign, UnitValue &v) {
    const char *point = static_cast<const char *>(std::memchr(str, '.', len));
    size_t intLen = point != nullptr ? static_cast<size_t>(point - str) : len;
    if (intLen > 0 && !AllDigits(str, intLen)) return false;
    size_t fracLen = point != nullptr ? len - intLen - 1 : 0;
    if (fracLen > 0 && !AllDigits(point + 1, fracLen)) return false;
    if (intLen == 0 && fracLen == 0) return false;
    if (intLen > 20) return false;
    __int128 whole = 0;
    for (size_t k = 0; k < intLen; ++k) whole = whole * 10 + (str[k] - '0');
    double fraction = fracLen > 0 ? FractionValue(point + 1, fracLen) : 0.0;
    v.whole = sign == '-' ? -whole : whole;
    v.fraction = sign == '-' ? -fraction : fraction;
    return true;
}

int64_t RoundToInt(double v) { return static_cast<int64_t>(std::nearbyint(v)); }

// Adds `v` of a unit worth `unitMicros` microseconds.
void AddTime(IntervalSum &s, const UnitValue &v, int64_t unitMicros) {
    s.usecs += v.whole * unitMicros;
    s.usecs += RoundToInt(v.fraction * static_cast<double>(unitMicros));
}

void AddDays(IntervalSum &s, const UnitValue &v, int daysPerUnit) {
    s.days += v.whole * daysPerUnit;
    double days = v.fraction * daysPerUnit;
    int64_t wholeDays = static_cast<int64_t>(days);
    s.days += wholeDays;
    s.usecs += RoundToInt((days - static_cast<double>(wholeDays)) * static_cast<double>(USECS_PER_DAY));
}

void AddMonths(IntervalSum &s, const UnitValue &v) {
    s.months += v.whole;
    double days = v.fraction * 30.0;
    int64_t wholeDays = static_cast<int64_t>(days);
    s.days += wholeDays;
    s.usecs += RoundToInt((days - static_cast<double>(wholeDays)) * static_cast<double>(USECS_PER_DAY));
}

void AddYears(IntervalSum &s, const UnitValue &v, int yearsPerUnit) {
    s.months += v.whole * 12 * yearsPerUnit;
    s.months += RoundToInt(v.fraction * 12.0 * yearsPerUnit);
}

enum UnitKind { U_MICRO, U_MILLI, U_SECOND, U_MINUTE, U_HOUR, U_DAY, U_WEEK, U_MONTH, U_YEAR, U_DECADE, U_CENTURY,
                U_MILLENNIUM };

struct Unit {
    const char *name;
    UnitKind kind;
};

const Unit kUnits[] = {
    {"microsecond", U_MICRO}, {"microseconds", U_MICRO}, {"usec", U_MICRO}, {"usecs", U_MICRO}, {"us", U_MICRO},
    {"millisecond", U_MILLI}, {"milliseconds", U_MILLI}, {"msec", U_MILLI}, {"msecs", U_MILLI}, {"ms", U_MILLI},
    {"second", U_SECOND}, {"seconds", U_SECOND}, {"sec", U_SECOND}, {"secs", U_SECOND}, {"s", U_SECOND},
    {"minute", U_MINUTE}, {"minutes", U_MINUTE}, {"min", U_MINUTE}, {"mins", U_MINUTE}, {"m", U_MINUTE},
    {"hour", U_HOUR}, {"hours", U_HOUR}, {"hr", U_HOUR}, {"hrs", U_HOUR}, {"h", U_HOUR},
    {"day", U_DAY}, {"days", U_DAY}, {"d", U_DAY},
    {"week", U_WEEK}, {"weeks", U_WEEK}, {"w", U_WEEK},
    {"month", U_MONTH}, {"months", U_MONTH}, {"mon", U_MONTH}, {"mons", U_MONTH},
    {"year", U_YEAR}, {"years", U_YEAR}, {"yr", U_YEAR}, {"yrs", U_YEAR}, {"y", U_YEAR},
    {"decade", U_DECADE}, {"decades", U_DECADE}, {"decs", U_DECADE},
    {"century", U_CENTURY}, {"centuries", U_CENTURY}, {"cent", U_CENTURY}, {"c", U_CENTURY},
    {"millennium", U_MILLENNIUM}, {"millennia", U_MILLENNIUM}, {"mil", U_MILLENNIUM}, {"mils", U_MILLENNIUM},
};

const Unit *FindUnit(const char *str, size_t len) {
    for (const Unit &u : kUnits)
        if (WordIs(str, len, u.name)) return &u;
    return nullptr;
}

void AddUnit(IntervalSum &s, const UnitValue &v, UnitKind kind) {
    switch (kind) {
    case U_MICRO: AddTime(s, v, 1); break;
    case U_MILLI: AddTime(s, v, 1000); break;
    case U_SECOND: AddTime(s, v, USECS_PER_SEC); break;
    case U_MINUTE: AddTime(s, v, USECS_PER_MINUTE); break;
    case U_HOUR: AddTime(s, v, USECS_PER_HOUR); break;
    case U_DAY: AddDays(s, v, 1); break;
    case U_WEEK: AddDays(s, v, 7); break;
    case U_MONTH: AddMonths(s, v); break;
    case U_YEAR: AddYears(s, v, 1); break;
    case U_DECADE: AddYears(s, v, 10); break;
    case U_CENTURY: AddYears(s, v, 100); break;
    case U_MILLENNIUM: AddYears(s, v, 1000); break;
    }
}

int FinishInterval(const IntervalSum &sum, bool negate, IntervalData *out) {
    __int128 months = negate ? -sum.months : sum.months;
    __int128 days = negate ? -sum.days : sum.days;
    __int128 usecs = negate ? -sum.usecs : sum.usecs;
    if (months < INT32_MIN || months > INT32_MAX || days < INT32_MIN || days > INT32_MAX || usecs < INT64_MIN ||
        usecs > INT64_MAX)
        return DTERR_INTERNAL;
    out->months = static_cast<int32_t>(months);
    out->days = static_cast<int32_t>(days);
    out->usecs = static_cast<int64_t>(usecs);
    return 0;
}

}  // namespace

int DecodeInterval(const DateFields &given, IntervalData *out) {
    if (out == nullptr) return DTERR_INTERNAL;
    *out = IntervalData{0, 0, 0};
    // The SQL-standard style writes one leading "-" for an interval whose
    // parts are all negative ("-3 4:05:06"); it has no unit words and no other
    // signs. Texts with unit words always sign each part themselves.
    DateFields fields = given;
    bool words = false, laterSigns = false;
    for (int k = 0; k < fields.count; ++k) {
        if (fields.field[k].type == DTF_STRING) words = true;
        if (k > 0 && fields.field[k].sign != 0) laterSigns = true;
    }
    if (!words && !laterSigns && fields.count > 1 && fields.field[0].sign == '-')
        for (int k = 1; k < fields.count; ++k) fields.field[k].sign = '-';
    IntervalSum sum;
    bool ago = false, any = false;
    const DateField *pending = nullptr;  // a number still waiting for its unit

    auto flushPendingAsSeconds = [&]() -> bool {
        if (pending == nullptr) return true;
        UnitValue v;
        if (!ReadUnitValue(pending->str, pending->len, pending->sign, v)) return false;
        AddUnit(sum, v, U_SECOND);
        pending = nullptr;
        return true;
    };

    for (int k = 0; k < fields.count; ++k) {
        const DateField &f = fields.field[k];
        switch (f.type) {
        case DTF_NUMBER:
            if (pending != nullptr) return DTERR_INTERNAL;
            pending = &f;
            break;
        case DTF_TIME: {
            if (pending != nullptr) {  // "3 04:05:06": the number counts days
                UnitValue v;
                if (!ReadUnitValue(pending->str, pending->len, pending->sign, v)) return DTERR_INTERNAL;
                AddUnit(sum, v, U_DAY);
                pending = nullptr;
            }
            TimeParts t;
            if (!SplitTime(f.str, f.len, true, 1000000000000000LL, t)) return DTERR_INTERNAL;
            if (t.hour > 1000000000000000LL || t.minute > 59 || t.second > 60) return DTERR_INTERNAL;
            __int128 value = static_cast<__int128>(t.hour) * USECS_PER_HOUR + t.minute * USECS_PER_MINUTE +
                             t.second * USECS_PER_SEC + t.usec;
            sum.usecs += f.sign == '-' ? -value : value;
            any = true;
            break;
        }
        case DTF_DATE: {
            // "1-2": years and months, the sign covering both.
            if (!flushPendingAsSeconds()) return DTERR_INTERNAL;
            const char *dash = static_cast<const char *>(std::memchr(f.str, '-', f.len));
            if (dash == nullptr) return DTERR_INTERNAL;
            size_t yLen = static_cast<size_t>(dash - f.str), mLen = f.len - yLen - 1;
            if (!AllDigits(f.str, yLen) || !AllDigits(dash + 1, mLen) || yLen > 12 || mLen > 12)
                return DTERR_INTERNAL;
            __int128 months = static_cast<__int128>(DigitsValue(f.str, yLen, 999999999999LL)) * 12 +
                              DigitsValue(dash + 1, mLen, 999999999999LL);
            sum.months += f.sign == '-' ? -months : months;
            any = true;
            break;
        }
        case DTF_STRING: {
            if (f.sign != 0) return DTERR_INTERNAL;
            if (WordIs(f.str, f.len, "ago")) {  // negates the whole interval, wherever it stands
                if (pending != nullptr) return DTERR_INTERNAL;
                ago = true;
                break;
            }
            const Unit *u = FindUnit(f.str, f.len);
            if (u == nullptr || pending == nullptr) return DTERR_INTERNAL;
            UnitValue v;
            if (!ReadUnitValue(pending->str, pending->len, pending->sign, v)) return DTERR_INTERNAL;
            AddUnit(sum, v, u->kind);
            pending = nullptr;
            any = true;
            break;
        }
        }
        if (!SumInRange(sum)) return DTERR_INTERNAL;
    }
    if (pending != nullptr) {
        if (!flushPendingAsSeconds()) return DTERR_INTERNAL;
        any = true;
    }
    if (!any) return DTERR_INTERNAL;
    return FinishInterval(sum, ago, out);
}

int DecodeISO8601Interval(const char *str, size_t len, IntervalData *out) {
    if (out == nullptr || str == nullptr) return DTERR_INTERNAL;
    *out = IntervalData{0, 0, 0};
    size_t begin = 0, end = len;
    while (begin < end && IsSpace(str[begin])) ++begin;
    while (end > begin && IsSpace(str[end - 1])) --end;
    if (begin == end || str[begin] != 'P') return DTERR_INTERNAL;
    size_t i = begin + 1;
    if (i == end) return DTERR_INTERNAL;
    IntervalSum sum;
    bool inTime = false;

    // Reads "[+-]digits[.digits]" at i.
    auto readNumber = [&](UnitValue &v) -> bool {
        char sign = 0;
        if (i < end && (str[i] == '+' || str[i] == '-')) sign = str[i++];
        size_t start = i;
        while (i < end && (IsDigit(str[i]) || str[i] == '.')) ++i;
        if (i == start) return false;
        return ReadUnitValue(str + start, i - start, sign, v);
    };

    // Alternative form: P[Y[-M[-D]]][TH[:M[:S]]], each part a plain number.
    {
        size_t j = i;
        while (j < end && (IsDigit(str[j]) || str[j] == '.')) ++j;
        if (j > i && j < end && str[j] == '-') {
            static const UnitKind kDateUnits[3] = {U_YEAR, U_MONTH, U_DAY};
            static const UnitKind kTimeUnits[3] = {U_HOUR, U_MINUTE, U_SECOND};
            auto readParts = [&](char sep, const UnitKind *units) -> bool {
                for (int k = 0; k < 3; ++k) {
                    size_t start = i;
                    while (i < end && (IsDigit(str[i]) || str[i] == '.')) ++i;
                    UnitValue v;
                    if (!ReadUnitValue(str + start, i - start, 0, v)) return false;
                    AddUnit(sum, v, units[k]);
                    if (i == end || str[i] != sep) return true;
                    ++i;
                }
                return false;
            };
            if (!readParts('-', kDateUnits)) return DTERR_INTERNAL;
            if (i < end && str[i] == 'T') {
                ++i;
                if (!readParts(':', kTimeUnits)) return DTERR_INTERNAL;
            }
            if (i != end) return DTERR_INTERNAL;
            return FinishInterval(sum, false, out);
        }
    }

    while (i < end) {
        if (str[i] == 'T') {
            inTime = true;
            ++i;
            continue;
        }
        UnitValue v;
        if (!readNumber(v) || i == end) return DTERR_INTERNAL;
        char designator = str[i++];
        if (!inTime) {
            switch (designator) {
            case 'Y': AddUnit(sum, v, U_YEAR); break;
            case 'M': AddUnit(sum, v, U_MONTH); break;
            case 'W': AddUnit(sum, v, U_WEEK); break;
            case 'D': AddUnit(sum, v, U_DAY); break;
            default: return DTERR_INTERNAL;
            }
        } else {
            switch (designator) {
            case 'H': AddUnit(sum, v, U_HOUR); break;
            case 'M': AddUnit(sum, v, U_MINUTE); break;
            case 'S': AddUnit(sum, v, U_SECOND); break;
            default: return DTERR_INTERNAL;
            }
        }
        if (!SumInRange(sum)) return DTERR_INTERNAL;
    }
    // "PT" with no parts is zero, as the server reads it.
    return FinishInterval(sum, false, out);
}

int ReadIntervalText(const char *str, size_t len, IntervalData *out) {
    DateFields fields;
    if (ParseDateTime(str, len, &fields) == 0 && DecodeInterval(fields, out) == 0) return 0;
    return DecodeISO8601Interval(str, len, out);
}

// Helpers shared by the OCIDate, OCIDateTime and OCIInterval entry points.
#include "types/datetime_api.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "platform/os.h"
#include "types/number_format.h"

namespace dtapi {

sword Fail(OCIError *err, sb4 code) {
    AddErrorRecord(err, OCI_ERROR, code);
    return OCI_ERROR;
}

sword MissingArgument(OCIError *err, int position) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", position);
    AddErrorRecordStringX(err, OCI_ERROR, kErrBadArgument, 1, text);
    return OCI_ERROR;
}

DateTimeValue *DateTimeBody(OCIError *err, const OCIDateTime *dt, int position, sb4 unusable) {
    if (dt == nullptr) {
        MissingArgument(err, position);
        return nullptr;
    }
    auto *record = HandleAs<OCIDateTime>(dt, HANDLE_OCIDateTime);
    if (record == nullptr || record->value == nullptr || record->value->initialised == 0 ||
        !IsDateTimeKind(record->value->kind)) {
        Fail(err, unusable);
        return nullptr;
    }
    return record->value;
}

IntervalValue *IntervalBody(OCIError *err, const OCIInterval *iv, int position) {
    if (iv == nullptr) {
        MissingArgument(err, position);
        return nullptr;
    }
    auto *record = HandleAs<OCIInterval>(iv, HANDLE_OCIInterval);
    if (record == nullptr || record->value == nullptr || record->value->initialised == 0 ||
        (record->value->kind != OCI_DTYPE_INTERVAL_YM && record->value->kind != OCI_DTYPE_INTERVAL_DS)) {
        Fail(err, kErrNotConsistent);
        return nullptr;
    }
    return record->value;
}

namespace {
// One value of a comparison as a timestamp: DATE values (an OCIDate or a
// DATE descriptor) without fraction, TIMESTAMP without zone, the zoned kinds
// at their stored offset.
int CompareValue(const void *value, int kind, Timestamp *out) {
    pg_tm tm;
    if (kind == kKindOCIDate) {
        DecodeOracleOCIDate(static_cast<const OCIDate *>(value), &tm, true);
        return tm2timestamp(&tm, 0, nullptr, out);
    }
    const auto *body = static_cast<const DateTimeValue *>(value);
    DecodeOracleOCIDate(&body->date, &tm, true);
    const fsec_t fsec = kind == OCI_DTYPE_DATE ? 0 : GetDateTimeFraction(body);
    const int offset = body->zoneOffset;
    return tm2timestamp(&tm, fsec, KindHasZone(kind) ? &offset : nullptr, out);
}
}  // namespace

int DateTimeCompare(const void *a, const void *b, int kind, sword *result) {
    Timestamp ta, tb;
    if (CompareValue(a, kind, &ta) != 0 || CompareValue(b, kind, &tb) != 0) return -1;
    *result = ta < tb ? -1 : (ta > tb ? 1 : 0);
    return 0;
}

bool FillDayNumbers(pg_tm *tm) {
    if (tm->tm_mon < 1 || tm->tm_mon > 12) return false;
    const int jd = date2j(tm->tm_year, tm->tm_mon, tm->tm_mday);
    tm->tm_wday = j2day(jd);
    tm->tm_yday = jd - date2j(tm->tm_year, 1, 1) + 1;
    return true;
}

bool OCIDateToTm(const OCIDate *date, pg_tm *tm) {
    DecodeOracleOCIDate(date, tm, true);
    return FillDayNumbers(tm);
}

bool TmToOCIDate(const pg_tm *tm, OCIDate *date) {
    const int year = AstronomicalYearToOracle(tm->tm_year);
    if (year < -4712 || year > 9999) return false;
    return EncodeOracleOCIDate(date, tm, true) == 0;
}

void BodyFields(const DateTimeValue *body, pg_tm *tm, fsec_t *fsec) {
    const bool hasTime = body->kind != OCI_DTYPE_DATE;
    DecodeOracleOCIDate(&body->date, tm, hasTime);
    *fsec = hasTime ? GetDateTimeFraction(body) : 0;
}

bool ToLocalWallClock(pg_tm *tm, fsec_t *fsec, int offset, int *localOffset) {
    Timestamp ts;
    if (tm2timestamp(tm, *fsec, &offset, &ts) != 0) return false;
    *localOffset = LocalZoneOffsetAt(ts);
    return timestamp2tm(ts, localOffset, tm, fsec) == 0;
}

bool StoreDateTime(DateTimeValue *body, const pg_tm &tm, fsec_t fsec, const int *zone) {
    const int year = AstronomicalYearToOracle(tm.tm_year);
    if (year < -4712 || year > 9999) return false;
    const bool hasTime = body->kind != OCI_DTYPE_DATE;
    EncodeOracleOCIDate(&body->date, &tm, hasTime);
    SetDateTimeFraction(body, hasTime ? fsec : 0);
    if (KindHasZone(body->kind)) SetDateTimeZone(body, zone != nullptr ? *zone : DetermineLocalTimeZone(&tm));
    return true;
}

sword CopyTextOut(OCIError *err, const std::string &text, oratext *buf, ub4 *size) {
    if (text.size() >= *size) return Fail(err, kErrBufferTooSmall);
    std::memcpy(buf, text.c_str(), text.size() + 1);
    *size = static_cast<ub4>(text.size());
    return OCI_SUCCESS;
}

bool NumberToDouble(const OCINumber *number, double *out) {
    char text[kVarnumTextSize];
    if (ConvertVARNUMToString(number->OCINumberPart, text, sizeof text) != 0) return false;
    // from_chars, unlike strtod, does not follow the process locale, which
    // environment creation may have set to one with a decimal comma.
    const char *end = text + std::strlen(text);
    auto [ptr, ec] = std::from_chars(text, end, *out);
    return ec == std::errc() && ptr == end;
}

bool DoubleToNumber(double value, OCINumber *number) {
    if (!std::isfinite(value)) return false;
    char text[40];
    auto [ptr, ec] = std::to_chars(text, text + sizeof text - 1, value, std::chars_format::scientific, 14);
    if (ec != std::errc()) return false;
    *ptr = '\0';
    ub1 bytes[kVarnumSize];
    if (ConvertStringToVARNUM(text, bytes) != 0) return false;
    std::memcpy(number->OCINumberPart, bytes, sizeof bytes);
    return true;
}

void LocalNow(pg_tm *tm, fsec_t *fsec, int *offset) {
    struct timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    struct tm local;
    std::memset(&local, 0, sizeof local);
    localtime_r(&now.tv_sec, &local);
    std::memset(tm, 0, sizeof *tm);
    tm->tm_year = local.tm_year + 1900;
    tm->tm_mon = local.tm_mon + 1;
    tm->tm_mday = local.tm_mday;
    tm->tm_hour = local.tm_hour;
    tm->tm_min = local.tm_min;
    // A leap second (60) is kept within the minute.
    tm->tm_sec = local.tm_sec > 59 ? 59 : local.tm_sec;
    tm->tm_wday = local.tm_wday;
    tm->tm_yday = local.tm_yday + 1;
    tm->tm_isdst = local.tm_isdst;
    tm->tm_gmtoff = os::LocalUtcOffset(now.tv_sec, local);
    if (fsec != nullptr) *fsec = static_cast<fsec_t>(now.tv_nsec / 1000);
    if (offset != nullptr) *offset = static_cast<int>(tm->tm_gmtoff);
}

}  // namespace dtapi

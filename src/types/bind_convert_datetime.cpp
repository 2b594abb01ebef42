// Date, timestamp and interval binds: the value goes out as the text the
// server reads in any DateStyle (ISO date-times, verbose intervals).
#include <cstring>

#include "types/bind_converters.h"
#include "types/datetime_format.h"
#include "types/datetime_handles.h"

using namespace bindconv;

namespace {

constexpr sb4 kDateSize = 7;
constexpr sb4 kOCIDateSize = 8;
constexpr sb4 kMinIntervalSize = 7;

// The descriptor body behind an application's descriptor pointer, or null
// when the pointer does not lead to an initialised descriptor of that kind.
const DateTimeValue *DateTimeBody(const void *value) {
    if (value == nullptr) return nullptr;
    const void *handle = nullptr;
    std::memcpy(&handle, value, sizeof handle);
    const auto *dt = HandleAs<OCIDateTime>(handle, HANDLE_OCIDateTime);
    if (dt == nullptr || dt->value == nullptr || dt->value->initialised == 0) return nullptr;
    return dt->value;
}

const IntervalValue *IntervalBody(const void *value) {
    if (value == nullptr) return nullptr;
    const void *handle = nullptr;
    std::memcpy(&handle, value, sizeof handle);
    const auto *iv = HandleAs<OCIInterval>(handle, HANDLE_OCIInterval);
    if (iv == nullptr || iv->value == nullptr || iv->value->initialised == 0) return nullptr;
    return iv->value;
}

int SendDateTime(const pg_tm &tm, fsec_t fsec, const int *zone, char **out, ub4 *outLength,
                 ub1 *outFormat) {
    char buf[kMaxDateTimeText];
    const int length = EncodeDateTime(&tm, fsec, zone, buf, sizeof buf);
    if (length < 0) return Fail(out, outLength, outFormat);
    return EmitText(buf, static_cast<size_t>(length), out, outLength, outFormat);
}

int SendDATE(const void *value, sb4 size, bool withTime, char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < kDateSize) return Fail(out, outLength, outFormat);
    pg_tm tm;
    DecodeOracleDATE(static_cast<const ub1 *>(value), &tm, withTime);
    return SendDateTime(tm, 0, nullptr, out, outLength, outFormat);
}

// A datetime descriptor's value, with a zone when `withZone`: its own for a
// TIMESTAMP WITH TIME ZONE descriptor, else the local zone's offset in force
// at that wall-clock time.
int SendDescriptor(const void *value, bool withZone, char **out, ub4 *outLength, ub1 *outFormat) {
    const DateTimeValue *body = DateTimeBody(value);
    if (body == nullptr) return Fail(out, outLength, outFormat);
    pg_tm tm;
    fsec_t fsec = 0;
    DecodeOracleOCIDateTime(body, &tm, &fsec, false);
    if (!withZone) return SendDateTime(tm, fsec, nullptr, out, outLength, outFormat);
    const int zone = body->kind == OCI_DTYPE_TIMESTAMP_TZ ? static_cast<int>(body->zoneOffset)
                                                          : DetermineLocalTimeZone(&tm);
    return SendDateTime(tm, fsec, &zone, out, outLength, outFormat);
}

}  // namespace

int ConvertSQLT_DATToDATEOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return SendDATE(value, size, false, out, outLength, outFormat);
}

int ConvertSQLT_DATToTIMESTAMPOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                                  char **out, ub4 *outLength, ub1 *outFormat) {
    return SendDATE(value, size, true, out, outLength, outFormat);
}

int ConvertSQLT_ODTToTIMESTAMPOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                                  char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < kOCIDateSize) return Fail(out, outLength, outFormat);
    OCIDate date;
    std::memcpy(&date, value, sizeof date);
    pg_tm tm;
    DecodeOracleOCIDate(&date, &tm, true);
    return SendDateTime(tm, 0, nullptr, out, outLength, outFormat);
}

int ConvertSQLT_DATEToTIMESTAMPOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                                   char **out, ub4 *outLength, ub1 *outFormat) {
    const DateTimeValue *body = DateTimeBody(value);
    if (body == nullptr) return Fail(out, outLength, outFormat);
    pg_tm tm;
    DecodeOracleOCIDate(&body->date, &tm, false);
    return SendDateTime(tm, 0, nullptr, out, outLength, outFormat);
}

int ConvertSQLT_TIMESTAMPToTIMESTAMPOID(OCIError *errhp, const void *value, sb4 size,
                                        const sb2 *indicator, char **out, ub4 *outLength,
                                        ub1 *outFormat) {
    return SendDescriptor(value, false, out, outLength, outFormat);
}

// Only a TIMESTAMP WITH TIME ZONE descriptor carries its own zone. The others
// hold a local wall-clock time, which is sent with the local zone's offset
// in force at that time (not the offset of today, which is an hour off for
// values on the other side of a daylight-saving change).
int ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID(OCIError *errhp, const void *value, sb4 size,
                                             const sb2 *indicator, char **out, ub4 *outLength,
                                             ub1 *outFormat) {
    return SendDescriptor(value, true, out, outLength, outFormat);
}

int ConvertSQLT_INTERVAL_DSToINTERVALOID(OCIError *errhp, const void *value, sb4 size,
                                         const sb2 *indicator, char **out, ub4 *outLength,
                                         ub1 *outFormat) {
    if (size < kMinIntervalSize) return Fail(out, outLength, outFormat);
    const IntervalValue *body = IntervalBody(value);
    if (body == nullptr) return Fail(out, outLength, outFormat);
    IntervalData iv;
    GetIntervalBody(body, &iv);
    char buf[kMaxIntervalText];
    const int length = EncodeInterval(iv, buf, sizeof buf);
    if (length < 0) return Fail(out, outLength, outFormat);
    return EmitText(buf, static_cast<size_t>(length), out, outLength, outFormat);
}

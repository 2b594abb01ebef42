// OCIDateTime entry points: construction, field access, validation,
// comparison, arithmetic with intervals, kind conversion, the external array
// form and the current timestamp. (The text conversions are in
// datetime_api_text.cpp.)
//
// A body holds wall-clock fields; the zoned kinds also hold the offset of
// the zone those fields are in. Fractions are kept in microseconds and
// exchanged with the application in nanoseconds, as OCI counts them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "types/datetime_api.h"

using namespace dtapi;

namespace {

// OCIDateTimeConstruct reports each failed field check with the number of
// the datetime-check flags that describe it.
constexpr sb4 kCheckDayBelow = OCI_DT_INVALID_DAY | OCI_DT_DAY_BELOW_VALID;               // 3
constexpr sb4 kCheckMonthAbove = OCI_DT_INVALID_MONTH;                                     // 4
constexpr sb4 kCheckMonthZero = OCI_DT_INVALID_MONTH | OCI_DT_MONTH_BELOW_VALID;           // 12
constexpr sb4 kCheckDayBeyondMonth = OCI_DT_INVALID_DAY;                                   // 1
constexpr sb4 kCheckHour = OCI_DT_INVALID_HOUR;                                            // 64
constexpr sb4 kCheckMinute = OCI_DT_INVALID_MINUTE;                                        // 256
constexpr sb4 kCheckSecond = OCI_DT_INVALID_SECOND;                                        // 1024
constexpr sb4 kCheckYearMonthZero = OCI_DT_YEAR_ZERO | kCheckMonthZero | kCheckDayBelow;   // 8207
constexpr sb4 kCheckYear = OCI_DT_YEAR_ZERO | OCI_DT_INVALID_SECOND;                       // 9216
constexpr ub4 kNanosPerMicro = 1000;
constexpr ub4 kMaxNanos = 999999999;

// Zone offset (seconds east) -> signed hours and minutes; the minutes carry
// the sign only when the hours are 0, so that -00:30 stays apart from +00:30.
void SplitZone(int offset, sb1 *hours, sb1 *minutes) {
    const int magnitude = offset < 0 ? -offset : offset;
    *hours = static_cast<sb1>(offset / 3600);
    const int mins = magnitude / 60 % 60;
    *minutes = static_cast<sb1>(offset < 0 && offset / 3600 == 0 ? -mins : mins);
}

// The offset of a zoned body as its accessors report it: the stored one, or
// for the local-zone kind the client's current one.
int ReportedZone(const DateTimeValue *body) {
    return body->kind == OCI_DTYPE_TIMESTAMP_LTZ ? GetCurrTimeZone(nullptr, nullptr) : body->zoneOffset;
}

int KindOfSqlType(ub1 type) {
    switch (type) {
    case SQLT_DATE: return OCI_DTYPE_DATE;
    case SQLT_TIMESTAMP: return OCI_DTYPE_TIMESTAMP;
    case SQLT_TIMESTAMP_TZ: return OCI_DTYPE_TIMESTAMP_TZ;
    case SQLT_TIMESTAMP_LTZ: return OCI_DTYPE_TIMESTAMP_LTZ;
    default: return 0;
    }
}

sword IntervalArithmetic(const char *name, void *hndl, OCIError *err, OCIDateTime *datetime, OCIInterval *inter,
                         OCIDateTime *outdatetime, bool subtract);

}  // namespace

OCI_EXPORT sword OCIDateTimeAssign(void *hndl, OCIError *err, const OCIDateTime *from, OCIDateTime *to) {
    return HandleEntry("OCIDateTimeAssign", hndl, err, false, [&]() -> sword {
        DateTimeValue *source = DateTimeBody(err, from, 3);
        if (source == nullptr) return OCI_ERROR;
        DateTimeValue *target = DateTimeBody(err, to, 4);
        if (target == nullptr) return OCI_ERROR;
        if (source->kind != target->kind) return Fail(err, kErrNotConsistent);
        *target = *source;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, from, to));
}

OCI_EXPORT sword OCIDateTimeCheck(void *hndl, OCIError *err, const OCIDateTime *date, ub4 *valid) {
    return HandleEntry("OCIDateTimeCheck", hndl, err, false, [&]() -> sword {
        DateTimeValue *body = DateTimeBody(err, date, 3);
        if (body == nullptr) return OCI_ERROR;
        if (valid == nullptr) return MissingArgument(err, 4);
        ub4 flags = VerifyDate(&body->date);
        if (KindHasZone(body->kind) &&
            (body->zoneHours < -12 || body->zoneHours > 14 || body->zoneMinutes >= 60))
            flags |= OCI_DT_INVALID_TIMEZONE;
        *valid = flags;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, date, valid));
}

OCI_EXPORT sword OCIDateTimeCompare(void *hndl, OCIError *err, const OCIDateTime *date1, const OCIDateTime *date2,
                                    sword *result) {
    return HandleEntry("OCIDateTimeCompare", hndl, err, true, [&]() -> sword {
        DateTimeValue *a = DateTimeBody(err, date1, 3);
        if (a == nullptr) return OCI_ERROR;
        DateTimeValue *b = DateTimeBody(err, date2, 4);
        if (b == nullptr) return OCI_ERROR;
        if (result == nullptr) return MissingArgument(err, 5);
        if (a->kind != b->kind) return Fail(err, kErrNotComparable);
        if (DateTimeCompare(a, b, a->kind, result) != 0) return Fail(err, kErrInvalidDate);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, date1, date2, result));
}

OCI_EXPORT sword OCIDateTimeConstruct(void *hndl, OCIError *err, OCIDateTime *datetime, sb2 yr, ub1 mnth, ub1 dy,
                                      ub1 hr, ub1 mm, ub1 ss, ub4 fsec, OraText *timezone,
                                      size_t timezone_length) {
    return HandleEntry("OCIDateTimeConstruct", hndl, err, false, [&]() -> sword {
        if (datetime == nullptr) return MissingArgument(err, 3);
        auto *record = HandleAs<OCIDateTime>(datetime, HANDLE_OCIDateTime);
        // Construction initialises the value: only a usable record is needed.
        if (record == nullptr || record->value == nullptr || !IsDateTimeKind(record->value->kind))
            return Fail(err, kErrUnusableDateTime);
        DateTimeValue *body = record->value;
        const int kind = body->kind;
        if (yr == 0 && mnth == 0) return Fail(err, kCheckYearMonthZero);
        if (yr < 1 || yr > 9999) {
            char year[8];
            std::snprintf(year, sizeof year, "%d", yr);
            AddErrorRecordStringX(err, OCI_ERROR, kCheckYear, 2, year, "yr");
            return OCI_ERROR;
        }
        if (dy < 1) return Fail(err, kCheckDayBelow);
        if (mnth > 12) return Fail(err, kCheckMonthAbove);
        if (mnth == 0) return Fail(err, kCheckMonthZero);
        if (dy > DaysInMonth(yr, mnth)) return Fail(err, kCheckDayBeyondMonth);
        const bool hasTime = kind != OCI_DTYPE_DATE;
        // A time with zone may run past the day; it is carried below.
        if (hasTime && kind != OCI_DTYPE_TIMESTAMP_TZ) {
            if (hr > 23) return Fail(err, kCheckHour);
            if (mm > 59) return Fail(err, kCheckMinute);
            if (ss > 59) return Fail(err, kCheckSecond);
        }
        if (hasTime && fsec > kMaxNanos) return MissingArgument(err, 10);
        // Without a zone text the value is in the local zone of its own date
        // and time (StoreDateTime finds it), not in today's offset.
        int offset = 0;
        const int *zone = nullptr;
        const char *chars = reinterpret_cast<const char *>(timezone);
        const size_t length = chars != nullptr ? strnlen(chars, timezone_length) : 0;
        if (KindHasZone(kind) && length > 0) {
            if (DecodeTZ(chars, length, &offset, nullptr, nullptr, nullptr) != 0) {
                SetDateTimeZone(body, 0);
                body->zoneText[0] = '\0';
                return Fail(err, kErrUnusableDateTime);
            }
            zone = &offset;
        }
        pg_tm tm;
        if (ConstructTmFromData(&tm, yr, mnth, dy, hasTime ? hr : 0, hasTime ? mm : 0, hasTime ? ss : 0) != 0 ||
            !StoreDateTime(body, tm, static_cast<fsec_t>(fsec / kNanosPerMicro), zone)) {
            AddErrorRecordStringX(err, OCI_ERROR, kCheckYear, 2, "10000", "yr");
            return OCI_ERROR;
        }
        body->initialised = 1;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, datetime, yr, mnth, dy, hr, mm, ss, fsec, timezone, timezone_length));
}

OCI_EXPORT sword OCIDateTimeGetDate(void *hndl, OCIError *err, const OCIDateTime *date, sb2 *yr, ub1 *mnth,
                                    ub1 *dy) {
    return HandleEntry("OCIDateTimeGetDate", hndl, err, false, [&]() -> sword {
        DateTimeValue *body = DateTimeBody(err, date, 3);
        if (body == nullptr) return OCI_ERROR;
        if (yr == nullptr) return MissingArgument(err, 4);
        if (mnth == nullptr) return MissingArgument(err, 5);
        if (dy == nullptr) return MissingArgument(err, 6);
        *yr = body->date.OCIDateYYYY;
        *mnth = body->date.OCIDateMM;
        *dy = body->date.OCIDateDD;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, date, yr, mnth, dy));
}

OCI_EXPORT sword OCIDateTimeGetTime(void *hndl, OCIError *err, OCIDateTime *datetime, ub1 *hr, ub1 *mm, ub1 *ss,
                                    ub4 *fsec) {
    return HandleEntry("OCIDateTimeGetTime", hndl, err, false, [&]() -> sword {
        DateTimeValue *body = DateTimeBody(err, datetime, 3);
        if (body == nullptr) return OCI_ERROR;
        if (hr == nullptr) return MissingArgument(err, 4);
        if (mm == nullptr) return MissingArgument(err, 5);
        if (ss == nullptr) return MissingArgument(err, 6);
        if (fsec == nullptr) return MissingArgument(err, 7);
        if (body->kind == OCI_DTYPE_DATE) {
            *hr = *mm = *ss = 0;
            *fsec = 0;
            return Fail(err, kErrFieldMissing);
        }
        *hr = body->date.OCIDateTime.OCITimeHH;
        *mm = body->date.OCIDateTime.OCITimeMI;
        *ss = body->date.OCIDateTime.OCITimeSS;
        *fsec = static_cast<ub4>(GetDateTimeFraction(body)) * kNanosPerMicro;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, datetime, hr, mm, ss, fsec));
}

OCI_EXPORT sword OCIDateTimeGetTimeZoneOffset(void *hndl, OCIError *err, const OCIDateTime *datetime, sb1 *hr,
                                              sb1 *mm) {
    return HandleEntry("OCIDateTimeGetTimeZoneOffset", hndl, err, false, [&]() -> sword {
        DateTimeValue *body = DateTimeBody(err, datetime, 3);
        if (body == nullptr) return OCI_ERROR;
        if (hr == nullptr) return MissingArgument(err, 4);
        if (mm == nullptr) return MissingArgument(err, 5);
        if (!KindHasZone(body->kind)) return Fail(err, kErrFieldMissing);
        SplitZone(ReportedZone(body), hr, mm);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, datetime, hr, mm));
}

OCI_EXPORT sword OCIDateTimeGetTimeZoneName(void *hndl, OCIError *err, const OCIDateTime *datetime, ub1 *buf,
                                            ub4 *buflen) {
    return HandleEntry("OCIDateTimeGetTimeZoneName", hndl, err, false, [&]() -> sword {
        DateTimeValue *body = DateTimeBody(err, datetime, 3);
        if (body == nullptr) return OCI_ERROR;
        if (buf == nullptr) return MissingArgument(err, 4);
        if (buflen == nullptr) return MissingArgument(err, 5);
        if (!KindHasZone(body->kind)) return Fail(err, kErrFieldMissing);
        const int offset = ReportedZone(body);
        const int magnitude = offset < 0 ? -offset : offset;
        char name[16];
        const int length = std::snprintf(name, sizeof name, "%c%02d:%02d", offset < 0 ? '-' : '+',
                                         magnitude / 3600, magnitude / 60 % 60);
        // The name needs no terminator; one is added when there is room.
        if (static_cast<ub4>(length) > *buflen) return Fail(err, kErrBufferTooSmall);
        std::memcpy(buf, name, static_cast<size_t>(length));
        if (static_cast<ub4>(length) < *buflen) buf[length] = '\0';
        *buflen = static_cast<ub4>(length);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, datetime, buf, buflen));
}

OCI_EXPORT sword OCIDateTimeSysTimeStamp(void *hndl, OCIError *err, OCIDateTime *sys_date) {
    return HandleEntry("OCIDateTimeSysTimeStamp", hndl, err, false, [&]() -> sword {
        if (sys_date == nullptr) return MissingArgument(err, 3);
        auto *record = HandleAs<OCIDateTime>(sys_date, HANDLE_OCIDateTime);
        if (record == nullptr || record->value == nullptr || !IsDateTimeKind(record->value->kind))
            return Fail(err, kErrUnusableDateTime);
        pg_tm tm;
        fsec_t fsec;
        int offset;
        // Fields and offset come from one reading of the clock, so a
        // daylight-saving change cannot fall between them.
        LocalNow(&tm, &fsec, &offset);
        StoreDateTime(record->value, tm, fsec, &offset);
        record->value->initialised = 1;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, sys_date));
}

OCI_EXPORT sword OCIDateTimeSubtract(void *hndl, OCIError *err, OCIDateTime *indate1, OCIDateTime *indate2,
                                     OCIInterval *inter) {
    return HandleEntry("OCIDateTimeSubtract", hndl, err, false, [&]() -> sword {
        DateTimeValue *a = DateTimeBody(err, indate1, 3);
        if (a == nullptr) return OCI_ERROR;
        DateTimeValue *b = DateTimeBody(err, indate2, 4);
        if (b == nullptr) return OCI_ERROR;
        IntervalValue *result = IntervalBody(err, inter, 5);
        if (result == nullptr) return OCI_ERROR;
        Timestamp ta, tb;
        if (ConvertOCIDateTimeToTimestamp(a, &ta) != 0) return Fail(err, kErrInvalidDate);
        if (ConvertOCIDateTimeToTimestamp(b, &tb) != 0) return Fail(err, kErrInvalidDate);
        IntervalData iv{0, 0, ta - tb};
        if (interval_justify_hours(&iv) != 0) return Fail(err, kErrOverflow);
        // A day-to-second interval keeps its days; only a year-to-month one
        // counts 30 of them as a month.
        if (result->kind == OCI_DTYPE_INTERVAL_YM) {
            iv.months = iv.days / 30;
            iv.days %= 30;
        }
        SetIntervalBody(result, iv);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, indate1, indate2, inter));
}

OCI_EXPORT sword OCIDateTimeIntervalAdd(void *hndl, OCIError *err, OCIDateTime *datetime, OCIInterval *inter,
                                        OCIDateTime *outdatetime) {
    return IntervalArithmetic("OCIDateTimeIntervalAdd", hndl, err, datetime, inter, outdatetime, false);
}

OCI_EXPORT sword OCIDateTimeIntervalSub(void *hndl, OCIError *err, OCIDateTime *datetime, OCIInterval *inter,
                                        OCIDateTime *outdatetime) {
    return IntervalArithmetic("OCIDateTimeIntervalSub", hndl, err, datetime, inter, outdatetime, true);
}

namespace {

// Moves wall-clock fields by months (the day clamped to the new month's
// length), then days, then microseconds. false when out of range.
bool MoveWallClock(pg_tm *tm, fsec_t *fsec, int64_t months, int64_t days, int64_t usecs) {
    if (months != 0) {
        const int64_t total = tm->tm_year * int64_t{12} + (tm->tm_mon - 1) + months;
        const int64_t year = total >= 0 ? total / 12 : -((-total + 11) / 12);
        if (year < -4713 || year > 9999) return false;
        tm->tm_year = static_cast<int>(year);
        tm->tm_mon = static_cast<int>(total - year * 12) + 1;
        const int last = DaysInMonth(tm->tm_year, tm->tm_mon);
        if (tm->tm_mday > last) tm->tm_mday = last;
    }
    Timestamp ts;
    if (tm2timestamp(tm, *fsec, nullptr, &ts) != 0) return false;
    const __int128 moved = static_cast<__int128>(ts) + static_cast<__int128>(days) * USECS_PER_DAY + usecs;
    if (moved < MIN_TIMESTAMP || moved >= END_TIMESTAMP) return false;
    return timestamp2tm(static_cast<Timestamp>(moved), nullptr, tm, fsec) == 0;
}

sword IntervalArithmetic(const char *name, void *hndl, OCIError *err, OCIDateTime *datetime, OCIInterval *inter,
                         OCIDateTime *outdatetime, bool subtract) {
    return HandleEntry(name, hndl, err, false, [&]() -> sword {
        DateTimeValue *source = DateTimeBody(err, datetime, 3, kErrNotConsistent);
        if (source == nullptr) return OCI_ERROR;
        IntervalValue *interval = IntervalBody(err, inter, 4);
        if (interval == nullptr) return OCI_ERROR;
        DateTimeValue *target = DateTimeBody(err, outdatetime, 5, kErrNotConsistent);
        if (target == nullptr) return OCI_ERROR;
        IntervalData iv;
        GetIntervalBody(interval, &iv);
        const int64_t sign = subtract ? -1 : 1;
        pg_tm tm;
        fsec_t fsec;
        BodyFields(source, &tm, &fsec);
        // Months and days move the wall clock of the value's own zone; the
        // result keeps that zone.
        if (tm.tm_mon < 1 || tm.tm_mon > 12 ||
            !MoveWallClock(&tm, &fsec, sign * iv.months, sign * iv.days, sign * iv.usecs))
            return MissingArgument(err, 4);
        const int zone = source->zoneOffset;
        if (!StoreDateTime(target, tm, fsec, KindHasZone(source->kind) ? &zone : nullptr)) return MissingArgument(err, 4);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, datetime, inter, outdatetime));
}

}  // namespace

OCI_EXPORT sword OCIDateTimeConvert(void *hndl, OCIError *err, OCIDateTime *indate, OCIDateTime *outdate) {
    return HandleEntry("OCIDateTimeConvert", hndl, err, true, [&]() -> sword {
        DateTimeValue *source = DateTimeBody(err, indate, 3);
        if (source == nullptr) return OCI_ERROR;
        DateTimeValue *target = DateTimeBody(err, outdate, 4);
        if (target == nullptr) return OCI_ERROR;
        pg_tm tm;
        fsec_t fsec;
        BodyFields(source, &tm, &fsec);
        if (tm.tm_mon < 1 || tm.tm_mon > 12) return Fail(err, kErrInvalidDate);
        int zone = 0;
        bool hasZone = false;
        if (source->kind == OCI_DTYPE_TIMESTAMP_TZ) {
            zone = source->zoneOffset;
            hasZone = true;
        }
        // A value with local time zone is seen in the client's zone, and so
        // is any zoned value converted into that kind: the instant is kept.
        if (source->kind == OCI_DTYPE_TIMESTAMP_LTZ ||
            (source->kind == OCI_DTYPE_TIMESTAMP_TZ && target->kind == OCI_DTYPE_TIMESTAMP_LTZ)) {
            if (!ToLocalWallClock(&tm, &fsec, source->zoneOffset, &zone)) return Fail(err, kErrInvalidDate);
            hasZone = true;
        }
        // A value without zone gains the local zone of its wall-clock time.
        if (!StoreDateTime(target, tm, fsec, hasZone ? &zone : nullptr)) return Fail(err, kErrInvalidDate);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, indate, outdate));
}

OCI_EXPORT sword OCIDateTimeFromArray(void *hndl, OCIError *err, ub1 *inarray, ub4 len, ub1 type,
                                      OCIDateTime *datetime, const OCIInterval *reftz, ub1 fsprec) {
    return HandleEntry("OCIDateTimeFromArray", hndl, err, false, [&]() -> sword {
        if (inarray == nullptr) return MissingArgument(err, 3);
        if (datetime == nullptr) return MissingArgument(err, 6);
        const int kind = KindOfSqlType(type);
        if (kind == 0) return Fail(err, kErrInvalidClass);
        auto *record = HandleAs<OCIDateTime>(datetime, HANDLE_OCIDateTime);
        if (record == nullptr) return Fail(err, kErrUnusableDateTime);
        if (record->value == nullptr) return Fail(err, kErrNoData);
        if (reftz == nullptr) {
            AddErrorRecord(err, OCI_ERROR, kErrNoData);
            return OCI_INVALID_HANDLE;
        }
        if (len < 4) return MissingArgument(err, 4);
        // Oracle's external layout: century and year of century + 100, month,
        // day, hour/minute/second + 1, nanoseconds (big-endian), zone hour +
        // 20 and minute + 60. A zoned value's time is in UTC.
        OCIDate date{};
        date.OCIDateYYYY = static_cast<sb2>((inarray[0] - 100) * 100 + inarray[1] - 100);
        date.OCIDateMM = inarray[2];
        date.OCIDateDD = inarray[3];
        if (len > 4) date.OCIDateTime.OCITimeHH = static_cast<ub1>(inarray[4] - 1);
        if (len > 5) date.OCIDateTime.OCITimeMI = static_cast<ub1>(inarray[5] - 1);
        if (len > 6) date.OCIDateTime.OCITimeSS = static_cast<ub1>(inarray[6] - 1);
        if (VerifyDate(&date) != 0) return Fail(err, kErrInvalidDate);
        ub4 nanos = 0;
        if (len > 10)
            nanos = (ub4{inarray[7]} << 24) | (ub4{inarray[8]} << 16) | (ub4{inarray[9]} << 8) | inarray[10];
        if (nanos > kMaxNanos) return Fail(err, kErrInvalidDate);
        pg_tm tm;
        DecodeOracleOCIDate(&date, &tm, true);
        fsec_t fsec = static_cast<fsec_t>(nanos / kNanosPerMicro);
        int zone = 0;
        const int *zonep = nullptr;
        if (KindHasZone(kind) && len > 12) {
            const int hours = inarray[11] - 20, minutes = inarray[12] - 60;
            if (hours < -12 || hours > 14 || minutes < -59 || minutes > 59) return Fail(err, kErrUnusableDateTime);
            const int sign = hours < 0 || minutes < 0 ? -1 : 1;
            const int utcZone = 0;
            zone = sign * (std::abs(hours) * 3600 + std::abs(minutes) * 60);
            if (kind == OCI_DTYPE_TIMESTAMP_LTZ) {
                if (!ToLocalWallClock(&tm, &fsec, utcZone, &zone)) return Fail(err, kErrInvalidDate);
            } else {
                Timestamp ts;
                if (tm2timestamp(&tm, fsec, &utcZone, &ts) != 0 || timestamp2tm(ts, &zone, &tm, &fsec) != 0)
                    return Fail(err, kErrInvalidDate);
            }
            zonep = &zone;
        }
        DateTimeValue *body = record->value;
        const DateTimeValue saved = *body;
        body->kind = static_cast<ub1>(kind);
        if (!StoreDateTime(body, tm, fsec, zonep)) {
            *body = saved;
            return Fail(err, kErrInvalidDate);
        }
        record->descriptorType = static_cast<ub4>(kind);
        body->initialised = 1;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, inarray, len, type, datetime, reftz, fsprec));
}

OCI_EXPORT sword OCIDateTimeToArray(void *hndl, OCIError *err, const OCIDateTime *datetime, const OCIInterval *reftz,
                                    ub1 *outarray, ub4 *len, ub1 fsprec) {
    return HandleEntry("OCIDateTimeToArray", hndl, err, false, [&]() -> sword {
        DateTimeValue *body = DateTimeBody(err, datetime, 3);
        if (body == nullptr) return OCI_ERROR;
        if (outarray == nullptr) return MissingArgument(err, 5);
        if (len == nullptr) return MissingArgument(err, 6);
        const ub4 room = *len;
        if (room < 4) return Fail(err, kErrBufferTooSmall);
        pg_tm tm;
        fsec_t fsec;
        BodyFields(body, &tm, &fsec);
        if (tm.tm_mon < 1 || tm.tm_mon > 12) return Fail(err, kErrInvalidDate);
        int zone = 0;
        if (body->kind == OCI_DTYPE_TIMESTAMP_TZ) {
            // The array holds the instant in UTC and the zone beside it.
            zone = body->zoneOffset;
            Timestamp ts;
            if (tm2timestamp(&tm, fsec, &zone, &ts) != 0 || timestamp2tm(ts, nullptr, &tm, &fsec) != 0)
                return Fail(err, kErrInvalidDate);
        } else if (body->kind == OCI_DTYPE_TIMESTAMP_LTZ) {
            if (!ToLocalWallClock(&tm, &fsec, body->zoneOffset, &zone)) return Fail(err, kErrInvalidDate);
        }
        const int year = AstronomicalYearToOracle(tm.tm_year);
        if (year < -4712 || year > 9999) return Fail(err, kErrIllegalYear);
        std::memset(outarray, 0, room);
        outarray[0] = static_cast<ub1>(year / 100 + 100);
        outarray[1] = static_cast<ub1>(year % 100 + 100);
        outarray[2] = static_cast<ub1>(tm.tm_mon);
        outarray[3] = static_cast<ub1>(tm.tm_mday);
        ub4 written = 4;
        if (body->kind != OCI_DTYPE_DATE && room > 6) {
            outarray[4] = static_cast<ub1>(tm.tm_hour + 1);
            outarray[5] = static_cast<ub1>(tm.tm_min + 1);
            outarray[6] = static_cast<ub1>(tm.tm_sec + 1);
            written = 7;
            if (room > 10) {
                const ub4 nanos = static_cast<ub4>(fsec) * kNanosPerMicro;
                outarray[7] = static_cast<ub1>(nanos >> 24);
                outarray[8] = static_cast<ub1>(nanos >> 16);
                outarray[9] = static_cast<ub1>(nanos >> 8);
                outarray[10] = static_cast<ub1>(nanos);
                written = 11;
            }
            if (body->kind == OCI_DTYPE_TIMESTAMP_TZ && room > 12) {
                outarray[11] = static_cast<ub1>(zone / 3600 + 20);
                outarray[12] = static_cast<ub1>(zone % 3600 / 60 + 60);
                written = 13;
            }
        }
        *len = written;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, datetime, reftz, outarray, len, fsprec));
}

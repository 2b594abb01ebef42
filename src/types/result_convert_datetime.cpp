// date, timestamp and timestamptz columns (and text read as one) into
// Oracle's DATE, OCIDate and datetime descriptors, their text into character
// targets, and interval columns into interval descriptors.
//
// In binary format a date is 4 bytes (days since 2000-01-01) and a timestamp
// 8 (microseconds since 2000-01-01 00:00:00); the length tells which, as the
// converters of the timestamp family also serve date columns. A binary
// timestamptz is an instant in UTC.
#include <cstring>

#include "types/datetime_format.h"
#include "types/result_convert_support.h"

namespace resultconv {
namespace {

constexpr const char *kOutOfRange = "timestamp out of range";

sword OutOfRange(const Call &c) { return FailMessage(c, kOutOfRange); }

// The binary value (4 or 8 bytes) as a broken-down time without zone.
sword ReadBinaryDateTime(const Call &c, pg_tm *tm, fsec_t *fsec) {
    *fsec = 0;
    if (c.valueLength == 4) {
        int32_t days = 0;
        DateFromSendFormat(c.value, 4, &days);
        if (days == DATEVAL_NOBEGIN || days == DATEVAL_NOEND) return OutOfRange(c);
        std::memset(tm, 0, sizeof *tm);
        j2date(days + POSTGRES_EPOCH_JDATE, &tm->tm_year, &tm->tm_mon, &tm->tm_mday);
        return OCI_SUCCESS;
    }
    Timestamp ts = 0;
    if (TimestampFromSendFormat(c.value, c.valueLength, &ts) != 0) return Refuse(c);
    return timestamp2tm(ts, nullptr, tm, fsec) == 0 ? OCI_SUCCESS : OutOfRange(c);
}

// Where the value comes from: a date/time column, whose binary format is
// the server's date or timestamp value, or a text column, which is text in
// either format.
enum class Source { DateTime, Text };

bool StartSource(const Call &c, Source source, sword *status) {
    const bool emptyIsNull = source == Source::DateTime || OracleVarchars(c);
    return Start(c, emptyIsNull ? EmptyText::IsNull : EmptyText::IsValue, status);
}

// The value as date, time, fraction and (when written) zone.
sword ReadDateTime(const Call &c, Source source, ParsedDateTime *out) {
    std::memset(out, 0, sizeof *out);
    if (c.format == 1 && source == Source::DateTime) {
        const sword status = ReadBinaryDateTime(c, &out->tm, &out->fsec);
        out->hasDate = true;
        out->hasZone = c.valueLength == 8;  // only a timestamptz has one: UTC
        return status;
    }
    const int rc = ReadDateTimeText(c.value, c.valueLength, out);
    if (rc != 0) return Fail(c, rc);
    if (out->special != DTS_NORMAL) return OutOfRange(c);
    return OCI_SUCCESS;
}

// The datetime descriptor the destination points to, or null.
DateTimeValue *DestDateTime(const Call &c) {
    if (Capacity(c) < sizeof(OCIDateTime *)) return nullptr;
    OCIDateTime *dt = nullptr;
    std::memcpy(&dt, c.dest, sizeof dt);
    dt = HandleAs<OCIDateTime>(dt, HANDLE_OCIDateTime);
    return dt != nullptr ? dt->value : nullptr;
}

enum class Oracle { DAT, ODT };

sword ToOracleDate(const Call &c, Source source, Oracle target, bool withTime) {
    sword status;
    if (!StartSource(c, source, &status)) return status;
    const size_t width = target == Oracle::DAT ? 7 : sizeof(OCIDate);
    if (Capacity(c) < width) return Refuse(c);
    ParsedDateTime parsed;
    status = ReadDateTime(c, source, &parsed);
    if (status != OCI_SUCCESS) return status;
    if (target == Oracle::DAT) {
        if (EncodeOracleDATE(static_cast<ub1 *>(c.dest), &parsed.tm, withTime) != 0) return OutOfRange(c);
    } else {
        OCIDate date;
        if (EncodeOracleOCIDate(&date, &parsed.tm, withTime) != 0) return OutOfRange(c);
        std::memcpy(c.dest, &date, sizeof date);
    }
    *c.length = static_cast<ub4>(width);
    TraceResult(c.dest, width);
    return OCI_SUCCESS;
}

enum class Part { Date, DateTime, Zoned };

// Zoned: the parsed zone, or the client's zone for the wall-clock time when
// the value has none. A local-time-zone descriptor holds the instant in the
// client's zone.
sword StoreZoned(const Call &c, DateTimeValue *body, ParsedDateTime *parsed) {
    pg_tm tm = parsed->tm;
    fsec_t fsec = parsed->fsec;
    int offset = parsed->hasZone ? parsed->zoneOffset : DetermineLocalTimeZone(&tm);
    if (body->kind == OCI_DTYPE_TIMESTAMP_LTZ) {
        Timestamp ts = 0;
        if (tm2timestamp(&tm, fsec, &offset, &ts) != 0) return OutOfRange(c);
        offset = LocalZoneOffsetAt(ts);
        if (timestamp2tm(ts, &offset, &tm, &fsec) != 0) return OutOfRange(c);
    }
    tm.tm_gmtoff = offset;
    return EncodeOracleOCIDateTime(body, &tm, true, fsec) == 0 ? OCI_SUCCESS : OutOfRange(c);
}

sword ToDescriptor(const Call &c, Source source, Part part) {
    sword status;
    if (!StartSource(c, source, &status)) return status;
    DateTimeValue *body = DestDateTime(c);
    if (body == nullptr) return Fail(c, kErrDateTimeInternal);
    ParsedDateTime parsed;
    status = ReadDateTime(c, source, &parsed);
    if (status != OCI_SUCCESS) return status;
    switch (part) {
    case Part::Date: {
        pg_tm tm = parsed.tm;
        tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
        status = EncodeOracleOCIDateTime(body, &tm, false, 0) == 0 ? OCI_SUCCESS : OutOfRange(c);
        break;
    }
    case Part::DateTime:
        status = EncodeOracleOCIDateTime(body, &parsed.tm, false, parsed.fsec) == 0 ? OCI_SUCCESS : OutOfRange(c);
        break;
    case Part::Zoned: status = StoreZoned(c, body, &parsed); break;
    }
    if (status == OCI_SUCCESS) *c.length = kDescriptorLength;
    return status;
}

// A zone-less column into a zoned descriptor: the wall-clock time in the
// client's zone (never the zone a previous row left in the descriptor).
sword ToZonedFromPlain(const Call &c) {
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    DateTimeValue *body = DestDateTime(c);
    if (body == nullptr) return Fail(c, kErrDateTimeInternal);
    ParsedDateTime parsed;
    status = ReadDateTime(c, Source::DateTime, &parsed);
    if (status != OCI_SUCCESS) return status;
    parsed.hasZone = false;
    status = StoreZoned(c, body, &parsed);
    if (status == OCI_SUCCESS) *c.length = kDescriptorLength;
    return status;
}

// The characters of a date, timestamp or timestamptz value.
sword DateToChars(const Call &c, CharLayout layout) {
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    if (c.format == 0) {
        if (c.valueLength > kMaxDateText) return Refuse(c);
        return DeliverChars(c, layout, c.value, c.valueLength, false);
    }
    char text[kMaxDateTimeText];
    int len;
    Timestamp ts = 0;
    if (c.valueLength == 8 && TimestampFromSendFormat(c.value, 8, &ts) == 0 && TimestampIsSpecial(ts)) {
        len = EncodeSpecialTimestamp(ts, text, sizeof text);
    } else {
        pg_tm tm;
        fsec_t fsec = 0;
        status = ReadBinaryDateTime(c, &tm, &fsec);
        if (status != OCI_SUCCESS) return status;
        len = c.valueLength == 4 ? EncodeDateOnly(&tm, text, sizeof text)
                                 : EncodeDateTime(&tm, fsec, nullptr, text, sizeof text);
    }
    if (len < 0) return OutOfRange(c);
    return DeliverChars(c, layout, text, static_cast<size_t>(len), false);
}

sword IntervalToDescriptor(const Call &c) {
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    OCIInterval *iv = nullptr;
    if (Capacity(c) >= sizeof iv) std::memcpy(&iv, c.dest, sizeof iv);
    iv = HandleAs<OCIInterval>(iv, HANDLE_OCIInterval);
    if (iv == nullptr || iv->value == nullptr) return Fail(c, kErrDateTimeInternal);
    IntervalData data{};
    if (c.format == 1) {
        if (IntervalFromSendFormat(c.value, c.valueLength, &data) != 0) return Refuse(c);
    } else {
        const int rc = ReadIntervalText(c.value, c.valueLength, &data);
        if (rc != 0) return Fail(c, rc);
    }
    if (interval_justify_hours(&data) != 0) return Fail(c, kErrDateTimeInternal);
    SetIntervalBody(iv->value, data);
    *c.length = kDescriptorLength;
    return OCI_SUCCESS;
}

}  // namespace
}  // namespace resultconv

using resultconv::CharLayout;
using resultconv::Oracle;
using resultconv::Part;
using resultconv::Source;

// ---- date, timestamp, timestamptz as characters: the server's text as it is
OCI_RESULT_CONVERTER(ConvertDATEOIDToSQLT_CHR) { return resultconv::DateToChars(RESULT_CALL, CharLayout::CHR); }
OCI_RESULT_CONVERTER(ConvertDATEOIDToSQLT_AFC) { return resultconv::DateToChars(RESULT_CALL, CharLayout::AFC); }
OCI_RESULT_CONVERTER(ConvertDATEOIDToSQLT_AVC) { return resultconv::DateToChars(RESULT_CALL, CharLayout::AVC); }
OCI_RESULT_CONVERTER(ConvertDATEOIDToSQLT_STR) { return resultconv::DateToChars(RESULT_CALL, CharLayout::STR); }
OCI_RESULT_CONVERTER(ConvertDATEOIDToSQLT_LNG) { return resultconv::DateToChars(RESULT_CALL, CharLayout::LNG); }
OCI_RESULT_CONVERTER(ConvertDATEOIDToSQLT_VCS) { return resultconv::DateToChars(RESULT_CALL, CharLayout::VCS); }
OCI_RESULT_CONVERTER(ConvertDATEOIDToSQLT_LVC) { return resultconv::DateToChars(RESULT_CALL, CharLayout::LVC); }
OCI_RESULT_CONVERTER(ConvertDATEOIDToSQLT_VST) { return resultconv::DateToChars(RESULT_CALL, CharLayout::VST); }

// ---- date, timestamp, timestamptz as Oracle dates and descriptors
OCI_RESULT_CONVERTER(ConvertTIMESTAMPOIDToSQLT_DAT) {
    return resultconv::ToOracleDate(RESULT_CALL, Source::DateTime, Oracle::DAT, true);
}
OCI_RESULT_CONVERTER(ConvertTIMESTAMPOIDToSQLT_ODT) {
    return resultconv::ToOracleDate(RESULT_CALL, Source::DateTime, Oracle::ODT, true);
}
OCI_RESULT_CONVERTER(ConvertTIMESTAMPOIDToSQLT_DATE) {
    return resultconv::ToDescriptor(RESULT_CALL, Source::DateTime, Part::Date);
}
OCI_RESULT_CONVERTER(ConvertTIMESTAMPOIDToSQLT_TIMESTAMP) {
    return resultconv::ToDescriptor(RESULT_CALL, Source::DateTime, Part::DateTime);
}
OCI_RESULT_CONVERTER(ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ) { return resultconv::ToZonedFromPlain(RESULT_CALL); }
OCI_RESULT_CONVERTER(ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ) {
    return resultconv::ToDescriptor(RESULT_CALL, Source::DateTime, Part::Zoned);
}

// ---- text read as a date: SQLT_DAT keeps the date only, SQLT_ODT the time too
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_DAT) {
    return resultconv::ToOracleDate(RESULT_CALL, Source::Text, Oracle::DAT, false);
}
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_ODT) {
    return resultconv::ToOracleDate(RESULT_CALL, Source::Text, Oracle::ODT, true);
}
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_DATE) {
    return resultconv::ToDescriptor(RESULT_CALL, Source::Text, Part::Date);
}
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_TIMESTAMP) {
    return resultconv::ToDescriptor(RESULT_CALL, Source::Text, Part::DateTime);
}
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_TIMESTAMP_TZ) {
    return resultconv::ToDescriptor(RESULT_CALL, Source::Text, Part::Zoned);
}

// ---- interval into either interval descriptor
OCI_RESULT_CONVERTER(ConvertINTERVALOIDToSQLT_INTERVAL_DS) { return resultconv::IntervalToDescriptor(RESULT_CALL); }

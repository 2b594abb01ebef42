// Text conversions of OCIDate and OCIDateTime values under datetime format
// models (the engine is in datetime_model*.cpp). The language arguments are
// accepted and not used.
#include <cstring>
#include <string>
#include <string_view>

#include "types/datetime_api.h"
#include "types/datetime_model.h"

using namespace dtapi;

namespace {

constexpr const char kDefaultDateFormat[] = "DD-MON-YY";
// Writing and reading use the same default models, so that a value written
// without a format reads back without one.
constexpr const char kDefaultTimestampFormat[] = "DD-MON-YY HH.MI.SS.FF AM";
constexpr const char kDefaultTimestampZoneReadFormat[] = "DD-MON-YY HH.MI.SS.FF AM TZH:TZM";
constexpr const char kDefaultTimestampWriteFormat[] = "DD-MON-YY HH.MI.SS.FF3 AM";
constexpr const char kDefaultTimestampZoneWriteFormat[] = "DD-MON-YY HH.MI.SS.FF3 AM TZR";

// Text given with a length, read no further than a terminator within it.
std::string_view Given(const oratext *text, size_t length) {
    const char *chars = reinterpret_cast<const char *>(text);
    return chars == nullptr ? std::string_view() : std::string_view(chars, strnlen(chars, length));
}

std::string_view FormatOr(const oratext *fmt, size_t length, const char *fallback) {
    std::string_view format = Given(fmt, length);
    return format.empty() ? std::string_view(fallback) : format;
}

int ModelKind(int kind) {
    switch (kind) {
    case OCI_DTYPE_DATE: return kModelDateDescriptor;
    case OCI_DTYPE_TIMESTAMP: return kModelTimestamp;
    default: return kModelTimestampZone;
    }
}

}  // namespace

OCI_EXPORT sword OCIDateFromText(OCIError *err, const oratext *date_str, ub4 d_str_length, const oratext *fmt,
                                 ub1 fmt_length, const oratext *lang_name, ub4 lang_length, OCIDate *date) {
    return ErrorEntry("OCIDateFromText", err, [&]() -> sword {
        if (date_str == nullptr) return MissingArgument(err, 2);
        if (date == nullptr) return MissingArgument(err, 8);
        ModelValue value;
        if (do_to_timestamp(err, Given(date_str, d_str_length), FormatOr(fmt, fmt_length, kDefaultDateFormat),
                            kModelOCIDate, &value) != 0)
            return OCI_ERROR;
        if (value.tm.tm_mday > DaysInMonth(value.tm.tm_year, value.tm.tm_mon)) return Fail(err, kErrInvalidDate);
        OCIDate out;
        if (!TmToOCIDate(&value.tm, &out)) return Fail(err, kErrIllegalYear);
        *date = out;
        return OCI_SUCCESS;
    }, OCI_ARGS(err, date_str, d_str_length, fmt, fmt_length, lang_name, lang_length, date));
}

OCI_EXPORT sword OCIDateToText(OCIError *err, const OCIDate *date, const oratext *fmt, ub1 fmt_length,
                               const oratext *lang_name, ub4 lang_length, ub4 *buf_size, oratext *buf) {
    return ErrorEntry("OCIDateToText", err, [&]() -> sword {
        if (date == nullptr) return MissingArgument(err, 2);
        if (buf_size == nullptr) return MissingArgument(err, 7);
        if (buf == nullptr) return MissingArgument(err, 8);
        // An OCIDate is a wall-clock value: it is written as it is, in no zone.
        ModelValue value;
        if (!OCIDateToTm(date, &value.tm)) return Fail(err, kErrInvalidMonth);
        const auto rendered = datetime_to_char_body(err, value, FormatOr(fmt, fmt_length, kDefaultDateFormat),
                                                kModelOCIDate);
        if (!rendered) return OCI_ERROR;
        return CopyTextOut(err, *rendered, buf, buf_size);
    }, OCI_ARGS(err, date, fmt, fmt_length, lang_name, lang_length, buf_size, buf));
}

OCI_EXPORT sword OCIDateTimeFromText(void *hndl, OCIError *err, const OraText *date_str, size_t dstr_length,
                                     const OraText *fmt, ub1 fmt_length, const OraText *lang_name,
                                     size_t lang_length, OCIDateTime *datetime) {
    return HandleEntry("OCIDateTimeFromText", hndl, err, false, [&]() -> sword {
        if (date_str == nullptr) return MissingArgument(err, 3);
        DateTimeValue *body = DateTimeBody(err, datetime, 9);
        if (body == nullptr) return OCI_ERROR;
        const int kind = body->kind;
        const char *fallback = kind == OCI_DTYPE_DATE        ? kDefaultDateFormat
                               : kind == OCI_DTYPE_TIMESTAMP ? kDefaultTimestampFormat
                                                             : kDefaultTimestampZoneReadFormat;
        ModelValue value;
        if (do_to_timestamp(err, Given(date_str, dstr_length), FormatOr(fmt, fmt_length, fallback), ModelKind(kind),
                            &value) != 0)
            return OCI_ERROR;
        pg_tm &tm = value.tm;
        if (tm.tm_mon < 1 || tm.tm_mon > 12) return Fail(err, kErrInvalidMonth);
        if (tm.tm_mday < 1 || tm.tm_mday > DaysInMonth(tm.tm_year, tm.tm_mon)) return Fail(err, kErrInvalidDate);
        // A text without zone is in the local zone of its own date and time.
        int zone = static_cast<int>(tm.tm_gmtoff);
        const int *zonep = value.hasZone ? &zone : nullptr;
        if (kind == OCI_DTYPE_TIMESTAMP_LTZ && value.hasZone) {
            // Seen in the client's zone: the same instant, local wall clock.
            if (!ToLocalWallClock(&tm, &value.fsec, zone, &zone)) return Fail(err, kErrInvalidDate);
        }
        if (!StoreDateTime(body, tm, value.fsec, zonep)) return Fail(err, kErrIllegalYear);
        body->initialised = 1;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, date_str, dstr_length, fmt, fmt_length, lang_name, lang_length, datetime));
}

OCI_EXPORT sword OCIDateTimeToText(void *hndl, OCIError *err, const OCIDateTime *date, const OraText *fmt,
                                   ub1 fmt_length, ub1 fsprec, const OraText *lang_name, size_t lang_length,
                                   ub4 *buf_size, OraText *buf) {
    return HandleEntry("OCIDateTimeToText", hndl, err, false, [&]() -> sword {
        DateTimeValue *body = DateTimeBody(err, date, 3);
        if (body == nullptr) return OCI_ERROR;
        if (buf_size == nullptr) return MissingArgument(err, 9);
        if (buf == nullptr) return MissingArgument(err, 10);
        const int kind = body->kind;
        ModelValue value;
        pg_tm &tm = value.tm;
        BodyFields(body, &tm, &value.fsec);
        char zoneText[sizeof body->zoneText];
        std::memcpy(zoneText, body->zoneText, sizeof zoneText);
        zoneText[sizeof zoneText - 1] = '\0';
        int zone = body->zoneOffset;
        if (kind == OCI_DTYPE_TIMESTAMP_LTZ) {
            // Written in the client's zone.
            if (!ToLocalWallClock(&tm, &value.fsec, zone, &zone)) return Fail(err, kErrInvalidDate);
            DateTimeValue local{};
            SetDateTimeZone(&local, zone);
            std::memcpy(zoneText, local.zoneText, sizeof zoneText);
        }
        if (!FillDayNumbers(&tm)) return Fail(err, kErrInvalidMonth);
        if (KindHasZone(kind)) {
            tm.tm_gmtoff = zone;
            tm.tm_zone = zoneText;
        }
        const char *fallback = kind == OCI_DTYPE_DATE        ? kDefaultDateFormat
                               : kind == OCI_DTYPE_TIMESTAMP ? kDefaultTimestampWriteFormat
                                                             : kDefaultTimestampZoneWriteFormat;
        const auto rendered = datetime_to_char_body(err, value, FormatOr(fmt, fmt_length, fallback), ModelKind(kind));
        if (!rendered) return OCI_ERROR;
        return CopyTextOut(err, *rendered, buf, buf_size);
    }, OCI_ARGS(hndl, err, date, fmt, fmt_length, fsprec, lang_name, lang_length, buf_size, buf));
}

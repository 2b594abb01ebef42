// Shared by the OCIDate, OCIDateTime and OCIInterval entry points: the call
// guards, the argument and descriptor checks, the comparison of datetime
// values and the copy of a result text into the application's buffer.
#pragma once
#include <oci.h>

#include <cstddef>
#include <string>

#include "diag/entry.h"
#include "env/env.h"
#include "types/datetime_format.h"

namespace dtapi {

// Error numbers of these calls.
constexpr sb4 kErrNotConsistent = 932;       // kind mismatch, unusable interval
constexpr sb4 kErrInvalidDate = 1839;        // day beyond its month
constexpr sb4 kErrIllegalYear = 1841;        // result outside the OCIDate years
constexpr sb4 kErrInvalidMonth = 1843;       // month outside 1..12
constexpr sb4 kErrBadWeekday = 1846;         // unknown day name
constexpr sb4 kErrInvalidClass = 1866;       // unknown SQL type for an array
constexpr sb4 kErrNotComparable = 1870;      // datetime kinds differ
constexpr sb4 kErrFieldMissing = 1878;       // a field the kind does not have
constexpr sb4 kErrIntervalText = 1891;       // malformed interval text
constexpr sb4 kErrDivisionByZero = 1476;
constexpr sb4 kErrBufferTooSmall = 16530;    // "buffer or length invalid"
constexpr sb4 kErrUnusableDateTime = 16384;  // uninitialised datetime, undecodable zone
constexpr sb4 kErrOverflow = 22053;          // a result field does not fit
constexpr sb4 kErrNoData = 100;              // missing body in OCIDateTimeFromArray

// The kind of an OCIDate in DateTimeCompare (the SQL type code of a DATE).
constexpr int kKindOCIDate = SQLT_DATE;

inline bool KindHasZone(int kind) { return kind == OCI_DTYPE_TIMESTAMP_TZ || kind == OCI_DTYPE_TIMESTAMP_LTZ; }
inline bool IsDateTimeKind(int kind) {
    return kind == OCI_DTYPE_DATE || kind == OCI_DTYPE_TIMESTAMP || KindHasZone(kind);
}

// One error record, OCI_ERROR.
sword Fail(OCIError *err, sb4 code);
// Error 21560 naming argument `position` (the first argument is 1).
sword MissingArgument(OCIError *err, int position);

// Calls whose first argument is the error handle (OCIDate*).
template <class Work, class... Args>
sword ErrorEntry(const char *name, OCIError *err, Work &&work, const char *argNames, Args... args) {
    if (HandleAs<OCIError>(err, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({name, 0}, EnvOfHandle(err), err, std::forward<Work>(work), argNames, args...);
}

// Calls whose first argument is an environment or session handle and whose
// second is the error handle (OCIDateTime*, OCIInterval*). With `needEnv`
// the first must be an environment handle.
template <class Work, class... Args>
sword HandleEntry(const char *name, void *hndl, OCIError *err, bool needEnv, Work &&work, const char *argNames,
                  Args... args) {
    if (HandleAs<OCIError>(err, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    if (needEnv && HandleAs<OCIEnv>(hndl, HANDLE_OCIEnv) == nullptr) return OCI_INVALID_HANDLE;
    OCIEnv *env = hndl != nullptr ? EnvOfHandle(hndl) : EnvOfHandle(err);
    return RunEntry({name, 0}, env, err, [&]() -> sword {
        if (hndl == nullptr) return MissingArgument(err, 1);
        return work();
    }, argNames, args...);
}

// The body of a datetime descriptor argument at `position`, or null after
// adding the record: 21560 for a null pointer, `unusable` for a record that
// is not a datetime descriptor or whose body is missing or uninitialised.
DateTimeValue *DateTimeBody(OCIError *err, const OCIDateTime *dt, int position,
                            sb4 unusable = kErrUnusableDateTime);
// The same for interval descriptors (932 when unusable).
IntervalValue *IntervalBody(OCIError *err, const OCIInterval *iv, int position);

// Compares two OCIDates (kind kKindOCIDate) or two datetime bodies of the
// given kind as instants: -1, 0 or 1 in *result. -1 when a value is not a
// date the calendar knows.
int DateTimeCompare(const void *a, const void *b, int kind, sword *result);

// Sets the day of week and of year of a broken-down date; false when its
// month is outside 1..12.
bool FillDayNumbers(pg_tm *tm);
// The value of an OCIDate as broken-down time (astronomical year, day of
// week and of year filled in). false when the month is outside 1..12.
bool OCIDateToTm(const OCIDate *date, pg_tm *tm);
// Stores a broken-down time into an OCIDate; false when its year is outside
// the years an OCIDate holds (-4712 .. 9999).
bool TmToOCIDate(const pg_tm *tm, OCIDate *date);

// Wall-clock fields and fraction of a body (a DATE has neither time of day
// nor fraction: they read as zero).
void BodyFields(const DateTimeValue *body, pg_tm *tm, fsec_t *fsec);
// The instant of wall-clock fields in zone `offset` (seconds east), broken
// down again in the client's local zone at that instant, whose offset goes
// to *localOffset; false when out of range.
bool ToLocalWallClock(pg_tm *tm, fsec_t *fsec, int offset, int *localOffset);

// Writes a wall-clock value into a datetime body by the body's kind: the
// date; unless DATE the time of day and the fraction; for the zoned kinds the
// zone `zone` (seconds east), or when null the local zone at that wall-clock
// time. false when the year is outside the years an OCIDate holds.
bool StoreDateTime(DateTimeValue *body, const pg_tm &tm, fsec_t fsec, const int *zone);

// Copies `text` and its terminator into `buf` of `*size` bytes and sets
// *size to the text's length. A text that does not fit whole is refused
// with kErrBufferTooSmall: nothing is written and *size is kept.
sword CopyTextOut(OCIError *err, const std::string &text, oratext *buf, ub4 *size);

// An OCINumber read as a double (its decimal text read without the locale);
// false for a malformed number.
bool NumberToDouble(const OCINumber *number, double *out);
// A double stored into an OCINumber through its 15-significant-digit text;
// false for a value the number form cannot hold.
bool DoubleToNumber(double value, OCINumber *number);

// Local wall-clock time of the present instant: fields, microseconds and
// the zone offset in force.
void LocalNow(pg_tm *tm, fsec_t *fsec, int *offset);

}  // namespace dtapi

// Calendar, clock and zone rules; Oracle's 7-byte DATE, OCIDate and the
// datetime/interval descriptor bodies; the server's timestamp value; the
// texts exchanged with the server and the parsers that read them.
//
// Year numbering: the broken-down time (pg_tm) counts years astronomically
// (0 is 1 BC, -1 is 2 BC), as the calendar arithmetic needs. Oracle's DATE
// bytes and OCIDate count as Oracle does (-1 is 1 BC, there is no year 0);
// the Encode/Decode functions below translate between the two.
//
// Zone offsets are seconds east of UTC everywhere (+05:30 is 19800).
//
// Parsers take an explicit length and never read past it. They return 0 on
// success or the Oracle error number that describes the failure (the DTERR_
// constants); they add no error record - the caller does, with
// AddErrorRecord(errhp, OCI_ERROR, code).
#pragma once
#include <oci.h>

#include <cstddef>
#include <cstdint>

#include "types/datetime_handles.h"

// ---- values -------------------------------------------------------------------

// The server's timestamp value: microseconds since 2000-01-01 00:00:00 (for a
// zoned value, since that instant in UTC). This is what the server sends in
// binary format for timestamp and timestamptz (a big-endian 64-bit integer).
typedef int64_t Timestamp;
// Fraction of a second in microseconds, 0 .. 999999.
typedef int32_t fsec_t;

constexpr Timestamp DT_NOBEGIN = INT64_MIN;  // -infinity
constexpr Timestamp DT_NOEND = INT64_MAX;    // infinity
constexpr int32_t DATEVAL_NOBEGIN = INT32_MIN;
constexpr int32_t DATEVAL_NOEND = INT32_MAX;
constexpr int POSTGRES_EPOCH_JDATE = 2451545;  // Julian day of 2000-01-01
constexpr int UNIX_EPOCH_JDATE = 2440588;      // Julian day of 1970-01-01
constexpr int64_t USECS_PER_SEC = 1000000;
constexpr int64_t USECS_PER_MINUTE = 60 * USECS_PER_SEC;
constexpr int64_t USECS_PER_HOUR = 3600 * USECS_PER_SEC;
constexpr int64_t USECS_PER_DAY = 86400 * USECS_PER_SEC;
// Valid timestamps: from 4714-11-24 00:00:00 BC (Julian day 0) up to, not
// including, 294277-01-01 00:00:00. Dates (no time) run to 5874897-12-31.
constexpr Timestamp MIN_TIMESTAMP = -211813488000000000LL;
constexpr Timestamp END_TIMESTAMP = 9223371331200000000LL;
constexpr int DATETIME_MAX_YEAR = 5874897;
constexpr int TIMESTAMP_MAX_YEAR = 294276;

// Broken-down time.
struct pg_tm {
    int tm_sec;
    int tm_min;
    int tm_hour;
    int tm_mday;
    int tm_mon;   // 1..12
    int tm_year;  // astronomical
    int tm_wday;  // 0 = Sunday
    int tm_yday;  // 1..366
    int tm_isdst;
    long tm_gmtoff;       // seconds east of UTC
    const char *tm_zone;  // zone name or text, when known
};

// A server interval: months, days and microseconds, each with its own sign.
struct IntervalData {
    int32_t months;
    int32_t days;
    int64_t usecs;
};

// An interval broken into units, every part carrying the sign of the field
// it came from (months -> years and months, usecs -> hours .. fraction).
struct IntervalFields {
    int years;
    int months;
    int days;
    int64_t hours;
    int minutes;
    int seconds;
    fsec_t fsec;
};

// Oracle error numbers the parsers report.
constexpr int DTERR_FORMAT = 1830;    // illegal date format picture
constexpr int DTERR_DATE = 1839;      // invalid date
constexpr int DTERR_HOUR = 1849;      // invalid hour
constexpr int DTERR_MINUTE = 1851;    // invalid minutes
constexpr int DTERR_SECOND = 1852;    // invalid seconds
constexpr int DTERR_NUMERIC = 1858;   // character must be numeric
constexpr int DTERR_INTERNAL = 1891;  // internal datetime or interval error (all interval failures)

// ---- calendar -------------------------------------------------------------------

// Month lengths of a common year (row 0) and a leap year (row 1); index 1..12.
extern const int day_tab[2][13];
bool IsLeapYear(int year);  // astronomical year
int DaysInMonth(int year, int month);
// Julian day numbers, proleptic Gregorian calendar, astronomical years in
// -4713 .. 5874897 (the date range the server knows).
int date2j(int year, int month, int day);
void j2date(int jd, int *year, int *month, int *day);
int j2day(int jd);  // day of week, 0 = Sunday

int OracleYearToAstronomical(int year);
int AstronomicalYearToOracle(int year);

// Stores the date and time after normalising it through the calendar: seconds
// and minutes beyond (or below) their range carry into (borrow from) the next
// unit, hours into the day, months into the year, and a day beyond (or below)
// its month moves into the following (previous) months. Also sets the day of
// week and of year. -1 when the year leaves the server's date range.
int ConstructTmFromData(pg_tm *tm, int year, int month, int day, int hour, int minute, int second);

// OCIDateCheck bits of an OCIDate (0 when valid).
ub4 VerifyDate(const OCIDate *date);

// ---- the server timestamp ------------------------------------------------------------

// Broken-down time plus fraction, less the zone offset when one is given
// (null: no zone) -> timestamp. -1 when the result is outside the valid range.
int tm2timestamp(const pg_tm *tm, fsec_t fsec, const int *zoneOffset, Timestamp *out);
// Timestamp -> broken-down time in the given zone (null: UTC, no zone). The
// zone offset goes to tm_gmtoff. -1 for infinity or a value outside the range.
int timestamp2tm(Timestamp ts, const int *zoneOffset, pg_tm *tm, fsec_t *fsec);
bool TimestampIsSpecial(Timestamp ts);
bool IsValidTimestamp(Timestamp ts);
// "infinity" / "-infinity" for the two special values; -1 for other values or
// when `cap` is too small. Returns the text length otherwise.
int EncodeSpecialTimestamp(Timestamp ts, char *out, size_t cap);

// Binary (send) formats as the server transmits them.
int TimestampFromSendFormat(const void *bytes, size_t len, Timestamp *out);  // 8 bytes
void TimestampToSendFormat(Timestamp ts, unsigned char out[8]);
int DateFromSendFormat(const void *bytes, size_t len, int32_t *daysSince2000);  // 4 bytes
int IntervalFromSendFormat(const void *bytes, size_t len, IntervalData *out);   // 16 bytes
void IntervalToSendFormat(const IntervalData &iv, unsigned char out[16]);

// ---- zones ---------------------------------------------------------------------------

// Offset of the process's local zone (operating-system rules) for a local
// wall-clock time / at an instant.
int DetermineLocalTimeZone(const pg_tm *tm);
int LocalZoneOffsetAt(Timestamp ts);
// The local zone's current offset; hours = offset / 3600 (truncated, sign of
// the offset), minutes = |offset| / 60 % 60. Returns the offset.
int GetCurrTimeZone(int *hours, int *minutes);
// Reads "[+|-]h[h][:m[m]]" (also "UTC", "GMT", "Z"), surrounded by optional
// blanks, into offset (seconds east), signed hours, minutes and seconds (0).
// 0 on success, -5 when hours leave -12..14 or minutes exceed 59, -1 for a
// malformed text. A null or empty text yields the current local zone. Any
// out pointer may be null.
int DecodeTZ(const char *str, size_t len, int *offset, int *hours, int *minutes, int *seconds);

// ---- Oracle forms ---------------------------------------------------------------------

// 7-byte DATE. Without time the time bytes are 1, 1, 1 (midnight). -1 when
// the year has no DATE bytes (outside -9999 .. 9999 in Oracle numbering).
int EncodeOracleDATE(ub1 *out, const pg_tm *tm, bool withTime);
void DecodeOracleDATE(const ub1 *in, pg_tm *tm, bool withTime);
// OCIDate (all 8 bytes written; time 00:00:00 when withTime is false).
int EncodeOracleOCIDate(OCIDate *out, const pg_tm *tm, bool withTime);
void DecodeOracleOCIDate(const OCIDate *in, pg_tm *tm, bool withTime);

// Datetime descriptor body: date and time into the OCIDate, the fraction, and
// with `withZone` the zone of tm->tm_gmtoff (offset, hours, minutes, seconds
// and text). -1 when the year does not fit an OCIDate.
int EncodeOracleOCIDateTime(DateTimeValue *body, const pg_tm *tm, bool withZone, fsec_t fsec);
// Reads date, time and fraction back; with `withZone` the stored zone goes to
// tm_gmtoff/tm_zone (kind 70: the client's current zone instead).
void DecodeOracleOCIDateTime(const DateTimeValue *body, pg_tm *tm, fsec_t *fsec, bool withZone);
fsec_t GetDateTimeFraction(const DateTimeValue *body);
void SetDateTimeFraction(DateTimeValue *body, fsec_t fsec);
// Sets every zone field of the body from one offset; the text is "+hh:mm".
void SetDateTimeZone(DateTimeValue *body, int offset);

// Descriptor <-> server timestamp. DATE (65) and TIMESTAMP (68) bodies are
// zone-less wall-clock values and map without any offset; zoned kinds (69,
// 70) use the stored zone offset, so FromTimestamp gives back the fields that
// ToTimestamp read. FromTimestamp writes the date; for kinds other than 65 the
// time and the fraction; for 69 and 70 it refreshes the zone fields.
int ConvertOCIDateTimeToTimestamp(const DateTimeValue *body, Timestamp *out);
int ConvertOCIDateTimeFromTimestamp(DateTimeValue *body, Timestamp ts);
int ConvertOCIDateTimeToTimestamp(const OCIDateTime *dt, Timestamp *out);
int ConvertOCIDateTimeFromTimestamp(OCIDateTime *dt, Timestamp ts);

// Interval descriptor body <-> interval value (the body's seconds are read
// rounded to microseconds).
void GetIntervalBody(const IntervalValue *body, IntervalData *out);
void SetIntervalBody(IntervalValue *body, const IntervalData &iv);
// Moves whole days out of the time part, keeping the signs of days and time
// consistent. -1 when the days overflow.
int interval_justify_hours(IntervalData *iv);
void IntervalToFields(const IntervalData &iv, IntervalFields *out);

// ---- text out -----------------------------------------------------------------------

// Longest text the encoders produce, terminator included.
constexpr size_t kMaxDateTimeText = 64;
constexpr size_t kMaxIntervalText = 160;

// ISO style "YYYY-MM-DD HH:MI:SS[.ffffff][+hh[:mm[:ss]]][ BC]": the fraction
// without trailing zeros, the zone only when `zoneOffset` is given. Returns
// the text length, or -1 when `cap` is too small.
int EncodeDateTime(const pg_tm *tm, fsec_t fsec, const int *zoneOffset, char *out, size_t cap);
// "YYYY-MM-DD[ BC]".
int EncodeDateOnly(const pg_tm *tm, char *out, size_t cap);
// Verbose style "@ 1 year 2 mons 3 days 4 hours 5 mins 6.5 secs[ ago]";
// "@ 0" for the empty interval. Returns the text length or -1.
int EncodeInterval(const IntervalData &iv, char *out, size_t cap);

// ---- text in ----------------------------------------------------------------------------

constexpr int MAXDATEFIELDS = 25;

enum DateFieldType {
    DTF_NUMBER,  // digits, optionally with "." and a fraction
    DTF_DATE,    // parts joined by "-", "/" or "." (digits or a month name)
    DTF_TIME,    // digits joined by ":", optional fraction
    DTF_STRING,  // a word (letters), or "-infinity"
};

// One field of a date/time or interval text; `str` points into the input.
struct DateField {
    DateFieldType type;
    char sign;  // '+', '-' or 0 for a number, date or time written with a sign
    const char *str;
    size_t len;
};

struct DateFields {
    int count;
    DateField field[MAXDATEFIELDS];
};

// Splits a text into fields (blanks and punctuation other than + - . : /
// separate). 0 or DTERR_FORMAT (a byte that is neither, too many fields).
int ParseDateTime(const char *str, size_t len, DateFields *fields);

enum DateTimeSpecial { DTS_NORMAL, DTS_POS_INFINITY, DTS_NEG_INFINITY };

struct ParsedDateTime {
    DateTimeSpecial special;
    pg_tm tm;  // tm_gmtoff = zoneOffset when hasZone
    fsec_t fsec;
    bool hasDate;
    bool hasTime;
    bool hasZone;
    int zoneOffset;     // seconds east of UTC
    char zoneName[16];  // as written for a named zone, else "+hh:mm[:ss]"
};

// Interprets the fields: ISO dates (years of any width), "Mon DD YYYY",
// "DD-Mon-YYYY", MM/DD/YYYY, YYYYMMDD; times with fraction (rounded to
// microseconds), AM/PM; numeric zones (+hh, +hhmm, +hh:mm, +hh:mm:ss), a set
// of zone abbreviations and "Z"; BC/AD; weekday names; "infinity",
// "-infinity", "epoch", "now", "today", "tomorrow", "yesterday".
int DecodeDateTime(const DateFields &fields, ParsedDateTime *out);
// ParseDateTime + DecodeDateTime; a text without a date is DTERR_FORMAT.
int ReadDateTimeText(const char *str, size_t len, ParsedDateTime *out);

// Interval texts: the server's "postgres" style ("1 year 2 mons 3 days
// 04:05:06.789", "-1 days +02:00:00"), the verbose style ("@ 1 day -2 hours
// ago"), the SQL-standard style ("1-2 3 4:05:06") and unit words with
// fractions ("1.5 weeks"). Every failure is DTERR_INTERNAL.
int DecodeInterval(const DateFields &fields, IntervalData *out);
// ISO 8601 durations with upper-case designators, as the server reads them:
// "P1Y2M3DT4H5M6.5S" (signed and fractional parts, "W") and the alternative
// form "P0001-02-03T04:05:06".
int DecodeISO8601Interval(const char *str, size_t len, IntervalData *out);
// DecodeInterval of the text's fields, else DecodeISO8601Interval.
int ReadIntervalText(const char *str, size_t len, IntervalData *out);

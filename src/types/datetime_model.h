// Oracle-style datetime format models ("DD-MON-YY HH24:MI:SS", "DL", ...),
// read and written against the broken-down time of types/datetime_format.h.
//
// A format is compiled into a node list and walked once per call. Every flag
// that lives between nodes (exact match "FX", fill mode "FM") belongs to the
// call: two threads formatting at once do not see each other's flags.
//
// Both directions add exactly one error record on failure (the Oracle number
// that describes it) and leave the outputs unspecified.
#pragma once
#include <oci.h>

#include <optional>
#include <string>
#include <string_view>

#include "types/datetime_format.h"

// What the format is applied to; decides which keywords are allowed.
enum DateTimeModelKind : int {
    kModelDateDescriptor = 1,  // DATE descriptor (no time of day)
    kModelOCIDate = 2,         // OCIDate
    kModelTimestamp = 3,       // TIMESTAMP descriptor
    kModelTimestampZone = 4,   // TIMESTAMP WITH (LOCAL) TIME ZONE descriptor
};

// The value a format writes or reads. tm_year is astronomical (see
// datetime_format.h); the zone is tm->tm_gmtoff (seconds east of UTC) and,
// when known, tm->tm_zone.
struct ModelValue {
    pg_tm tm{};
    fsec_t fsec = 0;      // microseconds
    bool hasZone = false;  // reading: the text gave a zone (TZD, TZH, TZM or TZR)
};

// Writes the value under the format. Returns the text, or nothing after
// adding an error record to errhp. The value's fields must be in range (year
// -4712 .. 9999 astronomical, month, day 1 .. 31, time of day); TZD and TZR
// write tm->tm_zone when it is set, else the offset as "+hh:mm".
std::optional<std::string> datetime_to_char_body(OCIError *errhp, const ModelValue &value,
                                                 std::string_view format, int kind);

// Reads text under the format into `out`. 0 on success, -1 after adding an
// error record to errhp.
//
// Fields the text does not give keep their defaults: the current year and
// month (local clock), day 1, 00:00:00, fraction 0, no zone. Outside exact
// mode ("FX") blanks are skipped and the text may end before the format does.
// A day of month up to 31 is accepted whatever the month (the caller reports
// a day beyond its month). With a zone field (TZH, TZM, TZD, TZR) that the
// text reached, out->hasZone is set and out->tm.tm_gmtoff holds the offset.
int do_to_timestamp(OCIError *errhp, std::string_view text, std::string_view format, int kind,
                    ModelValue *out);

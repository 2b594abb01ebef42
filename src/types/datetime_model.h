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
    bool hasZone = false;  // reading: the format ended with TZD, TZH or TZM
};

// Writes the value under the format. Returns the text, or nothing after
// adding an error record to errhp.
std::optional<std::string> datetime_to_char_body(OCIError *errhp, const ModelValue &value,
                                                 std::string_view format, int kind);

// Reads text under the format into `out`. 0 on success, -1 after adding an
// error record to errhp.
int do_to_timestamp(OCIError *errhp, std::string_view text, std::string_view format, int kind,
                    ModelValue *out);

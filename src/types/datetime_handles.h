// Records of datetime and interval descriptors and the bodies they carry.
// Each record remembers the published descriptor type it was allocated as;
// the body holds the value. Use the helpers of types/datetime_format.h to
// read and write the fraction and the zone so that the fields stay in step.
#pragma once
#include "env/handles.h"

// Body of an OCIDateTime.
struct DateTimeValue {
    ub1 fraction[4];    // fraction of a second in microseconds, big-endian
    char zoneText[12];  // "+hh:mm" / "-hh:mm", nul-terminated
    sb4 zoneOffset;     // seconds east of UTC; the authoritative zone field
    sb1 zoneHours;      // zoneOffset / 3600, truncated toward zero
    ub1 zoneMinutes;    // |zoneOffset| / 60 % 60
    ub1 zoneSeconds;    // |zoneOffset| % 60
    ub1 kind;           // low byte of the descriptor type: 65, 68, 69 or 70
    OCIDate date;       // date and time of day, Oracle year numbering (no year 0)
    ub1 initialised;    // 1 after allocation
};

// Body of an OCIInterval.
struct IntervalValue {
    double seconds;  // time part in seconds (microsecond resolution)
    sb4 days;
    sb4 months;
    ub1 kind;         // 62 year-to-month or 63 day-to-second
    ub1 initialised;  // 1 after allocation
};

struct OCIDateTime : OCIHandle {
    ub4 descriptorType;  // OCI_DTYPE_DATE, _TIMESTAMP, _TIMESTAMP_TZ or _TIMESTAMP_LTZ
    DateTimeValue *value;
};

struct OCIInterval : OCIHandle {
    ub4 descriptorType;  // OCI_DTYPE_INTERVAL_YM or _DS
    IntervalValue *value;
};

// Allocate record and zeroed body (kind and initialised flag set); null when
// either allocation fails. Free ignores null and records of another kind.
OCIDateTime *Alloc_OCIDateTime(ub4 type);
void Free_OCIDateTime(OCIDateTime *dt);
OCIInterval *Alloc_OCIInterval(ub4 type);
void Free_OCIInterval(OCIInterval *iv);

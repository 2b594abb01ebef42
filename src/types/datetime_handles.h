// Records of datetime and interval descriptors. Each remembers the published
// descriptor type it was allocated as.
#pragma once
#include "env/handles.h"

struct DateTimeValue;
struct IntervalValue;

struct OCIDateTime : OCIHandle {
    ub4 descriptorType;  // OCI_DTYPE_DATE, _TIMESTAMP, _TIMESTAMP_TZ or _TIMESTAMP_LTZ
    DateTimeValue *value;
};

struct OCIInterval : OCIHandle {
    ub4 descriptorType;  // OCI_DTYPE_INTERVAL_YM or _DS
    IntervalValue *value;
};

OCIDateTime *Alloc_OCIDateTime(ub4 type);
void Free_OCIDateTime(OCIDateTime *dt);
OCIInterval *Alloc_OCIInterval(ub4 type);
void Free_OCIInterval(OCIInterval *iv);

// Records of parameter descriptors and describe handles.
#pragma once
#include "env/handles.h"

struct OCIParam : OCIHandle {
    void *paramRecord;  // owned description of one column, table or argument
    void (*freeRecord)(void *);
};

struct OCIDescribe : OCIHandle {
    OCIParam *result;  // owned describe result
};

OCIParam *Alloc_OCIParam();
void Free_OCIParam(OCIParam *param);
OCIDescribe *Alloc_OCIDescribe();
void Free_OCIDescribe(OCIDescribe *dsc);

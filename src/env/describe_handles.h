// Records of parameter descriptors and describe handles.
#pragma once
#include "env/handles.h"

struct OCIParam : OCIHandle {
    void *paramRecord;  // owned description of one column, table or argument
    void (*freeRecord)(void *);
    void *(*copyRecord)(const void *);  // null when the record cannot be copied
};

struct OCIDescribe : OCIHandle {
    OCIParam *result;  // owned describe result
};

OCIParam *Alloc_OCIParam();
void Free_OCIParam(OCIParam *param);
OCIDescribe *Alloc_OCIDescribe();
void Free_OCIDescribe(OCIDescribe *dsc);

// A new parameter descriptor under `env` holding a copy of `source`'s record
// (none when `source` is null); null when memory runs out.
OCIParam *CopyParamDescriptor(OCIEnv *env, const OCIParam *source);

// Describe handles; each owns the parameter tree of its last describe.
#include "env/describe_handles.h"

OCIDescribe *Alloc_OCIDescribe() { return NewHandle<OCIDescribe>(HANDLE_OCIDescribe); }

void Free_OCIDescribe(OCIDescribe *dsc) {
    if (dsc == nullptr || dsc->handleType != HANDLE_OCIDescribe) return;
    Free_OCIParam(dsc->result);
    DeleteHandle(dsc);
}

// Parameter descriptors (columns, tables, arguments of a describe).
#include "env/describe_handles.h"

OCIParam *Alloc_OCIParam() { return NewHandle<OCIParam>(HANDLE_OCIParam); }

void Free_OCIParam(OCIParam *param) {
    if (param == nullptr || param->handleType != HANDLE_OCIParam) return;
    if (param->paramRecord != nullptr && param->freeRecord != nullptr) param->freeRecord(param->paramRecord);
    DeleteHandle(param);
}

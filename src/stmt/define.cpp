// Define handles; they live on their statement's define list.
#include "stmt/stmt_handles.h"

OCIDefine *Alloc_OCIDefine() { return NewHandle<OCIDefine>(HANDLE_OCIDefine); }

void Free_OCIDefine(OCIDefine *define) {
    if (define == nullptr || define->handleType != HANDLE_OCIDefine) return;
    DeleteHandle(define);
}

// Define handles; they live on their statement's define list.
#include "stmt/stmt_handles.h"

#include "env/attributes.h"

OCIDefine *Alloc_OCIDefine() { return NewHandle<OCIDefine>(HANDLE_OCIDefine); }

void Free_OCIDefine(OCIDefine *define) {
    if (define == nullptr || define->handleType != HANDLE_OCIDefine) return;
    DeleteHandle(define);
}

// Define handles have no attributes.
sword Get_OCIDefine(void *, void *, ub4 *, ub4, OCIError *) { return OCI_ERROR; }
sword Set_OCIDefine(void *, void *, ub4, ub4, OCIError *) { return OCI_ERROR; }

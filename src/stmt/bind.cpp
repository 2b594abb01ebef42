// Bind handles; they live on their statement's bind list.
#include "stmt/stmt_handles.h"

#include "env/attributes.h"

OCIBind *Alloc_OCIBind() { return NewHandle<OCIBind>(HANDLE_OCIBind); }

void Free_OCIBind(OCIBind *bind) {
    if (bind == nullptr || bind->handleType != HANDLE_OCIBind) return;
    o2pFree(bind->ownedBuffer);
    DeleteHandle(bind);
}

// Bind handles have no attributes.
sword Get_OCIBind(void *, void *, ub4 *, ub4, OCIError *) { return OCI_ERROR; }
sword Set_OCIBind(void *, void *, ub4, ub4, OCIError *) { return OCI_ERROR; }

// Bind handles; they live on their statement's bind list.
#include "stmt/stmt_handles.h"

OCIBind *Alloc_OCIBind() { return NewHandle<OCIBind>(HANDLE_OCIBind); }

void Free_OCIBind(OCIBind *bind) {
    if (bind == nullptr || bind->handleType != HANDLE_OCIBind) return;
    o2pFree(bind->ownedBuffer);
    DeleteHandle(bind);
}

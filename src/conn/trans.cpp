// Transaction handles: the global transaction identifier and its options.
#include "conn/conn_handles.h"

OCITrans *Alloc_OCITrans() { return NewHandle<OCITrans>(HANDLE_OCITrans); }

void Free_OCITrans(OCITrans *trans) {
    if (trans == nullptr || trans->handleType != HANDLE_OCITrans) return;
    o2pFree(trans->xid);
    o2pFree(trans->name);
    DeleteHandle(trans);
}

// LOB locator descriptors.
#include "conn/conn_handles.h"

OCILobLocator *Alloc_OCILobLocator() {
    auto *lob = NewHandle<OCILobLocator>(HANDLE_OCILobLocator);
    if (lob != nullptr) lob->fd = -1;
    return lob;
}

void Free_OCILobLocator(OCILobLocator *lob) {
    if (lob == nullptr || lob->handleType != HANDLE_OCILobLocator) return;
    DeleteHandle(lob);
}

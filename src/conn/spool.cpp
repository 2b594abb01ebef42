// Session pool handles.
#include "conn/conn_handles.h"

OCISPool *Alloc_OCISPool() { return NewHandle<OCISPool>(HANDLE_OCISPool); }

void Free_OCISPool(OCISPool *pool) {
    if (pool == nullptr || pool->handleType != HANDLE_OCISPool) return;
    o2pFree(pool->poolName);
    DeleteHandle(pool);
}

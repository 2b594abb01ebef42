// Session pool handles.
#include "conn/conn_handles.h"
#include "conn/session_pool.h"
#include "env/attributes.h"

OCISPool *Alloc_OCISPool() { return NewHandle<OCISPool>(HANDLE_OCISPool); }

void Free_OCISPool(OCISPool *pool) {
    if (pool == nullptr || pool->handleType != HANDLE_OCISPool) return;
    FreeSPoolContents(pool);
    o2pFree(pool->poolName);
    DeleteHandle(pool);
}

sword Set_OCISPool(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp) {
    auto *pool = HandleAs<OCISPool>(h, HANDLE_OCISPool);
    if (pool == nullptr) return OCI_ERROR;
    switch (attrtype) {
    case OCI_ATTR_SPOOL_STMTCACHESIZE:
        if (attributep == nullptr) return OCI_ERROR;
        pool->stmtCacheSize = *static_cast<const ub4 *>(attributep);
        return OCI_SUCCESS;
    case OCI_ATTR_SPOOL_TIMEOUT:
    case OCI_ATTR_SPOOL_GETMODE:
        return OCI_SUCCESS;
    default:
        return OCI_ERROR;
    }
}

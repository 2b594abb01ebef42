// Service contexts: tie a server, a session and a transaction together. A
// service context never owns them; releasing it only drops the links.
#include <cstring>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/attributes.h"
#include "env/env.h"
#include "stmt/stmt_handles.h"

OCISvcCtx *Alloc_OCISvcCtx() { return NewHandle<OCISvcCtx>(HANDLE_OCISvcCtx); }

void Free_OCISvcCtx(OCISvcCtx *svchp) {
    if (svchp == nullptr || svchp->handleType != HANDLE_OCISvcCtx) return;
    OCIEnv *env = EnvOfHandle(svchp);
    if (env != nullptr) {
        foreach_cell(cell, env->children) {
            OCIStmt *stmt = HandleAs<OCIStmt>(cell->ptr, HANDLE_OCIStmt);
            if (stmt != nullptr && stmt->svchp == svchp) stmt->svchp = nullptr;
        }
    }
    foreach_cell(cell, svchp->stmts) {
        OCIStmt *stmt = HandleAs<OCIStmt>(cell->ptr, HANDLE_OCIStmt);
        if (stmt != nullptr) stmt->svchp = nullptr;
    }
    list_free(svchp->stmts);
    svchp->stmts = nullptr;
    if (svchp->server != nullptr) markCursorsClosed(env, svchp->server);
    FreeUserMemory(svchp);
    // Zero the record so that nothing reachable through a stale pointer
    // still names the server or session.
    std::memset(static_cast<void *>(svchp), 0, sizeof(OCISvcCtx));
    o2pDelete(svchp);
}

sword Get_OCISvcCtx(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *svchp = HandleAs<OCISvcCtx>(h, HANDLE_OCISvcCtx);
    if (svchp == nullptr || attributep == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_ERROR;
    if (sizep != nullptr) *sizep = 0;
    switch (attrtype) {
    case OCI_ATTR_ENV: {
        OCIEnv *env = HandleAs<OCIEnv>(svchp->parenth, HANDLE_OCIEnv);
        if (env == nullptr) return OCI_INVALID_HANDLE;
        *static_cast<OCIEnv **>(attributep) = env;
        return OCI_SUCCESS;
    }
    case OCI_ATTR_SERVER:
        if (svchp->server == nullptr) return OCI_INVALID_HANDLE;
        *static_cast<OCIServer **>(attributep) = svchp->server;
        return OCI_SUCCESS;
    case OCI_ATTR_SESSION:
        if (svchp->session == nullptr) return OCI_INVALID_HANDLE;
        *static_cast<OCISession **>(attributep) = svchp->session;
        return OCI_SUCCESS;
    // A getter that succeeds always writes its value: the caller reads it.
    case OCI_ATTR_TRANS:
        *static_cast<OCITrans **>(attributep) = svchp->trans;
        return OCI_SUCCESS;
    case OCI_ATTR_IN_V8_MODE:
        *static_cast<ub1 *>(attributep) = 1;
        return OCI_SUCCESS;
    case OCI_ATTR_STMTCACHESIZE:
        *static_cast<ub4 *>(attributep) = svchp->stmtCacheSize;
        return OCI_SUCCESS;
    default:
        return OCI_ERROR;
    }
}

sword Set_OCISvcCtx(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp) {
    auto *svchp = HandleAs<OCISvcCtx>(h, HANDLE_OCISvcCtx);
    if (svchp == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr) return OCI_ERROR;
    switch (attrtype) {
    case OCI_ATTR_SERVER:
        if (attributep != nullptr && HandleAs<OCIServer>(attributep, HANDLE_OCIServer) == nullptr) return OCI_ERROR;
        svchp->server = static_cast<OCIServer *>(attributep);
        ocitrace(TRACE_LINK, "Set_OCISvcCtx", "setting %p.server = %p\n", static_cast<void *>(svchp), attributep);
        return OCI_SUCCESS;
    case OCI_ATTR_SESSION:
        if (attributep != nullptr && HandleAs<OCISession>(attributep, HANDLE_OCISession) == nullptr)
            return OCI_ERROR;
        svchp->session = static_cast<OCISession *>(attributep);
        ocitrace(TRACE_LINK, "Set_OCISvcCtx", "setting %p.session = %p\n", static_cast<void *>(svchp), attributep);
        return OCI_SUCCESS;
    case OCI_ATTR_TRANS:
        // Only a transaction handle (or none) may be linked.
        if (attributep != nullptr && HandleAs<OCITrans>(attributep, HANDLE_OCITrans) == nullptr) return OCI_ERROR;
        svchp->trans = static_cast<OCITrans *>(attributep);
        return OCI_SUCCESS;
    case OCI_ATTR_STMTCACHESIZE:
        if (attributep == nullptr) return OCI_ERROR;
        svchp->stmtCacheSize = *static_cast<const ub4 *>(attributep);
        return OCI_SUCCESS;
    default:
        return OCI_ERROR;
    }
}

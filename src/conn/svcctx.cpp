// Service contexts: tie a server, a session and a transaction together. A
// service context never owns them; releasing it only drops the links.
#include <cstring>

#include "conn/conn_handles.h"
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

// Server handles: one server connection each.
#include <cstdlib>

#include "conn/conn_handles.h"
#include "diag/trace.h"
#include "env/env.h"
#include "stmt/stmt_handles.h"

OCIServer *Alloc_OCIServer() {
    auto *server = NewHandle<OCIServer>(HANDLE_OCIServer);
    if (server == nullptr) return nullptr;
    server->holdMode = std::getenv("OCI_WITH_HOLD") != nullptr ? 1 : 0;
    server->defaultParams = std::getenv("NODEFAULTPARAMS") != nullptr ? 0 : 1;
    return server;
}

void markCursorsClosed(OCIEnv *env, OCIServer *server) {
    if (env == nullptr || server == nullptr) return;
    foreach_cell(cell, env->children) {
        OCIStmt *stmt = HandleAs<OCIStmt>(cell->ptr, HANDLE_OCIStmt);
        if (stmt == nullptr) continue;
        if (stmt->cursorServer == server) {
            stmt->cursorState = 0;
            o2pFree(stmt->cursorName);
            o2pFree(stmt->portalName);
            stmt->cursorName = stmt->portalName = nullptr;
            stmt->cursorServer = nullptr;
        }
        if (stmt->svchp != nullptr && stmt->svchp->server == server) {
            o2pFree(stmt->preparedName);
            stmt->preparedName = nullptr;
            stmt->svchp->server = nullptr;
        }
    }
}

void Free_OCIServer(OCIServer *server) {
    if (server == nullptr || server->handleType != HANDLE_OCIServer) return;
    o2pFree(server->connectString);
    o2pFree(server->host);
    o2pFree(server->port);
    o2pFree(server->dbname);
    o2pFree(server->uri);
    markCursorsClosed(EnvOfHandle(server), server);
    if (server->conn != nullptr) {
        if (ocitracing(TRACE_WAIT_COUNTERS)) tracePavikCounters(server->conn);
        PQfinish(server->conn);
        server->conn = nullptr;
    }
    DeleteHandle(server);
}

// Server handles: one server connection each.
#include <cstdlib>

#include "conn/conn_handles.h"
#include "conn/session_control.h"
#include "diag/errors.h"
#include "env/attributes.h"
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
        OCICursor *cursor = stmt->cursor;
        if (cursor != nullptr && cursor->server == server) {
            cursor->state = CURSOR_CLOSED;
            o2pFree(cursor->portalName);
            cursor->portalName = nullptr;
            cursor->server = nullptr;
        }
        if (stmt->pgPreparedServer == server) {
            o2pFree(stmt->preparedName);
            stmt->preparedName = nullptr;
            stmt->pgPreparedServer = nullptr;
            stmt->serverPrepared = 0;
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
    OCIEnv *env = EnvOfHandle(server);
    markCursorsClosed(env, server);
    // Service contexts still naming the server would hand later calls a
    // freed record; they see no server instead.
    if (env != nullptr) {
        foreach_cell(cell, env->children) {
            OCISvcCtx *svchp = HandleAs<OCISvcCtx>(cell->ptr, HANDLE_OCISvcCtx);
            if (svchp != nullptr && svchp->server == server) svchp->server = nullptr;
        }
    }
    CloseServerConnection(server);
    DeleteHandle(server);
}

namespace {
constexpr ub4 kMaxHoldMode = 2;

sword InvalidValue(OCIError *errhp) {
    AddErrorRecord(errhp, OCI_ERROR, kErrAttributeValueInvalid);
    return OCI_ERROR;
}

// Switches statement-level transactions on the live session: a failed
// statement then undoes only its own work, with savepoints the statement
// code sends around each statement; the server needs no setting for it.
sword SetStatementLevelTx(OCIServer *server, bool on, OCIError *errhp) {
    if (server->conn == nullptr) {
        // No session to switch: reported the way a missing result is.
        AddPGErrorRecord(errhp, OCI_ERROR, nullptr);
        return OCI_ERROR;
    }
    server->stmtLevelTx = on;
    return OCI_SUCCESS;
}
}  // namespace

sword Get_OCIServer(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *server = HandleAs<OCIServer>(h, HANDLE_OCIServer);
    if (server == nullptr || attributep == nullptr) return OCI_INVALID_HANDLE;
    switch (attrtype) {
    case OCI_ATTR_NONBLOCKING_MODE: return PutAttr<ub1>(attributep, sizep, server->nonBlocking ? 1 : 0);
    case OCI_ATTR_ENV: return PutAttr<OCIEnv *>(attributep, sizep, EnvOfHandle(server));
    case OCI_ATTR_SERVER_STATUS:
        return PutAttr<ub4>(attributep, sizep,
                            server->conn != nullptr && PQstatus(server->conn) == CONNECTION_OK ? 1 : 0);
    case OCI_ATTR_PG_STMT_LEVEL_TX: return PutAttr<ub1>(attributep, sizep, server->stmtLevelTx ? 1 : 0);
    case OCI_ATTR_PG_HOLD_MODE: return PutAttr<ub4>(attributep, sizep, server->holdMode);
    case OCI_ATTR_PG_COMMIT_MODE: return PutAttr<ub4>(attributep, sizep, server->mode5003);
    default: return InvalidValue(errhp);
    }
}

sword Set_OCIServer(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp) {
    auto *server = HandleAs<OCIServer>(h, HANDLE_OCIServer);
    if (server == nullptr) return OCI_INVALID_HANDLE;
    switch (attrtype) {
    case OCI_ATTR_NONBLOCKING_MODE:
        server->nonBlocking = !server->nonBlocking;
        return OCI_SUCCESS;
    case OCI_ATTR_PARSE_ERROR_OFFSET:
        return OCI_SUCCESS;
    case OCI_ATTR_PG_STMT_LEVEL_TX:
        if (attributep == nullptr) return InvalidValue(errhp);
        return SetStatementLevelTx(server, *static_cast<const ub1 *>(attributep) != 0, errhp);
    case OCI_ATTR_PG_HOLD_MODE: {
        if (attributep == nullptr) return InvalidValue(errhp);
        const ub4 value = *static_cast<const ub4 *>(attributep);
        if (value > kMaxHoldMode) return InvalidValue(errhp);
        server->holdMode = value;
        return OCI_SUCCESS;
    }
    case OCI_ATTR_PG_COMMIT_MODE: {
        if (attributep == nullptr) return InvalidValue(errhp);
        const ub4 value = *static_cast<const ub4 *>(attributep);
        if (value != 0 && value != 5 && value != 6) return InvalidValue(errhp);
        server->mode5003 = value;
        return OCI_SUCCESS;
    }
    default:
        return InvalidValue(errhp);
    }
}

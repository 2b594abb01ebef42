// Dropping a statement's server objects: prepared statements (DEALLOCATE)
// and the SQL cursors queries read from (CLOSE).
//
// A failed command inside a transaction block aborts the whole block, so a
// name that may be stale is looked up first when a block is open: a cursor
// dies with the transaction that declared it, and dropping what is already
// gone must not cost the application its open transaction.
#include "stmt/server_objects.h"

#include <cstdio>
#include <cstring>

#include "conn/conn_handles.h"
#include "conn/transaction.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/memory.h"
#include "stmt/pqext/pqext.h"
#include "stmt/savepoints.h"

namespace {

enum class ObjectKind { PreparedStatement, Cursor };

// The trace lines of one kind of drop.
enum class DropTrace { Deallocate, ClosePortal, CloseRefCursor };

void TraceSending(DropTrace trace, const char *name) {
    switch (trace) {
    case DropTrace::Deallocate: ocitrace(TRACE_CURSORS, "deallocateStatement", "deallocating %s\n", name); break;
    case DropTrace::ClosePortal: ocitrace(TRACE_CURSORS, "closePortal", "closing %s\n", name); break;
    case DropTrace::CloseRefCursor: ocitrace(TRACE_CURSORS, "deallocateCursor", "deallocating %s\n", name); break;
    }
}

void TraceFailed(DropTrace trace, const char *name) {
    switch (trace) {
    case DropTrace::Deallocate: ocitrace(TRACE_CURSORS, "deallocateStatement", "deallocating %s FAILED\n", name); break;
    case DropTrace::ClosePortal: ocitrace(TRACE_CURSORS, "closePortal", "close of %s FAILED\n", name); break;
    case DropTrace::CloseRefCursor: ocitrace(TRACE_CURSORS, "deallocateCursor", "closing %s FAILED\n", name); break;
    }
}

// 1 when the server has the object, 0 when it has not, -1 when the
// question failed.
int ObjectExists(PGconn *conn, ObjectKind kind, const char *name) {
    const char *sql = kind == ObjectKind::Cursor
                          ? "SELECT 1 FROM pg_catalog.pg_cursors WHERE name = $1"
                          : "SELECT 1 FROM pg_catalog.pg_prepared_statements WHERE name = $1";
    PGresult *res = PQexecParams(conn, sql, 1, nullptr, &name, nullptr, nullptr, 0);
    const int answer = PQresultStatus(res) == PGRES_TUPLES_OK ? (PQntuples(res) > 0 ? 1 : 0) : -1;
    PQclear(res);
    return answer;
}

sword DropObject(OCIServer *server, OCIError *errhp, ObjectKind kind, const char *name, DropTrace trace) {
    if (name == nullptr) return OCI_SUCCESS;
    // Server objects do not outlive their connection.
    PGconn *conn = HandleAs<OCIServer>(server, HANDLE_OCIServer) != nullptr ? server->conn : nullptr;
    if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) return OCI_SUCCESS;
    PQextDrain(conn);  // read-ahead in flight is kept before anything is sent
    if (kind == ObjectKind::Cursor) PQextFetchStop(conn, name);
    const PGTransactionStatusType tx = PQtransactionStatus(conn);
    if ((tx == PQTRANS_IDLE || tx == PQTRANS_INTRANS) && ObjectExists(conn, kind, name) == 0) {
        ocitrace(TRACE_CURSORS, "DropObject", "%s is already gone\n", name);
        return OCI_SUCCESS;
    }
    char *quoted = PQescapeIdentifier(conn, name, std::strlen(name));
    if (quoted == nullptr) {
        AddErrorRecordMsg(errhp, OCI_ERROR, PQerrorMessage(conn));
        return OCI_ERROR;
    }
    const char *verb = kind == ObjectKind::Cursor ? "CLOSE " : "DEALLOCATE ";
    const size_t size = std::strlen(verb) + std::strlen(quoted) + 1;
    auto *sql = static_cast<char *>(o2pMalloc(size));
    if (sql == nullptr) {
        PQfreemem(quoted);
        AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
        return OCI_ERROR;
    }
    std::snprintf(sql, size, "%s%s", verb, quoted);
    PQfreemem(quoted);
    TraceSending(trace, name);
    PGresult *res = PQexec(conn, sql);
    if (simpleCommandFailed(res)) {
        TraceFailed(trace, name);
        AddPGErrorRecord(errhp, OCI_ERROR, res);
        PQclear(res);
        RollbackFailedStatement(server);
        // A prepared statement outlives the rolled-back block that refused
        // to drop it; with the block gone the drop goes through, so the
        // forgotten name does not stay behind on the server.
        if (kind == ObjectKind::PreparedStatement && tx == PQTRANS_INERROR &&
            PQtransactionStatus(conn) == PQTRANS_IDLE)
            PQclear(PQexec(conn, sql));
        o2pFree(sql);
        return OCI_ERROR;
    }
    o2pFree(sql);
    PQclear(res);
    return OCI_SUCCESS;
}

void Forget(char **name) {
    o2pFree(*name);
    *name = nullptr;
}

}  // namespace

bool simpleCommandFailed(const PGresult *result) {
    if (result == nullptr) return true;
    const ExecStatusType status = PQresultStatus(result);
    return status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
}

sword deallocateStatement(OCIServer *server, OCIError *errhp, const char *name) {
    return DropObject(server, errhp, ObjectKind::PreparedStatement, name, DropTrace::Deallocate);
}

sword closePortal(OCICursor *cursor, OCIError *errhp) {
    if (cursor == nullptr) return OCI_SUCCESS;
    if (cursor->portalName != nullptr) {
        const sword rc = DropObject(cursor->server, errhp, ObjectKind::Cursor, cursor->portalName, DropTrace::ClosePortal);
        if (rc != OCI_SUCCESS) return rc;
        Forget(&cursor->portalName);
    }
    cursor->state = CURSOR_CLOSED;
    return OCI_SUCCESS;
}

sword deallocateCursor(OCIServer *server, OCIStmt *stmt, OCIError *errhp, int deallocatePrepared) {
    if (HandleAs<OCIStmt>(stmt, HANDLE_OCIStmt) == nullptr) return OCI_INVALID_HANDLE;
    sword status = OCI_SUCCESS;
    auto note = [&status](sword rc) {
        if (status == OCI_SUCCESS) status = rc;
    };
    OCICursor *cursor = stmt->cursor;
    if (cursor != nullptr) {
        OCIServer *where = cursor->server != nullptr ? cursor->server : server;
        note(DropObject(where, errhp, ObjectKind::Cursor, cursor->portalName, DropTrace::ClosePortal));
        if (stmt->isRefCursor) {
            // A REF CURSOR child reads from a cursor the server opened; its
            // name is both the record's statement name and preparedName.
            note(DropObject(where, errhp, ObjectKind::Cursor, cursor->stmtName, DropTrace::CloseRefCursor));
            Forget(&stmt->preparedName);
            stmt->pgPreparedServer = nullptr;
        } else {
            note(deallocateStatement(where, errhp, cursor->stmtName));
        }
        Forget(&cursor->portalName);
        Forget(&cursor->stmtName);
        cursor->state = CURSOR_CLOSED;
    }
    if (deallocatePrepared && stmt->preparedName != nullptr) {
        note(deallocateStatement(stmt->pgPreparedServer, errhp, stmt->preparedName));
        Forget(&stmt->preparedName);
        stmt->pgPreparedServer = nullptr;
    }
    if (stmt->preparedName == nullptr) stmt->serverPrepared = 0;
    return status;
}

// Shared pieces of the executors.
#include "stmt/executors_support.h"

#include <new>

#include "conn/transaction.h"
#include "stmt/execute.h"
#include "stmt/savepoints.h"

namespace executors {

bool ParamArrays::Reserve(ub4 count) {
    try {
        values.assign(count, nullptr);
        lengths.assign(count, 0);
        formats.assign(count, 0);
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

void ParamArrays::Take(const List *paramBinds) {
    size_t k = 0;
    foreach_cell(cell, paramBinds) {
        if (k >= values.size()) break;
        const auto *b = HandleAs<OCIBind>(cell->ptr, HANDLE_OCIBind);
        values[k] = b != nullptr ? b->pgValue : nullptr;
        lengths[k] = b != nullptr && b->pgValue != nullptr ? b->pgLength : 0;
        formats[k] = b != nullptr && b->pgValue != nullptr ? b->pgFormat : 0;
        ++k;
    }
}

bool ParamBindsMatch(const OCIStmt *stmt) {
    return stmt->paramCount == 0 || list_length(stmt->paramBinds) == static_cast<int>(stmt->paramCount);
}

sword ServerFailure(OCIServer *server, OCIError *errhp, const PGresult *res, sb4 fallback) {
    PGconn *conn = server->conn;
    const char *sqlstate = res != nullptr ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
    if (sqlstate == nullptr) ReadPendingInput(conn);
    const bool lost = conn == nullptr || PQstatus(conn) != CONNECTION_OK;
    // Class 08 is libpq's account of a broken connection, not the server's.
    if (sqlstate != nullptr && sqlstate[0] != '\0' && !(sqlstate[0] == '0' && sqlstate[1] == '8')) {
        AddPGErrorRecord(errhp, OCI_ERROR, res);
        if (lost) AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
    } else {
        const char *message = res != nullptr ? PQresultErrorMessage(res) : "";
        if ((message == nullptr || message[0] == '\0') && conn != nullptr) message = PQerrorMessage(conn);
        AddErrorRecord2(errhp, OCI_ERROR, lost ? kErrConnectionTerminated : fallback,
                        message != nullptr ? message : "");
    }
    RollbackFailedStatement(server);
    return OCI_ERROR;
}

sword ClientFailure(OCIServer *server, OCIError *errhp, const char *text) {
    AddErrorRecordMsg(errhp, OCI_ERROR, text);
    RollbackFailedStatement(server);
    return OCI_ERROR;
}

sword CheckExecutorHandles(OCIServer *server, OCIStmt *stmt, OCIError *errhp) {
    if (HandleAs<OCIServer>(server, HANDLE_OCIServer) == nullptr || HandleAs<OCIStmt>(stmt, HANDLE_OCIStmt) == nullptr ||
        HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    if (server->conn == nullptr) {
        AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
        return OCI_ERROR;
    }
    return OCI_SUCCESS;
}

}  // namespace executors

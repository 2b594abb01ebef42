// Callable blocks: BEGIN proc(:a, :b); END; and BEGIN :r := f(:a); END;
// prepared by the client layer as a CALL (procedure) or a SELECT (function).
// Each iteration is one round trip; its answer carries the function's value
// at row 0, column 0, and the client layer's out result the OUT and IN OUT
// values, one column per parameter. Both go back into the binds, cursors
// (REF CURSOR values) into the statement handles bound for them.
//
// Every iteration runs, with or without parameters, and a function's value
// is delivered also when the routine takes no argument. The last
// iteration's results stay with the statement.
#include <cstring>

#include "diag/trace.h"
#include "stmt/bind_define.h"
#include "stmt/executors.h"
#include "stmt/executors_support.h"
#include "stmt/pqext/pqext.h"

using namespace executors;

namespace {

constexpr char kDeclareRefused[] = "DECLARE CURSOR statement is not supported";

// Reads the call's answer into stmt->result; anything after the first
// answer is read and dropped. (Reading it is what makes the client layer
// build the out result.)
void ReadCallAnswer(OCIStmt *stmt, PGconn *conn) {
    stmt->result = PQgetResult(conn);
    while (PGresult *extra = PQgetResult(conn)) PQclear(extra);
}

}  // namespace

sword ExecuteCallableStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    const sword checked = CheckExecutorHandles(server, stmt, errhp);
    if (checked != OCI_SUCCESS) return checked;
    if (!ParamBindsMatch(stmt)) return OCI_ERROR;
    if (stmt->preparedName == nullptr) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNotExecuted);
        return OCI_ERROR;
    }
    ParamArrays arrays;
    if (!arrays.Reserve(stmt->paramCount)) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
        return OCI_ERROR;
    }
    PGconn *conn = server->conn;
    NoticeScope notices(conn, errhp);
    // Without a bind for its result a function's value has nowhere to go; it
    // is still called.
    const sb4 deliverValue = stmt->isFunction && stmt->returnBind != nullptr ? 1 : 0;
    sword status = OCI_SUCCESS;
    for (ub4 i = rowoff; i < iters; ++i) {
        ClearOCIStmtResultset(server, stmt);
        const sword gathered = GetOCIBindData(stmt, errhp, i);
        if (!Succeeded(gathered)) return gathered;
        arrays.Take(stmt->paramBinds);
        ocitrace(TRACE_EXECUTE, "ExecuteCallableStmt", "stmt(%s) iteration(%u)\n", stmt->preparedName, i);
        const int sent = PQsendQueryPreparedOut(conn, stmt->preparedName, static_cast<int>(stmt->paramCount),
                                                arrays.Values(), arrays.Lengths(), arrays.Formats(), 0);
        release_binds_pgdata(stmt->binds);
        if (!sent) return ServerFailure(server, errhp, nullptr, kErrNotExecuted);
        ReadCallAnswer(stmt, conn);
        const ExecStatusType answer = PQresultStatus(stmt->result);
        if (answer != PGRES_COMMAND_OK && answer != PGRES_TUPLES_OK) {
            const sword failed = ServerFailure(server, errhp, stmt->result, kErrNotExecuted);
            ClearOCIStmtResultset(server, stmt);
            return failed;
        }
        if (std::strcmp(PQcmdStatus(stmt->result), "DECLARE CURSOR") == 0) {
            ClearOCIStmtResultset(server, stmt);
            return ClientFailure(server, errhp, kDeclareRefused);
        }
        stmt->outResult = PQgetOutResult(conn);
        if (stmt->paramCount == 0 && !deliverValue) continue;
        const sword filled = fill_bind_parameters(stmt, errhp, stmt->returnBind, stmt->paramBinds, stmt->result,
                                                  stmt->outResult, deliverValue, i);
        if (!Succeeded(filled)) {
            ClearOCIStmtResultset(server, stmt);
            return filled;
        }
        status = WorseStatus(status, filled);
    }
    stmt->executed = 1;
    return WithNotices(errhp, status);
}

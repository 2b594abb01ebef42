// A query on a non-blocking server. The execution has opened the query's
// cursor; the first call here sends its first FETCH (a description of the
// cursor when no rows are asked for) and returns OCI_STILL_EXECUTING; later
// calls return OCI_STILL_EXECUTING while the answer is on its way and then
// deliver the rows into the defines from the batch that came back, which
// the statement then holds as the fetch path holds its batches. Further rows
// come with OCIStmtFetch2.
//
// asyncSelect and asyncWaiting are set together by the call that sends and
// return to 0 together in the call that reports the outcome (rows, no data,
// a failure or a break), so the next execution of the statement starts
// afresh. A break (OCIBreak from another thread) abandons the query: the
// answer of the cancelled FETCH is read and dropped, a transaction the
// cancellation failed is rolled back and the cursor counts as closed.
#include <climits>

#include "conn/transaction.h"
#include "diag/trace.h"
#include "stmt/savepoints.h"
#include "stmt/bind_define.h"
#include "stmt/executors.h"
#include "stmt/executors_support.h"
#include "stmt/pqext/pqext.h"

using namespace executors;

namespace {

constexpr char kUnexpectedResult[] = "unexpected result set";
// The smallest first batch, as on the blocking path: a program that asks for
// one row at a time does not pay a round trip per row.
constexpr ub4 kFirstBatchRows = 64;

// Rows the first FETCH asks for: the rows wanted now (one more for an exact
// fetch, to see whether there are more), at least the prefetch count.
int FirstBatch(const OCIStmt *stmt, ub4 iters) {
    unsigned long long count = iters;
    if (stmt->execMode == OCI_EXACT_FETCH) count = count + 1;
    if (stmt->prefetchRows > count) count = stmt->prefetchRows;
    if (count < kFirstBatchRows) count = kFirstBatchRows;
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

void SetSelectIdle(OCIStmt *stmt) {
    stmt->asyncSelect = 0;
    stmt->asyncWaiting = 0;
}

sword SendFirstFetch(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    if (rowoff != 0) {
        AddErrorRecord(errhp, OCI_ERROR, kErrFetchOutOfSequence);
        return OCI_ERROR;
    }
    OCICursor *cursor = stmt->cursor;
    if (cursor == nullptr || cursor->portalName == nullptr || cursor->state == CURSOR_CLOSED) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNotExecuted);
        return OCI_ERROR;
    }
    PGconn *conn = server->conn;
    ClearOCIStmtResultset(server, stmt);
    // FETCH FORWARD 0 would return the current row again: no rows asked for
    // is a description of the cursor.
    const int count = FirstBatch(stmt, iters);
    // A break asked for before this query started was not meant for it.
    server->breakRequested = false;
    const int sent = iters == 0 ? PQsendDescribePortal(conn, cursor->portalName)
                                : PQsendFetchPrepared(conn, cursor->portalName, count);
    if (!sent) return ClientFailure(server, errhp, "PQsendFetchPrepared failed");
    ocitrace(TRACE_FETCH, "continueAsyncSelect", "stmtp(%p) sent fetch of %d from %s\n", static_cast<void *>(stmt),
             iters == 0 ? 0 : count, cursor->portalName);
    cursor->batchRows = static_cast<ub4>(count);
    stmt->asyncSelect = 1;
    stmt->asyncWaiting = 1;
    stmt->executed = 1;
    return OCI_STILL_EXECUTING;
}

// The query is given up after a break: its answer is read and dropped.
sword Abandon(OCIServer *server, OCIStmt *stmt) {
    PGconn *conn = server->conn;
    bool failed = false;
    PQclear(stmt->result);
    stmt->result = nullptr;
    while (PGresult *res = PQgetResult(conn)) {
        const ExecStatusType status = PQresultStatus(res);
        failed = failed || (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK);
        PQclear(res);
    }
    if (failed || PQtransactionStatus(conn) == PQTRANS_INERROR) {
        RollbackFailedStatement(server);
        if (stmt->cursor != nullptr) stmt->cursor->state = CURSOR_CLOSED;
    }
    SetSelectIdle(stmt);
    stmt->executed = 0;
    server->breakRequested = false;
    return OCI_SUCCESS;
}

sword Deliver(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters) {
    PGconn *conn = server->conn;
    SetSelectIdle(stmt);
    stmt->result = PQgetResult(conn);
    if (PGresult *extra = PQgetResult(conn)) {
        PQclear(extra);
        ClearOCIStmtResultset(server, stmt);
        stmt->executed = 0;
        return ClientFailure(server, errhp, kUnexpectedResult);
    }
    // The answer tells what was sent: a description (no rows asked for) or
    // a FETCH.
    const ExecStatusType answer = PQresultStatus(stmt->result);
    if (answer != PGRES_COMMAND_OK && answer != PGRES_TUPLES_OK) {
        const sword failed = ServerFailure(server, errhp, stmt->result, kErrNotExecuted);
        PQclear(stmt->result);
        stmt->result = nullptr;
        stmt->executed = 0;
        return failed;
    }
    release_binds_pgdata(stmt->binds);
    stmt->currentRow = 0;
    stmt->rowsFetched = 0;
    if (answer == PGRES_COMMAND_OK) return OCI_SUCCESS;
    // The batch is held as the fetch path holds its batches; the rows asked
    // for are delivered from it (and a short batch marks the end).
    const auto rows = static_cast<ub4>(PQntuples(stmt->result));
    OCICursor *cursor = stmt->cursor;
    stmt->prefetchCount = rows;
    cursor->serverRow += rows;
    cursor->endSeen = rows < cursor->batchRows ? 1 : 0;
    return CheckExactFetch(stmt, errhp, DeliverRows(stmt, errhp, iters));
}

}  // namespace

sword continueAsyncSelect(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    const sword checked = CheckExecutorHandles(server, stmt, errhp);
    if (checked != OCI_SUCCESS) {
        if (checked == OCI_ERROR) SetSelectIdle(stmt);
        return checked;
    }
    PGconn *conn = server->conn;
    NoticeScope notices(conn, errhp);
    if (!stmt->asyncSelect) return SendFirstFetch(server, stmt, errhp, iters, rowoff);
    if (server->breakRequested) return Abandon(server, stmt);
    // A connection that cannot be read gives its failure as the answer.
    if (PQconsumeInput(conn) && PQisBusy(conn)) return OCI_STILL_EXECUTING;
    return WithNotices(errhp, Deliver(server, stmt, errhp, iters));
}

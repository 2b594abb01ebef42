// The Oracle-compatible failure reporting of the entry-point guard: a failed
// call always leaves a record, and a lost server connection is reported with
// Oracle's numbers (3113 by the call that finds it, 3114 after), so that
// drivers recognise the session as dead and drop it.
#include <libpq-fe.h>

#include "conn/conn_handles.h"
#include "diag/entry.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/stmt_handles.h"

namespace entry_detail {

namespace {
bool Connected(const OCIServer *server) {
    return server->conn != nullptr && PQstatus(server->conn) == CONNECTION_OK;
}

// Whether `server` is still a live handle of the environment `report` lives
// in: the work may have released it (a pooled session dropped, a logoff).
bool StillAllocated(const OCIError *report, const OCIServer *server) {
    const OCIEnv *env = EnvOfHandle(report);
    if (env == nullptr) return false;
    foreach_cell(cell, env->children)
        if (cell->ptr == server) return true;
    return false;
}
}  // namespace

OCIServer *ServerOfServer(const void *srvhp) {
    return HandleAs<OCIServer>(srvhp, HANDLE_OCIServer);
}

OCIServer *ServerOfSvcCtx(const void *svchp) {
    const OCISvcCtx *svc = HandleAs<OCISvcCtx>(svchp, HANDLE_OCISvcCtx);
    return svc != nullptr ? ServerOfServer(svc->server) : nullptr;
}

OCIServer *ServerOfStmt(const void *stmtp) {
    const OCIStmt *stmt = HandleAs<OCIStmt>(stmtp, HANDLE_OCIStmt);
    return stmt != nullptr ? ServerOfSvcCtx(stmt->svchp) : nullptr;
}

FailureWatch WatchServer(OCIError *report, OCIServer *server) {
    FailureWatch watch;
    watch.active = report != nullptr && OracleCompatOf(report);
    if (!watch.active || server == nullptr) return watch;
    watch.server = server;
    watch.wasConnected = Connected(server);
    return watch;
}

void CompleteFailure(OCIError *report, const FailureWatch &watch, sb4 failureError) {
    if (HandleAs<OCIError>(report, HANDLE_OCIError) == nullptr) return;
    OCIServer *server = watch.server;
    if (server != nullptr && StillAllocated(report, server) && server->conn != nullptr &&
        PQstatus(server->conn) == CONNECTION_BAD) {
        ClearErrorHandle(report);
        AddErrorRecord(report, OCI_ERROR, watch.wasConnected ? kErrEndOfChannel : kErrNotConnected);
        return;
    }
    if (ErrorRecordCount(report) == 0)
        AddErrorRecord(report, OCI_ERROR, failureError != 0 ? failureError : kErrInternal);
}

}  // namespace entry_detail

sword RefuseArgument(OCIError *errhp, const char *position) {
    OCIError *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    if (err != nullptr && OracleCompatOf(err)) {
        ClearErrorHandle(err);
        AddErrorRecordStringX(err, OCI_ERROR, kErrBadArgument, 1, position);
    }
    return OCI_ERROR;
}

// Statement savepoints: the per-connection record of whether one is in
// place, and the commands that take, release and roll back to it.
#include "stmt/savepoints.h"

#include <cstring>
#include <new>

#include "conn/transaction.h"
#include "env/compat.h"
#include "stmt/pqext/pqext.h"

namespace {

constexpr const char *kSavepoint = "SAVEPOINT oci_statement";
constexpr const char *kRelease = "RELEASE SAVEPOINT oci_statement";
constexpr const char *kRollbackTo = "ROLLBACK TO SAVEPOINT oci_statement; RELEASE SAVEPOINT oci_statement";
// The two commands every statement sends, prepared once per connection so
// that the server parses them once.
constexpr const char *kSavepointName = "oci_savepoint";
constexpr const char *kReleaseName = "oci_savepoint_release";
constexpr const char *kNoSuchStatement = "26000";

struct SavepointState : PQextCompanion {
    bool armed = false;      // the savepoint is in place on the server
    bool requested = false;  // the executor sends it in its group
    bool prepared = false;   // kSavepointName and kReleaseName exist on the server
    bool tried = false;      // their preparation was tried (once per connection)

    // A reset connection is a new server session: nothing of ours is there.
    void Reset() override { armed = requested = prepared = tried = false; }
};

PQextCompanion *MakeState() { return new (std::nothrow) SavepointState; }

SavepointState *StateOf(PGconn *conn) {
    if (conn == nullptr) return nullptr;
    return static_cast<SavepointState *>(PQextCompanionOf(conn, PQEXT_COMPANION_SAVEPOINTS, MakeState));
}

SavepointState *ExistingStateOf(PGconn *conn) {
    if (conn == nullptr) return nullptr;
    return static_cast<SavepointState *>(PQextExistingCompanion(conn, PQEXT_COMPANION_SAVEPOINTS));
}

bool Ok(const PGresult *res) { return res != nullptr && PQresultStatus(res) == PGRES_COMMAND_OK; }

bool Run(PGconn *conn, const char *sql) {
    if (!PQextDrain(conn)) return false;
    PGresult *res = PQexec(conn, sql);
    const bool ok = Ok(res);
    PQclear(res);
    return ok;
}

// Whether the next command of a sent group answered as `expected`; its
// results are read up to the end of the command.
bool Answered(PGconn *conn, ExecStatusType expected) {
    bool ok = false, first = true;
    while (PGresult *res = PQgetResult(conn)) {
        if (first) ok = PQresultStatus(res) == expected;
        first = false;
        PQclear(res);
    }
    return ok;
}

// Prepares the two commands when the connection does not have them yet, in
// one round trip inside the open transaction block. The preparation runs
// under a savepoint of its own, so that a refusal cannot abort the block;
// after one the commands are sent as plain texts.
void PrepareCommands(PGconn *conn, SavepointState *state) {
    if (state == nullptr || state->tried || !PQextPipelineBegin(conn)) return;
    state->tried = true;
    bool sent = PQsendQueryParams(conn, "SAVEPOINT oci_prepare", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1 &&
                PQsendPrepare(conn, kSavepointName, kSavepoint, 0, nullptr) == 1 &&
                PQsendPrepare(conn, kReleaseName, kRelease, 0, nullptr) == 1 &&
                PQsendQueryParams(conn, "RELEASE SAVEPOINT oci_prepare", 0, nullptr, nullptr, nullptr, nullptr, 0) ==
                    1 &&
                PQextPipelineSend(conn) == 1;
    bool prepared = false;
    if (sent) {
        const bool saved = Answered(conn, PGRES_COMMAND_OK);
        const bool first = Answered(conn, PGRES_COMMAND_OK);
        const bool second = Answered(conn, PGRES_COMMAND_OK);
        sent = saved && Answered(conn, PGRES_COMMAND_OK);
        prepared = first && second;
    }
    PQextPipelineEnd(conn);
    if (!sent && PQtransactionStatus(conn) == PQTRANS_INERROR)
        Run(conn, "ROLLBACK TO SAVEPOINT oci_prepare; RELEASE SAVEPOINT oci_prepare");
    state->prepared = prepared && sent;
}

bool SendCommand(PGconn *conn, const char *name, const char *sql) {
    const SavepointState *state = ExistingStateOf(conn);
    if (state != nullptr && state->prepared)
        return PQsendQueryPrepared(conn, name, 0, nullptr, nullptr, nullptr, 0) == 1;
    return PQsendQueryParams(conn, sql, 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
}

// An answer saying the prepared commands are gone (the application
// deallocated them): they are prepared again for the next statement.
void NoteMissingCommands(SavepointState *state, const PGresult *answer) {
    if (state == nullptr || answer == nullptr) return;
    const char *sqlstate = PQresultErrorField(answer, PG_DIAG_SQLSTATE);
    if (sqlstate != nullptr && std::strcmp(sqlstate, kNoSuchStatement) == 0) state->prepared = state->tried = false;
}

}  // namespace

bool StatementAtomicity(const OCIServer *server) {
    return server != nullptr && (server->stmtLevelTx || OracleCompatOf(server));
}

bool SavepointNeeded(const OCIServer *server) {
    // A non-blocking server's calls return before the statement is over;
    // nothing is wrapped around them.
    if (!StatementAtomicity(server) || server->conn == nullptr || server->nonBlocking) return false;
    PGconn *conn = server->conn;
    if (!PQextDrain(conn) || PQtransactionStatus(conn) != PQTRANS_INTRANS) return false;
    SavepointState *state = StateOf(conn);
    if (state != nullptr && state->armed) return false;
    PrepareCommands(conn, state);
    return true;
}

bool SendSavepoint(PGconn *conn) { return SendCommand(conn, kSavepointName, kSavepoint); }

bool SendSavepointRelease(PGconn *conn) { return SendCommand(conn, kReleaseName, kRelease); }

void NoteSavepoint(PGconn *conn, const PGresult *answer) {
    SavepointState *state = StateOf(conn);
    if (state == nullptr) return;
    state->armed = Ok(answer);
    NoteMissingCommands(state, answer);
}

void NoteSavepointRelease(PGconn *conn, const PGresult *answer) {
    SavepointState *state = ExistingStateOf(conn);
    if (state == nullptr) return;
    if (Ok(answer)) state->armed = false;
    NoteMissingCommands(state, answer);
}

bool TakeSavepoint(OCIServer *server) {
    SavepointState *state = StateOf(server->conn);
    if (state == nullptr) return false;
    state->armed = Run(server->conn, kSavepoint);
    return state->armed;
}

bool SavepointArmed(PGconn *conn) {
    const SavepointState *state = ExistingStateOf(conn);
    return state != nullptr && state->armed;
}

void RequestSavepoint(PGconn *conn) {
    if (SavepointState *state = StateOf(conn)) state->requested = true;
}

bool TakeSavepointRequest(PGconn *conn) {
    SavepointState *state = ExistingStateOf(conn);
    if (state == nullptr || !state->requested) return false;
    state->requested = false;
    return true;
}

void SettleSavepoint(OCIServer *server) {
    PGconn *conn = server != nullptr ? server->conn : nullptr;
    SavepointState *state = ExistingStateOf(conn);
    if (state == nullptr) return;
    state->requested = false;
    if (!state->armed) return;
    state->armed = false;
    if (!PQextDrain(conn)) return;
    switch (PQtransactionStatus(conn)) {
    case PQTRANS_INTRANS: Run(conn, kRelease); break;
    case PQTRANS_INERROR: Run(conn, kRollbackTo); break;
    default: break;  // committed or rolled back with its transaction
    }
}

void RollbackFailedStatement(OCIServer *server) {
    if (!StatementAtomicity(server)) {
        ROLLBACK_TRANSACTION(server);
        return;
    }
    PGconn *conn = server->conn;
    if (conn == nullptr || !PQextDrain(conn)) return;
    SavepointState *state = ExistingStateOf(conn);
    const PGTransactionStatusType status = PQtransactionStatus(conn);
    if (state != nullptr && state->armed) {
        state->armed = false;
        state->requested = false;
        if (status == PQTRANS_INTRANS || status == PQTRANS_INERROR) Run(conn, kRollbackTo);
        return;
    }
    // No savepoint: the statement began the block, or the failure came
    // outside any statement. A failed block can only be rolled back; a
    // healthy one keeps the work done so far.
    if (status == PQTRANS_INERROR) Run(conn, "ROLLBACK");
}

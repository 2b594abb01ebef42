// OCIStmtExecute and the class dispatcher: the transaction rules around a
// statement, preparation of non-queries on the server, and the hand-over
// to the executors.
//
// Transactions: a query or DML statement runs inside a transaction block
// that is begun when none is open and left open for OCITransCommit; data
// definition (CREATE, DROP, ALTER, TRUNCATE, ...) is committed as soon as
// it ran; OCI_COMMIT_ON_SUCCESS commits after a successful execution;
// with OCI_DDL_COMMIT in the environment every non-query first commits the
// open block. A server failure rolls the block back (nothing is sent under
// statement-level transactions).
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "conn/session_control.h"
#include "conn/transaction.h"
#include "diag/entry.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/bind_define.h"
#include "stmt/execute.h"
#include "stmt/executors.h"
#include "stmt/placeholders.h"
#include "stmt/pqext/pqext.h"
#include "stmt/savepoints.h"
#include "stmt/server_objects.h"
#include "types/convert.h"

namespace {

constexpr sb4 kMinServerForArgModes = 80400;


// Data definition the server commits right after it ran.
bool CommitsAtOnce(ub2 type) {
    return type == OCI_STMT_DROP || type == OCI_STMT_CREATE || type == OCI_STMT_ALTER || type >= STMT_TRUNCATE;
}

// Texts sent as they are, without server preparation.
bool SimpleStatement(ub2 type) {
    return type == 0 || type == OCI_STMT_CALL || type == OCI_STMT_DROP || type == OCI_STMT_CREATE || type == OCI_STMT_ALTER ||
           type >= STMT_TRUNCATE;
}

bool DdlCommitRequested() {
    static std::atomic<int> decision{-1};
    int d = decision.load();
    if (d < 0) {
        d = std::getenv("OCI_DDL_COMMIT") != nullptr ? 1 : 0;
        decision.store(d);
    }
    return d == 1;
}

void Settle(PGconn *conn) {
    if (conn != nullptr) PQextDrain(conn);
}

// Whether the executor runs the statement as one execution it can send in
// a group with the savepoint around it.
bool GroupsSavepoint(const OCIServer *server, const OCIStmt *stmt, ub4 iters, ub4 rowoff) {
    const ub2 type = stmt->stmtType;
    return (type == OCI_STMT_INSERT || type == OCI_STMT_UPDATE || type == OCI_STMT_DELETE) &&
           !stmt->arrayOfStruct && (iters <= rowoff || iters - rowoff <= 1) && stmt->serverPrepared &&
           stmt->pgPreparedServer == server && stmt->preparedName != nullptr;
}

// Whatever savepoint the statement left in place is settled when the call
// ends (after a commit there is nothing left to release).
struct SavepointSettler {
    OCIServer *server;
    ~SavepointSettler() { SettleSavepoint(server); }
};

// Reads the argument modes of the routine a callable block calls
// (pg_proc.proargmodes, the name bound as a parameter) into `dirs`.
void LookupArgumentModes(PGconn *conn, OCIStmt *stmt, ub4 *dirs, ub4 count) {
    char *name = ConstructQuery(stmt->procName);
    if (name == nullptr) return;
    const char *values[1] = {name};
    PGresult *res = PQexecParams(conn, "SELECT proargmodes FROM pg_catalog.pg_proc WHERE proname = $1", 1, nullptr,
                                 values, nullptr, nullptr, 0);
    o2pFree(name);
    if (PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) > 0) {
        if (PQgetisnull(res, 0, 0) || *PQgetvalue(res, 0, 0) == '\0') {
            // Every argument is IN.
            for (ub4 k = 0; k < count; ++k) dirs[k] = 1;
            stmt->modesKnown = 1;
        } else {
            const char *modes = PQgetvalue(res, 0, 0);
            ub4 k = 0;
            for (const char *c = modes; *c != '\0'; ++c) {
                if (*c == '{' || *c == ',') continue;
                if (*c == '}' || k >= count) {
                    stmt->modesKnown = 1;
                    break;
                }
                if (*c == 'i') dirs[k++] = 1;
                else if (*c == 'o') {
                    dirs[k++] = 2;
                    stmt->hasOutParams = 1;
                } else if (*c == 'b') {
                    dirs[k++] = 3;
                    stmt->hasOutParams = 1;
                } else {
                    break;
                }
            }
        }
    }
    PQclear(res);
}

// The argument modes of the routine the client layer chose for a callable
// block (of several of one name, the one the binds fit) replace those read
// by name alone.
void TakeChosenModes(PGconn *conn, OCIStmt *stmt, const char *name) {
    std::vector<int> modes(stmt->paramCount);
    if (PQextCallModes(conn, name, static_cast<int>(stmt->paramCount), modes.data()) != 1) return;
    stmt->hasOutParams = 0;
    for (ub4 k = 0; k < stmt->paramCount; ++k) {
        stmt->paramModes[k] = static_cast<ub4>(modes[k]);
        if (modes[k] != 1) stmt->hasOutParams = 1;
    }
    stmt->modesKnown = 1;
}

// Prepares a non-query under a new "stmt_" name.
sword PrepareOnServer(OCIServer *server, OCIStmt *stmt, OCIError *errhp) {
    PGconn *conn = server->conn;
    char *name = makeUniqueName("stmt_", NextPreparedStmtNumber());
    if (name == nullptr) throw std::bad_alloc();
    const char *source = stmt->callable && stmt->callText != nullptr ? stmt->callText : stmt->sqlText;
    char *text = nullptr;
    ub4 count = 0;
    Oid *types = nullptr;
    ub4 *dirs = nullptr;
    struct Free {
        char *&name, *&text;
        Oid *&types;
        ub4 *&dirs;
        ~Free() {
            o2pFree(name);
            o2pFree(text);
            o2pFree(types);
            o2pFree(dirs);
        }
    } release{name, text, types, dirs};

    list_free(stmt->paramBinds);
    stmt->paramBinds = nullptr;
    if (stmt->binds != nullptr) {
        stmt->paramBinds = ReplacePlaceholders(stmt->binds, source, std::strlen(source), &text, &count, &types, &dirs);
        if (text == nullptr) {
            AddErrorRecord(errhp, OCI_ERROR, kErrTooManyPlaceholders);
            return OCI_ERROR;
        }
        if (count == 0 && !stmt->isFunction) {
            AddErrorRecord(errhp, OCI_ERROR, kErrNoBindMatches);
            return OCI_ERROR;
        }
    } else {
        text = o2pStrdup(source);
        if (text == nullptr) throw std::bad_alloc();
    }
    stmt->paramCount = count;

    Settle(conn);
    if (stmt->callable && !stmt->modesKnown && gDBServerVersion.load() >= kMinServerForArgModes &&
        stmt->binds != nullptr && count > 0)
        LookupArgumentModes(conn, stmt, dirs, count);
    if (stmt->callable && count > 0) {
        o2pFree(stmt->paramModes);
        stmt->paramModes = static_cast<ub4 *>(o2pMalloc(count * sizeof(ub4)));
        if (stmt->paramModes == nullptr) throw std::bad_alloc();
        for (ub4 k = 0; k < count; ++k) stmt->paramModes[k] = dirs != nullptr && dirs[k] != 0 ? dirs[k] : 1;
    }

    PGresult *res;
    {
        NoticeScope notices(conn, errhp);
        if (stmt->callable) {
            std::vector<int> modes(count);
            for (ub4 k = 0; k < count; ++k) modes[k] = static_cast<int>(stmt->paramModes[k]);
            res = PQprepareOut(conn, name, text, static_cast<int>(count), types, modes.data());
        } else {
            LetServerTypeTextParameters(text, types, count);
            res = PQextPrepare(conn, name, text, static_cast<int>(count), types);
        }
    }
    // A notice on preparation does not change its status.
    TakeNotice(errhp);
    if (res == nullptr || PQresultStatus(res) != PGRES_COMMAND_OK) {
        PQextForgetStatement(conn, name);
        if (!stmt->callable && RetypeNumberBinds(server, stmt, res)) {
            PQclear(res);
            ocitrace(TRACE_PREPARE, "OCIStmtExecute", "preparing again with number binds as text\n");
            return PrepareOnServer(server, stmt, errhp);
        }
        FailOnServer(server, errhp, res);
        PQclear(res);
        return OCI_ERROR;
    }
    PQclear(res);
    if (stmt->callable && count > 0) TakeChosenModes(conn, stmt, name);
    ocitrace(TRACE_PREPARE, "OCIStmtExecute", "prepared %s for(%s)\n", name, text);
    o2pFree(stmt->preparedName);
    stmt->preparedName = name;
    name = nullptr;
    stmt->serverPrepared = 1;
    stmt->pgPreparedServer = server;
    return OCI_SUCCESS;
}

// A text run as it is: data definition, and whatever the class table does
// not know.
sword ExecuteSimpleStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp) {
    PGresult *res = execSimpleCommand(server->conn, stmt->sqlText, errhp);
    if (res == nullptr || PQresultStatus(res) != PGRES_COMMAND_OK) {
        FailOnServer(server, errhp, res);
        PQclear(res);
        return OCI_ERROR;
    }
    stmt->rowCount = static_cast<ub4>(std::strtoul(PQcmdTuples(res), nullptr, 10));
    PQclear(res);
    if (CommitsAtOnce(stmt->stmtType)) COMMIT_TRANSACTION(server->conn);
    stmt->executed = 1;
    return TakeNotice(errhp) ? OCI_SUCCESS_WITH_INFO : OCI_SUCCESS;
}

// The rows a query execution delivers at once (its first batch is already
// held from the opening).
sword FirstRows(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    if (server->nonBlocking) return continueAsyncSelect(server, stmt, errhp, iters, rowoff);
    if (rowoff != 0) {
        AddErrorRecord(errhp, OCI_ERROR, kErrFetchOutOfSequence);
        return OCI_ERROR;
    }
    if (stmt->cursor == nullptr || stmt->cursor->state != CURSOR_OPEN) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNoCursor);
        return OCI_ERROR;
    }
    if (iters == 0) {
        stmt->executed = 1;
        return TakeNotice(errhp) ? OCI_SUCCESS_WITH_INFO : OCI_SUCCESS;
    }
    ocitrace(TRACE_FETCH, "fetchResults", "stmtp(%p) iters(%u)\n", static_cast<void *>(stmt), iters);
    sword status = DeliverRows(stmt, errhp, iters);
    if (status == OCI_ERROR || status == OCI_INVALID_HANDLE) return status;
    stmt->executed = 1;
    return CheckExactFetch(stmt, errhp, status);
}

sword Execute(OCISvcCtx *svchp, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff, ub4 mode) {
    if (!stmt->prepared) {
        AddErrorRecord(errhp, OCI_ERROR, kErrUnprepared);
        return OCI_ERROR;
    }
    if (iters == 0 && stmt->stmtType != OCI_STMT_SELECT) {
        AddErrorRecord(errhp, OCI_ERROR, kErrZeroIterations);
        return OCI_ERROR;
    }
    OCIServer *server = nullptr;
    sword rc = getServerHandleFromService(&server, svchp, errhp);
    if (rc != OCI_SUCCESS) return rc;
    if (HandleAs<OCIServer>(server, HANDLE_OCIServer) == nullptr) return OCI_INVALID_HANDLE;
    if (server->conn == nullptr || PQstatus(server->conn) != CONNECTION_OK) {
        AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
        return OCI_ERROR;
    }
    if (stmt->asyncBulkPending) {
        const sword outcome = ExecuteAsyncBulkInsertUpdateStmt(server, stmt, errhp, iters, rowoff);
        // The outcome of a non-blocking bulk arrives in a later call: the
        // commit the starting call asked for is made once it is known.
        if (Succeeded(outcome) && !stmt->asyncBulkPending && ((stmt->execMode | mode) & OCI_COMMIT_ON_SUCCESS)) {
            Settle(server->conn);
            COMMIT_TRANSACTION(server->conn);
        }
        return outcome;
    }
    if (stmt->asyncSelect && !(mode & OCI_DESCRIBE_ONLY))
        return continueAsyncSelect(server, stmt, errhp, iters, rowoff);
    PGconn *conn = server->conn;
    SavepointSettler settler{server};

    if (stmt->stmtType == OCI_STMT_SELECT) {
        stmt->execMode = mode;
        // Parsing a query describes it; nothing runs.
        const bool describeOnly = (mode & (OCI_DESCRIBE_ONLY | OCI_PARSE_ONLY)) != 0;
        // A cursor that must outlive the commit this call ends with.
        const ub4 savedMode = stmt->cursorMode;
        if (mode & OCI_COMMIT_ON_SUCCESS) stmt->cursorMode = 1;
        rc = OpenQuery(server, stmt, errhp, iters, rowoff, describeOnly);
        stmt->cursorMode = savedMode;
        if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) return rc;
        if (describeOnly) return rc;
    } else {
        PQclear(stmt->result);
        stmt->result = nullptr;
        Settle(conn);
        if (DdlCommitRequested()) COMMIT_TRANSACTION(conn);
        const bool savepoint = SavepointNeeded(server);
        START_TRANSACTION(conn);
        stmt->execMode = mode;
        if (savepoint) {
            // A statement the executor sends as one execution takes the
            // savepoint in its own group; anything else takes it now.
            if (GroupsSavepoint(server, stmt, iters, rowoff)) {
                RequestSavepoint(conn);
            } else if (!TakeSavepoint(server)) {
                FailOnServer(server, errhp, nullptr);
                return OCI_ERROR;
            }
        }
        if (!SimpleStatement(stmt->stmtType)) {
            if (stmt->cursor != nullptr) deallocateCursor(server, stmt, errhp, 0);
            if (!stmt->serverPrepared || stmt->pgPreparedServer != server || stmt->preparedName == nullptr) {
                rc = PrepareOnServer(server, stmt, errhp);
                if (rc != OCI_SUCCESS) return rc;
            }
        }
    }

    if (mode == OCI_STMT_SCROLLABLE_READONLY) return ExecuteOCIStmt(server, stmt, errhp, iters, rowoff);
    if (mode & OCI_PARSE_ONLY) return stmt->serverPrepared || SimpleStatement(stmt->stmtType) ? OCI_SUCCESS : OCI_ERROR;
    rc = ExecuteOCIStmt(server, stmt, errhp, iters, rowoff);
    if (Succeeded(rc)) {
        stmt->executedOnce = 1;
        if (mode & OCI_COMMIT_ON_SUCCESS) {
            Settle(conn);
            COMMIT_TRANSACTION(conn);
        }
    }
    return rc;
}

}  // namespace

bool RetypeNumberBinds(OCIServer *server, OCIStmt *stmt, const PGresult *failure) {
    const char *sqlstate = failure != nullptr ? PQresultErrorField(failure, PG_DIAG_SQLSTATE) : nullptr;
    if (!OracleCompatOf(stmt) || stmt->numbersAsText || sqlstate == nullptr || std::strcmp(sqlstate, "42883") != 0) return false;
    bool numbers = false;
    foreach_cell(cell, stmt->paramBinds) {
        const auto *b = static_cast<const OCIBind *>(cell->ptr);
        numbers = numbers || (b != nullptr && NumberBoundAsNumeric(b));
    }
    PGconn *conn = server->conn;
    if (!numbers || conn == nullptr || PQextDrain(conn) != 1) return false;
    switch (PQtransactionStatus(conn)) {
    case PQTRANS_IDLE:
        break;
    case PQTRANS_INERROR:
        if (!SavepointArmed(conn)) return false;
        RollbackFailedStatement(server);
        if (PQtransactionStatus(conn) != PQTRANS_INTRANS) return false;
        break;
    default:
        return false;
    }
    stmt->numbersAsText = 1;
    foreach_cell(cell, stmt->binds) {
        auto *b = static_cast<OCIBind *>(cell->ptr);
        if (NumberBoundAsNumeric(b)) b->numberAsText = 1;
    }
    return true;
}

// Text binds are declared to the server without a type, so that the server
// reads the text as whatever its place needs: a string bound into a date,
// timestamp or numeric column converts there, as OCI applications expect
// (declared as varchar it would be refused). Only where nothing around a
// parameter gives it a type (":p IS NULL") does it keep its declared type,
// since the server cannot prepare an untyped parameter there.
void LetServerTypeTextParameters(const char *sql, Oid *types, ub4 count) {
    if (sql == nullptr || types == nullptr) return;
    const size_t length = std::strlen(sql);
    for (size_t i = 0; i < length;) {
        const size_t skipped = SkipQuotedRegion(sql, length, i);
        if (skipped != i) {
            i = skipped;
            continue;
        }
        const bool wordBefore = i > 0 && (std::isalnum(static_cast<unsigned char>(sql[i - 1])) ||
                                          sql[i - 1] == '_' || sql[i - 1] == '$');
        if (sql[i] != '$' || wordBefore || !std::isdigit(static_cast<unsigned char>(sql[i + 1]))) {
            ++i;
            continue;
        }
        size_t j = i + 1;
        unsigned long number = 0;
        while (j < length && std::isdigit(static_cast<unsigned char>(sql[j])))
            number = number * 10 + static_cast<unsigned long>(sql[j++] - '0');
        size_t k = j;
        while (k < length && std::isspace(static_cast<unsigned char>(sql[k]))) ++k;
        const bool isFollows = k + 2 <= length && (sql[k] == 'i' || sql[k] == 'I') &&
                               (sql[k + 1] == 's' || sql[k + 1] == 'S') &&
                               (k + 2 == length || !std::isalnum(static_cast<unsigned char>(sql[k + 2])));
        if (number >= 1 && number <= count && !isFollows) {
            Oid &type = types[number - 1];
            if (type == VARCHAROID || type == BPCHAROID || type == TEXTOID) type = 0;
        }
        i = j;
    }
}


sword ExecuteOCIStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    if (HandleAs<OCIServer>(server, HANDLE_OCIServer) == nullptr ||
        HandleAs<OCIStmt>(stmt, HANDLE_OCIStmt) == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    const ub2 type = stmt->stmtType;
    if (type == OCI_STMT_SELECT && iters > 0 && stmt->defines == nullptr) return OCI_ERROR;
    stmt->executed = 0;
    // A query's first batch is already held; anything else starts clean.
    if (type != OCI_STMT_SELECT) ClearOCIStmtResultset(server, stmt);

    sword status;
    switch (type) {
    case OCI_STMT_SELECT:
        status = FirstRows(server, stmt, errhp, iters, rowoff);
        if (status == OCI_NO_DATA) stmt->executed = 1;
        return status;
    case OCI_STMT_DELETE:
        status = ExecuteDMLStmt(server, stmt, errhp, iters, rowoff);
        break;
    case OCI_STMT_UPDATE:
    case OCI_STMT_INSERT:
        if (!stmt->arrayOfStruct && (iters <= rowoff || iters - rowoff <= 1))
            status = ExecuteDMLStmt(server, stmt, errhp, iters, rowoff);
        else if (server->nonBlocking && !stmt->arrayOfStruct)
            status = ExecuteAsyncBulkInsertUpdateStmt(server, stmt, errhp, iters, rowoff);
        else
            status = ExecuteBulkInsertUpdateStmt(server, stmt, errhp, iters, rowoff);
        break;
    case OCI_STMT_BEGIN:
    case OCI_STMT_DECLARE:
        status = ExecuteCallableStmt(server, stmt, errhp, iters, rowoff);
        break;
    default:
        return ExecuteSimpleStmt(server, stmt, errhp);
    }
    if (Succeeded(status)) stmt->executed = 1;
    return status;
}

OCI_EXPORT sword OCIStmtExecute(OCISvcCtx *svchp, OCIStmt *stmtp, OCIError *errhp, ub4 iters, ub4 rowoff,
                                const OCISnapshot *snap_in, OCISnapshot *snap_out, ub4 mode) {
    if (!ValidConnHandle(svchp, HANDLE_OCISvcCtx) || HandleAs<OCIStmt>(stmtp, HANDLE_OCIStmt) == nullptr ||
        !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    OCIEnv *env = EnvOfHandle(svchp);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    ocitrace(TRACE_EXECUTE, "OCIStmtExecute", "stmtp(%p) service(%p) %s\n", static_cast<void *>(stmtp),
             static_cast<void *>(svchp), stmtp->sqlText != nullptr ? stmtp->sqlText : "");
    if (stmtp->svchp == nullptr) stmtp->svchp = svchp;
    return RunEntry({"OCIStmtExecute", OCI_FNCODE_STMTEXECUTE}, env, errhp, [&]() -> sword {
        return Execute(svchp, stmtp, errhp, iters, rowoff, mode);
    }, OCI_ARGS(svchp, stmtp, errhp, iters, rowoff, snap_in, snap_out, mode));
}

sword CheckExactFetch(OCIStmt *stmt, OCIError *errhp, sword status) {
    if (stmt->execMode != OCI_EXACT_FETCH || !Succeeded(status)) return status;
    const ub4 held = stmt->result != nullptr ? static_cast<ub4>(PQntuples(stmt->result)) : 0;
    if (held <= stmt->currentRow) return status;
    AddErrorRecord(errhp, OCI_ERROR, kErrExactFetch);
    PQclear(stmt->result);
    stmt->result = nullptr;
    stmt->currentRow = 0;
    return OCI_ERROR;
}

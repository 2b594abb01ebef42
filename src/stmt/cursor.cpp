// Server cursors of queries: generated names, the transaction watcher that
// tells whether a cursor still exists, the notice processor scope, and the
// opening of a query in one round trip.
//
// A query reads from an SQL cursor the client layer declares over the
// server-prepared text. Opening sends one command group: the preparation
// (first execution only), BEGIN when no block is open, CLOSE of the cursor
// the previous execution left, the DECLARE and the first FETCH. Their
// results are read in order after one sync, so re-executing a prepared
// query costs one round trip.
//
// A cursor declared without WITH HOLD dies with its transaction block. A
// CLOSE of a cursor that is gone would abort the block, so each cursor
// records the block it was declared in: a libpq event procedure counts the
// BEGINs each connection runs, and a cursor of an older count (or on an
// idle connection) is known to be gone without asking the server.

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "conn/session_control.h"
#include "conn/transaction.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/memory.h"
#include "platform/os.h"
#include "stmt/savepoints.h"
#include "stmt/bind_define.h"
#include "stmt/execute.h"
#include "stmt/placeholders.h"
#include "stmt/pqext/pqext.h"
#include "stmt/server_objects.h"

namespace {

std::atomic<ub4> preparedStmtCount{0};
std::atomic<ub4> portalCount{0};

// Rows of the first FETCH when the application asks for fewer: a query of
// a few rows then learns its end in the same round trip.
constexpr ub4 kFirstBatchRows = 64;

char *Duplicate(const char *text) {
    char *copy = o2pStrdup(text);
    if (copy == nullptr) throw std::bad_alloc();
    return copy;
}

// What one command of the opening group answered.
struct Answer {
    PGresult *result = nullptr;
    ~Answer() { PQclear(result); }
};

// Reads one command's results of a sent group: the first is kept.
void ReadAnswer(PGconn *conn, Answer &answer) {
    for (int guard = 0; guard < 64; ++guard) {
        PGresult *res = PQgetResult(conn);
        if (res == nullptr) return;
        if (answer.result == nullptr) answer.result = res;
        else PQclear(res);
        if (PQstatus(conn) == CONNECTION_BAD) return;
    }
}

bool CommandOk(const Answer &a) { return a.result != nullptr && PQresultStatus(a.result) == PGRES_COMMAND_OK; }

// Values of the statement's parameters in parameter order.
struct ParamArrays {
    std::vector<const char *> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    void Fill(const OCIStmt *stmt) {
        const ub4 n = stmt->paramCount;
        values.assign(n, nullptr);
        lengths.assign(n, 0);
        formats.assign(n, 0);
        ub4 k = 0;
        foreach_cell(cell, stmt->paramBinds) {
            if (k >= n) break;
            if (auto *b = static_cast<OCIBind *>(cell->ptr)) {
                values[k] = b->pgValue;
                lengths[k] = b->pgLength;
                formats[k] = b->pgFormat;
            }
            ++k;
        }
    }
};

// The rewritten text of one execution.
struct Rewritten {
    char *text = nullptr;
    ub4 count = 0;
    Oid *types = nullptr;
    ub4 *dirs = nullptr;
    ~Rewritten() {
        o2pFree(text);
        o2pFree(types);
        o2pFree(dirs);
    }
};

void Rewrite(OCIStmt *stmt, bool describeOnly, Rewritten &out) {
    if (describeOnly) {
        foreach_cell(cell, stmt->paramNames) o2pFree(cell->ptr);
        list_free(stmt->paramNames);
        stmt->paramNames = nullptr;
        stmt->paramNames = ReplacePlaceholdersEx(nullptr, stmt->sqlText, &out.text, &out.count);
        stmt->paramCount = out.count;
        return;
    }
    List *matched = ReplacePlaceholders(stmt->binds, stmt->sqlText, stmt->sqlLength, &out.text, &out.count,
                                        &out.types, &out.dirs);
    list_free(stmt->paramBinds);
    stmt->paramBinds = matched;
    stmt->paramCount = out.count;
}

}  // namespace

char *makeUniqueName(const char *prefix, ub4 n) {
    const size_t size = std::strlen(prefix) + 9;
    auto *name = static_cast<char *>(o2pMalloc(size));
    if (name == nullptr) return nullptr;
    static const char kHex[] = "0123456789abcdef";
    char *p = name + size - 9;
    std::memcpy(name, prefix, size - 9);
    for (int shift = 28; shift >= 0; shift -= 4) *p++ = kHex[(n >> shift) & 0xF];
    *p = '\0';
    return name;
}

ub4 NextPreparedStmtNumber() { return preparedStmtCount++; }
ub4 NextPortalNumber() { return portalCount++; }

char *ConstructQuery(const char *procName) {
    if (procName == nullptr) return nullptr;
    const char *dot = std::strchr(procName, '.');
    char *name = o2pStrdup(dot != nullptr ? dot + 1 : procName);
    if (name == nullptr) return nullptr;
    for (char *p = name; *p != '\0'; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
    return name;
}

NoticeScope::NoticeScope(PGconn *conn, OCIError *errhp) : conn_(conn), previous_(nullptr), previousArg_(nullptr) {
    if (conn_ == nullptr) return;
    // libpq hands back only the previous function; the processors this
    // library installs ignore a missing argument, and libpq's default one
    // takes none.
    previous_ = PQsetNoticeProcessor(conn_, OCINoticeHandler, errhp);
}

NoticeScope::~NoticeScope() {
    if (conn_ != nullptr && previous_ != nullptr) PQsetNoticeProcessor(conn_, previous_, previousArg_);
}

bool TakeNotice(OCIError *errhp) {
    if (errhp == nullptr || !errhp->hasWarnings) return false;
    errhp->hasWarnings = false;
    return true;
}

PGresult *execSimpleCommand(PGconn *connection, const char *sql, OCIError *errhp) {
    PQextDrain(connection);
    NoticeScope notices(connection, errhp);
    return PQexec(connection, sql);
}

void ResetStatementResults(OCIStmt *stmt) {
    PQclear(stmt->result);
    stmt->result = nullptr;
    PQclear(stmt->outResult);
    stmt->outResult = nullptr;
    stmt->currentRow = 0;
    stmt->rowsFetched = 0;
    stmt->prefetchIndex = 0;
    stmt->prefetchCount = 0;
}

void ClearOCIStmtResultset(OCIServer *server, OCIStmt *stmt) {
    PQclear(stmt->outResult);
    stmt->outResult = nullptr;
    PQclear(stmt->result);
    stmt->result = nullptr;
    PGconn *conn = server != nullptr ? server->conn : nullptr;
    if (conn == nullptr) return;
    while (PGresult *out = PQgetOutResult(conn)) PQclear(out);
    // Read-ahead in flight is the client layer's: it is kept there, and
    // only what a plain send left behind is read here.
    PQextDrain(conn);
    if (PQpipelineStatus(conn) != PQ_PIPELINE_OFF) return;
    while (PGresult *res = PQgetResult(conn)) PQclear(res);
}

void WatchTransactions(PGconn *conn) {
    if (conn != nullptr) PQextTransactionGeneration(conn);
}

unsigned long long TransactionGeneration(PGconn *conn) {
    return conn != nullptr ? PQextTransactionGeneration(conn) : 0;
}

bool CursorStillOpen(const OCICursor *cursor) {
    if (cursor == nullptr || cursor->portalName == nullptr) return false;
    const auto *server = HandleAs<OCIServer>(cursor->server, HANDLE_OCIServer);
    if (server == nullptr || server->conn == nullptr || PQstatus(server->conn) != CONNECTION_OK) return false;
    if (cursor->withHold) return true;
    if (PQtransactionStatus(server->conn) == PQTRANS_IDLE) return false;
    return cursor->txGeneration != 0 && cursor->txGeneration == TransactionGeneration(server->conn);
}

sword CloseServerCursor(OCICursor *cursor, OCIError *errhp) {
    if (cursor == nullptr) return OCI_SUCCESS;
    sword status = OCI_SUCCESS;
    if (cursor->portalName != nullptr) {
        auto *server = HandleAs<OCIServer>(cursor->server, HANDLE_OCIServer);
        PGconn *conn = server != nullptr ? server->conn : nullptr;
        if (CursorStillOpen(cursor)) {
            ocitrace(TRACE_CURSORS, "closePortal", "closing %s\n", cursor->portalName);
            NoticeScope notices(conn, errhp);
            PGresult *res = nullptr;
            if (PQsendClosePortal(conn, cursor->portalName)) {
                res = PQgetResult(conn);
                while (PGresult *extra = PQgetResult(conn)) PQclear(extra);
            }
            if (res == nullptr || PQresultStatus(res) != PGRES_COMMAND_OK) {
                ocitrace(TRACE_CURSORS, "closePortal", "close of %s FAILED\n", cursor->portalName);
                if (res == nullptr) AddErrorRecordMsg(errhp, OCI_ERROR, "PQsendClosePortal failed");
                else AddPGErrorRecord(errhp, OCI_ERROR, res);
                RollbackFailedStatement(server);
                status = OCI_ERROR;
            }
            PQclear(res);
        } else if (conn != nullptr) {
            // Gone with its transaction: only the client layer's read-ahead
            // for it is left to drop.
            PQextFetchStop(conn, cursor->portalName);
        }
        o2pFree(cursor->portalName);
        cursor->portalName = nullptr;
    }
    cursor->state = CURSOR_CLOSED;
    cursor->readAhead = 0;
    return status;
}

void ReleaseFinishedCursor(OCIStmt *stmt) {
    OCICursor *cursor = stmt->cursor;
    if (cursor == nullptr || !cursor->endSeen || cursor->portalName == nullptr) return;
    auto *server = HandleAs<OCIServer>(cursor->server, HANDLE_OCIServer);
    PGconn *conn = server != nullptr ? server->conn : nullptr;
    if (conn == nullptr) return;
    if (!cursor->scrollable && !stmt->isRefCursor && CursorStillOpen(cursor) &&
        PQextCloseAhead(conn, cursor->portalName) == 1) {
        ocitrace(TRACE_CURSORS, "closePortal", "closing %s at its end\n", cursor->portalName);
        o2pFree(cursor->portalName);
        cursor->portalName = nullptr;
    } else if (cursor->readAhead) {
        PQextFetchStop(conn, cursor->portalName);
    }
    cursor->readAhead = 0;
}

sword prepareCursor(OCIServer *server, OCIStmt *stmt, OCIError *errhp) {
    sword status = OCI_SUCCESS;
    if (stmt->cursor == nullptr) {
        auto *cursor = static_cast<OCICursor *>(o2pCalloc(1, sizeof(OCICursor)));
        if (cursor == nullptr) throw std::bad_alloc();
        cursor->server = server;
        cursor->lastRow = -1;
        if (stmt->isRefCursor && stmt->preparedName != nullptr) cursor->stmtName = Duplicate(stmt->preparedName);
        stmt->cursor = cursor;
    } else {
        status = CloseServerCursor(stmt->cursor, errhp);
    }
    OCICursor *cursor = stmt->cursor;
    cursor->maxRow = 0;
    cursor->position = 0;
    cursor->serverRow = 0;
    cursor->endSeen = 0;
    cursor->batchRows = 0;
    o2pFree(stmt->callText);
    stmt->callText = nullptr;
    return status;
}

void ReadPendingInput(PGconn *conn) {
    if (conn == nullptr) return;
    while (PQstatus(conn) == CONNECTION_OK && PQconsumeInput(conn) == 1 && os::SocketReadable(PQsocket(conn))) {
    }
}

void FailOnServer(OCIServer *server, OCIError *errhp, const PGresult *result) {
    PGconn *conn = server != nullptr ? server->conn : nullptr;
    const char *sqlstate = result != nullptr ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    // The server going away (an administrator's termination included)
    // leaves nothing to roll back.
    const bool terminated = sqlstate != nullptr && std::strncmp(sqlstate, "57P", 3) == 0;
    if (sqlstate == nullptr) ReadPendingInput(conn);
    if (conn != nullptr && (PQstatus(conn) != CONNECTION_OK || terminated)) {
        AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
        AddErrorRecordMsg(errhp, OCI_ERROR, PQerrorMessage(conn));
        return;
    }
    if (result == nullptr || sqlstate == nullptr) {
        const char *msg = result != nullptr ? PQresultErrorMessage(result) : "";
        if (msg == nullptr || *msg == '\0') msg = conn != nullptr ? PQerrorMessage(conn) : "unexpected result set";
        AddErrorRecordMsg(errhp, OCI_ERROR, msg);
    } else {
        AddPGErrorRecord(errhp, OCI_ERROR, result);
    }
    RollbackFailedStatement(server);
}

sword OpenQuery(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff, bool describeOnly) {
    PGconn *conn = server->conn;
    WatchTransactions(conn);

    // The previous cursor is closed inside the group when it is on this
    // connection and still there; anywhere else it is closed right away.
    char *oldPortal = nullptr;
    if (stmt->cursor == nullptr) {
        prepareCursor(server, stmt, errhp);
    } else {
        OCICursor *old = stmt->cursor;
        if (old->server == server && CursorStillOpen(old)) {
            oldPortal = old->portalName;
            old->portalName = nullptr;
            old->state = CURSOR_CLOSED;
        }
        prepareCursor(server, stmt, errhp);
    }
    OCICursor *cursor = stmt->cursor;
    if (cursor->server != server && cursor->stmtName != nullptr) {
        deallocateStatement(cursor->server, errhp, cursor->stmtName);
        o2pFree(cursor->stmtName);
        cursor->stmtName = nullptr;
        stmt->serverPrepared = 0;
    }
    cursor->server = server;
    cursor->lastRow = -1;
    ResetStatementResults(stmt);
    struct FreeOld {
        char *&name;
        ~FreeOld() { o2pFree(name); }
    } freeOld{oldPortal};

    const bool reuse = stmt->serverPrepared && cursor->stmtName != nullptr && stmt->pgPreparedServer == server;
    Rewritten rewritten;
    if (!reuse) {
        Rewrite(stmt, describeOnly, rewritten);
        if (rewritten.text == nullptr) {
            AddErrorRecord(errhp, OCI_ERROR, kErrTooManyPlaceholders);
            return OCI_ERROR;
        }
        ocitrace(TRACE_FETCH, "declareCursor", "original - %s\n", stmt->sqlText);
        ocitrace(TRACE_FETCH, "declareCursor", "pg form  - %s\n", rewritten.text);
    } else if (!describeOnly && stmt->paramBinds == nullptr && stmt->binds != nullptr) {
        Rewritten again;
        Rewrite(stmt, false, again);
    }

    // Values of iteration `rowoff`.
    ParamArrays params;
    if (!describeOnly) {
        const sword gathered = GetOCIBindData(stmt, errhp, rowoff);
        if (gathered == OCI_ERROR || gathered == OCI_INVALID_HANDLE) return gathered;
        params.Fill(stmt);
    }
    struct Release {
        OCIStmt *stmt;
        ~Release() { release_binds_pgdata(stmt->binds); }
    } release{stmt};

    char *newName = nullptr;
    if (!reuse) {
        newName = makeUniqueName("stmt_", NextPreparedStmtNumber());
        if (newName == nullptr) throw std::bad_alloc();
    }
    struct FreeNew {
        char *&name;
        ~FreeNew() { o2pFree(name); }
    } freeNew{newName};
    const char *stmtName = reuse ? cursor->stmtName : newName;

    const ub4 cursorMode = stmt->cursorMode != 0 ? stmt->cursorMode : server->holdMode;
    const ub4 commitMode = stmt->cursorCommitMode != 0 ? stmt->cursorCommitMode : server->mode5003;
    const bool hold = cursorMode == 1;
    const bool scroll = stmt->execMode == OCI_STMT_SCROLLABLE_READONLY;
    // Inside a block a query that must fail alone runs between a savepoint
    // and its release, both sent with it (not when the group commits).
    const bool savepoint = SavepointNeeded(server) && !(hold && commitMode == 6);
    const PGTransactionStatusType tx = PQtransactionStatus(conn);
    const bool begin = !describeOnly && (!hold || commitMode == 0) && tx == PQTRANS_IDLE;
    const bool commitAfter = !describeOnly && hold && commitMode == 6 && tx == PQTRANS_INTRANS;
    const bool fetch = !describeOnly && !server->nonBlocking;
    // A statement whose last result fit its first batch (a point select)
    // runs as a plain prepared execution: the server plans no cursor and the
    // rows arrive at once. A result that turns out larger is kept whole this
    // once, and the next execution goes back to a cursor.
    const bool direct = fetch && reuse && stmt->smallResult && !hold && !scroll && !commitAfter;
    ub4 count = iters;
    if (stmt->execMode == OCI_EXACT_FETCH) count = iters + 1;
    if (stmt->prefetchRows > count) count = stmt->prefetchRows;
    if (count < kFirstBatchRows) count = kFirstBatchRows;

    char *portal = nullptr;
    if (!describeOnly && !direct) {
        portal = makeUniqueName(hold ? "cursor_" : "portal_", NextPortalNumber());
        if (portal == nullptr) throw std::bad_alloc();
    }
    struct FreePortal {
        char *&name;
        ~FreePortal() { o2pFree(name); }
    } freePortal{portal};

    Answer saved, prepared, begun, closed, declared, committed, fetched, described, released;
    {
        NoticeScope notices(conn, errhp);
        // The steady state of a point select, one prepared execution inside
        // an open transaction, is a single command: sent as PQexecPrepared
        // sends it, without the cost of a pipeline around it.
        if (direct && !begin && oldPortal == nullptr && !savepoint) {
            ocitrace(TRACE_FETCH, "declareCursor", "stmtp(%p), svrhp(%p), conn(%p), stmt(%s)\n",
                     static_cast<void *>(stmt), static_cast<void *>(server), static_cast<void *>(conn), stmtName);
            if (PQextDrain(conn) != 1 ||
                PQsendQueryPrepared(conn, stmtName, static_cast<int>(stmt->paramCount), params.values.data(),
                                    params.lengths.data(), params.formats.data(), 0) != 1) {
                FailOnServer(server, errhp, nullptr);
                return OCI_ERROR;
            }
            ReadAnswer(conn, fetched);
        } else {
            if (!PQextPipelineBegin(conn)) {
                FailOnServer(server, errhp, nullptr);
                return OCI_ERROR;
            }
            bool sent = !savepoint || SendSavepoint(conn);
            if (!reuse) {
                LetServerTypeTextParameters(rewritten.text, rewritten.types, rewritten.count);
                sent = sent && PQextSendPrepare(conn, newName, rewritten.text, static_cast<int>(rewritten.count),
                                                rewritten.types) == 1;
            }
            if (describeOnly) {
                sent = sent && PQsendDescribePrepared(conn, stmtName) == 1;
            } else {
                if (sent && begin)
                    sent = PQsendQueryParams(conn, "BEGIN", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
                if (sent && oldPortal != nullptr) sent = PQsendClosePortal(conn, oldPortal) == 1;
                ocitrace(TRACE_FETCH, "declareCursor", "stmtp(%p), svrhp(%p), conn(%p), stmt(%s)\n",
                         static_cast<void *>(stmt), static_cast<void *>(server), static_cast<void *>(conn), stmtName);
                if (direct) {
                    sent = sent && PQsendQueryPrepared(conn, stmtName, static_cast<int>(stmt->paramCount),
                                                       params.values.data(), params.lengths.data(),
                                                       params.formats.data(), 0) == 1;
                } else {
                    PQextSetCursorOptions(conn,
                                          (scroll ? PQEXT_CURSOR_SCROLL : 0) | (hold ? PQEXT_CURSOR_HOLD : 0));
                    sent = sent && PQsendBindPrepared(conn, portal, stmtName, static_cast<int>(stmt->paramCount),
                                                      params.values.data(), params.lengths.data(),
                                                      params.formats.data(), 0) == 1;
                    if (sent && commitAfter)
                        sent = PQsendQueryParams(conn, "COMMIT", 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
                    if (sent && fetch) sent = PQsendFetchPrepared(conn, portal, static_cast<int>(count)) == 1;
                }
            }
            if (sent && savepoint) sent = SendSavepointRelease(conn);
            if (sent) sent = PQextPipelineSend(conn) == 1;
            if (sent) {
                if (savepoint) ReadAnswer(conn, saved);
                if (!reuse) ReadAnswer(conn, prepared);
                if (describeOnly) {
                    ReadAnswer(conn, described);
                } else {
                    if (begin) ReadAnswer(conn, begun);
                    if (oldPortal != nullptr) ReadAnswer(conn, closed);
                    if (direct) {
                        ReadAnswer(conn, fetched);
                    } else {
                        ReadAnswer(conn, declared);
                        if (commitAfter) ReadAnswer(conn, committed);
                        if (fetch) ReadAnswer(conn, fetched);
                    }
                }
                if (savepoint) ReadAnswer(conn, released);
            }
            PQextPipelineEnd(conn);
            if (savepoint) {
                NoteSavepoint(conn, saved.result);
                NoteSavepointRelease(conn, released.result);
            }
            if (!sent) {
                if (!reuse) PQextForgetStatement(conn, newName);
                FailOnServer(server, errhp, nullptr);
                return OCI_ERROR;
            }
        }
    }

    if (!reuse) {
        if (!CommandOk(prepared)) {
            PQextForgetStatement(conn, newName);
            if (RetypeNumberBinds(server, stmt, prepared.result)) {
                ocitrace(TRACE_CURSORS, "startSelect", "preparing %s again with number binds as text\n", stmt->sqlText);
                return OpenQuery(server, stmt, errhp, iters, rowoff, describeOnly);
            }
            FailOnServer(server, errhp, prepared.result);
            return OCI_ERROR;
        }
        ocitrace(TRACE_CURSORS, "startSelect", "prepared %s for(%s)\n", newName, stmt->sqlText);
        o2pFree(cursor->stmtName);
        cursor->stmtName = newName;
        newName = nullptr;
        stmt->serverPrepared = 1;
        stmt->pgPreparedServer = server;
    }
    if (describeOnly) {
        if (!CommandOk(described)) {
            FailOnServer(server, errhp, described.result);
            return OCI_ERROR;
        }
        stmt->result = described.result;
        described.result = nullptr;
        return TakeNotice(errhp) ? OCI_SUCCESS_WITH_INFO : OCI_SUCCESS;
    }
    const Answer *failed = nullptr;
    if (savepoint && !CommandOk(saved)) failed = &saved;
    else if (begin && !CommandOk(begun)) failed = &begun;
    else if (oldPortal != nullptr && !CommandOk(closed)) failed = &closed;
    else if (!direct && !CommandOk(declared)) failed = &declared;
    else if (commitAfter && !CommandOk(committed)) failed = &committed;
    else if (fetch && (fetched.result == nullptr || PQresultStatus(fetched.result) != PGRES_TUPLES_OK))
        failed = &fetched;
    if (failed != nullptr) {
        FailOnServer(server, errhp, failed->result);
        // The cursor is gone with the failed group.
        PQextFetchStop(conn, portal);
        return OCI_ERROR;
    }

    if (direct) {
        ocitrace(TRACE_CURSORS, "startSelect", "executed %s without a cursor\n", stmtName);
    } else {
        ocitrace(TRACE_CURSORS, "startSelect", "opened portal %s\n", portal);
        cursor->portalName = portal;
        portal = nullptr;
    }
    cursor->state = CURSOR_OPEN;
    cursor->withHold = hold ? 1 : 0;
    cursor->scrollable = scroll ? 1 : 0;
    cursor->readAhead = 0;
    cursor->txGeneration = TransactionGeneration(conn);
    if (fetch) {
        stmt->result = fetched.result;
        fetched.result = nullptr;
        const ub4 rows = static_cast<ub4>(PQntuples(stmt->result));
        stmt->prefetchCount = rows;
        cursor->serverRow = rows;
        cursor->endSeen = direct || rows < count ? 1 : 0;
        cursor->batchRows = count;
        stmt->smallResult = rows < count ? 1 : 0;
        ReleaseFinishedCursor(stmt);
        ocitrace(TRACE_RESULTS, "fetchResults", "stmtp(%p) ntuples(%d) nfields(%d)\n", static_cast<void *>(stmt),
                 PQntuples(stmt->result), PQnfields(stmt->result));
    }
    return OCI_SUCCESS;
}

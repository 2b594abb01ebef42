// Fetching: OCIStmtFetch and OCIStmtFetch2 over the cursor a query
// execution opened (or a REF CURSOR a call handed out).
//
// Rows arrive in batches and are handed out from the batch held in the
// statement's result, whatever number of rows each call asks for; position
// and row count advance per row delivered. Batches grow from the first
// FETCH's size to a few thousand rows, bounded by a byte budget measured on
// the rows already seen. Once batches stop growing, a forward-only cursor
// is read ahead through the client layer: further FETCHes are on their way
// while the application consumes the current batch. Scrollable cursors are
// repositioned with MOVE ABSOLUTE in the same round trip as their FETCH,
// and a wanted row that is still in the held batch costs no round trip.
//
// An array fetch that spans two batches is filled in two steps, the second
// through the defines' buffers seen from the first unfilled slot on; a
// dynamic define's callback then numbers that step's slots from 0 again.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "conn/session_control.h"
#include "conn/transaction.h"
#include "diag/entry.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/env.h"
#include "stmt/savepoints.h"
#include "stmt/bind_define.h"
#include "stmt/execute.h"
#include "stmt/pqext/pqext.h"

namespace {

constexpr ub4 kFnCodeStmtFetch2 = 152;
// Four FETCHes of about a thousand rows in flight keep the server busy
// while the client converts; larger batches measured slower (the client's
// working set outgrows its caches). The byte budget bounds what is held
// per cursor to kReadAheadDepth batches of kBatchBytes.
constexpr ub4 kMaxBatchRows = 1024;
constexpr size_t kBatchBytes = size_t{2} << 20;
constexpr int kReadAheadDepth = 4;

// The defines' buffers seen `k` elements further on, so that a fill that
// writes slots from 0 lands at slot k; restored when it goes.
class ShiftedDefines {
public:
    ShiftedDefines(List *defines, ub4 k) {
        if (k == 0) return;
        foreach_cell(cell, defines) {
            auto *d = static_cast<OCIDefine *>(cell->ptr);
            if (d == nullptr) continue;
            saved_.push_back({d, d->valuep, d->indp, d->rlenp, d->rcodep});
            d->slotBase = k;
            const bool sa = d->structArray != 0;
            if (d->valuep != nullptr)
                d->valuep = static_cast<char *>(d->valuep) + static_cast<size_t>(k) * (sa ? d->pvskip : d->value_sz);
            d->indp = Advance(d->indp, k, d->indskip, sa);
            d->rlenp = Advance(d->rlenp, k, d->rlskip, sa);
            d->rcodep = Advance(d->rcodep, k, d->rcskip, sa);
        }
    }
    ~ShiftedDefines() {
        for (const Saved &s : saved_) {
            s.define->valuep = s.valuep;
            s.define->indp = s.indp;
            s.define->rlenp = s.rlenp;
            s.define->rcodep = s.rcodep;
            s.define->slotBase = 0;
        }
    }
    ShiftedDefines(const ShiftedDefines &) = delete;
    ShiftedDefines &operator=(const ShiftedDefines &) = delete;

private:
    template <class T> static T *Advance(T *base, ub4 k, ub4 skip, bool structArray) {
        if (base == nullptr) return nullptr;
        if (!structArray) return base + k;
        return reinterpret_cast<T *>(reinterpret_cast<char *>(base) + static_cast<size_t>(k) * skip);
    }
    struct Saved {
        OCIDefine *define;
        void *valuep;
        sb2 *indp;
        ub2 *rlenp;
        ub2 *rcodep;
    };
    std::vector<Saved> saved_;
};

OCIServer *CursorServer(const OCICursor *cursor) { return HandleAs<OCIServer>(cursor->server, HANDLE_OCIServer); }

const char *CursorName(const OCICursor *cursor) {
    return cursor->portalName != nullptr ? cursor->portalName : cursor->stmtName;
}

// Rows the next FETCH asks for: growing eightfold from the last batch up
// to the cap, at least what the caller wants. *full tells that the cap is
// reached: batches do not grow any more.
ub4 NextBatchRows(const OCIStmt *stmt, ub4 wanted, bool *full) {
    const OCICursor *cursor = stmt->cursor;
    ub4 cap = kMaxBatchRows;
    if (stmt->result != nullptr && PQntuples(stmt->result) > 0) {
        const int columns = PQnfields(stmt->result);
        size_t rowBytes = static_cast<size_t>(columns) * 16;
        for (int c = 0; c < columns; ++c) rowBytes += static_cast<size_t>(PQgetlength(stmt->result, 0, c));
        cap = static_cast<ub4>(std::min<size_t>(cap, std::max<size_t>(kBatchBytes / rowBytes, 1)));
    }
    const ub4 last = std::max<ub4>(cursor->batchRows, 1);
    const ub4 rows = last >= cap / 8 ? cap : last * 8;
    *full = rows >= cap;
    return std::max({rows, wanted, stmt->prefetchRows});
}

sword FetchFailed(OCIStmt *stmt, OCIError *errhp, PGresult *res) {
    OCICursor *cursor = stmt->cursor;
    OCIServer *server = CursorServer(cursor);
    if (res != nullptr)
        ocitrace(TRACE_FETCH, "fetchRows", "FAILED - %s\n",
                 PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY) != nullptr
                     ? PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY)
                     : PQresultErrorMessage(res));
    FailOnServer(server, errhp, res);
    PQclear(res);
    if (cursor->readAhead && server != nullptr && server->conn != nullptr)
        PQextFetchStop(server->conn, CursorName(cursor));
    cursor->readAhead = 0;
    ocitrace(TRACE_RESULTS, "doFetch", "stmtp(%p) failed\n", static_cast<void *>(stmt));
    return OCI_ERROR;
}

// Puts `res` (a tuples result of `asked` rows at most) in place of the held
// batch.
void HoldBatch(OCIStmt *stmt, PGresult *res, ub4 asked) {
    OCICursor *cursor = stmt->cursor;
    PQclear(stmt->result);
    stmt->result = res;
    stmt->currentRow = 0;
    const ub4 rows = static_cast<ub4>(PQntuples(res));
    stmt->prefetchCount = rows;
    stmt->prefetchIndex = 0;
    cursor->serverRow += rows;
    if (rows < asked) cursor->endSeen = 1;
    ocitrace(TRACE_RESULTS, "doFetch", "stmtp(%p) ntuples(%d) nfields(%d) cmdtuples(%s) cmdstatus(%s)\n",
             static_cast<void *>(stmt), PQntuples(res), PQnfields(res), PQcmdTuples(res), PQcmdStatus(res));
}

// Reads the next batch of the cursor into the statement's result.
sword fetchRows(OCIStmt *stmt, OCIError *errhp, ub4 wanted) {
    OCICursor *cursor = stmt->cursor;
    OCIServer *server = CursorServer(cursor);
    PGconn *conn = server->conn;
    const char *name = CursorName(cursor);
    NoticeScope notices(conn, errhp);
    PGresult *res = nullptr;
    if (!cursor->readAhead) {
        bool full = false;
        const ub4 count = NextBatchRows(stmt, wanted, &full);
        cursor->batchRows = count;
        if (!cursor->scrollable && full &&
            PQextFetchAhead(conn, name, static_cast<int>(count), kReadAheadDepth) == 1) {
            cursor->readAhead = 1;
        } else {
            if (PQsendFetchPrepared(conn, name, static_cast<int>(count)) != 1) {
                if (PQstatus(conn) != CONNECTION_OK) return FetchFailed(stmt, errhp, nullptr);
                AddErrorRecordMsg(errhp, OCI_ERROR, "PQsendFetchPrepared failed");
                RollbackFailedStatement(server);
                return OCI_ERROR;
            }
            res = PQgetResult(conn);
            if (PGresult *extra = PQgetResult(conn)) {
                PQclear(extra);
                while (PGresult *more = PQgetResult(conn)) PQclear(more);
                PQclear(res);
                AddErrorRecordMsg(errhp, OCI_ERROR, "unexpected result set");
                RollbackFailedStatement(server);
                return OCI_ERROR;
            }
        }
    }
    if (cursor->readAhead) res = PQextFetchNext(conn, name);
    if (res == nullptr || PQresultStatus(res) != PGRES_TUPLES_OK) return FetchFailed(stmt, errhp, res);
    HoldBatch(stmt, res, cursor->batchRows);
    // Nothing more will come: the server cursor and the client layer's
    // record of it go.
    if (cursor->endSeen) ReleaseFinishedCursor(stmt);
    return OCI_SUCCESS;
}

// Places the server cursor before row `target` and reads a batch from
// there, in one round trip.
sword Reposition(OCIStmt *stmt, OCIError *errhp, ub4 target, ub4 wanted) {
    OCICursor *cursor = stmt->cursor;
    OCIServer *server = CursorServer(cursor);
    PGconn *conn = server->conn;
    const char *name = CursorName(cursor);
    char *quoted = PQescapeIdentifier(conn, name, std::strlen(name));
    if (quoted == nullptr) return FetchFailed(stmt, errhp, nullptr);
    char move[64];
    std::snprintf(move, sizeof move, "MOVE ABSOLUTE %u IN ", target - 1);
    std::string sql = std::string(move) + quoted;
    PQfreemem(quoted);
    const ub4 count = std::max(wanted, stmt->prefetchRows);
    PGresult *moved = nullptr;
    PGresult *fetched = nullptr;
    {
        NoticeScope notices(conn, errhp);
        bool sent = PQextPipelineBegin(conn) == 1;
        sent = sent && PQsendQueryParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0) == 1;
        sent = sent && PQsendFetchPrepared(conn, name, static_cast<int>(count)) == 1;
        sent = sent && PQextPipelineSend(conn) == 1;
        if (sent) {
            for (PGresult **slot : {&moved, &fetched}) {
                while (PGresult *res = PQgetResult(conn)) {
                    if (*slot == nullptr) *slot = res;
                    else PQclear(res);
                }
            }
        }
        PQextPipelineEnd(conn);
    }
    if (moved == nullptr || PQresultStatus(moved) != PGRES_COMMAND_OK) {
        PQclear(fetched);
        return FetchFailed(stmt, errhp, moved);
    }
    PQclear(moved);
    if (fetched == nullptr || PQresultStatus(fetched) != PGRES_TUPLES_OK) return FetchFailed(stmt, errhp, fetched);
    cursor->serverRow = target - 1;
    cursor->endSeen = 0;
    cursor->batchRows = count;
    cursor->position = target - 1;
    HoldBatch(stmt, fetched, count);
    return OCI_SUCCESS;
}

// The number of the cursor's last row, moving to the end once to learn it.
sword LearnLastRow(OCIStmt *stmt, OCIError *errhp) {
    OCICursor *cursor = stmt->cursor;
    if (cursor->lastRow >= 0) return OCI_SUCCESS;
    if (!cursor->endSeen) {
        OCIServer *server = CursorServer(cursor);
        const char *name = CursorName(cursor);
        char *quoted = PQescapeIdentifier(server->conn, name, std::strlen(name));
        if (quoted == nullptr) return FetchFailed(stmt, errhp, nullptr);
        const std::string sql = std::string("MOVE FORWARD ALL IN ") + quoted;
        PQfreemem(quoted);
        PGresult *res = execSimpleCommand(server->conn, sql.c_str(), errhp);
        if (res == nullptr || PQresultStatus(res) != PGRES_COMMAND_OK) return FetchFailed(stmt, errhp, res);
        const char *status = PQcmdStatus(res);
        const char *space = std::strchr(status, ' ');
        cursor->serverRow += space != nullptr ? static_cast<ub4>(std::strtoul(space + 1, nullptr, 10)) : 0;
        cursor->endSeen = 1;
        PQclear(res);
        // The held batch no longer follows the server cursor.
        PQclear(stmt->result);
        stmt->result = nullptr;
        stmt->currentRow = 0;
    }
    cursor->lastRow = static_cast<sb4>(cursor->serverRow);
    return OCI_SUCCESS;
}

// Closes the cursor on the application's request (nrows 0).
sword CancelCursor(OCIStmt *stmt, OCIError *errhp) {
    OCICursor *cursor = stmt->cursor;
    OCIServer *server = CursorServer(cursor);
    if (ocitracing(TRACE_CURSORS) && server->conn != nullptr) {
        PQextDrain(server->conn);
        debugLogCursors(server->conn, "nrows = 0, before");
        debugLogPreparedStmts(server->conn, "nrows = 0, before");
    }
    stmt->prefetchIndex = stmt->prefetchCount;
    // A failed close leaves its records and has rolled back; the cancel
    // itself succeeds.
    if (!stmt->isRefCursor) CloseServerCursor(cursor, errhp);
    cursor->state = CURSOR_CLOSED;
    // The rows go; the columns stay described (OCIParamGet) until the next
    // execution.
    PGresult *columns = stmt->result != nullptr ? PQcopyResult(stmt->result, PG_COPYRES_ATTRS) : nullptr;
    PQclear(stmt->result);
    stmt->result = columns;
    stmt->currentRow = 0;
    if (ocitracing(TRACE_CURSORS) && server->conn != nullptr) {
        debugLogCursors(server->conn, "nrows = 0, after");
        debugLogPreparedStmts(server->conn, "nrows = 0, after");
    }
    cursor->position = 0;
    return OCI_SUCCESS;
}

// A REF CURSOR child fetches from the cursor whose name its handle holds;
// a new name (a new call) starts it afresh.
sword SetUpRefCursor(OCIStmt *stmt, OCIError *errhp) {
    if (!stmt->isRefCursor || stmt->preparedName == nullptr) return OCI_SUCCESS;
    OCICursor *cursor = stmt->cursor;
    if (cursor != nullptr && cursor->stmtName != nullptr && std::strcmp(cursor->stmtName, stmt->preparedName) == 0)
        return OCI_SUCCESS;
    OCIServer *server = nullptr;
    const sword rc = getServerHandleFromService(&server, stmt->svchp, errhp);
    if (rc != OCI_SUCCESS) return rc;
    if (cursor != nullptr) {
        o2pFree(cursor->stmtName);
        cursor->stmtName = nullptr;
    }
    prepareCursor(server, stmt, errhp);
    cursor = stmt->cursor;
    if (cursor->stmtName == nullptr) {
        cursor->stmtName = o2pStrdup(stmt->preparedName);
        if (cursor->stmtName == nullptr) throw std::bad_alloc();
    }
    cursor->server = server;
    cursor->state = CURSOR_OPEN;
    cursor->lastRow = -1;
    cursor->withHold = 0;
    cursor->scrollable = 0;
    cursor->readAhead = 0;
    cursor->txGeneration = TransactionGeneration(server->conn);
    // The description AdoptRefCursor read goes; the rows bring their own.
    PQclear(stmt->result);
    stmt->result = nullptr;
    stmt->currentRow = 0;
    stmt->executed = 1;
    return OCI_SUCCESS;
}

bool Scrolling(ub4 orientation) { return orientation != OCI_DEFAULT && orientation != OCI_FETCH_NEXT; }

bool KnownOrientation(ub4 orientation, bool withOffsets) {
    switch (orientation) {
    case OCI_DEFAULT:
    case OCI_FETCH_CURRENT:
    case OCI_FETCH_NEXT:
    case OCI_FETCH_FIRST:
    case OCI_FETCH_LAST:
    case OCI_FETCH_PRIOR: return true;
    case OCI_FETCH_ABSOLUTE:
    case OCI_FETCH_RELATIVE: return withOffsets;
    default: return false;
    }
}

sword doFetch(OCIStmt *stmt, OCIError *errhp, ub4 nrows, ub4 orientation, sb4 offset) {
    OCICursor *cursor = stmt->cursor;
    if (cursor == nullptr) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNoCursor);
        return OCI_ERROR;
    }
    if (Scrolling(orientation) && stmt->execMode != OCI_STMT_SCROLLABLE_READONLY) {
        AddErrorRecord(errhp, OCI_ERROR, kErrIllegalFetch);
        return OCI_ERROR;
    }
    OCIServer *server = CursorServer(cursor);
    if (server == nullptr) {
        AddErrorRecord(errhp, OCI_ERROR, kErrInvalidServer);
        return OCI_ERROR;
    }
    if (server->conn == nullptr || PQstatus(server->conn) != CONNECTION_OK) {
        AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
        return OCI_ERROR;
    }
    if (nrows == 0) return CancelCursor(stmt, errhp);
    if (cursor->state == CURSOR_CLOSED || CursorName(cursor) == nullptr) {
        stmt->rowsFetched = 0;
        return OCI_NO_DATA;
    }
    if (!Scrolling(orientation)) return DeliverRows(stmt, errhp, nrows);

    const long long p = cursor->position;
    long long target = 0;
    switch (orientation) {
    case OCI_FETCH_CURRENT: target = p; break;
    case OCI_FETCH_FIRST: target = 1; break;
    case OCI_FETCH_PRIOR: target = p - 1; break;
    case OCI_FETCH_ABSOLUTE: target = offset; break;
    case OCI_FETCH_RELATIVE: target = p + offset; break;
    case OCI_FETCH_LAST: {
        const sword rc = LearnLastRow(stmt, errhp);
        if (rc != OCI_SUCCESS) return rc;
        target = cursor->lastRow;
        break;
    }
    default: break;
    }
    if (target < 1 || (cursor->lastRow >= 0 && target > cursor->lastRow)) {
        stmt->rowsFetched = 0;
        return OCI_NO_DATA;
    }
    const auto t = static_cast<ub4>(target);
    cursor->state = CURSOR_OPEN;
    // The held batch covers rows first .. serverRow.
    const ub4 held = stmt->result != nullptr ? static_cast<ub4>(PQntuples(stmt->result)) : 0;
    const ub4 first = cursor->serverRow - held + 1;
    if (held > 0 && t >= first && t <= cursor->serverRow &&
        (t + nrows - 1 <= cursor->serverRow || cursor->endSeen)) {
        stmt->currentRow = t - first;
        cursor->position = t - 1;
    } else {
        const sword rc = Reposition(stmt, errhp, t, nrows);
        if (rc != OCI_SUCCESS) return rc;
    }
    sword status = DeliverRows(stmt, errhp, nrows);
    if (status == OCI_NO_DATA && orientation == OCI_FETCH_LAST && stmt->rowsFetched > 0) status = OCI_SUCCESS;
    return status;
}

bool ValidStmtCall(OCIStmt *stmtp, OCIError *errhp) {
    return HandleAs<OCIStmt>(stmtp, HANDLE_OCIStmt) != nullptr &&
           HandleAs<OCIError>(errhp, HANDLE_OCIError) != nullptr &&
           HandleAs<OCIEnv>(stmtp->parenth, HANDLE_OCIEnv) != nullptr;
}

sword CheckFetchCall(OCIStmt *stmt, OCIError *errhp, ub4 orientation, ub4 mode, bool withOffsets) {
    if (!KnownOrientation(orientation, withOffsets)) {
        AddErrorRecord(errhp, OCI_ERROR, kErrIllegalFetch);
        return OCI_ERROR;
    }
    if (mode != OCI_DEFAULT) {
        AddErrorRecord(errhp, OCI_ERROR, kErrIllegalExecMode);
        return OCI_ERROR;
    }
    if (!stmt->executed) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNotExecuted);
        return OCI_ERROR;
    }
    return OCI_SUCCESS;
}

}  // namespace

sword DeliverRows(OCIStmt *stmt, OCIError *errhp, ub4 nrows) {
    OCICursor *cursor = stmt->cursor;
    ub4 delivered = 0;
    sword status = OCI_SUCCESS;
    while (delivered < nrows) {
        const ub4 rows = stmt->result != nullptr ? static_cast<ub4>(PQntuples(stmt->result)) : 0;
        const ub4 available = rows > stmt->currentRow ? rows - stmt->currentRow : 0;
        if (available == 0) {
            if (cursor->endSeen || cursor->state != CURSOR_OPEN) break;
            const sword rc = fetchRows(stmt, errhp, std::max(nrows - delivered, stmt->prefetchRows));
            if (rc != OCI_SUCCESS) {
                stmt->rowsFetched = delivered;
                return rc;
            }
            continue;
        }
        const ub4 take = std::min(available, nrows - delivered);
        const ub4 before = stmt->currentRow;
        ub4 filled = 0;
        sword rc;
        {
            ShiftedDefines shifted(stmt->defines, delivered);
            rc = fill_define_buffers(errhp, stmt->defines, stmt->result, take, &stmt->currentRow, &filled);
        }
        // Rows are used up even when no define reads the first column.
        stmt->currentRow = before + take;
        stmt->prefetchIndex = stmt->currentRow;
        delivered += take;
        cursor->position += take;
        cursor->maxRow = std::max(cursor->maxRow, cursor->position);
        if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO && rc != OCI_NO_DATA) {
            stmt->rowsFetched = delivered;
            return rc;
        }
        if (rc == OCI_SUCCESS_WITH_INFO) status = OCI_SUCCESS_WITH_INFO;
    }
    stmt->rowsFetched = delivered;
    if (TakeNotice(errhp) && status == OCI_SUCCESS) status = OCI_SUCCESS_WITH_INFO;
    if (delivered < nrows) {
        cursor->state = CURSOR_AT_END;
        return OCI_NO_DATA;
    }
    return status;
}

OCI_EXPORT sword OCIStmtFetch(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation, ub4 mode) {
    if (!ValidStmtCall(stmtp, errhp)) return OCI_INVALID_HANDLE;
    OCIEnv *env = HandleAs<OCIEnv>(stmtp->parenth, HANDLE_OCIEnv);
    return RunEntry({"OCIStmtFetch", OCI_FNCODE_STMTFETCH}, env, errhp, [&]() -> sword {
        const sword rc = SetUpRefCursor(stmtp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        const sword checked = CheckFetchCall(stmtp, errhp, orientation, mode, false);
        if (checked != OCI_SUCCESS) return checked;
        return doFetch(stmtp, errhp, nrows, orientation, 0);
    }, OCI_ARGS(stmtp, errhp, nrows, orientation, mode));
}

OCI_EXPORT sword OCIStmtFetch2(OCIStmt *stmtp, OCIError *errhp, ub4 nrows, ub2 orientation, sb4 fetchOffset,
                               ub4 mode) {
    if (!ValidStmtCall(stmtp, errhp)) return OCI_INVALID_HANDLE;
    OCIEnv *env = HandleAs<OCIEnv>(stmtp->parenth, HANDLE_OCIEnv);
    return RunEntry({"OCIStmtFetch2", kFnCodeStmtFetch2}, env, errhp, [&]() -> sword {
        const sword rc = SetUpRefCursor(stmtp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        const sword checked = CheckFetchCall(stmtp, errhp, orientation, mode, true);
        if (checked != OCI_SUCCESS) return checked;
        return doFetch(stmtp, errhp, nrows, orientation, fetchOffset);
    }, OCI_ARGS(stmtp, errhp, nrows, orientation, fetchOffset, mode));
}

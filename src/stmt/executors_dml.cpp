// INSERT, UPDATE and DELETE: one server execution per iteration, every
// iteration in one round trip (the client layer's bulk pipeline), and the
// same bulk spread over non-blocking calls. The row-by-row executor hands
// more than one iteration to the bulk as well: the server still executes
// the statement once per iteration, but all of them in one round trip.
//
// OCI_ATTR_ROW_COUNT after any of them is the total of rows affected by all
// iterations, summed from each execution's command status; the statement
// keeps no result, so the attribute reads `rowCount`. After a failure it is
// the total of the rows affected before the failing iteration (rolled back
// with the transaction, but it tells the application where the array broke).
//
// Non-blocking servers. Every DML execution, a single row included, runs as
// a non-blocking bulk there: the first OCIStmtExecute gathers and sends all
// iterations and the sync and returns OCI_STILL_EXECUTING; each later one
// advances the pipeline without blocking and returns OCI_STILL_EXECUTING
// while the server is still answering, and the outcome (success with the
// row count, or the first failing row's error) once every answer has been
// read. No outcome is reported before it has been read. The three flags
// asyncBulkPending, asyncWaiting and asyncBulkFinishing are set together by
// the starting call and return to 0 together in the call that reports the
// outcome, so the next execution of the statement starts afresh.

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "diag/trace.h"
#include "env/memory.h"
#include "stmt/bind_define.h"
#include "stmt/executors.h"
#include "stmt/executors_support.h"
#include "stmt/pqext/pqext.h"
#include "stmt/savepoints.h"

using namespace executors;

namespace {

constexpr char kReturningRefused[] = "Support for RETURNING clause is not yet implemented";
constexpr char kFormatsDiffer[] = "bound values of one parameter differ in format between iterations";

// Rows converted before they are queued: the server starts on them while
// the next rows are converted, and memory stays bounded by this many rows
// of converted values however large the array is.
constexpr size_t kRowsPerSend = 128;

// The converted values of many iterations, owned here, in the layout of the
// bulk calls: row r's parameter k at r * paramCount + k, and one format per
// parameter (that of its first non-NULL value, so that a NULL in some row
// never decides how the other rows' values are read).
class BulkRows {
public:
    BulkRows(ub4 paramCount, int bindCount)
        : count_(paramCount), binds_(static_cast<size_t>(std::max(bindCount, 1))) {}
    ~BulkRows() { Clear(); }
    BulkRows(const BulkRows &) = delete;
    BulkRows &operator=(const BulkRows &) = delete;

    // Room for `rows` rows; false when memory runs out.
    bool Reserve(size_t rows) {
        try {
            values_.reserve(rows * count_);
            lengths_.reserve(rows * count_);
            owned_.reserve(rows * binds_);
            formats_.assign(count_, 0);
            known_.assign(count_, false);
        } catch (const std::bad_alloc &) {
            return false;
        }
        return true;
    }

    // Whether the values the binds hold now agree in format with the rows
    // gathered so far.
    bool Agrees(const OCIStmt *stmt) const {
        size_t k = 0;
        foreach_cell(cell, stmt->paramBinds) {
            if (k >= count_) break;
            const auto *b = static_cast<const OCIBind *>(cell->ptr);
            if (b != nullptr && b->pgValue != nullptr && known_[k] && formats_[k] != b->pgFormat) return false;
            ++k;
        }
        return true;
    }

    // Appends the values the binds hold now and takes them over from the
    // binds (a bind used by several parameters hands its value over once).
    // Values held in a bind's own bytes are copied (its next value
    // overwrites them); values in the application's buffers are read where
    // they lie when the rows are sent. False when memory runs out.
    bool Take(OCIStmt *stmt) {
        foreach_cell(cell, stmt->binds) {
            auto *b = static_cast<OCIBind *>(cell->ptr);
            if (b->pgValue != b->pgInline) continue;
            char *kept = Keep(b->pgInline, static_cast<size_t>(b->pgLength));
            if (kept == nullptr) return false;
            b->pgValue = kept;
        }
        size_t k = 0;
        foreach_cell(cell, stmt->paramBinds) {
            if (k >= count_) break;
            const auto *b = static_cast<const OCIBind *>(cell->ptr);
            const bool present = b != nullptr && b->pgValue != nullptr;
            values_.push_back(present ? b->pgValue : nullptr);
            lengths_.push_back(present ? b->pgLength : 0);
            if (present && !known_[k]) {
                formats_[k] = b->pgFormat;
                known_[k] = true;
            }
            ++k;
        }
        foreach_cell(cell, stmt->binds) {
            auto *b = static_cast<OCIBind *>(cell->ptr);
            if (b->pgValue == nullptr) continue;
            if (!b->pgBorrowed) owned_.push_back(b->pgValue);
            b->pgValue = nullptr;
            b->pgLength = 0;
            b->pgBorrowed = 0;
        }
        ++rows_;
        return true;
    }

    // Forgets the rows (their values are freed); the formats stay decided.
    void Clear() {
        for (char *v : owned_) o2pFree(v);
        owned_.clear();
        // The first block is kept for the next rows.
        if (blocks_.size() > 1) blocks_.resize(1);
        used_ = 0;
        values_.clear();
        lengths_.clear();
        rows_ = 0;
    }
    void ForgetFormats() {
        std::fill(formats_.begin(), formats_.end(), 0);
        std::fill(known_.begin(), known_.end(), false);
    }
    // The formats a running bulk was started with bind every later row,
    // also for parameters that have been NULL so far.
    void FixFormats() { std::fill(known_.begin(), known_.end(), true); }

    size_t Rows() const { return rows_; }
    const char *const *Values() const { return values_.empty() ? nullptr : values_.data(); }
    const int *Lengths() const { return lengths_.empty() ? nullptr : lengths_.data(); }
    const int *Formats() const { return formats_.empty() ? nullptr : formats_.data(); }

private:
    static constexpr size_t kBlockBytes = 8192;

    // A copy of a small value (at most a block) in the rows' own blocks.
    char *Keep(const char *bytes, size_t length) {
        if (length > kBlockBytes) return nullptr;
        if (blocks_.empty() || used_ + length > kBlockBytes) {
            auto *block = new (std::nothrow) char[kBlockBytes];
            if (block == nullptr) return nullptr;
            try {
                blocks_.emplace_back(block);
            } catch (const std::bad_alloc &) {
                delete[] block;
                return nullptr;
            }
            used_ = 0;
        }
        char *at = blocks_.back().get() + used_;
        std::memcpy(at, bytes, length);
        used_ += length;
        return at;
    }

    ub4 count_;
    size_t binds_;
    size_t rows_ = 0;
    std::vector<const char *> values_;
    std::vector<int> lengths_;
    std::vector<int> formats_;
    std::vector<bool> known_;
    std::vector<char *> owned_;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t used_ = 0;  // bytes used in the last block
};

ub4 Clamp(long long rows) {
    if (rows <= 0) return 0;
    return rows >= static_cast<long long>(UINT_MAX) ? UINT_MAX : static_cast<ub4>(rows);
}

// Whether the server described the prepared text as returning rows
// (INSERT ... RETURNING and the like), when it has been described.
bool DescribedAsReturningRows(const OCIStmt *stmt) {
    return stmt->paramDescription != nullptr && PQnfields(stmt->paramDescription) > 0;
}

sword MissingPreparedStatement(OCIError *errhp) {
    AddErrorRecord(errhp, OCI_ERROR, kErrNotExecuted);
    return OCI_ERROR;
}

// Judges the outcome of a bulk (released here) whose rows affected are
// `affected`: they are added to *total on success and before a failure.
sword JudgeBulk(OCIServer *server, OCIError *errhp, PGresult *res, long long affected, long long *total) {
    *total += std::max(affected, 0LL);
    sword status = OCI_SUCCESS;
    switch (PQresultStatus(res)) {
    case PGRES_COMMAND_OK:
        break;
    case PGRES_TUPLES_OK:
        status = ClientFailure(server, errhp, kReturningRefused);
        break;
    default:
        status = ServerFailure(server, errhp, res, kErrNotExecuted);
        break;
    }
    PQclear(res);
    return status;
}

// One bulk in the client layer's pipeline, fed while the rows are still
// being converted.
class StreamedBulk {
public:
    StreamedBulk(OCIServer *server, OCIStmt *stmt, OCIError *errhp) : server_(server), stmt_(stmt), errhp_(errhp) {}
    ~StreamedBulk() {
        // Only a failure on the way leaves a bulk running; it is ended and
        // its outcome dropped, the failure being reported already.
        if (running_) {
            long long ignored = 0;
            PGresult *res = End(&ignored);
            PQclear(res);
        }
    }
    StreamedBulk(const StreamedBulk &) = delete;
    StreamedBulk &operator=(const StreamedBulk &) = delete;

    // Queues the gathered rows (starting the bulk with their formats) and
    // forgets them. False when the client layer refused; Finish then tells
    // why.
    bool Send(BulkRows &rows) {
        if (rows.Rows() == 0) return true;
        PGconn *conn = server_->conn;
        if (!running_) {
            ocitrace(TRACE_EXECUTE, "ExecuteBulkInsertUpdateStmt", "stmt(%s)\n", stmt_->preparedName);
            if (PQsendBulkStart(conn, stmt_->preparedName, static_cast<int>(stmt_->paramCount), rows.Formats()) != 1) {
                rows.Clear();
                refused_ = true;
                return false;
            }
            running_ = true;
            rows.FixFormats();
        }
        const int queued = PQsendBulk(conn, static_cast<int>(rows.Rows()), rows.Values(), rows.Lengths());
        rows.Clear();
        return queued == 1;
    }

    // Ends the bulk, waits for every answer and judges the outcome; the rows
    // affected are added to *total.
    sword Finish(long long *total) {
        if (refused_) {
            refused_ = false;
            return ServerFailure(server_, errhp_, nullptr, kErrNotExecuted);
        }
        if (!running_) return OCI_SUCCESS;
        long long affected = 0;
        PGresult *res = End(&affected);
        return JudgeBulk(server_, errhp_, res, affected, total);
    }

private:
    PGresult *End(long long *affected) {
        running_ = false;
        PGconn *conn = server_->conn;
        // A bulk the client layer already ended on a failure has its outcome
        // waiting; there is nothing to finish.
        if (PQsendBulkFinish(conn) != PGRES_FATAL_ERROR) PQextBulkWait(conn);
        *affected = PQextBulkRowCount(conn);
        return PQextBulkResult(conn);
    }

    OCIServer *server_;
    OCIStmt *stmt_;
    OCIError *errhp_;
    bool running_ = false;
    bool refused_ = false;
};

void SetAsyncIdle(OCIStmt *stmt) {
    stmt->asyncBulkPending = 0;
    stmt->asyncWaiting = 0;
    stmt->asyncBulkFinishing = 0;
}

// First call of a non-blocking bulk: everything gathered, then sent with the
// sync; nothing is read here.
sword StartAsyncBulk(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    PGconn *conn = server->conn;
    if (!ParamBindsMatch(stmt)) return OCI_ERROR;
    if (stmt->preparedName == nullptr) return MissingPreparedStatement(errhp);
    ClearOCIStmtResultset(server, stmt);
    stmt->rowCount = 0;
    if (iters <= rowoff) return OCI_SUCCESS;
    if (DescribedAsReturningRows(stmt)) return ClientFailure(server, errhp, kReturningRefused);
    const size_t n = iters - rowoff;
    BulkRows rows(stmt->paramCount, list_length(stmt->binds));
    if (!rows.Reserve(n)) {
        AddErrorRecord(errhp, OCI_ERROR, kErrBulkMemory);
        return OCI_ERROR;
    }
    for (ub4 i = rowoff; i < iters; ++i) {
        const sword gathered = GetOCIBindData(stmt, errhp, i);
        if (!Succeeded(gathered)) return gathered;
        if (!rows.Agrees(stmt)) {
            release_binds_pgdata(stmt->binds);
            AddErrorRecordMsg(errhp, OCI_ERROR, kFormatsDiffer);
            return OCI_ERROR;
        }
        if (!rows.Take(stmt)) {
            release_binds_pgdata(stmt->binds);
            AddErrorRecord(errhp, OCI_ERROR, kErrBulkMemory);
            return OCI_ERROR;
        }
    }
    ocitrace(TRACE_EXECUTE, "ExecuteAsyncBulkInsertUpdateStmt", "stmt(%s) rows(%zu)\n", stmt->preparedName, n);
    // A break asked for before the bulk started was not meant for it.
    server->breakRequested = false;
    if (PQsendBulkStart(conn, stmt->preparedName, static_cast<int>(stmt->paramCount), rows.Formats()) != 1)
        return ServerFailure(server, errhp, nullptr, kErrNotExecuted);
    // A refused queue or finish ends the bulk inside the client layer; its
    // outcome (the connection's account) is collected for the record.
    if (PQsendBulk(conn, static_cast<int>(n), rows.Values(), rows.Lengths()) != 1 ||
        PQsendBulkFinish(conn) == PGRES_FATAL_ERROR) {
        PGresult *res = PQextBulkResult(conn);
        const sword status = ServerFailure(server, errhp, res, kErrNotExecuted);
        PQclear(res);
        return status;
    }
    stmt->asyncBulkPending = 1;
    stmt->asyncWaiting = 1;
    stmt->asyncBulkFinishing = 1;
    stmt->executed = 1;
    return OCI_STILL_EXECUTING;
}

// A later call: advance without blocking; the outcome once all is read.
sword ContinueAsyncBulk(OCIServer *server, OCIStmt *stmt, OCIError *errhp) {
    PGconn *conn = server->conn;
    if (PQextBulkPoll(conn) == 1) return OCI_STILL_EXECUTING;
    SetAsyncIdle(stmt);
    // A break asked for during the bulk has done its work: the server's
    // answer to the cancelled row is the outcome.
    server->breakRequested = false;
    PGresult *res = PQextBulkResult(conn);
    long long total = 0;
    const sword status = JudgeBulk(server, errhp, res, PQextBulkRowCount(conn), &total);
    stmt->rowCount = Clamp(total);
    if (status != OCI_SUCCESS) stmt->executed = 0;
    return status;
}

// The first result of one command of a sent group; the rest up to its end
// are dropped.
PGresult *ReadOne(PGconn *conn) {
    PGresult *first = nullptr;
    for (int guard = 0; guard < 64; ++guard) {
        PGresult *res = PQgetResult(conn);
        if (res == nullptr) break;
        if (first == nullptr) first = res;
        else PQclear(res);
        if (PQstatus(conn) == CONNECTION_BAD) break;
    }
    return first;
}

// One execution between the statement's savepoint (sent first when
// `takeSavepoint`, else already in place) and its release, in one round
// trip. The execution's result, or the savepoint's when that failed; null
// when the group could not be sent.
PGresult *ExecuteWithSavepoint(PGconn *conn, const OCIStmt *stmt, const ParamArrays &arrays, bool takeSavepoint) {
    if (!PQextPipelineBegin(conn)) return nullptr;
    bool sent = !takeSavepoint || SendSavepoint(conn);
    sent = sent && PQsendQueryPrepared(conn, stmt->preparedName, static_cast<int>(stmt->paramCount),
                                       arrays.Values(), arrays.Lengths(), arrays.Formats(), 0) == 1;
    sent = sent && SendSavepointRelease(conn);
    sent = sent && PQextPipelineSend(conn) == 1;
    PGresult *saved = nullptr, *res = nullptr, *released = nullptr;
    if (sent) {
        if (takeSavepoint) saved = ReadOne(conn);
        res = ReadOne(conn);
        released = ReadOne(conn);
    }
    PQextPipelineEnd(conn);
    if (takeSavepoint) NoteSavepoint(conn, saved);
    NoteSavepointRelease(conn, released);
    PQclear(released);
    if (saved != nullptr && PQresultStatus(saved) != PGRES_COMMAND_OK) {
        PQclear(res);
        return saved;
    }
    PQclear(saved);
    return res;
}

}  // namespace

sword ExecuteDMLStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    const sword checked = CheckExecutorHandles(server, stmt, errhp);
    if (checked != OCI_SUCCESS) return checked;
    if (server->nonBlocking) return ExecuteAsyncBulkInsertUpdateStmt(server, stmt, errhp, iters, rowoff);
    if (iters > rowoff && iters - rowoff > 1) return ExecuteBulkInsertUpdateStmt(server, stmt, errhp, iters, rowoff);
    if (!ParamBindsMatch(stmt)) return OCI_ERROR;
    if (stmt->preparedName == nullptr) return MissingPreparedStatement(errhp);
    ParamArrays arrays;
    if (!arrays.Reserve(stmt->paramCount)) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
        return OCI_ERROR;
    }
    PGconn *conn = server->conn;
    NoticeScope notices(conn, errhp);
    ClearOCIStmtResultset(server, stmt);
    stmt->rowCount = 0;
    long long total = 0;
    bool warned = false;  // a value was gathered with a warning
    const bool takeSavepoint = TakeSavepointRequest(conn);
    for (ub4 i = rowoff; i < iters; ++i) {
        const sword gathered = GetOCIBindData(stmt, errhp, i);
        if (!Succeeded(gathered)) return gathered;
        warned = warned || gathered == OCI_SUCCESS_WITH_INFO;
        arrays.Take(stmt->paramBinds);
        PGresult *res = takeSavepoint || SavepointArmed(conn)
                            ? ExecuteWithSavepoint(conn, stmt, arrays, takeSavepoint)
                            : PQexecPrepared(conn, stmt->preparedName, static_cast<int>(stmt->paramCount),
                                             arrays.Values(), arrays.Lengths(), arrays.Formats(), 0);
        release_binds_pgdata(stmt->binds);
        const long long affected = PQresultStatus(res) == PGRES_COMMAND_OK ? std::atoll(PQcmdTuples(res)) : 0;
        const sword status = JudgeBulk(server, errhp, res, affected, &total);
        stmt->rowCount = Clamp(total);
        if (status != OCI_SUCCESS) return status;
    }
    stmt->executed = 1;
    const sword done = WithNotices(errhp, OCI_SUCCESS);
    return warned ? OCI_SUCCESS_WITH_INFO : done;
}

sword ExecuteBulkInsertUpdateStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    const sword checked = CheckExecutorHandles(server, stmt, errhp);
    if (checked != OCI_SUCCESS) return checked;
    if (!ParamBindsMatch(stmt)) return OCI_ERROR;
    if (stmt->preparedName == nullptr) return MissingPreparedStatement(errhp);
    PGconn *conn = server->conn;
    NoticeScope notices(conn, errhp);
    ClearOCIStmtResultset(server, stmt);
    stmt->rowCount = 0;
    if (iters <= rowoff) return WithNotices(errhp, OCI_SUCCESS);
    if (DescribedAsReturningRows(stmt)) return ClientFailure(server, errhp, kReturningRefused);
    BulkRows rows(stmt->paramCount, list_length(stmt->binds));
    if (!rows.Reserve(std::min<size_t>(iters - rowoff, kRowsPerSend))) {
        AddErrorRecord(errhp, OCI_ERROR, kErrBulkMemory);
        return OCI_ERROR;
    }
    StreamedBulk bulk(server, stmt, errhp);
    long long total = 0;
    sword status = OCI_SUCCESS;
    bool warned = false;  // a value was gathered with a warning
    for (ub4 i = rowoff; i < iters && status == OCI_SUCCESS; ++i) {
        const sword gathered = GetOCIBindData(stmt, errhp, i);
        warned = warned || gathered == OCI_SUCCESS_WITH_INFO;
        if (!Succeeded(gathered)) {
            // The iterations before it are executed; a failure among them wins.
            bulk.Send(rows);
            status = bulk.Finish(&total);
            if (status == OCI_SUCCESS) status = gathered;
            break;
        }
        // Rows whose values travel in another format go in a bulk of their own.
        if (!rows.Agrees(stmt)) {
            bulk.Send(rows);
            status = bulk.Finish(&total);
            rows.ForgetFormats();
            if (status != OCI_SUCCESS) {
                release_binds_pgdata(stmt->binds);
                break;
            }
        }
        if (!rows.Take(stmt)) {
            release_binds_pgdata(stmt->binds);
            bulk.Send(rows);
            status = bulk.Finish(&total);
            if (status == OCI_SUCCESS) {
                AddErrorRecord(errhp, OCI_ERROR, kErrBulkMemory);
                status = OCI_ERROR;
            }
            break;
        }
        if (rows.Rows() == kRowsPerSend && !bulk.Send(rows)) status = bulk.Finish(&total);
    }
    if (status == OCI_SUCCESS) {
        bulk.Send(rows);
        status = bulk.Finish(&total);
    }
    stmt->rowCount = Clamp(total);
    if (status != OCI_SUCCESS) return status;
    stmt->executed = 1;
    const sword done = WithNotices(errhp, OCI_SUCCESS);
    return warned ? OCI_SUCCESS_WITH_INFO : done;
}

sword ExecuteAsyncBulkInsertUpdateStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff) {
    if (HandleAs<OCIServer>(server, HANDLE_OCIServer) == nullptr || HandleAs<OCIStmt>(stmt, HANDLE_OCIStmt) == nullptr ||
        HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    if (server->conn == nullptr) {
        // The session ended under a pending bulk: nothing is left to wait for.
        SetAsyncIdle(stmt);
        AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
        return OCI_ERROR;
    }
    NoticeScope notices(server->conn, errhp);
    const sword status = stmt->asyncBulkPending ? ContinueAsyncBulk(server, stmt, errhp)
                                                : StartAsyncBulk(server, stmt, errhp, iters, rowoff);
    return WithNotices(errhp, status);
}

// Bulk execution: one execution of a prepared statement per row, all rows in
// one pipeline with one sync, results read back row by row.
//
// The connection is non-blocking while rows are queued. When the socket will
// not take more, the server's answers so far are consumed first: the server
// stops reading while its own output is not read, so a writer that only
// writes could wait forever.
#include <cstdlib>

#include "stmt/pqext/pqext.h"
#include "stmt/pqext/pqext_conn.h"

namespace pqext {
namespace {

// How many rows are queued between two attempts to push the buffer out.
constexpr int kRowsPerFlush = 64;

// The rows a command status reports (the digits PQcmdTuples gives).
long long RowsOf(PGresult *res) {
    long long rows = 0;
    for (const char *digit = PQcmdTuples(res); *digit >= '0' && *digit <= '9'; ++digit) rows = rows * 10 + (*digit - '0');
    return rows;
}

void Absorb(PGconn *conn, BulkRun &bulk, PGresult *res) {
    res = Genuine(conn, res);
    switch (PQresultStatus(res)) {
    case PGRES_COMMAND_OK:
    case PGRES_TUPLES_OK:
        bulk.rows += RowsOf(res);
        PQclear(bulk.last);
        bulk.last = res;
        return;
    case PGRES_PIPELINE_ABORTED:
        // A row skipped after a failure.
        PQclear(res);
        return;
    default:
        if (bulk.firstError == nullptr) {
            bulk.firstError = res;
            bulk.failedRow = bulk.done;
        } else {
            PQclear(res);
        }
        return;
    }
}

// Ends the run: outcome, counters, pipeline mode and blocking mode as before.
void Complete(PGconn *conn, ConnState *st, PGresult *failure) {
    BulkRun &bulk = *st->bulk;
    PGresult *outcome = bulk.firstError;
    if (outcome == nullptr) outcome = failure;
    if (outcome == nullptr) outcome = bulk.last;
    if (outcome == nullptr) outcome = PQmakeEmptyPGresult(conn, PGRES_COMMAND_OK);
    if (outcome != bulk.firstError) PQclear(bulk.firstError);
    if (outcome != failure) PQclear(failure);
    if (outcome != bulk.last) PQclear(bulk.last);
    bulk.firstError = bulk.last = nullptr;

    PQclear(st->bulkOutcome);
    st->bulkOutcome = outcome;
    st->bulkRows = bulk.rows;
    st->bulkFailedRow = bulk.failedRow;
    if (PQpipelineStatus(conn) != PQ_PIPELINE_OFF) PQexitPipelineMode(conn);
    PQsetnonblocking(conn, bulk.wasNonblocking ? 1 : 0);
    st->bulk.reset();
    st->pipeline = Pipeline::Off;
}

bool Advance(PGconn *conn, ConnState *st);

// The run cannot go on. On a live connection the pipeline is still ended
// properly (sync, every answer read) so that the connection stays usable;
// on a broken one every answer still readable is read (the first failure may
// be among them). Either way the run ends in error.
void Fail(PGconn *conn, ConnState *st) {
    BulkRun &bulk = *st->bulk;
    if (PQstatus(conn) == CONNECTION_OK && !bulk.failing) {
        bulk.failing = true;
        if (!bulk.syncQueued && PQpipelineSync(conn) == 1) bulk.syncQueued = true;
        if (bulk.syncQueued) {
            while (Advance(conn, st)) {
                if (!WaitSocket(conn, PQflush(conn) > 0)) break;
            }
            if (!st->bulk) return;
        }
    }
    PGresult *failure = nullptr;
    for (int i = 0; i < 8; ++i) {
        PGresult *res = PQgetResult(conn);
        if (res == nullptr) break;
        if (PQresultStatus(res) == PGRES_FATAL_ERROR && failure == nullptr && bulk.firstError == nullptr) {
            failure = res;
        } else {
            PQclear(res);
        }
    }
    if (failure == nullptr && bulk.firstError == nullptr) failure = PQmakeEmptyPGresult(conn, PGRES_FATAL_ERROR);
    if (bulk.failedRow < 0) bulk.failedRow = bulk.done;
    Complete(conn, st, failure);
}

enum class Step { More, Idle, Over };

// Takes one answer PQgetResult gave: More when more are to come, Idle when
// nothing queued is answered yet, Over when the run ended.
Step Take(PGconn *conn, ConnState *st, PGresult *res) {
    BulkRun &bulk = *st->bulk;
    if (res == nullptr) {
        if (!bulk.inRow) return Step::Idle;
        bulk.inRow = false;
        ++bulk.done;
        return Step::More;
    }
    if (PQresultStatus(res) == PGRES_PIPELINE_SYNC) {
        PQclear(res);
        // A run given up on a live connection ends in error all the same.
        Complete(conn, st, bulk.failing ? PQmakeEmptyPGresult(conn, PGRES_FATAL_ERROR) : nullptr);
        return Step::Over;
    }
    if (PQstatus(conn) == CONNECTION_BAD) {
        Absorb(conn, bulk, res);
        Fail(conn, st);
        return Step::Over;
    }
    bulk.inRow = true;
    Absorb(conn, bulk, res);
    return Step::More;
}

// Reads whatever answers have arrived, without blocking. True while the run
// goes on; false once it has completed (or failed).
bool Advance(PGconn *conn, ConnState *st) {
    if (PQflush(conn) < 0 || !PQconsumeInput(conn)) {
        Fail(conn, st);
        return false;
    }
    while (!PQisBusy(conn)) {
        const Step step = Take(conn, st, PQgetResult(conn));
        if (step == Step::Over) return false;
        if (step == Step::Idle) break;
    }
    if (PQstatus(conn) == CONNECTION_BAD) {
        Fail(conn, st);
        return false;
    }
    return true;
}

// Reads the answers of a run whose end is queued until it completes. With
// the whole run sent, answers are read as they come (PQgetResult sends what
// is left and waits), without polling between them.
void WaitForEnd(PGconn *conn, ConnState *st) {
    while (st->bulk) {
        const Step step = Take(conn, st, PQgetResult(conn));
        if (step == Step::Over) return;
        if (step == Step::Idle) {
            if (!Advance(conn, st)) return;
            if (!WaitSocket(conn, PQflush(conn) > 0)) {
                Fail(conn, st);
                return;
            }
        }
    }
}

bool Start(PGconn *conn, ConnState *st, const char *stmtName, int nParams, const int *paramFormats) {
    if (stmtName == nullptr || nParams < 0 || !Settle(conn, st, false) || PQstatus(conn) != CONNECTION_OK) {
        return false;
    }
    auto bulk = std::make_unique<BulkRun>();
    bulk->stmtName = stmtName;
    bulk->nParams = nParams;
    bulk->hasFormats = paramFormats != nullptr;
    if (paramFormats != nullptr) bulk->formats.assign(paramFormats, paramFormats + nParams);
    bulk->wasNonblocking = PQisnonblocking(conn) != 0;
    if (PQsetnonblocking(conn, 1) != 0) return false;
    if (!PQenterPipelineMode(conn)) {
        PQsetnonblocking(conn, bulk->wasNonblocking ? 1 : 0);
        return false;
    }
    PQclear(st->bulkOutcome);
    st->bulkOutcome = nullptr;
    st->bulk = std::move(bulk);
    st->pipeline = Pipeline::Bulk;
    return true;
}

// Queues rows; with `mayWait` it waits on the socket whenever it is full.
bool Queue(PGconn *conn, ConnState *st, int nRows, const char *const *paramValues, const int *paramLengths,
           bool mayWait) {
    BulkRun &bulk = *st->bulk;
    if (nRows < 0 || (nRows > 0 && bulk.nParams > 0 && paramValues == nullptr)) return false;
    const int *formats = bulk.hasFormats ? bulk.formats.data() : nullptr;
    for (int row = 0; row < nRows; ++row) {
        const size_t base = static_cast<size_t>(row) * static_cast<size_t>(bulk.nParams);
        if (!PQsendQueryPrepared(conn, bulk.stmtName.c_str(), bulk.nParams,
                                 bulk.nParams > 0 ? paramValues + base : nullptr,
                                 paramLengths != nullptr ? paramLengths + base : nullptr, formats, 0)) {
            return false;
        }
        ++bulk.sent;
        if ((row + 1) % kRowsPerFlush != 0) continue;
        int pending = PQflush(conn);
        while (pending > 0) {
            // The socket is full: read what the server has answered so far.
            if (!Advance(conn, st)) return false;
            if (!mayWait) break;
            if (!WaitSocket(conn, true)) return false;
            pending = PQflush(conn);
        }
        if (pending < 0) return false;
    }
    return PQflush(conn) >= 0;
}

bool Finish(PGconn *conn, ConnState *st) {
    if (PQpipelineSync(conn) != 1) return false;
    st->bulk->syncQueued = true;
    return PQflush(conn) >= 0;
}

}  // namespace
}  // namespace pqext

using namespace pqext;

PGresult *PQexecBulkPrepared(PGconn *conn, const char *stmtName, int nParams, int nRows,
                             const char *const *paramValues, const int *paramLengths, const int *paramFormats) {
    return Guarded(static_cast<PGresult *>(nullptr), [&]() -> PGresult * {
        ConnState *st = State(conn);
        if (st == nullptr) return nullptr;
        if (!Start(conn, st, stmtName, nParams, paramFormats)) return PQmakeEmptyPGresult(conn, PGRES_FATAL_ERROR);
        if (st->bulk && (!Queue(conn, st, nRows, paramValues, paramLengths, true) || !Finish(conn, st))) {
            if (st->bulk) Fail(conn, st);
        }
        WaitForEnd(conn, st);
        PGresult *outcome = st->bulkOutcome;
        st->bulkOutcome = nullptr;
        return outcome;
    });
}

int PQsendBulkStart(PGconn *conn, const char *stmtName, int nParams, const int *paramFormats) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        return st != nullptr && Start(conn, st, stmtName, nParams, paramFormats) ? 1 : 0;
    });
}

int PQsendBulk(PGconn *conn, int nRows, const char *const *paramValues, const int *paramLengths) {
    return Guarded(0, [&] {
        ConnState *st = ExistingState(conn);
        if (st == nullptr || !st->bulk || st->bulk->syncQueued) return 0;
        if (!Queue(conn, st, nRows, paramValues, paramLengths, false)) {
            if (st->bulk) Fail(conn, st);
            return 0;
        }
        return 1;
    });
}

int PQsendBulkFinish(PGconn *conn) {
    return Guarded(static_cast<int>(PGRES_FATAL_ERROR), [&] {
        ConnState *st = ExistingState(conn);
        if (st == nullptr || !st->bulk || st->bulk->syncQueued) return static_cast<int>(PGRES_FATAL_ERROR);
        if (!Finish(conn, st)) {
            Fail(conn, st);
            return static_cast<int>(PGRES_FATAL_ERROR);
        }
        return static_cast<int>(PGRES_COMMAND_OK);
    });
}

int PQextBulkWait(PGconn *conn) {
    return Guarded(0, [&] {
        ConnState *st = ExistingState(conn);
        if (st == nullptr || !st->bulk || !st->bulk->syncQueued) return 0;
        WaitForEnd(conn, st);
        return 1;
    });
}

int PQextBulkPoll(PGconn *conn) {
    return Guarded(0, [&] {
        ConnState *st = ExistingState(conn);
        if (st == nullptr || !st->bulk) return 0;
        return Advance(conn, st) ? 1 : 0;
    });
}

PGresult *PQextBulkResult(PGconn *conn) {
    ConnState *st = ExistingState(conn);
    if (st == nullptr) return nullptr;
    PGresult *outcome = st->bulkOutcome;
    st->bulkOutcome = nullptr;
    return outcome;
}

long long PQextBulkRowCount(PGconn *conn) {
    ConnState *st = ExistingState(conn);
    return st == nullptr ? -1 : st->bulkRows;
}

long PQextBulkFailedRow(PGconn *conn) {
    ConnState *st = ExistingState(conn);
    return st == nullptr ? -1 : st->bulkFailedRow;
}

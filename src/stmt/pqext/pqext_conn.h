// The module's record of one connection and the helpers the operation files
// share: finding the record, quoting names, settling the connection before a
// command is sent, and waiting on the socket.
#pragma once
#include <libpq-fe.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace pqext {

// Where one parameter of the server statement takes its value from.
struct ServerParam {
    int callerIndex = -1;  // index into the caller's values, -1: none
    bool alwaysNull = false;  // a procedure's OUT argument: passed as NULL
};

// How the out result of a callable statement is made from the call's result.
struct OutShape {
    int nParams = 0;                 // caller's parameters = out result columns
    std::vector<int> column;         // per parameter: server result column, -1
    std::vector<std::string> names;  // column names of the out result
    std::vector<Oid> types;          // declared types (for parameters not filled)
};

// A prepared statement as the module knows it.
struct Statement {
    std::string text;              // the text the server prepared
    std::vector<Oid> types;        // its parameter types
    bool mapped = false;           // callable: caller values go through `params`
    std::vector<ServerParam> params;
    std::shared_ptr<const OutShape> out;  // callable statements only
    std::vector<int> modes;        // callable: per caller parameter 1 IN, 2 OUT, 3 IN OUT
};

// A cursor under read-ahead.
struct ReadAhead {
    int rows = 0;       // FETCH FORWARD count
    int depth = 0;      // batches to keep fetched or in flight
    int inFlight = 0;   // FETCHes sent and not yet read
    bool ended = false; // a short batch or a failure was seen: send no more
    std::deque<PGresult *> kept;
};

// Who has the connection in pipeline mode.
enum class Pipeline { Off, ReadAhead, Group, Bulk };

struct BulkRun {
    std::string stmtName;
    int nParams = 0;
    std::vector<int> formats;
    bool hasFormats = false;
    bool wasNonblocking = false;
    long sent = 0;          // executions queued
    long done = 0;          // executions whose results were read completely
    bool inRow = false;     // a row's result was read, its terminating null not yet
    bool syncQueued = false;
    bool failing = false;   // given up: reading up to the sync, then failing
    long long rows = 0;
    long failedRow = -1;
    PGresult *firstError = nullptr;
    PGresult *last = nullptr;
};

struct ConnState {
    std::map<std::string, std::shared_ptr<Statement>> statements;
    int cursorOptions = 0;
    std::map<std::string, int> portalFormats;  // result format of cursors bound with 1

    Pipeline pipeline = Pipeline::Off;
    bool pipelineAborted = false;         // an error in flight: sync before sending more
    std::map<std::string, ReadAhead> readAhead;
    std::deque<std::string> inFlight;     // cursor of each FETCH in flight, in order
                                          // ("" for a CLOSE sent ahead)
    int syncsInFlight = 0;                // syncs sent ahead, their results unread
    bool unsynced = false;                // commands sent after the last sync
    int groupSyncs = 0;                   // syncs sent in a command group

    std::unique_ptr<BulkRun> bulk;
    PGresult *bulkOutcome = nullptr;
    long long bulkRows = -1;
    long bulkFailedRow = -1;

    std::shared_ptr<const OutShape> pendingOut;  // set between a call's send and its result
    std::deque<PGresult *> outResults;

    unsigned long long txGeneration = 1;
    std::unique_ptr<PQextCompanion> companions[PQEXT_COMPANION_KINDS];

    ~ConnState();
    void Clear();
};

// The connection's record, created (and the event procedure registered) on
// first use; null when memory runs out or conn is null.
ConnState *State(PGconn *conn);
// The record when one exists.
ConnState *ExistingState(PGconn *conn);

// Makes the connection a plain connection again before a command is sent:
// read-ahead results in flight are read and kept and pipeline mode is left.
// False while a bulk or command group holds the connection, or when it failed.
// Inside a command group `allowGroup` makes it succeed without doing anything.
bool Settle(PGconn *conn, ConnState *st, bool allowGroup);

// "name" as a quoted identifier, or an empty string when escaping failed.
std::string QuoteIdent(PGconn *conn, const char *name);

// Blocks until the socket is readable (or writable too when `write`).
// False when the connection has no socket or poll failed.
bool WaitSocket(PGconn *conn, bool write);

// Reads the rest of the results of a pipeline up to the sync and leaves
// pipeline mode; false when the connection failed on the way.
bool FinishPipeline(PGconn *conn, int syncs);

// Runs `fn` and turns a C++ exception (out of memory) into `failure`.
template <class R, class Fn> R Guarded(R failure, Fn &&fn) noexcept {
    try {
        return fn();
    } catch (...) {
        return failure;
    }
}

// `res` itself, or a failed result carrying the connection's message in place
// of a "completed" result without a command tag, which libpq can produce for a
// pipelined command when the server went away under it.
PGresult *Genuine(PGconn *conn, PGresult *res);

// Read-ahead bookkeeping used when the connection is settled.
void ReadOneInFlight(PGconn *conn, ConnState *st);
// Releases a read-ahead record's kept results.
void DropReadAhead(ReadAhead &ra);

// Called from the event procedure with the result of a call sent by
// PQsendQueryPreparedOut: queues its out result.
void QueueOutResult(ConnState *st, const OutShape &shape, const PGresult *callResult);

// The statement the module knows under `name`, looking it up in
// pg_prepared_statements when it does not (not inside a pipeline).
std::shared_ptr<Statement> FindStatement(PGconn *conn, ConnState *st, const char *name);

}  // namespace pqext

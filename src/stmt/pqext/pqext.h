// Extended client operations on top of stock libpq: cursors as portals,
// bulk execution, OUT parameters, read-ahead fetching and one-round-trip
// command groups. Everything here is carried out with public libpq calls.
//
// How each operation maps onto libpq
//
// * Per-connection state. A libpq event procedure is registered on a
//   connection the first time any call here touches it; the module's record
//   for the connection is that procedure's instance data (PQinstanceData), so
//   it is found by the PGconn* without a global table or lock, and different
//   connections may be used from different threads at once. The record goes
//   away with the connection (PGEVT_CONNDESTROY from PQfinish) and is emptied
//   by PQreset (PGEVT_CONNRESET); PQextForget empties it on request.
//
// * Statements. The record keeps, per prepared-statement name, the text and
//   parameter types the statement was prepared with (PQextPrepare,
//   PQextSendPrepare, PQextRememberStatement, PQprepareOut). A name the
//   record does not know is looked up once in pg_prepared_statements.
//
// * Portals are SQL cursors. PQsendBindPrepared sends
//   DECLARE "portal" [NO] SCROLL CURSOR [WITH HOLD] FOR <statement text>
//   with the bound values as parameters; PQsendFetchPrepared sends
//   FETCH FORWARD n FROM "portal", PQsendClosePortal CLOSE "portal". Names
//   are always quoted with PQescapeIdentifier; values always travel as
//   parameters. Each send yields one result, then null (the stock reading
//   pattern). Cursor options (SCROLL, WITH HOLD) are set for the next bind
//   with PQextSetCursorOptions.
//
// * Read-ahead. PQextFetchAhead puts the connection into pipeline mode and
//   keeps `depth` FETCHes in flight for a cursor (each followed by a flush
//   request); PQextFetchNext hands out the next batch and sends one more
//   FETCH before returning it, so the server produces batch k+1 while the
//   caller converts batch k. Results in flight are "drained and kept": any
//   call of this module that sends a command, and PQextDrain, first reads
//   every FETCH in flight into the cursor's queue, ends the pipeline with a
//   sync and leaves pipeline mode, so the connection is a plain connection
//   again. At most `depth` batches are held per cursor. A caller that sends
//   commands with stock libpq calls must call PQextDrain first.
//
// * Command groups. PQextPipelineBegin / PQextPipelineSend /
//   PQextPipelineEnd wrap libpq pipeline mode: the commands sent in between
//   (stock sends and the sends of this module) go out together with one sync
//   and their results are read in order, each command's results followed by
//   a null. A group such as BEGIN, CLOSE of the previous cursor, DECLARE and
//   the first FETCH therefore costs one round trip.
//
// * Bulk execution is pipeline mode over a prepared statement: one
//   execution per row, one sync at the end, so all rows travel in one round
//   trip. The connection is non-blocking while the rows are queued and
//   server output is consumed whenever the socket would block, so a large
//   bulk cannot deadlock on full socket buffers. Every row's result is read:
//   the rows affected are summed from each command status and the first
//   failing row's result (with its SQLSTATE) is the outcome. After an error
//   the server skips the remaining rows up to the sync. The non-blocking
//   trio (PQsendBulkStart, PQsendBulk, PQsendBulkFinish) drives the same
//   pipeline with PQsetnonblocking, PQflush, PQconsumeInput and PQisBusy;
//   PQextBulkPoll advances it and reports completion.
//
// * OUT parameters. PQprepareOut takes a callable text CALL name(args) (as
//   the callable-block parser writes it, placeholders already numbered),
//   looks the routine up in pg_proc with bound parameters (name and schema
//   are never pasted into SQL; of several routines of that name, the one
//   whose arguments take the call's count, then whose argument types fit the
//   parameter types best; PQextCallModes tells its argument modes) and
//   prepares, with the routine's own name
//   quoted: CALL schema.name(args) for a procedure (OUT arguments are passed,
//   as PostgreSQL 14 and later require, and always as NULL), SELECT
//   schema.name(args) for a function without OUT arguments, and SELECT * FROM
//   schema.name(args) without the OUT arguments for a function with them.
//   Parameters that no longer appear are dropped and the rest renumbered;
//   PQsendQueryPreparedOut maps the caller's values onto them. The call's
//   result is read with the stock PQgetResult (a function's value is row 0,
//   column 0; a procedure returns its OUT and IN OUT values as one row). While
//   PQgetResult creates that result the event procedure builds the out result
//   with PQmakeEmptyPGresult, PQsetResultAttrs and PQsetvalue: row 0, one
//   column per parameter in parameter order, OUT and IN OUT values copied from
//   the server's columns, IN parameters NULL. PQgetOutResult hands it over.
//
// Results returned are the caller's to PQclear. Calls never free what they
// are given. The names are C++ functions of this library only (hidden
// symbols); stock libpq 15 exports none of them. (libpq 17 declares a
// PQsendClosePortal of its own, for the protocol's Close message: a build
// against those headers has to rename this one.)
#pragma once
#include <libpq-fe.h>

#if defined(_WIN32)
#define PQEXT_API  // a DLL exports nothing it is not asked to
#else
#define PQEXT_API __attribute__((visibility("hidden")))
#endif

// ---- The extended entry points -------------------------------------------

// Prepares a callable text (see above) under `stmtName`; `paramModes` per
// parameter: 1 IN, 2 OUT, 3 IN OUT (the catalogue's modes take precedence).
// Any other text is prepared as it is. Returns the PQprepare result
// (command-complete when prepared), or the routine lookup's failed result;
// null only when memory runs out.
PQEXT_API PGresult *PQprepareOut(PGconn *conn, const char *stmtName, const char *query, int nParams,
                                 const Oid *paramTypes, const int *paramModes);
// Non-blocking form: the routine lookup is synchronous, the preparation is
// sent with PQsendPrepare and its result left for the caller. 1 when sent.
PQEXT_API int PQsendPrepareOut(PGconn *conn, const char *stmtName, const char *query, int nParams,
                               const Oid *paramTypes, const int *paramModes);
// Sends an execution of a statement prepared with PQprepareOut. 1 when sent;
// then PQgetResult gives the call's result (and null), PQgetOutResult the
// OUT values. Not available inside a command group.
PQEXT_API int PQsendQueryPreparedOut(PGconn *conn, const char *stmtName, int nParams, const char *const *paramValues,
                                     const int *paramLengths, const int *paramFormats, int resultFormat);
// The next out result (row 0, one column per parameter), or null when none
// is left. One is made for every successful call with parameters.
PQEXT_API PGresult *PQgetOutResult(PGconn *conn);
// The modes of the arguments the parameters of a statement prepared with
// PQprepareOut stand for, in the routine it chose (by the parameters' count
// and types): 1 IN, 2 OUT, 3 IN OUT per parameter. 1 when the statement is a
// routine call the module prepared with `nParams` parameters, else 0.
PQEXT_API int PQextCallModes(PGconn *conn, const char *stmtName, int nParams, int *modes);

// DECLAREs the cursor `portalName` over the statement's text with the bound
// values. 1 when sent; then one command-complete result and no other. The
// cursor stays open until closed (and, without WITH HOLD, until the
// transaction ends).
PQEXT_API int PQsendBindPrepared(PGconn *conn, const char *portalName, const char *stmtName, int nParams,
                                 const char *const *paramValues, const int *paramLengths, const int *paramFormats,
                                 int resultFormat);
// FETCH FORWARD nRows from the cursor. 1 when sent; then one result with up
// to nRows next rows (none at the end) and no other. 0 for a negative count
// and for a cursor whose read-ahead still holds rows (PQextFetchNext them or
// PQextFetchStop first).
PQEXT_API int PQsendFetchPrepared(PGconn *conn, const char *portalName, int nRows);
// CLOSE of the cursor (dropping any read-ahead for it). 1 when sent; then one
// command-complete result and no other.
PQEXT_API int PQsendClosePortal(PGconn *conn, const char *portalName);

// Executes the prepared statement once per row in one pipeline. Values and
// lengths hold nRows * nParams entries, row after row (lengths may be null
// when no value is binary); formats one entry per parameter (null: all text).
// Returns the last row's command-complete result when every row ran, else
// the first failing row's result (its message and SQLSTATE are in the
// result; the connection's own message does not survive the pipeline); a
// connection that cannot start a bulk gives a failed result. Null only when
// memory runs out. See PQextBulkRowCount.
PQEXT_API PGresult *PQexecBulkPrepared(PGconn *conn, const char *stmtName, int nParams, int nRows,
                                       const char *const *paramValues, const int *paramLengths,
                                       const int *paramFormats);
// Starts a non-blocking bulk execution: the connection becomes non-blocking
// and enters pipeline mode. 1 when started.
PQEXT_API int PQsendBulkStart(PGconn *conn, const char *stmtName, int nParams, const int *paramFormats);
// Queues nRows more rows (arrays as for PQexecBulkPrepared) and sends what the
// socket takes without blocking. 1 when the rows were queued.
PQEXT_API int PQsendBulk(PGconn *conn, int nRows, const char *const *paramValues, const int *paramLengths);
// Queues the end of the bulk (the sync). PGRES_FATAL_ERROR (7) on failure,
// PGRES_COMMAND_OK otherwise. Completion is then polled with PQextBulkPoll,
// which drives PQflush, PQconsumeInput, PQisBusy and PQgetResult; the
// per-row results are the module's and must not be read with PQgetResult.
PQEXT_API int PQsendBulkFinish(PGconn *conn);

// ---- Calls the table above cannot express --------------------------------

enum {
    PQEXT_CURSOR_SCROLL = 1,  // DECLARE ... SCROLL (MOVE may go backwards)
    PQEXT_CURSOR_HOLD = 2,    // DECLARE ... WITH HOLD (survives COMMIT)
};
// Options for the next PQsendBindPrepared on this connection only; that bind
// resets them to 0 (NO SCROLL, WITHOUT HOLD).
PQEXT_API void PQextSetCursorOptions(PGconn *conn, int options);

// PQprepare / PQsendPrepare that also remember the text and types for binds.
PQEXT_API PGresult *PQextPrepare(PGconn *conn, const char *stmtName, const char *query, int nParams,
                                 const Oid *paramTypes);
PQEXT_API int PQextSendPrepare(PGconn *conn, const char *stmtName, const char *query, int nParams,
                               const Oid *paramTypes);
// Records a statement prepared elsewhere; sends nothing. 1 when recorded.
PQEXT_API int PQextRememberStatement(PGconn *conn, const char *stmtName, const char *query, int nParams,
                                     const Oid *paramTypes);
// Forgets what the module knows of a prepared statement (after DEALLOCATE).
PQEXT_API void PQextForgetStatement(PGconn *conn, const char *stmtName);

// Rows affected by the last bulk execution on the connection, summed over the
// rows' command statuses (rows after a failure count nothing); -1 when no
// bulk ran. The 0-based index of its first failing row, or -1.
PQEXT_API long long PQextBulkRowCount(PGconn *conn);
PQEXT_API long PQextBulkFailedRow(PGconn *conn);
// Advances a non-blocking bulk without blocking: 1 while it still runs (wait
// for the socket: readable, and writable when PQflush would report pending
// output), 0 when it is over or none runs. Once over, the connection is out
// of pipeline mode, in its earlier blocking mode, and PQextBulkResult holds the
// outcome (as PQexecBulkPrepared's result; the caller takes it; null once
// taken).
PQEXT_API int PQextBulkPoll(PGconn *conn);
// Completes a bulk whose end is queued (PQsendBulkFinish), blocking until
// every answer is read; PQextBulkResult then holds the outcome. 1 when a run
// was completed, 0 when none was waiting for its answers.
PQEXT_API int PQextBulkWait(PGconn *conn);
PQEXT_API PGresult *PQextBulkResult(PGconn *conn);

// Read-ahead over the cursor `portalName`: keeps `depth` (1-16; 0 picks 2)
// FETCH FORWARD nRows in flight. 1 when started; 0 when the connection is
// busy with something else (results left unread, a bulk, a command group).
PQEXT_API int PQextFetchAhead(PGconn *conn, const char *portalName, int nRows, int depth);
// The next batch of rows of a cursor under read-ahead, in order, each row
// exactly once: a tuples result with up to nRows rows (an empty one at the
// end), or the failed result of its FETCH. Null for a cursor that is not
// under read-ahead or when memory runs out.
PQEXT_API PGresult *PQextFetchNext(PGconn *conn, const char *portalName);
// Ends read-ahead over the cursor. Returns how many rows were fetched from
// the server but not handed out (the server cursor is that far ahead of the
// caller), or -1 when the cursor was not under read-ahead.
PQEXT_API long PQextFetchStop(PGconn *conn, const char *portalName);
// Closes the cursor without waiting for the answer: CLOSE (dropping any
// read-ahead for it) goes out in pipeline mode followed by a sync, and its
// result is read and dropped when the connection is next settled (any
// command this module sends, PQextDrain). Only for a cursor known to exist:
// a CLOSE that failed would abort the transaction block with nobody told.
// 1 when sent; 0 when the connection cannot take it now (a bulk, a command
// group, results left unread, a non-blocking connection): close it the
// usual way then.
PQEXT_API int PQextCloseAhead(PGconn *conn, const char *portalName);
// Reads every FETCH in flight into its cursor's queue and leaves pipeline
// mode. Call before sending anything with stock libpq while read-ahead is
// active. 1 when the connection is free for other commands; 0 while a bulk
// or a command group holds it, or when the connection failed.
PQEXT_API int PQextDrain(PGconn *conn);

// Command groups. Begin: drains, enters pipeline mode (1 when entered).
// Send: ends the group sent so far with a sync and flushes it (1 when sent);
// results are then read in order with PQgetResult. End: reads and discards
// what is left up to the last sync and leaves pipeline mode (1 when the
// connection is back in normal mode).
PQEXT_API int PQextPipelineBegin(PGconn *conn);
PQEXT_API int PQextPipelineSend(PGconn *conn);
PQEXT_API int PQextPipelineEnd(PGconn *conn);

// Forgets everything the module holds for the connection (results kept are
// released). Closing the connection with PQfinish does this by itself.
PQEXT_API void PQextForget(PGconn *conn);

// Transaction blocks seen on the connection: the count grows with every
// BEGIN / START TRANSACTION result and every reset, so something tied to one
// block can tell whether that block is still the one open. Counting starts
// at 1 when the module first touches the connection (this call does);
// 0 when memory runs out.
PQEXT_API unsigned long long PQextTransactionGeneration(PGconn *conn);

// Other modules' records for a connection live in this module's record, so
// that one event procedure serves the connection (libpq copies and calls
// every registered procedure for every result). A companion is reset with
// the connection (PQreset) and freed with it.
struct PQextCompanion {
    virtual ~PQextCompanion() = default;
    virtual void Reset() = 0;
};
enum PQextCompanionKind { PQEXT_COMPANION_SAVEPOINTS, PQEXT_COMPANION_KINDS };
// The connection's companion of that kind, made with `make` (which returns
// a new object or null) the first time; null when memory runs out.
PQEXT_API PQextCompanion *PQextCompanionOf(PGconn *conn, PQextCompanionKind kind, PQextCompanion *(*make)());
// The companion when one exists.
PQEXT_API PQextCompanion *PQextExistingCompanion(PGconn *conn, PQextCompanionKind kind);

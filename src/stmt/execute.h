// Execution of prepared statements and the server cursors queries read from:
// the helpers OCIStmtExecute, the executors and the fetch calls share.
#pragma once
#include <libpq-fe.h>

#include "conn/conn_handles.h"
#include "stmt/stmt_handles.h"

// Error numbers of execution and fetching.
constexpr sb4 kErrNoCursor = 1001;
constexpr sb4 kErrFetchOutOfSequence = 1002;
constexpr sb4 kErrExactFetch = 1422;
constexpr sb4 kErrIllegalExecMode = 24300;
constexpr sb4 kErrNoBindMatches = 24305;
constexpr sb4 kErrInvalidServer = 24324;
constexpr sb4 kErrZeroIterations = 24333;
constexpr sb4 kErrUnprepared = 24337;
constexpr sb4 kErrNotExecuted = 24338;
constexpr sb4 kErrIllegalFetch = 24391;

// "prefix" followed by n as eight lower-case hex digits; a new heap string
// (o2pFree), null when memory runs out.
char *makeUniqueName(const char *prefix, ub4 n);
// The next numbers of the process-wide name counters.
ub4 NextPreparedStmtNumber();
ub4 NextPortalNumber();

// The routine name the argument-mode lookup binds: `procName` lower-cased,
// without a schema or package prefix. A new heap string, or null.
char *ConstructQuery(const char *procName);

// Installs the notice processor that turns server notices into warning
// records on `errhp` for as long as it lives, restoring the previous one.
class NoticeScope {
public:
    NoticeScope(PGconn *conn, OCIError *errhp);
    ~NoticeScope();
    NoticeScope(const NoticeScope &) = delete;
    NoticeScope &operator=(const NoticeScope &) = delete;

private:
    PGconn *conn_;
    PQnoticeProcessor previous_;
    void *previousArg_;
};

// Whether a notice arrived since the flag was last taken; clears it.
bool TakeNotice(OCIError *errhp);

// PQexec of `sql` under the notice processor, after settling the client
// layer. The result is the caller's.
PGresult *execSimpleCommand(PGconn *connection, const char *sql, OCIError *errhp);

// Releases the statement's results and every result still pending on its
// connection; both result fields end null.
void ClearOCIStmtResultset(OCIServer *server, OCIStmt *stmt);
// Drops the statement's result and out result and rewinds its row counters.
void ResetStatementResults(OCIStmt *stmt);

// Creates the statement's cursor record, or closes the cursor an existing
// one holds; the positions start again at 0.
sword prepareCursor(OCIServer *server, OCIStmt *stmt, OCIError *errhp);

// The number of the transaction block the connection is in, as far as this
// library has watched it: it changes with every BEGIN the connection runs.
unsigned long long TransactionGeneration(PGconn *conn);
// Starts watching a connection's transaction blocks (once per connection).
void WatchTransactions(PGconn *conn);
// Whether the server still has the cursor the record names.
bool CursorStillOpen(const OCICursor *cursor);
// Closes the record's server cursor when the server still has it and
// forgets its name; the record becomes closed.
sword CloseServerCursor(OCICursor *cursor, OCIError *errhp);
// Once every row of a forward-only cursor is on the client, the server
// cursor goes (its CLOSE sent without waiting for the answer), so it holds
// no lock past the last batch; the rows held are still delivered. Anything
// else keeps its cursor (scrollable ones move back, REF CURSORs are the
// server's); read-ahead for it stops.
void ReleaseFinishedCursor(OCIStmt *stmt);

// A failure the client library made up itself ("server closed the
// connection unexpectedly") may come before it marks the connection bad: a
// failed send is reported so at once, while the rest of the server's answer
// and the end of the stream still wait in the socket. Reading what the
// socket already holds, without waiting, settles which it is.
void ReadPendingInput(PGconn *conn);

// Opens the query of `stmt`: prepares its text on the server when needed,
// begins the transaction, closes the previous cursor, declares the new one
// and reads its first batch, in one round trip. With `describeOnly` only
// the description of the prepared text is read (into `result`).
sword OpenQuery(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff, bool describeOnly);

// Delivers up to `nrows` next rows into the defines, from the buffered
// batch and further FETCHes; advances position and row count per row.
// OCI_NO_DATA when fewer rows than asked were delivered.
sword DeliverRows(OCIStmt *stmt, OCIError *errhp, ub4 nrows);

// After the first rows of an OCI_EXACT_FETCH execution: rows left in the
// held batch mean the query returned more than asked, error 1422 (the batch
// is dropped). `status` is what delivering the rows returned.
sword CheckExactFetch(OCIStmt *stmt, OCIError *errhp, sword status);

// The class dispatcher, after preparation.
sword ExecuteOCIStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff);

// Adds the server's error for a failed `result` (or the connection's
// message when there is none) and rolls the transaction back.
void FailOnServer(OCIServer *server, OCIError *errhp, const PGresult *result);

// Declares the parameters of `sql` that carry text binds (varchar, char or
// text types) without a type, so that the server types them by their place;
// where the place gives no type (":p IS NULL") the declared type stays.
void LetServerTypeTextParameters(const char *sql, Oid *types, ub4 count);

// After a preparation the server refused because no function or operator
// takes numeric where a number is bound (substr(:s, :p) wants an integer):
// the statement's number binds are switched to text, which the server reads
// as whatever their places need, as Oracle converts a NUMBER bind. True when
// the caller should prepare again: something was switched and nothing of
// the transaction is lost by going on (no block was open, or the statement's
// savepoint undid the failure). Tried once per prepared text.
bool RetypeNumberBinds(OCIServer *server, OCIStmt *stmt, const PGresult *failure);

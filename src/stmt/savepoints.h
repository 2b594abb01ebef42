// Statement-level atomicity: Oracle's rule that a failed statement undoes
// only its own work and the transaction goes on, carried out on a stock
// server with a savepoint around each statement that runs inside a
// transaction block.
//
// The savepoint costs no round trip of its own where the statement is sent
// as a command group (opening a query, a single-row DML execution): it
// travels first in the group and its release last. Elsewhere (array DML,
// callable blocks, texts run as they are, a statement's first preparation)
// it is taken and released in trips of their own. On failure one trip rolls
// back to it and releases it.
#pragma once
#include <libpq-fe.h>

#include "conn/conn_handles.h"

// Whether a failed statement on `server` undoes only its own work: the
// Oracle-compatible mode, or private attribute 5000 on the server handle.
// The one place that decides it.
bool StatementAtomicity(const OCIServer *server);

// Whether a statement about to run needs a savepoint: atomicity is on and
// the connection is inside a transaction block (one the statement begins
// itself holds nothing to keep). Settles the connection first.
bool SavepointNeeded(const OCIServer *server);

// Command groups: queue the savepoint (first) and its release (last), then
// record the answers the group's owner read for them.
bool SendSavepoint(PGconn *conn);
bool SendSavepointRelease(PGconn *conn);
void NoteSavepoint(PGconn *conn, const PGresult *answer);
void NoteSavepointRelease(PGconn *conn, const PGresult *answer);

// The savepoint in a round trip of its own; false when the server refused.
bool TakeSavepoint(OCIServer *server);
// Whether the connection's statement savepoint is in place.
bool SavepointArmed(PGconn *conn);
// Marks that the statement's executor sends the savepoint in its group
// (TakeSavepointRequest answers once).
void RequestSavepoint(PGconn *conn);
bool TakeSavepointRequest(PGconn *conn);

// After the statement: a savepoint still in place is released (a
// transaction that failed under it is rolled back to it first); a pending
// request is dropped.
void SettleSavepoint(OCIServer *server);

// After a failure, in place of rolling the transaction back: with the
// statement's savepoint, back to it (the transaction goes on); under
// atomicity without one, a failed block is rolled back and a healthy one
// kept; otherwise the whole transaction is rolled back as always.
void RollbackFailedStatement(OCIServer *server);

// Dropping what a statement holds on the server: its prepared statement and
// the SQL cursor its query reads from.
#pragma once
#include <libpq-fe.h>

#include "stmt/stmt_handles.h"

// True when a command gave no result or one that is neither a completed
// command nor rows.
bool simpleCommandFailed(const PGresult *result);

// DEALLOCATE of the prepared statement `name` on the server's connection.
// A statement the server no longer has is already deallocated. Failure adds
// the server's error to `errhp` (when given), rolls the transaction back and
// returns OCI_ERROR. Nothing is sent without a live connection.
sword deallocateStatement(OCIServer *server, OCIError *errhp, const char *name);

// Closes the cursor's open SQL cursor (CLOSE) and forgets its name; the
// state becomes closed. A cursor the server has already dropped (at the end
// of its transaction) counts as closed. Failure: as deallocateStatement, and
// the name is kept.
sword closePortal(OCICursor *cursor, OCIError *errhp);

// Releases the server objects of `stmt`: the cursor record's cursor and
// prepared statement (or a REF CURSOR child's server cursor), and, with
// `deallocatePrepared`, the statement's own prepared statement. Objects go
// on the connection they were made on; `server` stands in for a cursor
// record that names none. Every name is forgotten, even when dropping it
// failed; the first failure's status is returned after every drop was
// tried, its records left on `errhp`.
sword deallocateCursor(OCIServer *server, OCIStmt *stmt, OCIError *errhp, int deallocatePrepared);

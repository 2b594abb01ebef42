// The executors a statement is handed to once it is prepared on the server:
// row-by-row DML, bulk DML in one round trip, the non-blocking bulk, the
// non-blocking query and callable blocks with OUT values.
//
// Each takes the statement's converted parameter values per iteration from
// its binds, runs iterations rowoff .. iters - 1, rolls the transaction back
// on any server failure and returns OCI_SUCCESS_WITH_INFO when a server
// notice arrived during its work. Handles of the wrong kind give
// OCI_INVALID_HANDLE.
//
// After DML, OCI_ATTR_ROW_COUNT is the total of rows affected by all
// iterations. On a non-blocking server every DML execution (one row
// included) is a non-blocking bulk: OCI_STILL_EXECUTING until the outcome
// has been read from the server; its flags return to idle in the call that
// reports the outcome. Callable blocks wait for their answer on any server.
#pragma once
#include "conn/conn_handles.h"
#include "stmt/stmt_handles.h"

// INSERT/UPDATE/DELETE, one server execution per iteration (more than one
// iteration travel together in one round trip).
sword ExecuteDMLStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff);
// Array INSERT/UPDATE/DELETE: every iteration in one round trip.
sword ExecuteBulkInsertUpdateStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff);
// The same on a non-blocking server, spread over calls that return
// OCI_STILL_EXECUTING until the bulk is over.
sword ExecuteAsyncBulkInsertUpdateStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff);
// A query on a non-blocking server: sends the first FETCH, then delivers
// its rows once they are in.
sword continueAsyncSelect(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff);
// A block calling a procedure or function: OUT, IN OUT and function results
// into the binds, REF CURSOR results into child statements.
sword ExecuteCallableStmt(OCIServer *server, OCIStmt *stmt, OCIError *errhp, ub4 iters, ub4 rowoff);

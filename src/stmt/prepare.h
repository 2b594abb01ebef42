// Statement preparation shared by OCIStmtPrepare, the statement cache and
// the statement record's release.
#pragma once
#include "stmt/stmt_handles.h"

// The class of a trimmed text by its first keyword, ignoring ASCII case:
// OCI_STMT_* or one of the internal data-definition classes; 0 for anything
// else (WITH, MERGE, CALL, SET, ...) and for a null text.
ub2 GetStatementType(const char *sql);
// The class a text prepared under `env` gets: GetStatementType, and in the
// Oracle-compatible mode also OCI_STMT_SELECT for WITH, VALUES, TABLE and
// parenthesised queries and OCI_STMT_CALL for CALL.
ub2 StatementClass(const OCIEnv *env, const char *sql);

// Drops what the statement holds for its current text: binds and defines,
// parameter lists, the callable-block fields, the text, results, and the
// prepared statement and cursor on the server. Afterwards the statement is
// unprepared. Returns OCI_SUCCESS, or the status of the first server object
// that could not be dropped (its records are on `errhp`; everything is
// forgotten all the same).
sword DiscardStatementText(OCIStmt *stmt, OCIError *errhp);

// The server of the statement's service context, or null.
OCIServer *StatementServer(const OCIStmt *stmt);

// Records of statements, their bind and define handles and the cursor a query
// keeps open on the server. Every statement source file works on these.
#pragma once
#include <libpq-fe.h>

#include "env/handles.h"
#include "types/conversion_tables.h"

struct OCISvcCtx;
struct OCIServer;

// The portal or SQL cursor a query reads from.
struct OCICursor {
    ub4 state;        // 0 closed, 2 open, 3 fetched to the end
    ub4 maxRow;       // highest row number delivered so far (OCI_ATTR_ROW_COUNT)
    ub4 position;     // number of the last row delivered (OCI_ATTR_CURRENT_POSITION)
    sb4 lastRow;      // number of the last row once known, -1 until then
    OCIServer *server;  // the connection the cursor lives on
    char *stmtName;     // prepared statement behind a portal; a REF CURSOR's name
    char *portalName;   // "portal_" or "cursor_" name while open
    // Bookkeeping of the execute and fetch paths.
    ub1 withHold;       // declared WITH HOLD: outlives its transaction
    ub1 scrollable;     // declared SCROLL: MOVE may go backwards
    ub1 readAhead;      // FETCHes in flight through the client layer
    ub1 endSeen;        // the server has handed out its last row
    ub4 batchRows;      // rows the next FETCH asks for
    ub4 serverRow;      // rows the server cursor has moved past
    unsigned long long txGeneration;  // transaction block it was declared in
};

enum CursorState : ub4 { CURSOR_CLOSED = 0, CURSOR_OPEN = 2, CURSOR_AT_END = 3 };

// Internal statement classes beyond the published OCI_STMT_* values: data
// definition that commits like CREATE. OCI_ATTR_STMT_TYPE reports them as 0.
enum : ub2 {
    STMT_TRUNCATE = 65000,
    STMT_COMMENT = 65001,
    STMT_GRANT = 65002,
    STMT_REVOKE = 65003,
};

struct OCIBind;
struct OCIDefine;

struct OCIStmt : OCIHandle {
    char *sqlText;        // trimmed text, NUL-terminated; null when none
    ub4 sqlLength;
    ub2 stmtType;         // OCI_STMT_* or one of the internal classes above
    ub4 language;
    ub1 prepared;
    ub1 serverPrepared;   // the server holds a prepared statement or cursor for the text
    OCIServer *pgPreparedServer;  // connection on which preparedName exists
    ub1 executed;         // results or a cursor to fetch from
    List *binds;          // OCIBind*, in creation order
    List *defines;        // OCIDefine*, in creation order
    char *preparedName;   // "stmt_" name; for a REF CURSOR child, the cursor's name
    ub4 paramCount;       // $n parameters of the rewritten text
    List *paramBinds;     // OCIBind* per $n, a bind repeated for each occurrence
    List *paramNames;     // char* placeholder names without the colon (describe rewriter)
    ub1 callable;         // a block that calls one routine
    char *callText;       // the CALL text, or a DECLARE ... CURSOR text built at execution
    sb4 isFunction;
    char *procName;       // routine name as written, with any schema prefix
    ub1 hasOutParams;
    ub1 modesKnown;
    ub4 *paramModes;      // per parameter: 1 IN, 2 OUT, 3 IN OUT
    PGresult *result;     // result of the last round trip
    PGresult *outResult;  // OUT-parameter values of a callable statement
    ub4 currentRow;       // next row of `result` to deliver
    ub4 execMode;
    char *returnName;     // ":r" of a function block
    OCIBind *returnBind;
    ub1 executedOnce;
    ub1 *cacheKey;
    ub4 cacheKeyLength;
    OCISvcCtx *svchp;
    ub1 fromPrepare2;     // OCIHandleFree refuses it; freed with its environment
    ub1 inUse;            // between OCIStmtPrepare2 and OCIStmtRelease
    ub1 arrayOfStruct;
    ub4 rowsFetched;
    ub1 asyncBulkPending;
    ub1 asyncWaiting;
    ub1 asyncBulkFinishing;
    ub1 asyncSelect;
    ub1 isRefCursor;
    OCICursor *cursor;
    ub4 cursorMode;        // private attribute 5001
    ub4 cursorCommitMode;  // private attribute 5003
    ub4 prefetchRows;
    ub4 prefetchCount;
    ub4 prefetchIndex;
    ub4 rowCount;          // rows affected by an execution that keeps no result
    // The last execution's whole result came with its first batch: the next
    // one runs the prepared statement directly instead of through a cursor.
    ub1 smallResult;
    // The server refused the numbers bound as numeric where their places
    // want another type: number binds travel as text the server reads by
    // their places (set by the retried preparation, kept for rebinding).
    ub1 numbersAsText;
    List *memCache;        // texts handed out by attribute calls
    // Server description of the prepared text (PQdescribePrepared), kept for
    // the parameter types the bind conversions declare.
    PGresult *paramDescription;
    void *describeCache;   // catalogue facts of the result's columns (describe code)
};

struct OCIBind : OCIHandle {
    ub1 dynamic;          // OCI_DATA_AT_EXEC: values come from the input callback
    ub4 position;         // OCIBindByPos position, 0 for binds by name
    char *name;           // placeholder with its colon
    ub4 nameLength;
    void *valuep;         // for SQLT_RSET the statement handle itself
    ub4 value_sz;
    ub2 dty;
    void *ictxp;
    OCICallbackInBind icbfp;
    void *octxp;
    OCICallbackOutBind ocbfp;
    ub4 paramType;        // server type declared for the parameter
    ub4 direction;        // 1 IN, 2 OUT, 3 IN OUT
    char *pgValue;        // converted value of the current iteration; null for NULL
    sb4 pgLength;
    ub1 pgFormat;         // 0 text, 1 binary
    ub1 pgBorrowed;       // pgValue is not ours to free: it lies in pgInline or
                          // in the application's own buffer
    char pgInline[8];     // a fixed-width value converted without an allocation
    InPlaceRoute inPlace; // how values of this type and parameter convert in place
    ub1 numberAsText;     // a NUMBER sent as its text, typed by the server
    sb2 *indp;
    ub2 *alenp;
    ub2 *rcodep;
    ub4 maxarr_len;
    ub4 *curelep;
    ub1 structArray;
    ub4 pvskip;
    ub4 indskip;
    ub4 alskip;
    ub4 rcskip;
};

struct OCIDefine : OCIHandle {
    ub1 dynamic;          // OCI_DYNAMIC_FETCH: values go to the output callback
    ub4 position;         // result column, from 1
    void *valuep;
    ub4 value_sz;
    ub2 dty;
    sb2 *indp;
    ub2 *rlenp;
    ub2 *rcodep;
    OCICallbackDefine ocbfp;
    void *octxp;
    ub1 structArray;
    ub4 pvskip;
    ub4 indskip;
    ub4 rlskip;
    ub4 rcskip;
    // Slots of the current fetch already filled from an earlier batch: a
    // dynamic define's callback numbers its iterations from the fetch's start.
    ub4 slotBase;
    // The environment's mode, looked up once (it is fixed for the
    // environment's life): 0 not yet, 1 default, 2 Oracle-compatible.
    ub1 compatMode;
};

// A ROWID descriptor (OCI_DTYPE_ROWID). The server has no row addresses:
// the descriptor never holds one, and OCI_ATTR_ROWID reports none.
struct OCIRowid : OCIHandle {};

// Whether OCIDescriptorAlloc makes ROWID descriptors under `env` (the
// Oracle-compatible mode); elsewhere the type is refused.
bool RowidDescriptorsAllowed(const OCIEnv *env);
OCIRowid *Alloc_OCIRowid();
void Free_OCIRowid(OCIRowid *rowid);

OCIStmt *Alloc_OCIStmt();
void Free_OCIStmt(OCIStmt *stmt);
OCIBind *Alloc_OCIBind();
void Free_OCIBind(OCIBind *bind);
OCIDefine *Alloc_OCIDefine();
void Free_OCIDefine(OCIDefine *define);

void *AllocateMemFromStmtCache(OCIStmt *stmt, size_t size);
void FreeMemFromStmtCache(OCIStmt *stmt);

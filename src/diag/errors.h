// Error handles, error records and the functions that add them.
#pragma once
#include <libpq-fe.h>

#include "env/handles.h"

enum ErrInfoContent : ub2 {
    ERRINFO_SEVERITY = 0x1,
    ERRINFO_ERRCODE = 0x2,
    ERRINFO_MSG = 0x4,
    ERRINFO_SQLSTATE = 0x8,
    ERRINFO_PG_MSG = 0x10,
};

struct errinfo {
    ub2 content;
    sb4 severity;
    sb4 errcode;
    char *msg;
    char sqlstate[6];
    char *pg_msg;
};

constexpr size_t kErrorMessageSize = 1024;

// Error numbers raised all over the library.
constexpr sb4 kErrUniqueConstraint = 1;  // its text names the constraint
constexpr sb4 kErrNoMemory = 16506;
constexpr sb4 kErrBadArgument = 21560;  // its text names the argument's position
constexpr sb4 kErrConnectionTerminated = 25407;
constexpr sb4 kErrUnsupportedFeature = 3001;
constexpr sb4 kErrEndOfChannel = 3113;   // the connection was lost during this call
constexpr sb4 kErrNotConnected = 3114;   // the connection was lost before this call
constexpr sb4 kErrInternal = 24330;

struct OCIError : OCIHandle {
    List *records;                  // errinfo*, oldest first
    bool hasWarnings;               // a server notice arrived during the call
    char message[kErrorMessageSize];  // scratch text; never read by OCIErrorGet
};

OCIError *Alloc_OCIError();
void Free_OCIError(OCIError *errhp);

// Record producers: 0 on success, OCI_INVALID_HANDLE for a null or foreign
// handle. Each appends exactly one record and traces it.
sword AddErrorRecord(OCIError *errhp, sword severity, sb4 errcode);
sword AddErrorRecord_MSG(OCIError *errhp, sword severity, sb4 errcode);
sword AddErrorRecord2(OCIError *errhp, sword severity, sb4 errcode, const char *text);
sword AddErrorRecordStringX(OCIError *errhp, sword severity, sb4 errcode, int count, ...);
sword AddErrorRecordMsg(OCIError *errhp, sword severity, const char *text);
sword AddPGErrorRecord(OCIError *errhp, sword severity, const PGresult *result);
void ClearErrorHandle(OCIError *errhp);

// Copies the catalogue text of `errcode` into the handle's message buffer
// without adding a record.
void SetErrorHandleMessage(OCIError *errhp, sb4 errcode);

// Number of records and the nth record (1-based), for the readers.
int ErrorRecordCount(const OCIError *errhp);
const errinfo *ErrorRecordAt(const OCIError *errhp, int recordno);

// The SQLSTATE map.
ub4 PackSqlState(const char *sqlstate);
sb4 MapSqlStateToOciError(const char *sqlstate);  // 0 when unmapped
// The Oracle-compatible mode's number: never 0 (by code, else by class, else
// a fallback for server errors).
sb4 MapSqlStateToOracleError(const char *sqlstate);

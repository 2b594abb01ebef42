// Parameter descriptors, the parameter records behind them, and describe
// handles: what implicit describe (OCIParamGet on an executed or described
// statement) and explicit describe (OCIDescribeAny) hand to the application.
#pragma once
#include <libpq-fe.h>

#include "diag/errors.h"
#include "env/handles.h"

struct OCIStmt;

// Every parameter record starts with its kind.
enum ParamRecordKind : ub4 {
    PARAM_COLUMN = 0,
    PARAM_ARGUMENT = 1,
    PARAM_TABLE = 2,
    PARAM_LIST = 3,
};

struct OCIParamRecord {
    ub4 kind;
};

// A text a record owns (UTF-8, or the client character set outside UTF-16
// mode) and the copy handed to the application on its first request; the
// copy lives in a statement or environment memory cache, not in the record.
struct ParamText {
    char *text;     // owned, terminated; null when unknown
    ub4 length;     // without the terminator
    char *out;      // handed-out copy, in the application's character set
    ub4 outLength;  // its length without the terminator
};

struct OCIColumnParamHandle : OCIParamRecord {
    ub1 binary;     // the external type counts as binary data
    ub1 charUsed;   // a character type: sizes count characters
    ub2 charSize;
    ub4 dataSize;
    ub2 dataType;   // SQLT_*
    ParamText name;
    ub1 wideStore;  // which of the next two holds the precision
    ub2 precision16;
    ub1 precision8;
    sb1 scale;
    ub1 isNull;
    ParamText typeName;
    ParamText schemaName;
    ub2 charsetId;
    ub1 charsetForm;
    ub1 implicit;   // built from a statement's result (OCIParamGet)
};

// Carries nothing; answers every attribute with success and no value.
struct OCIArgumentParamHandle : OCIParamRecord {};

struct OCIListParamHandle : OCIParamRecord {
    List *elements;  // owned OCIParamRecord*, in order
};

struct OCITableParamHandle : OCIParamRecord {
    ub4 objid;
    ub2 numCols;  // attribute count as the catalogue states it
    OCIListParamHandle *columns;
    ub1 isTemporary;
    ub1 isTyped;
    ub8 tablespace;
};

struct OCIParam : OCIHandle {
    OCIParamRecord *record;  // owned
    OCIStmt *source;  // statement it was obtained from; null for describe results
};

struct OCIDescribe : OCIHandle {
    OCITableParamHandle *result;  // owned result of the last successful describe
};

OCIParam *Alloc_OCIParam();
void Free_OCIParam(OCIParam *param);
OCIDescribe *Alloc_OCIDescribe();
void Free_OCIDescribe(OCIDescribe *dsc);

// ---- records -------------------------------------------------------------------------------

// Deep copies by kind (handed-out texts are not carried over); null when
// memory runs out. A list copy leaves out elements whose copy fails.
OCIParamRecord *CopyOCIParamHandle(const OCIParamRecord *record);
// Frees a record by kind, recursively; null is ignored.
void FreeOCIParamHandle(OCIParamRecord *record);
// Forgets every handed-out copy in a record tree (their cache is going).
void ForgetHandedOutTexts(OCIParamRecord *record);

// A new empty column record, null when memory runs out.
OCIColumnParamHandle *NewColumnParamRecord();
// Stores `text` (of `length` bytes) as an owned text; false when memory runs out.
bool SetParamText(ParamText *field, const char *text, size_t length);

// An empty list record in *out; error 24319 when memory runs out.
sword Build_OCIListParamHandle(OCIError *errhp, OCIListParamHandle **out);
// Appends an owned record; false (the record is not taken) when memory runs out.
bool AppendParamRecord(OCIListParamHandle *list, OCIParamRecord *record);

// What the value lengths of a result column say about its size.
struct ColumnValueLengths {
    bool known;    // a result with rows was looked at
    ub4 longest;   // greatest byte length of a non-null value
};
// Fills the type-derived fields of a column record from the server type and
// type modifier: external type, binary and character flags, sizes,
// precision and scale (into the 16-bit store when `wide`).
void DescribeServerType(OCIColumnParamHandle *col, Oid type, int typmod, bool wide,
                        const ColumnValueLengths &lengths);
// The same for a column described under `env`: in the Oracle-compatible
// mode the fields say what an Oracle server would report (NUMBER with
// precision and scale, DATE, TIMESTAMP, RAW, strings sized in bytes), which
// a client can define and fetch by as they are; otherwise as above.
void DescribeColumnType(const OCIEnv *env, OCIColumnParamHandle *col, Oid type, int typmod, bool wide,
                        const ColumnValueLengths &lengths);

// ---- builders ------------------------------------------------------------------------------

// Implicit describe: the record of result column `column` (0-based) of the
// statement's current result, or null when memory runs out. Catalogue facts
// (nullability, type name and schema) come from one query per result.
OCIColumnParamHandle *Alloc_OCIColumnParamHandle(OCIEnv *env, OCIStmt *stmt, int column, bool wide);

// Explicit describe of the relation named `name` into *out: one catalogue
// query for the relation and all its columns, the name bound as a parameter.
// 4043 when no relation has the name; 3001 for the unsupported object types;
// 24319 for a failed query or memory exhaustion.
sword Build_OCITableParamHandle(OCIEnv *env, OCIError *errhp, PGconn *conn, const char *name, size_t nameLen,
                                ub1 objtyp, OCITableParamHandle **out);
// The column record of row `row` of that query into *out; 1312 when the row
// names no column, 24319 when memory runs out.
sword Build_OCIColumnParamHandle(OCIEnv *env, OCIError *errhp, const PGresult *res, int row,
                                 OCIColumnParamHandle **out);

// ---- descriptors ---------------------------------------------------------------------------

// A new parameter descriptor under `env` that owns `record` (taken even on
// failure) and hands its texts out of `source`'s cache (the environment's
// when null); null when memory runs out.
OCIParam *NewParamDescriptor(OCIEnv *env, OCIParamRecord *record, OCIStmt *source);

// The statement is being freed: forgets its describe cache and moves the
// descriptors obtained from it over to the environment's text cache.
void ReleaseStatementDescribe(OCIStmt *stmt);

// Error numbers of describe.
constexpr sb4 kErrMandatoryParameter = 1009;
constexpr sb4 kErrNoSuchColumn = 1312;
constexpr sb4 kErrNoSuchObject = 4043;
constexpr sb4 kErrObjectMode = 21301;
constexpr sb4 kErrInvalidHandleType = 24316;
constexpr sb4 kErrDescribeMemory = 24319;
constexpr sb4 kErrIllegalObjectType = 24332;
constexpr sb4 kErrNoDescriptor = 24334;

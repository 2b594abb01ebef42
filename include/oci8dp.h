/*
 * oci8dp.h - direct path loading: handle types, constants and calls.
 *
 * Direct path loading has no server counterpart here; the calls refuse.
 * They are declared so that loaders build against the same headers.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef OCI8DP_ORACLE
#define OCI8DP_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

/* --------------------------------------------------------------------
 * Handles (OCI_HTYPE_DIRPATH_*)
 * ------------------------------------------------------------------ */
typedef struct OCIDirPathCtx OCIDirPathCtx;
typedef struct OCIDirPathFuncCtx OCIDirPathFuncCtx;
typedef struct OCIDirPathColArray OCIDirPathColArray;
typedef struct OCIDirPathStream OCIDirPathStream;
typedef struct OCIDirPathDesc OCIDirPathDesc;

/* --------------------------------------------------------------------
 * Constants
 * ------------------------------------------------------------------ */
/* OCI_ATTR_DIRPATH_MODE. */
#define OCI_DIRPATH_LOAD 1
#define OCI_DIRPATH_UNLOAD 2
#define OCI_DIRPATH_CONVERT 3

/* OCI_ATTR_DIRPATH_INDEX_MAINT_METHOD. */
#define OCI_DIRPATH_INDEX_MAINT_SINGLE_ROW 1
#define OCI_DIRPATH_INDEX_MAINT_SKIP_UNUSABLE 2
#define OCI_DIRPATH_INDEX_MAINT_DONT_SKIP_UNUSABLE 3
#define OCI_DIRPATH_INDEX_MAINT_SKIP_ALL 4

/* State of a stream. */
#define OCI_DIRPATH_NORMAL 1
#define OCI_DIRPATH_PARTIAL 2
#define OCI_DIRPATH_NOT_PREPARED 3

/* Column array entry flags. */
#define OCI_DIRPATH_COL_COMPLETE 0
#define OCI_DIRPATH_COL_NULL 1
#define OCI_DIRPATH_COL_PARTIAL 2
#define OCI_DIRPATH_COL_ERROR 3

/* OCIDirPathDataSave actions. */
#define OCI_DIRPATH_DATASAVE_SAVEONLY 0
#define OCI_DIRPATH_DATASAVE_FINISH 1
#define OCI_DIRPATH_DATASAVE_PARTIAL 2

/* OCI_ATTR_DIRPATH_EXPR_TYPE. */
#define OCI_DIRPATH_EXPR_OBJ_CONSTR 1
#define OCI_DIRPATH_EXPR_SQL 2
#define OCI_DIRPATH_EXPR_REF_TBLNAME 3

/* OCI_ATTR_DIRPATH_INPUT. */
#define OCI_DIRPATH_INPUT_TEXT 0x01
#define OCI_DIRPATH_INPUT_STREAM 0x02
#define OCI_DIRPATH_INPUT_OCI 0x04
#define OCI_DIRPATH_INPUT_UNKNOWN 0x08

/* --------------------------------------------------------------------
 * Calls
 * ------------------------------------------------------------------ */
sword OCIDirPathAbort(OCIDirPathCtx *dpctx, OCIError *errhp);
sword OCIDirPathDataSave(OCIDirPathCtx *dpctx, OCIError *errhp, ub4 action);
sword OCIDirPathFinish(OCIDirPathCtx *dpctx, OCIError *errhp);
sword OCIDirPathFlushRow(OCIDirPathCtx *dpctx, OCIError *errhp);
sword OCIDirPathPrepare(OCIDirPathCtx *dpctx, OCISvcCtx *svchp,
                        OCIError *errhp);
sword OCIDirPathLoadStream(OCIDirPathCtx *dpctx, OCIDirPathStream *dpstr,
                           OCIError *errhp);
sword OCIDirPathColArrayEntryGet(OCIDirPathColArray *dpca, OCIError *errhp,
                                 ub4 rownum, ub2 colIdx, ub1 **cvalpp,
                                 ub4 *clenp, ub1 *cflgp);
sword OCIDirPathColArrayEntrySet(OCIDirPathColArray *dpca, OCIError *errhp,
                                 ub4 rownum, ub2 colIdx, ub1 *cvalp,
                                 ub4 clen, ub1 cflg);
sword OCIDirPathColArrayRowGet(OCIDirPathColArray *dpca, OCIError *errhp,
                               ub4 rownum, ub1 ***cvalppp, ub4 **clenpp,
                               ub1 **cflgpp);
sword OCIDirPathColArrayReset(OCIDirPathColArray *dpca, OCIError *errhp);
sword OCIDirPathColArrayToStream(OCIDirPathColArray *dpca,
                                 const OCIDirPathCtx *dpctx,
                                 OCIDirPathStream *dpstr, OCIError *errhp,
                                 ub4 rowcnt, ub4 rowoff);
sword OCIDirPathStreamReset(OCIDirPathStream *dpstr, OCIError *errhp);

#ifdef __cplusplus
}
#endif

#endif /* OCI8DP_ORACLE */

/*
 * oro.h - types of the object cache: references, indicators, durations,
 * type codes and the pin, lock and mark options.
 *
 * The library keeps no client-side object cache; these types exist so that
 * object-aware sources compile and so that the value types (collections,
 * strings, numbers) can name their durations and indicators.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef ORO_ORACLE
#define ORO_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

/* --------------------------------------------------------------------
 * Objects and their descriptions
 * ------------------------------------------------------------------ */
typedef struct OCIRef OCIRef;                 /* reference to an object */
typedef struct OCIType OCIType;               /* type description object */
typedef struct OCITypeElem OCITypeElem;       /* attribute or parameter */
typedef struct OCITypeMethod OCITypeMethod;   /* method of a type */

/* --------------------------------------------------------------------
 * Null indicators
 * ------------------------------------------------------------------ */
typedef sb2 OCIInd;
#define OCI_IND_NOTNULL 0           /* not null */
#define OCI_IND_NULL -1             /* null */
#define OCI_IND_BADNULL -2          /* invalid null value */
#define OCI_IND_NOTNULLABLE -3      /* cannot be null */

/* --------------------------------------------------------------------
 * Durations: how long memory and objects live
 * ------------------------------------------------------------------ */
typedef ub2 OCIDuration;
#define OCI_DURATION_INVALID 0xFFFF
#define OCI_DURATION_BEGIN 10
#define OCI_DURATION_NULL 9          /* OCI_DURATION_BEGIN - 1 */
#define OCI_DURATION_DEFAULT 8       /* OCI_DURATION_BEGIN - 2 */
#define OCI_DURATION_USER_CALLBACK 7 /* OCI_DURATION_BEGIN - 3 */
#define OCI_DURATION_NEXT 6          /* OCI_DURATION_BEGIN - 4 */
#define OCI_DURATION_PROCESS 5       /* OCI_DURATION_BEGIN - 5 */
#define OCI_DURATION_SESSION 10      /* OCI_DURATION_BEGIN */
#define OCI_DURATION_TRANS 11        /* OCI_DURATION_BEGIN + 1 */
#define OCI_DURATION_CALL 12         /* OCI_DURATION_BEGIN + 2 */
#define OCI_DURATION_STATEMENT 13    /* OCI_DURATION_BEGIN + 3 */
#define OCI_DURATION_CALLOUT 14      /* OCI_DURATION_BEGIN + 4 */
#define OCI_DURATION_LAST OCI_DURATION_CALLOUT

/* --------------------------------------------------------------------
 * Object cache options
 * ------------------------------------------------------------------ */
enum OCIRefreshOpt {
  OCI_REFRESH_LOADED = 1
};
typedef enum OCIRefreshOpt OCIRefreshOpt;

enum OCIPinOpt {
  OCI_PIN_DEFAULT = 1,
  OCI_PIN_ANY = 3,
  OCI_PIN_RECENT = 4,
  OCI_PIN_LATEST = 5
};
typedef enum OCIPinOpt OCIPinOpt;

enum OCILockOpt {
  OCI_LOCK_NONE = 1,
  OCI_LOCK_X = 2,
  OCI_LOCK_X_NOWAIT = 3
};
typedef enum OCILockOpt OCILockOpt;

enum OCIMarkOpt {
  OCI_MARK_DEFAULT = 1,
  OCI_MARK_NONE = OCI_MARK_DEFAULT,
  OCI_MARK_UPDATE
};
typedef enum OCIMarkOpt OCIMarkOpt;

enum OCIObjectLifetime {
  OCI_OBJECT_PERSISTENT = 1,
  OCI_OBJECT_TRANSIENT,
  OCI_OBJECT_VALUE
};
typedef enum OCIObjectLifetime OCIObjectLifetime;

/* Mark status bits of an object in the cache. */
typedef uword OCIObjectMarkStatus;
typedef OCIObjectMarkStatus OCIObjectMarkstatus;
#define OCI_OBJECT_NEW 0x0001
#define OCI_OBJECT_DELETED 0x0002
#define OCI_OBJECT_UPDATED 0x0004
#define OCI_OBJECT_IS_UPDATED(flag) (((flag) & OCI_OBJECT_UPDATED) != 0)
#define OCI_OBJECT_IS_DELETED(flag) (((flag) & OCI_OBJECT_DELETED) != 0)
#define OCI_OBJECT_IS_NEW(flag) (((flag) & OCI_OBJECT_NEW) != 0)
#define OCI_OBJECT_IS_DIRTY(flag)                                            \
  (((flag) & (OCI_OBJECT_UPDATED | OCI_OBJECT_DELETED | OCI_OBJECT_NEW)) != 0)

/* Properties readable with OCIObjectGetProperty. */
typedef ub1 OCIObjectPropId;
#define OCI_OBJECTPROP_LIFETIME 1
#define OCI_OBJECTPROP_SCHEMA 2
#define OCI_OBJECTPROP_TABLE 3
#define OCI_OBJECTPROP_PIN_DURATION 4
#define OCI_OBJECTPROP_ALLOC_DURATION 5
#define OCI_OBJECTPROP_LOCK 6
#define OCI_OBJECTPROP_MARKSTATUS 7
#define OCI_OBJECTPROP_VIEW 8

/* OCIObjectFree flags. */
#define OCI_OBJECTFREE_FORCE 0x0001
#define OCI_OBJECTFREE_NONULL 0x0002
#define OCI_OBJECTFREE_HEADER 0x0004

/* OCIObjectCopy flag: do not copy references. */
#define OCI_OBJECTCOPY_NOREF 0x0001

/* --------------------------------------------------------------------
 * Type descriptions
 * ------------------------------------------------------------------ */
enum OCITypeGetOpt {
  OCI_TYPEGET_HEADER,
  OCI_TYPEGET_ALL
};
typedef enum OCITypeGetOpt OCITypeGetOpt;

enum OCITypeEncap {
  OCI_TYPEENCAP_PRIVATE,
  OCI_TYPEENCAP_PUBLIC
};
typedef enum OCITypeEncap OCITypeEncap;

enum OCITypeMethodFlag {
  OCI_TYPEMETHOD_INLINE = 0x0001,
  OCI_TYPEMETHOD_CONSTANT = 0x0002,
  OCI_TYPEMETHOD_VIRTUAL = 0x0004,
  OCI_TYPEMETHOD_CONSTRUCTOR = 0x0008,
  OCI_TYPEMETHOD_DESTRUCTOR = 0x0010,
  OCI_TYPEMETHOD_OPERATOR = 0x0020,
  OCI_TYPEMETHOD_SELFISH = 0x0040,
  OCI_TYPEMETHOD_MAP = 0x0080,
  OCI_TYPEMETHOD_ORDER = 0x0100,
  OCI_TYPEMETHOD_RNDS = 0x0200,
  OCI_TYPEMETHOD_WNDS = 0x0400,
  OCI_TYPEMETHOD_RNPS = 0x0800,
  OCI_TYPEMETHOD_WNPS = 0x1000,
  OCI_TYPEMETHOD_ABSTRACT = 0x2000,
  OCI_TYPEMETHOD_OVERRIDING = 0x4000,
  OCI_TYPEMETHOD_PIPELINED = 0x8000
};
typedef enum OCITypeMethodFlag OCITypeMethodFlag;

enum OCITypeParamMode {
  OCI_TYPEPARAM_IN = 0,
  OCI_TYPEPARAM_OUT,
  OCI_TYPEPARAM_INOUT,
  OCI_TYPEPARAM_BYREF,
  OCI_TYPEPARAM_OUTNCPY,
  OCI_TYPEPARAM_INOUTNCPY
};
typedef enum OCITypeParamMode OCITypeParamMode;

/* --------------------------------------------------------------------
 * Type codes: the kind of a type, attribute or collection element
 * ------------------------------------------------------------------ */
typedef ub2 OCITypeCode;

#define OCI_TYPECODE_REF SQLT_REF
#define OCI_TYPECODE_DATE SQLT_DAT
#define OCI_TYPECODE_SIGNED8 27
#define OCI_TYPECODE_SIGNED16 28
#define OCI_TYPECODE_SIGNED32 29
#define OCI_TYPECODE_REAL 21
#define OCI_TYPECODE_DOUBLE 22
#define OCI_TYPECODE_BFLOAT SQLT_IBFLOAT
#define OCI_TYPECODE_BDOUBLE SQLT_IBDOUBLE
#define OCI_TYPECODE_FLOAT SQLT_FLT
#define OCI_TYPECODE_NUMBER SQLT_NUM
#define OCI_TYPECODE_DECIMAL SQLT_PDN
#define OCI_TYPECODE_UNSIGNED8 SQLT_BIN
#define OCI_TYPECODE_UNSIGNED16 25
#define OCI_TYPECODE_UNSIGNED32 26
#define OCI_TYPECODE_OCTET 245
#define OCI_TYPECODE_SMALLINT 246
#define OCI_TYPECODE_INTEGER SQLT_INT
#define OCI_TYPECODE_RAW SQLT_LVB
#define OCI_TYPECODE_PTR 32
#define OCI_TYPECODE_VARCHAR2 SQLT_VCS
#define OCI_TYPECODE_CHAR SQLT_AFC
#define OCI_TYPECODE_VARCHAR SQLT_CHR
#define OCI_TYPECODE_MLSLABEL SQLT_LAB
#define OCI_TYPECODE_VARRAY 247
#define OCI_TYPECODE_TABLE 248
#define OCI_TYPECODE_OBJECT SQLT_NTY
#define OCI_TYPECODE_OPAQUE 58
#define OCI_TYPECODE_NAMEDCOLLECTION SQLT_NCO
#define OCI_TYPECODE_BLOB SQLT_BLOB
#define OCI_TYPECODE_BFILE SQLT_BFILE
#define OCI_TYPECODE_CLOB SQLT_CLOB
#define OCI_TYPECODE_CFILE SQLT_CFILE
#define OCI_TYPECODE_TIME SQLT_TIME
#define OCI_TYPECODE_TIME_TZ SQLT_TIME_TZ
#define OCI_TYPECODE_TIMESTAMP SQLT_TIMESTAMP
#define OCI_TYPECODE_TIMESTAMP_TZ SQLT_TIMESTAMP_TZ
#define OCI_TYPECODE_TIMESTAMP_LTZ SQLT_TIMESTAMP_LTZ
#define OCI_TYPECODE_INTERVAL_YM SQLT_INTERVAL_YM
#define OCI_TYPECODE_INTERVAL_DS SQLT_INTERVAL_DS
#define OCI_TYPECODE_UROWID SQLT_RDD
#define OCI_TYPECODE_OTMFIRST 228
#define OCI_TYPECODE_OTMLAST 320
#define OCI_TYPECODE_SYSFIRST 228
#define OCI_TYPECODE_SYSLAST 235
#define OCI_TYPECODE_PLS_INTEGER 266
#define OCI_TYPECODE_ITABLE SQLT_TAB
#define OCI_TYPECODE_RECORD SQLT_REC
#define OCI_TYPECODE_NCHAR 286
#define OCI_TYPECODE_NVARCHAR2 287
#define OCI_TYPECODE_NCLOB 288
#define OCI_TYPECODE_NONE 0
#define OCI_TYPECODE_ERRHP 283

#ifdef __cplusplus
}
#endif

#endif /* ORO_ORACLE */

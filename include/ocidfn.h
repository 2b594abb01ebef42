/*
 * ocidfn.h - external data type codes, character set forms and the
 * release-7 cursor/login data areas.
 *
 * The SQLT_* numbers are what applications pass as `dty' to the bind and
 * define calls and what describe reports; they are part of the binary
 * contract and never change.
 */
#ifndef OCIDFN
#define OCIDFN

#ifndef ORATYPES
#include <oratypes.h>
#endif

/* --------------------------------------------------------------------
 * Release-7 cursor and login data areas.  Only their size and the
 * leading return-code fields matter to the few calls that convert a
 * service context to or from one.
 * ------------------------------------------------------------------ */
#if defined(__LP64__) || defined(_LP64) || defined(_WIN64)
#define CDA_SIZE 88
#define HDA_SIZE 512
#else
#define CDA_SIZE 64
#define HDA_SIZE 256
#endif

struct cda_head {
  sb2 v2_rc;
  ub2 ft;
  ub4 rpc;
  ub2 peo;
  ub1 fc;
  ub1 rcs1;
  ub2 rc;
  ub1 wrn;
  ub1 rcs2;
  sword rcs3;
  struct {
    struct {
      ub4 rcs4;
      ub2 rcs5;
      ub1 rcs6;
    } rd;
    ub4 rcs7;
    ub2 rcs8;
  } rid;
  sword ose;
  ub1 chk;
  void *rcsp;
};

struct cda_def {
  sb2 v2_rc;
  ub2 ft;
  ub4 rpc;
  ub2 peo;
  ub1 fc;
  ub1 rcs1;
  ub2 rc;
  ub1 wrn;
  ub1 rcs2;
  sword rcs3;
  struct {
    struct {
      ub4 rcs4;
      ub2 rcs5;
      ub1 rcs6;
    } rd;
    ub4 rcs7;
    ub2 rcs8;
  } rid;
  sword ose;
  ub1 chk;
  void *rcsp;
  ub1 rcs9[CDA_SIZE - sizeof(struct cda_head)];
};

typedef struct cda_def Cda_Def;
typedef struct cda_def Lda_Def;

/* Event and locking modes of the release-7 interface. */
#define OCI_EV_DEF 0
#define OCI_EV_TSF 1
#define OCI_LM_DEF 0
#define OCI_LM_NBL 1

/* --------------------------------------------------------------------
 * Pieces of a piecewise bind, define or LOB transfer.
 * ------------------------------------------------------------------ */
#define OCI_ONE_PIECE 0
#define OCI_FIRST_PIECE 1
#define OCI_NEXT_PIECE 2
#define OCI_LAST_PIECE 3

/* --------------------------------------------------------------------
 * External data types (the `dty' of bind, define and describe).
 * ------------------------------------------------------------------ */
#define SQLT_CHR 1            /* VARCHAR2 / character string */
#define SQLT_NUM 2            /* NUMBER in its 21-byte internal form */
#define SQLT_INT 3            /* signed integer */
#define SQLT_FLT 4            /* floating point */
#define SQLT_STR 5            /* NUL-terminated string */
#define SQLT_VNU 6            /* NUMBER with a leading length byte */
#define SQLT_PDN 7            /* packed decimal */
#define SQLT_LNG 8            /* LONG */
#define SQLT_VCS 9            /* VARCHAR: ub2 length then text */
#define SQLT_NON 10           /* null/empty placeholder */
#define SQLT_RID 11           /* ROWID */
#define SQLT_DAT 12           /* 7-byte DATE */
#define SQLT_VBI 15           /* binary with ub2 length */
#define SQLT_BFLOAT 21        /* native binary float */
#define SQLT_BDOUBLE 22       /* native binary double */
#define SQLT_BIN 23           /* RAW */
#define SQLT_LBI 24           /* LONG RAW */
#define SQLT_UIN 68           /* unsigned integer */
#define SQLT_SLS 91           /* display sign leading separate */
#define SQLT_LVC 94           /* LONG VARCHAR: sb4 length then text */
#define SQLT_LVB 95           /* LONG VARRAW: sb4 length then bytes */
#define SQLT_AFC 96           /* CHAR, blank padded */
#define SQLT_AVC 97           /* CHARZ, blank padded and NUL terminated */
#define SQLT_IBFLOAT 100      /* BINARY_FLOAT column type */
#define SQLT_IBDOUBLE 101     /* BINARY_DOUBLE column type */
#define SQLT_CUR 102          /* cursor */
#define SQLT_RDD 104          /* ROWID descriptor */
#define SQLT_LAB 105          /* label */
#define SQLT_OSL 106          /* OS label */
#define SQLT_NTY 108          /* named object type */
#define SQLT_REF 110          /* REF */
#define SQLT_CLOB 112         /* character LOB */
#define SQLT_BLOB 113         /* binary LOB */
#define SQLT_BFILEE 114       /* binary file LOB */
#define SQLT_CFILEE 115       /* character file LOB */
#define SQLT_RSET 116         /* result set (ref cursor) */
#define SQLT_NCO 122          /* named collection */
#define SQLT_VST 155          /* OCIString */
#define SQLT_ODT 156          /* OCIDate */

/* Datetime and interval types. */
#define SQLT_DATE 184
#define SQLT_TIME 185
#define SQLT_TIME_TZ 186
#define SQLT_TIMESTAMP 187
#define SQLT_TIMESTAMP_TZ 188
#define SQLT_INTERVAL_YM 189
#define SQLT_INTERVAL_DS 190
#define SQLT_TIMESTAMP_LTZ 232

#define SQLT_PNTY 241         /* PL/SQL object type in a package */
#define SQLT_REC 250          /* PL/SQL record */
#define SQLT_TAB 251          /* PL/SQL index-by table */

/* Spellings of the file LOB codes used by older sources. */
#define SQLT_FILE SQLT_BFILEE
#define SQLT_CFILE SQLT_CFILEE
#define SQLT_BFILE SQLT_BFILEE

/* --------------------------------------------------------------------
 * Character set forms (OCI_ATTR_CHARSET_FORM).
 * ------------------------------------------------------------------ */
#define SQLCS_IMPLICIT 1      /* database character set */
#define SQLCS_NCHAR 2         /* national character set */
#define SQLCS_EXPLICIT 3      /* character set given explicitly */
#define SQLCS_FLEXIBLE 4      /* form of the PL/SQL parameter */
#define SQLCS_LIT_NULL 5      /* typeless NULL literal */

#endif /* OCIDFN */

/*
 * oci.h - the umbrella header of the OCI C interface.
 *
 * Applications include this one header.  It defines the handle and
 * descriptor types, every mode, attribute and status constant, the callback
 * types, and then pulls in the companion headers (object, collection, type,
 * cartridge-service and prototype headers) in the order in which each one's
 * needs are met by the ones before it.  A companion header included on its
 * own comes back here first, so any of them may be included alone.
 */
#ifndef OCI_ORACLE
#define OCI_ORACLE

#include <stdarg.h>
#include <stddef.h>

#ifndef ORATYPES
#include <oratypes.h>
#endif
#ifndef OCIDFN
#include <ocidfn.h>
#endif

/* --------------------------------------------------------------------
 * Interface level.  The library implements the 11.2 call set.
 * OCIClientVersion reports exactly this level (11.2.0.4.0) when the
 * process runs with OCI_COMPAT=oracle, the mode for drivers that check
 * the client's release; in its own mode the library reports 11.0.1.1.0,
 * the release whose behaviour that mode keeps.
 * ------------------------------------------------------------------ */
#define OCI_MAJOR_VERSION 11
#define OCI_MINOR_VERSION 2

#ifdef __cplusplus
extern "C" {
#endif

/* ====================================================================
 * Handle types (OCIHandleAlloc / OCIHandleFree `type')
 * ================================================================== */
#define OCI_HTYPE_FIRST 1
#define OCI_HTYPE_ENV 1
#define OCI_HTYPE_ERROR 2
#define OCI_HTYPE_SVCCTX 3
#define OCI_HTYPE_STMT 4
#define OCI_HTYPE_BIND 5
#define OCI_HTYPE_DEFINE 6
#define OCI_HTYPE_DESCRIBE 7
#define OCI_HTYPE_SERVER 8
#define OCI_HTYPE_SESSION 9
#define OCI_HTYPE_AUTHINFO OCI_HTYPE_SESSION
#define OCI_HTYPE_TRANS 10
#define OCI_HTYPE_COMPLEXOBJECT 11
#define OCI_HTYPE_SECURITY 12
#define OCI_HTYPE_SUBSCRIPTION 13
#define OCI_HTYPE_DIRPATH_CTX 14
#define OCI_HTYPE_DIRPATH_COLUMN_ARRAY 15
#define OCI_HTYPE_DIRPATH_STREAM 16
#define OCI_HTYPE_PROC 17
#define OCI_HTYPE_DIRPATH_FN_CTX 18
#define OCI_HTYPE_DIRPATH_FN_COL_ARRAY 19
#define OCI_HTYPE_XADSESSION 20
#define OCI_HTYPE_XADTABLE 21
#define OCI_HTYPE_XADFIELD 22
#define OCI_HTYPE_XADGRANULE 23
#define OCI_HTYPE_XADRECORD 24
#define OCI_HTYPE_XADIO 25
#define OCI_HTYPE_CPOOL 26
#define OCI_HTYPE_SPOOL 27
#define OCI_HTYPE_ADMIN 28
#define OCI_HTYPE_EVENT 29
#define OCI_HTYPE_LAST 29

/* ====================================================================
 * Descriptor types (OCIDescriptorAlloc / OCIDescriptorFree `type')
 * ================================================================== */
#define OCI_DTYPE_FIRST 50
#define OCI_DTYPE_LOB 50
#define OCI_DTYPE_SNAP 51
#define OCI_DTYPE_RSET 52
#define OCI_DTYPE_PARAM 53
#define OCI_DTYPE_ROWID 54
#define OCI_DTYPE_COMPLEXOBJECTCOMP 55
#define OCI_DTYPE_FILE 56
#define OCI_DTYPE_AQENQ_OPTIONS 57
#define OCI_DTYPE_AQDEQ_OPTIONS 58
#define OCI_DTYPE_AQMSG_PROPERTIES 59
#define OCI_DTYPE_AQAGENT 60
#define OCI_DTYPE_LOCATOR 61
#define OCI_DTYPE_INTERVAL_YM 62
#define OCI_DTYPE_INTERVAL_DS 63
#define OCI_DTYPE_AQNFY_DESCRIPTOR 64
#define OCI_DTYPE_DATE 65
#define OCI_DTYPE_TIME 66
#define OCI_DTYPE_TIME_TZ 67
#define OCI_DTYPE_TIMESTAMP 68
#define OCI_DTYPE_TIMESTAMP_TZ 69
#define OCI_DTYPE_TIMESTAMP_LTZ 70
#define OCI_DTYPE_UCB 71
#define OCI_DTYPE_SRVDN 72
#define OCI_DTYPE_SIGNATURE 73
#define OCI_DTYPE_RESERVED_1 74
#define OCI_DTYPE_AQLIS_OPTIONS 75
#define OCI_DTYPE_AQLIS_MSG_PROPERTIES 76
#define OCI_DTYPE_CHDES 77
#define OCI_DTYPE_TABLE_CHDES 78
#define OCI_DTYPE_ROW_CHDES 79
#define OCI_DTYPE_CQDES 80
#define OCI_DTYPE_LOB_REGION 81
#define OCI_DTYPE_LAST 81

/* Temporary LOB kinds (OCILobCreateTemporary `lobtype'). */
#define OCI_TEMP_BLOB 1
#define OCI_TEMP_CLOB 2

/* ====================================================================
 * Opaque handles and descriptors.  Applications only ever hold pointers
 * to these; the library owns their contents.
 * ================================================================== */
typedef struct OCIEnv OCIEnv;                 /* environment */
typedef struct OCIError OCIError;             /* error */
typedef struct OCISvcCtx OCISvcCtx;           /* service context */
typedef struct OCIStmt OCIStmt;               /* statement */
typedef struct OCIBind OCIBind;               /* bind */
typedef struct OCIDefine OCIDefine;           /* define */
typedef struct OCIDescribe OCIDescribe;       /* describe */
typedef struct OCIServer OCIServer;           /* server */
typedef struct OCISession OCISession;         /* user session */
typedef struct OCIComplexObject OCIComplexObject;
typedef struct OCITrans OCITrans;             /* transaction */
typedef struct OCISecurity OCISecurity;
typedef struct OCISubscription OCISubscription;
typedef struct OCICPool OCICPool;             /* connection pool */
typedef struct OCISPool OCISPool;             /* session pool */
typedef struct OCIAuthInfo OCIAuthInfo;       /* authentication information */
typedef struct OCIAdmin OCIAdmin;             /* database start-up parameters */
typedef struct OCIEvent OCIEvent;             /* high-availability event */

typedef struct OCISnapshot OCISnapshot;
typedef struct OCIResult OCIResult;
typedef struct OCILobLocator OCILobLocator;
typedef struct OCILobLocator OCIBlobLocator;  /* same locator, named by use */
typedef struct OCILobLocator OCIClobLocator;
typedef struct OCILobLocator OCIBFileLocator;
typedef struct OCILobRegion OCILobRegion;
typedef struct OCIParam OCIParam;
typedef struct OCIComplexObjectComp OCIComplexObjectComp;
typedef struct OCIRowid OCIRowid;
typedef struct OCIDateTime OCIDateTime;
typedef struct OCIInterval OCIInterval;
typedef struct OCIUcb OCIUcb;                 /* user-callback descriptor */
typedef struct OCIServerDNs OCIServerDNs;

/* Advanced queueing descriptors. */
typedef struct OCIAQEnqOptions OCIAQEnqOptions;
typedef struct OCIAQDeqOptions OCIAQDeqOptions;
typedef struct OCIAQMsgProperties OCIAQMsgProperties;
typedef struct OCIAQAgent OCIAQAgent;
typedef struct OCIAQNfyDescriptor OCIAQNfyDescriptor;
typedef struct OCIAQSignature OCIAQSignature;
typedef struct OCIAQListenOpts OCIAQListenOpts;
typedef struct OCIAQLisMsgProps OCIAQLisMsgProps;

/* Change-notification descriptors (descriptor types 77-80). */
typedef struct OCIChDes OCIChDes;
typedef struct OCITableChDes OCITableChDes;
typedef struct OCIRowChDes OCIRowChDes;
typedef struct OCICQDes OCICQDes;

/* Cartridge services: threads, files, messages. */
typedef struct OCIThreadContext OCIThreadContext;
typedef struct OCIThreadMutex OCIThreadMutex;
typedef struct OCIThreadKey OCIThreadKey;
typedef struct OCIThreadId OCIThreadId;
typedef struct OCIThreadHandle OCIThreadHandle;
typedef struct OCIFileObject OCIFileObject;
typedef struct OCIMsg OCIMsg;

/* LOB offsets and lengths of the 32-bit calls. */
typedef ub4 OCILobOffset;
typedef ub4 OCILobLength;

/* Wide character of the OCIWideChar* family. */
typedef ub4 OCIWchar;

/* ====================================================================
 * Return codes
 * ================================================================== */
#define OCI_SUCCESS 0
#define OCI_SUCCESS_WITH_INFO 1
#define OCI_RESERVED_FOR_INT_USE 200
#define OCI_NO_DATA 100
#define OCI_ERROR -1
#define OCI_INVALID_HANDLE -2
#define OCI_NEED_DATA 99
#define OCI_STILL_EXECUTING -3123
#define OCI_CONTINUE -24200          /* user callback: carry on */
#define OCI_ROWCBK_DONE -24201       /* row callback: stop */

/* Sizes of error message buffers (OCIErrorGet). */
#define OCI_ERROR_MAXMSG_SIZE 1024
#define OCI_ERROR_MAXMSG_SIZE2 3072

/* ====================================================================
 * Environment creation modes (OCIEnvCreate, OCIEnvNlsCreate,
 * OCIInitialize)
 * ================================================================== */
#define OCI_DEFAULT 0x00000000
#define OCI_THREADED 0x00000001
#define OCI_OBJECT 0x00000002
#define OCI_EVENTS 0x00000004
#define OCI_RESERVED1 0x00000008
#define OCI_SHARED 0x00000010
#define OCI_RESERVED2 0x00000020
#define OCI_NO_UCB 0x00000040
#define OCI_NO_MUTEX 0x00000080
#define OCI_SHARED_EXT 0x00000100
#define OCI_ALWAYS_BLOCKING 0x00000400
#define OCI_USE_LDAP 0x00001000
#define OCI_REG_LDAPONLY 0x00002000
#define OCI_UTF16 0x00004000
#define OCI_AFC_PAD_ON 0x00008000
#define OCI_ENVCR_RESERVED3 0x00010000
#define OCI_NEW_LENGTH_SEMANTICS 0x00020000
#define OCI_NO_MUTEX_STMT 0x00040000
#define OCI_MUTEX_ENV_ONLY 0x00080000
#define OCI_SUPPRESS_NLS_VALIDATION 0x00100000
#define OCI_MUTEX_TRY 0x00200000
#define OCI_NCHAR_LITERAL_REPLACE_ON 0x00400000
#define OCI_NCHAR_LITERAL_REPLACE_OFF 0x00800000
#define OCI_ENABLE_NLS_VALIDATION 0x01000000
#define OCI_SECURE_NOTIFICATION 0x20000000

/* OCIEnvInit modes. */
#define OCI_ENV_NO_UCB 0x01
#define OCI_ENV_NO_MUTEX 0x08

/* OCIServerAttach: attach through a connection pool. */
#define OCI_CPOOL 0x00000200

/* OCIPasswordChange: authenticate with the old password first. */
#define OCI_AUTH 0x08

/* ====================================================================
 * Statement syntax (OCIStmtPrepare `language')
 * ================================================================== */
#define OCI_NTV_SYNTAX 1
#define OCI_V7_SYNTAX 2
#define OCI_V8_SYNTAX 3
#define OCI_FOREIGN_SYNTAX UB4MAXVAL

/* ====================================================================
 * Execution modes (OCIStmtExecute `mode')
 * ================================================================== */
#define OCI_BATCH_MODE 0x00000001
#define OCI_EXACT_FETCH 0x00000002
#define OCI_STMT_SCROLLABLE_READONLY 0x00000008
#define OCI_DESCRIBE_ONLY 0x00000010
#define OCI_COMMIT_ON_SUCCESS 0x00000020
#define OCI_NON_BLOCKING 0x00000040
#define OCI_BATCH_ERRORS 0x00000080
#define OCI_PARSE_ONLY 0x00000100
#define OCI_EXACT_FETCH_RESERVED_1 0x00000200
#define OCI_SHOW_DML_WARNINGS 0x00000400
#define OCI_EXEC_RESERVED_2 0x00000800
#define OCI_DESC_RESERVED_1 0x00001000
#define OCI_EXEC_RESERVED_3 0x00002000
#define OCI_EXEC_RESERVED_4 0x00004000
#define OCI_EXEC_RESERVED_5 0x00008000
#define OCI_EXEC_RESERVED_6 0x00010000
#define OCI_RESULT_CACHE 0x00020000
#define OCI_NO_RESULT_CACHE 0x00040000
#define OCI_EXEC_RESERVED_7 0x00080000

/* ====================================================================
 * Bind and define modes
 * ================================================================== */
#define OCI_SB2_IND_PTR 0x00000001
#define OCI_DATA_AT_EXEC 0x00000002
#define OCI_DYNAMIC_FETCH 0x00000002
#define OCI_PIECEWISE 0x00000004
#define OCI_DEFINE_RESERVED_1 0x00000008
#define OCI_BIND_RESERVED_2 0x00000010
#define OCI_DEFINE_RESERVED_2 0x00000020
#define OCI_BIND_SOFT 0x00000040
#define OCI_DEFINE_SOFT 0x00000080
#define OCI_BIND_RESERVED_3 0x00000100
#define OCI_IOV 0x00000200

/* ====================================================================
 * Credentials and session modes (OCISessionBegin)
 * ================================================================== */
#define OCI_CRED_RDBMS 1
#define OCI_CRED_EXT 2
#define OCI_CRED_PROXY 3
#define OCI_CRED_RESERVED_1 4
#define OCI_CRED_RESERVED_2 5

#define OCI_MIGRATE 0x00000001
#define OCI_SYSDBA 0x00000002
#define OCI_SYSOPER 0x00000004
#define OCI_PRELIM_AUTH 0x00000008
#define OCIP_ICACHE 0x00000010
#define OCI_AUTH_RESERVED_1 0x00000020
#define OCI_STMT_CACHE 0x00000040
#define OCI_STATELESS_CALL 0x00000080
#define OCI_STATELESS_TXN 0x00000100
#define OCI_STATELESS_APP 0x00000200
#define OCI_AUTH_RESERVED_2 0x00000400
#define OCI_AUTH_RESERVED_3 0x00000800
#define OCI_AUTH_RESERVED_4 0x00001000
#define OCI_AUTH_RESERVED_5 0x00002000
#define OCI_SYSASM 0x00008000
#define OCI_AUTH_RESERVED_6 0x00010000

/* OCISessionGet modes. */
#define OCI_SESSGET_SPOOL 0x0001
#define OCI_SESSGET_CPOOL OCI_CPOOL
#define OCI_SESSGET_STMTCACHE 0x0004
#define OCI_SESSGET_CREDPROXY 0x0008
#define OCI_SESSGET_CREDEXT 0x0010
#define OCI_SESSGET_SPOOL_MATCHANY 0x0020
#define OCI_SESSGET_PURITY_NEW 0x0040
#define OCI_SESSGET_PURITY_SELF 0x0080
#define OCI_SESSGET_SYSDBA 0x0100

/* OCISessionRelease modes. */
#define OCI_SESSRLS_DROPSESS 0x0001
#define OCI_SESSRLS_RETAG 0x0002

/* OCISessionPoolCreate / OCISessionPoolDestroy modes. */
#define OCI_SPC_REINITIALIZE 0x0001
#define OCI_SPC_HOMOGENEOUS 0x0002
#define OCI_SPC_STMTCACHE 0x0004
#define OCI_SPC_NO_RLB 0x0008
#define OCI_SPD_FORCE 0x0001

/* OCI_ATTR_SPOOL_GETMODE values. */
#define OCI_SPOOL_ATTRVAL_WAIT 0
#define OCI_SPOOL_ATTRVAL_NOWAIT 1
#define OCI_SPOOL_ATTRVAL_FORCEGET 2

/* OCIConnectionPoolCreate / OCIConnectionPoolDestroy modes. */
#define OCI_CPOOL_REINITIALIZE 0x111

/* OCILogon2 modes. */
#define OCI_LOGON2_SPOOL 0x0001
#define OCI_LOGON2_CPOOL OCI_CPOOL
#define OCI_LOGON2_STMTCACHE 0x0004
#define OCI_LOGON2_PROXY 0x0008

/* OCIStmtPrepare2 and OCIStmtRelease modes. */
#define OCI_PREP2_CACHE_SEARCHONLY 0x0010
#define OCI_PREP2_GET_PLSQL_WARNINGS 0x0020
#define OCI_PREP2_RESERVED_1 0x0040
#define OCI_STRLS_CACHE_DELETE 0x0010

/* OCI_ATTR_PURITY values. */
#define OCI_ATTR_PURITY_DEFAULT 0x00
#define OCI_ATTR_PURITY_NEW 0x01
#define OCI_ATTR_PURITY_SELF 0x02

/* OCI_ATTR_SERVER_STATUS values. */
#define OCI_SERVER_NOT_CONNECTED 0x0
#define OCI_SERVER_NORMAL 0x1

/* OCIServerRelease2 mode: the version number only, no text. */
#define OCI_SRVRELEASE2_CACHED 0x0001

/* OCI_ATTR_SESSION_STATE and OCI_ATTR_SESSION_STATETYPE values. */
#define OCI_SESSION_STATELESS 1
#define OCI_SESSION_STATEFUL 2
#define OCI_SESSION_STATELESS_DEF 0
#define OCI_SESSION_STATELESS_CAL OCI_STATELESS_CALL
#define OCI_SESSION_STATELESS_TXN OCI_STATELESS_TXN
#define OCI_SESSION_STATELESS_APP OCI_STATELESS_APP

/* ====================================================================
 * Statement types (OCI_ATTR_STMT_TYPE) and states (OCI_ATTR_STMT_STATE)
 * ================================================================== */
#define OCI_STMT_UNKNOWN 0
#define OCI_STMT_SELECT 1
#define OCI_STMT_UPDATE 2
#define OCI_STMT_DELETE 3
#define OCI_STMT_INSERT 4
#define OCI_STMT_CREATE 5
#define OCI_STMT_DROP 6
#define OCI_STMT_ALTER 7
#define OCI_STMT_BEGIN 8
#define OCI_STMT_DECLARE 9
#define OCI_STMT_CALL 10

#define OCI_STMT_STATE_INITIALIZED 0x0001
#define OCI_STMT_STATE_EXECUTED 0x0002
#define OCI_STMT_STATE_END_OF_FETCH 0x0003

/* ====================================================================
 * Fetch orientations (OCIStmtFetch2)
 * ================================================================== */
#define OCI_FETCH_CURRENT 0x00000001
#define OCI_FETCH_NEXT 0x00000002
#define OCI_FETCH_FIRST 0x00000004
#define OCI_FETCH_LAST 0x00000008
#define OCI_FETCH_PRIOR 0x00000010
#define OCI_FETCH_ABSOLUTE 0x00000020
#define OCI_FETCH_RELATIVE 0x00000040
#define OCI_FETCH_RESERVED_1 0x00000080
#define OCI_FETCH_RESERVED_2 0x00000100
#define OCI_FETCH_RESERVED_3 0x00000200
#define OCI_FETCH_RESERVED_4 0x00000400
#define OCI_FETCH_RESERVED_5 0x00000800

/* ====================================================================
 * Describe: object kinds handed to OCIDescribeAny, parameter types
 * (OCI_ATTR_PTYPE) and list types (OCI_ATTR_LTYPE)
 * ================================================================== */
#define OCI_OTYPE_UNK 0
#define OCI_OTYPE_TABLE 1
#define OCI_OTYPE_VIEW 2
#define OCI_OTYPE_SYN 3
#define OCI_OTYPE_PROC 4
#define OCI_OTYPE_FUNC 5
#define OCI_OTYPE_PKG 6
#define OCI_OTYPE_STMT 7

#define OCI_OTYPE_NAME 1
#define OCI_OTYPE_REF 2
#define OCI_OTYPE_PTR 3

#define OCI_PTYPE_UNK 0
#define OCI_PTYPE_TABLE 1
#define OCI_PTYPE_VIEW 2
#define OCI_PTYPE_PROC 3
#define OCI_PTYPE_FUNC 4
#define OCI_PTYPE_PKG 5
#define OCI_PTYPE_TYPE 6
#define OCI_PTYPE_SYN 7
#define OCI_PTYPE_SEQ 8
#define OCI_PTYPE_COL 9
#define OCI_PTYPE_ARG 10
#define OCI_PTYPE_LIST 11
#define OCI_PTYPE_TYPE_ATTR 12
#define OCI_PTYPE_TYPE_COLL 13
#define OCI_PTYPE_TYPE_METHOD 14
#define OCI_PTYPE_TYPE_ARG 15
#define OCI_PTYPE_TYPE_RESULT 16
#define OCI_PTYPE_SCHEMA 17
#define OCI_PTYPE_DATABASE 18
#define OCI_PTYPE_RULE 19
#define OCI_PTYPE_RULE_SET 20
#define OCI_PTYPE_EVALUATION_CONTEXT 21
#define OCI_PTYPE_TABLE_ALIAS 22
#define OCI_PTYPE_VARIABLE_TYPE 23
#define OCI_PTYPE_NAME_VALUE 24

#define OCI_LTYPE_UNK 0
#define OCI_LTYPE_COLUMN 1
#define OCI_LTYPE_ARG_PROC 2
#define OCI_LTYPE_ARG_FUNC 3
#define OCI_LTYPE_SUBPRG 4
#define OCI_LTYPE_TYPE_ATTR 5
#define OCI_LTYPE_TYPE_METHOD 6
#define OCI_LTYPE_TYPE_ARG_PROC 7
#define OCI_LTYPE_TYPE_ARG_FUNC 8
#define OCI_LTYPE_SCH_OBJ 9
#define OCI_LTYPE_DB_SCH 10
#define OCI_LTYPE_TYPE_SUBTYPE 11
#define OCI_LTYPE_TABLE_ALIAS 12
#define OCI_LTYPE_VARIABLE_TYPE 13
#define OCI_LTYPE_NAME_VALUE 14

/* ====================================================================
 * Transactions (OCITransStart, OCITransCommit flags)
 * ================================================================== */
#define OCI_TRANS_NEW 0x00000001
#define OCI_TRANS_JOIN 0x00000002
#define OCI_TRANS_RESUME 0x00000004
#define OCI_TRANS_STARTMASK 0x000000ff
#define OCI_TRANS_READONLY 0x00000100
#define OCI_TRANS_READWRITE 0x00000200
#define OCI_TRANS_SERIALIZABLE 0x00000400
#define OCI_TRANS_ISOLMASK 0x0000ff00
#define OCI_TRANS_LOOSE 0x00010000
#define OCI_TRANS_TIGHT 0x00020000
#define OCI_TRANS_TYPEMASK 0x000f0000
#define OCI_TRANS_NOMIGRATE 0x00100000
#define OCI_TRANS_SEPARABLE 0x00200000
#define OCI_TRANS_OTSRESUME 0x00400000
#define OCI_TRANS_OTHRMASK 0xfff00000
#define OCI_TRANS_TWOPHASE 0x01000000
#define OCI_TRANS_WRITEBATCH 0x00000001
#define OCI_TRANS_WRITEIMMED 0x00000002
#define OCI_TRANS_WRITEWAIT 0x00000004
#define OCI_TRANS_WRITENOWAIT 0x00000008

/* ====================================================================
 * Database start-up and shut-down (OCIDBStartup, OCIDBShutdown)
 * ================================================================== */
#define OCI_DBSTARTUPFLAG_FORCE 0x00000001
#define OCI_DBSTARTUPFLAG_RESTRICT 0x00000002

#define OCI_DBSHUTDOWN_TRANSACTIONAL 1
#define OCI_DBSHUTDOWN_TRANSACTIONAL_LOCAL 2
#define OCI_DBSHUTDOWN_IMMEDIATE 3
#define OCI_DBSHUTDOWN_ABORT 4
#define OCI_DBSHUTDOWN_FINAL 5

/* ====================================================================
 * Transparent application failover
 * ================================================================== */
/* Failover types. */
#define OCI_FO_NONE 0x00000001
#define OCI_FO_SESSION 0x00000002
#define OCI_FO_SELECT 0x00000004
#define OCI_FO_TXNAL 0x00000008
/* Failover events. */
#define OCI_FO_END 0x00000001
#define OCI_FO_ABORT 0x00000002
#define OCI_FO_REAUTH 0x00000004
#define OCI_FO_BEGIN 0x00000008
#define OCI_FO_ERROR 0x00000010
/* Returned by a failover callback to ask for another attempt. */
#define OCI_FO_RETRY 25410

/* ====================================================================
 * LOBs
 * ================================================================== */
/* OCILobOpen / OCILobFileOpen modes. */
#define OCI_LOB_READONLY 1
#define OCI_LOB_READWRITE 2
#define OCI_LOB_WRITEONLY 3
#define OCI_LOB_APPENDONLY 4
#define OCI_LOB_FULLOVERWRITE 5
#define OCI_LOB_FULLREAD 6
#define OCI_FILE_READONLY 1

/* OCILobFlushBuffer flags. */
#define OCI_LOB_BUFFER_FREE 1
#define OCI_LOB_BUFFER_NOFREE 2

/* Largest LOB length the 32-bit calls can express. */
#define OCI_LOBMAXSIZE MINUB4MAXVAL

/* SecureFile options (OCILobGetOptions / OCILobSetOptions). */
#define OCI_LOB_OPT_COMPRESS 1
#define OCI_LOB_OPT_ENCRYPT 2
#define OCI_LOB_OPT_DEDUPLICATE 4
#define OCI_LOB_OPT_ALLOCSIZE 8
#define OCI_LOB_OPT_CONTENTTYPE 16
#define OCI_LOB_OPT_MODTIME 32
#define OCI_LOB_COMPRESS_OFF 0
#define OCI_LOB_COMPRESS_ON 1
#define OCI_LOB_ENCRYPT_OFF 0
#define OCI_LOB_ENCRYPT_ON 2
#define OCI_LOB_DEDUPLICATE_OFF 0
#define OCI_LOB_DEDUPLICATE_ON 4
#define OCI_LOB_CONTENTTYPE_MAXSIZE 128
#define OCI_LOB_CONTENTTYPE_MAXBYTESIZE (OCI_LOB_CONTENTTYPE_MAXSIZE * 4)

/* Old-style LOB open modes. */
enum OCILobMode {
  OCI_LOBMODE_READONLY = 1,
  OCI_LOBMODE_READWRITE = 2
};
typedef enum OCILobMode OCILobMode;

/* ====================================================================
 * Advanced queueing
 * ================================================================== */
#define OCI_ENQ_IMMEDIATE 1
#define OCI_ENQ_ON_COMMIT 2
#define OCI_ENQ_BEFORE 2
#define OCI_ENQ_TOP 3

#define OCI_DEQ_BROWSE 1
#define OCI_DEQ_LOCKED 2
#define OCI_DEQ_REMOVE 3
#define OCI_DEQ_REMOVE_NODATA 4
#define OCI_DEQ_GETSIGNATURE 5

#define OCI_DEQ_FIRST_MSG 1
#define OCI_DEQ_NEXT_MSG 3
#define OCI_DEQ_NEXT_TRANSACTION 2
#define OCI_DEQ_FIRST_MSG_MULTI_GROUP 4
#define OCI_DEQ_MULT_TRANSACTION 5
#define OCI_DEQ_NEXT_MSG_MULTI_GROUP OCI_DEQ_MULT_TRANSACTION

#define OCI_DEQ_IMMEDIATE 1
#define OCI_DEQ_ON_COMMIT 2

#define OCI_DEQ_WAIT_FOREVER -1
#define OCI_DEQ_NO_WAIT 0

#define OCI_MSG_NO_DELAY 0
#define OCI_MSG_NO_EXPIRATION -1
#define OCI_MSG_READY 0
#define OCI_MSG_WAITING 1
#define OCI_MSG_PROCESSED 2
#define OCI_MSG_EXPIRED 3

#define OCI_MSG_PERSISTENT 1
#define OCI_MSG_BUFFERED 2
#define OCI_MSG_PERSISTENT_OR_BUFFERED 3

#define OCI_AQ_RESERVED_1 0x0002
#define OCI_AQ_RESERVED_2 0x0004
#define OCI_AQ_RESERVED_3 0x0008
#define OCI_AQ_RESERVED_4 0x0010

/* ====================================================================
 * Subscriptions and notifications
 * ================================================================== */
#define OCI_SUBSCR_NAMESPACE_ANONYMOUS 0
#define OCI_SUBSCR_NAMESPACE_AQ 1
#define OCI_SUBSCR_NAMESPACE_DBCHANGE 2

#define OCI_SUBSCR_PROTO_OCI 0
#define OCI_SUBSCR_PROTO_MAIL 1
#define OCI_SUBSCR_PROTO_SERVER 2
#define OCI_SUBSCR_PROTO_HTTP 3
#define OCI_SUBSCR_PROTO_MAX 4

#define OCI_SUBSCR_PRES_DEFAULT 0
#define OCI_SUBSCR_PRES_XML 1
#define OCI_SUBSCR_PRES_MAX 2

#define OCI_SUBSCR_QOS_RELIABLE 0x01
#define OCI_SUBSCR_QOS_PAYLOAD 0x02
#define OCI_SUBSCR_QOS_REPLICATE 0x04
#define OCI_SUBSCR_QOS_SECURE 0x08
#define OCI_SUBSCR_QOS_PURGE_ON_NTFN 0x10
#define OCI_SUBSCR_QOS_MULTICBK 0x20

#define OCI_SUBSCR_CQ_QOS_QUERY 0x01
#define OCI_SUBSCR_CQ_QOS_BEST_EFFORT 0x02
#define OCI_SUBSCR_CQ_QOS_CLQRYCACHE 0x04

#define OCI_SUBSCR_NTFN_GROUPING_CLASS_TIME 1
#define OCI_SUBSCR_NTFN_GROUPING_TYPE_SUMMARY 1
#define OCI_SUBSCR_NTFN_GROUPING_TYPE_LAST 2
#define OCI_SUBSCR_NTFN_GROUPING_FOREVER -1

/* Database events reported to a change-notification callback. */
#define OCI_EVENT_NONE 0x0
#define OCI_EVENT_STARTUP 0x1
#define OCI_EVENT_SHUTDOWN 0x2
#define OCI_EVENT_SHUTDOWN_ANY 0x3
#define OCI_EVENT_DROP_DB 0x4
#define OCI_EVENT_DEREG 0x5
#define OCI_EVENT_OBJCHANGE 0x6
#define OCI_EVENT_QUERYCHANGE 0x7

/* Row and table operations in a change notification. */
#define OCI_OPCODE_ALLROWS 0x1
#define OCI_OPCODE_ALLOPS 0x0
#define OCI_OPCODE_INSERT 0x2
#define OCI_OPCODE_UPDATE 0x4
#define OCI_OPCODE_DELETE 0x8
#define OCI_OPCODE_ALTER 0x10
#define OCI_OPCODE_DROP 0x20
#define OCI_OPCODE_UNKNOWN 0x40

/* High-availability event sources and statuses. */
#define OCI_HA_SOURCE_INSTANCE 0
#define OCI_HA_SOURCE_DATABASE 1
#define OCI_HA_SOURCE_NODE 2
#define OCI_HA_SOURCE_SERVICE 3
#define OCI_HA_SOURCE_SERVICE_MEMBER 4
#define OCI_HA_SOURCE_ASM_INSTANCE 5
#define OCI_HA_SOURCE_SERVICE_PRECONNECT 6
#define OCI_HA_STATUS_DOWN 0
#define OCI_HA_STATUS_UP 1

/* ====================================================================
 * Datetime and interval validity bits (OCIDateTimeCheck,
 * OCIIntervalCheck)
 * ================================================================== */
#define OCI_DT_INVALID_DAY 0x1
#define OCI_DT_DAY_BELOW_VALID 0x2
#define OCI_DT_INVALID_MONTH 0x4
#define OCI_DT_MONTH_BELOW_VALID 0x8
#define OCI_DT_INVALID_YEAR 0x10
#define OCI_DT_YEAR_BELOW_VALID 0x20
#define OCI_DT_INVALID_HOUR 0x40
#define OCI_DT_HOUR_BELOW_VALID 0x80
#define OCI_DT_INVALID_MINUTE 0x100
#define OCI_DT_MINUTE_BELOW_VALID 0x200
#define OCI_DT_INVALID_SECOND 0x400
#define OCI_DT_SECOND_BELOW_VALID 0x800
#define OCI_DT_DAY_MISSING_FROM_1582 0x1000
#define OCI_DT_YEAR_ZERO 0x2000
#define OCI_DT_INVALID_TIMEZONE 0x4000
#define OCI_DT_INVALID_FORMAT 0x8000

#define OCI_INTER_INVALID_DAY 0x1
#define OCI_INTER_DAY_BELOW_VALID 0x2
#define OCI_INTER_INVALID_MONTH 0x4
#define OCI_INTER_MONTH_BELOW_VALID 0x8
#define OCI_INTER_INVALID_YEAR 0x10
#define OCI_INTER_YEAR_BELOW_VALID 0x20
#define OCI_INTER_INVALID_HOUR 0x40
#define OCI_INTER_HOUR_BELOW_VALID 0x80
#define OCI_INTER_INVALID_MINUTE 0x100
#define OCI_INTER_MINUTE_BELOW_VALID 0x200
#define OCI_INTER_INVALID_SECOND 0x400
#define OCI_INTER_SECOND_BELOW_VALID 0x800
#define OCI_INTER_INVALID_FRACSEC 0x1000
#define OCI_INTER_FRACSEC_BELOW_VALID 0x2000

/* ====================================================================
 * Function codes: identify an entry point to user callbacks
 * (OCIUserCallbackRegister `fcode') and in OCI_ATTR_FNCODE.  Codes
 * without a name belong to calls that no longer exist.
 * ================================================================== */
#define OCI_FNCODE_INITIALIZE           1
#define OCI_FNCODE_HANDLEALLOC          2
#define OCI_FNCODE_HANDLEFREE           3
#define OCI_FNCODE_DESCRIPTORALLOC      4
#define OCI_FNCODE_DESCRIPTORFREE       5
#define OCI_FNCODE_ENVINIT              6
#define OCI_FNCODE_SERVERATTACH         7
#define OCI_FNCODE_SERVERDETACH         8
#define OCI_FNCODE_SESSIONBEGIN         10
#define OCI_FNCODE_SESSIONEND           11
#define OCI_FNCODE_PASSWORDCHANGE       12
#define OCI_FNCODE_STMTPREPARE          13
#define OCI_FNCODE_BINDDYNAMIC          17
#define OCI_FNCODE_BINDOBJECT           18
#define OCI_FNCODE_BINDARRAYOFSTRUCT    20
#define OCI_FNCODE_STMTEXECUTE          21
#define OCI_FNCODE_DEFINEOBJECT         25
#define OCI_FNCODE_DEFINEDYNAMIC        26
#define OCI_FNCODE_DEFINEARRAYOFSTRUCT  27
#define OCI_FNCODE_STMTFETCH            28
#define OCI_FNCODE_STMTGETBIND          29
#define OCI_FNCODE_DESCRIBEANY          32
#define OCI_FNCODE_TRANSSTART           33
#define OCI_FNCODE_TRANSDETACH          34
#define OCI_FNCODE_TRANSCOMMIT          35
#define OCI_FNCODE_ERRORGET             37
#define OCI_FNCODE_LOBOPENFILE          38
#define OCI_FNCODE_LOBCLOSEFILE         39
#define OCI_FNCODE_LOBCOPY              42
#define OCI_FNCODE_LOBAPPEND            43
#define OCI_FNCODE_LOBERASE             44
#define OCI_FNCODE_LOBLENGTH            45
#define OCI_FNCODE_LOBTRIM              46
#define OCI_FNCODE_LOBREAD              47
#define OCI_FNCODE_LOBWRITE             48
#define OCI_FNCODE_SVCCTXBREAK          50
#define OCI_FNCODE_SERVERVERSION        51
#define OCI_FNCODE_KERBATTRSET          52
#define OCI_FNCODE_ATTRGET              54
#define OCI_FNCODE_ATTRSET              55
#define OCI_FNCODE_PARAMSET             56
#define OCI_FNCODE_PARAMGET             57
#define OCI_FNCODE_STMTGETPIECEINFO     58
#define OCI_FNCODE_LDATOSVCCTX          59
#define OCI_FNCODE_STMTSETPIECEINFO     61
#define OCI_FNCODE_TRANSFORGET          62
#define OCI_FNCODE_TRANSPREPARE         63
#define OCI_FNCODE_TRANSROLLBACK        64
#define OCI_FNCODE_DEFINEBYPOS          65
#define OCI_FNCODE_BINDBYPOS            66
#define OCI_FNCODE_BINDBYNAME           67
#define OCI_FNCODE_LOBASSIGN            68
#define OCI_FNCODE_LOBISEQUAL           69
#define OCI_FNCODE_LOBISINIT            70
#define OCI_FNCODE_LOBENABLEBUFFERING   71
#define OCI_FNCODE_LOBCHARSETID         72
#define OCI_FNCODE_LOBCHARSETFORM       73
#define OCI_FNCODE_LOBFILESETNAME       74
#define OCI_FNCODE_LOBFILEGETNAME       75
#define OCI_FNCODE_LOGON                76
#define OCI_FNCODE_LOGOFF               77
#define OCI_FNCODE_LOBDISABLEBUFFERING  78
#define OCI_FNCODE_LOBFLUSHBUFFER       79
#define OCI_FNCODE_LOBLOADFROMFILE      80
#define OCI_FNCODE_LOBOPEN              81
#define OCI_FNCODE_LOBCLOSE             82
#define OCI_FNCODE_LOBISOPEN            83
#define OCI_FNCODE_LOBFILEISOPEN        84
#define OCI_FNCODE_LOBFILEEXISTS        85
#define OCI_FNCODE_LOBFILECLOSEALL      86
#define OCI_FNCODE_LOBCREATETEMP        87
#define OCI_FNCODE_LOBFREETEMP          88
#define OCI_FNCODE_LOBISTEMP            89
#define OCI_FNCODE_AQENQ                90
#define OCI_FNCODE_AQDEQ                91
#define OCI_FNCODE_RESET                92
#define OCI_FNCODE_SVCCTXTOLDA          93
#define OCI_FNCODE_LOBLOCATORASSIGN     94
#define OCI_FNCODE_UBINDBYNAME          95
#define OCI_FNCODE_AQLISTEN             96
#define OCI_FNCODE_SVC2HST              97
#define OCI_FNCODE_SVCRH                98
#define OCI_FNCODE_TRANSMULTIPREPARE    99
#define OCI_FNCODE_CPOOLCREATE          100
#define OCI_FNCODE_CPOOLDESTROY         101
#define OCI_FNCODE_LOGON2               102
#define OCI_FNCODE_ROWIDTOCHAR          103
#define OCI_FNCODE_SPOOLCREATE          104
#define OCI_FNCODE_SPOOLDESTROY         105
#define OCI_FNCODE_SESSIONGET           106
#define OCI_FNCODE_SESSIONRELEASE       107
#define OCI_FNCODE_STMTPREPARE2         108
#define OCI_FNCODE_STMTRELEASE          109
#define OCI_FNCODE_AQENQARRAY           110
#define OCI_FNCODE_AQDEQARRAY           111
#define OCI_FNCODE_LOBCOPY2             112
#define OCI_FNCODE_LOBERASE2            113
#define OCI_FNCODE_LOBLENGTH2           114
#define OCI_FNCODE_LOBLOADFROMFILE2     115
#define OCI_FNCODE_LOBREAD2             116
#define OCI_FNCODE_LOBTRIM2             117
#define OCI_FNCODE_LOBWRITE2            118
#define OCI_FNCODE_LOBGETSTORAGELIMIT   119
#define OCI_FNCODE_DBSTARTUP            120
#define OCI_FNCODE_DBSHUTDOWN           121
#define OCI_FNCODE_LOBARRAYREAD         122
#define OCI_FNCODE_LOBARRAYWRITE        123
#define OCI_FNCODE_MAXFCN               123

/* ====================================================================
 * User callbacks: when a registered callback runs relative to the call
 * ================================================================== */
#define OCI_UCBTYPE_ENTRY 1
#define OCI_UCBTYPE_EXIT 2
#define OCI_UCBTYPE_REPLACE 3

/* ====================================================================
 * Attributes of handles (OCIAttrGet / OCIAttrSet `attrtype').  The
 * number space is shared by all handle kinds; a number means what the
 * handle kind it is applied to says.
 * ================================================================== */
#define OCI_ATTR_FNCODE 1
#define OCI_ATTR_OBJECT 2
#define OCI_ATTR_NONBLOCKING_MODE 3
#define OCI_ATTR_SQLCODE 4
#define OCI_ATTR_ENV 5
#define OCI_ATTR_SERVER 6
#define OCI_ATTR_SESSION 7
#define OCI_ATTR_TRANS 8
#define OCI_ATTR_ROW_COUNT 9
#define OCI_ATTR_SQLFNCODE 10
#define OCI_ATTR_PREFETCH_ROWS 11
#define OCI_ATTR_NESTED_PREFETCH_ROWS 12
#define OCI_ATTR_PREFETCH_MEMORY 13
#define OCI_ATTR_NESTED_PREFETCH_MEMORY 14
#define OCI_ATTR_CHAR_COUNT 15
#define OCI_ATTR_PDSCL 16
#define OCI_ATTR_FSPRECISION OCI_ATTR_PDSCL
#define OCI_ATTR_PDPRC 17
#define OCI_ATTR_LFPRECISION OCI_ATTR_PDPRC
#define OCI_ATTR_PARAM_COUNT 18
#define OCI_ATTR_ROWID 19
#define OCI_ATTR_CHARSET 20
#define OCI_ATTR_NCHAR 21
#define OCI_ATTR_USERNAME 22
#define OCI_ATTR_PASSWORD 23
#define OCI_ATTR_STMT_TYPE 24
#define OCI_ATTR_INTERNAL_NAME 25
#define OCI_ATTR_EXTERNAL_NAME 26
#define OCI_ATTR_XID 27
#define OCI_ATTR_TRANS_LOCK 28
#define OCI_ATTR_TRANS_NAME 29
#define OCI_ATTR_HEAPALLOC 30
#define OCI_ATTR_CHARSET_ID 31
#define OCI_ATTR_CHARSET_FORM 32
#define OCI_ATTR_MAXDATA_SIZE 33
#define OCI_ATTR_CACHE_OPT_SIZE 34
#define OCI_ATTR_CACHE_MAX_SIZE 35
#define OCI_ATTR_PINOPTION 36
#define OCI_ATTR_ALLOC_DURATION 37
#define OCI_ATTR_PIN_DURATION 38
#define OCI_ATTR_FDO 39
#define OCI_ATTR_POSTPROCESSING_CALLBACK 40
#define OCI_ATTR_POSTPROCESSING_CONTEXT 41
#define OCI_ATTR_ROWS_RETURNED 42
#define OCI_ATTR_FOCBK 43
#define OCI_ATTR_IN_V8_MODE 44
#define OCI_ATTR_LOBEMPTY 45
#define OCI_ATTR_SESSLANG 46

/* Advanced queueing options and message properties. */
#define OCI_ATTR_VISIBILITY 47
#define OCI_ATTR_RELATIVE_MSGID 48
#define OCI_ATTR_SEQUENCE_DEVIATION 49
#define OCI_ATTR_CONSUMER_NAME 50
#define OCI_ATTR_DEQ_MODE 51
#define OCI_ATTR_NAVIGATION 52
#define OCI_ATTR_WAIT 53
#define OCI_ATTR_DEQ_MSGID 54
#define OCI_ATTR_PRIORITY 55
#define OCI_ATTR_DELAY 56
#define OCI_ATTR_EXPIRATION 57
#define OCI_ATTR_CORRELATION 58
#define OCI_ATTR_ATTEMPTS 59
#define OCI_ATTR_RECIPIENT_LIST 60
#define OCI_ATTR_EXCEPTION_QUEUE 61
#define OCI_ATTR_ENQ_TIME 62
#define OCI_ATTR_MSG_STATE 63
#define OCI_ATTR_AGENT_NAME 64
#define OCI_ATTR_AGENT_ADDRESS 65
#define OCI_ATTR_AGENT_PROTOCOL 66
#define OCI_ATTR_USER_PROPERTY 67
#define OCI_ATTR_SENDER_ID 68
#define OCI_ATTR_ORIGINAL_MSGID 69
#define OCI_ATTR_QUEUE_NAME 70
#define OCI_ATTR_NFY_MSGID 71
#define OCI_ATTR_MSG_PROP 72

/* Array DML errors. */
#define OCI_ATTR_NUM_DML_ERRORS 73
#define OCI_ATTR_DML_ROW_OFFSET 74
#define OCI_ATTR_AQ_NUM_ERRORS OCI_ATTR_NUM_DML_ERRORS
#define OCI_ATTR_AQ_ERROR_INDEX OCI_ATTR_DML_ROW_OFFSET

/* Direct path loading. */
#define OCI_ATTR_DATEFORMAT 75
#define OCI_ATTR_BUF_ADDR 76
#define OCI_ATTR_BUF_SIZE 77
#define OCI_ATTR_DIRPATH_MODE 78
#define OCI_ATTR_DIRPATH_NOLOG 79
#define OCI_ATTR_DIRPATH_PARALLEL 80
#define OCI_ATTR_NUM_ROWS 81
#define OCI_ATTR_COL_COUNT 82
#define OCI_ATTR_STREAM_OFFSET 83
#define OCI_ATTR_SHARED_HEAPALLOC 84

#define OCI_ATTR_SERVER_GROUP 85
#define OCI_ATTR_MIGSESSION 86
#define OCI_ATTR_NOCACHE 87

/* Shared memory pool. */
#define OCI_ATTR_MEMPOOL_SIZE 88
#define OCI_ATTR_MEMPOOL_INSTNAME 89
#define OCI_ATTR_MEMPOOL_APPNAME 90
#define OCI_ATTR_MEMPOOL_HOMENAME 91
#define OCI_ATTR_MEMPOOL_MODEL 92
#define OCI_ATTR_MODES 93

/* Subscriptions. */
#define OCI_ATTR_SUBSCR_NAME 94
#define OCI_ATTR_SUBSCR_CALLBACK 95
#define OCI_ATTR_SUBSCR_CTX 96
#define OCI_ATTR_SUBSCR_PAYLOAD 97
#define OCI_ATTR_SUBSCR_NAMESPACE 98

#define OCI_ATTR_PROXY_CREDENTIALS 99
#define OCI_ATTR_INITIAL_CLIENT_ROLES 100

/* Describe: table, view and sequence information. */
#define OCI_ATTR_UNK 101
#define OCI_ATTR_NUM_COLS 102
#define OCI_ATTR_LIST_COLUMNS 103
#define OCI_ATTR_RDBA 104
#define OCI_ATTR_CLUSTERED 105
#define OCI_ATTR_PARTITIONED 106
#define OCI_ATTR_INDEX_ONLY 107
#define OCI_ATTR_LIST_ARGUMENTS 108
#define OCI_ATTR_LIST_SUBPROGRAMS 109
#define OCI_ATTR_REF_TDO 110
#define OCI_ATTR_LINK 111
#define OCI_ATTR_MIN 112
#define OCI_ATTR_MAX 113
#define OCI_ATTR_INCR 114
#define OCI_ATTR_CACHE 115
#define OCI_ATTR_ORDER 116
#define OCI_ATTR_HW_MARK 117
#define OCI_ATTR_TYPE_SCHEMA 118
#define OCI_ATTR_TIMESTAMP 119
#define OCI_ATTR_NUM_ATTRS 120
#define OCI_ATTR_NUM_PARAMS 121
#define OCI_ATTR_OBJID 122
#define OCI_ATTR_PTYPE 123
#define OCI_ATTR_PARAM 124
#define OCI_ATTR_OVERLOAD_ID 125
#define OCI_ATTR_TABLESPACE 126
#define OCI_ATTR_TDO 127
#define OCI_ATTR_LTYPE 128
#define OCI_ATTR_PARSE_ERROR_OFFSET 129
#define OCI_ATTR_IS_TEMPORARY 130
#define OCI_ATTR_IS_TYPED 131
#define OCI_ATTR_DURATION 132
#define OCI_ATTR_IS_INVOKER_RIGHTS 133
#define OCI_ATTR_OBJ_NAME 134
#define OCI_ATTR_OBJ_SCHEMA 135
#define OCI_ATTR_OBJ_ID 136

#define OCI_ATTR_DIRPATH_SORTED_INDEX 137
#define OCI_ATTR_DIRPATH_INDEX_MAINT_METHOD 138
#define OCI_ATTR_DIRPATH_FILE 139
#define OCI_ATTR_DIRPATH_STORAGE_INITIAL 140
#define OCI_ATTR_DIRPATH_STORAGE_NEXT 141

#define OCI_ATTR_TRANS_TIMEOUT 142
#define OCI_ATTR_SERVER_STATUS 143
#define OCI_ATTR_STATEMENT 144
#define OCI_ATTR_DIRPATH_SKIPINDEX 145
#define OCI_ATTR_DEQCOND 146
#define OCI_ATTR_RESERVED_2 147
#define OCI_ATTR_SUBSCR_RECPT 148
#define OCI_ATTR_SUBSCR_RECPTPROTO 149
#define OCI_ATTR_DIRPATH_EXPR_TYPE 150
#define OCI_ATTR_DIRPATH_INPUT 151

/* LDAP registration. */
#define OCI_ATTR_LDAP_HOST 153
#define OCI_ATTR_LDAP_PORT 154
#define OCI_ATTR_BIND_DN 155
#define OCI_ATTR_LDAP_CRED 156
#define OCI_ATTR_WALL_LOC 157
#define OCI_ATTR_LDAP_AUTH 158
#define OCI_ATTR_LDAP_CTX 159
#define OCI_ATTR_SERVER_DNS 160
#define OCI_ATTR_DN_COUNT 161
#define OCI_ATTR_SERVER_DN 162

#define OCI_ATTR_MAXCHAR_SIZE 163
#define OCI_ATTR_CURRENT_POSITION 164
#define OCI_ATTR_RESERVED_3 165
#define OCI_ATTR_RESERVED_4 166
#define OCI_ATTR_DIRPATH_FN_CTX 167

/* Signatures. */
#define OCI_ATTR_DIGEST_ALGO 168
#define OCI_ATTR_CERTIFICATE 169
#define OCI_ATTR_SIGNATURE_ALGO 170
#define OCI_ATTR_CANONICAL_ALGO 171
#define OCI_ATTR_PRIVATE_KEY 172
#define OCI_ATTR_DIGEST_VALUE 173
#define OCI_ATTR_SIGNATURE_VAL 174
#define OCI_ATTR_SIGNATURE 175

/* Statement cache and connection pools. */
#define OCI_ATTR_STMTCACHESIZE 176
#define OCI_ATTR_CONN_NOWAIT 178
#define OCI_ATTR_CONN_BUSY_COUNT 179
#define OCI_ATTR_CONN_OPEN_COUNT 180
#define OCI_ATTR_CONN_TIMEOUT 181
#define OCI_ATTR_STMT_STATE 182
#define OCI_ATTR_CONN_MIN 183
#define OCI_ATTR_CONN_MAX 184
#define OCI_ATTR_CONN_INCR 185
#define OCI_ATTR_DIRPATH_OID 187
#define OCI_ATTR_NUM_OPEN_STMTS 188
#define OCI_ATTR_DESCRIBE_NATIVE 189
#define OCI_ATTR_BIND_COUNT 190
#define OCI_ATTR_HANDLE_POSITION 191
#define OCI_ATTR_RESERVED_5 192
#define OCI_ATTR_SERVER_BUSY 193
#define OCI_ATTR_DIRPATH_SID 194
#define OCI_ATTR_SUBSCR_RECPTPRES 195
#define OCI_ATTR_TRANSFORMATION 196
#define OCI_ATTR_ROWS_FETCHED 197
#define OCI_ATTR_SCN_BASE 198
#define OCI_ATTR_SCN_WRAP 199
#define OCI_ATTR_RESERVED_6 200
#define OCI_ATTR_READONLY_TXN 201
#define OCI_ATTR_RESERVED_7 202
#define OCI_ATTR_RESERVED_8 204
#define OCI_ATTR_ASM_VOL_SPRT 205
#define OCI_ATTR_INST_TYPE 207
#define OCI_ATTR_SPOOL_STMTCACHESIZE 208
#define OCI_ATTR_ENV_UTF16 209
#define OCI_ATTR_RESERVED_9 210
#define OCI_ATTR_RESERVED_10 211
#define OCI_ATTR_STMT_IS_RETURNING 218

/* Values of OCI_ATTR_INST_TYPE. */
#define OCI_INSTANCE_TYPE_UNKNOWN 0
#define OCI_INSTANCE_TYPE_RDBMS 1
#define OCI_INSTANCE_TYPE_OSM 2

/* Session attributes and subscription options (10g and later). */
#define OCI_ATTR_CURRENT_SCHEMA 224
#define OCI_ATTR_SUBSCR_QOSFLAGS 225
#define OCI_ATTR_SUBSCR_PAYLOADCBK 226
#define OCI_ATTR_SUBSCR_TIMEOUT 227
#define OCI_ATTR_SUBSCR_NAMESPACE_CTX 228
#define OCI_ATTR_SUBSCR_CQ_QOSFLAGS 229
#define OCI_ATTR_SUBSCR_CQ_REGID 230
#define OCI_ATTR_SUBSCR_NTFN_GROUPING_CLASS 231
#define OCI_ATTR_SUBSCR_NTFN_GROUPING_VALUE 232
#define OCI_ATTR_SUBSCR_NTFN_GROUPING_TYPE 233
#define OCI_ATTR_SUBSCR_NTFN_GROUPING_START_TIME 234
#define OCI_ATTR_SUBSCR_NTFN_GROUPING_REPEAT_COUNT 235
#define OCI_ATTR_AQ_NTFN_GROUPING_MSGID_ARRAY 236
#define OCI_ATTR_AQ_NTFN_GROUPING_COUNT 237

/* Bind and define: character/byte semantics. */
#define OCI_ATTR_CHAR_USED 285
#define OCI_ATTR_CHAR_SIZE 286

#define OCI_ATTR_EDITION 288

/* Client identity propagated to the server. */
#define OCI_ATTR_CLIENT_IDENTIFIER 278
#define OCI_ATTR_DISTINGUISHED_NAME 300
#define OCI_ATTR_KERBEROS_TICKET 301
#define OCI_ATTR_ORA_DEBUG_JDWP 302
#define OCI_ATTR_RESERVED_14 303

/* High-availability events. */
#define OCI_ATTR_EVTCBK 304
#define OCI_ATTR_EVTCTX 305
#define OCI_ATTR_USER_MEMORY 306
#define OCI_ATTR_ACCESS_BANNER 307

/* Session pools. */
#define OCI_ATTR_SPOOL_TIMEOUT 308
#define OCI_ATTR_SPOOL_GETMODE 309
#define OCI_ATTR_SPOOL_BUSY_COUNT 310
#define OCI_ATTR_SPOOL_OPEN_COUNT 311
#define OCI_ATTR_SPOOL_MIN 312
#define OCI_ATTR_SPOOL_MAX 313
#define OCI_ATTR_SPOOL_INCR 314
#define OCI_ATTR_SPOOL_AUTH 460

/* XML types in describe. */
#define OCI_ATTR_IS_XMLTYPE 315
#define OCI_ATTR_XMLSCHEMA_NAME 316
#define OCI_ATTR_XMLELEMENT_NAME 317
#define OCI_ATTR_XMLSQLTYPSCH_NAME 318
#define OCI_ATTR_XMLSQLTYPE_NAME 319
#define OCI_ATTR_XMLTYPE_STORED_OBJ 320

/* Subtypes in describe. */
#define OCI_ATTR_HAS_SUBTYPES 321
#define OCI_ATTR_NUM_SUBTYPES 322
#define OCI_ATTR_LIST_SUBTYPES 323
#define OCI_ATTR_XML_HRCHY_ENABLED 324
#define OCI_ATTR_IS_OVERRIDDEN_METHOD 325

/* More direct path loading. */
#define OCI_ATTR_DIRPATH_RESERVED_7 326
#define OCI_ATTR_DIRPATH_RESERVED_8 327
#define OCI_ATTR_DIRPATH_CONVERT 328
#define OCI_ATTR_DIRPATH_BADROW 329
#define OCI_ATTR_DIRPATH_BADROW_LENGTH 330
#define OCI_ATTR_DIRPATH_WRITE_ORDER 331
#define OCI_ATTR_DIRPATH_GRANULE_SIZE 332
#define OCI_ATTR_DIRPATH_GRANULE_OFFSET 333
#define OCI_ATTR_OBJ_SUBS 336
#define OCI_ATTR_KERBEROS_CID 341
#define OCI_ATTR_CONDITION 342
#define OCI_ATTR_COMMENT 343
#define OCI_ATTR_VALUE 344
#define OCI_ATTR_EVAL_CONTEXT_OWNER 345
#define OCI_ATTR_EVAL_CONTEXT_NAME 346
#define OCI_ATTR_EVALUATION_FUNCTION 347
#define OCI_ATTR_VAR_TYPE 348
#define OCI_ATTR_VAR_VALUE_FUNCTION 349
#define OCI_ATTR_VAR_METHOD_FUNCTION 350
#define OCI_ATTR_ACTION_CONTEXT 351
#define OCI_ATTR_LIST_TABLE_ALIASES 352
#define OCI_ATTR_LIST_VARIABLE_TYPES 353
#define OCI_ATTR_TABLE_NAME 356
#define OCI_ATTR_MESSAGE_CSCN 360
#define OCI_ATTR_MESSAGE_DSCN 361
#define OCI_ATTR_AUDIT_SESSION_ID 362
#define OCI_ATTR_KERBEROS_KEY 363
#define OCI_ATTR_KERBEROS_CID_KEY 364
#define OCI_ATTR_TRANSACTION_NO 365

/* End-to-end tracing of the session. */
#define OCI_ATTR_MODULE 366
#define OCI_ATTR_ACTION 367
#define OCI_ATTR_CLIENT_INFO 368
#define OCI_ATTR_COLLECT_CALL_TIME 369
#define OCI_ATTR_CALL_TIME 370
#define OCI_ATTR_ECONTEXT_ID 371
#define OCI_ATTR_DBOP 485
#define OCI_ATTR_ECONTEXT_SEQ 372

/* Session state. */
#define OCI_ATTR_SESSION_STATE 373
#define OCI_ATTR_SESSION_STATETYPE 374
#define OCI_ATTR_SESSION_STATE_CLEARED 376
#define OCI_ATTR_SESSION_MIGRATED 377
#define OCI_ATTR_SESSION_PRESERVE_STATE 388
#define OCI_ATTR_ADMIN_PFILE 389

/* Server and instance identity, high-availability events. */
#define OCI_ATTR_HOSTNAME 390
#define OCI_ATTR_DBNAME 391
#define OCI_ATTR_INSTNAME 392
#define OCI_ATTR_SERVICENAME 393
#define OCI_ATTR_INSTSTARTTIME 394
#define OCI_ATTR_HA_TIMESTAMP 395
#define OCI_ATTR_RESERVED_22 396
#define OCI_ATTR_RESERVED_23 397
#define OCI_ATTR_RESERVED_24 398
#define OCI_ATTR_DBDOMAIN 399
#define OCI_ATTR_EVENTTYPE 400

#define OCI_ATTR_SUBSCR_PORTNO 390

/* Change notification registrations and descriptors. */
#define OCI_ATTR_CHNF_TABLENAMES 401
#define OCI_ATTR_CHNF_ROWIDS 402
#define OCI_ATTR_CHNF_OPERATIONS 403
#define OCI_ATTR_CHNF_CHANGELAG 404
#define OCI_ATTR_CHDES_DBNAME 405
#define OCI_ATTR_CHDES_NFYTYPE 406
#define OCI_ATTR_CHDES_XID 407
#define OCI_ATTR_CHDES_TABLE_CHANGES 408
#define OCI_ATTR_CHDES_TABLE_NAME 409
#define OCI_ATTR_CHDES_TABLE_OPFLAGS 410
#define OCI_ATTR_CHDES_TABLE_ROW_CHANGES 411
#define OCI_ATTR_CHDES_ROW_ROWID 412
#define OCI_ATTR_CHDES_ROW_OPFLAGS 413
#define OCI_ATTR_CHNF_REGHANDLE 414
#define OCI_ATTR_NETWORK_FILE_DESC 415
#define OCI_ATTR_PROXY_CLIENT 416
#define OCI_ATTR_TABLE_ENC 417
#define OCI_ATTR_TABLE_ENC_ALG 418
#define OCI_ATTR_TABLE_ENC_ALG_ID 419
#define OCI_ATTR_STMTCACHE_CBKCTX 420
#define OCI_ATTR_STMTCACHE_CBK 421
#define OCI_ATTR_CQDES_OPERATION 422
#define OCI_ATTR_CQDES_TABLE_CHANGES 423
#define OCI_ATTR_CQDES_QUERYID 424
#define OCI_ATTR_CHDES_QUERIES 425
#define OCI_ATTR_DRIVER_NAME 424

/* Database resident connection pooling. */
#define OCI_ATTR_CONNECTION_CLASS 425
#define OCI_ATTR_PURITY 426

/* Message delivery (AQ) and LOB prefetching. */
#define OCI_ATTR_MSG_DELIVERY_MODE 407
#define OCI_ATTR_DEFAULT_LOBPREFETCH_SIZE 438
#define OCI_ATTR_LOBPREFETCH_SIZE 439
#define OCI_ATTR_LOBPREFETCH_LENGTH 440

/* LOB regions. */
#define OCI_ATTR_LOB_REGION_PRIMARY 442
#define OCI_ATTR_LOB_REGION_PRIMOFF 443
#define OCI_ATTR_LOB_REGION_OFFSET 445
#define OCI_ATTR_LOB_REGION_LENGTH 446
#define OCI_ATTR_LOB_REGION_MIME 447

#define OCI_ATTR_FETCH_ROWID 448
#define OCI_ATTR_SUBSCR_IPADDR 452

/* Environment character sets (read-only on the environment handle). */
#define OCI_ATTR_ENV_CHARSET_ID OCI_ATTR_CHARSET_ID
#define OCI_ATTR_ENV_NCHARSET_ID OCI_ATTR_NCHARSET_ID

/* ====================================================================
 * Attributes of parameter descriptors (describe).  These overlap the
 * handle attribute numbers above and are read only from OCIParam.
 * ================================================================== */
/* Complex object retrieval. */
#define OCI_ATTR_COMPLEXOBJECTCOMP_TYPE 50
#define OCI_ATTR_COMPLEXOBJECTCOMP_TYPE_LEVEL 51
#define OCI_ATTR_COMPLEXOBJECT_LEVEL 52
#define OCI_ATTR_COMPLEXOBJECT_COLL_OUTOFLINE 53

/* Columns and arguments. */
#define OCI_ATTR_DATA_SIZE 1
#define OCI_ATTR_DATA_TYPE 2
#define OCI_ATTR_DISP_SIZE 3
#define OCI_ATTR_NAME 4
#define OCI_ATTR_PRECISION 5
#define OCI_ATTR_SCALE 6
#define OCI_ATTR_IS_NULL 7
#define OCI_ATTR_TYPE_NAME 8
#define OCI_ATTR_SCHEMA_NAME 9
#define OCI_ATTR_SUB_NAME 10
#define OCI_ATTR_POSITION 11

/* Columns only. */
#define OCI_ATTR_DISP_NAME 100
#define OCI_ATTR_ENCC_SIZE 101
#define OCI_ATTR_COL_ENC 102
#define OCI_ATTR_COL_ENC_SALT 103

/* Subprograms and their arguments. */
#define OCI_ATTR_OVERLOAD 210
#define OCI_ATTR_LEVEL 211
#define OCI_ATTR_HAS_DEFAULT 212
#define OCI_ATTR_IOMODE 213
#define OCI_ATTR_RADIX 214
#define OCI_ATTR_NUM_ARGS 215

/* User-defined types. */
#define OCI_ATTR_TYPECODE 216
#define OCI_ATTR_COLLECTION_TYPECODE 217
#define OCI_ATTR_VERSION 218
#define OCI_ATTR_IS_INCOMPLETE_TYPE 219
#define OCI_ATTR_IS_SYSTEM_TYPE 220
#define OCI_ATTR_IS_PREDEFINED_TYPE 221
#define OCI_ATTR_IS_TRANSIENT_TYPE 222
#define OCI_ATTR_IS_SYSTEM_GENERATED_TYPE 223
#define OCI_ATTR_HAS_NESTED_TABLE 224
#define OCI_ATTR_HAS_LOB 225
#define OCI_ATTR_HAS_FILE 226
#define OCI_ATTR_COLLECTION_ELEMENT 227
#define OCI_ATTR_NUM_TYPE_ATTRS 228
#define OCI_ATTR_LIST_TYPE_ATTRS 229
#define OCI_ATTR_NUM_TYPE_METHODS 230
#define OCI_ATTR_LIST_TYPE_METHODS 231
#define OCI_ATTR_MAP_METHOD 232
#define OCI_ATTR_ORDER_METHOD 233

/* Collection elements. */
#define OCI_ATTR_NUM_ELEMS 234

/* Type methods. */
#define OCI_ATTR_ENCAPSULATION 235
#define OCI_ATTR_IS_SELFISH 236
#define OCI_ATTR_IS_VIRTUAL 237
#define OCI_ATTR_IS_INLINE 238
#define OCI_ATTR_IS_CONSTANT 239
#define OCI_ATTR_HAS_RESULT 240
#define OCI_ATTR_IS_CONSTRUCTOR 241
#define OCI_ATTR_IS_DESTRUCTOR 242
#define OCI_ATTR_IS_OPERATOR 243
#define OCI_ATTR_IS_MAP 244
#define OCI_ATTR_IS_ORDER 245
#define OCI_ATTR_IS_RNDS 246
#define OCI_ATTR_IS_RNPS 247
#define OCI_ATTR_IS_WNDS 248
#define OCI_ATTR_IS_WNPS 249
#define OCI_ATTR_DESC_PUBLIC 250

/* Object cache callbacks. */
#define OCI_ATTR_CACHE_CLIENT_CONTEXT 251
#define OCI_ATTR_UCI_CONSTRUCT 252
#define OCI_ATTR_UCI_DESTRUCT 253
#define OCI_ATTR_UCI_COPY 254
#define OCI_ATTR_UCI_PICKLE 255
#define OCI_ATTR_UCI_UNPICKLE 256
#define OCI_ATTR_UCI_REFRESH 257

/* Type inheritance. */
#define OCI_ATTR_IS_SUBTYPE 258
#define OCI_ATTR_SUPERTYPE_SCHEMA_NAME 259
#define OCI_ATTR_SUPERTYPE_NAME 260

/* Schemas and databases. */
#define OCI_ATTR_LIST_OBJECTS 261
#define OCI_ATTR_NCHARSET_ID 262
#define OCI_ATTR_LIST_SCHEMAS 263
#define OCI_ATTR_MAX_PROC_LEN 264
#define OCI_ATTR_MAX_COLUMN_LEN 265
#define OCI_ATTR_CURSOR_COMMIT_BEHAVIOR 266
#define OCI_ATTR_MAX_CATALOG_NAMELEN 267
#define OCI_ATTR_CATALOG_LOCATION 268
#define OCI_ATTR_SAVEPOINT_SUPPORT 269
#define OCI_ATTR_NOWAIT_SUPPORT 270
#define OCI_ATTR_AUTOCOMMIT_DDL 271
#define OCI_ATTR_LOCKING_MODE 272

/* Externally initialised application contexts. */
#define OCI_ATTR_APPCTX_SIZE 273
#define OCI_ATTR_APPCTX_LIST 274
#define OCI_ATTR_APPCTX_NAME 275
#define OCI_ATTR_APPCTX_ATTR 276
#define OCI_ATTR_APPCTX_VALUE 277

/* Type inheritance, continued. */
#define OCI_ATTR_IS_FINAL_TYPE 279
#define OCI_ATTR_IS_INSTANTIABLE_TYPE 280
#define OCI_ATTR_IS_FINAL_METHOD 281
#define OCI_ATTR_IS_INSTANTIABLE_METHOD 282
#define OCI_ATTR_IS_OVERRIDING_METHOD 283
#define OCI_ATTR_DESC_SYNBASE 284
#define OCI_ATTR_IS_JAVA_TYPE 287

/* Values of OCI_ATTR_CURSOR_COMMIT_BEHAVIOR, OCI_ATTR_CATALOG_LOCATION,
 * OCI_ATTR_SAVEPOINT_SUPPORT, OCI_ATTR_NOWAIT_SUPPORT,
 * OCI_ATTR_AUTOCOMMIT_DDL and OCI_ATTR_LOCKING_MODE. */
#define OCI_CURSOR_OPEN 0
#define OCI_CURSOR_CLOSED 1
#define OCI_CL_START 0
#define OCI_CL_END 1
#define OCI_SP_SUPPORTED 0
#define OCI_SP_UNSUPPORTED 1
#define OCI_NW_SUPPORTED 0
#define OCI_NW_UNSUPPORTED 1
#define OCI_AC_DDL 0
#define OCI_NO_AC_DDL 1
#define OCI_LOCK_IMMEDIATE 0
#define OCI_LOCK_DELAYED 1

/* Values of OCI_ATTR_VISIBILITY etc. are the OCI_ENQ_ and OCI_DEQ_ values
 * above. */

/* ====================================================================
 * National language support: items of OCINlsGetInfo, conversion flags,
 * OCINlsNameMap directions
 * ================================================================== */
#define OCI_NLS_DAYNAME1 1
#define OCI_NLS_DAYNAME2 2
#define OCI_NLS_DAYNAME3 3
#define OCI_NLS_DAYNAME4 4
#define OCI_NLS_DAYNAME5 5
#define OCI_NLS_DAYNAME6 6
#define OCI_NLS_DAYNAME7 7
#define OCI_NLS_ABDAYNAME1 8
#define OCI_NLS_ABDAYNAME2 9
#define OCI_NLS_ABDAYNAME3 10
#define OCI_NLS_ABDAYNAME4 11
#define OCI_NLS_ABDAYNAME5 12
#define OCI_NLS_ABDAYNAME6 13
#define OCI_NLS_ABDAYNAME7 14
#define OCI_NLS_MONTHNAME1 15
#define OCI_NLS_MONTHNAME2 16
#define OCI_NLS_MONTHNAME3 17
#define OCI_NLS_MONTHNAME4 18
#define OCI_NLS_MONTHNAME5 19
#define OCI_NLS_MONTHNAME6 20
#define OCI_NLS_MONTHNAME7 21
#define OCI_NLS_MONTHNAME8 22
#define OCI_NLS_MONTHNAME9 23
#define OCI_NLS_MONTHNAME10 24
#define OCI_NLS_MONTHNAME11 25
#define OCI_NLS_MONTHNAME12 26
#define OCI_NLS_ABMONTHNAME1 27
#define OCI_NLS_ABMONTHNAME2 28
#define OCI_NLS_ABMONTHNAME3 29
#define OCI_NLS_ABMONTHNAME4 30
#define OCI_NLS_ABMONTHNAME5 31
#define OCI_NLS_ABMONTHNAME6 32
#define OCI_NLS_ABMONTHNAME7 33
#define OCI_NLS_ABMONTHNAME8 34
#define OCI_NLS_ABMONTHNAME9 35
#define OCI_NLS_ABMONTHNAME10 36
#define OCI_NLS_ABMONTHNAME11 37
#define OCI_NLS_ABMONTHNAME12 38
#define OCI_NLS_YES 39
#define OCI_NLS_NO 40
#define OCI_NLS_AM 41
#define OCI_NLS_PM 42
#define OCI_NLS_AD 43
#define OCI_NLS_BC 44
#define OCI_NLS_DECIMAL 45
#define OCI_NLS_GROUP 46
#define OCI_NLS_DEBIT 47
#define OCI_NLS_CREDIT 48
#define OCI_NLS_DATEFORMAT 49
#define OCI_NLS_INT_CURRENCY 50
#define OCI_NLS_LOC_CURRENCY 51
#define OCI_NLS_LANGUAGE 52
#define OCI_NLS_ABLANGUAGE 53
#define OCI_NLS_TERRITORY 54
#define OCI_NLS_CHARACTER_SET 55
#define OCI_NLS_LINGUISTIC_NAME 56
#define OCI_NLS_CALENDAR 57
#define OCI_NLS_DUAL_CURRENCY 78
#define OCI_NLS_WRITINGDIR 79
#define OCI_NLS_ABTERRITORY 80
#define OCI_NLS_DDATEFORMAT 81
#define OCI_NLS_DTIMEFORMAT 82
#define OCI_NLS_SFDATEFORMAT 83
#define OCI_NLS_SFTIMEFORMAT 84
#define OCI_NLS_NUMGROUPING 85
#define OCI_NLS_LISTSEP 86
#define OCI_NLS_MONDECIMAL 87
#define OCI_NLS_MONGROUP 88
#define OCI_NLS_MONGROUPING 89
#define OCI_NLS_INT_CURRENCYSEP 90
#define OCI_NLS_CHARSET_MAXBYTESZ 91
#define OCI_NLS_CHARSET_FIXEDWIDTH 92
#define OCI_NLS_CHARSET_ID 93
#define OCI_NLS_NCHARSET_ID 94

/* Buffer large enough for any OCINlsGetInfo item. */
#define OCI_NLS_MAXBUFSZ 100

/* String comparison and case conversion flags. */
#define OCI_NLS_BINARY 0x1
#define OCI_NLS_LINGUISTIC 0x2
#define OCI_NLS_CASE_INSENSITIVE 0x10
#define OCI_NLS_UPPERCASE 0x20
#define OCI_NLS_LOWERCASE 0x40

/* OCINlsNameMap directions. */
#define OCI_NLS_CS_IANA_TO_ORA 0x0
#define OCI_NLS_CS_ORA_TO_IANA 0x1
#define OCI_NLS_LANG_ISO_TO_ORA 0x2
#define OCI_NLS_LANG_ORA_TO_ISO 0x3
#define OCI_NLS_TERR_ISO_TO_ORA 0x4
#define OCI_NLS_TERR_ORA_TO_ISO 0x5
#define OCI_NLS_TERR_ISO3_TO_ORA 0x6
#define OCI_NLS_TERR_ORA_TO_ISO3 0x7
#define OCI_NLS_LOCALE_A2_ISO_TO_ORA 0x8
#define OCI_NLS_LOCALE_A2_ORA_TO_ISO 0x9

/* Character set id of UTF-16 in the OCIEnvNlsCreate charset arguments. */
#define OCI_UTF16ID 1000
#define OCI_UCS2ID 1000

/* ====================================================================
 * Callback types
 * ================================================================== */
/* Dynamic binds and defines (OCIBindDynamic, OCIDefineDynamic). */
typedef sb4 (*OCICallbackInBind)(void *ictxp, OCIBind *bindp, ub4 iter,
                                 ub4 index, void **bufpp, ub4 *alenp,
                                 ub1 *piecep, void **indp);
typedef sb4 (*OCICallbackOutBind)(void *octxp, OCIBind *bindp, ub4 iter,
                                  ub4 index, void **bufpp, ub4 **alenp,
                                  ub1 *piecep, void **indpp, ub2 **rcodepp);
typedef sb4 (*OCICallbackDefine)(void *octxp, OCIDefine *defnp, ub4 iter,
                                 void **bufpp, ub4 **alenpp, ub1 *piecep,
                                 void **indpp, ub2 **rcodep);

/* User callbacks (OCIUserCallbackRegister).  `when' is an
 * OCI_UCBTYPE_ value, `fcode' an OCI_FNCODE_ value and `arglist' the
 * arguments of the intercepted call. */
typedef sword (*OCIUserCallback)(void *ctxp, void *hndlp, ub4 type,
                                 ub4 fcode, ub4 when, sword returnCode,
                                 sb4 *errnop, va_list arglist);

/* Entry point of a user-callback package, run at environment creation. */
typedef sword (*OCIEnvCallbackType)(OCIEnv *env, ub4 mode,
                                    size_t xtramem_sz, void *usrmemp,
                                    OCIUcb *ucbDesc);

/* LOB streaming (OCILobRead, OCILobWrite and their 64-bit forms). */
typedef sb4 (*OCICallbackLobRead)(void *ctxp, const void *bufp, ub4 len,
                                  ub1 piece);
typedef sb4 (*OCICallbackLobWrite)(void *ctxp, void *bufp, ub4 *lenp,
                                   ub1 *piece);
typedef sb4 (*OCICallbackLobRead2)(void *ctxp, const void *bufp, oraub8 len,
                                   ub1 piece, void **changed_bufpp,
                                   oraub8 *changed_lenp);
typedef sb4 (*OCICallbackLobWrite2)(void *ctxp, void *bufp, oraub8 *lenp,
                                    ub1 *piece, void **changed_bufpp,
                                    oraub8 *changed_lenp);
typedef sb4 (*OCICallbackLobArrayRead)(void *ctxp, ub4 array_iter,
                                       const void *bufp, oraub8 len,
                                       ub1 piece, void **changed_bufpp,
                                       oraub8 *changed_lenp);
typedef sb4 (*OCICallbackLobArrayWrite)(void *ctxp, ub4 array_iter,
                                        void *bufp, oraub8 *lenp, ub1 *piece,
                                        void **changed_bufpp,
                                        oraub8 *changed_lenp);

/* Transparent application failover (OCI_ATTR_FOCBK on a server handle). */
typedef sb4 (*OCICallbackFailover)(void *svcctx, void *envctx, void *fo_ctx,
                                   ub4 fo_type, ub4 fo_event);
typedef struct OCIFocbkStruct {
  OCICallbackFailover callback_function;
  void *fo_ctx;
} OCIFocbkStruct;

/* Notifications (OCI_ATTR_SUBSCR_CALLBACK) and events (OCI_ATTR_EVTCBK). */
typedef ub4 (*OCISubscriptionNotify)(void *ctx, OCISubscription *subscrhp,
                                     void *pay, ub4 payl, void *desc,
                                     ub4 mode);
typedef void (*OCIEventCallback)(void *evtctx, OCIEvent *eventhp);

/* Statement cache eviction (OCI_ATTR_STMTCACHE_CBK). */
typedef sword (*OCICallbackStmtCache)(void *ctx, OCIStmt *stmt, ub4 mode);
#define OCI_CBK_STMTCACHE_STMTPURGE 0x01

/* Destructor of a thread-key value (OCIThreadKeyInit). */
typedef void (*OCIThreadKeyDestFunc)(void *);

#ifdef __cplusplus
}
#endif

/* ====================================================================
 * Companion headers, in dependency order: XA identifiers, cartridge
 * services, object cache types, object and collection values, type
 * descriptions, external procedures, direct path, then the prototypes.
 * ================================================================== */
#ifndef XA_H
#include <xa.h>
#endif
#ifndef OCI1_ORACLE
#include <oci1.h>
#endif
#ifndef ORO_ORACLE
#include <oro.h>
#endif
#ifndef ORI_ORACLE
#include <ori.h>
#endif
#ifndef ORL_ORACLE
#include <orl.h>
#endif
#ifndef ORT_ORACLE
#include <ort.h>
#endif
#ifndef OCIEXTP_ORACLE
#include <ociextp.h>
#endif
#ifndef OCI8DP_ORACLE
#include <oci8dp.h>
#endif
#ifndef OCIAPR
#include <ociapr.h>
#endif
#ifndef OCIAP_ORACLE
#include <ociap.h>
#endif
#ifndef OCIXMLDB_ORACLE
#include <ocixmldb.h>
#endif
#ifndef ORID_ORACLE
#include <orid.h>
#endif

#endif /* OCI_ORACLE */

// Records of the connection-side handle kinds: server, session, service
// context, transaction, session pool and LOB locator.
#pragma once
#include <libpq-fe.h>

#include <atomic>
#include <cstdio>

#include "env/handles.h"

struct OCIServer : OCIHandle {
    bool attached;
    char *connectString;
    sb4 connectStringLength;
    char *host;
    char *port;
    char *dbname;
    char *uri;
    PGconn *conn;
    FILE *protocolTrace;  // OCI_TRACE_PROTOCOL file of the connection
    std::atomic<bool> breakRequested;  // set by OCIBreak from another thread
    bool nonBlocking;
    bool stmtLevelTx;
    ub4 holdMode;
    ub4 mode5003;
    ub4 defaultParams;
};

struct OCISession : OCIHandle {
    char *username;
    char *password;
    char *module;
    List *contexts;  // ContextEntry*, OCIContextSetValue on this session
    List *memory;    // OCIMemoryAlloc blocks of session duration, freed when it ends
    bool fromSessionGet;  // handed out by OCISessionGet outside a pool
};

struct OCITrans;
struct OCISvcCtx : OCIHandle {
    OCIServer *server;
    OCISession *session;
    OCITrans *trans;
    bool stmtCacheEnabled;
    ub4 stmtCacheSize;  // OCI_ATTR_STMTCACHESIZE as last set
    List *stmts;  // cached statements
};

struct OCITrans : OCIHandle {
    XID *xid;  // the transaction identifier, created on first use
    ub4 timeout;
};

struct OCISPool : OCIHandle {
    char *poolName;
    ub4 stmtCacheSize;
    // The logon texts exactly as the creator passed them (OCILogon converts
    // them itself); null when not given.
    char *connStr;
    ub4 connStrLen;
    char *userid;
    ub4 useridLen;
    char *password;
    ub4 passwordLen;
    ub4 sessMin;
    ub4 sessMax;
    ub4 sessIncr;
    ub1 homogeneous;             // 2 for a homogeneous pool, 0 otherwise
    ub4 timeout;                 // OCI_ATTR_SPOOL_TIMEOUT as last set (kept, not acted on)
    ub1 getMode;                 // OCI_ATTR_SPOOL_GETMODE as last set (kept, not acted on)
    List *freeList;              // pool entries ready to hand out
    List *busyList;              // pool entries handed out
    ub4 freeCount;
    ub4 totalCount;              // entries on both lists plus logons in progress
    struct SPoolLock *lock;      // guards the lists and counts
};

// A LOB locator stands for one server large object. While open it holds
// the large-object descriptor of the server session, which is valid only
// inside the transaction block that opened it.
struct OCILobLocator : OCIHandle {
    ub4 lobOid;  // the large object's number; 0 until a fetch fills it
    sb4 fd;      // the descriptor while open, -1 otherwise
    bool temporary;  // made by OCILobCreateTemporary, removed by OCILobFreeTemporary
    // A polling read (OCILobRead without a callback, for more than the
    // buffer holds) waiting for the application's next call: the object and
    // 1-based offset it was started with, the 0-based position of the next
    // piece and the bytes still to deliver. Not active: none in progress.
    bool pollActive;
    ub4 pollOid;
    ub4 pollOffset;
    ub8 pollNext;
    ub4 pollRemaining;
};

OCIServer *Alloc_OCIServer();
void Free_OCIServer(OCIServer *server);
OCISession *Alloc_OCISession();
void Free_OCISession(OCISession *session);
OCISvcCtx *Alloc_OCISvcCtx();
void Free_OCISvcCtx(OCISvcCtx *svchp);
OCITrans *Alloc_OCITrans();
void Free_OCITrans(OCITrans *trans);
OCISPool *Alloc_OCISPool();
void Free_OCISPool(OCISPool *pool);
OCILobLocator *Alloc_OCILobLocator();
void Free_OCILobLocator(OCILobLocator *lob);

// Resets the open-cursor state of every statement of `env` that ran on
// `server` and unlinks service contexts from it (the connection is going).
void markCursorsClosed(OCIEnv *env, OCIServer *server);

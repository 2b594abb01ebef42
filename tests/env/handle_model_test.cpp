// The handle tree: environment creation modes, allocation and release of
// every kind, ownership, user memory and out-of-memory paths.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "env/describe_handles.h"
#include "env/env.h"
#include "platform/thread_handles.h"
#include "stmt/stmt_handles.h"
#include "types/datetime_handles.h"

namespace {

OCIEnv *NewEnv(ub4 mode = OCI_DEFAULT) {
    OCIEnv *env = nullptr;
    EXPECT_EQ(OCIEnvCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    return env;
}

template <class T> T *Alloc(OCIEnv *env, const void *parent, ub4 type) {
    void *h = nullptr;
    EXPECT_EQ(OCIHandleAlloc(parent, &h, type, 0, nullptr), OCI_SUCCESS);
    return static_cast<T *>(h);
}

sb4 EnvErrorCode(OCIEnv *env, ub4 recordno = 1) {
    sb4 code = -1;
    if (OCIErrorGet(env, recordno, nullptr, &code, nullptr, 0, OCI_HTYPE_ENV) != OCI_SUCCESS) return -1;
    return code;
}

TEST(EnvCreate, ModeChecks) {
    OCIEnv *env = reinterpret_cast<OCIEnv *>(0x1);
    EXPECT_EQ(OCIEnvCreate(&env, OCI_NO_MUTEX, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_ERROR);
    EXPECT_EQ(env, nullptr);

    env = NewEnv(OCI_THREADED | OCI_NO_MUTEX);
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(env->handleType, HANDLE_OCIEnv);
    EXPECT_NE(env->mode & OCI_THREADED, 0u);
    EXPECT_EQ(env->parenth, nullptr);
    ASSERT_NE(env->errhp, nullptr);
    EXPECT_EQ(env->errhp->handleType, HANDLE_OCIError);
    EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);

    EXPECT_EQ(OCIEnvCreate(nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_ERROR);
    // Extra memory requested without a place to return it.
    env = nullptr;
    EXPECT_EQ(OCIEnvCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 16, nullptr), OCI_ERROR);
    EXPECT_EQ(env, nullptr);
}

TEST(EnvCreate, UserMemoryComesZeroedAndGoesWithTheEnvironment) {
    OCIEnv *env = nullptr;
    void *mem = nullptr;
    ASSERT_EQ(OCIEnvCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 100, &mem), OCI_SUCCESS);
    ASSERT_NE(mem, nullptr);
    EXPECT_EQ(env->usrMem, mem);
    EXPECT_EQ(env->usrMemSize, 100u);
    std::vector<char> zeros(100, 0);
    EXPECT_EQ(std::memcmp(mem, zeros.data(), 100), 0);
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST(EnvCreate, Utf16EnvironmentOpensItsConverters) {
    OCIEnv *env = NewEnv(OCI_UTF16);
    ASSERT_NE(env, nullptr);
    EXPECT_EQ(env->charsetId, 39);
    EXPECT_EQ(env->utf16, 1);
    EXPECT_NE(env->mode & OCI_UTF16, 0u);
    EXPECT_NE(env->toUtf8, reinterpret_cast<iconv_t>(-1));
    EXPECT_NE(env->fromUtf8, reinterpret_cast<iconv_t>(-1));
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST(EnvCreate, NlsCreateRejectsOracleCharsetIds) {
    OCIEnv *env = reinterpret_cast<OCIEnv *>(0x1);
    EXPECT_EQ(OCIEnvNlsCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 873, 0), OCI_ERROR);
    EXPECT_EQ(env, nullptr);
    ASSERT_EQ(OCIEnvNlsCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr, 6, 0), OCI_SUCCESS);
    EXPECT_EQ(env->charsetId, 6);
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST(Initialize, OnceUntilTerminatedAndObjectModeReachesNewEnvironments) {
    ASSERT_EQ(OCIInitialize(OCI_OBJECT, nullptr, nullptr, nullptr, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIInitialize(OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr), OCI_ERROR);
    OCIEnv *env = NewEnv();
    EXPECT_NE(env->mode & OCI_OBJECT, 0u);
    OCIHandleFree(env, OCI_HTYPE_ENV);

    EXPECT_EQ(OCITerminate(1), OCI_ERROR);
    EXPECT_EQ(OCITerminate(OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(OCITerminate(OCI_DEFAULT), OCI_ERROR);  // not initialised any more
    env = NewEnv();
    EXPECT_EQ(env->mode & OCI_OBJECT, 0u);
    OCIHandleFree(env, OCI_HTYPE_ENV);

    EXPECT_EQ(OCIInitialize(OCI_EVENTS, nullptr, nullptr, nullptr, nullptr), OCI_ERROR);
    EXPECT_EQ(OCIInitialize(OCI_NO_MUTEX, nullptr, nullptr, nullptr, nullptr), OCI_ERROR);
    EXPECT_EQ(O2PEnvIsInitialized, 0);
    ASSERT_EQ(OCIInitialize(OCI_THREADED, nullptr, nullptr, nullptr, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCITerminate(OCI_DEFAULT), OCI_SUCCESS);
}

TEST(HandleAlloc, ParentRulesForEveryKind) {
    OCIEnv *env = NewEnv();
    void *h = nullptr;
    EXPECT_EQ(OCIHandleAlloc(env, &h, OCI_HTYPE_BIND, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIHandleAlloc(env, &h, OCI_HTYPE_CPOOL, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIHandleAlloc(env, &h, OCI_HTYPE_COMPLEXOBJECT, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIHandleAlloc(nullptr, &h, OCI_HTYPE_ERROR, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIHandleAlloc(env, nullptr, OCI_HTYPE_ERROR, 0, nullptr), OCI_INVALID_HANDLE);

    struct Kind {
        ub4 type;
        HandleCode code;
    } kinds[] = {{OCI_HTYPE_ENV, HANDLE_OCIEnv},         {OCI_HTYPE_ERROR, HANDLE_OCIError},
                 {OCI_HTYPE_SVCCTX, HANDLE_OCISvcCtx},   {OCI_HTYPE_STMT, HANDLE_OCIStmt},
                 {OCI_HTYPE_DESCRIBE, HANDLE_OCIDescribe}, {OCI_HTYPE_SERVER, HANDLE_OCIServer},
                 {OCI_HTYPE_SESSION, HANDLE_OCISession}, {OCI_HTYPE_TRANS, HANDLE_OCITrans},
                 {OCI_HTYPE_SPOOL, HANDLE_OCISPool}};
    for (const Kind &k : kinds) {
        SCOPED_TRACE(k.type);
        auto *handle = Alloc<OCIHandle>(env, env, k.type);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(handle->handleType, k.code);
        EXPECT_EQ(handle->parenth, env);
        EXPECT_TRUE(list_member(env->children, handle));
        // A statement is not a valid parent for anything but binds and defines.
        EXPECT_EQ(OCIHandleAlloc(handle, &h, OCI_HTYPE_ERROR, 0, nullptr),
                  k.type == OCI_HTYPE_ENV ? OCI_SUCCESS : OCI_INVALID_HANDLE);
    }
    EXPECT_EQ(list_length(env->spools), 1);
    EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);
}

TEST(HandleAlloc, BindsAndDefinesLiveOnTheirStatement) {
    OCIEnv *env = NewEnv();
    auto *stmt = Alloc<OCIStmt>(env, env, OCI_HTYPE_STMT);
    auto *bind = Alloc<OCIBind>(env, stmt, OCI_HTYPE_BIND);
    auto *define = Alloc<OCIDefine>(env, stmt, OCI_HTYPE_DEFINE);
    ASSERT_NE(bind, nullptr);
    ASSERT_NE(define, nullptr);
    EXPECT_EQ(bind->parenth, stmt);
    EXPECT_TRUE(list_member(stmt->binds, bind));
    EXPECT_TRUE(list_member(stmt->defines, define));
    EXPECT_FALSE(list_member(env->children, bind));
    EXPECT_EQ(EnvOfHandle(bind), env);

    EXPECT_EQ(OCIHandleFree(bind, OCI_HTYPE_BIND), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIHandleFree(define, OCI_HTYPE_DEFINE), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIHandleFree(bind, OCI_HTYPE_STMT), OCI_INVALID_HANDLE);
    // Naming another kind than the handle's own is refused, not half done.
    EXPECT_EQ(OCIHandleFree(stmt, OCI_HTYPE_ERROR), OCI_INVALID_HANDLE);
    EXPECT_TRUE(list_member(env->children, stmt));

    // Bind user memory that cannot be freed alone stays with the statement.
    void *usr = nullptr;
    void *bind2 = nullptr;
    ASSERT_EQ(OCIHandleAlloc(stmt, &bind2, OCI_HTYPE_BIND, 8, &usr), OCI_SUCCESS);
    EXPECT_EQ(list_length(stmt->binds), 2);

    // A statement under a child environment is not a valid parent for binds.
    auto *child = Alloc<OCIEnv>(env, env, OCI_HTYPE_ENV);
    auto *childStmt = Alloc<OCIStmt>(child, child, OCI_HTYPE_STMT);
    void *h = nullptr;
    EXPECT_EQ(OCIHandleAlloc(childStmt, &h, OCI_HTYPE_BIND, 0, nullptr), OCI_SUCCESS);

    EXPECT_EQ(OCIHandleFree(stmt, OCI_HTYPE_STMT), OCI_SUCCESS);  // binds and defines go with it
    EXPECT_FALSE(list_member(env->children, stmt));
    EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);
}

TEST(HandleAlloc, UserMemoryAndItsMissingPointer) {
    OCIEnv *env = NewEnv();
    void *usr = nullptr;
    void *h = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &h, OCI_HTYPE_STMT, 64, &usr), OCI_SUCCESS);
    ASSERT_NE(usr, nullptr);
    const char zeros[64] = {};
    EXPECT_EQ(std::memcmp(usr, zeros, 64), 0);
    EXPECT_EQ(AsHandle(h)->usrMem, usr);

    h = nullptr;
    EXPECT_EQ(OCIHandleAlloc(env, &h, OCI_HTYPE_STMT, 64, nullptr), OCI_ERROR);
    EXPECT_EQ(h, nullptr);
    EXPECT_EQ(EnvErrorCode(env), 16530);
    // The next call on the environment starts with a clean error handle.
    ASSERT_EQ(OCIHandleAlloc(env, &h, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(EnvErrorCode(env), -1);
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST(HandleFree, StatementFromPrepare2StaysUntilTheEnvironmentGoes) {
    OCIEnv *env = NewEnv();
    auto *stmt = Alloc<OCIStmt>(env, env, OCI_HTYPE_STMT);
    Alloc<OCIBind>(env, stmt, OCI_HTYPE_BIND);
    stmt->fromPrepare2 = true;
    EXPECT_EQ(OCIHandleFree(stmt, OCI_HTYPE_STMT), OCI_ERROR);
    EXPECT_EQ(EnvErrorCode(env), 24436);
    EXPECT_TRUE(list_member(env->children, stmt));
    EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);  // frees it without complaint
}

TEST(DescriptorAlloc, KindsRangesAndRefusals) {
    OCIEnv *env = NewEnv();
    void *d = nullptr;
    EXPECT_EQ(OCIDescriptorAlloc(env, &d, OCI_DTYPE_ROWID, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIDescriptorAlloc(env, &d, OCI_DTYPE_FILE, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIDescriptorAlloc(env, &d, OCI_DTYPE_LOCATOR, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(d, nullptr);
    EXPECT_EQ(OCIDescriptorAlloc(env, &d, 49, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIDescriptorAlloc(env, &d, 66, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIDescriptorAlloc(env, &d, 80, 0, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIDescriptorAlloc(env, &d, OCI_DTYPE_LOB, 8, nullptr), OCI_ERROR);
    EXPECT_EQ(EnvErrorCode(env), 16530);

    auto *stmt = Alloc<OCIStmt>(env, env, OCI_HTYPE_STMT);
    EXPECT_EQ(OCIDescriptorAlloc(stmt, &d, OCI_DTYPE_LOB, 0, nullptr), OCI_INVALID_HANDLE);

    struct Kind {
        ub4 type;
        HandleCode code;
    } kinds[] = {{OCI_DTYPE_LOB, HANDLE_OCILobLocator},       {OCI_DTYPE_PARAM, HANDLE_OCIParam},
                 {OCI_DTYPE_INTERVAL_YM, HANDLE_OCIInterval},  {OCI_DTYPE_INTERVAL_DS, HANDLE_OCIInterval},
                 {OCI_DTYPE_DATE, HANDLE_OCIDateTime},         {OCI_DTYPE_TIMESTAMP, HANDLE_OCIDateTime},
                 {OCI_DTYPE_TIMESTAMP_TZ, HANDLE_OCIDateTime}, {OCI_DTYPE_TIMESTAMP_LTZ, HANDLE_OCIDateTime}};
    for (const Kind &k : kinds) {
        SCOPED_TRACE(k.type);
        void *usr = nullptr;
        ASSERT_EQ(OCIDescriptorAlloc(env, &d, k.type, 16, &usr), OCI_SUCCESS);
        EXPECT_EQ(AsHandle(d)->handleType, k.code);
        EXPECT_NE(usr, nullptr);
        EXPECT_TRUE(list_member(env->children, d));
        if (k.code == HANDLE_OCIDateTime) {
            EXPECT_EQ(static_cast<OCIDateTime *>(d)->descriptorType, k.type);
        }
        if (k.code == HANDLE_OCIInterval) {
            EXPECT_EQ(static_cast<OCIInterval *>(d)->descriptorType, k.type);
        }
        // Freed as a wrong kind: refused and still listed.
        EXPECT_EQ(OCIDescriptorFree(d, k.code == HANDLE_OCIParam ? OCI_DTYPE_LOB : OCI_DTYPE_PARAM),
                  OCI_INVALID_HANDLE);
        EXPECT_EQ(OCIDescriptorFree(d, k.type), OCI_SUCCESS);
        EXPECT_FALSE(list_member(env->children, d));
    }
    // The date kinds accept each other's type on release.
    ASSERT_EQ(OCIDescriptorAlloc(env, &d, OCI_DTYPE_DATE, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIDescriptorFree(d, OCI_DTYPE_TIMESTAMP_TZ), OCI_SUCCESS);
    EXPECT_EQ(OCIDescriptorFree(nullptr, OCI_DTYPE_LOB), OCI_INVALID_HANDLE);
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST(EnvRelease, FreesTheWholeTreeAndLeavesSharedConvertersToTheirOwner) {
    OCIEnv *env = NewEnv(OCI_UTF16);
    auto *svc = Alloc<OCISvcCtx>(env, env, OCI_HTYPE_SVCCTX);
    auto *server = Alloc<OCIServer>(env, env, OCI_HTYPE_SERVER);
    auto *session = Alloc<OCISession>(env, env, OCI_HTYPE_SESSION);
    svc->server = server;
    svc->session = session;
    for (int i = 0; i < 3; i++) {
        auto *stmt = Alloc<OCIStmt>(env, env, OCI_HTYPE_STMT);
        stmt->svchp = svc;
        Alloc<OCIBind>(env, stmt, OCI_HTYPE_BIND);
        Alloc<OCIDefine>(env, stmt, OCI_HTYPE_DEFINE);
        ASSERT_NE(AllocateMemFromStmtCache(stmt, 32), nullptr);
    }
    void *d = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(env, &d, OCI_DTYPE_TIMESTAMP_TZ, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIDescriptorAlloc(env, &d, OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    ASSERT_NE(AllocateMemFromEnvCache(env, 40), nullptr);
    EXPECT_EQ(AllocateMemFromEnvCache(env, 0), nullptr);
    EXPECT_EQ(AllocateMemFromEnvCache(reinterpret_cast<OCIEnv *>(svc), 8), nullptr);

    // Thread objects registered in the environment go with it too.
    OCIThreadMutex *mutex = Alloc_OCIThreadMutex();
    ASSERT_EQ(pthread_mutex_init(&mutex->mutex, nullptr), 0);
    mutex->initialised = true;
    mutex->parenth = env;
    env->children = lappend(env->children, mutex);

    auto *child = Alloc<OCIEnv>(env, env, OCI_HTYPE_ENV);
    EXPECT_EQ(child->utf16, 1);
    EXPECT_EQ(child->charsetId, env->charsetId);
    EXPECT_EQ(child->fromUtf8, env->fromUtf8);
    Alloc<OCIStmt>(child, child, OCI_HTYPE_STMT);
    ASSERT_EQ(OCIHandleFree(child, OCI_HTYPE_ENV), OCI_SUCCESS);

    // The parent's converter still works after the child went.
    char in[] = "ok";
    char out[8] = {};
    char *inp = in, *outp = out;
    size_t inLeft = 2, outLeft = sizeof out;
    EXPECT_NE(iconv(env->fromUtf8, &inp, &inLeft, &outp, &outLeft), static_cast<size_t>(-1));
    EXPECT_EQ(out[0], 'o');
    EXPECT_EQ(out[1], 0);

    // A second child outlives nothing: it is freed with the parent.
    Alloc<OCIEnv>(env, env, OCI_HTYPE_ENV);
    EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);  // leak checkers verify the rest
}

TEST(Links, ReleasingAServiceContextOrSessionDropsLinksOnly) {
    OCIEnv *env = NewEnv();
    auto *svc = Alloc<OCISvcCtx>(env, env, OCI_HTYPE_SVCCTX);
    auto *server = Alloc<OCIServer>(env, env, OCI_HTYPE_SERVER);
    auto *session = Alloc<OCISession>(env, env, OCI_HTYPE_SESSION);
    auto *stmt = Alloc<OCIStmt>(env, env, OCI_HTYPE_STMT);
    svc->server = server;
    svc->session = session;
    stmt->svchp = svc;

    auto *svc2 = Alloc<OCISvcCtx>(env, env, OCI_HTYPE_SVCCTX);
    svc2->session = session;
    ASSERT_EQ(OCIHandleFree(session, OCI_HTYPE_SESSION), OCI_SUCCESS);
    EXPECT_EQ(svc->session, nullptr);
    EXPECT_EQ(svc2->session, nullptr);

    ASSERT_EQ(OCIHandleFree(svc, OCI_HTYPE_SVCCTX), OCI_SUCCESS);
    EXPECT_EQ(stmt->svchp, nullptr);
    EXPECT_EQ(server->handleType, HANDLE_OCIServer);  // still alive
    EXPECT_EQ(OCIHandleFree(server, OCI_HTYPE_SERVER), OCI_SUCCESS);
    EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);
}

TEST(OutOfMemory, EveryAllocationFailureIsReportedAndLeaksNothing) {
    // Fail the Nth allocation of environment creation for every N.
    for (long n = 0; n < 12; n++) {
        SCOPED_TRACE(n);
        OCIEnv *env = reinterpret_cast<OCIEnv *>(0x1);
        void *usr = nullptr;
        o2pFailAllocationAfter(n);
        sword rc = OCIEnvCreate(&env, OCI_UTF16, nullptr, nullptr, nullptr, nullptr, 32, &usr);
        o2pFailAllocationAfter(-1);
        if (rc == OCI_SUCCESS) {
            ASSERT_NE(env, nullptr);
            OCIHandleFree(env, OCI_HTYPE_ENV);
        } else {
            EXPECT_EQ(rc, OCI_ERROR);
            EXPECT_EQ(env, nullptr);
        }
    }
}

TEST(OutOfMemory, HandleAndDescriptorAllocationsFailCleanlyWith16506) {
    OCIEnv *env = NewEnv();
    for (ub4 type : {OCI_HTYPE_STMT, OCI_HTYPE_SPOOL, OCI_HTYPE_ENV, OCI_HTYPE_BIND}) {
        const void *parent = env;
        if (type == OCI_HTYPE_BIND) parent = Alloc<OCIStmt>(env, env, OCI_HTYPE_STMT);
        for (long n = 0; n < 6; n++) {
            SCOPED_TRACE(testing::Message() << "type " << type << " failing allocation " << n);
            void *h = nullptr;
            void *usr = nullptr;
            o2pFailAllocationAfter(n);
            sword rc = OCIHandleAlloc(parent, &h, type, 24, &usr);
            o2pFailAllocationAfter(-1);
            if (rc == OCI_SUCCESS) {
                EXPECT_NE(h, nullptr);
                continue;
            }
            EXPECT_EQ(rc, OCI_ERROR);
            EXPECT_EQ(h, nullptr);
            EXPECT_EQ(EnvErrorCode(env), 16506);
        }
    }
    for (long n = 0; n < 5; n++) {
        void *d = nullptr;
        void *usr = nullptr;
        o2pFailAllocationAfter(n);
        sword rc = OCIDescriptorAlloc(env, &d, OCI_DTYPE_TIMESTAMP, 24, &usr);
        o2pFailAllocationAfter(-1);
        if (rc != OCI_SUCCESS) {
            EXPECT_EQ(rc, OCI_ERROR);
            EXPECT_EQ(d, nullptr);
            EXPECT_EQ(EnvErrorCode(env), 16506);
        }
    }
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST(ThreadKey, CreatedOnceWhenManyThreadsCreateEnvironments) {
    std::vector<std::thread> threads;
    std::vector<pthread_key_t> keys(8);
    for (int i = 0; i < 8; i++) {
        threads.emplace_back([i, &keys] {
            OCIEnv *env = nullptr;
            OCIEnvCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr);
            keys[i] = ProcessThreadKey();
            OCIHandleFree(env, OCI_HTYPE_ENV);
        });
    }
    for (auto &t : threads) t.join();
    for (pthread_key_t k : keys) EXPECT_EQ(k, keys[0]);
}

}  // namespace

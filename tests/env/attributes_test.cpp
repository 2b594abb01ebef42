// OCIAttrGet/OCIAttrSet dispatch and the attributes of every handle kind.
#include <gtest/gtest.h>

#include <memory>

#include <cstdio>
#include <cstring>
#include <string>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/attributes.h"
#include "env/describe_handles.h"
#include "env/env.h"

namespace {

class AttrTest : public ::testing::Test {
protected:
    void SetUp() override { Create(OCI_DEFAULT); }
    void TearDown() override { OCIHandleFree(env, OCI_HTYPE_ENV); }
    void Create(ub4 mode) {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        ASSERT_EQ(OCIEnvCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        err = static_cast<OCIError *>(Alloc(env, OCI_HTYPE_ERROR));
    }
    void *Alloc(const void *parent, ub4 type) {
        void *h = nullptr;
        EXPECT_EQ(OCIHandleAlloc(parent, &h, type, 0, nullptr), OCI_SUCCESS);
        return h;
    }
    sb4 LastError() {
        sb4 code = -1;
        if (OCIErrorGet(err, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR) != OCI_SUCCESS) return -1;
        return code;
    }
    std::string LastText() {
        sb4 code = 0;
        text buf[256];
        if (OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return "";
        return reinterpret_cast<char *>(buf);
    }
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
};

TEST_F(AttrTest, DispatchRulesOfBothEntryPoints) {
    ub4 value = 0;
    // Bind handles are refused before any getter runs.
    void *stmt = Alloc(env, OCI_HTYPE_STMT);
    void *bind = Alloc(stmt, OCI_HTYPE_BIND);
    EXPECT_EQ(OCIAttrGet(bind, OCI_HTYPE_BIND, &value, nullptr, OCI_ATTR_ENV, err), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIAttrSet(bind, OCI_HTYPE_BIND, &value, 4, OCI_ATTR_ENV, err), OCI_ERROR);
    EXPECT_EQ(OCIAttrGet(env, OCI_HTYPE_ENV, &value, nullptr, OCI_ATTR_OBJECT, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIAttrGet(env, OCI_HTYPE_ENV, nullptr, nullptr, OCI_ATTR_OBJECT, err), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIAttrSet(env, OCI_HTYPE_ENV, &value, 4, OCI_ATTR_OBJECT, nullptr), OCI_ERROR);

    // Getter types that have no getter fail without a record.
    void *pool = Alloc(env, OCI_HTYPE_SPOOL);
    EXPECT_EQ(OCIAttrGet(pool, OCI_HTYPE_SPOOL, &value, nullptr, OCI_ATTR_SPOOL_STMTCACHESIZE, err), OCI_ERROR);
    EXPECT_EQ(LastError(), -1);

    // Setter types: some refuse, the rest (descriptors included) do nothing.
    void *param = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(env, &param, OCI_DTYPE_PARAM, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIAttrSet(param, OCI_DTYPE_PARAM, &value, 4, OCI_ATTR_ENV, err), OCI_SUCCESS);
    EXPECT_EQ(OCIAttrSet(err, OCI_HTYPE_ERROR, &value, 4, OCI_ATTR_ENV, err), OCI_ERROR);
    EXPECT_EQ(OCIAttrSet(stmt, OCI_HTYPE_COMPLEXOBJECT, &value, 4, OCI_ATTR_ENV, err), OCI_ERROR);
    EXPECT_EQ(OCIAttrSet(stmt, 25, &value, 4, OCI_ATTR_ENV, err), OCI_SUCCESS);
    // A top-level environment accepts only its own type.
    EXPECT_EQ(OCIAttrSet(env, OCI_HTYPE_SVCCTX, &value, 4, OCI_ATTR_SERVER, err), OCI_ERROR);
    // Types naming another kind than the handle's fail in the kind's check.
    EXPECT_EQ(OCIAttrGet(stmt, OCI_HTYPE_SERVER, &value, nullptr, OCI_ATTR_ENV, err), OCI_INVALID_HANDLE);
}

TEST_F(AttrTest, EnvironmentObjectModeAndVarcharSemantics) {
    ub4 object = 9;
    ASSERT_EQ(OCIAttrGet(env, OCI_HTYPE_ENV, &object, nullptr, OCI_ATTR_OBJECT, err), OCI_SUCCESS);
    EXPECT_EQ(object, 0u);
    ub1 varchars = 0;
    ASSERT_EQ(OCIAttrGet(env, OCI_HTYPE_ENV, &varchars, nullptr, OCI_ATTR_PG_VARCHARS, err), OCI_SUCCESS);
    EXPECT_EQ(varchars, 3);
    ub1 off = 4;
    ASSERT_EQ(OCIAttrSet(env, OCI_HTYPE_ENV, &off, 1, OCI_ATTR_PG_VARCHARS, err), OCI_SUCCESS);
    EXPECT_EQ(env->varcharSemantics, 0);
    ub1 bad = 5;
    EXPECT_EQ(OCIAttrSet(env, OCI_HTYPE_ENV, &bad, 1, OCI_ATTR_PG_VARCHARS, err), OCI_ERROR);
    EXPECT_EQ(LastError(), 24328);
    EXPECT_EQ(env->varcharSemantics, 0);  // unchanged by the failure
    ub1 zero = 0;
    ASSERT_EQ(OCIAttrSet(env, OCI_HTYPE_ENV, &zero, 1, OCI_ATTR_PG_VARCHARS, err), OCI_SUCCESS);
    EXPECT_EQ(env->varcharSemantics, 1);
    EXPECT_EQ(OCIAttrSet(env, OCI_HTYPE_ENV, &object, 4, OCI_ATTR_OBJECT, err), OCI_ERROR);
    EXPECT_EQ(LastText(), "VOSKARI-24328: attribute value is invalid");

    // Set counts, whatever the value; the Windows C runtime cannot hold an
    // empty one (it deletes the variable), so the value is not empty there.
#ifdef _WIN32
    setenv("OCI_PG_VARCHARS", "1", 1);
#else
    setenv("OCI_PG_VARCHARS", "", 1);
#endif
    Create(OCI_OBJECT);
    unsetenv("OCI_PG_VARCHARS");
    ASSERT_EQ(OCIAttrGet(env, OCI_HTYPE_ENV, &varchars, nullptr, OCI_ATTR_PG_VARCHARS, err), OCI_SUCCESS);
    EXPECT_EQ(varchars, 4);
    ASSERT_EQ(OCIAttrGet(env, OCI_HTYPE_ENV, &object, nullptr, OCI_ATTR_OBJECT, err), OCI_SUCCESS);
    EXPECT_EQ(object, 1u);
}

TEST_F(AttrTest, ServiceContextLinksOnlyTheRightKinds) {
    auto *svc = static_cast<OCISvcCtx *>(Alloc(env, OCI_HTYPE_SVCCTX));
    void *server = Alloc(env, OCI_HTYPE_SERVER);
    void *session = Alloc(env, OCI_HTYPE_SESSION);
    void *got = nullptr;
    ub4 size = 99;
    EXPECT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &got, &size, OCI_ATTR_SERVER, err), OCI_INVALID_HANDLE);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SERVER, err), OCI_ERROR);
    EXPECT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SESSION, err), OCI_ERROR);

    // Linking is traced under its own category.
    char *buf = nullptr;
    size_t len = 0;
    FILE *saved = oci_debug_log;
    ub8 savedMask = oci_debug_mask;
    oci_debug_log = open_memstream(&buf, &len);
    oci_debug_mask = TRACE_LINK;
    ASSERT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err), OCI_SUCCESS);
    std::fclose(oci_debug_log);
    oci_debug_log = saved;
    oci_debug_mask = savedMask;
    char expected[200];
    std::snprintf(expected, sizeof expected, "Set_OCISvcCtx: setting %p.server = %p\n", static_cast<void *>(svc), server);
    EXPECT_NE(std::string(buf).find(expected), std::string::npos) << buf;
    std::free(buf);

    ASSERT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &got, nullptr, OCI_ATTR_SERVER, err), OCI_SUCCESS);
    EXPECT_EQ(got, server);
    ASSERT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &got, nullptr, OCI_ATTR_SESSION, err), OCI_SUCCESS);
    EXPECT_EQ(got, session);
    ASSERT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &got, nullptr, OCI_ATTR_ENV, err), OCI_SUCCESS);
    EXPECT_EQ(got, env);
    EXPECT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &got, nullptr, OCI_ATTR_ROW_COUNT, err), OCI_ERROR);
    EXPECT_EQ(LastError(), -1);  // unknown attribute: no record

    void *trans = Alloc(env, OCI_HTYPE_TRANS);
    ASSERT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, trans, 0, OCI_ATTR_TRANS, err), OCI_SUCCESS);
    EXPECT_EQ(svc->trans, trans);
    EXPECT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_TRANS, err), OCI_ERROR);
    // Unlinking with a null value.
    ASSERT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, nullptr, 0, OCI_ATTR_SERVER, err), OCI_SUCCESS);
    EXPECT_EQ(svc->server, nullptr);

    // Every getter that succeeds writes its value.
    ASSERT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &got, nullptr, OCI_ATTR_TRANS, err), OCI_SUCCESS);
    EXPECT_EQ(got, trans);
    ub4 cacheSize = 0xDEADBEEF;
    ASSERT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &cacheSize, nullptr, OCI_ATTR_STMTCACHESIZE, err), OCI_SUCCESS);
    EXPECT_EQ(cacheSize, 0u);
    cacheSize = 20;
    ASSERT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, &cacheSize, 0, OCI_ATTR_STMTCACHESIZE, err), OCI_SUCCESS);
    cacheSize = 0;
    ASSERT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &cacheSize, nullptr, OCI_ATTR_STMTCACHESIZE, err), OCI_SUCCESS);
    EXPECT_EQ(cacheSize, 20u);
    ub1 v8 = 0xEE;
    ASSERT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &v8, nullptr, OCI_ATTR_IN_V8_MODE, err), OCI_SUCCESS);
    EXPECT_EQ(v8, 1);

    // Freeing a linked server unlinks it: the service context never hands
    // out the freed record.
    ASSERT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err), OCI_SUCCESS);
    ASSERT_EQ(OCIHandleFree(server, OCI_HTYPE_SERVER), OCI_SUCCESS);
    EXPECT_EQ(svc->server, nullptr);
    EXPECT_EQ(OCIPing(svc, err, OCI_DEFAULT), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCISessionEnd(svc, err, nullptr, OCI_DEFAULT), OCI_INVALID_HANDLE);
}

TEST_F(AttrTest, ServerModesAndPrivateAttributes) {
    void *server = Alloc(env, OCI_HTYPE_SERVER);
    ub1 flag = 0;
    ASSERT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, nullptr, 0, OCI_ATTR_NONBLOCKING_MODE, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &flag, nullptr, OCI_ATTR_NONBLOCKING_MODE, err), OCI_SUCCESS);
    EXPECT_EQ(flag, 1);
    ASSERT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, nullptr, 0, OCI_ATTR_NONBLOCKING_MODE, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &flag, nullptr, OCI_ATTR_NONBLOCKING_MODE, err), OCI_SUCCESS);
    EXPECT_EQ(flag, 0);

    ub4 mode = 7;
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &mode, 4, OCI_ATTR_PG_HOLD_MODE, err), OCI_ERROR);
    EXPECT_EQ(LastError(), 24328);
    mode = 2;
    ASSERT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &mode, 4, OCI_ATTR_PG_HOLD_MODE, err), OCI_SUCCESS);
    for (ub4 m : {0u, 5u, 6u}) EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &m, 4, OCI_ATTR_PG_COMMIT_MODE, err), OCI_SUCCESS);
    mode = 4;
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &mode, 4, OCI_ATTR_PG_COMMIT_MODE, err), OCI_ERROR);
    ub4 got = 0, size = 0;
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &got, &size, OCI_ATTR_PG_HOLD_MODE, err), OCI_SUCCESS);
    EXPECT_EQ(got, 2u);
    EXPECT_EQ(size, 4u);
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &got, nullptr, OCI_ATTR_PG_COMMIT_MODE, err), OCI_SUCCESS);
    EXPECT_EQ(got, 6u);  // the failed set kept the old value

    // Without a connection the status is "not OK", and statement-level
    // transactions cannot be switched.
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &got, nullptr, OCI_ATTR_SERVER_STATUS, err), OCI_SUCCESS);
    EXPECT_EQ(got, 0u);
    flag = 1;
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &flag, 1, OCI_ATTR_PG_STMT_LEVEL_TX, err), OCI_ERROR);
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &flag, nullptr, OCI_ATTR_PG_STMT_LEVEL_TX, err), OCI_SUCCESS);
    EXPECT_EQ(flag, 0);

    ASSERT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &mode, 4, OCI_ATTR_PARSE_ERROR_OFFSET, err), OCI_SUCCESS);
    EXPECT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &got, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, err), OCI_ERROR);
    void *owner = nullptr;
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &owner, nullptr, OCI_ATTR_ENV, err), OCI_SUCCESS);
    EXPECT_EQ(owner, env);
}

TEST_F(AttrTest, SessionTexts) {
    auto *session = static_cast<OCISession *>(Alloc(env, OCI_HTYPE_SESSION));
    char *name = nullptr;
    ub4 size = 77;
    ASSERT_EQ(OCIAttrGet(session, OCI_HTYPE_SESSION, &name, &size, OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    EXPECT_EQ(name, nullptr);  // nothing set, nothing written
    EXPECT_EQ(size, 77u);

    char user[] = "scott_and_more";
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, user, 5, OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrGet(session, OCI_HTYPE_SESSION, &name, &size, OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    EXPECT_STREQ(name, "scott");
    EXPECT_EQ(size, 5u);
    char module[] = "my module";
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, module, 3, OCI_ATTR_MODULE, err), OCI_SUCCESS);
    EXPECT_STREQ(session->module, "my ");  // never read past the size
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, module, 40, OCI_ATTR_MODULE, err), OCI_SUCCESS);
    EXPECT_STREQ(session->module, "my module");  // nor past a terminator within it
    std::unique_ptr<char[]> exact(new char[5]{'e', 'x', 'a', 'c', 't'});  // no terminator
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, exact.get(), 5, OCI_ATTR_MODULE, err), OCI_SUCCESS);
    EXPECT_STREQ(session->module, "exact");
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, user, 0, OCI_ATTR_PASSWORD, err), OCI_SUCCESS);
    EXPECT_EQ(session->password, nullptr);

    EXPECT_EQ(OCIAttrGet(session, OCI_HTYPE_SESSION, &name, &size, OCI_ATTR_PASSWORD, err), OCI_ERROR);
    EXPECT_EQ(LastError(), 24315);
    for (ub4 ignored : {86u, 99u, 100u, 169u, 273u, 275u, 278u, 300u, 367u, 368u, 369u})
        EXPECT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, user, 1, ignored, err), OCI_SUCCESS) << ignored;
    EXPECT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, user, 1, 274, err), OCI_ERROR);
    EXPECT_EQ(LastError(), -1);
}

TEST_F(AttrTest, SessionTextsInAUtf16Environment) {
    Create(OCI_UTF16);
    auto *session = static_cast<OCISession *>(Alloc(env, OCI_HTYPE_SESSION));
    const ub1 scott[] = {'s', 0, 'c', 0, 0xF6, 0, 't', 0, 0, 0};  // "scöt"
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<ub1 *>(scott), 8, OCI_ATTR_USERNAME, err),
              OCI_SUCCESS);
    EXPECT_STREQ(session->username, "sc\xc3\xb6t");
    ub1 *name = nullptr;
    ub4 size = 0;
    ASSERT_EQ(OCIAttrGet(session, OCI_HTYPE_SESSION, &name, &size, OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(std::memcmp(name, scott, 8), 0);
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<ub1 *>(scott), sizeof scott, OCI_ATTR_MODULE, err),
              OCI_SUCCESS);
    EXPECT_STREQ(session->module, "sc\xc3\xb6t");  // up to the zero unit
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<ub1 *>(scott), 5, OCI_ATTR_MODULE, err), OCI_SUCCESS);
    EXPECT_STREQ(session->module, "sc");  // whole units within the size

    // An odd byte count ends inside a character: the old value is gone.
    EXPECT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<ub1 *>(scott), 7, OCI_ATTR_USERNAME, err), OCI_ERROR);
    EXPECT_EQ(session->username, nullptr);
    ub1 msg[200];
    sb4 code = -1;
    ASSERT_EQ(OCIErrorGet(err, 1, nullptr, &code, msg, sizeof msg, OCI_HTYPE_ERROR), OCI_SUCCESS);
    EXPECT_EQ(code, 0);
    const char *expected = "An incomplete multibyte sequence";  // read back in UTF-16LE
    for (size_t i = 0; i < std::strlen(expected); i++) EXPECT_EQ(msg[2 * i], static_cast<ub1>(expected[i]));
}

TEST_F(AttrTest, TransactionIdentifierAndName) {
    void *trans = Alloc(env, OCI_HTYPE_TRANS);
    XID *xid = reinterpret_cast<XID *>(1);
    ub4 size = 0;
    ASSERT_EQ(OCIAttrGet(trans, OCI_HTYPE_TRANS, &xid, &size, OCI_ATTR_XID, err), OCI_SUCCESS);
    EXPECT_EQ(xid, nullptr);
#ifdef _WIN32
    EXPECT_EQ(size, 140u);  // the XA structure's three longs have 32 bits there
#else
    EXPECT_EQ(size, 152u);
#endif

    XID in{};
    in.formatID = 42;
    in.gtrid_length = 3;
    in.bqual_length = 2;
    std::memcpy(in.data, "gtrbq", 5);
    EXPECT_EQ(OCIAttrSet(trans, OCI_HTYPE_TRANS, &in, 151, OCI_ATTR_XID, err), OCI_ERROR);
    EXPECT_EQ(LastError(), 24750);
    ASSERT_EQ(OCIAttrSet(trans, OCI_HTYPE_TRANS, &in, sizeof in, OCI_ATTR_XID, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrGet(trans, OCI_HTYPE_TRANS, &xid, &size, OCI_ATTR_XID, err), OCI_SUCCESS);
    EXPECT_EQ(std::memcmp(xid, &in, sizeof in), 0);
    char *name = nullptr;
    ASSERT_EQ(OCIAttrGet(trans, OCI_HTYPE_TRANS, &name, &size, OCI_ATTR_TRANS_NAME, err), OCI_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(std::string(name, size), "gtrbq");

    std::string longName(200, 'n');
    longName[127] = 'L';
    longName[128] = 'X';
    ASSERT_EQ(OCIAttrSet(trans, OCI_HTYPE_TRANS, &longName[0], 200, OCI_ATTR_TRANS_NAME, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrGet(trans, OCI_HTYPE_TRANS, &name, &size, OCI_ATTR_TRANS_NAME, err), OCI_SUCCESS);
    EXPECT_EQ(size, 128u);
    EXPECT_EQ(name[127], 'L');
    EXPECT_EQ(xid->formatID, 0);  // cleared before the name went in
    EXPECT_EQ(xid->bqual_length, 0);

    ub4 timeout = 60, got = 0;
    ASSERT_EQ(OCIAttrSet(trans, OCI_HTYPE_TRANS, &timeout, 4, OCI_ATTR_TRANS_TIMEOUT, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrGet(trans, OCI_HTYPE_TRANS, &got, &size, OCI_ATTR_TRANS_TIMEOUT, err), OCI_SUCCESS);
    EXPECT_EQ(got, 60u);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(OCIAttrGet(trans, OCI_HTYPE_TRANS, &got, &size, OCI_ATTR_ENV, err), OCI_ERROR);
    EXPECT_EQ(LastError(), 24315);
}

TEST_F(AttrTest, DescribePoolAndStatementKinds) {
    void *dsc = Alloc(env, OCI_HTYPE_DESCRIBE);
    OCIParam *param = nullptr;
    // Nothing described yet: there is no parameter to hand out.
    EXPECT_EQ(OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &param, nullptr, OCI_ATTR_PARAM, err), OCI_INVALID_HANDLE);
    EXPECT_EQ(param, nullptr);
    ub4 count = 0;
    EXPECT_EQ(OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &count, nullptr, OCI_ATTR_PARAM_COUNT, err), OCI_ERROR);
    EXPECT_EQ(LastError(), 3001);
    EXPECT_EQ(OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &count, nullptr, OCI_ATTR_ENV, err), OCI_ERROR);
    EXPECT_EQ(LastError(), 24315);

    auto *pool = static_cast<OCISPool *>(Alloc(env, OCI_HTYPE_SPOOL));
    ub4 cache = 20;
    ASSERT_EQ(OCIAttrSet(pool, OCI_HTYPE_SPOOL, &cache, 4, OCI_ATTR_SPOOL_STMTCACHESIZE, err), OCI_SUCCESS);
    EXPECT_EQ(pool->stmtCacheSize, 20u);
    EXPECT_EQ(OCIAttrSet(pool, OCI_HTYPE_SPOOL, &cache, 4, OCI_ATTR_SPOOL_TIMEOUT, err), OCI_SUCCESS);
    EXPECT_EQ(OCIAttrSet(pool, OCI_HTYPE_SPOOL, &cache, 4, OCI_ATTR_SPOOL_MAX, err), OCI_ERROR);
    EXPECT_EQ(LastError(), -1);

    void *stmt = Alloc(env, OCI_HTYPE_STMT);
    EXPECT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, 4242, err), OCI_ERROR);
    EXPECT_EQ(LastError(), 24328);
}

// Attribute setting runs the callbacks of function code 55; the exit
// callbacks also see a failing setter, but not a refused handle type.
sword CountAndPass(void *ctxp, void *, ub4, ub4, ub4, sword, sb4 *, va_list) {
    ++*static_cast<int *>(ctxp);
    return OCI_CONTINUE;
}
sword TurnIntoInfo(void *ctxp, void *, ub4, ub4, ub4, sword, sb4 *, va_list) {
    ++*static_cast<int *>(ctxp);
    return OCI_SUCCESS_WITH_INFO;
}

TEST_F(AttrTest, SetRunsItsCallbacks) {
    int entries = 0, exits = 0;
    ASSERT_EQ(OCIUserCallbackRegister(env, OCI_HTYPE_ENV, nullptr, CountAndPass, &entries, OCI_FNCODE_ATTRSET,
                                      OCI_UCBTYPE_ENTRY, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIUserCallbackRegister(env, OCI_HTYPE_ENV, nullptr, TurnIntoInfo, &exits, OCI_FNCODE_ATTRSET,
                                      OCI_UCBTYPE_EXIT, nullptr), OCI_SUCCESS);
    void *server = Alloc(env, OCI_HTYPE_SERVER);
    ub4 mode = 1;
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &mode, 4, OCI_ATTR_PG_HOLD_MODE, err), OCI_SUCCESS_WITH_INFO);
    mode = 9;
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &mode, 4, OCI_ATTR_PG_HOLD_MODE, err), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(LastError(), 24328);  // the record stays although the exit callback answered
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_ERROR, &mode, 4, OCI_ATTR_PG_HOLD_MODE, err), OCI_ERROR);
    EXPECT_EQ(entries, 3);
    EXPECT_EQ(exits, 2);
    // Reading attributes runs no callbacks.
    EXPECT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &mode, nullptr, OCI_ATTR_PG_HOLD_MODE, err), OCI_SUCCESS);
    EXPECT_EQ(entries, 3);
}

}  // namespace

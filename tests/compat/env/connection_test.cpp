// The Oracle-compatible mode on a live connection, each behaviour in both
// modes: the database character set, the module naming the server session,
// a connection lost under the session and then closed, session pools as
// drivers drive them, the release number, and the LOB calls drivers make on
// every LOB.
#include <libpq-fe.h>

#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "mode.h"
#include "support/server_test_support.h"

using namespace compat_env_test;

namespace {

const OraText *Text(const std::string &s) { return reinterpret_cast<const OraText *>(s.c_str()); }

class Connection : public BothModes {
protected:
    void SetUp() override {
        env = NewEnv(Oracle());
        ASSERT_NE(env, nullptr);
        err = Alloc<OCIError>(env, OCI_HTYPE_ERROR);
        server = Alloc<OCIServer>(env, OCI_HTYPE_SERVER);
        svc = Alloc<OCISvcCtx>(env, OCI_HTYPE_SVCCTX);
        session = Alloc<OCISession>(env, OCI_HTYPE_SESSION);
        const std::string uri = oci_test::ClusterUri();
        ASSERT_EQ(OCIServerAttach(server, err, Text(uri), static_cast<sb4>(uri.size()), OCI_DEFAULT), OCI_SUCCESS);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
        // Unique among the cluster's sessions, and short enough to be kept whole.
        static int serial = 0;
        module = std::string("compat-env-") + (Oracle() ? "oracle-" : "own-") + std::to_string(getpid()) + "-" +
                 std::to_string(++serial);
        SetModule(module);
        ASSERT_EQ(OCISessionBegin(svc, err, session, OCI_CRED_RDBMS, OCI_DEFAULT), OCI_SUCCESS);
        observer = PQconnectdb(uri.c_str());
        ASSERT_EQ(PQstatus(observer), CONNECTION_OK);
        pid = oci_test::QueryValue(observer, "SELECT pid FROM pg_stat_activity WHERE application_name = '" +
                                                 module + "'");
        ASSERT_NE(pid, "?");
    }
    void TearDown() override {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        if (observer != nullptr) PQfinish(observer);
        unsetenv("TAV_OCI_UIFCTN_RET_OK");
    }
    sword SetModule(const std::string &name) {
        return OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<char *>(name.c_str()),
                          static_cast<ub4>(name.size()), OCI_ATTR_MODULE, err);
    }
    std::string ApplicationName() {
        return oci_test::QueryValue(observer, "SELECT application_name FROM pg_stat_activity WHERE pid = " + pid);
    }
    ub4 ServerStatus() {
        ub4 status = 7;
        EXPECT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &status, nullptr, OCI_ATTR_SERVER_STATUS, err), OCI_SUCCESS);
        return status;
    }
    // Ends the session's server process and waits until it is gone.
    void TerminateSession() {
        ASSERT_EQ(oci_test::QueryValue(observer, "SELECT pg_terminate_backend(" + pid + ")"), "t");
        for (int i = 0; i < 100; i++) {
            if (oci_test::QueryValue(observer, "SELECT count(*) FROM pg_stat_activity WHERE pid = " + pid) == "0")
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        FAIL() << "the session's process did not end";
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIServer *server = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;
    PGconn *observer = nullptr;
    std::string module;
    std::string pid;
};

TEST_P(Connection, DatabaseCharacterSetAndModule) {
    ub2 id = 0;
    const sword rc = OCIAttrGet(server, OCI_HTYPE_SERVER, &id, nullptr, OCI_ATTR_CHARSET_ID, err);
    if (Oracle()) {
        EXPECT_EQ(rc, OCI_SUCCESS);
        const std::string encoding = oci_test::QueryValue(observer, "SHOW server_encoding");
        EXPECT_EQ(id, encoding == "UTF8" ? 873 : encoding == "SQL_ASCII" ? 1 : encoding == "LATIN1" ? 31 : 0)
            << encoding;
    } else {
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_EQ(FirstRecord(err).code, 24328);
    }
    // The module names the server session from the start in both modes; a
    // new one renames the open session in the Oracle mode.
    EXPECT_EQ(ApplicationName(), module);
    ASSERT_EQ(SetModule(module + "-renamed"), OCI_SUCCESS);
    EXPECT_EQ(ApplicationName(), Oracle() ? module + "-renamed" : module);
}

TEST_P(Connection, LostConnectionIsReportedAsOracleReportsIt) {
    EXPECT_EQ(ServerStatus(), static_cast<ub4>(OCI_SERVER_NORMAL));
    TerminateSession();
    // The call that finds the connection gone (a query), then the calls
    // after it.
    auto *stmt = Alloc<OCIStmt>(env, OCI_HTYPE_STMT);
    const std::string sql = "SELECT 1";
    ASSERT_EQ(OCIStmtPrepare(stmt, err, Text(sql), static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(OCIStmtExecute(svc, stmt, err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
    const Record found = FirstRecord(err);
    EXPECT_EQ(ServerStatus(), static_cast<ub4>(OCI_SERVER_NOT_CONNECTED));
    EXPECT_EQ(OCIPing(svc, err, OCI_DEFAULT), OCI_ERROR);
    const Record after = FirstRecord(err);
    char version[128] = {};
    EXPECT_EQ(OCIServerVersion(svc, err, reinterpret_cast<OraText *>(version), sizeof version, OCI_HTYPE_SVCCTX),
              OCI_ERROR);
    const Record later = FirstRecord(err);
    if (Oracle()) {
        EXPECT_EQ(found.code, 3113);
        EXPECT_NE(found.text.find("end-of-file on communication channel"), std::string::npos) << found.text;
        EXPECT_EQ(after.code, 3114);
        EXPECT_NE(after.text.find("not connected to ORACLE"), std::string::npos) << after.text;
        EXPECT_EQ(later.code, 3114);
    } else {
        EXPECT_NE(found.code, 3113);
        EXPECT_NE(after.code, 3114);
        EXPECT_EQ(later.code, -1);
    }
    // Closing the dead connection as drivers do: Oracle's clients end the
    // session quietly; the library's own mode reports the lost connection.
    // Detaching succeeds in both.
    EXPECT_EQ(OCISessionEnd(svc, err, session, OCI_DEFAULT), Oracle() ? OCI_SUCCESS : OCI_ERROR);
    EXPECT_EQ(OCIServerDetach(server, err, OCI_DEFAULT), OCI_SUCCESS) << FirstRecord(err).text;
}

TEST_P(Connection, SessionPoolsAsDriversUseThem) {
    auto *pool = Alloc<OCISPool>(env, OCI_HTYPE_SPOOL);
    OraText *name = nullptr;
    ub4 nameLength = 0;
    const std::string uri = oci_test::ClusterUri();
    std::string user = oci_test::QueryValue(observer, "SELECT current_user");
    const sword created = OCISessionPoolCreate(env, err, pool, &name, &nameLength, Text(uri),
                                               static_cast<ub4>(uri.size()), 1, 2, 1,
                                               reinterpret_cast<OraText *>(&user[0]), static_cast<ub4>(user.size()),
                                               nullptr, 0, OCI_SPC_STMTCACHE | OCI_SPC_HOMOGENEOUS);
    if (!Oracle()) {
        // The own mode takes no statement-cache bit.
        EXPECT_EQ(created, OCI_ERROR);
        EXPECT_EQ(FirstRecord(err).code, 24300);
        return;
    }
    ASSERT_EQ(created, OCI_SUCCESS) << FirstRecord(err).text;
    auto counts = [&]() {
        ub4 open = 99, busy = 99;
        OCIAttrGet(pool, OCI_HTYPE_SPOOL, &open, nullptr, OCI_ATTR_SPOOL_OPEN_COUNT, err);
        OCIAttrGet(pool, OCI_HTYPE_SPOOL, &busy, nullptr, OCI_ATTR_SPOOL_BUSY_COUNT, err);
        return std::to_string(open) + "/" + std::to_string(busy);
    };
    EXPECT_EQ(counts(), "1/0");
    OCISvcCtx *lent = nullptr;
    ASSERT_EQ(OCISessionGet(env, err, &lent, nullptr, name, nameLength, nullptr, 0, nullptr, nullptr, nullptr,
                            OCI_SESSGET_SPOOL),
              OCI_SUCCESS);
    EXPECT_EQ(counts(), "1/1");
    // A second session is opened up to the maximum of 2; then the pool is spent.
    OCISvcCtx *second = nullptr, *third = nullptr;
    ASSERT_EQ(OCISessionGet(env, err, &second, nullptr, name, nameLength, nullptr, 0, nullptr, nullptr, nullptr,
                            OCI_SESSGET_SPOOL),
              OCI_SUCCESS);
    EXPECT_EQ(counts(), "2/2");
    EXPECT_EQ(OCISessionGet(env, err, &third, nullptr, name, nameLength, nullptr, 0, nullptr, nullptr, nullptr,
                            OCI_SESSGET_SPOOL),
              OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, 24418);
    EXPECT_EQ(OCISessionRelease(second, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS);
    // Dropping a live session closes it.
    EXPECT_EQ(OCISessionRelease(lent, err, nullptr, 0, OCI_SESSRLS_DROPSESS), OCI_SUCCESS);
    EXPECT_EQ(counts(), "1/0");
    // A driver drops a session it found dead: its server process ends under it.
    ASSERT_EQ(OCISessionGet(env, err, &lent, nullptr, name, nameLength, nullptr, 0, nullptr, nullptr, nullptr,
                            OCI_SESSGET_SPOOL),
              OCI_SUCCESS);
    auto *stmt = Alloc<OCIStmt>(env, OCI_HTYPE_STMT);
    const std::string sql = "SELECT pg_terminate_backend(pg_backend_pid())";
    ASSERT_EQ(OCIStmtPrepare(stmt, err, Text(sql), static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(OCIStmtExecute(lent, stmt, err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, 3113);
    OCIServer *lentServer = nullptr;
    ASSERT_EQ(OCIAttrGet(lent, OCI_HTYPE_SVCCTX, &lentServer, nullptr, OCI_ATTR_SERVER, err), OCI_SUCCESS);
    ub4 status = 7;
    EXPECT_EQ(OCIAttrGet(lentServer, OCI_HTYPE_SERVER, &status, nullptr, OCI_ATTR_SERVER_STATUS, err), OCI_SUCCESS);
    EXPECT_EQ(status, static_cast<ub4>(OCI_SERVER_NOT_CONNECTED));
    EXPECT_EQ(OCISessionRelease(lent, err, nullptr, 0, OCI_SESSRLS_DROPSESS), OCI_SUCCESS) << FirstRecord(err).text;
    EXPECT_EQ(counts(), "0/0");
    EXPECT_EQ(OCISessionPoolDestroy(pool, err, OCI_DEFAULT), OCI_SUCCESS);
}

TEST_P(Connection, ParameterDescriptorsNamedAsDescribeHandles) {
    auto *stmt = Alloc<OCIStmt>(env, OCI_HTYPE_STMT);
    const std::string sql = "SELECT 1 AS n";
    ASSERT_EQ(OCIStmtPrepare(stmt, err, Text(sql), static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(OCIStmtExecute(svc, stmt, err, 0, 0, nullptr, nullptr, OCI_DESCRIBE_ONLY), OCI_SUCCESS);
    void *param = nullptr;
    ASSERT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, err, &param, 1), OCI_SUCCESS);
    ub2 type = 0;
    // Drivers name the describe handle type for the parameter descriptor.
    const sword rc = OCIAttrGet(param, OCI_HTYPE_DESCRIBE, &type, nullptr, OCI_ATTR_DATA_TYPE, err);
    if (Oracle()) {
        EXPECT_EQ(rc, OCI_SUCCESS) << FirstRecord(err).text;
        ub2 named = 1;
        EXPECT_EQ(OCIAttrGet(param, OCI_DTYPE_PARAM, &named, nullptr, OCI_ATTR_DATA_TYPE, err), OCI_SUCCESS);
        EXPECT_EQ(type, named);
    } else {
        EXPECT_NE(rc, OCI_SUCCESS);
    }
    OCIDescriptorFree(param, OCI_DTYPE_PARAM);
}

TEST_P(Connection, ServerRelease2) {
    char text[256] = {};
    ub4 full = 0, cached = 1;
    ASSERT_EQ(OCIServerRelease(svc, err, reinterpret_cast<OraText *>(text), sizeof text, OCI_HTYPE_SVCCTX, &full),
              OCI_SUCCESS);
    ASSERT_EQ(OCIServerRelease2(svc, err, nullptr, 0, OCI_HTYPE_SVCCTX, &cached, OCI_SRVRELEASE2_CACHED),
              OCI_SUCCESS);
    EXPECT_EQ(cached, full);
    EXPECT_EQ(full >> 24, static_cast<ub4>(PQserverVersion(observer) / 10000));
}

TEST_P(Connection, LobCallsOfDrivers) {
    if (!Oracle()) setenv("TAV_OCI_UIFCTN_RET_OK", "1", 1);  // else the own mode ends the process
    void *a = nullptr, *b = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(env, &a, OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIDescriptorAlloc(env, &b, OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    auto *lob = static_cast<OCILobLocator *>(a);
    auto *copy = static_cast<OCILobLocator *>(b);
    ASSERT_EQ(OCILobCreateTemporary(svc, err, lob, 0, SQLCS_IMPLICIT, OCI_TEMP_CLOB, TRUE, OCI_DURATION_SESSION),
              OCI_SUCCESS);
    oraub8 length = 12345;
    if (!Oracle()) {
        // The own mode's guarded calls do nothing.
        EXPECT_EQ(OCILobGetLength2(svc, err, lob, &length), OCI_SUCCESS);
        EXPECT_EQ(length, 12345u);
        return;
    }
    auto write = [&](const std::string &text, oraub8 offset) {
        oraub8 bytes = text.size(), chars = 0;
        EXPECT_EQ(OCILobWrite2(svc, err, lob, &bytes, &chars, offset, const_cast<char *>(text.data()), text.size(),
                               OCI_ONE_PIECE, nullptr, nullptr, 0, SQLCS_IMPLICIT),
                  OCI_SUCCESS)
            << FirstRecord(err).text;
        EXPECT_EQ(bytes, text.size());
    };
    auto read = [&](OCILobLocator *from) {
        char buf[64] = {};
        oraub8 bytes = 0, chars = 40;
        EXPECT_EQ(OCILobRead2(svc, err, from, &bytes, &chars, 1, buf, sizeof buf, OCI_ONE_PIECE, nullptr, nullptr, 0,
                              SQLCS_IMPLICIT),
                  OCI_SUCCESS)
            << FirstRecord(err).text;
        return std::string(buf, bytes);
    };
    write("hello world", 1);
    write("WORLD", 7);
    EXPECT_EQ(read(lob), "hello WORLD");
    EXPECT_EQ(OCILobGetLength2(svc, err, lob, &length), OCI_SUCCESS);
    EXPECT_EQ(length, 11u);
    EXPECT_EQ(OCILobTrim2(svc, err, lob, 5), OCI_SUCCESS);
    EXPECT_EQ(read(lob), "hello");
    ub4 chunk = 0;
    EXPECT_EQ(OCILobGetChunkSize(svc, err, lob, &chunk), OCI_SUCCESS);
    EXPECT_GT(chunk, 0u);
    // A copy of a temporary LOB is a LOB of its own.
    EXPECT_EQ(OCILobLocatorAssign(svc, err, lob, &copy), OCI_SUCCESS) << FirstRecord(err).text;
    write("HELLO", 1);
    EXPECT_EQ(read(copy), "hello");
    boolean temporary = FALSE, open = TRUE;
    EXPECT_EQ(OCILobIsTemporary(env, err, copy, &temporary), OCI_SUCCESS);
    EXPECT_EQ(temporary, TRUE);
    EXPECT_EQ(OCILobIsOpen(svc, err, lob, &open), OCI_SUCCESS);
    EXPECT_EQ(open, FALSE);
    ASSERT_EQ(OCILobOpen(svc, err, lob, OCI_LOB_READWRITE), OCI_SUCCESS);
    EXPECT_EQ(OCILobIsOpen(svc, err, lob, &open), OCI_SUCCESS);
    EXPECT_EQ(open, TRUE);
    EXPECT_EQ(OCILobClose(svc, err, lob), OCI_SUCCESS);
    EXPECT_EQ(OCILobFreeTemporary(svc, err, lob), OCI_SUCCESS);
    EXPECT_EQ(OCILobFreeTemporary(svc, err, copy), OCI_SUCCESS);
    EXPECT_EQ(OCILobIsTemporary(env, err, lob, &temporary), OCI_SUCCESS);
    EXPECT_EQ(temporary, FALSE);
    // Freeing again: not a temporary LOB any more.
    EXPECT_EQ(OCILobFreeTemporary(svc, err, lob), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, 1733);
}

INSTANTIATE_TEST_SUITE_P(Modes, Connection, ::testing::Bool(), ModeName);

}  // namespace

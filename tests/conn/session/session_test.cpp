// Attaching, beginning and ending sessions against the test server.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "conn/conn_handles.h"
#include "conn/nls.h"
#include "conn/session_control.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/attributes.h"
#include "env/env.h"
#include "support/server_test_support.h"

namespace {

using oci_test::ClusterUri;


class SessionTest : public ::testing::Test {
protected:
    void SetUp() override { Create(OCI_DEFAULT, 0); }
    void TearDown() override {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        unsetenv("NLS_DATE_FORMAT");
        unsetenv("OCI_TRACE_PROTOCOL");
    }
    void Create(ub4 mode, ub2 charset) {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        env = nullptr;
        ASSERT_EQ(OCIEnvNlsCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr, charset, 0),
                  OCI_SUCCESS);
        err = static_cast<OCIError *>(Alloc(OCI_HTYPE_ERROR));
        server = static_cast<OCIServer *>(Alloc(OCI_HTYPE_SERVER));
        svc = static_cast<OCISvcCtx *>(Alloc(OCI_HTYPE_SVCCTX));
        session = static_cast<OCISession *>(Alloc(OCI_HTYPE_SESSION));
        ASSERT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err), OCI_SUCCESS);
        ASSERT_EQ(OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err), OCI_SUCCESS);
    }
    void *Alloc(ub4 type) {
        void *h = nullptr;
        EXPECT_EQ(OCIHandleAlloc(env, &h, type, 0, nullptr), OCI_SUCCESS);
        return h;
    }
    sword Attach(const std::string &ident) {
        return OCIServerAttach(server, err, reinterpret_cast<const OraText *>(ident.c_str()),
                               static_cast<sb4>(ident.size()), OCI_DEFAULT);
    }
    void SetUser(const char *user) {
        ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<char *>(user), static_cast<ub4>(strlen(user)),
                             OCI_ATTR_USERNAME, err),
                  OCI_SUCCESS);
    }
    sword Begin(ub4 mode = OCI_DEFAULT) { return OCISessionBegin(svc, err, session, OCI_CRED_RDBMS, mode); }
    sb4 Code(ub4 n = 1) {
        sb4 code = -1;
        OCIErrorGet(err, n, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR);
        return code;
    }
    std::string Text(ub4 n = 1) {
        sb4 code = 0;
        text buf[1024];
        if (OCIErrorGet(err, n, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return "";
        return reinterpret_cast<char *>(buf);
    }
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIServer *server = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;
};

TEST_F(SessionTest, AttachResolvesWithoutContactingTheServer) {
    ASSERT_EQ(Attach(""), OCI_SUCCESS);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_STREQ(server->host, host);
    EXPECT_STREQ(server->port, "5444");
    EXPECT_STREQ(server->dbname, "tav");
    EXPECT_EQ(server->conn, nullptr);
    EXPECT_EQ(Attach("x"), OCI_ERROR);
    EXPECT_EQ(Code(), 24309);
    ASSERT_EQ(OCIServerDetach(server, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(server->host, nullptr);
    EXPECT_EQ(OCIServerDetach(server, err, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Code(), 24324);

    // An unreachable server is only noticed when the session begins.
    ASSERT_EQ(Attach("//127.0.0.1:1/nowhere"), OCI_SUCCESS);
    EXPECT_STREQ(server->port, "1");
    SetUser("postgres");
    EXPECT_EQ(Begin(), OCI_ERROR);
    EXPECT_EQ(Code(), 12154);
    EXPECT_NE(Text().find("127.0.0.1"), std::string::npos) << Text();
    EXPECT_EQ(server->conn, nullptr);
}

TEST_F(SessionTest, SessionBeginConnectsWithTheSessionsCredentials) {
    EXPECT_EQ(Begin(), OCI_ERROR);  // no attached server yet
    EXPECT_EQ(Code(), 24314);
    // The uri names another user; the session's user name overrides it.
    ASSERT_EQ(Attach(ClusterUri("nosuchuser")), OCI_SUCCESS);
    EXPECT_EQ(server->host, nullptr);
    SetUser("postgres");
    char module[] = "session test";
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, module, sizeof module, OCI_ATTR_MODULE, err), OCI_SUCCESS);
    ASSERT_EQ(Begin(OCI_STMT_CACHE), OCI_SUCCESS) << Text();
    ASSERT_NE(server->conn, nullptr);
    EXPECT_EQ(oci_test::QueryValue(server->conn, "SELECT current_user"), "postgres");
    EXPECT_EQ(oci_test::QueryValue(server->conn, "SHOW application_name"), "session test");
    EXPECT_EQ(oci_test::QueryValue(server->conn, "SHOW DateStyle"), "ISO, MDY");
    EXPECT_EQ(oci_test::QueryValue(server->conn, "SHOW client_encoding"), nls::EncodingServerName(env->charsetId));
    EXPECT_TRUE(svc->stmtCacheEnabled);
    EXPECT_GE(gDBServerVersion, 150000);

    ub4 status = 0;
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &status, nullptr, OCI_ATTR_SERVER_STATUS, err), OCI_SUCCESS);
    EXPECT_EQ(status, 1u);

    // Statement-level transactions need no server setting: the switch takes.
    ub1 on = 1;
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &on, 1, OCI_ATTR_PG_STMT_LEVEL_TX, err), OCI_SUCCESS);
    EXPECT_TRUE(server->stmtLevelTx);
    on = 0;
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &on, 1, OCI_ATTR_PG_STMT_LEVEL_TX, err), OCI_SUCCESS);
    EXPECT_FALSE(server->stmtLevelTx);

    // A second session begin on the same server closes the first connection.
    PGconn *first = server->conn;
    const std::string firstPid = std::to_string(PQbackendPID(first));
    ASSERT_EQ(Begin(), OCI_SUCCESS) << Text();
    EXPECT_FALSE(svc->stmtCacheEnabled);
    // The old backend goes away asynchronously once its client hung up.
    const std::string probe = "SELECT count(*) FROM pg_stat_activity WHERE pid = " + firstPid;
    std::string alive;
    for (int i = 0; i < 100 && (alive = oci_test::QueryValue(server->conn, probe.c_str())) != "0"; i++) usleep(20000);
    EXPECT_EQ(alive, "0");

    ASSERT_EQ(OCISessionEnd(svc, err, session, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(server->conn, nullptr);
    EXPECT_EQ(OCISessionEnd(svc, err, session, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Code(), 25407);
    ASSERT_EQ(OCIAttrGet(server, OCI_HTYPE_SERVER, &status, nullptr, OCI_ATTR_SERVER_STATUS, err), OCI_SUCCESS);
    EXPECT_EQ(status, 0u);
}

TEST_F(SessionTest, ClientEncodingFollowsTheEnvironment) {
    Create(OCI_DEFAULT, 8);  // LATIN1
    ASSERT_EQ(Attach(ClusterUri("postgres")), OCI_SUCCESS);
    ASSERT_EQ(Begin(), OCI_SUCCESS) << Text();
    EXPECT_EQ(oci_test::QueryValue(server->conn, "SHOW client_encoding"), "LATIN1");

    // UTF-16 environments talk UTF-8 to the server; their texts arrive in UTF-16.
    Create(OCI_UTF16, 0);
    std::string uri = ClusterUri();
    std::string wide;
    for (char c : uri) wide += std::string{c, '\0'};
    ASSERT_EQ(Attach(wide), OCI_SUCCESS);
    EXPECT_EQ(std::string(server->uri), uri);
    const ub1 user[] = {'p', 0, 'o', 0, 's', 0, 't', 0, 'g', 0, 'r', 0, 'e', 0, 's', 0};
    ASSERT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<ub1 *>(user), sizeof user, OCI_ATTR_USERNAME, err),
              OCI_SUCCESS);
    ASSERT_EQ(Begin(), OCI_SUCCESS) << Text();
    EXPECT_EQ(oci_test::QueryValue(server->conn, "SHOW client_encoding"), "UTF8");

    // An odd byte count cannot be UTF-16.
    ASSERT_EQ(OCIServerDetach(server, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(OCIServerAttach(server, err, reinterpret_cast<const OraText *>(wide.data()), 5, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_STREQ(ErrorRecordAt(err, 1)->msg, "An incomplete multibyte sequence has been encountered in the input");
}

// A stock server has no ALTER SESSION: the session still begins, in ISO date
// style; the statement went out quoted once and is not tried again.
TEST_F(SessionTest, DateFormatVariableNeverFailsTheSession) {
    char traceFile[] = "/tmp/ocitraceXXXXXX";
    int fd = mkstemp(traceFile);
    ASSERT_GE(fd, 0);
    close(fd);
    setenv("OCI_TRACE_PROTOCOL", traceFile, 1);
    setenv("NLS_DATE_FORMAT", "YYYY-MM-DD'; DROP TABLE x; --", 1);
    ASSERT_EQ(Attach(ClusterUri("postgres")), OCI_SUCCESS);
    ASSERT_EQ(Begin(), OCI_SUCCESS);
    EXPECT_EQ(std::string(PQparameterStatus(server->conn, "DateStyle")).substr(0, 3), "ISO");
    EXPECT_EQ(PQtransactionStatus(server->conn), PQTRANS_IDLE);
    EXPECT_EQ(OCISessionEnd(svc, err, session, OCI_DEFAULT), OCI_SUCCESS);
    ASSERT_EQ(Begin(), OCI_SUCCESS);
    OCIHandleFree(env, OCI_HTYPE_ENV);  // closes the connection and its trace
    env = nullptr;
    std::ifstream in(traceFile);
    std::stringstream trace;
    trace << in.rdbuf();
    const std::string text = trace.str();
    const std::string statement = "ALTER SESSION SET NLS_DATE_FORMAT = 'YYYY-MM-DD''; DROP TABLE x; --'";
    const size_t first = text.find(statement);
    EXPECT_NE(first, std::string::npos) << text;
    EXPECT_EQ(text.find(statement, first + 1), std::string::npos) << text;
    std::remove(traceFile);
}

TEST_F(SessionTest, LogonAndLogoff) {
    OCISvcCtx *logged = reinterpret_cast<OCISvcCtx *>(1);
    const std::string uri = ClusterUri();
    const auto *db = reinterpret_cast<const OraText *>(uri.c_str());
    EXPECT_EQ(OCILogon(env, err, &logged, nullptr, 0, nullptr, 0, db, static_cast<ub4>(uri.size())), OCI_ERROR);
    EXPECT_EQ(logged, nullptr);
    EXPECT_EQ(Text(), "VOSKARI-21560: null, invalid, or out of range argument 4");
    const auto *user = reinterpret_cast<const OraText *>("postgres");
    EXPECT_EQ(OCILogon(env, err, &logged, user, 8, nullptr, 0, nullptr, 0), OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-21560: null, invalid, or out of range argument 8");

    const int before = list_length(env->children);
    ASSERT_EQ(OCILogon2(env, err, &logged, user, 8, nullptr, 0, db, static_cast<ub4>(uri.size()),
                        OCI_LOGON2_STMTCACHE),
              OCI_SUCCESS)
        << Text();
    ASSERT_NE(logged, nullptr);
    EXPECT_TRUE(logged->stmtCacheEnabled);
    ASSERT_NE(logged->server, nullptr);
    EXPECT_EQ(oci_test::QueryValue(logged->server->conn, "SELECT 40 + 2"), "42");
    ASSERT_EQ(OCILogoff(logged, err), OCI_SUCCESS);
    EXPECT_EQ(list_length(env->children), before);  // every handle of the logon is gone

    // A failing logon frees what it allocated.
    const std::string bad = "//127.0.0.1:1/x";
    EXPECT_EQ(OCILogon(env, err, &logged, user, 8, nullptr, 0, reinterpret_cast<const OraText *>(bad.c_str()),
                       static_cast<ub4>(bad.size())),
              OCI_ERROR);
    EXPECT_EQ(logged, nullptr);
    EXPECT_EQ(Code(), 12154);
    EXPECT_EQ(list_length(env->children), before);
}

sword Count(void *ctxp, void *, ub4, ub4, ub4, sword, sb4 *, va_list) {
    ++*static_cast<int *>(ctxp);
    return OCI_CONTINUE;
}

TEST_F(SessionTest, CallbacksOfAttachDetachBeginAndEnd) {
    int entry[4] = {}, replace = 0;
    const ub4 codes[] = {OCI_FNCODE_SERVERATTACH, OCI_FNCODE_SERVERDETACH, OCI_FNCODE_SESSIONBEGIN,
                         OCI_FNCODE_SESSIONEND};
    for (int i = 0; i < 4; i++)
        OCIUserCallbackRegister(env, OCI_HTYPE_ENV, nullptr, Count, &entry[i], codes[i], OCI_UCBTYPE_ENTRY, nullptr);
    OCIUserCallbackRegister(env, OCI_HTYPE_ENV, nullptr, Count, &replace, OCI_FNCODE_SERVERDETACH,
                            OCI_UCBTYPE_REPLACE, nullptr);
    ASSERT_EQ(Attach(ClusterUri("postgres")), OCI_SUCCESS);
    ASSERT_EQ(Begin(), OCI_SUCCESS);
    ASSERT_EQ(OCISessionEnd(svc, err, nullptr, OCI_DEFAULT), OCI_SUCCESS);
    ASSERT_EQ(OCIServerDetach(server, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(entry[0], 1);
    EXPECT_EQ(entry[1], 0);  // detaching runs only its replacement callbacks
    EXPECT_EQ(replace, 1);
    EXPECT_EQ(entry[2], 1);
    EXPECT_EQ(entry[3], 1);
}

TEST_F(SessionTest, ServerNoticesBecomeWarningRecords) {
    ASSERT_EQ(Attach(ClusterUri("postgres")), OCI_SUCCESS);
    ASSERT_EQ(Begin(), OCI_SUCCESS);
    PQnoticeProcessor previous = PQsetNoticeProcessor(server->conn, OCINoticeHandler, err);
    PQclear(PQexec(server->conn, "DO $$ BEGIN RAISE NOTICE 'careful now'; END $$"));
    PQsetNoticeProcessor(server->conn, previous, nullptr);
    ASSERT_EQ(ErrorRecordCount(err), 1);
    EXPECT_TRUE(err->hasWarnings);
    EXPECT_EQ(ErrorRecordAt(err, 1)->severity, OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(Text(), "NOTICE:  careful now\n");
    // Anything that is not an error handle is ignored.
    OCINoticeHandler(env, "ignored");
    OCINoticeHandler(nullptr, "ignored");
    EXPECT_EQ(ErrorRecordCount(err), 1);

    // A notice outside any call's own handling goes to the debug log, never
    // to the application's standard error.
    FILE *log = std::tmpfile();
    oci_debug_log = log;
    testing::internal::CaptureStderr();
    PQclear(PQexec(server->conn, "DO $$ BEGIN RAISE NOTICE 'stray notice'; END $$"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    oci_debug_log = nullptr;
    std::string logged(static_cast<size_t>(std::ftell(log)), '\0');
    std::rewind(log);
    logged.resize(std::fread(&logged[0], 1, logged.size(), log));
    std::fclose(log);
    EXPECT_EQ(logged, "server notice: NOTICE:  stray notice\n");
}

// Detaching ends the connection: the open transaction rolls back on the
// server, and the service context reports the lost connection.
TEST_F(SessionTest, DetachEndsTheConnectionAndItsTransaction) {
    ASSERT_EQ(Attach(ClusterUri("postgres")), OCI_SUCCESS);
    ASSERT_EQ(Begin(), OCI_SUCCESS);
    PGconn *observer = PQconnectdb(ClusterUri("postgres").c_str());
    PQclear(PQexec(observer, "CREATE TABLE IF NOT EXISTS detach_rows (n int); TRUNCATE detach_rows"));
    const std::string pid = std::to_string(PQbackendPID(server->conn));
    PQclear(PQexec(server->conn, "BEGIN; INSERT INTO detach_rows VALUES (1)"));
    ASSERT_EQ(OCIServerDetach(server, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(server->conn, nullptr);
    std::string alive;
    for (int i = 0; i < 100; i++) {
        alive = oci_test::QueryValue(observer, "SELECT count(*) FROM pg_stat_activity WHERE pid = " + pid);
        if (alive == "0") break;
        usleep(20000);
    }
    EXPECT_EQ(alive, "0");
    EXPECT_EQ(oci_test::QueryValue(observer, "SELECT count(*) FROM detach_rows"), "0");
    EXPECT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Code(), 25407);
    EXPECT_EQ(OCIPing(svc, err, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(OCISessionEnd(svc, err, session, OCI_DEFAULT), OCI_ERROR);
    PQclear(PQexec(observer, "DROP TABLE detach_rows"));
    PQfinish(observer);
}

// Sessions begin in many threads at once (each thread its own handles).
TEST(SessionThreads, ConcurrentLogons) {
    OCIEnv *env = nullptr;
    ASSERT_EQ(OCIEnvCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    const std::string uri = ClusterUri("postgres");
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            OCIEnv *own = nullptr;
            if (OCIEnvCreate(&own, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS) {
                ++failures;
                return;
            }
            OCIError *e = nullptr;
            OCIHandleAlloc(own, reinterpret_cast<void **>(&e), OCI_HTYPE_ERROR, 0, nullptr);
            for (int i = 0; i < 5; ++i) {
                OCISvcCtx *svc = nullptr;
                if (OCILogon(own, e, &svc, reinterpret_cast<const OraText *>("postgres"), 8, nullptr, 0,
                             reinterpret_cast<const OraText *>(uri.c_str()), static_cast<ub4>(uri.size())) !=
                        OCI_SUCCESS ||
                    OCILogoff(svc, e) != OCI_SUCCESS)
                    ++failures;
            }
            OCIHandleFree(own, OCI_HTYPE_ENV);
        });
    for (auto &thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_GE(gDBServerVersion.load(), 150000);
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

}  // namespace

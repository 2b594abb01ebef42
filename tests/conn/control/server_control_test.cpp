// Server versions, ping, password change, break and reset against the test
// server.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "conn/conn_handles.h"
#include "conn/server_control.h"
#include "diag/errors.h"
#include "env/env.h"
#include "support/server_test_support.h"

namespace {

using oci_test::ClusterUri;


const OraText *T(const std::string &s) { return reinterpret_cast<const OraText *>(s.data()); }
ub4 L(const std::string &s) { return static_cast<ub4>(s.size()); }
std::string Wide(const std::string &s) {
    std::string w;
    for (char c : s) w += std::string{c, '\0'};
    return w;
}

const std::string kRole = "oci Pw\"q'Role";  // needs quoting as an identifier
const std::string kOther = "oci_pw_other";
const std::string kSentinel = "oci_pw_sentinel";

class ServerControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        admin = PQconnectdb(ClusterUri().c_str());
        ASSERT_EQ(PQstatus(admin), CONNECTION_OK) << PQerrorMessage(admin);
        PQsetNoticeProcessor(admin, [](void *, const char *) {}, nullptr);
        DropRoles();  // left by an interrupted run
        ASSERT_EQ(OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        err = static_cast<OCIError *>(Alloc(OCI_HTYPE_ERROR));
        ASSERT_EQ(Logon(env, err, "postgres", "pgpass", &svc), OCI_SUCCESS) << Text();
        conn = svc->server->conn;
    }
    void TearDown() override {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        DropRoles();
        PQfinish(admin);
    }
    void DropRoles() {
        for (const auto &role : {kRole, kOther, kSentinel}) Exec("DROP ROLE IF EXISTS " + Ident(role));
    }
    void *Alloc(ub4 type) {
        void *h = nullptr;
        EXPECT_EQ(OCIHandleAlloc(env, &h, type, 0, nullptr), OCI_SUCCESS);
        return h;
    }
    static sword Logon(OCIEnv *e, OCIError *er, const std::string &user, const std::string &pw, OCISvcCtx **out) {
        const std::string uri = e->utf16 ? Wide(ClusterUri()) : ClusterUri();
        return OCILogon(e, er, out, T(user), L(user), T(pw), L(pw), T(uri), L(uri));
    }
    std::string Ident(const std::string &name) {
        char *q = PQescapeIdentifier(admin, name.c_str(), name.size());
        std::string s = q;
        PQfreemem(q);
        return s;
    }
    void Exec(const std::string &sql) { PQclear(PQexec(admin, sql.c_str())); }
    std::string StoredPassword(const std::string &role) {
        char *q = PQescapeLiteral(admin, role.c_str(), role.size());
        const std::string name = q;
        PQfreemem(q);
        return oci_test::QueryValue(admin, "SELECT coalesce(rolpassword, '(none)') FROM pg_authid WHERE rolname = " + name);
    }
    // Whether `role` has `password`, as md5 stores it.
    bool HasMd5Password(const std::string &role, const std::string &password) {
        const char *params[] = {role.c_str(), password.c_str()};
        PGresult *res = PQexecParams(admin, "SELECT rolpassword = 'md5' || md5($2 || rolname) FROM pg_authid "
                                            "WHERE rolname = $1", 2, nullptr, params, nullptr, nullptr, 0);
        const bool same = PQntuples(res) == 1 && std::string(PQgetvalue(res, 0, 0)) == "t";
        PQclear(res);
        return same;
    }
    bool WaitActive(PGconn *c) {
        const std::string sql = "SELECT state FROM pg_stat_activity WHERE pid = " +
                                std::to_string(PQbackendPID(c)) + " AND query LIKE '%pg_sleep%'";
        for (int i = 0; i < 250; i++, usleep(20000))
            if (oci_test::QueryValue(admin, sql) == "active") return true;
        return false;
    }
    sb4 Code() { return ErrorRecordCount(err) > 0 ? ErrorRecordAt(err, 1)->errcode : 0; }
    std::string Text() {
        sb4 code = 0;
        text buf[512] = {};
        OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
        return reinterpret_cast<char *>(buf);
    }
    PGconn *admin = nullptr;
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCISvcCtx *svc = nullptr;
    PGconn *conn = nullptr;
};

TEST(ServerReleaseTest, PacksOldAndNewVersionNumbering) {
    EXPECT_EQ(PackServerRelease(90605), (9u << 24) | (6u << 20) | (5u << 12));  // 9.6.5
    EXPECT_EQ(PackServerRelease(100012), (10u << 24) | (12u << 12));           // 10.12
    // A field wider than its bits is cut rather than spilling over.
    EXPECT_EQ(PackServerRelease(81799), (8u << 24) | (1u << 20) | (99u << 12));
    sword v[5] = {-1, -1, -1, -1, -1};
    OCIClientVersion(&v[0], &v[1], &v[2], &v[3], &v[4]);
    EXPECT_EQ(std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
                  std::to_string(v[3]) + "." + std::to_string(v[4]),
              "11.0.1.1.0");
}

TEST_F(ServerControlTest, VersionTextAndRelease) {
    const std::string expected = oci_test::QueryValue(conn, "SELECT version()");
    OraText buf[512];
    ASSERT_EQ(OCIServerVersion(svc, err, buf, sizeof buf, OCI_HTYPE_SVCCTX), OCI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf)), expected);
    std::memset(buf, '#', sizeof buf);
    ASSERT_EQ(OCIServerVersion(svc->server, err, buf, 4, OCI_HTYPE_SERVER), OCI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), 5), "Post#");  // cut, no NUL
    EXPECT_EQ(OCIServerVersion(svc, err, buf, sizeof buf, OCI_HTYPE_ERROR), OCI_ERROR);
    EXPECT_EQ(OCIServerVersion(svc, err, buf, 0, OCI_HTYPE_SVCCTX), OCI_ERROR);

    ub4 release = 0;
    ASSERT_EQ(OCIServerRelease(svc, err, buf, sizeof buf, OCI_HTYPE_SVCCTX, &release), OCI_SUCCESS);
    const int number = PQserverVersion(conn);
    EXPECT_EQ(release >> 24, 15u);
    EXPECT_EQ((release >> 20) & 0xF, 0u);
    EXPECT_EQ((release >> 12) & 0xFF, static_cast<ub4>(number % 100));

    auto *idle = static_cast<OCIServer *>(Alloc(OCI_HTYPE_SERVER));
    EXPECT_EQ(OCIServerRelease(idle, err, buf, sizeof buf, OCI_HTYPE_SERVER, &release), OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-25407: connection terminated");
    EXPECT_EQ(OCIServerVersion(idle, err, buf, sizeof buf, OCI_HTYPE_SERVER), OCI_ERROR);
}

TEST_F(ServerControlTest, Utf16EnvironmentConvertsVersionRoleAndPassword) {
    OCIEnv *wenv = nullptr;
    OCIError *werr = nullptr;
    OCISvcCtx *wsvc = nullptr;
    ASSERT_EQ(OCIEnvCreate(&wenv, OCI_UTF16, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIHandleAlloc(wenv, reinterpret_cast<void **>(&werr), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(Logon(wenv, werr, Wide("postgres"), "", &wsvc), OCI_SUCCESS);
    OraText buf[1024];
    ASSERT_EQ(OCIServerVersion(wsvc, werr, buf, sizeof buf, OCI_HTYPE_SVCCTX), OCI_SUCCESS);
    const std::string wide = Wide(oci_test::QueryValue(conn, "SELECT version()")) + std::string(2, '\0');
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf), wide.size()), wide);

    Exec("CREATE ROLE " + Ident(kOther) + " LOGIN");
    PQclear(PQexec(wsvc->server->conn, "SET password_encryption = 'md5'"));
    const std::string role = Wide(kOther), password = Wide("p") + std::string("\xe4\0", 2) + Wide("ss'");
    EXPECT_EQ(OCIPasswordChange(wsvc, werr, T(role), L(role), nullptr, 0, T(password), L(password), OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_TRUE(HasMd5Password(kOther, "p\xc3\xa4ss'"));
    OCIHandleFree(wenv, OCI_HTYPE_ENV);
}

TEST_F(ServerControlTest, PingAndBreakOnALiveAndADeadConnection) {
    EXPECT_EQ(OCIPing(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(OCIBreak(svc->server, err), OCI_SUCCESS);  // harmless on an idle connection
    EXPECT_EQ(OCIPing(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(OCIPing(static_cast<OCISvcCtx *>(Alloc(OCI_HTYPE_SVCCTX)), err, OCI_DEFAULT), OCI_INVALID_HANDLE);

    const std::string pid = std::to_string(PQbackendPID(conn));
    ASSERT_EQ(oci_test::QueryValue(admin, "SELECT pg_terminate_backend(" + pid + ")"), "t");
    for (int i = 0; i < 100 && oci_test::QueryValue(admin, "SELECT count(*) FROM pg_stat_activity WHERE pid = " + pid) != "0"; i++)
        usleep(20000);
    EXPECT_EQ(OCIPing(svc, err, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-01041: host definition extension not found");
    EXPECT_EQ(OCIPing(svc, err, 1), OCI_ERROR);
    EXPECT_EQ(Code(), 25407);

    // The error handle may belong to the call being interrupted: a break
    // leaves it exactly as it was.
    EXPECT_EQ(OCIBreak(svc, err), OCI_ERROR);
    EXPECT_EQ(Code(), 25407);
    EXPECT_EQ(OCIBreak(Alloc(OCI_HTYPE_SERVER), err), OCI_ERROR);  // never connected
    EXPECT_EQ(OCIBreak(env, err), OCI_ERROR);
    EXPECT_EQ(OCIBreak(svc, nullptr), OCI_ERROR);
}

sword CountCall(void *ctxp, void *, ub4, ub4, ub4, sword, sb4 *, va_list) {
    ++*static_cast<int *>(ctxp);
    return OCI_CONTINUE;
}

TEST_F(ServerControlTest, PasswordIsQuotedAndChangedForTheNamedRole) {
    Exec("CREATE ROLE " + Ident(kRole) + " LOGIN PASSWORD 'initial'");
    Exec("CREATE ROLE " + Ident(kOther) + " LOGIN");
    Exec("CREATE ROLE " + Ident(kSentinel));
    int calls = 0;
    OCIUserCallbackRegister(env, OCI_HTYPE_ENV, nullptr, CountCall, &calls, OCI_FNCODE_PASSWORDCHANGE,
                            OCI_UCBTYPE_ENTRY, nullptr);
    OCISvcCtx *own = nullptr;
    ASSERT_EQ(Logon(env, err, kRole, "initial", &own), OCI_SUCCESS) << Text();
    PQclear(PQexec(own->server->conn, "SET password_encryption = 'md5'"));

    const std::string evil = "a'b\"; DROP ROLE " + kSentinel + "; --";
    ASSERT_EQ(OCIPasswordChange(own, err, T(kRole), L(kRole), T("initial"), 7, T(evil), L(evil), OCI_DEFAULT),
              OCI_SUCCESS)
        << Text();
    EXPECT_TRUE(HasMd5Password(kRole, evil));
    EXPECT_EQ(oci_test::QueryValue(admin, "SELECT count(*) FROM pg_roles WHERE rolname = '" + kSentinel + "'"), "1");
    EXPECT_STREQ(own->session->password, evil.c_str());
    EXPECT_EQ(calls, 1);

    // Another role's password is the server's to refuse...
    EXPECT_EQ(OCIPasswordChange(own, err, T(kOther), L(kOther), nullptr, 0, T("x"), 1, OCI_DEFAULT), OCI_ERROR);
    EXPECT_STREQ(ErrorRecordAt(err, 1)->sqlstate, "42501");
    // ...or to allow; the changing session keeps its own password.
    ASSERT_EQ(OCIPasswordChange(svc, err, T(kOther), L(kOther), nullptr, 0, T("n3w"), 3, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_NE(StoredPassword(kOther), "(none)");
    EXPECT_STREQ(svc->session->password, "pgpass");

    EXPECT_EQ(OCIPasswordChange(svc, err, T(kOther), L(kOther), nullptr, 0, T("n3w"), 3, 2), OCI_INVALID_HANDLE);
}

TEST_F(ServerControlTest, PasswordChangeLogsOnAsTheNamedRoleInAuthMode) {
    Exec("CREATE ROLE " + Ident(kRole) + " LOGIN PASSWORD 'initial'");
    const std::string before = StoredPassword(kRole);
    auto *server = static_cast<OCIServer *>(Alloc(OCI_HTYPE_SERVER));
    auto *fresh = static_cast<OCISvcCtx *>(Alloc(OCI_HTYPE_SVCCTX));
    auto *session = static_cast<OCISession *>(Alloc(OCI_HTYPE_SESSION));
    const std::string uri = ClusterUri();
    ASSERT_EQ(OCIServerAttach(server, err, T(uri), static_cast<sb4>(uri.size()), OCI_DEFAULT), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrSet(fresh, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrSet(fresh, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err), OCI_SUCCESS);

    EXPECT_EQ(OCIPasswordChange(fresh, err, T(kRole), L(kRole), T("initial"), 7, T("next"), 4, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(Code(), 25407);
    ASSERT_EQ(OCIPasswordChange(fresh, err, T(kRole), L(kRole), T("initial"), 7, T("next"), 4, 8), OCI_SUCCESS)
        << Text();
    EXPECT_EQ(oci_test::QueryValue(server->conn, "SELECT current_user"), kRole);
    EXPECT_STREQ(session->password, "next");
    EXPECT_NE(StoredPassword(kRole), before);
}

TEST_F(ServerControlTest, BreakCancelsTheRunningStatement) {
    std::string sqlstate;
    double seconds = 0;
    std::thread runner([&] {
        const auto start = std::chrono::steady_clock::now();
        PGresult *res = PQexec(conn, "SELECT pg_sleep(30)");
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const char *state = PQresultErrorField(res, PG_DIAG_SQLSTATE);
        sqlstate = state != nullptr ? state : "";
        PQclear(res);
    });
    const bool active = WaitActive(conn);
    const sword rc = OCIBreak(svc, err);
    runner.join();
    ASSERT_TRUE(active);
    EXPECT_EQ(rc, OCI_SUCCESS);
    EXPECT_EQ(sqlstate, "57014");  // query_canceled
    EXPECT_LT(seconds, 10.0);
    EXPECT_EQ(oci_test::QueryValue(conn, "SELECT 1"), "1");
}

TEST_F(ServerControlTest, ResetReadsThePendingResult) {
    ASSERT_EQ(PQsendQuery(conn, "SELECT 42"), 1);
    EXPECT_EQ(OCIReset(svc, err), OCI_SUCCESS);
    EXPECT_EQ(oci_test::QueryValue(conn, "SELECT 1"), "1");

    // An interrupted statement in a transaction: the cancellation is
    // reported and no transaction is left open.
    PQclear(PQexec(conn, "BEGIN"));
    ASSERT_EQ(PQsendQuery(conn, "SELECT pg_sleep(30)"), 1);
    ASSERT_TRUE(WaitActive(conn));
    ASSERT_EQ(OCIBreak(svc, err), OCI_SUCCESS);
    EXPECT_EQ(OCIReset(svc->server, err), OCI_ERROR);
    EXPECT_STREQ(ErrorRecordAt(err, 1)->sqlstate, "57014");
    EXPECT_EQ(PQtransactionStatus(conn), PQTRANS_IDLE);
    EXPECT_EQ(OCIPing(svc, err, OCI_DEFAULT), OCI_SUCCESS);

    EXPECT_EQ(OCIReset(svc, err), OCI_ERROR);  // nothing pending
    EXPECT_EQ(ErrorRecordCount(err), 1);
    EXPECT_EQ(OCIReset(svc, nullptr), OCI_ERROR);
}

}  // namespace

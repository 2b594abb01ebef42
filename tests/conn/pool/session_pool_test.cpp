// Session pools and OCISessionGet/OCISessionRelease against the test server.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "env/env.h"

namespace {

// The test cluster as a connection URI (it listens on a unix socket only).
std::string ClusterUri() {
    const char *host = std::getenv("PGHOST");
    const char *port = std::getenv("PGPORT");
    const char *db = std::getenv("PGDATABASE");
    return std::string("postgresql:///") + (db ? db : "") + "?host=" + (host ? host : "") +
           "&port=" + (port ? port : "");
}

std::string Query(PGconn *conn, const char *sql) {
    PGresult *res = PQexec(conn, sql);
    std::string value = PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) > 0 ? PQgetvalue(res, 0, 0) : "?";
    PQclear(res);
    return value;
}

PGconn *ConnOf(OCISvcCtx *svc) { return svc != nullptr && svc->server != nullptr ? svc->server->conn : nullptr; }

std::string Pid(OCISvcCtx *svc) { return Query(ConnOf(svc), "SELECT pg_backend_pid()"); }

// Texts in a UTF-16 environment's encoding.
std::string Wide(const std::string &s) {
    std::string w;
    for (char c : s) w += std::string{c, '\0'};
    return w;
}

const OraText *T(const std::string &s) { return reinterpret_cast<const OraText *>(s.c_str()); }
OraText *MT(std::string &s) { return reinterpret_cast<OraText *>(&s[0]); }
ub4 L(const std::string &s) { return static_cast<ub4>(s.size()); }

class SessionPoolTest : public ::testing::Test {
protected:
    void SetUp() override { Create(OCI_DEFAULT); }
    void TearDown() override {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        if (monitor != nullptr) PQfinish(monitor);
    }
    void Create(ub4 mode) {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        ASSERT_EQ(OCIEnvCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        err = static_cast<OCIError *>(Alloc(OCI_HTYPE_ERROR));
        pool = static_cast<OCISPool *>(Alloc(OCI_HTYPE_SPOOL));
    }
    void *Alloc(ub4 type) {
        void *h = nullptr;
        EXPECT_EQ(OCIHandleAlloc(env, &h, type, 0, nullptr), OCI_SUCCESS);
        return h;
    }
    sword CreatePool(ub4 min, ub4 max, ub4 mode, const std::string &connect = ClusterUri()) {
        return OCISessionPoolCreate(env, err, pool, &name, &nameLen, T(connect), L(connect), min, max, 1, MT(user),
                                    L(user), nullptr, 0, mode);
    }
    sword Get(OCISvcCtx **svc, ub4 mode = OCI_SESSGET_SPOOL, OCIAuthInfo *auth = nullptr) {
        return OCISessionGet(env, err, svc, auth, name, nameLen, nullptr, 0, nullptr, nullptr, nullptr, mode);
    }
    sb4 Code() {
        sb4 code = 0;
        OCIErrorGet(err, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR);
        return code;
    }
    std::string Text() {
        sb4 code = 0;
        text buf[512] = {};
        OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
        return reinterpret_cast<char *>(buf);
    }
    // Number of server backends among `pids`, seen from outside the pool.
    int LiveBackends(const std::set<std::string> &pids) {
        if (monitor == nullptr) monitor = PQconnectdb(ClusterUri().c_str());
        std::string list;
        for (const auto &p : pids) list += (list.empty() ? "" : ",") + p;
        const std::string sql = "SELECT count(*) FROM pg_stat_activity WHERE pid IN (" + list + ")";
        std::string n;
        // A backend goes away a moment after its client hangs up.
        for (int i = 0; i < 100; i++) {
            n = Query(monitor, sql.c_str());
            if (n == "0") break;
            usleep(20000);
        }
        return std::atoi(n.c_str());
    }
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCISPool *pool = nullptr;
    OraText *name = nullptr;
    ub4 nameLen = 0;
    std::string user = "postgres";
    PGconn *monitor = nullptr;
};

TEST_F(SessionPoolTest, HomogeneousPoolLendsReusesAndRefusesBeyondItsMaximum) {
    const int handlesBefore = list_length(env->children);
    ASSERT_EQ(CreatePool(2, 3, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS) << Text();
    ASSERT_EQ(nameLen, 29u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(name)), "OCI:SP:XXXXXXXXXXXXXXXXXXXXX");
    EXPECT_EQ(pool->freeCount, 2u);

    OCISvcCtx *s[4] = {};
    ASSERT_EQ(Get(&s[0]), OCI_SUCCESS) << Text();
    ASSERT_EQ(Get(&s[1]), OCI_SUCCESS) << Text();
    EXPECT_EQ(pool->totalCount, 2u);  // both came ready-made
    ASSERT_EQ(Get(&s[2]), OCI_SUCCESS) << Text();
    EXPECT_EQ(pool->totalCount, 3u);
    EXPECT_EQ(Get(&s[3]), OCI_ERROR);
    EXPECT_EQ(s[3], nullptr);

    std::set<std::string> pids;
    for (int i = 0; i < 3; i++) {
        ASSERT_NE(ConnOf(s[i]), nullptr);
        EXPECT_EQ(Query(ConnOf(s[i]), "SELECT current_user"), "postgres");
        pids.insert(Pid(s[i]));
    }
    EXPECT_EQ(pids.size(), 3u);  // three sessions, three connections

    // A released session is kept open and lent again.
    const std::string pid = Pid(s[1]);
    ASSERT_EQ(OCISessionRelease(s[1], err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS) << Text();
    EXPECT_EQ(pool->freeCount, 1u);
    OCISvcCtx *again = nullptr;
    ASSERT_EQ(Get(&again), OCI_SUCCESS);
    EXPECT_EQ(again, s[1]);
    EXPECT_EQ(Pid(again), pid);

    for (int i = 0; i < 3; i++) EXPECT_EQ(OCISessionRelease(s[i], err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(pool->freeCount, 3u);
    ASSERT_EQ(OCISessionPoolDestroy(pool, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(LiveBackends(pids), 0);
    EXPECT_EQ(list_length(env->children), handlesBefore);
    EXPECT_EQ(Get(&again), OCI_ERROR);  // nothing left to lend, no room to open
}

TEST_F(SessionPoolTest, ReleaseHandsBackACleanSessionOrDropsABrokenOne) {
    ASSERT_EQ(CreatePool(1, 1, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS) << Text();
    OCISvcCtx *svc = nullptr;
    ASSERT_EQ(Get(&svc), OCI_SUCCESS);
    PQclear(PQexec(ConnOf(svc), "BEGIN"));
    PQclear(PQexec(ConnOf(svc), "CREATE TEMP TABLE pool_leftover (n int)"));
    ASSERT_EQ(PQtransactionStatus(ConnOf(svc)), PQTRANS_INTRANS);
    ASSERT_EQ(OCISessionRelease(svc, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS);
    ASSERT_EQ(Get(&svc), OCI_SUCCESS);
    // The next borrower does not inherit the uncommitted work.
    EXPECT_EQ(PQtransactionStatus(ConnOf(svc)), PQTRANS_IDLE);
    EXPECT_EQ(Query(ConnOf(svc), "SELECT count(*) FROM pg_class WHERE relname = 'pool_leftover'"), "0");

    // The server ends the session while it is lent out.
    const std::string pid = Pid(svc);
    monitor = PQconnectdb(ClusterUri().c_str());
    EXPECT_EQ(Query(monitor, ("SELECT pg_terminate_backend(" + pid + ")").c_str()), "t");
    EXPECT_EQ(LiveBackends({pid}), 0);
    PQclear(PQexec(ConnOf(svc), "SELECT 1"));  // the client learns of it
    ASSERT_EQ(PQstatus(ConnOf(svc)), CONNECTION_BAD);
    const int handles = list_length(env->children);
    ASSERT_EQ(OCISessionRelease(svc, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS) << Text();
    EXPECT_EQ(ErrorRecordCount(err), 0);
    EXPECT_EQ(list_length(env->children), handles - 3);  // logged off, not pooled
    EXPECT_EQ(pool->totalCount, 0u);
    // Its place is free again: the pool opens a fresh session.
    ASSERT_EQ(Get(&svc), OCI_SUCCESS) << Text();
    EXPECT_NE(Pid(svc), pid);
    EXPECT_EQ(OCISessionRelease(svc, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS);
}

TEST_F(SessionPoolTest, NonHomogeneousPoolHasNothingToLend) {
    ASSERT_EQ(CreatePool(2, 4, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(pool->freeCount, 2u);
    EXPECT_EQ(pool->homogeneous, 0);
    OCISvcCtx *svc = reinterpret_cast<OCISvcCtx *>(1);
    EXPECT_EQ(Get(&svc), OCI_ERROR);
    EXPECT_EQ(svc, nullptr);
    EXPECT_EQ(Code(), 30475);
    EXPECT_NE(Text().find("non-homogeneous"), std::string::npos) << Text();
}

TEST_F(SessionPoolTest, CreateAndGetRefuseBadArguments) {
    const std::string uri = ClusterUri();
    EXPECT_EQ(OCISessionPoolCreate(env, err, pool, nullptr, &nameLen, T(uri), L(uri), 0, 1, 1, nullptr, 0, nullptr,
                                   0, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-21560: null, invalid, or out of range argument 4");
    EXPECT_EQ(OCISessionPoolCreate(env, err, pool, &name, nullptr, T(uri), L(uri), 0, 1, 1, nullptr, 0, nullptr, 0,
                                   OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-21560: null, invalid, or out of range argument 5");
    EXPECT_EQ(CreatePool(0, 1, OCI_SPC_REINITIALIZE), OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-30475: unsupported feature: OCI_SPC_REINITIALIZE");
    EXPECT_EQ(CreatePool(0, 1, OCI_SPC_STMTCACHE), OCI_ERROR);
    EXPECT_EQ(Code(), 30475);
    EXPECT_EQ(CreatePool(0, 1, 3), OCI_ERROR);
    EXPECT_EQ(Code(), 24300);
    EXPECT_EQ(OCISessionPoolCreate(env, err, reinterpret_cast<OCISPool *>(err), &name, &nameLen, T(uri), L(uri), 0,
                                   1, 1, nullptr, 0, nullptr, 0, OCI_DEFAULT),
              OCI_INVALID_HANDLE);

    OCISvcCtx *svc = nullptr;
    EXPECT_EQ(Get(&svc), OCI_ERROR);  // no pool created yet: none named
    // The name does not depend on the connect string.
    ASSERT_EQ(CreatePool(0, 0, OCI_SPC_HOMOGENEOUS, "//elsewhere:1/other"), OCI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(name), 28), "OCI:SP:XXXXXXXXXXXXXXXXXXXXX");
    EXPECT_EQ(Get(&svc, 2), OCI_ERROR);
    EXPECT_EQ(OCISessionGet(env, err, &svc, nullptr, nullptr, 0, nullptr, 0, nullptr, nullptr, nullptr,
                            OCI_SESSGET_SPOOL),
              OCI_ERROR);
    EXPECT_EQ(Get(&svc, OCI_DEFAULT), OCI_INVALID_HANDLE);  // a plain logon needs credentials
    EXPECT_EQ(OCISessionGet(env, err, nullptr, nullptr, name, nameLen, nullptr, 0, nullptr, nullptr, nullptr,
                            OCI_SESSGET_SPOOL),
              OCI_INVALID_HANDLE);
}

TEST_F(SessionPoolTest, HomogeneousPoolReportsTheFailingLogon) {
    // A pool whose server cannot be reached keeps what it opened and says why.
    EXPECT_EQ(CreatePool(2, 2, OCI_SPC_HOMOGENEOUS, "//127.0.0.1:1/nowhere"), OCI_ERROR);
    EXPECT_EQ(Code(), 12154);
    EXPECT_EQ(pool->totalCount, 0u);
    OCISvcCtx *svc = nullptr;
    EXPECT_EQ(Get(&svc), OCI_ERROR);
    EXPECT_EQ(Code(), 12154);
    EXPECT_EQ(pool->totalCount, 0u);  // the failed logon gave its slot back
}

TEST_F(SessionPoolTest, PlainSessionGetIsALogonReleasedByLoggingOff) {
    auto *auth = static_cast<OCISession *>(Alloc(OCI_HTYPE_AUTHINFO));
    ASSERT_EQ(OCIAttrSet(auth, OCI_HTYPE_AUTHINFO, MT(user), L(user), OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    const int handles = list_length(env->children);
    std::string uri = ClusterUri();
    OCISvcCtx *svc = nullptr;
    ASSERT_EQ(OCISessionGet(env, err, &svc, reinterpret_cast<OCIAuthInfo *>(auth), MT(uri), L(uri), nullptr, 0,
                            nullptr, nullptr, nullptr, OCI_SESSGET_STMTCACHE),
              OCI_SUCCESS)
        << Text();
    EXPECT_TRUE(svc->stmtCacheEnabled);
    EXPECT_EQ(Query(ConnOf(svc), "SELECT current_user"), "postgres");
    const std::string pid = Pid(svc);
    ASSERT_EQ(OCISessionRelease(svc, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS) << Text();
    EXPECT_EQ(list_length(env->children), handles);
    EXPECT_EQ(LiveBackends({pid}), 0);

    // A session that OCISessionGet did not hand out is not its to release.
    OCISvcCtx *logged = nullptr;
    ASSERT_EQ(OCILogon(env, err, &logged, T(user), L(user), nullptr, 0, T(uri), L(uri)), OCI_SUCCESS);
    EXPECT_EQ(OCISessionRelease(logged, err, nullptr, 0, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-24421: cannot release session with OCISessionRelease");
    EXPECT_EQ(OCISessionRelease(logged, err, nullptr, 0, OCI_SESSRLS_DROPSESS), OCI_ERROR);
    EXPECT_EQ(OCILogoff(logged, err), OCI_SUCCESS);

    // Bad credentials come back as the logon's error.
    ASSERT_EQ(OCIAttrSet(auth, OCI_HTYPE_AUTHINFO, nullptr, 0, OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    EXPECT_EQ(OCISessionGet(env, err, &svc, reinterpret_cast<OCIAuthInfo *>(auth), MT(uri), L(uri), nullptr, 0,
                            nullptr, nullptr, nullptr, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(Code(), 21560);
    EXPECT_EQ(svc, nullptr);
}

TEST_F(SessionPoolTest, DestroyedPoolLeavesLentSessionsToTheirRelease) {
    ASSERT_EQ(CreatePool(2, 2, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS) << Text();
    const int handles = list_length(env->children);
    OCISvcCtx *svc = nullptr;
    ASSERT_EQ(Get(&svc), OCI_SUCCESS);
    std::set<std::string> pids = {Pid(svc)};
    ASSERT_EQ(OCISessionPoolDestroy(pool, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(list_length(env->children), handles - 3);  // the idle one is gone
    EXPECT_EQ(Query(ConnOf(svc), "SELECT 7"), "7");       // the lent one still works
    ASSERT_EQ(OCISessionRelease(svc, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS) << Text();
    EXPECT_EQ(list_length(env->children), handles - 6);
    EXPECT_EQ(LiveBackends(pids), 0);

    // Freeing the environment with a pool full of sessions closes them all.
    ASSERT_EQ(CreatePool(2, 3, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS);
    ASSERT_EQ(Get(&svc), OCI_SUCCESS);
    pids = {Pid(svc)};
    OCIHandleFree(env, OCI_HTYPE_ENV);
    env = nullptr;
    EXPECT_EQ(LiveBackends(pids), 0);
}

TEST_F(SessionPoolTest, Utf16EnvironmentOpensPooledAndPlainSessions) {
    Create(OCI_UTF16);
    std::string wuser = Wide(user);
    const std::string uri = Wide(ClusterUri());
    // No ready-made session: the one lent out is opened at the first get,
    // from the texts the pool kept.
    ASSERT_EQ(OCISessionPoolCreate(env, err, pool, &name, &nameLen, T(uri), L(uri), 0, 1, 1, MT(wuser), L(wuser),
                                   nullptr, 0, OCI_SPC_HOMOGENEOUS),
              OCI_SUCCESS);
    OCISvcCtx *svc = nullptr;
    ASSERT_EQ(Get(&svc), OCI_SUCCESS) << Text();
    EXPECT_EQ(Query(ConnOf(svc), "SELECT current_user"), "postgres");
    EXPECT_EQ(OCISessionRelease(svc, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS);

    auto *auth = static_cast<OCISession *>(Alloc(OCI_HTYPE_AUTHINFO));
    ASSERT_EQ(OCIAttrSet(auth, OCI_HTYPE_AUTHINFO, MT(wuser), L(wuser), OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    std::string wuri = uri;
    ASSERT_EQ(OCISessionGet(env, err, &svc, reinterpret_cast<OCIAuthInfo *>(auth), MT(wuri), L(wuri), nullptr, 0,
                            nullptr, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS)
        << Text();
    EXPECT_EQ(Query(ConnOf(svc), "SELECT current_user"), "postgres");
    EXPECT_EQ(OCISessionRelease(svc, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS);
}

TEST_F(SessionPoolTest, ThreadsShareOnePool) {
    constexpr int kSessions = 3, kThreads = 6, kRounds = 40;
    ASSERT_EQ(CreatePool(kSessions, kSessions, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS) << Text();
    std::vector<OCIError *> errs(kThreads);
    for (auto &e : errs) e = static_cast<OCIError *>(Alloc(OCI_HTYPE_ERROR));
    std::atomic<int> served{0}, wrong{0}, sharedAtOnce{0};
    std::mutex heldLock;
    std::set<OCISvcCtx *> held, seen;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds;) {
                OCISvcCtx *svc = nullptr;
                if (OCISessionGet(env, errs[t], &svc, nullptr, name, nameLen, nullptr, 0, nullptr, nullptr, nullptr,
                                  OCI_SESSGET_SPOOL) != OCI_SUCCESS) {
                    std::this_thread::yield();
                    continue;
                }
                {
                    std::lock_guard<std::mutex> guard(heldLock);
                    if (!held.insert(svc).second) sharedAtOnce++;
                    seen.insert(svc);
                }
                const std::string want = std::to_string(t * 1000 + r);
                if (Query(ConnOf(svc), ("SELECT " + want).c_str()) != want) wrong++;
                {
                    std::lock_guard<std::mutex> guard(heldLock);
                    held.erase(svc);
                }
                if (OCISessionRelease(svc, errs[t], nullptr, 0, OCI_DEFAULT) != OCI_SUCCESS) wrong++;
                served++;
                r++;
            }
        });
    }
    for (auto &th : threads) th.join();
    EXPECT_EQ(served, kThreads * kRounds);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(sharedAtOnce, 0);  // no session was lent to two threads at once
    EXPECT_EQ(seen.size(), static_cast<size_t>(kSessions));
    EXPECT_EQ(pool->freeCount, static_cast<ub4>(kSessions));
    EXPECT_EQ(pool->totalCount, static_cast<ub4>(kSessions));
}

}  // namespace

// Session pools and OCISessionGet/OCISessionRelease against the test server.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "env/env.h"
#include "support/server_test_support.h"

namespace {

using oci_test::ClusterUri;


PGconn *ConnOf(OCISvcCtx *svc) { return svc->server != nullptr ? svc->server->conn : nullptr; }
std::string Pid(OCISvcCtx *svc) { return oci_test::QueryValue(ConnOf(svc), "SELECT pg_backend_pid()"); }
std::string Wide(const std::string &s) {
    std::string w;
    for (char c : s) w += std::string{c, '\0'};
    return w;
}
// "OCI:SP:" and 21 digits, terminated.
bool IsPoolName(const OraText *name) {
    const std::string s = reinterpret_cast<const char *>(name);
    return s.size() == 28 && s.rfind("OCI:SP:", 0) == 0 &&
           s.find_first_not_of("0123456789", 7) == std::string::npos;
}
OraText *T(const std::string &s) { return reinterpret_cast<OraText *>(const_cast<char *>(s.data())); }
ub4 L(const std::string &s) { return static_cast<ub4>(s.size()); }

class SessionPoolTest : public ::testing::Test {
protected:
    void SetUp() override { Create(OCI_DEFAULT); }
    void TearDown() override {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        PQfinish(monitor);
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
    sword CreatePool(ub4 min, ub4 max, ub4 mode, const std::string &connect = ClusterUri(),
                     const std::string &user = "postgres") {
        return OCISessionPoolCreate(env, err, pool, &name, &nameLen, T(connect), L(connect), min, max, 1, T(user),
                                    L(user), nullptr, 0, mode);
    }
    sword Get(OCISvcCtx **svc, ub4 mode = OCI_SESSGET_SPOOL, void *auth = nullptr, OCIError *e = nullptr) {
        return OCISessionGet(env, e ? e : err, svc, static_cast<OCIAuthInfo *>(auth), name, nameLen, nullptr, 0,
                             nullptr, nullptr, nullptr, mode);
    }
    sword Release(OCISvcCtx *svc, OCIError *e = nullptr) {
        return OCISessionRelease(svc, e ? e : err, nullptr, 0, OCI_DEFAULT);
    }
    sb4 Code() { return ErrorRecordCount(err) > 0 ? ErrorRecordAt(err, 1)->errcode : 0; }
    std::string Text() {
        sb4 code = 0;
        text buf[512] = {};
        OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
        return reinterpret_cast<char *>(buf);
    }
    // How many of `pids` still have a server backend, once hung-up ones left.
    int LiveBackends(const std::set<std::string> &pids) {
        if (monitor == nullptr) monitor = PQconnectdb(ClusterUri().c_str());
        std::string list = "0";
        for (const auto &p : pids) list += "," + p;
        std::string n;
        for (int i = 0; i < 100 && (n = oci_test::QueryValue(monitor, "SELECT count(*) FROM pg_stat_activity WHERE pid IN (" +
                                                           list + ")")) != "0";
             i++)
            usleep(20000);
        return std::atoi(n.c_str());
    }
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCISPool *pool = nullptr;
    OraText *name = nullptr;
    ub4 nameLen = 0;
    PGconn *monitor = nullptr;
};

TEST_F(SessionPoolTest, HomogeneousPoolLendsReusesAndRefusesBeyondItsMaximum) {
    const int handlesBefore = list_length(env->children);
    ASSERT_EQ(CreatePool(2, 3, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS) << Text();
    ASSERT_EQ(nameLen, 29u);
    EXPECT_TRUE(IsPoolName(name)) << name;

    OCISvcCtx *s[4] = {};
    ASSERT_EQ(Get(&s[0]), OCI_SUCCESS);
    ASSERT_EQ(Get(&s[1]), OCI_SUCCESS);
    EXPECT_EQ(pool->totalCount, 2u);  // both were ready-made
    ASSERT_EQ(Get(&s[2]), OCI_SUCCESS) << Text();
    EXPECT_EQ(Get(&s[3]), OCI_ERROR);
    EXPECT_EQ(s[3], nullptr);
    std::set<std::string> pids;
    for (int i = 0; i < 3; i++) pids.insert(Pid(s[i]));
    EXPECT_EQ(pids.size(), 3u);

    // A released session stays open and is lent again.
    const std::string pid = Pid(s[1]);
    ASSERT_EQ(Release(s[1]), OCI_SUCCESS) << Text();
    OCISvcCtx *again = nullptr;
    ASSERT_EQ(Get(&again), OCI_SUCCESS);
    EXPECT_EQ(again, s[1]);
    EXPECT_EQ(Pid(again), pid);

    // Destroying closes the idle sessions; a lent one lives until released.
    const std::set<std::string> idle = {Pid(s[0]), Pid(s[1])};
    for (int i = 0; i < 2; i++) EXPECT_EQ(Release(s[i]), OCI_SUCCESS);
    ASSERT_EQ(OCISessionPoolDestroy(pool, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(LiveBackends(idle), 0);
    EXPECT_EQ(oci_test::QueryValue(ConnOf(s[2]), "SELECT 7"), "7");
    EXPECT_EQ(Release(s[2]), OCI_SUCCESS) << Text();
    EXPECT_EQ(LiveBackends(pids), 0);
    EXPECT_EQ(list_length(env->children), handlesBefore);
    EXPECT_EQ(Get(&again), OCI_ERROR);  // a destroyed pool opens nothing
}

TEST_F(SessionPoolTest, ReleaseHandsBackACleanSessionOrDropsABrokenOne) {
    ASSERT_EQ(CreatePool(1, 1, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS) << Text();
    OCISvcCtx *svc = nullptr;
    ASSERT_EQ(Get(&svc), OCI_SUCCESS);
    PQclear(PQexec(ConnOf(svc), "BEGIN; CREATE TEMP TABLE pool_leftover (n int)"));
    ASSERT_EQ(Release(svc), OCI_SUCCESS);
    ASSERT_EQ(Get(&svc), OCI_SUCCESS);
    // The next borrower does not inherit uncommitted work.
    EXPECT_EQ(PQtransactionStatus(ConnOf(svc)), PQTRANS_IDLE);
    EXPECT_EQ(oci_test::QueryValue(ConnOf(svc), "SELECT count(*) FROM pg_class WHERE relname = 'pool_leftover'"), "0");

    // The server ends the session while it is lent out.
    const std::string pid = Pid(svc);
    monitor = PQconnectdb(ClusterUri().c_str());
    EXPECT_EQ(oci_test::QueryValue(monitor, "SELECT pg_terminate_backend(" + pid + ")"), "t");
    EXPECT_EQ(LiveBackends({pid}), 0);
    PQclear(PQexec(ConnOf(svc), "SELECT 1"));  // the client learns of it
    const int handles = list_length(env->children);
    ASSERT_EQ(Release(svc), OCI_SUCCESS) << Text();
    EXPECT_EQ(list_length(env->children), handles - 3);  // logged off, not kept
    // Its place is free again: the pool opens a fresh session.
    ASSERT_EQ(Get(&svc), OCI_SUCCESS) << Text();
    EXPECT_NE(Pid(svc), pid);
}

TEST_F(SessionPoolTest, RefusedModesArgumentsAndNonHomogeneousPools) {
    EXPECT_EQ(OCISessionPoolCreate(env, err, pool, nullptr, &nameLen, nullptr, 0, 0, 1, 1, nullptr, 0, nullptr, 0,
                                   OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-21560: null, invalid, or out of range argument 4");
    EXPECT_EQ(CreatePool(0, 1, OCI_SPC_REINITIALIZE), OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-30475: unsupported feature: OCI_SPC_REINITIALIZE");
    EXPECT_EQ(CreatePool(0, 1, 3), OCI_ERROR);
    EXPECT_EQ(Code(), 24300);
    OCISvcCtx *svc = nullptr;
    EXPECT_EQ(Get(&svc), OCI_ERROR);  // no pool created yet
    EXPECT_EQ(ErrorRecordCount(err), 0);

    // A failed logon gives its place back.
    EXPECT_EQ(CreatePool(1, 1, OCI_SPC_HOMOGENEOUS, "//127.0.0.1:1/nowhere"), OCI_ERROR);
    EXPECT_EQ(Code(), 12154);
    EXPECT_EQ(Get(&svc), OCI_ERROR);
    EXPECT_EQ(Code(), 12154);
    EXPECT_EQ(pool->totalCount, 0u);
    EXPECT_EQ(Get(&svc, 2), OCI_ERROR);

    // Entries of a non-homogeneous pool have no session to lend.
    ASSERT_EQ(CreatePool(2, 4, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_TRUE(IsPoolName(name)) << name;
    svc = reinterpret_cast<OCISvcCtx *>(1);
    EXPECT_EQ(Get(&svc), OCI_ERROR);
    EXPECT_EQ(svc, nullptr);
    EXPECT_EQ(Text(), "VOSKARI-30475: unsupported feature: OCISessionGet from a non-homogeneous session pool");
}

// Two pools of two users in one environment: each name lends its own pool's
// sessions, and a name of no pool is refused with a record.
TEST_F(SessionPoolTest, SessionGetLendsFromThePoolNamed) {
    monitor = PQconnectdb(ClusterUri().c_str());
    PQclear(PQexec(monitor, "DO $$BEGIN CREATE ROLE pool_b_user LOGIN; EXCEPTION WHEN duplicate_object THEN "
                            "NULL; END$$"));
    ASSERT_EQ(CreatePool(1, 2, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS) << Text();
    const std::string nameA(reinterpret_cast<char *>(name), nameLen);
    pool = static_cast<OCISPool *>(Alloc(OCI_HTYPE_SPOOL));
    ASSERT_EQ(CreatePool(1, 2, OCI_SPC_HOMOGENEOUS, ClusterUri(), "pool_b_user"), OCI_SUCCESS) << Text();
    const std::string nameB(reinterpret_cast<char *>(name), nameLen);
    EXPECT_NE(nameA, nameB);

    OCISvcCtx *svc = nullptr;
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(OCISessionGet(env, err, &svc, nullptr, T(nameB), L(nameB), nullptr, 0, nullptr, nullptr, nullptr,
                                OCI_SESSGET_SPOOL),
                  OCI_SUCCESS)
            << Text();
        EXPECT_EQ(oci_test::QueryValue(ConnOf(svc), "SELECT current_user"), "pool_b_user");
        ASSERT_EQ(Release(svc), OCI_SUCCESS);
        // The length may or may not count the terminator.
        ASSERT_EQ(OCISessionGet(env, err, &svc, nullptr, T(nameA), L(nameA) - 1, nullptr, 0, nullptr, nullptr,
                                nullptr, OCI_SESSGET_SPOOL),
                  OCI_SUCCESS)
            << Text();
        EXPECT_EQ(oci_test::QueryValue(ConnOf(svc), "SELECT current_user"), "postgres");
        ASSERT_EQ(Release(svc), OCI_SUCCESS);
    }
    std::string other = nameA;
    other[20] = other[20] == '9' ? '8' : '9';
    svc = nullptr;
    EXPECT_EQ(OCISessionGet(env, err, &svc, nullptr, T(other), L(other), nullptr, 0, nullptr, nullptr, nullptr,
                            OCI_SESSGET_SPOOL),
              OCI_ERROR);
    EXPECT_EQ(Code(), 24416);
    EXPECT_EQ(svc, nullptr);
}

TEST_F(SessionPoolTest, PlainSessionGetIsALogonReleasedByLoggingOff) {
    void *auth = Alloc(OCI_HTYPE_AUTHINFO);
    ASSERT_EQ(OCIAttrSet(auth, OCI_HTYPE_AUTHINFO, T("postgres"), 8, OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    const int handles = list_length(env->children);
    const std::string uri = ClusterUri();
    name = T(uri);
    nameLen = L(uri);
    OCISvcCtx *svc = nullptr;
    EXPECT_EQ(Get(&svc, OCI_DEFAULT), OCI_INVALID_HANDLE);  // needs credentials
    ASSERT_EQ(Get(&svc, OCI_SESSGET_STMTCACHE, auth), OCI_SUCCESS) << Text();
    EXPECT_TRUE(svc->stmtCacheEnabled);
    const std::string pid = Pid(svc);
    ASSERT_EQ(Release(svc), OCI_SUCCESS) << Text();
    EXPECT_EQ(list_length(env->children), handles);
    EXPECT_EQ(LiveBackends({pid}), 0);

    // What OCISessionGet did not hand out is not its to release.
    ASSERT_EQ(OCILogon(env, err, &svc, T("postgres"), 8, nullptr, 0, T(uri), L(uri)), OCI_SUCCESS);
    EXPECT_EQ(Release(svc), OCI_ERROR);
    EXPECT_EQ(Text(), "VOSKARI-24421: cannot release session with OCISessionRelease");
    EXPECT_EQ(OCILogoff(svc, err), OCI_SUCCESS);
}

TEST_F(SessionPoolTest, Utf16EnvironmentOpensPooledAndPlainSessions) {
    Create(OCI_UTF16);
    const std::string user = Wide("postgres"), uri = Wide(ClusterUri());
    // The session is opened at the get, from the texts the pool kept.
    ASSERT_EQ(CreatePool(0, 1, OCI_SPC_HOMOGENEOUS, uri, user), OCI_SUCCESS);
    OCISvcCtx *svc = nullptr;
    ASSERT_EQ(Get(&svc), OCI_SUCCESS) << Text();
    EXPECT_EQ(oci_test::QueryValue(ConnOf(svc), "SELECT current_user"), "postgres");

    void *auth = Alloc(OCI_HTYPE_AUTHINFO);
    ASSERT_EQ(OCIAttrSet(auth, OCI_HTYPE_AUTHINFO, T(user), L(user), OCI_ATTR_USERNAME, err), OCI_SUCCESS);
    name = T(uri);
    nameLen = L(uri);
    ASSERT_EQ(Get(&svc, OCI_DEFAULT, auth), OCI_SUCCESS) << Text();
    EXPECT_EQ(oci_test::QueryValue(ConnOf(svc), "SELECT current_user"), "postgres");
}

TEST_F(SessionPoolTest, ThreadsShareOnePool) {
    constexpr int kSessions = 3, kThreads = 6, kRounds = 40;
    ASSERT_EQ(CreatePool(kSessions, kSessions, OCI_SPC_HOMOGENEOUS), OCI_SUCCESS) << Text();
    std::vector<OCIError *> errs(kThreads);
    for (auto &e : errs) e = static_cast<OCIError *>(Alloc(OCI_HTYPE_ERROR));
    std::atomic<int> wrong{0};
    std::mutex heldLock;
    std::set<OCISvcCtx *> held, seen;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; t++) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds;) {
                OCISvcCtx *svc = nullptr;
                if (Get(&svc, OCI_SESSGET_SPOOL, nullptr, errs[t]) != OCI_SUCCESS) {
                    std::this_thread::yield();
                    continue;
                }
                {
                    std::lock_guard<std::mutex> guard(heldLock);
                    if (!held.insert(svc).second) wrong++;  // lent twice at once
                    seen.insert(svc);
                }
                const std::string want = std::to_string(t * 1000 + r++);
                if (oci_test::QueryValue(ConnOf(svc), "SELECT " + want) != want) wrong++;
                {
                    std::lock_guard<std::mutex> guard(heldLock);
                    held.erase(svc);
                }
                if (Release(svc, errs[t]) != OCI_SUCCESS) wrong++;
            }
        });
    }
    for (auto &th : threads) th.join();
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(seen.size(), static_cast<size_t>(kSessions));
    EXPECT_EQ(pool->freeCount, static_cast<ub4>(kSessions));
    EXPECT_EQ(pool->totalCount, static_cast<ub4>(kSessions));

    // Freeing the environment with sessions in the pool closes them all.
    std::set<std::string> pids;
    for (OCISvcCtx *svc : seen) pids.insert(Pid(svc));
    OCIHandleFree(env, OCI_HTYPE_ENV);
    env = nullptr;
    EXPECT_EQ(LiveBackends(pids), 0);
}

}  // namespace

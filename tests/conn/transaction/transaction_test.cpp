// Transaction calls and helpers against the test server. A second plain
// client connection (the observer) checks what really got committed or
// prepared.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "conn/conn_handles.h"
#include "conn/transaction.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "support/server_test_support.h"

namespace {

using oci_test::ClusterUri;

std::string Value(PGconn *conn, const std::string &sql) {
    PGresult *res = PQexec(conn, sql.c_str());
    std::string v = PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) > 0 ? PQgetvalue(res, 0, 0) : "?";
    PQclear(res);
    return v;
}

bool Exec(PGconn *conn, const std::string &sql) {
    PGresult *res = PQexec(conn, sql.c_str());
    const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK || PQresultStatus(res) == PGRES_TUPLES_OK;
    PQclear(res);
    return ok;
}

sb4 ErrorCode(OCIError *err, ub4 n = 1) {
    sb4 code = -1;
    OCIErrorGet(err, n, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR);
    return code;
}

// Server, service context, session and transaction handle of one connection.
struct Link {
    OCIServer *server = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;
    OCITrans *trans = nullptr;
    PGconn *conn() const { return server->conn; }
};

class TransactionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        observer = PQconnectdb("");
        ASSERT_EQ(PQstatus(observer), CONNECTION_OK) << PQerrorMessage(observer);
        PQsetNoticeProcessor(observer, [](void *, const char *) {}, nullptr);
        CleanPrepared();
        ASSERT_TRUE(Exec(observer, "CREATE TABLE IF NOT EXISTS ocitx_rows (n int)"));
        ASSERT_TRUE(Exec(observer, "TRUNCATE ocitx_rows"));
        a = Open();
    }
    void TearDown() override {
        if (observer != nullptr) CleanPrepared();
        PQfinish(observer);
        OCIHandleFree(env, OCI_HTYPE_ENV);
    }
    // Prepared transactions a failed earlier run may have left behind.
    void CleanPrepared() {
        PGresult *res = PQexec(observer, "SELECT gid FROM pg_prepared_xacts WHERE gid IN ('1.ZzE.YjE', "
                                         "'0.b2NpdHgtcmI.', '7.YWI.Yw', '7.YQ.YmM', '9.J2EAYg.Jw')");
        for (int i = 0; i < PQntuples(res); i++)
            Exec(observer, std::string("ROLLBACK PREPARED '") + PQgetvalue(res, i, 0) + "'");
        PQclear(res);
    }
    Link Open() {
        Link l;
        const std::string uri = ClusterUri();
        OCIHandleAlloc(env, reinterpret_cast<void **>(&l.server), OCI_HTYPE_SERVER, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&l.svc), OCI_HTYPE_SVCCTX, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&l.session), OCI_HTYPE_SESSION, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&l.trans), OCI_HTYPE_TRANS, 0, nullptr);
        EXPECT_EQ(OCIServerAttach(l.server, err, reinterpret_cast<const OraText *>(uri.c_str()),
                                  static_cast<sb4>(uri.size()), OCI_DEFAULT), OCI_SUCCESS);
        OCIAttrSet(l.svc, OCI_HTYPE_SVCCTX, l.server, 0, OCI_ATTR_SERVER, err);
        OCIAttrSet(l.svc, OCI_HTYPE_SVCCTX, l.session, 0, OCI_ATTR_SESSION, err);
        OCIAttrSet(l.svc, OCI_HTYPE_SVCCTX, l.trans, 0, OCI_ATTR_TRANS, err);
        EXPECT_EQ(OCISessionBegin(l.svc, err, l.session, OCI_CRED_RDBMS, OCI_DEFAULT), OCI_SUCCESS) << ErrorCode(err);
        return l;
    }
    void SetXid(OCITrans *trans, long format, const std::string &gtrid, const std::string &bqual) {
        XID xid{};
        xid.formatID = format;
        xid.gtrid_length = static_cast<long>(gtrid.size());
        xid.bqual_length = static_cast<long>(bqual.size());
        std::memcpy(xid.data, (gtrid + bqual).data(), gtrid.size() + bqual.size());
        ASSERT_EQ(OCIAttrSet(trans, OCI_HTYPE_TRANS, &xid, sizeof xid, OCI_ATTR_XID, err), OCI_SUCCESS);
    }
    std::string Rows() { return Value(observer, "SELECT count(*) FROM ocitx_rows"); }
    std::string Prepared(const std::string &gid) {
        return Value(observer, "SELECT count(*) FROM pg_prepared_xacts WHERE gid = '" + gid + "'");
    }
    // Opens a block on a's connection and inserts one row in it.
    void InsertRow() {
        START_TRANSACTION(a.conn());
        ASSERT_TRUE(Exec(a.conn(), "INSERT INTO ocitx_rows VALUES (1)"));
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    PGconn *observer = nullptr;
    Link a;
};

// The statements `conn` sends while `fn` runs, from the client library's
// protocol trace, joined with '|'.
template <class F> std::string Sent(PGconn *conn, F fn) {
    char *buf = nullptr;
    size_t len = 0;
    FILE *out = open_memstream(&buf, &len);
    PQtrace(conn, out);
    fn();
    PQuntrace(conn);
    std::fclose(out);
    std::istringstream lines(std::string(buf, len));
    std::free(buf);
    std::string sent, line;
    while (std::getline(lines, line)) {
        const size_t q = line.find("\tQuery\t \"");
        if (q == std::string::npos) continue;
        const std::string text = line.substr(q + 9, line.rfind('"') - (q + 9));
        sent += (sent.empty() ? "" : "|") + text;
    }
    return sent;
}

TEST_F(TransactionTest, StartChecksFlagsBeforeSendingAnything) {
    const struct {
        ub4 flags;
        sb4 code;
    } refused[] = {
        {OCI_TRANS_JOIN, 24755}, {OCI_TRANS_RESUME, 24755}, {OCI_TRANS_NEW | OCI_TRANS_JOIN, 24759},
        {OCI_TRANS_NEW | 0x8, 24759}, {OCI_TRANS_READONLY | OCI_TRANS_SERIALIZABLE, 24760},
        {OCI_TRANS_NEW | 0x800, 24760}, {OCI_TRANS_LOOSE, 24755}, {OCI_TRANS_LOOSE | OCI_TRANS_TIGHT, 24773},
        {OCI_TRANS_NEW | OCI_TRANS_NOMIGRATE, 24755}, {OCI_TRANS_READONLY | OCI_TRANS_SEPARABLE, 24755},
    };
    for (const auto &r : refused) {
        std::string sent = Sent(a.conn(), [&] { EXPECT_EQ(OCITransStart(a.svc, err, 60, r.flags), OCI_ERROR); });
        EXPECT_EQ(ErrorCode(err), r.code) << std::hex << r.flags;
        EXPECT_EQ(sent, "") << std::hex << r.flags;
    }
    for (ub4 flags : {0u, ub4{OCI_TRANS_NEW}, ub4{OCI_TRANS_NEW | OCI_TRANS_READWRITE}}) {
        EXPECT_EQ(Sent(a.conn(), [&] { EXPECT_EQ(OCITransStart(a.svc, err, 60, flags), OCI_SUCCESS); }), "");
        EXPECT_EQ(PQtransactionStatus(a.conn()), PQTRANS_IDLE);
    }
    OCIAttrSet(a.svc, OCI_HTYPE_SVCCTX, nullptr, 0, OCI_ATTR_TRANS, err);
    EXPECT_EQ(OCITransStart(a.svc, err, 60, OCI_TRANS_NEW), OCI_INVALID_HANDLE);
}

TEST_F(TransactionTest, StartIsolationHoldsForTheNextTransaction) {
    // The setting must reach the transaction the next statement runs in,
    // which a SET TRANSACTION outside a block would not.
    EXPECT_EQ(Sent(a.conn(), [&] {
                  EXPECT_EQ(OCITransStart(a.svc, err, 60, OCI_TRANS_NEW | OCI_TRANS_READONLY), OCI_SUCCESS);
                  START_TRANSACTION(a.conn());
              }),
              "BEGIN|SET TRANSACTION READ ONLY ");
    EXPECT_EQ(Value(a.conn(), "SHOW transaction_read_only"), "on");
    EXPECT_FALSE(Exec(a.conn(), "INSERT INTO ocitx_rows VALUES (1)"));
    EXPECT_EQ(OCITransRollback(a.svc, err, OCI_DEFAULT), OCI_SUCCESS);

    ASSERT_EQ(OCITransStart(a.svc, err, 60, OCI_TRANS_SERIALIZABLE), OCI_SUCCESS);
    EXPECT_EQ(Value(a.conn(), "SHOW transaction_isolation"), "serializable");
    EXPECT_EQ(OCITransCommit(a.svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Value(a.conn(), "SHOW transaction_isolation"), "read committed");

    // Too late once the transaction has run a query: the server says so.
    InsertRow();
    EXPECT_EQ(OCITransStart(a.svc, err, 60, OCI_TRANS_SERIALIZABLE), OCI_ERROR);
    EXPECT_GE(ErrorRecordCount(err), 1);
}

TEST_F(TransactionTest, CommitAndRollbackEndTheBlock) {
    InsertRow();
    EXPECT_EQ(Rows(), "0");
    EXPECT_EQ(Sent(a.conn(), [&] { EXPECT_EQ(OCITransCommit(a.svc, err, OCI_DEFAULT), OCI_SUCCESS); }), "COMMIT");
    EXPECT_EQ(Rows(), "1");
    InsertRow();
    EXPECT_EQ(Sent(a.conn(), [&] { EXPECT_EQ(OCITransRollback(a.svc, err, OCI_DEFAULT), OCI_SUCCESS); }),
              "ROLLBACK");
    EXPECT_EQ(Rows(), "1");

    // With no block open COMMIT is still sent; the server's warning about it
    // neither fails the call nor lands on standard error, and the
    // application's own notice handling is back afterwards.
    int notices = 0;
    PQsetNoticeProcessor(a.conn(), [](void *n, const char *) { ++*static_cast<int *>(n); }, &notices);
    EXPECT_EQ(Sent(a.conn(), [&] { EXPECT_EQ(OCITransCommit(a.svc, err, OCI_DEFAULT), OCI_SUCCESS); }), "COMMIT");
    EXPECT_EQ(ErrorRecordCount(err), 0);
    EXPECT_EQ(notices, 0);
    Exec(a.conn(), "COMMIT");
    EXPECT_EQ(notices, 1);

    // A failed block cannot commit: the server rolls it back, and saying
    // "committed" would lose the row silently.
    InsertRow();
    EXPECT_FALSE(Exec(a.conn(), "SELECT 1/0"));
    EXPECT_EQ(OCITransCommit(a.svc, err, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 1453);
    EXPECT_EQ(PQtransactionStatus(a.conn()), PQTRANS_IDLE);
    EXPECT_EQ(Rows(), "1");
}

TEST_F(TransactionTest, TwoPhaseCommitAndRollbackReachTheServer) {
    SetXid(a.trans, 1, "g1", "b1");
    InsertRow();
    EXPECT_EQ(Sent(a.conn(), [&] { EXPECT_EQ(OCITransPrepare(a.svc, err, OCI_DEFAULT), OCI_SUCCESS); }),
              "PREPARE TRANSACTION '1.ZzE.YjE'");
    EXPECT_EQ(Prepared("1.ZzE.YjE"), "1");
    EXPECT_EQ(Rows(), "0");
    EXPECT_EQ(PQtransactionStatus(a.conn()), PQTRANS_IDLE);
    EXPECT_EQ(Sent(a.conn(), [&] { EXPECT_EQ(OCITransCommit(a.svc, err, OCI_TRANS_TWOPHASE), OCI_SUCCESS); }),
              "COMMIT PREPARED '1.ZzE.YjE'");
    EXPECT_EQ(Prepared("1.ZzE.YjE"), "0");
    EXPECT_EQ(Rows(), "1");

    // Named through OCI_ATTR_TRANS_NAME; resolved from another connection,
    // as a transaction manager recovering a branch would.
    const char name[] = "ocitx-rb";
    ASSERT_EQ(OCIAttrSet(a.trans, OCI_HTYPE_TRANS, const_cast<char *>(name), sizeof name - 1, OCI_ATTR_TRANS_NAME,
                         err), OCI_SUCCESS);
    InsertRow();
    ASSERT_EQ(OCITransPrepare(a.svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Prepared("0.b2NpdHgtcmI."), "1");
    Link b = Open();
    ASSERT_EQ(OCIAttrSet(b.trans, OCI_HTYPE_TRANS, const_cast<char *>(name), sizeof name - 1, OCI_ATTR_TRANS_NAME,
                         err), OCI_SUCCESS);
    EXPECT_EQ(OCITransRollback(b.svc, err, OCI_TRANS_TWOPHASE), OCI_SUCCESS);
    EXPECT_EQ(Prepared("0.b2NpdHgtcmI."), "0");
    EXPECT_EQ(Rows(), "1");

    // Nothing open to prepare: the server turns it into a rollback.
    EXPECT_EQ(OCITransPrepare(a.svc, err, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 1453);
    EXPECT_EQ(Prepared("0.b2NpdHgtcmI."), "0");
}

TEST_F(TransactionTest, MissingOrMalformedXidIsRefusedUnsent) {
    InsertRow();
    const auto refusedAll = [&](const char *what) {
        const std::string sent = Sent(a.conn(), [&] {
            EXPECT_EQ(OCITransPrepare(a.svc, err, OCI_DEFAULT), OCI_ERROR);
            EXPECT_EQ(ErrorCode(err), 24771) << what;
            EXPECT_EQ(OCITransCommit(a.svc, err, OCI_TRANS_TWOPHASE), OCI_ERROR);
            EXPECT_EQ(ErrorCode(err), 24762) << what;
            EXPECT_EQ(OCITransRollback(a.svc, err, OCI_TRANS_TWOPHASE), OCI_ERROR);
            EXPECT_EQ(ErrorCode(err), 24762) << what;
        });
        EXPECT_EQ(sent, "") << what;
    };
    refusedAll("no XID");
    XID bad{};
    bad.gtrid_length = 100;
    bad.bqual_length = 29;
    ASSERT_EQ(OCIAttrSet(a.trans, OCI_HTYPE_TRANS, &bad, sizeof bad, OCI_ATTR_XID, err), OCI_SUCCESS);
    refusedAll("lengths beyond the data");
    EXPECT_EQ(PQtransactionStatus(a.conn()), PQTRANS_INTRANS);

    OCIAttrSet(a.svc, OCI_HTYPE_SVCCTX, nullptr, 0, OCI_ATTR_TRANS, err);
    EXPECT_EQ(OCITransPrepare(a.svc, err, OCI_DEFAULT), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCITransCommit(a.svc, err, OCI_TRANS_TWOPHASE), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCITransCommit(a.svc, err, OCI_DEFAULT), OCI_SUCCESS);  // one-phase needs no handle
    EXPECT_EQ(Rows(), "1");
}

// Branches whose gtrid and bqual run together the same are different
// transactions: committing one that was never prepared fails and leaves the
// other prepared. Binary XIDs (a quote, a NUL) go through as well.
TEST_F(TransactionTest, DistinctXidsNeverShareAPreparedTransaction) {
    SetXid(a.trans, 7, "ab", "c");
    InsertRow();
    ASSERT_EQ(OCITransPrepare(a.svc, err, OCI_DEFAULT), OCI_SUCCESS) << ErrorCode(err);
    EXPECT_EQ(Prepared("7.YWI.Yw"), "1");
    SetXid(a.trans, 7, "a", "bc");
    EXPECT_EQ(OCITransCommit(a.svc, err, OCI_TRANS_TWOPHASE), OCI_ERROR);
    EXPECT_EQ(Prepared("7.YWI.Yw"), "1");
    EXPECT_EQ(Rows(), "0");
    SetXid(a.trans, 7, "ab", "c");
    ASSERT_EQ(OCITransCommit(a.svc, err, OCI_TRANS_TWOPHASE), OCI_SUCCESS) << ErrorCode(err);
    EXPECT_EQ(Rows(), "1");

    SetXid(a.trans, 9, std::string("'a\0b", 4), "'");
    InsertRow();
    ASSERT_EQ(OCITransPrepare(a.svc, err, OCI_DEFAULT), OCI_SUCCESS) << ErrorCode(err);
    EXPECT_EQ(Prepared("9.J2EAYg.Jw"), "1");
    ASSERT_EQ(OCITransRollback(a.svc, err, OCI_TRANS_TWOPHASE), OCI_SUCCESS) << ErrorCode(err);
    EXPECT_EQ(Prepared("9.J2EAYg.Jw"), "0");
    EXPECT_EQ(Rows(), "1");
}

TEST_F(TransactionTest, BlockHelpersFollowTheTransactionStatus) {
    EXPECT_EQ(Sent(a.conn(), [&] { START_TRANSACTION(a.conn()); }), "BEGIN");
    EXPECT_EQ(Sent(a.conn(), [&] { START_TRANSACTION(a.conn()); }), "");
    ASSERT_TRUE(Exec(a.conn(), "INSERT INTO ocitx_rows VALUES (1)"));
    EXPECT_EQ(Sent(a.conn(), [&] { COMMIT_TRANSACTION(a.conn()); }), "COMMIT");
    EXPECT_EQ(Rows(), "1");
    EXPECT_EQ(Sent(a.conn(), [&] { COMMIT_TRANSACTION(a.conn()); }), "");

    InsertRow();
    EXPECT_FALSE(Exec(a.conn(), "SELECT 1/0"));
    EXPECT_EQ(Sent(a.conn(), [&] {
                  START_TRANSACTION(a.conn());
                  COMMIT_TRANSACTION(a.conn());
              }),
              "");
    a.server->stmtLevelTx = true;  // the server undoes failed statements itself
    EXPECT_EQ(Sent(a.conn(), [&] { ROLLBACK_TRANSACTION(a.server); }), "");
    a.server->stmtLevelTx = false;
    EXPECT_EQ(Sent(a.conn(), [&] { ROLLBACK_TRANSACTION(a.server); }), "ROLLBACK");
    EXPECT_EQ(Sent(a.conn(), [&] { ROLLBACK_TRANSACTION(a.server); }), "");
    EXPECT_EQ(Rows(), "1");
}

TEST_F(TransactionTest, LostConnectionIsReportedNotCrashed) {
    InsertRow();
    ASSERT_TRUE(Exec(observer, "SELECT pg_terminate_backend(" + std::to_string(PQbackendPID(a.conn())) + ", 10000)"));
    EXPECT_EQ(OCITransCommit(a.svc, err, OCI_DEFAULT), OCI_ERROR);
    const int records = ErrorRecordCount(err);
    EXPECT_GE(records, 1);
    EXPECT_EQ(ErrorCode(err, static_cast<ub4>(records)), 25407);
    // The rollback that follows keeps the commit's records and adds its own.
    EXPECT_EQ(OCITransRollback(a.svc, err, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(ErrorRecordCount(err), records + 1);
    EXPECT_EQ(ErrorCode(err, static_cast<ub4>(records + 1)), 25407);
    EXPECT_EQ(OCITransStart(a.svc, err, 0, OCI_TRANS_READONLY), OCI_ERROR);
    EXPECT_EQ(ErrorRecordCount(err), 1);
    EXPECT_EQ(ErrorCode(err), 25407);
    EXPECT_EQ(OCITransPrepare(a.svc, err, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 25407);
    START_TRANSACTION(a.conn());
    COMMIT_TRANSACTION(a.conn());
    ROLLBACK_TRANSACTION(a.server);
    EXPECT_EQ(Rows(), "0");
}

OCISvcCtx *XaOpen(const std::string &open) {
    return xaoSvcCtx(reinterpret_cast<OraText *>(const_cast<char *>(open.c_str())));
}

TEST_F(TransactionTest, XaOpenStringConnectsAsTheNamedUser) {
    Exec(observer, "DO $$BEGIN CREATE ROLE ocitx_xa LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END$$");
    OCISvcCtx *svc = XaOpen("Oracle_XA+Acc=P/ocitx_xa/pw+SqlNet=" + ClusterUri() + "+AppName=xa-app+Threads=true");
    ASSERT_NE(svc, nullptr);
    EXPECT_EQ(Value(svc->server->conn, "SELECT current_user"), "ocitx_xa");
    EXPECT_EQ(Value(svc->server->conn, "SHOW application_name"), "xa-app");
    EXPECT_NE(svc->parenth, static_cast<void *>(env));
    OCIHandleFree(svc->parenth, OCI_HTYPE_ENV);  // the XA environment and all under it

    // Host and port give "//host:port/db"; nobody listens on port 1.
    const std::string log = std::string(OCI_TEST_BINARY_DIR) + "/xa-trace";
    setenv("OCI_DEBUG_LOG", log.c_str(), 1);
    EXPECT_EQ(XaOpen("Oracle_XA+Acc=P/u/pw+SqlNet=db1+HostName=127.0.0.1+PortNumber=1"), nullptr);
    unsetenv("OCI_DEBUG_LOG");
    std::fflush(oci_debug_log);
    oci_debug_log = nullptr;  // the library still owns (and later closes) the stream
    const std::string path = log + "-" + std::to_string(getpid());
    std::stringstream trace;
    trace << std::ifstream(path).rdbuf();
    std::remove(path.c_str());
    for (const char *line : {"db_uri [//127.0.0.1:1/db1]\n", "OCISessionBegin() failed\n"})
        EXPECT_NE(trace.str().find(line), std::string::npos) << trace.str();
    EXPECT_EQ(XaOpen("Acc=P/postgres/x+SqlNet=" + ClusterUri() + "x"), nullptr);  // no such database
    EXPECT_EQ(XaOpen("Oracle_XA+Acc=P/u+SqlNet=" + ClusterUri()), nullptr);
}

}  // namespace

// Preparing a new text on a handle whose old text still has objects on the
// server: the prepared statements and cursors go, and dropping them never
// costs the application its open transaction. The objects are made with
// plain libpq on the library's own connection under the names the
// statement records.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "conn/conn_handles.h"
#include "conn/transaction.h"
#include "diag/errors.h"
#include "stmt/stmt_handles.h"
#include "support/oci_session_fixture.h"

namespace {

using oci_test::ClusterUri;
using oci_test::QueryValue;

const OraText *Text(const char *s) { return reinterpret_cast<const OraText *>(s); }

class PrepareServerTest : public oci_test::OciSessionTest {
protected:
    void SetUp() override {
        OciSessionTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
        stmt->svchp = svc;
        ASSERT_EQ(Prepare("select 1"), OCI_SUCCESS);
    }
    sword Prepare(const char *sql) {
        return OCIStmtPrepare(stmt, err, Text(sql), static_cast<ub4>(std::strlen(sql)), OCI_NTV_SYNTAX, OCI_DEFAULT);
    }
    PGconn *conn() { return server->conn; }
    bool Exec(const std::string &sql) {
        PGresult *res = PQexec(conn(), sql.c_str());
        const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK || PQresultStatus(res) == PGRES_TUPLES_OK;
        PQclear(res);
        return ok;
    }
    void ServerPrepare(const char *name) {
        PGresult *res = PQprepare(conn(), name, "select 1", 0, nullptr);
        ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK) << PQerrorMessage(conn());
        PQclear(res);
    }
    std::string Count(const char *view) { return QueryValue(conn(), std::string("select count(*) from ") + view); }
    // Gives the statement a cursor record naming `portal` and `behind`.
    void RecordCursor(const char *portal, const char *behind) {
        stmt->cursor = static_cast<OCICursor *>(o2pCalloc(1, sizeof(OCICursor)));
        stmt->cursor->state = CURSOR_OPEN;
        stmt->cursor->server = server;
        stmt->cursor->portalName = o2pStrdup(portal);
        stmt->cursor->stmtName = behind != nullptr ? o2pStrdup(behind) : nullptr;
    }
    void RecordPrepared(const char *name) {
        stmt->preparedName = o2pStrdup(name);
        stmt->pgPreparedServer = server;
        stmt->serverPrepared = 1;
    }

    OCIStmt *stmt = nullptr;
};

TEST_F(PrepareServerTest, PreparingAgainDropsTheOldCursorAndPreparedStatements) {
    // Awkward names are quoted, never pasted into the command.
    ServerPrepare("stmt_0000aa01");
    ServerPrepare("Odd \"name\"; x");
    ASSERT_TRUE(Exec("DECLARE \"cursor_0000aa02\" CURSOR WITH HOLD FOR select 1"));
    RecordCursor("cursor_0000aa02", "Odd \"name\"; x");
    RecordPrepared("stmt_0000aa01");
    ASSERT_EQ(Count("pg_prepared_statements"), "2");
    ASSERT_EQ(Count("pg_cursors"), "1");

    ASSERT_EQ(Prepare("insert into t values (1)"), OCI_SUCCESS);
    EXPECT_EQ(ErrorRecordCount(err), 0);
    EXPECT_EQ(Count("pg_prepared_statements"), "0");
    EXPECT_EQ(Count("pg_cursors"), "0");
    EXPECT_TRUE(stmt->preparedName == nullptr && stmt->pgPreparedServer == nullptr && !stmt->serverPrepared);
    EXPECT_TRUE(stmt->cursor->portalName == nullptr && stmt->cursor->stmtName == nullptr);
    EXPECT_EQ(stmt->cursor->state, CURSOR_CLOSED);
    EXPECT_STREQ(stmt->sqlText, "insert into t values (1)");

    // Freeing the statement drops what the new text made.
    ServerPrepare("stmt_0000aa03");
    RecordPrepared("stmt_0000aa03");
    ASSERT_EQ(OCIHandleFree(stmt, OCI_HTYPE_STMT), OCI_SUCCESS);
    EXPECT_EQ(Count("pg_prepared_statements"), "0");
}

TEST_F(PrepareServerTest, ObjectsAlreadyGoneDoNotCostTheOpenTransaction) {
    // The cursor died with the transaction that declared it; the prepared
    // statement was dropped behind the library's back.
    ASSERT_TRUE(Exec("create temporary table prep_rows (n int)"));
    RecordCursor("cursor_0000bb01", "stmt_0000bb02");
    RecordPrepared("stmt_0000bb03");
    START_TRANSACTION(conn());
    ASSERT_TRUE(Exec("insert into prep_rows values (1)"));

    ASSERT_EQ(Prepare("select 2"), OCI_SUCCESS);
    EXPECT_EQ(ErrorRecordCount(err), 0);
    EXPECT_EQ(PQtransactionStatus(conn()), PQTRANS_INTRANS);
    EXPECT_EQ(QueryValue(conn(), "select count(*) from prep_rows"), "1");
    EXPECT_EQ(stmt->cursor->portalName, nullptr);
    EXPECT_EQ(stmt->preparedName, nullptr);
}

TEST_F(PrepareServerTest, ADropTheServerRefusesIsReportedAndTheTextStillPrepared) {
    ServerPrepare("stmt_0000cc01");
    RecordPrepared("stmt_0000cc01");
    START_TRANSACTION(conn());
    EXPECT_FALSE(Exec("select 1/0"));
    ASSERT_EQ(PQtransactionStatus(conn()), PQTRANS_INERROR);

    EXPECT_EQ(Prepare("select 3"), OCI_SUCCESS_WITH_INFO);
    ASSERT_GE(ErrorRecordCount(err), 1);
    EXPECT_EQ(ErrorRecordAt(err, 1)->severity, OCI_ERROR);
    EXPECT_EQ(PQtransactionStatus(conn()), PQTRANS_IDLE);  // rolled back
    EXPECT_EQ(Count("pg_prepared_statements"), "0");      // and dropped after all
    EXPECT_TRUE(stmt->prepared);
    EXPECT_STREQ(stmt->sqlText, "select 3");
    EXPECT_EQ(stmt->preparedName, nullptr);
}

}  // namespace

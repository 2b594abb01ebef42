// The diagnostic dumps against a real server.
#include <map>

#include "log_capture.h"

namespace {

class TraceDumps : public TraceTest {
protected:
    void SetUp() override {
        TraceTest::SetUp();
        conn_ = PQconnectdb("");
        ASSERT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_);
        capture();
    }
    void TearDown() override {
        PQfinish(conn_);
        TraceTest::TearDown();
    }
    // Runs `sql`; returns column 0 keyed by column 1 of its rows.
    std::map<std::string, std::string> exec(const char *sql, bool ok = true) {
        std::map<std::string, std::string> rows;
        PGresult *res = PQexec(conn_, sql);
        ExecStatusType status = PQresultStatus(res);
        EXPECT_EQ(status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK, ok)
            << sql << ": " << PQerrorMessage(conn_);
        for (int i = 0; i < PQntuples(res); ++i)
            rows[PQgetvalue(res, i, 1)] = PQgetvalue(res, i, 0);
        PQclear(res);
        return rows;
    }
    PGconn *conn_ = nullptr;
};

TEST_F(TraceDumps, CursorDumpListsOpenCursors) {
    exec("BEGIN");
    exec("DECLARE trace_cur CURSOR FOR SELECT 1");
    std::string created = exec("SELECT creation_time, name FROM pg_cursors")["trace_cur"];
    debugLogCursors(conn_, "Free_OCIStmt, before");
    exec("CLOSE trace_cur");
    debugLogCursors(conn_, "Free_OCIStmt, after");
    exec("COMMIT");
    EXPECT_EQ(logged(), "open cursors: (1) Free_OCIStmt, before\n\t(" + created +
                            ") trace_cur - DECLARE trace_cur CURSOR FOR SELECT 1\n"
                            "open cursors: (0) Free_OCIStmt, after\n");
}

TEST_F(TraceDumps, PreparedStatementDumpTellsSqlFromProtocol) {
    exec("PREPARE trace_sql AS SELECT 1");
    PQclear(PQprepare(conn_, "trace_proto", "SELECT $1::int", 0, nullptr));
    auto times = exec("SELECT prepare_time, name FROM pg_prepared_statements");
    ASSERT_EQ(times.size(), 2u);
    debugLogPreparedStmts(conn_, "tag");
    const std::string header = "prepared statements: (2) tag\n";
    const std::string sqlRow =
        "\t(" + times["trace_sql"] + ") (SQL) trace_sql - PREPARE trace_sql AS SELECT 1\n";
    const std::string protoRow =
        "\t(" + times["trace_proto"] + ") (protocol) trace_proto - SELECT $1::int\n";
    std::string text = logged();  // the view has no order
    EXPECT_TRUE(text == header + sqlRow + protoRow || text == header + protoRow + sqlRow) << text;
}

TEST_F(TraceDumps, FailedQueryWritesOnlyTheHeader) {
    exec("BEGIN");
    exec("DECLARE trace_cur CURSOR FOR SELECT 1");
    exec("SELECT 1/0", false);  // the transaction is now aborted
    debugLogCursors(conn_, "aborted");
    debugLogPreparedStmts(conn_, "aborted");
    exec("ROLLBACK");
    EXPECT_EQ(logged(), "open cursors: (0) aborted\nprepared statements: (0) aborted\n");
}

// The default mask leaves the counters out; a stock server has no counter
// function. A stand-in created in a rolled-back transaction shows that only
// this backend's rows with waits are printed, columns looked up by name.
TEST_F(TraceDumps, WaitCounters) {
    tracePavikCounters(conn_);
    EXPECT_EQ(logged(), "");
    oci_debug_mask = TRACE_WAIT_COUNTERS;
    tracePavikCounters(conn_);
    const std::string header = "tracePavikCounters: PAVIK Counters (at disconnect)\n";
    EXPECT_EQ(logged(), header);

    exec("BEGIN");
    exec("CREATE SCHEMA trace_pavik_test");
    exec("SET LOCAL search_path = trace_pavik_test");
    exec("CREATE FUNCTION tav_pavik_session_waits() RETURNS SETOF record LANGUAGE sql AS $$ "
         "VALUES (pg_backend_pid()::bigint, 7::bigint, 30::bigint, 3::bigint, 'LWLock:buffer'), "
         "       (pg_backend_pid(), 0, 0, 0, 'idle'), (-1, 5, 5, 1, 'elsewhere') $$");
    tracePavikCounters(conn_);
    exec("ROLLBACK");
    EXPECT_EQ(logged(), header + header + "pavik, " + std::to_string(PQbackendPID(conn_)) +
                            ", \"LWLock:buffer\", 3, 30, 7\n");
}

}  // namespace

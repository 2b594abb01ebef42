// Bulk execution: all rows in one round trip, summed row counts, the first
// failing row's error, the non-blocking trio, and a backend killed mid-way.
#include <poll.h>

#include <chrono>

#include "pqext_test_support.h"

namespace {

using namespace pqext_test;

// Values for rows (id, 'v<id>'), row after row.
struct Rows {
    std::vector<std::string> text;
    std::vector<const char *> values;
    Rows(int first, int count) {
        for (int id = first; id < first + count; ++id) {
            text.push_back(std::to_string(id));
            text.push_back("v" + std::to_string(id));
        }
        for (const std::string &t : text) values.push_back(t.c_str());
    }
    const char *const *data() const { return values.data(); }
};

void MakeTable(PGconn *conn, const char *insertSql = "INSERT INTO pqext_bulk VALUES ($1, $2)") {
    ASSERT_TRUE(Exec(conn, "DROP TABLE IF EXISTS pqext_bulk"));
    ASSERT_TRUE(Exec(conn, "CREATE TABLE pqext_bulk (id int PRIMARY KEY, v text)"));
    const Oid types[] = {23, 25};
    PGresult *res = PQprepare(conn, "ins", insertSql, 2, types);
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK) << PQresultErrorMessage(res);
    PQclear(res);
}

// Drives a started non-blocking bulk to its end, waiting on the socket.
int PollToEnd(PGconn *conn, double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    int polls = 0;
    while (PQextBulkPoll(conn) == 1) {
        ++polls;
        if (std::chrono::steady_clock::now() > deadline) return -1;
        pollfd pfd{PQsocket(conn), static_cast<short>(POLLIN | (PQflush(conn) == 1 ? POLLOUT : 0)), 0};
        poll(&pfd, 1, 100);
    }
    return polls;
}

TEST(PqextBulk, ThousandRowsInOneRoundTripWithSummedCounts) {
    Conn c;
    MakeTable(c);
    ASSERT_TRUE(Exec(c, "BEGIN"));
    Rows rows(1, 1000);
    const int formats[] = {0, 0};
    PGresult *res = nullptr;
    {
        RoundTrips trips(c);
        res = PQexecBulkPrepared(c, "ins", 2, 1000, rows.data(), nullptr, formats);
        EXPECT_EQ(trips.Count(), 1);
    }
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK) << PQresultErrorMessage(res);
    PQclear(res);
    EXPECT_EQ(PQextBulkRowCount(c), 1000);
    EXPECT_EQ(PQextBulkFailedRow(c), -1);

    // Rows affecting different numbers of rows: 100 + 100 + 0.
    res = PQprepare(c, "upd", "UPDATE pqext_bulk SET v = 'u' WHERE id % 10 = $1", 1, nullptr);
    PQclear(res);
    const char *keys[] = {"1", "2", "10"};
    res = PQexecBulkPrepared(c, "upd", 1, 3, keys, nullptr, nullptr);
    EXPECT_EQ(PQresultStatus(res), PGRES_COMMAND_OK);
    PQclear(res);
    EXPECT_EQ(PQextBulkRowCount(c), 200);
    ASSERT_TRUE(Exec(c, "COMMIT"));
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT count(*) || '/' || count(*) FILTER (WHERE v = 'u') FROM pqext_bulk"),
              "1000/200");
    EXPECT_EQ(PQisnonblocking(c), 0);
    EXPECT_EQ(PQpipelineStatus(c), PQ_PIPELINE_OFF);
}

TEST(PqextBulk, FailingRowBringsItsSqlstateAndRollbackLeavesNothing) {
    Conn c;
    MakeTable(c);
    ASSERT_TRUE(Exec(c, "BEGIN"));
    Rows rows(1, 500);
    rows.text[2 * 299] = "10";  // row 299 repeats id 10
    rows.values[2 * 299] = rows.text[2 * 299].c_str();
    PGresult *res = PQexecBulkPrepared(c, "ins", 2, 500, rows.data(), nullptr, nullptr);
    EXPECT_EQ(PQresultStatus(res), PGRES_FATAL_ERROR);
    EXPECT_EQ(Sqlstate(res), "23505");
    EXPECT_NE(std::string(PQresultErrorMessage(res)).find("pqext_bulk_pkey"), std::string::npos);
    PQclear(res);
    EXPECT_EQ(PQextBulkFailedRow(c), 299);
    EXPECT_EQ(PQextBulkRowCount(c), 299);
    EXPECT_EQ(PQtransactionStatus(c), PQTRANS_INERROR);
    ASSERT_TRUE(Exec(c, "ROLLBACK"));
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT count(*) FROM pqext_bulk"), "0");
}

TEST(PqextBulk, NonBlockingTrioRunsToCompletion) {
    Conn c;
    MakeTable(c);
    ASSERT_TRUE(Exec(c, "BEGIN"));
    Rows first(1, 400), second(401, 3600);
    ASSERT_EQ(PQsendBulkStart(c, "ins", 2, nullptr), 1);
    EXPECT_EQ(PQisnonblocking(c), 1);
    ASSERT_EQ(PQsendBulk(c, 400, first.data(), nullptr), 1);
    ASSERT_EQ(PQsendBulk(c, 3600, second.data(), nullptr), 1);
    ASSERT_NE(PQsendBulkFinish(c), PGRES_FATAL_ERROR);
    EXPECT_GE(PollToEnd(c, 60), 0);
    PGresult *res = PQextBulkResult(c);
    EXPECT_EQ(PQresultStatus(res), PGRES_COMMAND_OK) << PQresultErrorMessage(res);
    PQclear(res);
    EXPECT_EQ(PQextBulkResult(c), nullptr);  // taken
    EXPECT_EQ(PQextBulkRowCount(c), 4000);
    EXPECT_EQ(PQisnonblocking(c), 0);
    ASSERT_TRUE(Exec(c, "COMMIT"));
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT count(DISTINCT id) FROM pqext_bulk"), "4000");

    // Rows refused half-way: the run ends in error, the connection is usable.
    ASSERT_EQ(PQsendBulkStart(c, "ins", 2, nullptr), 1);
    Rows more(5001, 10);
    ASSERT_EQ(PQsendBulk(c, 10, more.data(), nullptr), 1);
    EXPECT_EQ(PQsendBulk(c, 10, nullptr, nullptr), 0);
    res = PQextBulkResult(c);
    EXPECT_EQ(PQresultStatus(res), PGRES_FATAL_ERROR);
    PQclear(res);
    EXPECT_EQ(PQpipelineStatus(c), PQ_PIPELINE_OFF);
    EXPECT_EQ(PQisnonblocking(c), 0);
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT count(*) FROM pqext_bulk"), "4010");
}

TEST(PqextBulk, BackendKilledDuringThePipeline) {
    Conn c, killer;
    // Each row takes a little server time, so the kill lands in the middle.
    MakeTable(c, "INSERT INTO pqext_bulk SELECT $1, $2 FROM pg_sleep(0.002)");
    ASSERT_TRUE(Exec(c, "BEGIN"));
    Rows rows(1, 2000);
    ASSERT_EQ(PQsendBulkStart(c, "ins", 2, nullptr), 1);
    ASSERT_EQ(PQsendBulk(c, 2000, rows.data(), nullptr), 1);
    ASSERT_NE(PQsendBulkFinish(c), PGRES_FATAL_ERROR);
    EXPECT_EQ(PollToEnd(c, 0.3), -1);  // still running
    const std::string pid = std::to_string(PQbackendPID(c));
    ASSERT_EQ(oci_test::QueryValue(killer, "SELECT pg_terminate_backend(" + pid + ", 10000)"), "t");
    EXPECT_GE(PollToEnd(c, 30), 0);
    PGresult *res = PQextBulkResult(c);
    EXPECT_EQ(PQresultStatus(res), PGRES_FATAL_ERROR);
    PQclear(res);
    EXPECT_GT(PQextBulkRowCount(c), 0);
    EXPECT_LT(PQextBulkRowCount(c), 2000);
    EXPECT_GE(PQextBulkFailedRow(c), 0);
    EXPECT_EQ(oci_test::QueryValue(killer, "SELECT count(*) FROM pqext_bulk"), "0");

    // The blocking form on the dead connection fails with a result.
    res = PQexecBulkPrepared(c, "ins", 2, 1, rows.data(), nullptr, nullptr);
    EXPECT_EQ(PQresultStatus(res), PGRES_FATAL_ERROR);
    PQclear(res);
}

}  // namespace

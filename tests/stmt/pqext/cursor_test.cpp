// Cursors as portals (DECLARE / FETCH / CLOSE with their options) and
// command groups that cost one round trip.
#include "pqext_test_support.h"

namespace {

using namespace pqext_test;

const Oid kInt4[] = {23, 23};

PGresult *Fetch(PGconn *conn, const char *portal, int rows) {
    EXPECT_EQ(PQsendFetchPrepared(conn, portal, rows), 1);
    return TakeOne(conn);
}

ExecStatusType Bind(PGconn *conn, const char *portal, const char *stmt, int n = 0,
                    const char *const *values = nullptr) {
    EXPECT_EQ(PQsendBindPrepared(conn, portal, stmt, n, values, nullptr, nullptr, 0), 1);
    PGresult *res = TakeOne(conn);
    const ExecStatusType status = PQresultStatus(res);
    EXPECT_EQ(status, PGRES_COMMAND_OK) << PQresultErrorMessage(res);
    PQclear(res);
    return status;
}

TEST(PqextCursor, BoundCursorFetchesInBatchesUntilEmptyThenCloses) {
    Conn c;
    ASSERT_TRUE(Exec(c, "BEGIN"));
    PGresult *res = PQextPrepare(c, "gen", "SELECT g, 'r' || g FROM generate_series(1, $1) g WHERE g > $2;", 2, kInt4);
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK);
    PQclear(res);

    // The portal name needs quoting; the values travel as parameters.
    const char *portal = "portal \"one\"";
    const char *values[] = {"10", "0"};
    Bind(c, portal, "gen", 2, values);
    std::vector<int> sizes;
    std::vector<std::string> seen;
    for (;;) {
        res = Fetch(c, portal, 4);
        ASSERT_EQ(PQresultStatus(res), PGRES_TUPLES_OK) << PQresultErrorMessage(res);
        sizes.push_back(PQntuples(res));
        for (const std::string &v : Column(res)) seen.push_back(v);
        const bool empty = PQntuples(res) == 0;
        PQclear(res);
        if (empty) break;
    }
    EXPECT_EQ(sizes, (std::vector<int>{4, 4, 2, 0}));
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}));

    ASSERT_EQ(PQsendClosePortal(c, portal), 1);
    res = TakeOne(c);
    EXPECT_EQ(PQresultStatus(res), PGRES_COMMAND_OK);
    PQclear(res);
    res = Fetch(c, portal, 1);
    EXPECT_EQ(Sqlstate(res), "34000");  // the cursor is gone
    PQclear(res);
    ASSERT_TRUE(Exec(c, "ROLLBACK"));

    // A statement prepared with stock libpq: its text is found on the server.
    ASSERT_TRUE(Exec(c, "BEGIN"));
    res = PQprepare(c, "stock", "SELECT $1::text || '!'", 1, nullptr);
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK);
    PQclear(res);
    const char *word[] = {"it's"};
    Bind(c, "p2", "stock", 1, word);
    res = Fetch(c, "p2", 10);
    EXPECT_EQ(Column(res), (std::vector<std::string>{"it's!"}));
    PQclear(res);
    // An unknown statement is refused before anything is sent.
    EXPECT_EQ(PQsendBindPrepared(c, "p3", "no such statement", 0, nullptr, nullptr, nullptr, 0), 0);
    ASSERT_TRUE(Exec(c, "COMMIT"));
}

TEST(PqextCursor, ScrollAndHoldApplyToTheNextBindOnly) {
    Conn c;
    PGresult *res = PQextPrepare(c, "five", "SELECT g FROM generate_series(1, 5) g", 0, nullptr);
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK);
    PQclear(res);

    ASSERT_TRUE(Exec(c, "BEGIN"));
    PQextSetCursorOptions(c, PQEXT_CURSOR_SCROLL);
    Bind(c, "sc", "five");
    res = Fetch(c, "sc", 3);
    EXPECT_EQ(Column(res), (std::vector<std::string>{"1", "2", "3"}));
    PQclear(res);
    ASSERT_TRUE(Exec(c, "MOVE ABSOLUTE 0 IN \"sc\""));
    res = Fetch(c, "sc", 2);
    EXPECT_EQ(Column(res), (std::vector<std::string>{"1", "2"}));
    PQclear(res);

    Bind(c, "ns", "five");  // options were reset: NO SCROLL
    res = Fetch(c, "ns", 2);
    PQclear(res);
    res = PQexec(c, "MOVE ABSOLUTE 0 IN \"ns\"");
    EXPECT_EQ(Sqlstate(res), "55000");  // cursor can only scan forward
    PQclear(res);
    ASSERT_TRUE(Exec(c, "ROLLBACK"));

    ASSERT_TRUE(Exec(c, "BEGIN"));
    PQextSetCursorOptions(c, PQEXT_CURSOR_HOLD);
    Bind(c, "held", "five");
    Bind(c, "plain", "five");
    ASSERT_TRUE(Exec(c, "COMMIT"));
    res = Fetch(c, "held", 10);
    EXPECT_EQ(PQntuples(res), 5);
    PQclear(res);
    res = Fetch(c, "plain", 10);
    EXPECT_EQ(Sqlstate(res), "34000");
    PQclear(res);
    ASSERT_EQ(PQsendClosePortal(c, "held"), 1);
    res = TakeOne(c);
    EXPECT_EQ(PQresultStatus(res), PGRES_COMMAND_OK);
    PQclear(res);
}

// Each command's result, then the null that ends it.
ExecStatusType Next(PGconn *conn, int *rows = nullptr) {
    PGresult *res = PQgetResult(conn);
    const ExecStatusType status = PQresultStatus(res);
    if (rows != nullptr) *rows = PQntuples(res);
    PQclear(res);
    EXPECT_EQ(PQgetResult(conn), nullptr);
    return status;
}

TEST(PqextCursor, ReexecutionGoesOutAsOneRoundTrip) {
    Conn c;
    PGresult *res = PQextPrepare(c, "ten", "SELECT g FROM generate_series(1, $1) g", 1, kInt4);
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK);
    PQclear(res);
    const char *ten[] = {"10"};
    int rows = -1;

    {
        // First execution: BEGIN, DECLARE and the first FETCH together.
        RoundTrips trips(c);
        ASSERT_EQ(PQextPipelineBegin(c), 1);
        ASSERT_EQ(PQsendQueryParams(c, "BEGIN", 0, nullptr, nullptr, nullptr, nullptr, 0), 1);
        ASSERT_EQ(PQsendBindPrepared(c, "c1", "ten", 1, ten, nullptr, nullptr, 0), 1);
        ASSERT_EQ(PQsendFetchPrepared(c, "c1", 3), 1);
        ASSERT_EQ(PQextPipelineSend(c), 1);
        EXPECT_EQ(Next(c), PGRES_COMMAND_OK);
        EXPECT_EQ(Next(c), PGRES_COMMAND_OK);
        EXPECT_EQ(Next(c, &rows), PGRES_TUPLES_OK);
        EXPECT_EQ(rows, 3);
        ASSERT_EQ(PQextPipelineEnd(c), 1);
        EXPECT_EQ(trips.Count(), 1);
    }
    {
        // Again: the previous cursor is closed in the same round trip.
        RoundTrips trips(c);
        ASSERT_EQ(PQextPipelineBegin(c), 1);
        ASSERT_EQ(PQsendClosePortal(c, "c1"), 1);
        ASSERT_EQ(PQsendBindPrepared(c, "c2", "ten", 1, ten, nullptr, nullptr, 0), 1);
        ASSERT_EQ(PQsendFetchPrepared(c, "c2", 20), 1);
        ASSERT_EQ(PQextPipelineSend(c), 1);
        EXPECT_EQ(Next(c), PGRES_COMMAND_OK);
        EXPECT_EQ(Next(c), PGRES_COMMAND_OK);
        EXPECT_EQ(Next(c, &rows), PGRES_TUPLES_OK);
        EXPECT_EQ(rows, 10);
        ASSERT_EQ(PQextPipelineEnd(c), 1);
        EXPECT_EQ(trips.Count(), 1);
    }
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT count(*) FROM pg_cursors"), "1");

    // A failing command: its error, the rest skipped, the connection fine.
    ASSERT_EQ(PQextPipelineBegin(c), 1);
    ASSERT_EQ(PQsendClosePortal(c, "never declared"), 1);
    ASSERT_EQ(PQsendFetchPrepared(c, "c2", 1), 1);
    ASSERT_EQ(PQextPipelineSend(c), 1);
    res = PQgetResult(c);
    EXPECT_EQ(Sqlstate(res), "34000");
    PQclear(res);
    EXPECT_EQ(PQgetResult(c), nullptr);
    EXPECT_EQ(PQextPipelineEnd(c), 1);  // unread results are dropped
    EXPECT_EQ(PQpipelineStatus(c), PQ_PIPELINE_OFF);
    ASSERT_TRUE(Exec(c, "ROLLBACK"));
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT 40 + 2"), "42");
}

}  // namespace

// Read-ahead fetching: every row once and in order while other statements
// use the connection, the server working while the caller works, and a
// backend that dies in the middle.
#include <chrono>
#include <cstdlib>
#include <thread>

#include "pqext_test_support.h"

namespace {

using namespace pqext_test;
using Clock = std::chrono::steady_clock;

void Declare(PGconn *conn, const char *portal, const char *stmt, const char *sql) {
    PGresult *res = PQextPrepare(conn, stmt, sql, 0, nullptr);
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK) << PQresultErrorMessage(res);
    PQclear(res);
    ASSERT_EQ(PQsendBindPrepared(conn, portal, stmt, 0, nullptr, nullptr, nullptr, 0), 1);
    res = TakeOne(conn);
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK) << PQresultErrorMessage(res);
    PQclear(res);
}

TEST(PqextReadAhead, EveryRowOnceWhileOtherStatementsRunBetweenBatches) {
    Conn c;
    ASSERT_TRUE(Exec(c, "BEGIN"));
    Declare(c, "up", "s_up", "SELECT g FROM generate_series(1, 3000) g");
    Declare(c, "down", "s_down", "SELECT -g FROM generate_series(1, 1000) g");
    ASSERT_EQ(PQextFetchAhead(c, "up", 100, 3), 1);
    ASSERT_EQ(PQextFetchAhead(c, "down", 64, 2), 1);
    // Rows fetched ahead cannot be skipped by a plain FETCH.
    EXPECT_EQ(PQsendFetchPrepared(c, "up", 10), 0);

    std::vector<long> up, down;
    bool upDone = false, downDone = false;
    for (int batch = 0; !(upDone && downDone); ++batch) {
        ASSERT_LT(batch, 100);
        for (auto [portal, rows, done] : {std::tuple{"up", &up, &upDone}, std::tuple{"down", &down, &downDone}}) {
            if (*done) continue;
            PGresult *res = PQextFetchNext(c, portal);
            ASSERT_EQ(PQresultStatus(res), PGRES_TUPLES_OK) << PQresultErrorMessage(res);
            for (const std::string &v : Column(res)) rows->push_back(std::stol(v));
            *done = PQntuples(res) == 0;
            PQclear(res);
        }
        if (batch % 4 == 1) {
            // Another statement on the same connection between batches.
            ASSERT_EQ(PQextDrain(c), 1);
            EXPECT_EQ(oci_test::QueryValue(c, "SELECT count(*) FROM pg_cursors"), "2");
        }
    }
    ASSERT_EQ(up.size(), 3000u);
    ASSERT_EQ(down.size(), 1000u);
    for (size_t i = 0; i < up.size(); ++i) ASSERT_EQ(up[i], static_cast<long>(i) + 1);
    for (size_t i = 0; i < down.size(); ++i) ASSERT_EQ(down[i], -static_cast<long>(i) - 1);
    EXPECT_EQ(PQextFetchStop(c, "up"), 0);
    EXPECT_EQ(PQextFetchStop(c, "up"), -1);

    // Stopping in the middle reports how far the server cursor ran ahead.
    Declare(c, "again", "s_again", "SELECT g FROM generate_series(1, 1000) g");
    ASSERT_EQ(PQextFetchAhead(c, "again", 50, 4), 1);
    PGresult *res = PQextFetchNext(c, "again");
    EXPECT_EQ(PQntuples(res), 50);
    PQclear(res);
    const long ahead = PQextFetchStop(c, "again");
    EXPECT_EQ(ahead, 200);  // four batches kept or in flight when handed out
    ASSERT_EQ(PQsendFetchPrepared(c, "again", 1), 1);
    res = TakeOne(c);
    EXPECT_EQ(Column(res), (std::vector<std::string>{std::to_string(50 + ahead + 1)}));
    PQclear(res);
    ASSERT_TRUE(Exec(c, "COMMIT"));
    EXPECT_EQ(PQpipelineStatus(c), PQ_PIPELINE_OFF);
}

// A cursor closed ahead while another one reads ahead: the other's batches
// arrive whole and in order across the CLOSE and its sync, and the next
// command finds the cursor gone without waiting for its answer first.
TEST(PqextReadAhead, CloseAheadBetweenAnotherCursorsBatches) {
    Conn c;
    ASSERT_TRUE(Exec(c, "BEGIN"));
    Declare(c, "long", "s_long", "SELECT g FROM generate_series(1, 2000) g");
    Declare(c, "short", "s_short", "SELECT g FROM generate_series(1, 10) g");
    ASSERT_EQ(PQextFetchAhead(c, "long", 100, 3), 1);
    ASSERT_EQ(PQextFetchAhead(c, "short", 100, 2), 1);
    PGresult *res = PQextFetchNext(c, "short");
    EXPECT_EQ(PQntuples(res), 10);
    PQclear(res);
    ASSERT_EQ(PQextCloseAhead(c, "short"), 1);
    EXPECT_EQ(PQextFetchNext(c, "short"), nullptr);  // no longer read ahead
    long next = 1;
    for (int batch = 0; batch < 5; ++batch) {
        res = PQextFetchNext(c, "long");
        ASSERT_EQ(PQresultStatus(res), PGRES_TUPLES_OK) << PQresultErrorMessage(res);
        for (const std::string &v : Column(res)) ASSERT_EQ(std::stol(v), next++);
        PQclear(res);
    }
    EXPECT_EQ(next, 501);
    // Closed in the middle, with its own FETCHes still in flight.
    ASSERT_EQ(PQextCloseAhead(c, "long"), 1);
    ASSERT_EQ(PQextDrain(c), 1);
    EXPECT_EQ(PQpipelineStatus(c), PQ_PIPELINE_OFF);
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT count(*) FROM pg_cursors"), "0");
    ASSERT_TRUE(Exec(c, "COMMIT"));
}

TEST(PqextReadAhead, ConnectionsInDifferentThreadsKeepTheirOwnState) {
    // Same statement and cursor names on every connection.
    auto work = [](long *sum) {
        Conn c;
        Exec(c, "BEGIN");
        Declare(c, "cur", "stmt", "SELECT g FROM generate_series(1, 2000) g");
        if (PQextFetchAhead(c, "cur", 50, 3) != 1) return;
        for (;;) {
            PGresult *res = PQextFetchNext(c, "cur");
            const int n = PQresultStatus(res) == PGRES_TUPLES_OK ? PQntuples(res) : 0;
            for (int i = 0; i < n; ++i) *sum += std::atol(PQgetvalue(res, i, 0));
            PQclear(res);
            if (n == 0) break;
            if (PQextDrain(c) != 1) return;  // other work between batches
        }
        PQextFetchStop(c, "cur");
        Exec(c, "COMMIT");
    };
    long sums[4] = {0, 0, 0, 0};
    std::vector<std::thread> threads;
    for (long &sum : sums) threads.emplace_back(work, &sum);
    for (std::thread &t : threads) t.join();
    for (long sum : sums) EXPECT_EQ(sum, 2000L * 2001 / 2);
}

// The server needs `step` for each one-row batch and the caller as long to
// use it: taking turns costs twice what overlapping costs.
double SecondsFor(PGconn *conn, bool readAhead, const char *portal) {
    const auto step = std::chrono::milliseconds(60);
    Declare(conn, portal, portal, "SELECT g, pg_sleep(0.06) FROM generate_series(1, 8) g");
    const auto start = Clock::now();
    if (readAhead) {
        EXPECT_EQ(PQextFetchAhead(conn, portal, 1, 2), 1);
    }
    int rows = 0;
    for (;;) {
        PGresult *res = nullptr;
        if (readAhead) {
            res = PQextFetchNext(conn, portal);
        } else {
            EXPECT_EQ(PQsendFetchPrepared(conn, portal, 1), 1);
            res = TakeOne(conn);
        }
        const int n = PQntuples(res);
        PQclear(res);
        if (n == 0) break;
        rows += n;
        std::this_thread::sleep_for(step);  // the caller converting its rows
    }
    EXPECT_EQ(rows, 8);
    if (readAhead) PQextFetchStop(conn, portal);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(PqextReadAhead, ServerProducesTheNextBatchWhileTheCallerWorks) {
    Conn c;
    ASSERT_TRUE(Exec(c, "BEGIN"));
    const double turns = SecondsFor(c, false, "turns");
    const double overlapped = SecondsFor(c, true, "overlap");
    ASSERT_TRUE(Exec(c, "COMMIT"));
    // About 1.0 s against 0.55 s.
    EXPECT_LT(overlapped, turns * 0.75) << "turns " << turns << " s, read-ahead " << overlapped << " s";
    std::printf("taking turns %.3f s, read-ahead %.3f s\n", turns, overlapped);
}

TEST(PqextReadAhead, BackendKilledInTheMiddleGivesErrors) {
    Conn c, killer;
    ASSERT_TRUE(Exec(c, "BEGIN"));
    Declare(c, "big", "s_big", "SELECT g FROM generate_series(1, 1000000) g");
    ASSERT_EQ(PQextFetchAhead(c, "big", 100, 3), 1);
    for (int i = 0; i < 2; ++i) {
        PGresult *res = PQextFetchNext(c, "big");
        EXPECT_EQ(PQntuples(res), 100);
        PQclear(res);
    }
    const std::string pid = std::to_string(PQbackendPID(c));
    ASSERT_EQ(oci_test::QueryValue(killer, "SELECT pg_terminate_backend(" + pid + ", 10000)"), "t");

    // Batches already on the wire may still arrive; then the failure.
    int batches = 0;
    PGresult *res = nullptr;
    for (;; ++batches) {
        res = PQextFetchNext(c, "big");
        ASSERT_NE(res, nullptr);
        if (PQresultStatus(res) != PGRES_TUPLES_OK) break;
        ASSERT_EQ(PQntuples(res), 100);
        PQclear(res);
        ASSERT_LT(batches, 10);
    }
    // Never a result that could pass for the end of the rows.
    EXPECT_EQ(PQresultStatus(res), PGRES_FATAL_ERROR);
    EXPECT_STRNE(PQresultErrorMessage(res), "");
    PQclear(res);
    // Later calls keep failing quietly.
    res = PQextFetchNext(c, "big");
    EXPECT_EQ(PQresultStatus(res), PGRES_FATAL_ERROR);
    PQclear(res);
    EXPECT_EQ(PQstatus(c), CONNECTION_BAD);
    EXPECT_EQ(PQextDrain(c), 0);
    EXPECT_EQ(PQsendFetchPrepared(c, "big", 1), 0);
}

}  // namespace

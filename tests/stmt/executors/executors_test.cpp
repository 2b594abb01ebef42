// DML, callable blocks and non-blocking executions as an application drives
// them: prepare, bind, OCIStmtExecute, then what the server holds.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "stmt/stmt_handles.h"
#include "support/oci_session_fixture.h"

namespace {

const OraText *Text(const char *s) { return reinterpret_cast<const OraText *>(s); }

class Executors : public oci_test::OciSessionTest {
protected:
    void SetUp() override {
        OciSessionTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
        const std::string uri = oci_test::ClusterUri();
        observer = PQconnectdb(uri.c_str());
        ASSERT_EQ(PQstatus(observer), CONNECTION_OK);
        Committed("drop table if exists exec_t; create table exec_t (id int primary key, v int)");
    }
    void TearDown() override {
        PQfinish(observer);
        OciSessionTest::TearDown();
    }

    // Through a connection of its own: what is committed.
    std::string Committed(const std::string &sql) { return oci_test::QueryValue(observer, sql); }
    // Through the session's connection: what its transaction sees.
    std::string Value(const std::string &sql) { return oci_test::QueryValue(server->conn, sql); }

    void Prepare(const char *sql) {
        ASSERT_EQ(OCIStmtPrepare(stmt, err, Text(sql), static_cast<ub4>(std::strlen(sql)), OCI_NTV_SYNTAX,
                                 OCI_DEFAULT),
                  OCI_SUCCESS);
    }
    void Bind(const char *name, void *value, sb4 size, ub2 dty, sb2 *ind = nullptr) {
        OCIBind *b = nullptr;
        ASSERT_EQ(OCIBindByName(stmt, &b, err, Text(name), -1, value, size, dty, ind, nullptr, nullptr, 0, nullptr,
                                OCI_DEFAULT),
                  OCI_SUCCESS);
    }
    sword Execute(ub4 iters, ub4 rowoff = 0) {
        return OCIStmtExecute(svc, stmt, err, iters, rowoff, nullptr, nullptr, OCI_DEFAULT);
    }
    // Repeats a non-blocking execution while it is still executing.
    sword ExecuteToEnd(ub4 iters, ub4 rowoff = 0) {
        sword rc = Execute(iters, rowoff);
        for (int polls = 0; rc == OCI_STILL_EXECUTING && polls < 100000; ++polls) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            rc = Execute(iters, rowoff);
        }
        return rc;
    }
    ub4 RowCount() {
        ub4 rows = 0;
        EXPECT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, &rows, nullptr, OCI_ATTR_ROW_COUNT, err), OCI_SUCCESS);
        return rows;
    }
    const errinfo *Record(int n = 1) const {
        static const errinfo none{};
        const errinfo *rec = ErrorRecordAt(err, n);
        return rec != nullptr ? rec : &none;
    }
    std::string Message(int n = 1) const { return Record(n)->msg != nullptr ? Record(n)->msg : ""; }

    // Round trips of `work`: messages that make the server answer (a Sync of
    // the extended protocol or a simple Query), read from libpq's trace.
    template <class Work> int RoundTrips(Work work) {
        FILE *trace = std::tmpfile();
        PQtrace(server->conn, trace);
        PQsetTraceFlags(server->conn, PQTRACE_SUPPRESS_TIMESTAMPS);
        work();
        PQuntrace(server->conn);
        std::rewind(trace);
        int count = 0;
        char line[4096];
        while (std::fgets(line, sizeof line, trace) != nullptr)
            count += std::strncmp(line, "F\t", 2) == 0 &&
                     (std::strstr(line, "\tSync") != nullptr || std::strstr(line, "\tQuery\t") != nullptr);
        std::fclose(trace);
        return count;
    }
    void NonBlocking() {
        ASSERT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, nullptr, 0, OCI_ATTR_NONBLOCKING_MODE, err), OCI_SUCCESS);
    }
    bool AsyncIdle() const {
        return !stmt->asyncBulkPending && !stmt->asyncWaiting && !stmt->asyncBulkFinishing && !stmt->asyncSelect;
    }

    OCIStmt *stmt = nullptr;
    PGconn *observer = nullptr;
    sb4 ids[200] = {}, vals[200] = {};
};

TEST_F(Executors, ArrayDmlTravelsInOneRoundTripAndCountsEveryRow) {
    sb2 ind[100] = {};
    for (int i = 0; i < 100; ++i) ids[i] = i, vals[i] = i % 4;
    ind[39] = -1;  // a NULL in the last row must not decide how the other rows' values travel
    Prepare("insert into exec_t values (:id, :v)");
    Bind(":id", ids, sizeof(sb4), SQLT_INT);
    Bind(":v", vals, sizeof(sb4), SQLT_INT, ind);
    ASSERT_EQ(Execute(40), OCI_SUCCESS) << Message();
    EXPECT_EQ(RowCount(), 40u);
    // Prepared once: rows 40..99 are one round trip.
    EXPECT_EQ(RoundTrips([&] { ASSERT_EQ(Execute(100, 40), OCI_SUCCESS) << Message(); }), 1);
    EXPECT_EQ(RowCount(), 60u);
    EXPECT_EQ(Value("select count(*) || ' ' || count(v) || ' ' || sum(id) from exec_t"), "100 99 4950");

    // Three iterations of 25 rows each: the count is their total.
    sb4 keys[3] = {0, 1, 2};
    Prepare("update exec_t set v = v + 10 where v = :k");
    Bind(":k", keys, sizeof(sb4), SQLT_INT);
    ASSERT_EQ(Execute(3), OCI_SUCCESS) << Message();
    EXPECT_EQ(RowCount(), 75u);
    for (sb4 &k : keys) k += 10;
    Prepare("delete from exec_t where v = :k");
    Bind(":k", keys, sizeof(sb4), SQLT_INT);
    // Its preparation, then the three iterations together.
    EXPECT_EQ(RoundTrips([&] { ASSERT_EQ(Execute(3), OCI_SUCCESS) << Message(); }), 2);
    EXPECT_EQ(RowCount(), 75u);

    // One bind behind two placeholders gives both its value in every row.
    Prepare("insert into exec_t values (:id + 1000, :id * 3)");
    Bind(":id", ids, sizeof(sb4), SQLT_INT);
    ASSERT_EQ(Execute(50), OCI_SUCCESS) << Message();
    EXPECT_EQ(Value("select count(*) || ' ' || sum(v) from exec_t where v = 3 * (id - 1000)"), "50 3675");
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Committed("select count(*) from exec_t"), "75");
}

TEST_F(Executors, FailuresReportTheServerErrorAndRollBack) {
    for (int i = 0; i < 10; ++i) ids[i] = i;
    ids[6] = 2;
    Prepare("insert into exec_t values (:id, :v)");
    Bind(":id", ids, sizeof(sb4), SQLT_INT);
    Bind(":v", vals, sizeof(sb4), SQLT_INT);
    // Row 0 first; then rows 1..9, of which iteration 6 repeats id 2.
    ASSERT_EQ(Execute(1), OCI_SUCCESS) << Message();
    EXPECT_EQ(Execute(10, 1), OCI_ERROR);
    EXPECT_STREQ(Record()->sqlstate, "23505");
    EXPECT_EQ(Record()->errcode, 1);
    EXPECT_EQ(RowCount(), 5u);  // rows affected before the failing one
    EXPECT_EQ(Value("select count(*) from exec_t"), "0");
    // A single row failing takes the rows before it in the transaction along.
    ASSERT_EQ(Execute(3), OCI_SUCCESS) << Message();
    EXPECT_EQ(Execute(7, 6), OCI_ERROR);
    EXPECT_STREQ(Record()->sqlstate, "23505");
    EXPECT_EQ(Value("select count(*) from exec_t"), "0");

    Committed("insert into exec_t values (1, 1)");
    Prepare("update exec_t set v = 5 where id = :id returning v");
    Bind(":id", ids, sizeof(sb4), SQLT_INT);
    for (ub4 iters : {1u, 3u}) {
        EXPECT_EQ(Execute(iters), OCI_ERROR);
        EXPECT_EQ(Message(), "Support for RETURNING clause is not yet implemented");
        EXPECT_EQ(Value("select v from exec_t"), "1");
    }
}

// Values of :v from a callback that gives up at iteration 150.
sb4 GiveUpAt150(void *, OCIBind *, ub4 iter, ub4, void **bufpp, ub4 *alenp, ub1 *piecep, void **indp) {
    static sb4 value = 0;
    if (iter == 150) return OCI_ERROR;
    value = static_cast<sb4>(iter);
    *bufpp = &value;
    *alenp = sizeof value;
    *piecep = OCI_ONE_PIECE;
    *indp = nullptr;
    return OCI_CONTINUE;
}

TEST_F(Executors, ValueThatCannotBeGatheredEndsTheArrayAfterTheRowsBeforeIt) {
    for (int i = 0; i < 200; ++i) ids[i] = i;
    Prepare("insert into exec_t values (:id, :v)");
    Bind(":id", ids, sizeof(sb4), SQLT_INT);
    OCIBind *v = nullptr;
    ASSERT_EQ(OCIBindByName(stmt, &v, err, Text(":v"), -1, nullptr, sizeof(sb4), SQLT_INT, nullptr, nullptr, nullptr,
                            0, nullptr, OCI_DATA_AT_EXEC),
              OCI_SUCCESS);
    ASSERT_EQ(OCIBindDynamic(v, err, nullptr, GiveUpAt150, nullptr, nullptr), OCI_SUCCESS);
    EXPECT_EQ(Execute(200), OCI_ERROR);
    EXPECT_EQ(Record()->errcode, 24343);
    EXPECT_EQ(RowCount(), 150u);
    EXPECT_EQ(Value("select count(*) || ' ' || sum(v) from exec_t where v = id"), "150 11175");
}

TEST_F(Executors, ServerNoticeMakesTheCallAWarning) {
    Committed("create or replace function exec_notice() returns trigger language plpgsql as "
              "$$ begin if new.id = 3 then raise notice 'row three'; end if; return new; end $$;"
              "create trigger exec_notice before insert on exec_t for each row execute function exec_notice()");
    for (int i = 0; i < 5; ++i) ids[i] = i;
    Prepare("insert into exec_t values (:id, :v)");
    Bind(":id", ids, sizeof(sb4), SQLT_INT);
    Bind(":v", vals, sizeof(sb4), SQLT_INT);
    ASSERT_EQ(Execute(5), OCI_SUCCESS_WITH_INFO) << Message();
    EXPECT_NE(Message().find("row three"), std::string::npos);
    EXPECT_EQ(RowCount(), 5u);
    ids[0] = 10, ids[1] = 11;
    EXPECT_EQ(Execute(2), OCI_SUCCESS) << Message();
}

TEST_F(Executors, CallableBlocksFillTheirBinds) {
    Committed("create or replace function exec_next(a int, out b int) language plpgsql as "
              "$$ begin b := a + 1; end $$;"
              "create or replace procedure exec_scale(a int, inout b int) language plpgsql as "
              "$$ begin b := b * a; end $$;"
              "create or replace function exec_answer() returns int language sql as 'select 42';"
              "create or replace function exec_cur() returns refcursor language plpgsql as "
              "$$ declare c refcursor; begin open c for select i from generate_series(1, 3) i; return c; end $$;"
              "create or replace function exec_div(a int) returns int language sql as 'select 1 / a'");
    sb4 r = -1, a = 41, b = -1;
    Prepare("BEGIN :r := exec_next(:a, :b); END;");
    Bind(":r", &r, sizeof r, SQLT_INT);
    Bind(":a", &a, sizeof a, SQLT_INT);
    Bind(":b", &b, sizeof b, SQLT_INT);
    ASSERT_EQ(Execute(1), OCI_SUCCESS) << Message();
    EXPECT_EQ(r, 42);
    EXPECT_EQ(b, 42);
    EXPECT_EQ(a, 41);
    // An OUT-only buffer is not read: garbage in a number buffer (a length
    // byte beyond its size) does not fail the call, the value comes back.
    Committed("create or replace procedure exec_num(out n numeric) language plpgsql as "
              "$$ begin n := 12.5; end $$");
    OCINumber number;
    std::memset(&number, 0xFF, sizeof number);
    Prepare("BEGIN exec_num(:n); END;");
    Bind(":n", &number, sizeof number, SQLT_VNU);
    ASSERT_EQ(Execute(1), OCI_SUCCESS) << Message();
    EXPECT_EQ(number.OCINumberPart[0], 3);     // exponent byte and two digit bytes
    EXPECT_EQ(number.OCINumberPart[1], 0xC1);  // positive, 100^0
    EXPECT_EQ(number.OCINumberPart[2], 13);    // 12
    EXPECT_EQ(number.OCINumberPart[3], 51);    // .50

    sb4 factors[2] = {2, 3}, scaled[2] = {10, 20};
    Prepare("BEGIN exec_scale(:a, :b); END;");
    Bind(":a", factors, sizeof(sb4), SQLT_INT);
    Bind(":b", scaled, sizeof(sb4), SQLT_INT);
    ASSERT_EQ(Execute(2), OCI_SUCCESS) << Message();
    EXPECT_EQ(scaled[0], 20);
    EXPECT_EQ(scaled[1], 60);

    // No argument: the value still arrives, in every iteration's slot.
    sb4 answers[3] = {-1, -1, -1};
    Prepare("BEGIN :r := exec_answer(); END;");
    Bind(":r", answers, sizeof(sb4), SQLT_INT);
    ASSERT_EQ(Execute(3), OCI_SUCCESS) << Message();
    EXPECT_EQ(answers[0], 42);
    EXPECT_EQ(answers[2], 42);

    OCIStmt *child = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&child), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    Prepare("BEGIN :c := exec_cur(); END;");
    Bind(":c", &child, 0, SQLT_RSET);
    ASSERT_EQ(Execute(1), OCI_SUCCESS) << Message();
    ASSERT_NE(child->preparedName, nullptr);
    PGresult *rows = PQexec(server->conn, ("fetch all from \"" + std::string(child->preparedName) + "\"").c_str());
    EXPECT_EQ(PQntuples(rows), 3) << PQresultErrorMessage(rows);
    PQclear(rows);

    a = 0;
    Prepare("BEGIN :r := exec_div(:a); END;");
    Bind(":r", &r, sizeof r, SQLT_INT);
    Bind(":a", &a, sizeof a, SQLT_INT);
    EXPECT_EQ(Execute(1), OCI_ERROR);
    EXPECT_STREQ(Record()->sqlstate, "22012");
    EXPECT_EQ(PQtransactionStatus(server->conn), PQTRANS_IDLE);
}

// Integers and strings of every row travel without copies of their own:
// each row must still carry its own values, also when thousands of rows are
// held at once (the non-blocking road gathers every row before sending).
TEST_F(Executors, EveryRowOfALargeArrayCarriesItsOwnValues) {
    constexpr int kRows = 3000;
    std::vector<sb2> a(kRows);
    std::vector<sb4> b(kRows);
    std::vector<long long> c(kRows);
    std::vector<char> s(static_cast<size_t>(kRows) * 12);
    std::vector<sb2> sind(kRows);
    for (int i = 0; i < kRows; ++i) {
        a[i] = static_cast<sb2>(i % 2 ? -i : i);
        b[i] = i * 1000 - 7;
        c[i] = -(static_cast<long long>(i) << 33);
        std::snprintf(&s[static_cast<size_t>(i) * 12], 12, "r%d", i);
        sind[i] = i % 100 == 0 ? -1 : 0;
    }
    Committed("drop table if exists exec_w; create table exec_w (a int2, b int4, c int8, s text)");
    // Rows whose text is not their own drop out of the count.
    const std::string check =
        "select count(*) || ' ' || sum(a) || ' ' || sum(b) || ' ' || sum(c) || ' ' || count(s) || ' ' || "
        "sum(length(s)) from exec_w where s is null or s = 'r' || (b + 7) / 1000";
    const std::string expected = "3000 -1500 4498479000 -38641820762112000 2970 13752";
    for (const bool nonBlocking : {false, true}) {
        SCOPED_TRACE(nonBlocking ? "non-blocking" : "blocking");
        Value("truncate exec_w");
        if (nonBlocking) NonBlocking();
        Prepare("insert into exec_w values (:a, :b, :c, :s)");
        Bind(":a", a.data(), sizeof(sb2), SQLT_INT);
        Bind(":b", b.data(), sizeof(sb4), SQLT_INT);
        Bind(":c", c.data(), sizeof(long long), SQLT_INT);
        Bind(":s", s.data(), 12, SQLT_STR, sind.data());
        ASSERT_EQ(ExecuteToEnd(kRows), OCI_SUCCESS) << Message();
        EXPECT_EQ(RowCount(), static_cast<ub4>(kRows));
        EXPECT_EQ(Value(check), expected);
    }
}

// Routines of one name told apart by their arguments: the call goes to the
// one whose arguments the binds fit, and its OUT arguments come back.
TEST_F(Executors, OverloadedRoutinesFollowTheBinds) {
    Committed("drop procedure if exists exec_ov(int); drop procedure if exists exec_ov(int, int);"
              "drop procedure if exists exec_ov(text, text);"
              "create procedure exec_ov(a int) language plpgsql as $$ begin null; end $$;"
              "create procedure exec_ov(a int, inout b int) language plpgsql as $$ begin b := a * 2; end $$;"
              "create procedure exec_ov(a text, inout b text) language plpgsql as $$ begin b := a || a; end $$;");
    sb4 a = 21, b = -1;
    Prepare("BEGIN exec_ov(:a, :b); END;");
    Bind(":a", &a, sizeof a, SQLT_INT);
    Bind(":b", &b, sizeof b, SQLT_INT);
    ASSERT_EQ(Execute(1), OCI_SUCCESS) << Message();
    EXPECT_EQ(b, 42);
    char word[8] = "ab", doubled[16] = "";
    Prepare("BEGIN exec_ov(:a, :b); END;");
    Bind(":a", word, sizeof word, SQLT_STR);
    Bind(":b", doubled, sizeof doubled, SQLT_STR);
    ASSERT_EQ(Execute(1), OCI_SUCCESS) << Message();
    EXPECT_STREQ(doubled, "abab");
}

TEST_F(Executors, NonBlockingExecutionsReportOnlyWhatTheyRead) {
    NonBlocking();
    for (int i = 0; i < 200; ++i) ids[i] = i, vals[i] = 1;
    Prepare("insert into exec_t values (:id, :v)");
    Bind(":id", ids, sizeof(sb4), SQLT_INT);
    Bind(":v", vals, sizeof(sb4), SQLT_INT);
    ASSERT_EQ(Execute(200), OCI_STILL_EXECUTING);
    EXPECT_EQ(ExecuteToEnd(200), OCI_SUCCESS) << Message();
    EXPECT_EQ(RowCount(), 200u);
    EXPECT_TRUE(AsyncIdle());
    // Commit on success waits for the outcome, then commits.
    for (int i = 0; i < 200; ++i) ids[i] = 1000 + i;
    ASSERT_EQ(OCIStmtExecute(svc, stmt, err, 200, 0, nullptr, nullptr, OCI_COMMIT_ON_SUCCESS), OCI_STILL_EXECUTING);
    EXPECT_EQ(ExecuteToEnd(200), OCI_SUCCESS) << Message();
    EXPECT_EQ(Committed("select count(*) from exec_t where id >= 1000"), "200");
    for (int i = 0; i < 200; ++i) ids[i] = i;
    // One row takes the same road: its failure is known once read.
    ids[5] = 7;
    ASSERT_EQ(Execute(6, 5), OCI_STILL_EXECUTING);
    EXPECT_EQ(ErrorRecordCount(err), 0);
    EXPECT_EQ(ExecuteToEnd(6, 5), OCI_ERROR);
    EXPECT_STREQ(Record()->sqlstate, "23505");
    EXPECT_TRUE(AsyncIdle());

    // A query: rows after OCI_STILL_EXECUTING, the rest by fetching.
    sb4 got[3] = {};
    OCIDefine *def = nullptr;
    Prepare("select i from generate_series(1, 5) i");
    ASSERT_EQ(OCIDefineByPos(stmt, &def, err, 1, got, sizeof(sb4), SQLT_INT, nullptr, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(Execute(2), OCI_STILL_EXECUTING);
    ASSERT_EQ(ExecuteToEnd(2), OCI_SUCCESS) << Message();
    EXPECT_EQ(got[1], 2);
    EXPECT_TRUE(AsyncIdle());
    EXPECT_EQ(OCIStmtFetch2(stmt, err, 3, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Message();
    EXPECT_EQ(got[2], 5);

    // A break abandons a query that is still running.
    Prepare("select 1 from pg_sleep(30)");
    ASSERT_EQ(OCIDefineByPos(stmt, &def, err, 1, got, sizeof(sb4), SQLT_INT, nullptr, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Execute(1), OCI_STILL_EXECUTING);
    ASSERT_EQ(OCIBreak(svc, err), OCI_SUCCESS);
    EXPECT_EQ(ExecuteToEnd(1), OCI_SUCCESS);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_TRUE(AsyncIdle());
    EXPECT_EQ(Value("select 7"), "7");
}

TEST_F(Executors, BackendKilledUnderAnArrayInsertGivesErrorRecords) {
    // Every row waits on the server, so the insert is surely running when
    // its backend is terminated.
    Committed("create or replace function exec_slow() returns trigger language plpgsql as "
              "$$ begin perform pg_sleep(0.02); return new; end $$;"
              "create trigger exec_slow before insert on exec_t for each row execute function exec_slow()");
    for (int i = 0; i < 200; ++i) ids[i] = i;
    Prepare("insert into exec_t values (:id, :v)");
    Bind(":id", ids, sizeof(sb4), SQLT_INT);
    Bind(":v", vals, sizeof(sb4), SQLT_INT);
    const std::string pid = std::to_string(PQbackendPID(server->conn));
    std::atomic<bool> killed{false};
    std::thread killer([&] {
        const std::string running = "select count(*) from pg_stat_activity where pid = " + pid +
                                    " and state = 'active' and query like 'insert%'";
        for (int i = 0; i < 500 && Committed(running) != "1"; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        killed = Committed("select pg_terminate_backend(" + pid + ")") == "t";
    });
    const sword rc = Execute(200);
    killer.join();
    ASSERT_TRUE(killed);
    EXPECT_EQ(rc, OCI_ERROR);
    bool terminated = false;
    for (int n = 1; n <= ErrorRecordCount(err); ++n) terminated = terminated || Record(n)->errcode == 25407;
    EXPECT_TRUE(terminated);
    // The next call on the connection reports the lost connection.
    EXPECT_EQ(Execute(1), OCI_ERROR);
    EXPECT_EQ(Record()->errcode, 25407);
    EXPECT_EQ(Committed("select count(*) from exec_t"), "0");
}

}  // namespace

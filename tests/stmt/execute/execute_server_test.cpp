// Queries, transactions and fetching through the public calls against the
// test cluster: every execution and fetch reaches the real server, and a
// second plain libpq connection looks at what the library left behind.
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <oci.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "support/oci_session_fixture.h"

namespace {

using oci_test::ClusterUri;
using oci_test::QueryValue;

constexpr ub4 kHoldModeAttr = 5001;

const OraText *Text(const char *s) { return reinterpret_cast<const OraText *>(s); }

class ExecuteTest : public oci_test::OciSessionTest {
protected:
    void SetUp() override {
        OciSessionTest::SetUp();
        if (HasFatalFailure()) return;
        const std::string uri = ClusterUri();
        other = PQconnectdb(uri.c_str());
        ASSERT_EQ(PQstatus(other), CONNECTION_OK) << PQerrorMessage(other);
    }
    void TearDown() override {
        PQfinish(other);
        OciSessionTest::TearDown();
    }

    OCIStmt *NewStmt(const char *sql) {
        OCIStmt *s = nullptr;
        EXPECT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&s), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
        EXPECT_EQ(OCIStmtPrepare(s, err, Text(sql), static_cast<ub4>(std::strlen(sql)), OCI_NTV_SYNTAX, OCI_DEFAULT),
                  OCI_SUCCESS);
        return s;
    }
    sword Execute(OCIStmt *s, ub4 iters, ub4 mode = OCI_DEFAULT) {
        return OCIStmtExecute(svc, s, err, iters, 0, nullptr, nullptr, mode);
    }
    // Runs a statement without binds or defines and frees it.
    sword Run(const char *sql) {
        OCIStmt *s = NewStmt(sql);
        const sword rc = Execute(s, 1);
        OCIHandleFree(s, OCI_HTYPE_STMT);
        return rc;
    }
    void DefineInts(OCIStmt *s, ub4 pos, int *values) {
        OCIDefine *d = nullptr;
        ASSERT_EQ(OCIDefineByPos(s, &d, err, pos, values, sizeof(int), SQLT_INT, nullptr, nullptr, nullptr,
                                 OCI_DEFAULT),
                  OCI_SUCCESS);
    }
    void BindInt(OCIStmt *s, const char *name, int *value) {
        OCIBind *b = nullptr;
        ASSERT_EQ(OCIBindByName(s, &b, err, Text(name), -1, value, sizeof(int), SQLT_INT, nullptr, nullptr, nullptr,
                                0, nullptr, OCI_DEFAULT),
                  OCI_SUCCESS);
    }
    ub4 Attr(OCIStmt *s, ub4 attr) {
        ub4 value = 0;
        EXPECT_EQ(OCIAttrGet(s, OCI_HTYPE_STMT, &value, nullptr, attr, err), OCI_SUCCESS);
        return value;
    }
    sb4 ErrorCode() {
        sb4 code = 0;
        OraText buf[512];
        OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
        return code;
    }
    std::string Error() {
        sb4 code = 0;
        OraText buf[512] = {};
        OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR);
        return std::to_string(code) + ": " + reinterpret_cast<char *>(buf);
    }
    std::string Other(const std::string &sql) { return QueryValue(other, sql); }

    PGconn *other = nullptr;
};

// A query executed without rows, then fetched one row per call: every row
// once and in order, and the position and row count follow each row.
TEST_F(ExecuteTest, QueryWithoutRowsThenFetchOneAtATime) {
    OCIStmt *s = NewStmt("select g from generate_series(1, 300) g order by g");
    ASSERT_EQ(Execute(s, 0), OCI_SUCCESS) << Error();
    int v = 0;
    DefineInts(s, 1, &v);
    for (int want = 1; want <= 300; ++want) {
        ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
        ASSERT_EQ(v, want);
        ASSERT_EQ(Attr(s, OCI_ATTR_CURRENT_POSITION), static_cast<ub4>(want));
        ASSERT_EQ(Attr(s, OCI_ATTR_ROW_COUNT), static_cast<ub4>(want));
    }
    EXPECT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
    EXPECT_EQ(Attr(s, OCI_ATTR_ROW_COUNT), 300u);
}

// With a prefetch count, rows come in batches but each is delivered once;
// an array fetch past the end returns what is left with OCI_NO_DATA.
TEST_F(ExecuteTest, PrefetchAndArrayFetch) {
    OCIStmt *s = NewStmt("select g from generate_series(1, 120) g order by g");
    ub4 prefetch = 50;
    ASSERT_EQ(OCIAttrSet(s, OCI_HTYPE_STMT, &prefetch, 0, OCI_ATTR_PREFETCH_ROWS, err), OCI_SUCCESS);
    int v = 0;
    DefineInts(s, 1, &v);
    ASSERT_EQ(Execute(s, 1), OCI_SUCCESS) << Error();
    std::vector<int> seen{v};
    sword rc;
    while ((rc = OCIStmtFetch2(s, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT)) == OCI_SUCCESS) seen.push_back(v);
    EXPECT_EQ(rc, OCI_NO_DATA);
    ASSERT_EQ(seen.size(), 120u);
    for (int i = 0; i < 120; ++i) ASSERT_EQ(seen[i], i + 1);

    OCIStmt *a = NewStmt("select g from generate_series(1, 14) g order by g");
    int values[10] = {};
    DefineInts(a, 1, values);
    ASSERT_EQ(Execute(a, 10), OCI_SUCCESS) << Error();
    EXPECT_EQ(values[9], 10);
    EXPECT_EQ(OCIStmtFetch2(a, err, 10, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
    EXPECT_EQ(Attr(a, OCI_ATTR_ROWS_FETCHED), 4u);
    EXPECT_EQ(values[0], 11);
    EXPECT_EQ(values[3], 14);
    EXPECT_EQ(Attr(a, OCI_ATTR_ROW_COUNT), 14u);
}

// Exact fetch refuses a second row; a re-executed query keeps its one
// server-prepared statement and sees the new bind value.
TEST_F(ExecuteTest, ExactFetchAndReexecution) {
    OCIStmt *s = NewStmt("select g from generate_series(1, 2) g");
    int v = 0;
    DefineInts(s, 1, &v);
    EXPECT_EQ(Execute(s, 1, OCI_EXACT_FETCH), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), 1422);

    OCIStmt *q = NewStmt("select g * :m from generate_series(1, 3) g order by g");
    int m = 10;
    BindInt(q, ":m", &m);
    DefineInts(q, 1, &v);
    ASSERT_EQ(Execute(q, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 10);
    m = 100;
    ASSERT_EQ(Execute(q, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 100);
    ASSERT_EQ(OCIStmtFetch2(q, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(v, 200);
    EXPECT_EQ(Attr(q, OCI_ATTR_ROW_COUNT), 2u);

    // Both executions used one prepared statement and the first cursor is
    // gone; the second ran without a cursor (its last result fit the first
    // batch): with s freed, q's statement, the counting query's statement
    // and cursor remain.
    OCIHandleFree(s, OCI_HTYPE_STMT);
    OCIStmt *count = NewStmt("select (select count(*) from pg_prepared_statements)::int * 100"
                             " + (select count(*) from pg_cursors where name <> '')::int");
    int n = 0;
    DefineInts(count, 1, &n);
    ASSERT_EQ(Execute(count, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(n / 100, 2);
    EXPECT_EQ(n % 100, 1);
}

// A result that fit its first batch is fetched without a cursor next time;
// when that result turns out large every row still arrives once, and the
// execution after it reads through a cursor again.
TEST_F(ExecuteTest, SmallResultsRunWithoutACursor) {
    OCIStmt *q = NewStmt("select g from generate_series(1, :n) g");
    int n = 3, v = 0;
    BindInt(q, ":n", &n);
    DefineInts(q, 1, &v);
    const auto fetchAll = [&]() {
        long sum = v, rows = 1;
        while (OCIStmtFetch2(q, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT) == OCI_SUCCESS) {
            sum += v;
            ++rows;
        }
        return std::make_pair(rows, sum);
    };
    const std::string cursors = "select count(*) from pg_cursors where name like 'portal%'";
    ASSERT_EQ(Execute(q, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(fetchAll(), std::make_pair(3L, 6L));
    n = 5000;
    ASSERT_EQ(Execute(q, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(fetchAll(), std::make_pair(5000L, 5000L * 5001 / 2));
    ASSERT_EQ(Execute(q, 1), OCI_SUCCESS) << Error();
    OCIStmt *probe = NewStmt(cursors.c_str());
    int open = -1;
    DefineInts(probe, 1, &open);
    ASSERT_EQ(Execute(probe, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(open, 2);  // q's cursor and the probe's own
    EXPECT_EQ(fetchAll(), std::make_pair(5000L, 5000L * 5001 / 2));
    OCIHandleFree(probe, OCI_HTYPE_STMT);
    OCIHandleFree(q, OCI_HTYPE_STMT);
}

// Data definition is committed at once; DML waits for OCITransCommit; a
// hold cursor survives the commit; a failed statement rolls back the block.
TEST_F(ExecuteTest, TransactionRules) {
    Run("drop table if exists tx_rules");  // left by an earlier failed run
    ASSERT_EQ(Run("create table tx_rules (id int primary key)"), OCI_SUCCESS) << Error();
    EXPECT_EQ(Other("select count(*) from pg_class where relname = 'tx_rules'"), "1");
    ASSERT_EQ(Run("insert into tx_rules values (1)"), OCI_SUCCESS) << Error();
    EXPECT_EQ(Other("select count(*) from tx_rules"), "0");

    // The commit comes while the held cursor's next batches are in flight.
    OCIStmt *held = NewStmt("select g from generate_series(1, 20000) g order by g");
    ub4 hold = 1;
    ASSERT_EQ(OCIAttrSet(held, OCI_HTYPE_STMT, &hold, 0, kHoldModeAttr, err), OCI_SUCCESS);
    int v = 0;
    DefineInts(held, 1, &v);
    ASSERT_EQ(Execute(held, 1), OCI_SUCCESS) << Error();
    int rows = 1;
    while (rows < 3000 && OCIStmtFetch2(held, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT) == OCI_SUCCESS)
        ASSERT_EQ(v, ++rows);
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(Other("select count(*) from tx_rules"), "1");
    sword rc;
    while ((rc = OCIStmtFetch2(held, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT)) == OCI_SUCCESS) ASSERT_EQ(v, ++rows);
    EXPECT_EQ(rc, OCI_NO_DATA) << Error();
    EXPECT_EQ(rows, 20000);

    // One prepared INSERT executed twice; the second execution's failure
    // (a duplicate key) takes the first one's row with it.
    OCIStmt *ins = NewStmt("insert into tx_rules values (:id)");
    int id = 2;
    BindInt(ins, ":id", &id);
    ASSERT_EQ(Execute(ins, 1), OCI_SUCCESS) << Error();
    id = 1;
    EXPECT_EQ(Execute(ins, 1), OCI_ERROR);
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(Other("select string_agg(id::text, ',' order by id) from tx_rules"), "1");
    id = 3;
    ASSERT_EQ(Execute(ins, 1, OCI_COMMIT_ON_SUCCESS), OCI_SUCCESS) << Error();
    EXPECT_EQ(Other("select string_agg(id::text, ',' order by id) from tx_rules"), "1,3");
    OCIStmt *prepared = NewStmt("select count(*)::int from pg_prepared_statements where statement like 'insert%'");
    int n = 0;
    DefineInts(prepared, 1, &n);
    ASSERT_EQ(Execute(prepared, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(n, 1);
    ASSERT_EQ(Run("drop table tx_rules"), OCI_SUCCESS) << Error();
}

// Scrollable cursors reposition; others refuse to; nrows 0 closes.
TEST_F(ExecuteTest, ScrollingAndCancelling) {
    OCIStmt *s = NewStmt("select g from generate_series(1, 200) g order by g");
    int v = 0;
    DefineInts(s, 1, &v);
    ASSERT_EQ(Execute(s, 0, OCI_STMT_SCROLLABLE_READONLY), OCI_SUCCESS) << Error();
    ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_LAST, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 200);
    EXPECT_EQ(Attr(s, OCI_ATTR_CURRENT_POSITION), 200u);
    ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_ABSOLUTE, 5, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 5);
    ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_PRIOR, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 4);
    ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_ABSOLUTE, 150, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 150);
    ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_RELATIVE, -100, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 50);
    ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 51);
    ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_LAST, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 200);
    EXPECT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_ABSOLUTE, 0, OCI_DEFAULT), OCI_NO_DATA);
    ASSERT_EQ(OCIStmtFetch2(s, err, 1, OCI_FETCH_FIRST, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 1);

    OCIStmt *f = NewStmt("select g from generate_series(1, 3) g");
    DefineInts(f, 1, &v);
    ASSERT_EQ(Execute(f, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(OCIStmtFetch2(f, err, 1, OCI_FETCH_PRIOR, 0, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), 24391);
    EXPECT_EQ(OCIStmtFetch2(f, err, 0, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(OCIStmtFetch2(f, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
}

// Describing or parsing a query runs nothing; a REF CURSOR a query hands
// out is fetched through its own statement handle.
TEST_F(ExecuteTest, DescribeOnlyAndRefCursor) {
    Run("drop sequence if exists described_seq");
    ASSERT_EQ(Run("create sequence described_seq"), OCI_SUCCESS) << Error();
    OCIStmt *s = NewStmt("select nextval('described_seq') as a, 'x'::text as b");
    ASSERT_EQ(Execute(s, 0, OCI_DESCRIBE_ONLY), OCI_SUCCESS) << Error();
    EXPECT_EQ(Attr(s, OCI_ATTR_PARAM_COUNT), 2u);
    ASSERT_EQ(Execute(s, 0, OCI_PARSE_ONLY), OCI_SUCCESS) << Error();
    int v = 0;
    DefineInts(s, 1, &v);
    ASSERT_EQ(Execute(s, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(v, 1);

    ASSERT_EQ(Run("create or replace function three_rows() returns refcursor language plpgsql as "
                  "$$declare c refcursor; begin open c for select g from generate_series(1, 3) g; "
                  "return c; end$$"),
              OCI_SUCCESS)
        << Error();
    OCIStmt *parent = NewStmt("select three_rows()");
    OCIStmt *child = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&child), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    OCIDefine *d = nullptr;
    ASSERT_EQ(OCIDefineByPos(parent, &d, err, 1, &child, sizeof child, SQLT_RSET, nullptr, nullptr, nullptr,
                             OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(Execute(parent, 1), OCI_SUCCESS) << Error();
    int c = 0;
    DefineInts(child, 1, &c);
    for (int want = 1; want <= 3; ++want) {
        ASSERT_EQ(OCIStmtFetch2(child, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
        EXPECT_EQ(c, want);
    }
    EXPECT_EQ(OCIStmtFetch2(child, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
    EXPECT_EQ(Attr(child, OCI_ATTR_ROW_COUNT), 3u);
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(Run("drop function three_rows()"), OCI_SUCCESS) << Error();
    EXPECT_EQ(Run("drop sequence described_seq"), OCI_SUCCESS) << Error();
}

// Server notices become OCI_SUCCESS_WITH_INFO with the notice's record.
// A dynamic define numbers its callbacks by slot of the whole fetch, also
// when the rows of one array fetch come from two batches.
struct DynamicRows {
    std::vector<std::pair<ub4, int>> seen;
    int value = 0;
    ub4 length = sizeof(int);
    sb2 indicator = 0;
    ub2 code = 0;
};
sb4 TakeRow(void *ctx, OCIDefine *, ub4 iter, void **bufp, ub4 **alenp, ub1 *piecep, void **indp, ub2 **rcodep) {
    auto *rows = static_cast<DynamicRows *>(ctx);
    if (!rows->seen.empty()) rows->seen.back().second = rows->value;
    rows->seen.emplace_back(iter, 0);
    *bufp = &rows->value;
    rows->length = sizeof(int);
    *alenp = &rows->length;
    *piecep = OCI_ONE_PIECE;
    *indp = &rows->indicator;
    *rcodep = &rows->code;
    return OCI_CONTINUE;
}

TEST_F(ExecuteTest, DynamicDefineCountsSlotsAcrossBatches) {
    OCIStmt *s = NewStmt("select g from generate_series(1, 300) g");
    OCIDefine *d = nullptr;
    ASSERT_EQ(OCIDefineByPos(s, &d, err, 1, nullptr, sizeof(int), SQLT_INT, nullptr, nullptr, nullptr,
                             OCI_DYNAMIC_FETCH),
              OCI_SUCCESS);
    DynamicRows rows;
    ASSERT_EQ(OCIDefineDynamic(d, err, &rows, TakeRow), OCI_SUCCESS);
    ASSERT_EQ(Execute(s, 0), OCI_SUCCESS) << Error();
    ASSERT_EQ(OCIStmtFetch2(s, err, 200, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
    rows.seen.back().second = rows.value;
    ASSERT_EQ(rows.seen.size(), 200u);
    for (ub4 i = 0; i < 200; ++i) {
        EXPECT_EQ(rows.seen[i].first, i);
        EXPECT_EQ(rows.seen[i].second, static_cast<int>(i) + 1);
    }
    OCIHandleFree(s, OCI_HTYPE_STMT);
}

// Strings bound into date, timestamp and numeric places convert on the
// server, as OCI applications expect; ":p IS NULL" still prepares.
TEST_F(ExecuteTest, TextBindsTakeTheTypeOfTheirPlace) {
    ASSERT_EQ(Run("CREATE TABLE text_binds (d date, ts timestamp, n numeric(8,2), s varchar(10))"), OCI_SUCCESS)
        << Error();
    OCIStmt *ins = NewStmt("INSERT INTO text_binds VALUES (:d, :ts, :n, :s)");
    char d[] = "2026-03-04", ts[] = "2026-03-04 05:06:07", n[] = "12.5", str[] = "x";
    char *values[] = {d, ts, n, str};
    const char *names[] = {":d", ":ts", ":n", ":s"};
    for (int i = 0; i < 4; ++i) {
        OCIBind *b = nullptr;
        ASSERT_EQ(OCIBindByName(ins, &b, err, Text(names[i]), -1, values[i],
                                static_cast<sb4>(std::strlen(values[i]) + 1), SQLT_STR, nullptr, nullptr, nullptr,
                                0, nullptr, OCI_DEFAULT),
                  OCI_SUCCESS);
    }
    ASSERT_EQ(Execute(ins, 1), OCI_SUCCESS) << Error();
    OCIHandleFree(ins, OCI_HTYPE_STMT);

    OCIStmt *q = NewStmt("SELECT count(*) FROM text_binds WHERE (:p IS NULL OR s = :p) AND ts > :after");
    char p[] = "x", after[] = "2026-01-01";
    OCIBind *b = nullptr;
    ASSERT_EQ(OCIBindByName(q, &b, err, Text(":p"), -1, p, sizeof p, SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr,
                            OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(OCIBindByName(q, &b, err, Text(":after"), -1, after, sizeof after, SQLT_STR, nullptr, nullptr, nullptr,
                            0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    int count = -1;
    DefineInts(q, 1, &count);
    ASSERT_EQ(Execute(q, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(count, 1);
    OCIHandleFree(q, OCI_HTYPE_STMT);
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(QueryValue(other, "SELECT d || ' ' || ts || ' ' || n FROM text_binds"),
              "2026-03-04 2026-03-04 05:06:07 12.50");
    EXPECT_EQ(Run("DROP TABLE text_binds"), OCI_SUCCESS);
}

TEST_F(ExecuteTest, NoticeGivesSuccessWithInfo) {
    ASSERT_EQ(Run("create or replace function noisy() returns int language plpgsql as "
                  "$$begin raise notice 'a word from the server'; return 7; end$$"),
              OCI_SUCCESS)
        << Error();
    OCIStmt *s = NewStmt("select noisy()");
    int v = 0;
    DefineInts(s, 1, &v);
    EXPECT_EQ(Execute(s, 1), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(v, 7);
    EXPECT_NE(Error().find("a word from the server"), std::string::npos) << Error();
    EXPECT_EQ(Run("drop function noisy()"), OCI_SUCCESS) << Error();
}

// Two cursors on one connection fetched in turns, with DML and a
// re-execution on the same connection in between: each sees its own rows,
// in order, once.
TEST_F(ExecuteTest, TwoCursorsFetchedAlternately) {
    Run("drop table if exists alternating");
    ASSERT_EQ(Run("create table alternating (n int)"), OCI_SUCCESS) << Error();
    OCIStmt *a = NewStmt("select g from generate_series(1, 20000) g");
    OCIStmt *b = NewStmt("select g from generate_series(1000001, 1020000) g");
    OCIStmt *ins = NewStmt("insert into alternating values (:n)");
    int va[100] = {}, vb[100] = {}, n = 0;
    DefineInts(a, 1, va);
    DefineInts(b, 1, vb);
    BindInt(ins, ":n", &n);
    ASSERT_EQ(Execute(a, 0), OCI_SUCCESS) << Error();
    ASSERT_EQ(Execute(b, 0), OCI_SUCCESS) << Error();
    int nextA = 1, nextB = 1000001;
    for (int round = 0; round < 200; ++round) {
        ASSERT_EQ(OCIStmtFetch2(a, err, 100, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
        for (int v : va) ASSERT_EQ(v, nextA++);
        ASSERT_EQ(OCIStmtFetch2(b, err, 100, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
        for (int v : vb) ASSERT_EQ(v, nextB++);
        if (round % 50 == 0) {
            n = round;
            ASSERT_EQ(Execute(ins, 1), OCI_SUCCESS) << Error();
        }
        if (round == 99) {
            // Re-executed while both cursors have batches in flight.
            ASSERT_EQ(Execute(a, 0), OCI_SUCCESS) << Error();
            nextA = 1;
        }
    }
    EXPECT_EQ(OCIStmtFetch2(b, err, 100, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
    EXPECT_EQ(Attr(a, OCI_ATTR_ROW_COUNT), 10000u);
    EXPECT_EQ(Attr(b, OCI_ATTR_ROW_COUNT), 20000u);
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(Other("select count(*) from alternating"), "4");
    EXPECT_EQ(Run("drop table alternating"), OCI_SUCCESS) << Error();
}

// A query read to its end keeps no server cursor: the table can be altered
// and dropped in the same transaction while the statements still exist,
// whether the end came with the first batch or after batches read ahead.
TEST_F(ExecuteTest, FinishedQueriesLeaveNoCursorBehind) {
    Run("drop table if exists finished");
    ASSERT_EQ(Run("create table finished as select g as n from generate_series(1, 100000) g"), OCI_SUCCESS)
        << Error();
    OCIStmt *few = NewStmt("select n from finished where n <= 3 order by n");
    OCIStmt *all = NewStmt("select n from finished order by n");
    int one = 0, many[100] = {};
    DefineInts(few, 1, &one);
    DefineInts(all, 1, many);
    ASSERT_EQ(Execute(few, 1), OCI_SUCCESS) << Error();
    ASSERT_EQ(Execute(all, 0), OCI_SUCCESS) << Error();
    long long sum = 0;
    sword rc;
    while ((rc = OCIStmtFetch2(all, err, 100, OCI_FETCH_NEXT, 0, OCI_DEFAULT)) == OCI_SUCCESS)
        for (int v : many) sum += v;
    ASSERT_EQ(rc, OCI_NO_DATA) << Error();
    EXPECT_EQ(sum, 100000LL * 100001 / 2);
    // The rows of the first batch are still delivered after its cursor went.
    for (int want = 2; want <= 3; ++want) {
        ASSERT_EQ(OCIStmtFetch2(few, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
        EXPECT_EQ(one, want);
    }
    EXPECT_EQ(OCIStmtFetch2(few, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
    EXPECT_EQ(OCIStmtFetch2(all, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_NO_DATA);
    EXPECT_EQ(Run("alter table finished add column m int"), OCI_SUCCESS) << Error();
    // Re-executed after their cursors went, both start again.
    ASSERT_EQ(Execute(few, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(one, 1);
    ASSERT_EQ(Execute(all, 1), OCI_SUCCESS) << Error();
    EXPECT_EQ(many[0], 1);
    EXPECT_EQ(OCIStmtFetch2(all, err, 0, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Error();
    OCIHandleFree(few, OCI_HTYPE_STMT);
    OCIHandleFree(all, OCI_HTYPE_STMT);
    EXPECT_EQ(Run("drop table finished"), OCI_SUCCESS) << Error();
}

// The backend killed in the middle of a fetch: the fetch fails with a
// record, and so does the next call on the connection.
TEST_F(ExecuteTest, BackendKilledDuringFetch) {
    OCIStmt *pid = NewStmt("select pg_backend_pid()");
    int backend = 0;
    DefineInts(pid, 1, &backend);
    ASSERT_EQ(Execute(pid, 1), OCI_SUCCESS) << Error();

    OCIStmt *s = NewStmt("select g from generate_series(1, 2000000) g");
    int values[50] = {};
    DefineInts(s, 1, values);
    ASSERT_EQ(Execute(s, 50), OCI_SUCCESS) << Error();
    for (int i = 0; i < 30; ++i) ASSERT_EQ(OCIStmtFetch2(s, err, 50, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Other("select pg_terminate_backend(" + std::to_string(backend) + ")"), "t");
    sword rc = OCI_SUCCESS;
    // Rows already read ahead are still served; the loss shows after them.
    for (int i = 0; i < 100000 && rc == OCI_SUCCESS; ++i)
        rc = OCIStmtFetch2(s, err, 50, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
    EXPECT_EQ(rc, OCI_ERROR);
    EXPECT_NE(ErrorCode(), 0) << Error();
    EXPECT_EQ(OCIStmtFetch2(s, err, 50, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), 25407);
    EXPECT_EQ(Execute(pid, 1), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), 25407);
}

}  // namespace

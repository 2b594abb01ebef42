// Statements in both modes: placeholder names, statement classes, the
// statement attributes Oracle's drivers read, ROWID descriptors, the
// statement cache keyed by text, NLS_DATE_FORMAT on fetched dates, and the
// numbers of server errors.
#include <oci.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "compat_session.h"

namespace {

using compat_test::CompatSession;
using compat_test::Text;

class Statement : public CompatSession {
protected:
    ub2 ClassOf(const std::string &sql) {
        EXPECT_EQ(Prepare(sql), OCI_SUCCESS) << sql;
        ub2 type = 0;
        EXPECT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, &type, nullptr, OCI_ATTR_STMT_TYPE, err), OCI_SUCCESS);
        return type;
    }
};

TEST_P(Statement, BindByNameWithoutColon) {
    ASSERT_EQ(Prepare("select :Val + 1"), OCI_SUCCESS);
    int value = 41, result = 0;
    OCIBind *bind = nullptr;
    const sword rc = OCIBindByName(stmt, &bind, err, Text("VAL"), 3, &value, sizeof value, SQLT_INT, nullptr,
                                   nullptr, nullptr, 0, nullptr, OCI_DEFAULT);
    if (!Oracle()) {
        // Only ":VAL" names the placeholder.
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_NE(ErrorCode(), 0);
        return;
    }
    ASSERT_EQ(rc, OCI_SUCCESS) << Message();
    OCIDefine *def = nullptr;
    ASSERT_EQ(OCIDefineByPos(stmt, &def, err, 1, &result, sizeof result, SQLT_INT, nullptr, nullptr, nullptr,
                             OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(OCIStmtExecute(svc, stmt, err, 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS) << Message();
    EXPECT_EQ(result, 42);
    // With the colon, in any case, the same placeholder.
    ASSERT_EQ(OCIBindByName(stmt, &bind, err, Text(":vAl"), -1, &value, sizeof value, SQLT_INT, nullptr, nullptr,
                            nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
}

TEST_P(Statement, ClassesOfQueriesAndCalls) {
    const ub2 query = Oracle() ? OCI_STMT_SELECT : 0;
    EXPECT_EQ(ClassOf("WITH t AS (SELECT 1 AS x) SELECT x FROM t"), query);
    EXPECT_EQ(ClassOf("values (1), (2)"), query);
    EXPECT_EQ(ClassOf("TABLE pg_catalog.pg_am"), query);
    EXPECT_EQ(ClassOf("(select 1) union (select 2)"), query);
    EXPECT_EQ(ClassOf("CALL nothing()"), Oracle() ? OCI_STMT_CALL : 0);
    EXPECT_EQ(ClassOf("WITHOUT"), 0);
    EXPECT_EQ(ClassOf("select 1"), OCI_STMT_SELECT);
    if (!Oracle()) return;
    // A WITH query runs as a query: executed without rows, then fetched.
    ASSERT_EQ(Prepare("with t(x) as (values (7), (8)) select x from t order by x"), OCI_SUCCESS);
    int x = 0;
    OCIDefine *def = nullptr;
    ASSERT_EQ(OCIDefineByPos(stmt, &def, err, 1, &x, sizeof x, SQLT_INT, nullptr, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(OCIStmtExecute(svc, stmt, err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS) << Message();
    ASSERT_EQ(OCIStmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(x, 7);
    // CALL runs as the server's CALL.
    Run("create or replace procedure compat_noop() language sql as $$ select 1 $$");
    ASSERT_EQ(Execute("call compat_noop()"), OCI_SUCCESS) << Message();
}

TEST_P(Statement, AttributesDriversRead) {
    ASSERT_EQ(Prepare("select :a, :b, :a from generate_series(1, 5)"), OCI_SUCCESS);
    ub2 offset = 99;
    ub4 binds = 0;
    ub1 returning = 9;
    const sword offsetRc = OCIAttrGet(stmt, OCI_HTYPE_STMT, &offset, nullptr, OCI_ATTR_PARSE_ERROR_OFFSET, err);
    const sword bindsRc = OCIAttrGet(stmt, OCI_HTYPE_STMT, &binds, nullptr, OCI_ATTR_BIND_COUNT, err);
    const sword returningRc = OCIAttrGet(stmt, OCI_HTYPE_STMT, &returning, nullptr, OCI_ATTR_STMT_IS_RETURNING, err);
    if (!Oracle()) {
        EXPECT_EQ(offsetRc, OCI_ERROR);
        EXPECT_EQ(bindsRc, OCI_ERROR);
        EXPECT_EQ(returningRc, OCI_ERROR);
    } else {
        EXPECT_EQ(offsetRc, OCI_SUCCESS);
        EXPECT_EQ(offset, 0);
        EXPECT_EQ(bindsRc, OCI_SUCCESS);
        EXPECT_EQ(binds, 3u);  // every occurrence, as OCIStmtGetBindInfo lists them
        EXPECT_EQ(returningRc, OCI_SUCCESS);
        EXPECT_EQ(returning, 0);
    }
    // Rows of each fetch call, the short last one included.
    ASSERT_EQ(Prepare("select g from generate_series(1, 5) g"), OCI_SUCCESS);
    int values[2] = {};
    OCIDefine *def = nullptr;
    ASSERT_EQ(OCIDefineByPos(stmt, &def, err, 1, values, sizeof values[0], SQLT_INT, nullptr, nullptr, nullptr,
                             OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(OCIStmtExecute(svc, stmt, err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS);
    ub4 fetched = 99;
    ASSERT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, &fetched, nullptr, OCI_ATTR_ROWS_FETCHED, err), OCI_SUCCESS);
    EXPECT_EQ(fetched, 0u);
    const sword expected[3] = {OCI_SUCCESS, OCI_SUCCESS, OCI_NO_DATA};
    const ub4 rows[3] = {2, 2, 1};
    for (int call = 0; call < 3; ++call) {
        EXPECT_EQ(OCIStmtFetch2(stmt, err, 2, OCI_FETCH_NEXT, 0, OCI_DEFAULT), expected[call]);
        ASSERT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, &fetched, nullptr, OCI_ATTR_ROWS_FETCHED, err), OCI_SUCCESS);
        EXPECT_EQ(fetched, rows[call]) << "fetch call " << call;
    }
}

TEST_P(Statement, RowidDescriptorAnswersNoRowid) {
    OCIRowid *rowid = nullptr;
    const sword rc = OCIDescriptorAlloc(env, reinterpret_cast<void **>(&rowid), OCI_DTYPE_ROWID, 0, nullptr);
    if (!Oracle()) {
        EXPECT_EQ(rc, OCI_INVALID_HANDLE);
        return;
    }
    ASSERT_EQ(rc, OCI_SUCCESS);
    Run("create temp table compat_rowid (x int)");
    Run("insert into compat_rowid values (1)");
    ub4 size = 99;
    EXPECT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, rowid, &size, OCI_ATTR_ROWID, err), OCI_SUCCESS);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(OCIDescriptorFree(rowid, OCI_DTYPE_ROWID), OCI_SUCCESS);
}

TEST_P(Statement, CacheFindsReleasedStatementByText) {
    const std::string sql = "select 1 from pg_catalog.pg_am where amname = :n";
    OCIStmt *first = nullptr, *second = nullptr, *other = nullptr;
    ASSERT_EQ(OCIStmtPrepare2(svc, &first, err, Text(sql), static_cast<ub4>(sql.size()), nullptr, 0, OCI_NTV_SYNTAX,
                              OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(OCIStmtRelease(first, err, nullptr, 0, OCI_DEFAULT), OCI_SUCCESS);
    const std::string padded = "  " + sql + "\n";
    ASSERT_EQ(OCIStmtPrepare2(svc, &second, err, Text(padded), static_cast<ub4>(padded.size()), nullptr, 0,
                              OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(second == first, Oracle());
    // Handed out once: a second prepare of the text while it is in use
    // gets a statement of its own.
    ASSERT_EQ(OCIStmtPrepare2(svc, &other, err, Text(sql), static_cast<ub4>(sql.size()), nullptr, 0, OCI_NTV_SYNTAX,
                              OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_NE(other, second);
    OCIStmtRelease(second, err, nullptr, 0, OCI_DEFAULT);
    OCIStmtRelease(other, err, nullptr, 0, OCI_DEFAULT);
}

TEST_P(Statement, NlsDateFormatShapesFetchedDates) {
    setenv("NLS_DATE_FORMAT", "DD.MM.YYYY HH24:MI", 1);
    const std::string date = Value("select date '2024-03-05'");
    const std::string stamp = Value("select timestamp '2024-03-05 13:14:15.5'");
    unsetenv("NLS_DATE_FORMAT");
    if (Oracle()) {
        EXPECT_EQ(date, "05.03.2024 00:00");
        EXPECT_EQ(stamp, "05.03.2024 13:14");
    } else {
        // The server has no setting for it: the session's own style.
        EXPECT_EQ(date, "2024-03-05");
        EXPECT_EQ(stamp, "2024-03-05 13:14:15.5");
    }
    EXPECT_EQ(Value("select date '2024-03-05'"), "2024-03-05");
}

// Server errors through OCIStmtExecute: the Oracle mode gives each a
// fitting number, by its code or else its class, with the server's message
// after the number where the library has no text of its own; the default
// mode keeps number 0 and the bare message for the codes it has no number for.
TEST_P(Statement, ServerErrorsCarryFittingNumbers) {
    Run("drop table if exists compat_err_child, compat_err");
    Run("create table compat_err (id int primary key, name text not null)");
    Run("create table compat_err_child (parent int references compat_err)");
    struct Case {
        const char *sql;
        sb4 oracle;
        sb4 own;
        const char *serverWords;  // of the server's message, shown where the library has no text
        bool oracleHasText;       // the catalogue's text stands for the server's in the Oracle mode
    };
    const Case cases[] = {
        {"select nosuch from compat_err", 904, 0, "nosuch", false},                        // undefined column
        {"select nosuch_function(1)", 904, 0, "nosuch_function", false},                   // undefined function
        {"insert into compat_err values (1, null)", 1400, 0, "compat_err", true},           // not null
        {"insert into compat_err_child values (7)", 2291, 0, "compat_err_child", false},    // foreign key
        {"select ln(0)", 1722, 0, "logarithm", true},                                      // by its class, 22
        {"do $$ begin raise exception 'boom %', 42; end $$", 20000, 0, "boom 42", false},  // RAISE EXCEPTION
        {"select 1/0", 1476, 1476, nullptr, true},                                         // in both modes
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Execute(c.sql), OCI_ERROR) << c.sql;
        const std::string text = Message();
        EXPECT_EQ(ErrorCode(), Oracle() ? c.oracle : c.own) << c.sql << ": " << text;
        if (Oracle() && !c.oracleHasText) {
            char number[16];
            std::snprintf(number, sizeof number, "-%05d: ", static_cast<int>(c.oracle));
            EXPECT_EQ(text.find(number), text.find('-')) << c.sql << ": " << text;
        }
        if (c.serverWords != nullptr && !(Oracle() && c.oracleHasText)) {
            EXPECT_NE(text.find(c.serverWords), std::string::npos) << c.sql << ": " << text;
        }
    }
    Run("drop table compat_err_child, compat_err");
}

// Oracle converts a NUMBER bind to whatever its place takes; the server
// finds no substr or repeat over numeric.
TEST_P(Statement, NumbersBoundWhereAnIntegerIsWanted) {
    OCINumber position{}, times{};
    auto set = [&](OCINumber &n, int v) {
        ASSERT_EQ(OCINumberFromInt(err, &v, sizeof v, OCI_NUMBER_SIGNED, &n), OCI_SUCCESS);
    };
    auto bindAll = [&](char *s) {
        OCIBind *b = nullptr;
        ASSERT_EQ(OCIBindByName(stmt, &b, err, Text(":s"), -1, s, 8, SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr,
                                OCI_DEFAULT),
                  OCI_SUCCESS);
        ASSERT_EQ(OCIBindByName(stmt, &b, err, Text(":p"), -1, &position, sizeof position, SQLT_VNU, nullptr, nullptr,
                                nullptr, 0, nullptr, OCI_DEFAULT),
                  OCI_SUCCESS);
    };
    char word[8] = "hello", tail[16] = "";
    set(position, 2);
    ASSERT_EQ(Prepare("select substr(:s, :p)"), OCI_SUCCESS);
    bindAll(word);
    OCIDefine *def = nullptr;
    ASSERT_EQ(OCIDefineByPos(stmt, &def, err, 1, tail, sizeof tail, SQLT_STR, nullptr, nullptr, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    const sword rc = OCIStmtExecute(svc, stmt, err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
    if (!Oracle()) {
        // The spec's typing stands: the server's refusal is the outcome.
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_NE(Message().find("substr"), std::string::npos) << Message();
        return;
    }
    ASSERT_EQ(rc, OCI_SUCCESS) << Message();
    EXPECT_STREQ(tail, "ello");
    // Bound again (as drivers do before every execution), the next value.
    set(position, 4);
    bindAll(word);
    ASSERT_EQ(OCIStmtExecute(svc, stmt, err, 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS) << Message();
    EXPECT_STREQ(tail, "lo");

    // DML, inside a transaction: the work before it stays.
    Run("drop table if exists compat_nums");
    Run("create table compat_nums (v text)");
    ASSERT_EQ(Execute("insert into compat_nums values ('kept')"), OCI_SUCCESS) << Message();
    set(times, 3);
    ASSERT_EQ(Prepare("insert into compat_nums values (repeat('ab', :n))"), OCI_SUCCESS);
    OCIBind *b = nullptr;
    ASSERT_EQ(OCIBindByName(stmt, &b, err, Text(":n"), -1, &times, sizeof times, SQLT_VNU, nullptr, nullptr, nullptr,
                            0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(OCIStmtExecute(svc, stmt, err, 1, 0, nullptr, nullptr, OCI_DEFAULT), OCI_SUCCESS) << Message();
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Value("select string_agg(v, ',' order by v) from compat_nums"), "ababab,kept");
    Run("drop table compat_nums");
}

INSTANTIATE_TEST_SUITE_P(Modes, Statement, ::testing::Bool(), compat_test::ModeName);

}  // namespace

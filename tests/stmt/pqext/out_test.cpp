// OUT parameters: procedures with IN, OUT and IN OUT arguments, functions
// with and without OUT arguments, schema-qualified and oddly named routines.
#include "pqext_test_support.h"

namespace {

using namespace pqext_test;

class PqextOut : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        Conn c;
        Exec(c, "DROP SCHEMA IF EXISTS pqx CASCADE");
        Exec(c, "CREATE SCHEMA pqx");
        Exec(c, "CREATE TABLE pqx.victim (x int)");
        Exec(c,
             "CREATE PROCEDURE pqx.adjust(a int, OUT b text, INOUT c int) LANGUAGE plpgsql AS "
             "$$ BEGIN b := 'got ' || a; c := c * 2; END $$");
        Exec(c, "CREATE FUNCTION pqx.twice(x int) RETURNS int LANGUAGE sql AS 'SELECT x * 2'");
        Exec(c, "CREATE OR REPLACE FUNCTION public.twice(x int) RETURNS int LANGUAGE sql AS 'SELECT x * 3'");
        Exec(c, "CREATE FUNCTION pqx.split(a int, OUT q int, OUT r int) LANGUAGE sql AS 'SELECT a / 7, a % 7'");
        Exec(c,
             "CREATE FUNCTION pqx.\"Odd \"\"name\"\"); DROP TABLE pqx.victim; --\"(v text) RETURNS text "
             "LANGUAGE sql AS 'SELECT upper(v)'");
    }

    // Prepares `text` and runs it once: the call's result and the out result.
    void Call(const char *text, int n, const int *modes, const char *const *values) {
        PQclear(result);
        PQclear(out);
        result = out = nullptr;
        const std::string name = "call" + std::to_string(++calls);
        PGresult *res = PQprepareOut(c, name.c_str(), text, n, nullptr, modes);
        ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK) << PQresultErrorMessage(res);
        PQclear(res);
        ASSERT_EQ(PQsendQueryPreparedOut(c, name.c_str(), n, values, nullptr, nullptr, 0), 1);
        result = TakeOne(c);
        ASSERT_EQ(PQresultStatus(result), PGRES_TUPLES_OK) << PQresultErrorMessage(result);
        out = PQgetOutResult(c);
        ASSERT_NE(out, nullptr);
        ASSERT_EQ(PQntuples(out), 1);
        ASSERT_EQ(PQnfields(out), n);
        EXPECT_EQ(PQgetOutResult(c), nullptr);  // one per call
    }

    std::string OutValue(int col) const { return PQgetisnull(out, 0, col) ? "NULL" : PQgetvalue(out, 0, col); }

    void TearDown() override {
        PQclear(result);
        PQclear(out);
    }

    Conn c;
    PGresult *result = nullptr;
    PGresult *out = nullptr;
    int calls = 0;
};

TEST_F(PqextOut, ProcedureWithInOutAndInOutArguments) {
    const int modes[] = {1, 2, 3};
    const char *values[] = {"5", "ignored", "21"};
    ASSERT_NO_FATAL_FAILURE(Call("CALL pqx.adjust ( $1 , $2 , $3 );", 3, modes, values));
    EXPECT_EQ(OutValue(0), "NULL");  // IN
    EXPECT_EQ(OutValue(1), "got 5");
    EXPECT_EQ(OutValue(2), "42");
    EXPECT_STREQ(PQfname(out, 1), "b");
    EXPECT_EQ(PQftype(out, 2), 23u);

    // The same statement again, with other values: a fresh out result.
    const char *more[] = {"7", nullptr, "-4"};
    ASSERT_EQ(PQsendQueryPreparedOut(c, "call1", 3, more, nullptr, nullptr, 0), 1);
    PGresult *res = TakeOne(c);
    EXPECT_EQ(PQresultStatus(res), PGRES_TUPLES_OK);
    PQclear(res);
    PGresult *again = PQgetOutResult(c);
    ASSERT_NE(again, nullptr);
    EXPECT_STREQ(PQgetvalue(again, 0, 1), "got 7");
    EXPECT_STREQ(PQgetvalue(again, 0, 2), "-8");
    PQclear(again);
}

TEST_F(PqextOut, FunctionValueAndOutArguments) {
    const int in[] = {1};
    const char *v21[] = {"21"};
    ASSERT_NO_FATAL_FAILURE(Call("CALL pqx.twice($1)", 1, in, v21));
    EXPECT_STREQ(PQgetvalue(result, 0, 0), "42");  // the schema's function, not public.twice
    EXPECT_EQ(OutValue(0), "NULL");
    ASSERT_NO_FATAL_FAILURE(Call("CALL twice($1)", 1, in, v21));
    EXPECT_STREQ(PQgetvalue(result, 0, 0), "63");  // found on the search path

    // OUT arguments are not passed to a function; they come back as columns.
    const int modes[] = {1, 2, 2};
    const char *values[] = {"45", "x", "y"};
    ASSERT_NO_FATAL_FAILURE(Call("CALL pqx.split($1, $2, $3)", 3, modes, values));
    EXPECT_STREQ(PQgetvalue(result, 0, 0), "6");
    EXPECT_EQ(OutValue(0), "NULL");
    EXPECT_EQ(OutValue(1), "6");
    EXPECT_EQ(OutValue(2), "3");
    EXPECT_STREQ(PQfname(out, 2), "r");
}

TEST_F(PqextOut, NamesAreNeverPastedIntoSql) {
    const int in[] = {1};
    const char *value[] = {"abc"};
    ASSERT_NO_FATAL_FAILURE(Call("CALL pqx.\"Odd \"\"name\"\"); DROP TABLE pqx.victim; --\"($1)", 1, in, value));
    EXPECT_STREQ(PQgetvalue(result, 0, 0), "ABC");

    // A text that is not one call goes to the server as it is and fails there.
    PGresult *res = PQprepareOut(c, "bad1", "CALL pqx.twice($1); DROP TABLE pqx.victim; --", 1, nullptr, in);
    EXPECT_EQ(PQresultStatus(res), PGRES_FATAL_ERROR);
    PQclear(res);
    // A name nobody has: the server's error, nothing else.
    res = PQprepareOut(c, "bad2", "CALL \"o'brien\"($1)", 1, nullptr, in);
    EXPECT_EQ(Sqlstate(res), "42883");
    PQclear(res);
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT count(*) FROM pqx.victim"), "0");
}

TEST_F(PqextOut, NonBlockingPrepareAndAFailedCallLeaveNoOutResult) {
    const int in[] = {1};
    ASSERT_EQ(PQsendPrepareOut(c, "nb", "CALL pqx.twice($1)", 1, nullptr, in), 1);
    PGresult *res = TakeOne(c);
    ASSERT_EQ(PQresultStatus(res), PGRES_COMMAND_OK);
    PQclear(res);
    const char *bad[] = {"not a number"};
    ASSERT_EQ(PQsendQueryPreparedOut(c, "nb", 1, bad, nullptr, nullptr, 0), 1);
    res = TakeOne(c);
    EXPECT_EQ(Sqlstate(res), "22P02");
    PQclear(res);
    EXPECT_EQ(PQgetOutResult(c), nullptr);
    // The next statement's result is not taken for the failed call's.
    EXPECT_EQ(oci_test::QueryValue(c, "SELECT 1"), "1");
    EXPECT_EQ(PQgetOutResult(c), nullptr);
}

}  // namespace

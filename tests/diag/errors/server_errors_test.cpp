// Records built from real failed results of the test server.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <string>

#include "diag/errors.h"
#include "env/env.h"

namespace {

class ServerErrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        conn = PQconnectdb("");
        ASSERT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
        ASSERT_EQ(OCIEnvCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    }
    void TearDown() override {
        OCIHandleFree(env, OCI_HTYPE_ENV);
        PQfinish(conn);
    }
    // Runs a statement that must fail and records its result.
    void Fail(const char *sql) {
        PGresult *res = PQexec(conn, sql);
        ASSERT_EQ(PQresultStatus(res), PGRES_FATAL_ERROR) << sql;
        AddPGErrorRecord(err, OCI_ERROR, res);
        PQclear(res);
    }
    std::string Text(ub4 recordno, sb4 *code) {
        text buf[512];
        if (OCIErrorGet(err, recordno, nullptr, code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return "?";
        return reinterpret_cast<char *>(buf);
    }
    std::string ServerDetails(ub4 recordno, std::string *sqlstate) {
        OraText state[6] = {};
        OraText buf[512] = {};
        sword rc = OCIPGErrorGet(err, recordno, state, sizeof state, buf, sizeof buf, OCI_HTYPE_ERROR);
        if (rc != OCI_SUCCESS) return "<" + std::to_string(rc) + ">";
        *sqlstate = reinterpret_cast<char *>(state);
        return reinterpret_cast<char *>(buf);
    }
    PGconn *conn = nullptr;
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
};

TEST_F(ServerErrorTest, MappedStateGivesTheCatalogueTextAndKeepsTheServerMessage) {
    Fail("SELECT * FROM no_such_table_here");
    sb4 code = 0;
    EXPECT_EQ(Text(1, &code), "VOSKARI-00942: table or view does not exist");
    EXPECT_EQ(code, 942);
    std::string state;
    EXPECT_EQ(ServerDetails(1, &state), "relation \"no_such_table_here\" does not exist");
    EXPECT_EQ(state, "42P01");
}

// A unique violation names the constraint, never its text's placeholders.
TEST_F(ServerErrorTest, UniqueViolationNamesSchemaAndConstraint) {
    PQclear(PQexec(conn, "CREATE TEMP TABLE t_unique (a int CONSTRAINT t_unique_pk PRIMARY KEY)"));
    PQclear(PQexec(conn, "INSERT INTO t_unique VALUES (1)"));
    Fail("INSERT INTO t_unique VALUES (1)");
    sb4 code = 0;
    const std::string text = Text(1, &code);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text.rfind("VOSKARI-00001: unique constraint (pg_temp_", 0), 0u) << text;
    EXPECT_NE(text.find(".t_unique_pk) violated"), std::string::npos) << text;
}

TEST_F(ServerErrorTest, StateWithoutAnOciNumberUsesTheServerMessage) {
    PQclear(PQexec(conn, "CREATE TEMP TABLE t_notnull (a int NOT NULL)"));
    Fail("INSERT INTO t_notnull VALUES (NULL)");
    sb4 code = -1;
    const std::string text = Text(1, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(text.rfind("null value in column \"a\"", 0), 0u) << text;
    std::string state;
    EXPECT_EQ(ServerDetails(1, &state), text);
    EXPECT_EQ(state, "23502");
}

TEST_F(ServerErrorTest, UnmappedStateAlsoUsesTheServerMessage) {
    Fail("SELECT 1/0.0 FROM generate_series(1,1) WHERE false OR 1/0 = 1");
    sb4 code = -1;
    EXPECT_EQ(Text(1, &code), "VOSKARI-01476: division by zero");  // 22012 is mapped
    Fail("SELECT pg_catalog.no_such_function()");  // 42883, not in the map
    EXPECT_EQ(Text(2, &code), "function pg_catalog.no_such_function() does not exist");
    EXPECT_EQ(code, 0);
}

TEST_F(ServerErrorTest, ConnectionClassErrorsAreUnexpectedAndHaveNoServerDetails) {
    Fail("DO $$ BEGIN RAISE EXCEPTION 'link down' USING ERRCODE = '08006'; END $$");
    sb4 code = -1;
    EXPECT_EQ(Text(1, &code), "Unexpected error");
    EXPECT_EQ(code, 0);
    std::string state;
    EXPECT_EQ(ServerDetails(1, &state), "<100>");
}

TEST_F(ServerErrorTest, ResultsWithoutStateAreUnexpected) {
    // Failures libpq reports itself carry no SQLSTATE.
    PGresult *res = PQmakeEmptyPGresult(conn, PGRES_FATAL_ERROR);
    AddPGErrorRecord(err, OCI_ERROR, res);
    PQclear(res);
    sb4 code = -1;
    EXPECT_EQ(Text(1, &code), "Unexpected error");
    EXPECT_EQ(code, 0);

    // A server-side termination arrives with its own state (57P01) and message.
    PGconn *victim = PQconnectdb("");
    ASSERT_EQ(PQstatus(victim), CONNECTION_OK);
    const std::string pid = std::to_string(PQbackendPID(victim));
    PQclear(PQexec(conn, ("SELECT pg_terminate_backend(" + pid + ", 5000)").c_str()));
    res = PQexec(victim, "SELECT 1");
    if (res != nullptr && PQresultErrorField(res, PG_DIAG_SQLSTATE) != nullptr) {
        AddPGErrorRecord(err, OCI_ERROR, res);
        EXPECT_EQ(Text(2, &code), "terminating connection due to administrator command");
        EXPECT_EQ(code, 0);
    }
    PQclear(res);
    PQfinish(victim);
}

}  // namespace

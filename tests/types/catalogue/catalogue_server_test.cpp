// Resolving the server's raw type through the connection: a type named raw
// that the catalogue does not know by OID converts as raw; others do not.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdlib>
#include <string>

#include "types/bind/bind_test_support.h"
#include "types/conversion_tables.h"
#include "types/result_converters.h"

using bindtest::TestEnv;

namespace {

class RawType : public ::testing::Test {
protected:
    void SetUp() override {
        conn_ = PQconnectdb("");
        ASSERT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_);
        Command("BEGIN");
    }
    void TearDown() override {
        Command("ROLLBACK");
        PQfinish(conn_);
    }
    void Command(const std::string &sql) {
        PGresult *r = PQexec(conn_, sql.c_str());
        EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << sql << ": " << PQerrorMessage(conn_);
        PQclear(r);
    }
    // The one value `sql` returns, with its type.
    std::string Value(const std::string &sql, Oid *type) {
        PGresult *r = PQexec(conn_, sql.c_str());
        EXPECT_EQ(PQresultStatus(r), PGRES_TUPLES_OK) << sql << ": " << PQerrorMessage(conn_);
        std::string v = PQntuples(r) == 1 ? PQgetvalue(r, 0, 0) : "";
        *type = PQntuples(r) == 1 ? PQftype(r, 0) : 0;
        PQclear(r);
        return v;
    }
    PGconn *conn_ = nullptr;
};

TEST_F(RawType, ATypeNamedRawIsFoundThroughTheConnection) {
    Command("CREATE TYPE raw AS (b bytea)");
    Oid type = 0;
    const Oid raw = static_cast<Oid>(std::stoul(Value("SELECT oid FROM pg_type WHERE typname = 'raw'", &type)));
    ASSERT_GT(raw, 16383u);  // a user type, outside the catalogue

    EXPECT_EQ(findPQToOCIConversion(raw, SQLT_BIN, nullptr), nullptr);
    EXPECT_EQ(findPQToOCIConversion(raw, SQLT_BIN, conn_), ConvertBYTEAOIDToSQLT_BIN);
    EXPECT_EQ(findPQToOCIConversion(raw, SQLT_STR, conn_), ConvertBYTEAOIDToSQLT_STR);
    EXPECT_EQ(findPQToOCIConversion(raw, SQLT_INT, conn_), nullptr);
    EXPECT_EQ(findPQToOCIConversion(raw + 1, SQLT_BIN, conn_), nullptr);  // another unknown type

    // Through the second dispatcher a raw value lands as bytes; the first
    // one, which has no connection, refuses it.
    TestEnv t;
    unsigned char buffer[4] = {};
    ub4 length = sizeof buffer;
    sb2 ind = 7;
    EXPECT_EQ(PQ2OCIType_2(t.err, raw, "\\x01ab", 6, 0, SQLT_BIN, buffer, &length, &ind, nullptr, false, conn_),
              OCI_SUCCESS);
    EXPECT_EQ(length, 2u);
    EXPECT_EQ(buffer[0], 0x01);
    EXPECT_EQ(buffer[1], 0xAB);
    EXPECT_EQ(ind, 0);
    length = sizeof buffer;
    EXPECT_EQ(PQ2OCIType(t.err, raw, "\\x01ab", 6, 0, SQLT_BIN, buffer, &length, &ind, nullptr, false), OCI_ERROR);
    EXPECT_EQ(t.Records(),
              std::vector<std::string>{"932: VOSKARI-00932: data types not consistent - expected  got BINARY"});
}

TEST_F(RawType, WithoutARawTypeNothingIsFound) {
    Oid type = 0;
    EXPECT_EQ(Value("SELECT count(*) FROM pg_type WHERE typname = 'raw'", &type), "0");
    EXPECT_EQ(findPQToOCIConversion(50000, SQLT_BIN, conn_), nullptr);
    // The lookup leaves the session usable.
    EXPECT_EQ(Value("SELECT 1", &type), "1");
}

}  // namespace

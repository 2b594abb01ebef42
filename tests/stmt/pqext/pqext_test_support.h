// Shared by the tests of the extended client operations: a connection to the
// test cluster, command helpers, and a round-trip counter read from libpq's
// protocol trace.
#pragma once
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "stmt/pqext/pqext.h"
#include "support/server_test_support.h"

namespace pqext_test {

struct Conn {
    PGconn *conn;
    Conn() : conn(PQconnectdb(oci_test::ClusterUri().c_str())) {
        PQsetNoticeProcessor(conn, [](void *, const char *) {}, nullptr);
    }
    ~Conn() { PQfinish(conn); }
    Conn(const Conn &) = delete;
    Conn &operator=(const Conn &) = delete;
    operator PGconn *() const { return conn; }
};

inline bool Exec(PGconn *conn, const std::string &sql) {
    PGresult *res = PQexec(conn, sql.c_str());
    const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK || PQresultStatus(res) == PGRES_TUPLES_OK;
    if (!ok) ADD_FAILURE() << sql << ": " << PQresultErrorMessage(res);
    PQclear(res);
    return ok;
}

inline std::string Sqlstate(const PGresult *res) {
    const char *s = PQresultErrorField(res, PG_DIAG_SQLSTATE);
    return s != nullptr ? s : "";
}

// The one result a command sent alone yields; the null after it is checked.
inline PGresult *TakeOne(PGconn *conn) {
    PGresult *res = PQgetResult(conn);
    PGresult *extra = PQgetResult(conn);
    EXPECT_EQ(extra, nullptr) << "a second result: " << PQresStatus(PQresultStatus(extra));
    PQclear(extra);
    return res;
}

// Column 0 of every row.
inline std::vector<std::string> Column(const PGresult *res) {
    std::vector<std::string> values;
    for (int i = 0; i < PQntuples(res); ++i) values.emplace_back(PQgetvalue(res, i, 0));
    return values;
}

// Counts round trips from the protocol trace: every turn from messages the
// client wrote to messages the server sent is one wait for the server.
class RoundTrips {
public:
    explicit RoundTrips(PGconn *conn) : conn_(conn), file_(std::tmpfile()) {
        PQtrace(conn_, file_);
        PQsetTraceFlags(conn_, PQTRACE_SUPPRESS_TIMESTAMPS);
    }
    ~RoundTrips() {
        PQuntrace(conn_);
        std::fclose(file_);
    }
    int Count() {
        std::fflush(file_);
        std::rewind(file_);
        int turns = 0;
        char previous = 0;
        char *line = nullptr;
        size_t size = 0;
        // One message a line: direction, length, type, contents.
        while (getline(&line, &size, file_) != -1) {
            if (line[0] != 'F' && line[0] != 'B') continue;
            if (previous == 'F' && line[0] == 'B') ++turns;
            previous = line[0];
        }
        std::free(line);
        std::fseek(file_, 0, SEEK_END);
        return turns;
    }

private:
    PGconn *conn_;
    FILE *file_;
};

}  // namespace pqext_test

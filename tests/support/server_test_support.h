// Shared by the tests that reach the throwaway cluster.
#pragma once
#include <libpq-fe.h>

#include <cstdlib>
#include <string>

namespace oci_test {

// The test cluster as a connection URI: it listens on a unix socket only,
// which host:port/database identifiers cannot name. `user` may be empty.
inline std::string ClusterUri(const std::string &user = "") {
    auto var = [](const char *name) { return std::string(std::getenv(name) ? std::getenv(name) : ""); };
    return "postgresql://" + user + (user.empty() ? "" : "@") + "/" + var("PGDATABASE") + "?host=" + var("PGHOST") +
           "&port=" + var("PGPORT");
}

// First column of the first row, or "?" when the query gives none.
inline std::string QueryValue(PGconn *conn, const std::string &sql) {
    PGresult *res = PQexec(conn, sql.c_str());
    std::string value = PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) > 0 ? PQgetvalue(res, 0, 0) : "?";
    PQclear(res);
    return value;
}

}  // namespace oci_test

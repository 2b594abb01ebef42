// Shared pieces of the transaction tests that talk to the test cluster.
#pragma once
#include <libpq-fe.h>
#include <oci.h>

#include <cstdlib>
#include <string>

// The test cluster as a connection URI (it listens on a unix socket only).
inline std::string ClusterUri() {
    const char *host = std::getenv("PGHOST");
    const char *port = std::getenv("PGPORT");
    const char *db = std::getenv("PGDATABASE");
    return std::string("postgresql:///") + (db ? db : "") + "?host=" + (host ? host : "") + "&port=" +
           (port ? port : "");
}

// First value of a query on a plain client connection, "?" when it fails.
inline std::string Value(PGconn *conn, const std::string &sql) {
    PGresult *res = PQexec(conn, sql.c_str());
    std::string v = PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) > 0 ? PQgetvalue(res, 0, 0) : "?";
    PQclear(res);
    return v;
}

inline bool Run(PGconn *conn, const std::string &sql) {
    PGresult *res = PQexec(conn, sql.c_str());
    const ExecStatusType st = PQresultStatus(res);
    PQclear(res);
    return st == PGRES_COMMAND_OK || st == PGRES_TUPLES_OK;
}

inline sb4 ErrorCode(OCIError *err, ub4 n = 1) {
    sb4 code = -1;
    if (OCIErrorGet(err, n, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR) != OCI_SUCCESS) return -1;
    return code;
}

inline std::string ErrorText(OCIError *err, ub4 n = 1) {
    sb4 code = 0;
    text buf[1024];
    if (OCIErrorGet(err, n, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return "";
    return reinterpret_cast<char *>(buf);
}

// Beginning and ending sessions: the one server connection of a server
// handle is opened by OCISessionBegin and closed by OCISessionEnd.
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <string>

#include "conn/nls.h"
#include "conn/session_control.h"
#include "diag/entry.h"
#include "env/attributes.h"
#include "env/compat.h"
#include "env/env.h"

std::atomic<sb4> gDBServerVersion{0};

namespace {
constexpr sb4 kErrUninitializedService = 24314;
constexpr sb4 kErrConnectFailed = 12154;
constexpr sb4 kErrClientEncoding = 24338;

// The client encoding the server is asked for: the environment's, except
// that UTF-16 environments talk UTF-8 (the library converts itself).
const char *ClientEncodingOf(const OCIEnv *env) { return nls::EncodingServerName(env->charsetId); }

// Whether servers take "ALTER SESSION SET NLS_DATE_FORMAT": unknown until a
// session has tried, then remembered for the process so that sessions on a
// server without the statement do not pay a failed round trip each.
enum class DateFormatSupport { Unknown, Accepted, Refused };
std::atomic<DateFormatSupport> s_dateFormatSupport{DateFormatSupport::Unknown};

// Hands NLS_DATE_FORMAT to the session where the server has the statement
// for it. A server without it is no reason to fail the session: dates still
// arrive in ISO style, which the conversions read.
void ApplyDateFormat(PGconn *conn) {
    const char *format = std::getenv("NLS_DATE_FORMAT");
    if (format == nullptr || s_dateFormatSupport == DateFormatSupport::Refused) return;
    char *literal = PQescapeLiteral(conn, format, std::strlen(format));
    if (literal == nullptr) return;
    const std::string sql = std::string("ALTER SESSION SET NLS_DATE_FORMAT = ") + literal;
    PQfreemem(literal);
    PGresult *res = PQexec(conn, sql.c_str());
    const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
    PQclear(res);
    if (ok) {
        s_dateFormatSupport = DateFormatSupport::Accepted;
    } else if (PQstatus(conn) == CONNECTION_OK) {
        s_dateFormatSupport = DateFormatSupport::Refused;
        ocitrace(TRACE_SESSION, nullptr, "server has no NLS_DATE_FORMAT setting; dates stay in ISO style\n");
    }
}

// Server notices that arrive outside a statement's own handling (which
// turns them into error records) belong in the debug log, not on the
// application's standard error where libpq would print them.
void LogNotice(void *, const char *message) {
    ocitrace(TRACE_SESSION, nullptr, "server notice: %s", message);
}

void OpenProtocolTrace(OCIServer *server) {
    const char *path = std::getenv("OCI_TRACE_PROTOCOL");
    if (path == nullptr) return;
    server->protocolTrace = std::fopen(path, "a");
    if (server->protocolTrace != nullptr) PQtrace(server->conn, server->protocolTrace);
}
}  // namespace

bool ValidConnHandle(const void *h, HandleCode code) {
    if (h == nullptr || AsHandle(h)->handleType != code) return false;
    return HandleAs<OCIEnv>(AsHandle(h)->parenth, HANDLE_OCIEnv) != nullptr;
}

void CloseServerConnection(OCIServer *server) {
    if (server->conn != nullptr) {
        if (ocitracing(TRACE_WAIT_COUNTERS)) tracePavikCounters(server->conn);
        PQfinish(server->conn);
        server->conn = nullptr;
    }
    if (server->protocolTrace != nullptr) {
        std::fclose(server->protocolTrace);
        server->protocolTrace = nullptr;
    }
}

sword getServerHandleFromService(OCIServer **server, OCISvcCtx *svchp, OCIError *errhp) {
    void *value = nullptr;
    sword rc = Get_OCISvcCtx(svchp, &value, nullptr, OCI_ATTR_SERVER, errhp);
    if (rc != OCI_SUCCESS) return rc;
    if (HandleAs<OCIServer>(value, HANDLE_OCIServer) == nullptr) return OCI_INVALID_HANDLE;
    *server = static_cast<OCIServer *>(value);
    return OCI_SUCCESS;
}

void OCINoticeHandler(void *arg, const char *message) {
    OCIError *errhp = HandleAs<OCIError>(arg, HANDLE_OCIError);
    if (errhp == nullptr) return;
    errhp->hasWarnings = true;
    AddErrorRecordMsg(errhp, OCI_SUCCESS_WITH_INFO, message);
}

OCI_EXPORT sword OCISessionBegin(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 credt, ub4 mode) {
    if (!ValidConnHandle(svchp, HANDLE_OCISvcCtx) || !ValidConnHandle(errhp, HANDLE_OCIError) ||
        !ValidConnHandle(usrhp, HANDLE_OCISession))
        return OCI_INVALID_HANDLE;
    ocitrace(TRACE_SESSION, nullptr, "OCISessionBegin started\n");
    svchp->stmtCacheEnabled = false;
    OCIEnv *env = EnvOfHandle(svchp);
    return RunEntry({"OCISessionBegin", OCI_FNCODE_SESSIONBEGIN}, env, errhp, [&]() -> sword {
        OCIServer *server = svchp->server;
        if (server == nullptr || !server->attached) {
            AddErrorRecord(errhp, OCI_ERROR, kErrUninitializedService);
            return OCI_ERROR;
        }
        ocitrace(TRACE_SESSION, nullptr, "host [%s] port [%s] db [%s], user [%s] app [%s] uri [%s]\n",
                 server->host, server->port, server->dbname, usrhp->username, usrhp->module, server->uri);
        const char *keys[8];
        const char *values[8];
        int n = 0;
        if (server->uri != nullptr) {
            keys[n] = "dbname";
            values[n++] = server->uri;
        }
        const char *rest[][2] = {{"host", server->host},       {"port", server->port},
                                 {"dbname", server->dbname},   {"user", usrhp->username},
                                 {"password", usrhp->password}, {"application_name", usrhp->module}};
        for (auto &kv : rest) {
            keys[n] = kv[0];
            values[n++] = kv[1];
        }
        keys[n] = values[n] = nullptr;
        // A connection left from an earlier session on this server would be
        // lost (and kept open) if replaced: it is closed first.
        if (server->conn != nullptr) {
            markCursorsClosed(env, server);
            CloseServerConnection(server);
        }
        server->conn = PQconnectdbParams(keys, values, 1);
        if (server->conn == nullptr || PQstatus(server->conn) != CONNECTION_OK) {
            AddErrorRecord2(errhp, OCI_ERROR, kErrConnectFailed,
                            server->conn != nullptr ? PQerrorMessage(server->conn) : "out of memory");
            CloseServerConnection(server);
            return OCI_ERROR;
        }
        OpenProtocolTrace(server);
        PQsetNoticeProcessor(server->conn, LogNotice, nullptr);
        gDBServerVersion = PQserverVersion(server->conn);
        if (PQsetClientEncoding(server->conn, ClientEncodingOf(env)) != 0) {
            ClearErrorHandle(errhp);
            AddErrorRecord2(errhp, OCI_ERROR, kErrClientEncoding, PQerrorMessage(server->conn));
            ocitrace(TRACE_SESSION, nullptr, "PQsetClientEncoding failed\n");
            return OCI_ERROR;
        }
        PGresult *res = PQexec(server->conn, "set DateStyle to 'ISO'");
        const bool ok = PQresultStatus(res) == PGRES_COMMAND_OK;
        if (!ok) {
            ClearErrorHandle(errhp);
            AddPGErrorRecord(errhp, OCI_ERROR, res);
            ocitrace(TRACE_SESSION, nullptr, "PQexec(set datestyle) failed\n");
        }
        PQclear(res);
        if (!ok) return OCI_ERROR;
        ApplyDateFormat(server->conn);
        if (mode & OCI_STMT_CACHE) svchp->stmtCacheEnabled = true;
        ocitrace(TRACE_SESSION, nullptr, "OCISessionBegin() OK\n");
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, usrhp, credt, mode));
}

OCI_EXPORT sword OCISessionEnd(OCISvcCtx *svchp, OCIError *errhp, OCISession *usrhp, ub4 mode) {
    if (!ValidConnHandle(svchp, HANDLE_OCISvcCtx) || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    OCIEnv *env = EnvOfHandle(svchp);
    return RunEntry({"OCISessionEnd", OCI_FNCODE_SESSIONEND}, env, errhp, [&]() -> sword {
        OCIServer *server = nullptr;
        sword rc = getServerHandleFromService(&server, svchp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        if (usrhp == nullptr) {
            void *session = nullptr;
            rc = Get_OCISvcCtx(svchp, &session, nullptr, OCI_ATTR_SESSION, errhp);
            if (rc != OCI_SUCCESS) return rc;
        }
        markCursorsClosed(env, server);
        FreeSessionMemory(usrhp != nullptr ? HandleAs<OCISession>(usrhp, HANDLE_OCISession) : svchp->session);
        if (PQstatus(server->conn) == CONNECTION_BAD) {
            // In the Oracle-compatible mode a session whose connection is
            // already lost ends quietly: nothing of it is left on the server,
            // and its drivers close dead connections this way and expect to
            // be done with them (an error would leave them open). What is
            // left of the connection goes now.
            if (server->conn != nullptr && OracleCompat(env)) {
                CloseServerConnection(server);
                return OCI_SUCCESS;
            }
            AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
            return OCI_ERROR;
        }
        CloseServerConnection(server);
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, usrhp, mode));
}

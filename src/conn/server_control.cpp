// Server information and control: versions, liveness, password changes and
// interrupting a running call, all on the one connection of a server handle.
#include <cstring>
#include <string>

#include "conn/server_control.h"
#include "conn/session_control.h"
#include "conn/transaction.h"
#include "conn/transcode.h"
#include "diag/entry.h"
#include "env/attributes.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/pqext/pqext.h"

namespace {
constexpr sb4 kErrHostDefinition = 1041;

// OCIPasswordChange mode that logs on first when the service context has no
// live connection yet.

constexpr size_t kCancelErrorSize = 256;

// The server handle behind `hndlp` as `hndltype` names it: the handle itself
// or a service context's server.
sword ServerOf(void *hndlp, OCIError *errhp, ub1 hndltype, OCIServer **server) {
    void *found = nullptr;
    switch (hndltype) {
    case OCI_HTYPE_SVCCTX: {
        sword rc = Get_OCISvcCtx(hndlp, &found, nullptr, OCI_ATTR_SERVER, errhp);
        if (rc != OCI_SUCCESS) return rc;
        break;
    }
    case OCI_HTYPE_SERVER:
        found = hndlp;
        break;
    default:
        return OCI_ERROR;
    }
    if (HandleAs<OCIServer>(found, HANDLE_OCIServer) == nullptr || EnvOfHandle(found) == nullptr)
        return OCI_INVALID_HANDLE;
    *server = static_cast<OCIServer *>(found);
    return OCI_SUCCESS;
}

// OCIBreak and OCIReset take either a service context or a server handle.
OCIServer *BreakTarget(void *hndlp) {
    if (auto *svc = HandleAs<OCISvcCtx>(hndlp, HANDLE_OCISvcCtx)) return svc->server;
    return HandleAs<OCIServer>(hndlp, HANDLE_OCIServer);
}

// Adds 25407 unless the server's connection is up.
bool RequireConnected(OCIServer *server, OCIError *errhp) {
    if (PQstatus(server->conn) == CONNECTION_OK) return true;
    AddErrorRecordStringX(errhp, OCI_ERROR, kErrConnectionTerminated, 1, PQerrorMessage(server->conn));
    return false;
}

// Reads what is left of a failed call's results: the connection takes no
// command before, and only then does it know its transaction state.
void DrainResults(PGconn *conn) {
    while (PGresult *rest = PQgetResult(conn)) {
        const ExecStatusType status = PQresultStatus(rest);
        PQclear(rest);
        if (status == PGRES_COPY_IN || status == PGRES_COPY_OUT || status == PGRES_COPY_BOTH) return;
    }
}

// An application text in the server's character set: converted from UTF-16
// in a UTF-16 environment, else taken as it is.
bool ServerText(OCIEnv *env, OCIError *errhp, const OraText *text, ub4 length, std::string *out) {
    const char *bytes = reinterpret_cast<const char *>(text);
    if (!env->utf16) {
        out->assign(bytes, length);
        return true;
    }
    int error = 0;
    char *converted = nullptr;
    size_t convertedLength = 0;
    if (transcode(env->toUtf8, &error, bytes, length, &converted, &convertedLength) < 0) {
        AddTranscodeErrorRecord(errhp, error);
        return false;
    }
    out->assign(converted != nullptr ? converted : "", convertedLength);
    o2pFree(converted);
    return true;
}

// PQescapeIdentifier and PQescapeLiteral results, released with PQfreemem.
struct Escaped {
    char *text = nullptr;
    ~Escaped() {
        if (text != nullptr) PQfreemem(text);
    }
};

// The ALTER ROLE command, the role name quoted as an identifier and the
// password as a literal so that neither can end its quoting. Empty when the
// client library refuses a text (invalid in the connection's encoding).
std::string AlterRoleCommand(PGconn *conn, const std::string &role, const std::string &password) {
    Escaped ident, literal;
    ident.text = PQescapeIdentifier(conn, role.c_str(), role.size());
    literal.text = PQescapeLiteral(conn, password.c_str(), password.size());
    if (ident.text == nullptr || literal.text == nullptr) return std::string();
    return std::string("ALTER ROLE ") + ident.text + " WITH PASSWORD " + literal.text + ";";
}
}  // namespace

ub4 PackServerRelease(int serverVersion) {
    const ub4 v = serverVersion > 0 ? static_cast<ub4>(serverVersion) : 0;
    const ub4 major = v / 10000;
    const ub4 rest = v - major * 10000;
    return (major << 24) | (((rest / 100) & 0xF) << 20) | (((rest % 100) & 0xFF) << 12);
}

// The library's own mode reports 11.0.1.1.0. The Oracle-compatible mode
// reports 11.2.0.4.0, the level the public headers announce
// (OCI_MAJOR_VERSION 11, OCI_MINOR_VERSION 2): drivers refuse clients below
// 11.2. There is no environment at hand here (drivers ask before they create
// one), so the switch is read from the process.
OCI_EXPORT void OCIClientVersion(sword *major_version, sword *minor_version, sword *update_num, sword *patch_num,
                                 sword *port_update_num) {
    const bool oracle = CompatSwitchFromProcess();
    if (major_version != nullptr) *major_version = OCI_MAJOR_VERSION;
    if (minor_version != nullptr) *minor_version = oracle ? OCI_MINOR_VERSION : 0;
    if (update_num != nullptr) *update_num = oracle ? 0 : 1;
    if (patch_num != nullptr) *patch_num = oracle ? 4 : 1;
    if (port_update_num != nullptr) *port_update_num = 0;
}

OCI_EXPORT sword OCIServerVersion(void *hndlp, OCIError *errhp, OraText *bufp, ub4 bufsz, ub1 hndltype) {
    if (hndlp == nullptr || errhp == nullptr || bufp == nullptr || bufsz == 0)
        return RefuseArgument(errhp, hndlp == nullptr ? "1" : bufp == nullptr ? "3" : "4");
    OCIServer *server = nullptr;
    sword rc = ServerOf(hndlp, errhp, hndltype, &server);
    if (rc != OCI_SUCCESS) return rc;
    OCIEnv *env = EnvOfHandle(server);
    return RunEntry({"OCIServerVersion", OCI_FNCODE_SERVERVERSION, false, 0, server}, env, errhp, [&]() -> sword {
        PQextDrain(server->conn);  // read-ahead in flight is kept before anything is sent
        PGresult *res = PQexec(server->conn, "SELECT VERSION()");
        if (PQresultStatus(res) != PGRES_TUPLES_OK || PQntuples(res) < 1 || PQnfields(res) < 1) {
            PQclear(res);
            return OCI_ERROR;
        }
        const char *version = PQgetvalue(res, 0, 0);
        size_t length = std::strlen(version) + 1;  // the NUL goes too
        char *converted = nullptr;
        if (env->utf16) {
            int error = 0;
            if (transcode(env->fromUtf8, &error, version, length, &converted, &length) < 0) {
                PQclear(res);
                AddTranscodeErrorRecord(errhp, error);
                return OCI_ERROR;
            }
            version = converted;
        }
        std::memcpy(bufp, version, length < bufsz ? length : bufsz);
        o2pFree(converted);
        PQclear(res);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndlp, errhp, bufp, bufsz, hndltype));
}

OCI_EXPORT sword OCIServerRelease(void *hndlp, OCIError *errhp, OraText *bufp, ub4 bufsz, ub1 hndltype,
                                  ub4 *version) {
    if (!ValidConnHandle(errhp, HANDLE_OCIError) || hndlp == nullptr) return OCI_INVALID_HANDLE;
    ClearErrorHandle(errhp);
    OCIServer *server = nullptr;
    sword rc = ServerOf(hndlp, errhp, hndltype, &server);
    if (rc != OCI_SUCCESS) return rc;
    if (!RequireConnected(server, errhp)) return OCI_ERROR;
    if (version != nullptr) *version = PackServerRelease(PQserverVersion(server->conn));
    return OCIServerVersion(hndlp, errhp, bufp, bufsz, hndltype);
}

// The release call of newer clients. With OCI_SRVRELEASE2_CACHED only the
// number is wanted and the text buffer may be absent.
OCI_EXPORT sword OCIServerRelease2(void *hndlp, OCIError *errhp, OraText *bufp, ub4 bufsz, ub1 hndltype,
                                   ub4 *version, ub4 mode) {
    if ((mode & OCI_SRVRELEASE2_CACHED) == 0 || (bufp != nullptr && bufsz != 0))
        return OCIServerRelease(hndlp, errhp, bufp, bufsz, hndltype, version);
    if (!ValidConnHandle(errhp, HANDLE_OCIError) || hndlp == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIServerRelease2", 0}, EnvOfHandle(errhp), errhp, [&]() -> sword {
        OCIServer *server = nullptr;
        sword rc = ServerOf(hndlp, errhp, hndltype, &server);
        if (rc != OCI_SUCCESS) return rc;
        if (!RequireConnected(server, errhp)) return OCI_ERROR;
        if (version != nullptr) *version = PackServerRelease(PQserverVersion(server->conn));
        return OCI_SUCCESS;
    }, OCI_ARGS(hndlp, errhp, bufp, bufsz, hndltype, version, mode));
}

OCI_EXPORT sword OCIPing(OCISvcCtx *svchp, OCIError *errhp, ub4 mode) {
    if (HandleAs<OCISvcCtx>(svchp, HANDLE_OCISvcCtx) == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    OCIEnv *env = HandleAs<OCIEnv>(svchp->parenth, HANDLE_OCIEnv);
    return RunEntry({"OCIPing", 0}, env, errhp, [&]() -> sword {
        if (mode != OCI_DEFAULT) {
            AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
            return OCI_ERROR;
        }
        if (env == nullptr) return OCI_INVALID_HANDLE;
        OCIServer *server = nullptr;
        sword rc = getServerHandleFromService(&server, svchp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        PQextDrain(server->conn);
        PGresult *res = PQexec(server->conn, "select 1");
        const bool alive = PQresultStatus(res) == PGRES_TUPLES_OK;
        PQclear(res);
        if (alive) return OCI_SUCCESS;
        AddErrorRecord(errhp, OCI_ERROR, kErrHostDefinition);
        return OCI_ERROR;
    }, OCI_ARGS(svchp, errhp, mode));
}

OCI_EXPORT sword OCIPasswordChange(OCISvcCtx *svchp, OCIError *errhp, const OraText *user_name, ub4 usernm_len,
                                   const OraText *opasswd, ub4 opasswd_len, const OraText *npasswd,
                                   ub4 npasswd_len, ub4 mode) {
    if (HandleAs<OCISvcCtx>(svchp, HANDLE_OCISvcCtx) == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr ||
        (mode != OCI_DEFAULT && (mode & OCI_AUTH) == 0))
        return OCI_INVALID_HANDLE;
    ClearErrorHandle(errhp);
    OCIEnv *env = HandleAs<OCIEnv>(svchp->parenth, HANDLE_OCIEnv);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIPasswordChange", OCI_FNCODE_PASSWORDCHANGE}, env, errhp, [&]() -> sword {
        if (user_name == nullptr || npasswd == nullptr) {
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, user_name == nullptr ? "3" : "7");
            return OCI_ERROR;
        }
        void *found = nullptr;
        sword rc = Get_OCISvcCtx(svchp, &found, nullptr, OCI_ATTR_SERVER, errhp);
        if (rc != OCI_SUCCESS) return rc;
        OCIServer *server = HandleAs<OCIServer>(found, HANDLE_OCIServer);
        rc = Get_OCISvcCtx(svchp, &found, nullptr, OCI_ATTR_SESSION, errhp);
        if (rc != OCI_SUCCESS) return rc;
        OCISession *session = HandleAs<OCISession>(found, HANDLE_OCISession);
        if (server == nullptr || session == nullptr) return OCI_INVALID_HANDLE;

        if (PQstatus(server->conn) != CONNECTION_OK) {
            if ((mode & OCI_AUTH) == 0) {
                RequireConnected(server, errhp);
                return OCI_ERROR;
            }
            // Logging on to change the password: the user and the old
            // password given here are the credentials, as they are when an
            // expired password is replaced. Connecting as whoever the
            // session handle happens to name would let that role change
            // another role's password without knowing it.
            rc = OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<OraText *>(user_name), usernm_len,
                            OCI_ATTR_USERNAME, errhp);
            if (rc == OCI_SUCCESS)
                rc = OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<OraText *>(opasswd),
                                opasswd != nullptr ? opasswd_len : 0, OCI_ATTR_PASSWORD, errhp);
            if (rc == OCI_SUCCESS) rc = OCISessionBegin(svchp, errhp, session, OCI_CRED_RDBMS, OCI_DEFAULT);
            if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) return rc;
        }

        std::string role, password;
        if (!ServerText(env, errhp, user_name, usernm_len, &role) ||
            !ServerText(env, errhp, npasswd, npasswd_len, &password))
            return OCI_ERROR;
        // Texts stop at a NUL, as the server would read them.
        role.resize(std::strlen(role.c_str()));
        password.resize(std::strlen(password.c_str()));
        const std::string command = AlterRoleCommand(server->conn, role, password);
        if (command.empty()) {
            AddErrorRecordMsg(errhp, OCI_ERROR, PQerrorMessage(server->conn));
            return OCI_ERROR;
        }
        PQextDrain(server->conn);
        PGresult *res = PQexec(server->conn, command.c_str());
        if (res == nullptr) {
            AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
            return OCI_ERROR;
        }
        if (PQresultStatus(res) != PGRES_COMMAND_OK) {
            AddPGErrorRecord(errhp, OCI_ERROR, res);
            PQclear(res);
            return OCI_ERROR;
        }
        PQclear(res);
        if (session->username != nullptr && role == session->username)
            return OCIAttrSet(session, OCI_HTYPE_SESSION, const_cast<OraText *>(npasswd), npasswd_len,
                              OCI_ATTR_PASSWORD, errhp);
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, user_name, usernm_len, opasswd, opasswd_len, npasswd, npasswd_len, mode));
}

OCI_EXPORT sword OCIBreak(void *hndlp, OCIError *errhp) {
    OCIServer *server = BreakTarget(hndlp);
    if (server == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr) return OCI_ERROR;
    // Called from another thread while the call to interrupt holds the
    // connection and the error handle: neither is written here, and the
    // cancel request travels on a connection of its own.
    return RunEntry({"OCIBreak", 0}, nullptr, nullptr, [&]() -> sword {
        PGcancel *cancel = PQgetCancel(server->conn);
        if (cancel == nullptr) return OCI_ERROR;
        server->breakRequested = true;
        char error[kCancelErrorSize];
        const int sent = PQcancel(cancel, error, sizeof error);
        PQfreeCancel(cancel);
        return sent ? OCI_SUCCESS : OCI_ERROR;
    }, OCI_ARGS(hndlp, errhp));
}

OCI_EXPORT sword OCIReset(void *hndlp, OCIError *errhp) {
    OCIServer *server = BreakTarget(hndlp);
    if (server == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr) return OCI_ERROR;
    return RunEntry({"OCIReset", 0}, EnvOfHandle(server), errhp, [&]() -> sword {
        PGresult *res = PQgetResult(server->conn);
        if (PQresultStatus(res) == PGRES_TUPLES_OK) {
            PQclear(res);
            return OCI_SUCCESS;
        }
        AddPGErrorRecord(errhp, OCI_ERROR, res);
        PQclear(res);
        DrainResults(server->conn);
        ROLLBACK_TRANSACTION(server);
        return OCI_ERROR;
    }, OCI_ARGS(hndlp, errhp));
}

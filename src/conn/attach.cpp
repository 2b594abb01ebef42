// Attaching and detaching server handles: the connect identifier becomes
// host, port and database (or a whole URI); no server round trip happens.
#include <cstring>
#include <new>

#include "conn/conn_handles.h"
#include "conn/connect_string.h"
#include "conn/session_control.h"
#include "conn/transcode.h"
#include "diag/entry.h"
#include "env/env.h"

namespace {
constexpr sb4 kErrAlreadyAttached = 24309;
constexpr sb4 kErrNotAttached = 24324;

void ClearConnectFields(OCIServer *server) {
    for (char **field : {&server->connectString, &server->host, &server->port, &server->dbname, &server->uri}) {
        o2pFree(*field);
        *field = nullptr;
    }
    server->connectStringLength = 0;
}
}  // namespace

OCI_EXPORT sword OCIServerAttach(OCIServer *srvhp, OCIError *errhp, const OraText *dblink, sb4 dblink_len,
                                 ub4 mode) {
    if (!ValidConnHandle(srvhp, HANDLE_OCIServer) || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    OCIEnv *env = EnvOfHandle(srvhp);
    return RunEntry({"OCIServerAttach", OCI_FNCODE_SERVERATTACH}, env, errhp, [&]() -> sword {
        if (srvhp->attached) {
            AddErrorRecord(errhp, OCI_ERROR, kErrAlreadyAttached);
            return OCI_ERROR;
        }
        ClearConnectFields(srvhp);
        if (dblink_len > 0 && dblink != nullptr) {
            const char *ident = reinterpret_cast<const char *>(dblink);
            if (env->utf16) {
                int error = 0;
                size_t converted = 0;
                if (transcode(env->toUtf8, &error, ident, static_cast<size_t>(dblink_len), &srvhp->connectString,
                              &converted) < 0) {
                    AddTranscodeErrorRecord(errhp, error);
                    return OCI_ERROR;
                }
                srvhp->connectStringLength = static_cast<sb4>(converted);
            } else {
                srvhp->connectString = static_cast<char *>(o2pCalloc(1, static_cast<size_t>(dblink_len) + 1));
                if (srvhp->connectString != nullptr) {
                    std::strncpy(srvhp->connectString, ident, static_cast<size_t>(dblink_len));
                    srvhp->connectStringLength = dblink_len;
                }
            }
            if (srvhp->connectString == nullptr) {
                AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
                return OCI_ERROR;
            }
        }
        if (ResolveServerConnectFields(srvhp, errhp, srvhp->connectString, srvhp->connectStringLength) !=
            OCI_SUCCESS) {
            ClearConnectFields(srvhp);
            return OCI_ERROR;
        }
        srvhp->attached = true;
        return OCI_SUCCESS;
    }, OCI_ARGS(srvhp, errhp, dblink, dblink_len, mode));
}

OCI_EXPORT sword OCIServerDetach(OCIServer *srvhp, OCIError *errhp, ub4 mode) {
    if (!ValidConnHandle(srvhp, HANDLE_OCIServer) || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    OCIEnv *env = EnvOfHandle(srvhp);
    return RunEntry({"OCIServerDetach", 0}, env, errhp, [&]() -> sword {
        // Detaching runs only the replacement callbacks.
        sword status = OCI_SUCCESS;
        PerformReplaceUcbs(env, &status, OCI_FNCODE_SERVERDETACH, srvhp, errhp, mode);
        if (!srvhp->attached) {
            AddErrorRecord(errhp, OCI_ERROR, kErrNotAttached);
            return OCI_ERROR;
        }
        // Detaching ends the server connection: the open transaction rolls
        // back on the server, its locks go, and later calls on the handle
        // report the lost connection instead of working on as if attached.
        markCursorsClosed(env, srvhp);
        CloseServerConnection(srvhp);
        ClearConnectFields(srvhp);
        srvhp->attached = false;
        return status;
    }, OCI_ARGS(srvhp, errhp, mode));
}

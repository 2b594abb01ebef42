// OCILogon, OCILogon2 and OCILogoff: the whole attach-and-begin sequence
// (and its undoing) in one call.
#include "conn/session_control.h"
#include "diag/entry.h"
#include "env/attributes.h"
#include "env/env.h"

namespace {

// Handles made by one logon, freed again when a later step fails.
struct LogonHandles {
    OCIServer *server = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;

    void Release() {
        if (svc != nullptr) OCIHandleFree(svc, OCI_HTYPE_SVCCTX);
        if (session != nullptr) OCIHandleFree(session, OCI_HTYPE_SESSION);
        if (server != nullptr) OCIHandleFree(server, OCI_HTYPE_SERVER);
        *this = LogonHandles{};
    }
};

sword AllocFor(OCIEnv *env, void **out, ub4 type, const char *what) {
    sword rc = OCIHandleAlloc(env, out, type, 0, nullptr);
    if (rc != OCI_SUCCESS) ocitrace(TRACE_SESSION, "OCILogon", "allocating the %s handle failed\n", what);
    return rc;
}

sword Logon(OCIEnv *env, OCIError *errhp, OCISvcCtx **svchp, const OraText *username, ub4 uname_len,
            const OraText *password, ub4 passwd_len, const OraText *dbname, ub4 dbname_len) {
    if (svchp == nullptr) return OCI_ERROR;
    *svchp = nullptr;
    if (username == nullptr || dbname == nullptr) {
        ClearErrorHandle(errhp);
        AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, username == nullptr ? "4" : "8");
        return OCI_ERROR;
    }
    LogonHandles h;
    sword rc = AllocFor(env, reinterpret_cast<void **>(&h.server), OCI_HTYPE_SERVER, "server");
    if (rc == OCI_SUCCESS) rc = OCIServerAttach(h.server, errhp, dbname, static_cast<sb4>(dbname_len), OCI_DEFAULT);
    if (rc == OCI_SUCCESS) rc = AllocFor(env, reinterpret_cast<void **>(&h.svc), OCI_HTYPE_SVCCTX, "service context");
    if (rc == OCI_SUCCESS) rc = OCIAttrSet(h.svc, OCI_HTYPE_SVCCTX, h.server, 0, OCI_ATTR_SERVER, errhp);
    if (rc == OCI_SUCCESS) rc = AllocFor(env, reinterpret_cast<void **>(&h.session), OCI_HTYPE_SESSION, "session");
    if (rc == OCI_SUCCESS)
        rc = OCIAttrSet(h.session, OCI_HTYPE_SESSION, const_cast<OraText *>(username), uname_len, OCI_ATTR_USERNAME,
                        errhp);
    if (rc == OCI_SUCCESS)
        rc = OCIAttrSet(h.session, OCI_HTYPE_SESSION, const_cast<OraText *>(password), passwd_len,
                        OCI_ATTR_PASSWORD, errhp);
    if (rc == OCI_SUCCESS) rc = OCISessionBegin(h.svc, errhp, h.session, OCI_CRED_RDBMS, OCI_DEFAULT);
    if (rc == OCI_SUCCESS) rc = OCIAttrSet(h.svc, OCI_HTYPE_SVCCTX, h.session, 0, OCI_ATTR_SESSION, errhp);
    if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
        h.Release();
        return rc;
    }
    *svchp = h.svc;
    return OCI_SUCCESS;
}
}  // namespace

OCI_EXPORT sword OCILogon(OCIEnv *envhp, OCIError *errhp, OCISvcCtx **svchp, const OraText *username,
                          ub4 uname_len, const OraText *password, ub4 passwd_len, const OraText *dbname,
                          ub4 dbname_len) {
    if (HandleAs<OCIEnv>(envhp, HANDLE_OCIEnv) == nullptr || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    return RunEntry({"OCILogon", 0}, nullptr, nullptr, [&]() -> sword {
        return Logon(envhp, errhp, svchp, username, uname_len, password, passwd_len, dbname, dbname_len);
    }, OCI_ARGS(envhp, errhp, svchp, username, uname_len, password, passwd_len, dbname, dbname_len));
}

OCI_EXPORT sword OCILogon2(OCIEnv *envhp, OCIError *errhp, OCISvcCtx **svchp, const OraText *username,
                           ub4 uname_len, const OraText *password, ub4 passwd_len, const OraText *dbname,
                           ub4 dbname_len, ub4 mode) {
    if (HandleAs<OCIEnv>(envhp, HANDLE_OCIEnv) == nullptr || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    return RunEntry({"OCILogon2", 0}, nullptr, nullptr, [&]() -> sword {
        sword rc = Logon(envhp, errhp, svchp, username, uname_len, password, passwd_len, dbname, dbname_len);
        if ((rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) && (mode & OCI_LOGON2_STMTCACHE))
            (*svchp)->stmtCacheEnabled = true;
        return rc;
    }, OCI_ARGS(envhp, errhp, svchp, username, uname_len, password, passwd_len, dbname, dbname_len, mode));
}

OCI_EXPORT sword OCILogoff(OCISvcCtx *svchp, OCIError *errhp) {
    if (!ValidConnHandle(svchp, HANDLE_OCISvcCtx) || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    return RunEntry({"OCILogoff", 0}, nullptr, nullptr, [&]() -> sword {
        OCIServer *server = nullptr;
        sword rc = getServerHandleFromService(&server, svchp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        void *session = nullptr;
        rc = Get_OCISvcCtx(svchp, &session, nullptr, OCI_ATTR_SESSION, errhp);
        if (rc != OCI_SUCCESS) return rc;
        OCISessionEnd(svchp, errhp, nullptr, OCI_DEFAULT);
        OCIServerDetach(server, errhp, OCI_DEFAULT);
        OCIHandleFree(server, OCI_HTYPE_SERVER);
        OCIHandleFree(session, OCI_HTYPE_SESSION);
        return OCIHandleFree(svchp, OCI_HTYPE_SVCCTX);
    }, OCI_ARGS(svchp, errhp));
}

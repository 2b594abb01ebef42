// The attributes the Oracle-compatible mode answers before the per-kind
// getters and setters: character-set ids in Oracle's numbering, the pool
// counters, and the bookkeeping attributes drivers set on every session,
// bind and define (accepted; the module also names the server session).
#include <libpq-fe.h>

#include "conn/conn_handles.h"
#include "conn/nls.h"
#include "conn/session_pool.h"
#include "diag/errors.h"
#include "env/attributes.h"
#include "env/env.h"
#include "stmt/pqext/pqext.h"

namespace {
// The Oracle id of an environment's character set (OCI_ATTR_ENV_CHARSET_ID):
// the one it was created with, else the one of its encoding.
ub2 EnvCharsetId(const OCIEnv *env) {
    return env->oracleCharset != 0 ? env->oracleCharset : nls::OracleIdOfEncoding(env->charsetId);
}

ub2 EnvNcharsetId(const OCIEnv *env) {
    return env->oracleNcharset != 0 ? env->oracleNcharset : EnvCharsetId(env);
}

// The Oracle id of the database character set: the server's encoding once
// a session is open, the client's before.
ub2 ServerCharsetId(const OCIServer *server) {
    if (server->conn != nullptr && PQstatus(server->conn) == CONNECTION_OK) {
        const char *name = PQparameterStatus(server->conn, "server_encoding");
        if (name != nullptr) return nls::OracleIdOfEncoding(nls::pg_char_to_encoding(name));
    }
    const OCIEnv *env = EnvOfHandle(server);
    return env != nullptr ? EnvCharsetId(env) : 0;
}

bool Answer(sword *status, sword value) {
    *status = value;
    return true;
}

bool GetEnv(OCIEnv *env, void *attributep, ub4 *sizep, ub4 attrtype, sword *status) {
    switch (attrtype) {
    case OCI_ATTR_ENV_CHARSET_ID: return Answer(status, PutAttr<ub2>(attributep, sizep, EnvCharsetId(env)));
    case OCI_ATTR_ENV_NCHARSET_ID: return Answer(status, PutAttr<ub2>(attributep, sizep, EnvNcharsetId(env)));
    case OCI_ATTR_ENV_UTF16: return Answer(status, PutAttr<ub1>(attributep, sizep, env->utf16 ? 1 : 0));
    default: return false;
    }
}

bool GetSPool(OCISPool *pool, void *attributep, ub4 *sizep, ub4 attrtype, sword *status) {
    ub4 open = 0, busy = 0;
    switch (attrtype) {
    case OCI_ATTR_SPOOL_STMTCACHESIZE: return Answer(status, PutAttr<ub4>(attributep, sizep, pool->stmtCacheSize));
    case OCI_ATTR_SPOOL_TIMEOUT: return Answer(status, PutAttr<ub4>(attributep, sizep, pool->timeout));
    case OCI_ATTR_SPOOL_GETMODE: return Answer(status, PutAttr<ub1>(attributep, sizep, pool->getMode));
    case OCI_ATTR_SPOOL_BUSY_COUNT:
        SPoolCounts(pool, &open, &busy);
        return Answer(status, PutAttr<ub4>(attributep, sizep, busy));
    case OCI_ATTR_SPOOL_OPEN_COUNT:
        SPoolCounts(pool, &open, &busy);
        return Answer(status, PutAttr<ub4>(attributep, sizep, open));
    default: return false;
    }
}

// Session attributes a driver sets for the server's bookkeeping (driver
// name, edition, connection class, purity, action, client info and
// identifier, database operation, execution context): accepted, no effect.
bool BookkeepingSessionAttribute(ub4 attrtype) {
    switch (attrtype) {
    case OCI_ATTR_DRIVER_NAME: case OCI_ATTR_EDITION: case OCI_ATTR_CONNECTION_CLASS: case OCI_ATTR_PURITY:
    case OCI_ATTR_ACTION: case OCI_ATTR_CLIENT_INFO: case OCI_ATTR_CLIENT_IDENTIFIER: case OCI_ATTR_DBOP:
    case OCI_ATTR_ECONTEXT_ID:
        return true;
    default:
        return false;
    }
}

// A module set on a session that is already open renames the server
// session at once (it is its application_name); a failure there is not the
// setter's: the name is kept for the next session either way.
void RenameOpenSession(OCISession *session) {
    const OCIEnv *env = EnvOfHandle(session);
    if (env == nullptr || session->module == nullptr) return;
    foreach_cell(cell, env->children) {
        const OCISvcCtx *svc = HandleAs<OCISvcCtx>(cell->ptr, HANDLE_OCISvcCtx);
        if (svc == nullptr || svc->session != session || svc->server == nullptr) continue;
        PGconn *conn = svc->server->conn;
        if (conn == nullptr || PQstatus(conn) != CONNECTION_OK || PQextDrain(conn) == 0) continue;
        const char *values[] = {session->module};
        PQclear(PQexecParams(conn, "SELECT set_config('application_name', $1, false)", 1, nullptr, values,
                             nullptr, nullptr, 0));
    }
}
}  // namespace

bool OracleAttrGet(void *h, ub4 type, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp,
                   sword *status) {
    switch (type) {
    case OCI_HTYPE_ENV:
        if (auto *env = HandleAs<OCIEnv>(h, HANDLE_OCIEnv)) return GetEnv(env, attributep, sizep, attrtype, status);
        return false;
    case OCI_HTYPE_SERVER: {
        auto *server = HandleAs<OCIServer>(h, HANDLE_OCIServer);
        if (server == nullptr || attrtype != OCI_ATTR_CHARSET_ID) return false;
        return Answer(status, PutAttr<ub2>(attributep, sizep, ServerCharsetId(server)));
    }
    case OCI_HTYPE_SPOOL:
        if (auto *pool = HandleAs<OCISPool>(h, HANDLE_OCISPool))
            return GetSPool(pool, attributep, sizep, attrtype, status);
        return false;
    default:
        return false;
    }
}

bool OracleAttrSet(void *h, ub4 type, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp,
                   sword *status) {
    switch (type) {
    case OCI_HTYPE_SESSION: {
        auto *session = HandleAs<OCISession>(h, HANDLE_OCISession);
        if (session == nullptr) return false;
        if (BookkeepingSessionAttribute(attrtype)) return Answer(status, OCI_SUCCESS);
        if (attrtype != OCI_ATTR_MODULE) return false;
        *status = Set_OCISession(h, attributep, size, attrtype, errhp);
        if (*status == OCI_SUCCESS) RenameOpenSession(session);
        return true;
    }
    case OCI_HTYPE_SERVER:
        // A failover callback: there is no failover to call it for.
        return attrtype == OCI_ATTR_FOCBK && Answer(status, OCI_SUCCESS);
    case OCI_HTYPE_BIND:
        // The largest value and the character-set form: every bind already
        // travels in the client character set and takes any length.
        return (attrtype == OCI_ATTR_MAXDATA_SIZE || attrtype == OCI_ATTR_CHARSET_FORM) &&
               Answer(status, OCI_SUCCESS);
    case OCI_HTYPE_DEFINE:
        return (attrtype == OCI_ATTR_CHARSET_FORM || attrtype == OCI_ATTR_LOBPREFETCH_LENGTH) &&
               Answer(status, OCI_SUCCESS);
    case OCI_HTYPE_SPOOL: {
        auto *pool = HandleAs<OCISPool>(h, HANDLE_OCISPool);
        if (pool == nullptr) return false;
        switch (attrtype) {
        case OCI_ATTR_SPOOL_AUTH:
            // The pool logs on with the credentials OCISessionPoolCreate is given.
            if (attributep != nullptr && HandleAs<OCISession>(attributep, HANDLE_OCISession) == nullptr) {
                AddErrorRecord(errhp, OCI_ERROR, kErrAttributeValueInvalid);
                return Answer(status, OCI_ERROR);
            }
            return Answer(status, OCI_SUCCESS);
        case OCI_ATTR_SPOOL_TIMEOUT:
            if (attributep == nullptr) return false;
            pool->timeout = *static_cast<const ub4 *>(attributep);
            return Answer(status, OCI_SUCCESS);
        case OCI_ATTR_SPOOL_GETMODE:
            if (attributep == nullptr) return false;
            pool->getMode = *static_cast<const ub1 *>(attributep);
            return Answer(status, OCI_SUCCESS);
        default:
            return false;
        }
    }
    default:
        return false;
    }
}

// XA: the environment and the connected service context a transaction
// manager asks for, built from an XA open string. Every call opens a new
// connection in a new environment; nothing is shared or remembered between
// calls, and failures show only in the trace and the null result.
#include <cstdio>
#include <cstring>

#include "conn/nls.h"
#include "conn/transaction.h"
#include "diag/entry.h"
#include "env/attributes.h"
#include "env/env.h"

namespace {

// Copies `n` bytes into a field buffer (n < kXaFieldSize is checked by the caller).
void SetField(char *field, const char *value, size_t n) {
    std::memcpy(field, value, n);
    field[n] = '\0';
}

// One "key=value" field of the open string; anything unusable is ignored.
// The credentials keep only what follows the "P/" of the XA convention.
void StoreField(const char *begin, size_t length, XaOpenFields *fields, char *acc) {
    const char *eq = static_cast<const char *>(std::memchr(begin, '=', length));
    if (eq == nullptr) return;
    const size_t keyLength = static_cast<size_t>(eq - begin);
    const char *value = eq + 1;
    const size_t valueLength = length - keyLength - 1;
    if (valueLength == 0 || valueLength >= kXaFieldSize - 1 || keyLength >= kXaFieldSize) return;
    char key[kXaFieldSize];
    SetField(key, begin, keyLength);

    const struct {
        const char *name;
        char *field;
    } kKeys[] = {
        {"hostname", fields->hostname}, {"portnumber", fields->portnumber},
        {"sqlnet", fields->sqlnet},     {"appname", fields->appname},
        {"logdir", fields->logdir},     {"logrotationsize", fields->logrotationsize},
        {"logflags", fields->logflags},
    };
    if (oci_strcasecmp(key, "acc") == 0) {
        if (valueLength > 1) SetField(acc, value + 2, valueLength - 2);
        return;
    }
    for (const auto &k : kKeys) {
        if (oci_strcasecmp(key, k.name) == 0) {
            SetField(k.field, value, valueLength);
            return;
        }
    }
}

// Handles of one XA connection, released in reverse when a step fails.
struct XaHandles {
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;
    OCIServer *server = nullptr;
    bool attached = false;
    bool begun = false;

    void Release() {
        if (begun) OCISessionEnd(svc, err, session, OCI_DEFAULT);
        if (attached) OCIServerDetach(server, err, OCI_DEFAULT);
        if (server != nullptr) OCIHandleFree(server, OCI_HTYPE_SERVER);
        if (session != nullptr) OCIHandleFree(session, OCI_HTYPE_SESSION);
        if (svc != nullptr) OCIHandleFree(svc, OCI_HTYPE_SVCCTX);
        if (err != nullptr) OCIHandleFree(err, OCI_HTYPE_ERROR);
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        *this = XaHandles{};
    }
};

// Traces `message` as the reason of a failed connection and gives up.
OCISvcCtx *Fail(XaHandles &h, const char *message) {
    ocitrace(TRACE_SESSION, nullptr, "%s", message);
    h.Release();
    return nullptr;
}

sword SetText(void *handle, ub4 type, const char *value, ub4 attr, OCIError *err) {
    return OCIAttrSet(handle, type, const_cast<char *>(value), static_cast<ub4>(std::strlen(value)), attr, err);
}

OCISvcCtx *Connect(const XaOpenFields &f) {
    XaHandles h;
    if (OCIEnvCreate(&h.env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS) {
        h.env = nullptr;
        return Fail(h, "OCIEnvCreate() failed\n");
    }
    if (OCIHandleAlloc(h.env, reinterpret_cast<void **>(&h.err), OCI_HTYPE_ERROR, 0, nullptr) != OCI_SUCCESS)
        return Fail(h, "OCIHandleAlloc(OCI_HTYPE_ERROR) failed\n");
    if (OCIHandleAlloc(h.env, reinterpret_cast<void **>(&h.svc), OCI_HTYPE_SVCCTX, 0, nullptr) != OCI_SUCCESS)
        return Fail(h, "OCIHandleAlloc(OCI_HTYPE_SVCCTX) failed\n");
    if (OCIHandleAlloc(h.env, reinterpret_cast<void **>(&h.session), OCI_HTYPE_SESSION, 0, nullptr) !=
        OCI_SUCCESS)
        return Fail(h, "OCIHandleAlloc(OCI_HTYPE_SESSION) failed\n");
    if (OCIHandleAlloc(h.env, reinterpret_cast<void **>(&h.server), OCI_HTYPE_SERVER, 0, nullptr) != OCI_SUCCESS)
        return Fail(h, "OCIHandleAlloc(OCI_HTYPE_SERVER) failed\n");

    // "//" + host + ":" + port + "/" + db fits easily: the whole open
    // string is shorter than 256 bytes.
    char identifier[4 * kXaFieldSize];
    XaConnectIdentifier(f, identifier, sizeof identifier);
    ocitrace(TRACE_SESSION, nullptr, "db_uri [%s]\n", identifier);
    if (OCIServerAttach(h.server, h.err, reinterpret_cast<const OraText *>(identifier),
                        static_cast<sb4>(std::strlen(identifier)), OCI_DEFAULT) != OCI_SUCCESS)
        return Fail(h, "OCIServerAttach() failed\n");
    h.attached = true;
    if (OCIAttrSet(h.svc, OCI_HTYPE_SVCCTX, h.server, 0, OCI_ATTR_SERVER, h.err) != OCI_SUCCESS)
        return Fail(h, "OCIAttrSet(OCI_ATTR_SERVER) failed\n");
    if (SetText(h.session, OCI_HTYPE_SESSION, f.user, OCI_ATTR_USERNAME, h.err) != OCI_SUCCESS)
        return Fail(h, "OCIAttrSet(OCI_ATTR_USERNAME) failed\n");
    if (SetText(h.session, OCI_HTYPE_SESSION, f.password, OCI_ATTR_PASSWORD, h.err) != OCI_SUCCESS)
        return Fail(h, "OCIAttrSet(OCI_ATTR_PASSWORD) failed\n");
    if (SetText(h.session, OCI_HTYPE_SESSION, f.appname, OCI_ATTR_MODULE, h.err) != OCI_SUCCESS)
        return Fail(h, "OCIAttrSet(OCI_ATTR_MODULE) failed\n");
    const sword begun = OCISessionBegin(h.svc, h.err, h.session, OCI_CRED_RDBMS, OCI_DEFAULT);
    if (begun != OCI_SUCCESS && begun != OCI_SUCCESS_WITH_INFO) {
        // A session begin can fail after it connected (client encoding, date
        // style); that connection is ended like a begun session's.
        h.begun = h.server->conn != nullptr;
        return Fail(h, "OCISessionBegin() failed\n");
    }
    h.begun = true;
    if (OCIAttrSet(h.svc, OCI_HTYPE_SVCCTX, h.session, 0, OCI_ATTR_SESSION, h.err) != OCI_SUCCESS)
        return Fail(h, "OCIAttrSet(OCI_ATTR_SESSION) failed\n");
    ocitrace(TRACE_SESSION, nullptr, "xaoSvcCtx() complete\n");
    return h.svc;
}
}  // namespace

bool xa_parse_connection_str(const char *open, XaOpenFields *fields) {
    *fields = XaOpenFields{};
    if (open == nullptr) return false;
    const size_t length = strnlen(open, kXaFieldSize);
    if (length >= kXaFieldSize) return false;
    char acc[kXaFieldSize] = {};
    const char *p = open;
    const char *const end = open + length;
    while (p < end) {
        const char *plus = static_cast<const char *>(std::memchr(p, '+', static_cast<size_t>(end - p)));
        const char *fieldEnd = plus != nullptr ? plus : end;
        if (fieldEnd > p) StoreField(p, static_cast<size_t>(fieldEnd - p), fields, acc);
        p = fieldEnd + (plus != nullptr ? 1 : 0);
    }
    const char *slash = std::strchr(acc, '/');
    if (slash == nullptr) return false;
    SetField(fields->user, acc, static_cast<size_t>(slash - acc));
    std::snprintf(fields->password, sizeof fields->password, "%s", slash + 1);
    return true;
}

bool XaConnectIdentifier(const XaOpenFields &fields, char *out, size_t size) {
    int n;
    if (fields.hostname[0] != '\0' && fields.portnumber[0] != '\0')
        n = std::snprintf(out, size, "//%s:%s/%s", fields.hostname, fields.portnumber, fields.sqlnet);
    else
        n = std::snprintf(out, size, "%s", fields.sqlnet);
    return n >= 0 && static_cast<size_t>(n) < size;
}

OCI_EXPORT OCIEnv *xaoEnv(OraText *dbname) {
    (void)dbname;  // one environment per call; the name selects nothing
    OCIEnv *env = nullptr;
    if (OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS)
        return nullptr;
    return env;
}

OCI_EXPORT OCISvcCtx *xaoSvcCtx(OraText *dbname) {
    ocitrace(TRACE_SESSION, nullptr, "xaoSvcCtx() started\n");
    XaOpenFields fields;
    if (!xa_parse_connection_str(reinterpret_cast<const char *>(dbname), &fields)) {
        ocitrace(TRACE_SESSION, nullptr, "xa_parse_connection_str() failed\n");
        return nullptr;
    }
    ocitrace(TRACE_SESSION, nullptr, "host[%s] port[%s] db[%s] user[%s] app[%s]\n", fields.hostname,
             fields.portnumber, fields.sqlnet, fields.user, fields.appname);
    return Connect(fields);
}

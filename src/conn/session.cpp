// Session handles: the credentials and per-session context values.
#include <cstring>
#include <new>

#include "conn/conn_handles.h"
#include "conn/transcode.h"
#include "diag/errors.h"
#include "env/attributes.h"
#include "env/env.h"

OCISession *Alloc_OCISession() { return NewHandle<OCISession>(HANDLE_OCISession); }

void Free_OCISession(OCISession *session) {
    if (session == nullptr || session->handleType != HANDLE_OCISession) return;
    if (OCIEnv *env = EnvOfHandle(session)) {
        foreach_cell(cell, env->children) {
            OCISvcCtx *svchp = HandleAs<OCISvcCtx>(cell->ptr, HANDLE_OCISvcCtx);
            if (svchp != nullptr && svchp->session == session) svchp->session = nullptr;
        }
    }
    o2pFree(session->username);
    o2pFree(session->password);
    o2pFree(session->module);
    FreeContextEntries(session->contexts);
    FreeSessionMemory(session);
    DeleteHandle(session);
}

namespace {
// Replaces one of the session's texts. The old value goes first: a value
// that cannot be taken leaves the attribute unset. In a UTF-16 environment
// the text arrives in UTF-16 and is kept in UTF-8.
sword StoreText(OCISession *session, char **field, const void *value, size_t length, OCIError *errhp) {
    o2pFree(*field);
    *field = nullptr;
    if (value == nullptr || length == 0) return OCI_SUCCESS;
    OCIEnv *env = EnvOfHandle(session);
    if (env != nullptr && env->utf16) {
        int error = 0;
        size_t converted = 0;
        if (transcode(env->toUtf8, &error, static_cast<const char *>(value), length, field, &converted) < 0) {
            AddTranscodeErrorRecord(errhp, error);
            return OCI_ERROR;
        }
        if (*field == nullptr) throw std::bad_alloc();
        return OCI_SUCCESS;
    }
    *field = o2pStrndup(static_cast<const char *>(value), length);
    if (*field == nullptr) throw std::bad_alloc();
    return OCI_SUCCESS;
}

// Byte length of a text of at most `size` bytes that may end early with a
// terminator (a zero code unit in UTF-16); nothing past `size` is read.
size_t BoundedTextLength(const OCIEnv *env, const void *value, size_t size) {
    if (env != nullptr && env->utf16) {
        const auto *units = static_cast<const ub1 *>(value);
        size_t n = 0;
        while (n + 1 < size && (units[n] != 0 || units[n + 1] != 0)) n += 2;
        return n;
    }
    return strnlen(static_cast<const char *>(value), size);
}

bool IgnoredSessionAttribute(ub4 attrtype) {
    switch (attrtype) {
    case OCI_ATTR_MIGSESSION: case OCI_ATTR_PROXY_CREDENTIALS: case OCI_ATTR_INITIAL_CLIENT_ROLES:
    case 169: case 273: case 275: case 276: case 277: case 278: case 300:
    case OCI_ATTR_ACTION: case OCI_ATTR_CLIENT_INFO: case OCI_ATTR_COLLECT_CALL_TIME:
        return true;
    default:
        return false;
    }
}
}  // namespace

sword Get_OCISession(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *session = HandleAs<OCISession>(h, HANDLE_OCISession);
    if (session == nullptr || attributep == nullptr) return OCI_ERROR;
    if (attrtype != OCI_ATTR_USERNAME) {
        AddErrorRecord(errhp, OCI_ERROR, kErrAttributeInvalid);
        return OCI_ERROR;
    }
    if (session->username == nullptr) return OCI_SUCCESS;
    // The copy lives in the environment's cache and goes with it; in a
    // UTF-16 environment it is handed back in UTF-16.
    OCIEnv *env = EnvOfHandle(session);
    const char *name = session->username;
    size_t length = std::strlen(name);
    char *converted = nullptr;
    if (env != nullptr && env->utf16) {
        int error = 0;
        if (transcode(env->fromUtf8, &error, name, length, &converted, &length) < 0) {
            AddTranscodeErrorRecord(errhp, error);
            return OCI_ERROR;
        }
        name = converted;
    }
    auto *copy = static_cast<char *>(AllocateMemFromEnvCache(env, length + 2));
    if (copy == nullptr) {
        o2pFree(converted);
        throw std::bad_alloc();
    }
    std::memcpy(copy, name, length);  // the cache block comes zeroed: terminated
    o2pFree(converted);
    *static_cast<char **>(attributep) = copy;
    if (sizep != nullptr) *sizep = static_cast<ub4>(length);
    return OCI_SUCCESS;
}

sword Set_OCISession(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp) {
    auto *session = HandleAs<OCISession>(h, HANDLE_OCISession);
    if (session == nullptr) return OCI_ERROR;
    switch (attrtype) {
    case OCI_ATTR_USERNAME:
        return StoreText(session, &session->username, attributep, size, errhp);
    case OCI_ATTR_PASSWORD:
        return StoreText(session, &session->password, attributep, size, errhp);
    case OCI_ATTR_MODULE: {
        const size_t length =
            (attributep == nullptr || size == 0) ? 0 : BoundedTextLength(EnvOfHandle(session), attributep, size);
        return StoreText(session, &session->module, attributep, length, errhp);
    }
    default:
        return IgnoredSessionAttribute(attrtype) ? OCI_SUCCESS : OCI_ERROR;
    }
}

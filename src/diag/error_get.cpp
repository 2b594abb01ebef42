// Reading error records: OCIErrorGet and the server-detail variant OCIPGErrorGet.
#include <algorithm>
#include <cstring>

#include "conn/transcode.h"
#include "diag/catalogue.h"
#include "diag/entry.h"
#include "env/memory.h"

namespace {
// Resolves the error handle a reader looks at: the handle itself for
// OCI_HTYPE_ERROR, the environment's own otherwise.
sword ResolveReadHandle(void *hndlp, ub4 type, OCIEnv **envOut, OCIError **errOut) {
    OCIEnv *env = EnvOfHandle(hndlp);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    void *target = type == OCI_HTYPE_ERROR ? hndlp : static_cast<void *>(env->errhp);
    OCIError *errhp = HandleAs<OCIError>(target, HANDLE_OCIError);
    if (errhp == nullptr) return OCI_ERROR;
    *envOut = env;
    *errOut = errhp;
    return OCI_SUCCESS;
}

// Copies a record text into the caller's buffer, converted to the client's
// character set in a UTF-16 environment. A failed conversion adds a record to
// the handle being read.
sword CopyText(OCIEnv *env, OCIError *errhp, const char *message, OraText *bufp, ub4 bufsiz) {
    if (bufp == nullptr || bufsiz == 0) return OCI_SUCCESS;
    const char *out = message;
    size_t length = std::strlen(message);
    char *converted = nullptr;
    if (env->utf16) {
        int error = 0;
        if (transcode(env->fromUtf8, &error, message, length, &converted, &length) < 0) {
            AddTranscodeErrorRecord(errhp, error);
            return OCI_ERROR;
        }
        out = converted != nullptr ? converted : "";
    }
    if (env->utf16) {
        // UTF-16LE: the text ends with a zero 16-bit unit, and a cut never
        // separates the two halves of a surrogate pair.
        if (bufsiz < 2) {
            bufp[0] = '\0';
        } else {
            size_t n = std::min<size_t>(length / 2, bufsiz / 2 - 1) * 2;
            const auto *units = reinterpret_cast<const unsigned char *>(out);
            if (n < length && n >= 2 && (units[n - 1] & 0xFC) == 0xD8) n -= 2;  // a lone high surrogate
            std::memcpy(bufp, out, n);
            bufp[n] = bufp[n + 1] = '\0';
        }
    } else {
        const size_t n = std::min<size_t>(length, bufsiz - 1);
        std::memcpy(bufp, out, n);
        bufp[n] = '\0';
    }
    o2pFree(converted);
    return OCI_SUCCESS;
}
}  // namespace

OCI_EXPORT sword OCIErrorGet(void *hndlp, ub4 recordno, OraText *sqlstate, sb4 *errcodep,
                             OraText *bufp, ub4 bufsiz, ub4 type) {
    if (hndlp == nullptr || recordno == 0 || errcodep == nullptr) return OCI_ERROR;
    OCIEnv *env = nullptr;
    OCIError *errhp = nullptr;
    sword rc = ResolveReadHandle(hndlp, type, &env, &errhp);
    if (rc != OCI_SUCCESS) return rc;
    // Reading never clears the handle, so no error handle is passed here.
    return RunEntry(
        {"OCIErrorGet", OCI_FNCODE_ERRORGET}, env, nullptr,
        [&]() -> sword {
            const errinfo *rec = ErrorRecordAt(errhp, static_cast<int>(recordno));
            if (rec == nullptr) return OCI_NO_DATA;
            *errcodep = (rec->content & ERRINFO_ERRCODE) ? rec->errcode : 0;
            const char *message = (rec->content & ERRINFO_MSG)
                                      ? rec->msg
                                      : o2pGetErrorText(static_cast<ub4>(rec->errcode));
            return CopyText(env, errhp, message, bufp, bufsiz);
        },
        OCI_ARGS(hndlp, recordno, sqlstate, errcodep, bufp, bufsiz, type));
}

OCI_EXPORT sword OCIPGErrorGet(void *hndlp, ub4 recordno, OraText *sqlstate, ub4 sqlstatesiz,
                               OraText *bufp, ub4 bufsiz, ub4 type) {
    if (hndlp == nullptr || recordno == 0 || sqlstate == nullptr) return OCI_ERROR;
    OCIEnv *env = nullptr;
    OCIError *errhp = nullptr;
    sword rc = ResolveReadHandle(hndlp, type, &env, &errhp);
    if (rc != OCI_SUCCESS) return rc;
    return RunEntry({"OCIPGErrorGet", 0}, env, nullptr, [&]() -> sword {
        const errinfo *rec = ErrorRecordAt(errhp, static_cast<int>(recordno));
        if (rec == nullptr || (rec->content & (ERRINFO_SQLSTATE | ERRINFO_PG_MSG)) == 0)
            return OCI_NO_DATA;
        if (rec->content & ERRINFO_PG_MSG) {
            sword copied = CopyText(env, errhp, rec->pg_msg, bufp, bufsiz);
            if (copied != OCI_SUCCESS) return copied;
        }
        if ((rec->content & ERRINFO_SQLSTATE) && sqlstatesiz != 0) {
            const size_t n = std::min<size_t>(5, sqlstatesiz - 1);
            std::memcpy(sqlstate, rec->sqlstate, n);
            sqlstate[n] = '\0';
        }
        return OCI_SUCCESS;
    });
}

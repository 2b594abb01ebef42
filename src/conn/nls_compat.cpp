// OCINlsNumericInfoGet and OCINlsNameMap. The library's own mode refuses
// them like the other NLS information calls; the Oracle-compatible mode
// answers the character-set items drivers size their buffers by and maps
// character-set names between Oracle's and IANA's spelling.
#include <cstring>
#include <string>

#include "conn/nls.h"
#include "diag/unsupported.h"
#include "env/compat.h"
#include "env/env.h"

namespace {
// The environment `hndl` stands for: an environment or a session handle.
OCIEnv *EnvironmentOf(void *hndl) {
    if (auto *env = HandleAs<OCIEnv>(hndl, HANDLE_OCIEnv)) return env;
    if (HandleAs<OCIHandle>(hndl, HANDLE_OCISession) != nullptr) return EnvOfHandle(hndl);
    return nullptr;
}

sword NumericInfo(OCIEnv *env, OCIError *errhp, sb4 *val, ub2 item) {
    if (val == nullptr) {
        AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "3");
        return OCI_ERROR;
    }
    const int maxLength = nls::EncodingMaxLength(env->charsetId);
    switch (item) {
    case OCI_NLS_CHARSET_MAXBYTESZ:
        *val = maxLength;
        return OCI_SUCCESS;
    case OCI_NLS_CHARSET_FIXEDWIDTH:
        // Width in bytes of a fixed-width set, 0 for a varying one.
        *val = maxLength == 1 ? 1 : 0;
        return OCI_SUCCESS;
    default:
        AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "4");
        return OCI_ERROR;
    }
}
// The IANA name of an encoding; "" for none.
const char *IanaName(int encoding) {
    switch (encoding) {
    case nls::ENC_SQL_ASCII: return "US-ASCII";
    case nls::ENC_UTF16LE: case nls::ENC_UTF16BE: return "UTF-16";
    default: return nls::EncodingIconvName(encoding);
    }
}

// The encoding an IANA name stands for (case ignored), -1 for none.
int EncodingOfIana(const char *name) {
    for (int encoding = 0; encoding <= nls::kMaxEncodingId; encoding++)
        if (oci_strcasecmp(name, IanaName(encoding)) == 0) return encoding;
    return -1;
}

// Maps a character-set name; "" when it has no counterpart.
std::string MapCharsetName(const char *source, uword flag) {
    if (flag == OCI_NLS_CS_ORA_TO_IANA) {
        const int encoding = nls::EncodingOfOracleName(source);
        return encoding >= 0 ? IanaName(encoding) : "";
    }
    const int encoding = EncodingOfIana(source);
    return encoding >= 0 ? nls::OracleNameOfId(nls::OracleIdOfEncoding(encoding)) : "";
}

sword NameMap(OCIEnv *env, OraText *buf, size_t buflen, const OraText *srcbuf, uword flag) {
    OCIError *errhp = env->errhp;
    if (buf == nullptr || srcbuf == nullptr) {
        AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, buf == nullptr ? "2" : "4");
        return OCI_ERROR;
    }
    // Language and territory names are Oracle's own here.
    if (flag != OCI_NLS_CS_ORA_TO_IANA && flag != OCI_NLS_CS_IANA_TO_ORA) {
        AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "5");
        return OCI_ERROR;
    }
    const std::string mapped = MapCharsetName(reinterpret_cast<const char *>(srcbuf), flag);
    if (mapped.empty() || mapped.size() >= buflen) {
        AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, mapped.empty() ? "4" : "3");
        return OCI_ERROR;
    }
    std::memcpy(buf, mapped.c_str(), mapped.size() + 1);
    return OCI_SUCCESS;
}
}  // namespace

OCI_EXPORT sword OCINlsNameMap(void *envhp, OraText *buf, size_t buflen, const OraText *srcbuf, uword flag) {
    OCIEnv *env = EnvironmentOf(envhp);
    if (!OracleCompat(env))
        return REFUSE_UNSUPPORTED(unsupported_detail::kRefused, "Mapping NLS Name", envhp, buf, buflen, srcbuf,
                                  flag);
    return RunEntry({"OCINlsNameMap", 0}, env, nullptr,
                    [&]() -> sword { return NameMap(env, buf, buflen, srcbuf, flag); },
                    OCI_ARGS(envhp, buf, buflen, srcbuf, flag));
}

OCI_EXPORT sword OCINlsNumericInfoGet(void *envhp, OCIError *errhp, sb4 *val, ub2 item) {
    OCIEnv *env = EnvironmentOf(envhp);
    if (!OracleCompat(env))
        return REFUSE_UNSUPPORTED(unsupported_detail::kRefused, "Getting NLS Numeric Information", envhp, errhp,
                                  val, item);
    if (errhp != nullptr && HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCINlsNumericInfoGet", 0}, env, errhp,
                    [&]() -> sword { return NumericInfo(env, errhp != nullptr ? errhp : env->errhp, val, item); },
                    OCI_ARGS(envhp, errhp, val, item));
}

// The shared refusal machinery, plus the connection-pool and XML-context
// entry points, which refuse with a message but never end the process.
#include "diag/unsupported.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "env/compat.h"
#include "env/env.h"

namespace unsupported_detail {

namespace {
constexpr sb4 kUnsupportedFeature = 3001;

OCIError *AsErrorHandle(const OCIError *errhp) {
    return HandleAs<OCIError>(errhp, HANDLE_OCIError);
}
}  // namespace

void TraceWhat(const char *what) { o2pTrace(3, "%s\n", what); }

OCIEnv *CallbackEnvironment(const void *handle, const OCIError *errhp) {
    // EnvOfHandle stops at the first record that is not one of ours, so a
    // foreign pointer gives null rather than a walk through its contents.
    if (OCIEnv *env = EnvOfHandle(handle)) return env;
    if (OCIError *err = AsErrorHandle(errhp)) return EnvOfHandle(err);
    return nullptr;
}

void RequireUnimplementedAllowed(const GuardedSite &site) {
    if (std::getenv("TAV_OCI_UIFCTN_RET_OK") != nullptr) return;
    const char *slash = std::strrchr(site.file, '/');
    const char *unit = slash != nullptr ? slash + 1 : site.file;
    std::fprintf(stderr, "UNIMPLEMENTED FUNCTION CALL %s IN FILE %s AT LINE %d\n", site.name, unit,
                 site.line);
    std::exit(1);
}

void NoteUnsupported(OCIError *errhp) {
    if (OCIError *err = AsErrorHandle(errhp)) SetErrorHandleMessage(err, kUnsupportedFeature);
}

bool RefusesLikeOracle(const OCIEnv *env) {
    // Without an environment there is only the process to ask.
    return env != nullptr ? OracleCompat(env) : CompatSwitchFromProcess();
}

void RecordUnsupported(OCIError *errhp, OCIEnv *env) {
    OCIError *target = AsErrorHandle(errhp);
    if (target == nullptr && env != nullptr) target = env->errhp;
    if (target == nullptr) return;
    ClearErrorHandle(target);
    AddErrorRecord(target, OCI_ERROR, kUnsupportedFeature);
}

void TraceResultText(sword status) { entry_detail::TraceReturn(status); }

void TraceResultSigned(long long value) { o2pTrace(4, "\tRETURNING %lld\n", value); }

void TraceResultPointer(const void *value) { o2pTrace(4, "\tRETURNING %p\n", value); }

}  // namespace unsupported_detail

using unsupported_detail::kRefused;

// Connection pools: session pools cover pooling; a connection pool is
// refused outright, with the reason left on the error handle.

OCI_EXPORT sword OCIConnectionPoolCreate(OCIEnv *envhp, OCIError *errhp, OCICPool *poolhp,
                                         OraText **poolName, sb4 *poolNameLen,
                                         const OraText *dblink, sb4 dblinkLen, ub4 connMin,
                                         ub4 connMax, ub4 connIncr, const OraText *poolUserName,
                                         sb4 poolUserLen, const OraText *poolPassword,
                                         sb4 poolPassLen, ub4 mode) {
    return NOTED_UNSUPPORTED(kRefused, "Creating Connection Pool", errhp, envhp, errhp, poolhp,
                             poolName, poolNameLen, dblink, dblinkLen, connMin, connMax, connIncr,
                             poolUserName, poolUserLen, poolPassword, poolPassLen, mode);
}

OCI_EXPORT sword OCIConnectionPoolDestroy(OCICPool *poolhp, OCIError *errhp, ub4 mode) {
    return NOTED_UNSUPPORTED(kRefused, "Destroying Connection Pool", errhp, poolhp, errhp, mode);
}

// XML contexts: there is no XML DB; a null context tells the caller so.

OCI_EXPORT xmlctx *OCIXmlDbInitXmlCtx(OCIEnv *envhp, OCISvcCtx *svchp, OCIError *err,
                                      ocixmldbparam *params, int num_params) {
    return NOTED_UNSUPPORTED(static_cast<xmlctx *>(nullptr), "Initializing XML Context", err,
                             envhp, svchp, err, params, num_params);
}

OCI_EXPORT void OCIXmlDbFreeXmlCtx(xmlctx *xctx) {
    IGNORE_UNSUPPORTED("Freeing XML Context", xctx);
}

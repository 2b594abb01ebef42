// Entry points of the families that have no server counterpart (queuing,
// direct path, the object cache, collections, most LOB work, ...). Each of
// them is a few lines over the helpers below; they differ only in how they
// refuse:
//
//   guarded   - may end the process (see GuardedUnsupported); some of them
//               run the user callbacks of their function code
//   refused   - trace and hand back a fixed result (-1, all ones, null)
//   noted     - as refused, but the 3001 text is also left in the message
//               buffer of the caller's error handle
//
// None of them adds an error record or clears the error handle: applications
// that probe these calls keep whatever records they had.
//
// The Oracle-compatible mode refuses the way Oracle's client refuses what it
// does not offer: no member ends the process, and each one that is given an
// error handle leaves record 3001 on it (a guarded member also returns
// OCI_ERROR).
#pragma once
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "diag/entry.h"

namespace unsupported_detail {

// Where a guarded member sits, for the callbacks and the abort message.
struct GuardedSite {
    const char *name;  // exported name
    ub4 fcode;         // OCI function code of its callbacks, 0 for none
    const char *what;  // level-3 description of the call
    const char *file;  // source unit, as __FILE__ gives it
    int line;
};

// Fixed results of the refusing members.
constexpr sword kRefused = OCI_ERROR;
constexpr boolean kRefusedBoolean = static_cast<boolean>(-1);  // all ones in its width
constexpr ub4 kAllOnes32 = 0xFFFFFFFFu;
constexpr size_t kAllOnesSize = SIZE_MAX;

void TraceWhat(const char *what);

// The environment whose callbacks a guarded member runs: the one reached
// from its first handle argument, else the one of its error handle. Null
// when neither is a handle of this library (a null pointer, a record of
// some other kind, a descriptor kind this library does not keep): such a
// call runs no callbacks.
OCIEnv *CallbackEnvironment(const void *handle, const OCIError *errhp);

// Unless TAV_OCI_UIFCTN_RET_OK is present in the environment (any value),
// reports the call on standard error and ends the process with status 1.
void RequireUnimplementedAllowed(const GuardedSite &site);

// Leaves the text of error 3001 in the message buffer of `errhp` when it is
// an error handle; adds no record.
void NoteUnsupported(OCIError *errhp);

// Whether a call reaching `env` (null: no environment of this library was
// reached) refuses the Oracle way.
bool RefusesLikeOracle(const OCIEnv *env);
// The Oracle refusal: clears `errhp` and adds record 3001, or does the same
// on the environment's own error handle when `errhp` is none.
void RecordUnsupported(OCIError *errhp, OCIEnv *env);

// The first argument typed as an error handle, else null.
template <class... Args> OCIError *ErrorHandleArg(Args... args) {
    OCIError *found = nullptr;
    auto pick = [&found](auto value) {
        if constexpr (std::is_same<decltype(value), OCIError *>::value)
            if (found == nullptr) found = value;
    };
    (pick(args), ...);
    return found;
}

template <class... Args> void TraceArgs(const char *argNames, Args... args) {
    if (!entry_detail::ArgsTraced()) return;
    const char *names = argNames;
    (entry_detail::TraceArg(names, args), ...);
}

void TraceResultText(sword status);
void TraceResultSigned(long long value);
void TraceResultPointer(const void *value);

template <class R> R TraceResult(R result) {
    if constexpr (std::is_same<R, sword>::value) {
        TraceResultText(result);
    } else if constexpr (std::is_pointer<R>::value) {
        TraceResultPointer(result);
    } else {
        static_assert(std::is_integral<R>::value, "refusal results are scalars");
        // Sizes and wide characters are reported the way the caller reads
        // the refusal: as -1.
        TraceResultSigned(static_cast<long long>(static_cast<std::make_signed_t<R>>(result)));
    }
    return result;
}

// The guarded behaviour:
//   1. entry and replace callbacks of the function code (when it has one),
//   2. the arguments traced,
//   3. without TAV_OCI_UIFCTN_RET_OK: the UNIMPLEMENTED line and exit(1),
//   4. otherwise the 3001 text into the error handle's message buffer,
//   5. exit callbacks.
// The result is the status the entry and replace callbacks leave (the exit
// callbacks run after it is taken), OCI_SUCCESS when there are none.
template <class... Args>
sword GuardedUnsupported(const GuardedSite &site, const void *envHandle, OCIError *errhp,
                         const char *argNames, Args... args) {
    TraceWhat(site.what);
    sword status = OCI_SUCCESS;
    OCIEnv *reached = CallbackEnvironment(envHandle, errhp);
    OCIEnv *env = HasUcbSlot(site.fcode) ? reached : nullptr;
    RunBeforeUcbs(env, site.fcode, &status, args...);
    TraceArgs(argNames, args...);
    if (RefusesLikeOracle(reached)) {
        RecordUnsupported(errhp, reached);
        sword refused = OCI_ERROR;
        RunExitUcbs(env, site.fcode, &refused, args...);
        return TraceResult(refused);
    }
    RequireUnimplementedAllowed(site);
    NoteUnsupported(errhp);
    const sword result = status;
    RunExitUcbs(env, site.fcode, &status, args...);
    return TraceResult(result);
}

// Trace and return `result`; `noteOn` (may be null) receives the 3001 text.
template <class R, class... Args>
R RefuseUnsupported(R result, const char *what, OCIError *noteOn, const char *argNames,
                    Args... args) {
    TraceWhat(what);
    TraceArgs(argNames, args...);
    NoteUnsupported(noteOn);
    OCIError *errhp = noteOn != nullptr ? noteOn : ErrorHandleArg(args...);
    if (errhp != nullptr && RefusesLikeOracle(CallbackEnvironment(nullptr, errhp)))
        RecordUnsupported(errhp, nullptr);
    return TraceResult(result);
}

// For the members without a result.
template <class... Args> void IgnoreUnsupported(const char *what, const char *argNames, Args... args) {
    TraceWhat(what);
    TraceArgs(argNames, args...);
}

}  // namespace unsupported_detail

// GUARDED_UNSUPPORTED(fcode, "what", handle for the callbacks, error handle or
// nullptr, every argument of the member...)
#define GUARDED_UNSUPPORTED(fcode, what, envHandle, errhp, ...)                                   \
    ::unsupported_detail::GuardedUnsupported(                                                     \
        ::unsupported_detail::GuardedSite{__func__, static_cast<ub4>(fcode), what, __FILE__,      \
                                          __LINE__},                                              \
        envHandle, errhp, OCI_ARGS(__VA_ARGS__))

// REFUSE_UNSUPPORTED(result, "what", every argument of the member...)
#define REFUSE_UNSUPPORTED(result, what, ...) \
    ::unsupported_detail::RefuseUnsupported(result, what, nullptr, OCI_ARGS(__VA_ARGS__))

// NOTED_UNSUPPORTED(result, "what", error handle, every argument...)
#define NOTED_UNSUPPORTED(result, what, errhp, ...) \
    ::unsupported_detail::RefuseUnsupported(result, what, errhp, OCI_ARGS(__VA_ARGS__))

#define IGNORE_UNSUPPORTED(what, ...) \
    ::unsupported_detail::IgnoreUnsupported(what, OCI_ARGS(__VA_ARGS__))

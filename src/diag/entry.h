// The one shape every exported entry point takes.
//
// An entry point checks its handles itself (the rules differ per call), then
// hands its work to RunEntry, which
//   traces the call and its arguments,
//   runs the entry and replace user callbacks of its function code,
//   clears the error handle the call reports into,
//   runs the work (out-of-memory and any other exception become records),
//   runs the exit callbacks unless the work failed,
//   traces and returns the status.
//
// In the Oracle-compatible mode a failed call also leaves what Oracle's
// client leaves: at least one error record (the entry point's own
// `failureError`, else a generic one, when the work added none), and a
// server connection lost on the way reported as 3113 by the call that finds
// it and as 3114 by every failing call after.
//
// The status the callbacks see starts at OCI_SUCCESS; when the work succeeds
// the call returns that status, so a callback may change a success into its
// own result. A failing work result is returned as it is, unless the entry
// point asks for exit callbacks after failures too: then they see, and may
// change, the failure. The work is `sword()` or `sword(EntryCall &)`.
#pragma once
#include <type_traits>
#include <utility>

#include "diag/errors.h"
#include "diag/trace.h"
#include "diag/ucb.h"

// Expands to the argument names as one text followed by the arguments.
#define OCI_ARGS(...) #__VA_ARGS__, __VA_ARGS__

struct EntryInfo {
    const char *name;  // exported name, for the trace
    ub4 fcode;         // OCI function code of the callbacks, 0 for none
    bool exitOnFailure = false;  // run the exit callbacks after a failed work too
    sb4 failureError = 0;  // Oracle-compatible mode: the record of a failure that left none
    // Oracle-compatible mode: the server the call runs on, for calls whose
    // handle argument is untyped (else found among the arguments).
    OCIServer *server = nullptr;
};

// What a work function may tell the guard about the call in progress.
struct EntryCall {
    bool exitOnFailure;
    sword ucbStatus;  // the status the entry and replace callbacks left
};

namespace entry_detail {
void TraceCallStart(const char *name);
void TraceArgPointer(const char *&names, const void *value);
void TraceArgSigned(const char *&names, long long value);
void TraceArgUnsigned(const char *&names, unsigned long long value);
sword TraceReturn(sword status);
// Runs `work` and turns an escaping exception into a record on `report`.
sword Guarded(OCIError *report, sword (*thunk)(void *), void *work);

// The Oracle-compatible failure reporting. Before the work, the guard notes
// the server connection the call's first service context, statement or
// server argument runs on, and whether it was up; after a failed work it
// completes the records (see the top of this file).
struct FailureWatch {
    bool active = false;  // the mode is on for the reporting handle
    OCIServer *server = nullptr;
    bool wasConnected = false;
};
FailureWatch WatchServer(OCIError *report, OCIServer *server);
OCIServer *ServerOfSvcCtx(const void *svchp);
OCIServer *ServerOfStmt(const void *stmtp);
OCIServer *ServerOfServer(const void *srvhp);
void CompleteFailure(OCIError *report, const FailureWatch &watch, sb4 failureError);

template <class T> OCIServer *ServerOfArg(T value) {
    using P = std::remove_cv_t<std::remove_pointer_t<T>>;
    if constexpr (!std::is_pointer<T>::value) return nullptr;
    else if constexpr (std::is_same<P, OCISvcCtx>::value) return ServerOfSvcCtx(value);
    else if constexpr (std::is_same<P, OCIStmt>::value) return ServerOfStmt(value);
    else if constexpr (std::is_same<P, OCIServer>::value) return ServerOfServer(value);
    else return nullptr;
}
template <class... Args> OCIServer *FirstServerArg(Args... args) {
    OCIServer *found = nullptr;
    ((found = found != nullptr ? found : ServerOfArg(args)), ...);
    return found;
}

template <class T> void TraceArg(const char *&names, T value) {
    static_assert(std::is_scalar<T>::value, "entry point arguments are scalars");
    if constexpr (std::is_pointer<T>::value || std::is_null_pointer<T>::value)
        TraceArgPointer(names, reinterpret_cast<const void *>(value));
    else if constexpr (std::is_signed<T>::value)
        TraceArgSigned(names, static_cast<long long>(value));
    else
        TraceArgUnsigned(names, static_cast<unsigned long long>(value));
}
inline bool ArgsTraced() { return OCI2PQ_TRACE_LEVEL >= 4 && oci_debug_log != nullptr; }

// Arguments travel to the callbacks through `...`, where small integers are
// promoted; pass them promoted explicitly so the va_list matches.
template <class T> auto PromoteArg(T v) {
    if constexpr (std::is_integral<T>::value && sizeof(T) < sizeof(int)) return static_cast<int>(v);
    else return v;
}
}  // namespace entry_detail

// The callbacks around a call's work: entry and replace before it, exit
// after it. Both do nothing without an environment or a function code.
inline bool HasUcbSlot(ub4 fcode) { return fcode != 0 && fcode < kUcbSlots; }
inline bool HasUcbs(const OCIEnv *env, ub4 fcode) { return env != nullptr && HasUcbSlot(fcode); }

template <class... Args> void RunBeforeUcbs(OCIEnv *env, ub4 fcode, sword *status, Args... args) {
    using entry_detail::PromoteArg;
    if (!HasUcbs(env, fcode)) return;
    const bool traced = o2pTracing(4);
    if (traced) o2pTrace(4, "BEFORE PerformEntryUcbs\n");
    if (env->ucbEntry[fcode] != nullptr) PerformEntryUcbs(env->ucbEntry[fcode], status, PromoteArg(args)...);
    if (traced) o2pTrace(4, "BEFORE PerformReplaceUcbs\n");
    if (env->ucbReplace[fcode] != nullptr) PerformReplaceUcbs(env, status, fcode, PromoteArg(args)...);
}

template <class... Args> void RunExitUcbs(OCIEnv *env, ub4 fcode, sword *status, Args... args) {
    using entry_detail::PromoteArg;
    if (!HasUcbs(env, fcode)) return;
    if (o2pTracing(4)) o2pTrace(4, "BEFORE PerformExitUcbs\n");
    if (env->ucbExit[fcode] != nullptr) PerformExitUcbs(env->ucbExit[fcode], status, PromoteArg(args)...);
}

template <class Work, class... Args>
sword RunEntry(const EntryInfo &info, OCIEnv *env, OCIError *errhp, Work &&work,
               const char *argNames, Args... args) {
    using namespace entry_detail;
    if (o2pTracing(3)) TraceCallStart(info.name);
    if (ArgsTraced()) {
        const char *names = argNames;
        (TraceArg(names, args), ...);
        (void)names;
    }
    sword status = OCI_SUCCESS;
    RunBeforeUcbs(env, info.fcode, &status, args...);
    ClearErrorHandle(errhp);
    OCIError *report = errhp != nullptr ? errhp : (env != nullptr ? env->errhp : nullptr);
    FailureWatch watch = WatchServer(report, nullptr);
    if (watch.active) watch = WatchServer(report, info.server != nullptr ? info.server : FirstServerArg(args...));
    EntryCall call{info.exitOnFailure, status};
    using W = std::remove_reference_t<Work>;
    struct Bound {
        W *work;
        EntryCall *call;
    } bound{&work, &call};
    sword rc = Guarded(report, [](void *b) -> sword {
        auto *p = static_cast<Bound *>(b);
        if constexpr (std::is_invocable_v<W &, EntryCall &>)
            return (*p->work)(*p->call);
        else
            return (*p->work)();
    }, &bound);
    if (rc == OCI_ERROR && watch.active) CompleteFailure(report, watch, info.failureError);
    if (rc != OCI_ERROR && rc != OCI_INVALID_HANDLE) {
        RunExitUcbs(env, info.fcode, &status, args...);
        if (rc == OCI_SUCCESS) rc = status;
    } else if (call.exitOnFailure) {
        RunExitUcbs(env, info.fcode, &rc, args...);
    }
    return o2pTracing(4) ? TraceReturn(rc) : rc;
}

// A refusal before the guard runs (an argument the entry point cannot work
// with): OCI_ERROR, and in the Oracle-compatible mode error 21560 naming the
// argument's position on `errhp`, when that is an error handle.
sword RefuseArgument(OCIError *errhp, const char *position);

// Entry points without arguments worth tracing or forwarding.
template <class Work>
sword RunEntry(const EntryInfo &info, OCIEnv *env, OCIError *errhp, Work &&work) {
    return RunEntry(info, env, errhp, std::forward<Work>(work), "");
}

#define OCI_EXPORT extern "C" __attribute__((visibility("default")))

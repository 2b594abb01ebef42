// User callbacks: registration, the runners used by instrumented entry
// points, and loading callback packages named in ORA_OCI_UCBPKG.
#include "diag/ucb.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "diag/entry.h"
#include "env/memory.h"
#include "platform/os.h"

namespace {
// Fixed values handed to every callback in the function-code, moment and
// return-code positions.
constexpr ub4 kUcbFcodeArg = 13;
constexpr ub4 kUcbWhenArg = 1;
constexpr sword kUcbReturnArg = 0;

constexpr int kMaxUcbPackages = 5;

const char *const OCICallbackTypes[] = {"", "OCI_UCBTYPE_ENTRY", "OCI_UCBTYPE_EXIT",
                                        "OCI_UCBTYPE_REPLACE"};

sword CallOne(const UcbRecord &rec, va_list args) {
    va_list copy;
    va_copy(copy, args);
    sword rc = rec.callback(rec.ctxp, rec.hndlp, rec.type, kUcbFcodeArg, kUcbWhenArg, kUcbReturnArg,
                            &errno, copy);
    va_end(copy);
    return rc;
}

// Entry and exit rule: the status takes each result until one is
// OCI_CONTINUE; a run that ends on OCI_CONTINUE restores the earlier status.
void RunChain(UcbList *list, sword *status, va_list args) {
    if (list == nullptr) return;
    const sword before = *status;
    for (sb4 i = 0; i < list->count; i++) {
        sword rc = CallOne(list->items[i], args);
        if (*status != OCI_CONTINUE) *status = rc;
    }
    if (*status == OCI_CONTINUE) *status = before;
}

bool AppendRegistration(UcbList **slot, const UcbRecord &rec) {
    UcbList *list = *slot;
    if (list == nullptr) {
        list = static_cast<UcbList *>(o2pCalloc(1, sizeof(UcbList)));
        if (list == nullptr) return false;
        *slot = list;
    }
    auto *grown = static_cast<UcbRecord *>(o2pMalloc(sizeof(UcbRecord) * (list->count + 1)));
    if (grown == nullptr) return false;
    if (list->count > 0) std::memcpy(grown, list->items, sizeof(UcbRecord) * list->count);
    grown[list->count] = rec;
    o2pFree(list->items);
    list->items = grown;
    list->count++;
    return true;
}

void FreeTable(UcbList **table) {
    for (int i = 0; i < kUcbSlots; i++) {
        if (table[i] == nullptr) continue;
        o2pFree(table[i]->items);
        o2pFree(table[i]);
        table[i] = nullptr;
    }
}
}  // namespace

bool IsKnownFunctionCode(ub4 fcode) {
    if (fcode < 1 || fcode > 123) return false;
    switch (fcode) {
    case 9: case 14: case 15: case 16: case 19: case 22: case 23: case 24:
    case 30: case 31: case 36: case 40: case 41: case 49: case 53: case 60:
        return false;
    default:
        return true;
    }
}

void PerformEntryUcbs(UcbList *list, sword *status, ...) {
    va_list args;
    va_start(args, status);
    RunChain(list, status, args);
    va_end(args);
}

void PerformExitUcbs(UcbList *list, sword *status, ...) {
    va_list args;
    va_start(args, status);
    RunChain(list, status, args);
    va_end(args);
}

sword PerformReplaceUcbs(OCIEnv *env, sword *status, ub4 fcode, ...) {
    if (env == nullptr || fcode >= kUcbSlots || env->ucbReplace[fcode] == nullptr) return *status;
    UcbList *list = env->ucbReplace[fcode];
    const sword before = *status;
    va_list args;
    va_start(args, fcode);
    for (sb4 i = 0; i < list->count; i++) {
        *status = CallOne(list->items[i], args);
        if (*status != OCI_CONTINUE) {
            // A replacement took over the call: its exit callbacks run now.
            va_list exitArgs;
            va_copy(exitArgs, args);
            RunChain(env->ucbExit[fcode], status, exitArgs);
            va_end(exitArgs);
            va_end(args);
            return 2048;
        }
    }
    va_end(args);
    *status = before;
    return *status;
}

void FreeUcbTables(OCIEnv *env) {
    FreeTable(env->ucbEntry);
    FreeTable(env->ucbReplace);
    FreeTable(env->ucbExit);
}

OCI_EXPORT sword OCIUserCallbackRegister(void *hndlp, ub4 type, void *ehndlp, OCIUserCallback callback,
                                         void *ctxp, ub4 fcode, ub4 when, OCIUcb *ucbDesc) {
    OCIEnv *env = HandleAs<OCIEnv>(hndlp, HANDLE_OCIEnv);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    o2pTrace(3, "Registering User Callback\n");
    o2pTrace(4, "\thndlp = %p\n\ttype = %u\n\tehndlp = %p\n\tctxp = %p\n", hndlp, type, ehndlp, ctxp);
    const char *fname = o2pGetFunctionCode(fcode);
    o2pTrace(4, "\tfcode = %s\n", fname != nullptr ? fname : "");
    o2pTrace(4, "\twhen = %s\n", when <= 3 ? OCICallbackTypes[when] : "UNKNOWN");
    sword result = OCI_SUCCESS;
    if (!IsKnownFunctionCode(fcode)) {
        o2pTrace(0, "\tERROR for FNCODE %s\n", "ERROR");
        result = OCI_ERROR;
        if (fcode >= kUcbSlots) return OCI_ERROR;
    }
    UcbList **table;
    switch (when) {
    case OCI_UCBTYPE_ENTRY: table = env->ucbEntry; break;
    case OCI_UCBTYPE_EXIT: table = env->ucbExit; break;
    case OCI_UCBTYPE_REPLACE: table = env->ucbReplace; break;
    default:
        o2pTrace(0, "\tERROR for WHEN %s\n", when <= 3 ? OCICallbackTypes[when] : "UNKNOWN");
        return OCI_ERROR;
    }
    const UcbRecord rec{hndlp, type, ehndlp, callback, ctxp, ucbDesc};
    if (!AppendRegistration(&table[fcode], rec)) {
        AddErrorRecord(env->errhp, OCI_ERROR, kErrNoMemory);
        return OCI_ERROR;
    }
    return result;
}

OCI_EXPORT sword OCISharedLibInit(void *metaCtx, void *libCtx, ub4 argfmt, sword argc, void **argv,
                                  OCIEnvCallbackType envCallback) {
    o2pTrace(3, "Initializing Shared Library\n");
    if (envCallback == nullptr) return OCI_ERROR;
    sword rc = envCallback(static_cast<OCIEnv *>(metaCtx), 0, 0, nullptr, nullptr);
    o2pTrace(4, "\tRETURNING %s\n", o2pGetReturnCodeText(rc));
    return rc;
}

sword o2pLoadUCBs(OCIEnv *env) {
    const char *value = std::getenv("ORA_OCI_UCBPKG");
    if (value == nullptr) return OCI_CONTINUE;
    const bool unlimited = std::getenv("TAV_OCI_NOUCBPKGLIMIT") != nullptr;
    std::string names(value);
    int processed = 0;
    size_t start = 0;
    while (start <= names.size()) {
        if (!unlimited && processed >= kMaxUcbPackages) break;
        size_t end = names.find(';', start);
        if (end == std::string::npos) end = names.size();
        const std::string name = names.substr(start, end - start);
        start = end + 1;
        if (name.empty()) {
            if (end == names.size()) break;
            continue;
        }
        processed++;
        o2pTrace(3, "Loading Callback Module: %s\n", name.c_str());
        const std::string file = name + os::kLibrarySuffix;
        std::string reason;
        void *handle = os::OpenLibrary(file.c_str(), &reason);
        if (handle == nullptr) {
            o2pTrace(0, "Could not load user callback package %s [reason: %s]\n", name.c_str(), reason.c_str());
            continue;
        }
        const std::string symbol = name + "Init";
        void *init = os::FindSymbol(handle, symbol.c_str(), &reason);
        if (init == nullptr) {
            std::fprintf(stderr, "%s\n", reason.c_str());
            std::exit(1);
        }
        // The package stays loaded for the life of the process: its callbacks
        // are registered in the environment.
        reinterpret_cast<OCIEnvCallbackType>(init)(env, 0, 0, nullptr, nullptr);
    }
    return OCI_SUCCESS;
}

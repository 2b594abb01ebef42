// Handle header helpers and the table of handle kinds.
#include "env/handles.h"

#include <algorithm>
#include <iterator>

#include "env/env.h"
#include "env/memory.h"

OCIEnv *EnvOfHandle(const void *p) {
    // Bounded walk: the deepest chain is bind -> statement -> child env -> env.
    for (int depth = 0; p != nullptr && depth < 8; depth++) {
        OCIHandle *h = AsHandle(p);
        if (h->handleType == HANDLE_OCIEnv) return static_cast<OCIEnv *>(h);
        if (h->handleType == HANDLE_None || h->handleType > HANDLE_OCIRowid) return nullptr;
        p = h->parenth;
    }
    return nullptr;
}

bool AllocUserMemory(OCIHandle *h, size_t size, void **usrmempp) {
    void *block = o2pCalloc(1, size);
    if (block == nullptr) return false;
    h->usrMem = block;
    h->usrMemSize = size;
    *usrmempp = block;
    return true;
}

void FreeUserMemory(OCIHandle *h) {
    o2pFree(h->usrMem);
    h->usrMem = nullptr;
    h->usrMemSize = 0;
}

namespace {
// Sorted by internal code.
constexpr HandleKind kHandleKinds[] = {
    {HANDLE_OCIEnv, "OCIEnv", OCI_HTYPE_ENV, false},
    {HANDLE_OCIError, "OCIError", OCI_HTYPE_ERROR, false},
    {HANDLE_OCISvcCtx, "OCISvcCtx", OCI_HTYPE_SVCCTX, false},
    {HANDLE_OCISession, "OCISession", OCI_HTYPE_SESSION, false},
    {HANDLE_OCIServer, "OCIServer", OCI_HTYPE_SERVER, false},
    {HANDLE_OCIBind, "OCIBind", OCI_HTYPE_BIND, false},
    {HANDLE_OCIDefine, "OCIDefine", OCI_HTYPE_DEFINE, false},
    {HANDLE_OCIStmt, "OCIStmt", OCI_HTYPE_STMT, false},
    {HANDLE_OCIParam, "OCIParam", OCI_DTYPE_PARAM, true},
    {HANDLE_OCIDescribe, "OCIDescribe", OCI_HTYPE_DESCRIBE, false},
    {HANDLE_OCIDateTime, "OCIDateTime", OCI_DTYPE_TIMESTAMP, true},
    {HANDLE_OCITrans, "OCITrans", OCI_HTYPE_TRANS, false},
    {HANDLE_OCIThreadId, "OCIThreadId", 0, false},
    {HANDLE_OCIThreadHandle, "OCIThreadHandle", 0, false},
    {HANDLE_OCIThreadMutex, "OCIThreadMutex", 0, false},
    {HANDLE_OCIThreadKey, "OCIThreadKey", 0, false},
    {HANDLE_OCIInterval, "OCIInterval", OCI_DTYPE_INTERVAL_DS, true},
    {HANDLE_OCISPool, "OCISPool", OCI_HTYPE_SPOOL, false},
    {HANDLE_OCILobLocator, "OCILobLocator", OCI_DTYPE_LOB, true},
    {HANDLE_OCIRowid, "OCIRowid", OCI_DTYPE_ROWID, true},
};
}  // namespace

const HandleKind *FindHandleKind(ub4 code) {
    auto it = std::lower_bound(std::begin(kHandleKinds), std::end(kHandleKinds), code,
                               [](const HandleKind &k, ub4 c) { return k.code < c; });
    if (it == std::end(kHandleKinds) || it->code != code) return nullptr;
    return it;
}

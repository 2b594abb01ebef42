// The common handle header, the internal type codes and the lookups every
// entry point uses to check the handles it is given.
#pragma once
#include <oci.h>
#include <cstdint>

#include "env/list.h"

// Internal type codes; they are not the published OCI_HTYPE_/OCI_DTYPE_ values.
enum HandleCode : ub4 {
    HANDLE_None = 0,
    HANDLE_OCIEnv = 1,
    HANDLE_OCIError = 2,
    HANDLE_OCISvcCtx = 3,
    HANDLE_OCISession = 4,
    HANDLE_OCIServer = 5,
    HANDLE_OCIBind = 6,
    HANDLE_OCIDefine = 7,
    HANDLE_OCIStmt = 8,
    HANDLE_OCIParam = 9,
    HANDLE_OCIDescribe = 10,
    HANDLE_OCIDateTime = 11,
    HANDLE_OCITrans = 12,
    HANDLE_OCIThreadId = 13,
    HANDLE_OCIThreadHandle = 14,
    HANDLE_OCIThreadMutex = 15,
    HANDLE_OCIThreadKey = 16,
    HANDLE_OCIInterval = 17,
    HANDLE_OCISPool = 18,
    HANDLE_OCILobLocator = 19,
    HANDLE_OCIRowid = 20,
};

// Every handle and descriptor record starts with these four fields.
struct OCIHandle {
    ub4 handleType;
    void *parenth;
    ub8 usrMemSize;
    void *usrMem;
};

inline OCIHandle *AsHandle(const void *p) {
    return static_cast<OCIHandle *>(const_cast<void *>(p));
}

// The record behind `p` when it is non-null and carries `code`, else null.
template <class T> T *HandleAs(const void *p, HandleCode code) {
    if (p == nullptr || AsHandle(p)->handleType != code) return nullptr;
    return static_cast<T *>(AsHandle(p));
}

// Follows parent links from any handle to the environment it lives in
// (itself for an environment); null when none is reached.
OCIEnv *EnvOfHandle(const void *p);

// Allocates the user memory block of a handle; false when memory runs out.
bool AllocUserMemory(OCIHandle *h, size_t size, void **usrmempp);
void FreeUserMemory(OCIHandle *h);

// One row per handle kind: its internal code, its name, the published type
// it is released as, and whether it is a descriptor.
struct HandleKind {
    HandleCode code;
    const char *name;
    ub4 publishedType;
    bool descriptor;
};
const HandleKind *FindHandleKind(ub4 code);

#include "env/memory.h"

// A zero-filled record of kind T carrying `code`, or null when memory runs out.
template <class T> T *NewHandle(HandleCode code) {
    T *h = o2pNew<T>();
    if (h != nullptr) h->handleType = code;
    return h;
}

// Releases a record's user memory and the record; the code is cleared first so
// that a stale pointer fails the handle check rather than passing it.
template <class T> void DeleteHandle(T *h) {
    FreeUserMemory(h);
    h->handleType = HANDLE_None;
    o2pDelete(h);
}

// OCIMemory and OCIContext: heap blocks for the application and key/value
// entries kept on an environment or a session.
#include <cstring>

#include "conn/conn_handles.h"
#include "diag/entry.h"
#include "env/env.h"

namespace {
constexpr ub1 kMaxContextKey = 64;
constexpr sb4 kErrInvalidHandle = 24316;

void FreeEntry(ContextEntry *entry) {
    o2pFree(entry->key);
    o2pFree(entry);
}

// The context list of an environment or a session, null for other kinds.
List **ContextListOf(void *hdl) {
    if (auto *env = HandleAs<OCIEnv>(hdl, HANDLE_OCIEnv)) return &env->contexts;
    if (auto *session = HandleAs<OCISession>(hdl, HANDLE_OCISession)) return &session->contexts;
    return nullptr;
}

// Checks shared by the two context calls; OCI_SUCCESS when the call may go on.
sword CheckContextCall(void *hdl, OCIError *err) {
    if (hdl == nullptr || HandleAs<OCIError>(err, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    return OCI_SUCCESS;
}
}  // namespace

List *AppendContextEntry(List *contexts, const char *key, ub1 keylen, void *value) {
    auto *entry = static_cast<ContextEntry *>(o2pCalloc(1, sizeof(ContextEntry)));
    if (entry == nullptr) throw std::bad_alloc();
    entry->key = o2pStrndup(key, keylen);
    if (entry->key == nullptr) {
        o2pFree(entry);
        throw std::bad_alloc();
    }
    entry->keylen = keylen;
    entry->value = value;
    try {
        return lappend(contexts, entry);
    } catch (...) {
        FreeEntry(entry);
        throw;
    }
}

void FreeContextEntries(List *contexts) {
    foreach_cell(cell, contexts) FreeEntry(static_cast<ContextEntry *>(cell->ptr));
    list_free(contexts);
}

void FreeSessionMemory(OCISession *session) {
    if (session == nullptr) return;
    foreach_cell(cell, session->memory) o2pFree(cell->ptr);
    list_free(session->memory);
    session->memory = nullptr;
}

OCI_EXPORT sword OCIMemoryAlloc(void *hdl, OCIError *err, void **mem, OCIDuration dur, ub4 size, ub4 flags) {
    return RunEntry({"OCIMemoryAlloc", 0}, nullptr, nullptr, [&]() -> sword {
        if (mem == nullptr || (dur != OCI_DURATION_SESSION && dur != OCI_DURATION_STATEMENT)) return OCI_ERROR;
        void *block = (flags & OCI_MEMORY_CLEARED) ? o2pCalloc(1, size) : o2pMalloc(size);
        if (block == nullptr) return OCI_ERROR;
        // Session memory given on a session goes with the session.
        if (auto *session = HandleAs<OCISession>(hdl, HANDLE_OCISession); session != nullptr && dur == OCI_DURATION_SESSION) {
            try {
                session->memory = lappend(session->memory, block);
            } catch (...) {
                o2pFree(block);
                throw;
            }
        }
        *mem = block;
        return OCI_SUCCESS;
    }, OCI_ARGS(hdl, err, mem, dur, size, flags));
}

OCI_EXPORT sword OCIMemoryFree(void *hdl, OCIError *err, void *mem) {
    return RunEntry({"OCIMemoryFree", 0}, nullptr, nullptr, [&]() -> sword {
        // A block a session keeps must leave its list, or the session's end
        // would free it a second time.
        if (OCIEnv *env = EnvOfHandle(hdl); env != nullptr && mem != nullptr) {
            foreach_cell(cell, env->children) {
                auto *session = HandleAs<OCISession>(cell->ptr, HANDLE_OCISession);
                if (session != nullptr && list_member(session->memory, mem)) {
                    session->memory = list_delete(session->memory, mem);
                    break;
                }
            }
        }
        o2pFree(mem);
        return OCI_SUCCESS;
    }, OCI_ARGS(hdl, err, mem));
}

OCI_EXPORT sword OCIContextSetValue(void *hdl, OCIError *err, OCIDuration duration, ub1 *key, ub1 keylen,
                                    void *ctx_value) {
    sword rc = CheckContextCall(hdl, err);
    if (rc != OCI_SUCCESS) return rc;
    return RunEntry({"OCIContextSetValue", 0}, nullptr, err, [&]() -> sword {
        if (keylen < 1 || keylen > kMaxContextKey || key == nullptr) return OCI_ERROR;
        List **contexts = ContextListOf(hdl);
        if (contexts == nullptr) {
            AddErrorRecord(err, OCI_ERROR, kErrInvalidHandle);
            return OCI_ERROR;
        }
        // One entry per key: a new value replaces the old one, a null value
        // removes the entry.
        foreach_cell(cell, *contexts) {
            auto *entry = static_cast<ContextEntry *>(cell->ptr);
            if (entry->keylen != keylen || std::memcmp(entry->key, key, keylen) != 0) continue;
            if (ctx_value != nullptr) {
                entry->value = ctx_value;
            } else {
                *contexts = list_delete(*contexts, entry);
                FreeEntry(entry);
            }
            return OCI_SUCCESS;
        }
        if (ctx_value != nullptr)
            *contexts = AppendContextEntry(*contexts, reinterpret_cast<const char *>(key), keylen, ctx_value);
        return OCI_SUCCESS;
    }, OCI_ARGS(hdl, err, duration, key, keylen, ctx_value));
}

OCI_EXPORT sword OCIContextGetValue(void *hdl, OCIError *err, ub1 *key, ub1 keylen, void **ctx_value) {
    sword rc = CheckContextCall(hdl, err);
    if (rc != OCI_SUCCESS) return rc;
    return RunEntry({"OCIContextGetValue", 0}, nullptr, err, [&]() -> sword {
        if (keylen < 1 || keylen > kMaxContextKey || key == nullptr || ctx_value == nullptr) return OCI_ERROR;
        List **contexts = ContextListOf(hdl);
        if (contexts == nullptr) {
            AddErrorRecord(err, OCI_ERROR, kErrInvalidHandle);
            return OCI_ERROR;
        }
        foreach_cell(cell, *contexts) {
            auto *entry = static_cast<ContextEntry *>(cell->ptr);
            if (entry->keylen == keylen && std::memcmp(entry->key, key, keylen) == 0) *ctx_value = entry->value;
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(hdl, err, key, keylen, ctx_value));
}

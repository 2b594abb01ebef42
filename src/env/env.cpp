// Environments: process initialisation, environment creation and release,
// the environment's scratch-memory cache and its context entries.
#include "env/env.h"

#include <cstdlib>
#include <cstring>

#include "conn/nls.h"
#include "diag/catalogue.h"
#include "diag/entry.h"
#include "env/compat.h"
#include "platform/thread_handles.h"
#include "stmt/stmt_handles.h"

ub1 O2PEnvIsInitialized = 0;
ub4 O2PEnvMode = 0;
static void *O2PCustomMallocCallback = nullptr;
static void *O2PCustomReallocCallback = nullptr;
static void *O2PCustomFreeCallback = nullptr;
static void *O2PCustomMemoryContext = nullptr;

namespace {
// The client character set of UTF-16 environments.
constexpr sb4 kUtf8CharsetId = 6;
constexpr sb4 kUtf16LECharsetId = 39;
constexpr const char kUtf16LEName[] = "UTF-16LE";

// Bits OCIEnvCreate copies from its mode into the environment.
constexpr ub4 kEnvCreateModeBits =
    OCI_THREADED | OCI_OBJECT | OCI_EVENTS | OCI_NO_UCB | kEnvModeReserved8 | OCI_NEW_LENGTH_SEMANTICS;

template <class F> void *AsVoid(F fn) { return reinterpret_cast<void *>(fn); }
}  // namespace

OCIEnv *Alloc_OCIEnv() {
    auto *env = NewHandle<OCIEnv>(HANDLE_OCIEnv);
    if (env == nullptr) return nullptr;
    env->varcharSemantics = std::getenv("OCI_PG_VARCHARS") != nullptr ? 0 : 1;
    env->oracleCompat = CompatSwitchFromProcess() ? 1 : 0;
    env->toUtf8 = env->fromUtf8 = reinterpret_cast<iconv_t>(-1);
    env->errhp = Alloc_OCIError();
    if (env->errhp == nullptr) {
        DeleteHandle(env);
        return nullptr;
    }
    env->errhp->parenth = env;
    return env;
}

void Free_OCIEnv(OCIEnv *env) {
    if (env == nullptr || env->handleType != HANDLE_OCIEnv) return;
    while (ListCell *first = list_head(env->children)) {
        auto *h = static_cast<OCIHandle *>(first->ptr);
        const HandleKind *kind = FindHandleKind(h->handleType);
        switch (h->handleType) {
        case HANDLE_OCIThreadId:
        case HANDLE_OCIThreadHandle:
        case HANDLE_OCIThreadMutex:
        case HANDLE_OCIThreadKey: {
            env->children = list_delete(env->children, h);
            void *p = h;
            if (h->handleType == HANDLE_OCIThreadId) Free_OCIThreadId(reinterpret_cast<OCIThreadId **>(&p));
            else if (h->handleType == HANDLE_OCIThreadHandle) Free_OCIThreadHandle(reinterpret_cast<OCIThreadHandle **>(&p));
            else if (h->handleType == HANDLE_OCIThreadMutex) Free_OCIThreadMutex(reinterpret_cast<OCIThreadMutex **>(&p));
            else Free_OCIThreadKey(reinterpret_cast<OCIThreadKey **>(&p));
            continue;
        }
        case HANDLE_OCIStmt:
            // A statement from OCIStmtPrepare2 goes with its environment.
            static_cast<OCIStmt *>(h)->fromPrepare2 = false;
            break;
        default:
            break;
        }
        if (kind != nullptr && kind->descriptor)
            OCIDescriptorFree(h, kind->publishedType);
        else if (kind != nullptr)
            OCIHandleFree(h, kind->publishedType);
        // Whatever the release did, the element must leave the list, or this
        // loop would never end.
        if (list_head(env->children) == first && first->ptr == h)
            env->children = list_delete(env->children, h);
    }
    FreeContextEntries(env->contexts);
    FreeMemFromEnvCache(env);
    list_free(env->spools);
    FreeUcbTables(env);
    if (env->utf16 && env->parenth == nullptr) {
        if (env->toUtf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(env->toUtf8);
        if (env->fromUtf8 != reinterpret_cast<iconv_t>(-1)) iconv_close(env->fromUtf8);
    }
    Free_OCIError(env->errhp);
    DeleteHandle(env);
}

void *AllocateMemFromEnvCache(OCIEnv *env, size_t size) {
    if (HandleAs<OCIEnv>(env, HANDLE_OCIEnv) == nullptr || size == 0) return nullptr;
    void *block = o2pCalloc(1, size);
    if (block == nullptr) return nullptr;
    try {
        env->memCache = lappend(env->memCache, block);
    } catch (...) {
        o2pFree(block);
        return nullptr;
    }
    return block;
}

void FreeMemFromEnvCache(OCIEnv *env) {
    if (env == nullptr) return;
    foreach_cell(cell, env->memCache) o2pFree(cell->ptr);
    list_free(env->memCache);
    env->memCache = nullptr;
}

OCI_EXPORT sword OCIInitialize(ub4 mode, void *ctxp, void *(*malocfp)(void *, size_t),
                               void *(*ralocfp)(void *, void *, size_t), void (*mfreefp)(void *, void *)) {
    return RunEntry({"OCIInitialize", 0}, nullptr, nullptr, [&]() -> sword {
        if (O2PEnvIsInitialized == 1) return OCI_ERROR;
        O2PEnvMode = (mode & OCI_THREADED) ? 1 : 0;
        if (mode & OCI_OBJECT) O2PEnvMode |= 0x2;
        if (mode & OCI_EVENTS) return OCI_ERROR;
        O2PCustomMallocCallback = AsVoid(malocfp);
        O2PCustomReallocCallback = AsVoid(ralocfp);
        O2PCustomFreeCallback = AsVoid(mfreefp);
        O2PCustomMemoryContext = ctxp;
        if (mode != 0 && (mode & (OCI_THREADED | OCI_OBJECT)) == 0) return OCI_ERROR;
        O2PEnvIsInitialized = 1;
        return OCI_SUCCESS;
    }, OCI_ARGS(mode, ctxp));
}

OCI_EXPORT sword OCITerminate(ub4 mode) {
    return RunEntry({"OCITerminate", 0}, nullptr, nullptr, [&]() -> sword {
        if (mode != 0 || O2PEnvIsInitialized != 1) return OCI_ERROR;
        O2PEnvIsInitialized = 0;
        O2PEnvMode = 0;
        O2PCustomMallocCallback = O2PCustomReallocCallback = O2PCustomFreeCallback = nullptr;
        O2PCustomMemoryContext = nullptr;
        return OCI_SUCCESS;
    }, OCI_ARGS(mode));
}

OCI_EXPORT sword OCIEnvInit(OCIEnv **envhpp, ub4 mode, size_t xtramem_sz, void **usrmempp) {
    if (envhpp == nullptr) return OCI_ERROR;
    InitDebugSettings();
    return RunEntry({"OCIEnvInit", 0}, nullptr, nullptr, [&]() -> sword {
        if (xtramem_sz != 0 && usrmempp == nullptr) return OCI_ERROR;
        *envhpp = nullptr;
        OCIEnv *env = Alloc_OCIEnv();
        if (env == nullptr) return OCI_ERROR;
        env->mode |= mode & (OCI_NO_MUTEX | OCI_THREADED);
        if (static_cast<sb4>(xtramem_sz) > 0 && !AllocUserMemory(env, xtramem_sz, usrmempp)) {
            Free_OCIEnv(env);
            return OCI_ERROR;
        }
        *envhpp = env;
        o2pLoadUCBs(env);
        SetNlsMessagesPath();
        if ((mode & OCI_UTF16) == 0) InitNls(env, 0);
        EnsureProcessThreadKey();
        return OCI_SUCCESS;
    }, OCI_ARGS(envhpp, mode, xtramem_sz, usrmempp));
}

namespace {
// Fails a half-built environment: releases it and clears the caller's pointer.
sword Abandon(OCIEnv **envhpp) {
    Free_OCIEnv(*envhpp);
    *envhpp = nullptr;
    return OCI_ERROR;
}

// Turns an environment into a UTF-16 one: the application's texts are
// UTF-16LE, converted to and from UTF-8 on the wire.
bool MakeUtf16(OCIEnv *env) {
    env->mode |= OCI_UTF16;
    InitNls(env, kUtf8CharsetId);
    env->charsetId = kUtf16LECharsetId;
    env->utf16 = 1;
    env->toUtf8 = iconv_open("UTF-8", kUtf16LEName);
    env->fromUtf8 = iconv_open(kUtf16LEName, "UTF-8");
    return env->toUtf8 != reinterpret_cast<iconv_t>(-1) && env->fromUtf8 != reinterpret_cast<iconv_t>(-1);
}

// The Oracle-compatible reading of OCIEnvNlsCreate's character sets: Oracle
// ids (0 keeps what NLS_LANG or the locale chose). An id with no encoding
// here fails the creation.
bool ApplyOracleCharsets(OCIEnv *env, ub2 charset, ub2 ncharset) {
    if (ncharset != 0 && nls::EncodingOfOracleId(ncharset) < 0) return false;
    env->oracleNcharset = ncharset;
    if (charset == 0) return true;
    const int encoding = nls::EncodingOfOracleId(charset);
    if (encoding < 0) return false;
    if (env->utf16) {
        // OCI_UTF16 mode decides the texts' form, and so the id reported.
        if (encoding == nls::ENC_UTF16LE) env->oracleCharset = charset;
        return true;
    }
    env->oracleCharset = charset;
    if (encoding == nls::ENC_UTF16LE) return MakeUtf16(env);
    env->charsetId = encoding;
    return true;
}
}  // namespace

OCI_EXPORT sword OCIEnvCreate(OCIEnv **envhpp, ub4 mode, void *ctxp, void *(*malocfp)(void *, size_t),
                              void *(*ralocfp)(void *, void *, size_t), void (*mfreefp)(void *, void *),
                              size_t xtramem_sz, void **usrmempp) {
    sword rc = OCIEnvInit(envhpp, (mode & OCI_UTF16) ? OCI_UTF16 : OCI_DEFAULT, xtramem_sz, usrmempp);
    if (rc != OCI_SUCCESS) return rc;
    return RunEntry({"OCIEnvCreate", 0}, nullptr, nullptr, [&]() -> sword {
        OCIEnv *env = *envhpp;
        env->mode |= mode & kEnvCreateModeBits;
        if (mode != 0 && (mode & (kEnvCreateModeBits | OCI_UTF16)) == 0) return Abandon(envhpp);
        if ((mode & OCI_UTF16) && !MakeUtf16(env)) return Abandon(envhpp);
        // Outside UTF-16 mode OCIEnvInit has already chosen the character set
        // from NLS_LANG or the locale.
        if (O2PEnvMode & 0x2) env->mode |= OCI_OBJECT;
        return OCI_SUCCESS;
    }, OCI_ARGS(envhpp, mode, ctxp, xtramem_sz, usrmempp));
}

OCI_EXPORT sword OCIEnvNlsCreate(OCIEnv **envhpp, ub4 mode, void *ctxp, void *(*malocfp)(void *, size_t),
                                 void *(*ralocfp)(void *, void *, size_t), void (*mfreefp)(void *, void *),
                                 size_t xtramem_sz, void **usrmempp, ub2 charset, ub2 ncharset) {
    sword rc = OCIEnvCreate(envhpp, mode, ctxp, malocfp, ralocfp, mfreefp, xtramem_sz, usrmempp);
    if (rc != OCI_SUCCESS) return rc;
    return RunEntry({"OCIEnvNlsCreate", 0}, nullptr, nullptr, [&]() -> sword {
        if (OracleCompat(*envhpp))
            return ApplyOracleCharsets(*envhpp, charset, ncharset) ? OCI_SUCCESS : Abandon(envhpp);
        if (charset > 40) return Abandon(envhpp);
        // A UTF-16 environment keeps its character set: re-selecting one
        // from NLS_LANG or the locale would leave its texts converted as
        // UTF-16 but labelled otherwise.
        if (!(*envhpp)->utf16) InitNls(*envhpp, charset);
        return OCI_SUCCESS;
    }, OCI_ARGS(envhpp, mode, charset, ncharset));
}

// The generic allocation entry points: OCIHandleAlloc, OCIHandleFree,
// OCIDescriptorAlloc and OCIDescriptorFree.
#include "conn/conn_handles.h"
#include "diag/entry.h"
#include "env/describe_handles.h"
#include "env/env.h"
#include "stmt/stmt_handles.h"
#include "types/datetime_handles.h"

namespace {
constexpr sb4 kErrBadUserMemory = 16530;
constexpr sb4 kErrPrepare2Statement = 24436;

OCIHandle *AllocByPublishedType(OCIEnv *parentEnv, ub4 type) {
    switch (type) {
    case OCI_HTYPE_ENV: {
        OCIEnv *child = Alloc_OCIEnv();
        if (child == nullptr) return nullptr;
        // A child environment speaks its parent's character set through the
        // parent's converters; only the parent closes them.
        child->charsetId = parentEnv->charsetId;
        child->utf16 = parentEnv->utf16;
        child->toUtf8 = parentEnv->toUtf8;
        child->fromUtf8 = parentEnv->fromUtf8;
        child->mode = parentEnv->mode & OCI_OBJECT;
        return child;
    }
    case OCI_HTYPE_ERROR: return Alloc_OCIError();
    case OCI_HTYPE_SVCCTX: return Alloc_OCISvcCtx();
    case OCI_HTYPE_STMT: return Alloc_OCIStmt();
    case OCI_HTYPE_BIND: return Alloc_OCIBind();
    case OCI_HTYPE_DEFINE: return Alloc_OCIDefine();
    case OCI_HTYPE_DESCRIBE: return Alloc_OCIDescribe();
    case OCI_HTYPE_SERVER: return Alloc_OCIServer();
    case OCI_HTYPE_SESSION: return Alloc_OCISession();
    case OCI_HTYPE_TRANS: return Alloc_OCITrans();
    case OCI_HTYPE_SPOOL: return Alloc_OCISPool();
    default: return nullptr;
    }
}

// Releases a handle that is already off every list, by its internal code.
void ReleaseByCode(OCIHandle *h) {
    switch (h->handleType) {
    case HANDLE_OCIEnv: Free_OCIEnv(static_cast<OCIEnv *>(h)); break;
    case HANDLE_OCIError: Free_OCIError(static_cast<OCIError *>(h)); break;
    case HANDLE_OCISvcCtx: Free_OCISvcCtx(static_cast<OCISvcCtx *>(h)); break;
    case HANDLE_OCISession: Free_OCISession(static_cast<OCISession *>(h)); break;
    case HANDLE_OCIServer: Free_OCIServer(static_cast<OCIServer *>(h)); break;
    case HANDLE_OCIStmt: Free_OCIStmt(static_cast<OCIStmt *>(h)); break;
    case HANDLE_OCIDescribe: Free_OCIDescribe(static_cast<OCIDescribe *>(h)); break;
    case HANDLE_OCITrans: Free_OCITrans(static_cast<OCITrans *>(h)); break;
    case HANDLE_OCISPool: Free_OCISPool(static_cast<OCISPool *>(h)); break;
    case HANDLE_OCIParam: Free_OCIParam(static_cast<OCIParam *>(h)); break;
    case HANDLE_OCIDateTime: Free_OCIDateTime(static_cast<OCIDateTime *>(h)); break;
    case HANDLE_OCIInterval: Free_OCIInterval(static_cast<OCIInterval *>(h)); break;
    case HANDLE_OCILobLocator: Free_OCILobLocator(static_cast<OCILobLocator *>(h)); break;
    case HANDLE_OCIRowid: Free_OCIRowid(static_cast<OCIRowid *>(h)); break;
    default: break;
    }
}

bool IsAllocatableHandleType(ub4 type) {
    return (type >= OCI_HTYPE_ENV && type <= OCI_HTYPE_TRANS) || type == OCI_HTYPE_SPOOL;
}

bool IsFreeableHandleType(ub4 type) {
    switch (type) {
    case OCI_HTYPE_ENV: case OCI_HTYPE_ERROR: case OCI_HTYPE_SVCCTX: case OCI_HTYPE_STMT:
    case OCI_HTYPE_DESCRIBE: case OCI_HTYPE_SERVER: case OCI_HTYPE_SESSION: case OCI_HTYPE_TRANS:
    case OCI_HTYPE_SPOOL:
        return true;
    default:
        return false;
    }
}

// The internal code a descriptor of published type `type` carries, or 0.
ub4 DescriptorCode(ub4 type) {
    switch (type) {
    case OCI_DTYPE_LOB: return HANDLE_OCILobLocator;
    case OCI_DTYPE_PARAM: return HANDLE_OCIParam;
    case OCI_DTYPE_INTERVAL_YM: case OCI_DTYPE_INTERVAL_DS: return HANDLE_OCIInterval;
    case OCI_DTYPE_DATE: case OCI_DTYPE_TIMESTAMP: case OCI_DTYPE_TIMESTAMP_TZ:
    case OCI_DTYPE_TIMESTAMP_LTZ: return HANDLE_OCIDateTime;
    case OCI_DTYPE_ROWID: return HANDLE_OCIRowid;
    default: return HANDLE_None;
    }
}

OCIHandle *AllocDescriptor(ub4 type) {
    switch (DescriptorCode(type)) {
    case HANDLE_OCILobLocator: return Alloc_OCILobLocator();
    case HANDLE_OCIParam: return Alloc_OCIParam();
    case HANDLE_OCIInterval: return Alloc_OCIInterval(type);
    case HANDLE_OCIDateTime: return Alloc_OCIDateTime(type);
    case HANDLE_OCIRowid: return Alloc_OCIRowid();
    default: return nullptr;
    }
}
}  // namespace

OCI_EXPORT sword OCIHandleAlloc(const void *parenth, void **hndlpp, const ub4 type, const size_t xtramem_sz,
                                void **usrmempp) {
    if (hndlpp == nullptr || parenth == nullptr || !IsAllocatableHandleType(type)) return OCI_INVALID_HANDLE;
    OCIEnv *env;
    OCIStmt *stmt = nullptr;
    if (type == OCI_HTYPE_BIND || type == OCI_HTYPE_DEFINE) {
        stmt = HandleAs<OCIStmt>(parenth, HANDLE_OCIStmt);
        env = stmt != nullptr ? HandleAs<OCIEnv>(stmt->parenth, HANDLE_OCIEnv) : nullptr;
    } else {
        env = HandleAs<OCIEnv>(parenth, HANDLE_OCIEnv);
    }
    if (env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIHandleAlloc", OCI_FNCODE_HANDLEALLOC}, env, env->errhp, [&]() -> sword {
        if (xtramem_sz != 0 && usrmempp == nullptr) {
            AddErrorRecord(env->errhp, OCI_ERROR, kErrBadUserMemory);
            return OCI_ERROR;
        }
        OCIHandle *h = AllocByPublishedType(env, type);
        if (h == nullptr) {
            AddErrorRecord(env->errhp, OCI_ERROR, kErrNoMemory);
            return OCI_ERROR;
        }
        h->parenth = const_cast<void *>(parenth);
        try {
            if (type == OCI_HTYPE_BIND)
                stmt->binds = lappend(stmt->binds, h);
            else if (type == OCI_HTYPE_DEFINE)
                stmt->defines = lappend(stmt->defines, h);
            else {
                if (type == OCI_HTYPE_SPOOL) env->spools = lappend(env->spools, h);
                env->children = lappend(env->children, h);
            }
        } catch (const std::bad_alloc &) {
            env->spools = list_delete(env->spools, h);
            ReleaseByCode(h);
            if (type == OCI_HTYPE_BIND) Free_OCIBind(static_cast<OCIBind *>(h));
            if (type == OCI_HTYPE_DEFINE) Free_OCIDefine(static_cast<OCIDefine *>(h));
            throw;
        }
        *hndlpp = h;
        if (xtramem_sz != 0 && !AllocUserMemory(h, xtramem_sz, usrmempp)) {
            // Binds and defines cannot be freed on their own; they stay on
            // their statement's list and go with it.
            OCIHandleFree(h, type);
            *hndlpp = nullptr;
            AddErrorRecord(env->errhp, OCI_ERROR, kErrNoMemory);
            return OCI_ERROR;
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(parenth, hndlpp, type, xtramem_sz, usrmempp));
}

OCI_EXPORT sword OCIHandleFree(void *hndlp, const ub4 type) {
    if (hndlp == nullptr || !IsFreeableHandleType(type)) return OCI_INVALID_HANDLE;
    OCIHandle *h = AsHandle(hndlp);
    const HandleKind *kind = FindHandleKind(h->handleType);
    // The type must name the handle's own kind: releasing a record as another
    // kind would unlink it without freeing it.
    if (kind == nullptr || kind->descriptor || kind->publishedType != type) return OCI_INVALID_HANDLE;
    OCIEnv *env = nullptr;
    if (h->parenth != nullptr) {
        env = HandleAs<OCIEnv>(h->parenth, HANDLE_OCIEnv);
        if (env == nullptr) return OCI_INVALID_HANDLE;
    }
    return RunEntry({"OCIHandleFree", OCI_FNCODE_HANDLEFREE}, env, env != nullptr ? env->errhp : nullptr,
                    [&]() -> sword {
        if (h->handleType == HANDLE_OCIStmt && static_cast<OCIStmt *>(h)->fromPrepare2) {
            AddErrorRecord(env->errhp, OCI_ERROR, kErrPrepare2Statement);
            return OCI_ERROR;
        }
        if (env != nullptr) {
            env->children = list_delete(env->children, h);
            if (h->handleType == HANDLE_OCISPool) env->spools = list_delete(env->spools, h);
        }
        ReleaseByCode(h);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndlp, type));
}

OCI_EXPORT sword OCIDescriptorAlloc(const void *parenth, void **descpp, const ub4 type, const size_t xtramem_sz,
                                    void **usrmempp) {
    OCIEnv *env = HandleAs<OCIEnv>(parenth, HANDLE_OCIEnv);
    if (descpp == nullptr || env == nullptr || env->errhp == nullptr) return OCI_INVALID_HANDLE;
    ClearErrorHandle(env->errhp);
    if (xtramem_sz != 0 && usrmempp == nullptr) {
        AddErrorRecord(env->errhp, OCI_ERROR, kErrBadUserMemory);
        return OCI_ERROR;
    }
    if (type < 50 || type > 79 || type == 66 || type == 67 || type == 74) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIDescriptorAlloc", OCI_FNCODE_DESCRIPTORALLOC}, env, nullptr, [&]() -> sword {
        // OCI_DTYPE_LOCATOR passes the range check but no descriptor kind
        // exists for it; it is refused like the other unsupported types.
        if (DescriptorCode(type) == HANDLE_None || (type == OCI_DTYPE_ROWID && !RowidDescriptorsAllowed(env))) {
            *descpp = nullptr;
            return OCI_INVALID_HANDLE;
        }
        OCIHandle *d = AllocDescriptor(type);
        if (d == nullptr) {
            AddErrorRecord(env->errhp, OCI_ERROR, kErrNoMemory);
            return OCI_ERROR;
        }
        d->parenth = env;
        try {
            env->children = lappend(env->children, d);
        } catch (const std::bad_alloc &) {
            ReleaseByCode(d);
            throw;
        }
        *descpp = d;
        if (xtramem_sz != 0 && !AllocUserMemory(d, xtramem_sz, usrmempp)) {
            OCIDescriptorFree(d, type);
            *descpp = nullptr;
            AddErrorRecord(env->errhp, OCI_ERROR, kErrNoMemory);
            return OCI_ERROR;
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(parenth, descpp, type, xtramem_sz, usrmempp));
}

OCI_EXPORT sword OCIDescriptorFree(void *descp, const ub4 type) {
    if (descp == nullptr) return OCI_INVALID_HANDLE;
    OCIHandle *d = AsHandle(descp);
    const ub4 code = DescriptorCode(type);
    if (code == HANDLE_None || d->handleType != code) return OCI_INVALID_HANDLE;
    OCIEnv *env = HandleAs<OCIEnv>(d->parenth, HANDLE_OCIEnv);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIDescriptorFree", 0}, nullptr, nullptr, [&]() -> sword {
        env->children = list_delete(env->children, d);
        ReleaseByCode(d);
        return OCI_SUCCESS;
    }, OCI_ARGS(descp, type));
}

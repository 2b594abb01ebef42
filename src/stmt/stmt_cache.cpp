// The keyed statement cache of a service context: OCIStmtPrepare2 and
// OCIStmtRelease.
//
// Every prepare outside the search-only mode prepares afresh; a cached
// statement is handed back only by a search-only call with its key. A
// statement from OCIStmtPrepare2 is never freed by the application: it
// stays allocated under its environment.
#include <cstring>
#include <new>

#include "conn/conn_handles.h"
#include "conn/session_control.h"
#include "diag/entry.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/prepare.h"

namespace {
constexpr sb4 kErrIllegalMode = 24300;
constexpr sb4 kErrStatementLength = 24373;
constexpr sb4 kErrNotInCache = 24431;
constexpr sb4 kErrUntaggedStatement = 24432;
constexpr sb4 kErrReleaseBeforePrepare2 = 24434;

bool HasKey(const OraText *key, ub4 key_len) { return key != nullptr && key_len > 0; }

// The first cached statement released under exactly this key and not
// handed out since. A key that merely starts like another names another
// statement.
OCIStmt *FindCached(OCISvcCtx *svchp, const OraText *key, ub4 key_len) {
    foreach_cell(cell, svchp->stmts) {
        auto *stmt = HandleAs<OCIStmt>(cell->ptr, HANDLE_OCIStmt);
        if (stmt == nullptr || stmt->inUse || stmt->cacheKey == nullptr) continue;
        if (stmt->cacheKeyLength == key_len && std::memcmp(stmt->cacheKey, key, key_len) == 0) return stmt;
    }
    return nullptr;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

// Oracle's cache also finds statements by their text: a statement released
// without a key is handed out again to a prepare of the same text (as the
// statement would store it, blanks around it trimmed) without a key.
OCIStmt *FindCachedText(OCISvcCtx *svchp, const OCIEnv *env, const OraText *text, ub4 text_len) {
    if (!OracleCompat(env) || env->utf16 || !svchp->stmtCacheEnabled) return nullptr;
    const char *begin = reinterpret_cast<const char *>(text);
    const char *end = begin + strnlen(begin, text_len);
    while (begin < end && IsBlank(*begin)) ++begin;
    while (end > begin && IsBlank(end[-1])) --end;
    const size_t length = static_cast<size_t>(end - begin);
    foreach_cell(cell, svchp->stmts) {
        auto *stmt = HandleAs<OCIStmt>(cell->ptr, HANDLE_OCIStmt);
        if (stmt == nullptr || stmt->inUse || stmt->cacheKey != nullptr || stmt->sqlText == nullptr) continue;
        if (stmt->sqlLength == length && std::memcmp(stmt->sqlText, begin, length) == 0) return stmt;
    }
    return nullptr;
}

// Frees a statement made here outright, whatever its marks.
void FreeCachedStatement(OCIEnv *env, OCIStmt *stmt) {
    env->children = list_delete(env->children, stmt);
    Free_OCIStmt(stmt);
}

// Stores a copy of the key (none without one) and hands the statement
// back to the cache; memory is taken before anything changes.
void SetCacheKey(OCIStmt *stmt, const OraText *key, ub4 key_len) {
    ub1 *copy = nullptr;
    if (HasKey(key, key_len)) {
        copy = static_cast<ub1 *>(o2pMalloc(key_len));
        if (copy == nullptr) throw std::bad_alloc();
        std::memcpy(copy, key, key_len);
    }
    o2pFree(stmt->cacheKey);
    stmt->cacheKey = copy;
    stmt->cacheKeyLength = copy != nullptr ? key_len : 0;
    stmt->inUse = 0;
}

sword Refuse(OCIError *errhp, sb4 errcode) {
    ClearErrorHandle(errhp);
    AddErrorRecord(errhp, OCI_ERROR, errcode);
    return OCI_ERROR;
}

sword SearchCache(OCISvcCtx *svchp, OCIStmt **stmtpp, OCIError *errhp, const OraText *key, ub4 key_len) {
    *stmtpp = nullptr;
    if (!svchp->stmtCacheEnabled) {
        AddErrorRecord(errhp, OCI_ERROR, kErrIllegalMode);
        return OCI_ERROR;
    }
    OCIStmt *found = HasKey(key, key_len) ? FindCached(svchp, key, key_len) : nullptr;
    if (found == nullptr) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNotInCache);
        return OCI_ERROR;
    }
    // Handed out again: in use until released, so that a second search
    // cannot hand out the same statement twice.
    found->inUse = 1;
    found->svchp = svchp;
    *stmtpp = found;
    return OCI_SUCCESS;
}

sword PrepareNew(OCIEnv *env, OCISvcCtx *svchp, OCIStmt **stmtpp, OCIError *errhp, const OraText *stmt,
                 ub4 stmt_len, const OraText *key, ub4 key_len, ub4 language) {
    if (!HasKey(key, key_len)) {
        if (OCIStmt *cached = FindCachedText(svchp, env, stmt, stmt_len)) {
            cached->inUse = 1;
            cached->svchp = svchp;
            *stmtpp = cached;
            return OCI_SUCCESS;
        }
    }
    OCIStmt *fresh = nullptr;
    sword rc = OCIHandleAlloc(env, reinterpret_cast<void **>(&fresh), OCI_HTYPE_STMT, 0, nullptr);
    if (rc != OCI_SUCCESS) {
        *stmtpp = nullptr;
        return rc;
    }
    rc = OCIStmtPrepare(fresh, errhp, stmt, stmt_len, language, OCI_DEFAULT);
    if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) {
        OCIHandleFree(fresh, OCI_HTYPE_STMT);
        *stmtpp = nullptr;
        return rc;
    }
    sword status = rc;
    if (svchp->stmtCacheEnabled) {
        if (HasKey(key, key_len)) {
            OCIStmt *old = FindCached(svchp, key, key_len);
            if (old != nullptr) FreeCachedStatement(env, old);
        }
        try {
            svchp->stmts = lappend(svchp->stmts, fresh);
        } catch (const std::bad_alloc &) {
            FreeCachedStatement(env, fresh);
            *stmtpp = nullptr;
            AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
            return OCI_ERROR;
        }
        if (HasKey(key, key_len)) {
            AddErrorRecord(errhp, OCI_SUCCESS_WITH_INFO, kErrUntaggedStatement);
            status = OCI_SUCCESS_WITH_INFO;
        }
    }
    // The release needs the service context even without a cache.
    fresh->svchp = svchp;
    fresh->fromPrepare2 = 1;
    fresh->inUse = 1;
    *stmtpp = fresh;
    return status;
}
}  // namespace

OCI_EXPORT sword OCIStmtPrepare2(OCISvcCtx *svchp, OCIStmt **stmtpp, OCIError *errhp, const OraText *stmt,
                                ub4 stmt_len, const OraText *key, ub4 key_len, ub4 language, ub4 mode) {
    if (!ValidConnHandle(svchp, HANDLE_OCISvcCtx) || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    OCIEnv *env = HandleAs<OCIEnv>(svchp->parenth, HANDLE_OCIEnv);
    if (stmtpp == nullptr) return OCI_ERROR;
    if (stmt == nullptr) {
        ClearErrorHandle(errhp);
        AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "4");
        return OCI_ERROR;
    }
    if (mode != OCI_DEFAULT && mode != OCI_PREP2_CACHE_SEARCHONLY) return Refuse(errhp, kErrIllegalMode);
    if (stmt_len == 0) return Refuse(errhp, kErrStatementLength);
    if (language != OCI_NTV_SYNTAX && language != OCI_V7_SYNTAX) {
        ClearErrorHandle(errhp);
        return OCI_ERROR;
    }
    return RunEntry({"OCIStmtPrepare2", OCI_FNCODE_STMTPREPARE2}, env, errhp, [&]() -> sword {
        if (mode == OCI_PREP2_CACHE_SEARCHONLY) return SearchCache(svchp, stmtpp, errhp, key, key_len);
        return PrepareNew(env, svchp, stmtpp, errhp, stmt, stmt_len, key, key_len, language);
    }, OCI_ARGS(svchp, stmtpp, errhp, stmt, stmt_len, key, key_len, language, mode));
}

OCI_EXPORT sword OCIStmtRelease(OCIStmt *stmtp, OCIError *errhp, const OraText *key, ub4 key_len, ub4 mode) {
    if (!ValidConnHandle(stmtp, HANDLE_OCIStmt) || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    OCISvcCtx *svchp = HandleAs<OCISvcCtx>(stmtp->svchp, HANDLE_OCISvcCtx);
    if (svchp == nullptr) return OCI_INVALID_HANDLE;
    if (mode != OCI_DEFAULT && mode != OCI_STRLS_CACHE_DELETE) return OCI_ERROR;
    OCIEnv *env = EnvOfHandle(stmtp);
    return RunEntry({"OCIStmtRelease", OCI_FNCODE_STMTRELEASE}, env, errhp, [&]() -> sword {
        if (!svchp->stmtCacheEnabled) {
            if (mode == OCI_STRLS_CACHE_DELETE) {
                AddErrorRecord(errhp, OCI_ERROR, kErrIllegalMode);
                return OCI_ERROR;
            }
            // Without a cache the text and everything made for it go; the
            // handle stays with its environment.
            stmtp->inUse = 0;
            return DiscardStatementText(stmtp, errhp) == OCI_SUCCESS ? OCI_SUCCESS : OCI_SUCCESS_WITH_INFO;
        }
        if (!stmtp->inUse) {
            AddErrorRecord(errhp, OCI_ERROR, kErrReleaseBeforePrepare2);
            return OCI_ERROR;
        }
        if (mode == OCI_STRLS_CACHE_DELETE) {
            svchp->stmts = list_delete(svchp->stmts, stmtp);
            SetCacheKey(stmtp, nullptr, 0);
            return OCI_SUCCESS;
        }
        // A statement prepared before the cache was switched on joins it now.
        if (!list_member(svchp->stmts, stmtp)) svchp->stmts = lappend(svchp->stmts, stmtp);
        SetCacheKey(stmtp, key, key_len);
        return OCI_SUCCESS;
    }, OCI_ARGS(stmtp, errhp, key, key_len, mode));
}

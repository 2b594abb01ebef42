// Statement handles: allocation and release, the scratch-text cache, and
// the statement attributes.
#include <cstdlib>
#include <cstring>

#include "conn/conn_handles.h"
#include "conn/transcode.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/attributes.h"
#include "env/compat.h"
#include "env/describe_handles.h"
#include "env/env.h"
#include "stmt/placeholders.h"
#include "stmt/prepare.h"
#include "stmt/server_objects.h"

OCIStmt *Alloc_OCIStmt() { return NewHandle<OCIStmt>(HANDLE_OCIStmt); }

bool RowidDescriptorsAllowed(const OCIEnv *env) { return OracleCompat(env); }

OCIRowid *Alloc_OCIRowid() { return NewHandle<OCIRowid>(HANDLE_OCIRowid); }

void Free_OCIRowid(OCIRowid *rowid) {
    if (rowid == nullptr || rowid->handleType != HANDLE_OCIRowid) return;
    DeleteHandle(rowid);
}

void *AllocateMemFromStmtCache(OCIStmt *stmt, size_t size) {
    if (HandleAs<OCIStmt>(stmt, HANDLE_OCIStmt) == nullptr || size == 0) return nullptr;
    void *block = o2pCalloc(1, size);
    if (block == nullptr) return nullptr;
    try {
        stmt->memCache = lappend(stmt->memCache, block);
    } catch (...) {
        o2pFree(block);
        return nullptr;
    }
    return block;
}

void FreeMemFromStmtCache(OCIStmt *stmt) {
    if (stmt == nullptr) return;
    foreach_cell(cell, stmt->memCache) o2pFree(cell->ptr);
    list_free(stmt->memCache);
    stmt->memCache = nullptr;
}

namespace {
// The connection the statement's server objects live on, for the traces.
PGconn *ObjectConnection(const OCIStmt *stmt) {
    const OCIServer *server = nullptr;
    if (stmt->cursor != nullptr && stmt->cursor->server != nullptr) server = stmt->cursor->server;
    else if (stmt->pgPreparedServer != nullptr) server = stmt->pgPreparedServer;
    else server = StatementServer(stmt);
    return server != nullptr ? server->conn : nullptr;
}
}  // namespace

void Free_OCIStmt(OCIStmt *stmt) {
    if (stmt == nullptr || stmt->handleType != HANDLE_OCIStmt) return;
    if (auto *svchp = HandleAs<OCISvcCtx>(stmt->svchp, HANDLE_OCISvcCtx)) svchp->stmts = list_delete(svchp->stmts, stmt);
    PGconn *conn = stmt->cursor != nullptr || stmt->preparedName != nullptr ? ObjectConnection(stmt) : nullptr;
    if (conn != nullptr) {
        debugLogCursors(conn, "Free_OCIStmt, before");
        debugLogPreparedStmts(conn, "Free_OCIStmt, before");
    }
    // No error handle to report into: a failed drop is only rolled back.
    DiscardStatementText(stmt, nullptr);
    if (conn != nullptr) {
        debugLogCursors(conn, "Free_OCIStmt, after");
        debugLogPreparedStmts(conn, "Free_OCIStmt, after");
    }
    if (stmt->cursor != nullptr) {
        o2pFree(stmt->cursor->stmtName);
        o2pFree(stmt->cursor->portalName);
        o2pFree(stmt->cursor);
    }
    ReleaseStatementDescribe(stmt);
    FreeMemFromStmtCache(stmt);
    o2pFree(stmt->cacheKey);
    DeleteHandle(stmt);
}

namespace {
constexpr ub4 kCursorModeMax = 2;

// Rows the last execution dealt with (OCI_ATTR_ROW_COUNT).
ub4 RowCount(const OCIStmt *stmt) {
    if (stmt->cursor != nullptr && stmt->cursor->state != CURSOR_CLOSED) return stmt->cursor->maxRow;
    if (stmt->result == nullptr) return stmt->rowCount;
    if (PQnfields(stmt->result) == 0) return static_cast<ub4>(std::strtoul(PQcmdTuples(stmt->result), nullptr, 10));
    return static_cast<ub4>(PQntuples(stmt->result));
}

ub4 StatementState(const OCIStmt *stmt) {
    if (!stmt->executed) return OCI_STMT_STATE_INITIALIZED;
    const int rows = stmt->result != nullptr ? PQntuples(stmt->result) : 0;
    if (rows == 0 || stmt->currentRow == static_cast<ub4>(rows - 1)) return OCI_STMT_STATE_END_OF_FETCH;
    return OCI_STMT_STATE_EXECUTED;
}

// The text as the application reads it back: a copy owned by the
// statement, in UTF-16 when the environment speaks it.
sword StatementText(OCIStmt *stmt, void *attributep, ub4 *sizep, OCIError *errhp) {
    const char *text = stmt->sqlText != nullptr ? stmt->sqlText : "";
    size_t length = std::strlen(text);
    OCIEnv *env = HandleAs<OCIEnv>(stmt->parenth, HANDLE_OCIEnv);
    char *wide = nullptr;
    size_t terminator = 1;
    if (env != nullptr && env->utf16 && length > 0) {
        int error = 0;
        if (transcode(env->fromUtf8, &error, text, length, &wide, &length) < 0) {
            AddTranscodeErrorRecord(errhp, error);
            return OCI_ERROR;
        }
        text = wide;
        terminator = 2;
    }
    auto *copy = static_cast<char *>(AllocateMemFromStmtCache(stmt, length + terminator));
    if (copy != nullptr) std::memcpy(copy, text, length);
    o2pFree(wide);
    if (copy == nullptr) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
        return OCI_ERROR;
    }
    *static_cast<OraText **>(attributep) = reinterpret_cast<OraText *>(copy);
    if (sizep != nullptr) *sizep = static_cast<ub4>(length);
    return OCI_SUCCESS;
}

sword InvalidValue(OCIError *errhp) {
    AddErrorRecord(errhp, OCI_ERROR, kErrAttributeValueInvalid);
    return OCI_ERROR;
}

// Placeholders of the text as the server will number them.
ub4 BindCount(const OCIStmt *stmt) {
    if (stmt->sqlText == nullptr) return 0;
    char *rewritten = nullptr;
    ub4 count = 0;
    List *names = nullptr;
    try {
        names = ReplacePlaceholdersEx(nullptr, stmt->sqlText, &rewritten, &count);
    } catch (...) {
        count = 0;
    }
    foreach_cell(cell, names) o2pFree(cell->ptr);
    list_free(names);
    o2pFree(rewritten);
    return count;
}

// The statement attributes Oracle's clients read that answer differently,
// or only, in the Oracle-compatible mode. False when `attrtype` is not one
// of them.
bool OracleStmtAttr(OCIStmt *stmt, void *attributep, ub4 *sizep, ub4 attrtype, sword *status) {
    switch (attrtype) {
    case OCI_ATTR_PARSE_ERROR_OFFSET:
        // The server reports positions in the rewritten text, not the
        // application's: no offset is claimed.
        *status = PutAttr<ub2>(attributep, sizep, 0);
        return true;
    case OCI_ATTR_BIND_COUNT:
        *status = PutAttr<ub4>(attributep, sizep, BindCount(stmt));
        return true;
    case OCI_ATTR_STMT_IS_RETURNING:
        // RETURNING into binds is not carried out: never announced.
        *status = PutAttr<ub1>(attributep, sizep, 0);
        return true;
    case OCI_ATTR_ROWS_FETCHED:
        // The rows of the last fetch call, the one that ended the rows included.
        *status = PutAttr<ub4>(attributep, sizep, stmt->rowsFetched);
        return true;
    case OCI_ATTR_ROWID:
        // No row addresses: an empty answer, the descriptor untouched.
        if (sizep != nullptr) *sizep = 0;
        *status = OCI_SUCCESS;
        return true;
    default:
        return false;
    }
}
}  // namespace

sword Get_OCIStmt(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *stmt = HandleAs<OCIStmt>(h, HANDLE_OCIStmt);
    if (stmt == nullptr || attributep == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    sword status = OCI_SUCCESS;
    if (OracleCompatOf(stmt) && OracleStmtAttr(stmt, attributep, sizep, attrtype, &status)) return status;
    switch (attrtype) {
    case OCI_ATTR_ENV:
        return PutAttr<OCIEnv *>(attributep, sizep, HandleAs<OCIEnv>(stmt->parenth, HANDLE_OCIEnv));
    case OCI_ATTR_ROW_COUNT:
        return PutAttr<ub4>(attributep, sizep, RowCount(stmt));
    case OCI_ATTR_PARAM_COUNT: {
        const bool columns = stmt->stmtType == OCI_STMT_SELECT && stmt->result != nullptr;
        return PutAttr<ub4>(attributep, sizep, columns ? static_cast<ub4>(PQnfields(stmt->result)) : 0);
    }
    case OCI_ATTR_STMT_TYPE: {
        const ub2 type = stmt->stmtType >= STMT_TRUNCATE ? 0 : stmt->stmtType;
        return PutAttr<ub2>(attributep, sizep, type);
    }
    case OCI_ATTR_STATEMENT:
        return StatementText(stmt, attributep, sizep, errhp);
    case OCI_ATTR_CURRENT_POSITION:
        return PutAttr<ub4>(attributep, sizep, stmt->cursor != nullptr ? stmt->cursor->position : 0);
    case OCI_ATTR_STMT_STATE:
        return PutAttr<ub4>(attributep, sizep, StatementState(stmt));
    case OCI_ATTR_ROWS_FETCHED:
        return PutAttr<ub4>(attributep, sizep, stmt->result != nullptr ? stmt->rowsFetched : 0);
    case OCI_ATTR_PG_HOLD_MODE:
        return PutAttr<ub4>(attributep, sizep, stmt->cursorMode);
    case OCI_ATTR_PG_COMMIT_MODE:
        return PutAttr<ub4>(attributep, sizep, stmt->cursorCommitMode);
    default:
        return InvalidValue(errhp);
    }
}

sword Set_OCIStmt(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp) {
    (void)size;  // every settable value is a ub4
    auto *stmt = HandleAs<OCIStmt>(h, HANDLE_OCIStmt);
    if (stmt == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr) return OCI_ERROR;
    if (attributep == nullptr) return InvalidValue(errhp);
    auto value = [attributep] { return *static_cast<const ub4 *>(attributep); };
    switch (attrtype) {
    case OCI_ATTR_PREFETCH_ROWS:
        stmt->prefetchRows = value();
        return OCI_SUCCESS;
    case OCI_ATTR_PG_HOLD_MODE:
        if (value() > kCursorModeMax) return InvalidValue(errhp);
        stmt->cursorMode = value();
        return OCI_SUCCESS;
    case OCI_ATTR_PG_COMMIT_MODE:
        if (value() != 0 && value() != 5 && value() != 6) return InvalidValue(errhp);
        stmt->cursorCommitMode = value();
        return OCI_SUCCESS;
    default:
        return InvalidValue(errhp);
    }
}

// OCIStmtPrepare: a text is trimmed, classified and stored; a BEGIN block
// that calls one routine becomes a server CALL. Nothing is sent to prepare
// it: the server sees the text at the first execution, when the binds that
// decide its parameters are known. Preparing again first drops everything
// the handle held for its previous text, on the server too.
#include "stmt/prepare.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <new>

#include "conn/conn_handles.h"
#include "conn/session_control.h"
#include "conn/transcode.h"
#include "diag/entry.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/callgram/callgram.h"
#include "stmt/execute.h"
#include "stmt/server_objects.h"

namespace {
constexpr sb4 kErrIllegalMode = 24300;
constexpr sb4 kErrStatementLength = 24373;
constexpr sb4 kErrNoStatement = 13780;

struct Keyword {
    const char *word;
    ub2 stmtType;
};

// Tried in this order; the first prefix that matches decides.
constexpr Keyword kKeywords[] = {
    {"SELECT", OCI_STMT_SELECT}, {"UPDATE", OCI_STMT_UPDATE}, {"DELETE", OCI_STMT_DELETE},
    {"INSERT", OCI_STMT_INSERT}, {"CREATE", OCI_STMT_CREATE}, {"DROP", OCI_STMT_DROP},
    {"ALTER", OCI_STMT_ALTER},   {"BEGIN", OCI_STMT_BEGIN},   {"DECLARE", OCI_STMT_DECLARE},
    {"TRUNCATE", STMT_TRUNCATE}, {"COMMENT", STMT_COMMENT},   {"GRANT", STMT_GRANT},
    {"REVOKE", STMT_REVOKE},
};

bool StartsWithIgnoringCase(const char *text, const char *word) {
    for (; *word != '\0'; ++text, ++word) {
        char c = *text;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != *word) return false;
    }
    return true;
}

bool IsTrimmed(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

// Trims `text` (NUL-terminated) in place; returns the new length.
size_t TrimInPlace(char *text) {
    size_t length = std::strlen(text);
    size_t start = 0;
    while (start < length && IsTrimmed(text[start])) ++start;
    while (length > start && IsTrimmed(text[length - 1])) --length;
    length -= start;
    std::memmove(text, text + start, length);
    text[length] = '\0';
    return length;
}

char *CopyOrThrow(const char *text) {
    if (text == nullptr) return nullptr;
    char *copy = o2pStrdup(text);
    if (copy == nullptr) throw std::bad_alloc();
    return copy;
}

void FreeField(char **field) {
    o2pFree(*field);
    *field = nullptr;
}

// Takes the routine call of a BEGIN block from the parser. False when the
// grammar does not accept the block.
bool ParseBlock(OCIStmt *stmt) {
    OCICallableStmt *node = nullptr;
    if (ParseCallableBlock(stmt->sqlText, &node) != 0 || node == nullptr) {
        ReleaseOCICallableStmt(node);
        return false;
    }
    try {
        stmt->callText = CopyOrThrow(node->callText);
        stmt->procName = CopyOrThrow(node->procName);
        stmt->returnName = CopyOrThrow(node->returnName);
    } catch (const std::bad_alloc &) {
        ReleaseOCICallableStmt(node);
        throw;
    }
    stmt->isFunction = node->isFunction;
    stmt->callable = 1;
    ReleaseOCICallableStmt(node);
    return true;
}

// Steps of a prepare after the argument checks and the old text's discard.
sword StoreText(OCIStmt *stmtp, OCIError *errhp, OCIEnv *env, const OraText *stmt, ub4 stmt_len, ub4 language) {
    const char *source = reinterpret_cast<const char *>(stmt);
    char *text = nullptr;
    if (env->utf16) {
        int error = 0;
        size_t converted = 0;
        if (transcode(env->toUtf8, &error, source, stmt_len, &text, &converted) < 0) {
            AddTranscodeErrorRecord(errhp, error);
            return OCI_ERROR;
        }
        const int shown = converted > INT_MAX ? INT_MAX : static_cast<int>(converted);
        ocitrace(TRACE_PREPARE, "OCIStmtPrepare", "stmtp(%p) %*.*s\n", static_cast<void *>(stmtp), shown, shown, text);
    } else {
        text = o2pStrndup(source, stmt_len);
        if (text == nullptr) throw std::bad_alloc();
    }
    // A NUL inside the given length ends the text.
    const size_t length = TrimInPlace(text);
    if (length == 0 || length > UINT32_MAX) {
        // Nothing but white space: the same as a text of no length.
        o2pFree(text);
        AddErrorRecord(errhp, OCI_ERROR, kErrStatementLength);
        return OCI_ERROR;
    }
    stmtp->sqlText = text;
    stmtp->sqlLength = static_cast<ub4>(length);
    stmtp->language = language;
    stmtp->stmtType = StatementClass(env, text);
    if (stmtp->stmtType == OCI_STMT_BEGIN && !ParseBlock(stmtp)) {
        FreeField(&stmtp->sqlText);
        stmtp->sqlLength = 0;
        stmtp->stmtType = 0;
        AddErrorRecord(errhp, OCI_ERROR, kErrNoStatement);
        return OCI_ERROR;
    }
    stmtp->paramCount = 0;
    stmtp->prepared = 1;
    stmtp->executed = 0;
    stmtp->serverPrepared = 0;
    stmtp->pgPreparedServer = nullptr;
    return OCI_SUCCESS;
}

// Refuses the call before any callback runs: the error handle is emptied
// and holds the one record.
sword Refuse(OCIError *errhp, sb4 errcode) {
    ClearErrorHandle(errhp);
    AddErrorRecord(errhp, OCI_ERROR, errcode);
    return OCI_ERROR;
}
}  // namespace

ub2 GetStatementType(const char *sql) {
    if (sql == nullptr) return 0;
    for (const Keyword &k : kKeywords)
        if (StartsWithIgnoringCase(sql, k.word)) return k.stmtType;
    return 0;
}

namespace {
// Whether `word` starts the text as a whole word.
bool StartsWithWord(const char *text, const char *word) {
    if (!StartsWithIgnoringCase(text, word)) return false;
    const char next = text[std::strlen(word)];
    return !((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || (next >= '0' && next <= '9') ||
             next == '_' || next == '$');
}
}  // namespace

ub2 StatementClass(const OCIEnv *env, const char *sql) {
    const ub2 type = GetStatementType(sql);
    if (type != 0 || sql == nullptr || !OracleCompat(env)) return type;
    // Oracle counts every text that yields rows as a query, and CALL as a
    // class of its own.
    if (sql[0] == '(' || StartsWithWord(sql, "WITH") || StartsWithWord(sql, "VALUES") ||
        StartsWithWord(sql, "TABLE"))
        return OCI_STMT_SELECT;
    if (StartsWithWord(sql, "CALL")) return OCI_STMT_CALL;
    return 0;
}

OCIServer *StatementServer(const OCIStmt *stmt) {
    const auto *svchp = HandleAs<OCISvcCtx>(stmt->svchp, HANDLE_OCISvcCtx);
    return svchp != nullptr ? HandleAs<OCIServer>(svchp->server, HANDLE_OCIServer) : nullptr;
}

sword DiscardStatementText(OCIStmt *stmt, OCIError *errhp) {
    foreach_cell(cell, stmt->binds) Free_OCIBind(static_cast<OCIBind *>(cell->ptr));
    list_free(stmt->binds);
    stmt->binds = nullptr;
    stmt->arrayOfStruct = 0;  // said of binds that are gone
    foreach_cell(cell, stmt->defines) Free_OCIDefine(static_cast<OCIDefine *>(cell->ptr));
    list_free(stmt->defines);
    stmt->defines = nullptr;
    list_free(stmt->paramBinds);
    stmt->paramBinds = nullptr;
    foreach_cell(cell, stmt->paramNames) o2pFree(cell->ptr);
    list_free(stmt->paramNames);
    stmt->paramNames = nullptr;
    stmt->paramCount = 0;

    // Everything that described the old block goes with it; a routine name
    // or mode array kept over would describe the wrong routine.
    stmt->callable = 0;
    stmt->returnBind = nullptr;
    stmt->isFunction = 0;
    stmt->modesKnown = 0;
    stmt->numbersAsText = 0;
    stmt->hasOutParams = 0;
    FreeField(&stmt->callText);
    FreeField(&stmt->returnName);
    FreeField(&stmt->procName);
    o2pFree(stmt->paramModes);
    stmt->paramModes = nullptr;
    FreeField(&stmt->sqlText);
    stmt->sqlLength = 0;
    stmt->stmtType = 0;

    // Results go whether or not the statement counts as executed: a
    // describe-only execution holds a result without being executed.
    ResetStatementResults(stmt);
    PQclear(stmt->paramDescription);
    stmt->paramDescription = nullptr;
    stmt->rowCount = 0;

    sword status = OCI_SUCCESS;
    if (stmt->cursor != nullptr || stmt->preparedName != nullptr) {
        status = deallocateCursor(StatementServer(stmt), stmt, errhp, 1);
        // The names are forgotten even when the server refused to drop them.
        o2pFree(stmt->preparedName);
        stmt->preparedName = nullptr;
        stmt->pgPreparedServer = nullptr;
    }
    stmt->isRefCursor = 0;
    stmt->serverPrepared = 0;
    stmt->prepared = 0;
    stmt->executed = 0;
    stmt->executedOnce = 0;
    return status;
}

OCI_EXPORT sword OCIStmtPrepare(OCIStmt *stmtp, OCIError *errhp, const OraText *stmt, ub4 stmt_len, ub4 language,
                               ub4 mode) {
    if (HandleAs<OCIStmt>(stmtp, HANDLE_OCIStmt) == nullptr || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    OCIEnv *env = HandleAs<OCIEnv>(stmtp->parenth, HANDLE_OCIEnv);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    if (stmt == nullptr) {
        ClearErrorHandle(errhp);
        AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "3");
        return OCI_ERROR;
    }
    if (stmt_len == 0) return Refuse(errhp, kErrStatementLength);
    if (mode != OCI_DEFAULT) return Refuse(errhp, kErrIllegalMode);
    if (stmtp->fromPrepare2) return OCI_INVALID_HANDLE;
    if (language != OCI_NTV_SYNTAX && language != OCI_V7_SYNTAX) {
        ClearErrorHandle(errhp);
        return OCI_ERROR;
    }
    // A UTF-16 text is traced once converted.
    if (!env->utf16) {
        const int shown = stmt_len > INT_MAX ? INT_MAX : static_cast<int>(stmt_len);
        ocitrace(TRACE_PREPARE, "OCIStmtPrepare", "stmtp(%p) %*.*s\n", static_cast<void *>(stmtp), shown, shown,
                 reinterpret_cast<const char *>(stmt));
    }
    return RunEntry({"OCIStmtPrepare", OCI_FNCODE_STMTPREPARE}, env, errhp, [&]() -> sword {
        // Dropping the old text's server objects may fail; the new text is
        // prepared all the same, and the warning status tells the caller to
        // read the records (the transaction was rolled back).
        const bool discarded = DiscardStatementText(stmtp, errhp) == OCI_SUCCESS;
        const sword rc = StoreText(stmtp, errhp, env, stmt, stmt_len, language);
        if (rc != OCI_SUCCESS) return rc;
        return discarded ? OCI_SUCCESS : OCI_SUCCESS_WITH_INFO;
    }, OCI_ARGS(stmtp, errhp, stmt, stmt_len, language, mode));
}

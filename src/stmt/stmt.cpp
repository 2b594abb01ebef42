// Statement handles and their scratch-text cache.
#include "stmt/stmt_handles.h"

OCIStmt *Alloc_OCIStmt() { return NewHandle<OCIStmt>(HANDLE_OCIStmt); }

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

void Free_OCIStmt(OCIStmt *stmt) {
    if (stmt == nullptr || stmt->handleType != HANDLE_OCIStmt) return;
    foreach_cell(cell, stmt->binds) Free_OCIBind(static_cast<OCIBind *>(cell->ptr));
    list_free(stmt->binds);
    foreach_cell(cell, stmt->defines) Free_OCIDefine(static_cast<OCIDefine *>(cell->ptr));
    list_free(stmt->defines);
    FreeMemFromStmtCache(stmt);
    o2pFree(stmt->stmtText);
    o2pFree(stmt->preparedName);
    o2pFree(stmt->cursorName);
    o2pFree(stmt->portalName);
    DeleteHandle(stmt);
}

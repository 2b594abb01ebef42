// Statement handles and their scratch-text cache.
#include "stmt/stmt_handles.h"

#include "diag/errors.h"
#include "env/attributes.h"

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

// Statement attributes are answered by the statement code; until a statement
// can be prepared none of them has a value to give.
sword Get_OCIStmt(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    if (HandleAs<OCIStmt>(h, HANDLE_OCIStmt) == nullptr || attributep == nullptr) return OCI_INVALID_HANDLE;
    AddErrorRecord(errhp, OCI_ERROR, kErrAttributeValueInvalid);
    return OCI_ERROR;
}

sword Set_OCIStmt(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp) {
    if (HandleAs<OCIStmt>(h, HANDLE_OCIStmt) == nullptr) return OCI_INVALID_HANDLE;
    AddErrorRecord(errhp, OCI_ERROR, kErrAttributeValueInvalid);
    return OCI_ERROR;
}

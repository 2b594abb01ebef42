// Define handles and the calls that make them: OCIDefineByPos,
// OCIDefineDynamic and OCIDefineArrayOfStruct. define_fill.cpp fills them.
#include "diag/entry.h"
#include "env/attributes.h"
#include "stmt/bind_define.h"
#include "types/type_catalogue.h"

OCIDefine *Alloc_OCIDefine() { return NewHandle<OCIDefine>(HANDLE_OCIDefine); }

void Free_OCIDefine(OCIDefine *define) {
    if (define == nullptr || define->handleType != HANDLE_OCIDefine) return;
    DeleteHandle(define);
}

// Define handles have no attributes.
sword Get_OCIDefine(void *, void *, ub4 *, ub4, OCIError *) { return OCI_ERROR; }
sword Set_OCIDefine(void *, void *, ub4, ub4, OCIError *) { return OCI_ERROR; }

OCIDefine *find_define(List *defines, int column) {
    if (column < 0) return nullptr;
    foreach_cell(cell, defines) {
        auto *define = static_cast<OCIDefine *>(cell->ptr);
        if (define != nullptr && define->position == static_cast<ub4>(column) + 1) return define;
    }
    return nullptr;
}

namespace {

bool IsDefineMode(ub4 mode) {
    return mode == OCI_DEFAULT || mode == OCI_DYNAMIC_FETCH || mode == OCI_DEFINE_SOFT;
}

// The statement and environment a define belongs to; null when either is
// missing or of another kind.
OCIStmt *StmtOfDefine(const OCIDefine *define) {
    auto *stmt = HandleAs<OCIStmt>(define->parenth, HANDLE_OCIStmt);
    if (stmt == nullptr || HandleAs<OCIEnv>(stmt->parenth, HANDLE_OCIEnv) == nullptr) return nullptr;
    return stmt;
}

}  // namespace

OCI_EXPORT sword OCIDefineByPos(OCIStmt *stmtp, OCIDefine **defnpp, OCIError *errhp, ub4 position, void *valuep,
                                sb4 value_sz, ub2 dty, void *indp, ub2 *rlenp, ub2 *rcodep, ub4 mode) {
    auto *stmt = HandleAs<OCIStmt>(stmtp, HANDLE_OCIStmt);
    auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    auto *env = stmt != nullptr ? HandleAs<OCIEnv>(stmt->parenth, HANDLE_OCIEnv) : nullptr;
    if (defnpp == nullptr || position == 0 || !IsValidOraDataType(dty) || err == nullptr || env == nullptr)
        return OCI_INVALID_HANDLE;
    if (!IsDefineMode(mode)) return OCI_ERROR;
    // The error handle keeps what it holds: no error handle is given to the
    // guard, and what would go wrong here is reported on `err` directly.
    return RunEntry({"OCIDefineByPos", OCI_FNCODE_DEFINEBYPOS}, env, nullptr, [&]() -> sword {
        if (value_sz < 0) {
            AddErrorRecordStringX(err, OCI_ERROR, kErrBadArgument, 1, "6");
            return OCI_ERROR;
        }
        if (mode == OCI_DEFINE_SOFT) {
            auto *define = HandleAs<OCIDefine>(*defnpp, HANDLE_OCIDefine);
            if (define == nullptr || define->parenth != stmt || !stmt->executed || define->dty != dty ||
                define->value_sz != static_cast<ub4>(value_sz))
                return OCI_ERROR;
            define->position = position;
            define->valuep = valuep;
            define->indp = static_cast<sb2 *>(indp);
            define->rlenp = rlenp;
            define->rcodep = rcodep;
            return OCI_SUCCESS;
        }
        // The new define is made before the old one goes, so that a failed
        // allocation leaves the column defined as it was.
        void *h = nullptr;
        const sword status = OCIHandleAlloc(stmt, &h, OCI_HTYPE_DEFINE, 0, nullptr);
        if (status != OCI_SUCCESS) return status;
        auto *define = static_cast<OCIDefine *>(h);
        OCIDefine *previous = find_define(stmt->defines, static_cast<int>(position) - 1);
        if (previous != nullptr && previous != define) {
            stmt->defines = list_delete(stmt->defines, previous);
            Free_OCIDefine(previous);
        }
        define->position = position;
        define->value_sz = static_cast<ub4>(value_sz);
        define->dty = dty;
        if (mode == OCI_DYNAMIC_FETCH) {
            define->dynamic = 1;
        } else {
            define->valuep = valuep;
            define->indp = static_cast<sb2 *>(indp);
            define->rlenp = rlenp;
            define->rcodep = rcodep;
        }
        *defnpp = define;
        return OCI_SUCCESS;
    }, OCI_ARGS(stmtp, defnpp, errhp, position, valuep, value_sz, dty, indp, rlenp, rcodep, mode));
}

OCI_EXPORT sword OCIDefineDynamic(OCIDefine *defnp, OCIError *errhp, void *octxp, OCICallbackDefine ocbfp) {
    auto *define = HandleAs<OCIDefine>(defnp, HANDLE_OCIDefine);
    auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    OCIStmt *stmt = define != nullptr ? StmtOfDefine(define) : nullptr;
    if (err == nullptr || stmt == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIDefineDynamic", OCI_FNCODE_DEFINEDYNAMIC}, EnvOfHandle(stmt), err, [&]() -> sword {
        define->dynamic = 1;
        define->ocbfp = ocbfp;
        define->octxp = octxp;
        return OCI_SUCCESS;
    }, OCI_ARGS(defnp, errhp, octxp, ocbfp));
}

OCI_EXPORT sword OCIDefineArrayOfStruct(OCIDefine *defnp, OCIError *errhp, ub4 pvskip, ub4 indskip, ub4 rlskip,
                                        ub4 rcskip) {
    auto *define = HandleAs<OCIDefine>(defnp, HANDLE_OCIDefine);
    auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    OCIStmt *stmt = define != nullptr ? StmtOfDefine(define) : nullptr;
    if (err == nullptr || stmt == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIDefineArrayOfStruct", OCI_FNCODE_DEFINEARRAYOFSTRUCT}, EnvOfHandle(stmt), err,
                    [&]() -> sword {
        define->structArray = 1;
        define->pvskip = pvskip;
        define->indskip = indskip;
        define->rlskip = rlskip;
        define->rcskip = rcskip;
        return OCI_SUCCESS;
    }, OCI_ARGS(defnp, errhp, pvskip, indskip, rlskip, rcskip));
}

// Describe handles; each owns the parameter tree of its last describe.
#include <new>

#include "diag/errors.h"
#include "env/attributes.h"
#include "env/describe_handles.h"
#include "env/env.h"

OCIDescribe *Alloc_OCIDescribe() { return NewHandle<OCIDescribe>(HANDLE_OCIDescribe); }

void Free_OCIDescribe(OCIDescribe *dsc) {
    if (dsc == nullptr || dsc->handleType != HANDLE_OCIDescribe) return;
    Free_OCIParam(dsc->result);
    DeleteHandle(dsc);
}

sword Get_OCIDescribe(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *dsc = HandleAs<OCIDescribe>(h, HANDLE_OCIDescribe);
    if (dsc == nullptr || attributep == nullptr) return OCI_INVALID_HANDLE;
    switch (attrtype) {
    case OCI_ATTR_PARAM: {
        OCIEnv *env = HandleAs<OCIEnv>(dsc->parenth, HANDLE_OCIEnv);
        if (env == nullptr) return OCI_INVALID_HANDLE;
        OCIParam *param = CopyParamDescriptor(env, dsc->result);
        if (param == nullptr) throw std::bad_alloc();
        *static_cast<OCIParam **>(attributep) = param;
        return OCI_SUCCESS;
    }
    case OCI_ATTR_PARAM_COUNT:
        AddErrorRecord(errhp, OCI_ERROR, 3001);
        return OCI_ERROR;
    default:
        AddErrorRecord(errhp, OCI_ERROR, kErrAttributeInvalid);
        return OCI_ERROR;
    }
}

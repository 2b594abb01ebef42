// Parameter descriptors (columns, tables, arguments of a describe).
#include "diag/errors.h"
#include "env/attributes.h"
#include "env/describe_handles.h"
#include "env/env.h"

OCIParam *Alloc_OCIParam() { return NewHandle<OCIParam>(HANDLE_OCIParam); }

void Free_OCIParam(OCIParam *param) {
    if (param == nullptr || param->handleType != HANDLE_OCIParam) return;
    if (param->paramRecord != nullptr && param->freeRecord != nullptr) param->freeRecord(param->paramRecord);
    DeleteHandle(param);
}

OCIParam *CopyParamDescriptor(OCIEnv *env, const OCIParam *source) {
    OCIParam *param = Alloc_OCIParam();
    if (param == nullptr) return nullptr;
    param->parenth = env;
    if (source != nullptr && source->paramRecord != nullptr && source->copyRecord != nullptr) {
        param->paramRecord = source->copyRecord(source->paramRecord);
        if (param->paramRecord == nullptr) {
            Free_OCIParam(param);
            return nullptr;
        }
        param->freeRecord = source->freeRecord;
        param->copyRecord = source->copyRecord;
    }
    try {
        env->children = lappend(env->children, param);
    } catch (...) {
        Free_OCIParam(param);
        throw;
    }
    return param;
}

sword Get_OCIParam(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *param = HandleAs<OCIParam>(h, HANDLE_OCIParam);
    if (param == nullptr || attributep == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_ERROR;
    if (param->paramRecord == nullptr || HandleAs<OCIEnv>(param->parenth, HANDLE_OCIEnv) == nullptr)
        return OCI_INVALID_HANDLE;
    // Column, table and argument attributes are answered by the describe code
    // once it fills records; a record it does not know answers nothing.
    AddErrorRecord(errhp, OCI_ERROR, kErrAttributeValueInvalid);
    return OCI_ERROR;
}

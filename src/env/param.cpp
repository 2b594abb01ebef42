// Parameter descriptors (OCI_DTYPE_PARAM): allocation and release, and the
// attributes a column or table descriptor answers.
#include <algorithm>
#include <cstring>
#include <new>

#include "conn/transcode.h"
#include "diag/errors.h"
#include "env/attributes.h"
#include "env/compat.h"
#include "env/describe_handles.h"
#include "env/env.h"
#include "stmt/stmt_handles.h"

OCIParam *Alloc_OCIParam() { return NewHandle<OCIParam>(HANDLE_OCIParam); }

void Free_OCIParam(OCIParam *param) {
    if (param == nullptr || param->handleType != HANDLE_OCIParam) return;
    FreeOCIParamHandle(param->record);
    param->record = nullptr;
    DeleteHandle(param);
}

OCIParam *NewParamDescriptor(OCIEnv *env, OCIParamRecord *record, OCIStmt *source) {
    OCIParam *param = Alloc_OCIParam();
    if (param == nullptr) {
        FreeOCIParamHandle(record);
        return nullptr;
    }
    param->parenth = env;
    param->record = record;
    param->source = source;
    try {
        env->children = lappend(env->children, param);
    } catch (const std::bad_alloc &) {
        Free_OCIParam(param);
        return nullptr;
    }
    return param;
}

namespace {

sword Fail(OCIError *errhp, sb4 code) {
    AddErrorRecord(errhp, OCI_ERROR, code);
    return OCI_ERROR;
}

// Hands out a record text: the copy is made on the first request, in the
// application's character set, in the source statement's cache (the
// environment's without one), and returned again on later requests.
sword HandOutText(OCIParam *param, OCIEnv *env, ParamText *t, void *attributep, ub4 *sizep, OCIError *errhp) {
    if (t->out == nullptr) {
        const char *text = t->text != nullptr ? t->text : "";
        size_t length = t->text != nullptr ? t->length : 0;
        size_t terminator = 1;
        char *converted = nullptr;
        if (env->utf16) {
            terminator = 2;
            if (length > 0) {
                int error = 0;
                if (transcode(env->fromUtf8, &error, text, length, &converted, &length) < 0) {
                    AddTranscodeErrorRecord(errhp, error);
                    return OCI_ERROR;
                }
                text = converted;
            }
        }
        // Cache blocks come zero-filled: the copy is terminated.
        void *block = param->source != nullptr ? AllocateMemFromStmtCache(param->source, length + terminator)
                                               : AllocateMemFromEnvCache(env, length + terminator);
        if (block != nullptr) std::memcpy(block, text, length);
        o2pFree(converted);
        if (block == nullptr) return Fail(errhp, kErrNoMemory);
        t->out = static_cast<char *>(block);
        t->outLength = static_cast<ub4>(length);
    }
    *static_cast<char **>(attributep) = t->out;
    if (sizep != nullptr) *sizep = t->outLength;
    return OCI_SUCCESS;
}

sword RefTdo(const OCIEnv *env, OCIError *errhp) {
    return (env->mode & OCI_OBJECT) ? OCI_SUCCESS : Fail(errhp, kErrObjectMode);
}

sword GetColumnAttr(OCIParam *param, OCIEnv *env, OCIColumnParamHandle *col, void *attributep, ub4 *sizep,
                    ub4 attrtype, OCIError *errhp) {
    if (sizep != nullptr) *sizep = 0;
    switch (attrtype) {
    // The published width is 16 bits; larger sizes saturate.
    case OCI_ATTR_DATA_SIZE: return PutAttr<ub2>(attributep, sizep, static_cast<ub2>(std::min<ub4>(col->dataSize, UB2MAXVAL)));
    case OCI_ATTR_DATA_TYPE: return PutAttr<ub2>(attributep, sizep, col->dataType);
    case OCI_ATTR_NAME: return HandOutText(param, env, &col->name, attributep, sizep, errhp);
    case OCI_ATTR_PRECISION: {
        const ub2 precision = col->wideStore ? col->precision16 : col->precision8;
        // Oracle answers an implicit describe's precision in 16 bits (sb2),
        // an explicit one's in a byte.
        if (col->implicit && OracleCompat(env)) return PutAttr<sb2>(attributep, sizep, static_cast<sb2>(precision));
        return PutAttr<ub1>(attributep, sizep, static_cast<ub1>(precision & 0xFF));
    }
    case OCI_ATTR_SCALE: return PutAttr<sb1>(attributep, sizep, col->scale);
    case OCI_ATTR_IS_NULL: return PutAttr<ub1>(attributep, sizep, col->isNull);
    case OCI_ATTR_TYPE_NAME: return HandOutText(param, env, &col->typeName, attributep, sizep, errhp);
    case OCI_ATTR_SCHEMA_NAME: return HandOutText(param, env, &col->schemaName, attributep, sizep, errhp);
    case OCI_ATTR_CHARSET_ID: return PutAttr<ub2>(attributep, sizep, col->charsetId);
    case OCI_ATTR_CHARSET_FORM: return PutAttr<ub1>(attributep, sizep, col->charsetForm);
    case OCI_ATTR_REF_TDO: return RefTdo(env, errhp);
    case OCI_ATTR_CHAR_USED: return PutAttr<ub1>(attributep, sizep, col->charUsed);
    case OCI_ATTR_CHAR_SIZE: return PutAttr<ub2>(attributep, sizep, col->charSize);
    default: return Fail(errhp, kErrAttributeValueInvalid);
    }
}

sword GetTableAttr(OCIParam *param, OCIEnv *env, OCITableParamHandle *table, void *attributep, ub4 *sizep,
                   ub4 attrtype, OCIError *errhp) {
    switch (attrtype) {
    case OCI_ATTR_NUM_COLS: {
        const int n = table->columns != nullptr ? list_length(table->columns->elements) : 0;
        return PutAttr<ub2>(attributep, sizep, static_cast<ub2>(n));
    }
    case OCI_ATTR_LIST_COLUMNS: {
        OCIParamRecord *copy = nullptr;
        if (table->columns != nullptr) {
            copy = CopyOCIParamHandle(table->columns);
        } else {
            OCIListParamHandle *empty = nullptr;
            if (Build_OCIListParamHandle(errhp, &empty) != OCI_SUCCESS) return OCI_ERROR;
            copy = empty;
        }
        if (copy == nullptr) return Fail(errhp, kErrDescribeMemory);
        OCIParam *list = NewParamDescriptor(env, copy, param->source);
        if (list == nullptr) return Fail(errhp, kErrDescribeMemory);
        return PutAttr<OCIParam *>(attributep, sizep, list);
    }
    case OCI_ATTR_RDBA: return PutAttr<ub4>(attributep, sizep, 0);
    case OCI_ATTR_CLUSTERED:
    case OCI_ATTR_PARTITIONED:
    case OCI_ATTR_INDEX_ONLY: return PutAttr<ub1>(attributep, sizep, 0);
    case OCI_ATTR_REF_TDO:
        *static_cast<void **>(attributep) = nullptr;
        return RefTdo(env, errhp);
    case OCI_ATTR_OBJID: return PutAttr<ub4>(attributep, sizep, table->objid);
    // A tablespace is an object id: 32 bits, whatever the record keeps.
    case OCI_ATTR_TABLESPACE: return PutAttr<ub4>(attributep, sizep, static_cast<ub4>(table->tablespace));
    case OCI_ATTR_IS_TEMPORARY: return PutAttr<ub1>(attributep, sizep, table->isTemporary);
    case OCI_ATTR_IS_TYPED: return PutAttr<ub1>(attributep, sizep, table->isTyped);
    case OCI_ATTR_DURATION: return PutAttr<ub2>(attributep, sizep, 0);
    default: return Fail(errhp, kErrAttributeValueInvalid);
    }
}

}  // namespace

sword Get_OCIParam(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *param = HandleAs<OCIParam>(h, HANDLE_OCIParam);
    if (param == nullptr || attributep == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_ERROR;
    OCIEnv *env = HandleAs<OCIEnv>(param->parenth, HANDLE_OCIEnv);
    if (param->record == nullptr || env == nullptr) return OCI_INVALID_HANDLE;
    switch (param->record->kind) {
    case PARAM_COLUMN:
        return GetColumnAttr(param, env, static_cast<OCIColumnParamHandle *>(param->record), attributep, sizep,
                             attrtype, errhp);
    case PARAM_ARGUMENT: return OCI_SUCCESS;
    case PARAM_TABLE:
        return GetTableAttr(param, env, static_cast<OCITableParamHandle *>(param->record), attributep, sizep,
                            attrtype, errhp);
    default: return OCI_ERROR;  // a list answers no attribute
    }
}

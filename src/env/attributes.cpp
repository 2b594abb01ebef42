// OCIAttrGet and OCIAttrSet: handle checks and dispatch to the per-kind
// getters and setters; the environment's own attributes.
#include "env/attributes.h"

#include "diag/entry.h"
#include "env/env.h"

namespace {
struct AttrKind {
    ub4 type;  // published handle or descriptor type
    AttrGetter get;
    AttrSetter set;
};

// Sorted by type. Session pools take attributes but give none back.
constexpr AttrKind kAttrKinds[] = {
    {OCI_HTYPE_ENV, Get_OCIEnv, Set_OCIEnv},
    {OCI_HTYPE_SVCCTX, Get_OCISvcCtx, Set_OCISvcCtx},
    {OCI_HTYPE_STMT, Get_OCIStmt, Set_OCIStmt},
    {OCI_HTYPE_BIND, Get_OCIBind, Set_OCIBind},
    {OCI_HTYPE_DEFINE, Get_OCIDefine, Set_OCIDefine},
    {OCI_HTYPE_DESCRIBE, Get_OCIDescribe, nullptr},
    {OCI_HTYPE_SERVER, Get_OCIServer, Set_OCIServer},
    {OCI_HTYPE_SESSION, Get_OCISession, Set_OCISession},
    {OCI_HTYPE_TRANS, Get_OCITrans, Set_OCITrans},
    {OCI_HTYPE_SPOOL, nullptr, Set_OCISPool},
    {OCI_DTYPE_PARAM, Get_OCIParam, nullptr},
};

const AttrKind *FindAttrKind(ub4 type) {
    for (const AttrKind &k : kAttrKinds)
        if (k.type == type) return &k;
    return nullptr;
}

// Types OCIAttrSet refuses outright; every other type without a setter is
// accepted and ignored.
bool SetRefusesType(ub4 type) {
    return type == 2 || type == 7 || (type >= 11 && type <= 19) || type == 26 || type == 28 || type == 29;
}

bool ParentIsEnvOrNone(const void *h) {
    const void *parent = AsHandle(h)->parenth;
    return parent == nullptr || HandleAs<OCIEnv>(parent, HANDLE_OCIEnv) != nullptr;
}
}  // namespace

OCI_EXPORT sword OCIAttrGet(const void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 *sizep, ub4 attrtype,
                            OCIError *errhp) {
    if (trgthndlp == nullptr || attributep == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    if (!ParentIsEnvOrNone(trgthndlp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIAttrGet", 0}, nullptr, errhp, [&]() -> sword {
        const AttrKind *kind = FindAttrKind(trghndltyp);
        if (kind == nullptr || kind->get == nullptr) return OCI_ERROR;
        return kind->get(const_cast<void *>(trgthndlp), attributep, sizep, attrtype, errhp);
    }, OCI_ARGS(trgthndlp, trghndltyp, attributep, sizep, attrtype, errhp));
}

OCI_EXPORT sword OCIAttrSet(void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 size, ub4 attrtype,
                            OCIError *errhp) {
    // Passwords are never written to the debug log.
    if (attributep != nullptr && attrtype != OCI_ATTR_PASSWORD)
        ocitracehex(TRACE_ATTRIBUTE, "attributep", attributep, size);
    if (trgthndlp == nullptr || errhp == nullptr) return OCI_ERROR;
    OCIHandle *h = AsHandle(trgthndlp);
    if (!ParentIsEnvOrNone(h)) return OCI_ERROR;
    if (h->parenth == nullptr && (trghndltyp != OCI_HTYPE_ENV || h->handleType != HANDLE_OCIEnv)) return OCI_ERROR;
    OCIEnv *env = EnvOfHandle(h);
    return RunEntry({"OCIAttrSet", OCI_FNCODE_ATTRSET, true}, env, errhp, [&](EntryCall &call) -> sword {
        if (SetRefusesType(trghndltyp)) {
            call.exitOnFailure = false;
            return OCI_ERROR;
        }
        const AttrKind *kind = FindAttrKind(trghndltyp);
        if (kind == nullptr || kind->set == nullptr) return OCI_SUCCESS;
        return kind->set(trgthndlp, attributep, size, attrtype, errhp);
    }, OCI_ARGS(trgthndlp, trghndltyp, attributep, size, attrtype, errhp));
}

namespace {
constexpr ub1 kVarcharsOn = 3;
constexpr ub1 kVarcharsOff = 4;
}  // namespace

sword Get_OCIEnv(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *env = HandleAs<OCIEnv>(h, HANDLE_OCIEnv);
    if (env == nullptr || attributep == nullptr) return OCI_INVALID_HANDLE;
    switch (attrtype) {
    case OCI_ATTR_OBJECT: return PutAttr<ub4>(attributep, sizep, (env->mode & OCI_OBJECT) ? 1 : 0);
    case OCI_ATTR_PG_VARCHARS: return PutAttr<ub1>(attributep, sizep, env->varcharSemantics ? kVarcharsOn : kVarcharsOff);
    default:
        AddErrorRecord(errhp, OCI_ERROR, kErrAttributeValueInvalid);
        return OCI_ERROR;
    }
}

sword Set_OCIEnv(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp) {
    auto *env = HandleAs<OCIEnv>(h, HANDLE_OCIEnv);
    if (env == nullptr || attributep == nullptr) return OCI_INVALID_HANDLE;
    if (attrtype == OCI_ATTR_PG_VARCHARS) {
        const ub1 value = *static_cast<const ub1 *>(attributep);
        if (value == 0 || value == kVarcharsOn) {
            env->varcharSemantics = 1;
            return OCI_SUCCESS;
        }
        if (value == kVarcharsOff) {
            env->varcharSemantics = 0;
            return OCI_SUCCESS;
        }
    }
    AddErrorRecord(errhp, OCI_ERROR, kErrAttributeValueInvalid);
    return OCI_ERROR;
}

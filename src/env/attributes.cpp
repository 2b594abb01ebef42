// OCIAttrGet and OCIAttrSet: handle checks and dispatch to the per-kind
// getters and setters; the environment's own attributes.
#include "env/attributes.h"

#include "diag/entry.h"
#include "env/compat.h"
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

// How the Oracle-compatible mode differs here, decided once per call:
//   - a handle is dispatched by its own kind, whatever type the caller names
//     (drivers name OCI_HTYPE_DESCRIBE for parameter descriptors);
//   - bind and define handles, which live under their statement, take
//     attributes too;
//   - the attributes drivers set for bookkeeping, and those they read to
//     size buffers and count pool sessions, are answered first;
//   - a failure without a record of its own gets "attribute is invalid".
struct AttrCall {
    bool oracle;
    ub4 type;  // the type the call is dispatched by
};

AttrCall ClassifyAttrCall(const void *h, ub4 given) {
    AttrCall call{OracleCompatOf(h), given};
    if (call.oracle) {
        const HandleKind *kind = FindHandleKind(AsHandle(h)->handleType);
        if (kind != nullptr) call.type = kind->publishedType;
    }
    return call;
}

bool ParentAccepted(const void *h, const AttrCall &call) {
    if (ParentIsEnvOrNone(h)) return true;
    const ub4 code = AsHandle(h)->handleType;
    return call.oracle && (code == HANDLE_OCIBind || code == HANDLE_OCIDefine);
}

sb4 FailureErrorOf(const AttrCall &call) { return call.oracle ? kErrAttributeInvalid : 0; }
}  // namespace

OCI_EXPORT sword OCIAttrGet(const void *trgthndlp, ub4 trghndltyp, void *attributep, ub4 *sizep, ub4 attrtype,
                            OCIError *errhp) {
    if (trgthndlp == nullptr || attributep == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    const AttrCall call = ClassifyAttrCall(trgthndlp, trghndltyp);
    if (!ParentAccepted(trgthndlp, call)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIAttrGet", 0, false, FailureErrorOf(call)}, nullptr, errhp, [&]() -> sword {
        sword answered = OCI_SUCCESS;
        if (call.oracle &&
            OracleAttrGet(const_cast<void *>(trgthndlp), call.type, attributep, sizep, attrtype, errhp, &answered))
            return answered;
        const AttrKind *kind = FindAttrKind(call.type);
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
    const AttrCall attr = ClassifyAttrCall(h, trghndltyp);
    if (!ParentAccepted(h, attr)) return OCI_ERROR;
    if (h->parenth == nullptr && (attr.type != OCI_HTYPE_ENV || h->handleType != HANDLE_OCIEnv)) return OCI_ERROR;
    OCIEnv *env = EnvOfHandle(h);
    return RunEntry({"OCIAttrSet", OCI_FNCODE_ATTRSET, true, FailureErrorOf(attr)}, env, errhp,
                    [&](EntryCall &call) -> sword {
        sword answered = OCI_SUCCESS;
        if (attr.oracle && OracleAttrSet(trgthndlp, attr.type, attributep, size, attrtype, errhp, &answered))
            return answered;
        if (SetRefusesType(attr.type)) {
            call.exitOnFailure = false;
            return OCI_ERROR;
        }
        const AttrKind *kind = FindAttrKind(attr.type);
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

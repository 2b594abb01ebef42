// Per-kind attribute getters and setters behind OCIAttrGet and OCIAttrSet.
// Each takes the handle already known to be non-null; it checks the kind
// itself and answers with the status and records its kind's rules call for.
#pragma once
#include "env/handles.h"

using AttrGetter = sword (*)(void *handle, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
using AttrSetter = sword (*)(void *handle, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);

sword Get_OCIEnv(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Set_OCIEnv(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Get_OCISvcCtx(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Set_OCISvcCtx(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Get_OCIServer(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Set_OCIServer(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Get_OCISession(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Set_OCISession(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Get_OCITrans(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Set_OCITrans(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Set_OCISPool(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Get_OCIStmt(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Set_OCIStmt(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Get_OCIBind(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Set_OCIBind(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Get_OCIDefine(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Set_OCIDefine(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp);
sword Get_OCIDescribe(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);
sword Get_OCIParam(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp);

// The Oracle-compatible mode's own answers, tried before the kind's getter
// or setter (the handle is dispatched by its own kind, `type`). True when
// the attribute was answered; its status is then in *status.
bool OracleAttrGet(void *h, ub4 type, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp,
                   sword *status);
bool OracleAttrSet(void *h, ub4 type, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp,
                   sword *status);

// Private attributes of this library.
constexpr ub4 OCI_ATTR_PG_STMT_LEVEL_TX = 5000;  // server: statement-level transactions
constexpr ub4 OCI_ATTR_PG_HOLD_MODE = 5001;      // server, statement: cursor mode
constexpr ub4 OCI_ATTR_PG_VARCHARS = 5002;       // environment: varchar semantics
constexpr ub4 OCI_ATTR_PG_COMMIT_MODE = 5003;    // server, statement: cursor commit mode

// Error numbers of the attribute calls.
constexpr sb4 kErrAttributeInvalid = 24315;
constexpr sb4 kErrAttributeValueInvalid = 24328;

// Helpers shared by the getters: store a value and, when asked, its size.
template <class T> sword PutAttr(void *attributep, ub4 *sizep, T value) {
    *static_cast<T *>(attributep) = value;
    if (sizep != nullptr) *sizep = sizeof(T);
    return OCI_SUCCESS;
}

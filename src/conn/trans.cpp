// Transaction handles: the global transaction identifier and its options.
#include <algorithm>
#include <cstring>
#include <new>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "env/attributes.h"

OCITrans *Alloc_OCITrans() { return NewHandle<OCITrans>(HANDLE_OCITrans); }

void Free_OCITrans(OCITrans *trans) {
    if (trans == nullptr || trans->handleType != HANDLE_OCITrans) return;
    o2pFree(trans->xid);
    DeleteHandle(trans);
}

namespace {
constexpr sb4 kErrAttributeSize = 24750;

XID *EnsureXid(OCITrans *trans) {
    if (trans->xid == nullptr) {
        trans->xid = static_cast<XID *>(o2pCalloc(1, sizeof(XID)));
        if (trans->xid == nullptr) throw std::bad_alloc();
    }
    return trans->xid;
}
}  // namespace

sword Get_OCITrans(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *trans = HandleAs<OCITrans>(h, HANDLE_OCITrans);
    if (trans == nullptr || attributep == nullptr) return OCI_INVALID_HANDLE;
    switch (attrtype) {
    case OCI_ATTR_XID:
        *static_cast<XID **>(attributep) = trans->xid;
        if (sizep != nullptr) *sizep = sizeof(XID);
        return OCI_SUCCESS;
    case OCI_ATTR_TRANS_NAME:
        if (trans->xid == nullptr) {
            *static_cast<char **>(attributep) = nullptr;
            if (sizep != nullptr) *sizep = sizeof(XID);
        } else {
            *static_cast<char **>(attributep) = trans->xid->data;
            if (sizep != nullptr) *sizep = static_cast<ub4>(trans->xid->gtrid_length + trans->xid->bqual_length);
        }
        return OCI_SUCCESS;
    case OCI_ATTR_TRANS_TIMEOUT:
        return PutAttr<ub4>(attributep, sizep, trans->timeout);
    default:
        AddErrorRecord(errhp, OCI_ERROR, kErrAttributeInvalid);
        return OCI_ERROR;
    }
}

sword Set_OCITrans(void *h, void *attributep, ub4 size, ub4 attrtype, OCIError *errhp) {
    auto *trans = HandleAs<OCITrans>(h, HANDLE_OCITrans);
    if (trans == nullptr) return OCI_INVALID_HANDLE;
    switch (attrtype) {
    case OCI_ATTR_XID:
        if (size != sizeof(XID) || attributep == nullptr) {
            AddErrorRecord(errhp, OCI_ERROR, kErrAttributeSize);
            return OCI_ERROR;
        }
        std::memcpy(EnsureXid(trans), attributep, sizeof(XID));
        return OCI_SUCCESS;
    case OCI_ATTR_TRANS_NAME: {
        XID *xid = EnsureXid(trans);
        std::memset(xid, 0, sizeof(XID));
        const size_t n = attributep == nullptr ? 0 : std::min<size_t>(size, sizeof xid->data);
        if (n > 0) std::memcpy(xid->data, attributep, n);
        xid->gtrid_length = static_cast<long>(n);
        return OCI_SUCCESS;
    }
    case OCI_ATTR_TRANS_TIMEOUT:
        if (attributep == nullptr) break;
        trans->timeout = *static_cast<const ub4 *>(attributep);
        return OCI_SUCCESS;
    default:
        break;
    }
    AddErrorRecord(errhp, OCI_ERROR, kErrAttributeInvalid);
    return OCI_ERROR;
}

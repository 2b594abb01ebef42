// oid columns defined as SQLT_BLOB: the destination holds a pointer to the
// application's LOB locator, which receives the large object's number.
#include <libpq-fe.h>

#include <cstring>

#include "conn/conn_handles.h"
#include "types/result_convert_support.h"

namespace resultconv {
namespace {

// A text-format oid: decimal digits only, within 32 bits.
bool ParseOid(const char *text, size_t len, ub4 *out) {
    if (len == 0 || len > 10) return false;
    uint64_t v = 0;
    for (size_t i = 0; i < len; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + static_cast<unsigned>(text[i] - '0');
    }
    if (v > 0xFFFFFFFFu) return false;
    *out = static_cast<ub4>(v);
    return true;
}

sword OidToLocator(const Call &c) {
    if (c.indicator != nullptr) *c.indicator = 0;
    // No room for even the locator pointer: nothing to convert into.
    if (c.length != nullptr && *c.length == 0) return OCI_SUCCESS;
    sword status;
    if (!Start(c, EmptyText::IsNull, &status)) return status;
    OCILobLocator *lob = nullptr;
    if (Capacity(c) >= sizeof lob) std::memcpy(&lob, c.dest, sizeof lob);
    lob = HandleAs<OCILobLocator>(lob, HANDLE_OCILobLocator);
    if (lob == nullptr) return Fail(c, kErrLob);
    ub4 oid = 0;
    if (c.format == 1) {
        if (c.valueLength != 4) return Refuse(c);
        oid = static_cast<ub4>(LoadBigEndian(c.value, 4));
    } else if (!ParseOid(c.value, c.valueLength, &oid)) {
        return Fail(c, kErrLob);
    }
    // A descriptor left open on the previous object would send later calls
    // to that object instead of this one, so the locator no longer counts as
    // open. The descriptor is closed on the server when the connection is
    // free for it: inside an open, healthy transaction block (outside one
    // the descriptor is gone already) and with no read-ahead in flight.
    // Otherwise the server drops it when the transaction ends.
    if (lob->fd != -1) {
        if (c.conn != nullptr && PQpipelineStatus(c.conn) == PQ_PIPELINE_OFF &&
            PQtransactionStatus(c.conn) == PQTRANS_INTRANS)
            lo_close(c.conn, lob->fd);
        lob->fd = -1;
    }
    lob->lobOid = oid;
    *c.length = sizeof lob;
    return OCI_SUCCESS;
}

}  // namespace
}  // namespace resultconv

OCI_RESULT_CONVERTER(ConvertOIDOIDToSQLT_BLOB) { return resultconv::OidToLocator(RESULT_CALL); }

// The LOB calls drivers make on every LOB they meet: temporary LOBs, the
// 64-bit length, read, write and trim calls, chunk size, locator copies and
// the open and temporary tests. In the library's own mode they stay guarded
// like the other unsupported LOB calls; the Oracle-compatible mode carries
// them out over the server's large objects, through the LOB calls of
// conn/lob.cpp where one fits.
//
// A temporary LOB is a large object of its own, created by
// OCILobCreateTemporary and removed by OCILobFreeTemporary. Amounts and
// offsets are bytes, as everywhere in the library's large-object model; the
// character amount of a read reports the characters of a UTF-8 client.
#include <libpq-fe.h>
#include <libpq/libpq-fs.h>  // INV_READ, INV_WRITE

#include <algorithm>
#include <cstdio>
#include <string>

#include "conn/conn_handles.h"
#include "conn/nls.h"
#include "conn/session_control.h"
#include "conn/transaction.h"
#include "diag/unsupported.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/pqext/pqext.h"

namespace {
constexpr sb4 kErrLob = 1733;
// The server stores large objects in pages of this many bytes.
constexpr ub4 kLobChunkSize = 2048;
constexpr size_t kMaxTransfer = size_t{1} << 30;

// Whether the call is carried out (Oracle-compatible mode) or refused as
// the library's own mode refuses it.
bool Runs(const void *handle, const OCIError *errhp) { return OracleCompatOf(handle) || OracleCompatOf(errhp); }

bool ValidCall(OCISvcCtx *svchp, OCIError *errhp, const OCILobLocator *locp) {
    return ValidConnHandle(svchp, HANDLE_OCISvcCtx) && ValidConnHandle(errhp, HANDLE_OCIError) &&
           HandleAs<OCILobLocator>(locp, HANDLE_OCILobLocator) != nullptr;
}

sword LobError(OCIError *errhp, PGconn *conn, const char *what) {
    if (conn != nullptr) o2pTrace(4, "\t%s failed: %s", what, PQerrorMessage(conn));
    AddErrorRecord(errhp, OCI_ERROR, kErrLob);
    return OCI_ERROR;
}

// The live connection of the service context's server, free for stock
// libpq calls.
sword Connection(OCISvcCtx *svchp, OCIError *errhp, OCIServer **server) {
    sword rc = getServerHandleFromService(server, svchp, errhp);
    if (rc != OCI_SUCCESS) return rc;
    PGconn *conn = (*server)->conn;
    if (conn == nullptr || PQstatus(conn) != CONNECTION_OK) {
        AddErrorRecord(errhp, OCI_ERROR, kErrConnectionTerminated);
        return OCI_ERROR;
    }
    if (PQextDrain(conn) == 0) return LobError(errhp, nullptr, "drain");
    return OCI_SUCCESS;
}

// A failed large-object function has failed the transaction block: it is
// rolled back, as after any failed statement.
void RecoverBlock(OCIServer *server, OCILobLocator *locp) {
    if (PQtransactionStatus(server->conn) != PQTRANS_INERROR) return;
    ROLLBACK_TRANSACTION(server);
    if (PQtransactionStatus(server->conn) == PQTRANS_IDLE) locp->fd = -1;
}

// Writes `length` bytes at the 0-based `position` of the locator's object,
// opening it for the call unless the locator holds it open.
sword WriteAt(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub8 position, const char *data,
              size_t length) {
    OCIServer *server = nullptr;
    sword rc = Connection(svchp, errhp, &server);
    if (rc != OCI_SUCCESS) return rc;
    PGconn *conn = server->conn;
    if (locp->lobOid == InvalidOid) return LobError(errhp, nullptr, "no large object");
    // A descriptor outlives no transaction block.
    if (locp->fd != -1 && PQtransactionStatus(conn) == PQTRANS_IDLE) locp->fd = -1;
    START_TRANSACTION(conn);
    int fd = locp->fd;
    const bool own = fd == -1;
    if (own && (fd = lo_open(conn, locp->lobOid, INV_READ | INV_WRITE)) < 0) {
        RecoverBlock(server, locp);
        return LobError(errhp, conn, "lo_open");
    }
    bool ok = lo_lseek64(conn, fd, static_cast<pg_int64>(position), SEEK_SET) >= 0;
    for (size_t done = 0; ok && done < length;) {
        const int wrote = lo_write(conn, fd, data + done, std::min(length - done, kMaxTransfer));
        ok = wrote > 0;
        if (ok) done += static_cast<size_t>(wrote);
    }
    if (!ok) {
        o2pTrace(4, "\tlo_write failed: %s", PQerrorMessage(conn));
        RecoverBlock(server, locp);
        return LobError(errhp, nullptr, "write");
    }
    if (own) lo_close(conn, fd);
    return OCI_SUCCESS;
}

// An offset or length beyond what the large-object calls of conn/lob.cpp
// take: error 21560 naming the argument.
sword OutOfRange(OCISvcCtx *svchp, OCIError *errhp, const OCILobLocator *locp, const char *position) {
    if (!ValidCall(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    ClearErrorHandle(errhp);
    AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, position);
    return OCI_ERROR;
}

// Characters in `length` bytes of client text: UTF-8 counts its lead bytes,
// other client sets one character a byte.
ub8 CharacterCount(const OCIEnv *env, const void *text, ub8 length) {
    if (env == nullptr || env->charsetId != nls::ENC_UTF8) return length;
    const auto *bytes = static_cast<const unsigned char *>(text);
    ub8 count = 0;
    for (ub8 i = 0; i < length; i++)
        if ((bytes[i] & 0xC0) != 0x80) count++;
    return count;
}
}  // namespace

OCI_EXPORT sword OCILobIsTemporary(OCIEnv *envp, OCIError *errhp, OCILobLocator *locp,
                                   boolean *is_temporary) {
    if (!Runs(envp, errhp))
        return GUARDED_UNSUPPORTED(0, "Checking Whether LOB Is Temporary", envp, errhp, envp, errhp, locp,
                                   is_temporary);
    if (HandleAs<OCIEnv>(envp, HANDLE_OCIEnv) == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr ||
        HandleAs<OCILobLocator>(locp, HANDLE_OCILobLocator) == nullptr)
        return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobIsTemporary", 0}, envp, errhp, [&]() -> sword {
        if (is_temporary == nullptr) {
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "4");
            return OCI_ERROR;
        }
        *is_temporary = locp->temporary ? TRUE : FALSE;
        return OCI_SUCCESS;
    }, OCI_ARGS(envp, errhp, locp, is_temporary));
}

OCI_EXPORT sword OCILobCreateTemporary(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub2 csid,
                                       ub1 csfrm, ub1 lobtype, boolean cache, OCIDuration duration) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Creating Temporary LOB", svchp, errhp, svchp, errhp, locp, csid, csfrm,
                                   lobtype, cache, duration);
    if (!ValidCall(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobCreateTemporary", 0}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        OCIServer *server = nullptr;
        sword rc = Connection(svchp, errhp, &server);
        if (rc != OCI_SUCCESS) return rc;
        const Oid oid = lo_creat(server->conn, INV_READ | INV_WRITE);
        if (oid == InvalidOid) {
            RecoverBlock(server, locp);
            return LobError(errhp, server->conn, "lo_creat");
        }
        locp->lobOid = oid;
        locp->fd = -1;
        locp->pollActive = false;
        locp->temporary = true;
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, locp, csid, csfrm, lobtype, cache, duration));
}

OCI_EXPORT sword OCILobFreeTemporary(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Freeing Temporary LOB", svchp, errhp, svchp, errhp, locp);
    if (!ValidCall(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobFreeTemporary", 0}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        if (!locp->temporary) return LobError(errhp, nullptr, "not a temporary LOB");
        OCIServer *server = nullptr;
        sword rc = Connection(svchp, errhp, &server);
        if (rc != OCI_SUCCESS) return rc;
        if (locp->fd != -1 && PQtransactionStatus(server->conn) != PQTRANS_IDLE) lo_close(server->conn, locp->fd);
        locp->fd = -1;
        const bool removed = lo_unlink(server->conn, locp->lobOid) >= 0;
        locp->temporary = false;
        locp->lobOid = InvalidOid;
        if (!removed) {
            RecoverBlock(server, locp);
            return LobError(errhp, server->conn, "lo_unlink");
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, locp));
}

OCI_EXPORT sword OCILobGetChunkSize(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *chunksizep) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Getting LOB Chunk Size", svchp, errhp, svchp, errhp, locp, chunksizep);
    if (!ValidCall(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobGetChunkSize", 0}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        if (chunksizep == nullptr) {
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "4");
            return OCI_ERROR;
        }
        *chunksizep = kLobChunkSize;
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, locp, chunksizep));
}

OCI_EXPORT sword OCILobGetLength2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, oraub8 *lenp) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Getting LOB Length", svchp, errhp, svchp, errhp, locp, lenp);
    if (lenp == nullptr) return OCILobGetLength(svchp, errhp, locp, nullptr);
    ub4 length = 0;
    const sword rc = OCILobGetLength(svchp, errhp, locp, &length);
    if (rc == OCI_SUCCESS) *lenp = length;
    return rc;
}

OCI_EXPORT sword OCILobIsOpen(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, boolean *flag) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Checking Whether LOB Is Open", svchp, errhp, svchp, errhp, locp, flag);
    if (!ValidCall(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobIsOpen", 0}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        if (flag == nullptr) {
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "4");
            return OCI_ERROR;
        }
        // A descriptor of a finished transaction block is gone.
        const OCIServer *server = svchp->server;
        const bool open = locp->fd != -1 && server != nullptr && server->conn != nullptr &&
                          PQtransactionStatus(server->conn) != PQTRANS_IDLE;
        *flag = open ? TRUE : FALSE;
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, locp, flag));
}

OCI_EXPORT sword OCILobLocatorAssign(OCISvcCtx *svchp, OCIError *errhp, const OCILobLocator *src_locp,
                                     OCILobLocator **dst_locpp) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Assigning LOB Locator", svchp, errhp, svchp, errhp, src_locp, dst_locpp);
    if (!ValidCall(svchp, errhp, src_locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobLocatorAssign", 0}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        OCILobLocator *dst = dst_locpp != nullptr ? HandleAs<OCILobLocator>(*dst_locpp, HANDLE_OCILobLocator)
                                                  : nullptr;
        if (dst == nullptr) {
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, "4");
            return OCI_ERROR;
        }
        if (dst == src_locp) return OCI_SUCCESS;
        Oid oid = src_locp->lobOid;
        if (src_locp->temporary) {
            // A temporary LOB is copied, so that each locator frees its own.
            OCIServer *server = nullptr;
            sword rc = Connection(svchp, errhp, &server);
            if (rc != OCI_SUCCESS) return rc;
            const std::string source = std::to_string(src_locp->lobOid);
            const char *values[] = {source.c_str()};
            PGresult *res = PQexecParams(server->conn, "SELECT lo_from_bytea(0, lo_get($1::oid))", 1, nullptr,
                                         values, nullptr, nullptr, 0);
            const bool ok = PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) == 1;
            if (ok) oid = static_cast<Oid>(std::stoul(PQgetvalue(res, 0, 0)));
            PQclear(res);
            if (!ok) {
                RecoverBlock(server, dst);
                return LobError(errhp, server->conn, "copy");
            }
        }
        dst->lobOid = oid;
        dst->temporary = src_locp->temporary;
        dst->fd = -1;
        dst->pollActive = false;
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, src_locp, dst_locpp));
}

OCI_EXPORT sword OCILobRead2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, oraub8 *byte_amtp,
                             oraub8 *char_amtp, oraub8 offset, void *bufp, oraub8 bufl, ub1 piece, void *ctxp,
                             OCICallbackLobRead2 cbfp, ub2 csid, ub1 csfrm) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Reading LOB", svchp, errhp, svchp, errhp, locp, byte_amtp, char_amtp,
                                   offset, bufp, bufl, piece, ctxp, cbfp, csid, csfrm);
    // One piece into the caller's buffer: the amount asked for (bytes, or
    // characters when no byte amount is given; 0 for as much as fits), never
    // more than the buffer holds, so the read always completes in this call.
    if (offset > UB4MAXVAL) return OutOfRange(svchp, errhp, locp, "6");
    ub8 wanted = byte_amtp != nullptr && *byte_amtp != 0 ? *byte_amtp : (char_amtp != nullptr ? *char_amtp : 0);
    if (wanted == 0 || wanted > bufl) wanted = bufl;
    ub4 amount = static_cast<ub4>(std::min<ub8>(wanted, UB4MAXVAL));
    const sword rc = OCILobRead(svchp, errhp, locp, &amount, static_cast<ub4>(offset), bufp,
                                static_cast<ub4>(std::min<ub8>(bufl, UB4MAXVAL)), nullptr, nullptr, 0, csfrm);
    if (rc == OCI_SUCCESS) {
        if (byte_amtp != nullptr) *byte_amtp = amount;
        if (char_amtp != nullptr) *char_amtp = CharacterCount(EnvOfHandle(svchp), bufp, amount);
    }
    return rc;
}

OCI_EXPORT sword OCILobWrite2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, oraub8 *byte_amtp,
                              oraub8 *char_amtp, oraub8 offset, void *bufp, oraub8 buflen, ub1 piece, void *ctxp,
                              OCICallbackLobWrite2 cbfp, ub2 csid, ub1 csfrm) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Writing LOB", svchp, errhp, svchp, errhp, locp, byte_amtp, char_amtp,
                                   offset, bufp, buflen, piece, ctxp, cbfp, csid, csfrm);
    if (!ValidCall(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobWrite2", OCI_FNCODE_LOBWRITE}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        // One piece from the caller's buffer, at a 1-based offset.
        if (piece != OCI_ONE_PIECE || cbfp != nullptr) {
            AddErrorRecord(errhp, OCI_ERROR, kErrUnsupportedFeature);
            return OCI_ERROR;
        }
        if (offset == 0 || (bufp == nullptr && buflen != 0)) {
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, offset == 0 ? "6" : "7");
            return OCI_ERROR;
        }
        sword rc = WriteAt(svchp, errhp, locp, offset - 1, static_cast<const char *>(bufp), buflen);
        if (rc != OCI_SUCCESS) return rc;
        if (byte_amtp != nullptr) *byte_amtp = buflen;
        if (char_amtp != nullptr) *char_amtp = CharacterCount(EnvOfHandle(svchp), bufp, buflen);
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, locp, byte_amtp, char_amtp, offset, bufp, buflen, piece, ctxp, cbfp, csid, csfrm));
}

OCI_EXPORT sword OCILobTrim2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, oraub8 newlen) {
    if (!Runs(svchp, errhp))
        return GUARDED_UNSUPPORTED(0, "Trimming LOB", svchp, errhp, svchp, errhp, locp, newlen);
    if (newlen > UB4MAXVAL) return OutOfRange(svchp, errhp, locp, "4");
    return OCILobTrim(svchp, errhp, locp, static_cast<ub4>(newlen));
}

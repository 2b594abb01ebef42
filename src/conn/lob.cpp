// LOB calls on server large objects: OCILobOpen, OCILobClose,
// OCILobGetLength, OCILobRead, OCILobTrim and OCILobWriteAppend.
//
// A locator names a large object by its number; the calls work on it through
// the client library's large-object functions (lo_open, lo_read, ...) on the
// connection of the service context's server. Amounts and offsets are bytes.
//
// Large-object descriptors live only as long as the transaction block that
// opened them, so every call but OCILobClose first makes sure a block is
// open. A call that finds its locator closed opens the object for itself and
// closes it again before returning; a locator opened with OCILobOpen stays
// open until OCILobClose.
//
// OCILobRead for more than the buffer holds hands the data over in pieces:
// to the callback when one is given, otherwise one piece a call (polling).
// A polling read returns OCI_NEED_DATA while bytes remain and is continued
// by calling again with the same offset and no callback; the locator keeps
// where it stands. OCILobRead has no piece argument, so a call with another
// offset or with a callback starts a new read instead.
#include <libpq-fe.h>
#include <libpq/libpq-fs.h>  // INV_READ, INV_WRITE

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "conn/conn_handles.h"
#include "conn/session_control.h"
#include "conn/transaction.h"
#include "diag/entry.h"
#include "stmt/pqext/pqext.h"

namespace {
constexpr sb4 kErrLob = 1733;

// Largest piece handed to one lo_read or lo_write (the client library
// refuses lengths beyond the int range).
constexpr size_t kMaxTransfer = size_t{1} << 30;

// The server's 64-bit large-object functions (lo_lseek64, lo_tell64,
// lo_truncate64) exist from this version on.
constexpr int kLo64Version = 90300;

sword LobError(OCIError *errhp) {
    AddErrorRecord(errhp, OCI_ERROR, kErrLob);
    return OCI_ERROR;
}

// Error 21560 naming the position of an argument that is null or out of range.
sword BadArgument(OCIError *errhp, const char *position) {
    AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, position);
    return OCI_ERROR;
}

// Why a large-object function failed goes to the trace only: the record
// carries the number alone.
void TraceServerFailure(PGconn *conn, const char *what) {
    o2pTrace(4, "\t%s failed: %s", what, PQerrorMessage(conn));
}

bool Lo64(PGconn *conn) { return PQserverVersion(conn) >= kLo64Version; }

int64_t Seek(PGconn *conn, int fd, int64_t offset, int whence) {
    if (Lo64(conn)) return lo_lseek64(conn, fd, offset, whence);
    if (offset > INT32_MAX) return -1;
    return lo_lseek(conn, fd, static_cast<int>(offset), whence);
}

int64_t Tell(PGconn *conn, int fd) { return Lo64(conn) ? lo_tell64(conn, fd) : lo_tell(conn, fd); }

int Truncate(PGconn *conn, int fd, int64_t length) {
    if (Lo64(conn)) return lo_truncate64(conn, fd, length);
    if (length > INT32_MAX) return -1;
    return lo_truncate(conn, fd, static_cast<size_t>(length));
}

// Reads up to `want` bytes into `buf`, fewer only at the object's end.
// Returns the count read, or -1 when the server refused a read.
int64_t ReadFully(PGconn *conn, int fd, char *buf, size_t want) {
    size_t done = 0;
    while (done < want) {
        const int got = lo_read(conn, fd, buf + done, std::min(want - done, kMaxTransfer));
        if (got < 0) return -1;
        if (got == 0) break;
        done += static_cast<size_t>(got);
    }
    return static_cast<int64_t>(done);
}

// One LOB call's connection and locator, and whether the locator was open
// before the call.
struct LobCall {
    OCIServer *server = nullptr;
    PGconn *conn = nullptr;
    OCILobLocator *lob = nullptr;
    OCIError *errhp = nullptr;
    bool wasOpen = false;
};

// The connection of the service context's server, free for stock libpq calls
// (read-ahead in flight is drained and kept first).
sword Connect(LobCall &call, OCISvcCtx *svchp, OCILobLocator *lob, OCIError *errhp) {
    call.lob = lob;
    call.errhp = errhp;
    sword rc = getServerHandleFromService(&call.server, svchp, call.errhp);
    if (rc != OCI_SUCCESS) return rc;
    call.conn = call.server->conn;
    if (call.conn == nullptr) {
        AddErrorRecord(call.errhp, OCI_ERROR, kErrConnectionTerminated);
        return OCI_ERROR;
    }
    if (PQstatus(call.conn) != CONNECTION_OK) {
        AddErrorRecord2(call.errhp, OCI_ERROR, kErrConnectionTerminated, PQerrorMessage(call.conn));
        return OCI_ERROR;
    }
    if (PQextDrain(call.conn) == 0) {
        // A non-blocking bulk or a command group holds the connection.
        o2pTrace(4, "\tconnection busy with another operation\n");
        return LobError(call.errhp);
    }
    // A descriptor never outlives its transaction block: one still recorded
    // while no block is open belongs to a finished transaction (and its
    // number may be handed out again), so it is forgotten, never used.
    if (call.lob->fd != -1 && PQtransactionStatus(call.conn) == PQTRANS_IDLE) {
        o2pTrace(4, "\tdescriptor %d of a finished transaction dropped\n", call.lob->fd);
        call.lob->fd = -1;
        call.wasOpen = true;  // opened by OCILobOpen: reopened below and kept open
    }
    return OCI_SUCCESS;
}

// Opens the object unless the locator is open already. A locator without an
// object (never filled by a fetch) is refused without asking the server.
sword OpenForCall(LobCall &call) {
    if (call.lob->fd != -1) {
        call.wasOpen = true;
        return OCI_SUCCESS;
    }
    if (call.lob->lobOid == InvalidOid) {
        o2pTrace(4, "\tlocator holds no large object\n");
        return LobError(call.errhp);
    }
    const int fd = lo_open(call.conn, call.lob->lobOid, INV_READ | INV_WRITE);
    if (fd < 0) {
        TraceServerFailure(call.conn, "lo_open");
        return LobError(call.errhp);
    }
    call.lob->fd = fd;
    return OCI_SUCCESS;
}

// The object's size in bytes (the position of its end).
bool GetSize(const LobCall &call, int64_t *size) {
    if (Seek(call.conn, call.lob->fd, 0, SEEK_END) < 0) {
        TraceServerFailure(call.conn, "lo_lseek");
        return false;
    }
    *size = Tell(call.conn, call.lob->fd);
    if (*size < 0) {
        TraceServerFailure(call.conn, "lo_tell");
        return false;
    }
    return true;
}

// Closes what the call opened for itself. A large-object function the
// server refused has failed the transaction block; it is rolled back, as
// after any failed statement, and the descriptor went with it.
void Finish(LobCall &call) {
    if (!call.wasOpen && call.lob->fd != -1) {
        if (lo_close(call.conn, call.lob->fd) < 0) TraceServerFailure(call.conn, "lo_close");
        call.lob->fd = -1;
    }
    if (PQtransactionStatus(call.conn) == PQTRANS_INERROR) {
        ROLLBACK_TRANSACTION(call.server);
        if (PQtransactionStatus(call.conn) == PQTRANS_IDLE) call.lob->fd = -1;
    }
}

// The handle checks every LOB call starts with.
bool ValidLobHandles(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp) {
    return ValidConnHandle(svchp, HANDLE_OCISvcCtx) && ValidConnHandle(errhp, HANDLE_OCIError) &&
           HandleAs<OCILobLocator>(locp, HANDLE_OCILobLocator) != nullptr;
}

void TraceCall(const char *description, OCIError *errhp) {
    o2pTrace(3, "%s", description);
    o2pTrace(4, "\terrhp = %p\n", static_cast<void *>(errhp));
}
}  // namespace

OCI_EXPORT sword OCILobOpen(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub1 mode) {
    if (!ValidLobHandles(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobOpen", OCI_FNCODE_LOBOPEN}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        TraceCall("Opening LOB/BFILE\n", errhp);
        LobCall call;
        sword rc = Connect(call, svchp, locp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        // Opened outside a transaction block, the descriptor would be gone
        // as soon as lo_open's own transaction ended.
        START_TRANSACTION(call.conn);
        rc = OpenForCall(call);
        call.wasOpen = true;  // stays open until OCILobClose
        Finish(call);
        return rc;
    }, OCI_ARGS(svchp, errhp, locp, mode));
}

OCI_EXPORT sword OCILobClose(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp) {
    if (!ValidLobHandles(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobClose", OCI_FNCODE_LOBCLOSE}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        TraceCall("Closing a LOB/BFILE\n", errhp);
        if (locp->fd == -1) return OCI_SUCCESS;
        LobCall call;
        sword rc = Connect(call, svchp, locp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        call.wasOpen = true;
        if (locp->fd != -1) {
            if (lo_close(call.conn, locp->fd) < 0) TraceServerFailure(call.conn, "lo_close");
            locp->fd = -1;
        }
        Finish(call);
        return OCI_SUCCESS;
    }, OCI_ARGS(svchp, errhp, locp));
}

OCI_EXPORT sword OCILobGetLength(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *lenp) {
    if (!ValidLobHandles(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobGetLength", OCI_FNCODE_LOBLENGTH}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        TraceCall("Retrieving the LOB's Length\n", errhp);
        if (lenp == nullptr) return BadArgument(errhp, "4");
        LobCall call;
        sword rc = Connect(call, svchp, locp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        START_TRANSACTION(call.conn);
        rc = OpenForCall(call);
        if (rc != OCI_SUCCESS) {
            Finish(call);
            return rc;
        }
        int64_t size = 0;
        if (!GetSize(call, &size) || size > static_cast<int64_t>(UB4MAXVAL)) {
            rc = LobError(errhp);
        } else {
            *lenp = static_cast<ub4>(size);
        }
        Finish(call);
        return rc;
    }, OCI_ARGS(svchp, errhp, locp, lenp));
}

OCI_EXPORT sword OCILobRead(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *amtp, ub4 offset,
                            void *bufp, ub4 bufl, void *ctxp, OCICallbackLobRead cbfp, ub2 csid, ub1 csfrm) {
    if (!ValidLobHandles(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobRead", OCI_FNCODE_LOBREAD}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        TraceCall("Reading LOB/BFILE\n", errhp);
        // The polling read this call may continue. The state is taken off
        // the locator here and put back only when a piece leaves bytes
        // still to deliver, so a new read, a failure and the last piece
        // all end it.
        const bool continuing = locp->pollActive && cbfp == nullptr && offset == locp->pollOffset &&
                                locp->lobOid == locp->pollOid;
        if (locp->pollActive && !continuing) o2pTrace(4, "\tunfinished polling read abandoned\n");
        locp->pollActive = false;
        if (amtp == nullptr) return BadArgument(errhp, "4");
        const ub4 requested = *amtp;
        *amtp = 0;
        // Offsets count from 1.
        if (offset == 0) return BadArgument(errhp, "5");
        LobCall call;
        sword rc = Connect(call, svchp, locp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        START_TRANSACTION(call.conn);
        rc = OpenForCall(call);
        if (rc != OCI_SUCCESS) {
            Finish(call);
            return rc;
        }
        // Where the read starts and how many bytes it delivers in all (in
        // this call and, when polling, the calls that follow).
        int64_t position = 0;
        int64_t n = 0;
        if (continuing) {
            // Descriptor positions do not survive a descriptor opened for
            // one call, nor other calls on an open one: seek every time.
            position = static_cast<int64_t>(locp->pollNext);
            n = locp->pollRemaining;
        } else {
            int64_t size = 0;
            if (!GetSize(call, &size)) {
                rc = LobError(errhp);
                Finish(call);
                return rc;
            }
            position = static_cast<int64_t>(offset) - 1;
            n = std::min<int64_t>(std::max<int64_t>(size - position, 0), requested);
        }
        if (n > 0 && (bufp == nullptr || bufl == 0)) {
            Finish(call);
            return BadArgument(errhp, bufp == nullptr ? "6" : "7");
        }
        if (n > 0 && Seek(call.conn, locp->fd, position, SEEK_SET) < 0) {
            TraceServerFailure(call.conn, "lo_lseek");
            rc = LobError(errhp);
            n = 0;
        }
        auto *buf = static_cast<char *>(bufp);
        ub1 piece = OCI_FIRST_PIECE;
        while (n > 0) {
            const size_t want = static_cast<size_t>(std::min<int64_t>(n, bufl));
            const int64_t got = ReadFully(call.conn, locp->fd, buf, want);
            if (got < 0) {
                TraceServerFailure(call.conn, "lo_read");
                rc = LobError(errhp);
                break;
            }
            // Without a callback the amount is that of this piece alone.
            *amtp = cbfp == nullptr ? static_cast<ub4>(got) : *amtp + static_cast<ub4>(got);
            position += got;
            n -= got;
            // A short read means the object ended early (it shrank since
            // its size was taken): what was read is the last piece.
            if (static_cast<size_t>(got) < want) n = 0;
            if (n == 0) {
                if (cbfp != nullptr) cbfp(ctxp, buf, static_cast<ub4>(got), OCI_LAST_PIECE);
                break;
            }
            if (cbfp == nullptr) {
                // Polling: the application calls again for the next piece.
                locp->pollActive = true;
                locp->pollOid = locp->lobOid;
                locp->pollOffset = offset;
                locp->pollNext = static_cast<ub8>(position);
                locp->pollRemaining = static_cast<ub4>(n);
                rc = OCI_NEED_DATA;
                break;
            }
            const sb4 more = cbfp(ctxp, buf, static_cast<ub4>(got), piece);
            piece = OCI_NEXT_PIECE;
            if (more != OCI_CONTINUE) break;
        }
        Finish(call);
        return rc;
    }, OCI_ARGS(svchp, errhp, locp, amtp, offset, bufp, bufl, ctxp, cbfp, csid, csfrm));
}

OCI_EXPORT sword OCILobTrim(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 newlen) {
    if (!ValidLobHandles(svchp, errhp, locp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobTrim", OCI_FNCODE_LOBTRIM}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        TraceCall("Truncating LOB\n", errhp);
        LobCall call;
        sword rc = Connect(call, svchp, locp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        START_TRANSACTION(call.conn);
        if (OpenForCall(call) != OCI_SUCCESS) {
            Finish(call);
            return LobError(errhp);
        }
        // Trimming never lengthens an object.
        int64_t size = 0;
        if (!GetSize(call, &size)) {
            rc = LobError(errhp);
        } else if (size < static_cast<int64_t>(newlen)) {
            o2pTrace(4, "\tobject of %lld bytes cannot be trimmed to %u\n", static_cast<long long>(size), newlen);
            rc = LobError(errhp);
        } else if (Truncate(call.conn, locp->fd, newlen) < 0) {
            TraceServerFailure(call.conn, "lo_truncate");
            rc = LobError(errhp);
        }
        Finish(call);
        return rc;
    }, OCI_ARGS(svchp, errhp, locp, newlen));
}

OCI_EXPORT sword OCILobWriteAppend(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *lobp, ub4 *amtp, void *bufp,
                                   ub4 bufl, ub1 piece, void *ctxp, OCICallbackLobWrite cbfp, ub2 csid, ub1 csfrm) {
    if (!ValidLobHandles(svchp, errhp, lobp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCILobWriteAppend", 0}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        TraceCall("Appending to LOB\n", errhp);
        if (amtp == nullptr) return BadArgument(errhp, "4");
        const ub4 amount = *amtp;
        *amtp = 0;
        if (amount > 0 && bufp == nullptr) return BadArgument(errhp, "5");
        LobCall call;
        sword rc = Connect(call, svchp, lobp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        START_TRANSACTION(call.conn);
        if (OpenForCall(call) != OCI_SUCCESS) {
            Finish(call);
            return LobError(errhp);
        }
        if (Seek(call.conn, lobp->fd, 0, SEEK_END) < 0) {
            TraceServerFailure(call.conn, "lo_lseek");
            rc = LobError(errhp);
        } else {
            // All of it in one go, whatever the piece argument says.
            const auto *buf = static_cast<const char *>(bufp);
            size_t done = 0;
            while (done < amount) {
                const int wrote = lo_write(call.conn, lobp->fd, buf + done, std::min(amount - done, kMaxTransfer));
                if (wrote <= 0) {
                    TraceServerFailure(call.conn, "lo_write");
                    rc = LobError(errhp);
                    break;
                }
                done += static_cast<size_t>(wrote);
            }
            *amtp = static_cast<ub4>(done);
        }
        Finish(call);
        return rc;
    }, OCI_ARGS(svchp, errhp, lobp, amtp, bufp, bufl, piece, ctxp, cbfp, csid, csfrm));
}

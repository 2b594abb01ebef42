// Transactions: OCITransStart, OCITransCommit, OCITransRollback and
// OCITransPrepare on the service context's connection, the two-phase names,
// and the transaction-block helpers used around statement and LOB work.
//
// The server has no global transactions of its own: a "transaction" is the
// connection's transaction block, and two-phase commit is a prepared
// transaction named after the XID of the service context's transaction
// handle.
#include "conn/transaction.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "conn/session_control.h"
#include "diag/catalogue.h"
#include "diag/entry.h"
#include "env/env.h"
#include "stmt/pqext/pqext.h"

namespace {
constexpr sb4 kErrInTransaction = 1453;
constexpr sb4 kErrUnsupportedOption = 24755;
constexpr sb4 kErrStartFlags = 24759;
constexpr sb4 kErrIsolation = 24760;
constexpr sb4 kErrTwoPhaseWithoutXid = 24762;
constexpr sb4 kErrLocalTransaction = 24771;
constexpr sb4 kErrTransactionType = 24773;

constexpr char kReadOnly[] = "SET TRANSACTION READ ONLY ";
constexpr char kSerializable[] = "SET TRANSACTION ISOLATION LEVEL SERIALIZABLE ";

// Statement buffers hold the longest name with room to spare.
constexpr size_t kStatementSize = 64 + kMaxTransactionNameLength;

// Appends `length` bytes in unpadded base64url.
size_t AppendBase64Url(char *out, const unsigned char *data, size_t length) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    size_t n = 0;
    for (size_t i = 0; i < length; i += 3) {
        const size_t take = length - i < 3 ? length - i : 3;
        unsigned long group = static_cast<unsigned long>(data[i]) << 16;
        if (take > 1) group |= static_cast<unsigned long>(data[i + 1]) << 8;
        if (take > 2) group |= data[i + 2];
        for (size_t k = 0; k <= take; ++k) out[n++] = kAlphabet[(group >> (18 - 6 * k)) & 0x3F];
    }
    out[n] = '\0';
    return n;
}

// While a transaction command runs, the server's notices ("there is no
// transaction in progress", ...) are kept here instead of being printed by
// the client library on standard error: they go to the trace and explain a
// command that ended differently than asked. The default notice receiver
// ignores its argument, so restoring it without one is exact.
class NoticeCatcher {
public:
    explicit NoticeCatcher(PGconn *conn) : conn_(conn) {
        previous_ = PQsetNoticeReceiver(conn_, &Receive, this);
    }
    ~NoticeCatcher() {
        if (previous_ != nullptr) PQsetNoticeReceiver(conn_, previous_, nullptr);
    }
    NoticeCatcher(const NoticeCatcher &) = delete;
    NoticeCatcher &operator=(const NoticeCatcher &) = delete;
    const char *last() const { return last_[0] != '\0' ? last_ : nullptr; }

private:
    static void Receive(void *arg, const PGresult *res) {
        auto *self = static_cast<NoticeCatcher *>(arg);
        const char *text = PQresultErrorField(res, PG_DIAG_MESSAGE_PRIMARY);
        if (text == nullptr) text = PQresultErrorMessage(res);
        ocitrace(TRACE_TRANSACTION, nullptr, "server notice: %s\n", text);
        std::snprintf(self->last_, sizeof self->last_, "%s", text);
    }
    PGconn *conn_;
    PQnoticeReceiver previous_ = nullptr;
    char last_[256] = {};
};

sword Fail(OCIError *errhp, sb4 errcode) {
    AddErrorRecord(errhp, OCI_ERROR, errcode);
    return OCI_ERROR;
}

// Error 25407 with the client library's own account of the connection.
sword ConnectionTerminated(OCIError *errhp, PGconn *conn) {
    AddErrorRecord2(errhp, OCI_ERROR, kErrConnectionTerminated, PQerrorMessage(conn));
    return OCI_ERROR;
}

// Sends one transaction command. Anything but command-complete is the
// server's error. When `expectedTag` is given, a command the server
// completed as something else (a COMMIT or PREPARE TRANSACTION it turned
// into a rollback) is error 1453: the caller's work did not survive.
sword SendCommand(OCIError *errhp, PGconn *conn, const char *sql, const char *expectedTag) {
    PQextDrain(conn);  // read-ahead in flight is kept before anything is sent
    NoticeCatcher notices(conn);
    PGresult *res = PQexec(conn, sql);
    sword rc = OCI_SUCCESS;
    if (PQresultStatus(res) != PGRES_COMMAND_OK) {
        AddPGErrorRecord(errhp, OCI_ERROR, res);
        // A connection lost on the way has no server error to report; say so.
        if (PQstatus(conn) != CONNECTION_OK) ConnectionTerminated(errhp, conn);
        rc = OCI_ERROR;
    } else if (expectedTag != nullptr && std::strcmp(PQcmdStatus(res), expectedTag) != 0) {
        char text[512];
        std::snprintf(text, sizeof text, "%s: %s", o2pGetErrorText(kErrInTransaction),
                      notices.last() != nullptr ? notices.last() : "the transaction was rolled back");
        AddErrorRecord2(errhp, OCI_ERROR, kErrInTransaction, text);
        rc = OCI_ERROR;
    }
    PQclear(res);
    return rc;
}

// Checks OCITransStart's flags; on success *statement is the isolation
// statement to send, or null for none.
sword CheckStartFlags(ub4 flags, OCIError *errhp, const char **statement) {
    *statement = nullptr;
    const ub4 start = flags & OCI_TRANS_STARTMASK;
    if (start != 0) {
        const ub4 kinds = start & (OCI_TRANS_NEW | OCI_TRANS_JOIN | OCI_TRANS_RESUME);
        if ((kinds & (kinds - 1)) != 0) return Fail(errhp, kErrStartFlags);
        if (start == OCI_TRANS_JOIN || start == OCI_TRANS_RESUME)
            return Fail(errhp, kErrUnsupportedOption);
        if (start != OCI_TRANS_NEW) return Fail(errhp, kErrStartFlags);
    }
    const ub4 isolation = flags & OCI_TRANS_ISOLMASK;
    switch (isolation) {
    case 0:
    case OCI_TRANS_READWRITE:
        break;
    case OCI_TRANS_READONLY:
        *statement = kReadOnly;
        break;
    case OCI_TRANS_SERIALIZABLE:
        *statement = kSerializable;
        break;
    default:
        return Fail(errhp, kErrIsolation);
    }
    const ub4 type = flags & OCI_TRANS_TYPEMASK;
    if (type != 0) {
        const bool both = (type & OCI_TRANS_LOOSE) != 0 && (type & OCI_TRANS_TIGHT) != 0;
        return Fail(errhp, both ? kErrTransactionType : kErrUnsupportedOption);
    }
    if (flags & (OCI_TRANS_RESUME | OCI_TRANS_NOMIGRATE | OCI_TRANS_SEPARABLE))
        return Fail(errhp, kErrUnsupportedOption);
    return OCI_SUCCESS;
}

// The prepared-transaction statement `verb` '<name>' for the XID of the
// service context's transaction handle. OCI_INVALID_HANDLE without a
// transaction handle; `missingXid` without an XID or when the XID cannot be
// named safely (nothing is sent then).
sword TwoPhaseStatement(OCISvcCtx *svchp, OCIError *errhp, const char *verb, sb4 missingXid, char *sql,
                        size_t size) {
    OCITrans *trans = HandleAs<OCITrans>(svchp->trans, HANDLE_OCITrans);
    if (trans == nullptr) return OCI_INVALID_HANDLE;
    char *name = trans->xid != nullptr ? GetTransactionNameFromXID(trans->xid) : nullptr;
    if (name == nullptr) {
        if (trans->xid != nullptr)
            ocitracehex(TRACE_TRANSACTION, "refusing transaction identifier", trans->xid, sizeof(XID));
        return Fail(errhp, missingXid);
    }
    std::snprintf(sql, size, "%s '%s'", verb, name);
    o2pFree(name);
    return OCI_SUCCESS;
}

// The server of a service context, as a server handle, or null.
OCIServer *ServerOf(OCISvcCtx *svchp, OCIError *errhp) {
    OCIServer *server = nullptr;
    return getServerHandleFromService(&server, svchp, errhp) == OCI_SUCCESS ? server : nullptr;
}

bool ValidTransHandles(OCISvcCtx *svchp, OCIError *errhp) {
    return ValidConnHandle(svchp, HANDLE_OCISvcCtx) && ValidConnHandle(errhp, HANDLE_OCIError);
}

struct EndKind {
    bool commit;
    const char *plain;     // one-phase statement
    const char *plainTag;  // its expected completion, null for any
    const char *prepared;  // two-phase statement, before the quoted name
};
constexpr EndKind kCommit{true, "COMMIT", "COMMIT", "COMMIT PREPARED"};
constexpr EndKind kRollback{false, "ROLLBACK", nullptr, "ROLLBACK PREPARED"};

// The common part of commit and rollback, after the connection check.
sword EndTransaction(const EndKind &kind, OCISvcCtx *svchp, OCIServer *server, OCIError *errhp, ub4 flags) {
    char sql[kStatementSize];
    const char *tag = kind.plainTag;
    if (flags == OCI_TRANS_TWOPHASE) {
        sword rc = TwoPhaseStatement(svchp, errhp, kind.prepared, kErrTwoPhaseWithoutXid, sql, sizeof sql);
        if (rc != OCI_SUCCESS) return rc;
        tag = nullptr;  // the prepared forms either work or fail
    } else {
        std::snprintf(sql, sizeof sql, "%s", kind.plain);
    }
    if (kind.commit)
        ocitrace(TRACE_TRANSACTION, nullptr, "committing on service(%p), server(%p)\n", static_cast<void *>(svchp),
                 static_cast<void *>(server));
    else
        ocitrace(TRACE_TRANSACTION, nullptr, "rollback on service(%p), server(%p)\n", static_cast<void *>(svchp),
                 static_cast<void *>(server));
    return SendCommand(errhp, server->conn, sql, tag);
}
}  // namespace

char *GetTransactionNameFromXID(const XID *xid) {
    if (xid == nullptr) return nullptr;
    const long gtrid = xid->gtrid_length;
    const long bqual = xid->bqual_length;
    if (gtrid < 0 || bqual < 0 || gtrid > XIDDATASIZE || bqual > XIDDATASIZE || gtrid + bqual > XIDDATASIZE)
        return nullptr;
    auto *name = static_cast<char *>(o2pMalloc(kMaxTransactionNameLength + 1));
    if (name == nullptr) return nullptr;
    // formatID is a long in the XID layout, but only its 32-bit value names
    // the transaction.
    size_t n = static_cast<size_t>(std::snprintf(name, kMaxTransactionNameLength + 1, "%d.",
                                                 static_cast<int32_t>(static_cast<uint32_t>(xid->formatID))));
    const auto *data = reinterpret_cast<const unsigned char *>(xid->data);
    n += AppendBase64Url(name + n, data, static_cast<size_t>(gtrid));
    name[n++] = '.';
    AppendBase64Url(name + n, data + gtrid, static_cast<size_t>(bqual));
    return name;
}

void START_TRANSACTION(PGconn *conn) {
    if (conn == nullptr) return;
    PQextDrain(conn);
    switch (PQtransactionStatus(conn)) {
    case PQTRANS_IDLE:
    case PQTRANS_UNKNOWN:
        PQclear(PQexec(conn, "BEGIN"));
        break;
    default:
        break;
    }
}

void COMMIT_TRANSACTION(PGconn *conn) {
    if (conn == nullptr) return;
    PQextDrain(conn);
    switch (PQtransactionStatus(conn)) {
    case PQTRANS_ACTIVE:
    case PQTRANS_INTRANS:
        PQclear(PQexec(conn, "COMMIT"));
        break;
    default:
        break;
    }
}

void ROLLBACK_TRANSACTION(OCIServer *server) {
    if (HandleAs<OCIServer>(server, HANDLE_OCIServer) == nullptr || server->conn == nullptr) return;
    if (server->stmtLevelTx) return;
    PQextDrain(server->conn);
    switch (PQtransactionStatus(server->conn)) {
    case PQTRANS_ACTIVE:
    case PQTRANS_INTRANS:
    case PQTRANS_INERROR:
        PQclear(PQexec(server->conn, "ROLLBACK"));
        break;
    default:
        break;
    }
}

OCI_EXPORT sword OCITransStart(OCISvcCtx *svchp, OCIError *errhp, uword timeout, ub4 flags) {
    if (!ValidTransHandles(svchp, errhp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCITransStart", OCI_FNCODE_TRANSSTART}, EnvOfHandle(svchp), errhp, [&](EntryCall &call) -> sword {
        // A callback that already failed the call leaves nothing to do.
        if (call.ucbStatus < 0) return call.ucbStatus;
        if (HandleAs<OCITrans>(svchp->trans, HANDLE_OCITrans) == nullptr) return OCI_INVALID_HANDLE;
        OCIServer *server = ServerOf(svchp, errhp);
        if (server == nullptr) return OCI_INVALID_HANDLE;
        if (PQstatus(server->conn) != CONNECTION_OK) return ConnectionTerminated(errhp, server->conn);
        const char *statement = nullptr;
        sword rc = CheckStartFlags(flags, errhp, &statement);
        if (rc != OCI_SUCCESS || statement == nullptr) return rc;
        // SET TRANSACTION outside a transaction block is only a warning and
        // changes nothing, so the block the setting is meant for is opened
        // here; the next statement finds it open and uses it.
        if (PQtransactionStatus(server->conn) == PQTRANS_IDLE) {
            rc = SendCommand(errhp, server->conn, "BEGIN", nullptr);
            if (rc != OCI_SUCCESS) return rc;
        }
        return SendCommand(errhp, server->conn, statement, nullptr);
    }, OCI_ARGS(svchp, errhp, timeout, flags));
}

OCI_EXPORT sword OCITransCommit(OCISvcCtx *svchp, OCIError *errhp, ub4 flags) {
    if (!ValidTransHandles(svchp, errhp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCITransCommit", OCI_FNCODE_TRANSCOMMIT}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        OCIServer *server = ServerOf(svchp, errhp);
        if (server == nullptr) return OCI_INVALID_HANDLE;
        if (PQstatus(server->conn) != CONNECTION_OK) return ConnectionTerminated(errhp, server->conn);
        return EndTransaction(kCommit, svchp, server, errhp, flags);
    }, OCI_ARGS(svchp, errhp, flags));
}

OCI_EXPORT sword OCITransRollback(OCISvcCtx *svchp, OCIError *errhp, ub4 flags) {
    if (!ValidTransHandles(svchp, errhp)) return OCI_INVALID_HANDLE;
    // The error handle is cleared only once the connection is known to be
    // usable: a rollback after a failed call on a lost connection keeps that
    // call's records and adds 25407 to them. The guard is therefore given no
    // error handle to clear; the work reports into errhp itself.
    return RunEntry({"OCITransRollback", OCI_FNCODE_TRANSROLLBACK}, EnvOfHandle(svchp), nullptr, [&]() -> sword {
        OCIServer *server = ServerOf(svchp, errhp);
        if (server == nullptr) return OCI_INVALID_HANDLE;
        if (PQstatus(server->conn) != CONNECTION_OK) return ConnectionTerminated(errhp, server->conn);
        ClearErrorHandle(errhp);
        return EndTransaction(kRollback, svchp, server, errhp, flags);
    }, OCI_ARGS(svchp, errhp, flags));
}

OCI_EXPORT sword OCITransPrepare(OCISvcCtx *svchp, OCIError *errhp, ub4 flags) {
    if (!ValidTransHandles(svchp, errhp)) return OCI_INVALID_HANDLE;
    return RunEntry({"OCITransPrepare", OCI_FNCODE_TRANSPREPARE}, EnvOfHandle(svchp), errhp, [&]() -> sword {
        OCIServer *server = ServerOf(svchp, errhp);
        if (server == nullptr || HandleAs<OCITrans>(svchp->trans, HANDLE_OCITrans) == nullptr)
            return OCI_INVALID_HANDLE;
        if (PQstatus(server->conn) != CONNECTION_OK) return ConnectionTerminated(errhp, server->conn);
        char sql[kStatementSize];
        sword rc = TwoPhaseStatement(svchp, errhp, "PREPARE TRANSACTION", kErrLocalTransaction, sql, sizeof sql);
        if (rc != OCI_SUCCESS) return rc;
        // Outside a transaction block, or in a failed one, the server
        // completes PREPARE TRANSACTION as a rollback and prepares nothing; a
        // transaction manager told "prepared" would then lose the branch.
        return SendCommand(errhp, server->conn, sql, "PREPARE TRANSACTION");
    }, OCI_ARGS(svchp, errhp, flags));
}

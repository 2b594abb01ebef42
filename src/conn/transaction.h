// Transactions on the server connection: the transaction-block helpers the
// statement and LOB code call around server work, the name a two-phase
// transaction is known by on the server, and the XA open-string parser.
#pragma once
#include <libpq-fe.h>

#include <cstddef>

#include "conn/conn_handles.h"

// Opens a transaction block ("BEGIN") unless one is already open (or
// failed, or a command is running). The result is not reported: a dead
// connection shows up in the statement that follows.
void START_TRANSACTION(PGconn *conn);

// Commits ("COMMIT") an open, healthy transaction block; a failed block or
// an idle connection is left alone.
void COMMIT_TRANSACTION(PGconn *conn);

// Rolls back ("ROLLBACK") an open or failed transaction block of the
// server's connection, except under statement-level transactions, where the
// server itself undoes the failed statement only.
void ROLLBACK_TRANSACTION(OCIServer *server);

// Longest prepared-transaction name: a 32-bit number, two dots and the data
// bytes in unpadded base64url, each part rounded up (the server allows 199).
constexpr size_t kMaxTransactionNameLength = 11 + 2 + (XIDDATASIZE * 4 + 2) / 3 + 2;
static_assert(kMaxTransactionNameLength < 200, "the server's limit on transaction names");

// The name a prepared transaction of `xid` has on the server:
// "<formatID>.<gtrid>.<bqual>", formatID as a signed 32-bit decimal and each
// part in unpadded base64url (RFC 4648), so that distinct XIDs never share a
// name, binary XIDs are named, the name decodes back to the XID and it holds
// nothing that could end or escape a quoted literal. A new heap string
// (o2pFree), or null when the lengths are negative or exceed the data area,
// or when memory runs out.
char *GetTransactionNameFromXID(const XID *xid);

// Fields of an XA open string ("Oracle_XA+Acc=P/user/pw+SqlNet=db+...").
constexpr size_t kXaFieldSize = 256;
struct XaOpenFields {
    char hostname[kXaFieldSize];
    char portnumber[kXaFieldSize];
    char sqlnet[kXaFieldSize];
    char user[kXaFieldSize];
    char password[kXaFieldSize];
    char appname[kXaFieldSize];
    char logdir[kXaFieldSize];
    char logrotationsize[kXaFieldSize];
    char logflags[kXaFieldSize];
};

// Parses an open string into *fields (cleared first). False for a null
// string, one of 256 bytes or more, or credentials without a '/' between
// user and password.
bool xa_parse_connection_str(const char *open, XaOpenFields *fields);

// The connect identifier an XA connection attaches with: "//host:port/db"
// when both host and port are given, else the sqlnet value alone. Returns
// false when it does not fit `size` bytes.
bool XaConnectIdentifier(const XaOpenFields &fields, char *out, size_t size);

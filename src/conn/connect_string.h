// Turning an OCI connect identifier into the host, port and database name (or
// the whole URI) that the server client library connects with: directly, or
// through a tnsnames.ora descriptor file.
#pragma once
#include <oci.h>

#include <cstddef>

// Each field a heap string (o2pMalloc) or null when absent. When uri is
// present the other three stay absent.
struct ConnectTarget {
    char *host;
    char *port;
    char *dbname;
    char *uri;
};
void FreeConnectTarget(ConnectTarget *target);  // frees and clears the fields

// Direct parse of a NUL-terminated connect string; `length` is not used.
// Sets all four outputs to null first. "postgresql://" and "postgres://"
// strings are kept whole as the uri; otherwise an optional leading "//" is
// skipped and the rest split into host[:port][/dbname], missing parts
// becoming empty strings. Returns false, with all four outputs null, only
// when a ':' follows the first '/' (such strings are looked up in the
// descriptor file). Reentrant. Throws std::bad_alloc when memory runs out.
bool parse_connect_str(const char *ident, sb4 length, char **host, char **port, char **dbname,
                       char **uri);

// Size of the buffer a descriptor-file path is built in, NUL included. A
// candidate whose path does not fit is skipped.
constexpr size_t kDescriptorPathSize = 1024;

// Writes to `path` (kDescriptorPathSize bytes) the first readable candidate
// of $HOME/.tnsnames.ora and $TNS_ADMIN/tnsnames.ora, skipping a candidate
// whose variable is unset. False when there is none.
bool FindDescriptorFile(char *path);

// Resolves a connect identifier of `length` bytes (NUL-terminated) into
// *target, which must start cleared. Returns 0, or the OCI error number
// (12154 no descriptor file, 12555 file unreadable, 12227 file does not
// parse) with *target left cleared. Identifiers without ':' and '/' are
// looked up in the descriptor file when there is one and taken as a host name
// when no entry matches or there is no file. Fields still absent afterwards
// (unless a uri was given) get the defaults: this machine's host name, port
// "5444", database "tav". Throws std::bad_alloc when memory runs out.
sb4 ResolveConnectIdentifier(const char *ident, sb4 length, ConnectTarget *target);

// ResolveConnectIdentifier for a server handle: on success replaces the
// handle's host, port, dbname and uri and returns OCI_SUCCESS; on failure
// adds the error record to errhp, leaves the handle as it was and returns
// OCI_ERROR.
sword ResolveServerConnectFields(OCIServer *server, OCIError *errhp, const char *ident,
                                 sb4 length);

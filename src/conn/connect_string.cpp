// Connect-identifier resolution: the direct parse, the descriptor-file search
// and the lookup of an identifier among the file's entries.
#include "conn/connect_string.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "conn/conn_handles.h"
#include "conn/tnsnames/tnsnames.h"
#include "diag/errors.h"
#include "env/memory.h"
#include "platform/os.h"

namespace {
constexpr sb4 kErrCannotResolve = 12154;
constexpr sb4 kErrDescriptorSyntax = 12227;
constexpr sb4 kErrDescriptorUnreadable = 12555;

constexpr const char *kDefaultPort = "5444";
constexpr const char *kDefaultDbname = "tav";

char *CopyBytes(const char *bytes, size_t n) {
    char *copy = makeString(bytes, n);
    if (copy == nullptr) throw std::bad_alloc();
    return copy;
}

char *Copy(const char *s) { return CopyBytes(s, std::strlen(s)); }

bool HasPrefix(const char *s, const char *prefix) {
    return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// No ':' and no '/': a name that may be a descriptor-file entry.
bool IsBareIdentifier(const char *ident) {
    return std::strchr(ident, ':') == nullptr && std::strchr(ident, '/') == nullptr;
}

char *LocalHostName() {
    const std::string name = os::HostName();
    return Copy(!name.empty() ? name.c_str() : "localhost");
}

void ApplyDefaults(ConnectTarget *target) {
    if (target->uri != nullptr) return;
    if (target->host == nullptr) target->host = LocalHostName();
    if (target->port == nullptr) target->port = Copy(kDefaultPort);
    if (target->dbname == nullptr) target->dbname = Copy(kDefaultDbname);
}

// Fills the still-absent fields of *target from every entry named
// `identifier`, in file order; releases the entries. True when one matched.
bool TakeMatchingEntries(List *entries, const char *identifier, ConnectTarget *target) {
    bool matched = false;
    try {
        foreach_cell(cell, entries) {
            auto *entry = static_cast<OCINetServiceName *>(cell->ptr);
            if (oci_stricmp(entry->name, identifier) != 0) continue;
            matched = true;
            OCIAddress *address = entry->address;
            if (target->host == nullptr && address != nullptr && address->host != nullptr)
                target->host = Copy(address->host->value);
            if (target->port == nullptr && address != nullptr && address->port != nullptr)
                target->port = Copy(address->port->value);
            if (target->dbname == nullptr && entry->sid != nullptr)
                target->dbname = Copy(entry->sid->value);
        }
    } catch (...) {
        ReleaseOCINodeList(entries);
        throw;
    }
    ReleaseOCINodeList(entries);
    return matched;
}

// Looks `identifier` up in the descriptor file at `path`. Returns 0 (with
// *matched telling whether an entry matched) or an OCI error number.
sb4 LookUpDescriptorFile(const char *path, const char *identifier, ConnectTarget *target,
                         bool *matched) {
    *matched = false;
    FILE *stream = std::fopen(path, "r");
    if (stream == nullptr) return kErrDescriptorUnreadable;
    List *entries = nullptr;
    TnsParseStatus status = ParseDescriptorFile(stream, &entries);
    std::fclose(stream);
    switch (status) {
    case TnsParseStatus::Ok: break;
    case TnsParseStatus::SyntaxError: return kErrDescriptorSyntax;
    case TnsParseStatus::ReadError: return kErrDescriptorUnreadable;
    case TnsParseStatus::OutOfMemory: throw std::bad_alloc();
    }
    *matched = TakeMatchingEntries(entries, identifier, target);
    return 0;
}
}  // namespace

void FreeConnectTarget(ConnectTarget *target) {
    if (target == nullptr) return;
    o2pFree(target->host);
    o2pFree(target->port);
    o2pFree(target->dbname);
    o2pFree(target->uri);
    *target = ConnectTarget{};
}

bool parse_connect_str(const char *ident, sb4 length, char **host, char **port, char **dbname,
                       char **uri) {
    (void)length;  // the string is NUL-terminated; callers pass the length along anyway
    *host = *port = *dbname = *uri = nullptr;
    if (ident == nullptr) ident = "";

    if (HasPrefix(ident, "postgresql://") || HasPrefix(ident, "postgres://")) {
        *uri = Copy(ident);
        return true;
    }
    if (ident[0] == '/' && ident[1] == '/') ident += 2;

    const char *colon = std::strchr(ident, ':');
    const char *slash = std::strchr(ident, '/');
    if (colon != nullptr && slash != nullptr && colon >= slash) return false;

    ConnectTarget parts{};
    try {
        if (colon != nullptr && slash != nullptr) {
            parts.host = CopyBytes(ident, static_cast<size_t>(colon - ident));
            parts.port = CopyBytes(colon + 1, static_cast<size_t>(slash - colon - 1));
            parts.dbname = Copy(slash + 1);
        } else if (slash != nullptr) {
            parts.host = CopyBytes(ident, static_cast<size_t>(slash - ident));
            parts.port = Copy("");
            parts.dbname = Copy(slash + 1);
        } else if (colon != nullptr) {
            parts.host = CopyBytes(ident, static_cast<size_t>(colon - ident));
            parts.port = Copy(colon + 1);
            parts.dbname = Copy("");
        } else {
            parts.host = Copy(ident);
            parts.port = Copy("");
            parts.dbname = Copy("");
        }
    } catch (...) {
        FreeConnectTarget(&parts);
        throw;
    }
    *host = parts.host;
    *port = parts.port;
    *dbname = parts.dbname;
    return true;
}

bool FindDescriptorFile(char *path) {
    static const struct {
        const char *variable;
        const char *file;
    } kCandidates[] = {{"HOME", "/.tnsnames.ora"}, {"TNS_ADMIN", "/tnsnames.ora"}};

    for (const auto &candidate : kCandidates) {
        const char *dir = std::getenv(candidate.variable);
        if (dir == nullptr) continue;
        int n = std::snprintf(path, kDescriptorPathSize, "%s%s", dir, candidate.file);
        if (n < 0 || static_cast<size_t>(n) >= kDescriptorPathSize) continue;  // cut short
        if (access(path, R_OK) == 0) return true;
    }
    path[0] = '\0';
    return false;
}

sb4 ResolveConnectIdentifier(const char *ident, sb4 length, ConnectTarget *target) {
    *target = ConnectTarget{};
    if (ident == nullptr || length <= 0) {
        ApplyDefaults(target);
        return 0;
    }

    ConnectTarget direct{};
    bool parsed = parse_connect_str(ident, length, &direct.host, &direct.port, &direct.dbname,
                                    &direct.uri);
    if (parsed && !IsBareIdentifier(ident)) {
        *target = direct;  // fully given (or a uri): no defaults apply
        return 0;
    }

    try {
        char path[kDescriptorPathSize];
        if (!FindDescriptorFile(path)) {
            if (parsed) {
                *target = direct;  // a bare host name and no file to look it up in
                return 0;
            }
            return kErrCannotResolve;
        }
        bool matched = false;
        sb4 err = LookUpDescriptorFile(path, ident, target, &matched);
        if (err != 0) {
            FreeConnectTarget(target);
            FreeConnectTarget(&direct);
            return err;
        }
        if (parsed && !matched) {
            *target = direct;  // no entry of that name: it is a host name after all
            return 0;
        }
        FreeConnectTarget(&direct);
        ApplyDefaults(target);
        return 0;
    } catch (...) {
        FreeConnectTarget(target);
        FreeConnectTarget(&direct);
        throw;
    }
}

sword ResolveServerConnectFields(OCIServer *server, OCIError *errhp, const char *ident,
                                 sb4 length) {
    ConnectTarget target{};
    sb4 err = ResolveConnectIdentifier(ident, length, &target);
    if (err != 0) {
        AddErrorRecord(errhp, OCI_ERROR, err);
        return OCI_ERROR;
    }
    o2pFree(server->host);
    o2pFree(server->port);
    o2pFree(server->dbname);
    o2pFree(server->uri);
    server->host = target.host;
    server->port = target.port;
    server->dbname = target.dbname;
    server->uri = target.uri;
    return OCI_SUCCESS;
}

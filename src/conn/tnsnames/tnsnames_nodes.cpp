// Parse-tree records of descriptor files: creation for the grammar actions,
// release, and the comparison used to match entry names.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "conn/tnsnames/tnsnames_nodes.h"
#include "env/memory.h"

bool tns_out_of_memory = false;

namespace {
void (*callNodeReleaser)(void *) = nullptr;

template <class T> T *NewNode(int32_t kind) {
    T *node = o2pNew<T>();
    if (node == nullptr) {
        tns_out_of_memory = true;
        return nullptr;
    }
    node->kind = kind;
    return node;
}

template <class T> T *NodeAs(void *node, int32_t kind) {
    if (node == nullptr || static_cast<OCINode *>(node)->kind != kind) return nullptr;
    return static_cast<T *>(static_cast<OCINode *>(node));
}

int32_t KindOf(const OCINode *node) { return node == nullptr ? 0 : node->kind; }

int FoldByte(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
    if (c >= 0x80 && std::isupper(c)) return static_cast<unsigned char>(std::tolower(c));
    return c;
}
}  // namespace

void ReleaseOCIHost(OCIHost *node) {
    if (node == nullptr || node->kind != NODE_OCIHost) return;
    o2pFree(node->value);
    o2pDelete(node);
}

void ReleaseOCIPort(OCIPort *node) {
    if (node == nullptr || node->kind != NODE_OCIPort) return;
    o2pFree(node->value);
    o2pDelete(node);
}

void ReleaseOCISid(OCISid *node) {
    if (node == nullptr || node->kind != NODE_OCISid) return;
    o2pFree(node->value);
    o2pDelete(node);
}

void ReleaseOCIAddress(OCIAddress *node) {
    if (node == nullptr || node->kind != NODE_OCIAddress) return;
    ReleaseOCIHost(node->host);
    ReleaseOCIPort(node->port);
    o2pDelete(node);
}

void ReleaseOCINetServiceName(OCINetServiceName *node) {
    if (node == nullptr || node->kind != NODE_OCINetServiceName) return;
    o2pFree(node->name);
    ReleaseOCIAddress(node->address);
    ReleaseOCISid(node->sid);
    o2pDelete(node);
}

void SetCallNodeReleaser(void (*releaser)(void *node)) { callNodeReleaser = releaser; }

void ReleaseOCINode(void *node) {
    if (node == nullptr) return;
    switch (static_cast<OCINode *>(node)->kind) {
    case NODE_OCIHost: ReleaseOCIHost(static_cast<OCIHost *>(static_cast<OCINode *>(node))); break;
    case NODE_OCIPort: ReleaseOCIPort(static_cast<OCIPort *>(static_cast<OCINode *>(node))); break;
    case NODE_OCIAddress:
        ReleaseOCIAddress(static_cast<OCIAddress *>(static_cast<OCINode *>(node)));
        break;
    case NODE_OCISid: ReleaseOCISid(static_cast<OCISid *>(static_cast<OCINode *>(node))); break;
    case NODE_OCINetServiceName:
        ReleaseOCINetServiceName(
            static_cast<OCINetServiceName *>(static_cast<OCINode *>(node)));
        break;
    case NODE_OCICallNode:
        if (callNodeReleaser != nullptr) callNodeReleaser(node);
        break;
    default: break;
    }
}

void ReleaseOCINodeList(List *list) {
    foreach_cell(cell, list) ReleaseOCINode(cell->ptr);
    list_free(list);
}

char *makeString(const char *bytes, size_t n) {
    auto *copy = static_cast<char *>(o2pMalloc(n + 1));
    if (copy == nullptr) return nullptr;
    if (n > 0) std::memcpy(copy, bytes, n);
    copy[n] = '\0';
    return copy;
}

int oci_stricmp(const char *a, const char *b) {
    if (a == nullptr || b == nullptr) return (a == nullptr ? 0 : 1) - (b == nullptr ? 0 : 1);
    const auto *pa = reinterpret_cast<const unsigned char *>(a);
    const auto *pb = reinterpret_cast<const unsigned char *>(b);
    for (;; ++pa, ++pb) {
        int ca = FoldByte(*pa);
        int cb = FoldByte(*pb);
        if (ca != cb) return ca - cb;
        if (ca == 0) return 0;
    }
}

// ---- tree building -------------------------------------------------------

OCINode *tns_make_host(char *value) {
    if (value == nullptr) {
        tns_out_of_memory = true;
        return nullptr;
    }
    auto *host = NewNode<OCIHost>(NODE_OCIHost);
    if (host == nullptr) {
        o2pFree(value);
        return nullptr;
    }
    host->value = value;
    return host;
}

OCINode *tns_make_port(int number) {
    char text[16];
    int n = std::snprintf(text, sizeof text, "%d", number);
    char *value = makeString(text, static_cast<size_t>(n));
    if (value == nullptr) {
        tns_out_of_memory = true;
        return nullptr;
    }
    auto *port = NewNode<OCIPort>(NODE_OCIPort);
    if (port == nullptr) {
        o2pFree(value);
        return nullptr;
    }
    port->value = value;
    return port;
}

OCINode *tns_make_sid(char *value) {
    if (value == nullptr) {
        tns_out_of_memory = true;
        return nullptr;
    }
    auto *sid = NewNode<OCISid>(NODE_OCISid);
    if (sid == nullptr) {
        o2pFree(value);
        return nullptr;
    }
    sid->value = value;
    return sid;
}

OCINode *tns_address_add(OCINode *address, OCINode *param, bool first) {
    if (first) address = NewNode<OCIAddress>(NODE_OCIAddress);
    auto *addr = NodeAs<OCIAddress>(address, NODE_OCIAddress);
    if (addr == nullptr) {
        ReleaseOCINode(param);
        return address;
    }
    if (addr->host == nullptr && KindOf(param) == NODE_OCIHost) {
        addr->host = static_cast<OCIHost *>(param);
    } else if (addr->port == nullptr && KindOf(param) == NODE_OCIPort) {
        addr->port = static_cast<OCIPort *>(param);
    } else {
        ReleaseOCINode(param);
    }
    return addr;
}

OCINode *tns_description_add(OCINode *description, OCINode *param, bool first) {
    if (first) description = NewNode<OCINetServiceName>(NODE_OCINetServiceName);
    auto *svc = NodeAs<OCINetServiceName>(description, NODE_OCINetServiceName);
    if (svc == nullptr) {
        ReleaseOCINode(param);
        return description;
    }
    if (svc->address == nullptr && KindOf(param) == NODE_OCIAddress) {
        svc->address = static_cast<OCIAddress *>(param);
    } else if (svc->sid == nullptr && KindOf(param) == NODE_OCISid) {
        svc->sid = static_cast<OCISid *>(param);
    } else {
        ReleaseOCINode(param);
    }
    return svc;
}

OCINode *tns_keep_first(OCINode *kept, OCINode *candidate) {
    if (kept != nullptr) {
        ReleaseOCINode(candidate);
        return kept;
    }
    return candidate;
}

OCINode *tns_name_entry(char *name, OCINode *description) {
    auto *svc = NodeAs<OCINetServiceName>(description, NODE_OCINetServiceName);
    if (name == nullptr || svc == nullptr) {
        // Only an allocation failure gets here: a description always yields a record.
        tns_out_of_memory = true;
        o2pFree(name);
        ReleaseOCINode(description);
        return nullptr;
    }
    o2pFree(svc->name);
    svc->name = name;
    return svc;
}

List *tns_append_entry(List *entries, OCINode *entry) {
    if (entry == nullptr) return entries;  // allocation failure already flagged
    try {
        return lappend(entries, entry);
    } catch (const std::bad_alloc &) {
        tns_out_of_memory = true;
        ReleaseOCINode(entry);
        return entries;
    }
}

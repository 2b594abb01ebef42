// Parse-tree records of tnsnames.ora descriptor files, the keyword table,
// the case-insensitive comparison used to match entry names, and the
// tree-building helpers behind the grammar actions.
//
// This header is included by the generated scanner and parser, so it stays
// clear of the OCI headers: token names such as HOST, TYPE or NONE must not
// meet macros from elsewhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "env/list.h"

// Kind codes of parse-tree records. Kind 6 belongs to the callable-statement
// parser, which shares the release dispatcher.
enum OCINodeKind : int32_t {
    NODE_OCIHost = 1,
    NODE_OCIPort = 2,
    NODE_OCIAddress = 3,
    NODE_OCISid = 4,
    NODE_OCINetServiceName = 5,
    NODE_OCICallNode = 6,
};

// Every record starts with its kind; strings are heap copies (o2pMalloc)
// owned by the record.
struct OCINode {
    int32_t kind;
};

struct OCIHost : OCINode {
    char *value;  // identifier or dotted-quad address, as written
};

struct OCIPort : OCINode {
    char *value;  // the port integer printed in decimal
};

struct OCIAddress : OCINode {
    OCIHost *host;  // or null
    OCIPort *port;  // or null
};

struct OCISid : OCINode {
    char *value;
};

struct OCINetServiceName : OCINode {
    char *name;  // entry name as written; null until the entry is named
    OCIAddress *address;
    OCISid *sid;
};

// Release functions ignore a null pointer and a record of another kind.
void ReleaseOCIHost(OCIHost *node);
void ReleaseOCIPort(OCIPort *node);
void ReleaseOCIAddress(OCIAddress *node);
void ReleaseOCISid(OCISid *node);
void ReleaseOCINetServiceName(OCINetServiceName *node);
// Dispatches on the kind; null and unknown kinds are ignored. Kind 6 is
// handed to the callable-statement parser's releaser once one is installed.
void ReleaseOCINode(void *node);
void SetCallNodeReleaser(void (*releaser)(void *node));
// Releases every node of the list, then the list.
void ReleaseOCINodeList(List *list);

// New heap string holding the n bytes and a terminating NUL; null when
// memory runs out.
char *makeString(const char *bytes, size_t n);

// Case-insensitive comparison: ASCII letters fold to lower case, bytes from
// 0x80 up fold through tolower when the current locale calls them upper case.
// Returns the difference of the first unequal folded bytes (0 when equal).
// A null text sorts before every other text.
int oci_stricmp(const char *a, const char *b);

struct ScanKeyword {
    const char *name;  // lower case
    int value;         // token code
};
extern const ScanKeyword ScanKeywords[];
extern const int NumScanKeywords;
// The keyword entry for `word` (any case), or null.
const ScanKeyword *ScanKeywordLookup(const char *word);

// Tree building for the grammar actions. Each helper takes ownership of the
// nodes and strings it is given; "nothing" is a null node. When memory runs
// out a helper releases what it was given, returns null and raises the flag
// below, so the parse still runs to its end and the caller discards it.
extern bool tns_out_of_memory;
OCINode *tns_make_host(char *value);
OCINode *tns_make_port(int number);
OCINode *tns_make_sid(char *value);
// Adds a parameter to an address under construction (created for the first
// parameter): only the first host and the first port are kept.
OCINode *tns_address_add(OCINode *address, OCINode *param, bool first);
// Adds a parameter to a description under construction: only the first
// address and the first SID are kept.
OCINode *tns_description_add(OCINode *description, OCINode *param, bool first);
// Of two alternatives keeps the first that is present, releasing the other.
OCINode *tns_keep_first(OCINode *kept, OCINode *candidate);
// Names a description (or takes the first of a description list).
OCINode *tns_name_entry(char *name, OCINode *description);
List *tns_append_entry(List *entries, OCINode *entry);

// Shared between the generated scanner and parser and their caller.
extern List *tnsnames_parsetree_list;
extern bool tns_read_failed;
// Starts a fresh scan of `stream`: no bytes left from an earlier file, quoted
// state off, line counter at 1.
void tns_scanner_reset(FILE *stream);
// Frees the scanner's buffers once a parse is over.
void tns_scanner_release();

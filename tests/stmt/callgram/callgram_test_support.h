// A parse whose result is released with the test, and a one-line picture of
// a result for comparisons.
#pragma once
#include <string>

#include "conn/tnsnames/tnsnames_nodes.h"
#include "env/memory.h"
#include "stmt/callgram/callgram.h"

// Token codes of the keywords; pinned, like the rest of the token numbers.
inline int BeginToken() { return 260; }
inline int EndToken() { return 261; }

struct Parsed {
    explicit Parsed(const char *block) { rc = ParseCallableBlock(block, &node); }
    ~Parsed() { ReleaseOCICallableStmt(node); }
    Parsed(const Parsed &) = delete;
    Parsed &operator=(const Parsed &) = delete;
    OCICallableStmt *release() {
        OCICallableStmt *kept = node;
        node = nullptr;
        return kept;
    }
    int rc = -1;
    OCICallableStmt *node = nullptr;
};

inline std::string Describe(const OCICallableStmt *node) {
    if (node == nullptr) return "(none)";
    return std::string(node->callText) + " | " + node->procName + " | " +
           (node->returnName != nullptr ? node->returnName : "-") + " | " + std::to_string(node->isFunction);
}

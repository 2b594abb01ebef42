// The parser of callable blocks: BEGIN name(:a, ...); END; and
// BEGIN :r := name(:a, ...); END; become a server CALL text.
//
// Each parse keeps its scanner and parser state in its own objects, so blocks
// may be parsed in many threads at once without a lock.
#pragma once
#include <oci.h>

// The parse result (node type 6 of the parse-node family).
struct OCICallableStmt {
    int nodeType;      // kCallableNodeType
    char *callText;    // "CALL name ( :a , :b );"
    sb4 isFunction;    // 1 for a block that assigns the routine's result
    char *returnName;  // the result placeholder with its colon, or null
    char *procName;    // the routine's name as written
};

constexpr int kCallableNodeType = 6;

// Frees the node and its strings; null is ignored.
void ReleaseOCICallableStmt(OCICallableStmt *node);

// Parses `text` (NUL-terminated). Returns 0 with *node set (null for an empty
// text, which is no block at all), 1 on a syntax error, 2 when the parser
// runs out of stack or memory. Syntax messages go to the debug log.
int ParseCallableBlock(const char *text, OCICallableStmt **node);

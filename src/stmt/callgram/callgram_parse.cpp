// The one way into the generated callable-block parser, the parse result and
// the builders behind the grammar actions, and the parser's lines in the
// debug log.
//
// Nothing here is process-wide: each call sets up its own scanner over its
// own copy of the text and its own parse state, so blocks are parsed in any
// number of threads at once without a lock.
#include "stmt/callgram/callgram.h"

#include <climits>
#include <cstdarg>
#include <cstring>

#include "conn/tnsnames/tnsnames_nodes.h"
#include "diag/trace.h"
#include "env/memory.h"
#include "stmt/callgram/callgram_internal.h"

namespace {
constexpr const char *kTraceName = "ParseCallableBlock";

// The shared release dispatcher of parse nodes learns about this kind as
// soon as the parser is part of the program; the pointer is set once, before
// any thread can parse.
[[maybe_unused]] const bool kReleaserInstalled = [] {
    SetCallNodeReleaser([](void *node) {
        ReleaseOCICallableStmt(static_cast<OCICallableStmt *>(node));
    });
    return true;
}();
}  // namespace

void ReleaseOCICallableStmt(OCICallableStmt *node) {
    if (node == nullptr || node->nodeType != kCallableNodeType) return;
    o2pFree(node->callText);
    o2pFree(node->returnName);
    o2pFree(node->procName);
    o2pDelete(node);
}

char *make_str(const char *str) { return o2pStrdup(str); }

char *cat_str(int count, ...) {
    // The grammar joins at most five pieces.
    constexpr int kMaxPieces = 8;
    char *pieces[kMaxPieces];
    if (count < 1 || count > kMaxPieces) return nullptr;

    va_list args;
    va_start(args, count);
    bool complete = true;
    size_t length = static_cast<size_t>(count - 1);  // the separating spaces
    for (int i = 0; i < count; ++i) {
        pieces[i] = va_arg(args, char *);
        if (pieces[i] == nullptr) {
            complete = false;
        } else {
            length += std::strlen(pieces[i]);
        }
    }
    va_end(args);

    char *joined = complete ? static_cast<char *>(o2pMalloc(length + 1)) : nullptr;
    if (joined != nullptr) {
        char *end = joined;
        for (int i = 0; i < count; ++i) {
            if (i > 0) *end++ = ' ';
            size_t piece = std::strlen(pieces[i]);
            std::memcpy(end, pieces[i], piece);
            end += piece;
        }
        *end = '\0';
    }
    for (int i = 0; i < count; ++i) o2pFree(pieces[i]);
    return joined;
}

OCICallableStmt *make_callable(bool isFunction, char *returnName, char *name, char *params) {
    char *procName = make_str(name);
    char *callText = cat_str(5, make_str("CALL"), name, make_str("("), params, make_str(");"));
    OCICallableStmt *node = o2pNew<OCICallableStmt>();
    if (node == nullptr || procName == nullptr || callText == nullptr) {
        o2pDelete(node);
        o2pFree(procName);
        o2pFree(callText);
        o2pFree(returnName);
        return nullptr;
    }
    node->nodeType = kCallableNodeType;
    node->callText = callText;
    node->isFunction = isFunction ? 1 : 0;
    node->returnName = returnName;
    node->procName = procName;
    return node;
}

void callgram_report(const char *message) { ocitrace(TRACE_PREPARE, kTraceName, "%s\n", message); }

// Digits, quotes and the like cannot start a token; the scanner skips them,
// and the log records that it did.
void callgram_report_stray(unsigned char c) {
    if (c > ' ' && c < 0x7F) {
        ocitrace(TRACE_PREPARE, kTraceName, "skipped character '%c'\n", c);
    } else {
        ocitrace(TRACE_PREPARE, kTraceName, "skipped character 0x%02x\n", c);
    }
}

int ParseCallableBlock(const char *block, OCICallableStmt **node) {
    if (node == nullptr) return 1;
    *node = nullptr;
    if (block == nullptr) return 1;

    // The scanner reads a copy that ends in two zero bytes; it counts its
    // buffer in int.
    size_t length = std::strlen(block);
    if (length > static_cast<size_t>(INT_MAX) - 2) {
        callgram_report("memory exhausted");
        return 2;
    }
    auto *buffer = static_cast<char *>(o2pMalloc(length + 2));
    CallgramParse parse;
    yyscan_t scanner = nullptr;
    if (buffer != nullptr) {
        std::memcpy(buffer, block, length);
        buffer[length] = '\0';
        buffer[length + 1] = '\0';
    }
    if (buffer == nullptr || !callgram_scanner_begin(&parse, buffer, length + 2, &scanner)) {
        o2pFree(buffer);
        callgram_report("memory exhausted");
        return 2;
    }

    int rc = callgram_parse(&parse, scanner);
    callgram_scanner_end(scanner);
    o2pFree(buffer);
    // A token that could not be copied ends the parse like a syntax error,
    // but it is not one.
    if (parse.outOfMemory) {
        callgram_report("memory exhausted");
        rc = 2;
    }
    if (rc != 0) {
        ReleaseOCICallableStmt(parse.result);
        return rc;
    }
    *node = parse.result;
    return 0;
}

// What the generated callable-block scanner and parser share with each other
// and with the driver in callgram_parse.cpp: the per-parse state, the text
// and node builders of the grammar actions, the keyword table and the
// debug-log hooks.
//
// The generated files include this header, so it stays clear of the OCI
// headers: the token names IDENT, PARAM and END must not meet macros from
// elsewhere.
#pragma once
#include <cstddef>

struct OCICallableStmt;

#ifndef YY_TYPEDEF_YY_SCANNER_T
#define YY_TYPEDEF_YY_SCANNER_T
typedef void *yyscan_t;
#endif

// One allocation of the scanner, linked into the parse that made it so that
// an abandoned scanner set-up can give back whatever it already had.
struct CallgramScanBlock {
    CallgramScanBlock *prev;
    CallgramScanBlock *next;
};

// Everything one parse needs besides the generated parser's own locals. It
// lives on the caller's stack, which is what lets parses run in parallel.
struct CallgramParse {
    OCICallableStmt *result = nullptr;  // set when the whole block is reduced
    bool outOfMemory = false;           // a token could not be copied
    CallgramScanBlock *scanBlocks = nullptr;
};

// Scanner life cycle (callgram_scan.l). `buffer` holds `size` bytes, the
// last two of them zero; it stays owned by the caller and must outlive the
// scanner. Returns false, with nothing left allocated, when memory runs out.
bool callgram_scanner_begin(CallgramParse *parse, char *buffer, size_t size, yyscan_t *scanner);
void callgram_scanner_end(yyscan_t scanner);

// The generated parser: 0 accepted, 1 syntax error, 2 out of memory.
int callgram_parse(CallgramParse *parse, yyscan_t scanner);

// Text builders of the grammar actions. make_str copies its argument;
// cat_str joins `count` strings with one space between each and frees them.
// Both give null when memory runs out (cat_str also when an argument is null,
// which is how a failed make_str is passed along) and never leak.
char *make_str(const char *text);
char *cat_str(int count, ...);

// Builds the parse result, taking ownership of the three strings
// (returnName is null for a procedure call). Null when memory runs out, with
// the strings released.
OCICallableStmt *make_callable(bool isFunction, char *returnName, char *name, char *params);
// Declared in callgram.h too; repeated here for the parser's destructor.
void ReleaseOCICallableStmt(OCICallableStmt *node);

struct ScanGramKeyword {
    const char *name;  // lower case
    int value;         // token code
};
// The keyword entry for `word` in any ASCII case, or null.
const ScanGramKeyword *ScanGramKeywordLookup(const char *word);

// Debug-log hooks: a syntax message of the parser, a character the scanner
// skipped.
void callgram_report(const char *message);
void callgram_report_stray(unsigned char c);

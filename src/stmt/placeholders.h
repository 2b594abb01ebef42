// Rewriting of OCI placeholders (:name, :1) into the server's numbered
// parameters ($1, $2, ...).
//
// Both rewriters make two passes over the text: the first counts the output
// length and the parameters, the second writes into a buffer of exactly that
// size. Quoted regions are copied untouched: string literals (with the
// backslash escapes of E'...' strings), quoted identifiers, dollar-quoted
// bodies, -- line comments and /* nested block comments */. A colon that
// follows another colon is part of a cast (x::int), never a placeholder.
#pragma once
#include <libpq-fe.h>

#include <cstddef>

#include "env/handles.h"

// More parameters than this in one text are refused rather than numbered;
// the caller reports the refusal as this error ("bind variable error").
constexpr ub4 kMaxPlaceholders = 9999;
constexpr sb4 kErrTooManyPlaceholders = 28553;

// Rewrites the placeholders of `stmt` (`length` bytes) that name a bind of
// `binds` (OCIBind*, creation order; names compared whole, ignoring ASCII
// case) into $k, k counting matches in text order; a placeholder without a
// bind stays as written. Hands out the NUL-terminated text in *pg_query, the
// count in *param_count and per parameter the bind's server type and
// direction (arrays null when there is none); the caller o2pFrees all three
// and list_frees the returned list, which names the matched bind of each
// parameter (a bind used k times is listed k times).
// More than kMaxPlaceholders matches: nothing is handed out, *pg_query is
// null and the result is the empty list. Running out of memory throws
// std::bad_alloc after releasing what was made.
List *ReplacePlaceholders(List *binds, const char *stmt, size_t length, char **pg_query, ub4 *param_count,
                          Oid **paramTypes, ub4 **paramDirs);

// The describe rewriter: every placeholder, bound or not, becomes $k and its
// name (without the colon) is appended to `names` as a new string. A colon
// before or after another colon or before '=' (casts, assignments) is text,
// and so is a colon that no name follows. Returns `names` with the new
// entries; *count is the number of parameters. More than kMaxPlaceholders:
// *pg_query is null, *count 0 and `names` is returned unchanged. Running out
// of memory throws std::bad_alloc with `names` unchanged.
List *ReplacePlaceholdersEx(List *names, const char *sql, char **pg_query, ub4 *count);

// The counting passes on their own: the exact length (without the
// terminator) the rewriters produce for the text, and the parameter count.
// Used to check the writers against the counters.
size_t ReplacePlaceholdersLength(List *binds, const char *stmt, size_t length, ub4 *param_count);
size_t ReplacePlaceholdersExLength(const char *sql, ub4 *count);

// Index just past the quoted region or comment that starts at sql[i], or i
// when none starts there. An unterminated region runs to the end.
size_t SkipQuotedRegion(const char *sql, size_t length, size_t i);

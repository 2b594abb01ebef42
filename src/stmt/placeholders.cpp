// The two placeholder rewriters and the lexical scanning they share.
//
// A rewriter is one scan run twice: once counting, once writing. Keeping a
// single scan for both passes is what guarantees the written text has the
// counted length; the writer still checks it and refuses a mismatch rather
// than run past its buffer.
#include "stmt/placeholders.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>

#include "env/memory.h"
#include "stmt/stmt_handles.h"
#include "types/convert.h"

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsNameChar(unsigned char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_'; }

// Characters the server accepts inside an identifier; bytes above 0x7f
// belong to multibyte letters.
bool IsIdentChar(unsigned char c) { return IsNameChar(c) || c == '$' || c >= 0x80; }
bool IsIdentStart(unsigned char c) { return IsAsciiLetter(c) || c == '_' || c >= 0x80; }

// End of a quoted run whose body starts at `j`; a doubled quote stays
// inside, and so does a backslash-escaped character in an E'' string.
size_t EndOfQuoted(const char *s, size_t n, size_t j, char quote, bool backslashEscapes) {
    while (j < n) {
        if (backslashEscapes && s[j] == '\\') {
            j += 2;
            continue;
        }
        if (s[j] == quote) {
            if (j + 1 < n && s[j + 1] == quote) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return n;
}

// An E'...' literal: the quote follows an E that does not end a longer word.
bool OpensEscapeString(const char *s, size_t i) {
    if (i == 0 || (s[i - 1] != 'E' && s[i - 1] != 'e')) return false;
    return i == 1 || !IsIdentChar(static_cast<unsigned char>(s[i - 2]));
}

// Length of the $tag$ opening a dollar quote at s[i], or 0 when none does:
// the $ must not continue an identifier and the tag is empty or a word.
size_t DollarTagLength(const char *s, size_t n, size_t i) {
    if (i > 0 && IsIdentChar(static_cast<unsigned char>(s[i - 1]))) return 0;
    size_t j = i + 1;
    if (j < n && IsIdentStart(static_cast<unsigned char>(s[j]))) {
        while (j < n && IsIdentChar(static_cast<unsigned char>(s[j])) && s[j] != '$') ++j;
    }
    if (j >= n || s[j] != '$') return 0;
    return j - i + 1;
}

size_t EndOfDollarQuote(const char *s, size_t n, size_t i, size_t tagLength) {
    for (size_t j = i + tagLength; j + tagLength <= n; ++j) {
        if (s[j] == '$' && std::memcmp(s + j, s + i, tagLength) == 0) return j + tagLength;
    }
    return n;
}

size_t EndOfBlockComment(const char *s, size_t n, size_t j) {
    int depth = 1;
    while (j < n) {
        if (s[j] == '/' && j + 1 < n && s[j + 1] == '*') {
            ++depth;
            j += 2;
        } else if (s[j] == '*' && j + 1 < n && s[j + 1] == '/') {
            j += 2;
            if (--depth == 0) return j;
        } else {
            ++j;
        }
    }
    return n;
}

// The text being produced: counted only while `buf` is null, written
// otherwise, never beyond `capacity`.
struct Output {
    char *buf = nullptr;
    size_t capacity = 0;
    size_t len = 0;
    bool overflow = false;

    void Copy(const char *p, size_t n) {
        if (buf != nullptr) {
            if (n > capacity - len) {
                overflow = true;
                return;
            }
            std::memcpy(buf + len, p, n);
        }
        len += n;
    }
    void Param(ub4 k) {
        char digits[16];
        const int n = std::snprintf(digits, sizeof digits, "$%u", k);
        Copy(digits, static_cast<size_t>(n));
    }
};

// Length of the placeholder of the execution rewriter at s[i] (a colon):
// the colon and a digit run, or the colon, a letter and a run of letters,
// digits and underscores; 0 when neither follows.
size_t PlaceholderLength(const char *s, size_t n, size_t i) {
    size_t j = i + 1;
    if (j >= n) return 0;
    const auto first = static_cast<unsigned char>(s[j]);
    if (IsAsciiDigit(first)) {
        while (j < n && IsAsciiDigit(static_cast<unsigned char>(s[j]))) ++j;
    } else if (IsAsciiLetter(first)) {
        while (j < n && IsNameChar(static_cast<unsigned char>(s[j]))) ++j;
    } else {
        return 0;
    }
    return j - i;
}

bool SameNameIgnoringCase(const char *a, const char *b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb) return false;
    }
    return true;
}

// The first bind named exactly like the placeholder; OCI placeholder names
// ignore case. A bind named :abc does not answer :ab.
OCIBind *FindBind(List *binds, const char *placeholder, size_t length) {
    foreach_cell(cell, binds) {
        auto *bind = HandleAs<OCIBind>(cell->ptr, HANDLE_OCIBind);
        if (bind == nullptr || bind->name == nullptr) continue;
        if (std::strlen(bind->name) == length && SameNameIgnoringCase(bind->name, placeholder, length)) return bind;
    }
    return nullptr;
}

// One scan of the execution rewriter. `matched`, when given, receives the
// bind of each parameter. Returns false beyond kMaxPlaceholders.
bool ScanForBinds(List *binds, const char *s, size_t n, Output &out, ub4 *count, OCIBind **matched) {
    ub4 k = 0;
    size_t i = 0;
    while (i < n) {
        const size_t end = SkipQuotedRegion(s, n, i);
        if (end != i) {
            out.Copy(s + i, end - i);
            i = end;
            continue;
        }
        if (s[i] == ':' && (i == 0 || s[i - 1] != ':')) {
            const size_t length = PlaceholderLength(s, n, i);
            if (length > 0) {
                OCIBind *bind = FindBind(binds, s + i, length);
                if (bind != nullptr) {
                    if (k == kMaxPlaceholders) return false;
                    ++k;
                    out.Param(k);
                    if (matched != nullptr) matched[k - 1] = bind;
                } else {
                    out.Copy(s + i, length);
                }
                i += length;
                continue;
            }
        }
        out.Copy(s + i, 1);
        ++i;
    }
    *count = k;
    return true;
}

// Length of the describe rewriter's name after the colon at s[i], or -1
// when the colon is text: a cast or assignment, or no name follows.
long DescribeNameLength(const char *s, size_t n, size_t i) {
    if (i > 0 && s[i - 1] == ':') return -1;
    if (i + 1 >= n || s[i + 1] == ':' || s[i + 1] == '=') return -1;
    size_t j = i + 1;
    while (j < n && IsNameChar(static_cast<unsigned char>(s[j]))) ++j;
    return j == i + 1 ? -1 : static_cast<long>(j - i - 1);
}

// One scan of the describe rewriter; `names`, when given, receives the
// name of each parameter (pointers into `s`, with their lengths).
bool ScanForNames(const char *s, size_t n, Output &out, ub4 *count, const char **names, size_t *nameLengths) {
    ub4 k = 0;
    size_t i = 0;
    while (i < n) {
        const size_t end = SkipQuotedRegion(s, n, i);
        if (end != i) {
            out.Copy(s + i, end - i);
            i = end;
            continue;
        }
        if (s[i] == ':') {
            const long nameLength = DescribeNameLength(s, n, i);
            if (nameLength > 0) {
                if (k == kMaxPlaceholders) return false;
                ++k;
                out.Param(k);
                if (names != nullptr) {
                    names[k - 1] = s + i + 1;
                    nameLengths[k - 1] = static_cast<size_t>(nameLength);
                }
                i += 1 + static_cast<size_t>(nameLength);
                continue;
            }
        }
        out.Copy(s + i, 1);
        ++i;
    }
    *count = k;
    return true;
}

// Frees on scope exit whatever has not been handed out.
template <class T> struct Owned {
    T *p = nullptr;
    Owned() = default;
    Owned(const Owned &) = delete;
    Owned &operator=(const Owned &) = delete;
    ~Owned() { o2pFree(p); }
    T *release() {
        T *q = p;
        p = nullptr;
        return q;
    }
};

template <class T> T *AllocArray(size_t count) {
    auto *p = static_cast<T *>(o2pCalloc(count, sizeof(T)));
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

char *AllocText(size_t length) {
    if (length == SIZE_MAX) throw std::bad_alloc();
    return AllocArray<char>(length + 1);
}

// The writing pass produced something else than the counting pass: a fault
// of this file, reported instead of trusted.
[[noreturn]] void LengthMismatch() { throw std::logic_error("placeholder rewriting length mismatch"); }

}  // namespace

size_t SkipQuotedRegion(const char *s, size_t n, size_t i) {
    if (i >= n) return i;
    switch (s[i]) {
    case '\'':
        return EndOfQuoted(s, n, i + 1, '\'', OpensEscapeString(s, i));
    case '"':
        return EndOfQuoted(s, n, i + 1, '"', false);
    case '-':
        if (i + 1 < n && s[i + 1] == '-') {
            const void *newline = std::memchr(s + i, '\n', n - i);
            return newline == nullptr ? n : static_cast<size_t>(static_cast<const char *>(newline) - s) + 1;
        }
        return i;
    case '/':
        return i + 1 < n && s[i + 1] == '*' ? EndOfBlockComment(s, n, i + 2) : i;
    case '$': {
        const size_t tag = DollarTagLength(s, n, i);
        return tag == 0 ? i : EndOfDollarQuote(s, n, i, tag);
    }
    default:
        return i;
    }
}

size_t ReplacePlaceholdersLength(List *binds, const char *stmt, size_t length, ub4 *param_count) {
    Output counter;
    ub4 k = 0;
    if (!ScanForBinds(binds, stmt, length, counter, &k, nullptr)) k = kMaxPlaceholders + 1;
    if (param_count != nullptr) *param_count = k;
    return counter.len;
}

List *ReplacePlaceholders(List *binds, const char *stmt, size_t length, char **pg_query, ub4 *param_count,
                          Oid **paramTypes, ub4 **paramDirs) {
    *pg_query = nullptr;
    *param_count = 0;
    *paramTypes = nullptr;
    *paramDirs = nullptr;
    Output counter;
    ub4 k = 0;
    if (!ScanForBinds(binds, stmt, length, counter, &k, nullptr)) return nullptr;

    Owned<char> rewritten;
    rewritten.p = AllocText(counter.len);
    Owned<OCIBind *> matched;
    Owned<Oid> types;
    Owned<ub4> dirs;
    if (k > 0) {
        matched.p = AllocArray<OCIBind *>(k);
        types.p = AllocArray<Oid>(k);
        dirs.p = AllocArray<ub4>(k);
    }
    Output writer;
    writer.buf = rewritten.p;
    writer.capacity = counter.len;
    ub4 written = 0;
    if (!ScanForBinds(binds, stmt, length, writer, &written, matched.p) || writer.overflow ||
        writer.len != counter.len || written != k)
        LengthMismatch();
    rewritten.p[writer.len] = '\0';

    List *paramBinds = nullptr;
    try {
        for (ub4 i = 0; i < k; ++i) {
            // A number sent as text is declared as text: undeclared where
            // its place gives it a type.
            types.p[i] = matched.p[i]->numberAsText ? TEXTOID : matched.p[i]->paramType;
            dirs.p[i] = matched.p[i]->direction;
            paramBinds = lappend(paramBinds, matched.p[i]);
        }
    } catch (const std::bad_alloc &) {
        list_free(paramBinds);
        throw;
    }
    *pg_query = rewritten.release();
    *param_count = k;
    *paramTypes = types.release();
    *paramDirs = dirs.release();
    return paramBinds;
}

size_t ReplacePlaceholdersExLength(const char *sql, ub4 *count) {
    Output counter;
    ub4 k = 0;
    if (!ScanForNames(sql, std::strlen(sql), counter, &k, nullptr, nullptr)) k = kMaxPlaceholders + 1;
    if (count != nullptr) *count = k;
    return counter.len;
}

List *ReplacePlaceholdersEx(List *names, const char *sql, char **pg_query, ub4 *count) {
    *pg_query = nullptr;
    *count = 0;
    const size_t n = std::strlen(sql);
    Output counter;
    ub4 k = 0;
    if (!ScanForNames(sql, n, counter, &k, nullptr, nullptr)) return names;

    Owned<char> out;
    out.p = AllocText(counter.len);
    Owned<const char *> starts;
    Owned<size_t> lengths;
    if (k > 0) {
        starts.p = AllocArray<const char *>(k);
        lengths.p = AllocArray<size_t>(k);
    }
    Output writer;
    writer.buf = out.p;
    writer.capacity = counter.len;
    ub4 written = 0;
    if (!ScanForNames(sql, n, writer, &written, starts.p, lengths.p) || writer.overflow ||
        writer.len != counter.len || written != k)
        LengthMismatch();
    out.p[writer.len] = '\0';

    // The new names go on a list of their own first, so that running out of
    // memory half-way leaves the caller's list as it was.
    List *added = nullptr;
    try {
        for (ub4 i = 0; i < k; ++i) {
            char *name = o2pStrndup(starts.p[i], lengths.p[i]);
            if (name == nullptr) throw std::bad_alloc();
            try {
                added = lappend(added, name);
            } catch (const std::bad_alloc &) {
                o2pFree(name);
                throw;
            }
        }
        foreach_cell(cell, added) names = lappend(names, cell->ptr);
    } catch (const std::bad_alloc &) {
        // Cells already moved to `names` are taken off again.
        foreach_cell(cell, added) {
            names = list_delete(names, cell->ptr);
            o2pFree(cell->ptr);
        }
        list_free(added);
        throw;
    }
    list_free(added);
    *pg_query = out.release();
    *count = k;
    return names;
}

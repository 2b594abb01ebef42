// Client character sets: the encoding catalogue (numbers 0-40 and their
// names), the name lookups, locale parsing, and the Oracle character-set
// name table.
//
// Everything here lives in namespace nls: libpq declares (libpq-fe.h) and
// exports C functions of the same names, pg_char_to_encoding and
// pg_encoding_to_char, that number the encodings differently. Ours have C++
// linkage inside the namespace, so the two never meet at link time and
// libpq's internal calls keep reaching libpq's versions. Always call ours
// qualified (nls::pg_char_to_encoding); the unqualified name is libpq's, and
// its numbers are only good for libpq's own functions such as PQmblen.
#pragma once
#include <oci.h>

#include <cstddef>
#include <string>

namespace nls {

// Encoding numbers that the library refers to by name.
enum EncodingId : int {
    ENC_SQL_ASCII = 0,
    ENC_UTF8 = 6,
    ENC_UTF16LE = 39,
    ENC_UTF16BE = 40,
};
constexpr int kMaxEncodingId = 40;

// Longest encoding name pg_char_to_encoding accepts (bytes).
constexpr size_t kMaxEncodingNameLength = 63;

// Encoding number of a name: letters and digits only, case-insensitive.
// Null gives -1; an empty, overlong or unknown name gives ENC_UTF8.
int pg_char_to_encoding(const char *name);

// Canonical name of an encoding number; "" when out of range.
const char *pg_encoding_to_char(int encoding);

// The spelling iconv understands for an encoding number (the canonical names
// are the server's spellings, several of which iconv does not know); "" when
// out of range.
const char *EncodingIconvName(int encoding);

// The name to give the server (and libpq) as the client encoding of an
// encoding number: the canonical name except where the server spells it
// differently or cannot speak it (UTF-16 clients talk UTF8 on the wire); ""
// when out of range.
const char *EncodingServerName(int encoding);

// Most bytes one character of the encoding takes; 0 when out of range.
int EncodingMaxLength(int encoding);

// Splits "language_territory.codeset" the way strtok would. True only when
// all three parts are non-empty; the requested parts are stored then.
bool ParseLocale(const char *locale, std::string *language, std::string *territory,
                 std::string *codeset);

// Looks a system code-set name up in the locale match list (ignoring case):
// the spelling of the list, or the server encoding name paired with it. Both
// point into static data; null when the name is not listed.
const char *findMatchingSysEncoding(const char *sysname);
const char *findMatchingPgEncoding(const char *sysname);

// Encoding number of a code set named in a locale or NLS_LANG: the server
// encoding the match list pairs it with, else the name read as an encoding.
int EncodingOfCodeSet(const char *codeset);

// The alias table: normalised names (lower-case letters and digits), sorted.
struct EncodingAlias {
    const char *name;
    int encoding;
};
extern const EncodingAlias tav_encname_tbl[];
extern const size_t tav_encname_tbl_size;

// Oracle character-set names with their Oracle NLS ids, sorted by name, and
// the index of the first entry per initial letter A-Z (-1: none) followed by
// the number of entries.
struct OracleCharset {
    const char *name;
    ub2 id;
};
extern const OracleCharset kOracleCharsets[];
extern const size_t kOracleCharsetCount;
extern const int kOracleCharsetIndex[27];

// Oracle character-set ids (the Oracle-compatible mode's numbering) and the
// encodings: -1 for an Oracle id or name with no encoding here, 0 for an
// encoding Oracle has no id for.
int EncodingOfOracleId(ub2 id);
ub2 OracleIdOfEncoding(int encoding);
int EncodingOfOracleName(const char *name);
// The Oracle name of an Oracle id; "" when unknown.
const char *OracleNameOfId(ub2 id);

}  // namespace nls

// ASCII case-insensitive comparison (as strcmp, after folding A-Z).
int oci_strcasecmp(const char *a, const char *b);
inline int oci_stricmp(const char *a, const char *b) { return oci_strcasecmp(a, b); }

// Oracle NLS id of an Oracle character-set name (ASCII case ignored), 0 when
// unknown. Exported from the shared library.
extern "C" ub2 search_charsetID(const char *name);

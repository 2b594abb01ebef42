// The implemented character-set calls: names and ids, NLS_LANG and
// NLS_NCHAR, conversions, and the multibyte and wide-character members.
//
// Character boundaries and display widths follow the server family's client
// encoding rules, taken from libpq (PQmblen, PQdsplen). Wide characters are:
//   UTF8                 the Unicode code point
//   other multibyte      the bytes of the character packed into one number,
//                        first byte highest (the server's rule for the EUC
//                        family, applied alike to SJIS, BIG5, GBK, UHC,
//                        GB18030, JOHAB and MULE_INTERNAL)
//   single-byte          the byte
//   UTF-16LE, UTF-16BE   the code point: text is read in 16-bit units of the
//                        given byte order, a high surrogate followed by a low
//                        one forms one character, a surrogate without its
//                        partner stands for itself (its unit value), and the
//                        string ends at a zero unit. Widths are those of the
//                        code point under the UTF8 rules.
// A character cut short by the end of the input is counted by the length
// functions but neither converted nor measured for width.
#include <libpq-fe.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "conn/nls.h"
#include "env/compat.h"
#include "conn/transcode.h"
#include "diag/entry.h"
#include "env/env.h"
#include "env/memory.h"

namespace {

using nls::ENC_SQL_ASCII;
using nls::ENC_UTF16BE;
using nls::ENC_UTF16LE;
using nls::ENC_UTF8;
using nls::EncodingIconvName;
using nls::kMaxEncodingId;

OCIEnv *AsEnv(const void *p) { return HandleAs<OCIEnv>(p, HANDLE_OCIEnv); }

// Error 21560, "null, invalid, or out of range argument", naming a position.
void BadArgument(OCIError *errhp, const char *position) {
    AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, position);
}

struct IconvHandle {
    iconv_t cd;
    explicit IconvHandle(iconv_t c) : cd(c) {}
    IconvHandle(const IconvHandle &) = delete;
    IconvHandle &operator=(const IconvHandle &) = delete;
    ~IconvHandle() {
        if (ok()) iconv_close(cd);
    }
    bool ok() const { return cd != reinterpret_cast<iconv_t>(-1); }
};

struct OwnedText {
    char *text = nullptr;
    OwnedText() = default;
    OwnedText(const OwnedText &) = delete;
    OwnedText &operator=(const OwnedText &) = delete;
    ~OwnedText() { o2pFree(text); }
};

// Converts between two iconv encodings; the destination receives at most
// `dstlen` bytes, unterminated, and `rsize` the full converted length.
sword ConvertBytes(OCIError *report, const char *to, const char *from, const void *src,
                   size_t srclen, void *dst, size_t dstlen, size_t *rsize) {
    IconvHandle cd(iconv_open(to, from));
    if (!cd.ok()) return OCI_ERROR;
    int error = 0;
    OwnedText converted;
    size_t length = 0;
    if (transcode(cd.cd, &error, static_cast<const char *>(src), srclen, &converted.text, &length) < 0) {
        AddTranscodeErrorRecord(report, error);
        return OCI_ERROR;
    }
    if (dst != nullptr && length > 0) std::memcpy(dst, converted.text, std::min(length, dstlen));
    if (rsize != nullptr) *rsize = length;
    return OCI_SUCCESS;
}

// ---- characters of the client encoding ----

enum class Scheme { SingleByte, Utf8, Packed, Utf16LE, Utf16BE };

struct ClientEncoding {
    Scheme scheme;
    int pqEncoding;  // libpq's number, -1 when libpq does not know the name
};

// libpq numbers the encodings its own way; the name is what both share.
int LibpqEncoding(int encoding) { return ::pg_char_to_encoding(nls::EncodingServerName(encoding)); }

ClientEncoding EncodingOf(const OCIEnv *env) {
    const int id = env->charsetId;
    if (id == ENC_UTF16LE) return {Scheme::Utf16LE, -1};
    if (id == ENC_UTF16BE) return {Scheme::Utf16BE, -1};
    const int pq = LibpqEncoding(id);
    if (id == ENC_UTF8 && pq >= 0) return {Scheme::Utf8, pq};
    if (nls::EncodingMaxLength(id) > 1 && pq >= 0) return {Scheme::Packed, pq};
    return {Scheme::SingleByte, pq};
}

bool IsUtf16(const ClientEncoding &enc) {
    return enc.scheme == Scheme::Utf16LE || enc.scheme == Scheme::Utf16BE;
}

constexpr size_t kMaxCharBytes = 4;

struct CharRead {
    size_t bytes;    // bytes the character occupies (of a fragment: what is there)
    ub4 code;        // wide character
    bool complete;   // false: the input ended inside the character
    unsigned char utf8[kMaxCharBytes + 2];  // the character as libpq reads it
};

ub4 Unit16(const ClientEncoding &enc, const unsigned char *p) {
    return enc.scheme == Scheme::Utf16LE ? static_cast<ub4>(p[0] | (p[1] << 8))
                                         : static_cast<ub4>((p[0] << 8) | p[1]);
}

// True when no further character starts at `p` (`avail` bytes readable).
bool AtEnd(const ClientEncoding &enc, const unsigned char *p, size_t avail) {
    if (IsUtf16(enc)) return avail < 2 || Unit16(enc, p) == 0;
    return avail == 0 || p[0] == 0;
}

// UTF-8 bytes of a code point, so that UTF-16 text can be measured by the
// UTF8 width rule.
void EncodeUtf8(ub4 cp, unsigned char *out) {
    std::memset(out, 0, kMaxCharBytes + 2);
    if (cp < 0x80) {
        out[0] = static_cast<unsigned char>(cp);
    } else if (cp < 0x800) {
        out[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
        out[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    } else {
        out[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
        out[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
        out[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
        out[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
    }
}

CharRead ReadUtf16(const ClientEncoding &enc, const unsigned char *p, size_t avail) {
    CharRead c{};
    const ub4 first = Unit16(enc, p);
    c.bytes = 2;
    c.code = first;
    c.complete = true;
    if (first >= 0xD800 && first <= 0xDBFF) {
        if (avail < 4) {
            c.bytes = avail;
            c.complete = false;
        } else {
            const ub4 second = Unit16(enc, p + 2);
            if (second >= 0xDC00 && second <= 0xDFFF) {
                c.bytes = 4;
                c.code = 0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00);
            }
        }
    }
    EncodeUtf8(c.code, c.utf8);
    return c;
}

// Reads the character at `p`; AtEnd must be false. libpq looks at the bytes
// through a zero-padded copy, so that a length rule peeking at a second byte
// never reads past the caller's input.
CharRead ReadChar(const ClientEncoding &enc, const unsigned char *p, size_t avail) {
    if (IsUtf16(enc)) return ReadUtf16(enc, p, avail);
    CharRead c{};
    size_t have = 0;
    while (have < kMaxCharBytes && have < avail && p[have] != 0) {
        c.utf8[have] = p[have];
        ++have;
    }
    if (enc.scheme == Scheme::SingleByte) {
        c.bytes = 1;
        c.code = p[0];
        c.complete = true;
        return c;
    }
    const auto length = static_cast<size_t>(
        std::max(1, PQmblen(reinterpret_cast<const char *>(c.utf8), enc.pqEncoding)));
    c.complete = length <= have;
    c.bytes = c.complete ? length : have;
    const unsigned char *b = c.utf8;
    if (enc.scheme == Scheme::Utf8) {
        switch (c.bytes) {
        case 2: c.code = ((b[0] & 0x1Fu) << 6) | (b[1] & 0x3Fu); break;
        case 3: c.code = ((b[0] & 0x0Fu) << 12) | ((b[1] & 0x3Fu) << 6) | (b[2] & 0x3Fu); break;
        case 4:
            c.code = ((b[0] & 0x07u) << 18) | ((b[1] & 0x3Fu) << 12) | ((b[2] & 0x3Fu) << 6) |
                     (b[3] & 0x3Fu);
            break;
        default: c.code = b[0]; break;
        }
    } else {
        for (size_t i = 0; i < c.bytes; ++i) c.code = (c.code << 8) | b[i];
    }
    return c;
}

int DisplayWidth(const ClientEncoding &enc, const CharRead &c) {
    static const int pqUtf8 = LibpqEncoding(ENC_UTF8);
    const int pq = IsUtf16(enc) ? pqUtf8 : enc.pqEncoding;
    // Control characters have no width of their own (libpq says -1).
    return std::max(0, PQdsplen(reinterpret_cast<const char *>(c.utf8), pq));
}

// Byte length of a UTF-16 text up to its zero unit.
size_t Utf16ByteLength(const unsigned char *p) {
    size_t n = 0;
    while (p[n] != 0 || p[n + 1] != 0) n += 2;
    return n;
}

}  // namespace

OCI_EXPORT sword OCINlsCharSetIdToName(void *envhp, oratext *buf, size_t buflen, ub2 id) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"Getting Character Set Name from ID", 0}, env, env->errhp, [&]() -> sword {
        if (buflen == 0) return OCI_SUCCESS;
        if (buf == nullptr) {
            BadArgument(env->errhp, "2");
            return OCI_ERROR;
        }
        // The Oracle-compatible mode numbers character sets as Oracle does.
        const char *name = OracleCompat(env) ? nls::OracleNameOfId(id) : nls::pg_encoding_to_char(id);
        size_t length = std::strlen(name);
        OwnedText converted;
        if (env->utf16 && length > 0) {
            int error = 0;
            if (transcode(env->fromUtf8, &error, name, length, &converted.text, &length) < 0) {
                AddTranscodeErrorRecord(env->errhp, error);
                return OCI_ERROR;
            }
            name = converted.text;
        }
        // strncpy semantics: padded with zero bytes, unterminated when full.
        const size_t n = std::min(length, buflen);
        std::memcpy(buf, name, n);
        std::memset(buf + n, 0, buflen - n);
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, buf, buflen, id));
}

OCI_EXPORT ub2 OCINlsCharSetNameToId(void *envhp, const oratext *name) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return static_cast<ub2>(OCI_INVALID_HANDLE);
    ub2 result = 0;
    RunEntry({"OCINlsCharSetNameToId", 0}, env, env->errhp, [&]() -> sword {
        if (name == nullptr) return OCI_SUCCESS;
        const char *given = reinterpret_cast<const char *>(name);
        OwnedText converted;
        if (env->utf16) {
            int error = 0;
            size_t length = 0;
            if (transcode(env->toUtf8, &error, given, Utf16ByteLength(name), &converted.text, &length) < 0) {
                AddTranscodeErrorRecord(env->errhp, error);
                return OCI_ERROR;
            }
            given = converted.text != nullptr ? converted.text : "";
        }
        result = OracleCompat(env) ? search_charsetID(given)
                                   : static_cast<ub2>(std::max(0, nls::pg_char_to_encoding(given)));
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, name));
    return result;
}

OCI_EXPORT sword OCINlsEnvironmentVariableGet(void *valp, size_t size, ub2 item, ub2 charset,
                                              size_t *rsize) {
    return RunEntry({"OCINlsEnvironmentVariableGet", 0}, nullptr, nullptr, [&]() -> sword {
        if (valp == nullptr) return OCI_ERROR;
        int value = ENC_SQL_ASCII;
        if (item == OCI_NLS_CHARSET_ID) {
            std::string codeset;
            const char *nlsLang = std::getenv("NLS_LANG");
            if (nlsLang != nullptr && nls::ParseLocale(nlsLang, nullptr, nullptr, &codeset))
                value = nls::EncodingOfCodeSet(codeset.c_str());
        } else if (item == OCI_NLS_NCHARSET_ID) {
            if (const char *nchar = std::getenv("NLS_NCHAR")) value = nls::pg_char_to_encoding(nchar);
        } else {
            return OCI_ERROR;
        }
        *static_cast<ub2 *>(valp) = static_cast<ub2>(value);
        if (rsize != nullptr) *rsize = sizeof(ub2);
        return OCI_SUCCESS;
    }, OCI_ARGS(valp, size, item, charset, rsize));
}

// "Unicode" is UTF-8 here and every length counts bytes.
OCI_EXPORT sword OCICharSetToUnicode(void *envhp, ub2 *dst, size_t dstlen, const OraText *src,
                                     size_t srclen, size_t *rsize) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCICharSetToUnicode", 0}, env, env->errhp, [&]() -> sword {
        if (src == nullptr) {
            BadArgument(env->errhp, "4");
            return OCI_ERROR;
        }
        return ConvertBytes(env->errhp, EncodingIconvName(ENC_UTF8), EncodingIconvName(env->charsetId),
                            src, srclen, dst, dstlen, rsize);
    }, OCI_ARGS(envhp, dst, dstlen, src, srclen, rsize));
}

OCI_EXPORT sword OCIUnicodeToCharSet(void *envhp, OraText *dst, size_t dstlen, const ub2 *src,
                                     size_t srclen, size_t *rsize) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIUnicodeToCharSet", 0}, env, env->errhp, [&]() -> sword {
        if (src == nullptr) {
            BadArgument(env->errhp, "4");
            return OCI_ERROR;
        }
        return ConvertBytes(env->errhp, EncodingIconvName(env->charsetId), EncodingIconvName(ENC_UTF8),
                            src, srclen, dst, dstlen, rsize);
    }, OCI_ARGS(envhp, dst, dstlen, src, srclen, rsize));
}

OCI_EXPORT sword OCINlsCharSetConvert(void *envhp, OCIError *errhp, ub2 dstid, void *dstp,
                                      size_t dstlen, ub2 srcid, const void *srcp, size_t srclen,
                                      size_t *rsize) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCINlsCharSetConvert", 0}, env, errhp, [&]() -> sword {
        if (srcp == nullptr) {
            BadArgument(errhp, "7");
            return OCI_ERROR;
        }
        // An id outside the catalogue has no name; an empty name would make
        // iconv silently use the locale's character set instead.
        if (dstid > kMaxEncodingId || srcid > kMaxEncodingId) {
            BadArgument(errhp, dstid > kMaxEncodingId ? "3" : "6");
            return OCI_ERROR;
        }
        return ConvertBytes(errhp, EncodingIconvName(dstid), EncodingIconvName(srcid), srcp, srclen,
                            dstp, dstlen, rsize);
    }, OCI_ARGS(envhp, errhp, dstid, dstp, dstlen, srcid, srcp, srclen, rsize));
}

OCI_EXPORT sword OCIMultiByteInSizeToWideChar(void *envhp, OCIWchar *dst, size_t dstsz,
                                              const OraText *src, size_t srcsz, size_t *rsize) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIMultiByteInSizeToWideChar", 0}, env, env->errhp, [&]() -> sword {
        if (src == nullptr) {
            BadArgument(env->errhp, "4");
            return OCI_ERROR;
        }
        const ClientEncoding enc = EncodingOf(env);
        const bool store = dst != nullptr && dstsz > 0;
        size_t count = 0, offset = 0;
        while (!AtEnd(enc, src + offset, srcsz - offset)) {
            if (store && count == dstsz - 1) break;
            const CharRead c = ReadChar(enc, src + offset, srcsz - offset);
            if (!c.complete) break;
            if (store) dst[count] = c.code;
            ++count;
            offset += c.bytes;
        }
        if (store) dst[count] = 0;
        if (rsize != nullptr) *rsize = count;
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, dst, dstsz, src, srcsz, rsize));
}

OCI_EXPORT size_t OCIMultiByteStrlen(void *envhp, const OraText *str) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return static_cast<size_t>(OCI_INVALID_HANDLE);
    size_t result = 0;
    RunEntry({"OCIMultiByteStrlen", 0}, env, env->errhp, [&]() -> sword {
        if (str == nullptr) {
            BadArgument(env->errhp, "2");
            result = static_cast<size_t>(-1);
            return OCI_ERROR;
        }
        const ClientEncoding enc = EncodingOf(env);
        size_t offset = 0;
        while (!AtEnd(enc, str + offset, SIZE_MAX)) {
            offset += ReadChar(enc, str + offset, SIZE_MAX).bytes;
            ++result;
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, str));
    return result;
}

OCI_EXPORT size_t OCIMultiByteStrnDisplayLength(void *envhp, const OraText *str1, size_t n) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return static_cast<size_t>(OCI_INVALID_HANDLE);
    size_t result = 0;
    RunEntry({"OCIMultiByteStrnDisplayLength", 0}, env, env->errhp, [&]() -> sword {
        if (str1 == nullptr) {
            BadArgument(env->errhp, "2");
            result = static_cast<size_t>(-1);
            return OCI_ERROR;
        }
        const ClientEncoding enc = EncodingOf(env);
        size_t offset = 0;
        while (!AtEnd(enc, str1 + offset, n - offset)) {
            const CharRead c = ReadChar(enc, str1 + offset, n - offset);
            if (!c.complete) break;
            result += static_cast<size_t>(DisplayWidth(enc, c));
            offset += c.bytes;
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, str1, n));
    return result;
}

OCI_EXPORT size_t OCIWideCharStrlen(void *envhp, const OCIWchar *wstr) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return 0;
    size_t result = 0;
    RunEntry({"OCIWideCharStrlen", 0}, env, env->errhp, [&]() -> sword {
        if (wstr != nullptr)
            while (wstr[result] != 0) ++result;
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, wstr));
    return result;
}

namespace {
// Difference of two wide characters as an int of the same sign.
int CodeDifference(OCIWchar a, OCIWchar b) {
    const long long d = static_cast<long long>(a) - static_cast<long long>(b);
    return static_cast<int>(std::clamp<long long>(d, INT_MIN, INT_MAX));
}

int CompareWide(const OCIWchar *a, const OCIWchar *b, size_t limit) {
    for (size_t i = 0; i < limit; ++i) {
        if (a[i] != b[i]) return CodeDifference(a[i], b[i]);
        if (a[i] == 0) break;
    }
    return 0;
}
}  // namespace

OCI_EXPORT int OCIWideCharStrcmp(void *envhp, const OCIWchar *wstr1, const OCIWchar *wstr2,
                                 int flag) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    int result = 0;
    const sword rc = RunEntry({"OCIWideCharStrcmp", 0}, env, env->errhp, [&]() -> sword {
        if (wstr1 == nullptr || wstr2 == nullptr) {
            BadArgument(env->errhp, wstr1 == nullptr ? "2" : "3");
            return OCI_ERROR;
        }
        result = CompareWide(wstr1, wstr2, SIZE_MAX);
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, wstr1, wstr2, flag));
    return rc == OCI_ERROR ? OCI_ERROR : result;
}

OCI_EXPORT int OCIWideCharStrncmp(void *envhp, const OCIWchar *wstr1, size_t len1,
                                  const OCIWchar *wstr2, size_t len2, int flag) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    int result = 0;
    const sword rc = RunEntry({"OCIWideCharStrncmp", 0}, env, env->errhp, [&]() -> sword {
        if (wstr1 == nullptr || wstr2 == nullptr) {
            BadArgument(env->errhp, wstr1 == nullptr ? "2" : "4");
            return OCI_ERROR;
        }
        result = CompareWide(wstr1, wstr2, std::min(len1, len2));
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, wstr1, len1, wstr2, len2, flag));
    return rc == OCI_ERROR ? OCI_ERROR : result;
}

// Finds the first `wc` in the string, the terminator included when `wc` is
// 0 (as strchr does); null when it does not occur.
OCI_EXPORT OCIWchar *OCIWideCharStrchr(void *envhp, const OCIWchar *wstr, OCIWchar wc) {
    OCIEnv *env = AsEnv(envhp);
    if (env == nullptr) return nullptr;
    OCIWchar *found = nullptr;
    RunEntry({"OCIWideCharStrchr", 0}, env, env->errhp, [&]() -> sword {
        if (wstr == nullptr) return OCI_SUCCESS;
        for (const OCIWchar *p = wstr;; ++p) {
            if (*p == wc) {
                found = const_cast<OCIWchar *>(p);
                break;
            }
            if (*p == 0) break;
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, wstr, wc));
    return found;
}

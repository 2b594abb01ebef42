// The OCI character-set calls in environments of several client encodings.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "diag/trace.h"
#include "env/env.h"

namespace {

using Wide = std::vector<OCIWchar>;
const auto *U(const char *s) { return reinterpret_cast<const OraText *>(s); }
const std::string kNull21560 = "21560:VOSKARI-21560: null, invalid, or out of range argument ";

class CharsetTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Environment creation consults NLS_LANG and the locale; pin both.
        unsetenv("NLS_LANG");
        unsetenv("NLS_NCHAR");
        setenv("LC_ALL", "C", 1);
    }
    void TearDown() override {
        for (OCIEnv *e : envs_) OCIHandleFree(e, OCI_HTYPE_ENV);
        unsetenv("NLS_LANG");
        unsetenv("NLS_NCHAR");
        std::setlocale(LC_ALL, "C");
    }
    // UTF-16 environments come from OCIEnvCreate: OCIEnvNlsCreate would
    // choose a character set again after the UTF-16 set-up.
    OCIEnv *Env(ub2 charset, ub4 mode = OCI_DEFAULT) {
        OCIEnv *env = nullptr;
        const sword rc = (mode & OCI_UTF16)
            ? OCIEnvCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr)
            : OCIEnvNlsCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr, charset, 0);
        EXPECT_EQ(rc, OCI_SUCCESS);
        if (env != nullptr) envs_.push_back(env);
        return env;
    }
    // The first record; in a UTF-16 environment its text is UTF-16 and is
    // returned as such.
    static std::string Record(void *hndl, ub4 type = OCI_HTYPE_ENV, bool utf16 = false) {
        char buf[512] = {};
        sb4 code = 0;
        if (OCIErrorGet(hndl, 1, nullptr, &code, reinterpret_cast<OraText *>(buf), sizeof buf, type) != OCI_SUCCESS)
            return "<none>";
        size_t n = 0;
        while (n + 1 < sizeof buf && (buf[n] != 0 || (utf16 && buf[n + 1] != 0))) n += utf16 ? 2 : 1;
        return std::to_string(code) + ":" + std::string(buf, n);
    }
    static Wide ToWide(OCIEnv *env, const std::string &text, size_t srcsz = SIZE_MAX) {
        Wide out(text.size() + 2, 0xDEAD);
        size_t n = 0;
        EXPECT_EQ(OCIMultiByteInSizeToWideChar(env, out.data(), out.size(), U(text.data()),
                                               std::min(srcsz, text.size()), &n), OCI_SUCCESS);
        EXPECT_EQ(out[n], 0u);
        out.resize(n);
        return out;
    }
    static size_t Strlen(OCIEnv *env, const std::string &s) { return OCIMultiByteStrlen(env, U(s.c_str())); }
    static size_t Width(OCIEnv *env, const std::string &s, size_t n) {
        return OCIMultiByteStrnDisplayLength(env, U(s.c_str()), n);
    }
    static std::string Name(OCIEnv *env, ub2 id, size_t buflen = 16) {
        std::string buf(buflen + 1, 'x');
        EXPECT_EQ(OCINlsCharSetIdToName(env, reinterpret_cast<oratext *>(&buf[0]), buflen, id), OCI_SUCCESS);
        return buf;
    }
    static int NlsVariable(ub2 item) {
        ub2 value = 999;
        size_t size = 0;
        if (OCINlsEnvironmentVariableGet(&value, 0, item, 0, &size) != OCI_SUCCESS) return -1;
        EXPECT_EQ(size, 2u);
        return value;
    }
    std::vector<OCIEnv *> envs_;
};

// ASCII text as UTF-16LE.
std::string Utf16(const std::string &ascii) {
    std::string out;
    for (char c : ascii) out += std::string{c, '\0'};
    return out;
}

TEST_F(CharsetTest, IdsAndNames) {
    OCIEnv *env = Env(0);
    // strncpy semantics: zero padding, no terminator when the name fills it.
    EXPECT_EQ(Name(env, 41), std::string(16, '\0') + "x");
    EXPECT_EQ(Name(env, 39), std::string("UTF-16LE") + std::string(8, '\0') + "x");
    EXPECT_EQ(Name(env, 8, 3), "LATx");
    EXPECT_EQ(OCINlsCharSetIdToName(env, nullptr, 8, 8), OCI_ERROR);
    EXPECT_EQ(Record(env), kNull21560 + "2");
    EXPECT_EQ(OCINlsCharSetIdToName(nullptr, nullptr, 3, 8), OCI_INVALID_HANDLE);

    EXPECT_EQ(OCINlsCharSetNameToId(env, U(Name(env, 20).c_str())), 20);
    EXPECT_EQ(OCINlsCharSetNameToId(env, U("AL32UTF8")), 6);
    EXPECT_EQ(OCINlsCharSetNameToId(env, nullptr), 0);
    EXPECT_EQ(OCINlsCharSetNameToId(env->errhp, U("UTF8")), static_cast<ub2>(OCI_INVALID_HANDLE));

    oci_debug_log = tmpfile();
    OCI2PQ_TRACE_LEVEL = 4;
    Name(env, 39);
    const long size = std::ftell(oci_debug_log);
    std::string log(static_cast<size_t>(size), '\0');
    std::rewind(oci_debug_log);
    EXPECT_EQ(std::fread(&log[0], 1, log.size(), oci_debug_log), log.size());
    std::fclose(oci_debug_log);
    oci_debug_log = nullptr;
    OCI2PQ_TRACE_LEVEL = 0;
    EXPECT_NE(log.find("Getting Character Set Name from ID\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\tid = 39\n"), std::string::npos) << log;
}

TEST_F(CharsetTest, EnvironmentVariables) {
    EXPECT_EQ(NlsVariable(OCI_NLS_CHARSET_ID), 0);
    EXPECT_EQ(NlsVariable(OCI_NLS_NCHARSET_ID), 0);
    setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
    EXPECT_EQ(NlsVariable(OCI_NLS_CHARSET_ID), 6);
    setenv("NLS_LANG", "AMERICAN_AMERICA.CP1252", 1);  // the code set of the match list
    EXPECT_EQ(NlsVariable(OCI_NLS_CHARSET_ID), 24);
    setenv("NLS_LANG", "AMERICAN", 1);
    EXPECT_EQ(NlsVariable(OCI_NLS_CHARSET_ID), 0);
    setenv("NLS_NCHAR", "iso-8859-1", 1);
    EXPECT_EQ(NlsVariable(OCI_NLS_NCHARSET_ID), 8);
    EXPECT_EQ(NlsVariable(95), -1);
    EXPECT_EQ(OCINlsEnvironmentVariableGet(nullptr, 0, OCI_NLS_CHARSET_ID, 0, nullptr), OCI_ERROR);
}

TEST_F(CharsetTest, ConversionsToAndFromUtf8) {
    OCIEnv *latin1 = Env(8);
    char out[8] = {};
    size_t size = 0;
    ASSERT_EQ(OCICharSetToUnicode(latin1, reinterpret_cast<ub2 *>(out), sizeof out, U("\xE9"), 1, &size), OCI_SUCCESS);
    EXPECT_EQ(std::string(out, size), "\xC3\xA9");
    // A short destination takes what fits; the size still tells the whole.
    std::memset(out, 0, sizeof out);
    ASSERT_EQ(OCIUnicodeToCharSet(latin1, reinterpret_cast<OraText *>(out), 1, reinterpret_cast<const ub2 *>("\xC3\xA9\xC3\xA8"), 4, &size),
              OCI_SUCCESS);
    EXPECT_EQ(size, 2u);
    EXPECT_EQ(std::string(out, 2), std::string("\xE9\0", 2));
    EXPECT_EQ(OCIUnicodeToCharSet(latin1, reinterpret_cast<OraText *>(out), 8, reinterpret_cast<const ub2 *>("\xE2\x82\xAC"), 3, &size),
              OCI_ERROR);
    EXPECT_EQ(Record(latin1), "0:An invalid multibyte sequence has been encountered in the input");
    EXPECT_EQ(OCICharSetToUnicode(latin1, nullptr, 0, nullptr, 1, &size), OCI_ERROR);
    EXPECT_EQ(Record(latin1), kNull21560 + "4");

    // Server spellings that iconv does not know still convert.
    ASSERT_EQ(OCICharSetToUnicode(Env(1), reinterpret_cast<ub2 *>(out), 8, U("\xA4\xA2"), 2, &size), OCI_SUCCESS);
    EXPECT_EQ(std::string(out, size), "\xE3\x81\x82");
    OCIEnv *ascii = Env(0);
    ASSERT_EQ(ascii->charsetId, 0);
    EXPECT_EQ(OCICharSetToUnicode(ascii, nullptr, 0, U("\xE9"), 1, &size), OCI_ERROR);

    OCIError *err = nullptr;
    ASSERT_EQ(OCIHandleAlloc(ascii, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCINlsCharSetConvert(ascii, err, 6, out, sizeof out, 24, "\x80", 1, &size), OCI_SUCCESS);
    EXPECT_EQ(std::string(out, size), "\xE2\x82\xAC");  // the euro sign of WINDOWS1252
    const struct {
        ub2 dst, src;
        const char *text, *position;
    } refused[] = {{41, 8, "a", "3"}, {6, 200, "a", "6"}, {6, 8, nullptr, "7"}};
    for (const auto &r : refused) {
        EXPECT_EQ(OCINlsCharSetConvert(ascii, err, r.dst, out, 8, r.src, r.text, 1, &size), OCI_ERROR);
        EXPECT_EQ(Record(err, OCI_HTYPE_ERROR), kNull21560 + r.position);
    }
    EXPECT_EQ(OCINlsCharSetConvert(ascii, reinterpret_cast<OCIError *>(ascii), 6, out, 8, 8, "a", 1, &size),
              OCI_INVALID_HANDLE);
}

TEST_F(CharsetTest, Utf16Environment) {
    OCIEnv *env = Env(0, OCI_UTF16);
    ASSERT_EQ(env->charsetId, 39);
    size_t size = 0;
    char out[8] = {};
    EXPECT_EQ(OCICharSetToUnicode(env, reinterpret_cast<ub2 *>(out), 8, U("A\0B"), 3, &size), OCI_ERROR);
    EXPECT_EQ(Record(env, OCI_HTYPE_ENV, true),
              "0:" + Utf16("An incomplete multibyte sequence has been encountered in the input"));
    ASSERT_EQ(OCICharSetToUnicode(env, reinterpret_cast<ub2 *>(out), 8, U("\xE9\0"), 2, &size), OCI_SUCCESS);
    EXPECT_EQ(std::string(out, size), "\xC3\xA9");

    // Names travel in the client's UTF-16.
    const std::string latin1 = Name(env, 8, 20);
    EXPECT_EQ(latin1.substr(0, 14), Utf16("LATIN1") + std::string(2, '\0'));
    EXPECT_EQ(OCINlsCharSetNameToId(env, U(latin1.c_str())), 8);

    // Characters: 16-bit units, surrogate pairs joined, lone ones kept.
    const std::string text = std::string("A\0\x3D\xD8\x00\xDE\x22\x6F\x00\xDC\0\0", 12);
    EXPECT_EQ(Strlen(env, text), 4u);
    EXPECT_EQ(ToWide(env, text), (Wide{0x41, 0x1F600, 0x6F22, 0xDC00}));
    EXPECT_EQ(ToWide(env, text, 3), (Wide{0x41}));  // half a unit, or half a pair, is not read
    EXPECT_EQ(ToWide(env, text, 4), (Wide{0x41}));
    EXPECT_EQ(Width(env, text, 8), 1u + 2u + 2u);
    EXPECT_EQ(ToWide(Env(40), std::string("\0A\x6F\x22", 4)), (Wide{0x41, 0x6F22}));
}

TEST_F(CharsetTest, MultibyteCharactersByEncoding) {
    OCIEnv *utf8 = Env(6);
    const std::string mixed = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(Strlen(utf8, mixed), 4u);
    EXPECT_EQ(ToWide(utf8, mixed), (Wide{0x61, 0xE9, 0x20AC, 0x1F600}));
    EXPECT_EQ(ToWide(utf8, mixed, 5), (Wide{0x61, 0xE9}));  // stops before a cut character
    EXPECT_EQ(Width(utf8, "a\xE6\xBC\xA2\tb", 100), 4u);     // wide ideograph, tab has no width
    EXPECT_EQ(Width(utf8, "a\xE6\xBC\xA2", 3), 1u);

    OCIEnv *eucjp = Env(1);
    const std::string jp = "a\xA4\xA2\x8E\xB1\x8F\xB0\xA1";
    EXPECT_EQ(Strlen(eucjp, jp), 4u);
    EXPECT_EQ(ToWide(eucjp, jp), (Wide{0x61, 0xA4A2, 0x8EB1, 0x8FB0A1}));
    EXPECT_EQ(Width(eucjp, jp, 100), 1u + 2u + 1u + 2u);

    // SJIS is 34 here and a single-byte encoding's number in libpq: lengths
    // must come from the name.
    OCIEnv *sjis = Env(34);
    EXPECT_EQ(Strlen(sjis, "\x82\xA0z"), 2u);
    EXPECT_EQ(ToWide(sjis, "\x82\xA0z"), (Wide{0x82A0, 0x7A}));

    OCIEnv *latin1 = Env(8);
    EXPECT_EQ(Strlen(latin1, "\xE9t\xE9"), 3u);
    EXPECT_EQ(ToWide(latin1, std::string("\xE9t\0x", 4)), (Wide{0xE9, 0x74}));
}

TEST_F(CharsetTest, WideConversionLimitsAndArguments) {
    OCIEnv *env = Env(6);
    OCIWchar dst[3] = {9, 9, 9};
    size_t n = 0;
    ASSERT_EQ(OCIMultiByteInSizeToWideChar(env, dst, 2, U("abc"), 3, &n), OCI_SUCCESS);
    EXPECT_EQ(n, 1u);
    EXPECT_EQ(Wide(dst, dst + 3), (Wide{'a', 0, 9}));
    ASSERT_EQ(OCIMultiByteInSizeToWideChar(env, nullptr, 0, U("abc"), 3, &n), OCI_SUCCESS);
    EXPECT_EQ(n, 3u);
    EXPECT_EQ(OCIMultiByteInSizeToWideChar(env, dst, 3, nullptr, 3, &n), OCI_ERROR);
    EXPECT_EQ(Record(env), kNull21560 + "4");
    EXPECT_EQ(OCIMultiByteStrlen(env, nullptr), static_cast<size_t>(-1));
    EXPECT_EQ(Record(env), kNull21560 + "2");
    EXPECT_EQ(OCIMultiByteStrnDisplayLength(env, nullptr, 4), static_cast<size_t>(-1));
    EXPECT_EQ(OCIMultiByteStrlen(nullptr, U("abc")), static_cast<size_t>(OCI_INVALID_HANDLE));
    EXPECT_EQ(OCIMultiByteInSizeToWideChar(dst, dst, 3, U("abc"), 3, &n), OCI_INVALID_HANDLE);
}

TEST_F(CharsetTest, WideStrings) {
    OCIEnv *env = Env(6);
    const OCIWchar abc[] = {1, 2, 3, 0}, abd[] = {1, 2, 4, 0}, ab[] = {1, 2, 0};
    const OCIWchar big[] = {0xFFFFFFFFu, 0}, small[] = {1, 0}, tail1[] = {1, 0, 5}, tail2[] = {1, 0, 6};
    EXPECT_EQ(OCIWideCharStrlen(env, abc), 3u);
    EXPECT_EQ(OCIWideCharStrlen(env, nullptr), 0u);
    EXPECT_EQ(OCIWideCharStrlen(nullptr, abc), 0u);

    EXPECT_EQ(OCIWideCharStrcmp(env, abc, abc, 0), 0);
    EXPECT_EQ(OCIWideCharStrcmp(env, abc, abd, 0), -1);
    EXPECT_EQ(OCIWideCharStrcmp(env, abc, ab, 0), 3);
    EXPECT_GT(OCIWideCharStrcmp(env, big, small, 0), 0);
    EXPECT_EQ(OCIWideCharStrcmp(env, abc, nullptr, 0), OCI_ERROR);
    EXPECT_EQ(Record(env), kNull21560 + "3");

    EXPECT_EQ(OCIWideCharStrncmp(env, abc, 2, abd, 5, 0), 0);
    EXPECT_EQ(OCIWideCharStrncmp(env, abc, 3, abd, 5, 0), -1);
    EXPECT_EQ(OCIWideCharStrncmp(env, tail1, 3, tail2, 3, 0), 0);  // nothing counts after the end
    EXPECT_EQ(OCIWideCharStrncmp(env, nullptr, 3, abc, 3, 0), OCI_ERROR);
    EXPECT_EQ(Record(env), kNull21560 + "2");

    EXPECT_EQ(OCIWideCharStrchr(env, abc, 2), abc + 1);
    EXPECT_EQ(OCIWideCharStrchr(env, abc, 0), abc + 3);
    EXPECT_EQ(OCIWideCharStrchr(env, abc, 7), nullptr);
    EXPECT_EQ(OCIWideCharStrchr(nullptr, abc, 2), nullptr);
}

}  // namespace

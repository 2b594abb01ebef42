// The encoding catalogue, its lookups, the Oracle name table and transcode.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <libpq-fe.h>
#include <string>

#include "conn/nls.h"
#include "diag/trace.h"
#include "conn/transcode.h"
#include "env/memory.h"

namespace {

TEST(EncodingNames, AliasTableIsSortedNormalisedAndComplete) {
    ASSERT_EQ(nls::tav_encname_tbl_size, 80u);
    for (size_t i = 0; i < nls::tav_encname_tbl_size; ++i) {
        const nls::EncodingAlias &e = nls::tav_encname_tbl[i];
        if (i > 0) {
            EXPECT_LT(std::strcmp(nls::tav_encname_tbl[i - 1].name, e.name), 0) << e.name;
        }
        for (const char *p = e.name; *p != '\0'; ++p)
            EXPECT_TRUE((*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9')) << e.name;
        // Every alias is found, whatever punctuation and case surround it.
        const std::string dressed = "-" + std::string(e.name) + " ";
        std::string upper = dressed;
        for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(nls::pg_char_to_encoding(dressed.c_str()), e.encoding) << e.name;
        EXPECT_EQ(nls::pg_char_to_encoding(upper.c_str()), e.encoding) << e.name;
    }
}

TEST(EncodingNames, LookupRules) {
    EXPECT_EQ(nls::pg_char_to_encoding("Latin-1"), 8);
    EXPECT_EQ(nls::pg_char_to_encoding("LATIN1"), 8);
    EXPECT_EQ(nls::pg_char_to_encoding("latin1"), 8);
    EXPECT_EQ(nls::pg_char_to_encoding("windows-1252"), 24);
    EXPECT_EQ(nls::pg_char_to_encoding("cp1252"), 6);  // not a name: UTF8
    EXPECT_EQ(nls::pg_char_to_encoding("--"), 6);
    EXPECT_EQ(nls::pg_char_to_encoding(nullptr), -1);

    // An over-long name is noted in the debug log, never on standard error.
    const std::string longest(63, 'x');
    FILE *log = std::tmpfile();
    oci_debug_log = log;
    OCI2PQ_TRACE_LEVEL = 1;
    testing::internal::CaptureStderr();
    EXPECT_EQ(nls::pg_char_to_encoding(longest.c_str()), 6);
    EXPECT_EQ(std::ftell(log), 0);
    EXPECT_EQ(nls::pg_char_to_encoding(("latin1" + longest).c_str()), 6);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    oci_debug_log = nullptr;
    OCI2PQ_TRACE_LEVEL = 0;
    std::string logged(static_cast<size_t>(std::ftell(log)), '\0');
    std::rewind(log);
    logged.resize(std::fread(&logged[0], 1, logged.size(), log));
    std::fclose(log);
    EXPECT_EQ(logged, "TRACE1-o2pTrace[ociutil:916]: encoding name too long\n");
}

TEST(EncodingNames, CanonicalAndServerNames) {
    for (int id = 0; id <= nls::kMaxEncodingId; ++id) {
        EXPECT_EQ(nls::pg_char_to_encoding(nls::pg_encoding_to_char(id)), id) << id;
        EXPECT_GE(::pg_char_to_encoding(nls::EncodingServerName(id)), 0) << id;  // libpq knows it
    }
    EXPECT_STREQ(nls::pg_encoding_to_char(39), "UTF-16LE");
    EXPECT_STREQ(nls::pg_encoding_to_char(41), "");
    EXPECT_STREQ(nls::pg_encoding_to_char(-1), "");
    EXPECT_STREQ(nls::EncodingServerName(20), "WIN866");
    EXPECT_STREQ(nls::EncodingServerName(39), "UTF8");
    // Same names, different numbering: ours and libpq's are distinct functions.
    EXPECT_EQ(nls::pg_char_to_encoding("JOHAB"), 5);
    EXPECT_EQ(::pg_char_to_encoding("JOHAB"), 40);
}

TEST(Locales, ParseLocaleSplitsLikeStrtok) {
    std::string lang, terr, code;
    ASSERT_TRUE(nls::ParseLocale("en_US.UTF-8", &lang, &terr, &code));
    EXPECT_EQ(lang + "|" + terr + "|" + code, "en|US|UTF-8");
    ASSERT_TRUE(nls::ParseLocale("AMERICAN_AMERICA.ISO-8859-1@euro", nullptr, nullptr, &code));
    EXPECT_EQ(code, "ISO-8859-1@euro");
    for (const char *bad : {"C", "POSIX", "C.UTF-8", "en_US", "en_.UTF-8", "_.", ""})
        EXPECT_FALSE(nls::ParseLocale(bad, &lang, &terr, &code)) << bad;
    EXPECT_FALSE(nls::ParseLocale(nullptr, nullptr, nullptr, nullptr));
}

TEST(Locales, MatchListAndCodeSets) {
    EXPECT_STREQ(nls::findMatchingSysEncoding("utf-8"), "UTF-8");
    EXPECT_STREQ(nls::findMatchingSysEncoding("ibm-EUCJP"), "IBM-eucJP");
    EXPECT_STREQ(nls::findMatchingPgEncoding("cp1252"), "WINDOWS1252");
    EXPECT_STREQ(nls::findMatchingPgEncoding("POSIX"), "sqlascii");
    EXPECT_EQ(nls::findMatchingSysEncoding("AL32UTF8"), nullptr);
    EXPECT_EQ(nls::findMatchingPgEncoding(nullptr), nullptr);
    // Code sets resolve through their pair, not by their own spelling.
    EXPECT_EQ(nls::EncodingOfCodeSet("CP1252"), 24);
    EXPECT_EQ(nls::EncodingOfCodeSet("GB2312"), 2);
    EXPECT_EQ(nls::EncodingOfCodeSet("POSIX"), 0);
    EXPECT_EQ(nls::EncodingOfCodeSet("iso88591"), 8);
    EXPECT_EQ(nls::EncodingOfCodeSet("AL32UTF8"), 6);
}

TEST(OracleNames, NamedEntriesAndCase) {
    EXPECT_EQ(search_charsetID("AL16UTF16"), 2000);
    EXPECT_EQ(search_charsetID("AL32UTF8"), 873);
    EXPECT_EQ(search_charsetID("al32utf8"), 873);
    EXPECT_EQ(search_charsetID("Utf8"), 871);
    EXPECT_EQ(search_charsetID("ZHT32TRISFIXED"), 1863);
    EXPECT_EQ(search_charsetID("US7ASCII"), 1);
    EXPECT_EQ(search_charsetID("we8iso8859p1"), 31);
    const ub2 iso = search_charsetID("iso2022");
    EXPECT_TRUE(iso == 9997 || iso == 9998 || iso == 9999) << iso;
    for (const char *unknown : {"", "1ABC", "_UTF8", "\xC3\x89T", "GARBAGE", "AL32UTF", "AL32UTF8X", "ZZZ"})
        EXPECT_EQ(search_charsetID(unknown), 0) << unknown;
    EXPECT_EQ(search_charsetID(nullptr), 0);
}

TEST(OracleNames, TableIndexAndLookupAgree) {
    const size_t count = nls::kOracleCharsetCount;
    ASSERT_EQ(nls::kOracleCharsetIndex[26], static_cast<int>(count));
    for (size_t i = 0; i < count; ++i) {
        const nls::OracleCharset &e = nls::kOracleCharsets[i];
        if (i > 0) {
            EXPECT_LE(oci_stricmp(nls::kOracleCharsets[i - 1].name, e.name), 0) << e.name;
        }
        std::string lower = e.name;
        for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (lower != "iso2022") {
            EXPECT_EQ(search_charsetID(lower.c_str()), e.id) << e.name;
        }
    }
    for (int letter = 0; letter < 26; ++letter) {
        size_t first = 0;
        while (first < count && nls::kOracleCharsets[first].name[0] != 'A' + letter) ++first;
        EXPECT_EQ(nls::kOracleCharsetIndex[letter], first == count ? -1 : static_cast<int>(first)) << letter;
    }
}

class Converter {
public:
    Converter(const char *to, const char *from) : cd_(iconv_open(to, from)) {}
    ~Converter() { iconv_close(cd_); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

TEST(Transcode, ConvertsGrowsAndReports) {
    char *out = reinterpret_cast<char *>(1);
    size_t length = 99;
    int error = 0;
    Converter toUtf8("UTF-8", "ISO-8859-1");
    EXPECT_EQ(transcode(toUtf8.get(), &error, nullptr, 3, &out, &length), 0);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(length, 0u);
    ASSERT_EQ(transcode(toUtf8.get(), &error, "caf\xE9", 4, &out, &length), 5);
    EXPECT_STREQ(out, "caf\xC3\xA9");
    o2pFree(out);

    // One input byte becomes a byte-order mark and four bytes: more than the
    // first guess of room.
    Converter toUtf32("UTF-32", "ASCII");
    ASSERT_EQ(transcode(toUtf32.get(), &error, "a", 1, &out, &length), 8);
    EXPECT_EQ(length, 8u);
    o2pFree(out);

    Converter fromUtf16("UTF-8", "UTF-16LE");
    EXPECT_EQ(transcode(fromUtf16.get(), &error, "A\0B", 3, &out, &length), -1);
    EXPECT_EQ(error, EINVAL);
    EXPECT_EQ(out, nullptr);
    Converter fromUtf8("ISO-8859-1", "UTF-8");
    EXPECT_EQ(transcode(fromUtf8.get(), &error, "\xFF", 1, &out, &length), -1);
    EXPECT_EQ(error, EILSEQ);

    // Out of memory is a failure, never an empty success.
    o2pFailAllocationAfter(0);
    EXPECT_EQ(transcode(toUtf8.get(), &error, "abc", 3, &out, &length), -1);
    o2pFailAllocationAfter(-1);
    EXPECT_EQ(error, ENOMEM);
    EXPECT_EQ(out, nullptr);

    EXPECT_STREQ(TranscodeErrorText(EINVAL), "An incomplete multibyte sequence has been encountered in the input");
    EXPECT_STREQ(TranscodeErrorText(EILSEQ), "An invalid multibyte sequence has been encountered in the input");
    EXPECT_STREQ(TranscodeErrorText(ENOMEM), "Error in byte conversion");
}

}  // namespace

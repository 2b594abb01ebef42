// The bind converters on their own: what each one hands the server, how it
// treats empty and malformed input, and that it never reads past the size
// the application declared (every value is an exactly sized heap copy, so a
// read past it trips the sanitizer build).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/oci_string.h"
#include "types/bind/bind_test_support.h"
#include "types/bind_converters.h"
#include "types/datetime_format.h"
#include "types/datetime_handles.h"
#include "types/number_format.h"

using bindtest::Hex;
using bindtest::Produced;
using bindtest::TestEnv;

namespace {

// An exactly sized heap copy of some bytes.
struct Bytes {
    explicit Bytes(const std::string &s) : data(s.begin(), s.end()) {}
    Bytes(const void *p, size_t n) : data(static_cast<const char *>(p), static_cast<const char *>(p) + n) {}
    const void *get() const { return data.empty() ? nullptr : data.data(); }
    sb4 size() const { return static_cast<sb4>(data.size()); }
    std::vector<char> data;
};

template <class T> Bytes Of(const T &v) { return Bytes(&v, sizeof v); }

// A value with a host-order length word of type W in front.
template <class W> Bytes Prefixed(W word, const std::string &body) {
    std::string s(reinterpret_cast<const char *>(&word), sizeof word);
    return Bytes(s + body);
}

void Convert(BindConverter fn, OCIError *err, const Bytes &value, Produced &p) {
    p.rc = fn(err, value.get(), value.size(), nullptr, &p.out, &p.length, &p.format);
}
void Convert(BindConverter fn, OCIError *err, const void *value, sb4 size, Produced &p) {
    p.rc = fn(err, value, size, nullptr, &p.out, &p.length, &p.format);
}

// A converted text value: result, text, length (terminator counted), format.
void ExpectText(const Produced &p, const std::string &text) {
    EXPECT_EQ(p.rc, 0);
    ASSERT_NE(p.out, nullptr);
    EXPECT_EQ(p.length, text.size() + 1);
    EXPECT_EQ(std::string(p.out, p.length), text + std::string(1, '\0'));
    EXPECT_EQ(p.format, 0);
}

void ExpectBinary(const Produced &p, const std::string &hex) {
    EXPECT_EQ(p.rc, 0);
    EXPECT_EQ(p.format, 1);
    ASSERT_TRUE(p.Touched());
    EXPECT_EQ(Hex(p.out, p.length), hex);
}

void ExpectFailure(const Produced &p) {
    EXPECT_EQ(p.rc, -1);
    EXPECT_EQ(p.out, nullptr);
    EXPECT_EQ(p.length, 0u);
}

const std::vector<std::string> kNoRecords;
std::vector<std::string> Only(sb4 code, const char *text) { return {std::to_string(code) + ": " + text}; }

std::string Utf16(const std::u16string &s) {
    std::string out;
    for (char16_t c : s) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

// ---- characters ----------------------------------------------------------------------------

TEST(CharacterBinds, ChrAndLngDropTrailingBlanksAfcKeepsThem) {
    TestEnv t;
    for (BindConverter fn : {ConvertSQLT_CHRToTEXTOID, ConvertSQLT_LNGToTEXTOID}) {
        Produced a, b, c, d;
        Convert(fn, t.err, Bytes("abc   "), a);
        ExpectText(a, "abc");
        Convert(fn, t.err, Bytes("   "), b);  // one blank always stays
        ExpectText(b, " ");
        Convert(fn, t.err, Bytes("  a b\t "), c);
        ExpectText(c, "  a b\t");
        Convert(fn, t.err, Bytes(""), d);
        EXPECT_EQ(d.rc, 0);
        EXPECT_TRUE(d.IsNull());
    }
    Produced afc;
    Convert(ConvertSQLT_AFCToTEXTOID, t.err, Bytes("abc   "), afc);
    ExpectText(afc, "abc   ");
    EXPECT_EQ(t.Records(), kNoRecords);
}

TEST(CharacterBinds, EmptyAfcIsNullOnlyUnderOracleRules) {
    TestEnv t;
    const char some[] = "x";
    Produced on, off, absent;
    Convert(ConvertSQLT_AFCToTEXTOID, t.err, some, 0, on);
    EXPECT_EQ(on.rc, 0);
    EXPECT_TRUE(on.IsNull());
    t.OracleVarchars(false);
    Convert(ConvertSQLT_AFCToTEXTOID, t.err, some, 0, off);
    ExpectText(off, "");
    Convert(ConvertSQLT_AFCToTEXTOID, t.err, nullptr, 5, absent);
    EXPECT_TRUE(absent.IsNull());
}

TEST(CharacterBinds, StrUnderOracleRules) {
    TestEnv t;
    {  // size 2 holding the empty string: NULL
        Produced p;
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string("\0x", 2)), p);
        EXPECT_EQ(p.rc, 0);
        EXPECT_TRUE(p.IsNull());
    }
    {  // too small to hold a string at all
        Produced p;
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string(1, '\0')), p);
        ExpectFailure(p);
        EXPECT_EQ(t.Records(), kNoRecords);
    }
    {  // no terminator within the size
        Produced p;
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes("abcd"), p);
        ExpectFailure(p);
        EXPECT_EQ(t.Records(), Only(1480, "VOSKARI-01480: STR bind value missing null"));
    }
    {  // 3999 characters and the terminator fit Oracle's 4000 bytes; 4000 do not
        Produced fits, over;
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string(3999, 'q') + '\0'), fits);
        ExpectText(fits, std::string(3999, 'q'));
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string(4000, 'q') + '\0'), over);
        ExpectFailure(over);
        EXPECT_EQ(t.Records(), Only(1480, "VOSKARI-01480: STR bind value missing null"));
    }
    {  // the value ends at the first terminator: padding and garbage behind it
       // neither count against the 4000 bytes nor travel
        Produced padded, garbage, empty;
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes("abc" + std::string(4997, '\0')), padded);
        ExpectText(padded, "abc");
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string("abc\0def\0", 8)), garbage);
        ExpectText(garbage, "abc");
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string(10, '\0')), empty);
        EXPECT_EQ(empty.rc, 0);
        EXPECT_TRUE(empty.IsNull());
    }
    EXPECT_EQ(t.Records(), kNoRecords);
}

TEST(CharacterBinds, StrWithoutOracleRules) {
    TestEnv t;
    t.OracleVarchars(false);
    Produced zero, two, missing, longOne, one;
    Convert(ConvertSQLT_STRToTEXTOID, t.err, "ignored", 0, zero);
    ExpectText(zero, "");
    Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string("\0x", 2)), two);
    ExpectText(two, "");
    Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string(1, '\0')), one);
    ExpectText(one, "");
    Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string(4000, 'z') + '\0'), longOne);
    ExpectText(longOne, std::string(4000, 'z'));
    Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes("no end"), missing);
    ExpectFailure(missing);
    EXPECT_EQ(t.Records(), Only(1480, "VOSKARI-01480: STR bind value missing null"));
}

TEST(CharacterBinds, VcsAndLvcLengthWords) {
    TestEnv t;
    {
        Produced p, empty;
        Convert(ConvertSQLT_VCSToTEXTOID, t.err, Prefixed<ub2>(4, "ab  junk"), p);
        ExpectText(p, "ab  ");  // blanks kept, bytes past the length ignored
        Convert(ConvertSQLT_VCSToTEXTOID, t.err, Prefixed<ub2>(0, ""), empty);
        ExpectText(empty, "");
    }
    {
        Produced p;
        Convert(ConvertSQLT_VCSToTEXTOID, t.err, Bytes("a"), p);
        ExpectFailure(p);
        EXPECT_EQ(t.Records(), Only(1084, "VOSKARI-01084: invalid argument in call"));
    }
    const auto k1458 = Only(1458, "VOSKARI-01458: variable character string has invalid length");
    {
        Produced p;
        Convert(ConvertSQLT_VCSToTEXTOID, t.err, Prefixed<ub2>(65534, std::string(65534, 'a')), p);
        ExpectFailure(p);
        EXPECT_EQ(t.Records(), k1458);
    }
    {
        Produced p;
        Convert(ConvertSQLT_VCSToTEXTOID, t.err, Prefixed<ub2>(3, std::string(65534, 'a')), p);  // size 65536
        ExpectFailure(p);
        EXPECT_EQ(t.Records(), k1458);
    }
    {  // a length word promising more than the buffer holds
        Produced vcs, lvc;
        Convert(ConvertSQLT_VCSToTEXTOID, t.err, Prefixed<ub2>(6, "abc"), vcs);
        ExpectFailure(vcs);
        EXPECT_EQ(t.Records(), k1458);
        Convert(ConvertSQLT_LVCToTEXTOID, t.err, Prefixed<ub4>(4, "abc"), lvc);
        ExpectFailure(lvc);
        EXPECT_EQ(t.Records(), k1458);
    }
    {
        Produced p, tooLong, tooSmall;
        Convert(ConvertSQLT_LVCToTEXTOID, t.err, Prefixed<ub4>(3, "x y z"), p);
        ExpectText(p, "x y");
        Convert(ConvertSQLT_LVCToTEXTOID, t.err, Prefixed<ub4>(0x7FFFFFFC, "abc"), tooLong);
        ExpectFailure(tooLong);
        EXPECT_EQ(t.Records(), k1458);
        Convert(ConvertSQLT_LVCToTEXTOID, t.err, Bytes("abc"), tooSmall);
        ExpectFailure(tooSmall);
        EXPECT_EQ(t.Records(), Only(1084, "VOSKARI-01084: invalid argument in call"));
    }
}

TEST(CharacterBinds, VstReadsTheOCIString) {
    TestEnv t;
    char text[] = "hello  ";
    OCIString s{7, 7, text};
    OCIString *ptr = &s;
    Produced p;
    Convert(ConvertSQLT_VSTToTEXTOID, t.err, Of(ptr), p);
    ExpectText(p, "hello  ");

    OCIString *none = nullptr;
    OCIString huge{70000, 65534, text};  // refused before the text is read
    OCIString *hugePtr = &huge;
    Produced a, b, c;
    Convert(ConvertSQLT_VSTToTEXTOID, t.err, Of(none), a);
    ExpectFailure(a);
    Convert(ConvertSQLT_VSTToTEXTOID, t.err, Of(hugePtr), b);
    ExpectFailure(b);
    Convert(ConvertSQLT_VSTToTEXTOID, t.err, &ptr, 65536, c);
    ExpectFailure(c);
    EXPECT_EQ(t.Records(), kNoRecords);
}

TEST(CharacterBinds, Utf16ApplicationTextIsSentAsUtf8) {
    TestEnv t(OCI_UTF16);
    {  // blanks are trimmed after conversion, whatever their byte width was
        Produced p;
        Convert(ConvertSQLT_CHRToTEXTOID, t.err, Bytes(Utf16(u"\u00e9t\u00e9  ")), p);
        ExpectText(p, "\xC3\xA9t\xC3\xA9");
    }
    {  // the terminator is a zero code unit, not the high byte of "a"
        Produced p, empty;
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(Utf16(u"ab") + std::string(2, '\0') + Utf16(u"zz")), p);
        ExpectText(p, "ab");
        Convert(ConvertSQLT_STRToTEXTOID, t.err, Bytes(std::string(2, '\0')), empty);
        EXPECT_TRUE(empty.IsNull());
    }
    {  // the length word counts bytes
        Produced p;
        Convert(ConvertSQLT_VCSToTEXTOID, t.err, Prefixed<ub2>(4, Utf16(u"\u20ac ") + Utf16(u"x")), p);
        ExpectText(p, "\xE2\x82\xAC ");
    }
    {
        Produced half, lone;
        Convert(ConvertSQLT_CHRToTEXTOID, t.err, Bytes(Utf16(u"ab") + "c"), half);
        ExpectFailure(half);
        EXPECT_EQ(t.Records(), Only(0, "An incomplete multibyte sequence has been encountered in the input"));
        Convert(ConvertSQLT_AFCToTEXTOID, t.err, Bytes(Utf16(u"a") + std::string("\x00\xDC", 2) + Utf16(u"b")), lone);
        ExpectFailure(lone);
        EXPECT_EQ(t.Records(), Only(0, "An invalid multibyte sequence has been encountered in the input"));
    }
}

TEST(CharacterBinds, RunningOutOfMemoryLeavesNothingBehind) {
    for (ub4 mode : {static_cast<ub4>(OCI_DEFAULT), static_cast<ub4>(OCI_UTF16)}) {
        TestEnv t(mode);
        const Bytes value(mode == OCI_UTF16 ? Utf16(u"abc ") : std::string("abc "));
        for (long n = 0; n < 2; ++n) {
            Produced p;
            o2pFailAllocationAfter(n);
            Convert(ConvertSQLT_CHRToTEXTOID, t.err, value, p);
            o2pFailAllocationAfter(-1);
            if (n == 1 && mode == OCI_DEFAULT) {  // only one allocation without conversion
                ExpectText(p, "abc");
                continue;
            }
            ExpectFailure(p);
            t.Records();
        }
    }
}

// ---- integers -------------------------------------------------------------------------------

TEST(IntegerBinds, WidthsSignsAndTruncation) {
    TestEnv t;
    struct Case {
        BindConverter fn;
        Bytes value;
        const char *hex;
    };
    const Case cases[] = {
        {ConvertSQLT_INTToINT2OID, Of<sb1>(-5), "FF FB"},
        {ConvertSQLT_INTToINT4OID, Of<sb1>(-5), "FF FF FF FB"},
        {ConvertSQLT_INTToINT8OID, Of<sb2>(-300), "FF FF FF FF FF FF FE D4"},
        {ConvertSQLT_INTToINT2OID, Of<sb4>(70000), "11 70"},  // the low 16 bits: 4464
        {ConvertSQLT_INTToINT4OID, Of<int64_t>(int64_t{1} << 40 | 7), "00 00 00 07"},
        {ConvertSQLT_INTToINT8OID, Of<int64_t>(-2), "FF FF FF FF FF FF FF FE"},
        {ConvertSQLT_INTToINT4OID, Of<sb4>(123456789), "07 5B CD 15"},
        {ConvertSQLT_INTToCHAROID, Of<sb4>(0x41424344), "44"},
        {ConvertSQLT_INTToCHAROID, Of<sb2>(-1), "FF"},
        // SQLT_UIN: the application's bits are an unsigned number
        {ConvertSQLT_UINToINT2OID, Of<ub1>(200), "00 C8"},
        {ConvertSQLT_INTToINT2OID, Of<ub1>(200), "FF C8"},
        {ConvertSQLT_UINToINT4OID, Of<ub2>(65535), "00 00 FF FF"},
        {ConvertSQLT_UINToINT8OID, Of<ub4>(4000000000u), "00 00 00 00 EE 6B 28 00"},
        {ConvertSQLT_INTToINT8OID, Of<ub4>(4000000000u), "FF FF FF FF EE 6B 28 00"},
        {ConvertSQLT_UINToINT8OID, Of<uint64_t>(~uint64_t{0}), "FF FF FF FF FF FF FF FF"},
    };
    for (const Case &c : cases) {
        Produced p;
        Convert(c.fn, t.err, c.value, p);
        ExpectBinary(p, c.hex);
    }
    for (BindConverter fn : {ConvertSQLT_INTToINT2OID, ConvertSQLT_INTToINT8OID, ConvertSQLT_INTToCHAROID,
                             ConvertSQLT_UINToINT4OID, ConvertSQLT_INTToNUMERICOID}) {
        Produced empty;
        const sb4 v = 1;
        Convert(fn, t.err, &v, 0, empty);
        EXPECT_EQ(empty.rc, 0);
        EXPECT_TRUE(empty.IsNull());
        EXPECT_EQ(empty.format, 1);
    }
    EXPECT_EQ(t.Records(), kNoRecords);

    // Three bytes are no application integer: refused, not sent as 0.
    for (BindConverter fn : {ConvertSQLT_INTToINT4OID, ConvertSQLT_UINToINT8OID, ConvertSQLT_INTToNUMERICOID}) {
        Produced odd;
        Convert(fn, t.err, Bytes("\x01\x02\x03", 3), odd);
        EXPECT_EQ(odd.rc, -1);
        EXPECT_EQ(odd.out, nullptr);
    }
    const std::vector<std::string> refused = t.Records();
    ASSERT_EQ(refused.size(), 3u);
    EXPECT_EQ(refused[0], "1460: VOSKARI-01460: illegal conversion requested");
}

TEST(IntegerBinds, ToNumericSendFormat) {
    TestEnv t;
    struct Case {
        Bytes value;
        const char *hex;
    };
    const Case cases[] = {
        // 2^40 = 1 0995 1162 7776: four base-10000 digits, weight 3
        {Of<int64_t>(int64_t{1} << 40), "00 04 00 03 00 00 00 00 00 01 03 E3 04 8A 1E 60"},
        {Of<sb2>(-123), "00 01 00 00 40 00 00 00 00 7B"},
        {Of<sb1>(0), "00 00 00 00 00 00 00 00"},
        {Of<sb4>(10000), "00 01 00 01 00 00 00 00 00 01"},
        {Of<int64_t>(INT64_MIN), "00 05 00 04 40 00 00 00 03 9A 0D 2C 01 70 15 65 16 B0"},
    };
    for (const Case &c : cases) {
        Produced p;
        Convert(ConvertSQLT_INTToNUMERICOID, t.err, c.value, p);
        ExpectBinary(p, c.hex);
    }
}

// ---- floating point ------------------------------------------------------------------------

TEST(FloatBinds, IeeeBitsBigEndian) {
    TestEnv t;
    struct Case {
        BindConverter fn;
        Bytes value;
        const char *hex;
    };
    const Case cases[] = {
        {ConvertSQLT_FLTToFLOAT4OID, Of(0.1f), "3D CC CC CD"},
        {ConvertSQLT_FLTToFLOAT4OID, Of(0.1), "3D CC CC CD"},  // a double narrowed
        {ConvertSQLT_FLTToFLOAT8OID, Of(0.1f), "3F B9 99 99 A0 00 00 00"},  // a single widened exactly
        {ConvertSQLT_FLTToFLOAT8OID, Of(0.1), "3F B9 99 99 99 99 99 9A"},
        {ConvertSQLT_FLTToFLOAT8OID, Of(-2.5), "C0 04 00 00 00 00 00 00"},
        {ConvertSQLT_FLTToFLOAT4OID, Bytes(std::string("\x00\x00\x80\x3F\xAA\xBB", 6)), "3F 80 00 00"},
    };
    for (const Case &c : cases) {
        Produced p;
        Convert(c.fn, t.err, c.value, p);
        ExpectBinary(p, c.hex);
    }
    const std::pair<BindConverter, sb4> refused[] = {{ConvertSQLT_FLTToFLOAT4OID, 2},
                                                     {ConvertSQLT_FLTToFLOAT4OID, 3},
                                                     {ConvertSQLT_FLTToFLOAT8OID, 2},
                                                     {ConvertSQLT_FLTToFLOAT8OID, 6}};
    for (const auto &[fn, size] : refused) {
        Produced p;
        Convert(fn, t.err, Bytes(std::string(static_cast<size_t>(size), '\x01')), p);
        ExpectFailure(p);
    }
    EXPECT_EQ(t.Records(), kNoRecords);
}

// ---- NUMBER and VARNUM ------------------------------------------------------------------------

TEST(NumberBinds, NumberAndVarnumToNumeric) {
    TestEnv t;
    // 12.5: exponent byte 0xC1, base-100 digits 12 and 50 stored plus one
    std::string number("\xC1\x0D\x33", 3);
    number.resize(21, '\0');
    Produced num;
    Convert(ConvertSQLT_NUMToNUMERICOID, t.err, Bytes(number), num);
    ExpectBinary(num, "00 02 00 00 00 00 00 01 00 0C 13 88");

    // -5 as VARNUM: count, exponent byte, 101 - 5, terminator 102
    Produced vnu;
    Convert(ConvertSQLT_VNUToNUMERICOID, t.err, Bytes(std::string("\x03\x3E\x60\x66", 4)), vnu);
    ExpectBinary(vnu, "00 01 00 00 40 00 00 00 00 05");

    Produced shortNum, longVnu, overrun, badNumber;
    Convert(ConvertSQLT_NUMToNUMERICOID, t.err, Bytes(number.substr(0, 20)), shortNum);
    ExpectFailure(shortNum);
    Convert(ConvertSQLT_VNUToNUMERICOID, t.err, Bytes(std::string(23, '\x01')), longVnu);
    ExpectFailure(longVnu);
    // a count byte promising more bytes than the declared size
    Convert(ConvertSQLT_VNUToNUMERICOID, t.err, Bytes(std::string("\x05\xC1\x02", 3)), overrun);
    ExpectFailure(overrun);
    std::string bad("\xC1\xEE", 2);
    bad.resize(21, '\0');
    Convert(ConvertSQLT_NUMToNUMERICOID, t.err, Bytes(bad), badNumber);
    ExpectFailure(badNumber);
    EXPECT_EQ(t.Records(), kNoRecords);
}

TEST(NumberBinds, VarnumsFromTextSurviveTheTrip) {
    TestEnv t;
    const char *texts[] = {"0", "5", "12.5", "100", "123", "1234567", "0.5", "0.001", "-5", "-0.5", "-123",
                           "1e125", "-9.99e-125", "123456789012345678901234567890123456789"};
    for (const char *text : texts) {
        ub1 varnum[kVarnumSize];
        ASSERT_EQ(ConvertStringToVARNUM(text, varnum), 0) << text;
        Produced p;
        Convert(ConvertSQLT_VNUToNUMERICOID, t.err, Bytes(varnum, kVarnumSize), p);
        ASSERT_EQ(p.rc, 0) << text;
        NumericVar *back = NumericFromSendFormat(p.out, p.length);
        ASSERT_NE(back, nullptr) << text;
        ub1 again[kVarnumSize];
        EXPECT_EQ(ConvertNumericToVARNUMBER(back, again), 0);
        EXPECT_EQ(Hex(again, kVarnumSize), Hex(varnum, kVarnumSize)) << text;
        free_var(back);
    }
}

// ---- binary strings ---------------------------------------------------------------------------

TEST(BinaryBinds, BytesAndLengthWords) {
    TestEnv t;
    {
        Produced bin, lbi, empty;
        Convert(ConvertSQLT_BINToBYTEAOID, t.err, Bytes("\x01\xAB", 2), bin);
        ExpectBinary(bin, "01 AB");
        Convert(ConvertSQLT_LBIToBYTEAOID, t.err, Bytes(std::string("\0\xFF\0", 3)), lbi);
        ExpectBinary(lbi, "00 FF 00");
        Convert(ConvertSQLT_BINToBYTEAOID, t.err, "x", 0, empty);  // an empty RAW, not NULL
        EXPECT_EQ(empty.rc, 0);
        EXPECT_NE(empty.out, nullptr);
        EXPECT_EQ(empty.length, 0u);
    }
    {
        Produced vbi, lvb;
        Convert(ConvertSQLT_VBIToBYTEAOID, t.err, Prefixed<ub2>(2, "\x01\xAB\xCC"), vbi);
        ExpectBinary(vbi, "01 AB");
        Convert(ConvertSQLT_LVBToBYTEAOID, t.err, Prefixed<ub4>(3, std::string("\0\x01\x02", 3)), lvb);
        ExpectBinary(lvb, "00 01 02");
    }
    const std::pair<BindConverter, Bytes> refused[] = {
        {ConvertSQLT_VBIToBYTEAOID, Prefixed<ub2>(0, "ab")},
        {ConvertSQLT_VBIToBYTEAOID, Prefixed<ub2>(65534, std::string(65533, 'a'))},
        {ConvertSQLT_VBIToBYTEAOID, Prefixed<ub2>(1, std::string(65534, 'a'))},  // size 65536
        {ConvertSQLT_VBIToBYTEAOID, Prefixed<ub2>(3, "ab")},                      // beyond the buffer
        {ConvertSQLT_VBIToBYTEAOID, Bytes("a")},
        {ConvertSQLT_LVBToBYTEAOID, Prefixed<ub4>(0, "ab")},
        {ConvertSQLT_LVBToBYTEAOID, Prefixed<ub4>(0x7FFFFFFB, "ab")},
        {ConvertSQLT_LVBToBYTEAOID, Prefixed<ub4>(3, "ab")},
        {ConvertSQLT_LVBToBYTEAOID, Bytes("abc")},
    };
    for (const auto &[fn, value] : refused) {
        Produced p;
        Convert(fn, t.err, value, p);
        ExpectFailure(p);
    }
    {  // refused on the size alone, before a byte is read
        Produced lbi, lvb, bin;
        Convert(ConvertSQLT_LBIToBYTEAOID, t.err, "ab", 0x7FFFFFFF, lbi);
        ExpectFailure(lbi);
        Convert(ConvertSQLT_LVBToBYTEAOID, t.err, "ab", 0x7FFFFFFF, lvb);
        ExpectFailure(lvb);
        Convert(ConvertSQLT_BINToBYTEAOID, t.err, nullptr, 2, bin);
        ExpectFailure(bin);
    }
    EXPECT_EQ(t.Records(), kNoRecords);
}

// ---- dates, timestamps, intervals ------------------------------------------------------------

struct Descriptors {
    Descriptors() = default;
    Descriptors(const Descriptors &) = delete;
    Descriptors &operator=(const Descriptors &) = delete;
    ~Descriptors() {
        for (OCIDateTime *dt : dts) Free_OCIDateTime(dt);
        for (OCIInterval *iv : ivs) Free_OCIInterval(iv);
    }
    // A descriptor of `type` holding the date-time, fraction (µs) and zone.
    OCIDateTime *DateTime(ub4 type, int y, int mo, int d, int h, int mi, int s, fsec_t fsec, int zone = 0) {
        OCIDateTime *dt = Alloc_OCIDateTime(type);
        EXPECT_NE(dt, nullptr);
        pg_tm tm{};
        EXPECT_EQ(ConstructTmFromData(&tm, y, mo, d, h, mi, s), 0);
        tm.tm_gmtoff = zone;
        EXPECT_EQ(EncodeOracleOCIDateTime(dt->value, &tm, type == OCI_DTYPE_TIMESTAMP_TZ, fsec), 0);
        if (type == OCI_DTYPE_TIMESTAMP_TZ) SetDateTimeZone(dt->value, zone);
        dts.push_back(dt);
        return dt;
    }
    OCIInterval *Interval(ub4 type, int months, int days, int64_t usecs) {
        OCIInterval *iv = Alloc_OCIInterval(type);
        EXPECT_NE(iv, nullptr);
        SetIntervalBody(iv->value, IntervalData{months, days, usecs});
        ivs.push_back(iv);
        return iv;
    }
    std::vector<OCIDateTime *> dts;
    std::vector<OCIInterval *> ivs;
};

TEST(DateTimeBinds, OracleDateAndOCIDate) {
    TestEnv t;
    const Bytes date("\x78\x7C\x03\x05\x0E\x2E\x1F", 7);  // 2024-03-05 13:45:30
    Produced asDate, asTimestamp, first, bc, odt, shortDate, shortOdt;
    Convert(ConvertSQLT_DATToDATEOID, t.err, date, asDate);
    ExpectText(asDate, "2024-03-05 00:00:00");  // a date parameter gets no time of day
    Convert(ConvertSQLT_DATToTIMESTAMPOID, t.err, date, asTimestamp);
    ExpectText(asTimestamp, "2024-03-05 13:45:30");
    Convert(ConvertSQLT_DATToTIMESTAMPOID, t.err, Bytes("\x64\x65\x01\x01\x01\x01\x01", 7), first);
    ExpectText(first, "0001-01-01 00:00:00");
    Convert(ConvertSQLT_DATToTIMESTAMPOID, t.err, Bytes("\x64\x63\x0C\x1F\x18\x3C\x3C", 7), bc);  // Oracle year -1
    ExpectText(bc, "0001-12-31 23:59:59 BC");
    Convert(ConvertSQLT_DATToDATEOID, t.err, Bytes("\x78\x7C\x03\x05\x0E\x2E", 6), shortDate);
    ExpectFailure(shortDate);

    OCIDate d{};
    d.OCIDateYYYY = 1999;
    d.OCIDateMM = 12;
    d.OCIDateDD = 31;
    d.OCIDateTime = OCITime{23, 59, 58};
    Convert(ConvertSQLT_ODTToTIMESTAMPOID, t.err, Of(d), odt);
    ExpectText(odt, "1999-12-31 23:59:58");
    Convert(ConvertSQLT_ODTToTIMESTAMPOID, t.err, Bytes(&d, 7), shortOdt);
    ExpectFailure(shortOdt);
}

TEST(DateTimeBinds, DescriptorsWithFractionsAndZones) {
    TestEnv t;
    Descriptors ds;
    OCIDateTime *ts = ds.DateTime(OCI_DTYPE_TIMESTAMP, 2024, 3, 5, 13, 45, 30, 250000);
    OCIDateTime *east = ds.DateTime(OCI_DTYPE_TIMESTAMP_TZ, 2024, 3, 5, 13, 45, 30, 250000, 19800);
    OCIDateTime *west = ds.DateTime(OCI_DTYPE_TIMESTAMP_TZ, 1969, 7, 20, 20, 17, 40, 1, -12600);
    Produced dateOnly, withFraction, plus, minus;
    Convert(ConvertSQLT_DATEToTIMESTAMPOID, t.err, Of(ts), dateOnly);
    ExpectText(dateOnly, "2024-03-05 00:00:00");
    Convert(ConvertSQLT_TIMESTAMPToTIMESTAMPOID, t.err, Of(ts), withFraction);
    ExpectText(withFraction, "2024-03-05 13:45:30.25");
    Convert(ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID, t.err, Of(east), plus);
    ExpectText(plus, "2024-03-05 13:45:30.25+05:30");
    Convert(ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID, t.err, Of(west), minus);
    ExpectText(minus, "1969-07-20 20:17:40.000001-03:30");

    // Pointers that do not lead to a live descriptor of the right kind.
    OCIDateTime *none = nullptr;
    OCIInterval *interval = ds.Interval(OCI_DTYPE_INTERVAL_DS, 0, 1, 0);
    for (const Bytes &bad : {Of(none), Of(interval), Of(t.err)}) {
        Produced p;
        Convert(ConvertSQLT_TIMESTAMPToTIMESTAMPOID, t.err, bad, p);
        ExpectFailure(p);
    }
    Produced noValue;
    Convert(ConvertSQLT_DATEToTIMESTAMPOID, t.err, nullptr, 8, noValue);
    ExpectFailure(noValue);
}

// Zone-less descriptors bound as TIMESTAMP WITH TIME ZONE are local times:
// each takes the local offset in force on its own date.
TEST(DateTimeBinds, LocalTimesTakeTheOffsetOfTheirOwnDate) {
    const char *saved = std::getenv("TZ");
    const std::string savedZone = saved != nullptr ? saved : "";
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    {
        TestEnv t;
        Descriptors ds;
        OCIDateTime *winter = ds.DateTime(OCI_DTYPE_TIMESTAMP_LTZ, 2024, 1, 15, 12, 0, 0, 0);
        OCIDateTime *summer = ds.DateTime(OCI_DTYPE_TIMESTAMP, 2024, 7, 15, 12, 0, 0, 0);
        Produced w, s;
        Convert(ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID, t.err, Of(winter), w);
        Convert(ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID, t.err, Of(summer), s);
        ExpectText(w, "2024-01-15 12:00:00+01");
        ExpectText(s, "2024-07-15 12:00:00+02");
    }
    if (saved != nullptr)
        setenv("TZ", savedZone.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST(DateTimeBinds, IntervalsInVerboseForm) {
    TestEnv t;
    Descriptors ds;
    struct Case {
        ub4 type;
        int months, days;
        int64_t usecs;
        const char *text;
    };
    const Case cases[] = {
        {OCI_DTYPE_INTERVAL_YM, 14, 0, 0, "@ 1 year 2 mons"},
        {OCI_DTYPE_INTERVAL_YM, -14, 0, 0, "@ 1 year 2 mons ago"},
        {OCI_DTYPE_INTERVAL_DS, 0, 1, 3723500000, "@ 1 day 1 hour 2 mins 3.5 secs"},
        {OCI_DTYPE_INTERVAL_DS, 0, -3, -1000000, "@ 3 days 1 sec ago"},
        {OCI_DTYPE_INTERVAL_DS, 0, 0, 0, "@ 0"},
    };
    for (const Case &c : cases) {
        OCIInterval *iv = ds.Interval(c.type, c.months, c.days, c.usecs);
        Produced p;
        Convert(ConvertSQLT_INTERVAL_DSToINTERVALOID, t.err, Of(iv), p);
        ExpectText(p, c.text);
    }
    OCIInterval *iv = ds.Interval(OCI_DTYPE_INTERVAL_DS, 0, 1, 0);
    Produced small, wrongKind;
    Convert(ConvertSQLT_INTERVAL_DSToINTERVALOID, t.err, &iv, 6, small);
    ExpectFailure(small);
    OCIDateTime *dt = ds.DateTime(OCI_DTYPE_TIMESTAMP, 2024, 1, 1, 0, 0, 0, 0);
    Convert(ConvertSQLT_INTERVAL_DSToINTERVALOID, t.err, Of(dt), wrongKind);
    ExpectFailure(wrongKind);
    EXPECT_EQ(t.Records(), kNoRecords);
}

}  // namespace

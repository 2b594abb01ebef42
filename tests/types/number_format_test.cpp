// Oracle NUMBER/VARNUM bytes, their texts and the server's numeric record.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "env/memory.h"
#include "types/number_format.h"
#include "types_test_support.h"

using typestest::ExactText;
using typestest::ToHex;

namespace {

std::string NumericText(const NumericVar *var) {
    char *s = ConvertNumericToString(var);
    std::string out = s != nullptr ? s : "<null>";
    std::free(s);
    return out;
}

struct Var {
    explicit Var(const char *s) { EXPECT_EQ(ConvertStringToNumeric(s, &p), 0) << s; }
    Var() = default;
    ~Var() { free_var(p); }
    NumericVar *p = nullptr;
};

TEST(NumberBytes, TableOfValues) {
    auto rows = typestest::ReadTable("number_examples.txt");
    ASSERT_GE(rows.size(), 25u);
    for (const auto &row : rows) {
        ASSERT_EQ(row.cells.size(), 4u) << "line " << row.line;
        SCOPED_TRACE("line " + std::to_string(row.line) + ": " + row.cells[0]);
        ExactText exact(row.cells[0]);
        ub1 number[kNumberSize], varnum[kVarnumSize];
        int used = -1;
        ASSERT_EQ(ConvertStringToNUMBER(exact.get(), exact.len, number, &used), 0);
        EXPECT_EQ(ToHex(number, static_cast<size_t>(used)), row.cells[1]);
        for (size_t k = static_cast<size_t>(used); k < kNumberSize; ++k) EXPECT_EQ(number[k], 0) << k;
        std::memset(varnum, 0xEE, sizeof varnum);
        ASSERT_EQ(ConvertStringToVARNUM(exact.get(), exact.len, varnum), 0);
        EXPECT_EQ(ToHex(varnum, 1), row.cells[2]);
        EXPECT_EQ(std::memcmp(varnum + 1, number, kNumberSize), 0);
        char text[kVarnumTextSize];
        ASSERT_EQ(ConvertVARNUMToString(varnum, text, sizeof text), 0);
        EXPECT_STREQ(text, row.cells[3].c_str());

        // NUMBER and VARNUM give the same numeric value, which writes the
        // same VARNUM again.
        Var fromNumber, fromVarnum;
        ASSERT_EQ(ConvertNUMBERToNumeric(number, kNumberSize, &fromNumber.p), 0);
        ASSERT_EQ(ConvertVARNUMBERToNumeric(varnum, &fromVarnum.p), 0);
        EXPECT_EQ(NumericText(fromNumber.p), NumericText(fromVarnum.p));
        ub1 again[kVarnumSize];
        ASSERT_EQ(ConvertNumericToVARNUMBER(fromVarnum.p, again), 0);
        EXPECT_EQ(ToHex(again, kVarnumSize), ToHex(varnum, kVarnumSize));
    }
    for (const auto &row : typestest::ReadTable("number_errors.txt")) {
        ExactText exact(row.cells[0]);
        ub1 varnum[kVarnumSize];
        EXPECT_EQ(ConvertStringToVARNUM(exact.get(), exact.len, varnum), -1) << row.cells[0];
        EXPECT_EQ(varnum[0], 0) << row.cells[0];
    }
}

TEST(NumberBytes, ParseNumberAndItsLimits) {
    ParsedNumber p;
    EXPECT_EQ(ParseNumber("  -001,234.5000e2  ", 19, &p), 0);
    EXPECT_EQ(p.negative, 1);
    EXPECT_EQ(std::string(p.digits, static_cast<size_t>(p.ndigits)), "12345");
    EXPECT_EQ(p.power, 1);
    EXPECT_EQ(ParseNumber(" \t ", 3, &p), 1);
    EXPECT_EQ(ParseNumber("1E126", 5, &p), 0);  // the parser takes it; no exponent byte does
    EXPECT_EQ(ParseNumber("12345", 2, &p), 0);  // only the given length counts
    EXPECT_EQ(std::string(p.digits, static_cast<size_t>(p.ndigits)), "12");
    int sign = 0, power = 0, n = 0;
    char digits[4];
    EXPECT_EQ(ParseNumber("987654321", 9, &sign, &power, digits, sizeof digits, &n), 0);
    EXPECT_EQ(std::string(digits, static_cast<size_t>(n)) + "E" + std::to_string(power), "9876E5");
    EXPECT_EQ(ParseNumber("9", 1, &sign, &power, digits, 0, &n), -1);

    ub1 number[kNumberSize];
    int used = 0;
    EXPECT_EQ(ConvertStringToNUMBER("10000000000000000000E107", number, &used), -1);
    EXPECT_EQ(ConvertStringToNUMBER("99999999999999999999E106", number, &used), 0);
    ASSERT_EQ(ConvertStringToNUMBER("-9.99E125", number, &used), 0);
    EXPECT_EQ(ToHex(number, static_cast<size_t>(used)), "00 02 0B 66");
}

TEST(NumberBytes, MalformedVarnumBytes) {
    struct Case {
        std::vector<int> bytes;
        const char *text;  // null: rejected
    } cases[] = {
        {{0, 0x80}, nullptr},              {{22, 0xC1, 2}, nullptr},       {{1, 0xC1}, nullptr},
        {{2, 0xC1, 0}, nullptr},           {{2, 0xC1, 102}, nullptr},      {{2, 0xC1, 101}, nullptr},
        {{3, 0x3E, 103, 102}, nullptr},    {{4, 0x3E, 96, 102, 96}, nullptr}, {{2, 0x3E, 102}, nullptr},
        {{2, 0xC1, 6}, "0.05E2"},          {{2, 0x3E, 96}, "-0.05E2"},     {{3, 0x80, 9, 9}, "0.0"},
    };
    for (const auto &c : cases) {
        ub1 v[kVarnumSize] = {};
        for (size_t k = 0; k < c.bytes.size(); ++k) v[k] = static_cast<ub1>(c.bytes[k]);
        char text[kVarnumTextSize];
        int rc = ConvertVARNUMToString(v, text, sizeof text);
        EXPECT_EQ(rc, c.text == nullptr ? -1 : 0) << ToHex(v, c.bytes.size());
        if (c.text != nullptr) {
            EXPECT_STREQ(text, c.text);
            EXPECT_EQ(ConvertVARNUMToString(v, text, std::strlen(c.text)), -1);  // no room for the NUL
        }
    }
    NumericVar *var = nullptr;
    const ub1 positive102[kNumberSize] = {0xC1, 6, 102}, negativeOne[kNumberSize] = {0x3E, 96, 1, 102};
    const ub1 bare[kNumberSize] = {0xC1}, counted[kVarnumSize] = {3, 0xC1, 6, 0};
    EXPECT_EQ(ConvertNUMBERToNumeric(positive102, kNumberSize, &var), -1);
    EXPECT_EQ(ConvertNUMBERToNumeric(negativeOne, kNumberSize, &var), -1);
    EXPECT_EQ(ConvertNUMBERToNumeric(bare, kNumberSize, &var), -1);
    EXPECT_EQ(ConvertVARNUMBERToNumeric(counted, &var), -1);
    EXPECT_EQ(var, nullptr);
    Var five;  // only the bytes given are read
    ASSERT_EQ(ConvertNUMBERToNumeric(positive102, 2, &five.p), 0);
    EXPECT_EQ(NumericText(five.p), "5");
}

TEST(NumericRecord, LayoutAndWireForm) {
    struct Case {
        const char *text;
        const char *wire;  // header words and digits in network order
    } cases[] = {{"12.5", "00 02 00 00 00 00 00 01 00 0C 13 88"},
                 {"0.001", "00 01 FF FF 00 00 00 03 00 0A"},
                 {"1234567", "00 02 00 01 00 00 00 00 00 7B 11 D7"},
                 {"-0.00012345", "00 02 FF FF 40 00 00 08 00 01 09 29"},
                 {"-123", "00 01 00 00 40 00 00 00 00 7B"},
                 {"0", "00 00 00 00 00 00 00 00"}};
    for (const auto &c : cases) {
        ub1 varnum[kVarnumSize];
        ASSERT_EQ(ConvertStringToVARNUM(c.text, varnum), 0);
        Var v;
        ASSERT_EQ(ConvertVARNUMBERToNumeric(varnum, &v.p), 0);
        size_t size = ConvertNumericFromHostToNetOrder(v.p);
        const auto *bytes = reinterpret_cast<const unsigned char *>(v.p);
        EXPECT_EQ(ToHex(bytes, size), c.wire) << c.text;
        Var back;
        back.p = NumericFromSendFormat(bytes, size);
        ASSERT_NE(back.p, nullptr);
        EXPECT_EQ(NumericText(back.p), c.text);
        ConvertNumericFromNetToHostOrder(v.p);
        EXPECT_EQ(NumericText(v.p), c.text);
    }
    // Damaged wire records: length, digit 10000, sign word, scale, count.
    const unsigned char good[12] = {0, 2, 0, 0, 0x40, 0, 0, 1, 0, 0x0C, 0x13, 0x88};
    const std::pair<int, unsigned char> damage[] = {{8, 0x27}, {4, 0x80}, {6, 0x40}, {0, 0xFF}};
    EXPECT_EQ(NumericFromSendFormat(good, 11), nullptr);
    EXPECT_EQ(NumericFromSendFormat(good, 7), nullptr);
    for (const auto &d : damage) {
        unsigned char bad[12];
        std::memcpy(bad, good, sizeof bad);
        bad[d.first] = d.second;
        if (d.first == 8) bad[9] = 0x10;
        EXPECT_EQ(NumericFromSendFormat(bad, sizeof bad), nullptr) << d.first;
    }
    const unsigned char nan[8] = {0, 0, 0, 0, 0xC0, 0, 0, 0};
    Var notANumber;
    notANumber.p = NumericFromSendFormat(nan, 8);
    ASSERT_NE(notANumber.p, nullptr);
    EXPECT_EQ(NumericText(notANumber.p), "NaN");
    ub1 out[kVarnumSize];
    EXPECT_EQ(ConvertNumericToVARNUMBER(notANumber.p, out), -1);
}

TEST(NumericRecord, TextsScalesAndRounding) {
    const std::pair<const char *, const char *> texts[] = {
        {"12.500", "12.500"}, {"-0.001", "-0.001"}, {"1.5e3", "1500"}, {"1e-3", "0.001"}, {"  42  ", "42"},
        {"-0", "0"},          {"nan", "NaN"},       {"-Infinity", "-Infinity"}, {"-9223372036854775808", "-9223372036854775808"}};
    for (const auto &t : texts) {
        Var v(t.first);
        EXPECT_EQ(NumericText(v.p), t.second) << t.first;
    }
    for (const char *bad : {"", " ", ".", "-", "12abc", "1,000", "1e", "e5", "0x1F", "1.2.3"}) {
        NumericVar *v = nullptr;
        EXPECT_EQ(ConvertStringToNumeric(bad, &v), -1) << bad;
        EXPECT_EQ(v, nullptr);
    }
    struct Rounding {
        const char *in;
        int scale;
        const char *out;
    } rounding[] = {{"1.235", 2, "1.24"}, {"-1.235", 2, "-1.24"}, {"1.2349", 2, "1.23"}, {"9.995", 2, "10.00"},
                    {"-0.004", 2, "0.00"}, {"0.5", 0, "1"},        {"99.5", 0, "100"}};
    for (const auto &r : rounding) {
        Var v(r.in);
        v.p->dscale = static_cast<int16_t>(r.scale);
        EXPECT_EQ(NumericText(v.p), r.out) << r.in;  // printing rounds to the display scale
        ASSERT_EQ(round_var(&v.p, r.scale), 0);
        EXPECT_EQ(NumericText(v.p), r.out) << r.in;
    }
}

TEST(NumericRecord, MachineNumbers) {
    const std::pair<const char *, const char *> int8s[] = {
        {"2.5", "3"}, {"-2.5", "-3"}, {"9223372036854775807", "9223372036854775807"},
        {"9223372036854775807.5", nullptr}, {"-9223372036854775808.4", "-9223372036854775808"},
        {"-9223372036854775808.5", nullptr}, {"1e30", nullptr}, {"NaN", nullptr}};
    for (const auto &c : int8s) {
        Var v(c.first);
        int64_t out = 0;
        int rc = numericvar_to_int8(v.p, &out);
        EXPECT_EQ(rc, c.second == nullptr ? -1 : 0) << c.first;
        if (c.second != nullptr) {
            EXPECT_EQ(std::to_string(out), c.second);
        }
    }
    int8_t i1 = 0;
    int16_t i2 = 0;
    int32_t i4 = 0;
    Var v127("127.4"), v128("127.5"), v70000("70000"), vmin("-2147483648.49");
    EXPECT_EQ(numericvar_to_int1(v127.p, &i1), 0);
    EXPECT_EQ(numericvar_to_int1(v128.p, &i1), -1);
    EXPECT_EQ(numericvar_to_int2(v128.p, &i2), 0);
    EXPECT_EQ(numericvar_to_int2(v70000.p, &i2), -1);
    EXPECT_EQ(numericvar_to_int4(vmin.p, &i4), 0);
    EXPECT_EQ(i1 + i2 + static_cast<int64_t>(i4), 127 + 128 + static_cast<int64_t>(INT32_MIN));

    double d = 0;
    float f = 0;
    Var tenth("0.1"), half("-0.5"), big("1e39"), huge("-1e400"), tiny("1e-400");
    EXPECT_EQ(numericvar_to_double(tenth.p, &d), 0);
    EXPECT_EQ(d, 0.1);
    EXPECT_EQ(numericvar_to_float(tenth.p, &f), 1);  // 0.1 changes in single precision
    EXPECT_EQ(numericvar_to_float(half.p, &f), 0);
    EXPECT_EQ(numericvar_to_float(big.p, &f), 1);
    EXPECT_TRUE(std::isinf(f));
    EXPECT_EQ(numericvar_to_double(huge.p, &d), -1);
    EXPECT_EQ(d, -HUGE_VAL);
    EXPECT_EQ(numericvar_to_double(tiny.p, &d), 0);
    EXPECT_EQ(d, 0.0);
}

TEST(NumericRecord, DigitsBeyondFortyRangeAndMemory) {
    const char *long45 = "123456789012345678901234567890123456789012345.678";
    Var v(long45);
    ub1 varnum[kVarnumSize], direct[kVarnumSize];
    ASSERT_EQ(ConvertNumericToVARNUMBER(v.p, varnum), 0);
    ASSERT_EQ(ConvertStringToVARNUM(long45, direct), 0);
    EXPECT_EQ(ToHex(varnum, kVarnumSize), ToHex(direct, kVarnumSize));
    char text[kVarnumTextSize];
    ASSERT_EQ(ConvertVARNUMToString(varnum, text, sizeof text), 0);
    EXPECT_STREQ(text, "0.0123456789012345678901234567890123456789E46");  // dropped, not rounded
    Var huge("1e200"), tiny("1e-200");
    EXPECT_EQ(ConvertNumericToVARNUMBER(huge.p, varnum), -1);
    ASSERT_EQ(ConvertNumericToVARNUMBER(tiny.p, varnum), 0);
    EXPECT_EQ(ToHex(varnum, 2), "01 80");

    NumericVar *out = reinterpret_cast<NumericVar *>(0x1);
    o2pFailAllocationAfter(0);
    EXPECT_EQ(ConvertVARNUMBERToNumeric(direct, &out), -1);
    o2pFailAllocationAfter(-1);
    EXPECT_EQ(out, nullptr);
}

}  // namespace

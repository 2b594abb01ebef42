// The OCINumber entry points through the exported library: handle and
// argument checks, arithmetic and the functions, rounding, and the
// conversions to and from integers, reals and text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include <oci.h>

namespace {

class NumberApi : public ::testing::Test {
protected:
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;

    void SetUp() override {
        ASSERT_EQ(OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        void *h = nullptr;
        ASSERT_EQ(OCIHandleAlloc(env, &h, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        err = static_cast<OCIError *>(h);
    }
    void TearDown() override { OCIHandleFree(env, OCI_HTYPE_ENV); }

    // The first record: its number and text; number -1 when there is none.
    std::pair<sb4, std::string> Record() {
        sb4 code = -1;
        OraText buf[512] = {};
        if (OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return {-1, ""};
        return {code, reinterpret_cast<const char *>(buf)};
    }
    sb4 Code() { return Record().first; }

    OCINumber N(const char *text) {
        OCINumber n;
        std::memset(&n, 0xEE, sizeof n);
        EXPECT_EQ(OCINumberFromText(err, reinterpret_cast<const oratext *>(text), static_cast<ub4>(std::strlen(text)),
                                    nullptr, 0, nullptr, 0, &n),
                  OCI_SUCCESS)
            << text;
        return n;
    }
    // All digits of the value ("TM9").
    std::string S(const OCINumber &n) {
        oratext buf[200];
        ub4 size = sizeof buf;
        EXPECT_EQ(OCINumberToText(err, &n, reinterpret_cast<const oratext *>("TM9"), 3, nullptr, 0, &size, buf),
                  OCI_SUCCESS);
        return std::string(reinterpret_cast<char *>(buf), size);
    }
    std::string Formatted(const char *value, const char *format, sword *rc = nullptr) {
        OCINumber n = N(value);
        oratext buf[64];
        ub4 size = sizeof buf;
        const sword r = OCINumberToText(err, &n, reinterpret_cast<const oratext *>(format),
                                        static_cast<ub4>(std::strlen(format)), nullptr, 0, &size, buf);
        if (rc != nullptr) *rc = r;
        return r == OCI_SUCCESS ? std::string(reinterpret_cast<char *>(buf), size) : std::string();
    }

    using Fn2 = sword (*)(OCIError *, const OCINumber *, const OCINumber *, OCINumber *);
    using Fn1 = sword (*)(OCIError *, const OCINumber *, OCINumber *);
    std::string Do(Fn2 fn, const char *a, const char *b) {
        OCINumber x = N(a), y = N(b), r;
        EXPECT_EQ(fn(err, &x, &y, &r), OCI_SUCCESS) << a << ", " << b;
        return S(r);
    }
    std::string Do(Fn1 fn, const char *a) {
        OCINumber x = N(a), r;
        EXPECT_EQ(fn(err, &x, &r), OCI_SUCCESS) << a;
        return S(r);
    }
};

TEST_F(NumberApi, HandlesAndMissingArguments) {
    OCINumber a = N("1"), b = N("2"), r;
    EXPECT_EQ(OCINumberAdd(nullptr, &a, &b, &r), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCINumberAdd(reinterpret_cast<OCIError *>(env), &a, &b, &r), OCI_INVALID_HANDLE);
    OCINumberSetZero(nullptr, &r);  // nothing to report into, nothing done

    EXPECT_EQ(OCINumberAdd(err, nullptr, &b, &r), OCI_ERROR);
    EXPECT_EQ(Record().first, 21560);
    EXPECT_NE(Record().second.find("out of range argument 2"), std::string::npos);
    // An operand with length byte 0 counts as missing.
    OCINumber empty{};
    EXPECT_EQ(OCINumberMul(err, &a, &empty, &r), OCI_ERROR);
    EXPECT_EQ(Record().second.back(), '3');
    EXPECT_EQ(OCINumberSub(err, &a, &b, nullptr), OCI_ERROR);
    EXPECT_EQ(Record().second.back(), '4');
    EXPECT_EQ(OCINumberToInt(err, &a, 4, OCI_NUMBER_SIGNED, nullptr), OCI_ERROR);
    EXPECT_EQ(Record().second.back(), '5');
    OCINumberSetPi(err, nullptr);
    EXPECT_EQ(Code(), 21560);
    // A success clears the records of the call before.
    EXPECT_EQ(OCINumberAdd(err, &a, &b, &r), OCI_SUCCESS);
    EXPECT_EQ(Code(), -1);
    // Bytes that are no number: failure without a record.
    OCINumber bad{};
    bad.OCINumberPart[0] = 2;
    bad.OCINumberPart[1] = 0xC1;
    bad.OCINumberPart[2] = 0;  // mantissa byte 0
    EXPECT_EQ(OCINumberSqrt(err, &bad, &r), OCI_ERROR);
    EXPECT_EQ(Code(), -1);
}

TEST_F(NumberApi, ArithmeticIsExactTo40Digits) {
    EXPECT_EQ(Do(OCINumberAdd, "0.1", "0.2"), "0.3");
    EXPECT_EQ(Do(OCINumberSub, "1", "1234.5"), "-1233.5");
    EXPECT_EQ(Do(OCINumberMul, "-1.5", "4"), "-6");
    // A product of 80 digits keeps its first 40, truncated.
    EXPECT_EQ(Do(OCINumberMul, "9999999999999999999999999999999999999999", "9999999999999999999999999999999999999999"),
              "99999999999999999999999999999999999999980000000000000000000000000000000000000000");
    // Small results keep all their significant digits.
    EXPECT_EQ(Do(OCINumberMul, "1.5E-30", "2E-30"), "0.000000000000000000000000000000000000000000000000000000000003");
    EXPECT_EQ(Do(OCINumberDiv, "1", "300"), "0.003333333333333333333333333333333333333333");
    EXPECT_EQ(Do(OCINumberDiv, "2", "3"), "0.6666666666666666666666666666666666666667");
    EXPECT_EQ(Do(OCINumberMod, "-11", "4"), "-3");
    EXPECT_EQ(Do(OCINumberMod, "7.5", "2"), "1.5");
    OCINumber a = N("5"), zero = N("0"), r;
    EXPECT_EQ(OCINumberDiv(err, &a, &zero, &r), OCI_ERROR);
    EXPECT_EQ(Code(), 1476);
    EXPECT_EQ(OCINumberMod(err, &a, &zero, &r), OCI_ERROR);
    EXPECT_EQ(Code(), 1476);
    // Beyond the NUMBER range.
    OCINumber big = N("1E100");
    EXPECT_EQ(OCINumberMul(err, &big, &big, &r), OCI_ERROR);
    EXPECT_EQ(Code(), 1426);

    OCINumber n = N("41.5");
    ASSERT_EQ(OCINumberInc(err, &n), OCI_SUCCESS);
    EXPECT_EQ(S(n), "42.5");
    ASSERT_EQ(OCINumberDec(err, &n), OCI_SUCCESS);
    ASSERT_EQ(OCINumberDec(err, &n), OCI_SUCCESS);
    EXPECT_EQ(S(n), "40.5");
    EXPECT_EQ(Do(OCINumberNeg, "2.5"), "-2.5");
    EXPECT_EQ(Do(OCINumberAbs, "-2.5"), "2.5");
    EXPECT_EQ(Do(OCINumberCeil, "-2.5"), "-2");
    EXPECT_EQ(Do(OCINumberFloor, "-2.5"), "-3");
}

// An OCINumber holds 20 base-100 digits: 40 decimal digits, or 39 when
// the value has an odd number of integer digits. The expected texts are
// the reference values truncated to what the form holds.
TEST_F(NumberApi, FunctionsAt40Digits) {
    EXPECT_EQ(Do(OCINumberSqrt, "2"), "1.41421356237309504880168872420969807857");
    EXPECT_EQ(Do(OCINumberExp, "1"), "2.71828182845904523536028747135266249775");
    EXPECT_EQ(Do(OCINumberLn, "2"), "0.6931471805599453094172321214581765680755");
    EXPECT_EQ(Do(OCINumberLog, "2", "1024"), "10");
    EXPECT_EQ(Do(OCINumberPower, "2", "0.5"), "1.41421356237309504880168872420969807857");
    EXPECT_EQ(Do(OCINumberSin, "1"), "0.8414709848078965066525023216302989996226");
    EXPECT_EQ(Do(OCINumberCos, "0"), "1");
    EXPECT_EQ(Do(OCINumberTan, "1"), "1.55740772465490223050697480745836017308");
    EXPECT_EQ(Do(OCINumberArcSin, "0.5"), "0.5235987755982988730771072305465838140329");
    EXPECT_EQ(Do(OCINumberArcCos, "1"), "0");
    EXPECT_EQ(Do(OCINumberArcTan2, "1", "-1"), "2.35619449019234492884698253745962716314");
    EXPECT_EQ(Do(OCINumberHypSin, "1"), "1.17520119364380145688238185059560081515");
    EXPECT_EQ(Do(OCINumberHypCos, "1"), "1.5430806348152437784779056207570616826");
    EXPECT_EQ(Do(OCINumberHypTan, "1"), "0.7615941559557648881194582826047935904128");
    OCINumber b = N("1.5"), r;
    ASSERT_EQ(OCINumberIntPower(err, &b, -3, &r), OCI_SUCCESS);
    EXPECT_EQ(S(r), "0.2962962962962962962962962962962962962963");
    // 4 * atan(1) stored is the stored pi.
    OCINumber one = N("1"), four = N("4"), atan1, fourAtan, pi;
    ASSERT_EQ(OCINumberArcTan(err, &one, &atan1), OCI_SUCCESS);
    ASSERT_EQ(OCINumberMul(err, &atan1, &four, &fourAtan), OCI_SUCCESS);
    OCINumberSetPi(err, &pi);
    EXPECT_EQ(std::memcmp(&pi, &fourAtan, sizeof pi), 0);
    // Domain errors fail.
    OCINumber m = N("-1");
    EXPECT_EQ(OCINumberSqrt(err, &m, &r), OCI_ERROR);
    EXPECT_EQ(OCINumberLn(err, &m, &r), OCI_ERROR);
    OCINumber two = N("2");
    EXPECT_EQ(OCINumberArcSin(err, &two, &r), OCI_ERROR);
    // Results beyond the NUMBER range overflow, however far beyond.
    for (const char *x : {"300", "1E100"}) {
        OCINumber big = N(x);
        EXPECT_EQ(OCINumberExp(err, &big, &r), OCI_ERROR) << x;
        EXPECT_EQ(Code(), 1426) << x;
    }
}

TEST_F(NumberApi, ComparisonAndTests) {
    OCINumber a = N("-2"), b = N("-1.5");
    sword result = 9;
    ASSERT_EQ(OCINumberCmp(err, &a, &b, &result), OCI_SUCCESS);
    EXPECT_EQ(result, -1);
    ASSERT_EQ(OCINumberCmp(err, &b, &b, &result), OCI_SUCCESS);
    EXPECT_EQ(result, 0);
    ASSERT_EQ(OCINumberSign(err, &a, &result), OCI_SUCCESS);
    EXPECT_EQ(result, -1);
    OCINumber zero;
    OCINumberSetZero(err, &zero);
    ASSERT_EQ(OCINumberSign(err, &zero, &result), OCI_SUCCESS);
    EXPECT_EQ(result, 0);
    boolean flag = 0;
    // Bytes past the length are not looked at.
    zero.OCINumberPart[5] = 0x42;
    ASSERT_EQ(OCINumberIsZero(err, &zero, &flag), OCI_SUCCESS);
    EXPECT_TRUE(flag);
    ASSERT_EQ(OCINumberIsZero(err, &a, &flag), OCI_SUCCESS);
    EXPECT_FALSE(flag);
    ASSERT_EQ(OCINumberIsInt(err, &a, &flag), OCI_SUCCESS);
    EXPECT_TRUE(flag);
    ASSERT_EQ(OCINumberIsInt(err, &b, &flag), OCI_SUCCESS);
    EXPECT_FALSE(flag);
    OCINumber copy;
    ASSERT_EQ(OCINumberAssign(err, &b, &copy), OCI_SUCCESS);
    EXPECT_EQ(std::memcmp(&b, &copy, sizeof b), 0);
}

TEST_F(NumberApi, RoundPrecTruncShift) {
    OCINumber r, n;
    auto round = [&](const char *v, sword places) {
        n = N(v);
        EXPECT_EQ(OCINumberRound(err, &n, places, &r), OCI_SUCCESS);
        return S(r);
    };
    EXPECT_EQ(round("2.5", 0), "3");
    EXPECT_EQ(round("-2.5", 0), "-3");
    EXPECT_EQ(round("0.125", 2), "0.13");
    EXPECT_EQ(round("0.04", 0), "0");
    EXPECT_EQ(OCINumberRound(err, &n, -1, &r), OCI_ERROR);
    EXPECT_EQ(Code(), 3001);
    EXPECT_EQ(OCINumberRound(err, &n, 39, &r), OCI_ERROR);
    EXPECT_EQ(Code(), 1426);

    auto trunc = [&](const char *v, sword places) {
        n = N(v);
        EXPECT_EQ(OCINumberTrunc(err, &n, places, &r), OCI_SUCCESS);
        return S(r);
    };
    EXPECT_EQ(trunc("123.456", 1), "123.4");
    EXPECT_EQ(trunc("123.456", -1), "120");
    EXPECT_EQ(trunc("-123.456", 0), "-123");
    EXPECT_EQ(trunc("123.456", -5), "0");

    n = N("123.456");
    ASSERT_EQ(OCINumberPrec(err, &n, 4, &r), OCI_SUCCESS);
    EXPECT_EQ(S(r), "123.5");
    EXPECT_EQ(OCINumberPrec(err, &n, 0, &r), OCI_ERROR);
    EXPECT_EQ(S(r), "0");

    n = N("1.5");
    ASSERT_EQ(OCINumberShift(err, &n, 3, &r), OCI_SUCCESS);
    EXPECT_EQ(S(r), "1500");
    ASSERT_EQ(OCINumberShift(err, &n, -2, &r), OCI_SUCCESS);
    EXPECT_EQ(S(r), "0.015");
}

TEST_F(NumberApi, IntegersConvertExactlyWithRangeErrors) {
    OCINumber n;
    const int64_t big = 1234567890123456789;
    ASSERT_EQ(OCINumberFromInt(err, &big, sizeof big, OCI_NUMBER_SIGNED, &n), OCI_SUCCESS);
    EXPECT_EQ(S(n), "1234567890123456789");
    for (int64_t v : {INT64_MIN, INT64_MAX, int64_t{-1}}) {
        int64_t back = 0;
        ASSERT_EQ(OCINumberFromInt(err, &v, 8, OCI_NUMBER_SIGNED, &n), OCI_SUCCESS);
        ASSERT_EQ(OCINumberToInt(err, &n, 8, OCI_NUMBER_SIGNED, &back), OCI_SUCCESS);
        EXPECT_EQ(back, v);
    }
    const uint64_t umax = UINT64_MAX;
    uint64_t uback = 0;
    ASSERT_EQ(OCINumberFromInt(err, &umax, 8, OCI_NUMBER_UNSIGNED, &n), OCI_SUCCESS);
    EXPECT_EQ(S(n), "18446744073709551615");
    ASSERT_EQ(OCINumberToInt(err, &n, 8, OCI_NUMBER_UNSIGNED, &uback), OCI_SUCCESS);
    EXPECT_EQ(uback, UINT64_MAX);
    int64_t sback = 7;
    EXPECT_EQ(OCINumberToInt(err, &n, 8, OCI_NUMBER_SIGNED, &sback), OCI_ERROR);
    EXPECT_EQ(Code(), 22053);
    EXPECT_EQ(sback, 7);

    int8_t i8 = 7;
    uint8_t u8 = 0;
    n = N("300");
    EXPECT_EQ(OCINumberToInt(err, &n, 1, OCI_NUMBER_SIGNED, &i8), OCI_ERROR);
    EXPECT_EQ(Code(), 22053);
    EXPECT_EQ(i8, 7);
    n = N("-129");
    EXPECT_EQ(OCINumberToInt(err, &n, 1, OCI_NUMBER_SIGNED, &i8), OCI_ERROR);
    EXPECT_EQ(Code(), 22054);
    n = N("-1");
    EXPECT_EQ(OCINumberToInt(err, &n, 1, OCI_NUMBER_UNSIGNED, &u8), OCI_ERROR);
    EXPECT_EQ(Code(), 22054);
    n = N("255.9");
    ASSERT_EQ(OCINumberToInt(err, &n, 1, OCI_NUMBER_UNSIGNED, &u8), OCI_SUCCESS);
    EXPECT_EQ(u8, 255);
    n = N("-32768.5");
    int16_t i16 = 0;
    ASSERT_EQ(OCINumberToInt(err, &n, 2, OCI_NUMBER_SIGNED, &i16), OCI_SUCCESS);
    EXPECT_EQ(i16, -32768);
    // Unknown sizes and sign flags fail without a record.
    EXPECT_EQ(OCINumberToInt(err, &n, 3, OCI_NUMBER_SIGNED, &i16), OCI_ERROR);
    EXPECT_EQ(OCINumberToInt(err, &n, 2, 1, &i16), OCI_ERROR);
    EXPECT_EQ(OCINumberFromInt(err, &i16, 16, OCI_NUMBER_SIGNED, &n), OCI_ERROR);
    EXPECT_EQ(Code(), -1);
}

TEST_F(NumberApi, RealsConvertWithOverflowAsAnError) {
    OCINumber pi;
    OCINumberSetPi(err, &pi);
    const ub1 bytes[] = {21,   0xC1, 0x04, 0x0F, 0x10, 0x5D, 0x42, 0x24, 0x5A, 0x50, 0x21,
                         0x27, 0x2F, 0x1B, 0x2C, 0x27, 0x21, 0x50, 0x33, 0x1D, 0x55, 0x14};
    EXPECT_EQ(std::memcmp(pi.OCINumberPart, bytes, sizeof bytes), 0);
    double d = 0;
    ASSERT_EQ(OCINumberToReal(err, &pi, sizeof d, &d), OCI_SUCCESS);
    EXPECT_EQ(d, M_PI);
    float f = 0;
    ASSERT_EQ(OCINumberToReal(err, &pi, sizeof f, &f), OCI_SUCCESS);
    EXPECT_EQ(f, static_cast<float>(M_PI));
    OCINumber big = N("1E100");
    f = 5;
    EXPECT_EQ(OCINumberToReal(err, &big, sizeof f, &f), OCI_ERROR);
    EXPECT_EQ(Code(), 22053);
    EXPECT_EQ(f, 5);
    EXPECT_EQ(OCINumberToReal(err, &big, 2, &f), OCI_ERROR);

    const OCINumber *list[] = {&pi, &big};
    double out[2] = {};
    ASSERT_EQ(OCINumberToRealArray(err, list, 2, sizeof(double), out), OCI_SUCCESS);
    EXPECT_EQ(out[0], M_PI);
    EXPECT_EQ(out[1], 1e100);

    OCINumber n;
    const float tenth = 0.1f;
    ASSERT_EQ(OCINumberFromReal(err, &tenth, sizeof tenth, &n), OCI_SUCCESS);
    EXPECT_EQ(S(n), "0.100000001490116");
    const double third = 1.0 / 3;
    ASSERT_EQ(OCINumberFromReal(err, &third, sizeof third, &n), OCI_SUCCESS);
    EXPECT_EQ(S(n), "0.333333333333333");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(OCINumberFromReal(err, &nan, sizeof nan, &n), OCI_ERROR);
    EXPECT_EQ(Code(), 1722);
    EXPECT_EQ(OCINumberFromReal(err, &third, 2, &n), OCI_ERROR);
}

TEST_F(NumberApi, TextByFormatModel) {
    EXPECT_EQ(S(N("-0.50")), "-0.5");
    EXPECT_EQ(Formatted("1.5", "999D99"), "  1.50");
    EXPECT_EQ(Formatted("1234", "9G999"), "1,234");
    EXPECT_EQ(Formatted("12", "9G999"), "   12");
    EXPECT_EQ(Formatted("-12.345", "99D99"), "-12.35");
    EXPECT_EQ(Formatted("0.5", "D9"), ".5");
    sword rc = 0;
    Formatted("12345", "999", &rc);
    EXPECT_EQ(rc, OCI_ERROR);
    EXPECT_EQ(Code(), 22065);
    Formatted("1", "G99", &rc);
    EXPECT_EQ(rc, OCI_ERROR);
    EXPECT_EQ(Code(), 22061);
    // The text must fit the buffer with its terminator; nothing is written past it.
    OCINumber n = N("123.25");
    oratext buf[8];
    std::memset(buf, '#', sizeof buf);
    ub4 size = 6;
    EXPECT_EQ(OCINumberToText(err, &n, reinterpret_cast<const oratext *>("TM9"), 3, nullptr, 0, &size, buf), OCI_ERROR);
    EXPECT_EQ(buf[0], '#');
    size = 7;
    ASSERT_EQ(OCINumberToText(err, &n, reinterpret_cast<const oratext *>("TM9"), 3, nullptr, 0, &size, buf), OCI_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_STREQ(reinterpret_cast<char *>(buf), "123.25");
    EXPECT_EQ(buf[7], '#');

    auto fromText = [&](const char *text, const char *format) {
        return OCINumberFromText(err, reinterpret_cast<const oratext *>(text), static_cast<ub4>(std::strlen(text)),
                                 reinterpret_cast<const oratext *>(format), format ? static_cast<ub4>(std::strlen(format)) : 0,
                                 nullptr, 0, &n);
    };
    ASSERT_EQ(fromText("1,234.5", "9G999D9"), OCI_SUCCESS);
    EXPECT_EQ(S(n), "1234.5");
    EXPECT_EQ(fromText("12,34.5", "9G999D9"), OCI_ERROR);
    EXPECT_EQ(Code(), 22062);
    EXPECT_EQ(fromText("1234.5", "9G999D9"), OCI_ERROR);
    EXPECT_EQ(Code(), 22062);
    EXPECT_EQ(fromText("1,234", "G9999"), OCI_ERROR);
    EXPECT_EQ(Code(), 22061);
    EXPECT_EQ(fromText("12x", nullptr), OCI_ERROR);
    EXPECT_EQ(Code(), 22062);
    EXPECT_EQ(OCINumberFromText(err, reinterpret_cast<const oratext *>("1"), 0, nullptr, 0, nullptr, 0, &n), OCI_ERROR);
    // The length bounds the text.
    ASSERT_EQ(OCINumberFromText(err, reinterpret_cast<const oratext *>("12345"), 2, nullptr, 0, nullptr, 0, &n),
              OCI_SUCCESS);
    EXPECT_EQ(S(n), "12");
}

}  // namespace

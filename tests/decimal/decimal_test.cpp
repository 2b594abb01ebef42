// The decimal engine: exact arithmetic, rounding, text, and the functions
// checked at 40 significant digits against reference values (computed
// independently with mpmath at 120 digits and rounded half away from zero)
// and against identities.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "decimal/decimal.h"

using namespace decimal;

namespace {

Decimal D(const char *text) {
    Decimal d;
    EXPECT_TRUE(d.SetText(text)) << text;
    return d;
}

// Equal as numbers (the text may be written any way SetText reads).
::testing::AssertionResult Same(const Decimal &got, const char *want) {
    if (Compare(got, D(want)) == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got " << got.ToScientific() << ", want " << want;
}

using Fn = bool (*)(const Decimal &, int, Decimal *);
Decimal At40(Fn fn, const char *arg) {
    Decimal out;
    EXPECT_TRUE(fn(D(arg), kOracleDigits, &out)) << arg;
    return out;
}

TEST(DecimalText, ParsesTheFormsTheConvertersWrite) {
    EXPECT_TRUE(Same(D("0.0123E4"), "123"));
    EXPECT_TRUE(Same(D("-0.50"), "-0.5"));
    EXPECT_TRUE(Same(D("0.0"), "0"));
    EXPECT_TRUE(Same(D(" +.5 "), "0.5"));
    EXPECT_TRUE(Same(D("5."), "5"));
    for (const char *bad : {"", " ", "abc", "1e", "1.2.3", "--1", "1e+", ".", "1 2", "1E999999999"}) {
        Decimal d = Decimal::FromInt(7);
        EXPECT_FALSE(d.SetText(bad)) << bad;
        EXPECT_TRUE(Same(d, "7")) << "a failed load leaves the value";
    }
    // The length bounds the text.
    Decimal d;
    EXPECT_TRUE(d.SetText("12345", 3));
    EXPECT_TRUE(Same(d, "123"));
}

TEST(DecimalText, WritesFixedIntegerAndScientificText) {
    EXPECT_EQ(D("2.5").ToFixed(0), "3");
    EXPECT_EQ(D("-2.5").ToFixed(0), "-3");
    EXPECT_EQ(D("0.125").ToFixed(2), "0.13");
    EXPECT_EQ(D("-0.004").ToFixed(2), "0.00");  // rounds to zero: no "-"
    EXPECT_EQ(D("123").ToFixed(3), "123.000");
    EXPECT_EQ(D("0.0001").ToFixed(6), "0.000100");
    EXPECT_EQ(D("-12.9").ToInteger(), "-12");
    EXPECT_EQ(D("0.9").ToInteger(), "0");
    EXPECT_EQ(D("12E2").ToInteger(), "1200");
    EXPECT_EQ(D("-0.0120").ToScientific(), "-12E-3");
    EXPECT_EQ(Decimal().ToScientific(), "0");
}

TEST(DecimalExact, AddSubMulNegAreExact) {
    EXPECT_TRUE(Same(Add(D("0.1"), D("0.2")), "0.3"));
    EXPECT_TRUE(Same(Sub(D("1"), D("1E-100")), std::string("0." + std::string(100, '9')).c_str()));
    // Far apart exponents keep every digit.
    Decimal wide = Add(D("1E125"), D("1E-129"));
    EXPECT_EQ(wide.Digits(), 255);
    const char *a = "1234567890123456789012345678901234567890";
    const char *b = "9876543210987654321098765432109876543210";
    EXPECT_TRUE(Same(Mul(D(a), D(b)),
                     "12193263113702179522618503273386678859448712086533622923332237463801111263526900"));
    EXPECT_TRUE(Same(Neg(D("-3.5")), "3.5"));
    EXPECT_TRUE(Same(Abs(D("-3.5")), "3.5"));
    EXPECT_TRUE(Same(Shift(D("1.5"), -3), "0.0015"));
    EXPECT_EQ(Compare(D("-2"), D("-1")), -1);
    EXPECT_EQ(Compare(D("1E5"), D("99999.99")), 1);
    EXPECT_EQ(Compare(D("0.50"), D("0.5")), 0);
}

TEST(DecimalExact, IntegerDivisionTruncatesAndTheRemainderHasTheDividendsSign) {
    Decimal q, r;
    ASSERT_TRUE(DivMod(D("-11"), D("4"), &q, &r));
    EXPECT_TRUE(Same(q, "-2"));
    EXPECT_TRUE(Same(r, "-3"));
    ASSERT_TRUE(DivMod(D("7.5"), D("2"), &q, &r));
    EXPECT_TRUE(Same(r, "1.5"));
    // A quotient of 254 digits, still exact.
    ASSERT_TRUE(DivMod(D("1E125"), D("3E-129"), &q, &r));
    EXPECT_TRUE(Same(Add(Mul(q, D("3E-129")), r), "1E125"));
    EXPECT_TRUE(Same(r, "1E-129"));
    EXPECT_FALSE(DivMod(D("1"), Decimal(), &q, &r));
}

TEST(DecimalExact, RoundingHalvesAwayFromZero) {
    EXPECT_TRUE(Same(RoundPlaces(D("2.5"), 0), "3"));
    EXPECT_TRUE(Same(RoundPlaces(D("-2.5"), 0), "-3"));
    EXPECT_TRUE(Same(RoundPlaces(D("1250"), -2), "1300"));
    EXPECT_TRUE(Same(RoundPlaces(D("0.04"), 0), "0"));
    EXPECT_TRUE(Same(TruncPlaces(D("123.456"), 1), "123.4"));
    EXPECT_TRUE(Same(TruncPlaces(D("123.456"), -1), "120"));
    EXPECT_TRUE(Same(TruncPlaces(D("-123.456"), 2), "-123.45"));
    EXPECT_TRUE(Same(RoundDigits(D("9.995"), 3), "10.0"));
    EXPECT_TRUE(Same(RoundDigits(D("-0.00012345"), 4), "-0.0001235"));
    EXPECT_TRUE(Same(TruncDigits(D("0.99999999"), 3), "0.999"));
    EXPECT_TRUE(Same(Ceil(D("-1.5")), "-1"));
    EXPECT_TRUE(Same(Floor(D("-1.5")), "-2"));
    EXPECT_TRUE(Same(Trunc(D("-7.9")), "-7"));
    EXPECT_TRUE(D("12E3").IsInteger());
    EXPECT_FALSE(D("1.5").IsInteger());
    EXPECT_EQ(D("0.00123").Magnitude(), -3);
    EXPECT_EQ(D("123.4").Digits(), 4);
}

TEST(DecimalConvert, MachineNumbersRoundTripAtTheirExtremes) {
    int64_t i = 0;
    uint64_t u = 0;
    for (int64_t v : {INT64_MIN, INT64_MAX, int64_t{0}, int64_t{-1}, int64_t{1234567890123456789}}) {
        ASSERT_TRUE(Decimal::FromInt(v).ToInt64(&i));
        EXPECT_EQ(i, v);
    }
    EXPECT_EQ(Decimal::FromInt(INT64_MIN).ToInteger(), "-9223372036854775808");
    ASSERT_TRUE(Decimal::FromUInt(UINT64_MAX).ToUInt64(&u));
    EXPECT_EQ(u, UINT64_MAX);
    EXPECT_EQ(Decimal::FromUInt(UINT64_MAX).ToInteger(), "18446744073709551615");
    EXPECT_FALSE(D("9223372036854775808").ToInt64(&i));
    EXPECT_FALSE(D("-9223372036854775809").ToInt64(&i));
    EXPECT_FALSE(D("18446744073709551616").ToUInt64(&u));
    EXPECT_FALSE(D("-1").ToUInt64(&u));
    ASSERT_TRUE(D("-0.9").ToUInt64(&u));  // truncated first: 0
    EXPECT_EQ(u, 0u);
    ASSERT_TRUE(D("-9223372036854775808.7").ToInt64(&i));
    EXPECT_EQ(i, INT64_MIN);

    EXPECT_EQ(Pi(40).ToDouble(), M_PI);
    EXPECT_EQ(D("0.1").ToFloat(), 0.1f);
    EXPECT_EQ(D("1E400").ToDouble(), HUGE_VAL);
    EXPECT_EQ(D("-1E39").ToFloat(), -HUGE_VALF);

    Decimal d;
    ASSERT_TRUE(d.SetDouble(1234567890123456789.0, 15));
    EXPECT_TRUE(Same(d, "1.23456789012346E18"));
    ASSERT_TRUE(d.SetFloat(0.1f, 15));
    EXPECT_TRUE(Same(d, "0.100000001490116"));
    EXPECT_FALSE(d.SetDouble(std::numeric_limits<double>::quiet_NaN(), 15));
    EXPECT_FALSE(d.SetFloat(std::numeric_limits<float>::infinity(), 15));
}

TEST(DecimalFunctions, MatchReferenceValuesAt40Digits) {
    EXPECT_TRUE(Same(At40(Sqrt, "2"), "1.41421356237309504880168872420969807857"));
    EXPECT_TRUE(Same(Pi(40), "3.141592653589793238462643383279502884197"));
    EXPECT_TRUE(Same(At40(Exp, "1"), "2.718281828459045235360287471352662497757"));
    EXPECT_TRUE(Same(At40(Ln, "2"), "0.6931471805599453094172321214581765680755"));
    EXPECT_TRUE(Same(At40(Ln, "1.000000000000000000000000000000000000001"),
                     "9.999999999999999999999999999999999999995E-40"));
    EXPECT_TRUE(Same(At40(Log10, "2"), "0.3010299956639811952137388947244930267682"));
    EXPECT_TRUE(Same(At40(Sin, "1"), "0.8414709848078965066525023216302989996226"));
    EXPECT_TRUE(Same(At40(Cos, "1"), "0.5403023058681397174009366074429766037323"));
    EXPECT_TRUE(Same(At40(Acos, "0"), "1.570796326794896619231321691639751442099"));
    EXPECT_TRUE(Same(At40(Atan, "1"), "0.7853981633974483096156608458198757210493"));
    EXPECT_TRUE(Same(At40(Tanh, "1"), "0.7615941559557648881194582826047935904128"));
    // Arguments whose reduction needs far more than 40 digits of pi.
    EXPECT_TRUE(Same(At40(Sin, "1E30"), "-0.0901169019121380580303864289529873302744"));
    EXPECT_TRUE(Same(At40(Cos, "100000000000000000000.123456789"), "0.8376141848422024377353123772314891561692"));

    Decimal out;
    ASSERT_TRUE(Power(D("2"), D("0.5"), 40, &out));
    EXPECT_TRUE(Same(out, "1.41421356237309504880168872420969807857"));
    ASSERT_TRUE(Power(D("1.5"), D("2.5"), 40, &out));
    EXPECT_TRUE(Same(out, "2.755675960631075360471944584044127815962"));
    ASSERT_TRUE(Div(D("2"), D("3"), 40, &out));
    EXPECT_TRUE(Same(out, "0.6666666666666666666666666666666666666667"));
    ASSERT_TRUE(Log(D("3"), D("10"), 40, &out));
    EXPECT_TRUE(Same(out, "2.095903274289384604296567522021401250608"));
}

TEST(DecimalFunctions, ExactResultsComeOutExact) {
    Decimal out;
    EXPECT_TRUE(Same(At40(Sqrt, "4"), "2"));
    EXPECT_TRUE(Same(At40(Sqrt, "0.0001"), "0.01"));
    EXPECT_TRUE(Same(At40(Sqrt, "1E-101"), "3.162277660168379331998893544432718533720E-51"));
    ASSERT_TRUE(IntPower(D("2"), 100, 40, &out));
    EXPECT_TRUE(Same(out, "1267650600228229401496703205376"));
    ASSERT_TRUE(IntPower(D("1.1"), 2, 40, &out));
    EXPECT_TRUE(Same(out, "1.21"));
    ASSERT_TRUE(IntPower(D("2"), -2, 40, &out));
    EXPECT_TRUE(Same(out, "0.25"));
    ASSERT_TRUE(IntPower(D("1.0000001"), 100000, 40, &out));  // beyond the exact path
    EXPECT_TRUE(Same(out, "1.010050166579143007794674059842474194913"));
    ASSERT_TRUE(Power(D("6.25"), D("0.5"), 40, &out));
    EXPECT_TRUE(Same(out, "2.5"));
    ASSERT_TRUE(Power(D("-2"), D("3"), 40, &out));
    EXPECT_TRUE(Same(out, "-8"));
    ASSERT_TRUE(Log(D("2"), D("8"), 40, &out));
    EXPECT_TRUE(Same(out, "3"));
    ASSERT_TRUE(Log(D("10"), D("1000"), 40, &out));
    EXPECT_TRUE(Same(out, "3"));
    EXPECT_TRUE(Same(At40(Exp, "0"), "1"));
    EXPECT_TRUE(Same(At40(Ln, "1"), "0"));
    EXPECT_TRUE(Same(At40(Sin, "0"), "0"));
}

TEST(DecimalFunctions, IdentitiesHoldAt40Digits) {
    // exp(ln x) = x, each step rounded to 40 digits (ln with 5 guard digits).
    for (const char *x : {"7.5", "0.001", "12345.6789", "2"}) {
        Decimal l, e;
        ASSERT_TRUE(Ln(D(x), 45, &l));
        ASSERT_TRUE(Exp(l, 40, &e));
        EXPECT_TRUE(Same(e, x)) << x;
    }
    // sin^2 + cos^2 = 1 and 4 atan(1) = pi.
    for (const char *x : {"0.5", "1", "2.75", "-3", "1000.001"}) {
        Decimal s, c;
        ASSERT_TRUE(Sin(D(x), 45, &s));
        ASSERT_TRUE(Cos(D(x), 45, &c));
        EXPECT_TRUE(Same(RoundDigits(Add(Mul(s, s), Mul(c, c)), 40), "1")) << x;
    }
    Decimal a;
    ASSERT_TRUE(Atan(D("1"), 45, &a));
    EXPECT_EQ(Compare(RoundDigits(Mul(a, D("4")), 40), Pi(40)), 0);
    // sqrt(x)^2 = x.
    Decimal r;
    ASSERT_TRUE(Sqrt(D("3"), 45, &r));
    EXPECT_TRUE(Same(RoundDigits(Mul(r, r), 40), "3"));
}

TEST(DecimalFunctions, DomainErrorsAndOverflowFail) {
    Decimal out = D("42");
    EXPECT_FALSE(Sqrt(D("-1"), 40, &out));
    EXPECT_FALSE(Ln(Decimal(), 40, &out));
    EXPECT_FALSE(Ln(D("-1"), 40, &out));
    EXPECT_FALSE(Asin(D("2"), 40, &out));
    EXPECT_FALSE(Acos(D("-1.5"), 40, &out));
    EXPECT_FALSE(Div(D("1"), Decimal(), 40, &out));
    EXPECT_FALSE(IntPower(Decimal(), -1, 40, &out));
    EXPECT_FALSE(Power(D("-8"), D("0.5"), 40, &out));
    EXPECT_FALSE(Power(Decimal(), D("-0.5"), 40, &out));
    EXPECT_FALSE(Exp(D("1E6"), 40, &out));
    EXPECT_FALSE(Log(D("1"), D("5"), 40, &out));
    EXPECT_TRUE(Same(out, "42")) << "failures leave the output";
    // Underflow gives zero.
    ASSERT_TRUE(Exp(D("-1E6"), 40, &out));
    EXPECT_TRUE(out.IsZero());
}

}  // namespace

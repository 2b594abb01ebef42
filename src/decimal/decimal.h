// The decimal engine: arbitrary-precision decimal numbers for
// the OCINumber functions.
//
// A value is an integer coefficient times a power of ten, kept exactly.
// Addition, subtraction, multiplication, negation, comparison, integer
// division with remainder, ceiling, floor and the rounding functions are
// exact. Division and the square root are computed exactly too and rounded
// once to the requested number of significant digits. Powers with a real
// exponent, exp, the logarithms and the trigonometric and hyperbolic
// functions are evaluated by MPFR, correctly rounded at a binary precision
// well beyond the request and with the operands converted exactly enough
// for that, then rounded to the requested digits. Every rounding to digits
// takes halves away from zero.
//
// The coefficient lives in a GMP integer; this header names neither GMP nor
// MPFR, and nothing of the rest of the project is used here.
//
// A function that can fail returns false and leaves its output unchanged:
// text that is not a number, a division by zero, an argument outside the
// function's domain, or a result too large for any finite representation.
// Running out of memory is left to GMP, which aborts the process.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace decimal {

// The precision the OCINumber functions ask for.
constexpr int kOracleDigits = 40;

// Loaded values (text, MPFR results) must have a power of ten within this
// bound; it keeps every exact operation on values of the OCINumber range
// small and stops a text like "1E999999999" from asking for a billion digits.
constexpr int64_t kMaxPower = 100000;

class Decimal {
public:
    Decimal();  // zero
    Decimal(const Decimal &other);
    Decimal(Decimal &&other) noexcept;
    Decimal &operator=(const Decimal &other);
    Decimal &operator=(Decimal &&other) noexcept;
    ~Decimal();

    static Decimal FromInt(int64_t v);
    static Decimal FromUInt(uint64_t v);

    // "[ws][+|-]digits[.digits][(E|e)[+|-]digits][ws]" with digits on at
    // least one side of the point (".5", "5." and "0.0123E4" are numbers).
    // `len` bounds the text; the overload without it reads a nul-terminated one.
    bool SetText(const char *text, size_t len);
    bool SetText(const char *text);
    // A double or a single written with `digits` significant digits
    // ("%.*E") and loaded from that text; false for a NaN or an infinity.
    bool SetDouble(double v, int digits);
    bool SetFloat(float v, int digits);

    int Sign() const;  // -1, 0, 1
    bool IsZero() const { return Sign() == 0; }
    bool IsInteger() const;
    // Significant digits of the value (0 for zero).
    int64_t Digits() const;
    // Power of ten of the leading digit: 10^m <= |value| < 10^(m+1); 0 for zero.
    int64_t Magnitude() const;
    // Power of ten of the last significant digit; 0 for zero.
    int64_t LastPower() const { return exponent_; }

    // Fixed-point text with exactly `places` digits after the point (none
    // and no point when places <= 0), rounded there halves away from zero;
    // "-" for negatives, at least one digit before the point.
    std::string ToFixed(int64_t places) const;
    // The integer part (truncated toward zero) as text, e.g. "-12".
    std::string ToInteger() const;
    // All significant digits as "[-]digitsE<power>" (zero is "0"), the form
    // strtod reads exactly.
    std::string ToScientific() const;
    // Correctly rounded binary values; +-infinity when out of range, a
    // signed zero or subnormal when below it.
    double ToDouble() const;
    float ToFloat() const;
    // The value truncated toward zero when it fits, else false.
    bool ToInt64(int64_t *out) const;
    bool ToUInt64(uint64_t *out) const;

private:
    friend struct Access;
    alignas(8) unsigned char coefficient_[16];  // an mpz_t, opaque here
    int64_t exponent_ = 0;                      // value = coefficient * 10^exponent_
};

int Compare(const Decimal &a, const Decimal &b);

// Exact arithmetic.
Decimal Add(const Decimal &a, const Decimal &b);
Decimal Sub(const Decimal &a, const Decimal &b);
Decimal Mul(const Decimal &a, const Decimal &b);
Decimal Neg(const Decimal &a);
Decimal Abs(const Decimal &a);
// a * 10^n.
Decimal Shift(const Decimal &a, int64_t n);
// Integer quotient truncated toward zero and the remainder a - q * b, which
// has the sign of a. False when b is zero.
bool DivMod(const Decimal &a, const Decimal &b, Decimal *quotient, Decimal *remainder);

// Rounding, exact.
Decimal Ceil(const Decimal &a);
Decimal Floor(const Decimal &a);
Decimal Trunc(const Decimal &a);  // toward zero, to an integer
// To `places` digits after the point (negative: to tens, hundreds, ...).
Decimal RoundPlaces(const Decimal &a, int64_t places);  // halves away from zero
Decimal TruncPlaces(const Decimal &a, int64_t places);  // toward zero
// To `digits` (>= 1) significant digits.
Decimal RoundDigits(const Decimal &a, int64_t digits);  // halves away from zero
Decimal TruncDigits(const Decimal &a, int64_t digits);  // toward zero

// Results rounded to `digits` (>= 1) significant digits.
bool Div(const Decimal &a, const Decimal &b, int digits, Decimal *out);
bool Sqrt(const Decimal &a, int digits, Decimal *out);
bool IntPower(const Decimal &base, int64_t n, int digits, Decimal *out);  // 0^0 = 1
bool Power(const Decimal &base, const Decimal &exponent, int digits, Decimal *out);
bool Exp(const Decimal &a, int digits, Decimal *out);
bool Ln(const Decimal &a, int digits, Decimal *out);
bool Log10(const Decimal &a, int digits, Decimal *out);
// Logarithm of `a` to `base`, rounded once.
bool Log(const Decimal &base, const Decimal &a, int digits, Decimal *out);
bool Sin(const Decimal &a, int digits, Decimal *out);
bool Cos(const Decimal &a, int digits, Decimal *out);
bool Tan(const Decimal &a, int digits, Decimal *out);
bool Asin(const Decimal &a, int digits, Decimal *out);
bool Acos(const Decimal &a, int digits, Decimal *out);
bool Atan(const Decimal &a, int digits, Decimal *out);
bool Atan2(const Decimal &y, const Decimal &x, int digits, Decimal *out);  // atan2(0, 0) = 0
bool Sinh(const Decimal &a, int digits, Decimal *out);
bool Cosh(const Decimal &a, int digits, Decimal *out);
bool Tanh(const Decimal &a, int digits, Decimal *out);
// Pi rounded to `digits`.
Decimal Pi(int digits);

}  // namespace decimal

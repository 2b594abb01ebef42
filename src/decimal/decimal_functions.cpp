// The inexact functions of the decimal engine, evaluated by MPFR.
//
// An operand c * 10^e is converted to binary with enough bits that its
// rounding error cannot reach the requested digits: the bits of its integer
// part (so an integer operand, the only kind whose trigonometric argument
// reduction is delicate, converts exactly), plus the requested digits, plus
// 25 guard digits, plus what the function's conditioning asks for (the
// operand's magnitude for exp, sin, pow ...). MPFR then rounds the function
// correctly to a binary precision 15 digits beyond the request, the result
// is read back with 12 extra decimal digits and rounded once more, halves
// away from zero, to the requested digits.
#include <mpfr.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "decimal/decimal_internal.h"

namespace decimal {
namespace {

using Z = Access;

constexpr double kBitsPerDigit = 3.3219280948873623;  // log2(10)
constexpr int kGuardDigits = 25;
constexpr int kResultGuard = 15;
constexpr int kReadGuard = 12;

mpfr_prec_t BitsFor(int64_t digits) {
    return static_cast<mpfr_prec_t>(static_cast<double>(digits) * kBitsPerDigit) + 16;
}

// An mpfr_t that clears itself.
struct Real {
    mpfr_t v;
    explicit Real(mpfr_prec_t bits) { mpfr_init2(v, bits); }
    ~Real() { mpfr_clear(v); }
    Real(const Real &) = delete;
    Real &operator=(const Real &) = delete;
};

// Digits an operand's conditioning adds: its number of integer digits.
int64_t MagnitudeDigits(const Decimal &x) { return x.IsZero() ? 0 : std::max<int64_t>(0, x.Magnitude() + 1); }

// The result precision for `digits` digits.
mpfr_prec_t ResultBits(int digits) { return BitsFor(digits + kResultGuard); }

// Converts `x` into a fresh binary value rounded once (see the file comment).
void Load(const Decimal &x, int digits, int64_t extra, Real &out) {
    const int64_t e = Z::E(x);
    const int64_t needed = x.Digits() + std::max<int64_t>(0, e) + digits + kGuardDigits + extra;
    mpfr_set_prec(out.v, BitsFor(needed));
    mpfr_set_z(out.v, Z::Z(x), MPFR_RNDN);  // exact: the precision covers the coefficient
    if (e != 0) {
        Integer scratch;
        mpz_srcptr scale = PowerOfTen(e < 0 ? -e : e, scratch);
        if (e > 0) mpfr_mul_z(out.v, out.v, scale, MPFR_RNDN);  // exact as well
        else mpfr_div_z(out.v, out.v, scale, MPFR_RNDN);
    }
}

// Reads a binary result back as a decimal rounded to `digits`. A NaN or an
// infinity, or a value beyond kMaxPower, fails; one far below it is zero.
bool Store(const Real &y, int digits, Decimal *out) {
    if (!mpfr_number_p(y.v)) return false;
    if (mpfr_zero_p(y.v)) {
        *out = Decimal();
        return true;
    }
    mpfr_exp_t exp10 = 0;
    char *text = mpfr_get_str(nullptr, &exp10, 10, static_cast<size_t>(digits + kReadGuard), y.v, MPFR_RNDN);
    if (text == nullptr) return false;
    // value = 0.<digits> * 10^exp10
    const size_t n = std::strlen(text) - (text[0] == '-' ? 1 : 0);
    Decimal d;
    const bool ok = mpz_set_str(Z::Z(d), text, 10) == 0;
    mpfr_free_str(text);
    if (!ok) return false;
    const int64_t lastPower = static_cast<int64_t>(exp10) - static_cast<int64_t>(n);
    if (static_cast<int64_t>(exp10) - 1 > kMaxPower) return false;
    if (static_cast<int64_t>(exp10) - 1 < -kMaxPower) {
        *out = Decimal();
        return true;
    }
    Z::E(d) = lastPower;
    Z::Normalize(d);
    *out = RoundDigits(d, digits);
    return true;
}

using UnaryFn = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

bool Unary(UnaryFn fn, const Decimal &a, int digits, int64_t extra, Decimal *out) {
    if (digits < 1) return false;
    Real x(2), y(ResultBits(digits));
    Load(a, digits, extra, x);
    fn(y.v, x.v, MPFR_RNDN);
    return Store(y, digits, out);
}

}  // namespace

bool IntPower(const Decimal &base, int64_t n, int digits, Decimal *out) {
    if (digits < 1) return false;
    if (n == 0) {
        *out = Decimal::FromInt(1);
        return true;
    }
    if (base.IsZero()) {
        if (n < 0) return false;
        *out = Decimal();
        return true;
    }
    const uint64_t m = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
    // Exactly, while the exact power stays small.
    const int64_t magnitude = std::max<int64_t>(std::abs(base.Magnitude()), std::abs(Z::E(base))) + 1;
    if (m <= 4000 && static_cast<int64_t>(m) * base.Digits() <= 2000 &&
        static_cast<int64_t>(m) * magnitude <= kMaxPower) {
        Decimal p;
        mpz_pow_ui(Z::Z(p), Z::Z(base), static_cast<unsigned long>(m));
        Z::E(p) = Z::E(base) * static_cast<int64_t>(m);
        Z::Normalize(p);
        if (n < 0) return Div(Decimal::FromInt(1), p, digits, out);
        *out = RoundDigits(p, digits);
        return true;
    }
    // The base's rounding error is multiplied by |n|.
    Real x(2), y(ResultBits(digits));
    Load(base, digits, static_cast<int64_t>(std::to_string(m).size()) + 1, x);
    mpfr_pow_si(y.v, x.v, static_cast<long>(std::max<int64_t>(std::min<int64_t>(n, LONG_MAX), LONG_MIN)), MPFR_RNDN);
    return Store(y, digits, out);
}

bool Power(const Decimal &base, const Decimal &exponent, int digits, Decimal *out) {
    if (digits < 1) return false;
    int64_t n = 0;
    if (exponent.IsInteger() && exponent.ToInt64(&n) && n >= INT32_MIN && n <= INT32_MAX)
        return IntPower(base, n, digits, out);
    if (base.IsZero()) {
        if (exponent.Sign() < 0) return false;
        *out = Decimal();
        return true;
    }
    if (base.Sign() < 0 && !exponent.IsInteger()) return false;
    // Relative errors: the base's is multiplied by |exponent|, the
    // exponent's by |exponent * ln(base)|, which stays below a few
    // hundred thousand for any result that is not an overflow.
    const int64_t extra = MagnitudeDigits(exponent) + 8;
    Real x(2), e(2), y(ResultBits(digits));
    Load(base, digits, extra, x);
    Load(exponent, digits, extra, e);
    mpfr_pow(y.v, x.v, e.v, MPFR_RNDN);
    return Store(y, digits, out);
}

bool Exp(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_exp, a, digits, MagnitudeDigits(a), out); }
bool Ln(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_log, a, digits, 0, out); }
bool Log10(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_log10, a, digits, 0, out); }
bool Sin(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_sin, a, digits, MagnitudeDigits(a), out); }
bool Cos(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_cos, a, digits, MagnitudeDigits(a), out); }
bool Tan(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_tan, a, digits, MagnitudeDigits(a), out); }
bool Asin(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_asin, a, digits, 0, out); }
bool Acos(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_acos, a, digits, 0, out); }
bool Atan(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_atan, a, digits, 0, out); }
bool Sinh(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_sinh, a, digits, MagnitudeDigits(a), out); }
bool Cosh(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_cosh, a, digits, MagnitudeDigits(a), out); }
bool Tanh(const Decimal &a, int digits, Decimal *out) { return Unary(mpfr_tanh, a, digits, 0, out); }

bool Atan2(const Decimal &y, const Decimal &x, int digits, Decimal *out) {
    if (digits < 1) return false;
    Real ry(2), rx(2), r(ResultBits(digits));
    Load(y, digits, 0, ry);
    Load(x, digits, 0, rx);
    mpfr_atan2(r.v, ry.v, rx.v, MPFR_RNDN);
    return Store(r, digits, out);
}

bool Log(const Decimal &base, const Decimal &a, int digits, Decimal *out) {
    if (digits < 1) return false;
    // Both logarithms and the quotient at the result precision: three
    // correctly rounded steps, a few units in the last binary place, far
    // below the digits asked for; the quotient is rounded to digits once.
    const mpfr_prec_t bits = ResultBits(digits);
    Real rb(2), ra(2), lb(bits), la(bits), q(bits);
    Load(base, digits, 0, rb);
    Load(a, digits, 0, ra);
    mpfr_log(lb.v, rb.v, MPFR_RNDN);
    mpfr_log(la.v, ra.v, MPFR_RNDN);
    mpfr_div(q.v, la.v, lb.v, MPFR_RNDN);
    return Store(q, digits, out);
}

Decimal Pi(int digits) {
    Real p(ResultBits(std::max(digits, 1)));
    mpfr_const_pi(p.v, MPFR_RNDN);
    Decimal d;
    Store(p, std::max(digits, 1), &d);
    return d;
}

}  // namespace decimal

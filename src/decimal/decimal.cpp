// Exact decimal arithmetic on a GMP integer coefficient and a power of ten.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "decimal/decimal_internal.h"

namespace decimal {

static_assert(sizeof(mpz_t) <= 16, "the opaque coefficient must hold an mpz_t");
static_assert(alignof(__mpz_struct) <= 8, "the opaque coefficient must be aligned for an mpz_t");

namespace {

using Z = Access;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// |z| as decimal digits.
std::string DigitsOf(mpz_srcptr z) {
    std::string s(mpz_sizeinbase(z, 10) + 2, '\0');
    mpz_get_str(&s[0], 10, z);
    s.resize(std::strlen(s.c_str()));
    if (!s.empty() && s[0] == '-') s.erase(0, 1);
    return s;
}

// Loads a 64-bit magnitude (mpz_set_ui takes an unsigned long, which is
// 32 bits on some targets).
void SetMagnitude(mpz_ptr z, uint64_t v) { mpz_import(z, 1, -1, sizeof v, 0, 0, &v); }

// |z| when it has at most 64 bits.
bool GetMagnitude(mpz_srcptr z, uint64_t *out) {
    if (mpz_sizeinbase(z, 2) > 64) return false;
    uint64_t v = 0;
    size_t count = 0;
    mpz_export(&v, &count, -1, sizeof v, 0, 0, z);
    *out = count == 0 ? 0 : v;
    return true;
}

// The value rounded or truncated to a multiple of 10^power.
Decimal Quantize(const Decimal &a, int64_t power, bool round) {
    if (a.IsZero() || Z::E(a) >= power) return a;
    Decimal r;
    const int64_t drop = power - Z::E(a);
    if (drop > a.Digits() + 1) return r;  // every digit lies below the place: |a| < 10^(power-1)
    Integer scratch, rem;
    mpz_srcptr unit = PowerOfTen(drop, scratch);
    mpz_tdiv_qr(Z::Z(r), rem.z, Z::Z(a), unit);
    if (round) {
        mpz_mul_2exp(rem.z, rem.z, 1);
        if (mpz_cmpabs(rem.z, unit) >= 0) {
            if (a.Sign() > 0) mpz_add_ui(Z::Z(r), Z::Z(r), 1);
            else mpz_sub_ui(Z::Z(r), Z::Z(r), 1);
        }
    }
    Z::E(r) = power;
    Z::Normalize(r);
    return r;
}

// Brings two values to the smaller exponent: a's and b's coefficients
// scaled into `ca` and `cb`; returns that exponent.
int64_t Align(const Decimal &a, const Decimal &b, mpz_ptr ca, mpz_ptr cb) {
    const int64_t e = std::min(Z::E(a), Z::E(b));
    Integer scratch;
    mpz_mul(ca, Z::Z(a), PowerOfTen(Z::E(a) - e, scratch));
    mpz_mul(cb, Z::Z(b), PowerOfTen(Z::E(b) - e, scratch));
    return e;
}

}  // namespace

void Pow10(mpz_ptr out, int64_t n) {
    mpz_ui_pow_ui(out, 10, static_cast<unsigned long>(n < 0 ? 0 : n));
}

namespace {
// The powers of ten every operation on values of the OCINumber range needs
// (digit counts, alignment, rounding), made once and only read after.
struct PowerTable {
    static constexpr int64_t kSize = 400;
    mpz_t p[kSize];
    PowerTable() {
        for (int64_t i = 0; i < kSize; ++i) mpz_init(p[i]);
        mpz_set_ui(p[0], 1);
        for (int64_t i = 1; i < kSize; ++i) mpz_mul_ui(p[i], p[i - 1], 10);
    }
    ~PowerTable() {
        for (auto &z : p) mpz_clear(z);
    }
};
const PowerTable &Powers() {
    static const PowerTable table;
    return table;
}
}  // namespace

mpz_srcptr PowerOfTen(int64_t n, Integer &scratch) {
    if (n < 0) n = 0;
    if (n < PowerTable::kSize) return Powers().p[n];
    Pow10(scratch.z, n);
    return scratch.z;
}

int64_t DigitCount(mpz_srcptr z) {
    if (mpz_sgn(z) == 0) return 0;
    int64_t n = static_cast<int64_t>(mpz_sizeinbase(z, 10));  // exact or one too many
    if (n > 1) {
        Integer scratch;
        if (mpz_cmpabs(z, PowerOfTen(n - 1, scratch)) < 0) --n;
    }
    return n;
}

void Access::Normalize(Decimal &d) {
    mpz_ptr z = Z(d);
    if (mpz_sgn(z) == 0) {
        d.exponent_ = 0;
        return;
    }
    while (mpz_divisible_ui_p(z, 100000000UL)) {
        mpz_divexact_ui(z, z, 100000000UL);
        d.exponent_ += 8;
    }
    while (mpz_divisible_ui_p(z, 10UL)) {
        mpz_divexact_ui(z, z, 10UL);
        d.exponent_ += 1;
    }
}

Decimal::Decimal() { mpz_init(Z::Z(*this)); }
Decimal::Decimal(const Decimal &other) : exponent_(other.exponent_) { mpz_init_set(Z::Z(*this), Z::Z(other)); }
Decimal::Decimal(Decimal &&other) noexcept : exponent_(other.exponent_) {
    mpz_init(Z::Z(*this));
    mpz_swap(Z::Z(*this), Z::Z(other));
}
Decimal &Decimal::operator=(const Decimal &other) {
    if (this != &other) {
        mpz_set(Z::Z(*this), Z::Z(other));
        exponent_ = other.exponent_;
    }
    return *this;
}
Decimal &Decimal::operator=(Decimal &&other) noexcept {
    mpz_swap(Z::Z(*this), Z::Z(other));
    std::swap(exponent_, other.exponent_);
    return *this;
}
Decimal::~Decimal() { mpz_clear(Z::Z(*this)); }

Decimal Decimal::FromInt(int64_t v) {
    Decimal d;
    const uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    SetMagnitude(Z::Z(d), magnitude);
    if (v < 0) mpz_neg(Z::Z(d), Z::Z(d));
    Z::Normalize(d);
    return d;
}

Decimal Decimal::FromUInt(uint64_t v) {
    Decimal d;
    SetMagnitude(Z::Z(d), v);
    Z::Normalize(d);
    return d;
}

bool Decimal::SetText(const char *text) { return text != nullptr && SetText(text, std::strlen(text)); }

bool Decimal::SetText(const char *text, size_t len) {
    if (text == nullptr) return false;
    size_t i = 0;
    while (i < len && IsSpace(text[i])) ++i;
    bool negative = false;
    if (i < len && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::string digits;
    int64_t fraction = 0;
    bool any = false, point = false;
    for (; i < len; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            any = true;
            if (!(digits.empty() && c == '0')) digits.push_back(c);
            if (point) ++fraction;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!any) return false;
    int64_t power = 0;
    if (i < len && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool negativePower = false;
        if (i < len && (text[i] == '+' || text[i] == '-')) negativePower = text[i++] == '-';
        if (i >= len || !IsDigit(text[i])) return false;
        for (; i < len && IsDigit(text[i]); ++i) {
            power = power * 10 + (text[i] - '0');
            if (power > 4 * kMaxPower) return false;
        }
        if (negativePower) power = -power;
    }
    while (i < len && IsSpace(text[i])) ++i;
    if (i != len) return false;
    Decimal d;
    if (!digits.empty()) {
        if (static_cast<int64_t>(digits.size()) > 4 * kMaxPower) return false;
        mpz_set_str(Z::Z(d), digits.c_str(), 10);
        if (negative) mpz_neg(Z::Z(d), Z::Z(d));
        Z::E(d) = power - fraction;
        Z::Normalize(d);
        if (std::abs(d.Magnitude()) > kMaxPower || std::abs(Z::E(d)) > 2 * kMaxPower) return false;
    }
    *this = std::move(d);
    return true;
}

bool Decimal::SetDouble(double v, int digits) {
    if (!std::isfinite(v) || digits < 1) return false;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, std::min(digits, 40) - 1);
    if (res.ec != std::errc()) return false;
    return SetText(buf, static_cast<size_t>(res.ptr - buf));
}

bool Decimal::SetFloat(float v, int digits) { return SetDouble(static_cast<double>(v), digits); }

int Decimal::Sign() const { return mpz_sgn(Z::Z(*this)); }

bool Decimal::IsInteger() const { return IsZero() || exponent_ >= 0; }

int64_t Decimal::Digits() const { return DigitCount(Z::Z(*this)); }

int64_t Decimal::Magnitude() const { return IsZero() ? 0 : exponent_ + Digits() - 1; }

std::string Decimal::ToFixed(int64_t places) const {
    if (places < 0) places = 0;
    const Decimal r = RoundPlaces(*this, places);
    std::string digits = r.IsZero() ? "0" : DigitsOf(Z::Z(r));
    std::string out = r.Sign() < 0 ? "-" : "";
    const int64_t e = Z::E(r);
    if (e >= 0) {
        if (!r.IsZero()) digits.append(static_cast<size_t>(e), '0');
        out += digits;
        if (places > 0) out += "." + std::string(static_cast<size_t>(places), '0');
        return out;
    }
    const size_t frac = static_cast<size_t>(-e);  // <= places
    if (digits.size() <= frac) digits.insert(0, frac + 1 - digits.size(), '0');
    out.append(digits, 0, digits.size() - frac);
    out += ".";
    out.append(digits, digits.size() - frac, frac);
    out.append(static_cast<size_t>(places) - frac, '0');
    return out;
}

std::string Decimal::ToInteger() const {
    const Decimal t = Trunc(*this);
    if (t.IsZero()) return "0";
    std::string out = t.Sign() < 0 ? "-" : "";
    out += DigitsOf(Z::Z(t));
    out.append(static_cast<size_t>(Z::E(t)), '0');
    return out;
}

std::string Decimal::ToScientific() const {
    if (IsZero()) return "0";
    std::string out = Sign() < 0 ? "-" : "";
    out += DigitsOf(Z::Z(*this));
    out += "E" + std::to_string(exponent_);
    return out;
}

double Decimal::ToDouble() const {
    // Beyond these the result is an infinity or a zero anyway; cutting them
    // off keeps strtod from reading a giant exponent.
    if (!IsZero() && Magnitude() > 400) return Sign() * HUGE_VAL;
    if (!IsZero() && Magnitude() < -400) return Sign() < 0 ? -0.0 : 0.0;
    return std::strtod(ToScientific().c_str(), nullptr);
}

float Decimal::ToFloat() const {
    if (!IsZero() && Magnitude() > 400) return static_cast<float>(Sign() * HUGE_VALF);
    if (!IsZero() && Magnitude() < -400) return Sign() < 0 ? -0.0f : 0.0f;
    return std::strtof(ToScientific().c_str(), nullptr);
}

bool Decimal::ToInt64(int64_t *out) const {
    const Decimal t = Trunc(*this);
    if (t.Magnitude() > 19) return false;
    Integer z, scratch;
    mpz_mul(z.z, Z::Z(t), PowerOfTen(Z::E(t), scratch));
    uint64_t magnitude;
    if (!GetMagnitude(z.z, &magnitude)) return false;
    if (mpz_sgn(z.z) >= 0) {
        if (magnitude > static_cast<uint64_t>(INT64_MAX)) return false;
        *out = static_cast<int64_t>(magnitude);
    } else {
        if (magnitude > static_cast<uint64_t>(INT64_MAX) + 1) return false;
        *out = static_cast<int64_t>(0 - magnitude);
    }
    return true;
}

bool Decimal::ToUInt64(uint64_t *out) const {
    const Decimal t = Trunc(*this);
    if (t.Sign() < 0 || t.Magnitude() > 19) return false;
    Integer z, scratch;
    mpz_mul(z.z, Z::Z(t), PowerOfTen(Z::E(t), scratch));
    return GetMagnitude(z.z, out);
}

int Compare(const Decimal &a, const Decimal &b) {
    const int sa = a.Sign(), sb = b.Sign();
    if (sa != sb) return sa < sb ? -1 : 1;
    if (sa == 0) return 0;
    const int64_t ma = a.Magnitude(), mb = b.Magnitude();
    if (ma != mb) return (ma < mb) == (sa > 0) ? -1 : 1;
    Integer ca, cb;
    Align(a, b, ca.z, cb.z);
    const int c = mpz_cmp(ca.z, cb.z);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Decimal Add(const Decimal &a, const Decimal &b) {
    if (a.IsZero()) return b;
    if (b.IsZero()) return a;
    Decimal r;
    Integer cb;
    Z::E(r) = Align(a, b, Z::Z(r), cb.z);
    mpz_add(Z::Z(r), Z::Z(r), cb.z);
    Z::Normalize(r);
    return r;
}

Decimal Sub(const Decimal &a, const Decimal &b) { return Add(a, Neg(b)); }

Decimal Mul(const Decimal &a, const Decimal &b) {
    Decimal r;
    mpz_mul(Z::Z(r), Z::Z(a), Z::Z(b));
    Z::E(r) = Z::E(a) + Z::E(b);
    Z::Normalize(r);
    return r;
}

Decimal Neg(const Decimal &a) {
    Decimal r(a);
    mpz_neg(Z::Z(r), Z::Z(r));
    return r;
}

Decimal Abs(const Decimal &a) {
    Decimal r(a);
    mpz_abs(Z::Z(r), Z::Z(r));
    return r;
}

Decimal Shift(const Decimal &a, int64_t n) {
    Decimal r(a);
    if (!r.IsZero()) Z::E(r) += n;
    return r;
}

bool DivMod(const Decimal &a, const Decimal &b, Decimal *quotient, Decimal *remainder) {
    if (b.IsZero()) return false;
    Decimal q, rem;
    Integer ca, cb;
    const int64_t e = Align(a, b, ca.z, cb.z);
    mpz_tdiv_qr(Z::Z(q), Z::Z(rem), ca.z, cb.z);
    Z::Normalize(q);
    Z::E(rem) = e;
    Z::Normalize(rem);
    if (quotient != nullptr) *quotient = std::move(q);
    if (remainder != nullptr) *remainder = std::move(rem);
    return true;
}

Decimal Trunc(const Decimal &a) { return Quantize(a, 0, false); }

Decimal Ceil(const Decimal &a) {
    Decimal t = Trunc(a);
    if (a.Sign() > 0 && Compare(t, a) != 0) t = Add(t, Decimal::FromInt(1));
    return t;
}

Decimal Floor(const Decimal &a) {
    Decimal t = Trunc(a);
    if (a.Sign() < 0 && Compare(t, a) != 0) t = Sub(t, Decimal::FromInt(1));
    return t;
}

Decimal RoundPlaces(const Decimal &a, int64_t places) { return Quantize(a, -places, true); }
Decimal TruncPlaces(const Decimal &a, int64_t places) { return Quantize(a, -places, false); }

Decimal RoundDigits(const Decimal &a, int64_t digits) {
    if (a.IsZero()) return a;
    return RoundPlaces(a, std::max<int64_t>(digits, 1) - 1 - a.Magnitude());
}

Decimal TruncDigits(const Decimal &a, int64_t digits) {
    if (a.IsZero()) return a;
    return TruncPlaces(a, std::max<int64_t>(digits, 1) - 1 - a.Magnitude());
}

bool Div(const Decimal &a, const Decimal &b, int digits, Decimal *out) {
    if (b.IsZero() || digits < 1) return false;
    if (a.IsZero()) {
        *out = Decimal();
        return true;
    }
    // Scale so that the integer quotient has at least digits + 2 digits;
    // a nonzero remainder then adds a sticky last digit, so rounding sees
    // exactly whether the rest lies below, at or above a half.
    Integer num, den, rem, scratch;
    mpz_abs(num.z, Z::Z(a));
    mpz_abs(den.z, Z::Z(b));
    int64_t k = digits + 2 + DigitCount(den.z) - DigitCount(num.z);
    mpz_srcptr scale = PowerOfTen(k < 0 ? -k : k, scratch);
    if (k >= 0) mpz_mul(num.z, num.z, scale);
    else mpz_mul(den.z, den.z, scale);
    Decimal q;
    mpz_tdiv_qr(Z::Z(q), rem.z, num.z, den.z);
    if (mpz_sgn(rem.z) != 0) {
        mpz_mul_ui(Z::Z(q), Z::Z(q), 10);
        mpz_add_ui(Z::Z(q), Z::Z(q), 1);
        ++k;
    }
    if (a.Sign() != b.Sign()) mpz_neg(Z::Z(q), Z::Z(q));
    Z::E(q) = Z::E(a) - Z::E(b) - k;
    Z::Normalize(q);
    *out = RoundDigits(q, digits);
    return true;
}

bool Sqrt(const Decimal &a, int digits, Decimal *out) {
    if (a.Sign() < 0 || digits < 1) return false;
    if (a.IsZero()) {
        *out = Decimal();
        return true;
    }
    // c * 10^k with at least 2 * (digits + 2) digits and an even exponent
    // left over, whose integer root then has at least digits + 2 digits.
    const int64_t want = 2 * (static_cast<int64_t>(digits) + 2);
    int64_t k = std::max<int64_t>(0, want - a.Digits());
    if (((Z::E(a) - k) % 2) != 0) ++k;
    Integer n, scratch, rem;
    mpz_mul(n.z, Z::Z(a), PowerOfTen(k, scratch));
    Decimal s;
    mpz_sqrtrem(Z::Z(s), rem.z, n.z);
    int64_t e = (Z::E(a) - k) / 2;
    if (mpz_sgn(rem.z) != 0) {
        mpz_mul_ui(Z::Z(s), Z::Z(s), 10);
        mpz_add_ui(Z::Z(s), Z::Z(s), 1);
        --e;
    }
    Z::E(s) = e;
    Z::Normalize(s);
    *out = RoundDigits(s, digits);
    return true;
}

}  // namespace decimal

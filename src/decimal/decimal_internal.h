// What the engine's two sources share: the GMP coefficient behind a value
// and the helpers on it. Private to src/decimal.
#pragma once
#include <gmp.h>

#include "decimal/decimal.h"

namespace decimal {

struct Access {
    static mpz_ptr Z(Decimal &d) { return reinterpret_cast<mpz_ptr>(d.coefficient_); }
    static mpz_srcptr Z(const Decimal &d) { return reinterpret_cast<mpz_srcptr>(d.coefficient_); }
    static int64_t &E(Decimal &d) { return d.exponent_; }
    static int64_t E(const Decimal &d) { return d.exponent_; }
    // Strips trailing zero digits into the exponent; zero gets exponent 0.
    static void Normalize(Decimal &d);
};

// 10^n into `out` (n >= 0).
void Pow10(mpz_ptr out, int64_t n);
struct Integer;
// 10^n (n >= 0): a shared table entry for small n, else computed into
// `scratch`; valid while `scratch` lives.
mpz_srcptr PowerOfTen(int64_t n, Integer &scratch);
// Decimal digits of |z| (0 for zero).
int64_t DigitCount(mpz_srcptr z);

// An mpz_t that clears itself.
struct Integer {
    mpz_t z;
    Integer() { mpz_init(z); }
    ~Integer() { mpz_clear(z); }
    Integer(const Integer &) = delete;
    Integer &operator=(const Integer &) = delete;
};

}  // namespace decimal

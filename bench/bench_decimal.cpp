// Cost per operation of the decimal engine and of the OCINumber calls built
// on it; no server. Prints nanoseconds per call.
//   bench_decimal [iterations-scale]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <oci.h>

#include "decimal/decimal.h"

namespace {

volatile long g_sink;

template <class F> void Time(const char *name, long n, F f) {
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < n; ++i) f();
    const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-28s %10.0f ns\n", name, ns / static_cast<double>(n));
}

}  // namespace

int main(int argc, char **argv) {
    const long scale = argc > 1 ? std::atol(argv[1]) : 1;
    const long fast = 200000 * scale, slow = 20000 * scale;
    using namespace decimal;
    Decimal a, b, r;
    a.SetText("1.234567890123456789012345678901234567891");
    b.SetText("98765.43210987654321098765432109876543210");

    std::printf("engine (40 significant digits)\n");
    Time("SetText", slow, [&] { g_sink += r.SetText("1.234567890123456789012345678901234567891"); });
    Time("Add", fast, [&] { r = Add(a, b); });
    Time("Mul", fast, [&] { r = Mul(a, b); });
    Time("Div", slow, [&] { Div(a, b, kOracleDigits, &r); });
    Time("Sqrt", slow, [&] { Sqrt(b, kOracleDigits, &r); });
    Time("RoundDigits", fast, [&] { r = RoundDigits(b, 20); });
    Time("ToFixed(40)", slow, [&] { g_sink += static_cast<long>(a.ToFixed(40).size()); });
    Time("Exp", slow, [&] { Exp(a, kOracleDigits, &r); });
    Time("Ln", slow, [&] { Ln(b, kOracleDigits, &r); });
    Time("Power (real exponent)", slow, [&] { Power(b, a, kOracleDigits, &r); });
    Time("Sin", slow, [&] { Sin(a, kOracleDigits, &r); });
    Time("Sin (argument 1E30)", slow, [&] { Sin(Shift(a, 30), kOracleDigits, &r); });
    Time("Atan", slow, [&] { Atan(a, kOracleDigits, &r); });
    Time("Tanh", slow, [&] { Tanh(a, kOracleDigits, &r); });

    OCIEnv *env = nullptr;
    void *errh = nullptr;
    if (OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS ||
        OCIHandleAlloc(env, &errh, OCI_HTYPE_ERROR, 0, nullptr) != OCI_SUCCESS)
        return 1;
    OCIError *err = static_cast<OCIError *>(errh);
    OCINumber x, y, z;
    const char *tx = "1.234567890123456789012345678901234567891", *ty = "98765.4321098765432109876543210987654321";
    OCINumberFromText(err, reinterpret_cast<const oratext *>(tx), static_cast<ub4>(std::strlen(tx)), nullptr, 0,
                      nullptr, 0, &x);
    OCINumberFromText(err, reinterpret_cast<const oratext *>(ty), static_cast<ub4>(std::strlen(ty)), nullptr, 0,
                      nullptr, 0, &y);
    std::printf("OCINumber calls (load, compute, store)\n");
    Time("OCINumberAdd", slow, [&] { OCINumberAdd(err, &x, &y, &z); });
    Time("OCINumberMul", slow, [&] { OCINumberMul(err, &x, &y, &z); });
    Time("OCINumberDiv", slow, [&] { OCINumberDiv(err, &x, &y, &z); });
    Time("OCINumberSqrt", slow, [&] { OCINumberSqrt(err, &y, &z); });
    Time("OCINumberExp", slow, [&] { OCINumberExp(err, &x, &z); });
    Time("OCINumberLn", slow, [&] { OCINumberLn(err, &y, &z); });
    Time("OCINumberSin", slow, [&] { OCINumberSin(err, &x, &z); });
    Time("OCINumberPower", slow, [&] { OCINumberPower(err, &y, &x, &z); });
    Time("OCINumberRound", slow, [&] { OCINumberRound(err, &y, 5, &z); });
    const long long i = 1234567890123456789LL;
    Time("OCINumberFromInt (8 bytes)", slow, [&] { OCINumberFromInt(err, &i, 8, OCI_NUMBER_SIGNED, &z); });
    double d;
    Time("OCINumberToReal (double)", slow, [&] { OCINumberToReal(err, &y, sizeof d, &d); });
    oratext buf[64];
    Time("OCINumberToText (TM9)", slow, [&] {
        ub4 size = sizeof buf;
        OCINumberToText(err, &y, reinterpret_cast<const oratext *>("TM9"), 3, nullptr, 0, &size, buf);
    });
    OCIHandleFree(env, OCI_HTYPE_ENV);
    return 0;
}

// OCINumber: arithmetic, powers, roots, logarithms and the trigonometric
// and hyperbolic functions. Each result is computed by the decimal engine
// (exactly, or correctly rounded to 40 significant digits) and stored
// truncated to the 40 digits an OCINumber holds.
#include "types/number_api.h"

using decimal::Decimal;
using decimal::kOracleDigits;
using namespace number_api;

namespace {

using UnaryFn = bool (*)(const Decimal &, int, Decimal *);
using BinaryFn = bool (*)(const Decimal &, const Decimal &, int, Decimal *);

// A failure of the engine: division by zero has its own error; a domain
// error (the root of a negative, the logarithm of zero ...) none.
sword EngineFailure(OCIError *err, bool byZero) { return byZero ? Fail(err, kErrDivisionByZero) : OCI_ERROR; }

// `overflows`: the function is defined everywhere, so a failure of the
// engine means a result too large for any number.
sword Unary(const char *name, OCIError *err, const OCINumber *number, OCINumber *result, UnaryFn fn,
            bool overflows = false) {
    return NumberEntry(name, err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (result == nullptr) return Missing(err, "3");
        Decimal a, r;
        if (!Load(number, &a)) return OCI_ERROR;
        if (!fn(a, kOracleDigits, &r)) return overflows ? Fail(err, kErrNumericOverflow) : OCI_ERROR;
        return Store(err, r, result);
    }, OCI_ARGS(err, number, result));
}

// `divides`: a zero second operand is a division by zero.
sword Binary(const char *name, OCIError *err, const OCINumber *number1, const OCINumber *number2,
             OCINumber *result, BinaryFn fn, bool divides = false) {
    return NumberEntry(name, err, [&]() -> sword {
        if (AbsentOperand(number1)) return Missing(err, "2");
        if (AbsentOperand(number2)) return Missing(err, "3");
        if (result == nullptr) return Missing(err, "4");
        Decimal a, b, r;
        if (!Load(number1, &a) || !Load(number2, &b)) return OCI_ERROR;
        if (!fn(a, b, kOracleDigits, &r)) return EngineFailure(err, divides && b.IsZero());
        return Store(err, r, result);
    }, OCI_ARGS(err, number1, number2, result));
}

bool AddFn(const Decimal &a, const Decimal &b, int, Decimal *r) {
    *r = decimal::Add(a, b);
    return true;
}
bool SubFn(const Decimal &a, const Decimal &b, int, Decimal *r) {
    *r = decimal::Sub(a, b);
    return true;
}
bool MulFn(const Decimal &a, const Decimal &b, int, Decimal *r) {
    *r = decimal::Mul(a, b);
    return true;
}
bool ModFn(const Decimal &a, const Decimal &b, int, Decimal *r) { return decimal::DivMod(a, b, nullptr, r); }

}  // namespace

OCI_EXPORT sword OCINumberAdd(OCIError *err, const OCINumber *number1, const OCINumber *number2, OCINumber *result) {
    return Binary("OCINumberAdd", err, number1, number2, result, AddFn);
}

OCI_EXPORT sword OCINumberSub(OCIError *err, const OCINumber *number1, const OCINumber *number2, OCINumber *result) {
    return Binary("OCINumberSub", err, number1, number2, result, SubFn);
}

OCI_EXPORT sword OCINumberMul(OCIError *err, const OCINumber *number1, const OCINumber *number2, OCINumber *result) {
    return Binary("OCINumberMul", err, number1, number2, result, MulFn);
}

OCI_EXPORT sword OCINumberDiv(OCIError *err, const OCINumber *number1, const OCINumber *number2, OCINumber *result) {
    return Binary("OCINumberDiv", err, number1, number2, result, decimal::Div, true);
}

// The remainder of the division truncated toward zero: it has the sign of
// the dividend.
OCI_EXPORT sword OCINumberMod(OCIError *err, const OCINumber *number1, const OCINumber *number2, OCINumber *result) {
    return Binary("OCINumberMod", err, number1, number2, result, ModFn, true);
}

OCI_EXPORT sword OCINumberPower(OCIError *err, const OCINumber *base, const OCINumber *number, OCINumber *result) {
    return Binary("OCINumberPower", err, base, number, result, decimal::Power);
}

// The logarithm of `number` to `base`.
OCI_EXPORT sword OCINumberLog(OCIError *err, const OCINumber *base, const OCINumber *number, OCINumber *result) {
    return Binary("OCINumberLog", err, base, number, result, decimal::Log);
}

OCI_EXPORT sword OCINumberArcTan2(OCIError *err, const OCINumber *number1, const OCINumber *number2,
                                  OCINumber *result) {
    return Binary("OCINumberArcTan2", err, number1, number2, result, decimal::Atan2);
}

OCI_EXPORT sword OCINumberIntPower(OCIError *err, const OCINumber *base, const sword exp, OCINumber *result) {
    return NumberEntry("OCINumberIntPower", err, [&]() -> sword {
        if (base == nullptr) return Missing(err, "2");
        if (result == nullptr) return Missing(err, "4");
        Decimal a, r;
        if (!Load(base, &a)) return OCI_ERROR;
        if (!decimal::IntPower(a, exp, kOracleDigits, &r)) return EngineFailure(err, a.IsZero() && exp < 0);
        return Store(err, r, result);
    }, OCI_ARGS(err, base, exp, result));
}

OCI_EXPORT sword OCINumberSqrt(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberSqrt", err, number, result, decimal::Sqrt);
}

OCI_EXPORT sword OCINumberExp(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberExp", err, number, result, decimal::Exp, true);
}

OCI_EXPORT sword OCINumberLn(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberLn", err, number, result, decimal::Ln);
}

OCI_EXPORT sword OCINumberSin(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberSin", err, number, result, decimal::Sin);
}

OCI_EXPORT sword OCINumberCos(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberCos", err, number, result, decimal::Cos);
}

OCI_EXPORT sword OCINumberTan(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberTan", err, number, result, decimal::Tan);
}

OCI_EXPORT sword OCINumberArcSin(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberArcSin", err, number, result, decimal::Asin);
}

OCI_EXPORT sword OCINumberArcCos(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberArcCos", err, number, result, decimal::Acos);
}

OCI_EXPORT sword OCINumberArcTan(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberArcTan", err, number, result, decimal::Atan);
}

OCI_EXPORT sword OCINumberHypSin(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberHypSin", err, number, result, decimal::Sinh, true);
}

OCI_EXPORT sword OCINumberHypCos(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberHypCos", err, number, result, decimal::Cosh, true);
}

OCI_EXPORT sword OCINumberHypTan(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Unary("OCINumberHypTan", err, number, result, decimal::Tanh);
}

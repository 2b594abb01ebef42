// OCINumber: the shared helpers, the byte-level calls (zero, pi, tests,
// assignment) and the exact ones (comparison, sign changes, ceiling and
// floor, rounding, truncation, shifting, increment and decrement).
#include "types/number_api.h"

#include <cstring>
#include <string>

#include "types/number_format.h"

using decimal::Decimal;
using namespace number_api;

namespace number_api {

sword Fail(OCIError *err, sb4 code) {
    AddErrorRecord(err, OCI_ERROR, code);
    return OCI_ERROR;
}

sword Missing(OCIError *err, const char *position) {
    AddErrorRecordStringX(err, OCI_ERROR, kErrBadArgument, 1, position);
    return OCI_ERROR;
}

bool Load(const OCINumber *number, Decimal *out) {
    char text[kVarnumTextSize];
    if (ConvertVARNUMToString(number->OCINumberPart, text, sizeof text) != 0) return false;
    return out->SetText(text);
}

void StoreZero(OCINumber *out) {
    std::memset(out->OCINumberPart, 0, sizeof out->OCINumberPart);
    out->OCINumberPart[0] = 1;
    out->OCINumberPart[1] = 0x80;
}

sword Store(OCIError *err, const Decimal &value, OCINumber *out) {
    const Decimal kept = decimal::TruncDigits(value, kNumberMaxDigits);
    // Far outside the NUMBER range either way: decided without writing the
    // (long) text. Closer values are judged by the text converter, which
    // turns a value too small for the form into zero.
    if (kept.IsZero() || kept.Magnitude() < -200) {
        StoreZero(out);
        return OCI_SUCCESS;
    }
    if (kept.Magnitude() > 200) return Fail(err, kErrNumericOverflow);
    // Every kept digit is written: no place below the point is cut off.
    const std::string text = kept.ToFixed(-kept.LastPower());
    ub1 bytes[kVarnumSize];
    if (ConvertStringToVARNUM(text.c_str(), text.size(), bytes) != 0) return Fail(err, kErrNumericOverflow);
    std::memcpy(out->OCINumberPart, bytes, sizeof bytes);
    return OCI_SUCCESS;
}

}  // namespace number_api

namespace {

// Pi truncated to what an OCINumber holds.
constexpr ub1 kPi[OCI_NUMBER_SIZE] = {21,   0xC1, 0x04, 0x0F, 0x10, 0x5D, 0x42, 0x24, 0x5A, 0x50, 0x21,
                                      0x27, 0x2F, 0x1B, 0x2C, 0x27, 0x21, 0x50, 0x33, 0x1D, 0x55, 0x14};

// number -> result through an exact engine operation.
template <class Op>
sword Exact(const char *name, OCIError *err, const OCINumber *number, OCINumber *result, Op op) {
    return NumberEntry(name, err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (result == nullptr) return Missing(err, "3");
        Decimal a;
        if (!Load(number, &a)) return OCI_ERROR;
        return Store(err, op(a), result);
    }, OCI_ARGS(err, number, result));
}

// number, integer argument -> result.
template <class Op>
sword WithPlaces(const char *name, OCIError *err, const OCINumber *number, sword places, OCINumber *result,
                 Op op) {
    return NumberEntry(name, err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (result == nullptr) return Missing(err, "4");
        Decimal a;
        if (!Load(number, &a)) return OCI_ERROR;
        return op(a, result);
    }, OCI_ARGS(err, number, places, result));
}

// number += step, in place.
sword Step(const char *name, OCIError *err, OCINumber *number, int step) {
    return NumberEntry(name, err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        Decimal a;
        if (!Load(number, &a)) return OCI_ERROR;
        return Store(err, decimal::Add(a, Decimal::FromInt(step)), number);
    }, OCI_ARGS(err, number));
}

}  // namespace

OCI_EXPORT void OCINumberSetZero(OCIError *err, OCINumber *num) {
    NumberEntry("OCINumberSetZero", err, [&]() -> sword {
        if (num == nullptr) return Missing(err, "2");
        StoreZero(num);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, num));
}

OCI_EXPORT void OCINumberSetPi(OCIError *err, OCINumber *num) {
    NumberEntry("OCINumberSetPi", err, [&]() -> sword {
        if (num == nullptr) return Missing(err, "2");
        std::memcpy(num->OCINumberPart, kPi, sizeof kPi);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, num));
}

OCI_EXPORT sword OCINumberIsZero(OCIError *err, const OCINumber *number, boolean *result) {
    return NumberEntry("OCINumberIsZero", err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (result == nullptr) return Missing(err, "3");
        // Bytes beyond the length are not part of the value.
        *result = number->OCINumberPart[0] == 1 && number->OCINumberPart[1] == 0x80;
        return OCI_SUCCESS;
    }, OCI_ARGS(err, number, result));
}

OCI_EXPORT sword OCINumberSign(OCIError *err, const OCINumber *number, sword *result) {
    return NumberEntry("OCINumberSign", err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (result == nullptr) return Missing(err, "3");
        const ub1 length = number->OCINumberPart[0];
        if (length < 1 || length > kNumberSize) return OCI_ERROR;
        const ub1 head = number->OCINumberPart[1];
        *result = head == 0x80 ? 0 : ((head & 0x80) != 0 ? 1 : -1);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, number, result));
}

OCI_EXPORT sword OCINumberAssign(OCIError *err, const OCINumber *from, OCINumber *to) {
    return NumberEntry("OCINumberAssign", err, [&]() -> sword {
        if (from == nullptr) return Missing(err, "2");
        if (to == nullptr) return Missing(err, "3");
        std::memmove(to->OCINumberPart, from->OCINumberPart, sizeof to->OCINumberPart);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, from, to));
}

OCI_EXPORT sword OCINumberCmp(OCIError *err, const OCINumber *number1, const OCINumber *number2, sword *result) {
    return NumberEntry("OCINumberCmp", err, [&]() -> sword {
        if (AbsentOperand(number1)) return Missing(err, "2");
        if (AbsentOperand(number2)) return Missing(err, "3");
        if (result == nullptr) return Missing(err, "4");
        Decimal a, b;
        if (!Load(number1, &a) || !Load(number2, &b)) return OCI_ERROR;
        *result = decimal::Compare(a, b);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, number1, number2, result));
}

OCI_EXPORT sword OCINumberIsInt(OCIError *err, const OCINumber *number, boolean *result) {
    return NumberEntry("OCINumberIsInt", err, [&]() -> sword {
        if (number == nullptr) return Missing(err, "2");
        if (result == nullptr) return Missing(err, "3");
        Decimal a;
        if (!Load(number, &a)) return OCI_ERROR;
        *result = a.IsInteger();
        return OCI_SUCCESS;
    }, OCI_ARGS(err, number, result));
}

OCI_EXPORT sword OCINumberNeg(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Exact("OCINumberNeg", err, number, result, [](const Decimal &a) { return decimal::Neg(a); });
}

OCI_EXPORT sword OCINumberAbs(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Exact("OCINumberAbs", err, number, result, [](const Decimal &a) { return decimal::Abs(a); });
}

OCI_EXPORT sword OCINumberCeil(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Exact("OCINumberCeil", err, number, result, [](const Decimal &a) { return decimal::Ceil(a); });
}

OCI_EXPORT sword OCINumberFloor(OCIError *err, const OCINumber *number, OCINumber *result) {
    return Exact("OCINumberFloor", err, number, result, [](const Decimal &a) { return decimal::Floor(a); });
}

OCI_EXPORT sword OCINumberInc(OCIError *err, OCINumber *number) { return Step("OCINumberInc", err, number, 1); }

OCI_EXPORT sword OCINumberDec(OCIError *err, OCINumber *number) { return Step("OCINumberDec", err, number, -1); }

// Rounds to `decplace` places after the point, halves away from zero.
// Negative places are not supported (3001); more than 38 overflow (1426);
// exactly 38 leaves the value as it is.
OCI_EXPORT sword OCINumberRound(OCIError *err, const OCINumber *number, sword decplace, OCINumber *result) {
    return WithPlaces("OCINumberRound", err, number, decplace, result, [&](const Decimal &a, OCINumber *out) {
        if (decplace < 0) return Fail(err, kErrNotSupported);
        if (decplace > 38) return Fail(err, kErrNumericOverflow);
        if (decplace == 38) {
            std::memmove(out->OCINumberPart, number->OCINumberPart, sizeof out->OCINumberPart);
            return OCI_SUCCESS;
        }
        return Store(err, decimal::RoundPlaces(a, decplace), out);
    });
}

// Rounds to `nDigs` significant digits; fewer than 1 sets the result to
// zero and fails.
OCI_EXPORT sword OCINumberPrec(OCIError *err, const OCINumber *number, eword nDigs, OCINumber *result) {
    return WithPlaces("OCINumberPrec", err, number, nDigs, result, [&](const Decimal &a, OCINumber *out) {
        if (nDigs < 1) {
            StoreZero(out);
            return OCI_ERROR;
        }
        return Store(err, decimal::RoundDigits(a, nDigs), out);
    });
}

// Cuts the value toward zero `decplace` places after the point; negative
// places zero that many integer digits.
OCI_EXPORT sword OCINumberTrunc(OCIError *err, const OCINumber *number, sword decplace, OCINumber *result) {
    return WithPlaces("OCINumberTrunc", err, number, decplace, result, [&](const Decimal &a, OCINumber *out) {
        return Store(err, decimal::TruncPlaces(a, decplace), out);
    });
}

// number * 10^nDig.
OCI_EXPORT sword OCINumberShift(OCIError *err, const OCINumber *number, const sword nDig, OCINumber *result) {
    return WithPlaces("OCINumberShift", err, number, nDig, result, [&](const Decimal &a, OCINumber *out) {
        return Store(err, decimal::Shift(a, nDig), out);
    });
}

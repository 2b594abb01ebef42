// What the OCINumber entry points share: the handle check and the trace
// around every call, argument errors, and the road of a value from an
// OCINumber into the decimal engine and back.
#pragma once
#include <oci.h>

#include <utility>

#include "decimal/decimal.h"
#include "diag/entry.h"
#include "env/handles.h"

namespace number_api {

// Error numbers of this family.
constexpr sb4 kErrNumericOverflow = 1426;
constexpr sb4 kErrDivisionByZero = 1476;
constexpr sb4 kErrNumberInvalid = 1722;
constexpr sb4 kErrNotSupported = 3001;
constexpr sb4 kErrOverflow = 22053;
constexpr sb4 kErrUnderflow = 22054;
constexpr sb4 kErrFormatInvalid = 22061;
constexpr sb4 kErrInputInvalid = 22062;
constexpr sb4 kErrFormatTranslation = 22065;

// Adds error `code` and returns OCI_ERROR.
sword Fail(OCIError *err, sb4 code);
// Error 21560 naming the argument's position (the error handle is 1).
sword Missing(OCIError *err, const char *position);

// An operand of a two-number function: a length byte of 0 counts as missing.
inline bool AbsentOperand(const OCINumber *n) { return n == nullptr || n->OCINumberPart[0] == 0; }

// The value of an OCINumber; false when its bytes are not a number.
bool Load(const OCINumber *number, decimal::Decimal *out);
// Stores a result truncated to 40 significant digits. A value beyond the
// NUMBER range adds 1426 (numeric overflow) and returns OCI_ERROR leaving
// `out` as it was; one below it is stored as zero.
sword Store(OCIError *err, const decimal::Decimal &value, OCINumber *out);
void StoreZero(OCINumber *out);

// Runs one call: an error handle that is missing or of another kind gives
// OCI_INVALID_HANDLE; otherwise the usual entry sequence (trace, callbacks,
// clearing the handle) around `work`.
template <class Work, class... Args>
sword NumberEntry(const char *name, OCIError *err, Work &&work, const char *argNames, Args... args) {
    if (HandleAs<OCIError>(err, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({name, 0}, EnvOfHandle(err), err, std::forward<Work>(work), argNames, args...);
}

// One number to a real; OCI_ERROR with 22053 when out of range, OCI_ERROR
// without a record for a size other than 4 or 8.
sword ToReal(OCIError *err, const OCINumber *number, uword size, void *out);

}  // namespace number_api

// Binary-string binds: the application's bytes go to bytea unchanged.
#include <cstring>

#include "types/bind_converters.h"

using namespace bindconv;

namespace {

constexpr sb4 kMaxLongSize = 0x7FFFFFFF;
constexpr sb4 kMaxVarrawSize = 65535;
constexpr ub4 kMaxVarrawLength = 65534;     // length words from here on are invalid
constexpr ub4 kMaxLongVarrawLength = 0x7FFFFFFA;

int SendPrefixed(const void *value, sb4 size, size_t prefix, ub4 length, char **out, ub4 *outLength,
                 ub1 *outFormat) {
    // The length word must describe bytes inside the declared size.
    if (length > static_cast<ub4>(size) - prefix) return Fail(out, outLength, outFormat);
    return EmitBinary(static_cast<const char *>(value) + prefix, length, out, outLength, outFormat);
}

}  // namespace

int ConvertSQLT_BINToBYTEAOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                              char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < 0) return Fail(out, outLength, outFormat);
    return EmitBinary(value, static_cast<size_t>(size), out, outLength, outFormat);
}

int ConvertSQLT_LBIToBYTEAOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                              char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < 0 || size == kMaxLongSize) return Fail(out, outLength, outFormat);
    return EmitBinary(value, static_cast<size_t>(size), out, outLength, outFormat);
}

int ConvertSQLT_VBIToBYTEAOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                              char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < 2 || size > kMaxVarrawSize) return Fail(out, outLength, outFormat);
    ub2 length;
    std::memcpy(&length, value, sizeof length);
    if (length == 0 || length >= kMaxVarrawLength) return Fail(out, outLength, outFormat);
    return SendPrefixed(value, size, 2, length, out, outLength, outFormat);
}

int ConvertSQLT_LVBToBYTEAOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                              char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < 4 || size == kMaxLongSize) return Fail(out, outLength, outFormat);
    ub4 length;
    std::memcpy(&length, value, sizeof length);
    if (length == 0 || length > kMaxLongVarrawLength) return Fail(out, outLength, outFormat);
    return SendPrefixed(value, size, 4, length, out, outLength, outFormat);
}

// Numeric binds: integers, floating point and Oracle NUMBER/VARNUM into the
// server's binary send formats.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "types/bind_converters.h"
#include "types/number_format.h"

using namespace bindconv;

namespace {

// The application's integer of 1, 2, 4 or 8 bytes, widened; false for any
// other size. SQLT_INT values are signed, SQLT_UIN values unsigned.
bool ReadInteger(const void *value, sb4 size, bool isSigned, uint64_t *out) {
    switch (size) {
    case 1: {
        uint8_t v;
        std::memcpy(&v, value, 1);
        *out = isSigned ? static_cast<uint64_t>(static_cast<int64_t>(static_cast<int8_t>(v))) : v;
        return true;
    }
    case 2: {
        uint16_t v;
        std::memcpy(&v, value, 2);
        *out = isSigned ? static_cast<uint64_t>(static_cast<int64_t>(static_cast<int16_t>(v))) : v;
        return true;
    }
    case 4: {
        uint32_t v;
        std::memcpy(&v, value, 4);
        *out = isSigned ? static_cast<uint64_t>(static_cast<int64_t>(static_cast<int32_t>(v))) : v;
        return true;
    }
    case 8: std::memcpy(out, value, 8); return true;
    default: return false;
    }
}

}  // namespace

bool PackInteger(const void *value, sb4 size, bool isSigned, size_t width, unsigned char *dest) {
    uint64_t v = 0;
    if (!ReadInteger(value, size, isSigned, &v)) return false;
    StoreBigEndian(dest, v, width);
    return true;
}

namespace {

// Application integers come in 1, 2, 4 or 8 bytes; any other size cannot be
// read as a number and is refused rather than sent as 0.
constexpr sb4 kErrIllegalConversion = 1460;

// An integer bind of `width` bytes: the value's low bytes, big-endian.
int SendInteger(OCIError *errhp, const void *value, sb4 size, bool isSigned, size_t width, char **out,
                ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < 1) return EmitNull(out, outLength, outFormat, 1);
    unsigned char bytes[8];
    if (!PackInteger(value, size, isSigned, width, bytes))
        return FailWith(errhp, kErrIllegalConversion, out, outLength, outFormat);
    return EmitBinary(bytes, width, out, outLength, outFormat);
}

// A host-order numeric record handed out in the send format; the record's
// allocation becomes the produced value.
int SendNumeric(NumericVar *var, char **out, ub4 *outLength, ub1 *outFormat) {
    const size_t bytes = ConvertNumericFromHostToNetOrder(var);
    *out = reinterpret_cast<char *>(var);
    *outLength = static_cast<ub4>(bytes);
    *outFormat = 1;
    return 0;
}

int SendFloatBits(uint64_t bits, size_t width, char **out, ub4 *outLength, ub1 *outFormat) {
    unsigned char bytes[8];
    StoreBigEndian(bytes, bits, width);
    return EmitBinary(bytes, width, out, outLength, outFormat);
}

}  // namespace

int ConvertSQLT_INTToCHAROID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return SendInteger(errhp, value, size, true, 1, out, outLength, outFormat);
}

int ConvertSQLT_INTToINT2OID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return SendInteger(errhp, value, size, true, 2, out, outLength, outFormat);
}

int ConvertSQLT_INTToINT4OID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return SendInteger(errhp, value, size, true, 4, out, outLength, outFormat);
}

int ConvertSQLT_INTToINT8OID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return SendInteger(errhp, value, size, true, 8, out, outLength, outFormat);
}

int ConvertSQLT_UINToINT2OID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return SendInteger(errhp, value, size, false, 2, out, outLength, outFormat);
}

int ConvertSQLT_UINToINT4OID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return SendInteger(errhp, value, size, false, 4, out, outLength, outFormat);
}

int ConvertSQLT_UINToINT8OID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return SendInteger(errhp, value, size, false, 8, out, outLength, outFormat);
}

int ConvertSQLT_INTToNUMERICOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                                char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < 1) return EmitNull(out, outLength, outFormat, 1);
    uint64_t v = 0;
    if (!ReadInteger(value, size, true, &v)) return FailWith(errhp, kErrIllegalConversion, out, outLength, outFormat);
    char buf[24];
    std::snprintf(buf, sizeof buf, "%" PRId64, static_cast<int64_t>(v));
    NumericVar *var = nullptr;
    if (ConvertStringToNumeric(buf, &var) != 0) return Fail(out, outLength, outFormat);
    return SendNumeric(var, out, outLength, outFormat);
}

int ConvertSQLT_FLTToFLOAT4OID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                               char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < 4) return Fail(out, outLength, outFormat);
    float f;
    if (size == 8) {
        double d;
        std::memcpy(&d, value, sizeof d);
        f = static_cast<float>(d);
    } else {
        std::memcpy(&f, value, sizeof f);
    }
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return SendFloatBits(bits, 4, out, outLength, outFormat);
}

int ConvertSQLT_FLTToFLOAT8OID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                               char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || (size != 4 && size != 8)) return Fail(out, outLength, outFormat);
    double d;
    if (size == 4) {
        float f;
        std::memcpy(&f, value, sizeof f);
        d = f;
    } else {
        std::memcpy(&d, value, sizeof d);
    }
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return SendFloatBits(bits, 8, out, outLength, outFormat);
}

namespace {
// The application's NUMBER (21 bytes) or VARNUM as a new numeric record;
// null when the bytes are not one.
NumericVar *ReadNUMBER(const void *value, sb4 size) {
    NumericVar *var = nullptr;
    if (value == nullptr || size < static_cast<sb4>(kNumberSize) ||
        ConvertNUMBERToNumeric(static_cast<const ub1 *>(value), kNumberSize, &var) != 0)
        return nullptr;
    return var;
}

NumericVar *ReadVARNUM(const void *value, sb4 size) {
    const auto *number = static_cast<const ub1 *>(value);
    // The count byte must describe bytes inside the declared size.
    if (number == nullptr || size < 1 || size > static_cast<sb4>(kVarnumSize) || number[0] + 1 > size) return nullptr;
    NumericVar *var = nullptr;
    return ConvertVARNUMBERToNumeric(number, &var) == 0 ? var : nullptr;
}

// A number as its plain decimal text (the record is released here).
int SendNumberText(NumericVar *var, char **out, ub4 *outLength, ub1 *outFormat) {
    char *text = ConvertNumericToString(var);
    free_var(var);
    if (text == nullptr) return Fail(out, outLength, outFormat);
    const int rc = EmitText(text, std::strlen(text), out, outLength, outFormat);
    std::free(text);
    return rc;
}
}  // namespace

int ConvertSQLT_NUMToNUMERICOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                                char **out, ub4 *outLength, ub1 *outFormat) {
    NumericVar *var = ReadNUMBER(value, size);
    return var != nullptr ? SendNumeric(var, out, outLength, outFormat) : Fail(out, outLength, outFormat);
}

int ConvertSQLT_NUMToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    NumericVar *var = ReadNUMBER(value, size);
    return var != nullptr ? SendNumberText(var, out, outLength, outFormat) : Fail(out, outLength, outFormat);
}

int ConvertSQLT_VNUToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    NumericVar *var = ReadVARNUM(value, size);
    return var != nullptr ? SendNumberText(var, out, outLength, outFormat) : Fail(out, outLength, outFormat);
}

int ConvertSQLT_VNUToNUMERICOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                                char **out, ub4 *outLength, ub1 *outFormat) {
    NumericVar *var = ReadVARNUM(value, size);
    return var != nullptr ? SendNumeric(var, out, outLength, outFormat) : Fail(out, outLength, outFormat);
}

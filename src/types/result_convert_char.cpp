// "char" columns: a single byte. The server writes it as that character, or
// as a backslash and three octal digits for a byte with the high bit set; in
// binary format it is the byte itself. As a number it is the byte's value
// taken as signed, as the server's own cast to integer reads it.
#include <cstdio>

#include "types/result_convert_number.h"

namespace resultconv {
namespace {

bool IsOctalDigit(char ch) { return ch >= '0' && ch <= '7'; }

sword ReadByte(const Call &c, unsigned char *out) {
    const char *v = c.value;
    if (c.valueLength == 1) {
        *out = static_cast<unsigned char>(v[0]);
        return OCI_SUCCESS;
    }
    if (c.format == 0 && c.valueLength == 4 && v[0] == '\\' && v[1] >= '0' && v[1] <= '3' && IsOctalDigit(v[2]) &&
        IsOctalDigit(v[3])) {
        *out = static_cast<unsigned char>((v[1] - '0') * 64 + (v[2] - '0') * 8 + (v[3] - '0'));
        return OCI_SUCCESS;
    }
    return c.format == 1 ? Refuse(c) : Fail(c, kErrInvalidNumber);
}

sword CharText(const Call &c, Text *out) {
    unsigned char byte = 0;
    const sword status = ReadByte(c, &byte);
    if (status != OCI_SUCCESS) return status;
    out->Local()[0] = static_cast<char>(byte);
    out->Commit(1);
    return OCI_SUCCESS;
}

sword CharInteger(const Call &c, int64_t *out, double *, bool *) {
    unsigned char byte = 0;
    const sword status = ReadByte(c, &byte);
    *out = static_cast<signed char>(byte);
    return status;
}

sword CharReal(const Call &c, double *out) {
    int64_t v = 0;
    const sword status = CharInteger(c, &v, nullptr, nullptr);
    *out = static_cast<double>(v);
    return status;
}

sword CharVarnum(const Call &c, ub1 *out) {
    int64_t v = 0;
    const sword status = CharInteger(c, &v, nullptr, nullptr);
    if (status != OCI_SUCCESS) return status;
    char text[8];
    const int len = std::snprintf(text, sizeof text, "%d", static_cast<int>(v));
    return VarnumFromText(c, text, static_cast<size_t>(len), out);
}

constexpr NumberSource kChar = {CharText, CharInteger, CharReal, CharVarnum, kErrOverflow};

}  // namespace
}  // namespace resultconv

RESULT_NUMBER_FAMILY(CHAR, resultconv::kChar)
OCI_RESULT_CONVERTER(ConvertCHAROIDToSQLT_NUM) { return resultconv::NumberToNUMBER(resultconv::kChar, RESULT_CALL); }

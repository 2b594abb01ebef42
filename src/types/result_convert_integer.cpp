// int2, int4 and int8 columns: decimal text, or two's complement big-endian
// integers of 2, 4 and 8 bytes in binary format.
#include <cinttypes>
#include <cstdio>

#include "types/result_convert_number.h"

namespace resultconv {
namespace {

template <size_t Width> sword ReadInteger(const Call &c, int64_t *out) {
    if (c.format == 1) {
        if (c.valueLength != Width) return Refuse(c);
        const uint64_t raw = LoadBigEndian(c.value, Width);
        if (Width == 2) *out = static_cast<int16_t>(raw);
        else if (Width == 4) *out = static_cast<int32_t>(raw);
        else *out = static_cast<int64_t>(raw);
        return OCI_SUCCESS;
    }
    const int rc = ParseInteger(c.value, c.valueLength, out);
    return rc == 0 ? OCI_SUCCESS : Fail(c, rc == 1 ? kErrInvalidNumber : kErrOverflow);
}

template <size_t Width> sword IntegerText(const Call &c, Text *out) {
    if (c.format == 0) {
        out->View(c.value, c.valueLength);
        return OCI_SUCCESS;
    }
    int64_t v = 0;
    const sword status = ReadInteger<Width>(c, &v);
    if (status != OCI_SUCCESS) return status;
    out->Commit(static_cast<size_t>(std::snprintf(out->Local(), out->LocalSize(), "%" PRId64, v)));
    return OCI_SUCCESS;
}

template <size_t Width> sword IntegerValue(const Call &c, int64_t *out, double *, bool *) {
    return ReadInteger<Width>(c, out);
}

template <size_t Width> sword IntegerReal(const Call &c, double *out) {
    int64_t v = 0;
    const sword status = ReadInteger<Width>(c, &v);
    *out = static_cast<double>(v);
    return status;
}

template <size_t Width> sword IntegerVarnum(const Call &c, ub1 *out) {
    Text text;
    const sword status = IntegerText<Width>(c, &text);
    return status != OCI_SUCCESS ? status : VarnumFromText(c, text.data(), text.size(), out);
}

template <size_t Width> constexpr NumberSource IntegerSource() {
    return {IntegerText<Width>, IntegerValue<Width>, IntegerReal<Width>, IntegerVarnum<Width>, kErrOverflow};
}

constexpr NumberSource kInt2 = IntegerSource<2>();
constexpr NumberSource kInt4 = IntegerSource<4>();
constexpr NumberSource kInt8 = IntegerSource<8>();

}  // namespace
}  // namespace resultconv

RESULT_NUMBER_FAMILY(INT2, resultconv::kInt2)
OCI_RESULT_CONVERTER(ConvertINT2OIDToSQLT_NUM) { return resultconv::NumberToNUMBER(resultconv::kInt2, RESULT_CALL); }

RESULT_NUMBER_FAMILY(INT4, resultconv::kInt4)
OCI_RESULT_CONVERTER(ConvertINT4OIDToSQLT_NUM) { return resultconv::NumberToNUMBER(resultconv::kInt4, RESULT_CALL); }

RESULT_NUMBER_FAMILY(INT8, resultconv::kInt8)
OCI_RESULT_CONVERTER(ConvertINT8OIDToSQLT_NUM) { return resultconv::NumberToNUMBER(resultconv::kInt8, RESULT_CALL); }

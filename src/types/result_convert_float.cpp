// float4 and float8 columns: the server's shortest round-trip text, or the
// IEEE bits big-endian in binary format.
#include <cstring>

#include "types/result_convert_number.h"

namespace resultconv {
namespace {

template <size_t Width> sword ReadReal(const Call &c, double *out) {
    if (c.format == 1) {
        if (c.valueLength != Width) return Refuse(c);
        const uint64_t bits = LoadBigEndian(c.value, Width);
        if (Width == 4) {
            const auto narrow = static_cast<uint32_t>(bits);
            float f;
            std::memcpy(&f, &narrow, 4);
            *out = f;
        } else {
            std::memcpy(out, &bits, 8);
        }
        return OCI_SUCCESS;
    }
    const int rc = ParseReal(c.value, c.valueLength, out, Width == 4);
    return rc == 0 ? OCI_SUCCESS : Fail(c, rc == 1 ? kErrInvalidNumber : kErrNumericOverflow);
}

// Binary values are written as the server writes its text, so that a value
// reads the same whichever format carried it.
template <size_t Width> sword RealText(const Call &c, Text *out) {
    if (c.format == 0) {
        out->View(c.value, c.valueLength);
        return OCI_SUCCESS;
    }
    double v = 0;
    const sword status = ReadReal<Width>(c, &v);
    if (status != OCI_SUCCESS) return status;
    out->Commit(FormatReal(v, Width == 4, out->Local()));
    return OCI_SUCCESS;
}

template <size_t Width> sword RealInteger(const Call &c, int64_t *, double *real, bool *isReal) {
    *isReal = true;
    return ReadReal<Width>(c, real);
}

template <size_t Width> sword RealVarnum(const Call &c, ub1 *out) {
    Text text;
    const sword status = RealText<Width>(c, &text);
    return status != OCI_SUCCESS ? status : VarnumFromText(c, text.data(), text.size(), out);
}

template <size_t Width> constexpr NumberSource RealSource() {
    return {RealText<Width>, RealInteger<Width>, ReadReal<Width>, RealVarnum<Width>, kErrNumericOverflow};
}

constexpr NumberSource kFloat4 = RealSource<4>();
constexpr NumberSource kFloat8 = RealSource<8>();

}  // namespace
}  // namespace resultconv

RESULT_NUMBER_FAMILY(FLOAT4, resultconv::kFloat4)
OCI_RESULT_CONVERTER(ConvertFLOAT4OIDToSQLT_NUM) {
    return resultconv::NumberToNUMBER(resultconv::kFloat4, RESULT_CALL);
}

RESULT_NUMBER_FAMILY(FLOAT8, resultconv::kFloat8)
OCI_RESULT_CONVERTER(ConvertFLOAT8OIDToSQLT_NUM) {
    return resultconv::NumberToNUMBER(resultconv::kFloat8, RESULT_CALL);
}

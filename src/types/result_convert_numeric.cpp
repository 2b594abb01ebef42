// numeric columns: decimal text, or the numeric send format in binary.
// A numeric column defined as SQLT_NUM receives the 21-byte NUMBER, as an
// Oracle application reading that type expects; SQLT_VNU the VARNUM.
#include <cstring>

#include "types/number_format.h"
#include "types/result_convert_number.h"

namespace resultconv {
namespace {

// The binary value as a host-order record (free_var it).
sword ReadNumericRecord(const Call &c, NumericVar **out) {
    *out = NumericFromSendFormat(c.value, c.valueLength);
    return *out != nullptr ? OCI_SUCCESS : Refuse(c);
}

sword NumericText(const Call &c, Text *out) {
    if (c.format == 0) {
        out->View(c.value, c.valueLength);
        return OCI_SUCCESS;
    }
    NumericVar *var = nullptr;
    const sword status = ReadNumericRecord(c, &var);
    if (status != OCI_SUCCESS) return status;
    char *text = ConvertNumericToString(var);
    free_var(var);
    if (text == nullptr) return Refuse(c);
    out->Adopt(text, std::strlen(text));
    return OCI_SUCCESS;
}

// Rounded to the nearest integer (halves away from zero) in either format,
// so that text and binary results agree.
sword NumericInteger(const Call &c, int64_t *out, double *, bool *) {
    NumericVar *var = nullptr;
    if (c.format == 1) {
        const sword status = ReadNumericRecord(c, &var);
        if (status != OCI_SUCCESS) return status;
    } else if (ConvertStringToNumeric(c.value, c.valueLength, &var) != 0) {
        return Fail(c, kErrInvalidNumber);
    }
    const int rc = numericvar_to_int8(var, out);
    free_var(var);
    return rc == 0 ? OCI_SUCCESS : Fail(c, kErrNumericOverflow);
}

sword NumericReal(const Call &c, double *out) {
    Text text;
    const sword status = NumericText(c, &text);
    if (status != OCI_SUCCESS) return status;
    const int rc = ParseReal(text.data(), text.size(), out);
    return rc == 0 ? OCI_SUCCESS : Fail(c, rc == 1 ? kErrInvalidNumber : kErrNumericOverflow);
}

sword NumericVarnum(const Call &c, ub1 *out) {
    if (c.format == 0) return VarnumFromText(c, c.value, c.valueLength, out);
    NumericVar *var = nullptr;
    const sword status = ReadNumericRecord(c, &var);
    if (status != OCI_SUCCESS) return status;
    const int rc = ConvertNumericToVARNUMBER(var, out);
    const bool special = var->sign != NUMERIC_POS && var->sign != NUMERIC_NEG;
    free_var(var);
    if (rc == 0) return OCI_SUCCESS;
    return Fail(c, special ? kErrInvalidNumber : kErrNumericOverflow);
}

constexpr NumberSource kNumeric = {NumericText, NumericInteger, NumericReal, NumericVarnum, kErrNumericOverflow};

}  // namespace
}  // namespace resultconv

RESULT_NUMBER_FAMILY(NUMERIC, resultconv::kNumeric)

OCI_RESULT_CONVERTER(ConvertNUMERICOIDToSQLT_NUM) {
    return resultconv::NumberToNUMBER(resultconv::kNumeric, RESULT_CALL);
}

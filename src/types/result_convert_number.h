// The number-like source families (int2, int4, int8, float4, float8,
// numeric, "char") share their fifteen targets. Each family describes how
// to read its value in the four shapes the targets need; the target
// functions below apply the conventions and the buffer layouts.
#pragma once
#include "types/result_convert_support.h"

namespace resultconv {

struct NumberSource {
    // The characters the value shows (server text, or the binary value in
    // the server's text form). OCI_SUCCESS or an error result.
    sword (*text)(const Call &c, Text *out);
    // The value for SQLT_INT/SQLT_UIN; integers exactly, reals are truncated
    // toward zero by the store (`isReal` set and the value in *real).
    sword (*integer)(const Call &c, int64_t *out, double *real, bool *isReal);
    sword (*real)(const Call &c, double *out);
    sword (*varnum)(const Call &c, ub1 *out);  // 22 bytes
    sb4 overflowError;                         // a value too wide for SQLT_INT
};

// The targets: characters, the two integers, the three reals, NUMBER, VARNUM.
sword NumberToChars(const NumberSource &src, const Call &c, CharLayout layout);
sword NumberToInteger(const NumberSource &src, const Call &c, bool isUnsigned);
sword NumberToReal(const NumberSource &src, const Call &c, RealLayout layout);
sword NumberToNUMBER(const NumberSource &src, const Call &c);
sword NumberToVARNUM(const NumberSource &src, const Call &c);

}  // namespace resultconv

// Fourteen converters of one number family, one target each. SQLT_NUM is
// written out by the families that have it.
#define RESULT_NUMBER_FAMILY(FAMILY, source)                                                        \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_CHR) {                                          \
        return resultconv::NumberToChars(source, RESULT_CALL, resultconv::CharLayout::CHR);         \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_AFC) {                                          \
        return resultconv::NumberToChars(source, RESULT_CALL, resultconv::CharLayout::AFC);         \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_AVC) {                                          \
        return resultconv::NumberToChars(source, RESULT_CALL, resultconv::CharLayout::AVC);         \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_STR) {                                          \
        return resultconv::NumberToChars(source, RESULT_CALL, resultconv::CharLayout::STR);         \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_LNG) {                                          \
        return resultconv::NumberToChars(source, RESULT_CALL, resultconv::CharLayout::LNG);         \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_VCS) {                                          \
        return resultconv::NumberToChars(source, RESULT_CALL, resultconv::CharLayout::VCS);         \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_LVC) {                                          \
        return resultconv::NumberToChars(source, RESULT_CALL, resultconv::CharLayout::LVC);         \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_VST) {                                          \
        return resultconv::NumberToChars(source, RESULT_CALL, resultconv::CharLayout::VST);         \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_INT) {                                          \
        return resultconv::NumberToInteger(source, RESULT_CALL, false);                             \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_UIN) {                                          \
        return resultconv::NumberToInteger(source, RESULT_CALL, true);                              \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_FLT) {                                          \
        return resultconv::NumberToReal(source, RESULT_CALL, resultconv::RealLayout::FLT);          \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_BFLOAT) {                                       \
        return resultconv::NumberToReal(source, RESULT_CALL, resultconv::RealLayout::BFLOAT);       \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_BDOUBLE) {                                      \
        return resultconv::NumberToReal(source, RESULT_CALL, resultconv::RealLayout::BDOUBLE);      \
    }                                                                                               \
    OCI_RESULT_CONVERTER(Convert##FAMILY##OIDToSQLT_VNU) {                                          \
        return resultconv::NumberToVARNUM(source, RESULT_CALL);                                     \
    }

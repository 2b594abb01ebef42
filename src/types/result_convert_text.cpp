// text, bpchar and varchar columns (and the names of returned cursors). The
// value is text in the session's character set in either format. While the
// Oracle-varchar flag is on, an empty text is NULL, as Oracle's VARCHAR2
// knows no empty string; with it off an empty text is a value.
#include <cstdlib>

#include "types/number_format.h"
#include "types/result_convert_support.h"

namespace resultconv {
namespace {

bool StartText(const Call &c, sword *status) {
    return Start(c, OracleVarchars(c) ? EmptyText::IsNull : EmptyText::IsValue, status);
}

sword TextToChars(const Call &c, CharLayout layout) {
    sword status;
    if (!StartText(c, &status)) return status;
    return DeliverChars(c, layout, c.value, c.valueLength);
}

sword TextToInteger(const Call &c, bool isUnsigned) {
    sword status;
    if (!StartText(c, &status)) return status;
    int64_t v = 0;
    const int rc = ParseInteger(c.value, c.valueLength, &v);
    if (rc != 0) return Fail(c, rc == 1 ? kErrInvalidNumber : kErrNumericOverflow);
    return StoreInteger(c, v, isUnsigned, kErrNumericOverflow);
}

sword TextToReal(const Call &c, RealLayout layout) {
    sword status;
    if (!StartText(c, &status)) return status;
    double v = 0;
    const int rc = ParseReal(c.value, c.valueLength, &v);
    if (rc != 0) return Fail(c, rc == 1 ? kErrInvalidNumber : kErrNumericOverflow);
    return StoreReal(c, layout, v);
}

sword TextToNumber(const Call &c, bool withCount) {
    sword status;
    if (!StartText(c, &status)) return status;
    if (withCount ? Capacity(c) < 2 : Capacity(c) < kNumberSize)
        return Fail(c, withCount ? kErrBadVarLength : kErrTruncated);
    ub1 varnum[kVarnumSize];
    status = VarnumFromText(c, c.value, c.valueLength, varnum);
    if (status != OCI_SUCCESS) return status;
    return withCount ? StoreVarnum(c, varnum) : StoreNumber(c, varnum);
}

// A text read as binary data is taken as the server's bytea text output.
sword TextToBytes(const Call &c, ByteLayout layout) {
    sword status;
    if (!StartText(c, &status)) return status;
    unsigned char *bytes = nullptr;
    size_t n = 0;
    const int rc = DecodeByteaText(c.value, c.valueLength, &bytes, &n);
    if (rc == kErrBadHex) return Fail(c, kErrBadHex);
    if (rc != 0) return Refuse(c);
    status = DeliverBytes(c, layout, bytes, n);
    std::free(bytes);
    return status;
}

}  // namespace
}  // namespace resultconv

using resultconv::ByteLayout;
using resultconv::CharLayout;
using resultconv::RealLayout;

// A text column defined as SQLT_AFC is served by the SQLT_CHR converter.
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_CHR) { return resultconv::TextToChars(RESULT_CALL, CharLayout::CHR); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_AVC) { return resultconv::TextToChars(RESULT_CALL, CharLayout::AVC); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_STR) { return resultconv::TextToChars(RESULT_CALL, CharLayout::STR); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_LNG) { return resultconv::TextToChars(RESULT_CALL, CharLayout::LNG); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_VCS) { return resultconv::TextToChars(RESULT_CALL, CharLayout::VCS); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_LVC) { return resultconv::TextToChars(RESULT_CALL, CharLayout::LVC); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_VST) { return resultconv::TextToChars(RESULT_CALL, CharLayout::VST); }

OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_INT) { return resultconv::TextToInteger(RESULT_CALL, false); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_UIN) { return resultconv::TextToInteger(RESULT_CALL, true); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_FLT) { return resultconv::TextToReal(RESULT_CALL, RealLayout::FLT); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_BFLOAT) { return resultconv::TextToReal(RESULT_CALL, RealLayout::BFLOAT); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_BDOUBLE) {
    return resultconv::TextToReal(RESULT_CALL, RealLayout::BDOUBLE);
}
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_NUM) { return resultconv::TextToNumber(RESULT_CALL, false); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_VNU) { return resultconv::TextToNumber(RESULT_CALL, true); }

OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_BIN) { return resultconv::TextToBytes(RESULT_CALL, ByteLayout::BIN); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_LBI) { return resultconv::TextToBytes(RESULT_CALL, ByteLayout::LBI); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_VBI) { return resultconv::TextToBytes(RESULT_CALL, ByteLayout::VBI); }
OCI_RESULT_CONVERTER(ConvertTEXTOIDToSQLT_LVB) { return resultconv::TextToBytes(RESULT_CALL, ByteLayout::LVB); }

// The datetime targets of text columns are with the datetime family.

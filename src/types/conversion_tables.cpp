// The bind and result conversion tables, and the dispatchers that search them.
#include "types/conversion_tables.h"

#include <cstdlib>

#include "diag/errors.h"
#include "diag/trace.h"
#include "env/memory.h"
#include "stmt/stmt_handles.h"
#include "types/bind_converters.h"
#include "types/type_catalogue.h"

namespace {

template <class Fn, size_t N> constexpr bool StrictlySorted(const ConversionEntry<Fn> (&table)[N]) {
    for (size_t k = 1; k < N; ++k) {
        const auto &a = table[k - 1];
        const auto &b = table[k];
        if (a.first > b.first || (a.first == b.first && a.second >= b.second)) return false;
    }
    return true;
}

}  // namespace

// (external type, server OID) -> bind converter, sorted by type, then OID.
// SQLT_UIN has converters of its own where reading the value unsigned makes
// a difference (widening); its one byte for "char" is the same either way.
constexpr BindConversionEntry OCIToPQConversionFunctions[] = {
    {SQLT_CHR, VARCHAROID, ConvertSQLT_CHRToTEXTOID},
    {SQLT_NUM, NUMERICOID, ConvertSQLT_NUMToNUMERICOID},
    {SQLT_INT, CHAROID, ConvertSQLT_INTToCHAROID},
    {SQLT_INT, INT8OID, ConvertSQLT_INTToINT8OID},
    {SQLT_INT, INT2OID, ConvertSQLT_INTToINT2OID},
    {SQLT_INT, INT4OID, ConvertSQLT_INTToINT4OID},
    {SQLT_INT, NUMERICOID, ConvertSQLT_INTToNUMERICOID},
    {SQLT_FLT, FLOAT4OID, ConvertSQLT_FLTToFLOAT4OID},
    {SQLT_FLT, FLOAT8OID, ConvertSQLT_FLTToFLOAT8OID},
    {SQLT_STR, TEXTOID, ConvertSQLT_STRToTEXTOID},
    {SQLT_STR, VARCHAROID, ConvertSQLT_STRToTEXTOID},
    {SQLT_VNU, NUMERICOID, ConvertSQLT_VNUToNUMERICOID},
    {SQLT_LNG, VARCHAROID, ConvertSQLT_LNGToTEXTOID},
    {SQLT_VCS, VARCHAROID, ConvertSQLT_VCSToTEXTOID},
    {SQLT_DAT, DATEOID, ConvertSQLT_DATToDATEOID},
    {SQLT_DAT, TIMESTAMPOID, ConvertSQLT_DATToTIMESTAMPOID},
    {SQLT_VBI, BYTEAOID, ConvertSQLT_VBIToBYTEAOID},
    {SQLT_BFLOAT, FLOAT4OID, ConvertSQLT_FLTToFLOAT4OID},
    {SQLT_BDOUBLE, FLOAT8OID, ConvertSQLT_FLTToFLOAT8OID},
    {SQLT_BIN, BYTEAOID, ConvertSQLT_BINToBYTEAOID},
    {SQLT_LBI, BYTEAOID, ConvertSQLT_LBIToBYTEAOID},
    {SQLT_UIN, CHAROID, ConvertSQLT_INTToCHAROID},
    {SQLT_UIN, INT8OID, ConvertSQLT_UINToINT8OID},
    {SQLT_UIN, INT2OID, ConvertSQLT_UINToINT2OID},
    {SQLT_UIN, INT4OID, ConvertSQLT_UINToINT4OID},
    {SQLT_LVC, VARCHAROID, ConvertSQLT_LVCToTEXTOID},
    {SQLT_LVB, BYTEAOID, ConvertSQLT_LVBToBYTEAOID},
    {SQLT_AFC, VARCHAROID, ConvertSQLT_AFCToTEXTOID},
    {SQLT_AVC, VARCHAROID, ConvertSQLT_STRToTEXTOID},
    {SQLT_RSET, REFCURSOROID, ConvertSQLT_STRToTEXTOID},  // never called: a cursor bind sends no value
    {SQLT_VST, VARCHAROID, ConvertSQLT_VSTToTEXTOID},
    {SQLT_ODT, TIMESTAMPOID, ConvertSQLT_ODTToTIMESTAMPOID},
    {SQLT_DATE, TIMESTAMPOID, ConvertSQLT_DATEToTIMESTAMPOID},
    {SQLT_TIMESTAMP, TIMESTAMPOID, ConvertSQLT_TIMESTAMPToTIMESTAMPOID},
    {SQLT_TIMESTAMP_TZ, TIMESTAMPTZOID, ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID},
    {SQLT_INTERVAL_YM, INTERVALOID, ConvertSQLT_INTERVAL_DSToINTERVALOID},
    {SQLT_INTERVAL_DS, INTERVALOID, ConvertSQLT_INTERVAL_DSToINTERVALOID},
    {SQLT_TIMESTAMP_LTZ, TIMESTAMPTZOID, ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID},
};
static_assert(sizeof OCIToPQConversionFunctions / sizeof OCIToPQConversionFunctions[0] == 38, "bind table rows");
static_assert(StrictlySorted(OCIToPQConversionFunctions), "bind table order");

const size_t kOCIToPQConversionCount = sizeof OCIToPQConversionFunctions / sizeof OCIToPQConversionFunctions[0];

BindConverter FindBindConverter(ub4 code, Oid oid) {
    return GetConversionFunctionInternal(OCIToPQConversionFunctions, kOCIToPQConversionCount,
                                         static_cast<int32_t>(code & 0xFFFF), static_cast<int32_t>(oid));
}

// ---- bind side ----------------------------------------------------------------------

namespace {

// Types whose application value is a pointer to an object (OCIString,
// OCIDateTime, OCIInterval): their bytes are the pointer whatever the size.
bool ValueIsPointer(ub2 code) {
    switch (code) {
    case SQLT_VST:
    case SQLT_DATE:
    case SQLT_TIMESTAMP:
    case SQLT_TIMESTAMP_TZ:
    case SQLT_TIMESTAMP_LTZ:
    case SQLT_INTERVAL_YM:
    case SQLT_INTERVAL_DS: return true;
    default: return false;
    }
}

}  // namespace

int OCI2PQType(OCIError *errhp, ub4 code, const void *value, sb4 size, sb2 *indicator, Oid oid,
               char **out, ub4 *outLength, ub1 *outFormat) {
    if (errhp == nullptr || out == nullptr || outLength == nullptr || outFormat == nullptr) return -1;
    const ub2 type = static_cast<ub2>(code & 0xFFFF);
    ocitrace(TRACE_CONVERT, "OCI2PQType", "pgtype(%d), ocitype(%d), bufferin_sz(%d) *indp(%d)\n",
             static_cast<int>(oid), static_cast<int>(type), static_cast<int>(size),
             indicator != nullptr ? static_cast<int>(*indicator) : 0);

    BindConverter converter = nullptr;
    if (IsOCIToPQConversionPossible(type, oid, &converter) != 0) {
        AddErrorRecord(errhp, OCI_ERROR, 1460);
        return -1;
    }
    *out = nullptr;
    *outLength = 0;
    *outFormat = 0;

    if (value == nullptr) {
        if (indicator != nullptr) *indicator = -1;
        return 0;
    }
    const sb2 ind = indicator != nullptr ? *indicator : 0;
    if (ind == -1) return 0;
    if (type == SQLT_RSET) return 0;  // the cursor travels by name, not as a value
    if (ind < 0) return -1;

    if (ocitracing(TRACE_CONVERT)) {
        const size_t shown = ValueIsPointer(type) ? sizeof(void *) : size > 0 ? static_cast<size_t>(size) : 0;
        ocitracehex(TRACE_CONVERT, "  source:", value, shown);
    }
    const int result = converter(errhp, value, size, indicator, out, outLength, outFormat);
    if (result == 0) ocitracehex(TRACE_CONVERT, "  result:", *out, *outLength);
    return result;
}


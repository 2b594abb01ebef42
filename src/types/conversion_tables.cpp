// The bind and result conversion tables, and the dispatchers that search them.
#include "types/conversion_tables.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "diag/errors.h"
#include "diag/trace.h"
#include "env/memory.h"
#include "stmt/pqext/pqext.h"
#include "stmt/stmt_handles.h"
#include "types/bind_converters.h"
#include "types/result_converters.h"
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

// (server OID, external type) -> result converter, sorted by OID, then type.
// bytea and raw share a family, as do text, bpchar and varchar; date and
// timestamp share the date family for characters and the timestamp family
// for Oracle dates and descriptors.
constexpr ResultConversionEntry PQToOCIConversionFunctions[] = {
    {BYTEAOID, SQLT_CHR, ConvertBYTEAOIDToSQLT_CHR},
    {BYTEAOID, SQLT_STR, ConvertBYTEAOIDToSQLT_STR},
    {BYTEAOID, SQLT_LNG, ConvertBYTEAOIDToSQLT_LNG},
    {BYTEAOID, SQLT_VCS, ConvertBYTEAOIDToSQLT_VCS},
    {BYTEAOID, SQLT_VBI, ConvertBYTEAOIDToSQLT_VBI},
    {BYTEAOID, SQLT_BIN, ConvertBYTEAOIDToSQLT_BIN},
    {BYTEAOID, SQLT_LBI, ConvertBYTEAOIDToSQLT_LBI},
    {BYTEAOID, SQLT_LVC, ConvertBYTEAOIDToSQLT_LVC},
    {BYTEAOID, SQLT_LVB, ConvertBYTEAOIDToSQLT_LVB},
    {BYTEAOID, SQLT_AFC, ConvertBYTEAOIDToSQLT_AFC},
    {BYTEAOID, SQLT_AVC, ConvertBYTEAOIDToSQLT_AVC},
    {BYTEAOID, SQLT_VST, ConvertBYTEAOIDToSQLT_VST},
    {CHAROID, SQLT_CHR, ConvertCHAROIDToSQLT_CHR},
    {CHAROID, SQLT_NUM, ConvertCHAROIDToSQLT_NUM},
    {CHAROID, SQLT_INT, ConvertCHAROIDToSQLT_INT},
    {CHAROID, SQLT_FLT, ConvertCHAROIDToSQLT_FLT},
    {CHAROID, SQLT_STR, ConvertCHAROIDToSQLT_STR},
    {CHAROID, SQLT_VNU, ConvertCHAROIDToSQLT_VNU},
    {CHAROID, SQLT_LNG, ConvertCHAROIDToSQLT_LNG},
    {CHAROID, SQLT_VCS, ConvertCHAROIDToSQLT_VCS},
    {CHAROID, SQLT_BFLOAT, ConvertCHAROIDToSQLT_BFLOAT},
    {CHAROID, SQLT_BDOUBLE, ConvertCHAROIDToSQLT_BDOUBLE},
    {CHAROID, SQLT_UIN, ConvertCHAROIDToSQLT_UIN},
    {CHAROID, SQLT_LVC, ConvertCHAROIDToSQLT_LVC},
    {CHAROID, SQLT_AFC, ConvertCHAROIDToSQLT_AFC},
    {CHAROID, SQLT_AVC, ConvertCHAROIDToSQLT_AVC},
    {CHAROID, SQLT_VST, ConvertCHAROIDToSQLT_VST},
    {INT8OID, SQLT_CHR, ConvertINT8OIDToSQLT_CHR},
    {INT8OID, SQLT_NUM, ConvertINT8OIDToSQLT_NUM},
    {INT8OID, SQLT_INT, ConvertINT8OIDToSQLT_INT},
    {INT8OID, SQLT_FLT, ConvertINT8OIDToSQLT_FLT},
    {INT8OID, SQLT_STR, ConvertINT8OIDToSQLT_STR},
    {INT8OID, SQLT_VNU, ConvertINT8OIDToSQLT_VNU},
    {INT8OID, SQLT_LNG, ConvertINT8OIDToSQLT_LNG},
    {INT8OID, SQLT_VCS, ConvertINT8OIDToSQLT_VCS},
    {INT8OID, SQLT_BFLOAT, ConvertINT8OIDToSQLT_BFLOAT},
    {INT8OID, SQLT_BDOUBLE, ConvertINT8OIDToSQLT_BDOUBLE},
    {INT8OID, SQLT_UIN, ConvertINT8OIDToSQLT_UIN},
    {INT8OID, SQLT_LVC, ConvertINT8OIDToSQLT_LVC},
    {INT8OID, SQLT_AFC, ConvertINT8OIDToSQLT_AFC},
    {INT8OID, SQLT_AVC, ConvertINT8OIDToSQLT_AVC},
    {INT8OID, SQLT_VST, ConvertINT8OIDToSQLT_VST},
    {INT2OID, SQLT_CHR, ConvertINT2OIDToSQLT_CHR},
    {INT2OID, SQLT_NUM, ConvertINT2OIDToSQLT_NUM},
    {INT2OID, SQLT_INT, ConvertINT2OIDToSQLT_INT},
    {INT2OID, SQLT_FLT, ConvertINT2OIDToSQLT_FLT},
    {INT2OID, SQLT_STR, ConvertINT2OIDToSQLT_STR},
    {INT2OID, SQLT_VNU, ConvertINT2OIDToSQLT_VNU},
    {INT2OID, SQLT_LNG, ConvertINT2OIDToSQLT_LNG},
    {INT2OID, SQLT_VCS, ConvertINT2OIDToSQLT_VCS},
    {INT2OID, SQLT_BFLOAT, ConvertINT2OIDToSQLT_BFLOAT},
    {INT2OID, SQLT_BDOUBLE, ConvertINT2OIDToSQLT_BDOUBLE},
    {INT2OID, SQLT_UIN, ConvertINT2OIDToSQLT_UIN},
    {INT2OID, SQLT_LVC, ConvertINT2OIDToSQLT_LVC},
    {INT2OID, SQLT_AFC, ConvertINT2OIDToSQLT_AFC},
    {INT2OID, SQLT_AVC, ConvertINT2OIDToSQLT_AVC},
    {INT2OID, SQLT_VST, ConvertINT2OIDToSQLT_VST},
    {INT4OID, SQLT_CHR, ConvertINT4OIDToSQLT_CHR},
    {INT4OID, SQLT_NUM, ConvertINT4OIDToSQLT_NUM},
    {INT4OID, SQLT_INT, ConvertINT4OIDToSQLT_INT},
    {INT4OID, SQLT_FLT, ConvertINT4OIDToSQLT_FLT},
    {INT4OID, SQLT_STR, ConvertINT4OIDToSQLT_STR},
    {INT4OID, SQLT_VNU, ConvertINT4OIDToSQLT_VNU},
    {INT4OID, SQLT_LNG, ConvertINT4OIDToSQLT_LNG},
    {INT4OID, SQLT_VCS, ConvertINT4OIDToSQLT_VCS},
    {INT4OID, SQLT_BFLOAT, ConvertINT4OIDToSQLT_BFLOAT},
    {INT4OID, SQLT_BDOUBLE, ConvertINT4OIDToSQLT_BDOUBLE},
    {INT4OID, SQLT_UIN, ConvertINT4OIDToSQLT_UIN},
    {INT4OID, SQLT_LVC, ConvertINT4OIDToSQLT_LVC},
    {INT4OID, SQLT_AFC, ConvertINT4OIDToSQLT_AFC},
    {INT4OID, SQLT_AVC, ConvertINT4OIDToSQLT_AVC},
    {INT4OID, SQLT_VST, ConvertINT4OIDToSQLT_VST},
    {TEXTOID, SQLT_CHR, ConvertTEXTOIDToSQLT_CHR},
    {TEXTOID, SQLT_NUM, ConvertTEXTOIDToSQLT_NUM},
    {TEXTOID, SQLT_INT, ConvertTEXTOIDToSQLT_INT},
    {TEXTOID, SQLT_FLT, ConvertTEXTOIDToSQLT_FLT},
    {TEXTOID, SQLT_STR, ConvertTEXTOIDToSQLT_STR},
    {TEXTOID, SQLT_VNU, ConvertTEXTOIDToSQLT_VNU},
    {TEXTOID, SQLT_LNG, ConvertTEXTOIDToSQLT_LNG},
    {TEXTOID, SQLT_VCS, ConvertTEXTOIDToSQLT_VCS},
    {TEXTOID, SQLT_DAT, ConvertTEXTOIDToSQLT_DAT},
    {TEXTOID, SQLT_VBI, ConvertTEXTOIDToSQLT_VBI},
    {TEXTOID, SQLT_BFLOAT, ConvertTEXTOIDToSQLT_BFLOAT},
    {TEXTOID, SQLT_BDOUBLE, ConvertTEXTOIDToSQLT_BDOUBLE},
    {TEXTOID, SQLT_BIN, ConvertTEXTOIDToSQLT_BIN},
    {TEXTOID, SQLT_LBI, ConvertTEXTOIDToSQLT_LBI},
    {TEXTOID, SQLT_UIN, ConvertTEXTOIDToSQLT_UIN},
    {TEXTOID, SQLT_LVC, ConvertTEXTOIDToSQLT_LVC},
    {TEXTOID, SQLT_LVB, ConvertTEXTOIDToSQLT_LVB},
    {TEXTOID, SQLT_AFC, ConvertTEXTOIDToSQLT_CHR},
    {TEXTOID, SQLT_AVC, ConvertTEXTOIDToSQLT_AVC},
    {TEXTOID, SQLT_VST, ConvertTEXTOIDToSQLT_VST},
    {TEXTOID, SQLT_ODT, ConvertTEXTOIDToSQLT_ODT},
    {TEXTOID, SQLT_DATE, ConvertTEXTOIDToSQLT_DATE},
    {TEXTOID, SQLT_TIMESTAMP, ConvertTEXTOIDToSQLT_TIMESTAMP},
    {TEXTOID, SQLT_TIMESTAMP_TZ, ConvertTEXTOIDToSQLT_TIMESTAMP_TZ},
    {TEXTOID, SQLT_TIMESTAMP_LTZ, ConvertTEXTOIDToSQLT_TIMESTAMP_TZ},
    {OIDOID, SQLT_BLOB, ConvertOIDOIDToSQLT_BLOB},
    {FLOAT4OID, SQLT_CHR, ConvertFLOAT4OIDToSQLT_CHR},
    {FLOAT4OID, SQLT_NUM, ConvertFLOAT4OIDToSQLT_NUM},
    {FLOAT4OID, SQLT_INT, ConvertFLOAT4OIDToSQLT_INT},
    {FLOAT4OID, SQLT_FLT, ConvertFLOAT4OIDToSQLT_FLT},
    {FLOAT4OID, SQLT_STR, ConvertFLOAT4OIDToSQLT_STR},
    {FLOAT4OID, SQLT_VNU, ConvertFLOAT4OIDToSQLT_VNU},
    {FLOAT4OID, SQLT_LNG, ConvertFLOAT4OIDToSQLT_LNG},
    {FLOAT4OID, SQLT_VCS, ConvertFLOAT4OIDToSQLT_VCS},
    {FLOAT4OID, SQLT_BFLOAT, ConvertFLOAT4OIDToSQLT_BFLOAT},
    {FLOAT4OID, SQLT_BDOUBLE, ConvertFLOAT4OIDToSQLT_BDOUBLE},
    {FLOAT4OID, SQLT_UIN, ConvertFLOAT4OIDToSQLT_UIN},
    {FLOAT4OID, SQLT_LVC, ConvertFLOAT4OIDToSQLT_LVC},
    {FLOAT4OID, SQLT_AFC, ConvertFLOAT4OIDToSQLT_AFC},
    {FLOAT4OID, SQLT_AVC, ConvertFLOAT4OIDToSQLT_AVC},
    {FLOAT4OID, SQLT_VST, ConvertFLOAT4OIDToSQLT_VST},
    {FLOAT8OID, SQLT_CHR, ConvertFLOAT8OIDToSQLT_CHR},
    {FLOAT8OID, SQLT_NUM, ConvertFLOAT8OIDToSQLT_NUM},
    {FLOAT8OID, SQLT_INT, ConvertFLOAT8OIDToSQLT_INT},
    {FLOAT8OID, SQLT_FLT, ConvertFLOAT8OIDToSQLT_FLT},
    {FLOAT8OID, SQLT_STR, ConvertFLOAT8OIDToSQLT_STR},
    {FLOAT8OID, SQLT_VNU, ConvertFLOAT8OIDToSQLT_VNU},
    {FLOAT8OID, SQLT_LNG, ConvertFLOAT8OIDToSQLT_LNG},
    {FLOAT8OID, SQLT_VCS, ConvertFLOAT8OIDToSQLT_VCS},
    {FLOAT8OID, SQLT_BFLOAT, ConvertFLOAT8OIDToSQLT_BFLOAT},
    {FLOAT8OID, SQLT_BDOUBLE, ConvertFLOAT8OIDToSQLT_BDOUBLE},
    {FLOAT8OID, SQLT_UIN, ConvertFLOAT8OIDToSQLT_UIN},
    {FLOAT8OID, SQLT_LVC, ConvertFLOAT8OIDToSQLT_LVC},
    {FLOAT8OID, SQLT_AFC, ConvertFLOAT8OIDToSQLT_AFC},
    {FLOAT8OID, SQLT_AVC, ConvertFLOAT8OIDToSQLT_AVC},
    {FLOAT8OID, SQLT_VST, ConvertFLOAT8OIDToSQLT_VST},
    {BPCHAROID, SQLT_CHR, ConvertTEXTOIDToSQLT_CHR},
    {BPCHAROID, SQLT_NUM, ConvertTEXTOIDToSQLT_NUM},
    {BPCHAROID, SQLT_INT, ConvertTEXTOIDToSQLT_INT},
    {BPCHAROID, SQLT_FLT, ConvertTEXTOIDToSQLT_FLT},
    {BPCHAROID, SQLT_STR, ConvertTEXTOIDToSQLT_STR},
    {BPCHAROID, SQLT_VNU, ConvertTEXTOIDToSQLT_VNU},
    {BPCHAROID, SQLT_LNG, ConvertTEXTOIDToSQLT_LNG},
    {BPCHAROID, SQLT_VCS, ConvertTEXTOIDToSQLT_VCS},
    {BPCHAROID, SQLT_DAT, ConvertTEXTOIDToSQLT_DAT},
    {BPCHAROID, SQLT_VBI, ConvertTEXTOIDToSQLT_VBI},
    {BPCHAROID, SQLT_BFLOAT, ConvertTEXTOIDToSQLT_BFLOAT},
    {BPCHAROID, SQLT_BDOUBLE, ConvertTEXTOIDToSQLT_BDOUBLE},
    {BPCHAROID, SQLT_BIN, ConvertTEXTOIDToSQLT_BIN},
    {BPCHAROID, SQLT_LBI, ConvertTEXTOIDToSQLT_LBI},
    {BPCHAROID, SQLT_UIN, ConvertTEXTOIDToSQLT_UIN},
    {BPCHAROID, SQLT_LVC, ConvertTEXTOIDToSQLT_LVC},
    {BPCHAROID, SQLT_LVB, ConvertTEXTOIDToSQLT_LVB},
    {BPCHAROID, SQLT_AFC, ConvertTEXTOIDToSQLT_CHR},
    {BPCHAROID, SQLT_AVC, ConvertTEXTOIDToSQLT_AVC},
    {BPCHAROID, SQLT_VST, ConvertTEXTOIDToSQLT_VST},
    {BPCHAROID, SQLT_ODT, ConvertTEXTOIDToSQLT_ODT},
    {BPCHAROID, SQLT_DATE, ConvertTEXTOIDToSQLT_DATE},
    {BPCHAROID, SQLT_TIMESTAMP, ConvertTEXTOIDToSQLT_TIMESTAMP},
    {BPCHAROID, SQLT_TIMESTAMP_TZ, ConvertTEXTOIDToSQLT_TIMESTAMP_TZ},
    {BPCHAROID, SQLT_TIMESTAMP_LTZ, ConvertTEXTOIDToSQLT_TIMESTAMP_TZ},
    {VARCHAROID, SQLT_CHR, ConvertTEXTOIDToSQLT_CHR},
    {VARCHAROID, SQLT_NUM, ConvertTEXTOIDToSQLT_NUM},
    {VARCHAROID, SQLT_INT, ConvertTEXTOIDToSQLT_INT},
    {VARCHAROID, SQLT_FLT, ConvertTEXTOIDToSQLT_FLT},
    {VARCHAROID, SQLT_STR, ConvertTEXTOIDToSQLT_STR},
    {VARCHAROID, SQLT_VNU, ConvertTEXTOIDToSQLT_VNU},
    {VARCHAROID, SQLT_LNG, ConvertTEXTOIDToSQLT_LNG},
    {VARCHAROID, SQLT_VCS, ConvertTEXTOIDToSQLT_VCS},
    {VARCHAROID, SQLT_DAT, ConvertTEXTOIDToSQLT_DAT},
    {VARCHAROID, SQLT_VBI, ConvertTEXTOIDToSQLT_VBI},
    {VARCHAROID, SQLT_BFLOAT, ConvertTEXTOIDToSQLT_BFLOAT},
    {VARCHAROID, SQLT_BDOUBLE, ConvertTEXTOIDToSQLT_BDOUBLE},
    {VARCHAROID, SQLT_BIN, ConvertTEXTOIDToSQLT_BIN},
    {VARCHAROID, SQLT_LBI, ConvertTEXTOIDToSQLT_LBI},
    {VARCHAROID, SQLT_UIN, ConvertTEXTOIDToSQLT_UIN},
    {VARCHAROID, SQLT_LVC, ConvertTEXTOIDToSQLT_LVC},
    {VARCHAROID, SQLT_LVB, ConvertTEXTOIDToSQLT_LVB},
    {VARCHAROID, SQLT_AFC, ConvertTEXTOIDToSQLT_CHR},
    {VARCHAROID, SQLT_AVC, ConvertTEXTOIDToSQLT_AVC},
    {VARCHAROID, SQLT_VST, ConvertTEXTOIDToSQLT_VST},
    {VARCHAROID, SQLT_ODT, ConvertTEXTOIDToSQLT_ODT},
    {VARCHAROID, SQLT_DATE, ConvertTEXTOIDToSQLT_DATE},
    {VARCHAROID, SQLT_TIMESTAMP, ConvertTEXTOIDToSQLT_TIMESTAMP},
    {VARCHAROID, SQLT_TIMESTAMP_TZ, ConvertTEXTOIDToSQLT_TIMESTAMP_TZ},
    {VARCHAROID, SQLT_TIMESTAMP_LTZ, ConvertTEXTOIDToSQLT_TIMESTAMP_TZ},
    {DATEOID, SQLT_CHR, ConvertDATEOIDToSQLT_CHR},
    {DATEOID, SQLT_STR, ConvertDATEOIDToSQLT_STR},
    {DATEOID, SQLT_LNG, ConvertDATEOIDToSQLT_LNG},
    {DATEOID, SQLT_VCS, ConvertDATEOIDToSQLT_VCS},
    {DATEOID, SQLT_DAT, ConvertTIMESTAMPOIDToSQLT_DAT},
    {DATEOID, SQLT_LVC, ConvertDATEOIDToSQLT_LVC},
    {DATEOID, SQLT_AFC, ConvertDATEOIDToSQLT_AFC},
    {DATEOID, SQLT_AVC, ConvertDATEOIDToSQLT_AVC},
    {DATEOID, SQLT_VST, ConvertDATEOIDToSQLT_VST},
    {DATEOID, SQLT_ODT, ConvertTIMESTAMPOIDToSQLT_ODT},
    {DATEOID, SQLT_DATE, ConvertTIMESTAMPOIDToSQLT_DATE},
    {DATEOID, SQLT_TIMESTAMP, ConvertTIMESTAMPOIDToSQLT_TIMESTAMP},
    {DATEOID, SQLT_TIMESTAMP_TZ, ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ},
    {DATEOID, SQLT_TIMESTAMP_LTZ, ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ},
    {TIMESTAMPOID, SQLT_CHR, ConvertDATEOIDToSQLT_CHR},
    {TIMESTAMPOID, SQLT_STR, ConvertDATEOIDToSQLT_STR},
    {TIMESTAMPOID, SQLT_LNG, ConvertDATEOIDToSQLT_LNG},
    {TIMESTAMPOID, SQLT_VCS, ConvertDATEOIDToSQLT_VCS},
    {TIMESTAMPOID, SQLT_DAT, ConvertTIMESTAMPOIDToSQLT_DAT},
    {TIMESTAMPOID, SQLT_LVC, ConvertDATEOIDToSQLT_LVC},
    {TIMESTAMPOID, SQLT_AFC, ConvertDATEOIDToSQLT_AFC},
    {TIMESTAMPOID, SQLT_AVC, ConvertDATEOIDToSQLT_AVC},
    {TIMESTAMPOID, SQLT_VST, ConvertDATEOIDToSQLT_VST},
    {TIMESTAMPOID, SQLT_ODT, ConvertTIMESTAMPOIDToSQLT_ODT},
    {TIMESTAMPOID, SQLT_DATE, ConvertTIMESTAMPOIDToSQLT_DATE},
    {TIMESTAMPOID, SQLT_TIMESTAMP, ConvertTIMESTAMPOIDToSQLT_TIMESTAMP},
    {TIMESTAMPOID, SQLT_TIMESTAMP_TZ, ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ},
    {TIMESTAMPOID, SQLT_TIMESTAMP_LTZ, ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ},
    {TIMESTAMPTZOID, SQLT_CHR, ConvertDATEOIDToSQLT_CHR},
    {TIMESTAMPTZOID, SQLT_STR, ConvertDATEOIDToSQLT_STR},
    {TIMESTAMPTZOID, SQLT_LNG, ConvertDATEOIDToSQLT_LNG},
    {TIMESTAMPTZOID, SQLT_VCS, ConvertDATEOIDToSQLT_VCS},
    {TIMESTAMPTZOID, SQLT_DAT, ConvertTIMESTAMPOIDToSQLT_DAT},
    {TIMESTAMPTZOID, SQLT_LVC, ConvertDATEOIDToSQLT_LVC},
    {TIMESTAMPTZOID, SQLT_AFC, ConvertDATEOIDToSQLT_AFC},
    {TIMESTAMPTZOID, SQLT_AVC, ConvertDATEOIDToSQLT_AVC},
    {TIMESTAMPTZOID, SQLT_VST, ConvertDATEOIDToSQLT_VST},
    {TIMESTAMPTZOID, SQLT_ODT, ConvertTIMESTAMPOIDToSQLT_ODT},
    {TIMESTAMPTZOID, SQLT_DATE, ConvertTIMESTAMPOIDToSQLT_DATE},
    {TIMESTAMPTZOID, SQLT_TIMESTAMP, ConvertTIMESTAMPOIDToSQLT_TIMESTAMP},
    {TIMESTAMPTZOID, SQLT_TIMESTAMP_TZ, ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ},
    {TIMESTAMPTZOID, SQLT_TIMESTAMP_LTZ, ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ},
    {INTERVALOID, SQLT_INTERVAL_YM, ConvertINTERVALOIDToSQLT_INTERVAL_DS},
    {INTERVALOID, SQLT_INTERVAL_DS, ConvertINTERVALOIDToSQLT_INTERVAL_DS},
    {NUMERICOID, SQLT_CHR, ConvertNUMERICOIDToSQLT_CHR},
    {NUMERICOID, SQLT_NUM, ConvertNUMERICOIDToSQLT_NUM},
    {NUMERICOID, SQLT_INT, ConvertNUMERICOIDToSQLT_INT},
    {NUMERICOID, SQLT_FLT, ConvertNUMERICOIDToSQLT_FLT},
    {NUMERICOID, SQLT_STR, ConvertNUMERICOIDToSQLT_STR},
    {NUMERICOID, SQLT_VNU, ConvertNUMERICOIDToSQLT_VNU},
    {NUMERICOID, SQLT_LNG, ConvertNUMERICOIDToSQLT_LNG},
    {NUMERICOID, SQLT_VCS, ConvertNUMERICOIDToSQLT_VCS},
    {NUMERICOID, SQLT_BFLOAT, ConvertNUMERICOIDToSQLT_BFLOAT},
    {NUMERICOID, SQLT_BDOUBLE, ConvertNUMERICOIDToSQLT_BDOUBLE},
    {NUMERICOID, SQLT_UIN, ConvertNUMERICOIDToSQLT_UIN},
    {NUMERICOID, SQLT_LVC, ConvertNUMERICOIDToSQLT_LVC},
    {NUMERICOID, SQLT_AFC, ConvertNUMERICOIDToSQLT_AFC},
    {NUMERICOID, SQLT_AVC, ConvertNUMERICOIDToSQLT_AVC},
    {NUMERICOID, SQLT_VST, ConvertNUMERICOIDToSQLT_VST},
    {REFCURSOROID, SQLT_RSET, ConvertTEXTOIDToSQLT_STR},
    {RAWOID, SQLT_CHR, ConvertBYTEAOIDToSQLT_CHR},
    {RAWOID, SQLT_STR, ConvertBYTEAOIDToSQLT_STR},
    {RAWOID, SQLT_LNG, ConvertBYTEAOIDToSQLT_LNG},
    {RAWOID, SQLT_VCS, ConvertBYTEAOIDToSQLT_VCS},
    {RAWOID, SQLT_VBI, ConvertBYTEAOIDToSQLT_VBI},
    {RAWOID, SQLT_BIN, ConvertBYTEAOIDToSQLT_BIN},
    {RAWOID, SQLT_LBI, ConvertBYTEAOIDToSQLT_LBI},
    {RAWOID, SQLT_LVC, ConvertBYTEAOIDToSQLT_LVC},
    {RAWOID, SQLT_LVB, ConvertBYTEAOIDToSQLT_LVB},
    {RAWOID, SQLT_AFC, ConvertBYTEAOIDToSQLT_AFC},
    {RAWOID, SQLT_AVC, ConvertBYTEAOIDToSQLT_AVC},
    {RAWOID, SQLT_VST, ConvertBYTEAOIDToSQLT_VST},
};
static_assert(sizeof PQToOCIConversionFunctions / sizeof PQToOCIConversionFunctions[0] == 250, "result table rows");
static_assert(StrictlySorted(PQToOCIConversionFunctions), "result table order");
const size_t kOCIToPQConversionCount = sizeof OCIToPQConversionFunctions / sizeof OCIToPQConversionFunctions[0];
const size_t kPQToOCIConversionCount = sizeof PQToOCIConversionFunctions / sizeof PQToOCIConversionFunctions[0];

BindConverter FindBindConverter(ub4 code, Oid oid) {
    return GetConversionFunctionInternal(OCIToPQConversionFunctions, kOCIToPQConversionCount,
                                         static_cast<int32_t>(code & 0xFFFF), static_cast<int32_t>(oid));
}

ResultConverter FindResultConverter(Oid oid, ub4 code) {
    return GetConversionFunctionInternal(PQToOCIConversionFunctions, kPQToOCIConversionCount,
                                         static_cast<int32_t>(oid), static_cast<int32_t>(code & 0xFFFF));
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

// Binding converts every row's values with the same (type, server type)
// pairs; like the result side below, a thread keeps the last pairs it found.
struct BindCacheEntry {
    ub2 type;
    Oid oid;
    BindConverter converter;
};
constexpr size_t kBindCacheSize = 32;
thread_local BindCacheEntry t_bindCache[kBindCacheSize];

BindConverter CachedBindConverter(ub2 type, Oid oid) {
    BindCacheEntry &slot = t_bindCache[(static_cast<size_t>(oid) * 31u + type) % kBindCacheSize];
    if (slot.converter != nullptr && slot.type == type && slot.oid == oid) return slot.converter;
    BindConverter converter = nullptr;
    if (IsOCIToPQConversionPossible(type, oid, &converter) != 0) return nullptr;
    slot = {type, oid, converter};
    return converter;
}

}  // namespace

int OCI2PQType(OCIError *errhp, ub4 code, const void *value, sb4 size, sb2 *indicator, Oid oid,
               char **out, ub4 *outLength, ub1 *outFormat) {
    if (errhp == nullptr || out == nullptr || outLength == nullptr || outFormat == nullptr) return -1;
    const ub2 type = static_cast<ub2>(code & 0xFFFF);
    ocitrace(TRACE_CONVERT, "OCI2PQType", "pgtype(%d), ocitype(%d), bufferin_sz(%d) *indp(%d)\n",
             static_cast<int>(oid), static_cast<int>(type), static_cast<int>(size),
             indicator != nullptr ? static_cast<int>(*indicator) : 0);

    const BindConverter converter = CachedBindConverter(type, oid);
    if (converter == nullptr) {
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

void ResolveInPlaceRoute(OCIError *errhp, ub4 code, Oid oid, InPlaceRoute *route) {
    *route = InPlaceRoute{};
    route->code = code;
    route->oid = oid;
    route->known = true;
    const ub2 type = static_cast<ub2>(code & 0xFFFF);
    if (errhp == nullptr || (type != SQLT_INT && type != SQLT_STR)) return;
    const BindConverter converter = CachedBindConverter(type, oid);
    if (converter == ConvertSQLT_STRToTEXTOID) {
        const bindconv::BindSettings settings = bindconv::SettingsOf(errhp);
        if (settings.transcoding) return;
        route->kind = 2;
        route->varcharSemantics = settings.varcharSemantics;
        return;
    }
    route->width = converter == ConvertSQLT_INTToINT4OID   ? 4
                   : converter == ConvertSQLT_INTToINT8OID ? 8
                   : converter == ConvertSQLT_INTToINT2OID ? 2
                                                           : 0;
    if (route->width != 0) route->kind = 1;
}

int OCI2PQTypeInPlace(const InPlaceRoute &route, const void *value, sb4 size, sb2 indicator, char *scratch,
                      const char **out, ub4 *outLength, ub1 *outFormat) {
    if (route.kind == 0 || value == nullptr || indicator < 0 || size <= 0 || ocitracing(TRACE_CONVERT)) return 0;
    if (route.kind == 2) {
        if (!PassSQLT_STRAsText(route.varcharSemantics, value, size, out, outLength)) return 0;
        *outFormat = 0;
        return 1;
    }
    // An integer of the parameter's own width, in network order.
    const sb4 width = route.width;
    if (size != width || !PackInteger(value, size, true, route.width, reinterpret_cast<unsigned char *>(scratch)))
        return 0;
    *out = scratch;
    *outLength = static_cast<ub4>(width);
    *outFormat = 1;
    return 1;
}

// ---- result side ----------------------------------------------------------------------

namespace {

constexpr char kRawTypeQuery[] = "select oid from pg_type where typname = 'raw';";

// Whether the server's raw type, looked up by name, has the given OID.
bool IsServerRawType(PGconn *conn, Oid oid) {
    // Rows are converted while read-ahead (or a cursor's CLOSE) may still be
    // in flight: that is read first, or the question could not be asked.
    if (PQextDrain(conn) != 1) return false;
    PGresult *res = PQexec(conn, kRawTypeQuery);
    bool same = false;
    if (PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) > 0 && PQnfields(res) > 0 &&
        !PQgetisnull(res, 0, 0)) {
        char *end = nullptr;
        const unsigned long found = std::strtoul(PQgetvalue(res, 0, 0), &end, 10);
        same = end != nullptr && *end == '\0' && found == oid;
    }
    PQclear(res);
    return same;
}

void AddInconsistentTypesRecord(OCIError *errhp, Oid oid, ub4 code) {
    char *serverWord = GetPQDatatypeName(oid);
    char *clientWord = GetOCIDatatypeName(code);
    AddErrorRecordStringX(errhp, OCI_ERROR, 932, 2, serverWord != nullptr ? serverWord : "",
                          clientWord != nullptr ? clientWord : "");
    o2pFree(serverWord);
    o2pFree(clientWord);
}

// A cursor column: the server sends the cursor's name, which becomes the
// prepared name of the statement handle the application bound.
sword ReceiveCursorName(OCIError *errhp, ResultConverter converter, const char *value, ub4 valueLength,
                        ub1 format, void *dest, sb2 *indicator, ub2 *returnCode) {
    auto *stmt = HandleAs<OCIStmt>(dest, HANDLE_OCIStmt);
    if (stmt == nullptr || valueLength == 0xFFFFFFFFu) return OCI_ERROR;
    auto *name = static_cast<char *>(o2pCalloc(static_cast<size_t>(valueLength) + 1, 1));
    if (name == nullptr) return OCI_ERROR;
    ub4 capacity = valueLength + 1;
    const sword result =
        converter(errhp, value, valueLength, format, name, &capacity, indicator, returnCode, nullptr);
    if (result == OCI_ERROR) {
        o2pFree(name);
        return result;
    }
    o2pFree(stmt->preparedName);
    stmt->preparedName = name;
    return result;
}

sword ConvertResult(OCIError *errhp, Oid oid, const char *value, ub4 valueLength, ub1 format, ub4 code,
                    void *dest, ub4 *length, sb2 *indicator, ub2 *returnCode, bool isNull, PGconn *conn) {
    if (isNull) {
        if (indicator != nullptr) *indicator = -1;
        if (returnCode != nullptr) *returnCode = 1405;
        return OCI_SUCCESS;
    }
    ResultConverter converter = findPQToOCIConversion(oid, code, conn);
    if (converter == nullptr) {
        AddInconsistentTypesRecord(errhp, oid, code);
        return OCI_ERROR;
    }
    if (indicator != nullptr) *indicator = 0;
    if (returnCode != nullptr) *returnCode = 0;
    if ((code & 0xFFFF) == SQLT_RSET)
        return ReceiveCursorName(errhp, converter, value, valueLength, format, dest, indicator, returnCode);
    return converter(errhp, value, valueLength, format, dest, length, indicator, returnCode, conn);
}

}  // namespace

namespace {
// Fetching looks the same (type, code) pair up for every value of a column;
// the last pairs a thread found in the fixed tables are kept here, so a
// column costs its searches once, not once per row.
struct ConverterCacheEntry {
    Oid oid;
    ub4 code;
    ResultConverter converter;
};
constexpr size_t kConverterCacheSize = 32;
thread_local ConverterCacheEntry t_converterCache[kConverterCacheSize];

ConverterCacheEntry &CacheSlot(Oid oid, ub4 code) {
    return t_converterCache[(oid * 31u + code) % kConverterCacheSize];
}

// Every value arrives as the server's text for it, so a character type reads
// any column whose server type has no row of its own for that type: it gets
// the text, as text itself would.
ResultConverter AsServerText(ub4 code) {
    const ExternalTypeInfo *type = FindExternalType(code);
    if (type == nullptr || type->binary || std::strcmp(type->classWord, "TEXT") != 0) return nullptr;
    return FindResultConverter(TEXTOID, code);
}
}  // namespace

ResultConverter findPQToOCIConversion(Oid oid, ub4 code, PGconn *conn) {
    ConverterCacheEntry &slot = CacheSlot(oid, code);
    if (slot.converter != nullptr && slot.oid == oid && slot.code == code) return slot.converter;
    const Oid asked = oid;
    if (oid == UNKNOWNOID)
        oid = TEXTOID;
    else if (oid == kRawOidAlias || oid == kRawOidAlias2)
        oid = RAWOID;
    if (FindServerType(oid) == nullptr) {
        // Found through the server's catalogue: not kept, the answer is the
        // connection's.
        if (conn != nullptr && IsServerRawType(conn, oid))
            return IsValidOraDataType(code) ? FindResultConverter(RAWOID, code) : nullptr;
        return AsServerText(code);
    }
    if (!IsValidOraDataType(code)) return nullptr;
    ResultConverter converter = FindResultConverter(oid, code);
    if (converter == nullptr) converter = AsServerText(code);
    if (converter != nullptr) slot = ConverterCacheEntry{asked, code, converter};
    return converter;
}

sword PQ2OCIType(OCIError *errhp, Oid oid, const char *value, ub4 valueLength, ub1 format, ub4 code,
                 void *dest, ub4 *length, sb2 *indicator, ub2 *returnCode, bool isNull) {
    return ConvertResult(errhp, oid, value, valueLength, format, code, dest, length, indicator, returnCode,
                         isNull, nullptr);
}

sword PQ2OCIType_2(OCIError *errhp, Oid oid, const char *value, ub4 valueLength, ub1 format, ub4 code,
                   void *dest, ub4 *length, sb2 *indicator, ub2 *returnCode, bool isNull, PGconn *conn) {
    return ConvertResult(errhp, oid, value, valueLength, format, code, dest, length, indicator, returnCode,
                         isNull, conn);
}

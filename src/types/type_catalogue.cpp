// The external-type and server-type tables and the questions asked of them.
#include "types/type_catalogue.h"

#include <algorithm>
#include <cstring>

#include "env/memory.h"
#include "stmt/stmt_handles.h"
#include "types/conversion_tables.h"

namespace {
constexpr Oid kBySize = 0;  // integer binds: the buffer size picks the width
constexpr Oid kNone = kNoServerType;
}  // namespace

// Sorted by code.
const ExternalTypeInfo kExternalTypes[] = {
    {SQLT_CHR, "SQLT_CHR", "TEXT", false, VARCHAROID},
    {SQLT_NUM, "SQLT_NUM", "NUMBER", false, NUMERICOID},
    {SQLT_INT, "SQLT_INT", "NUMBER", true, kBySize},
    {SQLT_FLT, "SQLT_FLT", "NUMBER", true, FLOAT8OID},
    {SQLT_STR, "SQLT_STR", "TEXT", false, VARCHAROID},
    {SQLT_VNU, "SQLT_VNU", "NUMBER", true, NUMERICOID},
    {SQLT_PDN, "SQLT_PDN", "NUMBER", true, NUMERICOID},
    {SQLT_LNG, "SQLT_LNG", "TEXT", false, VARCHAROID},
    {SQLT_VCS, "SQLT_VCS", "TEXT", false, VARCHAROID},
    {SQLT_NON, "SQLT_NON", "", true, kNone},
    {SQLT_RID, "SQLT_RID", "", true, kNone},
    {SQLT_DAT, "SQLT_DAT", "DATE", true, TIMESTAMPOID},
    {SQLT_VBI, "SQLT_VBI", "BINARY", true, BYTEAOID},
    {SQLT_BFLOAT, "SQLT_BFLOAT", "NUMBER", true, FLOAT4OID},
    {SQLT_BDOUBLE, "SQLT_BDOUBLE", "NUMBER", true, FLOAT8OID},
    {SQLT_BIN, "SQLT_BIN", "BINARY", true, BYTEAOID},
    {SQLT_LBI, "SQLT_LBI", "BINARY", true, BYTEAOID},
    {SQLT_UIN, "SQLT_UIN", "NUMBER", true, kBySize},
    {SQLT_SLS, "SQLT_SLS", "", true, kNone},
    {SQLT_LVC, "SQLT_LVC", "TEXT", false, VARCHAROID},
    {SQLT_LVB, "SQLT_LVB", "BINARY", true, BYTEAOID},
    {SQLT_AFC, "SQLT_AFC", "TEXT", false, VARCHAROID},
    {SQLT_AVC, "SQLT_AVC", "TEXT", false, VARCHAROID},
    {SQLT_IBFLOAT, "SQLT_IBFLOAT", "BINARY", true, NUMERICOID},
    {SQLT_IBDOUBLE, "SQLT_IBDOUBLE", "BINARY", true, NUMERICOID},
    {SQLT_CUR, "SQLT_CUR", "", true, REFCURSOROID},
    {SQLT_RDD, "SQLT_RDD", "", true, kNone},
    {SQLT_LAB, "SQLT_LAB", "", true, kNone},
    {SQLT_OSL, "SQLT_OSL", "", true, kNone},
    {SQLT_NTY, "SQLT_NTY", "", true, kNone},
    {SQLT_REF, "SQLT_REF", "", true, kNone},
    {SQLT_CLOB, "SQLT_CLOB", "", false, VARCHAROID},
    {SQLT_BLOB, "SQLT_BLOB", "", true, BYTEAOID},
    {SQLT_BFILEE, "SQLT_BFILEE", "", true, BYTEAOID},
    {SQLT_CFILEE, "SQLT_CFILEE", "", false, BYTEAOID},
    {SQLT_RSET, "SQLT_RSET", "", true, REFCURSOROID},
    {SQLT_NCO, "SQLT_NCO", "", true, kNone},
    {SQLT_VST, "SQLT_VST", "TEXT", false, VARCHAROID},
    {SQLT_ODT, "SQLT_ODT", "DATE", true, TIMESTAMPOID},
    {SQLT_DATE, "SQLT_DATE", "DATE", true, TIMESTAMPOID},
    {SQLT_TIME, "SQLT_TIME", "TIMESTAMP", true, TIMEOID},
    {SQLT_TIME_TZ, "SQLT_TIME_TZ", "TIMESTAMP", true, TIMETZOID},
    {SQLT_TIMESTAMP, "SQLT_TIMESTAMP", "TIMESTAMP", true, TIMESTAMPOID},
    {SQLT_TIMESTAMP_TZ, "SQLT_TIMESTAMP_TZ", "TIMESTAMP", true, TIMESTAMPTZOID},
    {SQLT_INTERVAL_YM, "SQLT_INTERVAL_YM", "TIMESTAMP", true, INTERVALOID},
    {SQLT_INTERVAL_DS, "SQLT_INTERVAL_DS", "TIMESTAMP", true, INTERVALOID},
    {SQLT_TIMESTAMP_LTZ, "SQLT_TIMESTAMP_LTZ", "TIMESTAMP", true, TIMESTAMPTZOID},
    {SQLT_PNTY, "SQLT_PNTY", "", false, kNone},
};
const size_t kExternalTypeCount = sizeof kExternalTypes / sizeof kExternalTypes[0];

// Sorted by OID.
const ServerTypeInfo kServerTypes[] = {
    {BOOLOID, "bool", "NUMBER", SQLT_INT},
    {BYTEAOID, "bytea", "BINARY", SQLT_BIN},
    {CHAROID, "char", "NUMBER", SQLT_CHR},
    {NAMEOID, "name", "", 0},
    {INT8OID, "int8", "NUMBER", SQLT_INT},
    {INT2OID, "int2", "NUMBER", SQLT_INT},
    {22, "int2vector", "", 0},
    {INT4OID, "int4", "NUMBER", SQLT_INT},
    {24, "regproc", "", 0},
    {TEXTOID, "text", "TEXT", SQLT_STR},
    {OIDOID, "oid", "", 0},
    {27, "tid", "", 0},
    {28, "xid", "", 0},
    {29, "cid", "", 0},
    {30, "oidvector", "", 0},
    {600, "point", "", SQLT_NTY},
    {601, "lseg", "", SQLT_NTY},
    {602, "path", "", SQLT_NTY},
    {603, "box", "", SQLT_NTY},
    {604, "polygon", "", SQLT_NTY},
    {628, "line", "", SQLT_NTY},
    {650, "cidr", "", SQLT_NTY},
    {FLOAT4OID, "float4", "NUMBER", SQLT_FLT},
    {FLOAT8OID, "float8", "NUMBER", SQLT_FLT},
    {702, "abstime", "", SQLT_ODT},
    {703, "reltime", "", 0},
    {704, "tinterval", "", 0},
    {UNKNOWNOID, "unknown", "", SQLT_CHR},
    {718, "circle", "", SQLT_NTY},
    {790, "money", "", SQLT_NTY},
    {869, "inet", "", SQLT_NTY},
    {BPCHAROID, "bpchar", "TEXT", SQLT_AFC},
    {VARCHAROID, "varchar", "TEXT", SQLT_CHR},
    {DATEOID, "date", "DATE", SQLT_ODT},
    {TIMEOID, "time", "TIMESTAMP", SQLT_TIME},
    {TIMESTAMPOID, "timestamp", "TIMESTAMP", SQLT_TIMESTAMP},
    {TIMESTAMPTZOID, "timestamptz", "TIMESTAMP", SQLT_TIMESTAMP_TZ},
    {INTERVALOID, "interval", "TIMESTAMP", SQLT_INTERVAL_YM},
    {TIMETZOID, "timetz", "TIMESTAMP", SQLT_TIME_TZ},
    {1560, "bit", "", SQLT_NTY},
    {1562, "varbit", "", SQLT_NTY},
    {NUMERICOID, "numeric", "NUMBER", SQLT_NUM},
    {REFCURSOROID, "refcursor", "", SQLT_CUR},
    {RAWOID, "raw", "", 0},
    {kRawOidAlias, "raw", "", 0},
};
const size_t kServerTypeCount = sizeof kServerTypes / sizeof kServerTypes[0];

const ExternalTypeInfo *FindExternalType(ub4 code) {
    const ub2 key = static_cast<ub2>(code & 0xFFFF);
    const ExternalTypeInfo *end = kExternalTypes + kExternalTypeCount;
    const ExternalTypeInfo *row = std::lower_bound(
        kExternalTypes, end, key, [](const ExternalTypeInfo &r, ub2 k) { return r.code < k; });
    return row != end && row->code == key ? row : nullptr;
}

const ServerTypeInfo *FindServerType(Oid oid) {
    const ServerTypeInfo *end = kServerTypes + kServerTypeCount;
    const ServerTypeInfo *row = std::lower_bound(
        kServerTypes, end, oid, [](const ServerTypeInfo &r, Oid k) { return r.oid < k; });
    return row != end && row->oid == oid ? row : nullptr;
}

int IsValidOraDataType(ub4 code) { return FindExternalType(code) != nullptr ? 1 : 0; }

int IsValidOCIDataType(ub4 code) { return FindExternalType(code) != nullptr ? 0 : -1; }

int IsValidPQDataType(Oid oid) { return FindServerType(oid) != nullptr ? 0 : -1; }

char *GetOCIDatatypeName(ub4 code) {
    const ExternalTypeInfo *row = FindExternalType(code);
    return o2pStrdup(row != nullptr ? row->classWord : "");
}

char *GetPQDatatypeName(Oid oid) {
    const ServerTypeInfo *row = FindServerType(oid);
    return o2pStrdup(row != nullptr ? row->classWord : "");
}

int IsBinaryDataType(ub4 code) {
    const ExternalTypeInfo *row = FindExternalType(code);
    return row != nullptr && row->binary ? 1 : 0;
}

ub2 MapPostgresDataTypeToOracleDataType(Oid oid) {
    const ServerTypeInfo *row = FindServerType(oid);
    return row != nullptr ? row->describedAs : 0;
}

Oid OraDataType_To_PGType(ub4 code, sb4 size) {
    const ExternalTypeInfo *row = FindExternalType(code);
    if (row == nullptr) return kNoServerType;
    if (row->defaultServerType != kBySize) return row->defaultServerType;
    switch (size) {
    case 2: return INT2OID;
    case 8: return INT8OID;
    default: return INT4OID;  // 3..7 and every odd size fall back to four bytes
    }
}

Oid GetParamType(const PGresult *description, int position, ub4 code, sb4 size) {
    if (description != nullptr && position >= 1 && position <= PQnparams(description)) {
        Oid described = PQparamtype(description, position - 1);
        if (described != 0) return described;
    }
    return OraDataType_To_PGType(code, size);
}

Oid GetParamType(const OCIStmt *stmt, int position, ub4 code, sb4 size) {
    return GetParamType(stmt != nullptr ? stmt->paramDescription : nullptr, position, code, size);
}

int IsOCIToPQConversionPossible(ub4 code, Oid oid, BindConverter *converter) {
    if (FindExternalType(code) == nullptr || FindServerType(oid) == nullptr) return -1;
    BindConverter found = FindBindConverter(code, oid);
    if (found == nullptr) return -1;
    if (converter != nullptr) *converter = found;
    return 0;
}

// The two type vocabularies the library translates between: OCI external
// type codes (SQLT_*) and server type OIDs, with the words, flags and default
// mappings that bind, define and describe consult.
#pragma once
#include <libpq-fe.h>
#include <oci.h>

#include <cstddef>

#include "types/convert.h"

// A bind type that has no server counterpart.
constexpr Oid kNoServerType = 0xFFFFFFFFu;

// Further OIDs of the server's binary string family (RAWOID is the first);
// the second is catalogued, the third is only seen in results. Both are
// read as RAWOID.
constexpr Oid kRawOidAlias = 12501;
constexpr Oid kRawOidAlias2 = 12502;

// One row of the external-type table.
struct ExternalTypeInfo {
    ub2 code;
    const char *name;       // "SQLT_CHR"
    const char *classWord;  // word of error 932; "" for none
    bool binary;
    Oid defaultServerType;  // kNoServerType for none; 0 where the size decides
};

// One row of the server-type table.
struct ServerTypeInfo {
    Oid oid;
    const char *name;       // catalogue name
    const char *classWord;  // word of error 932; "" for none
    ub2 describedAs;        // external type describe reports; 0 for none
};

// The tables, sorted by key, for the tests and for anyone listing them.
extern const ExternalTypeInfo kExternalTypes[];
extern const size_t kExternalTypeCount;
extern const ServerTypeInfo kServerTypes[];
extern const size_t kServerTypeCount;

// Lookups; null for codes or OIDs outside the tables. Only the low 16 bits
// of an external code count.
const ExternalTypeInfo *FindExternalType(ub4 code);
const ServerTypeInfo *FindServerType(Oid oid);

// 1 / 0: is the external code one of the catalogued ones.
int IsValidOraDataType(ub4 code);
// 0 / -1: the same question, answered the other way round.
int IsValidOCIDataType(ub4 code);
// 0 / -1: is the OID one of the catalogued server types.
int IsValidPQDataType(Oid oid);

// New copies of the class words (o2pFree them); null when memory runs out.
char *GetOCIDatatypeName(ub4 code);
char *GetPQDatatypeName(Oid oid);

int IsBinaryDataType(ub4 code);                     // 1 / 0
ub2 MapPostgresDataTypeToOracleDataType(Oid oid);   // external code or 0

// Server type a bind is declared with when the server has not described the
// statement; integers choose by buffer size. kNoServerType for none.
Oid OraDataType_To_PGType(ub4 code, sb4 size);

// Server type of bind position `position` (1-based): the type the server's
// description of the prepared statement (a PQdescribePrepared result, may be
// null) gives for it when non-zero, else the default for (code, size).
Oid GetParamType(const PGresult *description, int position, ub4 code, sb4 size);
// The same for a statement, from the description it keeps (paramDescription).
struct OCIStmt;
Oid GetParamType(const OCIStmt *stmt, int position, ub4 code, sb4 size);

// 0 and the converter (when `converter` is non-null) if the bind table has
// the pair; -1 otherwise, also when either key is not catalogued.
int IsOCIToPQConversionPossible(ub4 code, Oid oid, BindConverter *converter);

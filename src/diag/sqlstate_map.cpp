// Server SQLSTATE -> OCI error number.
//
// Each row gives the Oracle number that means the same failure. Rows marked
// `serverText` are the ones the library's own mode reports with number 0 and
// the server's message (it has no number of its own for them); the
// Oracle-compatible mode reports every row's number. A code without a row is
// read, in that mode, by its class: the row "CC000" of its first two
// characters, and when the class has none, kServerErrorFallback.
#include <algorithm>
#include <iterator>
#include <mutex>

#include "diag/errors.h"

namespace {
struct SqlStatePair {
    const char *sqlstate;
    sb4 errcode;
    bool serverText;
};

constexpr bool kOwn = false;
constexpr bool kServerText = true;

// An error the server reports under a class without a row: Oracle's "data
// cartridge error", its number for a failure that an outside component
// reports with a message of its own.
constexpr sb4 kServerErrorFallback = 29400;

constexpr SqlStatePair kSqlStateMap[] = {
    // Rows the library has always mapped.
    {"42601", 16945, kOwn},
    {"22P06", 1424, kOwn},
    {"22003", 1426, kOwn},
    {"42P01", 942, kOwn},
    {"2200C", 1424, kOwn},
    {"22P02", 1858, kOwn},
    {"02000", 1403, kOwn},
    {"22004", 1400, kOwn},
    {"28000", 1017, kOwn},
    {"08000", 12545, kOwn},
    {"23000", 1, kOwn},
    {"28P01", 1017, kOwn},
    {"08003", 12545, kOwn},
    {"23505", 1, kOwn},
    {"2200F", 1425, kOwn},
    {"08006", 12545, kOwn},
    {"40P01", 60, kOwn},
    {"42704", 1418, kOwn},
    {"08001", 12545, kOwn},
    {"42701", 1430, kOwn},
    {"2BP01", 2429, kOwn},
    {"08004", 12545, kOwn},
    {"53000", 1659, kOwn},
    {"22027", 30001, kOwn},
    {"25000", 1453, kOwn},
    {"53100", 1659, kOwn},
    {"22001", 1401, kOwn},
    {"08007", 1453, kOwn},
    {"53200", 82100, kOwn},
    {"22002", 1405, kOwn},
    {"0A000", 3001, kOwn},
    {"42P07", 955, kOwn},
    {"22008", 1800, kOwn},
    {"22012", 1476, kOwn},
    {"21000", 1427, kOwn},
    {"44000", 1402, kOwn},
    {"2200B", 1424, kOwn},
    {"24000", 1001, kOwn},
    {"55P03", 54, kOwn},
    {"22019", 911, kOwn},
    {"72000", 1555, kOwn},
    {"P0003", 1422, kOwn},
    {"2200D", 1424, kOwn},
    {"22025", 1424, kOwn},
    // Known codes the library's own mode reports with the server's text.
    {"01006", 1927, kServerText},   // privilege not revoked: cannot REVOKE privileges you did not grant
    {"01007", 1031, kServerText},   // privilege not granted: insufficient privileges
    {"02001", 1403, kServerText},   // no further result sets: no data found
    {"03000", 1002, kServerText},   // statement not yet complete: fetch out of sequence
    {"08P01", 3113, kServerText},   // protocol violation: end-of-file on communication channel
    {"23001", 2292, kServerText},   // restrict violation: child record found
    {"23502", 1400, kServerText},   // not null violation: cannot insert NULL
    {"23503", 2291, kServerText},   // foreign key violation: parent key not found
    {"23514", 2290, kServerText},   // check constraint violated
    {"26000", 1001, kServerText},   // no such prepared statement: invalid cursor
    {"42830", 2270, kServerText},   // invalid foreign key: no matching unique or primary key
    {"55006", 54, kServerText},     // object in use: resource busy
    {"0B000", 1453, kServerText},   // invalid transaction initiation
    {"22000", 1722, kServerText},   // data exceptions: invalid number
    {"22007", 1861, kServerText},   // invalid datetime format: literal does not match format string
    {"22021", 29275, kServerText},  // character not in repertoire: partial multibyte character
    {"22023", 1722, kServerText},   // invalid parameter value
    {"23P01", 1, kServerText},      // exclusion violation: as a unique constraint
    {"25006", 1456, kServerText},   // read-only transaction: may not modify inside a READ ONLY transaction
    {"25P02", 1453, kServerText},   // current transaction aborted
    {"27000", 4091, kServerText},   // triggered data change: table is mutating
    {"2D000", 1453, kServerText},   // invalid transaction termination
    {"2F000", 6503, kServerText},   // routine exception: function returned without value
    {"34000", 1001, kServerText},   // invalid cursor name
    {"3B000", 1086, kServerText},   // savepoint exception: savepoint never established
    {"3B001", 1086, kServerText},
    {"3F000", 1435, kServerText},   // invalid schema name: user does not exist
    {"40000", 2091, kServerText},   // transaction rolled back
    {"40001", 8177, kServerText},   // serialization failure: cannot serialize access
    {"42000", 900, kServerText},    // syntax errors and access rules: invalid SQL statement
    {"42501", 1031, kServerText},   // insufficient privileges
    {"42622", 972, kServerText},    // name too long: identifier is too long
    {"42702", 918, kServerText},    // ambiguous column: column ambiguously defined
    {"42703", 904, kServerText},    // undefined column: invalid identifier
    {"42710", 955, kServerText},    // duplicate object: name already used
    {"42723", 955, kServerText},    // duplicate function
    {"42803", 979, kServerText},    // grouping error: not a GROUP BY expression
    {"42804", 932, kServerText},    // datatype mismatch: inconsistent datatypes
    {"42846", 932, kServerText},    // cannot coerce
    {"42883", 904, kServerText},    // undefined function (or no variant for the arguments): invalid identifier
    {"42P02", 1008, kServerText},   // undefined parameter: not all variables bound
    {"42P06", 955, kServerText},    // duplicate schema
    {"54000", 1706, kServerText},   // program limit exceeded: value too large
    {"55000", 54, kServerText},     // object not in prerequisite state
    {"57000", 1089, kServerText},   // operator intervention: immediate shutdown in progress
    {"57014", 1013, kServerText},   // query canceled: user requested cancel
    {"57P01", 1089, kServerText},   // administrator shutdown
    {"57P02", 1092, kServerText},   // crash shutdown: instance terminated
    {"57P03", 1033, kServerText},   // cannot connect now: initialization or shutdown in progress
    {"57P05", 2396, kServerText},   // idle session timeout: exceeded maximum idle time
    {"P0000", 6510, kServerText},   // PL/pgSQL errors: unhandled user-defined exception
    {"P0001", 20000, kServerText},  // RAISE EXCEPTION: an application error, as RAISE_APPLICATION_ERROR
    {"P0002", 1403, kServerText},   // no data found
    {"XX000", kServerErrorFallback, kServerText},  // internal errors
};

struct PackedPair {
    ub4 packed;
    sb4 errcode;
    bool serverText;
};

PackedPair sortedMap[std::size(kSqlStateMap)];
std::once_flag sortedOnce;

void SortMap() {
    for (size_t i = 0; i < std::size(kSqlStateMap); i++)
        sortedMap[i] = {PackSqlState(kSqlStateMap[i].sqlstate), kSqlStateMap[i].errcode, kSqlStateMap[i].serverText};
    std::sort(std::begin(sortedMap), std::end(sortedMap),
              [](const PackedPair &a, const PackedPair &b) { return a.packed < b.packed; });
}

const PackedPair *Find(const char *sqlstate) {
    std::call_once(sortedOnce, SortMap);
    const ub4 packed = PackSqlState(sqlstate);
    auto it = std::lower_bound(std::begin(sortedMap), std::end(sortedMap), packed,
                               [](const PackedPair &p, ub4 v) { return p.packed < v; });
    return it == std::end(sortedMap) || it->packed != packed ? nullptr : &*it;
}
}  // namespace

ub4 PackSqlState(const char *sqlstate) {
    ub4 packed = 0;
    for (int k = 0; k < 5 && sqlstate[k] != '\0'; k++)
        packed += (static_cast<ub4>(sqlstate[k] - '0') & 0x3F) << (6 * k);
    return packed;
}

sb4 MapSqlStateToOciError(const char *sqlstate) {
    if (sqlstate == nullptr) return 0;
    const PackedPair *row = Find(sqlstate);
    return row == nullptr || row->serverText ? 0 : row->errcode;
}

sb4 MapSqlStateToOracleError(const char *sqlstate) {
    if (sqlstate == nullptr || sqlstate[0] == '\0' || sqlstate[1] == '\0') return kServerErrorFallback;
    if (const PackedPair *row = Find(sqlstate)) return row->errcode;
    const char classRow[] = {sqlstate[0], sqlstate[1], '0', '0', '0', '\0'};
    if (const PackedPair *row = Find(classRow)) return row->errcode;
    return kServerErrorFallback;
}

// Server SQLSTATE -> OCI error number. Pairs with number 0 have no OCI
// counterpart: the server's own message is used instead.
#include <algorithm>
#include <iterator>
#include <mutex>

#include "diag/errors.h"

namespace {
struct SqlStatePair {
    const char *sqlstate;
    sb4 errcode;
};

constexpr SqlStatePair kSqlStateMap[] = {
    {"42601", 16945},
    {"22P06", 1424},
    {"22003", 1426},
    {"42P01", 942},
    {"2200C", 1424},
    {"22P02", 1858},
    {"02000", 1403},
    {"22004", 1400},
    {"28000", 1017},
    {"08000", 12545},
    {"23000", 1},
    {"28P01", 1017},
    {"08003", 12545},
    {"23505", 1},
    {"2200F", 1425},
    {"08006", 12545},
    {"40P01", 60},
    {"42704", 1418},
    {"08001", 12545},
    {"42701", 1430},
    {"2BP01", 2429},
    {"08004", 12545},
    {"53000", 1659},
    {"22027", 30001},
    {"25000", 1453},
    {"53100", 1659},
    {"22001", 1401},
    {"08007", 1453},
    {"53200", 82100},
    {"22002", 1405},
    {"0A000", 3001},
    {"42P07", 955},
    {"22008", 1800},
    {"22012", 1476},
    {"21000", 1427},
    {"44000", 1402},
    {"2200B", 1424},
    {"24000", 1001},
    {"55P03", 54},
    {"22019", 911},
    {"72000", 1555},
    {"P0003", 1422},
    {"2200D", 1424},
    {"22025", 1424},
    {"01007", 0},
    {"01006", 0},
    {"02001", 0},
    {"03000", 0},
    {"08P01", 0},
    {"23001", 0},
    {"23502", 0},
    {"23503", 0},
    {"23514", 0},
    {"26000", 0},
    {"42830", 0},
    {"55006", 0},
};

struct PackedPair {
    ub4 packed;
    sb4 errcode;
};

PackedPair sortedMap[std::size(kSqlStateMap)];
std::once_flag sortedOnce;

void SortMap() {
    for (size_t i = 0; i < std::size(kSqlStateMap); i++)
        sortedMap[i] = {PackSqlState(kSqlStateMap[i].sqlstate), kSqlStateMap[i].errcode};
    std::sort(std::begin(sortedMap), std::end(sortedMap),
              [](const PackedPair &a, const PackedPair &b) { return a.packed < b.packed; });
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
    std::call_once(sortedOnce, SortMap);
    const ub4 packed = PackSqlState(sqlstate);
    auto it = std::lower_bound(std::begin(sortedMap), std::end(sortedMap), packed,
                               [](const PackedPair &p, ub4 v) { return p.packed < v; });
    if (it == std::end(sortedMap) || it->packed != packed) return 0;
    return it->errcode;
}

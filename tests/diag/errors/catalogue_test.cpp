// The message catalogue and the SQLSTATE map as data.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "diag/catalogue.h"
#include "diag/errors.h"

namespace {

TEST(Catalogue, HoldsExactlyTheKnownNumbersInOrder) {
    // The designed 154 texts and the numbers added since (24416 first).
    EXPECT_GE(o2pErrorCatalogueSize(), 155);
    EXPECT_NE(o2pRawErrorText(24416), nullptr);
    int found = 0;
    for (ub4 n = 0; n < 100000; n++) {
        const char *text = o2pRawErrorText(n);
        if (text == nullptr) continue;
        found++;
        const std::string s(text);
        // Every prefixed text carries its own number: five digits (2112 has four).
        const std::string prefix = O2P_ERROR_PREFIX;
        if (s.rfind(prefix, 0) == 0) {
            const std::string digits = s.substr(prefix.size(), s.find(':') - prefix.size());
            EXPECT_EQ(std::stoul(digits), n) << s;
        }
    }
    // Binary search finds every entry only when the table is sorted.
    EXPECT_EQ(found, o2pErrorCatalogueSize());
}

TEST(Catalogue, TextsAreExact) {
    EXPECT_STREQ(o2pGetErrorText(942), O2P_ERROR_PREFIX "00942: table or view does not exist");
    EXPECT_STREQ(o2pGetErrorText(943), "UNKNOWN ERROR CODE");
    EXPECT_STREQ(o2pGetErrorText(54), "resource busy - lock timeout");
    EXPECT_STREQ(o2pGetErrorText(2112), O2P_ERROR_PREFIX "2112: returns too many rows");
    EXPECT_STREQ(o2pGetErrorText(1), O2P_ERROR_PREFIX "00001: unique constraint (%s.%s) violated");
    EXPECT_STREQ(o2pGetErrorText(12154),
                 O2P_ERROR_PREFIX "12154: TNS:could not resolve the connect identifier specified \n");
    EXPECT_STREQ(o2pGetErrorText(82100), "out of memory");
    EXPECT_STREQ(o2pGetErrorText(30475), O2P_ERROR_PREFIX "30475: unsupported feature: %s");
    EXPECT_STREQ(o2pGetErrorText(0), "UNKNOWN ERROR CODE");
    // No range fallback: the neighbours of a known number are unknown.
    EXPECT_STREQ(o2pGetErrorText(24317), "UNKNOWN ERROR CODE");
    EXPECT_STREQ(o2pGetErrorText(0xFFFFFFFFu), "UNKNOWN ERROR CODE");
}

TEST(SqlStateMap, PackingAndLookup) {
    EXPECT_EQ(PackSqlState("08P01"), 16908800u);
    EXPECT_EQ(MapSqlStateToOciError("42P01"), 942);
    EXPECT_EQ(MapSqlStateToOciError("02000"), 1403);
    EXPECT_EQ(MapSqlStateToOciError("0A000"), 3001);
    EXPECT_EQ(MapSqlStateToOciError("P0003"), 1422);
    EXPECT_EQ(MapSqlStateToOciError("53200"), 82100);
    EXPECT_EQ(MapSqlStateToOciError("23502"), 0);  // known, without an OCI number
    EXPECT_EQ(MapSqlStateToOciError("XX000"), 0);  // unknown
    EXPECT_EQ(MapSqlStateToOciError(nullptr), 0);

    // The Oracle-compatible numbers: the code's own, its class's ("CC000"),
    // or the fallback for server errors; never 0.
    EXPECT_EQ(MapSqlStateToOracleError("42P01"), 942);
    EXPECT_EQ(MapSqlStateToOracleError("23502"), 1400);
    EXPECT_EQ(MapSqlStateToOracleError("42703"), 904);
    EXPECT_EQ(MapSqlStateToOracleError("42P10"), MapSqlStateToOracleError("42000"));
    EXPECT_EQ(MapSqlStateToOracleError("2201E"), MapSqlStateToOracleError("22000"));
    const sb4 fallback = MapSqlStateToOracleError("XX000");
    EXPECT_NE(fallback, 0);
    for (const char *unmapped : {"38001", "HV000", "F0000", "ZZZZZ", "4", ""})
        EXPECT_EQ(MapSqlStateToOracleError(unmapped), fallback) << unmapped;
    EXPECT_EQ(MapSqlStateToOracleError(nullptr), fallback);
}

TEST(SqlStateMap, FirstUseFromManyThreadsAgrees) {
    std::vector<std::thread> threads;
    std::vector<sb4> results(8);
    for (int i = 0; i < 8; i++)
        threads.emplace_back([i, &results] { results[i] = MapSqlStateToOciError("23505"); });
    for (auto &t : threads) t.join();
    for (sb4 r : results) EXPECT_EQ(r, 1);
}

}  // namespace

// The type catalogue, the bind table and the bind dispatcher, checked against
// the tables written out independently in data/.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>

#include "diag/trace.h"
#include "types/bind/bind_test_support.h"
#include "types/bind_converters.h"
#include "types/conversion_tables.h"
#include "types/type_catalogue.h"

using bindtest::ReadTable;
using bindtest::Row;
using bindtest::TestEnv;

namespace {

std::string Word(char *allocated) {
    EXPECT_NE(allocated, nullptr);
    std::string word = allocated != nullptr ? allocated : "<null>";
    o2pFree(allocated);
    return word;
}

// External type names of the data files -> codes.
std::map<std::string, ub2> ExternalCodes() {
    std::map<std::string, ub2> codes;
    for (const Row &r : ReadTable("catalogue", "external_types.txt"))
        codes[r.cells[1]] = static_cast<ub2>(std::stoi(r.cells[0]));
    return codes;
}

std::set<Oid> ServerOids() {
    std::set<Oid> oids;
    for (const Row &r : ReadTable("catalogue", "server_types.txt")) oids.insert(std::stoul(r.cells[0]));
    return oids;
}

#define NAMED(fn) {#fn, fn}
const std::map<std::string, BindConverter> kBindConverters = {
    NAMED(ConvertSQLT_CHRToTEXTOID),        NAMED(ConvertSQLT_LNGToTEXTOID),
    NAMED(ConvertSQLT_AFCToTEXTOID),        NAMED(ConvertSQLT_VCSToTEXTOID),
    NAMED(ConvertSQLT_LVCToTEXTOID),        NAMED(ConvertSQLT_VSTToTEXTOID),
    NAMED(ConvertSQLT_STRToTEXTOID),        NAMED(ConvertSQLT_INTToCHAROID),
    NAMED(ConvertSQLT_INTToINT2OID),        NAMED(ConvertSQLT_INTToINT4OID),
    NAMED(ConvertSQLT_INTToINT8OID),        NAMED(ConvertSQLT_INTToNUMERICOID),
    NAMED(ConvertSQLT_UINToINT2OID),        NAMED(ConvertSQLT_UINToINT4OID),
    NAMED(ConvertSQLT_UINToINT8OID),        NAMED(ConvertSQLT_FLTToFLOAT4OID),
    NAMED(ConvertSQLT_FLTToFLOAT8OID),      NAMED(ConvertSQLT_NUMToNUMERICOID),
    NAMED(ConvertSQLT_VNUToNUMERICOID),     NAMED(ConvertSQLT_BINToBYTEAOID),
    NAMED(ConvertSQLT_LBIToBYTEAOID),       NAMED(ConvertSQLT_VBIToBYTEAOID),
    NAMED(ConvertSQLT_LVBToBYTEAOID),       NAMED(ConvertSQLT_DATToDATEOID),
    NAMED(ConvertSQLT_DATToTIMESTAMPOID),   NAMED(ConvertSQLT_ODTToTIMESTAMPOID),
    NAMED(ConvertSQLT_DATEToTIMESTAMPOID),  NAMED(ConvertSQLT_TIMESTAMPToTIMESTAMPOID),
    NAMED(ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID), NAMED(ConvertSQLT_INTERVAL_DSToINTERVALOID),
};
#undef NAMED

TEST(ExternalTypes, EveryRowAnswersAsListed) {
    const auto rows = ReadTable("catalogue", "external_types.txt");
    ASSERT_EQ(rows.size(), 48u);
    ASSERT_EQ(kExternalTypeCount, 48u);
    for (size_t k = 0; k < rows.size(); ++k) {
        const auto &c = rows[k].cells;
        const ub4 code = std::stoul(c[0]);
        SCOPED_TRACE(c[1]);
        EXPECT_EQ(kExternalTypes[k].code, code);
        EXPECT_STREQ(kExternalTypes[k].name, c[1].c_str());
        // Only the low 16 bits of a widened code count.
        for (ub4 widened : {code, code | 0x10000u, code | 0xFFFF0000u}) {
            EXPECT_EQ(IsValidOraDataType(widened), 1);
            EXPECT_EQ(IsValidOCIDataType(widened), 0);
            EXPECT_EQ(Word(GetOCIDatatypeName(widened)), c[2] == "-" ? "" : c[2]);
            EXPECT_EQ(IsBinaryDataType(widened), c[3] == "yes" ? 1 : 0);
        }
        if (c[4] == "size") continue;
        const Oid expected = c[4] == "none" ? 0xFFFFFFFFu : std::stoul(c[4]);
        for (sb4 size : {0, 1, 2, 4, 8, 100}) EXPECT_EQ(OraDataType_To_PGType(code, size), expected) << size;
    }
}

TEST(ExternalTypes, CodesOutsideTheCatalogue) {
    int valid = 0;
    for (ub4 code = 0; code <= 0xFFFF; ++code) {
        if (IsValidOraDataType(code) == 1) {
            ++valid;
            continue;
        }
        ASSERT_EQ(IsValidOCIDataType(code), -1) << code;
        ASSERT_EQ(IsBinaryDataType(code), 0) << code;
        ASSERT_EQ(OraDataType_To_PGType(code, 4), 0xFFFFFFFFu) << code;
        ASSERT_EQ(FindExternalType(code), nullptr);
    }
    EXPECT_EQ(valid, 48);
    EXPECT_EQ(Word(GetOCIDatatypeName(13)), "");
    EXPECT_EQ(Word(GetOCIDatatypeName(250)), "");
}

TEST(ExternalTypes, IntegerBindsTakeTheirWidthFromTheSize) {
    const std::map<sb4, Oid> bySize = {{-1, INT4OID}, {0, INT4OID}, {1, INT4OID}, {2, INT2OID}, {3, INT4OID},
                                       {4, INT4OID},  {5, INT4OID}, {7, INT4OID}, {8, INT8OID}, {9, INT4OID},
                                       {16, INT4OID}};
    for (ub4 code : {SQLT_INT, SQLT_UIN}) {
        for (const auto &[size, oid] : bySize) EXPECT_EQ(OraDataType_To_PGType(code, size), oid) << code << "/" << size;
    }
}

TEST(ServerTypes, EveryRowAnswersAsListed) {
    const auto rows = ReadTable("catalogue", "server_types.txt");
    ASSERT_EQ(rows.size(), kServerTypeCount);
    for (size_t k = 0; k < rows.size(); ++k) {
        const auto &c = rows[k].cells;
        const Oid oid = std::stoul(c[0]);
        SCOPED_TRACE(c[1]);
        EXPECT_EQ(kServerTypes[k].oid, oid);
        EXPECT_STREQ(kServerTypes[k].name, c[1].c_str());
        EXPECT_EQ(IsValidPQDataType(oid), 0);
        EXPECT_EQ(Word(GetPQDatatypeName(oid)), c[2] == "-" ? "" : c[2]);
        EXPECT_EQ(MapPostgresDataTypeToOracleDataType(oid), std::stoi(c[3]));
    }
    // Nothing else is known, the third raw OID included.
    size_t known = 0;
    for (Oid oid = 0; oid < 70000; ++oid) known += IsValidPQDataType(oid) == 0;
    EXPECT_EQ(known, rows.size());
    for (Oid oid : {12502u, 0xFFFFFFFFu, 0x80000000u}) {
        EXPECT_EQ(IsValidPQDataType(oid), -1);
        EXPECT_EQ(Word(GetPQDatatypeName(oid)), "");
        EXPECT_EQ(MapPostgresDataTypeToOracleDataType(oid), 0);
    }
}

TEST(ServerTypes, ClassWordsFailCleanlyWithoutMemory) {
    o2pFailAllocationAfter(0);
    EXPECT_EQ(GetOCIDatatypeName(SQLT_CHR), nullptr);
    o2pFailAllocationAfter(0);
    EXPECT_EQ(GetPQDatatypeName(TEXTOID), nullptr);
    o2pFailAllocationAfter(-1);
}

TEST(ServerTypes, DescribedParameterTypeWinsOverTheDefault) {
    // Without a description (or beyond it) the bind's own type decides.
    EXPECT_EQ(GetParamType(static_cast<const PGresult *>(nullptr), 1, SQLT_INT, 8), INT8OID);
    EXPECT_EQ(GetParamType(static_cast<const PGresult *>(nullptr), 3, SQLT_STR, 10), VARCHAROID);
    EXPECT_EQ(GetParamType(static_cast<const PGresult *>(nullptr), 1, SQLT_NTY, 10), 0xFFFFFFFFu);
    // A result that describes no parameters is no better than none.
    PGresult *empty = PQmakeEmptyPGresult(nullptr, PGRES_COMMAND_OK);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(GetParamType(empty, 1, SQLT_INT, 2), INT2OID);
    EXPECT_EQ(GetParamType(empty, 0, SQLT_FLT, 8), FLOAT8OID);
    PQclear(empty);
}

TEST(BindTable, ThirtyEightRowsInStrictOrder) {
    ASSERT_EQ(kOCIToPQConversionCount, 38u);
    for (size_t k = 1; k < kOCIToPQConversionCount; ++k) {
        const auto &a = OCIToPQConversionFunctions[k - 1];
        const auto &b = OCIToPQConversionFunctions[k];
        EXPECT_TRUE(a.first < b.first || (a.first == b.first && a.second < b.second)) << k;
    }
}

TEST(BindTable, EveryPairOfTheCataloguesResolvesAsListed) {
    const auto codes = ExternalCodes();
    std::map<std::pair<ub2, Oid>, std::string> listed;
    for (const Row &r : ReadTable("catalogue", "bind_table.txt")) {
        ASSERT_EQ(codes.count(r.cells[0]), 1u) << r.line;
        ASSERT_EQ(kBindConverters.count(r.cells[2]), 1u) << r.cells[2];
        listed[{codes.at(r.cells[0]), std::stoul(r.cells[1])}] = r.cells[2];
    }
    ASSERT_EQ(listed.size(), 38u);

    std::set<Oid> oids = ServerOids();
    oids.insert({12502u, 99999u, 0xFFFFFFFFu});  // outside the catalogue
    size_t found = 0;
    for (const auto &[name, code] : codes) {
        for (Oid oid : oids) {
            BindConverter fn = nullptr;
            const int rc = IsOCIToPQConversionPossible(code, oid, &fn);
            auto it = listed.find({code, oid});
            if (it == listed.end()) {
                EXPECT_EQ(rc, -1) << name << " -> " << oid;
                EXPECT_EQ(fn, nullptr);
                continue;
            }
            ++found;
            EXPECT_EQ(rc, 0) << name << " -> " << oid;
            EXPECT_EQ(fn, kBindConverters.at(it->second)) << name << " -> " << oid << " wants " << it->second;
            EXPECT_EQ(IsOCIToPQConversionPossible(code | 0x20000u, oid, nullptr), 0);
        }
    }
    EXPECT_EQ(found, 38u);
}

TEST(BindTable, SearchComparesKeysAsSignedNumbers) {
    // Keys at the edges of the signed range order as signed values.
    const ConversionEntry<BindConverter> table[] = {
        {INT32_MIN, 5, ConvertSQLT_CHRToTEXTOID}, {-1, -1, ConvertSQLT_LNGToTEXTOID},
        {-1, 7, ConvertSQLT_AFCToTEXTOID},        {0, 0, ConvertSQLT_VCSToTEXTOID},
        {3, INT32_MAX, ConvertSQLT_LVCToTEXTOID},
    };
    const size_t n = sizeof table / sizeof table[0];
    for (const auto &row : table)
        EXPECT_EQ(GetConversionFunctionInternal(table, n, row.first, row.second), row.converter);
    EXPECT_EQ(GetConversionFunctionInternal(table, n, -1, 0), nullptr);
    EXPECT_EQ(GetConversionFunctionInternal(table, n, 3, INT32_MIN), nullptr);
    EXPECT_EQ(GetConversionFunctionInternal(table, 0, 0, 0), nullptr);
    EXPECT_LT(CompareConversionFunctionEntry(table[0], -1, -1), 0);
    EXPECT_GT(CompareConversionFunctionEntry(table[2], -1, -1), 0);
    EXPECT_EQ(CompareConversionFunctionEntry(table[3], 0, 0), 0);
}

// ---- bind dispatch ----------------------------------------------------------------------

TEST(BindDispatch, RefusesPairsOutsideTheTableWithError1460) {
    TestEnv t;
    const char value[] = "12";
    // Easy-looking conversions the table does not offer are refused too.
    const std::pair<ub4, Oid> refused[] = {{SQLT_CHR, NUMERICOID}, {SQLT_CHR, TEXTOID}, {SQLT_STR, INT4OID},
                                           {SQLT_STR, BPCHAROID},  {SQLT_UIN, NUMERICOID}, {SQLT_NTY, 0xFFFFFFFFu}};
    for (const auto &[code, oid] : refused) {
        bindtest::Produced p;
        sb2 ind = 0;
        p.rc = OCI2PQType(t.err, code, value, 3, &ind, oid, &p.out, &p.length, &p.format);
        EXPECT_EQ(p.rc, -1);
        EXPECT_FALSE(p.Touched());  // nothing allocated, nothing handed out
        EXPECT_EQ(t.Records(), std::vector<std::string>{"1460: VOSKARI-01460: illegal conversion requested"});
    }
}

TEST(BindDispatch, MissingArgumentsFailQuietly) {
    TestEnv t;
    const sb4 v = 1;
    bindtest::Produced p;
    EXPECT_EQ(OCI2PQType(nullptr, SQLT_INT, &v, 4, nullptr, INT4OID, &p.out, &p.length, &p.format), -1);
    EXPECT_EQ(OCI2PQType(t.err, SQLT_INT, &v, 4, nullptr, INT4OID, nullptr, &p.length, &p.format), -1);
    EXPECT_EQ(OCI2PQType(t.err, SQLT_INT, &v, 4, nullptr, INT4OID, &p.out, nullptr, &p.format), -1);
    EXPECT_EQ(OCI2PQType(t.err, SQLT_INT, &v, 4, nullptr, INT4OID, &p.out, &p.length, nullptr), -1);
    EXPECT_FALSE(p.Touched());
    EXPECT_TRUE(t.Records().empty());
}

TEST(BindDispatch, NullIndicatorsAndAbsentValues) {
    TestEnv t;
    const sb4 v = 42;
    {  // indicator -1: SQL NULL whatever the value
        bindtest::Produced p;
        sb2 ind = -1;
        p.rc = OCI2PQType(t.err, SQLT_INT, &v, 4, &ind, INT4OID, &p.out, &p.length, &p.format);
        EXPECT_EQ(p.rc, 0);
        EXPECT_TRUE(p.IsNull());
        EXPECT_EQ(p.format, 0);
    }
    {  // no value: NULL, and the application's indicator says so
        bindtest::Produced p;
        sb2 ind = 0;
        p.rc = OCI2PQType(t.err, SQLT_STR, nullptr, 10, &ind, VARCHAROID, &p.out, &p.length, &p.format);
        EXPECT_EQ(p.rc, 0);
        EXPECT_TRUE(p.IsNull());
        EXPECT_EQ(ind, -1);
        p.rc = OCI2PQType(t.err, SQLT_STR, nullptr, 10, nullptr, VARCHAROID, &p.out, &p.length, &p.format);
        EXPECT_EQ(p.rc, 0);
    }
    {  // any other negative indicator is refused without a record
        bindtest::Produced p;
        sb2 ind = -2;
        EXPECT_EQ(OCI2PQType(t.err, SQLT_INT, &v, 4, &ind, INT4OID, &p.out, &p.length, &p.format), -1);
        EXPECT_EQ(p.out, nullptr);
    }
    {  // a cursor bind carries no value even with a buffer
        bindtest::Produced p;
        char name[8] = "cur";
        sb2 ind = 0;
        EXPECT_EQ(OCI2PQType(t.err, SQLT_RSET, name, 8, &ind, REFCURSOROID, &p.out, &p.length, &p.format), 0);
        EXPECT_TRUE(p.IsNull());
    }
    EXPECT_TRUE(t.Records().empty());
}

TEST(BindDispatch, ConvertsThroughTheTableAndLowSixteenBits) {
    TestEnv t;
    const sb4 v = 42;
    bindtest::Produced p;
    sb2 ind = 0;
    p.rc = OCI2PQType(t.err, 0x10000u | SQLT_INT, &v, 4, &ind, INT4OID, &p.out, &p.length, &p.format);
    ASSERT_EQ(p.rc, 0);
    EXPECT_EQ(p.format, 1);
    EXPECT_EQ(bindtest::Hex(p.out, p.length), "00 00 00 2A");
}

TEST(BindDispatch, TracesTypesAndBothValues) {
    TestEnv t;
    FILE *log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    FILE *savedLog = oci_debug_log;
    const ub8 savedMask = oci_debug_mask;
    oci_debug_log = log;
    oci_debug_mask = TRACE_CONVERT;

    const char value[] = "hi  ";
    bindtest::Produced p;
    sb2 ind = 0;
    p.rc = OCI2PQType(t.err, SQLT_CHR, value, 4, &ind, VARCHAROID, &p.out, &p.length, &p.format);
    oci_debug_log = savedLog;
    oci_debug_mask = savedMask;
    ASSERT_EQ(p.rc, 0);

    std::string logged(4096, '\0');
    std::rewind(log);
    logged.resize(std::fread(&logged[0], 1, logged.size(), log));
    std::fclose(log);
    EXPECT_EQ(logged.rfind("OCI2PQType: pgtype(1043), ocitype(1), bufferin_sz(4) *indp(0)\n", 0), 0u) << logged;
    const size_t source = logged.find("  source:\n");
    const size_t result = logged.find("  result:\n");
    ASSERT_NE(source, std::string::npos);
    ASSERT_NE(result, std::string::npos);
    EXPECT_NE(logged.find("68 69 20 20 ", source), std::string::npos);  // the four bytes given
    EXPECT_NE(logged.find("68 69 00 ", result), std::string::npos);     // blanks gone, NUL counted
}

}  // namespace

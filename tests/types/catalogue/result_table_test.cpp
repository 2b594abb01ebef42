// The result table and the result dispatchers, checked against the matrix
// written out independently in data/result_matrix.txt.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "stmt/stmt_handles.h"
#include "types/bind/bind_test_support.h"
#include "types/conversion_tables.h"
#include "types/result_converters.h"
#include "types/type_catalogue.h"

using bindtest::ReadTable;
using bindtest::Row;
using bindtest::TestEnv;

namespace {

#define NAMED(fn) {#fn, fn}
const std::map<std::string, ResultConverter> kResultConverters = {
    NAMED(ConvertBYTEAOIDToSQLT_AFC),
    NAMED(ConvertBYTEAOIDToSQLT_AVC),
    NAMED(ConvertBYTEAOIDToSQLT_BIN),
    NAMED(ConvertBYTEAOIDToSQLT_CHR),
    NAMED(ConvertBYTEAOIDToSQLT_LBI),
    NAMED(ConvertBYTEAOIDToSQLT_LNG),
    NAMED(ConvertBYTEAOIDToSQLT_LVB),
    NAMED(ConvertBYTEAOIDToSQLT_LVC),
    NAMED(ConvertBYTEAOIDToSQLT_STR),
    NAMED(ConvertBYTEAOIDToSQLT_VBI),
    NAMED(ConvertBYTEAOIDToSQLT_VCS),
    NAMED(ConvertBYTEAOIDToSQLT_VST),
    NAMED(ConvertCHAROIDToSQLT_AFC),
    NAMED(ConvertCHAROIDToSQLT_AVC),
    NAMED(ConvertCHAROIDToSQLT_BDOUBLE),
    NAMED(ConvertCHAROIDToSQLT_BFLOAT),
    NAMED(ConvertCHAROIDToSQLT_CHR),
    NAMED(ConvertCHAROIDToSQLT_FLT),
    NAMED(ConvertCHAROIDToSQLT_INT),
    NAMED(ConvertCHAROIDToSQLT_LNG),
    NAMED(ConvertCHAROIDToSQLT_LVC),
    NAMED(ConvertCHAROIDToSQLT_NUM),
    NAMED(ConvertCHAROIDToSQLT_STR),
    NAMED(ConvertCHAROIDToSQLT_UIN),
    NAMED(ConvertCHAROIDToSQLT_VCS),
    NAMED(ConvertCHAROIDToSQLT_VNU),
    NAMED(ConvertCHAROIDToSQLT_VST),
    NAMED(ConvertDATEOIDToSQLT_AFC),
    NAMED(ConvertDATEOIDToSQLT_AVC),
    NAMED(ConvertDATEOIDToSQLT_CHR),
    NAMED(ConvertDATEOIDToSQLT_LNG),
    NAMED(ConvertDATEOIDToSQLT_LVC),
    NAMED(ConvertDATEOIDToSQLT_STR),
    NAMED(ConvertDATEOIDToSQLT_VCS),
    NAMED(ConvertDATEOIDToSQLT_VST),
    NAMED(ConvertFLOAT4OIDToSQLT_AFC),
    NAMED(ConvertFLOAT4OIDToSQLT_AVC),
    NAMED(ConvertFLOAT4OIDToSQLT_BDOUBLE),
    NAMED(ConvertFLOAT4OIDToSQLT_BFLOAT),
    NAMED(ConvertFLOAT4OIDToSQLT_CHR),
    NAMED(ConvertFLOAT4OIDToSQLT_FLT),
    NAMED(ConvertFLOAT4OIDToSQLT_INT),
    NAMED(ConvertFLOAT4OIDToSQLT_LNG),
    NAMED(ConvertFLOAT4OIDToSQLT_LVC),
    NAMED(ConvertFLOAT4OIDToSQLT_NUM),
    NAMED(ConvertFLOAT4OIDToSQLT_STR),
    NAMED(ConvertFLOAT4OIDToSQLT_UIN),
    NAMED(ConvertFLOAT4OIDToSQLT_VCS),
    NAMED(ConvertFLOAT4OIDToSQLT_VNU),
    NAMED(ConvertFLOAT4OIDToSQLT_VST),
    NAMED(ConvertFLOAT8OIDToSQLT_AFC),
    NAMED(ConvertFLOAT8OIDToSQLT_AVC),
    NAMED(ConvertFLOAT8OIDToSQLT_BDOUBLE),
    NAMED(ConvertFLOAT8OIDToSQLT_BFLOAT),
    NAMED(ConvertFLOAT8OIDToSQLT_CHR),
    NAMED(ConvertFLOAT8OIDToSQLT_FLT),
    NAMED(ConvertFLOAT8OIDToSQLT_INT),
    NAMED(ConvertFLOAT8OIDToSQLT_LNG),
    NAMED(ConvertFLOAT8OIDToSQLT_LVC),
    NAMED(ConvertFLOAT8OIDToSQLT_NUM),
    NAMED(ConvertFLOAT8OIDToSQLT_STR),
    NAMED(ConvertFLOAT8OIDToSQLT_UIN),
    NAMED(ConvertFLOAT8OIDToSQLT_VCS),
    NAMED(ConvertFLOAT8OIDToSQLT_VNU),
    NAMED(ConvertFLOAT8OIDToSQLT_VST),
    NAMED(ConvertINT2OIDToSQLT_AFC),
    NAMED(ConvertINT2OIDToSQLT_AVC),
    NAMED(ConvertINT2OIDToSQLT_BDOUBLE),
    NAMED(ConvertINT2OIDToSQLT_BFLOAT),
    NAMED(ConvertINT2OIDToSQLT_CHR),
    NAMED(ConvertINT2OIDToSQLT_FLT),
    NAMED(ConvertINT2OIDToSQLT_INT),
    NAMED(ConvertINT2OIDToSQLT_LNG),
    NAMED(ConvertINT2OIDToSQLT_LVC),
    NAMED(ConvertINT2OIDToSQLT_NUM),
    NAMED(ConvertINT2OIDToSQLT_STR),
    NAMED(ConvertINT2OIDToSQLT_UIN),
    NAMED(ConvertINT2OIDToSQLT_VCS),
    NAMED(ConvertINT2OIDToSQLT_VNU),
    NAMED(ConvertINT2OIDToSQLT_VST),
    NAMED(ConvertINT4OIDToSQLT_AFC),
    NAMED(ConvertINT4OIDToSQLT_AVC),
    NAMED(ConvertINT4OIDToSQLT_BDOUBLE),
    NAMED(ConvertINT4OIDToSQLT_BFLOAT),
    NAMED(ConvertINT4OIDToSQLT_CHR),
    NAMED(ConvertINT4OIDToSQLT_FLT),
    NAMED(ConvertINT4OIDToSQLT_INT),
    NAMED(ConvertINT4OIDToSQLT_LNG),
    NAMED(ConvertINT4OIDToSQLT_LVC),
    NAMED(ConvertINT4OIDToSQLT_NUM),
    NAMED(ConvertINT4OIDToSQLT_STR),
    NAMED(ConvertINT4OIDToSQLT_UIN),
    NAMED(ConvertINT4OIDToSQLT_VCS),
    NAMED(ConvertINT4OIDToSQLT_VNU),
    NAMED(ConvertINT4OIDToSQLT_VST),
    NAMED(ConvertINT8OIDToSQLT_AFC),
    NAMED(ConvertINT8OIDToSQLT_AVC),
    NAMED(ConvertINT8OIDToSQLT_BDOUBLE),
    NAMED(ConvertINT8OIDToSQLT_BFLOAT),
    NAMED(ConvertINT8OIDToSQLT_CHR),
    NAMED(ConvertINT8OIDToSQLT_FLT),
    NAMED(ConvertINT8OIDToSQLT_INT),
    NAMED(ConvertINT8OIDToSQLT_LNG),
    NAMED(ConvertINT8OIDToSQLT_LVC),
    NAMED(ConvertINT8OIDToSQLT_NUM),
    NAMED(ConvertINT8OIDToSQLT_STR),
    NAMED(ConvertINT8OIDToSQLT_UIN),
    NAMED(ConvertINT8OIDToSQLT_VCS),
    NAMED(ConvertINT8OIDToSQLT_VNU),
    NAMED(ConvertINT8OIDToSQLT_VST),
    NAMED(ConvertINTERVALOIDToSQLT_INTERVAL_DS),
    NAMED(ConvertNUMERICOIDToSQLT_AFC),
    NAMED(ConvertNUMERICOIDToSQLT_AVC),
    NAMED(ConvertNUMERICOIDToSQLT_BDOUBLE),
    NAMED(ConvertNUMERICOIDToSQLT_BFLOAT),
    NAMED(ConvertNUMERICOIDToSQLT_CHR),
    NAMED(ConvertNUMERICOIDToSQLT_FLT),
    NAMED(ConvertNUMERICOIDToSQLT_INT),
    NAMED(ConvertNUMERICOIDToSQLT_LNG),
    NAMED(ConvertNUMERICOIDToSQLT_LVC),
    NAMED(ConvertNUMERICOIDToSQLT_STR),
    NAMED(ConvertNUMERICOIDToSQLT_UIN),
    NAMED(ConvertNUMERICOIDToSQLT_VCS),
    NAMED(ConvertNUMERICOIDToSQLT_NUM),
    NAMED(ConvertNUMERICOIDToSQLT_VNU),
    NAMED(ConvertNUMERICOIDToSQLT_VST),
    NAMED(ConvertOIDOIDToSQLT_BLOB),
    NAMED(ConvertTEXTOIDToSQLT_AVC),
    NAMED(ConvertTEXTOIDToSQLT_BDOUBLE),
    NAMED(ConvertTEXTOIDToSQLT_BFLOAT),
    NAMED(ConvertTEXTOIDToSQLT_BIN),
    NAMED(ConvertTEXTOIDToSQLT_CHR),
    NAMED(ConvertTEXTOIDToSQLT_DAT),
    NAMED(ConvertTEXTOIDToSQLT_DATE),
    NAMED(ConvertTEXTOIDToSQLT_FLT),
    NAMED(ConvertTEXTOIDToSQLT_INT),
    NAMED(ConvertTEXTOIDToSQLT_LBI),
    NAMED(ConvertTEXTOIDToSQLT_LNG),
    NAMED(ConvertTEXTOIDToSQLT_LVB),
    NAMED(ConvertTEXTOIDToSQLT_LVC),
    NAMED(ConvertTEXTOIDToSQLT_NUM),
    NAMED(ConvertTEXTOIDToSQLT_ODT),
    NAMED(ConvertTEXTOIDToSQLT_STR),
    NAMED(ConvertTEXTOIDToSQLT_TIMESTAMP),
    NAMED(ConvertTEXTOIDToSQLT_TIMESTAMP_TZ),
    NAMED(ConvertTEXTOIDToSQLT_UIN),
    NAMED(ConvertTEXTOIDToSQLT_VBI),
    NAMED(ConvertTEXTOIDToSQLT_VCS),
    NAMED(ConvertTEXTOIDToSQLT_VNU),
    NAMED(ConvertTEXTOIDToSQLT_VST),
    NAMED(ConvertTIMESTAMPOIDToSQLT_DAT),
    NAMED(ConvertTIMESTAMPOIDToSQLT_DATE),
    NAMED(ConvertTIMESTAMPOIDToSQLT_ODT),
    NAMED(ConvertTIMESTAMPOIDToSQLT_TIMESTAMP),
    NAMED(ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ),
    NAMED(ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ),
};
#undef NAMED

const std::set<std::string> kCharacterCodes = {"SQLT_CHR", "SQLT_STR", "SQLT_LNG", "SQLT_VCS",
                                               "SQLT_LVC", "SQLT_AFC", "SQLT_AVC", "SQLT_VST"};

std::map<std::string, ub2> ExternalCodes() {
    std::map<std::string, ub2> codes;
    for (const Row &r : ReadTable("catalogue", "external_types.txt"))
        codes[r.cells[1]] = static_cast<ub2>(std::stoi(r.cells[0]));
    return codes;
}

// Every (server OID, external type) pair the matrix names, with its converter.
std::map<std::pair<Oid, ub2>, std::string> ExpectedPairs(std::set<Oid> *rowOids) {
    const auto codes = ExternalCodes();
    std::map<std::pair<Oid, ub2>, std::string> expected;
    std::vector<std::string> columns;
    for (const Row &r : ReadTable("catalogue", "result_matrix.txt")) {
        std::string head = r.cells[0];
        if (head.rfind("columns:", 0) == 0) {
            columns = r.cells;
            columns[0] = bindtest::Trim(head.substr(8));
            continue;
        }
        if (head.rfind("extra:", 0) == 0) {
            const Oid oid = std::stoul(head.substr(6));
            expected[{oid, codes.at(r.cells[1])}] = r.cells[2];
            continue;
        }
        // "<name> <oid> <family>", then one cell per column
        char name[32], family[32];
        unsigned oid = 0;
        EXPECT_EQ(std::sscanf(head.c_str(), "%31s %u %31s", name, &oid, family), 3) << r.line;
        EXPECT_EQ(r.cells.size(), columns.size() + 1) << r.line;
        rowOids->insert(oid);
        for (size_t c = 0; c < columns.size(); ++c) {
            const std::string &cell = r.cells[c + 1], &column = columns[c];
            std::string converter;
            if (cell == "-") continue;
            if (cell == "own")
                converter = std::string("Convert") + family + "OIDToSQLT_" + column;
            else if (cell == "D")
                converter = "ConvertDATEOIDToSQLT_" + column;
            else if (cell == "T")
                converter = "ConvertTIMESTAMPOIDToSQLT_" + (column == "TIMESTAMP_LTZ" ? "TIMESTAMP_TZ" : column);
            else if (cell == "Z")
                converter = "ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ";
            else
                converter = std::string("Convert") + family + "OIDToSQLT_" + cell;
            expected[{oid, codes.at("SQLT_" + column)}] = converter;
        }
    }
    EXPECT_EQ(columns.size(), 25u);
    return expected;
}

TEST(ResultTable, TwoHundredFiftyRowsInStrictOrder) {
    ASSERT_EQ(kPQToOCIConversionCount, 250u);
    for (size_t k = 1; k < kPQToOCIConversionCount; ++k) {
        const auto &a = PQToOCIConversionFunctions[k - 1];
        const auto &b = PQToOCIConversionFunctions[k];
        EXPECT_TRUE(a.first < b.first || (a.first == b.first && a.second < b.second)) << k;
    }
}

TEST(ResultTable, EveryCellOfTheMatrixResolvesAsNamed) {
    std::set<Oid> rowOids;
    const auto expected = ExpectedPairs(&rowOids);
    ASSERT_EQ(expected.size(), 250u);
    for (const auto &[pair, name] : expected) ASSERT_EQ(kResultConverters.count(name), 1u) << name;

    // Each catalogued server type against each catalogued external type,
    // refused cells included.
    const auto codes = ExternalCodes();
    size_t found = 0;
    for (size_t k = 0; k < kServerTypeCount; ++k) {
        const Oid oid = kServerTypes[k].oid;
        if (oid == UNKNOWNOID || oid == kRawOidAlias) continue;  // read as other rows, below
        for (const auto &[codeName, code] : codes) {
            const ResultConverter fn = findPQToOCIConversion(oid, code, nullptr);
            auto it = expected.find({oid, code});
            if (it == expected.end()) {
                // A character type without a cell of its own reads the
                // server's text as text does; every other such pair is refused.
                auto text = expected.find({TEXTOID, code});
                const bool character = kCharacterCodes.count(codeName) == 1;
                EXPECT_EQ(fn, character && text != expected.end() ? kResultConverters.at(text->second) : nullptr)
                    << kServerTypes[k].name << " as " << codeName;
                continue;
            }
            ++found;
            EXPECT_EQ(fn, kResultConverters.at(it->second))
                << kServerTypes[k].name << " as " << codeName << " wants " << it->second;
            EXPECT_EQ(findPQToOCIConversion(oid, code | 0x10000u, nullptr), fn);
        }
    }
    EXPECT_EQ(found, 250u);
}

TEST(ResultTable, UnknownReadsAsTextAndTheRawFamilyAsRaw) {
    for (ub2 code : {SQLT_CHR, SQLT_STR, SQLT_INT, SQLT_DAT, SQLT_TIMESTAMP_LTZ, SQLT_AFC})
        EXPECT_EQ(findPQToOCIConversion(UNKNOWNOID, code, nullptr), findPQToOCIConversion(TEXTOID, code, nullptr));
    for (Oid alias : {kRawOidAlias, kRawOidAlias2}) {
        EXPECT_EQ(findPQToOCIConversion(alias, SQLT_BIN, nullptr), ConvertBYTEAOIDToSQLT_BIN);
        EXPECT_EQ(findPQToOCIConversion(alias, SQLT_CHR, nullptr), ConvertBYTEAOIDToSQLT_CHR);
        EXPECT_EQ(findPQToOCIConversion(alias, SQLT_INT, nullptr), nullptr);
    }
    // Outside the catalogues, without a connection, only characters read
    // the server's text.
    EXPECT_EQ(findPQToOCIConversion(99999, SQLT_CHR, nullptr), ConvertTEXTOIDToSQLT_CHR);
    EXPECT_EQ(findPQToOCIConversion(99999, SQLT_STR, nullptr), ConvertTEXTOIDToSQLT_STR);
    EXPECT_EQ(findPQToOCIConversion(99999, SQLT_INT, nullptr), nullptr);
    EXPECT_EQ(findPQToOCIConversion(99999, SQLT_BIN, nullptr), nullptr);
    EXPECT_EQ(findPQToOCIConversion(TEXTOID, 13, nullptr), nullptr);
    EXPECT_EQ(findPQToOCIConversion(TEXTOID, SQLT_CLOB, nullptr), nullptr);
}

TEST(ResultDispatch, NullsNeedNoConverterAndLeaveTheBufferAlone) {
    TestEnv t;
    char buffer[8] = "keep";
    for (const auto &[oid, code] : {std::pair<Oid, ub4>{DATEOID, SQLT_INT}, {TEXTOID, SQLT_STR}, {99999u, 9999u}}) {
        ub4 length = sizeof buffer;
        sb2 ind = 5;
        ub2 rcode = 7;
        EXPECT_EQ(PQ2OCIType(t.err, oid, "", 0, 0, code, buffer, &length, &ind, &rcode, true), OCI_SUCCESS);
        EXPECT_EQ(ind, -1);
        EXPECT_EQ(rcode, 1405);
        EXPECT_EQ(length, sizeof buffer);
        EXPECT_EQ(PQ2OCIType_2(t.err, oid, "", 0, 0, code, buffer, &length, nullptr, nullptr, true, nullptr),
                  OCI_SUCCESS);
    }
    EXPECT_STREQ(buffer, "keep");
    EXPECT_TRUE(t.Records().empty());
}

TEST(ResultDispatch, MissingConvertersReportBothClassWords) {
    TestEnv t;
    char buffer[8] = "keep";
    ub4 length = sizeof buffer;
    sb2 ind = 5;
    ub2 rcode = 7;
    EXPECT_EQ(PQ2OCIType(t.err, DATEOID, "2024-01-01", 10, 0, SQLT_INT, buffer, &length, &ind, &rcode, false),
              OCI_ERROR);
    EXPECT_EQ(PQ2OCIType_2(t.err, 99999, "x", 1, 0, SQLT_INT, buffer, &length, &ind, &rcode, false, nullptr),
              OCI_ERROR);
    EXPECT_EQ(PQ2OCIType(t.err, BYTEAOID, "\\x01", 4, 0, SQLT_NUM, buffer, &length, &ind, &rcode, false), OCI_ERROR);
    EXPECT_EQ(t.Records(), (std::vector<std::string>{
                               "932: VOSKARI-00932: data types not consistent - expected DATE got NUMBER",
                               "932: VOSKARI-00932: data types not consistent - expected  got NUMBER",
                               "932: VOSKARI-00932: data types not consistent - expected BINARY got NUMBER"}));
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(ind, 5);
    EXPECT_EQ(rcode, 7);
    EXPECT_EQ(length, sizeof buffer);
}

TEST(ResultDispatch, FoundConvertersGetTheCallAndCleanStatus) {
    TestEnv t;
    char buffer[8];
    ub4 length = sizeof buffer;
    sb2 ind = 5;
    ub2 rcode = 7;
    EXPECT_EQ(PQ2OCIType(t.err, UNKNOWNOID, "abc", 3, 0, SQLT_STR, buffer, &length, &ind, &rcode, false),
              OCI_SUCCESS);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(ind, 0);
    EXPECT_EQ(rcode, 0);
}

TEST(ResultDispatch, CursorColumnsNameTheBoundStatement) {
    TestEnv t;
    OCIStmt *stmt = nullptr;
    ASSERT_EQ(OCIHandleAlloc(t.env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    sb2 ind = 5;
    ub2 rcode = 7;
    const char first[] = "<unnamed portal 1>";
    EXPECT_EQ(PQ2OCIType(t.err, REFCURSOROID, first, sizeof first - 1, 0, SQLT_RSET, stmt, nullptr, &ind, &rcode,
                         false),
              OCI_SUCCESS);
    ASSERT_NE(stmt->preparedName, nullptr);
    EXPECT_STREQ(stmt->preparedName, first);
    EXPECT_EQ(ind, 0);
    EXPECT_EQ(rcode, 0);
    // A second cursor into the same handle replaces the first name.
    EXPECT_EQ(PQ2OCIType(t.err, REFCURSOROID, "c2", 2, 0, SQLT_RSET, stmt, nullptr, nullptr, nullptr, false),
              OCI_SUCCESS);
    EXPECT_STREQ(stmt->preparedName, "c2");
    // Anything but a statement handle is refused rather than written over.
    char notAStatement[64] = {};
    EXPECT_EQ(PQ2OCIType(t.err, REFCURSOROID, "c3", 2, 0, SQLT_RSET, notAStatement, nullptr, nullptr, nullptr,
                         false),
              OCI_ERROR);
    EXPECT_EQ(PQ2OCIType_2(t.err, REFCURSOROID, "c4", 2, 0, SQLT_RSET, stmt, nullptr, nullptr, nullptr, false,
                           nullptr),
              OCI_SUCCESS);
    EXPECT_STREQ(stmt->preparedName, "c4");
    EXPECT_EQ(OCIHandleFree(stmt, OCI_HTYPE_STMT), OCI_SUCCESS);
}

}  // namespace

// Describe in both modes, and a query defined and fetched purely by what
// the Oracle-compatible describe reports.
#include <oci.h>

#include <cstring>
#include <string>
#include <vector>

#include "compat_session.h"

namespace {

using compat_test::CompatSession;

struct Described {
    ub2 type = 0;
    ub2 size = 0;
    sb2 precision = 0;
    sb1 scale = 0;
};

class Describe : public CompatSession {
protected:
    void SetUp() override {
        CompatSession::SetUp();
        if (HasFatalFailure()) return;
        Run("drop table if exists compat_types");
        Run("create table compat_types (i2 int2, i4 int4, i8 int8, n numeric, n52 numeric(5,2), f4 float4,"
            " f8 float8, vc varchar(10), ch char(4), tx text, d date, ts timestamp, tz timestamptz, b bytea,"
            " bo boolean, u uuid)");
        Run("insert into compat_types values (-32768, 2147483647, 9007199254740993, 12345.678901, 123.45, 1.5,"
            " 2.25, 'ÄÖÜäöüßéèê', 'ab', repeat('x', 5000), date '2024-03-05',"
            " timestamp '2024-03-05 13:14:15.123456', timestamptz '2024-03-05 13:14:15.5+00', '\\xdeadbeef',"
            " true, 'a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11')");
    }

    Described Column(ub4 pos) {
        Described d;
        void *p = nullptr;
        EXPECT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, err, &p, pos), OCI_SUCCESS) << Message();
        EXPECT_EQ(OCIAttrGet(p, OCI_DTYPE_PARAM, &d.type, nullptr, OCI_ATTR_DATA_TYPE, err), OCI_SUCCESS);
        EXPECT_EQ(OCIAttrGet(p, OCI_DTYPE_PARAM, &d.size, nullptr, OCI_ATTR_DATA_SIZE, err), OCI_SUCCESS);
        EXPECT_EQ(OCIAttrGet(p, OCI_DTYPE_PARAM, &d.precision, nullptr, OCI_ATTR_PRECISION, err), OCI_SUCCESS);
        EXPECT_EQ(OCIAttrGet(p, OCI_DTYPE_PARAM, &d.scale, nullptr, OCI_ATTR_SCALE, err), OCI_SUCCESS);
        OCIDescriptorFree(p, OCI_DTYPE_PARAM);
        return d;
    }
};

TEST_P(Describe, ReportsTypesOfTheMode) {
    ASSERT_EQ(Execute("select * from compat_types", 0), OCI_SUCCESS) << Message();
    std::vector<Described> cols;
    for (ub4 pos = 1; pos <= 16; ++pos) cols.push_back(Column(pos));
    if (!Oracle()) {
        // The server's own types: integers as SQLT_INT of their width, a
        // text column as long as the longest value seen.
        EXPECT_EQ(cols[0].type, SQLT_INT);
        EXPECT_EQ(cols[0].size, 2);
        EXPECT_EQ(cols[2].size, 8);
        EXPECT_EQ(cols[5].type, SQLT_FLT);
        EXPECT_EQ(cols[9].size, 5000);
        EXPECT_EQ(cols[3].scale, -1);
        return;
    }
    struct Expect {
        ub2 type;
        ub2 size;
        sb2 precision;
        sb1 scale;
    };
    const Expect expected[16] = {
        {SQLT_NUM, 22, 5, 0},          {SQLT_NUM, 22, 10, 0},      {SQLT_NUM, 22, 19, 0},
        {SQLT_NUM, 22, 0, -127},       {SQLT_NUM, 22, 5, 2},       {SQLT_BFLOAT, 4, 0, 0},
        {SQLT_BDOUBLE, 8, 0, 0},       {SQLT_CHR, 40, 0, 0},       {SQLT_AFC, 16, 0, 0},
        {SQLT_LNG, 0, 0, 0},           {SQLT_DAT, 7, 0, 0},        {SQLT_TIMESTAMP, 11, 0, 6},
        {SQLT_TIMESTAMP_TZ, 13, 0, 6}, {SQLT_LBI, 0, 0, 0},        {SQLT_NUM, 22, 1, 0},
        {SQLT_CHR, 36, 0, 0},
    };
    for (size_t i = 0; i < 16; ++i) {
        EXPECT_EQ(cols[i].type, expected[i].type) << "column " << i + 1;
        EXPECT_EQ(cols[i].size, expected[i].size) << "column " << i + 1;
        EXPECT_EQ(cols[i].precision, expected[i].precision) << "column " << i + 1;
        EXPECT_EQ(cols[i].scale, expected[i].scale) << "column " << i + 1;
    }
}

TEST_P(Describe, OracleTypesDefineAndFetchWithoutTruncation) {
    if (!Oracle()) GTEST_SKIP() << "defining by Oracle's types is the compatible mode's promise";
    ASSERT_EQ(Execute("select * from compat_types", 0), OCI_SUCCESS) << Message();
    constexpr ub4 kColumns = 16;
    std::vector<std::vector<char>> buffers(kColumns);
    std::vector<OCIDateTime *> stamps(kColumns, nullptr);
    sb2 ind[kColumns] = {};
    ub2 rlen[kColumns] = {};
    ub2 rcode[kColumns] = {};
    for (ub4 pos = 1; pos <= kColumns; ++pos) {
        const Described d = Column(pos);
        OCIDefine *def = nullptr;
        const ub4 i = pos - 1;
        void *value = nullptr;
        sb4 size = 0;
        if (d.type == SQLT_TIMESTAMP || d.type == SQLT_TIMESTAMP_TZ) {
            const ub4 dtype = d.type == SQLT_TIMESTAMP ? OCI_DTYPE_TIMESTAMP : OCI_DTYPE_TIMESTAMP_TZ;
            ASSERT_EQ(OCIDescriptorAlloc(env, reinterpret_cast<void **>(&stamps[i]), dtype, 0, nullptr), OCI_SUCCESS);
            value = &stamps[i];
            size = sizeof(OCIDateTime *);
        } else {
            // A LONG or LONG RAW has no size: the application picks the buffer.
            const ub2 bytes = d.type == SQLT_LNG || d.type == SQLT_LBI ? 8000 : d.size;
            buffers[i].assign(bytes, '\0');
            value = buffers[i].data();
            size = bytes;
        }
        ASSERT_EQ(OCIDefineByPos(stmt, &def, err, pos, value, size, d.type, &ind[i], &rlen[i], &rcode[i],
                                 OCI_DEFAULT),
                  OCI_SUCCESS)
            << pos << ": " << Message();
    }
    ASSERT_EQ(OCIStmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Message();
    for (ub4 i = 0; i < kColumns; ++i) {
        EXPECT_EQ(ind[i], 0) << "column " << i + 1;
        EXPECT_EQ(rcode[i], 0) << "column " << i + 1;
    }
    // NUMBER bytes (21, unused ones 0) read back through the number calls.
    auto number = [&](ub4 i) {
        ub2 used = rlen[i];
        while (used > 1 && buffers[i][used - 1] == 0) --used;
        OCINumber n{};
        n.OCINumberPart[0] = static_cast<ub1>(used);
        std::memcpy(&n.OCINumberPart[1], buffers[i].data(), used);
        sb8 v = 0;
        EXPECT_EQ(OCINumberToInt(err, &n, sizeof v, OCI_NUMBER_SIGNED, &v), OCI_SUCCESS) << Message();
        return v;
    };
    EXPECT_EQ(number(0), -32768);
    EXPECT_EQ(number(2), 9007199254740993LL);
    EXPECT_EQ(number(14), 1);  // the boolean
    EXPECT_EQ(std::string(buffers[7].data(), rlen[7]), "ÄÖÜäöüßéèê");
    EXPECT_EQ(std::string(buffers[8].data(), rlen[8]), "ab  ");
    EXPECT_EQ(rlen[9], 5000);
    const ub1 date[7] = {120, 124, 3, 5, 1, 1, 1};
    EXPECT_EQ(std::memcmp(buffers[10].data(), date, 7), 0);
    sb2 year = 0;
    ub1 month = 0, day = 0, hour = 0, minute = 0, second = 0;
    ub4 fraction = 0;
    ASSERT_EQ(OCIDateTimeGetDate(env, err, stamps[11], &year, &month, &day), OCI_SUCCESS);
    ASSERT_EQ(OCIDateTimeGetTime(env, err, stamps[11], &hour, &minute, &second, &fraction), OCI_SUCCESS);
    EXPECT_EQ(year, 2024);
    EXPECT_EQ(hour, 13);
    EXPECT_EQ(fraction, 123456000u);
    EXPECT_EQ(rlen[13], 4);
    EXPECT_EQ(std::memcmp(buffers[13].data(), "\xde\xad\xbe\xef", 4), 0);
    EXPECT_EQ(std::string(buffers[15].data(), rlen[15]), "a0eebc99-9c0b-4ef8-bb6d-6bb9bd380a11");
    for (OCIDateTime *s : stamps)
        if (s != nullptr) OCIDescriptorFree(s, OCI_DTYPE_TIMESTAMP);
}

// Server types Oracle has no counterpart for: the Oracle mode describes
// them as VARCHAR2 long enough for their text, and a define by that type and
// size gets the text; in either mode a character define gets it.
TEST_P(Describe, TypesWithoutCounterpartFetchTheirText) {
    const char *expected[] = {"pg_class", "1259",           "10.1.2.3/24", "$12.50",      "101",
                              "(1,2)",    "1 day 02:00:00", "12:34:56",    "12:34:56+02", "ffff::1/128"};
    constexpr ub4 kColumns = sizeof expected / sizeof expected[0];
    ASSERT_EQ(Execute("select cast('pg_class' as name), cast(1259 as oid), inet '10.1.2.3/24', cast(12.5 as money),"
                      " cast(B'101' as bit(3)), point(1, 2), interval '1 day 2 hours', time '12:34:56',"
                      " timetz '12:34:56+02', cidr 'ffff::1/128'",
                      0),
              OCI_SUCCESS)
        << Message();
    std::vector<std::vector<char>> buffers(kColumns);
    sb2 ind[kColumns] = {};
    ub2 rlen[kColumns] = {};
    ub2 rcode[kColumns] = {};
    for (ub4 pos = 1; pos <= kColumns; ++pos) {
        const ub4 i = pos - 1;
        ub2 type = SQLT_STR;
        ub2 size = 64;
        if (Oracle()) {
            const Described d = Column(pos);
            EXPECT_EQ(d.type, SQLT_CHR) << "column " << pos;
            EXPECT_GE(d.size, std::strlen(expected[i])) << "column " << pos;
            type = d.type;
            size = d.size;
        }
        buffers[i].assign(size, '\0');
        OCIDefine *def = nullptr;
        ASSERT_EQ(OCIDefineByPos(stmt, &def, err, pos, buffers[i].data(), size, type, &ind[i], &rlen[i], &rcode[i],
                                 OCI_DEFAULT),
                  OCI_SUCCESS)
            << pos << ": " << Message();
    }
    ASSERT_EQ(OCIStmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Message();
    for (ub4 i = 0; i < kColumns; ++i) {
        EXPECT_EQ(ind[i], 0) << "column " << i + 1;
        EXPECT_EQ(rcode[i], 0) << "column " << i + 1;
        const size_t length = Oracle() ? rlen[i] : std::strlen(buffers[i].data());
        EXPECT_EQ(std::string(buffers[i].data(), length), expected[i]) << "column " << i + 1;
    }
}

// Text without a declared length: the Oracle mode describes it as LONG,
// which drivers fetch in pieces through a dynamic define; every piece of a
// value longer than any VARCHAR2 arrives, in either mode.
struct Pieces {
    std::string value;
    char chunk[16384];
    ub4 length = 0;
    sb2 ind = 0;
    ub2 rcode = 0;
    bool pending = false;
    int calls = 0;
};

sb4 NextPiece(void *ctx, OCIDefine *, ub4, void **bufpp, ub4 **alenpp, ub1 *, void **indpp, ub2 **rcodepp) {
    auto *p = static_cast<Pieces *>(ctx);
    if (p->pending) p->value.append(p->chunk, p->length);
    p->length = sizeof p->chunk;
    p->pending = true;
    ++p->calls;
    *bufpp = p->chunk;
    *alenpp = &p->length;
    *indpp = &p->ind;
    *rcodepp = &p->rcode;
    return OCI_CONTINUE;
}

TEST_P(Describe, UnboundedTextFetchesWholeInPieces) {
    ASSERT_EQ(Execute("select repeat('y', 40000) || 'z' as big", 0), OCI_SUCCESS) << Message();
    if (Oracle()) {
        const Described d = Column(1);
        EXPECT_EQ(d.type, SQLT_LNG);
        EXPECT_EQ(d.size, 0);
    }
    Pieces pieces;
    OCIDefine *def = nullptr;
    ASSERT_EQ(OCIDefineByPos(stmt, &def, err, 1, nullptr, 0x7FFFFFFF, SQLT_CHR, nullptr, nullptr, nullptr,
                             OCI_DYNAMIC_FETCH),
              OCI_SUCCESS)
        << Message();
    ASSERT_EQ(OCIDefineDynamic(def, err, &pieces, NextPiece), OCI_SUCCESS)
        << Message();
    ASSERT_EQ(OCIStmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Message();
    if (pieces.pending) pieces.value.append(pieces.chunk, pieces.length);
    EXPECT_EQ(pieces.ind, 0);
    EXPECT_GE(pieces.calls, 3);
    EXPECT_EQ(pieces.value, std::string(40000, 'y') + "z");
}

INSTANTIATE_TEST_SUITE_P(Modes, Describe, ::testing::Bool(), compat_test::ModeName);

}  // namespace

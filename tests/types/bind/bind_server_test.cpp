// Bound values as the server receives them: every server type of the bind
// table gets converted values through OCI2PQType, sent with PQexecParams in
// the converter's format and type, and read back by the server.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cinttypes>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/oci_string.h"
#include "types/bind/bind_test_support.h"
#include "types/conversion_tables.h"
#include "types/datetime_format.h"
#include "types/datetime_handles.h"
#include "types/number_format.h"
#include "types/type_catalogue.h"

using bindtest::Produced;
using bindtest::TestEnv;

namespace {

class BoundValues : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        conn_ = PQconnectdb("");
        if (PQstatus(conn_) == CONNECTION_OK) PQsetClientEncoding(conn_, "UTF8");
    }
    static void TearDownTestSuite() {
        PQfinish(conn_);
        conn_ = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_);
        Command("SET DateStyle TO 'ISO'");
        Command("SET IntervalStyle TO 'postgres'");
        Command("SET TimeZone TO 'UTC'");
    }

    static void Command(const std::string &sql) {
        PGresult *r = PQexec(conn_, sql.c_str());
        EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << sql << ": " << PQerrorMessage(conn_);
        PQclear(r);
    }

    // One bound application value, converted for a parameter of type `oid`.
    struct Bound {
        Bound(OCIError *err, ub4 code, const void *value, sb4 size, Oid oid_, sb2 ind = 0) : oid(oid_) {
            sb2 indicator = ind;
            p.rc = OCI2PQType(err, code, value, size, &indicator, oid, &p.out, &p.length, &p.format);
        }
        Produced p;
        Oid oid;
    };

    // The first column of the one row `sql` returns with the bound values as
    // $1, $2, ...; "<NULL>" for NULL, "<error: ...>" when the server refuses.
    static std::string Query(const std::string &sql, const std::vector<const Bound *> &params) {
        std::vector<const char *> values;
        std::vector<int> lengths, formats;
        std::vector<Oid> types;
        for (const Bound *b : params) {
            EXPECT_EQ(b->p.rc, 0) << sql;
            values.push_back(b->p.out);
            lengths.push_back(static_cast<int>(b->p.length));
            formats.push_back(b->p.format);
            types.push_back(b->oid);
        }
        PGresult *r = PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), types.data(),
                                   values.data(), lengths.data(), formats.data(), 0);
        std::string answer;
        if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1)
            answer = "<error: " + std::string(PQerrorMessage(conn_)) + ">";
        else
            answer = PQgetisnull(r, 0, 0) ? "<NULL>" : PQgetvalue(r, 0, 0);
        PQclear(r);
        return answer;
    }
    static std::string Query(const std::string &sql, const Bound &b) { return Query(sql, std::vector<const Bound *>{&b}); }

    // The bound value as the server prints it, checking the type it arrived as.
    static std::string Echo(const Bound &b, const char *type) {
        EXPECT_EQ(Query(std::string("SELECT pg_typeof($1)::text"), b), type);
        return Query("SELECT $1::text", b);
    }

    static PGconn *conn_;
};
PGconn *BoundValues::conn_ = nullptr;

template <class T> std::string Raw(const T &v) { return std::string(reinterpret_cast<const char *>(&v), sizeof v); }

TEST_F(BoundValues, Integers) {
    TestEnv t;
    const int64_t big = int64_t{1} << 40;
    const sb4 seventyThousand = 70000;
    const sb1 minusFive = -5;
    const ub4 unsignedBig = 4000000000u;
    const sb4 letters = 0x41424344;
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INT, &big, 8, NUMERICOID), "numeric"), "1099511627776");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INT, &big, 8, INT8OID), "bigint"), "1099511627776");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INT, &seventyThousand, 4, INT2OID), "smallint"), "4464");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INT, &seventyThousand, 4, INT4OID), "integer"), "70000");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INT, &minusFive, 1, INT8OID), "bigint"), "-5");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INT, &minusFive, 1, NUMERICOID), "numeric"), "-5");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_UIN, &unsignedBig, 4, INT8OID), "bigint"), "4000000000");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INT, &letters, 4, CHAROID), "\"char\""), "D");

    std::mt19937_64 rng(20240305);
    for (int k = 0; k < 200; ++k) {
        const int64_t v = static_cast<int64_t>(rng()) >> (rng() % 63);
        const std::string text = std::to_string(v);
        EXPECT_EQ(Query("SELECT $1::text", Bound(t.err, SQLT_INT, &v, 8, INT8OID)), text);
        EXPECT_EQ(Query("SELECT $1::text", Bound(t.err, SQLT_INT, &v, 8, NUMERICOID)), text);
        const sb4 v4 = static_cast<sb4>(v);
        EXPECT_EQ(Query("SELECT $1::text", Bound(t.err, SQLT_INT, &v4, 4, INT4OID)), std::to_string(v4));
        const sb2 v2 = static_cast<sb2>(v);
        EXPECT_EQ(Query("SELECT $1::text", Bound(t.err, SQLT_INT, &v2, 2, INT2OID)), std::to_string(v2));
    }
}

TEST_F(BoundValues, FloatingPoint) {
    TestEnv t;
    const float tenth = 0.1f;
    const double tenthD = 0.1;
    EXPECT_EQ(Echo(Bound(t.err, SQLT_FLT, &tenth, 4, FLOAT4OID), "real"), "0.1");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_BFLOAT, &tenth, 4, FLOAT4OID), "real"), "0.1");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_FLT, &tenth, 4, FLOAT8OID), "double precision"), "0.10000000149011612");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_BDOUBLE, &tenthD, 8, FLOAT8OID), "double precision"), "0.1");

    std::mt19937_64 rng(7);
    for (int k = 0; k < 200; ++k) {
        uint64_t bits = rng();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        if (!std::isfinite(d)) continue;
        // The server's shortest exact output reads back to the same bits.
        const std::string text = Query("SELECT $1::text", Bound(t.err, SQLT_FLT, &d, 8, FLOAT8OID));
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), d) << text;
        const float f = static_cast<float>(d);
        if (!std::isfinite(f)) continue;
        const std::string ftext = Query("SELECT $1::text", Bound(t.err, SQLT_FLT, &f, 4, FLOAT4OID));
        EXPECT_EQ(std::strtof(ftext.c_str(), nullptr), f) << ftext;
    }
}

TEST_F(BoundValues, OracleNumbers) {
    TestEnv t;
    const char *examples[] = {"0", "5", "12.5", "100", "123", "1234567", "0.5", "0.001", "-5", "-0.5", "-123",
                              "1e125", "-1e-125", "0.000000000000000000000000000000000001"};
    for (const char *text : examples) {
        ub1 varnum[kVarnumSize];
        ASSERT_EQ(ConvertStringToVARNUM(text, varnum), 0);
        EXPECT_EQ(Query("SELECT ($1 = '" + std::string(text) + "'::numeric)::text",
                        Bound(t.err, SQLT_VNU, varnum, kVarnumSize, NUMERICOID)),
                  "true")
            << text;
        ub1 number[kNumberSize];
        ASSERT_EQ(ConvertStringToNUMBER(text, number), 0);
        EXPECT_EQ(Query("SELECT ($1 = '" + std::string(text) + "'::numeric)::text",
                        Bound(t.err, SQLT_NUM, number, kNumberSize, NUMERICOID)),
                  "true")
            << text;
    }
    ub1 number[kNumberSize];
    ASSERT_EQ(ConvertStringToNUMBER("12.5", number), 0);
    EXPECT_EQ(Echo(Bound(t.err, SQLT_NUM, number, kNumberSize, NUMERICOID), "numeric"), "12.5");

    // Random values of up to 38 digits travel without loss.
    std::mt19937 rng(99);
    for (int k = 0; k < 300; ++k) {
        std::string digits;
        const int n = 1 + static_cast<int>(rng() % 38);
        for (int d = 0; d < n; ++d) digits += static_cast<char>('0' + rng() % 10);
        const int exponent = static_cast<int>(rng() % 160) - 80;
        const std::string text = (rng() % 2 ? "-" : "") + digits + "e" + std::to_string(exponent);
        ub1 varnum[kVarnumSize];
        ASSERT_EQ(ConvertStringToVARNUM(text.c_str(), varnum), 0) << text;
        EXPECT_EQ(Query("SELECT ($1 = '" + text + "'::numeric)::text",
                        Bound(t.err, SQLT_VNU, varnum, kVarnumSize, NUMERICOID)),
                  "true")
            << text;
    }
}

TEST_F(BoundValues, CharacterStrings) {
    TestEnv t;
    const char abc[] = "abc   ";
    EXPECT_EQ(Echo(Bound(t.err, SQLT_CHR, abc, 6, VARCHAROID), "character varying"), "abc");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_LNG, abc, 6, VARCHAROID), "character varying"), "abc");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_AFC, abc, 6, VARCHAROID), "character varying"), "abc   ");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_CHR, "   ", 3, VARCHAROID), "character varying"), " ");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_STR, "x y\0zz", 7, TEXTOID), "text"), "x y");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_AVC, "pad  \0", 7, VARCHAROID), "character varying"), "pad  ");

    const std::string vcs = Raw<ub2>(3) + "a b";
    const std::string lvc = Raw<ub4>(4) + "l v c";
    EXPECT_EQ(Echo(Bound(t.err, SQLT_VCS, vcs.data(), static_cast<sb4>(vcs.size()), VARCHAROID),
                   "character varying"),
              "a b");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_LVC, lvc.data(), static_cast<sb4>(lvc.size()), VARCHAROID),
                   "character varying"),
              "l v ");
    char text[] = "vst text ";
    OCIString s{9, 9, text};
    OCIString *sp = &s;
    EXPECT_EQ(Echo(Bound(t.err, SQLT_VST, &sp, sizeof sp, VARCHAROID), "character varying"), "vst text ");

    // Oracle's 4000 bytes, terminator included.
    const std::string fits = std::string(3999, 'k') + '\0';
    const std::string over = std::string(4000, 'k') + '\0';
    EXPECT_EQ(Query("SELECT length($1)::text", Bound(t.err, SQLT_STR, fits.data(), 4000, VARCHAROID)), "3999");
    EXPECT_EQ(Bound(t.err, SQLT_STR, over.data(), 4001, VARCHAROID).p.rc, -1);
    t.Records();

    // Empty strings: NULL under Oracle's rules, '' without them.
    const char empty[2] = {0, 'x'};
    EXPECT_EQ(Query("SELECT ($1 IS NULL)::text", Bound(t.err, SQLT_STR, empty, 2, VARCHAROID)), "true");
    t.OracleVarchars(false);
    EXPECT_EQ(Query("SELECT ($1 IS NULL)::text || length($1)", Bound(t.err, SQLT_STR, empty, 2, VARCHAROID)),
              "false0");
    EXPECT_EQ(Query("SELECT length($1)::text", Bound(t.err, SQLT_STR, over.data(), 4001, VARCHAROID)), "4000");
}

TEST_F(BoundValues, Utf16EnvironmentsSendUtf8) {
    TestEnv t(OCI_UTF16);
    const std::u16string word = u"\u00e9t\u00e9 \u20ac\U0001F600  ";
    std::string bytes;
    for (char16_t c : word) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    EXPECT_EQ(Query("SELECT $1 || '|' || length($1)",
                    Bound(t.err, SQLT_CHR, bytes.data(), static_cast<sb4>(bytes.size()), VARCHAROID)),
              "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\xF0\x9F\x98\x80|6");
    const std::string str = bytes + std::string(2, '\0') + "xy";
    EXPECT_EQ(Query("SELECT length($1)::text",
                    Bound(t.err, SQLT_STR, str.data(), static_cast<sb4>(str.size()), TEXTOID)),
              "8");
}

TEST_F(BoundValues, ByteStrings) {
    TestEnv t;
    const std::string bin("\x01\xAB", 2);
    EXPECT_EQ(Query("SELECT encode($1, 'hex')", Bound(t.err, SQLT_BIN, bin.data(), 2, BYTEAOID)), "01ab");
    EXPECT_EQ(Query("SELECT pg_typeof($1)::text", Bound(t.err, SQLT_LBI, bin.data(), 2, BYTEAOID)), "bytea");
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    std::string expected;
    for (int b = 0; b < 256; ++b) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", b);
        expected += hex;
    }
    EXPECT_EQ(Query("SELECT encode($1, 'hex')", Bound(t.err, SQLT_LBI, all.data(), 256, BYTEAOID)), expected);
    const std::string vbi = Raw<ub2>(3) + std::string("\0\x5C\xFF", 3) + "tail";
    const std::string lvb = Raw<ub4>(2) + std::string("\x27\x00", 2);
    EXPECT_EQ(Query("SELECT encode($1, 'hex')",
                    Bound(t.err, SQLT_VBI, vbi.data(), static_cast<sb4>(vbi.size()), BYTEAOID)),
              "005cff");
    EXPECT_EQ(Query("SELECT encode($1, 'hex')",
                    Bound(t.err, SQLT_LVB, lvb.data(), static_cast<sb4>(lvb.size()), BYTEAOID)),
              "2700");
    EXPECT_EQ(Query("SELECT length($1)::text", Bound(t.err, SQLT_BIN, bin.data(), 0, BYTEAOID)), "0");
}

struct DateTimes {
    DateTimes() = default;
    DateTimes(const DateTimes &) = delete;
    DateTimes &operator=(const DateTimes &) = delete;
    ~DateTimes() {
        for (OCIDateTime *dt : dts) Free_OCIDateTime(dt);
        for (OCIInterval *iv : ivs) Free_OCIInterval(iv);
    }
    OCIDateTime *Make(ub4 type, int y, int mo, int d, int h, int mi, int s, fsec_t fsec, int zone = 0) {
        OCIDateTime *dt = Alloc_OCIDateTime(type);
        pg_tm tm{};
        EXPECT_EQ(ConstructTmFromData(&tm, y, mo, d, h, mi, s), 0);
        tm.tm_gmtoff = zone;
        EXPECT_EQ(EncodeOracleOCIDateTime(dt->value, &tm, type == OCI_DTYPE_TIMESTAMP_TZ, fsec), 0);
        if (type == OCI_DTYPE_TIMESTAMP_TZ) SetDateTimeZone(dt->value, zone);
        dts.push_back(dt);
        return dt;
    }
    OCIInterval *Interval(ub4 type, int months, int days, int64_t usecs) {
        OCIInterval *iv = Alloc_OCIInterval(type);
        SetIntervalBody(iv->value, IntervalData{months, days, usecs});
        ivs.push_back(iv);
        return iv;
    }
    std::vector<OCIDateTime *> dts;
    std::vector<OCIInterval *> ivs;
};

TEST_F(BoundValues, DatesAndTimestamps) {
    TestEnv t;
    DateTimes ds;
    const ub1 date[7] = {0x78, 0x7C, 0x03, 0x05, 0x0E, 0x2E, 0x1F};  // 2024-03-05 13:45:30
    EXPECT_EQ(Echo(Bound(t.err, SQLT_DAT, date, 7, DATEOID), "date"), "2024-03-05");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_DAT, date, 7, TIMESTAMPOID), "timestamp without time zone"),
              "2024-03-05 13:45:30");
    const ub1 first[7] = {0x64, 0x65, 0x01, 0x01, 0x01, 0x01, 0x01};
    EXPECT_EQ(Echo(Bound(t.err, SQLT_DAT, first, 7, TIMESTAMPOID), "timestamp without time zone"),
              "0001-01-01 00:00:00");
    OCIDate odt{};
    odt.OCIDateYYYY = -44;
    odt.OCIDateMM = 3;
    odt.OCIDateDD = 15;
    odt.OCIDateTime = OCITime{12, 0, 1};
    EXPECT_EQ(Echo(Bound(t.err, SQLT_ODT, &odt, sizeof odt, TIMESTAMPOID), "timestamp without time zone"),
              "0044-03-15 12:00:01 BC");

    OCIDateTime *ts = ds.Make(OCI_DTYPE_TIMESTAMP, 2024, 3, 5, 13, 45, 30, 250000);
    EXPECT_EQ(Echo(Bound(t.err, SQLT_TIMESTAMP, &ts, sizeof ts, TIMESTAMPOID), "timestamp without time zone"),
              "2024-03-05 13:45:30.25");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_DATE, &ts, sizeof ts, TIMESTAMPOID), "timestamp without time zone"),
              "2024-03-05 00:00:00");

    OCIDateTime *east = ds.Make(OCI_DTYPE_TIMESTAMP_TZ, 2024, 3, 5, 13, 45, 30, 250000, 19800);
    OCIDateTime *west = ds.Make(OCI_DTYPE_TIMESTAMP_TZ, 2024, 3, 5, 13, 45, 30, 250000, -12600);
    EXPECT_EQ(Echo(Bound(t.err, SQLT_TIMESTAMP_TZ, &east, sizeof east, TIMESTAMPTZOID), "timestamp with time zone"),
              "2024-03-05 08:15:30.25+00");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_TIMESTAMP_TZ, &west, sizeof west, TIMESTAMPTZOID), "timestamp with time zone"),
              "2024-03-05 17:15:30.25+00");
    Command("SET TimeZone TO 'Asia/Kolkata'");
    EXPECT_EQ(Query("SELECT $1::text", Bound(t.err, SQLT_TIMESTAMP_TZ, &east, sizeof east, TIMESTAMPTZOID)),
              "2024-03-05 13:45:30.25+05:30");

    // The text reads the same under every DateStyle the server offers.
    for (const char *style : {"SQL, DMY", "SQL, MDY", "German", "Postgres, YMD", "ISO, DMY"}) {
        Command(std::string("SET DateStyle TO '") + style + "'");
        EXPECT_EQ(Query("SELECT to_char($1, 'YYYY-MM-DD HH24:MI:SS.US')",
                        Bound(t.err, SQLT_TIMESTAMP, &ts, sizeof ts, TIMESTAMPOID)),
                  "2024-03-05 13:45:30.250000")
            << style;
        EXPECT_EQ(Query("SELECT to_char($1, 'YYYY-MM-DD')", Bound(t.err, SQLT_DAT, date, 7, DATEOID)), "2024-03-05")
            << style;
    }
}

TEST_F(BoundValues, RandomTimestampsAndZones) {
    TestEnv t;
    DateTimes ds;
    std::mt19937 rng(4242);
    for (int k = 0; k < 150; ++k) {
        const int y = 1 + static_cast<int>(rng() % 9999), mo = 1 + static_cast<int>(rng() % 12);
        const int d = 1 + static_cast<int>(rng() % static_cast<unsigned>(DaysInMonth(y, mo)));
        const int h = static_cast<int>(rng() % 24), mi = static_cast<int>(rng() % 60), s = static_cast<int>(rng() % 60);
        const fsec_t us = static_cast<fsec_t>(rng() % 1000000);
        const int zone = (static_cast<int>(rng() % (26 * 4 + 1)) - 12 * 4) * 900;  // -12:00 .. +14:00
        OCIDateTime *local = ds.Make(OCI_DTYPE_TIMESTAMP, y, mo, d, h, mi, s, us);
        OCIDateTime *zoned = ds.Make(OCI_DTYPE_TIMESTAMP_TZ, y, mo, d, h, mi, s, us, zone);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d:%02d.%06d", y, mo, d, h, mi, s, us);
        EXPECT_EQ(Query("SELECT to_char($1, 'YYYY-MM-DD HH24:MI:SS.US')",
                        Bound(t.err, SQLT_TIMESTAMP, &local, sizeof local, TIMESTAMPOID)),
                  expected);
        // The zoned value names the instant: the wall time less the offset.
        const Bound bz(t.err, SQLT_TIMESTAMP_TZ, &zoned, sizeof zoned, TIMESTAMPTZOID);
        const Bound bl(t.err, SQLT_TIMESTAMP, &local, sizeof local, TIMESTAMPOID);
        const Bound off(t.err, SQLT_INT, &zone, 4, INT4OID);
        EXPECT_EQ(Query("SELECT ($1 = ($2 - $3 * interval '1 second') AT TIME ZONE 'UTC')::text", {&bz, &bl, &off}),
                  "true")
            << expected << " zone " << zone;
    }
}

TEST_F(BoundValues, Intervals) {
    TestEnv t;
    DateTimes ds;
    OCIInterval *ym = ds.Interval(OCI_DTYPE_INTERVAL_YM, -14, 0, 0);
    OCIInterval *dsv = ds.Interval(OCI_DTYPE_INTERVAL_DS, 0, 1, 3723500000);
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INTERVAL_YM, &ym, sizeof ym, INTERVALOID), "interval"), "-1 years -2 mons");
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INTERVAL_DS, &dsv, sizeof dsv, INTERVALOID), "interval"), "1 day 01:02:03.5");

    // Months, days and time keep their own signs, whatever IntervalStyle says.
    std::mt19937_64 rng(31337);
    const char *styles[] = {"postgres", "sql_standard", "iso_8601", "postgres_verbose"};
    for (int k = 0; k < 200; ++k) {
        const int months = static_cast<int>(rng() % 2001) - 1000;
        const int days = static_cast<int>(rng() % 20001) - 10000;
        const int64_t usecs = static_cast<int64_t>(rng() % 2000000000001ULL) - 1000000000000LL;
        const int pick = static_cast<int>(rng() % 3);
        OCIInterval *iv = ds.Interval(OCI_DTYPE_INTERVAL_DS, pick == 0 ? 0 : months, pick == 1 ? 0 : days,
                                      pick == 2 ? 0 : usecs);
        IntervalData sent;
        GetIntervalBody(iv->value, &sent);
        Command(std::string("SET IntervalStyle TO '") + styles[k % 4] + "'");
        const Bound b(t.err, SQLT_INTERVAL_DS, &iv, sizeof iv, INTERVALOID);
        char sql[256];
        std::snprintf(sql, sizeof sql,
                      "SELECT (extract(month from $1) + 12 * extract(year from $1))::text || ' ' || "
                      "extract(day from $1)::text || ' ' || "
                      "((extract(epoch from $1) - extract(epoch from make_interval(months => %d, days => %d)))"
                      " * 1000000)::bigint::text",
                      sent.months, sent.days);
        char expected[96];
        std::snprintf(expected, sizeof expected, "%d %d %" PRId64, sent.months, sent.days, sent.usecs);
        EXPECT_EQ(Query(sql, b), expected) << "style " << styles[k % 4];
    }
}

TEST_F(BoundValues, NullsOfEveryTypeAndCursors) {
    TestEnv t;
    const char something[8] = "1234567";
    for (size_t k = 0; k < kOCIToPQConversionCount; ++k) {
        const auto &row = OCIToPQConversionFunctions[k];
        const Bound b(t.err, static_cast<ub4>(row.first), something, 8, static_cast<Oid>(row.second), -1);
        EXPECT_TRUE(b.p.IsNull()) << row.first << " -> " << row.second;
        EXPECT_EQ(Query("SELECT ($1 IS NULL)::text", b), "true") << row.first << " -> " << row.second;
    }
    // A cursor parameter never carries a value of its own.
    const Bound cursor(t.err, SQLT_RSET, something, 8, REFCURSOROID);
    EXPECT_EQ(Query("SELECT pg_typeof($1)::text || ($1 IS NULL)::text", cursor), "refcursortrue");
    EXPECT_TRUE(t.Records().empty());
}

TEST_F(BoundValues, DescribedParameterTypesChooseTheConverter) {
    TestEnv t;
    PGresult *prep = PQprepare(conn_, "bind_describe", "SELECT $1::numeric + $2, $3::text, $4", 4, nullptr);
    ASSERT_EQ(PQresultStatus(prep), PGRES_COMMAND_OK) << PQerrorMessage(conn_);
    PQclear(prep);
    PGresult *desc = PQdescribePrepared(conn_, "bind_describe");
    ASSERT_EQ(PQresultStatus(desc), PGRES_COMMAND_OK);
    EXPECT_EQ(GetParamType(desc, 1, SQLT_INT, 4), NUMERICOID);
    EXPECT_EQ(GetParamType(desc, 2, SQLT_INT, 2), NUMERICOID);
    EXPECT_EQ(GetParamType(desc, 3, SQLT_STR, 10), TEXTOID);
    EXPECT_EQ(GetParamType(desc, 4, SQLT_INT, 8), TEXTOID);      // the server reads an open type as text
    EXPECT_EQ(GetParamType(desc, 5, SQLT_INT, 8), INT8OID);      // beyond the description
    const sb4 v = 7;
    EXPECT_EQ(Echo(Bound(t.err, SQLT_INT, &v, 4, GetParamType(desc, 1, SQLT_INT, 4)), "numeric"), "7");
    // SQLT_CHR reaches varchar only, even where the text would parse.
    EXPECT_EQ(Bound(t.err, SQLT_CHR, "7", 1, GetParamType(desc, 1, SQLT_CHR, 1)).p.rc, -1);
    EXPECT_EQ(t.Records(), std::vector<std::string>{"1460: VOSKARI-01460: illegal conversion requested"});
    PQclear(desc);
    Command("DEALLOCATE bind_describe");
}

}  // namespace

// The value formats against the real server: numbers sent in the numeric
// send format, numeric results decoded from text and binary, and dates,
// timestamps and intervals as the server prints and reads them.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "types/datetime_format.h"
#include "types/number_format.h"
#include "types_test_support.h"

using typestest::ToHex;

namespace {

constexpr Oid kText = 25, kNumeric = 1700, kTimestamp = 1114, kTimestampTz = 1184, kInterval = 1186;

struct Param {
    std::string bytes;
    Oid type;
    int format;  // 0 text, 1 binary
};

class Server : public ::testing::Test {
protected:
    static void SetUpTestSuite() { conn_ = PQconnectdb(""); }
    static void TearDownTestSuite() { PQfinish(conn_); }
    void SetUp() override {
        ASSERT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_);
        Set("DateStyle TO 'ISO'");
        Set("TimeZone TO 'UTC'");
        Set("IntervalStyle TO 'postgres'");
    }
    static void Set(const std::string &setting) {
        PGresult *r = PQexec(conn_, ("SET " + setting).c_str());
        EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << setting << ": " << PQerrorMessage(conn_);
        PQclear(r);
    }
    // The first row of a query (text, or raw bytes for resultFormat 1); a
    // failure gives no row, with `ok` (when given) false instead of a test failure.
    static std::vector<std::string> Row(const std::string &sql, const std::vector<Param> &params,
                                        int resultFormat = 0, bool *ok = nullptr) {
        std::vector<const char *> values;
        std::vector<int> lengths, formats;
        std::vector<Oid> types;
        for (const auto &p : params) {
            values.push_back(p.bytes.data());
            lengths.push_back(static_cast<int>(p.bytes.size()));
            formats.push_back(p.format);
            types.push_back(p.type);
        }
        PGresult *r = PQexecParams(conn_, sql.c_str(), static_cast<int>(params.size()), types.data(), values.data(),
                                   lengths.data(), formats.data(), resultFormat);
        std::vector<std::string> row;
        bool good = PQresultStatus(r) == PGRES_TUPLES_OK && PQntuples(r) == 1;
        if (ok != nullptr) *ok = good;
        if (!good && ok == nullptr) ADD_FAILURE() << sql << ": " << PQerrorMessage(conn_);
        for (int c = 0; good && c < PQnfields(r); ++c)
            row.emplace_back(PQgetvalue(r, 0, c), static_cast<size_t>(PQgetlength(r, 0, c)));
        PQclear(r);
        return row;
    }
    static PGconn *conn_;
};

PGconn *Server::conn_ = nullptr;

std::string Wire(NumericVar *var) {  // puts the record into network order
    size_t size = ConvertNumericFromHostToNetOrder(var);
    return std::string(reinterpret_cast<const char *>(var), size);
}

// Decimals of up to 38 significant digits (no truncation) and exponents far
// into both directions, plus chosen values.
std::vector<std::string> NumberCorpus() {
    std::vector<std::string> values = {"0", "5", "12.5", "100", "123", "1234567", "0.5", "0.001", "-5", "-0.5", "-123",
                                       "1099511627776", "-9223372036854775808", "9999.9999", "0.0001", "1E125",
                                       "-9.99E125", "0.01E-126", "99999999999999999999999999999999999999"};
    std::mt19937 rng(42);
    auto rnd = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int k = 0; k < 1500; ++k) {
        int n = rnd(1, 38), point = rnd(-40, 60);  // point: digits before the decimal point
        std::string digits(1, static_cast<char>('1' + rnd(0, 8)));
        while (static_cast<int>(digits.size()) < n) digits.push_back(static_cast<char>('0' + rnd(0, 9)));
        std::string s = rnd(0, 1) ? "-" : "";
        if (point <= 0)
            s += "0." + std::string(static_cast<size_t>(-point), '0') + digits;
        else if (point >= n)
            s += digits + std::string(static_cast<size_t>(point - n), '0');
        else
            s += digits.substr(0, static_cast<size_t>(point)) + "." + digits.substr(static_cast<size_t>(point));
        values.push_back(s);
    }
    return values;
}

TEST_F(Server, NumbersSentInTheNumericSendFormat) {
    for (const std::string &value : NumberCorpus()) {
        SCOPED_TRACE(value);
        ub1 varnum[kVarnumSize], number[kNumberSize];
        NumericVar *vars[3] = {};
        ASSERT_EQ(ConvertStringToVARNUM(value.c_str(), varnum), 0);
        ASSERT_EQ(ConvertVARNUMBERToNumeric(varnum, &vars[0]), 0);
        ASSERT_EQ(ConvertStringToNUMBER(value.c_str(), number), 0);
        ASSERT_EQ(ConvertNUMBERToNumeric(number, kNumberSize, &vars[1]), 0);
        ASSERT_EQ(ConvertStringToNumeric(value.c_str(), &vars[2]), 0);
        char *mine = ConvertNumericToString(vars[2]);  // keeps the scale as written, as the server does
        EXPECT_EQ(Row("SELECT $1::numeric::text", {{value, kText, 0}}).at(0), mine);
        std::free(mine);
        for (NumericVar *var : vars) {
            auto row = Row("SELECT $1::numeric = $2::numeric", {{Wire(var), kNumeric, 1}, {value, kText, 0}});
            EXPECT_EQ(row.at(0), "t");
            free_var(var);
        }
    }
    // Beyond 40 digits only the first 40 reach the server.
    ub1 varnum[kVarnumSize];
    ASSERT_EQ(ConvertStringToVARNUM("-1234567890123456789012345678901234567890.99", varnum), 0);
    NumericVar *var = nullptr;
    ASSERT_EQ(ConvertVARNUMBERToNumeric(varnum, &var), 0);
    EXPECT_EQ(Row("SELECT $1::numeric::text", {{Wire(var), kNumeric, 1}}).at(0), "-1234567890123456789012345678901234567890");
    free_var(var);
}

TEST_F(Server, NumericResultsInBothFormats) {
    std::vector<std::string> values = NumberCorpus();
    for (const char *extra : {"NaN", "Infinity", "-Infinity", "12.500", "-0.000", "1e-300", "1e300",
                              "123456789012345678901234567890123456789012345.678901"})
        values.push_back(extra);
    for (const std::string &value : values) {
        for (const std::string expr : {"$1::numeric", "$1::numeric / 7", "round($1::numeric, 3)"}) {
            SCOPED_TRACE(value + " as " + expr);
            auto text = Row("SELECT " + expr + ", (" + expr + ")::float8::text, round(" + expr + ")::text", {{value, kText, 0}});
            auto binary = Row("SELECT " + expr, {{value, kText, 0}}, 1);
            ASSERT_EQ(text.size() + binary.size(), 4u);
            NumericVar *var = NumericFromSendFormat(binary[0].data(), binary[0].size());
            ASSERT_NE(var, nullptr);
            char *mine = ConvertNumericToString(var);
            EXPECT_EQ(text[0], mine);
            std::free(mine);
            ub1 fromBinary[kVarnumSize], fromText[kVarnumSize];  // both drop digits beyond 40 alike
            int rc = ConvertNumericToVARNUMBER(var, fromBinary);
            EXPECT_EQ(rc, ConvertStringToVARNUM(text[0].c_str(), fromText));
            if (rc == 0) {
                EXPECT_EQ(ToHex(fromBinary, kVarnumSize), ToHex(fromText, kVarnumSize));
            }
            double d = 0, server = 0;
            if (numericvar_to_double(var, &d) == 0 && std::isfinite(d)) {
                std::from_chars(text[1].data(), text[1].data() + text[1].size(), server);
                EXPECT_EQ(d, server) << text[1];
            }
            int64_t i8 = 0;
            if (numericvar_to_int8(var, &i8) == 0) {
                EXPECT_EQ(std::to_string(i8), text[2]);
            }
            free_var(var);
        }
    }
}

// Instants across the whole range, as microseconds since 2000.
std::vector<Timestamp> TimestampCorpus() {
    std::vector<Timestamp> values;
    const int fixed[][7] = {{2024, 3, 5, 13, 45, 30, 250000}, {1, 1, 1, 0, 0, 0, 0},     {0, 1, 1, 0, 0, 0, 1},
                            {-43, 3, 15, 12, 0, 0, 500000},    {-4713, 11, 25, 0, 0, 0, 0}, {294276, 12, 30, 0, 0, 0, 0},
                            {1800, 1, 1, 0, 0, 0, 0},          {2024, 1, 15, 8, 0, 0, 0},   {2024, 7, 15, 8, 0, 0, 999999}};
    for (const auto &f : fixed) {
        pg_tm tm{};
        tm.tm_year = f[0], tm.tm_mon = f[1], tm.tm_mday = f[2], tm.tm_hour = f[3], tm.tm_min = f[4], tm.tm_sec = f[5];
        Timestamp ts;
        if (tm2timestamp(&tm, f[6], nullptr, &ts) == 0) values.push_back(ts);
    }
    std::mt19937_64 rng(7);
    for (int k = 0; k < 600; ++k) {  // mostly recent centuries, where zone rules vary
        bool wide = k % 3 == 0;
        Timestamp ts = std::uniform_int_distribution<Timestamp>(
            wide ? MIN_TIMESTAMP + USECS_PER_DAY : -36500 * USECS_PER_DAY,
            wide ? END_TIMESTAMP - USECS_PER_DAY : 36500 * USECS_PER_DAY)(rng);
        values.push_back(k % 4 == 0 ? ts - ts % USECS_PER_SEC : ts);
    }
    return values;
}

TEST_F(Server, TimestampsAsTheServerPrintsThem) {
    const std::vector<Timestamp> corpus = TimestampCorpus();
    for (const char *zone : {"UTC", "Asia/Kolkata", "America/St_Johns", "Europe/Amsterdam", "Pacific/Chatham",
                             "America/Los_Angeles"}) {
        Set(std::string("TimeZone TO '") + zone + "'");
        for (Timestamp ts : corpus) {
            unsigned char wire[8];
            TimestampToSendFormat(ts, wire);
            std::string bin(reinterpret_cast<const char *>(wire), 8);
            for (Oid type : {kTimestampTz, kTimestamp}) {
                std::string cast = type == kTimestamp ? "timestamp" : "timestamptz";
                SCOPED_TRACE(std::string(zone) + " " + std::to_string(ts) + " " + cast);
                auto row = Row("SELECT $1::" + cast + "::text, (extract(epoch from $1::" + cast +
                                   ") * 1000000 - 946684800000000)::int8, " +
                                   (type == kTimestamp ? "0" : "extract(timezone from $1::timestamptz)::int"),
                               {{bin, type, 1}});
                ASSERT_EQ(row.size(), 3u);
                ParsedDateTime p;
                ASSERT_EQ(ReadDateTimeText(row[0].data(), row[0].size(), &p), 0) << row[0];
                EXPECT_EQ(p.hasZone, type == kTimestampTz) << row[0];
                EXPECT_EQ(p.hasZone ? p.zoneOffset : 0, std::stoi(row[2])) << row[0];
                const int *offset = p.hasZone ? &p.zoneOffset : nullptr;
                Timestamp mine;
                ASSERT_EQ(tm2timestamp(&p.tm, p.fsec, offset, &mine), 0) << row[0];
                EXPECT_EQ(mine, ts) << row[0];
                // (The server computes the epoch of its last ~15000 years by a
                // rounding numeric division; those are left out.)
                if (ts < INT64_MAX - 946684800000000LL) {
                    EXPECT_EQ(mine, std::stoll(row[1])) << row[0];
                }
                char out[kMaxDateTimeText];  // our ISO text is exactly the server's
                ASSERT_GT(EncodeDateTime(&p.tm, p.fsec, offset, out, sizeof out), 0);
                EXPECT_EQ(row[0], out);

                // Through a descriptor body and back to the server as bind text.
                DateTimeValue body{};
                body.kind = type == kTimestamp ? OCI_DTYPE_TIMESTAMP : OCI_DTYPE_TIMESTAMP_TZ;
                if (EncodeOracleOCIDateTime(&body, &p.tm, p.hasZone, p.fsec) != 0) continue;
                Timestamp viaBody;
                ASSERT_EQ(ConvertOCIDateTimeToTimestamp(&body, &viaBody), 0);
                EXPECT_EQ(viaBody, ts);
                pg_tm tm;
                fsec_t fsec;
                DecodeOracleOCIDateTime(&body, &tm, &fsec, p.hasZone);
                int bodyZone = static_cast<int>(tm.tm_gmtoff);
                ASSERT_GT(EncodeDateTime(&tm, fsec, p.hasZone ? &bodyZone : nullptr, out, sizeof out), 0);
                EXPECT_EQ(Row("SELECT $1::" + cast + " = $2::" + cast, {{out, kText, 0}, {bin, type, 1}}).at(0), "t") << out;
            }
        }
    }
}

TEST_F(Server, DatesAndSpecialValues) {
    for (const std::string cast : {"timestamp", "timestamptz", "date"}) {
        for (const std::string word : {"infinity", "-infinity"}) {
            auto text = Row("SELECT '" + word + "'::" + cast, {});
            auto bin = Row("SELECT '" + word + "'::" + cast, {}, 1);
            ParsedDateTime p;
            ASSERT_EQ(ReadDateTimeText(text.at(0).data(), text[0].size(), &p), 0);
            EXPECT_EQ(p.special, word[0] == '-' ? DTS_NEG_INFINITY : DTS_POS_INFINITY);
            Timestamp ts = 0;
            int32_t days = 0;
            if (cast == "date") {
                ASSERT_EQ(DateFromSendFormat(bin.at(0).data(), bin[0].size(), &days), 0);
                EXPECT_EQ(days, word[0] == '-' ? DATEVAL_NOBEGIN : DATEVAL_NOEND);
            } else {
                ASSERT_EQ(TimestampFromSendFormat(bin.at(0).data(), bin[0].size(), &ts), 0);
                char out[16];
                ASSERT_GT(EncodeSpecialTimestamp(ts, out, sizeof out), 0);
                EXPECT_EQ(text[0], out);
            }
        }
    }
    std::mt19937 rng(3);
    for (int k = 0; k < 400; ++k) {
        int jd = std::uniform_int_distribution<int>(k % 2 ? 0 : 2000000, k % 2 ? 2147483493 : 2600000)(rng);
        pg_tm tm{};
        j2date(jd, &tm.tm_year, &tm.tm_mon, &tm.tm_mday);
        char text[kMaxDateTimeText];
        ASSERT_GT(EncodeDateOnly(&tm, text, sizeof text), 0);
        auto row = Row("SELECT $1::date::text, $1::date - date '2000-01-01'", {{text, kText, 0}});
        auto bin = Row("SELECT $1::date", {{text, kText, 0}}, 1);
        ASSERT_EQ(row.size() + bin.size(), 3u);
        EXPECT_EQ(row[0], text);
        EXPECT_EQ(std::stoll(row[1]), jd - POSTGRES_EPOCH_JDATE) << text;
        ParsedDateTime p;
        ASSERT_EQ(ReadDateTimeText(row[0].data(), row[0].size(), &p), 0) << row[0];
        EXPECT_EQ(date2j(p.tm.tm_year, p.tm.tm_mon, p.tm.tm_mday), jd) << row[0];
        int32_t days;
        ASSERT_EQ(DateFromSendFormat(bin[0].data(), bin[0].size(), &days), 0);
        EXPECT_EQ(days, jd - POSTGRES_EPOCH_JDATE);
    }
}

TEST_F(Server, IntervalsInEveryOutputStyle) {
    std::vector<IntervalData> values = {{14, 3, 14706789000}, {0, -1, 7200000000}, {-14, -3, -14706000000}, {0, 0, 0},
                                        {0, 0, -500000},      {0, INT32_MAX, INT64_MAX}, {INT32_MIN, INT32_MIN, INT64_MIN},
                                        {0, 1, -1000000},     {-1, 40, -1}};
    std::mt19937_64 rng(1186);
    auto pick = [&rng](int64_t lo, int64_t hi) { return std::uniform_int_distribution<int64_t>(lo, hi)(rng); };
    for (int k = 0; k < 800; ++k) {
        bool wide = k % 4 == 0;
        IntervalData iv{static_cast<int32_t>(k % 3 == 1 ? 0 : pick(wide ? INT32_MIN : -500, wide ? INT32_MAX : 500)),
                        static_cast<int32_t>(k % 5 == 2 ? 0 : pick(wide ? INT32_MIN : -1000, wide ? INT32_MAX : 1000)),
                        k % 7 == 3 ? 0 : pick(wide ? INT64_MIN : -200 * USECS_PER_DAY, wide ? INT64_MAX : 200 * USECS_PER_DAY)};
        if (k % 2 == 0) iv.usecs -= iv.usecs % USECS_PER_SEC;
        values.push_back(iv);
    }
    for (const IntervalData &iv : values) {
        SCOPED_TRACE(std::to_string(iv.months) + " " + std::to_string(iv.days) + " " + std::to_string(iv.usecs));
        // Our verbose text reaches the server as exactly this interval ...
        char text[kMaxIntervalText];
        ASSERT_GT(EncodeInterval(iv, text, sizeof text), 0);
        Set("IntervalStyle TO 'postgres'");
        auto bin = Row("SELECT $1::interval", {{text, kText, 0}}, 1);
        IntervalData server{};
        ASSERT_EQ(IntervalFromSendFormat(bin.at(0).data(), bin[0].size(), &server), 0) << text;
        EXPECT_TRUE(server.months == iv.months && server.days == iv.days && server.usecs == iv.usecs) << text;
        // ... and what it prints in every style reads back as that interval.
        unsigned char wire[16];
        IntervalToSendFormat(iv, wire);
        Param param{std::string(reinterpret_cast<const char *>(wire), 16), kInterval, 1};
        auto parts = Row("SELECT extract(year from $1) * 12 + extract(month from $1), extract(day from $1)", {param});
        EXPECT_EQ(parts.at(0) + " " + parts.at(1), std::to_string(iv.months) + " " + std::to_string(iv.days));
        for (const char *style : {"postgres", "postgres_verbose", "iso_8601", "sql_standard"}) {
            Set(std::string("IntervalStyle TO '") + style + "'");
            auto row = Row("SELECT $1::interval::text", {param});
            IntervalData back{};
            ASSERT_EQ(ReadIntervalText(row.at(0).data(), row[0].size(), &back), 0) << style << ": " << row[0];
            EXPECT_TRUE(back.months == iv.months && back.days == iv.days && back.usecs == iv.usecs) << style << ": " << row[0];
        }
    }
}

TEST_F(Server, TextTablesAgreeWithTheServer) {
    // The texts of both tables that the parsers accept the server accepts (and
    // the reverse for the date/time table), with the same value. Interval
    // texts without unit words are read in the SQL-standard style.
    for (const auto &row : typestest::ReadTable("interval_texts.txt")) {
        const std::string &txt = row.cells.at(0);
        SCOPED_TRACE("interval line " + std::to_string(row.line) + ": " + txt);
        bool sqlStandard = txt.find_first_of("abcdefghijklmnopqrstuvwxyzPT@") == std::string::npos;
        Set(std::string("IntervalStyle TO '") + (sqlStandard ? "sql_standard" : "postgres") + "'");
        bool ok = false;
        auto bin = Row("SELECT $1::interval", {{txt, kText, 0}}, 1, &ok);
        IntervalData mine{}, server{};
        int rc = ReadIntervalText(txt.data(), txt.size(), &mine);
        EXPECT_TRUE(ok || rc != 0) << PQerrorMessage(conn_);
        if (ok) {
            ASSERT_EQ(IntervalFromSendFormat(bin.at(0).data(), bin[0].size(), &server), 0);
            ASSERT_EQ(rc, 0);
            EXPECT_TRUE(mine.months == server.months && mine.days == server.days && mine.usecs == server.usecs);
        }
    }
    for (const auto &row : typestest::ReadTable("datetime_texts.txt")) {
        const std::string &txt = row.cells.at(0);
        SCOPED_TRACE("date/time line " + std::to_string(row.line) + ": " + txt);
        ParsedDateTime p;
        int rc = ReadDateTimeText(txt.data(), txt.size(), &p);
        if (txt == "now" || txt == "today" || (rc == 0 && p.special != DTS_NORMAL)) continue;
        Timestamp ts = 0, theirs = 0;
        bool ours = rc == 0 && tm2timestamp(&p.tm, p.fsec, p.hasZone ? &p.zoneOffset : nullptr, &ts) == 0, ok = false;
        auto bin = Row(rc == 0 && p.hasZone ? "SELECT $1::timestamptz" : "SELECT $1::timestamp", {{txt, kText, 0}}, 1, &ok);
        EXPECT_EQ(ours, ok) << PQerrorMessage(conn_);
        if (ours && ok) {
            ASSERT_EQ(TimestampFromSendFormat(bin.at(0).data(), bin[0].size(), &theirs), 0);
            EXPECT_EQ(ts, theirs);
        }
    }
}

}  // namespace

// Calendar, Oracle date forms, descriptor bodies, the server timestamp and
// the date/time and interval texts, without a server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "types/datetime_format.h"
#include "types_test_support.h"

using typestest::ExactText;
using typestest::ReadTable;
using typestest::ToHex;

namespace {

pg_tm Tm(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    pg_tm tm{};
    tm.tm_year = year, tm.tm_mon = month, tm.tm_mday = day, tm.tm_hour = hour, tm.tm_min = minute, tm.tm_sec = second;
    return tm;
}

std::string Encode(const pg_tm &tm, fsec_t fsec = 0, const int *zone = nullptr) {
    char buf[kMaxDateTimeText];
    return EncodeDateTime(&tm, fsec, zone, buf, sizeof buf) >= 0 ? buf : "<error>";
}

// Sets the process zone for the lifetime of the object.
struct LocalZone {
    explicit LocalZone(const char *tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    ~LocalZone() {
        unsetenv("TZ");
        tzset();
    }
};

TEST(Calendar, JulianDaysAndNormalisation) {
    EXPECT_EQ(date2j(2000, 1, 1), POSTGRES_EPOCH_JDATE);
    EXPECT_EQ(date2j(-4713, 11, 24), 0);
    EXPECT_EQ(date2j(5874897, 12, 31), 2147483493);
    EXPECT_EQ(j2day(date2j(2024, 3, 5)), 2);  // a Tuesday
    // Day by day through leap and century years, j2date inverts date2j and
    // the month lengths are the table's.
    for (int jd = date2j(1599, 12, 1); jd < date2j(2101, 1, 1); ++jd) {
        int y, m, d, ny, nm, nd;
        j2date(jd, &y, &m, &d);
        ASSERT_EQ(date2j(y, m, d), jd);
        j2date(jd + 1, &ny, &nm, &nd);
        ASSERT_EQ(nd, d == DaysInMonth(y, m) ? 1 : d + 1) << y << "-" << m << "-" << d;
    }
    const struct {
        int in[6];
        const char *out;
    } cases[] = {{{2024, 1, 31, 24, 0, 0}, "2024-02-01 00:00:00"}, {{2024, 3, 1, -1, 0, 0}, "2024-02-29 23:00:00"},
                 {{2023, 12, 31, 23, 59, 60}, "2024-01-01 00:00:00"}, {{2024, 13, 1, 0, -1, 0}, "2024-12-31 23:59:00"},
                 {{2024, 1, 0, 12, 0, 0}, "2023-12-31 12:00:00"}, {{2023, 2, 29, 0, 0, 0}, "2023-03-01 00:00:00"}};
    for (const auto &c : cases) {
        pg_tm tm;
        ASSERT_EQ(ConstructTmFromData(&tm, c.in[0], c.in[1], c.in[2], c.in[3], c.in[4], c.in[5]), 0);
        EXPECT_EQ(Encode(tm), c.out);
    }
    pg_tm tm;
    EXPECT_EQ(ConstructTmFromData(&tm, 5874897, 12, 31, 24, 0, 0), -1);
}

TEST(Calendar, VerifyDateFlags) {
    const struct {
        int f[6];
        ub4 flags;
    } cases[] = {{{2024, 2, 29, 23, 59, 59}, 0},  {{1582, 10, 10, 0, 0, 0}, 0x1000}, {{1582, 10, 4, 0, 0, 0}, 0},
                 {{1582, 10, 15, 0, 0, 0}, 0},   {{0, 1, 1, 0, 0, 0}, 0x2000},     {{1900, 2, 29, 0, 0, 0}, 0x1},
                 {{-1, 2, 29, 0, 0, 0}, 0},      {{2024, 4, 0, 0, 0, 0}, 0x3},     {{2024, 13, 31, 0, 0, 0}, 0x4},
                 {{2024, 13, 32, 0, 0, 0}, 0x5}, {{2024, 0, 1, 0, 0, 0}, 0xC},     {{-4713, 1, 1, 0, 0, 0}, 0x30},
                 {{10000, 1, 1, 0, 0, 0}, 0x10}, {{2024, 1, 1, 24, 60, 60}, 0x540}};
    for (const auto &c : cases) {
        OCIDate d{};
        d.OCIDateYYYY = static_cast<sb2>(c.f[0]);
        d.OCIDateMM = static_cast<ub1>(c.f[1]);
        d.OCIDateDD = static_cast<ub1>(c.f[2]);
        OCIDateSetTime(&d, static_cast<ub1>(c.f[3]), static_cast<ub1>(c.f[4]), static_cast<ub1>(c.f[5]));
        EXPECT_EQ(VerifyDate(&d), c.flags) << c.f[0] << "-" << c.f[1] << "-" << c.f[2];
    }
}

TEST(OracleForms, DateBytesAndOCIDate) {
    const struct {
        pg_tm tm;
        bool withTime;
        const char *bytes;
    } cases[] = {{Tm(2024, 3, 5, 13, 45, 30), true, "78 7C 03 05 0E 2E 1F"},
                 {Tm(2024, 3, 5, 13, 45, 30), false, "78 7C 03 05 01 01 01"},
                 {Tm(1, 1, 1), true, "64 65 01 01 01 01 01"},
                 {Tm(-4711, 1, 1, 23, 0, 0), true, "35 58 01 01 18 01 01"},  // 4712 BC, Oracle year -4712
                 {Tm(0, 12, 31), true, "64 63 0C 1F 01 01 01"}};             // 1 BC
    for (const auto &c : cases) {
        ub1 bytes[7];
        ASSERT_EQ(EncodeOracleDATE(bytes, &c.tm, c.withTime), 0);
        EXPECT_EQ(ToHex(bytes, 7), c.bytes);
        pg_tm back;
        DecodeOracleDATE(bytes, &back, true);
        EXPECT_EQ(Encode(back), Encode(c.withTime ? c.tm : Tm(c.tm.tm_year, c.tm.tm_mon, c.tm.tm_mday)));
    }
    ub1 bytes[7];
    pg_tm far = Tm(10000, 1, 1);
    EXPECT_EQ(EncodeOracleDATE(bytes, &far, true), -1);

    OCIDate d;
    std::memset(&d, 0x55, sizeof d);
    pg_tm tm = Tm(-43, 3, 15, 12, 30, 45);  // 44 BC
    ASSERT_EQ(EncodeOracleOCIDate(&d, &tm, true), 0);
    EXPECT_EQ(d.OCIDateYYYY, -44);
    EXPECT_EQ(reinterpret_cast<ub1 *>(&d)[7], 0);
    pg_tm back;
    DecodeOracleOCIDate(&d, &back, true);
    EXPECT_EQ(Encode(back), "0044-03-15 12:30:45 BC");
    ASSERT_EQ(EncodeOracleOCIDate(&d, &tm, false), 0);
    EXPECT_EQ(d.OCIDateTime.OCITimeHH + d.OCIDateTime.OCITimeMI + d.OCIDateTime.OCITimeSS, 0);
    far = Tm(40000, 1, 1);
    EXPECT_EQ(EncodeOracleOCIDate(&d, &far, true), -1);
}

TEST(Descriptors, AllocationAndKinds) {
    OCIDateTime *dt = Alloc_OCIDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    OCIInterval *iv = Alloc_OCIInterval(OCI_DTYPE_INTERVAL_DS);
    ASSERT_TRUE(dt != nullptr && iv != nullptr);
    EXPECT_EQ(dt->value->kind, 'E');
    EXPECT_EQ(iv->value->kind, 63);
    EXPECT_EQ(dt->value->initialised + iv->value->initialised, 2);
    Free_OCIDateTime(reinterpret_cast<OCIDateTime *>(iv));  // another kind: ignored
    EXPECT_EQ(iv->handleType, HANDLE_OCIInterval);
    Free_OCIInterval(iv);
    Free_OCIDateTime(dt);
    for (long n = 0; n < 2; ++n) {  // record or body allocation failing
        o2pFailAllocationAfter(n);
        EXPECT_EQ(Alloc_OCIDateTime(OCI_DTYPE_DATE), nullptr) << n;
        o2pFailAllocationAfter(n);
        EXPECT_EQ(Alloc_OCIInterval(OCI_DTYPE_INTERVAL_YM), nullptr) << n;
    }
    o2pFailAllocationAfter(-1);
}

TEST(Descriptors, FractionZoneAndTimestamp) {
    const struct {
        const char *text;
        int offset, hours, minutes;
        const char *zoneText, *utc;
    } cases[] = {{"2024-03-05 13:45:30.25+05:30", 19800, 5, 30, "+05:30", "2024-03-05 08:15:30.25"},
                 {"2024-01-15 08:00:00-03:30", -12600, -3, 30, "-03:30", "2024-01-15 11:30:00"},
                 {"2024-01-15 08:00:00-00:30", -1800, 0, 30, "-00:30", "2024-01-15 08:30:00"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        ParsedDateTime p;
        ASSERT_EQ(ReadDateTimeText(c.text, std::strlen(c.text), &p), 0);
        DateTimeValue body{};
        body.kind = OCI_DTYPE_TIMESTAMP_TZ;
        ASSERT_EQ(EncodeOracleOCIDateTime(&body, &p.tm, true, p.fsec), 0);
        EXPECT_EQ(body.zoneOffset, c.offset);
        EXPECT_EQ(body.zoneHours, c.hours);
        EXPECT_EQ(body.zoneMinutes, c.minutes);
        EXPECT_STREQ(body.zoneText, c.zoneText);
        pg_tm tm;
        fsec_t fsec;
        DecodeOracleOCIDateTime(&body, &tm, &fsec, true);
        int zone = static_cast<int>(tm.tm_gmtoff);
        EXPECT_EQ(Encode(tm, fsec, &zone), c.text);
        Timestamp ts;
        ASSERT_EQ(ConvertOCIDateTimeToTimestamp(&body, &ts), 0);
        pg_tm utc;
        ASSERT_EQ(timestamp2tm(ts, nullptr, &utc, &fsec), 0);
        EXPECT_EQ(Encode(utc, fsec), c.utc);
    }
    ParsedDateTime p;
    ASSERT_EQ(ReadDateTimeText("2024-03-05 13:45:30.25", 22, &p), 0);
    DateTimeValue body{};
    body.kind = OCI_DTYPE_TIMESTAMP;
    ASSERT_EQ(EncodeOracleOCIDateTime(&body, &p.tm, false, p.fsec), 0);
    EXPECT_EQ(ToHex(body.fraction, 4), "00 03 D0 90");
    for (ub1 kind : {ub1{OCI_DTYPE_TIMESTAMP}, ub1{OCI_DTYPE_TIMESTAMP_TZ}, ub1{OCI_DTYPE_TIMESTAMP_LTZ}}) {
        body.kind = kind;
        SetDateTimeZone(&body, 19800);
        Timestamp ts;  // a day and half a second later the fields move, the zone stays
        ASSERT_EQ(ConvertOCIDateTimeToTimestamp(&body, &ts), 0);
        ASSERT_EQ(ConvertOCIDateTimeFromTimestamp(&body, ts + USECS_PER_DAY + 500000), 0);
        pg_tm tm;
        fsec_t fsec;
        DecodeOracleOCIDateTime(&body, &tm, &fsec, false);
        EXPECT_EQ(Encode(tm, fsec), "2024-03-06 13:45:30.75") << int{kind};
        EXPECT_STREQ(body.zoneText, "+05:30");
        ASSERT_EQ(ConvertOCIDateTimeFromTimestamp(&body, ts), 0);
    }
    body.kind = OCI_DTYPE_DATE;  // a DATE body moves by whole days and keeps no time
    Timestamp ts;
    ASSERT_EQ(ConvertOCIDateTimeToTimestamp(&body, &ts), 0);
    ASSERT_EQ(ConvertOCIDateTimeFromTimestamp(&body, ts + 11 * USECS_PER_HOUR), 0);
    EXPECT_EQ(body.date.OCIDateDD, 6);
    EXPECT_EQ(body.date.OCIDateTime.OCITimeHH, 0);
    EXPECT_EQ(ConvertOCIDateTimeFromTimestamp(&body, DT_NOEND), -1);
}

TEST(ServerTimestamp, RangeAndSendFormats) {
    pg_tm tm = Tm(-4713, 11, 24);
    Timestamp ts;
    ASSERT_EQ(tm2timestamp(&tm, 0, nullptr, &ts), 0);
    EXPECT_EQ(ts, MIN_TIMESTAMP);
    int east = 3600;  // 00:00 at +01 is before the first valid instant
    EXPECT_EQ(tm2timestamp(&tm, 0, &east, &ts), -1);
    tm = Tm(294276, 12, 31, 23, 59, 59);
    ASSERT_EQ(tm2timestamp(&tm, 999999, nullptr, &ts), 0);
    EXPECT_EQ(ts, END_TIMESTAMP - 1);
    tm = Tm(294277, 1, 1);
    EXPECT_EQ(tm2timestamp(&tm, 0, nullptr, &ts), -1);
    pg_tm back;
    fsec_t fsec;
    int kolkata = 19800;
    ASSERT_EQ(timestamp2tm(-1, &kolkata, &back, &fsec), 0);
    EXPECT_EQ(Encode(back, fsec, &kolkata), "2000-01-01 05:29:59.999999+05:30");
    EXPECT_EQ(timestamp2tm(DT_NOEND, nullptr, &back, &fsec), -1);
    char buf[16];
    EXPECT_EQ(EncodeSpecialTimestamp(DT_NOBEGIN, buf, sizeof buf), 9);
    EXPECT_EQ(EncodeSpecialTimestamp(0, buf, sizeof buf), -1);

    unsigned char wire[16];
    TimestampToSendFormat(-2, wire);
    EXPECT_EQ(ToHex(wire, 8), "FF FF FF FF FF FF FF FE");
    ASSERT_EQ(TimestampFromSendFormat(wire, 8, &ts), 0);
    EXPECT_EQ(ts, -2);
    EXPECT_EQ(TimestampFromSendFormat(wire, 7, &ts), -1);
    int32_t days = 0;
    ASSERT_EQ(DateFromSendFormat(wire, 4, &days), 0);
    EXPECT_EQ(days, -1);
    IntervalToSendFormat(IntervalData{-14, 3, 14706789000}, wire);
    EXPECT_EQ(ToHex(wire, 16), "00 00 00 03 6C 97 CA 88 00 00 00 03 FF FF FF F2");
}

TEST(Zones, DecodeTZAndTheLocalZone) {
    const struct {
        const char *text;
        int rc, offset, hours, minutes;
    } cases[] = {{"+05:30", 0, 19800, 5, 30}, {"-03:30", 0, -12600, -3, 30}, {" -0:30 ", 0, -1800, 0, 30},
                 {"+14", 0, 50400, 14, 0},   {"UTC", 0, 0, 0, 0},          {"+15", -5, 0, 0, 0},
                 {"-13:00", -5, 0, 0, 0},    {"+05:60", -5, 0, 0, 0},      {"+05:30x", -1, 0, 0, 0},
                 {"+0530", -1, 0, 0, 0},     {"+", -1, 0, 0, 0},           {"+05:", -1, 0, 0, 0}};
    for (const auto &c : cases) {
        int off = 1, h = 1, m = 1, s = 1;
        EXPECT_EQ(DecodeTZ(c.text, std::strlen(c.text), &off, &h, &m, &s), c.rc) << c.text;
        if (c.rc == 0) {
            EXPECT_EQ(off, c.offset) << c.text;
            EXPECT_EQ(h, c.hours) << c.text;
            EXPECT_EQ(m, c.minutes) << c.text;
        }
    }
    int off = 0, h = 0, m = 0;
    {
        LocalZone zone("IST-5:30");
        EXPECT_EQ(GetCurrTimeZone(&h, &m), 19800);
        EXPECT_EQ(DecodeTZ(nullptr, 0, &off, nullptr, nullptr, nullptr), 0);
        EXPECT_EQ(off, 19800);
    }
    {
        LocalZone zone("NST3:30");
        EXPECT_EQ(GetCurrTimeZone(&h, &m), -12600);
        EXPECT_EQ(h * 100 + m, -300 + 30);
    }
    {
        LocalZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
        pg_tm winter = Tm(2024, 1, 15, 12), summer = Tm(2024, 7, 15, 12);
        EXPECT_EQ(DetermineLocalTimeZone(&winter), 3600);
        EXPECT_EQ(DetermineLocalTimeZone(&summer), 7200);
        Timestamp ts;
        ASSERT_EQ(tm2timestamp(&summer, 0, nullptr, &ts), 0);
        EXPECT_EQ(LocalZoneOffsetAt(ts), 7200);
    }
}

TEST(Texts, EncodersAndIntervalValues) {
    int plus1 = 3600, lmt = 21208, utc = 0;
    EXPECT_EQ(Encode(Tm(2024, 3, 5, 13, 45, 30), 1, &plus1), "2024-03-05 13:45:30.000001+01");
    EXPECT_EQ(Encode(Tm(2024, 3, 5, 13, 45, 30), 0, &lmt), "2024-03-05 13:45:30+05:53:28");
    EXPECT_EQ(Encode(Tm(-43, 3, 15, 12), 500000, &utc), "0044-03-15 12:00:00.5+00 BC");
    char small[10];
    pg_tm tm = Tm(2024, 1, 1);
    EXPECT_EQ(EncodeDateTime(&tm, 0, nullptr, small, sizeof small), -1);
    tm = Tm(0, 1, 1);
    ASSERT_EQ(EncodeDateOnly(&tm, small + 0, 0), -1);
    char buf[kMaxIntervalText];
    ASSERT_EQ(EncodeDateOnly(&tm, buf, sizeof buf), 13);
    EXPECT_STREQ(buf, "0001-01-01 BC");

    const struct {
        IntervalData iv;
        const char *text;
    } intervals[] = {
        {{14, 3, 14706789000}, "@ 1 year 2 mons 3 days 4 hours 5 mins 6.789 secs"},
        {{0, -1, 7200000000}, "@ 1 day -2 hours ago"},
        {{0, 0, 0}, "@ 0"},
        {{0, 0, -500000}, "@ 0.5 secs ago"},
        {{0, 1, -1000000}, "@ 1 day -1 sec"},
        {{-1, 40, -1}, "@ 1 mon -40 days 0.000001 secs ago"},
        {{INT32_MIN, INT32_MIN, INT64_MIN}, "@ -178956970 years -8 mons -2147483648 days -2562047788 hours -54.775808 secs"},
    };
    for (const auto &c : intervals) {
        int n = EncodeInterval(c.iv, buf, sizeof buf);
        ASSERT_GT(n, 0);
        EXPECT_STREQ(buf, c.text);
        IntervalData back{};
        ASSERT_EQ(ReadIntervalText(buf, static_cast<size_t>(n), &back), 0) << buf;
        EXPECT_TRUE(back.months == c.iv.months && back.days == c.iv.days && back.usecs == c.iv.usecs) << buf;
    }
    EXPECT_EQ(EncodeInterval(IntervalData{14, 0, 0}, small, 8), -1);

    const struct {
        IntervalData in, out;
    } justify[] = {{{0, 0, 25 * USECS_PER_HOUR}, {0, 1, USECS_PER_HOUR}},
                   {{0, 1, -USECS_PER_HOUR}, {0, 0, 23 * USECS_PER_HOUR}},
                   {{0, -1, USECS_PER_HOUR}, {0, 0, -23 * USECS_PER_HOUR}}};
    for (const auto &j : justify) {
        IntervalData iv = j.in;
        ASSERT_EQ(interval_justify_hours(&iv), 0);
        EXPECT_TRUE(iv.days == j.out.days && iv.usecs == j.out.usecs) << iv.days << " " << iv.usecs;
    }
    IntervalData overflow{0, INT32_MAX, 2 * USECS_PER_DAY};
    EXPECT_EQ(interval_justify_hours(&overflow), -1);
    IntervalValue body{};
    SetIntervalBody(&body, IntervalData{14, 3, -86399999999});
    IntervalData back{};
    GetIntervalBody(&body, &back);
    EXPECT_EQ(back.usecs, -86399999999);
    IntervalFields f{};
    IntervalToFields(IntervalData{-14, -3, -14706789000}, &f);
    EXPECT_EQ(std::to_string(f.years) + " " + std::to_string(f.months) + " " + std::to_string(f.hours) + " " +
                  std::to_string(f.minutes) + " " + std::to_string(f.seconds) + " " + std::to_string(f.fsec),
              "-1 -2 -4 -5 -6 -789000");
}

TEST(Texts, DateTimeTable) {
    auto rows = ReadTable("datetime_texts.txt");
    ASSERT_GE(rows.size(), 70u);
    for (const auto &row : rows) {
        ASSERT_EQ(row.cells.size(), 2u) << "line " << row.line;
        SCOPED_TRACE("line " + std::to_string(row.line) + ": '" + row.cells[0] + "'");
        ExactText exact(row.cells[0]);
        ParsedDateTime p;
        int rc = ReadDateTimeText(exact.get(), exact.len, &p);
        const std::string &want = row.cells[1];
        if (want.rfind("ERR", 0) == 0) {
            EXPECT_EQ(rc, std::stoi(want.substr(4)));
        } else if (want == "+inf" || want == "-inf") {
            ASSERT_EQ(rc, 0);
            EXPECT_EQ(p.special, want == "+inf" ? DTS_POS_INFINITY : DTS_NEG_INFINITY);
        } else {
            ASSERT_EQ(rc, 0);
            char got[96];
            std::snprintf(got, sizeof got, "%d %d %d %d %d %d %d %s", p.tm.tm_year, p.tm.tm_mon, p.tm.tm_mday,
                          p.tm.tm_hour, p.tm.tm_min, p.tm.tm_sec, p.fsec,
                          p.hasZone ? std::to_string(p.zoneOffset).c_str() : "-");
            EXPECT_EQ(got, want);
            EXPECT_EQ(p.tm.tm_gmtoff, p.hasZone ? p.zoneOffset : 0);
        }
    }
    // A control character is no separator.
    ParsedDateTime p;
    EXPECT_EQ(ReadDateTimeText("2024-03-05\x01", 11, &p), DTERR_FORMAT);
}

TEST(Texts, IntervalTable) {
    auto rows = ReadTable("interval_texts.txt");
    ASSERT_GE(rows.size(), 60u);
    for (const auto &row : rows) {
        ASSERT_EQ(row.cells.size(), 2u) << "line " << row.line;
        ExactText exact(row.cells[0]);
        IntervalData iv{7, 7, 7};
        int rc = ReadIntervalText(exact.get(), exact.len, &iv);
        std::string got = rc != 0 ? (rc == DTERR_INTERNAL ? "ERR" : std::to_string(rc))
                                  : std::to_string(iv.months) + " " + std::to_string(iv.days) + " " + std::to_string(iv.usecs);
        EXPECT_EQ(got, row.cells[1]) << "line " << row.line << ": '" << row.cells[0] << "'";
    }
}

TEST(Texts, FieldsAndRelativeWords) {
    DateFields fields;
    const char text[] = "2024-03-05T13:45:30.5-03:30 BC";
    ASSERT_EQ(ParseDateTime(text, sizeof text - 1, &fields), 0);
    ASSERT_EQ(fields.count, 5);
    const DateFieldType types[] = {DTF_DATE, DTF_STRING, DTF_TIME, DTF_TIME, DTF_STRING};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(fields.field[k].type, types[k]) << k;
    EXPECT_EQ(fields.field[3].sign, '-');
    EXPECT_EQ(std::string(fields.field[3].str, fields.field[3].len), "03:30");
    std::string many;
    for (int k = 0; k <= MAXDATEFIELDS; ++k) many += "1 ";
    EXPECT_EQ(ParseDateTime(many.data(), many.size(), &fields), DTERR_FORMAT);

    LocalZone zone("UTC0");
    ParsedDateTime now, today, tomorrow;
    time_t before = time(nullptr);
    ASSERT_EQ(ReadDateTimeText("now", 3, &now), 0);
    ASSERT_EQ(ReadDateTimeText("today", 5, &today), 0);
    ASSERT_EQ(ReadDateTimeText("tomorrow 10:00", 14, &tomorrow), 0);
    EXPECT_TRUE(now.hasZone && now.zoneOffset == 0);
    Timestamp ts;
    ASSERT_EQ(tm2timestamp(&now.tm, now.fsec, &now.zoneOffset, &ts), 0);
    EXPECT_NEAR(static_cast<double>(ts / USECS_PER_SEC + 946684800), static_cast<double>(before), 2.0);
    EXPECT_EQ(date2j(tomorrow.tm.tm_year, tomorrow.tm.tm_mon, tomorrow.tm.tm_mday),
              date2j(today.tm.tm_year, today.tm.tm_mon, today.tm.tm_mday) + 1);
    EXPECT_EQ(tomorrow.tm.tm_hour, 10);
}

// The server's ISO output is read by a shortcut; every text it takes must
// decode exactly as the general field parser decodes it, and every text it
// refuses must still be read (or refused) by the general parser.
TEST(Texts, ServerOutputShortcutAgreesWithTheFieldParser) {
    std::srand(7);
    const char *fractions[] = {"5", "05", "123456", "1234567", "", "000001"};
    const char *zones[] = {"+00", "-03:30", "+05:45", "+14", "-12:00:15", "+16", "+5", "-03:", "+01:02:03:04"};
    for (int k = 0; k < 20000; ++k) {
        char date[16], time[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", std::rand() % 10001, std::rand() % 14, std::rand() % 32);
        std::snprintf(time, sizeof time, " %02d:%02d:%02d", std::rand() % 26, std::rand() % 61, std::rand() % 62);
        const int shape = std::rand() % 5;
        std::string t = date;
        if (shape > 0) t += time;
        if (shape == 2 || shape == 4) t += std::string(".") + fractions[std::rand() % 6];
        if (shape >= 3) t += zones[std::rand() % 9];
        if (k % 7 == 0) t[std::rand() % t.size()] = "0-: .+x"[std::rand() % 7];  // damage one byte
        if (k % 11 == 0) t.resize(std::rand() % (t.size() + 1));
        ParsedDateTime fast{}, general{};
        DateFields fields;
        int expected = ParseDateTime(t.data(), t.size(), &fields);
        if (expected == 0) expected = DecodeDateTime(fields, &general);
        if (expected == 0 && general.special == DTS_NORMAL && !general.hasDate) expected = DTERR_FORMAT;
        ASSERT_EQ(ReadDateTimeText(t.data(), t.size(), &fast), expected) << t;
        if (expected != 0) continue;
        EXPECT_TRUE(fast.special == general.special && fast.hasDate == general.hasDate &&
                    fast.hasTime == general.hasTime && fast.hasZone == general.hasZone && fast.fsec == general.fsec)
            << t;
        EXPECT_TRUE(fast.tm.tm_year == general.tm.tm_year && fast.tm.tm_mon == general.tm.tm_mon &&
                    fast.tm.tm_mday == general.tm.tm_mday && fast.tm.tm_hour == general.tm.tm_hour &&
                    fast.tm.tm_min == general.tm.tm_min && fast.tm.tm_sec == general.tm.tm_sec &&
                    fast.tm.tm_wday == general.tm.tm_wday && fast.tm.tm_yday == general.tm.tm_yday &&
                    fast.tm.tm_gmtoff == general.tm.tm_gmtoff)
            << t;
        if (general.hasZone) {
            EXPECT_EQ(fast.zoneOffset, general.zoneOffset) << t;
            EXPECT_STREQ(fast.zoneName, general.zoneName) << t;
        }
    }
}

}  // namespace

// OCIDateTime calls: construction and its checks, fields, zones under the
// operating system's rules (half-hour zones, daylight saving), comparison,
// interval arithmetic, kind conversion and the external array form.
#include <cstring>
#include <ctime>

#include "dtapi_test_support.h"

using namespace dtapi_test;

namespace {

class DateTimeApi : public ApiTest {
protected:
    sword Construct(OCIDateTime *dt, int y, int mo, int d, int h = 0, int mi = 0, int s = 0, ub4 ns = 0,
                    const char *zone = nullptr) {
        return OCIDateTimeConstruct(env, err, dt, static_cast<sb2>(y), static_cast<ub1>(mo), static_cast<ub1>(d),
                                    static_cast<ub1>(h), static_cast<ub1>(mi), static_cast<ub1>(s), ns,
                                    reinterpret_cast<OraText *>(const_cast<char *>(zone)),
                                    zone != nullptr ? std::strlen(zone) : 0);
    }
    // "YYYY-MM-DD HH:MI:SS.nnnnnnnnn"
    std::string Fields(OCIDateTime *dt) {
        sb2 y = 0;
        ub1 mo = 0, d = 0, h = 0, mi = 0, s = 0;
        ub4 ns = 0;
        EXPECT_EQ(OCIDateTimeGetDate(env, err, dt, &y, &mo, &d), OCI_SUCCESS);
        EXPECT_EQ(OCIDateTimeGetTime(env, err, dt, &h, &mi, &s, &ns), OCI_SUCCESS);
        char buf[48];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%09u", y, mo, d, h, mi, s, ns);
        return buf;
    }
    std::string Zone(OCIDateTime *dt) {
        sb1 h = 99, m = 99;
        EXPECT_EQ(OCIDateTimeGetTimeZoneOffset(env, err, dt, &h, &m), OCI_SUCCESS) << message;
        ub1 name[16] = {};
        ub4 len = sizeof name;
        EXPECT_EQ(OCIDateTimeGetTimeZoneName(env, err, dt, name, &len), OCI_SUCCESS);
        return std::to_string(h) + "," + std::to_string(m) + " " + std::string(reinterpret_cast<char *>(name), len);
    }
};

TEST_F(DateTimeApi, ConstructStoresFieldsAndFractionInNanoseconds) {
    OCIDateTime *ts = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ASSERT_EQ(Construct(ts, 2024, 3, 5, 13, 45, 30, 250000000), OCI_SUCCESS);
    EXPECT_EQ(Fields(ts), "2024-03-05 13:45:30.250000000");

    // A DATE has no time of day: the outputs are zeroed and 1878 reported.
    OCIDateTime *date = NewDateTime(OCI_DTYPE_DATE);
    ASSERT_EQ(Construct(date, 2024, 3, 5, 13, 45, 30), OCI_SUCCESS);
    ub1 h = 7, mi = 7, s = 7;
    ub4 ns = 7;
    ExpectError(OCIDateTimeGetTime(env, err, date, &h, &mi, &s, &ns), 1878);
    EXPECT_EQ(h + mi + s, 0);
    EXPECT_EQ(ns, 0u);
    sb2 y;
    ub1 mo, d;
    ASSERT_EQ(OCIDateTimeGetDate(env, err, date, &y, &mo, &d), OCI_SUCCESS);
    EXPECT_EQ(y * 10000 + mo * 100 + d, 20240305);
    sb1 zh, zm;
    ExpectError(OCIDateTimeGetTimeZoneOffset(env, err, ts, &zh, &zm), 1878);
}

TEST_F(DateTimeApi, ConstructChecksEachFieldWithItsCheckFlag) {
    OCIDateTime *ts = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ExpectError(Construct(ts, 0, 0, 1), 8207);
    ExpectError(Construct(ts, 10000, 1, 1), 9216);
    ExpectError(Construct(ts, 2024, 1, 0), 3);
    ExpectError(Construct(ts, 2024, 13, 1), 4);
    ExpectError(Construct(ts, 2024, 0, 1), 12);
    ExpectError(Construct(ts, 2023, 2, 29), 1);
    ExpectError(Construct(ts, 2024, 1, 1, 24), 64);
    ExpectError(Construct(ts, 2024, 1, 1, 0, 60), 256);
    ExpectError(Construct(ts, 2024, 1, 1, 0, 0, 60), 1024);
    ExpectMissing(Construct(ts, 2024, 1, 1, 0, 0, 0, 1000000000), 10);
    OCIDateTime *tz = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    ExpectError(Construct(tz, 2024, 1, 1, 0, 0, 0, 0, "+15:00"), 16384);
    ExpectError(Construct(tz, 2024, 1, 1, 0, 0, 0, 0, "+05:30x"), 16384);
    // With a zone the hour may run into the next day.
    ASSERT_EQ(Construct(tz, 2024, 2, 28, 25, 0, 0, 0, "+01:00"), OCI_SUCCESS);
    EXPECT_EQ(Fields(tz), "2024-02-29 01:00:00.000000000");
    ub4 flags = 99;
    ASSERT_EQ(OCIDateTimeCheck(env, err, tz, &flags), OCI_SUCCESS);
    EXPECT_EQ(flags, 0u);
}

TEST_F(DateTimeApi, ZonesFollowTheOperatingSystemRules) {
    OCIDateTime *tz = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    {
        // Without a zone text a value is in the local zone of its own date.
        ScopedTZ zone(kAdelaide);
        ASSERT_EQ(Construct(tz, 2024, 1, 15, 12), OCI_SUCCESS);
        EXPECT_EQ(Zone(tz), "10,30 +10:30");
        ASSERT_EQ(Construct(tz, 2024, 7, 15, 12), OCI_SUCCESS);
        EXPECT_EQ(Zone(tz), "9,30 +09:30");
    }
    {
        ScopedTZ zone(kNewYork);
        ASSERT_EQ(Construct(tz, 2024, 3, 10, 1, 30), OCI_SUCCESS);  // before the change to summer time
        EXPECT_EQ(Zone(tz), "-5,0 -05:00");
        ASSERT_EQ(Construct(tz, 2024, 3, 10, 3, 30), OCI_SUCCESS);  // after it
        EXPECT_EQ(Zone(tz), "-4,0 -04:00");
    }
    // The minutes carry the sign only when the hours cannot.
    ASSERT_EQ(Construct(tz, 2024, 1, 1, 0, 0, 0, 0, "-03:30"), OCI_SUCCESS);
    EXPECT_EQ(Zone(tz), "-3,30 -03:30");
    ASSERT_EQ(Construct(tz, 2024, 1, 1, 0, 0, 0, 0, "-0:30"), OCI_SUCCESS);
    EXPECT_EQ(Zone(tz), "0,-30 -00:30");
}

TEST_F(DateTimeApi, SysTimeStampInHalfHourAndDaylightSavingZones) {
    for (const char *rules : {kIndia, kAdelaide, kNewYork}) {
        ScopedTZ zone(rules);
        OCIDateTime *tz = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ), *ltz = NewDateTime(OCI_DTYPE_TIMESTAMP_LTZ);
        const time_t before = time(nullptr);
        ASSERT_EQ(OCIDateTimeSysTimeStamp(env, err, tz), OCI_SUCCESS);
        ASSERT_EQ(OCIDateTimeSysTimeStamp(env, err, ltz), OCI_SUCCESS);
        const time_t after = time(nullptr);
        auto expected = [](time_t t) {
            struct tm lt;
            localtime_r(&t, &lt);
            const long off = lt.tm_gmtoff, mag = off < 0 ? -off : off;
            char buf[128];
            std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d %ld,%ld %c%02ld:%02ld", lt.tm_year + 1900,
                          lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec, off / 3600,
                          off / 3600 == 0 && off < 0 ? -(mag / 60 % 60) : mag / 60 % 60, off < 0 ? '-' : '+',
                          mag / 3600, mag / 60 % 60);
            return std::string(buf);
        };
        const std::string got = Fields(tz).substr(0, 19) + " " + Zone(tz);
        EXPECT_TRUE(got == expected(before) || got == expected(after)) << rules << ": " << got;
        EXPECT_EQ(Zone(ltz), expected(after).substr(20)) << rules;
    }
    // The name is written whole or not at all.
    ScopedTZ zone(kIndia);
    OCIDateTime *tz = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    ASSERT_EQ(OCIDateTimeSysTimeStamp(env, err, tz), OCI_SUCCESS);
    ub1 name[8];
    std::memset(name, 'x', sizeof name);
    ub4 len = 5;
    ExpectError(OCIDateTimeGetTimeZoneName(env, err, tz, name, &len), 16530);
    EXPECT_EQ(len, 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(name), sizeof name), "xxxxxxxx");
    len = 6;
    ASSERT_EQ(OCIDateTimeGetTimeZoneName(env, err, tz, name, &len), OCI_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(name), sizeof name), "+05:30xx");
}

TEST_F(DateTimeApi, CompareSubtractAndIntervalArithmetic) {
    OCIDateTime *a = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ), *b = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    ASSERT_EQ(Construct(a, 2024, 3, 5, 12, 0, 0, 0, "+05:30"), OCI_SUCCESS);
    ASSERT_EQ(Construct(b, 2024, 3, 5, 6, 30, 0, 0, "+00:00"), OCI_SUCCESS);
    sword cmp = 9;
    ASSERT_EQ(OCIDateTimeCompare(env, err, a, b, &cmp), OCI_SUCCESS);
    EXPECT_EQ(cmp, 0);
    OCIDateTime *plain = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ASSERT_EQ(Construct(plain, 2024, 1, 15, 12), OCI_SUCCESS);
    ExpectError(OCIDateTimeCompare(env, err, a, plain, &cmp), 1870);
    EXPECT_EQ(OCIDateTimeCompare(err, err, a, b, &cmp), OCI_INVALID_HANDLE);

    // 45 and a half days stay days in a day-to-second interval.
    OCIDateTime *later = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ASSERT_EQ(Construct(later, 2024, 3, 1, 0), OCI_SUCCESS);
    OCIInterval *ds = NewInterval(OCI_DTYPE_INTERVAL_DS);
    ASSERT_EQ(OCIDateTimeSubtract(env, err, later, plain, ds), OCI_SUCCESS);
    sb4 d, h, mi, s, f;
    ASSERT_EQ(OCIIntervalGetDaySecond(env, err, &d, &h, &mi, &s, &f, ds), OCI_SUCCESS);
    EXPECT_EQ(d * 100 + h, 4512);

    // Months clamp the day to the new month; days and time move the clock.
    OCIDateTime *end = NewDateTime(OCI_DTYPE_TIMESTAMP), *out = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ASSERT_EQ(Construct(end, 2024, 1, 31, 10), OCI_SUCCESS);
    OCIInterval *month = NewInterval(OCI_DTYPE_INTERVAL_YM);
    ASSERT_EQ(OCIIntervalSetYearMonth(env, err, 0, 1, month), OCI_SUCCESS);
    ASSERT_EQ(OCIDateTimeIntervalAdd(env, err, end, month, out), OCI_SUCCESS);
    EXPECT_EQ(Fields(out), "2024-02-29 10:00:00.000000000");
    ASSERT_EQ(OCIIntervalSetDaySecond(env, err, 1, 2, 0, 0, 500000000, ds), OCI_SUCCESS);
    ASSERT_EQ(OCIDateTimeIntervalSub(env, err, end, ds, out), OCI_SUCCESS);
    EXPECT_EQ(Fields(out), "2024-01-30 07:59:59.500000000");
    // A zoned result stays in the zone of the value it came from.
    OCIDateTime *zoned = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    ASSERT_EQ(OCIDateTimeIntervalAdd(env, err, a, ds, zoned), OCI_SUCCESS);
    EXPECT_EQ(Fields(zoned), "2024-03-06 14:00:00.500000000");
    EXPECT_EQ(Zone(zoned), "5,30 +05:30");
}

TEST_F(DateTimeApi, ConvertKeepsFieldsOrTheInstant) {
    ScopedTZ zone(kIndia);
    OCIDateTime *tz = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ), *ltz = NewDateTime(OCI_DTYPE_TIMESTAMP_LTZ);
    OCIDateTime *ts = NewDateTime(OCI_DTYPE_TIMESTAMP), *date = NewDateTime(OCI_DTYPE_DATE);
    ASSERT_EQ(Construct(tz, 2024, 3, 5, 12, 0, 0, 0, "+00:00"), OCI_SUCCESS);
    // Into the local-zone kind the instant is kept and seen locally.
    ASSERT_EQ(OCIDateTimeConvert(env, err, tz, ltz), OCI_SUCCESS);
    EXPECT_EQ(Fields(ltz), "2024-03-05 17:30:00.000000000");
    EXPECT_EQ(Zone(ltz), "5,30 +05:30");
    // Into a kind without zone the wall clock is kept.
    ASSERT_EQ(OCIDateTimeConvert(env, err, tz, ts), OCI_SUCCESS);
    EXPECT_EQ(Fields(ts), "2024-03-05 12:00:00.000000000");
    ASSERT_EQ(OCIDateTimeConvert(env, err, ltz, date), OCI_SUCCESS);
    sb2 y;
    ub1 mo, d;
    ASSERT_EQ(OCIDateTimeGetDate(env, err, date, &y, &mo, &d), OCI_SUCCESS);
    EXPECT_EQ(d, 5);
    // A value without zone gains the local one.
    ASSERT_EQ(OCIDateTimeConvert(env, err, ts, tz), OCI_SUCCESS);
    EXPECT_EQ(Fields(tz), "2024-03-05 12:00:00.000000000");
    EXPECT_EQ(Zone(tz), "5,30 +05:30");
    EXPECT_EQ(OCIDateTimeConvert(err, err, ts, tz), OCI_INVALID_HANDLE);
}

TEST_F(DateTimeApi, ArrayFormRoundTrips) {
    OCIDateTime *tz = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    OCIInterval *ref = NewInterval(OCI_DTYPE_INTERVAL_DS);
    ASSERT_EQ(Construct(tz, 2024, 3, 5, 1, 0, 0, 500000000, "+05:30"), OCI_SUCCESS);
    ub1 bytes[16];
    ub4 len = sizeof bytes;
    ASSERT_EQ(OCIDateTimeToArray(env, err, tz, ref, bytes, &len, 9), OCI_SUCCESS);
    ASSERT_EQ(len, 13u);
    // The time in UTC, nanoseconds, zone hour + 20 and minute + 60.
    const ub1 expected[13] = {120, 124, 3, 4, 20, 31, 1, 0x1D, 0xCD, 0x65, 0x00, 25, 90};
    EXPECT_EQ(std::memcmp(bytes, expected, 13), 0);

    OCIDateTime *back = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    ASSERT_EQ(OCIDateTimeFromArray(env, err, bytes, len, SQLT_TIMESTAMP_TZ, back, ref, 9), OCI_SUCCESS);
    EXPECT_EQ(Fields(back), "2024-03-05 01:00:00.500000000");
    EXPECT_EQ(Zone(back), "5,30 +05:30");

    // Only what the length allows is written.
    len = 7;
    ASSERT_EQ(OCIDateTimeToArray(env, err, tz, ref, bytes, &len, 9), OCI_SUCCESS);
    EXPECT_EQ(len, 7u);
    len = 3;
    ExpectError(OCIDateTimeToArray(env, err, tz, ref, bytes, &len, 9), 16530);
    ExpectError(OCIDateTimeFromArray(env, err, bytes, 7, SQLT_CHR, back, ref, 9), 1866);
    EXPECT_EQ(OCIDateTimeFromArray(env, err, bytes, 7, SQLT_TIMESTAMP, back, nullptr, 9), OCI_INVALID_HANDLE);
    EXPECT_EQ(Code(), 100);
    const ub1 badDay[7] = {120, 124, 2, 30, 1, 1, 1};
    ExpectError(OCIDateTimeFromArray(env, err, const_cast<ub1 *>(badDay), 7, SQLT_TIMESTAMP, back, ref, 9), 1839);
}

TEST_F(DateTimeApi, ArgumentsAndHandles) {
    OCIDateTime *ts = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ub4 flags;
    ExpectMissing(OCIDateTimeCheck(nullptr, err, ts, &flags), 1);
    ExpectMissing(OCIDateTimeCheck(env, err, nullptr, &flags), 3);
    ExpectMissing(OCIDateTimeCheck(env, err, ts, nullptr), 4);
    EXPECT_EQ(OCIDateTimeCheck(env, nullptr, ts, &flags), OCI_INVALID_HANDLE);
    // Something that is not a datetime descriptor is refused, not read.
    OCIInterval *iv = NewInterval(OCI_DTYPE_INTERVAL_DS);
    ExpectError(OCIDateTimeCheck(env, err, reinterpret_cast<OCIDateTime *>(iv), &flags), 16384);
    OCIDateTime *date = NewDateTime(OCI_DTYPE_DATE);
    ExpectError(OCIDateTimeAssign(env, err, ts, date), 932);
}

}  // namespace

// OCIInterval calls: fields, comparison, arithmetic, numbers, texts and zones.
#include <cstring>
#include <string>

#include "dtapi_test_support.h"
#include "types/number_format.h"

using namespace dtapi_test;

namespace {

class IntervalApi : public ApiTest {
protected:
    OCIInterval *DaySecond(sb4 d, sb4 h, sb4 mi = 0, sb4 s = 0, sb4 ns = 0) {
        OCIInterval *iv = NewInterval(OCI_DTYPE_INTERVAL_DS);
        EXPECT_EQ(OCIIntervalSetDaySecond(env, err, d, h, mi, s, ns, iv), OCI_SUCCESS);
        return iv;
    }
    OCIInterval *YearMonth(sb4 y, sb4 m) {
        OCIInterval *iv = NewInterval(OCI_DTYPE_INTERVAL_YM);
        EXPECT_EQ(OCIIntervalSetYearMonth(env, err, y, m, iv), OCI_SUCCESS);
        return iv;
    }
    std::string Text(OCIInterval *iv) {
        OraText buf[64];
        size_t len = 0;
        EXPECT_EQ(OCIIntervalToText(env, err, iv, 2, 3, buf, sizeof buf, &len), OCI_SUCCESS) << message;
        return std::string(reinterpret_cast<char *>(buf), len);
    }
    static OCINumber Number(const char *text) {
        OCINumber n{};
        EXPECT_EQ(ConvertStringToVARNUM(text, n.OCINumberPart), 0) << text;
        return n;
    }
    static std::string NumberText(const OCINumber &n) {
        char buf[kVarnumTextSize];
        EXPECT_EQ(ConvertVARNUMToString(n.OCINumberPart, buf, sizeof buf), 0);
        return buf;
    }
    sword Compare(OCIInterval *a, OCIInterval *b) {
        sword result = 9;
        EXPECT_EQ(OCIIntervalCompare(env, err, a, b, &result), OCI_SUCCESS);
        return result;
    }
};

TEST_F(IntervalApi, CompareCountsAMonthAsThirtyDays) {
    EXPECT_EQ(Compare(YearMonth(0, 1), DaySecond(30, 0)), 0);
    EXPECT_EQ(Compare(YearMonth(0, 1), DaySecond(30, 0, 0, 0, 1000)), -1);
    EXPECT_EQ(Compare(DaySecond(-1, 0), DaySecond(0, -23)), -1);
    EXPECT_EQ(Compare(YearMonth(100000000, 0), DaySecond(0, 1)), 1);
}

TEST_F(IntervalApi, TextOfBothKindsAndBack) {
    EXPECT_EQ(Text(DaySecond(-1, -2)), "-01 02:00:00.000");
    EXPECT_EQ(Text(YearMonth(0, 14)), "+01-02");
    EXPECT_EQ(Text(YearMonth(-1, -2)), "-01-02");
    EXPECT_EQ(Text(DaySecond(3, 4, 5, 6, 789999000)), "+03 04:05:06.789");
    // Days and time of opposite signs are written as the one duration.
    EXPECT_EQ(Text(DaySecond(-1, 2)), "-00 22:00:00.000");

    OCIInterval *ds = NewInterval(OCI_DTYPE_INTERVAL_DS), *ym = NewInterval(OCI_DTYPE_INTERVAL_YM);
    for (const char *text : {"-01 02:00:00.000", "+03 04:05:06.789", "+00 24:00:00"}) {
        ASSERT_EQ(OCIIntervalFromText(env, err, T(text), std::strlen(text), ds), OCI_SUCCESS) << text;
        if (text[4] != '2') {
            EXPECT_EQ(Text(ds), text);
        }
    }
    EXPECT_EQ(Text(ds), "+01 00:00:00.000");
    for (const char *text : {"+01-02", "-3-11", "5 6"}) {
        ASSERT_EQ(OCIIntervalFromText(env, err, T(text), std::strlen(text), ym), OCI_SUCCESS) << text;
    }
    EXPECT_EQ(Text(ym), "+05-06");
    for (const char *bad : {"1", "1 25:00:00", "1 24:00:01", "1 02:60:00", "1.5 02:00:00", "x 02:00:00"})
        ExpectError(OCIIntervalFromText(env, err, T(bad), std::strlen(bad), ds), 1891);
    for (const char *bad : {"1-12", "1 2 3", "01:02"})
        ExpectError(OCIIntervalFromText(env, err, T(bad), std::strlen(bad), ym), 1891);
    // The length bounds the text.
    ASSERT_EQ(OCIIntervalFromText(env, err, T("+07-01 garbage"), 6, ym), OCI_SUCCESS);
    EXPECT_EQ(Text(ym), "+07-01");
}

TEST_F(IntervalApi, TextThatDoesNotFitIsRefusedWhole) {
    OCIInterval *ds = DaySecond(1, 2);
    OraText buf[24];
    std::memset(buf, 'x', sizeof buf);
    size_t len = 0;
    // "+01 02:00:00.000" is 16 characters and needs 17 bytes.
    ExpectError(OCIIntervalToText(env, err, ds, 2, 3, buf, 16, &len), 16530);
    EXPECT_EQ(buf[0], 'x');
    EXPECT_EQ(len, 0u);
    ASSERT_EQ(OCIIntervalToText(env, err, ds, 2, 3, buf, 17, &len), OCI_SUCCESS);
    EXPECT_EQ(len, 16u);
    EXPECT_EQ(buf[16], '\0');
    EXPECT_EQ(buf[17], 'x');
}

TEST_F(IntervalApi, NumbersInDaysOrYears) {
    OCINumber n{};
    ASSERT_EQ(OCIIntervalToNumber(env, err, DaySecond(1, 12), &n), OCI_SUCCESS);
    EXPECT_EQ(NumberText(n), NumberText(Number("1.5")));
    ASSERT_EQ(OCIIntervalToNumber(env, err, YearMonth(2, 6), &n), OCI_SUCCESS);
    EXPECT_EQ(NumberText(n), NumberText(Number("2.5")));

    // 2.5 years are 2 years and 6 months.
    OCIInterval *ym = NewInterval(OCI_DTYPE_INTERVAL_YM);
    OCINumber x = Number("2.5");
    ASSERT_EQ(OCIIntervalFromNumber(env, err, ym, &x), OCI_SUCCESS);
    sb4 y = 0, m = 0;
    ASSERT_EQ(OCIIntervalGetYearMonth(env, err, &y, &m, ym), OCI_SUCCESS);
    EXPECT_EQ(y * 100 + m, 206);
    OCIInterval *ds = NewInterval(OCI_DTYPE_INTERVAL_DS);
    x = Number("-1.25");
    ASSERT_EQ(OCIIntervalFromNumber(env, err, ds, &x), OCI_SUCCESS);
    EXPECT_EQ(Text(ds), "-01 06:00:00.000");
    ASSERT_EQ(OCIIntervalToNumber(env, err, ds, &n), OCI_SUCCESS);
    EXPECT_EQ(NumberText(n), NumberText(Number("-1.25")));
    ExpectError(OCIIntervalGetYearMonth(env, err, &y, &m, ds), 932);
}

TEST_F(IntervalApi, ArithmeticKeepsSignsConsistent) {
    OCIInterval *sum = NewInterval(OCI_DTYPE_INTERVAL_DS);
    ASSERT_EQ(OCIIntervalAdd(env, err, DaySecond(0, 20), DaySecond(0, 6), sum), OCI_SUCCESS);
    EXPECT_EQ(Text(sum), "+01 02:00:00.000");
    ASSERT_EQ(OCIIntervalSubtract(env, err, DaySecond(1, 0), DaySecond(0, 26), sum), OCI_SUCCESS);
    EXPECT_EQ(Text(sum), "-00 02:00:00.000");
    ExpectError(OCIIntervalAdd(env, err, DaySecond(0, 1), YearMonth(0, 1), sum), 932);

    // A fraction of a month becomes days, a fraction of a day time.
    OCIInterval *ym = NewInterval(OCI_DTYPE_INTERVAL_YM);
    OCINumber half = Number("0.5"), zero = Number("0"), three = Number("3");
    ASSERT_EQ(OCIIntervalMultiply(env, err, YearMonth(1, 1), &three, ym), OCI_SUCCESS);
    EXPECT_EQ(Text(ym), "+03-03");
    ASSERT_EQ(OCIIntervalMultiply(env, err, DaySecond(3, 0), &half, sum), OCI_SUCCESS);
    EXPECT_EQ(Text(sum), "+01 12:00:00.000");
    ASSERT_EQ(OCIIntervalDivide(env, err, DaySecond(1, 0, 0, 1), &three, sum), OCI_SUCCESS);
    sb4 d, h, mi, s, ns;
    ASSERT_EQ(OCIIntervalGetDaySecond(env, err, &d, &h, &mi, &s, &ns, sum), OCI_SUCCESS);
    EXPECT_EQ(h * 3600 + mi * 60 + s, 28800);
    EXPECT_EQ(ns, 333333000);
    ExpectError(OCIIntervalDivide(env, err, DaySecond(1, 0), &zero, sum), 1476);
}

TEST_F(IntervalApi, ZonesChecksAndArguments) {
    OCIInterval *ds = NewInterval(OCI_DTYPE_INTERVAL_DS);
    ASSERT_EQ(OCIIntervalFromTZ(env, err, T("-03:30"), 6, ds), OCI_SUCCESS);
    EXPECT_EQ(Text(ds), "-00 03:30:00.000");
    ExpectError(OCIIntervalFromTZ(env, err, T("+15:00"), 6, ds), 16384);
    ExpectError(OCIIntervalFromTZ(env, err, T("+01:00"), 6, YearMonth(0, 1)), 932);

    ub4 flags = 99;
    ASSERT_EQ(OCIIntervalCheck(env, err, DaySecond(-1, -2), &flags), OCI_SUCCESS);
    EXPECT_EQ(flags, 0u);
    ASSERT_EQ(OCIIntervalCheck(env, err, DaySecond(0, 30), &flags), OCI_SUCCESS);
    EXPECT_EQ(flags, static_cast<ub4>(OCI_INTER_INVALID_HOUR));
    ASSERT_EQ(OCIIntervalCheck(env, err, DaySecond(0, -30), &flags), OCI_SUCCESS);
    EXPECT_EQ(flags, static_cast<ub4>(OCI_INTER_INVALID_HOUR | OCI_INTER_HOUR_BELOW_VALID));

    OCIInterval *ym = YearMonth(1, 0);
    ExpectError(OCIIntervalAssign(env, err, ds, ym), 932);
    ASSERT_EQ(OCIIntervalAssign(env, err, YearMonth(4, 5), ym), OCI_SUCCESS);
    EXPECT_EQ(Text(ym), "+04-05");
    ExpectMissing(OCIIntervalAssign(nullptr, err, ds, ym), 1);
    ExpectMissing(OCIIntervalCompare(env, err, ds, nullptr, nullptr), 4);
    size_t len;
    ExpectMissing(OCIIntervalToText(env, err, ds, 2, 3, nullptr, 10, &len), 6);
    EXPECT_EQ(OCIIntervalAdd(env, nullptr, ds, ds, ds), OCI_INVALID_HANDLE);
    // A datetime descriptor is no interval.
    OCIDateTime *dt = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ExpectError(OCIIntervalCheck(env, err, reinterpret_cast<OCIInterval *>(dt), &flags), 932);
}

}  // namespace

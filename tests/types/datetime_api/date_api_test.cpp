// OCIDate calls: month and day arithmetic, weekdays, comparison, validation,
// the current date and the argument checks.
#include <ctime>

#include "dtapi_test_support.h"

using namespace dtapi_test;

namespace {

class DateApi : public ApiTest {};

TEST_F(DateApi, AddMonthsKeepsTheDayOrTheMonthEnd) {
    for (const auto &row : oci_test::ReadDataTable("types/datetime_api/data/add_months.txt")) {
        ASSERT_EQ(row.cells.size(), 4u) << "line " << row.line;
        const OCIDate from = ParseDate(row.cells[0]);
        OCIDate result{};
        ASSERT_EQ(OCIDateAddMonths(err, &from, std::stoi(row.cells[1]), &result), OCI_SUCCESS) << "line " << row.line;
        EXPECT_EQ(Show(result), Show(ParseDate(row.cells[2]))) << "line " << row.line;
        uword flags = 99;
        ASSERT_EQ(OCIDateCheck(err, &result, &flags), OCI_SUCCESS);
        EXPECT_EQ(flags, static_cast<uword>(std::stoul(row.cells[3]))) << "line " << row.line;
    }
    // A result beyond the years a date holds is refused, not wrapped.
    const OCIDate late = MakeDate(9999, 6, 1);
    OCIDate result{};
    ExpectError(OCIDateAddMonths(err, &late, 12, &result), 1841);
    ExpectError(OCIDateAddMonths(err, &late, INT32_MAX, &result), 1841);
}

TEST_F(DateApi, AddDaysLastDayAndDaysBetween) {
    const OCIDate leap = MakeDate(2024, 2, 28, 10, 30, 0);
    OCIDate result{};
    ASSERT_EQ(OCIDateAddDays(err, &leap, 2, &result), OCI_SUCCESS);
    EXPECT_EQ(Show(result), "2024-03-01 00:00:00");
    ASSERT_EQ(OCIDateAddDays(err, &result, -366, &result), OCI_SUCCESS);
    EXPECT_EQ(Show(result), "2023-03-01 00:00:00");
    const OCIDate bc = MakeDate(-1, 12, 31);
    ASSERT_EQ(OCIDateAddDays(err, &bc, 1, &result), OCI_SUCCESS);
    EXPECT_EQ(Show(result), "0001-01-01 00:00:00");
    ExpectError(OCIDateAddDays(err, &leap, INT32_MAX, &result), 1841);

    ASSERT_EQ(OCIDateLastDay(err, &leap, &result), OCI_SUCCESS);
    EXPECT_EQ(Show(result), "2024-02-29 10:30:00");
    const OCIDate century = MakeDate(1900, 2, 3);
    ASSERT_EQ(OCIDateLastDay(err, &century, &result), OCI_SUCCESS);
    EXPECT_EQ(result.OCIDateDD, 28);

    const OCIDate march = MakeDate(2024, 3, 1, 23, 0, 0), february = MakeDate(2024, 2, 1, 1, 0, 0);
    sb4 days = 0;
    ASSERT_EQ(OCIDateDaysBetween(err, &march, &february, &days), OCI_SUCCESS);
    EXPECT_EQ(days, 29);
    ASSERT_EQ(OCIDateDaysBetween(err, &february, &march, &days), OCI_SUCCESS);
    EXPECT_EQ(days, -29);

    // A month the calendar does not know is refused by the arithmetic.
    const OCIDate badMonth = MakeDate(2024, 13, 1);
    ExpectError(OCIDateAddDays(err, &badMonth, 1, &result), 1843);
    ExpectError(OCIDateDaysBetween(err, &badMonth, &march, &days), 1843);
}

TEST_F(DateApi, NextDayIsStrictlyLater) {
    const OCIDate monday = MakeDate(2024, 3, 4, 9, 15, 0);  // a Monday
    OCIDate result{};
    ASSERT_EQ(OCIDateNextDay(err, &monday, T("monday"), 6, &result), OCI_SUCCESS);
    EXPECT_EQ(Show(result), "2024-03-11 09:15:00");
    ASSERT_EQ(OCIDateNextDay(err, &monday, T("TUESDAY"), 7, &result), OCI_SUCCESS);
    EXPECT_EQ(Show(result), "2024-03-05 09:15:00");
    ASSERT_EQ(OCIDateNextDay(err, &monday, T("Sun"), 3, &result), OCI_SUCCESS);
    EXPECT_EQ(Show(result), "2024-03-10 09:15:00");
    ExpectError(OCIDateNextDay(err, &monday, T("XYZ"), 3, &result), 1846);
    // Only the given length is read: "mo" is too short to name a day.
    ExpectError(OCIDateNextDay(err, &monday, T("monday"), 2, &result), 1846);
}

TEST_F(DateApi, CompareAssignAndCheck) {
    const OCIDate a = MakeDate(2024, 3, 5, 13, 45, 30), b = MakeDate(2024, 3, 5, 13, 45, 31);
    sword cmp = 9;
    ASSERT_EQ(OCIDateCompare(err, &a, &b, &cmp), OCI_SUCCESS);
    EXPECT_EQ(cmp, -1);
    ASSERT_EQ(OCIDateCompare(err, &b, &a, &cmp), OCI_SUCCESS);
    EXPECT_EQ(cmp, 1);
    OCIDate copy{};
    ASSERT_EQ(OCIDateAssign(err, &a, &copy), OCI_SUCCESS);
    ASSERT_EQ(OCIDateCompare(err, &a, &copy, &cmp), OCI_SUCCESS);
    EXPECT_EQ(cmp, 0);

    uword flags = 0;
    const OCIDate reform = MakeDate(1582, 10, 10), zero = MakeDate(0, 1, 1), feb1900 = MakeDate(1900, 2, 29);
    ASSERT_EQ(OCIDateCheck(err, &reform, &flags), OCI_SUCCESS);
    EXPECT_EQ(flags, static_cast<uword>(OCI_DATE_DAY_MISSING_FROM_1582));
    ASSERT_EQ(OCIDateCheck(err, &zero, &flags), OCI_SUCCESS);
    EXPECT_EQ(flags, static_cast<uword>(OCI_DATE_YEAR_ZERO));
    ASSERT_EQ(OCIDateCheck(err, &feb1900, &flags), OCI_SUCCESS);
    EXPECT_EQ(flags, static_cast<uword>(OCI_DATE_INVALID_DAY));
}

TEST_F(DateApi, SysDateIsTheLocalTime) {
    ScopedTZ zone(kIndia);
    auto local = [](time_t t) {
        struct tm lt;
        localtime_r(&t, &lt);
        return MakeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday, lt.tm_hour, lt.tm_min, lt.tm_sec);
    };
    OCIDate now{};
    const time_t before = time(nullptr);
    ASSERT_EQ(OCIDateSysDate(err, &now), OCI_SUCCESS);
    const time_t after = time(nullptr);
    EXPECT_TRUE(Show(now) == Show(local(before)) || Show(now) == Show(local(after))) << Show(now);
}

TEST_F(DateApi, ArgumentsAndHandles) {
    const OCIDate d = MakeDate(2024, 1, 1);
    OCIDate out{};
    sb4 days;
    EXPECT_EQ(OCIDateAssign(nullptr, &d, &out), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIDateAssign(reinterpret_cast<OCIError *>(env), &d, &out), OCI_INVALID_HANDLE);
    ExpectMissing(OCIDateAssign(err, nullptr, &out), 2);
    ExpectMissing(OCIDateAddDays(err, &d, 1, nullptr), 4);
    ExpectMissing(OCIDateDaysBetween(err, &d, &d, nullptr), 4);
    ExpectMissing(OCIDateNextDay(err, &d, nullptr, 3, &out), 3);
    ExpectMissing(OCIDateCheck(err, &d, nullptr), 3);
    ExpectMissing(OCIDateSysDate(err, nullptr), 2);
    // A success leaves no record behind.
    ASSERT_EQ(OCIDateDaysBetween(err, &d, &d, &days), OCI_SUCCESS);
    EXPECT_EQ(Code(), -1);
}

}  // namespace

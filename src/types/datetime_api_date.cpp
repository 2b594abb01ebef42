// OCIDate entry points: calendar arithmetic, comparison, validation and the
// current date, computed in the library. (The text conversions are in
// datetime_api_text.cpp.)
#include <cstdint>

#include "types/datetime_api.h"

using namespace dtapi;

namespace {

// The Julian day of a date; false after adding 1843 for a month outside 1..12.
bool JulianDayOf(OCIError *err, const OCIDate *date, int64_t *jd) {
    if (date->OCIDateMM < 1 || date->OCIDateMM > 12) {
        Fail(err, kErrInvalidMonth);
        return false;
    }
    *jd = date2j(OracleYearToAstronomical(date->OCIDateYYYY), date->OCIDateMM, date->OCIDateDD);
    return true;
}

// Julian days of the years an OCIDate holds (-4712-01-01 .. 9999-12-31).
int64_t FirstJulianDay() { return date2j(OracleYearToAstronomical(-4712), 1, 1); }
int64_t LastJulianDay() { return date2j(9999, 12, 31); }

const char *const kDayNames[7] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Weekday 0 (Sunday) .. 6 of a day name, -1 when it names none.
int WeekdayOfName(const oratext *name, ub4 length) {
    if (length < 3) return -1;
    const char first[3] = {Upper(static_cast<char>(name[0])), Upper(static_cast<char>(name[1])),
                           Upper(static_cast<char>(name[2]))};
    for (int day = 0; day < 7; ++day)
        if (first[0] == kDayNames[day][0] && first[1] == kDayNames[day][1] && first[2] == kDayNames[day][2])
            return day;
    return -1;
}

}  // namespace

OCI_EXPORT sword OCIDateAssign(OCIError *err, const OCIDate *from, OCIDate *to) {
    return ErrorEntry("OCIDateAssign", err, [&]() -> sword {
        if (from == nullptr) return MissingArgument(err, 2);
        if (to == nullptr) return MissingArgument(err, 3);
        *to = *from;
        return OCI_SUCCESS;
    }, OCI_ARGS(err, from, to));
}

OCI_EXPORT sword OCIDateAddDays(OCIError *err, const OCIDate *date, sb4 num_days, OCIDate *result) {
    return ErrorEntry("OCIDateAddDays", err, [&]() -> sword {
        if (date == nullptr) return MissingArgument(err, 2);
        if (result == nullptr) return MissingArgument(err, 4);
        int64_t jd;
        if (!JulianDayOf(err, date, &jd)) return OCI_ERROR;
        jd += num_days;
        if (jd < FirstJulianDay() || jd > LastJulianDay()) return Fail(err, kErrIllegalYear);
        pg_tm tm{};
        j2date(static_cast<int>(jd), &tm.tm_year, &tm.tm_mon, &tm.tm_mday);
        // The result is the start of that day.
        EncodeOracleOCIDate(result, &tm, false);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, date, num_days, result));
}

OCI_EXPORT sword OCIDateAddMonths(OCIError *err, const OCIDate *date, sb4 num_months, OCIDate *result) {
    return ErrorEntry("OCIDateAddMonths", err, [&]() -> sword {
        if (date == nullptr) return MissingArgument(err, 2);
        if (result == nullptr) return MissingArgument(err, 4);
        const int month = date->OCIDateMM;
        if (month < 1 || month > 12) return Fail(err, kErrInvalidMonth);
        const int64_t year = OracleYearToAstronomical(date->OCIDateYYYY);
        const bool lastDay = date->OCIDateDD == DaysInMonth(static_cast<int>(year), month);
        const int64_t total = static_cast<int64_t>(month) + num_months;
        int64_t newYear = year + total / 12;
        int64_t newMonth = total % 12;
        if (newMonth < 1) {
            newMonth += 12;
            newYear -= 1;
        }
        if (newYear < OracleYearToAstronomical(-4712) || newYear > 9999) return Fail(err, kErrIllegalYear);
        // The last day of a month stays the last day; any other day is kept,
        // even where the new month is shorter (OCIDateCheck reports that).
        const int day = lastDay ? DaysInMonth(static_cast<int>(newYear), static_cast<int>(newMonth)) : date->OCIDateDD;
        OCIDate out = *date;
        out.OCIDateYYYY = static_cast<sb2>(AstronomicalYearToOracle(static_cast<int>(newYear)));
        out.OCIDateMM = static_cast<ub1>(newMonth);
        out.OCIDateDD = static_cast<ub1>(day);
        *result = out;
        return OCI_SUCCESS;
    }, OCI_ARGS(err, date, num_months, result));
}

OCI_EXPORT sword OCIDateDaysBetween(OCIError *err, const OCIDate *date1, const OCIDate *date2, sb4 *num_days) {
    return ErrorEntry("OCIDateDaysBetween", err, [&]() -> sword {
        if (date1 == nullptr) return MissingArgument(err, 2);
        if (date2 == nullptr) return MissingArgument(err, 3);
        if (num_days == nullptr) return MissingArgument(err, 4);
        int64_t jd1, jd2;
        if (!JulianDayOf(err, date1, &jd1) || !JulianDayOf(err, date2, &jd2)) return OCI_ERROR;
        const int64_t days = jd1 - jd2;
        if (days < INT32_MIN || days > INT32_MAX) return Fail(err, kErrOverflow);
        *num_days = static_cast<sb4>(days);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, date1, date2, num_days));
}

OCI_EXPORT sword OCIDateCompare(OCIError *err, const OCIDate *date1, const OCIDate *date2, sword *result) {
    return ErrorEntry("OCIDateCompare", err, [&]() -> sword {
        if (date1 == nullptr) return MissingArgument(err, 2);
        if (date2 == nullptr) return MissingArgument(err, 3);
        if (result == nullptr) return MissingArgument(err, 4);
        if (DateTimeCompare(date1, date2, kKindOCIDate, result) != 0) return Fail(err, kErrInvalidDate);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, date1, date2, result));
}

OCI_EXPORT sword OCIDateCheck(OCIError *err, const OCIDate *date, uword *valid) {
    return ErrorEntry("OCIDateCheck", err, [&]() -> sword {
        if (date == nullptr) return MissingArgument(err, 2);
        if (valid == nullptr) return MissingArgument(err, 3);
        *valid = VerifyDate(date);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, date, valid));
}

OCI_EXPORT sword OCIDateLastDay(OCIError *err, const OCIDate *date, OCIDate *last_day) {
    return ErrorEntry("OCIDateLastDay", err, [&]() -> sword {
        if (date == nullptr) return MissingArgument(err, 2);
        if (last_day == nullptr) return MissingArgument(err, 3);
        if (date->OCIDateMM < 1 || date->OCIDateMM > 12) return Fail(err, kErrInvalidMonth);
        OCIDate out = *date;
        out.OCIDateDD = static_cast<ub1>(DaysInMonth(OracleYearToAstronomical(date->OCIDateYYYY), date->OCIDateMM));
        *last_day = out;
        return OCI_SUCCESS;
    }, OCI_ARGS(err, date, last_day));
}

OCI_EXPORT sword OCIDateNextDay(OCIError *err, const OCIDate *date, const oratext *day_p, ub4 day_length,
                                OCIDate *next_day) {
    return ErrorEntry("OCIDateNextDay", err, [&]() -> sword {
        if (date == nullptr) return MissingArgument(err, 2);
        if (day_p == nullptr) return MissingArgument(err, 3);
        if (next_day == nullptr) return MissingArgument(err, 5);
        const int wanted = WeekdayOfName(day_p, day_length);
        if (wanted < 0) return Fail(err, kErrBadWeekday);
        int64_t jd;
        if (!JulianDayOf(err, date, &jd)) return OCI_ERROR;
        int ahead = (wanted - j2day(static_cast<int>(jd)) + 7) % 7;
        if (ahead == 0) ahead = 7;
        jd += ahead;
        if (jd > LastJulianDay()) return Fail(err, kErrIllegalYear);
        OCIDate out = *date;  // keeps the time of day
        int year, month, day;
        j2date(static_cast<int>(jd), &year, &month, &day);
        out.OCIDateYYYY = static_cast<sb2>(AstronomicalYearToOracle(year));
        out.OCIDateMM = static_cast<ub1>(month);
        out.OCIDateDD = static_cast<ub1>(day);
        *next_day = out;
        return OCI_SUCCESS;
    }, OCI_ARGS(err, date, day_p, day_length, next_day));
}

OCI_EXPORT sword OCIDateSysDate(OCIError *err, OCIDate *sys_date) {
    return ErrorEntry("OCIDateSysDate", err, [&]() -> sword {
        if (sys_date == nullptr) return MissingArgument(err, 2);
        pg_tm tm;
        LocalNow(&tm, nullptr, nullptr);
        EncodeOracleOCIDate(sys_date, &tm, true);
        return OCI_SUCCESS;
    }, OCI_ARGS(err, sys_date));
}

// Datetime format models: the tables, writing, compile-time refusals and
// reading, each through the engine entry points with a real error handle.
#include <cstring>
#include <string>
#include <vector>

#include "model_test_support.h"
#include "types/datetime_model_internal.h"

using modeltest::CurrentYear;
using modeltest::ModelSession;
using modeltest::Tm;
using modeltest::Value;

namespace {

// Tuesday 2024-03-05 13:45:30.250000, zone +05:30.
ModelValue Sample() { return Value(Tm(2024, 3, 5, 13, 45, 30), 250000, 19800); }

TEST(ModelTables, IndexPointsAtTheFirstRowOfEachCharacterAndLongerKeywordsComeFirst) {
    for (int c = ' '; c < '~'; ++c) {
        int first = -1;
        for (int i = 0; i < DCH_KEYWORD_COUNT; ++i)
            if (static_cast<unsigned char>(DCH_keywords[i].name[0]) == c) {
                first = i;
                break;
            }
        EXPECT_EQ(DCH_index[c - ' '], first) << static_cast<char>(c);
    }
    for (int i = 0; i < DCH_KEYWORD_COUNT; ++i) {
        EXPECT_EQ(DCH_keywords[i].len, static_cast<int>(std::strlen(DCH_keywords[i].name)));
        for (int j = i + 1; j < DCH_KEYWORD_COUNT; ++j)
            EXPECT_NE(std::strncmp(DCH_keywords[j].name, DCH_keywords[i].name, DCH_keywords[i].len), 0)
                << DCH_keywords[j].name << " is hidden behind " << DCH_keywords[i].name;
    }
}

TEST(ModelWrite, ExpansionsAndCommonFields) {
    ModelSession s;
    const ModelValue v = Sample();
    EXPECT_EQ(s.Write(v, "DS"), "03/05/2024");
    EXPECT_EQ(s.Write(v, "DL"), "Tuesday, March 05, 2024");
    EXPECT_EQ(s.Write(v, "TS"), "01:45:30 PM");
    EXPECT_EQ(s.Write(v, "YYYY-MM-DD HH24:MI:SS.FF3"), "2024-03-05 13:45:30.250");
    EXPECT_EQ(s.Write(v, "DD-MON-YY HH.MI.SS.FF AM TZR"), "05-MAR-24 01.45.30.250000 PM +05:30");
    EXPECT_EQ(s.Write(v, "\"Day\" D, DDD, J, Q, WW, W, IW, IYYY, CC, Y,YYY"),
              "Day 3, 065, 2460375, 1, 10, 1, 10, 2024, 21, 2,024");
    EXPECT_EQ(s.Write(v, "SSSSS FF9 MS US X TZH:TZM"), "49530 250000000 250 250000 . +05:30");
    EXPECT_EQ(s.Write(v, "FF1|FF"), "#1810");  // one keyword, whatever its precision
    EXPECT_EQ(s.Write(v, "FF1"), "2");
    EXPECT_EQ(s.Write(v, "j"), s.Write(v, "J"));
}

TEST(ModelWrite, CaseOfNamesPaddingAndFillMode) {
    ModelSession s;
    const ModelValue v = Sample();
    EXPECT_EQ(s.Write(v, "DAY|Day|day|DY|Dy|dy"), "TUESDAY  |Tuesday  |tuesday  |TUE|Tue|tue");
    EXPECT_EQ(s.Write(v, "MONTH|Month|month|MON|mon|RM|rm"), "MARCH    |March    |march    |MAR|mar|III |iii ");
    // Fill mode toggles for the rest of the format.
    EXPECT_EQ(s.Write(v, "FMMonth DD, YYYY HH:MI"), "March 5, 2024 1:45");
    EXPECT_EQ(s.Write(v, "FMMonth FMDD"), "March 05");
    const char *indicators[][2] = {{"AM", "PM"}, {"am", "pm"}, {"A.M.", "P.M."}, {"p.m.", "p.m."},
                                   {"BC", "AD"}, {"bc", "ad"}, {"B.C.", "A.D."}, {"a.d.", "a.d."}};
    for (const auto &ind : indicators) EXPECT_EQ(s.Write(v, ind[0]), ind[1]);
    ModelValue bc = Value(Tm(-43, 3, 15));  // 44 BC
    EXPECT_EQ(s.Write(bc, "YYYY AD SYYYY SCC CC", kModelOCIDate), "0044 BC -0044 -01 01");
}

TEST(ModelWrite, OrdinalsAndSpelledNumbers) {
    ModelSession s;
    EXPECT_EQ(s.Write(Value(Tm(2024, 3, 1)), "DDTH MMth"), "01ST 03rd");
    EXPECT_EQ(s.Write(Value(Tm(2024, 3, 12)), "FMDDTH"), "12TH");
    EXPECT_EQ(s.Write(Value(Tm(2024, 3, 23)), "DDSP mmSPTH"), "TWENTY-THREE third");
    EXPECT_EQ(s.Write(Value(Tm(2024, 3, 23)), "DDSPTH"), "TWENTY-THIRD");
    EXPECT_EQ(s.Write(Value(Tm(2024, 3, 20)), "DDSPTH"), "TWENTIETH");
    EXPECT_EQ(s.Write(Value(Tm(2024, 3, 5)), "YEAR"), "TWENTY TWENTY-FOUR");
    EXPECT_EQ(s.Write(Value(Tm(2005, 3, 5)), "YEAR"), "TWO THOUSAND FIVE");
    EXPECT_EQ(s.Write(Value(Tm(1900, 3, 5)), "YEAR"), "NINETEEN HUNDRED");
    EXPECT_EQ(s.Write(Value(Tm(0, 3, 5)), "SYEAR"), "-ONE");
    EXPECT_EQ(s.Write(Value(Tm(2000, 1, 1)), "JSP"), "TWO MILLION FOUR HUNDRED FIFTY-ONE THOUSAND FIVE HUNDRED FORTY-FIVE");
    // Long spelled output is written whole.
    const std::string text = s.Write(Value(Tm(1777, 12, 27, 23, 59, 58)), "JSPTH YYYYSP SYEAR YEAR DDDSP SSSSSSP");
    EXPECT_EQ(text,
              "TWO MILLION THREE HUNDRED SEVENTY THOUSAND FOUR HUNDRED FIFTY-SEVENTH "
              "ONE THOUSAND SEVEN HUNDRED SEVENTY-SEVEN  SEVENTEEN SEVENTY-SEVEN SEVENTEEN SEVENTY-SEVEN "
              "THREE HUNDRED SIXTY-ONE EIGHTY-SIX THOUSAND THREE HUNDRED NINETY-EIGHT");
}

TEST(ModelWrite, IsoWeeksAroundTheNewYear) {
    ModelSession s;
    EXPECT_EQ(s.Write(Value(Tm(2021, 1, 1)), "IYYY-IW"), "2020-53");
    EXPECT_EQ(s.Write(Value(Tm(2024, 12, 30)), "IYYY-IW"), "2025-01");
    EXPECT_EQ(s.Write(Value(Tm(2024, 12, 31)), "DDD"), "366");
}

TEST(ModelCompile, DuplicatesConflictsAndKinds) {
    ModelSession s;
    const ModelValue v = Sample();
    EXPECT_EQ(s.Write(v, "DD-MM-DD"), "#1810");
    EXPECT_EQ(s.Write(v, "DS MM"), "#1810");
    EXPECT_EQ(s.Write(v, "fxFX"), "#1810");
    EXPECT_EQ(s.Write(v, "HH AM A.M."), "#1814");
    EXPECT_EQ(s.Write(v, "YYYY BC A.D."), "#1815");
    EXPECT_EQ(s.Write(v, "YYYY AD BC"), "2024 AD AD");
    EXPECT_EQ(s.ReadError("2024 AD BC", "YYYY AD BC"), "#1810");
    EXPECT_EQ(s.ReadError("10 AM PM", "HH AM PM"), "#1810");
    EXPECT_EQ(s.Write(v, "DD-MON-YY HH24", kModelDateDescriptor), "#1821");
    EXPECT_EQ(s.Write(v, "TS", kModelDateDescriptor), "#1821");
    EXPECT_EQ(s.Write(v, "YYYY TZH", kModelTimestamp), "#1821");
    EXPECT_EQ(s.Write(v, "YYYY TZR", kModelTimestamp), "2024 +05:30");
    EXPECT_EQ(s.Write(v, "YYYY RM", kModelTimestamp), "#1878");
    EXPECT_EQ(s.Write(v, "SS.FF", kModelOCIDate), "#1822");
    EXPECT_EQ(s.Write(v, "E", kModelTimestamp), "#1822");
    EXPECT_EQ(s.Write(v, "EE"), "#30475");
    EXPECT_EQ(s.Write(v, "RR"), "#30475");
    EXPECT_NE(s.Message().find("unsupported feature: RR"), std::string::npos) << s.Message();
    EXPECT_EQ(s.ReadError("24", "RR"), "#30475");
    EXPECT_EQ(s.ReadError("24", "RRRR", kModelTimestamp), "#1878");
    for (const char *f : {"CC", "SCC", "IW", "IYYY", "IY", "I", "Q", "WW", "W", "ww", "DDSP"})
        EXPECT_EQ(s.ReadError("1", f), "#1820") << f;
    EXPECT_EQ(s.ReadError("1 1", "HH24 HH"), "#1810");
    EXPECT_EQ(s.ReadError("2024 24", "YYYY YY"), "#1810");
    EXPECT_EQ(s.ReadError("13 PM", "HH24 PM"), "#1814");
    EXPECT_EQ(s.ReadError("01 +05", "DD TZR", kModelDateDescriptor), "#1821");
}

TEST(ModelCompile, QuotedTextSuffixesAndZoneDetection) {
    std::vector<FormatNode> nodes;
    DchError err;
    ASSERT_EQ(parse_format("FMDDTH\"DD\"FF3TZH", kModelTimestampZone, false, &nodes, &err), 0);
    ASSERT_EQ(nodes.size(), 6u);  // DD, 'D', 'D', FF3, TZH, end
    EXPECT_EQ(nodes[0].key->id, DCH_DD);
    EXPECT_EQ(nodes[0].suffix, DCH_S_FM | DCH_S_TH);
    EXPECT_EQ(nodes[1].type, NODE_TYPE_CHAR);
    EXPECT_EQ(nodes[3].precision, 3);
    EXPECT_TRUE(hasTimeZoneInFormat(nodes));
    ASSERT_EQ(parse_format("DL", kModelTimestamp, false, &nodes, &err), 0);
    EXPECT_FALSE(hasTimeZoneInFormat(nodes));
    EXPECT_EQ(nodes.size(), 10u);  // Day , ' ' Month ' ' DD , ' ' YYYY end
}

TEST(ModelRead, HoursAndMeridians) {
    ModelSession s;
    ModelValue v;
    ASSERT_TRUE(s.Read("12 AM", "HH12 AM", &v));
    EXPECT_EQ(v.tm.tm_hour, 0);
    ASSERT_TRUE(s.Read("12:05 p.m.", "HH:MI P.M.", &v));
    EXPECT_EQ(v.tm.tm_hour, 12);
    ASSERT_TRUE(s.Read("01:45:30 PM", "TS", &v));
    EXPECT_EQ(v.tm.tm_hour * 10000 + v.tm.tm_min * 100 + v.tm.tm_sec, 134530);
    EXPECT_EQ(s.ReadError("13", "HH12"), "#1849");
    EXPECT_EQ(s.ReadError("24", "HH24"), "#1850");
    EXPECT_EQ(s.ReadError("10 XM", "HH AM"), "#1855");
    EXPECT_EQ(s.ReadError("60", "MI"), "#1851");
    EXPECT_EQ(s.ReadError("60", "SS"), "#1852");
    EXPECT_EQ(s.ReadError("86400", "SSSSS"), "#1853");
    ASSERT_TRUE(s.Read("49530", "SSSSS", &v));
    EXPECT_EQ(v.tm.tm_hour * 10000 + v.tm.tm_min * 100 + v.tm.tm_sec, 134530);
}

TEST(ModelRead, DatesAndTheirRangeErrors) {
    ModelSession s;
    ModelValue v;
    ASSERT_TRUE(s.Read("2460375", "j", &v));
    EXPECT_EQ(v.tm.tm_year * 10000 + v.tm.tm_mon * 100 + v.tm.tm_mday, 20240305);
    EXPECT_EQ(v.tm.tm_wday, 2);
    ASSERT_TRUE(s.Read("065", "DDD", &v));  // no year: the current year
    EXPECT_EQ(v.tm.tm_year, CurrentYear());
    EXPECT_EQ(v.tm.tm_yday, 65);
    ASSERT_TRUE(s.Read("366 2024", "DDD YYYY", &v));
    EXPECT_EQ(v.tm.tm_mon * 100 + v.tm.tm_mday, 1231);
    EXPECT_EQ(s.ReadError("100", "DDD YYYY"), "#0:cannot calculate day of year without year information");
    EXPECT_EQ(s.ReadError("0044 BC", "YYYY BC"), "");
    ASSERT_TRUE(s.Read("0044 b.c.", "YYYY AD", &v));
    EXPECT_EQ(v.tm.tm_year, -43);
    ASSERT_TRUE(s.Read("-4713-01-01", "SYYYY-MM-DD", &v));
    EXPECT_EQ(v.tm.tm_year, -4712);
    EXPECT_EQ(s.ReadError("0000", "YYYY"), "#1841");
    EXPECT_EQ(s.ReadError("-4714", "SYYYY"), "#1841");
    EXPECT_EQ(s.ReadError("13", "MM"), "#1843");
    EXPECT_EQ(s.ReadError("Mrz", "MON"), "#1843");
    EXPECT_EQ(s.ReadError("Marz", "MON"), "#1830");  // MAR, then text the format does not cover
    EXPECT_EQ(s.ReadError("32", "DD"), "#1847");
    EXPECT_EQ(s.ReadError("Funday", "DAY"), "#1846");
    EXPECT_EQ(s.ReadError("2024 XD", "YYYY AD"), "#1856");
    EXPECT_EQ(s.ReadError("O2024", "YYYY"), "#1858");
    EXPECT_EQ(s.ReadError("2024/03", "YYYY-MM"), "#1861");
    EXPECT_NE(s.Message().find("illegal literal for format string"), std::string::npos) << s.Message();
    EXPECT_EQ(s.ReadError("2024-03-05 x", "YYYY-MM-DD"), "#1830");
    // A day beyond its month is left to the caller to report.
    ASSERT_TRUE(s.Read("31-02-2023", "DD-MM-YYYY", &v));
    EXPECT_EQ(v.tm.tm_mday, 31);
}

TEST(ModelRead, LenientAndExactMatching) {
    ModelSession s;
    ModelValue v;
    ASSERT_TRUE(s.Read("  5-march -2024 ", "DD-MON-YYYY", &v));
    EXPECT_EQ(v.tm.tm_year * 10000 + v.tm.tm_mon * 100 + v.tm.tm_mday, 20240305);
    ASSERT_TRUE(s.Read("05-MAR-2024", "DD-MON-YY", &v));  // a whole year where YY stands
    EXPECT_EQ(v.tm.tm_year, 2024);
    ASSERT_TRUE(s.Read("240305", "YYMMDD", &v));
    EXPECT_EQ(v.tm.tm_year % 100 * 10000 + v.tm.tm_mon * 100 + v.tm.tm_mday, 240305);
    EXPECT_EQ(v.tm.tm_year / 100, CurrentYear() / 100);
    ASSERT_TRUE(s.Read("2024", "YYYY-MM-DD", &v));  // the text may stop early
    EXPECT_EQ(v.tm.tm_mday, 1);
    EXPECT_EQ(s.ReadError("2024", "FXYYYY-MM-DD"), "#1840");
    EXPECT_EQ(s.ReadError("5-03-2024", "FXDD-MM-YYYY"), "#1858");
    EXPECT_EQ(s.ReadError("5-03-2024", "FXFMDD-MM-YYYY"), "");
    EXPECT_EQ(s.ReadError(" 05-03-2024", "FXDD-MM-YYYY"), "#1858");
    ASSERT_TRUE(s.Read("TWENTY TWENTY-FOUR 5TH", "YEAR DDTH", &v));
    EXPECT_EQ(v.tm.tm_year * 100 + v.tm.tm_mday, 202405);
    ASSERT_TRUE(s.Read("2,024 xii", "Y,YYY RM", &v));
    EXPECT_EQ(v.tm.tm_year * 100 + v.tm.tm_mon, 202412);
}

TEST(ModelRead, FractionsAndZones) {
    ModelSession s;
    ModelValue v;
    ASSERT_TRUE(s.Read("30.25", "SSXFF", &v));
    EXPECT_EQ(v.fsec, 250000);
    ASSERT_TRUE(s.Read("30.123456789", "SS.FF9", &v));
    EXPECT_EQ(v.fsec, 123456);
    EXPECT_FALSE(v.hasZone);
    ASSERT_TRUE(s.Read("10:00 -03:30", "HH24:MI TZH:TZM", &v));
    EXPECT_TRUE(v.hasZone);
    EXPECT_EQ(v.tm.tm_gmtoff, -12600);
    ASSERT_TRUE(s.Read("10:00 +05:30", "HH24:MI TZR", &v));
    EXPECT_EQ(v.tm.tm_gmtoff, 19800);
    ASSERT_TRUE(s.Read("10:00 UTC", "HH24:MI TZD", &v));
    EXPECT_TRUE(v.hasZone);
    EXPECT_EQ(v.tm.tm_gmtoff, 0);
    EXPECT_EQ(s.ReadError("+15", "TZH"), "#1874");
    EXPECT_EQ(s.ReadError("+05:60", "TZH:TZM"), "#1875");
    EXPECT_EQ(s.ReadError("30,25", "SSXFF"), "#1861");
}

TEST(ModelWrite, RefusesValuesOutsideTheTables) {
    ModelSession s;
    EXPECT_EQ(s.Write(Value(Tm(2024, 13, 1)), "MON"), "#1843");
    EXPECT_EQ(s.Write(Value(Tm(2024, 1, 0)), "DD"), "#1847");
    EXPECT_EQ(s.Write(Value(Tm(10000, 1, 1)), "YYYY"), "#1841");
    EXPECT_EQ(s.Write(Value(Tm(2024, 1, 1, 24)), "HH24"), "#1850");
}

}  // namespace

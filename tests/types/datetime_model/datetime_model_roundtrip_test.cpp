// Round trips: value -> text -> value for random dates of years 1 to 9999
// (and some BC years) under formats that carry the whole value, and
// text -> value -> text for texts written as the formats write them.
#include <random>
#include <string>

#include "model_test_support.h"

using modeltest::ModelSession;
using modeltest::Tm;
using modeltest::Value;

namespace {

struct Format {
    const char *format;
    int fractionDigits;  // digits of the fraction the format keeps (0: none)
    bool bc;             // the format can carry years before 1 AD
};

constexpr Format kFormats[] = {
    {"YYYY-MM-DD HH24:MI:SS.FF6", 6, false},
    {"DD-MON-YYYY HH:MI:SS.FF AM", 6, false},
    {"FXYYYYMMDDHH24MISSFF6", 6, false},
    {"J SSSSS", 0, true},
    {"DL TS", 0, false},
    {"SYYYY/DDD HH24:MI:SS X FF3", 3, true},
    {"YYYY BC, Month DD HH.MI.SS a.m.", 0, true},
    {"YEAR Mon DD HH24\"h\"MI\"m\"SS\"s\"", 0, false},
    {"FMY,YYY-RM-DDth HH24:MI:SS", 0, false},
    {"FXFMMonth DD, YYYY HH24:MI:SS.FF2", 2, false},
    {"Dy DD.MM.YYYY HH24:MI:SS.FF9 TZH:TZM", 6, false},
};

TEST(ModelRoundTrip, ValueTextValueForRandomDates) {
    ModelSession s;
    std::mt19937 rng(20240305);
    for (int round = 0; round < 3000; ++round) {
        const bool bc = round % 10 == 0;
        const int year = bc ? -static_cast<int>(rng() % 4712) : 1 + static_cast<int>(rng() % 9999);
        const int month = 1 + static_cast<int>(rng() % 12);
        const int day = 1 + static_cast<int>(rng() % DaysInMonth(year, month));
        const ModelValue in = Value(Tm(year, month, day, static_cast<int>(rng() % 24), static_cast<int>(rng() % 60),
                                       static_cast<int>(rng() % 60)),
                                    static_cast<fsec_t>(rng() % 1000000));
        for (const Format &f : kFormats) {
            if (bc && !f.bc) continue;
            const std::string text = s.Write(in, f.format);
            ModelValue out;
            ASSERT_TRUE(s.Read(text, f.format, &out)) << f.format << " [" << text << "] " << s.error;
            EXPECT_EQ(out.tm.tm_year, in.tm.tm_year) << f.format << " [" << text << "]";
            EXPECT_EQ(out.tm.tm_mon, in.tm.tm_mon) << f.format << " [" << text << "]";
            EXPECT_EQ(out.tm.tm_mday, in.tm.tm_mday) << f.format << " [" << text << "]";
            EXPECT_EQ(out.tm.tm_hour, in.tm.tm_hour) << f.format << " [" << text << "]";
            EXPECT_EQ(out.tm.tm_min, in.tm.tm_min) << f.format << " [" << text << "]";
            EXPECT_EQ(out.tm.tm_sec, in.tm.tm_sec) << f.format << " [" << text << "]";
            int scale = 1;
            for (int k = f.fractionDigits; k < 6; ++k) scale *= 10;
            EXPECT_EQ(out.fsec, f.fractionDigits == 0 ? 0 : in.fsec / scale * scale) << f.format << " [" << text << "]";
            if (::testing::Test::HasFailure()) return;
        }
    }
}

TEST(ModelRoundTrip, TextValueText) {
    ModelSession s;
    const struct {
        const char *text;
        const char *format;
    } cases[] = {
        {"05-MAR-2024 01:45:30 PM", "DD-MON-YYYY HH:MI:SS AM"},
        {"Tuesday, March 05, 2024", "DL"},
        {"03/05/2024 01:45:30 PM", "DS TS"},
        {"2024-03-05T13:45:30.250+05:30", "YYYY-MM-DD\"T\"HH24:MI:SS.FF3TZH:TZM"},
        {"2024-03-05 13:45:30 -03:30", "YYYY-MM-DD HH24:MI:SS TZR"},
        {"0044-03-15 BC", "YYYY-MM-DD AD"},
        {"-4713/001", "SYYYY/DDD"},
        {"2460375", "j"},
        {"TWENTY TWENTY-FOUR, march 5th", "YEAR, FMmonth DDth"},
        {"TWO THOUSAND FIVE III", "FMYEAR RM"},
        {"NINETEEN HUNDRED xii", "FMYEAR rm"},
        {"1,999.12.31 23.59.59 x 999999", "Y,YYY.MM.DD HH24.MI.SS \"x\" US"},
        {"wed 01 jan 2025 12:00:00.5 p.m.", "dy DD mon YYYY HH12:MI:SS.FF1 p.m."},
    };
    for (const auto &c : cases) {
        ModelValue v;
        ASSERT_TRUE(s.Read(c.text, c.format, &v)) << c.format << " " << s.error;
        EXPECT_EQ(s.Write(v, c.format), c.text) << c.format;
    }
}

}  // namespace

// Both engines over a large generated corpus: random bytes, and soups of
// keywords, suffixes, separators, quotes, names and digits. Texts and formats
// are exactly sized heap copies, so a read past a length is caught by the
// address sanitizer. Every call either succeeds with a value inside the
// ranges, or fails with exactly one error record.
#include <random>
#include <string>

#include "model_test_support.h"
#include "types/datetime_model_internal.h"

using modeltest::ModelSession;
using modeltest::Tm;
using modeltest::Value;

namespace {

const char *const kFormatPieces[] = {
    "FM", "fm", "TM", "TH", "th", "SP", "FX", "FF", "FF3", "FF9", "\"", "\"lit\"", "-", "/", ",", ".", ";", ":", " ",
    "\\\"", "DS", "DL", "TS", "E", "EE", "RR", "RRRR", "X", "9", "0",
};
const char *const kTextPieces[] = {
    "2024", "03", "5", "12", "13", "0", "00", "99", "999999999", "-", "+", ":", ".", "/", ",", " ", "  ", "AM",
    "p.m.", "BC", "a.d.", "March", "SEP", "Tuesday", "wed", "XII", "iv", "TWENTY", "TWENTY-FOUR", "THOUSAND",
    "HUNDRED", "NINETEEN", "UTC", "+05:30", "-12", "th", "ST", "\"", "x", "2460375", "86399",
};

std::string RandomBytes(std::mt19937 &rng, size_t maxLen) {
    std::string s(rng() % (maxLen + 1), '\0');
    for (char &c : s) c = static_cast<char>(rng() % 256);
    return s;
}

std::string FormatSoup(std::mt19937 &rng) {
    std::string s;
    const int pieces = static_cast<int>(rng() % 9);
    for (int k = 0; k < pieces; ++k) {
        if (rng() % 3 == 0)
            s += kFormatPieces[rng() % (sizeof kFormatPieces / sizeof *kFormatPieces)];
        else
            s += DCH_keywords[rng() % DCH_KEYWORD_COUNT].name;
        if (rng() % 4 == 0) s += " ";
    }
    return s;
}

std::string TextSoup(std::mt19937 &rng) {
    std::string s;
    const int pieces = static_cast<int>(rng() % 10);
    for (int k = 0; k < pieces; ++k) s += kTextPieces[rng() % (sizeof kTextPieces / sizeof *kTextPieces)];
    return s;
}

ModelValue RandomValue(std::mt19937 &rng) {
    // Mostly valid values, sometimes fields out of range.
    const bool wild = rng() % 8 == 0;
    const int year = wild ? static_cast<int>(rng() % 40000) - 20000 : static_cast<int>(rng() % 14712) - 4712;
    const int month = wild ? static_cast<int>(rng() % 20) - 3 : 1 + static_cast<int>(rng() % 12);
    const int day = wild ? static_cast<int>(rng() % 40) - 3 : 1 + static_cast<int>(rng() % 31);
    ModelValue v = Value(Tm(year, month, day, static_cast<int>(rng() % (wild ? 30 : 24)), static_cast<int>(rng() % 60),
                            static_cast<int>(rng() % 60)),
                         static_cast<fsec_t>(rng() % 2000000) - (wild ? 500000 : 0),
                         static_cast<long>(rng() % 100000) - 50000);
    if (rng() % 4 == 0) v.tm.tm_zone = "Europe/Oslo";
    return v;
}

void CheckRead(ModelSession &s, const std::string &text, const std::string &format, int kind) {
    ModelValue v;
    if (!s.Read(text, format, &v, kind)) return;  // Read checks the single record
    EXPECT_GE(v.tm.tm_year, -4712);
    EXPECT_LE(v.tm.tm_year, 9999);
    EXPECT_GE(v.tm.tm_mon, 1);
    EXPECT_LE(v.tm.tm_mon, 12);
    EXPECT_GE(v.tm.tm_mday, 1);
    EXPECT_LE(v.tm.tm_mday, 31);
    EXPECT_GE(v.tm.tm_hour, 0);
    EXPECT_LE(v.tm.tm_hour, 23);
    EXPECT_LE(v.tm.tm_min, 59);
    EXPECT_LE(v.tm.tm_sec, 59);
    EXPECT_GE(v.fsec, 0);
    EXPECT_LE(v.fsec, 999999);
}

TEST(ModelFuzz, RandomBytesAndKeywordSoup) {
    ModelSession s;
    std::mt19937 rng(8675309);
    for (int round = 0; round < 150000; ++round) {
        const int kind = 1 + round % 4;
        const bool bytes = round % 3 == 0;
        const std::string format = bytes ? RandomBytes(rng, 24) : FormatSoup(rng);
        const std::string text = (bytes || round % 5 == 0) ? RandomBytes(rng, 24) : TextSoup(rng);
        CheckRead(s, text, format, kind);
        const std::string out = s.Write(RandomValue(rng), format, kind);
        // Output grows with the format, never without bound.
        EXPECT_LE(out.size(), 80 + format.size() * 100) << format;
        if (::testing::Test::HasFailure()) {
            ADD_FAILURE() << "format [" << format << "] text [" << text << "] kind " << kind;
            return;
        }
    }
}

// Without fill mode every field is written at its width, so what the writer
// produced reads back to the same date under the same format, unless the
// format is refused for reading when compiled.
TEST(ModelFuzz, WrittenTextReadsBack) {
    ModelSession s;
    std::mt19937 rng(4242);
    int readBack = 0;
    for (int round = 0; round < 30000; ++round) {
        std::string format = FormatSoup(rng);
        if (format.find("FM") != std::string::npos || format.find("fm") != std::string::npos) continue;
        std::vector<FormatNode> nodes;
        DchError err;
        if (parse_format(format, kModelTimestampZone, true, &nodes, &err) != 0) continue;
        const ModelValue in = Value(Tm(1 + static_cast<int>(rng() % 9999), 1 + static_cast<int>(rng() % 12),
                                       1 + static_cast<int>(rng() % 28), 10, 20, 30));
        const std::string text = s.Write(in, format);
        if (!text.empty() && text[0] == '#') continue;  // E, EE, RR
        ModelValue v;
        ASSERT_TRUE(s.Read(text, format, &v)) << "[" << format << "] [" << text << "] " << s.error;
        ++readBack;
    }
    EXPECT_GT(readBack, 1000);
}

}  // namespace

// Drives the text and byte parsers with a large generated corpus: texts built
// from the grammars' pieces, then damaged byte by byte. Inputs sit in exactly
// sized heap buffers, so the sanitizer build catches any read past the given
// length. What a parser accepts must also hold up: valid fields, and the
// same value again after a trip through the matching writer.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "types/datetime_format.h"
#include "types/number_format.h"
#include "types_test_support.h"

using typestest::ExactText;

namespace {

int Iterations() {  // OCI_FUZZ_ITERATIONS overrides
    const char *env = std::getenv("OCI_FUZZ_ITERATIONS");
    int n = env != nullptr ? std::atoi(env) : 0;
    return n > 0 ? n : 100000;
}

struct Gen {
    std::mt19937 rng;
    int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(int percent) { return Int(1, 100) <= percent; }
    std::string Pick(std::initializer_list<const char *> v) { return *(v.begin() + Int(0, static_cast<int>(v.size()) - 1)); }
    std::string Digits(int lo, int hi) {
        std::string s(static_cast<size_t>(Int(lo, hi)), '0');
        for (char &c : s) c = static_cast<char>('0' + Int(0, 9));
        return s;
    }
    std::string Two(int hi) { return std::string(1, static_cast<char>('0' + Int(0, hi) / 10)) + static_cast<char>('0' + Int(0, 9)); }
    std::string Mutate(std::string s) {
        static const std::string alphabet = "0123456789+-.,:/ @EePTZYMDHSWbcaBCApm#\t\x01\xff\x80";
        for (int k = Int(0, 3); k > 0; --k) {
            size_t pos = static_cast<size_t>(Int(0, static_cast<int>(s.size())));
            char c = alphabet[static_cast<size_t>(Int(0, static_cast<int>(alphabet.size()) - 1))];
            int op = Int(0, 3);
            if (op == 0) s.insert(pos, 1, c);
            if (pos < s.size() && op == 1) s.erase(pos, 1);
            if (pos < s.size() && op == 2) s[pos] = c;
            if (pos < s.size() && op == 3) s.insert(pos, s.substr(pos, static_cast<size_t>(Int(1, 6))));
        }
        return s;
    }
    std::string Number() {
        std::string s = Pick({"", "", " ", "\t"}) + Pick({"", "-", "+"}) + Digits(0, Chance(10) ? 60 : 12);
        if (Chance(15) && s.size() > 2) s.insert(s.size() - 1, ",");
        if (Chance(50)) s += "." + Digits(0, Chance(10) ? 50 : 8);
        if (Chance(30)) s += Pick({"E", "e"}) + Pick({"", "-", "+"}) + Digits(1, 3);
        return s + (Chance(10) ? Pick({" ", "x", "NaN", "Infinity"}) : "");
    }
    std::string DateTime() {
        if (Chance(5)) return Pick({"infinity", "-infinity", "epoch", "today", "now"});
        std::string s = Chance(10) ? Pick({"Tue ", "Sat "}) : "";
        switch (Int(0, 4)) {
        case 0: s += Digits(1, 7) + "-" + Two(13) + "-" + Two(32); break;
        case 1: s += Two(31) + "-" + Pick({"Mar", "DEC", "feb", "Foo"}) + "-" + Digits(2, 4); break;
        case 2: s += Two(13) + "/" + Two(32) + "/" + Digits(2, 4); break;
        case 3: s += Digits(8, 8); break;
        default: s += Pick({"March ", "Jan-"}) + Two(31) + Pick({", ", "-"}) + Digits(4, 4); break;
        }
        if (Chance(80)) {
            s += Pick({" ", "T"}) + Two(25) + ":" + Two(61) + (Chance(80) ? ":" + Two(61) : "");
            if (Chance(50)) s += "." + Digits(0, 9);
            if (Chance(20)) s += Pick({" AM", " pm"});
            if (Chance(50))
                s += Pick({"+", "-"}) + Two(16) + (Chance(50) ? ":" + Two(60) : "") + (Chance(20) ? ":" + Two(60) : "");
            else if (Chance(20))
                s += Pick({" UTC", "Z", " PST", " XYZ"});
        }
        return s + (Chance(15) ? Pick({" BC", " AD"}) : "");
    }
    std::string Interval() {
        std::string s;
        switch (Int(0, 3)) {
        case 0:  // postgres and verbose styles
            s = Chance(30) ? "@ " : "";
            for (int k = Int(0, 5); k > 0; --k)
                s += Pick({"", "-", "+"}) + Digits(1, Chance(10) ? 12 : 4) + (Chance(20) ? "." + Digits(1, 8) : "") + " " +
                     Pick({"year", "mons", "day", "hours", "min", "secs", "week", "ms", "us", "century"}) + " ";
            if (Chance(60)) s += Pick({"", "-", "+"}) + Digits(1, 10) + ":" + Two(61) + ":" + Two(61);
            if (Chance(40)) s += "." + Digits(1, 9);
            return s + (Chance(20) ? " ago" : "");
        case 1:  // ISO 8601
            s = "P";
            for (char d : std::string("YMWD"))
                if (Chance(40)) s += Pick({"", "-"}) + Digits(1, 10) + d;
            if (Chance(60)) {
                s += "T";
                for (char d : std::string("HMS"))
                    if (Chance(50)) s += Pick({"", "-"}) + Digits(1, 12) + (Chance(20) ? "." + Digits(1, 9) : "") + d;
            }
            return s;
        case 2:  // SQL standard
            return Pick({"", "-", "+"}) + Digits(1, 9) + "-" + Digits(1, 2) + " " + Pick({"", "-", "+"}) +
                   Digits(1, 10) + " " + Digits(1, 5) + ":" + Two(59) + ":" + Two(59);
        default:
            return "P" + Digits(1, 4) + "-" + Two(12) + "-" + Two(31) + (Chance(50) ? "T" + Two(24) + ":" + Two(59) + ":" + Two(59) : "");
        }
    }
};

void CheckNumberText(const std::string &txt, int &accepted) {
    ExactText exact(txt);
    ParsedNumber parsed;
    ub1 varnum[kVarnumSize], again[kVarnumSize];
    int parseRc = ParseNumber(exact.get(), exact.len, &parsed);
    int rc = ConvertStringToVARNUM(exact.get(), exact.len, varnum);
    EXPECT_TRUE(parseRc >= 0 || rc == -1) << txt;
    if (rc == 0) {
        ++accepted;
        char out[kVarnumTextSize];
        ASSERT_EQ(ConvertVARNUMToString(varnum, out, sizeof out), 0) << txt;
        // VARNUM -> numeric -> VARNUM, and numeric -> text -> VARNUM, give the bytes back.
        NumericVar *var = nullptr;
        ASSERT_EQ(ConvertVARNUMBERToNumeric(varnum, &var), 0) << txt;
        ASSERT_EQ(ConvertNumericToVARNUMBER(var, again), 0) << txt;
        ASSERT_EQ(std::memcmp(again, varnum, kVarnumSize), 0) << txt;
        char *plain = ConvertNumericToString(var);
        free_var(var);
        ASSERT_EQ(ConvertStringToVARNUM(plain, again), 0) << plain;
        ASSERT_EQ(std::memcmp(again, varnum, kVarnumSize), 0) << txt << " -> " << plain;
        std::free(plain);
    }
    NumericVar *var = nullptr, *back = nullptr;
    if (ConvertStringToNumeric(exact.get(), exact.len, &var) == 0) {
        char *plain = ConvertNumericToString(var);
        ASSERT_EQ(ConvertStringToNumeric(plain, &back), 0) << plain;
        char *plain2 = ConvertNumericToString(back);
        EXPECT_STREQ(plain, plain2) << txt;
        double d;
        int64_t i;
        numericvar_to_double(var, &d);
        numericvar_to_int8(var, &i);
        std::free(plain);
        std::free(plain2);
        free_var(back);
        free_var(var);
    }
}

void CheckDateTimeText(const std::string &txt, int &accepted) {
    ExactText exact(txt);
    ParsedDateTime p;
    int rc = ReadDateTimeText(exact.get(), exact.len, &p);
    if (rc != 0) {
        ASSERT_TRUE(rc == DTERR_FORMAT || rc == DTERR_DATE || rc == DTERR_HOUR || rc == DTERR_MINUTE ||
                    rc == DTERR_SECOND || rc == DTERR_NUMERIC)
            << txt << " -> " << rc;
        return;
    }
    ++accepted;
    if (p.special != DTS_NORMAL) return;
    const pg_tm &tm = p.tm;
    ASSERT_TRUE(tm.tm_mon >= 1 && tm.tm_mon <= 12 && tm.tm_mday >= 1 && tm.tm_mday <= DaysInMonth(tm.tm_year, tm.tm_mon) &&
                tm.tm_hour >= 0 && tm.tm_hour < 24 && tm.tm_min >= 0 && tm.tm_min < 60 && tm.tm_sec >= 0 &&
                tm.tm_sec < 60 && p.fsec >= 0 && p.fsec < USECS_PER_SEC && date2j(tm.tm_year, tm.tm_mon, tm.tm_mday) >= -30)
        << txt;
    const int *zone = p.hasZone ? &p.zoneOffset : nullptr;
    char out[kMaxDateTimeText];
    int n = EncodeDateTime(&tm, p.fsec, zone, out, sizeof out);
    ParsedDateTime q;
    ASSERT_EQ(ReadDateTimeText(out, static_cast<size_t>(n), &q), 0) << txt << " -> " << out;
    char a[kMaxDateTimeText], b[kMaxDateTimeText];
    EncodeDateTime(&q.tm, q.fsec, q.hasZone ? &q.zoneOffset : nullptr, b, sizeof b);
    EncodeDateTime(&tm, p.fsec, zone, a, sizeof a);
    ASSERT_STREQ(a, b) << txt;
    Timestamp ts;
    if (tm2timestamp(&tm, p.fsec, zone, &ts) == 0) {
        pg_tm back;
        fsec_t fsec;
        ASSERT_EQ(timestamp2tm(ts, zone, &back, &fsec), 0);
        ASSERT_EQ(back.tm_mday * 1000000 + fsec, tm.tm_mday * 1000000 + p.fsec) << txt;
    }
}

void CheckIntervalText(const std::string &txt, int &accepted) {
    ExactText exact(txt);
    IntervalData iv{}, back{};
    int rc = ReadIntervalText(exact.get(), exact.len, &iv);
    if (rc != 0) {
        ASSERT_EQ(rc, DTERR_INTERNAL) << txt;
        return;
    }
    ++accepted;
    char out[kMaxIntervalText];
    int n = EncodeInterval(iv, out, sizeof out);
    ASSERT_GT(n, 0) << txt;
    ASSERT_EQ(ReadIntervalText(out, static_cast<size_t>(n), &back), 0) << txt << " -> " << out;
    ASSERT_TRUE(back.months == iv.months && back.days == iv.days && back.usecs == iv.usecs) << txt << " -> " << out;
}

template <class Make, class Check> void Drive(unsigned seed, Make make, Check check) {
    Gen gen{std::mt19937(seed)};
    int accepted = 0, acceptedMutants = 0;
    for (int k = 0; k < Iterations() && !::testing::Test::HasFatalFailure(); ++k) {
        std::string txt = make(gen);
        check(txt, accepted);
        check(gen.Mutate(txt), acceptedMutants);
    }
    // The corpus reaches the accepting paths, not only the error exits.
    std::printf("accepted %d generated and %d damaged texts of %d each\n", accepted, acceptedMutants, Iterations());
    EXPECT_GT(accepted, Iterations() / 4);
    EXPECT_GT(acceptedMutants, Iterations() / 10);
}

TEST(ParserFuzz, NumberTexts) { Drive(20240305, [](Gen &g) { return g.Number(); }, CheckNumberText); }
TEST(ParserFuzz, DateTimeTexts) { Drive(1700, [](Gen &g) { return g.DateTime(); }, CheckDateTimeText); }
TEST(ParserFuzz, IntervalTexts) { Drive(1186, [](Gen &g) { return g.Interval(); }, CheckIntervalText); }

TEST(ParserFuzz, ZonesAndByteForms) {
    Gen gen{std::mt19937(22)};
    for (int k = 0; k < Iterations() && !HasFatalFailure(); ++k) {
        ExactText zone(gen.Mutate(gen.Pick({"+", "-", ""}) + gen.Two(15) + (gen.Chance(60) ? ":" + gen.Two(60) : "")));
        int off = 0, h, m, s;
        int rc = DecodeTZ(zone.get(), zone.len, &off, &h, &m, &s);
        ASSERT_TRUE((rc == 0 && off >= -46740 && off <= 53940) || rc == -1 || rc == -5);

        // VARNUM and NUMBER bytes, mostly plausible ones, of every length.
        ub1 varnum[kVarnumSize];
        for (auto &b : varnum) b = static_cast<ub1>(gen.Chance(70) ? gen.Int(1, 102) : gen.Int(0, 255));
        if (gen.Chance(60)) varnum[0] = static_cast<ub1>(gen.Int(0, 22));
        char text[kVarnumTextSize];
        NumericVar *var = nullptr;
        int asText = ConvertVARNUMToString(varnum, text, sizeof text);
        int asNumeric = ConvertVARNUMBERToNumeric(varnum, &var);
        ASSERT_TRUE(asText != 0 || asNumeric == 0) << typestest::ToHex(varnum, kVarnumSize);
        free_var(var);
        size_t len = static_cast<size_t>(gen.Int(0, 21));
        std::unique_ptr<ub1[]> number(new ub1[len + 1]);
        std::memcpy(number.get(), varnum + 1, len);
        var = nullptr;
        ConvertNUMBERToNumeric(len == 0 ? nullptr : number.get(), len, &var);
        free_var(var);

        // Numeric send-format records of every length, mostly well formed.
        size_t n = static_cast<size_t>(gen.Int(0, 40));
        std::unique_ptr<unsigned char[]> wire(new unsigned char[n + 1]);
        for (size_t j = 0; j < n; ++j) wire[j] = static_cast<unsigned char>(gen.Int(0, 255));
        if (n >= 8 && gen.Chance(70)) {
            wire[0] = 0, wire[1] = static_cast<unsigned char>((n - 8) / 2), wire[5] = 0, wire[6] = 0;
            static const unsigned char kSigns[] = {0x00, 0x40, 0xC0, 0xD0, 0xF0};
            wire[4] = kSigns[gen.Int(0, 4)];
            for (size_t j = 8; j < n; j += 2) wire[j] = static_cast<unsigned char>(gen.Int(0, 0x27));
        }
        var = NumericFromSendFormat(wire.get(), n);
        if (var != nullptr) {
            char *plain = ConvertNumericToString(var);
            NumericVar *again = nullptr;
            ASSERT_EQ(ConvertStringToNumeric(plain, &again), 0) << plain;
            ub1 out[kVarnumSize];
            ConvertNumericToVARNUMBER(var, out);
            free_var(again);
            std::free(plain);
            free_var(var);
        }

        // Binary timestamps anywhere in (and beyond) the valid range.
        Timestamp ts = static_cast<Timestamp>(std::uniform_int_distribution<uint64_t>()(gen.rng));
        if (gen.Chance(50)) {
            const uint64_t range = static_cast<uint64_t>(END_TIMESTAMP) - static_cast<uint64_t>(MIN_TIMESTAMP);
            ts = static_cast<Timestamp>(static_cast<uint64_t>(MIN_TIMESTAMP) + static_cast<uint64_t>(ts) % range);
        }
        pg_tm tm;
        fsec_t fsec;
        Timestamp back;
        if (timestamp2tm(ts, nullptr, &tm, &fsec) == 0) {
            ASSERT_EQ(tm2timestamp(&tm, fsec, nullptr, &back), 0);
            ASSERT_EQ(back, ts);
        }
    }
}

}  // namespace

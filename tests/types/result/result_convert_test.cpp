// Result converters without a server: the value table of data/conversions.txt
// byte for byte, the descriptor, OCIString and LOB targets, and a sweep of
// every converter over odd inputs and capacities for the sanitizer build.
#include <random>

#include "conn/conn_handles.h"
#include "env/memory.h"
#include "platform/oci_string.h"
#include "types/datetime_format.h"
#include "types/result_convert_support.h"
#include "types/result/result_test_support.h"

using namespace resulttest;

namespace {

TEST(ResultConverters, EveryNameOfTheHeaderIsDefined) {
    EXPECT_EQ(Converters().size(), 156u);
    for (const auto &entry : Converters()) EXPECT_NE(entry.second, nullptr) << entry.first;
}

TEST(ResultConverters, ValueTable) {
    auto rows = ReadTable("conversions.txt");
    ASSERT_GT(rows.size(), 100u);
    for (const auto &row : rows) {
        ASSERT_EQ(row.cells.size(), 11u) << "line " << row.line;
        const auto &c = row.cells;
        SCOPED_TRACE("line " + std::to_string(row.line) + ": " + c[1] + " " + c[2]);
        ResultConverter fn = Find(c[1]);
        ASSERT_NE(fn, nullptr);
        Value value(c[2]);
        OCIError *err = Envs::Get().For(c[0]);
        const bool withIndicator = c[4] == "y";
        Outcome o = Convert(fn, err, value, static_cast<ub4>(std::stoul(c[3])), withIndicator);
        EXPECT_EQ(o.status, std::stoi(c[5]));
        EXPECT_EQ(o.length, std::stoul(c[6]));
        if (withIndicator) {
            EXPECT_EQ(o.indicator, std::stoi(c[7]));
        }
        EXPECT_EQ(o.returnCode, std::stoul(c[8]));
        EXPECT_EQ(o.error, c[9]);
        EXPECT_EQ(ToHex(o.buffer), ToHex(Hex(c[10])));
    }
}

// A buffer holding one pointer, as the descriptor, OCIString and LOB targets take it.
template <class T> sword ConvertInto(ResultConverter fn, OCIError *err, const std::string &cell, T *target,
                                     ub4 *length, sb2 *ind = nullptr) {
    Value v(cell);
    *length = sizeof target;
    return fn(err, v.data(), v.length, v.format, &target, length, ind, nullptr, nullptr);
}

struct DateTimeCase {
    const char *converter;
    ub4 kind;
    const char *value;
    const char *date;  // yyyy-mm-dd hh:mi:ss of the body
    const char *fraction;
    const char *zoneText;
    int zoneOffset, zoneHours, zoneMinutes;
};

std::string BodyDate(const DateTimeValue *b) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", b->date.OCIDateYYYY, b->date.OCIDateMM,
                  b->date.OCIDateDD, b->date.OCIDateTime.OCITimeHH, b->date.OCIDateTime.OCITimeMI,
                  b->date.OCIDateTime.OCITimeSS);
    return buf;
}

// The process runs with TZ=America/St_Johns: -03:30 in winter, -02:30 in summer.
TEST(ResultConverters, DatetimeDescriptors) {
    const DateTimeCase cases[] = {
        {"ConvertTIMESTAMPOIDToSQLT_TIMESTAMP", OCI_DTYPE_TIMESTAMP, "t:2024-03-05 13:45:30.25",
         "2024-03-05 13:45:30", "00 03 D0 90", "", 0, 0, 0},
        {"ConvertTIMESTAMPOIDToSQLT_TIMESTAMP", OCI_DTYPE_TIMESTAMP, "x:00 02 B5 E8 D2 FC E3 10",
         "2024-03-05 13:45:30", "00 03 D0 90", "", 0, 0, 0},
        {"ConvertTEXTOIDToSQLT_TIMESTAMP", OCI_DTYPE_TIMESTAMP, "t:0044-03-15 12:00:00.000001 BC",
         "-044-03-15 12:00:00", "00 00 00 01", "", 0, 0, 0},
        {"ConvertTIMESTAMPOIDToSQLT_DATE", OCI_DTYPE_DATE, "t:2024-03-05 13:45:30.25", "2024-03-05 00:00:00",
         "00 00 00 00", "", 0, 0, 0},
        {"ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ", OCI_DTYPE_TIMESTAMP_TZ, "t:2024-03-05 13:45:30.25+05:30",
         "2024-03-05 13:45:30", "00 03 D0 90", "+05:30", 19800, 5, 30},
        {"ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ", OCI_DTYPE_TIMESTAMP_TZ, "t:2024-03-05 13:45:30-03:30",
         "2024-03-05 13:45:30", "00 00 00 00", "-03:30", -12600, -3, 30},
        {"ConvertTEXTOIDToSQLT_TIMESTAMP_TZ", OCI_DTYPE_TIMESTAMP_TZ, "t:2024-03-05 13:45:30+05:30",
         "2024-03-05 13:45:30", "00 00 00 00", "+05:30", 19800, 5, 30},
        // Binary timestamptz: the instant in UTC.
        {"ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ", OCI_DTYPE_TIMESTAMP_TZ, "x:00 02 B5 E8 D2 FC E3 10",
         "2024-03-05 13:45:30", "00 03 D0 90", "+00:00", 0, 0, 0},
        // A local-time-zone descriptor holds the instant in the client's zone.
        {"ConvertTIMESTAMPTZOIDToSQLT_TIMESTAMP_TZ", OCI_DTYPE_TIMESTAMP_LTZ, "t:2024-03-05 13:45:30+05:30",
         "2024-03-05 04:45:30", "00 00 00 00", "-03:30", -12600, -3, 30},
        // A zone-less value into a zoned descriptor takes the client's zone
        // for that wall-clock time.
        {"ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ", OCI_DTYPE_TIMESTAMP_TZ, "t:2024-03-05 13:45:30",
         "2024-03-05 13:45:30", "00 00 00 00", "-03:30", -12600, -3, 30},
        {"ConvertTIMESTAMPOIDToSQLT_TIMESTAMP_TZ", OCI_DTYPE_TIMESTAMP_TZ, "t:2024-07-05 13:45:30",
         "2024-07-05 13:45:30", "00 00 00 00", "-02:30", -9000, -2, 30},
    };
    OCIError *err = Envs::Get().For("std");
    for (const auto &tc : cases) {
        SCOPED_TRACE(std::string(tc.converter) + " " + tc.value);
        OCIDateTime *dt = nullptr;
        ASSERT_EQ(OCIDescriptorAlloc(Envs::Get().plain, reinterpret_cast<void **>(&dt), tc.kind, 0, nullptr),
                  OCI_SUCCESS);
        ub4 length = 0;
        sb2 ind = 5;
        ASSERT_EQ(ConvertInto(Find(tc.converter), err, tc.value, dt, &length, &ind), OCI_SUCCESS);
        EXPECT_EQ(length, 40u);
        EXPECT_EQ(ind, 0);
        const DateTimeValue *b = dt->value;
        EXPECT_EQ(BodyDate(b), tc.date);
        EXPECT_EQ(ToHex(b->fraction, 4), tc.fraction);
        EXPECT_STREQ(b->zoneText, tc.zoneText);
        EXPECT_EQ(b->zoneOffset, tc.zoneOffset);
        EXPECT_EQ(b->zoneHours, tc.zoneHours);
        EXPECT_EQ(b->zoneMinutes, tc.zoneMinutes);
        OCIDescriptorFree(dt, tc.kind);
    }
}

TEST(ResultConverters, DatetimeDescriptorRefusals) {
    OCIError *err = Envs::Get().For("std");
    ResultConverter fn = ConvertTIMESTAMPOIDToSQLT_TIMESTAMP;
    ub4 length = 0;
    // No descriptor, or a handle of another kind behind the pointer.
    EXPECT_EQ(ConvertInto<OCIDateTime>(fn, err, "t:2024-03-05", nullptr, &length), OCI_ERROR);
    EXPECT_EQ(FirstError(err), "1891");
    ClearErrorHandle(err);
    EXPECT_EQ(ConvertInto(fn, err, "t:2024-03-05", reinterpret_cast<OCIDateTime *>(err), &length), OCI_ERROR);
    OCIDateTime *dt = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(Envs::Get().plain, reinterpret_cast<void **>(&dt), OCI_DTYPE_TIMESTAMP, 0, nullptr),
              OCI_SUCCESS);
    // A buffer too small to hold the pointer is never read as one.
    Value v("t:2024-03-05");
    length = 4;
    EXPECT_EQ(fn(err, v.data(), v.length, 0, &dt, &length, nullptr, nullptr, nullptr), OCI_ERROR);
    // A text that is no date reports the parser's error.
    ClearErrorHandle(err);
    EXPECT_EQ(ConvertInto(fn, err, "t:2024-13-45", dt, &length), OCI_ERROR);
    EXPECT_NE(FirstError(err), "0");
    OCIDescriptorFree(dt, OCI_DTYPE_TIMESTAMP);
}

TEST(ResultConverters, IntervalDescriptor) {
    struct Case {
        const char *value;
        int months, days;
        double seconds;
    } cases[] = {
        {"t:1 year 2 mons 3 days 04:05:06.789", 14, 3, 14706.789},
        {"t:-1 days +02:00:00", 0, 0, -79200},  // whole days move out of the time part
        {"t:P1Y2M3DT4H5M6.5S", 14, 3, 14706.5},
        {"t:@ 1 day 2 hours ago", 0, -1, -7200},
        {"x:00 00 00 14 F4 6B 04 00 00 00 00 00 00 00 00 00", 0, 1, 3600},  // 25 hours
    };
    OCIError *err = Envs::Get().For("std");
    OCIInterval *iv = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(Envs::Get().plain, reinterpret_cast<void **>(&iv), OCI_DTYPE_INTERVAL_DS, 0, nullptr),
              OCI_SUCCESS);
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.value);
        ub4 length = 0;
        ASSERT_EQ(ConvertInto(ConvertINTERVALOIDToSQLT_INTERVAL_DS, err, tc.value, iv, &length), OCI_SUCCESS);
        EXPECT_EQ(length, 40u);
        EXPECT_EQ(iv->value->months, tc.months);
        EXPECT_EQ(iv->value->days, tc.days);
        EXPECT_NEAR(iv->value->seconds, tc.seconds, 1e-9);
    }
    ub4 length = 0;
    EXPECT_EQ(ConvertInto(ConvertINTERVALOIDToSQLT_INTERVAL_DS, err, "t:3 fortnights", iv, &length), OCI_ERROR);
    EXPECT_EQ(FirstError(err), "1891");
    OCIDescriptorFree(iv, OCI_DTYPE_INTERVAL_DS);
}

// The OCIString is created when the application passes none and grows when
// the value is longer than its buffer.
TEST(ResultConverters, OCIStringTarget) {
    OCIError *err = Envs::Get().For("std");
    OCIString *str = nullptr;
    Value v("t:hello");
    ub4 length = sizeof str;
    sb2 ind = 3;
    ASSERT_EQ(ConvertTEXTOIDToSQLT_VST(err, v.data(), v.length, 0, &str, &length, &ind, nullptr, nullptr), OCI_SUCCESS);
    ASSERT_NE(str, nullptr);
    EXPECT_EQ(std::string(str->text, str->length), "hello");
    EXPECT_EQ(str->text[5], '\0');
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(ind, 0);

    char *before = str->text;
    Value shorter("t:hi");
    length = sizeof str;
    ASSERT_EQ(ConvertTEXTOIDToSQLT_VST(err, shorter.data(), shorter.length, 0, &str,
                                       &length, nullptr, nullptr, nullptr),
              OCI_SUCCESS);
    EXPECT_EQ(str->text, before);  // fits: the buffer is reused
    EXPECT_STREQ(str->text, "hi");

    Value longer("x:00 00 00 00 00 00 00 01 00 00 00 02");  // the number 1, as hex text
    length = sizeof str;
    ASSERT_EQ(ConvertBYTEAOIDToSQLT_VST(err, longer.data(), longer.length, 1, &str, &length, nullptr, nullptr, nullptr),
              OCI_SUCCESS);
    EXPECT_STREQ(str->text, "000000000000000100000002");
    EXPECT_EQ(str->length, 24u);

    // UTF-16: two-byte terminator.
    OCIError *wide = Envs::Get().For("utf16");
    length = sizeof str;
    ASSERT_EQ(ConvertINT4OIDToSQLT_VST(wide, "7", 1, 0, &str, &length, nullptr, nullptr, nullptr), OCI_SUCCESS);
    EXPECT_EQ(str->length, 2u);
    EXPECT_EQ(ToHex(reinterpret_cast<unsigned char *>(str->text), 4), "37 00 00 00");

    length = 4;  // no room for the pointer
    EXPECT_EQ(ConvertTEXTOIDToSQLT_VST(err, v.data(), v.length, 0, &str,
                                       &length, nullptr, nullptr, nullptr), OCI_ERROR);
    o2pFree(str->text);
    o2pDelete(str);
}

TEST(ResultConverters, LobLocatorTarget) {
    OCIError *err = Envs::Get().For("std");
    OCILobLocator *lob = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(Envs::Get().plain, reinterpret_cast<void **>(&lob), OCI_DTYPE_LOB, 0, nullptr),
              OCI_SUCCESS);
    ub4 length = 0;
    ASSERT_EQ(ConvertInto(ConvertOIDOIDToSQLT_BLOB, err, "t:16400", lob, &length), OCI_SUCCESS);
    EXPECT_EQ(lob->lobOid, 16400u);
    EXPECT_EQ(lob->fd, -1);  // converting opens nothing
    // A descriptor open on the previous object does not survive the new one
    // (without a connection it can only be forgotten).
    lob->fd = 3;
    ASSERT_EQ(ConvertInto(ConvertOIDOIDToSQLT_BLOB, err, "x:FF FF FF FE", lob, &length), OCI_SUCCESS);
    EXPECT_EQ(lob->lobOid, 4294967294u);
    EXPECT_EQ(lob->fd, -1);
    EXPECT_EQ(ConvertInto(ConvertOIDOIDToSQLT_BLOB, err, "t:4294967296", lob, &length), OCI_ERROR);
    EXPECT_EQ(FirstError(err), "1733");
    EXPECT_EQ(lob->lobOid, 4294967294u);
    ClearErrorHandle(err);
    EXPECT_EQ(ConvertInto(ConvertOIDOIDToSQLT_BLOB, err, "t:16400", reinterpret_cast<OCILobLocator *>(err), &length),
              OCI_ERROR);
    EXPECT_EQ(FirstError(err), "1733");
    // A NULL oid leaves the locator alone.
    sb2 ind = 0;
    ub2 rc = 0;
    Value null("NULL");
    length = sizeof lob;
    EXPECT_EQ(ConvertOIDOIDToSQLT_BLOB(err, null.data(), 0, 0, &lob, &length, &ind, &rc, nullptr), OCI_SUCCESS);
    EXPECT_EQ(ind, -1);
    EXPECT_EQ(rc, 1405);
    EXPECT_EQ(lob->lobOid, 4294967294u);
    // Capacity 0 converts nothing.
    length = 0;
    Value v("t:1");
    EXPECT_EQ(ConvertOIDOIDToSQLT_BLOB(err, v.data(), v.length, 0, &lob,
                                       &length, nullptr, nullptr, nullptr), OCI_SUCCESS);
    EXPECT_EQ(lob->lobOid, 4294967294u);
    OCIDescriptorFree(lob, OCI_DTYPE_LOB);
}

// The indicator is 16 bits: a loss it cannot count is -2, never a wrapped number.
TEST(ResultConverters, LargeTruncationIndicator) {
    OCIError *err = Envs::Get().For("std");
    std::string big(40010, 'x');
    std::vector<char> buf(10);
    for (const auto &name : {"ConvertTEXTOIDToSQLT_CHR", "ConvertTEXTOIDToSQLT_STR", "ConvertTEXTOIDToSQLT_LVC"}) {
        ub4 length = 10;
        sb2 ind = 0;
        ub2 rc = 0;
        sword status = Find(name)(err, big.data(), static_cast<ub4>(big.size()), 0, buf.data(),
                                  &length, &ind, &rc, nullptr);
        EXPECT_GE(status, 0) << name;
        EXPECT_EQ(ind, -2) << name;
        EXPECT_EQ(rc, 1406) << name;
    }
    // Exactly 32767 lost still fits the indicator.
    std::string edge(32767 + 4, 'y');
    ub4 length = 4;
    sb2 ind = 0;
    ConvertTEXTOIDToSQLT_LNG(err, edge.data(), static_cast<ub4>(edge.size()), 0, buf.data(),
                             &length, &ind, nullptr, nullptr);
    EXPECT_EQ(ind, 32767);
}

TEST(ResultConverters, FormatByteAndMissingLength) {
    OCIError *err = Envs::Get().For("std");
    char buf[8];
    std::memset(buf, 0xEE, sizeof buf);
    ub4 length = sizeof buf;
    sb2 ind = 9;
    for (const auto &entry : Converters()) {
        length = sizeof buf;
        EXPECT_EQ(entry.second(err, "1", 1, 2, buf, &length, &ind, nullptr, nullptr), OCI_ERROR) << entry.first;
        EXPECT_EQ(entry.second(err, "1", 1, 0, buf, nullptr, &ind, nullptr, nullptr), OCI_ERROR) << entry.first;
    }
    EXPECT_EQ(ToHex(reinterpret_cast<unsigned char *>(buf), sizeof buf), "EE EE EE EE EE EE EE EE");
}

// Memory running out inside a converter fails the call without a leak.
TEST(ResultConverters, AllocationFailure) {
    OCIError *err = Envs::Get().For("utf16");
    Value text("t:abc");
    char buf[16];
    ub4 length = sizeof buf;
    o2pFailAllocationAfter(0);  // the transcoding buffer
    EXPECT_EQ(ConvertTEXTOIDToSQLT_CHR(err, text.data(), text.length, 0, buf,
                                       &length, nullptr, nullptr, nullptr), OCI_ERROR);
    err = Envs::Get().For("std");
    Value bytes("t:\\x0102");
    for (long n = 0; n < 2; ++n) {  // the decoded bytes, then the hex text
        o2pFailAllocationAfter(n);
        length = sizeof buf;
        EXPECT_EQ(ConvertBYTEAOIDToSQLT_CHR(err, bytes.data(), bytes.length, 0, buf,
                                            &length, nullptr, nullptr, nullptr),
                  OCI_ERROR);
    }
    OCIString *str = nullptr;
    for (long n = 0; n < 2; ++n) {  // the record, then its text
        o2pFailAllocationAfter(n);
        length = sizeof str;
        EXPECT_EQ(ConvertTEXTOIDToSQLT_VST(err, text.data(), text.length, 0, &str, &length, nullptr, nullptr, nullptr),
                  OCI_ERROR);
        EXPECT_EQ(str, nullptr);
    }
    o2pFailAllocationAfter(-1);
}

// Every converter over malformed and extreme values at every interesting
// capacity: no crash, no access outside the buffer (the sanitizer build
// checks), a valid status and never more reported than the buffer holds.
TEST(ResultConverters, Sweep) {
    std::vector<std::string> corpus = {
        "NULL", "t:", "t:0", "t:-", "t:+", "t: ", "t:\\x", "t:\\", "t:\\x0", "t:\\xg0", "t:\\400", "t:\\12",
        "t:9223372036854775808", "t:-9223372036854775809", "t:1e-400", "t:NaN", "t:-Infinity",
        "t:2024-02-30", "t:10000-01-01", "t:294277-01-01", "t:4714-11-23 BC", "t:infinity", "t:epoch",
        "t:1 year 2 mons", "t:P", "t:-178000000 years", "t:2024-03-05 25:00:00", "t:\xC3", "t:\xE2\x82",
        "x:", "x:00", "x:80", "x:FF FF", "x:80 00 00 00", "x:7F FF FF FF FF FF FF FF", "x:80 00 00 00 00 00 00 00",
        "x:7F F0 00 00 00 00 00 00", "x:FF F8 00 00 00 00 00 00", "x:00 01 00 00 00 00 00 00",
        "x:00 01 7F FF 00 00 00 00 27 0F", "x:00 01 00 00 F0 00 00 00 00 01", "x:00 00 00 00 D0 00 00 00",
        "x:80 00 00 00 00 00 00 00 80 00 00 00 80 00 00 00", "x:7F FF FF FF 00 00 00 00 7F FF FF FF 7F FF FF FF",
    };
    std::mt19937 rng(5);
    for (int k = 0; k < 40; ++k) {
        std::string cell = k % 2 ? "t:" : "x:";
        int len = static_cast<int>(rng() % 24);
        for (int i = 0; i < len; ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X ", static_cast<unsigned>(rng() % 256));
            cell += k % 2 ? std::string("\\x") + std::string(hex, 2) : std::string(hex);
        }
        corpus.push_back(cell);
    }
    const ub4 capacities[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 21, 22, 40};
    OCIDateTime *dt = nullptr;
    OCIInterval *iv = nullptr;
    OCILobLocator *lob = nullptr;
    OCIEnv *env = Envs::Get().plain;
    ASSERT_EQ(OCIDescriptorAlloc(env, reinterpret_cast<void **>(&dt), OCI_DTYPE_TIMESTAMP_LTZ, 0, nullptr), 0);
    ASSERT_EQ(OCIDescriptorAlloc(env, reinterpret_cast<void **>(&iv), OCI_DTYPE_INTERVAL_DS, 0, nullptr), 0);
    ASSERT_EQ(OCIDescriptorAlloc(env, reinterpret_cast<void **>(&lob), OCI_DTYPE_LOB, 0, nullptr), 0);
    for (const std::string envName : {"std", "novar", "utf16"}) {
        OCIError *err = Envs::Get().For(envName);
        for (const auto &entry : Converters()) {
            const std::string &name = entry.first;
            const bool vst = name.size() > 4 && name.compare(name.size() - 4, 4, "_VST") == 0;
            void *pointer = nullptr;
            if (name.find("_TIMESTAMP") != std::string::npos || name.compare(name.size() - 5, 5, "_DATE") == 0)
                pointer = dt;
            else if (name.find("INTERVAL") != std::string::npos) pointer = iv;
            else if (name.find("BLOB") != std::string::npos) pointer = lob;
            for (const auto &cell : corpus) {
                Value v(cell);
                for (ub4 cap : capacities) {
                    std::unique_ptr<unsigned char[]> buf(new unsigned char[cap == 0 ? 1 : cap]);
                    OCIString *str = nullptr;
                    if (pointer != nullptr || vst) {
                        if (cap < sizeof(void *)) continue;
                        std::memcpy(buf.get(), vst ? static_cast<void *>(&str) : &pointer, sizeof(void *));
                    }
                    ub4 length = cap;
                    sb2 ind = 0;
                    ub2 rc = 0;
                    sword status = entry.second(err, v.data(), v.length, v.format, buf.get(),
                                                &length, &ind, &rc, nullptr);
                    EXPECT_TRUE(status == 0 || status == 1 || status == -1) << name << " " << cell;
                    if (pointer == nullptr && !vst && status != -1) {
                        EXPECT_LE(length, cap) << name << " " << cell << " cap " << cap;
                    }
                    std::memcpy(&str, buf.get(), vst ? sizeof str : 0);
                    if (vst && str != nullptr) {
                        o2pFree(str->text);
                        o2pDelete(str);
                    }
                    ClearErrorHandle(err);
                }
            }
        }
    }
    OCIDescriptorFree(dt, OCI_DTYPE_TIMESTAMP_LTZ);
    OCIDescriptorFree(iv, OCI_DTYPE_INTERVAL_DS);
    OCIDescriptorFree(lob, OCI_DTYPE_LOB);
}

}  // namespace

namespace {

// Short decimals are read without strtod; they must come out bit for bit as
// strtod reads them, and everything else must still reach strtod.
TEST(ResultConverters, RealTextsReadAsStrtodReadsThem) {
    std::mt19937_64 rng(11);
    const char *odd[] = {"0.0000000000000001", "1234567890123456", "-0", "1.", ".5", "1e5", "0x10", "1.2.3",
                         "", "-", "+.", " 42.5 ", "9007199254740993", "0.1000000000000000055511151231257827"};
    std::vector<std::string> texts(std::begin(odd), std::end(odd));
    for (int k = 0; k < 50000; ++k) {
        std::string t = std::to_string(rng() % 1000000000000000ULL);
        const size_t point = rng() % (t.size() + 1);
        if (point < t.size()) t.insert(point, ".");
        if (rng() % 2) t.insert(0, "-");
        texts.push_back(t);
    }
    for (const std::string &t : texts) {
        double got = 0;
        const int rc = resultconv::ParseReal(t.data(), t.size(), &got);
        std::string trimmed = t;
        while (!trimmed.empty() && trimmed.front() == ' ') trimmed.erase(0, 1);
        while (!trimmed.empty() && trimmed.back() == ' ') trimmed.pop_back();
        char *end = nullptr;
        const double want = std::strtod(trimmed.c_str(), &end);
        const bool valid = !trimmed.empty() && *end == '\0' && trimmed.find_first_of("xX") == std::string::npos;
        ASSERT_EQ(rc == 0, valid) << t;
        if (valid) {
            ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0) << t;
        }
    }
}

}  // namespace

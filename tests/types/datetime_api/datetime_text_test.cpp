// Text conversions of OCIDate and OCIDateTime values under format models:
// reading and writing, the default models, and buffers that are too small.
#include <cstring>
#include <string>

#include "dtapi_test_support.h"

using namespace dtapi_test;

namespace {

class DateTimeText : public ApiTest {
protected:
    std::string DateText(const OCIDate &d, const char *fmt) {
        oratext buf[64];
        ub4 size = sizeof buf;
        const sword rc = OCIDateToText(err, &d, T(fmt), static_cast<ub1>(fmt ? std::strlen(fmt) : 0), nullptr, 0,
                                       &size, buf);
        EXPECT_EQ(rc, OCI_SUCCESS) << fmt << ": " << (Code(), message);
        return rc == OCI_SUCCESS ? std::string(reinterpret_cast<char *>(buf), size) : "";
    }
    std::string Text(OCIDateTime *dt, const char *fmt) {
        OraText buf[96];
        ub4 size = sizeof buf;
        const sword rc = OCIDateTimeToText(env, err, dt, T(fmt), static_cast<ub1>(fmt ? std::strlen(fmt) : 0), 9,
                                           nullptr, 0, &size, buf);
        EXPECT_EQ(rc, OCI_SUCCESS) << (fmt ? fmt : "(default)") << ": " << (Code(), message);
        return rc == OCI_SUCCESS ? std::string(reinterpret_cast<char *>(buf), size) : "";
    }
    sword Read(OCIDateTime *dt, const char *text, const char *fmt) {
        return OCIDateTimeFromText(env, err, T(text), std::strlen(text), T(fmt),
                                   static_cast<ub1>(fmt ? std::strlen(fmt) : 0), nullptr, 0, dt);
    }
};

TEST_F(DateTimeText, DatesReadAndWrittenUnderAFormat) {
    const char *fmt = "YYYY-MM-DD HH24:MI:SS";
    OCIDate d{};
    const char *text = "2024-03-05 13:45:30";
    ASSERT_EQ(OCIDateFromText(err, T(text), static_cast<ub4>(std::strlen(text)), T(fmt),
                              static_cast<ub1>(std::strlen(fmt)), nullptr, 0, &d), OCI_SUCCESS) << (Code(), message);
    EXPECT_EQ(Show(d), "2024-03-05 13:45:30");
    // An OCIDate is written as it stands, whatever the local zone.
    ScopedTZ zone(kIndia);
    EXPECT_EQ(DateText(d, fmt), text);
    EXPECT_EQ(DateText(d, "DD-MON-YY"), DateText(d, nullptr));

    // The default model; a day beyond its month.
    ASSERT_EQ(OCIDateFromText(err, T("05-MAR-24"), 9, nullptr, 0, nullptr, 0, &d), OCI_SUCCESS);
    EXPECT_EQ(Show(d), "2024-03-05 00:00:00");
    ExpectError(OCIDateFromText(err, T("2023-02-30"), 10, T("YYYY-MM-DD"), 10, nullptr, 0, &d), 1839);
}

TEST_F(DateTimeText, DateTextThatDoesNotFitIsRefused) {
    const OCIDate d = MakeDate(2024, 3, 5, 13, 45, 30);
    oratext buf[16];
    std::memset(buf, 'x', sizeof buf);
    ub4 size = 10;  // "2024-03-05" needs 11 bytes with its terminator
    ExpectError(OCIDateToText(err, &d, T("YYYY-MM-DD"), 10, nullptr, 0, &size, buf), 16530);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(buf[0], 'x');
    size = 11;
    ASSERT_EQ(OCIDateToText(err, &d, T("YYYY-MM-DD"), 10, nullptr, 0, &size, buf), OCI_SUCCESS);
    EXPECT_EQ(size, 10u);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(buf)), "2024-03-05");
    EXPECT_EQ(buf[11], 'x');
}

TEST_F(DateTimeText, DescriptorsRoundTripThroughText) {
    OCIDateTime *ts = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ASSERT_EQ(Read(ts, "2024-03-05 13:45:30.25", "YYYY-MM-DD HH24:MI:SS.FF"), OCI_SUCCESS) << (Code(), message);
    EXPECT_EQ(Text(ts, "YYYY-MM-DD HH24:MI:SS.FF6"), "2024-03-05 13:45:30.250000");
    // The default models read back what they write.
    const std::string written = Text(ts, nullptr);
    OCIDateTime *again = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ASSERT_EQ(Read(again, written.c_str(), nullptr), OCI_SUCCESS) << written << ": " << (Code(), message);
    EXPECT_EQ(Text(again, "YYYY-MM-DD HH24:MI:SS.FF3"), "2024-03-05 13:45:30.250");

    OCIDateTime *tz = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    ASSERT_EQ(Read(tz, "2024-03-05 13:45:30 -03:30", "YYYY-MM-DD HH24:MI:SS TZH:TZM"), OCI_SUCCESS)
        << (Code(), message);
    sb1 h, m;
    ASSERT_EQ(OCIDateTimeGetTimeZoneOffset(env, err, tz, &h, &m), OCI_SUCCESS);
    EXPECT_EQ(h, -3);
    EXPECT_EQ(m, 30);
    EXPECT_EQ(Text(tz, "YYYY-MM-DD HH24:MI TZH:TZM"), "2024-03-05 13:45 -03:30");
    const std::string zoned = Text(tz, nullptr);
    OCIDateTime *tz2 = NewDateTime(OCI_DTYPE_TIMESTAMP_TZ);
    ASSERT_EQ(Read(tz2, zoned.c_str(), nullptr), OCI_SUCCESS) << zoned << ": " << (Code(), message);
    sword cmp = 9;
    ASSERT_EQ(OCIDateTimeCompare(env, err, tz, tz2, &cmp), OCI_SUCCESS);
    EXPECT_EQ(cmp, 0) << zoned;

    // The local-zone kind is read as the same instant seen locally.
    ScopedTZ zone(kIndia);
    OCIDateTime *ltz = NewDateTime(OCI_DTYPE_TIMESTAMP_LTZ);
    ASSERT_EQ(Read(ltz, "2024-03-05 12:00:00 +00:00", "YYYY-MM-DD HH24:MI:SS TZH:TZM"), OCI_SUCCESS)
        << (Code(), message);
    EXPECT_EQ(Text(ltz, "YYYY-MM-DD HH24:MI"), "2024-03-05 17:30");
}

TEST_F(DateTimeText, DescriptorTextThatDoesNotFitIsRefused) {
    OCIDateTime *ts = NewDateTime(OCI_DTYPE_TIMESTAMP);
    ASSERT_EQ(Read(ts, "2024-03-05", "YYYY-MM-DD"), OCI_SUCCESS) << (Code(), message);
    // A month name of several bytes is never cut: the whole text or nothing.
    OraText buf[8];
    std::memset(buf, 'x', sizeof buf);
    ub4 size = sizeof buf;
    ExpectError(OCIDateTimeToText(env, err, ts, T("DD Month YYYY"), 13, 0, nullptr, 0, &size, buf), 16530);
    EXPECT_EQ(size, sizeof buf);
    EXPECT_EQ(buf[0], 'x');
    OCIDateTime *date = NewDateTime(OCI_DTYPE_DATE);
    ExpectMissing(OCIDateTimeToText(env, err, date, nullptr, 0, 0, nullptr, 0, nullptr, buf), 9);
    ExpectMissing(OCIDateTimeFromText(env, err, nullptr, 0, nullptr, 0, nullptr, 0, date), 3);
}

}  // namespace

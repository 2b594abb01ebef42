// Shared by the OCIDate, OCIDateTime and OCIInterval tests: an environment
// with an error handle, descriptors released with it, dates written and read
// as text, and a scoped TZ setting.
#pragma once
#include <gtest/gtest.h>

#include <oci.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "support/data_table.h"

namespace dtapi_test {

inline OCIDate MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    OCIDate d{};
    OCIDateSetDate(&d, year, month, day);
    OCIDateSetTime(&d, hour, minute, second);
    return d;
}

// "YYYY-MM-DD HH:MI:SS" (a leading "-" for years BC).
inline OCIDate ParseDate(const std::string &text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    const bool bc = !text.empty() && text[0] == '-';
    EXPECT_EQ(std::sscanf(text.c_str() + (bc ? 1 : 0), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s), 6) << text;
    return MakeDate(bc ? -y : y, mo, d, h, mi, s);
}

inline std::string Show(const OCIDate &d) {
    char buf[40];
    const int y = d.OCIDateYYYY;
    std::snprintf(buf, sizeof buf, "%s%04d-%02d-%02d %02d:%02d:%02d", y < 0 ? "-" : "", y < 0 ? -y : y,
                  d.OCIDateMM, d.OCIDateDD, d.OCIDateTime.OCITimeHH, d.OCIDateTime.OCITimeMI,
                  d.OCIDateTime.OCITimeSS);
    return buf;
}

inline const oratext *T(const char *s) { return reinterpret_cast<const oratext *>(s); }

// Sets TZ for the scope of the object (POSIX rules need no zone files).
class ScopedTZ {
public:
    explicit ScopedTZ(const char *tz) {
        const char *old = std::getenv("TZ");
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ScopedTZ() {
        if (had_) setenv("TZ", old_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    bool had_ = false;
    std::string old_;
};

// India: +05:30 all year.
constexpr const char kIndia[] = "IST-5:30";
// Adelaide: +09:30, and +10:30 from the first Sunday of October to the
// first Sunday of April.
constexpr const char kAdelaide[] = "ACST-9:30ACDT,M10.1.0,M4.1.0/3";
// New York: -05:00, and -04:00 from the second Sunday of March to the first
// Sunday of November.
constexpr const char kNewYork[] = "EST5EDT,M3.2.0,M11.1.0";

class ApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    }
    void TearDown() override { EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS); }

    // Descriptors are released with the environment.
    OCIDateTime *NewDateTime(ub4 type) {
        void *d = nullptr;
        EXPECT_EQ(OCIDescriptorAlloc(env, &d, type, 0, nullptr), OCI_SUCCESS);
        return static_cast<OCIDateTime *>(d);
    }
    OCIInterval *NewInterval(ub4 type) {
        void *d = nullptr;
        EXPECT_EQ(OCIDescriptorAlloc(env, &d, type, 0, nullptr), OCI_SUCCESS);
        return static_cast<OCIInterval *>(d);
    }

    // Error number and text of the first record; -1 when there is none.
    sb4 Code() {
        sb4 code = -1;
        oratext buf[512];
        if (OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return -1;
        message = reinterpret_cast<const char *>(buf);
        return code;
    }
    // The call failed with exactly this error.
    void ExpectError(sword rc, sb4 code) {
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_EQ(Code(), code) << message;
    }
    void ExpectMissing(sword rc, int position) {
        ExpectError(rc, 21560);
        EXPECT_NE(message.find("argument " + std::to_string(position)), std::string::npos) << message;
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    std::string message;
};

}  // namespace dtapi_test

// Choosing the client character set from NLS_LANG and the process locale.
// Each case starts from a clean environment and the C locale and puts both
// back afterwards.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "env/env.h"

namespace {

class InitNlsTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    void Reset() {
        if (env_ != nullptr) OCIHandleFree(env_, OCI_HTYPE_ENV);
        env_ = nullptr;
        for (const char *name : {"NLS_LANG", "LC_ALL", "LC_CTYPE", "LANG"}) unsetenv(name);
        std::setlocale(LC_ALL, "C");
    }
    static bool Installed(const char *name) {
        const bool installed = std::setlocale(LC_ALL, name) != nullptr;
        std::setlocale(LC_ALL, "C");
        return installed;
    }
    // A fresh environment's character set; the previous one is released.
    sb4 Create(ub4 mode = OCI_DEFAULT) {
        if (env_ != nullptr) OCIHandleFree(env_, OCI_HTYPE_ENV);
        env_ = nullptr;
        EXPECT_EQ(OCIEnvCreate(&env_, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        return env_ != nullptr ? env_->charsetId : -1;
    }
    static std::string Locale() { return std::setlocale(LC_ALL, nullptr); }
    // glibc reports the POSIX locale under its other name.
    static bool IsPosix() { return Locale() == "C" || Locale() == "POSIX"; }
    OCIEnv *env_ = nullptr;
};

#define REQUIRE_LOCALE(name) \
    if (!Installed(name)) GTEST_SKIP() << name << " is not installed"

TEST_F(InitNlsTest, NlsLangNamingAnInstalledLocale) {
    REQUIRE_LOCALE("en_US.UTF-8");
    setenv("NLS_LANG", "en_US.utf-8", 1);
    EXPECT_EQ(Create(), 6);
    EXPECT_EQ(Locale(), "en_US.UTF-8");  // the code set as the match list spells it
}

TEST_F(InitNlsTest, TheProcessLocaleDecidesWhenNlsLangCannot) {
    REQUIRE_LOCALE("de_DE.ISO-8859-1");
    REQUIRE_LOCALE("en_US.UTF-8");
    setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);  // not a system code set
    setenv("LANG", "de_DE.ISO-8859-1", 1);
    EXPECT_EQ(Create(), 8);
    EXPECT_EQ(Locale(), "de_DE.ISO-8859-1");
    setenv("NLS_LANG", "GERMAN_GERMANY.CP1252", 1);  // no such locale
    setenv("LANG", "en_US.UTF-8", 1);
    EXPECT_EQ(Create(), 6);
    setenv("LC_ALL", "de_DE.ISO-8859-1", 1);  // LC_ALL before LANG
    EXPECT_EQ(Create(), 8);
    EXPECT_EQ(Locale(), "de_DE.ISO-8859-1");
}

// A locale without a territory still names its code set: C.UTF-8 is UTF8,
// also when NLS_LANG spells the code set the way Oracle does.
TEST_F(InitNlsTest, CodeSetOfALocaleWithoutTerritory) {
    REQUIRE_LOCALE("C.UTF-8");
    setenv("LANG", "C.UTF-8", 1);
    EXPECT_EQ(Create(), 6);
    EXPECT_EQ(Locale(), "C.UTF-8");
    setenv("NLS_LANG", "AMERICAN_AMERICA.AL32UTF8", 1);
    EXPECT_EQ(Create(), 6);
    setenv("LANG", "xx.UTF-8", 1);  // not installed: nothing to switch to
    EXPECT_EQ(Create(), 0);
}

TEST_F(InitNlsTest, PosixAndUnusableLocalesGiveSqlAscii) {
    for (const char *lcAll : {"C", "POSIX", "xx_XX.UTF-8"}) {
        setenv("LC_ALL", lcAll, 1);
        EXPECT_EQ(Create(), 0) << lcAll;
        EXPECT_TRUE(IsPosix()) << lcAll << " -> " << Locale();
    }
    // POSIX pairs with SQL_ASCII; read as an encoding name it would be UTF8.
    setenv("NLS_LANG", "AMERICAN_AMERICA.POSIX", 1);
    EXPECT_EQ(Create(), 0);
    EXPECT_TRUE(IsPosix());
}

TEST_F(InitNlsTest, ExplicitNumbersLeaveTheLocaleAlone) {
    REQUIRE_LOCALE("de_DE.ISO-8859-1");
    setenv("LC_ALL", "C", 1);
    ASSERT_EQ(Create(), 0);
    std::setlocale(LC_ALL, "de_DE.ISO-8859-1");
    InitNls(env_, 34);
    EXPECT_EQ(env_->charsetId, 34);
    EXPECT_EQ(Locale(), "de_DE.ISO-8859-1");
    // A UTF-16 environment is set up without consulting NLS_LANG.
    setenv("NLS_LANG", "AMERICAN_AMERICA.ISO-8859-1", 1);
    EXPECT_EQ(Create(OCI_UTF16), 39);
    EXPECT_EQ(Locale(), "de_DE.ISO-8859-1");
}

}  // namespace

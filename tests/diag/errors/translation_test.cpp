// Catalogue texts pass through gettext in the "tavoci" domain, found in the
// directory named by TAVLOCALEDIR (set by the test's environment).
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include "diag/catalogue.h"
#include "diag/errors.h"
#include "env/env.h"

TEST(Translation, TextsComeFromTheTavociDomain) {
    // gettext ignores LANGUAGE under the C locale; any installed UTF-8 locale will do.
    const char *locales[] = {"en_US.UTF-8", "C.UTF-8", "de_DE.UTF-8"};
    const char *chosen = nullptr;
    for (const char *name : locales) {
        if (std::string(name) != "C.UTF-8" && std::setlocale(LC_ALL, name) != nullptr) {
            chosen = name;
            break;
        }
    }
    if (chosen == nullptr) GTEST_SKIP() << "no non-C locale installed";
    // Environment creation selects the process locale from the process
    // environment; make it pick the one chosen here.
    setenv("LC_ALL", chosen, 1);

    OCIEnv *env = nullptr;
    ASSERT_EQ(OCIEnvCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    EXPECT_STREQ(o2pGetErrorText(942), "VOSKARI-00942: Tabelle oder View existiert nicht");
    EXPECT_STREQ(o2pGetErrorText(943), "UNBEKANNTER FEHLERCODE");
    EXPECT_STREQ(o2pGetErrorText(1403), "VOSKARI-01403: no data found");  // untranslated stays

    // Records read back through OCIErrorGet are translated too.
    AddErrorRecord(env->errhp, OCI_ERROR, 942);
    sb4 code = 0;
    text buf[200];
    ASSERT_EQ(OCIErrorGet(env, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ENV), OCI_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char *>(buf), "VOSKARI-00942: Tabelle oder View existiert nicht");
    OCIHandleFree(env, OCI_HTYPE_ENV);
    unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");
}

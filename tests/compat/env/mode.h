// Creating environments in either mode: OCI_COMPAT is set or cleared just
// before the environment is made (the mode is read then) and cleared after.
#pragma once
#include <gtest/gtest.h>
#include <oci.h>

#include <cstdlib>
#include <string>

#include "support/error_record.h"

namespace compat_env_test {

inline void SelectMode(bool oracle) {
    if (oracle) setenv("OCI_COMPAT", "oracle", 1);
    else unsetenv("OCI_COMPAT");
}

// An environment of the mode (with OCIEnvNlsCreate's character sets).
inline OCIEnv *NewEnv(bool oracle, ub2 charset = 0, ub2 ncharset = 0, ub4 mode = OCI_DEFAULT) {
    SelectMode(oracle);
    OCIEnv *env = nullptr;
    const sword rc = OCIEnvNlsCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr, charset, ncharset);
    unsetenv("OCI_COMPAT");
    return rc == OCI_SUCCESS ? env : nullptr;
}

template <class T> T *Alloc(OCIEnv *env, ub4 type) {
    void *h = nullptr;
    EXPECT_EQ(OCIHandleAlloc(env, &h, type, 0, nullptr), OCI_SUCCESS);
    return static_cast<T *>(h);
}

// Record 1 of an error handle: its number (-1: no record) and text.
using testsupport::FirstRecord;
using testsupport::Record;

class BothModes : public ::testing::TestWithParam<bool> {
protected:
    bool Oracle() const { return GetParam(); }
};

inline std::string ModeName(const ::testing::TestParamInfo<bool> &info) { return info.param ? "Oracle" : "Own"; }

}  // namespace compat_env_test

// Environment and error-handle helpers shared by the platform tests.
#pragma once
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <string>

#include <oci.h>

#include "support/error_record.h"

namespace platform_test {

inline OCIEnv *NewEnv(ub4 mode = OCI_THREADED) {
    OCIEnv *env = nullptr;
    EXPECT_EQ(OCIEnvCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    return env;
}

inline OCIError *NewError(OCIEnv *env) {
    void *err = nullptr;
    EXPECT_EQ(OCIHandleAlloc(env, &err, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    return static_cast<OCIError *>(err);
}

// The first record of `handle` read as `type`; code -1 when there is none.
using testsupport::FirstRecord;
using testsupport::Record;

inline sb4 ErrorCode(void *handle, ub4 type = OCI_HTYPE_ERROR) { return FirstRecord(handle, type).code; }

// Counts events across threads. Built on a mutex and a condition variable
// rather than atomics or futures so that helgrind sees the ordering too.
class Events {
public:
    void Add() {
        std::lock_guard<std::mutex> guard(lock_);
        count_++;
        changed_.notify_all();
    }
    void WaitFor(int count) {
        std::unique_lock<std::mutex> guard(lock_);
        changed_.wait(guard, [&] { return count_ >= count; });
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    int count_ = 0;
};

// An environment with one error handle, released at the end of the test.
class EnvTest : public ::testing::Test {
protected:
    explicit EnvTest(ub4 mode = OCI_THREADED) : mode_(mode) {}
    void SetUp() override {
        env = NewEnv(mode_);
        ASSERT_NE(env, nullptr);
        err = NewError(env);
        ASSERT_NE(err, nullptr);
    }
    void TearDown() override {
        if (env != nullptr) {
            EXPECT_EQ(OCIHandleFree(env, OCI_HTYPE_ENV), OCI_SUCCESS);
        }
    }
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;

private:
    ub4 mode_;
};

}  // namespace platform_test

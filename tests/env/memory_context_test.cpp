// OCIMemory and OCIContext calls.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "env/env.h"

namespace {

class ContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(OCIEnvCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&session), OCI_HTYPE_SESSION, 0, nullptr),
                  OCI_SUCCESS);
    }
    void TearDown() override { OCIHandleFree(env, OCI_HTYPE_ENV); }

    sword Set(void *hdl, const char *key, void *value) {
        return OCIContextSetValue(hdl, err, OCI_DURATION_SESSION,
                                  reinterpret_cast<ub1 *>(const_cast<char *>(key)),
                                  static_cast<ub1>(strlen(key)), value);
    }
    sword Get(void *hdl, const char *key, void **value) {
        return OCIContextGetValue(hdl, err, reinterpret_cast<ub1 *>(const_cast<char *>(key)),
                                  static_cast<ub1>(strlen(key)), value);
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCISession *session = nullptr;
    int one = 1, two = 2, three = 3;
};

TEST_F(ContextTest, LatestValueWinsAndEnvironmentAndSessionAreSeparate) {
    ASSERT_EQ(Set(env, "key", &one), OCI_SUCCESS);
    ASSERT_EQ(Set(env, "key", &two), OCI_SUCCESS);
    ASSERT_EQ(Set(session, "key", &three), OCI_SUCCESS);
    void *value = nullptr;
    ASSERT_EQ(Get(env, "key", &value), OCI_SUCCESS);
    EXPECT_EQ(value, &two);
    ASSERT_EQ(Get(session, "key", &value), OCI_SUCCESS);
    EXPECT_EQ(value, &three);

    // A key that was never set leaves the caller's variable alone.
    value = &one;
    EXPECT_EQ(Get(session, "other", &value), OCI_SUCCESS);
    EXPECT_EQ(value, &one);
    // A key that is a prefix of a stored key does not match it.
    EXPECT_EQ(Get(env, "ke", &value), OCI_SUCCESS);
    EXPECT_EQ(value, &one);
}

// A null value removes the entry: the key reads as never set again.
TEST_F(ContextTest, NullValueClearsTheEntry) {
    ASSERT_EQ(Set(session, "key", &one), OCI_SUCCESS);
    ASSERT_EQ(Set(session, "other", &two), OCI_SUCCESS);
    ASSERT_EQ(Set(session, "key", nullptr), OCI_SUCCESS);
    EXPECT_EQ(list_length(session->contexts), 1);
    void *value = &three;
    ASSERT_EQ(Get(session, "key", &value), OCI_SUCCESS);
    EXPECT_EQ(value, &three);
    ASSERT_EQ(Get(session, "other", &value), OCI_SUCCESS);
    EXPECT_EQ(value, &two);
    EXPECT_EQ(Set(session, "never", nullptr), OCI_SUCCESS);
}

TEST_F(ContextTest, ArgumentAndHandleChecks) {
    std::string longKey(65, 'k');
    EXPECT_EQ(Set(env, longKey.c_str(), &one), OCI_ERROR);
    EXPECT_EQ(ErrorRecordCount(err), 0);
    EXPECT_EQ(OCIContextSetValue(env, err, OCI_DURATION_SESSION, reinterpret_cast<ub1 *>(const_cast<char *>("k")),
                                 0, &one),
              OCI_ERROR);
    EXPECT_EQ(ErrorRecordCount(err), 0);
    EXPECT_EQ(Set(env, std::string(64, 'k').c_str(), &one), OCI_SUCCESS);

    EXPECT_EQ(Set(nullptr, "k", &one), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIContextSetValue(env, reinterpret_cast<OCIError *>(env), OCI_DURATION_SESSION,
                                 reinterpret_cast<ub1 *>(const_cast<char *>("k")), 1, &one),
              OCI_INVALID_HANDLE);

    // Any other kind of handle: 24316 on the error handle.
    void *svc = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &svc, OCI_HTYPE_SVCCTX, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(Set(svc, "k", &one), OCI_ERROR);
    sb4 code = 0;
    text buf[128];
    ASSERT_EQ(OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR), OCI_SUCCESS);
    EXPECT_EQ(code, 24316);
    EXPECT_STREQ(reinterpret_cast<char *>(buf), "VOSKARI-24316: handle is invalid");
    void *value = nullptr;
    EXPECT_EQ(Get(svc, "k", &value), OCI_ERROR);
}

TEST_F(ContextTest, MemoryAllocDurations) {
    void *mem = nullptr;
    EXPECT_EQ(OCIMemoryAlloc(env, err, &mem, OCI_DURATION_CALL, 16, 0), OCI_ERROR);
    EXPECT_EQ(mem, nullptr);
    EXPECT_EQ(OCIMemoryAlloc(env, err, nullptr, OCI_DURATION_SESSION, 16, 0), OCI_ERROR);
    ASSERT_EQ(OCIMemoryAlloc(env, err, &mem, OCI_DURATION_SESSION, 16, 0), OCI_SUCCESS);
    static_cast<char *>(mem)[15] = 'x';  // the whole block is usable
    EXPECT_EQ(OCIMemoryFree(env, err, mem), OCI_SUCCESS);
    ASSERT_EQ(OCIMemoryAlloc(env, err, &mem, OCI_DURATION_STATEMENT, 1, 0), OCI_SUCCESS);
    EXPECT_EQ(OCIMemoryFree(nullptr, nullptr, mem), OCI_SUCCESS);
    EXPECT_EQ(OCIMemoryFree(env, err, nullptr), OCI_SUCCESS);
    EXPECT_EQ(ErrorRecordCount(err), 0);

    // OCI_MEMORY_CLEARED zeroes the block, also when the heap hands back
    // memory that was just written.
    const ub4 size = 4096;
    ASSERT_EQ(OCIMemoryAlloc(env, err, &mem, OCI_DURATION_SESSION, size, 0), OCI_SUCCESS);
    memset(mem, 0xAB, size);
    EXPECT_EQ(OCIMemoryFree(env, err, mem), OCI_SUCCESS);
    ASSERT_EQ(OCIMemoryAlloc(env, err, &mem, OCI_DURATION_SESSION, size, OCI_MEMORY_CLEARED), OCI_SUCCESS);
    EXPECT_EQ(std::string(static_cast<char *>(mem), size), std::string(size, '\0'));
    EXPECT_EQ(OCIMemoryFree(env, err, mem), OCI_SUCCESS);

    // Session memory given on a session goes with it (the leak check and the
    // sanitizer build see to "once": a block freed early is not freed again).
    void *kept = nullptr, *early = nullptr;
    ASSERT_EQ(OCIMemoryAlloc(session, err, &kept, OCI_DURATION_SESSION, 32, 0), OCI_SUCCESS);
    ASSERT_EQ(OCIMemoryAlloc(session, err, &early, OCI_DURATION_SESSION, 32, 0), OCI_SUCCESS);
    EXPECT_EQ(list_length(session->memory), 2);
    EXPECT_EQ(OCIMemoryFree(env, err, early), OCI_SUCCESS);
    EXPECT_EQ(list_length(session->memory), 1);
    EXPECT_EQ(OCIHandleFree(session, OCI_HTYPE_SESSION), OCI_SUCCESS);
}

}  // namespace

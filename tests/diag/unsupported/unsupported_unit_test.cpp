// What the refusals leave inside the error handle (the message buffer, the
// records) and what they write to the debug log.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "diag/catalogue.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/env.h"

namespace {

const std::string kUnsupportedText = O2P_ERROR_PREFIX "03001: unsupported feature";

class UnsupportedState : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TAV_OCI_UIFCTN_RET_OK", "", 1);
        ASSERT_EQ(OCIEnvCreate(&env_, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr),
                  OCI_SUCCESS);
        void *h = nullptr;
        ASSERT_EQ(OCIHandleAlloc(env_, &h, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        errhp_ = static_cast<OCIError *>(h);
        ASSERT_EQ(OCIHandleAlloc(env_, &h, OCI_HTYPE_SVCCTX, 0, nullptr), OCI_SUCCESS);
        svchp_ = static_cast<OCISvcCtx *>(h);
        // A record from an earlier call and a message left in the buffer.
        ASSERT_EQ(AddErrorRecord(errhp_, OCI_ERROR, 1403), 0);
        std::snprintf(errhp_->message, sizeof errhp_->message, "earlier text");
    }
    void TearDown() override {
        unsetenv("TAV_OCI_UIFCTN_RET_OK");
        oci_debug_log = nullptr;
        OCI2PQ_TRACE_LEVEL = 0;
        if (log_ != nullptr) fclose(log_);
        free(logText_);
        EXPECT_EQ(OCIHandleFree(env_, OCI_HTYPE_ENV), OCI_SUCCESS);
    }

    void ExpectEarlierRecordOnly() {
        ASSERT_EQ(ErrorRecordCount(errhp_), 1);
        EXPECT_EQ(ErrorRecordAt(errhp_, 1)->errcode, 1403);
    }

    void Trace(int level) {
        log_ = open_memstream(&logText_, &logSize_);
        oci_debug_log = log_;
        OCI2PQ_TRACE_LEVEL = level;
    }
    std::string Logged() {
        fflush(log_);
        return std::string(logText_, logSize_);
    }

    OCIEnv *env_ = nullptr;
    OCIError *errhp_ = nullptr;
    OCISvcCtx *svchp_ = nullptr;
    FILE *log_ = nullptr;
    char *logText_ = nullptr;
    size_t logSize_ = 0;
};

TEST_F(UnsupportedState, GuardedCallLeavesTheTextButNoRecord) {
    EXPECT_EQ(OCILobTrim2(svchp_, errhp_, nullptr, 0), OCI_SUCCESS);
    EXPECT_EQ(errhp_->message, kUnsupportedText);
    ExpectEarlierRecordOnly();
}

TEST_F(UnsupportedState, PlainRefusalTouchesNeitherRecordsNorText) {
    void *instance = nullptr;
    EXPECT_EQ(OCIObjectNew(env_, errhp_, svchp_, OCI_TYPECODE_OBJECT, nullptr, nullptr,
                           OCI_DURATION_SESSION, TRUE, &instance),
              OCI_ERROR);
    EXPECT_EQ(instance, nullptr);
    EXPECT_STREQ(errhp_->message, "earlier text");
    ExpectEarlierRecordOnly();
}

TEST_F(UnsupportedState, PoolAndXmlRefusalsLeaveTheText) {
    EXPECT_EQ(OCIConnectionPoolDestroy(nullptr, errhp_, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(errhp_->message, kUnsupportedText);
    ExpectEarlierRecordOnly();

    std::snprintf(errhp_->message, sizeof errhp_->message, "earlier text");
    EXPECT_EQ(OCIXmlDbInitXmlCtx(env_, svchp_, errhp_, nullptr, 0), nullptr);
    EXPECT_EQ(errhp_->message, kUnsupportedText);
    ExpectEarlierRecordOnly();
}

TEST_F(UnsupportedState, OtherHandlesAreNotTakenForErrorHandles) {
    // Nothing but an error handle has a message buffer to write.
    std::vector<unsigned char> before(reinterpret_cast<unsigned char *>(env_),
                                      reinterpret_cast<unsigned char *>(env_) + sizeof(OCIEnv));
    OCIError *notAnErrorHandle = reinterpret_cast<OCIError *>(env_);
    EXPECT_EQ(OCILobFileCloseAll(svchp_, notAnErrorHandle), OCI_SUCCESS);
    EXPECT_EQ(OCIConnectionPoolDestroy(nullptr, notAnErrorHandle, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(OCIXmlDbInitXmlCtx(nullptr, nullptr, notAnErrorHandle, nullptr, 0), nullptr);
    EXPECT_EQ(std::memcmp(before.data(), env_, sizeof(OCIEnv)), 0);
    EXPECT_STREQ(errhp_->message, "earlier text");
}

TEST_F(UnsupportedState, GuardedCallTracesWhatItIsAndItsArguments) {
    Trace(4);
    EXPECT_EQ(OCILobFileOpen(svchp_, errhp_, nullptr, OCI_FILE_READONLY), OCI_SUCCESS);
    char expected[512];
    std::snprintf(expected, sizeof expected,
                  "Opening BFILE\n\tsvchp = %p\n\terrhp = %p\n\tfilep = %p\n\tmode = %d\n"
                  "\tRETURNING SUCCESS\n",
                  static_cast<void *>(svchp_), static_cast<void *>(errhp_),
                  static_cast<void *>(nullptr), OCI_FILE_READONLY);
    // Each line carries the o2pTrace prefix; compare the messages only.
    std::string log = Logged();
    std::string messages;
    for (size_t start = 0; start < log.size();) {
        size_t end = log.find('\n', start);
        std::string line = log.substr(start, end - start);
        size_t cut = line.find("]: ");
        messages += (cut == std::string::npos ? line : line.substr(cut + 3)) + "\n";
        start = end + 1;
    }
    EXPECT_EQ(messages, std::string(expected));
}

TEST_F(UnsupportedState, RefusalsTraceTheirResultInTheirOwnType) {
    Trace(4);
    EXPECT_EQ(OCIWideCharStrcpy(env_, nullptr, nullptr), static_cast<size_t>(-1));
    EXPECT_EQ(OCIMessageGet(nullptr, 7, nullptr, 0), nullptr);
    EXPECT_EQ(OCIObjectUnpin(env_, errhp_, nullptr), OCI_ERROR);
    std::string log = Logged();
    EXPECT_NE(log.find("Copying Wide String\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\tRETURNING -1\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\tmsgno = 7\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\tRETURNING (nil)\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\tRETURNING ERROR\n"), std::string::npos) << log;
}

TEST_F(UnsupportedState, LevelThreeTracesOnlyTheDescription) {
    Trace(3);
    EXPECT_EQ(OCICollTrim(env_, errhp_, 1, nullptr), OCI_ERROR);
    std::string log = Logged();
    EXPECT_NE(log.find("Trimming Collection\n"), std::string::npos) << log;
    EXPECT_EQ(log.find("RETURNING"), std::string::npos) << log;
    EXPECT_EQ(log.find("trim_num"), std::string::npos) << log;
}

}  // namespace

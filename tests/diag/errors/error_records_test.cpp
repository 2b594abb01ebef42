// Error records: the producers, OCIErrorGet and OCIPGErrorGet.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>
#include <string>

#include "diag/catalogue.h"
#include "diag/errors.h"
#include "env/env.h"
#include "env/memory.h"

namespace {

class ErrorTest : public ::testing::Test {
protected:
    void SetUp() override { Create(OCI_DEFAULT); }
    void TearDown() override { OCIHandleFree(env, OCI_HTYPE_ENV); }
    void Create(ub4 mode) {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        ASSERT_EQ(OCIEnvCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    }
    std::string Text(ub4 recordno, sb4 *code = nullptr, ub4 bufsiz = 512) {
        sb4 c = -1;
        std::string buf(bufsiz, '\x7f');
        sword rc = OCIErrorGet(err, recordno, nullptr, &c, reinterpret_cast<OraText *>(&buf[0]), bufsiz,
                               OCI_HTYPE_ERROR);
        if (code != nullptr) *code = c;
        if (rc != OCI_SUCCESS) return "<" + std::to_string(rc) + ">";
        return std::string(buf.c_str());
    }
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
};

TEST_F(ErrorTest, RecordsReadBackInOrderWithNumbersAndTexts) {
    AddErrorRecord(err, OCI_ERROR, 942);
    AddErrorRecord2(err, OCI_ERROR, 12154, "could not translate host name");
    AddErrorRecordMsg(err, OCI_SUCCESS_WITH_INFO, "a message of its own");
    AddErrorRecordStringX(err, OCI_ERROR, 932, 2, "NUMBER", "TEXT");
    sb4 code;
    EXPECT_EQ(Text(1, &code), O2P_ERROR_PREFIX "00942: table or view does not exist");
    EXPECT_EQ(code, 942);
    EXPECT_EQ(Text(2, &code), "could not translate host name");
    EXPECT_EQ(code, 12154);
    EXPECT_EQ(Text(3, &code), "a message of its own");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(Text(4, &code), O2P_ERROR_PREFIX "00932: data types not consistent - expected NUMBER got TEXT");
    EXPECT_EQ(Text(5, &code), "<100>");  // OCI_NO_DATA
    EXPECT_EQ(ErrorRecordCount(err), 4);
    // Reading does not clear.
    EXPECT_EQ(Text(1), O2P_ERROR_PREFIX "00942: table or view does not exist");
}

TEST_F(ErrorTest, StringXFillsPlaceholdersInOrderAndStopsWhenTheyRunOut) {
    AddErrorRecordStringX(err, OCI_ERROR, 1, 1, "SCOTT");
    AddErrorRecordStringX(err, OCI_ERROR, 1, 3, "SCOTT", "PK_EMP", "extra");
    AddErrorRecordStringX(err, OCI_ERROR, 21560, 1, "3");
    // An argument that itself contains %s is not expanded again.
    AddErrorRecordStringX(err, OCI_ERROR, 932, 2, "%s", "X");
    const std::string longArg(2000, 'a');
    AddErrorRecordStringX(err, OCI_ERROR, 4043, 1, longArg.c_str());
    EXPECT_EQ(Text(1), O2P_ERROR_PREFIX "00001: unique constraint (SCOTT.%s) violated");
    EXPECT_EQ(Text(2), O2P_ERROR_PREFIX "00001: unique constraint (SCOTT.PK_EMP) violated");
    EXPECT_EQ(Text(3), O2P_ERROR_PREFIX "21560: null, invalid, or out of range argument 3");
    EXPECT_EQ(Text(4), O2P_ERROR_PREFIX "00932: data types not consistent - expected %s got X");
    EXPECT_EQ(Text(5, nullptr, 2048).size(), 1023u);  // the working text is bounded
}

TEST_F(ErrorTest, ShortBuffersAndArgumentChecks) {
    AddErrorRecord(err, OCI_ERROR, 942);
    // Nine bytes of the text and its terminator.
    EXPECT_EQ(Text(1, nullptr, 10), std::string(O2P_ERROR_PREFIX "00942: table or view does not exist").substr(0, 9));
    EXPECT_EQ(Text(1, nullptr, 1), "");
    sb4 code = 0;
    EXPECT_EQ(OCIErrorGet(err, 0, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR), OCI_ERROR);
    EXPECT_EQ(OCIErrorGet(err, 1, nullptr, nullptr, nullptr, 0, OCI_HTYPE_ERROR), OCI_ERROR);
    EXPECT_EQ(OCIErrorGet(nullptr, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR), OCI_ERROR);
    // Without a buffer only the number is returned.
    EXPECT_EQ(OCIErrorGet(err, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR), OCI_SUCCESS);
    EXPECT_EQ(code, 942);
    // A handle that is not an error handle, read as one.
    EXPECT_EQ(OCIErrorGet(env, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR), OCI_ERROR);
    int garbage[8] = {77};
    EXPECT_EQ(OCIErrorGet(garbage, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR), OCI_INVALID_HANDLE);
}

TEST_F(ErrorTest, ProducersRefuseForeignHandles) {
    EXPECT_EQ(AddErrorRecord(nullptr, OCI_ERROR, 942), OCI_INVALID_HANDLE);
    auto *notErr = reinterpret_cast<OCIError *>(env);
    EXPECT_EQ(AddErrorRecord(notErr, OCI_ERROR, 942), OCI_INVALID_HANDLE);
    EXPECT_EQ(AddErrorRecord2(notErr, OCI_ERROR, 942, "x"), OCI_INVALID_HANDLE);
    EXPECT_EQ(AddErrorRecordMsg(notErr, OCI_ERROR, "x"), OCI_INVALID_HANDLE);
    EXPECT_EQ(AddErrorRecordStringX(notErr, OCI_ERROR, 932, 0), OCI_INVALID_HANDLE);
    EXPECT_EQ(AddPGErrorRecord(nullptr, OCI_ERROR, nullptr), OCI_ERROR);
    EXPECT_EQ(AddPGErrorRecord(notErr, OCI_ERROR, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(ErrorRecordCount(env->errhp), 0);
    ClearErrorHandle(notErr);  // does nothing to another kind
    EXPECT_EQ(env->handleType, HANDLE_OCIEnv);
}

TEST_F(ErrorTest, NullServerResultKeepsAllFields) {
    AddPGErrorRecord(err, OCI_ERROR, nullptr);
    sb4 code = -1;
    EXPECT_EQ(Text(1, &code), "Unexpected NULL PGresult");
    EXPECT_EQ(code, 0);
    OraText state[6] = {};
    OraText msg[64] = {};
    ASSERT_EQ(OCIPGErrorGet(err, 1, state, sizeof state, msg, sizeof msg, OCI_HTYPE_ERROR), OCI_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char *>(state), "08P01");
    EXPECT_STREQ(reinterpret_cast<char *>(msg), "Unexpected NULL PGresult");
    // A short SQLSTATE buffer gets what fits, terminated.
    OraText small[3] = {'x', 'x', 'x'};
    ASSERT_EQ(OCIPGErrorGet(err, 1, small, sizeof small, nullptr, 0, OCI_HTYPE_ERROR), OCI_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<char *>(small), "08");
    // Records without server details have nothing to give.
    AddErrorRecord(err, OCI_ERROR, 942);
    EXPECT_EQ(OCIPGErrorGet(err, 2, state, sizeof state, msg, sizeof msg, OCI_HTYPE_ERROR), OCI_NO_DATA);
    EXPECT_EQ(OCIPGErrorGet(err, 3, state, sizeof state, msg, sizeof msg, OCI_HTYPE_ERROR), OCI_NO_DATA);
    EXPECT_EQ(OCIPGErrorGet(err, 1, nullptr, 0, msg, sizeof msg, OCI_HTYPE_ERROR), OCI_ERROR);
}

TEST_F(ErrorTest, EnvironmentHandleReadsItsOwnErrorHandle) {
    void *h = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &h, OCI_HTYPE_STMT, 8, nullptr), OCI_ERROR);
    sb4 code = 0;
    text buf[100];
    ASSERT_EQ(OCIErrorGet(env, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ENV), OCI_SUCCESS);
    EXPECT_EQ(code, 16530);
    EXPECT_STREQ(reinterpret_cast<char *>(buf), O2P_ERROR_PREFIX "16530: buffer or length invalid");
    // Any other type than OCI_HTYPE_ERROR reads the environment's handle,
    // also when the handle given is a child of the environment.
    ASSERT_EQ(OCIErrorGet(err, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_STMT), OCI_SUCCESS);
    EXPECT_EQ(code, 16530);
    EXPECT_EQ(OCIErrorGet(err, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR), OCI_NO_DATA);
}

TEST_F(ErrorTest, Utf16EnvironmentReturnsUtf16Texts) {
    Create(OCI_UTF16);
    AddErrorRecord(err, OCI_ERROR, 942);
    AddErrorRecordMsg(err, OCI_ERROR, "caf\xc3\xa9");
    ub1 buf[128];
    sb4 code = 0;
    ASSERT_EQ(OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR), OCI_SUCCESS);
    const char *expected = O2P_ERROR_PREFIX "00942";
    for (size_t i = 0; i < std::strlen(expected); i++) {
        EXPECT_EQ(buf[2 * i], static_cast<ub1>(expected[i]));
        EXPECT_EQ(buf[2 * i + 1], 0);
    }
    ASSERT_EQ(OCIErrorGet(err, 2, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR), OCI_SUCCESS);
    const ub1 cafe[] = {'c', 0, 'a', 0, 'f', 0, 0xE9, 0};
    EXPECT_EQ(std::memcmp(buf, cafe, sizeof cafe), 0);

    // A text that is not valid UTF-8 cannot be converted: a record says why.
    AddErrorRecordMsg(err, OCI_ERROR, "bad \xff byte");
    AddErrorRecordMsg(err, OCI_ERROR, "cut \xc3");
    EXPECT_EQ(OCIErrorGet(err, 3, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR), OCI_ERROR);
    EXPECT_EQ(OCIErrorGet(err, 4, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR), OCI_ERROR);
    ASSERT_EQ(ErrorRecordCount(err), 6);
    EXPECT_STREQ(ErrorRecordAt(err, 5)->msg, "An invalid multibyte sequence has been encountered in the input");
    EXPECT_STREQ(ErrorRecordAt(err, 6)->msg, "An incomplete multibyte sequence has been encountered in the input");
}

// A UTF-16 reader stops at a zero 16-bit unit: the text ends with one for
// every buffer size, and a cut never splits a surrogate pair or overruns.
TEST_F(ErrorTest, Utf16TextsEndWithAZeroUnitWhateverTheBufferSize) {
    Create(OCI_UTF16);
    AddErrorRecordMsg(err, OCI_ERROR, "ab\xf0\x9f\x98\x80");  // a, b, U+1F600
    const ub2 full[] = {'a', 'b', 0xD83D, 0xDE00};
    for (ub4 size = 0; size <= 12; ++size) {
        std::vector<ub1> buf(size + 4, 0xEE);
        sb4 code = 0;
        ASSERT_EQ(OCIErrorGet(err, 1, nullptr, &code, size ? buf.data() : nullptr, size, OCI_HTYPE_ERROR),
                  OCI_SUCCESS);
        for (ub4 i = size; i < buf.size(); ++i) ASSERT_EQ(buf[i], 0xEE) << size;
        if (size < 2) continue;
        size_t units = 0;
        ub2 unit;
        while (std::memcpy(&unit, &buf[2 * units], 2), unit != 0) {
            ASSERT_LT(2 * units + 2, size) << size;
            EXPECT_EQ(unit, full[units]) << size;
            ++units;
        }
        const size_t expected = size >= 10 ? 4 : std::min<size_t>(size / 2 - 1, 2);
        EXPECT_EQ(units, expected) << size;
    }
}

TEST_F(ErrorTest, MessageBufferIsSeparateFromRecords) {
    AddErrorRecord(err, OCI_ERROR, 942);
    SetErrorHandleMessage(err, 3001);
    EXPECT_STREQ(err->message, O2P_ERROR_PREFIX "03001: unsupported feature");
    EXPECT_EQ(ErrorRecordCount(err), 1);
    ClearErrorHandle(err);
    EXPECT_EQ(ErrorRecordCount(err), 0);
    EXPECT_STREQ(err->message, O2P_ERROR_PREFIX "03001: unsupported feature");  // clearing keeps it
}

TEST_F(ErrorTest, OutOfMemoryWhileAddingARecordLosesOnlyThatRecord) {
    AddErrorRecord(err, OCI_ERROR, 942);
    for (long n = 0; n < 4; n++) {
        o2pFailAllocationAfter(n);
        AddErrorRecord2(err, OCI_ERROR, 1403, "text");
        o2pFailAllocationAfter(-1);
    }
    // Every surviving record is complete and readable.
    for (int i = 1; i <= ErrorRecordCount(err); i++) {
        sb4 code = 0;
        EXPECT_NE(Text(static_cast<ub4>(i), &code), "");
        EXPECT_TRUE(code == 942 || code == 1403);
    }
    EXPECT_GE(ErrorRecordCount(err), 2);
}

}  // namespace

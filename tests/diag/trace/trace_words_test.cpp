// The code-to-word tables of the debug log, walked over their whole ranges.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "diag/trace.h"

namespace {

TEST(TraceWords, ReturnCodesHandleTypesDurations) {
    EXPECT_STREQ(o2pGetReturnCodeText(OCI_CONTINUE), "CONTINUE");
    EXPECT_STREQ(o2pGetReturnCodeText(OCI_STILL_EXECUTING), "STILL EXECUTING");
    EXPECT_STREQ(o2pGetReturnCodeText(OCI_SUCCESS_WITH_INFO), "SUCCESS WITH INFO");
    EXPECT_STREQ(o2pGetReturnCodeText(OCI_NO_DATA), "NO DATA");
    std::set<std::string> returns;
    for (sword status = -30000; status <= 200; ++status)
        returns.insert(o2pGetReturnCodeText(status));
    EXPECT_EQ(returns.size(), 9u);  // eight words and "UNKNOWN RETURN CODE"

    EXPECT_STREQ(o2pGetHandleTypeName(0), "");
    EXPECT_STREQ(o2pGetHandleTypeName(OCI_HTYPE_PROC), "HTYPE_PROC");
    EXPECT_STREQ(o2pGetHandleTypeName(OCI_DTYPE_LOB), "DTYPE_LOB");
    EXPECT_STREQ(o2pGetHandleTypeName(63), "DTYPE_INTERVAL");
    EXPECT_STREQ(o2pGetHandleTypeName(OCI_DTYPE_AQNFY_DESCRIPTOR), "DTYPE_AQNFY_DESCRIPTOR");
    std::set<std::string> handles;
    for (ub4 type = 1; type < 300; ++type) {
        std::string word = o2pGetHandleTypeName(type);
        EXPECT_EQ(word != "Invalid handle", type <= 17 || (type >= 50 && type <= 64)) << type;
        handles.insert(word);
    }
    EXPECT_EQ(handles.size(), 17u + 15u + 1u);

    const char *durations[] = {"PROCESS", "NEXT", nullptr, "DEFAULT", "NULL", "SESSION",
                               "TRANS", "CALL", "STATEMENT", "CALLOUT"};
    for (ub4 code = 0; code < 100; ++code) {
        const char *word = code >= 5 && code <= 14 ? durations[code - 5] : nullptr;
        EXPECT_EQ(o2pGetDurationText(code),
                  word ? "OCI_DURATION_" + std::string(word) : "UNKNOWN DURATION") << code;
    }
}

TEST(TraceWords, FunctionCodesCoverEveryNamedCode) {
    const std::set<ub4> unnamed = {9, 14, 15, 16, 19, 22, 23, 24, 30, 31, 36, 40, 41, 49, 53, 60};
    std::set<std::string> names;
    for (ub4 code = 0; code <= 200; ++code) {
        const char *name = o2pGetFunctionCode(code);
        ASSERT_EQ(name != nullptr, code >= 1 && code <= 123 && unnamed.count(code) == 0) << code;
        if (name != nullptr) names.insert(name);
    }
    EXPECT_EQ(names.size(), 123u - unnamed.size());  // no name used twice
    EXPECT_STREQ(o2pGetFunctionCode(2), "OCI_FNCODE_HANDLEALLOC");
    EXPECT_STREQ(o2pGetFunctionCode(37), "OCI_FNCODE_ERRORGET");
    EXPECT_STREQ(o2pGetFunctionCode(55), "OCI_FNCODE_ATTRSET");
    EXPECT_STREQ(o2pGetFunctionCode(OCI_FNCODE_STMTPREPARE2), "OCI_FNCODE_STMTPREPARE2");
    EXPECT_STREQ(o2pGetFunctionCode(OCI_FNCODE_MAXFCN), "OCI_FNCODE_LOBARRAYWRITE");
}

}  // namespace

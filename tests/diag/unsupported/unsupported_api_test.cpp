// Guarded entry points through the shared library: the process ends unless
// TAV_OCI_UIFCTN_RET_OK is present, user callbacks run around the call and
// decide its status, and no error record is ever added. Also the
// connection-pool and XML-context refusals.
#include <gtest/gtest.h>

#include <oci.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char *kRetOk = "TAV_OCI_UIFCTN_RET_OK";

class Unsupported : public ::testing::Test {
protected:
    void SetUp() override {
        setenv(kRetOk, "", 1);  // the empty value counts as set
        ASSERT_EQ(OCIEnvCreate(&env_, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr),
                  OCI_SUCCESS);
        errhp_ = static_cast<OCIError *>(Alloc(OCI_HTYPE_ERROR));
        svchp_ = static_cast<OCISvcCtx *>(Alloc(OCI_HTYPE_SVCCTX));
    }
    void TearDown() override {
        unsetenv(kRetOk);
        if (env_ != nullptr) {
            EXPECT_EQ(OCIHandleFree(env_, OCI_HTYPE_ENV), OCI_SUCCESS);
        }
    }

    void *Alloc(ub4 type) {
        void *h = nullptr;
        EXPECT_EQ(OCIHandleAlloc(env_, &h, type, 0, nullptr), OCI_SUCCESS);
        return h;
    }
    // Number of records on the test's error handle.
    int Records() {
        int n = 0;
        sb4 code = 0;
        while (OCIErrorGet(errhp_, n + 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR) == OCI_SUCCESS)
            n++;
        return n;
    }

    OCIEnv *env_ = nullptr;
    OCIError *errhp_ = nullptr;
    OCISvcCtx *svchp_ = nullptr;
};

// What the callbacks saw, in order.
struct Journal {
    std::vector<std::string> calls;
};

struct CallbackPlan {
    Journal *journal;
    const char *tag;
    sword result;
};

// Registered for OCITransDetach(svchp, errhp, flags): records its tag and
// the arguments it was handed.
sword RecordTransDetach(void *ctxp, void *, ub4, ub4, ub4, sword, sb4 *, va_list args) {
    auto *plan = static_cast<CallbackPlan *>(ctxp);
    void *svchp = va_arg(args, void *);
    void *errhp = va_arg(args, void *);
    ub4 flags = va_arg(args, ub4);
    char line[160];
    std::snprintf(line, sizeof line, "%s %p %p %u", plan->tag, svchp, errhp, flags);
    plan->journal->calls.push_back(line);
    return plan->result;
}

// Registered where only the fact of the call matters.
sword CountCall(void *ctxp, void *, ub4, ub4, ub4, sword, sb4 *, va_list) {
    auto *plan = static_cast<CallbackPlan *>(ctxp);
    plan->journal->calls.push_back(plan->tag);
    return plan->result;
}

sword AnnounceOnStderr(void *ctxp, void *, ub4, ub4, ub4, sword, sb4 *, va_list) {
    std::fprintf(stderr, "%s callback ran\n", static_cast<const char *>(ctxp));
    return OCI_CONTINUE;
}

void Register(OCIEnv *env, OCIError *errhp, ub4 fcode, ub4 when, OCIUserCallback cb, void *ctx) {
    ASSERT_EQ(OCIUserCallbackRegister(env, OCI_HTYPE_ENV, errhp, cb, ctx, fcode, when, nullptr),
              OCI_SUCCESS);
}

using UnsupportedDeathTest = Unsupported;

TEST_F(UnsupportedDeathTest, WithoutTheSwitchTheProcessEnds) {
    ub4 amount = 10;
    EXPECT_EXIT(
        {
            unsetenv(kRetOk);
            OCILobErase(svchp_, errhp_, nullptr, &amount, 1);
        },
        ::testing::ExitedWithCode(1),
        "^UNIMPLEMENTED FUNCTION CALL OCILobErase IN FILE [^/ ]+\\.cpp AT LINE [1-9][0-9]*\n$");
}

TEST_F(UnsupportedDeathTest, CallbacksRunBeforeTheProcessEnds) {
    static char entry[] = "entry", replace[] = "replace", exitTag[] = "exit";
    Register(env_, errhp_, OCI_FNCODE_LOBAPPEND, OCI_UCBTYPE_ENTRY, AnnounceOnStderr, entry);
    Register(env_, errhp_, OCI_FNCODE_LOBAPPEND, OCI_UCBTYPE_REPLACE, AnnounceOnStderr, replace);
    Register(env_, errhp_, OCI_FNCODE_LOBAPPEND, OCI_UCBTYPE_EXIT, AnnounceOnStderr, exitTag);
    // The exit callbacks come after the point of no return.
    EXPECT_EXIT(
        {
            unsetenv(kRetOk);
            OCILobAppend(svchp_, errhp_, nullptr, nullptr);
        },
        ::testing::ExitedWithCode(1),
        "^entry callback ran\nreplace callback ran\n"
        "UNIMPLEMENTED FUNCTION CALL OCILobAppend IN FILE [^ ]+ AT LINE [0-9]+\n$");
}

TEST_F(Unsupported, WithTheSwitchGuardedCallsSucceedWithoutRecords) {
    ub4 amount = 10;
    EXPECT_EQ(OCILobErase(svchp_, errhp_, nullptr, &amount, 1), OCI_SUCCESS);
    EXPECT_EQ(amount, 10u);
    EXPECT_EQ(Records(), 0);

    setenv(kRetOk, "0", 1);  // any value, even one that reads as false
    EXPECT_EQ(OCITransForget(svchp_, errhp_, 0), OCI_SUCCESS);
    EXPECT_EQ(OCIDirPathAbort(nullptr, errhp_), OCI_SUCCESS);
    EXPECT_EQ(OCILobIsEqual(env_, nullptr, nullptr, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIAQListen(nullptr, nullptr, nullptr, 0, 0, nullptr, 0), OCI_SUCCESS);
    EXPECT_EQ(Records(), 0);
}

TEST_F(Unsupported, ReplaceCallbackDecidesTheStatus) {
    Journal journal;
    CallbackPlan entry{&journal, "entry", OCI_CONTINUE};
    CallbackPlan replace{&journal, "replace", OCI_SUCCESS_WITH_INFO};
    CallbackPlan exitPlan{&journal, "exit", OCI_CONTINUE};
    Register(env_, errhp_, OCI_FNCODE_TRANSDETACH, OCI_UCBTYPE_ENTRY, RecordTransDetach, &entry);
    Register(env_, errhp_, OCI_FNCODE_TRANSDETACH, OCI_UCBTYPE_REPLACE, RecordTransDetach, &replace);
    Register(env_, errhp_, OCI_FNCODE_TRANSDETACH, OCI_UCBTYPE_EXIT, RecordTransDetach, &exitPlan);

    EXPECT_EQ(OCITransDetach(svchp_, errhp_, 42), OCI_SUCCESS_WITH_INFO);

    char args[80];
    std::snprintf(args, sizeof args, " %p %p 42", static_cast<void *>(svchp_),
                  static_cast<void *>(errhp_));
    // The replace result runs the exit callbacks at once, and the call runs
    // them again at its end.
    const std::vector<std::string> expected = {"entry" + std::string(args),
                                               "replace" + std::string(args),
                                               "exit" + std::string(args), "exit" + std::string(args)};
    EXPECT_EQ(journal.calls, expected);
    EXPECT_EQ(Records(), 0);
}

TEST_F(Unsupported, CallbacksThatAllContinueLeaveSuccess) {
    Journal journal;
    CallbackPlan replace{&journal, "replace", OCI_CONTINUE};
    CallbackPlan exitPlan{&journal, "exit", OCI_CONTINUE};
    Register(env_, errhp_, OCI_FNCODE_TRANSDETACH, OCI_UCBTYPE_REPLACE, CountCall, &replace);
    Register(env_, errhp_, OCI_FNCODE_TRANSDETACH, OCI_UCBTYPE_EXIT, CountCall, &exitPlan);
    EXPECT_EQ(OCITransDetach(svchp_, errhp_, 0), OCI_SUCCESS);
    EXPECT_EQ(journal.calls, (std::vector<std::string>{"replace", "exit"}));
}

TEST_F(Unsupported, ExitCallbacksDoNotChangeTheStatus) {
    Journal journal;
    CallbackPlan exitPlan{&journal, "exit", OCI_ERROR};
    Register(env_, errhp_, OCI_FNCODE_TRANSFORGET, OCI_UCBTYPE_EXIT, CountCall, &exitPlan);
    EXPECT_EQ(OCITransForget(svchp_, errhp_, 0), OCI_SUCCESS);
    EXPECT_EQ(journal.calls, (std::vector<std::string>{"exit"}));
}

TEST_F(Unsupported, CallbacksFollowTheFunctionCodeOnly) {
    Journal journal;
    CallbackPlan plan{&journal, "ran", OCI_SUCCESS_WITH_INFO};
    Register(env_, errhp_, OCI_FNCODE_LOBAPPEND, OCI_UCBTYPE_REPLACE, CountCall, &plan);
    // Erasing has no function code of its own, copying has another one.
    ub4 amount = 1;
    EXPECT_EQ(OCILobErase(svchp_, errhp_, nullptr, &amount, 1), OCI_SUCCESS);
    EXPECT_EQ(OCILobCopy(svchp_, errhp_, nullptr, nullptr, 1, 1, 1), OCI_SUCCESS);
    EXPECT_TRUE(journal.calls.empty());
    EXPECT_EQ(OCILobAppend(svchp_, errhp_, nullptr, nullptr), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(journal.calls.size(), 1u);
}

TEST_F(Unsupported, CallbacksFindTheEnvironmentFromAnyHandle) {
    Journal journal;
    CallbackPlan piece{&journal, "piece", OCI_CONTINUE};
    CallbackPlan lda{&journal, "lda", OCI_CONTINUE};
    CallbackPlan assign{&journal, "assign", OCI_CONTINUE};
    Register(env_, errhp_, OCI_FNCODE_STMTGETPIECEINFO, OCI_UCBTYPE_ENTRY, CountCall, &piece);
    Register(env_, errhp_, OCI_FNCODE_LDATOSVCCTX, OCI_UCBTYPE_ENTRY, CountCall, &lda);
    Register(env_, errhp_, OCI_FNCODE_LOBASSIGN, OCI_UCBTYPE_ENTRY, CountCall, &assign);

    // A statement reaches the environment through its parent.
    OCIStmt *stmtp = static_cast<OCIStmt *>(Alloc(OCI_HTYPE_STMT));
    EXPECT_EQ(OCIStmtGetPieceInfo(stmtp, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  nullptr),
              OCI_SUCCESS);
    // OCILdaToSvcCtx only writes its service context: the error handle leads.
    OCISvcCtx *out = nullptr;
    EXPECT_EQ(OCILdaToSvcCtx(&out, errhp_, nullptr), OCI_SUCCESS);
    EXPECT_EQ(out, nullptr);
    // The environment itself.
    EXPECT_EQ(OCILobAssign(env_, nullptr, nullptr, nullptr), OCI_SUCCESS);
    EXPECT_EQ(journal.calls, (std::vector<std::string>{"piece", "lda", "assign"}));
}

TEST_F(Unsupported, ForeignHandlesRunNoCallbacks) {
    Journal journal;
    CallbackPlan plan{&journal, "ran", OCI_ERROR};
    Register(env_, errhp_, OCI_FNCODE_TRANSDETACH, OCI_UCBTYPE_ENTRY, CountCall, &plan);
    Register(env_, errhp_, OCI_FNCODE_TRANSDETACH, OCI_UCBTYPE_REPLACE, CountCall, &plan);

    alignas(8) unsigned char zeroed[256] = {};
    alignas(8) unsigned char junk[256];
    memset(junk, 0xEE, sizeof junk);
    OCISvcCtx *fakeSvc = reinterpret_cast<OCISvcCtx *>(zeroed);
    OCIError *fakeErr = reinterpret_cast<OCIError *>(junk);
    EXPECT_EQ(OCITransDetach(nullptr, nullptr, 0), OCI_SUCCESS);
    EXPECT_EQ(OCITransDetach(fakeSvc, nullptr, 0), OCI_SUCCESS);
    EXPECT_EQ(OCITransDetach(fakeSvc, fakeErr, 0), OCI_SUCCESS);
    // An environment is no error handle to find an environment through.
    EXPECT_EQ(OCITransDetach(nullptr, reinterpret_cast<OCIError *>(env_), 0), OCI_SUCCESS);
    EXPECT_TRUE(journal.calls.empty());
    // The same registrations do run for a real service context.
    EXPECT_EQ(OCITransDetach(svchp_, fakeErr, 0), OCI_ERROR);
    EXPECT_EQ(journal.calls.size(), 2u);
    for (unsigned char byte : junk) ASSERT_EQ(byte, 0xEE);
    for (unsigned char byte : zeroed) ASSERT_EQ(byte, 0);
}

TEST_F(Unsupported, ConnectionPoolsAreRefusedWithoutRecords) {
    // No pool handle kind exists here; the refusal must not look at it.
    alignas(8) unsigned char poolRecord[64] = {};
    OCICPool *pool = reinterpret_cast<OCICPool *>(poolRecord);
    OraText *name = nullptr;
    sb4 nameLen = -7;
    const OraText link[] = "db";
    EXPECT_EQ(OCIConnectionPoolCreate(env_, errhp_, pool, &name, &nameLen,
                                      link, 2, 1, 4, 1, nullptr, 0, nullptr, 0, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(nameLen, -7);
    EXPECT_EQ(Records(), 0);
    EXPECT_EQ(OCIConnectionPoolDestroy(pool, errhp_, OCI_DEFAULT),
              OCI_ERROR);
    EXPECT_EQ(OCIConnectionPoolDestroy(nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Records(), 0);
}

TEST_F(Unsupported, XmlContextsAreNull) {
    EXPECT_EQ(OCIXmlDbInitXmlCtx(env_, svchp_, errhp_, nullptr, 0), nullptr);
    EXPECT_EQ(OCIXmlDbInitXmlCtx(nullptr, nullptr, nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(Records(), 0);
}

}  // namespace

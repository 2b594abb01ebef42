// User callbacks: registration rules, the entry/replace/exit status rules,
// the arguments callbacks receive, and packages loaded from ORA_OCI_UCBPKG.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "env/env.h"

namespace {

struct Probe {
    std::vector<std::string> calls;
    std::vector<sword> results;  // returned in turn, last one repeated
    size_t next = 0;
    // What the callback saw of the call.
    void *handle = nullptr;
    ub4 fcode = 0, when = 0;
    sword returnCode = -99;
    const void *firstArg = nullptr;
    ub4 typeArg = 0;
    std::string name;
};

sword Record(void *ctxp, void *hndlp, ub4 type, ub4 fcode, ub4 when, sword returnCode, sb4 *errnop,
             va_list arglist) {
    auto *p = static_cast<Probe *>(ctxp);
    p->calls.push_back(p->name);
    p->handle = hndlp;
    p->fcode = fcode;
    p->when = when;
    p->returnCode = returnCode;
    if (p->name.rfind("alloc", 0) == 0) {
        va_list args;
        va_copy(args, arglist);
        p->firstArg = va_arg(args, const void *);
        (void)va_arg(args, void **);
        p->typeArg = va_arg(args, ub4);
        va_end(args);
    }
    EXPECT_NE(errnop, nullptr);
    sword rc = p->results.empty() ? OCI_CONTINUE : p->results[std::min(p->next, p->results.size() - 1)];
    p->next++;
    return rc;
}

class UcbTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("ORA_OCI_UCBPKG");
        unsetenv("TAV_OCI_NOUCBPKGLIMIT");
        ASSERT_EQ(OCIEnvCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    }
    void TearDown() override { OCIHandleFree(env, OCI_HTYPE_ENV); }
    sword Register(Probe &p, const char *name, ub4 fcode, ub4 when) {
        p.name = name;
        return OCIUserCallbackRegister(env, OCI_HTYPE_ENV, nullptr, Record, &p, fcode, when, nullptr);
    }
    OCIEnv *env = nullptr;
};

TEST_F(UcbTest, EntryCallbacksRunInOrderAndContinueRestoresTheStatus) {
    Probe a, b;
    a.results = {OCI_CONTINUE};
    b.results = {OCI_ERROR};  // ignored: the status already is OCI_CONTINUE
    ASSERT_EQ(Register(a, "alloc-a", OCI_FNCODE_HANDLEALLOC, OCI_UCBTYPE_ENTRY), OCI_SUCCESS);
    ASSERT_EQ(Register(b, "alloc-b", OCI_FNCODE_HANDLEALLOC, OCI_UCBTYPE_ENTRY), OCI_SUCCESS);
    void *stmt = nullptr;
    EXPECT_EQ(OCIHandleAlloc(env, &stmt, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    EXPECT_NE(stmt, nullptr);
    EXPECT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(b.calls.size(), 1u);

    // The callback gets the registration handle, the fixed values and the
    // entry point's own arguments.
    EXPECT_EQ(a.handle, env);
    EXPECT_EQ(a.fcode, 13u);
    EXPECT_EQ(a.when, 1u);
    EXPECT_EQ(a.returnCode, 0);
    EXPECT_EQ(a.firstArg, env);
    EXPECT_EQ(a.typeArg, static_cast<ub4>(OCI_HTYPE_STMT));
}

TEST_F(UcbTest, AnEntryResultOtherThanContinueBecomesTheCallsStatus) {
    Probe a, b;
    a.results = {OCI_SUCCESS_WITH_INFO};
    b.results = {OCI_SUCCESS_WITH_INFO};
    Register(a, "alloc-a", OCI_FNCODE_HANDLEALLOC, OCI_UCBTYPE_ENTRY);
    Register(b, "alloc-b", OCI_FNCODE_HANDLEALLOC, OCI_UCBTYPE_ENTRY);
    void *stmt = nullptr;
    EXPECT_EQ(OCIHandleAlloc(env, &stmt, OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS_WITH_INFO);
    EXPECT_NE(stmt, nullptr);  // the call still did its work

    // A failing call keeps its own status and skips the exit callbacks.
    Probe exitProbe;
    Register(exitProbe, "exit", OCI_FNCODE_HANDLEALLOC, OCI_UCBTYPE_EXIT);
    EXPECT_EQ(OCIHandleAlloc(env, &stmt, OCI_HTYPE_STMT, 8, nullptr), OCI_ERROR);
    EXPECT_TRUE(exitProbe.calls.empty());
}

TEST_F(UcbTest, AReplacementThatTakesOverRunsTheExitCallbacksTwice) {
    Probe replace, exitProbe;
    replace.results = {OCI_SUCCESS};
    exitProbe.results = {OCI_CONTINUE};
    Register(replace, "replace", OCI_FNCODE_HANDLEFREE, OCI_UCBTYPE_REPLACE);
    Register(exitProbe, "exit", OCI_FNCODE_HANDLEFREE, OCI_UCBTYPE_EXIT);
    void *err = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &err, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIHandleFree(err, OCI_HTYPE_ERROR), OCI_SUCCESS);
    EXPECT_EQ(replace.calls.size(), 1u);
    EXPECT_EQ(exitProbe.calls.size(), 2u);
}

TEST_F(UcbTest, ReplacementsThatAllContinueLeaveTheStatusAlone) {
    Probe r1, r2;
    r1.results = {OCI_CONTINUE};
    r2.results = {OCI_CONTINUE};
    Register(r1, "r1", OCI_FNCODE_DESCRIPTORALLOC, OCI_UCBTYPE_REPLACE);
    Register(r2, "r2", OCI_FNCODE_DESCRIPTORALLOC, OCI_UCBTYPE_REPLACE);
    void *d = nullptr;
    EXPECT_EQ(OCIDescriptorAlloc(env, &d, OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(r1.calls.size() + r2.calls.size(), 2u);
    // Descriptor release runs no callbacks at all.
    Probe freeProbe;
    Register(freeProbe, "free", OCI_FNCODE_DESCRIPTORFREE, OCI_UCBTYPE_ENTRY);
    EXPECT_EQ(OCIDescriptorFree(d, OCI_DTYPE_LOB), OCI_SUCCESS);
    EXPECT_TRUE(freeProbe.calls.empty());
}

TEST_F(UcbTest, ErrorGetRunsItsCallbacksAlsoWhenNoRecordExists) {
    Probe entry, exitProbe;
    Register(entry, "entry", OCI_FNCODE_ERRORGET, OCI_UCBTYPE_ENTRY);
    Register(exitProbe, "exit", OCI_FNCODE_ERRORGET, OCI_UCBTYPE_EXIT);
    sb4 code = 0;
    EXPECT_EQ(OCIErrorGet(env, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ENV), OCI_NO_DATA);
    EXPECT_EQ(entry.calls.size(), 1u);
    EXPECT_EQ(exitProbe.calls.size(), 1u);
}

TEST_F(UcbTest, RegistrationRules) {
    Probe p;
    EXPECT_EQ(Register(p, "nine", 9, OCI_UCBTYPE_ENTRY), OCI_ERROR);
    ASSERT_NE(env->ucbEntry[9], nullptr);  // registered all the same
    EXPECT_EQ(env->ucbEntry[9]->count, 1);
    EXPECT_EQ(Register(p, "152", 152, OCI_UCBTYPE_EXIT), OCI_ERROR);
    EXPECT_NE(env->ucbExit[152], nullptr);
    EXPECT_EQ(Register(p, "200", 200, OCI_UCBTYPE_ENTRY), OCI_ERROR);
    EXPECT_EQ(Register(p, "when", OCI_FNCODE_STMTEXECUTE, 7), OCI_ERROR);
    EXPECT_EQ(Register(p, "when0", OCI_FNCODE_STMTEXECUTE, 0), OCI_ERROR);
    EXPECT_EQ(env->ucbEntry[OCI_FNCODE_STMTEXECUTE], nullptr);
    EXPECT_EQ(env->ucbExit[OCI_FNCODE_STMTEXECUTE], nullptr);
    EXPECT_EQ(Register(p, "ok", OCI_FNCODE_STMTEXECUTE, OCI_UCBTYPE_REPLACE), OCI_SUCCESS);
    EXPECT_EQ(Register(p, "ok", OCI_FNCODE_LOBARRAYWRITE, OCI_UCBTYPE_ENTRY), OCI_SUCCESS);
    EXPECT_EQ(OCIUserCallbackRegister(nullptr, OCI_HTYPE_ENV, nullptr, Record, &p, 2, 1, nullptr),
              OCI_INVALID_HANDLE);
}

sword EnvCallback(OCIEnv *env, ub4 mode, size_t xtramem_sz, void *usrmemp, OCIUcb *ucbDesc) {
    auto *seen = reinterpret_cast<std::vector<const void *> *>(env);
    seen->push_back(reinterpret_cast<const void *>(static_cast<uintptr_t>(mode + xtramem_sz)));
    seen->push_back(usrmemp);
    seen->push_back(ucbDesc);
    return 42;
}

TEST(SharedLibInit, CallsTheEnvironmentCallbackWithTheMetaContext) {
    std::vector<const void *> seen;
    EXPECT_EQ(OCISharedLibInit(&seen, nullptr, 0, 0, nullptr, EnvCallback), 42);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], nullptr);
    EXPECT_EQ(seen[1], nullptr);
    EXPECT_EQ(seen[2], nullptr);
}

std::vector<std::string> LoadedPackages(OCIEnv *env) {
    std::vector<std::string> names;
    UcbList *list = env->ucbEntry[OCI_FNCODE_HANDLEALLOC];
    for (sb4 i = 0; list != nullptr && i < list->count; i++)
        names.emplace_back(static_cast<const char *>(list->items[i].ctxp));
    return names;
}

OCIEnv *CreateWithPackages(const char *packages, bool unlimited) {
    setenv("ORA_OCI_UCBPKG", packages, 1);
    // Set counts, even empty; the Windows C runtime deletes a variable given
    // an empty value, so it gets a non-empty one there.
    if (unlimited)
#ifdef _WIN32
        setenv("TAV_OCI_NOUCBPKGLIMIT", "1", 1);
#else
        setenv("TAV_OCI_NOUCBPKGLIMIT", "", 1);
#endif
    else
        unsetenv("TAV_OCI_NOUCBPKGLIMIT");
    OCIEnv *env = nullptr;
    EXPECT_EQ(OCIEnvCreate(&env, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    unsetenv("ORA_OCI_UCBPKG");
    unsetenv("TAV_OCI_NOUCBPKGLIMIT");
    return env;
}

TEST(UcbPackages, AtMostFivePackagesUnlessTheLimitIsLifted) {
    const char *six = "ucbpkg1;ucbpkg2;ucbpkg3;ucbpkg4;ucbpkg5;ucbpkg6";
    OCIEnv *env = CreateWithPackages(six, false);
    EXPECT_EQ(LoadedPackages(env),
              (std::vector<std::string>{"ucbpkg1", "ucbpkg2", "ucbpkg3", "ucbpkg4", "ucbpkg5"}));
    OCIHandleFree(env, OCI_HTYPE_ENV);

    env = CreateWithPackages(six, true);
    EXPECT_EQ(LoadedPackages(env).size(), 6u);
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

TEST(UcbPackages, APackageThatCannotBeOpenedIsSkippedWithATraceLine) {
    char prefix[] = "/tmp/ucblogXXXXXX";
    int fd = mkstemp(prefix);
    ASSERT_GE(fd, 0);
    close(fd);
    setenv("OCI_DEBUG_LOG", prefix, 1);
    OCIEnv *env = CreateWithPackages("nosuchpkg;ucbpkg2", false);
    unsetenv("OCI_DEBUG_LOG");
    EXPECT_EQ(LoadedPackages(env), (std::vector<std::string>{"ucbpkg2"}));
    OCIHandleFree(env, OCI_HTYPE_ENV);

    const std::string logName = std::string(prefix) + "-" + std::to_string(getpid());
    std::ifstream log(logName);
    std::stringstream content;
    content << log.rdbuf();
    EXPECT_NE(content.str().find("Could not load user callback package nosuchpkg [reason: "), std::string::npos)
        << content.str();
    std::remove(logName.c_str());
    std::remove(prefix);
}

TEST(UcbPackagesDeathTest, APackageWithoutItsInitEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(CreateWithPackages("ucbnoinit", false), ::testing::ExitedWithCode(1), "ucbnoinitInit");
}

}  // namespace

// Environments created and freed from many threads at once, as drivers that
// open an environment per connection on worker threads do. The debug log and
// the process locale are process-wide: these runs must neither crash nor
// touch freed memory (the sanitizer build checks) nor lose log lines.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "diag/trace.h"
#include "env/env.h"

namespace {

constexpr int kThreads = 8;

// Runs `rounds` create/free cycles in each of kThreads threads; false when
// any creation failed.
template <class Body> bool InThreads(int rounds, Body body) {
    std::vector<std::thread> threads;
    std::vector<int> failures(kThreads, 0);
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < rounds; ++i) {
                OCIEnv *env = nullptr;
                if (OCIEnvCreate(&env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS) {
                    ++failures[t];
                    continue;
                }
                body(env);
                OCIHandleFree(env, OCI_HTYPE_ENV);
            }
        });
    for (auto &thread : threads) thread.join();
    for (int f : failures)
        if (f != 0) return false;
    return true;
}

class EnvThreads : public ::testing::Test {
protected:
    void TearDown() override {
        for (const char *name : {"OCI_DEBUG_LOG", "OCI_DEBUG_MASK", "LANG", "LC_ALL", "LC_CTYPE", "NLS_LANG"})
            unsetenv(name);
        oci_debug_log = nullptr;
        oci_debug_mask = 0xFFFFDFFF;
        std::setlocale(LC_ALL, "C");
    }
};

// Every creation names the same log file: one stream serves them all, and
// each thread's lines arrive whole.
TEST_F(EnvThreads, DebugLogSwitchedOnByEveryCreation) {
    char dir[] = "/tmp/ocienvthreadsXXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string prefix = std::string(dir) + "/log";
    setenv("OCI_DEBUG_LOG", prefix.c_str(), 1);
    setenv("OCI_DEBUG_MASK", "0x20", 1);
    constexpr int kRounds = 200;
    ASSERT_TRUE(InThreads(kRounds, [](OCIEnv *) { ocitrace(TRACE_ERRORS, "worker", "%s\n", "one line"); }));
    FILE *log = oci_debug_log;
    ASSERT_NE(log, nullptr);
    fflush(log);
    const std::string path = prefix + "-" + std::to_string(getpid());
    std::ifstream in(path);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        EXPECT_EQ(line, "worker: one line");
        ++lines;
    }
    EXPECT_EQ(lines, kThreads * kRounds);
    std::remove(path.c_str());
    rmdir(dir);
}

// Creation consults the locale of the process environment and may switch
// the process to it; concurrent creations must agree and stay memory-safe.
TEST_F(EnvThreads, LocaleChosenByEveryCreation) {
    if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr) GTEST_SKIP() << "C.UTF-8 is not installed";
    std::setlocale(LC_ALL, "C");
    setenv("LANG", "C.UTF-8", 1);
    std::atomic<int> misses{0};
    ASSERT_TRUE(InThreads(3000, [&](OCIEnv *env) {
        if (env->charsetId != 6) ++misses;
    }));
    EXPECT_EQ(misses.load(), 0);
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C.UTF-8");
}

}  // namespace

// The parser under load: many threads at once, and a large seeded corpus of
// mangled blocks that must never crash it, leak, or produce a result that
// does not hold together.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "callgram_test_support.h"
#include "log_capture.h"

namespace {

const char *const kSeeds[] = {
    "BEGIN p(:a,:b); END;",
    "begin :ret := pkg.f(:1, :2) ; end",
    "BEGIN s.p.q(); END",
    "BEGIN :r := f(); END;",
    "BEGIN proc(:a, 5); END;",
    "BEGIN NULL; END;",
    "BEGIN x$#-y(:z_9) ; # c\n END ;",
    "BEGIN p(:a) -- c\n; END;",
};

// The block a result stands for, written differently from any seed.
std::string Rebuild(const OCICallableStmt *node) {
    std::string call = node->callText;  // "CALL name ( ... );"
    std::string block = "BEGIN\n";
    if (node->returnName != nullptr) block += std::string(node->returnName) + ":=";
    return block + call.substr(5, call.size() - 6) + "\t;end";
}

// What every accepted block must satisfy, whatever it was.
void CheckConsistent(const char *input, const OCICallableStmt *node) {
    SCOPED_TRACE(input);
    ASSERT_EQ(node->nodeType, kCallableNodeType);
    const std::string call = node->callText, name = node->procName;
    ASSERT_EQ(call.rfind("CALL " + name + " ( ", 0), 0u) << call;
    ASSERT_GE(call.size(), 5 + name.size() + 6);
    EXPECT_EQ(call.substr(call.size() - 3), " );");
    EXPECT_EQ(node->isFunction, node->returnName != nullptr ? 1 : 0);
    if (node->returnName != nullptr) {
        EXPECT_EQ(node->returnName[0], ':');
    }
    Parsed again(Rebuild(node).c_str());
    ASSERT_EQ(again.rc, 0) << Rebuild(node);
    EXPECT_EQ(Describe(again.node), Describe(node));
}

using CallableBlockStress = TraceTest;

// Eight threads parse the same blocks at once, with the log on, and each
// gets exactly what a lone parse gets. The log is a file: lines of different
// threads may interleave, but each syntax message arrives whole.
TEST_F(CallableBlockStress, ParsesInManyThreadsAtOnce) {
    std::vector<std::string> expected;
    for (const char *seed : kSeeds) {
        Parsed parsed(seed);
        expected.push_back(std::to_string(parsed.rc) + " " + Describe(parsed.node));
    }
    constexpr int kThreads = 8, kRounds = 2000;
    FILE *log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    oci_debug_log = log;
    std::atomic<int> mismatches{0}, refusals{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                size_t k = static_cast<size_t>(i + t) % expected.size();
                Parsed parsed(kSeeds[k]);
                if (parsed.rc == 1) ++refusals;
                if (std::to_string(parsed.rc) + " " + Describe(parsed.node) != expected[k]) ++mismatches;
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    oci_debug_log = nullptr;
    EXPECT_EQ(mismatches.load(), 0);

    std::string text;
    std::rewind(log);
    for (int c; (c = std::fgetc(log)) != EOF;) text += static_cast<char>(c);
    std::fclose(log);
    int messages = 0;
    for (size_t at = 0; (at = text.find("syntax error, unexpected ", at)) != std::string::npos; ++at) ++messages;
    EXPECT_GT(refusals.load(), 0);
    EXPECT_EQ(messages, refusals.load());
}

std::string Mutate(std::mt19937 &rng, std::string text) {
    static const std::string kAlphabet = "():;=,.%*+-/<>[]^#$_ \n\t'\"@!09aZ\x80\xff";
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    auto byte = [&]() -> char {
        if (pick(3) == 0) return static_cast<char>(1 + pick(255));
        return kAlphabet[pick(kAlphabet.size())];
    };
    for (size_t m = 1 + pick(4); m > 0; --m) {
        size_t at = text.empty() ? 0 : pick(text.size());
        switch (pick(5)) {
        case 0: if (!text.empty()) text[at] = byte(); break;
        case 1: text.insert(at, 1, byte()); break;
        case 2: if (!text.empty()) text.erase(at, 1 + pick(3)); break;
        case 3: text.insert(at, text.substr(pick(text.size() + 1), pick(12))); break;
        default: text.insert(at, kSeeds[pick(std::size(kSeeds))]); break;
        }
    }
    return text;
}

// Seeded, so a failure can be replayed; bounded in time so a slow (sanitizer)
// build still finishes.
TEST(CallableBlockCorpus, MangledBlocksNeverBreakTheParser) {
    std::mt19937 rng(20261208);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    int parsed = 0, accepted = 0, refused = 0;
    testing::internal::CaptureStdout();
    for (; parsed < 200000 && std::chrono::steady_clock::now() < deadline; ++parsed) {
        std::string input;
        if (parsed % 10 == 0) {
            input.resize(std::uniform_int_distribution<size_t>(0, 200)(rng));
            for (char &c : input) c = static_cast<char>(std::uniform_int_distribution<int>(1, 255)(rng));
        } else {
            input = Mutate(rng, kSeeds[static_cast<size_t>(parsed) % std::size(kSeeds)]);
        }
        Parsed result(input.c_str());
        ASSERT_TRUE(result.rc == 0 || result.rc == 1) << input;
        if (result.rc == 1) {
            ASSERT_EQ(result.node, nullptr);
            ++refused;
        } else if (result.node != nullptr) {
            CheckConsistent(input.c_str(), result.node);
            ++accepted;
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_GT(accepted, 1000);
    EXPECT_GT(refused, 1000);
    std::printf("parsed %d inputs: %d accepted, %d refused\n", parsed, accepted, refused);
}

}  // namespace

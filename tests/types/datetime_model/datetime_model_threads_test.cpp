// Two threads format and read at once, one with exact matching and fill
// mode, the other with neither. The flags belong to each call: neither
// thread may see the other's. Run it under ThreadSanitizer too.
#include <atomic>
#include <string>
#include <thread>

#include "model_test_support.h"

using modeltest::ModelSession;
using modeltest::Tm;
using modeltest::Value;

namespace {

constexpr int kRounds = 20000;

TEST(ModelThreads, FlagsBelongToOneCall) {
    ModelSession exactSession, lenientSession;  // environments made before the threads start
    std::atomic<bool> go{false};
    int exactFailures = 0, lenientFailures = 0;

    std::thread exact([&] {
        while (!go.load()) std::this_thread::yield();
        for (int k = 0; k < kRounds; ++k) {
            const int day = 1 + k % 28;
            const ModelValue v = Value(Tm(2024, 3, day, 9, 5, 7));
            if (exactSession.Write(v, "FMDD-MM-YYYY HH24:MI:SS") != std::to_string(day) + "-3-2024 9:5:7") ++exactFailures;
            // Exact mode refuses the blank that lenient reading would skip.
            if (exactSession.ReadError(" 05-03-2024", "FXDD-MM-YYYY") != "#1858") ++exactFailures;
            ModelValue r;
            if (!exactSession.Read("5-3-2024", "FXFMDD-MM-YYYY", &r) || r.tm.tm_mday != 5) ++exactFailures;
        }
    });
    std::thread lenient([&] {
        while (!go.load()) std::this_thread::yield();
        for (int k = 0; k < kRounds; ++k) {
            const int day = 1 + k % 28;
            char expect[32];
            std::snprintf(expect, sizeof expect, "%02d-03-2024 09:05:07", day);
            const ModelValue v = Value(Tm(2024, 3, day, 9, 5, 7));
            if (lenientSession.Write(v, "DD-MM-YYYY HH24:MI:SS") != expect) ++lenientFailures;
            ModelValue r;
            if (!lenientSession.Read("  5 - 3 -2024", "DD-MM-YYYY", &r) || r.tm.tm_mon != 3) ++lenientFailures;
        }
    });
    go.store(true);
    exact.join();
    lenient.join();
    EXPECT_EQ(exactFailures, 0);
    EXPECT_EQ(lenientFailures, 0);
}

}  // namespace

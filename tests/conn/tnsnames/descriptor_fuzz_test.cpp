// Random and mutated descriptor files: the parser must never crash, leak
// (sanitizer build) or write to standard output, and what it accepts must be
// a well-formed tree.
#include <gtest/gtest.h>

#include <random>

#include "tns_test_support.h"

namespace {

TEST(DescriptorFuzz, ArbitraryAndMutatedBytes) {
    static const char *pieces[] = {"(", ")", "=", "description", "ADDRESS", "host", "Port", "sid",
                                   "connect_data", "\"", "#c\n", "12", "99999999999", "1.2.3.4",
                                   "1.2.3", "a.b", "name", "\n", "backup", "description_list"};
    const std::string seeds[] = {tnstest::ReadDataFile("nested.ora"), tnstest::ReadDataFile("merge.ora")};
    std::mt19937 rng(7);
    auto pick = [&rng](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };

    int accepted = 0;
    tnstest::Capture out(1), quiet(2);
    for (int i = 0; i < 4000; ++i) {
        std::string text;
        if (i % 2 == 0) {  // a soup of tokens and raw bytes
            for (size_t n = pick(60); n > 0; --n)
                text += pick(5) ? std::string(pieces[pick(20)]) : std::string(1, static_cast<char>(pick(256)));
        } else {  // a valid file with a few bytes deleted, inserted or replaced
            text = seeds[pick(2)];
            for (size_t n = 1 + pick(3); n > 0 && !text.empty(); --n) {
                size_t at = pick(text.size());
                switch (pick(3)) {
                case 0: text.erase(at, 1 + pick(8)); break;
                case 1: text.insert(at, 1, static_cast<char>(pick(256))); break;
                default: text[at] = "()=\"#.\n"[pick(7)]; break;
                }
            }
        }
        List *entries = nullptr;
        TnsParseStatus st = tnstest::Parse(text, &entries);
        ASSERT_TRUE(st == TnsParseStatus::Ok || st == TnsParseStatus::SyntaxError) << text;
        ASSERT_EQ(st == TnsParseStatus::Ok, list_length(entries) > 0) << text;
        for (ListCell *c = list_head(entries); c != nullptr; c = c->next) {
            auto *e = static_cast<OCINetServiceName *>(c->ptr);
            ASSERT_TRUE(e->kind == NODE_OCINetServiceName && e->name != nullptr) << text;
            ASSERT_TRUE(e->address == nullptr || e->address->kind == NODE_OCIAddress) << text;
        }
        accepted += st == TnsParseStatus::Ok;
        ReleaseOCINodeList(entries);
    }
    EXPECT_EQ(out.Text(), "");
    EXPECT_GT(accepted, 100);  // both outcomes were exercised
    EXPECT_GT(4000 - accepted, 1000);
}

}  // namespace

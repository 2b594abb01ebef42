// The descriptor-file scanner, grammar and tree building.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <thread>
#include <vector>

#include "env/memory.h"
#include "tns_test_support.h"

using tnstest::ParseAndRender;

namespace {

const char *const kNested = "multi primary.example.com 1521 -\nemptyfirst - - SIDB\nfirsts h1 11 s2\n"
                            "everything 10.0.0.7 1 -\n";

TEST(DescriptorKeywords, SortedConsecutiveAndFoundInAnyCase) {
    ASSERT_EQ(NumScanKeywords, 52);
    for (int i = 0; i < NumScanKeywords; ++i) {
        EXPECT_EQ(ScanKeywords[i].value, 262 + i) << ScanKeywords[i].name;
        if (i > 0) {
            EXPECT_LT(std::strcmp(ScanKeywords[i - 1].name, ScanKeywords[i].name), 0);
        }
        std::string upper = ScanKeywords[i].name;
        for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(ScanKeywordLookup(upper.c_str()), &ScanKeywords[i]);
    }
    EXPECT_EQ(ScanKeywordLookup("hosts"), nullptr);
    EXPECT_EQ(ScanKeywordLookup(("host" + std::string(4000, 'x')).c_str()), nullptr);
}

TEST(DescriptorCompare, FoldsLettersAndReturnsTheFirstDifference) {
    EXPECT_EQ(oci_stricmp("SaLeS.Example", "sales.example"), 0);
    EXPECT_EQ(oci_stricmp("ABD", "abc"), 'd' - 'c');
    EXPECT_EQ(oci_stricmp("ab", "abc"), -'c');
    EXPECT_EQ(oci_stricmp("[", "{"), '[' - '{');  // only letters fold
    std::string saved = std::setlocale(LC_CTYPE, nullptr);
    std::setlocale(LC_CTYPE, "C");
    EXPECT_NE(oci_stricmp("\xC4", "\xE4"), 0);  // A/a with diaeresis in Latin-1
    if (std::setlocale(LC_CTYPE, "de_DE.iso88591") != nullptr) {
        EXPECT_EQ(oci_stricmp("\xC4", "\xE4"), 0);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
}

TEST(DescriptorParse, TokenFormsAndKeywordCase) {
    const struct {
        const char *address, *out;
    } cases[] = {
        {"(Host=DbHost)(Port=1)", "X DbHost 1 -\n"},
        {"(PORT=0012)", "X - 12 -\n"},
        {"(HOST=10.1.2.3)", "X 10.1.2.3 - -\n"},
        {"(HOST=db-1#a$b)", "X db-1#a$b - -\n"},
        {"(HOST=host.example.dom)", "X host.example.dom - -\n"},  // dotted: never a keyword
        {"(HOST=\xC3\xA9t\xC3\xA9)", "X \xC3\xA9t\xC3\xA9 - -\n"},
        // stray bytes are skipped and must not reach standard output
        {"!(HOST=h)?@\\`{|}~\x7f\x01&", "X h - -\n"},
    };
    for (const auto &c : cases) {
        TnsParseStatus st;
        tnstest::Capture out(1);
        EXPECT_EQ(ParseAndRender(std::string("X=(dEsCrIpTiOn=(AdDrEsS=") + c.address + "))", &st), c.out);
        EXPECT_EQ(st, TnsParseStatus::Ok) << c.address;
        EXPECT_EQ(out.Text(), "");
    }
    TnsParseStatus st;
    const char withNul[] = "X=(DESCRIPTION=(ADDRESS=(HOST=h)\0))";
    EXPECT_EQ(ParseAndRender(std::string(withNul, sizeof withNul - 1), &st), "X h - -\n");
    EXPECT_EQ(ParseAndRender("X=(DESCRIPTION=(SECURITY=(SSL_SERVER_CERT_DN=\"\"))(CONNECT_DATA=(SID=s)"
                             "(FAILOVER_MODE=(BACKUP=)(TYPE=select)(METHOD=basic)(RETRIES=3)(DELAY=1))))",
                             &st),
              "X noaddr s\n");
}

TEST(DescriptorParse, NestedListsKeepTheFirstOfEachKind) {
    TnsParseStatus st;
    EXPECT_EQ(ParseAndRender(tnstest::ReadDataFile("nested.ora"), &st), kNested);
    EXPECT_EQ(st, TnsParseStatus::Ok);
}

// The exact messages in the debug log, with the line they were found on.
TEST(DescriptorParse, SyntaxErrorMessages) {
    const struct {
        const char *text, *message;
    } cases[] = {
        {"X=(DESCRIPTION=(ADDRESS=(HOST=host)))", "1:syntax error, unexpected HOST, expecting IDENT or INET_IP\n"},
        {"X=(DESCRIPTION=\n(ADDRESS=(HOST=true)))", "2:syntax error, unexpected TRUE_P, expecting IDENT or INET_IP\n"},
        {"X=(DESCRIPTION=(ADDRESS=(HOST=10.1.2)))", "1:syntax error, unexpected INTEGER, expecting IDENT or INET_IP\n"},
        {"X=(DESCRIPTION=(FAILOVER=maybe))", "1:syntax error, unexpected IDENT\n"},  // > 4 expected
        {"X=(DESCRIPTION=(CONNECT_DATA=(FAILOVER_MODE=(BACKUP=x))))", "1:syntax error, unexpected IDENT, expecting ')'\n"},
        {"# nothing but comments\n\n   # and blanks\n", "4:syntax error, unexpected $end, expecting IDENT\n"},
        {"", "1:syntax error, unexpected $end, expecting IDENT\n"},
        {"X=(DESCRIPTION=(ADDRESS=(HOST=h))", "1:syntax error, unexpected $end, expecting '(' or ')'\n"},
        {"X (DESCRIPTION=(ADDRESS=(HOST=h)))", "1:syntax error, unexpected '(', expecting '='\n"},
        {"X=(DESCRIPTION=(ADDRESS=(HOST=h)))\n;", "2:syntax error, unexpected ';', expecting $end or IDENT\n"},
        {"X=(DESCRIPTION=(SECURITY=(SSL_SERVER_CERT_DN=\"a\nb\nc\")(ADDRESS=(HOST=h)))",
         "3:syntax error, unexpected '(', expecting ')'\n"},
        // a port beyond 32 bits is refused rather than wrapped into another
        {"X=(DESCRIPTION=(ADDRESS=(PORT=4294967297)))", "1:syntax error, unexpected invalid token, expecting INTEGER\n"},
        {"X=(DESCRIPTION=(ADDRESS=(HOST=h)))\n\"abc\n", "unterminated quoted identifier\n"},
    };
    for (const auto &c : cases) {
        TnsParseStatus st;
        std::string messages;
        EXPECT_EQ(ParseAndRender(c.text, &st, &messages), "") << c.text;
        EXPECT_EQ(st, TnsParseStatus::SyntaxError) << c.text;
        EXPECT_EQ(messages, c.message) << c.text;
    }
}

TEST(DescriptorParse, EveryFileStartsWithAFreshScanner) {
    TnsParseStatus st;
    std::string messages;
    ParseAndRender("X=(DESCRIPTION=(SECURITY=(SSL_SERVER_CERT_DN=\"a\n\n\n", &st, &messages);  // ends quoted
    ParseAndRender("X=(DESCRIPTION=\n\n(HOST=h))) Y=(DESCRIPTION=(ADDRESS=(HOST=h2)))", &st, &messages);
    ASSERT_EQ(messages.substr(0, 2), "3:");  // and leaves bytes buffered
    EXPECT_EQ(ParseAndRender("Z=(DESCRIPTION=(ADDRESS=(HOST=fresh)))", &st), "Z fresh - -\n");
    ParseAndRender("Z=(DESCRIPTION=(HOST=h))", &st, &messages);
    EXPECT_EQ(messages.substr(0, 2), "1:");
}

// Each allocation of a parse in turn fails: the parse reports it and leaves
// nothing allocated (the sanitizer build checks), until the tree completes.
TEST(DescriptorParse, RunningOutOfMemoryAnywhereLeavesNothingBehind) {
    std::string text = tnstest::ReadDataFile("nested.ora");
    int failures = 0;
    for (long n = 0;; ++n) {
        ASSERT_LT(n, 1000) << "the parse never completed";
        List *entries = nullptr;
        o2pFailAllocationAfter(n);
        TnsParseStatus st = tnstest::Parse(text, &entries);
        o2pFailAllocationAfter(-1);
        if (st == TnsParseStatus::Ok) {
            EXPECT_EQ(tnstest::Render(entries), kNested);
            ReleaseOCINodeList(entries);
            break;
        }
        EXPECT_EQ(st, TnsParseStatus::OutOfMemory) << n;
        EXPECT_EQ(entries, nullptr);
        ++failures;
    }
    EXPECT_GT(failures, 20);
}

// Parses of different texts from several threads each see their own text.
TEST(DescriptorParse, ConcurrentParsesAreSerialised) {
    std::vector<int> failures(8, 0);
    std::vector<std::thread> threads;
    tnstest::Capture quiet(2);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([t, &failures] {
            for (int r = 0; r < 150; ++r) {
                std::string name = "E" + std::to_string(t), host = "h" + std::to_string(r);
                bool broken = r % 5 == 4;
                std::string text = name + "=(DESCRIPTION=(ADDRESS=(HOST=" + host + ")))" + (broken ? "(" : "");
                List *entries = nullptr;
                TnsParseStatus st = tnstest::Parse(text, &entries);
                if (st != (broken ? TnsParseStatus::SyntaxError : TnsParseStatus::Ok) ||
                    tnstest::Render(entries) != (broken ? "" : name + " " + host + " - -\n"))
                    ++failures[t];
                ReleaseOCINodeList(entries);
            }
        });
    }
    for (auto &th : threads) th.join();
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

}  // namespace

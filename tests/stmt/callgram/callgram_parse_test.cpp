// Which callable blocks the parser accepts, the CALL texts it builds, and
// what it tells the debug log (and nobody else) about the ones it refuses.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "callgram_test_support.h"
#include "log_capture.h"
#include "stmt/callgram/callgram_internal.h"

namespace {

// Each block with its result as Describe() shows it: the CALL text, the
// routine's name, the result placeholder and the function flag.
TEST(CallableBlock, AcceptedBlocksGiveTheirCallText) {
    const std::pair<const char *, const char *> cases[] = {
        {"BEGIN p(:a,:b); END;", "CALL p ( :a , :b ); | p | - | 0"},
        {"BEGIN p(); END;", "CALL p (  ); | p | - | 0"},
        {"BEGIN pkg.proc(:x); END;", "CALL pkg.proc ( :x ); | pkg.proc | - | 0"},
        {"begin :ret := f(:1, :2) ; end", "CALL f ( :1 , :2 ); | f | :ret | 1"},
        {"BEGIN p(:a); END", "CALL p ( :a ); | p | - | 0"},
        {"\tBegin\n  Sch.Pkg.MyProc ( :In_1 ,\r\n :o$#-x ) ;\fEnD ;",
         "CALL Sch.Pkg.MyProc ( :In_1 , :o$#-x ); | Sch.Pkg.MyProc | - | 0"},
        {"BEGIN :R:=f(); END;", "CALL f (  ); | f | :R | 1"},
        // Words may carry $, # and - after their first letter, and any byte
        // from 0x80 counts as a letter.
        {"BEGIN a$b#c-d(:_x); END;", "CALL a$b#c-d ( :_x ); | a$b#c-d | - | 0"},
        {"BEGIN pr\xc3\xbc" "f(:\xc3\xa4); END;", "CALL pr\xc3\xbc" "f ( :\xc3\xa4 ); | pr\xc3\xbc" "f | - | 0"},
        // A dotted name is never a keyword, whatever its parts.
        {"BEGIN begin.end(:a); END;", "CALL begin.end ( :a ); | begin.end | - | 0"},
        // Digits, quotes and other strays are dropped by the scanner; a #
        // comment runs to the end of its line.
        {"BEGIN p(:a)\"; # done\nEND;", "CALL p ( :a ); | p | - | 0"},
    };
    for (const auto &[block, expected] : cases) {
        Parsed parsed(block);
        EXPECT_EQ(parsed.rc, 0) << block;
        EXPECT_EQ(Describe(parsed.node), expected) << block;
        if (parsed.node != nullptr) {
            EXPECT_EQ(parsed.node->nodeType, kCallableNodeType);
        }
    }
}

TEST(CallableBlock, EmptyTextIsNoBlock) {
    for (const char *text : {"", "  \n\t", "# only a comment", "42"}) {
        Parsed parsed(text);
        EXPECT_EQ(parsed.rc, 0) << text;
        EXPECT_EQ(parsed.node, nullptr) << text;
    }
}

TEST(CallableBlock, NamesOfAnyLengthAreKeptWhole) {
    for (size_t length : {62u, 63u, 64u, 65u, 5000u}) {
        std::string name = "b" + std::string(length - 1, 'E');
        Parsed parsed(("BEGIN " + name + "(:p); END;").c_str());
        ASSERT_EQ(parsed.rc, 0) << length;
        EXPECT_EQ(parsed.node->procName, name);
    }
}

TEST(CallableBlock, KeywordLookup) {
    EXPECT_EQ(ScanGramKeywordLookup("BeGiN")->value, BeginToken());
    EXPECT_EQ(ScanGramKeywordLookup("END")->value, EndToken());
    for (const char *word : {"beg", "beginn", "en", "ends", "", "\xc5nd", "a", "zzz"})
        EXPECT_EQ(ScanGramKeywordLookup(word), nullptr) << word;
    for (size_t length : {63u, 64u, 100000u})
        EXPECT_EQ(ScanGramKeywordLookup(std::string(length, 'E').c_str()), nullptr) << length;
}

using CallableBlockLog = TraceTest;

struct Refused {
    const char *block;
    const char *message;  // the parser's syntax message
};

// Refused blocks report one syntax message each (after any skipped
// characters) in the log under statement preparation; standard output and
// standard error stay untouched.
TEST_F(CallableBlockLog, RefusedBlocksExplainThemselvesInTheLogOnly) {
    const Refused cases[] = {
        {"BEGIN proc(:a, 5); END;", "syntax error, unexpected ')', expecting PARAM"},
        {"BEGIN NULL; END;", "syntax error, unexpected ';', expecting '('"},  // also: no parentheses
        {"BEGIN p(:a); END;;", "syntax error, unexpected ';', expecting $end"},
        {"BEGIN p(:a); -- note\nEND;", "syntax error, unexpected '-', expecting END"},
        {"BEGIN p(:a); /* note */ END;", "syntax error, unexpected '/', expecting END"},
        {"BEGIN p(x => :a); END;", "syntax error, unexpected IDENT, expecting PARAM or ')'"},
        {"BEGIN p(:a, f(:b)); END;", "syntax error, unexpected IDENT, expecting PARAM"},
        {"BEGIN :r = f(:a); END;", "syntax error, unexpected '=', expecting ':'"},
        {"BEGIN p(:a); END; BEGIN q(:b); END;", "syntax error, unexpected BEGIN_P, expecting $end"},
        {"END;", "syntax error, unexpected END, expecting $end or BEGIN_P"},
        {"BEGIN p(:a.b); END;", "syntax error, unexpected '.', expecting ')' or ','"},
        {"BEGIN", "syntax error, unexpected $end, expecting IDENT or PARAM"},
    };
    capture();
    for (const Refused &c : cases) {
        SCOPED_TRACE(c.block);
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        std::string before = logged();
        Parsed parsed(c.block);
        EXPECT_EQ(parsed.rc, 1);
        EXPECT_EQ(parsed.node, nullptr);
        std::string added = logged().substr(before.size());
        size_t lastLine = added.rfind('\n', added.size() - 2);
        EXPECT_EQ(added.substr(lastLine + 1), "ParseCallableBlock: " + std::string(c.message) + "\n");
        EXPECT_EQ(added.find("syntax error"), added.rfind("syntax error"));
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

TEST_F(CallableBlockLog, StrayCharactersAreLoggedNotEchoed) {
    capture();
    testing::internal::CaptureStdout();
    Parsed parsed("BEGIN p(:a)@\x01; END;");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(parsed.rc, 0);
    EXPECT_EQ(logged(),
              "ParseCallableBlock: skipped character '@'\n"
              "ParseCallableBlock: skipped character 0x01\n");
}

// Running out of memory anywhere -- setting up the scanner, copying a token,
// building the text -- gives 2 and leaves nothing behind (the sanitizer
// build checks the second half); once enough allocations succeed, the
// result is the full one.
TEST_F(CallableBlockLog, EveryAllocationFailureIsReportedAndCleanedUp) {
    capture();
    for (const char *block : {"BEGIN :r := s.f(:a, :b, :c); END;", "BEGIN p(); END", "BEGIN p(:a, 1); END;"}) {
        SCOPED_TRACE(block);
        Parsed reference(block);
        int failures = 0;
        for (long n = 0;; ++n) {
            o2pFailAllocationAfter(n);
            Parsed parsed(block);
            o2pFailAllocationAfter(-1);
            if (parsed.rc == 2) {
                EXPECT_EQ(parsed.node, nullptr);
                ++failures;
                continue;
            }
            EXPECT_EQ(parsed.rc, reference.rc);
            EXPECT_EQ(Describe(parsed.node), Describe(reference.node));
            break;
        }
        EXPECT_GT(failures, 3);
    }
    EXPECT_NE(logged().find("ParseCallableBlock: memory exhausted\n"), std::string::npos);
}

TEST(CallableBlock, ReleaseIgnoresNullAndOtherKinds) {
    ReleaseOCICallableStmt(nullptr);
    OCICallableStmt other{};
    other.nodeType = 5;
    ReleaseOCICallableStmt(&other);  // would free a stack object otherwise
    // The shared dispatcher releases this kind too.
    Parsed parsed("BEGIN p(:a); END;");
    ReleaseOCINode(parsed.release());
}

}  // namespace

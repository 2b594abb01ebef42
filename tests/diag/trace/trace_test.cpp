// The switches of the debug log and the exact shape of what the writers put
// into it.
#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "log_capture.h"

namespace {

const std::string kHexHeader = "          0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\n";
constexpr ub8 kCategories[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40,
                               0x80, 0x100, 0x200, 0x400, 0x800, 0x2000, 0x4000};

std::string ReadFile(const std::string &path) {
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

int OpenDescriptors() {
    int count = 0;
    DIR *dir = opendir("/proc/self/fd");
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}

std::string Blanks(size_t n) { return std::string(n, ' '); }

using TraceSettings = TraceTest;
using TraceWriters = TraceTest;

TEST_F(TraceSettings, NoLogMeansNoTraceWhateverMaskAndLevel) {
    setenv("OCI_DEBUG_LEVEL", "09", 1);
    setenv("OCI_DEBUG_MASK", "0xFFFFFFFFFFFFFFFF", 1);
    InitDebugSettings();
    EXPECT_EQ(oci_debug_log, nullptr);
    for (ub8 category : kCategories) EXPECT_FALSE(ocitracing(category)) << category;
    EXPECT_EQ(OCI2PQ_TRACE_LEVEL, 9);  // decimal, not octal
    o2pTrace(0, "nowhere to go\n");
}

TEST_F(TraceSettings, DashIsStderrAndMaskIsReadInCNotation) {
    setenv("OCI_DEBUG_LOG", "-", 1);
    InitDebugSettings();
    EXPECT_EQ(oci_debug_log, stderr);
    for (ub8 category : kCategories)
        EXPECT_EQ(ocitracing(category), category != 0x2000) << category;

    setenv("OCI_DEBUG_MASK", "0x20", 1);
    InitDebugSettings();
    for (ub8 category : kCategories) EXPECT_EQ(ocitracing(category), category == 0x20) << category;
    setenv("OCI_DEBUG_MASK", "010", 1);
    InitDebugSettings();
    EXPECT_EQ(oci_debug_mask, 8u);
}

// The file is "<value>-<pid>". Naming the open file again keeps its stream
// (other threads may be writing to it); another name opens another file, and
// coming back to the first continues it; a file that cannot be opened turns
// the log off.
TEST_F(TraceSettings, LogFileIsNamedWithPidAndKeptWhileNamed) {
    char dirTemplate[] = "/tmp/ocitraceXXXXXX";
    ASSERT_NE(mkdtemp(dirTemplate), nullptr);
    const std::string dir = dirTemplate, pid = "-" + std::to_string(getpid());
    setenv("OCI_DEBUG_LOG", (dir + "/first").c_str(), 1);
    InitDebugSettings();
    FILE *first = oci_debug_log;
    ASSERT_NE(first, nullptr);
    int descriptors = OpenDescriptors();
    for (int i = 0; i < 5; ++i) InitDebugSettings();
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_EQ(oci_debug_log, first);

    ocitrace(TRACE_ERRORS, "one", "%s\n", "a line");
    InitDebugSettings();
    ocitrace(TRACE_ERRORS, "two", "%d\n", 2);
    setenv("OCI_DEBUG_LOG", (dir + "/second").c_str(), 1);
    InitDebugSettings();
    ocitrace(TRACE_ERRORS, nullptr, "three\n");
    EXPECT_EQ(ReadFile(dir + "/first" + pid), "one: a line\ntwo: 2\n");

    setenv("OCI_DEBUG_LOG", (dir + "/first").c_str(), 1);
    InitDebugSettings();
    EXPECT_EQ(oci_debug_log, first);
    ocitrace(TRACE_ERRORS, nullptr, "four\n");
    fflush(first);
    EXPECT_EQ(ReadFile(dir + "/first" + pid), "one: a line\ntwo: 2\nfour\n");

    setenv("OCI_DEBUG_LOG", (dir + "/missing/log").c_str(), 1);
    InitDebugSettings();
    EXPECT_EQ(oci_debug_log, nullptr);
    EXPECT_EQ(ReadFile(dir + "/second" + pid), "three\n");

    unlink((dir + "/first" + pid).c_str());
    unlink((dir + "/second" + pid).c_str());
    rmdir(dir.c_str());
}

TEST_F(TraceWriters, OcitraceIsMaskedAndAddsOnlyTheFunctionName) {
    capture();
    oci_debug_mask = TRACE_ERRORS | TRACE_LINK;
    ocitrace(TRACE_LINK, "OCIAttrSet", "setting %p.server = %p\n", nullptr, nullptr);
    ocitrace(TRACE_ERRORS, nullptr, "bare %s", "text");
    ocitrace(TRACE_PREPARE, "OCIStmtPrepare", "masked out\n");
    ocitracehex(TRACE_CONVERT, "masked out", "abc", 3);
    EXPECT_EQ(logged(), "OCIAttrSet: setting (nil).server = (nil)\nbare text");
}

TEST_F(TraceWriters, HexDumps) {
    capture();
    const unsigned char mixed[] = {'H', 'e', 'l', 'l', 'o', 0x00, 0x01, 0x1f, 0x20,
                                   0x7e, 0x7f, 0x80, 0xff, '1', '2', '3', 'x', 0x0a};
    ocitracehex(TRACE_CONVERT, "  source:", "abc", 3);
    ocitracehex(TRACE_CONVERT, nullptr, mixed, sizeof mixed);
    ocitracehex(TRACE_ATTRIBUTE, "attributep", "", 0);
    EXPECT_EQ(logged(),
              "  source:\n" + kHexHeader + "     0   61 62 63 " + Blanks(13 * 3) + "abc" +
                  Blanks(13) + "\n" +
              kHexHeader +
                  "     0   48 65 6c 6c 6f 00 01 1f 20 7e 7f 80 ff 31 32 33 Hello... ~...123\n"
                  "    10   78 0a " + Blanks(14 * 3) + "x." + Blanks(14) + "\n" +
              "attributep\n" + kHexHeader + Blanks(16) + "\n");
}

TEST_F(TraceWriters, HexDumpOfWholeRowsHasNoTrailingRow) {
    capture();
    unsigned char bytes[176];
    for (size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>('A' + i % 16);
    ocitracehex(TRACE_CONVERT, nullptr, bytes, sizeof bytes);
    std::string text = logged();
    EXPECT_EQ(text.size(), kHexHeader.size() + 11 * (9 + 16 * 3 + 17));
    EXPECT_NE(text.find("\n    A0   41 42 43 44 45 46 47 48 49 4a 4b 4c 4d 4e 4f 50 "
                        "ABCDEFGHIJKLMNOP\n"),
              std::string::npos)
        << text;
}

TEST_F(TraceWriters, LevelTraceIsGatedPrefixedAndFlushed) {
    capture();
    OCI2PQ_TRACE_LEVEL = 3;
    oci_debug_mask = 0;  // the level trace ignores the mask
    o2pTrace(4, "\terrhp = %p\n", nullptr);
    o2pTrace(3, "Setting Parameter %d\n", 7);
    EXPECT_EQ(flushed(), "TRACE3-o2pTrace[ociutil:916]: Setting Parameter 7\n");
}

}  // namespace

// Connect identifiers: the direct parse, the descriptor-file search and the
// lookup of an identifier among the file's entries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstring>

#include "conn/conn_handles.h"
#include "env/memory.h"
#include "tns_test_support.h"

using tnstest::Capture;

namespace {

std::string F(const char *s) { return s == nullptr ? "<null>" : "'" + std::string(s) + "'"; }
std::string Show(const ConnectTarget &t) { return F(t.host) + " " + F(t.port) + " " + F(t.dbname) + " " + F(t.uri); }

const char *const kNone = "<null> <null> <null> <null>";

TEST(ConnectString, DirectParse) {
    const struct {
        const char *in, *out;
        bool ok;
    } cases[] = {
        {"db1:5444/sales", "'db1' '5444' 'sales' <null>", true},
        {"//db1:5444/sales", "'db1' '5444' 'sales' <null>", true},
        {"db1/sales", "'db1' '' 'sales' <null>", true},
        {"db1:6000", "'db1' '6000' '' <null>", true},
        {"db1", "'db1' '' '' <null>", true},
        {"/sales", "'' '' 'sales' <null>", true},
        {"///sales", "'' '' 'sales' <null>", true},  // only "//" is skipped
        {"db1:1/a/b:c", "'db1' '1' 'a/b:c' <null>", true},
        {"postgresql://h:1/d?x=y", "<null> <null> <null> 'postgresql://h:1/d?x=y'", true},
        {"postgres://h/d", "<null> <null> <null> 'postgres://h/d'", true},
        {"PostgreSQL://h/d", "'PostgreSQL' '' '/h/d' <null>", true},  // schemes match byte for byte
        {"a/b:c", kNone, false},
        {"//a/b:c", kNone, false},
    };
    for (const auto &c : cases) {
        char stale[] = "stale";  // the parse must clear its outputs itself
        ConnectTarget t{stale, stale, stale, stale};
        EXPECT_EQ(parse_connect_str(c.in, 0, &t.host, &t.port, &t.dbname, &t.uri), c.ok) << c.in;
        EXPECT_EQ(Show(t), c.out) << c.in;
        FreeConnectTarget(&t);
    }
}

// HOME and TNS_ADMIN point at empty temporary directories.
class Resolve : public ::testing::Test {
protected:
    void SetUp() override {
        home_.Set(homeDir_.path());
        admin_.Set(adminDir_.path());
    }
    std::string Run(const std::string &ident, sb4 *err = nullptr) {
        ConnectTarget t{};
        sb4 e = ResolveConnectIdentifier(ident.c_str(), static_cast<sb4>(ident.size()), &t);
        if (err != nullptr) *err = e;
        std::string out = Show(t);
        FreeConnectTarget(&t);
        return out;
    }
    static std::string Defaults(const std::string &host = "") {
        char local[HOST_NAME_MAX + 1] = {};
        gethostname(local, sizeof local - 1);
        return "'" + (host.empty() ? std::string(local) : host) + "' '5444' 'tav' <null>";
    }
    tnstest::EnvGuard home_{"HOME"}, admin_{"TNS_ADMIN"};
    tnstest::TempDir homeDir_, adminDir_;
};

TEST_F(Resolve, DirectFormsIgnoreTheFileAndGetNoDefaults) {
    homeDir_.Write(".tnsnames.ora", "garbage(");  // never read for these
    sb4 err = -1;
    EXPECT_EQ(Run("//db1:7/x", &err), "'db1' '7' 'x' <null>");
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Run("db1/sales"), "'db1' '' 'sales' <null>");
    EXPECT_EQ(Run("postgres://h/d"), "<null> <null> <null> 'postgres://h/d'");
    ConnectTarget t{};
    EXPECT_EQ(ResolveConnectIdentifier("ignored", 0, &t), 0);  // empty: all defaults
    EXPECT_EQ(Show(t), Defaults());
    FreeConnectTarget(&t);
}

TEST_F(Resolve, SlashBeforeColonGoesToTheFile) {
    sb4 err;
    EXPECT_EQ(Run("a/b:c", &err), kNone);
    EXPECT_EQ(err, 12154);
    adminDir_.Write("tnsnames.ora", "X=(DESCRIPTION=(ADDRESS=(HOST=h)))");
    EXPECT_EQ(Run("a/b:c", &err), Defaults());  // no entry can match: defaults
    EXPECT_EQ(err, 0);
}

TEST_F(Resolve, BareIdentifierIsLookedUpFirstThenTakenAsHost) {
    EXPECT_EQ(Run("db7"), "'db7' '' '' <null>");  // no file
    adminDir_.Write("tnsnames.ora", "sales = (DESCRIPTION = (ADDRESS = (HOST = sales.db)) (CONNECT_DATA = (SID = S1)))\n");
    EXPECT_EQ(Run("db7"), "'db7' '' '' <null>");  // file, no such entry
    EXPECT_EQ(Run("SALES"), "'sales.db' '5444' 'S1' <null>");
    // A file that does not parse is reported, not bypassed.
    adminDir_.Write("tnsnames.ora", "# nothing but a comment\n");
    Capture quiet(2);
    sb4 err;
    EXPECT_EQ(Run("db7", &err), kNone);
    EXPECT_EQ(err, 12227);
}

TEST_F(Resolve, SearchOrderAndFieldByFieldMerging) {
    homeDir_.Write(".tnsnames.ora", "A = (DESCRIPTION = (ADDRESS = (HOST = from_home)))");
    adminDir_.Write("tnsnames.ora", "A = (DESCRIPTION = (ADDRESS = (HOST = from_admin))");  // broken
    EXPECT_EQ(Run("A"), Defaults("from_home"));  // so TNS_ADMIN was not read
    adminDir_.Write("tnsnames.ora", tnstest::ReadDataFile("merge.ora"));
    home_.Unset();
    EXPECT_EQ(Run("x"), "'a' '7' 's' <null>");  // X supplies the host, x the rest
    EXPECT_EQ(Run("servicenameonly"), "'svc.host' '6000' 'tav' <null>");
    home_.Set(homeDir_.path());
    std::remove((homeDir_.path() + "/.tnsnames.ora").c_str());
    homeDir_.Write("tnsnames.ora", "x = (DESCRIPTION = (ADDRESS = (HOST = unhidden)))");
    EXPECT_EQ(Run("X"), "'a' '7' 's' <null>");  // only the hidden name counts in HOME
}

TEST_F(Resolve, UnreadableFileGives12555WithoutASyntaxMessage) {
    // access() accepts a directory and fopen() opens one; reading it fails.
    mkdir((homeDir_.path() + "/.tnsnames.ora").c_str(), 0700);
    Capture messages(2);
    sb4 err;
    EXPECT_EQ(Run("a/b:c", &err), kNone);
    EXPECT_EQ(err, 12555);
    EXPECT_EQ(messages.Text(), "");
}

// Paths are built in a 1024-byte buffer: one of 1023 bytes is used, one of
// 1024 passed over, and nothing longer overruns it.
TEST_F(Resolve, CandidatePathsNearAndOverTheBufferSize) {
    const std::string file = "/.tnsnames.ora";
    std::string dir = homeDir_.path();
    for (size_t room = kDescriptorPathSize - 1 - file.size() - dir.size(); room > 0;) {
        size_t len = room <= 201 ? room - 1 : (room - 201 >= 2 ? 200 : 150);
        dir += "/" + std::string(len, 'd');
        ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
        room -= len + 1;
    }
    FILE *f = std::fopen((dir + file).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs("A = (DESCRIPTION = (ADDRESS = (HOST = longhome)))", f);
    std::fclose(f);
    adminDir_.Write("tnsnames.ora", "A = (DESCRIPTION = (ADDRESS = (HOST = admin)))");
    char path[kDescriptorPathSize];
    home_.Set(dir);
    ASSERT_TRUE(FindDescriptorFile(path));
    EXPECT_EQ(std::string(path).size(), kDescriptorPathSize - 1);
    EXPECT_EQ(Run("A"), Defaults("longhome"));
    // The same directory spelled one byte longer ("//") no longer fits.
    home_.Set(dir.substr(0, dir.rfind('/')) + "/" + dir.substr(dir.rfind('/')));
    EXPECT_EQ(Run("A"), Defaults("admin"));
    home_.Set(std::string(5000, 'h'));
    admin_.Set(std::string(kDescriptorPathSize - 12, 'a'));
    EXPECT_FALSE(FindDescriptorFile(path));
    sb4 err;
    EXPECT_EQ(Run("a/b:c", &err), kNone);
    EXPECT_EQ(err, 12154);
}

TEST_F(Resolve, RunningOutOfMemoryThrowsAndLeavesNothingBehind) {
    adminDir_.Write("tnsnames.ora", "A = (DESCRIPTION = (ADDRESS = (HOST = h)) (CONNECT_DATA = (SID = s)))\n"
                                    "a = (DESCRIPTION = (ADDRESS = (HOST = h2)(PORT = 9)))\n");
    for (const char *ident : {"A", "a/b:c", "db1:1/x", "postgres://h/d"}) {
        for (long n = 0;; ++n) {
            ASSERT_LT(n, 1000);
            ConnectTarget t{};
            o2pFailAllocationAfter(n);
            try {
                sb4 err = ResolveConnectIdentifier(ident, static_cast<sb4>(std::strlen(ident)), &t);
                o2pFailAllocationAfter(-1);
                EXPECT_EQ(err, 0);
                EXPECT_NE(t.host != nullptr, t.uri != nullptr) << ident;
                FreeConnectTarget(&t);
                break;
            } catch (const std::bad_alloc &) {
                o2pFailAllocationAfter(-1);
                EXPECT_EQ(Show(t), kNone) << ident << " " << n;
            }
        }
    }
}

// The server-handle form: fields replaced on success; on failure an error
// record and the fields left as they were.
TEST_F(Resolve, ServerHandleFieldsAndErrorRecords) {
    OCIEnv *env = nullptr;
    OCIError *errhp = nullptr;
    OCIServer *srv = nullptr;
    ASSERT_EQ(OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    OCIHandleAlloc(env, reinterpret_cast<void **>(&errhp), OCI_HTYPE_ERROR, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<void **>(&srv), OCI_HTYPE_SERVER, 0, nullptr);
    auto record = [&](ub4 n) {
        char buf[512] = {};
        sb4 code = 0;
        OCIErrorGet(errhp, n, nullptr, &code, reinterpret_cast<OraText *>(buf), sizeof buf, OCI_HTYPE_ERROR);
        return std::to_string(code) + " " + buf;
    };
    EXPECT_EQ(ResolveServerConnectFields(srv, errhp, "db1:1/x", 7), OCI_SUCCESS);
    EXPECT_EQ(ResolveServerConnectFields(srv, errhp, "postgres://h/d", 14), OCI_SUCCESS);
    EXPECT_EQ(Show({srv->host, srv->port, srv->dbname, srv->uri}), "<null> <null> <null> 'postgres://h/d'");

    EXPECT_EQ(ResolveServerConnectFields(srv, errhp, "a/b:c", 5), OCI_ERROR);
    EXPECT_EQ(record(1), "12154 VOSKARI-12154: TNS:could not resolve the connect identifier specified \n");
    adminDir_.Write("tnsnames.ora", "A = (DESCRIPTION = (ADDRESS = (HOST = h))");
    {
        Capture quiet(2);
        EXPECT_EQ(ResolveServerConnectFields(srv, errhp, "a/b:c", 5), OCI_ERROR);
    }
    EXPECT_EQ(record(2), "12227 VOSKARI-12227: syntax error");
    std::remove((adminDir_.path() + "/tnsnames.ora").c_str());
    mkdir((adminDir_.path() + "/tnsnames.ora").c_str(), 0700);
    EXPECT_EQ(ResolveServerConnectFields(srv, errhp, "a/b:c", 5), OCI_ERROR);
    EXPECT_EQ(record(3), "12555 VOSKARI-12555: permission denied");
    EXPECT_STREQ(srv->uri, "postgres://h/d");
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

}  // namespace

// Prepared-transaction names and XA open strings, without a server.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conn/transaction.h"
#include "env/memory.h"

namespace {

std::string Name(long format, const std::string &data, long gtrid, long bqual) {
    XID xid{};
    xid.formatID = format;
    xid.gtrid_length = gtrid;
    xid.bqual_length = bqual;
    std::memcpy(xid.data, data.data(), std::min(data.size(), sizeof xid.data));
    char *name = GetTransactionNameFromXID(&xid);
    std::string s = name != nullptr ? name : "<refused>";
    o2pFree(name);
    return s;
}

TEST(TransactionName, FormatIdDotThenDataOrRefused) {
    EXPECT_EQ(Name(1, "g1b1", 2, 2), "1.g1b1");
    EXPECT_EQ(Name(-1, "", 0, 0), "-1.");
    EXPECT_EQ(Name(0x1fffffffeL, "x", 1, 0), "-2.x");  // the low 32 bits, signed
    EXPECT_EQ(Name(7, "abcdef", 3, 0), "7.abc");
    const std::string full(XIDDATASIZE, 'z');
    EXPECT_EQ(Name(-2147483647L - 1, full, 64, 64), "-2147483648." + full);
    EXPECT_EQ(Name(1, "caf\xc3\xa9", 5, 0), "1.caf\xc3\xa9");
    for (const std::string &bad : {std::string("a'b"), std::string("a\\b"), std::string("a\0b", 3),
                                   std::string("a\nb"), std::string("a\x7f" "b")})
        EXPECT_EQ(Name(1, bad, 3, 0), "<refused>") << bad;
    EXPECT_EQ(Name(1, "ab", -1, 3), "<refused>");
    EXPECT_EQ(Name(1, "ab", 100, 29), "<refused>");
    EXPECT_EQ(GetTransactionNameFromXID(nullptr), nullptr);
}

TEST(XaOpenString, FieldsCredentialsAndIdentifier) {
    XaOpenFields f;
    char ident[1024];
    ASSERT_TRUE(xa_parse_connection_str("Oracle_XA+Acc=P/u/pw+SqlNet=db1+HostName=h+PortNumber=5444", &f));
    EXPECT_STREQ(f.user, "u");
    EXPECT_STREQ(f.password, "pw");
    ASSERT_TRUE(XaConnectIdentifier(f, ident, sizeof ident));
    EXPECT_STREQ(ident, "//h:5444/db1");

    // Keys in any case, empty and unknown fields skipped, '=' kept in values,
    // the last usable value of a key wins, a password may hold '/'.
    ASSERT_TRUE(xa_parse_connection_str("++ACC=P/first/x+sqlnet=postgresql:///d?host=/s&port=1+HOSTNAME=h+nokey+"
                                        "Threads=true+appname=+acc=P/who/a/b+acc=Z++LogDir=/tmp+AppName=app",
                                        &f));
    EXPECT_STREQ(f.user, "who");
    EXPECT_STREQ(f.password, "a/b");
    EXPECT_STREQ(f.appname, "app");
    EXPECT_STREQ(f.logdir, "/tmp");
    ASSERT_TRUE(XaConnectIdentifier(f, ident, sizeof ident));
    EXPECT_STREQ(ident, "postgresql:///d?host=/s&port=1");  // no port: sqlnet alone
}

TEST(XaOpenString, MalformedStringsFail) {
    XaOpenFields f;
    for (const char *bad : {static_cast<const char *>(nullptr), "", "Oracle_XA+SqlNet=db1", "Acc=P/u+SqlNet=db1",
                            "Acc=P", "Acc P/u/pw", "Accx=P/u/pw"})
        EXPECT_FALSE(xa_parse_connection_str(bad, &f)) << (bad ? bad : "null");
    const std::string head = "Acc=P/u/pw+SqlNet=";
    std::string open = head + std::string(255 - head.size(), 'd');
    EXPECT_TRUE(xa_parse_connection_str(open.c_str(), &f));
    EXPECT_FALSE(xa_parse_connection_str((open + "d").c_str(), &f));  // 256 bytes
}

}  // namespace

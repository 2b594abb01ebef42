// Prepared-transaction names and XA open strings, without a server.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
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

// Unpadded base64url back to bytes; the test's own reading of the name.
std::string DecodePart(const std::string &text) {
    static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string out;
    unsigned long bits = 0;
    int count = 0;
    for (char c : text) {
        bits = (bits << 6) | alphabet.find(c);
        if ((count += 6) >= 8) out += static_cast<char>((bits >> (count -= 8)) & 0xFF);
    }
    return out;
}

TEST(TransactionName, FormatIdAndBothPartsEncodedApart) {
    EXPECT_EQ(Name(1, "g1b1", 2, 2), "1.ZzE.YjE");
    EXPECT_EQ(Name(-1, "", 0, 0), "-1..");
#if LONG_MAX > 0x7fffffffL  // a formatID wider than the name keeps (not on Windows)
    EXPECT_EQ(Name(0x1fffffffeL, "x", 1, 0), "-2.eA.");  // the low 32 bits, signed
#endif
    // gtrid "ab" + bqual "c" and gtrid "a" + bqual "bc" are different branches.
    EXPECT_NE(Name(7, "abc", 2, 1), Name(7, "abc", 1, 2));
    EXPECT_EQ(Name(1, "ab", -1, 3), "<refused>");
    EXPECT_EQ(Name(1, "ab", 100, 29), "<refused>");
    EXPECT_EQ(GetTransactionNameFromXID(nullptr), nullptr);

    // Binary data (quotes, NUL, control bytes) is named safely, every name
    // fits the server's 199 characters, and the name decodes to the XID.
    std::string binary;
    for (int i = 0; i < XIDDATASIZE; ++i) binary += static_cast<char>((i * 37 + 5) & 0xFF);
    binary[3] = '\'';
    binary[9] = '\0';
    for (long gtrid : {0L, 1L, 2L, 3L, 63L, 64L, 128L}) {
        const long bqual = std::min<long>(64, XIDDATASIZE - gtrid);
        const std::string name = Name(-2147483647L - 1, binary, gtrid, bqual);
        EXPECT_LE(name.size(), 199u);
        EXPECT_EQ(name.find_first_not_of("-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_"),
                  std::string::npos) << name;
        const size_t dot1 = name.find('.'), dot2 = name.find('.', dot1 + 1);
        ASSERT_NE(dot2, std::string::npos) << name;
        EXPECT_EQ(name.substr(0, dot1), "-2147483648");
        EXPECT_EQ(DecodePart(name.substr(dot1 + 1, dot2 - dot1 - 1)), binary.substr(0, gtrid)) << gtrid;
        EXPECT_EQ(DecodePart(name.substr(dot2 + 1)), binary.substr(gtrid, bqual)) << gtrid;
    }
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

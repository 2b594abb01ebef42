// LOB calls on real server large objects: a locator is filled by fetching an
// oid column defined as SQLT_BLOB, then read, measured, appended to and
// trimmed. Objects are created inside the session's transaction, which is
// never committed, so each test leaves nothing behind.
#include <gtest/gtest.h>
#include <oci.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "conn/conn_handles.h"
#include "support/oci_session_fixture.h"

namespace {

constexpr sb4 kErrLob = 1733;
constexpr sb4 kErrBadArgument = 21560;

// What a read callback was given, piece by piece.
struct Pieces {
    std::vector<std::tuple<ub1, ub4, std::string>> got;
    sb4 answer = OCI_CONTINUE;
};
sb4 Collect(void *ctx, const void *buf, ub4 len, ub1 piece) {
    auto *p = static_cast<Pieces *>(ctx);
    p->got.emplace_back(piece, len, std::string(static_cast<const char *>(buf), len));
    return p->answer;
}

class LobTest : public oci_test::OciSessionTest {
protected:
    void SetUp() override {
        OciSessionTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(OCIDescriptorAlloc(env, reinterpret_cast<void **>(&lob), OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    }

    // Runs a one-row query whose first column is an oid and fetches it into
    // `into` through a SQLT_BLOB define.
    sword FetchLocator(const char *sql, OCILobLocator *into, sb2 *ind = nullptr) {
        OCIStmt *s = nullptr;
        OCIHandleAlloc(env, reinterpret_cast<void **>(&s), OCI_HTYPE_STMT, 0, nullptr);
        EXPECT_EQ(OCIStmtPrepare(s, err, reinterpret_cast<const OraText *>(sql), static_cast<ub4>(std::strlen(sql)),
                                 OCI_NTV_SYNTAX, OCI_DEFAULT),
                  OCI_SUCCESS);
        OCIDefine *d = nullptr;
        EXPECT_EQ(OCIDefineByPos(s, &d, err, 1, &into, sizeof into, SQLT_BLOB, ind, nullptr, nullptr, OCI_DEFAULT),
                  OCI_SUCCESS);
        const sword rc = OCIStmtExecute(svc, s, err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
        OCIHandleFree(s, OCI_HTYPE_STMT);
        return rc;
    }
    // A new object holding `hex` (bytea hex digits), fetched into `lob`.
    void NewObject(const std::string &hex) {
        const std::string sql = "SELECT lo_from_bytea(0, '\\x" + hex + "'::bytea)";
        ASSERT_EQ(FetchLocator(sql.c_str(), lob), OCI_SUCCESS) << Error();
        ASSERT_NE(lob->lobOid, 0u);
    }
    std::string ReadAll(OCILobLocator *l) {
        char buf[64] = {};
        ub4 amount = sizeof buf;
        EXPECT_EQ(OCILobRead(svc, err, l, &amount, 1, buf, sizeof buf, nullptr, nullptr, 0, SQLCS_IMPLICIT),
                  OCI_SUCCESS)
            << Error();
        return std::string(buf, amount);
    }
    ub4 Length(OCILobLocator *l) {
        ub4 len = 12345;
        EXPECT_EQ(OCILobGetLength(svc, err, l, &len), OCI_SUCCESS) << Error();
        return len;
    }
    // The first record's text; its number in *code.
    std::string Error(sb4 *code = nullptr) {
        sb4 number = 0;
        OraText text[512] = {};
        OCIErrorGet(err, 1, nullptr, &number, text, sizeof text, OCI_HTYPE_ERROR);
        if (code != nullptr) *code = number;
        return reinterpret_cast<char *>(text);
    }
    sb4 ErrorCode() {
        sb4 code = 0;
        Error(&code);
        return code;
    }

    OCILobLocator *lob = nullptr;
};

TEST_F(LobTest, ReadsWholeOrInPiecesFromAnyOffset) {
    NewObject("30313233343536373839");  // "0123456789"
    char buf[16] = {};

    ub4 amount = 10;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 1, buf, 10, nullptr, nullptr, 0, SQLCS_IMPLICIT), OCI_SUCCESS)
        << Error();
    EXPECT_EQ(amount, 10u);
    EXPECT_EQ(std::string(buf, 10), "0123456789");
    EXPECT_EQ(lob->fd, -1);  // opened and closed for the call

    // With a callback the buffer is refilled and handed over piece by piece.
    Pieces pieces;
    amount = 10;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 1, buf, 4, &pieces, Collect, 0, SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(amount, 10u);
    using P = std::tuple<ub1, ub4, std::string>;
    EXPECT_EQ(pieces.got, (std::vector<P>{P{OCI_FIRST_PIECE, 4, "0123"}, P{OCI_NEXT_PIECE, 4, "4567"},
                                           P{OCI_LAST_PIECE, 2, "89"}}));
    // A callback that fits at once sees only the last piece; one that stops
    // ends the read after its piece.
    pieces = {};
    amount = 3;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 2, buf, 16, &pieces, Collect, 0, SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(pieces.got, (std::vector<P>{P{OCI_LAST_PIECE, 3, "123"}}));
    pieces = {};
    pieces.answer = OCI_ERROR;
    amount = 10;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 1, buf, 4, &pieces, Collect, 0, SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(amount, 4u);
    EXPECT_EQ(pieces.got.size(), 1u);

    // Offsets count from 1; the amount is cut at the object's end.
    amount = 100;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 6, buf, sizeof buf, nullptr, nullptr, 0, SQLCS_IMPLICIT),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 5u);
    EXPECT_EQ(std::string(buf, 5), "56789");
    amount = 100;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 11, buf, sizeof buf, nullptr, nullptr, 0, SQLCS_IMPLICIT),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 0u);
    amount = 0;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 1, nullptr, 0, nullptr, nullptr, 0, SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(amount, 0u);

    amount = 5;
    EXPECT_EQ(OCILobRead(svc, err, lob, &amount, 0, buf, sizeof buf, nullptr, nullptr, 0, SQLCS_IMPLICIT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrBadArgument);
    EXPECT_EQ(amount, 0u);
    amount = 5;
    EXPECT_EQ(OCILobRead(svc, err, lob, &amount, 1, nullptr, 5, &pieces, Collect, 0, SQLCS_IMPLICIT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrBadArgument);
}

// Without a callback, a read larger than the buffer is polled: each call
// with the same arguments delivers the next piece.
TEST_F(LobTest, PollingReadDeliversOnePieceACall) {
    NewObject("30313233343536373839");  // "0123456789"
    std::vector<sword> status;
    std::vector<ub4> sizes;
    std::string data;
    // One call as a polling application makes it; the amount it passes is
    // what the previous call left, as in the usual loop.
    char buf[16];
    ub4 amount = 10;
    auto poll = [&](ub4 offset, ub4 bufl) {
        const sword rc = OCILobRead(svc, err, lob, &amount, offset, buf, bufl, nullptr, nullptr, 0, SQLCS_IMPLICIT);
        status.push_back(rc);
        sizes.push_back(amount);
        data.append(buf, amount);
        return rc;
    };
    while (poll(1, 4) == OCI_NEED_DATA && status.size() < 10) EXPECT_EQ(lob->fd, -1);  // opened per call
    EXPECT_EQ(status, (std::vector<sword>{OCI_NEED_DATA, OCI_NEED_DATA, OCI_SUCCESS}));
    EXPECT_EQ(sizes, (std::vector<ub4>{4, 4, 2}));
    EXPECT_EQ(data, "0123456789");
    EXPECT_FALSE(lob->pollActive);

    // The amount is cut at the object's end, and the buffer may change
    // from call to call.
    status.clear(), sizes.clear(), data.clear();
    amount = 100;
    poll(3, 2);
    poll(3, 16);
    EXPECT_EQ(status, (std::vector<sword>{OCI_NEED_DATA, OCI_SUCCESS}));
    EXPECT_EQ(data, "23456789");

    // A read at another offset or with a callback abandons an unfinished
    // polling read; polling again then starts from the beginning.
    status.clear(), data.clear();
    amount = 10;
    poll(1, 4);
    amount = 2;
    poll(4, 16);
    amount = 10;
    poll(1, 4);
    Pieces pieces;
    amount = 3;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 1, buf, 2, &pieces, Collect, 0, SQLCS_IMPLICIT), OCI_SUCCESS);
    EXPECT_EQ(pieces.got.size(), 2u);
    amount = 10;
    poll(1, 4);
    EXPECT_EQ(status, (std::vector<sword>{OCI_NEED_DATA, OCI_SUCCESS, OCI_NEED_DATA, OCI_NEED_DATA}));
    EXPECT_EQ(data, "0123" "34" "0123" "0123");

    // A failed call ends it with an error record.
    EXPECT_EQ(OCILobRead(svc, err, lob, &amount, 1, nullptr, 4, nullptr, nullptr, 0, SQLCS_IMPLICIT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrBadArgument);
    EXPECT_FALSE(lob->pollActive);
    data.clear();
    amount = 10;
    poll(1, 8);
    EXPECT_EQ(data, "01234567");
}

// On a locator opened by OCILobOpen the pieces come from where the polling
// read stands, whatever other calls and transaction ends happen between.
TEST_F(LobTest, PollingReadOnAnOpenLocator) {
    NewObject("61626364656667");  // "abcdefg"
    ASSERT_EQ(OCILobOpen(svc, err, lob, OCI_LOB_READONLY), OCI_SUCCESS) << Error();
    const sb4 fd = lob->fd;
    char buf[4];
    std::string data;
    ub4 amount = 7;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 1, buf, 3, nullptr, nullptr, 0, SQLCS_IMPLICIT), OCI_NEED_DATA);
    data.append(buf, amount);
    EXPECT_EQ(Length(lob), 7u);  // moves the descriptor to the end
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 1, buf, 3, nullptr, nullptr, 0, SQLCS_IMPLICIT), OCI_NEED_DATA);
    data.append(buf, amount);
    EXPECT_EQ(lob->fd, fd);
    // The descriptor goes with the transaction; the next piece reopens it.
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 1, buf, 3, nullptr, nullptr, 0, SQLCS_IMPLICIT), OCI_SUCCESS)
        << Error();
    data.append(buf, amount);
    EXPECT_EQ(data, "abcdefg");
    EXPECT_NE(lob->fd, -1);
    ASSERT_EQ(OCILobClose(svc, err, lob), OCI_SUCCESS);
}

TEST_F(LobTest, FetchedOidFillsTheLocator) {
    ASSERT_EQ(FetchLocator("SELECT lo_from_bytea(16400, 'hello'::bytea)", lob), OCI_SUCCESS) << Error();
    OCILobLocator *other = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(env, reinterpret_cast<void **>(&other), OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(FetchLocator("SELECT 16400::oid", other), OCI_SUCCESS) << Error();
    EXPECT_EQ(other->lobOid, 16400u);
    EXPECT_EQ(ReadAll(other), "hello");

    // A NULL oid leaves the locator as it was.
    sb2 ind = 0;
    ASSERT_EQ(FetchLocator("SELECT NULL::oid", other, &ind), OCI_SUCCESS);
    EXPECT_EQ(ind, -1);
    EXPECT_EQ(other->lobOid, 16400u);

    // Refilling an open locator points it at the new object, not the old
    // descriptor.
    ASSERT_EQ(OCILobOpen(svc, err, other, OCI_LOB_READONLY), OCI_SUCCESS) << Error();
    NewObject("7a");
    ASSERT_EQ(FetchLocator(("SELECT " + std::to_string(lob->lobOid) + "::oid").c_str(), other), OCI_SUCCESS);
    EXPECT_EQ(other->fd, -1);
    EXPECT_EQ(ReadAll(other), "z");
}

TEST_F(LobTest, AppendTrimAndLength) {
    ASSERT_EQ(FetchLocator("SELECT lo_create(0)", lob), OCI_SUCCESS) << Error();
    EXPECT_EQ(Length(lob), 0u);
    char abc[] = "abc", defg[] = "defg";
    ub4 amount = 3;
    ASSERT_EQ(OCILobWriteAppend(svc, err, lob, &amount, abc, 3, OCI_ONE_PIECE, nullptr, nullptr, 0, SQLCS_IMPLICIT),
              OCI_SUCCESS)
        << Error();
    EXPECT_EQ(amount, 3u);
    amount = 4;
    ASSERT_EQ(OCILobWriteAppend(svc, err, lob, &amount, defg, 4, OCI_FIRST_PIECE, nullptr, nullptr, 0, SQLCS_IMPLICIT),
              OCI_SUCCESS);
    EXPECT_EQ(amount, 4u);
    EXPECT_EQ(Length(lob), 7u);
    EXPECT_EQ(ReadAll(lob), "abcdefg");

    ASSERT_EQ(OCILobTrim(svc, err, lob, 2), OCI_SUCCESS) << Error();
    EXPECT_EQ(Length(lob), 2u);
    // Trimming cannot lengthen: the object stays as it is.
    EXPECT_EQ(OCILobTrim(svc, err, lob, 5), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrLob);
    EXPECT_EQ(ReadAll(lob), "ab");
    ASSERT_EQ(OCILobTrim(svc, err, lob, 2), OCI_SUCCESS);  // to its own size: allowed
    EXPECT_EQ(Length(lob), 2u);
}

TEST_F(LobTest, OpenLocatorStaysOpenUntilClosed) {
    NewObject("0102030405");
    EXPECT_EQ(Length(lob), 5u);
    EXPECT_EQ(lob->fd, -1);

    ASSERT_EQ(OCILobOpen(svc, err, lob, OCI_LOB_READWRITE), OCI_SUCCESS) << Error();
    const sb4 fd = lob->fd;
    EXPECT_NE(fd, -1);
    EXPECT_EQ(Length(lob), 5u);
    char buf[8];
    ub4 amount = 2;
    ASSERT_EQ(OCILobRead(svc, err, lob, &amount, 4, buf, sizeof buf, nullptr, nullptr, 0, SQLCS_IMPLICIT),
              OCI_SUCCESS);
    EXPECT_EQ(std::string(buf, 2), "\x04\x05");
    EXPECT_EQ(lob->fd, fd);
    ASSERT_EQ(OCILobClose(svc, err, lob), OCI_SUCCESS);
    EXPECT_EQ(lob->fd, -1);
    EXPECT_EQ(OCILobClose(svc, err, lob), OCI_SUCCESS);  // closing twice is harmless

    // Opened on an idle connection (after a commit) the descriptor must
    // still be usable by the next call, and one left over from a finished
    // transaction is replaced rather than used.
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    ASSERT_EQ(OCILobOpen(svc, err, lob, OCI_DEFAULT), OCI_SUCCESS) << Error();
    EXPECT_EQ(Length(lob), 5u);
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(ReadAll(lob), std::string("\x01\x02\x03\x04\x05", 5));
    EXPECT_NE(lob->fd, -1);  // still open, in the new transaction
    ASSERT_EQ(OCILobClose(svc, err, lob), OCI_SUCCESS);
}

TEST_F(LobTest, FailuresAndBadHandles) {
    char buf[8];
    ub4 amount = 4, len = 0;
    // A locator no fetch has filled names no object.
    EXPECT_EQ(OCILobGetLength(svc, err, lob, &len), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrLob);
    // A missing object fails the call, and the session goes on working.
    ASSERT_EQ(FetchLocator("SELECT 987654::oid", lob), OCI_SUCCESS);
    EXPECT_EQ(OCILobRead(svc, err, lob, &amount, 1, buf, sizeof buf, nullptr, nullptr, 0, SQLCS_IMPLICIT), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrLob);
    EXPECT_EQ(amount, 0u);
    EXPECT_EQ(OCILobTrim(svc, err, lob, 0), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrLob);
    NewObject("41");
    EXPECT_EQ(ReadAll(lob), "A");
    // A descriptor the server does not know fails the call; the failed
    // transaction (and the object made in it) is rolled back, and the
    // locator is left closed.
    lob->fd = 999;
    EXPECT_EQ(OCILobGetLength(svc, err, lob, &len), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrLob);
    EXPECT_EQ(lob->fd, -1);
    EXPECT_EQ(OCILobGetLength(svc, err, lob, &len), OCI_ERROR);  // gone with the transaction

    EXPECT_EQ(OCILobGetLength(svc, err, lob, nullptr), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrBadArgument);
    EXPECT_EQ(OCILobRead(svc, err, lob, nullptr, 1, buf, 1, nullptr, nullptr, 0, 0), OCI_ERROR);
    amount = 4;
    EXPECT_EQ(OCILobWriteAppend(svc, err, lob, &amount, nullptr, 4, 0, nullptr, nullptr, 0, 0), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), kErrBadArgument);

    auto *wrongLob = reinterpret_cast<OCILobLocator *>(err);
    auto *wrongSvc = reinterpret_cast<OCISvcCtx *>(err);
    auto *wrongErr = reinterpret_cast<OCIError *>(svc);
    EXPECT_EQ(OCILobOpen(nullptr, err, lob, 0), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCILobOpen(wrongSvc, err, lob, 0), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCILobClose(svc, nullptr, lob), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCILobClose(svc, wrongErr, lob), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCILobGetLength(svc, err, nullptr, &len), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCILobGetLength(svc, err, wrongLob, &len), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCILobRead(wrongSvc, err, lob, &amount, 1, buf, 1, nullptr, nullptr, 0, 0), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCILobTrim(svc, wrongErr, lob, 0), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCILobWriteAppend(svc, err, wrongLob, &amount, buf, 1, 0, nullptr, nullptr, 0, 0), OCI_INVALID_HANDLE);

    // A service context without a server.
    OCISvcCtx *bare = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&bare), OCI_HTYPE_SVCCTX, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCILobGetLength(bare, err, lob, &len), OCI_INVALID_HANDLE);
}

}  // namespace

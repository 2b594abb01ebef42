// Defines and OUT binds filled from results the real server returns: types,
// NULLs, truncation, short results, arrays of structures, callbacks taking
// values in pieces, REF CURSOR children and the server's parameter types.
#include <libpq-fe.h>
#include <libpq/libpq-fs.h>

#include <memory>
#include <string>
#include <vector>

#include "conn/conn_handles.h"
#include "stmt/bind/bind_test_support.h"
#include "support/server_test_support.h"

using namespace bindtest;

namespace {

struct ResultDeleter {
    void operator()(PGresult *r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class Server : public StmtFixture {
protected:
    void SetUp() override {
        StmtFixture::SetUp();
        conn = PQconnectdb(oci_test::ClusterUri().c_str());
        ASSERT_EQ(PQstatus(conn), CONNECTION_OK) << PQerrorMessage(conn);
    }
    void TearDown() override {
        PQfinish(conn);
        StmtFixture::TearDown();
    }
    Result Query(const std::string &sql) {
        Result r(PQexec(conn, sql.c_str()));
        EXPECT_LE(PQresultStatus(r.get()), PGRES_TUPLES_OK) << sql << ": " << PQerrorMessage(conn);
        return r;
    }
    OCIDefine *Define(ub4 pos, void *value, sb4 size, ub2 dty, sb2 *ind = nullptr, ub2 *rlen = nullptr,
                      ub2 *rc = nullptr, ub4 mode = OCI_DEFAULT) {
        OCIDefine *d = nullptr;
        EXPECT_EQ(OCIDefineByPos(stmt, &d, err, pos, value, size, dty, ind, rlen, rc, mode), OCI_SUCCESS);
        return d;
    }
    OCIBind *Bind(const char *name, void *value, sb4 size, ub2 dty, sb2 *ind = nullptr, ub2 *alen = nullptr,
                  ub2 *rc = nullptr, ub4 mode = OCI_DEFAULT) {
        OCIBind *b = nullptr;
        EXPECT_EQ(OCIBindByName(stmt, &b, err, reinterpret_cast<const OraText *>(name), -1, value, size, dty, ind,
                                alen, rc, 0, nullptr, mode),
                  OCI_SUCCESS);
        return b;
    }
    sword Fill(ub4 nrows, ub4 *current, ub4 *fetched, PGresult *r) {
        return fill_define_buffers(err, stmt->defines, r, nrows, current, fetched);
    }

    PGconn *conn = nullptr;
};

TEST_F(Server, DefinesTakeRowsTypesAndNullsUpToWhatIsLeft) {
    Result r = Query("select i, 'name' || i, case when i = 3 then null else i * 1.5 end::float8"
                     " from generate_series(1, 6) i");
    sb4 ints[10], replaced[10] = {};
    ub2 intLen[10];
    char names[10][8] = {};
    double reals[10];
    sb2 realInd[10];
    ub2 realRc[10];
    for (int k = 0; k < 10; ++k) ints[k] = -7, reals[k] = -7, realRc[k] = 77;
    Define(1, ints, 4, SQLT_INT, nullptr, intLen);
    Define(2, replaced, 4, SQLT_INT);
    Define(2, names, 8, SQLT_STR);  // replaces the define before
    Define(3, reals, 8, SQLT_FLT, realInd, nullptr, realRc);
    EXPECT_EQ(list_length(stmt->defines), 3);

    // Ten rows asked, four left after the first two.
    ub4 current = 2, fetched = 0;
    EXPECT_EQ(Fill(10, &current, &fetched, r.get()), OCI_NO_DATA);
    EXPECT_EQ(fetched, 4u);
    EXPECT_EQ(current, 6u);
    EXPECT_EQ(ints[0], 3);
    EXPECT_EQ(ints[3], 6);
    EXPECT_EQ(ints[4], -7);  // slots beyond the rows stay as they were
    EXPECT_EQ(intLen[0], 4);
    EXPECT_STREQ(names[1], "name4");
    EXPECT_EQ(replaced[0], 0);
    EXPECT_EQ(realInd[0], -1);  // i = 3 is NULL
    EXPECT_EQ(realRc[0], 1405);
    EXPECT_EQ(reals[0], -7);
    EXPECT_EQ(reals[1], 6.0);
    EXPECT_EQ(realRc[4], 77);

    current = 0;
    EXPECT_EQ(Fill(2, &current, &fetched, r.get()), OCI_SUCCESS);
    EXPECT_EQ(fetched, 2u);
    EXPECT_STREQ(names[0], "name1");
    // The prefetch path reads the one row it is given.
    current = 0;
    EXPECT_EQ(fill_define_buffers_prefetch(err, stmt->defines, r.get(), 1, &current, &fetched, 4), OCI_SUCCESS);
    EXPECT_EQ(ints[0], 5);
    EXPECT_EQ(fill_define_buffers_prefetch(err, nullptr, r.get(), 1, &current, &fetched, 4), OCI_NO_DATA);
    EXPECT_EQ(fill_define_buffers(err, nullptr, r.get(), 1, &current, &fetched), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(), 24374);
}

TEST_F(Server, LongValuesAreCutAtTheBufferAndReported) {
    Result r = Query("select repeat('x', 40), '\\x0102030405'::bytea, 'abcdef'::text");
    struct {
        char chr[5], guard1[4];
        unsigned char bin[3];
        char guard2[4], str[4], guard3[4];
    } buf;
    std::memset(&buf, '#', sizeof buf);
    sb2 ind[3] = {};
    ub2 rc[3] = {}, len[3] = {};
    Define(1, buf.chr, 5, SQLT_CHR, &ind[0], &len[0], &rc[0]);
    Define(2, buf.bin, 3, SQLT_BIN, &ind[1], &len[1], &rc[1]);
    Define(3, buf.str, 4, SQLT_STR, &ind[2], &len[2], &rc[2]);
    ub4 current = 0, fetched = 0;
    EXPECT_EQ(Fill(1, &current, &fetched, r.get()), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(ErrorNumber(), 1406);
    EXPECT_EQ(std::string(buf.chr, 5), "xxxxx");
    EXPECT_EQ(ind[0], 35);
    EXPECT_EQ(len[0], 5);
    EXPECT_EQ(buf.bin[2], 3);
    EXPECT_STREQ(buf.str, "abc");
    EXPECT_EQ(rc[0] + rc[1] + rc[2], 3 * 1406);
    for (char g : {buf.guard1[0], buf.guard2[0], buf.guard3[0], buf.guard3[3]}) EXPECT_EQ(g, '#');
}

TEST_F(Server, ArrayOfStructuresLandsRowAfterRow) {
    Result r = Query("select i, 'r' || i from generate_series(1, 3) i");
    struct Row {
        sb4 id;
        sb2 ind;
        ub2 nameLen;
        char name[6];
    } rows[4] = {};
    rows[3].id = 99;
    OCIDefine *id = Define(1, &rows[0].id, 4, SQLT_INT, &rows[0].ind);
    OCIDefine *name = Define(2, rows[0].name, 6, SQLT_CHR, nullptr, &rows[0].nameLen);
    ASSERT_EQ(OCIDefineArrayOfStruct(id, err, sizeof(Row), sizeof(Row), 0, 0), OCI_SUCCESS);
    ASSERT_EQ(OCIDefineArrayOfStruct(name, err, sizeof(Row), 0, sizeof(Row), 0), OCI_SUCCESS);
    ub4 current = 0, fetched = 0;
    EXPECT_EQ(Fill(4, &current, &fetched, r.get()), OCI_NO_DATA);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(rows[k].id, k + 1);
        EXPECT_EQ(std::string(rows[k].name, rows[k].nameLen), "r" + std::to_string(k + 1));
    }
    EXPECT_EQ(rows[3].id, 99);
}

// An output callback that hands out buffers of `room` bytes and keeps what arrives.
struct Sink {
    ub4 room = 8;
    ub1 firstMark = OCI_FIRST_PIECE;  // the piece mark it leaves on the first call
    bool fail = false;
    std::vector<std::string> pieces;
    char buf[64];
    ub4 len = 0;
    sb2 ind = 0;
    ub2 rc = 0;
    int calls = 0;

    sb4 Give(void **bufp, ub4 **alenp, ub1 *piecep, void **indp, ub2 **rcodep) {
        Collect();
        if (fail) return OCI_ERROR;
        if (calls++ == 0) *piecep = firstMark;
        len = room;
        *bufp = buf;
        *alenp = &len;
        *indp = &ind;
        *rcodep = &rc;
        return OCI_CONTINUE;
    }
    // The piece delivered after the latest call.
    void Collect() {
        if (calls > 0) pieces.emplace_back(buf, len);
    }
    std::string All() const {
        std::string all;
        for (const auto &p : pieces) all += p;
        return all;
    }
};

sb4 DefineSink(void *ctx, OCIDefine *, ub4, void **bufp, ub4 **alenp, ub1 *piecep, void **indp, ub2 **rcodep) {
    return static_cast<Sink *>(ctx)->Give(bufp, alenp, piecep, indp, rcodep);
}
sb4 OutSink(void *ctx, OCIBind *, ub4, ub4, void **bufp, ub4 **alenp, ub1 *piecep, void **indp, ub2 **rcodep) {
    return static_cast<Sink *>(ctx)->Give(bufp, alenp, piecep, indp, rcodep);
}

TEST_F(Server, DefineCallbacksTakeLongValuesInPieces) {
    Result r = Query("select repeat('abcdefghij', 3), 42, null::text");
    Sink text, number, null;
    number.firstMark = OCI_ONE_PIECE;
    number.room = 4;
    OCIDefine *d1 = Define(1, nullptr, 100, SQLT_CHR, nullptr, nullptr, nullptr, OCI_DYNAMIC_FETCH);
    OCIDefine *d2 = Define(2, nullptr, 4, SQLT_INT, nullptr, nullptr, nullptr, OCI_DYNAMIC_FETCH);
    OCIDefine *d3 = Define(3, nullptr, 10, SQLT_STR, nullptr, nullptr, nullptr, OCI_DYNAMIC_FETCH);
    ub4 current = 0, fetched = 0;
    EXPECT_EQ(Fill(1, &current, &fetched, r.get()), OCI_NEED_DATA);
    ASSERT_EQ(OCIDefineDynamic(d1, err, &text, DefineSink), OCI_SUCCESS);
    ASSERT_EQ(OCIDefineDynamic(d2, err, &number, DefineSink), OCI_SUCCESS);
    ASSERT_EQ(OCIDefineDynamic(d3, err, &null, DefineSink), OCI_SUCCESS);
    current = 0;
    ASSERT_EQ(Fill(1, &current, &fetched, r.get()), OCI_SUCCESS);
    text.Collect();
    EXPECT_EQ(text.pieces, (std::vector<std::string>{"abcdefgh", "ijabcdef", "ghijabcd", "efghij"}));
    sb4 n;
    std::memcpy(&n, number.buf, 4);
    EXPECT_EQ(n, 42);
    EXPECT_EQ(null.ind, -1);
    EXPECT_EQ(null.rc, 1405);

    Sink noRoom, failing, pieces;
    noRoom.room = 0;
    failing.fail = true;
    d1->octxp = &noRoom;
    EXPECT_EQ(call_define_callback(d1, err, r.get(), 0, 0, 0, conn), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(), 3131);
    d1->octxp = &failing;
    EXPECT_EQ(call_define_callback(d1, err, r.get(), 0, 0, 0, conn), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(2), 24343);
    d2->octxp = &pieces;  // a number cannot come in pieces
    EXPECT_EQ(call_define_callback(d2, err, r.get(), 0, 0, 1, conn), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(3), 24370);
}

TEST_F(Server, RefetchIntoAnOpenLocatorClosesItsDescriptor) {
    Query("begin");
    const Oid before = lo_creat(conn, INV_READ | INV_WRITE), after = lo_creat(conn, INV_READ | INV_WRITE);
    OCILobLocator *lob = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(env, reinterpret_cast<void **>(&lob), OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    lob->lobOid = before;
    const int oldFd = lob->fd = lo_open(conn, before, INV_READ);
    ASSERT_GE(oldFd, 0);
    Result r = Query("select " + std::to_string(after) + "::oid");
    Define(1, &lob, sizeof lob, SQLT_BLOB);
    ub4 current = 0, fetched = 0;
    EXPECT_EQ(fill_define_buffers_2(err, stmt->defines, r.get(), 1, &current, &fetched, conn), OCI_SUCCESS);
    EXPECT_EQ(lob->lobOid, after);
    EXPECT_EQ(lob->fd, -1);
    EXPECT_LT(lo_close(conn, oldFd), 0);  // the server no longer knows it
    Query("rollback");
}

TEST_F(Server, OutValuesReturnIntoTheirBinds) {
    SetText("begin :r := f(:a, :b, :c, :d); end;");
    stmt->callable = 1;
    stmt->isFunction = 1;
    stmt->returnName = o2pStrdup(":r");
    sb4 ret = 0, a = 99, b = -1;
    char c[6] = "?", d[6] = "?";
    sb2 dInd = 5;
    ub2 bLen = 0, cRc = 0, dRc = 0;
    OCIBind *br = Bind(":r", &ret, 4, SQLT_INT);
    List *params = nullptr;
    params = lappend(params, Bind(":a", &a, 4, SQLT_INT));
    params = lappend(params, Bind(":b", &b, 4, SQLT_INT, nullptr, &bLen));
    params = lappend(params, Bind(":c", c, 6, SQLT_STR, nullptr, nullptr, &cRc));
    params = lappend(params, Bind(":d", d, 6, SQLT_STR, &dInd, nullptr, &dRc));
    ASSERT_EQ(stmt->returnBind, br);
    stmt->paramCount = 4;
    stmt->modesKnown = 1;
    stmt->paramModes = static_cast<ub4 *>(o2pCalloc(4, sizeof(ub4)));
    const ub4 modes[4] = {1, 3, 2, 2};
    std::memcpy(stmt->paramModes, modes, sizeof modes);
    Result result = Query("select 42");
    Result out = Query("select 3 as a, 6 as b, 'hello world'::text as c, null::text as d");

    EXPECT_EQ(fill_bind_parameters(stmt, err, br, params, result.get(), out.get(), 1, 0), OCI_SUCCESS);
    EXPECT_EQ(ret, 42);
    EXPECT_EQ(a, 99);  // IN parameters are not returned
    EXPECT_EQ(b, 6);
    EXPECT_EQ(bLen, 4);
    EXPECT_STREQ(c, "hello");  // cut at the buffer, and told
    EXPECT_EQ(cRc, 1406);
    EXPECT_EQ(dInd, -1);  // a NULL OUT value says so
    EXPECT_EQ(dRc, 1405);

    // Without known modes a NULL leaves the application's value alone.
    stmt->modesKnown = 0;
    dInd = 5;
    EXPECT_EQ(fill_bind_parameters(stmt, err, br, params, result.get(), out.get(), 1, 0), OCI_SUCCESS);
    EXPECT_EQ(dInd, 5);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(fill_bind_parameters(stmt, err, br, params, result.get(), nullptr, 1, 0), OCI_ERROR);
    list_free(params);
}

TEST_F(Server, OutputCallbacksTakeOutValuesInPieces) {
    SetText("call p(:t, :n)");
    OCIBind *t = Bind(":t", nullptr, 100, SQLT_CHR, nullptr, nullptr, nullptr, OCI_DATA_AT_EXEC);
    OCIBind *n = Bind(":n", nullptr, 4, SQLT_INT, nullptr, nullptr, nullptr, OCI_DATA_AT_EXEC);
    Result out = Query("select 'hello world'::text, 7");
    EXPECT_EQ(call_out_bind_callback(err, t, 0, out.get(), 0), OCI_NEED_DATA);
    Sink text, number;
    text.room = number.room = 4;
    number.firstMark = OCI_ONE_PIECE;
    ASSERT_EQ(OCIBindDynamic(t, err, nullptr, nullptr, &text, OutSink), OCI_SUCCESS);
    ASSERT_EQ(OCIBindDynamic(n, err, nullptr, nullptr, &number, OutSink), OCI_SUCCESS);
    List *params = lappend(lappend(nullptr, t), n);
    stmt->paramCount = 2;
    EXPECT_EQ(fill_bind_parameters(stmt, err, nullptr, params, nullptr, out.get(), 0, 0), OCI_SUCCESS);
    text.Collect();
    EXPECT_EQ(text.pieces, (std::vector<std::string>{"hell", "o wo", "rld"}));
    sb4 v;
    std::memcpy(&v, number.buf, 4);
    EXPECT_EQ(v, 7);
    list_free(params);
}

TEST_F(Server, CursorValuesMakeTheBoundStatementAChild) {
    Query("begin");
    Query("declare cur1 cursor for select 1 as x, 'a'::text as y");
    OCIStmt *child = nullptr, *viaDefine = nullptr;
    OCISvcCtx *svc = nullptr;
    OCIServer *server = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&child), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&viaDefine), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&server), OCI_HTYPE_SERVER, 0, nullptr), OCI_SUCCESS);
    server->conn = conn;
    svc->server = server;
    stmt->svchp = svc;
    SetText("begin :r := f(); end;");
    stmt->callable = 1;
    stmt->isFunction = 1;
    stmt->returnName = o2pStrdup(":r");
    OCIBind *r = Bind(":r", &child, 0, SQLT_RSET);
    EXPECT_EQ(r->valuep, child);
    Result result = Query("select 'cur1'::refcursor");
    EXPECT_EQ(fill_bind_parameters(stmt, err, r, nullptr, result.get(), nullptr, 1, 0), OCI_SUCCESS);
    // A cursor column defined as SQLT_RSET does the same to its handle.
    Define(1, &viaDefine, sizeof viaDefine, SQLT_RSET);
    ub4 current = 0, fetched = 0;
    EXPECT_EQ(Fill(1, &current, &fetched, result.get()), OCI_SUCCESS);
    for (OCIStmt *s : {child, viaDefine}) {
        EXPECT_STREQ(s->preparedName, "cur1");
        EXPECT_STREQ(s->sqlText, "FETCH NEXT IN \"cur1\"");
        EXPECT_EQ(s->isRefCursor, 1);
        EXPECT_EQ(s->svchp, svc);
        ASSERT_NE(s->result, nullptr);
        EXPECT_EQ(PQnfields(s->result), 2);
    }
    server->conn = nullptr;  // the test's own connection
    Query("rollback");
}

TEST_F(Server, BindsDeclareTheTypesTheServerDescribed) {
    Result prepared(PQprepare(conn, "described", "select $1::numeric, $2::int8", 0, nullptr));
    ASSERT_EQ(PQresultStatus(prepared.get()), PGRES_COMMAND_OK);
    stmt->paramDescription = PQdescribePrepared(conn, "described");
    stmt->paramNames = lappend(lappend(nullptr, o2pStrdup("a")), o2pStrdup("b"));
    SetText("select :a, :b, :c");
    char v[8] = "1";
    OCIBind *a = nullptr;
    ASSERT_EQ(OCIBindByPos(stmt, &a, err, 1, v, 8, SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, 0), OCI_SUCCESS);
    EXPECT_EQ(a->paramType, 1700u);
    EXPECT_EQ(Bind(":B", v, 4, SQLT_INT)->paramType, 20u);  // the describe rewriter's second name
    EXPECT_EQ(Bind(":c", v, 4, SQLT_INT)->paramType, 23u);  // not described: by its size
}

}  // namespace

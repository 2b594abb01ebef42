// Binds without a server: what the bind calls record, how placeholders are
// found and counted, and how parameter values are gathered from buffers,
// arrays of structures and input callbacks.
#include <arpa/inet.h>

#include <vector>

#include "stmt/bind/bind_test_support.h"

using namespace bindtest;

namespace {

class Binds : public StmtFixture {
protected:
    sword ByName(OCIBind **b, const char *name, void *value, sb4 size, ub2 dty = SQLT_STR, ub4 mode = OCI_DEFAULT,
                 ub2 *alen = nullptr) {
        return OCIBindByName(stmt, b, err, reinterpret_cast<const OraText *>(name), -1, value, size, dty, nullptr,
                             alen, nullptr, 0, nullptr, mode);
    }
    sword ByPos(OCIBind **b, ub4 pos, void *value = nullptr, sb4 size = 4) {
        return OCIBindByPos(stmt, b, err, pos, value, size, SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, 0);
    }
};

TEST_F(Binds, ByNameNeedsTheColonIgnoresCaseAndSharesAHandle) {
    char one[4], two[4];
    OCIBind *b = nullptr, *again = nullptr, *longer = nullptr;
    SetText("update t set a = :id, ab = :ida where id = :ID");
    EXPECT_EQ(ByName(&b, "id", one, 4), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(), 16952);
    ASSERT_EQ(ByName(&b, ":ID", one, 4), OCI_SUCCESS);
    EXPECT_EQ(Records(), 0);
    ASSERT_EQ(ByName(&again, ":id", two, 2, SQLT_CHR), OCI_SUCCESS);
    EXPECT_EQ(again, b);
    EXPECT_EQ(b->valuep, two);
    EXPECT_EQ(b->dty, SQLT_CHR);
    // A name that merely starts the same is another parameter.
    ASSERT_EQ(ByName(&longer, ":ida", one, 4), OCI_SUCCESS);
    EXPECT_NE(longer, b);
    EXPECT_EQ(ByPos(&again, 3), OCI_SUCCESS);
    EXPECT_EQ(again, b);

    EXPECT_EQ(ByName(&b, ":id", one, 4, 999), OCI_INVALID_HANDLE);
    EXPECT_EQ(ByName(&b, ":id", one, 4, SQLT_STR, 1), OCI_ERROR);
    EXPECT_EQ(ByName(&b, ":id", one, -1), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(), 21560);
}

TEST_F(Binds, PositionsAndBindInfoCountColonsDifferently) {
    SetText("select :a::int, x := :b,\n:c from t where y = :c");
    OCIBind *b = nullptr, *again = nullptr;
    ASSERT_EQ(ByPos(&b, 2), OCI_SUCCESS);
    EXPECT_STREQ(b->name, ":b");
    ASSERT_EQ(ByPos(&b, 3), OCI_SUCCESS);
    EXPECT_STREQ(b->name, ":c");
    ASSERT_EQ(ByPos(&again, 4), OCI_SUCCESS);
    EXPECT_EQ(again, b);
    EXPECT_EQ(again->position, 4u);
    EXPECT_EQ(ByPos(&b, 5), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(), 28553);

    // Bind info counts both colons of "::" and skips ":=": six in all.
    OraText *names[8] = {};
    ub1 lengths[8] = {}, dupl[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    OCIBind *handles[8] = {};
    sb4 found = 0;
    ASSERT_EQ(OCIStmtGetBindInfo(stmt, err, 8, 1, &found, names, lengths, nullptr, nullptr, dupl, handles),
              OCI_SUCCESS);
    EXPECT_EQ(found, 6);
    EXPECT_STREQ(reinterpret_cast<char *>(names[2]), "int");
    EXPECT_EQ(lengths[2], 3);
    EXPECT_EQ(handles[5], b);
    EXPECT_EQ(handles[2], nullptr);
    EXPECT_EQ(dupl[5], 0);
    EXPECT_EQ(dupl[6], 9);

    SetText("insert into t values (:x, :y, :z)");
    OraText *two[2] = {};
    ASSERT_EQ(OCIStmtGetBindInfo(stmt, err, 2, 1, &found, two, nullptr, nullptr, nullptr, nullptr, nullptr),
              OCI_SUCCESS);
    EXPECT_EQ(found, -1);
    EXPECT_STREQ(reinterpret_cast<char *>(two[1]), "y");
    SetText("begin x := 1; end;");
    EXPECT_EQ(OCIStmtGetBindInfo(stmt, err, 2, 1, &found, two, nullptr, nullptr, nullptr, nullptr, nullptr),
              OCI_NO_DATA);
}

TEST_F(Binds, SoftBindsAndFunctionResults) {
    SetText("begin :r := f(:a); end;");
    stmt->callable = 1;
    stmt->isFunction = 1;
    stmt->returnName = o2pStrdup(":r");
    char a[4], c[4];
    OCIBind *r = nullptr, *b = nullptr;
    ASSERT_EQ(ByName(&r, ":R", a, 4), OCI_SUCCESS);
    EXPECT_EQ(stmt->returnBind, r);
    stmt->returnBind = nullptr;
    SetText("begin :R := f(:a); end;");
    ASSERT_EQ(ByPos(&r, 1), OCI_SUCCESS);  // by position the name is compared as written
    EXPECT_EQ(stmt->returnBind, nullptr);

    ASSERT_EQ(ByName(&b, ":a", a, 4), OCI_SUCCESS);
    EXPECT_EQ(ByName(&b, ":a", c, 4, SQLT_STR, OCI_BIND_SOFT), OCI_ERROR);  // not executed
    stmt->executed = 1;
    EXPECT_EQ(ByName(&b, ":a", c, 5, SQLT_STR, OCI_BIND_SOFT), OCI_ERROR);  // another size
    ASSERT_EQ(ByName(&b, ":a", c, 4, SQLT_STR, OCI_BIND_SOFT), OCI_SUCCESS);
    EXPECT_EQ(b->valuep, c);
    auto out = [](void *, OCIBind *, ub4, ub4, void **, ub4 **, ub1 *, void **, ub2 **) -> sb4 { return 0; };
    ASSERT_EQ(OCIBindDynamic(b, err, nullptr, nullptr, nullptr, out), OCI_SUCCESS);
    EXPECT_EQ(b->direction, 2u);
}

// ---- gathering values ---------------------------------------------------------------------

class Gather : public Binds {
protected:
    void SetUp() override {
        Binds::SetUp();
        stmt->paramCount = 2;
    }
};

TEST_F(Gather, EmptyCharIsNullButEmptyStringIsAValue) {
    env->varcharSemantics = 0;  // the server's empty string exists
    SetText("select :c, :s");
    char c[4] = {'a', 'b', 'c', 'd'}, s[4] = "";
    ub2 clen = 0, slen = 0;
    OCIBind *bc = nullptr, *bs = nullptr;
    ASSERT_EQ(ByName(&bc, ":c", c, 4, SQLT_CHR, OCI_DEFAULT, &clen), OCI_SUCCESS);
    ASSERT_EQ(ByName(&bs, ":s", s, 4, SQLT_STR, OCI_DEFAULT, &slen), OCI_SUCCESS);
    ASSERT_EQ(GetOCIBindData(stmt, err, 0), OCI_SUCCESS);
    EXPECT_EQ(bc->pgValue, nullptr);
    ASSERT_NE(bs->pgValue, nullptr);
    EXPECT_EQ(PgValue(bs), "");
    clen = 9;  // a length beyond the element is held to the element
    ASSERT_EQ(GetOCIBindData(stmt, err, 0), OCI_SUCCESS);
    EXPECT_EQ(PgValue(bc), "abcd");
}

TEST_F(Gather, ArraysOfStructures) {
    struct Row {
        sb4 id;
        sb2 ind;
        ub2 len;
        char name[6];
    } rows[3] = {{1, 0, 2, "aa"}, {2, -1, 2, "bb"}, {-3, 0, 5, "ccccc"}};
    SetText("insert into t values (:id, :name)");
    OCIBind *id = nullptr, *name = nullptr;
    ASSERT_EQ(OCIBindByName(stmt, &id, err, reinterpret_cast<const OraText *>(":id"), 3, &rows[0].id, 4, SQLT_INT,
                            &rows[0].ind, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    ASSERT_EQ(ByName(&name, ":name", rows[0].name, 6, SQLT_CHR, OCI_DEFAULT, &rows[0].len), OCI_SUCCESS);
    ASSERT_EQ(OCIBindArrayOfStruct(id, err, sizeof(Row), sizeof(Row), 0, 0), OCI_SUCCESS);
    ASSERT_EQ(OCIBindArrayOfStruct(name, err, sizeof(Row), 0, sizeof(Row), 0), OCI_SUCCESS);
    EXPECT_EQ(stmt->arrayOfStruct, 1);
    ASSERT_EQ(GetOCIBindData(stmt, err, 2), OCI_SUCCESS);
    uint32_t wire;
    ASSERT_EQ(id->pgLength, 4);
    std::memcpy(&wire, id->pgValue, 4);
    EXPECT_EQ(static_cast<sb4>(ntohl(wire)), -3);
    EXPECT_EQ(PgValue(name), "ccccc");
    ASSERT_EQ(GetOCIBindData(stmt, err, 1), OCI_SUCCESS);
    EXPECT_EQ(id->pgValue, nullptr);  // its indicator says NULL
    EXPECT_EQ(PgValue(name), "bb");
}

struct Pieces {
    std::vector<std::string> parts;
    size_t next = 0;
    sb2 ind = 0;
    sb4 failAt = -1;
    std::vector<ub1> seen;
};

sb4 GivePieces(void *ctx, OCIBind *, ub4, ub4, void **bufp, ub4 *alenp, ub1 *piecep, void **indp) {
    auto *p = static_cast<Pieces *>(ctx);
    p->seen.push_back(*piecep);
    if (static_cast<sb4>(p->next) == p->failAt) return OCI_ERROR;
    *bufp = const_cast<char *>(p->parts[p->next].data());
    *alenp = static_cast<ub4>(p->parts[p->next].size());
    *indp = &p->ind;
    ++p->next;
    *piecep = p->next == p->parts.size() ? OCI_LAST_PIECE : p->next == 1 ? OCI_FIRST_PIECE : OCI_NEXT_PIECE;
    return OCI_CONTINUE;
}

TEST_F(Gather, InputCallbacks) {
    SetText("select :a, :b");
    OCIBind *a = nullptr, *b = nullptr;
    char plain[4] = "xyz";
    ASSERT_EQ(ByName(&a, ":a", plain, 4), OCI_SUCCESS);
    ASSERT_EQ(ByName(&b, ":b", nullptr, 100, SQLT_CHR, OCI_DATA_AT_EXEC), OCI_SUCCESS);
    EXPECT_EQ(GetOCIBindData(stmt, err, 0), OCI_NEED_DATA);  // no callback yet
    EXPECT_EQ(a->pgValue, nullptr);

    Pieces p;
    p.parts = {"first-", "next-", "last"};
    ASSERT_EQ(OCIBindDynamic(b, err, &p, GivePieces, nullptr, nullptr), OCI_SUCCESS);
    ASSERT_EQ(GetOCIBindData(stmt, err, 0), OCI_SUCCESS);
    EXPECT_EQ(PgValue(b), "first-next-last");
    EXPECT_EQ(p.seen, (std::vector<ub1>{OCI_FIRST_PIECE, OCI_NEXT_PIECE, OCI_NEXT_PIECE}));

    // A callback failing halfway leaves no value behind, the first bind's included.
    Pieces failing;
    failing.parts = {"a", "b", "c"};
    failing.failAt = 1;
    b->ictxp = &failing;
    EXPECT_EQ(GetOCIBindData(stmt, err, 0), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(), 24343);
    EXPECT_EQ(a->pgValue, nullptr);

    // A number cannot come in pieces.
    Pieces number;
    number.parts = {"1234", "5678"};
    b->ictxp = &number;
    b->dty = SQLT_INT;
    ClearErrorHandle(err);
    EXPECT_EQ(GetOCIBindData(stmt, err, 0), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(), 24370);
}

TEST_F(Gather, AFailedConversionReleasesEverything) {
    SetText("select :n, :m");
    OCIBind *n = nullptr, *m = nullptr;
    char text[4] = "abc";
    ASSERT_EQ(ByName(&n, ":n", text, 4), OCI_SUCCESS);
    ASSERT_EQ(ByName(&m, ":m", text, 4, SQLT_CHR), OCI_SUCCESS);
    m->paramType = 1700;  // as if the server had described a numeric parameter
    EXPECT_EQ(GetOCIBindData(stmt, err, 0), OCI_ERROR);
    EXPECT_EQ(ErrorNumber(1), 1460);
    EXPECT_EQ(ErrorNumber(2), 16530);
    EXPECT_EQ(n->pgValue, nullptr);
    stmt->returnBind = m;  // the function result's bind is not a parameter
    ASSERT_EQ(GetOCIBindData(stmt, err, 0), OCI_SUCCESS);
    EXPECT_EQ(PgValue(n), "abc");
}

}  // namespace

// A UTF-16 application names placeholders in UTF-16 and reads them back so.
TEST(Utf16Binds, PlaceholdersAreConverted) {
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIStmt *stmt = nullptr;
    ASSERT_EQ(OCIEnvCreate(&env, OCI_UTF16, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    SetStmtText(stmt, "select :id");
    const char16_t placeholder[] = u":ID";
    char v[4];
    OCIBind *b = nullptr;
    ASSERT_EQ(OCIBindByName(stmt, &b, err, reinterpret_cast<const OraText *>(placeholder), -1, v, 4, SQLT_STR,
                            nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_STREQ(b->name, ":ID");
    OraText *name[1] = {};
    ub1 length[1] = {};
    sb4 found = 0;
    ASSERT_EQ(OCIStmtGetBindInfo(stmt, err, 1, 1, &found, name, length, nullptr, nullptr, nullptr, nullptr),
              OCI_SUCCESS);
    ASSERT_EQ(length[0], 4);
    EXPECT_EQ(std::u16string(reinterpret_cast<char16_t *>(name[0]), 2), u"id");
    OCIHandleFree(env, OCI_HTYPE_ENV);
}

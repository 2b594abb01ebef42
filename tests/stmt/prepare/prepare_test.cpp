// Preparing without a server: stored text and class, argument checks, BEGIN
// blocks, UTF-16 texts, attributes, and the keyed statement cache.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "env/env.h"
#include "stmt/stmt_handles.h"

namespace {

const OraText *Text(const char *s) { return reinterpret_cast<const OraText *>(s); }
ub4 Len(const char *s) { return static_cast<ub4>(std::strlen(s)); }

class PrepareTest : public ::testing::Test {
protected:
    void SetUp() override { Open(OCI_DEFAULT); }
    void TearDown() override { OCIHandleFree(env, OCI_HTYPE_ENV); }
    void Open(ub4 mode) {
        ASSERT_EQ(OCIEnvCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
        svc->stmtCacheEnabled = true;
    }
    sword Prepare(const char *sql, ub4 language = OCI_NTV_SYNTAX) {
        return OCIStmtPrepare(stmt, err, Text(sql), Len(sql), language, OCI_DEFAULT);
    }
    sword Prepare2(OCIStmt **out, const char *key, ub4 mode = OCI_DEFAULT, const char *sql = "select 1") {
        return OCIStmtPrepare2(svc, out, err, Text(sql), Len(sql), Text(key), key ? Len(key) : 0, OCI_NTV_SYNTAX,
                               mode);
    }
    sword Release(OCIStmt *s, const char *key, ub4 mode = OCI_DEFAULT) {
        return OCIStmtRelease(s, err, Text(key), key ? Len(key) : 0, mode);
    }
    sb4 Code(OCIError *from = nullptr) {
        sb4 code = 0;
        OCIErrorGet(from != nullptr ? from : err, 1, nullptr, &code, nullptr, 0, OCI_HTYPE_ERROR);
        return code;
    }
    std::string Message() {
        const errinfo *rec = ErrorRecordAt(err, 1);
        return rec != nullptr && rec->msg != nullptr ? rec->msg : "";
    }
    template <class T> T Attr(ub4 attr, OCIStmt *s = nullptr) {
        T value{};
        EXPECT_EQ(OCIAttrGet(s ? s : stmt, OCI_HTYPE_STMT, &value, nullptr, attr, err), OCI_SUCCESS) << attr;
        return value;
    }
    std::string Statement(OCIStmt *s = nullptr) {
        OraText *text = nullptr;
        ub4 size = 0;
        EXPECT_EQ(OCIAttrGet(s ? s : stmt, OCI_HTYPE_STMT, &text, &size, OCI_ATTR_STATEMENT, err), OCI_SUCCESS);
        return std::string(reinterpret_cast<char *>(text), size);
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIStmt *stmt = nullptr;
    OCISvcCtx *svc = nullptr;
};

TEST_F(PrepareTest, StoresTheTrimmedTextAndItsClass) {
    ASSERT_EQ(Prepare("  select 1 from dual\n"), OCI_SUCCESS);
    EXPECT_EQ(Statement(), "select 1 from dual");
    EXPECT_EQ(Attr<ub2>(OCI_ATTR_STMT_TYPE), OCI_STMT_SELECT);
    const struct {
        const char *sql;
        ub2 stored, reported;
    } cases[] = {{"\t\fSELECTED", 1, 1}, {"with x as (select 1) select 1", 0, 0}, {"truncate t", STMT_TRUNCATE, 0},
                 {"Revoke x", STMT_REVOKE, 0}, {"declare x int; begin null; end;", 9, 9}};
    for (const auto &c : cases) {
        ASSERT_EQ(Prepare(c.sql), OCI_SUCCESS) << c.sql;
        EXPECT_EQ(stmt->stmtType, c.stored) << c.sql;
        EXPECT_EQ(Attr<ub2>(OCI_ATTR_STMT_TYPE), c.reported) << c.sql;
    }
    EXPECT_FALSE(stmt->callable);  // DECLARE blocks are not parsed
    // A trailing semicolon stays; a NUL inside the length ends the text.
    const char withNul[] = " delete from t; \0 junk";
    ASSERT_EQ(OCIStmtPrepare(stmt, err, Text(withNul), sizeof withNul - 1, OCI_NTV_SYNTAX, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Statement(), "delete from t;");
    EXPECT_EQ(stmt->sqlLength, 14u);
}

TEST_F(PrepareTest, RefusesBadArgumentsAndBlankTexts) {
    EXPECT_EQ(OCIStmtPrepare(stmt, err, nullptr, 5, OCI_NTV_SYNTAX, OCI_DEFAULT), OCI_ERROR);
    EXPECT_NE(Message().find("21560: null, invalid, or out of range argument 3"), std::string::npos) << Message();
    EXPECT_EQ(OCIStmtPrepare(stmt, err, Text("select 1"), 8, OCI_NTV_SYNTAX, 1), OCI_ERROR);
    EXPECT_EQ(Code(), 24300);
    // An unknown language fails without a record, and earlier ones are gone.
    EXPECT_EQ(Prepare("select 1", 3), OCI_ERROR);
    EXPECT_EQ(ErrorRecordCount(err), 0);
    // Nothing but white space is a text of no length; the old text is gone.
    ASSERT_EQ(Prepare("select 1"), OCI_SUCCESS);
    EXPECT_EQ(Prepare(" \t\r\n\f "), OCI_ERROR);
    EXPECT_EQ(Code(), 24373);
    EXPECT_FALSE(stmt->prepared);
    EXPECT_EQ(stmt->sqlText, nullptr);
    stmt->fromPrepare2 = 1;
    EXPECT_EQ(Prepare("select 1"), OCI_INVALID_HANDLE);
    stmt->fromPrepare2 = 0;
}

TEST_F(PrepareTest, BeginBlocksBecomeCallsAndANewTextDropsTheirState) {
    ASSERT_EQ(Prepare("BEGIN :r := sch.f(:a, :b); END;"), OCI_SUCCESS);
    EXPECT_TRUE(stmt->callable && stmt->isFunction);
    EXPECT_NE(std::string(stmt->callText).find("CALL"), std::string::npos) << stmt->callText;
    EXPECT_STREQ(stmt->procName, "sch.f");
    EXPECT_STREQ(stmt->returnName, ":r");
    OCIBind *bind = nullptr;
    OCIHandleAlloc(stmt, reinterpret_cast<void **>(&bind), OCI_HTYPE_BIND, 0, nullptr);
    stmt->paramModes = static_cast<ub4 *>(o2pCalloc(3, sizeof(ub4)));
    stmt->modesKnown = stmt->hasOutParams = 1;

    ASSERT_EQ(Prepare("select 1"), OCI_SUCCESS);
    EXPECT_FALSE(stmt->callable || stmt->modesKnown || stmt->hasOutParams);
    EXPECT_TRUE(stmt->binds == nullptr && stmt->callText == nullptr && stmt->procName == nullptr &&
                stmt->returnName == nullptr && stmt->paramModes == nullptr);

    EXPECT_EQ(Prepare("BEGIN this is not a call END;"), OCI_ERROR);
    EXPECT_EQ(Code(), 13780);
    EXPECT_FALSE(stmt->prepared);
    EXPECT_EQ(stmt->sqlText, nullptr);
}

TEST_F(PrepareTest, Utf16TextsAreConvertedBothWays) {
    OCIHandleFree(env, OCI_HTYPE_ENV);
    Open(OCI_UTF16);
    const std::string wide(" \0s\0e\0l\0e\0c\0t\0 \0""1\0\n\0", 20);
    ASSERT_EQ(OCIStmtPrepare(stmt, err, Text(wide.data()), 20, OCI_NTV_SYNTAX, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_STREQ(stmt->sqlText, "select 1");
    EXPECT_EQ(Statement(), wide.substr(2, 16));
    // Half a character: a record with only a message.
    EXPECT_EQ(OCIStmtPrepare(stmt, err, Text(wide.data()), 5, OCI_NTV_SYNTAX, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Message(), "An incomplete multibyte sequence has been encountered in the input");
    EXPECT_EQ(Code(), 0);
}

TEST_F(PrepareTest, StatementAttributes) {
    ASSERT_EQ(Prepare("select a from t"), OCI_SUCCESS);
    EXPECT_EQ(Attr<OCIEnv *>(OCI_ATTR_ENV), env);
    EXPECT_EQ(Attr<ub4>(OCI_ATTR_STMT_STATE), static_cast<ub4>(OCI_STMT_STATE_INITIALIZED));
    // Row count: the kept count, or an open cursor's highest row.
    stmt->rowCount = 4;
    EXPECT_EQ(Attr<ub4>(OCI_ATTR_ROW_COUNT), 4u);
    stmt->cursor = static_cast<OCICursor *>(o2pCalloc(1, sizeof(OCICursor)));
    stmt->cursor->state = CURSOR_OPEN;
    stmt->cursor->maxRow = 7;
    stmt->cursor->position = 6;
    stmt->cursor->lastRow = -1;
    EXPECT_EQ(Attr<ub4>(OCI_ATTR_ROW_COUNT), 7u);
    EXPECT_EQ(Attr<ub4>(OCI_ATTR_CURRENT_POSITION), 6u);

    const struct {
        ub4 attr, value;
        sword status;
    } settings[] = {{OCI_ATTR_PREFETCH_ROWS, 500, OCI_SUCCESS}, {5001, 2, OCI_SUCCESS}, {5001, 3, OCI_ERROR},
                    {5003, 6, OCI_SUCCESS}, {5003, 4, OCI_ERROR}, {OCI_ATTR_STMT_TYPE, 1, OCI_ERROR}};
    for (const auto &s : settings) {
        ub4 v = s.value;
        EXPECT_EQ(OCIAttrSet(stmt, OCI_HTYPE_STMT, &v, sizeof v, s.attr, err), s.status) << s.attr << "=" << v;
        if (s.status == OCI_ERROR) {
            EXPECT_EQ(Code(), 24328);
        }
    }
    EXPECT_EQ(stmt->prefetchRows, 500u);
    EXPECT_EQ(Attr<ub4>(5001), 2u);
    EXPECT_EQ(Attr<ub4>(5003), 6u);
    ub4 value = 0;
    EXPECT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, &value, nullptr, OCI_ATTR_PREFETCH_ROWS, err), OCI_ERROR);
    EXPECT_EQ(Code(), 24328);
}

TEST_F(PrepareTest, KeyedStatementsComeBackOnlyThroughSearches) {
    ASSERT_EQ(Prepare("select 1"), OCI_SUCCESS);
    stmt->svchp = svc;
    EXPECT_EQ(Release(stmt, nullptr), OCI_ERROR);
    EXPECT_EQ(Code(), 24434);

    OCIStmt *first = nullptr, *found = nullptr, *second = nullptr;
    ASSERT_EQ(Prepare2(&first, "k1"), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(Code(), 24432);
    EXPECT_EQ(OCIHandleFree(first, OCI_HTYPE_STMT), OCI_ERROR);
    EXPECT_EQ(Code(env->errhp), 24436);
    ASSERT_EQ(Release(first, "k1"), OCI_SUCCESS);
    EXPECT_EQ(Prepare2(&found, "k", OCI_PREP2_CACHE_SEARCHONLY), OCI_ERROR);  // a prefix names nothing
    EXPECT_EQ(Code(), 24431);
    ASSERT_EQ(Prepare2(&found, "k1", OCI_PREP2_CACHE_SEARCHONLY), OCI_SUCCESS);
    EXPECT_EQ(found, first);
    // Handed out, it is not handed out again until released.
    EXPECT_EQ(Prepare2(&found, "k1", OCI_PREP2_CACHE_SEARCHONLY), OCI_ERROR);
    EXPECT_EQ(found, nullptr);
    ASSERT_EQ(Release(first, "k1"), OCI_SUCCESS);

    // A fresh prepare under a cached key replaces the cached statement.
    ASSERT_EQ(Prepare2(&second, "k1", OCI_DEFAULT, "select 2"), OCI_SUCCESS_WITH_INFO);
    EXPECT_EQ(list_length(svc->stmts), 1);
    ASSERT_EQ(Release(second, "k2"), OCI_SUCCESS);
    ASSERT_EQ(Prepare2(&found, "k2", OCI_PREP2_CACHE_SEARCHONLY), OCI_SUCCESS);
    EXPECT_EQ(Statement(found), "select 2");
    ASSERT_EQ(Release(found, "k2", OCI_STRLS_CACHE_DELETE), OCI_SUCCESS);
    EXPECT_EQ(svc->stmts, nullptr);
    EXPECT_EQ(Statement(second), "select 2");  // still allocated
}

TEST_F(PrepareTest, Prepare2ChecksAndServiceContextsWithoutACache) {
    OCIStmt *out = nullptr;
    EXPECT_EQ(OCIStmtPrepare2(svc, &out, err, nullptr, 5, nullptr, 0, OCI_NTV_SYNTAX, OCI_DEFAULT), OCI_ERROR);
    EXPECT_NE(Message().find("argument 4"), std::string::npos) << Message();
    EXPECT_EQ(Prepare2(&out, nullptr, OCI_DEFAULT, " "), OCI_ERROR);
    EXPECT_EQ(out, nullptr);

    svc->stmtCacheEnabled = false;
    EXPECT_EQ(Prepare2(&out, "k", OCI_PREP2_CACHE_SEARCHONLY), OCI_ERROR);
    EXPECT_EQ(Code(), 24300);
    ASSERT_EQ(Prepare2(&out, "k"), OCI_SUCCESS);
    EXPECT_EQ(svc->stmts, nullptr);
    EXPECT_EQ(Release(out, nullptr, OCI_STRLS_CACHE_DELETE), OCI_ERROR);
    EXPECT_EQ(Code(), 24300);
    // Released without a cache, the text goes and the handle stays.
    ASSERT_EQ(Release(out, "k"), OCI_SUCCESS);
    EXPECT_FALSE(out->prepared);
    EXPECT_EQ(Statement(out), "");
}

}  // namespace

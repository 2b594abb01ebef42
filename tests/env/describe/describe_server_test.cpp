// Describe as applications use it: select-list columns after execution or
// OCI_DESCRIBE_ONLY (OCIParamGet), tables through OCIDescribeAny, and a query
// defined purely from what describe reports.
#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "env/memory.h"
#include "support/oci_session_fixture.h"

namespace {

const OraText *Text(const std::string &s) { return reinterpret_cast<const OraText *>(s.c_str()); }

class Describe : public oci_test::OciSessionTest {
protected:
    void SetUp() override {
        OciSessionTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&dsc), OCI_HTYPE_DESCRIBE, 0, nullptr), OCI_SUCCESS);
    }

    sword Execute(const std::string &sql, ub4 iters, ub4 mode = OCI_DEFAULT) {
        EXPECT_EQ(OCIStmtPrepare(stmt, err, Text(sql), static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
                  OCI_SUCCESS);
        return OCIStmtExecute(svc, stmt, err, iters, 0, nullptr, nullptr, mode);
    }
    void Run(const std::string &sql) { ASSERT_EQ(Execute(sql, 1), OCI_SUCCESS) << sql << ": " << Message(); }

    sb4 Error() const {
        const errinfo *rec = ErrorRecordAt(err, 1);
        return rec != nullptr ? rec->errcode : 0;
    }
    std::string Message() {
        std::vector<OraText> buf(8192);
        sb4 code = 0;
        if (OCIErrorGet(err, 1, nullptr, &code, buf.data(), static_cast<ub4>(buf.size()), OCI_HTYPE_ERROR) !=
            OCI_SUCCESS)
            return "";
        return reinterpret_cast<char *>(buf.data());
    }

    OCIParam *Param(const void *h, ub4 htype, ub4 pos) {
        void *p = nullptr;
        EXPECT_EQ(OCIParamGet(h, htype, err, &p, pos), OCI_SUCCESS) << pos << ": " << Message();
        return static_cast<OCIParam *>(p);
    }
    template <class T> T Attr(const OCIParam *p, ub4 attr) {
        T value{};
        EXPECT_EQ(OCIAttrGet(p, OCI_DTYPE_PARAM, &value, nullptr, attr, err), OCI_SUCCESS) << attr << ": " << Message();
        return value;
    }
    std::string Name(const OCIParam *p, ub4 attr = OCI_ATTR_NAME) {
        char *text = nullptr;
        ub4 size = 0;
        EXPECT_EQ(OCIAttrGet(p, OCI_DTYPE_PARAM, &text, &size, attr, err), OCI_SUCCESS);
        return text != nullptr ? std::string(text, size) : "?";
    }
    sword DescribeTable(const std::string &name, ub1 objtyp = OCI_PTYPE_TABLE) {
        return OCIDescribeAny(svc, err, const_cast<char *>(name.data()), static_cast<ub4>(name.size()),
                              OCI_OTYPE_NAME, 0, objtyp, dsc);
    }

    // Catalogue queries of `work`: the messages in libpq's trace that
    // carry one of describe's catalogue texts.
    template <class Work> int CatalogueQueries(Work work) {
        FILE *trace = std::tmpfile();
        PQtrace(server->conn, trace);
        work();
        PQuntrace(server->conn);
        std::rewind(trace);
        int count = 0;
        char line[8192];
        while (std::fgets(line, sizeof line, trace) != nullptr)
            count += std::strstr(line, "\tF\t") != nullptr && std::strstr(line, "pg_catalog.pg_attribute") != nullptr;
        std::fclose(trace);
        return count;
    }

    OCIStmt *stmt = nullptr;
    OCIDescribe *dsc = nullptr;
};

TEST_F(Describe, SelectListColumnsAfterExecutionAndDescribeOnly) {
    Run("CREATE TEMP TABLE d_cols (v varchar(20) NOT NULL, s int2, n numeric, p numeric(10,2), x text)");
    Run("INSERT INTO d_cols VALUES ('abc', 1, 1.5, 2.25, repeat('y', 37)), ('d', 2, 2, 3, 'short')");
    const std::string query = "SELECT v, s, n, p, x, s + 1 AS computed FROM d_cols";

    // Before any execution there is nothing to describe.
    void *p = &p;
    ASSERT_EQ(OCIStmtPrepare(stmt, err, Text(query), static_cast<ub4>(query.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, err, &p, 1), OCI_ERROR);
    EXPECT_EQ(Error(), 24338);
    EXPECT_EQ(p, nullptr);

    std::vector<OCIParam *> cols;
    const int queries = CatalogueQueries([&] {
        ASSERT_EQ(Execute(query, 0), OCI_SUCCESS) << Message();
        ub4 count = 0;
        ASSERT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err), OCI_SUCCESS);
        ASSERT_EQ(count, 6u);
        for (ub4 i = 1; i <= count; ++i) cols.push_back(Param(stmt, OCI_HTYPE_STMT, i));
    });
    EXPECT_EQ(queries, 1);  // the facts of all six columns in one query
    ASSERT_EQ(cols.size(), 6u);
    EXPECT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, err, &p, 0), OCI_ERROR);
    EXPECT_EQ(Error(), 24334);
    EXPECT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, err, &p, 7), OCI_ERROR);
    EXPECT_EQ(Error(), 24334);
    EXPECT_EQ(p, nullptr);

    EXPECT_EQ(Attr<ub2>(cols[0], OCI_ATTR_DATA_TYPE), SQLT_CHR);
    EXPECT_EQ(Attr<ub2>(cols[0], OCI_ATTR_CHAR_SIZE), 20);
    EXPECT_EQ(Attr<ub2>(cols[0], OCI_ATTR_DATA_SIZE), 20);
    EXPECT_EQ(Attr<ub1>(cols[0], OCI_ATTR_CHAR_USED), 1);
    EXPECT_EQ(Attr<ub1>(cols[0], OCI_ATTR_IS_NULL), 0);
    EXPECT_EQ(Attr<ub2>(cols[1], OCI_ATTR_DATA_TYPE), SQLT_INT);
    EXPECT_EQ(Attr<ub2>(cols[1], OCI_ATTR_DATA_SIZE), 2);
    EXPECT_EQ(Attr<ub1>(cols[1], OCI_ATTR_IS_NULL), 1);
    EXPECT_EQ(Attr<ub2>(cols[2], OCI_ATTR_DATA_TYPE), SQLT_NUM);
    EXPECT_EQ(Attr<ub2>(cols[2], OCI_ATTR_DATA_SIZE), 22);
    EXPECT_EQ(Attr<ub1>(cols[2], OCI_ATTR_PRECISION), 255);
    EXPECT_EQ(Attr<sb1>(cols[2], OCI_ATTR_SCALE), -1);
    EXPECT_EQ(Attr<ub1>(cols[3], OCI_ATTR_PRECISION), 10);
    EXPECT_EQ(Attr<sb1>(cols[3], OCI_ATTR_SCALE), 2);
    EXPECT_EQ(Attr<ub2>(cols[4], OCI_ATTR_DATA_SIZE), 37);
    EXPECT_EQ(Attr<ub1>(cols[5], OCI_ATTR_IS_NULL), 1);  // computed: no table behind it
    EXPECT_EQ(Name(cols[4], OCI_ATTR_TYPE_NAME), "text");
    EXPECT_EQ(Name(cols[4], OCI_ATTR_SCHEMA_NAME), "pg_catalog");
    EXPECT_EQ(Name(cols[5]), "computed");

    // The name is copied once and handed out again.
    char *first = nullptr, *second = nullptr;
    ub4 size = 99;
    ASSERT_EQ(OCIAttrGet(cols[0], OCI_DTYPE_PARAM, &first, &size, OCI_ATTR_NAME, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrGet(cols[0], OCI_DTYPE_PARAM, &second, nullptr, OCI_ATTR_NAME, err), OCI_SUCCESS);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first, "v");
    EXPECT_EQ(size, 1u);
    ub4 unknown = 0;
    EXPECT_EQ(OCIAttrGet(cols[0], OCI_DTYPE_PARAM, &unknown, nullptr, OCI_ATTR_NUM_COLS, err), OCI_ERROR);
    EXPECT_EQ(Error(), 24328);

    // Without rows to measure, and described without running, an unbounded
    // text reports 4000; the declared length stays.
    ASSERT_EQ(Execute(query + " WHERE false", 0), OCI_SUCCESS) << Message();
    EXPECT_EQ(Attr<ub2>(Param(stmt, OCI_HTYPE_STMT, 5), OCI_ATTR_DATA_SIZE), 4000);
    ASSERT_EQ(Execute("SELECT x, v FROM d_cols WHERE s = :1", 0, OCI_DESCRIBE_ONLY), OCI_SUCCESS) << Message();
    EXPECT_EQ(Attr<ub2>(Param(stmt, OCI_HTYPE_STMT, 1), OCI_ATTR_DATA_SIZE), 4000);
    OCIParam *v = Param(stmt, OCI_HTYPE_STMT, 2);
    EXPECT_EQ(Attr<ub2>(v, OCI_ATTR_DATA_SIZE), 20);
    EXPECT_EQ(Attr<ub1>(v, OCI_ATTR_IS_NULL), 0);

    // The columns stay described once the rows are all fetched, and after
    // the cursor is cancelled, until the next execution.
    for (const ub4 cancelAfter : {0u, 1u}) {
        ASSERT_EQ(Execute(query, 0), OCI_SUCCESS) << Message();
        char value[64];
        OCIDefine *def = nullptr;
        ASSERT_EQ(OCIDefineByPos(stmt, &def, err, 1, value, sizeof value, SQLT_STR, nullptr, nullptr, nullptr,
                                 OCI_DEFAULT),
                  OCI_SUCCESS);
        if (cancelAfter != 0) {
            ASSERT_EQ(OCIStmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Message();
            ASSERT_EQ(OCIStmtFetch2(stmt, err, 0, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Message();
        } else {
            while (OCIStmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT) == OCI_SUCCESS) {
            }
        }
        EXPECT_EQ(Name(Param(stmt, OCI_HTYPE_STMT, 6)), "computed") << cancelAfter;
    }

    // A descriptor outlives its statement; its texts move to the environment.
    ASSERT_EQ(OCIHandleFree(stmt, OCI_HTYPE_STMT), OCI_SUCCESS);
    stmt = nullptr;
    EXPECT_EQ(Name(v), "v");
    EXPECT_EQ(Name(cols[3]), "p");
}

TEST_F(Describe, TablesThroughDescribeAny) {
    Run("CREATE TEMP TABLE d_tab (id int4 NOT NULL, gone int, name varchar(30), amount numeric(10,2), note text)");
    Run("ALTER TABLE d_tab DROP COLUMN gone");

    // Without a describe there is no parameter to hand out.
    OCIParam *table = nullptr;
    EXPECT_EQ(OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &table, nullptr, OCI_ATTR_PARAM, err), OCI_INVALID_HANDLE);
    int queries = CatalogueQueries([&] { ASSERT_EQ(DescribeTable("d_tab"), OCI_SUCCESS) << Message(); });
    EXPECT_EQ(queries, 1);  // the table and its columns in one query
    ASSERT_EQ(OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &table, nullptr, OCI_ATTR_PARAM, err), OCI_SUCCESS);
    // Descriptors hold copies: they outlive the describe handle.
    ASSERT_EQ(OCIHandleFree(dsc, OCI_HTYPE_DESCRIBE), OCI_SUCCESS);
    dsc = nullptr;

    EXPECT_EQ(Attr<ub2>(table, OCI_ATTR_NUM_COLS), 4);  // the dropped column is not there
    EXPECT_NE(Attr<ub4>(table, OCI_ATTR_OBJID), 0u);
    EXPECT_EQ(Attr<ub1>(table, OCI_ATTR_IS_TEMPORARY), 1);
    EXPECT_EQ(Attr<ub1>(table, OCI_ATTR_IS_TYPED), 0);
    void *tdo = &tdo;
    EXPECT_EQ(OCIAttrGet(table, OCI_DTYPE_PARAM, &tdo, nullptr, OCI_ATTR_REF_TDO, err), OCI_ERROR);
    EXPECT_EQ(Error(), 21301);  // not an object-mode environment
    EXPECT_EQ(tdo, nullptr);

    OCIParam *list = Attr<OCIParam *>(table, OCI_ATTR_LIST_COLUMNS);
    ASSERT_NE(list, nullptr);
    void *p = &p;
    EXPECT_EQ(OCIParamGet(list, OCI_DTYPE_PARAM, err, &p, 0), OCI_ERROR);
    EXPECT_EQ(Error(), 24334);
    EXPECT_EQ(OCIParamGet(list, OCI_DTYPE_PARAM, err, &p, 5), OCI_ERROR);
    EXPECT_EQ(Error(), 24334);
    EXPECT_EQ(OCIParamGet(table, OCI_DTYPE_PARAM, err, &p, 1), OCI_INVALID_HANDLE);  // not a list
    ub4 n = 0;
    EXPECT_EQ(OCIAttrGet(list, OCI_DTYPE_PARAM, &n, nullptr, OCI_ATTR_NUM_COLS, err), OCI_ERROR);

    struct Expected {
        const char *name;
        ub2 type, dataSize, charSize;
        ub1 isNull;
        const char *typeName;
    } expected[] = {{"id", SQLT_INT, 4, 0, 0, "int4"},
                    {"name", SQLT_CHR, 30, 30, 1, "varchar"},
                    {"amount", SQLT_NUM, 22, 0, 1, "numeric"},
                    {"note", SQLT_STR, 4000, 4000, 1, "text"}};
    for (ub4 i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i].name);
        OCIParam *col = Param(list, OCI_DTYPE_PARAM, i + 1);
        EXPECT_EQ(Name(col), expected[i].name);
        EXPECT_EQ(Attr<ub2>(col, OCI_ATTR_DATA_TYPE), expected[i].type);
        EXPECT_EQ(Attr<ub2>(col, OCI_ATTR_DATA_SIZE), expected[i].dataSize);
        EXPECT_EQ(Attr<ub2>(col, OCI_ATTR_CHAR_SIZE), expected[i].charSize);
        EXPECT_EQ(Attr<ub1>(col, OCI_ATTR_IS_NULL), expected[i].isNull);
        EXPECT_EQ(Name(col, OCI_ATTR_TYPE_NAME), expected[i].typeName);
    }
    OCIParam *amount = Param(list, OCI_DTYPE_PARAM, 3);
    EXPECT_EQ(Attr<ub1>(amount, OCI_ATTR_PRECISION), 10);
    EXPECT_EQ(Attr<sb1>(amount, OCI_ATTR_SCALE), 2);
}

// Memory running out anywhere in describing fails the call cleanly (the
// sanitizer build checks that nothing leaks or dangles).
TEST_F(Describe, EveryAllocationMayFail) {
    Run("CREATE TEMP TABLE d_oom (a int4 NOT NULL, b varchar(8))");
    ASSERT_EQ(Execute("SELECT a, b FROM d_oom", 0), OCI_SUCCESS) << Message();
    int failures = 0;
    bool passed = false;
    for (long n = 0; n < 2000 && !passed; ++n) {
        o2pFailAllocationAfter(n);
        bool ok = DescribeTable("d_oom") == OCI_SUCCESS;
        OCIParam *table = nullptr, *list = nullptr;
        void *col = nullptr, *stmtCol = nullptr;
        char *name = nullptr;
        ok = ok && OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &table, nullptr, OCI_ATTR_PARAM, err) == OCI_SUCCESS;
        ok = ok && OCIAttrGet(table, OCI_DTYPE_PARAM, &list, nullptr, OCI_ATTR_LIST_COLUMNS, err) == OCI_SUCCESS;
        ok = ok && OCIParamGet(list, OCI_DTYPE_PARAM, err, &col, 2) == OCI_SUCCESS;
        ok = ok && OCIAttrGet(col, OCI_DTYPE_PARAM, &name, nullptr, OCI_ATTR_NAME, err) == OCI_SUCCESS;
        ok = ok && OCIParamGet(stmt, OCI_HTYPE_STMT, err, &stmtCol, 2) == OCI_SUCCESS;
        ok = ok && OCIAttrGet(stmtCol, OCI_DTYPE_PARAM, &name, nullptr, OCI_ATTR_NAME, err) == OCI_SUCCESS;
        o2pFailAllocationAfter(-1);
        if (!ok) {
            ++failures;
            EXPECT_NE(Error(), 0) << n;  // a failure always says why
        } else {
            EXPECT_STREQ(name, "b");
            passed = true;  // past the last allocation of the sequence
        }
        for (void *d : {static_cast<void *>(table), static_cast<void *>(list), col, stmtCol})
            if (d != nullptr) OCIDescriptorFree(d, OCI_DTYPE_PARAM);
    }
    EXPECT_TRUE(passed);
    EXPECT_GT(failures, 10);
}

TEST_F(Describe, RefusalsAndHostileNames) {
    EXPECT_EQ(DescribeTable("d_view", OCI_PTYPE_VIEW), OCI_ERROR);
    EXPECT_EQ(Error(), 3001);
    EXPECT_EQ(DescribeTable("d_tab", 25), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIDescribeAny(svc, err, nullptr, 4, OCI_OTYPE_NAME, 0, OCI_PTYPE_TABLE, dsc), OCI_ERROR);
    EXPECT_EQ(Error(), 1009);
    char name[] = "x";
    EXPECT_EQ(OCIDescribeAny(svc, err, name, 1, OCI_OTYPE_PTR, 0, OCI_PTYPE_TABLE, dsc), OCI_ERROR);
    EXPECT_EQ(Error(), 3001);

    // Names reach the catalogue as parameters and come back whole in 4043,
    // however long and whatever they hold.
    const std::string hostile[] = {
        "no_such_relation",
        "x' OR relname <> '",
        "back\\slash\\' \"quoted\" %s %n %d",
        std::string(1000, 'L') + "end",
        "n\xC3\xA4me_\xE5\x90\x8D\xE5\x89\x8D",
    };
    for (const std::string &n : hostile) {
        SCOPED_TRACE(n.substr(0, 40));
        EXPECT_EQ(DescribeTable(n), OCI_ERROR);
        EXPECT_EQ(Error(), 4043);
        EXPECT_EQ(Message(), "VOSKARI-04043: object " + n + " does not exist");
    }
    // The failed lookups left the session usable.
    Run("CREATE TEMP TABLE \"n\xC3\xA4me\" (a int)");
    EXPECT_EQ(DescribeTable("n\xC3\xA4me"), OCI_SUCCESS) << Message();
}

// Every column of a table of the result table's types, defined by the type
// and size describe reports, arrives whole.
TEST_F(Describe, DefinesFromDescribeFetchEveryValueWhole) {
    Run("CREATE TEMP TABLE d_all (c_bytea bytea, c_char \"char\", c_int2 int2, c_int4 int4, c_int8 int8,"
        " c_float4 float4, c_float8 float8, c_numeric numeric(20,3), c_text text, c_bpchar char(6),"
        " c_varchar varchar(10), c_date date, c_timestamp timestamp, c_timestamptz timestamptz,"
        " c_interval interval)");
    Run("INSERT INTO d_all VALUES ('\\x00ff10abcdef', 'q', -32768, 2147483647, 9223372036854775807, 1.5, 2.25,"
        " 12345678901234567.125, 'a text of some length', 'ab', '\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC"
        "\xC3\x9F\xC3\xA9\xC3\xA8\xC3\xAA', '2024-02-29', '2024-02-29 12:34:56.789', '2024-02-29 12:34:56+02',"
        " '1 year 2 mons 3 days 04:05:06')");
    ASSERT_EQ(Execute("SELECT * FROM d_all", 0), OCI_SUCCESS) << Message();
    ub4 count = 0;
    ASSERT_EQ(OCIAttrGet(stmt, OCI_HTYPE_STMT, &count, nullptr, OCI_ATTR_PARAM_COUNT, err), OCI_SUCCESS);
    ASSERT_EQ(count, 15u);

    struct Slot {
        ub2 type = 0;
        std::vector<char> buffer;
        void *descriptor = nullptr;
        ub4 descriptorType = 0;
        sb2 ind = 7;
        ub2 len = 0, rcode = 7;
    };
    std::vector<Slot> slots(count);
    for (ub4 i = 0; i < count; ++i) {
        Slot &s = slots[i];
        OCIParam *col = Param(stmt, OCI_HTYPE_STMT, i + 1);
        s.type = Attr<ub2>(col, OCI_ATTR_DATA_TYPE);
        const ub2 size = Attr<ub2>(col, OCI_ATTR_DATA_SIZE);
        switch (s.type) {
        case SQLT_TIMESTAMP: s.descriptorType = OCI_DTYPE_TIMESTAMP; break;
        case SQLT_TIMESTAMP_TZ: s.descriptorType = OCI_DTYPE_TIMESTAMP_TZ; break;
        case SQLT_INTERVAL_YM: s.descriptorType = OCI_DTYPE_INTERVAL_YM; break;
        default: break;
        }
        void *valuep;
        sb4 valueSize;
        if (s.descriptorType != 0) {
            ASSERT_EQ(OCIDescriptorAlloc(env, &s.descriptor, s.descriptorType, 0, nullptr), OCI_SUCCESS);
            valuep = &s.descriptor;
            valueSize = sizeof s.descriptor;
        } else {
            // A null-terminated string needs room for its terminator.
            s.buffer.assign(size + (s.type == SQLT_STR ? 1 : 0), '\0');
            valuep = s.buffer.data();
            valueSize = static_cast<sb4>(s.buffer.size());
        }
        OCIDefine *def = nullptr;
        ASSERT_EQ(OCIDefineByPos(stmt, &def, err, i + 1, valuep, valueSize, s.type, &s.ind, &s.len, &s.rcode,
                                 OCI_DEFAULT),
                  OCI_SUCCESS)
            << Name(col) << ": " << Message();
    }
    ASSERT_EQ(OCIStmtFetch2(stmt, err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT), OCI_SUCCESS) << Message();
    const char *names[] = {"bytea", "char", "int2", "int4", "int8", "float4", "float8", "numeric",
                           "text", "bpchar", "varchar", "date", "timestamp", "timestamptz", "interval"};
    for (ub4 i = 0; i < count; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(slots[i].ind, 0);
        EXPECT_EQ(slots[i].rcode, 0);
    }
    EXPECT_EQ(slots[0].len, 6);  // the bytes, not their text
    EXPECT_EQ(std::string(slots[8].buffer.data()), "a text of some length");
    EXPECT_EQ(std::string(slots[9].buffer.data(), slots[9].len), "ab    ");
    EXPECT_EQ(slots[10].len, 20);  // ten characters of two bytes
    sb8 big = 0;
    ASSERT_EQ(slots[4].buffer.size(), sizeof big);
    std::memcpy(&big, slots[4].buffer.data(), sizeof big);
    EXPECT_EQ(big, 9223372036854775807LL);
}

// A UTF-16 environment describes in UTF-16: names go in and come out so.
TEST(DescribeUtf16, NamesTravelInUtf16) {
    auto wide = [](const std::string &s) {
        std::string w;
        for (char c : s) w += std::string{c, '\0'};
        return w;
    };
    OCIEnv *env = nullptr;
    ASSERT_EQ(OCIEnvCreate(&env, OCI_UTF16, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    std::unique_ptr<OCIEnv, void (*)(OCIEnv *)> release(env, [](OCIEnv *e) { OCIHandleFree(e, OCI_HTYPE_ENV); });
    OCIError *err = nullptr;
    OCIServer *server = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;
    OCIStmt *stmt = nullptr;
    OCIDescribe *dsc = nullptr;
    for (auto [h, type] : {std::pair<void **, ub4>{reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR},
                           {reinterpret_cast<void **>(&server), OCI_HTYPE_SERVER},
                           {reinterpret_cast<void **>(&svc), OCI_HTYPE_SVCCTX},
                           {reinterpret_cast<void **>(&session), OCI_HTYPE_SESSION},
                           {reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT},
                           {reinterpret_cast<void **>(&dsc), OCI_HTYPE_DESCRIBE}})
        ASSERT_EQ(OCIHandleAlloc(env, h, type, 0, nullptr), OCI_SUCCESS);
    const std::string uri = wide(oci_test::ClusterUri());
    ASSERT_EQ(OCIServerAttach(server, err, Text(uri), static_cast<sb4>(uri.size()), OCI_DEFAULT), OCI_SUCCESS);
    OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err);
    OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
    ASSERT_EQ(OCISessionBegin(svc, err, session, OCI_CRED_RDBMS, OCI_DEFAULT), OCI_SUCCESS);
    auto run = [&](const std::string &sql, ub4 iters) {
        const std::string w = wide(sql);
        EXPECT_EQ(OCIStmtPrepare(stmt, err, Text(w), static_cast<ub4>(w.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
                  OCI_SUCCESS);
        return OCIStmtExecute(svc, stmt, err, iters, 0, nullptr, nullptr, OCI_DEFAULT);
    };
    auto text = [&](const void *param, ub4 attr) {
        char *p = nullptr;
        ub4 size = 0;
        EXPECT_EQ(OCIAttrGet(param, OCI_DTYPE_PARAM, &p, &size, attr, err), OCI_SUCCESS);
        return p != nullptr ? std::string(p, size) : "?";
    };
    ASSERT_EQ(run("CREATE TEMP TABLE d_wide (wide_col int)", 1), OCI_SUCCESS);

    ASSERT_EQ(run("SELECT wide_col FROM d_wide", 0), OCI_SUCCESS);
    void *col = nullptr;
    ASSERT_EQ(OCIParamGet(stmt, OCI_HTYPE_STMT, err, &col, 1), OCI_SUCCESS);
    EXPECT_EQ(text(col, OCI_ATTR_NAME), wide("wide_col"));
    EXPECT_EQ(text(col, OCI_ATTR_TYPE_NAME), wide("int4"));

    std::string name = wide("d_wide");
    ASSERT_EQ(OCIDescribeAny(svc, err, &name[0], static_cast<ub4>(name.size()), OCI_OTYPE_NAME, 0, OCI_PTYPE_TABLE,
                             dsc),
              OCI_SUCCESS);
    void *table = nullptr, *list = nullptr, *column = nullptr;
    ASSERT_EQ(OCIAttrGet(dsc, OCI_HTYPE_DESCRIBE, &table, nullptr, OCI_ATTR_PARAM, err), OCI_SUCCESS);
    ASSERT_EQ(OCIAttrGet(table, OCI_DTYPE_PARAM, &list, nullptr, OCI_ATTR_LIST_COLUMNS, err), OCI_SUCCESS);
    ASSERT_EQ(OCIParamGet(list, OCI_DTYPE_PARAM, err, &column, 1), OCI_SUCCESS);
    EXPECT_EQ(text(column, OCI_ATTR_NAME), wide("wide_col"));
    EXPECT_EQ(text(column, OCI_ATTR_SCHEMA_NAME), wide("pg_catalog"));
}

}  // namespace

// What the real server sends, converted: every row of data/server_values.txt
// runs its expression in text and/or binary result format and checks the
// column type, the converter's result and the application buffer byte for
// byte (descriptors, OCIString and LOB targets as a dump of their fields).
#include <libpq-fe.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "conn/conn_handles.h"
#include "env/memory.h"
#include "platform/oci_string.h"
#include "types/datetime_handles.h"
#include "types/result/result_test_support.h"

using namespace resulttest;

namespace {

// Server types a converter family reads.
std::vector<Oid> FamilyTypes(const std::string &converter) {
    const std::string family = converter.substr(7, converter.find("OIDTo") - 7);
    if (family == "BYTEA") return {17};
    if (family == "CHAR") return {18};
    if (family == "INT2") return {21};
    if (family == "INT4") return {23};
    if (family == "INT8") return {20};
    if (family == "FLOAT4") return {700};
    if (family == "FLOAT8") return {701};
    if (family == "NUMERIC") return {1700};
    if (family == "TEXT") return {25, 1042, 1043, 1790};
    if (family == "DATE" || family == "TIMESTAMP") return {1082, 1114, 1184};
    if (family == "TIMESTAMPTZ") return {1184};
    if (family == "INTERVAL") return {1186};
    if (family == "OID") return {26};
    return {};
}

bool EndsWith(const std::string &s, const std::string &tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

std::string DumpDateTime(const OCIDateTime *dt) {
    const DateTimeValue *b = dt->value;
    const unsigned f = (unsigned{b->fraction[0]} << 24) | (unsigned{b->fraction[1]} << 16) |
                       (unsigned{b->fraction[2]} << 8) | b->fraction[3];
    char buf[120];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d f=%u z=%s %d", b->date.OCIDateYYYY,
                  b->date.OCIDateMM, b->date.OCIDateDD, b->date.OCIDateTime.OCITimeHH, b->date.OCIDateTime.OCITimeMI,
                  b->date.OCIDateTime.OCITimeSS, f, b->zoneText, static_cast<int>(b->zoneOffset));
    return buf;
}

std::string DumpInterval(const OCIInterval *iv) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "m=%d d=%d s=%.6f", iv->value->months, iv->value->days, iv->value->seconds);
    return buf;
}

class ServerValues : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        conn_ = PQconnectdb("");
        if (PQstatus(conn_) == CONNECTION_OK) PQsetClientEncoding(conn_, "UTF8");
    }
    static void TearDownTestSuite() { PQfinish(conn_); }
    void SetUp() override { ASSERT_EQ(PQstatus(conn_), CONNECTION_OK) << PQerrorMessage(conn_); }

    static void Exec(const std::string &sql) {
        PGresult *r = PQexec(conn_, sql.c_str());
        EXPECT_EQ(PQresultStatus(r), PGRES_COMMAND_OK) << sql << ": " << PQerrorMessage(conn_);
        PQclear(r);
    }
    // The session settings every row starts from, then the row's own ones
    // ("name=value;...").
    static void Settings(const std::string &extra) {
        Exec("SET DateStyle TO 'ISO'; SET TimeZone TO 'UTC'; SET IntervalStyle TO 'postgres'; "
             "SET bytea_output TO 'hex'; SET extra_float_digits TO 1");
        if (extra == "-") return;
        std::stringstream ss(extra);
        std::string item;
        while (std::getline(ss, item, ';')) {
            size_t eq = item.find('=');
            Exec("SET " + item.substr(0, eq) + " TO '" + item.substr(eq + 1) + "'");
        }
    }

    static PGconn *conn_;
};
PGconn *ServerValues::conn_ = nullptr;

// One converter call on one column value; the outcome as the table states it.
struct Got {
    sword status;
    ub4 length;
    sb2 indicator;
    std::string expected;  // the destination, as bytes or as a dump
};

Got ConvertColumn(const std::string &converter, OCIError *err, const char *value, int len, int format, ub4 capacity) {
    std::string name = converter;
    ub4 kind = 0;
    if (EndsWith(name, "@LTZ")) {
        name.resize(name.size() - 4);
        kind = OCI_DTYPE_TIMESTAMP_LTZ;
    } else if (EndsWith(name, "_DATE")) {
        kind = OCI_DTYPE_DATE;
    } else if (EndsWith(name, "_TIMESTAMP")) {
        kind = OCI_DTYPE_TIMESTAMP;
    } else if (EndsWith(name, "_TIMESTAMP_TZ")) {
        kind = OCI_DTYPE_TIMESTAMP_TZ;
    } else if (EndsWith(name, "_INTERVAL_DS")) {
        kind = OCI_DTYPE_INTERVAL_DS;
    } else if (EndsWith(name, "_BLOB")) {
        kind = OCI_DTYPE_LOB;
    }
    ResultConverter fn = Find(name);
    EXPECT_NE(fn, nullptr) << name;
    Got got{};
    got.indicator = 0x7777;
    if (fn == nullptr) return got;
    OCIEnv *env = Envs::Get().plain;
    if (kind != 0 || EndsWith(name, "_VST")) {
        void *target = nullptr;
        if (kind != 0) {
            EXPECT_EQ(OCIDescriptorAlloc(env, &target, kind, 0, nullptr), OCI_SUCCESS);
        }
        got.length = sizeof target;
        got.status = fn(err, value, static_cast<ub4>(len), static_cast<ub1>(format), &target, &got.length,
                        &got.indicator, nullptr, nullptr);
        if (kind == OCI_DTYPE_INTERVAL_DS) {
            got.expected = DumpInterval(static_cast<OCIInterval *>(target));
        } else if (kind == OCI_DTYPE_LOB) {
            got.expected = "oid=" + std::to_string(static_cast<OCILobLocator *>(target)->lobOid);
        } else if (kind != 0) {
            got.expected = DumpDateTime(static_cast<OCIDateTime *>(target));
        } else if (target != nullptr) {
            auto *str = static_cast<OCIString *>(target);
            got.expected = ToHex(reinterpret_cast<unsigned char *>(str->text), str->length);
            o2pFree(str->text);
            o2pDelete(str);
        }
        if (kind != 0) OCIDescriptorFree(target, kind);
        return got;
    }
    std::unique_ptr<unsigned char[]> buf(new unsigned char[capacity == 0 ? 1 : capacity]);
    std::memset(buf.get(), 0xEE, capacity == 0 ? 1 : capacity);
    got.length = capacity;
    got.status = fn(err, value, static_cast<ub4>(len), static_cast<ub1>(format), buf.get(), &got.length,
                    &got.indicator, nullptr, nullptr);
    got.expected = ToHex(buf.get(), capacity);
    return got;
}

TEST_F(ServerValues, EveryRow) {
    auto rows = ReadTable("server_values.txt");
    ASSERT_GT(rows.size(), 60u);
    std::set<Oid> typesSeen;
    for (const auto &row : rows) {
        ASSERT_EQ(row.cells.size(), 10u) << "line " << row.line;
        const auto &c = row.cells;
        Settings(c[1]);
        for (int format : {0, 1}) {
            if (c[3].find(format == 0 ? 't' : 'b') == std::string::npos) continue;
            SCOPED_TRACE("line " + std::to_string(row.line) + ": " + c[2] + " as " + c[4] +
                         (format ? " (binary)" : " (text)"));
            PGresult *r = PQexecParams(conn_, ("SELECT " + c[2]).c_str(), 0, nullptr, nullptr, nullptr, nullptr,
                                       format);
            if (PQresultStatus(r) != PGRES_TUPLES_OK) {
                ADD_FAILURE() << PQerrorMessage(conn_);
                PQclear(r);
                continue;
            }
            const Oid type = PQftype(r, 0);
            typesSeen.insert(type);
            auto family = FamilyTypes(c[4].substr(0, c[4].find('@')));
            EXPECT_NE(std::find(family.begin(), family.end(), type), family.end()) << "column type " << type;
            // An exact-size copy of the value, so that a read past it shows.
            const bool isNull = PQgetisnull(r, 0, 0);
            const int len = PQgetlength(r, 0, 0);
            std::unique_ptr<char[]> value(new char[len == 0 ? 1 : len]);
            std::memcpy(value.get(), PQgetvalue(r, 0, 0), static_cast<size_t>(len));
            PQclear(r);
            OCIError *err = Envs::Get().For(c[0]);
            const ub4 capacity = c[5] == "-" ? 0 : static_cast<ub4>(std::stoul(c[5]));
            Got got = ConvertColumn(c[4], err, isNull ? nullptr : value.get(), len, format, capacity);
            EXPECT_EQ(got.status, std::stoi(c[6])) << FirstError(err);
            EXPECT_EQ(got.length, std::stoul(c[7]));
            EXPECT_EQ(got.indicator, std::stoi(c[8]));
            const bool dump = c[9].find('=') != std::string::npos;
            EXPECT_EQ(got.expected, dump ? c[9] : ToHex(Bytes(c[9])));
        }
    }
    // Every server type of the result table that a stock server has.
    for (Oid type : {17u, 18u, 20u, 21u, 23u, 25u, 26u, 700u, 701u, 1042u, 1043u, 1082u, 1114u, 1184u, 1186u, 1700u,
                     1790u}) {
        EXPECT_TRUE(typesSeen.count(type)) << "no row reads type " << type;
    }
}

}  // namespace

// Implicit describe: OCIParamGet on an executed or described statement and
// on a list descriptor, and the column records built from a statement's
// current result.
//
// The catalogue facts of a result's columns (nullability, type name and
// schema) are read for all columns at once, with one query whose table ids,
// column numbers and type ids are bound as array parameters, and kept on the
// statement: describing a select list of n columns costs one round trip,
// not n or 2n.
#include <cstring>
#include <new>
#include <string>

#include "conn/conn_handles.h"
#include "diag/entry.h"
#include "env/describe_handles.h"
#include "env/env.h"
#include "stmt/execute.h"
#include "stmt/pqext/pqext.h"
#include "stmt/prepare.h"
#include "stmt/stmt_handles.h"

namespace {

// What the catalogue says about one result column. The facts depend on the
// three keys only, so they are right for any result whose column has them.
struct ColumnFacts {
    Oid table;
    int attnum;
    Oid type;
    sb1 notNull;  // 1, 0, or -1 when the catalogue did not say
    char *typeName;
    char *schemaName;
};

// Owned by the statement (describeCache).
struct StmtDescribeCache {
    const PGresult *result;  // the result the facts were read for
    int count;
    ColumnFacts *columns;
    bool handedOut;  // descriptors with this statement as source exist
};

constexpr const char *kFactsQuery =
    "SELECT a.attnotnull, t.typname, s.nspname"
    " FROM ROWS FROM (pg_catalog.unnest($1::pg_catalog.oid[]), pg_catalog.unnest($2::pg_catalog.int4[]),"
    "                 pg_catalog.unnest($3::pg_catalog.oid[])) WITH ORDINALITY AS k(rel, att, typ, n)"
    " LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = k.rel AND a.attnum = k.att"
    " LEFT JOIN pg_catalog.pg_type t ON t.oid = k.typ"
    " LEFT JOIN pg_catalog.pg_namespace s ON s.oid = t.typnamespace"
    " ORDER BY k.n";

void FreeFacts(StmtDescribeCache *cache) {
    for (int i = 0; i < cache->count; ++i) {
        o2pFree(cache->columns[i].typeName);
        o2pFree(cache->columns[i].schemaName);
    }
    o2pFree(cache->columns);
    cache->columns = nullptr;
    cache->count = 0;
    cache->result = nullptr;
}

StmtDescribeCache *CacheOf(OCIStmt *stmt) {
    if (stmt->describeCache == nullptr) stmt->describeCache = o2pNew<StmtDescribeCache>();
    return static_cast<StmtDescribeCache *>(stmt->describeCache);
}

bool SameKeys(const ColumnFacts &f, const PGresult *res, int column) {
    return f.table == PQftable(res, column) && f.attnum == PQftablecol(res, column) && f.type == PQftype(res, column);
}

// Reads the facts of every column of `res` in one query. Columns the query
// could not answer keep unknown facts.
void ReadFacts(OCIStmt *stmt, StmtDescribeCache *cache, const PGresult *res) {
    FreeFacts(cache);
    const int n = PQnfields(res);
    cache->columns = static_cast<ColumnFacts *>(o2pCalloc(n > 0 ? n : 1, sizeof(ColumnFacts)));
    if (cache->columns == nullptr) throw std::bad_alloc();
    cache->count = n;
    cache->result = res;
    std::string tables = "{", attnums = "{", types = "{";
    for (int c = 0; c < n; ++c) {
        ColumnFacts &f = cache->columns[c];
        f.table = PQftable(res, c);
        f.attnum = PQftablecol(res, c);
        f.type = PQftype(res, c);
        f.notNull = -1;
        const char *sep = c > 0 ? "," : "";
        tables += sep + std::to_string(f.table);
        attnums += sep + std::to_string(f.attnum);
        types += sep + std::to_string(f.type);
    }
    tables += "}";
    attnums += "}";
    types += "}";
    if (n == 0) return;

    const OCIServer *server = StatementServer(stmt);
    PGconn *conn = server != nullptr ? server->conn : nullptr;
    if (conn == nullptr || PQstatus(conn) != CONNECTION_OK || !PQextDrain(conn)) return;
    const char *values[3] = {tables.c_str(), attnums.c_str(), types.c_str()};
    PGresult *facts = PQexecParams(conn, kFactsQuery, 3, nullptr, values, nullptr, nullptr, 0);
    struct Clear {
        PGresult *r;
        ~Clear() { PQclear(r); }
    } clear{facts};
    if (PQresultStatus(facts) != PGRES_TUPLES_OK || PQntuples(facts) != n || PQnfields(facts) != 3) return;
    for (int c = 0; c < n; ++c) {
        ColumnFacts &f = cache->columns[c];
        if (!PQgetisnull(facts, c, 0)) f.notNull = std::strcmp(PQgetvalue(facts, c, 0), "t") == 0 ? 1 : 0;
        if (!PQgetisnull(facts, c, 1)) {
            f.typeName = o2pStrdup(PQgetvalue(facts, c, 1));
            if (f.typeName == nullptr) throw std::bad_alloc();
        }
        if (!PQgetisnull(facts, c, 2)) {
            f.schemaName = o2pStrdup(PQgetvalue(facts, c, 2));
            if (f.schemaName == nullptr) throw std::bad_alloc();
        }
    }
}

const ColumnFacts &FactsOf(OCIStmt *stmt, int column) {
    StmtDescribeCache *cache = CacheOf(stmt);
    if (cache == nullptr) throw std::bad_alloc();
    const PGresult *res = stmt->result;
    if (cache->result != res || cache->count != PQnfields(res) || !SameKeys(cache->columns[column], res, column))
        ReadFacts(stmt, cache, res);
    return cache->columns[column];
}

ColumnValueLengths LengthsOf(const PGresult *res, int column) {
    const int rows = PQntuples(res);
    ColumnValueLengths lengths{rows > 0, 0};
    for (int r = 0; r < rows; ++r) {
        if (PQgetisnull(res, r, column)) continue;
        const ub4 length = static_cast<ub4>(PQgetlength(res, r, column));
        if (length > lengths.longest) lengths.longest = length;
    }
    return lengths;
}

bool SetOptionalText(ParamText *field, const char *text) {
    return text == nullptr || SetParamText(field, text, std::strlen(text));
}

sword Fail(OCIError *errhp, sb4 code) {
    AddErrorRecord(errhp, OCI_ERROR, code);
    return OCI_ERROR;
}

sword ParamOfStatement(OCIStmt *stmt, OCIError *errhp, void **parmdpp, ub4 pos) {
    if (pos == 0) return Fail(errhp, kErrNoDescriptor);
    const PGresult *res = stmt->result;
    if (res == nullptr) return Fail(errhp, kErrNotExecuted);
    if (pos > static_cast<ub4>(PQnfields(res))) return Fail(errhp, kErrNoDescriptor);
    OCIEnv *env = HandleAs<OCIEnv>(stmt->parenth, HANDLE_OCIEnv);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    if (stmt->stmtType != OCI_STMT_SELECT) return Fail(errhp, kErrNoDescriptor);
    OCIColumnParamHandle *col = Alloc_OCIColumnParamHandle(env, stmt, static_cast<int>(pos - 1), stmt->executedOnce != 0);
    if (col == nullptr) return Fail(errhp, kErrNoDescriptor);
    OCIParam *param = NewParamDescriptor(env, col, stmt);
    if (param == nullptr) return Fail(errhp, kErrNoMemory);
    CacheOf(stmt)->handedOut = true;  // the cache exists: the column's facts were read
    *parmdpp = param;
    return OCI_SUCCESS;
}

sword ParamOfList(OCIParam *list, OCIError *errhp, void **parmdpp, ub4 pos) {
    OCIEnv *env = HandleAs<OCIEnv>(list->parenth, HANDLE_OCIEnv);
    if (env == nullptr) return OCI_INVALID_HANDLE;
    // Argument records count from 0 (a function's result), the others from 1.
    const OCIParamRecord *found = nullptr;
    ub4 index = 0;
    foreach_cell(cell, static_cast<OCIListParamHandle *>(list->record)->elements) {
        const auto *element = static_cast<const OCIParamRecord *>(cell->ptr);
        const bool argument = element->kind == PARAM_ARGUMENT;
        if (!argument && pos == 0) break;
        if ((argument ? index : index + 1) == pos) {
            found = element;
            break;
        }
        ++index;
    }
    if (found == nullptr) return Fail(errhp, kErrNoDescriptor);
    OCIParamRecord *copy = CopyOCIParamHandle(found);
    if (copy == nullptr) return Fail(errhp, kErrNoDescriptor);
    // The statement must learn that a descriptor hands out of its cache.
    StmtDescribeCache *cache = list->source != nullptr ? CacheOf(list->source) : nullptr;
    if (list->source != nullptr && cache == nullptr) {
        FreeOCIParamHandle(copy);
        return Fail(errhp, kErrNoMemory);
    }
    OCIParam *param = NewParamDescriptor(env, copy, list->source);
    if (param == nullptr) return Fail(errhp, kErrNoMemory);
    if (cache != nullptr) cache->handedOut = true;
    *parmdpp = param;
    return OCI_SUCCESS;
}

}  // namespace

OCIColumnParamHandle *Alloc_OCIColumnParamHandle(OCIEnv *env, OCIStmt *stmt, int column, bool wide) {
    const PGresult *res = stmt->result;
    if (HandleAs<OCIEnv>(env, HANDLE_OCIEnv) == nullptr || res == nullptr || column < 0 || column >= PQnfields(res))
        return nullptr;
    const ColumnFacts &facts = FactsOf(stmt, column);
    OCIColumnParamHandle *col = NewColumnParamRecord();
    if (col == nullptr) return nullptr;
    DescribeColumnType(env, col, PQftype(res, column), PQfmod(res, column), wide, LengthsOf(res, column));
    col->implicit = 1;
    // A column computed by the query may always be null; so may one whose
    // attribute the catalogue did not answer for.
    col->isNull = facts.table == 0 || facts.notNull != 1 ? 1 : 0;
    const char *name = PQfname(res, column);
    if (!SetParamText(&col->name, name, std::strlen(name)) || !SetOptionalText(&col->typeName, facts.typeName) ||
        !SetOptionalText(&col->schemaName, facts.schemaName)) {
        FreeOCIParamHandle(col);
        return nullptr;
    }
    return col;
}

void ReleaseStatementDescribe(OCIStmt *stmt) {
    auto *cache = static_cast<StmtDescribeCache *>(stmt->describeCache);
    if (cache == nullptr) return;
    stmt->describeCache = nullptr;
    // Descriptors may outlive the statement: their texts are handed out of
    // the environment's cache from now on, and the copies in the
    // statement's cache, which goes with it, are forgotten.
    OCIEnv *env = HandleAs<OCIEnv>(stmt->parenth, HANDLE_OCIEnv);
    if (cache->handedOut && env != nullptr) {
        foreach_cell(cell, env->children) {
            auto *param = HandleAs<OCIParam>(cell->ptr, HANDLE_OCIParam);
            if (param == nullptr || param->source != stmt) continue;
            param->source = nullptr;
            ForgetHandedOutTexts(param->record);
        }
    }
    FreeFacts(cache);
    o2pDelete(cache);
}

OCI_EXPORT sword OCIParamGet(const void *hndlp, ub4 htype, OCIError *errhp, void **parmdpp, ub4 pos) {
    if (hndlp == nullptr || parmdpp == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    *parmdpp = nullptr;
    auto *stmt = htype == OCI_HTYPE_STMT ? HandleAs<OCIStmt>(hndlp, HANDLE_OCIStmt) : nullptr;
    auto *list = htype == OCI_DTYPE_PARAM ? HandleAs<OCIParam>(hndlp, HANDLE_OCIParam) : nullptr;
    if (htype == OCI_HTYPE_STMT && stmt == nullptr) return OCI_INVALID_HANDLE;
    if (htype == OCI_DTYPE_PARAM && (list == nullptr || list->record == nullptr || list->record->kind != PARAM_LIST))
        return OCI_INVALID_HANDLE;
    OCIEnv *env = htype == OCI_HTYPE_STMT || htype == OCI_DTYPE_PARAM ? EnvOfHandle(hndlp) : nullptr;
    return RunEntry({"OCIParamGet", OCI_FNCODE_PARAMGET}, env, errhp, [&]() -> sword {
        if (stmt != nullptr) return ParamOfStatement(stmt, errhp, parmdpp, pos);
        if (list != nullptr) return ParamOfList(list, errhp, parmdpp, pos);
        return Fail(errhp, kErrInvalidHandleType);
    }, OCI_ARGS(hndlp, htype, errhp, parmdpp, pos));
}

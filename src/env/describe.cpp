// Explicit describe: describe handles, OCIDescribeAny and the records it
// builds from the server's catalogue. A table and all its columns are read
// with one query, the name bound as a parameter.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "conn/conn_handles.h"
#include "conn/session_control.h"
#include "conn/transaction.h"
#include "conn/transcode.h"
#include "diag/catalogue.h"
#include "diag/entry.h"
#include "env/attributes.h"
#include "env/describe_handles.h"
#include "env/env.h"
#include "stmt/pqext/pqext.h"
#include "types/convert.h"

OCIDescribe *Alloc_OCIDescribe() { return NewHandle<OCIDescribe>(HANDLE_OCIDescribe); }

void Free_OCIDescribe(OCIDescribe *dsc) {
    if (dsc == nullptr || dsc->handleType != HANDLE_OCIDescribe) return;
    FreeOCIParamHandle(dsc->result);
    dsc->result = nullptr;
    DeleteHandle(dsc);
}

sword Get_OCIDescribe(void *h, void *attributep, ub4 *sizep, ub4 attrtype, OCIError *errhp) {
    auto *dsc = HandleAs<OCIDescribe>(h, HANDLE_OCIDescribe);
    if (dsc == nullptr || attributep == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    switch (attrtype) {
    case OCI_ATTR_PARAM: {
        OCIEnv *env = HandleAs<OCIEnv>(dsc->parenth, HANDLE_OCIEnv);
        if (env == nullptr || dsc->result == nullptr) return OCI_INVALID_HANDLE;
        OCIParamRecord *copy = CopyOCIParamHandle(dsc->result);
        OCIParam *param = copy != nullptr ? NewParamDescriptor(env, copy, nullptr) : nullptr;
        if (param == nullptr) {
            AddErrorRecord(errhp, OCI_ERROR, kErrDescribeMemory);
            return OCI_ERROR;
        }
        return PutAttr<OCIParam *>(attributep, sizep, param);
    }
    case OCI_ATTR_PARAM_COUNT:
        AddErrorRecord(errhp, OCI_ERROR, kErrUnsupportedFeature);
        return OCI_ERROR;
    default:
        AddErrorRecord(errhp, OCI_ERROR, kErrAttributeInvalid);
        return OCI_ERROR;
    }
}

namespace {

// The relation of that name (the one visible on the search path first when
// several schemas have one) with its live columns in order; a relation
// without columns gives one row with null column fields.
constexpr const char *kTableQuery =
    "SELECT r.oid, r.relnatts, r.relkind, r.relpersistence, r.reltablespace,"
    " a.attnum, a.attname, a.atttypid, a.atttypmod, a.attnotnull, t.typname, n.nspname"
    " FROM (SELECT c.oid, c.relnatts, c.relkind, c.relpersistence, c.reltablespace"
    "       FROM pg_catalog.pg_class c WHERE c.relname = $1"
    "       ORDER BY pg_catalog.pg_table_is_visible(c.oid) DESC, c.oid LIMIT 1) r"
    " LEFT JOIN pg_catalog.pg_attribute a ON a.attrelid = r.oid AND a.attnum > 0 AND NOT a.attisdropped"
    " LEFT JOIN pg_catalog.pg_type t ON t.oid = a.atttypid"
    " LEFT JOIN pg_catalog.pg_namespace n ON n.oid = t.typnamespace"
    " ORDER BY a.attnum";

enum TableColumn { T_OID, T_NATTS, T_KIND, T_PERSISTENCE, T_SPACE, T_ATTNUM, T_ATTNAME, T_TYPID, T_TYPMOD,
                   T_NOTNULL, T_TYPNAME, T_NSPNAME, T_COUNT };

const char *Value(const PGresult *res, int row, int column) {
    return PQgetisnull(res, row, column) ? nullptr : PQgetvalue(res, row, column);
}

ub4 Unsigned(const PGresult *res, int row, int column) {
    const char *v = Value(res, row, column);
    return v != nullptr ? static_cast<ub4>(std::strtoul(v, nullptr, 10)) : 0;
}

// The catalogue text of 4043 with the name in place of its "%s": built at
// full length, so that a name of any length comes back whole (the name is
// inserted as it is, never read as a format).
std::string NoSuchObjectText(const char *name) {
    std::string text = o2pGetErrorText(kErrNoSuchObject);
    const size_t slot = text.find("%s");
    if (slot != std::string::npos) text.replace(slot, 2, name);
    return text;
}

sword Fail(OCIError *errhp, sb4 code) {
    AddErrorRecord(errhp, OCI_ERROR, code);
    return OCI_ERROR;
}

}  // namespace

sword Build_OCIColumnParamHandle(OCIEnv *env, OCIError *errhp, const PGresult *res, int row,
                                 OCIColumnParamHandle **out) {
    *out = nullptr;
    const char *name = Value(res, row, T_ATTNAME);
    if (name == nullptr || Value(res, row, T_TYPID) == nullptr) return Fail(errhp, kErrNoSuchColumn);
    OCIColumnParamHandle *col = NewColumnParamRecord();
    if (col == nullptr) return Fail(errhp, kErrDescribeMemory);
    const char *typmod = Value(res, row, T_TYPMOD);
    // No rows to measure: unbounded columns get the default size.
    DescribeColumnType(env, col, static_cast<Oid>(Unsigned(res, row, T_TYPID)),
                       typmod != nullptr ? std::atoi(typmod) : -1, false, ColumnValueLengths{false, 0});
    const char *notNull = Value(res, row, T_NOTNULL);
    col->isNull = notNull != nullptr && std::strcmp(notNull, "t") == 0 ? 0 : 1;
    const char *typeName = Value(res, row, T_TYPNAME);
    const char *schemaName = Value(res, row, T_NSPNAME);
    if (!SetParamText(&col->name, name, std::strlen(name)) ||
        (typeName != nullptr && !SetParamText(&col->typeName, typeName, std::strlen(typeName))) ||
        (schemaName != nullptr && !SetParamText(&col->schemaName, schemaName, std::strlen(schemaName)))) {
        FreeOCIParamHandle(col);
        return Fail(errhp, kErrDescribeMemory);
    }
    *out = col;
    return OCI_SUCCESS;
}

sword Build_OCITableParamHandle(OCIEnv *env, OCIError *errhp, PGconn *conn, const char *name, size_t nameLen,
                                ub1 objtyp, OCITableParamHandle **out) {
    *out = nullptr;
    if (objtyp == OCI_PTYPE_VIEW || objtyp == OCI_PTYPE_PROC) return Fail(errhp, kErrUnsupportedFeature);
    if (name == nullptr || nameLen == 0) return Fail(errhp, kErrMandatoryParameter);
    // The server knows no NUL inside a name: the name ends at one.
    const std::string relname(name, strnlen(name, nameLen));
    if (!PQextDrain(conn)) return Fail(errhp, kErrDescribeMemory);
    const Oid types[1] = {VARCHAROID};
    const char *values[1] = {relname.c_str()};
    PGresult *res = PQexecParams(conn, kTableQuery, 1, types, values, nullptr, nullptr, 0);
    struct Clear {
        PGresult *r;
        ~Clear() { PQclear(r); }
    } clear{res};
    if (PQresultStatus(res) != PGRES_TUPLES_OK || PQnfields(res) != T_COUNT) return Fail(errhp, kErrDescribeMemory);
    if (PQntuples(res) == 0) {
        const std::string message = NoSuchObjectText(relname.c_str());
        if (auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError))
            std::snprintf(err->message, sizeof err->message, "%s", message.c_str());
        AddErrorRecord2(errhp, OCI_ERROR, kErrNoSuchObject, message.c_str());
        return OCI_ERROR;
    }

    auto *table = o2pNew<OCITableParamHandle>();
    if (table == nullptr) return Fail(errhp, kErrDescribeMemory);
    table->kind = PARAM_TABLE;
    table->objid = Unsigned(res, 0, T_OID);
    table->numCols = static_cast<ub2>(Unsigned(res, 0, T_NATTS));
    const char *kind = Value(res, 0, T_KIND);
    const char *persistence = Value(res, 0, T_PERSISTENCE);
    table->isTyped = kind != nullptr && std::strcmp(kind, "c") == 0 ? 1 : 0;
    table->isTemporary = persistence != nullptr && std::strcmp(persistence, "t") == 0 ? 1 : 0;
    table->tablespace = Unsigned(res, 0, T_SPACE);
    if (Build_OCIListParamHandle(errhp, &table->columns) != OCI_SUCCESS) {
        FreeOCIParamHandle(table);
        return OCI_ERROR;
    }
    // A relation without columns has one row whose column fields are null.
    const int rows = Value(res, 0, T_ATTNUM) != nullptr ? PQntuples(res) : 0;
    for (int row = 0; row < rows; ++row) {
        OCIColumnParamHandle *col = nullptr;
        bool built = Build_OCIColumnParamHandle(env, errhp, res, row, &col) == OCI_SUCCESS;
        if (built && !AppendParamRecord(table->columns, col)) {
            FreeOCIParamHandle(col);
            AddErrorRecord(errhp, OCI_ERROR, kErrDescribeMemory);
            built = false;
        }
        if (!built) {
            // The table stands without columns; the failing build left its record.
            FreeOCIParamHandle(table->columns);
            table->columns = nullptr;
            Build_OCIListParamHandle(errhp, &table->columns);
            break;
        }
    }
    *out = table;
    return OCI_SUCCESS;
}

OCI_EXPORT sword OCIDescribeAny(OCISvcCtx *svchp, OCIError *errhp, void *objptr, ub4 objnm_len, ub1 objptr_typ,
                                ub1 info_level, ub1 objtyp, OCIDescribe *dschp) {
    if (HandleAs<OCISvcCtx>(svchp, HANDLE_OCISvcCtx) == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr ||
        HandleAs<OCIDescribe>(dschp, HANDLE_OCIDescribe) == nullptr)
        return OCI_INVALID_HANDLE;
    ClearErrorHandle(errhp);
    if (objptr_typ == OCI_OTYPE_REF || objptr_typ == OCI_OTYPE_PTR) return Fail(errhp, kErrUnsupportedFeature);
    if (objptr_typ != OCI_OTYPE_NAME) return Fail(errhp, kErrIllegalObjectType);
    if (objptr == nullptr || objnm_len == 0) return Fail(errhp, kErrMandatoryParameter);
    if (info_level != 0) return OCI_INVALID_HANDLE;
    if (objtyp > OCI_PTYPE_NAME_VALUE) return OCI_INVALID_HANDLE;
    if (objtyp != OCI_PTYPE_TABLE) return Fail(errhp, kErrUnsupportedFeature);
    OCIEnv *env = HandleAs<OCIEnv>(svchp->parenth, HANDLE_OCIEnv);
    if (env == nullptr) return OCI_INVALID_HANDLE;

    return RunEntry({"OCIDescribeAny", OCI_FNCODE_DESCRIBEANY}, env, errhp, [&]() -> sword {
        OCIServer *server = nullptr;
        const sword rc = getServerHandleFromService(&server, svchp, errhp);
        if (rc != OCI_SUCCESS) return rc;
        if (server->conn == nullptr || PQstatus(server->conn) != CONNECTION_OK)
            return Fail(errhp, kErrConnectionTerminated);
        // In a UTF-16 environment the name arrives in UTF-16.
        const char *name = static_cast<const char *>(objptr);
        size_t length = objnm_len;
        char *converted = nullptr;
        if (env->utf16) {
            int error = 0;
            if (transcode(env->toUtf8, &error, name, length, &converted, &length) < 0) {
                AddTranscodeErrorRecord(errhp, error);
                return OCI_ERROR;
            }
            name = converted;
        }
        struct FreeName {
            char *p;
            ~FreeName() { o2pFree(p); }
        } freeName{converted};
        FreeOCIParamHandle(dschp->result);
        dschp->result = nullptr;
        START_TRANSACTION(server->conn);
        const PGTransactionStatusType before = PQtransactionStatus(server->conn);
        OCITableParamHandle *table = nullptr;
        const sword status = Build_OCITableParamHandle(env, errhp, server->conn, name, length, objtyp, &table);
        // A failed catalogue query has aborted the transaction block.
        if (table == nullptr && before == PQTRANS_INTRANS && PQtransactionStatus(server->conn) == PQTRANS_INERROR)
            ROLLBACK_TRANSACTION(server);
        dschp->result = table;
        return status;
    }, OCI_ARGS(svchp, errhp, objptr, objnm_len, objptr_typ, info_level, objtyp, dschp));
}

// What the execution and fetch paths use of binds and defines: gathering
// parameter values, returning OUT values, filling define buffers, and the
// callbacks of dynamic binds and defines.
#pragma once
#include <libpq-fe.h>

#include <cstring>
#include <new>
#include <vector>

#include "diag/errors.h"
#include "types/conversion_tables.h"

#include "stmt/stmt_handles.h"

// Of two statuses of one call, the one the application must see: a failure
// over missing data over warnings over success, so that a failed value is
// never hidden by a later one that went well.
inline sword WorseStatus(sword a, sword b) {
    auto rank = [](sword s) {
        switch (s) {
        case OCI_SUCCESS: return 0;
        case OCI_SUCCESS_WITH_INFO: return 1;
        case OCI_NO_DATA: return 2;
        case OCI_NEED_DATA: return 3;
        default: return 4;
        }
    };
    return rank(b) > rank(a) ? b : a;
}

// A status that let the call go on.
inline bool Succeeded(sword status) { return status == OCI_SUCCESS || status == OCI_SUCCESS_WITH_INFO; }

// Element `i` of an indicator, length or return-code array: consecutive
// 2-byte elements, or `skip` bytes apart in an array of structures.
template <class T> T *Element(T *base, ub4 i, ub4 skip, bool structArray) {
    if (base == nullptr) return nullptr;
    if (!structArray) return base + i;
    return reinterpret_cast<T *>(reinterpret_cast<char *>(base) + static_cast<size_t>(i) * skip);
}

// One cell of a result; a cell the result does not have reads as NULL.
struct Cell {
    Oid type = 0;
    const char *value = "";
    ub4 length = 0;
    ub1 format = 0;
    bool isNull = true;
};

inline Cell ReadCell(const PGresult *result, int row, int column) {
    Cell c;
    if (result == nullptr || row < 0 || column < 0 || column >= PQnfields(result)) return c;
    c.type = PQftype(result, column);
    c.format = static_cast<ub1>(PQfformat(result, column));
    if (row >= PQntuples(result) || PQgetisnull(result, row, column)) return c;
    c.value = PQgetvalue(result, row, column);
    c.length = static_cast<ub4>(PQgetlength(result, row, column));
    c.isNull = false;
    return c;
}

// A user callback that did not return OCI_CONTINUE: error 24343.
inline sword CallbackFailed(OCIError *errhp) {
    AddErrorRecord(errhp, OCI_ERROR, 24343);
    return OCI_ERROR;
}

// Converts a cell for an output callback and hands it out piece by piece:
// the whole value goes into a staging buffer of `size` bytes, the first
// piece to the buffer the callback already gave (`buf`, room in *alenp),
// every further one to a buffer `next` obtains from the callback with
// OCI_NEXT_PIECE; `next` returns false when the callback failed (error
// 24343). A buffer without room is error 3131. A NULL is told through the
// indicator only. Never writes more than the room the callback declared.
template <class Next>
sword DeliverPiecewise(OCIError *errhp, const Cell &c, ub2 dty, ub4 size, void *ind, ub2 *rcode, PGconn *conn,
                       void *buf, ub4 *alenp, Next next) {
    std::vector<char> staging;
    try {
        staging.resize(size > 0 ? size : 1);
    } catch (const std::bad_alloc &) {
        AddErrorRecord(errhp, OCI_ERROR, 24330);
        return OCI_ERROR;
    }
    ub4 produced = size;
    const sword status = PQ2OCIType_2(errhp, c.type, c.value, c.length, c.format, dty, staging.data(), &produced,
                                      static_cast<sb2 *>(ind), rcode, c.isNull, conn);
    if (!Succeeded(status)) return status;
    if (c.isNull) {
        if (alenp != nullptr) *alenp = 0;
        return status;
    }
    size_t sent = 0;
    for (;;) {
        const ub4 capacity = alenp != nullptr && buf != nullptr ? *alenp : 0;
        if (capacity == 0) {
            AddErrorRecord(errhp, OCI_ERROR, 3131);
            return OCI_ERROR;
        }
        const size_t count = produced - sent < capacity ? produced - sent : capacity;
        if (count > 0) std::memcpy(buf, staging.data() + sent, count);
        *alenp = static_cast<ub4>(count);
        sent += count;
        if (sent >= produced) return status;
        buf = nullptr;
        alenp = nullptr;
        if (!next(&buf, &alenp)) return CallbackFailed(errhp);
    }
}

// Piece class of an external type: 0 when its values may travel in pieces
// (character and binary strings, LOBs, and codes outside the catalogue),
// 1 for every other catalogued code.
int getOraclePieceInfo(ub4 dty);
// Bytes of the staging buffer a piecewise output of `length` source bytes
// needs; 0 for types that are never staged and for length 0.
ub4 getOracleDataTypeSize(ub4 dty, ub4 length, bool utf16);

// The first bind whose name matches `length` characters of `name` ignoring
// case, or null.
OCIBind *find_placeholder_bind_handle(OCIStmt *stmt, const char *name, ub4 length);

// Converts every bind's value of `iteration` into its pgValue. On failure no
// converted value is left behind.
sword GetOCIBindData(OCIStmt *stmt, OCIError *errhp, ub4 iteration);
// Frees every bind's converted value.
void release_binds_pgdata(List *binds);
// Forgets the bind's converted value (freed when it was allocated for it).
void DropBindValue(OCIBind *b);
// A NUMBER bind (21-byte or VARNUM form) declared to the server as numeric.
bool NumberBoundAsNumeric(const OCIBind *b);

// Returns a callable statement's OUT values and function result of
// `iteration` into the binds or their output callbacks.
sword fill_bind_parameters(OCIStmt *stmt, OCIError *errhp, OCIBind *returnBind, List *paramBinds,
                           PGresult *result, PGresult *outResult, sb4 isFunction, ub4 iteration);
sword call_out_bind_callback(OCIError *errhp, OCIBind *bind, ub4 iteration, PGresult *result, int column);

// Makes `child` the statement a REF CURSOR is fetched from; its preparedName
// holds the cursor's name.
void InitializeChildStmt(OCIStmt *child);
// After a cursor's name has landed in the statement handle `child` through a
// bind or define of `parent`: the child fetches from that cursor on the
// parent's connection, described by the server.
void AdoptRefCursor(OCIStmt *parent, void *child);

// The first define of `column` (from 0), or null.
OCIDefine *find_define(List *defines, int column);

// Fill the defines from `result`, starting at *currentRow, at most `nrows`
// slots. OCI_NO_DATA when fewer rows than asked were delivered.
sword fill_define_buffers(OCIError *errhp, List *defines, PGresult *result, ub4 nrows, ub4 *currentRow,
                          ub4 *rowsFetched);
// The same, every slot read from the prefetched row `row`.
sword fill_define_buffers_prefetch(OCIError *errhp, List *defines, PGresult *result, ub4 nrows,
                                   ub4 *currentRow, ub4 *rowsFetched, ub4 row);
// The same, converting with the connection at hand (the non-blocking path).
sword fill_define_buffers_2(OCIError *errhp, List *defines, PGresult *result, ub4 nrows, ub4 *currentRow,
                            ub4 *rowsFetched, PGconn *connection);
sword call_define_callback(OCIDefine *define, OCIError *errhp, PGresult *result, ub4 slot, int row,
                           int column, PGconn *connection);

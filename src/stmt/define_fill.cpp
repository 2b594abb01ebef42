// Delivering result rows into defines: the three fill functions the
// execute and fetch paths call, and the output callbacks of dynamic defines
// with piecewise hand-out. No path writes more than the application
// declared: value_sz per element, or the length each callback gives.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "diag/errors.h"
#include "diag/trace.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/bind_define.h"
#include "types/conversion_tables.h"
#include "types/convert.h"
#include "types/datetime_format.h"
#include "types/datetime_model.h"
#include "types/type_catalogue.h"

namespace {

constexpr sb4 kErrCallback = 24343;
constexpr sb4 kErrPiece = 24370;
constexpr sb4 kErrInternal = 24330;
constexpr sb4 kErrDefineNotAvailable = 24374;

void *ValueElement(const OCIDefine *d, ub4 j) {
    if (d->valuep == nullptr) return nullptr;
    const size_t stride = d->structArray ? d->pvskip : d->value_sz;
    return static_cast<char *>(d->valuep) + static_cast<size_t>(j) * stride;
}

void TraceValue(int row, int column, const Cell &c) {
    if (!ocitracing(TRACE_DEFINE)) return;
    if (c.isNull) {
        ocitrace(TRACE_DEFINE, "filldefine", "row(%d) column(%d) NULL\n", row, column);
    } else if (c.format == 1 || c.type == 17 /* bytea */) {
        ocitrace(TRACE_DEFINE, "filldefine", "row(%d) column(%d) length(%u)\n", row, column, c.length);
        ocitracehex(TRACE_DEFINE, nullptr, c.value, c.length);
    } else {
        ocitrace(TRACE_DEFINE, "filldefine", "row(%d) column(%d) value(%.*s)\n", row, column,
                 static_cast<int>(c.length), c.value);
    }
}

enum class FillKind { Main, Prefetch, Connection };

// How values reach a define. In the Oracle-compatible mode a column is
// delivered as an Oracle server would hand it over: a boolean is the NUMBER
// 1 or 0, a type Oracle has no counterpart for is its text, and with
// NLS_DATE_FORMAT set, dates and timestamps fetched as characters follow that
// format (the server has no session setting for it).
struct ValueView {
    bool oracle = false;
    const char *dateFormat = nullptr;  // NLS_DATE_FORMAT, for character defines
};

bool IsCharacterDefine(ub2 dty) {
    switch (dty) {
    case SQLT_CHR: case SQLT_STR: case SQLT_AFC: case SQLT_AVC: case SQLT_VCS: case SQLT_LVC: case SQLT_LNG:
        return true;
    default:
        return false;
    }
}

ValueView ViewOf(OCIDefine *d) {
    ValueView view;
    if (d->compatMode == 0) d->compatMode = OracleCompatOf(d) ? 2 : 1;
    view.oracle = d->compatMode == 2;
    if (view.oracle && IsCharacterDefine(d->dty)) {
        const char *format = std::getenv("NLS_DATE_FORMAT");
        if (format != nullptr && *format != '\0') view.dateFormat = format;
    }
    return view;
}

// A date or timestamp in its text form under the format into *text: 1 when
// done, 0 when the value is not one this path reads (it then goes as the
// server sent it), -1 when the format refused it (its record is on errhp).
int FormatDateTime(OCIError *errhp, const Cell &c, const char *format, std::string *text) {
    if (c.format != 0) return 0;
    ParsedDateTime parsed;
    std::memset(&parsed, 0, sizeof parsed);
    if (ReadDateTimeText(c.value, c.length, &parsed) != 0 || parsed.special != DTS_NORMAL) return 0;
    ModelValue value;
    value.tm = parsed.tm;
    value.fsec = c.type == DATEOID ? 0 : parsed.fsec;
    value.hasZone = parsed.hasZone;
    if (parsed.hasZone) {
        value.tm.tm_gmtoff = parsed.zoneOffset;
        value.tm.tm_zone = nullptr;
    }
    const int kind = c.type == DATEOID ? kModelOCIDate
                     : c.type == TIMESTAMPTZOID ? kModelTimestampZone
                                                : kModelTimestamp;
    std::optional<std::string> formatted = datetime_to_char_body(errhp, value, format, kind);
    if (!formatted) return -1;
    *text = std::move(*formatted);
    return 1;
}

// The cell as the view delivers it; `scratch` holds a text made here.
// Null only when formatting failed (its record is on errhp).
const Cell *Present(OCIError *errhp, const ValueView &view, const Cell &c, Cell *out, std::string *scratch) {
    if (!view.oracle) return &c;
    switch (c.type) {
    case BOOLOID:
        *out = c;
        out->type = INT4OID;
        if (!c.isNull) {
            const bool truth = c.format == 0 ? c.length > 0 && c.value[0] == 't' : c.length > 0 && c.value[0] != 0;
            out->value = truth ? "1" : "0";
            out->length = 1;
            out->format = 0;
        }
        return out;
    case DATEOID:
    case TIMESTAMPOID:
    case TIMESTAMPTZOID: {
        if (view.dateFormat == nullptr || c.isNull) return &c;
        const int formatted = FormatDateTime(errhp, c, view.dateFormat, scratch);
        if (formatted <= 0) return formatted < 0 ? nullptr : &c;
        *out = c;
        out->type = TEXTOID;
        out->value = scratch->c_str();
        out->length = static_cast<ub4>(scratch->size());
        return out;
    }
    default:
        if (c.format == 0 && FindServerType(c.type) == nullptr) {
            *out = c;
            out->type = TEXTOID;
            return out;
        }
        return &c;
    }
}

// One value into slot j of a define's own buffers; `scratch` holds a text
// made for the view.
sword FillSlot(OCIError *errhp, OCIDefine *d, ub4 j, const Cell &cell, int row, int column, PGconn *conn,
               const ValueView &view, bool traced, std::string *scratch) {
    Cell shown;
    const Cell *presented = view.oracle ? Present(errhp, view, cell, &shown, scratch) : &cell;
    if (presented == nullptr) return OCI_ERROR;
    const Cell &c = *presented;
    if (traced) TraceValue(row, column, c);
    const bool sa = d->structArray != 0;
    void *dest = ValueElement(d, j);
    ub4 size = d->value_sz;
    sb2 *ind = Element(d->indp, j, d->indskip, sa);
    ub2 *rcode = Element(d->rcodep, j, d->rcskip, sa);
    sword status;
    if (d->dty == SQLT_RSET) {
        // The element holds the application's statement handle, which takes
        // the cursor's name; nothing is written into the element itself.
        void *child = dest != nullptr && d->value_sz >= sizeof(void *) ? *static_cast<void **>(dest) : nullptr;
        status = PQ2OCIType(errhp, c.type, c.value, c.length, c.format, d->dty, child, &size, ind, rcode, c.isNull);
        if (Succeeded(status) && !c.isNull) AdoptRefCursor(HandleAs<OCIStmt>(d->parenth, HANDLE_OCIStmt), child);
    } else if (conn != nullptr) {
        status = PQ2OCIType_2(errhp, c.type, c.value, c.length, c.format, d->dty, dest, &size, ind, rcode,
                              c.isNull, conn);
    } else {
        status = PQ2OCIType(errhp, c.type, c.value, c.length, c.format, d->dty, dest, &size, ind, rcode, c.isNull);
    }
    if (d->rlenp != nullptr) *Element(d->rlenp, j, d->rlskip, sa) = static_cast<ub2>(size);
    return status;
}

sword Fill(OCIError *errhp, List *defines, PGresult *result, ub4 nrows, ub4 *currentRow, ub4 *rowsFetched,
           FillKind kind, ub4 prefetchRow, PGconn *conn) {
    if (HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    if (list_length(defines) == 0 || result == nullptr || nrows == 0 || currentRow == nullptr) {
        if (kind != FillKind::Main) return OCI_NO_DATA;
        AddErrorRecord(errhp, OCI_ERROR, kErrDefineNotAvailable);
        return OCI_ERROR;
    }
    const ub4 start = *currentRow;
    const int rows = PQntuples(result);
    const ub4 available = rows > 0 && static_cast<ub4>(rows) > start ? static_cast<ub4>(rows) - start : 0;
    if (rowsFetched != nullptr) *rowsFetched = available;
    const int columns = PQnfields(result);
    if (columns == 0) return OCI_SUCCESS;

    // The defines by column, from one walk of the list (the first define of
    // a position counts, as for find_define).
    constexpr int kNear = 32;
    OCIDefine *near[kNear] = {};
    foreach_cell(cell, defines) {
        auto *d = static_cast<OCIDefine *>(cell->ptr);
        if (d != nullptr && d->position >= 1 && d->position <= kNear && near[d->position - 1] == nullptr)
            near[d->position - 1] = d;
    }
    const bool traced = ocitracing(TRACE_DEFINE);
    std::string scratch;
    sword status = OCI_SUCCESS;
    for (int c = 0; c < columns; ++c) {
        OCIDefine *d = c < kNear ? near[c] : find_define(defines, c);
        if (d == nullptr) break;
        const ValueView view = ViewOf(d);
        // What every row of the column shares.
        Cell shape;
        shape.type = PQftype(result, c);
        shape.format = static_cast<ub1>(PQfformat(result, c));
        ub4 j = 0;
        for (; j < nrows && j < available; ++j) {
            const int row = static_cast<int>(kind == FillKind::Prefetch ? prefetchRow : start + j);
            sword slot;
            if (d->dynamic) {
                slot = call_define_callback(d, errhp, result, j, row, c, kind == FillKind::Connection ? conn : nullptr);
            } else {
                Cell cell = shape;
                if (!PQgetisnull(result, row, c)) {
                    cell.value = PQgetvalue(result, row, c);
                    cell.length = static_cast<ub4>(PQgetlength(result, row, c));
                    cell.isNull = false;
                }
                slot = FillSlot(errhp, d, j, cell, row, c, kind == FillKind::Connection ? conn : nullptr, view,
                                traced, &scratch);
            }
            // One failed value does not stop the others, but it is not
            // forgotten when a later one succeeds.
            status = WorseStatus(status, slot);
            if (c == 0) ++*currentRow;
        }
        if (c == 0 && j == nrows && rowsFetched != nullptr) *rowsFetched = nrows;
    }
    if (status != OCI_SUCCESS && !Succeeded(status)) return status;
    if (*currentRow - start < nrows) return OCI_NO_DATA;
    return status;
}

}  // namespace

sword fill_define_buffers(OCIError *errhp, List *defines, PGresult *result, ub4 nrows, ub4 *currentRow,
                          ub4 *rowsFetched) {
    return Fill(errhp, defines, result, nrows, currentRow, rowsFetched, FillKind::Main, 0, nullptr);
}

sword fill_define_buffers_prefetch(OCIError *errhp, List *defines, PGresult *result, ub4 nrows, ub4 *currentRow,
                                   ub4 *rowsFetched, ub4 row) {
    return Fill(errhp, defines, result, nrows, currentRow, rowsFetched, FillKind::Prefetch, row, nullptr);
}

sword fill_define_buffers_2(OCIError *errhp, List *defines, PGresult *result, ub4 nrows, ub4 *currentRow,
                            ub4 *rowsFetched, PGconn *connection) {
    return Fill(errhp, defines, result, nrows, currentRow, rowsFetched, FillKind::Connection, 0, connection);
}

sword call_define_callback(OCIDefine *define, OCIError *errhp, PGresult *result, ub4 slot, int row, int column,
                           PGconn *connection) {
    auto *d = HandleAs<OCIDefine>(define, HANDLE_OCIDefine);
    if (d == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr || result == nullptr || row < 0 ||
        column < 0)
        return OCI_INVALID_HANDLE;
    if (d->ocbfp == nullptr) return OCI_NEED_DATA;
    void *buf = nullptr;
    ub4 *alenp = nullptr;
    ub1 piece = OCI_FIRST_PIECE;
    void *ind = nullptr;
    ub2 *rcode = nullptr;
    const ub4 iteration = slot + d->slotBase;
    if (d->ocbfp(d->octxp, d, iteration, &buf, &alenp, &piece, &ind, &rcode) != OCI_CONTINUE)
        return CallbackFailed(errhp);
    const Cell read = ReadCell(result, row, column);
    Cell shown;
    std::string scratch;
    const Cell *presented = Present(errhp, ViewOf(d), read, &shown, &scratch);
    if (presented == nullptr) return OCI_ERROR;
    const Cell c = *presented;

    if (getOraclePieceInfo(d->dty) == 1) {
        if (piece != OCI_ONE_PIECE) {
            AddErrorRecord(errhp, OCI_ERROR, kErrPiece);
            return OCI_ERROR;
        }
        TraceValue(row, column, c);
        ub4 room = 0;
        return PQ2OCIType_2(errhp, c.type, c.value, c.length, c.format, d->dty, buf, alenp != nullptr ? alenp : &room,
                            static_cast<sb2 *>(ind), rcode, c.isNull, connection);
    }

    // Piecewise types: the whole value is converted into a staging buffer,
    // then handed out in as many pieces as the callback's buffers take.
    const OCIEnv *env = EnvOfHandle(errhp);
    const ub4 size = getOracleDataTypeSize(d->dty, c.length, env != nullptr && env->utf16);
    TraceValue(row, column, c);
    return DeliverPiecewise(errhp, c, d->dty, size, ind, rcode, connection, buf, alenp,
                            [&](void **nextBuf, ub4 **nextLen) {
                                ind = nullptr;
                                rcode = nullptr;
                                piece = OCI_NEXT_PIECE;
                                return d->ocbfp(d->octxp, d, iteration, nextBuf, nextLen, &piece, &ind, &rcode) ==
                                       OCI_CONTINUE;
                            });
}

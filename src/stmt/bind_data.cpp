// Values crossing binds at execution: gathering each iteration's parameter
// values (from buffers or input callbacks, whole or in pieces), returning a
// callable statement's OUT values and function result (into buffers or
// output callbacks), and turning a statement handle into a REF CURSOR child.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "conn/conn_handles.h"
#include "conn/session_control.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/env.h"
#include "stmt/bind_define.h"
#include "types/bind_converters.h"
#include "types/conversion_tables.h"
#include "types/type_catalogue.h"

namespace {

constexpr sb4 kErrBufferInvalid = 16530;
constexpr sb4 kErrCallback = 24343;
constexpr sb4 kErrPiece = 24370;
constexpr sb4 kErrInternal = 24330;

void *ValueElement(const OCIBind *b, ub4 i) {
    if (b->valuep == nullptr) return nullptr;
    // A cursor bind holds the statement handle itself, not an array.
    if (b->dty == SQLT_RSET) return b->valuep;
    const size_t stride = b->structArray ? b->pvskip : b->value_sz;
    return static_cast<char *>(b->valuep) + static_cast<size_t>(i) * stride;
}

bool Utf16(const OCIError *errhp) {
    const OCIEnv *env = EnvOfHandle(errhp);
    return env != nullptr && env->utf16;
}

// A NUMBER whose parameter the server types by its place: its text.
int NumberAsText(const OCIBind *b, OCIError *errhp, const void *value, sb4 size, sb2 *indicator, char **out,
                 ub4 *length, ub1 *format) {
    *out = nullptr;
    *length = 0;
    *format = 0;
    if (value == nullptr) {
        if (indicator != nullptr) *indicator = -1;
        return 0;
    }
    if (indicator != nullptr && *indicator == -1) return 0;
    return b->dty == SQLT_VNU ? ConvertSQLT_VNUToTEXTOID(errhp, value, size, indicator, out, length, format)
                              : ConvertSQLT_NUMToTEXTOID(errhp, value, size, indicator, out, length, format);
}

// One value of the application, converted for the server into the bind.
sword ConvertIn(OCIBind *b, OCIError *errhp, const void *value, sb4 size, sb2 *indicator) {
    char *out = nullptr;
    ub4 length = 0;
    ub1 format = 0;
    const int rc = b->numberAsText ? NumberAsText(b, errhp, value, size, indicator, &out, &length, &format)
                                   : OCI2PQType(errhp, b->dty, value, size, indicator, b->paramType, &out, &length, &format);
    if (rc != 0) {
        o2pFree(out);
        return OCI_ERROR;
    }
    b->pgValue = out;
    b->pgLength = static_cast<sb4>(length);
    b->pgFormat = format;
    b->pgBorrowed = 0;
    return OCI_SUCCESS;
}

// A value from the input callback: whole, or for the piecewise types
// gathered from the pieces until the one marked last.
sword GatherFromCallback(OCIBind *b, OCIError *errhp, ub4 i) {
    if (b->icbfp == nullptr) return OCI_NEED_DATA;
    void *buf = nullptr;
    ub4 alen = 0;
    ub1 piece = OCI_FIRST_PIECE;
    void *ind = nullptr;
    if (b->icbfp(b->ictxp, b, i, 0, &buf, &alen, &piece, &ind) != OCI_CONTINUE) return CallbackFailed(errhp);
    if (getOraclePieceInfo(b->dty) == 1) {
        if (piece != OCI_ONE_PIECE) {
            AddErrorRecord(errhp, OCI_ERROR, kErrPiece);
            return OCI_ERROR;
        }
        if (b->dty == SQLT_RSET) {
            b->valuep = buf;
            return OCI_SUCCESS;
        }
        if (alen > static_cast<ub4>(INT_MAX)) alen = static_cast<ub4>(INT_MAX);
        return ConvertIn(b, errhp, buf, static_cast<sb4>(alen), static_cast<sb2 *>(ind));
    }
    if (ind != nullptr && *static_cast<sb2 *>(ind) == -1)
        return ConvertIn(b, errhp, buf, 0, static_cast<sb2 *>(ind));
    if (piece == OCI_ONE_PIECE || piece == OCI_LAST_PIECE) {
        if (alen > static_cast<ub4>(INT_MAX)) alen = static_cast<ub4>(INT_MAX);
        return ConvertIn(b, errhp, buf, static_cast<sb4>(alen), static_cast<sb2 *>(ind));
    }
    std::vector<char> gathered;
    try {
        for (;;) {
            if (buf != nullptr && alen > 0) {
                if (gathered.size() + alen > static_cast<size_t>(INT_MAX)) {
                    AddErrorRecord(errhp, OCI_ERROR, kErrBufferInvalid);
                    return OCI_ERROR;
                }
                gathered.insert(gathered.end(), static_cast<const char *>(buf), static_cast<const char *>(buf) + alen);
            }
            // A callback that ends with a single piece has said all it has.
            if (piece == OCI_LAST_PIECE || piece == OCI_ONE_PIECE) break;
            buf = nullptr;
            ind = nullptr;
            alen = 0;
            piece = OCI_NEXT_PIECE;
            if (b->icbfp(b->ictxp, b, i, 0, &buf, &alen, &piece, &ind) != OCI_CONTINUE)
                return CallbackFailed(errhp);
        }
    } catch (const std::bad_alloc &) {
        AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
        return OCI_ERROR;
    }
    static const char kEmpty[1] = {0};
    const char *bytes = gathered.empty() ? kEmpty : gathered.data();
    return ConvertIn(b, errhp, bytes, static_cast<sb4>(gathered.size()), static_cast<sb2 *>(ind));
}

// Oracle sends an empty value of these types as a value, not as NULL.
bool EmptyIsValue(ub2 dty) { return dty == SQLT_STR || dty == SQLT_AFC || dty == SQLT_AVC; }

sword GatherFromBuffer(OCIBind *b, OCIError *errhp, ub4 i) {
    const bool sa = b->structArray != 0;
    const void *value = ValueElement(b, i);
    sb2 localIndicator = 0;
    sb2 *indicator = b->indp != nullptr ? Element(b->indp, i, b->indskip, sa) : &localIndicator;
    const ub2 *alen = Element(b->alenp, i, b->alskip, sa);
    if (b->dty == SQLT_RSET && alen == nullptr) return OCI_SUCCESS;
    // A length beyond the element would read the application's memory past
    // the buffer it declared.
    const ub4 length = alen != nullptr ? std::min<ub4>(*alen, b->value_sz) : b->value_sz;
    if (*indicator != -1 && (value == nullptr || (length == 0 && !EmptyIsValue(b->dty)))) *indicator = -1;
    // The commonest values need no copy: they are read from the buffer (or
    // the bind's own bytes) when they are sent, within this call.
    const char *direct = nullptr;
    ub4 directLength = 0;
    ub1 directFormat = 0;
    if (!b->inPlace.known || b->inPlace.code != b->dty || b->inPlace.oid != b->paramType)
        ResolveInPlaceRoute(errhp, b->dty, b->paramType, &b->inPlace);
    if (OCI2PQTypeInPlace(b->inPlace, value, static_cast<sb4>(length), *indicator, b->pgInline, &direct,
                          &directLength, &directFormat)) {
        b->pgValue = const_cast<char *>(direct);
        b->pgLength = static_cast<sb4>(directLength);
        b->pgFormat = directFormat;
        b->pgBorrowed = 1;
        return OCI_SUCCESS;
    }
    const sword status = ConvertIn(b, errhp, value, static_cast<sb4>(length), indicator);
    if (!Succeeded(status) && alen == nullptr) AddErrorRecord(errhp, OCI_ERROR, kErrBufferInvalid);
    return status;
}

// A returned value into element i of the bind's own buffers.
sword ConvertOut(OCIStmt *stmt, OCIError *errhp, OCIBind *b, ub4 i, const Cell &c) {
    const bool sa = b->structArray != 0;
    ub4 length = b->value_sz;
    const sword status = PQ2OCIType(errhp, c.type, c.value, c.length, c.format, b->dty, ValueElement(b, i), &length,
                                    Element(b->indp, i, b->indskip, sa), Element(b->rcodep, i, b->rcskip, sa),
                                    c.isNull);
    if (Succeeded(status)) {
        if (b->alenp != nullptr) *Element(b->alenp, i, b->alskip, sa) = static_cast<ub2>(length);
        if (b->dty == SQLT_RSET && !c.isNull) AdoptRefCursor(stmt, b->valuep);
    }
    return status;
}

bool ServerBefore84() {
    const sb4 version = gDBServerVersion.load();
    return version > 0 && version < 80400;
}

// The mode of parameter k when the server catalogue has told it, else 0.
ub4 KnownMode(const OCIStmt *stmt, ub4 k) {
    if (!stmt->modesKnown || stmt->paramModes == nullptr || k >= stmt->paramCount) return 0;
    return stmt->paramModes[k];
}

}  // namespace

int getOraclePieceInfo(ub4 dty) {
    switch (dty & 0xFFFF) {
    case SQLT_CHR: case SQLT_STR: case SQLT_LNG: case SQLT_VCS: case SQLT_BIN: case SQLT_LBI: case SQLT_CLOB:
    case SQLT_BLOB:
        return 0;
    default:
        return FindExternalType(dty) != nullptr ? 1 : 0;
    }
}

ub4 getOracleDataTypeSize(ub4 dty, ub4 length, bool utf16) {
    if (length == 0) return 0;
    const uint64_t chars = utf16 ? 4 * static_cast<uint64_t>(length) : length;
    uint64_t size;
    switch (dty & 0xFFFF) {
    case SQLT_CHR: case SQLT_LNG: case SQLT_BIN: case SQLT_LBI: size = chars; break;
    case SQLT_STR: size = chars + 1; break;
    case SQLT_VCS: size = chars + 2; break;
    default: return 0;
    }
    // A size that does not fit is as good as an allocation that fails.
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<ub4>(size);
}

bool NumberBoundAsNumeric(const OCIBind *b) {
    return b->paramType == NUMERICOID && (b->dty == SQLT_VNU || b->dty == SQLT_NUM);
}

void DropBindValue(OCIBind *b) {
    if (!b->pgBorrowed) o2pFree(b->pgValue);
    b->pgValue = nullptr;
    b->pgLength = 0;
    b->pgFormat = 0;
    b->pgBorrowed = 0;
}

void release_binds_pgdata(List *binds) {
    foreach_cell(cell, binds) {
        auto *b = HandleAs<OCIBind>(cell->ptr, HANDLE_OCIBind);
        if (b != nullptr) DropBindValue(b);
    }
}

namespace {
// A bind every parameter of which is an OUT argument only receives: its
// buffer holds no value yet (an uninitialised date would fail to convert),
// so it travels as NULL.
bool ReceivesOnly(const OCIStmt *stmt, const OCIBind *b) {
    if (!stmt->callable || !stmt->modesKnown || stmt->paramModes == nullptr) return false;
    bool seen = false;
    ub4 k = 0;
    foreach_cell(cell, stmt->paramBinds) {
        if (k >= stmt->paramCount) break;
        if (cell->ptr == b) {
            if (stmt->paramModes[k] != 2) return false;
            seen = true;
        }
        ++k;
    }
    return seen;
}
}  // namespace

sword GetOCIBindData(OCIStmt *stmt, OCIError *errhp, ub4 iteration) {
    if (HandleAs<OCIStmt>(stmt, HANDLE_OCIStmt) == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_INVALID_HANDLE;
    if (stmt->paramCount == 0) return OCI_SUCCESS;
    sword status = OCI_SUCCESS;
    foreach_cell(cell, stmt->binds) {
        auto *b = static_cast<OCIBind *>(cell->ptr);
        if (b == stmt->returnBind) continue;
        DropBindValue(b);
        ocitrace(TRACE_BIND_DATA, "GetOCIBindData", "processing parameter %s\n", b->name != nullptr ? b->name : "");
        if (ReceivesOnly(stmt, b)) continue;
        status = b->dynamic ? GatherFromCallback(b, errhp, iteration) : GatherFromBuffer(b, errhp, iteration);
        if (!Succeeded(status)) {
            // Nothing half-gathered may reach the server.
            release_binds_pgdata(stmt->binds);
            return status;
        }
    }
    return status;
}

void AdoptRefCursor(OCIStmt *parent, void *childHandle) {
    auto *child = HandleAs<OCIStmt>(childHandle, HANDLE_OCIStmt);
    if (HandleAs<OCIStmt>(parent, HANDLE_OCIStmt) == nullptr || child == nullptr || child == parent ||
        child->preparedName == nullptr)
        return;
    child->svchp = parent->svchp;
    InitializeChildStmt(child);
    OCIServer *server = parent->svchp != nullptr ? parent->svchp->server : nullptr;
    child->pgPreparedServer = server;
    PQclear(child->result);
    child->result = nullptr;
    // Its status is not looked at: a failed description shows when the
    // child is fetched from.
    if (server != nullptr && server->conn != nullptr)
        child->result = PQdescribePortal(server->conn, child->preparedName);
}

void InitializeChildStmt(OCIStmt *child) {
    if (HandleAs<OCIStmt>(child, HANDLE_OCIStmt) == nullptr) return;
    child->prepared = 1;
    child->serverPrepared = 1;
    child->executed = 0;
    child->language = 1;
    child->stmtType = OCI_STMT_SELECT;
    child->isRefCursor = 1;
    child->paramCount = 0;
    child->hasOutParams = 0;
    const std::string fetchText =
        std::string("FETCH NEXT IN \"") + (child->preparedName != nullptr ? child->preparedName : "") + "\"";
    char *copy = o2pStrndup(fetchText.data(), fetchText.size());
    if (copy == nullptr) throw std::bad_alloc();
    o2pFree(child->sqlText);
    child->sqlText = copy;
    child->sqlLength = static_cast<ub4>(fetchText.size());
}

sword call_out_bind_callback(OCIError *errhp, OCIBind *bind, ub4 iteration, PGresult *result, int column) {
    auto *b = HandleAs<OCIBind>(bind, HANDLE_OCIBind);
    if (HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr || b == nullptr || !b->dynamic)
        return OCI_INVALID_HANDLE;
    if (b->ocbfp == nullptr) return OCI_NEED_DATA;
    void *buf = nullptr;
    ub4 *alenp = nullptr;
    ub1 piece = OCI_ONE_PIECE;
    void *ind = nullptr;
    ub2 *rcode = nullptr;
    if (b->ocbfp(b->octxp, b, iteration, 0, &buf, &alenp, &piece, &ind, &rcode) != OCI_CONTINUE)
        return CallbackFailed(errhp);
    const Cell c = ReadCell(result, 0, column);

    if (getOraclePieceInfo(b->dty) == 1) {
        if (piece != OCI_ONE_PIECE) {
            AddErrorRecord(errhp, OCI_ERROR, kErrPiece);
            return OCI_ERROR;
        }
        ub4 room = 0;
        ub4 *length = alenp != nullptr ? alenp : &room;
        void *dest = b->dty == SQLT_RSET ? b->valuep : buf;
        return PQ2OCIType(errhp, c.type, c.value, c.length, c.format, b->dty, dest, length, static_cast<sb2 *>(ind),
                          rcode, c.isNull);
    }

    // Piecewise types: the whole value is converted first, then handed out
    // in as many pieces as the callback's buffers take.
    const ub4 size = getOracleDataTypeSize(b->dty, c.length, Utf16(errhp));
    return DeliverPiecewise(errhp, c, b->dty, size, ind, rcode, nullptr, buf, alenp, [&](void **nextBuf, ub4 **nextLen) {
        ind = nullptr;
        rcode = nullptr;
        piece = OCI_NEXT_PIECE;
        return b->ocbfp(b->octxp, b, iteration, 0, nextBuf, nextLen, &piece, &ind, &rcode) == OCI_CONTINUE;
    });
}

sword fill_bind_parameters(OCIStmt *stmt, OCIError *errhp, OCIBind *returnBind, List *paramBinds,
                           PGresult *result, PGresult *outResult, sb4 isFunction, ub4 iteration) {
    if (HandleAs<OCIStmt>(stmt, HANDLE_OCIStmt) == nullptr || HandleAs<OCIError>(errhp, HANDLE_OCIError) == nullptr)
        return OCI_ERROR;
    sword status = OCI_SUCCESS;
    if (isFunction) {
        auto *rb = HandleAs<OCIBind>(returnBind, HANDLE_OCIBind);
        if (rb == nullptr || result == nullptr) return OCI_ERROR;
        status = rb->dynamic ? call_out_bind_callback(errhp, rb, iteration, result, 0)
                             : ConvertOut(stmt, errhp, rb, iteration, ReadCell(result, 0, 0));
        if (!Succeeded(status)) return status;
    }
    // A routine without parameters has nothing more to return.
    if (stmt->paramCount == 0) return status;
    if (outResult == nullptr || list_length(paramBinds) != static_cast<int>(stmt->paramCount)) return OCI_ERROR;
    const bool modernServer = !ServerBefore84();
    ub4 k = 0;
    foreach_cell(cell, paramBinds) {
        const ub4 column = k++;
        auto *b = HandleAs<OCIBind>(cell->ptr, HANDLE_OCIBind);
        if (b == nullptr) continue;
        if (b->dynamic) {
            status = WorseStatus(status, call_out_bind_callback(errhp, b, iteration, outResult,
                                                                static_cast<int>(column)));
            continue;
        }
        const ub4 mode = KnownMode(stmt, column);
        if (!b->structArray && modernServer && mode == 1) continue;
        const Cell c = ReadCell(outResult, 0, static_cast<int>(column));
        if (c.isNull && mode != 2 && mode != 3) {
            // The server reports a parameter it did not return as NULL; the
            // application's own value stays.
            if (b->alenp != nullptr) *Element(b->alenp, iteration, b->alskip, b->structArray != 0) =
                static_cast<ub2>(b->value_sz);
            continue;
        }
        status = WorseStatus(status, ConvertOut(stmt, errhp, b, iteration, c));
    }
    return status;
}

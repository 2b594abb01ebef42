// Bind handles and the calls that make them: OCIBindByName, OCIBindByPos,
// OCIBindDynamic, OCIBindArrayOfStruct and OCIStmtGetBindInfo. Binds only
// record where the application keeps its values; bind_data.cpp reads them.
#include <cstring>
#include <memory>
#include <string>

#include "conn/transcode.h"
#include "diag/entry.h"
#include "env/attributes.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/bind_define.h"
#include "types/type_catalogue.h"

OCIBind *Alloc_OCIBind() { return NewHandle<OCIBind>(HANDLE_OCIBind); }

void Free_OCIBind(OCIBind *bind) {
    if (bind == nullptr || bind->handleType != HANDLE_OCIBind) return;
    o2pFree(bind->name);
    DropBindValue(bind);
    DeleteHandle(bind);
}

// Bind handles have no attributes.
sword Get_OCIBind(void *, void *, ub4 *, ub4, OCIError *) { return OCI_ERROR; }
sword Set_OCIBind(void *, void *, ub4, ub4, OCIError *) { return OCI_ERROR; }

namespace {

constexpr sb4 kErrCannotBind = 16952;
constexpr sb4 kErrBindVariable = 28553;

struct OwnedText {
    void operator()(char *p) const { o2pFree(p); }
};
using TextPtr = std::unique_ptr<char, OwnedText>;

OCIEnv *EnvOfStmt(const OCIStmt *stmt) { return HandleAs<OCIEnv>(stmt->parenth, HANDLE_OCIEnv); }

bool IsBindMode(ub4 mode) { return mode == OCI_DEFAULT || mode == OCI_DATA_AT_EXEC || mode == OCI_BIND_SOFT; }

// The byte comparison placeholders are matched with: ASCII letters in either
// case, every other byte as it is (the process locale must not decide).
char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(const char *a, const char *b, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

// A bind already made for exactly this name. Two placeholders that merely
// share a beginning (:a and :ab) are different parameters and never share
// a bind.
OCIBind *FindBindNamed(const OCIStmt *stmt, const char *name, size_t length) {
    foreach_cell(cell, stmt->binds) {
        auto *bind = static_cast<OCIBind *>(cell->ptr);
        if (bind->name != nullptr && bind->nameLength == length && SameIgnoringCase(bind->name, name, length))
            return bind;
    }
    return nullptr;
}

// The text contains a colon at which the placeholder (given with its colon)
// follows, ignoring case.
bool TextHasPlaceholder(const OCIStmt *stmt, const char *placeholder, size_t length) {
    if (length == 0 || length > stmt->sqlLength) return false;
    for (size_t i = 0; i + length <= stmt->sqlLength; ++i)
        if (stmt->sqlText[i] == ':' && SameIgnoringCase(stmt->sqlText + i, placeholder, length)) return true;
    return false;
}

// Characters that end a placeholder name. Beyond the punctuation, white
// space (texts are written over several lines), '=' and ':' (a cast as in
// :a::int) end it too.
bool EndsName(char c) {
    return std::strchr(" ,();%&*-+[]\\/'\"<>?\t\n\r\f\v=:", c) != nullptr;
}

size_t NameLength(const char *sql, size_t length, size_t colon) {
    size_t end = colon + 1;
    while (end < length && sql[end] != '\0' && !EndsName(sql[end])) ++end;
    return end - colon;
}

// Offset of the colon of placeholder `position` (from 1) as OCIBindByPos
// counts them: "::" is skipped as a pair and ":=" is not a placeholder.
long FindPlaceholderByPosition(const OCIStmt *stmt, ub4 position) {
    const char *sql = stmt->sqlText;
    ub4 seen = 0;
    for (size_t i = 0; i < stmt->sqlLength; ++i) {
        if (sql[i] != ':') continue;
        if (i + 1 < stmt->sqlLength && sql[i + 1] == ':') {
            ++i;
            continue;
        }
        if (i + 1 < stmt->sqlLength && sql[i + 1] == '=') continue;
        if (++seen == position) return static_cast<long>(i);
    }
    return -1;
}

// The value an SQLT_RSET bind records: the statement handle the application
// passed the address of.
void *BoundValue(ub2 dty, void *valuep) {
    if (dty != SQLT_RSET || valuep == nullptr) return valuep;
    return *static_cast<void **>(valuep);
}

// The placeholder as UTF-8 bytes: in a UTF-16 environment a converted copy,
// otherwise the caller's bytes. False after a conversion failure record.
bool PlaceholderText(OCIEnv *env, OCIError *errhp, const OraText *placeholder, sb4 placeh_len, TextPtr *owned,
                     const char **utf8, size_t *length) {
    const char *raw = reinterpret_cast<const char *>(placeholder);
    if (!env->utf16) {
        *utf8 = raw;
        *length = placeh_len == -1 ? std::strlen(raw) : static_cast<size_t>(placeh_len);
        return true;
    }
    size_t bytes = static_cast<size_t>(placeh_len);
    if (placeh_len == -1) {
        bytes = 0;
        while (raw[bytes] != '\0' || raw[bytes + 1] != '\0') bytes += 2;
    }
    char *out = nullptr;
    size_t outLength = 0;
    int error = 0;
    if (transcode(env->toUtf8, &error, raw, bytes, &out, &outLength) < 0) {
        AddTranscodeErrorRecord(errhp, error);
        return false;
    }
    owned->reset(out);
    *utf8 = out != nullptr ? out : "";
    *length = outLength;
    return true;
}

// A new bind on the statement carrying a copy of `name`; null with the
// allocation's status in *status.
OCIBind *NewBind(OCIStmt *stmt, OCIError *errhp, const char *name, size_t length, sword *status) {
    void *h = nullptr;
    *status = OCIHandleAlloc(stmt, &h, OCI_HTYPE_BIND, 0, nullptr);
    if (*status != OCI_SUCCESS) return nullptr;
    auto *bind = static_cast<OCIBind *>(h);
    bind->name = o2pStrndup(name, length);
    if (bind->name == nullptr) {
        stmt->binds = list_delete(stmt->binds, bind);
        Free_OCIBind(bind);
        AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
        *status = OCI_ERROR;
        return nullptr;
    }
    bind->nameLength = static_cast<ub4>(length);
    return bind;
}

// A soft bind renews the buffers of a bind the statement has executed with;
// its type and element size must stay.
OCIBind *SoftBindTarget(OCIStmt *stmt, OCIBind **bindpp, ub2 dty, sb4 value_sz) {
    auto *bind = HandleAs<OCIBind>(*bindpp, HANDLE_OCIBind);
    if (bind == nullptr || bind->parenth != stmt || !stmt->executed || bind->dty != dty ||
        bind->value_sz != static_cast<ub4>(value_sz))
        return nullptr;
    return bind;
}

void SetBuffers(OCIBind *bind, void *valuep, void *indp, ub2 *alenp, ub2 *rcodep, ub4 maxarr_len, ub4 *curelep) {
    bind->valuep = BoundValue(bind->dty, valuep);
    bind->indp = static_cast<sb2 *>(indp);
    bind->alenp = alenp;
    bind->rcodep = rcodep;
    bind->maxarr_len = maxarr_len;
    bind->curelep = curelep;
}

// What OCI_DEFAULT and OCI_DATA_AT_EXEC record alike.
void RecordBind(OCIStmt *stmt, OCIBind *bind, ub4 position, void *valuep, sb4 value_sz, ub2 dty, void *indp,
                ub2 *alenp, ub2 *rcodep, ub4 maxarr_len, ub4 *curelep, ub4 mode) {
    bind->dty = dty;
    bind->value_sz = static_cast<ub4>(value_sz);
    if (mode == OCI_DATA_AT_EXEC) {
        bind->dynamic = 1;
        bind->valuep = dty == SQLT_RSET ? BoundValue(dty, valuep) : nullptr;
        bind->indp = nullptr;
        bind->alenp = nullptr;
        bind->rcodep = nullptr;
        bind->maxarr_len = maxarr_len;
        bind->curelep = curelep;
    } else {
        bind->dynamic = 0;
        SetBuffers(bind, valuep, indp, alenp, rcodep, maxarr_len, curelep);
    }
    bind->paramType = GetParamType(stmt, static_cast<int>(position), dty, value_sz);
    bind->numberAsText = stmt->numbersAsText && NumberBoundAsNumeric(bind);
    bind->inPlace = InPlaceRoute{};  // worked out again at the next execution
}

// Position (from 1) of the parameter the describe rewriter named like the
// placeholder, 0 when it named none.
ub4 DescribedPosition(const OCIStmt *stmt, const char *placeholder, size_t length) {
    ub4 k = 0;
    foreach_cell(cell, stmt->paramNames) {
        ++k;
        const char *name = static_cast<const char *>(cell->ptr);
        if (name != nullptr && length > 0 && std::strlen(name) == length - 1 &&
            SameIgnoringCase(name, placeholder + 1, length - 1))
            return k;
    }
    return 0;
}

bool NegativeSize(OCIError *errhp, sb4 value_sz, const char *position) {
    if (value_sz >= 0) return false;
    AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, position);
    return true;
}

// The bind a call names: in soft mode the handle given (only its buffers
// change), otherwise the statement's bind of `name`, made when missing, with
// everything the call passed recorded. Null with *status on failure.
OCIBind *TakeBind(OCIStmt *stmt, OCIError *err, OCIBind **bindpp, const char *name, size_t length, ub4 position,
                  void *valuep, sb4 value_sz, ub2 dty, void *indp, ub2 *alenp, ub2 *rcodep, ub4 maxarr_len,
                  ub4 *curelep, ub4 mode, sword *status) {
    if (mode == OCI_BIND_SOFT) {
        OCIBind *bind = SoftBindTarget(stmt, bindpp, dty, value_sz);
        if (bind == nullptr) {
            *status = OCI_ERROR;
            return nullptr;
        }
        bind->dynamic = 0;
        SetBuffers(bind, valuep, indp, alenp, rcodep, maxarr_len, curelep);
        return bind;
    }
    OCIBind *bind = FindBindNamed(stmt, name, length);
    if (bind == nullptr) bind = NewBind(stmt, err, name, length, status);
    if (bind == nullptr) return nullptr;
    *bindpp = bind;
    RecordBind(stmt, bind, position, valuep, value_sz, dty, indp, alenp, rcodep, maxarr_len, curelep, mode);
    return bind;
}

}  // namespace

OCIBind *find_placeholder_bind_handle(OCIStmt *stmt, const char *name, ub4 length) {
    if (HandleAs<OCIStmt>(stmt, HANDLE_OCIStmt) == nullptr || name == nullptr) return nullptr;
    foreach_cell(cell, stmt->binds) {
        auto *bind = static_cast<OCIBind *>(cell->ptr);
        if (bind->name != nullptr && bind->nameLength >= length && SameIgnoringCase(bind->name, name, length))
            return bind;
    }
    return nullptr;
}

OCI_EXPORT sword OCIBindByName(OCIStmt *stmtp, OCIBind **bindpp, OCIError *errhp, const OraText *placeholder,
                               sb4 placeh_len, void *valuep, sb4 value_sz, ub2 dty, void *indp, ub2 *alenp,
                               ub2 *rcodep, ub4 maxarr_len, ub4 *curelep, ub4 mode) {
    auto *stmt = HandleAs<OCIStmt>(stmtp, HANDLE_OCIStmt);
    auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    OCIEnv *env = stmt != nullptr ? EnvOfStmt(stmt) : nullptr;
    if (bindpp == nullptr || placeholder == nullptr || !IsValidOraDataType(dty) || err == nullptr || env == nullptr)
        return OCI_INVALID_HANDLE;
    if (!IsBindMode(mode)) return OCI_ERROR;
    return RunEntry({"OCIBindByName", OCI_FNCODE_BINDBYNAME}, env, err, [&]() -> sword {
        if (NegativeSize(err, value_sz, "7")) return OCI_ERROR;
        if (placeh_len < -1) {
            AddErrorRecord(err, OCI_ERROR, kErrCannotBind);
            return OCI_ERROR;
        }
        TextPtr owned;
        const char *name = nullptr;
        size_t length = 0;
        if (!PlaceholderText(env, err, placeholder, placeh_len, &owned, &name, &length)) return OCI_ERROR;
        std::string withColon;
        if (OracleCompat(env) && length > 0 && name[0] != ':') {
            // Oracle takes a placeholder name without its colon as well.
            withColon.reserve(length + 1);
            withColon.append(1, ':').append(name, length);
            name = withColon.c_str();
            length = withColon.size();
        }
        if (stmt->sqlText == nullptr || !TextHasPlaceholder(stmt, name, length)) {
            AddErrorRecord(err, OCI_ERROR, kErrCannotBind);
            return OCI_ERROR;
        }
        sword status = OCI_SUCCESS;
        OCIBind *bind = TakeBind(stmt, err, bindpp, name, length, DescribedPosition(stmt, name, length), valuep,
                                 value_sz, dty, indp, alenp, rcodep, maxarr_len, curelep, mode, &status);
        if (bind == nullptr) return status;
        bind->direction = 3;
        if (stmt->callable && stmt->isFunction && stmt->returnName != nullptr &&
            std::strlen(stmt->returnName) == length && SameIgnoringCase(stmt->returnName, name, length))
            stmt->returnBind = bind;
        return OCI_SUCCESS;
    }, OCI_ARGS(stmtp, bindpp, errhp, placeholder, placeh_len, valuep, value_sz, dty, indp, alenp, rcodep,
                maxarr_len, curelep, mode));
}

OCI_EXPORT sword OCIBindByPos(OCIStmt *stmtp, OCIBind **bindpp, OCIError *errhp, ub4 position, void *valuep,
                              sb4 value_sz, ub2 dty, void *indp, ub2 *alenp, ub2 *rcodep, ub4 maxarr_len,
                              ub4 *curelep, ub4 mode) {
    auto *stmt = HandleAs<OCIStmt>(stmtp, HANDLE_OCIStmt);
    auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    OCIEnv *env = stmt != nullptr ? EnvOfStmt(stmt) : nullptr;
    if (bindpp == nullptr || position == 0 || !IsValidOraDataType(dty) || err == nullptr || env == nullptr)
        return OCI_INVALID_HANDLE;
    if (!IsBindMode(mode)) return OCI_ERROR;
    return RunEntry({"OCIBindByPos", OCI_FNCODE_BINDBYPOS}, env, err, [&]() -> sword {
        if (NegativeSize(err, value_sz, "6")) return OCI_ERROR;
        const long colon = stmt->sqlText != nullptr ? FindPlaceholderByPosition(stmt, position) : -1;
        if (colon < 0) {
            AddErrorRecord(err, OCI_ERROR, kErrBindVariable);
            return OCI_ERROR;
        }
        const char *name = stmt->sqlText + colon;
        const size_t length = NameLength(stmt->sqlText, stmt->sqlLength, static_cast<size_t>(colon));
        sword status = OCI_SUCCESS;
        OCIBind *bind = TakeBind(stmt, err, bindpp, name, length, position, valuep, value_sz, dty, indp, alenp,
                                 rcodep, maxarr_len, curelep, mode, &status);
        if (bind == nullptr) return status;
        bind->position = position;
        bind->direction = 3;
        // Here the function result's placeholder is compared as written.
        if (stmt->callable && stmt->isFunction && stmt->returnName != nullptr &&
            std::strlen(stmt->returnName) == bind->nameLength &&
            std::memcmp(stmt->returnName, bind->name, bind->nameLength) == 0)
            stmt->returnBind = bind;
        return OCI_SUCCESS;
    }, OCI_ARGS(stmtp, bindpp, errhp, position, valuep, value_sz, dty, indp, alenp, rcodep, maxarr_len, curelep,
                mode));
}

OCI_EXPORT sword OCIBindDynamic(OCIBind *bindp, OCIError *errhp, void *ictxp, OCICallbackInBind icbfp,
                                void *octxp, OCICallbackOutBind ocbfp) {
    auto *bind = HandleAs<OCIBind>(bindp, HANDLE_OCIBind);
    auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    OCIEnv *env = bind != nullptr ? EnvOfHandle(bind) : nullptr;
    if (bind == nullptr || err == nullptr || env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIBindDynamic", OCI_FNCODE_BINDDYNAMIC}, env, err, [&]() -> sword {
        bind->ictxp = ictxp;
        bind->icbfp = icbfp;
        bind->octxp = octxp;
        bind->ocbfp = ocbfp;
        // The server learns each parameter's mode when the statement is
        // prepared there, so this must precede the first execution.
        if (icbfp != nullptr && ocbfp != nullptr)
            bind->direction = 3;
        else if (ocbfp != nullptr)
            bind->direction = 2;
        else if (icbfp != nullptr)
            bind->direction = 1;
        return OCI_SUCCESS;
    }, OCI_ARGS(bindp, errhp, ictxp, icbfp, octxp, ocbfp));
}

OCI_EXPORT sword OCIBindArrayOfStruct(OCIBind *bindp, OCIError *errhp, ub4 pvskip, ub4 indskip, ub4 alskip,
                                      ub4 rcskip) {
    auto *bind = HandleAs<OCIBind>(bindp, HANDLE_OCIBind);
    auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    auto *stmt = bind != nullptr ? HandleAs<OCIStmt>(bind->parenth, HANDLE_OCIStmt) : nullptr;
    if (bind == nullptr || err == nullptr || stmt == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIBindArrayOfStruct", 0}, EnvOfStmt(stmt), err, [&]() -> sword {
        stmt->arrayOfStruct = 1;
        bind->structArray = 1;
        bind->pvskip = pvskip;
        bind->indskip = indskip;
        bind->alskip = alskip;
        bind->rcskip = rcskip;
        return OCI_SUCCESS;
    }, OCI_ARGS(bindp, errhp, pvskip, indskip, alskip, rcskip));
}

OCI_EXPORT sword OCIStmtGetBindInfo(OCIStmt *stmtp, OCIError *errhp, ub4 size, ub4 startloc, sb4 *found,
                                    OraText *bvnp[], ub1 bvnl[], OraText *invp[], ub1 inpl[], ub1 dupl[],
                                    OCIBind **hndl) {
    auto *stmt = HandleAs<OCIStmt>(stmtp, HANDLE_OCIStmt);
    auto *err = HandleAs<OCIError>(errhp, HANDLE_OCIError);
    OCIEnv *env = stmt != nullptr ? EnvOfStmt(stmt) : nullptr;
    if (err == nullptr || env == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({"OCIStmtGetBindInfo", OCI_FNCODE_STMTGETBIND}, env, err, [&]() -> sword {
        if (stmt->sqlText == nullptr || startloc == 0 || std::memchr(stmt->sqlText, ':', stmt->sqlLength) == nullptr)
            return OCI_NO_DATA;
        const char *sql = stmt->sqlText;
        ub4 count = 0;
        for (size_t i = 0; i < stmt->sqlLength; ++i) {
            // Unlike the positions of OCIBindByPos, both colons of "::" count.
            if (sql[i] != ':' || (i + 1 < stmt->sqlLength && sql[i + 1] == '=')) continue;
            const ub4 n = ++count;
            if (n < startloc || n - 1 >= size) continue;
            const size_t slot = n - 1;
            const size_t length = NameLength(sql, stmt->sqlLength, i);
            if (bvnp != nullptr) {
                const char *bare = sql + i + 1;
                size_t bareLength = length - 1;
                TextPtr converted;
                if (env->utf16) {
                    char *out = nullptr;
                    int error = 0;
                    if (transcode(env->fromUtf8, &error, bare, bareLength, &out, &bareLength) < 0) {
                        AddTranscodeErrorRecord(err, error);
                        return OCI_ERROR;
                    }
                    converted.reset(out);
                    bare = out;
                }
                auto *copy = static_cast<char *>(AllocateMemFromEnvCache(env, bareLength + 2));
                if (copy == nullptr) throw std::bad_alloc();
                if (bareLength > 0) std::memcpy(copy, bare, bareLength);
                bvnp[slot] = reinterpret_cast<OraText *>(copy);
                if (bvnl != nullptr) bvnl[slot] = static_cast<ub1>(bareLength > 255 ? 255 : bareLength);
            } else if (bvnl != nullptr) {
                bvnl[slot] = static_cast<ub1>(length - 1 > 255 ? 255 : length - 1);
            }
            if (hndl != nullptr) hndl[slot] = find_placeholder_bind_handle(stmt, sql + i, static_cast<ub4>(length));
            if (invp != nullptr) invp[slot] = nullptr;
            if (inpl != nullptr) inpl[slot] = 0;
            if (dupl != nullptr) dupl[slot] = 0;
        }
        if (count == 0) return OCI_NO_DATA;
        if (found != nullptr)
            *found = count <= size ? static_cast<sb4>(count) : static_cast<sb4>(size) - static_cast<sb4>(count);
        return OCI_SUCCESS;
    }, OCI_ARGS(stmtp, errhp, size, startloc, found, bvnp, bvnl, invp, inpl, dupl, hndl));
}

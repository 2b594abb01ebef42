// Parameter records: column, argument, table and list records, their deep
// copies and release, and the type-derived fields of a column (external
// type, sizes, precision, scale) both describes share.
#include <algorithm>
#include <cstring>
#include <new>

#include "diag/errors.h"
#include "env/compat.h"
#include "env/describe_handles.h"
#include "env/memory.h"
#include "types/convert.h"
#include "types/type_catalogue.h"

namespace {

constexpr ub4 kNumberSize = 22;         // an OCINumber
constexpr ub4 kUnknownLengthSize = 4000;  // a column without length or rows to measure

// Oracle's view of a column: the sizes a client allocates its buffers by.
constexpr ub4 kOracleDateSize = 7;
constexpr ub4 kOracleTimestampSize = 11;
constexpr ub4 kOracleTimestampTzSize = 13;
constexpr ub4 kOracleMaxStringSize = 32767;  // longest VARCHAR2 / RAW
// A character of the client character set takes at most this many bytes.
constexpr ub4 kMaxBytesPerChar = 4;
constexpr sb1 kFloatingScale = -127;  // NUMBER without precision or scale
constexpr sb1 kDefaultFractionDigits = 6;

void FreeText(ParamText *t) {
    o2pFree(t->text);
    *t = ParamText{};
}

bool CopyText(ParamText *to, const ParamText &from) {
    *to = ParamText{};
    if (from.text == nullptr) return true;
    return SetParamText(to, from.text, from.length);
}

void FreeColumn(OCIColumnParamHandle *col) {
    FreeText(&col->name);
    FreeText(&col->typeName);
    FreeText(&col->schemaName);
    o2pDelete(col);
}

void FreeList(OCIListParamHandle *list) {
    if (list == nullptr) return;
    foreach_cell(cell, list->elements) FreeOCIParamHandle(static_cast<OCIParamRecord *>(cell->ptr));
    list_free(list->elements);
    o2pDelete(list);
}

OCIColumnParamHandle *CopyColumn(const OCIColumnParamHandle *from) {
    auto *col = o2pNew<OCIColumnParamHandle>();
    if (col == nullptr) return nullptr;
    *col = *from;
    col->name = col->typeName = col->schemaName = ParamText{};
    if (!CopyText(&col->name, from->name) || !CopyText(&col->typeName, from->typeName) ||
        !CopyText(&col->schemaName, from->schemaName)) {
        FreeColumn(col);
        return nullptr;
    }
    return col;
}

OCIListParamHandle *CopyList(const OCIListParamHandle *from) {
    auto *list = o2pNew<OCIListParamHandle>();
    if (list == nullptr) return nullptr;
    list->kind = PARAM_LIST;
    foreach_cell(cell, from->elements) {
        OCIParamRecord *element = CopyOCIParamHandle(static_cast<const OCIParamRecord *>(cell->ptr));
        if (element != nullptr && !AppendParamRecord(list, element)) FreeOCIParamHandle(element);
    }
    return list;
}

OCITableParamHandle *CopyTable(const OCITableParamHandle *from) {
    auto *table = o2pNew<OCITableParamHandle>();
    if (table == nullptr) return nullptr;
    *table = *from;
    table->columns = nullptr;
    if (from->columns != nullptr) {
        table->columns = CopyList(from->columns);
        if (table->columns == nullptr) {
            o2pDelete(table);
            return nullptr;
        }
    }
    return table;
}

bool IsCharacterType(ub2 code) {
    switch (code) {
    case SQLT_CHR: case SQLT_STR: case SQLT_LNG: case SQLT_VCS: case SQLT_LVC:
    case SQLT_AFC: case SQLT_AVC: case SQLT_VST:
        return true;
    default:
        return false;
    }
}

ub2 Saturate16(ub4 v) { return static_cast<ub2>(std::min<ub4>(v, UB2MAXVAL)); }

}  // namespace

bool SetParamText(ParamText *field, const char *value, size_t length) {
    o2pFree(field->text);
    *field = ParamText{};
    if (length > UB4MAXVAL - 1) return false;
    field->text = o2pStrndup(value != nullptr ? value : "", length);
    if (field->text == nullptr) return false;
    field->length = static_cast<ub4>(std::strlen(field->text));
    return true;
}

OCIColumnParamHandle *NewColumnParamRecord() {
    auto *col = o2pNew<OCIColumnParamHandle>();
    if (col != nullptr) col->kind = PARAM_COLUMN;
    return col;
}

OCIParamRecord *CopyOCIParamHandle(const OCIParamRecord *record) {
    if (record == nullptr) return nullptr;
    switch (record->kind) {
    case PARAM_COLUMN: return CopyColumn(static_cast<const OCIColumnParamHandle *>(record));
    case PARAM_ARGUMENT: {
        auto *arg = o2pNew<OCIArgumentParamHandle>();
        if (arg != nullptr) arg->kind = PARAM_ARGUMENT;
        return arg;
    }
    case PARAM_TABLE: return CopyTable(static_cast<const OCITableParamHandle *>(record));
    case PARAM_LIST: return CopyList(static_cast<const OCIListParamHandle *>(record));
    default: return nullptr;
    }
}

void FreeOCIParamHandle(OCIParamRecord *record) {
    if (record == nullptr) return;
    switch (record->kind) {
    case PARAM_COLUMN: FreeColumn(static_cast<OCIColumnParamHandle *>(record)); break;
    case PARAM_ARGUMENT: o2pDelete(static_cast<OCIArgumentParamHandle *>(record)); break;
    case PARAM_TABLE: {
        auto *table = static_cast<OCITableParamHandle *>(record);
        FreeList(table->columns);
        o2pDelete(table);
        break;
    }
    case PARAM_LIST: FreeList(static_cast<OCIListParamHandle *>(record)); break;
    default: break;
    }
}

void ForgetHandedOutTexts(OCIParamRecord *record) {
    if (record == nullptr) return;
    switch (record->kind) {
    case PARAM_COLUMN: {
        auto *col = static_cast<OCIColumnParamHandle *>(record);
        for (ParamText *t : {&col->name, &col->typeName, &col->schemaName}) {
            t->out = nullptr;
            t->outLength = 0;
        }
        break;
    }
    case PARAM_TABLE: ForgetHandedOutTexts(static_cast<OCITableParamHandle *>(record)->columns); break;
    case PARAM_LIST:
        foreach_cell(cell, static_cast<OCIListParamHandle *>(record)->elements)
            ForgetHandedOutTexts(static_cast<OCIParamRecord *>(cell->ptr));
        break;
    default: break;
    }
}

sword Build_OCIListParamHandle(OCIError *errhp, OCIListParamHandle **out) {
    *out = o2pNew<OCIListParamHandle>();
    if (*out == nullptr) {
        AddErrorRecord(errhp, OCI_ERROR, kErrDescribeMemory);
        return OCI_ERROR;
    }
    (*out)->kind = PARAM_LIST;
    return OCI_SUCCESS;
}

bool AppendParamRecord(OCIListParamHandle *list, OCIParamRecord *record) {
    try {
        list->elements = lappend(list->elements, record);
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

void DescribeServerType(OCIColumnParamHandle *col, Oid type, int typmod, bool wide,
                        const ColumnValueLengths &lengths) {
    col->dataType = MapPostgresDataTypeToOracleDataType(type);
    col->binary = IsBinaryDataType(col->dataType) ? 1 : 0;
    col->charUsed = IsCharacterType(col->dataType) ? 1 : 0;
    switch (col->dataType) {
    case SQLT_NUM:
        col->dataSize = kNumberSize;
        break;
    case SQLT_INT:
        col->dataSize = type == CHAROID ? 1 : type == INT8OID ? 8 : type == INT2OID ? 2 : 4;
        break;
    case SQLT_FLT:
        col->dataSize = type == FLOAT4OID ? 4 : 8;
        break;
    default: {
        // Only the character types carry their length in the modifier (as
        // characters plus the 4-byte header); other modifiers are precisions
        // or field masks and say nothing about the size.
        const bool lengthTyped = (type == VARCHAROID || type == BPCHAROID) && typmod >= 4;
        ub4 bytes;
        if (lengthTyped) {
            const ub4 chars = static_cast<ub4>(typmod - 4);
            col->charSize = Saturate16(chars);
            // Characters of several bytes need more room than the declared
            // length; the rows at hand show how much.
            bytes = lengths.known ? std::max(chars, lengths.longest) : chars;
        } else {
            bytes = lengths.known ? lengths.longest : kUnknownLengthSize;
            col->charSize = Saturate16(bytes);
        }
        col->dataSize = bytes;
        break;
    }
    }
    if (type == NUMERICOID) {
        // numeric's modifier packs ((precision << 16) | scale) + 4; without
        // one, precision and scale read as all bits set.
        const int32_t packed = typmod == -1 ? -1 : typmod - 4;
        const int32_t precision = packed >> 16;
        col->wideStore = wide ? 1 : 0;
        if (wide) col->precision16 = static_cast<ub2>(precision);
        else col->precision8 = static_cast<ub1>(precision);
        col->scale = static_cast<sb1>(packed & 0xFF);
    }
}

namespace {

void SetPrecision(OCIColumnParamHandle *col, bool wide, ub2 precision, sb1 scale) {
    col->wideStore = wide ? 1 : 0;
    if (wide) col->precision16 = precision;
    else col->precision8 = static_cast<ub1>(precision);
    col->scale = scale;
}

// The longest text of the server types Oracle has no counterpart for whose
// output is bounded (bytes, at most kMaxBytesPerChar per character), by OID.
struct TextWidth {
    Oid oid;
    ub4 bytes;
};
constexpr TextWidth kBoundedTextWidths[] = {
    {CHAROID, 4},              // "char": one byte, or its octal escape
    {NAMEOID, 63},             // identifiers: NAMEDATALEN - 1 bytes
    {OIDOID, 10},
    {27 /* tid */, 18},
    {28 /* xid */, 10},
    {29 /* cid */, 10},
    {600 /* point */, 51},     // two float8 texts of at most 24 characters
    {650 /* cidr */, 49},      // IPv6 with an IPv4 tail and a mask
    {774 /* macaddr8 */, 23},
    {790 /* money */, 64},     // the currency symbol is the locale's
    {829 /* macaddr */, 17},
    {869 /* inet */, 49},
    {TIMEOID, 15},
    {INTERVALOID, 100},        // the longest of the four interval styles, with room
    {TIMETZOID, 24},           // a zone offset may carry seconds
    {2950 /* uuid */, 36},
    {5069 /* xid8 */, 20},
};

// The longest text of `type`, 0 when it has no bound (bit types are as
// long as their declared length).
ub4 BoundedTextWidth(Oid type, int typmod) {
    if (type == 1560 /* bit */ || type == 1562 /* varbit */)
        return typmod > 0 && static_cast<ub4>(typmod) <= kOracleMaxStringSize ? static_cast<ub4>(typmod) : 0;
    for (const TextWidth &w : kBoundedTextWidths)
        if (w.oid == type) return w.bytes;
    return 0;
}

// Types as an Oracle server would report the column: numbers are NUMBER
// with their precision and scale, character columns carry byte sizes their
// longest value fits, and whatever Oracle has no type for reads as text: a
// VARCHAR2 when its text has a bound, else a LONG.
void DescribeAsOracle(OCIColumnParamHandle *col, Oid type, int typmod, bool wide) {
    col->charUsed = 0;
    col->binary = 0;
    switch (type) {
    case INT2OID:
    case INT4OID:
    case INT8OID:
    case BOOLOID:
        col->dataType = SQLT_NUM;
        col->dataSize = kNumberSize;
        SetPrecision(col, wide, type == INT2OID ? 5 : type == INT4OID ? 10 : type == INT8OID ? 19 : 1, 0);
        return;
    case NUMERICOID:
        col->dataType = SQLT_NUM;
        col->dataSize = kNumberSize;
        if (typmod < 4) {
            SetPrecision(col, wide, 0, kFloatingScale);
        } else {
            const int32_t packed = typmod - 4;
            SetPrecision(col, wide, static_cast<ub2>((packed >> 16) & 0xFFFF), static_cast<sb1>(packed & 0xFF));
        }
        return;
    case FLOAT4OID:
        col->dataType = SQLT_BFLOAT;
        col->dataSize = 4;
        return;
    case FLOAT8OID:
        col->dataType = SQLT_BDOUBLE;
        col->dataSize = 8;
        return;
    case DATEOID:
        col->dataType = SQLT_DAT;
        col->dataSize = kOracleDateSize;
        return;
    case TIMESTAMPOID:
    case TIMESTAMPTZOID:
        col->dataType = type == TIMESTAMPOID ? SQLT_TIMESTAMP : SQLT_TIMESTAMP_TZ;
        col->dataSize = type == TIMESTAMPOID ? kOracleTimestampSize : kOracleTimestampTzSize;
        // The modifier of a timestamp is its fractional-second precision.
        SetPrecision(col, wide, 0, typmod >= 0 && typmod <= 6 ? static_cast<sb1>(typmod) : kDefaultFractionDigits);
        return;
    case BYTEAOID:
        // bytea has no length: LONG RAW, fetched in pieces of any length,
        // as unbounded text is a LONG (a RAW would cut values at 32767).
        col->dataType = SQLT_LBI;
        col->binary = 1;
        col->dataSize = 0;
        return;
    case VARCHAROID:
    case BPCHAROID:
        // A declared length whose longest value fits a VARCHAR2; a longer
        // or no declared length reads as LONG, below.
        if (typmod >= 4 && static_cast<ub4>(typmod - 4) * kMaxBytesPerChar <= kOracleMaxStringSize) {
            const ub4 chars = static_cast<ub4>(typmod - 4);
            col->dataType = type == VARCHAROID ? SQLT_CHR : SQLT_AFC;
            col->charUsed = 1;
            col->charSize = Saturate16(chars);
            col->dataSize = chars * kMaxBytesPerChar;
            return;
        }
        break;
    default:
        break;
    }
    // A type without an Oracle counterpart whose text has a known longest
    // form is a VARCHAR2 that holds it.
    const ub4 width = BoundedTextWidth(type, typmod);
    if (width != 0) {
        col->dataType = SQLT_CHR;
        col->charUsed = 1;
        col->charSize = Saturate16(width);
        col->dataSize = width;
        return;
    }
    // text, varchar without a length and every other type whose text has no
    // bound: LONG, which Oracle's clients fetch in pieces of any length (a
    // VARCHAR2 would cut values at 32767 bytes). Like Oracle's LONG it has
    // no size.
    col->dataType = SQLT_LNG;
    col->charUsed = 1;
    col->charSize = 0;
    col->dataSize = 0;
}

}  // namespace

void DescribeColumnType(const OCIEnv *env, OCIColumnParamHandle *col, Oid type, int typmod, bool wide,
                        const ColumnValueLengths &lengths) {
    if (OracleCompat(env)) DescribeAsOracle(col, type, typmod, wide);
    else DescribeServerType(col, type, typmod, wide, lengths);
}

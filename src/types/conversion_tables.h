// The two conversion tables and their dispatchers.
//
// Bind table: (external type code, server OID) -> bind converter.
// Result table: (server OID, external type code) -> result converter.
// Both are sorted by their key pair, compared as signed 32-bit values, and
// searched by binary search; a pair that is missing is a conversion the
// library refuses (error 1460 on the bind side, 932 on the result side),
// except that a character type reads the text of any server type without a
// row of its own (the dispatcher gives it the text row's converter).
#pragma once
#include <libpq-fe.h>
#include <oci.h>

#include <cstddef>
#include <cstdint>

#include "types/convert.h"

template <class Fn> struct ConversionEntry {
    int32_t first;
    int32_t second;
    Fn converter;
};
using BindConversionEntry = ConversionEntry<BindConverter>;
using ResultConversionEntry = ConversionEntry<ResultConverter>;

extern const BindConversionEntry OCIToPQConversionFunctions[];
extern const size_t kOCIToPQConversionCount;  // 38
extern const ResultConversionEntry PQToOCIConversionFunctions[];
extern const size_t kPQToOCIConversionCount;  // 250

// <0, 0, >0 as the row's key pair is below, equal to or above (first, second).
template <class Fn>
int CompareConversionFunctionEntry(const ConversionEntry<Fn> &row, int32_t first, int32_t second) {
    if (row.first != first) return row.first < first ? -1 : 1;
    if (row.second != second) return row.second < second ? -1 : 1;
    return 0;
}

// The converter of (first, second) in a sorted table of n rows, or null.
template <class Fn>
Fn GetConversionFunctionInternal(const ConversionEntry<Fn> *table, size_t n, int32_t first,
                                 int32_t second) {
    long low = 0, high = static_cast<long>(n) - 1;
    while (low <= high) {
        const long mid = (low + high) / 2;
        const int order = CompareConversionFunctionEntry(table[mid], first, second);
        if (order > 0)
            high = mid - 1;
        else if (order < 0)
            low = mid + 1;
        else
            return table[mid].converter;
    }
    return nullptr;
}

// Plain table searches (low 16 bits of the code); null when the pair is absent.
BindConverter FindBindConverter(ub4 code, Oid oid);
ResultConverter FindResultConverter(Oid oid, ub4 code);

// Bind dispatch: one application value of external type `code` into a
// parameter for a server parameter of type `oid`. An absent value or an
// indicator of -1 gives SQL NULL (and sets a given indicator to -1 when the
// value is absent). Returns 0 or -1 (error 1460 for a pair the bind table
// lacks; a negative indicator other than -1 fails without a record). The
// produced value is o2pFree'd by the caller after the server call.
int OCI2PQType(OCIError *errhp, ub4 code, const void *value, sb4 size, sb2 *indicator, Oid oid,
               char **out, ub4 *outLength, ub1 *outFormat);
// The same conversion without an allocation, for the commonest pairs: an
// integer of the parameter's width (into `scratch`, 8 bytes) and terminated
// text that needs no transcoding (left where it lies in `value`). The route
// for a pair is worked out once (ResolveInPlaceRoute, for the environment of
// errhp) and kept by the caller. OCI2PQTypeInPlace returns 1 with *out
// pointing into scratch or value, or 0 when OCI2PQType must do it (other
// pairs, NULL, anything that warns or fails, tracing on).
struct InPlaceRoute {
    ub4 code = 0;
    Oid oid = 0;
    bool known = false;
    ub1 kind = 0;   // 0 the general way, 1 an integer of `width` bytes, 2 terminated text
    ub1 width = 0;
    bool varcharSemantics = false;
};
void ResolveInPlaceRoute(OCIError *errhp, ub4 code, Oid oid, InPlaceRoute *route);
int OCI2PQTypeInPlace(const InPlaceRoute &route, const void *value, sb4 size, sb2 indicator, char *scratch,
                      const char **out, ub4 *outLength, ub1 *outFormat);

// The result converter for (oid, code): unknown reads as text, the raw
// family's OIDs as raw; an OID outside the catalogue is resolved through
// `conn` (may be null) by asking the server for the raw type's OID. A
// character type without a row for the server type reads its text.
ResultConverter findPQToOCIConversion(Oid oid, ub4 code, PGconn *conn);

// Result dispatch: one column value into the application's buffer. A NULL
// (isNull) sets indicator -1 and return code 1405 and succeeds without a
// record; a pair without converter adds error 932 and returns OCI_ERROR.
// For SQLT_RSET `dest` is the OCIStmt of the bound cursor, whose
// preparedName receives the server cursor's name.
sword PQ2OCIType(OCIError *errhp, Oid oid, const char *value, ub4 valueLength, ub1 format, ub4 code,
                 void *dest, ub4 *length, sb2 *indicator, ub2 *returnCode, bool isNull);
// The same without the cursor case, resolving the raw type through `conn`
// and handing it to the converter (a locator open on `conn` is closed there
// before it takes a new large object).
sword PQ2OCIType_2(OCIError *errhp, Oid oid, const char *value, ub4 valueLength, ub1 format, ub4 code,
                   void *dest, ub4 *length, sb2 *indicator, ub2 *returnCode, bool isNull,
                   PGconn *conn);

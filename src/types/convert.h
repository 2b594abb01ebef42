// The two converter contracts every value conversion follows.
#pragma once
#include <libpq-fe.h>
#include <oci.h>

#include <cstdint>

// Bind side: one application value (external type, size) becomes one server
// parameter value. The produced buffer comes from the process heap
// (std::malloc) and the caller frees it after the server call. An input that
// yields no value sets *out to null and *outLength to 0: SQL NULL.
// Result 0 on success, -1 on failure (an error record has been added).
using BindConverter = int (*)(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                              char **out, ub4 *outLength, ub1 *outFormat);

// Result side: one server column value (text when format is 0, the binary
// send format when 1) lands in an application buffer. *length holds the
// buffer's capacity on entry and the bytes written on return; indicator and
// returnCode may be null. `conn` is the connection the value came from when
// the caller has one (null otherwise); only converters that hold server
// state in the destination, such as an open large object, use it. Result
// OCI_SUCCESS, OCI_SUCCESS_WITH_INFO (a NULL without indicator, after its
// error record) or OCI_ERROR.
using ResultConverter = sword (*)(OCIError *errhp, const char *value, ub4 valueLength, ub1 format,
                                  void *dest, ub4 *length, sb2 *indicator, ub2 *returnCode,
                                  PGconn *conn);

// Server type identifiers used by the conversion tables.
enum ServerTypeOid : uint32_t {
    BOOLOID = 16,
    BYTEAOID = 17,
    CHAROID = 18,
    NAMEOID = 19,
    INT8OID = 20,
    INT2OID = 21,
    INT4OID = 23,
    TEXTOID = 25,
    OIDOID = 26,
    FLOAT4OID = 700,
    FLOAT8OID = 701,
    UNKNOWNOID = 705,
    BPCHAROID = 1042,
    VARCHAROID = 1043,
    DATEOID = 1082,
    TIMEOID = 1083,
    TIMESTAMPOID = 1114,
    TIMESTAMPTZOID = 1184,
    INTERVALOID = 1186,
    TIMETZOID = 1266,
    NUMERICOID = 1700,
    REFCURSOROID = 1790,
    RAWOID = 12487,  // the server's binary string type
};

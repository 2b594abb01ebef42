// Every bind converter of the bind table, and the conventions they share.
//
// A converter turns one application value (external type, size in bytes)
// into one server parameter: nul-terminated text (format 0, the terminator
// counted in the length) or the server's binary send format (format 1). The
// produced buffer comes from o2pMalloc and the caller releases it with
// o2pFree after the server call. An empty input sets *out to null and
// *outLength to 0, which the server receives as SQL NULL. Results: 0, or -1
// with *out null (an error record only where a converter says so).
//
// Sizes and length prefixes are checked before anything is allocated, and
// nothing is read beyond the `size` bytes the application declared.
#pragma once
#include <oci.h>

#include <cstddef>
#include <cstdint>

#include "types/convert.h"

#define OCI_BIND_CONVERTER(name)                                                                   \
    int name(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator, char **out,       \
             ub4 *outLength, ub1 *outFormat)

// ---- characters (format 0) -------------------------------------------------------------
// CHR and LNG drop trailing blanks (one character always stays); AFC keeps them.
OCI_BIND_CONVERTER(ConvertSQLT_CHRToTEXTOID);
OCI_BIND_CONVERTER(ConvertSQLT_LNGToTEXTOID);
OCI_BIND_CONVERTER(ConvertSQLT_AFCToTEXTOID);
// Length-prefixed: a 16-bit (VCS) or 32-bit (LVC) length, then the characters.
OCI_BIND_CONVERTER(ConvertSQLT_VCSToTEXTOID);
OCI_BIND_CONVERTER(ConvertSQLT_LVCToTEXTOID);
// The value holds an OCIString pointer.
OCI_BIND_CONVERTER(ConvertSQLT_VSTToTEXTOID);
// Nul-terminated within the buffer (SQLT_STR, SQLT_AVC, SQLT_RSET).
OCI_BIND_CONVERTER(ConvertSQLT_STRToTEXTOID);
// Not in the bind table: a NUMBER (21-byte or VARNUM form) as its decimal
// text, for a parameter the server types by its place.
OCI_BIND_CONVERTER(ConvertSQLT_NUMToTEXTOID);
OCI_BIND_CONVERTER(ConvertSQLT_VNUToTEXTOID);
// A terminated string the STR-to-text conversion would copy unchanged (in
// an environment that does not transcode, with Oracle's varchar rules or
// not): true with *out = value and its length with the terminator.
bool PassSQLT_STRAsText(bool varcharSemantics, const void *value, sb4 size, const char **out, ub4 *outLength);
// The application's integer of 1, 2, 4 or 8 bytes (signed or not) as its low
// `width` bytes, big-endian, into dest; false for any other size.
bool PackInteger(const void *value, sb4 size, bool isSigned, size_t width, unsigned char *dest);

// ---- integers (format 1, big-endian) -----------------------------------------------------
// SQLT_INT reads the value signed; SQLT_UIN (the UIN converters) unsigned.
OCI_BIND_CONVERTER(ConvertSQLT_INTToCHAROID);
OCI_BIND_CONVERTER(ConvertSQLT_INTToINT2OID);
OCI_BIND_CONVERTER(ConvertSQLT_INTToINT4OID);
OCI_BIND_CONVERTER(ConvertSQLT_INTToINT8OID);
OCI_BIND_CONVERTER(ConvertSQLT_INTToNUMERICOID);
OCI_BIND_CONVERTER(ConvertSQLT_UINToINT2OID);
OCI_BIND_CONVERTER(ConvertSQLT_UINToINT4OID);
OCI_BIND_CONVERTER(ConvertSQLT_UINToINT8OID);

// ---- floating point (format 1, IEEE bits big-endian) --------------------------------------
OCI_BIND_CONVERTER(ConvertSQLT_FLTToFLOAT4OID);
OCI_BIND_CONVERTER(ConvertSQLT_FLTToFLOAT8OID);

// ---- Oracle numbers to the numeric send format (format 1) ---------------------------------
OCI_BIND_CONVERTER(ConvertSQLT_NUMToNUMERICOID);
OCI_BIND_CONVERTER(ConvertSQLT_VNUToNUMERICOID);

// ---- binary strings to bytea (format 1, the bytes themselves) -------------------------------
OCI_BIND_CONVERTER(ConvertSQLT_BINToBYTEAOID);
OCI_BIND_CONVERTER(ConvertSQLT_LBIToBYTEAOID);
OCI_BIND_CONVERTER(ConvertSQLT_VBIToBYTEAOID);
OCI_BIND_CONVERTER(ConvertSQLT_LVBToBYTEAOID);

// ---- dates, timestamps and intervals (format 0, ISO / verbose text) ---------------------------
OCI_BIND_CONVERTER(ConvertSQLT_DATToDATEOID);
OCI_BIND_CONVERTER(ConvertSQLT_DATToTIMESTAMPOID);
OCI_BIND_CONVERTER(ConvertSQLT_ODTToTIMESTAMPOID);
// The value holds an OCIDateTime pointer (OCIInterval for the interval one).
OCI_BIND_CONVERTER(ConvertSQLT_DATEToTIMESTAMPOID);
OCI_BIND_CONVERTER(ConvertSQLT_TIMESTAMPToTIMESTAMPOID);
OCI_BIND_CONVERTER(ConvertSQLT_TIMESTAMP_TZToTIMESTAMPTZOID);
OCI_BIND_CONVERTER(ConvertSQLT_INTERVAL_DSToINTERVALOID);

#undef OCI_BIND_CONVERTER

// ---- shared conventions --------------------------------------------------------------------
namespace bindconv {

// The environment settings a converter consults, read through the error
// handle. Without an environment: the Oracle-varchar flag on, no transcoding.
struct BindSettings {
    bool varcharSemantics;  // Oracle's empty-string-is-NULL rules
    bool transcoding;       // application text is UTF-16 and goes out as UTF-8
    void *toServer;         // iconv descriptor when transcoding
};
BindSettings SettingsOf(OCIError *errhp);

// Sets the outputs to "no value" (SQL NULL) in the given format; returns 0.
int EmitNull(char **out, ub4 *outLength, ub1 *outFormat, ub1 format);
// Clears the outputs and returns -1.
int Fail(char **out, ub4 *outLength, ub1 *outFormat);
// Adds error `code` to errhp, clears the outputs and returns -1.
int FailWith(OCIError *errhp, sb4 code, char **out, ub4 *outLength, ub1 *outFormat);

// A new buffer of `length` bytes holding a copy of `bytes`; -1 when memory
// runs out.
int AllocBufferAndCopy(char **out, const void *bytes, size_t length);
// Hands out `length` bytes as binary (format 1) / as text plus a terminator
// (format 0, length + 1). Failure clears the outputs and returns -1.
int EmitBinary(const void *bytes, size_t length, char **out, ub4 *outLength, ub1 *outFormat);
int EmitText(const char *text, size_t length, char **out, ub4 *outLength, ub1 *outFormat);

// Application text on its way to the server: with transcoding a converted
// copy (owned here), otherwise the caller's bytes. On failure the message
// record has been added and Convert returns false.
class ClientText {
public:
    ClientText() = default;
    ClientText(const ClientText &) = delete;
    ClientText &operator=(const ClientText &) = delete;
    ~ClientText();
    bool Convert(OCIError *errhp, const BindSettings &settings, const char *bytes, size_t length);
    const char *data() const { return data_; }
    size_t size() const { return size_; }

private:
    char *owned_ = nullptr;
    const char *data_ = nullptr;
    size_t size_ = 0;
};

// Width of one character unit of application text: 2 for UTF-16, else 1.
size_t CodeUnitWidth(const BindSettings &settings);
// Offset of the first all-zero code unit within `length` bytes, or -1.
long FindTerminator(const char *bytes, size_t length, size_t unit);

// Host integers into the server's big-endian send formats.
void StoreBigEndian(unsigned char *dest, uint64_t value, size_t width);

}  // namespace bindconv

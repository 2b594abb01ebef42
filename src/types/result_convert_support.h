// What every result converter shares: the NULL, truncation, indicator and
// return-code conventions, the writers for each application buffer layout,
// transcoding for UTF-16 applications, and the number stores. A converter
// decodes its source value and hands it to one writer here, so that a layout
// behaves the same whatever the source type.
#pragma once
#include <oci.h>

#include <cstddef>
#include <cstdint>

#include "types/result_converters.h"

struct OCIEnv;

namespace resultconv {

// Error numbers the converters report.
constexpr sb4 kErrNullReturned = 1405;
constexpr sb4 kErrTruncated = 1406;
constexpr sb4 kErrNumericOverflow = 1426;
constexpr sb4 kErrBadVarLength = 1459;
constexpr sb4 kErrIllegalConversion = 1460;
constexpr sb4 kErrBadHex = 1465;
constexpr sb4 kErrInvalidNumber = 1722;
constexpr sb4 kErrLob = 1733;
constexpr sb4 kErrDateTimeInternal = 1891;
constexpr sb4 kErrOverflow = 22053;

// Length reported for a datetime or interval descriptor target.
constexpr ub4 kDescriptorLength = 40;
// Longest date/time text a date column delivers.
constexpr size_t kMaxDateText = 4000;

// The arguments of one converter call, as the result contract passes them.
struct Call {
    OCIError *errhp;
    const char *value;
    ub4 valueLength;
    ub1 format;
    void *dest;
    ub4 *length;
    sb2 *indicator;
    ub2 *returnCode;
    PGconn *conn;  // may be null
};
#define RESULT_CALL                                                                                \
    ::resultconv::Call { errhp, value, valueLength, format, dest, length, indicator, returnCode, conn }

// ---- conventions ---------------------------------------------------------------------------

// Whether an empty value counts as NULL. Every family treats it so, except
// the text and bytea families while the Oracle-varchar flag is off (Oracle
// knows no empty string; the server does).
enum class EmptyText { IsNull, IsValue };

// Settings of the environment the error handle belongs to.
OCIEnv *EnvOf(const Call &c);
bool OracleVarchars(const Call &c);  // the environment's Oracle-varchar flag
bool Utf16(const Call &c);           // application text is UTF-16

// The common start of every converter: sets the indicator to 0, refuses a
// format byte other than 0 and 1 and a missing length or destination, and
// handles a NULL (absent value, or an empty one unless `empty` says it is
// a value). Returns true when the converter is to go on; otherwise *status
// holds its result.
bool Start(const Call &c, EmptyText empty, sword *status);
// The NULL convention on its own: return code 1405, indicator -1 and
// OCI_SUCCESS, or without an indicator error 1405 and OCI_SUCCESS_WITH_INFO.
sword ReportNull(const Call &c);
ub4 Capacity(const Call &c);

// Adds error record `code` and returns OCI_ERROR; *length becomes 0.
sword Fail(const Call &c, sb4 code);
// The same for a message-only record.
sword FailMessage(const Call &c, const char *text);
// OCI_ERROR without a record, for input no server sends in that format (a
// binary value of the wrong size) and for memory running out.
sword Refuse(const Call &c);
// A value delivered incompletely: the return code becomes 1406 and the
// indicator the number of bytes lost (-2 when that does not fit the
// indicator). With `report` error 1406 is added and the result is
// OCI_SUCCESS_WITH_INFO; without, OCI_SUCCESS.
sword Truncated(const Call &c, size_t lost, bool report);
// A value delivered with a warning record (e.g. 1426 for a narrowed float).
sword Warn(const Call &c, sb4 code);
// Trace of the bytes a converter left in the buffer.
void TraceResult(const void *bytes, size_t length);

// ---- characters ------------------------------------------------------------------------------

enum class CharLayout {
    CHR,  // characters, the rest blank-filled (unless fill is off); length = characters
    AFC,  // as CHR
    AVC,  // characters, a terminator, the rest blank-filled; length = characters + terminator
    STR,  // characters and a terminator; length = characters; truncation is silent
    LNG,  // characters only
    VCS,  // 16-bit length word, characters; length = characters + 2
    LVC,  // 32-bit length word, characters; length = characters + 4
    VST,  // into the OCIString the destination points to (grown when too small)
};

// Delivers `len` bytes of text in the session's character set (UTF-8 when
// the application is UTF-16, which this converts to) in `layout`. Nothing is
// ever written beyond the capacity, and a truncated text is cut at a
// character boundary of the client encoding. `fill` turns the blank fill of
// CHR, AFC and AVC off.
sword DeliverChars(const Call &c, CharLayout layout, const char *text, size_t len, bool fill = true);

// ---- bytes -------------------------------------------------------------------------------------

enum class ByteLayout {
    BIN,  // raw bytes
    LBI,  // as BIN
    VBI,  // 16-bit length word, bytes
    LVB,  // 32-bit length word, bytes
};
sword DeliverBytes(const Call &c, ByteLayout layout, const unsigned char *bytes, size_t len);

// ---- numbers ---------------------------------------------------------------------------------

// SQLT_INT (signed) or SQLT_UIN: the capacity picks the width, 1, 2, 4 or 8
// bytes (others: error 1460). A value outside the width's range adds
// `overflowError` and fails; nothing is written then.
sword StoreInteger(const Call &c, int64_t v, bool isUnsigned, sb4 overflowError);
// A real value as an integer: truncated toward zero; not-a-number, the
// infinities and values beyond 64 bits add `overflowError` and fail.
sword StoreIntegerFromReal(const Call &c, double v, bool isUnsigned, sb4 overflowError);

enum class RealLayout {
    FLT,      // capacity 4: single, 8: double, others error 1460
    BFLOAT,   // single; capacity at least 4
    BDOUBLE,  // double; capacity at least 8
};
// A finite value beyond the single range adds 1426 and fails; a single that
// differs from the value is delivered with warning 1426.
sword StoreReal(const Call &c, RealLayout layout, double v);

// SQLT_NUM: the 21 bytes after the count byte of `varnum`; capacity at least 21.
sword StoreNumber(const Call &c, const ub1 *varnum);
// SQLT_VNU: count byte and NUMBER; the capacity must hold count + 1 bytes.
sword StoreVarnum(const Call &c, const ub1 *varnum);

// Decimal text -> VARNUM (22 bytes). A malformed text adds 1722, a value
// beyond NUMBER's range 1426; both return OCI_ERROR, success OCI_SUCCESS.
sword VarnumFromText(const Call &c, const char *text, size_t len, ub1 *varnum);

// Strict decimal integer: optional blanks, optional sign, digits, optional
// blanks. 0, 1 (not a number) or 2 (out of the 64-bit range).
int ParseInteger(const char *text, size_t len, int64_t *out);
// Whole-text floating number (blanks around allowed, also "NaN" and
// "Infinity"): 0, 1 (not a number) or 2 (beyond the double range; with
// `single`, the text is read as a single and checked against its range).
int ParseReal(const char *text, size_t len, double *out, bool single = false);
// The shortest text that reads back as `v` at the given precision (single
// when `single`), laid out as the server's float output does: fixed notation
// for decimal exponents from -4 below 15 (single: below 6), otherwise
// "d.ddde+XX". "NaN", "Infinity" and "-Infinity" for the special values.
// `out` needs 40 bytes; returns the text length.
size_t FormatReal(double v, bool single, char *out);

// Big-endian integers of the binary send format.
uint64_t LoadBigEndian(const char *bytes, size_t width);

// ---- texts with an owner -----------------------------------------------------------------------

// A text that either points into the server value, sits in a small local
// buffer, or is heap memory that goes with the object.
class Text {
public:
    Text() = default;
    Text(const Text &) = delete;
    Text &operator=(const Text &) = delete;
    ~Text();

    void View(const char *data, size_t len);
    // Room for a text of up to sizeof(local_) - 1 bytes; call Commit after writing.
    char *Local() { return local_; }
    size_t LocalSize() const { return sizeof local_; }
    void Commit(size_t len) { View(local_, len); }
    // Takes ownership of a buffer from malloc (ConvertNumericToString) or
    // o2pMalloc (transcode); both go back to the process heap.
    void Adopt(char *heap, size_t len);

    const char *data() const { return data_; }
    size_t size() const { return len_; }

private:
    const char *data_ = nullptr;
    size_t len_ = 0;
    char *heap_ = nullptr;
    char local_[64];
};

// ---- the bytea text forms -------------------------------------------------------------------

// Decodes the server's bytea text output ("\x" + hex digits in either case,
// or the escape form) into a new heap buffer (release with o2pFree; null
// and length 0 for an empty result). 0 on success, kErrBadHex for a
// malformed text, -1 when memory runs out.
int DecodeByteaText(const char *text, size_t len, unsigned char **out, size_t *outLen);
// Upper-case hexadecimal of `len` bytes into a new heap buffer (o2pFree).
// Null when memory runs out (a zero-length input gives a 1-byte buffer).
char *EncodeHex(const unsigned char *bytes, size_t len);

}  // namespace resultconv

// Oracle's decimal number in its two byte forms and the server's numeric.
//
//  NUMBER (at most 21 bytes): one exponent/sign byte, then up to 20 base-100
//  mantissa bytes. Zero is the single byte 0x80. A positive value stores
//  0xC1 + E and then digit + 1; a negative one 0x3E - E, then 101 - digit and,
//  when fewer than 20 mantissa bytes are used, the terminator 102.
//  VARNUM / OCINumber (22 bytes): a count byte (1..21) followed by a NUMBER.
//  Numeric record: the server's numeric send format - four 16-bit header words
//  (digit count, weight, sign, display scale) and base-10000 digits - kept in
//  host order in memory and put into network order just before it is sent.
//
// Every function returns 0 on success and -1 on malformed input or when memory
// runs out; none of them adds an error record (the callers know which error
// fits their context). Texts are read up to an explicit length and never past
// it; the overloads without a length read a nul-terminated text.
#pragma once
#include <oci.h>

#include <cstddef>
#include <cstdint>

// Byte sizes of the two Oracle forms.
constexpr size_t kNumberSize = 21;  // exponent byte + 20 mantissa bytes
constexpr size_t kVarnumSize = 22;  // count byte + NUMBER
constexpr int kNumberMaxDigits = 40;
// Room for the longest text ConvertVARNUMToString writes, terminator included.
constexpr size_t kVarnumTextSize = 56;

// Sign words of the numeric send format. The server also knows the two
// infinities; they convert to text and to double but to no Oracle form.
constexpr uint16_t NUMERIC_POS = 0x0000;
constexpr uint16_t NUMERIC_NEG = 0x4000;
constexpr uint16_t NUMERIC_NAN = 0xC000;
constexpr uint16_t NUMERIC_PINF = 0xD000;
constexpr uint16_t NUMERIC_NINF = 0xF000;
constexpr int NUMERIC_MAX_DSCALE = 0x3FFF;
constexpr int NUMERIC_BASE = 10000;

// Header of a numeric record; `ndigits` 16-bit digits follow it directly in
// the same allocation, so the whole record is exactly the send format.
struct NumericVar {
    int16_t ndigits;
    int16_t weight;  // power of 10000 of the first digit
    uint16_t sign;
    int16_t dscale;  // digits shown after the decimal point
};
static_assert(sizeof(NumericVar) == 8, "numeric header must be four 16-bit words");

inline uint16_t *NumericDigits(NumericVar *var) { return reinterpret_cast<uint16_t *>(var + 1); }
inline const uint16_t *NumericDigits(const NumericVar *var) {
    return reinterpret_cast<const uint16_t *>(var + 1);
}

// A zero-filled record with room for `ndigits` digits (header ndigits set),
// from the process heap: release it with free_var (or free()).
NumericVar *alloc_var(int ndigits);
void free_var(NumericVar *var);
// Bytes of a host-order record: 8 + 2 * ndigits.
size_t NumericVarSize(const NumericVar *var);
// Removes leading and trailing zero digits (adjusting the weight); a record
// whose digits are all zero becomes zero (no digits, weight 0, sign positive).
void strip_var(NumericVar *var);
// Rounds the digits to `scale` places after the decimal point (halves away
// from zero) and sets the display scale to `scale`; may add a leading digit,
// so it can reallocate: the record pointer is updated. -1 on memory failure.
int round_var(NumericVar **var, int scale);

// Puts a host-order record into network order in place and returns its size
// in bytes (computed before the swap); the reverse swaps back. Both only touch
// the 8 + 2n bytes the header announces, so they are for records this module
// allocated. A record from the wire goes through NumericFromSendFormat.
size_t ConvertNumericFromHostToNetOrder(NumericVar *var);
void ConvertNumericFromNetToHostOrder(NumericVar *var);
// Validates `len` bytes of the send format (length exactly 8 + 2n, n >= 0,
// a known sign word, digits below 10000, scale within 0x3FFF) and returns a
// new host-order record, or null.
NumericVar *NumericFromSendFormat(const void *bytes, size_t len);

// Decimal text -> sign, significant digits and the power of ten of the last
// kept digit (value = sign * digits * 10^power). Grammar: optional white
// space; optional "+"/"-"; digits with at most one "." and commas before the
// point (ignored); optional "E"/"e" with a signed exponent, which must be
// present and lie in -126 .. 126; optional trailing white space. Anything
// else is an error. White space alone (or an empty text) is zero. At most
// `digitsCap` digits are kept (the rest dropped, not rounded); digits are
// written as the characters '0'..'9' without terminator.
// Returns 1 for zero, 0 for a number, -1 for an error.
struct ParsedNumber {
    int negative;   // 1 for "-"
    int power;      // power of ten of the last digit kept
    int ndigits;    // digits kept (no leading or trailing zeros)
    char digits[kNumberMaxDigits];
};
int ParseNumber(const char *str, size_t len, ParsedNumber *out);
int ParseNumber(const char *str, size_t len, int *sign, int *power, char *digits, size_t digitsCap,
                int *ndigits);

// Text -> NUMBER. `out` receives 21 bytes (unused ones 0); `used` (optional)
// the count of bytes that carry the value. A value too large for the form
// (base-100 exponent above 62) is an error; one too small for it (exponent
// below -64) becomes zero.
int ConvertStringToNUMBER(const char *str, size_t len, ub1 *out, int *used = nullptr);
int ConvertStringToNUMBER(const char *str, ub1 *out, int *used = nullptr);
// Text -> VARNUM / OCINumber: 22 bytes, count byte first, unused bytes 0.
int ConvertStringToVARNUM(const char *str, size_t len, ub1 *out);
int ConvertStringToVARNUM(const char *str, ub1 *out);
// VARNUM -> "0.<base-100 digits as pairs>E<power>" ("-" first for negatives,
// "E..." left out when the power is 0, zero is "0.0"). `out` needs `cap`
// bytes, at least kVarnumTextSize to be safe; the text is nul-terminated.
int ConvertVARNUMToString(const ub1 *number, char *out, size_t cap);

// NUMBER (read at most `len` bytes) / VARNUM -> new numeric record.
int ConvertNUMBERToNumeric(const ub1 *number, size_t len, NumericVar **out);
int ConvertVARNUMBERToNumeric(const ub1 *number, NumericVar **out);
// Numeric record (host order) -> VARNUM (22 bytes). Digits beyond the 40th
// are dropped; not-a-number, the infinities and values outside the NUMBER
// range are errors.
int ConvertNumericToVARNUMBER(const NumericVar *var, ub1 *out);
// Decimal text ("NaN" and "[+-]Infinity" in any case allowed; optional white
// space around, sign, digits with one point, exponent) -> new numeric record
// whose display scale is the digits after the point less the exponent.
int ConvertStringToNumeric(const char *str, size_t len, NumericVar **out);
int ConvertStringToNumeric(const char *str, NumericVar **out);
// Numeric record -> plain decimal text rounded to the display scale, e.g.
// "-12.50", "0.001", "NaN", "Infinity". New nul-terminated text from the
// process heap (release with free()), or null when memory runs out.
char *ConvertNumericToString(const NumericVar *var);

// Numeric record -> machine numbers. The integer forms round halves away
// from zero and fail when the result does not fit. numericvar_to_double
// fails for a value beyond the double range (storing +-HUGE_VAL);
// not-a-number and the infinities come out as such. numericvar_to_float
// stores the value narrowed to single precision and returns 1 when the
// narrowing changed it, 0 when not, -1 when the double conversion failed.
int numericvar_to_int1(const NumericVar *var, int8_t *out);
int numericvar_to_int2(const NumericVar *var, int16_t *out);
int numericvar_to_int4(const NumericVar *var, int32_t *out);
int numericvar_to_int8(const NumericVar *var, int64_t *out);
int numericvar_to_double(const NumericVar *var, double *out);
int numericvar_to_float(const NumericVar *var, float *out);

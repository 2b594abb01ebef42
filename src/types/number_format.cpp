// Conversions among decimal text, Oracle's NUMBER/VARNUM bytes and the
// server's numeric record. All of them meet in one plain decimal form - a
// sign, the significant digits and the power of ten of the last digit - so
// each byte layout only needs a reader and a writer for that form.
#include "types/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "env/memory.h"

namespace {

// Oracle's base-100 exponent range that has an exponent byte on both signs.
constexpr int kMinExponent100 = -64;
constexpr int kMaxExponent100 = 62;
constexpr int kMaxTextExponent = 126;
// Bounds on the power of ten a parsed text may have; far beyond anything any
// of the target forms can hold, but small enough that int arithmetic on it
// cannot overflow.
constexpr long kPowerLimit = 1L << 28;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

enum class Special { None, NaN, PosInf, NegInf };

struct Decimal {
    bool negative = false;
    Special special = Special::None;
    std::string digits;  // '0'..'9', no leading or trailing zeros; empty for zero
    long power = 0;      // power of ten of the last digit
};

long FloorDiv(long a, long b) {
    long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

void Normalise(Decimal &d) {
    size_t lead = d.digits.find_first_not_of('0');
    if (lead == std::string::npos) {
        d.digits.clear();
        d.negative = false;
        d.power = 0;
        return;
    }
    d.digits.erase(0, lead);
    size_t last = d.digits.find_last_not_of('0');
    d.power += static_cast<long>(d.digits.size() - 1 - last);
    d.digits.erase(last + 1);
}

// Power of ten of the first digit (meaningless for zero).
long FirstPower(const Decimal &d) { return d.power + static_cast<long>(d.digits.size()) - 1; }

// Rounds to `scale` places after the point, halves away from zero.
void RoundDecimal(Decimal &d, long scale) {
    if (d.digits.empty() || d.power >= -scale) return;
    long keep = static_cast<long>(d.digits.size()) - (-scale - d.power);
    if (keep < 0) {
        d.digits.clear();
        Normalise(d);
        return;
    }
    char roundDigit = d.digits[static_cast<size_t>(keep)];
    d.digits.resize(static_cast<size_t>(keep));
    d.power = -scale;
    if (roundDigit >= '5') {
        long i = keep - 1;
        while (i >= 0 && d.digits[static_cast<size_t>(i)] == '9') {
            d.digits[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i >= 0)
            ++d.digits[static_cast<size_t>(i)];
        else
            d.digits.insert(d.digits.begin(), '1');
    }
    Normalise(d);
}

// ---- text -----------------------------------------------------------------

// Reads the optional exponent at text[i] ("E"/"e" already seen at i - 1).
// Stores it clamped to +-kPowerLimit; false when no digit follows.
bool ReadExponent(const char *str, size_t len, size_t &i, long &exponent) {
    bool negative = false;
    if (i < len && (str[i] == '+' || str[i] == '-')) negative = str[i++] == '-';
    if (i >= len || !IsDigit(str[i])) return false;
    long value = 0;
    while (i < len && IsDigit(str[i])) {
        if (value < kPowerLimit) value = value * 10 + (str[i] - '0');
        ++i;
    }
    exponent = negative ? -value : value;
    return true;
}

bool OnlySpaceFrom(const char *str, size_t len, size_t i) {
    while (i < len && IsSpace(str[i])) ++i;
    return i == len;
}

// The Oracle-flavoured reader behind ParseNumber: commas before the point are
// ignored and only the first `cap` significant digits are kept.
// Returns 1 zero, 0 number, -1 error.
int ReadOracleText(const char *str, size_t len, size_t cap, Decimal &d) {
    d = Decimal();
    if (cap == 0) return -1;
    if (str == nullptr) return len == 0 ? 1 : -1;
    size_t i = 0;
    while (i < len && IsSpace(str[i])) ++i;
    if (i == len) return 1;
    if (str[i] == '+' || str[i] == '-') d.negative = str[i++] == '-';

    bool sawDigit = false, sawPoint = false, started = false;
    long leadingFractionZeros = 0;  // zeros after the point before the first significant digit
    long fractionDigits = 0;        // significant-sequence digits after the point
    long total = 0;                 // significant-sequence digits seen
    for (; i < len; ++i) {
        char c = str[i];
        if (IsDigit(c)) {
            sawDigit = true;
            if (!started && c == '0') {
                if (sawPoint) ++leadingFractionZeros;
                continue;
            }
            started = true;
            if (d.digits.size() < cap) d.digits.push_back(c);
            if (total < kPowerLimit) ++total;
            if (sawPoint && fractionDigits < kPowerLimit) ++fractionDigits;
        } else if (c == '.') {
            if (sawPoint) return -1;
            sawPoint = true;
        } else if (c == ',') {
            if (sawPoint || !sawDigit) return -1;
        } else {
            break;
        }
    }
    if (!sawDigit) return -1;
    long exponent = 0;
    if (i < len && (str[i] == 'E' || str[i] == 'e')) {
        ++i;
        if (!ReadExponent(str, len, i, exponent)) return -1;
        if (exponent > kMaxTextExponent || exponent < -kMaxTextExponent) return -1;
    }
    if (!OnlySpaceFrom(str, len, i)) return -1;
    if (leadingFractionZeros >= kPowerLimit) return -1;
    long dropped = total - static_cast<long>(d.digits.size());
    d.power = dropped - leadingFractionZeros - fractionDigits + exponent;
    Normalise(d);
    return d.digits.empty() ? 1 : 0;
}

bool EqualsIgnoreCase(const char *str, size_t len, const char *word) {
    size_t n = std::strlen(word);
    if (len != n) return false;
    for (size_t k = 0; k < n; ++k) {
        char c = str[k];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[k]) return false;
    }
    return true;
}

// The server-flavoured reader: every digit kept, the display scale counted.
bool ReadServerText(const char *str, size_t len, Decimal &d, long &dscale) {
    d = Decimal();
    dscale = 0;
    if (str == nullptr) return false;
    size_t begin = 0, end = len;
    while (begin < end && IsSpace(str[begin])) ++begin;
    while (end > begin && IsSpace(str[end - 1])) --end;
    const char *word = str + begin;
    size_t wordLen = end - begin;
    if (EqualsIgnoreCase(word, wordLen, "nan")) {
        d.special = Special::NaN;
        return true;
    }
    if (EqualsIgnoreCase(word, wordLen, "infinity") || EqualsIgnoreCase(word, wordLen, "+infinity")) {
        d.special = Special::PosInf;
        return true;
    }
    if (EqualsIgnoreCase(word, wordLen, "-infinity")) {
        d.special = Special::NegInf;
        return true;
    }
    size_t i = begin;
    if (i < end && (str[i] == '+' || str[i] == '-')) d.negative = str[i++] == '-';
    bool sawDigit = false, sawPoint = false;
    long fraction = 0;
    for (; i < end; ++i) {
        char c = str[i];
        if (IsDigit(c)) {
            sawDigit = true;
            if (d.digits.size() >= static_cast<size_t>(kPowerLimit)) return false;
            d.digits.push_back(c);
            if (sawPoint) ++fraction;
        } else if (c == '.' && !sawPoint) {
            sawPoint = true;
        } else {
            break;
        }
    }
    if (!sawDigit) return false;
    long exponent = 0;
    if (i < end && (str[i] == 'e' || str[i] == 'E')) {
        ++i;
        if (!ReadExponent(str, end, i, exponent)) return false;
    }
    if (i != end) return false;
    d.power = exponent - fraction;
    dscale = fraction - exponent;
    if (dscale < 0) dscale = 0;
    if (dscale > NUMERIC_MAX_DSCALE) return false;
    Normalise(d);
    return true;
}

// ---- NUMBER bytes -----------------------------------------------------------

// Writes the 21-byte NUMBER of `d` (digits beyond what 20 mantissa bytes hold
// dropped). -1 when the value is too large for an exponent byte.
int EncodeNumber(const Decimal &d, ub1 *out, int *used) {
    std::memset(out, 0, kNumberSize);
    if (d.special != Special::None) return -1;
    if (d.digits.empty()) {
        out[0] = 0x80;
        if (used != nullptr) *used = 1;
        return 0;
    }
    long intDigits = static_cast<long>(d.digits.size()) + d.power;  // digits before the point
    std::string aligned = d.digits;
    if (intDigits % 2 != 0) {
        aligned.insert(aligned.begin(), '0');
        ++intDigits;
    }
    long exponent = intDigits / 2 - 1;
    if (exponent > kMaxExponent100) return -1;
    if (exponent < kMinExponent100) {
        out[0] = 0x80;
        if (used != nullptr) *used = 1;
        return 0;
    }
    if (aligned.size() % 2 != 0) aligned.push_back('0');
    size_t pairs = aligned.size() / 2;
    if (pairs > 20) pairs = 20;
    while (pairs > 1 && aligned[2 * pairs - 2] == '0' && aligned[2 * pairs - 1] == '0') --pairs;
    out[0] = static_cast<ub1>(d.negative ? 62 - exponent : 193 + exponent);
    for (size_t k = 0; k < pairs; ++k) {
        int p = (aligned[2 * k] - '0') * 10 + (aligned[2 * k + 1] - '0');
        out[1 + k] = static_cast<ub1>(d.negative ? 101 - p : p + 1);
    }
    int count = 1 + static_cast<int>(pairs);
    if (d.negative && pairs < 20) out[count++] = 102;
    if (used != nullptr) *used = count;
    return 0;
}

// Reads a NUMBER of at most `avail` bytes. `counted`: every byte belongs to
// the value (VARNUM), so a byte that is no digit is an error rather than the
// end of the mantissa.
int DecodeNumber(const ub1 *num, size_t avail, bool counted, Decimal &d) {
    d = Decimal();
    if (num == nullptr || avail < 1) return -1;
    ub1 head = num[0];
    if (head == 0x80) return 0;
    bool positive = (head & 0x80) != 0;
    long exponent = positive ? head - 193L : 62L - head;
    size_t limit = avail - 1 < 20 ? avail - 1 : 20;
    for (size_t k = 1; k <= limit; ++k) {
        ub1 b = num[k];
        int p;
        if (positive) {
            if (b >= 1 && b <= 100) {
                p = b - 1;
            } else if (counted || b == 101 || b == 102) {
                return -1;
            } else {
                break;
            }
        } else {
            if (b >= 2 && b <= 101) {
                p = 101 - b;
            } else if (b == 102) {
                break;
            } else {
                return -1;
            }
        }
        d.digits.push_back(static_cast<char>('0' + p / 10));
        d.digits.push_back(static_cast<char>('0' + p % 10));
    }
    if (d.digits.empty()) return -1;
    d.negative = !positive;
    d.power = 2 * exponent + 2 - static_cast<long>(d.digits.size());
    Normalise(d);
    return 0;
}

int DecodeVarnum(const ub1 *number, Decimal &d) {
    if (number == nullptr || number[0] < 1 || number[0] > kNumberSize) return -1;
    return DecodeNumber(number + 1, number[0], true, d);
}

// ---- numeric records ---------------------------------------------------------

int DecimalFromNumeric(const NumericVar *var, Decimal &d) {
    d = Decimal();
    if (var == nullptr || var->ndigits < 0) return -1;
    switch (var->sign) {
    case NUMERIC_NAN: d.special = Special::NaN; return 0;
    case NUMERIC_PINF: d.special = Special::PosInf; return 0;
    case NUMERIC_NINF: d.special = Special::NegInf; return 0;
    case NUMERIC_POS: case NUMERIC_NEG: break;
    default: return -1;
    }
    const uint16_t *digits = NumericDigits(var);
    d.digits.reserve(static_cast<size_t>(var->ndigits) * 4);
    for (int k = 0; k < var->ndigits; ++k) {
        unsigned v = digits[k];
        if (v >= NUMERIC_BASE) return -1;
        char group[4] = {static_cast<char>('0' + v / 1000), static_cast<char>('0' + v / 100 % 10),
                         static_cast<char>('0' + v / 10 % 10), static_cast<char>('0' + v % 10)};
        d.digits.append(group, 4);
    }
    d.negative = var->sign == NUMERIC_NEG;
    d.power = 4L * (var->weight - (var->ndigits - 1));
    Normalise(d);
    return 0;
}

NumericVar *NumericFromDecimal(const Decimal &d, long dscale) {
    if (dscale < 0) dscale = 0;
    if (dscale > NUMERIC_MAX_DSCALE) return nullptr;
    NumericVar *var;
    if (d.special != Special::None || d.digits.empty()) {
        var = alloc_var(0);
        if (var == nullptr) return nullptr;
        var->sign = d.special == Special::NaN      ? NUMERIC_NAN
                    : d.special == Special::PosInf ? NUMERIC_PINF
                    : d.special == Special::NegInf ? NUMERIC_NINF
                                                   : NUMERIC_POS;
        var->dscale = static_cast<int16_t>(d.special == Special::None ? dscale : 0);
        return var;
    }
    long weight = FloorDiv(FirstPower(d), 4);
    long lastWeight = FloorDiv(d.power, 4);
    long groups = weight - lastWeight + 1;
    if (weight > std::numeric_limits<int16_t>::max() || weight < std::numeric_limits<int16_t>::min() ||
        groups > std::numeric_limits<int16_t>::max())
        return nullptr;
    var = alloc_var(static_cast<int>(groups));
    if (var == nullptr) return nullptr;
    uint16_t *out = NumericDigits(var);
    static const uint16_t kScale[4] = {1, 10, 100, 1000};
    long p = FirstPower(d);
    for (char c : d.digits) {
        long group = weight - FloorDiv(p, 4);
        long within = p - 4 * FloorDiv(p, 4);
        out[group] = static_cast<uint16_t>(out[group] + (c - '0') * kScale[within]);
        --p;
    }
    var->weight = static_cast<int16_t>(weight);
    var->sign = d.negative ? NUMERIC_NEG : NUMERIC_POS;
    var->dscale = static_cast<int16_t>(dscale);
    return var;
}

// Plain decimal text of `d` with exactly `scale` places after the point.
std::string PlainText(const Decimal &d, long scale) {
    std::string str;
    if (d.negative && !d.digits.empty()) str.push_back('-');
    long first = d.digits.empty() ? 0 : FirstPower(d);
    auto digitAt = [&d](long p) -> char {
        if (d.digits.empty() || p > FirstPower(d) || p < d.power) return '0';
        return d.digits[static_cast<size_t>(FirstPower(d) - p)];
    };
    if (first < 0) {
        str.push_back('0');
    } else {
        for (long p = first; p >= 0; --p) str.push_back(digitAt(p));
    }
    if (scale > 0) {
        str.push_back('.');
        for (long p = -1; p >= -scale; --p) str.push_back(digitAt(p));
    }
    return str;
}

// Rounds to an integer and checks it against [-(2^63) .. 2^63-1] and then
// against the given bounds.
int DecimalToInt(Decimal d, int64_t lo, int64_t hi, int64_t *out) {
    if (d.special != Special::None) return -1;
    RoundDecimal(d, 0);
    if (d.digits.empty()) {
        *out = 0;
        return 0;
    }
    if (d.power < 0 || FirstPower(d) > 18) return -1;
    uint64_t magnitude = 0;
    for (char c : d.digits) magnitude = magnitude * 10 + static_cast<uint64_t>(c - '0');
    for (long k = 0; k < d.power; ++k) magnitude *= 10;  // at most 19 digits in all: no overflow
    const uint64_t limit = d.negative ? (uint64_t{1} << 63) : (uint64_t{1} << 63) - 1;
    if (magnitude > limit) return -1;
    int64_t value = d.negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    if (value < lo || value > hi) return -1;
    *out = value;
    return 0;
}

}  // namespace

// ---- record management ---------------------------------------------------------

NumericVar *alloc_var(int ndigits) {
    if (ndigits < 0 || ndigits > std::numeric_limits<int16_t>::max()) return nullptr;
    auto *var = static_cast<NumericVar *>(
        o2pCalloc(1, sizeof(NumericVar) + static_cast<size_t>(ndigits) * sizeof(uint16_t)));
    if (var != nullptr) var->ndigits = static_cast<int16_t>(ndigits);
    return var;
}

void free_var(NumericVar *var) { o2pFree(var); }

size_t NumericVarSize(const NumericVar *var) {
    return var == nullptr ? 0 : sizeof(NumericVar) + static_cast<size_t>(var->ndigits) * sizeof(uint16_t);
}

void strip_var(NumericVar *var) {
    if (var == nullptr || var->ndigits <= 0) return;
    uint16_t *digits = NumericDigits(var);
    int n = var->ndigits, lead = 0;
    while (lead < n && digits[lead] == 0) ++lead;
    while (n > lead && digits[n - 1] == 0) --n;
    if (lead == n) {
        var->ndigits = 0;
        var->weight = 0;
        if (var->sign == NUMERIC_NEG) var->sign = NUMERIC_POS;
        return;
    }
    if (lead > 0) std::memmove(digits, digits + lead, static_cast<size_t>(n - lead) * sizeof(uint16_t));
    var->ndigits = static_cast<int16_t>(n - lead);
    var->weight = static_cast<int16_t>(var->weight - lead);
}

int round_var(NumericVar **var, int scale) {
    if (var == nullptr || *var == nullptr || scale < 0 || scale > NUMERIC_MAX_DSCALE) return -1;
    Decimal d;
    if (DecimalFromNumeric(*var, d) != 0) return -1;
    if (d.special != Special::None) return 0;
    RoundDecimal(d, scale);
    NumericVar *rounded = NumericFromDecimal(d, scale);
    if (rounded == nullptr) return -1;
    free_var(*var);
    *var = rounded;
    return 0;
}

namespace {
void StoreBigEndian16(void *at, uint16_t v) {
    auto *b = static_cast<unsigned char *>(at);
    b[0] = static_cast<unsigned char>(v >> 8);
    b[1] = static_cast<unsigned char>(v & 0xFF);
}
uint16_t LoadBigEndian16(const void *at) {
    const auto *b = static_cast<const unsigned char *>(at);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}
}  // namespace

size_t ConvertNumericFromHostToNetOrder(NumericVar *var) {
    if (var == nullptr) return 0;
    size_t size = NumericVarSize(var);
    int n = var->ndigits < 0 ? 0 : var->ndigits;
    uint16_t *digits = NumericDigits(var);
    for (int k = 0; k < n; ++k) StoreBigEndian16(&digits[k], digits[k]);
    uint16_t header[4] = {static_cast<uint16_t>(var->ndigits), static_cast<uint16_t>(var->weight), var->sign,
                          static_cast<uint16_t>(var->dscale)};
    auto *bytes = reinterpret_cast<unsigned char *>(var);
    for (int k = 0; k < 4; ++k) StoreBigEndian16(bytes + 2 * k, header[k]);
    return size;
}

void ConvertNumericFromNetToHostOrder(NumericVar *var) {
    if (var == nullptr) return;
    const auto *bytes = reinterpret_cast<const unsigned char *>(var);
    uint16_t header[4];
    for (int k = 0; k < 4; ++k) header[k] = LoadBigEndian16(bytes + 2 * k);
    var->ndigits = static_cast<int16_t>(header[0]);
    var->weight = static_cast<int16_t>(header[1]);
    var->sign = header[2];
    var->dscale = static_cast<int16_t>(header[3]);
    uint16_t *digits = NumericDigits(var);
    for (int k = 0; k < var->ndigits; ++k) digits[k] = LoadBigEndian16(&digits[k]);
}

NumericVar *NumericFromSendFormat(const void *bytes, size_t len) {
    if (bytes == nullptr || len < sizeof(NumericVar)) return nullptr;
    const auto *b = static_cast<const unsigned char *>(bytes);
    int16_t n = static_cast<int16_t>(LoadBigEndian16(b));
    uint16_t sign = LoadBigEndian16(b + 4);
    uint16_t dscale = LoadBigEndian16(b + 6);
    if (n < 0 || len != sizeof(NumericVar) + 2 * static_cast<size_t>(n)) return nullptr;
    if (sign != NUMERIC_POS && sign != NUMERIC_NEG && sign != NUMERIC_NAN && sign != NUMERIC_PINF &&
        sign != NUMERIC_NINF)
        return nullptr;
    if (dscale > NUMERIC_MAX_DSCALE) return nullptr;
    NumericVar *var = alloc_var(n);
    if (var == nullptr) return nullptr;
    std::memcpy(var, bytes, len);
    ConvertNumericFromNetToHostOrder(var);
    const uint16_t *digits = NumericDigits(var);
    for (int k = 0; k < n; ++k) {
        if (digits[k] >= NUMERIC_BASE) {
            free_var(var);
            return nullptr;
        }
    }
    return var;
}

// ---- the interface table ---------------------------------------------------------

int ParseNumber(const char *str, size_t len, ParsedNumber *out) {
    if (out == nullptr) return -1;
    Decimal d;
    int rc = ReadOracleText(str, len, kNumberMaxDigits, d);
    *out = ParsedNumber();
    if (rc != 0) return rc;
    if (d.power > kPowerLimit || d.power < -kPowerLimit) return -1;
    out->negative = d.negative ? 1 : 0;
    out->power = static_cast<int>(d.power);
    out->ndigits = static_cast<int>(d.digits.size());
    std::memcpy(out->digits, d.digits.data(), d.digits.size());
    return 0;
}

int ParseNumber(const char *str, size_t len, int *sign, int *power, char *digits, size_t digitsCap,
                int *ndigits) {
    Decimal d;
    int rc = ReadOracleText(str, len, digitsCap, d);
    if (rc == 0 && (d.power > kPowerLimit || d.power < -kPowerLimit)) rc = -1;
    if (sign != nullptr) *sign = rc != 0 ? 0 : (d.negative ? -1 : 1);
    if (power != nullptr) *power = rc != 0 ? 0 : static_cast<int>(d.power);
    if (ndigits != nullptr) *ndigits = rc != 0 ? 0 : static_cast<int>(d.digits.size());
    if (rc == 0 && digits != nullptr) std::memcpy(digits, d.digits.data(), d.digits.size());
    return rc;
}

int ConvertStringToNUMBER(const char *str, size_t len, ub1 *out, int *used) {
    if (out == nullptr) return -1;
    Decimal d;
    if (ReadOracleText(str, len, kNumberMaxDigits, d) < 0) {
        std::memset(out, 0, kNumberSize);
        return -1;
    }
    return EncodeNumber(d, out, used);
}

int ConvertStringToNUMBER(const char *str, ub1 *out, int *used) {
    return ConvertStringToNUMBER(str, str == nullptr ? 0 : std::strlen(str), out, used);
}

int ConvertStringToVARNUM(const char *str, size_t len, ub1 *out) {
    if (out == nullptr) return -1;
    int used = 0;
    out[0] = 0;
    int rc = ConvertStringToNUMBER(str, len, out + 1, &used);
    out[0] = static_cast<ub1>(rc == 0 ? used : 0);
    return rc;
}

int ConvertStringToVARNUM(const char *str, ub1 *out) {
    return ConvertStringToVARNUM(str, str == nullptr ? 0 : std::strlen(str), out);
}

int ConvertVARNUMToString(const ub1 *number, char *out, size_t cap) {
    if (number == nullptr || out == nullptr || cap == 0) return -1;
    out[0] = '\0';
    int count = number[0];
    if (count < 1 || count > static_cast<int>(kNumberSize)) return -1;
    ub1 head = number[1];
    std::string str;
    if (head == 0x80) {
        str = "0.0";
    } else {
        if (count == 1) return -1;
        bool positive = (head & 0x80) != 0;
        long exponent = positive ? head - 193L : 62L - head;
        if (!positive) str.push_back('-');
        str += "0.";
        for (int k = 2; k <= count; ++k) {
            ub1 b = number[k];
            int p;
            if (positive) {
                if (b < 1 || b > 100) return -1;
                p = b - 1;
            } else if (b == 102) {
                if (k != count || k == 2) return -1;
                break;
            } else {
                if (b < 2 || b > 101) return -1;
                p = 101 - b;
            }
            str.push_back(static_cast<char>('0' + p / 10));
            str.push_back(static_cast<char>('0' + p % 10));
        }
        long power = 2 * (exponent + 1);
        if (power != 0) str += "E" + std::to_string(power);
    }
    if (str.size() + 1 > cap) return -1;
    std::memcpy(out, str.c_str(), str.size() + 1);
    return 0;
}

int ConvertNUMBERToNumeric(const ub1 *number, size_t len, NumericVar **out) {
    if (out == nullptr) return -1;
    *out = nullptr;
    Decimal d;
    if (DecodeNumber(number, len < kNumberSize ? len : kNumberSize, false, d) != 0) return -1;
    *out = NumericFromDecimal(d, -d.power);
    return *out == nullptr ? -1 : 0;
}

int ConvertVARNUMBERToNumeric(const ub1 *number, NumericVar **out) {
    if (out == nullptr) return -1;
    *out = nullptr;
    Decimal d;
    if (DecodeVarnum(number, d) != 0) return -1;
    *out = NumericFromDecimal(d, -d.power);
    return *out == nullptr ? -1 : 0;
}

int ConvertNumericToVARNUMBER(const NumericVar *var, ub1 *out) {
    if (out == nullptr) return -1;
    std::memset(out, 0, kVarnumSize);
    Decimal d;
    if (DecimalFromNumeric(var, d) != 0 || d.special != Special::None) return -1;
    if (d.digits.size() > static_cast<size_t>(kNumberMaxDigits)) {
        d.power += static_cast<long>(d.digits.size()) - kNumberMaxDigits;
        d.digits.resize(kNumberMaxDigits);
        Normalise(d);
    }
    int used = 0;
    if (EncodeNumber(d, out + 1, &used) != 0) {
        std::memset(out, 0, kVarnumSize);
        return -1;
    }
    out[0] = static_cast<ub1>(used);
    return 0;
}

int ConvertStringToNumeric(const char *str, size_t len, NumericVar **out) {
    if (out == nullptr) return -1;
    *out = nullptr;
    Decimal d;
    long dscale = 0;
    if (!ReadServerText(str, len, d, dscale)) return -1;
    *out = NumericFromDecimal(d, dscale);
    return *out == nullptr ? -1 : 0;
}

int ConvertStringToNumeric(const char *str, NumericVar **out) {
    return ConvertStringToNumeric(str, str == nullptr ? 0 : std::strlen(str), out);
}

char *ConvertNumericToString(const NumericVar *var) {
    Decimal d;
    if (DecimalFromNumeric(var, d) != 0) return nullptr;
    std::string str;
    switch (d.special) {
    case Special::NaN: str = "NaN"; break;
    case Special::PosInf: str = "Infinity"; break;
    case Special::NegInf: str = "-Infinity"; break;
    case Special::None:
        RoundDecimal(d, var->dscale < 0 ? 0 : var->dscale);
        str = PlainText(d, var->dscale < 0 ? 0 : var->dscale);
        break;
    }
    return o2pStrndup(str.data(), str.size());
}

int numericvar_to_int1(const NumericVar *var, int8_t *out) {
    Decimal d;
    int64_t v;
    if (out == nullptr || DecimalFromNumeric(var, d) != 0 || DecimalToInt(d, INT8_MIN, INT8_MAX, &v) != 0) return -1;
    *out = static_cast<int8_t>(v);
    return 0;
}

int numericvar_to_int2(const NumericVar *var, int16_t *out) {
    Decimal d;
    int64_t v;
    if (out == nullptr || DecimalFromNumeric(var, d) != 0 || DecimalToInt(d, INT16_MIN, INT16_MAX, &v) != 0)
        return -1;
    *out = static_cast<int16_t>(v);
    return 0;
}

int numericvar_to_int4(const NumericVar *var, int32_t *out) {
    Decimal d;
    int64_t v;
    if (out == nullptr || DecimalFromNumeric(var, d) != 0 || DecimalToInt(d, INT32_MIN, INT32_MAX, &v) != 0)
        return -1;
    *out = static_cast<int32_t>(v);
    return 0;
}

int numericvar_to_int8(const NumericVar *var, int64_t *out) {
    Decimal d;
    int64_t v;
    if (out == nullptr || DecimalFromNumeric(var, d) != 0 || DecimalToInt(d, INT64_MIN, INT64_MAX, &v) != 0)
        return -1;
    *out = v;
    return 0;
}

int numericvar_to_double(const NumericVar *var, double *out) {
    Decimal d;
    if (out == nullptr || DecimalFromNumeric(var, d) != 0) return -1;
    switch (d.special) {
    case Special::NaN: *out = std::numeric_limits<double>::quiet_NaN(); return 0;
    case Special::PosInf: *out = HUGE_VAL; return 0;
    case Special::NegInf: *out = -HUGE_VAL; return 0;
    case Special::None: break;
    }
    if (d.digits.empty()) {
        *out = 0.0;
        return 0;
    }
    // Scientific text read back without the process locale (the environment
    // may have switched LC_NUMERIC to one with a decimal comma).
    std::string str = d.digits + "e" + std::to_string(d.power);
    double value = 0.0;
    auto result = std::from_chars(str.data(), str.data() + str.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (FirstPower(d) > 0) {
            *out = d.negative ? -HUGE_VAL : HUGE_VAL;
            return -1;
        }
        value = 0.0;
    } else if (result.ec != std::errc()) {
        return -1;
    }
    *out = d.negative ? -value : value;
    return 0;
}

int numericvar_to_float(const NumericVar *var, float *out) {
    double wide;
    if (out == nullptr || numericvar_to_double(var, &wide) != 0) return -1;
    if (std::isnan(wide)) {
        *out = std::numeric_limits<float>::quiet_NaN();
        return 0;
    }
    // A double beyond the single range has no defined narrowing; it overflows.
    if (std::fabs(wide) > static_cast<double>(std::numeric_limits<float>::max()) && std::isfinite(wide)) {
        *out = wide < 0 ? -std::numeric_limits<float>::infinity() : std::numeric_limits<float>::infinity();
        return 1;
    }
    float narrow = static_cast<float>(wide);
    *out = narrow;
    return static_cast<double>(narrow) != wide ? 1 : 0;
}

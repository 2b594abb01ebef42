// Character binds: application text becomes nul-terminated server text.
#include <cstring>

#include "platform/oci_string.h"
#include "types/bind_converters.h"

using namespace bindconv;

namespace {

constexpr sb4 kMaxVarcharSize = 65536;    // SQLT_VCS/SQLT_VST buffers stay below
constexpr ub4 kMaxVarcharLength = 65534;  // length words from here on are invalid
constexpr ub4 kMaxLongVarcharLength = 0x7FFFFFFB;
constexpr size_t kMaxOracleVarchar = 4000;  // bytes, terminator included

// Transcodes `length` bytes of application text and hands them out as text,
// dropping trailing blanks when asked (one character always stays).
int SendCharacters(OCIError *errhp, const BindSettings &settings, const char *bytes, size_t length,
                   bool trimBlanks, char **out, ub4 *outLength, ub1 *outFormat) {
    ClientText chars;
    if (!chars.Convert(errhp, settings, bytes, length)) return Fail(out, outLength, outFormat);
    size_t kept = chars.size();
    if (trimBlanks) {
        while (kept > 1 && chars.data()[kept - 1] == ' ') --kept;
    }
    return EmitText(chars.data(), kept, out, outLength, outFormat);
}

// SQLT_CHR and SQLT_LNG: fixed-length text whose trailing blanks are padding.
int TrimmedCharacters(OCIError *errhp, const void *value, sb4 size, char **out, ub4 *outLength,
                      ub1 *outFormat) {
    if (size < 0) return Fail(out, outLength, outFormat);
    if (value == nullptr || size == 0) return EmitNull(out, outLength, outFormat, 0);
    return SendCharacters(errhp, SettingsOf(errhp), static_cast<const char *>(value),
                          static_cast<size_t>(size), true, out, outLength, outFormat);
}

// A length word of `prefix` bytes (host order) followed by the characters.
// The word must describe bytes that lie inside the declared size.
bool ReadLengthPrefix(const void *value, sb4 size, size_t prefix, ub4 *length) {
    if (prefix == 2) {
        ub2 word;
        std::memcpy(&word, value, sizeof word);
        *length = word;
    } else {
        std::memcpy(length, value, sizeof *length);
    }
    return *length <= static_cast<ub4>(size) - prefix;
}

}  // namespace

int ConvertSQLT_CHRToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return TrimmedCharacters(errhp, value, size, out, outLength, outFormat);
}

int ConvertSQLT_LNGToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    return TrimmedCharacters(errhp, value, size, out, outLength, outFormat);
}

int ConvertSQLT_AFCToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    if (size < 0) return Fail(out, outLength, outFormat);
    const BindSettings settings = SettingsOf(errhp);
    if (value == nullptr) return EmitNull(out, outLength, outFormat, 0);
    if (size == 0) {
        // Oracle has no empty string: an empty CHAR is NULL there.
        if (settings.varcharSemantics) return EmitNull(out, outLength, outFormat, 0);
        return EmitText("", 0, out, outLength, outFormat);
    }
    return SendCharacters(errhp, settings, static_cast<const char *>(value), static_cast<size_t>(size),
                          false, out, outLength, outFormat);
}

int ConvertSQLT_VCSToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr) return EmitNull(out, outLength, outFormat, 0);
    if (size < 2) return FailWith(errhp, 1084, out, outLength, outFormat);
    ub4 length = 0;
    if (size >= kMaxVarcharSize || !ReadLengthPrefix(value, size, 2, &length) ||
        length >= kMaxVarcharLength)
        return FailWith(errhp, 1458, out, outLength, outFormat);
    return SendCharacters(errhp, SettingsOf(errhp), static_cast<const char *>(value) + 2, length,
                          false, out, outLength, outFormat);
}

int ConvertSQLT_LVCToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr) return EmitNull(out, outLength, outFormat, 0);
    if (size < 4) return FailWith(errhp, 1084, out, outLength, outFormat);
    ub4 length = 0;
    if (!ReadLengthPrefix(value, size, 4, &length) || length > kMaxLongVarcharLength)
        return FailWith(errhp, 1458, out, outLength, outFormat);
    return SendCharacters(errhp, SettingsOf(errhp), static_cast<const char *>(value) + 4, length,
                          false, out, outLength, outFormat);
}

int ConvertSQLT_VSTToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    if (value == nullptr || size < 0 || size >= kMaxVarcharSize) return Fail(out, outLength, outFormat);
    const OCIString *string = nullptr;
    std::memcpy(&string, value, sizeof string);
    if (string == nullptr || string->length >= kMaxVarcharLength || string->length > string->allocSize ||
        (string->text == nullptr && string->length != 0))
        return Fail(out, outLength, outFormat);
    return SendCharacters(errhp, SettingsOf(errhp), string->text, string->length, false, out,
                          outLength, outFormat);
}

// The string ends at its first terminator (a zero code unit); bytes after it
// are the rest of the application's buffer, not part of the value.
bool PassSQLT_STRAsText(bool varcharSemantics, const void *value, sb4 size, const char **out, ub4 *outLength) {
    const auto *bytes = static_cast<const char *>(value);
    if (bytes == nullptr || size <= 0 || (varcharSemantics && size < 2)) return false;
    const long end = FindTerminator(bytes, static_cast<size_t>(size), 1);
    // No terminator (an error) and the empty string take the general way.
    if (end <= 0) return false;
    if (varcharSemantics && static_cast<size_t>(end) + 1 > kMaxOracleVarchar) return false;
    *out = bytes;
    *outLength = static_cast<ub4>(end) + 1;
    return true;
}

int ConvertSQLT_STRToTEXTOID(OCIError *errhp, const void *value, sb4 size, const sb2 *indicator,
                             char **out, ub4 *outLength, ub1 *outFormat) {
    const BindSettings settings = SettingsOf(errhp);
    const auto *bytes = static_cast<const char *>(value);
    if (size < 0) return Fail(out, outLength, outFormat);
    if (settings.varcharSemantics) {
        if (size < 2 || bytes == nullptr) return Fail(out, outLength, outFormat);
    } else {
        if (size == 0) return EmitText("", 0, out, outLength, outFormat);
        if (bytes == nullptr) return Fail(out, outLength, outFormat);
    }
    const long end = FindTerminator(bytes, static_cast<size_t>(size), CodeUnitWidth(settings));
    if (end < 0) return FailWith(errhp, 1480, out, outLength, outFormat);
    // Oracle's empty string is NULL.
    if (end == 0 && settings.varcharSemantics) return EmitNull(out, outLength, outFormat, 0);

    ClientText chars;
    if (!chars.Convert(errhp, settings, bytes, static_cast<size_t>(end)))
        return Fail(out, outLength, outFormat);
    if (settings.varcharSemantics && chars.size() + 1 > kMaxOracleVarchar)
        return FailWith(errhp, 1480, out, outLength, outFormat);
    return EmitText(chars.data(), chars.size(), out, outLength, outFormat);
}

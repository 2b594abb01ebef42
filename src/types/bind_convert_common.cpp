// Conventions every bind converter shares: environment settings, output
// hand-off, transcoding of application text, byte order.
#include <cstring>

#include "conn/transcode.h"
#include "diag/errors.h"
#include "env/env.h"
#include "env/memory.h"
#include "types/bind_converters.h"

namespace bindconv {

BindSettings SettingsOf(OCIError *errhp) {
    BindSettings settings{true, false, nullptr};
    const OCIEnv *env = EnvOfHandle(errhp);
    if (env == nullptr) return settings;
    settings.varcharSemantics = env->varcharSemantics != 0;
    settings.transcoding = env->utf16 != 0 && env->toUtf8 != reinterpret_cast<iconv_t>(-1) &&
                           env->toUtf8 != nullptr;
    settings.toServer = settings.transcoding ? env->toUtf8 : nullptr;
    return settings;
}

int EmitNull(char **out, ub4 *outLength, ub1 *outFormat, ub1 format) {
    *out = nullptr;
    *outLength = 0;
    *outFormat = format;
    return 0;
}

int Fail(char **out, ub4 *outLength, ub1 *outFormat) {
    *out = nullptr;
    *outLength = 0;
    (void)outFormat;  // the caller sends nothing, so the format does not matter
    return -1;
}

int FailWith(OCIError *errhp, sb4 code, char **out, ub4 *outLength, ub1 *outFormat) {
    AddErrorRecord(errhp, OCI_ERROR, code);
    return Fail(out, outLength, outFormat);
}

int AllocBufferAndCopy(char **out, const void *bytes, size_t length) {
    auto *buffer = static_cast<char *>(o2pMalloc(length));
    if (buffer == nullptr) return -1;
    if (length != 0) std::memcpy(buffer, bytes, length);
    *out = buffer;
    return 0;
}

int EmitBinary(const void *bytes, size_t length, char **out, ub4 *outLength, ub1 *outFormat) {
    if (length > 0x7FFFFFFF || AllocBufferAndCopy(out, bytes, length) != 0)
        return Fail(out, outLength, outFormat);
    *outLength = static_cast<ub4>(length);
    *outFormat = 1;
    return 0;
}

int EmitText(const char *text, size_t length, char **out, ub4 *outLength, ub1 *outFormat) {
    if (length >= 0x7FFFFFFF) return Fail(out, outLength, outFormat);
    auto *buffer = static_cast<char *>(o2pMalloc(length + 1));
    if (buffer == nullptr) return Fail(out, outLength, outFormat);
    if (length != 0) std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    *out = buffer;
    *outLength = static_cast<ub4>(length + 1);
    *outFormat = 0;
    return 0;
}

ClientText::~ClientText() { o2pFree(owned_); }

bool ClientText::Convert(OCIError *errhp, const BindSettings &settings, const char *bytes,
                         size_t length) {
    o2pFree(owned_);
    owned_ = nullptr;
    if (!settings.transcoding || length == 0) {
        data_ = bytes;
        size_ = length;
        return true;
    }
    int error = 0;
    size_t converted = 0;
    if (transcode(static_cast<iconv_t>(settings.toServer), &error, bytes, length, &owned_,
                  &converted) < 0) {
        owned_ = nullptr;
        AddTranscodeErrorRecord(errhp, error);
        return false;
    }
    data_ = owned_;
    size_ = converted;
    return true;
}

size_t CodeUnitWidth(const BindSettings &settings) { return settings.transcoding ? 2 : 1; }

long FindTerminator(const char *bytes, size_t length, size_t unit) {
    if (unit == 1) {
        const void *nul = std::memchr(bytes, '\0', length);
        return nul != nullptr ? static_cast<long>(static_cast<const char *>(nul) - bytes) : -1;
    }
    for (size_t at = 0; at + unit <= length; at += unit) {
        bool zero = true;
        for (size_t k = 0; k < unit; ++k) zero = zero && bytes[at + k] == '\0';
        if (zero) return static_cast<long>(at);
    }
    return -1;
}

void StoreBigEndian(unsigned char *dest, uint64_t value, size_t width) {
    for (size_t k = 0; k < width; ++k) dest[k] = static_cast<unsigned char>(value >> (8 * (width - 1 - k)));
}

}  // namespace bindconv

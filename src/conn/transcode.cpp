// iconv-based conversion of application text.
#include "conn/transcode.h"

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "diag/errors.h"
#include "env/memory.h"

namespace {
// Room for most conversions in one pass: no pair of the catalogue's
// encodings needs more than four output bytes per input byte. The buffer
// still grows when iconv runs out of room, so an unusual pair costs a copy
// rather than a failure.
constexpr size_t kBytesPerInputByte = 4;

bool Grow(char **buffer, size_t *capacity, char **outPtr, size_t *outLeft) {
    if (*capacity > (SIZE_MAX - 1) / 2) return false;
    const size_t used = static_cast<size_t>(*outPtr - *buffer);
    const size_t bigger = *capacity * 2;
    auto *grown = static_cast<char *>(o2pMalloc(bigger));
    if (grown == nullptr) return false;
    std::memcpy(grown, *buffer, used);
    o2pFree(*buffer);
    *buffer = grown;
    *capacity = bigger;
    *outPtr = grown + used;
    *outLeft = bigger - used - 1;  // one byte stays free for the terminator
    return true;
}

long Fail(int *error, int reason, char *buffer) {
    o2pFree(buffer);
    if (error != nullptr) *error = reason;
    return -1;
}
}  // namespace

long transcode(iconv_t cd, int *error, const char *source, size_t length, char **out,
               size_t *textLength) {
    *out = nullptr;
    if (textLength != nullptr) *textLength = 0;
    if (source == nullptr || length == 0) return 0;
    // Running out of memory is a failure, not an empty result: a caller
    // that got "no text" back would carry on with its data lost.
    if (length > (SIZE_MAX - 1) / kBytesPerInputByte) return Fail(error, ENOMEM, nullptr);
    size_t capacity = kBytesPerInputByte * length + 1;
    auto *result = static_cast<char *>(o2pMalloc(capacity));
    if (result == nullptr) return Fail(error, ENOMEM, nullptr);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *in = const_cast<char *>(source);
    size_t inLeft = length;
    char *outPtr = result;
    size_t outLeft = capacity - 1;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) continue;
        const int reason = errno;
        if (reason != E2BIG) return Fail(error, reason, result);
        if (!Grow(&result, &capacity, &outPtr, &outLeft)) return Fail(error, ENOMEM, result);
    }
    while (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        const int reason = errno;
        if (reason != E2BIG) return Fail(error, reason, result);
        if (!Grow(&result, &capacity, &outPtr, &outLeft)) return Fail(error, ENOMEM, result);
    }
    *outPtr = '\0';
    const auto produced = static_cast<size_t>(outPtr - result);
    *out = result;
    if (textLength != nullptr) *textLength = produced;
    return static_cast<long>(produced);
}

const char *TranscodeErrorText(int error) {
    switch (error) {
    case EINVAL: return "An incomplete multibyte sequence has been encountered in the input";
    case EILSEQ: return "An invalid multibyte sequence has been encountered in the input";
    default: return "Error in byte conversion";
    }
}

void AddTranscodeErrorRecord(OCIError *errhp, int error) {
    AddErrorRecordMsg(errhp, OCI_ERROR, TranscodeErrorText(error));
}

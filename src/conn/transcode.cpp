// iconv-based conversion of application text.
#include "conn/transcode.h"

#include <cerrno>

#include "diag/errors.h"
#include "env/memory.h"

long transcode(iconv_t cd, int *error, const char *source, size_t length, char **out,
               size_t *textLength) {
    *out = nullptr;
    *textLength = 0;
    if (source == nullptr || length == 0) return 0;
    const size_t capacity = 4 * length + 1;
    auto *result = static_cast<char *>(o2pMalloc(capacity));
    if (result == nullptr) return 0;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *in = const_cast<char *>(source);
    size_t inLeft = length;
    char *outPtr = result;
    size_t outLeft = capacity - 1;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
            *error = errno;
            o2pFree(result);
            return -1;
        }
    }
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        *error = errno;
        o2pFree(result);
        return -1;
    }
    *outPtr = '\0';
    *out = result;
    *textLength = static_cast<size_t>(outPtr - result);
    return static_cast<long>(*textLength);
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

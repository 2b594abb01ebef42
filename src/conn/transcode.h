// Text conversion between the client character set and UTF-8, shared by
// every call that takes or returns application text.
#pragma once
#include <iconv.h>

#include <cstddef>

struct OCIError;

// Converts `length` bytes of `source`. On success returns the number of
// bytes produced and hands out a new NUL-terminated buffer (o2pFree it); on
// failure returns -1, hands out nothing and stores the reason in `*error`:
// EINVAL for input ending inside a character, EILSEQ for an invalid
// sequence, ENOMEM when memory ran out, anything else iconv reported. A null
// source or a zero length gives a null text and 0.
long transcode(iconv_t cd, int *error, const char *source, size_t length, char **out,
               size_t *textLength);

// The message record for a failed conversion (error number from transcode).
void AddTranscodeErrorRecord(OCIError *errhp, int error);
const char *TranscodeErrorText(int error);

// The OCIString record the object-mode string functions hand out.
#pragma once
#include <oci.h>

struct OCIString {
    ub4 allocSize;  // bytes the text buffer was sized for, without the terminator
    ub4 length;     // bytes of text
    char *text;     // always NUL-terminated, allocSize + 1 bytes
};
static_assert(sizeof(OCIString) == 16, "OCIString record layout");

// Reader for tnsnames.ora descriptor files and the connect-identifier
// resolution built on it.
#pragma once
#include <cstdio>

#include "conn/connect_string.h"
#include "conn/tnsnames/tnsnames_nodes.h"

// Outcome of reading one descriptor file.
enum class TnsParseStatus {
    Ok,           // *entries holds one OCINetServiceName per entry, file order
    SyntaxError,  // including an exhausted parser stack
    ReadError,    // the stream failed while being read
    OutOfMemory,
};

// Parses the whole stream with a fresh scanner (line counter at 1). Calls are
// serialised between threads: the generated scanner and parser keep their
// state in process-wide variables. On anything but Ok, *entries is null and
// nothing is left allocated. Syntax errors are reported on standard error.
TnsParseStatus ParseDescriptorFile(FILE *stream, List **entries);

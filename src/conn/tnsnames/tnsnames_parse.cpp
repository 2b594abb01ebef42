// The one way into the generated descriptor-file parser.
#include <mutex>
#include <new>

#include "conn/tnsnames/tnsnames.h"

int tnsnamesparse(void);

List *tnsnames_parsetree_list = nullptr;

namespace {
// The generated scanner and parser keep their state in process-wide
// variables, so only one parse may run at a time.
std::mutex parserLock;
}  // namespace

TnsParseStatus ParseDescriptorFile(FILE *stream, List **entries) {
    *entries = nullptr;
    std::lock_guard<std::mutex> guard(parserLock);

    tns_scanner_reset(stream);
    tns_out_of_memory = false;
    tnsnames_parsetree_list = nullptr;
    int rc;
    try {
        rc = tnsnamesparse();
    } catch (const std::bad_alloc &) {
        // The scanner could not grow its buffers; whatever the parser held
        // is beyond reach, so only the scanner is cleaned up.
        ReleaseOCINodeList(tnsnames_parsetree_list);
        tnsnames_parsetree_list = nullptr;
        tns_scanner_release();
        return TnsParseStatus::OutOfMemory;
    }
    tns_scanner_release();

    List *list = tnsnames_parsetree_list;
    tnsnames_parsetree_list = nullptr;
    TnsParseStatus status = TnsParseStatus::Ok;
    if (tns_read_failed) {
        status = TnsParseStatus::ReadError;
    } else if (tns_out_of_memory) {
        status = TnsParseStatus::OutOfMemory;
    } else if (rc != 0) {
        status = TnsParseStatus::SyntaxError;
    }
    if (status != TnsParseStatus::Ok) {
        ReleaseOCINodeList(list);
        return status;
    }
    *entries = list;
    return status;
}

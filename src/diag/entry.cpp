// Out-of-line parts of the entry-point guard.
#include "diag/entry.h"

#include <new>

namespace entry_detail {

void TraceCallStart(const char *name) { o2pTrace(3, "%s\n", name); }

namespace {
// Takes the next name off a comma-separated list of argument names.
void NextName(const char *&names, char *out, size_t size) {
    while (*names == ' ' || *names == ',') names++;
    size_t n = 0;
    while (*names != '\0' && *names != ',') {
        if (n + 1 < size) out[n++] = *names;
        names++;
    }
    while (n > 0 && out[n - 1] == ' ') n--;
    out[n] = '\0';
}
}  // namespace

void TraceArgPointer(const char *&names, const void *value) {
    char name[64];
    NextName(names, name, sizeof name);
    o2pTrace(4, "\t%s = %p\n", name, value);
}

void TraceArgSigned(const char *&names, long long value) {
    char name[64];
    NextName(names, name, sizeof name);
    o2pTrace(4, "\t%s = %lld\n", name, value);
}

void TraceArgUnsigned(const char *&names, unsigned long long value) {
    char name[64];
    NextName(names, name, sizeof name);
    o2pTrace(4, "\t%s = %llu\n", name, value);
}

sword TraceReturn(sword status) {
    o2pTrace(4, "\tRETURNING %s\n", o2pGetReturnCodeText(status));
    return status;
}

sword Guarded(OCIError *report, sword (*thunk)(void *), void *work) {
    try {
        return thunk(work);
    } catch (const std::bad_alloc &) {
        AddErrorRecord(report, OCI_ERROR, kErrNoMemory);
    } catch (...) {
        AddErrorRecord(report, OCI_ERROR, 24330);
    }
    return OCI_ERROR;
}

}  // namespace entry_detail

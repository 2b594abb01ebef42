// The debug log: category trace (bit mask) and level trace (verbosity).
#pragma once
#include <atomic>
#include <cstdio>
#include <libpq-fe.h>
#include <oci.h>

// Categories of the bit-mask trace.
enum TraceCategory : ub8 {
    TRACE_PREPARE = 0x1,
    TRACE_EXECUTE = 0x2,
    TRACE_BIND_DATA = 0x4,
    TRACE_FETCH = 0x8,
    TRACE_CONVERT = 0x10,
    TRACE_ERRORS = 0x20,
    TRACE_DEFINE = 0x40,
    TRACE_LINK = 0x80,
    TRACE_TRANSACTION = 0x100,
    TRACE_ATTRIBUTE = 0x200,
    TRACE_CURSORS = 0x400,
    TRACE_RESULTS = 0x800,
    TRACE_WAIT_COUNTERS = 0x2000,
    TRACE_SESSION = 0x4000,
};

// Read by every trace call in any thread, rewritten by environment creation.
extern std::atomic<FILE *> oci_debug_log;
extern std::atomic<ub8> oci_debug_mask;
extern std::atomic<sb4> OCI2PQ_TRACE_LEVEL;

// Reads OCI_DEBUG_LEVEL, OCI_DEBUG_LOG and OCI_DEBUG_MASK (every env creation).
void InitDebugSettings();

inline bool ocitracing(ub8 category) {
    return oci_debug_log.load(std::memory_order_relaxed) != nullptr &&
           (oci_debug_mask.load(std::memory_order_relaxed) & category) != 0;
}
// Whether o2pTrace lines of `level` are written: callers with costly
// arguments ask first.
inline bool o2pTracing(int level) {
    return oci_debug_log.load(std::memory_order_relaxed) != nullptr &&
           OCI2PQ_TRACE_LEVEL.load(std::memory_order_relaxed) >= level;
}
// Writes one entry of `category` (use ocitrace, which builds the arguments
// only when the category is traced).
void ocitraceWrite(ub8 category, const char *function, const char *format, ...)
    __attribute__((format(gnu_printf, 3, 4)));
#define ocitrace(category, ...)                                          \
    do {                                                                 \
        if (ocitracing(category)) ocitraceWrite((category), __VA_ARGS__); \
    } while (0)
void ocitracehex(ub8 category, const char *label, const void *bytes, size_t length);
void o2pTrace(int level, const char *format, ...) __attribute__((format(gnu_printf, 2, 3)));

void debugLogCursors(PGconn *conn, const char *tag);
void debugLogPreparedStmts(PGconn *conn, const char *tag);
void tracePavikCounters(PGconn *conn);

const char *o2pGetReturnCodeText(sword status);
const char *o2pGetHandleTypeName(ub4 type);
const char *o2pGetDurationText(ub4 duration);
const char *o2pGetFunctionCode(ub4 code);  // null when the code has no name

// The debug log. Two facilities share one stream: the category trace, gated
// by a bit mask and never flushed, and the level trace, gated by a verbosity
// number and flushed after every line so it survives a crash.
//
// The settings are read by every trace call from any thread and rewritten by
// every environment creation, so they are atomics. A log stream, once opened,
// is never closed while the process runs: another thread may be writing to it
// at any moment, and the C library locks each stream for its writers. An
// environment creation that names the file already open keeps that stream; one
// that names another file opens it and retires the old stream (flushed, kept
// for reuse should the name come back).
#include "diag/trace.h"

#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/os.h"

std::atomic<FILE *> oci_debug_log{nullptr};
std::atomic<ub8> oci_debug_mask{0xFFFFDFFF};  // everything but the wait counters
std::atomic<sb4> OCI2PQ_TRACE_LEVEL{0};

namespace {
std::mutex s_logMutex;
// Every file stream the log has used, by file name. Deliberately never
// closed (see above); the process exit flushes them.
std::map<std::string, FILE *> *s_logStreams = nullptr;

// Makes the file `path`-<pid> (standard error for null) the log. A file that
// cannot be opened leaves the log off.
void ReplaceLog(const char *path) {
    if (path == nullptr) {
        oci_debug_log = stderr;
        return;
    }
    const std::string name = std::string(path) + "-" + std::to_string(static_cast<long>(getpid()));
    std::lock_guard<std::mutex> lock(s_logMutex);
    if (s_logStreams == nullptr) s_logStreams = new std::map<std::string, FILE *>();
    FILE *previous = oci_debug_log;
    if (previous != nullptr && previous != stderr) fflush(previous);
    auto known = s_logStreams->find(name);
    if (known != s_logStreams->end()) {
        oci_debug_log = known->second;
        return;
    }
    FILE *opened = fopen(name.c_str(), "w");
    if (opened != nullptr) (*s_logStreams)[name] = opened;
    oci_debug_log = opened;
}

void WriteRowCharacters(FILE *out, const unsigned char *row, size_t count) {
    char line[17];
    for (size_t i = 0; i < 16; ++i) {
        if (i >= count)
            line[i] = ' ';
        else
            line[i] = (row[i] >= 0x20 && row[i] <= 0x7E) ? static_cast<char>(row[i]) : '.';
    }
    line[16] = '\n';
    fwrite(line, 1, sizeof line, out);
}

// The text of a result column, or "" when the server left the column out.
const char *ColumnText(const PGresult *res, int row, const char *column) {
    int field = PQfnumber(res, column);
    return field < 0 ? "" : PQgetvalue(res, row, field);
}
void WriteHexDump(FILE *out, const char *label, const unsigned char *data, size_t length) {
    if (label != nullptr) {
        fputs(label, out);
        fputc('\n', out);
    }
    fputs("        "
          "  0  1  2  3  4  5  6  7  8  9  A  B  C  D  E  F\n", out);
    if (length == 0 || data == nullptr) {
        WriteRowCharacters(out, nullptr, 0);
        return;
    }
    for (size_t i = 0; i < length; ++i) {
        if (i % 16 == 0) {
            if (i != 0) WriteRowCharacters(out, data + i - 16, 16);
            fprintf(out, "%6zX   ", i);
        }
        fprintf(out, "%02x ", data[i]);
    }
    size_t last = length % 16 == 0 ? 16 : length % 16;
    for (size_t i = last; i < 16; ++i) fputs("   ", out);
    WriteRowCharacters(out, data + length - last, last);
}

}  // namespace

void InitDebugSettings() {
    if (const char *level = getenv("OCI_DEBUG_LEVEL"))
        OCI2PQ_TRACE_LEVEL = static_cast<sb4>(strtol(level, nullptr, 10));
    if (const char *log = getenv("OCI_DEBUG_LOG"))
        ReplaceLog(strcmp(log, "-") == 0 ? nullptr : log);
    if (const char *mask = getenv("OCI_DEBUG_MASK"))
        oci_debug_mask = static_cast<ub8>(strtoull(mask, nullptr, 0));
}

void ocitraceWrite(ub8 category, const char *function, const char *format, ...) {
    if (!ocitracing(category)) return;
    FILE *out = oci_debug_log;
    if (out == nullptr) return;
    // One entry is several writes: the stream lock keeps it whole when
    // other threads trace at the same time.
    os::LockStream(out);
    if (function != nullptr) {
        fputs(function, out);
        fputs(": ", out);
    }
    va_list args;
    va_start(args, format);
    vfprintf(out, format, args);
    va_end(args);
    os::UnlockStream(out);
}

void ocitracehex(ub8 category, const char *label, const void *bytes, size_t length) {
    if (!ocitracing(category)) return;
    FILE *out = oci_debug_log;
    if (out == nullptr) return;
    os::LockStream(out);
    WriteHexDump(out, label, static_cast<const unsigned char *>(bytes), length);
    os::UnlockStream(out);
}

void o2pTrace(int level, const char *format, ...) {
    FILE *out = oci_debug_log;
    if (out == nullptr || OCI2PQ_TRACE_LEVEL < level) return;
    os::LockStream(out);
    fprintf(out, "TRACE%d-%s[%s:%d]: ", level, "o2pTrace", "ociutil", 916);
    va_list args;
    va_start(args, format);
    vfprintf(out, format, args);
    va_end(args);
    fflush(out);
    os::UnlockStream(out);
}

// The diagnostic queries below run on the application's own connection and
// inside its open transaction, so they must not fail on their own: the two
// views always exist, and the counter query (whose function a stock server
// lacks) runs only just before the connection is closed. When a query does
// fail (connection busy, transaction already aborted) only the header line
// is written.

void debugLogCursors(PGconn *conn, const char *tag) {
    if (!ocitracing(TRACE_CURSORS)) return;
    PGresult *res = PQexec(conn, "SELECT creation_time, name, statement FROM pg_cursors");
    bool ok = PQresultStatus(res) == PGRES_TUPLES_OK;
    int rows = ok ? PQntuples(res) : 0;
    ocitrace(TRACE_CURSORS, "open cursors", "(%d) %s\n", rows, tag);
    for (int row = 0; row < rows; ++row)
        ocitrace(TRACE_CURSORS, nullptr, "\t(%s) %s - %s\n", ColumnText(res, row, "creation_time"),
                 ColumnText(res, row, "name"), ColumnText(res, row, "statement"));
    PQclear(res);
}

void debugLogPreparedStmts(PGconn *conn, const char *tag) {
    if (!ocitracing(TRACE_CURSORS)) return;
    PGresult *res = PQexec(
        conn, "SELECT prepare_time, from_sql, name, statement FROM pg_prepared_statements");
    bool ok = PQresultStatus(res) == PGRES_TUPLES_OK;
    int rows = ok ? PQntuples(res) : 0;
    ocitrace(TRACE_CURSORS, "prepared statements", "(%d) %s\n", rows, tag);
    for (int row = 0; row < rows; ++row) {
        const char *fromSql = ColumnText(res, row, "from_sql");
        ocitrace(TRACE_CURSORS, nullptr, "\t(%s) (%s) %s - %s\n",
                 ColumnText(res, row, "prepare_time"),
                 fromSql[0] == 't' && fromSql[1] == '\0' ? "SQL" : "protocol",
                 ColumnText(res, row, "name"), ColumnText(res, row, "statement"));
    }
    PQclear(res);
}

// The wait counters come from a function only the vendor's server build
// provides; on a stock server the query fails and the dump is its header.
void tracePavikCounters(PGconn *conn) {
    if (!ocitracing(TRACE_WAIT_COUNTERS)) return;
    PGresult *res = PQexec(conn,
                           "SELECT * FROM tav_pavik_session_waits() t1(backend_id bigint, "
                           "max_wait bigint, total_wait bigint, num_waits bigint, wait_name text) "
                           "WHERE num_waits != 0 AND backend_id = pg_backend_pid()");
    ocitrace(TRACE_WAIT_COUNTERS, "tracePavikCounters", "PAVIK Counters (at disconnect)\n");
    if (PQresultStatus(res) == PGRES_TUPLES_OK) {
        int rows = PQntuples(res);
        for (int row = 0; row < rows; ++row)
            ocitrace(TRACE_WAIT_COUNTERS, nullptr, "pavik, %s, \"%s\", %s, %s, %s\n",
                     ColumnText(res, row, "backend_id"), ColumnText(res, row, "wait_name"),
                     ColumnText(res, row, "num_waits"), ColumnText(res, row, "total_wait"),
                     ColumnText(res, row, "max_wait"));
    }
    PQclear(res);
}

// Error handles and the family of functions that add records to them.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "diag/catalogue.h"
#include "diag/errors.h"
#include "diag/trace.h"
#include "env/compat.h"
#include "env/memory.h"

OCIError *Alloc_OCIError() {
    auto *errhp = o2pNew<OCIError>();
    if (errhp != nullptr) errhp->handleType = HANDLE_OCIError;
    return errhp;
}

void Free_OCIError(OCIError *errhp) {
    if (errhp == nullptr || errhp->handleType != HANDLE_OCIError) return;
    ClearErrorHandle(errhp);
    FreeUserMemory(errhp);
    errhp->handleType = HANDLE_None;
    o2pDelete(errhp);
}

namespace {
OCIError *AsErrorHandle(OCIError *errhp) {
    return HandleAs<OCIError>(errhp, HANDLE_OCIError);
}

void FreeRecord(errinfo *rec) {
    if (rec == nullptr) return;
    o2pFree(rec->msg);
    o2pFree(rec->pg_msg);
    o2pFree(rec);
}

void TraceRecord(const OCIError *errhp, const errinfo *rec) {
    if (!ocitracing(TRACE_ERRORS)) return;
    ocitrace(TRACE_ERRORS, "finishErr", "raising error on handle(%p)\n",
             static_cast<const void *>(errhp));
    if (rec->content & ERRINFO_SEVERITY) ocitrace(TRACE_ERRORS, nullptr, "  severity = %d\n", rec->severity);
    if (rec->content & ERRINFO_ERRCODE) ocitrace(TRACE_ERRORS, nullptr, "  errcode  = %d\n", rec->errcode);
    if (rec->content & ERRINFO_MSG) ocitrace(TRACE_ERRORS, nullptr, "  msg      = %s\n", rec->msg);
    if (rec->content & ERRINFO_SQLSTATE) ocitrace(TRACE_ERRORS, nullptr, "  sqlstate = %s\n", rec->sqlstate);
    if (rec->content & ERRINFO_PG_MSG) ocitrace(TRACE_ERRORS, nullptr, "  pg_msg   = %s\n", rec->pg_msg);
}

// Builds and appends one record. When memory for the record or its texts
// runs out, the record is still appended with what could be kept (a record
// always keeps its number or, failing that, nothing is added), so that the
// caller's failure is never silently lost when at least the number fits.
sword Finish(OCIError *errhp, ub2 content, sword severity, sb4 errcode, const char *msg,
             const char *sqlstate, const char *pg_msg) {
    auto *rec = static_cast<errinfo *>(o2pCalloc(1, sizeof(errinfo)));
    if (rec == nullptr) return OCI_ERROR;
    rec->content = content;
    rec->severity = severity;
    rec->errcode = errcode;
    if (content & ERRINFO_MSG) {
        rec->msg = o2pStrdup(msg != nullptr ? msg : "");
        if (rec->msg == nullptr) rec->content &= static_cast<ub2>(~ERRINFO_MSG);
    }
    if (content & ERRINFO_SQLSTATE) {
        std::strncpy(rec->sqlstate, sqlstate != nullptr ? sqlstate : "", 5);
        rec->sqlstate[5] = '\0';
    }
    if (content & ERRINFO_PG_MSG) {
        rec->pg_msg = o2pStrdup(pg_msg != nullptr ? pg_msg : "");
        if (rec->pg_msg == nullptr) rec->content &= static_cast<ub2>(~ERRINFO_PG_MSG);
    }
    if ((rec->content & (ERRINFO_ERRCODE | ERRINFO_MSG)) == 0) {
        FreeRecord(rec);
        return OCI_ERROR;
    }
    try {
        errhp->records = lappend(errhp->records, rec);
    } catch (const std::bad_alloc &) {
        FreeRecord(rec);
        return OCI_ERROR;
    }
    TraceRecord(errhp, rec);
    return OCI_SUCCESS;
}
}  // namespace

void ClearErrorHandle(OCIError *errhp) {
    errhp = AsErrorHandle(errhp);
    if (errhp == nullptr) return;
    foreach_cell(cell, errhp->records) FreeRecord(static_cast<errinfo *>(cell->ptr));
    list_free(errhp->records);
    errhp->records = nullptr;
    errhp->hasWarnings = false;
}

sword AddErrorRecord(OCIError *errhp, sword severity, sb4 errcode) {
    if (AsErrorHandle(errhp) == nullptr) return OCI_INVALID_HANDLE;
    Finish(errhp, ERRINFO_SEVERITY | ERRINFO_ERRCODE, severity, errcode, nullptr, nullptr, nullptr);
    return 0;
}

sword AddErrorRecord_MSG(OCIError *errhp, sword severity, sb4 errcode) {
    return AddErrorRecord(errhp, severity, errcode);
}

sword AddErrorRecord2(OCIError *errhp, sword severity, sb4 errcode, const char *message) {
    if (AsErrorHandle(errhp) == nullptr) return OCI_INVALID_HANDLE;
    Finish(errhp, ERRINFO_SEVERITY | ERRINFO_ERRCODE | ERRINFO_MSG, severity, errcode, message,
           nullptr, nullptr);
    return 0;
}

sword AddErrorRecordStringX(OCIError *errhp, sword severity, sb4 errcode, int count, ...) {
    if (AsErrorHandle(errhp) == nullptr) return OCI_INVALID_HANDLE;
    char work[1024];
    std::snprintf(work, sizeof work, "%s", o2pGetErrorText(static_cast<ub4>(errcode)));
    va_list ap;
    va_start(ap, count);
    // Placeholders are filled left to right; the search resumes after the
    // inserted argument, so an argument that itself contains "%s" is kept
    // as it is rather than filled by the next argument.
    size_t from = 0;
    for (int i = 0; i < count; i++) {
        const char *arg = va_arg(ap, const char *);
        char *slot = std::strstr(work + from, "%s");
        if (slot == nullptr || slot == work) break;
        char rest[1024];
        std::snprintf(rest, sizeof rest, "%s", slot + 2);
        const size_t used = static_cast<size_t>(slot - work);
        const int written = std::snprintf(slot, sizeof work - used, "%s", arg != nullptr ? arg : "");
        from = std::min(used + static_cast<size_t>(written), std::strlen(work));
        std::snprintf(work + from, sizeof work - from, "%s", rest);
    }
    va_end(ap);
    Finish(errhp, ERRINFO_SEVERITY | ERRINFO_ERRCODE | ERRINFO_MSG, severity, errcode, work,
           nullptr, nullptr);
    return 0;
}

sword AddErrorRecordMsg(OCIError *errhp, sword severity, const char *message) {
    if (AsErrorHandle(errhp) == nullptr) return OCI_INVALID_HANDLE;
    Finish(errhp, ERRINFO_SEVERITY | ERRINFO_MSG, severity, 0, message, nullptr, nullptr);
    return 0;
}

sword AddPGErrorRecord(OCIError *errhp, sword severity, const PGresult *result) {
    if (errhp == nullptr) return OCI_ERROR;
    if (AsErrorHandle(errhp) == nullptr) return OCI_INVALID_HANDLE;
    if (result == nullptr) {
        static const char kNull[] = "Unexpected NULL PGresult";
        Finish(errhp, ERRINFO_SEVERITY | ERRINFO_ERRCODE | ERRINFO_MSG | ERRINFO_SQLSTATE | ERRINFO_PG_MSG,
               severity, 0, kNull, "08P01", kNull);
        return 0;
    }
    const char *sqlstate = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    if (sqlstate == nullptr || std::strncmp(sqlstate, "08", 2) == 0) {
        Finish(errhp, ERRINFO_MSG, severity, 0, "Unexpected error", nullptr, nullptr);
        return 0;
    }
    const char *primary = PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY);
    if (primary == nullptr) primary = "";
    // The Oracle-compatible mode gives every server error a number; one the
    // catalogue has no text for carries the server's message after it.
    const bool oracle = OracleCompatOf(errhp);
    const sb4 errcode = oracle ? MapSqlStateToOracleError(sqlstate) : MapSqlStateToOciError(sqlstate);
    const char *msg = errcode != 0 ? o2pGetErrorText(static_cast<ub4>(errcode)) : primary;
    std::string numbered;
    if (oracle && o2pRawErrorText(static_cast<ub4>(errcode)) == nullptr) {
        char head[32];
        std::snprintf(head, sizeof head, O2P_ERROR_PREFIX "%05d: ", static_cast<int>(errcode));
        numbered = std::string(head) + primary;
        msg = numbered.c_str();
    }
    // A constraint's text names it as Oracle does, (SCHEMA.NAME), from the
    // server's fields rather than showing its placeholders.
    std::string named;
    if (errcode == kErrUniqueConstraint) {
        const char *fields[] = {PQresultErrorField(result, PG_DIAG_SCHEMA_NAME),
                                PQresultErrorField(result, PG_DIAG_CONSTRAINT_NAME)};
        named = msg;
        size_t from = 0;
        for (const char *field : fields) {
            const size_t at = named.find("%s", from);
            if (at == std::string::npos) break;
            const std::string value = field != nullptr ? field : "";
            named.replace(at, 2, value);
            from = at + value.size();
        }
        msg = named.c_str();
    }
    Finish(errhp, ERRINFO_SEVERITY | ERRINFO_ERRCODE | ERRINFO_MSG | ERRINFO_SQLSTATE | ERRINFO_PG_MSG,
           severity, errcode, msg, sqlstate, primary);
    return 0;
}

void SetErrorHandleMessage(OCIError *errhp, sb4 errcode) {
    errhp = AsErrorHandle(errhp);
    if (errhp == nullptr) return;
    std::snprintf(errhp->message, sizeof errhp->message, "%s",
                  o2pGetErrorText(static_cast<ub4>(errcode)));
}

int ErrorRecordCount(const OCIError *errhp) {
    return errhp == nullptr ? 0 : list_length(errhp->records);
}

const errinfo *ErrorRecordAt(const OCIError *errhp, int recordno) {
    if (errhp == nullptr || recordno < 1) return nullptr;
    return static_cast<const errinfo *>(list_nth(errhp->records, recordno - 1));
}

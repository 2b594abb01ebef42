// Pieces the executors share: the parameter arrays of one round trip, the
// checks every executor starts with, and turning a failed server answer
// into error records.
#pragma once
#include <libpq-fe.h>

#include <vector>

#include "conn/conn_handles.h"
#include "diag/errors.h"
#include "stmt/bind_define.h"
#include "stmt/execute.h"
#include "stmt/stmt_handles.h"

namespace executors {

constexpr sb4 kErrBulkMemory = 27102;

// OCI_SUCCESS becomes OCI_SUCCESS_WITH_INFO when a notice arrived during the
// call (the handle's notice flag is taken); other statuses stay.
inline sword WithNotices(OCIError *errhp, sword status) {
    return status == OCI_SUCCESS && TakeNotice(errhp) ? OCI_SUCCESS_WITH_INFO : status;
}


// Values, lengths and formats of one server call, in parameter order.
struct ParamArrays {
    std::vector<const char *> values;
    std::vector<int> lengths;
    std::vector<int> formats;

    // Sizes the arrays for `count` parameters; false when memory runs out.
    bool Reserve(ub4 count);
    // Copies the converted values the binds of `paramBinds` hold now (an
    // empty entry gives null, 0, 0). The binds keep owning the values.
    void Take(const List *paramBinds);
    const char *const *Values() const { return values.empty() ? nullptr : values.data(); }
    const int *Lengths() const { return lengths.empty() ? nullptr : lengths.data(); }
    const int *Formats() const { return formats.empty() ? nullptr : formats.data(); }
};

// True when `paramBinds` names one bind per parameter (or there are none).
bool ParamBindsMatch(const OCIStmt *stmt);

// Records a failed server answer: the server's error with its SQLSTATE when
// the answer carries one, otherwise `fallback` with the connection's message;
// a connection that is gone adds "connection terminated". Rolls the
// transaction back and returns OCI_ERROR. The result is not released.
sword ServerFailure(OCIServer *server, OCIError *errhp, const PGresult *res, sb4 fallback);

// A failure that is not the server's: `text` as a message-only record, the
// transaction rolled back, OCI_ERROR.
sword ClientFailure(OCIServer *server, OCIError *errhp, const char *text);

// OCI_INVALID_HANDLE unless the server, statement and error handle are of
// their kinds; OCI_ERROR with "connection terminated" when the server has no
// connection (a broken one is left to the call that finds it broken); else
// OCI_SUCCESS.
sword CheckExecutorHandles(OCIServer *server, OCIStmt *stmt, OCIError *errhp);

}  // namespace executors

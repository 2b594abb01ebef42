// The per-connection record (kept as the instance data of a libpq event
// procedure), settling a connection before a command goes out, command
// groups, and forgetting a connection.
#include <libpq-events.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "stmt/pqext/pqext.h"
#include "stmt/pqext/pqext_conn.h"
#include "platform/os.h"

namespace pqext {
namespace {

int EventProc(PGEventId id, void *info, void *passThrough);

ConnState *InstanceOf(const PGconn *conn) {
    return static_cast<ConnState *>(PQinstanceData(conn, EventProc));
}

bool StartsTransaction(const char *status) {
    if (status == nullptr) return false;
    if (status[0] == 'B') return std::strncmp(status, "BEGIN", 5) == 0;
    return status[0] == 'S' && std::strncmp(status, "START TRANSACTION", 17) == 0;
}

int EventProc(PGEventId id, void *info, void * /*passThrough*/) {
    switch (id) {
    case PGEVT_CONNRESET: {
        // The server session is new: its prepared statements and cursors are gone.
        ConnState *st = InstanceOf(static_cast<PGEventConnReset *>(info)->conn);
        if (st != nullptr) {
            st->Clear();
            ++st->txGeneration;
            for (auto &companion : st->companions)
                if (companion) companion->Reset();
        }
        return 1;
    }
    case PGEVT_CONNDESTROY: {
        PGconn *conn = static_cast<PGEventConnDestroy *>(info)->conn;
        delete InstanceOf(conn);
        PQsetInstanceData(conn, EventProc, nullptr);
        return 1;
    }
    case PGEVT_RESULTCREATE: {
        auto *evt = static_cast<PGEventResultCreate *>(info);
        ConnState *st = InstanceOf(evt->conn);
        if (st == nullptr) return 1;
        if (StartsTransaction(PQcmdStatus(evt->result))) ++st->txGeneration;
        if (!st->pendingOut) return 1;
        // The first result after the call was sent is the call's.
        std::shared_ptr<const OutShape> shape = std::move(st->pendingOut);
        st->pendingOut.reset();
        try {
            QueueOutResult(st, *shape, evt->result);
        } catch (...) {
            // Without memory the out result is missing; the caller finds none.
        }
        return 1;
    }
    default:
        return 1;
    }
}

}  // namespace

ConnState::~ConnState() { Clear(); }

void ConnState::Clear() {
    for (auto &entry : readAhead) DropReadAhead(entry.second);
    readAhead.clear();
    inFlight.clear();
    syncsInFlight = 0;
    unsynced = false;
    statements.clear();
    portalFormats.clear();
    cursorOptions = 0;
    pipeline = Pipeline::Off;
    pipelineAborted = false;
    groupSyncs = 0;
    if (bulk) {
        PQclear(bulk->firstError);
        PQclear(bulk->last);
        bulk.reset();
    }
    PQclear(bulkOutcome);
    bulkOutcome = nullptr;
    bulkRows = -1;
    bulkFailedRow = -1;
    pendingOut.reset();
    for (PGresult *res : outResults) PQclear(res);
    outResults.clear();
}

ConnState *ExistingState(PGconn *conn) { return conn == nullptr ? nullptr : InstanceOf(conn); }

ConnState *State(PGconn *conn) {
    if (conn == nullptr) return nullptr;
    ConnState *st = InstanceOf(conn);
    if (st != nullptr) return st;
    st = new (std::nothrow) ConnState();
    if (st == nullptr) return nullptr;
    // Setting instance data fails while the procedure is not registered yet.
    if (!PQsetInstanceData(conn, EventProc, st)) {
        if (!PQregisterEventProc(conn, EventProc, "ocicompat-pqext", nullptr) ||
            !PQsetInstanceData(conn, EventProc, st)) {
            delete st;
            return nullptr;
        }
    }
    return st;
}

std::string QuoteIdent(PGconn *conn, const char *name) {
    if (name == nullptr) return std::string();
    char *quoted = PQescapeIdentifier(conn, name, std::strlen(name));
    if (quoted == nullptr) return std::string();
    std::string result(quoted);
    PQfreemem(quoted);
    return result;
}

bool WaitSocket(PGconn *conn, bool write) { return os::WaitSocket(PQsocket(conn), write); }

void DropReadAhead(ReadAhead &ra) {
    for (PGresult *res : ra.kept) PQclear(res);
    ra.kept.clear();
}

PGresult *Genuine(PGconn *conn, PGresult *res) {
    const ExecStatusType status = PQresultStatus(res);
    if (res != nullptr && (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) && PQcmdStatus(res)[0] == '\0') {
        PQclear(res);
        res = nullptr;
    }
    return res != nullptr ? res : PQmakeEmptyPGresult(conn, PGRES_FATAL_ERROR);
}

void ReadOneInFlight(PGconn *conn, ConnState *st) {
    std::string name = std::move(st->inFlight.front());
    st->inFlight.pop_front();
    PGresult *res = PQgetResult(conn);
    // The sync sent after a CLOSE ahead answers between two commands.
    while (res != nullptr && PQresultStatus(res) == PGRES_PIPELINE_SYNC) {
        --st->syncsInFlight;
        PQclear(res);
        res = PQgetResult(conn);
    }
    if (res == nullptr) {
        // Only a failed connection ends a pipeline command without a result.
        res = PQmakeEmptyPGresult(conn, PGRES_FATAL_ERROR);
    } else {
        res = Genuine(conn, res);
        // The null that ends this command's results (a broken connection may
        // add an error result first).
        for (int i = 0; i < 4; ++i) {
            PGresult *extra = PQgetResult(conn);
            if (extra == nullptr) break;
            PQclear(extra);
        }
    }
    const ExecStatusType status = PQresultStatus(res);
    if (status == PGRES_FATAL_ERROR) st->pipelineAborted = true;
    auto it = st->readAhead.find(name);
    if (it == st->readAhead.end()) {
        PQclear(res);
        return;
    }
    ReadAhead &ra = it->second;
    --ra.inFlight;
    if (status == PGRES_PIPELINE_ABORTED) {
        // An earlier failure kept this FETCH from running: the cursor did not
        // move, and the FETCH is simply sent again later.
        PQclear(res);
        return;
    }
    ra.kept.push_back(res);
}

bool FinishPipeline(PGconn *conn, int syncs) {
    int seen = 0;
    int nulls = 0;
    while (seen < syncs && PQstatus(conn) == CONNECTION_OK) {
        PGresult *res = PQgetResult(conn);
        if (res == nullptr) {
            // One null ends each command; two in a row mean nothing is queued.
            if (++nulls > 1) break;
            continue;
        }
        nulls = 0;
        if (PQresultStatus(res) == PGRES_PIPELINE_SYNC) ++seen;
        PQclear(res);
    }
    // A caller may have read a sync result itself; what counts is that the
    // connection is out of pipeline mode and alive.
    if (PQpipelineStatus(conn) != PQ_PIPELINE_OFF && !PQexitPipelineMode(conn)) return false;
    return PQstatus(conn) == CONNECTION_OK;
}

bool Settle(PGconn *conn, ConnState *st, bool allowGroup) {
    switch (st->pipeline) {
    case Pipeline::Off: return true;
    case Pipeline::Group: return allowGroup;
    case Pipeline::Bulk: return false;
    case Pipeline::ReadAhead: break;
    }
    while (!st->inFlight.empty()) ReadOneInFlight(conn, st);
    // A sync already on its way after the last command ends the pipeline.
    bool synced = true;
    if (st->unsynced || st->syncsInFlight <= 0) {
        synced = PQpipelineSync(conn) == 1;
        if (synced) st->syncsInFlight = std::max(st->syncsInFlight, 0) + 1;
    }
    const bool ok = FinishPipeline(conn, st->syncsInFlight) && synced;
    st->pipeline = Pipeline::Off;
    st->pipelineAborted = false;
    st->syncsInFlight = 0;
    st->unsynced = false;
    return ok;
}

std::shared_ptr<Statement> FindStatement(PGconn *conn, ConnState *st, const char *name) {
    auto it = st->statements.find(name);
    if (it != st->statements.end()) return it->second;
    if (PQpipelineStatus(conn) != PQ_PIPELINE_OFF || PQisBusy(conn)) return nullptr;
    // Prepared by someone else: the server knows its text and types.
    const char *sql =
        "SELECT statement, parameter_types::pg_catalog.oid[]::pg_catalog.text "
        "FROM pg_catalog.pg_prepared_statements WHERE name = $1";
    PGresult *res = PQexecParams(conn, sql, 1, nullptr, &name, nullptr, nullptr, 0);
    std::shared_ptr<Statement> stmt;
    if (PQresultStatus(res) == PGRES_TUPLES_OK && PQntuples(res) == 1) {
        stmt = std::make_shared<Statement>();
        stmt->text = PQgetvalue(res, 0, 0);
        // "{23,1043}"
        const char *p = PQgetvalue(res, 0, 1);
        while (*p != '\0') {
            if (*p >= '0' && *p <= '9') {
                char *end = nullptr;
                stmt->types.push_back(static_cast<Oid>(std::strtoul(p, &end, 10)));
                p = end;
            } else {
                ++p;
            }
        }
        st->statements[name] = stmt;
    }
    PQclear(res);
    return stmt;
}

}  // namespace pqext

using namespace pqext;

int PQextDrain(PGconn *conn) {
    return Guarded(0, [&] {
        ConnState *st = ExistingState(conn);
        if (st == nullptr) return PQstatus(conn) == CONNECTION_OK ? 1 : 0;
        return Settle(conn, st, false) && PQstatus(conn) == CONNECTION_OK ? 1 : 0;
    });
}

int PQextPipelineBegin(PGconn *conn) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || !Settle(conn, st, false)) return 0;
        if (!PQenterPipelineMode(conn)) return 0;
        st->pipeline = Pipeline::Group;
        st->groupSyncs = 0;
        return 1;
    });
}

int PQextPipelineSend(PGconn *conn) {
    ConnState *st = ExistingState(conn);
    if (st == nullptr || st->pipeline != Pipeline::Group) return 0;
    if (PQpipelineSync(conn) != 1) return 0;
    ++st->groupSyncs;
    // A non-blocking connection may keep part of the group in its buffer;
    // PQgetResult sends the rest before it waits.
    return PQflush(conn) >= 0 ? 1 : 0;
}

int PQextPipelineEnd(PGconn *conn) {
    ConnState *st = ExistingState(conn);
    if (st == nullptr || st->pipeline != Pipeline::Group) return 0;
    const bool ok = FinishPipeline(conn, st->groupSyncs);
    st->pipeline = Pipeline::Off;
    st->groupSyncs = 0;
    return ok ? 1 : 0;
}

unsigned long long PQextTransactionGeneration(PGconn *conn) {
    ConnState *st = State(conn);
    return st != nullptr ? st->txGeneration : 0;
}

PQextCompanion *PQextCompanionOf(PGconn *conn, PQextCompanionKind kind, PQextCompanion *(*make)()) {
    if (kind < 0 || kind >= PQEXT_COMPANION_KINDS || make == nullptr) return nullptr;
    ConnState *st = State(conn);
    if (st == nullptr) return nullptr;
    if (!st->companions[kind]) st->companions[kind].reset(make());
    return st->companions[kind].get();
}

PQextCompanion *PQextExistingCompanion(PGconn *conn, PQextCompanionKind kind) {
    if (kind < 0 || kind >= PQEXT_COMPANION_KINDS) return nullptr;
    ConnState *st = ExistingState(conn);
    return st != nullptr ? st->companions[kind].get() : nullptr;
}

void PQextForget(PGconn *conn) {
    ConnState *st = ExistingState(conn);
    if (st == nullptr) return;
    // A live connection is left usable: nothing of the module's in flight.
    Guarded(false, [&] { return Settle(conn, st, false); });
    PQsetInstanceData(conn, EventProc, nullptr);
    delete st;
}

// Cursors: statements remembered for binds, DECLARE / FETCH / CLOSE, and
// read-ahead fetching in pipeline mode.
#include <cstring>
#include <string>

#include "stmt/pqext/pqext.h"
#include "stmt/pqext/pqext_conn.h"

namespace pqext {
namespace {

constexpr int kDefaultDepth = 2;
constexpr int kMaxDepth = 16;

// The statement text without the terminating semicolons and blanks that a
// DECLARE ... FOR <text> cannot take.
std::string WithoutTerminator(const std::string &text) {
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == ';' || std::strchr(" \t\r\n\f\v", text[end - 1]) != nullptr)) --end;
    return text.substr(0, end);
}

std::string FetchCommand(PGconn *conn, const char *portal, int rows) {
    std::string quoted = QuoteIdent(conn, portal);
    if (quoted.empty()) return std::string();
    return "FETCH FORWARD " + std::to_string(rows) + " FROM " + quoted;
}

int ResultFormatOf(const ConnState *st, const std::string &portal) {
    auto it = st->portalFormats.find(portal);
    return it == st->portalFormats.end() ? 0 : it->second;
}

void Remember(ConnState *st, const char *name, const char *query, int nParams, const Oid *paramTypes) {
    auto stmt = std::make_shared<Statement>();
    stmt->text = query;
    for (int i = 0; i < nParams; ++i) stmt->types.push_back(paramTypes != nullptr ? paramTypes[i] : 0);
    st->statements[name] = std::move(stmt);
}

void StopReadAhead(ConnState *st, const std::string &portal) {
    auto it = st->readAhead.find(portal);
    if (it == st->readAhead.end()) return;
    DropReadAhead(it->second);
    // FETCHes of this cursor still in flight are read and dropped by whoever
    // reads the pipeline next (their cursor is no longer known).
    st->readAhead.erase(it);
}

// Sends one FETCH of a cursor under read-ahead, entering pipeline mode when
// the connection is not in it yet. False when the connection cannot take it.
bool SendAhead(PGconn *conn, ConnState *st, const std::string &portal, ReadAhead &ra) {
    if (st->pipeline == Pipeline::ReadAhead && st->pipelineAborted) {
        // After a failure the server skips everything up to a sync.
        if (!Settle(conn, st, false)) return false;
    }
    if (st->pipeline == Pipeline::Off) {
        // A pipeline of someone else's is not joined.
        if (PQstatus(conn) != CONNECTION_OK || PQpipelineStatus(conn) != PQ_PIPELINE_OFF || PQisBusy(conn) ||
            !PQenterPipelineMode(conn)) {
            return false;
        }
        st->pipeline = Pipeline::ReadAhead;
    }
    if (st->pipeline != Pipeline::ReadAhead) return false;
    const std::string sql = FetchCommand(conn, portal.c_str(), ra.rows);
    if (sql.empty()) return false;
    if (!PQsendQueryParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, ResultFormatOf(st, portal)))
        return false;
    st->inFlight.push_back(portal);
    st->unsynced = true;
    ++ra.inFlight;
    // Without a flush request the server would hold the rows until a sync.
    PQsendFlushRequest(conn);
    PQflush(conn);
    return true;
}

void TopUp(PGconn *conn, ConnState *st, const std::string &portal, ReadAhead &ra) {
    while (!ra.ended && static_cast<int>(ra.kept.size()) + ra.inFlight < ra.depth) {
        if (!SendAhead(conn, st, portal, ra)) break;
    }
}

}  // namespace
}  // namespace pqext

using namespace pqext;

void PQextSetCursorOptions(PGconn *conn, int options) {
    ConnState *st = State(conn);
    if (st != nullptr) st->cursorOptions = options & (PQEXT_CURSOR_SCROLL | PQEXT_CURSOR_HOLD);
}

PGresult *PQextPrepare(PGconn *conn, const char *stmtName, const char *query, int nParams, const Oid *paramTypes) {
    ConnState *st = State(conn);
    if (st == nullptr || stmtName == nullptr || query == nullptr) return nullptr;
    if (!Guarded(false, [&] { return Settle(conn, st, false); })) return nullptr;
    PGresult *res = PQprepare(conn, stmtName, query, nParams, paramTypes);
    if (PQresultStatus(res) == PGRES_COMMAND_OK) {
        Guarded(0, [&] {
            Remember(st, stmtName, query, nParams, paramTypes);
            return 0;
        });
    }
    return res;
}

int PQextSendPrepare(PGconn *conn, const char *stmtName, const char *query, int nParams, const Oid *paramTypes) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || stmtName == nullptr || query == nullptr || !Settle(conn, st, true)) return 0;
        if (!PQsendPrepare(conn, stmtName, query, nParams, paramTypes)) return 0;
        Remember(st, stmtName, query, nParams, paramTypes);
        return 1;
    });
}

int PQextRememberStatement(PGconn *conn, const char *stmtName, const char *query, int nParams,
                           const Oid *paramTypes) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || stmtName == nullptr || query == nullptr || nParams < 0) return 0;
        Remember(st, stmtName, query, nParams, paramTypes);
        return 1;
    });
}

void PQextForgetStatement(PGconn *conn, const char *stmtName) {
    ConnState *st = ExistingState(conn);
    if (st != nullptr && stmtName != nullptr) st->statements.erase(stmtName);
}

int PQsendBindPrepared(PGconn *conn, const char *portalName, const char *stmtName, int nParams,
                       const char *const *paramValues, const int *paramLengths, const int *paramFormats,
                       int resultFormat) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || portalName == nullptr || stmtName == nullptr || nParams < 0) return 0;
        if (!Settle(conn, st, true)) return 0;
        std::shared_ptr<Statement> stmt = FindStatement(conn, st, stmtName);
        if (!stmt) return 0;
        const std::string portal = QuoteIdent(conn, portalName);
        if (portal.empty()) return 0;
        StopReadAhead(st, portalName);

        const int options = st->cursorOptions;
        st->cursorOptions = 0;
        std::string sql = "DECLARE " + portal;
        sql += (options & PQEXT_CURSOR_SCROLL) != 0 ? " SCROLL CURSOR " : " NO SCROLL CURSOR ";
        if ((options & PQEXT_CURSOR_HOLD) != 0) sql += "WITH HOLD ";
        sql += "FOR " + WithoutTerminator(stmt->text);

        std::vector<Oid> types(stmt->types);
        types.resize(static_cast<size_t>(nParams), 0);
        if (resultFormat != 0) {
            st->portalFormats[portalName] = resultFormat;
        } else {
            st->portalFormats.erase(portalName);
        }
        return PQsendQueryParams(conn, sql.c_str(), nParams, types.data(), paramValues, paramLengths, paramFormats,
                                 0);
    });
}

int PQsendFetchPrepared(PGconn *conn, const char *portalName, int nRows) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || portalName == nullptr || nRows < 0) return 0;
        if (!Settle(conn, st, true)) return 0;
        auto ra = st->readAhead.find(portalName);
        if (ra != st->readAhead.end()) {
            // Rows already fetched ahead must not be skipped.
            if (!ra->second.kept.empty()) return 0;
            st->readAhead.erase(ra);
        }
        const std::string sql = FetchCommand(conn, portalName, nRows);
        if (sql.empty()) return 0;
        return PQsendQueryParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr,
                                 ResultFormatOf(st, portalName));
    });
}

int PQsendClosePortal(PGconn *conn, const char *portalName) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || portalName == nullptr || !Settle(conn, st, true)) return 0;
        StopReadAhead(st, portalName);
        st->portalFormats.erase(portalName);
        const std::string portal = QuoteIdent(conn, portalName);
        if (portal.empty()) return 0;
        const std::string sql = "CLOSE " + portal;
        return PQsendQueryParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    });
}

int PQextCloseAhead(PGconn *conn, const char *portalName) {
    return Guarded(0, [&] {
        ConnState *st = ExistingState(conn);
        if (st == nullptr || portalName == nullptr || *portalName == '\0' || PQisnonblocking(conn)) return 0;
        if (st->pipeline == Pipeline::ReadAhead && st->pipelineAborted && !Settle(conn, st, false)) return 0;
        if (st->pipeline == Pipeline::Off) {
            if (PQstatus(conn) != CONNECTION_OK || PQpipelineStatus(conn) != PQ_PIPELINE_OFF || PQisBusy(conn) ||
                !PQenterPipelineMode(conn)) {
                return 0;
            }
            st->pipeline = Pipeline::ReadAhead;
        }
        if (st->pipeline != Pipeline::ReadAhead) return 0;
        const std::string portal = QuoteIdent(conn, portalName);
        if (portal.empty()) return 0;
        // FETCHes of this cursor still in flight are read and dropped.
        StopReadAhead(st, portalName);
        st->portalFormats.erase(portalName);
        const std::string sql = "CLOSE " + portal;
        if (!PQsendQueryParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0)) return 0;
        st->inFlight.emplace_back();
        if (PQpipelineSync(conn) == 1) {
            ++st->syncsInFlight;
            st->unsynced = false;
        } else {
            st->unsynced = true;
        }
        PQflush(conn);
        return 1;
    });
}

int PQextFetchAhead(PGconn *conn, const char *portalName, int nRows, int depth) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || portalName == nullptr || nRows <= 0) return 0;
        if (st->pipeline == Pipeline::Group || st->pipeline == Pipeline::Bulk) return 0;
        if (st->readAhead.count(portalName) != 0) {
            if (!Settle(conn, st, false)) return 0;
            StopReadAhead(st, portalName);
        }
        ReadAhead &ra = st->readAhead[portalName];
        ra.rows = nRows;
        ra.depth = depth <= 0 ? kDefaultDepth : (depth > kMaxDepth ? kMaxDepth : depth);
        TopUp(conn, st, portalName, ra);
        if (ra.inFlight == 0) {
            st->readAhead.erase(portalName);
            return 0;
        }
        return 1;
    });
}

PGresult *PQextFetchNext(PGconn *conn, const char *portalName) {
    return Guarded(static_cast<PGresult *>(nullptr), [&]() -> PGresult * {
        ConnState *st = ExistingState(conn);
        if (st == nullptr || portalName == nullptr) return nullptr;
        auto it = st->readAhead.find(portalName);
        if (it == st->readAhead.end()) return nullptr;
        const std::string portal(portalName);
        ReadAhead &ra = it->second;

        PGresult *res = nullptr;
        for (;;) {
            if (!ra.kept.empty()) {
                res = ra.kept.front();
                ra.kept.pop_front();
                break;
            }
            if (ra.inFlight > 0) {
                ReadOneInFlight(conn, st);
                continue;
            }
            if (!ra.ended && SendAhead(conn, st, portal, ra)) continue;
            // Nothing to read ahead (the end was seen, or the connection
            // cannot pipeline now): one plain FETCH answers truthfully.
            if (!Settle(conn, st, false)) return PQmakeEmptyPGresult(conn, PGRES_FATAL_ERROR);
            const std::string sql = FetchCommand(conn, portalName, ra.rows);
            res = PQexecParams(conn, sql.c_str(), 0, nullptr, nullptr, nullptr, nullptr, ResultFormatOf(st, portal));
            break;
        }
        if (PQresultStatus(res) != PGRES_TUPLES_OK || PQntuples(res) < ra.rows) ra.ended = true;
        // The next batch is on its way before this one is handed out.
        TopUp(conn, st, portal, ra);
        return res;
    });
}

long PQextFetchStop(PGconn *conn, const char *portalName) {
    return Guarded(-1L, [&] {
        ConnState *st = ExistingState(conn);
        if (st == nullptr || portalName == nullptr) return -1L;
        auto it = st->readAhead.find(portalName);
        if (it == st->readAhead.end()) return -1L;
        if (it->second.inFlight > 0) Settle(conn, st, false);
        long ahead = 0;
        for (PGresult *res : it->second.kept) {
            if (PQresultStatus(res) == PGRES_TUPLES_OK) ahead += PQntuples(res);
        }
        StopReadAhead(st, portalName);
        return ahead;
    });
}

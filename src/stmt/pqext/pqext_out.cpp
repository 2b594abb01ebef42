// OUT parameters: a callable text CALL name(args) is prepared as the
// statement the routine needs (CALL for a procedure, SELECT for a function),
// and every successful call leaves an out result with one column per
// parameter.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "stmt/pqext/pqext.h"
#include "stmt/pqext/pqext_conn.h"

namespace pqext {
namespace {

constexpr Oid kTextOid = 25;

// ---- The callable text --------------------------------------------------

struct CallText {
    std::vector<std::string> name;  // identifier parts, case folded as the server does
    std::vector<std::string> args;  // argument expressions, trimmed
};

bool IsBlank(char c) { return std::strchr(" \t\r\n\f\v", c) != nullptr && c != '\0'; }
bool IsIdentStart(unsigned char c) { return std::isalpha(c) != 0 || c == '_' || c >= 0x80; }
bool IsIdentChar(unsigned char c) { return IsIdentStart(c) || std::isdigit(c) != 0 || c == '$'; }

void SkipBlanks(const char *text, size_t &i) {
    while (IsBlank(text[i])) ++i;
}

// Copies a quoted run ('...' or "...", the quote doubled inside) starting at
// text[i]; false when it is not closed.
bool CopyQuoted(const char *text, size_t &i, std::string &out) {
    const char quote = text[i];
    out += text[i++];
    for (;;) {
        if (text[i] == '\0') return false;
        out += text[i];
        if (text[i++] == quote) {
            if (text[i] != quote) return true;
            out += text[i++];
        }
    }
}

std::string Trim(const std::string &s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// CALL name ( arg , ... ) [;]  with name made of plain or quoted identifiers
// joined by dots. False for any other text.
bool ParseCall(const char *text, CallText &call) {
    size_t i = 0;
    SkipBlanks(text, i);
    if (strncasecmp(text + i, "call", 4) != 0) return false;
    i += 4;
    if (!IsBlank(text[i]) && text[i] != '"') return false;
    for (;;) {
        SkipBlanks(text, i);
        std::string part;
        if (text[i] == '"') {
            for (++i;; ++i) {
                if (text[i] == '\0') return false;
                if (text[i] == '"') {
                    if (text[i + 1] != '"') break;
                    ++i;
                }
                part += text[i];
            }
            ++i;
            if (part.empty()) return false;
        } else if (IsIdentStart(static_cast<unsigned char>(text[i]))) {
            while (IsIdentChar(static_cast<unsigned char>(text[i]))) {
                part += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
                ++i;
            }
        } else {
            return false;
        }
        call.name.push_back(part);
        SkipBlanks(text, i);
        if (text[i] != '.') break;
        ++i;
    }
    if (text[i++] != '(') return false;
    int depth = 0;
    std::string current;
    bool sawComma = false;
    for (;;) {
        const char c = text[i];
        if (c == '\0') return false;
        if (c == '\'' || c == '"') {
            if (!CopyQuoted(text, i, current)) return false;
            continue;
        }
        ++i;
        if (c == '(') ++depth;
        if (c == ')' && depth-- == 0) break;
        if (c == ',' && depth == 0) {
            call.args.push_back(Trim(current));
            current.clear();
            sawComma = true;
            continue;
        }
        current += c;
    }
    current = Trim(current);
    if (sawComma || !current.empty()) call.args.push_back(current);
    SkipBlanks(text, i);
    if (text[i] == ';') ++i;
    SkipBlanks(text, i);
    return text[i] == '\0';
}

// The parameter number of an argument that is just "$n", else 0.
int DirectParam(const std::string &arg) {
    if (arg.size() < 2 || arg[0] != '$') return 0;
    int n = 0;
    for (size_t i = 1; i < arg.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(arg[i])) || n > 100000) return 0;
        n = n * 10 + (arg[i] - '0');
    }
    return n;
}

// ---- The routine ----------------------------------------------------------

struct Argument {
    Oid type = 0;
    char mode = 'i';  // i, o, b (IN OUT), v (VARIADIC), t (TABLE column)
    char category = 0;  // the server's type category (pg_type.typcategory)
    std::string name;
};

struct Routine {
    std::string schema;
    std::string name;
    char kind = 'f';
    int defaults = 0;
    std::vector<Argument> args;

    bool IsOutput(size_t pos) const { return args[pos].mode == 'o' || args[pos].mode == 'b' || args[pos].mode == 't'; }
    bool IsInput(size_t pos) const { return args[pos].mode == 'i' || args[pos].mode == 'b' || args[pos].mode == 'v'; }
    size_t Inputs() const {
        size_t n = 0;
        for (size_t i = 0; i < args.size(); ++i) n += IsInput(i) ? 1 : 0;
        return n;
    }
    bool HasOutputs() const {
        for (size_t i = 0; i < args.size(); ++i) {
            if (IsOutput(i)) return true;
        }
        return false;
    }
};

// Every routine of that name in the schema (first) and on the search path
// (after it, in path order); name and schema travel as parameters.
const char *const kLookupSql =
    "SELECT p.oid, n.nspname, p.proname, p.prokind, p.pronargdefaults, a.ord, a.typ, "
    "       COALESCE(p.proargmodes[a.ord], 'i'), COALESCE(p.proargnames[a.ord], ''), "
    "       COALESCE(t.typcategory, 'X') "
    "FROM pg_catalog.pg_proc p "
    "JOIN pg_catalog.pg_namespace n ON n.oid = p.pronamespace "
    "LEFT JOIN LATERAL pg_catalog.unnest(COALESCE(p.proallargtypes, p.proargtypes::pg_catalog.oid[])) "
    "     WITH ORDINALITY AS a(typ, ord) ON true "
    "LEFT JOIN pg_catalog.pg_type t ON t.oid = a.typ "
    "WHERE p.proname = $1 AND p.prokind IN ('f', 'p') "
    "  AND (n.nspname = $2 OR n.nspname = ANY (pg_catalog.current_schemas(true))) "
    "ORDER BY COALESCE(n.nspname = $2, false) DESC, "
    "         pg_catalog.array_position(pg_catalog.current_schemas(true), n.nspname), p.oid, a.ord";

// How call arguments line up with the routine's arguments.
enum class Fit { None, AllArguments, InputsOnly };

Fit FitOf(const Routine &r, size_t nCall) {
    const size_t total = r.args.size();
    const size_t defaults = static_cast<size_t>(r.defaults);
    if (nCall <= total && nCall + defaults >= total) return Fit::AllArguments;
    const size_t inputs = r.Inputs();
    if (r.kind == 'f' && inputs < total && nCall <= inputs && nCall + defaults >= inputs) return Fit::InputsOnly;
    return Fit::None;
}

// The server's category of the types binds declare (pg_type.typcategory),
// 0 for the others.
char CategoryOf(Oid type) {
    switch (type) {
    case 20: case 21: case 23: case 700: case 701: case 1700: return 'N';
    case 18: case 19: case 25: case 705: case 1042: case 1043: return 'S';
    case 1082: case 1083: case 1114: case 1184: case 1266: return 'D';
    case 1186: return 'T';
    case 16: return 'B';
    case 17: return 'U';
    default: return 0;
    }
}

// The routine argument call argument j stands for.
size_t ArgumentPosition(const Routine &r, Fit fit, size_t j, size_t &nextInput) {
    if (fit != Fit::InputsOnly) return j;
    while (nextInput < r.args.size() && !r.IsInput(nextInput)) ++nextInput;
    return nextInput++;
}

// How well the types of the parameters passed directly fit the routine's
// arguments: 2 per identical type, 1 per type of the same category.
int TypeFit(const Routine &r, Fit fit, const CallText &call, int nParams, const Oid *paramTypes) {
    if (paramTypes == nullptr) return 0;
    int score = 0;
    size_t nextInput = 0;
    for (size_t j = 0; j < call.args.size(); ++j) {
        const size_t pos = ArgumentPosition(r, fit, j, nextInput);
        const int k = DirectParam(call.args[j]);
        if (pos >= r.args.size() || k < 1 || k > nParams || paramTypes[k - 1] == 0) continue;
        const Oid type = paramTypes[k - 1];
        if (r.args[pos].type == type) score += 2;
        else if (CategoryOf(type) != 0 && CategoryOf(type) == r.args[pos].category) score += 1;
    }
    return score;
}

// Reads the candidates and picks one whose arguments fit the call: among
// those that take every argument (else those that take the inputs), one of
// the schema the call names if any, the one whose argument types fit the
// bound types best, the first on the search path among equals. Returns the lookup's result when it failed (the
// caller's to release).
PGresult *FindRoutine(PGconn *conn, const CallText &call, int nParams, const Oid *paramTypes, Routine &chosen,
                      Fit &fit, bool &found) {
    found = false;
    const std::string &name = call.name.back();
    const char *values[2] = {name.c_str(), call.name.size() > 1 ? call.name[call.name.size() - 2].c_str() : nullptr};
    const Oid types[2] = {kTextOid, kTextOid};
    PGresult *res = PQexecParams(conn, kLookupSql, 2, types, values, nullptr, nullptr, 0);
    if (PQresultStatus(res) != PGRES_TUPLES_OK) return res;

    std::vector<Routine> candidates;
    std::string lastOid;
    for (int row = 0; row < PQntuples(res); ++row) {
        if (lastOid != PQgetvalue(res, row, 0)) {
            lastOid = PQgetvalue(res, row, 0);
            Routine r;
            r.schema = PQgetvalue(res, row, 1);
            r.name = PQgetvalue(res, row, 2);
            r.kind = PQgetvalue(res, row, 3)[0];
            r.defaults = std::atoi(PQgetvalue(res, row, 4));
            candidates.push_back(std::move(r));
        }
        if (PQgetisnull(res, row, 5)) continue;  // a routine without arguments
        Argument arg;
        arg.type = static_cast<Oid>(std::strtoul(PQgetvalue(res, row, 6), nullptr, 10));
        arg.mode = PQgetvalue(res, row, 7)[0];
        arg.name = PQgetvalue(res, row, 8);
        arg.category = PQgetvalue(res, row, 9)[0];
        candidates.back().args.push_back(std::move(arg));
    }
    PQclear(res);

    // A routine of the schema the call names goes before any other.
    const char *qualifier = values[1];
    auto named = [&](const Routine &r) { return qualifier != nullptr && r.schema == qualifier; };
    for (Fit wanted : {Fit::AllArguments, Fit::InputsOnly}) {
        int best = -1;
        for (const Routine &r : candidates) {
            if (FitOf(r, call.args.size()) != wanted) continue;
            const int score = TypeFit(r, wanted, call, nParams, paramTypes) + (named(r) ? 1000 : 0);
            if (score <= best) continue;
            best = score;
            chosen = r;
            fit = wanted;
            found = true;
        }
        if (found) return nullptr;
    }
    return nullptr;  // no fit: the server will say why when the text is prepared
}

bool TextLike(Oid type) { return type == 0 || type == kTextOid || type == 1043 || type == 1042 || type == 705; }

// Rewrites $n references of an argument expression to the server's numbering.
std::string Renumber(const std::string &arg, std::map<int, int> &numbering, Statement &stmt, int nParams,
                     const Oid *paramTypes) {
    std::string out;
    for (size_t i = 0; i < arg.size();) {
        if (arg[i] == '\'' || arg[i] == '"') {
            size_t j = i;
            std::string quoted;
            if (!CopyQuoted(arg.c_str(), j, quoted)) return arg;
            out += quoted;
            i = j;
            continue;
        }
        if (arg[i] == '$' && i + 1 < arg.size() && std::isdigit(static_cast<unsigned char>(arg[i + 1]))) {
            size_t j = i + 1;
            int n = 0;
            while (j < arg.size() && std::isdigit(static_cast<unsigned char>(arg[j])) && n <= 100000) {
                n = n * 10 + (arg[j++] - '0');
            }
            int &mapped = numbering[n];
            if (mapped == 0) {
                ServerParam sp;
                sp.callerIndex = n - 1;
                stmt.params.push_back(sp);
                stmt.types.push_back(n >= 1 && n <= nParams && paramTypes != nullptr ? paramTypes[n - 1] : 0);
                mapped = static_cast<int>(stmt.params.size());
            }
            out += "$" + std::to_string(mapped);
            i = j;
            continue;
        }
        out += arg[i++];
    }
    return out;
}

// The server statement for a call of `r`, with the parameter mapping and the
// shape of the out result.
std::shared_ptr<Statement> CallStatement(PGconn *conn, const CallText &call, const Routine &r, Fit fit, int nParams,
                                         const Oid *paramTypes) {
    auto stmt = std::make_shared<Statement>();
    stmt->mapped = true;
    auto shape = std::make_shared<OutShape>();
    shape->nParams = nParams;
    shape->column.assign(static_cast<size_t>(nParams), -1);
    shape->types.assign(static_cast<size_t>(nParams), 0);
    for (int k = 0; k < nParams; ++k) {
        shape->names.push_back("$" + std::to_string(k + 1));
        if (paramTypes != nullptr) shape->types[static_cast<size_t>(k)] = paramTypes[k];
    }

    // Result column of each output argument.
    std::vector<int> outColumn(r.args.size(), -1);
    int columns = 0;
    for (size_t pos = 0; pos < r.args.size(); ++pos) {
        if (r.IsOutput(pos)) outColumn[pos] = columns++;
    }
    const bool isFunction = r.kind != 'p';

    std::map<int, int> numbering;
    std::string list;
    size_t nextInput = 0;
    stmt->modes.assign(static_cast<size_t>(nParams), 1);
    for (size_t j = 0; j < call.args.size(); ++j) {
        const size_t pos = ArgumentPosition(r, fit, j, nextInput);
        const Argument &arg = r.args[pos];
        const int k = DirectParam(call.args[j]);
        const bool inParams = k >= 1 && k <= nParams;
        if (inParams) {
            const size_t idx = static_cast<size_t>(k - 1);
            stmt->modes[idx] = arg.mode == 'b' ? 3 : arg.mode == 'o' || arg.mode == 't' ? 2 : 1;
            if (!arg.name.empty()) shape->names[idx] = arg.name;
            if (outColumn[pos] >= 0) shape->column[idx] = outColumn[pos];
            if (shape->types[idx] == 0) shape->types[idx] = arg.type;
        }
        // A function's OUT arguments are not part of its call.
        if (isFunction && (arg.mode == 'o' || arg.mode == 't')) continue;
        if (!list.empty()) list += ", ";
        if (inParams && numbering.count(k) == 0) {
            ServerParam sp;
            sp.callerIndex = k - 1;
            sp.alwaysNull = arg.mode == 'o';  // a procedure's OUT argument is not evaluated
            const Oid callerType = paramTypes != nullptr ? paramTypes[k - 1] : 0;
            stmt->params.push_back(sp);
            stmt->types.push_back(TextLike(callerType) || sp.alwaysNull ? arg.type : callerType);
            numbering[k] = static_cast<int>(stmt->params.size());
            list += "$" + std::to_string(numbering[k]);
        } else {
            list += Renumber(call.args[j], numbering, *stmt, nParams, paramTypes);
        }
    }

    const std::string routine = QuoteIdent(conn, r.schema.c_str()) + "." + QuoteIdent(conn, r.name.c_str());
    if (!isFunction) {
        stmt->text = "CALL " + routine + "(" + list + ")";
    } else if (r.HasOutputs()) {
        stmt->text = "SELECT * FROM " + routine + "(" + list + ")";
    } else {
        stmt->text = "SELECT " + routine + "(" + list + ")";
    }
    stmt->out = std::move(shape);
    return stmt;
}

// The statement PQprepareOut prepares for `query`, or null with *failed set
// to the lookup's failed result.
std::shared_ptr<Statement> StatementFor(PGconn *conn, const char *query, int nParams, const Oid *paramTypes,
                                        PGresult **failed) {
    *failed = nullptr;
    CallText call;
    if (ParseCall(query, call)) {
        Routine routine;
        Fit fit = Fit::None;
        bool found = false;
        *failed = FindRoutine(conn, call, nParams, paramTypes, routine, fit, found);
        if (*failed != nullptr) return nullptr;
        if (found) return CallStatement(conn, call, routine, fit, nParams, paramTypes);
    }
    // Not a call of a routine we know: the text goes to the server as it is.
    auto stmt = std::make_shared<Statement>();
    stmt->text = query;
    for (int i = 0; i < nParams; ++i) stmt->types.push_back(paramTypes != nullptr ? paramTypes[i] : 0);
    return stmt;
}

int ParamCount(const Statement &stmt) { return static_cast<int>(stmt.types.size()); }

}  // namespace

void QueueOutResult(ConnState *st, const OutShape &shape, const PGresult *call) {
    const ExecStatusType status = PQresultStatus(call);
    if ((status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) || shape.nParams == 0) return;
    PGresult *out = PQmakeEmptyPGresult(nullptr, PGRES_TUPLES_OK);
    if (out == nullptr) return;
    const int fields = PQnfields(call);
    const bool hasRow = PQntuples(call) > 0;
    std::vector<PGresAttDesc> attrs(static_cast<size_t>(shape.nParams));
    for (size_t k = 0; k < attrs.size(); ++k) {
        const int col = shape.column[k];
        const bool filled = col >= 0 && col < fields;
        PGresAttDesc &a = attrs[k];
        a.name = const_cast<char *>(shape.names[k].c_str());
        a.tableid = 0;
        a.columnid = 0;
        a.format = filled ? PQfformat(call, col) : 0;
        a.typid = filled ? PQftype(call, col) : (shape.types[k] != 0 ? shape.types[k] : kTextOid);
        a.typlen = filled ? PQfsize(call, col) : -1;
        a.atttypmod = filled ? PQfmod(call, col) : -1;
    }
    bool ok = PQsetResultAttrs(out, shape.nParams, attrs.data()) != 0;
    for (int k = 0; ok && k < shape.nParams; ++k) {
        const int col = shape.column[static_cast<size_t>(k)];
        if (col >= 0 && col < fields && hasRow && !PQgetisnull(call, 0, col)) {
            ok = PQsetvalue(out, 0, k, PQgetvalue(call, 0, col), PQgetlength(call, 0, col)) != 0;
        } else {
            ok = PQsetvalue(out, 0, k, nullptr, -1) != 0;
        }
    }
    if (!ok) {
        PQclear(out);
        return;
    }
    st->outResults.push_back(out);
}

}  // namespace pqext

using namespace pqext;

PGresult *PQprepareOut(PGconn *conn, const char *stmtName, const char *query, int nParams, const Oid *paramTypes,
                       const int * /*paramModes*/) {
    return Guarded(static_cast<PGresult *>(nullptr), [&]() -> PGresult * {
        ConnState *st = State(conn);
        if (st == nullptr || stmtName == nullptr || query == nullptr || nParams < 0) return nullptr;
        if (!Settle(conn, st, false)) return PQmakeEmptyPGresult(conn, PGRES_FATAL_ERROR);
        PGresult *failed = nullptr;
        std::shared_ptr<Statement> stmt = StatementFor(conn, query, nParams, paramTypes, &failed);
        if (!stmt) return failed;
        PGresult *res = PQprepare(conn, stmtName, stmt->text.c_str(), ParamCount(*stmt), stmt->types.data());
        if (PQresultStatus(res) == PGRES_COMMAND_OK) st->statements[stmtName] = std::move(stmt);
        return res;
    });
}

int PQsendPrepareOut(PGconn *conn, const char *stmtName, const char *query, int nParams, const Oid *paramTypes,
                     const int * /*paramModes*/) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || stmtName == nullptr || query == nullptr || nParams < 0) return 0;
        if (!Settle(conn, st, false)) return 0;
        PGresult *failed = nullptr;
        std::shared_ptr<Statement> stmt = StatementFor(conn, query, nParams, paramTypes, &failed);
        if (!stmt) {
            PQclear(failed);
            return 0;
        }
        if (!PQsendPrepare(conn, stmtName, stmt->text.c_str(), ParamCount(*stmt), stmt->types.data())) return 0;
        st->statements[stmtName] = std::move(stmt);
        return 1;
    });
}

int PQsendQueryPreparedOut(PGconn *conn, const char *stmtName, int nParams, const char *const *paramValues,
                           const int *paramLengths, const int *paramFormats, int resultFormat) {
    return Guarded(0, [&] {
        ConnState *st = State(conn);
        if (st == nullptr || stmtName == nullptr || nParams < 0 || !Settle(conn, st, false)) return 0;
        st->pendingOut.reset();
        auto it = st->statements.find(stmtName);
        if (it == st->statements.end() || !it->second->mapped) {
            return PQsendQueryPrepared(conn, stmtName, nParams, paramValues, paramLengths, paramFormats,
                                       resultFormat);
        }
        const Statement &stmt = *it->second;
        const size_t n = stmt.params.size();
        std::vector<const char *> values(n, nullptr);
        std::vector<int> lengths(n, 0), formats(n, 0);
        for (size_t i = 0; i < n; ++i) {
            const ServerParam &sp = stmt.params[i];
            if (sp.alwaysNull || sp.callerIndex < 0 || sp.callerIndex >= nParams) continue;
            const size_t from = static_cast<size_t>(sp.callerIndex);
            values[i] = paramValues != nullptr ? paramValues[from] : nullptr;
            lengths[i] = paramLengths != nullptr ? paramLengths[from] : 0;
            formats[i] = paramFormats != nullptr ? paramFormats[from] : 0;
        }
        if (!PQsendQueryPrepared(conn, stmtName, static_cast<int>(n), values.data(), lengths.data(), formats.data(),
                                 resultFormat)) {
            return 0;
        }
        st->pendingOut = stmt.out;
        return 1;
    });
}

int PQextCallModes(PGconn *conn, const char *stmtName, int nParams, int *modes) {
    ConnState *st = ExistingState(conn);
    if (st == nullptr || stmtName == nullptr || modes == nullptr || nParams < 0) return 0;
    const auto found = st->statements.find(stmtName);
    if (found == st->statements.end() || !found->second || !found->second->mapped ||
        found->second->modes.size() != static_cast<size_t>(nParams))
        return 0;
    std::copy(found->second->modes.begin(), found->second->modes.end(), modes);
    return 1;
}

PGresult *PQgetOutResult(PGconn *conn) {
    ConnState *st = ExistingState(conn);
    if (st == nullptr || st->outResults.empty()) return nullptr;
    PGresult *out = st->outResults.front();
    st->outResults.pop_front();
    return out;
}

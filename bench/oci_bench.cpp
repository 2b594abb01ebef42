// Query workloads through the library side by side with plain libpq on the
// same server, in one process:
//
//   fetch    1M rows (int4, numeric, varchar, timestamp) into C variables
//            with array defines of 1000, against libpq single-row mode and
//            a libpq cursor read with FETCH 1000
//   onerow   the same rows, one row per OCIStmtFetch2 call and no prefetch
//            attribute, against libpq single-row mode
//   point    10,000 executions of a prepared primary-key select with a bind
//            and a define, against PQexecPrepared and against the same
//            execution between a savepoint and its release sent together
//            in one pipeline inside a transaction (what statement-level
//            atomicity costs when done by hand; compare with OCI_COMPAT=oracle)
//
// Every variant runs `runs` times in rotated order; medians and the ratio to
// the libpq reference are printed. Usage: oci_bench <connect-uri> [runs]
// (the table bench_rows is created when missing).
#include <libpq-fe.h>
#include <oci.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 1000000;
constexpr int kArray = 1000;
constexpr int kPointSelects = 10000;
const char kQuery[] = "select id, n, v, t from bench_rows";

[[noreturn]] void Die(const std::string &what) {
    std::fprintf(stderr, "oci_bench: %s\n", what.c_str());
    std::exit(1);
}

const OraText *Text(const char *s) { return reinterpret_cast<const OraText *>(s); }

// What each variant accumulates from the rows, so that every value is read.
struct Sink {
    long long ids = 0;
    double sum = 0;
    size_t chars = 0;
    long long seconds = 0;
    long rows = 0;
};

// "YYYY-MM-DD HH:MI:SS[.ffffff]" into seconds of the day plus the day, the
// work a libpq program does to get a timestamp into C fields.
long long ParseTimestamp(const char *s) {
    auto num = [](const char *p, int n) {
        int v = 0;
        for (int i = 0; i < n; ++i) v = v * 10 + (p[i] - '0');
        return v;
    };
    const int day = num(s + 8, 2), hour = num(s + 11, 2), minute = num(s + 14, 2), second = num(s + 17, 2);
    return day * 86400LL + hour * 3600 + minute * 60 + second;
}

void TakeRow(Sink &sink, const PGresult *res, int r) {
    sink.ids += std::atoi(PQgetvalue(res, r, 0));
    sink.sum += std::strtod(PQgetvalue(res, r, 1), nullptr);
    char v[41];
    std::snprintf(v, sizeof v, "%s", PQgetvalue(res, r, 2));
    sink.chars += std::strlen(v);
    sink.seconds += ParseTimestamp(PQgetvalue(res, r, 3));
    ++sink.rows;
}

void Check(const Sink &sink, const char *what) {
    if (sink.rows != kRows) Die(std::string(what) + ": " + std::to_string(sink.rows) + " rows");
}

// ---- libpq -----------------------------------------------------------------

PGconn *Connect(const std::string &uri) {
    PGconn *conn = PQconnectdb(uri.c_str());
    if (PQstatus(conn) != CONNECTION_OK) Die(PQerrorMessage(conn));
    PQclear(PQexec(conn, "set DateStyle to 'ISO'"));
    return conn;
}

void Exec(PGconn *conn, const char *sql) {
    PGresult *res = PQexec(conn, sql);
    if (PQresultStatus(res) != PGRES_COMMAND_OK && PQresultStatus(res) != PGRES_TUPLES_OK)
        Die(std::string(sql) + ": " + PQerrorMessage(conn));
    PQclear(res);
}

void SingleRowMode(PGconn *conn) {
    Sink sink;
    if (!PQsendQuery(conn, kQuery) || !PQsetSingleRowMode(conn)) Die(PQerrorMessage(conn));
    while (PGresult *res = PQgetResult(conn)) {
        if (PQresultStatus(res) == PGRES_SINGLE_TUPLE) TakeRow(sink, res, 0);
        else if (PQresultStatus(res) != PGRES_TUPLES_OK) Die(PQerrorMessage(conn));
        PQclear(res);
    }
    Check(sink, "single-row mode");
}

void CursorFetch1000(PGconn *conn) {
    Sink sink;
    Exec(conn, "BEGIN");
    Exec(conn, (std::string("DECLARE c NO SCROLL CURSOR FOR ") + kQuery).c_str());
    for (;;) {
        PGresult *res = PQexec(conn, "FETCH FORWARD 1000 FROM c");
        if (PQresultStatus(res) != PGRES_TUPLES_OK) Die(PQerrorMessage(conn));
        const int n = PQntuples(res);
        for (int r = 0; r < n; ++r) TakeRow(sink, res, r);
        PQclear(res);
        if (n == 0) break;
    }
    Exec(conn, "CLOSE c");
    Exec(conn, "COMMIT");
    Check(sink, "FETCH 1000");
}

void PreparePoint(PGconn *conn) {
    static bool prepared = false;
    if (!prepared) {
        PGresult *res = PQprepare(conn, "point", "select v from bench_rows where id = $1", 1, nullptr);
        if (PQresultStatus(res) != PGRES_COMMAND_OK) Die(PQerrorMessage(conn));
        PQclear(res);
        prepared = true;
    }
}

void PointSelectsLibpq(PGconn *conn) {
    PreparePoint(conn);
    size_t chars = 0;
    for (int i = 0; i < kPointSelects; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%d", (i * 7919) % kRows + 1);
        const char *values[1] = {id};
        PGresult *res = PQexecPrepared(conn, "point", 1, values, nullptr, nullptr, 0);
        if (PQresultStatus(res) != PGRES_TUPLES_OK || PQntuples(res) != 1) Die(PQerrorMessage(conn));
        char v[41];
        std::snprintf(v, sizeof v, "%s", PQgetvalue(res, 0, 0));
        chars += std::strlen(v);
        PQclear(res);
    }
    if (chars == 0) Die("point selects read nothing");
}

// The point select inside a transaction, each execution between a
// savepoint and its release, the three sent in one pipeline.
void PointSelectsLibpqSavepoints(PGconn *conn) {
    PreparePoint(conn);
    Exec(conn, "BEGIN");
    size_t chars = 0;
    for (int i = 0; i < kPointSelects; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "%d", (i * 7919) % kRows + 1);
        const char *values[1] = {id};
        if (PQenterPipelineMode(conn) != 1 ||
            PQsendQueryParams(conn, "SAVEPOINT s", 0, nullptr, nullptr, nullptr, nullptr, 0) != 1 ||
            PQsendQueryPrepared(conn, "point", 1, values, nullptr, nullptr, 0) != 1 ||
            PQsendQueryParams(conn, "RELEASE SAVEPOINT s", 0, nullptr, nullptr, nullptr, nullptr, 0) != 1 ||
            PQpipelineSync(conn) != 1)
            Die(PQerrorMessage(conn));
        for (int command = 0; command < 3; ++command) {
            while (PGresult *res = PQgetResult(conn)) {
                if (command == 1) {
                    if (PQresultStatus(res) != PGRES_TUPLES_OK || PQntuples(res) != 1) Die(PQerrorMessage(conn));
                    chars += std::strlen(PQgetvalue(res, 0, 0));
                }
                PQclear(res);
            }
        }
        PGresult *sync = PQgetResult(conn);
        if (PQresultStatus(sync) != PGRES_PIPELINE_SYNC) Die("pipeline out of step");
        PQclear(sync);
        if (PQexitPipelineMode(conn) != 1) Die(PQerrorMessage(conn));
    }
    Exec(conn, "COMMIT");
    if (chars == 0) Die("point selects read nothing");
}

// ---- the library ------------------------------------------------------------

struct Oci {
    OCIStmt *point = nullptr;  // the point select, prepared on first use
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIServer *server = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;

    explicit Oci(const std::string &uri) {
        if (OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS)
            Die("OCIEnvCreate");
        OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&server), OCI_HTYPE_SERVER, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&session), OCI_HTYPE_SESSION, 0, nullptr);
        Ok(OCIServerAttach(server, err, Text(uri.c_str()), static_cast<sb4>(uri.size()), OCI_DEFAULT), "attach");
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
        Ok(OCISessionBegin(svc, err, session, OCI_CRED_RDBMS, OCI_DEFAULT), "session");
    }
    ~Oci() { OCIHandleFree(env, OCI_HTYPE_ENV); }

    void Ok(sword rc, const char *what) {
        if (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) return;
        sb4 code = 0;
        OraText msg[512] = {};
        OCIErrorGet(err, 1, nullptr, &code, msg, sizeof msg, OCI_HTYPE_ERROR);
        Die(std::string(what) + ": " + reinterpret_cast<char *>(msg));
    }
    OCIStmt *Prepare(const char *sql) {
        OCIStmt *stmt = nullptr;
        OCIHandleAlloc(env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr);
        Ok(OCIStmtPrepare(stmt, err, Text(sql), static_cast<ub4>(std::strlen(sql)), OCI_NTV_SYNTAX, OCI_DEFAULT),
           "prepare");
        return stmt;
    }
    void Define(OCIStmt *stmt, ub4 pos, void *buf, sb4 size, ub2 type, sb2 *ind) {
        OCIDefine *d = nullptr;
        Ok(OCIDefineByPos(stmt, &d, err, pos, buf, size, type, ind, nullptr, nullptr, OCI_DEFAULT), "define");
    }
};

struct Rows {
    std::vector<int> id;
    std::vector<double> n;
    std::vector<char> v;
    std::vector<OCIDate> t;
    std::vector<sb2> ind;
    explicit Rows(size_t k) : id(k), n(k), v(k * 41), t(k), ind(k * 4) {}
    void Define(Oci &oci, OCIStmt *stmt) {
        const size_t k = id.size();
        oci.Define(stmt, 1, id.data(), sizeof(int), SQLT_INT, &ind[0]);
        oci.Define(stmt, 2, n.data(), sizeof(double), SQLT_FLT, &ind[k]);
        oci.Define(stmt, 3, v.data(), 41, SQLT_STR, &ind[2 * k]);
        oci.Define(stmt, 4, t.data(), sizeof(OCIDate), SQLT_ODT, &ind[3 * k]);
    }
    void Take(Sink &sink, ub4 count) const {
        for (ub4 r = 0; r < count; ++r) {
            sink.ids += id[r];
            sink.sum += n[r];
            sink.chars += std::strlen(&v[r * 41]);
            sink.seconds += t[r].OCIDateDD * 86400LL + t[r].OCIDateTime.OCITimeHH * 3600 +
                            t[r].OCIDateTime.OCITimeMI * 60 + t[r].OCIDateTime.OCITimeSS;
            ++sink.rows;
        }
    }
};

void OciArrayFetch(Oci &oci) {
    OCIStmt *stmt = oci.Prepare(kQuery);
    Rows rows(kArray);
    rows.Define(oci, stmt);
    Sink sink;
    oci.Ok(OCIStmtExecute(oci.svc, stmt, oci.err, 0, 0, nullptr, nullptr, OCI_DEFAULT), "execute");
    for (;;) {
        const sword rc = OCIStmtFetch2(stmt, oci.err, kArray, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
        if (rc != OCI_SUCCESS && rc != OCI_NO_DATA) oci.Ok(rc, "fetch");
        ub4 got = 0;
        OCIAttrGet(stmt, OCI_HTYPE_STMT, &got, nullptr, OCI_ATTR_ROWS_FETCHED, oci.err);
        rows.Take(sink, got);
        if (rc == OCI_NO_DATA) break;
    }
    OCIHandleFree(stmt, OCI_HTYPE_STMT);
    OCITransCommit(oci.svc, oci.err, OCI_DEFAULT);
    Check(sink, "OCI array fetch");
}

void OciOneRow(Oci &oci) {
    OCIStmt *stmt = oci.Prepare(kQuery);
    Rows rows(1);
    rows.Define(oci, stmt);
    Sink sink;
    oci.Ok(OCIStmtExecute(oci.svc, stmt, oci.err, 0, 0, nullptr, nullptr, OCI_DEFAULT), "execute");
    for (;;) {
        const sword rc = OCIStmtFetch2(stmt, oci.err, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
        if (rc == OCI_NO_DATA) break;
        oci.Ok(rc, "fetch");
        rows.Take(sink, 1);
    }
    OCIHandleFree(stmt, OCI_HTYPE_STMT);
    OCITransCommit(oci.svc, oci.err, OCI_DEFAULT);
    Check(sink, "OCI one row per call");
}

void OciPointSelects(Oci &oci) {
    static int id = 0;
    static char v[41];
    OCIStmt *&stmt = oci.point;
    if (stmt == nullptr) {
        stmt = oci.Prepare("select v from bench_rows where id = :id");
        OCIBind *b = nullptr;
        oci.Ok(OCIBindByName(stmt, &b, oci.err, Text(":id"), -1, &id, sizeof id, SQLT_INT, nullptr, nullptr, nullptr,
                             0, nullptr, OCI_DEFAULT),
               "bind");
        oci.Define(stmt, 1, v, sizeof v, SQLT_STR, nullptr);
    }
    size_t chars = 0;
    for (int i = 0; i < kPointSelects; ++i) {
        id = (i * 7919) % kRows + 1;
        oci.Ok(OCIStmtExecute(oci.svc, stmt, oci.err, 1, 0, nullptr, nullptr, OCI_DEFAULT), "point select");
        chars += std::strlen(v);
    }
    if (chars == 0) Die("point selects read nothing");
}

// ---- measuring ----------------------------------------------------------------

struct Variant {
    const char *name;
    std::function<void()> run;
    std::vector<double> seconds;
    std::vector<double> cpu;  // this process's CPU time: the client's share
};

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// Runs the variants `runs` times, each round starting one further on, and
// prints medians with each one's ratio to the first variant: wall time, and
// the client's CPU time (less sensitive to other load on the machine).
void Measure(const char *title, std::vector<Variant> variants, int runs) {
    for (int round = 0; round < runs; ++round) {
        for (size_t k = 0; k < variants.size(); ++k) {
            Variant &v = variants[(k + round) % variants.size()];
            const auto start = std::chrono::steady_clock::now();
            const double cpuStart = ProcessCpuSeconds();
            v.run();
            v.cpu.push_back(ProcessCpuSeconds() - cpuStart);
            v.seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::printf("\n%s (median of %d)\n", title, runs);
    const double reference = Median(variants[0].seconds);
    const double cpuReference = Median(variants[0].cpu);
    for (const Variant &v : variants)
        std::printf("  %-44s %9.3f s  %6.2fx   client cpu %7.3f s  %6.2fx\n", v.name, Median(v.seconds),
                    Median(v.seconds) / reference, Median(v.cpu), Median(v.cpu) / cpuReference);
    std::fflush(stdout);
}

void CreateTable(PGconn *conn) {
    PGresult *res = PQexec(conn, "select count(*) from bench_rows");
    const bool ready = PQresultStatus(res) == PGRES_TUPLES_OK && std::atoi(PQgetvalue(res, 0, 0)) == kRows;
    PQclear(res);
    if (ready) return;
    Exec(conn, "drop table if exists bench_rows");
    Exec(conn, "create table bench_rows (id int4 primary key, n numeric(12,2), v varchar(40), t timestamp)");
    Exec(conn, "insert into bench_rows select g, g * 1.25, 'row number ' || g, "
               "timestamp '2024-01-01' + g * interval '1 second' from generate_series(1, 1000000) g");
    Exec(conn, "vacuum analyze bench_rows");
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) Die("usage: oci_bench <connect-uri> [runs] [fetch|onerow|point ...]");
    const std::string uri = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    std::vector<std::string> only(argv + std::min(argc, 3), argv + argc);
    auto wanted = [&](const char *w) { return only.empty() || std::find(only.begin(), only.end(), w) != only.end(); };

    PGconn *conn = Connect(uri);
    CreateTable(conn);
    Oci oci(uri);
    // The same calls in the Oracle-compatible mode (statement-level
    // atomicity), when the process runs in the default one.
    const char *compat = std::getenv("OCI_COMPAT");
    const bool defaultMode = compat == nullptr || std::strcmp(compat, "oracle") != 0;
    std::unique_ptr<Oci> oracle;
    if (defaultMode && wanted("point")) {
        setenv("OCI_COMPAT", "oracle", 1);
        oracle = std::make_unique<Oci>(uri);
        unsetenv("OCI_COMPAT");
    }

    if (wanted("fetch"))
        Measure("fetch 1M rows, array defines of 1000",
                {{"libpq single-row mode", [&] { SingleRowMode(conn); }, {}, {}},
                 {"libpq FETCH 1000 cursor", [&] { CursorFetch1000(conn); }, {}, {}},
                 {"OCIStmtExecute + OCIStmtFetch2 (1000 rows)", [&] { OciArrayFetch(oci); }, {}, {}}},
                runs);
    if (wanted("onerow"))
        Measure("fetch 1M rows, one row per call, no prefetch attribute",
                {{"libpq single-row mode", [&] { SingleRowMode(conn); }, {}, {}},
                 {"OCIStmtFetch2 (1 row per call)", [&] { OciOneRow(oci); }, {}, {}}},
                runs);
    if (wanted("point"))
        Measure("prepared point select by primary key, 10k executes",
                {{"PQexecPrepared", [&] { PointSelectsLibpq(conn); }, {}, {}},
                 {"libpq savepoint + select + release, 1 trip", [&] { PointSelectsLibpqSavepoints(conn); }, {}, {}},
                 {"OCIStmtExecute (bind + define)", [&] { OciPointSelects(oci); }, {}, {}}},
                runs);
    if (oracle != nullptr)
        Measure("the same, OCI_COMPAT=oracle beside the default mode",
                {{"PQexecPrepared", [&] { PointSelectsLibpq(conn); }, {}, {}},
                 {"libpq savepoint + select + release, 1 trip", [&] { PointSelectsLibpqSavepoints(conn); }, {}, {}},
                 {"OCIStmtExecute, default mode", [&] { OciPointSelects(oci); }, {}, {}},
                 {"OCIStmtExecute, OCI_COMPAT=oracle", [&] { OciPointSelects(*oracle); }, {}, {}}},
                runs);
    oracle.reset();
    PQfinish(conn);
    return 0;
}

// Inserting 100,000 rows in one transaction: through the library with an
// array bind of 1000 rows per OCIStmtExecute, side by side with libpq's
// pipeline mode (a prepared INSERT per row, a sync every 1000 rows) and
// COPY FROM STDIN. Prints the median of several rotated runs of each and
// the ratios.
//
// Usage: bench_insert <connection URI> [runs] [library|pipeline|copy]
// (with a variant named, only that one runs: for profiling).
#include <libpq-fe.h>
#include <oci.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kBatch = 1000;
constexpr int kNameSize = 41;

struct Rows {
    std::vector<int> ids, qty;
    std::vector<char> names;  // kNameSize bytes per row, NUL-terminated
    Rows() : ids(kRows), qty(kRows), names(static_cast<size_t>(kRows) * kNameSize) {
        for (int i = 0; i < kRows; ++i) {
            ids[i] = i + 1;
            qty[i] = (i * 7) % 1000;
            std::snprintf(&names[static_cast<size_t>(i) * kNameSize], kNameSize, "name %d", i);
        }
    }
    const char *Name(int i) const { return &names[static_cast<size_t>(i) * kNameSize]; }
};

[[noreturn]] void Die(const std::string &what) {
    std::fprintf(stderr, "bench_insert: %s\n", what.c_str());
    std::exit(1);
}

void Exec(PGconn *conn, const char *sql) {
    PGresult *res = PQexec(conn, sql);
    if (PQresultStatus(res) != PGRES_COMMAND_OK) Die(std::string(sql) + ": " + PQerrorMessage(conn));
    PQclear(res);
}

void Reset(PGconn *admin) {
    Exec(admin, "drop table if exists bench_ins");
    Exec(admin, "create table bench_ins (id int4 primary key, qty int4, name varchar(40))");
}

void CheckCount(PGconn *admin) {
    PGresult *res = PQexec(admin, "select count(*) from bench_ins");
    const bool ok = PQresultStatus(res) == PGRES_TUPLES_OK && std::atoi(PQgetvalue(res, 0, 0)) == kRows;
    PQclear(res);
    if (!ok) Die("wrong row count after a run");
}

// ---- through the library ------------------------------------------------

struct Oci {
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIServer *srv = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *ses = nullptr;

    void Check(sword rc, const char *what) {
        if (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) return;
        text msg[1024] = "";
        sb4 code = 0;
        OCIErrorGet(err, 1, nullptr, &code, msg, sizeof msg, OCI_HTYPE_ERROR);
        Die(std::string(what) + ": " + reinterpret_cast<char *>(msg));
    }
    explicit Oci(const std::string &uri) {
        if (OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr) != OCI_SUCCESS)
            Die("OCIEnvCreate");
        OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&srv), OCI_HTYPE_SERVER, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr);
        OCIHandleAlloc(env, reinterpret_cast<void **>(&ses), OCI_HTYPE_SESSION, 0, nullptr);
        Check(OCIServerAttach(srv, err, reinterpret_cast<const OraText *>(uri.c_str()), static_cast<sb4>(uri.size()),
                              OCI_DEFAULT),
              "OCIServerAttach");
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, srv, 0, OCI_ATTR_SERVER, err);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, ses, 0, OCI_ATTR_SESSION, err);
        Check(OCISessionBegin(svc, err, ses, OCI_CRED_RDBMS, OCI_DEFAULT), "OCISessionBegin");
    }
    ~Oci() {
        OCISessionEnd(svc, err, ses, OCI_DEFAULT);
        OCIHandleFree(env, OCI_HTYPE_ENV);
    }
};

void ThroughLibrary(Oci &oci, const Rows &rows) {
    OCIStmt *stmt = nullptr;
    OCIHandleAlloc(oci.env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr);
    static const char sql[] = "insert into bench_ins (id, qty, name) values (:1, :2, :3)";
    oci.Check(OCIStmtPrepare(stmt, oci.err, reinterpret_cast<const OraText *>(sql), sizeof sql - 1, OCI_NTV_SYNTAX,
                             OCI_DEFAULT),
              "OCIStmtPrepare");
    // One batch of arrays, bound once and filled before each execution as
    // an application fills them.
    std::vector<int> ids(kBatch), qty(kBatch);
    std::vector<char> names(static_cast<size_t>(kBatch) * kNameSize);
    OCIBind *b1 = nullptr, *b2 = nullptr, *b3 = nullptr;
    oci.Check(OCIBindByPos(stmt, &b1, oci.err, 1, ids.data(), sizeof(int), SQLT_INT, nullptr, nullptr, nullptr, 0,
                           nullptr, OCI_DEFAULT),
              "OCIBindByPos");
    oci.Check(OCIBindByPos(stmt, &b2, oci.err, 2, qty.data(), sizeof(int), SQLT_INT, nullptr, nullptr, nullptr, 0,
                           nullptr, OCI_DEFAULT),
              "OCIBindByPos");
    oci.Check(OCIBindByPos(stmt, &b3, oci.err, 3, names.data(), kNameSize, SQLT_STR, nullptr, nullptr, nullptr, 0,
                           nullptr, OCI_DEFAULT),
              "OCIBindByPos");
    for (int first = 0; first < kRows; first += kBatch) {
        std::copy(rows.ids.begin() + first, rows.ids.begin() + first + kBatch, ids.begin());
        std::copy(rows.qty.begin() + first, rows.qty.begin() + first + kBatch, qty.begin());
        std::memcpy(names.data(), rows.Name(first), names.size());
        oci.Check(OCIStmtExecute(oci.svc, stmt, oci.err, kBatch, 0, nullptr, nullptr, OCI_DEFAULT), "OCIStmtExecute");
    }
    oci.Check(OCITransCommit(oci.svc, oci.err, OCI_DEFAULT), "OCITransCommit");
    OCIHandleFree(stmt, OCI_HTYPE_STMT);
}

// ---- libpq pipeline mode ---------------------------------------------------

void Pipeline(PGconn *conn, const Rows &rows) {
    Exec(conn, "begin");
    PGresult *prep = PQprepare(conn, "bench_ins_stmt", "insert into bench_ins (id, qty, name) values ($1, $2, $3)",
                               3, nullptr);
    if (PQresultStatus(prep) != PGRES_COMMAND_OK) Die(PQerrorMessage(conn));
    PQclear(prep);
    PQenterPipelineMode(conn);
    for (int first = 0; first < kRows; first += kBatch) {
        for (int i = first; i < first + kBatch; ++i) {
            char id[16], qty[16];
            std::snprintf(id, sizeof id, "%d", rows.ids[i]);
            std::snprintf(qty, sizeof qty, "%d", rows.qty[i]);
            const char *values[3] = {id, qty, rows.Name(i)};
            if (!PQsendQueryPrepared(conn, "bench_ins_stmt", 3, values, nullptr, nullptr, 0)) Die(PQerrorMessage(conn));
        }
        PQpipelineSync(conn);
        for (;;) {
            PGresult *res = PQgetResult(conn);
            if (res == nullptr) continue;  // end of one INSERT's results
            const ExecStatusType status = PQresultStatus(res);
            PQclear(res);
            if (status == PGRES_PIPELINE_SYNC) break;
            if (status != PGRES_COMMAND_OK) Die(PQerrorMessage(conn));
        }
    }
    PQexitPipelineMode(conn);
    Exec(conn, "commit");
    Exec(conn, "deallocate bench_ins_stmt");
}

// ---- COPY ---------------------------------------------------------------------

void Copy(PGconn *conn, const Rows &rows) {
    Exec(conn, "begin");
    PGresult *res = PQexec(conn, "copy bench_ins (id, qty, name) from stdin");
    if (PQresultStatus(res) != PGRES_COPY_IN) Die(PQerrorMessage(conn));
    PQclear(res);
    std::string chunk;
    for (int i = 0; i < kRows; ++i) {
        chunk += std::to_string(rows.ids[i]);
        chunk += '\t';
        chunk += std::to_string(rows.qty[i]);
        chunk += '\t';
        chunk += rows.Name(i);
        chunk += '\n';
        if (chunk.size() > 65536 || i + 1 == kRows) {
            if (PQputCopyData(conn, chunk.data(), static_cast<int>(chunk.size())) != 1) Die(PQerrorMessage(conn));
            chunk.clear();
        }
    }
    if (PQputCopyEnd(conn, nullptr) != 1) Die(PQerrorMessage(conn));
    res = PQgetResult(conn);
    if (PQresultStatus(res) != PGRES_COMMAND_OK) Die(PQerrorMessage(conn));
    PQclear(res);
    while ((res = PQgetResult(conn)) != nullptr) PQclear(res);
    Exec(conn, "commit");
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 2) Die("usage: bench_insert <connection URI> [runs]");
    const std::string uri = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const char *keys[3] = {"library", "pipeline", "copy"};
    int only = -1;
    for (int k = 0; argc > 3 && k < 3; ++k)
        if (std::strcmp(argv[3], keys[k]) == 0) only = k;
    const Rows rows;
    PGconn *admin = PQconnectdb(uri.c_str());
    PGconn *plain = PQconnectdb(uri.c_str());
    if (PQstatus(admin) != CONNECTION_OK || PQstatus(plain) != CONNECTION_OK) Die(PQerrorMessage(admin));
    Oci oci(uri);

    const char *names[3] = {"OCIStmtExecute(iters = 1000)", "libpq pipeline mode", "COPY FROM STDIN"};
    std::vector<double> times[3];
    for (int run = 0; run < runs; ++run) {
        // The order rotates so that no variant always runs on a warm or cold server.
        for (int k = 0; k < 3; ++k) {
            const int variant = (run + k) % 3;
            if (only >= 0 && variant != only) continue;
            Reset(admin);
            const auto start = std::chrono::steady_clock::now();
            if (variant == 0) ThroughLibrary(oci, rows);
            else if (variant == 1) Pipeline(plain, rows);
            else Copy(plain, rows);
            times[variant].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
            CheckCount(admin);
        }
    }
    if (only >= 0) {
        std::printf("%s: %.3f s (median of %d runs)\n", names[only], Median(times[only]), runs);
        return 0;
    }
    const double lib = Median(times[0]), pipe = Median(times[1]), copy = Median(times[2]);
    std::printf("insert %d rows, one transaction, median of %d runs\n", kRows, runs);
    for (int k = 0; k < 3; ++k) std::printf("  %-30s %8.3f s\n", names[k], Median(times[k]));
    std::printf("  library / pipeline  %.2fx (target <= 1.0x)\n", lib / pipe);
    std::printf("  library / COPY      %.2fx\n", lib / copy);
    std::printf("  pipeline / COPY     %.2fx\n", pipe / copy);
    PQfinish(plain);
    PQfinish(admin);
    return 0;
}

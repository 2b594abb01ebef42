/* The C references for the node-oracledb fetch benchmark: one fetch of the
 * first <rows> rows of bench_rows, through the library (array defines of
 * <array> rows into C variables) or through plain libpq (single-row mode).
 * Connecting is not timed. Prints the seconds the fetch took and the rows
 * read, as "<seconds> <rows>".
 *
 *   fetch_ref <connect-uri> oci|libpq <rows> <array>
 */
#define _POSIX_C_SOURCE 200809L
#include <libpq-fe.h>
#include <oci.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static void die(const char *what, const char *detail) {
    fprintf(stderr, "fetch_ref: %s%s%s\n", what, detail ? ": " : "", detail ? detail : "");
    exit(1);
}

static double now(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

/* What every variant accumulates, so that each value is read. */
static long long g_ids, g_chars, g_rows;
static double g_sum;

static void oci_ok(OCIError *err, sword rc, const char *what) {
    if (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) return;
    sb4 code = 0;
    OraText msg[512] = {0};
    OCIErrorGet(err, 1, NULL, &code, msg, sizeof msg, OCI_HTYPE_ERROR);
    die(what, (const char *)msg);
}

static double fetch_oci(const char *uri, const char *sql, int array) {
    OCIEnv *env = NULL;
    OCIError *err = NULL;
    OCISvcCtx *svc = NULL;
    OCIStmt *stmt = NULL;
    if (OCIEnvCreate(&env, OCI_DEFAULT, NULL, NULL, NULL, NULL, 0, NULL) != OCI_SUCCESS) die("OCIEnvCreate", NULL);
    OCIHandleAlloc(env, (void **)&err, OCI_HTYPE_ERROR, 0, NULL);
    oci_ok(err, OCILogon(env, err, &svc, (const OraText *)"", 0, (const OraText *)"", 0, (const OraText *)uri,
                         (ub4)strlen(uri)),
           "logon");

    int *id = calloc((size_t)array, sizeof *id);
    double *n = calloc((size_t)array, sizeof *n);
    char *v = calloc((size_t)array, 41);
    OCIDate *t = calloc((size_t)array, sizeof *t);
    sb2 *ind = calloc((size_t)array * 4, sizeof *ind);
    if (!id || !n || !v || !t || !ind) die("out of memory", NULL);

    const double start = now();
    OCIHandleAlloc(env, (void **)&stmt, OCI_HTYPE_STMT, 0, NULL);
    oci_ok(err, OCIStmtPrepare(stmt, err, (const OraText *)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT),
           "prepare");
    OCIDefine *d = NULL;
    oci_ok(err, OCIDefineByPos(stmt, &d, err, 1, id, sizeof *id, SQLT_INT, ind, NULL, NULL, OCI_DEFAULT), "define");
    oci_ok(err, OCIDefineByPos(stmt, &d, err, 2, n, sizeof *n, SQLT_FLT, ind + array, NULL, NULL, OCI_DEFAULT),
           "define");
    oci_ok(err, OCIDefineByPos(stmt, &d, err, 3, v, 41, SQLT_STR, ind + 2 * array, NULL, NULL, OCI_DEFAULT), "define");
    oci_ok(err, OCIDefineByPos(stmt, &d, err, 4, t, sizeof *t, SQLT_ODT, ind + 3 * array, NULL, NULL, OCI_DEFAULT),
           "define");
    oci_ok(err, OCIStmtExecute(svc, stmt, err, 0, 0, NULL, NULL, OCI_DEFAULT), "execute");
    for (;;) {
        const sword rc = OCIStmtFetch2(stmt, err, (ub4)array, OCI_FETCH_NEXT, 0, OCI_DEFAULT);
        if (rc != OCI_NO_DATA) oci_ok(err, rc, "fetch");
        ub4 got = 0;
        OCIAttrGet(stmt, OCI_HTYPE_STMT, &got, NULL, OCI_ATTR_ROWS_FETCHED, err);
        for (ub4 r = 0; r < got; ++r) {
            g_ids += id[r];
            g_sum += n[r];
            g_chars += (long long)strlen(v + r * 41) + t[r].OCIDateDD;
            ++g_rows;
        }
        if (rc == OCI_NO_DATA) break;
    }
    OCIHandleFree(stmt, OCI_HTYPE_STMT);
    const double seconds = now() - start;

    OCILogoff(svc, err);
    OCIHandleFree(env, OCI_HTYPE_ENV);
    free(id);
    free(n);
    free(v);
    free(t);
    free(ind);
    return seconds;
}

static double fetch_libpq(const char *uri, const char *sql) {
    PGconn *conn = PQconnectdb(uri);
    if (PQstatus(conn) != CONNECTION_OK) die("connect", PQerrorMessage(conn));
    const double start = now();
    if (!PQsendQuery(conn, sql) || !PQsetSingleRowMode(conn)) die("query", PQerrorMessage(conn));
    PGresult *res;
    while ((res = PQgetResult(conn)) != NULL) {
        const ExecStatusType st = PQresultStatus(res);
        if (st == PGRES_SINGLE_TUPLE) {
            g_ids += atoi(PQgetvalue(res, 0, 0));
            g_sum += strtod(PQgetvalue(res, 0, 1), NULL);
            g_chars += (long long)strlen(PQgetvalue(res, 0, 2)) + atoi(PQgetvalue(res, 0, 3) + 8);
            ++g_rows;
        } else if (st != PGRES_TUPLES_OK) {
            die("fetch", PQresultErrorMessage(res));
        }
        PQclear(res);
    }
    const double seconds = now() - start;
    PQfinish(conn);
    return seconds;
}

int main(int argc, char **argv) {
    if (argc != 5) die("usage: fetch_ref <connect-uri> oci|libpq <rows> <array>", NULL);
    const int rows = atoi(argv[3]), array = atoi(argv[4]);
    if (rows <= 0 || array <= 0) die("rows and array must be positive", NULL);
    char sql[160];
    snprintf(sql, sizeof sql, "select id, n, v, t from bench_rows where id <= %d order by id", rows);
    double seconds;
    if (strcmp(argv[2], "oci") == 0)
        seconds = fetch_oci(argv[1], sql, array);
    else if (strcmp(argv[2], "libpq") == 0)
        seconds = fetch_libpq(argv[1], sql);
    else
        die("unknown variant", argv[2]);
    if (g_rows != rows || g_ids == 0 || g_sum == 0 || g_chars == 0) die("the fetch read fewer rows than asked", NULL);
    printf("%.6f %lld\n", seconds, g_rows);
    return 0;
}

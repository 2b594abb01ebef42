/*
 * A walk through the library as an OCI application sees it: only <oci.h>,
 * only the shared library. It prints each step and exits 0 when every call
 * behaved as an OCI client library should, 1 otherwise.
 *
 * With a connect identifier it logs on, creates a table, inserts a few
 * thousand orders with one array bind, reads a small report back with binds
 * and defines of several types, calls a procedure with an OUT argument and a
 * function, commits, and shows the error record of a statement that fails.
 *
 * usage: ocicompat-demo [connect-identifier]
 * Without an identifier the session part is skipped. The identifier is any
 * OCI connect string the library understands: host:port/database, a
 * tnsnames.ora alias, or a postgresql:// URI.
 */
#include <oci.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int failures;

static const char *status_name(sword status)
{
    switch (status) {
    case OCI_SUCCESS: return "OCI_SUCCESS";
    case OCI_SUCCESS_WITH_INFO: return "OCI_SUCCESS_WITH_INFO";
    case OCI_NO_DATA: return "OCI_NO_DATA";
    case OCI_ERROR: return "OCI_ERROR";
    case OCI_INVALID_HANDLE: return "OCI_INVALID_HANDLE";
    case OCI_NEED_DATA: return "OCI_NEED_DATA";
    case OCI_STILL_EXECUTING: return "OCI_STILL_EXECUTING";
    default: return "unexpected status";
    }
}

/* Reports one call and remembers whether it returned what we expected. */
static int expect(const char *what, sword got, sword want)
{
    int ok = got == want;
    printf("%-4s %-62s -> %s\n", ok ? "ok" : "FAIL", what, status_name(got));
    if (!ok) {
        printf("     expected %s\n", status_name(want));
        failures++;
    }
    return ok;
}

/* Allocation failures land on the environment's own error handle. */
static void show_env_error(OCIEnv *envhp, sb4 want_code)
{
    OraText buf[512];
    sb4 errcode = 0;
    sword status;

    memset(buf, 0, sizeof buf);
    status = OCIErrorGet(envhp, 1, NULL, &errcode, buf, (ub4)sizeof buf, OCI_HTYPE_ENV);
    expect("OCIErrorGet(env, record 1, OCI_HTYPE_ENV)", status, OCI_SUCCESS);
    printf("     error %d: %s\n", (int)errcode, (const char *)buf);
    if (errcode != want_code) {
        printf("FAIL expected error %d\n", (int)want_code);
        failures++;
    }
}

/* Prints the first record of an error handle. */
static void show_error(OCIError *errhp)
{
    OraText buf[512];
    sb4 errcode = 0;

    buf[0] = 0;
    if (OCIErrorGet(errhp, 1, NULL, &errcode, buf, (ub4)sizeof buf, OCI_HTYPE_ERROR) == OCI_SUCCESS)
        printf("     error %d: %s\n", (int)errcode, (const char *)buf);
}

/* ---- SQL: an orders table, an array insert, a report, a procedure and a
 * function. */

#define ORDERS 3000
#define CUSTOMERS 5

static const char *const customer_names[CUSTOMERS] = {"Acme", "Globex", "Initech", "Umbrella", "Vandelay"};

/* Prepares and executes one statement with no binds. */
static int run_statement(OCISvcCtx *svchp, OCIError *errhp, OCIStmt *st, const char *sql, sword want)
{
    char what[96];
    sword status;

    snprintf(what, sizeof what, "execute: %.80s", sql);
    status = OCIStmtPrepare(st, errhp, (const OraText *)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT);
    if (status == OCI_SUCCESS)
        status = OCIStmtExecute(svchp, st, errhp, 1, 0, NULL, NULL, OCI_DEFAULT);
    /* A server notice ("table ... does not exist, skipping") comes back as
     * success with information, its text in the error handle. */
    if (want == OCI_SUCCESS && status == OCI_SUCCESS_WITH_INFO)
        want = OCI_SUCCESS_WITH_INFO;
    if (!expect(what, status, want) || status != OCI_SUCCESS)
        show_error(errhp);
    return status == want;
}

static void insert_orders(OCISvcCtx *svchp, OCIError *errhp, OCIStmt *st)
{
    static int ids[ORDERS];
    static char customers[ORDERS][16];
    static double amounts[ORDERS];
    static OCIDate ordered[ORDERS];
    static char shipped[ORDERS][20];
    static const char sql[] =
        "INSERT INTO demo_orders (id, customer, amount, ordered, shipped) VALUES (:id, :cust, :amt, :ord, :shp)";
    OCIBind *b[5] = {NULL, NULL, NULL, NULL, NULL};
    ub4 rows = 0;
    int i;

    for (i = 0; i < ORDERS; i++) {
        ids[i] = i + 1;
        snprintf(customers[i], sizeof customers[i], "%s", customer_names[i % CUSTOMERS]);
        amounts[i] = (double)((i * 37) % 1000) + 0.25 * (i % 4);
        OCIDateSetDate(&ordered[i], 2026, (ub1)(1 + i % 12), (ub1)(1 + i % 28));
        OCIDateSetTime(&ordered[i], 0, 0, 0);
        snprintf(shipped[i], sizeof shipped[i], "2026-%02d-%02d %02d:%02d:00", 1 + i % 12, 1 + i % 28, i % 24,
                 i % 60);
    }
    expect("OCIStmtPrepare(INSERT with five placeholders)",
           OCIStmtPrepare(st, errhp, (const OraText *)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT),
           OCI_SUCCESS);
    expect("OCIBindByName(:id, SQLT_INT array)",
           OCIBindByName(st, &b[0], errhp, (const OraText *)":id", -1, ids, sizeof ids[0], SQLT_INT, NULL, NULL,
                         NULL, 0, NULL, OCI_DEFAULT), OCI_SUCCESS);
    expect("OCIBindByName(:cust, SQLT_STR array)",
           OCIBindByName(st, &b[1], errhp, (const OraText *)":cust", -1, customers, sizeof customers[0], SQLT_STR,
                         NULL, NULL, NULL, 0, NULL, OCI_DEFAULT), OCI_SUCCESS);
    expect("OCIBindByName(:amt, SQLT_FLT array)",
           OCIBindByName(st, &b[2], errhp, (const OraText *)":amt", -1, amounts, sizeof amounts[0], SQLT_FLT, NULL,
                         NULL, NULL, 0, NULL, OCI_DEFAULT), OCI_SUCCESS);
    expect("OCIBindByName(:ord, SQLT_ODT array)",
           OCIBindByName(st, &b[3], errhp, (const OraText *)":ord", -1, ordered, sizeof ordered[0], SQLT_ODT, NULL,
                         NULL, NULL, 0, NULL, OCI_DEFAULT), OCI_SUCCESS);
    expect("OCIBindByName(:shp, SQLT_STR array)",
           OCIBindByName(st, &b[4], errhp, (const OraText *)":shp", -1, shipped, sizeof shipped[0], SQLT_STR, NULL,
                         NULL, NULL, 0, NULL, OCI_DEFAULT), OCI_SUCCESS);
    if (!expect("OCIStmtExecute(iters = 3000)", OCIStmtExecute(svchp, st, errhp, ORDERS, 0, NULL, NULL, OCI_DEFAULT),
                OCI_SUCCESS))
        show_error(errhp);
    OCIAttrGet(st, OCI_HTYPE_STMT, &rows, NULL, OCI_ATTR_ROW_COUNT, errhp);
    printf("     %u rows inserted in one execute\n", (unsigned)rows);
    if (rows != ORDERS)
        failures++;
}

static void report(OCISvcCtx *svchp, OCIError *errhp, OCIStmt *st)
{
    static const char sql[] =
        "SELECT customer, count(*), sum(amount), min(ordered), max(shipped) FROM demo_orders "
        "WHERE id <= :maxid GROUP BY customer ORDER BY customer";
    int maxid = 2500, count = 0;
    char customer[16], last_shipped[32];
    double total = 0;
    OCIDate first;
    sb2 total_ind = 0;
    OCIBind *bind = NULL;
    OCIDefine *d[5] = {NULL, NULL, NULL, NULL, NULL};
    sword status;
    int rows = 0;

    expect("OCIStmtPrepare(SELECT report)",
           OCIStmtPrepare(st, errhp, (const OraText *)sql, (ub4)strlen(sql), OCI_NTV_SYNTAX, OCI_DEFAULT),
           OCI_SUCCESS);
    expect("OCIBindByName(:maxid)",
           OCIBindByName(st, &bind, errhp, (const OraText *)":maxid", -1, &maxid, sizeof maxid, SQLT_INT, NULL, NULL,
                         NULL, 0, NULL, OCI_DEFAULT), OCI_SUCCESS);
    if (!expect("OCIStmtExecute(query, iters = 0)", OCIStmtExecute(svchp, st, errhp, 0, 0, NULL, NULL, OCI_DEFAULT),
                OCI_SUCCESS)) {
        show_error(errhp);
        return;
    }
    OCIDefineByPos(st, &d[0], errhp, 1, customer, sizeof customer, SQLT_STR, NULL, NULL, NULL, OCI_DEFAULT);
    OCIDefineByPos(st, &d[1], errhp, 2, &count, sizeof count, SQLT_INT, NULL, NULL, NULL, OCI_DEFAULT);
    OCIDefineByPos(st, &d[2], errhp, 3, &total, sizeof total, SQLT_FLT, &total_ind, NULL, NULL, OCI_DEFAULT);
    OCIDefineByPos(st, &d[3], errhp, 4, &first, sizeof first, SQLT_ODT, NULL, NULL, NULL, OCI_DEFAULT);
    OCIDefineByPos(st, &d[4], errhp, 5, last_shipped, sizeof last_shipped, SQLT_STR, NULL, NULL, NULL,
                   OCI_DEFAULT);
    printf("     %-10s %6s %12s  %-10s  %s\n", "customer", "orders", "total", "first", "last shipped");
    while ((status = OCIStmtFetch2(st, errhp, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT)) == OCI_SUCCESS) {
        sb2 year;
        ub1 month, day;
        OCIDateGetDate(&first, &year, &month, &day);
        printf("     %-10s %6d %12.2f  %04d-%02d-%02d  %s\n", customer, count, total_ind == 0 ? total : 0.0,
               (int)year, month, day, last_shipped);
        rows++;
    }
    expect("OCIStmtFetch2 until the end", status, OCI_NO_DATA);
    if (rows != CUSTOMERS) {
        printf("FAIL expected %d report rows, got %d\n", CUSTOMERS, rows);
        failures++;
    }
}

static void call_routines(OCISvcCtx *svchp, OCIError *errhp, OCIStmt *st)
{
    static const char proc[] = "BEGIN demo_customer_total(:cust, :total); END;";
    static const char func[] = "BEGIN :n := demo_customer_orders(:cust); END;";
    char customer[16] = "Globex";
    double total = 0;
    int orders = 0;
    OCIBind *b[2] = {NULL, NULL};

    expect("OCIStmtPrepare(BEGIN procedure call END)",
           OCIStmtPrepare(st, errhp, (const OraText *)proc, (ub4)strlen(proc), OCI_NTV_SYNTAX, OCI_DEFAULT),
           OCI_SUCCESS);
    OCIBindByName(st, &b[0], errhp, (const OraText *)":cust", -1, customer, sizeof customer, SQLT_STR, NULL, NULL,
                  NULL, 0, NULL, OCI_DEFAULT);
    OCIBindByName(st, &b[1], errhp, (const OraText *)":total", -1, &total, sizeof total, SQLT_FLT, NULL, NULL, NULL,
                  0, NULL, OCI_DEFAULT);
    if (!expect("OCIStmtExecute(procedure with an OUT argument)",
                OCIStmtExecute(svchp, st, errhp, 1, 0, NULL, NULL, OCI_DEFAULT), OCI_SUCCESS))
        show_error(errhp);
    printf("     demo_customer_total('%s') -> %.2f\n", customer, total);

    expect("OCIStmtPrepare(BEGIN :n := function END)",
           OCIStmtPrepare(st, errhp, (const OraText *)func, (ub4)strlen(func), OCI_NTV_SYNTAX, OCI_DEFAULT),
           OCI_SUCCESS);
    OCIBindByName(st, &b[0], errhp, (const OraText *)":n", -1, &orders, sizeof orders, SQLT_INT, NULL, NULL, NULL,
                  0, NULL, OCI_DEFAULT);
    OCIBindByName(st, &b[1], errhp, (const OraText *)":cust", -1, customer, sizeof customer, SQLT_STR, NULL, NULL,
                  NULL, 0, NULL, OCI_DEFAULT);
    if (!expect("OCIStmtExecute(function result into a bind)",
                OCIStmtExecute(svchp, st, errhp, 1, 0, NULL, NULL, OCI_DEFAULT), OCI_SUCCESS))
        show_error(errhp);
    printf("     demo_customer_orders('%s') -> %d\n", customer, orders);
    if (orders != ORDERS / CUSTOMERS || total <= 0) {
        printf("FAIL unexpected routine results\n");
        failures++;
    }
}

static void run_sql(OCIEnv *envhp, OCIError *errhp, OCISvcCtx *svchp)
{
    OCIStmt *st = NULL;

    expect("OCIHandleAlloc(OCI_HTYPE_STMT)", OCIHandleAlloc(envhp, (void **)&st, OCI_HTYPE_STMT, 0, NULL),
           OCI_SUCCESS);
    run_statement(svchp, errhp, st, "DROP TABLE IF EXISTS demo_orders", OCI_SUCCESS);
    run_statement(svchp, errhp, st,
                  "CREATE TABLE demo_orders (id integer PRIMARY KEY, customer varchar(15), amount numeric(10,2), "
                  "ordered date, shipped timestamp)", OCI_SUCCESS);
    run_statement(svchp, errhp, st,
                  "CREATE OR REPLACE PROCEDURE demo_customer_total(cust varchar, OUT total numeric) "
                  "LANGUAGE sql AS $$ SELECT sum(amount) FROM demo_orders WHERE customer = cust $$", OCI_SUCCESS);
    run_statement(svchp, errhp, st,
                  "CREATE OR REPLACE FUNCTION demo_customer_orders(cust varchar) RETURNS integer "
                  "LANGUAGE sql AS $$ SELECT count(*)::integer FROM demo_orders WHERE customer = cust $$",
                  OCI_SUCCESS);
    insert_orders(svchp, errhp, st);
    report(svchp, errhp, st);
    call_routines(svchp, errhp, st);
    expect("OCITransCommit", OCITransCommit(svchp, errhp, OCI_DEFAULT), OCI_SUCCESS);

    /* A statement the server refuses: the error record says why. */
    run_statement(svchp, errhp, st, "INSERT INTO demo_orders (id, customer) VALUES (1, 'again')", OCI_ERROR);
    expect("OCITransRollback", OCITransRollback(svchp, errhp, OCI_DEFAULT), OCI_SUCCESS);

    run_statement(svchp, errhp, st, "DROP FUNCTION demo_customer_orders", OCI_SUCCESS);
    run_statement(svchp, errhp, st, "DROP PROCEDURE demo_customer_total", OCI_SUCCESS);
    run_statement(svchp, errhp, st, "DROP TABLE demo_orders", OCI_SUCCESS);
    expect("OCIHandleFree(OCI_HTYPE_STMT)", OCIHandleFree(st, OCI_HTYPE_STMT), OCI_SUCCESS);
}

/* Attach, log in, ask the server who it is, run a transaction, log out. */
static void run_session(OCIEnv *envhp, OCIError *errhp, OCIServer *srvhp, OCISvcCtx *svchp,
                        OCISession *usrhp, const char *connect)
{
    const char *user = getenv("PGUSER") ? getenv("PGUSER") : "postgres";
    OraText version[256];
    ub4 release = 0;
    OCITrans *txnhp = NULL;

    if (!expect("OCIServerAttach(connect identifier)",
                OCIServerAttach(srvhp, errhp, (const OraText *)connect, (sb4)strlen(connect), OCI_DEFAULT),
                OCI_SUCCESS)) {
        show_error(errhp);
        return;
    }
    expect("OCIAttrSet(svchp, OCI_ATTR_SERVER)",
           OCIAttrSet(svchp, OCI_HTYPE_SVCCTX, srvhp, 0, OCI_ATTR_SERVER, errhp), OCI_SUCCESS);
    expect("OCIAttrSet(usrhp, OCI_ATTR_USERNAME)",
           OCIAttrSet(usrhp, OCI_HTYPE_SESSION, (void *)user, (ub4)strlen(user), OCI_ATTR_USERNAME, errhp),
           OCI_SUCCESS);
    if (!expect("OCISessionBegin(OCI_CRED_RDBMS)",
                OCISessionBegin(svchp, errhp, usrhp, OCI_CRED_RDBMS, OCI_DEFAULT), OCI_SUCCESS)) {
        show_error(errhp);
        return;
    }
    expect("OCIAttrSet(svchp, OCI_ATTR_SESSION)",
           OCIAttrSet(svchp, OCI_HTYPE_SVCCTX, usrhp, 0, OCI_ATTR_SESSION, errhp), OCI_SUCCESS);
    if (expect("OCIServerRelease", OCIServerRelease(svchp, errhp, version, (ub4)sizeof version,
                                                    OCI_HTYPE_SVCCTX, &release), OCI_SUCCESS))
        printf("     %s (release 0x%08x)\n", (const char *)version, (unsigned)release);
    expect("OCIPing", OCIPing(svchp, errhp, OCI_DEFAULT), OCI_SUCCESS);
    run_sql(envhp, errhp, svchp);

    expect("OCIHandleAlloc(OCI_HTYPE_TRANS)",
           OCIHandleAlloc(envhp, (void **)&txnhp, OCI_HTYPE_TRANS, 0, NULL), OCI_SUCCESS);
    expect("OCIAttrSet(svchp, OCI_ATTR_TRANS)",
           OCIAttrSet(svchp, OCI_HTYPE_SVCCTX, txnhp, 0, OCI_ATTR_TRANS, errhp), OCI_SUCCESS);
    expect("OCITransStart(OCI_TRANS_READONLY)",
           OCITransStart(svchp, errhp, 60, OCI_TRANS_READONLY), OCI_SUCCESS);
    expect("OCITransCommit", OCITransCommit(svchp, errhp, OCI_DEFAULT), OCI_SUCCESS);

    expect("OCISessionEnd", OCISessionEnd(svchp, errhp, usrhp, OCI_DEFAULT), OCI_SUCCESS);
    /* The connection is gone: a second end says so. */
    expect("OCISessionEnd again", OCISessionEnd(svchp, errhp, usrhp, OCI_DEFAULT), OCI_ERROR);
    show_error(errhp);
    expect("OCIServerDetach", OCIServerDetach(srvhp, errhp, OCI_DEFAULT), OCI_SUCCESS);
}

/* A worker thread adds to a total under a mutex and keeps a per-thread value
 * in a key whose destructor runs when the thread ends. */
static OCIEnv *worker_env;
static OCIError *worker_err;
static OCIThreadMutex *total_lock;
static OCIThreadKey *scratch_key;
static int total, scratch_released;

static void release_scratch(void *value)
{
    scratch_released = value != NULL;
}

static void worker(void *arg)
{
    OCIThreadKeySet(worker_env, worker_err, scratch_key, (void *)"per-thread buffer");
    OCIThreadMutexAcquire(worker_env, worker_err, total_lock);
    total += *(int *)arg;
    OCIThreadMutexRelease(worker_env, worker_err, total_lock);
}

static void run_worker_thread(OCIEnv *envhp, OCIError *errhp)
{
    OCIThreadId *tid = NULL;
    OCIThreadHandle *thnd = NULL;
    int amount = 42;

    worker_env = envhp;
    expect("OCIHandleAlloc(OCI_HTYPE_ERROR) for the worker",
           OCIHandleAlloc(envhp, (void **)&worker_err, OCI_HTYPE_ERROR, 0, NULL), OCI_SUCCESS);
    OCIThreadProcessInit();
    expect("OCIThreadInit", OCIThreadInit(envhp, errhp), OCI_SUCCESS);
    expect("OCIThreadMutexInit", OCIThreadMutexInit(envhp, errhp, &total_lock), OCI_SUCCESS);
    expect("OCIThreadKeyInit(with destructor)",
           OCIThreadKeyInit(envhp, errhp, &scratch_key, release_scratch), OCI_SUCCESS);
    expect("OCIThreadIdInit", OCIThreadIdInit(envhp, errhp, &tid), OCI_SUCCESS);
    expect("OCIThreadHndInit", OCIThreadHndInit(envhp, errhp, &thnd), OCI_SUCCESS);
    if (expect("OCIThreadCreate", OCIThreadCreate(envhp, errhp, worker, &amount, tid, thnd), OCI_SUCCESS)) {
        expect("OCIThreadJoin", OCIThreadJoin(envhp, errhp, thnd), OCI_SUCCESS);
        expect("OCIThreadClose", OCIThreadClose(envhp, errhp, thnd), OCI_SUCCESS);
    }
    printf("     worker added %d; its key destructor %s\n", total, scratch_released ? "ran" : "did not run");
    if (total != amount || !scratch_released)
        failures++;
    expect("OCIThreadTerm", OCIThreadTerm(envhp, errhp), OCI_SUCCESS);
    /* The mutex, key, id and handle go with the environment. */
}

int main(int argc, char **argv)
{
    OCIEnv *envhp = NULL;
    OCIError *errhp = NULL;
    OCIServer *srvhp = NULL;
    OCISvcCtx *svchp = NULL;
    OCISession *usrhp = NULL;
    OCIStmt *stmthp = NULL;
    OCILobLocator *lob = NULL;
    void *spare = NULL;

    printf("libocicompat demo\n");

    if (!expect("OCIEnvCreate(OCI_DEFAULT)",
                OCIEnvCreate(&envhp, OCI_DEFAULT, NULL, NULL, NULL, NULL, 0, NULL),
                OCI_SUCCESS) || envhp == NULL) {
        printf("cannot go on without an environment\n");
        return 1;
    }

    expect("OCIHandleAlloc(OCI_HTYPE_ERROR)",
           OCIHandleAlloc(envhp, (void **)&errhp, OCI_HTYPE_ERROR, 0, NULL), OCI_SUCCESS);
    expect("OCIHandleAlloc(OCI_HTYPE_SERVER)",
           OCIHandleAlloc(envhp, (void **)&srvhp, OCI_HTYPE_SERVER, 0, NULL), OCI_SUCCESS);
    expect("OCIHandleAlloc(OCI_HTYPE_SVCCTX)",
           OCIHandleAlloc(envhp, (void **)&svchp, OCI_HTYPE_SVCCTX, 0, NULL), OCI_SUCCESS);
    expect("OCIHandleAlloc(OCI_HTYPE_SESSION)",
           OCIHandleAlloc(envhp, (void **)&usrhp, OCI_HTYPE_SESSION, 0, NULL), OCI_SUCCESS);
    expect("OCIHandleAlloc(OCI_HTYPE_STMT)",
           OCIHandleAlloc(envhp, (void **)&stmthp, OCI_HTYPE_STMT, 0, NULL), OCI_SUCCESS);
    expect("OCIDescriptorAlloc(OCI_DTYPE_LOB)",
           OCIDescriptorAlloc(envhp, (void **)&lob, OCI_DTYPE_LOB, 0, NULL), OCI_SUCCESS);

    /* Asking for user memory without a place to return it is refused. */
    expect("OCIHandleAlloc(OCI_HTYPE_STMT, xtramem_sz=64, usrmempp=NULL)",
           OCIHandleAlloc(envhp, &spare, OCI_HTYPE_STMT, 64, NULL), OCI_ERROR);
    show_env_error(envhp, 16530);

    if (argc > 1)
        run_session(envhp, errhp, srvhp, svchp, usrhp, argv[1]);
    else
        printf("(no connect identifier given: session part skipped)\n");
    run_worker_thread(envhp, errhp);

    expect("OCIDescriptorFree(OCI_DTYPE_LOB)", OCIDescriptorFree(lob, OCI_DTYPE_LOB),
           OCI_SUCCESS);
    /* The environment takes the remaining handles with it. */
    expect("OCIHandleFree(env, OCI_HTYPE_ENV)", OCIHandleFree(envhp, OCI_HTYPE_ENV),
           OCI_SUCCESS);

    if (failures) {
        printf("%d step(s) did not behave as expected\n", failures);
        return 1;
    }
    printf("all steps behaved as expected\n");
    return 0;
}

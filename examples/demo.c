/*
 * A walk through the library as an OCI application sees it: only <oci.h>,
 * only the shared library. It prints each step and exits 0 when every call
 * behaved as an OCI client library should, 1 otherwise.
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

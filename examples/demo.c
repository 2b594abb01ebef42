/*
 * A walk through the library as an OCI application sees it: only <oci.h>,
 * only the shared library. It prints each step and exits 0 when every call
 * behaved as an OCI client library should, 1 otherwise.
 */
#include <oci.h>

#include <stdio.h>
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

int main(void)
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

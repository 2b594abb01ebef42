/* A C program built only with the installed pkg-config flags (-lclntsh and
 * the sdk/include headers), as an application written for the vendor's
 * client would be. It checks that the library it was linked against works,
 * and that every versioned name a driver may dlopen in the client directory
 * is that same library, not a second copy.
 *
 *   dropin_client <client-dir> <name>...
 */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include <oci.h>

typedef void (*client_version_fn)(sword *, sword *, sword *, sword *, sword *);

int main(int argc, char **argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s <client-dir> <name>...\n", argv[0]);
        return 2;
    }
    int failures = 0;

    sword major = -1, minor = -1, update = -1, patch = -1, port = -1;
    OCIClientVersion(&major, &minor, &update, &patch, &port);
    printf("linked: client version %d.%d.%d.%d.%d\n", major, minor, update, patch, port);
    if (major < 11) {
        printf("FAIL: client version %d is not a plausible major version\n", major);
        failures++;
    }

    OCIEnv *env = NULL;
    OCIError *err = NULL;
    sword rc = OCIEnvCreate(&env, OCI_DEFAULT, NULL, NULL, NULL, NULL, 0, NULL);
    if (rc != OCI_SUCCESS || env == NULL) {
        printf("FAIL: OCIEnvCreate returned %d\n", rc);
        return 1;
    }
    rc = OCIHandleAlloc(env, (void **)&err, OCI_HTYPE_ERROR, 0, NULL);
    if (rc != OCI_SUCCESS || err == NULL) {
        printf("FAIL: OCIHandleAlloc(ERROR) returned %d\n", rc);
        failures++;
    }

    /* A logon to a port where nothing listens fails with a readable record. */
    {
        static const char bad[] = "127.0.0.1:1/none";
        OCISvcCtx *svc = NULL;
        rc = OCILogon(env, err, &svc, (const OraText *)"u", 1, (const OraText *)"p", 1,
                      (const OraText *)bad, (ub4)strlen(bad));
        sb4 code = 0;
        OraText message[512] = {0};
        if (rc == OCI_SUCCESS) {
            printf("FAIL: logon to %s succeeded\n", bad);
            failures++;
            OCILogoff(svc, err);
        } else if (OCIErrorGet(err, 1, NULL, &code, message, sizeof message, OCI_HTYPE_ERROR) !=
                       OCI_SUCCESS ||
                   code == 0) {
            printf("FAIL: failed logon left no error record\n");
            failures++;
        } else {
            printf("linked: failed logon reports error %d\n", (int)code);
        }
    }

    for (int i = 2; i < argc; i++) {
        char path[4096];
        snprintf(path, sizeof path, "%s/%s", argv[1], argv[i]);
        void *lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
        if (lib == NULL) {
            printf("FAIL: dlopen(%s): %s\n", path, dlerror());
            failures++;
            continue;
        }
        client_version_fn fn = (client_version_fn)dlsym(lib, "OCIClientVersion");
        if (fn == NULL) {
            printf("FAIL: %s has no OCIClientVersion\n", path);
            failures++;
        } else if (fn != OCIClientVersion) {
            printf("FAIL: %s is a second copy of the library\n", path);
            failures++;
        } else {
            printf("dlopen: %s is the linked library\n", argv[i]);
        }
        dlclose(lib);
    }

    if (err != NULL) OCIHandleFree(err, OCI_HTYPE_ERROR);
    OCIHandleFree(env, OCI_HTYPE_ENV);
    printf("%s\n", failures == 0 ? "dropin_client: all checks passed" : "dropin_client: FAILED");
    return failures == 0 ? 0 : 1;
}

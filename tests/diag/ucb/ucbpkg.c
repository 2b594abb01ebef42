/* A user-callback package: its Init registers one entry callback for
 * OCIHandleAlloc whose context is the package's own name. */
#include <oci.h>

#define UCB_STR2(x) #x
#define UCB_STR(x) UCB_STR2(x)
#define UCB_CAT2(a, b) a##b
#define UCB_CAT(a, b) UCB_CAT2(a, b)

static sword package_callback(void *ctxp, void *hndlp, ub4 type, ub4 fcode, ub4 when, sword returnCode,
                              sb4 *errnop, va_list arglist) {
    (void)ctxp; (void)hndlp; (void)type; (void)fcode; (void)when; (void)returnCode; (void)errnop;
    (void)arglist;
    return OCI_CONTINUE;
}

#ifndef UCB_WITHOUT_INIT
sword UCB_CAT(UCB_PACKAGE, Init)(OCIEnv *env, ub4 mode, size_t xtramem_sz, void *usrmemp, OCIUcb *ucbDesc);

sword UCB_CAT(UCB_PACKAGE, Init)(OCIEnv *env, ub4 mode, size_t xtramem_sz, void *usrmemp, OCIUcb *ucbDesc) {
    (void)mode; (void)xtramem_sz; (void)usrmemp;
    return OCIUserCallbackRegister(env, OCI_HTYPE_ENV, NULL, package_callback, (void *)UCB_STR(UCB_PACKAGE),
                                   OCI_FNCODE_HANDLEALLOC, OCI_UCBTYPE_ENTRY, ucbDesc);
}
#else
/* Keeps the callback referenced so the package still has code in it. */
void *ucbnoinit_callback(void);
void *ucbnoinit_callback(void) { return (void *)&package_callback; }
#endif

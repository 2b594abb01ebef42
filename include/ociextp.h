/*
 * ociextp.h - services for C code running as an external procedure:
 * call-duration memory, raising errors back to the caller, and reaching
 * the caller's OCI handles.
 *
 * The library does not host external procedures, so these calls refuse
 * (null, an error value, or null handles); they are declared so that such
 * code builds against the same headers.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef OCIEXTP_ORACLE
#define OCIEXTP_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

/* Context passed to an external procedure by the agent. */
typedef struct OCIExtProcContext OCIExtProcContext;

/* Results of the raise calls. */
#define OCIEXTPROC_SUCCESS 0
#define OCIEXTPROC_ERROR 1

/* Memory that lives until the external call returns. */
void *ociepacm(OCIExtProcContext *with_context, size_t amount);
#define OCIExtProcAllocCallMemory(with_context, amount)                      \
  ociepacm(with_context, (size_t)(amount))

/* Raise a numbered error, with or without a message of `len' bytes. */
int ocieperr(OCIExtProcContext *with_context, int error_number);
#define OCIExtProcRaiseExcp(with_context, error_number)                      \
  ocieperr(with_context, error_number)

size_t ociepmsg(OCIExtProcContext *with_context, int error_number,
                oratext *error_message, size_t len);
#define OCIExtProcRaiseExcpWithMsg(with_context, error_number,               \
                                   error_message, len)                       \
  ociepmsg(with_context, error_number, error_message, len)

/* The caller's environment, service context and error handles. */
sword ociepgoe(OCIExtProcContext *with_context, OCIEnv **envh,
               OCISvcCtx **svch, OCIError **errh);
#define OCIExtProcGetEnv(with_context, envh, svch, errh)                     \
  ociepgoe(with_context, envh, svch, errh)

#ifdef __cplusplus
}
#endif

#endif /* OCIEXTP_ORACLE */

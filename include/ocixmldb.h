/*
 * ocixmldb.h - XML context for XMLType values fetched through OCI.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef OCIXMLDB_ORACLE
#define OCIXMLDB_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

/* The XML library's context; opaque to OCI code. */
struct xmlctx;
typedef struct xmlctx xmlctx;

/* Parameters of OCIXmlDbInitXmlCtx. */
typedef enum ocixmldbpname {
  XCTXINIT_OCIDUR = 1,   /* value: pointer to an OCIDuration */
  XCTXINIT_ERRHDL = 2    /* value: error handler function */
} ocixmldbpname;

typedef struct ocixmldbparam {
  ocixmldbpname name_ocixmldbparam;
  void *value_ocixmldbparam;
} ocixmldbparam;

#define NUM_OCIXMLDBPARAMS 2

xmlctx *OCIXmlDbInitXmlCtx(OCIEnv *envhp, OCISvcCtx *svchp, OCIError *errhp,
                           ocixmldbparam *params, int num_params);
void OCIXmlDbFreeXmlCtx(xmlctx *xctx);

#ifdef __cplusplus
}
#endif

#endif /* OCIXMLDB_ORACLE */

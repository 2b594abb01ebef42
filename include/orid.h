/*
 * orid.h - reading and writing object attributes by name.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef ORID_ORACLE
#define ORID_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

sword OCIObjectSetAttr(OCIEnv *env, OCIError *err, void *instance,
                       void *null_struct, OCIType *tdo,
                       const oratext **names, const ub4 *lengths,
                       const ub4 name_count, const ub4 *indexes,
                       const ub4 index_count, const OCIInd null_status,
                       const void *attr_null_struct, const void *attr_value);
sword OCIObjectGetAttr(OCIEnv *env, OCIError *err, void *instance,
                       void *null_struct, OCIType *tdo,
                       const oratext **names, const ub4 *lengths,
                       const ub4 name_count, const ub4 *indexes,
                       const ub4 index_count, OCIInd *attr_null_status,
                       void **attr_null_struct, void **attr_value,
                       OCIType **attr_tdo);

#ifdef __cplusplus
}
#endif

#endif /* ORID_ORACLE */

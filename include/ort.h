/*
 * ort.h - type descriptions and self-describing data: looking up types,
 * building transient types, and the AnyData / AnyDataSet containers.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef ORT_ORACLE
#define ORT_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

/* --------------------------------------------------------------------
 * Types
 * ------------------------------------------------------------------ */
typedef struct OCIAnyData OCIAnyData;         /* value with its own type */
typedef struct OCIAnyDataSet OCIAnyDataSet;   /* values of one type */
typedef struct OCITypeIter OCITypeIter;

/* Flags of a type element. */
#define OCI_TYPEELEM_REF 0x8000
#define OCI_TYPEELEM_PTR 0x4000
#define OCI_TYPEELEM_NO_NULL 0x0002
#define OCI_TYPEELEM_REQUIRED 0x0004
#define OCI_TYPEELEM_IS_REF(elem_flag) (((elem_flag) & OCI_TYPEELEM_REF) != 0)
#define OCI_TYPEELEM_IS_PTR(elem_flag) (((elem_flag) & OCI_TYPEELEM_PTR) != 0)

/* --------------------------------------------------------------------
 * Looking up types
 * ------------------------------------------------------------------ */
sword OCITypeByName(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                    const oratext *schema_name, ub4 s_length,
                    const oratext *type_name, ub4 t_length,
                    const oratext *version_name, ub4 v_length,
                    OCIDuration pin_duration, OCITypeGetOpt get_option,
                    OCIType **tdo);
sword OCITypeArrayByName(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                         ub4 array_len, const oratext *schema_name[],
                         ub4 s_length[], const oratext *type_name[],
                         ub4 t_length[], const oratext *version_name[],
                         ub4 v_length[], OCIDuration pin_duration,
                         OCITypeGetOpt get_option, OCIType **tdo);
sword OCITypeByRef(OCIEnv *env, OCIError *err, const OCIRef *type_ref,
                   OCIDuration pin_duration, OCITypeGetOpt get_option,
                   OCIType **tdo);
sword OCITypeArrayByRef(OCIEnv *env, OCIError *err, ub4 array_len,
                        const OCIRef **type_ref, OCIDuration pin_duration,
                        OCITypeGetOpt get_option, OCIType **tdo);

/* --------------------------------------------------------------------
 * Building transient types
 * ------------------------------------------------------------------ */
sword OCITypeBeginCreate(OCISvcCtx *svchp, OCIError *errhp, OCITypeCode tc,
                         OCIDuration dur, OCIType **type);
sword OCITypeSetCollection(OCISvcCtx *svchp, OCIError *errhp, OCIType *type,
                           OCIParam *collelem_info, ub4 coll_count);
sword OCITypeSetBuiltin(OCISvcCtx *svchp, OCIError *errhp, OCIType *type,
                        OCIParam *builtin_info);
sword OCITypeAddAttr(OCISvcCtx *svchp, OCIError *errhp, OCIType *type,
                     const oratext *a_name, ub4 a_length,
                     OCIParam *attr_info);
sword OCITypeEndCreate(OCISvcCtx *svchp, OCIError *errhp, OCIType *type);

/* --------------------------------------------------------------------
 * AnyData
 * ------------------------------------------------------------------ */
sword OCIAnyDataGetType(OCISvcCtx *svchp, OCIError *errhp,
                        OCIAnyData *sdata, OCITypeCode *tc, OCIType **type);
sword OCIAnyDataIsNull(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                       boolean *isnull);
sword OCIAnyDataConvert(OCISvcCtx *svchp, OCIError *errhp, OCITypeCode tc,
                        OCIType *type, OCIDuration dur, void *ind,
                        void *data_val, ub4 len, OCIAnyData **sdata);
sword OCIAnyDataBeginCreate(OCISvcCtx *svchp, OCIError *errhp,
                            OCITypeCode tc, OCIType *type, OCIDuration dur,
                            OCIAnyData **sdata);
sword OCIAnyDataDestroy(OCISvcCtx *svchp, OCIError *errhp,
                        OCIAnyData *sdata);
sword OCIAnyDataAttrSet(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                        OCITypeCode tc, OCIType *type, void *ind,
                        void *attr_val, ub4 length, boolean is_any);
sword OCIAnyDataCollAddElem(OCISvcCtx *svchp, OCIError *errhp,
                            OCIAnyData *sdata, OCITypeCode tc, OCIType *type,
                            void *ind, void *attr_val, ub4 length,
                            boolean is_any, boolean last_elem);
sword OCIAnyDataEndCreate(OCISvcCtx *svchp, OCIError *errhp,
                          OCIAnyData *sdata);
sword OCIAnyDataAccess(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                       OCITypeCode tc, OCIType *type, void *ind,
                       void *attr_val, ub4 *length);
sword OCIAnyDataGetCurrAttrNum(OCISvcCtx *svchp, OCIError *errhp,
                               OCIAnyData *sdata, ub4 *attrnum);
sword OCIAnyDataAttrGet(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                        OCITypeCode tc, OCIType *type, void *ind,
                        void *attr_val, ub4 *length, boolean is_any);
sword OCIAnyDataCollGetElem(OCISvcCtx *svchp, OCIError *errhp,
                            OCIAnyData *sdata, OCITypeCode tc, OCIType *type,
                            void *ind, void *celem_val, ub4 *length,
                            boolean is_any);

/* --------------------------------------------------------------------
 * AnyDataSet
 * ------------------------------------------------------------------ */
sword OCIAnyDataSetBeginCreate(OCISvcCtx *svchp, OCIError *errhp,
                               OCITypeCode typecode, const OCIType *type,
                               OCIDuration dur, OCIAnyDataSet **data_set);
sword OCIAnyDataSetDestroy(OCISvcCtx *svchp, OCIError *errhp,
                           OCIAnyDataSet *data_set);
sword OCIAnyDataSetAddInstance(OCISvcCtx *svchp, OCIError *errhp,
                               OCIAnyDataSet *data_set, OCIAnyData **data);
sword OCIAnyDataSetEndCreate(OCISvcCtx *svchp, OCIError *errhp,
                             OCIAnyDataSet *data_set);
sword OCIAnyDataSetGetType(OCISvcCtx *svchp, OCIError *errhp,
                           OCIAnyDataSet *data_set, OCITypeCode *tc,
                           OCIType **type);
sword OCIAnyDataSetGetCount(OCISvcCtx *svchp, OCIError *errhp,
                            OCIAnyDataSet *data_set, ub4 *count);
sword OCIAnyDataSetGetInstance(OCISvcCtx *svchp, OCIError *errhp,
                               OCIAnyDataSet *data_set, OCIAnyData **data);

#ifdef __cplusplus
}
#endif

#endif /* ORT_ORACLE */

/*
 * ori.h - object cache navigation: pinning, locking, marking and freeing
 * objects, cache-wide operations and user durations.
 *
 * The library keeps no client object cache; every call here answers
 * OCI_ERROR except the duration calls.  They are declared so that object
 * sources compile and fail cleanly at run time.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef ORI_ORACLE
#define ORI_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

/* --------------------------------------------------------------------
 * Creating, pinning and releasing objects
 * ------------------------------------------------------------------ */
sword OCIObjectNew(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                   OCITypeCode typecode, OCIType *tdo, void *table,
                   OCIDuration duration, boolean value, void **instance);
sword OCIObjectPin(OCIEnv *env, OCIError *err, OCIRef *object_ref,
                   OCIComplexObject *corhdl, OCIPinOpt pin_option,
                   OCIDuration pin_duration, OCILockOpt lock_option,
                   void **object);
sword OCIObjectUnpin(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectPinCountReset(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectPinTable(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                        const oratext *schema_name, ub4 s_n_length,
                        const oratext *object_name, ub4 o_n_length,
                        const OCIRef *scope_obj_ref,
                        OCIDuration pin_duration, void **object);
sword OCIObjectArrayPin(OCIEnv *env, OCIError *err, OCIRef **ref_array,
                        ub4 array_size, OCIComplexObject **cor_array,
                        ub4 cor_array_size, OCIPinOpt pin_option,
                        OCIDuration pin_duration, OCILockOpt lock,
                        void **obj_array, ub4 *pos);
sword OCIObjectFree(OCIEnv *env, OCIError *err, void *instance, ub2 flags);

/* --------------------------------------------------------------------
 * Locking, marking, flushing
 * ------------------------------------------------------------------ */
sword OCIObjectLock(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectLockNoWait(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectMarkUpdate(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectUnmark(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectUnmarkByRef(OCIEnv *env, OCIError *err, OCIRef *ref);
sword OCIObjectMarkDelete(OCIEnv *env, OCIError *err, void *instance);
sword OCIObjectMarkDeleteByRef(OCIEnv *env, OCIError *err,
                               OCIRef *object_ref);
sword OCIObjectFlush(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectRefresh(OCIEnv *env, OCIError *err, void *object);
sword OCIObjectFlushRefresh(OCIEnv *env, OCIError *err, void *object);

/* --------------------------------------------------------------------
 * Copying and inspecting objects
 * ------------------------------------------------------------------ */
sword OCIObjectCopy(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                    void *source, void *null_source, void *target,
                    void *null_target, OCIType *tdo, OCIDuration duration,
                    ub1 option);
sword OCIObjectGetTypeRef(OCIEnv *env, OCIError *err, void *instance,
                          OCIRef *type_ref);
sword OCIObjectGetObjectRef(OCIEnv *env, OCIError *err, void *object,
                            OCIRef *object_ref);
sword OCIObjectGetInd(OCIEnv *env, OCIError *err, void *instance,
                      void **null_struct);
sword OCIObjectExists(OCIEnv *env, OCIError *err, void *ins,
                      boolean *exist);
sword OCIObjectGetProperty(OCIEnv *envh, OCIError *errh, const void *obj,
                           OCIObjectPropId propertyId, void *property,
                           ub4 *size);
sword OCIObjectIsLocked(OCIEnv *env, OCIError *err, void *ins,
                        boolean *lock);
sword OCIObjectIsDirty(OCIEnv *env, OCIError *err, void *ins,
                       boolean *dirty);

/* --------------------------------------------------------------------
 * Whole-cache operations
 * ------------------------------------------------------------------ */
sword OCICacheFlush(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                    void *context, OCIRef *(*get)(void *context, ub1 *last),
                    OCIRef **ref);
sword OCICacheRefresh(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                      OCIRefreshOpt option, void *context,
                      OCIRef *(*get)(void *context), OCIRef **ref);
sword OCICacheUnpin(OCIEnv *env, OCIError *err, const OCISvcCtx *svc);
sword OCICacheFree(OCIEnv *env, OCIError *err, const OCISvcCtx *svc);
sword OCICacheUnmark(OCIEnv *env, OCIError *err, const OCISvcCtx *svc);

/* --------------------------------------------------------------------
 * User durations
 * ------------------------------------------------------------------ */
sword OCIDurationBegin(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                       OCIDuration parent, OCIDuration *dur);
sword OCIDurationEnd(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                     OCIDuration duration);

#ifdef __cplusplus
}
#endif

#endif /* ORI_ORACLE */

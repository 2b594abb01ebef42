// Refusing members of the object world: the object cache, object instances,
// the type system, collections and their iterators, AnyData, RAW values,
// references and index tables, plus a few strays (callback lookup, time-zone
// conversion of OCIDate, memory resizing, context keys). There are no server
// objects behind any of them, so each returns -1 (all ones where OCI's
// result is a size or a boolean, null where it is a pointer) without
// touching its arguments or adding an error record.
#include "diag/unsupported.h"

using unsupported_detail::kAllOnes32;
using unsupported_detail::kRefused;
using unsupported_detail::kRefusedBoolean;

// Object cache.

OCI_EXPORT sword OCICacheFlush(OCIEnv *env, OCIError *err, const OCISvcCtx *svc, void *context,
                               OCIRef *(*get)(void *context, ub1 *last), OCIRef **ref) {
    return REFUSE_UNSUPPORTED(kRefused, "Flushing Object Cache", env, err, svc, context, get, ref);
}

OCI_EXPORT sword OCICacheRefresh(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                                 OCIRefreshOpt option, void *context,
                                 OCIRef *(*get)(void *context), OCIRef **ref) {
    return REFUSE_UNSUPPORTED(kRefused, "Refreshing Object Cache", env, err, svc, option, context,
                              get, ref);
}

OCI_EXPORT sword OCICacheUnmark(OCIEnv *env, OCIError *err, const OCISvcCtx *svc) {
    return REFUSE_UNSUPPORTED(kRefused, "Unmarking Object Cache", env, err, svc);
}

OCI_EXPORT sword OCICacheFree(OCIEnv *env, OCIError *err, const OCISvcCtx *svc) {
    return REFUSE_UNSUPPORTED(kRefused, "Freeing Object Cache", env, err, svc);
}

OCI_EXPORT sword OCICacheUnpin(OCIEnv *env, OCIError *err, const OCISvcCtx *svc) {
    return REFUSE_UNSUPPORTED(kRefused, "Unpinning Object Cache", env, err, svc);
}

// Object instances.

OCI_EXPORT sword OCIObjectFlush(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Flushing Object", env, err, object);
}

OCI_EXPORT sword OCIObjectFlushRefresh(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Flushing And Refreshing Object", env, err, object);
}

OCI_EXPORT sword OCIObjectRefresh(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Refreshing Object", env, err, object);
}

OCI_EXPORT sword OCIObjectMarkDelete(OCIEnv *env, OCIError *err, void *instance) {
    return REFUSE_UNSUPPORTED(kRefused, "Marking Object Deleted", env, err, instance);
}

OCI_EXPORT sword OCIObjectMarkDeleteByRef(OCIEnv *env, OCIError *err, OCIRef *object_ref) {
    return REFUSE_UNSUPPORTED(kRefused, "Marking Referenced Object Deleted", env, err, object_ref);
}

OCI_EXPORT sword OCIObjectMarkUpdate(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Marking Object Updated", env, err, object);
}

OCI_EXPORT sword OCIObjectUnmark(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Unmarking Object", env, err, object);
}

OCI_EXPORT sword OCIObjectUnmarkByRef(OCIEnv *env, OCIError *err, OCIRef *ref) {
    return REFUSE_UNSUPPORTED(kRefused, "Unmarking Referenced Object", env, err, ref);
}

OCI_EXPORT sword OCIObjectExists(OCIEnv *env, OCIError *err, void *ins, boolean *exist) {
    return REFUSE_UNSUPPORTED(kRefused, "Checking Object Existence", env, err, ins, exist);
}

OCI_EXPORT sword OCIObjectGetProperty(OCIEnv *envh, OCIError *errh, const void *obj,
                                      OCIObjectPropId propertyId, void *property, ub4 *size) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Object Property", envh, errh, obj, propertyId,
                              property, size);
}

OCI_EXPORT sword OCIObjectIsDirty(OCIEnv *env, OCIError *err, void *ins, boolean *dirty) {
    return REFUSE_UNSUPPORTED(kRefused, "Checking Whether Object Is Dirty", env, err, ins, dirty);
}

OCI_EXPORT sword OCIObjectIsLocked(OCIEnv *env, OCIError *err, void *ins, boolean *lock) {
    return REFUSE_UNSUPPORTED(kRefused, "Checking Whether Object Is Locked", env, err, ins, lock);
}

OCI_EXPORT sword OCIObjectCopy(OCIEnv *env, OCIError *err, const OCISvcCtx *svc, void *source,
                               void *null_source, void *target, void *null_target, OCIType *tdo,
                               OCIDuration duration, ub1 option) {
    return REFUSE_UNSUPPORTED(kRefused, "Copying Object", env, err, svc, source, null_source,
                              target, null_target, tdo, duration, option);
}

OCI_EXPORT sword OCIObjectGetAttr(OCIEnv *env, OCIError *err, void *instance, void *null_struct,
                                  struct OCIType *tdo, const OraText **names, const ub4 *lengths,
                                  const ub4 name_count, const ub4 *indexes,
                                  const ub4 index_count, OCIInd *attr_null_status,
                                  void **attr_null_struct, void **attr_value,
                                  struct OCIType **attr_tdo) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Object Attribute", env, err, instance,
                              null_struct, tdo, names, lengths, name_count, indexes, index_count,
                              attr_null_status, attr_null_struct, attr_value, attr_tdo);
}

OCI_EXPORT sword OCIObjectGetInd(OCIEnv *env, OCIError *err, void *instance, void **null_struct) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Object Null Indicator", env, err, instance,
                              null_struct);
}

OCI_EXPORT sword OCIObjectGetObjectRef(OCIEnv *env, OCIError *err, void *object,
                                       OCIRef *object_ref) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Object Reference", env, err, object, object_ref);
}

OCI_EXPORT sword OCIObjectGetTypeRef(OCIEnv *env, OCIError *err, void *instance,
                                     OCIRef *type_ref) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Object Type Reference", env, err, instance,
                              type_ref);
}

OCI_EXPORT sword OCIObjectLock(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Locking Object", env, err, object);
}

OCI_EXPORT sword OCIObjectLockNoWait(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Locking Object Without Waiting", env, err, object);
}

OCI_EXPORT sword OCIObjectNew(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                              OCITypeCode typecode, OCIType *tdo, void *table,
                              OCIDuration duration, boolean value, void **instance) {
    return REFUSE_UNSUPPORTED(kRefused, "Creating Object", env, err, svc, typecode, tdo, table,
                              duration, value, instance);
}

OCI_EXPORT sword OCIObjectSetAttr(OCIEnv *env, OCIError *err, void *instance, void *null_struct,
                                  struct OCIType *tdo, const OraText **names, const ub4 *lengths,
                                  const ub4 name_count, const ub4 *indexes,
                                  const ub4 index_count, const OCIInd null_status,
                                  const void *attr_null_struct, const void *attr_value) {
    return REFUSE_UNSUPPORTED(kRefused, "Setting Object Attribute", env, err, instance,
                              null_struct, tdo, names, lengths, name_count, indexes, index_count,
                              null_status, attr_null_struct, attr_value);
}

OCI_EXPORT sword OCIObjectArrayPin(OCIEnv *env, OCIError *err, OCIRef **ref_array,
                                   ub4 array_size, OCIComplexObject **cor_array,
                                   ub4 cor_array_size, OCIPinOpt pin_option,
                                   OCIDuration pin_duration, OCILockOpt lock, void **obj_array,
                                   ub4 *pos) {
    return REFUSE_UNSUPPORTED(kRefused, "Pinning Object Array", env, err, ref_array, array_size,
                              cor_array, cor_array_size, pin_option, pin_duration, lock,
                              obj_array, pos);
}

OCI_EXPORT sword OCIObjectFree(OCIEnv *env, OCIError *err, void *instance, ub2 flags) {
    return REFUSE_UNSUPPORTED(kRefused, "Freeing Object", env, err, instance, flags);
}

OCI_EXPORT sword OCIObjectPin(OCIEnv *env, OCIError *err, OCIRef *object_ref,
                              OCIComplexObject *corhdl, OCIPinOpt pin_option,
                              OCIDuration pin_duration, OCILockOpt lock_option, void **object) {
    return REFUSE_UNSUPPORTED(kRefused, "Pinning Object", env, err, object_ref, corhdl,
                              pin_option, pin_duration, lock_option, object);
}

OCI_EXPORT sword OCIObjectPinCountReset(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Resetting Object Pin Count", env, err, object);
}

OCI_EXPORT sword OCIObjectPinTable(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                                   const OraText *schema_name, ub4 s_n_length,
                                   const OraText *object_name, ub4 o_n_length,
                                   const OCIRef *scope_obj_ref, OCIDuration pin_duration,
                                   void **object) {
    return REFUSE_UNSUPPORTED(kRefused, "Pinning Object Table", env, err, svc, schema_name,
                              s_n_length, object_name, o_n_length, scope_obj_ref, pin_duration,
                              object);
}

OCI_EXPORT sword OCIObjectUnpin(OCIEnv *env, OCIError *err, void *object) {
    return REFUSE_UNSUPPORTED(kRefused, "Unpinning Object", env, err, object);
}

// The type system.

OCI_EXPORT sword OCITypeArrayByName(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                                    ub4 array_len, const OraText *schema_name[], ub4 s_length[],
                                    const OraText *type_name[], ub4 t_length[],
                                    const OraText *version_name[], ub4 v_length[],
                                    OCIDuration pin_duration, OCITypeGetOpt get_option,
                                    OCIType **tdo) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Types By Name", env, err, svc, array_len,
                              schema_name, s_length, type_name, t_length, version_name, v_length,
                              pin_duration, get_option, tdo);
}

OCI_EXPORT sword OCITypeArrayByRef(OCIEnv *env, OCIError *err, ub4 array_len,
                                   const OCIRef **type_ref, OCIDuration pin_duration,
                                   OCITypeGetOpt get_option, OCIType **tdo) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Types By Reference", env, err, array_len,
                              type_ref, pin_duration, get_option, tdo);
}

OCI_EXPORT sword OCITypeByName(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                               const OraText *schema_name, ub4 s_length,
                               const OraText *type_name, ub4 t_length,
                               const OraText *version_name, ub4 v_length,
                               OCIDuration pin_duration, OCITypeGetOpt get_option,
                               OCIType **tdo) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Type By Name", env, err, svc, schema_name,
                              s_length, type_name, t_length, version_name, v_length, pin_duration,
                              get_option, tdo);
}

OCI_EXPORT sword OCITypeByRef(OCIEnv *env, OCIError *err, const OCIRef *type_ref,
                              OCIDuration pin_duration, OCITypeGetOpt get_option, OCIType **tdo) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Type By Reference", env, err, type_ref,
                              pin_duration, get_option, tdo);
}

OCI_EXPORT sword OCITypeAddAttr(OCISvcCtx *svchp, OCIError *errhp, OCIType *type,
                                const OraText *a_name, ub4 a_length, OCIParam *attr_info) {
    return REFUSE_UNSUPPORTED(kRefused, "Adding Type Attribute", svchp, errhp, type, a_name,
                              a_length, attr_info);
}

OCI_EXPORT sword OCITypeBeginCreate(OCISvcCtx *svchp, OCIError *errhp, OCITypeCode tc,
                                    OCIDuration dur, OCIType **type) {
    return REFUSE_UNSUPPORTED(kRefused, "Beginning Type Creation", svchp, errhp, tc, dur, type);
}

OCI_EXPORT sword OCITypeEndCreate(OCISvcCtx *svchp, OCIError *errhp, OCIType *type) {
    return REFUSE_UNSUPPORTED(kRefused, "Ending Type Creation", svchp, errhp, type);
}

OCI_EXPORT sword OCITypeSetBuiltin(OCISvcCtx *svchp, OCIError *errhp, OCIType *type,
                                   OCIParam *builtin_info) {
    return REFUSE_UNSUPPORTED(kRefused, "Setting Built-in Type", svchp, errhp, type,
                              builtin_info);
}

OCI_EXPORT sword OCITypeSetCollection(OCISvcCtx *svchp, OCIError *errhp, OCIType *type,
                                      OCIParam *collelem_info, ub4 coll_count) {
    return REFUSE_UNSUPPORTED(kRefused, "Setting Collection Type", svchp, errhp, type,
                              collelem_info, coll_count);
}

// Collections.

OCI_EXPORT sword OCICollAppend(OCIEnv *env, OCIError *err, const void *elem, const void *elemind,
                               OCIColl *coll) {
    return REFUSE_UNSUPPORTED(kRefused, "Appending Collection Element", env, err, elem, elemind,
                              coll);
}

OCI_EXPORT sword OCICollAssign(OCIEnv *env, OCIError *err, const OCIColl *rhs, OCIColl *lhs) {
    return REFUSE_UNSUPPORTED(kRefused, "Assigning Collection", env, err, rhs, lhs);
}

OCI_EXPORT sword OCICollAssignElem(OCIEnv *env, OCIError *err, sb4 index, const void *elem,
                                   const void *elemind, OCIColl *coll) {
    return REFUSE_UNSUPPORTED(kRefused, "Assigning Collection Element", env, err, index, elem,
                              elemind, coll);
}

OCI_EXPORT sword OCICollGetElem(OCIEnv *env, OCIError *err, const OCIColl *coll, sb4 index,
                                boolean *exists, void **elem, void **elemind) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Collection Element", env, err, coll, index,
                              exists, elem, elemind);
}

OCI_EXPORT sword OCICollGetElemArray(OCIEnv *env, OCIError *err, const OCIColl *coll, sb4 index,
                                     boolean *exists, void **elem, void **elemind,
                                     uword *nelems) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Collection Elements", env, err, coll, index,
                              exists, elem, elemind, nelems);
}

OCI_EXPORT sword OCICollIsLocator(OCIEnv *env, OCIError *err, const OCIColl *coll,
                                  boolean *result) {
    return REFUSE_UNSUPPORTED(kRefused, "Checking Whether Collection Is Locator", env, err, coll,
                              result);
}

OCI_EXPORT sb4 OCICollMax(OCIEnv *env, const OCIColl *coll) {
    return REFUSE_UNSUPPORTED(sb4{-1}, "Getting Collection Maximum Size", env, coll);
}

OCI_EXPORT sword OCICollSize(OCIEnv *env, OCIError *err, const OCIColl *coll, sb4 *size) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Collection Size", env, err, coll, size);
}

OCI_EXPORT sword OCICollTrim(OCIEnv *env, OCIError *err, sb4 trim_num, OCIColl *coll) {
    return REFUSE_UNSUPPORTED(kRefused, "Trimming Collection", env, err, trim_num, coll);
}

// Collection iterators.

OCI_EXPORT sword OCIIterCreate(OCIEnv *env, OCIError *err, const OCIColl *coll, OCIIter **itr) {
    return REFUSE_UNSUPPORTED(kRefused, "Creating Collection Iterator", env, err, coll, itr);
}

OCI_EXPORT sword OCIIterDelete(OCIEnv *env, OCIError *err, OCIIter **itr) {
    return REFUSE_UNSUPPORTED(kRefused, "Deleting Collection Iterator", env, err, itr);
}

OCI_EXPORT sword OCIIterGetCurrent(OCIEnv *env, OCIError *err, const OCIIter *itr, void **elem,
                                   void **elemind) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Current Collection Element", env, err, itr, elem,
                              elemind);
}

OCI_EXPORT sword OCIIterInit(OCIEnv *env, OCIError *err, const OCIColl *coll, OCIIter *itr) {
    return REFUSE_UNSUPPORTED(kRefused, "Initializing Collection Iterator", env, err, coll, itr);
}

OCI_EXPORT sword OCIIterNext(OCIEnv *env, OCIError *err, OCIIter *itr, void **elem,
                             void **elemind, boolean *eoc) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Next Collection Element", env, err, itr, elem,
                              elemind, eoc);
}

OCI_EXPORT sword OCIIterPrev(OCIEnv *env, OCIError *err, OCIIter *itr, void **elem,
                             void **elemind, boolean *boc) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Previous Collection Element", env, err, itr, elem,
                              elemind, boc);
}

// AnyData and AnyDataSet.

OCI_EXPORT sword OCIAnyDataAccess(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                                  OCITypeCode tc, OCIType *type, void *ind, void *attr_val,
                                  ub4 *length) {
    return REFUSE_UNSUPPORTED(kRefused, "Accessing AnyData", svchp, errhp, sdata, tc, type, ind,
                              attr_val, length);
}

OCI_EXPORT sword OCIAnyDataAttrGet(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                                   OCITypeCode tc, OCIType *type, void *ind, void *attr_val,
                                   ub4 *length, boolean is_any) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting AnyData Attribute", svchp, errhp, sdata, tc, type,
                              ind, attr_val, length, is_any);
}

OCI_EXPORT sword OCIAnyDataAttrSet(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                                   OCITypeCode tc, OCIType *type, void *ind, void *attr_val,
                                   ub4 length, boolean is_any) {
    return REFUSE_UNSUPPORTED(kRefused, "Setting AnyData Attribute", svchp, errhp, sdata, tc, type,
                              ind, attr_val, length, is_any);
}

OCI_EXPORT sword OCIAnyDataBeginCreate(OCISvcCtx *svchp, OCIError *errhp, OCITypeCode tc,
                                       OCIType *type, OCIDuration dur, OCIAnyData **sdata) {
    return REFUSE_UNSUPPORTED(kRefused, "Beginning AnyData Creation", svchp, errhp, tc, type, dur,
                              sdata);
}

OCI_EXPORT sword OCIAnyDataCollAddElem(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                                       OCITypeCode tc, OCIType *type, void *ind, void *attr_val,
                                       ub4 length, boolean is_any, boolean last_elem) {
    return REFUSE_UNSUPPORTED(kRefused, "Adding AnyData Collection Element", svchp, errhp, sdata,
                              tc, type, ind, attr_val, length, is_any, last_elem);
}

OCI_EXPORT sword OCIAnyDataCollGetElem(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                                       OCITypeCode tc, OCIType *type, void *ind, void *celem_val,
                                       ub4 *length, boolean is_any) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting AnyData Collection Element", svchp, errhp, sdata,
                              tc, type, ind, celem_val, length, is_any);
}

OCI_EXPORT sword OCIAnyDataConvert(OCISvcCtx *svchp, OCIError *errhp, OCITypeCode tc,
                                   OCIType *type, OCIDuration dur, void *ind, void *data_val,
                                   ub4 len, OCIAnyData **sdata) {
    return REFUSE_UNSUPPORTED(kRefused, "Converting To AnyData", svchp, errhp, tc, type, dur, ind,
                              data_val, len, sdata);
}

OCI_EXPORT sword OCIAnyDataDestroy(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata) {
    return REFUSE_UNSUPPORTED(kRefused, "Destroying AnyData", svchp, errhp, sdata);
}

OCI_EXPORT sword OCIAnyDataEndCreate(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata) {
    return REFUSE_UNSUPPORTED(kRefused, "Ending AnyData Creation", svchp, errhp, sdata);
}

OCI_EXPORT sword OCIAnyDataGetCurrAttrNum(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                                          ub4 *attrnum) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting AnyData Current Attribute", svchp, errhp, sdata,
                              attrnum);
}

OCI_EXPORT sword OCIAnyDataGetType(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                                   OCITypeCode *tc, OCIType **type) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting AnyData Type", svchp, errhp, sdata, tc, type);
}

OCI_EXPORT sword OCIAnyDataIsNull(OCISvcCtx *svchp, OCIError *errhp, OCIAnyData *sdata,
                                  boolean *isnull) {
    return REFUSE_UNSUPPORTED(kRefused, "Checking Whether AnyData Is Null", svchp, errhp, sdata,
                              isnull);
}

OCI_EXPORT sword OCIAnyDataSetAddInstance(OCISvcCtx *svchp, OCIError *errhp,
                                          OCIAnyDataSet *data_set, OCIAnyData **data) {
    return REFUSE_UNSUPPORTED(kRefused, "Adding AnyDataSet Instance", svchp, errhp, data_set,
                              data);
}

OCI_EXPORT sword OCIAnyDataSetBeginCreate(OCISvcCtx *svchp, OCIError *errhp,
                                          OCITypeCode typecode, const OCIType *type,
                                          OCIDuration dur, OCIAnyDataSet **data_set) {
    return REFUSE_UNSUPPORTED(kRefused, "Beginning AnyDataSet Creation", svchp, errhp, typecode,
                              type, dur, data_set);
}

OCI_EXPORT sword OCIAnyDataSetDestroy(OCISvcCtx *svchp, OCIError *errhp,
                                      OCIAnyDataSet *data_set) {
    return REFUSE_UNSUPPORTED(kRefused, "Destroying AnyDataSet", svchp, errhp, data_set);
}

OCI_EXPORT sword OCIAnyDataSetEndCreate(OCISvcCtx *svchp, OCIError *errhp,
                                        OCIAnyDataSet *data_set) {
    return REFUSE_UNSUPPORTED(kRefused, "Ending AnyDataSet Creation", svchp, errhp, data_set);
}

OCI_EXPORT sword OCIAnyDataSetGetCount(OCISvcCtx *svchp, OCIError *errhp,
                                       OCIAnyDataSet *data_set, ub4 *count) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting AnyDataSet Count", svchp, errhp, data_set,
                              count);
}

OCI_EXPORT sword OCIAnyDataSetGetInstance(OCISvcCtx *svchp, OCIError *errhp,
                                          OCIAnyDataSet *data_set, OCIAnyData **data) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting AnyDataSet Instance", svchp, errhp, data_set,
                              data);
}

OCI_EXPORT sword OCIAnyDataSetGetType(OCISvcCtx *svchp, OCIError *errhp, OCIAnyDataSet *data_set,
                                      OCITypeCode *tc, OCIType **type) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting AnyDataSet Type", svchp, errhp, data_set, tc,
                              type);
}

// RAW values.

OCI_EXPORT sword OCIRawAllocSize(OCIEnv *env, OCIError *err, const OCIRaw *raw,
                                 ub4 *allocsize) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting RAW Allocated Size", env, err, raw, allocsize);
}

OCI_EXPORT sword OCIRawAssignBytes(OCIEnv *env, OCIError *err, const ub1 *rhs, ub4 rhs_len,
                                   OCIRaw **lhs) {
    return REFUSE_UNSUPPORTED(kRefused, "Assigning Bytes To RAW", env, err, rhs, rhs_len, lhs);
}

OCI_EXPORT sword OCIRawAssignRaw(OCIEnv *env, OCIError *err, const OCIRaw *rhs, OCIRaw **lhs) {
    return REFUSE_UNSUPPORTED(kRefused, "Assigning RAW", env, err, rhs, lhs);
}

OCI_EXPORT ub1 *OCIRawPtr(OCIEnv *env, const OCIRaw *raw) {
    return REFUSE_UNSUPPORTED(static_cast<ub1 *>(nullptr), "Getting RAW Data Pointer", env, raw);
}

OCI_EXPORT sword OCIRawResize(OCIEnv *env, OCIError *err, ub4 new_size, OCIRaw **raw) {
    return REFUSE_UNSUPPORTED(kRefused, "Resizing RAW", env, err, new_size, raw);
}

OCI_EXPORT ub4 OCIRawSize(OCIEnv *env, const OCIRaw *raw) {
    return REFUSE_UNSUPPORTED(kAllOnes32, "Getting RAW Size", env, raw);
}

// References.

OCI_EXPORT sword OCIRefAssign(OCIEnv *env, OCIError *err, const OCIRef *source,
                              OCIRef **target) {
    return REFUSE_UNSUPPORTED(kRefused, "Assigning Reference", env, err, source, target);
}

OCI_EXPORT void OCIRefClear(OCIEnv *env, OCIRef *ref) {
    IGNORE_UNSUPPORTED("Clearing Reference", env, ref);
}

OCI_EXPORT sword OCIRefFromHex(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                               const OraText *hex, ub4 length, OCIRef **ref) {
    return REFUSE_UNSUPPORTED(kRefused, "Converting Hexadecimal Text To Reference", env, err, svc,
                              hex, length, ref);
}

OCI_EXPORT ub4 OCIRefHexSize(OCIEnv *env, const OCIRef *ref) {
    return REFUSE_UNSUPPORTED(kAllOnes32, "Getting Reference Hexadecimal Size", env, ref);
}

OCI_EXPORT boolean OCIRefIsEqual(OCIEnv *env, const OCIRef *x, const OCIRef *y) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Comparing References", env, x, y);
}

OCI_EXPORT boolean OCIRefIsNull(OCIEnv *env, const OCIRef *ref) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Checking Whether Reference Is Null", env, ref);
}

OCI_EXPORT sword OCIRefToHex(OCIEnv *env, OCIError *err, const OCIRef *ref, OraText *hex,
                             ub4 *hex_length) {
    return REFUSE_UNSUPPORTED(kRefused, "Converting Reference To Hexadecimal Text", env, err, ref,
                              hex, hex_length);
}

// Index tables.

OCI_EXPORT sword OCITableDelete(OCIEnv *env, OCIError *err, sb4 index, OCITable *tbl) {
    return REFUSE_UNSUPPORTED(kRefused, "Deleting Index Table Element", env, err, index, tbl);
}

OCI_EXPORT sword OCITableExists(OCIEnv *env, OCIError *err, const OCITable *tbl, sb4 index,
                                boolean *exists) {
    return REFUSE_UNSUPPORTED(kRefused, "Checking Index Table Element Existence", env, err, tbl,
                              index, exists);
}

OCI_EXPORT sword OCITableFirst(OCIEnv *env, OCIError *err, const OCITable *tbl, sb4 *index) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting First Index Table Element", env, err, tbl, index);
}

OCI_EXPORT sword OCITableLast(OCIEnv *env, OCIError *err, const OCITable *tbl, sb4 *index) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Last Index Table Element", env, err, tbl, index);
}

OCI_EXPORT sword OCITableNext(OCIEnv *env, OCIError *err, sb4 index, const OCITable *tbl,
                              sb4 *next_index, boolean *exists) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Next Index Table Element", env, err, index, tbl,
                              next_index, exists);
}

OCI_EXPORT sword OCITablePrev(OCIEnv *env, OCIError *err, sb4 index, const OCITable *tbl,
                              sb4 *prev_index, boolean *exists) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Previous Index Table Element", env, err, index,
                              tbl, prev_index, exists);
}

OCI_EXPORT sword OCITableSize(OCIEnv *env, OCIError *err, const OCITable *tbl, sb4 *size) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting Index Table Size", env, err, tbl, size);
}

// Strays: callback lookup (registrations are write-only here), time-zone
// conversion of OCIDate values, memory resizing and context keys.

OCI_EXPORT sword OCIUserCallbackGet(void *hndlp, ub4 type, void *ehndlp, ub4 fcode, ub4 when,
                                    OCIUserCallback *callbackp, void **ctxpp, OCIUcb *ucbDesc) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting User Callback", hndlp, type, ehndlp, fcode, when,
                              callbackp, ctxpp, ucbDesc);
}

OCI_EXPORT sword OCIDateZoneToZone(OCIError *err, const OCIDate *date1, const OraText *zon1,
                                   ub4 zon1_length, const OraText *zon2, ub4 zon2_length,
                                   OCIDate *date2) {
    return REFUSE_UNSUPPORTED(kRefused, "Converting Date Between Time Zones", err, date1, zon1,
                              zon1_length, zon2, zon2_length, date2);
}

OCI_EXPORT sword OCIMemoryResize(void *hdl, OCIError *err, void **mem, ub4 newsize, ub4 flags) {
    return REFUSE_UNSUPPORTED(kRefused, "Resizing Memory", hdl, err, mem, newsize, flags);
}

OCI_EXPORT sword OCIContextClearValue(void *hdl, OCIError *err, ub1 *key, ub1 keylen) {
    return REFUSE_UNSUPPORTED(kRefused, "Clearing Context Value", hdl, err, key, keylen);
}

OCI_EXPORT sword OCIContextGenerateKey(void *hdl, OCIError *err, ub4 *key) {
    return REFUSE_UNSUPPORTED(kRefused, "Generating Context Key", hdl, err, key);
}

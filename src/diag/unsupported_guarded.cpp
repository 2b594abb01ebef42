// Guarded entry points: calls an application cannot do without when it uses
// them at all (LOB and BFILE work, queuing, subscriptions, direct path,
// detached transactions, V7 conversions, ...). Silently failing would let it
// carry on with nothing done, so by default they end the process; with
// TAV_OCI_UIFCTN_RET_OK set they return success and leave the 3001 text on
// the error handle. The ones OCI gives a function code run the user callbacks
// registered for that code.
#include "diag/unsupported.h"

// Application contexts.

OCI_EXPORT sword OCIAppCtxClearAll(void *sesshndl, void *nsptr, ub4 nsptrlen, OCIError *errhp,
                                   ub4 mode) {
    return GUARDED_UNSUPPORTED(0, "Clearing Application Context", sesshndl, errhp, sesshndl,
                               nsptr, nsptrlen, errhp, mode);
}

OCI_EXPORT sword OCIAppCtxSet(void *sesshndl, void *nsptr, ub4 nsptrlen, void *attrptr,
                              ub4 attrptrlen, void *valueptr, ub4 valueptrlen, OCIError *errhp,
                              ub4 mode) {
    return GUARDED_UNSUPPORTED(0, "Setting Application Context", sesshndl, errhp, sesshndl, nsptr,
                               nsptrlen, attrptr, attrptrlen, valueptr, valueptrlen, errhp, mode);
}

// Database startup and shutdown.

OCI_EXPORT sword OCIDBStartup(OCISvcCtx *svchp, OCIError *errhp, OCIAdmin *admhp, ub4 mode,
                              ub4 flags) {
    return GUARDED_UNSUPPORTED(0, "Starting Database", svchp, errhp, svchp, errhp, admhp, mode,
                               flags);
}

OCI_EXPORT sword OCIDBShutdown(OCISvcCtx *svchp, OCIError *errhp, OCIAdmin *admhp, ub4 mode) {
    return GUARDED_UNSUPPORTED(0, "Shutting Down Database", svchp, errhp, svchp, errhp, admhp,
                               mode);
}

// Parameters.

OCI_EXPORT sword OCIParamSet(void *hdlp, ub4 htyp, OCIError *errhp, const void *dscp, ub4 dtyp,
                             ub4 pos) {
    return GUARDED_UNSUPPORTED(0, "Setting Parameter", hdlp, errhp, hdlp, htyp, errhp, dscp, dtyp,
                               pos);
}

// Object binds and defines.

OCI_EXPORT sword OCIBindObject(OCIBind *bindp, OCIError *errhp, const OCIType *type,
                               void **pgvpp, ub4 *pvszsp, void **indpp, ub4 *indszp) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_BINDOBJECT, "Binding Object", bindp, errhp, bindp,
                               errhp, type, pgvpp, pvszsp, indpp, indszp);
}

OCI_EXPORT sword OCIDefineObject(OCIDefine *defnp, OCIError *errhp, const OCIType *type,
                                 void **pgvpp, ub4 *pvszsp, void **indpp, ub4 *indszp) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_DEFINEOBJECT, "Defining Object", defnp, errhp, defnp,
                               errhp, type, pgvpp, pvszsp, indpp, indszp);
}

// Piecewise statement operations.

OCI_EXPORT sword OCIStmtGetPieceInfo(OCIStmt *stmtp, OCIError *errhp, void **hndlpp, ub4 *typep,
                                     ub1 *in_outp, ub4 *iterp, ub4 *idxp, ub1 *piecep) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_STMTGETPIECEINFO, "Getting Piece Information", stmtp,
                               errhp, stmtp, errhp, hndlpp, typep, in_outp, iterp, idxp, piecep);
}

OCI_EXPORT sword OCIStmtSetPieceInfo(void *hndlp, ub4 type, OCIError *errhp, const void *bufp,
                                     ub4 *alenp, ub1 piece, const void *indp, ub2 *rcodep) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_STMTSETPIECEINFO, "Setting Piece Information", hndlp,
                               errhp, hndlp, type, errhp, bufp, alenp, piece, indp, rcodep);
}

// Durations.

OCI_EXPORT sword OCIDurationBegin(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                                  OCIDuration parent, OCIDuration *dur) {
    return GUARDED_UNSUPPORTED(0, "Beginning Duration", env, err, env, err, svc, parent, dur);
}

OCI_EXPORT sword OCIDurationEnd(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                                OCIDuration duration) {
    return GUARDED_UNSUPPORTED(0, "Ending Duration", env, err, env, err, svc, duration);
}

// LOBs with callbacks. (The LOB calls drivers make on every LOB are in
// conn/lob_compat.cpp: guarded as these in the library's own mode, working
// in the Oracle-compatible mode.)

OCI_EXPORT sword OCILobAppend(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *dst_locp,
                              OCILobLocator *src_locp) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LOBAPPEND, "Appending LOB", svchp, errhp, svchp, errhp,
                               dst_locp, src_locp);
}

OCI_EXPORT sword OCILobArrayRead(OCISvcCtx *svchp, OCIError *errhp, ub4 *array_iter,
                                 OCILobLocator **lobp_arr, oraub8 *byte_amt_arr,
                                 oraub8 *char_amt_arr, oraub8 *offset_arr, void **bufp_arr,
                                 oraub8 *bufl_arr, ub1 piece, void *ctxp,
                                 OCICallbackLobArrayRead cbfp, ub2 csid, ub1 csfrm) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LOBARRAYREAD, "Reading LOB Array", svchp, errhp, svchp,
                               errhp, array_iter, lobp_arr, byte_amt_arr, char_amt_arr,
                               offset_arr, bufp_arr, bufl_arr, piece, ctxp, cbfp, csid, csfrm);
}

OCI_EXPORT sword OCILobArrayWrite(OCISvcCtx *svchp, OCIError *errhp, ub4 *array_iter,
                                  OCILobLocator **lobp_arr, oraub8 *byte_amt_arr,
                                  oraub8 *char_amt_arr, oraub8 *offset_arr, void **bufp_arr,
                                  oraub8 *bufl_arr, ub1 piece, void *ctxp,
                                  OCICallbackLobArrayWrite cbfp, ub2 csid, ub1 csfrm) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LOBARRAYWRITE, "Writing LOB Array", svchp, errhp, svchp,
                               errhp, array_iter, lobp_arr, byte_amt_arr, char_amt_arr,
                               offset_arr, bufp_arr, bufl_arr, piece, ctxp, cbfp, csid, csfrm);
}

OCI_EXPORT sword OCILobAssign(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *src_locp,
                              OCILobLocator **dst_locpp) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LOBASSIGN, "Assigning LOB Locator", envhp, errhp, envhp,
                               errhp, src_locp, dst_locpp);
}

OCI_EXPORT sword OCILobCharSetForm(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *locp,
                                   ub1 *csfrm) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LOBCHARSETFORM, "Getting LOB Character Set Form", envhp,
                               errhp, envhp, errhp, locp, csfrm);
}

OCI_EXPORT sword OCILobCopy(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *dst_locp,
                            OCILobLocator *src_locp, ub4 amount, ub4 dst_offset,
                            ub4 src_offset) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LOBCOPY, "Copying LOB", svchp, errhp, svchp, errhp,
                               dst_locp, src_locp, amount, dst_offset, src_offset);
}

OCI_EXPORT sword OCILobCopy2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *dst_locp,
                             OCILobLocator *src_locp, oraub8 amount, oraub8 dst_offset,
                             oraub8 src_offset) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LOBCOPY2, "Copying LOB", svchp, errhp, svchp, errhp,
                               dst_locp, src_locp, amount, dst_offset, src_offset);
}

OCI_EXPORT sword OCILobFileClose(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *filep) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LOBCLOSEFILE, "Closing BFILE", svchp, errhp, svchp,
                               errhp, filep);
}

// LOBs and BFILEs.

OCI_EXPORT sword OCILobCharSetId(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *locp,
                                 ub2 *csid) {
    return GUARDED_UNSUPPORTED(0, "Getting LOB Character Set", envhp, errhp, envhp, errhp, locp,
                               csid);
}

OCI_EXPORT sword OCILobDisableBuffering(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp) {
    return GUARDED_UNSUPPORTED(0, "Disabling LOB Buffering", svchp, errhp, svchp, errhp, locp);
}

OCI_EXPORT sword OCILobEnableBuffering(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp) {
    return GUARDED_UNSUPPORTED(0, "Enabling LOB Buffering", svchp, errhp, svchp, errhp, locp);
}

OCI_EXPORT sword OCILobErase(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *amount,
                             ub4 offset) {
    return GUARDED_UNSUPPORTED(0, "Erasing LOB", svchp, errhp, svchp, errhp, locp, amount, offset);
}

OCI_EXPORT sword OCILobErase2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp,
                              oraub8 *amount, oraub8 offset) {
    return GUARDED_UNSUPPORTED(0, "Erasing LOB", svchp, errhp, svchp, errhp, locp, amount, offset);
}

OCI_EXPORT sword OCILobFileCloseAll(OCISvcCtx *svchp, OCIError *errhp) {
    return GUARDED_UNSUPPORTED(0, "Closing All BFILEs", svchp, errhp, svchp, errhp);
}

OCI_EXPORT sword OCILobFileExists(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *filep,
                                  boolean *flag) {
    return GUARDED_UNSUPPORTED(0, "Checking BFILE Existence", svchp, errhp, svchp, errhp, filep,
                               flag);
}

OCI_EXPORT sword OCILobFileGetName(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *filep,
                                   OraText *dir_alias, ub2 *d_length, OraText *filename,
                                   ub2 *f_length) {
    return GUARDED_UNSUPPORTED(0, "Getting BFILE Name", envhp, errhp, envhp, errhp, filep,
                               dir_alias, d_length, filename, f_length);
}

OCI_EXPORT sword OCILobFileIsOpen(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *filep,
                                  boolean *flag) {
    return GUARDED_UNSUPPORTED(0, "Checking Whether BFILE Is Open", svchp, errhp, svchp, errhp,
                               filep, flag);
}

OCI_EXPORT sword OCILobFileOpen(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *filep,
                                ub1 mode) {
    return GUARDED_UNSUPPORTED(0, "Opening BFILE", svchp, errhp, svchp, errhp, filep, mode);
}

OCI_EXPORT sword OCILobFileSetName(OCIEnv *envhp, OCIError *errhp, OCILobLocator **filepp,
                                   const OraText *dir_alias, ub2 d_length,
                                   const OraText *filename, ub2 f_length) {
    return GUARDED_UNSUPPORTED(0, "Setting BFILE Name", envhp, errhp, envhp, errhp, filepp,
                               dir_alias, d_length, filename, f_length);
}

OCI_EXPORT sword OCILobFlushBuffer(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp,
                                   ub4 flag) {
    return GUARDED_UNSUPPORTED(0, "Flushing LOB Buffer", svchp, errhp, svchp, errhp, locp, flag);
}

OCI_EXPORT sword OCILobGetStorageLimit(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *lobp,
                                       oraub8 *limitp) {
    return GUARDED_UNSUPPORTED(0, "Getting LOB Storage Limit", svchp, errhp, svchp, errhp, lobp,
                               limitp);
}

OCI_EXPORT sword OCILobIsEqual(OCIEnv *envhp, const OCILobLocator *x, const OCILobLocator *y,
                               boolean *is_equal) {
    return GUARDED_UNSUPPORTED(0, "Comparing LOB Locators", envhp, nullptr, envhp, x, y, is_equal);
}

OCI_EXPORT sword OCILobLoadFromFile(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *dst_locp,
                                    OCILobLocator *src_filep, ub4 amount, ub4 dst_offset,
                                    ub4 src_offset) {
    return GUARDED_UNSUPPORTED(0, "Loading LOB From BFILE", svchp, errhp, svchp, errhp, dst_locp,
                               src_filep, amount, dst_offset, src_offset);
}

OCI_EXPORT sword OCILobLoadFromFile2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *dst_locp,
                                     OCILobLocator *src_filep, oraub8 amount, oraub8 dst_offset,
                                     oraub8 src_offset) {
    return GUARDED_UNSUPPORTED(0, "Loading LOB From BFILE", svchp, errhp, svchp, errhp, dst_locp,
                               src_filep, amount, dst_offset, src_offset);
}

OCI_EXPORT sword OCILobLocatorIsInit(OCIEnv *envhp, OCIError *errhp, const OCILobLocator *locp,
                                     boolean *is_initialized) {
    return GUARDED_UNSUPPORTED(0, "Checking Whether LOB Locator Is Initialized", envhp, errhp,
                               envhp, errhp, locp, is_initialized);
}

OCI_EXPORT sword OCILobWrite(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *locp, ub4 *amtp,
                             ub4 offset, void *bufp, ub4 buflen, ub1 piece, void *ctxp,
                             OCICallbackLobWrite cbfp, ub2 csid, ub1 csfrm) {
    return GUARDED_UNSUPPORTED(0, "Writing LOB", svchp, errhp, svchp, errhp, locp, amtp, offset,
                               bufp, buflen, piece, ctxp, cbfp, csid, csfrm);
}

OCI_EXPORT sword OCILobWriteAppend2(OCISvcCtx *svchp, OCIError *errhp, OCILobLocator *lobp,
                                    oraub8 *byte_amtp, oraub8 *char_amtp, void *bufp,
                                    oraub8 bufl, ub1 piece, void *ctxp, OCICallbackLobWrite2 cbfp,
                                    ub2 csid, ub1 csfrm) {
    return GUARDED_UNSUPPORTED(0, "Appending To LOB", svchp, errhp, svchp, errhp, lobp, byte_amtp,
                               char_amtp, bufp, bufl, piece, ctxp, cbfp, csid, csfrm);
}

// Advanced queuing.

OCI_EXPORT sword OCIAQDeq(OCISvcCtx *svchp, OCIError *errhp, OraText *queue_name,
                          OCIAQDeqOptions *deqopt, OCIAQMsgProperties *msgprop,
                          OCIType *payload_tdo, void **payload, void **payload_ind,
                          OCIRaw **msgid, ub4 flags) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_AQDEQ, "Dequeuing Message", svchp, errhp, svchp, errhp,
                               queue_name, deqopt, msgprop, payload_tdo, payload, payload_ind,
                               msgid, flags);
}

OCI_EXPORT sword OCIAQDeqArray(OCISvcCtx *svchp, OCIError *errhp, OraText *queue_name,
                               OCIAQDeqOptions *deqopt, ub4 *iters, OCIAQMsgProperties **msgprop,
                               OCIType *payload_tdo, void **payload, void **payload_ind,
                               OCIRaw **msgid, void *ctxp, OCICallbackAQDeq deqcbfp,
                               ub4 flags) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_AQDEQARRAY, "Dequeuing Message Array", svchp, errhp,
                               svchp, errhp, queue_name, deqopt, iters, msgprop, payload_tdo,
                               payload, payload_ind, msgid, ctxp, deqcbfp, flags);
}

OCI_EXPORT sword OCIAQEnq(OCISvcCtx *svchp, OCIError *errhp, OraText *queue_name,
                          OCIAQEnqOptions *enqopt, OCIAQMsgProperties *msgprop,
                          OCIType *payload_tdo, void **payload, void **payload_ind,
                          OCIRaw **msgid, ub4 flags) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_AQENQ, "Enqueuing Message", svchp, errhp, svchp, errhp,
                               queue_name, enqopt, msgprop, payload_tdo, payload, payload_ind,
                               msgid, flags);
}

OCI_EXPORT sword OCIAQEnqArray(OCISvcCtx *svchp, OCIError *errhp, OraText *queue_name,
                               OCIAQEnqOptions *enqopt, ub4 *iters, OCIAQMsgProperties **msgprop,
                               OCIType *payload_tdo, void **payload, void **payload_ind,
                               OCIRaw **msgid, void *ctxp, OCICallbackAQEnq enqcbfp,
                               ub4 flags) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_AQENQARRAY, "Enqueuing Message Array", svchp, errhp,
                               svchp, errhp, queue_name, enqopt, iters, msgprop, payload_tdo,
                               payload, payload_ind, msgid, ctxp, enqcbfp, flags);
}

OCI_EXPORT sword OCIAQListen(OCISvcCtx *svchp, OCIError *errhp, OCIAQAgent **agent_list,
                             ub4 num_agents, sb4 wait, OCIAQAgent **agent, ub4 flags) {
    return GUARDED_UNSUPPORTED(0, "Listening On Queues", svchp, errhp, svchp, errhp, agent_list,
                               num_agents, wait, agent, flags);
}

OCI_EXPORT sword OCIAQListen2(OCISvcCtx *svchp, OCIError *errhp, OCIAQAgent **agent_list,
                              ub4 num_agents, OCIAQListenOpts *lopts, OCIAQAgent **agent,
                              OCIAQLisMsgProps *lmops, ub4 flags) {
    return GUARDED_UNSUPPORTED(0, "Listening On Queues", svchp, errhp, svchp, errhp, agent_list,
                               num_agents, lopts, agent, lmops, flags);
}

// Subscriptions.

OCI_EXPORT sword OCISubscriptionDisable(OCISubscription *subscrhp, OCIError *errhp, ub4 mode) {
    return GUARDED_UNSUPPORTED(0, "Disabling Subscription", subscrhp, errhp, subscrhp, errhp,
                               mode);
}

OCI_EXPORT sword OCISubscriptionEnable(OCISubscription *subscrhp, OCIError *errhp, ub4 mode) {
    return GUARDED_UNSUPPORTED(0, "Enabling Subscription", subscrhp, errhp, subscrhp, errhp, mode);
}

OCI_EXPORT sword OCISubscriptionPost(OCISvcCtx *svchp, OCISubscription **subscrhpp, ub2 count,
                                     OCIError *errhp, ub4 mode) {
    return GUARDED_UNSUPPORTED(0, "Posting To Subscriptions", svchp, errhp, svchp, subscrhpp,
                               count, errhp, mode);
}

OCI_EXPORT sword OCISubscriptionRegister(OCISvcCtx *svchp, OCISubscription **subscrhpp,
                                         ub2 count, OCIError *errhp, ub4 mode) {
    return GUARDED_UNSUPPORTED(0, "Registering Subscriptions", svchp, errhp, svchp, subscrhpp,
                               count, errhp, mode);
}

OCI_EXPORT sword OCISubscriptionUnRegister(OCISvcCtx *svchp, OCISubscription *subscrhp,
                                           OCIError *errhp, ub4 mode) {
    return GUARDED_UNSUPPORTED(0, "Unregistering Subscription", svchp, errhp, svchp, subscrhp,
                               errhp, mode);
}

// Direct path loading.

OCI_EXPORT sword OCIDirPathAbort(OCIDirPathCtx *dpctx, OCIError *errhp) {
    return GUARDED_UNSUPPORTED(0, "Aborting Direct Path Load", dpctx, errhp, dpctx, errhp);
}

OCI_EXPORT sword OCIDirPathColArrayEntryGet(OCIDirPathColArray *dpca, OCIError *errhp,
                                            ub4 rownum, ub2 colIdx, ub1 **cvalpp, ub4 *clenp,
                                            ub1 *cflgp) {
    return GUARDED_UNSUPPORTED(0, "Getting Direct Path Column Array Entry", dpca, errhp, dpca,
                               errhp, rownum, colIdx, cvalpp, clenp, cflgp);
}

OCI_EXPORT sword OCIDirPathColArrayEntrySet(OCIDirPathColArray *dpca, OCIError *errhp,
                                            ub4 rownum, ub2 colIdx, ub1 *cvalp, ub4 clen,
                                            ub1 cflg) {
    return GUARDED_UNSUPPORTED(0, "Setting Direct Path Column Array Entry", dpca, errhp, dpca,
                               errhp, rownum, colIdx, cvalp, clen, cflg);
}

OCI_EXPORT sword OCIDirPathColArrayRowGet(OCIDirPathColArray *dpca, OCIError *errhp, ub4 rownum,
                                          ub1 ***cvalppp, ub4 **clenpp, ub1 **cflgpp) {
    return GUARDED_UNSUPPORTED(0, "Getting Direct Path Column Array Row", dpca, errhp, dpca, errhp,
                               rownum, cvalppp, clenpp, cflgpp);
}

OCI_EXPORT sword OCIDirPathColArrayReset(OCIDirPathColArray *dpca, OCIError *errhp) {
    return GUARDED_UNSUPPORTED(0, "Resetting Direct Path Column Array", dpca, errhp, dpca, errhp);
}

OCI_EXPORT sword OCIDirPathColArrayToStream(OCIDirPathColArray *dpca, OCIDirPathCtx const *dpctx,
                                            OCIDirPathStream *dpstr, OCIError *errhp,
                                            ub4 rowcnt, ub4 rowoff) {
    return GUARDED_UNSUPPORTED(0, "Converting Direct Path Column Array To Stream", dpca, errhp,
                               dpca, dpctx, dpstr, errhp, rowcnt, rowoff);
}

OCI_EXPORT sword OCIDirPathDataSave(OCIDirPathCtx *dpctx, OCIError *errhp, ub4 action) {
    return GUARDED_UNSUPPORTED(0, "Saving Direct Path Data", dpctx, errhp, dpctx, errhp, action);
}

OCI_EXPORT sword OCIDirPathFinish(OCIDirPathCtx *dpctx, OCIError *errhp) {
    return GUARDED_UNSUPPORTED(0, "Finishing Direct Path Load", dpctx, errhp, dpctx, errhp);
}

OCI_EXPORT sword OCIDirPathFlushRow(OCIDirPathCtx *dpctx, OCIError *errhp) {
    return GUARDED_UNSUPPORTED(0, "Flushing Direct Path Row", dpctx, errhp, dpctx, errhp);
}

OCI_EXPORT sword OCIDirPathLoadStream(OCIDirPathCtx *dpctx, OCIDirPathStream *dpstr,
                                      OCIError *errhp) {
    return GUARDED_UNSUPPORTED(0, "Loading Direct Path Stream", dpctx, errhp, dpctx, dpstr, errhp);
}

OCI_EXPORT sword OCIDirPathPrepare(OCIDirPathCtx *dpctx, OCISvcCtx *svchp, OCIError *errhp) {
    return GUARDED_UNSUPPORTED(0, "Preparing Direct Path Load", dpctx, errhp, dpctx, svchp, errhp);
}

OCI_EXPORT sword OCIDirPathStreamReset(OCIDirPathStream *dpstr, OCIError *errhp) {
    return GUARDED_UNSUPPORTED(0, "Resetting Direct Path Stream", dpstr, errhp, dpstr, errhp);
}

// Transactions. OCITransMultiPrepare takes one error handle per branch; none
// of them is singled out for the message.

OCI_EXPORT sword OCITransDetach(OCISvcCtx *svchp, OCIError *errhp, ub4 flags) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_TRANSDETACH, "Detaching Transaction", svchp, errhp,
                               svchp, errhp, flags);
}

OCI_EXPORT sword OCITransForget(OCISvcCtx *svchp, OCIError *errhp, ub4 flags) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_TRANSFORGET, "Forgetting Transaction", svchp, errhp,
                               svchp, errhp, flags);
}

OCI_EXPORT sword OCITransMultiPrepare(OCISvcCtx *svchp, ub4 numBranches, OCITrans **txns,
                                      OCIError **errhp) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_TRANSMULTIPREPARE, "Preparing Transaction Branches",
                               svchp, nullptr, svchp, numBranches, txns, errhp);
}

// Conversions. OCILdaToSvcCtx only writes through svchpp, so its callbacks
// find the environment through the error handle.

OCI_EXPORT sword OCILdaToSvcCtx(OCISvcCtx **svchpp, OCIError *errhp, Lda_Def *ldap) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_LDATOSVCCTX, "Converting LDA To Service Context",
                               nullptr, errhp, svchpp, errhp, ldap);
}

OCI_EXPORT sword OCISvcCtxToLda(OCISvcCtx *svchp, OCIError *errhp, Lda_Def *ldap) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_SVCCTXTOLDA, "Converting Service Context To LDA", svchp,
                               errhp, svchp, errhp, ldap);
}

OCI_EXPORT sword OCIRowidToChar(OCIRowid *rowidDesc, OraText *outbfp, ub2 *outbflp,
                                OCIError *errhp) {
    return GUARDED_UNSUPPORTED(OCI_FNCODE_ROWIDTOCHAR, "Converting ROWID To Text", rowidDesc,
                               errhp, rowidDesc, outbfp, outbflp, errhp);
}

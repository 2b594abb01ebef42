/*
 * What applications rely on beyond names: the byte layout of the value
 * types they allocate themselves, the accessor macros, the exact types of
 * the callbacks they implement and of the calls every program makes.
 * Compiled as C11 and as C++17 (header_layout.cpp); most checks happen at
 * compile time, the rest run and report.  Only headers are used: nothing
 * here needs the library.
 */
#include <oci.h>

#include <stddef.h>
#include <stdio.h>
#include <string.h>

#ifdef __cplusplus
#include <type_traits>
#define LAYOUT_ASSERT(cond, msg) static_assert(cond, msg)
#define SAME_TYPE(expr, T) (std::is_same<decltype(expr), T>::value)
#else
#define LAYOUT_ASSERT(cond, msg) _Static_assert(cond, msg)
#define SAME_TYPE(expr, T) _Generic((expr), T: 1, default: 0)
#endif

/* ====================================================================
 * Scalars
 * ================================================================== */
LAYOUT_ASSERT(sizeof(ub1) == 1 && sizeof(sb1) == 1, "1-byte scalars");
LAYOUT_ASSERT(sizeof(ub2) == 2 && sizeof(sb2) == 2, "2-byte scalars");
LAYOUT_ASSERT(sizeof(ub4) == 4 && sizeof(sb4) == 4, "4-byte scalars");
LAYOUT_ASSERT(sizeof(ub8) == 8 && sizeof(sb8) == 8, "8-byte scalars");
LAYOUT_ASSERT(sizeof(oraub8) == 8 && sizeof(orasb8) == 8, "oraub8/orasb8");
LAYOUT_ASSERT((sb1)-1 < 0 && (sb2)-1 < 0 && (sb4)-1 < 0 && (sb8)-1 < 0,
              "sbN types are signed");
LAYOUT_ASSERT((ub1)-1 > 0 && (ub2)-1 > 0 && (ub4)-1 > 0 && (ub8)-1 > 0,
              "ubN types are unsigned");
LAYOUT_ASSERT(sizeof(sword) == sizeof(int) && sizeof(uword) == sizeof(int),
              "machine words");
LAYOUT_ASSERT(sizeof(OraText) == 1 && sizeof(text) == 1 && sizeof(utext) == 2,
              "text units");
LAYOUT_ASSERT(sizeof(boolean) == sizeof(int), "boolean is passed as int");
LAYOUT_ASSERT(sizeof(OCIWchar) == 4, "wide characters are 32-bit");
LAYOUT_ASSERT(sizeof(ubig_ora) == sizeof(long), "ubig_ora is a long");
#ifndef ORAXB8_DEFINED
#error "ORAXB8_DEFINED must announce the 64-bit types"
#endif

/* Limits, including the platform-independent minimum maxima. */
LAYOUT_ASSERT(UB1MAXVAL == 255 && SB1MINVAL == -128, "8-bit limits");
LAYOUT_ASSERT(UB2MAXVAL == 65535 && SB2MINVAL == -32768, "16-bit limits");
LAYOUT_ASSERT(UB4MAXVAL == 4294967295U && SB4MAXVAL == 2147483647,
              "32-bit limits");
LAYOUT_ASSERT(SB4MINVAL == -2147483647 - 1, "32-bit minimum");
LAYOUT_ASSERT(UB8MAXVAL == 18446744073709551615ULL, "64-bit unsigned max");
LAYOUT_ASSERT(SB8MAXVAL == 9223372036854775807LL, "64-bit signed max");
LAYOUT_ASSERT(SB8MINVAL == -9223372036854775807LL - 1, "64-bit signed min");
LAYOUT_ASSERT(MINUB4MAXVAL == UB4MAXVAL && MINSB4MAXVAL == SB4MAXVAL,
              "guaranteed 32-bit ranges");
LAYOUT_ASSERT(TRUE == 1 && FALSE == 0, "truth values");

/* ====================================================================
 * Value types applications allocate
 * ================================================================== */
LAYOUT_ASSERT(sizeof(OCINumber) == 22, "OCINumber is 22 bytes");
LAYOUT_ASSERT(sizeof(((OCINumber *)0)->OCINumberPart) == OCI_NUMBER_SIZE,
              "OCINumberPart spans the whole number");

LAYOUT_ASSERT(sizeof(OCITime) == 3, "OCITime is three bytes");
LAYOUT_ASSERT(offsetof(OCITime, OCITimeHH) == 0 &&
                  offsetof(OCITime, OCITimeMI) == 1 &&
                  offsetof(OCITime, OCITimeSS) == 2,
              "OCITime field order");
LAYOUT_ASSERT(sizeof(OCIDate) == 8, "OCIDate is 8 bytes");
LAYOUT_ASSERT(offsetof(OCIDate, OCIDateYYYY) == 0 &&
                  offsetof(OCIDate, OCIDateMM) == 2 &&
                  offsetof(OCIDate, OCIDateDD) == 3 &&
                  offsetof(OCIDate, OCIDateTime) == 4,
              "OCIDate field order");
LAYOUT_ASSERT(sizeof(((OCIDate *)0)->OCIDateYYYY) == 2, "year is sb2");

LAYOUT_ASSERT(offsetof(XID, formatID) == 0 &&
                  offsetof(XID, gtrid_length) == sizeof(long) &&
                  offsetof(XID, bqual_length) == 2 * sizeof(long) &&
                  offsetof(XID, data) == 3 * sizeof(long),
              "XID header is three longs");
LAYOUT_ASSERT(sizeof(((XID *)0)->data) == XIDDATASIZE && XIDDATASIZE == 128,
              "XID data area");
LAYOUT_ASSERT(MAXGTRIDSIZE + MAXBQUALSIZE == XIDDATASIZE,
              "gtrid and bqual fill the data area");
#if defined(__LP64__) || defined(_LP64)
LAYOUT_ASSERT(sizeof(XID) == 152, "XID is 152 bytes on LP64");
#endif

LAYOUT_ASSERT(offsetof(OCIFocbkStruct, callback_function) == 0 &&
                  offsetof(OCIFocbkStruct, fo_ctx) == sizeof(void *),
              "failover callback struct");
LAYOUT_ASSERT(sizeof(Cda_Def) == CDA_SIZE && sizeof(Lda_Def) == CDA_SIZE,
              "release-7 data areas have their declared size");

/* Typed indicator and duration values fit their types. */
LAYOUT_ASSERT(sizeof(OCIInd) == 2 && sizeof(OCIDuration) == 2 &&
                  sizeof(OCITypeCode) == 2,
              "two-byte object types");
LAYOUT_ASSERT((OCIDuration)OCI_DURATION_INVALID == 0xFFFF,
              "OCI_DURATION_INVALID fits OCIDuration");

/* ====================================================================
 * Aliases that applications mix freely
 * ================================================================== */
LAYOUT_ASSERT(SAME_TYPE((OCIBlobLocator *)0, OCILobLocator *) &&
                  SAME_TYPE((OCIClobLocator *)0, OCILobLocator *) &&
                  SAME_TYPE((OCIBFileLocator *)0, OCILobLocator *),
              "LOB locator names are one type");
LAYOUT_ASSERT(SAME_TYPE((OCIArray *)0, OCIColl *) &&
                  SAME_TYPE((OCITable *)0, OCIColl *),
              "VARRAY and nested table are collections");
LAYOUT_ASSERT(SAME_TYPE((OraText *)0, unsigned char *) &&
                  SAME_TYPE((oratext *)0, unsigned char *),
              "text is unsigned char");
LAYOUT_ASSERT(!SAME_TYPE((OCIEnv *)0, OCIError *) &&
                  !SAME_TYPE((OCISvcCtx *)0, OCIServer *) &&
                  !SAME_TYPE((OCIStmt *)0, OCIBind *),
              "handles are distinct types");

/* ====================================================================
 * Callback types applications implement
 * ================================================================== */
typedef sword ucb_fn(void *ctxp, void *hndlp, ub4 type, ub4 fcode, ub4 when,
                     sword returnCode, sb4 *errnop, va_list arglist);
typedef sword env_cb_fn(OCIEnv *env, ub4 mode, size_t xtramem_sz,
                        void *usrmemp, OCIUcb *ucbDesc);
typedef sb4 in_bind_fn(void *ictxp, OCIBind *bindp, ub4 iter, ub4 index,
                       void **bufpp, ub4 *alenp, ub1 *piecep, void **indp);
typedef sb4 out_bind_fn(void *octxp, OCIBind *bindp, ub4 iter, ub4 index,
                        void **bufpp, ub4 **alenp, ub1 *piecep, void **indp,
                        ub2 **rcodep);
typedef sb4 define_fn(void *octxp, OCIDefine *defnp, ub4 iter, void **bufpp,
                      ub4 **alenp, ub1 *piecep, void **indp, ub2 **rcodep);
typedef sb4 lob_read_fn(void *ctxp, const void *bufp, ub4 len, ub1 piece);
typedef sb4 lob_write_fn(void *ctxp, void *bufp, ub4 *lenp, ub1 *piece);
typedef sb4 lob_read2_fn(void *ctxp, const void *bufp, oraub8 len,
                         ub1 piece, void **changed_bufpp,
                         oraub8 *changed_lenp);
typedef sb4 lob_write2_fn(void *ctxp, void *bufp, oraub8 *lenp, ub1 *piece,
                          void **changed_bufpp, oraub8 *changed_lenp);
typedef sb4 failover_fn(void *svcctx, void *envctx, void *fo_ctx,
                        ub4 fo_type, ub4 fo_event);
typedef ub4 notify_fn(void *ctx, OCISubscription *subscrhp, void *pay,
                      ub4 payl, void *desc, ub4 mode);
typedef void event_fn(void *evtctx, OCIEvent *eventhp);

LAYOUT_ASSERT(SAME_TYPE((OCIUserCallback)0, ucb_fn *), "OCIUserCallback");
LAYOUT_ASSERT(SAME_TYPE((OCIEnvCallbackType)0, env_cb_fn *),
              "OCIEnvCallbackType");
LAYOUT_ASSERT(SAME_TYPE((OCICallbackInBind)0, in_bind_fn *),
              "OCICallbackInBind");
LAYOUT_ASSERT(SAME_TYPE((OCICallbackOutBind)0, out_bind_fn *),
              "OCICallbackOutBind");
LAYOUT_ASSERT(SAME_TYPE((OCICallbackDefine)0, define_fn *),
              "OCICallbackDefine");
LAYOUT_ASSERT(SAME_TYPE((OCICallbackLobRead)0, lob_read_fn *),
              "OCICallbackLobRead");
LAYOUT_ASSERT(SAME_TYPE((OCICallbackLobWrite)0, lob_write_fn *),
              "OCICallbackLobWrite");
LAYOUT_ASSERT(SAME_TYPE((OCICallbackLobRead2)0, lob_read2_fn *),
              "OCICallbackLobRead2");
LAYOUT_ASSERT(SAME_TYPE((OCICallbackLobWrite2)0, lob_write2_fn *),
              "OCICallbackLobWrite2");
LAYOUT_ASSERT(SAME_TYPE((OCICallbackFailover)0, failover_fn *),
              "OCICallbackFailover");
LAYOUT_ASSERT(SAME_TYPE((OCISubscriptionNotify)0, notify_fn *),
              "OCISubscriptionNotify");
LAYOUT_ASSERT(SAME_TYPE((OCIEventCallback)0, event_fn *), "OCIEventCallback");

/* ====================================================================
 * The calls every program makes, with their exact parameter types.  A
 * drifting const or width here would break callers that pass the
 * documented types.
 * ================================================================== */
typedef void *malloc_fn(void *ctxp, size_t size);
typedef void *realloc_fn(void *ctxp, void *memptr, size_t newsize);
typedef void free_fn(void *ctxp, void *memptr);

typedef sword env_create_fn(OCIEnv **, ub4, void *, malloc_fn *,
                            realloc_fn *, free_fn *, size_t, void **);
typedef sword env_nls_create_fn(OCIEnv **, ub4, void *, malloc_fn *,
                                realloc_fn *, free_fn *, size_t, void **,
                                ub2, ub2);
typedef sword handle_alloc_fn(const void *, void **, ub4, size_t, void **);
typedef sword handle_free_fn(void *, ub4);
typedef sword attr_get_fn(const void *, ub4, void *, ub4 *, ub4, OCIError *);
typedef sword attr_set_fn(void *, ub4, void *, ub4, ub4, OCIError *);
typedef sword error_get_fn(void *, ub4, OraText *, sb4 *, OraText *, ub4,
                           ub4);
typedef sword pg_error_get_fn(void *, ub4, OraText *, ub4, OraText *, ub4,
                              ub4);
typedef sword server_attach_fn(OCIServer *, OCIError *, const OraText *, sb4,
                               ub4);
typedef sword session_begin_fn(OCISvcCtx *, OCIError *, OCISession *, ub4,
                               ub4);
typedef sword logon_fn(OCIEnv *, OCIError *, OCISvcCtx **, const OraText *,
                       ub4, const OraText *, ub4, const OraText *, ub4);
typedef sword stmt_prepare_fn(OCIStmt *, OCIError *, const OraText *, ub4,
                              ub4, ub4);
typedef sword stmt_prepare2_fn(OCISvcCtx *, OCIStmt **, OCIError *,
                               const OraText *, ub4, const OraText *, ub4,
                               ub4, ub4);
typedef sword bind_by_name_fn(OCIStmt *, OCIBind **, OCIError *,
                              const OraText *, sb4, void *, sb4, ub2, void *,
                              ub2 *, ub2 *, ub4, ub4 *, ub4);
typedef sword bind_by_pos_fn(OCIStmt *, OCIBind **, OCIError *, ub4, void *,
                             sb4, ub2, void *, ub2 *, ub2 *, ub4, ub4 *, ub4);
typedef sword define_by_pos_fn(OCIStmt *, OCIDefine **, OCIError *, ub4,
                               void *, sb4, ub2, void *, ub2 *, ub2 *, ub4);
typedef sword stmt_execute_fn(OCISvcCtx *, OCIStmt *, OCIError *, ub4, ub4,
                              const OCISnapshot *, OCISnapshot *, ub4);
typedef sword stmt_fetch2_fn(OCIStmt *, OCIError *, ub4, ub2, sb4, ub4);
typedef sword param_get_fn(const void *, ub4, OCIError *, void **, ub4);
typedef sword trans_fn(OCISvcCtx *, OCIError *, ub4);
typedef sword lob_read2_call_fn(OCISvcCtx *, OCIError *, OCILobLocator *,
                                oraub8 *, oraub8 *, oraub8, void *, oraub8,
                                ub1, void *, OCICallbackLobRead2, ub2, ub1);
typedef sword ucb_register_fn(void *, ub4, void *, OCIUserCallback, void *,
                              ub4, ub4, OCIUcb *);
typedef sword number_to_int_fn(OCIError *, const OCINumber *, uword, uword,
                               void *);
typedef sword date_to_text_fn(OCIError *, const OCIDate *, const oratext *,
                              ub1, const oratext *, ub4, ub4 *, oratext *);
typedef OCIEnv *xao_env_fn(OraText *);
typedef OCISvcCtx *xao_svcctx_fn(OraText *);
typedef sword thread_create_fn(void *, OCIError *, void (*)(void *), void *,
                               OCIThreadId *, OCIThreadHandle *);
typedef sword extproc_env_fn(OCIExtProcContext *, OCIEnv **, OCISvcCtx **,
                             OCIError **);

LAYOUT_ASSERT(SAME_TYPE(&OCIEnvCreate, env_create_fn *), "OCIEnvCreate");
LAYOUT_ASSERT(SAME_TYPE(&OCIEnvNlsCreate, env_nls_create_fn *),
              "OCIEnvNlsCreate");
LAYOUT_ASSERT(SAME_TYPE(&OCIHandleAlloc, handle_alloc_fn *),
              "OCIHandleAlloc");
LAYOUT_ASSERT(SAME_TYPE(&OCIDescriptorAlloc, handle_alloc_fn *),
              "OCIDescriptorAlloc");
LAYOUT_ASSERT(SAME_TYPE(&OCIHandleFree, handle_free_fn *), "OCIHandleFree");
LAYOUT_ASSERT(SAME_TYPE(&OCIAttrGet, attr_get_fn *), "OCIAttrGet");
LAYOUT_ASSERT(SAME_TYPE(&OCIAttrSet, attr_set_fn *), "OCIAttrSet");
LAYOUT_ASSERT(SAME_TYPE(&OCIErrorGet, error_get_fn *), "OCIErrorGet");
LAYOUT_ASSERT(SAME_TYPE(&OCIPGErrorGet, pg_error_get_fn *), "OCIPGErrorGet");
LAYOUT_ASSERT(SAME_TYPE(&OCIServerAttach, server_attach_fn *),
              "OCIServerAttach");
LAYOUT_ASSERT(SAME_TYPE(&OCISessionBegin, session_begin_fn *),
              "OCISessionBegin");
LAYOUT_ASSERT(SAME_TYPE(&OCILogon, logon_fn *), "OCILogon");
LAYOUT_ASSERT(SAME_TYPE(&OCIStmtPrepare, stmt_prepare_fn *),
              "OCIStmtPrepare");
LAYOUT_ASSERT(SAME_TYPE(&OCIStmtPrepare2, stmt_prepare2_fn *),
              "OCIStmtPrepare2");
LAYOUT_ASSERT(SAME_TYPE(&OCIBindByName, bind_by_name_fn *), "OCIBindByName");
LAYOUT_ASSERT(SAME_TYPE(&OCIBindByPos, bind_by_pos_fn *), "OCIBindByPos");
LAYOUT_ASSERT(SAME_TYPE(&OCIDefineByPos, define_by_pos_fn *),
              "OCIDefineByPos");
LAYOUT_ASSERT(SAME_TYPE(&OCIStmtExecute, stmt_execute_fn *),
              "OCIStmtExecute");
LAYOUT_ASSERT(SAME_TYPE(&OCIStmtFetch2, stmt_fetch2_fn *), "OCIStmtFetch2");
LAYOUT_ASSERT(SAME_TYPE(&OCIParamGet, param_get_fn *), "OCIParamGet");
LAYOUT_ASSERT(SAME_TYPE(&OCITransCommit, trans_fn *) &&
                  SAME_TYPE(&OCITransRollback, trans_fn *),
              "OCITransCommit / OCITransRollback");
LAYOUT_ASSERT(SAME_TYPE(&OCILobRead2, lob_read2_call_fn *), "OCILobRead2");
LAYOUT_ASSERT(SAME_TYPE(&OCIUserCallbackRegister, ucb_register_fn *),
              "OCIUserCallbackRegister");
LAYOUT_ASSERT(SAME_TYPE(&OCINumberToInt, number_to_int_fn *),
              "OCINumberToInt");
LAYOUT_ASSERT(SAME_TYPE(&OCIDateToText, date_to_text_fn *), "OCIDateToText");
LAYOUT_ASSERT(SAME_TYPE(&xaoEnv, xao_env_fn *), "xaoEnv");
LAYOUT_ASSERT(SAME_TYPE(&xaoSvcCtx, xao_svcctx_fn *), "xaoSvcCtx");
LAYOUT_ASSERT(SAME_TYPE(&OCIThreadCreate, thread_create_fn *),
              "OCIThreadCreate");
LAYOUT_ASSERT(SAME_TYPE(&ociepgoe, extproc_env_fn *), "ociepgoe");

/* ====================================================================
 * Run-time checks of the macros
 * ================================================================== */
static int failures;

#define EXPECT(cond)                                                         \
  do {                                                                       \
    if (!(cond)) {                                                           \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__,      \
              #cond);                                                        \
      failures++;                                                            \
    }                                                                        \
  } while (0)

/* The accessors write through the fields applications also read directly,
 * and are usable as plain statements. */
static void check_date_accessors(void) {
  OCIDate d;
  sb2 year = 0;
  ub1 month = 0, day = 0, hour = 0, minute = 0, second = 0;

  memset(&d, 0xAB, sizeof d);
  OCIDateSetDate(&d, -4712, 1, 31);
  OCIDateSetTime(&d, 23, 59, 58);
  EXPECT(d.OCIDateYYYY == -4712);
  EXPECT(d.OCIDateMM == 1 && d.OCIDateDD == 31);
  EXPECT(d.OCIDateTime.OCITimeHH == 23);
  EXPECT(d.OCIDateTime.OCITimeMI == 59);
  EXPECT(d.OCIDateTime.OCITimeSS == 58);

  OCIDateGetDate(&d, &year, &month, &day);
  OCIDateGetTime(&d, &hour, &minute, &second);
  EXPECT(year == -4712 && month == 1 && day == 31);
  EXPECT(hour == 23 && minute == 59 && second == 58);

  /* The time setter leaves the date alone and the other way round. */
  OCIDateSetTime(&d, 0, 0, 0);
  OCIDateGetDate(&d, &year, &month, &day);
  EXPECT(year == -4712 && month == 1 && day == 31);
  OCIDateSetDate(&d, 2024, 2, 29);
  OCIDateGetTime(&d, &hour, &minute, &second);
  EXPECT(hour == 0 && minute == 0 && second == 0);
}

static int cache_marks(OCIObjectMarkStatus status) {
  return (OCI_OBJECT_IS_NEW(status) ? 1 : 0) |
         (OCI_OBJECT_IS_DELETED(status) ? 2 : 0) |
         (OCI_OBJECT_IS_UPDATED(status) ? 4 : 0) |
         (OCI_OBJECT_IS_DIRTY(status) ? 8 : 0);
}

static void check_object_marks(void) {
  EXPECT(cache_marks(0) == 0);
  EXPECT(cache_marks(OCI_OBJECT_NEW) == (1 | 8));
  EXPECT(cache_marks(OCI_OBJECT_DELETED) == (2 | 8));
  EXPECT(cache_marks(OCI_OBJECT_UPDATED) == (4 | 8));
  EXPECT(cache_marks(OCI_OBJECT_NEW | OCI_OBJECT_UPDATED) == (1 | 4 | 8));
}

/* The formatter macros expand to a type code followed by the argument's
 * address; read them back the way a formatter would. */
static int format_probe(int count, ...) {
  va_list ap;
  int ok = 1;
  int i;
  va_start(ap, count);
  for (i = 0; i < count; i++) {
    sword code = va_arg(ap, sword);
    if (code == OCIFormatTUb4()) {
      ok = ok && *va_arg(ap, ub4 *) == 4000000000U;
    } else if (code == OCIFormatTSb2()) {
      ok = ok && *va_arg(ap, sb2 *) == -7;
    } else if (code == OCIFormatTText()) {
      ok = ok && strcmp((const char *)va_arg(ap, OraText *), "abc") == 0;
    } else if (code == OCIFormatTDouble()) {
      ok = ok && *va_arg(ap, double *) == 2.5;
    } else {
      ok = 0;
    }
  }
  ok = ok && va_arg(ap, sword) == OCIFormatTEnd();
  va_end(ap);
  return ok;
}

static void check_format_macros(void) {
  ub4 u = 4000000000U;
  sb2 s = -7;
  OraText t[] = "abc";
  double x = 2.5;
  EXPECT(format_probe(4, OCIFormatUb4(u), OCIFormatSb2(s), OCIFormatText(t),
                      OCIFormatDouble(x), OCIFormatEnd));
  EXPECT(OCIFormatTUb1() != OCIFormatTUb2() &&
         OCIFormatTText() != OCIFormatTEnd());
}

/* A failover callback stored in the published struct is called back with
 * the context stored next to it. */
static sb4 failover_cb(void *svcctx, void *envctx, void *fo_ctx, ub4 fo_type,
                       ub4 fo_event) {
  (void)svcctx;
  (void)envctx;
  *(ub4 *)fo_ctx = fo_type | fo_event;
  return fo_event == OCI_FO_ERROR ? OCI_FO_RETRY : 0;
}

static void check_failover_struct(void) {
  ub4 seen = 0;
  OCIFocbkStruct fo;
  fo.callback_function = failover_cb;
  fo.fo_ctx = &seen;
  EXPECT(fo.callback_function(NULL, NULL, fo.fo_ctx, OCI_FO_SELECT,
                              OCI_FO_ERROR) == OCI_FO_RETRY);
  EXPECT(seen == (OCI_FO_SELECT | OCI_FO_ERROR));
}

/* A user callback receives the intercepted call's arguments as a va_list. */
static sword ucb_sum(void *ctxp, void *hndlp, ub4 type, ub4 fcode, ub4 when,
                     sword returnCode, sb4 *errnop, va_list arglist) {
  (void)hndlp;
  (void)type;
  (void)errnop;
  *(int *)ctxp = va_arg(arglist, int) + (int)fcode + (int)when;
  return returnCode;
}

static sword call_ucb(OCIUserCallback cb, void *ctx, ...) {
  va_list ap;
  sword rc;
  va_start(ap, ctx);
  rc = cb(ctx, NULL, OCI_HTYPE_ENV, OCI_FNCODE_STMTEXECUTE,
          OCI_UCBTYPE_EXIT, OCI_CONTINUE, NULL, ap);
  va_end(ap);
  return rc;
}

static void check_user_callback(void) {
  int seen = 0;
  EXPECT(call_ucb(ucb_sum, &seen, 100) == OCI_CONTINUE);
  EXPECT(seen == 100 + OCI_FNCODE_STMTEXECUTE + OCI_UCBTYPE_EXIT);
}

int main(void) {
  check_date_accessors();
  check_object_marks();
  check_format_macros();
  check_failover_struct();
  check_user_callback();
  if (failures != 0) {
    fprintf(stderr, "%d header check(s) failed\n", failures);
    return 1;
  }
  return 0;
}

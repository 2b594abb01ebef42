// Refusing members of the text-handling packages: parameter extraction,
// formatting, NLS information, the multibyte and wide-character routines
// this library does not provide, message files, and the external-procedure
// helpers (there is no server process to call back into). Each returns -1,
// all ones for a size, boolean or character result, or null for a pointer;
// none touches its arguments (ociepgoe clears its outputs) or adds a record.
#include "diag/unsupported.h"

using unsupported_detail::kAllOnes32;
using unsupported_detail::kAllOnesSize;
using unsupported_detail::kRefused;
using unsupported_detail::kRefusedBoolean;

// Parameter extraction.

OCI_EXPORT sword OCIExtractInit(void *hndl, OCIError *err) {
    return REFUSE_UNSUPPORTED(kRefused, "Initializing Parameter Extraction", hndl, err);
}

OCI_EXPORT sword OCIExtractTerm(void *hndl, OCIError *err) {
    return REFUSE_UNSUPPORTED(kRefused, "Terminating Parameter Extraction", hndl, err);
}

OCI_EXPORT sword OCIExtractReset(void *hndl, OCIError *err) {
    return REFUSE_UNSUPPORTED(kRefused, "Resetting Parameter Extraction", hndl, err);
}

OCI_EXPORT sword OCIExtractSetNumKeys(void *hndl, OCIError *err, uword numkeys) {
    return REFUSE_UNSUPPORTED(kRefused, "Setting Number Of Extraction Keys", hndl, err, numkeys);
}

OCI_EXPORT sword OCIExtractSetKey(void *hndl, OCIError *err, const OraText *name, ub1 type,
                                  ub4 flag, const void *defval, const sb4 *intrange,
                                  const OraText *const *strlist) {
    return REFUSE_UNSUPPORTED(kRefused, "Setting Extraction Key", hndl, err, name, type, flag,
                              defval, intrange, strlist);
}

OCI_EXPORT sword OCIExtractFromFile(void *hndl, OCIError *err, ub4 flag, OraText *filename) {
    return REFUSE_UNSUPPORTED(kRefused, "Extracting Parameters From File", hndl, err, flag,
                              filename);
}

OCI_EXPORT sword OCIExtractFromStr(void *hndl, OCIError *err, ub4 flag, OraText *input) {
    return REFUSE_UNSUPPORTED(kRefused, "Extracting Parameters From String", hndl, err, flag,
                              input);
}

OCI_EXPORT sword OCIExtractToInt(void *hndl, OCIError *err, OraText *keyname, uword valno,
                                 sb4 *retval) {
    return REFUSE_UNSUPPORTED(kRefused, "Extracting Integer Parameter", hndl, err, keyname, valno,
                              retval);
}

OCI_EXPORT sword OCIExtractToBool(void *hndl, OCIError *err, OraText *keyname, uword valno,
                                  ub1 *retval) {
    return REFUSE_UNSUPPORTED(kRefused, "Extracting Boolean Parameter", hndl, err, keyname, valno,
                              retval);
}

OCI_EXPORT sword OCIExtractToStr(void *hndl, OCIError *err, OraText *keyname, uword valno,
                                 OraText *retval, uword buflen) {
    return REFUSE_UNSUPPORTED(kRefused, "Extracting String Parameter", hndl, err, keyname, valno,
                              retval, buflen);
}

OCI_EXPORT sword OCIExtractToOCINum(void *hndl, OCIError *err, OraText *keyname, uword valno,
                                    OCINumber *retval) {
    return REFUSE_UNSUPPORTED(kRefused, "Extracting Number Parameter", hndl, err, keyname, valno,
                              retval);
}

OCI_EXPORT sword OCIExtractToList(void *hndl, OCIError *err, uword *numkeys) {
    return REFUSE_UNSUPPORTED(kRefused, "Extracting Parameter List", hndl, err, numkeys);
}

OCI_EXPORT sword OCIExtractFromList(void *hndl, OCIError *err, uword index, OraText **name,
                                    ub1 *type, uword *numvals, void ***values) {
    return REFUSE_UNSUPPORTED(kRefused, "Extracting Parameter From List", hndl, err, index, name,
                              type, numvals, values);
}

// Formatting. The variable arguments of OCIFormatString are never read.

OCI_EXPORT sword OCIFormatInit(void *hndl, OCIError *err) {
    return REFUSE_UNSUPPORTED(kRefused, "Initializing Formatting", hndl, err);
}

OCI_EXPORT sword OCIFormatTerm(void *hndl, OCIError *err) {
    return REFUSE_UNSUPPORTED(kRefused, "Terminating Formatting", hndl, err);
}

OCI_EXPORT sword OCIFormatString(void *hndl, OCIError *err, OraText *buffer,
                                 sbig_ora bufferLength, sbig_ora *returnLength,
                                 const OraText *formatString, ...) {
    return REFUSE_UNSUPPORTED(kRefused, "Formatting String", hndl, err, buffer, bufferLength,
                              returnLength, formatString);
}

// NLS information (OCINlsNumericInfoGet, OCINlsNameMap: conn/nls_compat.cpp).

OCI_EXPORT sword OCINlsGetInfo(void *envhp, OCIError *errhp, OraText *buf, size_t buflen,
                               ub2 item) {
    return REFUSE_UNSUPPORTED(kRefused, "Getting NLS Information", envhp, errhp, buf, buflen,
                              item);
}

OCI_EXPORT boolean OCICharSetConversionIsReplacementUsed(void *envhp) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Checking Character Set Replacement", envhp);
}

// Multibyte strings.

OCI_EXPORT size_t OCIMultiByteStrCaseConversion(void *envhp, OraText *dst, const OraText *src,
                                                ub4 flag) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Converting Multibyte String Case", envhp, dst, src,
                              flag);
}

OCI_EXPORT size_t OCIMultiByteStrcat(void *envhp, OraText *dst, const OraText *src) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Concatenating Multibyte Strings", envhp, dst, src);
}

OCI_EXPORT int OCIMultiByteStrcmp(void *envhp, const OraText *str1, const OraText *str2,
                                  int flag) {
    return REFUSE_UNSUPPORTED(int{-1}, "Comparing Multibyte Strings", envhp, str1, str2, flag);
}

OCI_EXPORT size_t OCIMultiByteStrcpy(void *envhp, OraText *dst, const OraText *src) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Copying Multibyte String", envhp, dst, src);
}

OCI_EXPORT size_t OCIMultiByteStrncat(void *envhp, OraText *dst, const OraText *src, size_t n) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Concatenating Multibyte Strings", envhp, dst, src, n);
}

OCI_EXPORT int OCIMultiByteStrncmp(void *envhp, const OraText *str1, size_t len1, OraText *str2,
                                   size_t len2, int flag) {
    return REFUSE_UNSUPPORTED(int{-1}, "Comparing Multibyte Strings", envhp, str1, len1, str2,
                              len2, flag);
}

OCI_EXPORT size_t OCIMultiByteStrncpy(void *envhp, OraText *dst, const OraText *src, size_t n) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Copying Multibyte String", envhp, dst, src, n);
}

OCI_EXPORT sword OCIMultiByteToWideChar(void *envhp, OCIWchar *dst, const OraText *src,
                                        size_t *rsize) {
    return REFUSE_UNSUPPORTED(kRefused, "Converting Multibyte String To Wide Characters", envhp,
                              dst, src, rsize);
}

// Wide characters.

OCI_EXPORT sword OCIWideCharInSizeToMultiByte(void *envhp, OraText *dst, size_t dstsz,
                                              const OCIWchar *src, size_t srcsz, size_t *rsize) {
    return REFUSE_UNSUPPORTED(kRefused, "Converting Wide Characters To Multibyte String", envhp,
                              dst, dstsz, src, srcsz, rsize);
}

OCI_EXPORT sword OCIWideCharToMultiByte(void *envhp, OraText *dst, const OCIWchar *src,
                                        size_t *rsize) {
    return REFUSE_UNSUPPORTED(kRefused, "Converting Wide Characters To Multibyte String", envhp,
                              dst, src, rsize);
}

OCI_EXPORT OCIWchar OCIWideCharToLower(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(OCIWchar{kAllOnes32}, "Converting Wide Character To Lower Case",
                              envhp, wc);
}

OCI_EXPORT OCIWchar OCIWideCharToUpper(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(OCIWchar{kAllOnes32}, "Converting Wide Character To Upper Case",
                              envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsAlnum(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsAlpha(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsCntrl(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsDigit(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsGraph(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsLower(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsPrint(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsPunct(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsSingleByte(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsSpace(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsUpper(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT boolean OCIWideCharIsXdigit(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kRefusedBoolean, "Classifying Wide Character", envhp, wc);
}

OCI_EXPORT size_t OCIWideCharMultiByteLength(void *envhp, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Getting Multibyte Length Of Wide Character", envhp,
                              wc);
}

OCI_EXPORT size_t OCIWideCharStrCaseConversion(void *envhp, OCIWchar *dst, const OCIWchar *src,
                                               ub4 flag) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Converting Wide String Case", envhp, dst, src, flag);
}

OCI_EXPORT size_t OCIWideCharStrcat(void *envhp, OCIWchar *wdststr, const OCIWchar *wsrcstr) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Concatenating Wide Strings", envhp, wdststr, wsrcstr);
}

OCI_EXPORT size_t OCIWideCharStrcpy(void *envhp, OCIWchar *wdststr, const OCIWchar *wsrcstr) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Copying Wide String", envhp, wdststr, wsrcstr);
}

OCI_EXPORT size_t OCIWideCharStrncat(void *envhp, OCIWchar *wdststr, const OCIWchar *wsrcstr,
                                     size_t n) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Concatenating Wide Strings", envhp, wdststr, wsrcstr,
                              n);
}

OCI_EXPORT size_t OCIWideCharStrncpy(void *envhp, OCIWchar *wdststr, const OCIWchar *wsrcstr,
                                     size_t n) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Copying Wide String", envhp, wdststr, wsrcstr, n);
}

OCI_EXPORT OCIWchar *OCIWideCharStrrchr(void *envhp, const OCIWchar *wstr, OCIWchar wc) {
    return REFUSE_UNSUPPORTED(static_cast<OCIWchar *>(nullptr), "Searching Wide String", envhp,
                              wstr, wc);
}

// Message files.

OCI_EXPORT sword OCIMessageOpen(void *envhp, OCIError *errhp, OCIMsg **msghp,
                                const OraText *product, const OraText *facility,
                                OCIDuration dur) {
    return REFUSE_UNSUPPORTED(kRefused, "Opening Message File", envhp, errhp, msghp, product,
                              facility, dur);
}

OCI_EXPORT OraText *OCIMessageGet(OCIMsg *msgh, ub4 msgno, OraText *msgbuf, size_t buflen) {
    return REFUSE_UNSUPPORTED(static_cast<OraText *>(nullptr), "Getting Message", msgh, msgno,
                              msgbuf, buflen);
}

OCI_EXPORT sword OCIMessageClose(void *envhp, OCIError *errhp, OCIMsg *msghp) {
    return REFUSE_UNSUPPORTED(kRefused, "Closing Message File", envhp, errhp, msghp);
}

// External-procedure helpers.

OCI_EXPORT void *ociepacm(OCIExtProcContext *with_context, size_t amount) {
    return REFUSE_UNSUPPORTED(static_cast<void *>(nullptr), "Allocating Call Memory",
                              with_context, amount);
}

OCI_EXPORT int ocieperr(OCIExtProcContext *with_context, int error_number) {
    return REFUSE_UNSUPPORTED(int{-1}, "Raising Exception", with_context, error_number);
}

OCI_EXPORT size_t ociepmsg(OCIExtProcContext *with_context, int error_number,
                           oratext *error_message, size_t len) {
    return REFUSE_UNSUPPORTED(kAllOnesSize, "Raising Exception With Message", with_context,
                              error_number, error_message, len);
}

// Callers of ociepgoe commonly go on to use the handles without checking the
// result; null handles fail cleanly where stale stack values would not.
OCI_EXPORT sword ociepgoe(OCIExtProcContext *with_context, OCIEnv **envh, OCISvcCtx **svch,
                          OCIError **errh) {
    if (envh != nullptr) *envh = nullptr;
    if (svch != nullptr) *svch = nullptr;
    if (errh != nullptr) *errh = nullptr;
    return REFUSE_UNSUPPORTED(sword{0}, "Getting External Procedure Environment", with_context,
                              envh, svch, errh);
}

/*
 * orl.h - value types the application owns and their operations:
 * OCINumber, OCIDate, OCIString, OCIRaw, references, collections,
 * iterators and index tables.
 *
 * OCINumber and OCIDate have fixed layouts: applications declare them on
 * the stack, bind them with SQLT_VNU and SQLT_ODT and read their fields.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef ORL_ORACLE
#define ORL_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

/* ====================================================================
 * OCINumber: a NUMBER in its 22-byte variable-length form (one length
 * byte followed by up to 21 bytes of exponent and mantissa).
 * ================================================================== */
#define OCI_NUMBER_SIZE 22

struct OCINumber {
  ub1 OCINumberPart[OCI_NUMBER_SIZE];
};
typedef struct OCINumber OCINumber;

/* OCINumberFromInt / OCINumberToInt: signedness of the native integer. */
#define OCI_NUMBER_UNSIGNED 0
#define OCI_NUMBER_SIGNED 2

/* Arithmetic. */
sword OCINumberInc(OCIError *err, OCINumber *number);
sword OCINumberDec(OCIError *err, OCINumber *number);
void OCINumberSetZero(OCIError *err, OCINumber *num);
void OCINumberSetPi(OCIError *err, OCINumber *num);
sword OCINumberAdd(OCIError *err, const OCINumber *number1,
                   const OCINumber *number2, OCINumber *result);
sword OCINumberSub(OCIError *err, const OCINumber *number1,
                   const OCINumber *number2, OCINumber *result);
sword OCINumberMul(OCIError *err, const OCINumber *number1,
                   const OCINumber *number2, OCINumber *result);
sword OCINumberDiv(OCIError *err, const OCINumber *number1,
                   const OCINumber *number2, OCINumber *result);
sword OCINumberMod(OCIError *err, const OCINumber *number1,
                   const OCINumber *number2, OCINumber *result);
sword OCINumberIntPower(OCIError *err, const OCINumber *base,
                        const sword exp, OCINumber *result);
sword OCINumberShift(OCIError *err, const OCINumber *number,
                     const sword nDig, OCINumber *result);
sword OCINumberNeg(OCIError *err, const OCINumber *number,
                   OCINumber *result);

/* Conversion to and from text, integers and floating point. */
sword OCINumberToText(OCIError *err, const OCINumber *number,
                      const oratext *fmt, ub4 fmt_length,
                      const oratext *nls_params, ub4 nls_p_length,
                      ub4 *buf_size, oratext *buf);
sword OCINumberFromText(OCIError *err, const oratext *str, ub4 str_length,
                        const oratext *fmt, ub4 fmt_length,
                        const oratext *nls_params, ub4 nls_p_length,
                        OCINumber *number);
sword OCINumberToInt(OCIError *err, const OCINumber *number,
                     uword rsl_length, uword rsl_flag, void *rsl);
sword OCINumberFromInt(OCIError *err, const void *inum, uword inum_length,
                       uword inum_s_flag, OCINumber *number);
sword OCINumberToReal(OCIError *err, const OCINumber *number,
                      uword rsl_length, void *rsl);
sword OCINumberToRealArray(OCIError *err, const OCINumber **number,
                           uword elems, uword rsl_length, void *rsl);
sword OCINumberFromReal(OCIError *err, const void *rnum, uword rnum_length,
                        OCINumber *number);

/* Comparison and tests. */
sword OCINumberCmp(OCIError *err, const OCINumber *number1,
                   const OCINumber *number2, sword *result);
sword OCINumberSign(OCIError *err, const OCINumber *number, sword *result);
sword OCINumberIsZero(OCIError *err, const OCINumber *number,
                      boolean *result);
sword OCINumberIsInt(OCIError *err, const OCINumber *number,
                     boolean *result);
sword OCINumberAssign(OCIError *err, const OCINumber *from, OCINumber *to);

/* Rounding and magnitude. */
sword OCINumberAbs(OCIError *err, const OCINumber *number,
                   OCINumber *result);
sword OCINumberCeil(OCIError *err, const OCINumber *number,
                    OCINumber *result);
sword OCINumberFloor(OCIError *err, const OCINumber *number,
                     OCINumber *result);
sword OCINumberSqrt(OCIError *err, const OCINumber *number,
                    OCINumber *result);
sword OCINumberTrunc(OCIError *err, const OCINumber *number, sword decplace,
                     OCINumber *result);
sword OCINumberRound(OCIError *err, const OCINumber *number, sword decplace,
                     OCINumber *result);
sword OCINumberPrec(OCIError *err, const OCINumber *number, eword nDigs,
                    OCINumber *result);
sword OCINumberPower(OCIError *err, const OCINumber *base,
                     const OCINumber *number, OCINumber *result);

/* Transcendental functions. */
sword OCINumberSin(OCIError *err, const OCINumber *number,
                   OCINumber *result);
sword OCINumberArcSin(OCIError *err, const OCINumber *number,
                      OCINumber *result);
sword OCINumberHypSin(OCIError *err, const OCINumber *number,
                      OCINumber *result);
sword OCINumberCos(OCIError *err, const OCINumber *number,
                   OCINumber *result);
sword OCINumberArcCos(OCIError *err, const OCINumber *number,
                      OCINumber *result);
sword OCINumberHypCos(OCIError *err, const OCINumber *number,
                      OCINumber *result);
sword OCINumberTan(OCIError *err, const OCINumber *number,
                   OCINumber *result);
sword OCINumberArcTan(OCIError *err, const OCINumber *number,
                      OCINumber *result);
sword OCINumberArcTan2(OCIError *err, const OCINumber *number1,
                       const OCINumber *number2, OCINumber *result);
sword OCINumberHypTan(OCIError *err, const OCINumber *number,
                      OCINumber *result);
sword OCINumberExp(OCIError *err, const OCINumber *number,
                   OCINumber *result);
sword OCINumberLn(OCIError *err, const OCINumber *number,
                  OCINumber *result);
sword OCINumberLog(OCIError *err, const OCINumber *base,
                   const OCINumber *number, OCINumber *result);

/* ====================================================================
 * OCIDate: a date and time of day with second precision.
 * ================================================================== */
struct OCITime {
  ub1 OCITimeHH;   /* hours, 0-23 */
  ub1 OCITimeMI;   /* minutes, 0-59 */
  ub1 OCITimeSS;   /* seconds, 0-59 */
};
typedef struct OCITime OCITime;

struct OCIDate {
  sb2 OCIDateYYYY;     /* year, -4712..9999, no year 0 */
  ub1 OCIDateMM;       /* month, 1-12 */
  ub1 OCIDateDD;       /* day, 1-31 */
  OCITime OCIDateTime; /* time of day */
};
typedef struct OCIDate OCIDate;

/* Field accessors.  Each expands to a block, as applications have always
 * used them as statements. */
#define OCIDateGetTime(date, hour, min, sec)                                 \
  {                                                                          \
    *(hour) = (date)->OCIDateTime.OCITimeHH;                                 \
    *(min) = (date)->OCIDateTime.OCITimeMI;                                  \
    *(sec) = (date)->OCIDateTime.OCITimeSS;                                  \
  }
#define OCIDateGetDate(date, year, month, day)                               \
  {                                                                          \
    *(year) = (date)->OCIDateYYYY;                                           \
    *(month) = (date)->OCIDateMM;                                            \
    *(day) = (date)->OCIDateDD;                                              \
  }
#define OCIDateSetTime(date, hour, min, sec)                                 \
  {                                                                          \
    (date)->OCIDateTime.OCITimeHH = (hour);                                  \
    (date)->OCIDateTime.OCITimeMI = (min);                                   \
    (date)->OCIDateTime.OCITimeSS = (sec);                                   \
  }
#define OCIDateSetDate(date, year, month, day)                               \
  {                                                                          \
    (date)->OCIDateYYYY = (year);                                            \
    (date)->OCIDateMM = (month);                                             \
    (date)->OCIDateDD = (day);                                               \
  }

/* OCIDateCheck result bits; zero means valid. */
#define OCI_DATE_INVALID_DAY 0x1
#define OCI_DATE_DAY_BELOW_VALID 0x2
#define OCI_DATE_INVALID_MONTH 0x4
#define OCI_DATE_MONTH_BELOW_VALID 0x8
#define OCI_DATE_INVALID_YEAR 0x10
#define OCI_DATE_YEAR_BELOW_VALID 0x20
#define OCI_DATE_INVALID_HOUR 0x40
#define OCI_DATE_HOUR_BELOW_VALID 0x80
#define OCI_DATE_INVALID_MINUTE 0x100
#define OCI_DATE_MINUTE_BELOW_VALID 0x200
#define OCI_DATE_INVALID_SECOND 0x400
#define OCI_DATE_SECOND_BELOW_VALID 0x800
#define OCI_DATE_DAY_MISSING_FROM_1582 0x1000
#define OCI_DATE_YEAR_ZERO 0x2000
#define OCI_DATE_INVALID_FORMAT 0x8000

sword OCIDateAssign(OCIError *err, const OCIDate *from, OCIDate *to);
sword OCIDateToText(OCIError *err, const OCIDate *date, const oratext *fmt,
                    ub1 fmt_length, const oratext *lang_name,
                    ub4 lang_length, ub4 *buf_size, oratext *buf);
sword OCIDateFromText(OCIError *err, const oratext *date_str,
                      ub4 d_str_length, const oratext *fmt, ub1 fmt_length,
                      const oratext *lang_name, ub4 lang_length,
                      OCIDate *date);
sword OCIDateCompare(OCIError *err, const OCIDate *date1,
                     const OCIDate *date2, sword *result);
sword OCIDateAddMonths(OCIError *err, const OCIDate *date, sb4 num_months,
                       OCIDate *result);
sword OCIDateAddDays(OCIError *err, const OCIDate *date, sb4 num_days,
                     OCIDate *result);
sword OCIDateLastDay(OCIError *err, const OCIDate *date, OCIDate *last_day);
sword OCIDateDaysBetween(OCIError *err, const OCIDate *date1,
                         const OCIDate *date2, sb4 *num_days);
sword OCIDateZoneToZone(OCIError *err, const OCIDate *date1,
                        const oratext *zon1, ub4 zon1_length,
                        const oratext *zon2, ub4 zon2_length,
                        OCIDate *date2);
sword OCIDateNextDay(OCIError *err, const OCIDate *date,
                     const oratext *day_p, ub4 day_length,
                     OCIDate *next_day);
sword OCIDateCheck(OCIError *err, const OCIDate *date, uword *valid);
sword OCIDateSysDate(OCIError *err, OCIDate *sys_date);

/* ====================================================================
 * OCIString: variable-length text allocated by the library.
 * ================================================================== */
typedef struct OCIString OCIString;

sword OCIStringAssign(OCIEnv *env, OCIError *err, const OCIString *rhs,
                      OCIString **lhs);
sword OCIStringAssignText(OCIEnv *env, OCIError *err, const oratext *rhs,
                          ub4 rhs_len, OCIString **lhs);
sword OCIStringResize(OCIEnv *env, OCIError *err, ub4 new_size,
                      OCIString **str);
ub4 OCIStringSize(OCIEnv *env, const OCIString *vs);
oratext *OCIStringPtr(OCIEnv *env, const OCIString *vs);
sword OCIStringAllocSize(OCIEnv *env, OCIError *err, const OCIString *vs,
                         ub4 *allocsize);

/* ====================================================================
 * OCIRaw: variable-length bytes allocated by the library.
 * ================================================================== */
typedef struct OCIRaw OCIRaw;

sword OCIRawAssignRaw(OCIEnv *env, OCIError *err, const OCIRaw *rhs,
                      OCIRaw **lhs);
sword OCIRawAssignBytes(OCIEnv *env, OCIError *err, const ub1 *rhs,
                        ub4 rhs_len, OCIRaw **lhs);
sword OCIRawResize(OCIEnv *env, OCIError *err, ub4 new_size, OCIRaw **raw);
ub4 OCIRawSize(OCIEnv *env, const OCIRaw *raw);
ub1 *OCIRawPtr(OCIEnv *env, const OCIRaw *raw);
sword OCIRawAllocSize(OCIEnv *env, OCIError *err, const OCIRaw *raw,
                      ub4 *allocsize);

/* ====================================================================
 * References
 * ================================================================== */
void OCIRefClear(OCIEnv *env, OCIRef *ref);
sword OCIRefAssign(OCIEnv *env, OCIError *err, const OCIRef *source,
                   OCIRef **target);
boolean OCIRefIsEqual(OCIEnv *env, const OCIRef *x, const OCIRef *y);
boolean OCIRefIsNull(OCIEnv *env, const OCIRef *ref);
ub4 OCIRefHexSize(OCIEnv *env, const OCIRef *ref);
sword OCIRefFromHex(OCIEnv *env, OCIError *err, const OCISvcCtx *svc,
                    const oratext *hex, ub4 length, OCIRef **ref);
sword OCIRefToHex(OCIEnv *env, OCIError *err, const OCIRef *ref,
                  oratext *hex, ub4 *hex_length);

/* ====================================================================
 * Collections (VARRAY and nested table) and their iterators.  OCIArray
 * and OCITable are the same object seen through its kind.
 * ================================================================== */
typedef struct OCIColl OCIColl;
typedef OCIColl OCIArray;
typedef OCIColl OCITable;
typedef struct OCIIter OCIIter;

sword OCICollSize(OCIEnv *env, OCIError *err, const OCIColl *coll,
                  sb4 *size);
sb4 OCICollMax(OCIEnv *env, const OCIColl *coll);
sword OCICollGetElem(OCIEnv *env, OCIError *err, const OCIColl *coll,
                     sb4 index, boolean *exists, void **elem,
                     void **elemind);
sword OCICollGetElemArray(OCIEnv *env, OCIError *err, const OCIColl *coll,
                          sb4 index, boolean *exists, void **elem,
                          void **elemind, uword *nelems);
sword OCICollAssignElem(OCIEnv *env, OCIError *err, sb4 index,
                        const void *elem, const void *elemind,
                        OCIColl *coll);
sword OCICollAssign(OCIEnv *env, OCIError *err, const OCIColl *rhs,
                    OCIColl *lhs);
sword OCICollAppend(OCIEnv *env, OCIError *err, const void *elem,
                    const void *elemind, OCIColl *coll);
sword OCICollTrim(OCIEnv *env, OCIError *err, sb4 trim_num, OCIColl *coll);
sword OCICollIsLocator(OCIEnv *env, OCIError *err, const OCIColl *coll,
                       boolean *result);

sword OCIIterCreate(OCIEnv *env, OCIError *err, const OCIColl *coll,
                    OCIIter **itr);
sword OCIIterDelete(OCIEnv *env, OCIError *err, OCIIter **itr);
sword OCIIterInit(OCIEnv *env, OCIError *err, const OCIColl *coll,
                  OCIIter *itr);
sword OCIIterGetCurrent(OCIEnv *env, OCIError *err, const OCIIter *itr,
                        void **elem, void **elemind);
sword OCIIterNext(OCIEnv *env, OCIError *err, OCIIter *itr, void **elem,
                  void **elemind, boolean *eoc);
sword OCIIterPrev(OCIEnv *env, OCIError *err, OCIIter *itr, void **elem,
                  void **elemind, boolean *boc);

/* Nested tables may have holes; these walk the existing indexes. */
sword OCITableSize(OCIEnv *env, OCIError *err, const OCITable *tbl,
                   sb4 *size);
sword OCITableExists(OCIEnv *env, OCIError *err, const OCITable *tbl,
                     sb4 index, boolean *exists);
sword OCITableDelete(OCIEnv *env, OCIError *err, sb4 index, OCITable *tbl);
sword OCITableFirst(OCIEnv *env, OCIError *err, const OCITable *tbl,
                    sb4 *index);
sword OCITableLast(OCIEnv *env, OCIError *err, const OCITable *tbl,
                   sb4 *index);
sword OCITableNext(OCIEnv *env, OCIError *err, sb4 index,
                   const OCITable *tbl, sb4 *next_index, boolean *exists);
sword OCITablePrev(OCIEnv *env, OCIError *err, sb4 index,
                   const OCITable *tbl, sb4 *prev_index, boolean *exists);

#ifdef __cplusplus
}
#endif

#endif /* ORL_ORACLE */

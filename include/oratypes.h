/*
 * oratypes.h - portable scalar types of the OCI C interface.
 *
 * Every other public header builds on these names.  The widths are fixed by
 * the wire and memory layouts applications already depend on (ub2 lengths,
 * sb2 indicators, ub4 sizes), so they are spelled with the C types that have
 * those widths on every platform this library is built for.
 */
#ifndef ORATYPES
#define ORATYPES
#define SX_ORACLE
#define SX3_ORACLE

#include <limits.h>
#include <stddef.h>

/* Compatibility spellings kept for old sources. */
#ifndef CONST
#define CONST const
#endif
#ifndef dvoid
#define dvoid void
#endif
#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

/* --------------------------------------------------------------------
 * Fixed-width integers
 * ------------------------------------------------------------------ */
typedef unsigned char ub1;
typedef signed char sb1;
typedef char eb1;

typedef unsigned short ub2;
typedef signed short sb2;
typedef short eb2;

typedef unsigned int ub4;
typedef signed int sb4;
typedef int eb4;

/* 64-bit integers: `long' on LP64 Unix, `long long' elsewhere. */
#ifndef ORAXB8_DEFINED
#define ORAXB8_DEFINED
#if defined(_WIN32) || defined(_WIN64)
typedef unsigned __int64 oraub8;
typedef signed __int64 orasb8;
#elif defined(__LP64__) || defined(_LP64)
typedef unsigned long oraub8;
typedef signed long orasb8;
#else
typedef unsigned long long oraub8;
typedef signed long long orasb8;
#endif
typedef oraub8 ub8;
typedef orasb8 sb8;
#endif

/* Plain bytes of a given width, signedness not guaranteed. */
typedef eb1 b1;
typedef eb2 b2;
typedef eb4 b4;

/* Native machine words used for status codes and counters. */
typedef signed int sword;
typedef unsigned int uword;
typedef signed int eword;

/* Widest integers the platform handles natively (file offsets, lengths):
 * 64 bits on 64-bit systems, where Windows keeps `long' at 32 bits. */
#if defined(_WIN64)
typedef signed long long sbig_ora;
typedef unsigned long long ubig_ora;
#else
typedef signed long sbig_ora;
typedef unsigned long ubig_ora;
#endif

typedef ub4 duword;
typedef sb4 dsword;
typedef dsword dword;

typedef size_t dsize_t;

/* Boolean with the int width the API has always passed by pointer, except
 * on Windows: its system headers (rpcndr.h, which windows.h pulls in)
 * declare boolean as unsigned char, and the same declaration here lets the
 * two headers be included in either order. */
#ifndef boolean
#if defined(_WIN32)
typedef unsigned char boolean;
#else
typedef int boolean;
#endif
#endif

/* --------------------------------------------------------------------
 * Text
 * ------------------------------------------------------------------ */
typedef unsigned char oratext;
typedef oratext text;
typedef oratext OraText;
typedef ub2 utext;

/* Generic function pointer used where the API stores callbacks untyped. */
typedef void (*lgenfp_t)(void);

/* --------------------------------------------------------------------
 * Limits.  MIN...MAXVAL and MAX...MINVAL are the values guaranteed on every
 * platform; the plain ones are this platform's.
 * ------------------------------------------------------------------ */
#define UB1MAXVAL ((ub1)UCHAR_MAX)
#define UB1MINVAL ((ub1)0)
#define SB1MAXVAL ((sb1)SCHAR_MAX)
#define SB1MINVAL ((sb1)SCHAR_MIN)
#define MINUB1MAXVAL ((ub1)255)
#define MAXUB1MINVAL ((ub1)0)
#define MINSB1MAXVAL ((sb1)127)
#define MAXSB1MINVAL ((sb1)-127)
#define EB1MAXVAL ((eb1)SCHAR_MAX)
#define EB1MINVAL ((eb1)0)
#define MINEB1MAXVAL ((eb1)127)
#define MAXEB1MINVAL ((eb1)0)
#define UB1BITS CHAR_BIT
#define UB1MASK ((1 << ((uword)CHAR_BIT)) - 1)

#define UB2MAXVAL ((ub2)USHRT_MAX)
#define UB2MINVAL ((ub2)0)
#define SB2MAXVAL ((sb2)SHRT_MAX)
#define SB2MINVAL ((sb2)SHRT_MIN)
#define MINUB2MAXVAL ((ub2)65535)
#define MAXUB2MINVAL ((ub2)0)
#define MINSB2MAXVAL ((sb2)32767)
#define MAXSB2MINVAL ((sb2)-32767)
#define EB2MAXVAL ((eb2)SHRT_MAX)
#define EB2MINVAL ((eb2)0)
#define MINEB2MAXVAL ((eb2)32767)
#define MAXEB2MINVAL ((eb2)0)

#define UB4MAXVAL ((ub4)UINT_MAX)
#define UB4MINVAL ((ub4)0)
#define SB4MAXVAL ((sb4)INT_MAX)
#define SB4MINVAL ((sb4)INT_MIN)
#define MINUB4MAXVAL ((ub4)4294967295U)
#define MAXUB4MINVAL ((ub4)0)
#define MINSB4MAXVAL ((sb4)2147483647)
#define MAXSB4MINVAL ((sb4)-2147483647)
#define EB4MAXVAL ((eb4)INT_MAX)
#define EB4MINVAL ((eb4)0)
#define MINEB4MAXVAL ((eb4)2147483647)
#define MAXEB4MINVAL ((eb4)0)

#define UB8MAXVAL ((ub8)~(ub8)0)
#define UB8MINVAL ((ub8)0)
#define SB8MAXVAL ((sb8)(UB8MAXVAL >> 1))
#define SB8MINVAL ((sb8)(-SB8MAXVAL - 1))
#define MINUB8MAXVAL ((ub8)18446744073709551615ULL)
#define MAXUB8MINVAL ((ub8)0)
#define MINSB8MAXVAL ((sb8)9223372036854775807LL)
#define MAXSB8MINVAL ((sb8)-9223372036854775807LL)
#define ORAUB8MAXVAL UB8MAXVAL
#define ORASB8MAXVAL SB8MAXVAL
#define ORASB8MINVAL SB8MINVAL

#define UWORDMAXVAL ((uword)UINT_MAX)
#define UWORDMINVAL ((uword)0)
#define SWORDMAXVAL ((sword)INT_MAX)
#define SWORDMINVAL ((sword)INT_MIN)
#define MINUWORDMAXVAL ((uword)4294967295U)
#define MAXUWORDMINVAL ((uword)0)
#define MINSWORDMAXVAL ((sword)2147483647)
#define MAXSWORDMINVAL ((sword)-2147483647)
#define EWORDMAXVAL ((eword)INT_MAX)
#define EWORDMINVAL ((eword)0)

#if defined(_WIN64)
#define UBIGORAMAXVAL ((ubig_ora)ULLONG_MAX)
#define UBIGORAMINVAL ((ubig_ora)0)
#define SBIGORAMAXVAL ((sbig_ora)LLONG_MAX)
#define SBIGORAMINVAL ((sbig_ora)LLONG_MIN)
#else
#define UBIGORAMAXVAL ((ubig_ora)ULONG_MAX)
#define UBIGORAMINVAL ((ubig_ora)0)
#define SBIGORAMAXVAL ((sbig_ora)LONG_MAX)
#define SBIGORAMINVAL ((sbig_ora)LONG_MIN)
#endif
#define MINUBIGORAMAXVAL ((ubig_ora)4294967295UL)
#define MAXUBIGORAMINVAL ((ubig_ora)0)
#define MINSBIGORAMAXVAL ((sbig_ora)2147483647L)
#define MAXSBIGORAMINVAL ((sbig_ora)-2147483647L)

#define SIZE_TMAXVAL ((size_t)~(size_t)0)
#define MINSIZE_TMAXVAL ((size_t)4294967295U)

#endif /* ORATYPES */

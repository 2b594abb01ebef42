/*
 * oci1.h - constants of the cartridge services: memory, files, the
 * parameter extractor and the string formatter.
 *
 * The handle types these services use (OCIFileObject, OCIThread*) are
 * declared in oci.h; their prototypes are in ociap.h.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef OCI1_ORACLE
#define OCI1_ORACLE

#ifdef __cplusplus
extern "C" {
#endif

/* --------------------------------------------------------------------
 * Memory (OCIMemoryAlloc / OCIMemoryResize `flags')
 * ------------------------------------------------------------------ */
#define OCI_MEMORY_CLEARED 1   /* zero the new memory */

/* --------------------------------------------------------------------
 * Files (OCIFileOpen, OCIFileSeek)
 * ------------------------------------------------------------------ */
/* Access modes. */
#define OCI_FILE_READ_ONLY 1
#define OCI_FILE_WRITE_ONLY 2
#define OCI_FILE_READ_WRITE 3

/* Creation options, combinable. */
#define OCI_FILE_EXIST 0       /* the file must exist */
#define OCI_FILE_CREATE 1      /* create it when it does not */
#define OCI_FILE_EXCL 2        /* fail when it already exists */
#define OCI_FILE_TRUNCATE 4    /* empty it on opening */
#define OCI_FILE_APPEND 8      /* position writes at the end */

/* Seek origins and directions. */
#define OCI_FILE_SEEK_BEGINNING 1
#define OCI_FILE_SEEK_CURRENT 2
#define OCI_FILE_SEEK_END 3
#define OCI_FILE_FORWARD 1
#define OCI_FILE_BACKWARD 2

/* File kinds; the standard streams need no name. */
#define OCI_FILE_BIN 0
#define OCI_FILE_TEXT 1
#define OCI_FILE_STDIN 2
#define OCI_FILE_STDOUT 3
#define OCI_FILE_STDERR 4

/* Largest file name accepted. */
#define OCI_FILE_MAXNAMELEN 512

/* --------------------------------------------------------------------
 * Parameter extractor (OCIExtractSetKey and friends)
 * ------------------------------------------------------------------ */
#define OCI_EXTRACT_CASE_SENSITIVE 0x1
#define OCI_EXTRACT_UNIQUE_ABBREVS 0x2
#define OCI_EXTRACT_APPEND_VALUES 0x4
#define OCI_EXTRACT_MULTIPLE 0x8

#define OCI_EXTRACT_TYPE_BOOLEAN 1
#define OCI_EXTRACT_TYPE_STRING 2
#define OCI_EXTRACT_TYPE_INTEGER 3
#define OCI_EXTRACT_TYPE_OCINUM 4

/* --------------------------------------------------------------------
 * String formatter (OCIFormatString).  Each argument is announced by a
 * type code followed by a pointer to the value; the list ends with
 * OCIFormatEnd.  The codes are constants here, so using the formatter
 * needs no further symbol from the library.
 * ------------------------------------------------------------------ */
#define OCIFormatTUb1() ((sword)1)
#define OCIFormatTUb2() ((sword)2)
#define OCIFormatTUb4() ((sword)3)
#define OCIFormatTUword() ((sword)4)
#define OCIFormatTUbig_ora() ((sword)5)
#define OCIFormatTSb1() ((sword)6)
#define OCIFormatTSb2() ((sword)7)
#define OCIFormatTSb4() ((sword)8)
#define OCIFormatTSword() ((sword)9)
#define OCIFormatTSbig_ora() ((sword)10)
#define OCIFormatTEb1() ((sword)11)
#define OCIFormatTEb2() ((sword)12)
#define OCIFormatTEb4() ((sword)13)
#define OCIFormatTChar() ((sword)14)
#define OCIFormatTText() ((sword)15)
#define OCIFormatTDouble() ((sword)16)
#define OCIFormatTDvoid() ((sword)17)
#define OCIFormatTEnd() ((sword)18)

#define OCIFormatUb1(variable) OCIFormatTUb1(), &(variable)
#define OCIFormatUb2(variable) OCIFormatTUb2(), &(variable)
#define OCIFormatUb4(variable) OCIFormatTUb4(), &(variable)
#define OCIFormatUword(variable) OCIFormatTUword(), &(variable)
#define OCIFormatUbig_ora(variable) OCIFormatTUbig_ora(), &(variable)
#define OCIFormatSb1(variable) OCIFormatTSb1(), &(variable)
#define OCIFormatSb2(variable) OCIFormatTSb2(), &(variable)
#define OCIFormatSb4(variable) OCIFormatTSb4(), &(variable)
#define OCIFormatSword(variable) OCIFormatTSword(), &(variable)
#define OCIFormatSbig_ora(variable) OCIFormatTSbig_ora(), &(variable)
#define OCIFormatEb1(variable) OCIFormatTEb1(), &(variable)
#define OCIFormatEb2(variable) OCIFormatTEb2(), &(variable)
#define OCIFormatEb4(variable) OCIFormatTEb4(), &(variable)
#define OCIFormatChar(variable) OCIFormatTChar(), &(variable)
#define OCIFormatText(variable) OCIFormatTText(), (variable)
#define OCIFormatDouble(variable) OCIFormatTDouble(), &(variable)
#define OCIFormatDvoid(variable) OCIFormatTDvoid(), (variable)
#define OCIFormatEnd OCIFormatTEnd()

/* Default precision of a floating-point conversion. */
#define OCIFormatDP 6

#ifdef __cplusplus
}
#endif

#endif /* OCI1_ORACLE */

/*
 * ociapr.h - the release-7 call interface (olog, oopen, oparse, ...).
 *
 * That interface is not provided by this library: a program still using
 * it should fail to compile rather than fail to link.  The header exists
 * because sources include it by name next to oci.h; it declares nothing
 * beyond the data areas of ocidfn.h.
 */
#ifndef OCI_ORACLE
#include <oci.h>
#endif

#ifndef OCIAPR
#define OCIAPR

#endif /* OCIAPR */

// The fixed message catalogue: error number -> text, translated via gettext.
#pragma once
#include <oci.h>

// The prefix of every catalogue text; the Windows build uses the short form.
#if defined(_WIN32) || defined(OCICOMPAT_ERROR_PREFIX_WINDOWS)
#define O2P_ERROR_PREFIX "VOSKA-"
#else
#define O2P_ERROR_PREFIX "VOSKARI-"
#endif

const char *o2pGetErrorText(ub4 errcode);
const char *oci_gettext(const char *text);
void SetNlsMessagesPath();

// The untranslated catalogue text (null for a number not in the catalogue).
const char *o2pRawErrorText(ub4 errcode);
// Number of entries, for checks.
int o2pErrorCatalogueSize();

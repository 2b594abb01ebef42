// The environment record: root of every handle tree.
#pragma once
#include <iconv.h>

#include "env/handles.h"

struct OCIError;

constexpr int kUcbSlots = 153;  // one per OCI function code 0..152

// One callback registration (OCIUserCallbackRegister).
struct UcbRecord {
    void *hndlp;
    ub4 type;
    void *ehndlp;
    OCIUserCallback callback;
    void *ctxp;
    OCIUcb *ucbDesc;
};
static_assert(sizeof(UcbRecord) == 48, "callback record layout");

struct UcbList {
    UcbRecord *items;
    sb4 count;
};

enum UcbMoment { UCB_ENTRY = 0, UCB_EXIT = 1, UCB_REPLACE = 2 };

struct ContextEntry {
    char *key;
    ub1 keylen;
    void *value;
};

struct OCIEnv : OCIHandle {
    ub4 mode;
    OCIError *errhp;
    List *children;
    List *memCache;
    List *spools;
    ub1 varcharSemantics;
    UcbList *ucbEntry[kUcbSlots];
    UcbList *ucbReplace[kUcbSlots];
    UcbList *ucbExit[kUcbSlots];
    sb4 charsetId;
    ub1 utf16;
    iconv_t toUtf8;
    iconv_t fromUtf8;
    List *contexts;
    ub1 platformFlags;  // OCIThreadInit / OCIFileInit called on this environment
    ub1 oracleCompat;   // OCI_COMPAT=oracle when the environment was created
    // Oracle-compatible mode: the Oracle character-set ids OCIEnvNlsCreate
    // was given (0: none, the ids follow the encoding).
    ub2 oracleCharset;
    ub2 oracleNcharset;
};

// Mode bit recorded at creation and never read.
constexpr ub4 kEnvModeReserved8 = 0x8;

OCIEnv *Alloc_OCIEnv();
void Free_OCIEnv(OCIEnv *env);

// Scratch texts handed to the application; they live as long as the owner.
void *AllocateMemFromEnvCache(OCIEnv *env, size_t size);
void FreeMemFromEnvCache(OCIEnv *env);

// Context entries of an environment or a session.
List *AppendContextEntry(List *contexts, const char *key, ub1 keylen, void *value);
void FreeContextEntries(List *contexts);
// Frees the session-duration blocks OCIMemoryAlloc handed out on `session`.
void FreeSessionMemory(OCISession *session);

// Selects the client character set (0: from NLS_LANG or the process locale).
void InitNls(OCIEnv *env, sb4 charset);

// Process-wide state set by OCIInitialize.
extern ub1 O2PEnvIsInitialized;
extern ub4 O2PEnvMode;

// User callbacks: registration tables in the environment and the runners the
// instrumented entry points call.
#pragma once
#include "env/env.h"

// Each runner forwards the entry point's own arguments to the callbacks as
// their va_list; callers pass only scalars and pointers.
void PerformEntryUcbs(UcbList *list, sword *status, ...);
void PerformExitUcbs(UcbList *list, sword *status, ...);
sword PerformReplaceUcbs(OCIEnv *env, sword *status, ub4 fcode, ...);

// Loads the packages named in ORA_OCI_UCBPKG into a new environment.
sword o2pLoadUCBs(OCIEnv *env);

// Releases the three tables of an environment.
void FreeUcbTables(OCIEnv *env);

// True for the function codes OCI defines (the others are still registered
// when below the table size, but the registration reports OCI_ERROR).
bool IsKnownFunctionCode(ub4 fcode);

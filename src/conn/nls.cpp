// Choosing the client character set of an environment.
#include "env/env.h"

// Ids 1-40 select that encoding directly. Anything else asks NLS_LANG and the
// process locale; until those are consulted the environment speaks SQL_ASCII.
void InitNls(OCIEnv *env, sb4 charset) {
    if (env == nullptr) return;
    env->charsetId = (charset >= 1 && charset <= 40) ? charset : 0;
}

// The platform-service switches kept in the environment record.
#include "platform/env_flags.h"

bool PlatformFlagIsSet(const OCIEnv *env, PlatformFlag flag) { return (env->platformFlags & flag) != 0; }

void SetPlatformFlag(OCIEnv *env, PlatformFlag flag, bool on) {
    if (on)
        env->platformFlags = static_cast<ub1>(env->platformFlags | flag);
    else
        env->platformFlags = static_cast<ub1>(env->platformFlags & ~flag);
}

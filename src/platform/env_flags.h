// Per-environment switches of the platform services: whether OCIThreadInit
// and OCIFileInit have been called on an environment.
#pragma once
#include "env/env.h"

enum PlatformFlag : unsigned {
    PLATFORM_THREAD_INITIALISED = 0x1,
    PLATFORM_FILE_INITIALISED = 0x2,
};

bool PlatformFlagIsSet(const OCIEnv *env, PlatformFlag flag);
void SetPlatformFlag(OCIEnv *env, PlatformFlag flag, bool on);

#include "env/compat.h"

#include <strings.h>

#include <cstdlib>

#include "env/env.h"
#include "env/handles.h"

bool CompatSwitchFromProcess() {
    const char *value = std::getenv("OCI_COMPAT");
    return value != nullptr && strcasecmp(value, "oracle") == 0;
}

bool OracleCompat(const OCIEnv *env) { return env != nullptr && env->oracleCompat != 0; }

bool OracleCompatOf(const void *handle) { return OracleCompat(EnvOfHandle(handle)); }

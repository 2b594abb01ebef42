// The switches live in an entry of the environment's context list with an
// empty key. OCIContextSetValue and OCIContextGetValue accept only keys of at
// least one byte, so the entry is invisible to applications, and it is
// released with the environment like any other context entry. The bits are
// stored in the entry's value itself; nothing is allocated for them.
#include "platform/env_flags.h"

#include <cstdint>

namespace {
ContextEntry *FlagEntry(const OCIEnv *env) {
    foreach_cell(cell, env->contexts) {
        auto *entry = static_cast<ContextEntry *>(cell->ptr);
        if (entry->keylen == 0) return entry;
    }
    return nullptr;
}
}  // namespace

bool PlatformFlagIsSet(const OCIEnv *env, PlatformFlag flag) {
    const ContextEntry *entry = FlagEntry(env);
    return entry != nullptr && (reinterpret_cast<uintptr_t>(entry->value) & flag) != 0;
}

void SetPlatformFlag(OCIEnv *env, PlatformFlag flag, bool on) {
    ContextEntry *entry = FlagEntry(env);
    if (entry == nullptr) {
        if (!on) return;
        env->contexts = AppendContextEntry(env->contexts, "", 0, reinterpret_cast<void *>(uintptr_t{flag}));
        return;
    }
    uintptr_t bits = reinterpret_cast<uintptr_t>(entry->value);
    bits = on ? (bits | flag) : (bits & ~uintptr_t{flag});
    entry->value = reinterpret_cast<void *>(bits);
}

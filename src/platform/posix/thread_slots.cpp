// Thread-specific values on POSIX thread keys.
#include <pthread.h>

#include "platform/os.h"

namespace os {

static_assert(sizeof(pthread_key_t) <= sizeof(ThreadSlot), "a thread key fits a slot");

bool CreateThreadSlot(ThreadSlot *slot) {
    pthread_key_t key;
    if (pthread_key_create(&key, nullptr) != 0) return false;
    *slot = static_cast<ThreadSlot>(key);
    return true;
}

void DeleteThreadSlot(ThreadSlot slot) { pthread_key_delete(static_cast<pthread_key_t>(slot)); }

void *ThreadSlotValue(ThreadSlot slot) { return pthread_getspecific(static_cast<pthread_key_t>(slot)); }

bool SetThreadSlotValue(ThreadSlot slot, void *value) {
    return pthread_setspecific(static_cast<pthread_key_t>(slot), value) == 0;
}

}  // namespace os

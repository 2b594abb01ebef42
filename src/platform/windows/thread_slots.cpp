// Thread-specific values in Windows TLS slots.
//
// Not winpthreads' keys: its pthread_key_delete holds the key table's lock
// while it waits for the lock of its thread list, and a thread that ends
// holds the thread-list lock while it waits for the key table's lock to run
// the key destructors. A key destroyed while another thread ends leaves
// both threads waiting for good.
#include <windows.h>

#include "platform/os.h"

namespace os {

bool CreateThreadSlot(ThreadSlot *slot) {
    const DWORD index = TlsAlloc();  // every thread's value starts null
    if (index == TLS_OUT_OF_INDEXES) return false;
    *slot = index;
    return true;
}

void DeleteThreadSlot(ThreadSlot slot) { TlsFree(static_cast<DWORD>(slot)); }

void *ThreadSlotValue(ThreadSlot slot) {
    // TlsGetValue clears the thread's last error; a caller between a failed
    // system call and its error report keeps the error.
    const DWORD lastError = GetLastError();
    void *value = TlsGetValue(static_cast<DWORD>(slot));
    SetLastError(lastError);
    return value;
}

bool SetThreadSlotValue(ThreadSlot slot, void *value) { return TlsSetValue(static_cast<DWORD>(slot), value) != 0; }

}  // namespace os

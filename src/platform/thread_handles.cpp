// Thread-package objects and the process-wide thread key.
#include "platform/thread_handles.h"

#include <mutex>

namespace {
pthread_key_t processKey;
std::once_flag processKeyOnce;
}  // namespace

void EnsureProcessThreadKey() {
    std::call_once(processKeyOnce, [] { pthread_key_create(&processKey, nullptr); });
}

pthread_key_t ProcessThreadKey() {
    EnsureProcessThreadKey();
    return processKey;
}

OCIThreadId *Alloc_OCIThreadId() { return NewHandle<OCIThreadId>(HANDLE_OCIThreadId); }
OCIThreadHandle *Alloc_OCIThreadHandle() { return NewHandle<OCIThreadHandle>(HANDLE_OCIThreadHandle); }
OCIThreadMutex *Alloc_OCIThreadMutex() { return NewHandle<OCIThreadMutex>(HANDLE_OCIThreadMutex); }
OCIThreadKey *Alloc_OCIThreadKey() { return NewHandle<OCIThreadKey>(HANDLE_OCIThreadKey); }

namespace {
template <class T> bool Releasable(T **pp, HandleCode code) {
    return pp != nullptr && *pp != nullptr && (*pp)->handleType == code;
}
}  // namespace

void Free_OCIThreadId(OCIThreadId **tid) {
    if (!Releasable(tid, HANDLE_OCIThreadId)) return;
    DeleteHandle(*tid);
    *tid = nullptr;
}

void Free_OCIThreadHandle(OCIThreadHandle **thnd) {
    if (!Releasable(thnd, HANDLE_OCIThreadHandle)) return;
    DeleteHandle(*thnd);
    *thnd = nullptr;
}

void Free_OCIThreadMutex(OCIThreadMutex **mutex) {
    if (!Releasable(mutex, HANDLE_OCIThreadMutex)) return;
    if ((*mutex)->initialised) {
        // Unlocking a mutex another thread holds is undefined; a mutex is only
        // unlocked here when the caller can take it.
        if (pthread_mutex_trylock(&(*mutex)->mutex) == 0) pthread_mutex_unlock(&(*mutex)->mutex);
        pthread_mutex_destroy(&(*mutex)->mutex);
    }
    DeleteHandle(*mutex);
    *mutex = nullptr;
}

void Free_OCIThreadKey(OCIThreadKey **key) {
    if (!Releasable(key, HANDLE_OCIThreadKey)) return;
    if ((*key)->created) pthread_key_delete((*key)->key);
    DeleteHandle(*key);
    *key = nullptr;
}

// Thread-package objects, the process-wide thread key and the per-thread
// destructor lists kept under it.
#include "platform/thread_handles.h"

#include <climits>
#include <mutex>
#include <new>
#include <unordered_set>

namespace {
pthread_key_t processKey;
std::once_flag processKeyOnce;

// Live keys by serial. A thread's destructor entries outlive the key they were
// made for when the key is destroyed while the thread runs; POSIX runs no
// destructor for a deleted key, and neither does this library.
std::mutex liveKeysLock;
std::unordered_set<ub8> *liveKeys;  // created on first use, never freed
ub8 nextSerial = 1;

List *CurrentList() { return static_cast<List *>(pthread_getspecific(ProcessThreadKey())); }

void FreeEntries(List *list) {
    foreach_cell(cell, list) o2pDelete(static_cast<DestructorEntry *>(cell->ptr));
    list_free(list);
}

// A thread the library did not start still owns its list when it ends; only
// the bookkeeping goes, the values are left to the application.
void ReleaseForeignList(void *list) { FreeEntries(static_cast<List *>(list)); }

bool KeyIsLive(ub8 serial) {
    std::lock_guard<std::mutex> guard(liveKeysLock);
    return liveKeys != nullptr && liveKeys->count(serial) != 0;
}

DestructorEntry *FindEntry(List *list, ub8 serial) {
    foreach_cell(cell, list) {
        auto *entry = static_cast<DestructorEntry *>(cell->ptr);
        if (entry->serial == serial) return entry;
    }
    return nullptr;
}

template <class T> bool Releasable(T **pp, HandleCode code) {
    return pp != nullptr && *pp != nullptr && (*pp)->handleType == code;
}
}  // namespace

void EnsureProcessThreadKey() {
    std::call_once(processKeyOnce, [] { pthread_key_create(&processKey, ReleaseForeignList); });
}

pthread_key_t ProcessThreadKey() {
    EnsureProcessThreadKey();
    return processKey;
}

bool RememberThreadKey(OCIThreadKey *key) {
    std::lock_guard<std::mutex> guard(liveKeysLock);
    try {
        if (liveKeys == nullptr) liveKeys = new std::unordered_set<ub8>();
        key->serial = nextSerial++;
        liveKeys->insert(key->serial);
    } catch (const std::bad_alloc &) {
        return false;
    }
    return true;
}

void ForgetThreadKey(const OCIThreadKey *key) {
    std::lock_guard<std::mutex> guard(liveKeysLock);
    if (liveKeys != nullptr) liveKeys->erase(key->serial);
}

void UpdateDestructorList(const OCIThreadKey *key, void *value) {
    List *list = CurrentList();
    DestructorEntry *entry = FindEntry(list, key->serial);
    if (entry != nullptr) {
        if (value != nullptr) {
            entry->destructor = key->destructor;
            entry->value = value;
            return;
        }
        list = list_delete(list, entry);
        o2pDelete(entry);
        pthread_setspecific(ProcessThreadKey(), list);
        return;
    }
    if (value == nullptr) return;
    entry = o2pNew<DestructorEntry>();
    if (entry == nullptr) throw std::bad_alloc();
    entry->serial = key->serial;
    entry->destructor = key->destructor;
    entry->value = value;
    const bool fresh = list == nullptr;
    try {
        list = lappend(list, entry);
    } catch (...) {
        o2pDelete(entry);
        throw;
    }
    if (fresh && pthread_setspecific(ProcessThreadKey(), list) != 0) {
        FreeEntries(list);
        throw std::bad_alloc();
    }
}

void DropDestructorEntry(const OCIThreadKey *key) {
    List *list = CurrentList();
    DestructorEntry *entry = FindEntry(list, key->serial);
    if (entry == nullptr) return;
    list = list_delete(list, entry);
    o2pDelete(entry);
    pthread_setspecific(ProcessThreadKey(), list);
}

void RunThreadDestructors() {
    const pthread_key_t processThreadKey = ProcessThreadKey();
    for (int round = 0; round < PTHREAD_DESTRUCTOR_ITERATIONS; round++) {
        auto *list = static_cast<List *>(pthread_getspecific(processThreadKey));
        if (list == nullptr) return;
        // Detached before any destructor runs: a destructor may set keys
        // again, which must start a new list rather than change this one.
        pthread_setspecific(processThreadKey, nullptr);
        foreach_cell(cell, list) {
            auto *entry = static_cast<DestructorEntry *>(cell->ptr);
            if (entry->value != nullptr && entry->destructor != nullptr && KeyIsLive(entry->serial))
                entry->destructor(entry->value);
        }
        FreeEntries(list);
    }
    // Values still set after the last round are abandoned, as POSIX does.
    FreeEntries(static_cast<List *>(pthread_getspecific(processThreadKey)));
    pthread_setspecific(processThreadKey, nullptr);
}

int DestructorEntryCount() { return list_length(CurrentList()); }

OCIThreadId *Alloc_OCIThreadId() { return NewHandle<OCIThreadId>(HANDLE_OCIThreadId); }
OCIThreadHandle *Alloc_OCIThreadHandle() { return NewHandle<OCIThreadHandle>(HANDLE_OCIThreadHandle); }
OCIThreadMutex *Alloc_OCIThreadMutex() { return NewHandle<OCIThreadMutex>(HANDLE_OCIThreadMutex); }
OCIThreadKey *Alloc_OCIThreadKey() { return NewHandle<OCIThreadKey>(HANDLE_OCIThreadKey); }

void Free_OCIThreadId(OCIThreadId **tid) {
    if (!Releasable(tid, HANDLE_OCIThreadId)) return;
    DeleteHandle(*tid);
    *tid = nullptr;
}

void Free_OCIThreadHandle(OCIThreadHandle **thnd) {
    if (!Releasable(thnd, HANDLE_OCIThreadHandle)) return;
    // Nobody can join the thread once its handle is gone; detaching lets the
    // system reclaim it when it ends.
    if ((*thnd)->joinable) pthread_detach((*thnd)->thread);
    DeleteHandle(*thnd);
    *thnd = nullptr;
}

const void *ThreadToken() {
    static thread_local char token;
    return &token;
}

bool RetireMutex(OCIThreadMutex *mutex) {
    if (!mutex->initialised) return true;
    if (mutex->owner.load() == ThreadToken()) {
        mutex->owner.store(nullptr);
        pthread_mutex_unlock(&mutex->mutex);
    }
    if (pthread_mutex_trylock(&mutex->mutex) != 0) return false;  // another thread holds it
    pthread_mutex_unlock(&mutex->mutex);
    pthread_mutex_destroy(&mutex->mutex);
    mutex->initialised = false;
    return true;
}

void Free_OCIThreadMutex(OCIThreadMutex **mutex) {
    if (!Releasable(mutex, HANDLE_OCIThreadMutex)) return;
    // A mutex another thread still holds can be neither destroyed nor freed
    // without pulling it from under its holder; it is left to the process.
    if (RetireMutex(*mutex)) DeleteHandle(*mutex);
    *mutex = nullptr;
}

void Free_OCIThreadKey(OCIThreadKey **key) {
    if (!Releasable(key, HANDLE_OCIThreadKey)) return;
    if ((*key)->created) {
        ForgetThreadKey(*key);
        DropDestructorEntry(*key);
        os::DeleteThreadSlot((*key)->key);
    }
    DeleteHandle(*key);
    *key = nullptr;
}

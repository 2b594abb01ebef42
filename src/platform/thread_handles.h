// Records of the thread-package objects, the process-wide thread key and the
// per-thread list of key destructors. The objects' release functions take the
// address of the caller's pointer and clear it.
#pragma once
#include <pthread.h>

#include <atomic>

#include "env/handles.h"
#include "platform/os.h"

struct OCIThreadId : OCIHandle {
    pthread_t id;
    bool set;  // false: the null identity
};

struct OCIThreadHandle : OCIHandle {
    void (*start)(void *);
    void *arg;
    pthread_t thread;
    bool running;   // stands for a live, unclosed thread
    bool joinable;  // holds a thread this library started and nobody joined yet
};

struct OCIThreadMutex : OCIHandle {
    pthread_mutex_t mutex;
    bool initialised;
    // The holder, as ThreadToken() of the thread that locked it, or null.
    // Written only by the holder; lets acquire, release and destroy refuse
    // relocking, unlocking by another thread and destroying a mutex another
    // thread holds, which POSIX leaves undefined for a default mutex.
    std::atomic<const void *> owner;
};

struct OCIThreadKey : OCIHandle {
    os::ThreadSlot key;
    bool created;
    void (*destructor)(void *);
    // Unique for the life of the process; POSIX key numbers are reused after
    // deletion, so a thread's destructor entries are matched by this instead.
    ub8 serial;
};

OCIThreadId *Alloc_OCIThreadId();
void Free_OCIThreadId(OCIThreadId **tid);
OCIThreadHandle *Alloc_OCIThreadHandle();
void Free_OCIThreadHandle(OCIThreadHandle **thnd);
OCIThreadMutex *Alloc_OCIThreadMutex();
void Free_OCIThreadMutex(OCIThreadMutex **mutex);
// Unlocks (when the caller holds it) and destroys the POSIX mutex; false,
// with the mutex left as it is, when another thread holds it.
bool RetireMutex(OCIThreadMutex *mutex);
// Identifies the calling thread among the live ones.
const void *ThreadToken();
OCIThreadKey *Alloc_OCIThreadKey();
void Free_OCIThreadKey(OCIThreadKey **key);

// The process-wide thread-specific-data key, created once by the first
// environment initialisation. Its per-thread value is the list of
// DestructorEntry records of that thread.
void EnsureProcessThreadKey();
pthread_key_t ProcessThreadKey();

// One key with a destructor that the thread gave a non-null value.
struct DestructorEntry {
    ub8 serial;
    void (*destructor)(void *);
    void *value;
};

// Gives `key` a serial number and records it as live; false when memory runs
// out. Once forgotten, a key's destructor no longer runs in any thread.
bool RememberThreadKey(OCIThreadKey *key);
void ForgetThreadKey(const OCIThreadKey *key);

// Applies OCIThreadKeySet's bookkeeping to the calling thread's destructor
// list. Throws std::bad_alloc when a new entry cannot be added.
void UpdateDestructorList(const OCIThreadKey *key, void *value);
// Drops the calling thread's entry for `key`, if any.
void DropDestructorEntry(const OCIThreadKey *key);
// Runs the calling thread's destructors in the order the keys were first set
// and releases the list; destructors that set keys again are run in further
// rounds, as many as POSIX allows for its own key destructors.
void RunThreadDestructors();
// Number of entries in the calling thread's list.
int DestructorEntryCount();

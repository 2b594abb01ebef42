// Records of the thread-package objects. Their release functions take the
// address of the caller's pointer and clear it.
#pragma once
#include <pthread.h>

#include "env/handles.h"

struct OCIThreadId : OCIHandle {
    pthread_t id;
    bool set;
};

struct OCIThreadHandle : OCIHandle {
    pthread_t thread;
    bool running;
};

struct OCIThreadMutex : OCIHandle {
    pthread_mutex_t mutex;
    bool initialised;
};

struct OCIThreadKey : OCIHandle {
    pthread_key_t key;
    bool created;
    void (*destructor)(void *);
};

OCIThreadId *Alloc_OCIThreadId();
void Free_OCIThreadId(OCIThreadId **tid);
OCIThreadHandle *Alloc_OCIThreadHandle();
void Free_OCIThreadHandle(OCIThreadHandle **thnd);
OCIThreadMutex *Alloc_OCIThreadMutex();
void Free_OCIThreadMutex(OCIThreadMutex **mutex);
OCIThreadKey *Alloc_OCIThreadKey();
void Free_OCIThreadKey(OCIThreadKey **key);

// The process-wide thread-specific-data key, created once by the first
// environment initialisation.
void EnsureProcessThreadKey();
pthread_key_t ProcessThreadKey();

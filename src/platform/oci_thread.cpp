// OCIThread: thread identities, thread handles, mutexes and keys on POSIX
// threads. Every object is registered in the environment that created it and
// goes with that environment.
#include <pthread.h>

#include "conn/conn_handles.h"
#include "diag/entry.h"
#include "env/env.h"
#include "platform/env_flags.h"
#include "platform/thread_handles.h"

namespace {
constexpr sb4 kErrMutexInit = 24320;
constexpr sb4 kErrThread = 30135;

// The environment a thread call works on: the handle itself, or the
// environment a session belongs to.
OCIEnv *ThreadCallEnv(void *hndl) {
    if (auto *env = HandleAs<OCIEnv>(hndl, HANDLE_OCIEnv)) return env;
    if (auto *session = HandleAs<OCISession>(hndl, HANDLE_OCISession))
        return HandleAs<OCIEnv>(session->parenth, HANDLE_OCIEnv);
    return nullptr;
}

sword Fail(OCIError *err, sb4 code) {
    AddErrorRecord(err, OCI_ERROR, code);
    return OCI_ERROR;
}

sword MissingArgument(OCIError *err, const char *position) {
    AddErrorRecordStringX(err, OCI_ERROR, kErrBadArgument, 1, position);
    return OCI_ERROR;
}

// Checks the two leading handles, then runs work(env) as an entry point.
template <class Work, class... Args>
sword ThreadEntry(const char *name, void *hndl, OCIError *err, Work &&work, const char *argNames,
                  Args... args) {
    OCIEnv *env = ThreadCallEnv(hndl);
    if (env == nullptr || HandleAs<OCIError>(err, HANDLE_OCIError) == nullptr) return OCI_INVALID_HANDLE;
    return RunEntry({name, 0}, env, err, [&]() -> sword { return work(env); }, argNames, args...);
}

// Links a new object to its environment; on failure the object is released
// before the out-of-memory error travels on.
template <class T> void Adopt(OCIEnv *env, T *object, void (*release)(T **)) {
    object->parenth = env;
    try {
        env->children = lappend(env->children, object);
    } catch (...) {
        release(&object);
        throw;
    }
}

// Takes an object off the list of the environment that created it, which is
// not necessarily the one the destroying call was given.
void Unlink(OCIHandle *object) {
    if (auto *owner = HandleAs<OCIEnv>(object->parenth, HANDLE_OCIEnv))
        owner->children = list_delete(owner->children, object);
}

template <class T> T *Object(const void *p, HandleCode code) { return HandleAs<T>(p, code); }
template <class T> bool ObjectAt(T **pp, HandleCode code) { return pp != nullptr && Object<T>(*pp, code) != nullptr; }

// What a started thread needs; the thread owns this copy, so the application
// may destroy the thread handle while the thread is still starting.
struct Launch {
    void (*start)(void *);
    void *arg;
};

void *ThreadMain(void *p) {
    const Launch launch = *static_cast<Launch *>(p);
    o2pDelete(static_cast<Launch *>(p));
    launch.start(launch.arg);
    RunThreadDestructors();
    return nullptr;
}

// A handle that still holds an unjoined thread is about to stand for another
// one: nobody could join the first thread any more.
void LetGo(OCIThreadHandle *thnd) {
    if (!thnd->joinable) return;
    pthread_detach(thnd->thread);
    thnd->joinable = false;
}
}  // namespace

OCI_EXPORT void OCIThreadProcessInit(void) {
    RunEntry({"OCIThreadProcessInit", 0}, nullptr, nullptr, []() -> sword { return OCI_SUCCESS; });
}

OCI_EXPORT boolean OCIThreadIsMulti(void) {
    RunEntry({"OCIThreadIsMulti", 0}, nullptr, nullptr, []() -> sword { return OCI_SUCCESS; });
    return TRUE;
}

OCI_EXPORT sword OCIThreadInit(void *hndl, OCIError *err) {
    return ThreadEntry("OCIThreadInit", hndl, err, [&](OCIEnv *env) -> sword {
        SetPlatformFlag(env, PLATFORM_THREAD_INITIALISED, true);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err));
}

OCI_EXPORT sword OCIThreadTerm(void *hndl, OCIError *err) {
    return ThreadEntry("OCIThreadTerm", hndl, err, [&](OCIEnv *env) -> sword {
        return PlatformFlagIsSet(env, PLATFORM_THREAD_INITIALISED) ? OCI_SUCCESS : Fail(err, kErrThread);
    }, OCI_ARGS(hndl, err));
}

// Mutexes.

OCI_EXPORT sword OCIThreadMutexInit(void *hndl, OCIError *err, OCIThreadMutex **mutex) {
    return ThreadEntry("OCIThreadMutexInit", hndl, err, [&](OCIEnv *env) -> sword {
        if (mutex == nullptr) return MissingArgument(err, "3");
        *mutex = nullptr;
        OCIThreadMutex *object = Alloc_OCIThreadMutex();
        if (object == nullptr) return Fail(err, kErrNoMemory);
        if (pthread_mutex_init(&object->mutex, nullptr) != 0) {
            Free_OCIThreadMutex(&object);
            return Fail(err, kErrMutexInit);
        }
        object->initialised = true;
        Adopt(env, object, Free_OCIThreadMutex);
        *mutex = object;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, mutex));
}

OCI_EXPORT sword OCIThreadMutexDestroy(void *hndl, OCIError *err, OCIThreadMutex **mutex) {
    if (!ObjectAt(mutex, HANDLE_OCIThreadMutex)) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadMutexDestroy", hndl, err, [&](OCIEnv *) -> sword {
        // A mutex another thread holds stays as it is: destroying it would be
        // undefined and freeing it would pull it from under its holder.
        if (!RetireMutex(*mutex)) return Fail(err, kErrThread);
        Unlink(*mutex);
        Free_OCIThreadMutex(mutex);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, mutex));
}

OCI_EXPORT sword OCIThreadMutexAcquire(void *hndl, OCIError *err, OCIThreadMutex *mutex) {
    auto *object = Object<OCIThreadMutex>(mutex, HANDLE_OCIThreadMutex);
    if (object == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadMutexAcquire", hndl, err, [&](OCIEnv *) -> sword {
        // Refused when the caller already holds it, instead of deadlocking.
        if (object->owner.load() == ThreadToken() || pthread_mutex_lock(&object->mutex) != 0)
            return Fail(err, kErrThread);
        object->owner.store(ThreadToken());
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, mutex));
}

OCI_EXPORT sword OCIThreadMutexRelease(void *hndl, OCIError *err, OCIThreadMutex *mutex) {
    auto *object = Object<OCIThreadMutex>(mutex, HANDLE_OCIThreadMutex);
    if (object == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadMutexRelease", hndl, err, [&](OCIEnv *) -> sword {
        // Refused when the caller does not hold it.
        if (object->owner.load() != ThreadToken()) return Fail(err, kErrThread);
        object->owner.store(nullptr);
        return pthread_mutex_unlock(&object->mutex) == 0 ? OCI_SUCCESS : Fail(err, kErrThread);
    }, OCI_ARGS(hndl, err, mutex));
}

// Keys.

OCI_EXPORT sword OCIThreadKeyInit(void *hndl, OCIError *err, OCIThreadKey **key, OCIThreadKeyDestFunc destFn) {
    return ThreadEntry("OCIThreadKeyInit", hndl, err, [&](OCIEnv *env) -> sword {
        if (key == nullptr) return MissingArgument(err, "3");
        *key = nullptr;
        OCIThreadKey *object = Alloc_OCIThreadKey();
        if (object == nullptr) return Fail(err, kErrNoMemory);
        if (!os::CreateThreadSlot(&object->key)) {
            Free_OCIThreadKey(&object);
            return Fail(err, kErrThread);
        }
        object->created = true;
        object->destructor = destFn;
        if (!RememberThreadKey(object)) {
            Free_OCIThreadKey(&object);
            return Fail(err, kErrNoMemory);
        }
        Adopt(env, object, Free_OCIThreadKey);
        *key = object;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, key));
}

OCI_EXPORT sword OCIThreadKeyDestroy(void *hndl, OCIError *err, OCIThreadKey **key) {
    if (!ObjectAt(key, HANDLE_OCIThreadKey)) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadKeyDestroy", hndl, err, [&](OCIEnv *) -> sword {
        Unlink(*key);
        Free_OCIThreadKey(key);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, key));
}

OCI_EXPORT sword OCIThreadKeyGet(void *hndl, OCIError *err, OCIThreadKey *key, void **pValue) {
    auto *object = Object<OCIThreadKey>(key, HANDLE_OCIThreadKey);
    if (object == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadKeyGet", hndl, err, [&](OCIEnv *) -> sword {
        if (pValue == nullptr) return MissingArgument(err, "4");
        *pValue = os::ThreadSlotValue(object->key);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, key, pValue));
}

OCI_EXPORT sword OCIThreadKeySet(void *hndl, OCIError *err, OCIThreadKey *key, void *value) {
    auto *object = Object<OCIThreadKey>(key, HANDLE_OCIThreadKey);
    if (object == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadKeySet", hndl, err, [&](OCIEnv *) -> sword {
        void *previous = os::ThreadSlotValue(object->key);
        if (!os::SetThreadSlotValue(object->key, value)) return Fail(err, kErrNoMemory);
        if (object->destructor == nullptr) return OCI_SUCCESS;
        try {
            UpdateDestructorList(object, value);
        } catch (...) {
            os::SetThreadSlotValue(object->key, previous);
            throw;
        }
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, key, value));
}

// Thread identities.

OCI_EXPORT sword OCIThreadIdInit(void *hndl, OCIError *err, OCIThreadId **tid) {
    return ThreadEntry("OCIThreadIdInit", hndl, err, [&](OCIEnv *env) -> sword {
        if (tid == nullptr) return MissingArgument(err, "3");
        *tid = nullptr;
        OCIThreadId *object = Alloc_OCIThreadId();
        if (object == nullptr) return Fail(err, kErrNoMemory);
        Adopt(env, object, Free_OCIThreadId);
        *tid = object;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tid));
}

OCI_EXPORT sword OCIThreadIdDestroy(void *hndl, OCIError *err, OCIThreadId **tid) {
    if (!ObjectAt(tid, HANDLE_OCIThreadId)) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadIdDestroy", hndl, err, [&](OCIEnv *) -> sword {
        Unlink(*tid);
        Free_OCIThreadId(tid);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tid));
}

OCI_EXPORT sword OCIThreadIdSet(void *hndl, OCIError *err, OCIThreadId *tidDest, OCIThreadId *tidSrc) {
    auto *dest = Object<OCIThreadId>(tidDest, HANDLE_OCIThreadId);
    auto *src = Object<OCIThreadId>(tidSrc, HANDLE_OCIThreadId);
    if (dest == nullptr || src == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadIdSet", hndl, err, [&](OCIEnv *) -> sword {
        dest->id = src->id;
        dest->set = src->set;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tidDest, tidSrc));
}

OCI_EXPORT sword OCIThreadIdSetNull(void *hndl, OCIError *err, OCIThreadId *tid) {
    auto *object = Object<OCIThreadId>(tid, HANDLE_OCIThreadId);
    if (object == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadIdSetNull", hndl, err, [&](OCIEnv *) -> sword {
        object->id = pthread_t{};
        object->set = false;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tid));
}

OCI_EXPORT sword OCIThreadIdGet(void *hndl, OCIError *err, OCIThreadId *tid) {
    auto *object = Object<OCIThreadId>(tid, HANDLE_OCIThreadId);
    if (object == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadIdGet", hndl, err, [&](OCIEnv *) -> sword {
        object->id = pthread_self();
        object->set = true;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tid));
}

OCI_EXPORT sword OCIThreadIdSame(void *hndl, OCIError *err, OCIThreadId *tid1, OCIThreadId *tid2, boolean *result) {
    auto *first = Object<OCIThreadId>(tid1, HANDLE_OCIThreadId);
    auto *second = Object<OCIThreadId>(tid2, HANDLE_OCIThreadId);
    if (first == nullptr || second == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadIdSame", hndl, err, [&](OCIEnv *) -> sword {
        if (result == nullptr) return MissingArgument(err, "5");
        // Two null identities are the same; a null one equals no thread.
        bool same = first->set == second->set;
        if (same && first->set) same = pthread_equal(first->id, second->id) != 0;
        *result = same ? TRUE : FALSE;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tid1, tid2, result));
}

OCI_EXPORT sword OCIThreadIdNull(void *hndl, OCIError *err, OCIThreadId *tid, boolean *result) {
    auto *object = Object<OCIThreadId>(tid, HANDLE_OCIThreadId);
    if (object == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadIdNull", hndl, err, [&](OCIEnv *) -> sword {
        if (result == nullptr) return MissingArgument(err, "4");
        *result = object->set ? FALSE : TRUE;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tid, result));
}

// Thread handles.

OCI_EXPORT sword OCIThreadHndInit(void *hndl, OCIError *err, OCIThreadHandle **thnd) {
    return ThreadEntry("OCIThreadHndInit", hndl, err, [&](OCIEnv *env) -> sword {
        if (thnd == nullptr) return MissingArgument(err, "3");
        *thnd = nullptr;
        OCIThreadHandle *object = Alloc_OCIThreadHandle();
        if (object == nullptr) return Fail(err, kErrNoMemory);
        Adopt(env, object, Free_OCIThreadHandle);
        *thnd = object;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, thnd));
}

OCI_EXPORT sword OCIThreadHndDestroy(void *hndl, OCIError *err, OCIThreadHandle **thnd) {
    if (!ObjectAt(thnd, HANDLE_OCIThreadHandle)) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadHndDestroy", hndl, err, [&](OCIEnv *) -> sword {
        Unlink(*thnd);
        Free_OCIThreadHandle(thnd);
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, thnd));
}

OCI_EXPORT sword OCIThreadCreate(void *hndl, OCIError *err, void (*start)(void *), void *arg, OCIThreadId *tid,
                                 OCIThreadHandle *tHnd) {
    auto *id = Object<OCIThreadId>(tid, HANDLE_OCIThreadId);
    auto *handle = Object<OCIThreadHandle>(tHnd, HANDLE_OCIThreadHandle);
    if (start == nullptr || id == nullptr || handle == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadCreate", hndl, err, [&](OCIEnv *) -> sword {
        LetGo(handle);
        handle->start = start;
        handle->arg = arg;
        handle->running = false;
        auto *launch = o2pNew<Launch>();
        if (launch == nullptr) return Fail(err, kErrNoMemory);
        launch->start = start;
        launch->arg = arg;
        pthread_t thread;
        if (pthread_create(&thread, nullptr, ThreadMain, launch) != 0) {
            o2pDelete(launch);
            return Fail(err, kErrThread);
        }
        handle->thread = thread;
        handle->running = handle->joinable = true;
        id->id = thread;
        id->set = true;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, arg, tid, tHnd));
}

OCI_EXPORT sword OCIThreadJoin(void *hndl, OCIError *err, OCIThreadHandle *tHnd) {
    auto *handle = Object<OCIThreadHandle>(tHnd, HANDLE_OCIThreadHandle);
    if (handle == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadJoin", hndl, err, [&](OCIEnv *) -> sword {
        // Only a thread started here and not joined yet may be joined; a
        // second join, or one of a thread the library did not start, would
        // be undefined.
        if (!handle->joinable || pthread_join(handle->thread, nullptr) != 0) return Fail(err, kErrThread);
        handle->joinable = false;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tHnd));
}

OCI_EXPORT sword OCIThreadClose(void *hndl, OCIError *err, OCIThreadHandle *tHnd) {
    auto *handle = Object<OCIThreadHandle>(tHnd, HANDLE_OCIThreadHandle);
    if (handle == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadClose", hndl, err, [&](OCIEnv *) -> sword {
        if (!handle->running) return Fail(err, kErrThread);
        handle->running = false;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tHnd));
}

OCI_EXPORT sword OCIThreadHandleGet(void *hndl, OCIError *err, OCIThreadHandle *tHnd) {
    auto *handle = Object<OCIThreadHandle>(tHnd, HANDLE_OCIThreadHandle);
    if (handle == nullptr) return OCI_INVALID_HANDLE;
    return ThreadEntry("OCIThreadHandleGet", hndl, err, [&](OCIEnv *) -> sword {
        LetGo(handle);
        handle->thread = pthread_self();
        handle->running = true;
        return OCI_SUCCESS;
    }, OCI_ARGS(hndl, err, tHnd));
}

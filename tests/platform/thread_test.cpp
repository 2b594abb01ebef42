// OCIThread: initialisation, identities, handles, mutexes, keys and their
// destructors, and the objects' life within their environment.
#include <thread>
#include <vector>

#include "env/env.h"
#include "env/memory.h"
#include "platform/thread_handles.h"
#include "platform_fixture.h"

using namespace platform_test;

namespace {

class ThreadTest : public EnvTest {};

TEST_F(ThreadTest, TermNeedsInitOfTheSameEnvironmentOrItsSession) {
    EXPECT_EQ(OCIThreadTerm(env, err), OCI_ERROR);
    Record record = FirstRecord(err);
    EXPECT_EQ(record.code, 30135);
    EXPECT_NE(record.text.find("30135: failed OCI Thread operation"), std::string::npos);

    // A session stands for its environment.
    void *session = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &session, OCI_HTYPE_SESSION, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadInit(session, err), OCI_SUCCESS);
    EXPECT_EQ(ErrorCode(err), -1);  // the failure above was cleared
    for (int i = 0; i < 3; i++) EXPECT_EQ(OCIThreadTerm(env, err), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadTerm(session, err), OCI_SUCCESS);

    // The switch belongs to one environment, and stays off the context calls.
    OCIEnv *other = NewEnv();
    OCIError *otherErr = NewError(other);
    EXPECT_EQ(OCIThreadTerm(other, otherErr), OCI_ERROR);
    EXPECT_EQ(list_length(other->contexts), 0);
    OCIHandleFree(other, OCI_HTYPE_ENV);

    // Anything but an environment or a session, or a missing error handle.
    EXPECT_EQ(OCIThreadInit(err, err), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadInit(env, nullptr), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadInit(nullptr, err), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadIsMulti(), TRUE);
    OCIThreadProcessInit();
}

TEST_F(ThreadTest, IdentitiesCompareByThread) {
    OCIThreadId *a = nullptr, *b = nullptr;
    ASSERT_EQ(OCIThreadIdInit(env, err, &a), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadIdInit(env, err, &b), OCI_SUCCESS);
    boolean result = FALSE;
    EXPECT_EQ(OCIThreadIdNull(env, err, a, &result), OCI_SUCCESS);
    EXPECT_EQ(result, TRUE);
    EXPECT_EQ(OCIThreadIdSame(env, err, a, b, &result), OCI_SUCCESS);
    EXPECT_EQ(result, TRUE);  // two null identities

    EXPECT_EQ(OCIThreadIdGet(env, err, a), OCI_SUCCESS);
    OCIThreadIdNull(env, err, a, &result);
    EXPECT_EQ(result, FALSE);
    OCIThreadIdSame(env, err, a, b, &result);
    EXPECT_EQ(result, FALSE);
    EXPECT_EQ(OCIThreadIdSet(env, err, b, a), OCI_SUCCESS);
    OCIThreadIdSame(env, err, a, b, &result);
    EXPECT_EQ(result, TRUE);

    // Another thread's identity differs.
    std::thread([&] { EXPECT_EQ(OCIThreadIdGet(env, err, b), OCI_SUCCESS); }).join();
    OCIThreadIdSame(env, err, a, b, &result);
    EXPECT_EQ(result, FALSE);

    EXPECT_EQ(OCIThreadIdSetNull(env, err, a), OCI_SUCCESS);
    OCIThreadIdNull(env, err, a, &result);
    EXPECT_EQ(result, TRUE);

    EXPECT_EQ(OCIThreadIdSame(env, err, a, b, nullptr), OCI_ERROR);
    Record record = FirstRecord(err);
    EXPECT_EQ(record.code, 21560);
    EXPECT_EQ(record.text.substr(record.text.size() - 2), " 5");
    EXPECT_EQ(OCIThreadIdNull(env, err, a, nullptr), OCI_ERROR);
    EXPECT_EQ(OCIThreadIdInit(env, err, nullptr), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 21560);

    // Objects of another kind are refused.
    OCIThreadHandle *h = nullptr;
    ASSERT_EQ(OCIThreadHndInit(env, err, &h), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadIdGet(env, err, reinterpret_cast<OCIThreadId *>(h)), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadIdDestroy(env, err, reinterpret_cast<OCIThreadId **>(&h)), OCI_INVALID_HANDLE);

    EXPECT_EQ(OCIThreadIdDestroy(env, err, &a), OCI_SUCCESS);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(OCIThreadIdDestroy(env, err, &a), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadIdDestroy(env, err, nullptr), OCI_INVALID_HANDLE);
    // b and h go with the environment.
    EXPECT_EQ(list_length(env->children), 3);  // error handle, b, h
}

struct Started {
    OCIEnv *env;
    OCIError *err;
    OCIThreadId *seen;
    Events runs;
};

void RecordSelf(void *arg) {
    auto *s = static_cast<Started *>(arg);
    OCIThreadIdGet(s->env, s->err, s->seen);
    s->runs.Add();
}

TEST_F(ThreadTest, CreateJoinClose) {
    OCIThreadId *tid = nullptr;
    OCIThreadHandle *thnd = nullptr;
    ASSERT_EQ(OCIThreadIdInit(env, err, &tid), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadHndInit(env, err, &thnd), OCI_SUCCESS);
    // Each started thread reports on an error handle of its own.
    Started started{env, NewError(env), nullptr, {}};
    ASSERT_EQ(OCIThreadIdInit(env, err, &started.seen), OCI_SUCCESS);

    EXPECT_EQ(OCIThreadCreate(env, err, nullptr, &started, tid, thnd), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, nullptr, thnd), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, reinterpret_cast<OCIThreadHandle *>(tid)),
              OCI_INVALID_HANDLE);

    ASSERT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_SUCCESS);
    started.runs.WaitFor(1);  // already there: the join saw the thread end
    boolean same = FALSE;
    EXPECT_EQ(OCIThreadIdSame(env, err, tid, started.seen, &same), OCI_SUCCESS);
    EXPECT_EQ(same, TRUE);

    // A second join would be undefined for POSIX; it is refused.
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30135);
    EXPECT_EQ(OCIThreadClose(env, err, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadClose(env, err, thnd), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30135);

    // The handle can stand for the calling thread, which it cannot join.
    EXPECT_EQ(OCIThreadHandleGet(env, err, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_ERROR);
    EXPECT_EQ(OCIThreadClose(env, err, thnd), OCI_SUCCESS);

    // Starting another thread on a handle whose thread was never joined lets
    // the first one go (the race detectors report a leaked thread
    // otherwise); the handle joins the second.
    ASSERT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, thnd), OCI_SUCCESS);
    started.runs.WaitFor(2);
    ASSERT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_SUCCESS);
    started.runs.WaitFor(3);

    // Destroying a handle unjoined lets its thread finish on its own.
    ASSERT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadHndDestroy(env, err, &thnd), OCI_SUCCESS);
    EXPECT_EQ(thnd, nullptr);
    started.runs.WaitFor(4);
}

TEST_F(ThreadTest, MutexRefusesWhatPosixLeavesUndefined) {
    OCIThreadMutex *mutex = nullptr;
    ASSERT_EQ(OCIThreadMutexInit(env, err, &mutex), OCI_SUCCESS);
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(OCIThreadMutexRelease(env, err, mutex), OCI_ERROR);  // not held
    EXPECT_EQ(ErrorCode(err), 30135);
    EXPECT_EQ(OCIThreadMutexAcquire(env, err, mutex), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadMutexAcquire(env, err, mutex), OCI_ERROR);  // would deadlock

    // Held here: another thread can neither take nor release it.
    OCIError *otherErr = NewError(env);
    std::thread([&] { EXPECT_EQ(OCIThreadMutexRelease(env, otherErr, mutex), OCI_ERROR); }).join();
    EXPECT_EQ(OCIThreadMutexRelease(env, err, mutex), OCI_SUCCESS);

    // Held by another thread: destroying is refused and changes nothing.
    Events locked, done;
    std::thread holder([&] {
        EXPECT_EQ(OCIThreadMutexAcquire(env, otherErr, mutex), OCI_SUCCESS);
        locked.Add();
        done.WaitFor(1);
        EXPECT_EQ(OCIThreadMutexRelease(env, otherErr, mutex), OCI_SUCCESS);
    });
    locked.WaitFor(1);
    OCIThreadMutex *kept = mutex;
    EXPECT_EQ(OCIThreadMutexDestroy(env, err, &mutex), OCI_ERROR);
    EXPECT_EQ(mutex, kept);
    EXPECT_TRUE(list_member(env->children, mutex));
    done.Add();
    holder.join();

    // Held by the caller: unlocked and destroyed.
    EXPECT_EQ(OCIThreadMutexAcquire(env, err, mutex), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadMutexDestroy(env, err, &mutex), OCI_SUCCESS);
    EXPECT_EQ(mutex, nullptr);
    EXPECT_FALSE(list_member(env->children, kept));
    EXPECT_EQ(OCIThreadMutexDestroy(env, err, &mutex), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadMutexInit(env, err, nullptr), OCI_ERROR);
}

TEST_F(ThreadTest, ObjectsLeaveTheEnvironmentThatMadeThem) {
    OCIEnv *other = NewEnv();
    OCIError *otherErr = NewError(other);
    OCIThreadMutex *mutex = nullptr;
    OCIThreadKey *key = nullptr;
    ASSERT_EQ(OCIThreadMutexInit(other, otherErr, &mutex), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadKeyInit(other, otherErr, &key, nullptr), OCI_SUCCESS);
    EXPECT_EQ(mutex->parenth, other);
    // Destroyed through this environment, taken off the other one's list, so
    // freeing the other one does not release them a second time.
    EXPECT_EQ(OCIThreadMutexDestroy(env, err, &mutex), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadKeyDestroy(env, err, &key), OCI_SUCCESS);
    EXPECT_EQ(list_length(other->children), 1);  // its error handle

    // What is left at the end is released with the environment, a locked
    // mutex included.
    OCIThreadId *tid = nullptr;
    OCIThreadHandle *thnd = nullptr;
    ASSERT_EQ(OCIThreadMutexInit(other, otherErr, &mutex), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadMutexAcquire(other, otherErr, mutex), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadKeyInit(other, otherErr, &key, [](void *) {}), OCI_SUCCESS);
    int value = 0;
    ASSERT_EQ(OCIThreadKeySet(other, otherErr, key, &value), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadIdInit(other, otherErr, &tid), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadHndInit(other, otherErr, &thnd), OCI_SUCCESS);
    EXPECT_EQ(list_length(other->children), 5);
    EXPECT_EQ(DestructorEntryCount(), 1);
    EXPECT_EQ(OCIHandleFree(other, OCI_HTYPE_ENV), OCI_SUCCESS);
    EXPECT_EQ(DestructorEntryCount(), 0);  // the key went, and its entry with it
}

// Destructor bookkeeping observed from inside started threads.
struct KeyRun {
    OCIEnv *env;
    OCIError *err;
    OCIThreadKey *first;
    OCIThreadKey *second;
    int entriesAfterClear = -1;
    void *seenAfterClear = reinterpret_cast<void *>(1);
};

std::vector<int> destroyed;  // values passed to Destroy, in call order
void Destroy(void *value) { destroyed.push_back(*static_cast<int *>(value)); }

int one = 1, two = 2, three = 3;

void SetAndClear(void *arg) {
    auto *run = static_cast<KeyRun *>(arg);
    OCIThreadKeySet(run->env, run->err, run->first, &one);
    OCIThreadKeySet(run->env, run->err, run->first, nullptr);
    run->entriesAfterClear = DestructorEntryCount();
    OCIThreadKeyGet(run->env, run->err, run->first, &run->seenAfterClear);
}

void SetTwoKeys(void *arg) {
    auto *run = static_cast<KeyRun *>(arg);
    // The second key is set first; later updates keep each key's place.
    OCIThreadKeySet(run->env, run->err, run->second, &two);
    OCIThreadKeySet(run->env, run->err, run->first, &one);
    OCIThreadKeySet(run->env, run->err, run->second, &three);
}

void RunInThread(OCIEnv *env, OCIError *err, void (*start)(void *), void *arg) {
    OCIThreadId *tid = nullptr;
    OCIThreadHandle *thnd = nullptr;
    ASSERT_EQ(OCIThreadIdInit(env, err, &tid), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadHndInit(env, err, &thnd), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadCreate(env, err, start, arg, tid, thnd), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadJoin(env, err, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadClose(env, err, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadHndDestroy(env, err, &thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadIdDestroy(env, err, &tid), OCI_SUCCESS);
}

TEST_F(ThreadTest, KeyDestructorsRunInFirstSetOrder) {
    KeyRun run{env, NewError(env), nullptr, nullptr};
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run.first, Destroy), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run.second, Destroy), OCI_SUCCESS);

    destroyed.clear();
    RunInThread(env, err, SetAndClear, &run);
    EXPECT_EQ(run.entriesAfterClear, 0);
    EXPECT_EQ(run.seenAfterClear, nullptr);
    EXPECT_TRUE(destroyed.empty());

    RunInThread(env, err, SetTwoKeys, &run);
    EXPECT_EQ(destroyed, (std::vector<int>{3, 1}));

    // Values are per thread: the started threads left this one's alone.
    void *value = &value;
    EXPECT_EQ(OCIThreadKeyGet(env, err, run.first, &value), OCI_SUCCESS);
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(OCIThreadKeyGet(env, err, run.first, nullptr), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 21560);

    // This thread was not started by the library: its entries are kept for
    // it but no destructor ever runs for it.
    EXPECT_EQ(OCIThreadKeySet(env, err, run.first, &one), OCI_SUCCESS);
    EXPECT_EQ(DestructorEntryCount(), 1);
    EXPECT_EQ(OCIThreadKeySet(env, err, run.first, &two), OCI_SUCCESS);
    EXPECT_EQ(DestructorEntryCount(), 1);
    EXPECT_EQ(OCIThreadKeyGet(env, err, run.first, &value), OCI_SUCCESS);
    EXPECT_EQ(value, &two);
    EXPECT_EQ(OCIThreadKeyDestroy(env, err, &run.first), OCI_SUCCESS);
    EXPECT_EQ(DestructorEntryCount(), 0);
    EXPECT_EQ(run.first, nullptr);
    EXPECT_EQ(destroyed.size(), 2u);
}

// A key destroyed while a started thread still holds a value for it: as
// with POSIX keys, no destructor runs for it afterwards.
struct LateRun {
    OCIEnv *env;
    OCIError *err;
    OCIThreadKey *key;
    OCIThreadKey *plain;
    Events set, destroyedKey;
};

void SetThenWait(void *arg) {
    auto *run = static_cast<LateRun *>(arg);
    OCIThreadKeySet(run->env, run->err, run->key, &one);
    OCIThreadKeySet(run->env, run->err, run->plain, &two);  // no destructor, no entry
    run->set.Add();
    run->destroyedKey.WaitFor(1);
}

TEST_F(ThreadTest, DestroyedKeyRunsNoDestructor) {
    LateRun run{env, NewError(env), nullptr, nullptr, {}, {}};
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run.key, Destroy), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run.plain, nullptr), OCI_SUCCESS);
    OCIThreadId *tid = nullptr;
    OCIThreadHandle *thnd = nullptr;
    ASSERT_EQ(OCIThreadIdInit(env, err, &tid), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadHndInit(env, err, &thnd), OCI_SUCCESS);
    destroyed.clear();
    ASSERT_EQ(OCIThreadCreate(env, err, SetThenWait, &run, tid, thnd), OCI_SUCCESS);
    run.set.WaitFor(1);
    EXPECT_EQ(OCIThreadKeyDestroy(env, err, &run.key), OCI_SUCCESS);
    run.destroyedKey.Add();
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_SUCCESS);
    EXPECT_TRUE(destroyed.empty());
}

// A destructor that sets a key again is given another round.
struct Again {
    OCIEnv *env;
    OCIError *err;
    OCIThreadKey *key;
    int calls = 0;
};
Again *again;
void SetAgainOnce(void *) {
    if (++again->calls == 1) OCIThreadKeySet(again->env, again->err, again->key, &two);
}
void SetKey(void *arg) {
    auto *a = static_cast<Again *>(arg);
    OCIThreadKeySet(a->env, a->err, a->key, &one);
}

TEST_F(ThreadTest, DestructorSettingAKeyAgainRunsAgain) {
    Again a{env, NewError(env), nullptr};
    again = &a;
    ASSERT_EQ(OCIThreadKeyInit(env, err, &a.key, SetAgainOnce), OCI_SUCCESS);
    RunInThread(env, err, SetKey, &a);
    EXPECT_EQ(a.calls, 2);
}

TEST_F(ThreadTest, OutOfMemoryLeavesNothingBehind) {
    const int before = list_length(env->children);
    // Fail each allocation of an init call in turn (record, list cell, list).
    for (long n = 0; n < 4; n++) {
        OCIThreadMutex *mutex = reinterpret_cast<OCIThreadMutex *>(&n);
        o2pFailAllocationAfter(n);
        sword rc = OCIThreadMutexInit(env, err, &mutex);
        o2pFailAllocationAfter(-1);
        if (rc == OCI_SUCCESS) {
            EXPECT_EQ(OCIThreadMutexDestroy(env, err, &mutex), OCI_SUCCESS);
            continue;
        }
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_EQ(ErrorCode(err), 16506);
        EXPECT_EQ(mutex, nullptr);
    }
    for (long n = 0; n < 4; n++) {
        OCIThreadKey *key = nullptr;
        o2pFailAllocationAfter(n);
        sword rc = OCIThreadKeyInit(env, err, &key, Destroy);
        o2pFailAllocationAfter(-1);
        if (rc != OCI_SUCCESS) {
            EXPECT_EQ(ErrorCode(err), 16506);
            continue;
        }
        // A failed set leaves the key's value and the entries unchanged.
        o2pFailAllocationAfter(0);
        rc = OCIThreadKeySet(env, err, key, &one);
        o2pFailAllocationAfter(-1);
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_EQ(DestructorEntryCount(), 0);
        void *value = &value;
        OCIThreadKeyGet(env, err, key, &value);
        EXPECT_EQ(value, nullptr);
        EXPECT_EQ(OCIThreadKeyDestroy(env, err, &key), OCI_SUCCESS);
    }
    EXPECT_EQ(list_length(env->children), before);
}

}  // namespace

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
    EXPECT_NE(FirstRecord(err).text.find("30135: failed OCI Thread operation"), std::string::npos);
    void *session = nullptr;
    ASSERT_EQ(OCIHandleAlloc(env, &session, OCI_HTYPE_SESSION, 0, nullptr), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadInit(session, err), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadTerm(env, err), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadTerm(env, err), OCI_SUCCESS);

    OCIEnv *other = NewEnv();
    EXPECT_EQ(OCIThreadTerm(other, NewError(other)), OCI_ERROR);
    EXPECT_EQ(list_length(other->contexts), 0);  // nothing recorded for it
    OCIHandleFree(other, OCI_HTYPE_ENV);
    EXPECT_EQ(OCIThreadInit(err, err), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadInit(env, nullptr), OCI_INVALID_HANDLE);
}

TEST_F(ThreadTest, IdentitiesCompareByThread) {
    OCIThreadId *a = nullptr, *b = nullptr;
    ASSERT_EQ(OCIThreadIdInit(env, err, &a), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadIdInit(env, err, &b), OCI_SUCCESS);
    boolean same = FALSE, null = FALSE;
    OCIThreadIdSame(env, err, a, b, &same);
    EXPECT_EQ(same, TRUE);  // two null identities
    OCIThreadIdGet(env, err, a);
    std::thread([&] { OCIThreadIdGet(env, err, b); }).join();
    OCIThreadIdSame(env, err, a, b, &same);
    EXPECT_EQ(same, FALSE);
    OCIThreadIdSet(env, err, b, a);
    OCIThreadIdSame(env, err, a, b, &same);
    EXPECT_EQ(same, TRUE);
    OCIThreadIdSetNull(env, err, a);
    OCIThreadIdNull(env, err, a, &null);
    EXPECT_EQ(null, TRUE);

    EXPECT_EQ(OCIThreadIdSame(env, err, a, b, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).text.back(), '5');
    EXPECT_EQ(OCIThreadIdDestroy(env, err, &a), OCI_SUCCESS);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(OCIThreadIdDestroy(env, err, &a), OCI_INVALID_HANDLE);
    EXPECT_EQ(OCIThreadHndDestroy(env, err, reinterpret_cast<OCIThreadHandle **>(&b)), OCI_INVALID_HANDLE);
}

struct Started {
    OCIEnv *env;
    OCIError *err;  // a started thread reports on a handle of its own
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
    Started started{env, NewError(env), nullptr, {}};
    ASSERT_EQ(OCIThreadIdInit(env, err, &started.seen), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadCreate(env, err, nullptr, &started, tid, thnd), OCI_INVALID_HANDLE);

    ASSERT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_SUCCESS);
    boolean same = FALSE;
    OCIThreadIdSame(env, err, tid, started.seen, &same);
    EXPECT_EQ(same, TRUE);
    // A second join would be undefined for POSIX; it is refused.
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30135);
    EXPECT_EQ(OCIThreadClose(env, err, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadClose(env, err, thnd), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 30135);

    // Standing for the calling thread, the handle cannot join it.
    EXPECT_EQ(OCIThreadHandleGet(env, err, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_ERROR);
    EXPECT_EQ(OCIThreadClose(env, err, thnd), OCI_SUCCESS);

    // A thread nobody can join any more (its handle starts another one, or
    // is destroyed) is let go; the race detectors report a leak otherwise.
    ASSERT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, thnd), OCI_SUCCESS);
    started.runs.WaitFor(2);
    ASSERT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadJoin(env, err, thnd), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadCreate(env, err, RecordSelf, &started, tid, thnd), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadHndDestroy(env, err, &thnd), OCI_SUCCESS);
    started.runs.WaitFor(4);
}

TEST_F(ThreadTest, MutexRefusesWhatPosixLeavesUndefined) {
    OCIThreadMutex *mutex = nullptr;
    OCIError *otherErr = NewError(env);
    ASSERT_EQ(OCIThreadMutexInit(env, err, &mutex), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadMutexRelease(env, err, mutex), OCI_ERROR);  // not held
    EXPECT_EQ(ErrorCode(err), 30135);
    EXPECT_EQ(OCIThreadMutexAcquire(env, err, mutex), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadMutexAcquire(env, err, mutex), OCI_ERROR);  // would deadlock
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
    done.Add();
    holder.join();

    // Held by the caller: unlocked and destroyed.
    EXPECT_EQ(OCIThreadMutexAcquire(env, err, mutex), OCI_SUCCESS);
    EXPECT_EQ(OCIThreadMutexDestroy(env, err, &mutex), OCI_SUCCESS);
    EXPECT_EQ(mutex, nullptr);
    EXPECT_FALSE(list_member(env->children, kept));
}

TEST_F(ThreadTest, ObjectsLeaveTheEnvironmentThatMadeThem) {
    OCIEnv *other = NewEnv();
    OCIError *otherErr = NewError(other);
    OCIThreadMutex *mutex = nullptr;
    OCIThreadKey *key = nullptr;
    ASSERT_EQ(OCIThreadMutexInit(other, otherErr, &mutex), OCI_SUCCESS);
    // Destroyed through this environment, taken off the other one's list, so
    // freeing the other one does not release it a second time.
    EXPECT_EQ(OCIThreadMutexDestroy(env, err, &mutex), OCI_SUCCESS);
    EXPECT_EQ(list_length(other->children), 1);

    // The rest goes with the environment: a locked mutex, a key with a value.
    OCIThreadId *tid = nullptr;
    OCIThreadHandle *thnd = nullptr;
    ASSERT_EQ(OCIThreadMutexInit(other, otherErr, &mutex), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadMutexAcquire(other, otherErr, mutex), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadKeyInit(other, otherErr, &key, [](void *) {}), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadKeySet(other, otherErr, key, &key), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadIdInit(other, otherErr, &tid), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadHndInit(other, otherErr, &thnd), OCI_SUCCESS);
    EXPECT_EQ(DestructorEntryCount(), 1);
    EXPECT_EQ(OCIHandleFree(other, OCI_HTYPE_ENV), OCI_SUCCESS);
    EXPECT_EQ(DestructorEntryCount(), 0);
}

// Destructor bookkeeping, observed from inside started threads.
struct KeyRun {
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIThreadKey *first = nullptr;
    OCIThreadKey *second = nullptr;
    int entriesAfterClear = -1;
    int destructorCalls = 0;
    Events set, keyDestroyed;
};
KeyRun *current;
std::vector<int> destroyed;
int one = 1, two = 2, three = 3;

void Destroy(void *value) { destroyed.push_back(*static_cast<int *>(value)); }
void DestroyAndSetAgain(void *) {
    if (++current->destructorCalls == 1) OCIThreadKeySet(current->env, current->err, current->first, &two);
}

void SetAndClear(void *) {
    OCIThreadKeySet(current->env, current->err, current->first, &one);
    OCIThreadKeySet(current->env, current->err, current->first, nullptr);
    current->entriesAfterClear = DestructorEntryCount();
}
void SetTwoKeys(void *) {
    // The second key is set first; a later update keeps its place.
    OCIThreadKeySet(current->env, current->err, current->second, &two);
    OCIThreadKeySet(current->env, current->err, current->first, &one);
    OCIThreadKeySet(current->env, current->err, current->second, &three);
}
void SetThenWait(void *) {
    OCIThreadKeySet(current->env, current->err, current->first, &one);
    current->set.Add();
    current->keyDestroyed.WaitFor(1);
}

class KeyTest : public ThreadTest {
protected:
    void SetUp() override {
        ThreadTest::SetUp();
        run = new KeyRun();
        run->env = env;
        run->err = NewError(env);
        current = run;
        destroyed.clear();
        ASSERT_EQ(OCIThreadIdInit(env, err, &tid), OCI_SUCCESS);
        ASSERT_EQ(OCIThreadHndInit(env, err, &thnd), OCI_SUCCESS);
    }
    void TearDown() override {
        delete run;
        ThreadTest::TearDown();
    }
    void Start(void (*start)(void *)) { ASSERT_EQ(OCIThreadCreate(env, err, start, nullptr, tid, thnd), OCI_SUCCESS); }
    void Join() { ASSERT_EQ(OCIThreadJoin(env, err, thnd), OCI_SUCCESS); }

    KeyRun *run = nullptr;
    OCIThreadId *tid = nullptr;
    OCIThreadHandle *thnd = nullptr;
};

TEST_F(KeyTest, DestructorsRunInFirstSetOrderAndOnlyForValuesLeft) {
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run->first, Destroy), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run->second, Destroy), OCI_SUCCESS);
    Start(SetAndClear);
    Join();
    EXPECT_EQ(run->entriesAfterClear, 0);
    EXPECT_TRUE(destroyed.empty());

    Start(SetTwoKeys);
    Join();
    EXPECT_EQ(destroyed, (std::vector<int>{3, 1}));
    void *value = &value;
    EXPECT_EQ(OCIThreadKeyGet(env, err, run->first, &value), OCI_SUCCESS);
    EXPECT_EQ(value, nullptr);  // values are per thread
    EXPECT_EQ(OCIThreadKeyGet(env, err, run->first, nullptr), OCI_ERROR);
    EXPECT_EQ(ErrorCode(err), 21560);
}

TEST_F(KeyTest, DestroyedKeyRunsNoDestructor) {
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run->first, Destroy), OCI_SUCCESS);
    Start(SetThenWait);
    run->set.WaitFor(1);
    EXPECT_EQ(OCIThreadKeyDestroy(env, err, &run->first), OCI_SUCCESS);
    run->keyDestroyed.Add();
    Join();
    EXPECT_TRUE(destroyed.empty());
}

TEST_F(KeyTest, DestructorSettingTheKeyAgainGetsAnotherRound) {
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run->first, DestroyAndSetAgain), OCI_SUCCESS);
    Start(SetAndClear);  // leaves nothing: no round at all
    Join();
    EXPECT_EQ(run->destructorCalls, 0);
    Start(SetThenWait);
    run->set.WaitFor(1);
    run->keyDestroyed.Add();
    Join();
    EXPECT_EQ(run->destructorCalls, 2);
}

TEST_F(KeyTest, FailedSetChangesNothing) {
    ASSERT_EQ(OCIThreadKeyInit(env, err, &run->first, Destroy), OCI_SUCCESS);
    o2pFailAllocationAfter(0);
    EXPECT_EQ(OCIThreadKeySet(env, err, run->first, &one), OCI_ERROR);
    o2pFailAllocationAfter(-1);
    EXPECT_EQ(ErrorCode(err), 16506);
    EXPECT_EQ(DestructorEntryCount(), 0);
    void *value = &value;
    OCIThreadKeyGet(env, err, run->first, &value);
    EXPECT_EQ(value, nullptr);

    const int children = list_length(env->children);
    for (long n = 0; n < 2; n++) {  // the record, then its list cell
        OCIThreadMutex *mutex = nullptr;
        o2pFailAllocationAfter(n);
        EXPECT_EQ(OCIThreadMutexInit(env, err, &mutex), OCI_ERROR);
        o2pFailAllocationAfter(-1);
        EXPECT_EQ(mutex, nullptr);
    }
    EXPECT_EQ(list_length(env->children), children);
}

}  // namespace

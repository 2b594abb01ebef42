// Many threads, each on its own environment, creating, locking and
// destroying thread objects at once, sharing one mutex and one key with a
// destructor, and starting threads of their own. Meant to run under a race
// detector as well (run_tsan.sh, or valgrind --tool=helgrind).
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include <oci.h>

namespace {

constexpr int kWorkers = 12;
constexpr int kRounds = 40;

OCIThreadMutex *sharedMutex;
OCIThreadKey *sharedKey;
long sharedCounter;  // guarded by sharedMutex only
std::atomic<int> workerKeyDestructions{0};
std::atomic<int> sharedKeyDestructions{0};
std::atomic<int> failures{0};

void Check(bool ok) {
    if (!ok) failures++;
}

struct Worker {
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIError *grandchildErr = nullptr;  // a started thread reports on its own handle
    int values[kRounds] = {};
    int marker = 0;
};

void CountWorkerValue(void *) { workerKeyDestructions++; }
void CountSharedValue(void *) { sharedKeyDestructions++; }

// A grandchild: sets the worker's key and ends, so its destructor runs.
struct Grandchild {
    Worker *worker;
    OCIThreadKey *key;
    int value;
};
void GrandchildMain(void *arg) {
    auto *g = static_cast<Grandchild *>(arg);
    Check(OCIThreadKeySet(g->worker->env, g->worker->grandchildErr, g->key, &g->value) == OCI_SUCCESS);
}

void WorkerMain(void *arg) {
    auto *w = static_cast<Worker *>(arg);
    OCIEnv *env = w->env;
    OCIError *err = w->err;
    Check(OCIThreadInit(env, err) == OCI_SUCCESS);
    Check(OCIThreadKeySet(env, err, sharedKey, &w->marker) == OCI_SUCCESS);
    for (int round = 0; round < kRounds; round++) {
        OCIThreadMutex *mutex = nullptr;
        OCIThreadKey *key = nullptr;
        OCIThreadId *self = nullptr, *other = nullptr;
        OCIThreadHandle *thnd = nullptr;
        Check(OCIThreadMutexInit(env, err, &mutex) == OCI_SUCCESS);
        Check(OCIThreadKeyInit(env, err, &key, CountWorkerValue) == OCI_SUCCESS);
        Check(OCIThreadIdInit(env, err, &self) == OCI_SUCCESS);
        Check(OCIThreadIdInit(env, err, &other) == OCI_SUCCESS);
        Check(OCIThreadHndInit(env, err, &thnd) == OCI_SUCCESS);

        Check(OCIThreadMutexAcquire(env, err, mutex) == OCI_SUCCESS);
        Check(OCIThreadMutexRelease(env, err, mutex) == OCI_SUCCESS);

        // The shared mutex guards a plain counter.
        Check(OCIThreadMutexAcquire(env, err, sharedMutex) == OCI_SUCCESS);
        sharedCounter++;
        Check(OCIThreadMutexRelease(env, err, sharedMutex) == OCI_SUCCESS);

        Check(OCIThreadKeySet(env, err, key, &w->values[round]) == OCI_SUCCESS);
        void *value = nullptr;
        Check(OCIThreadKeyGet(env, err, key, &value) == OCI_SUCCESS && value == &w->values[round]);
        Check(OCIThreadKeySet(env, err, key, nullptr) == OCI_SUCCESS);

        Check(OCIThreadIdGet(env, err, self) == OCI_SUCCESS);
        boolean same = FALSE;
        Check(OCIThreadIdSame(env, err, self, self, &same) == OCI_SUCCESS && same == TRUE);

        if (round % 4 == 0) {
            Grandchild g{w, key, round};
            Check(OCIThreadCreate(env, err, GrandchildMain, &g, other, thnd) == OCI_SUCCESS);
            Check(OCIThreadJoin(env, err, thnd) == OCI_SUCCESS);
            Check(OCIThreadClose(env, err, thnd) == OCI_SUCCESS);
            Check(OCIThreadIdSame(env, err, self, other, &same) == OCI_SUCCESS && same == FALSE);
        } else {
            Check(OCIThreadHandleGet(env, err, thnd) == OCI_SUCCESS);
            Check(OCIThreadClose(env, err, thnd) == OCI_SUCCESS);
        }

        Check(OCIThreadMutexDestroy(env, err, &mutex) == OCI_SUCCESS);
        Check(OCIThreadKeyDestroy(env, err, &key) == OCI_SUCCESS);
        Check(OCIThreadIdDestroy(env, err, &self) == OCI_SUCCESS);
        Check(OCIThreadHndDestroy(env, err, &thnd) == OCI_SUCCESS);
        // One identity is left for the environment to release.
        (void)other;
    }
    Check(OCIThreadTerm(env, err) == OCI_SUCCESS);
}

TEST(ThreadStress, ManyThreadsOnTheirOwnEnvironments) {
    // Environments are created one at a time: creation sets process-wide
    // values (the locale among them).
    OCIEnv *main = nullptr;
    ASSERT_EQ(OCIEnvCreate(&main, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
    void *mainErr = nullptr;
    ASSERT_EQ(OCIHandleAlloc(main, &mainErr, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    OCIError *err = static_cast<OCIError *>(mainErr);
    ASSERT_EQ(OCIThreadMutexInit(main, err, &sharedMutex), OCI_SUCCESS);
    ASSERT_EQ(OCIThreadKeyInit(main, err, &sharedKey, CountSharedValue), OCI_SUCCESS);

    std::vector<Worker> workers(kWorkers);
    std::vector<OCIThreadId *> ids(kWorkers);
    std::vector<OCIThreadHandle *> handles(kWorkers);
    for (int i = 0; i < kWorkers; i++) {
        ASSERT_EQ(OCIEnvCreate(&workers[i].env, OCI_THREADED, nullptr, nullptr, nullptr, nullptr, 0, nullptr),
                  OCI_SUCCESS);
        void *e = nullptr;
        ASSERT_EQ(OCIHandleAlloc(workers[i].env, &e, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        workers[i].err = static_cast<OCIError *>(e);
        ASSERT_EQ(OCIHandleAlloc(workers[i].env, &e, OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        workers[i].grandchildErr = static_cast<OCIError *>(e);
        ASSERT_EQ(OCIThreadIdInit(main, err, &ids[i]), OCI_SUCCESS);
        ASSERT_EQ(OCIThreadHndInit(main, err, &handles[i]), OCI_SUCCESS);
    }
    for (int i = 0; i < kWorkers; i++)
        ASSERT_EQ(OCIThreadCreate(main, err, WorkerMain, &workers[i], ids[i], handles[i]), OCI_SUCCESS);
    for (int i = 0; i < kWorkers; i++) {
        EXPECT_EQ(OCIThreadJoin(main, err, handles[i]), OCI_SUCCESS);
        EXPECT_EQ(OCIThreadClose(main, err, handles[i]), OCI_SUCCESS);
    }

    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(sharedCounter, long{kWorkers} * kRounds);
    EXPECT_EQ(sharedKeyDestructions.load(), kWorkers);
    EXPECT_EQ(workerKeyDestructions.load(), kWorkers * ((kRounds + 3) / 4));
    for (Worker &w : workers) EXPECT_EQ(OCIHandleFree(w.env, OCI_HTYPE_ENV), OCI_SUCCESS);
    EXPECT_EQ(OCIHandleFree(main, OCI_HTYPE_ENV), OCI_SUCCESS);
}

}  // namespace

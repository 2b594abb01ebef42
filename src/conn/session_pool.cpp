// Session pools. A homogeneous pool keeps logged-on service contexts (each
// with its own server connection) and lends them out; a session released
// back to it is kept for the next caller. OCISessionGet without a pool is a
// plain logon with the credentials of an authentication handle.
#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <new>

#include "conn/session_control.h"
#include "conn/session_pool.h"
#include "conn/transcode.h"
#include "diag/entry.h"
#include "env/attributes.h"
#include "env/compat.h"
#include "env/env.h"
#include "stmt/pqext/pqext.h"

// Pools are shared between the threads of an application: the lists and
// counts are only touched under this lock, never while logging on.
struct SPoolLock {
    std::mutex mutex;
};

namespace {
constexpr sb4 kErrIllegalMode = 24300;
constexpr sb4 kErrInvalidPoolName = 24416;
constexpr sb4 kErrCannotRelease = 24421;
constexpr sb4 kErrPoolExhausted = 24418;
constexpr sb4 kErrUnsupported = 30475;

constexpr ub1 kHomogeneous = 2;

// Pool names are "OCI:SP:" and 21 digits: a process-wide serial number, so
// two pools never share a name and OCISessionGet lends from the pool named,
// never from another user's.
constexpr char kPoolNamePrefix[] = "OCI:SP:";
constexpr ub4 kPoolNameSize = 29;  // 28 characters and the NUL
std::atomic<unsigned long long> s_poolSerial{0};

char *NewPoolName() {
    char name[kPoolNameSize];
    const int n = std::snprintf(name, sizeof name, "%s%021llu", kPoolNamePrefix, ++s_poolSerial);
    if (n != static_cast<int>(kPoolNameSize) - 1) return nullptr;
    return o2pStrdup(name);
}

// The pool of `env` called `name` (`length` bytes, a terminator included or
// not), or null.
OCISPool *FindPoolByName(const OCIEnv *env, const OraText *name, ub4 length) {
    if (length > 0 && name[length - 1] == '\0') --length;
    if (length != kPoolNameSize - 1) return nullptr;
    foreach_cell(cell, env->spools) {
        auto *pool = HandleAs<OCISPool>(cell->ptr, HANDLE_OCISPool);
        if (pool != nullptr && pool->poolName != nullptr && std::memcmp(pool->poolName, name, length) == 0)
            return pool;
    }
    return nullptr;
}

struct PoolEntry {
    OCISvcCtx *svc;  // null in a non-homogeneous pool
    clock_t created;
};
static_assert(sizeof(PoolEntry) == 16, "pool entry layout");

class PoolGuard {
public:
    explicit PoolGuard(OCISPool *pool) : mutex_(pool->lock != nullptr ? &pool->lock->mutex : nullptr) {
        if (mutex_ != nullptr) mutex_->lock();
    }
    ~PoolGuard() {
        if (mutex_ != nullptr) mutex_->unlock();
    }
    PoolGuard(const PoolGuard &) = delete;
    PoolGuard &operator=(const PoolGuard &) = delete;

private:
    std::mutex *mutex_;
};

// Sessions handed out by OCISessionGet that no pool takes back (plain
// logons and those of a destroyed pool) carry a mark: OCISessionRelease logs
// them off and refuses any other session.
void MarkSessionGot(OCISession *session) { session->fromSessionGet = true; }

bool TakeSessionGot(OCISession *session) {
    const bool marked = session->fromSessionGet;
    session->fromSessionGet = false;
    return marked;
}

// Moves `entry` onto `list`; the entry is freed when no list cell can be had.
void PushEntry(List **list, PoolEntry *entry) {
    try {
        *list = lappend(*list, entry);
    } catch (const std::bad_alloc &) {
        o2pFree(entry);
        throw;
    }
}

PoolEntry *NewEntry(OCISvcCtx *svc) {
    auto *entry = static_cast<PoolEntry *>(o2pMalloc(sizeof(PoolEntry)));
    if (entry == nullptr) throw std::bad_alloc();
    entry->svc = svc;
    entry->created = clock();
    return entry;
}

// Logs off a session the pool owns. It is still one of the environment's
// handles unless the environment is being torn down around it.
void LogoffPooled(OCIEnv *env, OCIError *errhp, OCISvcCtx *svc) {
    if (svc == nullptr || env == nullptr || !list_member(env->children, svc)) return;
    if (HandleAs<OCISvcCtx>(svc, HANDLE_OCISvcCtx) == nullptr) return;
    OCILogoff(svc, errhp);
}

// Takes every entry out of the pool. Idle sessions are logged off; sessions
// the application still holds are, when `handOver`, left for
// OCISessionRelease to log off.
void EmptyPool(OCISPool *pool, OCIError *errhp, bool handOver) {
    List *idle = nullptr;
    List *busy = nullptr;
    {
        PoolGuard guard(pool);
        idle = pool->freeList;
        busy = pool->busyList;
        pool->freeList = pool->busyList = nullptr;
        pool->freeCount = pool->totalCount = 0;
    }
    OCIEnv *env = EnvOfHandle(pool);
    foreach_cell(cell, idle) {
        auto *entry = static_cast<PoolEntry *>(cell->ptr);
        LogoffPooled(env, errhp, entry->svc);
        o2pFree(entry);
    }
    list_free(idle);
    foreach_cell(cell, busy) {
        auto *entry = static_cast<PoolEntry *>(cell->ptr);
        if (handOver && entry->svc != nullptr && entry->svc->session != nullptr) {
            MarkSessionGot(entry->svc->session);
        }
        o2pFree(entry);
    }
    list_free(busy);
}

void FreeText(char **text, ub4 *length) {
    if (*text != nullptr) std::memset(*text, 0, *length);
    o2pFree(*text);
    *text = nullptr;
    *length = 0;
}

// The pool keeps the creator's texts as given so that later logons see them
// exactly as the first ones did; OCILogon converts them itself.
bool CopyText(const OraText *src, ub4 length, char **text, ub4 *textLength) {
    FreeText(text, textLength);
    if (src == nullptr) return true;
    *text = static_cast<char *>(o2pMalloc(static_cast<size_t>(length) + 1));
    if (*text == nullptr) return false;
    std::memcpy(*text, src, length);
    (*text)[length] = '\0';
    *textLength = length;
    return true;
}

// A homogeneous pool's logon with its stored credentials.
sword PoolLogon(OCISPool *pool, OCIEnv *env, OCIError *errhp, OCISvcCtx **svc) {
    return OCILogon(env, errhp, svc, reinterpret_cast<const OraText *>(pool->userid), pool->useridLen,
                    reinterpret_cast<const OraText *>(pool->password), pool->passwordLen,
                    reinterpret_cast<const OraText *>(pool->connStr), pool->connStrLen);
}

// An idle pooled session, or a new one while the pool is below its maximum.
sword GetFromPool(OCISPool *pool, OCIEnv *env, OCIError *errhp, OCISvcCtx **svchp) {
    {
        PoolGuard guard(pool);
        if (ListCell *first = list_head(pool->freeList)) {
            auto *entry = static_cast<PoolEntry *>(first->ptr);
            pool->busyList = lappend(pool->busyList, entry);
            pool->freeList = list_delete(pool->freeList, entry);
            pool->freeCount--;
            *svchp = entry->svc;
            return OCI_SUCCESS;
        }
        if (pool->totalCount >= pool->sessMax) {
            // Oracle's client names the exhaustion; the library's own mode
            // refuses without a record.
            if (OracleCompat(env)) AddErrorRecord(errhp, OCI_ERROR, kErrPoolExhausted);
            return OCI_ERROR;
        }
        pool->totalCount++;  // the slot is ours while we log on unlocked
    }
    OCISvcCtx *svc = nullptr;
    sword rc = PoolLogon(pool, env, errhp, &svc);
    PoolEntry *entry = nullptr;
    if (rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) {
        try {
            entry = NewEntry(svc);
            PoolGuard guard(pool);
            PushEntry(&pool->busyList, entry);
        } catch (const std::bad_alloc &) {
            entry = nullptr;
        }
        if (entry == nullptr) {
            OCILogoff(svc, errhp);
            AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
            rc = OCI_ERROR;
        }
    }
    if (entry == nullptr) {
        PoolGuard guard(pool);
        pool->totalCount--;
        return rc;
    }
    *svchp = svc;
    return OCI_SUCCESS;
}

// A plain logon with the credentials of an authentication handle. Those are
// kept in UTF-8; a UTF-16 environment's OCILogon wants them in UTF-16 again.
sword LogonWithAuth(OCIEnv *env, OCIError *errhp, OCISvcCtx **svchp, const OCISession *auth,
                    const OraText *connStr, ub4 connStrLen) {
    const char *texts[2] = {auth->username, auth->password};
    char *wide[2] = {nullptr, nullptr};
    size_t lengths[2] = {0, 0};
    sword rc = OCI_SUCCESS;
    for (int i = 0; i < 2 && rc == OCI_SUCCESS; i++) {
        if (texts[i] == nullptr) continue;
        lengths[i] = std::strlen(texts[i]);
        if (!env->utf16) continue;
        int error = 0;
        if (transcode(env->fromUtf8, &error, texts[i], lengths[i], &wide[i], &lengths[i]) < 0) {
            AddTranscodeErrorRecord(errhp, error);
            rc = OCI_ERROR;
        } else {
            texts[i] = wide[i];
        }
    }
    if (rc == OCI_SUCCESS)
        rc = OCILogon(env, errhp, svchp, reinterpret_cast<const OraText *>(texts[0]), static_cast<ub4>(lengths[0]),
                      reinterpret_cast<const OraText *>(texts[1]), static_cast<ub4>(lengths[1]), connStr,
                      connStrLen);
    o2pFree(wide[0]);
    o2pFree(wide[1]);
    return rc;
}

// The pool whose busy list lends out `svc`, with that entry; null when none.
OCISPool *LendingPool(OCIEnv *env, const OCISvcCtx *svc, PoolEntry **found) {
    foreach_cell(cell, env->spools) {
        auto *pool = HandleAs<OCISPool>(cell->ptr, HANDLE_OCISPool);
        if (pool == nullptr) continue;
        PoolGuard guard(pool);
        foreach_cell(e, pool->busyList) {
            auto *entry = static_cast<PoolEntry *>(e->ptr);
            if (entry->svc == svc) {
                *found = entry;
                return pool;
            }
        }
    }
    return nullptr;
}

// Gives a lent session back to its pool. Work left uncommitted is rolled
// back so the next borrower starts clean; a session whose connection is
// broken or still busy is logged off and its place freed.
sword ReturnToPool(OCISPool *pool, PoolEntry *entry, OCISvcCtx *svc, OCIError *errhp, bool drop) {
    OCIServer *server = svc->server;
    PGconn *conn = server != nullptr ? server->conn : nullptr;
    bool reusable = !drop && conn != nullptr && PQstatus(conn) == CONNECTION_OK;
    // Read-ahead or a cursor's CLOSE still in flight is read first: the
    // connection is only judged once it is idle.
    if (reusable) reusable = PQextDrain(conn) == 1;
    if (reusable) {
        switch (PQtransactionStatus(conn)) {
        case PQTRANS_IDLE:
            break;
        case PQTRANS_INTRANS:
        case PQTRANS_INERROR: {
            PGresult *res = PQexec(conn, "ROLLBACK");
            reusable = PQresultStatus(res) == PGRES_COMMAND_OK;
            PQclear(res);
            break;
        }
        default:
            reusable = false;
            break;
        }
    }
    {
        PoolGuard guard(pool);
        pool->busyList = list_delete(pool->busyList, entry);
        if (reusable) {
            try {
                PushEntry(&pool->freeList, entry);
                pool->freeCount++;
                return OCI_SUCCESS;
            } catch (const std::bad_alloc &) {
                entry = nullptr;  // freed by PushEntry; the session goes below
            }
        }
        o2pFree(entry);
        pool->totalCount--;
    }
    // The broken connection's own end-of-session error says nothing the
    // caller can act on: the session is gone either way. A caller that asked
    // for the session to be dropped (a driver that found it dead) has what
    // it asked for.
    sword rc = OCILogoff(svc, errhp);
    if (rc == OCI_SUCCESS || drop) {
        ClearErrorHandle(errhp);
        rc = OCI_SUCCESS;
    }
    return rc;
}
}  // namespace

void SPoolCounts(OCISPool *pool, ub4 *open, ub4 *busy) {
    PoolGuard guard(pool);
    *open = pool->totalCount;
    *busy = static_cast<ub4>(list_length(pool->busyList));
}

void FreeSPoolContents(OCISPool *pool) {
    OCIEnv *env = EnvOfHandle(pool);
    EmptyPool(pool, env != nullptr ? env->errhp : nullptr, false);
    FreeText(&pool->connStr, &pool->connStrLen);
    FreeText(&pool->userid, &pool->useridLen);
    FreeText(&pool->password, &pool->passwordLen);
    delete pool->lock;
    pool->lock = nullptr;
}

OCI_EXPORT sword OCISessionPoolCreate(OCIEnv *envhp, OCIError *errhp, OCISPool *spoolhp, OraText **poolName,
                                      ub4 *poolNameLen, const OraText *connStr, ub4 connStrLen, ub4 sessMin,
                                      ub4 sessMax, ub4 sessIncr, OraText *userid, ub4 useridLen, OraText *password,
                                      ub4 passwordLen, ub4 mode) {
    // The pool must live in the environment its sessions are opened in, or
    // OCISessionGet would never find it.
    if (HandleAs<OCIEnv>(envhp, HANDLE_OCIEnv) == nullptr || !ValidConnHandle(errhp, HANDLE_OCIError) ||
        HandleAs<OCISPool>(spoolhp, HANDLE_OCISPool) == nullptr || spoolhp->parenth != envhp)
        return OCI_INVALID_HANDLE;
    return RunEntry({"OCISessionPoolCreate", 0}, envhp, errhp, [&]() -> sword {
        if (poolName == nullptr || poolNameLen == nullptr) {
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrBadArgument, 1, poolName == nullptr ? "4" : "5");
            return OCI_ERROR;
        }
        // Oracle's client caches statements per pooled session when asked;
        // the Oracle-compatible mode takes the request (each session's
        // statement cache is set on its service context).
        if (OracleCompat(envhp)) mode &= ~static_cast<ub4>(OCI_SPC_STMTCACHE);
        switch (mode) {
        case OCI_DEFAULT:
        case OCI_SPC_HOMOGENEOUS:
            break;
        case OCI_SPC_REINITIALIZE:
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrUnsupported, 1, "OCI_SPC_REINITIALIZE");
            return OCI_ERROR;
        case OCI_SPC_STMTCACHE:
            AddErrorRecordStringX(errhp, OCI_ERROR, kErrUnsupported, 1, "OCI_SPC_STMTCACHE");
            return OCI_ERROR;
        default:
            AddErrorRecord(errhp, OCI_ERROR, kErrIllegalMode);
            return OCI_ERROR;
        }
        // Creating a pool again starts it afresh.
        EmptyPool(spoolhp, errhp, true);
        if (spoolhp->lock == nullptr) spoolhp->lock = new (std::nothrow) SPoolLock;
        if (spoolhp->poolName == nullptr) spoolhp->poolName = NewPoolName();
        if (spoolhp->lock == nullptr || spoolhp->poolName == nullptr ||
            !CopyText(connStr, connStrLen, &spoolhp->connStr, &spoolhp->connStrLen) ||
            !CopyText(userid, useridLen, &spoolhp->userid, &spoolhp->useridLen) ||
            !CopyText(password, passwordLen, &spoolhp->password, &spoolhp->passwordLen)) {
            AddErrorRecord(errhp, OCI_ERROR, kErrNoMemory);
            return OCI_ERROR;
        }
        // The name handed out is the pool's own copy: it lives as long as
        // the pool handle, as OCI promises, and is never the caller's to free.
        *poolName = reinterpret_cast<OraText *>(spoolhp->poolName);
        *poolNameLen = kPoolNameSize;
        spoolhp->sessMin = sessMin;
        spoolhp->sessMax = sessMax;
        spoolhp->sessIncr = sessIncr;
        spoolhp->homogeneous = mode == OCI_SPC_HOMOGENEOUS ? kHomogeneous : 0;
        if (spoolhp->homogeneous != kHomogeneous) {
            PoolGuard guard(spoolhp);
            for (ub4 i = 0; i < sessMin; i++) {
                PushEntry(&spoolhp->freeList, NewEntry(nullptr));
                spoolhp->freeCount++;
                spoolhp->totalCount++;
            }
            return OCI_SUCCESS;
        }
        sword rc = OCI_SUCCESS;
        for (ub4 i = 0; i < sessMin; i++) {
            OCISvcCtx *svc = nullptr;
            rc = OCILogon(envhp, errhp, &svc, userid, useridLen, password, passwordLen, connStr, connStrLen);
            if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) break;
            try {
                PoolEntry *entry = NewEntry(svc);
                PoolGuard guard(spoolhp);
                PushEntry(&spoolhp->freeList, entry);
                spoolhp->freeCount++;
                spoolhp->totalCount++;
            } catch (const std::bad_alloc &) {
                OCILogoff(svc, errhp);
                throw;
            }
        }
        return rc;
    }, OCI_ARGS(envhp, errhp, spoolhp, poolName, poolNameLen, connStr, connStrLen, sessMin, sessMax, sessIncr,
                userid, useridLen, password, passwordLen, mode));
}

OCI_EXPORT sword OCISessionPoolDestroy(OCISPool *spoolhp, OCIError *errhp, ub4 mode) {
    if (!ValidConnHandle(spoolhp, HANDLE_OCISPool) || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    return RunEntry({"OCISessionPoolDestroy", 0}, EnvOfHandle(spoolhp), errhp, [&]() -> sword {
        // Idle sessions close now; those still lent out are logged off when
        // the application releases them. A destroyed pool opens nothing more.
        EmptyPool(spoolhp, errhp, true);
        PoolGuard guard(spoolhp);
        spoolhp->sessMin = spoolhp->sessMax = spoolhp->sessIncr = 0;
        return OCI_SUCCESS;
    }, OCI_ARGS(spoolhp, errhp, mode));
}

OCI_EXPORT sword OCISessionGet(OCIEnv *envhp, OCIError *errhp, OCISvcCtx **svchp, OCIAuthInfo *authhp,
                               OraText *poolName, ub4 poolName_len, const OraText *tagInfo, ub4 tagInfo_len,
                               OraText **retTagInfo, ub4 *retTagInfo_len, boolean *found, ub4 mode) {
    // A homogeneous pool has its own credentials, so pool mode needs no
    // authentication handle; a plain logon does.
    OCISession *auth = HandleAs<OCISession>(authhp, HANDLE_OCISession);
    if (HandleAs<OCIEnv>(envhp, HANDLE_OCIEnv) == nullptr || !ValidConnHandle(errhp, HANDLE_OCIError) ||
        svchp == nullptr || (auth == nullptr && authhp != nullptr))
        return OCI_INVALID_HANDLE;
    return RunEntry({"OCISessionGet", 0}, envhp, errhp, [&]() -> sword {
        *svchp = nullptr;
        // Tags are not kept: nothing is ever found by tag.
        if (found != nullptr) *found = FALSE;
        if (retTagInfo != nullptr) *retTagInfo = nullptr;
        if (retTagInfo_len != nullptr) *retTagInfo_len = 0;
        if (mode != OCI_DEFAULT && mode != OCI_SESSGET_SPOOL && mode != OCI_SESSGET_STMTCACHE) return OCI_ERROR;
        if (mode == OCI_SESSGET_SPOOL) {
            if (poolName == nullptr || poolName_len == 0) return OCI_ERROR;
            // Only a created pool has a name to be found by.
            OCISPool *pool = FindPoolByName(envhp, poolName, poolName_len);
            if (pool == nullptr) {
                AddErrorRecord(errhp, OCI_ERROR, kErrInvalidPoolName);
                return OCI_ERROR;
            }
            // Entries of a non-homogeneous pool carry no session and the pool
            // has no credentials to open one with.
            if (pool->homogeneous != kHomogeneous) {
                AddErrorRecordStringX(errhp, OCI_ERROR, kErrUnsupported, 1,
                                      "OCISessionGet from a non-homogeneous session pool");
                return OCI_ERROR;
            }
            return GetFromPool(pool, envhp, errhp, svchp);
        }
        if (auth == nullptr) return OCI_INVALID_HANDLE;
        sword rc = LogonWithAuth(envhp, errhp, svchp, auth, poolName, poolName_len);
        if (rc != OCI_SUCCESS && rc != OCI_SUCCESS_WITH_INFO) return OCI_ERROR;
        void *session = nullptr;
        rc = Get_OCISvcCtx(*svchp, &session, nullptr, OCI_ATTR_SESSION, errhp);
        if (rc == OCI_SUCCESS && HandleAs<OCISession>(session, HANDLE_OCISession) == nullptr)
            rc = OCI_INVALID_HANDLE;
        if (rc != OCI_SUCCESS) {
            OCILogoff(*svchp, errhp);
            *svchp = nullptr;
            return rc;
        }
        MarkSessionGot(static_cast<OCISession *>(session));
        if (mode == OCI_SESSGET_STMTCACHE) (*svchp)->stmtCacheEnabled = true;
        return OCI_SUCCESS;
    }, OCI_ARGS(envhp, errhp, svchp, authhp, poolName, poolName_len, tagInfo, tagInfo_len, retTagInfo,
                retTagInfo_len, found, mode));
}

OCI_EXPORT sword OCISessionRelease(OCISvcCtx *svchp, OCIError *errhp, OraText *tag, ub4 tag_len, ub4 mode) {
    if (!ValidConnHandle(svchp, HANDLE_OCISvcCtx) || !ValidConnHandle(errhp, HANDLE_OCIError))
        return OCI_INVALID_HANDLE;
    OCIEnv *env = EnvOfHandle(svchp);
    return RunEntry({"OCISessionRelease", 0}, env, errhp, [&]() -> sword {
        // The Oracle-compatible mode takes the modes drivers release with:
        // dropping the session (a dead one, typically) and retagging, which
        // has nothing to do without tags.
        const ub4 accepted = OracleCompat(env) ? OCI_SESSRLS_DROPSESS | OCI_SESSRLS_RETAG : 0;
        if ((mode & ~accepted) != 0) return OCI_ERROR;
        const bool drop = (mode & OCI_SESSRLS_DROPSESS) != 0;
        PoolEntry *entry = nullptr;
        if (OCISPool *pool = LendingPool(env, svchp, &entry)) return ReturnToPool(pool, entry, svchp, errhp, drop);
        void *session = nullptr;
        sword rc = Get_OCISvcCtx(svchp, &session, nullptr, OCI_ATTR_SESSION, errhp);
        if (rc != OCI_SUCCESS) return rc;
        if (HandleAs<OCISession>(session, HANDLE_OCISession) == nullptr) return OCI_INVALID_HANDLE;
        if (!TakeSessionGot(static_cast<OCISession *>(session))) {
            AddErrorRecord(errhp, OCI_ERROR, kErrCannotRelease);
            return OCI_ERROR;
        }
        return OCILogoff(svchp, errhp);
    }, OCI_ARGS(svchp, errhp, tag, tag_len, mode));
}

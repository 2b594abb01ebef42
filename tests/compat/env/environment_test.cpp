// The Oracle-compatible mode without a server, each behaviour in both
// modes: the client version, Oracle character-set ids at environment
// creation and in NLS_LANG, the attributes drivers set and read, failure
// records, and unsupported calls that refuse instead of ending the process.
#include <cstring>
#include <set>
#include <string>

#include "mode.h"

using namespace compat_env_test;

namespace {

class Environment : public BothModes {
protected:
    void TearDown() override {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
        unsetenv("NLS_LANG");
        unsetenv("TAV_OCI_UIFCTN_RET_OK");
    }
    void Make(ub2 charset = 0, ub2 ncharset = 0, ub4 mode = OCI_DEFAULT) {
        env = NewEnv(Oracle(), charset, ncharset, mode);
        ASSERT_NE(env, nullptr);
        err = Alloc<OCIError>(env, OCI_HTYPE_ERROR);
    }
    sword EnvAttr(ub4 attr, void *value) { return OCIAttrGet(env, OCI_HTYPE_ENV, value, nullptr, attr, err); }
    sb4 Numeric(ub2 item) {
        sb4 value = -1;
        return OCINlsNumericInfoGet(env, err, &value, item) == OCI_SUCCESS ? value : -100;
    }
    // Converts the Latin-1 byte E9 from the environment's character set.
    std::string FromClientE9() {
        const char in[] = "\xE9";
        char out[8] = {};
        size_t size = 0;
        if (OCICharSetToUnicode(env, reinterpret_cast<ub2 *>(out), sizeof out, reinterpret_cast<const OraText *>(in),
                                1, &size) != OCI_SUCCESS)
            return "failed";
        return std::string(out, size);
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
};

TEST_P(Environment, ClientVersionAgreesWithTheHeadersInOracleMode) {
    SelectMode(Oracle());
    sword v[5] = {-1, -1, -1, -1, -1};
    OCIClientVersion(&v[0], &v[1], &v[2], &v[3], &v[4]);
    unsetenv("OCI_COMPAT");
    const std::string version = std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) +
                                "." + std::to_string(v[3]) + "." + std::to_string(v[4]);
    if (Oracle()) {
        EXPECT_EQ(version, "11.2.0.4.0");
        EXPECT_EQ(v[0], OCI_MAJOR_VERSION);
        EXPECT_EQ(v[1], OCI_MINOR_VERSION);
    } else {
        EXPECT_EQ(version, "11.0.1.1.0");
    }
}

TEST_P(Environment, OracleCharacterSetIdsAtCreation) {
    if (!Oracle()) {
        // The library's own numbering stops at 40.
        EXPECT_EQ(NewEnv(false, 873, 873), nullptr);
        Make(6, 6);
        ub2 id = 0;
        EXPECT_EQ(EnvAttr(OCI_ATTR_ENV_CHARSET_ID, &id), OCI_ERROR);
        EXPECT_EQ(FirstRecord(err).code, 24328);
        sb4 value = 7;
        EXPECT_EQ(OCINlsNumericInfoGet(env, err, &value, OCI_NLS_CHARSET_MAXBYTESZ), OCI_ERROR);
        EXPECT_EQ(value, 7);
        return;
    }
    struct Case {
        ub2 charset, ncharset;
        ub2 reported, nreported;
        ub1 utf16;
        sb4 maxBytes, fixedWidth;
    };
    const Case cases[] = {
        {873, 873, 873, 873, 0, 4, 0},  // AL32UTF8
        {871, 0, 871, 871, 0, 4, 0},    // UTF8; the national set follows
        {1, 0, 1, 1, 0, 1, 1},          // US7ASCII
        {1000, 1000, 1000, 1000, 1, 4, 0},
        {2000, 2000, 2000, 2000, 1, 4, 0},
        {31, 873, 31, 873, 0, 1, 1},    // WE8ISO8859P1
        {852, 0, 852, 852, 0, 2, 0},    // ZHS16GBK
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.charset);
        Make(c.charset, c.ncharset);
        ub2 id = 0, nid = 0;
        ub1 utf16 = 9;
        EXPECT_EQ(EnvAttr(OCI_ATTR_ENV_CHARSET_ID, &id), OCI_SUCCESS);
        EXPECT_EQ(EnvAttr(OCI_ATTR_ENV_NCHARSET_ID, &nid), OCI_SUCCESS);
        EXPECT_EQ(EnvAttr(OCI_ATTR_ENV_UTF16, &utf16), OCI_SUCCESS);
        EXPECT_EQ(id, c.reported);
        EXPECT_EQ(nid, c.nreported);
        EXPECT_EQ(utf16, c.utf16);
        EXPECT_EQ(Numeric(OCI_NLS_CHARSET_MAXBYTESZ), c.maxBytes);
        EXPECT_EQ(Numeric(OCI_NLS_CHARSET_FIXEDWIDTH), c.fixedWidth);
        OCIHandleFree(env, OCI_HTYPE_ENV);
        env = nullptr;
    }
    // OCI_UTF16 mode keeps its texts UTF-16, whatever set is named.
    Make(873, 0, OCI_UTF16);
    ub2 utf16Id = 0;
    EXPECT_EQ(EnvAttr(OCI_ATTR_ENV_CHARSET_ID, &utf16Id), OCI_SUCCESS);
    EXPECT_EQ(utf16Id, 1000);
    OCIHandleFree(env, OCI_HTYPE_ENV);
    env = nullptr;
    // The Latin-1 id really selects Latin-1.
    Make(31, 0);
    EXPECT_EQ(FromClientE9(), "\xC3\xA9");
    OCIHandleFree(env, OCI_HTYPE_ENV);
    env = nullptr;
    // Oracle sets without an encoding here (EBCDIC) refuse the environment.
    EXPECT_EQ(NewEnv(true, 5, 0), nullptr);
    EXPECT_EQ(NewEnv(true, 873, 5), nullptr);
    // An unknown item of OCINlsNumericInfoGet is an error with a record.
    Make(873, 873);
    sb4 value = 0;
    EXPECT_EQ(OCINlsNumericInfoGet(env, err, &value, 9999), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, 21560);
}

TEST_P(Environment, NlsLangNamesOracleCharacterSets) {
    // The process locale would otherwise decide; it names no Latin-1.
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("NLS_LANG", "AMERICAN_AMERICA.WE8ISO8859P1", 1);
    Make();
    if (Oracle()) {
        ub2 id = 0;
        EXPECT_EQ(EnvAttr(OCI_ATTR_ENV_CHARSET_ID, &id), OCI_SUCCESS);
        EXPECT_EQ(id, 31);
        EXPECT_EQ(FromClientE9(), "\xC3\xA9");
    } else {
        EXPECT_NE(FromClientE9(), "\xC3\xA9");
    }
    OCIHandleFree(env, OCI_HTYPE_ENV);
    env = nullptr;
    setenv("NLS_LANG", ".AL32UTF8", 1);
    Make();
    if (Oracle()) {
        ub2 id = 0;
        EXPECT_EQ(EnvAttr(OCI_ATTR_ENV_CHARSET_ID, &id), OCI_SUCCESS);
        EXPECT_EQ(id, 873);
    }
    unsetenv("LC_ALL");
}

TEST_P(Environment, CharacterSetNamesAndIds) {
    Make();
    char name[32] = {};
    auto idToName = [&](ub2 id) {
        std::memset(name, 0, sizeof name);
        EXPECT_EQ(OCINlsCharSetIdToName(env, reinterpret_cast<oratext *>(name), sizeof name, id), OCI_SUCCESS);
        return std::string(name);
    };
    auto nameToId = [&](const char *n) { return OCINlsCharSetNameToId(env, reinterpret_cast<const oratext *>(n)); };
    auto nameMap = [&](const char *n, uword flag) {
        char out[32] = {};
        const sword rc = OCINlsNameMap(env, reinterpret_cast<OraText *>(out), sizeof out,
                                       reinterpret_cast<const OraText *>(n), flag);
        return rc == OCI_SUCCESS ? std::string(out) : "refused " + std::to_string(rc);
    };
    if (Oracle()) {
        EXPECT_EQ(idToName(31), "WE8ISO8859P1");
        EXPECT_EQ(idToName(873), "AL32UTF8");
        EXPECT_EQ(nameToId("al32utf8"), 873);
        EXPECT_EQ(nameToId("WE8MSWIN1252"), 178);
        EXPECT_EQ(nameMap("WE8ISO8859P1", OCI_NLS_CS_ORA_TO_IANA), "ISO-8859-1");
        EXPECT_EQ(nameMap("AL32UTF8", OCI_NLS_CS_ORA_TO_IANA), "UTF-8");
        EXPECT_EQ(nameMap("utf-8", OCI_NLS_CS_IANA_TO_ORA), "AL32UTF8");
        EXPECT_EQ(nameMap("US-ASCII", OCI_NLS_CS_IANA_TO_ORA), "US7ASCII");
        EXPECT_EQ(nameMap("WE8EBCDIC37", OCI_NLS_CS_ORA_TO_IANA), "refused -1");
        EXPECT_EQ(FirstRecord(env, OCI_HTYPE_ENV).code, 21560);
    } else {
        EXPECT_EQ(idToName(8), "LATIN1");
        EXPECT_EQ(nameToId("LATIN1"), 8);
        EXPECT_EQ(nameMap("AL32UTF8", OCI_NLS_CS_ORA_TO_IANA), "refused -1");
    }
}

TEST_P(Environment, BookkeepingAttributesAndUnknownOnes) {
    Make();
    auto *session = Alloc<OCISession>(env, OCI_HTYPE_SESSION);
    char text[] = "node-oracledb : 6.10.0 thk";
    for (ub4 attr : {OCI_ATTR_DRIVER_NAME, OCI_ATTR_EDITION, OCI_ATTR_CONNECTION_CLASS, OCI_ATTR_DBOP,
                     OCI_ATTR_ECONTEXT_ID, OCI_ATTR_CLIENT_IDENTIFIER, OCI_ATTR_ACTION, OCI_ATTR_MODULE}) {
        SCOPED_TRACE(attr);
        const sword rc = OCIAttrSet(session, OCI_HTYPE_SESSION, text, static_cast<ub4>(std::strlen(text)), attr, err);
        const bool acceptedBefore = attr == OCI_ATTR_CLIENT_IDENTIFIER || attr == OCI_ATTR_ACTION ||
                                    attr == OCI_ATTR_MODULE;
        EXPECT_EQ(rc, Oracle() || acceptedBefore ? OCI_SUCCESS : OCI_ERROR);
        if (rc == OCI_ERROR) {
            EXPECT_EQ(FirstRecord(err).code, -1);  // the own mode's silent refusal
        }
    }
    ub1 purity = OCI_ATTR_PURITY_SELF;
    EXPECT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, &purity, 1, OCI_ATTR_PURITY, err),
              Oracle() ? OCI_SUCCESS : OCI_ERROR);
    // Unknown attributes: 24315 with a record in the Oracle mode.
    ub4 value = 1;
    EXPECT_EQ(OCIAttrSet(session, OCI_HTYPE_SESSION, &value, 4, 9999, err), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, Oracle() ? 24315 : -1);
    auto *svc = Alloc<OCISvcCtx>(env, OCI_HTYPE_SVCCTX);
    EXPECT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &value, nullptr, 9999, err), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, Oracle() ? 24315 : -1);
}

TEST_P(Environment, AttributesGoByTheHandlesOwnKind) {
    Make();
    auto *server = Alloc<OCIServer>(env, OCI_HTYPE_SERVER);
    // A server handle named as a service context (drivers name describe
    // handles for parameter descriptors the same way).
    ub4 status = 7;
    const sword rc = OCIAttrGet(server, OCI_HTYPE_SVCCTX, &status, nullptr, OCI_ATTR_SERVER_STATUS, err);
    if (Oracle()) {
        EXPECT_EQ(rc, OCI_SUCCESS);
        EXPECT_EQ(status, static_cast<ub4>(OCI_SERVER_NOT_CONNECTED));
    } else {
        EXPECT_EQ(rc, OCI_ERROR);
        EXPECT_EQ(status, 7u);
    }
    // The failover callback of a server handle.
    OCIFocbkStruct fo{};
    EXPECT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &fo, 0, OCI_ATTR_FOCBK, err), Oracle() ? OCI_SUCCESS : OCI_ERROR);
}

TEST_P(Environment, BindAndDefineBookkeeping) {
    Make();
    auto *stmt = Alloc<OCIStmt>(env, OCI_HTYPE_STMT);
    const std::string sql = "SELECT :a FROM dual";
    ASSERT_EQ(OCIStmtPrepare(stmt, err, reinterpret_cast<const OraText *>(sql.c_str()),
                             static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX, OCI_DEFAULT),
              OCI_SUCCESS);
    char value[16] = "x";
    OCIBind *bind = nullptr;
    ASSERT_EQ(OCIBindByName(stmt, &bind, err, reinterpret_cast<const OraText *>(":a"), 2, value, sizeof value,
                            SQLT_STR, nullptr, nullptr, nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    OCIDefine *define = nullptr;
    ASSERT_EQ(OCIDefineByPos(stmt, &define, err, 1, value, sizeof value, SQLT_STR, nullptr, nullptr, nullptr,
                             OCI_DEFAULT),
              OCI_SUCCESS);
    ub4 maxSize = 64;
    ub1 form = SQLCS_NCHAR;
    const sword expected = Oracle() ? OCI_SUCCESS : OCI_ERROR;
    EXPECT_EQ(OCIAttrSet(bind, OCI_HTYPE_BIND, &maxSize, 4, OCI_ATTR_MAXDATA_SIZE, err), expected);
    EXPECT_EQ(OCIAttrSet(bind, OCI_HTYPE_BIND, &form, 1, OCI_ATTR_CHARSET_FORM, err), expected);
    EXPECT_EQ(OCIAttrSet(define, OCI_HTYPE_DEFINE, &form, 1, OCI_ATTR_CHARSET_FORM, err), expected);
    EXPECT_EQ(OCIAttrSet(define, OCI_HTYPE_DEFINE, &maxSize, 4, OCI_ATTR_LOBPREFETCH_LENGTH, err), expected);
    // Anything else on a bind handle is refused, with a record in Oracle's mode.
    EXPECT_EQ(OCIAttrSet(bind, OCI_HTYPE_BIND, &maxSize, 4, OCI_ATTR_PREFETCH_ROWS, err), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, Oracle() ? 24315 : -1);
}

TEST_P(Environment, SessionPoolAttributes) {
    Make();
    auto *pool = Alloc<OCISPool>(env, OCI_HTYPE_SPOOL);
    auto *auth = Alloc<OCIAuthInfo>(env, OCI_HTYPE_AUTHINFO);
    const sword expected = Oracle() ? OCI_SUCCESS : OCI_ERROR;
    EXPECT_EQ(OCIAttrSet(pool, OCI_HTYPE_SPOOL, auth, 0, OCI_ATTR_SPOOL_AUTH, err), expected);
    ub1 getMode = OCI_SPOOL_ATTRVAL_NOWAIT;
    ub4 timeout = 30, cache = 20;
    EXPECT_EQ(OCIAttrSet(pool, OCI_HTYPE_SPOOL, &getMode, 1, OCI_ATTR_SPOOL_GETMODE, err), OCI_SUCCESS);
    EXPECT_EQ(OCIAttrSet(pool, OCI_HTYPE_SPOOL, &timeout, 4, OCI_ATTR_SPOOL_TIMEOUT, err), OCI_SUCCESS);
    EXPECT_EQ(OCIAttrSet(pool, OCI_HTYPE_SPOOL, &cache, 4, OCI_ATTR_SPOOL_STMTCACHESIZE, err), OCI_SUCCESS);
    ub1 gotMode = 9;
    ub4 gotTimeout = 0, gotCache = 0, open = 9, busy = 9;
    EXPECT_EQ(OCIAttrGet(pool, OCI_HTYPE_SPOOL, &gotMode, nullptr, OCI_ATTR_SPOOL_GETMODE, err), expected);
    EXPECT_EQ(OCIAttrGet(pool, OCI_HTYPE_SPOOL, &gotTimeout, nullptr, OCI_ATTR_SPOOL_TIMEOUT, err), expected);
    EXPECT_EQ(OCIAttrGet(pool, OCI_HTYPE_SPOOL, &gotCache, nullptr, OCI_ATTR_SPOOL_STMTCACHESIZE, err), expected);
    EXPECT_EQ(OCIAttrGet(pool, OCI_HTYPE_SPOOL, &open, nullptr, OCI_ATTR_SPOOL_OPEN_COUNT, err), expected);
    EXPECT_EQ(OCIAttrGet(pool, OCI_HTYPE_SPOOL, &busy, nullptr, OCI_ATTR_SPOOL_BUSY_COUNT, err), expected);
    if (Oracle()) {
        EXPECT_EQ(gotMode, getMode);
        EXPECT_EQ(gotTimeout, timeout);
        EXPECT_EQ(gotCache, cache);
        EXPECT_EQ(open, 0u);
        EXPECT_EQ(busy, 0u);
        // Only an authentication handle is a pool's authentication.
        EXPECT_EQ(OCIAttrSet(pool, OCI_HTYPE_SPOOL, err, 0, OCI_ATTR_SPOOL_AUTH, err), OCI_ERROR);
        EXPECT_EQ(FirstRecord(err).code, 24328);
    } else {
        EXPECT_EQ(FirstRecord(err).code, -1);
    }
}

TEST_P(Environment, EveryFailureLeavesARecordInOracleMode) {
    Make();
    auto *svc = Alloc<OCISvcCtx>(env, OCI_HTYPE_SVCCTX);
    // A release mode no session takes.
    EXPECT_EQ(OCISessionRelease(svc, err, nullptr, 0, 0x80), OCI_ERROR);
    const Record r = FirstRecord(err);
    if (Oracle()) {
        EXPECT_EQ(r.code, 24330);
        EXPECT_NE(r.text.find("24330"), std::string::npos);
    } else {
        EXPECT_EQ(r.code, -1);
    }
    // An argument refused before the call gets going.
    EXPECT_EQ(OCIServerVersion(svc, err, nullptr, 64, OCI_HTYPE_SVCCTX), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, Oracle() ? 21560 : -1);
}

TEST_P(Environment, UnsupportedCallsRefuseWithoutEndingTheProcess) {
    if (!Oracle()) setenv("TAV_OCI_UIFCTN_RET_OK", "1", 1);  // else the own mode ends the process
    Make();
    auto *svc = Alloc<OCISvcCtx>(env, OCI_HTYPE_SVCCTX);
    void *loc = nullptr;
    ASSERT_EQ(OCIDescriptorAlloc(env, &loc, OCI_DTYPE_LOB, 0, nullptr), OCI_SUCCESS);
    ub4 amount = 1;
    // A guarded call.
    EXPECT_EQ(OCILobErase(svc, err, static_cast<OCILobLocator *>(loc), &amount, 1),
              Oracle() ? OCI_ERROR : OCI_SUCCESS);
    EXPECT_EQ(FirstRecord(err).code, Oracle() ? 3001 : -1);
    // A refusing call: the same result in both modes, a record in Oracle's.
    EXPECT_EQ(OCIExtractInit(env, err), OCI_ERROR);
    EXPECT_EQ(FirstRecord(err).code, Oracle() ? 3001 : -1);
    // A LOB call drivers make on every LOB: answered in the Oracle mode.
    boolean temporary = 7;
    EXPECT_EQ(OCILobIsTemporary(env, err, static_cast<OCILobLocator *>(loc), &temporary), OCI_SUCCESS);
    EXPECT_EQ(temporary, Oracle() ? FALSE : 7);
}

TEST_P(Environment, ArrayDescriptors) {
    Make();
    void *stamps[4] = {};
    ASSERT_EQ(OCIArrayDescriptorAlloc(env, stamps, OCI_DTYPE_TIMESTAMP, 4, 0, nullptr), OCI_SUCCESS);
    std::set<void *> distinct(std::begin(stamps), std::end(stamps));
    EXPECT_EQ(distinct.size(), 4u);
    EXPECT_EQ(distinct.count(nullptr), 0u);
    // Each element is a working timestamp descriptor.
    EXPECT_EQ(OCIDateTimeConstruct(env, err, static_cast<OCIDateTime *>(stamps[3]), 2024, 2, 29, 12, 0, 0, 0,
                                   nullptr, 0),
              OCI_SUCCESS);
    sb2 year = 0;
    ub1 month = 0, day = 0;
    EXPECT_EQ(OCIDateTimeGetDate(env, err, static_cast<OCIDateTime *>(stamps[3]), &year, &month, &day), OCI_SUCCESS);
    EXPECT_EQ(year * 10000 + month * 100 + day, 20240229);
    EXPECT_EQ(OCIArrayDescriptorFree(stamps, OCI_DTYPE_TIMESTAMP), OCI_SUCCESS);
    void *none[1] = {};
    EXPECT_EQ(OCIArrayDescriptorAlloc(env, none, OCI_DTYPE_TIMESTAMP, 0, 0, nullptr), OCI_ERROR);
    EXPECT_EQ(FirstRecord(env, OCI_HTYPE_ENV).code, 21560);
}

INSTANTIATE_TEST_SUITE_P(Modes, Environment, ::testing::Bool(), ModeName);

}  // namespace

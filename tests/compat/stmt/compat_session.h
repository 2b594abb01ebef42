// A logged-on session in either mode: OCI_COMPAT is set or cleared before
// the environment is created (the mode is read then), and the session is
// begun with the statement cache on, as Oracle's drivers begin theirs.
#pragma once
#include <gtest/gtest.h>
#include <oci.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/server_test_support.h"

namespace compat_test {

inline const OraText *Text(const std::string &s) { return reinterpret_cast<const OraText *>(s.c_str()); }

// The test parameter: true for the Oracle-compatible mode.
class CompatSession : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (GetParam()) setenv("OCI_COMPAT", "oracle", 1);
        else unsetenv("OCI_COMPAT");
        ASSERT_EQ(OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        unsetenv("OCI_COMPAT");
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&server), OCI_HTYPE_SERVER, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&svc), OCI_HTYPE_SVCCTX, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&session), OCI_HTYPE_SESSION, 0, nullptr),
                  OCI_SUCCESS);
        const std::string uri = oci_test::ClusterUri();
        ASSERT_EQ(OCIServerAttach(server, err, Text(uri), static_cast<sb4>(uri.size()), OCI_DEFAULT), OCI_SUCCESS);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
        ASSERT_EQ(OCISessionBegin(svc, err, session, OCI_CRED_RDBMS, OCI_STMT_CACHE), OCI_SUCCESS) << Message();
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    }
    void TearDown() override {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
    }

    bool Oracle() const { return GetParam(); }

    sword Prepare(const std::string &sql, OCIStmt *s = nullptr) {
        return OCIStmtPrepare(s != nullptr ? s : stmt, err, Text(sql), static_cast<ub4>(sql.size()), OCI_NTV_SYNTAX,
                              OCI_DEFAULT);
    }
    sword Execute(const std::string &sql, ub4 iters = 1) {
        const sword rc = Prepare(sql);
        if (rc != OCI_SUCCESS) return rc;
        return OCIStmtExecute(svc, stmt, err, iters, 0, nullptr, nullptr, OCI_DEFAULT);
    }
    // Runs a statement that must succeed (a notice makes it a warning).
    void Run(const std::string &sql) {
        const sword rc = Execute(sql);
        ASSERT_TRUE(rc == OCI_SUCCESS || rc == OCI_SUCCESS_WITH_INFO) << sql << ": " << Message();
    }
    // The first column of the single row a query gives, as text.
    std::string Value(const std::string &sql) {
        OCIStmt *q = nullptr;
        OCIHandleAlloc(env, reinterpret_cast<void **>(&q), OCI_HTYPE_STMT, 0, nullptr);
        char buf[256] = {};
        sb2 ind = 0;
        OCIDefine *def = nullptr;
        std::string out = "?";
        if (Prepare(sql, q) == OCI_SUCCESS &&
            OCIDefineByPos(q, &def, err, 1, buf, sizeof buf, SQLT_STR, &ind, nullptr, nullptr, OCI_DEFAULT) ==
                OCI_SUCCESS &&
            OCIStmtExecute(svc, q, err, 1, 0, nullptr, nullptr, OCI_DEFAULT) == OCI_SUCCESS)
            out = ind == -1 ? "NULL" : buf;
        OCIHandleFree(q, OCI_HTYPE_STMT);
        return out;
    }

    sb4 ErrorCode() {
        sb4 code = 0;
        OraText buf[512];
        if (OCIErrorGet(err, 1, nullptr, &code, buf, sizeof buf, OCI_HTYPE_ERROR) != OCI_SUCCESS) return 0;
        return code;
    }
    std::string Message() {
        std::vector<OraText> buf(4096);
        sb4 code = 0;
        if (OCIErrorGet(err, 1, nullptr, &code, buf.data(), static_cast<ub4>(buf.size()), OCI_HTYPE_ERROR) !=
            OCI_SUCCESS)
            return "";
        return reinterpret_cast<char *>(buf.data());
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIServer *server = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;
    OCIStmt *stmt = nullptr;
};

inline std::string ModeName(const ::testing::TestParamInfo<bool> &info) {
    return info.param ? "Oracle" : "Default";
}

}  // namespace compat_test

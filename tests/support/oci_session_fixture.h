// A session on the test cluster opened through the public calls: the
// environment, error, server, service-context and session handles of one
// logged-on connection, released with the environment.
#pragma once
#include <gtest/gtest.h>
#include <oci.h>

#include <string>
#include <utility>

#include "support/server_test_support.h"

namespace oci_test {

class OciSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        for (auto [h, type] : {std::pair<void **, ub4>{reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR},
                               {reinterpret_cast<void **>(&server), OCI_HTYPE_SERVER},
                               {reinterpret_cast<void **>(&svc), OCI_HTYPE_SVCCTX},
                               {reinterpret_cast<void **>(&session), OCI_HTYPE_SESSION}})
            ASSERT_EQ(OCIHandleAlloc(env, h, type, 0, nullptr), OCI_SUCCESS);
        const std::string uri = ClusterUri();
        ASSERT_EQ(OCIServerAttach(server, err, reinterpret_cast<const OraText *>(uri.c_str()),
                                  static_cast<sb4>(uri.size()), OCI_DEFAULT),
                  OCI_SUCCESS);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, err);
        OCIAttrSet(svc, OCI_HTYPE_SVCCTX, session, 0, OCI_ATTR_SESSION, err);
        ASSERT_EQ(OCISessionBegin(svc, err, session, OCI_CRED_RDBMS, OCI_DEFAULT), OCI_SUCCESS);
    }
    void TearDown() override {
        if (env != nullptr) OCIHandleFree(env, OCI_HTYPE_ENV);
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIServer *server = nullptr;
    OCISvcCtx *svc = nullptr;
    OCISession *session = nullptr;
};

}  // namespace oci_test

// XA connections against the test server.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "cluster.h"
#include "conn/conn_handles.h"
#include "diag/trace.h"

namespace {

OCISvcCtx *XaOpen(const std::string &open) {
    return xaoSvcCtx(reinterpret_cast<OraText *>(const_cast<char *>(open.c_str())));
}

// Frees the environment an XA service context was made in (and all under it).
void XaClose(OCISvcCtx *svc) {
    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    ASSERT_EQ(OCIAttrGet(svc, OCI_HTYPE_SVCCTX, &env, nullptr, OCI_ATTR_ENV, nullptr), OCI_SUCCESS);
    OCIHandleFree(env, OCI_HTYPE_ENV);
    (void)err;
}

TEST(Xa, OpenStringConnectsAsTheNamedUser) {
    PGconn *admin = PQconnectdb("");
    ASSERT_EQ(PQstatus(admin), CONNECTION_OK);
    Run(admin, "DO $$BEGIN CREATE ROLE ocitx_xa LOGIN; EXCEPTION WHEN duplicate_object THEN NULL; END$$");
    PQfinish(admin);

    OCISvcCtx *svc = XaOpen("Oracle_XA+Acc=P/ocitx_xa/secret+SqlNet=" + ClusterUri() + "+AppName=xa-app+Threads=true");
    ASSERT_NE(svc, nullptr);
    PGconn *conn = svc->server->conn;
    EXPECT_EQ(Value(conn, "SELECT current_user"), "ocitx_xa");
    EXPECT_EQ(Value(conn, "SHOW application_name"), "xa-app");
    EXPECT_EQ(Value(conn, "SHOW DateStyle").rfind("ISO", 0), 0u);  // a full session begin

    // The connection carries a two-phase transaction like any other.
    OCIEnv *env = static_cast<OCIEnv *>(svc->parenth);
    OCIError *err = nullptr;
    OCITrans *trans = nullptr;
    OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr);
    OCIHandleAlloc(env, reinterpret_cast<void **>(&trans), OCI_HTYPE_TRANS, 0, nullptr);
    char name[] = "ocitx-xa";
    OCIAttrSet(trans, OCI_HTYPE_TRANS, name, sizeof name - 1, OCI_ATTR_TRANS_NAME, err);
    OCIAttrSet(svc, OCI_HTYPE_SVCCTX, trans, 0, OCI_ATTR_TRANS, err);
    ASSERT_TRUE(Run(conn, "BEGIN"));
    ASSERT_TRUE(Run(conn, "SELECT 1"));
    EXPECT_EQ(OCITransPrepare(svc, err, OCI_DEFAULT), OCI_SUCCESS) << ErrorText(err);
    EXPECT_EQ(OCITransCommit(svc, err, OCI_TRANS_TWOPHASE), OCI_SUCCESS) << ErrorText(err);
    XaClose(svc);

    // Each call is a new connection in a new environment.
    OCISvcCtx *one = XaOpen("Acc=P/ocitx_xa/+SqlNet=" + ClusterUri());
    OCISvcCtx *two = XaOpen("Acc=P/ocitx_xa/+SqlNet=" + ClusterUri());
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one->parenth, two->parenth);
    EXPECT_NE(PQbackendPID(one->server->conn), PQbackendPID(two->server->conn));
    XaClose(one);
    XaClose(two);
}

TEST(Xa, FailuresReturnNullAndTraceWhy) {
    const std::string log = std::string(OCI_TEST_BINARY_DIR) + "/xa-trace";
    setenv("OCI_DEBUG_LOG", log.c_str(), 1);
    setenv("OCI_DEBUG_MASK", "0x4000", 1);
    // Host and port: "//host:port/db", here a port nobody listens on.
    EXPECT_EQ(XaOpen("Oracle_XA+Acc=P/u/pw+SqlNet=db1+HostName=127.0.0.1+PortNumber=1"), nullptr);
    unsetenv("OCI_DEBUG_LOG");
    unsetenv("OCI_DEBUG_MASK");
    std::fflush(oci_debug_log);
    const std::string path = log + "-" + std::to_string(getpid());
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("db_uri [//127.0.0.1:1/db1]\n"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("OCISessionBegin() failed\n"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("pw"), std::string::npos) << "the password is not traced";
    EXPECT_EQ(XaOpen("Oracle_XA+Acc=P/u+SqlNet=db1"), nullptr);
    std::fflush(oci_debug_log);
    std::ifstream again(path);
    text.str("");
    text << again.rdbuf();
    EXPECT_NE(text.str().find("xa_parse_connection_str() failed\n"), std::string::npos) << text.str();
    std::fclose(oci_debug_log);
    oci_debug_log = nullptr;
    std::remove(path.c_str());

    EXPECT_EQ(XaOpen("Acc=P/postgres/x+SqlNet=" + ClusterUri() + "x"), nullptr);  // no such database
    EXPECT_EQ(xaoSvcCtx(nullptr), nullptr);
}

TEST(Xa, EnvironmentPerCall) {
    OCIEnv *one = xaoEnv(nullptr);
    OCIEnv *two = xaoEnv(reinterpret_cast<OraText *>(const_cast<char *>("ignored")));
    ASSERT_NE(one, nullptr);
    ASSERT_NE(two, nullptr);
    EXPECT_NE(one, two);
    OCIError *err = nullptr;
    EXPECT_EQ(OCIHandleAlloc(one, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    OCIHandleFree(one, OCI_HTYPE_ENV);
    OCIHandleFree(two, OCI_HTYPE_ENV);
}

}  // namespace

// Statement-level atomicity: in the Oracle-compatible mode (and with
// private attribute 5000 in the default mode) a failed statement undoes
// only its own work and the transaction goes on; otherwise the failure
// rolls the whole transaction back.
#include <oci.h>

#include <string>

#include "compat_session.h"

namespace {

using compat_test::CompatSession;
using compat_test::Text;

constexpr ub4 kStmtLevelTx = 5000;  // private server attribute

class Atomicity : public CompatSession {
protected:
    void SetUp() override {
        CompatSession::SetUp();
        if (HasFatalFailure()) return;
        Run("drop table if exists compat_atomic");
        Run("create table compat_atomic (id int primary key, note text)");
    }
    // Whether failures undo only their own statement under this test's setup.
    virtual bool StatementLevel() const { return Oracle(); }

    std::string Ids() {
        return Value("select coalesce(string_agg(id::text, ',' order by id), 'none') from compat_atomic");
    }
};

TEST_P(Atomicity, FailedStatementUndoesOnlyItself) {
    Run("insert into compat_atomic values (1, 'kept')");
    // A failing DML statement (a duplicate key) in the open transaction.
    EXPECT_EQ(Execute("insert into compat_atomic values (1, 'duplicate')"), OCI_ERROR);
    EXPECT_EQ(ErrorCode(), 1);
    Run("insert into compat_atomic values (2, 'after')");
    // A failing query, and a text the server cannot even prepare.
    ASSERT_EQ(Prepare("select 1 / (id - id) from compat_atomic"), OCI_SUCCESS);
    EXPECT_EQ(OCIStmtExecute(svc, stmt, err, 0, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
    EXPECT_EQ(Execute("update compat_atomic set nosuchcolumn = 1"), OCI_ERROR);
    Run("insert into compat_atomic values (3, 'last')");
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Ids(), StatementLevel() ? "1,2,3" : "3");
}

TEST_P(Atomicity, RepeatedStatementsKeepWorking) {
    // A prepared statement run again and again, failing in between: each
    // run's savepoint is released or rolled back, never left behind.
    ASSERT_EQ(Prepare("insert into compat_atomic values (:id, 'x')"), OCI_SUCCESS);
    int id = 0;
    OCIBind *bind = nullptr;
    ASSERT_EQ(OCIBindByName(stmt, &bind, err, Text(":id"), -1, &id, sizeof id, SQLT_INT, nullptr, nullptr, nullptr,
                            0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    // Without statement-level atomicity the first duplicate takes 10 and
    // 11 with it, so the second 11 succeeds.
    const int ids[] = {10, 11, 10, 12, 11, 13};
    const bool fails[] = {false, false, true, false, StatementLevel(), false};
    for (size_t k = 0; k < sizeof ids / sizeof ids[0]; ++k) {
        id = ids[k];
        const sword rc = OCIStmtExecute(svc, stmt, err, 1, 0, nullptr, nullptr, OCI_DEFAULT);
        EXPECT_EQ(rc, fails[k] ? OCI_ERROR : OCI_SUCCESS) << "id " << id;
    }
    // An array whose last row fails is undone as a whole.
    int many[3] = {20, 21, 12};
    ASSERT_EQ(OCIBindByName(stmt, &bind, err, Text(":id"), -1, many, sizeof many[0], SQLT_INT, nullptr, nullptr,
                            nullptr, 0, nullptr, OCI_DEFAULT),
              OCI_SUCCESS);
    EXPECT_EQ(OCIStmtExecute(svc, stmt, err, 3, 0, nullptr, nullptr, OCI_DEFAULT), OCI_ERROR);
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    // Default mode: the failed array took the whole transaction with it.
    EXPECT_EQ(Ids(), StatementLevel() ? "10,11,12,13" : "none");
}

INSTANTIATE_TEST_SUITE_P(Modes, Atomicity, ::testing::Bool(), compat_test::ModeName);

// The default mode with private attribute 5000 on the server handle runs
// the same machinery.
class AtomicityByAttribute : public Atomicity {
protected:
    void SetUp() override {
        Atomicity::SetUp();
        if (HasFatalFailure()) return;
        ub1 on = 1;
        ASSERT_EQ(OCIAttrSet(server, OCI_HTYPE_SERVER, &on, 1, kStmtLevelTx, err), OCI_SUCCESS) << Message();
    }
    bool StatementLevel() const override { return true; }
};

TEST_P(AtomicityByAttribute, FailedStatementUndoesOnlyItself) {
    Run("insert into compat_atomic values (1, 'kept')");
    EXPECT_EQ(Execute("insert into compat_atomic values (1, 'duplicate')"), OCI_ERROR);
    Run("insert into compat_atomic values (2, 'after')");
    ASSERT_EQ(OCITransCommit(svc, err, OCI_DEFAULT), OCI_SUCCESS);
    EXPECT_EQ(Ids(), "1,2");
}

INSTANTIATE_TEST_SUITE_P(Default, AtomicityByAttribute, ::testing::Values(false), compat_test::ModeName);

}  // namespace

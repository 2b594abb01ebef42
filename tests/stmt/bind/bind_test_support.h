// Shared by the bind and define tests: an environment, an error handle and
// a statement whose text is set directly, as preparation would leave it.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "diag/errors.h"
#include "env/env.h"
#include "env/memory.h"
#include "stmt/bind_define.h"

namespace bindtest {

// The text as preparation leaves it.
inline void SetStmtText(OCIStmt *s, const std::string &sql) {
    o2pFree(s->sqlText);
    s->sqlText = o2pStrndup(sql.data(), sql.size());
    s->sqlLength = static_cast<ub4>(sql.size());
    s->prepared = 1;
}

class StmtFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(OCIEnvCreate(&env, OCI_DEFAULT, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        ASSERT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&stmt), OCI_HTYPE_STMT, 0, nullptr), OCI_SUCCESS);
    }
    void TearDown() override { OCIHandleFree(env, OCI_HTYPE_ENV); }

    void SetText(const std::string &sql) { SetStmtText(stmt, sql); }

    // Error number of record `n` (from 1), 0 when there is none.
    sb4 ErrorNumber(int n = 1) const {
        const errinfo *rec = ErrorRecordAt(err, n);
        return rec != nullptr ? rec->errcode : 0;
    }
    int Records() const { return ErrorRecordCount(err); }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
    OCIStmt *stmt = nullptr;
};

// The value a bind converted, as a string (the empty string when NULL).
inline std::string PgValue(const OCIBind *b) {
    if (b->pgValue == nullptr) return "";
    size_t n = static_cast<size_t>(b->pgLength);
    if (b->pgFormat == 0 && n > 0 && b->pgValue[n - 1] == '\0') --n;
    return std::string(b->pgValue, n);
}

}  // namespace bindtest

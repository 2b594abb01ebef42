// Shared by the catalogue and bind tests: data tables, environments with the
// settings a converter reads, produced values and the error records left.
#pragma once
#include <gtest/gtest.h>

#include "support/data_table.h"
#include <oci.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "env/env.h"
#include "env/memory.h"

namespace bindtest {

using oci_test::Row;
using oci_test::Trim;

// Cells of tests/types/<dir>/data/<name>.
inline std::vector<Row> ReadTable(const std::string &dir, const std::string &name) {
    return oci_test::ReadDataTable("types/" + dir + "/data/" + name);
}

inline std::string Hex(const void *bytes, size_t n) {
    std::string out;
    char buf[4];
    for (size_t k = 0; k < n; ++k) {
        std::snprintf(buf, sizeof buf, "%s%02X", k == 0 ? "" : " ", static_cast<const unsigned char *>(bytes)[k]);
        out += buf;
    }
    return out;
}

// An environment and an error handle under it.
struct TestEnv {
    explicit TestEnv(ub4 mode = OCI_DEFAULT) {
        EXPECT_EQ(OCIEnvCreate(&env, mode, nullptr, nullptr, nullptr, nullptr, 0, nullptr), OCI_SUCCESS);
        EXPECT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
    }
    ~TestEnv() { OCIHandleFree(env, OCI_HTYPE_ENV); }
    TestEnv(const TestEnv &) = delete;
    TestEnv &operator=(const TestEnv &) = delete;

    void OracleVarchars(bool on) { env->varcharSemantics = on ? 1 : 0; }

    // Records as "<code>: <text>", oldest first; the handle is cleared.
    std::vector<std::string> Records() {
        std::vector<std::string> out;
        for (ub4 n = 1;; ++n) {
            sb4 code = 0;
            char text[512] = "";
            if (OCIErrorGet(err, n, nullptr, &code, reinterpret_cast<OraText *>(text), sizeof text,
                            OCI_HTYPE_ERROR) != OCI_SUCCESS)
                break;
            std::string message = text;
            if (env->utf16 != 0) {  // the texts come back as UTF-16LE; ours are ASCII
                message.clear();
                for (size_t k = 0; k + 1 < sizeof text && (text[k] != 0 || text[k + 1] != 0); k += 2)
                    message += text[k];
            }
            out.push_back(std::to_string(code) + ": " + message);
        }
        OCIHandleFree(err, OCI_HTYPE_ERROR);
        err = nullptr;
        EXPECT_EQ(OCIHandleAlloc(env, reinterpret_cast<void **>(&err), OCI_HTYPE_ERROR, 0, nullptr), OCI_SUCCESS);
        return out;
    }

    OCIEnv *env = nullptr;
    OCIError *err = nullptr;
};

// What a bind converter produced; the buffer is released with the record.
struct Produced {
    Produced() = default;
    Produced(const Produced &) = delete;
    Produced &operator=(const Produced &) = delete;
    ~Produced() {
        if (out != Untouched()) o2pFree(out);
    }
    static char *Untouched() {
        static char sentinel;
        return &sentinel;
    }
    bool Touched() const { return out != Untouched(); }

    std::string Bytes() const { return out == nullptr || !Touched() ? std::string() : std::string(out, length); }
    // The text a format-0 value carries (what libpq sends: up to the NUL).
    std::string Text() const { return out == nullptr || !Touched() ? std::string() : std::string(out); }
    bool IsNull() const { return out == nullptr && length == 0; }

    int rc = 99;
    char *out = Untouched();
    ub4 length = 12345;
    ub1 format = 77;
};

}  // namespace bindtest

// Shared by the value-format tests: data tables and exactly sized copies of
// texts (no terminator, so a read past the length trips the sanitizer).
#pragma once
#include <gtest/gtest.h>

#include "support/data_table.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace typestest {

using oci_test::Row;
using oci_test::Trim;

// Cells of tests/types/data/<name>.
inline std::vector<Row> ReadTable(const std::string &name) { return oci_test::ReadDataTable("types/data/" + name); }

inline std::string ToHex(const unsigned char *bytes, size_t n) {
    std::string out;
    char buf[4];
    for (size_t k = 0; k < n; ++k) {
        std::snprintf(buf, sizeof buf, "%s%02X", k == 0 ? "" : " ", bytes[k]);
        out += buf;
    }
    return out;
}

// A heap copy of exactly s.size() bytes without terminator (null when empty).
struct ExactText {
    explicit ExactText(const std::string &s) : len(s.size()), data(new char[s.empty() ? 1 : s.size()]) {
        s.copy(data.get(), len);
    }
    const char *get() const { return len == 0 ? nullptr : data.get(); }
    size_t len;
    std::unique_ptr<char[]> data;
};

}  // namespace typestest

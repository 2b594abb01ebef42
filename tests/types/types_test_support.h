// Shared by the value-format tests: data tables and exactly sized copies of
// texts (no terminator, so a read past the length trips the sanitizer).
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace typestest {

inline std::string Trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// '|'-separated, trimmed cells of tests/types/data/<name>; '#' lines and
// blank lines are skipped. Each row keeps its line number for messages.
struct Row {
    int line;
    std::vector<std::string> cells;
};

inline std::vector<Row> ReadTable(const std::string &name) {
    std::vector<Row> rows;
    std::ifstream in(std::string(OCI_TEST_DATA_DIR) + "/types/data/" + name);
    EXPECT_TRUE(in.good()) << "missing data file " << name;
    std::string line, cell;
    for (int number = 1; std::getline(in, line); ++number) {
        if (Trim(line).empty() || Trim(line)[0] == '#') continue;
        Row row{number, {}};
        std::stringstream ss(line);
        while (std::getline(ss, cell, '|')) row.cells.push_back(Trim(cell));
        rows.push_back(row);
    }
    return rows;
}

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

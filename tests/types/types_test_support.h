// Helpers shared by the value-format tests: the data tables and exactly sized
// copies of texts (no terminator, so a read past the length is caught by the
// address sanitizer).
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
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// Rows of a data file: '|'-separated, trimmed cells; '#' lines and blank lines
// are skipped. A row keeps its line number for messages.
struct Row {
    int line;
    std::vector<std::string> cells;
};

inline std::vector<Row> ReadTable(const std::string &name) {
    std::vector<Row> rows;
    std::ifstream in(std::string(OCI_TEST_DATA_DIR) + "/types/data/" + name);
    EXPECT_TRUE(in.good()) << "missing data file " << name;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (Trim(line).empty() || Trim(line)[0] == '#') continue;
        Row row{number, {}};
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, '|')) row.cells.push_back(Trim(cell));
        if (!line.empty() && line.back() == '|') row.cells.push_back("");
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<unsigned char> Hex(const std::string &text) {
    std::vector<unsigned char> bytes;
    std::stringstream ss(text);
    std::string byte;
    while (ss >> byte) bytes.push_back(static_cast<unsigned char>(std::stoul(byte, nullptr, 16)));
    return bytes;
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

// A heap copy of exactly text.size() bytes, without terminator.
struct ExactText {
    explicit ExactText(const std::string &text) : len(text.size()), data(new char[text.size() == 0 ? 1 : text.size()]) {
        if (len != 0) text.copy(data.get(), len);
    }
    const char *get() const { return len == 0 ? nullptr : data.get(); }
    size_t len;
    std::unique_ptr<char[]> data;
};

}  // namespace typestest

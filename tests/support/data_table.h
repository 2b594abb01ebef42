// Value tables the tests read: '|'-separated cells, trimmed; '#' lines and
// blank lines are skipped; a line that ends in '|' has an empty last cell.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace oci_test {

inline std::string Trim(const std::string &s) {
    size_t b = s.find_first_not_of(" \t\r");
    return b == std::string::npos ? "" : s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

struct Row {
    int line;  // for messages
    std::vector<std::string> cells;
};

// `path` is relative to the tests folder, e.g. "types/data/numbers.txt".
inline std::vector<Row> ReadDataTable(const std::string &path) {
    std::vector<Row> rows;
    std::ifstream in(std::string(OCI_TEST_DATA_DIR) + "/" + path);
    EXPECT_TRUE(in.good()) << "missing data file " << path;
    std::string line, cell;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        Row row{number, {}};
        std::stringstream ss(line);
        while (std::getline(ss, cell, '|')) row.cells.push_back(Trim(cell));
        if (trimmed.back() == '|') row.cells.push_back("");
        rows.push_back(row);
    }
    return rows;
}

}  // namespace oci_test

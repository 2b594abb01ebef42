// The placeholder rewriters: what becomes a numbered parameter and what
// stays text, and a seeded random corpus holding both rewriters to the
// length they counted and to their own inverse.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "env/memory.h"
#include "stmt/placeholders.h"
#include "stmt/stmt_handles.h"

namespace {

struct Binds {
    OCIBind *Add(const char *name, Oid type = 23, ub4 direction = 1) {
        OCIBind *b = Alloc_OCIBind();
        b->name = o2pStrdup(name);
        b->paramType = type;
        b->direction = direction;
        list = lappend(list, b);
        return b;
    }
    ~Binds() {
        foreach_cell(cell, list) Free_OCIBind(static_cast<OCIBind *>(cell->ptr));
        list_free(list);
    }
    List *list = nullptr;
};

// The rewritten text ("<refused>" when nothing was handed out) and, per
// parameter, what it stands for: the bind's name, type and direction, or
// the described name with its colon.
struct Result {
    std::string text;
    std::vector<std::string> params;
    std::vector<OCIBind *> binds;
    std::string extra;  // "type/dir" of each bound parameter
};

Result Rewrite(const Binds &binds, const std::string &sql) {
    char *out = nullptr;
    ub4 count = 0;
    Oid *types = nullptr;
    ub4 *dirs = nullptr;
    List *matched = ReplacePlaceholders(binds.list, sql.data(), sql.size(), &out, &count, &types, &dirs);
    Result r{out != nullptr ? out : "<refused>", {}, {}, ""};
    EXPECT_EQ(static_cast<int>(count), list_length(matched));
    ub4 i = 0;
    foreach_cell(cell, matched) {
        auto *b = static_cast<OCIBind *>(cell->ptr);
        r.binds.push_back(b);
        r.params.push_back(b->name);
        r.extra += std::to_string(types[i]) + "/" + std::to_string(dirs[i]) + " ";
        ++i;
    }
    list_free(matched);
    o2pFree(out);
    o2pFree(types);
    o2pFree(dirs);
    return r;
}

Result Describe(const std::string &sql, List *names = nullptr) {
    char *out = nullptr;
    ub4 count = 0;
    names = ReplacePlaceholdersEx(names, sql.c_str(), &out, &count);
    Result r{out != nullptr ? out : "<refused>", {}, {}, ""};
    foreach_cell(cell, names) {
        r.params.push_back(std::string(":") + static_cast<char *>(cell->ptr));
        o2pFree(cell->ptr);
    }
    list_free(names);
    o2pFree(out);
    return r;
}

using Names = std::vector<std::string>;

TEST(ReplacePlaceholders, NumbersBoundPlaceholdersByWholeNameIgnoringCase) {
    Binds binds;
    OCIBind *a = binds.Add(":a", 1043, 3);
    binds.Add(":b");
    Result r = Rewrite(binds, "x = :a and y = ':b' and z = :a and w = :c");
    EXPECT_EQ(r.text, "x = $1 and y = ':b' and z = $2 and w = :c");
    EXPECT_EQ(r.binds, (std::vector<OCIBind *>{a, a}));
    EXPECT_EQ(r.extra, "1043/3 1043/3 ");

    // :id2, created first, does not answer :id; :NAME answers :name.
    binds.Add(":id2");
    binds.Add(":id");
    binds.Add(":NAME");
    binds.Add(":1");
    r = Rewrite(binds, "a = :id and b = :id2 and c = :name and d in (:1, :10)");
    EXPECT_EQ(r.text, "a = $1 and b = $2 and c = $3 and d in ($4, :10)");
    EXPECT_EQ(r.params, (Names{":id", ":id2", ":NAME", ":1"}));
}

TEST(ReplacePlaceholders, LeavesCastsCommentsAndQuotedTextAlone) {
    Binds binds;
    binds.Add(":date");
    binds.Add(":a");
    const std::pair<const char *, const char *> cases[] = {
        {"select :date::date", "select $1::date"},
        {"select 1 -- don't\nfrom t where x = :a", "select 1 -- don't\nfrom t where x = $1"},
        {"/* :a /* :a */ :a */ :a", "/* :a /* :a */ :a */ $1"},
        {"\":a\" = $q$ :a $q$ and E'\\':a' = :a", "\":a\" = $q$ :a $q$ and E'\\':a' = $1"},
        {"'c:\\' || :a", "'c:\\' || $1"},  // no escapes outside E''
        {"select a$b, $1 from t where x = :a", "select a$b, $1 from t where x = $1"},
    };
    for (const auto &c : cases) EXPECT_EQ(Rewrite(binds, c.first).text, c.second);
}

TEST(ReplacePlaceholdersEx, RenamesEveryPlaceholderAndCollectsNames) {
    Result d = Describe("select :a::int, $$:x$$, ':y', :b_2 from t where :c = 1");
    EXPECT_EQ(d.text, "select $1::int, $$:x$$, ':y', $2 from t where $3 = 1");
    EXPECT_EQ(d.params, (Names{":a", ":b_2", ":c"}));
    // Assignments, lone colons, comments and tagged dollar quotes stay text;
    // names are appended to what the list holds.
    d = Describe("x := :v; a[1 : 2] /* :p */ -- :q\n $fn$ :r $fn$ :s", lappend(nullptr, o2pStrdup("old")));
    EXPECT_EQ(d.text, "x := $1; a[1 : 2] /* :p */ -- :q\n $fn$ :r $fn$ $2");
    EXPECT_EQ(d.params, (Names{":old", ":v", ":s"}));
}

TEST(Rewriters, RefuseMoreParametersThanTheyCanNumber) {
    Binds binds;
    binds.Add(":a");
    std::string sql;
    for (ub4 i = 0; i < kMaxPlaceholders; ++i) sql += ":a,";
    Result full = Rewrite(binds, sql);
    EXPECT_EQ(full.params.size(), kMaxPlaceholders);
    EXPECT_EQ(full.text.substr(full.text.size() - 6), "$9999,");
    EXPECT_EQ(Rewrite(binds, sql + ":a").text, "<refused>");
    Result described = Describe(sql + ":a", lappend(nullptr, o2pStrdup("kept")));
    EXPECT_EQ(described.text, "<refused>");
    EXPECT_EQ(described.params, (Names{":kept"}));
}

// Puts each $k of a rewritten text back as the k-th placeholder.
std::string Restore(const std::string &out, const Names &params) {
    std::string back;
    for (size_t i = 0; i < out.size(); ++i) {
        size_t j = i + 1;
        while (out[i] == '$' && j < out.size() && isdigit(static_cast<unsigned char>(out[j]))) ++j;
        if (j == i + 1) {
            back += out[i];
            continue;
        }
        const size_t k = std::stoul(out.substr(i + 1, j - i - 1));
        back += k >= 1 && k <= params.size() ? params[k - 1] : "<bad>";
        i = j - 1;
    }
    return back;
}

TEST(Rewriters, RandomCorpusKeepsCountedLengthsAndInvertsCleanly) {
    const Names pieces = {":",  "::", ":=", "'", "''", "\"", "$",  "$$", "$t$", "$1",  "--", "\n",      "/*",
                          "*/", "E'", "\\", "a", "b",  "1",  " ", "_",  ":a", ":b",  ":ab", ":1", ":12", "é",
                          "x = ", "select ", ",", "(", ")", "a$"};
    Binds binds;
    binds.Add(":a");
    binds.Add(":ab");
    binds.Add(":1");
    std::mt19937 rng(20261208);
    std::uniform_int_distribution<size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> size(0, 60);
    int inverted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string sql;
        for (int n = size(rng); n > 0; --n) sql += pieces[piece(rng)];
        SCOPED_TRACE(sql);
        ub4 counted = 0, described = 0;
        const size_t length = ReplacePlaceholdersLength(binds.list, sql.data(), sql.size(), &counted);
        const size_t describedLength = ReplacePlaceholdersExLength(sql.c_str(), &described);
        Result r = Rewrite(binds, sql);
        Result d = Describe(sql);
        ASSERT_EQ(r.text.size(), length);
        ASSERT_EQ(r.params.size(), counted);
        ASSERT_EQ(d.text.size(), describedLength);
        ASSERT_EQ(d.params.size(), described);
        if (sql.find('$') != std::string::npos) continue;  // its own $n would not invert
        ASSERT_EQ(Restore(r.text, r.params), sql);
        ASSERT_EQ(Restore(d.text, d.params), sql);
        ++inverted;
    }
    EXPECT_GT(inverted, 1000);
}

}  // namespace

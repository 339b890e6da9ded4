// mps_bench_test.cpp -- every shared benchmark instance imports, and the
// counts of the import (its summary and the written data set) agree with a
// separate, deliberately plain count of the MPS text made here.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "mps/mps_convert.h"
#include "mps_test_support.h"

namespace qmlp::host::mps::testing {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> bench_files() {
    std::vector<std::string> files;
    for (const char* set : {"netlib", "netlib-large", "miplib3"}) {
        fs::path dir = fs::path(QMLP_SHARED_DIR) / "bench" / set;
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) continue;
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string name = e.path().filename().string();
            if (name.size() > 7 && name.substr(name.size() - 7) == ".mps.gz") files.push_back(e.path().string());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string gunzip(const std::string& path) {
    std::string text;
    gzFile f = gzopen(path.c_str(), "rb");
    if (f == nullptr) return text;
    char buffer[1 << 15];
    int n;
    while ((n = gzread(f, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    gzclose(f);
    return text;
}

// The fields of a data line: the six fixed fields when the line keeps to the
// fixed columns, else its blank-separated words.
std::vector<std::string> plain_fields(const std::string& line, bool& fixed) {
    static const int begin[] = {1, 4, 14, 24, 39, 49};
    static const int end[] = {3, 12, 22, 36, 47, 61};
    std::string l = line;
    while (!l.empty() && l.back() == ' ') l.pop_back();
    fixed = l.size() <= 61 && l.find('\t') == std::string::npos;
    for (int gap : {0, 3, 12, 13, 22, 23, 36, 37, 38, 47, 48}) {
        if (gap < static_cast<int>(l.size()) && l[gap] != ' ') fixed = false;
    }
    std::vector<std::string> out;
    if (fixed) {
        for (int f = 0; f < 6; ++f) {
            std::string s = begin[f] < static_cast<int>(l.size()) ? l.substr(begin[f], end[f] - begin[f]) : "";
            s.erase(0, s.find_first_not_of(' '));
            while (!s.empty() && s.back() == ' ') s.pop_back();
            out.push_back(s);
        }
        return out;
    }
    std::istringstream words(l);
    std::string w;
    while (words >> w) out.push_back(w);
    return out;
}

struct PlainColumn {
    bool integer = false;
    double lower = 0, upper = kInf;
    bool lower_given = false;
};

struct PlainCount {
    int less = 0, greater = 0, equal = 0, extra_n = 0, ranged = 0;
    long long nonzeros = 0, objective_nonzeros = 0;
    std::vector<std::string> column_order;
    std::map<std::string, PlainColumn> columns;
    std::map<std::string, double> first_rhs;  // row -> value of the first RHS set
};

PlainCount plain_count(const std::string& text) {
    PlainCount c;
    std::map<std::string, char> row_type;
    std::string objective, section, first_set;
    bool first_set_seen = false, in_integer = false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '*' || line.find_first_not_of(" \t") == std::string::npos) continue;
        if (line[0] != ' ') {
            section = line.substr(0, line.find(' '));
            if (section == "ENDATA") break;
            continue;
        }
        bool fixed = false;
        std::vector<std::string> f = plain_fields(line, fixed);
        if (section == "ROWS") {
            const std::string type = fixed ? f[0] : f[0];
            const std::string name = f[1];
            row_type[name] = type[0];
            if (type == "N" && objective.empty())
                objective = name;
            else if (type == "N")
                ++c.extra_n;
            else if (type == "L")
                ++c.less;
            else if (type == "G")
                ++c.greater;
            else if (type == "E")
                ++c.equal;
        } else if (section == "COLUMNS") {
            if (line.find("'MARKER'") != std::string::npos) {
                in_integer = line.find("'INTORG'") != std::string::npos;
                continue;
            }
            std::vector<std::string> v = fixed ? std::vector<std::string>(f.begin() + 1, f.end()) : f;
            if (!c.columns.count(v[0])) {
                c.column_order.push_back(v[0]);
                c.columns[v[0]].integer = in_integer;
            }
            for (std::size_t k = 1; k + 1 < v.size(); k += 2) {
                if (v[k].empty()) continue;
                if (std::strtod(v[k + 1].c_str(), nullptr) == 0.0) continue;
                ++c.nonzeros;
                if (v[k] == objective) ++c.objective_nonzeros;
            }
        } else if (section == "RHS" || section == "RANGES") {
            std::vector<std::string> v = fixed ? std::vector<std::string>(f.begin() + 1, f.end()) : f;
            if (!fixed && v.size() % 2 == 0) v.insert(v.begin(), "");
            if (section == "RHS" && !first_set_seen) {
                first_set_seen = true;
                first_set = v[0];
            }
            for (std::size_t k = 1; k + 1 < v.size(); k += 2) {
                if (v[k].empty()) continue;
                const double value = std::strtod(v[k + 1].c_str(), nullptr);
                if (section == "RHS" && v[0] == first_set) c.first_rhs[v[k]] = value;
                if (section == "RANGES" && value != 0.0 && row_type[v[k]] != 'N') ++c.ranged;
            }
        } else if (section == "BOUNDS") {
            std::string type = f[0], column, value;
            if (fixed) {
                column = f[2], value = f[3];
            } else if (f.size() == 4) {
                column = f[2], value = f[3];
            } else {
                column = f[2];  // all shared instances name their bound set
            }
            PlainColumn& col = c.columns[column];
            const double v = value.empty() ? 0.0 : std::strtod(value.c_str(), nullptr);
            if (type == "UP" || type == "UI") {
                col.upper = v >= 1e30 ? kInf : v;
                if (v < 0 && !col.lower_given) col.lower = -kInf;
                if (type == "UI") col.integer = true;
            } else if (type == "LO" || type == "LI") {
                col.lower = v <= -1e30 ? -kInf : v;
                col.lower_given = true;
                if (type == "LI") col.integer = true;
            } else if (type == "FX") {
                col.lower = col.upper = v;
                col.lower_given = true;
            } else if (type == "FR") {
                col.lower = -kInf, col.upper = kInf, col.lower_given = true;
            } else if (type == "MI") {
                col.lower = -kInf, col.lower_given = true;
            } else if (type == "PL") {
                col.upper = kInf;
            } else if (type == "BV") {
                col.lower = 0, col.upper = 1, col.integer = true, col.lower_given = true;
            }
        }
    }
    return c;
}

class MpsBench : public ::testing::TestWithParam<std::string> {};

TEST_P(MpsBench, ImportCountsAgreeWithThePlainCount) {
    const std::string path = GetParam();
    const PlainCount expect = plain_count(gunzip(path));
    ASSERT_GT(expect.columns.size(), 0u);

    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ImportOptions options;
    options.input = path;
    options.output = "-";
    const int status = run_import(options, out, err);
    auto slurp = [](std::FILE* f) {
        std::string s;
        std::rewind(f);
        char buffer[1 << 15];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) s.append(buffer, n);
        std::fclose(f);
        return s;
    };
    const std::string csv = slurp(out);
    const std::string summary = slurp(err);
    ASSERT_EQ(status, 0) << summary;

    // The summary against the plain count.
    std::map<std::string, long long> s = summary_numbers(summary);
    EXPECT_EQ(s["less-or-equal"], expect.less);
    EXPECT_EQ(s["greater-or-equal"], expect.greater);
    EXPECT_EQ(s["equality"], expect.equal);
    EXPECT_EQ(s["free"], expect.extra_n);
    EXPECT_EQ(s["ranged"], expect.ranged);
    EXPECT_EQ(s["Columns"], static_cast<long long>(expect.column_order.size()));
    EXPECT_EQ(s["Nonzeros"], expect.nonzeros);
    EXPECT_EQ(s["in objective"], expect.objective_nonzeros);
    long long integer = 0, binary = 0;
    for (const auto& [name, col] : expect.columns) {
        if (!col.integer) continue;
        (col.lower == 0 && col.upper == 1) ? ++binary : ++integer;
    }
    EXPECT_EQ(s["integer"], integer);
    EXPECT_EQ(s["binary"], binary);

    // The written data set against the plain count.
    Layout layout = read_layout(csv);
    ASSERT_EQ(layout.error, "");
    std::map<std::string, int> kinds;
    for (const auto& [name, row] : layout.rows) ++kinds[row.kind];
    EXPECT_EQ(kinds["LE"], expect.less);
    EXPECT_EQ(kinds["GE"], expect.greater);
    EXPECT_EQ(kinds["EQ"], expect.equal);
    EXPECT_EQ(kinds["FREE"], expect.extra_n);
    EXPECT_EQ(kinds["MIN"], 1);
    EXPECT_EQ(layout.column_order, expect.column_order);
    long long written_nonzeros = 0, written_integer = 0, written_binary = 0;
    for (const auto& [name, col] : layout.columns) {
        written_nonzeros += static_cast<long long>(col.coefficients.size());
        if (col.integer) ++written_integer;
        if (col.binary) ++written_binary;
        const PlainColumn& plain = expect.columns.at(name);
        EXPECT_EQ(col.lower, plain.lower) << name;
        EXPECT_EQ(col.upper, plain.upper) << name;
    }
    EXPECT_EQ(written_nonzeros, expect.nonzeros);
    EXPECT_EQ(written_integer, integer);
    EXPECT_EQ(written_binary, binary);
    ASSERT_FALSE(layout.rhs_names.empty() && !expect.first_rhs.empty());
    for (const auto& [row, value] : expect.first_rhs) {
        ASSERT_TRUE(layout.rows.count(row)) << row;
        EXPECT_EQ(layout.rows[row].rhs[layout.rhs_names[0]], value) << row;
    }
}

INSTANTIATE_TEST_SUITE_P(SharedInstances, MpsBench, ::testing::ValuesIn(bench_files()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = fs::path(info.param).filename().string();
                             name = name.substr(0, name.size() - 7);
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return fs::path(info.param).parent_path().filename().string() == "miplib3"
                                        ? "miplib3_" + name
                                        : name;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(MpsBench);

}  // namespace
}  // namespace qmlp::host::mps::testing

// mps_test_support.h -- helpers shared by the import-mps tests: run the
// reader and writer on a text, and read the written data set back the way
// the procedure's sparse reader interprets it, so that tests can check the
// problem that arrives rather than the text that was written.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "mps/mps_fields.h"
#include "mps/mps_lines.h"
#include "mps/mps_model.h"
#include "mps/mps_reader.h"
#include "mps/mps_writer.h"

namespace qmlp::host::mps::testing {

inline constexpr double kInf = std::numeric_limits<double>::infinity();

struct Parsed {
    bool ok = false;
    Model model;
    ReadReport report;
};

inline Parsed parse_text(const std::string& text) {
    Parsed p;
    TextLineSource source(text);
    p.ok = read_mps(source, p.model, p.report);
    return p;
}

// A line in the fixed layout: fields start in columns 2, 5, 15, 25, 40, 50;
// numbers are right-aligned in their 12-character fields.
inline std::string fixed_line(std::vector<std::string> f) {
    static const std::size_t begin[] = {1, 4, 14, 24, 39, 49};
    static const std::size_t width[] = {2, 8, 8, 12, 8, 12};
    std::string line;
    for (std::size_t i = 0; i < f.size(); ++i) {
        line.resize(begin[i], ' ');
        std::string text = f[i];
        if (i == 3 || i == 5) text = std::string(width[i] - std::min(width[i], text.size()), ' ') + text;
        line += text;
    }
    return line + "\n";
}

inline std::string write_text(const Model& model, bool drop_free_rows = false) {
    WriteOptions options;
    options.drop_free_rows = drop_free_rows;
    std::ostringstream out;
    write_sparse(model, options, plan_names(model, options), out);
    return out.str();
}

// RFC-4180 fields of one CSV record (no embedded newlines in our output).
inline std::vector<std::string> csv_fields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

// The problem as the sparse layout describes it.
struct LayoutRow {
    std::string kind;  // MIN MAX LE GE EQ FREE
    bool has_range = false;
    double range = 0.0;
    std::map<std::string, double> rhs;  // per RHS column name
};

struct LayoutColumn {
    double lower = 0.0;  // effective: 0 unless given, -inf when unrestricted
    double upper = kInf;
    bool lower_given = false, unrestricted = false, integer = false, binary = false, fixed = false;
    std::map<std::string, double> coefficients;  // by row name
};

struct Layout {
    std::vector<std::string> header;
    std::vector<std::string> row_order;
    std::map<std::string, LayoutRow> rows;
    std::vector<std::string> column_order;
    std::map<std::string, LayoutColumn> columns;
    std::map<std::string, std::string> attribute_rows;  // name -> type
    std::vector<std::string> rhs_names, range_names;
    std::map<std::string, std::vector<std::string>> sos_sets;  // members in order
    long long coefficient_observations = 0;
    std::string error;  // first inconsistency found while reading back
};

inline double layout_number(const std::string& text) {
    if (text.empty() || text == ".") return std::nan("");
    return std::stod(text);
}

// Reads the data set with the sparse layout's rules: a row declared by a
// row type, attribute rows named by attribute types, coefficients with a
// blank type, RHS and RANGE values by set name.
inline Layout read_layout(const std::string& csv) {
    Layout L;
    std::istringstream in(csv);
    std::string line;
    if (!std::getline(in, line)) {
        L.error = "empty data set";
        return L;
    }
    L.header = csv_fields(line);
    static const std::vector<std::string> row_types = {"MIN", "MAX", "LE", "GE", "EQ", "FREE"};
    auto column = [&](const std::string& name) -> LayoutColumn& {
        if (!L.columns.count(name)) L.column_order.push_back(name);
        return L.columns[name];
    };
    while (std::getline(in, line)) {
        std::vector<std::string> f = csv_fields(line);
        if (f.size() != 6) {
            L.error = "observation with " + std::to_string(f.size()) + " fields: " + line;
            return L;
        }
        const std::string& type = f[0];
        const std::string& col = f[1];
        for (int p = 0; p < 2; ++p) {
            const std::string& row = f[2 + 2 * p];
            if (row.empty()) continue;
            const double value = layout_number(f[3 + 2 * p]);
            bool is_row_type = false;
            for (const std::string& t : row_types) is_row_type = is_row_type || t == type;
            if (is_row_type) {
                if (L.rows.count(row)) {
                    L.error = "row declared twice: " + row;
                    return L;
                }
                L.row_order.push_back(row);
                L.rows[row].kind = type;
            } else if (type.empty()) {
                if (!L.rows.count(row)) {
                    L.error = "coefficient in undeclared row " + row;
                    return L;
                }
                ++L.coefficient_observations;
                if (value != 0.0)
                    column(col).coefficients[row] = value;
                else
                    column(col);
            } else if (type == "RHS" || type == "RANGE") {
                if (!L.rows.count(row)) {
                    L.error = type + " for undeclared row " + row;
                    return L;
                }
                auto& names = type == "RHS" ? L.rhs_names : L.range_names;
                bool known = false;
                for (const std::string& n : names) known = known || n == col;
                if (!known) names.push_back(col);
                if (type == "RHS") {
                    L.rows[row].rhs[col] = value;
                } else {
                    L.rows[row].has_range = true;
                    L.rows[row].range = value;
                }
            } else {
                if (L.rows.count(row)) {
                    L.error = "attribute " + type + " uses the name of a row: " + row;
                    return L;
                }
                auto it = L.attribute_rows.find(row);
                if (it != L.attribute_rows.end() && it->second != type) {
                    L.error = "attribute row " + row + " used for two types";
                    return L;
                }
                L.attribute_rows[row] = type;
                if (!L.columns.count(col)) {
                    L.error = "attribute for a column without coefficients: " + col;
                    return L;
                }
                LayoutColumn& c = column(col);
                if (type == "UPPERBD") {
                    c.upper = std::min(c.upper, value);
                } else if (type == "LOWERBD") {
                    c.lower = c.lower_given ? std::max(c.lower, value) : value;
                    c.lower_given = true;
                } else if (type == "FIXED") {
                    c.lower = c.upper = value;
                    c.fixed = c.lower_given = true;
                } else if (type == "UNRSTRCT") {
                    c.unrestricted = true;
                } else if (type == "INTEGER") {
                    c.integer = true;
                } else if (type == "BINARY") {
                    c.binary = true;
                    c.lower = 0.0;
                    c.upper = 1.0;
                } else if (type == "SOSLE" || type == "SOSEQ") {
                    if (value != 1.0) {
                        L.error = "set member with a value other than 1: " + col;
                        return L;
                    }
                    L.sos_sets[row].push_back(col);
                } else {
                    L.error = "unexpected type " + type;
                    return L;
                }
            }
        }
    }
    for (auto& [name, c] : L.columns) {
        if (c.unrestricted && !c.lower_given) c.lower = -kInf;
    }
    return L;
}

// "label: value" lines of the import summary.
inline std::map<std::string, long long> summary_numbers(const std::string& text) {
    std::map<std::string, long long> numbers;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::size_t colon = line.rfind(": ");
        if (colon == std::string::npos) continue;
        std::string label = line.substr(0, colon);
        label.erase(0, label.find_first_not_of(' '));
        char* end = nullptr;
        long long v = std::strtoll(line.c_str() + colon + 2, &end, 10);
        if (end != nullptr && *end == '\0') numbers[label] = v;
    }
    return numbers;
}

// The interval [lo, hi] the procedure gives a row's activity: its right-hand
// side b and, for a range row, the bounded logical column of the
// computational form (E: coefficient -1 for r >= 0, +1 for r < 0; L: slack
// +1; G: surplus -1; upper bound |r|).
struct Interval {
    double lo, hi;
};

inline Interval row_interval(const LayoutRow& row, const std::string& rhs_name) {
    const double b = row.rhs.count(rhs_name) ? row.rhs.at(rhs_name) : 0.0;
    const double r = std::fabs(row.range);
    if (row.kind == "LE") return row.has_range ? Interval{b - r, b} : Interval{-kInf, b};
    if (row.kind == "GE") return row.has_range ? Interval{b, b + r} : Interval{b, kInf};
    if (row.kind == "EQ") {
        if (!row.has_range) return {b, b};
        return row.range >= 0 ? Interval{b, b + r} : Interval{b - r, b};
    }
    return {-kInf, kInf};
}

}  // namespace qmlp::host::mps::testing

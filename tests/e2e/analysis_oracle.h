// analysis_oracle.h -- re-solving a small dense problem with changed prices
// or right-hand sides, the oracle of the post-optimal analyses: a basis
// reported to stay optimal over an interval must give the predicted
// objective there, and must change just beyond it.
#pragma once

#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "e2e_support.h"

namespace e2e {

// A dense problem: one objective row, then constraint rows of one type.
struct DenseProblem {
    std::string sense = "MAX";
    std::vector<std::string> columns;
    std::vector<double> prices;
    std::vector<std::string> rows;
    std::vector<std::string> types;
    std::vector<std::vector<double>> matrix;
    std::vector<double> rhs;
    // Extra variables: name and one value per row (objective first), e.g.
    // an RHSSEN column; and extra rows: id, type and one value per column.
    std::vector<std::pair<std::string, std::vector<double>>> extra_columns;
    std::vector<std::pair<std::string, std::pair<std::string, std::vector<double>>>> extra_rows;

    std::string csv() const {
        std::string s = "_ID_,_TYPE_";
        for (const auto& c : columns) s += "," + c;
        s += ",_RHS_";
        for (const auto& e : extra_columns) s += "," + e.first;
        s += "\n";
        auto num = [](double v) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "%.17g", v);
            return std::string(buf);
        };
        s += "profit," + sense;
        for (double p : prices) s += "," + num(p);
        s += ",.";
        for (const auto& e : extra_columns) s += "," + num(e.second.at(0));
        s += "\n";
        for (size_t i = 0; i < rows.size(); ++i) {
            s += rows[i] + "," + types[i];
            for (double a : matrix[i]) s += "," + num(a);
            s += "," + num(rhs[i]);
            for (const auto& e : extra_columns) s += "," + num(e.second.at(i + 1));
            s += "\n";
        }
        for (const auto& r : extra_rows) {
            s += r.first + "," + r.second.first;
            for (double a : r.second.second) s += "," + num(a);
            s += ",.";
            for (size_t k = 0; k < extra_columns.size(); ++k) s += ",.";
            s += "\n";
        }
        return s;
    }
};

// The product-mix problem of the examples.
inline DenseProblem product_mix() {
    DenseProblem p;
    p.columns = {"chairs", "tables", "desks"};
    p.prices = {30, 50, 40};
    p.rows = {"wood", "labour", "finish"};
    p.types = {"LE", "LE", "LE"};
    p.matrix = {{2, 4, 3}, {4, 3, 5}, {1, 2, 1}};
    p.rhs = {300, 360, 120};
    return p;
}

struct Solved {
    int exit_status = -1;
    double objective = std::nan("");
    std::set<std::string> basic;  // PRIMALOUT columns with _BASIC_ or _DEGEN_
    nlohmann::json doc;
    std::string log;

    // The rows of the first table named `name` (empty when none).
    const nlohmann::json& table(const std::string& name, int index = 0) const {
        static const nlohmann::json none = {{"rows", nlohmann::json::array()}};
        for (const auto& t : doc["tables"])
            if (t["name"] == name && index-- == 0) return t;
        return none;
    }
    std::vector<const nlohmann::json*> tables(const std::string& name) const {
        std::vector<const nlohmann::json*> out;
        for (const auto& t : doc["tables"])
            if (t["name"] == name) out.push_back(&t);
        return out;
    }
};

// The tables of the first table named `name` in a JSON document, index-th.
inline const nlohmann::json& table_in(const nlohmann::json& doc, const std::string& name, int index = 0) {
    static const nlohmann::json none = {{"rows", nlohmann::json::array()}};
    if (!doc.is_object() || !doc.contains("tables")) return none;
    for (const auto& t : doc["tables"])
        if (t["name"] == name && index-- == 0) return t;
    return none;
}

// A JSON cell as a number: ".I" and ".M" are the infinities, "." NaN.
inline double cell_number(const nlohmann::json& v) {
    if (v.is_number()) return v.get<double>();
    const std::string s = v.is_string() ? v.get<std::string>() : ".";
    if (s == ".I") return INFINITY;
    if (s == ".M") return -INFINITY;
    return std::nan("");
}

inline bool near(double a, double b, double tol = 1e-6) {
    return std::fabs(a - b) <= tol * std::max(1.0, std::fabs(b));
}

class AnalysisOracle : public ScratchFolder {
  protected:
    // Solves `p` with `options` on the LP statement; PRIMALOUT and every
    // table as JSON are read back.
    Solved solve(const DenseProblem& p, const std::string& options = "") {
        write("pm.csv", p.csv());
        write("program.qmlp", "LP data=pm primalout=sol " + options + ";\nRUN;\n");
        Solved s;
        const std::string q = quoted(qmlp_binary().string());
        s.exit_status =
            shell(q + " --lib " + quoted(dir_.string()) + " --json " + quoted((dir_ / "t.json").string()) + " --log " +
                  quoted((dir_ / "log").string()) + " --listing " + quoted((dir_ / "lst").string()) + " " +
                  quoted((dir_ / "program.qmlp").string()) + " </dev/null >/dev/null 2>&1");
        s.log = slurp(dir_ / "log");
        s.doc = nlohmann::json::parse(slurp(dir_ / "t.json"), nullptr, false);
        std::istringstream in(slurp(dir_ / "sol.csv"));
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            std::vector<std::string> f;
            std::stringstream ls(line);
            std::string cell;
            while (std::getline(ls, cell, ',')) f.push_back(cell);
            if (f.size() < 7) continue;
            if (f[4] == "_BASIC_" || f[4] == "_DEGEN_") s.basic.insert(f[2]);
            if (f[2] == "profit") s.objective = std::strtod(f[6].c_str(), nullptr);
        }
        return s;
    }
};

// A sparse data set as qmlp import-mps writes it, whose coefficients and
// right-hand sides can be changed one at a time.
class SparseProblem {
  public:
    explicit SparseProblem(const std::string& text) {
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            std::vector<std::string> f;
            std::stringstream cells(line);
            for (std::string cell; std::getline(cells, cell, ',');) f.push_back(cell);
            while (f.size() < 6) f.push_back("");
            lines_.push_back(f);
            if (f[0] == "MIN" || f[0] == "MAX") objective_ = f[2];
            if (f[0] == "RHS" && rhs_.empty()) rhs_ = f[1];
        }
    }
    const std::string& objective() const { return objective_; }

    // The structural columns (in order of first appearance) and the
    // constraint rows.
    std::vector<std::string> columns() const {
        std::vector<std::string> out;
        for (const auto& f : lines_)
            if (f[0].empty() && !f[1].empty() && (out.empty() || out.back() != f[1])) out.push_back(f[1]);
        return out;
    }
    std::vector<std::string> constraint_rows() const {
        std::vector<std::string> out;
        for (const auto& f : lines_)
            if (f[0] == "LE" || f[0] == "GE" || f[0] == "EQ") out.push_back(f[2]);
        return out;
    }
    SparseProblem with_line(const std::vector<std::string>& f) const {
        SparseProblem p = *this;
        p.lines_.push_back(f);
        return p;
    }
    const std::string& rhs_name() const { return rhs_; }

    double value(const std::string& type, const std::string& column, const std::string& row) const {
        for (const auto& f : lines_)
            for (int k : {2, 4})
                if (f[0] == type && f[1] == column && f[k] == row) return std::strtod(f[k + 1].c_str(), nullptr);
        return 0.0;
    }
    double rhs(const std::string& row) const { return value("RHS", rhs_, row); }

    SparseProblem with(const std::string& type, const std::string& column, const std::string& row, double v) const {
        SparseProblem p = *this;
        char text[64];
        std::snprintf(text, sizeof text, "%.17g", v);
        for (auto& f : p.lines_)
            for (int k : {2, 4})
                if (f[0] == type && f[1] == column && f[k] == row) {
                    f[k + 1] = text;
                    return p;
                }
        p.lines_.push_back({type, column, row, text, "", "."});
        return p;
    }
    SparseProblem with_price(const std::string& column, double v) const { return with("", column, objective_, v); }
    SparseProblem with_rhs(const std::string& row, double v) const { return with("RHS", rhs_, row, v); }

    std::string csv() const {
        std::string out;
        for (const auto& f : lines_) {
            for (size_t k = 0; k < f.size(); ++k) out += (k ? "," : "") + f[k];
            out += "\n";
        }
        return out;
    }

  private:
    std::vector<std::vector<std::string>> lines_;
    std::string objective_, rhs_;
};

struct SparseSolve {
    nlohmann::json doc;
    std::set<std::string> basic;
    std::map<std::string, double> value, price;
    std::set<std::string> logical;  // slack and surplus columns
    double objective = std::nan("");
};

class SparseOracle : public ScratchFolder {
  protected:
    SparseSolve solve(const SparseProblem& p, const std::string& options) {
        write("p.csv", p.csv());
        fs::remove(dir_ / "sol.csv");
        write("program.qmlp", "LP data=p sparsedata primalout=sol " + options + ";\nRUN;\n");
        shell(quoted(qmlp_binary().string()) + " --lib " + quoted(dir_.string()) + " --json " +
              quoted((dir_ / "t.json").string()) + " " + quoted((dir_ / "program.qmlp").string()) +
              " </dev/null >/dev/null 2>&1");
        SparseSolve s;
        s.doc = nlohmann::json::parse(slurp(dir_ / "t.json"), nullptr, false);
        std::istringstream in(slurp(dir_ / "sol.csv"));
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            std::vector<std::string> f;
            std::stringstream cells(line);
            for (std::string cell; std::getline(cells, cell, ',');) f.push_back(cell);
            if (f.size() < 10) continue;
            if (f[4] == "_BASIC_" || f[4] == "_DEGEN_") s.basic.insert(f[2]);
            s.value[f[2]] = std::strtod(f[6].c_str(), nullptr);
            s.price[f[2]] = std::strtod(f[8].c_str(), nullptr);
            if (f[3] == "SLACK" || f[3] == "SURPLUS") s.logical.insert(f[2]);
            if (f[2] == p.objective()) s.objective = s.value[f[2]];
        }
        return s;
    }
};

}  // namespace e2e

// analysis_oracle.h -- re-solving a small dense problem with changed prices
// or right-hand sides, the oracle of the post-optimal analyses: a basis
// reported to stay optimal over an interval must give the predicted
// objective there, and must change just beyond it.
#pragma once

#include <cmath>
#include <set>
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

}  // namespace e2e

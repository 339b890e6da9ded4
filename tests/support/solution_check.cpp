// solution_check.cpp -- the independent check of PRIMALOUT and DUALOUT.
#include "solution_check.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <sstream>

namespace randlp {
namespace {

// What counts as zero for a reduced cost, relative to the largest dual terms
// of the problem: below the phases' own optimality tolerance.
constexpr double kDualNoise = 1e-11;

std::vector<std::string> split_csv_line(const std::string& line) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (size_t k = 0; k < line.size(); ++k) {
        const char ch = line[k];
        if (quoted) {
            if (ch == '"' && k + 1 < line.size() && line[k + 1] == '"')
                cell += '"', ++k;
            else if (ch == '"')
                quoted = false;
            else
                cell += ch;
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            cells.push_back(cell);
            cell.clear();
        } else if (ch != '\r') {
            cell += ch;
        }
    }
    cells.push_back(cell);
    return cells;
}

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return "";
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// A bound as qmlp writes it: the largest double stands for no bound.
double as_bound(double v) {
    if (v >= 1e300) return kInf;
    if (v <= -1e300) return -kInf;
    return v;
}

struct Failures {
    std::ostringstream text;
    bool any = false;
    template <typename... Parts>
    void add(const Parts&... parts) {
        any = true;
        (text << ... << parts) << '\n';
    }
};

}  // namespace

int Table::column(const std::string& name) const {
    for (size_t k = 0; k < names.size(); ++k)
        if (names[k] == name) return static_cast<int>(k);
    return -1;
}

bool read_table(const std::filesystem::path& file, Table* out, std::string* error) {
    std::ifstream in(file);
    if (!in) {
        *error = "cannot open " + file.string();
        return false;
    }
    std::string line;
    if (!std::getline(in, line)) {
        *error = file.string() + " is empty";
        return false;
    }
    for (std::string name : split_csv_line(line)) {
        const auto dollar = name.find('$');
        out->names.push_back(dollar == std::string::npos ? name : name.substr(0, dollar));
    }
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::vector<std::string> cells = split_csv_line(line);
        if (cells.size() != out->names.size()) {
            *error = file.string() + ": a row of the wrong width: " + line;
            return false;
        }
        for (std::string& c : cells) c = trim(c);
        out->rows.push_back(std::move(cells));
    }
    return true;
}

double cell_number(const std::string& text) {
    if (text.empty() || text[0] == '.') return std::numeric_limits<double>::quiet_NaN();
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end != nullptr && *end == '\0' ? v : std::numeric_limits<double>::quiet_NaN();
}

CheckResult check_solution(const Problem& p, const std::filesystem::path& primalout,
                           const std::filesystem::path& dualout, double tol) {
    CheckResult result;
    Failures fail;
    Table primal, dual;
    std::string error;
    if (!read_table(primalout, &primal, &error) || !read_table(dualout, &dual, &error)) {
        result.ok = false;
        result.failures = error;
        return result;
    }
    const int n = p.columns();
    const int m = static_cast<int>(p.rows.size());
    const double s = p.maximise ? 1.0 : -1.0;

    // Primal values, bounds as written, and reduced costs of the structural columns.
    std::vector<double> x(n, std::nan("")), rcost(n, std::nan(""));
    const int var = primal.column("_VAR_"), value = primal.column("_VALUE_"), rc = primal.column("_R_COST_");
    const int lb = primal.column("_LBOUND_"), ub = primal.column("_UBOUND_");
    if (var < 0 || value < 0 || rc < 0 || lb < 0 || ub < 0) fail.add("PRIMALOUT lacks a variable");
    for (const auto& row : primal.rows) {
        if (var < 0 || value < 0 || rc < 0) break;
        const std::string& name = row[var];
        if (name.size() < 2 || name[0] != 'x') continue;
        const int j = std::atoi(name.c_str() + 1) - 1;
        if (j < 0 || j >= n) continue;
        x[j] = cell_number(row[value]);
        rcost[j] = cell_number(row[rc]);
        const double written_lower = as_bound(cell_number(row[lb])), written_upper = as_bound(cell_number(row[ub]));
        if (written_lower != p.lower[j] || written_upper != p.upper[j])
            fail.add("x", j + 1, ": bounds written [", written_lower, ", ", written_upper, "], data [", p.lower[j],
                     ", ", p.upper[j], "]");
    }
    std::vector<double> y(m, std::nan(""));
    const int rid = dual.column("_ROW_ID_"), dv = dual.column("_DUAL_");
    if (rid < 0 || dv < 0) fail.add("DUALOUT lacks a variable");
    for (const auto& row : dual.rows) {
        if (rid < 0 || dv < 0) break;
        const std::string& name = row[rid];
        if (name.size() < 2 || name[0] != 'r') continue;
        const int i = std::atoi(name.c_str() + 1) - 1;
        if (i >= 0 && i < m) y[i] = cell_number(row[dv]);
    }
    for (int j = 0; j < n; ++j)
        if (std::isnan(x[j])) fail.add("x", j + 1, ": no value in PRIMALOUT");
    for (int i = 0; i < m; ++i)
        if (std::isnan(y[i])) fail.add("r", i + 1, ": no dual in DUALOUT");
    if (fail.any) {
        result.ok = false;
        result.failures = fail.text.str();
        return result;
    }

    // Primal feasibility.
    auto near = [&](double a, double b, double scale) { return std::fabs(a - b) <= tol * std::max(1.0, scale); };
    std::vector<bool> column_at_lower(n), column_at_upper(n);
    for (int j = 0; j < n; ++j) {
        const double l = p.lower[j], u = p.upper[j];
        if (std::isfinite(l) && x[j] < l - tol * std::max(1.0, std::fabs(l)))
            fail.add("x", j + 1, " = ", x[j], " below its lower bound ", l);
        if (std::isfinite(u) && x[j] > u + tol * std::max(1.0, std::fabs(u)))
            fail.add("x", j + 1, " = ", x[j], " above its upper bound ", u);
        column_at_lower[j] = std::isfinite(l) && near(x[j], l, std::fabs(l));
        column_at_upper[j] = std::isfinite(u) && near(x[j], u, std::fabs(u));
    }
    // The rows are measured at the point moved onto its bounds: a column a
    // hair outside a bound, which passes above, can carry a row with large
    // entries far off its right-hand side, and the point on the bound is
    // the one a user would take.
    std::vector<double> point(x);
    for (int j = 0; j < n; ++j) {
        if (std::isfinite(p.upper[j])) point[j] = std::min(point[j], p.upper[j]);
        if (std::isfinite(p.lower[j])) point[j] = std::max(point[j], p.lower[j]);
    }
    std::vector<bool> row_at_lower(m), row_at_upper(m);
    for (int i = 0; i < m; ++i) {
        const Row& r = p.rows[i];
        double activity = 0.0, size = 0.0;
        for (int j = 0; j < n; ++j) activity += r.a[j] * point[j], size += std::fabs(r.a[j] * point[j]);
        const double lo = r.lower(), hi = r.upper();
        const double scale =
            std::max({size, std::isfinite(lo) ? std::fabs(lo) : 0.0, std::isfinite(hi) ? std::fabs(hi) : 0.0});
        if (std::isfinite(lo) && activity < lo - tol * std::max(1.0, scale))
            fail.add("r", i + 1, ": activity ", activity, " below ", lo);
        if (std::isfinite(hi) && activity > hi + tol * std::max(1.0, scale))
            fail.add("r", i + 1, ": activity ", activity, " above ", hi);
        row_at_lower[i] = std::isfinite(lo) && near(activity, lo, scale);
        row_at_upper[i] = std::isfinite(hi) && near(activity, hi, scale);
    }

    // Dual feasibility and complementary slackness.
    double largest_c = 1.0;
    for (double cj : p.c) largest_c = std::max(largest_c, std::fabs(cj));
    std::vector<double> column_terms(n);
    double largest_terms = 0.0;
    for (int j = 0; j < n; ++j) {
        double terms = std::fabs(p.c[j]);
        for (int i = 0; i < m; ++i) terms += std::fabs(y[i] * p.rows[i].a[j]);
        largest_terms = std::max(largest_terms, terms);
    }
    for (int j = 0; j < n; ++j) {
        double d = p.c[j], size = std::fabs(p.c[j]);
        for (int i = 0; i < m; ++i) d -= y[i] * p.rows[i].a[j], size += std::fabs(y[i] * p.rows[i].a[j]);
        column_terms[j] = size;
        // Relative to the terms of the sum: a reduced cost that is the whole
        // of its only term is not rounding noise however small it is, and
        // along a long edge it moves the objective.  Only what is below the
        // rounding noise of the largest dual terms of the problem is zero.
        const double dt = tol * size + kDualNoise * largest_terms;
        if (!near(rcost[j], d, size)) fail.add("x", j + 1, ": reduced cost written ", rcost[j], ", c - A'y = ", d);
        const bool lower = column_at_lower[j], upper = column_at_upper[j];
        if (!lower && !upper && std::fabs(d) > dt) fail.add("x", j + 1, " between its bounds with reduced cost ", d);
        if (lower && !upper && s * d > dt) fail.add("x", j + 1, " at its lower bound with reduced cost ", d);
        if (upper && !lower && s * d < -dt) fail.add("x", j + 1, " at its upper bound with reduced cost ", d);
    }
    // A dual meets the reduced costs of the columns its row appears in: its
    // rounding error is relative to the terms of those sums.
    for (int i = 0; i < m; ++i) {
        double row_size = 0.0, terms = largest_c;
        for (int j = 0; j < n; ++j) {
            if (p.rows[i].a[j] == 0.0) continue;
            row_size = std::max(row_size, std::fabs(p.rows[i].a[j]));
            terms = std::max(terms, column_terms[j]);
        }
        const double yt = tol * terms / std::max(row_size, 1e-300);
        const bool lower = row_at_lower[i], upper = row_at_upper[i];
        if (!lower && !upper && std::fabs(y[i]) > yt) fail.add("r", i + 1, " inside its interval with dual ", y[i]);
        if (upper && !lower && s * y[i] < -yt) fail.add("r", i + 1, " at its upper end with dual ", y[i]);
        if (lower && !upper && s * y[i] > yt) fail.add("r", i + 1, " at its lower end with dual ", y[i]);
    }

    for (int j = 0; j < n; ++j) result.objective += p.c[j] * x[j];
    result.ok = !fail.any;
    result.failures = fail.text.str();
    return result;
}

}  // namespace randlp

// random_lp.cpp -- generating and writing the random LPs.
#include "random_lp.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>

namespace randlp {
namespace {

// The standard distributions may differ between library versions; these
// use only the generator's raw output, so a seed names one problem forever.
class Draw {
  public:
    explicit Draw(uint64_t seed) : engine_(seed * 0x9E3779B97F4A7C15ull + 12345) {}
    double unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }  // [0, 1)
    double between(double lo, double hi) { return lo + (hi - lo) * unit(); }
    int integer(int lo, int hi) { return lo + static_cast<int>(unit() * (hi - lo + 1)); }  // [lo, hi]
    bool chance(double p) { return unit() < p; }
    double sign() { return chance(0.5) ? 1.0 : -1.0; }
    // A magnitude of 10^u, u uniform in [lo, hi], rounded to 4 significant
    // digits so that the data stays readable.
    double magnitude(double lo, double hi) {
        const double v = std::pow(10.0, between(lo, hi));
        char text[32];
        std::snprintf(text, sizeof text, "%.4g", v);
        return std::strtod(text, nullptr);
    }

  private:
    std::mt19937_64 engine_;
};

double round4(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", v);
    return std::strtod(text, nullptr);
}

}  // namespace

double Row::lower() const {
    const double r = std::fabs(range);
    switch (kind) {
        case RowKind::Le: return range != 0.0 ? rhs - r : -kInf;
        case RowKind::Ge: return rhs;
        case RowKind::Eq: return range < 0.0 ? rhs - r : rhs;
    }
    return rhs;
}

double Row::upper() const {
    const double r = std::fabs(range);
    switch (kind) {
        case RowKind::Le: return rhs;
        case RowKind::Ge: return range != 0.0 ? rhs + r : kInf;
        case RowKind::Eq: return range > 0.0 ? rhs + r : rhs;
    }
    return rhs;
}

Problem generate(uint64_t seed) {
    Draw d(seed);
    Problem p;
    p.seed = seed;
    const int m = d.integer(4, 9);
    const int n = d.integer(4, 9);
    p.maximise = d.chance(0.5);
    // Two kinds of bad scaling: entries of unrelated sizes, or row and
    // column factors far apart (which scaling can undo).
    const bool factored = d.chance(0.5);
    std::vector<double> row_factor(m), column_factor(n);
    for (double& f : row_factor) f = d.magnitude(-2.0, 3.0);
    for (double& f : column_factor) f = d.magnitude(-2.0, 3.0);
    auto entry = [&](int i, int j) {
        if (factored) return round4(d.sign() * d.magnitude(-1.0, 1.0) * row_factor[i] * column_factor[j]);
        return d.sign() * d.magnitude(-4.0, 6.0);
    };

    p.c.resize(n);
    p.lower.assign(n, 0.0);
    p.upper.assign(n, kInf);
    std::vector<double> point(n);
    for (int j = 0; j < n; ++j) {
        p.c[j] = d.chance(0.15) ? 0.0 : d.sign() * d.magnitude(-3.0, 4.0);
        const double kind = d.unit();
        const double size = d.magnitude(-2.0, 3.0);
        if (kind < 0.35) {
            // [0, inf)
        } else if (kind < 0.6) {
            p.upper[j] = size;
        } else if (kind < 0.72) {
            p.lower[j] = -size;
        } else if (kind < 0.85) {
            p.lower[j] = -size;
            p.upper[j] = d.magnitude(-2.0, 3.0);
        } else {
            p.lower[j] = -kInf;
        }
        // A point inside the bounds around which the rows are built.
        const double lo = std::isfinite(p.lower[j]) ? p.lower[j] : -size;
        const double hi = std::isfinite(p.upper[j]) ? p.upper[j] : lo + 2.0 * size;
        point[j] = round4(d.between(lo, hi));
    }

    const bool push_off = d.chance(0.1);
    for (int i = 0; i < m; ++i) {
        Row row;
        row.a.assign(n, 0.0);
        int count = 0;
        for (int j = 0; j < n; ++j)
            if (d.chance(0.6)) row.a[j] = entry(i, j), ++count;
        if (count == 0) row.a[d.integer(0, n - 1)] = entry(i, 0);
        double activity = 0.0, size = 0.0;
        for (int j = 0; j < n; ++j) activity += row.a[j] * point[j], size += std::fabs(row.a[j] * point[j]);
        const double kind = d.unit();
        row.kind = kind < 0.4 ? RowKind::Le : kind < 0.8 ? RowKind::Ge : RowKind::Eq;
        const double slack = d.chance(0.3) ? 0.0 : d.between(0.0, 0.5) * (size > 0.0 ? size : 1.0);
        double rhs = row.kind == RowKind::Le ? activity + slack : row.kind == RowKind::Ge ? activity - slack : activity;
        if (push_off && i == 0) rhs += (row.kind == RowKind::Ge ? 1.0 : -1.0) * (size + 1.0) * 10.0;
        row.rhs = round4(rhs);
        if (d.chance(0.25)) {
            row.range = round4(d.between(0.1, 1.0) * (size > 0.0 ? size : 1.0));
            if (row.kind == RowKind::Eq && d.chance(0.5)) row.range = -row.range;
        } else {
            row.range = 0.0;
        }
        p.rows.push_back(row);
    }
    // Every column must appear in some row, so that both readers of the
    // problem agree on which columns exist.
    for (int j = 0; j < n; ++j) {
        bool used = false;
        for (const Row& row : p.rows) used = used || row.a[j] != 0.0;
        if (!used) p.rows[d.integer(0, m - 1)].a[j] = entry(0, j);
    }
    return p;
}

Problem generate_independent(uint64_t seed) {
    // A stream of its own: seed k of this family is not seed k of the other.
    Draw d(seed ^ 0x5DEECE66Dull);
    Problem p;
    p.seed = seed;
    const int m = d.integer(4, 9);
    const int n = d.integer(4, 9);
    auto magnitude = [&] {
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", std::pow(10.0, d.between(-4.0, 6.0)));
        return std::strtod(text, nullptr);
    };
    p.c.resize(n);
    for (double& c : p.c) c = magnitude();
    p.lower.assign(n, 0.0);
    p.upper.assign(n, kInf);
    for (int i = 0; i < m; ++i) {
        Row row;
        row.a.assign(n, 0.0);
        bool any = false;
        for (double& a : row.a)
            if (d.chance(0.7)) a = magnitude(), any = true;
        if (!any) row.a[d.integer(0, n - 1)] = magnitude();
        const double kind = d.unit();
        row.kind = kind < 0.7 ? RowKind::Ge : kind < 0.85 ? RowKind::Eq : RowKind::Le;
        row.rhs = magnitude();
        row.range = 0.0;
        p.rows.push_back(row);
    }
    for (int j = 0; j < n; ++j) {
        bool used = false;
        for (const Row& row : p.rows) used = used || row.a[j] != 0.0;
        if (!used) p.rows[d.integer(0, m - 1)].a[j] = magnitude();
    }
    return p;
}

std::string exact(double v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", v);
    return text;
}

std::string dense_csv(const Problem& p) {
    const int n = p.columns();
    std::ostringstream out;
    out << "_ID_,_TYPE_";
    for (int j = 0; j < n; ++j) out << ",x" << j + 1;
    out << ",_RHS_,_RANGE_\n";
    auto line = [&](const std::string& id, const std::string& type, auto value, const std::string& rhs,
                    const std::string& range) {
        out << id << ',' << type;
        for (int j = 0; j < n; ++j) out << ',' << value(j);
        out << ',' << rhs << ',' << range << '\n';
    };
    line(
        "obj", p.maximise ? "MAX" : "MIN", [&](int j) { return exact(p.c[j]); }, ".", ".");
    for (size_t i = 0; i < p.rows.size(); ++i) {
        const Row& r = p.rows[i];
        const char* type = r.kind == RowKind::Le ? "LE" : r.kind == RowKind::Ge ? "GE" : "EQ";
        line(
            "r" + std::to_string(i + 1), type, [&](int j) { return exact(r.a[j]); }, exact(r.rhs),
            r.range != 0.0 ? exact(r.range) : std::string("."));
    }
    bool any_upper = false, any_lower = false, any_free = false;
    for (int j = 0; j < n; ++j) {
        any_upper = any_upper || std::isfinite(p.upper[j]);
        any_lower = any_lower || (std::isfinite(p.lower[j]) && p.lower[j] != 0.0);
        any_free = any_free || !std::isfinite(p.lower[j]);
    }
    auto bound = [](double v) { return std::isfinite(v) ? exact(v) : std::string("."); };
    if (any_upper)
        line(
            "ub", "UPPERBD", [&](int j) { return bound(p.upper[j]); }, ".", ".");
    if (any_lower)
        line(
            "lb", "LOWERBD", [&](int j) { return p.lower[j] != 0.0 ? bound(p.lower[j]) : std::string("."); }, ".", ".");
    if (any_free)
        line(
            "free", "UNRSTRCT", [&](int j) { return std::isfinite(p.lower[j]) ? std::string(".") : "1"; }, ".", ".");
    return out.str();
}

std::string free_mps(const Problem& p) {
    const int n = p.columns();
    std::ostringstream out;
    out << "NAME rlp" << p.seed << "\nROWS\n N obj\n";
    for (size_t i = 0; i < p.rows.size(); ++i) {
        const Row& r = p.rows[i];
        out << ' ' << (r.kind == RowKind::Le ? 'L' : r.kind == RowKind::Ge ? 'G' : 'E') << " r" << i + 1 << '\n';
    }
    out << "COLUMNS\n";
    for (int j = 0; j < n; ++j) {
        if (p.c[j] != 0.0) out << " x" << j + 1 << " obj " << exact(p.c[j]) << '\n';
        for (size_t i = 0; i < p.rows.size(); ++i)
            if (p.rows[i].a[j] != 0.0) out << " x" << j + 1 << " r" << i + 1 << ' ' << exact(p.rows[i].a[j]) << '\n';
    }
    out << "RHS\n";
    for (size_t i = 0; i < p.rows.size(); ++i)
        if (p.rows[i].rhs != 0.0) out << " RHS r" << i + 1 << ' ' << exact(p.rows[i].rhs) << '\n';
    out << "RANGES\n";
    for (size_t i = 0; i < p.rows.size(); ++i)
        if (p.rows[i].range != 0.0) out << " RNG r" << i + 1 << ' ' << exact(p.rows[i].range) << '\n';
    out << "BOUNDS\n";
    for (int j = 0; j < n; ++j) {
        const std::string x = " x" + std::to_string(j + 1);
        if (!std::isfinite(p.lower[j]) && !std::isfinite(p.upper[j])) {
            out << " FR BND" << x << '\n';
            continue;
        }
        if (!std::isfinite(p.lower[j]))
            out << " MI BND" << x << '\n';
        else if (p.lower[j] != 0.0)
            out << " LO BND" << x << ' ' << exact(p.lower[j]) << '\n';
        if (std::isfinite(p.upper[j])) out << " UP BND" << x << ' ' << exact(p.upper[j]) << '\n';
    }
    out << "ENDATA\n";
    return out.str();
}

}  // namespace randlp

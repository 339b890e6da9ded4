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

double round6(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
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

namespace {

// How the entries of a problem of the third family are drawn.
enum class EntryStyle {
    kWide,      // magnitudes from 1e-6 to 1e7 side by side in one row
    kWhole,     // small whole numbers: textbook models, degenerate vertices
    kModerate,  // 0.1 to 10
    kFactored,  // moderate entries under row and column factors far apart
};

// The point a varied problem's rows are built around: inside the bounds,
// and for a degenerate problem on a bound wherever the column has one, so
// that rows tight at the point meet at one vertex.
double varied_point(Draw& d, double lower, double upper, bool degenerate, bool whole) {
    const bool has_lower = std::isfinite(lower), has_upper = std::isfinite(upper);
    if (degenerate && (has_lower || has_upper) && d.chance(0.7)) {
        if (has_lower && has_upper) return d.chance(0.5) ? lower : upper;
        return has_lower ? lower : upper;
    }
    const double lo = has_lower ? lower : (has_upper ? upper - 10.0 : -10.0);
    const double hi = has_upper ? upper : lo + 20.0;
    const double v = d.between(lo, hi);
    if (!whole) return round4(v);
    return std::floor(v) >= lo ? std::floor(v) : std::ceil(v);
}

}  // namespace

Problem generate_varied(uint64_t seed) {
    Draw d(seed ^ 0x2545F4914F6CDD1Dull);
    Problem p;
    p.seed = seed;
    auto size = [&] {
        const double u = d.unit();
        return u < 0.5 ? d.integer(2, 9) : u < 0.85 ? d.integer(10, 19) : d.integer(20, 30);
    };
    const int m = size();
    const int n = size();
    p.maximise = d.chance(0.5);

    // The mixture of this seed.
    const double style_draw = d.unit();
    const EntryStyle style = style_draw < 0.35  ? EntryStyle::kWide
                             : style_draw < 0.6 ? EntryStyle::kWhole
                             : style_draw < 0.8 ? EntryStyle::kModerate
                                                : EntryStyle::kFactored;
    const bool whole = style == EntryStyle::kWhole;
    const double negative_share = d.chance(0.3) ? 0.0 : d.between(0.1, 0.5);
    const double density = d.between(std::min(0.9, 2.5 / n), 0.9);
    const bool equation_heavy = d.chance(0.25);
    const bool degenerate = d.chance(0.35);
    const bool ranged = d.chance(0.4);
    const bool independent_rhs = d.chance(0.15);
    std::vector<double> row_factor(m), column_factor(n);
    for (double& f : row_factor) f = d.magnitude(-3.0, 3.0);
    for (double& f : column_factor) f = d.magnitude(-3.0, 3.0);
    auto entry = [&](int i, int j) {
        const double sign = d.chance(negative_share) ? -1.0 : 1.0;
        switch (style) {
            case EntryStyle::kWide: return sign * round6(std::pow(10.0, d.between(-6.0, 7.0)));
            case EntryStyle::kWhole: return sign * d.integer(1, 9);
            case EntryStyle::kModerate: return sign * round4(d.between(0.1, 10.0));
            case EntryStyle::kFactored: break;
        }
        return round4(sign * d.magnitude(-1.0, 1.0) * row_factor[i] * column_factor[j]);
    };

    // Costs: often zero, now and then all of them (a feasibility problem).
    const bool no_objective = d.chance(0.04);
    const double zero_cost_share = d.chance(0.2) ? 0.6 : 0.15;
    const double negative_cost_share = d.between(0.0, 0.5);
    p.c.assign(n, 0.0);
    for (double& c : p.c) {
        if (no_objective || d.chance(zero_cost_share)) continue;
        const double sign = d.chance(negative_cost_share) ? -1.0 : 1.0;
        c = whole                       ? sign * d.integer(1, 20)
            : style == EntryStyle::kWide ? sign * round6(std::pow(10.0, d.between(-4.0, 5.0)))
                                        : sign * d.magnitude(-2.0, 3.0);
    }

    // Bounds of every kind, and the point inside them.
    p.lower.assign(n, 0.0);
    p.upper.assign(n, kInf);
    std::vector<double> point(n);
    auto bound_size = [&] { return whole ? static_cast<double>(d.integer(1, 20)) : d.magnitude(-2.0, 3.0); };
    for (int j = 0; j < n; ++j) {
        const double kind = d.unit();
        if (kind < 0.4) {
            // [0, inf)
        } else if (kind < 0.55) {
            p.upper[j] = bound_size();
        } else if (kind < 0.65) {
            p.lower[j] = -bound_size();
        } else if (kind < 0.75) {
            p.lower[j] = -bound_size();
            p.upper[j] = bound_size();
        } else if (kind < 0.87) {
            p.lower[j] = -kInf;
        } else if (kind < 0.92) {
            p.lower[j] = -kInf;
            p.upper[j] = d.chance(0.5) ? bound_size() : -bound_size();
        } else if (kind < 0.96) {
            p.lower[j] = p.upper[j] = d.chance(0.3) ? 0.0 : d.sign() * bound_size();
        } else {
            p.lower[j] = bound_size();
            if (d.chance(0.5)) p.upper[j] = p.lower[j] + bound_size();
        }
        point[j] = varied_point(d, p.lower[j], p.upper[j], degenerate, whole);
    }

    const double equation_share = equation_heavy ? 0.7 : 0.15;
    for (int i = 0; i < m; ++i) {
        Row row;
        row.a.assign(n, 0.0);
        int count = 0;
        for (int j = 0; j < n; ++j)
            if (d.chance(density)) row.a[j] = entry(i, j), ++count;
        if (count == 0) {
            const int j = d.integer(0, n - 1);
            row.a[j] = entry(i, j);
        }
        double activity = 0.0, size = 0.0;
        for (int j = 0; j < n; ++j) activity += row.a[j] * point[j], size += std::fabs(row.a[j] * point[j]);
        const double kind = d.unit();
        row.kind = kind < equation_share                               ? RowKind::Eq
                   : kind < equation_share + (1 - equation_share) / 2 ? RowKind::Le
                                                                      : RowKind::Ge;
        const double scale = size > 0.0 ? size : 1.0;
        double slack = d.chance(degenerate ? 0.8 : 0.3) ? 0.0 : d.between(0.0, 0.5) * scale;
        if (whole) slack = std::floor(slack);
        double rhs = row.kind == RowKind::Le ? activity + slack : row.kind == RowKind::Ge ? activity - slack : activity;
        if (independent_rhs) rhs = d.sign() * d.magnitude(-2.0, 4.0);
        row.rhs = whole ? rhs : style == EntryStyle::kWide ? round6(rhs) : round4(rhs);
        row.range = 0.0;
        if (ranged && d.chance(0.3)) {
            row.range = whole ? static_cast<double>(d.integer(0, 10)) : round4(d.between(0.0, 1.0) * scale);
            if (row.kind == RowKind::Eq && d.chance(0.5)) row.range = -row.range;
        }
        p.rows.push_back(row);
    }

    // Rows repeated: exactly, scaled, or nearly parallel (one entry or the
    // right-hand side moved by a few units in the last places kept).
    if (m >= 2 && d.chance(0.3)) {
        const int copies = d.integer(1, std::max(1, m / 4));
        for (int k = 0; k < copies; ++k) {
            const int target = d.integer(1, m - 1);
            const Row& source = p.rows[d.integer(0, target - 1)];
            Row copy = source;
            const double how = d.unit();
            const double factor = how < 0.3 ? 1.0 : how < 0.6 ? std::ldexp(1.0, d.integer(-8, 8)) * d.sign()
                                                             : d.sign() * d.magnitude(-3.0, 3.0);
            for (double& a : copy.a) a = round6(a * factor);
            copy.rhs = round6(source.rhs * factor);
            copy.range = round6(source.range * std::fabs(factor));
            if (factor < 0.0) {
                if (copy.kind == RowKind::Le)
                    copy.kind = RowKind::Ge;
                else if (copy.kind == RowKind::Ge)
                    copy.kind = RowKind::Le;
                else
                    copy.range = -copy.range;
            }
            if (d.chance(0.4)) {
                const double nudge = 1.0 + d.sign() * std::pow(10.0, -d.between(3.0, 9.0));
                if (d.chance(0.5)) {
                    const int j = d.integer(0, n - 1);
                    copy.a[j] = copy.a[j] != 0.0 ? copy.a[j] * nudge : 0.0;
                } else {
                    copy.rhs = copy.rhs != 0.0 ? copy.rhs * nudge : std::pow(10.0, -d.between(3.0, 9.0));
                }
            }
            if (d.chance(0.2)) copy.kind = static_cast<RowKind>(d.integer(0, 2)), copy.range = 0.0;
            p.rows[target] = copy;
        }
    }
    // A row without entries: harmless when its right-hand side allows 0,
    // infeasible otherwise.
    if (d.chance(0.1)) {
        Row& row = p.rows[d.integer(0, m - 1)];
        row.a.assign(n, 0.0);
        row.range = 0.0;
        row.rhs = d.chance(0.7) ? 0.0 : d.sign() * d.magnitude(-2.0, 2.0);
    }
    // A column without entries: its cost and bounds alone decide whether
    // it makes the problem unbounded.
    if (d.chance(0.12)) {
        const int j = d.integer(0, n - 1);
        for (Row& row : p.rows) row.a[j] = 0.0;
    }
    // Now and then one row pushed away from the point.
    if (d.chance(0.08)) {
        Row& row = p.rows[d.integer(0, m - 1)];
        double size = 0.0;
        for (int j = 0; j < n; ++j) size += std::fabs(row.a[j] * point[j]);
        row.rhs = round6(row.rhs + (row.kind == RowKind::Le ? -1.0 : 1.0) * (size + 1.0) * d.magnitude(-1.0, 1.0));
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
        bool any = p.c[j] != 0.0;
        for (const Row& row : p.rows) any = any || row.a[j] != 0.0;
        if (p.c[j] != 0.0 || !any) out << " x" << j + 1 << " obj " << exact(p.c[j]) << '\n';
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

// random_mip.cpp -- generating, writing and enumerating the random MIPs.
#include "random_mip.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>

#include "solution_check.h"

namespace randmip {
namespace {

using randlp::exact;

// Raw generator output only, so that a seed names one problem forever.
class Draw {
  public:
    explicit Draw(uint64_t seed) : engine_(seed * 0xD1B54A32D192ED03ull + 777) {}
    double unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    int integer(int lo, int hi) { return lo + static_cast<int>(unit() * (hi - lo + 1)); }
    bool chance(double p) { return unit() < p; }
    // A multiple of 0.1 in [lo, hi].
    double tenths(double lo, double hi) { return integer(static_cast<int>(lo * 10), static_cast<int>(hi * 10)) / 10.0; }

  private:
    std::mt19937_64 engine_;
};

// Largest number of integer points a pure-integer problem may have.
constexpr double kMostPoints = 40000.0;

double domain_size(const Problem& p) {
    double points = 1.0;
    for (int j = 0; j < p.columns(); ++j)
        if (p.kind[j] != ColumnKind::Continuous) points *= p.upper[j] - p.lower[j] + 1.0;
    return points;
}

void integer_column(Draw& d, Problem& p, int j) {
    if (d.chance(0.35)) {
        p.kind[j] = ColumnKind::Binary;
        p.lower[j] = 0.0;
        p.upper[j] = 1.0;
        return;
    }
    p.kind[j] = ColumnKind::Integer;
    p.lower[j] = d.integer(-3, 2);
    p.upper[j] = p.lower[j] + d.integer(1, 4);
}

void continuous_column(Draw& d, Problem& p, int j) {
    p.kind[j] = ColumnKind::Continuous;
    const double kind = d.unit();
    if (kind < 0.3) {
        // [0, inf)
    } else if (kind < 0.6) {
        p.upper[j] = d.tenths(0.5, 8.0);
    } else if (kind < 0.85) {
        p.lower[j] = -d.tenths(0.5, 4.0);
        p.upper[j] = d.tenths(0.5, 6.0);
    } else {
        p.lower[j] = -kInf;
    }
}

// A point inside the bounds (integral for integer columns).
std::vector<double> inner_point(Draw& d, const Problem& p) {
    std::vector<double> x(p.columns());
    for (int j = 0; j < p.columns(); ++j) {
        const double lo = std::isfinite(p.lower[j]) ? p.lower[j] : -3.0;
        const double hi = std::isfinite(p.upper[j]) ? p.upper[j] : lo + 6.0;
        x[j] = p.kind[j] == ColumnKind::Continuous ? d.tenths(lo, hi)
                                                   : d.integer(static_cast<int>(lo), static_cast<int>(hi));
    }
    return x;
}

void add_rows(Draw& d, Problem& p, int m, bool decimals) {
    const int n = p.columns();
    const std::vector<double> x = inner_point(d, p);
    const bool push_off = d.chance(0.1);
    for (int i = 0; i < m; ++i) {
        Row row;
        row.a.assign(n, 0.0);
        int count = 0;
        for (int j = 0; j < n; ++j) {
            if (!d.chance(0.7)) continue;
            double a = d.integer(-9, 9);
            if (decimals && p.kind[j] == ColumnKind::Continuous) a = d.tenths(-9.0, 9.0);
            if (a == 0.0) a = 1.0;
            row.a[j] = a;
            ++count;
        }
        if (count == 0) row.a[d.integer(0, n - 1)] = d.integer(1, 5);
        double activity = 0.0;
        for (int j = 0; j < n; ++j) activity += row.a[j] * x[j];
        const double kind = d.unit();
        row.kind = kind < 0.45 ? RowKind::Le : kind < 0.85 ? RowKind::Ge : RowKind::Eq;
        double slack = d.chance(0.3) ? 0.0 : d.integer(0, 6);
        if (d.chance(0.4)) slack += 0.5;  // a fractional right-hand side
        double rhs = row.kind == RowKind::Le ? activity + slack : row.kind == RowKind::Ge ? activity - slack : activity;
        if (push_off && i == 0) rhs += row.kind == RowKind::Ge ? 40.0 : -40.0;
        row.rhs = std::round(rhs * 10.0) / 10.0;
        row.range = 0.0;
        if (d.chance(0.2)) {
            row.range = d.integer(1, 8);
            if (row.kind == RowKind::Eq && d.chance(0.5)) row.range = -row.range;
        }
        p.rows.push_back(row);
    }
    for (int j = 0; j < n; ++j) {
        bool used = false;
        for (const Row& row : p.rows) used = used || row.a[j] != 0.0;
        if (!used) p.rows[d.integer(0, m - 1)].a[j] = d.integer(1, 5);
    }
}

void objective(Draw& d, Problem& p, bool decimals) {
    p.maximise = d.chance(0.5);
    for (int j = 0; j < p.columns(); ++j) {
        if (d.chance(0.1)) continue;
        p.c[j] = decimals && d.chance(0.4) ? d.tenths(-9.0, 9.0) : d.integer(-9, 9);
    }
}

Problem empty_problem(uint64_t seed, int n) {
    Problem p;
    p.seed = seed;
    p.c.assign(n, 0.0);
    p.lower.assign(n, 0.0);
    p.upper.assign(n, kInf);
    p.kind.assign(n, ColumnKind::Integer);
    return p;
}

std::string name_of(int j) { return "x" + std::to_string(j + 1); }

const char* row_type(RowKind k) { return k == RowKind::Le ? "LE" : k == RowKind::Ge ? "GE" : "EQ"; }

bool row_holds(const Row& row, const std::vector<double>& x, double tolerance) {
    double activity = 0.0, size = 1.0;
    for (size_t j = 0; j < x.size(); ++j) activity += row.a[j] * x[j], size += std::fabs(row.a[j] * x[j]);
    return activity >= row.lower() - tolerance * size && activity <= row.upper() + tolerance * size;
}

bool sets_hold(const Problem& p, const std::vector<double>& x) {
    for (const OrderedSet& s : p.sets) {
        int away = 0;
        for (int j : s.members) away += x[j] != p.lower[j] ? 1 : 0;
        if (away > 1 || (s.equality && away != 1)) return false;
    }
    return true;
}

}  // namespace

bool Problem::enumerable() const {
    for (int j = 0; j < columns(); ++j)
        if (kind[j] == ColumnKind::Continuous || !std::isfinite(lower[j]) || !std::isfinite(upper[j])) return false;
    return true;
}

const char* ending_name(Ending e) {
    switch (e) {
        case Ending::Optimal: return "optimal";
        case Ending::Infeasible: return "infeasible";
        case Ending::Unbounded: return "unbounded";
        case Ending::Other: return "other";
    }
    return "?";
}

Problem generate(uint64_t seed) {
    Draw d(seed);
    const bool pure = d.chance(0.5);
    const int n = pure ? d.integer(3, 7) : d.integer(3, 8);
    Problem p = empty_problem(seed, n);
    int integers = 0;
    for (int j = 0; j < n; ++j) {
        if (pure || d.chance(0.55)) {
            integer_column(d, p, j);
            ++integers;
        } else {
            continuous_column(d, p, j);
        }
    }
    if (integers == 0) integer_column(d, p, 0);
    // An integer column without an upper bound now and then (mixed only).
    if (!pure && d.chance(0.15) && p.kind[0] == ColumnKind::Integer) p.upper[0] = kInf;
    while (pure && domain_size(p) > kMostPoints)
        for (int j = 0; j < n; ++j)
            if (p.upper[j] - p.lower[j] > 1.0) p.upper[j] -= 1.0;
    objective(d, p, !pure);
    add_rows(d, p, d.integer(2, 6), !pure);
    return p;
}

Problem generate_with_sets(uint64_t seed) {
    Draw d(seed + 1000003);
    const int n = d.integer(4, 7);
    Problem p = empty_problem(seed, n);
    for (int j = 0; j < n; ++j) {
        p.kind[j] = ColumnKind::Integer;
        p.lower[j] = d.chance(0.3) ? d.integer(-1, 1) : 0.0;
        p.upper[j] = p.lower[j] + d.integer(1, 3);
    }
    objective(d, p, false);
    add_rows(d, p, d.integer(2, 4), false);
    const int sets = d.integer(1, 2);
    for (int s = 0; s < sets; ++s) {
        OrderedSet set;
        set.equality = d.chance(0.5);
        for (int j = 0; j < n; ++j)
            if (d.chance(0.55)) set.members.push_back(j);
        if (set.members.size() < 2) set.members = {0, n - 1};
        p.sets.push_back(set);
    }
    return p;
}

Problem generate_fractional(uint64_t seed) {
    Problem p = generate(seed + 5000011);
    p.seed = seed;
    Draw d(seed + 900001);
    for (int j = 0; j < p.columns(); ++j) {
        if (p.kind[j] != ColumnKind::Integer) continue;
        const double shape = d.unit();
        const double out_low = d.integer(1, 9) / 10.0;
        const double out_high = d.integer(1, 9) / 10.0;
        if (shape < 0.3) {
            p.lower[j] -= out_low;  // the same whole numbers, a wider interval
        } else if (shape < 0.55) {
            if (std::isfinite(p.upper[j])) p.upper[j] += out_high;
        } else if (shape < 0.75) {
            p.lower[j] -= out_low;
            if (std::isfinite(p.upper[j])) p.upper[j] += out_high;
        } else if (shape < 0.85) {
            p.lower[j] += out_low;  // one whole number fewer
        } else if (shape < 0.9 && std::isfinite(p.upper[j])) {
            p.lower[j] = std::floor(p.lower[j]) + out_low / 2.0;  // no whole number inside
            p.upper[j] = std::floor(p.lower[j]) + 0.5 + out_high / 2.0;
        }
    }
    return p;
}

Problem whole_bounds(const Problem& p, bool* crossed) {
    Problem w = p;
    *crossed = false;
    for (int j = 0; j < w.columns(); ++j) {
        if (w.kind[j] == ColumnKind::Continuous) continue;
        if (std::isfinite(w.lower[j])) w.lower[j] = std::ceil(w.lower[j] - 1e-9);
        if (std::isfinite(w.upper[j])) w.upper[j] = std::floor(w.upper[j] + 1e-9);
        if (w.lower[j] > w.upper[j]) *crossed = true;
    }
    return w;
}

std::string dense_csv(const Problem& p) {
    const int n = p.columns();
    std::ostringstream out;
    out << "_ID_,_TYPE_";
    for (int j = 0; j < n; ++j) out << ',' << name_of(j);
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
        line(
            "r" + std::to_string(i + 1), row_type(r.kind), [&](int j) { return exact(r.a[j]); }, exact(r.rhs),
            r.range != 0.0 ? exact(r.range) : std::string("."));
    }
    auto finite = [](double v) { return std::isfinite(v) ? exact(v) : std::string("."); };
    auto any = [&](auto test) {
        for (int j = 0; j < n; ++j)
            if (test(j)) return true;
        return false;
    };
    const bool has_free = any([&](int j) { return !std::isfinite(p.lower[j]); });
    const bool has_integer = any([&](int j) { return p.kind[j] == ColumnKind::Integer; });
    const bool has_binary = any([&](int j) { return p.kind[j] == ColumnKind::Binary; });
    line(
        "ub", "UPPERBD", [&](int j) { return p.kind[j] == ColumnKind::Binary ? std::string(".") : finite(p.upper[j]); },
        ".", ".");
    line(
        "lb", "LOWERBD",
        [&](int j) { return std::isfinite(p.lower[j]) && p.lower[j] != 0.0 ? exact(p.lower[j]) : std::string("."); },
        ".", ".");
    if (has_free)
        line(
            "free", "UNRSTRCT", [&](int j) { return std::isfinite(p.lower[j]) ? std::string(".") : std::string("1"); },
            ".", ".");
    if (has_integer)
        line(
            "int", "INTEGER",
            [&](int j) { return p.kind[j] == ColumnKind::Integer ? std::string("1") : std::string("."); }, ".", ".");
    if (has_binary)
        line(
            "bin", "BINARY",
            [&](int j) { return p.kind[j] == ColumnKind::Binary ? std::string("1") : std::string("."); }, ".", ".");
    for (size_t s = 0; s < p.sets.size(); ++s) {
        const OrderedSet& set = p.sets[s];
        line(
            "s" + std::to_string(s + 1), set.equality ? "SOSEQ" : "SOSLE",
            [&](int j) {
                for (int k : set.members)
                    if (k == j) return std::string("1");
                return std::string(".");
            },
            ".", ".");
    }
    return out.str();
}

std::string sparse_csv(const Problem& p) {
    const int n = p.columns();
    std::ostringstream out;
    out << "_TYPE_,_COL_,_ROW_,_COEF_\n";
    out << (p.maximise ? "MAX" : "MIN") << ",,obj,.\n";
    for (size_t i = 0; i < p.rows.size(); ++i) out << row_type(p.rows[i].kind) << ",,r" << i + 1 << ",.\n";
    for (int j = 0; j < n; ++j) {
        if (p.c[j] != 0.0) out << ',' << name_of(j) << ",obj," << exact(p.c[j]) << '\n';
        for (size_t i = 0; i < p.rows.size(); ++i)
            if (p.rows[i].a[j] != 0.0)
                out << ',' << name_of(j) << ",r" << i + 1 << ',' << exact(p.rows[i].a[j]) << '\n';
    }
    for (size_t i = 0; i < p.rows.size(); ++i) {
        out << "RHS,_RHS_,r" << i + 1 << ',' << exact(p.rows[i].rhs) << '\n';
        if (p.rows[i].range != 0.0) out << "RANGE,_RANGE_,r" << i + 1 << ',' << exact(p.rows[i].range) << '\n';
    }
    for (int j = 0; j < n; ++j) {
        const std::string x = name_of(j);
        if (p.kind[j] == ColumnKind::Binary) {
            out << "BINARY," << x << ",bin,1\n";
            continue;
        }
        if (std::isfinite(p.upper[j])) out << "UPPERBD," << x << ",ub," << exact(p.upper[j]) << '\n';
        if (!std::isfinite(p.lower[j]))
            out << "UNRSTRCT," << x << ",free,1\n";
        else if (p.lower[j] != 0.0)
            out << "LOWERBD," << x << ",lb," << exact(p.lower[j]) << '\n';
        if (p.kind[j] == ColumnKind::Integer) out << "INTEGER," << x << ",int,1\n";
    }
    for (size_t s = 0; s < p.sets.size(); ++s)
        for (int j : p.sets[s].members)
            out << (p.sets[s].equality ? "SOSEQ," : "SOSLE,") << name_of(j) << ",s" << s + 1 << ",1\n";
    return out.str();
}

std::string free_mps(const Problem& p) {
    const int n = p.columns();
    std::ostringstream out;
    out << "NAME rmip" << p.seed << "\nROWS\n N obj\n";
    for (size_t i = 0; i < p.rows.size(); ++i) {
        const RowKind k = p.rows[i].kind;
        out << ' ' << (k == RowKind::Le ? 'L' : k == RowKind::Ge ? 'G' : 'E') << " r" << i + 1 << '\n';
    }
    out << "COLUMNS\n";
    bool in_integers = false;
    int marker = 0;
    for (int j = 0; j < n; ++j) {
        const bool integer = p.kind[j] != ColumnKind::Continuous;
        if (integer != in_integers) {
            out << " M" << ++marker << " 'MARKER' " << (integer ? "'INTORG'" : "'INTEND'") << '\n';
            in_integers = integer;
        }
        out << ' ' << name_of(j) << " obj " << exact(p.c[j]) << '\n';
        for (size_t i = 0; i < p.rows.size(); ++i)
            if (p.rows[i].a[j] != 0.0)
                out << ' ' << name_of(j) << " r" << i + 1 << ' ' << exact(p.rows[i].a[j]) << '\n';
    }
    if (in_integers) out << " M" << ++marker << " 'MARKER' 'INTEND'\n";
    out << "RHS\n";
    for (size_t i = 0; i < p.rows.size(); ++i)
        if (p.rows[i].rhs != 0.0) out << " RHS r" << i + 1 << ' ' << exact(p.rows[i].rhs) << '\n';
    out << "RANGES\n";
    for (size_t i = 0; i < p.rows.size(); ++i)
        if (p.rows[i].range != 0.0) out << " RNG r" << i + 1 << ' ' << exact(p.rows[i].range) << '\n';
    // Every bound is explicit: some readers take an integer column without
    // bounds for a binary one.
    out << "BOUNDS\n";
    for (int j = 0; j < n; ++j) {
        const std::string x = " " + name_of(j);
        if (!std::isfinite(p.lower[j]) && !std::isfinite(p.upper[j])) {
            out << " FR BND" << x << '\n';
            continue;
        }
        if (!std::isfinite(p.lower[j]))
            out << " MI BND" << x << '\n';
        else
            out << " LO BND" << x << ' ' << exact(p.lower[j]) << '\n';
        if (std::isfinite(p.upper[j]))
            out << " UP BND" << x << ' ' << exact(p.upper[j]) << '\n';
        else
            out << " PL BND" << x << '\n';
    }
    out << "ENDATA\n";
    return out.str();
}

Answer enumerate(const Problem& given) {
    bool crossed = false;
    const Problem p = whole_bounds(given, &crossed);
    const int n = p.columns();
    std::vector<double> x(p.lower);
    Answer best;
    best.ending = Ending::Infeasible;
    if (crossed) return best;
    double sign = p.maximise ? 1.0 : -1.0;
    for (;;) {
        bool feasible = sets_hold(p, x);
        for (size_t i = 0; i < p.rows.size() && feasible; ++i) feasible = row_holds(p.rows[i], x, 1e-12);
        if (feasible) {
            double z = 0.0;
            for (int j = 0; j < n; ++j) z += p.c[j] * x[j];
            if (best.ending != Ending::Optimal || sign * z > sign * best.objective) best.objective = z;
            best.ending = Ending::Optimal;
        }
        int j = 0;
        while (j < n && x[j] >= p.upper[j]) x[j] = p.lower[j], ++j;
        if (j == n) break;
        x[j] += 1.0;
    }
    return best;
}

std::string check_primal(const Problem& p, const std::filesystem::path& primalout, double* objective) {
    randlp::Table table;
    std::string error;
    if (!randlp::read_table(primalout, &table, &error)) return "PRIMALOUT: " + error;
    const int var = table.column("_VAR_");
    const int value = table.column("_VALUE_");
    if (var < 0 || value < 0) return "PRIMALOUT lacks _VAR_ or _VALUE_";
    std::map<std::string, double> values;
    for (const auto& row : table.rows) values[row[var]] = randlp::cell_number(row[value]);
    std::vector<double> x(p.columns());
    std::ostringstream why;
    const double tol = 1e-6;
    for (int j = 0; j < p.columns(); ++j) {
        const auto it = values.find(name_of(j));
        if (it == values.end()) return "PRIMALOUT lacks " + name_of(j);
        x[j] = it->second;
        const double scale = 1.0 + std::fabs(x[j]);
        if (x[j] < p.lower[j] - tol * scale || x[j] > p.upper[j] + tol * scale)
            why << name_of(j) << "=" << exact(x[j]) << " outside its bounds; ";
        if (p.kind[j] != ColumnKind::Continuous && std::fabs(x[j] - std::round(x[j])) > tol)
            why << name_of(j) << "=" << exact(x[j]) << " is not integral; ";
    }
    for (size_t i = 0; i < p.rows.size(); ++i)
        if (!row_holds(p.rows[i], x, tol)) why << "row r" << i + 1 << " violated; ";
    std::vector<double> rounded(x);
    for (int j = 0; j < p.columns(); ++j)
        if (p.kind[j] != ColumnKind::Continuous) rounded[j] = std::round(x[j]);
    if (!p.sets.empty() && !sets_hold(p, rounded)) why << "a special ordered set is violated; ";
    double z = 0.0;
    for (int j = 0; j < p.columns(); ++j) z += p.c[j] * x[j];
    *objective = z;
    return why.str();
}

}  // namespace randmip

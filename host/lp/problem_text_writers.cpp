// problem_text_writers.cpp -- LP-format and free-form MPS texts of a model.
#include "lp/problem_text_writers.h"

#include <cmath>
#include <functional>
#include <unordered_set>

#include "lp/lp_tokens.h"
#include "mps/mps_fields.h"

namespace qmlp::host::lp {

namespace {

using mps::Column;
using mps::kInfinity;
using mps::Model;
using mps::Row;
using mps::RowKind;

// Room left for a "_k" suffix within the longest name the importers accept.
constexpr std::size_t kRenamedLength = mps::kMaxNameLength - 4;
// Terms per line of an LP expression; continuation lines start with a sign.
constexpr int kTermsPerLine = 6;

// Words the LP reader takes for keywords at the start of a line or in a
// bound; a name equal to one of them is renamed.
const char* const kLpKeywords[] = {
    "minimize", "minimise", "minimum", "min",      "maximize", "maximise", "maximum", "max",
    "st",       "s.t.",     "st.",     "subject",  "such",     "bounds",   "bound",   "general",
    "generals", "gen",      "integer", "integers", "binary",   "binaries", "bin",     "semi-continuous",
    "semis",    "semi",     "sos",     "end",      "free",     "inf",      "infinity"};

std::string lower(const std::string& text) {
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool is_lp_keyword(const std::string& name) {
    const std::string word = lower(name);
    for (const char* keyword : kLpKeywords)
        if (word == keyword) return true;
    return false;
}

bool legal_in_lp(const std::string& name) {
    if (name.empty() || name.size() > mps::kMaxNameLength || !is_name_start(name[0])) return false;
    for (char c : name)
        if (!is_name_char(c)) return false;
    return !is_lp_keyword(name);
}

bool legal_in_mps(const std::string& name) {
    if (name.empty() || name.size() > mps::kMaxNameLength) return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u > 0x7e) return false;
    }
    return name[0] != '$' && name[0] != '*';
}

std::string mps_form(const std::string& name) {
    std::string out = name.substr(0, kRenamedLength);
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u > 0x7e) c = '_';
    }
    if (out.empty() || out[0] == '$' || out[0] == '*') out.insert(0, "_");
    return out;
}

// The names of one kind (rows, columns, sets) as the text writes them.
class NameTable {
  public:
    NameTable(const std::vector<std::string>& names, const std::function<bool(const std::string&)>& legal,
              const std::function<std::string(const std::string&)>& form, const char* kind,
              std::vector<std::string>& notes) {
        std::unordered_set<std::string> taken;
        for (const std::string& name : names)
            if (legal(name)) taken.insert(name);
        written_.reserve(names.size());
        for (const std::string& name : names) {
            if (legal(name)) {
                written_.push_back(name);
                continue;
            }
            const std::string base = form(name);
            std::string candidate = base;
            for (int k = 1; taken.count(candidate) > 0 || !legal(candidate); ++k) {
                candidate = base + "_" + std::to_string(k);
            }
            taken.insert(candidate);
            notes.push_back(std::string(kind) + " " + mps::quoted(name) + " written as " + candidate);
            written_.push_back(candidate);
        }
    }
    const std::string& operator[](std::size_t i) const { return written_[i]; }

  private:
    std::vector<std::string> written_;
};

std::vector<std::string> row_names(const Model& m) {
    std::vector<std::string> out;
    for (const Row& r : m.rows) out.push_back(r.name);
    return out;
}

std::vector<std::string> column_names(const Model& m) {
    std::vector<std::string> out;
    for (const Column& c : m.columns) out.push_back(c.name);
    return out;
}

// The interval of a row's activity, as the importers read it.
void row_interval(const Row& row, double rhs, double* low, double* high) {
    const RowKind kind = mps::written_kind(row);
    const bool ranged = row.has_range && row.range != 0.0;
    const double width = std::fabs(row.range);
    switch (kind) {
        case RowKind::Free: *low = -kInfinity, *high = kInfinity; return;
        case RowKind::LessEqual: *high = rhs, *low = ranged ? rhs - width : -kInfinity; return;
        case RowKind::GreaterEqual: *low = rhs, *high = ranged ? rhs + width : kInfinity; return;
        case RowKind::Equal:
            *low = *high = rhs;
            if (ranged && row.range > 0.0) *high = rhs + width;
            if (ranged && row.range < 0.0) *low = rhs - width;
            return;
    }
}

std::string number(double value) {
    if (value == kInfinity) return "inf";
    if (value == -kInfinity) return "-inf";
    return mps::format_number(value == 0.0 ? 0.0 : value);
}

// Writes " + 3 x - y" style terms, wrapping lines.
class ExpressionWriter {
  public:
    explicit ExpressionWriter(std::ostream& out) : out_(out) {}
    void term(double value, const std::string& name) {
        if (count_ > 0 && count_ % kTermsPerLine == 0) out_ << "\n  ";
        const bool negative = std::signbit(value) && value != 0.0;
        if (count_ > 0 || negative)
            out_ << (negative ? " - " : " + ");
        else
            out_ << ' ';
        const double magnitude = std::fabs(value);
        if (magnitude != 1.0) out_ << number(magnitude) << ' ';
        out_ << name;
        ++count_;
    }
    int count() const { return count_; }

  private:
    std::ostream& out_;
    int count_ = 0;
};

}  // namespace

std::string legal_lp_name(const std::string& name) {
    if (legal_in_lp(name)) return name;
    std::string out = name.substr(0, kRenamedLength);
    for (char& c : out)
        if (!is_name_char(c)) c = '_';
    if (out.empty() || !is_name_start(out[0])) out.insert(0, "_");
    if (is_lp_keyword(out)) out += '_';
    return out;
}

bool write_lp_text(const Model& m, std::ostream& out, TextWriteResult& result) {
    if (m.rhs_sets.size() > 1) {
        result.error = "the problem has " + std::to_string(m.rhs_sets.size()) +
                       " right-hand sides; an LP file holds one (write an MPS file instead)";
        return false;
    }
    for (const mps::SosSet& set : m.sos_sets) {
        if (set.exactly_one) {
            result.error = "the special ordered set " + mps::quoted(set.name) +
                           " needs exactly one nonzero member, which an LP file cannot say";
            return false;
        }
    }
    const NameTable rows(row_names(m), legal_in_lp, legal_lp_name, "row", result.notes);
    const NameTable columns(column_names(m), legal_in_lp, legal_lp_name, "column", result.notes);
    std::vector<std::string> set_names;
    for (const mps::SosSet& set : m.sos_sets) set_names.push_back(set.name);
    const NameTable sets(set_names, legal_in_lp, legal_lp_name, "set", result.notes);

    std::vector<double> rhs(m.rows.size(), 0.0);
    if (!m.rhs_sets.empty())
        for (const mps::Entry& e : m.rhs_sets[0].entries) rhs[e.index] = e.value;
    std::vector<std::vector<std::pair<int32_t, double>>> by_row(m.rows.size());
    std::vector<char> appears(m.columns.size(), 0);
    for (std::size_t j = 0; j < m.columns.size(); ++j) {
        for (const mps::Entry& e : m.columns[j].entries) {
            if (e.value == 0.0) continue;
            by_row[e.index].emplace_back(static_cast<int32_t>(j), e.value);
            appears[j] = 1;
        }
    }

    if (!m.problem_name.empty()) out << "\\ Problem: " << m.problem_name << '\n';
    out << (m.maximize ? "Maximize\n" : "Minimize\n");
    {
        out << ' ' << rows[m.objective] << ':';
        ExpressionWriter w(out);
        for (const auto& [j, value] : by_row[m.objective]) w.term(value, columns[j]);
        // A column with no coefficient anywhere still belongs to the
        // problem; a zero price keeps it.
        for (std::size_t j = 0; j < m.columns.size(); ++j)
            if (!appears[j]) w.term(0.0, columns[j]);
        // The objective is c.x - b.
        const double constant = -rhs[m.objective];
        if (constant != 0.0 || w.count() == 0) out << (constant < 0 ? " - " : " + ") << number(std::fabs(constant));
        out << '\n';
    }
    out << "Subject To\n";
    for (std::size_t i = 0; i < m.rows.size(); ++i) {
        if (static_cast<int32_t>(i) == m.objective) continue;
        double low = 0.0, high = 0.0;
        row_interval(m.rows[i], rhs[i], &low, &high);
        out << ' ' << rows[i] << ':';
        const bool range = !std::isinf(low) && !std::isinf(high) && low != high;
        if (range) out << ' ' << number(low) << " <=";
        ExpressionWriter w(out);
        for (const auto& [j, value] : by_row[i]) w.term(value, columns[j]);
        if (w.count() == 0) {
            // A row without coefficients stays a row: one zero term.
            if (m.columns.empty()) {
                result.error = "row " + mps::quoted(m.rows[i].name) + " has no column to write it with";
                return false;
            }
            w.term(0.0, columns[0]);
        }
        if (range || (std::isinf(low) && !std::isinf(high))) {
            out << " <= " << number(high);
        } else if (low == high) {
            out << " = " << number(low);
        } else {
            // Lower limit only; a free row says ">= -inf".
            out << " >= " << number(low);
        }
        out << '\n';
    }

    bool bounds_open = false;
    auto bound_line = [&](const std::string& text) {
        if (!bounds_open) out << "Bounds\n";
        bounds_open = true;
        out << ' ' << text << '\n';
    };
    for (std::size_t j = 0; j < m.columns.size(); ++j) {
        const Column& c = m.columns[j];
        if (mps::classify_column(c) == mps::ColumnClass::Binary) continue;
        const std::string& name = columns[j];
        const bool low_inf = std::isinf(c.lower), high_inf = std::isinf(c.upper);
        if (low_inf && high_inf) {
            bound_line(name + " free");
        } else if (!low_inf && !high_inf && c.lower == c.upper) {
            bound_line(name + " = " + number(c.lower));
        } else if (high_inf) {
            if (c.lower != 0.0) bound_line(name + " >= " + number(c.lower));
        } else if (c.lower == 0.0 && c.upper >= 0.0) {
            bound_line(name + " <= " + number(c.upper));
        } else {
            bound_line(number(c.lower) + " <= " + name + " <= " + number(c.upper));
        }
    }

    auto name_list = [&](const char* header, bool binary) {
        bool open = false;
        int on_line = 0;
        for (std::size_t j = 0; j < m.columns.size(); ++j) {
            const Column& c = m.columns[j];
            if (!c.integer || (mps::classify_column(c) == mps::ColumnClass::Binary) != binary) continue;
            if (!open) out << header << '\n';
            open = true;
            out << ' ' << columns[j];
            if (++on_line == kTermsPerLine * 2) {
                out << '\n';
                on_line = 0;
            }
        }
        if (on_line > 0) out << '\n';
    };
    name_list("General", false);
    name_list("Binary", true);

    if (!m.sos_sets.empty()) {
        out << "SOS\n";
        for (std::size_t s = 0; s < m.sos_sets.size(); ++s) {
            out << ' ' << sets[s] << ": S1::";
            int weight = 0;
            for (int32_t member : m.sos_sets[s].members) out << ' ' << columns[member] << ':' << ++weight;
            out << '\n';
        }
    }
    out << "End\n";
    out.flush();
    return static_cast<bool>(out);
}

bool write_mps_text(const Model& m, std::ostream& out, TextWriteResult& result) {
    if (!m.sos_sets.empty()) {
        result.error =
            "the problem has special ordered sets, which the MPS importer does not read (write an LP file "
            "instead)";
        return false;
    }
    const NameTable rows(row_names(m), legal_in_mps, mps_form, "row", result.notes);
    const NameTable columns(column_names(m), legal_in_mps, mps_form, "column", result.notes);
    // Fields are separated by tabs: a line with a tab is never taken for
    // the fixed form, so names are read whatever columns they fall in.
    const char* const t = "\t";
    out << "NAME" << t << (m.problem_name.empty() ? std::string("PROBLEM") : mps_form(m.problem_name)) << '\n';
    if (m.maximize) out << "OBJSENSE\n" << t << "MAX\n";
    out << "ROWS\n";
    // The objective first: the importer takes the first N row.
    out << t << "N" << t << rows[m.objective] << '\n';
    for (std::size_t i = 0; i < m.rows.size(); ++i) {
        if (static_cast<int32_t>(i) == m.objective) continue;
        out << t << static_cast<char>(m.rows[i].kind) << t << rows[i] << '\n';
    }
    out << "COLUMNS\n";
    bool in_integer = false;
    int marker = 0;
    for (std::size_t j = 0; j < m.columns.size(); ++j) {
        const Column& c = m.columns[j];
        if (c.integer != in_integer) {
            out << t << "M" << ++marker << t << "'MARKER'" << t << (c.integer ? "'INTORG'" : "'INTEND'") << '\n';
            in_integer = c.integer;
        }
        bool any = false;
        for (const mps::Entry& e : c.entries) {
            if (e.value == 0.0) continue;
            out << t << columns[j] << t << rows[e.index] << t << number(e.value) << '\n';
            any = true;
        }
        // A column without coefficients is declared by a zero price.
        if (!any) out << t << columns[j] << t << rows[m.objective] << t << "0\n";
    }
    if (in_integer) out << t << "M" << ++marker << t << "'MARKER'" << t << "'INTEND'\n";
    if (!m.rhs_sets.empty()) {
        out << "RHS\n";
        for (std::size_t s = 0; s < m.rhs_sets.size(); ++s) {
            const std::string set = m.rhs_sets[s].name.empty() ? "RHS" : mps_form(m.rhs_sets[s].name);
            for (const mps::Entry& e : m.rhs_sets[s].entries) {
                if (e.value != 0.0) out << t << set << t << rows[e.index] << t << number(e.value) << '\n';
            }
        }
    }
    bool ranges_open = false;
    for (std::size_t i = 0; i < m.rows.size(); ++i) {
        const Row& r = m.rows[i];
        if (!r.has_range || r.range == 0.0 || r.kind == RowKind::Free) continue;
        if (!ranges_open) out << "RANGES\n";
        ranges_open = true;
        out << t << "RANGE" << t << rows[i] << t << number(r.range) << '\n';
    }
    bool bounds_open = false;
    auto bound = [&](const char* kind, const std::string& column, const char* value) {
        if (!bounds_open) out << "BOUNDS\n";
        bounds_open = true;
        out << t << kind << t << "BOUND" << t << column;
        if (value != nullptr) out << t << value;
        out << '\n';
    };
    for (std::size_t j = 0; j < m.columns.size(); ++j) {
        const Column& c = m.columns[j];
        const std::string& name = columns[j];
        if (mps::classify_column(c) == mps::ColumnClass::Binary) {
            bound("BV", name, nullptr);
            continue;
        }
        const bool low_inf = std::isinf(c.lower), high_inf = std::isinf(c.upper);
        if (low_inf && high_inf) {
            bound("FR", name, nullptr);
        } else if (!low_inf && !high_inf && c.lower == c.upper) {
            bound("FX", name, number(c.lower).c_str());
        } else {
            if (low_inf) {
                bound("MI", name, nullptr);
            } else if (c.lower != 0.0 || (!high_inf && c.upper < 0.0)) {
                // An explicit lower bound also keeps a negative upper bound
                // from reading as "unbounded below".
                bound("LO", name, number(c.lower).c_str());
            }
            if (!high_inf) bound("UP", name, number(c.upper).c_str());
        }
    }
    out << "ENDATA\n";
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace qmlp::host::lp

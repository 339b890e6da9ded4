// dataset_problem.cpp -- reading the dense and sparse layouts into a model.
#include "export/dataset_problem.h"

#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "host_api.h"
#include "mps/mps_fields.h"

namespace qmlp::host::exporting {

namespace {

using mps::Column;
using mps::kInfinity;
using mps::Model;
using mps::Row;
using mps::RowKind;

enum class Kind {
    Coefficient,
    LessEqual,
    Equal,
    GreaterEqual,
    Upper,
    Lower,
    Basic,
    Maximize,
    Minimize,
    Unrestricted,
    PriceChange,
    Free,
    Integer,
    Binary,
    Charge,
    Fixed,
    RhsChange,
    Rhs,
    Range,
    Comment,
    SosAtMostOne,
    SosExactlyOne,
    Unknown
};

struct Keyword {
    const char* word;
    Kind kind;
};

// The dense layout matches a type value that begins with a keyword, in this
// order ("UPPERBD" is an upper-bound row, "INTEGER" an integer row).
const Keyword kDenseKeywords[] = {{"LE", Kind::LessEqual},
                                  {"<=", Kind::LessEqual},
                                  {"EQ", Kind::Equal},
                                  {"=", Kind::Equal},
                                  {"GE", Kind::GreaterEqual},
                                  {">=", Kind::GreaterEqual},
                                  {"UPPER", Kind::Upper},
                                  {"UPBD", Kind::Upper},
                                  {"LOWER", Kind::Lower},
                                  {"LOWBD", Kind::Lower},
                                  {"BASIC", Kind::Basic},
                                  {"BASE", Kind::Basic},
                                  {"MAX", Kind::Maximize},
                                  {"SUP", Kind::Maximize},
                                  {"MIN", Kind::Minimize},
                                  {"INF", Kind::Minimize},
                                  {"UNRS", Kind::Unrestricted},
                                  {"PRICESEN", Kind::PriceChange},
                                  {"COSTESEN", Kind::PriceChange},
                                  {"CSEN", Kind::PriceChange},
                                  {"SEN", Kind::PriceChange},
                                  {"FR", Kind::Free},
                                  {"INT", Kind::Integer},
                                  {"BINARY", Kind::Binary},
                                  {"CHARGE", Kind::Charge},
                                  {"FIXED", Kind::Fixed},
                                  {"SOSLE", Kind::SosAtMostOne},
                                  {"SOSEQ", Kind::SosExactlyOne}};

// The sparse layout matches the whole word, except "*" and the two set
// types, which match by their first characters.
const Keyword kSparseKeywords[] = {{"", Kind::Coefficient},
                                   {".", Kind::Coefficient},
                                   {"LE", Kind::LessEqual},
                                   {"<=", Kind::LessEqual},
                                   {"EQ", Kind::Equal},
                                   {"=", Kind::Equal},
                                   {"GE", Kind::GreaterEqual},
                                   {">=", Kind::GreaterEqual},
                                   {"UPPERBDD", Kind::Upper},
                                   {"UPPERBD", Kind::Upper},
                                   {"UPPERB", Kind::Upper},
                                   {"UPPER", Kind::Upper},
                                   {"UPBDD", Kind::Upper},
                                   {"UPBD", Kind::Upper},
                                   {"LOWERBDD", Kind::Lower},
                                   {"LOWERBD", Kind::Lower},
                                   {"LOWERB", Kind::Lower},
                                   {"LOWER", Kind::Lower},
                                   {"LOWBDD", Kind::Lower},
                                   {"LOWBD", Kind::Lower},
                                   {"BASIC", Kind::Basic},
                                   {"BASE", Kind::Basic},
                                   {"MAX", Kind::Maximize},
                                   {"MAXIMUM", Kind::Maximize},
                                   {"SUP", Kind::Maximize},
                                   {"MIN", Kind::Minimize},
                                   {"MINIMUM", Kind::Minimize},
                                   {"INF", Kind::Minimize},
                                   {"UNRSTRCT", Kind::Unrestricted},
                                   {"UNRS", Kind::Unrestricted},
                                   {"UNRST", Kind::Unrestricted},
                                   {"PRICESEN", Kind::PriceChange},
                                   {"COSTESEN", Kind::PriceChange},
                                   {"CSEN", Kind::PriceChange},
                                   {"SENCOST", Kind::PriceChange},
                                   {"SEN", Kind::PriceChange},
                                   {"FREE", Kind::Free},
                                   {"FR", Kind::Free},
                                   {"INTEGER", Kind::Integer},
                                   {"INT", Kind::Integer},
                                   {"BINARY", Kind::Binary},
                                   {"CHARGE", Kind::Charge},
                                   {"FIXED", Kind::Fixed},
                                   {"RHSSEN", Kind::RhsChange},
                                   {"RHS", Kind::Rhs},
                                   {"RANGE", Kind::Range}};

// The type value as the readers see it: upper case, leading blanks gone,
// at most 8 characters, trailing blanks gone.
std::string type_word(std::string_view text) {
    std::string word = mps::upper(mps::trim(text));
    if (word.size() > 8) word.resize(8);
    while (!word.empty() && word.back() == ' ') word.pop_back();
    return word;
}

Kind dense_kind(const std::string& word) {
    for (const Keyword& k : kDenseKeywords)
        if (word.compare(0, std::char_traits<char>::length(k.word), k.word) == 0 && !word.empty()) return k.kind;
    return Kind::Unknown;
}

Kind sparse_kind(const std::string& word) {
    if (!word.empty() && word[0] == '*') return Kind::Comment;
    if (word.compare(0, 5, "SOSLE") == 0) return Kind::SosAtMostOne;
    if (word.compare(0, 5, "SOSEQ") == 0) return Kind::SosExactlyOne;
    for (const Keyword& k : kSparseKeywords)
        if (word == k.word) return k.kind;
    return Kind::Unknown;
}

bool defines_row(Kind kind) {
    return kind == Kind::LessEqual || kind == Kind::Equal || kind == Kind::GreaterEqual || kind == Kind::Maximize ||
           kind == Kind::Minimize || kind == Kind::Free;
}

bool is_column_attribute(Kind kind) {
    return kind == Kind::Upper || kind == Kind::Lower || kind == Kind::Basic || kind == Kind::Unrestricted ||
           kind == Kind::Integer || kind == Kind::Binary || kind == Kind::Fixed;
}

// A value of the data set: nullopt-like `present` false for a missing
// value; .I and .M are the infinities.
bool numeric(double raw, double* value) {
    const int letter = missing_letter(raw);
    if (letter == 0) {
        *value = raw;
        return true;
    }
    if (letter == 'I') {
        *value = kInfinity;
        return true;
    }
    if (letter == 'M') {
        *value = -kInfinity;
        return true;
    }
    return false;
}

std::string trimmed(std::string_view text) { return std::string(mps::trim(text)); }

class Builder {
  public:
    Builder(Model& model, DatasetReport& report) : m_(model), report_(report) {}

    bool fail(std::string text) {
        if (report_.error.empty()) report_.error = std::move(text);
        return false;
    }
    void warn_once(const std::string& text) {
        if (warned_.insert(text).second) report_.warnings.push_back(text);
    }

    int32_t row(const std::string& name) {
        const int32_t found = m_.find_row(name);
        if (found >= 0) return found;
        const int32_t index = static_cast<int32_t>(m_.rows.size());
        Row r;
        r.name = name;
        r.kind = RowKind::Free;
        m_.rows.push_back(r);
        m_.row_index.emplace(name, index);
        typed_.push_back(0);
        return index;
    }
    int32_t column(const std::string& name) {
        const int32_t found = m_.find_column(name);
        if (found >= 0) return found;
        const int32_t index = static_cast<int32_t>(m_.columns.size());
        Column c;
        c.name = name;
        m_.columns.push_back(c);
        m_.column_index.emplace(name, index);
        unrestricted_.push_back(0);
        return index;
    }
    // Gives a row its kind; a second, different kind is an error.
    bool type_row(int32_t index, Kind kind, int64_t observation) {
        RowKind rk = RowKind::Free;
        if (kind == Kind::LessEqual) rk = RowKind::LessEqual;
        if (kind == Kind::GreaterEqual) rk = RowKind::GreaterEqual;
        if (kind == Kind::Equal) rk = RowKind::Equal;
        const char code = kind == Kind::Maximize ? 'X' : kind == Kind::Minimize ? 'I' : static_cast<char>(rk);
        if (typed_[index] != 0 && typed_[index] != code) {
            return fail("observation " + std::to_string(observation) + ": row " + mps::quoted(m_.rows[index].name) +
                        " is given a second, different type");
        }
        if (typed_[index] != 0) return true;
        typed_[index] = code;
        m_.rows[index].kind = rk;
        if (kind == Kind::Maximize || kind == Kind::Minimize) {
            if (m_.objective >= 0) {
                return fail("the data set has more than one objective row (" + m_.rows[m_.objective].name + ", " +
                            m_.rows[index].name + "); an MPS or LP file holds one");
            }
            m_.objective = index;
            m_.maximize = kind == Kind::Maximize;
        }
        return true;
    }
    void coefficient(int32_t row_index, int32_t column_index, double value) {
        if (value == 0.0) return;
        auto& entries = m_.columns[column_index].entries;
        for (mps::Entry& e : entries) {
            if (e.index == row_index) {
                e.value += value;
                return;
            }
        }
        entries.push_back({row_index, value});
    }
    void rhs(const std::string& set_name, int32_t row_index, double value) {
        std::size_t s = 0;
        while (s < m_.rhs_sets.size() && m_.rhs_sets[s].name != set_name) ++s;
        if (s == m_.rhs_sets.size()) m_.rhs_sets.push_back({set_name, {}});
        for (mps::Entry& e : m_.rhs_sets[s].entries) {
            if (e.index == row_index) {
                e.value = value;
                return;
            }
        }
        if (value != 0.0) m_.rhs_sets[s].entries.push_back({row_index, value});
    }
    void range(const std::string& set_name, int32_t row_index, double value) {
        m_.has_range_set = true;
        if (m_.range_set_name.empty()) m_.range_set_name = set_name;
        m_.rows[row_index].has_range = value != 0.0;
        m_.rows[row_index].range = value;
    }
    bool attribute(Kind kind, int32_t column_index, double value, int64_t observation) {
        Column& c = m_.columns[column_index];
        switch (kind) {
            case Kind::Upper: c.upper = std::min(c.upper, value); break;
            case Kind::Lower:
                c.lower = c.lower_given ? std::max(c.lower, value) : value;
                c.lower_given = true;
                break;
            case Kind::Fixed:
                c.lower = c.upper = value;
                c.lower_given = true;
                break;
            case Kind::Unrestricted: unrestricted_[column_index] = 1; break;
            case Kind::Integer:
                c.integer = true;
                warn_once("branching priorities of INTEGER and BINARY columns are left out");
                break;
            case Kind::Binary:
                c.integer = true;
                c.lower = 0.0;
                c.lower_given = true;
                c.upper = 1.0;
                warn_once("branching priorities of INTEGER and BINARY columns are left out");
                break;
            case Kind::Basic: warn_once("the starting basis (BASIC) is left out"); break;
            default: break;
        }
        (void)observation;
        return true;
    }
    bool sos_member(const std::string& set_name, bool exactly_one, int32_t column_index, double value,
                    int64_t observation) {
        if (value != 1.0) {
            return fail("observation " + std::to_string(observation) +
                        ": a special ordered set member needs the value 1");
        }
        std::size_t s = 0;
        while (s < m_.sos_sets.size() && m_.sos_sets[s].name != set_name) ++s;
        if (s == m_.sos_sets.size()) m_.sos_sets.push_back({set_name, exactly_one, {}});
        auto& members = m_.sos_sets[s].members;
        for (int32_t member : members)
            if (member == column_index) return true;
        members.push_back(column_index);
        return true;
    }
    bool finish() {
        if (m_.objective < 0) return fail("the data set has no objective row (MAX or MIN)");
        for (std::size_t j = 0; j < m_.columns.size(); ++j) {
            Column& c = m_.columns[j];
            if (unrestricted_[j] && !c.lower_given) c.lower = -kInfinity;
        }
        // The objective goes first, as both texts expect.
        if (m_.objective != 0) {
            std::vector<int32_t> order;
            order.push_back(m_.objective);
            for (int32_t i = 0; i < static_cast<int32_t>(m_.rows.size()); ++i)
                if (i != m_.objective) order.push_back(i);
            std::vector<int32_t> new_index(m_.rows.size());
            std::vector<Row> rows;
            for (std::size_t k = 0; k < order.size(); ++k) {
                new_index[order[k]] = static_cast<int32_t>(k);
                rows.push_back(m_.rows[order[k]]);
            }
            m_.rows = std::move(rows);
            m_.row_index.clear();
            for (std::size_t i = 0; i < m_.rows.size(); ++i)
                m_.row_index.emplace(m_.rows[i].name, static_cast<int32_t>(i));
            for (Column& c : m_.columns)
                for (mps::Entry& e : c.entries) e.index = new_index[e.index];
            for (mps::RhsSet& set : m_.rhs_sets)
                for (mps::Entry& e : set.entries) e.index = new_index[e.index];
            m_.objective = 0;
        }
        return true;
    }

  private:
    Model& m_;
    DatasetReport& report_;
    std::vector<char> typed_;
    std::vector<char> unrestricted_;
    std::unordered_set<std::string> warned_;
};

int find_var(const std::vector<data::VarSpec>& vars, const char* name) {
    for (std::size_t i = 0; i < vars.size(); ++i)
        if (mps::upper(vars[i].name) == name) return static_cast<int>(i);
    return -1;
}

bool starts_with(const std::string& name, const char* prefix) { return mps::upper(name).rfind(prefix, 0) == 0; }

bool read_dense(data::InputReader& in, Model& model, DatasetReport& report) {
    const auto& vars = in.vars();
    Builder b(model, report);
    const int type = find_var(vars, "_TYPE_");
    if (type < 0 || vars[type].type != TYM_VAR_CHAR) return b.fail("the data set has no character variable _TYPE_");
    int id = find_var(vars, "_ID_");
    if (id < 0) id = find_var(vars, "_ROW_");
    if (id >= 0 && vars[id].type != TYM_VAR_CHAR) id = -1;
    const int rhs = find_var(vars, "_RHS_");
    const int range = find_var(vars, "_RANGE_");
    const int rhs_change = find_var(vars, "_RHSSEN_");
    std::vector<int32_t> columns;
    std::vector<int> column_vars;
    for (std::size_t v = 0; v < vars.size(); ++v) {
        const int vi = static_cast<int>(v);
        if (vars[v].type != TYM_VAR_NUMERIC || vi == rhs || vi == range || vi == rhs_change) continue;
        columns.push_back(b.column(vars[v].name));
        column_vars.push_back(vi);
    }
    if (columns.empty()) return b.fail("the data set has no numeric variable for a column");
    if (rhs_change >= 0) b.warn_once("the right-hand-side change vector _RHSSEN_ is left out");
    for (int64_t observation = 1;; ++observation) {
        const int status = in.next();
        if (status < 0) return b.fail("the data set cannot be read");
        if (status > 0) break;
        const std::string word = type_word(in.text(type));
        const Kind kind = dense_kind(word);
        const std::string name = id >= 0 ? trimmed(in.text(id)) : "_OBS" + std::to_string(observation) + "_";
        double value = 0.0;
        switch (kind) {
            case Kind::Unknown:
                return b.fail("observation " + std::to_string(observation) + ": unknown type " + mps::quoted(word));
            case Kind::Charge: return b.fail("fixed charges (CHARGE) have no form in an MPS or LP file");
            case Kind::PriceChange: b.warn_once("price change vectors (PRICESEN) are left out"); break;
            case Kind::LessEqual:
            case Kind::Equal:
            case Kind::GreaterEqual:
            case Kind::Free:
            case Kind::Maximize:
            case Kind::Minimize: {
                if (name.empty()) return b.fail("observation " + std::to_string(observation) + " has no row name");
                if (model.find_row(name) >= 0) {
                    return b.fail("observation " + std::to_string(observation) + ": row name " + mps::quoted(name) +
                                  " is used twice");
                }
                const int32_t r = b.row(name);
                if (!b.type_row(r, kind, observation)) return false;
                for (std::size_t k = 0; k < columns.size(); ++k) {
                    if (numeric(in.number(column_vars[k]), &value)) {
                        if (std::isinf(value))
                            return b.fail("observation " + std::to_string(observation) + ": infinite coefficient");
                        b.coefficient(r, columns[k], value);
                    }
                }
                if (rhs >= 0 && numeric(in.number(rhs), &value)) b.rhs("RHS", r, value);
                if (range >= 0 && kind != Kind::Maximize && kind != Kind::Minimize &&
                    numeric(in.number(range), &value) && value != 0.0) {
                    b.range("RANGE", r, value);
                }
                break;
            }
            case Kind::SosAtMostOne:
            case Kind::SosExactlyOne:
                for (std::size_t k = 0; k < columns.size(); ++k) {
                    if (numeric(in.number(column_vars[k]), &value)) {
                        if (!b.sos_member(name, kind == Kind::SosExactlyOne, columns[k], 1.0, observation))
                            return false;
                    }
                }
                break;
            default:
                for (std::size_t k = 0; k < columns.size(); ++k) {
                    if (!numeric(in.number(column_vars[k]), &value)) continue;
                    if ((kind == Kind::Basic || kind == Kind::Unrestricted) && value == 0.0) continue;
                    b.attribute(kind, columns[k], value, observation);
                }
                break;
        }
    }
    return b.finish();
}

struct SparseObservation {
    int64_t number = 0;
    Kind kind = Kind::Coefficient;
    std::string type_text;
    std::string column;
    std::vector<std::pair<std::string, double>> pairs;  // row name, raw value
};

bool read_sparse(data::InputReader& in, Model& model, DatasetReport& report) {
    const auto& vars = in.vars();
    Builder b(model, report);
    const int type = find_var(vars, "_TYPE_");
    if (type < 0 || vars[type].type != TYM_VAR_CHAR) return b.fail("the data set has no character variable _TYPE_");
    int col = -1;
    std::vector<int> row_vars, coef_vars;
    for (std::size_t v = 0; v < vars.size(); ++v) {
        const std::string& n = vars[v].name;
        if (starts_with(n, "_COL") && vars[v].type == TYM_VAR_CHAR && col < 0) col = static_cast<int>(v);
        if (starts_with(n, "_ROW") && n.size() <= 6 && vars[v].type == TYM_VAR_CHAR)
            row_vars.push_back(static_cast<int>(v));
        if (starts_with(n, "_COEF") && vars[v].type == TYM_VAR_NUMERIC) coef_vars.push_back(static_cast<int>(v));
    }
    if (row_vars.empty()) {
        for (std::size_t v = 0; v < vars.size(); ++v)
            if (starts_with(vars[v].name, "_ID") && vars[v].type == TYM_VAR_CHAR)
                row_vars.push_back(static_cast<int>(v));
    }
    if (col < 0) return b.fail("the data set has no character variable _COL_");
    if (row_vars.empty() || row_vars.size() != coef_vars.size()) {
        return b.fail("the data set needs as many _ROW variables as _COEF variables, and at least one");
    }
    // Pass 1: row kinds and the names that stand for attributes.
    std::vector<SparseObservation> observations;
    std::unordered_map<std::string, Kind> attribute_names;
    for (int64_t number = 1;; ++number) {
        const int status = in.next();
        if (status < 0) return b.fail("the data set cannot be read");
        if (status > 0) break;
        SparseObservation o;
        o.number = number;
        o.type_text = type_word(in.text(type));
        o.kind = sparse_kind(o.type_text);
        if (o.kind == Kind::Unknown) {
            return b.fail("observation " + std::to_string(number) + ": unknown type " + mps::quoted(o.type_text));
        }
        if (o.kind == Kind::Comment) continue;
        if (o.kind == Kind::Charge) return b.fail("fixed charges (CHARGE) have no form in an MPS or LP file");
        o.column = trimmed(in.text(col));
        for (std::size_t p = 0; p < row_vars.size(); ++p) {
            std::string row = trimmed(in.text(row_vars[p]));
            if (!row.empty()) o.pairs.emplace_back(std::move(row), in.number(coef_vars[p]));
        }
        if (o.pairs.empty() && o.column.empty()) continue;
        if (o.kind == Kind::Rhs || o.kind == Kind::Range || o.kind == Kind::RhsChange) {
            if (o.column.empty() || o.pairs.empty()) {
                return b.fail("observation " + std::to_string(number) + ": " + o.type_text +
                              " needs a row and a column name");
            }
        } else if (o.pairs.empty()) {
            if (!is_column_attribute(o.kind)) {
                return b.fail("observation " + std::to_string(number) + " needs a row name");
            }
        } else if (o.column.empty() && !defines_row(o.kind) && o.kind != Kind::PriceChange &&
                   o.kind != Kind::SosAtMostOne && o.kind != Kind::SosExactlyOne && !is_column_attribute(o.kind)) {
            return b.fail("observation " + std::to_string(number) + " needs a column name");
        }
        for (const auto& [row, raw] : o.pairs) {
            if (defines_row(o.kind)) {
                if (attribute_names.count(row) > 0) {
                    return b.fail("observation " + std::to_string(number) + ": " + mps::quoted(row) +
                                  " names a column attribute and a row");
                }
                if (!b.type_row(b.row(row), o.kind, number)) return false;
            } else if (o.kind != Kind::Coefficient && o.kind != Kind::Rhs && o.kind != Kind::Range &&
                       o.kind != Kind::RhsChange && model.find_row(row) < 0) {
                attribute_names.emplace(row, o.kind);
            }
        }
        observations.push_back(std::move(o));
    }
    // Pass 2: values.
    double value = 0.0;
    for (const SparseObservation& o : observations) {
        // The column of a right-hand-side, range or change observation names
        // that vector, not a column of the problem.
        const bool vector = o.kind == Kind::Rhs || o.kind == Kind::Range || o.kind == Kind::RhsChange;
        const int32_t j = o.column.empty() || vector ? -1 : b.column(o.column);
        for (const auto& [row, raw] : o.pairs) {
            const bool present = numeric(raw, &value);
            if (o.kind == Kind::Rhs || o.kind == Kind::Range || o.kind == Kind::RhsChange) {
                if (!present) continue;
                if (o.kind == Kind::RhsChange) {
                    b.warn_once("right-hand-side change vectors (RHSSEN) are left out");
                } else if (o.kind == Kind::Rhs) {
                    b.rhs(o.column, b.row(row), value);
                } else {
                    if (model.has_range_set && model.range_set_name != o.column) {
                        return b.fail("the data set has more than one range column");
                    }
                    b.range(o.column, b.row(row), value);
                }
                continue;
            }
            if (j < 0) continue;
            auto attribute = attribute_names.find(row);
            const Kind acting =
                attribute != attribute_names.end() && model.find_row(row) < 0 ? attribute->second : Kind::Coefficient;
            if (acting == Kind::Coefficient) {
                if (!present) continue;
                if (std::isinf(value)) {
                    return b.fail("observation " + std::to_string(o.number) + ": infinite coefficient");
                }
                const int32_t r = b.row(row);
                b.coefficient(r, j, value);
                if (value == 0.0) {
                    // The column exists even when all its values are 0.
                    (void)r;
                }
                continue;
            }
            if (!present) continue;
            if (acting == Kind::PriceChange) {
                b.warn_once("price change vectors (PRICESEN) are left out");
            } else if (acting == Kind::SosAtMostOne || acting == Kind::SosExactlyOne) {
                if (!b.sos_member(row, acting == Kind::SosExactlyOne, j, value, o.number)) return false;
            } else {
                b.attribute(acting, j, value, o.number);
            }
        }
    }
    // Rows named only by coefficients are free rows, as the procedure reads
    // them; the objective must have been typed.
    return b.finish();
}

}  // namespace

bool read_problem_dataset(data::InputReader& input, Layout layout, Model& model, DatasetReport& report) {
    if (layout == Layout::Detect) {
        bool column = false, coefficient = false;
        for (const data::VarSpec& v : input.vars()) {
            column |= starts_with(v.name, "_COL");
            coefficient |= starts_with(v.name, "_COEF");
        }
        layout = column && coefficient ? Layout::Sparse : Layout::Dense;
    }
    return layout == Layout::Sparse ? read_sparse(input, model, report) : read_dense(input, model, report);
}

}  // namespace qmlp::host::exporting

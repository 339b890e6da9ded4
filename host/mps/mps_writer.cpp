// mps_writer.cpp -- the sparse-layout CSV data set of an MPS problem.
#include "mps/mps_writer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <unordered_set>

#include "mps/mps_fields.h"

namespace qmlp::host::mps {

namespace {

constexpr int kMinNameLength = 8;      // the procedure's default name length
constexpr const char* kMissing = ".";  // numeric missing value
// Integer and binary columns all get the same branching priority, so the
// procedure's own selection rules decide.
constexpr double kDefaultPriority = 1.0;
// Value of an UNRSTRCT attribute (only its presence matters).
constexpr double kFlagValue = 1.0;
// The value that makes a column a member of the set its row names.
constexpr double kSosMember = 1.0;

bool row_written(const Model& model, const WriteOptions& options, int32_t index) {
    return !(options.drop_free_rows && index != model.objective && written_kind(model.rows[index]) == RowKind::Free);
}

// `base`, or base_1, base_2, ... : the first that `taken` rejects not.
std::string unique_name(const std::string& base, const std::function<bool(const std::string&)>& taken) {
    if (!taken(base)) return base;
    for (int k = 1;; ++k) {
        std::string candidate = base + "_" + std::to_string(k);
        if (!taken(candidate)) return candidate;
    }
}

std::string csv_text(const std::string& text) {
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

const char* row_type_word(const Model& model, int32_t index) {
    if (index == model.objective) return model.maximize ? "MAX" : "MIN";
    switch (written_kind(model.rows[index])) {
        case RowKind::LessEqual: return "LE";
        case RowKind::GreaterEqual: return "GE";
        case RowKind::Equal: return "EQ";
        case RowKind::Free: return "FREE";
    }
    return "EQ";
}

// One observation: type, column, and up to two (row, value) pairs.
class ObservationWriter {
  public:
    explicit ObservationWriter(std::ostream& out) : out_(out) {}

    void header(const WritePlan& plan) {
        out_ << "_TYPE_$8,_COL_$" << plan.column_name_length << ",_ROW1_$" << plan.row_name_length << ",_COEF1_,_ROW2_$"
             << plan.row_name_length << ",_COEF2_\n";
    }
    void declaration(const char* type, const std::string& row) {
        out_ << type << ",," << csv_text(row) << ',' << kMissing << ",," << kMissing << '\n';
    }
    void attribute(const char* type, const std::string& column, const std::string& row, double value) {
        out_ << type << ',' << csv_text(column) << ',' << csv_text(row) << ',' << format_number(value) << ",,"
             << kMissing << '\n';
    }
    // Pairs are buffered so that two share one observation; flush() writes
    // a pending single pair.
    void pair(const char* type, const std::string& column, const std::string& row, double value) {
        if (pending_ && (pending_type_ != type || pending_column_ != column)) flush();
        if (!pending_) {
            pending_ = true;
            pending_type_ = type;
            pending_column_ = column;
            pending_row_ = row;
            pending_value_ = value;
            return;
        }
        out_ << pending_type_ << ',' << csv_text(column) << ',' << csv_text(pending_row_) << ','
             << format_number(pending_value_) << ',' << csv_text(row) << ',' << format_number(value) << '\n';
        pending_ = false;
    }
    void flush() {
        if (!pending_) return;
        out_ << pending_type_ << ',' << csv_text(pending_column_) << ',' << csv_text(pending_row_) << ','
             << format_number(pending_value_) << ",," << kMissing << '\n';
        pending_ = false;
    }

  private:
    std::ostream& out_;
    bool pending_ = false;
    std::string pending_type_, pending_column_, pending_row_;
    double pending_value_ = 0.0;
};

void write_column_attributes(ObservationWriter& w, const WritePlan& plan, const Column& c) {
    if (classify_column(c) == ColumnClass::Binary) {
        w.attribute("BINARY", c.name, plan.binary_row, kDefaultPriority);
        return;
    }
    if (c.integer) w.attribute("INTEGER", c.name, plan.integer_row, kDefaultPriority);
    const bool lower_inf = std::isinf(c.lower);
    const bool upper_inf = std::isinf(c.upper);
    if (!lower_inf && !upper_inf && c.lower == c.upper) {
        w.attribute("FIXED", c.name, plan.fixed_row, c.lower);
        return;
    }
    if (lower_inf) {
        w.attribute("UNRSTRCT", c.name, plan.free_row, kFlagValue);
    } else if (c.lower != 0.0) {
        w.attribute("LOWERBD", c.name, plan.lower_row, c.lower);
    }
    if (!upper_inf) w.attribute("UPPERBD", c.name, plan.upper_row, c.upper);
}

}  // namespace

double range_value(const Row& row) { return row.kind == RowKind::Equal ? row.range : std::fabs(row.range); }

WritePlan plan_names(const Model& model, const WriteOptions& options) {
    WritePlan plan;
    auto is_row = [&](const std::string& name) { return model.find_row(name) >= 0; };
    std::unordered_set<std::string> attribute_rows;
    auto attribute_name = [&](const char* base) {
        std::string name =
            unique_name(base, [&](const std::string& n) { return is_row(n) || attribute_rows.count(n) > 0; });
        attribute_rows.insert(name);
        if (name != base) plan.notes.push_back(std::string("attribute row ") + base + " written as " + name);
        return name;
    };
    plan.upper_row = attribute_name("_UPPER_");
    plan.lower_row = attribute_name("_LOWER_");
    plan.fixed_row = attribute_name("_FIXED_");
    plan.free_row = attribute_name("_UNRS_");
    plan.integer_row = attribute_name("_INT_");
    plan.binary_row = attribute_name("_BIN_");

    // A set's members are named by the set in _ROW1_, so set names keep
    // apart from the rows and the attribute rows.
    for (const SosSet& set : model.sos_sets) {
        std::string name =
            unique_name(set.name, [&](const std::string& n) { return is_row(n) || attribute_rows.count(n) > 0; });
        if (name != set.name) plan.notes.push_back("special ordered set " + set.name + " written as " + name);
        attribute_rows.insert(name);
        plan.sos_names.push_back(name);
    }

    // Set names share the _COL_ variable with the columns; keep them apart
    // from every column name and from each other.
    std::unordered_set<std::string> set_names;
    auto set_taken = [&](const std::string& n) { return model.find_column(n) >= 0 || set_names.count(n) > 0; };
    for (const RhsSet& set : model.rhs_sets) {
        std::string base = set.name.empty() ? "RHS" : set.name;
        std::string name = unique_name(base, set_taken);
        if (name != set.name) {
            plan.notes.push_back(set.name.empty() ? "RHS set without a name written as " + name
                                                  : "RHS set " + set.name + " written as " + name);
        }
        set_names.insert(name);
        plan.rhs_names.push_back(name);
    }
    if (model.has_range_set) {
        std::string base = model.range_set_name.empty() ? "RANGE" : model.range_set_name;
        plan.range_name = unique_name(base, set_taken);
        if (plan.range_name != model.range_set_name) {
            plan.notes.push_back(model.range_set_name.empty()
                                     ? "range set without a name written as " + plan.range_name
                                     : "range set " + model.range_set_name + " written as " + plan.range_name);
        }
    }

    std::size_t column_length = kMinNameLength;
    for (const Column& c : model.columns) column_length = std::max(column_length, c.name.size());
    for (const std::string& n : plan.rhs_names) column_length = std::max(column_length, n.size());
    column_length = std::max(column_length, plan.range_name.size());
    std::size_t row_length = kMinNameLength;
    for (std::size_t i = 0; i < model.rows.size(); ++i) {
        if (row_written(model, options, static_cast<int32_t>(i))) {
            row_length = std::max(row_length, model.rows[i].name.size());
        }
    }
    for (const std::string& n : attribute_rows) row_length = std::max(row_length, n.size());
    plan.column_name_length = static_cast<int>(column_length);
    plan.row_name_length = static_cast<int>(row_length);
    return plan;
}

bool write_sparse(const Model& model, const WriteOptions& options, const WritePlan& plan, std::ostream& out) {
    ObservationWriter w(out);
    w.header(plan);
    const int32_t row_count = static_cast<int32_t>(model.rows.size());
    for (int32_t i = 0; i < row_count; ++i) {
        if (row_written(model, options, i)) w.declaration(row_type_word(model, i), model.rows[i].name);
    }

    for (const Column& c : model.columns) {
        // A zero coefficient is not written, except that a column must
        // appear once to exist: then one zero entry declares it.
        int32_t anchor = -1;
        bool any = false;
        for (const Entry& e : c.entries) {
            if (!row_written(model, options, e.index)) continue;
            if (anchor < 0) anchor = e.index;
            if (e.value == 0.0) continue;
            w.pair("", c.name, model.rows[e.index].name, e.value);
            any = true;
        }
        if (!any) w.pair("", c.name, model.rows[anchor >= 0 ? anchor : model.objective].name, 0.0);
        w.flush();
    }

    for (std::size_t s = 0; s < model.rhs_sets.size(); ++s) {
        for (const Entry& e : model.rhs_sets[s].entries) {
            if (row_written(model, options, e.index)) {
                w.pair("RHS", plan.rhs_names[s], model.rows[e.index].name, e.value);
            }
        }
        w.flush();
    }

    for (int32_t i = 0; i < row_count; ++i) {
        const Row& row = model.rows[i];
        if (!row.has_range || row.range == 0.0 || i == model.objective) continue;
        if (written_kind(row) == RowKind::Free || !row_written(model, options, i)) continue;
        w.pair("RANGE", plan.range_name, row.name, range_value(row));
    }
    w.flush();

    for (const Column& c : model.columns) write_column_attributes(w, plan, c);
    for (std::size_t s = 0; s < model.sos_sets.size(); ++s) {
        const SosSet& set = model.sos_sets[s];
        for (int32_t member : set.members) {
            w.attribute(set.exactly_one ? "SOSEQ" : "SOSLE", model.columns[member].name, plan.sos_names[s], kSosMember);
        }
    }
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace qmlp::host::mps

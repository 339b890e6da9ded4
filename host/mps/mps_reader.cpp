// mps_reader.cpp -- the section machine of the MPS reader.
//
// Sections must come in the order NAME, ROWS, COLUMNS, then RHS, RANGES and
// BOUNDS in any order, each at most once, then ENDATA; OBJSENSE may appear
// anywhere before ENDATA and OBJNAME anywhere before COLUMNS.  A line whose
// first character is not blank starts a section; '*' in the first column
// marks a comment.  Every data line is tried in the fixed column layout when
// it fits it, else (or when that reading fails) as blank-separated fields.
#include "mps/mps_reader.h"

#include <cmath>
#include <functional>
#include <type_traits>

#include "mps/mps_bounds.h"
#include "mps/mps_fields.h"

namespace qmlp::host::mps {

namespace {

enum class Section { None, Name, ObjSense, ObjName, Rows, Columns, Rhs, Ranges, Bounds };

// Section ranks enforce the order; RHS, RANGES and BOUNDS share the last.
constexpr int kRankRows = 1;
constexpr int kRankColumns = 2;
constexpr int kRankTail = 3;

struct RowLine {
    RowKind kind = RowKind::Equal;
    std::string name;
};

// A COLUMNS, RHS or RANGES line: a leading name (column or set) and one or
// two (row, value) pairs; or, in COLUMNS, an integer marker.
struct EntryLine {
    std::string name;
    bool marker = false;
    bool marker_start = false;  // INTORG (true) or INTEND (false)
    int pairs = 0;
    int32_t rows[2] = {-1, -1};
    double values[2] = {0.0, 0.0};
};

std::string checked_name(std::string_view name, const char* what) {
    if (name.empty()) return std::string("missing ") + what + " name";
    std::string reason = check_name(name);
    return reason.empty() ? reason : std::string(what) + " name " + quoted(name) + ": " + reason;
}

bool is_marker_word(std::string_view word) { return word == "'MARKER'"; }

std::string decode_marker(std::string_view kind, EntryLine& out) {
    std::string k = upper(kind);
    if (k == "'INTORG'" || k == "INTORG") {
        out.marker_start = true;
    } else if (k == "'INTEND'" || k == "INTEND") {
        out.marker_start = false;
    } else {
        return "unknown marker " + quoted(kind) + " (expected 'INTORG' or 'INTEND')";
    }
    out.marker = true;
    return {};
}

class Reader {
  public:
    Reader(LineSource& source, Model& model, ReadReport& report) : source_(source), model_(model), report_(report) {}
    bool run();

  private:
    bool fail(std::string text) {
        report_.error = {line_number_, std::move(text)};
        return false;
    }
    void warn(std::string text) { report_.warnings.push_back({line_number_, std::move(text)}); }

    bool start_section(std::string_view line);
    bool enter(Section section, int rank, const char* word);
    bool leave_rows();
    bool leave_columns();
    bool data_line(std::string_view line);
    bool finish();

    // Tries the fixed reading (when the line fits the columns) and then the
    // free one.  When both fail, the free reading's fault is reported if its
    // fields had the section's form (so only their content was wrong),
    // otherwise the fixed reading's: a name with blanks splits into extra
    // free fields, and then only the fixed reading sees the line as meant.
    template <typename Out>
    using FixedDecoder = std::type_identity_t<std::function<std::string(const FixedFields&, Out&)>>;
    template <typename Out>
    using FreeDecoder =
        std::type_identity_t<std::function<std::string(const std::vector<std::string_view>&, Out&, bool&)>>;
    template <typename Out>
    std::string decode(std::string_view line, const FixedDecoder<Out>& fixed, const FreeDecoder<Out>& free, Out& out);
    bool close_open_sections();

    std::string decode_row_fields(std::string_view type, std::string_view name, RowLine& out) const;
    std::string decode_entry_pairs(std::string_view name, const std::string_view* fields, int count, bool name_required,
                                   EntryLine& out) const;

    bool row_line(std::string_view line);
    bool columns_line(std::string_view line);
    bool rhs_line(std::string_view line, bool ranges);
    bool bound_line(std::string_view line);
    bool objsense_value(std::string_view word);

    LineSource& source_;
    Model& model_;
    ReadReport& report_;
    int64_t line_number_ = 0;
    Section section_ = Section::None;
    int rank_ = 0;
    bool rows_closed_ = false, columns_closed_ = false;
    bool seen_rows_ = false, seen_columns_ = false, seen_rhs_ = false, seen_ranges_ = false, seen_bounds_ = false,
         seen_name_ = false;
    bool objsense_pending_ = false;  // OBJSENSE header without its value yet
    bool objname_pending_ = false;
    bool in_integer_block_ = false;
    int32_t current_column_ = -1;
    std::vector<int32_t> row_stamp_;           // duplicate check within a column
    std::vector<std::vector<char>> rhs_seen_;  // per RHS set: rows already given
};

template <typename Out>
std::string Reader::decode(std::string_view line, const FixedDecoder<Out>& fixed, const FreeDecoder<Out>& free,
                           Out& out) {
    FixedFields fields;
    const bool fits = split_fixed(line, fields);
    std::string fixed_error;
    if (fits) {
        Out attempt;
        fixed_error = fixed(fields, attempt);
        if (fixed_error.empty()) {
            out = std::move(attempt);
            return {};
        }
    }
    Out attempt;
    bool shape_fault = false;
    std::string free_error = free(split_free(line), attempt, shape_fault);
    if (free_error.empty()) {
        out = std::move(attempt);
        return {};
    }
    return (fits && shape_fault) ? fixed_error : free_error;
}

bool Reader::run() {
    std::string line;
    for (;;) {
        int got = source_.next(line);
        if (got < 0) {
            ++line_number_;
            return fail(source_.error());
        }
        if (got == 0) break;
        ++line_number_;
        if (line.empty() || line[0] == '*') continue;
        if (trim(line).empty()) continue;
        if (line[0] != ' ' && line[0] != '\t') {
            if (upper(split_free(line)[0]) == "ENDATA") return finish();
            if (!start_section(line)) return false;
        } else if (!data_line(line)) {
            return false;
        }
    }
    if (line_number_ == 0) {
        line_number_ = 1;
        return fail("empty file");
    }
    return fail("missing ENDATA (end of file)");
}

bool Reader::enter(Section section, int rank, const char* word) {
    if (rank < rank_ || (rank == rank_ && rank != kRankTail)) {
        return fail(std::string("section ") + word + " out of order");
    }
    if (rank >= kRankColumns && !seen_rows_) return fail(std::string("section ") + word + " before ROWS");
    if (rank >= kRankTail && !seen_columns_) {
        return fail(std::string("section ") + word + " before COLUMNS");
    }
    if (!close_open_sections()) return false;
    rank_ = rank;
    section_ = section;
    return true;
}

// ROWS ends when a later section starts (the objective is chosen then);
// COLUMNS likewise (an open integer block is a fault then).
bool Reader::close_open_sections() {
    if (seen_rows_ && !rows_closed_) {
        rows_closed_ = true;
        if (!leave_rows()) return false;
    }
    if (seen_columns_ && !columns_closed_) {
        columns_closed_ = true;
        if (!leave_columns()) return false;
    }
    return true;
}

bool Reader::start_section(std::string_view line) {
    if (objsense_pending_) return fail("OBJSENSE section without a value");
    if (objname_pending_) return fail("OBJNAME section without a row name");
    std::vector<std::string_view> tokens = split_free(line);
    const std::string word = upper(tokens[0]);
    if (word == "NAME") {
        if (seen_name_ || rank_ > 0) return fail("section NAME out of order");
        seen_name_ = true;
        model_.problem_name = std::string(trim(trim(line).substr(tokens[0].size())));
        return true;
    }
    if (word == "OBJSENSE" || word == "OBJSENSE:") {
        if (tokens.size() >= 2) return objsense_value(tokens[1]);
        objsense_pending_ = true;
        section_ = Section::ObjSense;
        return true;
    }
    if (word == "OBJNAME" || word == "OBJNAME:") {
        if (rank_ >= kRankRows) return fail("OBJNAME must come before ROWS");
        if (tokens.size() >= 2) {
            model_.objective_name = std::string(tokens[1]);
            return true;
        }
        objname_pending_ = true;
        section_ = Section::ObjName;
        return true;
    }
    if (word == "ROWS") {
        if (!enter(Section::Rows, kRankRows, "ROWS")) return false;
        seen_rows_ = true;
        return true;
    }
    if (word == "COLUMNS") {
        if (!enter(Section::Columns, kRankColumns, "COLUMNS")) return false;
        seen_columns_ = true;
        row_stamp_.assign(model_.rows.size(), -1);
        return true;
    }
    struct Tail {
        const char* word;
        Section section;
        bool* seen;
    };
    const Tail tails[] = {{"RHS", Section::Rhs, &seen_rhs_},
                          {"RANGES", Section::Ranges, &seen_ranges_},
                          {"BOUNDS", Section::Bounds, &seen_bounds_}};
    for (const Tail& tail : tails) {
        if (word != tail.word) continue;
        if (*tail.seen) return fail(std::string("section ") + tail.word + " given twice");
        if (!enter(tail.section, kRankTail, tail.word)) return false;
        *tail.seen = true;
        return true;
    }
    return fail("unknown section " + quoted(tokens[0]));
}

bool Reader::objsense_value(std::string_view word) {
    const std::string w = upper(word);
    if (w == "MAX" || w == "MAXIMIZE" || w == "MAXIMISE") {
        model_.maximize = true;
    } else if (w == "MIN" || w == "MINIMIZE" || w == "MINIMISE") {
        model_.maximize = false;
    } else {
        return fail("unknown objective sense " + quoted(word) + " (expected MAX or MIN)");
    }
    objsense_pending_ = false;
    return true;
}

bool Reader::data_line(std::string_view line) {
    switch (section_) {
        case Section::None:
        case Section::Name: return fail("data line outside a section");
        case Section::ObjSense: {
            if (!objsense_pending_) return fail("more than one line in OBJSENSE");
            std::vector<std::string_view> tokens = split_free(line);
            if (tokens.size() != 1) return fail("OBJSENSE expects one word (MAX or MIN)");
            return objsense_value(tokens[0]);
        }
        case Section::ObjName: {
            if (!objname_pending_) return fail("more than one line in OBJNAME");
            std::string_view name = trim(line);
            std::string reason = checked_name(name, "objective row");
            if (!reason.empty()) return fail(reason);
            model_.objective_name = std::string(name);
            objname_pending_ = false;
            return true;
        }
        case Section::Rows: return row_line(line);
        case Section::Columns: return columns_line(line);
        case Section::Rhs: return rhs_line(line, false);
        case Section::Ranges: return rhs_line(line, true);
        case Section::Bounds: return bound_line(line);
    }
    return fail("data line outside a section");
}

// ---------------------------------------------------------------- ROWS

std::string Reader::decode_row_fields(std::string_view type, std::string_view name, RowLine& out) const {
    const std::string t = upper(type);
    if (t == "N") {
        out.kind = RowKind::Free;
    } else if (t == "L") {
        out.kind = RowKind::LessEqual;
    } else if (t == "G") {
        out.kind = RowKind::GreaterEqual;
    } else if (t == "E") {
        out.kind = RowKind::Equal;
    } else {
        return "unknown row type " + quoted(type) + " (expected N, L, G or E)";
    }
    std::string reason = checked_name(name, "row");
    if (!reason.empty()) return reason;
    out.name = std::string(name);
    return {};
}

bool Reader::row_line(std::string_view line) {
    RowLine row;
    std::string error = decode<RowLine>(
        line,
        [this](const FixedFields& f, RowLine& out) -> std::string {
            for (int i = 2; i < kFixedFieldCount; ++i) {
                if (!f[i].empty()) return "too many fields on ROWS line";
            }
            return decode_row_fields(f[0], f[1], out);
        },
        [this](const std::vector<std::string_view>& t, RowLine& out, bool& shape) -> std::string {
            shape = t.size() != 2;
            if (shape) return "ROWS line needs a type and a name";
            return decode_row_fields(t[0], t[1], out);
        },
        row);
    if (!error.empty()) return fail(error);
    if (model_.find_row(row.name) >= 0) return fail("duplicate row name " + quoted(row.name));
    model_.row_index.emplace(row.name, static_cast<int32_t>(model_.rows.size()));
    Row r;
    r.name = std::move(row.name);
    r.kind = row.kind;
    model_.rows.push_back(std::move(r));
    return true;
}

bool Reader::leave_rows() {
    Model& m = model_;
    if (!m.objective_name.empty()) {
        int32_t index = m.find_row(m.objective_name);
        if (index < 0) return fail("OBJNAME row " + quoted(m.objective_name) + " is not in ROWS");
        if (m.rows[index].kind != RowKind::Free) {
            return fail("OBJNAME row " + quoted(m.objective_name) + " is not an N row");
        }
        m.objective = index;
    } else {
        for (std::size_t i = 0; i < m.rows.size(); ++i) {
            if (m.rows[i].kind == RowKind::Free) {
                m.objective = static_cast<int32_t>(i);
                break;
            }
        }
    }
    if (m.objective < 0) return fail("no objective: ROWS declares no N row");
    return true;
}

// ---------------------------------------------------------------- COLUMNS, RHS, RANGES

std::string Reader::decode_entry_pairs(std::string_view name, const std::string_view* fields, int count,
                                       bool name_required, EntryLine& out) const {
    if (name_required || !name.empty()) {
        std::string reason = checked_name(name, name_required ? "column" : "set");
        if (!reason.empty()) return reason;
    }
    out.name = std::string(name);
    out.pairs = count / 2;
    for (int p = 0; p < out.pairs; ++p) {
        std::string_view row = fields[2 * p];
        std::string_view value = fields[2 * p + 1];
        if (row.empty()) return "missing row name";
        out.rows[p] = model_.find_row(std::string(row));
        if (out.rows[p] < 0) return "unknown row " + quoted(row);
        if (value.empty()) return "missing value for row " + quoted(row);
        if (!parse_number(value, out.values[p])) return "non-numeric value " + quoted(value);
        if (std::isinf(out.values[p])) return "infinite value for row " + quoted(row);
    }
    return {};
}

bool Reader::columns_line(std::string_view line) {
    EntryLine entry;
    std::string error = decode<EntryLine>(
        line,
        [this](const FixedFields& f, EntryLine& out) -> std::string {
            if (!f[0].empty()) return "unexpected text in columns 2-3";
            if (is_marker_word(f[2])) return decode_marker(f[4], out);
            const int count = (f[4].empty() && f[5].empty()) ? 2 : 4;
            return decode_entry_pairs(f[1], &f[2], count, true, out);
        },
        [this](const std::vector<std::string_view>& t, EntryLine& out, bool& shape) -> std::string {
            if (t.size() == 3 && is_marker_word(t[1])) return decode_marker(t[2], out);
            shape = t.size() != 3 && t.size() != 5;
            if (shape) {
                return "COLUMNS line needs a column and one or two row/value pairs";
            }
            return decode_entry_pairs(t[0], &t[1], static_cast<int>(t.size()) - 1, true, out);
        },
        entry);
    if (!error.empty()) return fail(error);

    if (entry.marker) {
        if (entry.marker_start && in_integer_block_) return fail("INTORG marker inside an integer block");
        if (!entry.marker_start && !in_integer_block_) return fail("INTEND marker without INTORG");
        in_integer_block_ = entry.marker_start;
        return true;
    }
    Model& m = model_;
    if (current_column_ < 0 || m.columns[current_column_].name != entry.name) {
        if (m.find_column(entry.name) >= 0) {
            return fail("column " + quoted(entry.name) + " appears again after other columns");
        }
        current_column_ = static_cast<int32_t>(m.columns.size());
        m.column_index.emplace(entry.name, current_column_);
        Column c;
        c.name = entry.name;
        c.integer = in_integer_block_;
        m.columns.push_back(std::move(c));
    }
    Column& column = m.columns[current_column_];
    for (int p = 0; p < entry.pairs; ++p) {
        int32_t row = entry.rows[p];
        if (row_stamp_[row] == current_column_) {
            return fail("duplicate entry for column " + quoted(column.name) + " in row " + quoted(m.rows[row].name));
        }
        row_stamp_[row] = current_column_;
        column.entries.push_back({row, entry.values[p]});
    }
    return true;
}

bool Reader::leave_columns() {
    if (in_integer_block_) return fail("integer block (INTORG) not closed by INTEND");
    return true;
}

bool Reader::rhs_line(std::string_view line, bool ranges) {
    EntryLine entry;
    std::string error = decode<EntryLine>(
        line,
        [this](const FixedFields& f, EntryLine& out) -> std::string {
            if (!f[0].empty()) return "unexpected text in columns 2-3";
            const int count = (f[4].empty() && f[5].empty()) ? 2 : 4;
            return decode_entry_pairs(f[1], &f[2], count, false, out);
        },
        [this](const std::vector<std::string_view>& t, EntryLine& out, bool& shape) -> std::string {
            shape = t.size() < 2 || t.size() > 5;
            if (shape) return "line needs a set name and one or two row/value pairs";
            // Odd field counts carry the set name first; even ones omit it.
            const bool named = t.size() % 2 == 1;
            std::string_view name = named ? t[0] : std::string_view();
            const std::string_view* pairs = named ? &t[1] : &t[0];
            return decode_entry_pairs(name, pairs, static_cast<int>(t.size()) - (named ? 1 : 0), false, out);
        },
        entry);
    if (!error.empty()) return fail(error);
    Model& m = model_;
    if (ranges) {
        if (!m.has_range_set) {
            m.has_range_set = true;
            m.range_set_name = entry.name;
        } else if (entry.name != m.range_set_name) {
            return fail("second range set " + quoted(entry.name) + " (only one range set is supported; first was " +
                        quoted(m.range_set_name) + ")");
        }
        for (int p = 0; p < entry.pairs; ++p) {
            Row& row = m.rows[entry.rows[p]];
            if (row.has_range) return fail("duplicate RANGES entry for row " + quoted(row.name));
            if (row.kind == RowKind::Free) {
                warn("RANGES entry on N row " + quoted(row.name) + " ignored");
                continue;
            }
            row.has_range = true;
            row.range = entry.values[p];
        }
        return true;
    }
    std::size_t set = 0;
    while (set < m.rhs_sets.size() && m.rhs_sets[set].name != entry.name) ++set;
    if (set == m.rhs_sets.size()) {
        m.rhs_sets.push_back({entry.name, {}});
        rhs_seen_.emplace_back(m.rows.size(), 0);
    }
    for (int p = 0; p < entry.pairs; ++p) {
        int32_t row = entry.rows[p];
        if (rhs_seen_[set][row]) {
            return fail("duplicate RHS entry for row " + quoted(m.rows[row].name) + " in set " + quoted(entry.name));
        }
        rhs_seen_[set][row] = 1;
        m.rhs_sets[set].entries.push_back({row, entry.values[p]});
    }
    return true;
}

bool Reader::bound_line(std::string_view line) {
    BoundLine bound;
    std::string error = decode<BoundLine>(
        line, [this](const FixedFields& f, BoundLine& out) { return decode_bound_fixed(f, model_, out); },
        [this](const std::vector<std::string_view>& t, BoundLine& out, bool& shape) {
            return decode_bound_free(t, model_, out, shape);
        },
        bound);
    if (!error.empty()) return fail(error);
    std::vector<std::string> warnings;
    error = apply_bound(model_, bound, warnings);
    for (std::string& w : warnings) warn(std::move(w));
    if (!error.empty()) return fail(error);
    return true;
}

// ---------------------------------------------------------------- ENDATA

bool Reader::finish() {
    if (objsense_pending_) return fail("OBJSENSE section without a value");
    if (objname_pending_) return fail("OBJNAME section without a row name");
    if (!seen_rows_) return fail("no ROWS section");
    if (!close_open_sections()) return false;
    if (!seen_columns_) return fail("no COLUMNS section");
    for (const Column& c : model_.columns) {
        if (c.lower > c.upper) {
            report_.warnings.push_back({0, "column " + quoted(c.name) + " has lower bound " + format_number(c.lower) +
                                               " above its upper bound " + format_number(c.upper)});
        }
    }
    return true;
}

}  // namespace

bool read_mps(LineSource& source, Model& model, ReadReport& report) {
    Reader reader(source, model, report);
    return reader.run();
}

}  // namespace qmlp::host::mps

// listing_writer.cpp -- the text listing (see listing_writer.h).
#include "output/listing_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "host_api.h"
#include "output/progress_line.h"
#include "output/text_util.h"

namespace qmlp::host::output {
namespace {

// Field of integer columns of a live table (layout fixed before all rows are known).
constexpr size_t kLiveIntegerWidth = 10;

struct Layout {
    std::vector<size_t> widths;
    std::vector<bool> right;  // right-aligned (numbers)
};

std::string fixed_decimals(double v, int decimals) {
    if (const int letter = missing_letter(v)) {
        std::string code = ".";
        if (letter != '.') code += static_cast<char>(letter);
        return code;
    }
    if (v == 0.0) v = 0.0;  // no "-0.00"
    char buf[400];
    std::snprintf(buf, sizeof buf, "%.*f", std::min(decimals, 30), v);
    std::string s(buf);
    if (s.size() > 1 && s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

std::string number_text(double v, int width, int decimals) {
    if (decimals >= 0) return fixed_decimals(v, decimals);
    return trim(best_format(v, width > 0 ? width : kDefaultNumberWidth));
}

Layout data_layout(const Table& t, bool live) {
    Layout layout;
    for (const Column& c : t.columns) {
        size_t w = display_width(c.name);
        if (live) {
            if (c.type == ColumnType::Character)
                w = std::max(w, static_cast<size_t>(std::max(c.width, 0)));
            else if (c.type == ColumnType::Integer)
                w = std::max(w, kLiveIntegerWidth);
            else
                w = std::max(w, static_cast<size_t>(c.width > 0 ? c.width : kDefaultNumberWidth));
        }
        layout.widths.push_back(w);
        layout.right.push_back(c.type != ColumnType::Character);
    }
    if (!live) {
        for (const auto& row : t.rows)
            for (size_t k = 0; k < row.size() && k < t.columns.size(); ++k)
                layout.widths[k] = std::max(layout.widths[k], display_width(listing_cell(row[k], t.columns[k])));
    }
    return layout;
}

size_t panel_width(const Layout& layout, const std::vector<size_t>& cols) {
    size_t w = 0;
    for (size_t k : cols) w += layout.widths[k];
    if (!cols.empty()) w += kColumnGap * (cols.size() - 1);
    return w;
}

// The columns every panel repeats so that a reader can tell its lines
// apart: a leading character column (a name); else the leading columns up
// to and including the first character column (a marked count such as an
// iteration), as long as they take at most a third of the line; else none.
std::vector<size_t> panel_stub(const Table& t, const Layout& layout) {
    if (t.columns.size() > 1 && t.columns[0].type == ColumnType::Character) return {0};
    std::vector<size_t> stub;
    for (size_t k = 0; k < t.columns.size(); ++k) {
        stub.push_back(k);
        if (t.columns[k].type != ColumnType::Character) continue;
        if (stub.size() < t.columns.size() && panel_width(layout, stub) <= kListingLineWidth / 3) return stub;
        break;
    }
    return {};
}

// Column sets of the panels: all columns when they fit, else panels that
// each repeat the stub.
std::vector<std::vector<size_t>> panels(const Table& t, const Layout& layout) {
    std::vector<size_t> all(t.columns.size());
    for (size_t k = 0; k < all.size(); ++k) all[k] = k;
    if (all.empty() || panel_width(layout, all) <= kListingLineWidth) return {all};

    const std::vector<size_t> stub = panel_stub(t, layout);
    const size_t first = stub.size();
    std::vector<std::vector<size_t>> result;
    std::vector<size_t> current = stub;
    for (size_t k = first; k < all.size(); ++k) {
        std::vector<size_t> trial = current;
        trial.push_back(k);
        if (current.size() > stub.size() && panel_width(layout, trial) > kListingLineWidth) {
            result.push_back(current);
            current = stub;
            current.push_back(k);
        } else {
            current = trial;
        }
    }
    if (current.size() > stub.size()) result.push_back(current);
    return result;
}

std::string aligned(const std::string& text, size_t width, bool right) {
    return right ? pad_left(text, width) : pad_right(text, width);
}

std::string header_text(const Table& t, const Layout& layout, const std::vector<size_t>& cols) {
    std::string names, rule;
    for (size_t n = 0; n < cols.size(); ++n) {
        const size_t k = cols[n];
        if (n > 0) {
            names.append(kColumnGap, ' ');
            rule.append(kColumnGap, ' ');
        }
        names += aligned(t.columns[k].name, layout.widths[k], layout.right[k]);
        rule.append(layout.widths[k], '-');
    }
    return rtrim(names) + "\n" + rule + "\n";
}

std::string row_text(const Table& t, const Layout& layout, const std::vector<size_t>& cols,
                     const std::vector<Cell>& row) {
    std::string line;
    for (size_t n = 0; n < cols.size(); ++n) {
        const size_t k = cols[n];
        if (n > 0) line.append(kColumnGap, ' ');
        const std::string cell = k < row.size() ? listing_cell(row[k], t.columns[k]) : std::string();
        line += aligned(cell, layout.widths[k], layout.right[k]);
    }
    return rtrim(line) + "\n";
}

std::string title_block(const Table& t, size_t width) {
    std::string out;
    const std::string title = t.label.empty() ? t.name : t.label;
    if (!title.empty()) out += center(title, width) + "\n";
    if (!t.subtitle.empty()) out += center(display_subtitle(t.subtitle), width) + "\n";
    for (const auto& [key, value] : t.keys) out += key + ": " + value + "\n";
    if (!out.empty()) out += "\n";
    return out;
}

std::string factoid_text(const Table& t) {
    size_t label_w = 0, value_w = 0;
    std::vector<std::string> values;
    for (const FactoidEntry& e : t.entries) {
        values.push_back(listing_entry_value(e));
        label_w = std::max(label_w, display_width(rtrim(e.label)));
        value_w = std::max(value_w, display_width(values.back()));
    }
    const size_t width = label_w + kColumnGap * 2 + value_w;
    std::string out = title_block(t, width);
    for (size_t k = 0; k < t.entries.size(); ++k) {
        const std::string label = rtrim(t.entries[k].label);
        if (is_blank(label) && is_blank(values[k])) {
            out += "\n";
            continue;
        }
        std::string line = pad_right(label, label_w) + std::string(kColumnGap * 2, ' ') + pad_left(values[k], value_w);
        out += rtrim(line) + "\n";
    }
    if (!t.note.empty()) out += "\n" + t.note + "\n";
    return out;
}

std::string data_text(const Table& t) {
    const Layout layout = data_layout(t, false);
    const auto sets = panels(t, layout);
    size_t width = 0;
    for (const auto& cols : sets) width = std::max(width, panel_width(layout, cols));
    std::string out = title_block(t, width);
    for (size_t p = 0; p < sets.size(); ++p) {
        if (p > 0) out += "\n";
        out += header_text(t, layout, sets[p]);
        for (const auto& row : t.rows) out += row_text(t, layout, sets[p], row);
    }
    if (!t.note.empty()) out += "\n" + t.note + "\n";
    return out;
}

}  // namespace

std::string listing_cell(const Cell& cell, const Column& column) {
    switch (cell.kind) {
        case Cell::Kind::Integer: return std::to_string(cell.i);
        case Cell::Kind::Double: return number_text(cell.d, column.width, column.decimals);
        case Cell::Kind::Text: return rtrim(cell.s);
        case Cell::Kind::Empty:
        default: return {};
    }
}

std::string listing_entry_value(const FactoidEntry& entry) {
    switch (entry.value.kind) {
        case Cell::Kind::Integer: return std::to_string(entry.value.i);
        case Cell::Kind::Double: return number_text(entry.value.d, entry.width, entry.decimals);
        case Cell::Kind::Text: return trim(entry.value.s);
        case Cell::Kind::Empty:
        default: return {};
    }
}

std::string render_table_text(const Table& table) {
    return table.kind == TableKind::Factoid ? factoid_text(table) : data_text(table);
}

// ---------------------------------------------------------------- writer

bool ListingWriter::open(const std::string& path, std::string* error) {
    close();
    failed_ = false;
    failure_.clear();
    if (path.empty()) return true;
    std::string why;
    std::FILE* f = staged_.open(path, &why);
    if (f == nullptr) {
        if (error != nullptr) *error = why;
        return false;
    }
    file_ = f;
    owned_ = true;
    return true;
}

bool ListingWriter::close(std::string* message) {
    bool ok = true;
    if (file_ != nullptr && owned_) {
        if (std::fflush(file_) != 0) note_failure(errno);
        std::string why;
        if (!staged_.commit("listing", &why)) {
            ok = false;
            if (message != nullptr) *message = why;
        }
    }
    file_ = nullptr;
    owned_ = false;
    pending_step_ = nullptr;
    last_groups_.clear();
    wrote_anything_ = false;
    return ok;
}

void ListingWriter::note_failure(int error_number) {
    if (!failed_) failure_ = std::strerror(error_number != 0 ? error_number : EIO);
    failed_ = true;
}

void ListingWriter::flush() {
    std::FILE* f = file_ != nullptr ? file_ : stdout;
    if (std::fflush(f) != 0 || std::ferror(f) != 0) note_failure(errno);
}

void ListingWriter::write(const std::string& text) {
    std::FILE* f = file_ != nullptr ? file_ : stdout;
    // The listing may share the terminal with the progress line: the line
    // goes, the text is written, the line comes back below it.
    const bool shared = progress_shares_terminal(f);
    if (shared) progress_clear();
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), f) != text.size()) note_failure(errno);
    wrote_anything_ = true;
    if (shared) {
        std::fflush(f);
        progress_redraw();
    }
}

void ListingWriter::step_begin(const Step& step) {
    pending_step_ = &step;
    last_groups_.clear();
}

void ListingWriter::headings(const Table& table) {
    std::string out;
    if (pending_step_ != nullptr) {
        if (!pending_step_->procedure.empty() || pending_step_->number != 0) {
            std::string title = "Step " + std::to_string(pending_step_->number);
            if (!pending_step_->procedure.empty()) title += ": " + pending_step_->procedure;
            if (wrote_anything_) out += "\n";
            out += title + "\n" + std::string(title.size(), '=') + "\n\n";
        }
        pending_step_ = nullptr;
    }
    size_t same = 0;
    while (same < last_groups_.size() && same < table.groups.size() && last_groups_[same] == table.groups[same]) ++same;
    for (size_t d = same; d < table.groups.size(); ++d) {
        const Group* g = table.groups[d];
        const std::string title = g->label.empty() ? g->name : g->label;
        const std::string indent(2 * d, ' ');
        out += indent + title + "\n" + indent + std::string(display_width(title), '-') + "\n\n";
    }
    last_groups_ = table.groups;
    if (!out.empty()) write(out);
}

void ListingWriter::write_complete(Table& table) {
    if (table.listed) return;
    if (table.live) {
        write_live(table);
        write("\n");
    } else {
        headings(table);
        write(render_table_text(table) + "\n");
    }
    table.listed = true;
    flush();
}

void ListingWriter::write_live(Table& table) {
    if (table.listed || table.kind != TableKind::Data) return;
    const Layout fixed = [&] {
        Layout l;
        if (table.live) {
            l.widths = table.live_widths;
            for (const Column& c : table.columns) l.right.push_back(c.type != ColumnType::Character);
        } else {
            l = data_layout(table, true);
        }
        return l;
    }();
    std::vector<size_t> cols(table.columns.size());
    for (size_t k = 0; k < cols.size(); ++k) cols[k] = k;
    std::string out;
    if (!table.live) {
        headings(table);
        table.live = true;
        table.live_widths = fixed.widths;
        out += title_block(table, panel_width(fixed, cols));
        out += header_text(table, fixed, cols);
    }
    for (size_t r = table.rows_listed; r < table.rows.size(); ++r) out += row_text(table, fixed, cols, table.rows[r]);
    table.rows_listed = table.rows.size();
    if (!out.empty()) write(out);
    flush();
}

}  // namespace qmlp::host::output

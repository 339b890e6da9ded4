// html_writer.cpp -- the HTML report: one self-contained page (inline CSS,
// no scripts, no external resources) with a table of contents and every
// table grouped by step, by solve within a step, and by output group.
#include <set>
#include <string>
#include <vector>

#include "host_api.h"
#include "output/html_picture.h"
#include "output/listing_writer.h"
#include "output/parametric_chart.h"
#include "output/report_writers.h"
#include "output/text_util.h"

namespace qmlp::host::output {
namespace {

constexpr const char* kStyle = R"CSS(
:root { --ink: #1d2433; --muted: #5b6474; --rule: #d5dae3; --band: #f4f6fa; --accent: #2f5d8a; }
* { box-sizing: border-box; }
body { margin: 0; color: var(--ink); background: #fff;
       font: 15px/1.45 "Segoe UI", "Helvetica Neue", Arial, sans-serif; }
header.report { padding: 1.2rem 2rem; border-bottom: 3px solid var(--accent); }
header.report h1 { margin: 0; font-size: 1.5rem; }
header.report p { margin: .2rem 0 0; color: var(--muted); }
.layout { display: flex; align-items: flex-start; }
nav.toc { flex: 0 0 17rem; position: sticky; top: 0; max-height: 100vh; overflow-y: auto;
          padding: 1rem 1rem 2rem 1.5rem; border-right: 1px solid var(--rule); font-size: .9rem; }
nav.toc h2 { font-size: 1rem; margin: 0 0 .5rem; }
nav.toc ol { list-style: none; margin: 0; padding-left: .9rem; }
nav.toc > ol { padding-left: 0; }
nav.toc li { margin: .15rem 0; }
nav.toc a { color: var(--accent); text-decoration: none; }
nav.toc a:hover { text-decoration: underline; }
main { flex: 1 1 auto; min-width: 0; padding: 1rem 2rem 3rem; }
section.step > h2 { font-size: 1.35rem; border-bottom: 1px solid var(--rule); padding-bottom: .2rem; }
section.part > h3 { font-size: 1.15rem; color: var(--accent); }
section.group { margin-left: .4rem; padding-left: .9rem; border-left: 3px solid var(--band); }
section.group > .group-title { font-weight: 600; margin: 1.2rem 0 .4rem; }
figure.table { margin: 1rem 0 1.8rem; overflow-x: auto; }
figure.table .with-chart { display: flex; flex-wrap: wrap; gap: 1.2rem; align-items: flex-start; }
table { border-collapse: collapse; font-size: .92rem; }
caption { text-align: left; padding-bottom: .4rem; }
caption .title { display: block; font-weight: 600; font-size: 1.02rem; }
caption .subtitle, caption .keys { display: block; color: var(--muted); font-size: .88rem; }
th, td { padding: .22rem .7rem; vertical-align: baseline; }
thead th { border-bottom: 2px solid var(--ink); text-align: left; white-space: nowrap; }
tbody tr:nth-child(even) { background: var(--band); }
td { border-bottom: 1px solid var(--rule); white-space: pre; }
.n { text-align: right; font-variant-numeric: tabular-nums;
     font-family: "DejaVu Sans Mono", Menlo, Consolas, monospace; }
th.n { font-family: inherit; }
.c { text-align: left; }
.missing { color: var(--muted); }
table.factoid th[scope=row] { text-align: left; font-weight: normal; padding-right: 2.5rem;
                              border-bottom: 1px solid var(--rule); }
table.factoid tr.spacer td, table.factoid tr.spacer th { border: 0; background: #fff; height: .6rem; }
table.matrix tbody th { text-align: left; font-weight: 600; border-bottom: 1px solid var(--rule); }
figcaption.note { color: var(--muted); font-size: .88rem; margin-top: .3rem; }
.empty { color: var(--muted); font-style: italic; }
@media print { nav.toc { display: none; } .layout { display: block; } }
)CSS";

std::string esc(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string title_of(const Table& t) { return !t.label.empty() ? t.label : t.name; }

bool is_missing(const Cell& c) { return c.kind == Cell::Kind::Double && missing_letter(c.d) != 0; }

std::string td(const Cell& c, const Column& col) {
    const bool number = c.kind == Cell::Kind::Integer || c.kind == Cell::Kind::Double;
    std::string cls = number ? "n" : "c";
    if (is_missing(c)) cls += " missing";
    return "<td class=\"" + cls + "\">" + esc(plain_cell_text(c, col)) + "</td>";
}

struct TocEntry {
    int level;
    std::string id;
    std::string text;
};

class PageBuilder {
  public:
    void step(const Step& s);
    std::string toc() const;
    std::string body;

  private:
    void table(const Table& t);
    void data_table(const Table& t);
    void factoid(const Table& t);
    void enter_groups(const std::vector<const Group*>& chain, int base_level);
    void close_groups(size_t keep);

    std::vector<TocEntry> toc_;
    std::vector<const Group*> open_;
    int group_base_level_ = 2;
};

// Tables of one step split into solves: an ungrouped table whose template
// already appeared in the current solve starts the next one.
std::vector<size_t> part_starts(const Step& s) {
    std::vector<size_t> starts;
    std::set<std::string> seen;
    for (size_t k = 0; k < s.tables.size(); ++k) {
        const Table& t = *s.tables[k];
        if (k == 0) starts.push_back(0);
        if (!t.groups.empty()) continue;
        const std::string key = t.template_path.empty() ? t.name : t.template_path;
        if (seen.count(key) != 0) {
            starts.push_back(k);
            seen.clear();
        }
        seen.insert(key);
    }
    return starts;
}

// A solve is named after the first entries of its first table when that is
// a factoid (the problem summary names objective and right-hand side).
std::string part_title(const Table& first, size_t number) {
    if (first.kind == TableKind::Factoid) {
        std::string title;
        int used = 0;
        for (const FactoidEntry& e : first.entries) {
            const std::string value = listing_entry_value(e);
            if (is_blank(e.label) || value.empty() || e.value.kind != Cell::Kind::Text) continue;
            if (!title.empty()) title += " \xC2\xB7 ";
            title += trim(e.label) + ": " + value;
            if (++used == 2) break;
        }
        if (!title.empty()) return title;
    }
    return "Solve " + std::to_string(number);
}

void PageBuilder::step(const Step& s) {
    const std::string sid = "step-" + std::to_string(s.number);
    std::string title = "Step " + std::to_string(s.number);
    if (!s.procedure.empty()) title += ": " + s.procedure;
    toc_.push_back({1, sid, title});
    body += "<section class=\"step\" id=\"" + sid + "\">\n<h2>" + esc(title) + "</h2>\n";
    if (s.tables.empty()) body += "<p class=\"empty\">This step printed no tables.</p>\n";

    const std::vector<size_t> starts = part_starts(s);
    const bool parts = starts.size() > 1;
    for (size_t p = 0; p < starts.size(); ++p) {
        const size_t end = p + 1 < starts.size() ? starts[p + 1] : s.tables.size();
        if (parts) {
            const std::string pid = sid + "-part-" + std::to_string(p + 1);
            const std::string ptitle = part_title(*s.tables[starts[p]], p + 1);
            toc_.push_back({2, pid, ptitle});
            body += "<section class=\"part\" id=\"" + pid + "\">\n<h3>" + esc(ptitle) + "</h3>\n";
        }
        group_base_level_ = parts ? 3 : 2;
        for (size_t k = starts[p]; k < end; ++k) table(*s.tables[k]);
        close_groups(0);
        if (parts) body += "</section>\n";
    }
    body += "</section>\n";
}

void PageBuilder::close_groups(size_t keep) {
    while (open_.size() > keep) {
        body += "</section>\n";
        open_.pop_back();
    }
}

void PageBuilder::enter_groups(const std::vector<const Group*>& chain, int base_level) {
    size_t same = 0;
    while (same < open_.size() && same < chain.size() && open_[same] == chain[same]) ++same;
    close_groups(same);
    for (size_t d = same; d < chain.size(); ++d) {
        const Group* g = chain[d];
        const std::string gid = "g-" + std::to_string(g->id);
        const std::string title = g->label.empty() ? g->name : g->label;
        toc_.push_back({base_level + static_cast<int>(d), gid, title});
        body += "<section class=\"group\" id=\"" + gid + "\" data-name=\"" + esc(g->name) + "\">\n" +
                "<div class=\"group-title\">" + esc(title) + "</div>\n";
        open_.push_back(g);
    }
}

void PageBuilder::table(const Table& t) {
    enter_groups(t.groups, group_base_level_);
    const std::string tid = "t-" + std::to_string(t.id);
    toc_.push_back({group_base_level_ + static_cast<int>(t.groups.size()), tid, title_of(t)});
    body += "<figure class=\"table\" id=\"" + tid + "\" data-name=\"" + esc(t.name) + "\" data-template=\"" +
            esc(t.template_path) + "\">\n";
    const std::string chart = parametric_chart_svg(t);
    if (!chart.empty()) body += "<div class=\"with-chart\">\n";
    if (t.kind == TableKind::Factoid)
        factoid(t);
    else
        data_table(t);
    if (!chart.empty()) body += chart + "</div>\n";
    if (!t.note.empty()) body += "<figcaption class=\"note\">" + esc(t.note) + "</figcaption>\n";
    body += "</figure>\n";
}

std::string caption(const Table& t) {
    std::string out = "<caption><span class=\"title\">" + esc(title_of(t)) + "</span>";
    if (!t.subtitle.empty()) out += "<span class=\"subtitle\">" + esc(display_subtitle(t.subtitle)) + "</span>";
    for (const auto& [k, v] : t.keys) out += "<span class=\"keys\">" + esc(k) + ": " + esc(v) + "</span>";
    return out + "</caption>\n";
}

void PageBuilder::data_table(const Table& t) {
    const bool matrix = t.kind == TableKind::Matrix;
    const bool picture = is_matrix_picture(t.template_path);
    const bool legend = is_matrix_picture_legend(t.template_path);
    body += std::string("<table class=\"") + (matrix ? "matrix" : "data") + "\">\n" + caption(t) + "<thead><tr>";
    for (const Column& c : t.columns)
        body += std::string("<th class=\"") + (c.type == ColumnType::Character ? "c" : "n") + "\" scope=\"col\">" +
                esc(c.name) + "</th>";
    body += "</tr></thead>\n<tbody>\n";
    if (t.rows.empty())
        body += "<tr><td class=\"empty\" colspan=\"" + std::to_string(std::max<size_t>(t.columns.size(), 1)) +
                "\">No rows.</td></tr>\n";
    for (const auto& row : t.rows) {
        body += "<tr>";
        for (size_t k = 0; k < row.size() && k < t.columns.size(); ++k) {
            if (matrix && k == 0)
                body += "<th scope=\"row\">" + esc(plain_cell_text(row[0], t.columns[0])) + "</th>";
            else if (picture && k > 0 && row[k].kind == Cell::Kind::Text)
                body += picture_td(row[k].s);
            else if (legend && (k == 0 || k == 5) && row[k].kind == Cell::Kind::Text)
                body += legend_td(row[k].s);
            else
                body += td(row[k], t.columns[k]);
        }
        body += "</tr>\n";
    }
    body += "</tbody>\n</table>\n";
}

void PageBuilder::factoid(const Table& t) {
    body += "<table class=\"factoid\">\n" + caption(t) + "<tbody>\n";
    for (const FactoidEntry& e : t.entries) {
        const std::string value = listing_entry_value(e);
        if (is_blank(e.label) && value.empty()) {
            body += "<tr class=\"spacer\"><th scope=\"row\"></th><td></td></tr>\n";
            continue;
        }
        const bool number = e.value.kind == Cell::Kind::Integer || e.value.kind == Cell::Kind::Double;
        std::string cls = number ? "n" : "c";
        if (is_missing(e.value)) cls += " missing";
        body += "<tr><th scope=\"row\">" + esc(trim(e.label)) + "</th><td class=\"" + cls + "\">" + esc(value) +
                "</td></tr>\n";
    }
    if (t.entries.empty()) body += "<tr><td class=\"empty\">No entries.</td></tr>\n";
    body += "</tbody>\n</table>\n";
}

std::string PageBuilder::toc() const {
    std::string out = "<nav class=\"toc\" aria-label=\"Contents\">\n<h2>Contents</h2>\n";
    // item_open[k]: an <li> of list level k is still open (nested lists go inside it).
    std::vector<bool> item_open(1, false);
    int level = 0;
    for (const TocEntry& e : toc_) {
        while (level < e.level) {
            out += "<ol>\n";
            ++level;
            item_open.resize(static_cast<size_t>(level) + 1);
            item_open[static_cast<size_t>(level)] = false;
        }
        while (level > e.level) {
            if (item_open[static_cast<size_t>(level)]) out += "</li>\n";
            out += "</ol>\n";
            --level;
        }
        if (item_open[static_cast<size_t>(level)]) out += "</li>\n";
        out += "<li><a href=\"#" + e.id + "\">" + esc(e.text) + "</a>";
        item_open[static_cast<size_t>(level)] = true;
    }
    while (level > 0) {
        if (item_open[static_cast<size_t>(level)]) out += "</li>\n";
        out += "</ol>\n";
        --level;
    }
    out += "</nav>\n";
    return out;
}

}  // namespace

std::string plain_cell_text(const Cell& cell, const Column& column) { return trim(listing_cell(cell, column)); }

std::string render_html(const Document& document) {
    PageBuilder page;
    size_t tables = 0;
    for (const auto& step : document.steps) {
        if (step->tables.empty() && step->number == 0) continue;
        tables += step->tables.size();
        page.step(*step);
    }
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>qmlp report</title>\n<style>" +
        std::string(kStyle) + kPictureStyle + "</style>\n</head>\n<body>\n";
    out += "<header class=\"report\"><h1>qmlp report</h1><p>" + std::to_string(document.steps.size()) +
           (document.steps.size() == 1 ? " step, " : " steps, ") + std::to_string(tables) +
           (tables == 1 ? " table" : " tables") + "</p></header>\n";
    out += "<div class=\"layout\">\n" + page.toc() + "<main>\n" + page.body + "</main>\n</div>\n</body>\n</html>\n";
    return out;
}

}  // namespace qmlp::host::output

// output_session.cpp -- the output part's state and the host_api.h entries
// that steer it: configure, step begin and end, flush and finish.
#include "output/output_session.h"

#include <chrono>
#include <cstdio>
#include <fstream>

#include "data/run_files.h"
#include "output/log_sink.h"
#include "output/progress_line.h"
#include "output/report_writers.h"

namespace qmlp::host {
namespace output {

OutputSession& session() {
    static OutputSession s;
    return s;
}

int64_t clock_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

Step& current_step() {
    OutputSession& s = session();
    if (s.step == nullptr) output_step_begin(0, "");
    return *s.step;
}

std::vector<const Group*> group_chain(const Group* g) {
    std::vector<const Group*> chain;
    for (; g != nullptr; g = g->parent) chain.insert(chain.begin(), g);
    return chain;
}

Group* innermost_open_group() {
    OutputSession& s = session();
    return s.open_groups.empty() ? nullptr : s.open_groups.back();
}

Group& add_group(Group* parent, std::string name, std::string label) {
    OutputSession& s = session();
    Step& step = current_step();
    auto g = std::make_unique<Group>();
    g->id = s.next_group_id++;
    g->name = std::move(name);
    g->label = std::move(label);
    g->parent = parent;
    Group& ref = *g;
    step.groups.push_back(std::move(g));
    s.open_groups.push_back(&ref);
    return ref;
}

void close_group(const Group* g) {
    auto& stack = session().open_groups;
    for (size_t k = 0; k < stack.size(); ++k) {
        if (stack[k] == g) {
            stack.resize(k);
            return;
        }
    }
}

Table& add_table(TableKind kind, const Group* group) {
    OutputSession& s = session();
    Step& step = current_step();
    auto t = std::make_unique<Table>();
    t->id = s.next_table_id++;
    t->kind = kind;
    t->step = step.number;
    t->groups = group_chain(group);
    t->opened_ms = clock_ms();
    Table& ref = *t;
    step.tables.push_back(std::move(t));
    return ref;
}

namespace {

void drop_listed_rows(Table& t) {
    if (session().keep_rows) return;
    t.rows.clear();
    t.rows.shrink_to_fit();
    t.rows_listed = 0;
}

}  // namespace

void table_rows_added(Table& table) {
    ++table.row_count;
    if (table.complete || table.kind != TableKind::Data) return;
    if (!table.live && table.rows.size() < kLiveRowThreshold && clock_ms() - table.opened_ms < kLiveAfterMs) return;
    session().listing.write_live(table);
    drop_listed_rows(table);
}

void table_completed(Table& table) {
    if (table.complete) return;
    table.complete = true;
    session().listing.write_complete(table);
    drop_listed_rows(table);
}

void flush_open_tables() {
    OutputSession& s = session();
    if (s.step == nullptr) return;
    for (auto& t : s.step->tables) {
        if (t->complete || t->kind != TableKind::Data || t->rows.empty()) continue;
        s.listing.write_live(*t);
        drop_listed_rows(*t);
    }
}

namespace {

bool write_report(const std::string& path, const std::string& text, const char* what) {
    std::string why;
    if (write_whole_file(path, text, &why)) return true;
    log_line(Severity::Error, std::string("The ") + what + " file " + path + " cannot be written (" + why + ").");
    return false;
}

}  // namespace
}  // namespace output

bool output_configure(const HostConfig& config) {
    using namespace output;
    OutputSession& s = session();
    // A step still in progress is finished into the old files first, so that
    // no handle of it outlives the document it points into.
    if (s.step != nullptr) output_step_end();
    s.listing.close();
    s.document = Document{};
    s.step = nullptr;
    s.open_groups.clear();
    s.next_table_id = 1;
    s.next_group_id = 1;
    s.listing_file = config.listing_file;
    s.json_file = config.json_file;
    s.html_file = config.html_file;
    s.keep_rows = !s.json_file.empty() || !s.html_file.empty();
    progress_configure(config.progress);
    bool ok = log_open(config.log_file);
    std::string why;
    if (!s.listing.open(s.listing_file, &why)) {
        log_line(Severity::Error, "The listing file " + s.listing_file + " cannot be opened (" + why + ").");
        ok = false;
    }
    // The reports are written at the end: a target that cannot take them is
    // reported now, before a long run whose report would be lost.
    const std::pair<const std::string*, const char*> reports[] = {{&s.json_file, "JSON"}, {&s.html_file, "HTML"}};
    for (const auto& [file, what] : reports) {
        if (file->empty() || output_target_usable(*file, &why)) continue;
        log_line(Severity::Error, std::string("The ") + what + " file " + *file + " cannot be written (" + why + ").");
        ok = false;
    }
    return ok;
}

void output_step_begin(int step_number, std::string_view procedure) {
    using namespace output;
    OutputSession& s = session();
    if (s.step != nullptr) output_step_end();
    auto step = std::make_unique<Step>();
    step->number = step_number;
    step->procedure = std::string(procedure);
    s.step = step.get();
    s.document.steps.push_back(std::move(step));
    s.open_groups.clear();
    s.listing.step_begin(*s.step);
    protocol_step_begin();
}

void output_step_end() {
    using namespace output;
    OutputSession& s = session();
    if (s.step == nullptr) return;
    protocol_step_end();  // completes whatever the step left open
    s.open_groups.clear();
    s.step = nullptr;
    output_flush();
}

void output_flush() {
    using namespace output;
    flush_open_tables();
    session().listing.flush();
    std::fflush(log_stream());
}

namespace {

// A report is written at the end, over its target: a target the run read
// as a data set keeps its data, and the report is refused.
bool report_target_free(const std::string& file, const char* what) {
    const std::string role =
        data::run_files_role_of(file, data::run_file_bit(data::RunFileKind::kDataSetInput));
    if (role.empty()) return true;
    log_line(Severity::Error, std::string("The ") + what + " report " + file + " is not written: the file is " +
                                  role + ", read by this run.");
    return false;
}

}  // namespace

void output_close_files() {
    output::session().listing.close();
    output::log_close();
}

int output_finish() {
    using namespace output;
    OutputSession& s = session();
    output_step_end();
    bool ok = true;
    if (!s.json_file.empty() && report_target_free(s.json_file, "JSON"))
        ok = write_report(s.json_file, render_json(s.document), "JSON") && ok;
    else if (!s.json_file.empty())
        ok = false;
    if (!s.html_file.empty() && report_target_free(s.html_file, "HTML"))
        ok = write_report(s.html_file, render_html(s.document), "HTML") && ok;
    else if (!s.html_file.empty())
        ok = false;
    output_flush();
    if (s.listing.failed()) {
        const std::string where = s.listing_file.empty() ? "standard output" : "the listing file " + s.listing_file;
        log_line(Severity::Error,
                 "The listing could not be written completely to " + where + " (" + s.listing.failure() + ").");
        ok = false;
    }
    std::string why;
    if (!s.listing.close(&why)) {
        log_line(Severity::Error, why);
        ok = false;
    }
    if (!log_check_written()) ok = false;
    if (!log_close()) ok = false;
    return ok ? 0 : 1;
}

}  // namespace qmlp::host

// progress_line.cpp -- drawing and clearing the progress line.
#include "output/progress_line.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "host_api.h"

namespace qmlp::host::output {
namespace {

int g_mode = -1;
bool g_shown = false;
std::string g_text;  // the line last drawn, while a solve runs
int64_t g_started_ms = -1;  // the first report of the current solve
int64_t g_drawn_ms = -1;

int64_t now_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool enabled() {
    if (g_mode >= 0) return g_mode == 1;
    static const int terminal = isatty(STDERR_FILENO);
    return terminal != 0;
}

// A line longer than the terminal would wrap, and a carriage return could
// then not take it back: cut to the width, less one column.
std::size_t terminal_width() {
    struct winsize size {};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col - 1;
    return 79;
}

void write_stderr(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

bool known(double value) { return missing_letter(value) == 0 && std::isfinite(value); }

std::string number(double value) {
    if (!known(value)) return "-";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", value);
    return buffer;
}

}  // namespace

void progress_configure(int mode) {
    progress_clear();
    g_text.clear();
    g_mode = mode;
    g_started_ms = -1;
    g_drawn_ms = -1;
}

std::string progress_text(const TymProgress& r, int64_t elapsed_ms) {
    std::string text;
    if (r.stage == TYM_PROGRESS_INTEGER) {
        text = "nodes " + std::to_string(r.nodes) + "  active " + std::to_string(r.active) + "  incumbent " +
               number(r.incumbent) + "  bound " + number(r.best_bound) + "  gap ";
        if (known(r.incumbent) && known(r.best_bound)) {
            const double gap = std::fabs(r.best_bound - r.incumbent) / std::fmax(1.0, std::fabs(r.incumbent));
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.2f%%", 100.0 * gap);
            text += buffer;
        } else {
            text += "-";
        }
        text += "  iter " + std::to_string(r.iterations);
    } else {
        text = "phase " + std::to_string(r.phase) + "  iter " + std::to_string(r.iterations) + "  obj " +
               number(r.objective) + "  infeas " + number(r.infeasibility);
    }
    const int64_t seconds = elapsed_ms / 1000;
    char clock[32];
    std::snprintf(clock, sizeof clock, "  %lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text + clock;
}

int progress_report(const TymProgress* report) {
    if (report == nullptr || report->size < sizeof(TymProgress)) return 0;
    if (report->stage == TYM_PROGRESS_DONE) {
        progress_clear();
        g_text.clear();
        g_started_ms = -1;
        g_drawn_ms = -1;
        return 0;
    }
    const int64_t now = now_ms();
    if (g_started_ms < 0) g_started_ms = now;
    if (!enabled()) return 0;
    if (g_drawn_ms >= 0 && now - g_drawn_ms < kRedrawMs) return 0;
    g_drawn_ms = now;
    std::string text = progress_text(*report, now - g_started_ms);
    const std::size_t width = terminal_width();
    if (text.size() > width) text.resize(width);
    // Back to the start of the line, the text, and the rest of the line
    // erased (a shorter text must not leave the end of a longer one).
    write_stderr("\r" + text + "\x1b[K");
    g_shown = true;
    g_text = std::move(text);
    return 0;
}

void progress_forget() { g_text.clear(); }

void progress_redraw() {
    if (g_shown || g_text.empty() || !enabled()) return;
    write_stderr("\r" + g_text + "\x1b[K");
    g_shown = true;
}

bool progress_shares_terminal(std::FILE* stream) {
    if (stream == stderr) return true;
    static const bool stdout_terminal = isatty(STDOUT_FILENO) != 0;
    return stream == stdout && stdout_terminal;
}

void progress_clear() {
    if (!g_shown) return;
    g_shown = false;
    write_stderr("\r\x1b[K");
}

}  // namespace qmlp::host::output

namespace qmlp::host {

int progress_line_report(const TymProgress* report) { return output::progress_report(report); }
// A prompt waits for the user: the line goes and does not come back below
// what the pause prints; the next report of the solve draws it again.
void progress_line_clear() {
    output::progress_clear();
    output::progress_forget();
}

}  // namespace qmlp::host

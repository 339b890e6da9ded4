// status_macro.cpp -- building and setting _QMLP_.
#include "control/status_macro.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "base/host_link.h"
#include "output/reported_values.h"

namespace tymlp {
namespace {

constexpr int kDoubleField = 32;

struct StatusName {
    int status;
    const char* word;
};

const StatusName kWords[] = {
    {kRunSingular, "SINGULAR"},
    {kRunMaxTime, "MAX_TIME"},
    {kRunMaxIter, "MAX_ITER"},
    {kRunPause, "PAUSE"},
    {kRunInfeasible, "INFEASIBLE"},
    {kRunUnbounded, "UNBOUNDED"},
    {kRunMemory, "MEMORY_ERROR"},
    {kRunMemoryAlt, "MEMORY_ERROR"},
    {kRunSyntax, "SYNTAX_ERROR"},
    {kRunSemantic, "SEMANTIC_ERROR"},
    {kRunUnstable, "UNSTABLE"},
    {kRunPivot, "PIVOT"},
    {kRunIntFeasible, "INT_FEASIBLE"},
    {kRunFathomed, "FATHOMED"},
    {kRunIntMaxIter, "INT_MAX_ITER"},
    {kRunIPause, "IPAUSE"},
    {kRunActive, "ACTIVE"},
    {kRunRelaxed, "RELAXED"},
    {kRunIntInfeasible, "INT_INFEASIBLE"},
    {kRunIo, "IO_ERROR"},
    {kRunBadData, "BADDATA_ERROR"},
    {kRunBreak, "BREAK"},
    {kRunIPivot, "IPIVOT"},
    {kRunProximityPause, "PROXIMITYPAUSE"},
    {kRunFeasiblePause, "FEASIBLEPAUSE"},
    {kRunBug, "LP_BUG"},
};

// Appends text to the buffer, keeping it terminated.
class Text {
  public:
    Text(char* buf, int size) : buf_(buf), size_(size) { buf_[0] = '\0'; }
    void add(const char* s) { add(s, static_cast<int>(std::strlen(s))); }
    void add(const char* s, int n) {
        for (int i = 0; i < n && used_ + 1 < size_; ++i) buf_[used_++] = s[i];
        buf_[used_] = '\0';
    }
    void field(const char* key, const char* value) {
        add(key);
        add(value);
        add(" ");
    }
    void integer(const char* key, int64_t value) {
        char digits[24];
        auto res = std::to_chars(digits, digits + sizeof digits, value);
        *res.ptr = '\0';
        field(key, digits);
    }
    // A double in best format, its blanks dropped.
    void number(const char* key, double value) {
        char formatted[kDoubleField + 1];
        std::memset(formatted, ' ', sizeof formatted);
        host_format_double(value, kDoubleField, formatted);
        formatted[kDoubleField] = '\0';
        int b = 0, e = kDoubleField;
        while (b < e && formatted[b] == ' ') ++b;
        while (e > b && (formatted[e - 1] == ' ' || formatted[e - 1] == '\0')) --e;
        add(key);
        add(formatted + b, e - b);
        add(" ");
    }
    int length() const { return used_; }

  private:
    char* buf_;
    int size_;
    int used_ = 0;
};

// The objective column's scale factor, or 0 when it cannot be had.
double objective_scale(const LpContext* ctx, int32_t* column) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    const ComputationalForm& f = ctx->form;
    *column = -1;
    if (obj == nullptr || f.column_scale == nullptr || obj->column < 0 || obj->column >= f.allocated_n) return 0;
    *column = obj->column;
    return f.column_scale[obj->column];
}

double objective_sense(const LpContext* ctx) {
    const ObjectiveRecord* obj = ctx->model.current_objective;
    return obj != nullptr ? obj->sense : 1.0;
}

void objective_field(Text& t, const LpContext* ctx) {
    int32_t column;
    const double scale = objective_scale(ctx, &column);
    if (scale == 0 || ctx->form.value == nullptr)
        t.field("OBJECTIVE=", ".");
    else
        t.number("OBJECTIVE=", ctx->form.value[column] / scale);
}

void integer_fields(Text& t, LpContext* ctx, int run_status) {
    const BbState& bb = ctx->bb;
    t.integer("INT_ITER=", bb.iteration);
    t.integer("INT_FEAS=", bb.feasible_count);
    t.integer("ACTIVE=", bb.active_count);
    int32_t column;
    const double scale = objective_scale(ctx, &column);
    if (bb.incumbent == nullptr || scale == 0)
        t.field("INT_BEST=", ".");
    else
        t.number("INT_BEST=", bb.incumbent->bound * objective_sense(ctx) / scale);

    const bool proximity = run_status != 0 && (bb.incumbent != nullptr || bb.improved != 0) && bb.active_count > 0;
    if (!proximity) return;
    const ActiveNode* best = bb.lists[kListByBound].high;
    if (bb.incumbent == nullptr || best == nullptr || scale == 0) {
        t.field("PROXIMITY=", ".");
        return;
    }
    double d = best->bound - bb.incumbent->bound;
    if (d < 0) d = 0;
    d /= scale;
    if (std::fabs(d) < ctx->options.fuzz) d = 0;
    ctx->solver.proximity = d;
    t.number("PROXIMITY=", d);
}

}  // namespace

const char* status_word(const LpContext* ctx, int run_status) {
    if (run_status == kRunOk) {
        if (!integer_problem(ctx)) return "SUCCESSFUL";
        const BbState& bb = ctx->bb;
        if (bb.feasible_count > 0) return bb.active_count > 0 ? "INT_FEASIBLE" : "SUCCESSFUL";
        return bb.active_count > 0 ? "RELAXED" : "INT_INFEASIBLE";
    }
    for (const StatusName& n : kWords)
        if (n.status == run_status) return n.word;
    return "UNKNOWN_ERROR";
}

int build_status_text(LpContext* ctx, int run_status, char* buf, int buflen) {
    Text t(buf, buflen);
    const SolverState& s = ctx->solver;
    t.field("STATUS=", status_word(ctx, run_status));
    t.integer("PHASE=", s.phase);
    objective_field(t, ctx);
    t.field("P_FEAS=", s.primal_feasible != 0 ? "YES" : "NO");
    t.field("D_FEAS=", s.optimal != 0 ? "YES" : "NO");
    if (integer_problem(ctx)) integer_fields(t, ctx, run_status);
    t.integer("PHASE1_ITER=", s.iterations[0]);
    t.integer("PHASE2_ITER=", s.iterations[1]);
    t.integer("PHASE3_ITER=", s.iterations[2]);
    return t.length();
}

int set_status_macro(LpContext* ctx, int run_status) {
    char text[kStatusTextBytes];
    const int length = build_status_text(ctx, run_status, text, sizeof text);
    host_macro_set(host_macro_scope(), kStatusMacroName, kStatusMacroNameLength, text, length);
    return 0;
}

}  // namespace tymlp

// solution_summary.cpp -- the log note, the subtitle and the SolutionSummary
// factoid.
#include "report/solution_summary.h"

#include <cstring>

#include "base/host_link.h"
#include "output/iteration_log.h"
#include "output/reported_values.h"
#include "output/table_output.h"
#include "report/factoid.h"

namespace tymlp {
namespace {

constexpr int kPrintSummaries = -1;
constexpr int64_t kMillisecondsPerSecond = 1000;
constexpr int kPhaseCount = 3;

// Messages of the note while a phase is in progress.
enum PhaseMessage : int {
    kMsgUnbounded = 54,
    kMsgInfeasible = 55,
    kMsgFathomed = 56,
    kMsgUnstable = 57,
    kMsgIntegerLimit = 60,
    kMsgIterationLimit = 61,
    kMsgStoppedIn = 65,
    kMsgIntegerPivots = 171,
    kMsgSolutionsActive = 160,
    kMsgOptimal = 50,
    kMsgIncumbent = 49,
    kMsgNotIncumbent = 207,
    kMsgNotFeasible = 52,
    kMsgNotOptimal = 53
};

// Messages of the note once the solve has ended.
enum EndMessage : int {
    kMsgEndInfeasible = 147,
    kMsgEndUnbounded = 148,
    kMsgEndUnstable = 149,
    kMsgUnverified = 297,
    kMsgEndSingular = 150,
    kMsgEndTime = 151,
    kMsgEndMemory = 152,
    kMsgEndIntegerLimit = 154,
    kMsgEndIterationLimit = 155,
    kMsgEndBbMemory = 159,
    kMsgNoSolutionActive = 161,
    kMsgNoIntegerSolution = 208
};

// Catalogue group 253: subtitle texts and entry labels.
enum SummaryLabel : int {
    kTextPaused = 61,
    kTextPhase = 62,
    kTextFathomed = 63,
    kTextOptimal = 64,
    kTextUnbounded = 65,
    kTextInfeasible = 66,
    kTextUnstable = 67,
    kTextSingular = 68,
    kTextTime = 69,
    kTextMemory = 70,
    kTextNoInteger = 71,
    kTextIntegerLimit = 72,
    kTextPhaseLimit = 73,
    kTextBbMemory = 74,
    kTextActive = 75,
    kTextRelaxed = 76,
    kTextIntegerOptimal = 90,
    kTextIntegerFeasible = 91,
    kLabelObjective = 77,
    kLabelIterations = 78,
    kLabelIntegerIterations = 79,
    kLabelIntegerSolutions = 80,
    kLabelMarkedBasic = 81,
    kLabelTime = 82,
    kLabelInversions = 84,
    kLabelEpsilon = 85,
    kLabelInfinity = 86,
    kLabelMaxIterations = 87,
    kLabelTimeLimit = 88,
    kLabelIntegerMaxIterations = 122,
    kLabelTable = 220
};

void message_phase_twice(int number, int16_t phase) {
    const TymArg args[] = {arg_int(phase), arg_int(phase)};
    host_message(number, 2, args);
}

void message_count(int number, int64_t count) {
    const TymArg arg = arg_int(count);
    host_message(number, 1, &arg);
}

void note_in_phase(const SolveOutcome& o, bool current_is_incumbent, bool has_current_node) {
    switch (o.code) {
        case kRunUnbounded: host_message(kMsgUnbounded); break;
        case kRunUnstable: host_message(o.unverified ? int{kMsgUnverified} : int{kMsgUnstable}); break;
        case kRunFathomed: host_message(kMsgFathomed); break;
        case kRunInfeasible: host_message(kMsgInfeasible); break;
        case kRunMaxIter: message_phase_twice(kMsgIterationLimit, o.phase); break;
        case kRunIPivot: host_message(kMsgIntegerPivots); break;
        case kRunIntMaxIter: host_message(kMsgIntegerLimit); break;
        case kRunIntFeasible: message_count(kMsgSolutionsActive, o.solutions); break;
        default: break;
    }
    message_count(kMsgStoppedIn, o.phase);
    if (o.feasible && o.optimal) {
        host_message(kMsgOptimal);
        if (has_current_node) host_message(current_is_incumbent ? kMsgIncumbent : kMsgNotIncumbent);
    } else if (!o.feasible) {
        host_message(kMsgNotFeasible);
    } else {
        host_message(kMsgNotOptimal);
    }
}

int note_after_solve(const SolveOutcome& o) {
    if (o.code == kRunOk && o.integer) {
        if (o.solutions > 0 && o.active_nodes) {
            message_count(kMsgSolutionsActive, o.solutions);
            return kRunIntFeasible;
        }
        if (o.solutions > 0) return kRunOk;
        host_message(o.active_nodes ? kMsgNoSolutionActive : kMsgNoIntegerSolution);
        return o.active_nodes ? kRunRelaxed : kRunIntInfeasible;
    }
    switch (o.code) {
        case kRunMemoryAlt: host_message(kMsgEndBbMemory); break;
        case kRunMaxIter: message_phase_twice(kMsgEndIterationLimit, o.phase); break;
        case kRunIntMaxIter: host_message(kMsgEndIntegerLimit); break;
        case kRunMemory: host_message(kMsgEndMemory); break;
        case kRunMaxTime: host_message(kMsgEndTime); break;
        case kRunSingular: host_message(kMsgEndSingular); break;
        case kRunUnstable: host_message(o.unverified ? kMsgUnverified : kMsgEndUnstable); break;
        case kRunUnbounded: host_message(kMsgEndUnbounded); break;
        case kRunInfeasible: host_message(kMsgEndInfeasible); break;
        default: break;
    }
    return o.code;
}

// The status text of a subtitle code; 0 when the code has none.
int status_text(int code, bool in_phase) {
    switch (code) {
        case kRunIntFeasible: return in_phase ? kTextIntegerFeasible : 0;
        case kRunRelaxed: return kTextRelaxed;
        case kRunActive: return kTextActive;
        case kRunMemoryAlt: return kTextBbMemory;
        case kRunMaxIter: return kTextPhaseLimit;
        case kRunIntMaxIter: return kTextIntegerLimit;
        case kRunIntInfeasible: return kTextNoInteger;
        case kRunMemory: return kTextMemory;
        case kRunMaxTime: return kTextTime;
        case kRunSingular: return kTextSingular;
        case kRunPause: return kTextPaused;
        case kRunUnstable: return kTextUnstable;
        case kRunInfeasible: return kTextInfeasible;
        case kRunUnbounded: return kTextUnbounded;
        case kRunFathomed: return kTextFathomed;
        default: return 0;
    }
}

// The integer outcome text once no phase is in progress; 0 when none.
int outcome_text(const SolveOutcome& o) {
    if (!o.integer) return o.feasible && o.optimal ? kTextOptimal : 0;
    if (o.solutions == 0) return o.feasible && o.optimal ? kTextRelaxed : 0;
    return o.active_nodes ? kTextIntegerFeasible : kTextIntegerOptimal;
}

// Appends "/" and a catalogue text to the subtitle buffer, cut at its end.
class Subtitle {
  public:
    explicit Subtitle(char* buf) : buf_(buf) { std::memset(buf_, ' ', kSubtitleBytes); }
    void add(int number, int64_t argument = -1) {
        if (number == 0) return;
        const TymArg arg = arg_int(argument);
        const Label text = catalogue_label(number, argument >= 0 ? &arg : nullptr);
        if (std::strcmp(text.text, last_.text) == 0) return;
        last_ = text;
        put('/');
        for (const char* p = text.text; *p != '\0'; ++p) put(*p);
    }

  private:
    void put(char c) {
        if (used_ < kSubtitleBytes) buf_[used_++] = c;
    }
    char* buf_;
    int used_ = 0;
    Label last_{};
};

void summary_table(LpContext* ctx, const SolveOutcome& o, const char* subtitle) {
    const LpOptions& op = ctx->options;
    const SolverState& sv = ctx->solver;
    const ReportBasis b = report_basis(ctx);
    Factoid f = factoid_open(ctx, "Qm.Lp.SolutionSummary", "SolutionSummary", kLabelTable);
    const double objective = b.valid ? fuzz(ctx, column_value(ctx, b.objective_column)) : 0.0;
    factoid_double(f, catalogue_label(kLabelObjective).text, objective);
    factoid_spacer(f);
    for (int p = 1; p <= kPhaseCount; ++p) {
        const TymArg arg = arg_int(p);
        factoid_int(f, catalogue_label(kLabelIterations, &arg).text, sv.iterations[p - 1]);
    }
    factoid_int(f, catalogue_label(kLabelIntegerIterations).text, ctx->bb.iteration);
    factoid_int(f, catalogue_label(kLabelIntegerSolutions).text, o.solutions);
    factoid_int(f, catalogue_label(kLabelMarkedBasic).text, ctx->model.marked_basic);
    factoid_int(f, catalogue_label(kLabelTime).text, sv.elapsed_ms / kMillisecondsPerSecond);
    factoid_double(f, catalogue_label(kLabelInversions).text, static_cast<double>(sv.inversions));
    factoid_spacer(f);
    factoid_double(f, catalogue_label(kLabelEpsilon).text, op.epsilon);
    factoid_double(f, catalogue_label(kLabelInfinity).text, op.infinity);
    const int32_t limits[kPhaseCount] = {op.maxit1, op.maxit2, op.maxit3};
    for (int p = 1; p <= kPhaseCount; ++p) {
        const TymArg arg = arg_int(p);
        factoid_int(f, catalogue_label(kLabelMaxIterations, &arg).text, limits[p - 1]);
    }
    factoid_int(f, catalogue_label(kLabelIntegerMaxIterations).text, op.imaxit);
    factoid_int(f, catalogue_label(kLabelTimeLimit).text, static_cast<int64_t>(op.time));
    factoid_key(f, "SubTitles", subtitle, kSubtitleBytes);
    factoid_close(f);
}

}  // namespace

SolveOutcome solve_outcome(const LpContext* ctx) {
    const SolverState& sv = ctx->solver;
    SolveOutcome o{};
    o.phase = sv.phase;
    o.in_phase = sv.limit != nullptr && sv.phase != kPhaseNone;
    o.code = sv.run_status;
    o.unverified = sv.unverified != 0;
    o.feasible = sv.primal_feasible != 0;
    o.optimal = sv.optimal != 0;
    o.integer = integer_problem(ctx);
    o.solutions = ctx->bb.feasible_count;
    o.active_nodes = ctx->bb.active_count != 0;
    return o;
}

int solution_note(LpContext* ctx, const SolveOutcome& o, bool current_is_incumbent) {
    if (o.in_phase) {
        note_in_phase(o, current_is_incumbent, ctx->bb.current != nullptr);
        return o.code;
    }
    return note_after_solve(o);
}

void solution_subtitle(const SolveOutcome& o, int subtitle_code, char* buf) {
    Subtitle s(buf);
    if (o.in_phase) s.add(kTextPhase, o.phase);
    s.add(status_text(subtitle_code, o.in_phase), subtitle_code == kRunMaxIter ? o.phase : -1);
    if (!o.in_phase) s.add(outcome_text(o));
}

int print_solution_summary(LpContext* ctx) {
    const SolveOutcome o = solve_outcome(ctx);
    const int subtitle_code = solution_note(ctx, o, ctx->bb.current != nullptr && ctx->bb.current == ctx->bb.incumbent);
    close_iteration_logs(ctx, true);
    if (ctx->options.printlevel < kPrintSummaries) return 0;
    char subtitle[kSubtitleBytes];
    solution_subtitle(o, subtitle_code, subtitle);
    summary_table(ctx, o, subtitle);
    return 0;
}

}  // namespace tymlp

// statement_step.cpp -- the statement step and the parser callbacks.
#include "control/statement_step.h"

#include <cstring>

#include "base/context_memory.h"
#include "base/host_link.h"
#include "control/end_run.h"
#include "control/grammar.h"
#include "control/option_check.h"
#include "control/option_slots.h"
#include "control/parser_state.h"
#include "control/status_macro.h"
#include "factor/factor_entries.h"

namespace tymlp {
namespace {

constexpr int kMsgActsInPausesOnly = 362;

// Names a list starts with; it doubles when full.
constexpr int32_t kFirstListCapacity = 8;
constexpr int32_t kMaxVarNameLength = kVarNameBytes - 1;

// The list of a variable-list statement, or -1 for other statements.
int varlist_kind(int statement) {
    switch (statement) {
        case kStmtType: return kVarType;
        case kStmtId: return kVarId;
        case kStmtRhs: return kVarRhs;
        case kStmtRange: return kVarRange;
        case kStmtRhsSen: return kVarRhsSen;
        case kStmtVar: return kVarVar;
        case kStmtRow: return kVarRow;
        case kStmtColumn: return kVarColumn;
        case kStmtCoefficient: return kVarCoefficient;
        default: return -1;
    }
}

bool grow_list(LpContext* ctx, VarList& list, int32_t need) {
    if (need <= list.capacity) return true;
    int32_t capacity = list.capacity > 0 ? list.capacity : kFirstListCapacity;
    while (capacity < need) capacity *= 2;
    auto* names = static_cast<char(*)[kVarNameBytes]>(
        ctx_alloc(ctx, static_cast<size_t>(capacity) * kVarNameBytes, TYM_ALLOC_LONG_ZERO));
    if (names == nullptr) return false;
    if (list.count > 0) std::memcpy(names, list.names, static_cast<size_t>(list.count) * kVarNameBytes);
    ctx_free(ctx, list.names);
    list.names = names;
    list.capacity = capacity;
    return true;
}

void choose_factor_entries(LpContext* ctx) { ctx->entries.factor = FactorEntriesFor(ctx->options.lu); }

// A statement that could not be parsed ends the step with the syntax
// error in _QMLP_, so that the status of an earlier step does not read as
// this one's.
[[noreturn]] void end_for_syntax_error(LpContext* ctx) {
    set_status_macro(ctx, kRunSyntax);
    end_step_at_once(ctx, kEndSyntax);
}

// Ends the step from inside the parser's own callback: the parser is still
// running, so it is left for the host to close when the step ends.
[[noreturn]] void end_inside_parser(LpContext* ctx, int end_code) {
    ctx->handles.parser = nullptr;
    if (ctx->solver.run_status == kRunSyntax) end_for_syntax_error(ctx);
    end_step_at_once(ctx, end_code);
}

}  // namespace

void take_data_references(LpContext* ctx, const TymParseRecord* rec) {
    for (int k = 0; k < kDsCount; ++k) {
        const TymDataRef* ref = rec->data[k];
        ctx->handles.data_given[k] = ref != nullptr ? 1 : 0;
        if (ref != nullptr)
            ctx->handles.data_ref[k] = *ref;
        else
            std::memset(&ctx->handles.data_ref[k], 0, sizeof(TymDataRef));
    }
}

int statement_callback(void* cookie, TymParseRecord* rec) {
    auto* ctx = static_cast<LpContext*>(cookie);
    if (ctx == nullptr || rec == nullptr) return 0;
    SolverState& s = ctx->solver;
    if (rec->error != 0) {
        // The host has reported the error.  A statement of the step that
        // cannot be parsed would otherwise be dropped and a different
        // problem solved, so the step ends with a syntax error at RUN.
        // Statements typed at a pause are read by a parser of their own.
        const ParserState* state = parser_state();
        if (state != nullptr && state->parser != nullptr && ctx->handles.parser == state->parser &&
            s.run_status == kRunOk)
            s.run_status = kRunSyntax;
        return 0;
    }
    switch (rec->statement) {
        case kStmtLp:
            if (check_options(ctx, rec) == kRunSemantic) s.run_status = kRunSemantic;
            choose_factor_entries(ctx);
            break;
        case kStmtReset: {
            const int rc = check_options(ctx, rec);
            if (rc == kRunSemantic || rc == kRunMemory) s.run_status = rc;
            choose_factor_entries(ctx);
            break;
        }
        case kStmtPivot:
            // The simplex stops after one pivot (message 170) and pauses.
            s.pivot_count = 1;
            s.pivot_request = 1;
            s.pivot_allowance = 1;
            break;
        case kStmtIPivot:
            s.ipivot_count = 1;
            s.ipivot_request = 1;
            break;
        case kStmtQuit:
            // QUIT after a failed statement ends the step as RUN would: the
            // failure is not turned into a clean end.
            if (s.run_status == kRunMemory) end_inside_parser(ctx, kEndMemory);
            if (s.run_status != 0) end_inside_parser(ctx, kEndSyntax);
            break;
        case kStmtRun:
            if (s.run_status != 0) end_inside_parser(ctx, kEndSyntax);
            break;
        case kStmtShow:
        case kStmtPrint: {
            // They look at a run that has started: before RUN there is none.
            const TymArg arg = arg_text(rec->statement == kStmtShow ? "SHOW" : "PRINT");
            host_message(kMsgActsInPausesOnly, 1, &arg);
            break;
        }
        default: break;
    }
    return 0;
}

int varlist_callback(void* cookie, int statement, int count, const char* const* names) {
    auto* ctx = static_cast<LpContext*>(cookie);
    const int kind = varlist_kind(statement);
    if (ctx == nullptr || kind < 0) return 0;
    VarList& list = ctx->varlists[kind];
    list.given = 1;
    if (count <= 0 || names == nullptr) return 0;
    if (!grow_list(ctx, list, list.count + count)) {
        ctx->solver.run_status = kRunMemory;
        return 0;
    }
    for (int i = 0; i < count; ++i) {
        char* slot = list.names[list.count++];
        std::memset(slot, 0, kVarNameBytes);
        if (names[i] != nullptr) std::strncpy(slot, names[i], kMaxVarNameLength);
    }
    return 0;
}

int end_callback(void* cookie) {
    auto* ctx = static_cast<LpContext*>(cookie);
    if (ctx != nullptr) ctx->solver.statement_done = 1;
    return 0;
}

int statement_step(LpContext* ctx) {
    ParserState* state = parser_state();
    if (state == nullptr) return kRunMemory;
    std::memset(&state->control, 0, sizeof state->control);
    state->control.flags = TYM_PARSER_PER_STATEMENT;
    state->control.statement = statement_callback;
    state->control.end = end_callback;

    state->ctx = ctx;
    ctx->options.readpause = 0;
    ctx->solver.statement_done = 0;
    state->control.varlist = varlist_callback;

    const TymGrammar* grammar = build_grammar_descriptor(ctx);
    if (grammar == nullptr) return kRunMemory;
    ctx->handles.parser = host_parser_open(grammar, &state->control, ctx, 0, parser_debug_flags());
    state->parser = ctx->handles.parser;
    if (ctx->handles.parser == nullptr) return kRunSemantic;

    const TymParseRecord* rec = host_parser_run(ctx->handles.parser);
    if (ctx->solver.run_status == kRunMemory) return kRunMemory;
    if (ctx->solver.run_status == kRunSyntax) end_for_syntax_error(ctx);
    if (ctx->solver.run_status != 0 || rec == nullptr || rec->error != 0) return kRunSemantic;
    take_data_references(ctx, rec);
    return 0;
}

}  // namespace tymlp

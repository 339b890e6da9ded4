// lp_context.h -- the run context: one per invocation, the first parameter
// of every routine of the module.
//
// create_context allocates it zero-filled from the host and sets every
// option default; end_run releases everything it holds.  The groups:
//   options   the statement options (ctx_options.h)
//   handles   host objects, data sets, parser, heap, block chain (ctx_handles.h)
//   model     row/column stores, coefficient file, lists, counts (ctx_model.h)
//   form      arrays of the computational form (ctx_form.h)
//   solver    run status, phases, pauses, factorisation counters (ctx_solver.h)
//   inverse   the LU slot store (base/ctx_inverse.h; the routines in factor/)
//   engine    the work store and the phases' hooks (base/ctx_engine.h)
//   phases    pricing, ratio tests and the phase loops (base/ctx_phases.h)
//   bb        branch-and-bound state (ctx_bb.h)
//   heuristics the search's primal heuristics (ctx_heuristics.h)
//   varlists  names of the variable-list statements (ctx_varlists.h)
//   report    data set record buffers and open iteration logs (base/ctx_report.h)
//   cuts      the rows reserved for cutting planes at the root (base/ctx_cuts.h)
//   entries   routines chosen once per run
#pragma once

#include <cstdint>

#include "base/ctx_bb.h"
#include "base/ctx_cuts.h"
#include "base/ctx_dual.h"
#include "base/ctx_engine.h"
#include "base/ctx_form.h"
#include "base/ctx_handles.h"
#include "base/ctx_heuristics.h"
#include "base/ctx_inverse.h"
#include "base/ctx_model.h"
#include "base/ctx_options.h"
#include "base/ctx_phases.h"
#include "base/ctx_report.h"
#include "base/ctx_solver.h"
#include "base/ctx_varlists.h"
#include "base/run_codes.h"

namespace tymlp {

struct LpContext;
struct FactorEntries;

// Routines chosen once per run and called through the context.
struct RunEntries {
    // The problem reader: dense unless SPARSEDATA selects the sparse one.
    // Returns a run status (0, 9, 10, 11, 25, ...); null until a reader is built.
    int (*reader)(LpContext* ctx);
    // The LU kernel's entry table for the LU option (factor/factor_entries.h):
    // its factorise is the routine LU chooses; everything above the factor
    // folder factorises, solves, updates and grows the inverse store through
    // it.  Chosen by the LP and RESET statements, else by the work store's
    // set-up or the first inversion; null until then.
    const FactorEntries* factor;
    // The pricing rule installed for PRICETYPE; null until pricing is set up.
    int (*pricing)(LpContext* ctx);
    // The node-selection routine chosen by CANSELECT and AUTO.
    int (*select_node)(LpContext* ctx);
    // The primal heuristics of the search (heuristics/), installed by the
    // integer phase when HEURISTICS asks for them, else null: called after
    // each node's evaluation (0 branched, 15 incumbent, ...) with the
    // node's LP solution still in memory.  Returns 0, 9 or 25.
    int (*search_heuristics)(LpContext* ctx, int evaluation, bool root);
    // The driver's end of the run (releases everything, ends the host step,
    // never returns).  Installed at creation, so that a step far below the
    // driver can end the run without knowing what the run holds.
    void (*end_run)(LpContext* ctx, int end_code);
};

struct LpContext {
    LpOptions options;
    HostHandles handles;
    ProblemModel model;
    ComputationalForm form;
    SolverState solver;
    InverseStore inverse;
    EngineState engine;
    PhaseState phases;  // pricing, ratio tests and phase loops (base/ctx_phases.h)
    BbState bb;
    HeuristicState heuristics;
    VarList varlists[kVarListKinds];
    ReportState report;
    CutState cuts;
    RunEntries entries;
    DualPathState dual;  // the dual simplex path (base/ctx_dual.h)
};

}  // namespace tymlp

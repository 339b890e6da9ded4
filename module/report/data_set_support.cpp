// data_set_support.cpp -- opening the solution data sets, the block names
// and the notes about the solution a data set holds.
#include "report/data_set_support.h"

#include <cstring>

#include "base/host_link.h"
#include "input/reader_common.h"

namespace tymlp {
namespace {

// Notes by data set: relaxation only, best so far with nodes left, final
// integer solution, not final.
struct NoteNumbers {
    int no_incumbent;
    int active_remain;  // 0: the data set has no such note
    int integer_final;
    int not_final;
};

// What tells the three data sets apart here: the statement's reference,
// where the run context keeps the handle, and the notes.
struct SolutionDataSetKind {
    DataSetNumber number;
    TymDataOut HostHandles::*handle;
    NoteNumbers notes;
};

// By SolutionDataSet.
constexpr SolutionDataSetKind kKinds[] = {
    {kDsPrimalOut, &HostHandles::primalout, {175, 176, 247, 177}},
    {kDsDualOut, &HostHandles::dualout, {237, 238, 248, 239}},
    {kDsTableauOut, &HostHandles::tableauout, {240, 0, 241, 242}},
    {kDsActiveOut, &HostHandles::activeout, {0, 0, 0, 0}},
};

const SolutionDataSetKind& kind_of(SolutionDataSet which) { return kKinds[static_cast<int>(which)]; }

constexpr int kBlockNameVariables = 2;  // _OBJ_ID_ and _RHS_ID_

void issue_solution_notes(const LpContext* ctx, const NoteNumbers& n) {
    const int code = ctx->solver.run_status;
    const BbState& bb = ctx->bb;
    if (integer_problem(ctx)) {
        // Without an incumbent the data set holds the relaxation whatever the
        // code: the driver restored the root node's basis.
        if (bb.incumbent == nullptr)
            host_message(n.no_incumbent);
        else if (n.active_remain != 0 && code >= 0 && bb.active_count != 0)
            host_message(n.active_remain);
        else if (code == kRunOk && (n.active_remain == 0 || bb.active_count == 0))
            host_message(n.integer_final);
    }
    if (code > 0) host_message(n.not_final);
}

// Refills the _OBJ_ID_ and _RHS_ID_ buffers from the active objective row
// and the current right-hand-side column (the first one when none is
// current).
void fill_block_names(LpContext* ctx) {
    DataSetBuffers& s = ctx->report.sets;
    const ProblemModel& m = ctx->model;
    const int rw = row_name_width(ctx);
    const int cw = column_name_width(ctx);
    ObjectiveRecord* obj = m.current_objective;
    pad_name(s.obj_id, rw, obj != nullptr ? objective_name(obj) : nullptr, rw);
    const ColumnListEntry* rhs = m.current_rhs != nullptr ? m.current_rhs : m.lists[kListRhs].first;
    if (rhs != nullptr)
        pad_name(s.rhs_id, cw, rhs->name, trimmed_length(rhs->name, kMaxNameLength));
    else
        pad_name(s.rhs_id, cw, nullptr, 0);
}

}  // namespace

int define_variable(TymDataOut ds, const DataSetVariable& v) {
    const int rc =
        host_out_define(ds, v.name, static_cast<int>(std::strlen(v.name)), v.type, v.length, v.label, v.address);
    return rc < 0 ? kRunIo : 0;
}

int write_observation(TymDataOut ds) { return host_out_write(ds) < 0 ? kRunIo : 0; }

bool solution_data_set_due(LpContext* ctx, SolutionDataSet which, ReportBasis* basis) {
    const SolutionDataSetKind& kind = kind_of(which);
    if (ctx->handles.data_given[kind.number] == 0) return false;
    *basis = report_basis(ctx);
    if (!basis->valid) return false;
    issue_solution_notes(ctx, kind.notes);
    return true;
}

int open_solution_data_set(LpContext* ctx, SolutionDataSet which, std::span<const DataSetVariable> vars,
                           int defined_later) {
    const SolutionDataSetKind& kind = kind_of(which);
    const int count = kBlockNameVariables + static_cast<int>(vars.size()) + defined_later;
    TymDataOut ds = host_out_create(&ctx->handles.data_ref[kind.number], count);
    if (ds == nullptr) return kRunIo;
    ctx->handles.*kind.handle = ds;
    DataSetBuffers& s = ctx->report.sets;
    const DataSetVariable block_names[kBlockNameVariables] = {
        {"_OBJ_ID_", TYM_VAR_CHAR, row_name_width(ctx), "Name of the objective row.", s.obj_id},
        {"_RHS_ID_", TYM_VAR_CHAR, column_name_width(ctx), "Name of the right-hand-side column.", s.rhs_id},
    };
    int rc = 0;
    for (const DataSetVariable& v : block_names)
        if ((rc = define_variable(ds, v)) != 0) return rc;
    for (const DataSetVariable& v : vars)
        if ((rc = define_variable(ds, v)) != 0) return rc;
    return 0;
}

int ready_solution_data_set(LpContext* ctx, SolutionDataSet which, int (*open)(LpContext* ctx)) {
    if (ctx->handles.*kind_of(which).handle == nullptr) {
        const int rc = open(ctx);
        if (rc != 0) return rc;
    }
    fill_block_names(ctx);
    return 0;
}

}  // namespace tymlp

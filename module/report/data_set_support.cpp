// data_set_support.cpp -- creating the solution data sets, the block names
// and the notes about the solution a data set holds.
#include "report/data_set_support.h"

#include <cstring>

#include "base/host_link.h"
#include "input/reader_common.h"
#include "output/reported_values.h"

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

constexpr NoteNumbers kPrimalNotes{175, 176, 247, 177};
constexpr NoteNumbers kDualNotes{237, 238, 248, 239};
constexpr NoteNumbers kTableauNotes{240, 0, 241, 242};

int clamp_width(int w) { return w > 0 && w <= kMaxNameLength ? w : kDefaultNameLength; }

}  // namespace

int row_name_width(const LpContext* ctx) { return clamp_width(ctx->model.row_name_length); }
int column_name_width(const LpContext* ctx) { return clamp_width(ctx->model.column_name_length); }

int define_variable(TymDataOut ds, const DataSetVariable& v) {
    const int rc = host_out_define(ds, v.name, static_cast<int>(std::strlen(v.name)), v.type, v.length, v.label,
                                   v.address);
    return rc < 0 ? kRunIo : 0;
}

int create_data_set(LpContext* ctx, DataSetNumber which, int count, TymDataOut* ds) {
    *ds = host_out_create(&ctx->handles.data_ref[which], count);
    return *ds != nullptr ? 0 : kRunIo;
}

int write_observation(TymDataOut ds) { return host_out_write(ds) < 0 ? kRunIo : 0; }

void fill_block_names(LpContext* ctx) {
    DataSetBuffers& s = ctx->report.sets;
    const ProblemModel& m = ctx->model;
    const int rw = row_name_width(ctx);
    const int cw = column_name_width(ctx);
    ObjectiveRecord* obj = m.current_objective;
    pad_name(s.obj_id, rw, obj != nullptr ? objective_name(obj) : nullptr, rw);
    const ColumnListEntry* rhs = m.current_rhs != nullptr ? m.current_rhs : m.lists[kListRhs].first;
    if (rhs != nullptr) pad_name(s.rhs_id, cw, rhs->name, trimmed_length(rhs->name, kMaxNameLength));
    else pad_name(s.rhs_id, cw, nullptr, 0);
}

void issue_solution_notes(const LpContext* ctx, SolutionDataSet which) {
    const NoteNumbers& n = which == SolutionDataSet::Primal ? kPrimalNotes
                           : which == SolutionDataSet::Dual ? kDualNotes
                                                            : kTableauNotes;
    const int code = ctx->solver.run_status;
    const BbState& bb = ctx->bb;
    if (integer_problem(ctx)) {
        // Without an incumbent the data set holds the relaxation whatever the
        // code: the driver restored the root node's basis.
        if (bb.incumbent == nullptr) host_message(n.no_incumbent);
        else if (n.active_remain != 0 && code >= 0 && bb.active_count != 0) host_message(n.active_remain);
        else if (code == kRunOk && (n.active_remain == 0 || bb.active_count == 0)) host_message(n.integer_final);
    }
    if (code > 0) host_message(n.not_final);
}

}  // namespace tymlp

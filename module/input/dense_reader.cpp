// dense_reader.cpp -- the dense reader: setup, the observations in order,
// and the records that are complete only at the end.
#include "input/dense_reader.h"

#include "base/host_link.h"
#include "input/dense_state.h"
#include "input/model_records.h"

namespace tymlp {
namespace {

// Host read results.
constexpr int kReadObservation = 0;

// Column records are complete once every observation has been seen.
int write_columns(DenseReader& r) {
    for (int32_t j = 0; j < r.structural; ++j) {
        const int rc = write_column(r.ctx, j, r.cols[j], dense_column_name(r, j));
        if (rc != 0) return rc;
    }
    ProblemModel& m = r.ctx->model;
    m.structural_count = r.structural;
    m.columns = r.structural;
    return 0;
}

int read_observations(DenseReader& r) {
    for (;;) {
        const int status = host_data_read_next(r.ds);
        if (status > kReadObservation) return 0;       // end of the data
        if (status < kReadObservation) return kRunIo;  // the host has reported the read error
        ++r.observation;
        const int rc = dense_observation(r);
        if (rc != 0) return rc;
    }
}

int run(DenseReader& r) {
    int rc = check_observations(r.ds);
    if (rc == kRunSemantic) r.ctx->model.data_fault_named = true;  // empty in either layout
    if (rc != 0) return rc;
    rc = dense_setup(r);
    if (rc != 0 && rc != kRunSemantic) return rc;
    if (!r.has_type) return kRunSemantic;
    rc = read_observations(r);
    close_unknown_types(r);
    if (rc == 0) rc = write_columns(r);
    if (rc == 0) rc = coef_window_close(r.ctx, &r.window);
    if (rc == 0) rc = add_default_rhs(r.ctx);
    return rc != 0 ? rc : r.result;
}

}  // namespace

int read_dense(LpContext* ctx) {
    int rc = open_problem_data(ctx);
    if (rc != 0) return rc;
    DenseReader r{};
    r.ctx = ctx;
    r.ds = ctx->handles.data_in;
    rc = run(r);
    coef_window_close(ctx, &r.window);
    reader_free_all(ctx, r.blocks);
    close_problem_data(ctx);
    return rc;
}

}  // namespace tymlp

// preprocess.cpp -- the preprocessing driver: passes over the rows until
// nothing changes (see preprocess.h).
#include "presolve/preprocess.h"

#include "base/host_link.h"
#include "input/column_lists.h"
#include "presolve/preprocess_work.h"

namespace tymlp {
namespace {

constexpr int kMsgManyRhs = 259;
constexpr int kMsgPass = 280;
constexpr int kMsgInterrupted = 281;
constexpr int kMsgComplete = 282;

// Runs the passes.  Returns 0, or the first failing pass's result.
int run_passes(LpContext* ctx, PreprocessWork* w) {
    const int32_t passes = ctx->options.pmaxit;
    for (int32_t k = 1; k <= passes; ++k) {
        const TymArg pass = arg_int(k);
        host_message(kMsgPass, 1, &pass);
        const int rc = PreprocessPass(ctx, w);
        if (rc != 0) return rc;
        host_attention_poll();
        if (ctx->solver.break_flag != 0) {
            host_message(kMsgInterrupted);
            ctx->solver.break_flag = 0;
            return 0;
        }
        if (w->change_count == 0) return 0;
    }
    return 0;
}

}  // namespace

int PreprocessPass(LpContext* ctx, PreprocessWork* w) {
    pre_start_pass(w);
    for (int32_t i = 0; i < w->rows; ++i) {
        const int rc = pre_examine_row(ctx, w, i);
        if (rc != 0) return rc;
    }
    return pre_report_pass(ctx, w);
}

int Preprocess(LpContext* ctx) {
    if (ctx->options.preprocess == 0) return 0;
    if (ctx->model.lists[kListRhs].count > 1) {
        host_message(kMsgManyRhs);
        return kRunSemantic;
    }
    ColumnListEntry* rhs = list_entry(ctx, kListRhs, 0);
    if (rhs == nullptr) return 0;  // nothing will be solved

    PreprocessWork w{};
    int rc = open_preprocess_work(ctx, &w, rhs);
    if (rc == 0) rc = run_passes(ctx, &w);
    if (rc == 0) {
        host_message(kMsgComplete);
        rc = write_back_preprocess_work(ctx, &w, rhs);
    }
    close_preprocess_work(&w);
    return rc;
}

}  // namespace tymlp

// update_basis.cpp -- after each basis exchange: update the factors, or
// invert when updates have piled up (simplex/refactor_rule.h), failed, or
// lost accuracy.
#include "simplex/update_basis.h"

#include <cmath>

#include "base/host_link.h"
#include "factor/factor_entries.h"
#include "simplex/invert.h"
#include "simplex/pivot_history.h"
#include "simplex/refactor_rule.h"

namespace tymlp {
namespace {

// More compressions than this in one update mean the store is too tight:
// it grows by kUpdateGrowth.
constexpr int32_t kCompressionsPerUpdate = 10;
constexpr double kUpdateGrowth = 1.2;
constexpr int32_t kUnstableRefactorLimit = 100;
constexpr int kMsgUpdateFailed = 51;

void report_failed_update(LpContext* ctx) {
    const int32_t iteration = ctx->solver.counter != nullptr ? *ctx->solver.counter : 0;
    const TymArg args[] = {arg_int(iteration), arg_int(ctx->solver.phase)};
    host_message(kMsgUpdateFailed, 2, args);
}

}  // namespace

int UpdateBasis(LpContext* ctx) {
    InverseStore& s = ctx->inverse;
    SolverState& sv = ctx->solver;
    const bool notes = ctx->options.performance == 1;
    if (notes)
        host_note("%3zStart update --- no compressions=%li modulus=%g", static_cast<long>(s.compressions), sv.modulus);

    int32_t saved = s.compressions;
    int status = 0;
    sv.updates_since_inversion += 1;
    if (!RefactorDue(ctx)) {
        auto update = ctx->engine.hooks.update_factor;
        if (update == nullptr) update = ctx->entries.factor->update;
        sv.modulus = update(s, sv.leaving_pos);
    } else {
        status = Invert(ctx);
        saved = 0;
        const int rc = RecordPivot(ctx, sv.entering, sv.leaving);
        if (status == 0) status = rc;
    }

    if (s.compressions - saved > kCompressionsPerUpdate) {
        if (notes) host_note("%3zUpdate increase.");
        const int64_t need = static_cast<int64_t>(std::trunc(kUpdateGrowth * s.capacity));
        if (ctx->entries.factor->grow(s, need) == 0) s.compressions = 0;
    }

    const double modulus = sv.modulus;
    if (modulus <= 0.0) {
        if (sv.updates_since_inversion == 0) return status;  // the inversion itself failed
        report_failed_update(ctx);
        return Invert(ctx);
    }
    if (modulus * kModulusErrorFactor > ctx->options.epsilon) {
        sv.unstable_count += 1;
        if (sv.unstable_count < kUnstableRefactorLimit) status = Invert(ctx);
        if (notes)
            host_note("%3zModulus = %g invcnt=%i invtol=%g", modulus, static_cast<int>(sv.updates_since_inversion),
                      ctx->options.invtol);
    }
    return status;
}

}  // namespace tymlp

// preprocess.cpp -- the preprocessing step's entry (see preprocess.h).
#include "simplex/preprocess.h"

#include "control/host_stubs.h"

namespace tymlp {
namespace {

constexpr int kMsgManyRhs = 259;

}  // namespace

int Preprocess(LpContext* ctx) {
    if (ctx->options.preprocess == 0) return 0;
    if (ctx->model.lists[kListRhs].count > 1) {
        host_message(kMsgManyRhs);
        return kRunSemantic;
    }
    return 0;
}

}  // namespace tymlp

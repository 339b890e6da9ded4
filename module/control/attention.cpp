// attention.cpp -- installing and removing the break handler.
#include "control/attention.h"

#include "base/host_link.h"

namespace tymlp {

void attention_handler(void* cookie) {
    auto* ctx = static_cast<LpContext*>(cookie);
    if (ctx != nullptr) ctx->solver.break_flag = 1;
}

void install_attention(LpContext* ctx) {
    if (ctx->handles.attention_installed != 0) return;
    if (host_attention_install(attention_handler, ctx) == 0) ctx->handles.attention_installed = 1;
}

void remove_attention(LpContext* ctx) {
    if (ctx->handles.attention_installed == 0) return;
    host_attention_remove();
    ctx->handles.attention_installed = 0;
}

}  // namespace tymlp

// basis_header.cpp -- the header part of a basis exchange.
#include "simplex/basis_header.h"

#include <cstring>

namespace tymlp {

void SwapIntoBasis(LpContext* ctx, int32_t h, int32_t r) {
    ComputationalForm& f = ctx->form;
    const int32_t n = ctx->model.columns;
    const int32_t q = f.header[h];
    const int32_t l = f.header[r];
    for (ObjectiveRecord* rec = ctx->model.objectives; rec != nullptr; rec = rec->next) {
        if (rec->column == l) rec->basis_position = -1;
        if (rec->column == q) rec->basis_position = r;
    }
    f.status[l] = static_cast<uint8_t>(f.status[l] & ~kStatBasic);
    f.status[q] = static_cast<uint8_t>(f.status[q] | kStatBasic);
    f.header[r] = q;
    // The nonbasic part keeps its order: the gap closes and l goes last.
    std::memmove(f.header + h, f.header + h + 1, static_cast<size_t>(n - 1 - h) * sizeof(int32_t));
    f.header[n - 1] = l;
}

void SwapIntoBasisInPlace(LpContext* ctx, int32_t h, int32_t r) {
    ComputationalForm& f = ctx->form;
    const int32_t q = f.header[h];
    const int32_t l = f.header[r];
    for (ObjectiveRecord* rec = ctx->model.objectives; rec != nullptr; rec = rec->next) {
        if (rec->column == l) rec->basis_position = -1;
        if (rec->column == q) rec->basis_position = r;
    }
    f.status[l] = static_cast<uint8_t>(f.status[l] & ~kStatBasic);
    f.status[q] = static_cast<uint8_t>(f.status[q] | kStatBasic);
    f.header[r] = q;
    f.header[h] = l;
}

int32_t HeaderPosition(const LpContext* ctx, int32_t j) {
    const int32_t n = ctx->model.columns;
    for (int32_t i = 0; i < n; ++i)
        if (ctx->form.header[i] == j) return i;
    return -1;
}

}  // namespace tymlp

// lu_solve.cpp -- FTRAN and BTRAN over the slot array.
//
// B = L^-1-etas then U: FTRAN applies the etas from the top of the array in
// the order they were written and then back-substitutes with row-wise U;
// BTRAN forward-substitutes with U^T and then applies the etas in reverse.
// Both touch only what the nonzeros demand: an eta is skipped when its
// source is zero, a row's inner product is formed only when a column it has
// an entry in produced a nonzero (the row is "flagged"), and a U row is
// scattered only when its right-hand entry is nonzero.
#include <cstring>

#include "factor/lu_internal.h"
#include "factor/lu_kernel.h"

namespace tymlp {
namespace {

// A flagged row keeps its start as -1 - start until its turn comes.
inline bool IsFlagged(int32_t start) { return start < 0; }
inline int32_t FlipFlag(int32_t start) { return -1 - start; }
// Flags a row unless it is flagged already, without a branch: the sign
// mask is 0 for an unflagged start (which is then flipped) and all ones for
// a flagged one (which is kept).
inline int32_t FlagOnce(int32_t start) { return start ^ ~(start >> 31); }

// FTRAN.  On entry x = a by row; on exit x = z with B z = a by basis
// position, spike = L^-1 a by row.  Every row flag set is cleared again
// because U is triangular in pivot order: a flagged row always comes later
// in the backward sweep.  With `nonzeros` the positions set are listed
// there; returns their count.
int32_t Forward(InverseStore& s, double* x, int32_t* nonzeros) {
    const InverseSlot* e = s.elements;
    const int32_t m = s.m;
    const int32_t top = s.capacity - 1;
    const int32_t bottom = s.capacity - s.etaCount;
    for (int32_t q = top; q >= bottom; --q) {
        const double source = x[e[q].row];
        if (source != 0.0) x[e[q].column] += e[q].value * source;
    }

    double* spike = s.spike;
    std::memcpy(spike, x, static_cast<size_t>(m) * sizeof(double));
    std::memset(x, 0, static_cast<size_t>(m) * sizeof(double));

    int32_t* rowStart = s.rowStart;
    int32_t listed = 0;
    for (int32_t k = m - 1; k >= 0; --k) {
        const int32_t p = s.pivotRow[k];
        double d = spike[p];
        int32_t rs = rowStart[p];
        if (IsFlagged(rs)) {
            rs = FlipFlag(rs);
            rowStart[p] = rs;
            const int32_t re = s.rowEnd[p];
            for (int32_t q = rs + 1; q <= re; ++q) d -= e[q].value * x[e[q].column];
        }
        if (d == 0.0) continue;
        const int32_t c = e[rs].column;
        x[c] = d / e[rs].value;
        if (nonzeros != nullptr) nonzeros[listed++] = c;
        const int32_t ce = s.colEnd[c];
        for (int32_t q = s.colStart[c] + 1; q <= ce; ++q) {
            int32_t& start = rowStart[e[q].row];
            start = FlagOnce(start);
        }
    }
    return listed;
}

// BTRAN.  On entry x = c by basis position; on exit x = y with B^T y = c by
// row; the spike vector is used as the working copy of c.
void Backward(InverseStore& s, double* x) {
    const InverseSlot* e = s.elements;
    const int32_t m = s.m;
    double* spike = s.spike;
    std::memcpy(spike, x, static_cast<size_t>(m) * sizeof(double));
    std::memset(x, 0, static_cast<size_t>(m) * sizeof(double));

    for (int32_t k = 0; k < m; ++k) {
        const double d = spike[s.pivotCol[k]];
        if (d == 0.0) continue;
        const int32_t p = s.pivotRow[k];
        const int32_t rs = s.rowStart[p];
        const int32_t re = s.rowEnd[p];
        const double xp = d / e[rs].value;
        x[p] = xp;
        for (int32_t q = rs + 1; q <= re; ++q) spike[e[q].column] -= xp * e[q].value;
    }

    const int32_t top = s.capacity - 1;
    for (int32_t q = s.capacity - s.etaCount; q <= top; ++q) {
        const double target = x[e[q].column];
        if (target != 0.0) x[e[q].row] += e[q].value * target;
    }
}

}  // namespace

// Solve: B z = a (mode 'f') or B^T y = c (mode 't') in place, see
// lu_kernel.h.  Precondition: the store holds a complete factorisation (or
// an updated one) of order m.  No allocation.
int Solve(InverseStore& s, double* x, char mode) {
    if (mode == kSolveForward) {
        Forward(s, x, nullptr);
        return 0;
    }
    if (mode == kSolveBackward) {
        Backward(s, x);
        return 0;
    }
    return 1;
}

void SolveForward(InverseStore& s, double* x) { Forward(s, x, nullptr); }

void SolveBackward(InverseStore& s, double* x) { Backward(s, x); }

int32_t SolveForwardListed(InverseStore& s, double* x, int32_t* nonzeros) { return Forward(s, x, nonzeros); }

}  // namespace tymlp

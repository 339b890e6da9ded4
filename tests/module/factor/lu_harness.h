// lu_harness.h -- builds inverse stores from sparse test matrices and checks
// solves against a plain column-wise product.  Header only; shared by the
// LU kernel tests and the micro-benchmarks.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "base/ctx_inverse.h"
#include "factor/lu_kernel.h"

namespace lutest {

using tymlp::InverseSlot;
using tymlp::InverseStore;

// Sparse square matrix by columns: cols[c] = (row, value) pairs.
struct SparseMatrix {
    int m = 0;
    std::vector<std::vector<std::pair<int, double>>> cols;

    explicit SparseMatrix(int order = 0) : m(order), cols(static_cast<size_t>(order)) {}
    int64_t nonzeros() const {
        int64_t n = 0;
        for (const auto& c : cols) n += static_cast<int64_t>(c.size());
        return n;
    }
    // y = B x (x by column, y by row)
    std::vector<double> times(const std::vector<double>& x) const {
        std::vector<double> y(static_cast<size_t>(m), 0.0);
        for (int c = 0; c < m; ++c)
            for (auto [r, v] : cols[c]) y[r] += v * x[c];
        return y;
    }
    // y = B^T x (x by row, y by column)
    std::vector<double> transposeTimes(const std::vector<double>& x) const {
        std::vector<double> y(static_cast<size_t>(m), 0.0);
        for (int c = 0; c < m; ++c)
            for (auto [r, v] : cols[c]) y[c] += v * x[r];
        return y;
    }
};

// Random sparse column with `count` distinct rows and values in +-[lo, hi].
inline std::vector<std::pair<int, double>> RandomColumn(std::mt19937& rng, int m, int count, double lo = 0.1,
                                                        double hi = 1.0) {
    std::uniform_int_distribution<int> row(0, m - 1);
    std::uniform_real_distribution<double> mag(lo, hi);
    std::vector<std::pair<int, double>> col;
    count = std::min(count, m);
    while (static_cast<int>(col.size()) < count) {
        const int r = row(rng);
        bool seen = false;
        for (auto& e : col) seen = seen || e.first == r;
        if (seen) continue;
        col.emplace_back(r, (rng() & 1u) ? mag(rng) : -mag(rng));
    }
    return col;
}

// A nonsingular sparse basis: a random row permutation carries a dominant
// entry per column (so B is a permuted column-dominant matrix), plus
// `extra` random entries per column.  With `wild`, the dominant entry is
// no larger than the others, which forces real pivoting choices (the
// matrix is then only very probably nonsingular).  A share `unitShare` of
// the columns (the first ones) are unit columns, as the logical columns of
// a simplex basis are.
inline SparseMatrix RandomBasis(int m, int extra, uint32_t seed, bool wild = false, double unitShare = 0.0) {
    std::mt19937 rng(seed);
    std::vector<int> perm(static_cast<size_t>(m));
    for (int i = 0; i < m; ++i) perm[i] = i;
    std::shuffle(perm.begin(), perm.end(), rng);
    SparseMatrix b(m);
    std::uniform_real_distribution<double> mag(0.5, 1.0);
    const int units = static_cast<int>(unitShare * m);
    for (int c = 0; c < m; ++c) {
        if (c < units) {
            b.cols[c] = {{perm[c], 1.0}};
            continue;
        }
        auto col = RandomColumn(rng, m, extra + 1, 0.05, 1.0);
        double sum = 0.0;
        bool hasDiag = false;
        for (auto& [r, v] : col) {
            if (r == perm[c])
                hasDiag = true;
            else
                sum += std::fabs(v);
        }
        if (!hasDiag) col.back() = {perm[c], 0.0};
        for (auto& [r, v] : col)
            if (r == perm[c]) v = wild ? mag(rng) * (rng() & 1u ? 1 : -1) : (sum + mag(rng)) * (rng() & 1u ? 1 : -1);
        b.cols[c] = col;
    }
    return b;
}

inline double MaxAbs(const std::vector<double>& v) {
    double g = 0.0;
    for (double x : v) g = std::max(g, std::fabs(x));
    return g;
}

// Owns the arrays of one inverse store.  Its enlargement callback moves
// the slot array on every grant; the grant policy can be changed.
class StoreHarness {
  public:
    enum class Grant { All, Refuse, Half };

    explicit StoreHarness(int m, double u = 0.1, double small = 2.812644285236322e-102)
        : rowStart_(m),
          rowEnd_(m),
          colStart_(m),
          colEnd_(m),
          pivotRow_(m),
          pivotCol_(m),
          spike_(m),
          intWork_(4 * static_cast<size_t>(m)) {
        std::memset(&store, 0, sizeof store);
        store.m = m;
        store.rowStart = rowStart_.data();
        store.rowEnd = rowEnd_.data();
        store.colStart = colStart_.data();
        store.colEnd = colEnd_.data();
        store.pivotRow = pivotRow_.data();
        store.pivotCol = pivotCol_.data();
        store.spike = spike_.data();
        store.intWork = intWork_.data();
        store.pivotThreshold = u;
        store.dropTolerance = small;
        store.memoryShift = &StoreHarness::Shift;
        store.memoryShiftArg = this;
    }
    ~StoreHarness() { std::free(slots_); }
    StoreHarness(const StoreHarness&) = delete;
    StoreHarness& operator=(const StoreHarness&) = delete;

    // Copies B into the input layout with `capacity` slots (at least nnz).
    void Load(const SparseMatrix& b, int64_t capacity = -1) {
        const int64_t nnz = b.nonzeros();
        if (capacity < nnz) capacity = std::max<int64_t>(2 * nnz + 4 * b.m, 16);
        Reallocate(capacity, 0);
        store.capacity = static_cast<int32_t>(capacity);
        int32_t n = 0;
        for (int c = 0; c < b.m; ++c)
            for (auto [r, v] : b.cols[c]) store.elements[n++] = InverseSlot{v, r, c};
        for (int64_t i = n; i < capacity; ++i) store.elements[i] = InverseSlot{7.0, 7, 7};  // stale content
        store.nelem = n;
        store.etaCount = 0;
    }

    double Factor(int lu) { return tymlp::FactorEntriesFor(lu)->factorise(store); }

    // Gives the store the optional arrays of the sparse solves.
    void EnableReach() {
        const size_t m = static_cast<size_t>(store.m);
        reach_.assign(6 * m, 0);
        int32_t** arrays[] = {&store.rowStep,    &store.spikeList, &store.reachMark,
                              &store.reachStack, &store.reachNext, &store.reachOrder};
        for (size_t k = 0; k < 6; ++k) *arrays[k] = reach_.data() + k * m;
        store.spikeCount = -1;
    }

    // z with B z = a (a by row).
    std::vector<double> Ftran(std::vector<double> a) {
        tymlp::Solve(store, a.data(), tymlp::kSolveForward);
        return a;
    }
    // y with B^T y = c (c by basis position).
    std::vector<double> Btran(std::vector<double> c) {
        tymlp::Solve(store, c.data(), tymlp::kSolveBackward);
        return c;
    }

    InverseStore store;
    Grant grant = Grant::All;
    int shiftCalls = 0;

  private:
    static int Shift(void* arg, int64_t* bytes) {
        auto* self = static_cast<StoreHarness*>(arg);
        ++self->shiftCalls;
        const int64_t want = *bytes;
        if (self->grant == Grant::Refuse) {
            *bytes = -want;
            return 0;
        }
        // Like the work store, never grant less than one slot per row.
        const int64_t least = tymlp::kSlotBytes * self->store.m;
        const int64_t give = self->grant == Grant::Half ? want / 2 : std::max(want, least);
        self->Reallocate(self->store.capacity + give / tymlp::kSlotBytes, self->store.capacity);
        *bytes = give;
        return 0;
    }

    // Replaces the slot array by a fresh one of `slots` slots holding the
    // first `keep` slots of the old one; the rest is junk, so nothing may
    // rely on new memory being zero.  The array always moves.
    void Reallocate(int64_t slots, int64_t keep) {
        const size_t bytes = static_cast<size_t>(slots) * sizeof(InverseSlot);
        auto* fresh = static_cast<InverseSlot*>(std::malloc(bytes));
        std::memset(fresh, 0x5a, bytes);
        if (slots_ != nullptr && keep > 0) std::memcpy(fresh, slots_, static_cast<size_t>(keep) * sizeof(InverseSlot));
        std::free(slots_);
        slots_ = fresh;
        store.elements = fresh;
    }

    std::vector<int32_t> rowStart_, rowEnd_, colStart_, colEnd_, pivotRow_, pivotCol_;
    std::vector<double> spike_;
    std::vector<int32_t> intWork_;
    std::vector<int32_t> reach_;
    InverseSlot* slots_ = nullptr;
};

}  // namespace lutest

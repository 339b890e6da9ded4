// lu_bench.cpp -- the LU kernel alone on random sparse bases: factorise
// (both routines), FTRAN, BTRAN and a run of column replacements.
//
// The bases have half unit columns (as logical columns are) and structural
// columns with three nonzeros; m runs from 1000 to 10000.  Random bases are
// a stand-in: they fill in more than real simplex bases do.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

#include "lu_harness.h"
#include "mini_host.h"

namespace {

using lutest::RandomBasis;
using lutest::RandomColumn;
using lutest::SparseMatrix;
using lutest::StoreHarness;

constexpr int kExtraPerColumn = 2;
constexpr double kUnitShare = 0.5;
constexpr int kSlotsPerNonzero = 40;
constexpr int kUpdatesPerRun = 100;

SparseMatrix BenchBasis(int m) { return RandomBasis(m, kExtraPerColumn, static_cast<uint32_t>(m), false, kUnitShare); }

std::unique_ptr<StoreHarness> Factorised(const SparseMatrix& b, int lu) {
    auto h = std::make_unique<StoreHarness>(b.m);
    h->Load(b, kSlotsPerNonzero * b.nonzeros());
    if (!(h->Factor(lu) > 0.0)) return nullptr;
    return h;
}

void BM_Factor(benchmark::State& state) {
    minihost::install();
    const int lu = static_cast<int>(state.range(0));
    const SparseMatrix b = BenchBasis(static_cast<int>(state.range(1)));
    StoreHarness h(b.m);
    for (auto _ : state) {
        state.PauseTiming();
        h.Load(b, kSlotsPerNonzero * b.nonzeros());
        state.ResumeTiming();
        benchmark::DoNotOptimize(h.Factor(lu));
    }
    state.counters["fill"] = h.store.uCount + h.store.etaCount;
}

// One solve per iteration with a sparse right-hand side (a new column).
void Solves(benchmark::State& state, char mode) {
    minihost::install();
    const int lu = static_cast<int>(state.range(0));
    const SparseMatrix b = BenchBasis(static_cast<int>(state.range(1)));
    auto h = Factorised(b, lu);
    if (!h) {
        state.SkipWithError("singular basis");
        return;
    }
    std::mt19937 rng(7);
    std::vector<std::vector<double>> rhs(64, std::vector<double>(static_cast<size_t>(b.m), 0.0));
    for (auto& x : rhs)
        for (auto [r, v] : RandomColumn(rng, b.m, kExtraPerColumn + 1)) x[r] = v;
    std::vector<double> x(static_cast<size_t>(b.m));
    size_t next = 0;
    for (auto _ : state) {
        x = rhs[next++ % rhs.size()];
        tymlp::Solve(h->store, x.data(), mode);
        benchmark::DoNotOptimize(x.data());
    }
}

void BM_Ftran(benchmark::State& state) { Solves(state, tymlp::kSolveForward); }
void BM_Btran(benchmark::State& state) { Solves(state, tymlp::kSolveBackward); }

// kUpdatesPerRun exchanges (FTRAN of the entering column, a sound leaving
// position, UpdateFactor) from a fresh factorisation; time per exchange.
void BM_Update(benchmark::State& state) {
    minihost::install();
    const int lu = static_cast<int>(state.range(0));
    const SparseMatrix start = BenchBasis(static_cast<int>(state.range(1)));
    std::mt19937 rng(11);
    for (auto _ : state) {
        state.PauseTiming();
        SparseMatrix b = start;
        auto h = Factorised(b, lu);
        std::vector<std::vector<std::pair<int, double>>> entering;
        for (int k = 0; k < kUpdatesPerRun; ++k) entering.push_back(RandomColumn(rng, b.m, kExtraPerColumn + 1));
        std::vector<double> x(static_cast<size_t>(b.m));
        state.ResumeTiming();
        for (const auto& col : entering) {
            std::fill(x.begin(), x.end(), 0.0);
            for (auto [r, v] : col) x[r] = v;
            tymlp::Solve(h->store, x.data(), tymlp::kSolveForward);
            int p = 0;
            for (int i = 1; i < b.m; ++i)
                if (std::fabs(x[i]) > std::fabs(x[p])) p = i;
            if (!(tymlp::UpdateFactor(h->store, p) >= 1.0)) {
                state.SkipWithError("update failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kUpdatesPerRun);
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int lu : {tymlp::kLuMarkowitz, tymlp::kLuLeftLooking})
        for (int m : {1000, 3000, 10000}) b->Args({lu, m});
    b->ArgNames({"lu", "m"});
}

BENCHMARK(BM_Factor)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ftran)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Btran)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Update)->Apply(Sizes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

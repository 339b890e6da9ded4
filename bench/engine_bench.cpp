// engine_bench.cpp -- factorise, solve and update timings on crashed bases
// of the larger shared Netlib instances.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine_builder.h"
#include "engine_mps.h"
#include "factor/lu_kernel.h"
#include "mini_host.h"
#include "simplex/basis_header.h"
#include "simplex/invert.h"
#include "simplex/pivot_history.h"
#include "simplex/update_basis.h"
#include "simplex/work_store.h"

namespace {

using namespace tymlp;

const char* const kInstances[] = {"scfxm1", "ship04s", "bandm", "stair", "degen2"};

// A context holding `name` with its crashed basis factorised, or null.
LpContext* Prepare(const std::string& name, int lu, enginetest::ProblemSpec* spec) {
    minihost::install();
    std::string error;
    if (!enginetest::ProblemFromMps(enginetest::NetlibPath(name), spec, &error)) return nullptr;
    LpContext* ctx = enginetest::BuildContext(*spec);
    if (ctx == nullptr) return nullptr;
    ctx->options.lu = lu;
    if (enginetest::SetUpEngine(ctx) != 0 || OpenPivotHistory(ctx) != 0) {
        enginetest::DestroyContext(ctx);
        return nullptr;
    }
    enginetest::SetBasis(ctx, enginetest::CrashBasis(*spec));
    if (Invert(ctx) != 0) {
        enginetest::DestroyContext(ctx);
        return nullptr;
    }
    return ctx;
}

void Factorise(benchmark::State& state, const char* name, int lu) {
    enginetest::ProblemSpec spec;
    LpContext* ctx = Prepare(name, lu, &spec);
    if (ctx == nullptr) {
        state.SkipWithError("instance not available");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(Invert(ctx));
    enginetest::DestroyContext(ctx);
}

void SolveBoth(benchmark::State& state, const char* name) {
    enginetest::ProblemSpec spec;
    LpContext* ctx = Prepare(name, kLuLeftLooking, &spec);
    if (ctx == nullptr) {
        state.SkipWithError("instance not available");
        return;
    }
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    std::vector<double> x(static_cast<size_t>(m));
    int32_t j = m;
    for (auto _ : state) {
        // FTRAN of a nonbasic column, then BTRAN of a unit vector.
        std::fill(x.begin(), x.end(), 0.0);
        for (auto [r, v] : spec.columns[static_cast<size_t>(ctx->form.header[j])].entries)
            x[static_cast<size_t>(r)] = v;
        Solve(ctx->inverse, x.data(), kSolveForward);
        std::fill(x.begin(), x.end(), 0.0);
        x[static_cast<size_t>(j % m)] = 1.0;
        Solve(ctx->inverse, x.data(), kSolveBackward);
        benchmark::DoNotOptimize(x.data());
        j = j + 1 < n ? j + 1 : m;
    }
    enginetest::DestroyContext(ctx);
}

// One exchange per benchmark iteration: a nonbasic column enters at the
// position of its largest transformed entry and the factors are updated.
void Update(benchmark::State& state, const char* name) {
    enginetest::ProblemSpec spec;
    LpContext* ctx = Prepare(name, kLuLeftLooking, &spec);
    if (ctx == nullptr) {
        state.SkipWithError("instance not available");
        return;
    }
    ComputationalForm& f = ctx->form;
    const int32_t m = ctx->model.rows;
    const int32_t n = ctx->model.columns;
    int32_t h = m;
    for (auto _ : state) {
        state.PauseTiming();
        int32_t r = -1;
        for (int32_t tries = 0; tries < n - m && r < 0; ++tries) {
            const int32_t q = f.header[h];
            std::memset(f.work, 0, static_cast<size_t>(m) * sizeof(double));
            for (auto [row, v] : spec.columns[static_cast<size_t>(q)].entries) f.work[row] = v;
            Solve(ctx->inverse, f.work, kSolveForward);
            double best = 0.1;
            for (int32_t i = 0; i < m; ++i)
                if (std::fabs(f.work[i]) > best) best = std::fabs(f.work[i]), r = i;
            if (r < 0) h = h + 1 < n ? h + 1 : m;
        }
        if (r < 0) {
            state.SkipWithError("no exchange found");
            break;
        }
        ctx->solver.entering = f.header[h];
        ctx->solver.leaving = f.header[r];
        ctx->solver.leaving_pos = r;
        SwapIntoBasis(ctx, h, r);
        state.ResumeTiming();
        benchmark::DoNotOptimize(UpdateBasis(ctx));
        h = h + 1 < n ? h + 1 : m;
    }
    enginetest::DestroyContext(ctx);
}

void Register() {
    for (const char* name : kInstances) {
        benchmark::RegisterBenchmark((std::string("factorise_lu2/") + name).c_str(), Factorise, name, kLuLeftLooking);
        benchmark::RegisterBenchmark((std::string("factorise_lu1/") + name).c_str(), Factorise, name, kLuMarkowitz);
        benchmark::RegisterBenchmark((std::string("ftran_btran/") + name).c_str(), SolveBoth, name);
        benchmark::RegisterBenchmark((std::string("update/") + name).c_str(), Update, name);
    }
}

}  // namespace

int main(int argc, char** argv) {
    Register();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

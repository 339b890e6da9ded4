// cut_pool.cpp -- efficacy and parallelism filtering of a round's cuts.
#include "cuts/cut_pool.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace tymlp {
namespace {

double norm_of(const CutCandidate& cut) {
    double sum = 0.0;
    for (double v : cut.values) sum += v * v;
    return std::sqrt(sum);
}

// Cosine of the angle between two cuts' coefficient vectors.
double cosine(const CutCandidate& a, const CutCandidate& b, double norm_a, double norm_b) {
    if (norm_a == 0.0 || norm_b == 0.0) return 0.0;
    std::unordered_map<int32_t, double> entries;
    entries.reserve(a.columns.size());
    for (size_t k = 0; k < a.columns.size(); ++k) entries[a.columns[k]] = a.values[k];
    double dot = 0.0;
    for (size_t k = 0; k < b.columns.size(); ++k) {
        const auto it = entries.find(b.columns[k]);
        if (it != entries.end()) dot += it->second * b.values[k];
    }
    return dot / (norm_a * norm_b);
}

}  // namespace

double cut_violation(const CutCandidate& cut, const double* x) {
    double activity = 0.0;
    for (size_t k = 0; k < cut.columns.size(); ++k) activity += cut.values[k] * x[cut.columns[k]];
    return activity - cut.rhs;
}

bool offer_cut(CutPool& pool, CutCandidate&& cut, const double* x) {
    const double norm = norm_of(cut);
    if (!(norm > 0.0) || !std::isfinite(norm) || !std::isfinite(cut.rhs)) return false;
    cut.efficacy = cut_violation(cut, x) / norm;
    if (!(cut.efficacy >= kMinEfficacy)) return false;
    pool.cuts.push_back(std::move(cut));
    return true;
}

std::vector<const CutCandidate*> select_cuts(const CutPool& pool, int32_t limit) {
    std::vector<const CutCandidate*> order;
    order.reserve(pool.cuts.size());
    for (const CutCandidate& c : pool.cuts) order.push_back(&c);
    std::stable_sort(order.begin(), order.end(),
                     [](const CutCandidate* a, const CutCandidate* b) { return a->efficacy > b->efficacy; });
    std::vector<const CutCandidate*> kept;
    std::vector<double> norms;
    for (const CutCandidate* c : order) {
        if (static_cast<int32_t>(kept.size()) >= limit) break;
        const double norm = norm_of(*c);
        bool parallel = false;
        for (size_t k = 0; k < kept.size() && !parallel; ++k)
            parallel = cosine(*kept[k], *c, norms[k], norm) > kMaxParallelism;
        if (parallel) continue;
        kept.push_back(c);
        norms.push_back(norm);
    }
    return kept;
}

}  // namespace tymlp

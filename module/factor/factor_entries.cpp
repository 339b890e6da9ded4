// factor_entries.cpp -- the entry tables of the LU kernel, one per value of
// the LU option.
#include "factor/factor_entries.h"

#include "factor/lu_kernel.h"

namespace tymlp {
namespace {

// The tables differ only in the factorisation; whatever routine factorised
// the store, the factors are solved and updated alike.
constexpr FactorEntries Entries(FactorRoutine factorise) {
    return FactorEntries{.factorise = factorise,
                         .ftran = SolveForward,
                         .ftran_listed = SolveForwardListed,
                         .ftran_sparse = SolveForwardSparse,
                         .btran = SolveBackward,
                         .btran_sparse = SolveBackwardSparse,
                         .update = UpdateFactor,
                         .grow = GrowStore};
}

constexpr FactorEntries kMarkowitzEntries = Entries(FactorMarkowitz);
constexpr FactorEntries kLeftLookingEntries = Entries(FactorLeftLooking);

}  // namespace

const FactorEntries* FactorEntriesFor(int lu) {
    if (lu == kLuMarkowitz) return &kMarkowitzEntries;
    if (lu == kLuLeftLooking) return &kLeftLookingEntries;
    return nullptr;
}

}  // namespace tymlp

// pricing.h -- choosing the entering column of the primal phases.
//
// Every rule leaves its outcome in ctx->phases.pricing (price, source) and
// ctx->solver (entering column and its header position).  The price is the
// best reduced cost found (the larger the more attractive; a column is
// attractive when its price exceeds EPSILON), or -INFINITY when nothing was
// priced.  Rules return kRunOk, or kRunMemory when a column could not be
// fetched.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// SetUpPricing: installs the rule for PRICETYPE in ctx->entries.pricing
// (0 full pricing, Devex-weighted when DEVEX is on; 1 and 2 the queue rules;
// 3 the dynamic queue rule; 4 the lowest-index rule), sizes the candidate
// queue (a failed reallocation keeps the old capacity; with none the rule
// falls back to full pricing), allocates and resets the Devex data (a failed
// allocation issues message 204 and turns DEVEX off).  With the stored-price
// rule of sparse pricing active in phase 2 or later the Devex data are left
// to sparse pricing.
void SetUpPricing(LpContext* ctx);

// Runs the installed rule (SetUpPricing first when none is installed).
int RunPricing(LpContext* ctx);

// The reduced cost of the nonbasic column j as pricing sees it: c_j - y'a_j
// with the phase-1 infeasibility gradient when `phase1_costs`, negated for a
// column at its upper bound, absolute for a free one.  `priceable` is false
// for fixed and artificial columns (the value is then -INFINITY).  `objective`
// is the record whose column takes PHASEMIX times its sense as c_j.
int ColumnPrice(LpContext* ctx, int32_t j, const ObjectiveRecord* objective, bool phase1_costs, double* price);

// PriceColumn: prices the column at header position h alone (phase 1's
// random choice) and makes it the choice with price d_j.  Returns kRunOk or
// kRunMemory.
int PriceColumn(LpContext* ctx, int32_t h);

// FullPricing: Dantzig's rule over every nonbasic column in header order
// (first on ties).  Returns kRunOk or kRunMemory.
int FullPricing(LpContext* ctx);

// The lowest-index rule: the attractive column with the smallest column
// number.  Returns kRunOk or kRunMemory.
int LowestIndexPricing(LpContext* ctx);

// StorePivotRow: after an exchange in the primal phases (between the
// exchange and the factor update) records the leaving basis position for
// Devex; with full pricing also the row of B^-1 at that position (the spike
// of the entering column survives).  Nothing without DEVEX.
void StorePivotRow(LpContext* ctx);

// Row r of B^-1 into `out` (m doubles), by BTRAN of the unit vector.  With
// `keep_spike` the inverse store's spike (L^-1 a_q of the entering column,
// which a pending factor update needs) is kept by working in the dual
// vector for the duration, which destroys y.
void BasisInverseRow(LpContext* ctx, int32_t r, double* out, bool keep_spike);

// BasisInverseRow with keep_spike for an `out` that is zero except at the
// `previous` rows listed in `rows` (all of it when `previous` is -1): the
// same row, with the rows where it may be nonzero listed in `rows`.
// Returns their count, or -1 when the row was found without listing.
int32_t BasisInverseRowListed(LpContext* ctx, int32_t r, double* out, int32_t* rows, int32_t previous);

// Sparse pricing.
// SparseSetUp: builds the row-wise copy when absent, resets the Devex
// framework, computes the pricing vector and the stored reduced costs of the
// nonbasic columns, and installs the stored-price rule.  Returns kRunOk or
// kRunMemory.
int SparseSetUp(LpContext* ctx);
// Recomputes the stored reduced costs from a fresh pricing vector.  kRunOk or
// kRunMemory.
int RecomputeReducedCosts(LpContext* ctx);
// The pivot row alpha_r = rho'N of the copy into pricing.pivot_row (only
// the touched entries are set; the others are 0), with rho = row r of B^-1
// in pricing.rho (computed here).
void SparsePivotRow(LpContext* ctx, int32_t r);
// After an exchange (entering q, leaving l, its basis position r, the
// pivot element alpha_rq; the pivot row from SparsePivotRow and the FTRAN'd
// entering column in the work vector).
void UpdateDevexWeights(LpContext* ctx, int32_t q, int32_t l);
int UpdateReducedCosts(LpContext* ctx, int32_t q, int32_t l);
int UpdateRowCopy(LpContext* ctx, int32_t q, int32_t l);
// Brings the copy in line with the status bytes (after a repair or a basis
// change behind the phases' back).  Returns kRunOk or kRunMemory.
int RefreshRowCopy(LpContext* ctx);
// ReleaseSparse: returns the row-wise copy and the stored reduced costs and
// pivot row to the host and marks the copy not built.
void ReleaseSparse(LpContext* ctx);

// The price of a column whose status says fixed or artificial.
inline bool IsPriceable(const LpContext* ctx, int32_t j) {
    const ComputationalForm& f = ctx->form;
    return (f.status[j] & kStatArtificial) == 0 && f.lower[j] != f.upper[j];
}

}  // namespace tymlp

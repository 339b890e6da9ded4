// lu_kernel.h -- entry points of the LU kernel on the inverse store.
//
// Factorise, solve, update, grow and compress.  Code above the factor folder
// reaches these through the entry table of factor/factor_entries.h (which
// also defines the LU option values and FactorRoutine); tests and
// benchmarks of the kernel call them directly.  No routine here allocates
// except the two factorisations (their temporaries, once per call, from the
// host) and GrowStore (through the store's memory-shift callback).
#pragma once

#include <cstdint>

#include "base/ctx_inverse.h"
#include "factor/factor_entries.h"

namespace tymlp {

// The two factorisations (see FactorRoutine): LU = 2 and LU = 1.
double FactorLeftLooking(InverseStore& store);
double FactorMarkowitz(InverseStore& store);

// Solve modes.
inline constexpr char kSolveForward = 'f';   // FTRAN: B z = a, a by row in, z by basis position out
inline constexpr char kSolveBackward = 't';  // BTRAN: B^T y = c, c by basis position in, y by row out

// Solves in place.  Returns 0, or 1 for an unknown mode (x untouched).
int Solve(InverseStore& store, double* x, char mode);

// Solve mode 'f' and mode 't' as routines of their own (the entry table's
// FTRAN and BTRAN).
void SolveForward(InverseStore& store, double* x);
void SolveBackward(InverseStore& store, double* x);

// FTRAN as Solve mode 'f' that also lists, in `nonzeros` (m entries of room),
// the basis positions where z may be nonzero: every position the back
// substitution set, in the order it set them (no other entry of z is
// nonzero).  Returns the number listed.
int32_t SolveForwardListed(InverseStore& store, double* x, int32_t* nonzeros);

// SolveForwardListed for a right-hand side x that is zero except at the
// `count` rows of `rows`: the same values, the same listed positions (in
// another order), found by touching only what those rows reach when the
// store has its optional reach arrays (otherwise the full sweep runs).
int32_t SolveForwardSparse(InverseStore& store, double* x, const int32_t* rows, int32_t count, int32_t* nonzeros);

// BTRAN of an x that is zero except at the `count` basis positions of
// `positions`: the same y as SolveBackward, bit for bit, touching only what
// those positions reach.  Lists the rows where y may be nonzero (each once,
// in no particular order) and returns their count; returns -1 when it ran
// the full sweep instead (large reach, or a store without the reach arrays),
// and then lists nothing.
int32_t SolveBackwardSparse(InverseStore& store, double* x, const int32_t* positions, int32_t count, int32_t* nonzeros);

// Makes room for `need` slots in all (request (need - capacity + 1) * 16
// bytes).  Returns 0 when granted, otherwise the negated byte request.
int64_t GrowStore(InverseStore& store, int64_t need);

// Compression modes.
inline constexpr char kCompressFactor = 'c';   // whole slots of the column lists (factorisation)
inline constexpr char kCompressRows = 't';     // (value, column) pairs of the row lists
inline constexpr char kCompressColumns = 'f';  // row numbers of the column patterns

// Packs the lists of one structure to the bottom in order of appearance,
// updating starts, ends and the free counter.  Does not count compressions.
// Returns 0, or 1 for an unknown mode.
int CompressStore(InverseStore& store, char mode);

// Replaces U's column at basis position p by the spike (L^-1 a by row, as
// the last FTRAN left it).  Returns the modulus: 1.0 when no elimination was
// needed, else the largest magnitude an elimination stored (>= 1.0); 0 when
// the new basis is singular; < 0 when the store could not be enlarged.
double UpdateFactor(InverseStore& store, int32_t p);

// Row b := row b + mu * row a, without row b's first entry (the one being
// eliminated); records the eta (mu, a, b).  The spike must be zero on entry
// and is zero on exit.  Returns the largest |value| stored into row b (0 if
// none), or < 0 when the store could not be enlarged.
double EliminateRow(InverseStore& store, int32_t a, int32_t b, double mu);

}  // namespace tymlp

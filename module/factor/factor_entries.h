// factor_entries.h -- the factor folder's boundary: the entry table through
// which everything above this folder reaches the LU kernel.
//
// The kernel works on the inverse store (base/ctx_inverse.h) and nothing
// else; the caller fills the store's input layout, owns its arrays and
// supplies its memory-shift callback.  A run takes the table for its LU
// option once (RunEntries::factor) and calls through it; tests and
// benchmarks of the kernel itself may call factor/lu_kernel.h directly.
#pragma once

#include <cstdint>

#include "base/ctx_inverse.h"

namespace tymlp {

// Values of the LU option: the factorisation routine a table carries.
inline constexpr int kLuMarkowitz = 1;    // right-looking, Markowitz pivot choice
inline constexpr int kLuLeftLooking = 2;  // left-looking, threshold partial pivoting (the default)

// A factorisation: store in input layout -> factors in final layout.
// Returns the modulus: > 0 the largest magnitude met (input entries and the
// pivot values produced), 0 singular, < 0 the store could not be enlarged
// (the negated byte request).  Temporary memory that cannot be had from the
// host also gives a negative modulus.
using FactorRoutine = double (*)(InverseStore& store);

struct FactorEntries {
    // Factorises the basis columns the caller placed in slots 0..nelem-1
    // (m, nelem and the store's arrays set); the routine of the LU option
    // this table was chosen for.  See FactorRoutine for the result.  The
    // spike is zero on exit.
    FactorRoutine factorise;

    // FTRAN: B z = a in place; x holds a by row on entry and z by basis
    // position on exit.  Leaves L^-1 a (by row) in the spike for update.
    void (*ftran)(InverseStore& store, double* x);

    // FTRAN that also lists, in `nonzeros` (m entries of room), the basis
    // positions where z may be nonzero, in the order the back substitution
    // set them (no other entry of z is nonzero).  Returns the number listed.
    int32_t (*ftran_listed)(InverseStore& store, double* x, int32_t* nonzeros);

    // ftran_listed for an x that is zero except at the `count` rows of
    // `rows` (no other precondition): the same z and the same positions
    // listed, in some order, at a cost that follows what those rows reach.
    int32_t (*ftran_sparse)(InverseStore& store, double* x, const int32_t* rows, int32_t count, int32_t* nonzeros);

    // BTRAN: B^T y = c in place; x holds c by basis position on entry and y
    // by row on exit.  Overwrites the spike (its working copy of c).
    void (*btran)(InverseStore& store, double* x);

    // BTRAN of an x that is zero except at the `count` basis positions of
    // `positions`: the same y, listing in `nonzeros` (m entries of room) the
    // rows where it may be nonzero, each once; returns their count, or -1
    // when it solved without listing (y is right either way).
    int32_t (*btran_sparse)(InverseStore& store, double* x, const int32_t* positions, int32_t count, int32_t* nonzeros);

    // Replaces U's column at basis position p by the spike the last FTRAN
    // left (the entering column).  Returns the modulus: 1.0 when no
    // elimination was needed, else the largest magnitude an elimination
    // stored (>= 1.0); 0 when the new basis is singular; < 0 when the store
    // could not be enlarged.  After a result <= 0 the factors are fit only
    // for a new factorisation.  The spike is zero on exit.
    double (*update)(InverseStore& store, int32_t p);

    // Makes room for `need` slots in all through the memory-shift callback
    // (asking for (need - capacity + 1) * 16 bytes).  Returns 0 when granted,
    // otherwise the negated byte request.
    int64_t (*grow)(InverseStore& store, int64_t need);
};

// The table for an LU option value (kLuMarkowitz or kLuLeftLooking): a
// static table that lives as long as the module; null for any other value.
// The tables differ only in `factorise`.
const FactorEntries* FactorEntriesFor(int lu);

}  // namespace tymlp

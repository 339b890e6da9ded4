// basis_header.h -- the header part of a basis exchange.
#pragma once

#include <cstdint>

#include "base/lp_context.h"

namespace tymlp {

// SwapIntoBasis: the column q at header position h (h >= m) enters at basis
// position r; the column l leaving r loses status 0x40, q gains it;
// header[r] = q; header positions h+1 .. n-1 move down by one and l goes to
// n-1.  The basis positions of the current objective and of the one set
// aside follow (-1 for a column that left).  Does not touch the factors, the
// values or any pricing data.
void SwapIntoBasis(LpContext* ctx, int32_t h, int32_t r);

// SwapIntoBasisInPlace: as SwapIntoBasis, but l takes position h and no
// other header position moves (for a path that does not rely on the order
// of the nonbasic part).
void SwapIntoBasisInPlace(LpContext* ctx, int32_t h, int32_t r);

// Header position of column j (linear search), or -1.
int32_t HeaderPosition(const LpContext* ctx, int32_t j);

}  // namespace tymlp

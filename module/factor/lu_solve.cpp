// lu_solve.cpp -- FTRAN and BTRAN over the slot array.
//
// B = L^-1-etas then U: FTRAN applies the etas from the top of the array in
// the order they were written and then back-substitutes with row-wise U;
// BTRAN forward-substitutes with U^T and then applies the etas in reverse.
// Both touch only what the nonzeros demand: an eta is skipped when its
// source is zero, a row's inner product is formed only when a column it has
// an entry in produced a nonzero (the row is "flagged"), and a U row is
// scattered only when its right-hand entry is nonzero.
#include <algorithm>
#include <climits>
#include <cstdint>
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

// The reach of a sparse FTRAN is followed while it stays within 1/k of the
// rows; beyond that the plain sweep over all steps costs less.
constexpr int32_t kSparseReachShare = 10;
// Below this order the sweeps over all steps are cheap enough that finding
// the reach first does not pay.
constexpr int32_t kSparseSolveRows = 5000;
// The factorisation's etas are applied by runs in BTRAN when there are at
// least this many of them per row.
constexpr int64_t kEtaRunLength = 8;
// Rows the back substitution passes before it judges whether flags pay.
constexpr int32_t kFlagTrialRows = 64;

// A fresh stamp for the reach marks (all marks are cleared when the stamps
// run out).
inline int32_t NextStamp(InverseStore& s) {
    if (++s.reachStamp == INT32_MAX) {
        for (int32_t i = 0; i < s.m; ++i) s.reachMark[i] = 0;
        s.reachStamp = 1;
    }
    return s.reachStamp;
}

// One row of the back substitution with row-wise U: row p's value less the
// inner product of its off-diagonal entries with the values found so far; a
// nonzero result gives the value of p's diagonal column.
//
// kFlagged forms the inner product only when the row is flagged (a column
// it has an entry in got a value), and a value found flags the rows of its
// column's pattern.  Without it the inner product is formed for every row
// and nothing is flagged: a row the flagged form would have left unflagged
// has only zero terms, which leave its value exactly as it is, so the two
// agree bit for bit; a row flagged earlier has its flag cleared.
template <bool kFlagged>
inline void BackSubstituteRow(InverseStore& s, int32_t p, double* x, int32_t* nonzeros, int32_t& listed) {
    const InverseSlot* e = s.elements;
    int32_t* rowStart = s.rowStart;
    double d = s.spike[p];
    int32_t rs = rowStart[p];
    const bool flagged = IsFlagged(rs);
    if (flagged) {
        rs = FlipFlag(rs);
        rowStart[p] = rs;
    }
    if (!kFlagged || flagged) {
        const int32_t re = s.rowEnd[p];
        for (int32_t q = rs + 1; q <= re; ++q) d -= e[q].value * x[e[q].column];
    }
    if (d == 0.0) return;
    const int32_t c = e[rs].column;
    x[c] = d / e[rs].value;
    if (nonzeros != nullptr) nonzeros[listed++] = c;
    if constexpr (kFlagged) {
        const int32_t ce = s.colEnd[c];
        for (int32_t q = s.colStart[c] + 1; q <= ce; ++q) {
            int32_t& start = rowStart[e[q].row];
            start = FlagOnce(start);
        }
    }
}

// The back substitution over all steps.  Flags pay while few rows need an
// inner product; once the sweep has passed kFlagTrialRows rows and more
// than half of them needed one, the result is taken to be dense and the
// rest of the sweep forms every row's inner product without flagging.
int32_t BackSubstitute(InverseStore& s, double* x, int32_t* nonzeros) {
    const int32_t m = s.m;
    const int32_t* pivotRow = s.pivotRow;
    int32_t listed = 0;
    int32_t formed = 0;
    int32_t k = m - 1;
    for (; k >= 0; --k) {
        const int32_t p = pivotRow[k];
        if (IsFlagged(s.rowStart[p])) ++formed;
        BackSubstituteRow<true>(s, p, x, nonzeros, listed);
        const int32_t passed = m - k;
        if (passed >= kFlagTrialRows && 2 * formed > passed) break;
    }
    for (--k; k >= 0; --k) BackSubstituteRow<false>(s, pivotRow[k], x, nonzeros, listed);
    return listed;
}

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
    s.spikeCount = -1;

    return BackSubstitute(s, x, nonzeros);
}

// The depth-first search both reaches share.  A node's successors are the
// slots first(v) .. last(v), each leading to target(slot); a root that
// `skip_root` refuses starts nothing.  The nodes reached go to s.reachOrder
// in post-order.  Returns their number, or -1 as soon as more than `limit`
// are reached.
template <typename SkipRoot, typename First, typename Last, typename Target>
int32_t DepthFirstReach(InverseStore& s, const int32_t* roots, int32_t count, int32_t limit, SkipRoot skip_root,
                        First first, Last last, Target target) {
    const int32_t stamp = NextStamp(s);
    int32_t* mark = s.reachMark;
    int32_t* stack = s.reachStack;
    int32_t* next = s.reachNext;
    int32_t* order = s.reachOrder;
    int32_t reached = 0;
    for (int32_t k = 0; k < count; ++k) {
        const int32_t root = roots[k];
        if (mark[root] == stamp || skip_root(root)) continue;
        mark[root] = stamp;
        int32_t depth = 0;
        stack[0] = root;
        next[0] = first(root);
        while (depth >= 0) {
            const int32_t v = stack[depth];
            const int32_t end = last(v);
            int32_t q = next[depth];
            while (q <= end && mark[target(q)] == stamp) ++q;
            if (q <= end) {
                const int32_t t = target(q);
                next[depth] = q + 1;
                mark[t] = stamp;
                ++depth;
                stack[depth] = t;
                next[depth] = first(t);
                continue;
            }
            if (reached == limit) return -1;
            order[reached++] = v;
            --depth;
        }
    }
    return reached;
}

// The rows an FTRAN's back substitution must visit when L^-1 a is nonzero
// only at the `count` rows of `rows`: a row whose diagonal column gets a
// value flags every row in that column's pattern.  Found by a depth-first
// search; s.reachOrder receives them in post-order, so that read backwards
// every row comes after all rows it depends on.  Returns their number, or -1
// as soon as more than `limit` are reached (the full sweep is then cheaper).
int32_t ReachOfSpike(InverseStore& s, const int32_t* rows, int32_t count, int32_t limit) {
    const InverseSlot* e = s.elements;
    // Row r's successors: the rows of its diagonal column's pattern.
    return DepthFirstReach(
        s, rows, count, limit, [&](int32_t r) { return s.spike[r] == 0.0; },
        [&](int32_t r) { return s.colStart[e[s.rowStart[r]].column] + 1; },
        [&](int32_t r) { return s.colEnd[e[s.rowStart[r]].column]; }, [&](int32_t q) { return e[q].row; });
}

// FTRAN of a right-hand side that is nonzero only at the `count` rows of
// `rows` (x zero elsewhere), for a store whose spike is zero except at its
// listed rows.  The etas are applied as by Forward (noting the rows they
// make nonzero), the spike is set only where L^-1 a may be nonzero, and the
// back substitution visits only the rows the spike reaches, in an order
// where every row's inner product sees final values: each value comes out
// as the full sweep computes it.  Falls back to the full sweep when the
// reach is large.  Lists the positions set in `nonzeros`; returns their
// count.
int32_t ForwardSparse(InverseStore& s, double* x, const int32_t* rows, int32_t count, int32_t* nonzeros) {
    const InverseSlot* e = s.elements;
    const int32_t m = s.m;
    double* spike = s.spike;
    if (s.spikeCount < 0) {
        std::memset(spike, 0, static_cast<size_t>(m) * sizeof(double));
    } else {
        for (int32_t k = 0; k < s.spikeCount; ++k) spike[s.spikeList[k]] = 0.0;
    }
    // The rows of L^-1 a that may be nonzero, marked with a fresh stamp.
    int32_t* mark = s.reachMark;
    const int32_t stamp = NextStamp(s);
    int32_t* list = s.spikeList;
    int32_t listed = 0;
    for (int32_t k = 0; k < count; ++k) {
        if (mark[rows[k]] == stamp) continue;
        mark[rows[k]] = stamp;
        list[listed++] = rows[k];
    }
    const int32_t top = s.capacity - 1;
    const int32_t bottom = s.capacity - s.etaCount;
    for (int32_t q = top; q >= bottom; --q) {
        const double source = x[e[q].row];
        if (source == 0.0) continue;
        const int32_t t = e[q].column;
        x[t] += e[q].value * source;
        if (mark[t] != stamp) {
            mark[t] = stamp;
            list[listed++] = t;
        }
    }
    for (int32_t k = 0; k < listed; ++k) {
        spike[list[k]] = x[list[k]];
        x[list[k]] = 0.0;
    }
    s.spikeCount = listed;

    // The spike's own nonzeros are part of the reach: when they alone pass
    // the limit the search is not even started.
    const int32_t limit = m / kSparseReachShare;
    const int32_t reached = listed > limit ? -1 : ReachOfSpike(s, list, listed, limit);
    if (reached < 0) return BackSubstitute(s, x, nonzeros);
    int32_t set = 0;
    for (int32_t k = reached - 1; k >= 0; --k) BackSubstituteRow<true>(s, s.reachOrder[k], x, nonzeros, set);
    return set;
}

// The etas in reverse, transposed: eta (mu, p, t) adds mu * x[t] to x[p].
// The newest etas, the updates' row operations, each add to another row and
// are applied one by one.  The factorisation's own etas come in runs that
// share p (one run per pivot); when they average kEtaRunLength or more, each
// run sums x[p] in a register instead of through memory, where every add
// would wait for the store of the one before.  The adds happen in the same
// order, so the sums are the same bit for bit.
void ApplyEtasTransposed(const InverseStore& s, double* x) {
    const InverseSlot* e = s.elements;
    const int32_t top = s.capacity - 1;
    // Short runs cost more in mispredicted run ends than they save.
    const int32_t factorEtas = std::max(0, std::min(s.factorEtas, s.etaCount));
    const int32_t runs = factorEtas >= kEtaRunLength * static_cast<int64_t>(s.m) ? factorEtas : 0;
    const int32_t firstRun = s.capacity - runs;
    int32_t q = s.capacity - s.etaCount;
    for (; q < firstRun; ++q) {
        const double target = x[e[q].column];
        if (target != 0.0) x[e[q].row] += e[q].value * target;
    }
    // A factorisation's eta never has t = p (its target is another row), so
    // no eta of a run reads x[p] itself: a run is summed from the x[p] it
    // starts with, whatever its first etas' x[t] are, and ends only where
    // p changes.
    while (q <= top) {
        const int32_t p = e[q].row;
        double sum = x[p];
        do {
            const double next = x[e[q].column];
            if (next != 0.0) sum += e[q].value * next;
            ++q;
        } while (q <= top && e[q].row == p);
        x[p] = sum;
    }
}

// BTRAN.  On entry x = c by basis position; on exit x = y with B^T y = c by
// row; the spike vector is used as the working copy of c.
void Backward(InverseStore& s, double* x) {
    const InverseSlot* e = s.elements;
    const int32_t m = s.m;
    double* spike = s.spike;
    s.spikeCount = -1;
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

    ApplyEtasTransposed(s, x);
}

// The basis columns a BTRAN must visit when c is nonzero only at the
// `count` positions of `positions`: a column whose value is nonzero passes
// it, through its diagonal row's entries, to the columns of that row.
// Found by a depth-first search; s.reachOrder receives them.  Returns their
// number, or -1 as soon as more than `limit` are reached.
int32_t ReachOfBtran(InverseStore& s, const int32_t* positions, int32_t count, int32_t limit) {
    const InverseSlot* e = s.elements;
    // Column c's successors: the columns of its diagonal row.
    return DepthFirstReach(
        s, positions, count, limit, [](int32_t) { return false; },
        [&](int32_t c) { return s.rowStart[e[s.colStart[c]].row] + 1; },
        [&](int32_t c) { return s.rowEnd[e[s.colStart[c]].row]; }, [&](int32_t q) { return e[q].column; });
}

// BTRAN of a c that is nonzero only at the `count` positions of
// `positions` (x zero elsewhere).  The columns it reaches are visited in
// step order, as the full sweep visits them, so that every subtraction into
// the working copy comes in the same order and each value is the sweep's,
// bit for bit; the etas follow as in Backward.  Falls back to Backward when
// the reach is large.  Lists the rows where y may be nonzero in `nonzeros`;
// returns their count, or -1 after the fallback (nothing listed).
int32_t BackwardSparse(InverseStore& s, double* x, const int32_t* positions, int32_t count, int32_t* nonzeros) {
    const InverseSlot* e = s.elements;
    const int32_t reached = ReachOfBtran(s, positions, count, s.m / kSparseReachShare);
    if (reached < 0) {
        Backward(s, x);
        return -1;
    }
    double* spike = s.spike;
    s.spikeCount = -1;
    int32_t* order = s.reachOrder;
    const int32_t* step = s.rowStep;
    const int32_t* colStart = s.colStart;
    std::sort(order, order + reached, [e, step, colStart](int32_t a, int32_t b) {
        return step[e[colStart[a]].row] < step[e[colStart[b]].row];
    });
    for (int32_t k = 0; k < reached; ++k) spike[order[k]] = x[order[k]];
    for (int32_t k = 0; k < count; ++k) x[positions[k]] = 0.0;

    // Rows given a value, marked with a fresh stamp (the reach's marks were
    // by column).
    const int32_t stamp = NextStamp(s);
    int32_t* mark = s.reachMark;
    int32_t listed = 0;
    for (int32_t k = 0; k < reached; ++k) {
        const double d = spike[order[k]];
        if (d == 0.0) continue;
        const int32_t p = e[colStart[order[k]]].row;
        const int32_t rs = s.rowStart[p];
        const int32_t re = s.rowEnd[p];
        const double xp = d / e[rs].value;
        x[p] = xp;
        mark[p] = stamp;
        nonzeros[listed++] = p;
        for (int32_t q = rs + 1; q <= re; ++q) spike[e[q].column] -= xp * e[q].value;
    }
    const int32_t top = s.capacity - 1;
    for (int32_t q = s.capacity - s.etaCount; q <= top; ++q) {
        const double target = x[e[q].column];
        if (target == 0.0) continue;
        const int32_t t = e[q].row;
        x[t] += e[q].value * target;
        if (mark[t] != stamp) {
            mark[t] = stamp;
            nonzeros[listed++] = t;
        }
    }
    return listed;
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

int32_t SolveBackwardSparse(InverseStore& s, double* x, const int32_t* positions, int32_t count, int32_t* nonzeros) {
    if (s.m < kSparseSolveRows || s.rowStep == nullptr || s.spikeList == nullptr || s.reachMark == nullptr ||
        s.reachStack == nullptr || s.reachNext == nullptr || s.reachOrder == nullptr) {
        Backward(s, x);
        return -1;
    }
    return BackwardSparse(s, x, positions, count, nonzeros);
}

int32_t SolveForwardSparse(InverseStore& s, double* x, const int32_t* rows, int32_t count, int32_t* nonzeros) {
    if (s.m < kSparseSolveRows || s.rowStep == nullptr || s.spikeList == nullptr || s.reachMark == nullptr ||
        s.reachStack == nullptr || s.reachNext == nullptr || s.reachOrder == nullptr)
        return Forward(s, x, nonzeros);
    return ForwardSparse(s, x, rows, count, nonzeros);
}

}  // namespace tymlp

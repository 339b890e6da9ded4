#!/usr/bin/env python3
"""Decides in rational arithmetic whether the basis qmlp reported is optimal.

Usage: exact_basis_check.py PROBLEM.mps PRIMALOUT.csv max|min

The random-LP harness asks this when qmlp's optimum and the exact oracle's
disagree.  The problem is read from the free MPS file the harness wrote (the
same doubles qmlp read, each taken as the exact rational it is); the basis
from PRIMALOUT: the basic columns, the nonbasic columns at the values given,
and every row whose logical column is nonbasic (or that has none) held at the
end of its interval that the reported point is nearest to.  The basic values
are solved for exactly, then the duals of the held rows; the basis is
optimal when every value lies within its bounds, every row within its
interval, and every reduced cost and dual has the sign its bound or end
requires.  Primal and dual feasibility together prove the optimum whatever
any other solver says.

Prints one line: "optimal OBJECTIVE" (the exact objective, to 17 digits),
"infeasible-basis WHY", "not-optimal WHY" or "undecided WHY".
"""
import csv
import sys
from fractions import Fraction


def number(text):
    return Fraction(float(text))


def read_mps(path):
    rows, kinds, order = {}, {}, []
    objective = None
    columns, entries, cost = [], {}, {}
    rhs, ranges, lower, upper = {}, {}, {}, {}
    section = None
    for line in open(path):
        if not line.strip():
            continue
        if not line.startswith(' '):
            section = line.split()[0]
            continue
        p = line.split()
        if section == 'ROWS':
            if p[0] == 'N':
                objective = p[1]
            else:
                kinds[p[1]] = p[0]
                order.append(p[1])
        elif section == 'COLUMNS':
            name, row, value = p[0], p[1], number(p[2])
            if name not in entries:
                columns.append(name)
                entries[name] = {}
                lower[name], upper[name] = Fraction(0), None
            if row == objective:
                cost[name] = value
            elif value != 0:
                entries[name][row] = value
        elif section == 'RHS':
            rhs[p[1]] = number(p[2])
        elif section == 'RANGES':
            ranges[p[1]] = number(p[2])
        elif section == 'BOUNDS':
            kind, name = p[0], p[2]
            if kind == 'LO':
                lower[name] = number(p[3])
            elif kind == 'UP':
                upper[name] = number(p[3])
            elif kind == 'MI':
                lower[name] = None
            elif kind == 'FR':
                lower[name], upper[name] = None, None
            elif kind == 'FX':
                lower[name] = upper[name] = number(p[3])
    interval = {}
    for r in order:
        b, k, rng = rhs.get(r, Fraction(0)), kinds[r], ranges.get(r)
        if k == 'L':
            interval[r] = (b - abs(rng) if rng else None, b)
        elif k == 'G':
            interval[r] = (b, b + abs(rng) if rng else None)
        elif rng is None or rng == 0:
            interval[r] = (b, b)
        else:
            interval[r] = (b, b + rng) if rng > 0 else (b + rng, b)
    return order, interval, columns, entries, cost, lower, upper


def solve(matrix, rhs):
    """Exact Gaussian elimination; None when singular."""
    n = len(matrix)
    a = [list(row) + [b] for row, b in zip(matrix, rhs)]
    for k in range(n):
        pivot = next((i for i in range(k, n) if a[i][k] != 0), None)
        if pivot is None:
            return None
        a[k], a[pivot] = a[pivot], a[k]
        for i in range(n):
            if i != k and a[i][k] != 0:
                f = a[i][k] / a[k][k]
                a[i] = [x - f * y for x, y in zip(a[i], a[k])]
    return [a[k][n] / a[k][k] for k in range(n)]


def main():
    mps, primalout, sense = sys.argv[1], sys.argv[2], sys.argv[3]
    order, interval, columns, entries, cost, lower, upper = read_mps(mps)
    status, value = {}, {}
    with open(primalout) as f:
        reader = csv.reader(f)
        header = [h.split('$')[0] for h in next(reader)]
        var, st, val = header.index('_VAR_'), header.index('_STATUS_'), header.index('_VALUE_')
        for line in reader:
            status[line[var].strip()] = line[st].strip()
            value[line[var].strip()] = float(line[val])
    basic = [c for c in columns if status.get(c) in ('_BASIC_', '_DEGEN_')]
    x = {c: Fraction(value[c]) for c in columns if c not in basic}
    for c in columns:
        if c in basic:
            continue
        if x[c] not in (lower[c], upper[c]) and not (lower[c] is None and upper[c] is None):
            print('undecided nonbasic %s not on a bound' % c)
            return
    # Rows held at an end: logical column nonbasic, or none at all.
    held = {}
    for r in order:
        if status.get(r) in ('_BASIC_', '_DEGEN_'):
            continue
        lo, hi = interval[r]
        activity = sum(float(a) * value[c] for c, col in entries.items() for rr, a in col.items() if rr == r)
        ends = [e for e in (lo, hi) if e is not None]
        if not ends:
            print('undecided free row %s held' % r)
            return
        held[r] = min(ends, key=lambda e: abs(float(e) - activity))
    held_rows = list(held)
    if len(held_rows) != len(basic):
        print('undecided %d held rows for %d basic columns' % (len(held_rows), len(basic)))
        return
    matrix = [[entries[c].get(r, Fraction(0)) for c in basic] for r in held_rows]
    right = [held[r] - sum(entries[c].get(r, 0) * x[c] for c in x) for r in held_rows]
    solution = solve(matrix, right)
    if solution is None:
        print('undecided singular basis')
        return
    x.update(zip(basic, solution))
    for c in basic:
        if (lower[c] is not None and x[c] < lower[c]) or (upper[c] is not None and x[c] > upper[c]):
            print('infeasible-basis %s = %.17g outside its bounds' % (c, float(x[c])))
            return
    for r in order:
        activity = sum(entries[c].get(r, 0) * x[c] for c in columns)
        lo, hi = interval[r]
        if lo is not None and activity < lo:
            print('infeasible-basis row %s below its interval by %.3g' % (r, float(lo - activity)))
            return
        if hi is not None and activity > hi:
            print('infeasible-basis row %s above its interval by %.3g' % (r, float(activity - hi)))
            return
    # Duals of the held rows: the basic columns' reduced costs vanish.
    transposed = [[entries[c].get(r, Fraction(0)) for r in held_rows] for c in basic]
    y = solve(transposed, [cost.get(c, Fraction(0)) for c in basic])
    if y is None:
        print('undecided singular basis')
        return
    y = dict(zip(held_rows, y))
    s = 1 if sense == 'min' else -1  # minimising: reduced costs up from a lower bound are >= 0
    for c in columns:
        if c in basic or lower[c] == upper[c]:
            continue
        d = s * (cost.get(c, Fraction(0)) - sum(a * y.get(r, 0) for r, a in entries[c].items()))
        at_lower = lower[c] is not None and x[c] == lower[c]
        at_upper = upper[c] is not None and x[c] == upper[c]
        if (at_lower and d < 0) or (at_upper and d > 0) or (not at_lower and not at_upper and d != 0):
            print('not-optimal %s reduced cost %.3g' % (c, float(d)))
            return
    for r in held_rows:
        lo, hi = interval[r]
        if lo == hi:
            continue
        d = s * y[r]
        if (held[r] == lo and d < 0) or (held[r] == hi and d > 0):
            print('not-optimal row %s dual %.3g' % (r, float(y[r])))
            return
    print('optimal %.17g' % float(sum(cost.get(c, 0) * x[c] for c in columns)))


if __name__ == '__main__':
    main()

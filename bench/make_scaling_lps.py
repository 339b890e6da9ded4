#!/usr/bin/env python3
"""make_scaling_lps.py -- writes large sparse LPs of three families as MPS
files, so that the growth of the cost per simplex iteration with the size of
the problem can be measured.

    bench/make_scaling_lps.py OUT_DIR [SIZE ...]

SIZE is a target number of nonzeros (default 1e4 1e5 1e6).  For each size
three files are written:

  separable-N.mps       min -sum p_i x_i, one row x_i <= c_i per column: one
                        nonzero per column, every iteration a bound change
                        of its own row
  transport-N.mps       min sum c_ij x_ij over an s x s transportation
                        problem (supply rows <=, demand rows >=)
  staircase-N.mps       a multi-period production plan: each period's
                        products, capacities and demands, linked to the next
                        period by inventory columns

The data come from a fixed-seed generator: the same SIZE gives the same file.
"""
import os
import random
import sys


def write_mps(path, name, objective, rows, columns, rhs):
    """Minimises objective (dict column -> cost); rows: list of (name,
    type); columns: list of (name, [(row, value)]); rhs: dict row -> value."""
    with open(path, "w") as out:
        out.write(f"NAME          {name}\n")
        out.write("ROWS\n N  obj\n")
        for row, kind in rows:
            out.write(f" {kind}  {row}\n")
        out.write("COLUMNS\n")
        for col, entries in columns:
            cost = objective.get(col, 0.0)
            if cost != 0.0:
                out.write(f"    {col:<10} obj        {cost:.6g}\n")
            for row, value in entries:
                out.write(f"    {col:<10} {row:<10} {value:.6g}\n")
        out.write("RHS\n")
        for row, value in rhs.items():
            out.write(f"    rhs        {row:<10} {value:.6g}\n")
        out.write("ENDATA\n")


def separable(path, nonzeros, rng):
    n = max(10, nonzeros)
    rows = [(f"r{i}", "L") for i in range(n)]
    columns = [(f"x{i}", [(f"r{i}", 1.0)]) for i in range(n)]
    objective = {f"x{i}": -float(rng.randint(1, 100)) for i in range(n)}
    rhs = {f"r{i}": float(rng.randint(1, 50)) for i in range(n)}
    write_mps(path, "SEPARABLE", objective, rows, columns, rhs)


def transport(path, nonzeros, rng):
    side = max(3, int((nonzeros / 2) ** 0.5))
    rows = [(f"s{i}", "L") for i in range(side)] + [(f"d{j}", "G") for j in range(side)]
    demand = [rng.randint(10, 100) for _ in range(side)]
    supply = [rng.randint(10, 100) for _ in range(side)]
    # Enough supply for every demand, spread over the sources.
    shortfall = sum(demand) - sum(supply)
    if shortfall > 0:
        for i in range(shortfall):
            supply[i % side] += 1
    columns = []
    objective = {}
    for i in range(side):
        for j in range(side):
            col = f"x{i}_{j}"
            columns.append((col, [(f"s{i}", 1.0), (f"d{j}", 1.0)]))
            objective[col] = float(rng.randint(1, 1000))
    rhs = {f"s{i}": float(supply[i]) for i in range(side)}
    rhs.update({f"d{j}": float(demand[j]) for j in range(side)})
    write_mps(path, "TRANSPORT", objective, rows, columns, rhs)


def staircase(path, nonzeros, rng):
    # Per period: products that each use a few of the resources, a demand
    # row per product, and inventory columns carrying products forward.
    products, resources = 20, 8
    per_period = products * 4 + products * 3
    periods = max(2, nonzeros // per_period)
    rows, columns, objective, rhs = [], [], {}, {}
    for t in range(periods):
        for r in range(resources):
            rows.append((f"c{t}_{r}", "L"))
            rhs[f"c{t}_{r}"] = float(rng.randint(200, 400))
        for p in range(products):
            rows.append((f"b{t}_{p}", "E"))
            rhs[f"b{t}_{p}"] = float(rng.randint(5, 30))
    for t in range(periods):
        for p in range(products):
            make = f"m{t}_{p}"
            entries = [(f"b{t}_{p}", 1.0)]
            for r in rng.sample(range(resources), 3):
                entries.append((f"c{t}_{r}", float(rng.randint(1, 9))))
            columns.append((make, entries))
            objective[make] = float(rng.randint(10, 50))
            if t + 1 < periods:
                keep = f"k{t}_{p}"
                columns.append((keep, [(f"b{t}_{p}", -1.0), (f"b{t + 1}_{p}", 1.0)]))
                objective[keep] = float(rng.randint(1, 5))
            buy = f"u{t}_{p}"
            columns.append((buy, [(f"b{t}_{p}", 1.0)]))
            objective[buy] = float(rng.randint(60, 120))
    write_mps(path, "STAIRCASE", objective, rows, columns, rhs)


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir = sys.argv[1]
    sizes = [int(float(s)) for s in sys.argv[2:]] or [10**4, 10**5, 10**6]
    os.makedirs(out_dir, exist_ok=True)
    for size in sizes:
        for family, make in (("separable", separable), ("transport", transport), ("staircase", staircase)):
            make(os.path.join(out_dir, f"{family}-{size}.mps"), size, random.Random(size))
    return 0


if __name__ == "__main__":
    sys.exit(main())

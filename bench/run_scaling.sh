#!/usr/bin/env bash
# run_scaling.sh -- generates the large sparse LPs of make_scaling_lps.py
# (separable, transportation, staircase) at several sizes and solves each
# with qmlp, glpsol and clp (primal simplex, no presolve, so that it
# iterates too) in the same run.  Prints per instance the wall times, the
# iteration counts and qmlp's time per iteration, then per family how that
# time per iteration grows from the smallest size to the largest, and the
# geometric means of the time ratios qmlp/glpsol and qmlp/clp.
#
#   bench/run_scaling.sh [BUILD_DIR] [SIZE...]
#
# SIZE is a number of nonzeros (default 10000 100000).  qmlp's time is that
# of the solve alone (the MPS import runs before the clock starts).
# QMLP_OPTIONS adds options to qmlp's LP statement (default none; "algorithm=auto
# lu=1" is what qmlp solve adds).
set -u

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
SIZES=("$@")
[ ${#SIZES[@]} -eq 0 ] && SIZES=(10000 100000)
QMLP="$BUILD/qmlp"
LIMIT="${BENCH_TIMEOUT:-600}"
[ -x "$QMLP" ] || { echo "no qmlp at $QMLP: build first" >&2; exit 1; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
python3 "$ROOT/bench/make_scaling_lps.py" "$WORK" "${SIZES[@]}" || exit 1

now() { date +%s.%N; }
fmt() { if [ "$1" = - ]; then echo -; else printf '%.3f' "$1"; fi; }
elapsed() { echo "$2 - $1" | bc -l; }

# "seconds iterations" for one run, "- -" when it failed.
run_qmlp() {
    local name="$1" dir="$WORK/q_$1"
    mkdir -p "$dir"
    "$QMLP" import-mps "$2" -o "$dir/p.csv" >/dev/null 2>&1 || { echo "- -"; return; }
    printf 'LP data=p sparsedata maxit=100000000 time=100000 %s;\nRUN;\n' "${QMLP_OPTIONS:-}" > "$dir/run.qmlp"
    local t0 t1
    t0=$(now)
    timeout "$LIMIT" "$QMLP" --lib "$dir" --symbols "$dir/sym.txt" "$dir/run.qmlp" >/dev/null 2>&1
    t1=$(now)
    grep -q 'STATUS=SUCCESSFUL' "$dir/sym.txt" 2>/dev/null || { echo "- -"; return; }
    local its
    its=$(grep -o 'PHASE[123]_ITER=[0-9]*' "$dir/sym.txt" | cut -d= -f2 | paste -sd+ | bc)
    echo "$(elapsed "$t0" "$t1") $its"
}

run_glpsol() {
    command -v glpsol >/dev/null 2>&1 || { echo "-"; return; }
    local t0 t1
    t0=$(now)
    # The solution goes to a scratch file: glpsol replaces the file it writes,
    # so "-o /dev/null" would replace the device with a regular file.
    timeout "$LIMIT" glpsol --mps "$1" --simplex -o "$WORK/glpsol.txt" >/dev/null 2>&1 || { echo "-"; return; }
    t1=$(now)
    elapsed "$t0" "$t1"
}

run_clp() {
    command -v clp >/dev/null 2>&1 || { echo "- -"; return; }
    local out="$WORK/clp.txt" t0 t1
    t0=$(now)
    timeout "$LIMIT" clp "$1" -presolve off -primals > "$out" 2>&1 || { echo "- -"; return; }
    t1=$(now)
    local its
    its=$(grep -o 'objective [^ ]* - [0-9]* iterations' "$out" | grep -o '[0-9]* iterations' | cut -d' ' -f1)
    echo "$(elapsed "$t0" "$t1") ${its:--}"
}

RESULTS="$WORK/results.txt"
printf '%-18s %9s %8s %12s %9s %9s %8s\n' instance qmlp iters us/iter glpsol clp clp-its
for family in separable transport staircase; do
    for size in "${SIZES[@]}"; do
        name="$family-$size"
        mps="$WORK/$name.mps"
        read -r tq iq < <(run_qmlp "$name" "$mps")
        tg=$(run_glpsol "$mps")
        read -r tc ic < <(run_clp "$mps")
        per="-"
        [ "$tq" != - ] && [ "$iq" -gt 0 ] && per=$(printf '%.1f' "$(echo "$tq * 1000000 / $iq" | bc -l)")
        printf '%-18s %9s %8s %12s %9s %9s %8s\n' "$name" "$(fmt "$tq")" "$iq" "$per" "$(fmt "$tg")" "$(fmt "$tc")" "$ic"
        echo "$family $size $tq $iq $per $tg $tc" >> "$RESULTS"
    done
done

python3 - "$RESULTS" <<'PY'
import math, sys
rows = [line.split() for line in open(sys.argv[1])]
def num(x):
    try:
        return float(x)
    except ValueError:
        return None
print()
for family in ("separable", "transport", "staircase"):
    mine = [r for r in rows if r[0] == family and num(r[4])]
    if len(mine) >= 2:
        first, last = mine[0], mine[-1]
        print(f"{family}: time per iteration {first[4]} us at {first[1]} nonzeros, {last[4]} us at {last[1]}"
              f" ({num(last[4]) / num(first[4]):.2f}x)")
def gmean(pairs):
    v = [a / b for a, b in pairs if a and b]
    return math.exp(sum(math.log(x) for x in v) / len(v)) if v else float("nan")
glp = [(num(r[2]), num(r[5])) for r in rows]
clp = [(num(r[2]), num(r[6])) for r in rows]
print(f"geometric mean time ratio: qmlp/glpsol {gmean(glp):.2f}, qmlp/clp {gmean(clp):.2f}")
for family in ("separable", "transport"):
    sub = [(num(r[2]), num(r[6])) for r in rows if r[0] == family]
    print(f"  {family}: qmlp/clp {gmean(sub):.2f}")
PY

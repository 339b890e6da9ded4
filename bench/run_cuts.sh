#!/usr/bin/env bash
# run_cuts.sh -- the shared MIPLIB 3 instances solved by qmlp without and
# with cutting planes at the root, alternately in the same run.  Per
# instance: the root bound before and after the cuts, the share of the gap
# to the known optimum the cuts close, and for both searches the status,
# the integer iterations (nodes) and the wall time; at the end the
# geometric means of the node and time ratios (with cuts / without) over
# the instances both solve to the known optimum.
#
#   bench/run_cuts.sh [BUILD_DIR] [INSTANCE...]
#
# Environment:
#   BENCH_TIMEOUT   seconds per search (default 300)
#   CUT_OPTIONS     the options of the run with cuts (default cutpasses=20)
#   QMLP_OPTIONS    options of both runs (default none)
set -u

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
SHARED="${QMLP_SHARED_DIR:-$ROOT/../shared}"
DIR="$SHARED/bench/miplib3"
QMLP="$BUILD/qmlp"
LIMIT="${BENCH_TIMEOUT:-300}"
CUTS="${CUT_OPTIONS:-cutpasses=20}"
OPTIONS="${QMLP_OPTIONS:-}"
INSTANCES=("$@")
[ ${#INSTANCES[@]} -eq 0 ] && INSTANCES=(bell5 dcmulti egout enigma flugpl gt2 khb05250 lseu misc03 mod008 p0033
    p0201 p0282 p0548 pk1 rgn stein27 vpm1 vpm2)

[ -x "$QMLP" ] || { echo "no qmlp at $QMLP: build first (make build)" >&2; exit 1; }
[ -d "$DIR" ] || { echo "no folder $DIR" >&2; exit 1; }
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

now() { date +%s.%N; }

# Prints "status nodes seconds best" and leaves the log in $WORK/$1.log.
run() {
    local log="$WORK/$1.log" t0 t1 line
    t0=$(now)
    # shellcheck disable=SC2086
    timeout "$LIMIT" "$QMLP" solve "$2" printlevel=-2 $OPTIONS $3 >/dev/null 2>"$log"
    t1=$(now)
    line=$(grep '^_QMLP_:' "$log" | tail -1)
    local status nodes best
    status=$(echo "$line" | grep -o 'STATUS=[^ ]*' | cut -d= -f2)
    nodes=$(echo "$line" | grep -o 'INT_ITER=[^ ]*' | cut -d= -f2)
    best=$(echo "$line" | grep -o 'INT_BEST=[^ ]*' | cut -d= -f2)
    echo "${status:-TIMEOUT} ${nodes:--} $(echo "$t1 - $t0" | bc -l) ${best:--}"
}

echo "cuts: $CUTS; other options: ${OPTIONS:-(none)}; limit ${LIMIT}s per search"
printf '%-9s %14s %14s %14s %7s | %-13s %8s %8s | %-13s %8s %8s\n' instance optimum root_before root_after \
    closed plain nodes secs cuts nodes secs
ROWS="$WORK/rows.txt"
: >"$ROWS"
for name in "${INSTANCES[@]}"; do
    gz="$DIR/$name.mps.gz"
    [ -f "$gz" ] || { echo "no instance $gz" >&2; continue; }
    known=$(awk -v i="$name" '$1 == i { print $2 }' "$DIR/optimal.tsv")
    read -r sp np tp bp < <(run "plain_$name" "$gz" "")
    read -r sc nc tc bc < <(run "cuts_$name" "$gz" "$CUTS")
    bounds=$(tr '\n' ' ' <"$WORK/cuts_$name.log" | sed 's/  */ /g' |
        sed -n 's/.*bound \([-0-9.eE+]*\) before the cuts, \([-0-9.eE+]*\) after.*/\1 \2/p')
    read -r before after <<<"${bounds:-- -}"
    closed=$(python3 -c "
k, b, a = float('$known'), float('$before'), float('$after')
print(f'{100 * (a - b) / (k - b):.1f}%' if k != b else '-')" 2>/dev/null || echo -)
    printf '%-9s %14s %14s %14s %7s | %-13s %8s %8.2f | %-13s %8s %8.2f\n' "$name" "$known" "$before" "$after" \
        "$closed" "$sp" "$np" "$tp" "$sc" "$nc" "$tc"
    echo "$name $known $sp $np $tp $bp $sc $nc $tc $bc" >>"$ROWS"
done
python3 - "$ROWS" <<'PY'
import math, sys
rows = [line.split() for line in open(sys.argv[1])]
def ok(status, best, known):
    try:
        return status == "SUCCESSFUL" and abs(float(best) - float(known)) <= 1e-6 * max(1.0, abs(float(known)))
    except ValueError:
        return False
def gmean(v):
    return math.exp(sum(math.log(x) for x in v) / len(v)) if v else float("nan")
plain = sum(ok(r[2], r[5], r[1]) for r in rows)
cuts = sum(ok(r[6], r[9], r[1]) for r in rows)
print(f"solved to the known optimum: {plain} of {len(rows)} without cuts, {cuts} with")
both = [r for r in rows if ok(r[2], r[5], r[1]) and ok(r[6], r[9], r[1])]
if both:
    nodes = [max(float(r[7]), 1) / max(float(r[3]), 1) for r in both]
    times = [float(r[8]) / float(r[4]) for r in both if float(r[4]) > 0]
    print(f"over {len(both)} solved both ways: geometric mean node ratio {gmean(nodes):.2f}, "
          f"time ratio {gmean(times):.2f} (with cuts / without)")
PY

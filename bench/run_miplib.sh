#!/usr/bin/env bash
# run_miplib.sh -- solves the shared MIPLIB 3 instances with qmlp's branch
# and bound and with two reference solvers in the same run: glpsol (its
# default branch and bound, with its MIP presolver and no cuts) and cbc
# (with its cuts and heuristics).  Per instance it prints each solver's
# status, node count and wall time, qmlp's objective and whether it agrees
# with the known optimum (1e-6 relative), and the time ratios; at the end the
# geometric means of the time ratios and node ratios over the instances that
# qmlp and the peer both solved.
#
#   bench/run_miplib.sh [BUILD_DIR] [INSTANCE...]
#
# BUILD_DIR defaults to build.  INSTANCE defaults to every instance of
# ../shared/bench/miplib3 that glpsol solves within the limit.  Environment:
#   BENCH_TIMEOUT   seconds per solver and instance (default 300)
#   QMLP_OPTIONS    extra options of the LP statement (default none)
#   BENCH_PEERS     which peers to run: "glpsol cbc" (default), "glpsol", ""
# Runs one solver at a time, so the machine's other work disturbs it least;
# use `nice` around it on a shared machine.
set -u

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
SHARED="${QMLP_SHARED_DIR:-$ROOT/../shared}"
DIR="$SHARED/bench/miplib3"
QMLP="$BUILD/qmlp"
LIMIT="${BENCH_TIMEOUT:-300}"
OPTIONS="${QMLP_OPTIONS:-}"
PEERS="${BENCH_PEERS-glpsol cbc}"
INSTANCES=("$@")
[ ${#INSTANCES[@]} -eq 0 ] && INSTANCES=(bell5 dcmulti egout enigma flugpl khb05250 lseu misc03 mod008 p0033 p0201
    p0282 p0548 rgn stein27)

[ -x "$QMLP" ] || { echo "no qmlp at $QMLP: build first (make build)" >&2; exit 1; }
[ -d "$DIR" ] || { echo "no folder $DIR" >&2; exit 1; }
has() { case " $PEERS " in *" $1 "*) command -v "$1" >/dev/null 2>&1 ;; *) return 1 ;; esac; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }

# Each runner prints "status nodes seconds objective" ("-" for what it cannot say).
run_qmlp() {
    local log="$WORK/q_$1.log" t0 t1
    t0=$(now)
    # shellcheck disable=SC2086
    timeout "$LIMIT" "$QMLP" solve "$2" printlevel=-2 $OPTIONS >/dev/null 2>"$log"
    t1=$(now)
    local line status nodes obj
    line=$(grep '^_QMLP_:' "$log" | tail -1)
    status=$(echo "$line" | grep -o 'STATUS=[^ ]*' | cut -d= -f2)
    nodes=$(echo "$line" | grep -o 'INT_ITER=[^ ]*' | cut -d= -f2)
    obj=$(echo "$line" | grep -o 'INT_BEST=[^ ]*' | cut -d= -f2)
    echo "${status:-TIMEOUT} ${nodes:--} $(elapsed "$t0" "$t1") ${obj:--}"
}

run_glpsol() {
    has glpsol || { echo "- - - -"; return; }
    local out="$WORK/g_$1.log" t0 t1
    t0=$(now)
    timeout "$LIMIT" glpsol --mps "$2" --min >"$out" 2>&1
    t1=$(now)
    local status="TIMEOUT" nodes obj
    grep -q 'INTEGER OPTIMAL SOLUTION FOUND' "$out" && status=OPTIMAL
    nodes=$(grep '^+' "$out" | tail -1 | sed -n 's/.*(\([0-9]*\); *\([0-9]*\)).*/\2/p')
    obj=$(grep '^+' "$out" | tail -1 | awk '{print $4}')
    echo "$status ${nodes:--} $(elapsed "$t0" "$t1") ${obj:--}"
}

run_cbc() {
    has cbc || { echo "- - - -"; return; }
    local out="$WORK/c_$1.log" t0 t1
    t0=$(now)
    timeout "$LIMIT" cbc "$2" -solve -quit >"$out" 2>&1
    t1=$(now)
    local status="TIMEOUT" nodes obj
    grep -q 'Result - Optimal solution found' "$out" && status=OPTIMAL
    nodes=$(grep -m1 '^Enumerated nodes:' "$out" | awk '{print $3}')
    obj=$(grep -m1 '^Objective value:' "$out" | awk '{print $3}')
    echo "$status ${nodes:--} $(elapsed "$t0" "$t1") ${obj:--}"
}

agree() {
    python3 - "$1" "$2" <<'PY'
import sys
try:
    a, b = float(sys.argv[1]), float(sys.argv[2])
    print("yes" if abs(a - b) <= 1e-6 * max(1.0, abs(b)) else "NO")
except ValueError:
    print("-")
PY
}

echo "qmlp options: ${OPTIONS:-(defaults)}; limit ${LIMIT}s per solver and instance"
printf '%-9s %-14s %-18s %-4s | %9s %9s %9s | %8s %8s %8s | %7s %7s\n' \
    instance qmlp objective opt nodes glpnodes cbcnodes qmlp_s glp_s cbc_s q/glp q/cbc
ROWS="$WORK/rows.txt"
: >"$ROWS"
for name in "${INSTANCES[@]}"; do
    gz="$DIR/$name.mps.gz"
    [ -f "$gz" ] || { echo "no instance $gz" >&2; continue; }
    mps="$WORK/$name.mps"
    gunzip -c "$gz" >"$mps"
    read -r sq nq tq oq < <(run_qmlp "$name" "$gz")
    read -r sg ng tg og < <(run_glpsol "$name" "$mps")
    read -r sc nc tc oc < <(run_cbc "$name" "$mps")
    known=$(awk -v i="$name" '$1 == i { print $2 }' "$DIR/optimal.tsv")
    ok=$(agree "$oq" "${known:--}")
    [ "$sq" = SUCCESSFUL ] || ok="-"
    rg=$(python3 -c "print(f'{$tq/$tg:.2f}')" 2>/dev/null || echo -)
    rc=$(python3 -c "print(f'{$tq/$tc:.2f}')" 2>/dev/null || echo -)
    printf '%-9s %-14s %-18s %-4s | %9s %9s %9s | %8.2f %8s %8s | %7s %7s\n' "$name" "$sq" "$oq" "$ok" "$nq" "$ng" "$nc" \
        "$tq" "$( [ "$tg" = - ] && echo - || printf '%.2f' "$tg")" "$( [ "$tc" = - ] && echo - || printf '%.2f' "$tc")" "$rg" "$rc"
    echo "$name $sq $ok $nq $tq $sg $ng $tg $sc $nc $tc" >>"$ROWS"
    rm -f "$mps"
done
python3 - "$ROWS" <<'PY'
import math, sys
rows = [line.split() for line in open(sys.argv[1])]
def gmean(v):
    v = [x for x in v if x > 0]
    return math.exp(sum(math.log(x) for x in v) / len(v)) if v else float("nan")
solved = [r for r in rows if r[1] == "SUCCESSFUL" and r[2] == "yes"]
print(f"qmlp solved {len(solved)} of {len(rows)} to the known optimum")
for label, s, n, t in (("glpsol", 5, 6, 7), ("cbc", 8, 9, 10)):
    both = [r for r in solved if r[s] == "OPTIMAL"]
    if not both:
        continue
    times = [float(r[4]) / float(r[t]) for r in both if float(r[t]) > 0]
    nodes = [max(float(r[3]), 1) / max(float(r[n]), 1) for r in both if r[n] != "-" and r[3] != "-"]
    print(f"over {len(both)} solved by both: geometric mean time ratio qmlp/{label} {gmean(times):.2f}, "
          f"node ratio qmlp/{label} {gmean(nodes):.2f}")
PY

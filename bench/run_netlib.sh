#!/usr/bin/env bash
# run_netlib.sh -- solves every shared Netlib instance with qmlp and with two
# reference solvers in the same run, and prints per instance the wall times
# and whether the objectives agree, then per folder the geometric means of
# the time ratios qmlp/glpsol and qmlp/clp.
#
#   bench/run_netlib.sh [BUILD_DIR] [FOLDER...]
#
# BUILD_DIR defaults to build (where `make bench` builds); FOLDER defaults to
# netlib, netlib-large and netlib-hard under ../shared/bench.  The reference solvers come
# from Debian packages (glpk-utils, coinor-clp; clp runs its dual simplex,
# -dualsimplex) and are installed when
# missing.  Objectives agree when their relative difference is below 1e-6.
# QMLP_OPTIONS adds options to qmlp's LP statement (default none).
set -u

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
FOLDERS=("$@")
[ ${#FOLDERS[@]} -eq 0 ] && FOLDERS=(netlib netlib-large netlib-hard)
SHARED="${QMLP_SHARED_DIR:-$ROOT/../shared}"
QMLP="$BUILD/qmlp"
LIMIT="${BENCH_TIMEOUT:-600}"
OPTIONS="${QMLP_OPTIONS:-}"

install_if_missing() {
    local tool="$1" package="$2"
    command -v "$tool" >/dev/null 2>&1 && return 0
    echo "installing $package ..." >&2
    if [ "$(id -u)" -eq 0 ]; then
        (apt-get install -y "$package" >/dev/null 2>&1 || { apt-get update >/dev/null 2>&1 && apt-get install -y "$package" >/dev/null 2>&1; }) || true
    else
        (sudo apt-get install -y "$package" >/dev/null 2>&1) || true
    fi
    command -v "$tool" >/dev/null 2>&1
}

install_if_missing glpsol glpk-utils || echo "glpsol unavailable: its columns stay empty" >&2
install_if_missing clp coinor-clp || echo "clp unavailable: its columns stay empty" >&2
[ -x "$QMLP" ] || { echo "no qmlp at $QMLP: build first (make bench)" >&2; exit 1; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

now() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }

# Prints "seconds objective" for one solver run, "- -" when it failed.
run_qmlp() {
    local name="$1" dir="$WORK/q_$1"
    mkdir -p "$dir"
    local member="p_${name//[^A-Za-z0-9]/_}"
    "$QMLP" import-mps "$2" -o "$dir/$member.csv" >/dev/null 2>&1 || { echo "- -"; return; }
    printf 'LP data=%s sparsedata maxit=100000000 time=100000 %s;\nRUN;\n' "$member" "$OPTIONS" > "$dir/run.qmlp"
    local t0 t1
    t0=$(now)
    timeout "$LIMIT" "$QMLP" --lib "$dir" --symbols "$dir/sym.txt" "$dir/run.qmlp" >/dev/null 2>&1
    t1=$(now)
    local status obj
    status=$(grep -o 'STATUS=[^ ]*' "$dir/sym.txt" 2>/dev/null | head -1 | cut -d= -f2)
    obj=$(grep -o 'OBJECTIVE=[^ ]*' "$dir/sym.txt" 2>/dev/null | head -1 | cut -d= -f2)
    [ "$status" = "SUCCESSFUL" ] || obj="-"
    echo "$(elapsed "$t0" "$t1") ${obj:--}"
}

run_glpsol() {
    command -v glpsol >/dev/null 2>&1 || { echo "- -"; return; }
    local out="$WORK/glp_$1.txt" t0 t1
    t0=$(now)
    timeout "$LIMIT" glpsol --mps "$2" --simplex -o "$out" >/dev/null 2>&1
    t1=$(now)
    local obj
    obj=$(grep -m1 '^Objective:' "$out" 2>/dev/null | sed 's/.*= *\([^ ]*\).*/\1/')
    echo "$(elapsed "$t0" "$t1") ${obj:--}"
}

run_clp() {
    command -v clp >/dev/null 2>&1 || { echo "- -"; return; }
    local out="$WORK/clp_$1.txt" t0 t1
    t0=$(now)
    timeout "$LIMIT" clp "$2" -dualsimplex > "$out" 2>&1
    t1=$(now)
    local obj
    obj=$(grep -m1 -i 'objective' "$out" | grep -i 'optimal' | grep -o -- '-\?[0-9][0-9.eE+-]*' | tail -1)
    echo "$(elapsed "$t0" "$t1") ${obj:--}"
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

for folder in "${FOLDERS[@]}"; do
    dir="$SHARED/bench/$folder"
    [ -d "$dir" ] || { echo "no folder $dir" >&2; continue; }
    echo
    echo "== $folder"
    printf '%-10s %9s %9s %9s  %-22s %-4s %-4s %-4s\n' instance qmlp glpsol clp objective known glp clp
    ratios_glp=()
    ratios_clp=()
    for mps_gz in "$dir"/*.mps.gz; do
        name="$(basename "$mps_gz" .mps.gz)"
        mps="$WORK/$name.mps"
        gunzip -c "$mps_gz" > "$mps"
        read -r tq oq < <(run_qmlp "$name" "$mps_gz")
        read -r tg og < <(run_glpsol "$name" "$mps")
        read -r tc oc < <(run_clp "$name" "$mps")
        known=$(awk -v i="$name" '$1 == i { print $2 }' "$dir/optimal.tsv" 2>/dev/null)
        printf '%-10s %9.3f %9s %9s  %-22s %-4s %-4s %-4s\n' "$name" "$tq" \
            "$( [ "$tg" = - ] && echo - || printf '%.3f' "$tg")" \
            "$( [ "$tc" = - ] && echo - || printf '%.3f' "$tc")" \
            "$oq" "$(agree "$oq" "${known:--}")" "$(agree "$oq" "$og")" "$(agree "$oq" "$oc")"
        [ "$tg" != - ] && ratios_glp+=("$(echo "$tq / $tg" | bc -l)")
        [ "$tc" != - ] && ratios_clp+=("$(echo "$tq / $tc" | bc -l)")
        rm -f "$mps"
    done
    python3 - "${#ratios_glp[@]}" "${ratios_glp[@]}" "${ratios_clp[@]}" "$folder" <<'PY'
import math, sys
k = int(sys.argv[1])
rest = sys.argv[2:-1]
glp, clp = [float(x) for x in rest[:k]], [float(x) for x in rest[k:]]
def gmean(v):
    v = [x for x in v if x > 0]
    return math.exp(sum(math.log(x) for x in v) / len(v)) if v else float("nan")
print(f"geometric mean time ratio on {sys.argv[-1]}: qmlp/glpsol {gmean(glp):.2f}, qmlp/clp {gmean(clp):.2f}")
PY
done

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
# BENCH_QMLP=solve times `qmlp solve FILE` with its defaults instead of a
# program (QMLP_OPTIONS then go on its command line), import included.
# BENCH_CLOCK=cpu (the default) times the user and system CPU of each
# process, which a machine shared with other work disturbs far less than
# the wall clock; BENCH_CLOCK=wall times the wall clock.
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
MODE="${BENCH_QMLP:-program}"
CLOCK="${BENCH_CLOCK:-cpu}"

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

# timed OUT ERR COMMAND...: runs the command under the limit, its standard
# output to OUT and error to ERR, and prints its time in seconds (CPU or
# wall clock, as BENCH_CLOCK says).
timed() {
    local out="$1" err="$2" times="$WORK/times.$$"
    shift 2
    /usr/bin/time -f '%e %U %S' -o "$times" timeout "$LIMIT" "$@" >"$out" 2>"$err"
    local wall user sys
    read -r wall user sys < <(tail -1 "$times")
    if [ "$CLOCK" = wall ]; then echo "$wall"; else echo "$user + $sys" | bc -l; fi
}

# Prints "seconds objective" for one solver run, "- -" when it failed.
run_qmlp() {
    local name="$1" dir="$WORK/q_$1"
    mkdir -p "$dir"
    local t status obj
    if [ "$MODE" = solve ]; then
        # shellcheck disable=SC2086
        t=$(timed /dev/null "$dir/log.txt" "$QMLP" solve "$2" $OPTIONS)
        status=$(grep '^_QMLP_:' "$dir/log.txt" | grep -o 'STATUS=[^ ]*' | head -1 | cut -d= -f2)
        obj=$(grep '^_QMLP_:' "$dir/log.txt" | grep -o 'OBJECTIVE=[^ ]*' | head -1 | cut -d= -f2)
    else
        local member="p_${name//[^A-Za-z0-9]/_}"
        "$QMLP" import-mps "$2" -o "$dir/$member.csv" >/dev/null 2>&1 || { echo "- -"; return; }
        printf 'LP data=%s sparsedata maxit=100000000 time=100000 %s;\nRUN;\n' "$member" "$OPTIONS" > "$dir/run.qmlp"
        t=$(timed /dev/null /dev/null "$QMLP" --lib "$dir" --symbols "$dir/sym.txt" "$dir/run.qmlp")
        status=$(grep -o 'STATUS=[^ ]*' "$dir/sym.txt" 2>/dev/null | head -1 | cut -d= -f2)
        obj=$(grep -o 'OBJECTIVE=[^ ]*' "$dir/sym.txt" 2>/dev/null | head -1 | cut -d= -f2)
    fi
    [ "$status" = "SUCCESSFUL" ] || obj="-"
    echo "$t ${obj:--}"
}

run_glpsol() {
    command -v glpsol >/dev/null 2>&1 || { echo "- -"; return; }
    local out="$WORK/glp_$1.txt" t
    t=$(timed /dev/null /dev/null glpsol --mps "$2" --simplex -o "$out")
    local obj
    obj=$(grep -m1 '^Objective:' "$out" 2>/dev/null | sed 's/.*= *\([^ ]*\).*/\1/')
    echo "$t ${obj:--}"
}

run_clp() {
    command -v clp >/dev/null 2>&1 || { echo "- -"; return; }
    local out="$WORK/clp_$1.txt" t
    t=$(timed "$out" /dev/null clp "$2" -dualsimplex)
    local obj
    obj=$(grep -m1 -i 'objective' "$out" | grep -i 'optimal' | grep -o -- '-\?[0-9][0-9.eE+-]*' | tail -1)
    echo "$t ${obj:--}"
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
    python3 - "${#ratios_glp[@]}" "${ratios_glp[@]}" "${ratios_clp[@]}" "$CLOCK" "$folder" <<'PY'
import math, sys
k = int(sys.argv[1])
rest = sys.argv[2:-2]
glp, clp = [float(x) for x in rest[:k]], [float(x) for x in rest[k:]]
def gmean(v):
    v = [x for x in v if x > 0]
    return math.exp(sum(math.log(x) for x in v) / len(v)) if v else float("nan")
print(f"geometric mean {sys.argv[-2]} time ratio on {sys.argv[-1]}: qmlp/glpsol {gmean(glp):.2f}, qmlp/clp {gmean(clp):.2f}")
PY
done

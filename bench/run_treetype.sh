#!/usr/bin/env bash
# run_treetype.sh -- the node store under TREETYPE 0 to 3 on the shared
# MIPLIB 3 instances: node records saved, bytes per record, time per
# integer iteration, and whether the search (integer iterations, optimum) is
# the same as with raw records.  All four runs of an instance are made one
# after the other in the same run, so their times compare.
#
#   bench/run_treetype.sh [BUILD_DIR] [INSTANCE...]
#
# BUILD_DIR defaults to build; INSTANCE defaults to every instance of
# ../shared/bench/miplib3 (give names without .mps.gz).  BENCH_TIMEOUT
# (seconds, default 120) bounds each run; a run that does not finish is
# shown as "-".
set -u

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
SHARED="${QMLP_SHARED_DIR:-$ROOT/../shared}/bench/miplib3"
LIMIT="${BENCH_TIMEOUT:-120}"
QMLP="$BUILD/qmlp"
[ -x "$QMLP" ] || { echo "run_treetype: no $QMLP (build first)" >&2; exit 1; }

INSTANCES=("$@")
if [ ${#INSTANCES[@]} -eq 0 ]; then
    for f in "$SHARED"/*.mps.gz; do INSTANCES+=("$(basename "$f" .mps.gz)"); done
fi

field() { sed -n "s/.*[ :]$1=\([^ ]*\).*/\1/p" "$2" | tail -1; }

printf '%-10s %4s %9s %10s %8s %12s %s\n' instance tree records bytes/rec ratio "ms/int-iter" search
for name in "${INSTANCES[@]}"; do
    mps="$SHARED/$name.mps.gz"
    [ -f "$mps" ] || { echo "run_treetype: no $mps" >&2; continue; }
    raw_bytes=""
    raw_search=""
    for tree in 0 1 2 3; do
        log=$(mktemp)
        start=$(date +%s.%N)
        timeout "$LIMIT" "$QMLP" solve "$mps" noprint treetype=$tree >/dev/null 2>"$log"
        end=$(date +%s.%N)
        records=$(sed -n 's/.*saved \([0-9]*\) node records in \([0-9]*\) bytes.*/\1/p' "$log" | tail -1)
        bytes=$(sed -n 's/.*saved \([0-9]*\) node records in \([0-9]*\) bytes.*/\2/p' "$log" | tail -1)
        iters=$(field INT_ITER "$log")
        search="$iters/$(field OBJECTIVE "$log")"
        rm -f "$log"
        if [ -z "$records" ] || [ -z "$iters" ]; then
            printf '%-10s %4s %9s %10s %8s %12s %s\n' "$name" "$tree" - - - - "did not finish"
            continue
        fi
        [ "$tree" = 0 ] && { raw_bytes="$bytes"; raw_search="$search"; }
        same="same"
        [ "$search" = "$raw_search" ] || same="DIFFERENT ($search vs $raw_search)"
        awk -v n="$name" -v t="$tree" -v r="$records" -v b="$bytes" -v rb="$raw_bytes" -v s="$start" -v e="$end" \
            -v i="$iters" -v same="$same" 'BEGIN {
                per = r > 0 ? b / r : 0; ratio = rb > 0 ? b / rb : 0; ms = i > 0 ? 1000 * (e - s) / i : 0;
                printf "%-10s %4s %9d %10.1f %8.3f %12.3f %s\n", n, t, r, per, ratio, ms, same }'
    done
done

#!/usr/bin/env bash
# run_analysis.sh -- what RANGEPRICE and RANGERHS cost: every instance of a
# shared folder is solved twice in the same run, plainly and with both range
# analyses, and the script prints per instance the two wall times (the best
# of REPEAT runs each) and their ratio, then the geometric mean of the ratios.
#
#   bench/run_analysis.sh [BUILD_DIR] [FOLDER...]
#
# BUILD_DIR defaults to build; FOLDER defaults to netlib-large under
# ../shared/bench.  Both runs print their tables to a file, so the ratio
# includes writing the range tables.
set -u

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
FOLDERS=("$@")
[ ${#FOLDERS[@]} -eq 0 ] && FOLDERS=(netlib-large)
SHARED="${QMLP_SHARED_DIR:-$ROOT/../shared}"
QMLP="$BUILD/qmlp"
REPEAT="${REPEAT:-3}"
[ -x "$QMLP" ] || { echo "no qmlp at $QMLP: build first" >&2; exit 1; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# The best wall time in seconds of REPEAT runs of qmlp solve with the options.
best_time() {
    local file="$1" best="" t
    shift
    for _ in $(seq "$REPEAT"); do
        local start end
        start=$(date +%s.%N)
        "$QMLP" solve "$file" "$@" >"$WORK/listing" 2>"$WORK/log" || return 1
        end=$(date +%s.%N)
        t=$(echo "$end - $start" | bc -l)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" -eq 1 ]; then best=$t; fi
    done
    printf '%.3f' "$best"
}

printf '%-12s %10s %10s %8s\n' instance solve ranges ratio
for folder in "${FOLDERS[@]}"; do
    log_sum=0
    count=0
    for file in "$SHARED/bench/$folder"/*.mps.gz; do
        [ -e "$file" ] || continue
        name=$(basename "$file" .mps.gz)
        plain=$(best_time "$file") || { printf '%-12s solve failed\n' "$name"; continue; }
        ranged=$(best_time "$file" rangeprice rangerhs) || { printf '%-12s ranges failed\n' "$name"; continue; }
        ratio=$(echo "$ranged / $plain" | bc -l)
        printf '%-12s %10s %10s %8.2f\n' "$name" "$plain" "$ranged" "$ratio"
        log_sum=$(echo "$log_sum + l($ratio)" | bc -l)
        count=$((count + 1))
    done
    [ "$count" -gt 0 ] && printf '%s: geometric mean of (solve + ranges) / solve over %d instances: %.2f\n' \
        "$folder" "$count" "$(echo "e($log_sum / $count)" | bc -l)"
done

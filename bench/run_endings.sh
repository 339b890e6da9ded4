#!/usr/bin/env bash
# run_endings.sh -- what the checks of an ending cost: every instance of a
# shared folder is solved by two builds in the same run (say main before a
# change of the ending checks, and the branch after it), alternately, and
# the script prints per instance the CPU time (user + system, the best of
# REPEAT runs) of each, their ratio, and each build's status and objective;
# then the geometric mean of the ratios.  CPU time rather than wall time:
# the machine is shared, and the solves are single-threaded.
#
#   bench/run_endings.sh BEFORE_BUILD AFTER_BUILD [FOLDER...]
#
# FOLDER defaults to netlib-large under ../shared/bench.
set -u

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BEFORE="${1:?BEFORE_BUILD}"
AFTER="${2:?AFTER_BUILD}"
shift 2
FOLDERS=("$@")
[ ${#FOLDERS[@]} -eq 0 ] && FOLDERS=(netlib-large)
SHARED="${QMLP_SHARED_DIR:-$ROOT/../shared}"
REPEAT="${REPEAT:-3}"
for b in "$BEFORE" "$AFTER"; do
    [ -x "$b/qmlp" ] || { echo "no qmlp at $b/qmlp: build first" >&2; exit 1; }
done

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# CPU seconds of one run; the status line of its log goes to $WORK/status.
cpu_time() {
    local qmlp="$1" file="$2"
    /usr/bin/time -f '%U %S' -o "$WORK/time" "$qmlp" solve "$file" >"$WORK/listing" 2>"$WORK/log" || return 1
    grep -o 'STATUS=[A-Z_]* PHASE=[0-9] OBJECTIVE=[^ ]*' "$WORK/log" | tail -1 | sed 's/ PHASE=[0-9]//' >"$WORK/status"
    awk '{ printf "%.3f", $1 + $2 }' "$WORK/time"
}

printf '%-10s %9s %9s %7s  %s\n' instance before after ratio 'status before | after'
for folder in "${FOLDERS[@]}"; do
    log_sum=0
    count=0
    for file in "$SHARED/bench/$folder"/*.mps.gz; do
        [ -e "$file" ] || continue
        name=$(basename "$file" .mps.gz)
        best_before="" best_after=""
        for _ in $(seq "$REPEAT"); do
            t=$(cpu_time "$BEFORE/qmlp" "$file") || { t=""; break; }
            status_before=$(cat "$WORK/status")
            [ -z "$best_before" ] || [ "$(echo "$t < $best_before" | bc -l)" -eq 1 ] && best_before=$t
            t=$(cpu_time "$AFTER/qmlp" "$file") || { t=""; break; }
            status_after=$(cat "$WORK/status")
            [ -z "$best_after" ] || [ "$(echo "$t < $best_after" | bc -l)" -eq 1 ] && best_after=$t
        done
        if [ -z "$best_before" ] || [ -z "$best_after" ]; then
            printf '%-10s a run failed\n' "$name"
            continue
        fi
        ratio=$(echo "$best_after / $best_before" | bc -l)
        printf '%-10s %9s %9s %7.3f  %s | %s\n' "$name" "$best_before" "$best_after" "$ratio" "$status_before" \
            "$status_after"
        log_sum=$(echo "$log_sum + l($ratio)" | bc -l)
        count=$((count + 1))
    done
    [ "$count" -gt 0 ] && printf '%s: geometric mean of after / before over %d instances: %.3f\n' \
        "$folder" "$count" "$(echo "e($log_sum / $count)" | bc -l)"
done

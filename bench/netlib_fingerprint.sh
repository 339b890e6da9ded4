#!/usr/bin/env bash
# netlib_fingerprint.sh -- solves every shared Netlib instance under several
# option sets and prints one line per run: instance, options, and the status
# macro variable (status, objective in full precision, iteration counts of
# each phase) plus a checksum of the listing (without the time used).  Two builds that print the same
# lines took the same pivots; diff the outputs of a change against its base.
#
#   bench/netlib_fingerprint.sh [BUILD_DIR] [FOLDER...] > fingerprint.txt
#
# FOLDER defaults to netlib and netlib-large under ../shared/bench.  Set
# FP_JOBS to run that many instances at once (default: the number of cores).
set -u
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
FOLDERS=("$@")
[ ${#FOLDERS[@]} -eq 0 ] && FOLDERS=(netlib netlib-large)
SHARED="${QMLP_SHARED_DIR:-$ROOT/../shared}/bench"
QMLP="$(cd "$BUILD" && pwd)/qmlp"
JOBS="${FP_JOBS:-$(nproc)}"
[ -x "$QMLP" ] || { echo "no qmlp at $QMLP" >&2; exit 1; }

OPTION_SETS=(
  ""
  "lu=1"
  "pricetype=complete nodevex"
  "nosparsepricing"
  "preprocess"
  "scale=none"
  "scaletype=equilibrium"
)

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

one_instance() {
  local file="$1" name dir
  name="$(basename "$file" .mps.gz)"
  dir="$WORK/$name"
  mkdir -p "$dir"
  "$QMLP" import-mps "$file" -o "$dir/p.csv" >/dev/null 2>&1 || { echo "$name import-failed"; return; }
  local opts i=0
  for opts in "${OPTION_SETS[@]}"; do
    printf 'LP data=p sparsedata maxit=100000000 time=100000 %s;\nRUN;\n' "$opts" > "$dir/run$i.qmlp"
    "$QMLP" --lib "$dir" --symbols "$dir/sym$i.txt" --listing "$dir/lst$i.txt" "$dir/run$i.qmlp" >/dev/null 2>&1
    local rc=$?
    local status sum
    status="$(grep '^_QMLP_=' "$dir/sym$i.txt" 2>/dev/null | head -1)"
    # The time used depends on the machine's load: it is left out.
    sum="$(grep -v 'Time Used' "$dir/lst$i.txt" 2>/dev/null | md5sum | cut -c1-12)"
    echo "$name [${opts:-default}] rc=$rc $status listing=$sum"
    i=$((i + 1))
  done
}
if [ "${FP_ONE:-}" != "" ]; then
  one_instance "$FP_ONE"
  exit 0
fi

for folder in "${FOLDERS[@]}"; do
  ls "$SHARED/$folder"/*.mps.gz
done | xargs -P "$JOBS" -I{} env FP_ONE={} "$0" "$BUILD" | sort

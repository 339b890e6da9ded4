#!/usr/bin/env bash
# run_input_scaling.sh -- how the time to read and set up a problem grows
# with its input.  Three families, each at a base size and at ten times it:
#
#   wide   a dense data set of two rows and N columns (the header's names)
#   rows   a dense data set of N less-or-equal rows over three columns
#   long   a sparse data set of N observations whose character variables
#          are declared $32767 long (blank padding on every value)
#
# Each run is timed as user plus system CPU time of the whole qmlp command,
# the best of REPEAT runs (default 3), and the family's line prints the
# ratio of the larger to the smaller time: linear growth gives about 10,
# and the target is at most 12.
#
#   bench/run_input_scaling.sh [BUILD_DIR] [BASE_WIDE BASE_ROWS BASE_LONG]
#
# The defaults are 10000 columns, 10000 rows and 2000 observations.
set -u

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
WIDE="${2:-10000}"
ROWS="${3:-10000}"
LONG="${4:-2000}"
REPEAT="${REPEAT:-3}"
QMLP="$BUILD/qmlp"
[ -x "$QMLP" ] || { echo "no qmlp at $QMLP: build first" >&2; exit 1; }

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

python3 - "$WORK" "$WIDE" "$ROWS" "$LONG" <<'EOF'
import sys
work, wide, rows, long_ = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])

def write_wide(n, path):
    with open(path, "w") as f:
        f.write("_ID_,_TYPE_," + ",".join(f"x{j}" for j in range(n)) + ",_RHS_\n")
        f.write("obj,MAX," + ",".join(str(1 + j % 5) for j in range(n)) + ",.\n")
        f.write("cap,LE," + ",".join("1" for _ in range(n)) + ",10\n")

def write_rows(m, path):
    with open(path, "w") as f:
        f.write("_ID_,_TYPE_,a,b,c,_RHS_\nobj,MAX,1,2,3,.\n")
        for i in range(m):
            f.write(f"r{i},LE,{1 + i % 3},{1 + i % 5},{1 + i % 7},{100 + i}\n")

def write_long(k, path):
    with open(path, "w") as f:
        f.write("_TYPE_$32767,_ROW_$32767,_COL_$32767,_COEF_\nMAX,obj,,.\nLE,cap,,.\n")
        for j in range(k // 2):
            f.write(f",obj,x{j},{1 + j % 5}\n,cap,x{j},1\n")
        f.write("RHS,cap,_RHS_,10\n")

for name, writer, base in (("wide", write_wide, wide), ("rows", write_rows, rows), ("long", write_long, long_)):
    writer(base, f"{work}/{name}1.csv")
    writer(10 * base, f"{work}/{name}10.csv")
EOF

# The best user+system CPU seconds of REPEAT runs of one program.
cpu_time() {
    local best=""
    for _ in $(seq "$REPEAT"); do
        local t
        t=$( { /usr/bin/time -f '%U %S' "$QMLP" --lib "$WORK" --listing /dev/null --log /dev/null "$1" >/dev/null; } \
             2>&1 | tail -1 | awk '{print $1 + $2}')
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc -l)" = 1 ]; then best="$t"; fi
    done
    echo "$best"
}

printf '%-6s %12s %12s %8s\n' family "time 1x (s)" "time 10x (s)" ratio
for family in wide rows long; do
    option=""
    [ "$family" = long ] && option=" sparsedata"
    for k in 1 10; do printf 'LP data=%s%s%s;\nRUN;\n' "$family" "$k" "$option" > "$WORK/$family$k.qmlp"; done
    t1=$(cpu_time "$WORK/${family}1.qmlp")
    t10=$(cpu_time "$WORK/${family}10.qmlp")
    ratio=$(echo "if ($t1 > 0) $t10 / $t1 else 0" | bc -l)
    printf '%-6s %12.3f %12.3f %8.1f\n' "$family" "$t1" "$t10" "$ratio"
done

#!/usr/bin/env bash
# Instruction counts of the drag steps, the path building and the making of centre lines, under
# callgrind: stable figures, unlike timings on a shared machine. Each kind of work runs STEPS
# times in bench/drag_session.cpp and only that part is counted (client requests; without the
# valgrind headers, a run of 0 repetitions is subtracted instead).
#
#   scripts/callgrind.sh [BUILD_DIR]     default build/release (configured and built if missing)
#   STEPS=N scripts/callgrind.sh         repetitions per kind (default 1000)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/release}
steps=${STEPS:-1000}
bin=$build/bin/illsxmk_drag_session

command -v valgrind >/dev/null || { echo "callgrind.sh: valgrind is not installed" >&2; exit 1; }
if [ ! -x "$bin" ]; then
    if [ "$build" != build/release ]; then
        echo "callgrind.sh: $bin not found; build the target illsxmk_drag_session" >&2
        exit 1
    fi
    cmake --preset release >/dev/null
    cmake --build --preset release --target illsxmk_drag_session
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if "$bin" --client-requests; then toggled=1; else toggled=0; fi

# Instructions counted in one run: kind, repetitions. Also leaves the allocation line in $tmp/out.
run() {
    local file=$tmp/callgrind.$1.$2 collect=yes
    ((toggled)) && collect=no
    valgrind --tool=callgrind --collect-atstart=$collect --callgrind-out-file="$file" \
        "$bin" "$1" "$2" >"$tmp/out" 2>"$tmp/log" || { cat "$tmp/log" >&2; exit 1; }
    awk '/^(summary|totals):/ { print $2; exit }' "$file"
}

# Instructions per repetition: kind, repetitions.
declare -A per heap pool
measure() {
    local kind=$1 n=$2 total zero=0
    total=$(run "$kind" "$n")
    read -r heapCount poolCount < <(sed -E 's/.*heap_allocs=([0-9]+) pool_allocs=([0-9]+)/\1 \2/' "$tmp/out")
    ((toggled)) || zero=$(run "$kind" 0)
    per[$kind]=$(awk -v t="$total" -v z="$zero" -v n="$n" 'BEGIN { printf "%.0f", (t - z) / n }')
    heap[$kind]=$(awk -v a="$heapCount" -v n="$n" 'BEGIN { printf "%.2f", a / n }')
    pool[$kind]=$(awk -v a="$poolCount" -v n="$n" 'BEGIN { printf "%.2f", a / n }')
    printf '  %-26s %10s %10s %10s\n' "$kind" "${per[$kind]}" "${heap[$kind]}" "${pool[$kind]}"
}

cycles=$(( steps / 10 > 0 ? steps / 10 : 1 ))
echo "Instructions per repetition ($steps repetitions, $cycles for cycles and lines;" \
    "$([ $toggled = 1 ] && echo 'client requests' || echo 'difference to 0 repetitions'))"
printf '  %-26s %10s %10s %10s\n' kind instr heap/rep pool/rep
for kind in build-straight plain-straight build-along-axis plain-along-axis \
    plain-along-axis-inverse; do
    measure "$kind" "$steps"
done
for kind in point extension jog point-straight extension-straight point-move extension-move \
    jog-move; do
    measure "$kind" "$steps"
done
for kind in point-cycle extension-cycle jog-cycle line; do
    measure "$kind" "$cycles"
done

ratio() { awk -v a="${per[$2]}" -v b="${per[$3]}" -v what="$1" -v target="${4:-}" 'BEGIN {
    r = a / b
    printf "  %-50s %6.2f", what, r
    if (target != "") printf "  target <= %s: %s", target, (r <= target ? "holds" : "DOES NOT HOLD")
    printf "\n" }'; }
echo
echo "Ratios of instructions"
ratio "along-axis BuildPoints / plain baseline" build-along-axis plain-along-axis 2
ratio "along-axis BuildPoints / plain, rotation inverted" build-along-axis \
    plain-along-axis-inverse 2
ratio "straight BuildPoints / plain baseline" build-straight plain-straight
ratio "point step / BuildPoints, along axis" point build-along-axis 3
ratio "point step / BuildPoints, straight" point-straight build-straight 3
ratio "extension step / BuildPoints, along axis" extension build-along-axis
ratio "extension step / BuildPoints, straight" extension-straight build-straight
ratio "jog step / BuildPoints, along axis" jog build-along-axis
ratio "point move (framework + step) / step" point-move point

echo
echo "N centre lines with a shadow each, made and then all released: instructions per line"
for n in 100 1000 10000; do
    total=$(run lines "$n")
    awk -v t="$total" -v n="$n" 'BEGIN { printf "  N = %-6d %10.0f\n", n, t / n }'
done

#!/usr/bin/env bash
# Instruction counts of the drag steps, the path building and the making of centre lines, under
# callgrind: stable figures, unlike timings on a shared machine. Each kind of work runs STEPS
# times in bench/drag_session.cpp and only that part is counted (client requests; without the
# valgrind headers, a run of 0 repetitions is subtracted instead).
#
#   scripts/callgrind.sh [BUILD_DIR]     default build/release (configured and built if missing)
#   STEPS=N scripts/callgrind.sh         repetitions per kind (default 1000)
#   scripts/callgrind.sh --check [BUILD_DIR]
#       measures the kinds listed in the budget file (BUDGETS, default bench/budgets.txt) with
#       the repetitions it names and fails when a figure exceeds its budget by more than 5 %
#   scripts/callgrind.sh --update-budgets [BUILD_DIR]
#       lowers each budget to the figure measured now where that is lower (commit a lowered
#       budget on its own, with the figure that it lowers to; raise one by hand, with a reason)
#
# With the default build directory the drag session is built first, so that a check measures
# the sources as they are.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=report
case "${1:-}" in
    --check) mode=check; shift ;;
    --update-budgets) mode=update; shift ;;
    -h|--help) sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "callgrind.sh: unknown option: $1 (try --help)" >&2; exit 2 ;;
esac
build=${1:-build/release}
budgets=${BUDGETS:-bench/budgets.txt}
tolerance=5  # per cent above a budget that still passes
bin=$build/bin/illsxmk_drag_session

command -v valgrind >/dev/null || { echo "callgrind.sh: valgrind is not installed" >&2; exit 1; }
if [ "$build" = build/release ]; then
    # Quiet when it works; the compiler's output when it does not.
    log=$(mktemp)
    if ! { [ -f build/release/CMakeCache.txt ] || cmake --preset release; } >"$log" 2>&1 ||
        ! cmake --build --preset release --target illsxmk_drag_session >>"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "callgrind.sh: building illsxmk_drag_session (release preset) failed" >&2
        exit 1
    fi
    rm -f "$log"
elif [ ! -x "$bin" ]; then
    echo "callgrind.sh: $bin not found; build the target illsxmk_drag_session" >&2
    exit 1
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

# Instructions and allocations per repetition: kind, repetitions.
declare -A per heap pool
measure() {
    local kind=$1 n=$2 total zero=0
    total=$(run "$kind" "$n")
    read -r heapCount poolCount < <(sed -E 's/.*heap_allocs=([0-9]+) pool_allocs=([0-9]+)/\1 \2/' "$tmp/out")
    ((toggled)) || zero=$(run "$kind" 0)
    per[$kind]=$(awk -v t="$total" -v z="$zero" -v n="$n" 'BEGIN { printf "%.0f", (t - z) / n }')
    heap[$kind]=$(awk -v a="$heapCount" -v n="$n" 'BEGIN { printf "%.2f", a / n }')
    pool[$kind]=$(awk -v a="$poolCount" -v n="$n" 'BEGIN { printf "%.2f", a / n }')
}
show() {
    printf '  %-26s %10s %10s %10s\n' "$1" "${per[$1]}" "${heap[$1]}" "${pool[$1]}"
}
# Cycles and lines cost about ten times a step or a build: a tenth of the repetitions.
repetitions() {
    case $1 in
        *-cycle | line) echo $(( $2 / 10 > 0 ? $2 / 10 : 1 )) ;;
        *) echo "$2" ;;
    esac
}
# The smaller of a figure and its budget.
lower() { awk -v v="$1" -v b="$2" 'BEGIN { print (v + 0 < b + 0 ? v : b) }'; }
how() { [ $toggled = 1 ] && echo 'client requests' || echo 'difference to 0 repetitions'; }

if [ "$mode" != report ]; then
    [ -f "$budgets" ] || { echo "callgrind.sh: no budget file $budgets" >&2; exit 1; }
    steps=$(awk '$1 == "steps" { print $2; exit }' "$budgets")
    [ -n "$steps" ] || { echo "callgrind.sh: $budgets names no steps" >&2; exit 1; }
    kinds=$(awk '!/^#/ && NF == 4 { print $1 }' "$budgets")
    [ -n "$kinds" ] || { echo "callgrind.sh: $budgets holds no budget" >&2; exit 1; }
    echo "Figures per repetition against $budgets ($steps repetitions," \
        "$(repetitions line "$steps") for cycles and lines; $(how); a figure fails above" \
        "its budget + $tolerance %)"
    printf '  %-26s %9s/%-7s %-4s %9s/%-7s %-4s %9s/%-7s %-4s\n' kind instr budget '' \
        heap/rep budget '' pool/rep budget ''
    failed=0
    for kind in $kinds; do
        measure "$kind" "$(repetitions "$kind" "$steps")"
        read -r budgetInstr budgetHeap budgetPool < <(awk -v k="$kind" '$1 == k { print $2, $3, $4 }' "$budgets")
        row=$(printf '  %-26s' "$kind")
        for pair in "${per[$kind]} $budgetInstr" "${heap[$kind]} $budgetHeap" \
            "${pool[$kind]} $budgetPool"; do
            read -r value budget <<<"$pair"
            # Over budget: above budget * (1 + tolerance); a budget of 0 allows nothing.
            verdict=$(awk -v v="$value" -v b="$budget" -v t="$tolerance" \
                'BEGIN { print (v > b * (1 + t / 100) + 1e-9 ? "OVER" : "ok") }')
            [ "$verdict" = ok ] || failed=1
            row+=$(printf ' %9s/%-7s %-4s' "$value" "$budget" "$verdict")
        done
        echo "$row"
    done
    if [ "$mode" = update ]; then
        {
            sed -n '/^# kind/q;p' "$budgets"
            printf '# %-24s %12s %8s %8s\n' kind instructions heap pool
            # Lowered only: a figure above its budget keeps the budget (raise one by hand, with
            # the reason in the commit).
            for kind in $kinds; do
                read -r budgetInstr budgetHeap budgetPool < <(awk -v k="$kind" '$1 == k { print $2, $3, $4 }' "$budgets")
                printf '%-26s %12s %8s %8s\n' "$kind" \
                    "$(lower "${per[$kind]}" "$budgetInstr")" \
                    "$(lower "${heap[$kind]}" "$budgetHeap")" \
                    "$(lower "${pool[$kind]}" "$budgetPool")"
            done
        } >"$tmp/budgets"
        cp "$tmp/budgets" "$budgets"
        echo "callgrind.sh: $budgets lowered to the figures above where they are lower"
        exit 0
    fi
    if ((failed)); then
        echo "callgrind.sh: a figure exceeds its budget by more than $tolerance %" >&2
        exit 1
    fi
    echo "callgrind.sh: every figure within its budget"
    exit 0
fi

steps=${STEPS:-1000}
echo "Instructions per repetition ($steps repetitions, $(repetitions line "$steps") for cycles" \
    "and lines; $(how))"
printf '  %-26s %10s %10s %10s\n' kind instr heap/rep pool/rep
for kind in build-straight plain-straight build-along-axis plain-along-axis \
    plain-along-axis-inverse point extension jog point-straight extension-straight point-move \
    extension-move jog-move point-cycle extension-cycle jog-cycle line; do
    measure "$kind" "$(repetitions "$kind" "$steps")"
    show "$kind"
done

ratio() { awk -v a="${per[$2]}" -v b="${per[$3]}" -v what="$1" -v target="${4:-}" 'BEGIN {
    r = a / b
    printf "  %-50s %6.2f", what, r
    if (target != "") printf "  target <= %s: %s", target, (r <= target ? "holds" : "DOES NOT HOLD")
    printf "\n" }'; }
echo
# A target is given only where the ratio measures the library's own work. BuildPoints inverts the
# frame's rotation (a frame need not be orthonormal), so its fair baseline is the one that
# inverts too; and a straight path is so cheap to build that the straight point step's ratio
# mostly counts the step's fixed work, which the step's budget (bench/budgets.txt) bounds.
echo "Ratios of instructions"
ratio "along-axis BuildPoints / plain baseline" build-along-axis plain-along-axis
ratio "along-axis BuildPoints / plain, rotation inverted" build-along-axis \
    plain-along-axis-inverse 2
ratio "straight BuildPoints / plain baseline" build-straight plain-straight 1.5
ratio "point step / BuildPoints, along axis" point build-along-axis 3
ratio "point step / BuildPoints, straight" point-straight build-straight
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

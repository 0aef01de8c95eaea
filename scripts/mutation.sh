#!/usr/bin/env bash
# Mutation check of the native test suite: puts one single-line fault (a mutant) at a time into
# the library's sources, rebuilds, runs the tests and reports each mutant that no test notices.
# Too slow for CI; run it by hand, before and after a change to the library or its tests.
#
#   scripts/mutation.sh [COUNT] [SEED]   COUNT mutants (default 40) drawn with SEED (default 1);
#                                        the same sources, COUNT and SEED draw the same mutants
#   scripts/mutation.sh --list           mutants per file and kind of fault; builds nothing
#   scripts/mutation.sh --plan [COUNT] [SEED]
#                                        the mutants a run would make, one a line
#   scripts/mutation.sh --self-test      the scanner's own tests (scripts/mutation_sites_test.py)
#
# Mutants (scripts/mutation_sites.py): relational, arithmetic and logical operators swapped,
# constants changed, if/while conditions negated, break/continue and early returns removed, in
# the .cpp and .h files of common/src, centerline/src, centerline_shadow/src and callout/src.
# The run works on a copy of the work tree (build/mutation/tree; the work tree itself is never
# changed, so editing it during a run is safe) built in build/mutation/bin like the dev preset
# (Debug, ASan + UBSan, _GLIBCXX_ASSERTIONS) but without -Werror, so that a mutant that only
# warns still builds. A mutant that does not compile counts apart, as not compiled.
#
# Each mutant runs ctest with --stop-on-failure and a per-test timeout (MUTATION_TIMEOUT
# seconds, default 60); a failed or timed-out test kills it. Not run, as they do not exercise
# the library's behaviour: tests_host and conformance (the host stand-in alone), the
# interface_* checks (the binary's exported and imported names, its virtual tables, the
# checkers' own tests; a one-line mutant changes none of them), install_consumer and the sdk_*
# tests (packaging and configuration). MUTATION_JOBS sets the build's parallel jobs (default 2).
#
# Output: one line per mutant (killed, with the test that failed first; survived; not
# compiled), then the survivors as "file:line old -> new" and the score,
# killed / (killed + survived). Results also go to build/mutation/results-COUNT-SEED.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

helper=scripts/mutation_sites.py
work=build/mutation
tree=$work/tree
bin=$work/bin
timeout=${MUTATION_TIMEOUT:-60}
jobs=${MUTATION_JOBS:-2}
# Tests that do not run the library's code paths (see above).
excluded='^(tests_host|conformance|interface_.*|install_consumer|sdk_.*)$'

usage() { awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; }
number() {
    [[ $1 =~ ^[0-9]+$ ]] || { echo "mutation.sh: not a number: $1 (try --help)" >&2; exit 2; }
}

mode=run
case "${1:-}" in
    --list) mode=list; shift ;;
    --plan) mode=plan; shift ;;
    --self-test) mode=self-test; shift ;;
    -h|--help) usage; exit 0 ;;
    -*) echo "mutation.sh: unknown option: $1 (try --help)" >&2; exit 2 ;;
esac
count=${1:-40}
seed=${2:-1}
number "$count"
number "$seed"
[[ $# -le 2 ]] || { echo "mutation.sh: too many arguments (try --help)" >&2; exit 2; }

case $mode in
    list)
        exec python3 "$helper" list . ;;
    self-test)
        exec python3 scripts/mutation_sites_test.py ;;
    plan)
        plan=$(mktemp)
        trap 'rm -f "$plan"' EXIT
        read -r picked total files < <(python3 "$helper" pick . "$count" "$seed" "$plan")
        echo "$picked of $total mutants in $files files, seed $seed:"
        for ((i = 0; i < picked; i++)); do python3 "$helper" describe "$plan" "$i"; done
        exit 0 ;;
esac

mkdir -p "$work"
exec 9>"$work/lock"
flock -n 9 || { echo "mutation.sh: another run is using $work" >&2; exit 1; }
started=$SECONDS

# The copy is brought to the work tree's content; this also undoes a mutant left behind by a
# run that was killed outright.
python3 "$helper" sync . "$tree"
if [[ ! -f $bin/CMakeCache.txt ]]; then
    echo "mutation: configuring $bin (preset dev without -Werror)"
    if ! (cd "$tree" && cmake --preset dev -B "$root/$bin" -DILLSXMK_WERROR=OFF) \
        >"$work/configure.log" 2>&1; then
        cat "$work/configure.log" >&2
        exit 1
    fi
fi

build() { cmake --build "$bin" --parallel "$jobs" >"$work/build.log" 2>&1; }
# Without the cost data of the last run ctest keeps the declared order: the fast unit tests
# first, the replay tests last.
run_tests() {
    rm -f "$bin/Testing/Temporary/CTestCostData.txt"
    ctest --test-dir "$bin" -E "$excluded" --stop-on-failure --timeout "$timeout" \
        >"$work/test.log" 2>&1
}
# The first test that did not pass, and how: "tests_callout Failed".
first_failure() {
    awk '/Test +#[0-9]+: / && !/Passed/ {
        name = $0; sub(/.*Test +#[0-9]+: /, "", name); sub(/ .*/, "", name)
        how = $0; sub(/.*\*\*\*/, "", how); sub(/ .*/, "", how)
        print name, (how == $0 ? "failed" : how); exit }' "$work/test.log"
}

echo "mutation: building and testing the unchanged sources"
if ! build; then
    tail -n 40 "$work/build.log" >&2
    echo "mutation.sh: the unchanged sources do not build" >&2
    exit 1
fi
baseline_start=$SECONDS
if ! run_tests; then
    tail -n 40 "$work/test.log" >&2
    echo "mutation.sh: the tests fail without a mutant; fix that first" >&2
    exit 1
fi
baseline_tests=$((SECONDS - baseline_start))

plan=$work/plan.jsonl
read -r picked total files < <(python3 "$helper" pick "$tree" "$count" "$seed" "$plan")
results=$work/results-$count-$seed.txt
echo "mutation: $picked of $total mutants in $files files, seed $seed; tests" \
    "(${baseline_tests} s unchanged): ctest -E '$excluded' --stop-on-failure --timeout $timeout"
: >"$results"

killed=0 survived=0 broken=0 done_count=0
survivors=()
current=''
# Puts the original back over the mutated file. The build sees the file as changed and
# compiles it again with the next mutant.
restore() {
    if [[ -n $current ]]; then
        cp "$work/original" "$tree/$current"
        current=''
    fi
}
summary() {
    local elapsed=$((SECONDS - started)) judged=$((killed + survived)) score
    score=$(awk -v k="$killed" -v j="$judged" \
        'BEGIN { if (j) printf "%.1f %%", 100 * k / j; else printf "n/a" }')
    echo
    echo "== survivors (no test noticed these faults)"
    if [[ ${#survivors[@]} -eq 0 ]]; then echo "  none"; fi
    for s in "${survivors[@]}"; do echo "  $s"; done
    local line
    line="mutation score: $killed/$judged killed ($score), $survived survived,"
    line+=" $broken not compiled;"
    line+=" $done_count of $picked mutants run (of $total), count $count, seed $seed,"
    line+=" $((elapsed / 60)) min $((elapsed % 60)) s"
    ((done_count)) && line+=", $(((SECONDS - loop_start) / done_count)) s per mutant"
    echo "$line"
    echo "$line" >>"$results"
    echo "(results in $results)"
}
on_interrupt() {
    restore
    echo
    echo "mutation: interrupted; the copy is restored"
    summary
    exit 130
}
trap restore EXIT
trap on_interrupt INT TERM

loop_start=$SECONDS
for ((i = 0; i < picked; i++)); do
    described=$(python3 "$helper" describe "$plan" "$i")
    current=$(python3 "$helper" apply "$tree" "$plan" "$i" "$work/original")
    mutant_start=$SECONDS
    if ! build; then
        status='not compiled'
        broken=$((broken + 1))
    elif run_tests; then
        status=survived
        survived=$((survived + 1))
        survivors+=("$described")
    else
        test=ctest how=failed
        read -r test how < <(first_failure) || true
        how=${how%:}
        status="killed ($test ${how,,})"
        killed=$((killed + 1))
    fi
    restore
    done_count=$((done_count + 1))
    seconds=$((SECONDS - mutant_start))
    printf '[%2d/%d] %-44s %4d s  %s\n' "$((i + 1))" "$picked" "$status" "$seconds" "$described"
    printf '%s\t%d\t%s\n' "$status" "$seconds" "$described" >>"$results"
done
summary

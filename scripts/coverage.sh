#!/usr/bin/env bash
# Line and branch coverage of the library (centerline/, centerline_shadow/, callout/; not the
# host stand-in, the tests or the tools) by the whole test suite. Builds the coverage preset
# (g++ --coverage), runs ctest, prints gcovr's per-file tables and fails (exit 1) below the
# floors: 95 % of lines, 85 % of branches. Branches that only an exception can take, and those
# the compiler proves unreachable, are not counted.
#
#   scripts/coverage.sh            build, test and report
#   scripts/coverage.sh --report   report on the last run only
set -euo pipefail
cd "$(dirname "$0")/.."

line_floor=95
branch_floor=85
build=build/coverage

if [[ ${1-} != --report ]]; then
    cmake --preset coverage >/dev/null
    cmake --build --preset coverage
    # Counts of an earlier run would add up with this one.
    find "$build" -name '*.gcda' -delete
    ctest --preset coverage
fi

root=$(pwd)
gcovr_args=(--root "$root" --object-directory "$build"
    --filter "^$root/centerline/" --filter "^$root/centerline_shadow/"
    --filter "^$root/callout/"
    --exclude-throw-branches --exclude-unreachable-branches)

printf '\n== line coverage of the library\n'
gcovr "${gcovr_args[@]}"
printf '\n== branch coverage of the library\n'
gcovr "${gcovr_args[@]}" --branches
printf '\n== summary\n'
status=0
gcovr "${gcovr_args[@]}" --print-summary --output /dev/null \
    --fail-under-line "$line_floor" --fail-under-branch "$branch_floor" || status=$?
if [[ $status -ne 0 ]]; then
    echo "coverage: below the floors (lines ${line_floor} %, branches ${branch_floor} %)" >&2
    exit 1
fi
echo "coverage: at or above the floors (lines ${line_floor} %, branches ${branch_floor} %)"

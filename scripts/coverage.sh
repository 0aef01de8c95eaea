#!/usr/bin/env bash
# Line and branch coverage of the library (common/, centerline/, centerline_shadow/, callout/;
# not the host stand-in, the tests or the tools) by the whole test suite. Builds the coverage preset
# (g++ --coverage), runs ctest, prints gcovr's per-file tables and fails (exit 1) below the
# floors: 95 % of lines, 85 % of branches. Branches that only an exception can take, and those
# the compiler proves unreachable, are not counted.
#
#   scripts/coverage.sh            build, test and report
#   scripts/coverage.sh --report   report on the last run only
#   scripts/coverage.sh --replay   the lines that playing examples/ and the default session with
#                                  illsxmk-replay reaches, nothing else run (floor: 97 % of lines)
set -euo pipefail

# gcovr runs gcov through this script (--gcov ARGS...). A class with a virtual base gets two
# constructors and two destructors from one definition, the base-object ones never called here;
# gcov lists each copy and marks the exception edges only in the copy that ran, so gcovr would
# count the unexecuted copy's exception edges as missed branches. The same edge (same line, same
# branch number) is marked as an exception edge in every copy.
if [[ ${1-} == --gcov ]]; then
    shift
    gcov "$@"
    python3 - <<'PY'
import glob
import re

source = re.compile(r"^\s*[-#=*0-9]+\*?:\s*(\d+):")
unexecuted = re.compile(r"^(branch\s+(\d+)\s+)(never executed|taken 0)\s*$")
for name in glob.glob("*.gcov"):
    with open(name, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    throws, lineno = {}, 0
    for text in lines:
        m = source.match(text)
        if m:
            lineno = int(m.group(1))
        elif text.startswith("branch") and text.rstrip().endswith("(throw)"):
            throws.setdefault(lineno, set()).add(int(text.split()[1]))
    changed, lineno = False, 0
    for i, text in enumerate(lines):
        m = source.match(text)
        if m:
            lineno = int(m.group(1))
            continue
        b = unexecuted.match(text)
        if b and int(b.group(2)) in throws.get(lineno, ()):
            lines[i] = b.group(1) + "taken 0 (throw)"
            changed = True
    if changed:
        with open(name, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write("\n".join(lines))
PY
    exit 0
fi

cd "$(dirname "$0")/.."

line_floor=95
branch_floor=85
build=build/coverage
tests_failed=0

if [[ ${1-} == --replay ]]; then
    line_floor=97
    branch_floor=0
    cmake --preset coverage >/dev/null
    cmake --build --preset coverage --target illsxmk-replay
    find "$build" -name '*.gcda' -delete
    out=$(mktemp -d)
    trap 'rm -rf "$out"' EXIT
    for scenario in examples/*.json ""; do
        args=("${scenario:-}")
        [[ -z $scenario ]] && args=()
        "$build/bin/illsxmk-replay" "${args[@]}" --out "$out/run" >/dev/null ||
            { echo "coverage: ${scenario:-the default session} did not replay cleanly" >&2; tests_failed=1; }
    done
elif [[ ${1-} != --report ]]; then
    cmake --preset coverage >/dev/null
    cmake --build --preset coverage
    # Counts of an earlier run would add up with this one.
    find "$build" -name '*.gcda' -delete
    # Coverage is reported also when a test fails; the failure still fails the script.
    ctest --preset coverage || tests_failed=1
fi

# Only the library's objects are read (the tests, the tools and the consumer project built by
# the install test have their own); filters are relative to the source root.
gcovr_args=(--root . "$build/CMakeFiles/illsxmk.dir" --gcov-executable "$(pwd)/scripts/coverage.sh --gcov"
    --filter 'common/' --filter 'centerline/' --filter 'centerline_shadow/' --filter 'callout/'
    --exclude-throw-branches --exclude-unreachable-branches)

printf '\n== line coverage of the library\n'
gcovr "${gcovr_args[@]}"
printf '\n== branch coverage of the library\n'
gcovr "${gcovr_args[@]}" --branches
printf '\n== summary\n'
status=0
# The summary goes to stdout; the report file is a throw-away in the build folder (never
# --output /dev/null: gcovr replaces its output file, and as root that would replace the device).
gcovr "${gcovr_args[@]}" --print-summary --output "$build/coverage-summary.txt" \
    --fail-under-line "$line_floor" --fail-under-branch "$branch_floor" || status=$?
if [[ $tests_failed -ne 0 ]]; then
    echo "coverage: tests failed" >&2
    exit 1
fi
if [[ $status -ne 0 ]]; then
    echo "coverage: below the floors (lines ${line_floor} %, branches ${branch_floor} %)" >&2
    exit 1
fi
echo "coverage: at or above the floors (lines ${line_floor} %, branches ${branch_floor} %)"

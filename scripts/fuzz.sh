#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset: clang, AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs each on its corpus, fuzz/corpus/<target>/, for a fixed time. A sanitizer report or a
# broken invariant fails the run and leaves the input in build/fuzz/artifacts/; once the fault is
# fixed, add that input to fuzz/corpus/<target>/ so tests/fuzz_regression replays it.
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]   SECONDS per target (default 60, or
#                                           $ILLSXMK_FUZZ_SECONDS); targets: record_path
#                                           interaction callout scenario (default all)
# New inputs go to build/fuzz/found/<target>/, not into the committed corpus; to refresh the
# corpus, merge them in with the target's -merge=1 and commit the result.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${ILLSXMK_FUZZ_SECONDS:-60}
if [[ $# -gt 0 && $1 =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
    targets=(record_path interaction callout scenario)
fi

# The targets need clang's libFuzzer runtime.
if ! command -v clang++ >/dev/null ||
    ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
    if [[ $EUID -ne 0 ]]; then
        echo "fuzz: clang++ and libFuzzer are missing: apt-get install clang libclang-rt-dev" >&2
        exit 1
    fi
    DEBIAN_FRONTEND=noninteractive apt-get -q -y update >/dev/null
    DEBIAN_FRONTEND=noninteractive apt-get -q -y install --no-install-recommends \
        clang libclang-rt-dev >/dev/null
fi

build=build/fuzz
cmake --preset fuzz -DILLSXMK_BUILD_TESTS=OFF >/dev/null
cmake --build --preset fuzz --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
mkdir -p "$build/artifacts"
failed=()
for target in "${targets[@]}"; do
    found="$build/found/$target"
    mkdir -p "$found"
    printf '\n== fuzz %s for %s s\n' "$target" "$seconds"
    # Scenarios are JSON texts: longer inputs (the default session is about 5 KB), and the
    # format's words as a dictionary.
    options=(-max_len=4096)
    if [[ $target == scenario ]]; then
        options=(-max_len=8192 -dict=fuzz/scenario.dict)
    fi
    # The first folder receives new inputs; the committed corpus is only read.
    if ! "$build/bin/fuzz_$target" -max_total_time="$seconds" "${options[@]}" -timeout=20 \
        -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
        "$found" "fuzz/corpus/$target" >"$build/$target.log" 2>&1; then
        failed+=("$target")
        tail -n 60 "$build/$target.log" >&2
    else
        grep -E '^(stat::number_of_executed_units|stat::new_units_added|#[0-9]+ +DONE)' \
            "$build/$target.log" || true
    fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzz: failed: ${failed[*]} (inputs in $build/artifacts/)" >&2
    exit 1
fi
echo "fuzz: ${#targets[@]} targets ran ${seconds} s each without a finding"

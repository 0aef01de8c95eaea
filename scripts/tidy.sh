#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over the library, the host stand-in and the replay tool, with the
# compile database of the clang-libcxx preset (configured here if it is missing; nothing needs
# to be built). Any warning fails the run.
#   scripts/tidy.sh [-j N]
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
while [ $# -gt 0 ]; do
    case "$1" in
        -j) jobs=$2; shift 2 ;;
        *) echo "usage: scripts/tidy.sh [-j N]" >&2; exit 2 ;;
    esac
done

build=build/clang-libcxx
if [ ! -f "$build/compile_commands.json" ]; then
    cmake --preset clang-libcxx >/dev/null
fi

top=$(pwd)
sources="^$top/(common|centerline|centerline_shadow|callout|host|tools/replay)/src/.*\.cpp$"
log=$(mktemp -t tidy.XXXXXX.log)
trap 'rm -f "$log"' EXIT
# run-clang-tidy exits non-zero only on errors; warnings are counted from its output.
run-clang-tidy -p "$build" -j "$jobs" -quiet "$sources" >"$log" 2>&1 || {
    cat "$log"
    echo "tidy: clang-tidy failed" >&2
    exit 1
}
# run-clang-tidy colours its output, and the colour codes would split the text counted below.
sed -i 's/\x1b\[[0-9;]*m//g' "$log"
warnings=$(grep -c ': warning: ' "$log" || true)
files=$(grep -c '^clang-tidy' "$log" || true)
if [ "$warnings" != 0 ]; then
    grep -A3 ': warning: ' "$log"
    echo "tidy: $warnings warning(s) in $files file(s)" >&2
    exit 1
fi
echo "tidy: no warnings in $files file(s)"

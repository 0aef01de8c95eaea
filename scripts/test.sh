#!/usr/bin/env bash
# The project's test command. Installs what is missing (Debian packages, when run as root),
# then builds and runs the native suite (Debug, AddressSanitizer + UndefinedBehaviorSanitizer,
# warnings as errors) and the 32-bit Windows suite (i686 MinGW-w64 DLLs under Wine).
#   --no-windows   skip the Windows suite (quick local runs)
set -euo pipefail
cd "$(dirname "$0")/.."

windows=1
for arg in "$@"; do
    case "$arg" in
        --no-windows) windows=0 ;;
        *) echo "usage: scripts/test.sh [--no-windows]" >&2; exit 2 ;;
    esac
done

phase() { printf '\n== %s (%s)\n' "$1" "$(date +%H:%M:%S)"; }
start=$SECONDS

phase "dependencies"
if [ "$windows" = 1 ]; then scripts/install-deps.sh; else scripts/install-deps.sh --no-windows; fi

phase "native build (dev preset)"
cmake --preset dev >/dev/null
cmake --build --preset dev
phase "native tests"
ctest --preset dev

if [ "$windows" = 1 ]; then
    phase "32-bit Windows build (windows-i686 preset)"
    cmake --preset windows-i686 >/dev/null
    cmake --build --preset windows-i686
    phase "32-bit Windows tests under Wine"
    ctest --preset windows-i686
fi

phase "done in $((SECONDS - start)) s"

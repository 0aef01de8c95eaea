#!/usr/bin/env bash
# The project's test command. Installs what is missing (Debian packages, when run as root),
# then builds and runs the native suite twice (Debug, AddressSanitizer +
# UndefinedBehaviorSanitizer, warnings as errors): with g++ and libstdc++, and with clang and
# libc++, since each standard library allocates at other moments and so reaches other failure
# paths; then the 32-bit Windows suite (i686 MinGW-w64 DLLs under Wine).
#   --no-windows   skip the Windows suite (quick local runs)
#   --no-libcxx    skip the clang/libc++ suite (quick local runs)
set -euo pipefail
cd "$(dirname "$0")/.."

windows=1
libcxx=1
for arg in "$@"; do
    case "$arg" in
        --no-windows) windows=0 ;;
        --no-libcxx) libcxx=0 ;;
        *) echo "usage: scripts/test.sh [--no-windows] [--no-libcxx]" >&2; exit 2 ;;
    esac
done

# Each phase is timed; the times are listed at the end, also when a phase fails.
source scripts/phases.sh

phase "dependencies"
if [ "$windows" = 1 ]; then scripts/install-deps.sh; else scripts/install-deps.sh --no-windows; fi

phase "native build (dev preset)"
cmake --preset dev >/dev/null
cmake --build --preset dev
phase "native tests"
ctest --preset dev

if [ "$libcxx" = 1 ]; then
    phase "clang/libc++ build (clang-libcxx preset)"
    cmake --preset clang-libcxx >/dev/null
    cmake --build --preset clang-libcxx
    phase "clang/libc++ tests"
    ctest --preset clang-libcxx
fi

if [ "$windows" = 1 ]; then
    phase "32-bit Windows build (windows-i686 preset)"
    cmake --preset windows-i686 >/dev/null
    cmake --build --preset windows-i686
    # A machine whose kernel runs no 32-bit program can build them but not run them: said loudly.
    if cmake/wine-run.sh --check; then
        # The tests make the Wine prefix on first use; made here, its time shows on its own.
        phase "Wine prefix"
        cmake/wine-run.sh --default-prefix=build/windows-i686/.wineprefix cmd /c exit 0
        phase "32-bit Windows tests under Wine"
        ctest --preset windows-i686
    else
        echo "test: NOT RUN: the 32-bit Windows tests (built, but this machine cannot run them)" >&2
    fi
fi

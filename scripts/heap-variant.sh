#!/usr/bin/env bash
# Shows under Wine which memory crosses between the library and the viewer, and that one heap
# shared by both is what it needs (docs/integration.md, "One heap for the library and the
# viewer"). Three builds of the windows-i686 preset, each with the stand-in's DLL on a private
# heap of its own (HeapCreate) and the test programs, which play the viewer, on it too:
#
#   build/heap-variant/private  the library allocates through its own C runtime: each block the
#                               viewer frees of the library's goes to the wrong heap
#                               (tests/heap: every case reports exactly what crossed)
#   build/heap-variant/nodes    the stand-in's nodes, appearance sets and contents also bring
#                               their own operator new and delete: those no longer cross, the
#                               point lists and the catalog name still do
#   build/heap-variant/shared   the library allocates from the stand-in's heap, as with one C
#                               runtime shared with the viewer: nothing crosses, and the whole
#                               Windows suite passes with each block freed into the wrong heap
#                               counted as a failure
#
# The first two build only what tests/heap needs. Needs what scripts/install-deps.sh installs
# for Windows (it installs nothing itself). Each phase is timed; the Wine prefix is shared by the
# three (build/heap-variant/.wineprefix).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -gt 0 ]; then
    echo "usage: scripts/heap-variant.sh" >&2
    exit 2
fi

# Each phase is timed; the times are listed at the end, also when a phase fails.
source scripts/phases.sh

root=build/heap-variant
prefix=$PWD/$root/.wineprefix

# Every variant runs under Wine: on a machine whose kernel runs no 32-bit program, none can.
if ! cmake/wine-run.sh --check; then
    echo "heap-variant: NOT RUN: the Windows heap variants need 32-bit programs to run" >&2
    exit 0
fi

# configure NAME CMAKE-OPTIONS...: the windows-i686 preset's build in build/heap-variant/NAME.
configure() {
    local dir=$root/$1
    shift
    cmake --preset windows-i686 -B "$dir" -DILLSXMK_WINE_DEFAULT_PREFIX="$prefix" \
        -DILLSXMK_HOST_PRIVATE_HEAP=ON "$@" >/dev/null
}

phase "private heap: build"
configure private -DILLSXMK_HOST_NODE_ALLOCATION=OFF -DILLSXMK_LIBRARY_ON_HOST_HEAP=OFF
cmake --build $root/private --target tests_heap
phase "Wine prefix"
cmake/wine-run.sh --default-prefix="$prefix" cmd /c exit 0
phase "private heap: what crosses"
ctest --test-dir $root/private -R '^(heap_|interface_imports$)' --output-on-failure

phase "node allocation: build"
configure nodes -DILLSXMK_HOST_NODE_ALLOCATION=ON -DILLSXMK_LIBRARY_ON_HOST_HEAP=OFF
cmake --build $root/nodes --target tests_heap
phase "node allocation: what still crosses"
ctest --test-dir $root/nodes -R '^(heap_|interface_imports$)' --output-on-failure

phase "one shared heap: build"
configure shared -DILLSXMK_HOST_NODE_ALLOCATION=OFF -DILLSXMK_LIBRARY_ON_HOST_HEAP=ON
cmake --build $root/shared
phase "one shared heap: the Windows suite"
ctest --test-dir $root/shared --output-on-failure

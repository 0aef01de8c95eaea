#!/usr/bin/env bash
# Builds the library alone against a viewer SDK folder (-DILLSXMK_VIEWER_SDK=DIR), natively and
# for 32-bit Windows, with the stand-in host laid out as that SDK. For each platform:
#   build/sdk-<platform>-stand-in      the normal build: builds the stand-in host and installs its
#                                      component into .../sdk (headers, shared library or DLL and
#                                      import library), which must hold headers and binaries only
#   build/sdk-<platform>               the library alone against that folder
# then checks that the library's sources are compiled as in the normal build (the host's include
# folder aside) and that it takes the host library from the SDK folder, and runs the build's
# tests (ctest): the conformance suite (under Wine for Windows) and the checks of the library's
# exports, imports and virtual tables. Every check must hold. Natively it then shows the suite failing
# against deviant SDKs made from the stand-in (scripts/sdk-deviant-check.sh). Release, warnings as
# errors; assumes scripts/install-deps.sh ran.
#   --no-windows   native only (quick local runs)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

windows=1
for arg in "$@"; do
    case "$arg" in
        --no-windows) windows=0 ;;
        *) echo "usage: scripts/sdk-build.sh [--no-windows]" >&2; exit 2 ;;
    esac
done
if [ "$windows" = 1 ] && ! command -v i686-w64-mingw32-g++-posix >/dev/null; then
    echo "sdk-build: i686-w64-mingw32-g++-posix is missing: run scripts/install-deps.sh" >&2
    exit 1
fi

start=$SECONDS
times=()
finish() {
    local status=$?
    if [ "$status" != 0 ]; then
        echo "sdk-build: FAILED after $((SECONDS - start)) s" >&2
    fi
}
trap finish EXIT

fail() {
    echo "sdk-build: $*" >&2
    exit 1
}

# The value of a cache entry: cache_value BUILD_DIR NAME
cache_value() {
    sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}

check=(python3 tests/sdk/check_sdk.py)

# build_against_sdk PLATFORM LIBRARY_FILE REQUIRED_SDK_FILES CMAKE_ARGS...
build_against_sdk() {
    local platform=$1 library=build/sdk-$1/$2 required=$3
    shift 3
    local stand_in=build/sdk-$platform-stand-in build=build/sdk-$platform
    local sdk=$root/$stand_in/sdk
    local phase_start=$SECONDS
    # Both builds are configured alike: only ILLSXMK_VIEWER_SDK tells them apart.
    local options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DILLSXMK_WERROR=ON
        -DILLSXMK_BUILD_TESTS=OFF -DILLSXMK_BUILD_TOOLS=OFF -DCMAKE_INSTALL_LIBDIR=lib "$@")

    printf '\n== %s: the stand-in host as an SDK in %s (%s)\n' "$platform" "$sdk" \
        "$(date +%H:%M:%S)"
    cmake -S . -B "$stand_in" "${options[@]}" -DILLSXMK_VIEWER_SDK= >/dev/null
    cmake --build "$stand_in" --target illsxmk_host
    rm -rf "$sdk"
    cmake --install "$stand_in" --component host --prefix "$sdk" >/dev/null
    local require=() file
    for file in $required; do require+=(--require "$file"); done
    "${check[@]}" layout --sdk "$sdk" --headers host/include "${require[@]}"

    printf '\n== %s: the library alone against it in %s\n' "$platform" "$build"
    cmake -S . -B "$build" "${options[@]}" -DILLSXMK_VIEWER_SDK="$sdk" >/dev/null
    cmake --build "$build" --target illsxmk illsxmk_conformance
    "${check[@]}" same-flags --reference "$stand_in/compile_commands.json" \
        --sdk-build "$build/compile_commands.json" --source-dir . --sdk "$sdk" \
        --also illsxmk_conformance

    # Linked against the SDK, the library takes the SDK's library (ILLSXMK_VIEWER_SDK_LIBRARIES,
    # the stand-in's name by default) from the SDK folder.
    local sdk_library
    sdk_library=$(cache_value "$build" ILLSXMK_VIEWER_SDK_LIBRARIES)
    if [ "$platform" = windows ]; then
        [[ $("$(cache_value "$build" CMAKE_OBJDUMP)" -p "$library") == \
            *"DLL Name: lib$sdk_library.dll"* ]] ||
            fail "$library does not import lib$sdk_library.dll"
        echo "$library: imports lib$sdk_library.dll"
    else
        # The loader finds the SDK's library in the SDK folder, and every name resolves.
        local host
        host=$(ldd "$library" | awk -v name="lib$sdk_library." 'index($1, name) == 1 { print $3 }')
        [[ $host == "$sdk/lib/"* ]] || fail "$library takes lib$sdk_library from '$host'"
        python3 -c 'import ctypes, sys; ctypes.CDLL(sys.argv[1])' "$library" ||
            fail "$library does not load"
        echo "$library: loads with $host"
    fi

    # The conformance suite, and the exports, imports and virtual tables of the library.
    printf '\n== %s: the tests of the build against the SDK\n' "$platform"
    if [ "$platform" = windows ] && ! "$root/cmake/wine-run.sh" --check; then
        echo "sdk-build: NOT RUN: the Windows conformance suite (this machine cannot run it)" >&2
        ctest --test-dir "$build" --output-on-failure -E '^conformance$'
    else
        ctest --test-dir "$build" --output-on-failure
    fi
    local expected_tests="conformance interface_exports interface_imports interface_vtables" ran
    ran=$(ctest --test-dir "$build" -N | sed -n 's/^ *Test *#[0-9]*: //p' | sort | xargs)
    [ "$ran" = "$expected_tests" ] || fail "$build has the tests '$ran', not '$expected_tests'"
    times+=("$platform $((SECONDS - phase_start)) s")
}

build_against_sdk native lib/libillsxmk.so "lib/libillsxmk_host.so" -DCMAKE_CXX_COMPILER=g++
deviant_start=$SECONDS
scripts/sdk-deviant-check.sh "$root/build/sdk-native-stand-in/sdk" -DCMAKE_CXX_COMPILER=g++
times+=("deviant SDKs $((SECONDS - deviant_start)) s")
if [ "$windows" = 1 ]; then
    build_against_sdk windows bin/libillsxmk.dll \
        "lib/libillsxmk_host.dll.a bin/libillsxmk_host.dll" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686-w64-mingw32.cmake"
fi

printf '\nsdk-build: passed: the library built alone against the stand-in laid out as an SDK, '
printf 'same flags as the normal build, with the listed exports, imports and virtual tables; the '
printf 'conformance suite holds against it and '
printf 'fails as expected against deviant SDKs (%s; total %d s)\n' \
    "$(IFS=,; echo "${times[*]}" | sed 's/,/, /g')" $((SECONDS - start))

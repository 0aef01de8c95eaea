#!/usr/bin/env bash
# Shows that the conformance suite notices an SDK that breaks the contract. Makes deviant SDK
# folders from the stand-in with its test-only switches (ILLSXMK_DEVIANT_*: defined when the
# stand-in's library is compiled and written into the SDK's headers), builds the suite against
# each and checks that exactly the expected checks fail, each with its message, and that the suite
# then exits non-zero. Native only; called by scripts/sdk-build.sh with the stand-in laid out as an
# SDK:
#   scripts/sdk-deviant-check.sh SDK_DIR CMAKE_ARGS...
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
good_sdk=$1
shift
options=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DILLSXMK_WERROR=ON -DILLSXMK_BUILD_TESTS=OFF
    -DILLSXMK_BUILD_TOOLS=OFF -DCMAKE_INSTALL_LIBDIR=lib "$@")

fail() {
    echo "sdk-deviant-check: $*" >&2
    exit 1
}

# Writes the switches into the SDK's headers: every header of the stand-in reads du/StandIn.h.
write_switches() {
    local sdk=$1 switch defines=""
    shift
    for switch in "$@"; do defines+="\\n#define ILLSXMK_DEVIANT_$switch"; done
    sed -i "0,/^#pragma once\$/s//#pragma once\\n\\/\\/ Test-only deviations from the contract.$defines/" \
        "$sdk/include/du/StandIn.h"
}

# deviant NAME HOST_SWITCHES HEADER_SWITCHES EXPECTED...
#   HOST_SWITCHES change the stand-in's library (rebuilt), HEADER_SWITCHES only its headers.
#   EXPECTED: "check-name|text of its message" for each check that must fail, and
#   "check-name=reported|text" for a check that must be reported with that text.
deviant() {
    local name=$1 host_switches=$2 header_switches=$3
    shift 3
    local stand_in=build/sdk-native-deviant-$name-stand-in build=build/sdk-native-deviant-$name
    local sdk=$root/$stand_in/sdk switch
    printf '\n== deviant SDK %s: %s %s\n' "$name" "$host_switches" "$header_switches"
    rm -rf "$sdk"
    if [ -n "$host_switches" ]; then
        local flags=""
        for switch in $host_switches; do flags+=" -DILLSXMK_DEVIANT_$switch"; done
        cmake -S . -B "$stand_in" "${options[@]}" -DILLSXMK_VIEWER_SDK= \
            -DILLSXMK_BUILD_CONFORMANCE=OFF -DCMAKE_CXX_FLAGS="$flags" >/dev/null
        cmake --build "$stand_in" --target illsxmk_host >/dev/null
        cmake --install "$stand_in" --component host --prefix "$sdk" >/dev/null
    else
        mkdir -p "$stand_in"
        cp -a "$good_sdk" "$sdk"
    fi
    # shellcheck disable=SC2086
    write_switches "$sdk" $host_switches $header_switches

    cmake -S . -B "$build" "${options[@]}" -DILLSXMK_VIEWER_SDK="$sdk" >/dev/null
    cmake --build "$build" --target illsxmk_conformance >/dev/null
    local report=$build/conformance-report.txt status=0
    "$build/bin/illsxmk_conformance" >"$report" || status=$?
    [ "$status" != 0 ] || fail "$name: the suite passed against a deviant SDK ($report)"

    local expected=() entry check text
    for entry in "$@"; do
        check=${entry%%|*}
        [[ $check == *=reported ]] || expected+=("$check")
    done
    local got want
    got=$(awk '$1 == "FAILS" { sub(":$", "", $2); print $2 }' "$report" | sort)
    want=$(printf '%s\n' "${expected[@]}" | sort)
    [ "$got" = "$want" ] ||
        fail "$name: failing checks differ from the expected ones; failing:"$'\n'"$got"$'\n'"expected:"$'\n'"$want"
    for entry in "$@"; do
        check=${entry%%|*}
        text=${entry#*|}
        local label=FAILS
        if [[ $check == *=reported ]]; then
            check=${check%=reported}
            label=reported
        fi
        # The line after the check's own holds its message.
        awk -v label="$label" -v check="$check:" -v text="$text" '
            found { if (index($0, text)) ok = 1; exit }
            $1 == label && $2 == check { found = 1 }
            END { exit ok ? 0 : 1 }' "$report" ||
            fail "$name: $check is not $label with \"$text\" ($report)"
    done
    echo "deviant SDK $name: exactly the expected checks fail ($(echo "$got" | wc -l)), with their messages"
}

deviant release-and-normalize "RELEASE_DELETES_AT_ONCE NORMALIZE_ZERO_NAN" "" \
    "refcount.last-release-asks-hook|asked ZeroReferenceCountHook 0 times" \
    "refcount.hook-with-reference-restored|never asked" \
    "refcount.refusing-hook-keeps-object|deleted although ZeroReferenceCountHook answered false" \
    "smartptr.assign-references-new-first|the release protocol does not hold" \
    "smartptr.self-assignment|the release protocol does not hold" \
    "vector.normalize-zero=reported|becomes not-a-number"
deviant assign-and-angle "" "ASSIGN_RELEASES_FIRST ANGLE_IN_DEGREES" \
    "smartptr.assign-references-new-first|released the old object before it referenced the new" \
    "smartptr.self-assignment|released its only reference first" \
    "geometry.angle|the library needs radians" \
    "vector.normalize-zero=reported|stays zero"

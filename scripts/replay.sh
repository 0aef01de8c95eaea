#!/usr/bin/env bash
# The main job: build illsxmk-replay and play a session through the markup library.
#   scripts/replay.sh                      the built-in default session into replay-out/
#   scripts/replay.sh SCENARIO.json        a scenario of your own (examples/ has some)
#   scripts/replay.sh SCENARIO.json --out DIR
# Installs the Debian packages it needs when they are missing (as root), builds the tool in
# build/replay-release (Release, tool only) and runs it; the frames and index.html land in
# replay-out/ at the top of the repository unless --out says otherwise.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

pkgs=(cmake ninja-build g++ nlohmann-json3-dev)
missing=()
for p in "${pkgs[@]}"; do
    [[ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" == installed ]] ||
        missing+=("$p")
done
if (( ${#missing[@]} )); then
    if (( EUID != 0 )); then
        echo "replay: missing packages: ${missing[*]}" >&2
        echo "replay: as root: apt-get update && apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "replay: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get -q -y -o DPkg::Lock::Timeout=300 update >/dev/null
    apt-get -q -y -o DPkg::Lock::Timeout=300 install --no-install-recommends "${missing[@]}" >/dev/null
fi

build="$root/build/replay-release"
echo "replay: building illsxmk-replay in $build" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DILLSXMK_BUILD_TESTS=OFF \
    -DILLSXMK_BUILD_BENCH=OFF -DILLSXMK_BUILD_FUZZ=OFF -DILLSXMK_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" --target illsxmk-replay >/dev/null

args=("$@")
has_out=0
writes=1
for a in "${args[@]}"; do
    [[ "$a" == --out || "$a" == --out=* ]] && has_out=1
    [[ "$a" == --help || "$a" == -h || "$a" == --print-default ]] && writes=0
done
(( has_out )) || args+=(--out "$root/replay-out")

status=0
"$build/bin/illsxmk-replay" "${args[@]}" || status=$?
if (( writes && (status == 0 || status == 1) )); then
    out="$root/replay-out"
    for ((i = 0; i < ${#args[@]}; i++)); do
        case "${args[i]}" in
            --out) out="${args[i + 1]}" ;;
            --out=*) out="${args[i]#--out=}" ;;
        esac
    done
    echo "replay: open $out/index.html in a browser to step through the frames" >&2
fi
exit "$status"

#!/usr/bin/env bash
# Install the Debian 12 packages needed to build and test libillsxmk.
# Idempotent: installs only what is missing, so a second run is quick and
# needs no network.
#
#   scripts/install-deps.sh               native tools + Windows cross tools
#   scripts/install-deps.sh --no-windows  native tools only
#   --playground  also emscripten (the wasm preset); --browser  also Chromium and npm (the
#                 playground's browser test)
#
# Windows set: i386 architecture, the i686 MinGW-w64 cross compiler (the
# POSIX-threads variant, i686-w64-mingw32-g++-posix, is part of it) and 32-bit
# Wine (wine + wine32:i386 only: no wine64, no recommends).
set -euo pipefail

windows=1
playground=0
browser=0
for arg in "$@"; do
  case $arg in
    --no-windows) windows=0 ;;
    --playground) playground=1 ;;
    --browser) browser=1 ;;
    -h|--help) sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "${0##*/}: unknown option: $arg (try --help)" >&2; exit 2 ;;
  esac
done

# python3 runs the interface checks (exported names, virtual tables); binutils (nm, c++filt)
# comes with g++, and binutils-mingw-w64-i686 (objdump, c++filt) with the cross compiler.
# clang with libc++ builds the second native suite (GoogleTest from its sources in
# /usr/src/googletest, which libgtest-dev ships); valgrind (callgrind and its client-request
# header) measures the budgets of bench/budgets.txt.
native_pkgs=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
             nlohmann-json3-dev clang-format clang-tidy gcovr python3
             clang libc++-14-dev libc++abi-14-dev valgrind)
windows_pkgs=(g++-mingw-w64-i686 wine wine32:i386)

is_installed() {
  [[ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" == installed ]]
}

missing=()
pkgs=("${native_pkgs[@]}")
need_i386=0
if (( windows )); then
  pkgs+=("${windows_pkgs[@]}")
  dpkg --print-foreign-architectures | grep -qx i386 || need_i386=1
fi
(( playground )) && pkgs+=(emscripten)
(( browser )) && pkgs+=(chromium)
for p in "${pkgs[@]}"; do
  is_installed "$p" || missing+=("$p")
done
# Node may come from elsewhere with its own npm; Debian's npm only when there is none.
if (( browser )) && ! command -v npm >/dev/null; then
  missing+=(npm)
fi
if (( windows )) && ! command -v i686-w64-mingw32-g++-posix >/dev/null &&
   [[ " ${missing[*]} " != *" g++-mingw-w64-i686 "* ]]; then
  missing+=(g++-mingw-w64-i686-posix)
fi

if (( ${#missing[@]} == 0 && need_i386 == 0 )); then
  echo "install-deps: all present"
  exit 0
fi

if (( EUID != 0 )); then
  echo "install-deps: missing: ${missing[*]}" >&2
  echo "install-deps: run as root (or install by hand):" >&2
  (( need_i386 )) && echo "  dpkg --add-architecture i386" >&2
  echo "  apt-get update && apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
log=$(mktemp -t install-deps.XXXXXX.log)
run() {
  if ! "$@" >>"$log" 2>&1; then
    echo "install-deps: failed: $*" >&2
    tail -n 25 "$log" >&2
    exit 1
  fi
}
apt=(apt-get -q -y -o DPkg::Lock::Timeout=300)
if (( need_i386 )); then
  echo "install-deps: adding i386 architecture"
  run dpkg --add-architecture i386
fi
echo "install-deps: installing ${missing[*]}"
run "${apt[@]}" update
run "${apt[@]}" install --no-install-recommends "${missing[@]}"
rm -f "$log"
echo "install-deps: done"

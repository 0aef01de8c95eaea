#!/usr/bin/env bash
# Run a 32-bit Windows console program under Wine, headless, in a throw-away
# prefix. Used as CMAKE_CROSSCOMPILING_EMULATOR, so ctest calls it as
#   wine-run.sh [--default-prefix=DIR] PROGRAM.exe [ARGS...]
# and its exit status is the program's.
#
# Prefix: $ILLSXMK_WINEPREFIX if set, else --default-prefix=DIR, else
# $PWD/.wineprefix. It is created (win32, no mono/gecko) on first use under a
# lock, so several tests may start at once. Delete the folder to reset it.
#
# DLLs in the program's own folder are found as on Windows. Other folders:
# WINEPATH, ';'-separated, Unix or Windows paths (e.g. WINEPATH=/a/bin;/b/bin).
# ILLSXMK_WINEDEBUG overrides the default WINEDEBUG=-all (e.g. err+all).
# The wineserver stays ILLSXMK_WINESERVER_PERSIST seconds (default 10) after
# the last program ends, so consecutive tests start fast.
#
#   wine-run.sh --check   exit status 1, with the reason on stderr, when this machine's kernel
#                         cannot run 32-bit programs at all (Wine's loader is one), so no Windows
#                         program can run here; 0 otherwise (a Wine that fails in another way
#                         fails where it is used, as before).
set -euo pipefail

if [[ ${1-} == --check ]]; then
  if ! out=$(wine --version 2>&1) && [[ $out == *"Exec format error"* ]]; then
    echo "${0##*/}: this machine's kernel cannot run 32-bit programs (Wine: \"$out\")" >&2
    exit 1
  fi
  exit 0
fi

default_prefix="$PWD/.wineprefix"
if [[ ${1-} == --default-prefix=* ]]; then
  default_prefix=${1#--default-prefix=}
  shift
fi
if [[ $# -lt 1 ]]; then
  echo "usage: ${0##*/} [--default-prefix=DIR] PROGRAM.exe [ARGS...]" >&2
  exit 2
fi

prefix=${ILLSXMK_WINEPREFIX:-$default_prefix}
mkdir -p "$(dirname -- "$prefix")"
prefix="$(cd -- "$(dirname -- "$prefix")" && pwd)/$(basename -- "$prefix")"

export WINEPREFIX="$prefix"
export WINEARCH=win32
export WINEDEBUG="${ILLSXMK_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
unset DISPLAY WAYLAND_DISPLAY

stamp="$prefix/.illsxmk-ready"
want="$(wine --version 2>/dev/null || true)"
persist="${ILLSXMK_WINESERVER_PERSIST:-10}"

prefix_ready() { [[ -f $stamp && "$(cat -- "$stamp")" == "$want" ]]; }

# Wine's background processes (wineserver, services.exe, ...) inherit the
# stderr of the wine process that starts them and keep it open for seconds
# after the program ends; ctest waits for that pipe to close (about 3 s per
# test). So under the lock: create the prefix if needed, then make sure a
# wineserver and the system processes are running with /dev/null as stdio.
exec 9>"$prefix.lock"
flock 9
if ! prefix_ready; then
  log="$prefix.init.log"
  # wineserver -w waits until everything is written and has shut down.
  # 9>&-: daemons must not inherit the lock's descriptor (and so the lock).
  if ! { wineboot -i && wineserver -w; } </dev/null >"$log" 2>&1 9>&-; then
    echo "${0##*/}: creating Wine prefix $prefix failed; see $log" >&2
    tail -n 20 -- "$log" >&2 || true
    exit 125
  fi
  printf '%s\n' "$want" >"$stamp"
fi
# Exit status 0: a new server was started (2: one is already running).
if wineserver -p"$persist" </dev/null >/dev/null 2>&1 9>&-; then
  wineboot </dev/null >/dev/null 2>&1 9>&- || true
fi
exec 9>&-

exec wine "$@"

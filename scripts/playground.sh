#!/usr/bin/env bash
# The playground in one command: installs what is missing (emscripten from Debian), builds the
# wasm preset, and serves the page on 127.0.0.1. The page is one file: it also opens from disk.
#   scripts/playground.sh [PORT]      (default 8765)
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8765}
case $port in
  ''|*[!0-9]*) echo "usage: scripts/playground.sh [PORT]" >&2; exit 2 ;;
esac

scripts/install-deps.sh --no-windows --playground
# emcc's own scripts need Debian's node modules (acorn).
export NODE_PATH=/usr/share/nodejs
cmake --preset wasm >/dev/null
cmake --build --preset wasm --target illsxmk-playground-page

dir=build/wasm/tools/playground
echo
echo "playground: http://127.0.0.1:$port/playground.html"
echo "playground: or open $PWD/$dir/playground.html from disk; Ctrl+C stops the server"
exec python3 -m http.server --bind 127.0.0.1 --directory "$dir" "$port"

#!/usr/bin/env bash
# The playground's tests, as CI runs them: installs emscripten, Chromium and the browser test's
# npm packages (pinned by package-lock.json, npm ci), builds the wasm preset, then runs the node
# test of the module and the real-browser test of the page in headless Chromium. When the native
# dev build is there (scripts/test.sh), the native illsxmk-replay also plays an exported session.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

scripts/install-deps.sh --no-windows --playground --browser
export NODE_PATH=/usr/share/nodejs
cmake --preset wasm >/dev/null
cmake --build --preset wasm --target illsxmk-playground-page
(cd tools/playground && npm ci --no-audit --no-fund)

dir=$PWD/build/wasm/tools/playground
export PLAYGROUND_MODULE=$dir/illsxmk-playground.js
export PLAYGROUND_PAGE=$dir/playground.html
export SCREENSHOT=$dir/playground.png
if [ -x build/dev/bin/illsxmk-replay ]; then
  export ILLSXMK_REPLAY=$PWD/build/dev/bin/illsxmk-replay
fi
node --test tools/playground/test/module.test.js tools/playground/test/browser.test.js
echo "playground-test: sizes: module $(stat -c %s "$PLAYGROUND_MODULE") bytes," \
  "page $(stat -c %s "$PLAYGROUND_PAGE") bytes; $((SECONDS - start)) s"

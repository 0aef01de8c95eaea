#!/usr/bin/env bash
# Runs the integration guide's recipe (docs/integration.md, the blocks marked
# "<!-- recipe: NAME -->") as written, from an empty folder: the SDK folder made from the stand-in,
# the library built against it with its tests, the install, a program built against the install
# and run, the program once more through the CMake package; natively and for 32-bit Windows
# (under Wine). All blocks run in one shell, in the guide's order, stopping at the first failing
# command. The "start" block runs with HOME at build/recipe/home, which holds this checkout as
# ~/libillsxmk, so that it names the reader's folders there. The "packages" block runs as
# written when this runs as root; otherwise its packages must be installed. Each program must
# print the line that the guide says it prints, and the listing of the DLL's imports must name
# as many names as the import list has for the DLL. Assumes scripts/install-deps.sh ran.
#   --no-windows   the native blocks only (quick local runs)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
guide=docs/integration.md
blocks=(python3 scripts/recipe_blocks.py "$guide")

windows=1
for arg in "$@"; do
    case "$arg" in
        --no-windows) windows=0 ;;
        *) echo "usage: scripts/recipe-check.sh [--no-windows]" >&2; exit 2 ;;
    esac
done

# The Windows blocks run 32-bit programs under Wine: on a machine whose kernel runs none, said loudly.
if [ "$windows" = 1 ] && ! cmake/wine-run.sh --check; then
    echo "recipe-check: NOT RUN: the guide's Windows blocks (this machine cannot run them)" >&2
    windows=0
fi

start=$SECONDS
fail() {
    echo "recipe-check: $*" >&2
    exit 1
}

python3 scripts/recipe_blocks_test.py 2>&1 | tail -n 1

# Every block of the guide is run or checked here: a new name needs its place.
known="imports native package package-windows packages prints program start windows"
[ "$("${blocks[@]}" --names | sort -u | xargs)" = "$known" ] ||
    fail "$guide has recipe blocks other than: $known"

# The first blocks run with the reader's HOME, the rest with ours.
first=(start)
names=(program native package)
programs=2
if [ "$windows" = 1 ]; then
    names+=(windows imports package-windows)
    programs=4
fi
if [ "$(id -u)" = 0 ]; then
    first=(packages start)
else
    missing=()
    for package in $("${blocks[@]}" --packages); do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done
    [ ${#missing[@]} = 0 ] || fail "the guide's packages are not installed: ${missing[*]}"
fi

out=$root/build/recipe
home=$out/home
rm -rf "$home"
mkdir -p "$home"
ln -s "$root" "$home/libillsxmk"
{
    # The trace goes apart from the commands' output, which the checks below read.
    printf 'exec 9>%q\nBASH_XTRACEFD=9\nset -x\n' "$out/trace.log"
    printf 'HOME=%q\n' "$home"
    "${blocks[@]}" --script "${first[@]}"
    printf 'HOME=%q\n' "$HOME"
    "${blocks[@]}" --script "${names[@]}"
} >"$out/recipe.sh"
# One Wine prefix for every Windows program, kept between runs (wine-run.sh makes it once).
export ILLSXMK_WINEPREFIX=$out/wineprefix

echo "recipe-check: running ${first[*]} ${names[*]} from $guide in $home (output: $out/output.log)"
if ! bash -euo pipefail "$out/recipe.sh" >"$out/output.log" 2>&1; then
    tail -n 30 "$out/output.log" >&2
    tail -n 5 "$out/trace.log" >&2
    fail "a command of the recipe failed (above: the ends of $out/output.log and trace.log)"
fi
# Windows programs end their lines with CR LF.
tr -d '\r' <"$out/output.log" >"$out/output-lines.log"

while IFS= read -r line; do
    [ -n "$line" ] || continue
    seen=$(grep -cxF -- "$line" "$out/output-lines.log" || true)
    [ "$seen" = "$programs" ] ||
        fail "the guide says each of the $programs programs prints '$line'; printed $seen times"
done < <("${blocks[@]}" --prints)

# The guide's listing of what the DLL imports from the viewer names as many as the import list
# has for the DLL (interface_imports, run by the recipe's ctest, compares them name by name).
if [ "$windows" = 1 ]; then
    listed=$(python3 -c 'import sys
sys.dont_write_bytecode = True
sys.path.insert(0, "tests/interface")
import check_imports
entries, _ = check_imports.read_list("tests/interface/viewer_imports.txt")
print(sum("mingw" in builds for builds in entries.values()))')
    printed=$(awk '/^::recipe-block / { on = ($2 == "imports"); next } on' \
        "$out/output-lines.log" | wc -l)
    [ "$printed" = "$listed" ] ||
        fail "the guide's import listing printed $printed names; the list has $listed for mingw"
fi

echo "recipe-check: passed: the guide's recipe ran as written and its $programs programs printed" \
    "what it says ($((SECONDS - start)) s)"

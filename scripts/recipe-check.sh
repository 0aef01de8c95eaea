#!/usr/bin/env bash
# Runs the integration guide's recipe (docs/integration.md, the blocks marked
# "<!-- recipe: NAME -->") as written, from an empty folder, build/recipe/work: the SDK folder made
# from the stand-in, the library built against it with its tests, the install, a program built
# against the install and run, the program once more through the CMake package; natively and for
# 32-bit Windows (under Wine). The "start" block names the reader's folders: here SRC is this
# checkout and the work folder is build/recipe/work; every other block runs unchanged, in one
# shell, stopping at the first failing command. The packages that the guide lists must be
# installed, and each program must print the line that the guide says it prints.
# Assumes scripts/install-deps.sh ran.
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

start=$SECONDS
fail() {
    echo "recipe-check: $*" >&2
    exit 1
}

missing=()
for package in $("${blocks[@]}" --packages); do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} = 0 ] || fail "the guide's packages are not installed: ${missing[*]}"

# Every block of the guide is run or checked here: a new name needs its place.
known="native package package-windows packages prints program start windows"
[ "$("${blocks[@]}" --names | sort -u | xargs)" = "$known" ] ||
    fail "$guide has recipe blocks other than: $known"

names=(program native package)
programs=2
if [ "$windows" = 1 ]; then
    names+=(windows package-windows)
    programs=4
fi

out=$root/build/recipe
work=$out/work
rm -rf "$work"
mkdir -p "$work"
{
    printf 'SRC=%q\ncd %q\n' "$root" "$work"
    "${blocks[@]}" --script "${names[@]}"
} >"$out/recipe.sh"
# One Wine prefix for every Windows program, kept between runs (wine-run.sh makes it once).
export ILLSXMK_WINEPREFIX=$out/wineprefix

echo "recipe-check: running ${names[*]} from $guide in $work (log: $out/recipe.log)"
if ! bash -euo pipefail -x "$out/recipe.sh" >"$out/recipe.log" 2>&1; then
    tail -n 40 "$out/recipe.log" >&2
    fail "a command of the recipe failed (above: the end of $out/recipe.log)"
fi

# Windows programs end their lines with CR LF.
tr -d '\r' <"$out/recipe.log" >"$out/recipe-lines.log"
while IFS= read -r line; do
    [ -n "$line" ] || continue
    seen=$(grep -cxF -- "$line" "$out/recipe-lines.log" || true)
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
    printed=$(awk '/^\+ i686-w64-mingw32-c\+\+filt/ { on = 1; next } /^\+ / { on = 0 } on' \
        "$out/recipe-lines.log" | wc -l)
    [ "$printed" = "$listed" ] ||
        fail "the guide's import listing printed $printed names; the list has $listed for mingw"
fi

echo "recipe-check: passed: the guide's recipe ran as written and its $programs programs printed" \
    "what it says ($((SECONDS - start)) s)"

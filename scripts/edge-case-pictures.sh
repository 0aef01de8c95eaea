#!/usr/bin/env bash
# Draws the pictures of the edge-case guide (docs/edge-cases.md). For every line of
# docs/edge-case-frames.txt ("scenario frame") it plays examples/<scenario>.json with
# illsxmk-replay and draws that frame over the run's scene.svg into docs/img/<scenario>.svg; pictures of scenarios no longer
# listed are removed. The same scenarios always give the same pictures, so running it twice
# changes nothing. Run it after a change to what the replay draws, then commit docs/img/:
# tests_edge_case_pictures fails while a committed picture differs from what the replay draws.
#   scripts/edge-case-pictures.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
table="$root/docs/edge-case-frames.txt"
img="$root/docs/img"

# scripts/replay.sh installs what is missing and builds the tool in build/replay-release;
# --help makes it stop there.
"$root/scripts/replay.sh" --help >/dev/null
replay="$root/build/replay-release/bin/illsxmk-replay"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$img"
drawn=()
while read -r scenario frame extra; do
    [[ -z "${scenario:-}" || "$scenario" == \#* ]] && continue
    if [[ -n "${extra:-}" || ! "${frame:-}" =~ ^[0-9]+$ ]]; then
        echo "edge-case-pictures: $table: bad line: $scenario $frame $extra" >&2
        exit 1
    fi
    json="$root/examples/$scenario.json"
    if ! "$replay" "$json" --out "$work/$scenario" >"$work/$scenario.log" 2>&1; then
        cat "$work/$scenario.log" >&2
        echo "edge-case-pictures: $json did not replay cleanly" >&2
        exit 1
    fi
    svg="$(printf '%s/%s/frame-%03d.svg' "$work" "$scenario" "$((10#$frame))")"
    if [[ ! -f "$svg" ]]; then
        echo "edge-case-pictures: $json has no frame $frame" >&2
        exit 1
    fi
    # One picture: the frame's reference to the scene replaced by the scene's drawing (its lines
    # between the <svg> line and the closing </svg>).
    sed -e '1,2d' -e '$d' "$work/$scenario/scene.svg" >"$work/$scenario/scene-body"
    sed -e "/^<image class=\"scene\" /{r $work/$scenario/scene-body" -e 'd}' "$svg" \
        >"$img/$scenario.svg"
    drawn+=("$scenario.svg")
done <"$table"

for old in "$img"/*.svg; do
    [[ -e "$old" ]] || continue
    name="$(basename "$old")"
    [[ " ${drawn[*]} " == *" $name "* ]] || rm -f "$old"
done
echo "edge-case-pictures: ${#drawn[@]} pictures in docs/img/" >&2

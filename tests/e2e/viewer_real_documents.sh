#!/usr/bin/env bash
# Loads the documents real exporters wrote with pellux-view and checks what the summary counts,
# that the rendered picture is not empty, that the summary is the same without a display and that
# the animated documents move.
# Usage: viewer_real_documents.sh VIEWER SHARED_DATA_DIRECTORY
set -euo pipefail

viewer=$1
data=$2
if [[ ! -d $data ]]; then
    echo "SKIP: no exported documents at $data"
    exit 0
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# file | summary counts | whether the picture shows something
cases=(
    "collada/apc-model.dae|meshes=3 submeshes=3 triangles=247 lights=1 cameras=0 animations=2|yes"
    "collada/construction_cone.dae|meshes=1 submeshes=1 triangles=166 lights=1 cameras=0 animations=0|yes"
    "collada/duck.dae|meshes=1 submeshes=1 triangles=4212 lights=1 cameras=1 animations=0|yes"
    "collada/duck_triangulate.dae|meshes=1 submeshes=1 triangles=4212 lights=1 cameras=1 animations=0|yes"
    "collada/node_lookat_max.dae|meshes=1 submeshes=1 triangles=12 lights=1 cameras=1 animations=0|yes"
    "collada/cube_with_2UVs.DAE|meshes=1 submeshes=1 triangles=12 lights=0 cameras=0 animations=0|yes"
    "collada/box_nested_animation.dae|meshes=1 submeshes=1 triangles=12 lights=0 cameras=0 animations=1|yes"
    "collada/library_animation_clips.dae|meshes=1 submeshes=1 triangles=52 lights=0 cameras=0 animations=12|yes"
    "ogre/ninja.mesh.xml|meshes=1 submeshes=2 triangles=1008 lights=0 cameras=0 animations=0|yes"
    "ogre/TheThing.mesh.xml|meshes=1 submeshes=1 triangles=2656 lights=0 cameras=0 animations=0|yes"
)

for entry in "${cases[@]}"; do
    IFS='|' read -r file counts shows <<< "$entry"
    status=0
    "$viewer" "$data/$file" --summary --png "$work/picture.png" --size 320x240 > "$work/summary" 2> "$work/log" || status=$?
    first=$(head -n 1 "$work/summary")
    if [[ $status -ne 0 ]]; then
        echo "FAIL $file: exit status $status"; tail -n 5 "$work/log"; failures=$((failures + 1)); continue
    fi
    if [[ $first != "scene: "*"$counts materials="* ]]; then
        echo "FAIL $file: summary '$first' lacks '$counts'"; failures=$((failures + 1)); continue
    fi
    brightest=$(convert "$work/picture.png" -format "%[fx:maxima]" info:)
    if [[ $shows == yes && $brightest == 0 ]] || [[ $shows == no && $brightest != 0 ]]; then
        echo "FAIL $file: the picture's brightest value is $brightest"; failures=$((failures + 1)); continue
    fi
    # The summary alone needs no display and says the same, byte for byte; with leak detection on
    # it comes out whole all the same.
    status=0
    env -u DISPLAY ASAN_OPTIONS=detect_leaks=1 "$viewer" "$data/$file" --summary > "$work/checked" 2> "$work/log" ||
        status=$?
    if [[ $status -ne 0 ]] || ! cmp -s "$work/summary" "$work/checked"; then
        echo "FAIL $file: without a display (exit status $status) the summary differs:"
        diff "$work/summary" "$work/checked" | head -n 5; tail -n 3 "$work/log"
        failures=$((failures + 1)); continue
    fi
    echo "ok   $file: $first"
done

# Each skin has a line of its own, and the first line counts them at its end.
for entry in "box_nested_animation.dae|skin Cube_mesh joints=1 influences=1" \
             "library_animation_clips.dae|skin Cube_mesh joints=5 influences=2"; do
    IFS='|' read -r file line <<< "$entry"
    env -u DISPLAY "$viewer" "$data/collada/$file" --summary > "$work/summary" 2> /dev/null || true
    if ! grep -qx "$line" "$work/summary" || ! head -n 1 "$work/summary" | grep -q ' materials=[0-9]* skins=1$'; then
        echo "FAIL $file: no '$line' or no skins=1 at the end of the first line"; failures=$((failures + 1))
    fi
done

# The animated documents move: their pictures at two times differ in more than a few pixels, each
# picture showing the model.
for entry in "apc-model.dae|0|1.5" "box_nested_animation.dae|0|0.8" "library_animation_clips.dae|0|0.4"; do
    IFS='|' read -r file early late <<< "$entry"
    "$viewer" "$data/collada/$file" --png "$work/early.png" --time "$early" --size 640x480 > /dev/null 2>&1
    "$viewer" "$data/collada/$file" --png "$work/late.png" --time "$late" --size 640x480 > /dev/null 2>&1
    moved=$(convert "$work/early.png" "$work/late.png" -compose difference -composite -colorspace gray \
                -threshold 10% -format "%[fx:round(mean*w*h)]" info:)
    if (( moved < 200 )); then
        echo "FAIL $file: only $moved pixels differ between $early s and $late s"; failures=$((failures + 1))
    else
        echo "ok   $file moves: $moved pixels differ between $early s and $late s"
    fi
done

# A relative picture path is meant from where the viewer was started.
(cd "$work" && "$viewer" "$data/collada/construction_cone.dae" --png relative.png --size 64x48 > /dev/null 2>&1) ||
    { echo "FAIL relative --png: the viewer failed"; failures=$((failures + 1)); }
[[ -s $work/relative.png ]] || { echo "FAIL relative --png: no picture in the working directory"; failures=$((failures + 1)); }

# Without its settings file the viewer says so in one line, ends with 1 and leaks nothing.
mkdir "$work/no-settings"
status=0
ASAN_OPTIONS=detect_leaks=1 "$viewer" "$data/collada/duck.dae" --summary --engine-dir "$work/no-settings" \
    > "$work/summary" 2> "$work/log" || status=$?
said=$(grep -c "^pellux-view: Datei existiert nicht: $work/no-settings/settings.txt$" "$work/log" || true)
others=$(grep -v '^pellux-view: Datei existiert nicht: \|^INFO:\|^$' "$work/log" | head -n 3 || true)
if [[ $status -ne 1 || $said -ne 1 || -n $others || -s $work/summary ]]; then
    echo "FAIL without settings: exit status $status, the missing file named $said times; $others"
    failures=$((failures + 1))
fi

# The duck of polygons draws as its triangulated twin does: pixels that differ by more than a tenth
# of the grey scale are counted.
"$viewer" "$data/collada/duck.dae" --png "$work/polylist.png" --size 320x240 > /dev/null 2>&1
"$viewer" "$data/collada/duck_triangulate.dae" --png "$work/triangles.png" --size 320x240 > /dev/null 2>&1
differing=$(convert "$work/polylist.png" "$work/triangles.png" -compose difference -composite -colorspace gray \
                -threshold 10% -format "%[fx:round(mean*w*h)]" info:)
if (( differing > 100 )); then
    echo "FAIL duck.dae: $differing pixels differ from duck_triangulate.dae"; failures=$((failures + 1))
fi
exit $((failures > 0))

#!/usr/bin/env bash
# pellux-view as a user calls it: each option's exit status and what goes to standard output and
# standard error, paths taken from the caller's directory, and a copy of the viewer run from
# elsewhere finding the engine's data beside itself.
# Usage: viewer_options.sh VIEWER TEST_DATA_DIRECTORY DEMO_DIRECTORY VERSION
set -euo pipefail

viewer=$1
data=$2
demo=$3
version=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

# Runs the viewer in $work/caller with the given arguments; its streams in $work/out and
# $work/err, its exit status in `status`.
run() {
    status=0
    (cd "$work/caller" && "$viewer" "$@") > "$work/out" 2> "$work/err" || status=$?
}

# A document, a copy of one with a texture found beside it and one found nowhere, one that holds
# nothing to draw and one that is no document at all.
mkdir -p "$work/caller/pictures" "$work/documents"
cp "$data/collada/instances.dae" "$work/documents/"
cp "$data/collada/effects.dae" "$data/collada/red.png" "$work/documents/"
cp "$data/collada/siblings.dae" "$work/documents/empty.dae"
echo "not a document" > "$work/documents/garbage.dae"
doc=../documents/instances.dae

# arguments | exit status | standard output | standard error: bash patterns, where * matches
# across lines and an empty pattern an empty stream.
cases=(
    "--help|0|usage: pellux-view FILE *Exit status: *|"
    "-h|0|usage: pellux-view FILE *left drag*|"
    "--version|0|pellux-view $version|"
    "$doc --bogus --version|0|pellux-view $version|"
    "|2||pellux-view: no file given
usage: pellux-view FILE *"
    "$doc other.dae|2||pellux-view: unexpected argument: other.dae
usage: pellux-view FILE *"
    "$doc -h2|2||pellux-view: unexpected argument: -h2
usage: pellux-view FILE *"
    "$doc --size 0x10|2||pellux-view: not a size: 0x10
usage: pellux-view FILE *"
    "$doc --png|2||pellux-view: --png needs a value
usage: pellux-view FILE *"
    "$doc --eye 1,2|2||pellux-view: not a point to look from: 1,2
usage: pellux-view FILE *"
    "$doc --quiet --verbose|2||pellux-view: --quiet and --verbose together
usage: pellux-view FILE *"
    "missing.dae --summary|1||pellux-view: cannot read missing.dae"
    "../documents/garbage.dae --summary --quiet|1||ERR:*COLLADA document could not be read: *
pellux-view: cannot read ../documents/garbage.dae"
    "../documents/empty.dae --summary --quiet|3|scene: nodes=8 meshes=0 submeshes=0 triangles=0 *|ERR:*
pellux-view: ../documents/empty.dae holds nothing to draw"
    "../documents/empty.dae --png pictures/empty.png --quiet|3||*
pellux-view: ../documents/empty.dae holds nothing to draw"
    "$doc --png absent/picture.png --quiet|1||*pellux-view: cannot write absent/picture.png"
    "$doc --summary --quiet|0|scene: nodes=9 meshes=2 *|"
    "$doc --tree --quiet|0|colladaRoot SceneNode
  *left_mesh MeshNode triangles=2*|"
    "../documents/effects.dae --summary --quiet|0|*
textures:
  red-image red.png found ../documents/red.png
  green-image green.png missing|ERR:*"
)

for entry in "${cases[@]}"; do
    IFS='|' read -r arguments expected_status expected_out expected_err <<< "${entry//$'\n'/$'\x1f'}"
    expected_out=${expected_out//$'\x1f'/$'\n'}
    expected_err=${expected_err//$'\x1f'/$'\n'}
    # shellcheck disable=SC2086 # the arguments are words
    run $arguments
    out=$(cat "$work/out")
    err=$(cat "$work/err")
    if [[ $status -ne $expected_status ]]; then
        fail "'$arguments': exit status $status, expected $expected_status"; head -n 5 "$work/err"
    elif [[ -z $expected_out && -n $out ]] || [[ $out != $expected_out ]]; then
        fail "'$arguments': standard output does not match '$expected_out':"; head -n 8 "$work/out"
    elif [[ -z $expected_err && -n $err ]] || [[ $err != $expected_err ]]; then
        fail "'$arguments': standard error does not match '$expected_err':"; head -n 8 "$work/err"
    else
        echo "ok   '$arguments': $status"
    fi
done
[[ ! -e $work/caller/pictures/empty.png ]] || fail "a picture of nothing was written"

# The log's amount: --quiet errors only, by default progress too, --verbose the tracing as well;
# what the viewer prints stays the same.
for amount in quiet normal verbose; do
    option=--$amount
    [[ $amount == normal ]] && option=
    run $doc --summary $option
    cp "$work/out" "$work/summary-$amount"
    info=$(grep -c '^INFO:' "$work/err" || true)
    trace=$(grep -c '^TRACE:' "$work/err" || true)
    case $amount in
        quiet) [[ ! -s $work/err ]] || fail "--quiet: standard error is not empty" ;;
        normal) [[ $info -gt 0 && $trace -eq 0 ]] || fail "by default: $info INFO lines and $trace TRACE lines" ;;
        verbose) [[ $trace -gt 0 ]] || fail "--verbose: no TRACE lines" ;;
    esac
done
cmp -s "$work/summary-quiet" "$work/summary-verbose" || fail "the summary depends on the log's amount"

# Relative paths are the caller's: the document and the picture, into a directory that exists.
run $doc --png pictures/instances.png --size 160x120
if [[ $status -ne 0 || ! -s $work/caller/pictures/instances.png ]]; then
    fail "--png pictures/instances.png: exit status $status, no picture"; head -n 5 "$work/err"
elif [[ $(convert "$work/caller/pictures/instances.png" -format "%[fx:maxima]" info:) == 0 ]]; then
    fail "--png pictures/instances.png: the picture is black"
else
    echo "ok   relative document and picture paths"
fi

# --eye places the camera: from (0, 0, 10), where the document's camera stands, the red tile lies
# left of the middle and the blue one right of it; from twice as far each covers about a quarter of
# the pixels.
coloured() {
    local picture=$1 colour=$2 left=$3
    local test="r > 2 * (g + b) + 0.1"
    [[ $colour == blue ]] && test="b > 2 * (r + g) + 0.1"
    convert "$picture" -crop "50%x100%+$((left * 80))+0" +repage -fx "$test" -format "%[fx:round(mean*w*h)]" info:
}
# Red pixels on the left and on the right, blue pixels on the left and on the right.
colour_places() {
    local picture=$work/caller/pictures/$1
    echo "$(coloured "$picture" red 0) $(coloured "$picture" red 1) $(coloured "$picture" blue 0)" \
         "$(coloured "$picture" blue 1)"
}
run $doc --png pictures/near.png --size 160x120 --eye 0,0,10 --quiet
near_status=$status
run $doc --png pictures/far.png --size 160x120 --eye 0,0,20 --quiet
if [[ $near_status -ne 0 || $status -ne 0 ]]; then
    fail "--eye: exit status $near_status near and $status far"; head -n 5 "$work/err"
else
    read -r red_near red_right_near blue_left_near blue_near <<< "$(colour_places near.png)"
    read -r red_far red_right_far blue_left_far blue_far <<< "$(colour_places far.png)"
    if ((red_right_near + blue_left_near + red_right_far + blue_left_far > 0)); then
        fail "--eye: red on the right or blue on the left"
    elif ((red_far == 0 || blue_far == 0 || red_near < 3 * red_far || red_near > 5 * red_far ||
           blue_near < 3 * blue_far || blue_near > 5 * blue_far)); then
        fail "--eye: red $red_near and blue $blue_near pixels near, red $red_far and blue $blue_far far"
    else
        echo "ok   --eye places the camera"
    fi
fi

# Copies of the viewer run from another directory, which has no settings.txt (and says nothing
# about it): one with the engine's data installed beside it, as in <prefix>/share/pellux, and one
# alone, which finds the data of the tree it was built in.
installed=$work/prefix/share/pellux/resources/shader
mkdir -p "$work/prefix/bin" "$work/alone" "$installed"
engine_data=$(cd "$demo/../engine/data" && pwd)
cp "$engine_data"/shader/{default,overlay}.{vert,frag} "$installed/"
for copy in prefix/bin alone; do
    cp "$viewer" "$work/$copy/pellux-view"
    picture=${copy//\//-}.png
    status=0
    (cd "$work/caller" && "$work/$copy/pellux-view" $doc --png "$picture" --size 160x120) \
        > "$work/out" 2> "$work/err" || status=$?
    shaders=$([[ $copy == alone ]] && echo "$engine_data/shader" || echo "$installed")
    if [[ $status -ne 0 || ! -s $work/caller/$picture ]]; then
        fail "copy in $copy: exit status $status, no picture"; head -n 5 "$work/err"
    elif ! grep -q "parse File: $shaders/default.vert\$" "$work/err"; then
        fail "copy in $copy: the default shader is not read from $shaders"; grep 'parse File' "$work/err" || true
    elif grep -q '^ERR:' "$work/err"; then
        fail "copy in $copy: error lines"; grep '^ERR:' "$work/err"
    else
        echo "ok   a copy in $copy reads the shaders in $shaders"
    fi
done
exit $((failures > 0))

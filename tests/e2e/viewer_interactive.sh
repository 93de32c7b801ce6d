#!/usr/bin/env bash
# pellux-view's window driven as a user drives it, with xdotool: a drag turns the picture, the wheel
# brings the scene nearer, 1 looks through the document's camera again, Space pauses, Escape ends
# the viewer with status 0.
# Usage: viewer_interactive.sh VIEWER TEST_DATA_DIRECTORY
set -euo pipefail

viewer=$1
data=$2

# The mouse and the keys reach the window under the pointer and in focus: an X server of its own.
if [[ -z ${PELLUX_OWN_X_SERVER:-} ]]; then
    exec env PELLUX_OWN_X_SERVER=1 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    [[ -s $work/err ]] && grep -v '^INFO:' "$work/err" | head -n 20
    exit 1
}

# Pictures are taken until two in a row are the same, so that every frame the last input asked
# for has been drawn.
settled_picture() {
    local name=$1 previous=$work/previous.png
    import -window "$window" "$previous"
    for ((attempt = 0; attempt < 300; attempt++)); do
        sleep 0.2
        import -window "$window" "$work/$name.png"
        [[ $(compare -metric AE "$previous" "$work/$name.png" null: 2>&1 || true) == 0 ]] && return 0
        cp "$work/$name.png" "$previous"
    done
    fail "the picture $name does not settle"
}

# How many pixels of two pictures differ by more than a tenth of the grey scale.
differing() {
    convert "$work/$1.png" "$work/$2.png" -compose difference -composite -colorspace gray -threshold 10% \
        -format "%[fx:round(mean*w*h)]" info:
}

# How many pixels of a picture show something: brighter than a twentieth of the grey scale.
lit() {
    convert "$work/$1.png" -colorspace gray -threshold 5% -format "%[fx:round(mean*w*h)]" info:
}

wait_for_title() {
    local pattern=$1
    for ((attempt = 0; attempt < 300; attempt++)); do
        [[ $(xdotool getwindowname "$window") == $pattern ]] && return 0
        sleep 0.1
    done
    fail "the window's title '$(xdotool getwindowname "$window")' is not '$pattern'"
}

# A drag in small steps, so that frames fall between the press, the moves and the release.
drag() {
    local button=$1 right=$2 down=$3
    xdotool mousemove --window "$window" 160 120
    xdotool mousedown "$button"
    for ((step = 0; step < 20; step++)); do
        xdotool mousemove_relative -- "$right" "$down"
        sleep 0.05
    done
    xdotool mouseup "$button"
}

ASAN_OPTIONS=detect_leaks=1 "$viewer" "$data/collada/instances.dae" --size 320x240 > "$work/out" 2> "$work/err" &
pid=$!
window=
for ((attempt = 0; attempt < 600; attempt++)); do
    kill -0 "$pid" 2> /dev/null || fail "the viewer ended before its window opened"
    window=$(xdotool search --name '^pellux-view: ' 2> /dev/null | head -n 1 || true)
    [[ -n $window ]] && break
    sleep 0.1
done
[[ -n $window ]] || fail "no window within 60 s"
wait_for_title "pellux-view: */instances.dae - camera *"
settled_picture first
(( $(lit first) > 500 )) || fail "the first picture shows almost nothing: $(lit first) pixels"

drag 1 5 0
settled_picture turned
wait_for_title "pellux-view: */instances.dae"
(( $(differing first turned) > 500 )) || fail "a drag changed only $(differing first turned) pixels"
echo "ok   a drag turns the picture: $(differing first turned) pixels differ"

xdotool click --repeat 3 4
settled_picture nearer
(( $(lit nearer) > $(lit turned) * 3 / 2 )) ||
    fail "the wheel did not bring the scene nearer: $(lit turned) pixels lit, then $(lit nearer)"
echo "ok   the wheel zooms: $(lit turned) pixels lit, then $(lit nearer)"

drag 3 -2 -1
settled_picture panned
(( $(differing nearer panned) > 500 )) || fail "a right drag changed only $(differing nearer panned) pixels"
echo "ok   a right drag pans: $(differing nearer panned) pixels differ"

xdotool key 1
wait_for_title "pellux-view: */instances.dae - camera *"
settled_picture again
(( $(differing first again) == 0 )) || fail "key 1 does not show the document's camera again"
echo "ok   key 1 looks through the document's camera again"

xdotool key space
wait_for_title "* - paused"
echo "ok   Space pauses"

xdotool key Escape
status=0
wait "$pid" || status=$?
pid=
[[ $status -eq 0 ]] || fail "exit status $status after Escape"
[[ ! -s $work/out ]] || fail "standard output is not empty"
! grep -q '^ERR:' "$work/err" || fail "error lines"
echo "ok   Escape ends the viewer with status 0"

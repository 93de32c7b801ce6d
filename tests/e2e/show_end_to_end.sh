#!/usr/bin/env bash
# Plays the whole show on an X server of its own at 1280 x 720, capturing pictures on the way, with
# OpenGL's error flags read after every part of every frame, and checks how it ends, that no OpenGL
# error was raised, and what the pictures show.
# Usage: show_end_to_end.sh DEMO_BINARY DEMO_DIRECTORY
set -euo pipefail

demo=$1
demo_directory=$2

if [[ -z ${PELLUX_OWN_X_SERVER:-} ]]; then
    exec env PELLUX_OWN_X_SERVER=1 xvfb-run -a -s "-screen 0 1280x720x24 -noreset" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    grep -E "^(ERR|INFO:.*FPS)" "$work/out" | head -n 40 || true
    exit 1
}

cd "$demo_directory"
status=0
PELLUX_GL_CHECK=1 timeout 600 "$demo" --capture "$work/pictures" --capture-at 5,30,60,82 > "$work/out" 2> "$work/err" || status=$?
[[ $status -eq 0 ]] || fail "exit status $status, expected 0 once the animation passed 83 s"
grep -qP '^INFO:\t\[ \S+ *\(\d+\)\]:\tFPS: \d+\.\d$' "$work/out" || fail "no frame-rate line"
! grep -q "OpenGL error" "$work/out" || fail "OpenGL raised errors"
! grep -q "^ERR" "$work/out" || fail "the show logged errors"

# mean and standard deviation of the picture's brightness, from 0 to 1
measure() {
    convert "$1" -colorspace Gray -format "%[fx:mean] %[fx:standard_deviation]\n" info:
}
darkest=1
for moment in 5 30 60; do
    picture="$work/pictures/$moment.png"
    [[ -f $picture ]] || fail "no picture at $moment s"
    read -r mean deviation < <(measure "$picture")
    awk -v mean="$mean" -v deviation="$deviation" 'BEGIN { exit !(mean > 0.04 && deviation > 0.03) }' ||
        fail "the picture at $moment s is black or of one colour (mean $mean, deviation $deviation)"
    echo "ok   $moment s: mean $mean, deviation $deviation"
    darkest=$(awk -v mean="$mean" -v darkest="$darkest" 'BEGIN { print (mean < darkest ? mean : darkest) }')
done
# From 79 + pi/2 s the fade lets nothing through; a frame drawn at 82 s is black whatever the frame
# rate, even with the fade of the frame before it.
read -r mean deviation < <(measure "$work/pictures/82.png")
awk -v mean="$mean" 'BEGIN { exit !(mean < 0.002) }' || fail "the picture at 82 s is not black (mean $mean)"
echo "ok   82 s: mean $mean"
echo "PASS: $(grep -c 'FPS: ' "$work/out") frame-rate lines"

#!/usr/bin/env bash
# Runs the demo the way a user does and checks what it writes and how it ends.
# Usage: demo_end_to_end.sh SCENARIO DEMO_BINARY DEMO_DIRECTORY
set -euo pipefail

scenario=$1
demo=$2
demo_directory=$3

# Key presses go to the focused window, and window sizes are measured against a desktop of known
# size, so these scenarios get an X server of their own.
if [[ ($scenario == escape-ends-with-zero || $scenario == settings-choose-the-window) &&
      -z ${PELLUX_OWN_X_SERVER:-} ]]; then
    exec env PELLUX_OWN_X_SERVER=1 xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$0" "$@"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*"
    for stream in out err; do
        if [[ -s $work/$stream ]]; then
            echo "--- std$stream:"
            head -n 60 "$work/$stream"
        fi
    done
    exit 1
}

wait_for_exit() {
    local pid=$1 seconds=$2
    for ((tick = 0; tick < seconds * 10; tick++)); do
        kill -0 "$pid" 2> /dev/null || return 0
        sleep 0.1
    done
    kill -9 "$pid"
    fail "the demo did not end within $seconds s"
}

expect_line() {
    local pattern=$1
    grep -qP "$pattern" "$work/out" || fail "no line matches: $pattern"
}

# Starts the demo in the background, its process id in `pid`, and waits for its first frame-rate
# line. The show leaves nothing behind unreachable, so leaks are reported.
start_until_first_frame() {
    cd "$demo_directory"
    ASAN_OPTIONS=detect_leaks=1 "$demo" > "$work/out" 2> "$work/err" &
    pid=$!
    for ((tick = 0; tick < 1200; tick++)); do
        grep -q 'FPS: ' "$work/out" && break
        kill -0 "$pid" 2> /dev/null || fail "the demo ended before its first frame-rate line"
        sleep 0.1
    done
    grep -q 'FPS: ' "$work/out" || fail "no frame-rate line within 120 s"
}

escape_ends_with_zero() {
    local pid
    start_until_first_frame

    xdotool key Escape
    wait_for_exit "$pid" 30
    local status=0
    wait "$pid" || status=$?
    [[ $status -eq 0 ]] || fail "exit status $status after Escape, expected 0"

    [[ "$(head -c 5 "$work/out" | od -An -c | tr -d ' \n')" == '\n\n\n\n\n' ]] ||
        fail "the log does not open with five empty lines"
    sed -n 6p "$work/out" | grep -q . || fail "more than five empty lines open the log"

    # Every line after the opening ones: level, tab, "[ ", the source name padded to 20, line number;
    # but the shader builder's own lines, and the empty line its link message ends with.
    tail -n +6 "$work/out" | perl -ne '
        chomp;
        next if /^$/ || /^finished loading shader: /;
        my ($source) = /^(?:TRACE|DEBUG|INFO|ERR):\t\[ (\S+ *) \(\d+\)\]:\t/;
        if (!defined $source || length($source) < 20 || ($source =~ / $/ && length($source) != 20)) {
            print "not in the log layout: $_\n"; $bad = 1;
        }
        END { exit($bad ? 1 : 0) }' || fail "lines out of the log layout"

    expect_line '^INFO:\t\[ RenderEngine\.cpp {5}\(\d+\)\]:\tGLFW initialized$'
    expect_line '^INFO:\t\[ RenderEngine\.cpp {5}\(\d+\)\]:\tOpenGL 3\.2 core context created$'
    expect_line '^INFO:\t\[ RenderEngine\.cpp {5}\(\d+\)\]:\tGLEW initialized$'
    expect_line '^INFO:\t\[ \S+ *\(\d+\)\]:\tFPS: \d+\.\d$'
    [[ ! -s $work/err ]] || fail "the demo wrote to standard error"
}

# As any program, the demo ends on the end signal (and on Ctrl+C, which a script cannot send to a
# program it started in the background).
end_signal_ends_the_demo() {
    local pid
    start_until_first_frame
    kill -TERM "$pid"
    wait_for_exit "$pid" 10
    local status=0
    wait "$pid" || status=$?
    [[ $status -eq 143 ]] || fail "exit status $status after the end signal, expected 143"
}

missing_settings_ends_with_one() {
    mkdir "$work/empty"
    cd "$work/empty"
    local status=0
    # What the engine root had built before the settings were found missing is freed, not leaked.
    ASAN_OPTIONS=detect_leaks=1 "$demo" > "$work/out" 2> "$work/err" || status=$?
    [[ $status -eq 1 ]] || fail "exit status $status without settings.txt, expected 1"
    [[ "$(cat "$work/err")" == "Datei existiert nicht: $work/empty/settings.txt" ]] ||
        fail "standard error does not name the missing settings file"
    ! grep -q '^ERR' "$work/out" || fail "the log reports an error besides the missing file"
}

no_display_ends_with_one() {
    cd "$demo_directory"
    local status=0
    env -u DISPLAY "$demo" > "$work/out" 2> "$work/err" || status=$?
    [[ $status -eq 1 ]] || fail "exit status $status without a display, expected 1"
    expect_line '^ERR:\t\[ RenderEngine\.cpp {5}\(\d+\)\]:\tCould not init GLFW!$'
    [[ ! -s $work/err ]] || fail "the demo wrote to standard error"
}

# The window that the [graphics] lines of settings.txt give on a 1920 x 1080 desktop, measured on
# the picture of the first frame, and the ERR lines that say what could not be used.
settings_choose_the_window() {
    local range='is out of range \(1 to \d+ here\); '
    local unused='; the default is used'
    # settings lines | picture size | ERR messages, ';;' between them
    local cases=(
        "fullscreen = false;width = 640;height = 480|640x480|"
        "fullscreen = No;width = 2000;height = 300|2000x300|"
        "fullscreen = 0;width = 65536;height = 480|1920x480|width = 65536 ${range}1920 is used instead"
        "fullscreen = off;width = 640;height = 70000|640x1080|height = 70000 ${range}1080 is used instead"
        "fullscreen = 0;width = -640;height = wide|1920x1080|width = -640 is negative$unused;;height = wide is not a whole number$unused"
        "fullscreen = maybe;width = 640;height = 480|1920x1080|fullscreen = maybe is none of 1/0, true/false, yes/no, on/off$unused"
        "fullscreen = 1;width = 640;height = 480|1920x1080|"
    )
    local entry
    for entry in "${cases[@]}"; do
        local lines size messages
        IFS='|' read -r lines size messages <<< "$entry"
        local run=$work/run
        rm -rf "$run"
        mkdir -p "$run"
        ln -s "$demo_directory/resources" "$run/resources"
        { echo "[graphics]"; tr ";" "\n" <<< "$lines"; echo "[font]"; echo "fontDir = resources/fonts"; } > "$run/settings.txt"
        (cd "$run" && exec "$demo" --capture "$run/pictures" --capture-at 0) > "$work/out" 2> "$work/err" &
        local pid=$! measured=
        for ((tick = 0; tick < 1200; tick++)); do
            measured=$(identify -format '%wx%h' "$run/pictures/0.png" 2> /dev/null) && break
            kill -0 "$pid" 2> /dev/null || fail "$lines: the demo ended before its first picture"
            sleep 0.1
        done
        kill -KILL "$pid" 2> /dev/null || fail "$lines: the demo ended after its first picture"
        wait "$pid" 2> /dev/null || true
        [[ $measured == "$size" ]] || fail "$lines: the window is '$measured', expected $size"
        [[ ! -s $work/err ]] || fail "$lines: the demo wrote to standard error"

        local expected=()
        [[ -z $messages ]] || mapfile -t expected < <(sed 's/;;/\n/g' <<< "$messages")
        local errors
        errors=$(grep -c '^ERR' "$work/out" || true)
        ((errors == ${#expected[@]})) || fail "$lines: $errors ERR lines, expected ${#expected[@]}"
        local message
        for message in "${expected[@]}"; do
            expect_line "^ERR:\t\[ \S+ *\(\d+\)\]:\tsettings\.txt \[graphics\]: $message\$"
        done
    done
}

case $scenario in
    escape-ends-with-zero) escape_ends_with_zero ;;
    end-signal-ends-the-demo) end_signal_ends_the_demo ;;
    missing-settings-ends-with-one) missing_settings_ends_with_one ;;
    no-display-ends-with-one) no_display_ends_with_one ;;
    settings-choose-the-window) settings_choose_the_window ;;
    *) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"

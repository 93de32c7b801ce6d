#!/usr/bin/env bash
# Builds the example against an installed Pellux as a user would, through find_package in a CMake
# project of its own or through pkg-config on the compiler's command line, installs it beside the
# library and runs it from an empty directory for a few frames: it must find the engine's shaders
# where they are installed and draw the example's scene.
# Usage: installed_example.sh find-package|pkg-config PREFIX EXAMPLES_DIRECTORY
set -euo pipefail

way=$1
prefix=$2
examples=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL ($way): $*"
    for stream in build.log out err; do
        if [[ -s $work/$stream ]]; then
            echo "--- $stream:"
            tail -n 40 "$work/$stream"
        fi
    done
    exit 1
}

case $way in
    find-package)
        program=$prefix/bin/hello_scene
        { cmake -S "$examples" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" &&
          cmake --build "$work/build" && cmake --install "$work/build"; } > "$work/build.log" 2>&1 ||
            fail "the example did not build against the installed package"
        ;;
    pkg-config)
        program=$prefix/bin/hello_scene-pkg-config
        flags=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --cflags --libs pellux) ||
            fail "pkg-config does not know pellux"
        # shellcheck disable=SC2086 # the flags are words
        c++ -std=c++17 "$examples/hello_scene.cpp" -o "$program" $flags > "$work/build.log" 2>&1 ||
            fail "the example did not build with the flags of pkg-config: $flags"
        ;;
    *)
        echo "unknown way: $way"; exit 2 ;;
esac

# A sanitizer build's library keeps its runtime's checks; what the system libraries keep to the end
# is theirs, as for every program of the tree.
printf 'leak:swrast_dri.so\nleak:libdbus-1.so\n' > "$work/system-leaks"
export ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0
export LSAN_OPTIONS=suppressions=$work/system-leaks:print_suppressions=0

# A shared library in a prefix of its own is found as users find it.
export LD_LIBRARY_PATH=$prefix/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}

mkdir "$work/run"
cd "$work/run"
status=0
"$program" "$examples/hello_scene.dae" 5 picture.png > "$work/out" 2> "$work/err" || status=$?
[[ $status -eq 0 ]] || fail "exit status $status"
[[ ! -s $work/err ]] || fail "the example wrote to standard error"

# Without a settings file of its own the example runs with the defaults, said in one line; everything
# else it needs comes from the installed data.
errors=$(grep -c '^ERR:' "$work/out" || true)
grep -qF "]:"$'\t'"no settings file $work/run/settings.txt: every setting takes its default" "$work/out" &&
    [[ $errors -eq 1 ]] || fail "the log's ERR lines are not just the one of the missing settings"

[[ $(identify -format '%wx%h' picture.png) == 800x600 ]] || fail "the picture is not 800 x 600"
# The orange cube: a good share of the picture is clearly orange, and the lit floor is not black.
orange=$(convert picture.png -fx 'r > 0.35 && g < 0.75 * r && b < 0.6 * g' -format '%[fx:mean]' info:)
lit=$(convert picture.png -colorspace gray -format '%[fx:mean]' info:)
awk -v orange="$orange" -v lit="$lit" 'BEGIN { exit !(orange > 0.02 && lit > 0.05) }' ||
    fail "the picture does not show the lit cube: orange share $orange, mean brightness $lit"
echo "ok ($way): orange share $orange, mean brightness $lit"

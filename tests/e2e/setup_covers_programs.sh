#!/usr/bin/env bash
# Checks that scripts/setup installs what the build, the tests, the benchmarks and the fuzzer run:
# the Debian package of every program they call is one it lists, one those depend on, or one that
# every Debian system has (Essential).
# Usage: setup_covers_programs.sh SETUP_SCRIPT
set -euo pipefail

setup=$1
if ! command -v apt-cache > /dev/null || ! command -v dpkg > /dev/null; then
    echo "SKIP: not a Debian system"
    exit 0
fi

# program | who runs it
programs=(
    "cmake|every script"
    "ninja|every script's -G Ninja"
    "c++|the build"
    "pkg-config|the build's pkg_check_modules"
    "xvfb-run|scripts without a display"
    "xauth|xvfb-run"
    "xdotool|key presses in tests"
    "convert|picture checks in tests"
    "identify|window size checks in tests"
    "perl|the log layout check"
    "clang++|scripts/fuzz"
)

mapfile -t listed < <("$setup" --list bench fuzz)
covered=$(apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts --no-breaks \
              --no-replaces --no-enhances "${listed[@]}" 2> /dev/null | grep -v '^ ' | sort -u)

failures=0
for entry in "${programs[@]}"; do
    IFS='|' read -r program user <<< "$entry"
    # Debian puts its programs in /usr/bin; alternatives and version links lead to the file it owns.
    path=$(readlink -f "/usr/bin/$program" || true)
    owner=$(dpkg -S "$path" 2> /dev/null | head -n 1 | cut -d: -f1 || true)
    if [[ -z $owner ]]; then
        echo "FAIL $program ($user): no Debian package on this machine holds /usr/bin/$program"
        failures=$((failures + 1))
    elif ! grep -qx "$owner" <<< "$covered" && [[ $(dpkg-query -W -f='${Essential}' "$owner") != yes ]]; then
        echo "FAIL $program ($user): its package $owner is not installed by $setup"
        failures=$((failures + 1))
    else
        echo "ok   $program: $owner"
    fi
done
exit $((failures > 0))

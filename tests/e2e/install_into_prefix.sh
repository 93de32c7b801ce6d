#!/usr/bin/env bash
# Installs the built tree into a fresh prefix, as `cmake --install` does for a user, and checks that
# everything a program built against Pellux needs lies where the package files say.
# Usage: install_into_prefix.sh BUILD_DIRECTORY PREFIX
set -euo pipefail

build=$1
prefix=$2

rm -rf "$prefix"
cmake --install "$build" --prefix "$prefix" > /dev/null

failures=0
expect() {
    [[ -e $prefix/$1 ]] || { echo "FAIL: $1 is not installed"; failures=$((failures + 1)); }
}

compgen -G "$prefix/lib/libpellux.*" > /dev/null || { echo "FAIL: no library in lib/"; failures=$((failures + 1)); }
for header in Version.h core/Tavrin.h core/RenderEngine.h foundation/DataDirectories.h collada/ColladaSceneloader.h \
              scene/Scene.h; do
    expect "include/pellux/$header"
done
for shader in default.vert default.frag parallax.vert parallax.frag relief.frag overlay.vert overlay.frag; do
    expect "share/pellux/resources/shader/$shader"
done
for file in PelluxConfig.cmake PelluxConfigVersion.cmake PelluxTargets.cmake; do
    expect "lib/cmake/Pellux/$file"
done
expect lib/pkgconfig/pellux.pc
expect share/doc/Pellux/LICENSE
expect share/doc/Pellux/examples/hello_scene.cpp

version=$(sed -n 's/^#define PELLUX_VERSION "\(.*\)"$/\1/p' "$prefix/include/pellux/Version.h")
pc_version=$(PKG_CONFIG_PATH=$prefix/lib/pkgconfig pkg-config --modversion pellux)
[[ -n $version && $version == "$pc_version" ]] ||
    { echo "FAIL: Version.h says '$version', pellux.pc '$pc_version'"; failures=$((failures + 1)); }
exit $((failures > 0))

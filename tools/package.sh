#!/usr/bin/env bash
# Builds the game's Debian package: a Release build without tests or the web server in
# build/package, then cpack for the game's component. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
source ./setup.sh
quellan_install_missing
build=build/package
# The build's own output goes to stderr: stdout is the package's path alone.
quellan_build "$build" Release -DBUILD_TESTING=OFF -DQUELLAN_BUILD_SERVER=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >&2
rm -rf "$build/deb"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$build/deb" >&2
shopt -s nullglob
packages=("$build"/deb/*.deb)
if ((${#packages[@]} != 1)); then
    echo "expected one package in $build/deb, found ${#packages[@]}" >&2
    exit 1
fi
realpath "${packages[0]}"

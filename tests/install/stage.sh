#!/usr/bin/env bash
# Made once per test run for the install tests: the build installed into a
# DESTDIR staging folder, and the Debian package CPack makes of it.
#   stage.sh BUILD_DIR STAGE_DIR
set -euo pipefail
build=$1
stage=$2
rm -rf "$stage"
mkdir -p "$stage/package"
DESTDIR="$stage/root" cmake --install "$build" >"$stage/install.log"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$stage/package" >"$stage/package.log" 2>&1 ||
    { cat "$stage/package.log"; exit 1; }
ls "$stage"/package/*.deb

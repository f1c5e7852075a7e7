#!/usr/bin/env bash
# The Debian package through lintian: any error or warning fails, unless the
# README lists its tag with the reason for it (section "What lintian may
# report").
#   lintian_test.sh STAGE_DIR PREFIX BUILD_DIR README
# A build for a prefix other than /usr (make install's /usr/local) is packaged
# again below /usr for this check, as `make package` packages it.
set -u
stage=$1
prefix=${2%/}
build=$3
readme=$4

if [ "$prefix" = /usr ]; then
    debs=("$stage"/package/*.deb)
else
    rm -rf "$stage/lint-package"
    mkdir -p "$stage/lint-package"
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$stage/lint-package" \
        -D CPACK_PACKAGING_INSTALL_PREFIX=/usr >"$stage/lint-package.log" 2>&1 ||
        { cat "$stage/lint-package.log"; exit 1; }
    debs=("$stage"/lint-package/*.deb)
fi
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one package, found: ${debs[*]}"; exit 1; }
deb=${debs[0]}
[ "$(dpkg-deb --contents "$deb" | awk '{print $6}' | grep -c '^\./usr/local')" -eq 0 ] ||
    { echo "FAIL: $deb holds files below /usr/local"; exit 1; }

# The tags the README allows: "| `tag` | reason |" rows of its section.
allowed=$(awk '/^#+ What lintian may report/ {on = 1; next} on && /^#/ {on = 0} on' "$readme" |
    sed -n 's/^| *`\([a-z0-9.+-]*\)` *| *[^ |].*|$/\1/p')

lintian --no-cfg --display-level '>=warning' "$deb" >"$stage/lintian.log" 2>"$stage/lintian.err"
status=$?
# lintian's own trouble (not its findings) ends the check.
if [ "$status" -ne 0 ] && [ "$status" -ne 1 ] && [ "$status" -ne 2 ]; then
    echo "FAIL: lintian exited with $status"; cat "$stage/lintian.err"; exit 1
fi
cat "$stage/lintian.log"
fails=0
while read -r level _ tag _; do
    case $level in E: | W:) ;; *) continue ;; esac
    if grep -qx -- "$tag" <<<"$allowed"; then
        echo "allowed by the README: $tag"
    else
        echo "FAIL: lintian reports $tag, which the README does not list"
        fails=$((fails + 1))
    fi
done <"$stage/lintian.log"
[ "$fails" -eq 0 ] || exit 1
echo "PASS: lintian ($deb)"

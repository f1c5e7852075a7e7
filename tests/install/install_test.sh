#!/usr/bin/env bash
# What an install gives, checked on the staging folder that stage.sh made:
#   install_test.sh tree    STAGE_DIR PREFIX   the exact tree, both ways
#   install_test.sh package STAGE_DIR PREFIX   the package's files, both ways, and its control data
#   install_test.sh desktop STAGE_DIR PREFIX   the desktop's own validators, and the files naming each other
set -u
check=$1
stage=$2
prefix=${3%/}
root=$stage/root
fails=0

fail() {
    echo "FAIL: $1"
    fails=$((fails + 1))
}

# Every file an install puts below the prefix.
expected_files() {
    cat <<LIST
bin/quillo
share/applications/org.quillo.Quillo.desktop
share/doc/quillo/README.md
share/doc/quillo/changelog.gz
share/doc/quillo/copyright
share/doc/quillo/docs/benchmarks.md
share/doc/quillo/docs/design.md
share/doc/quillo/docs/screenshot.png
share/doc/quillo/docs/testing.md
share/icons/hicolor/16x16/apps/org.quillo.Quillo.png
share/icons/hicolor/24x24/apps/org.quillo.Quillo.png
share/icons/hicolor/32x32/apps/org.quillo.Quillo.png
share/icons/hicolor/48x48/apps/org.quillo.Quillo.png
share/icons/hicolor/64x64/apps/org.quillo.Quillo.png
share/icons/hicolor/128x128/apps/org.quillo.Quillo.png
share/icons/hicolor/256x256/apps/org.quillo.Quillo.png
share/icons/hicolor/scalable/apps/org.quillo.Quillo.svg
share/man/man1/quillo.1.gz
share/metainfo/org.quillo.Quillo.metainfo.xml
LIST
}

# Compares a list of "MODE PATH" lines (PATH from the root, "./" or "/" in
# front) with the expected files: none missing, none extra, modes as an
# install should leave them.
compare_files() {
    local what=$1 listing=$2 mode path
    diff <(expected_files | sed "s|^|$prefix/|" | sort) <(awk '{print $2}' "$listing" | sed 's|^\.||' | sort) \
        >"$stage/$what.diff" || fail "$what differs from the expected files (< expected, > found):
$(cat "$stage/$what.diff")"
    while read -r mode path; do
        case ${path#.} in
        "$prefix/bin/quillo") [ "$mode" = -rwxr-xr-x ] || fail "$what: $path has mode $mode" ;;
        *) [ "$mode" = -rw-r--r-- ] || fail "$what: $path has mode $mode" ;;
        esac
    done <"$listing"
}

case $check in
tree)
    [ -d "$root$prefix" ] || fail "nothing installed below $root$prefix"
    (cd "$root" && find . ! -type d -printf '%M %p\n') >"$stage/tree.list"
    compare_files tree "$stage/tree.list"
    # Folders too: readable by all, and none left empty.
    while read -r mode path; do
        [ "$mode" = drwxr-xr-x ] || fail "folder $path has mode $mode"
    done < <(cd "$root" && find . -mindepth 1 -type d -printf '%M %p\n')
    empty=$(cd "$root" && find . -mindepth 1 -type d -empty)
    [ -z "$empty" ] || fail "empty folders: $empty"
    ;;
package)
    debs=("$stage"/package/*.deb)
    [ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one package, found: ${debs[*]}"
    deb=${debs[0]}
    dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $1, $6}' >"$stage/package.list"
    compare_files package "$stage/package.list"
    [ "$(dpkg-deb --field "$deb" Package)" = quillo ] || fail "package name $(dpkg-deb --field "$deb" Package)"
    depends=$(dpkg-deb --field "$deb" Depends)
    # "NAME (>= VERSION)" per linked library, as dpkg-shlibdeps computes them:
    # the C and C++ runtimes and Qt; Qt's window-system plugins named by hand.
    entries=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//')
    for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
        grep -qxE "$(sed 's/[+.]/\\&/g' <<<"$package") \(>= [0-9][0-9.]*\)" <<<"$entries" ||
            fail "Depends lacks a versioned $package: $depends"
    done
    grep -qx qt6-qpa-plugins <<<"$entries" || fail "Depends lacks qt6-qpa-plugins: $depends"
    [ "$(dpkg-deb --field "$deb" Architecture)" = "$(dpkg --print-architecture)" ] ||
        fail "architecture $(dpkg-deb --field "$deb" Architecture)"
    ;;
desktop)
    share=$root$prefix/share
    id=org.quillo.Quillo
    entry=$share/applications/$id.desktop
    metainfo=$share/metainfo/$id.metainfo.xml
    out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
    out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"
    out=$(zcat "$share/man/man1/quillo.1.gz" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1) && [ -z "$out" ] ||
        fail "manual page: $out"
    value() { sed -n "s/^$1=//p" "$entry"; }
    # The entry starts the installed program, shows the installed icon and
    # matches the program's windows (their WM_CLASS is the program's name).
    [ "$(value Exec)" = "quillo %f" ] || fail "Exec=$(value Exec)"
    [ -x "$root$prefix/bin/$(value Exec | cut -d' ' -f1)" ] || fail "Exec names no installed program"
    [ "$(value Icon)" = "$id" ] || fail "Icon=$(value Icon)"
    icon=$(value Icon)
    icons=$(find "$share/icons/hicolor" -name "$icon.png" -o -name "$icon.svg" | wc -l)
    [ "$icons" -eq 8 ] || fail "the icon $icon is installed in $icons sizes, not 8"
    [ "$(value StartupWMClass)" = quillo ] || fail "StartupWMClass=$(value StartupWMClass)"
    [ "$(value Name)" = Quillo ] || fail "Name=$(value Name)"
    [ "$(value Categories)" = "Utility;TextTools;" ] || fail "Categories=$(value Categories)"
    [ "$(value MimeType)" = "text/plain;" ] || fail "MimeType=$(value MimeType)"
    # The AppStream file names the entry and the program.
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "launchable is not $id.desktop"
    grep -q "<id>$id</id>" "$metainfo" || fail "the AppStream id is not $id"
    grep -q "<binary>quillo</binary>" "$metainfo" || fail "the AppStream file does not name the program"
    ;;
*)
    echo "unknown check $check"
    exit 2
    ;;
esac
[ "$fails" -eq 0 ] || exit 1
echo "PASS: $check"

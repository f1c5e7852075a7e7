#!/usr/bin/env bash
# The installed program in a real X window, started from its installed place
# by a user who cannot write there: the build is installed into a DESTDIR below
# /tmp; as root the program runs as "nobody" (otherwise the user's own bin
# folder is made read-only), with a home and XDG_CONFIG_HOME of that user's
# own. It is started with
#     data.txt fox /GO
# the status bar must show the run's counts, the window must carry the class
# its desktop entry names, and File > Exit must end it with exit code 0,
# leaving its settings file in $XDG_CONFIG_HOME/quillo/ and nothing in the
# installed tree.
#   real_window_installed_test.sh BUILD_DIR PREFIX TESTS_APP_DIR
set -u

# As the user, inside Xvfb and a session bus of the user's own.
if [ "${1:-}" = --as-user ]; then
    program=$2 data=$3 entry=$4
    source "$(dirname "$0")/real_window_lib.sh"
    start_accessibility_bus
    "$program" "$data" fox /GO &
    quillo=$!
    started $quillo
    wid=$(wait_window '^Quillo$')
    [ -n "$wid" ] || fail "no window titled Quillo"
    center label "Lines Searched: 4" >/dev/null || fail "the status bar does not show \"Lines Searched: 4\""
    center label "Lines Found: 2" >/dev/null || fail "the status bar does not show \"Lines Found: 2\""
    class=$(sed -n 's/^StartupWMClass=//p' "$entry")
    xprop -id "$wid" WM_CLASS | grep -q "= \"$class\", \"$class\"$" ||
        fail "window class $(xprop -id "$wid" WM_CLASS) is not the entry's StartupWMClass $class"
    xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
    sleep 0.3
    exit_through_file_menu "$quillo"
    exit 0
fi

# Inside Xvfb, still as the caller: hand the display to the user and switch.
if [ "${1:-}" = --display ]; then
    work=$2
    shift 2
    cp "$XAUTHORITY" "$work/home/.Xauthority"
    cd "$work/home" || exit 1
    env=(HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/home/runtime"
         XAUTHORITY="$work/home/.Xauthority" DISPLAY="$DISPLAY" PATH="$PATH" LANG=C.UTF-8)
    if [ "$(id -u)" -eq 0 ]; then
        chown -R nobody:nogroup "$work/home"
        exec setpriv --reuid=nobody --regid=nogroup --clear-groups -- \
            env -i "${env[@]}" dbus-run-session -- bash "$work/tools/real_window_installed_test.sh" --as-user "$@"
    fi
    exec env -i "${env[@]}" dbus-run-session -- bash "$work/tools/real_window_installed_test.sh" --as-user "$@"
fi

build=$1 prefix=${2%/} app_tests=$3
for tool in xvfb-run xdotool xprop dbus-run-session setpriv; do
    command -v "$tool" >/dev/null || { echo "missing: $tool"; exit 1; }
done
work=$(mktemp -d /tmp/quillo-installed.XXXXXX)
bin=$work/root$prefix/bin
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
DESTDIR=$work/root cmake --install "$build" >/dev/null || { echo "FAIL: install into $work/root"; exit 1; }
# The scripts the user runs, where that user can read them.
mkdir -m 755 "$work/tools"
cp "$0" "$app_tests/real_window_lib.sh" "$app_tests/a11y.py" "$work/tools/"
chmod 644 "$work/tools"/*
printf 'alpha fox\r\nbeta\r\ngamma Fox\r\ndelta\r\n' >"$work/data.txt"
chmod 644 "$work/data.txt"
mkdir -p "$work/home/config"
mkdir -m 700 "$work/home/runtime"
# Not root: the user's own installed folder, made read-only.
[ "$(id -u)" -eq 0 ] || chmod a-w "$bin"
(cd "$work/root" && find . | sort) >"$work/installed.before"

xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --display "$work" \
    "$bin/quillo" "$work/data.txt" "$work/root$prefix/share/applications/org.quillo.Quillo.desktop"
rc=$?
[ "$rc" -eq 0 ] || { echo "FAIL: the installed program's run, as above (exit $rc)"; exit 1; }

settings=$work/home/config/quillo/quillo.ini
[ -f "$settings" ] || { echo "FAIL: no settings file $settings (\$XDG_CONFIG_HOME holds: $(ls -A "$work/home/config"))"; exit 1; }
grep -qx 'Default Operator=0' "$settings" || { echo "FAIL: settings file: $(cat "$settings")"; exit 1; }
(cd "$work/root" && find . | sort) | diff "$work/installed.before" - ||
    { echo "FAIL: the run changed the installed tree"; exit 1; }
echo "PASS: installed program run by $([ "$(id -u)" -eq 0 ] && echo nobody || id -un) from $bin: search shown, File > Exit with exit code 0, settings in \$XDG_CONFIG_HOME/quillo/"

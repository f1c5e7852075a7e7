# Shared by the real-window tests (sourced): a private X server (Xvfb) with a
# session bus and the accessibility bus, so that controls can be found by name
# (tests/app/a11y.py) and driven with real mouse and key input (xdotool).
#
#   real_window_start "$0" "$@"   re-runs the calling script inside Xvfb
#   started PID                     ends PID when the script ends
#   fail TEXT                       reports a failure and ends the script
#   center ROLE NAME [INDEX]        the control's centre on screen, "X Y"
#   click_control ROLE NAME [INDEX] a real mouse click on the control
#   wait_window TITLE               the id of the first visible window TITLE
#   wait_gone PID                   waits up to 30 s for PID to end
#   geometry WID                    the window's "X Y WIDTH HEIGHT"
#   answer_save_dialog NAME WHEN [PID]  types NAME into the save dialog, Enter

real_window_start() {
    local script=$1
    shift
    if [ "${1:-}" != "--inside" ]; then
        for tool in xvfb-run xdotool dbus-run-session; do
            command -v "$tool" >/dev/null || { echo "missing: $tool"; exit 1; }
        done
        exec xvfb-run -a -s "-screen 0 1024x768x24" dbus-run-session -- bash "$script" --inside "$@"
    fi
}

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
python=/usr/bin/python3 # the system's, which has the accessibility bindings
pids=()
work=$(mktemp -d)

cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT

started() { pids+=("$1"); }

fail() {
    echo "FAIL: $1"
    exit 1
}

export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1

start_accessibility_bus() {
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    started $!
    for _ in $(seq 50); do
        dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
            >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    fail "the accessibility bus did not start"
}

center() { "$python" "$here/a11y.py" center "$@"; }

click_control() {
    local at
    at=$(center "$@") || fail "no control $*"
    # shellcheck disable=SC2086
    xdotool mousemove --sync $at click 1
    sleep 0.3
}

wait_window() { timeout 30 xdotool search --sync --onlyvisible --name "$1" | head -n 1; }

geometry() {
    xdotool getwindowgeometry "$1" |
        sed -n -e 's/.*Position: \([0-9-]*\),\([0-9-]*\).*/\1 \2/p' -e 's/.*Geometry: \([0-9]*\)x\([0-9]*\).*/\1 \2/p' |
        tr '\n' ' '
}

# Waits for the save dialog and answers it with NAME typed and Enter; WHEN
# goes into the failure message. With PID: that program must still run when
# the dialog has come.
answer_save_dialog() {
    local dialog
    dialog=$(wait_window '^Select or type an output file\.$')
    [ -n "$dialog" ] || fail "no save dialog $2"
    [ -z "${3:-}" ] || kill -0 "$3" 2>/dev/null || fail "the program ended before the save dialog $2 was answered"
    xdotool windowactivate --sync "$dialog" 2>/dev/null || xdotool windowfocus --sync "$dialog"
    sleep 0.5
    xdotool type --delay 20 "$1"
    sleep 0.3
    xdotool key Return
}

wait_gone() {
    for _ in $(seq 300); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# File > Exit by keys (Alt+F, then X), then the program must end with exit
# code 0. $1: its pid; $2: what the failure message adds.
exit_through_file_menu() {
    xdotool key --clearmodifiers alt+f
    sleep 0.5
    xdotool key x
    wait_gone "$1" || fail "the program did not end after File > Exit${2:+ $2}"
    wait "$1"
    local rc=$?
    [ "$rc" -eq 0 ] || fail "exit code $rc${2:+ $2}"
}

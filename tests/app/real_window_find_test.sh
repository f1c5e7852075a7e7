#!/usr/bin/env bash
# The find bar of the output list in the real window: after a "/GO" run from
# the command line, Ctrl+F opens the bar, typing selects the first row holding
# the text (ignoring case), F3 the next and Shift+F3 the previous, wrapping at
# the ends; Esc closes the bar and the list holds the same rows throughout.
# Rows are read over the accessibility bus.
#   real_window_find_test.sh PROGRAM
set -u
source "$(dirname "$0")/real_window_lib.sh"
real_window_start "$0" "$@"
program=$2
start_accessibility_bus

cp "$program" "$work/quillo"
printf 'alpha fox\r\nbeta\r\nGamma fox\r\ndelta fox gamma\r\n' >"$work/data.txt"

(cd "$work" && exec "$work/quillo" "$work/data.txt" fox /GO) &
quillo=$!
started $quillo
wid=$(wait_window '^Quillo$')
[ -n "$wid" ] || fail "no window titled Quillo"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.5

selected() { "$python" "$here/a11y.py" selected list "Output List"; }
expect_row() {
    local got
    got=$(selected) || fail "no output list on the accessibility bus"
    [ "$got" = $'5\t'"$1" ] || fail "$2: rows and selection are \"$got\", not 5 rows with \"$1\" selected"
}

expect_row "" "after the run"
xdotool key --clearmodifiers ctrl+f
sleep 0.5
xdotool type --delay 50 "gamma"
sleep 0.5
expect_row "Gamma fox" "after typing gamma"
xdotool key F3
sleep 0.3
expect_row "delta fox gamma" "after F3"
xdotool key F3
sleep 0.3
expect_row "Gamma fox" "after F3 at the last row holding it"
xdotool key shift+F3
sleep 0.3
expect_row "delta fox gamma" "after Shift+F3 at the first row holding it"
xdotool key Escape
sleep 0.3
xdotool key F3 # the bar is closed: nothing moves
sleep 0.3
expect_row "delta fox gamma" "after Esc and F3"
exit_through_file_menu "$quillo"
echo "PASS: Ctrl+F opened the find bar; typing, F3 and Shift+F3 moved the selection with wrapping; Esc closed it; the list kept its rows"

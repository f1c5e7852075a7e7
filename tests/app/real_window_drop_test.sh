#!/usr/bin/env bash
# Files dropped on the running program from another X client: a file and a
# folder are dragged from quillo_drag_source onto the "Search string 1:" edit
# field (which must not take them), the folder question is answered Yes with
# the keyboard, and the list is then saved with the "File List" page's Save
# button; the list file beside a copy of the program shows what it holds.
#   real_window_drop_test.sh PROGRAM DRAG_SOURCE
set -u
source "$(dirname "$0")/real_window_lib.sh"
real_window_start "$0" "$@"
program=$2
drag_source=$3

cp "$program" "$work/quillo"
mkdir -p "$work/data/folder/sub"
printf 'x\r\n' >"$work/data/file.txt"
printf 'a' >"$work/data/folder/a.txt"
printf 'h' >"$work/data/folder/.hidden"
printf 'i' >"$work/data/folder/sub/inner.txt"

start_accessibility_bus
"$work/quillo" &
quillo=$!
started $quillo
wid=$(wait_window '^Quillo$')
[ -n "$wid" ] || fail "no window titled Quillo appeared"

"$drag_source" "$work/data/file.txt" "$work/data/folder" >"$work/drag.log" 2>&1 &
started $!
[ -n "$(wait_window '^Quillo drag source$')" ] || fail "the drag source did not show"
sleep 0.5

read -r tx ty < <(center text 'Search string 1:') || fail "no edit field"
xdotool mousemove --sync 680 450
xdotool mousedown 1
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((680 + (tx - 680) * step / 8)) $((450 + (ty - 450) * step / 8))
    sleep 0.15
done
sleep 0.3
xdotool mouseup 1

question=$(wait_window '^Quillo Warning:$')
[ -n "$question" ] || fail "the folder question did not appear"
xdotool windowactivate --sync "$question" 2>/dev/null || xdotool windowfocus --sync "$question"
sleep 0.3
xdotool key Return # Yes, the default
sleep 0.5

# Back in front of the drag source, which may hide the page's buttons.
xdotool windowraise "$wid"
sleep 0.3
click_control "page tab" "File List"
click_control "push button" "Save" 1 # the File List page's, after the tool bar's
for _ in $(seq 50); do
    [ -f "$work/quillo.lst" ] && break
    sleep 0.1
done
[ -f "$work/quillo.lst" ] || fail "Save wrote no $work/quillo.lst"

# The file comes first, then the folder's files (not its subfolder) in the
# order the directory gives them.
[ "$(head -n 1 "$work/quillo.lst")" = "$work/data/file.txt"$'\r' ] || fail "first entry: $(head -n 1 "$work/quillo.lst" | od -c)"
rest=$(tail -n +2 "$work/quillo.lst" | sort | tr -d '\r' | tr '\n' '|')
[ "$rest" = "$work/data/folder/.hidden|$work/data/folder/a.txt|" ] || fail "folder entries: $rest"
[ "$(wc -l <"$work/quillo.lst")" -eq 3 ] || fail "expected 3 entries"
grep -q "copied" "$work/drag.log" || fail "the drag source saw no accepted drop: $(cat "$work/drag.log")"

exit_through_file_menu "$quillo"
echo "PASS: a file and a folder dropped from another client; the list file holds the file and the folder's two files"

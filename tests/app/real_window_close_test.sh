#!/usr/bin/env bash
# A settings file that can never be written (no write bit at all, which holds
# for root too): the first File > Exit shows the failure box and the program
# goes on; once the box is answered, the second File > Exit ends the program
# with exit code 0 and leaves the file as it was.
#   real_window_close_test.sh PROGRAM
set -u
source "$(dirname "$0")/real_window_lib.sh"
real_window_start "$0" "$@"
program=$2

cp "$program" "$work/quillo"
printf '[Options]\nSafe After=1\n' >"$work/quillo.ini"
chmod 0444 "$work/quillo.ini"
cp "$work/quillo.ini" "$work/expected.ini"

# Visible windows titled "Quillo" other than the main window $1: the failure
# box has the application title as its caption.
other_windows() { xdotool search --onlyvisible --name '^Quillo$' | grep -vx "$1"; }

"$work/quillo" &
quillo=$!
started $quillo
wid=$(wait_window '^Quillo$')
[ -n "$wid" ] || fail "no window titled Quillo"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.3
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x

box=
for _ in $(seq 100); do
    box=$(other_windows "$wid" | head -n 1)
    [ -n "$box" ] && break
    sleep 0.1
done
[ -n "$box" ] || fail "no failure box at the first close"
kill -0 "$quillo" 2>/dev/null || fail "the program ended at the first close"
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
sleep 0.3
xdotool key Return
for _ in $(seq 50); do
    [ -z "$(other_windows "$wid")" ] && break
    sleep 0.1
done
[ -z "$(other_windows "$wid")" ] || fail "the failure box did not go"
sleep 0.3
kill -0 "$quillo" 2>/dev/null || fail "the program ended when the box was answered"
[ -n "$(xdotool search --onlyvisible --name '^Quillo$')" ] || fail "the window went at the first close"

xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.3
exit_through_file_menu "$quillo" "at the second close"
cmp "$work/quillo.ini" "$work/expected.ini" || fail "the settings file changed: $(cat "$work/quillo.ini")"
echo "passed"

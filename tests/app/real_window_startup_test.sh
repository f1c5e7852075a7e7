#!/usr/bin/env bash
# The program started from a shell with a command line that runs a search, and
# its settings file across the run: a copy of the program with its own .ini
# ("Prompt for save after search" on) is started with
#     data.txt s1 OR s2 /GO
# the save dialog that follows the run is answered with the keyboard, the saved
# output is checked byte for byte; the window is moved and resized, and File >
# Exit must leave all eleven options in the section "Options" of the .ini (the
# operator "Or" from the command line included) and the window's new place in
# the section "Window", with exit code 0.
# Then a start with a file name that does not exist: "Wrong filename!" comes
# before the window, and once it is answered the window opens where the last
# one closed and takes the keyboard (File > Exit by keys alone ends the
# program).
# Last, a long run started by Enter in the search string field and File > Exit
# during it: the run stops, the save dialog that follows waits for its answer
# and saves, and only then does the program end, with exit code 0. Shrunk to
# 320 x 240 with no window manager to refuse it, the window takes its minimum
# size back, the About button in view.
#   real_window_startup_test.sh PROGRAM
set -u
source "$(dirname "$0")/real_window_lib.sh"
real_window_start "$0" "$@"
program=$2

cp "$program" "$work/quillo"
printf '[Options]\nSafe After=1\n' >"$work/quillo.ini"
printf 'alpha s1\r\nbeta\r\ngamma S2\r\ndelta s1 s2\r\n' >"$work/data.txt"

(cd / && exec "$work/quillo" "$work/data.txt" s1 OR s2 /GO) &
quillo=$!
started $quillo

answer_save_dialog "$work/out.txt" "after the /GO run"
for _ in $(seq 50); do
    [ -s "$work/out.txt" ] && break
    sleep 0.1
done
printf '*****  New Search  *****\r\n***** File: "%s"- Search Pattern=s1 or s2 *****\r\nalpha s1\r\ngamma S2\r\ndelta s1 s2\r\n' \
    "$work/data.txt" >"$work/expected.txt"
cmp "$work/out.txt" "$work/expected.txt" || fail "saved output: $(od -c "$work/out.txt" | head -n 20)"

wid=$(wait_window '^Quillo$')
[ -n "$wid" ] || fail "no window titled Quillo after the run"
# Without a window manager the numbers are the window's own place on the
# screen: no frame around it.
xdotool windowmove --sync "$wid" 100 60 windowsize --sync "$wid" 860 560
sleep 0.3
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.3
exit_through_file_menu "$quillo"

printf '[Options]\nSafe After=1\nCount Lines=1\nCount Words=0\nProgress Indicator=1\nTotal Clear=0\nLoad file list=0\nCase Sensitive=0\nReverse Logic=0\nUnix File=1\nOne Instance=0\nDefault Operator=1\n[Window]\nLeft=100\nTop=60\nWidth=860\nHeight=560\nMaximized=0\n[Search]\nRegular Expressions=0\nWhole Words=0\n' \
    >"$work/expected.ini"
cmp "$work/quillo.ini" "$work/expected.ini" || fail "settings file: $(cat "$work/quillo.ini")"

"$work/quillo" "$work/missing.txt" s1 &
quillo=$!
started $quillo
box=$(wait_window '^Error:$')
[ -n "$box" ] || fail "no \"Wrong filename!\" box"
[ -z "$(xdotool search --onlyvisible --name '^Quillo$')" ] || fail "the window showed before the box was answered"
xdotool windowactivate --sync "$box" 2>/dev/null || xdotool windowfocus --sync "$box"
sleep 0.3
xdotool key Return
wid=$(wait_window '^Quillo$')
[ -n "$wid" ] || fail "no window after the box"
sleep 0.5
[ "$(geometry "$wid")" = "100 60 860 560 " ] || fail "the window opened at $(geometry "$wid"), not where it closed"
exit_through_file_menu "$quillo" "after the \"Wrong filename!\" box"
# A list of five thousand copies of a file with one found line each: a run of
# several seconds (the engine searches a copy in about 2 ms).
yes $'a plain line of text\r' | head -n 300000 >"$work/big.txt"
printf 'the hit line\r\n' >>"$work/big.txt"
for _ in $(seq 5000); do printf '%s\r\n' "$work/big.txt"; done >"$work/big.lst"
printf '[Options]\nSafe After=1\n' >"$work/quillo.ini"
"$work/quillo" "$work/big.lst" hit /LIST &
quillo=$!
started $quillo
wid=$(wait_window '^Quillo$')
[ -n "$wid" ] || fail "no window for the long run"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.5
read -r _ _ width height < <(geometry "$wid")
xdotool windowsize "$wid" 320 240
sleep 1
read -r x y w h < <(geometry "$wid")
[ "$w" -ge "$width" ] && [ "$h" -gt 240 ] || fail "the window stayed at ${w}x${h} (it opened at ${width}x${height})"
read -r ax ay < <(center "push button" "About") || fail "no About button"
[ "$ax" -gt "$x" ] && [ "$ax" -lt $((x + w)) ] && [ "$ay" -gt "$y" ] && [ "$ay" -lt $((y + h)) ] ||
    fail "the About button at $ax,$ay lies outside the window at $x,$y ${w}x${h}"

xdotool key Return # in "Search string 1", which has the focus
sleep 1
xdotool key --clearmodifiers alt+f
sleep 0.5
xdotool key x
answer_save_dialog "$work/closed.txt" "after File > Exit during the run" "$quillo"
wait_gone "$quillo" || fail "the program did not end after the save dialog"
wait "$quillo"
rc=$?
[ "$rc" -eq 0 ] || fail "exit code $rc after File > Exit during a run"
[ "$(head -n 1 "$work/closed.txt")" = $'*****  New Search  *****\r' ] || fail "saved after the close: $(head -c 200 "$work/closed.txt")"
found=$(grep -c '^the hit line' "$work/closed.txt")
[ "$found" -lt 5000 ] || fail "the run was not stopped by the close: $found found lines"
grep -q '^Safe After=1$' "$work/quillo.ini" || fail "no settings written at the close during the run"
echo "PASS: /GO run from the command line saved through the save dialog; File > Exit wrote all eleven options and the moved window's place, where the next start opened it; window takes the keys after \"Wrong filename!\"; File > Exit during a run: the save dialog waited, saved, exit code 0; the shrunk window took its minimum size back"

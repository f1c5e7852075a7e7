#!/usr/bin/env bash
# "Add Folder..." in the real window: a copy of the program is started, the
# "File List" page taken, and the button clicked. In the dialog a folder that
# does not exist is typed first: "Folder not found: ..." comes and, once
# answered, the dialog is still there; then the tree's folder and the mask
# "*.cpp" are typed and Enter confirms. The list, saved with "Save", must hold
# the tree's .cpp files in name order, the file of the skipped ".git" folder
# left out. Escape in a second dialog changes nothing. File > Exit must keep
# the dialog's values in the section "Add Folder"; the next start offers them
# again: Alt+D opens the dialog on the File List page and Enter alone adds the
# same files once more.
#   real_window_add_folder_test.sh PROGRAM
set -u
source "$(dirname "$0")/real_window_lib.sh"
real_window_start "$0" "$@"
program=$2

start_accessibility_bus
cp "$program" "$work/quillo"
mkdir -p "$work/src/lib/deep" "$work/src/.git"
for f in src/b.cpp src/a.h src/lib/c.cpp src/lib/deep/d.cpp src/.git/x.cpp src/Z.cpp; do
    echo "$f" >"$work/$f"
done
expected="$work/src/Z.cpp\r\n$work/src/b.cpp\r\n$work/src/lib/c.cpp\r\n$work/src/lib/deep/d.cpp\r\n"

# Waits for the dialog titled $1 and gives it the keyboard.
focus_window() {
    local wid
    wid=$(wait_window "$1")
    [ -n "$wid" ] || fail "no window $1 $2"
    xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
    sleep 0.5
}

# Saves the list with the File List page's "Save" and compares the list file.
check_list() {
    rm -f "$work/quillo.lst"
    click_control "push button" "Save" 1 # the File List page's, after the tool bar's
    for _ in $(seq 50); do
        [ -e "$work/quillo.lst" ] && break
        sleep 0.1
    done
    printf "$2" >"$work/expected.lst"
    cmp "$work/quillo.lst" "$work/expected.lst" || fail "list $1: $(tr "\r" "~" <"$work/quillo.lst")"
}

(cd / && exec "$work/quillo") &
quillo=$!
started $quillo
wid=$(wait_window '^Quillo$')
[ -n "$wid" ] || fail "no window titled Quillo"
click_control "page tab" "File List"
click_control "push button" "Add Folder..."
focus_window '^Add Folder$' "after the click"
xdotool type --delay 10 "$work/missing"
xdotool key Return
focus_window '^Error$' "for a missing folder"
xdotool key Return
sleep 0.5
focus_window '^Add Folder$' "after the missing folder was refused"
xdotool key ctrl+a
xdotool type --delay 10 "$work/src"
xdotool key alt+n # "File names:"
xdotool type --delay 10 "*.cpp"
xdotool key Return
sleep 1
xdotool search --onlyvisible --name '^Add Folder$' >/dev/null && fail "the dialog stayed open after OK"
check_list "after Add Folder" "$expected"

click_control "push button" "Add Folder..."
focus_window '^Add Folder$' "the second time"
xdotool key Escape
sleep 0.5
check_list "after Cancel" "$expected"

xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.3
exit_through_file_menu "$quillo"
printf '[Add Folder]\nFolder=%s\nFile Names=*.cpp\nSkip Folders=.git;.hg;.svn;node_modules\nSubfolders=1\nSkip Binary=1\n' \
    "$work/src" >"$work/expected-section"
sed -n '/^\[Add Folder\]$/,/^Skip Binary=/p' "$work/quillo.ini" >"$work/section"
cmp "$work/section" "$work/expected-section" || fail "settings file: $(cat "$work/quillo.ini")"

(cd / && exec "$work/quillo") &
quillo=$!
started $quillo
wid=$(wait_window '^Quillo$')
[ -n "$wid" ] || fail "no window titled Quillo at the second start"
click_control "page tab" "File List"
xdotool key --clearmodifiers alt+d
focus_window '^Add Folder$' "after Alt+D"
xdotool key Return
sleep 1
check_list "after the kept values were confirmed" "$expected"
xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
sleep 0.3
exit_through_file_menu "$quillo" "at the second start"
echo "PASS: Add Folder refused a missing folder, added the tree in name order, kept its values for the next start"

#!/usr/bin/env bash
# The built program in a real X window under Xvfb: it starts, shows a window
# titled "Quillo", and ends with exit code 0 when closed through File > Exit
# (Alt+F, then X), having written its settings file. It runs as a copy in a
# temporary folder, so the settings beside the built program stay untouched.
set -u

if [ "${1:-}" != "--inside" ]; then
    for tool in xvfb-run xdotool; do
        command -v "$tool" >/dev/null || { echo "missing: $tool"; exit 1; }
    done
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "$@"
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$2" "$work/quillo"
binary=$work/quillo

export QT_QPA_PLATFORM=xcb
"$binary" &
pid=$!
finish() { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; echo "FAIL: $1"; exit 1; }

wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillo$' | head -n 1)
[ -n "$wid" ] || finish "no window titled Quillo appeared"
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.5
xdotool key --window "$wid" alt+f 2>/dev/null || xdotool key alt+f
sleep 0.5
xdotool key x

for _ in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && finish "the program did not end after File > Exit"
wait "$pid"
rc=$?
[ "$rc" -eq 0 ] || finish "exit code $rc"
grep -q '^Default Operator=0$' "$work/quillo.ini" || finish "no settings written at exit"
echo "PASS: window \"Quillo\" shown and closed through File > Exit, exit code 0, settings written"

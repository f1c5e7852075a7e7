#!/usr/bin/env bash
# Takes a screenshot of Quillo's main window under Xvfb.
#   scripts/screenshot.sh [program] [picture]
# Defaults: build/quillo and docs/screenshot.png.
set -eu

if [ "${1:-}" != "--inside" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "${1:-build/quillo}" "${2:-docs/screenshot.png}"
fi
binary=$2
picture=$3

export QT_QPA_PLATFORM=xcb
"$binary" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

wid=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillo$' | head -n 1)
xdotool windowfocus --sync "$wid" 2>/dev/null || true
sleep 0.5
xdotool type --delay 30 "quill"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$wid")"
mkdir -p "$(dirname "$picture")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$picture"
echo "wrote $picture (${WIDTH}x${HEIGHT})"

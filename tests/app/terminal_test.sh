#!/bin/bash
# The built program on a terminal, with no display at all: --help and
# --version answer on standard output with exit code 0; anything else gives
# one line on standard error and exit code 1, not Qt's abort.
set -u
program=$1
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() { # name, expected code, expected stdout test, expected stderr lines, command...
    local name=$1 code=$2 outcheck=$3 errlines=$4
    shift 4
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" >"$work/out" 2>"$work/err"
    local got=$?
    if [ "$got" != "$code" ]; then
        echo "FAIL $name: exit code $got, expected $code"; cat "$work/err"; failed=1; return
    fi
    if ! eval "$outcheck"; then
        echo "FAIL $name: standard output:"; cat "$work/out"; failed=1
    fi
    if [ "$(wc -l <"$work/err")" != "$errlines" ]; then
        echo "FAIL $name: standard error:"; cat "$work/err"; failed=1
    fi
    echo "ok $name"
}

check help 0 'grep -q "^Usage: quillo " "$work/out" && grep -q "/GO" "$work/out" && grep -q "\*\*" "$work/out"' 0 \
    "$program" --help
check version 0 '[ "$(cat "$work/out")" = "quillo 96.7.10" ]' 0 "$program" --version
check no_display 1 '[ ! -s "$work/out" ]' 1 "$program"
check no_display_search 1 '[ ! -s "$work/out" ]' 1 "$program" "$work/none.txt" fox /GO
grep -q "DISPLAY" "$work/err" || { echo "FAIL no_display: the line does not name DISPLAY"; failed=1; }
exit $failed

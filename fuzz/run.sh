#!/usr/bin/env bash
# Runs one fuzz target for a number of seconds over its seeds and over what
# earlier runs found:  fuzz/run.sh BUILD-FOLDER NAME SECONDS
#
# Inputs found go to BUILD-FOLDER/fuzz-found/NAME (the seeds in
# fuzz/corpus/NAME are only read); a crash or a violated property leaves its
# input in BUILD-FOLDER/fuzz-crashes/NAME/ and the whole log in
# BUILD-FOLDER/fuzz-logs/NAME.log, and fails the run.
set -euo pipefail
build=$1 name=$2 seconds=$3
root=$(cd "$(dirname "$0")/.." && pwd)
found=$build/fuzz-found/$name
crashes=$build/fuzz-crashes/$name
log=$build/fuzz-logs/$name.log
mkdir -p "$found" "$crashes" "$(dirname "$log")"
options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1
         -artifact_prefix="$crashes/")
if [ -f "$root/fuzz/$name.dict" ]; then
  options+=(-dict="$root/fuzz/$name.dict")
fi
if ! "$build/fuzz_$name" "${options[@]}" "$found" "$root/fuzz/corpus/$name" >"$log" 2>&1; then
  tail -n 40 "$log"
  echo "fuzz_$name FAILED: the input is in $crashes/, the log in $log" >&2
  exit 1
fi
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
inputs=$(find "$found" -type f | wc -l)
printf 'fuzz_%-13s %9s inputs tried in %s s (%s/s), %s found inputs kept, no failure\n' \
  "$name" "$runs" "$seconds" "$speed" "$inputs"

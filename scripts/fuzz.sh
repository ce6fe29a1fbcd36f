#!/usr/bin/env bash
# Runs the libFuzzer targets of the fuzz preset, one after another, each for
# the given number of seconds (default 60) from its seed corpus in
# fuzz/corpus/. The seeds are copied into build/fuzz/corpus/, where the
# inputs a run adds stay for the next run; the repository is never written.
# A finding stops the script with its report; the input that caused it is in
# build/fuzz/findings/TARGET/. Build first: cmake --preset fuzz && cmake --build --preset fuzz
#
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi

build=build/fuzz
for target in "${targets[@]}"; do
  binary=$build/fuzz/$target
  if [ ! -x "$binary" ]; then
    echo "fuzz: $binary is missing (cmake --build --preset fuzz)" >&2
    exit 1
  fi
  corpus=$build/corpus/$target
  findings=$build/findings/$target
  mkdir -p "$corpus" "$findings"
  cp -r fuzz/corpus/"$target"/. "$corpus"/
  log=$build/findings/$target.log
  echo "-- $target: ${seconds}s from $(ls "$corpus" | wc -l) inputs"
  # One process: the machine's other jobs keep the second core.
  if ! "$binary" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$findings"/ "$corpus" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz: $target found a fault; the input is in $findings/" >&2
    exit 1
  fi
  grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added))' "$log" | sed 's/^/   /'
done

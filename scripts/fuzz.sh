#!/usr/bin/env bash
# Runs the libFuzzer targets of the fuzz preset side by side, each for
# the given number of seconds (default 60) from its seed corpus in
# fuzz/corpus/. The seeds are copied into build/fuzz/corpus/, where the
# inputs a run adds stay for the next run; the repository is never written.
# A finding fails the script with its report; the input that caused it is in
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
  if [ ! -x "$build/fuzz/$target" ]; then
    echo "fuzz: $build/fuzz/$target is missing (cmake --build --preset fuzz)" >&2
    exit 1
  fi
done

# One libFuzzer process per target, all at once: the targets share the
# machine's cores for the same wall time instead of queueing.
run_target() {
  local target=$1 corpus=$build/corpus/$1 findings=$build/findings/$1
  mkdir -p "$corpus" "$findings"
  cp -r fuzz/corpus/"$target"/. "$corpus"/
  "$build/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings"/ "$corpus" >"$build/findings/$target.log" 2>&1
}

pids=()
for target in "${targets[@]}"; do
  echo "-- $target: ${seconds}s from $(ls fuzz/corpus/"$target" | wc -l) seed inputs"
  run_target "$target" &
  pids+=($!)
done

failed=0
for i in "${!targets[@]}"; do
  target=${targets[$i]}
  log=$build/findings/$target.log
  if wait "${pids[$i]}"; then
    echo "-- $target"
    grep -E '^(Done|stat::(number_of_executed_units|average_exec_per_sec|new_units_added))' "$log" | sed 's/^/   /'
  else
    tail -n 60 "$log" >&2
    echo "fuzz: $target found a fault; the input is in $build/findings/$target/" >&2
    failed=1
  fi
done
exit $failed

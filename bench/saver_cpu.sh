#!/usr/bin/env bash
# CPU cost of the windowed saver: CPU seconds per wall second of the cascade
# process (all its threads, llvmpipe's included) in a private 1920x1080 Xvfb,
# measured over SECONDS_PER_RUN after a short warm-up. The configurations run
# in turn, round after round, so a busy machine weighs on each alike; the
# table gives each one's median over the rounds, and the X server's share
# (the copy of every presented frame) beside it.
#
#   bench/saver_cpu.sh [-p PROGRAM] [-b BEFORE] [-r ROUNDS] [-s SECONDS_PER_RUN] [OPTIONS...]
#
# Each OPTIONS argument is one configuration, a string of saver options; ""
# is the saver at its defaults in its own window. Without any, the defaults
# in their own window and covering the screen, beside the old behaviour
# (the Windows order at a frame every 5 ms). With -b, another build of the
# saver (an earlier commit's, say) runs each configuration too, right after
# PROGRAM, and the table adds the CPU milliseconds per frame of each and
# their ratio: the median of the rounds' ratios, and their range.
set -euo pipefail
cd "$(dirname "$0")/.."

program=build/release/linux/cascade
before=
rounds=5
seconds=20
warm_up=2
# Not getopts: the configurations themselves start with a dash.
while [ $# -ge 2 ]; do
  case $1 in
    -p) program=$2 ;;
    -b) before=$2 ;;
    -r) rounds=$2 ;;
    -s) seconds=$2 ;;
    *) break ;;
  esac
  shift 2
done
if [ $# -gt 0 ]; then
  configurations=("$@")
else
  configurations=("" "-fullscreen" "-fullscreen -draw exact -delay 5000")
fi
[ -x "$program" ] || { echo "no program at $program: build --preset release first" >&2; exit 1; }
[ -z "$before" ] || [ -x "$before" ] || { echo "no program at $before" >&2; exit 1; }
programs=("$program")
[ -n "$before" ] && programs+=("$before")

ticks=$(getconf CLK_TCK)
workdir=$(mktemp -d)
xvfb_pid=
saver_pid=
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT

# shellcheck source=cpu_support.sh
. bench/cpu_support.sh

exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 display <&"$display_fd" || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

# One run of program number $1 with configuration $2 in round $3; appends
# "saver-cores Xvfb-cores fps saver-ms-per-frame" to $workdir/runs.CONFIGURATION.PROGRAM.
measure() {
  local which=$1 index=$2 round=$3 start end saver0 saver1 x0 x1 fps
  local -a options
  read -r -a options <<<"${configurations[$index]}"
  "${programs[$which]}" "${options[@]}" -fps-stderr 2>"$workdir/fps" &
  saver_pid=$!
  sleep "$warm_up"
  kill -0 "$saver_pid" 2>/dev/null || { echo "the saver ended early: ${configurations[$index]}" >&2; cat "$workdir/fps" >&2; exit 1; }
  start=$(date +%s.%N); saver0=$(cpu_ticks "$saver_pid"); x0=$(cpu_ticks "$xvfb_pid")
  sleep "$seconds"
  end=$(date +%s.%N); saver1=$(cpu_ticks "$saver_pid"); x1=$(cpu_ticks "$xvfb_pid")
  kill "$saver_pid"; wait "$saver_pid" || true; saver_pid=
  fps=$(awk '/ fps$/ { n++; s += $2 } END { if (n) printf "%.1f", s / n; else print 0 }' "$workdir/fps")
  awk -v a="$saver0" -v b="$saver1" -v c="$x0" -v d="$x1" -v s="$start" -v e="$end" -v t="$ticks" -v f="$fps" \
    'BEGIN { saver = (b - a) / t / (e - s)
      printf "%.3f %.3f %s %.2f\n", saver, (d - c) / t / (e - s), f, (f > 0 ? 1000 * saver / f : 0) }' \
    >>"$workdir/runs.$index.$which"
  echo "round $round: $([ "$which" = 0 ] && echo this build || echo before)" \
    "'${configurations[$index]}': $(tail -1 "$workdir/runs.$index.$which") (saver cores, Xvfb cores, fps, saver ms/frame)"
}

echo "$(basename "$program") in a 1920x1080 Xvfb, $seconds s per run, $rounds rounds; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
[ -n "$before" ] && echo "before: $before"
for ((round = 1; round <= rounds; ++round)); do
  for index in "${!configurations[@]}"; do
    for which in "${!programs[@]}"; do measure "$which" "$index" "$round"; done
  done
done

# The median of column N of configuration I's runs of program P.
median_of() { cut -d' ' -f"$3" "$workdir/runs.$1.$2" | median; }
# The median of the rounds' ratios of ms per frame, PROGRAM to BEFORE, and their range.
paired_ratio() {
  paste -d' ' "$workdir/runs.$1.0" "$workdir/runs.$1.1" | awk '{ print ($8 > 0 ? $4 / $8 : 0) }' | sort -g |
    awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
      printf "%.2fx (%.2f-%.2f)", m, v[1], v[NR] }'
}

echo
printf '%-45s %12s %12s %8s %10s' "saver options (median of $rounds)" "saver cores" "Xvfb cores" "fps" "ms/frame"
[ -n "$before" ] && printf ' %16s %22s' "before: ms/frame" "ratio, paired (range)"
echo
for index in "${!configurations[@]}"; do
  label=${configurations[$index]:-(defaults)}
  printf '%-45s %12s %12s %8s %10s' "$label" "$(median_of "$index" 0 1)" "$(median_of "$index" 0 2)" \
    "$(median_of "$index" 0 3)" "$(median_of "$index" 0 4)"
  [ -n "$before" ] && printf ' %16s %22s' "$(median_of "$index" 1 4)" "$(paired_ratio "$index")"
  echo
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

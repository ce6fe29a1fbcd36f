#!/usr/bin/env bash
# Whether KDE's greeter keeps its memory over a night while it shows our
# Plasma wallpaper: Plasma 6's kscreenlocker_greet --testing, with the scene
# chosen for the lock screen, in headless sway (pixman, llvmpipe's GL) in the
# plasma trixie tree's chroot, left alone for MINUTES; its resident memory
# (VmRSS) and its proportional share (Pss, from smaps_rollup) read once a
# minute. Prints the table, the first, last and largest figures, and the
# slope per hour: a least-squares line through all samples, and through the
# second half alone (after the start-up's caches have filled). The greeter's
# CPU over the run, and whether the scene still moves at the end, come last.
# Pss drops while another process maps the same libraries (a second greeter,
# another test's): on a shared machine its first and last say more than its
# slope; VmRSS does not depend on others.
# Needs root (the chroot; sway refuses root, so it runs as a throwaway user).
#
#   bench/plasma_greeter_memory.sh [-p PROGRAM] [-d PLASMA_DEB] [-m MINUTES] [-g WIDTHxHEIGHT]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here/.." || exit 1
# Beside this script on the host; with the tests' support in the chroot.
support=$here
[ -d /cascade-test ] && support=/cascade-test/support
# shellcheck source=plasma_greeter_support.sh
. "$support/plasma_greeter_support.sh"

program=build/release/linux/cascade
deb=build/packages/cascade-plasma_1.0.0_amd64.deb
minutes=60
size=1024x768
# Seconds between samples, and before the first: the greeter's start-up
# (QML, the lock screen's theme, the scene's textures) is over by then.
readonly sample_seconds=60 warm_up=10
arguments=("$@")
while [ $# -ge 2 ]; do
  case $1 in
    -p) program=$2 ;;
    -d) deb=$2 ;;
    -m) minutes=$2 ;;
    -g) size=$2 ;;
    *) echo "unknown option $1" >&2; exit 1 ;;
  esac
  shift 2
done
plasma_bench_inside || plasma_bench_enter "$program" "$deb" "$here/$(basename "$0")" "${arguments[@]}"

plasma_bench_setup "$size"
start_greeter memory "$scene_wallpaper"
sleep "$warm_up"
still_runs "$greeter_pid" || { echo "the greeter ended: $(tail -n 3 "$work/memory.err")" >&2; exit 1; }
scene_moves || echo "warning: the scene does not move at the start" >&2

# kB of the greeter's: "RSS PSS".
memory_kb() {
  echo "$(awk '/^VmRSS:/ { print $2 }' "/proc/$1/status") $(awk '/^Pss:/ { print $2 }' "/proc/$1/smaps_rollup")"
}
echo "KDE's greeter with our wallpaper at $size, headless sway (pixman), $minutes min;" \
  "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%7s %10s %10s\n' minute "RSS kB" "PSS kB"
start=$(date +%s.%N)
cpu0=$(cpu_ticks "$greeter_pid")
for ((minute = 0; minute <= minutes; ++minute)); do
  ((minute > 0)) && sleep "$sample_seconds"
  still_runs "$greeter_pid" || { echo "the greeter ended at minute $minute: $(tail -n 3 "$work/memory.err")" >&2; exit 1; }
  echo "$minute $(memory_kb "$greeter_pid")" | tee -a "$work/samples" | awk '{ printf "%7d %10d %10d\n", $1, $2, $3 }'
done
cpu=$(awk -v a="$cpu0" -v b="$(cpu_ticks "$greeter_pid")" -v t="$ticks" -v s="$start" -v e="$(date +%s.%N)" \
  'BEGIN { printf "%.3f", (b - a) / t / (e - s) }')
moves=no
scene_moves && moves=yes

# The least-squares slope of column N against the minute, in kB an hour,
# over the samples from minute FROM on.
slope() { # N FROM
  awk -v n="$1" -v from="$2" '$1 >= from { k++; x += $1; y += $n; xx += $1 * $1; xy += $1 * $n }
    END { d = k * xx - x * x; printf "%+.0f", d ? 60 * (k * xy - x * y) / d : 0 }' "$work/samples"
}
summary() { # N NAME
  awk -v n="$1" -v name="$2" 'NR == 1 { first = $n } { last = $n; if ($n > max) max = $n }
    END { printf "%s: first %d kB, last %d kB (%+d), max %d kB", name, first, last, last - first, max }' "$work/samples"
  echo "; slope $(slope "$1" 0) kB/h, over the second half $(slope "$1" $((minutes / 2))) kB/h"
}
echo
summary 2 RSS
summary 3 PSS
echo "greeter CPU over the run: $cpu cores; the scene still moves at the end: $moves"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

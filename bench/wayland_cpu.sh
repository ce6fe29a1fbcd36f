#!/usr/bin/env bash
# CPU cost of the full-screen saver on Wayland against X11 at the same size
# and rate: CPU seconds per wall second of the cascade process (all its
# threads, llvmpipe's included) and of the display server, for
# `cascade -fullscreen` on a 1920x1080 output of headless sway (pixman, run
# as a throwaway user as the Wayland test runs it) and on a 1920x1080 Xvfb.
# The two run in turn, round after round, so that a busy machine weighs on
# both alike; the table gives the medians. Needs root (sway refuses it, so it
# runs as the user nobody). Compare bench/saver_cpu.sh for X11 alone.
#
#   bench/wayland_cpu.sh [-p PROGRAM] [-r ROUNDS] [-s SECONDS_PER_RUN] [SAVER_OPTIONS]
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

program=build/release/linux/cascade
rounds=5
seconds=20
warm_up=2
while [ $# -ge 2 ]; do
  case $1 in
    -p) program=$2 ;;
    -r) rounds=$2 ;;
    -s) seconds=$2 ;;
    *) break ;;
  esac
  shift 2
done
read -r -a options <<<"${1:-}"
[ -x "$program" ] || { echo "no program at $program: build --preset release first" >&2; exit 1; }

workdir=$(mktemp -d)
# The Wayland tests' set-up: the throwaway user, the copy of the program
# ($cascade), the traced compositor and the clean-up.
. linux/tests/support/check_support.sh
. linux/tests/support/wayland_support.sh "$program" "$workdir/wayland"
xvfb_pid=
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid"; stop_all; rm -rf "$workdir"' EXIT

echo "xwayland disable" >"$scratch/config"
start_compositor env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$scratch/config"
user+=(SWAYSOCK="$(compgen -G "$runtime/sway-ipc.*.sock")")
"${user[@]}" swaymsg output HEADLESS-1 mode 1920x1080 >/dev/null || { echo "swaymsg failed" >&2; exit 1; }

exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 display <&"$display_fd" || { echo "Xvfb did not start" >&2; exit 1; }

ticks=$(getconf CLK_TCK)
# utime + stime of a process, in clock ticks (fields 14 and 15).
cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# One run: the saver on HOST (wayland or x11); appends "saver server fps".
measure() {
  local host=$1 server saver0 server0 start end saver1 server1 fps
  if [ "$host" = wayland ]; then
    server=$compositor_pid
    "${user[@]}" "$cascade" -fullscreen "${options[@]}" -fps-stderr 2>"$workdir/fps" &
  else
    server=$xvfb_pid
    "${user[@]}" DISPLAY=":$display" "$cascade" -x11 -fullscreen "${options[@]}" -fps-stderr 2>"$workdir/fps" &
  fi
  pid=$!
  sleep "$warm_up"
  still_runs "$pid" || { echo "the saver ended early on $host: $(cat "$workdir/fps")" >&2; exit 1; }
  start=$(date +%s.%N); saver0=$(cpu_ticks "$pid"); server0=$(cpu_ticks "$server")
  sleep "$seconds"
  end=$(date +%s.%N); saver1=$(cpu_ticks "$pid"); server1=$(cpu_ticks "$server")
  kill "$pid"; wait "$pid"
  fps=$(awk '/ fps$/ { n++; s += $2 } END { if (n) printf "%.1f", s / n; else print 0 }' "$workdir/fps")
  awk -v a="$saver0" -v b="$saver1" -v c="$server0" -v d="$server1" -v s="$start" -v e="$end" -v t="$ticks" \
    -v f="$fps" 'BEGIN { printf "%.3f %.3f %s\n", (b - a) / t / (e - s), (d - c) / t / (e - s), f }' >>"$workdir/runs.$host"
  echo "round $round: $host: $(tail -1 "$workdir/runs.$host") (saver cores, server cores, fps)"
}

echo "$(basename "$program") -fullscreen ${options[*]} at 1920x1080, $seconds s per run, $rounds rounds;" \
  "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= rounds; ++round)); do
  measure wayland
  measure x11
done
echo
printf '%-32s %12s %13s %8s\n' "display (median of $rounds)" "saver cores" "server cores" "fps"
for host in wayland x11; do
  label=$([ $host = wayland ] && echo "Wayland: headless sway" || echo "X11: Xvfb")
  printf '%-32s %12s %13s %8s\n' "$label" "$(cut -d' ' -f1 "$workdir/runs.$host" | median)" \
    "$(cut -d' ' -f2 "$workdir/runs.$host" | median)" "$(cut -d' ' -f3 "$workdir/runs.$host" | median)"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

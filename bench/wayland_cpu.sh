#!/usr/bin/env bash
# CPU cost of the full-screen saver on Wayland against X11 at the same size
# and rate: CPU seconds per wall second of the cascade process (all its
# threads, llvmpipe's included) and of the display server, and the saver's
# CPU milliseconds per frame drawn (alone and with the server's: what the
# whole machine pays) and its page faults per frame, for
# `cascade -fullscreen` on 1920x1080
# outputs of headless sway (pixman, run as a throwaway user as the Wayland
# test runs it) and on a 1920x1080 Xvfb. On Wayland each of the saver's two
# ways of showing its picture is run (CASCADE_WAYLAND_PRESENT: its own
# shared memory, as chosen on llvmpipe, and EGL's window surfaces), on one
# output and on two side by side, the second enabled for those runs only.
# All run in turn, round after round, so that a busy machine weighs on each
# alike; the table gives the medians, and each one's CPU per frame against
# X11's: as the ratio of the medians, and as the median of each round's ratio
# to the X11 run next to it, which leaves out a load that drifts from one
# round to the next. Needs root (sway refuses it, so it runs as the user
# nobody). Compare bench/saver_cpu.sh for X11 alone. With -b, another build
# of the saver (an earlier commit's, say) runs each case too, right after
# PROGRAM, and the table adds its CPU milliseconds per frame and PROGRAM's
# against it: the median of the rounds' ratios, and their range.
#
#   bench/wayland_cpu.sh [-p PROGRAM] [-b BEFORE] [-r ROUNDS] [-s SECONDS_PER_RUN] [-c "CASE..."] [SAVER_OPTIONS]
#
# CASEs, in the order run in each round: egl-1 shm-1 x11 shm-2 egl-2 (the
# default), x11 always among them.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1

program=build/release/linux/cascade
before=
# The Wayland way and the number of outputs, or X11; the runs that ratios
# pair are next to each other.
cases=(egl-1 shm-1 x11 shm-2 egl-2)
rounds=5
seconds=20
warm_up=2
while [ $# -ge 2 ]; do
  case $1 in
    -p) program=$2 ;;
    -b) before=$2 ;;
    -r) rounds=$2 ;;
    -s) seconds=$2 ;;
    -c) read -r -a cases <<<"$2" ;;
    *) break ;;
  esac
  shift 2
done
read -r -a options <<<"${1:-}"
[ -x "$program" ] || { echo "no program at $program: build --preset release first" >&2; exit 1; }
[ -z "$before" ] || [ -x "$before" ] || { echo "no program at $before" >&2; exit 1; }
[[ " ${cases[*]} " == *" x11 "* ]] || { echo "the cases must hold x11, the measure of the others" >&2; exit 1; }

workdir=$(mktemp -d)
# The Wayland tests' set-up: the throwaway user, the copy of the program
# ($cascade), the traced compositor and the clean-up.
. linux/tests/support/check_support.sh
. linux/tests/support/wayland_support.sh "$program" "$workdir/wayland"
xvfb_pid=
trap '[ -n "$xvfb_pid" ] && kill "$xvfb_pid"; stop_all; rm -rf "$workdir"' EXIT
# The earlier build beside the copy of PROGRAM, where the user can run it.
cascade_before=
if [ -n "$before" ]; then
  cascade_before=$scratch/cascade-before
  install -m 755 "$before" "$cascade_before"
fi

echo "xwayland disable" >"$scratch/config"
start_compositor env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$scratch/config"
user+=(SWAYSOCK="$(compgen -G "$runtime/sway-ipc.*.sock")")
swaymsg() { "${user[@]}" swaymsg "$@" >/dev/null || { echo "swaymsg $* failed" >&2; exit 1; }; }
swaymsg output HEADLESS-1 mode 1920x1080 position 0 0
swaymsg create_output
swaymsg output HEADLESS-2 mode 1920x1080 position 1920 0
swaymsg output HEADLESS-2 disable

exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
read -r -t 20 display <&"$display_fd" || { echo "Xvfb did not start" >&2; exit 1; }

# shellcheck source=cpu_support.sh
. bench/cpu_support.sh
# Page faults the kernel served without I/O (field 10): memory handed back
# and taken again, which a steady saver should not do.
minor_faults() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $8 }'; }

# One run, CASE one of the cases below, of PROGRAM ($cascade unless given);
# appends "saver server fps saver-ms/frame +server-ms/frame faults/frame" to
# $workdir/runs.CASE (runs.CASE.before for the earlier build).
measure() {
  local case=$1 program=${2:-$cascade} runs=$workdir/runs.$1${2:+.before}
  local server saver0 server0 start end saver1 server1 fps rates0 rates1 faults0 faults1
  local -a run=("${user[@]}")
  case $case in
    x11) server=$xvfb_pid; run+=(DISPLAY=":$display" "$program" -x11) ;;
    *) server=$compositor_pid; run+=(CASCADE_WAYLAND_PRESENT="${case%-*}" "$program") ;;
  esac
  [[ $case == *-2 ]] && swaymsg output HEADLESS-2 enable
  "${run[@]}" -fullscreen "${options[@]}" -fps-stderr 2>"$workdir/fps" &
  pid=$!
  sleep "$warm_up"
  still_runs "$pid" || { echo "the saver ended early in $case: $(cat "$workdir/fps")" >&2; exit 1; }
  start=$(date +%s.%N); saver0=$(cpu_ticks "$pid"); server0=$(cpu_ticks "$server"); faults0=$(minor_faults "$pid")
  rates0=$(grep -c ' fps$' "$workdir/fps")
  sleep "$seconds"
  end=$(date +%s.%N); saver1=$(cpu_ticks "$pid"); server1=$(cpu_ticks "$server"); faults1=$(minor_faults "$pid")
  rates1=$(grep -c ' fps$' "$workdir/fps")
  kill "$pid"; wait "$pid"
  [[ $case == *-2 ]] && swaymsg output HEADLESS-2 disable
  # The rates of the one-second windows that closed while the CPU was counted:
  # the first ones, slow while the saver starts, would weigh on the per-frame
  # figure of the slower starter.
  fps=$(grep ' fps$' "$workdir/fps" | sed -n "$((rates0 + 1)),${rates1}p" |
    awk '{ n++; s += $2 } END { if (n) printf "%.1f", s / n; else print 0 }')
  awk -v a="$saver0" -v b="$saver1" -v c="$server0" -v d="$server1" -v s="$start" -v e="$end" -v t="$ticks" \
    -v f="$fps" -v g="$faults0" -v h="$faults1" 'BEGIN { saver = (b - a) / t / (e - s); server = (d - c) / t / (e - s)
      frames = f * (e - s)
      printf "%.3f %.3f %s %.1f %.1f %.0f\n", saver, server, f, (f > 0 ? 1000 * saver / f : 0),
        (f > 0 ? 1000 * (saver + server) / f : 0), (frames > 0 ? (h - g) / frames : 0) }' >>"$runs"
  echo "round $round: $case${2:+ (before)}: $(tail -1 "$runs")" \
    "(saver cores, server cores, fps, saver ms/frame, with the server's, saver faults/frame)"
}

label() {
  case $1 in
    x11) echo "X11: Xvfb" ;;
    shm-*) echo "sway, ${1#*-} output(s), shm" ;;
    egl-*) echo "sway, ${1#*-} output(s), EGL" ;;
  esac
}
# The median of column N of a case's runs.
median_of() { cut -d' ' -f"$2" "$workdir/runs.$1" | median; }
# The median of a case's per-round ratios to X11 in column N.
paired_ratio() {
  paste -d' ' "$workdir/runs.$1" "$workdir/runs.x11" |
    awk -v n="$2" -v w=6 '{ print ($(n + w) > 0 ? $n / $(n + w) : 0) }' | median | awk '{ printf "%.2fx", $1 }'
}

echo "$(basename "$program") -fullscreen ${options[*]} at 1920x1080, $seconds s per run, $rounds rounds;" \
  "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= rounds; ++round)); do
  for case in "${cases[@]}"; do
    measure "$case"
    [ -n "$cascade_before" ] && measure "$case" "$cascade_before"
  done
done
echo
x11_ms=$(median_of x11 4)
x11_all=$(median_of x11 5)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2fx", a / b }'; }
row='%-28s %11s %12s %6s %12s %7s %7s %13s %7s %7s %10s\n'
# shellcheck disable=SC2059 # the format is the one above
printf "$row" "medians of $rounds" "saver cores" "server cores" "fps" "saver ms/fr" "vs X11" "paired" \
  "+server ms/fr" "vs X11" "paired" "faults/fr"
for case in "${cases[@]}"; do
  ms=$(median_of "$case" 4)
  all=$(median_of "$case" 5)
  # shellcheck disable=SC2059
  printf "$row" "$(label "$case")" "$(median_of "$case" 1)" "$(median_of "$case" 2)" "$(median_of "$case" 3)" \
    "$ms" "$(ratio "$ms" "$x11_ms")" "$(paired_ratio "$case" 4)" "$all" "$(ratio "$all" "$x11_all")" \
    "$(paired_ratio "$case" 5)" "$(median_of "$case" 6)"
done
if [ -n "$cascade_before" ]; then
  echo
  printf '%-28s %12s %12s %24s\n' "saver ms/frame, medians" "this build" "before" "ratio, paired (range)"
  for case in "${cases[@]}"; do
    printf '%-28s %12s %12s %24s\n' "$(label "$case")" "$(median_of "$case" 4)" \
      "$(cut -d' ' -f4 "$workdir/runs.$case.before" | median)" \
      "$(paste -d' ' "$workdir/runs.$case" "$workdir/runs.$case.before" | awk '{ print ($10 > 0 ? $4 / $10 : 0) }' |
        sort -g | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "%.2fx (%.2f-%.2f)", m, v[1], v[NR] }')"
  done
fi
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

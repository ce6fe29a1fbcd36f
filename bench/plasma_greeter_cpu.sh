#!/usr/bin/env bash
# What our Plasma wallpaper costs behind KDE's lock against what `cascade
# -lock` costs behind its own, at the same size on the same renderer: CPU
# seconds per wall second of (a) KDE's greeter (kscreenlocker_greet
# --testing, its process, all threads, llvmpipe's included) showing the
# scene, (b) the cascade -lock process, and (c) the greeter showing KDE's
# stock image wallpaper, the floor that the greeter's own drawing costs. Each
# runs alone on a fresh headless sway (pixman) at one output size in the
# plasma trixie tree's chroot, measured for SECONDS after a warm-up, and the
# three take turns, round after round, so that a busy machine weighs on each
# alike. Prints each run, then the medians and spread (least to most) of the
# subject's and sway's cores, of the frame rate and of the subject's CPU
# milliseconds per frame (fairer where the greeter cannot keep the rate), the
# ratio a/b per round and its median, of cores and per frame, and a-c
# against b.
# Frame rates: the lock's from its own -fps-stderr; the greeter's from Qt
# Quick's render loop, one line a frame it renders (QSG_RENDER_TIMING; with
# the scene moving, nearly all of them are frames of the scene).
# Needs root (the chroot; sway refuses root, so all runs as a throwaway user).
#
#   bench/plasma_greeter_cpu.sh [-p PROGRAM] [-d PLASMA_DEB] [-r ROUNDS] [-s SECONDS_PER_RUN] [-g WIDTHxHEIGHT]
#                               [-c "CASE..."] [-f plain]
#
# CASEs: scene lock image (the default, in that order), lock-egl; scene,
# lock and image always among them. With -f plain, the lock screen's
# wallpaper fader (KDE's, which blurs and tints the wallpaper once the prompt
# shows, and redraws both for every frame of a moving one even while it does
# neither) is cut down to its states in the chroot's copy, to split its part
# of the greeter's cost from the rest.
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
rounds=5
seconds=20
size=1024x768
fader=kde
# The greeter's QML and the scene's textures take some seconds to load on a
# loaded machine; its first frames are not what a night costs.
readonly warm_up=8
# In the order run each round; scene and lock, the pair a ratio takes, next
# to each other. lock-egl, the lock showing its picture through EGL's window
# surfaces as Qt does (on llvmpipe it chooses its own shared memory), is run
# where -c names it.
cases=(scene lock image)
arguments=("$@")
while [ $# -ge 2 ]; do
  case $1 in
    -p) program=$2 ;;
    -d) deb=$2 ;;
    -r) rounds=$2 ;;
    -s) seconds=$2 ;;
    -g) size=$2 ;;
    -c) read -r -a cases <<<"$2" ;;
    -f) fader=$2 ;;
    *) echo "unknown option $1" >&2; exit 1 ;;
  esac
  shift 2
done
[[ $fader == kde || $fader == plain ]] || { echo "-f takes kde or plain" >&2; exit 1; }
for needed in scene lock image; do
  [[ " ${cases[*]} " == *" $needed "* ]] || { echo "the cases must hold scene, lock and image" >&2; exit 1; }
done
plasma_bench_inside || plasma_bench_enter "$program" "$deb" "$here/$(basename "$0")" "${arguments[@]}"

plasma_bench_setup "$size"
[ "$fader" = plain ] && plain_fader
stop_compositor
base_user=("${user[@]:0:${#user[@]}-2}") # without sway's socket and IPC

# Frames the subject had rendered by now, from its log ERR.
frames_in() { # CASE ERR
  case $1 in
    lock*) grep ' fps$' "$2" | awk '{ s += $2 } END { print s + 0 }' ;;
    *) grep -c "frame rendered in" "$2" ;;
  esac
}
# One run of CASE on a fresh sway; appends "subject sway fps" to $work/runs.CASE.
measure() {
  local case=$1 err=$work/$1.$round.err subject start end cpu0 cpu1 sway0 sway1 frames0 frames1
  user=("${base_user[@]}")
  start_sway
  "${user[@]}" swaymsg output HEADLESS-1 mode "$size" >/dev/null || { echo "sway took no mode $size" >&2; exit 1; }
  case $case in
    scene) start_greeter "$case.$round" "$scene_wallpaper" QSG_RENDER_TIMING=1 ;;
    image) start_greeter "$case.$round" "$image_wallpaper" QSG_RENDER_TIMING=1 ;;
    lock) "${user[@]}" DISPLAY=:none "$cascade" -lock -fps-stderr 2>"$err" & ;;
    lock-egl) "${user[@]}" DISPLAY=:none CASCADE_WAYLAND_PRESENT=egl "$cascade" -lock -fps-stderr 2>"$err" & ;;
  esac
  subject=$!
  sleep "$warm_up"
  still_runs "$subject" || { echo "$case ended early: $(tail -n 3 "$err")" >&2; exit 1; }
  [ "$case" = scene ] && ! scene_moves && echo "round $round: the scene does not show" >&2
  start=$(date +%s.%N); cpu0=$(cpu_ticks "$subject"); sway0=$(cpu_ticks "$compositor_pid"); frames0=$(frames_in "$case" "$err")
  sleep "$seconds"
  end=$(date +%s.%N); cpu1=$(cpu_ticks "$subject"); sway1=$(cpu_ticks "$compositor_pid"); frames1=$(frames_in "$case" "$err")
  # The lock takes no stop signal; the greeter is ended as sharply.
  kill -KILL "$subject"; wait "$subject" 2>/dev/null
  stop_compositor
  # The lock's rates are per second, summed: frames over its whole seconds.
  awk -v a="$cpu0" -v b="$cpu1" -v c="$sway0" -v d="$sway1" -v s="$start" -v e="$end" -v t="$ticks" \
    -v f="$frames0" -v g="$frames1" 'BEGIN { cores = (b - a) / t / (e - s); fps = (g - f) / (e - s)
      printf "%.3f %.3f %.1f %.1f\n", cores, (d - c) / t / (e - s), fps, (fps > 0 ? 1000 * cores / fps : 0) }' \
    >>"$work/runs.$case"
  echo "round $round: $case: $(tail -1 "$work/runs.$case") (subject cores, sway cores, fps, subject ms/frame)"
}

label() {
  case $1 in
    scene) echo "greeter, our scene (a)" ;;
    lock) echo "cascade -lock (b)" ;;
    lock-egl) echo "cascade -lock, EGL" ;;
    image) echo "greeter, KDE's image (c)" ;;
  esac
}
column() { cut -d' ' -f"$2" "$work/runs.$1"; } # CASE N
# "median (least-most)" of column N of a case's runs.
spread() { # CASE N
  echo "$(column "$1" "$2" | median) ($(column "$1" "$2" | sort -g | head -1)-$(column "$1" "$2" | sort -g | tail -1))"
}

echo "KDE's greeter (its wallpaper fader: $fader) and cascade -lock at $size on headless sway (pixman, llvmpipe), $seconds s per run," \
  "$rounds rounds; load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for ((round = 1; round <= rounds; ++round)); do
  for case in "${cases[@]}"; do measure "$case"; done
done
echo
row='%-26s %22s %22s %18s %18s\n'
# shellcheck disable=SC2059 # the format is the one above
printf "$row" "medians of $rounds (spread)" "subject cores" "sway cores" "fps" "ms/frame"
for case in "${cases[@]}"; do
  # shellcheck disable=SC2059
  printf "$row" "$(label "$case")" "$(spread "$case" 1)" "$(spread "$case" 2)" "$(spread "$case" 3)" "$(spread "$case" 4)"
done
ratios=$(paste -d' ' "$work/runs.scene" "$work/runs.lock" | awk '{ printf "%.2f\n", ($5 > 0 ? $1 / $5 : 0) }')
above_floor=$(paste -d' ' "$work/runs.scene" "$work/runs.image" "$work/runs.lock" |
  awk '{ printf "%.2f\n", ($9 > 0 ? ($1 - $5) / $9 : 0) }')
echo "a/b per round: $(tr '\n' ' ' <<<"$ratios")-> median $(median <<<"$ratios")x (the issue allows 1.2x)"
per_frame=$(paste -d' ' "$work/runs.scene" "$work/runs.lock" | awk '{ printf "%.2f\n", ($8 > 0 ? $4 / $8 : 0) }')
echo "a/b per frame, per round: $(tr '\n' ' ' <<<"$per_frame")-> median $(median <<<"$per_frame")x"
echo "(a-c)/b per round, the wallpaper's part of the greeter: $(tr '\n' ' ' <<<"$above_floor")-> median" \
  "$(median <<<"$above_floor")x"
if [ -e "$work/runs.lock-egl" ]; then
  egl=$(paste -d' ' "$work/runs.scene" "$work/runs.lock-egl" | awk '{ printf "%.2f\n", ($5 > 0 ? $1 / $5 : 0) }')
  echo "a/(lock, EGL) per round: $(tr '\n' ' ' <<<"$egl")-> median $(median <<<"$egl")x"
fi
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"

#!/usr/bin/env bash
# CPU cost of the lock: `cascade -lock` on one 1920x1080 output of Debian 13's
# headless sway (ext-session-lock-v1, which Debian 12's sway lacks), in the
# trixie tree's chroot as the lock stage runs it: CPU milliseconds per frame
# of the locker (all its threads) over SECONDS_PER_RUN after a short
# warm-up, with the scene behind no prompt. With -b, an earlier build locks
# right after this one in every round (each locker killed takes the lock
# over from the one before, as a locker restarted after a crash does), and
# the table adds its figure and the median of the rounds' ratios with their
# range.
#
#   bench/lock_cpu.sh [-p PROGRAM] [-b BEFORE] [-r ROUNDS] [-s SECONDS_PER_RUN]
#
# In the chroot the same file runs as the stage: lock_cpu.sh PROGRAM BEFORE
# PAM_SERVICE SETTINGS CPU_SUPPORT WORK_DIR.
set -uo pipefail
if [ -d /cascade-test ]; then
  # shellcheck source=../linux/tests/support/check_support.sh
  . "$(dirname "$0")/../support/check_support.sh"
  wayland_user_id=4243 lock_user=cascade-bench
  # shellcheck source=../linux/tests/support/lock_support.sh
  . "$(dirname "$0")/../support/lock_support.sh" "$1" "$3" "$6"
  # shellcheck source=/dev/null
  . "$4"
  # shellcheck source=cpu_support.sh
  . "$5"
  programs=("$cascade")
  [ "$compare" = 1 ] && install -m 755 "$2" "$scratch/before" && programs+=("$scratch/before")
  start_lock_sway
  swaymsg output HEADLESS-2 disable
  swaymsg output HEADLESS-1 mode 1920x1080
  for round in $(seq "$rounds"); do
    for which in "${!programs[@]}"; do
      name=run$round.$which
      "${user[@]}" DISPLAY=:none "${programs[$which]}" -lock -fps-stderr >/dev/null 2>"$work/$name.err" &
      pid=$!
      wait_line "$name" "the session is locked"
      sleep 2
      lines=$(grep -c ' fps$' "$work/$name.err")
      start=$(cpu_ticks "$pid")
      sleep "$seconds"
      end=$(cpu_ticks "$pid")
      still_runs "$pid" || fail "$name: the locker ended: $(tail -n 3 "$work/$name.err")"
      fps=$(tail -n +$((lines + 1)) "$work/$name.err" | awk '/ fps$/ { s += $(NF - 1); n++ } END { print n ? s / n : 0 }')
      kill -KILL "$pid"
      wait "$pid" 2>/dev/null
      awk -v c=$((end - start)) -v t="$ticks" -v s="$seconds" -v f="$fps" -v r="$round" -v w="$which" \
        'BEGIN { printf "round %d %s: %.1f fps, %.2f ms/frame\n", r, w ? "before" : "this build", f, c * 1000 / t / s / f }'
    done
  done
  exit 0
fi

cd "$(dirname "$0")/.." || exit 1
program=build/release/linux/cascade
before=none
rounds=5
seconds=20
while getopts p:b:r:s: option; do
  case $option in
    p) program=$OPTARG ;;
    b) before=$OPTARG ;;
    r) rounds=$OPTARG ;;
    s) seconds=$OPTARG ;;
    *) exit 2 ;;
  esac
done
[ -x "$program" ] || { echo "no program at $program: build --preset release first" >&2; exit 1; }
# shellcheck source=../linux/tests/support/check_support.sh
. linux/tests/support/check_support.sh
# shellcheck source=../linux/tests/support/trixie_tree.sh
. linux/tests/support/trixie_tree.sh
# shellcheck source=cpu_support.sh
. bench/cpu_support.sh
trixie_tree_or_skip "$trixie_cache_root/sway"
out=$(mktemp -d)
compare=1
[ "$before" = none ] && compare=0 before=$program
echo "rounds=$rounds seconds=$seconds compare=$compare" >"$out/settings"
trixie_run "$out" lock "$0" "$program" "$before" linux/package/pam/cascade "$out/settings" bench/cpu_support.sh |
  tee "$out/runs"
figures() { grep "$1" "$out/runs" | sed 's|.*, \([0-9.]*\) ms/frame|\1|'; } # WHICH
echo "this build: $(figures 'this build' | median) ms/frame (median of $rounds)"
if [ "$compare" = 1 ]; then
  earlier=$(figures before | median)
  ratios=$(paste <(figures 'this build') <(figures before) | awk '{ printf "%.3f\n", $1 / $2 }')
  echo "before: $earlier ms/frame; ratio, paired: $(median <<<"$ratios")x ($(sort -g <<<"$ratios" | head -n 1)-$(sort -g <<<"$ratios" | tail -n 1))"
fi
rm -rf "$out"

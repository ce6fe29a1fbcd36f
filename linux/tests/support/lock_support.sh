# shellcheck shell=bash
# Sourced by the lock stage's scripts after check_support.sh, with the
# program, the PAM service file and the work folder, and with $wayland_user_id
# and $lock_user naming the stage's own test user: that user with $password,
# checked by pam_unix through the PAM service file of the source tree; sway
# started by start_lock_sway, whose windows' title bars and borders are
# $desktop_colour, seen in grim's pictures or not; the locker's helpers.
# It changes the system's users and PAM services, so it runs only in the
# trixie tree's chroot, whose changes go with it.
[ -d /cascade-test ] || { echo "SKIP: runs only in the trixie tree's chroot (wayland_trixie_test.sh)"; exit 77; }
# shellcheck source=wayland_support.sh
. "$(dirname "${BASH_SOURCE[0]}")/wayland_support.sh" "$1" "$3"
password='correct-Horse 9'
/usr/sbin/groupadd -g "$user_id" "$lock_user" && /usr/sbin/useradd -u "$user_id" -g "$user_id" -d "$scratch/home" "$lock_user" &&
  /usr/sbin/chpasswd <<<"$lock_user:$password" && install -m 644 "$2" /etc/pam.d/cascade || {
  echo "FAIL: the test user or the PAM service could not be set up" >&2
  exit 1
}
# A locker that outlived its checks takes no SIGTERM from stop_all.
stop_lockers() {
  local left
  for left in $(our_cascades); do kill -KILL "$left"; done
  stop_all
}
trap stop_lockers EXIT
outputs=(HEADLESS-1 HEADLESS-2)
readonly shot_type=ppm
# Found nowhere in the scene; a share of the first output's pixels above
# $desktop_shown is the window's frame, one below $desktop_hidden a stray.
readonly desktop_colour='#e01a6e' desktop_shown=0.01 desktop_hidden=0.001

# sway with the desktop's frame colours and CONFIG_LINES besides, its two
# outputs side by side.
start_lock_sway() { # CONFIG_LINE...
  local frame
  frame=$(printf '%s ' "$desktop_colour" "$desktop_colour" "$desktop_colour" "$desktop_colour" "$desktop_colour")
  start_sway "default_border normal 8" "client.focused $frame" "client.focused_inactive $frame" \
    "client.unfocused $frame" "$@"
  swaymsg create_output
  swaymsg output HEADLESS-1 mode 800x600 position 0 0
  swaymsg output HEADLESS-2 mode 640x480 position 800 0
}
swaymsg() { "${user[@]}" swaymsg "$@" >>"$work/swaymsg.log" || fail "swaymsg $*"; }
output_shot() { "${user[@]}" grim -t ppm -o "$2" - >"$1"; } # FILE OUTPUT
# covered() never takes black for the scene, and black is what sway 1.10
# shows on an output with neither a window nor a lock surface; the colour it
# must not take either is the red sway fills the outputs with once a locker
# died holding the lock.
readonly background="255 0 0"

desktop_share() { convert "$1" +transparent "$desktop_colour" -alpha extract -format '%[fx:mean]' info:; } # FILE
# Waits until the first output's picture shows the desktop.
wait_desktop() { # NAME
  local end=$((SECONDS + wait_limit)) file=$work/$1.HEADLESS-1.ppm
  until output_shot "$file" HEADLESS-1 && at_least "$(desktop_share "$file")" $desktop_shown || [ $SECONDS -ge $end ]; do
    sleep 0.3
  done
  at_least "$(desktop_share "$file")" $desktop_shown || fail "$1: the desktop does not show (see $file)"
}
# The prompt's box, black within, over the middle of the first output, where
# the scene has no black (covered() takes black for no scene at all).
prompt_in() { # FILE
  at_least "$(convert "$1" -gravity center -crop 60x20+0+0 +repage -fill white +opaque black \
    -format '%[fx:1-mean]' info:)" 0.5
}
# Waits, up to the limit, for the prompt to show, or with "hidden" to go.
prompt_shown() { # NAME [hidden]
  local file=$work/$1.HEADLESS-1.ppm end=$((SECONDS + wait_limit)) want=shown seen
  [ "${2:-}" = hidden ] && want=hidden
  while :; do
    seen=hidden
    output_shot "$file" HEADLESS-1 && prompt_in "$file" && seen=shown
    [ $seen = $want ] || [ $SECONDS -ge $end ] && break
    sleep 0.2
  done
  if [ $seen = $want ]; then
    return
  elif [ $want = shown ]; then
    fail "$1: no prompt over the scene (see $file)"
  else
    fail "$1: the prompt still shows (see $file)"
  fi
}
# After wait_covered NAME: nothing of the desktop in its picture.
desktop_hidden() { # NAME
  at_least "$(desktop_share "$work/$1.HEADLESS-1.ppm")" $desktop_hidden &&
    fail "$1: the desktop shows through the lock (see $work/$1.HEADLESS-1.ppm)"
}
# A locker in the background, its pid in $pid. Bash starts a background job
# with SIGINT ignored; the locker gets it at its default, as from a terminal.
start_lock() { # NAME
  "${user[@]}" DISPLAY=:none env --default-signal=INT "$cascade" -lock >/dev/null 2>"$work/$1.err" &
  pid=$!
}
# Waits, up to the limit, for a line of the locker's; fails without it.
wait_line() { # NAME TEXT
  local end=$((SECONDS + wait_limit))
  until grep -sqF "$2" "$work/$1.err" || ! still_runs "$pid" || [ $SECONDS -ge $end ]; do sleep 0.1; done
  grep -qF "$2" "$work/$1.err" || fail "$1: no line '$2': $(tail -n 3 "$work/$1.err")"
}
# Shows the prompt with a key (Backspace, which would take back what a key
# that showed it typed, and which the desktop's window takes as nothing
# where a fault let it through), then types TEXT and Enter.
type_password() { "${user[@]}" wtype -s 300 -k BackSpace -s 200 "$1" -k Return || fail "wtype"; } # TEXT
# Waits for the COUNTth line of the locker's with TEXT, a check's answer:
# on a loaded machine, where the stages share the cores with llvmpipe, that
# may take longer than a picture.
wait_lines() { # NAME TEXT COUNT
  local end=$((SECONDS + 3 * wait_limit))
  until [ "$(grep -cF "$2" "$work/$1.err")" -ge "$3" ] || ! still_runs "$pid" || [ $SECONDS -ge $end ]; do sleep 0.1; done
  [ "$(grep -cF "$2" "$work/$1.err")" -ge "$3" ] || fail "$1: fewer than $3 lines '$2': $(tail -n 3 "$work/$1.err")"
}
# The locker $pid unlocked: its line, exit 0, the desktop again.
unlocked() { # NAME
  wait_lines "$1" "cascade: the session is unlocked" 1
  expect_exit "$1" 0
  wait_desktop "$1-unlocked"
}
unlock() { # NAME
  type_password "$password"
  unlocked "$1"
}

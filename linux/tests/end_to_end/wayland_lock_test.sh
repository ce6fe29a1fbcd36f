#!/usr/bin/env bash
# cascade -lock in Debian 13's sway (ext-session-lock-v1), headless with two
# outputs, as a test user whose password pam_unix checks through the PAM
# service file of the source tree. The desktop is a window of Cascade's own
# whose title bar and borders sway draws in $desktop_colour, seen in grim's
# pictures or not:
#  - locked, the scene covers both outputs and the desktop is hidden;
#  - a second locker is refused (exit 1) and the first keeps the lock;
#  - SIGTERM, SIGINT and SIGHUP change nothing;
#  - a wrong password is not accepted and keeps the lock;
#  - the right one unlocks: exit 0, the desktop shows again;
#  - SIGKILL leaves the session locked, in sway's red alone; a new locker
#    takes the lock over, covers an output plugged in meanwhile, and the
#    right password unlocks;
#  - the idle watcher's -lock-after turns its saver into the lock: a key
#    brings the prompt, the password ends the saver, the watcher stays; a
#    watcher ended meanwhile leaves the locked saver to be unlocked;
#  - nothing left running, and sway started no program (strace).
# It changes the system's users and PAM services, so it runs only in the
# trixie tree's chroot, whose changes go with it.
# Usage: wayland_lock_test.sh CASCADE PAM_SERVICE WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
wayland_user_id=4242 lock_user=cascade-lock
# shellcheck source=../support/lock_support.sh
. "$(dirname "$0")/../support/lock_support.sh" "$@"
readonly password
start_lock_sway

# -- The desktop: a window of Cascade's, 5 frames a second.
start desktop -delay 200000
desktop=$pid
wait_desktop desktop

# -- Locked: the scene on both outputs, the desktop hidden.
start_lock lock
locker=$pid
wait_line lock "cascade: the session is locked"
wait_covered lock
desktop_hidden lock

# -- A second locker is refused; the first keeps the lock.
start_lock second
expect_exit second 1
grep -q refused "$work/second.err" || fail "second: no line saying it was refused: $(cat "$work/second.err")"
pid=$locker
still_runs "$locker" || fail "second: the first locker ended"
wait_covered second-refused
desktop_hidden second-refused

# -- The stop signals change nothing.
for signal in TERM INT HUP; do
  kill -$signal "$locker"
  sleep 0.5
  still_runs "$locker" || {
    fail "SIG$signal ended the locker"
    break
  }
done
wait_covered signals
desktop_hidden signals

# -- A wrong password keeps the lock; the right one ends it.
type_password wrong-horse
wait_line lock "cascade: the password was not accepted"
still_runs "$locker" || fail "wrong password: the locker ended"
# The prompt, which says so, now hides the middle of the scene.
prompt_shown wrong
desktop_hidden wrong
unlock lock

# -- A locker killed outright leaves the session locked: sway's red over
# every output, nothing else. A new locker takes the lock over, covers an
# output plugged in while it holds it, and unlocks.
abandoned() { [ "$(convert "$1" -format '%k %[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)" = "1 $background" ]; }
start_lock killed
wait_line killed "cascade: the session is locked"
wait_covered killed
disown "$pid" # no "Killed" from bash
kill -KILL "$pid"
wait_ended "$pid"
end=$((SECONDS + wait_limit))
for output in "${outputs[@]}"; do
  file=$work/killed-after.$output.ppm
  until output_shot "$file" "$output" && abandoned "$file" || [ $SECONDS -ge $end ]; do sleep 0.3; done
  abandoned "$file" || fail "killed: $output shows more than sway's red of a lock whose locker died (see $file)"
done
start_lock takeover
wait_line takeover "cascade: the session is locked"
wait_covered takeover
swaymsg create_output
outputs+=(HEADLESS-3)
wait_covered plugged
desktop_hidden plugged
unlock takeover

# -- The idle watcher's -lock-after, where the compositor offers the lock:
# its saver becomes the lock itself, so a key brings the prompt rather than
# ending it, the password ends it, and the watcher stays.
start watcher -idle 2 -lock-after 1
watcher=$pid window=$desktop
wait_saver own-lock
saver=$(saver_children)
[ "$(wc -w <<<"$saver")" -eq 1 ] || fail "own-lock: the watcher did not bring up one saver"
pid=$saver
wait_line watcher "cascade: the session is locked"
"${user[@]}" wtype -s 300 -k BackSpace || fail "wtype"
sleep 1
still_runs "$saver" || fail "own-lock: a key ended the saver that holds the lock"
prompt_shown own-lock-prompt
desktop_hidden own-lock-prompt
type_password "$password"
wait_line watcher "cascade: the session is unlocked"
wait_ended "$saver"
still_runs "$saver" && fail "own-lock: the saver still runs after the unlock"
wait_desktop own-lock-unlocked
pid=$watcher
still_runs "$watcher" || fail "own-lock: the watcher ended with its saver"
# Ended while its saver holds the lock, the watcher leaves it running:
# killed, it would leave the session locked with nobody to unlock it.
wait_saver own-lock-again
saver=$(saver_children)
pid=$saver
end=$((SECONDS + wait_limit))
until [ "$(grep -c 'session is locked' "$work/watcher.err")" -ge 2 ] || [ $SECONDS -ge $end ]; do sleep 0.1; done
pid=$watcher
kill -TERM "$watcher"
expect_exit watcher 0
sleep 1
still_runs "$saver" || fail "own-lock: the watcher's end took the saver that held the lock"
pid=$saver
type_password "$password"
wait_ended "$saver"
still_runs "$saver" && fail "own-lock: the saver left behind did not unlock"
wait_desktop own-lock-left-unlocked

# -- Nothing left but the desktop's window, and sway started no program.
pid=$desktop
swaymsg '[app_id="cascade"]' kill
expect_exit desktop 0
stop_compositor
nothing_left
# sway logs the kernel's name through `sh -c "uname -a"`.
compositor_started_only '/usr/bin/sway|/bin/sh|/usr/bin/uname'

[ $status -eq 0 ] && echo "Lock OK: the scene on every output, a second locker refused, stop signals ignored, wrong and right passwords, SIGKILL left locked and taken over, the watcher's saver as the lock"
exit $status

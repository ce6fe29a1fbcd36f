#!/usr/bin/env bash
# Cascade's idle watcher in the GNOME desktop: GNOME Shell under
# gnome-session, headless with two virtual monitors, as a throwaway user on
# session and system buses of its own, with stand-ins for GDM and logind on
# the latter (support/desktop_services.py) so that GNOME offers its lock
# screen. Pictures and input go through mutter's own ScreenCast and
# RemoteDesktop APIs, the overview and an inhibitor through GNOME Shell's
# (support/gnome_remote.py).
#  - at login, with GNOME's overview open, cascade -idle 2 brings the scene
#    over both monitors, not into a thumbnail; a key ends it, the watcher
#    stays;
#  - Super ends the saver, and the desktop shows, not the overview;
#  - GNOME's lock ends the saver and none comes under it, after motion and
#    a long idle spell; once it goes, the desktop shows, and the next idle
#    spell brings the saver;
#  - GNOME's blank delay, shortened under a watcher, brings the saver early;
#  - gnome-session-inhibit's and the freedesktop interface's inhibitors keep
#    the saver away;
#  - with -lock-after, 1 px of motion ends the saver after the lock, twice;
#  - SIGTERM ends the watcher with 0 and leaves nothing of Cascade running;
#  - no idle signal to be had (no session bus): one line, exit 1;
#  - GNOME going away ends a watcher with one line and 1.
# Usage: gnome_test.sh CASCADE WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
for program in gnome-session gnome-shell gjs /usr/libexec/gsd-screensaver-proxy pipewire wireplumber gst-launch-1.0 dbus-daemon; do
  command -v "$program" >/dev/null || {
    [ "${CI:-}" = true ] && { echo "FAIL: $program is not installed (scripts/install-deps.sh installs it)"; exit 1; }
    echo "SKIP: $program is not installed (scripts/install-deps.sh installs it)"
    exit 77
  }
done
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$2"
readonly monitors=(800x600 640x480)
# shellcheck source=../support/gnome_session.sh
. "$(dirname "$0")/../support/gnome_session.sh"
send_key() { ask "${activity:-key 0x78}"; }
screen_saver() { # METHOD [ARGUMENT]: a call to GNOME's own screen saver
  "${user[@]}" gdbus call --session -d org.gnome.ScreenSaver -o /org/gnome/ScreenSaver \
    -m "org.gnome.ScreenSaver.$1" "${@:2}" >/dev/null || fail "org.gnome.ScreenSaver.$1 failed"
}
# The desktop's background is the overview's plain grey, so that neither
# the desktop nor the overview with its thumbnails counts as the scene; and
# GNOME blanks only when a check asks it to, and then does not lock.
gnome_set background picture-uri ''
gnome_set background primary-color '#232323'
gnome_set session idle-delay 0
gnome_set screensaver lock-enabled false
output_shot "$work/empty.png" "${outputs[1]}"
background=$(convert "$work/empty.png" -format '%[fx:int(255*p{0,0}.r)] %[fx:int(255*p{0,0}.g)] %[fx:int(255*p{0,0}.b)]' info:)
# Fails where a saver runs, or any monitor shows the scene: the desktop shows.
desktop_shows() { # NAME
  local output
  [ -z "$(saver_children)" ] || fail "$1: a saver runs: $(saver_children)"
  for output in "${outputs[@]}"; do
    output_shot "$work/$1.$output.png" "$output" && ! covered "$work/$1.$output.png" ||
      fail "$1: $output shows the scene, not the desktop"
  done
}
# Ends any saver left by a failed check, GNOME's shield, and the overview;
# then input, from which the next idle spell counts.
tidy_up() {
  local saver
  for saver in $(saver_children); do kill "$saver"; done
  screen_saver SetActive false
  ask overview-set false
  sleep "$settle"
  send_key
}
readonly settle=1 # seconds for GNOME Shell to finish an animation

# -- At login GNOME opens its overview: a watcher started then brings the
# scene over both monitors, not into a thumbnail; a key ends it.
ask overview-is true
start idle -idle 2
watcher=$pid
idle_cycle overview
tidy_up

# -- Super, with the saver up, ends it, and the desktop shows, not the
# overview.
activity="key 0xffeb" idle_cycle super
sleep "$settle"
ask overview-is false
tidy_up

# -- GNOME's lock ends the saver; no saver comes under the lock, after
# motion on it and a longer idle spell than -idle; when the lock goes the
# desktop shows, and the next idle spell brings the saver again.
readonly idle_spell=5 # seconds without input: more than -idle 2
wait_saver lock
saver=$(saver_children)
screen_saver Lock
wait_ended "$saver"
! still_runs "$saver" || fail "lock: the saver stayed under GNOME's lock"
ask move 5 5
sleep "$idle_spell"
[ -z "$(saver_children)" ] || fail "lock: a saver runs under GNOME's lock after an idle spell"
screen_saver SetActive false
sleep "$settle"
desktop_shows unlocked
tidy_up
idle_cycle relocked
kill -TERM "$watcher"
expect_exit idle 0
[ -z "$(our_cascades)" ] || fail "idle: still running after SIGTERM: $(our_cascades)"

# -- GNOME's blank delay, changed to 6 s under a watcher asked for 60, is
# followed: the saver comes at about 3 s after the next input.
readonly blank_soonest=2 blank_latest=10 # seconds after the input: about 3, well before 60
start blank -idle 60
watcher=$pid
sleep "$settle"
# Input first, so that the idle spell the change lands in is short of 2 s:
# a watch for a spell already longer fires at once.
send_key
gnome_set session idle-delay 6
send_key
began=$EPOCHREALTIME
elapsed() { awk -v now="$EPOCHREALTIME" -v began="$began" 'BEGIN { printf "%.1f", now - began }'; }
# Seen once is enough: GNOME's own blanking, at 6 s, ends it again.
came="had not come"
until at_least "$(elapsed)" "$blank_latest"; do
  [ -n "$(saver_children)" ] && { came=came; break; }
  sleep 0.1
done
took=$(elapsed)
[ "$came" = came ] && at_least "$took" "$blank_soonest" ||
  fail "blank: with GNOME blanking at 6 s, the saver $came $took s after the input"
gnome_set session idle-delay 0
kill -TERM "$watcher"
expect_exit blank 0
tidy_up

# -- GNOME's inhibitors keep the saver away longer than -idle; it comes once
# they go. One is gnome-session-inhibit's, one the freedesktop interface's,
# held by gnome_remote.py's connection.
readonly inhibit_hold=6 # seconds of input-free inhibition: more than -idle 2
start inhibit -idle 2
watcher=$pid
inhibited_spell() { # NAME: no saver in a spell, then the saver once the inhibitor goes
  send_key
  sleep "$inhibit_hold"
  [ -z "$(saver_children)" ] || fail "$1: a saver came under the inhibitor"
}
"${user[@]}" gnome-session-inhibit --inhibit idle sleep $((inhibit_hold + 2)) &
inhibitor=$!
sleep "$settle"
inhibited_spell session-inhibit
wait "$inhibitor"
send_key
idle_cycle session-inhibited
ask inhibit
inhibited_spell freedesktop-inhibit
ask uninhibit
send_key
idle_cycle freedesktop-inhibited
kill -TERM "$watcher"
expect_exit inhibit 0

# -- With a lock after a second of saver: after the lock, activity that is
# not the saver's to end on (1 px of motion) ends it, through GNOME's
# activity watch, since a lock screen would have taken the input; twice.
start lock-after -idle 2 -lock-after 1 -lock-command true
watcher=$pid
lock_wait=2.5 activity="move 1 0"
idle_cycle lock-after-1
idle_cycle lock-after-2
unset lock_wait activity
kill -TERM "$watcher"
expect_exit lock-after 0

# -- No idle signal to be had (here no bus): one line naming what is
# missing, exit 1.
"${user[@]}" DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/no-bus" "$cascade" -idle 5 >/dev/null 2>"$work/no-bus.err"
code=$?
[ $code -eq 1 ] && [ "$(wc -l <"$work/no-bus.err")" -eq 1 ] && grep -q "no session bus" "$work/no-bus.err" ||
  fail "no bus: exit $code: $(cat "$work/no-bus.err")"

# -- GNOME goes away under a watcher: the session ends, and GNOME Shell with it.
start gone -idle 60
sleep 1
kill "$compositor_pid"
expect_exit gone 1
wait "$compositor_pid"
compositor_pid=
[ "$(wc -l <"$work/gone.err")" -eq 2 ] || fail "gone: not one line after the start: $(cat "$work/gone.err")"
nothing_left

[ $status -eq 0 ] && echo "GNOME OK: the saver over the overview, Super, GNOME's lock, its blank delay followed, its inhibitors, the lock cycle, SIGTERM, no bus, GNOME gone"
exit $status

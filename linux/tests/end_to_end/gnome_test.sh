#!/usr/bin/env bash
# Cascade's idle watcher in GNOME's compositor: Debian's mutter, headless,
# with two virtual monitors, started as a throwaway user on a session bus of
# its own, with PipeWire for its screenshots. Pictures and input go through
# mutter's own ScreenCast and RemoteDesktop APIs (support/gnome_remote.py).
#  - cascade -idle 2: GNOME's idle monitor brings the saver on both monitors
#    after two seconds without input; a key takes it away and the watcher
#    stays; after the lock (-lock-after), 1 px of motion does, twice;
#  - SIGTERM ends the watcher with 0 and leaves nothing of Cascade running;
#  - with GNOME's blank delay shorter than -idle, the saver comes before it;
#  - no idle signal to be had (no session bus): one line, exit 1;
#  - the compositor going away ends a watcher with one line and 1.
# Usage: gnome_test.sh CASCADE WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
for program in mutter pipewire wireplumber gst-launch-1.0 dbus-daemon; do
  command -v "$program" >/dev/null || {
    [ "${CI:-}" = true ] && { echo "FAIL: $program is not installed (scripts/install-deps.sh installs it)"; exit 1; }
    echo "SKIP: $program is not installed (scripts/install-deps.sh installs it)"
    exit 77
  }
done
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$2"
readonly outputs=(Meta-0 Meta-1)
readonly shot_type=png
install -m 644 "$(dirname "$0")/../support/gnome_remote.py" "$scratch/gnome_remote.py"

# The session bus, then the compositor and PipeWire on it.
"${user[@]}" dbus-daemon --session --address="unix:path=$runtime/bus" --nofork --nopidfile \
  >"$work/bus.log" 2>&1 &
helper_pids+=("$!")
user+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus")
for _ in $(seq 50); do [ -S "$runtime/bus" ] && break; sleep 0.1; done
start_compositor mutter --headless --wayland --no-x11 --wayland-display=wayland-gnome \
  --virtual-monitor 800x600 --virtual-monitor 640x480
for server in pipewire wireplumber; do
  "${user[@]}" "$server" >"$work/$server.log" 2>&1 &
  helper_pids+=("$!")
done
coproc remote { "${user[@]}" python3 "$scratch/gnome_remote.py" 2>"$work/remote.err"; }
helper_pids+=("$remote_PID")
ask() {
  local answer
  echo "$*" >&"${remote[1]}" && read -r -t 120 answer <&"${remote[0]}" && [ "$answer" = ok ] ||
    fail "GNOME did not take '$*': ${answer:-no answer} $(tail -n 2 "$work/remote.err")"
}
# The throwaway user may not write in the work folder: its pictures land in
# a folder of its own first.
install -d -o "$user_id" -g "$user_id" "$scratch/shots"
send_key() { ask "${activity:-key 0x78}"; }
output_shot() { ask shot "$2" "$scratch/shots/picture.png" && mv "$scratch/shots/picture.png" "$1"; } # FILE OUTPUT
output_shot "$work/empty.png" "${outputs[0]}"
background=$(convert "$work/empty.png" -format '%[fx:int(255*p{0,0}.r)] %[fx:int(255*p{0,0}.g)] %[fx:int(255*p{0,0}.b)]' info:)

# -- Idle brings the saver on both monitors, a key takes it away, twice.
# With a lock after a second of saver: after the lock, activity that is not
# the saver's to end on (1 px of motion) ends it, through GNOME's activity
# watch, since a lock screen would have taken the input; twice.
start idle -idle 2 -lock-after 1 -lock-command true
watcher=$pid
idle_cycle idle-1
lock_wait=2.5 activity="move 1 0"
idle_cycle idle-2
idle_cycle idle-3
wait_covered idle-4
kill -TERM "$watcher"
expect_exit idle 0
[ -z "$(our_cascades)" ] || fail "idle: still running after SIGTERM: $(our_cascades)"

# -- GNOME blanks after 4 s: a watcher asked for 60 brings the saver at 2,
# before it, and says so.
"${user[@]}" gsettings set org.gnome.desktop.session idle-delay 4 || fail "gsettings"
start blank -idle 60
watcher=$pid
wait_covered blank
grep -q "the saver comes at 2 s" "$work/blank.err" || fail "blank: $(cat "$work/blank.err")"
kill -TERM "$watcher"
expect_exit blank 0
"${user[@]}" gsettings set org.gnome.desktop.session idle-delay 0

# -- No idle signal to be had (mutter has no idle protocol, and here no bus):
# one line naming what is missing, exit 1.
"${user[@]}" DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/no-bus" "$cascade" -idle 5 >/dev/null 2>"$work/no-bus.err"
code=$?
[ $code -eq 1 ] && [ "$(wc -l <"$work/no-bus.err")" -eq 1 ] && grep -q "no session bus" "$work/no-bus.err" ||
  fail "no bus: exit $code: $(cat "$work/no-bus.err")"

# -- The compositor goes away under a watcher.
start gone -idle 60
sleep 1
stop_compositor
expect_exit gone 1
[ "$(wc -l <"$work/gone.err")" -eq 2 ] || fail "gone: not one line after the start: $(cat "$work/gone.err")"
[ -z "$(our_cascades)" ] || fail "still running: Cascade $(our_cascades)"

[ $status -eq 0 ] && echo "GNOME OK: idle brought the saver on both monitors, a key ended it, activity after the lock did, SIGTERM, before GNOME's blanking, compositor gone"
exit $status

#!/usr/bin/env bash
# Our Plasma wallpaper in KWin's real lock, as a Plasma user meets it: KWin 6
# headless (--virtual) with the project's logind stand-in, our package
# installed and chosen for the lock screen, and the idle watcher running.
#  - A lock (logind's LockSession) while the watcher's saver is up ends the
#    saver; the watcher stays.
#  - KWin's greeter runs with our module loaded, drawing (its CPU time grows)
#    and reporting no failure of the scene. KWin offers no picture here: its
#    screenshot interface is an effect of its OpenGL compositing, and headless
#    it composites with QPainter.
#  - Keys typed on our virtual keyboard (through KWin's fake input): a wrong
#    password keeps the lock, the right one ends the greeter and unlocks the
#    session (logind's LockedHint false again).
#  - The next idle spell, after a key, brings the saver again.
# KWin's binary carries a file capability that a container may not be able to
# grant, so a copy without it runs.
# Usage: plasma_kwin_lock_test.sh CASCADE PLASMA_DEB VIRTUAL_KEYBOARD WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
[ -d /cascade-test ] || { echo "SKIP: runs only in the trixie tree's chroot (wayland_trixie_test.sh)"; exit 77; }
wayland_user_id=4247
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$4"
# shellcheck source=../support/keyboard_support.sh
. "$(dirname "$0")/../support/keyboard_support.sh"
readonly virtual_keyboard=$3
# shellcheck source=../support/plasma_support.sh
. "$(dirname "$0")/../support/plasma_support.sh"
install_plasma_package "$2" cascade-kwin
choose_lock_wallpaper

install -m 755 "$(command -v kwin_wayland)" "$scratch/kwin_wayland"
start_system_services
start_compositor env KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 "$scratch/kwin_wayland" --virtual --width 1024 --height 768 \
  --no-global-shortcuts
start idle -idle 1
watcher=$pid
end=$((SECONDS + wait_limit))
until [ -n "$(saver_children)" ] || [ $SECONDS -ge $end ]; do sleep 0.2; done
saver=$(saver_children)
[ -n "$saver" ] || fail "idle: no saver: $(grep -m3 'cascade:' "$work/idle.err")"

logind LockSession
wait_ended "$saver"
! still_runs "$saver" && still_runs "$watcher" || fail "lock: the saver stayed under KWin's lock"
greeter_pid() { pgrep -u "$user_id" -f libexec/kscreenlocker_greet; }
end=$((SECONDS + wait_limit))
until [ -n "$(greeter_pid)" ] || [ $SECONDS -ge $end ]; do sleep 0.2; done
greeter=$(greeter_pid)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$greeter/stat"; }
if [ -z "$greeter" ]; then
  fail "lock: KWin started no greeter"
else
  # The module loads once the lock screen's QML has come up.
  end=$((SECONDS + wait_limit))
  until grep -q libcascadesceneplugin "/proc/$greeter/maps" || [ $SECONDS -ge $end ]; do sleep 0.2; done
  grep -q libcascadesceneplugin "/proc/$greeter/maps" || fail "greeter: our module is not loaded"
  before=$(cpu_ticks)
  sleep 3
  drawn=$(($(cpu_ticks) - before))
  echo "KWin's greeter with the scene: $((drawn * 100 / 3 / $(getconf CLK_TCK))) % of a core"
  [ "$drawn" -ge "$(($(getconf CLK_TCK) / 2))" ] || fail "greeter: it hardly runs, $drawn ticks in 3 s: not drawing the scene"
  grep -F "cascade:" "$work/compositor.log" && fail "greeter: the scene failed"
fi

start_device keyboard "$virtual_keyboard" us "" ""
ask keyboard "s 0"
press LFSH ~1000 plasma42lick RTRN ~5000
still_runs "$greeter" || fail "wrong: a wrong password ended the greeter"
type_until_ended "$greeter" "$password" || fail "right: the right password did not end the greeter"
locked_hint() { "${user[@]}" gdbus call --system -d org.freedesktop.login1 -o /org/freedesktop/login1/session/c1 \
  -m org.freedesktop.DBus.Properties.Get org.freedesktop.login1.Session LockedHint; }
end=$((SECONDS + wait_limit))
until [ "$(locked_hint)" = "(<false>,)" ] || [ $SECONDS -ge $end ]; do sleep 0.2; done
[ "$(locked_hint)" = "(<false>,)" ] || fail "right: the session is still marked locked: $(locked_hint)"
# A spell that began with the Enter that unlocked may have been idle a
# second before KWin marked the session unlocked, and the watcher brings
# no saver under the lock: the next spell starts with the user's next key.
press LFSH

end=$((SECONDS + wait_limit))
until [ -n "$(saver_children)" ] || [ $SECONDS -ge $end ]; do sleep 0.2; done
[ -n "$(saver_children)" ] || fail "unlocked: the next idle spell brought no saver"
kill -TERM "$watcher"
expect_exit idle 0
stop_compositor
nothing_left

[ $status -eq 0 ] && echo "KWin's lock OK: the saver ended, our scene in KWin's greeter, wrong and right passwords, the saver again"
exit $status

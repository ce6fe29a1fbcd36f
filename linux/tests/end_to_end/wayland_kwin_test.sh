#!/usr/bin/env bash
# Cascade in KWin, Plasma's compositor, headless (--virtual), as a smoke test:
# KWin starts, Cascade's full-screen layer surface is configured at the
# output's size and frames follow, SIGTERM ends it with 0, KWin lives on and
# started no program; the idle watcher brings the saver through KWin's
# ext-idle-notify; KWin's lock screen, asked through a logind stand-in,
# marks the session locked, which ends the saver, and a watcher started
# under it brings none. KWin's binary carries a file capability that a
# container may not be able to grant, so a copy without it runs.
# Usage: wayland_kwin_test.sh CASCADE WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
kwin=$(command -v kwin_wayland) ||
  { echo "SKIP: kwin_wayland is not installed (CASCADE_KWIN=1 scripts/install-deps.sh installs it)"; exit 77; }
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$2"
readonly size=1024x768

install -m 755 "$kwin" "$scratch/kwin_wayland"
start_system_services
start_compositor "$scratch/kwin_wayland" --virtual --width ${size%x*} --height ${size#*x} --no-global-shortcuts
user+=(WAYLAND_DEBUG=client)
start kwin -fullscreen -fps-stderr
# An object in libwayland's log: interface@id before 1.23, interface#id since.
readonly at='[@#][0-9]+\.'
end=$((SECONDS + wait_limit))
until [ "$(grep -c ' fps$' "$work/kwin.err")" -ge 2 ] || ! still_runs "$pid" || [ $SECONDS -ge $end ]; do sleep 0.2; done
grep -Eq "zwlr_layer_surface_v1${at}configure\([0-9]+, ${size%x*}, ${size#*x}\)" "$work/kwin.err" &&
  grep -Eq "zwlr_layer_surface_v1${at}ack_configure" "$work/kwin.err" ||
  fail "no layer surface configured at $size: $(grep -m3 -E 'layer|cascade:' "$work/kwin.err")"
[ "$(grep -c ' fps$' "$work/kwin.err")" -ge 2 ] || fail "no frames for two seconds: $(grep 'cascade:' "$work/kwin.err")"
kill -TERM "$pid"
expect_exit kwin 0
still_runs "$compositor_pid" || fail "KWin ended: $(tail -n 5 "$work/compositor.log")"

# The idle watcher through KWin's ext-idle-notify: a second without input
# brings the saver, its child; SIGTERM ends both with 0.
start idle -idle 1
watcher=$pid
end=$((SECONDS + wait_limit))
until [ "$(our_cascades | wc -l)" -ge 2 ] || ! still_runs "$watcher" || [ $SECONDS -ge $end ]; do sleep 0.2; done
grep -Eq "ext_idle_notification_v1${at}idled\(\)" "$work/idle.err" && [ "$(our_cascades | wc -l)" -eq 2 ] ||
  fail "idle: no saver on ext-idle-notify's idled: $(grep -m3 -E 'idle|cascade:' "$work/idle.err")"
saver=$(saver_children)
logind LockSession
wait_ended "$saver"
! still_runs "$saver" && still_runs "$watcher" || fail "lock: the saver stayed under KWin's lock"
kill -TERM "$watcher"
expect_exit idle 0
start locked -idle 1
watcher=$pid
sleep 3
[ -z "$(saver_children)" ] || fail "lock: a watcher started under KWin's lock brought a saver"
logind UnlockSession
kill -TERM "$watcher"
expect_exit locked 0
stop_compositor
nothing_left
compositor_started_only "$scratch/kwin_wayland|(/usr)?/lib/[^/]*/libexec/kscreenlocker_greet"

[ $status -eq 0 ] && echo "KWin OK: configured at $size, frames, SIGTERM, idle watcher, its lock"
exit $status

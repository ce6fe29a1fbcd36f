#!/usr/bin/env bash
# A Wayland stage's checks (SCRIPT, the same script as on Debian 12) against
# Debian 13's compositor, in a chroot into the trixie tree that
# trixie_tree_setup.sh keeps. The Debian-12-built programs run there on
# trixie's libraries. There the idle watcher must take ext-idle-notify-v1,
# which Debian 12's sway does not offer, or the idle source that
# CASCADE_WATCHER_SOURCE names where the stage's desktop has another
# (GNOME's idle monitor), wherever the stage runs a watcher.
# Usage: wayland_trixie_test.sh SCRIPT CACHE_DIR WORK_DIR PROGRAM...
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=../support/check_support.sh
. "$here/../support/check_support.sh"
# shellcheck source=../support/trixie_tree.sh
. "$here/../support/trixie_tree.sh"
trixie_tree_or_skip "$2"
script=$here/$1
out=$3
shift 3
fresh_work_folder "$out"
trixie_run "$out" stage "$script" "$@"
status=$?
[ $status -eq 77 ] && exit 77
# The watcher names its source when it starts; a stage that ran no watcher
# (the lock's) left no log of one.
[ -e "$out/stage/idle.err" ] || exit $status
source_line=$(grep -m 1 'watching' "$out/stage/idle.err")
echo "trixie's watcher: $source_line"
wanted=${CASCADE_WATCHER_SOURCE:-ext-idle-notify-v1}
[[ $source_line == *"$wanted"* ]] || {
  echo "FAIL: the watcher did not take $wanted on trixie's compositor"
  status=1
}
exit $status

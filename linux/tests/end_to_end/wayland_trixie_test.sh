#!/usr/bin/env bash
# The sway stage's checks (wayland_test.sh, the same script) against Debian
# 13's sway, in a chroot into the trixie tree that trixie_tree_setup.sh
# keeps. The Debian-12-built cascade and virtual_pointer run there on
# trixie's libraries. The tree stays as built: the run writes to an overlay
# that goes with it. There the idle watcher must take ext-idle-notify-v1,
# which Debian 12's sway does not offer.
# Usage: wayland_trixie_test.sh CASCADE VIRTUAL_POINTER CACHE_DIR WORK_DIR
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=../support/trixie_tree.sh
. "$here/../support/trixie_tree.sh"
tree=$3/$(trixie_key)
out=$4
[ "$(id -u)" -eq 0 ] || trixie_skip "needs root, to chroot into the trixie tree"
if [ ! -d "$tree" ]; then
  reason=$(trixie_unbuildable)
  trixie_skip "${reason:-the trixie_tree test did not build it (see $3/build.log)}"
fi
rm -rf "$out"
mkdir -p "$out"
mounted_under() { grep -o " $1/[^ ]*" /proc/mounts | sort -r; }
# Unmounts what a run mounted under DIR, deepest first, and removes DIR only
# once nothing is mounted there: /dev and the work folder are bound in.
take_down() { # DIR
  local point
  for point in $(mounted_under "$1"); do umount "$point" 2>/dev/null || umount -l "$point"; done
  [ -z "$(mounted_under "$1")" ] && rm -rf "$1"
}
# A run that CTest killed at its time limit had no chance to take its mounts
# down; its folder names its process.
for stale in /tmp/cascade-trixie.*.*; do
  [ -d "$stale" ] || continue
  owner=${stale#/tmp/cascade-trixie.}
  kill -0 "${owner%%.*}" 2>/dev/null || take_down "$stale"
done
layers=$(mktemp -d "/tmp/cascade-trixie.$$.XXXXXX")
root=$layers/root
mount_at() { # WHERE MOUNT_ARGUMENTS...
  mkdir -p "$root$1" && mount "${@:2}" "$root$1"
}
trap 'take_down "$layers"' EXIT
mkdir "$layers/upper" "$layers/work" "$root"
mount -t overlay overlay -o "lowerdir=$tree,upperdir=$layers/upper,workdir=$layers/work" "$root" ||
  { echo "FAIL: no overlay over the trixie tree"; exit 1; }
# The host's /dev/shm too: without it the compositor cannot allocate buffers.
mount_at /proc -t proc proc && mount_at /sys --bind /sys && mount_at /dev --bind /dev &&
  mount_at /dev/shm --bind /dev/shm && mount_at /cascade-test/out --bind "$out" ||
  { echo "FAIL: the chroot's mounts could not be made"; exit 1; }
mkdir -p "$root/cascade-test/end_to_end" "$root/cascade-test/support" "$root/cascade-test/bin"
install -m 755 "$here/wayland_test.sh" "$root/cascade-test/end_to_end/"
install -m 644 "$here"/../support/*.sh "$root/cascade-test/support/"
install -m 755 "$1" "$2" "$root/cascade-test/bin/"

chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin CI="${CI:-}" bash /cascade-test/end_to_end/wayland_test.sh \
  /cascade-test/bin/cascade /cascade-test/bin/virtual_pointer /cascade-test/out/sway
status=$?
# The watcher names its source when it starts.
source_line=$(grep -m 1 'watching' "$out/sway/idle.err")
echo "trixie's watcher: $source_line"
[[ $source_line == *ext-idle-notify-v1* ]] || {
  echo "FAIL: the watcher did not take ext-idle-notify-v1 on trixie's sway"
  status=1
}
exit $status

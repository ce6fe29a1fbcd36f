#!/usr/bin/env bash
# The sway stage's checks (wayland_test.sh, the same script) against Debian
# 13's sway, in a chroot into the trixie tree that trixie_tree_setup.sh
# keeps. The Debian-12-built cascade and virtual_pointer run there on
# trixie's libraries. There the idle watcher must take ext-idle-notify-v1,
# which Debian 12's sway does not offer.
# Usage: wayland_trixie_test.sh CASCADE VIRTUAL_POINTER CACHE_DIR WORK_DIR
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=../support/trixie_tree.sh
. "$here/../support/trixie_tree.sh"
trixie_tree_or_skip "$3"
out=$4
rm -rf "$out"
mkdir -p "$out"
trixie_root_up "$out"
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

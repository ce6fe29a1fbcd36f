#!/usr/bin/env bash
# Makes the Debian package of the Plasma lock-screen wallpaper,
# build/packages/cascade-plasma_<version>_<arch>.deb, for Debian 13 (Plasma 6):
# built in a Debian 13 tree from Debian's archive (kept for the week in
# /var/cache/cascade/trixie, as the tests keep it), against its Qt and
# Plasma, so that the main package stays as it is. Needs root (the tree is a
# chroot). Install it on Debian 13 with: apt-get install ./cascade-plasma_*.deb
# With CASCADE_PLASMA_QT=5, cascade-plasma5 for Debian 12 (Plasma 5.27)
# instead, built here against Debian 12's Qt 5.15, natively.
# An argument names another folder for the package (the tests use one).
set -euo pipefail
out=$(realpath -m "${1:-$(dirname "$0")/../build/packages}")
cd "$(dirname "$0")/.."
source=$PWD

[ -n "${CASCADE_PLASMA_NO_DEPS:-}" ] || scripts/install-deps.sh
if [ "${CASCADE_PLASMA_QT:-6}" = 5 ]; then
  linux/plasma/make_package.sh "$source" "$out" 5
  exit
fi
export CASCADE_TRIXIE_TREE=plasma
# shellcheck source=../linux/tests/support/check_support.sh
. linux/tests/support/check_support.sh
# shellcheck source=../linux/tests/support/trixie_tree.sh
. linux/tests/support/trixie_tree.sh
cache=$trixie_cache_root/plasma
linux/tests/end_to_end/trixie_tree_setup.sh "$cache"
trixie_tree_or_skip "$cache"
mkdir -p "$out"
trixie_root_up "$out"
trixie_mount /cascade-src --bind -o ro "$source"
chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root bash /cascade-src/linux/plasma/make_package.sh /cascade-src /cascade-test/out
for deb in "$out"/cascade-plasma_*.deb; do
  echo "Built $deb"
done

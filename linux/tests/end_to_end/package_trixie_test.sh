#!/usr/bin/env bash
# Our Debian-12-built package on Debian 13 (trixie), in a chroot into the
# tree that trixie_tree_setup.sh keeps: apt installs it there from the file
# alone (trixie's t64 libraries satisfy its Depends through Provides; the
# tree holds no package lists, so nothing can be downloaded), the installed
# program renders a picture, and trixie's lintian, asked as on Debian 12,
# finds nothing.
# Usage: package_trixie_test.sh PACKAGE_DIR CACHE_DIR WORK_DIR
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=../support/check_support.sh
. "$here/../support/check_support.sh"
# shellcheck source=../support/lintian.sh
. "$here/../support/lintian.sh"
# shellcheck source=../support/trixie_tree.sh
. "$here/../support/trixie_tree.sh"
trixie_tree_or_skip "$2"
debs=("$1"/cascade_*.deb)
[ -f "${debs[0]}" ] || { echo "FAIL: no package in $1 (the debian_package test builds it)"; exit 1; }
out=$3
fresh_work_folder "$out"
cp "${debs[0]}" "$out/"
deb=/cascade-test/out/$(basename "${debs[0]}")
trixie_root_up "$out"
in_tree() { chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root "$@"; }

in_tree DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "$deb" >"$out/apt.log" 2>&1 ||
  { echo "FAIL: apt could not install the package on trixie: $(grep -E '^(E|W):| : Depends' "$out/apt.log")"; exit 1; }
in_tree /usr/libexec/xscreensaver/cascade -render /cascade-test/out/shot.png -size 320x240 -frames 60 \
  2>"$out/render.err" || fail "the installed program could not render on trixie: $(cat "$out/render.err")"
file "$out/shot.png" | grep -q "PNG image data, 320 x 240" || fail "render on trixie: $(file "$out/shot.png")"
[ "$(convert "$out/shot.png" -format '%[fx:maxima > 0.1]' info:)" = 1 ] || fail "render on trixie: a black picture"
in_tree sh -c 'cd /cascade-test/out && exec lintian "$@"' lintian "${lintian_options[@]}" "$deb" \
  >"$out/lintian.log" 2>&1 || fail "trixie's lintian: $(grep -v 'root privileges' "$out/lintian.log")"

[ $status -eq 0 ] && echo "trixie package OK: installed by apt, renders, lintian $(in_tree lintian --version)"
exit $status

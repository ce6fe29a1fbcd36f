#!/usr/bin/env bash
# The Plasma wallpaper's package, made by scripts/package-plasma.sh, then
# lintian on it, asked as for the main package: for Plasma 6 in the Debian 13
# tree (trixie_tree_setup.sh keeps it) with trixie's lintian; with
# CASCADE_PLASMA_QT=5, for Plasma 5.27 on this Debian 12 machine with its
# own. The greeter stage installs it from WORK_DIR/cascade-plasma.deb.
# Usage: plasma_package_test.sh SOURCE CACHE_DIR WORK_DIR
set -uo pipefail
here=$(dirname "$0")
# shellcheck source=../support/check_support.sh
. "$here/../support/check_support.sh"
# shellcheck source=../support/lintian.sh
. "$here/../support/lintian.sh"
out=$3
if [ "${CASCADE_PLASMA_QT:-6}" = 5 ]; then
  package=cascade-plasma5 lintian_in=(sh -c)
else
  # shellcheck source=../support/trixie_tree.sh
  . "$here/../support/trixie_tree.sh"
  trixie_tree_or_skip "$2"
  package=cascade-plasma
fi
fresh_work_folder "$out"
CASCADE_PLASMA_NO_DEPS=1 CASCADE_TRIXIE_CACHE=$(dirname "$2") "$1/scripts/package-plasma.sh" "$out/built" >"$out/build.log" 2>&1 ||
  { echo "FAIL: scripts/package-plasma.sh: $(tail -n 5 "$out/build.log")"; exit 1; }
debs=("$out/built/${package}"_*.deb)
[ -f "${debs[0]}" ] || { echo "FAIL: scripts/package-plasma.sh made no package: $(tail -n 3 "$out/build.log")"; exit 1; }
cp "${debs[0]}" "$out/cascade-plasma.deb"
if [ "$package" = cascade-plasma ]; then
  trixie_root_up "$out"
  lintian_in=(chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/root sh -c)
  built=/cascade-test/out/built
else
  built=$out/built
fi
# shellcheck disable=SC2016 # expanded by that shell
"${lintian_in[@]}" 'cd "$0" && exec lintian "$@"' "$built" "${lintian_options[@]}" "$(basename "${debs[0]}")" \
  >"$out/lintian.log" 2>&1 || fail "lintian on $(basename "${debs[0]}"): $(grep -v 'root privileges' "$out/lintian.log")"
[ $status -eq 0 ] && echo "Plasma package OK: $(basename "${debs[0]}"), $(du -k "${debs[0]}" | cut -f1) KB, lintian clean"
exit $status

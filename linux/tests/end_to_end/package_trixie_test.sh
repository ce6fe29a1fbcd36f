#!/usr/bin/env bash
# Our Debian-12-built package on Debian 13 (trixie), in a chroot into the
# tree that trixie_tree_setup.sh keeps: apt installs it there from the file
# alone, by the README's own line (trixie's t64 libraries satisfy its Depends
# through Provides; the tree holds no package lists, so nothing can be
# downloaded), every command the README shows a user works as typed, the
# installed program renders a picture through XScreenSaver's link, and
# trixie's lintian, asked as on Debian 12, finds nothing.
# Usage: package_trixie_test.sh PACKAGE_DIR CACHE_DIR WORK_DIR README
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

# The README's user part (readme_commands.py says what it finds there), its
# apt line run where scripts/package.sh leaves the package.
python3 "$here/../support/readme_commands.py" "$4" >"$out/readme" || exit 1
mkdir -p "$out/build/packages"
cp "${debs[0]}" "$out/build/packages/"
install_line=$(sed -n 's/^install\t//p' "$out/readme" | head -n 1)
in_tree DEBIAN_FRONTEND=noninteractive sh -c "cd /cascade-test/out && $install_line" </dev/null >"$out/apt.log" 2>&1 ||
  { echo "FAIL: '$install_line' could not install the package on trixie: $(grep -E '^(E|W):| : Depends' "$out/apt.log")"; exit 1; }
# Each command as typed, where no compositor and no X server answer: it ends
# with 0, or with 1 for want of a display, past its options (a renamed
# option ends with 2, a renamed program with 127). A watcher's line is the
# very line -autostart on prints for its compositor. The user has an
# XScreenSaver settings file (the tree has no XScreenSaver, whose list the
# adder would start from otherwise).
mkdir -m 700 "$root/tmp/run"
echo 'programs:' >"$root/root/.xscreensaver"
dpkg-deb -c "${debs[0]}" | awk '{print $6}' >"$out/files"
compositors=(SWAYSOCK=x HYPRLAND_INSTANCE_SIGNATURE=x NIRI_SOCKET=x LABWC_PID=x WAYFIRE_SOCKET=x RIVER_SOCKET=x)
while IFS=$'\t' read -r -u 3 kind text line; do
  case $kind in
    run)
      in_tree XDG_RUNTIME_DIR=/tmp/run WAYLAND_DISPLAY=cascade-none timeout 20 sh -c "$text" >"$out/command.log" 2>&1
      rc=$?
      [ $rc -eq 0 ] || { [ $rc -eq 1 ] && grep -Eq "compositor 'cascade-none'|no display to open" "$out/command.log"; } ||
        fail "the README's '$text' ended with $rc: $(tail -n 2 "$out/command.log")" ;;
    watcher)
      in_tree "${compositors[@]}" sh -c "$text -autostart on" 2>&1 | grep -Fcx "  $line" >/dev/null ||
        fail "the README's '$line' is not a line '$text -autostart on' prints" ;;
    option) in_tree cascade -help | grep -Ec "^  $text( |$)" >/dev/null || fail "the README's $text is not in cascade -help" ;;
    path) grep -Fqx ".$text" "$out/files" || fail "the README names $text, which the package does not install" ;;
    source) [ -e "$(dirname "$4")/$text" ] || fail "the README names $text, which is not in the source tree" ;;
  esac
done 3<"$out/readme"
in_tree /usr/libexec/xscreensaver/cascade -render /cascade-test/out/shot.png -size 320x240 -frames 60 \
  2>"$out/render.err" || fail "the installed program could not render on trixie: $(cat "$out/render.err")"
file "$out/shot.png" | grep -q "PNG image data, 320 x 240" || fail "render on trixie: $(file "$out/shot.png")"
[ "$(convert "$out/shot.png" -format '%[fx:maxima > 0.1]' info:)" = 1 ] || fail "render on trixie: a black picture"
in_tree sh -c 'cd /cascade-test/out && exec lintian "$@"' lintian "${lintian_options[@]}" "$deb" \
  >"$out/lintian.log" 2>&1 || fail "trixie's lintian: $(grep -v 'root privileges' "$out/lintian.log")"

[ $status -eq 0 ] && echo "trixie package OK: installed by the README's line, $(grep -c . "$out/readme") things it shows a user found, renders, lintian $(in_tree lintian --version)"
exit $status

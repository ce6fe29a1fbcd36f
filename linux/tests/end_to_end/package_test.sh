#!/usr/bin/env bash
# Builds the Debian package with scripts/package.sh, checks its control fields
# and file list, unpacks it into a throwaway root and runs what it installed:
# the program rendering headless, and its manual page through man.
# Usage: package_test.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source_dir=$1
work=$2
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
# shellcheck source=../support/lintian.sh
. "$(dirname "$0")/../support/lintian.sh"

fresh_work_folder "$work"
if ! "$source_dir/scripts/package.sh" "$work" >"$work/package.log" 2>&1; then
  cat "$work/package.log" >&2
  echo "FAIL: scripts/package.sh failed" >&2
  exit 1
fi

version=$(sed -n 's/^project(Cascade VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
arch=$(dpkg --print-architecture)
deb="$work/cascade_${version}_${arch}.deb"
[ -f "$deb" ] || { ls -l "$work" >&2; echo "FAIL: no $deb" >&2; exit 1; }

# -- Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = cascade ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), project says $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
summary=$(field Description | head -n 1)
[ -n "$summary" ] && [ ${#summary} -lt 80 ] || fail "Description summary empty or too long: '$summary'"
[ "$(field Description | wc -l)" -gt 3 ] || fail "no long description"
# grep -c reads to the end: with pipefail, a grep -q that stops early can
# leave the writer a SIGPIPE and fail a check that matched.
field Description | grep -c cascade-add-to-xscreensaver >/dev/null || fail "the description does not name the command that lists Cascade"

# -- The files, their owners and modes (directories aside), and where links
# point.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {line = $1 " " $2; for (i = 6; i <= NF; i++) line = line " " $i; print line}' |
  sort >"$work/files"
sort >"$work/expected" <<'EOF'
-rwxr-xr-x root/root ./usr/bin/cascade
lrwxrwxrwx root/root ./usr/libexec/xscreensaver/cascade -> ../../bin/cascade
-rw-r--r-- root/root ./usr/share/xscreensaver/config/cascade.xml
-rw-r--r-- root/root ./usr/share/applications/screensavers/cascade.desktop
-rw-r--r-- root/root ./usr/share/man/man6/cascade.6.gz
-rw-r--r-- root/root ./usr/share/doc/cascade/README.md
-rw-r--r-- root/root ./usr/share/doc/cascade/copyright
-rw-r--r-- root/root ./usr/share/doc/cascade/changelog.gz
-rwxr-xr-x root/root ./usr/bin/cascade-add-to-xscreensaver
-rw-r--r-- root/root ./usr/share/man/man1/cascade-add-to-xscreensaver.1.gz
-rwxr-xr-x root/root ./usr/bin/cascade-settings
-rw-r--r-- root/root ./usr/share/man/man1/cascade-settings.1.gz
-rw-r--r-- root/root ./usr/share/applications/invalid.cascade.screensaver.desktop
-rw-r--r-- root/root ./usr/share/metainfo/invalid.cascade.screensaver.metainfo.xml
-rw-r--r-- root/root ./etc/pam.d/cascade
EOF
for size in 16 24 32 48 64 128 256; do
  echo "-rw-r--r-- root/root ./usr/share/icons/hicolor/${size}x$size/apps/invalid.cascade.screensaver.png"
done | sort - "$work/expected" -o "$work/expected"
diff -u "$work/expected" "$work/files" >&2 || fail "file list differs (- expected, + packaged)"

# The lock's PAM service takes the system's stack, and stays an
# administrator's to change.
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles 2>/dev/null | grep -qx /etc/pam.d/cascade ||
  fail "/etc/pam.d/cascade is not a conffile"
root="$work/root"
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x" >&2; exit 1; }
program="$root/usr/bin/cascade"
grep -qx '@include common-auth' "$root/etc/pam.d/cascade" || fail "the PAM service does not take common-auth"

# -- Lintian (lintian.sh says how it is asked).
(cd "$work" && lintian "${lintian_options[@]}" "$deb") \
  >"$work/lintian.log" 2>&1 || fail "lintian: $(grep -v 'root privileges' "$work/lintian.log")"

# -- The changelog's newest entry is this version; the copyright file grants
# what LICENSE grants.
gzip -dc "$root/usr/share/doc/cascade/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
  fail "the changelog's newest entry is not $version"
grants() { sed -n '/^ *Permission is hereby granted/,$p' "$1" | sed 's/^ //; s/^\.$//' | tr -s ' \n' ' '; }
copyright="$root/usr/share/doc/cascade/copyright"
grep -qx 'License: Expat' "$copyright" || fail "the copyright file names no Expat licence"
[ -n "$(grants "$source_dir/LICENSE")" ] && [ "$(grants "$source_dir/LICENSE")" = "$(grants "$copyright")" ] ||
  fail "the copyright file's licence text differs from LICENSE"

# -- Depends names the package of every library the program loads directly.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
field Depends | tr ',|' '\n\n' | sed 's/(.*//; s/ //g' | grep -v '^$' | sort -u >"$work/depends"
while read -r soname; do
  owner=$(dpkg -S "*/$multiarch/$soname" 2>/dev/null | head -n 1 | cut -d: -f1)
  [ -n "$owner" ] || { fail "no installed package owns $soname"; continue; }
  grep -Fqx "$owner" "$work/depends" || fail "Depends lacks $owner (for $soname): $(field Depends)"
done < <(objdump -p "$program" "$root/usr/bin/cascade-settings" | awk '$1 == "NEEDED" {print $2}' | sort -u)
[ -s "$work/depends" ] || fail "no Depends"

# -- The installed program: version, help, and a picture without a display.
[ "$("$program" --version)" = "cascade $version" ] || fail "--version says '$("$program" --version)'"
[ "$("$program" -version)" = "cascade $version" ] || fail "-version differs from --version"
"$program" --help | grep -c "man 6 cascade" >/dev/null || fail "-help does not point at the manual page"
if env -u DISPLAY "$program" --render "$work/shot.png" --size 320x240 --frames 60 2>"$work/render.err"; then
  file "$work/shot.png" | grep -q "PNG image data, 320 x 240" || fail "render: $(file "$work/shot.png")"
else
  fail "the installed program could not render: $(cat "$work/render.err")"
fi

# -- The desktop entry runs the installed program.
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/screensavers/cascade.desktop")
[ "$exec_line" = "/usr/bin/cascade -root" ] || fail "desktop Exec=$exec_line"
# The settings window's entry runs the program the package puts on PATH,
# with an icon at every size it names.
app=invalid.cascade.screensaver
settings_entry="$root/usr/share/applications/$app.desktop"
[ "$(sed -n 's/^Exec=//p' "$settings_entry")" = cascade-settings ] && [ -x "$root/usr/bin/cascade-settings" ] ||
  fail "the settings entry does not run the packaged cascade-settings: $(grep ^Exec= "$settings_entry")"
grep -qx "Icon=$app" "$settings_entry" || fail "the settings entry names another icon: $(grep ^Icon= "$settings_entry")"
for icon in "$root"/usr/share/icons/hicolor/*/apps/$app.png; do
  size=$(basename "$(dirname "$(dirname "$icon")")")
  [ "$(identify -format '%wx%h' "$icon")" = "$size" ] || fail "$icon is not $size"
done
# The saver's own entry keeps its one hint: its category is the reserved one
# that only the savers that read its folder look for.
for entry in "$root/usr/share/applications/screensavers/cascade.desktop" "$settings_entry"; do
  allowed='does not contain a registered main category'
  [ "$entry" = "$settings_entry" ] && allowed='^$'
  desktop-file-validate "$entry" >"$work/desktop.log" 2>&1 &&
    ! grep -E 'error|warning|hint' "$work/desktop.log" | grep -vq "$allowed" ||
    fail "desktop-file-validate $(basename "$entry"): $(cat "$work/desktop.log")"
done
# Two infos stay: the project has no domain of its own yet, and its id, like
# its address, is under .invalid; Debian 12's AppStream does not know the
# developer tag that newer ones read (trixie's lintian validates it there).
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$app.metainfo.xml" >"$work/appstream.log" 2>&1 &&
  ! grep '^[EWIP]:' "$work/appstream.log" | grep -Evq "^I: $app:[0-9]*: (cid-maybe-not-rdns|unknown-tag developer)" ||
  fail "appstreamcli validate: $(cat "$work/appstream.log")"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$app.metainfo.xml" ||
  fail "the metainfo's newest release is not $version"

# -- The manual page: gzip'd without a name or time stamp, renders without a
# warning, is indexed by lexgrog, and documents every option that -help and
# the XScreenSaver settings offer.
page="$root/usr/share/man/man6/cascade.6.gz"
gzip -lv "$page" >/dev/null 2>&1 && [ "$(od -An -tu1 -j3 -N1 "$page" | tr -d ' ')" = 0 ] ||
  fail "the manual page is not gzip'd with -n"
MANWIDTH=80 man --warnings -l "$page" >"$work/man.txt" 2>"$work/man.err"
[ -s "$work/man.err" ] && fail "man warns: $(cat "$work/man.err")"
lexgrog "$page" | grep -q 'cascade - ' || fail "lexgrog finds no NAME line"
for section in SYNOPSIS OPTIONS XSCREENSAVER "EXIT STATUS" EXAMPLES; do
  grep -q "^$section" "$work/man.txt" || fail "the manual page has no $section section"
done
options=$("$program" -help | grep -oE '^  -[a-z0-9-]+' | tr -d ' ')
options+=" "$(grep -oE 'arg(-set)?="-[a-z-]+' "$root/usr/share/xscreensaver/config/cascade.xml" | sed 's/.*"-*/-/')
for option in $options; do
  grep -qE "^ +$option( |,|$)" "$work/man.txt" || fail "the manual page does not document $option"
done

# The command that puts Cascade into a user's list has its own page, named
# by the program's.
adder_page="$root/usr/share/man/man1/cascade-add-to-xscreensaver.1.gz"
MANWIDTH=80 man --warnings -l "$adder_page" >"$work/adder-man.txt" 2>"$work/adder-man.err"
[ -s "$work/adder-man.err" ] && fail "man warns about the adder's page: $(cat "$work/adder-man.err")"
grep -q cascade-add-to-xscreensaver "$work/man.txt" || fail "cascade(6) does not name cascade-add-to-xscreensaver"
"$root/usr/bin/cascade-add-to-xscreensaver" --help | grep -c "cascade-add-to-xscreensaver(1)" >/dev/null ||
  fail "the installed cascade-add-to-xscreensaver does not run"

# -- The Windows download: exactly cascade.scr (the 32-bit build's own, a
# PE32), README.txt and LICENSE, the texts with Windows line ends only.
zip="$work/cascade-${version}-windows.zip"
if [ -f "$zip" ]; then
  unpacked="$work/windows"
  python3 - "$zip" "$unpacked" >"$work/zip-names" <<'PY' || fail "$zip cannot be unpacked"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    print("\n".join(sorted(archive.namelist())))
    archive.extractall(sys.argv[2])
PY
  printf 'LICENSE\nREADME.txt\ncascade.scr\n' | diff -u - "$work/zip-names" >&2 || fail "the zip holds other files (- expected, + packed)"
  file "$unpacked/cascade.scr" | grep -q 'PE32 executable (GUI) Intel 80386' || fail "cascade.scr: $(file -b "$unpacked/cascade.scr")"
  cmp -s "$unpacked/cascade.scr" "$source_dir/build/windows/cascade.scr" || fail "the zip's cascade.scr is not build/windows/cascade.scr"
  for text in README.txt LICENSE; do
    [ -s "$unpacked/$text" ] || { fail "$text is empty"; continue; }
    # Every line, the last one too, ends in CR LF; no lone CR or LF.
    lines=$(tr -cd '\n' <"$unpacked/$text" | wc -c)
    [ "$(grep -c $'\r$' "$unpacked/$text")" = "$lines" ] && [ "$(tail -c 2 "$unpacked/$text" | od -An -c | tr -d ' ')" = '\r\n' ] &&
      [ "$(tr -cd '\r' <"$unpacked/$text" | wc -c)" = "$lines" ] || fail "$text has lines without CR LF"
  done
  head -n 1 "$unpacked/README.txt" | grep -q "^Cascade $version," || fail "README.txt does not start with the version: $(head -n 1 "$unpacked/README.txt")"
  cmp -s <(tr -d '\r' <"$unpacked/LICENSE") "$source_dir/LICENSE" || fail "the zip's LICENSE is not the repository's"
else
  ls -l "$work" >&2
  fail "no $zip"
fi

[ $status -eq 0 ] && echo "package OK: $(basename "$deb"), $(basename "$zip")"
exit $status

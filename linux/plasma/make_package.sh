#!/usr/bin/env bash
# Builds the Debian package cascade-plasma from the source tree SOURCE into
# OUT_DIR, on the Debian release it runs on (scripts/package-plasma.sh runs
# it in a Debian 13 tree): the QML module and the wallpaper package, the
# documents lintian asks for, and Depends worked out by dpkg-shlibdeps.
# Usage: make_package.sh SOURCE OUT_DIR
set -euo pipefail
source=$1 out=$2
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
cmake -S "$source/linux/plasma" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build"
root=$build/root
DESTDIR=$root cmake --install "$build" --strip >/dev/null
module=$(find "$root" -name '*.so')
# What Debian's dh_strip drops beyond the symbols: the compilers' notes.
strip --remove-section=.comment --remove-section=.note "$module"
install -D -m 644 "$source/linux/plasma/lintian-overrides" "$root/usr/share/lintian/overrides/cascade-plasma"
version=$(sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p' "$source/linux/package/changelog")
doc=$root/usr/share/doc/cascade-plasma
mkdir -p "$doc"
sed '/^Comment:/,/^$/c\Comment: The package is built from the Cascade sources by scripts/package-plasma.sh.\
 The QML module is linked statically against Cascade'"'"'s own libraries and\
 dynamically against the system'"'"'s C and C++ runtimes, Qt, libOpenGL and\
 libGLU, which keep their own licences.\
' "$source/linux/package/copyright" >"$doc/copyright"
gzip -9n <"$source/linux/package/changelog" >"$doc/changelog.gz"
chmod -R u=rwX,go=rX "$root"

# dpkg-shlibdeps reads a package description from debian/control.
mkdir -p "$build/debian"
printf 'Source: cascade\n\nPackage: cascade-plasma\nArchitecture: any\n' >"$build/debian/control"
shlibs=$(cd "$build" && dpkg-shlibdeps -O "${module#"$build"/}" | sed -n 's/^shlibs:Depends=//p')
mkdir -m 755 "$root/DEBIAN"
cat >"$root/DEBIAN/control" <<CONTROL
Package: cascade-plasma
Version: $version
Architecture: $(dpkg --print-architecture)
Maintainer: The Cascade developers <dev@cascade.invalid>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $shlibs, libplasma6, qml6-module-qtquick
Enhances: libkscreenlocker6
Section: kde
Priority: optional
Description: Cascade's scene as a KDE Plasma wallpaper, for the lock screen
 Six thousand thin, bright streaks flow along an upper level towards you,
 drop over a wavy edge, fall, bounce on the floor and are respawned at the
 far end: the Cascade screen saver's scene, drawn behind KDE Plasma's own
 lock screen and its password prompt.
 .
 Choose "Cascade" in System Settings, Screen Locking, Appearance, as any
 other wallpaper; it can serve the desktop too. It is drawn at most 30
 times a second, and not at all while the lock screen is blank. Where it
 cannot draw (no OpenGL, or a failure), the background is plain black and
 the prompt works as ever. This package is for Plasma 6.
CONTROL
(cd "$root" && find usr -type f -exec md5sum {} + | sort -k2) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/md5sums"
mkdir -p "$out"
dpkg-deb --root-owner-group -Zxz --build "$root" "$out/cascade-plasma_${version}_$(dpkg --print-architecture).deb"

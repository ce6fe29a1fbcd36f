#!/usr/bin/env bash
# Builds the Debian package of the Plasma wallpaper from the source tree
# SOURCE into OUT_DIR, on the Debian release it runs on: cascade-plasma for
# Plasma 6 (scripts/package-plasma.sh runs it in a Debian 13 tree), or with
# QT_MAJOR 5 cascade-plasma5 for Plasma 5.27 (Debian 12, natively). The QML
# module and the wallpaper package, the documents lintian asks for, and
# Depends worked out by dpkg-shlibdeps.
# Usage: make_package.sh SOURCE OUT_DIR [QT_MAJOR]
set -euo pipefail
source=$1 out=$2 qt_major=${3:-6}
if [ "$qt_major" = 5 ]; then
  package=cascade-plasma5 plasma="Plasma 5.27"
  # Plasma 5's wallpaper imports org.kde.plasma.core, from plasma-framework.
  runtime="plasma-framework, qml-module-qtquick2" locker=libkscreenlocker5
else
  package=cascade-plasma plasma="Plasma 6" runtime="libplasma6, qml6-module-qtquick" locker=libkscreenlocker6
fi
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
cmake -S "$source/linux/plasma" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCASCADE_QT_MAJOR="$qt_major" >/dev/null
cmake --build "$build" -j 2
root=$build/root
DESTDIR=$root cmake --install "$build" --strip >/dev/null
module=$(find "$root" -name '*.so')
# What Debian's dh_strip drops beyond the symbols: the compilers' notes.
strip --remove-section=.comment --remove-section=.note "$module"
mkdir -p "$root/usr/share/lintian/overrides"
sed "s/^cascade-plasma:/$package:/; s#/qt6/#/qt$qt_major/#" "$source/linux/plasma/lintian-overrides" \
  >"$root/usr/share/lintian/overrides/$package"
version=$(sed -n '1s/^[^(]*(\([^)]*\)).*/\1/p' "$source/linux/package/changelog")
doc=$root/usr/share/doc/$package
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
printf 'Source: cascade\n\nPackage: %s\nArchitecture: any\n' "$package" >"$build/debian/control"
shlibs=$(cd "$build" && dpkg-shlibdeps -O "${module#"$build"/}" | sed -n 's/^shlibs:Depends=//p')
mkdir -m 755 "$root/DEBIAN"
cat >"$root/DEBIAN/control" <<CONTROL
Package: $package
Version: $version
Architecture: $(dpkg --print-architecture)
Maintainer: The Cascade developers <dev@cascade.invalid>
Installed-Size: $(du -sk --exclude=DEBIAN "$root" | cut -f1)
Depends: $shlibs, $runtime
Enhances: $locker
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
 the prompt works as ever. This package is for $plasma.
CONTROL
(cd "$root" && find usr -type f -exec md5sum {} + | sort -k2) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/md5sums"
mkdir -p "$out"
dpkg-deb --root-owner-group -Zxz --build "$root" "$out/${package}_${version}_$(dpkg --print-architecture).deb"

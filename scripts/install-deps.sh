#!/usr/bin/env bash
# Installs everything Cascade's builds and tests need on a Debian 12 machine.
# Safe to run again: it only calls apt when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libgl-dev libglu1-mesa-dev libegl-dev libx11-dev libpng-dev
  libgl1-mesa-dri libegl-mesa0 libglx-mesa0
  clang libclang-rt-14-dev
  xvfb xauth x11-utils xdotool imagemagick
  # The Wayland stage: headless sway (swaybg comes with it; the test runs
  # none), its idle daemon, screenshots and keys.
  sway swayidle grim wtype
  # The Debian package: dpkg-shlibdeps and file for its Depends, man to check its page.
  dpkg-dev file man-db groff-base
  g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 googletest
  wine wine32:i386 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386 libglu1-mesa:i386
  wine64 libwine:amd64 libglu1-mesa:amd64 python3
  # What Wine's X11 driver and dialogs load at run time, for each Wine; apt
  # only recommends them. Without Xinerama and XRandR the 32-bit Wine sees
  # one monitor where the display has two (wine_x11_libraries checks them all).
  libgl1 libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
  libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxcomposite1:i386 libxinerama1:i386
  fonts-wine
  # The package's checks (lintian, the desktop entries and the metainfo
  # validated), and the real XScreenSaver daemon its test runs Cascade in (apt
  # brings the daemon's libraries and xscreensaver-data, whose display programs
  # the test never starts; strace shows that it started none).
  lintian desktop-file-utils appstream xscreensaver strace
  # The Wayland front's build: client and EGL-window libraries, wayland-scanner,
  # the xdg-shell and xdg-decoration descriptions and the keymap library (the
  # wlr descriptions are in the tree).
  libwayland-dev wayland-protocols libxkbcommon-dev
  # The idle watcher's build: GIO for GNOME's idle monitor, KDE's idle protocol.
  libglib2.0-dev plasma-wayland-protocols
  # The lock's password check.
  libpam0g-dev
  # The GNOME stage: GNOME's compositor, headless, on a session bus of its own,
  # with PipeWire and GStreamer for its screenshots and PyGObject for its
  # ScreenCast and RemoteDesktop APIs (about 90 packages, 47 MB).
  mutter dbus pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-plugins-good gstreamer1.0-tools
  python3-gi gir1.2-glib-2.0
  # The desktop around it: GNOME Shell under gnome-session, the freedesktop
  # screen saver interface from gnome-settings-daemon, and gjs, which runs
  # GNOME's own screen saver service, the one that tells of its lock.
  gnome-shell gnome-session-bin gnome-settings-daemon gjs
  # The trixie stage's tree, built from Debian's archive in one apt pass.
  mmdebstrap
  # The settings window (GTK 4 and libadwaita), and its test, which drives
  # it through the accessibility bus (which GTK starts itself over D-Bus)
  # with the system Python's pyatspi.
  libgtk-4-dev libadwaita-1-dev python3-pyatspi at-spi2-core
  # The Plasma wallpaper's module for Plasma 5.27, built against Qt 5.15
  # (30 packages, 76 MB, 9 s here), and Plasma 5.27's greeter that its test
  # shows it in: the greeter with layer-shell-qt and Qt 5's Wayland platform,
  # and the QML of the lock screen it shows (Breeze's, in
  # plasma-workspace-data, and the modules it imports), without which it
  # falls back to a screen of its own (333 packages, 645 MB, about 75 s).
  qtbase5-dev qtdeclarative5-dev
  libkscreenlocker5 layer-shell-qt qtwayland5 plasma-workspace-data plasma-framework plasma-workspace
  qml-module-qtgraphicaleffects qml-module-qtquick-controls2 qml-module-qtquick-layouts
  qml-module-qtquick-window2 qml-module-org-kde-kirigami2
)

# KWin for its smoke test, only when asked: its 146 packages (176 MB) take
# about a minute and a half to install.
if [ "${CASCADE_KWIN:-0}" = 1 ]; then packages+=(kwin-wayland); fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

native=$(dpkg --print-architecture)
missing=()
for pkg in "${packages[@]}"; do
  # A name with an architecture (libgl1:i386) is that architecture's package;
  # a plain name is the machine's own or an architecture-free one: the i386
  # copy of libgl1 does not stand in for the amd64 one, nor the other way.
  case "$pkg" in
    *:*) wanted="installed ${pkg#*:}" ;;
    *) wanted="installed ($native|all)" ;;
  esac
  dpkg-query -W -f='${db:Status-Status} ${Architecture}\n' "$pkg" 2>/dev/null | grep -Ex "$wanted" >/dev/null ||
    missing+=("$pkg")
done

# The 32-bit Wine runs under qemu-i386 where the kernel cannot run i386 code,
# and everywhere when asked (CASCADE_EMULATE_I386=1). qemu 10 from Debian 12's
# backports starts Wine about seven times faster than bookworm's 7.2; the
# source is added for that one package, whose qemu-i386 is static.
backports_list=/etc/apt/sources.list.d/cascade-bookworm-backports.sources
backports_pin=/etc/apt/preferences.d/cascade-bookworm-backports
emulator_package=qemu-user
emulator_version=$(dpkg-query -W -f='${db:Status-Status} ${Version}' "$emulator_package" 2>/dev/null || true)
case "$emulator_version" in
  "installed 1:"[1-9][0-9].*) ;;
  *) missing+=("$emulator_package/bookworm-backports") ;;
esac
if [ ! -f "$backports_list" ]; then
  "${sudo_cmd[@]}" tee "$backports_list" >/dev/null <<'SOURCES'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  # Nothing else comes from backports, not even by a dependency's pull.
  "${sudo_cmd[@]}" tee "$backports_pin" >/dev/null <<'PIN'
Package: *
Pin: release n=bookworm-backports
Pin-Priority: -1

Package: qemu-user
Pin: release n=bookworm-backports
Pin-Priority: 500
PIN
fi

# A mirror caught mid-sync serves an index whose size or hash does not match
# its Release file ("Mirror sync in progress?"), for one architecture at a
# time and sometimes for hours; apt then fails the whole update. It is asked
# again after a growing pause. If the index stays bad, that suite is left out
# of this install, for every architecture: with its amd64 index alone, a
# Multi-Arch package's amd64 candidate would be newer than any i386 copy to
# be had, and the pair could not be installed.
update_attempts=${CASCADE_APT_ATTEMPTS:-3}
update_pause=20
apt_options=()
update_log=$(mktemp)
trap 'rm -rf "$update_log" ${apt_sources:+"$apt_sources"}' EXIT
apt_update() {
  local attempt
  for attempt in $(seq 1 "$update_attempts"); do
    "${sudo_cmd[@]}" apt-get "${apt_options[@]}" update -qq >"$update_log" 2>&1 && return 0
    echo "apt-get update failed (attempt $attempt of $update_attempts):"
    grep -E '^(E|W):' "$update_log" | head -n 4
    [ "$attempt" -lt "$update_attempts" ] || return 1
    echo "asking again in $((attempt * update_pause)) s"
    sleep $((attempt * update_pause))
  done
}
# Copies of the machine's sources without the suites whose index failed, and
# index lists of their own, so the machine's apt set-up stays as it was.
sources_without_failed_suites() {
  local suites
  suites=$(grep -oE 'Failed to fetch [^ ]*/dists/[^/ ]+/' "$update_log" | sed -E 's#.*/dists/([^/]+)/#\1#' | sort -u)
  [ -n "$suites" ] || return 1
  echo "leaving out of this install the suites whose index stayed bad:" $suites
  apt_sources=$(mktemp -d)
  mkdir -p "$apt_sources/parts" "$apt_sources/lists/partial"
  : >"$apt_sources/sources.list"
  # One-line sources: the line goes. deb822: the suite leaves its Suites
  # field, and a stanza left with none goes.
  local file copy
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -e "$file" ] || continue
    copy=$apt_sources/parts/${file##*/}
    [ "$file" = /etc/apt/sources.list ] && copy=$apt_sources/sources.list
    awk -v bad=" $(echo $suites) " -v RS= -v ORS='\n\n' '{
        n = split($0, lines, "\n"); out = ""; empty = 0
        for (i = 1; i <= n; i++) {
          line = lines[i]
          if (line ~ /^Suites:/) {
            m = split(substr(line, 8), words, " "); line = "Suites:"
            for (j = 1; j <= m; j++) if (index(bad, " " words[j] " ") == 0) line = line " " words[j]
            if (line == "Suites:") empty = 1
          } else if (line ~ /^[[:space:]]*deb/) {
            split(line, words, " "); if (index(bad, " " words[3] " ")) continue
          }
          out = out line "\n"
        }
        if (!empty) printf "%s", out
      }' "$file" >"$copy"
  done
  apt_options=(-o "Dir::Etc::SourceList=$apt_sources/sources.list" -o "Dir::Etc::SourceParts=$apt_sources/parts"
               -o "Dir::State::Lists=$apt_sources/lists")
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if ! apt_update; then
    sources_without_failed_suites && apt_update || {
      echo "giving up: the package index could not be read" >&2
      exit 1
    }
  fi
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get "${apt_options[@]}" install -y -qq \
    -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
fi

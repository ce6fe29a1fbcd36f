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
  # What Wine's X11 driver and dialogs load at run time; apt only recommends them.
  libgl1 libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3 libxxf86vm1
  fonts-wine
  # Runs the 32-bit Wine under emulation where the kernel cannot run i386 code.
  qemu-user-static
  # The package's checks, and the real XScreenSaver daemon its test runs Cascade
  # in (apt brings the daemon's libraries and xscreensaver-data, whose display
  # programs the test never starts; strace shows that it started none).
  lintian desktop-file-utils xscreensaver strace
  # The Wayland front's build: client and EGL-window libraries, wayland-scanner,
  # the xdg-shell and xdg-decoration descriptions and the keymap library (the
  # wlr descriptions are in the tree).
  libwayland-dev wayland-protocols libxkbcommon-dev
  # The idle watcher's build: GIO for GNOME's idle monitor, KDE's idle protocol.
  libglib2.0-dev plasma-wayland-protocols
  # The GNOME stage: GNOME's compositor, headless, on a session bus of its own,
  # with PipeWire and GStreamer for its screenshots and PyGObject for its
  # ScreenCast and RemoteDesktop APIs (about 90 packages, 47 MB).
  mutter dbus pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-plugins-good gstreamer1.0-tools
  python3-gi gir1.2-glib-2.0
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

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
    -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}"
fi

# shellcheck shell=bash
# Sourced by the tests that run Cascade in Debian 13 (trixie): the tree they
# run in, built from Debian's archive by trixie_tree_setup.sh and kept in the
# build folder. Its name holds the ISO week and the package list, so a new
# week or a changed list builds a new one and no run downloads a tree it has.
trixie_mirror=${CASCADE_TRIXIE_MIRROR:-http://deb.debian.org/debian}
# What wayland_test.sh runs, what the Debian-12-built cascade,
# virtual_pointer and virtual_keyboard load (the t64 names are trixie's, and
# satisfy our package's Depends, so that it installs without a download), and
# trixie's lintian. libx11-6 brings libx11-data, the compose tables the lock
# types dead keys and Compose through; libxkbcommon0 brings xkb-data, the
# rules virtual_keyboard compiles its keymaps from.
trixie_packages=(
  sway swayidle grim wtype strace imagemagick python3 procps lintian
  libpng16-16t64 libegl1 libglu1-mesa libglx0 libopengl0 libx11-6 libwayland-egl1 libwayland-client0
  libxkbcommon0 libglib2.0-0t64 libegl-mesa0 libgl1-mesa-dri libglx-mesa0
  labwc wlr-randr
  # The settings window's, which the package Depends on too.
  libgtk-4-1 libadwaita-1-0
  # The lock's password check (pam_unix and its unix_chkpwd), and chpasswd
  # for the test user's password; the PAM modules come with the base too,
  # chpasswd does not.
  passwd libpam-modules libpam-runtime
)
# KWin 6 only where asked, as Debian 12's KWin is (CASCADE_KWIN=1): its tree
# is a second one (CASCADE_TRIXIE_TREE=kwin, set by the KWin tests), so that
# the default one stays small. The rest is what its smoke's logind stand-in
# needs.
if [ "${CASCADE_TRIXIE_TREE:-}" = kwin ]; then
  [ "${CASCADE_KWIN:-0}" = 1 ] || { echo "SKIP: KWin 6's trixie tree is built only where asked (CASCADE_KWIN=1)"; exit 77; }
  trixie_packages+=(kwin-wayland dbus-daemon python3-gi gir1.2-glib-2.0 libglib2.0-bin)
fi
# GNOME Shell 48 likewise (CASCADE_GNOME48=1, CASCADE_TRIXIE_TREE=gnome):
# the GNOME stage's desktop, as scripts/install-deps.sh lists it for Debian
# 12, and the gdbus and gsettings it calls.
if [ "${CASCADE_TRIXIE_TREE:-}" = gnome ]; then
  [ "${CASCADE_GNOME48:-0}" = 1 ] || { echo "SKIP: GNOME Shell 48's trixie tree is built only where asked (CASCADE_GNOME48=1)"; exit 77; }
  trixie_packages+=(gnome-shell gnome-session-bin gnome-settings-daemon gjs mutter dbus-daemon pipewire wireplumber
    gstreamer1.0-pipewire gstreamer1.0-plugins-good gstreamer1.0-tools python3-gi gir1.2-glib-2.0 libglib2.0-bin)
fi
# Plasma 6 for our lock-screen wallpaper (CASCADE_TRIXIE_TREE=plasma): KDE's
# greeter and the lock screen's QML it shows the wallpaper in, KWin for its
# real lock, what builds the wallpaper's Qt item there, and what the KWin
# stage's logind stand-in needs. Built on every run, as the default tree is.
if [ "${CASCADE_TRIXIE_TREE:-}" = plasma ]; then
  trixie_packages+=(libkscreenlocker6 layer-shell-qt plasma-workspace plasma-desktop-data kwin-wayland
    qt6-base-dev qt6-declarative-dev cmake g++ ninja-build libglu1-mesa-dev libgl-dev pkgconf dpkg-dev
    dbus-daemon python3-gi gir1.2-glib-2.0 libglib2.0-bin)
fi
trixie_week() { date -u +%G-w%V; }
trixie_key() {
  echo "$(trixie_week)-$(trixie_list_hash)"
}
trixie_list_hash() { echo "${trixie_packages[*]}" | sha256sum | cut -c1-8; }
# Where the trees are kept: outside any clone, so that a fresh clone (CI's)
# finds this week's trees instead of downloading them again, and every
# clone on the machine shares them. A tree's name holds its package list, so
# clones whose lists differ keep a tree each. The tests' CMake variable
# CASCADE_TRIXIE_CACHE is set to it.
trixie_cache_root=${CASCADE_TRIXIE_CACHE:-/var/cache/cascade/trixie}
# The reason this machine cannot build a tree, or nothing where it can.
trixie_unbuildable() {
  local probe
  if [ "$(id -u)" -ne 0 ]; then
    echo "needs root, to build the trixie tree and chroot into it"
  elif ! command -v mmdebstrap >/dev/null; then
    echo "mmdebstrap is not installed (scripts/install-deps.sh installs it)"
  else
    # apt's own fetcher, so that a proxy set for apt is used here too.
    probe=$(mktemp)
    timeout 30 /usr/lib/apt/apt-helper download-file "$trixie_mirror/dists/trixie/InRelease" "$probe" >/dev/null 2>&1 ||
      echo "Debian's archive ($trixie_mirror) cannot be reached"
    rm -f "$probe"
  fi
}
# A skip with one line naming why; under CI=true, whose machine should have
# everything, a failure.
trixie_skip() { # REASON
  if [ "${CI:-}" = true ]; then
    echo "FAIL: no trixie tree: $1"
    exit 1
  fi
  echo "SKIP: no trixie tree: $1"
  exit 77
}
# Sets $tree to the tree the fixture last found or built, or skips: a test
# in the tree runs as root.
trixie_tree_or_skip() { # CACHE_DIR
  local reason
  [ "$(id -u)" -eq 0 ] || trixie_skip "needs root, to chroot into the trixie tree"
  tree=$(readlink -e "$1/current-$(trixie_list_hash)") && return
  reason=$(trixie_unbuildable)
  trixie_skip "${reason:-the trixie_tree test did not build it (see $1/build.log)}"
}

trixie_mounted_under() { grep -o " $1/[^ ]*" /proc/mounts | sort -r; }
# Unmounts what a run mounted under DIR, deepest first, and removes DIR only
# once nothing is mounted there: /dev and the work folder are bound in.
trixie_take_down() { # DIR
  local point
  for point in $(trixie_mounted_under "$1"); do umount "$point" 2>/dev/null || umount -l "$point"; done
  [ -z "$(trixie_mounted_under "$1")" ] && rm -rf "$1"
}
# A root for chroot at $root: an overlay over $tree, so the tree stays as
# built, with /proc, /sys, /dev (and its pts), the host's /dev/shm (without it a compositor
# cannot allocate buffers) and OUT at /cascade-test/out; all of it goes at
# the exit.
trixie_root_up() { # OUT
  local stale owner layers
  # A run that CTest killed at its time limit had no chance to take its
  # mounts down; its folder names its process, gone or a zombie now.
  for stale in /tmp/cascade-trixie.*.*; do
    [ -d "$stale" ] || continue
    owner=${stale#/tmp/cascade-trixie.}
    still_runs "${owner%%.*}" || trixie_take_down "$stale"
  done
  layers=$(mktemp -d "/tmp/cascade-trixie.$$.XXXXXX")
  # shellcheck disable=SC2064 # this run's folder, fixed now
  trap "trixie_take_down $layers" EXIT
  root=$layers/root
  mkdir "$layers/upper" "$layers/work" "$root"
  mount -t overlay overlay -o "lowerdir=$tree,upperdir=$layers/upper,workdir=$layers/work" "$root" &&
    trixie_mount /proc -t proc proc && trixie_mount /sys --bind /sys && trixie_mount /dev --bind /dev &&
    trixie_mount /dev/pts --bind /dev/pts && trixie_mount /dev/shm --bind /dev/shm &&
    trixie_mount /cascade-test/out --bind "$1" || {
    echo "FAIL: the chroot's mounts could not be made"
    exit 1
  }
  # GNOME Shell takes logind to be there, and offers its lock, only where
  # systemd's seat folder is, as on the host.
  mkdir -p "$root/run/systemd/seats"
}
trixie_mount() { # WHERE MOUNT_ARGUMENTS...
  mkdir -p "$root$1" && mount "${@:2}" "$root$1"
}

# Runs the end-to-end script SCRIPT, beside the support scripts, in a chroot
# into the tree, with PROGRAMS (and files) copied under /cascade-test/bin and OUT's
# subfolder NAME as its work folder; returns the script's status.
trixie_run() { # OUT NAME SCRIPT PROGRAM...
  local out=$1 name=$2 script=$3 program programs=() place
  shift 3
  trixie_root_up "$out"
  mkdir -p "$root/cascade-test/end_to_end" "$root/cascade-test/support"
  install -m 755 "$script" "$root/cascade-test/end_to_end/"
  install -m 644 "$(dirname "${BASH_SOURCE[0]}")"/*.{sh,py} "$root/cascade-test/support/"
  # A folder each: cascade and its PAM service file share a name.
  for program; do
    place=/cascade-test/bin/${#programs[@]}/$(basename "$program")
    install -D -m 755 "$program" "$root$place"
    programs+=("$place")
  done
  chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin CI="${CI:-}" bash "/cascade-test/end_to_end/$(basename "$script")" \
    "${programs[@]}" "/cascade-test/out/$name"
}

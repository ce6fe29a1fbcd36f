# shellcheck shell=bash
# Sourced by the tests that run Cascade in Debian 13 (trixie): the tree they
# run in, built from Debian's archive by trixie_tree_setup.sh and kept in the
# build folder. Its name holds the ISO week and the package list, so a new
# week or a changed list builds a new one and no run downloads a tree it has.
trixie_mirror=${CASCADE_TRIXIE_MIRROR:-http://deb.debian.org/debian}
# What wayland_test.sh runs, and what the Debian-12-built cascade and
# virtual_pointer load (the t64 names are trixie's).
trixie_packages=(
  sway swayidle grim wtype strace imagemagick python3 procps
  libpng16-16t64 libegl1 libglu1-mesa libglx0 libopengl0 libx11-6 libwayland-egl1 libwayland-client0
  libxkbcommon0 libglib2.0-0t64 libegl-mesa0 libgl1-mesa-dri libglx-mesa0
)
trixie_key() {
  echo "$(date -u +%G-w%V)-$(echo "${trixie_packages[*]}" | sha256sum | cut -c1-8)"
}
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

# shellcheck shell=bash
# Sourced by the Plasma wallpaper's stages and benchmarks after wayland_support.sh (with
# $wayland_user_id set): the test user's $password, the package installed
# by apt with the user made, and our wallpaper chosen for the lock screen in
# the user's kscreenlockerrc, as System Settings chooses it. Installing
# changes the system's users and packages, so it is done only in the trixie
# tree's chroot, whose changes go with it.
readonly password=plasma42lock
install_plasma_package() { # DEB USER
  [ -d /cascade-test ] || { echo "FAIL: the package is installed only in the trixie tree's chroot"; exit 1; }
  DEBIAN_FRONTEND=noninteractive apt-get install -y "$1" >"$work/apt.log" 2>&1 ||
    { echo "FAIL: apt could not install the package: $(grep -E '^(E|W):| : Depends' "$work/apt.log")"; exit 1; }
  /usr/sbin/groupadd -g "$user_id" "$2" && /usr/sbin/useradd -u "$user_id" -g "$user_id" -d "$scratch/home" "$2" &&
    /usr/sbin/chpasswd <<<"$2:$password" || { echo "FAIL: the test user could not be set up"; exit 1; }
}
choose_lock_wallpaper() { # [PLUGIN], ours where none is named
  mkdir -p "$scratch/home/.config"
  printf '[Greeter]\nWallpaperPlugin=%s\n' "${1:-org.cascade.scene}" >"$scratch/home/.config/kscreenlockerrc"
  chown -R "$user_id:$user_id" "$scratch/home"
}
# After a wrong password KDE's greeter shows the failure and takes no keys
# for a while, longer on a loaded machine; then the field holds the old
# text, selected. Types PASSWORD over whatever the field holds (Ctrl+A
# first) until the greeter PID ends, up to three times: keys it dropped are
# typed again, and a greeter that refuses the password never ends.
type_until_ended() { # PID PASSWORD
  local try end
  for try in 1 2 3; do
    press +LCTL AC01 -LCTL "$2" RTRN
    end=$((SECONDS + wait_limit / 2))
    while still_runs "$1" && [ $SECONDS -lt $end ]; do sleep 0.2; done
    still_runs "$1" || return 0
  done
  return 1
}

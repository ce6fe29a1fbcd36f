# shellcheck shell=bash
# Sourced by the Plasma greeter benchmarks. On the host, plasma_bench_enter
# runs the calling script again in a chroot into the plasma trixie tree (KDE's
# greeter is in Debian 13 only), with the programs it measures copied under
# /cascade-test/bin; there, plasma_bench_setup installs the wallpaper's
# package, makes the user the greeter locks for, and starts headless sway
# (pixman) at the size asked, and start_greeter brings up KDE's greeter with
# a wallpaper chosen as System Settings chooses it.

# Where the copies are, in the chroot.
readonly plasma_bench_bin=/cascade-test/bin
plasma_bench_inside() { [ -d /cascade-test ]; }

# Runs SCRIPT with ARGUMENTS in the chroot and exits with its status; the
# work folder (logs, pictures) is kept under /tmp on the host.
plasma_bench_enter() { # CASCADE DEB SCRIPT ARGUMENT...
  local cascade=$1 deb=$2 script=$3 out here
  shift 3
  here=$(dirname "${BASH_SOURCE[0]}")
  [ -x "$cascade" ] || { echo "no program at $cascade: build --preset release first" >&2; exit 1; }
  [ -f "$deb" ] || { echo "no package at $deb: make it with scripts/package-plasma.sh" >&2; exit 1; }
  export CASCADE_TRIXIE_TREE=plasma
  # shellcheck source=../linux/tests/support/check_support.sh
  . "$here/../linux/tests/support/check_support.sh"
  # shellcheck source=../linux/tests/support/trixie_tree.sh
  . "$here/../linux/tests/support/trixie_tree.sh"
  trixie_tree_or_skip "$trixie_cache_root/plasma"
  out=$(mktemp -d /tmp/plasma-bench.XXXXXX)
  trixie_root_up "$out"
  mkdir -p "$root/cascade-test/bench" "$root/cascade-test/support" "$root$plasma_bench_bin"
  install -m 644 "$here/../linux/tests/support/"*.sh "$here/plasma_greeter_support.sh" "$here/cpu_support.sh" \
    "$root/cascade-test/support/"
  install -m 755 "$script" "$root/cascade-test/bench/"
  install -m 755 "$cascade" "$root$plasma_bench_bin/cascade"
  install -m 644 "$deb" "$root$plasma_bench_bin/cascade-plasma.deb"
  install -m 644 "$here/../linux/package/pam/cascade" "$root$plasma_bench_bin/pam-cascade"
  echo "work folder: $out"
  chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin bash "/cascade-test/bench/$(basename "$script")" "$@"
  exit $?
}

readonly greeter=/usr/lib/x86_64-linux-gnu/libexec/kscreenlocker_greet
# Ours, and KDE's stock one: an image.
# shellcheck disable=SC2034 # the scripts that source this use them
readonly scene_wallpaper=org.cascade.scene image_wallpaper=org.kde.image

plasma_bench_setup() { # WIDTHxHEIGHT
  wayland_user_id=4246
  # shellcheck source=../linux/tests/support/check_support.sh
  . /cascade-test/support/check_support.sh
  # shellcheck source=../linux/tests/support/wayland_support.sh
  . /cascade-test/support/wayland_support.sh "$plasma_bench_bin/cascade" /cascade-test/out/work
  # shellcheck source=../linux/tests/support/plasma_support.sh
  . /cascade-test/support/plasma_support.sh
  # The lock's user (the greeter asks for their password), and the PAM
  # service `cascade -lock` checks it through.
  install_plasma_package "$plasma_bench_bin/cascade-plasma.deb" cascade-bench
  install -m 644 "$plasma_bench_bin/pam-cascade" /etc/pam.d/cascade || { echo "no PAM service for the lock" >&2; exit 1; }
  start_sway
  "${user[@]}" swaymsg output HEADLESS-1 mode "$1" >/dev/null || { echo "sway took no mode $1" >&2; exit 1; }
}

greeter_pid=
# KDE's greeter showing WALLPAPER, with ENVIRONMENT; its pid in $greeter_pid.
start_greeter() { # NAME WALLPAPER ENVIRONMENT...
  choose_lock_wallpaper "$2"
  "${user[@]}" LANG=C.UTF-8 "${@:3}" "$greeter" --testing >"$work/$1.err" 2>&1 &
  greeter_pid=$!
  helper_pids+=("$greeter_pid")
}

# shellcheck source=cpu_support.sh
. "$(dirname "${BASH_SOURCE[0]}")/cpu_support.sh"
# True where two pictures half a second apart differ in more than a
# thousand pixels: the scene moves, KDE's image and the hidden prompt do not.
scene_moves() {
  "${user[@]}" grim -t ppm - >"$work/moves.1.ppm" && sleep 0.5 && "${user[@]}" grim -t ppm - >"$work/moves.2.ppm" &&
    at_least "$(compare -metric AE "$work/moves.1.ppm" "$work/moves.2.ppm" null: 2>&1)" 1000
}

# KDE's wallpaper fader without its blur and its colour shader: the
# wallpaper then draws itself. Its module's files are read from the disk
# instead of the copies built into its plugin.
plain_fader() {
  local folder=/usr/lib/x86_64-linux-gnu/qt6/qml/org/kde/breeze/components
  sed -i '/^prefer /d' "$folder/qmldir"
  python3 - "$folder/WallpaperFader.qml" <<'CUT' || { echo "KDE's wallpaper fader has changed: no plain one" >&2; exit 1; }
import sys
path = sys.argv[1]
text = open(path).read()
text = text[:text.index("    FastBlur {")] + text[text.index("    states: ["):]
text = text.replace("property alias source: wallpaperBlur.source", "property Item source")
open(path, "w").write(text)
CUT
}

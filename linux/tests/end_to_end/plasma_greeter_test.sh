#!/usr/bin/env bash
# Our Plasma wallpaper behind KDE's own lock screen: the greeter
# (kscreenlocker_greet --testing, a layer-shell surface) in headless sway,
# with the wallpaper chosen in the user's kscreenlockerrc, as System Settings
# chooses it; keys typed by place on our virtual keyboard (the greeter's Qt
# takes no wtype keys), passwords checked by PAM (the greeter's "kde"
# service falls back to "other", so pam_unix). The package says which:
#  - cascade-plasma: Plasma 6's greeter in trixie's sway, in the trixie
#    tree's chroot, the package installed by apt and its user added;
#  - cascade-plasma5: Debian 12's Plasma 5.27 greeter on this machine, the
#    package unpacked into the test's folder and found through Qt's and
#    XDG's paths, and its user seen by the greeter alone, in a mount
#    namespace of its own, so the machine's packages and users stay as
#    they are.
# Checks:
#  - the scene shows and moves: streaks in the lower half, two pictures differ;
#  - a key brings the prompt over it (its empty password field, white);
#  - a wrong password keeps the greeter, the right one ends it with 0;
#  - a failing scene leaves a plain black background and a prompt that
#    unlocks: GL reporting out of memory once the scene shows, glEnd throwing
#    from the first frame (both planted by LD_PRELOAD, in our module's calls
#    only), and the module's library gone.
# Usage: plasma_greeter_test.sh CASCADE PLASMA_DEB VIRTUAL_KEYBOARD GL_FAULT_SHIM WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
readonly greeter=/usr/lib/x86_64-linux-gnu/libexec/kscreenlocker_greet
plasma5=0
[ "$(dpkg-deb -f "$2" Package 2>/dev/null)" = cascade-plasma5 ] && plasma5=1
if [ $plasma5 = 1 ]; then
  [ -x "$greeter" ] || {
    echo "SKIP: Plasma 5's greeter is not installed (scripts/install-deps.sh installs it)"
    exit 77
  }
else
  [ -d /cascade-test ] || { echo "SKIP: runs only in the trixie tree's chroot (wayland_trixie_test.sh)"; exit 77; }
fi
wayland_user_id=4246
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$5"
# shellcheck source=../support/keyboard_support.sh
. "$(dirname "$0")/../support/keyboard_support.sh"
readonly deb=$2 virtual_keyboard=$3 fault_shim=$4 lock_user=cascade-plasma
greeter_env=() in_greeter_namespace=()
# shellcheck source=../support/plasma_support.sh
. "$(dirname "$0")/../support/plasma_support.sh"
if [ $plasma5 = 1 ]; then
  install_root=$scratch/root
  dpkg-deb -x "$deb" "$install_root" || { echo "FAIL: the package could not be unpacked"; exit 1; }
  qml_dir=$install_root/usr/lib/x86_64-linux-gnu/qt5/qml
  # Qt 5 takes X11 unless told, where Qt 6 takes Wayland.
  greeter_env=(QT_QPA_PLATFORM=wayland QML2_IMPORT_PATH="$qml_dir" XDG_DATA_DIRS="$install_root/usr/share:/usr/share")
  # The machine's user files with the test's user added, mounted over
  # /etc's in the greeter's own namespace: PAM's unix_chkpwd reads them there.
  for file in passwd group shadow; do cp -p "/etc/$file" "$scratch/$file"; done
  echo "$lock_user:x:$user_id:$user_id::$scratch/home:/bin/sh" >>"$scratch/passwd"
  echo "$lock_user:x:$user_id:" >>"$scratch/group"
  echo "$lock_user:$(openssl passwd -6 "$password"):20000:0:99999:7:::" >>"$scratch/shadow"
  # shellcheck disable=SC2016 # expanded by the namespace's shell
  in_greeter_namespace=(unshare --mount --propagation private sh -c 'for file in passwd group shadow; do
    mount --bind "$0/$file" "/etc/$file" || exit 1; done; exec "$@"' "$scratch")
else
  qml_dir=/usr/lib/x86_64-linux-gnu/qt6/qml
  install_plasma_package "$deb" "$lock_user"
fi
choose_lock_wallpaper
# Qt repeats a key whose release it reads late; on a loaded machine, late
# is common.
start_sway "input * repeat_delay 5000"
"${user[@]}" swaymsg output HEADLESS-1 mode 800x600 >/dev/null
start_device keyboard "$virtual_keyboard" us "" ""
ask keyboard "s 0"

shot() { "${user[@]}" grim -t ppm - >"$work/$1.ppm"; } # NAME
# The lower half, the waterfall's: above it the lock screen's clock ticks
# whether or not the scene moves.
readonly lower_half=800x300+0+300
# The share of the lower half's pixels brighter than half: the streaks.
streak_share() { convert "$work/$1.ppm[$lower_half]" -colorspace gray -threshold 50% -format '%[fx:mean]' info:; }
# The lightness of the prompt's empty password field, over the middle: the
# same place at 800x600 in Plasma 6's lock screen and in Plasma 5.27's.
field_lightness() { convert "$work/$1.ppm" -crop 230x14+265+366 +repage -colorspace gray -format '%[fx:mean]' info:; }
# Waits, up to the limit, for PREDICATE NAME to hold of a new picture.
wait_shot() { # NAME PREDICATE
  local end=$((SECONDS + wait_limit))
  until shot "$1" && "$2" "$1" || [ $SECONDS -ge $end ]; do sleep 0.3; done
  "$2" "$1"
}
scene_shown() { at_least "$(streak_share "$1")" 0.1; }
plain_black() { ! at_least "$(streak_share "$1")" 0.001; }
prompt_shown() { at_least "$(field_lightness "$1")" 0.9; }

greeter_pid=
start_greeter() { # NAME ENVIRONMENT...
  "${in_greeter_namespace[@]}" "${user[@]}" LANG=C.UTF-8 "${greeter_env[@]}" "${@:2}" "$greeter" --testing >"$work/$1.err" 2>&1 &
  greeter_pid=$!
  helper_pids+=("$greeter_pid")
}
# Shows the prompt with Shift (which types nothing), then types PASSWORD and Enter.
enter_password() { # NAME PASSWORD
  press LFSH
  wait_shot "$1-prompt" prompt_shown || fail "$1: no prompt after a key (see $work/$1-prompt.ppm)"
  press "$2" RTRN
}
# The greeter ended with 0 within the limit.
unlocked() { # NAME
  local end=$((SECONDS + wait_limit))
  while still_runs "$greeter_pid" && [ $SECONDS -lt $end ]; do sleep 0.2; done
  if still_runs "$greeter_pid"; then
    fail "$1: the right password did not end the greeter"
    kill "$greeter_pid"
  fi
  wait "$greeter_pid"
  local status=$?
  [ $status -eq 0 ] || fail "$1: the greeter ended with $status: $(tail -n 3 "$work/$1.err")"
}

start_greeter scene
wait_shot scene scene_shown || fail "scene: no streaks in the greeter's picture (see $work/scene.ppm)"
sleep 1
shot scene-later
[ "$(compare -metric AE "$work/scene.ppm[$lower_half]" "$work/scene-later.ppm[$lower_half]" null: 2>&1)" -gt 1000 ] ||
  fail "scene: it does not move (see $work/scene.ppm, $work/scene-later.ppm)"
prompt_shown scene && fail "scene: the prompt's field is taken to show before any key (see $work/scene.ppm)"
enter_password wrong plasma42lick
sleep 3
still_runs "$greeter_pid" || fail "wrong: a wrong password ended the greeter"
type_until_ended "$greeter_pid" "$password"
unlocked right

touch "$scratch/gl-fails"
start_greeter gl-error LD_PRELOAD="$fault_shim" CASCADE_TEST_GL_FAULT=error CASCADE_TEST_GL_FAULT_FILE="$scratch/gl-fails.now"
wait_shot gl-error scene_shown || fail "gl-error: no scene before the fault (see $work/gl-error.ppm)"
mv "$scratch/gl-fails" "$scratch/gl-fails.now"
wait_shot gl-error-black plain_black || fail "gl-error: the scene still shows after GL failed (see $work/gl-error-black.ppm)"
grep -q "cascade: the scene stops, the background stays black: GL error 0x505" "$work/gl-error.err" ||
  fail "gl-error: no line for the failure: $(tail -n 2 "$work/gl-error.err")"
enter_password gl-error "$password"
unlocked gl-error

start_greeter throws LD_PRELOAD="$fault_shim" CASCADE_TEST_GL_FAULT=throw
sleep 3
wait_shot throws plain_black || fail "throws: not a plain background (see $work/throws.ppm)"
grep -q "cascade: the scene stops, the background stays black: std::bad_alloc" "$work/throws.err" ||
  fail "throws: no line for the failure: $(tail -n 2 "$work/throws.err")"
enter_password throws "$password"
unlocked throws

rm "$qml_dir/org/cascade/scene/libcascadesceneplugin.so"
start_greeter no-module
sleep 3
wait_shot no-module plain_black || fail "no-module: not a plain background (see $work/no-module.ppm)"
enter_password no-module "$password"
unlocked no-module

[ $status -eq 0 ] && echo "Plasma greeter OK: the scene, the prompt over it, wrong and right passwords, three planted failures"
exit $status

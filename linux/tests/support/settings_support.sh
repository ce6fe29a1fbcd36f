# shellcheck shell=bash
# Sourced by the settings window's stage tests after wayland_support.sh,
# with the settings program: a copy of it and of its accessibility driver
# (settings_driver.py) for the throwaway user, and the checks the stages
# share. The test sets output_shot FILE OUTPUT before preview_moves.
install -m 755 "$1" "$scratch/cascade-settings"
install -m 644 "$(dirname "${BASH_SOURCE[0]}")/settings_driver.py" "$scratch/driver.py"
entry=$scratch/home/.config/autostart/cascade-idle.desktop

# Skips, or fails under CI, where a program the stage needs is missing.
need_programs() { # PROGRAM...
  local program why=
  for program in "$@"; do command -v "$program" >/dev/null || why="$program is not installed"; done
  /usr/bin/python3 -c "import pyatspi" 2>/dev/null || why="python3-pyatspi is not installed"
  [ -z "$why" ] && return
  [ "${CI:-}" = true ] && { echo "FAIL: $why (scripts/install-deps.sh installs it)"; exit 1; }
  echo "SKIP: $why (scripts/install-deps.sh installs it)"
  exit 77
}
start_session_bus() {
  "${user[@]}" dbus-daemon --session --address="unix:path=$runtime/bus" --nofork --nopidfile >"$work/bus.log" 2>&1 &
  helper_pids+=("$!")
  wait_for_socket "$runtime/bus"
  user+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus")
}
# As the desktop entry's Exec line starts it; its pid in $settings.
start_settings() {
  "${user[@]}" "$scratch/cascade-settings" >"$work/settings.out" 2>"$work/settings.err" &
  settings=$!
  helper_pids+=("$settings")
}
driver() { "${user[@]}" KEY_SENDER="${key_sender:-wtype}" /usr/bin/python3 "$scratch/driver.py" "$@" 2>>"$work/driver.err"; }
# Polls a check for up to the limit: the program acts a little after it is asked.
eventually() {
  local end=$((SECONDS + wait_limit))
  until "$@"; do [ $SECONDS -lt $end ] || return 1; sleep 0.1; done
}
# Running Cascades whose command line holds $1.
running_with() { for p in $(our_cascades); do tr '\0' ' ' 2>/dev/null <"/proc/$p/cmdline" | grep -q -- "$1" && echo "$p"; done; }
# Not a cascade -autostart between its fork and its exec of the watcher.
watchers() { running_with ' -idle ' | grep -vx -e "$(running_with -autostart)"; }
no_watcher() { [ -z "$(watchers)" ]; }
# Preview pressed: one saver beside the watcher, its pid in $saver and $pid,
# covering the screen.
preview_saver() {
  watcher=$(watchers)
  driver press "Preview" || fail "Preview cannot be pressed"
  eventually saver_runs
  saver=$(saver_children)
  [ "$(wc -w <<<"$saver")" -eq 1 ] || fail "Preview: not one saver runs: $saver"
  pid=$saver
  wait_covered fullscreen
}
saver_runs() { [ -n "$(saver_children)" ]; }
# The one running watcher waits for $1 seconds of idle.
watcher_waits() {
  local found
  found=$(watchers)
  [ "$(wc -w <<<"$found")" -eq 1 ] && tr '\0' ' ' 2>/dev/null <"/proc/$found/cmdline" | grep -q -- "-idle $1 "
}
entry_says() { grep -q "^Exec=.*-idle $1\$" "$entry" 2>/dev/null; }
# The pixel's "R G B" in a picture.
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }

# Picture N of the preview at X Y (WIDTH x HEIGHT) on OUTPUT shows the scene.
preview_shown() { # OUTPUT N X Y WIDTH HEIGHT
  output_shot "$work/window-$2.$shot_type" "$1" &&
    convert "$work/window-$2.$shot_type" -crop "${5}x${6}+$3+$4" +repage "$work/preview-$2.ppm" &&
    background=$(pixel "$work/window-$2.$shot_type" $(($3 + 8)) $(($4 + $6 + 8))) covered "$work/preview-$2.ppm"
}
# The preview moves, and shows the scene: neither black nor the window's own
# background, which an empty picture shows. A preview just started is still
# fading its sky up from black: each picture is taken again until it shows
# the scene, up to the limit. The window's coordinates are the output's, plus
# $window_x and $window_y where it does not sit at 0 0.
preview_moves() { # OUTPUT
  local x y width height i
  read -r x y width height < <(driver extents "Live preview of the Cascade screen saver")
  x=$((x + ${window_x:-0})) y=$((y + ${window_y:-0}))
  for i in 1 2; do
    eventually preview_shown "$1" "$i" "$x" "$y" "$width" "$height" ||
      fail "preview $i: the preview does not show the scene (see $work/preview-$i.ppm)"
    sleep 0.3
  done
  [ "$(compare -metric AE "$work/preview-1.ppm" "$work/preview-2.ppm" null: 2>&1)" != 0 ] ||
    fail "the preview does not move"
}

#!/usr/bin/env bash
# cascade-settings in an X11 session, driven as a user would through its
# accessibility tree (support/settings_driver.py) and the keyboard
# (xdotool): Xvfb and a session bus as a throwaway user with a home of its
# own, the window started as its desktop entry starts it.
#  - the window says that XScreenSaver is the host;
#  - its Add button puts Cascade, switched on, in ~/.xscreensaver (the
#    button that opens XScreenSaver's settings is never pressed: no program
#    but Cascade's runs);
#  - the preview moves and shows the scene;
#  - Tab alone reaches every control, and every control has a name.
# Usage: settings_x11_test.sh CASCADE CASCADE_SETTINGS WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$3"
# shellcheck source=../support/settings_support.sh
. "$(dirname "$0")/../support/settings_support.sh" "$2"
need_programs Xvfb xdotool import xscreensaver dbus-daemon
# The settings program finds the list's editor beside itself.
install -m 755 "$(dirname "$1")/add_to_xscreensaver/cascade-add-to-xscreensaver" "$scratch/"
readonly shot_type=ppm key_sender=xdotool
list=$scratch/home/.xscreensaver

# X first: the accessibility bus, which the program starts through the
# session bus, takes DISPLAY from the bus's environment.
"${user[@]}" Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" >"$work/xvfb.log" 2>&1 &
helper_pids+=("$!")
eventually test -s "$scratch/display" || { echo "FAIL: Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
user+=(DISPLAY=":$(cat "$scratch/display")")
output_shot() { "${user[@]}" import -window root ppm:- >"$1"; } # FILE OUTPUT
output_shot "$work/empty.ppm" root || fail "import"
background=$(pixel "$work/empty.ppm" 0 0)
start_session_bus
start_settings
eventually driver shows "On X11 XScreenSaver is the host" ||
  fail "the window does not say that XScreenSaver is the host: $(cat "$work/settings.err" "$work/driver.err")"

# -- Add: Cascade in the user's list, switched on (a leading '-' switches a
# hack off).
driver press "Add Put Cascade" || fail "the Add button cannot be pressed"
listed() { grep -Eq '^[^-#]*cascade' "$list" 2>/dev/null; }
eventually listed || fail "Add: ~/.xscreensaver does not list Cascade switched on: $(grep -i cascade "$list" 2>&1)"

preview_moves root

# -- The keyboard alone reaches every control; X gives the keys to the
# window under the pointer.
"${user[@]}" xdotool mousemove 20 20 || fail "xdotool mousemove"
driver tab-walk >"$work/tab-walk.log" || fail "keyboard: $(cat "$work/tab-walk.log")"

kill "$settings"
wait "$settings"
nothing_left
exit "$status"

#!/usr/bin/env bash
# cascade-settings in the GNOME desktop (headless GNOME Shell as in
# gnome_test.sh, support/gnome_session.sh), driven as a user would through
# its accessibility tree (support/settings_driver.py); keys and pictures
# through mutter's RemoteDesktop and ScreenCast. GNOME blanks after 10 min.
#  - the preview moves and shows the scene;
#  - on: the login entry is written and a watcher runs now; the status line
#    names GNOME's blanking time and when the saver comes before it;
#  - the idle time changed: the entry, the running watcher and the status
#    line carry it;
#  - Preview: the saver covers the screen and a key ends it;
#  - off: the entry is gone, and so is the watcher.
# Usage: settings_gnome_test.sh CASCADE CASCADE_SETTINGS WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$3"
# shellcheck source=../support/settings_support.sh
. "$(dirname "$0")/../support/settings_support.sh" "$2"
need_programs gnome-session gnome-shell gjs /usr/libexec/gsd-screensaver-proxy pipewire wireplumber \
  gst-launch-1.0 dbus-daemon gsettings
readonly monitors=(1024x768)
# shellcheck source=../support/gnome_session.sh
. "$(dirname "$0")/../support/gnome_session.sh"
gnome_set background picture-uri ''
gnome_set background primary-color '#232323'
gnome_set screensaver lock-enabled false
gnome_set session idle-delay 600
ask overview-set false
sleep 1 # GNOME Shell's animation
output_shot "$work/empty.png" Meta-0
background=$(pixel "$work/empty.png" 0 767)
user+=(XDG_CURRENT_DESKTOP=GNOME)
start_settings
eventually driver shows "No watcher runs now" ||
  fail "the window does not show, or not its status: $(cat "$work/settings.err" "$work/driver.err")"
gnome_says() { # COMES: the status line names GNOME's 10 min and when the saver comes
  driver shows "GNOME's idle monitor tells the watcher when you are idle. GNOME blanks the screen after 10 min, so the saver comes after $1."
}

# GNOME places the window: its top left corner is the first pixel of the
# window's light background, along a row low in the screen that the window
# spans, then up the column just inside its right edge (clear of the top
# bar's texts).
readonly light=200 # each channel above it: the window's background, not GNOME's
first_light() { # FILE GEOMETRY [-flop]: the index of the first light pixel in a row or column
  convert "$1" -crop "$2" +repage "${@:3}" -depth 8 txt:- |
    awk -F'[(),: ]+' -v light=$light 'NR > 1 && $3 > light && $4 > light && $5 > light { print NR - 2; exit }'
}
output_shot "$work/placed.png" Meta-0
window_x=$(first_light "$work/placed.png" 1024x1+0+700)
right=$((1023 - $(first_light "$work/placed.png" 1024x1+0+700 -flop)))
window_y=$(first_light "$work/placed.png" "1x768+$((right - 4))+0")
[ -n "$window_y" ] || fail "the window is not to be found on the screen (see $work/placed.png)"
preview_moves Meta-0

# -- On: the entry, and a watcher now; GNOME's blanking named.
driver toggle "Start when idle" || fail "the switch cannot be toggled"
eventually entry_says 300 || fail "on: no entry with -idle 300: $(cat "$entry" 2>&1)"
eventually watcher_waits 300 || fail "on: no watcher with -idle 300 runs: $(watchers)"
eventually gnome_says "5 min" || fail "on: the status line does not name GNOME's 10 min and the saver's 5"

# -- An idle time past GNOME's blanking: the saver comes a minute before it.
driver set "Idle time" 12 || fail "the idle time cannot be set"
eventually entry_says 720 || fail "idle time: the entry does not say -idle 720: $(cat "$entry" 2>&1)"
eventually watcher_waits 720 || fail "idle time: no watcher with -idle 720 runs: $(watchers)"
eventually gnome_says "9 min" || fail "idle time: the status line does not say the saver comes after 9 min"

# -- Preview: the saver covers the screen, a key ends it.
preview_saver
ask key 0x78
wait_ended "$saver"
still_runs "$saver" && fail "Preview: a key did not end the saver"

# -- Off: the entry and the watcher are gone.
driver toggle "Start when idle" || fail "the switch cannot be toggled back"
eventually test ! -e "$entry" || fail "off: the entry is still there"
eventually no_watcher || fail "off: a watcher still runs: $(watchers)"

kill "$settings"
wait "$settings"
nothing_left
exit "$status"

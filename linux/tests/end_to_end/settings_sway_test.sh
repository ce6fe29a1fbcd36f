#!/usr/bin/env bash
# cascade-settings in a real session, driven as a user would through its
# accessibility tree (support/settings_driver.py, AT-SPI) and the keyboard
# (wtype): headless sway as a throwaway user, as in wayland_test.sh, with a
# session bus of its own; the window started as its desktop entry starts it.
#  - one window: a second start raises the first;
#  - the preview moves: two pictures of it differ and both show the scene;
#  - "Start when idle" on: the login entry is written and a watcher runs now,
#    and the window says so;
#  - the idle time changed: the entry and the running watcher carry it; one
#    typed in a terminal (cascade -autostart on) shows in the window;
#  - Preview: the saver covers the screen and a key ends it;
#  - off: the entry is gone, and so is the watcher;
#  - a read-only configuration folder: the failure in words, no watcher;
#  - an entry edited by hand is named as such, its switch on, and it is not
#    replaced unasked;
#  - KDE Plasma's rows (the session says KDE; our wallpaper plugin in the
#    user's data folder): Open runs System Settings at its Screen Locking
#    page (a stub that records its arguments), or says that it cannot;
#    "Show the scene behind the lock" writes [Greeter] WallpaperPlugin into
#    kscreenlockerrc, every other byte kept, and off puts the file back; a
#    write-protected file is named, kept, and the switch goes back off;
#  - Tab alone reaches every control, and every control has a name;
#  - without the plugin, and with Plasma 5's System Settings only: the row
#    names the package to install, and Open runs Plasma 5's page.
# Usage: settings_sway_test.sh CASCADE CASCADE_SETTINGS WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$3"
# shellcheck source=../support/settings_support.sh
. "$(dirname "$0")/../support/settings_support.sh" "$2"
need_programs sway wtype grim dbus-daemon
outputs=(HEADLESS-1)
readonly shot_type=ppm

# The window floats in the top left corner at its own size, so that the
# full-screen saver is seen to cover what it leaves free; its own coordinates
# are the screen's.
untraced=1 start_sway "default_border none" \
  'for_window [app_id="invalid.cascade.screensaver"] floating enable, move position 0 0'
"${user[@]}" swaymsg output HEADLESS-1 mode 1024x768 >/dev/null || fail "swaymsg output"
output_shot() { "${user[@]}" grim -t ppm -o "$2" - >"$1"; } # FILE OUTPUT
output_shot "$work/empty.ppm" HEADLESS-1 || fail "grim"
background=$(pixel "$work/empty.ppm" 0 0)
start_session_bus
# A Plasma session's marks, under sway: System Settings a stub of ours that
# only records how it was run (it shows nothing), the plugin's metadata.
user+=(XDG_CURRENT_DESKTOP=KDE PATH="$scratch/bin:/usr/bin:/bin")
lockrc=$scratch/home/.config/kscreenlockerrc
plugin=$scratch/home/.local/share/plasma/wallpapers/org.cascade.scene
system_settings_stub() { # NAME
  mkdir -p "$scratch/bin"
  printf '#!/bin/sh\nprintf "%%s\\n" "$0" "$@" >"$HOME/system-settings.args"\n' >"$scratch/bin/$1"
  chmod 755 "$scratch/bin/$1"
}
system_settings_stub systemsettings
mkdir -p "$plugin" "$(dirname "$lockrc")"
echo '{"KPlugin": {"Id": "org.cascade.scene"}}' >"$plugin/metadata.json"
printf '%s\r\n' '[Daemon]' 'Timeout=5' '' '[Greeter]' '# mine' 'Theme=breeze' '' \
  '[Greeter][Wallpaper][org.kde.image][General]' 'WallpaperPlugin=x' >"$lockrc"
cp "$lockrc" "$work/kscreenlockerrc.before"
chown -R "$user_id:$user_id" "$scratch/home"
start_settings
eventually driver shows "No watcher runs now" ||
  fail "the window does not show, or not its status: $(cat "$work/settings.err" "$work/driver.err")"

# -- One window per user: a second start raises the first and ends.
"${user[@]}" timeout "$wait_limit" "$scratch/cascade-settings" 2>>"$work/settings.err" ||
  fail "a second start did not end with 0: a second window, or a failure"

# -- The preview moves, and shows the scene: neither black nor the window's
# own background, which an empty picture shows.
preview_moves HEADLESS-1

# -- On: the entry, and a watcher now, which the status line names.
driver toggle "Start when idle" || fail "the switch cannot be toggled"
eventually entry_says 300 || fail "on: no entry with -idle 300: $(cat "$entry" 2>&1)"
eventually watcher_waits 300 || fail "on: no watcher with -idle 300 runs: $(watchers)"
eventually driver shows "The watcher runs now" || fail "on: the window does not say that the watcher runs"

# -- The idle time changed: the entry and the running watcher follow.
driver set "Idle time" 7 || fail "the idle time cannot be set"
eventually entry_says 420 || fail "idle time: the entry does not say -idle 420: $(cat "$entry" 2>&1)"
eventually watcher_waits 420 || fail "idle time: no watcher with -idle 420 runs: $(watchers)"
driver shows "-idle 420" || fail "idle time: sway's line in the window does not say -idle 420"

# -- Preview: the saver covers the screen, a key ends it.
output_shot "$work/window.ppm" HEADLESS-1
covered "$work/window.ppm" && fail "the window alone passes for the scene: the Preview check could not fail"
preview_saver
"${user[@]}" wtype -s 300 x
wait_ended "$saver"
still_runs "$saver" && fail "Preview: a key did not end the saver"

# -- A change typed in a terminal shows in the window, long after the
# window's own last change (Preview took seconds).
"${user[@]}" "$cascade" -autostart on -idle 540 >/dev/null || fail "cascade -autostart on -idle 540"
window_idle_is() { [ "$(driver value "Idle time")" = "$1" ]; }
eventually window_idle_is 9 ||
  fail "terminal: the window shows $(driver value "Idle time") min, not 9, for $(grep '^Exec=' "$entry")"

# -- Off: the entry and the watcher are gone.
driver toggle "Start when idle" || fail "the switch cannot be toggled back"
eventually test ! -e "$entry" || fail "off: the entry is still there"
eventually no_watcher || fail "off: a watcher still runs: $(watchers)"

# -- A folder the entry cannot be written in: the window says so in words,
# and no watcher starts.
chmod 555 "$(dirname "$entry")"
driver toggle "Start when idle" || fail "read-only: the switch cannot be toggled"
eventually driver shows "Starting when idle failed" || fail "read-only: the window does not say that it failed"
[ ! -e "$entry" ] && [ -z "$(watchers)" ] || fail "read-only: an entry or a watcher after all: $(watchers)"
chmod 755 "$(dirname "$entry")"

# -- An entry edited by hand into one the window cannot show: it says so,
# and a change asks first; kept, the entry is as it was.
printf '%s\n' "[Desktop Entry]" "Type=Application" "Name=Mine" "Exec=$cascade -idle 300 -delay 50000" >"$entry"
chown "$user_id:$user_id" "$entry"
cp "$entry" "$work/hand-made.desktop"
eventually driver shows "The login entry" || fail "hand-made: the window does not say that it cannot show the entry"
driver checked "Start when idle" || fail "hand-made: the switch is off, yet the entry starts a watcher at login"
driver toggle "Start when idle" || fail "hand-made: the switch cannot be toggled"
eventually driver press "Keep It" || fail "hand-made: no question before the entry is replaced"
sleep 1
cmp -s "$entry" "$work/hand-made.desktop" || fail "hand-made: the entry was changed: $(cat "$entry" 2>&1)"
rm "$entry"

# -- KDE Plasma: Open runs System Settings at Screen Locking; one that
# cannot start is named on the problem line.
driver shows "Choose Cascade in System Settings › Screen Locking" || fail "Plasma: no row says where to choose"
driver press "Open The lock screen" || fail "Plasma: Open cannot be pressed"
stub_ran() { [ "$(tr '\n' ' ' 2>/dev/null <"$scratch/home/system-settings.args")" = "$1 " ]; }
eventually stub_ran "$scratch/bin/systemsettings kcm_screenlocker" ||
  fail "Plasma: Open did not run systemsettings kcm_screenlocker: $(cat "$scratch/home/system-settings.args" 2>&1)"
chmod 644 "$scratch/bin/systemsettings"
driver press "Open The lock screen" || fail "Plasma: Open cannot be pressed again"
eventually driver shows "Opening System Settings failed" || fail "Plasma: a failed start is not on the problem line"
chmod 755 "$scratch/bin/systemsettings"

# -- The switch: the plugin in [Greeter], every other line as it was (CRLF,
# comment, the nested group's key of the same name); off, the file as before.
driver checked "Show the scene behind the lock" && fail "Plasma: the switch is on, yet the file chooses no plugin"
driver toggle "Show the scene behind the lock" || fail "Plasma: the switch cannot be toggled"
printf '%s\r\n' '[Daemon]' 'Timeout=5' '' '[Greeter]' '# mine' 'Theme=breeze' 'WallpaperPlugin=org.cascade.scene' '' \
  '[Greeter][Wallpaper][org.kde.image][General]' 'WallpaperPlugin=x' >"$work/kscreenlockerrc.on"
eventually cmp -s "$lockrc" "$work/kscreenlockerrc.on" ||
  fail "Plasma: on: kscreenlockerrc is not the one expected: $(diff "$work/kscreenlockerrc.on" "$lockrc" | cat -A)"
driver checked "Show the scene behind the lock" || fail "Plasma: on: the switch does not read the file back"
driver toggle "Show the scene behind the lock" || fail "Plasma: the switch cannot be toggled back"
eventually cmp -s "$lockrc" "$work/kscreenlockerrc.before" ||
  fail "Plasma: off: kscreenlockerrc is not as before: $(diff "$work/kscreenlockerrc.before" "$lockrc" | cat -A)"
# A file the switch cannot change: the failure in words, the switch back off.
chmod 444 "$lockrc"
driver toggle "Show the scene behind the lock" || fail "Plasma: read-only: the switch cannot be toggled"
eventually driver shows "Showing the scene behind the lock failed" || fail "Plasma: read-only: no failure shown"
switch_off() { ! driver checked "Show the scene behind the lock"; }
eventually switch_off || fail "Plasma: read-only: the switch stays on, yet the file is as before"
cmp -s "$lockrc" "$work/kscreenlockerrc.before" || fail "Plasma: read-only: the file was changed"
chmod 644 "$lockrc"

# -- The keyboard alone reaches every control.
driver tab-walk >"$work/tab-walk.log" || fail "keyboard: $(cat "$work/tab-walk.log")"

kill "$settings"
wait "$settings"

# -- Without the plugin, and with Plasma 5's System Settings alone.
rm -r "$plugin" "$scratch/bin/systemsettings"
system_settings_stub systemsettings5
start_settings
eventually driver shows "Install the package cascade-plasma" || fail "Plasma: no plugin, yet no package named"
driver press "Open The lock screen" || fail "Plasma 5: Open cannot be pressed"
eventually stub_ran "$scratch/bin/systemsettings5 screenlocker" ||
  fail "Plasma 5: Open did not run systemsettings5 screenlocker: $(cat "$scratch/home/system-settings.args" 2>&1)"
kill "$settings"
wait "$settings"
nothing_left
exit "$status"

#!/usr/bin/env bash
# cascade -autostart on|off: the entry GNOME's and KDE's session managers
# read, as GLib itself parses it (the arguments come back as given, however
# awkward the lock command), the line printed for sway run through the shell,
# the program named as typed where PATH finds it,
# the line "off" names for each compositor the one "on" printed, the user's
# mode kept, a second "on" or "off" a no-op. Outside a Wayland session
# nothing starts or ends now, and the command says so.
# Usage: autostart_test.sh CASCADE WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
cascade=$1
work=$2
fresh_work_folder "$work"
export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work
unset WAYLAND_DISPLAY DISPLAY
entry=$XDG_CONFIG_HOME/autostart/cascade-idle.desktop
lock='swaylock -f -c "000000" $HOME \ 100% it'"'"'s'
program=$(readlink -f "$cascade")

SWAYSOCK=/nonexistent "$cascade" -idle 240 -lock-after 600 -lock-command "$lock" -autostart on >"$work/on.out" 2>&1 ||
  fail "on: exit $?: $(cat "$work/on.out")"
desktop-file-validate "$entry" >"$work/validate.out" 2>&1 || fail "the entry is not valid: $(cat "$work/validate.out")"
printf '%s\n' "$program" -idle 240 -lock-after 600 -lock-command "$lock" >"$work/wanted"
/usr/bin/python3 -c 'import sys
from gi.repository import Gio, GLib
info = Gio.DesktopAppInfo.new_from_filename(sys.argv[1])
# Field codes: %% is a %, and no other may stand in a command of ours.
def unfield(word):
    parts = word.split("%%")
    if any("%" in part for part in parts):
        sys.exit("a field code in " + word)
    return "%".join(parts)
print("\n".join(unfield(a) for a in GLib.shell_parse_argv(info.get_commandline())[1]))' "$entry" >"$work/parsed" 2>&1
cmp -s "$work/wanted" "$work/parsed" || fail "GLib reads the entry's command as: $(cat "$work/parsed")"
line=$(grep -A1 '^sway' "$work/on.out" | sed -n '2s/^  exec //p')
sh -c "printf '%s\n' $line" >"$work/sway" && cmp -s "$work/wanted" "$work/sway" ||
  fail "sway's line reads as: $(cat "$work/sway")"

chmod 600 "$entry"
before=$(stat -c '%i %Y' "$entry")
sleep 1
"$cascade" -idle 240 -lock-after 600 -lock-command "$lock" -autostart on >/dev/null 2>&1 || fail "again: exit $?"
[ "$(stat -c '%i %Y' "$entry")" = "$before" ] || fail "a second on rewrote the entry"
"$cascade" -idle 120 -autostart on >/dev/null 2>&1 || fail "changed: exit $?"
[ "$(stat -c %a "$entry")" = 600 ] && grep -q -- '-idle 120$' "$entry" || fail "changed: $(stat -c %a "$entry") $(grep Exec "$entry")"
# Where PATH finds this very program, the entry and sway's line name it as
# a user types it.
PATH="$(dirname "$program"):$PATH" SWAYSOCK=x "$cascade" -idle 90 -autostart on >"$work/typed.out" 2>&1
grep -qx 'Exec=cascade -idle 90' "$entry" && grep -qx '  exec cascade -idle 90' "$work/typed.out" ||
  fail "on PATH: $(grep Exec= "$entry"); $(cat "$work/typed.out")"

for round in 1 2; do
  "$cascade" -autostart off >"$work/off.out" 2>&1 || fail "off $round: exit $?"
done
[ ! -e "$entry" ] || fail "off left the entry"
grep -q "no idle watcher ended now" "$work/off.out" || fail "off outside a session says: $(cat "$work/off.out")"

# The line to remove is the line that was added, for every compositor that
# reads no entries; without the entry, off can only describe it.
for variable in SWAYSOCK HYPRLAND_INSTANCE_SIGNATURE NIRI_SOCKET LABWC_PID WAYFIRE_SOCKET RIVER_SOCKET; do
  env "$variable=x" "$cascade" -idle 240 -lock-after 600 -lock-command "$lock" -autostart on >"$work/on.out" 2>&1
  env "$variable=x" "$cascade" -autostart off >"$work/off.out" 2>&1
  added=$(grep -A1 'add this line' "$work/on.out" | sed -n 2p)
  [ -n "$added" ] && [ "$(grep -A1 'remove this line' "$work/off.out" | sed -n 2p)" = "$added" ] ||
    fail "$variable: on added"$'\n'"$added"$'\n'"off removes: $(cat "$work/off.out")"
done
SWAYSOCK=x "$cascade" -autostart off >"$work/off.out" 2>&1
grep -q 'the line that runs cascade -idle' "$work/off.out" || fail "off without the entry says: $(cat "$work/off.out")"

[ $status -eq 0 ] && echo "autostart OK: entry valid and read back by GLib, sway line, mode kept, idempotent"
exit $status

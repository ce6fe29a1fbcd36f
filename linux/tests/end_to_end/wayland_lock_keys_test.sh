#!/usr/bin/env bash
# The lock's keyboard and pointer in Debian 13's sway, as users of several
# layouts type: keys pressed by their place on a virtual keyboard whose
# keymap is compiled from a layout, variant and options, its modifiers and
# layout sent after each key as a keyboard on the desk's. Each case gives the
# test user a password with chpasswd, locks, types it key by key and Enter,
# and must unlock (exit 0):
#  - us(intl)'s dead keys, de's and fr's dead keys and AltGr, a Compose key
#    (compose:ralt) in the en_US.UTF-8 locale;
#  - capitals with Shift held, digits from the keypad with Num Lock on;
#  - Caps Lock: capitals, and the prompt's keyboard row (in its colour) while
#    it is on, gone once it is off;
#  - us,de with Alt+Shift between them: the row names the layout, and
#    changes with it, and the layout's own keys type its characters;
#  - a held Backspace repeats until released; Ctrl+U clears; Ctrl, Alt or
#    Super with a letter types nothing;
#  - a pointer's move and its click bring the prompt and end nothing.
# Usage: wayland_lock_keys_test.sh CASCADE PAM_SERVICE VIRTUAL_KEYBOARD VIRTUAL_POINTER WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
wayland_user_id=4244 lock_user=cascade-keys
# shellcheck source=../support/lock_support.sh
. "$(dirname "$0")/../support/lock_support.sh" "$1" "$2" "$5"
readonly virtual_keyboard=$3 virtual_pointer=$4
# The locale whose compose table the lock types through.
user+=(LANG=en_US.UTF-8)
start_lock_sway

# The keyboard row's colour, found nowhere in the scene; this many of its
# pixels in the prompt's box are the row's text.
readonly row_colour='rgb(153,204,255)' row_shown=20
# The keyboard row's pixels in the box over the middle of the first output,
# a picture of their own (PBM).
row_pixels() { # FILE OUT
  convert "$1" -gravity center -crop 320x120+0+0 +repage -fill black +opaque "$row_colour" \
    -fill white -opaque "$row_colour" -monochrome "$2"
}
row_count() { convert "$1" -format '%[fx:int(mean*w*h)]' info:; } # PBM
# Waits, up to the limit, for the keyboard row to show, to go ("hidden"),
# or to show other than in an earlier picture of it ("unlike" PBM); its
# pixels in $work/NAME.row.pbm.
keyboard_row() { # NAME [hidden | unlike PBM]
  local file=$work/$1.HEADLESS-1.ppm row=$work/$1.row.pbm end=$((SECONDS + wait_limit)) seen
  while :; do
    output_shot "$file" HEADLESS-1 && row_pixels "$file" "$row" && seen=$(row_count "$row") || seen=-1
    case ${2:-} in
    hidden) [ "$seen" -eq 0 ] && return ;;
    unlike) [ "$seen" -ge $row_shown ] && ! cmp -s "$row" "$3" && return ;;
    *) [ "$seen" -ge $row_shown ] && return ;;
    esac
    [ $SECONDS -lt $end ] || break
    sleep 0.2
  done
  case ${2:-} in
  hidden) fail "$1: the keyboard row still shows, $seen pixels of its colour (see $file)" ;;
  unlike) fail "$1: the keyboard row did not change, $seen pixels of its colour (see $file)" ;;
  *) fail "$1: no keyboard row in the prompt, $seen pixels of its colour (see $file)" ;;
  esac
}

# shellcheck source=../support/keyboard_support.sh
. "$(dirname "$0")/../support/keyboard_support.sh"

# A lock with PASSWORD as the user's, the keyboard LAYOUT VARIANT OPTIONS
# under the user's hands. The keyboard comes first, as the locker takes the
# keys of a keyboard it has been told of; the keys wait for the lock's
# surfaces, which take them once shown.
lock_with() { # NAME PASSWORD LAYOUT VARIANT OPTIONS
  /usr/sbin/chpasswd <<<"$lock_user:$2" || fail "$1: chpasswd"
  start_device keyboard "$virtual_keyboard" "${@:3}"
  ask keyboard "s 0"
  start_lock "$1"
  wait_line "$1" "cascade: the session is locked"
  wait_covered "$1"
}
# Enter: the keys typed must have made the password.
unlocks() { # NAME WHAT
  local end=$((SECONDS + wait_limit))
  press RTRN
  end_device keyboard
  until grep -sqE 'unlocked|not accepted|not be checked' "$work/$1.err" || ! still_runs "$pid" ||
    [ $SECONDS -ge $end ]; do sleep 0.1; done
  grep -qF "cascade: the session is unlocked" "$work/$1.err" ||
    fail "$1: $2 did not unlock: $(tail -n 2 "$work/$1.err")"
  expect_exit "$1" 0
}
# One case: PASSWORD typed as KEYS under the keymap, then Enter.
typed() { # NAME WHAT PASSWORD LAYOUT VARIANT OPTIONS KEYS...
  lock_with "$1" "$3" "$4" "$5" "$6"
  press "${@:7}"
  unlocks "$1" "$2"
}

# -- The pointer: a move brings the prompt, Escape takes it away, a click
# brings it again; the locker runs on through both. Then capitals with
# either Shift, and the keypad's digits under Num Lock.
start_device pointer "$virtual_pointer"
ask pointer "a 400 300 1440 600"
lock_with pointer 'Gift-TREK12' us "" ""
ask pointer "m 12 8"
prompt_shown pointer-moved
still_runs "$pid" || fail "pointer: a move ended the locker"
press ESC
prompt_shown pointer-escaped hidden
ask pointer p
ask pointer r
prompt_shown pointer-clicked
still_runs "$pid" || fail "pointer: a click ended the locker"
end_device pointer
press +LFSH g -LFSH ift AE11 +RTSH trek -RTSH NMLK KP1 KP2
unlocks pointer "Shift held for capitals, Num Lock on for the keypad"

# -- Dead keys and Compose. us(intl): acute then e, Shift+grave's tilde
# then n, acute then space for an apostrophe.
typed intl "us(intl)'s dead keys" "dé-ñ it's-ok" us intl "" \
  d AC11 e AE11 +LFSH TLDE -LFSH n SPCE it AC11 SPCE s AE11 ok
# de: circumflex and acute dead keys, AltGr+q, its own ß, ü and z.
typed de "de's dead keys, AltGr and letters" "zê@üßé" de "" "" \
  AD06 TLDE e +RALT AD01 -RALT AD11 AE11 AE12 e
# fr: AltGr+à, the circumflex dead key, Shift for digits, é of its own.
typed fr "fr's AltGr, dead key and digits" "dirk@ê1é" fr "" "" \
  dirk +RALT AE10 -RALT AD11 e +LFSH AE01 -LFSH AE02
typed compose "Compose (right Alt) sequences" 'dé-ö' us "" compose:ralt \
  d RALT AC11 e AE11 RALT +LFSH AC11 -LFSH o

# -- Caps Lock: capitals while on, and the keyboard row says so.
lock_with caps 'LOCK-off' us "" ""
press CAPS lock AE11
keyboard_row caps-on
press CAPS
keyboard_row caps-off hidden
press off
unlocks caps "Caps Lock's capitals"

# -- Two layouts: the row names the active one and changes with Alt+Shift,
# after which de's keys type de's characters (z, then y and ü on the same
# keys).
lock_with layouts 'dirk-zyü' us,de "" grp:alt_shift_toggle
press dirk AE11 AB01
keyboard_row layout-us
press +LALT LFSH -LALT
keyboard_row layout-de unlike "$work/layout-us.row.pbm"
press AB01 AD11
unlocks layouts "a second layout's keys"

# -- Editing: a held Backspace takes back all it repeats over; a released
# key repeats no more, though Enter comes past the repeat's delay; Ctrl+U
# clears; Ctrl, Alt and Super with a letter type nothing, between the
# password's letters.
typed repeat "a held Backspace, then keys released" held us "" "" vvvvv +BKSP \~1500 -BKSP held \~1000
typed shortcuts "Ctrl+U, then Ctrl, Alt and Super with letters" cut us "" "" \
  junk +LCTL u -LCTL c +LALT x -LALT u +LWIN x -LWIN +LCTL x -LCTL t

stop_compositor
nothing_left
[ $status -eq 0 ] && echo "Lock keys OK: dead keys (us intl, de, fr), Compose, AltGr, Shift, the keypad, Caps Lock and its row, two layouts and their row, a held Backspace, Ctrl+U, shortcuts typing nothing, the pointer bringing the prompt"
exit $status

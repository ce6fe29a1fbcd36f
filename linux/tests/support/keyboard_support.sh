# shellcheck shell=bash
# Sourced by the stages that type on virtual_keyboard (started with
# start_device keyboard, wayland_support.sh): press, which taps, holds and
# releases keys by their place, as a user's fingers do.

# A letter or digit's key by its place on a US keyboard.
declare -A place
place_row() { local i; for ((i = 0; i < ${#2}; i++)); do place[${2:i:1}]=$1$(printf %02d $((i + 1))); done; }
place_row AE 1234567890
place_row AD qwertyuiop
place_row AC asdfghjkl
place_row AB zxcvbnm
# Keys by XKB's names: KEY taps it, +KEY presses and -KEY releases it, ~MS
# waits that long; a word in small letters taps each letter's place as on a
# US keyboard, whatever the layout makes of it.
press() { # KEY...
  local token line i
  for token; do
    case $token in
    +*) line="d ${token#+}" ;;
    -*) line="u ${token#-}" ;;
    \~*) line="s ${token#\~}" ;;
    [a-z0-9]*)
      for ((i = 0; i < ${#token}; i++)); do press "${place[${token:i:1}]}" || return; done
      continue
      ;;
    *) line="t $token" ;;
    esac
    ask keyboard "$line" || return
  done
}

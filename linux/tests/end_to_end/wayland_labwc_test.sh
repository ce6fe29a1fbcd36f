#!/usr/bin/env bash
# Cascade in labwc, a stacking wlroots compositor, headless (pixman), as a
# smoke test: labwc started as a throwaway user with a configuration that
# starts nothing and one output set to a size of the test's own;
# -fullscreen covers it and a key (wtype) ends it with 0; the idle watcher
# brings the saver, a key takes it away and the watcher stays for the next
# spell; SIGTERM ends the watcher with 0; nothing of Cascade is left and
# labwc started no program (strace).
# Usage: wayland_labwc_test.sh CASCADE WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
command -v labwc >/dev/null || { echo "SKIP: labwc is not installed"; exit 77; }
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$2"
outputs=(HEADLESS-1)
# Not the headless backend's own 1280x720, so that a picture of this size
# shows the output was set.
readonly size=1024x768
readonly shot_type=ppm

# No autostart (labwc would run even an empty one through sh) and an empty
# menu: labwc runs no program at all.
mkdir -p "$scratch/labwc"
printf '%s\n' '<labwc_config/>' >"$scratch/labwc/rc.xml"
printf '%s\n' '<openbox_menu/>' >"$scratch/labwc/menu.xml"
start_compositor env WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=1 WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
  labwc -C "$scratch/labwc"
"${user[@]}" wlr-randr --output "${outputs[0]}" --custom-mode "$size" >"$work/wlr-randr.log" 2>&1 ||
  fail "wlr-randr: $(cat "$work/wlr-randr.log")"
output_shot() { "${user[@]}" grim -t ppm -o "$2" - >"$1"; } # FILE OUTPUT
output_shot "$work/empty.ppm" "${outputs[0]}" || fail "grim"
background=$(convert "$work/empty.ppm" -format '%[fx:int(255*p{0,0}.r)] %[fx:int(255*p{0,0}.g)] %[fx:int(255*p{0,0}.b)]' info:)
[ "$(identify -format '%wx%h' "$work/empty.ppm")" = "$size" ] || fail "the output is not $size"
send_key() { "${user[@]}" wtype -s 300 x; }

start fullscreen -fullscreen
wait_covered fullscreen
send_key
expect_exit fullscreen 0

start idle -idle 2
watcher=$pid
idle_cycle idle
kill -TERM "$watcher"
expect_exit idle 0
stop_compositor
nothing_left
compositor_started_only "(/usr)?/bin/labwc"

[ $status -eq 0 ] && echo "labwc OK: covered at $size, key, idle watcher, SIGTERM"
exit $status

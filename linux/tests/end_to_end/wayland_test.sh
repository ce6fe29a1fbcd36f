#!/usr/bin/env bash
# Cascade in a real Wayland compositor: Debian's sway, headless (wlroots'
# headless backend, pixman), started here as a throwaway user with a private
# runtime folder and a configuration that starts nothing (no bar, no
# background program, no Xwayland), with two outputs of different sizes.
# Every check runs the real program as that user, with DISPLAY naming an X
# server that is not there, as in a session with Xwayland:
#  - -fullscreen covers both outputs: the corners and middle of each output's
#    screenshot (grim -o) are the scene's, neither black nor the compositor's
#    background, and the picture moves; the square output shows the picture's
#    middle;
#  - 4 px of pointer travel (virtual pointer) keep it, the 5th ends it with 0;
#    an output's change of scale or place under a resting pointer does not;
#    a 2x output gets a 2x buffer; an output plugged in is covered;
#    a click, the wheel, a key (wtype) and SIGTERM end it with 0, a key held down across
#    its start does not when it comes up;
#  - -fps draws the rate in each output's lower-left corner, by the way of
#    showing the picture chosen on llvmpipe (shared memory) and by EGL's;
#    by each, an output made taller is covered at its new size, and a key
#    still ends it;
#  - swayidle -w timeout 1 'cascade -fullscreen' brings it up;
#  - the idle watcher (-idle) brings it up, with its -delay, and runs the lock
#    command after it each time, after which a 1 px motion ends it; a watcher
#    killed takes its saver with it; a view that inhibits idle
#    keeps it away until the view goes, and one that comes under the saver,
#    whose key ends it while the view holds, keeps it away no longer than the
#    view; a second watcher is refused;
#  - -autostart on starts the watcher at once, detached; on with new settings
#    replaces it, an entry it cannot write changes nothing; off ends it;
#  - window mode: a toplevel "Cascade", app id cascade, that draws over its
#    whole window, made taller too, at -delay's rate, with a 2x buffer on a
#    2x output, and draws nothing while its workspace is not shown; a key
#    other than Escape or q leaves it, closing it (swaymsg kill), q or
#    Escape ends it with 0;
#  - the compositor going away: one line, exit 1, from a saver and a watcher;
#  - nothing left running, and sway started no program (strace).
# Usage: wayland_test.sh CASCADE VIRTUAL_POINTER WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
# shellcheck source=../support/wayland_support.sh
. "$(dirname "$0")/../support/wayland_support.sh" "$1" "$3"
outputs=(HEADLESS-1 HEADLESS-2)
# The second output square, the picture 4:3 (the larger output's shape): it
# shows the picture's middle.
readonly modes=("1024x768 position 0 0" "600x600 position 1024 0")
readonly layout="1624 768" # the two outputs side by side
readonly shot_type=ppm
install -m 755 "$2" "$scratch/virtual_pointer"

# -- Cascade forced to X11 stays there, and no X server is there.
"${user[@]}" WAYLAND_DISPLAY=wayland-none DISPLAY=:none "$cascade" -x11 -fullscreen 2>"$work/x11.err"
rc=$?
[ $rc -eq 1 ] && [ "$(wc -l <"$work/x11.err")" -eq 1 ] ||
  fail "-x11 without an X server ended with $rc, not one line and 1: $(cat "$work/x11.err")"

# -- The idle watcher in an X11 session says that XScreenSaver is the host there.
"${user[@]}" DISPLAY=:none "$cascade" -idle 5 2>"$work/idle-x11.err"
rc=$?
[ $rc -eq 1 ] && grep -q "XScreenSaver" "$work/idle-x11.err" || fail "-idle on X11 ended with $rc: $(cat "$work/idle-x11.err")"

# -- The compositor: no bar, no background program, no Xwayland.
start_sway
swaymsg() { "${user[@]}" swaymsg "$@" >>"$work/swaymsg.log"; }
swaymsg create_output || fail "swaymsg create_output"
for i in "${!outputs[@]}"; do
  swaymsg output "${outputs[$i]}" mode ${modes[$i]} || fail "swaymsg output ${outputs[$i]} mode ${modes[$i]}"
done

# One virtual pointer for the whole run.
start_device pointer "$scratch/virtual_pointer"
pointer() { ask pointer "$*"; }

# -- Screenshots. The compositor's own background, taken before any Cascade.
# grim writes to stdout: the throwaway user may not write in the work folder.
# PPM: no time spent compressing.
shot() { # FILE GRIM_OPTIONS...
  local file=$1
  shift
  "${user[@]}" grim -t ppm "$@" - >"$file"
}
shot "$work/empty.ppm" -o "${outputs[0]}" || fail "grim"
background=$(convert "$work/empty.ppm" -format '%[fx:int(255*p{0,0}.r)] %[fx:int(255*p{0,0}.g)] %[fx:int(255*p{0,0}.b)]' info:)
output_shot() { shot "$1" -o "$2"; } # FILE OUTPUT
# After wait_covered: each output's picture moves.
moving() {
  local output
  sleep 0.2
  for output in "${outputs[@]}"; do
    shot "$work/$1.$output.later.ppm" -o "$output"
    [ "$(compare -metric AE "$work/$1.$output.ppm" "$work/$1.$output.later.ppm" null: 2>&1)" != 0 ] ||
      fail "$1: the picture on $output does not move"
  done
}

# -- Full screen on both outputs, the pointer's travel measured on the
# smaller one from where it first appears there.
pointer a $((1024 + 320)) 240 $layout
start travel -fullscreen
wait_covered travel
moving travel
# The picture, 1024x768, is laid on the drawing thread alone.
helpers=$(cat /proc/"$pid"/task/*/comm | grep -c '^llvmpipe-' || true)
[ "$helpers" = 0 ] || fail "travel: $helpers rasterizer helper threads for a 1024x768 picture"
# Of the square parts of the picture, left, middle or right, the middle one
# is what the square output shows, scaled.
shot "$work/shapes.ppm"
convert "$work/shapes.ppm" -crop 600x600+1024+0 +repage "$work/square.ppm"
best=$(for x in 0 128 256; do
  convert "$work/shapes.ppm" -crop 768x768+$x+0 +repage -resize 600x600! "$work/part.ppm"
  echo "$(compare -metric RMSE "$work/square.ppm" "$work/part.ppm" null: 2>&1 | cut -d' ' -f1) $x"
done | sort -g | head -n 1 | cut -d' ' -f2)
[ "$best" = 128 ] || fail "shapes: the square output shows the picture's part from x=$best, not its middle (128)"
still_runs "$pid" || fail "travel: Cascade ended before the pointer moved"
pointer m 0 0
sleep 0.3
pointer m 2 0
pointer m 0 -2
sleep 1
still_runs "$pid" || fail "travel: Cascade ended 4 px from where the pointer appeared"
pointer m 1 0
expect_exit travel 0

# -- Outputs changed under a resting pointer: sway moves the cursor itself (a
# leave and an enter on the other output's surface, a 300 px jump), which is
# no one's hand on the mouse; the hand's 5 px still end it afterwards. The
# protocol log shows what a picture cannot: a 2x output given a 2x buffer,
# the cursor hidden.
pointer a 100 100 $layout
plain_user=("${user[@]}")
user+=(WAYLAND_DEBUG=client)
start layout -fullscreen
user=("${plain_user[@]}")
wait_covered layout
for change in "scale 2" "scale 1" "pos 0 300" "pos 0 0"; do
  swaymsg output "${outputs[0]}" $change || fail "swaymsg output ${outputs[0]} $change"
  sleep 0.5
  still_runs "$pid" || fail "layout: Cascade ended when ${outputs[0]} took $change"
  [ "$change" != "scale 2" ] || grep -q 'set_buffer_scale(2)' "$work/layout.err" ||
    fail "layout: no 2x buffer on the 2x output"
done
# libwayland 1.23 writes an object as wl_pointer#16, earlier ones as wl_pointer@16.
grep -q 'wl_pointer[@#][0-9]*\.set_cursor([0-9]*, nil' "$work/layout.err" || fail "layout: the cursor was not hidden"
pointer m 5 0
expect_exit layout 0

# The press ends it, not the button's coming up; the wheel ends it too.
start click -fullscreen
wait_covered click
pointer p
expect_exit click 0
pointer r
start wheel -fullscreen
wait_covered wheel
pointer w
expect_exit wheel 0

# A key held down across the start, as Enter is when the saver is started
# from a terminal: its coming up is no key press, the next press is.
"${user[@]}" wtype -P x -s 8000 -p x &
held=$!
start key -fullscreen
wait_covered key
still_runs "$held" || fail "key: the held key came up before the saver covered the outputs"
wait "$held"
sleep 0.3
still_runs "$pid" || fail "key: a key coming up ended it"
"${user[@]}" wtype -s 300 x || fail "wtype"
expect_exit key 0

start sigterm -fullscreen
wait_covered sigterm
kill -TERM "$pid"
expect_exit sigterm 0

# -- -fps: the rate's box in each output's lower-left corner (the padding
# below and left of the text, pure black), the scene in its upper-left, so
# drawn over each output's copy the right way up; by the way chosen here
# (shared memory on llvmpipe) and by EGL's, which a hardware renderer takes.
# The lowest 2 x 2 dots of the box's padding, and the same from the top: the
# dot grows with the height as bitmap_fps_overlay.cpp has it.
fps_box() { # FILE
  local height dot
  height=$(identify -format '%h' "$1") && dot=$((height / 360 > 1 ? height / 360 : 1)) &&
    [ "$(convert "$1" -crop "$((2 * dot))x$((2 * dot))+$((2 * dot))+$((height - 4 * dot))" -format '%[fx:maxima]' info:)" = 0 ] &&
    [ "$(convert "$1" -crop "$((2 * dot))x$((2 * dot))+$((2 * dot))+$((2 * dot))" -format '%[fx:maxima]' info:)" != 0 ]
}
for way in shm egl; do
  user+=("CASCADE_WAYLAND_PRESENT=$way")
  start "fps-$way" -fullscreen -fps
  end=$((SECONDS + wait_limit))
  until [ $SECONDS -ge $end ]; do
    all=1
    for output in "${outputs[@]}"; do
      output_shot "$work/fps-$way.$output.$shot_type" "$output" && fps_box "$work/fps-$way.$output.$shot_type" || all=0
    done
    [ "$all" = 1 ] && break
    sleep 0.5
  done
  [ "$all" = 1 ] || fail "fps-$way: no rate in the lower-left corner of every output (see $work/fps-$way.*.$shot_type)"
  kill -TERM "$pid"
  expect_exit "fps-$way" 0
  # One side of an output's mode changed under it: covered at the new size
  # (without the rate, whose box would take a corner), and a key still ends it.
  start "taller-$way" -fullscreen
  wait_covered "taller-$way"
  swaymsg output "${outputs[1]}" mode 600x680 || fail "swaymsg output ${outputs[1]} mode 600x680"
  wait_covered "taller-$way"
  swaymsg output "${outputs[1]}" mode 600x600 || fail "swaymsg output ${outputs[1]} mode 600x600"
  "${user[@]}" wtype -s 300 x
  expect_exit "taller-$way" 0
  unset 'user[-1]'
done

# -- Window mode: the toplevel, tiled over the first output, drawn edge to
# edge; any key but Escape or q leaves it alone.
# The content's place of the toplevel "Cascade", app id cascade, as grim -g
# takes it; empty until it is there.
toplevel() {
  "${user[@]}" swaymsg -t get_tree -r | python3 -c '
import json, sys
def nodes(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from nodes(child)
for node in nodes(json.load(sys.stdin)):
    if node.get("app_id") == "cascade" and node.get("name") == "Cascade":
        outer, inner = node["rect"], node["window_rect"]
        print("%d,%d %dx%d" % (outer["x"] + inner["x"], outer["y"] + inner["y"], inner["width"], inner["height"]))'
}
wait_toplevel() {
  local end=$((SECONDS + wait_limit))
  until geometry=$(toplevel) && [ -n "$geometry" ] || ! still_runs "$pid" || [ $SECONDS -ge $end ]; do sleep 0.1; done
  [ -n "$geometry" ] || fail "$1: no toplevel titled Cascade with app id cascade"
}
# Waits until the scene covers the toplevel where it now is.
window_covered() { # NAME
  local end=$((SECONDS + wait_limit))
  until geometry=$(toplevel) && shot "$work/$1.ppm" -g "$geometry" && covered "$work/$1.ppm" ||
    ! still_runs "$pid" || [ $SECONDS -ge $end ]; do sleep 0.5; done
  covered "$work/$1.ppm" || fail "$1: the scene does not cover its window $geometry"
}
# By EGL's way, the one a hardware renderer takes (the full-screen checks
# above take the way chosen here, shared memory on llvmpipe).
user+=(WAYLAND_DEBUG=client CASCADE_WAYLAND_PRESENT=egl)
start window -delay 200000
user=("${plain_user[@]}")
wait_toplevel window
window_covered window
"${user[@]}" wtype -s 300 x
sleep 0.5
still_runs "$pid" || fail "window: a key other than Escape or q ended it"
# -delay holds it to 5 frames a second, not the compositor's 60; on a
# workspace not shown, it is told of no frames and draws none.
commits() { grep -c 'wl_surface[@#][0-9]*\.commit()' "$work/window.err"; }
before=$(commits)
sleep 2
frames=$(($(commits) - before))
[ "$frames" -ge 1 ] && [ "$frames" -le 12 ] || fail "window: $frames frames in 2 s at 5 a second"
swaymsg workspace hidden || fail "swaymsg workspace hidden"
sleep 1
before=$(commits)
sleep 2
[ $(($(commits) - before)) -le 1 ] || fail "window: $(($(commits) - before)) frames in 2 s while hidden"
swaymsg workspace 1 || fail "swaymsg workspace 1"
# On a 2x output a 2x buffer; made taller, drawn whole.
swaymsg output "${outputs[0]}" scale 2 || fail "swaymsg scale 2"
sleep 1
grep -q 'set_buffer_scale(2)' "$work/window.err" || fail "window: no 2x buffer on a 2x output"
swaymsg output "${outputs[0]}" scale 1 || fail "swaymsg scale 1"
# Floating at W x H (frame included), asked again until sway's tree shows it
# (under load sway may keep the size the window last drew at).
float_at() { # W H
  local end=$((SECONDS + wait_limit)) size
  until size=$(toplevel | cut -d' ' -f2) && [ "${size%x*}" -le "$1" ] && [ "${size#*x}" -le "$2" ] &&
    [ "${size#*x}" -gt $(($2 - 50)) ] || [ $SECONDS -ge $end ]; do
    swaymsg '[app_id="cascade"]' floating enable, resize set "$1" "$2", move position center || fail "swaymsg resize"
    sleep 1
  done
}
float_at 400 200
window_covered window-wide
float_at 400 300
window_covered window-taller
swaymsg '[app_id="cascade"]' kill
expect_exit window 0
start window-q
wait_toplevel window-q
"${user[@]}" wtype -s 300 q
expect_exit window-q 0
start window-escape
wait_toplevel window-escape
"${user[@]}" wtype -s 300 -k Escape
expect_exit window-escape 0

# -- Started on idle: the compositor sees no input for a second, swayidle
# starts Cascade, which covers the screen until a key ends it.
"${user[@]}" DISPLAY=:none swayidle -w timeout 1 "$cascade -fullscreen" >"$work/swayidle.log" 2>&1 &
idle_pid=$!
helper_pids+=("$idle_pid")
pid=$idle_pid
wait_covered swayidle && [ "$(our_cascades | wc -l)" -eq 1 ] || fail "swayidle did not bring up one Cascade"
kill -TERM "$idle_pid"
"${user[@]}" wtype -s 300 x
wait_ended "$idle_pid"
still_runs "$idle_pid" && fail "swayidle: Cascade or swayidle still runs after a key and SIGTERM"
[ -z "$(our_cascades)" ] || fail "swayidle: a Cascade still runs: $(our_cascades)"

# -- Started on idle by the watcher, through sway's KDE idle protocol: the
# saver covers both outputs after a second without input, a key takes it
# away and the watcher stays for the next spell; one watcher per session.
send_key() { "${user[@]}" wtype -s 300 x; }
# With a lock after a second of saver: the lock command runs once a spell;
# the saver runs at the watcher's -delay. After the lock, activity that is
# not the saver's to end on (1 px of motion) ends it, since a lock screen
# would have taken the input.
start idle -idle 2 -delay 50000 -lock-after 1 -lock-command "echo locked >>$runtime/locks"
watcher=$pid
lock_wait=1.5
idle_cycle idle-1
idle_cycle idle-2
lock_wait=0
locks() { cat "$runtime/locks" 2>/dev/null | wc -l; }
[ "$(locks)" -eq 2 ] || fail "idle: the lock command ran $(locks) times, not 2"
wait_saver idle-3
saver=$(saver_children)
tr '\0' ' ' <"/proc/$saver/cmdline" | grep -q -- '-delay 50000' || fail "idle-3: the saver runs without -delay 50000"
end=$((SECONDS + wait_limit))
until [ "$(locks)" -eq 3 ] || [ $SECONDS -ge $end ]; do sleep 0.1; done
pointer m 1 0
wait_ended "$saver"
still_runs "$saver" && fail "idle-3: activity after the lock left the saver up"
start second -idle 1
expect_exit second 1
grep -q "already runs" "$work/second.err" || fail "second watcher: $(cat "$work/second.err")"
pid=$watcher
kill -TERM "$watcher"
expect_exit idle 0
[ -z "$(our_cascades)" ] || fail "idle: still running after SIGTERM: $(our_cascades)"

# A view that inhibits idle keeps the saver away; once it goes, the saver comes.
start inhibitor
window=$pid
wait_toplevel inhibitor
swaymsg '[app_id="cascade"]' inhibit_idle open || fail "swaymsg inhibit_idle"
start idle-inhibited -idle 2
watcher=$pid
sleep 4
[ -z "$(saver_children)" ] || fail "inhibited: the saver came while a view inhibits idle"
swaymsg '[app_id="cascade"]' kill
pid=$window
expect_exit inhibitor 0
pid=$watcher
window=
idle_cycle idle-after-inhibitor
# Debian 12's sway says "idle" again only after input while idle is not
# inhibited: a view that inhibits idle comes under the saver, the key ends
# the saver while it holds, the view goes. With no input the saver comes
# again, since the watcher asks anew after each saver.
wait_saver idle-under-view
start inhibitor-under
window=$pid
wait_toplevel inhibitor-under
swaymsg '[app_id="cascade"]' inhibit_idle open || fail "swaymsg inhibit_idle"
saver=$(saver_children)
send_key
wait_ended "$saver"
still_runs "$saver" && fail "idle-under-view: the key left the saver up"
swaymsg '[app_id="cascade"]' kill
pid=$window
expect_exit inhibitor-under 0
pid=$watcher
window=
wait_saver idle-rearmed
# A watcher killed outright takes its saver with it.
wait_covered idle-killed
saver=$(saver_children)
disown "$watcher" # no "Killed" from bash
kill -KILL "$watcher"
wait_ended "$saver"
still_runs "$saver" && fail "killed: the saver outlived its watcher"
# Its lease goes only once its exit closes its files, after its program
# link: until then -autostart would find a lease held by a pid it cannot
# prove a watcher.
wait_ended "$watcher"

# -- -autostart takes effect at once: on starts the watcher, detached in a
# session of its own, which brings the saver; on with a new idle time
# replaces it, the same settings again leave it; an on that cannot write the
# entry changes nothing and starts nothing; off ends it.
autostart() { # NAME ARGUMENTS...
  local name=$1
  shift
  "${user[@]}" DISPLAY=:none "$cascade" "$@" >"$work/$name.out" 2>&1
}
watchers() { for p in $(our_cascades); do grep -qz -- '^-idle$' "/proc/$p/cmdline" && echo "$p"; done; }
entry=$scratch/home/.config/autostart/cascade-idle.desktop
autostart autostart-on -idle 2 -autostart on || fail "autostart on: exit $?: $(cat "$work/autostart-on.out")"
watcher=$(watchers)
pid=$watcher
[ "$(wc -w <<<"$watcher")" -eq 1 ] && [ "$(ps -o sid= -p "$watcher" | tr -d ' ')" = "$watcher" ] ||
  fail "autostart on: not one watcher in a session of its own: $watcher"
idle_cycle autostart-idle
autostart autostart-again -idle 3 -autostart on || fail "autostart again: exit $?: $(cat "$work/autostart-again.out")"
first=$watcher
watcher=$(watchers)
pid=$watcher
! still_runs "$first" && [ "$(wc -w <<<"$watcher")" -eq 1 ] && tr '\0' ' ' <"/proc/$watcher/cmdline" | grep -q -- '-idle 3 $' ||
  fail "autostart again: watchers $first, then $watcher: $(cat "$work/autostart-again.out")"
autostart autostart-same -idle 3 -autostart on && [ "$(watchers)" = "$watcher" ] ||
  fail "autostart, the same settings: the watcher $watcher became $(watchers)"
chmod 555 "$(dirname "$entry")"
autostart autostart-read-only -idle 4 -autostart on
rc=$?
chmod 755 "$(dirname "$entry")"
[ $rc -eq 1 ] && [ "$(watchers)" = "$watcher" ] && grep -q -- '-idle 3$' "$entry" && grep -q "nothing started" "$work/autostart-read-only.out" ||
  fail "autostart, read-only: exit $rc, watcher $(watchers), $(grep Exec "$entry"): $(cat "$work/autostart-read-only.out")"
autostart autostart-off -autostart off || fail "autostart off: exit $?: $(cat "$work/autostart-off.out")"
[ -z "$(watchers)" ] && [ ! -e "$entry" ] || fail "autostart off: watchers $(watchers), entry $(ls "$entry" 2>&1)"

# -- The compositor goes away under a full-screen Cascade and a watcher.
start gone-watcher -idle 60
watcher=$pid
start gone -fullscreen
wait_covered gone
[ "$(our_cascades | wc -l)" -eq 2 ] || fail "gone-watcher: a saver came long before 60 idle seconds"
# An output plugged in is covered too. (sway 1.7 cannot switch a headless
# output off: unplugging is not tried.)
swaymsg create_output || fail "swaymsg create_output"
outputs+=(HEADLESS-3)
wait_covered plugged
swaymsg exit 2>/dev/null
expect_exit gone 1
[ "$(wc -l <"$work/gone.err")" -eq 1 ] || fail "gone: not one line: $(cat "$work/gone.err")"
pid=$watcher
expect_exit gone-watcher 1
grep -q "lost the connection" "$work/gone-watcher.err" || fail "gone-watcher: $(cat "$work/gone-watcher.err")"
wait "$tracer_pid" || fail "sway ended with $?: $(tail "$work/compositor.log")"
compositor_pid=

# -- Nothing left, and the compositor ran nothing but itself.
sleep 0.5
nothing_left
# sway logs the kernel's name through `sh -c "uname -a"`.
compositor_started_only '/usr/bin/sway|/bin/sh|/usr/bin/uname'

[ $status -eq 0 ] && echo "Wayland OK: two outputs covered, pointer, click, key, SIGTERM, swayidle, idle watcher, window, compositor gone"
exit $status

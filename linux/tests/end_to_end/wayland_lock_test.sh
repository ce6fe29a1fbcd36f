#!/usr/bin/env bash
# cascade -lock in Debian 13's sway (ext-session-lock-v1), headless with two
# outputs, as a test user whose password pam_unix checks through the PAM
# service file of the source tree. The desktop is a window of Cascade's own
# whose title bar and borders sway draws in $desktop_colour, seen in grim's
# pictures or not:
#  - locked, the scene covers both outputs and the desktop is hidden;
#  - a second locker is refused (exit 1) and the first keeps the lock;
#  - SIGTERM, SIGINT and SIGHUP change nothing;
#  - a wrong password is not accepted and keeps the lock;
#  - the right one unlocks: exit 0, the desktop shows again;
#  - SIGKILL leaves the session locked, in sway's red alone; a new locker
#    takes the lock over, covers an output plugged in meanwhile, and the
#    right password unlocks;
#  - the idle watcher's -lock-after turns its saver into the lock: a key
#    brings the prompt, the password ends the saver, the watcher stays; a
#    watcher ended meanwhile leaves the locked saver to be unlocked; no
#    -frames count ends a saver that has become the lock;
#  - PAM's own words (pam_faillock's held account) are noted and shown, and
#    "checking" while a slow stack checks; no
#    password unlocks through a broken stack; a missing service is refused;
#  - short of threads or memory, or with an output past GL's size, the
#    locker refuses before locking or holds the lock until the password;
#  - GL that makes no framebuffer once locked (planted) still covers an
#    output plugged in then, with the prompt;
#  - nothing left running, and sway started no program (strace).
# It changes the system's users and PAM services, so it runs only in the
# trixie tree's chroot, whose changes go with it.
# Usage: wayland_lock_test.sh CASCADE PAM_SERVICE GL_FAILS_SHIM WORK_DIR
set -uo pipefail
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
wayland_user_id=4242 lock_user=cascade-lock
# shellcheck source=../support/lock_support.sh
. "$(dirname "$0")/../support/lock_support.sh" "$1" "$2" "$4"
readonly gl_fails_shim=$3
readonly password
start_lock_sway

# -- The desktop: a window of Cascade's, 5 frames a second.
start desktop -delay 200000
desktop=$pid
wait_desktop desktop

# -- Locked: the scene on both outputs, the desktop hidden.
start_lock lock
locker=$pid
wait_line lock "cascade: the session is locked"
wait_covered lock
desktop_hidden lock

# -- A second locker is refused; the first keeps the lock.
start_lock second
expect_exit second 1
grep -q refused "$work/second.err" || fail "second: no line saying it was refused: $(cat "$work/second.err")"
pid=$locker
still_runs "$locker" || fail "second: the first locker ended"
wait_covered second-refused
desktop_hidden second-refused

# -- The stop signals change nothing.
for signal in TERM INT HUP; do
  kill -$signal "$locker"
  sleep 0.5
  still_runs "$locker" || {
    fail "SIG$signal ended the locker"
    break
  }
done
wait_covered signals
desktop_hidden signals

# -- A wrong password keeps the lock; the right one ends it.
type_password wrong-horse
wait_lines lock "cascade: the password was not accepted" 1
still_runs "$locker" || fail "wrong password: the locker ended"
# The prompt, which says so, now hides the middle of the scene.
prompt_shown wrong
desktop_hidden wrong
unlock lock

# -- A locker killed outright leaves the session locked: sway's red over
# every output, nothing else. A new locker takes the lock over, covers an
# output plugged in while it holds it, and unlocks.
abandoned() { [ "$(convert "$1" -format '%k %[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)" = "1 $background" ]; }
start_lock killed
wait_line killed "cascade: the session is locked"
wait_covered killed
disown "$pid" # no "Killed" from bash
kill -KILL "$pid"
wait_ended "$pid"
end=$((SECONDS + wait_limit))
for output in "${outputs[@]}"; do
  file=$work/killed-after.$output.ppm
  until output_shot "$file" "$output" && abandoned "$file" || [ $SECONDS -ge $end ]; do sleep 0.3; done
  abandoned "$file" || fail "killed: $output shows more than sway's red of a lock whose locker died (see $file)"
done
start_lock takeover
wait_line takeover "cascade: the session is locked"
wait_covered takeover
swaymsg create_output
outputs+=(HEADLESS-3)
wait_covered plugged
desktop_hidden plugged
unlock takeover

# -- The idle watcher's -lock-after, where the compositor offers the lock:
# its saver becomes the lock itself, so a key brings the prompt rather than
# ending it, the password ends it, and the watcher stays.
start watcher -idle 2 -lock-after 1
watcher=$pid window=$desktop
wait_saver own-lock
saver=$(saver_children)
[ "$(wc -w <<<"$saver")" -eq 1 ] || fail "own-lock: the watcher did not bring up one saver"
pid=$saver
wait_line watcher "cascade: the session is locked"
"${user[@]}" wtype -s 300 -k BackSpace || fail "wtype"
sleep 1
still_runs "$saver" || fail "own-lock: a key ended the saver that holds the lock"
prompt_shown own-lock-prompt
desktop_hidden own-lock-prompt
type_password "$password"
wait_line watcher "cascade: the session is unlocked"
wait_ended "$saver"
still_runs "$saver" && fail "own-lock: the saver still runs after the unlock"
wait_desktop own-lock-unlocked
pid=$watcher
still_runs "$watcher" || fail "own-lock: the watcher ended with its saver"
# Ended while its saver holds the lock, the watcher leaves it running:
# killed, it would leave the session locked with nobody to unlock it.
wait_saver own-lock-again
saver=$(saver_children)
pid=$saver
end=$((SECONDS + wait_limit))
until [ "$(grep -c 'session is locked' "$work/watcher.err")" -ge 2 ] || [ $SECONDS -ge $end ]; do sleep 0.1; done
pid=$watcher
kill -TERM "$watcher"
expect_exit watcher 0
sleep 1
still_runs "$saver" || fail "own-lock: the watcher's end took the saver that held the lock"
pid=$saver
type_password "$password"
wait_ended "$saver"
still_runs "$saver" && fail "own-lock: the saver left behind did not unlock"
wait_desktop own-lock-left-unlocked

# -- A saver given -frames and -lock-after: once it is the lock no frame
# count ends it. Its rate, said each second, shows the count passed.
"${user[@]}" DISPLAY=:none env --default-signal=INT "$cascade" -fullscreen -lock-after 1 -frames 100 -fps-stderr \
  >/dev/null 2>"$work/counted.err" &
pid=$!
wait_line counted "cascade: the session is locked"
frames_said() { awk '/ fps$/ { sum += $2 } END { print int(sum) }' "$work/counted.err"; }
end=$((SECONDS + 3 * wait_limit))
until [ "$(frames_said)" -ge 200 ] || ! still_runs "$pid" || [ $SECONDS -ge $end ]; do sleep 0.5; done
[ "$(frames_said)" -ge 200 ] || fail "counted: about $(frames_said) frames drawn, too few to pass -frames 100 twice"
still_runs "$pid" || fail "counted: -frames ended a saver that held the lock"
unlock counted

# -- PAM's own words: pam_faillock holds the account after three wrong
# passwords. The locker checks as the user, so the tally is kept in a folder
# of the user's (pam_unix needs no more than its helper, unix_chkpwd). While
# the account is held the right password is refused, and PAM's message is
# noted and shown in the message row, more of its orange than "wrong
# password" takes; once the hold is over the right password unlocks.
readonly hold=5 message_colour='rgb(255,204,102)'
faillock="deny=3 unlock_time=$hold dir=$scratch/home/faillock"
cat >/etc/pam.d/cascade <<EOT
auth requisite pam_faillock.so preauth $faillock
auth [success=1 default=bad] pam_unix.so nodelay
auth [default=die] pam_faillock.so authfail $faillock
auth sufficient pam_faillock.so authsucc $faillock
auth required pam_deny.so
EOT
# The message row's colour in the prompt's box on the first output, in
# pixels: waits, up to the limit, for more than FLOOR.
message_pixels() { # NAME FLOOR
  local file=$work/$1.HEADLESS-1.ppm end=$((SECONDS + wait_limit)) count=0
  until [ "$count" -gt "$2" ] || [ $SECONDS -ge $end ]; do
    output_shot "$file" HEADLESS-1 && count=$(convert "$file" -gravity center -crop 240x80+0+0 +repage -fill black \
      +opaque "$message_colour" -fill white -opaque "$message_colour" -format '%[fx:int(mean*w*h+0.5)]' info:)
    sleep 0.2
  done
  echo "$count"
}
start_lock held
wait_line held "cascade: the session is locked"
for try in 1 2 3; do
  type_password wrong-horse
  wait_lines held "cascade: the password was not accepted" $try
done
held_since=$SECONDS
wrong=$(message_pixels held-wrong 0)
type_password "$password"
wait_lines held "cascade: the password was not accepted" 4
still_runs "$pid" || fail "held: the right password unlocked an account that pam_faillock holds"
grep -qF "cascade: PAM: The account is locked due to 3 failed logins." "$work/held.err" ||
  fail "held: PAM's message is not noted: $(tail -n 3 "$work/held.err")"
[ "$(message_pixels held-message "$wrong")" -gt "$wrong" ] ||
  fail "held: PAM's message is not in the prompt (see $work/held-message.HEADLESS-1.ppm)"
held_for=$((held_since + hold + 1 - SECONDS))
[ $held_for -gt 0 ] && sleep $held_for
unlock held

# -- A broken stack (a module missing) is PAM's fault, not a wrong password:
# no password unlocks through it, the right one included, and the locker
# says why; with the service put back, the right password unlocks.
echo "auth required pam_cascade_missing.so" >/etc/pam.d/cascade
start_lock broken
wait_line broken "cascade: the session is locked"
type_password wrong-horse
wait_lines broken "cascade: the password could not be checked: " 1
type_password "$password"
wait_lines broken "cascade: the password could not be checked: " 2
still_runs "$pid" || fail "broken: a password unlocked through a broken PAM stack"
install -m 644 "$2" /etc/pam.d/cascade
unlock broken

# -- A slow check (PAM's stack sleeps 5 s first): meanwhile the prompt says
# "checking", in the message row, before the answer comes.
{ echo "auth optional pam_exec.so quiet /bin/sleep 5"; cat "$2"; } >/etc/pam.d/cascade
start_lock slow
wait_line slow "cascade: the session is locked"
type_password wrong-horse
[ "$(message_pixels slow-checking 0)" -gt 0 ] && ! grep -qF "was not accepted" "$work/slow.err" ||
  fail "slow: the prompt said nothing while the password was checked (see $work/slow-checking.HEADLESS-1.ppm)"
wait_lines slow "cascade: the password was not accepted" 1
install -m 644 "$2" /etc/pam.d/cascade
unlock slow

# The locker $pid refused before locking: exit 1, one line saying why, no
# lock, the desktop.
refused() { # NAME
  expect_exit "$1" 1
  [ "$(grep -c '^cascade: cannot lock: ' "$work/$1.err")" -eq 1 ] ||
    fail "$1: not one line that it cannot lock: $(tail -n 3 "$work/$1.err")"
  grep -qF "cascade: the session is locked" "$work/$1.err" && fail "$1: it had locked the session"
  wait_desktop "$1-refused"
}

# -- No service named cascade: PAM would take "other", here one that denies
# everything, so a lock taken could never be undone. The locker refuses.
rm /etc/pam.d/cascade
mv /etc/pam.d/other "$scratch/pam-other"
printf '%s\n' "auth required pam_deny.so" "account required pam_deny.so" >/etc/pam.d/other
start_lock unserved
refused unserved
mv "$scratch/pam-other" /etc/pam.d/other
install -m 644 "$2" /etc/pam.d/cascade

# -- Short of threads or memory, the locker refuses before locking, or holds
# the lock with a working prompt until the right password: never sway's red,
# never an end while it holds the lock.
# A locker under prlimit's LIMIT, set once it runs as the user: a limit on
# processes set before setpriv took the user would make the kernel refuse
# setpriv's exec rather than the locker's threads. llvmpipe's threads, whose
# stacks and heaps the memory figures include, are as many on any machine.
limited_lock() { # NAME LIMIT
  local plain=("${user[@]}")
  user=("${plain[@]}" LP_NUM_THREADS=2 prlimit "$2" env)
  start_lock "$1"
  user=("${plain[@]}")
}
# A key brings the prompt, the right password unlocks.
prompt_works() { # NAME
  "${user[@]}" wtype -s 300 -k BackSpace || fail "wtype"
  prompt_shown "$1-prompt"
  unlock "$1"
}
refused_or_works() { # NAME
  local end=$((SECONDS + wait_limit))
  until grep -qsE "^cascade: (the session is locked|cannot lock)" "$work/$1.err" || ! still_runs "$pid" ||
    [ $SECONDS -ge $end ]; do
    sleep 0.1
  done
  if grep -qF "cascade: the session is locked" "$work/$1.err"; then prompt_works "$1"; else refused "$1"; fi
}
# RLIMIT_NPROC counts the user's processes and threads: under one the
# locker makes no thread at all; at two more than the user has, one.
user_tasks() { awk '/^Uid:/ { print $2 }' /proc/[0-9]*/task/*/status 2>/dev/null | grep -cx "$user_id"; }
limited_lock threads-none --nproc=1
refused_or_works threads-none
limited_lock threads-one --nproc=$(($(user_tasks) + 2))
refused_or_works threads-one
# Address space limits from where a lock once failed its first frame
# (450000 KB) and where one, held, aborted on a later frame (350000 and
# 500000 KB) up to where it locks (llvmpipe's threads and code take most of
# it): what runs short first (a thread, a frame, GL's own memory, a module
# of PAM's) changes with a few megabytes, and each must refuse or hold.
for kb in 350000 400000 450000 500000 600000 700000 800000 900000; do
  limited_lock memory-$kb --as=$((kb * 1024))
  refused_or_works memory-$kb
done

# -- An output past GL's largest picture (llvmpipe's 16384 dots), plugged in
# while locked: the scene covers it too, the others go on, the password
# unlocks.
start_lock oversized
wait_line oversized "cascade: the session is locked"
swaymsg create_output
swaymsg output HEADLESS-4 mode 16500x1000
outputs+=(HEADLESS-4)
wait_covered oversized
desktop_hidden oversized
prompt_works oversized
swaymsg output HEADLESS-4 unplug
unset "outputs[3]"

# -- GL that makes no framebuffer at all once locked (planted, as a driver
# with no memory left): an output plugged in then, larger than any before,
# is covered all the same (the picture keeps its size, the frames are made
# smaller and scaled) and shows the prompt, the others go on, the password
# unlocks.
gl_fails=$scratch/home/gl-fails
plain=("${user[@]}")
user=("${plain[@]}" LD_PRELOAD="$gl_fails_shim" CASCADE_TEST_GL_FAILS_AFTER="$gl_fails")
start_lock gl-fails
user=("${plain[@]}")
wait_line gl-fails "cascade: the session is locked"
touch "$gl_fails"
swaymsg create_output
swaymsg output HEADLESS-5 mode 2560x1440
outputs+=(HEADLESS-5)
wait_covered gl-fails
wait_line gl-fails "while locked: OpenGL would not make a "
"${user[@]}" wtype -s 300 -k BackSpace || fail "wtype"
prompt_shown gl-fails-prompt
output_shot "$work/gl-fails-prompt.HEADLESS-5.ppm" HEADLESS-5 && prompt_in "$work/gl-fails-prompt.HEADLESS-5.ppm" ||
  fail "gl-fails: no prompt on the output plugged in (see $work/gl-fails-prompt.HEADLESS-5.ppm)"
unlock gl-fails
swaymsg output HEADLESS-5 unplug
unset "outputs[3]"

# -- Nothing left but the desktop's window, and sway started no program.
pid=$desktop
swaymsg '[app_id="cascade"]' kill
expect_exit desktop 0
stop_compositor
nothing_left
# sway logs the kernel's name through `sh -c "uname -a"`.
compositor_started_only '/usr/bin/sway|/bin/sh|/usr/bin/uname'

[ $status -eq 0 ] && echo "Lock OK: the scene on every output, a second locker refused, stop signals ignored, wrong and right passwords, SIGKILL left locked and taken over, the watcher's saver as the lock"
exit $status

# shellcheck shell=bash
# Sourced by the Wayland shell tests after check_support.sh, with the program
# and the work folder: a compositor runs as a throwaway user (compositors
# refuse root) with a private runtime folder, and so does Cascade, a copy of
# it that only this test runs. Sets $cascade, $scratch, $runtime and $user
# (the command prefix that runs as that user); the tests add WAYLAND_DISPLAY
# to $user once the compositor is up.
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: needs root, to run the compositor as a throwaway user"
  exit 77
fi
# nobody: owns no files, runs nothing else of ours. A stage that needs a user
# with a password (the lock's) names its own in $wayland_user_id.
readonly user_id=${wayland_user_id:-65534}
readonly wait_limit=20 # seconds for a picture or an exit
work=$2
fresh_work_folder "$work"
scratch=$(mktemp -d /tmp/cascade-wayland.XXXXXX)
chmod 755 "$scratch"
runtime=$scratch/runtime
mkdir -m 700 "$runtime" "$scratch/home"
chown "$user_id:$user_id" "$runtime" "$scratch/home"
cascade=$scratch/cascade
install -m 755 "$1" "$cascade"
user=(setpriv "--reuid=$user_id" "--regid=$user_id" --clear-groups /usr/bin/env -i HOME="$scratch/home"
  PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$runtime")

# Waits, up to five seconds, for a bus or a server to make its socket.
wait_for_socket() { # PATH
  for _ in $(seq 50); do [ -S "$1" ] && return; sleep 0.1; done
}

compositor_pid=
tracer_pid=
helper_pids=()
stop_all() {
  local pid
  for pid in "${helper_pids[@]}" $(our_cascades) $compositor_pid; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap stop_all EXIT
# Running processes of this test's copy of Cascade. Compared by file, in
# the shell itself: a program run per process took seconds in a desktop
# session under load, longer than a saver GNOME's blanking ends again lives.
our_cascades() {
  local exe pid
  for exe in /proc/[0-9]*/exe; do
    pid=${exe%/exe}
    pid=${pid#/proc/}
    [ "$exe" -ef "$cascade" ] && still_runs "$pid" && echo "$pid"
  done
}

# The compositor as the user, traced: every program it starts is in
# $work/exec.log. Waits for its Wayland socket, the only one in $runtime.
# Signals go to $compositor_pid, strace's child (a signal to strace would not
# reach it); the tracer ends with it. With $untraced set, no strace: a
# compositor whose threads fork (GNOME Shell) can hang a child under it.
start_compositor() { # COMMAND...
  local socket tracer=(strace -f --seccomp-bpf -e trace=execve -o "$work/exec.log")
  [ -n "${untraced:-}" ] && tracer=()
  "${tracer[@]}" "${user[@]}" "$@" >"$work/compositor.log" 2>&1 &
  tracer_pid=$!
  for _ in $(seq 100); do
    socket=$(find "$runtime" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n')
    [ -n "$socket" ] && break
    sleep 0.1
  done
  [ -n "$socket" ] || { echo "FAIL: the compositor did not start: $(tail "$work/compositor.log")" >&2; exit 1; }
  compositor_pid=$tracer_pid
  [ -n "${untraced:-}" ] || compositor_pid=$(pgrep -P "$tracer_pid")
  user+=(WAYLAND_DISPLAY="$socket")
}
# A device of the test's own (virtual_pointer, virtual_keyboard) that takes
# one command a line and answers each once the compositor has taken it, fed
# through FIFOs so that one device lasts across commands: ask NAME COMMAND,
# and end_device NAME, which ends it (by a signal: every program started
# since holds the FIFO open too, so it would never read its end).
declare -A device_to device_from device_pid
start_device() { # NAME PROGRAM ARGUMENT...
  local name=$1 to from
  shift
  rm -f "$scratch/$name.in" "$scratch/$name.out"
  mkfifo "$scratch/$name.in" "$scratch/$name.out"
  "${user[@]}" "$@" <"$scratch/$name.in" >"$scratch/$name.out" 2>>"$work/$name.err" &
  device_pid[$name]=$!
  helper_pids+=("$!")
  exec {to}>"$scratch/$name.in" {from}<"$scratch/$name.out"
  device_to[$name]=$to device_from[$name]=$from
}
ask() { # NAME COMMAND
  local answer
  if echo "$2" >&"${device_to[$1]}" && read -r -t "$wait_limit" answer <&"${device_from[$1]}" && [ "$answer" = ok ]; then
    return
  fi
  fail "the virtual $1 did not take '$2': $(tail -n 1 "$work/$1.err")"
  return 1
}
end_device() { # NAME
  kill "${device_pid[$1]}"
  wait "${device_pid[$1]}"
  exec {device_to[$1]}>&- {device_from[$1]}<&-
}

# Debian's sway, headless (pixman), with no bar, no background program and no
# Xwayland, and CONFIG_LINES besides; $user gets its IPC socket. sway 1.10
# starts swaybg even where the configuration names no background, unless
# told "-".
start_sway() { # CONFIG_LINE...
  printf '%s\n' "xwayland disable" "swaybg_command -" "$@" >"$scratch/config"
  start_compositor env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$scratch/config"
  ipc=$(compgen -G "$runtime/sway-ipc.*.sock") || { echo "FAIL: no sway IPC socket" >&2; exit 1; }
  user+=(SWAYSOCK="$ipc")
}
stop_compositor() {
  kill "$compositor_pid"
  wait "$tracer_pid"
  compositor_pid=
}
# Fails where a process of this test's Cascade still runs.
nothing_left() { [ -z "$(our_cascades)" ] || fail "still running: Cascade $(our_cascades)"; }
# Fails where the compositor started a program other than those named by the
# extended regular expression $1 (matched against the whole path).
compositor_started_only() {
  grep -o 'execve("[^"]*"' "$work/exec.log" | sed 's/^execve("//; s/"$//' | sort -u |
    grep -Evx "/usr/bin/(setpriv|env)|$1" >"$work/started" && fail "the compositor started: $(tr '\n' ' ' <"$work/started")"
}

start() { # NAME OPTIONS...: Cascade in the background, its pid in $pid
  local name=$1
  shift
  "${user[@]}" DISPLAY=:none "$cascade" "$@" >/dev/null 2>"$work/$name.err" &
  pid=$!
}
# Waits, up to the limit, for process $1 to end.
wait_ended() {
  local end=$((SECONDS + wait_limit))
  while still_runs "$1" && [ $SECONDS -lt $end ]; do sleep 0.05; done
}
# Waits for $pid to end; fails unless it ended with $2 within the limit.
expect_exit() {
  local name=$1 wanted=$2 rc
  wait_ended "$pid"
  if still_runs "$pid"; then
    fail "$name: Cascade still runs"
    kill -KILL "$pid"
  fi
  wait "$pid"
  rc=$?
  [ $rc -eq "$wanted" ] || fail "$name: Cascade ended with $rc, not $wanted: $(tail -n 3 "$work/$name.err")"
}

# A patch counts as the scene's where this share of its pixels is neither
# black nor the compositor's background ($background, "R G B"). Both are
# judged alike, a channel more than $scene_step away: the background may be
# black itself (sway 1.10's), and the scene's night sky is only a little
# bluer than black, so the background's own tolerance cannot be wider.
readonly scene_share=0.5 scene_step=10
# True where the four corners and the middle of a picture are the scene's:
# 16x16 patches side by side, each pixel neither black nor the background.
covered() {
  local width height corner patches=() count=0
  read -r width height < <(identify -format '%w %h' "$1")
  for corner in 0+0 $((width - 16))+0 0+$((height - 16)) $((width - 16))+$((height - 16)) \
    $((width / 2 - 8))+$((height / 2 - 8)); do
    patches+=("(" -clone 0 -crop "16x16+$corner" ")")
    count=$((count + 1))
  done
  convert "$1" "${patches[@]}" -delete 0 +repage +append -depth 8 txt:- | awk -F'[(),: ]+' -v bg="$background" \
    -v share=$scene_share -v step=$scene_step -v count=$count '
    function away(a, b) { return a > b ? a - b : b - a }
    function near(r, g, b) { return away($3, r) <= step && away($4, g) <= step && away($5, b) <= step }
    NR == 1 { split(bg, b, " "); next }
    {
      patch = int($1 / 16); ++total[patch]
      scene[patch] += !near(0, 0, 0) && !near(b[1], b[2], b[3])
    }
    END { for (p = 0; p < count; ++p) if (total[p] != 256 || scene[p] < share * 256) exit 1 }'
}
# Waits until every one of $outputs is covered, in pictures that the test's
# output_shot FILE OUTPUT takes, as $shot_type files.
wait_covered() {
  local output all end=$((SECONDS + wait_limit))
  while [ $SECONDS -lt $end ]; do
    all=1
    for output in "${outputs[@]}"; do
      output_shot "$work/$1.$output.$shot_type" "$output" && covered "$work/$1.$output.$shot_type" || all=0
    done
    [ $all = 1 ] || ! still_runs "$pid" && break
    sleep 0.5
  done
  [ $all = 1 ] || fail "$1: not every output shows the scene (see $work/$1.*.$shot_type)"
}

saver_children() { our_cascades | grep -vx -e "$watcher" -e "${window:-none}"; }
# A saver of the watcher's on every output. Its process comes first: until the
# compositor has handled the last saver's going, a picture may still show it.
wait_saver() { # NAME
  local end=$((SECONDS + wait_limit))
  until [ -n "$(saver_children)" ] || [ $SECONDS -ge $end ]; do sleep 0.1; done
  wait_covered "$1"
}
# The idle watcher's cycle, with the watcher's pid in $watcher (and a window
# of Cascade's own, not a saver, in $window): the saver comes on every
# output, a key (the test's send_key) takes it away, the watcher stays. With
# $lock_wait, that many seconds pass before the key.
idle_cycle() { # NAME
  local saver
  wait_saver "$1"
  sleep "${lock_wait:-0}"
  saver=$(saver_children)
  [ "$(wc -w <<<"$saver")" -eq 1 ] ||
    fail "$1: the watcher did not bring up one saver"
  send_key
  wait_ended "$saver"
  ! still_runs "$saver" && still_runs "$watcher" || fail "$1: the input did not end the saver alone"
}

# A system bus of the test's own, with stand-ins for GDM and logind on it
# (desktop_services.py), for desktops that lock through logind; the user's
# programs are pointed at it.
start_system_services() {
  cat >"$scratch/system-bus.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$runtime/system-bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default"><allow own="*"/><allow send_destination="*"/><allow receive_sender="*"/></policy>
</busconfig>
EOF
  "${user[@]}" dbus-daemon --config-file="$scratch/system-bus.conf" --nofork --nopidfile >"$work/system-bus.log" 2>&1 &
  helper_pids+=("$!")
  user+=(DBUS_SYSTEM_BUS_ADDRESS="unix:path=$runtime/system-bus")
  wait_for_socket "$runtime/system-bus"
  install -m 644 "$(dirname "${BASH_SOURCE[0]}")/desktop_services.py" "$scratch/desktop_services.py"
  "${user[@]}" python3 "$scratch/desktop_services.py" >"$scratch/services.out" 2>"$work/services.log" &
  helper_pids+=("$!")
  for _ in $(seq 100); do grep -qx ready "$scratch/services.out" && break; sleep 0.1; done
  grep -qx ready "$scratch/services.out" || {
    echo "FAIL: no stand-ins for GDM and logind: $(tail -n 3 "$work/services.log")" >&2
    exit 1
  }
}
# A call to the logind stand-in's manager: LockSession, UnlockSession.
logind() { # METHOD
  "${user[@]}" gdbus call --system -d org.freedesktop.login1 -o /org/freedesktop/login1 \
    -m "org.freedesktop.login1.Manager.$1" c1 >/dev/null || fail "logind's $1 failed"
}

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
readonly user_id=65534 # nobody: owns no files, runs nothing else of ours
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
# Running processes of this test's copy of Cascade.
our_cascades() {
  local exe
  for exe in /proc/[0-9]*/exe; do
    [ "$(readlink "$exe" 2>/dev/null)" = "$cascade" ] && still_runs "$(basename "${exe%/exe}")" &&
      basename "${exe%/exe}"
  done
}

# The compositor as the user, traced: every program it starts is in
# $work/exec.log. Waits for its Wayland socket, the only one in $runtime.
# Signals go to $compositor_pid, strace's child (a signal to strace would not
# reach it); the tracer ends with it.
start_compositor() { # COMMAND...
  local socket
  strace -f --seccomp-bpf -e trace=execve -o "$work/exec.log" "${user[@]}" "$@" >"$work/compositor.log" 2>&1 &
  tracer_pid=$!
  for _ in $(seq 100); do
    socket=$(find "$runtime" -maxdepth 1 -type s -name 'wayland-*' -printf '%f\n')
    [ -n "$socket" ] && break
    sleep 0.1
  done
  [ -n "$socket" ] || { echo "FAIL: the compositor did not start: $(tail "$work/compositor.log")" >&2; exit 1; }
  compositor_pid=$(pgrep -P "$tracer_pid")
  user+=(WAYLAND_DISPLAY="$socket")
}
stop_compositor() {
  kill "$compositor_pid"
  wait "$tracer_pid"
  compositor_pid=
}
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
# Waits for $pid to end; fails unless it ended with $2 within the limit.
expect_exit() {
  local name=$1 wanted=$2 rc end=$((SECONDS + wait_limit))
  while still_runs "$pid" && [ $SECONDS -lt $end ]; do sleep 0.05; done
  if still_runs "$pid"; then
    fail "$name: Cascade still runs"
    kill -KILL "$pid"
  fi
  wait "$pid"
  rc=$?
  [ $rc -eq "$wanted" ] || fail "$name: Cascade ended with $rc, not $wanted: $(tail -n 3 "$work/$name.err")"
}

#!/usr/bin/env bash
# Cascade from the built package in Debian's real XScreenSaver daemon, on a
# private Xvfb, as a user other than root (the daemon runs no display mode
# for root):
#  - a list that holds Cascade switched off: activation runs nothing;
#    cascade-add-to-xscreensaver switches it on and the running daemon, not
#    restarted, runs it from the next activation on;
#  - activate -> Cascade runs and draws; deactivate -> it is gone within two
#    seconds; a few cycles, nothing left over;
#  - the settings program's preview: the .xml's command plus --window-id of a
#    window another client owns -> Cascade draws into that window alone.
# The daemon sees a hacks folder that holds its own helpers and Cascade and
# nothing else, and every program it starts is traced: any display program
# but Cascade, even one that could not start, fails the test.
# Usage: xscreensaver_test.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source_dir=$1
work=$2
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"
if [ "$(id -u)" -ne 0 ]; then
  echo "SKIP: needs root, to give the daemon its own hacks folder and a throwaway user"
  exit 77
fi

readonly user_id=65534 # nobody: owns no files, runs nothing else of ours
readonly cycles=3
readonly stop_limit_ms=2000
# A picture counts as drawn where this share of its pixels is lit, as dark
# where fewer than dark_share are (Xvfb's root is black with -br).
readonly lit_share=0.02
readonly dark_share=0.001

fresh_work_folder "$work"
scratch=$(mktemp -d /tmp/cascade-xscreensaver.XXXXXX)
chmod 755 "$scratch"
xvfb_pid=
daemon_pid=
owner_pid=
preview_pid=
stop_all() {
  [ -n "$preview_pid" ] && kill "$preview_pid" 2>/dev/null
  [ -n "$owner_pid" ] && kill "$owner_pid" 2>/dev/null
  if [ -n "$daemon_pid" ]; then
    # The daemon itself, which ends its display mode, then its tracer.
    pkill -TERM -P "$daemon_pid" 2>/dev/null
    sleep 1
    kill "$daemon_pid" 2>/dev/null
  fi
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$scratch"
}
trap stop_all EXIT

# -- The package, unpacked.
if ! "$source_dir/scripts/package.sh" "$work/deb" >"$work/package.log" 2>&1; then
  cat "$work/package.log" >&2
  echo "FAIL: scripts/package.sh failed" >&2
  exit 1
fi
root=$work/root
dpkg -x "$work"/deb/cascade_*.deb "$root" || { echo "FAIL: dpkg -x" >&2; exit 1; }

# -- The daemon's hacks folder: the xscreensaver package's own helpers and
# Cascade. The display programs of Debian's packages are not in it.
hacks=$scratch/hacks
mkdir -p "$hacks"
dpkg -L xscreensaver | grep '^/usr/libexec/xscreensaver/.' | while read -r helper; do
  cp "$helper" "$hacks/" && chmod 755 "$hacks/$(basename "$helper")"
done
cp "$root/usr/libexec/xscreensaver/cascade" "$hacks/"
chmod 755 "$hacks"
dpkg -L xscreensaver-data xscreensaver-data-extra xscreensaver-gl xscreensaver-gl-extra 2>/dev/null |
  grep '^/usr/libexec/xscreensaver/.' | xargs -r -n1 basename | sort -u >"$work/display-programs"
[ -s "$work/display-programs" ] || fail "found no display programs of Debian's to keep out"

# -- A private X server with a black root.
Xvfb -displayfd 3 -screen 0 800x600x24 -br -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "FAIL: Xvfb did not start: $(cat "$work/xvfb.log")" >&2; exit 1; }
DISPLAY=:$(cat "$work/display")
export DISPLAY

# -- The throwaway user's home: settings that keep the daemon out of the way
# (no lock, no fades, no activation of its own) and a list that holds Cascade
# alone, switched off, in a file drawn at random from awkward shapes:
# comments that name Cascade, continued values, bytes that are not text, an
# earlier programs setting the last one overrides, no final newline.
home=$scratch/home
mkdir -p "$home"
seed=${CASCADE_SEED:-$RANDOM}
RANDOM=$seed
pick() { shift $((RANDOM % $#)); printf '%s' "$1"; }
{
  pick '' $'# - GL: cascade --root (switched off for now)\n' $'! cascade\tis \xff\xfe here\n'
  printf 'timeout:\t2:00:00\nlock:\t\tFalse\nfade:\t\tFalse\nunfade:\t\tFalse\n'
  pick '' $'*programs: -\tcascade --root -delay 10000 \\n\n' $'textLiteral: two \\\n\tlines\n'
  printf 'splash:\t\tFalse\ndpmsEnabled:\tFalse\nmode:\t\trandom\n'
  pick $'programs:\t\t\t\t\t\t\t      \\\n' $'programs: \\\n\t\\\n' 'programs:'
  pick $'-\tGL:\t\tcascade --root\t\t\t\t    \\n' $'  -  GL: /usr/libexec/xscreensaver/cascade --root \\n' \
    $'-GL:cascade --root\\n\\\n  '
  pick '' $'\n' $'\n# the end, \xe9\n'
} >"$home/.xscreensaver"
echo "the settings file, drawn with CASCADE_SEED=$seed:"
cat -A "$home/.xscreensaver"
chown -R "$user_id:$user_id" "$home"
as_user() { setpriv --reuid=$user_id --regid=$user_id --clear-groups /usr/bin/env -i \
  HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "$@"; }

# -- The daemon, traced, with its hacks folder in place of the system's.
unshare -m bash -c '
  mount --bind "$1" /usr/libexec/xscreensaver || exit 1
  shift
  exec strace -f --seccomp-bpf -e trace=execve -o "$@"' _ "$hacks" "$work/exec.log" \
  setpriv --reuid=$user_id --regid=$user_id --clear-groups /usr/bin/env -i \
  HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin xscreensaver -no-splash -verbose \
  >"$work/daemon.log" 2>&1 &
daemon_pid=$!
for _ in $(seq 100); do xscreensaver-command -version >/dev/null 2>&1 && break; sleep 0.2; done
xscreensaver-command -version >/dev/null 2>&1 ||
  { echo "FAIL: the daemon did not start: $(tail -n 20 "$work/daemon.log")" >&2; exit 1; }

# Share of lit pixels in a grab of the root window or of a window (an id),
# optionally cropped to a geometry.
lit() {
  import -window "$1" png:- 2>/dev/null |
    convert - ${2:+-crop "$2"} -colorspace gray -threshold 8% -format '%[fx:mean]' info:
}
# Cascades this daemon started, known by the mount namespace they share with
# it, that have not ended (a zombie has: only its reaping is left, to whoever
# inherited it).
daemon_namespace=$(readlink "/proc/$daemon_pid/ns/mnt")
[ -n "$daemon_namespace" ] && [ "$daemon_namespace" != "$(readlink /proc/self/ns/mnt)" ] ||
  { echo "FAIL: the daemon does not run in a namespace of its own" >&2; exit 1; }
running_cascades() {
  local stat
  for stat in /proc/[0-9]*/stat; do
    read -r pid comm state _ 2>/dev/null <"$stat" || continue
    [ "$comm" = "(cascade)" ] && [ "$state" != Z ] || continue
    [ "$(readlink "${stat%/stat}/ns/mnt" 2>/dev/null)" = "$daemon_namespace" ] && echo "$pid"
  done
}
wait_for_cascade() {
  for _ in $(seq 100); do
    pid=$(running_cascades | head -n 1)
    [ -n "$pid" ] && return 0
    sleep 0.1
  done
  return 1
}
wait_for_lit() {
  local share
  for _ in $(seq 20); do
    share=$(lit "$1")
    at_least "$share" $lit_share && return 0
    sleep 0.5
  done
  echo "$share"
  return 1
}

# -- Switched off: activation runs nothing and the screen stays dark.
at_least "$(lit root)" $dark_share && fail "the screen is lit before any activation"
xscreensaver-command -activate >/dev/null || fail "-activate refused"
sleep 3
[ -z "$(running_cascades)" ] && share=$(lit root) && ! at_least "$share" $dark_share ||
  fail "activation with Cascade switched off ran it or lit the screen"
xscreensaver-command -deactivate >/dev/null || fail "-deactivate refused"
sleep 1

# -- The one step, as the user, the daemon left running.
as_user "$root/usr/bin/cascade-add-to-xscreensaver" >"$work/add.log" 2>&1 ||
  fail "cascade-add-to-xscreensaver: $(cat "$work/add.log")"
grep -Eq '(^|:)[[:space:]]*GL:[[:space:]]*[^[:space:]]*cascade --root' "$home/.xscreensaver" || fail "the list does not run Cascade now"

# -- Cycles: runs and draws on activation, ends on deactivation.
for cycle in $(seq $cycles); do
  # The daemon's whole account of this cycle, should it run nothing: its
  # last lines alone once hid how a cycle went wrong.
  logged=$(wc -l <"$work/daemon.log")
  xscreensaver-command -activate >/dev/null || fail "cycle $cycle: -activate refused"
  if ! wait_for_cascade; then
    fail "cycle $cycle: Cascade did not start: $(sed -n "$((logged + 1)),\$p" "$work/daemon.log")"
    continue
  fi
  share=$(wait_for_lit root) || fail "cycle $cycle: the screen stays dark under Cascade (lit share $share)"
  xscreensaver-command -deactivate >/dev/null || fail "cycle $cycle: -deactivate refused"
  start=$(date +%s%N)
  while still_runs "$pid"; do
    [ $(( ($(date +%s%N) - start) / 1000000 )) -gt $stop_limit_ms ] && break
    sleep 0.02
  done
  elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
  if [ $elapsed -gt $stop_limit_ms ]; then
    fail "cycle $cycle: Cascade (pid $pid) still ran ${elapsed} ms after -deactivate"
  else
    echo "cycle $cycle: Cascade (pid $pid) drew, gone ${elapsed} ms after -deactivate"
  fi
  sleep 1
done
[ -z "$(running_cascades)" ] || fail "left running after the cycles: $(running_cascades)"

# -- The preview: a window of another client, 505x283 like the settings
# program's pane, and the .xml's command with --window-id added.
python3 - "$work/window" <<'EOF' &
import ctypes, sys, time
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XCreateSimpleWindow.restype = ctypes.c_ulong
x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
x.XMapWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
display = x.XOpenDisplay(None)
window = x.XCreateSimpleWindow(display, x.XDefaultRootWindow(display), 40, 40, 505, 283, 0, 0, 0)
x.XMapWindow(display, window)
x.XSync(display, 0)
with open(sys.argv[1], "w") as out:
    out.write(hex(window))
while True:
    time.sleep(60)
EOF
owner_pid=$!
for _ in $(seq 100); do [ -s "$work/window" ] && break; sleep 0.1; done
window=$(cat "$work/window" 2>/dev/null)
xml=$root/usr/share/xscreensaver/config/cascade.xml
# shellcheck disable=SC2046 # the .xml's arguments, word by word
set -- $(sed -n 's/.*<command arg="\([^"]*\)".*/\1/p' "$xml")
[ $# -gt 0 ] || fail "no <command> in the .xml"
if [ -z "$window" ]; then
  fail "the window's owner did not start"
else
  # Not through as_user: a function in the background is a subshell, and
  # its pid would not be Cascade's.
  setpriv --reuid=$user_id --regid=$user_id --clear-groups /usr/bin/env -i HOME="$home" DISPLAY="$DISPLAY" \
    "$root/usr/libexec/xscreensaver/cascade" "$@" --window-id "$window" >"$work/preview.log" 2>&1 &
  preview_pid=$!
  share=$(wait_for_lit "$window")
  if ! kill -0 "$preview_pid" 2>/dev/null; then
    wait "$preview_pid"
    fail "the preview (cascade $* --window-id $window) ended with $?: $(cat "$work/preview.log")"
  else
    [ -z "$share" ] || fail "the preview window stays dark (lit share $share)"
    share=$(lit root 200x600+600+0)
    at_least "$share" $dark_share && fail "the preview drew outside its window (lit share $share beside it)"
    kill -TERM "$preview_pid"
    wait "$preview_pid" || fail "the preview ended with $? on SIGTERM"
    echo "preview: cascade $* --window-id $window drew in the window"
  fi
  preview_pid=
fi

# -- The daemon ends; then the trace says what it started.
xscreensaver-command -exit >/dev/null || fail "-exit refused"
for _ in $(seq 50); do kill -0 "$daemon_pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$daemon_pid" 2>/dev/null && fail "the daemon did not exit"
wait "$daemon_pid" 2>/dev/null
daemon_pid=
awk '
  match($0, /execve\("[^"]*"/) {
    path = substr($0, RSTART + 8, RLENGTH - 9)
    print "tried", path
    if ($0 ~ /= 0$/) print "ran", path
    else if ($0 ~ /unfinished/) pending[$1] = path
  }
  /<\.\.\. execve resumed>/ && $0 ~ /= 0$/ { print "ran", pending[$1] }
' "$work/exec.log" >"$work/execs"
sed -n 's/^ran //p' "$work/execs" | xargs -r -n1 basename | sort | uniq -c >"$work/ran"
while read -r count program; do
  case $program in
    setpriv | env | xscreensaver | xscreensaver-auth | xscreensaver-gfx | xscreensaver-systemd) ;;
    cascade) [ "$count" -eq $cycles ] || fail "the daemon started Cascade $count times for $cycles activations" ;;
    *) fail "the daemon started $program" ;;
  esac
done <"$work/ran"
grep -q ' cascade$' "$work/ran" || fail "the trace shows no Cascade"
sed -n 's/^tried //p' "$work/execs" | xargs -r -n1 basename | sort -u | grep -Fxf "$work/display-programs" >"$work/tried" &&
  fail "the daemon tried to start display programs: $(tr '\n' ' ' <"$work/tried")"

[ $status -eq 0 ] && echo "XScreenSaver OK: $cycles cycles, the preview, nothing else started"
exit $status

#!/usr/bin/env bash
# Runs cascade-add-to-xscreensaver on ~/.xscreensaver files as the file
# system and the user hold them (what the list inside may look like is
# xscreensaver_list_test's business): modes and owners, links, what is not a
# file it may write, a full disk, signals, writers at the same moment. The
# system list comes from a small app-defaults file of the test's.
# Usage: add_to_list_test.sh COMMAND WORK_DIR STOP_PROBE
set -uo pipefail
command=$1
work=$2
stop_probe=$3 # preloaded, it sends CASCADE_STOP_SIGNAL once a new file exists, or fails renames
# A sanitized adder refuses a preloaded library ahead of its runtime, and its
# exit 1 would pass for a run that changed nothing: the probe goes first.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
# shellcheck source=../support/check_support.sh
. "$(dirname "$0")/../support/check_support.sh"

fresh_work_folder "$work"
chmod 755 "$work"
USER=$(id -un)
export CASCADE_APP_DEFAULTS=$work/XScreenSaver
printf '*timeout:\t0:10:00\n*programs:\t\\\n\t\tmaze --root\t\\n\n' >"$CASCADE_APP_DEFAULTS"
system_list=$'programs:\t\\\n\t\tmaze --root\t\\n\\\n  GL:\t\t\t\tcascade --root\t\t\t\t    \\n'
user=65534
as_user() { setpriv --reuid=$user --regid=$user --clear-groups "$@"; }
am_root=false
[ "$(id -u)" -eq 0 ] && am_root=true

# A fresh home holding $2 as .xscreensaver; the home's name in $home.
home=
fresh_home() {
  home=$work/$1
  mkdir -p "$home"
  printf '%s' "$2" >"$home/.xscreensaver"
}
# What the folder holds besides the file and its backup.
leftovers() { ls -A "$home" | grep -v -e '^\.xscreensaver\(\.before-cascade\)\?$' -e '^null$'; }
# The check of a run that must change nothing: exit 1, one line, the file
# as it was, no backup, nothing left.
unchanged() {
  local name=$1 code=$2 before=$3
  [ "$code" -eq 1 ] || fail "$name: exit $code, not 1"
  [ "$(wc -l <"$home.out")" -eq 1 ] || fail "$name: not one line: $(cat "$home.out")"
  [ ! -f "$home/.xscreensaver" ] || [ "$(cat "$home/.xscreensaver")" = "$before" ] || fail "$name: the file changed"
  [ ! -e "$home/.xscreensaver.before-cascade" ] || fail "$name: a backup although nothing changed"
  [ -z "$(leftovers)" ] || fail "$name: left $(leftovers)"
}

# -- No file yet: the system's list plus Cascade, the mode any new file gets;
# run again, nothing changes.
umask 022
mkdir -p "$work/new"
HOME=$work/new "$command" >"$work/new.out" 2>&1 || fail "new: exit $?: $(cat "$work/new.out")"
expected="# XScreenSaver preferences. Settings not given here are the system's
# ($CASCADE_APP_DEFAULTS).
$system_list"
[ "$(cat "$work/new/.xscreensaver")" = "$expected" ] || fail "new: wrote $(cat "$work/new/.xscreensaver")"
[ "$(stat -c %a "$work/new/.xscreensaver")" = 644 ] || fail "new: mode $(stat -c %a "$work/new/.xscreensaver")"
HOME=$work/new "$command" >"$work/new.out" 2>&1 || fail "new, again: exit $?"
grep -q "nothing changed" "$work/new.out" || fail "new, again: says $(cat "$work/new.out")"
[ "$(ls -A "$work/new")" = .xscreensaver ] || fail "new, again: left $(ls -A "$work/new")"

# -- A linked dotfile stays linked; an earlier backup is not overwritten.
mkdir -p "$work/linked/dotfiles"
printf 'programs: maze --root \\n\n' >"$work/linked/dotfiles/xscreensaver"
ln -s dotfiles/xscreensaver "$work/linked/.xscreensaver"
echo "an older backup" >"$work/linked/dotfiles/xscreensaver.before-cascade"
HOME=$work/linked "$command" >"$work/linked.out" 2>&1 || fail "linked: exit $?: $(cat "$work/linked.out")"
[ -L "$work/linked/.xscreensaver" ] || fail "linked: the link was replaced by a file"
grep -q 'cascade --root' "$work/linked/dotfiles/xscreensaver" || fail "linked: the target has no Cascade"
[ "$(cat "$work/linked/dotfiles/xscreensaver.before-cascade")" = "an older backup" ] || fail "linked: the older backup was overwritten"
grep -q 'maze' "$work/linked/dotfiles/xscreensaver.before-cascade.1" || fail "linked: no second backup"

# -- What is not a regular file the user may write: refused at once, in one
# line, nothing changed. Root writes anywhere, so the protected file is
# tried by root and by a user.
list='programs: maze --root \n'
# The device is a null device of the test's own, reached through a link:
# a faulty command replaces that one rather than the system's.
mkdir -p "$work/fifo" "$work/directory/.xscreensaver" "$work/device"
mkfifo "$work/fifo/.xscreensaver"
devices=
$am_root && mknod "$work/device/null" c 1 3 && ln -s null "$work/device/.xscreensaver" && devices=device
for name in fifo directory $devices; do
  home=$work/$name
  HOME=$home timeout 5 "$command" >"$home.out" 2>&1
  unchanged "$name" $? ""
done
fresh_home protected "$list" && chmod 444 "$home/.xscreensaver"
HOME=$home "$command" >"$home.out" 2>&1
unchanged "protected, by $USER" $? "$list"
if $am_root; then
  chown -R $user:$user "$home"
  HOME=$home as_user "$command" >"$home.out" 2>&1
  unchanged "protected, by a user" $? "$list"
  # A home a user cannot write in.
  fresh_home read-only "$list" && chown -R $user:$user "$home" && chmod 555 "$home"
  HOME=$home as_user "$command" >"$home.out" 2>&1
  unchanged read-only $? "$list"
  grep -q "cannot write" "$home.out" || fail "read-only: says $(cat "$home.out")"
fi

# -- Neither a list of the user's nor the system's: an error, no file.
mkdir -p "$work/no-system"
home=$work/no-system
HOME=$home CASCADE_APP_DEFAULTS=$work/missing "$command" >"$home.out" 2>&1
unchanged no-system $? ""

# -- Root with the user's HOME (su, sudo -E): the new file and the backup
# keep the user's owner, group and mode; a file made new goes to the owner of
# the home.
if $am_root; then
  fresh_home other-user "$list" && chmod 600 "$home/.xscreensaver" && chown -R $user:$user "$home"
  HOME=$home "$command" >"$home.out" 2>&1 || fail "other-user: exit $?"
  for file in .xscreensaver .xscreensaver.before-cascade; do
    [ "$(stat -c '%u:%g %a' "$home/$file")" = "$user:$user 600" ] ||
      fail "other-user: $file is $(stat -c '%U:%G %a' "$home/$file")"
  done
  mkdir -p "$work/other-new" && chown $user:$user "$work/other-new" && home=$work/other-new
  HOME=$home "$command" >"$home.out" 2>&1 || fail "other-new: exit $?"
  [ "$(stat -c '%u:%g' "$home/.xscreensaver")" = "$user:$user" ] || fail "other-new: owned by $(stat -c %U:%G "$home/.xscreensaver")"
  # The user's own file in a group not the user's (made by root, then handed
  # over): it takes the user's group, as XScreenSaver's settings do, unless
  # its mode lets that group in.
  for mode in 600 640; do
    fresh_home "foreign-group-$mode" "$list" && chown -R $user:$user "$home" && chown $user:0 "$home/.xscreensaver" &&
      chmod $mode "$home/.xscreensaver"
    HOME=$home as_user "$command" >"$home.out" 2>&1
    code=$?
    if [ $mode = 600 ]; then
      [ $code -eq 0 ] && [ "$(stat -c '%u:%g %a' "$home/.xscreensaver")" = "$user:$user 600" ] ||
        fail "foreign-group-600: exit $code, $(stat -c '%U:%G %a' "$home/.xscreensaver"): $(cat "$home.out")"
    else
      unchanged foreign-group-640 $code "$list"
    fi
  done
fi

# -- A disk that fills while the backup is written (room for the file, its
# replacement and one page more): exit 1, the file as it was, and no name
# holds a part of a file.
if $am_root; then
  home=$work/full && mkdir -p "$home"
  printf '# %.0s padding the file to 21 KB, as a long settings file would be\n' $(seq 300) >"$work/big"
  printf '%s' "$list" >>"$work/big"
  size=$(( ($(stat -c %s "$work/big") / 4096 + 1) * 8 + 4 ))k
  unshare -m bash -c 'mount -t tmpfs -o size=$4 tmpfs "$1" && cp "$2" "$1/.xscreensaver" || exit 9
    HOME=$1 "$3" >"$1.out" 2>&1; code=$?
    ls -A "$1" >"$1.files"; cmp -s "$2" "$1/.xscreensaver" || code=8; exit $code' _ "$home" "$work/big" "$command" "$size"
  code=$?
  [ "$code" -eq 1 ] || fail "full disk: exit $code (8: the file changed): $(cat "$home.out")"
  [ "$(cat "$home.files")" = .xscreensaver ] || fail "full disk: left $(tr '\n' ' ' <"$home.files")"
fi

# -- The new file and the backup reach the disk before either takes a name.
fresh_home synced "$list"
# LeakSanitizer cannot work under ptrace: off for this one run.
HOME=$home ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
  strace -f -e trace=fsync,fdatasync,linkat,rename,renameat,renameat2 -o "$home.trace" "$command" \
  >"$home.out" 2>&1 || fail "synced: exit $?: $(cat "$home.out")"
awk '/sync\(/ { ++synced } /(link|rename)[a-z0-9]*\(/ && synced < 2 { early = 1 } END { exit early || synced < 2 }' \
  "$home.trace" || fail "synced: named before both were synced: $(grep -E 'sync|link|rename' "$home.trace" | tr '\n' ' ')"

# -- Stdout closed or full: Cascade added all the same, and the exit says so.
for out in closed full; do
  fresh_home "stdout-$out" "$list"
  if [ $out = closed ]; then HOME=$home "$command" >&- 2>/dev/null; else HOME=$home "$command" >/dev/full 2>/dev/null; fi
  code=$?
  grep -q 'cascade --root' "$home/.xscreensaver" || fail "stdout $out: Cascade not added"
  [ "$code" -eq 0 ] || fail "stdout $out: exit $code although Cascade was added"
done

# -- A stop that comes once the new file exists, before it replaces the old
# one: nothing changes.
fresh_home stop-beside "$list"
HOME=$home LD_PRELOAD=$stop_probe CASCADE_STOP_SIGNAL=15 "$command" >"$home.out" 2>&1
unchanged "stop beside" $? "$list"
# The last step, the rename, failing: nothing changed, no backup left.
fresh_home rename-fails "$list"
HOME=$home LD_PRELOAD=$stop_probe CASCADE_FAIL_RENAME=1 "$command" >"$home.out" 2>&1
unchanged "rename fails" $? "$list"

# -- TERM, INT or HUP at any moment: the old file or the new one, the exit
# saying which (or the signal's, where it came before the program could
# catch it: the old file), and never a temporary file left.
(head -c 2000000 /dev/zero | tr '\0' '#' | fold -w 79 && printf '%s' "$list") >"$work/body"
stopped=0
for round in $(seq 20); do
  home=$work/signal-$round && mkdir -p "$home" && cp "$work/body" "$home/.xscreensaver"
  HOME=$home "$command" >"$home.out" 2>&1 &
  sleep "0.$(printf '%03d' $((RANDOM % 300)))"
  kill -"$(shuf -n1 -e TERM INT HUP)" $! 2>/dev/null
  wait $!
  code=$?
  if [ $code -eq 0 ]; then
    grep -q 'cascade --root' "$home/.xscreensaver" || fail "signal $round: exit 0 but the old file"
    cmp -s "$home/.xscreensaver.before-cascade" "$work/body" || fail "signal $round: the backup is not whole"
  else
    stopped=$((stopped + 1))
    cmp -s "$home/.xscreensaver" "$work/body" || fail "signal $round: exit $code but the file changed"
    [ ! -e "$home/.xscreensaver.before-cascade" ] || fail "signal $round: exit $code, and a backup"
    [ $code -eq 1 ] && [ ! -s "$home.out" ] && fail "signal $round: exit 1 without a word"
  fi
  [ -z "$(leftovers)" ] && rm -rf "$home" || fail "signal $round: left $(leftovers)"
done
echo "signals: $stopped of 20 rounds stopped before the change"

# -- Another writer at the same moment (the settings program saving: a new
# file, then a rename), saving over and over, a few hundred microseconds
# apart, for as long as the adder runs: each save a consistent change (save
# number k, maze switched off). The file is always one version whole, with
# Cascade or without, never the two mixed; and Cascade lands, if at all, on
# the writer's latest save: on an older one, a save was lost. Where the file
# shows that, the writer stops and looks again once the adder has ended,
# since a swap about to be undone shows it for a moment.
# CASCADE_RACE_ROUNDS runs more rounds, for a stress run on a loaded machine.
cat >"$work/writer.py" <<'PY'
import os, random, subprocess, sys, time
path = sys.argv[1] + "/.xscreensaver"
def version(k, maze="-"): return "timeout: 0:00:00\n# save %d\nprograms: \\\n%s\tmaze --root \\n\n" % (k, maze)
def saved():  # the save the file holds, whether Cascade is on it; None where mixed
    text = open(path).read()
    rest = "".join(l for l in text.splitlines(True) if "cascade" not in l).replace("\\n\\\n", "\\n\n")
    k = int(rest.split("# save ")[1].split("\n")[0])
    return (k, "cascade" in text) if rest == version(k, "-" if k else "") else (None, True)
def lost(last):
    k, cascade = saved()
    if k is None: sys.exit("a mixed file: " + open(path).read())
    return cascade and k != last
last = 0
adder = subprocess.Popen(sys.argv[2], env=dict(os.environ, HOME=sys.argv[1]), stdout=open(sys.argv[3], "w"),
                         stderr=subprocess.STDOUT)
while adder.poll() is None and not lost(last):
    last += 1
    open(path + ".writer", "w").write(version(last))
    os.rename(path + ".writer", path)
    time.sleep(random.uniform(0, 0.0004))
adder.wait()
print(last, int(lost(last)), adder.returncode)
PY
version() { printf 'timeout: 0:00:00\n# save %d\nprograms: \\\n%s\tmaze --root \\n\n' "$1" "$2"; }
rounds=${CASCADE_RACE_ROUNDS:-20}
lost=0 saves=0
for round in $(seq "$rounds"); do
  home=$work/writer-$round && mkdir -p "$home" && version 0 "" >"$home/.xscreensaver"
  read -r saved losses code < <(python3 "$work/writer.py" "$home" "$command" "$home.out" 2>"$home.err")
  [ -n "$code" ] || fail "writer $round: $(cat "$home.err")"
  saves=$((saves + saved)) lost=$((lost + losses))
  [ "$code" = 0 ] || [ "$code" = 1 ] || fail "writer $round: exit $code"
  rm -rf "$home" "$home.out" "$home.err"
done
echo "writer: $saves saves during $rounds runs, a save lost in $lost"
[ "$lost" -eq 0 ] || fail "writer: a save lost in $lost of $rounds rounds"
# The same, the rival's save landing in the last moment there is: after the
# last compare, just before the new file goes in place; then a second save
# just before a swap is undone. Cascade goes onto the latest save.
for saves in 1 2; do
  fresh_home "rival-$saves" "$(version 0 "")"
  version 1 - >"$home/.rival-1" && version 2 - >"$home/.rival-2"
  rivals=$home/.rival-1 && [ $saves = 2 ] && rivals+=:$home/.rival-2
  HOME=$home LD_PRELOAD=$stop_probe CASCADE_RIVAL_FILE=$rivals "$command" >"$home.out" 2>&1
  code=$?
  grep -q "^# save $saves\$" "$home/.xscreensaver" && grep -q cascade "$home/.xscreensaver" ||
    fail "rival $saves: a save lost or Cascade not added (exit $code):"$'\n'"$(cat "$home/.xscreensaver")"
done

# -- Two adders at once, on a list that ends in a continued blank line: one
# adds Cascade, the other finds it there; nothing is added twice.
open_end=$'programs: maze --root \\n\\\n\nlock: False\n'
expected=$'programs: maze --root \\n\\\n  GL:\t\t\t\tcascade --root\t\t\t\t    \\n\nlock: False'
for round in $(seq 20); do
  fresh_home "twice-$round" "$open_end"
  HOME=$home "$command" >"$home.1" 2>&1 &
  sleep "0.0$((RANDOM % 30))"
  HOME=$home "$command" >"$home.2" 2>&1
  wait $!
  [ "$(cat "$home/.xscreensaver")" = "$expected" ] || fail "twice $round: wrote"$'\n'"$(cat -A "$home/.xscreensaver")"
done

[ $status -eq 0 ] && echo "cascade-add-to-xscreensaver OK"
exit $status

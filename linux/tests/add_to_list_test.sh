#!/usr/bin/env bash
# Runs cascade-add-to-xscreensaver on ~/.xscreensaver files as users have
# them and compares what it leaves, byte for byte: the new file, the backup,
# modes and links. The system list comes from a small app-defaults file of
# the test's, shaped like Debian's.
# Usage: add_to_list_test.sh COMMAND WORK_DIR
set -uo pipefail
command=$1
work=$2
# shellcheck source=check_support.sh
. "$(dirname "$0")/check_support.sh"

fresh_work_folder "$work"
export CASCADE_APP_DEFAULTS=$work/XScreenSaver
cat >"$CASCADE_APP_DEFAULTS" <<'EOF'
*timeout:		0:10:00
*programs:								      \
				maze --root				    \n\
- GL: 				superquadrics --root			    \n\
  GL: 				gears --root				    \n

*hacks.gears.name:	Gears
EOF
added='  GL:				cascade --root				    \n'
system_list="programs:								      \\
				maze --root				    \\n\\
- GL: 				superquadrics --root			    \\n\\
  GL: 				gears --root				    \\n\\
$added"

# One case: a fresh home holding $2 as .xscreensaver (none when $2 is "-"),
# the command run in it; the file it leaves must be $3.
home=
run() {
  local name=$1 before=$2 expected=$3
  home=$work/$name
  mkdir -p "$home"
  [ "$before" = - ] || printf '%s' "$before" >"$home/.xscreensaver"
  HOME=$home "$command" >"$home.out" 2>&1 || fail "$name: exit $?: $(cat "$home.out")"
  printf '%s' "$expected" >"$home.expected"
  diff -u "$home.expected" "$home/.xscreensaver" >"$home.diff" ||
    fail "$name: the new file differs (- expected, + written):"$'\n'"$(cat "$home.diff")"
  ls -A "$home" | grep -v '^\.xscreensaver\(\.before-cascade\)\?$' >"$home.extra" &&
    fail "$name: files left behind: $(cat "$home.extra")"
  if [ "$before" = - ]; then
    [ ! -e "$home/.xscreensaver.before-cascade" ] || fail "$name: a backup of nothing"
  elif [ "$before" != "$expected" ]; then
    printf '%s' "$before" | cmp -s - "$home/.xscreensaver.before-cascade" || fail "$name: the backup is not the old file"
  fi
}
unchanged() {
  grep -q "nothing changed" "$home.out" || fail "$1: does not say nothing changed: $(cat "$home.out")"
  [ ! -e "$home/.xscreensaver.before-cascade" ] || fail "$1: a backup although nothing changed"
}

# No file yet: the system's list plus Cascade, every other setting left to
# the system; the mode any new file gets. Run again, nothing changes.
umask 022
run new - "# XScreenSaver preferences. Settings not given here are the system's
# ($CASCADE_APP_DEFAULTS).
$system_list
"
[ "$(stat -c %a "$work/new/.xscreensaver")" = 644 ] || fail "new: mode $(stat -c %a "$work/new/.xscreensaver")"
cp "$work/new/.xscreensaver" "$work/new.first"
HOME=$work/new "$command" >"$work/new.out" 2>&1 || fail "new, again: exit $?"
home=$work/new unchanged "new, again"
cmp -s "$work/new.first" "$work/new/.xscreensaver" || fail "new, again: the file changed"

# A file without programs (settings, comments, no newline at the end): kept
# as it is, the system's list with Cascade after it; its mode kept.
settings="# Written by hand
mode:		one
selected:	2
lock:		True"
mkdir -p "$work/no-list" && printf '%s' "$settings" >"$work/no-list/.xscreensaver" && chmod 640 "$work/no-list/.xscreensaver"
run no-list "$settings" "$settings
$system_list
"
[ "$(stat -c %a "$work/no-list/.xscreensaver")" = 640 ] || fail "no-list: mode $(stat -c %a "$work/no-list/.xscreensaver")"

# A list of the user's own with continuation lines and settings after it:
# Cascade goes last, everything else stays, byte for byte.
head="timeout:	0:05:00
programs:							      \\
		-	  maze --root				    \\n\\
  \"My hack\"  GL:	  mycascade --root			    \\n\\
				xmatrix -root				    \\n"
tail="
pointerHysteresis: 10
"
run own-list "$head$tail" "$head\\
$added$tail"

# A list that ends on a continued blank line, and an empty list.
run open-end "programs: maze --root \\n\\

lock: False
" "programs: maze --root \\n\\
$added

lock: False
"
run empty-list "programs:
lock: False
" "programs:\\
$added
lock: False
"

# Cascade already there, by path and with options, or switched on again
# where the user switched it off (nothing else in the line changes).
listed="programs: maze --root \\n\\
  GL: /usr/libexec/xscreensaver/cascade -root -delay 20000 \\n
"
run listed "$listed" "$listed"
unchanged listed
run switched-off "programs: maze --root \\n\\
-	GL:  cascade --root -draw exact \\n\\
  GL: gears --root \\n
" "programs: maze --root \\n\\
	GL:  cascade --root -draw exact \\n\\
  GL: gears --root \\n
"

# A linked dotfile stays linked; an earlier backup is not overwritten.
mkdir -p "$work/linked/dotfiles"
printf 'programs: maze --root \\n\n' >"$work/linked/dotfiles/xscreensaver"
ln -s dotfiles/xscreensaver "$work/linked/.xscreensaver"
echo "an older backup" >"$work/linked/dotfiles/xscreensaver.before-cascade"
HOME=$work/linked "$command" >"$work/linked.out" 2>&1 || fail "linked: exit $?: $(cat "$work/linked.out")"
[ -L "$work/linked/.xscreensaver" ] || fail "linked: the link was replaced by a file"
grep -q 'cascade --root' "$work/linked/dotfiles/xscreensaver" || fail "linked: the target has no Cascade"
[ "$(cat "$work/linked/dotfiles/xscreensaver.before-cascade")" = "an older backup" ] || fail "linked: the older backup was overwritten"
grep -q 'maze' "$work/linked/dotfiles/xscreensaver.before-cascade.1" || fail "linked: no second backup"

# A home it cannot write in: an error, the file as it was, nothing left
# behind. Root writes anywhere, so there it runs as nobody.
mkdir -p "$work/read-only"
printf 'programs: maze --root \\n\n' >"$work/read-only/.xscreensaver"
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups) && chmod 755 "$work"
chmod 555 "$work/read-only"
if HOME=$work/read-only "${as_user[@]}" "$command" >"$work/read-only.out" 2>&1; then
  fail "read-only: exit 0"
fi
grep -q "cannot write" "$work/read-only.out" || fail "read-only: says $(cat "$work/read-only.out")"
[ "$(ls -A "$work/read-only")" = .xscreensaver ] || fail "read-only: left $(ls -A "$work/read-only")"
grep -q cascade "$work/read-only/.xscreensaver" && fail "read-only: the file changed"
chmod 755 "$work/read-only"

# Neither a list of the user's nor the system's: an error, no file.
mkdir -p "$work/no-system"
if HOME=$work/no-system CASCADE_APP_DEFAULTS=$work/missing "$command" >"$work/no-system.out" 2>&1; then
  fail "no-system: exit 0"
fi
[ ! -e "$work/no-system/.xscreensaver" ] || fail "no-system: wrote a file"

[ $status -eq 0 ] && echo "cascade-add-to-xscreensaver OK"
exit $status

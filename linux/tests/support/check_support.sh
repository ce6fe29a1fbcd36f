# Sourced by the shell tests. A failed check is reported and counted, and the
# test goes on, so one run shows every failure; the test ends with
# `exit "$status"`. Each run starts from an empty work folder.
status=0
fail() {
  echo "FAIL: $*" >&2
  status=1
}
fresh_work_folder() {
  rm -rf "$1"
  mkdir -p "$1"
}
# True where the number $1 is at least $2 (shares, fractions).
at_least() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a >= b) }'; }
# True while process $1 runs: a zombie has ended, only its reaping is left.
still_runs() {
  local state
  # Not "" either: /proc//stat is the kernel's own, and would say yes.
  [ -n "$1" ] && read -r _ _ state _ 2>/dev/null <"/proc/$1/stat" && [ "$state" != Z ]
}

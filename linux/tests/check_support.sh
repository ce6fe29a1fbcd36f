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

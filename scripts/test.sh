#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds every target and runs every test:
# the native suite plain and under AddressSanitizer + UndefinedBehaviorSanitizer,
# the million-frame soak in an optimised build, the Windows product and its
# tests under Wine, then a minute of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)

# Each stage's heading carries the time since the start, packages included,
# so a run's log shows where its minutes went.
stage() { printf '== %s == (%dm%02ds in)\n' "$1" $((SECONDS / 60)) $((SECONDS % 60)); }

# Every stage's CTest run leaves a JUnit record, from which the run ends with
# a line for each stage that skipped tests, and why: a skipped test checked
# nothing, however green the run. The line comes on failure too.
junit=$PWD/build/junit
rm -rf "$junit"
mkdir -p "$junit"
stages=("windows=$junit/windows.xml" "32-bit Wine under emulation=$junit/emulated.xml" "ci=$junit/ci.xml"
        "ci-asan=$junit/ci-asan.xml" "windows64=$junit/windows64.xml" "release (soak)=$junit/soak.xml")
background=()
finish() {
  # The run's own status: under errexit, a stopped stage's 143 from wait would
  # end this handler early, without the lines below, and be the run's status.
  local status=$? pid
  for pid in "${background[@]}"; do kill -TERM -- "-$pid" 2>/dev/null && { wait "$pid" 2>/dev/null || true; }; done
  python3 scripts/skipped_tests.py "${stages[@]}" || true
  exit "$status"
}
trap finish EXIT

# A stage run in the background, in a session of its own so that a failed
# run can stop all of it: started, later awaited with its log shown, and the
# script failed with it.
start_background() {
  local log=$1
  shift
  setsid "$@" >"$log" 2>&1 &
  background+=("$!")
}
await_background() {
  local status=0
  wait "${background[0]}" || status=$?
  background=("${background[@]:1}")
  cat "$1"
  [ "$status" -eq 0 ]
}

# The trixie stages' trees (Debian 13 from the archive: minutes of download
# and unpacking, little CPU; sway's, and Plasma's for the lock-screen
# wallpaper) are built beside the Windows stages rather than inside the ci
# stage, whose fixtures then find them, or wait on their locks. They are
# kept outside the clone for the week, so a fresh clone finds them built.
# Their own failure or skip is the fixtures' to report: here they only start
# early.
trixie_log=build/trixie-tree.log
# shellcheck source=../linux/tests/support/trixie_tree.sh
. linux/tests/support/trixie_tree.sh
mkdir -p build
start_background "$trixie_log" bash -c "linux/tests/end_to_end/trixie_tree_setup.sh $trixie_cache_root/sway || true;
  CASCADE_TRIXIE_TREE=plasma linux/tests/end_to_end/trixie_tree_setup.sh $trixie_cache_root/plasma || true"

# cascade.scr (32-bit) with its import and x87 checks, and its whole Wine
# suite: natively where the machine runs 32-bit code, else (or everywhere,
# with CASCADE_EMULATE_I386=1) under a 32-bit Wine emulated by qemu-i386.
# Emulated, the suite is minutes of waiting on the emulator, so its test
# programs are built and it runs in the background while the native stages
# run, 64-bit Wine's included: none of them starts a 32-bit program, and the
# emulator is registered only inside the suite's own namespaces.
stage "windows"
emulation=AUTO
[ "${CASCADE_EMULATE_I386:-0}" = 1 ] && emulation=ON
cmake --preset windows -DCASCADE_I386_EMULATION="$emulation" >/dev/null
if ctest --preset windows -N -L emulated | grep -q 'Total Tests: 0'; then
  cmake --build --preset windows -j "$jobs"
else
  cmake --build --preset windows -j "$jobs" --target cascade
fi
ctest --preset windows -j "$jobs" -LE emulated --output-junit "$junit/windows.xml"
emulated_log=build/windows/emulated.log
start_background "$emulated_log" bash -c "cmake --build --preset windows -j $jobs &&
  ctest --preset windows -L emulated --output-junit $junit/emulated.xml"

for preset in ci ci-asan; do
  stage "$preset"
  cmake --preset "$preset" -DCASCADE_TRIXIE_CACHE="$trixie_cache_root" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  # Minutes-long runs measure memory, which a sanitizer's quarantine grows;
  # the package, and the daemon test that runs it, come from the release
  # build, the same for both. The compositor stage checks how the saver
  # behaves in sway, which the sanitizers would only slow down.
  exclude=()
  [ "$preset" = ci-asan ] && exclude=(-LE 'longrun|package|xscreensaver|wayland')
  ctest --preset "$preset" -j "$jobs" "${exclude[@]}" --output-junit "$junit/$preset.xml"
done

await_background "$trixie_log"

# The million-frame soak needs an optimised build. It is built now and run
# beside 64-bit Wine's tests below, whose longest runs mostly wait on the
# clock: two minutes of one core that the suite need not wait for alone.
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target scene_soak

# The same sources built for x86-64 run the whole Wine suite under 64-bit
# Wine, which every x86-64 machine can.
stage "windows64"
cmake --preset windows64 >/dev/null
cmake --build --preset windows64 -j "$jobs"
soak_log=build/release/soak.log
start_background "$soak_log" ctest --preset release -L soak --output-junit "$junit/soak.xml"
# The fuzz targets are built meanwhile too: their build is a minute the
# suite need not spend alone at its end.
fuzz_build_log=build/fuzz-build.log
start_background "$fuzz_build_log" bash -c "cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j $jobs"
ctest --preset windows64 -j "$jobs" --output-junit "$junit/windows64.xml"

# Awaited in the order they were started.
stage "windows (32-bit Wine under emulation)"
await_background "$emulated_log"

stage "release (soak)"
await_background "$soak_log"

stage "fuzz"
await_background "$fuzz_build_log"
scripts/fuzz.sh 60
stage "done"

#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds every target and runs every test:
# the native suite plain and under AddressSanitizer + UndefinedBehaviorSanitizer,
# the million-frame soak in an optimised build, the Windows product and its
# tests under Wine, then a minute of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)

# A stage run in the background: waited for, its log shown, and the script
# failed with it; its stop-on-exit trap is no longer needed.
await_background() {
  local status=0
  wait "$1" || status=$?
  trap - EXIT
  cat "$2"
  [ "$status" -eq 0 ]
}

# cascade.scr (32-bit) with its import and x87 checks, and its Wine suite where
# the machine runs 32-bit code natively. Where it cannot, the PE32s run under
# an emulated 32-bit Wine: the saver's smoke set, the core's unit tests and the
# scene trace compared with Linux's. That is minutes of one emulated Wine
# start after another, so it goes on in the background while the native stages
# run (none of them starts a 32-bit program or Wine) and is awaited before
# 64-bit Wine makes its prefix.
echo "== windows =="
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
ctest --preset windows -j "$jobs" -LE emulated
emulated_log=build/windows/emulated.log
# In a session of its own, so that a failed stage can stop all of it: the
# smoke script then unregisters the emulator on its way out.
setsid ctest --preset windows -L emulated >"$emulated_log" 2>&1 &
emulated=$!
stop_emulated() { kill -TERM -- "-$emulated" 2>/dev/null && wait "$emulated" 2>/dev/null; true; }
trap stop_emulated EXIT

for preset in ci ci-asan; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  # Minutes-long runs measure memory, which a sanitizer's quarantine grows;
  # the package, and the daemon test that runs it, come from the release
  # build, the same for both. The compositor stage checks how the saver
  # behaves in sway, which the sanitizers would only slow down.
  exclude=()
  [ "$preset" = ci-asan ] && exclude=(-LE 'longrun|package|xscreensaver|wayland')
  ctest --preset "$preset" -j "$jobs" "${exclude[@]}"
done

# The million-frame soak needs an optimised build. It is built now and run
# beside 64-bit Wine's tests below, whose longest runs mostly wait on the
# clock: two minutes of one core that the suite need not wait for alone.
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target scene_soak

echo "== windows (PE32 under emulation) =="
await_background "$emulated" "$emulated_log"

# The emulator is unregistered again before 64-bit Wine makes its prefix. The
# same sources built for x86-64 run the whole Wine suite under 64-bit Wine,
# which every x86-64 machine can.
echo "== windows64 =="
cmake --preset windows64 >/dev/null
cmake --build --preset windows64 -j "$jobs"
soak_log=build/release/soak.log
ctest --preset release -L soak >"$soak_log" 2>&1 &
soak=$!
stop_soak() { kill "$soak" 2>/dev/null && wait "$soak" 2>/dev/null; true; }
trap stop_soak EXIT
ctest --preset windows64 -j "$jobs"

echo "== release (soak) =="
await_background "$soak" "$soak_log"

echo "== fuzz =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh 60

#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds every target and runs every test:
# the native suite plain and under AddressSanitizer + UndefinedBehaviorSanitizer,
# the million-frame soak in an optimised build, the Windows product and its
# tests under Wine, then a minute of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
for preset in ci ci-asan; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  # Minutes-long runs measure memory, which a sanitizer's quarantine grows;
  # the package comes from the release build, the same for both.
  exclude=()
  [ "$preset" = ci-asan ] && exclude=(-LE 'longrun|package')
  ctest --preset "$preset" -j "$jobs" "${exclude[@]}"
done

# The million-frame soak needs an optimised build.
echo "== release (soak) =="
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target scene_soak
ctest --preset release -L soak

# cascade.scr (32-bit) with its import and x87 checks, and its Wine suite where
# the machine runs 32-bit code natively; elsewhere a smoke set of it under an
# emulated 32-bit Wine (about 8 minutes). The same sources built for x86-64 run
# the whole Wine suite under 64-bit Wine, which every x86-64 machine can.
for preset in windows windows64; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh 60

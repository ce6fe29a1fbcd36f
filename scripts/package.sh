#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the Linux program in the release
# build and makes the Debian package build/packages/cascade_<version>_<arch>.deb
# with CPack (install it with: apt-get install ./build/packages/cascade_*.deb),
# then the download for Windows users, build/packages/cascade-<version>-windows.zip.
# An argument names another folder for the packages (the package test uses one).
set -euo pipefail
out=$(realpath -m "${1:-$(dirname "$0")/../build/packages}")
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target cascade cascade-add-to-xscreensaver cascade-settings cascade_manpage cascade_changelog

# CPack works in a folder of its own; only the .deb goes to the output folder.
work=build/release/cpack
rm -rf "$work"
cpack --config build/release/CPackConfig.cmake -B "$work" >"$work.log" 2>&1 || {
  cat "$work.log" >&2
  exit 1
}
mkdir -p "$out"
for deb in "$work"/cascade_*.deb; do
  cp "$deb" "$out/"
  echo "Built $out/$(basename "$deb")"
done

# The Windows download: cascade.scr from the 32-bit build, with README.txt and
# LICENSE (the build fails, saying so, where LICENSE is missing).
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$(nproc)" --target windows_download
for zip in build/windows/download/cascade-*-windows.zip; do
  cp "$zip" "$out/"
  echo "Built $out/$(basename "$zip")"
done

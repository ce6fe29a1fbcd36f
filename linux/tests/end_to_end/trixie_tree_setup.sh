#!/usr/bin/env bash
# Builds the Debian 13 (trixie) tree the trixie stages run in, or finds this
# week's. It is built under a temporary name and renamed only once complete,
# so an interrupted build is never taken for a tree; the lock keeps two runs
# from building at once. Trees of earlier weeks go once a new one stands;
# this week's trees of other package lists stay, for the clones that use them.
# Usage: trixie_tree_setup.sh CACHE_DIR
set -uo pipefail
# shellcheck source=../support/trixie_tree.sh
. "$(dirname "$0")/../support/trixie_tree.sh"
cache=$1
key=$(trixie_key)
tree=$cache/$key
# The stages take the tree this names, so that a run crossing into a new
# week between this and them still finds one.
name_current() { ln -sfn "$key" "$cache/current-$(trixie_list_hash)"; }
if [ -d "$tree" ]; then
  name_current
  echo "trixie tree $key: present, nothing downloaded"
  exit 0
fi
reason=$(trixie_unbuildable)
[ -z "$reason" ] || trixie_skip "$reason"

mkdir -p "$cache"
exec {lock}>"$cache/.lock"
flock "$lock"
[ -d "$tree" ] && { name_current; echo "trixie tree $key: built by another run meanwhile"; exit 0; }
# Whatever a killed build left: under the lock, no build is running.
rm -rf "$cache"/*.partial
started=$SECONDS
# Without manuals, documents and translations: no test reads them.
mmdebstrap --mode=root --variant=apt --include="$(
  IFS=,
  echo "${trixie_packages[*]}"
)" \
  --dpkgopt='path-exclude=/usr/share/man/*' --dpkgopt='path-exclude=/usr/share/doc/*' \
  --dpkgopt='path-exclude=/usr/share/locale/*' --aptopt='Acquire::Retries "3"' \
  trixie "$tree.partial" "$trixie_mirror" >"$cache/build.log" 2>&1 || {
  echo "FAIL: mmdebstrap could not build the trixie tree: $(grep -E '^(E|W):' "$cache/build.log" | tail -n 3)"
  rm -rf "$tree.partial"
  exit 1
}
mv "$tree.partial" "$tree"
name_current
for old in "$cache"/*; do
  [[ $(basename "$old") == "$(trixie_week)"-* ]] || [ -L "$old" ] || [ ! -d "$old" ] || rm -rf "$old"
done
for old in "$cache"/current-*; do
  [ -e "$old" ] || rm -f "$old"
done
echo "trixie tree $key: built in $((SECONDS - started)) s, $(du -sm "$tree" | cut -f1) MB"

#!/usr/bin/env bash
# Runs a test of the PE32 builds (the saver's smoke set, the core's unit tests,
# the scene trace) where the kernel cannot execute 32-bit x86 code: the 32-bit
# Wine then runs under qemu-i386, which this script registers with
# binfmt_misc for the run and removes afterwards. The command runs with
# WINE_LOADER and WINEPREFIX set. Needs root. Exits 77 (skipped) where the
# emulation cannot be set up.
#     emulated_pe32.sh PREFIX COMMAND ARGUMENTS...
set -u
here=$(cd "$(dirname "$0")" && pwd)
prefix=$1
shift
binfmt=/proc/sys/fs/binfmt_misc
entry=cascade-qemu-i386
emulator=/usr/bin/qemu-i386-static
wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
wow64_dlls=/usr/lib/i386-linux-gnu/wine/i386-windows

skip() {
    echo "SKIPPED: the PE32 under emulation: $*"
    exit 77
}

[ "$(id -u)" -eq 0 ] || skip "registering qemu-i386 with binfmt_misc needs root"
[ -x "$emulator" ] || skip "$emulator is missing (qemu-user-static)"
[ -x "$wine32" ] && [ -x "$wine64" ] && [ -d "$wow64_dlls" ] || skip "the 32-bit and 64-bit Wine are not both installed"

# The prefix first, natively and before the emulator is registered: a win64
# prefix takes seconds, and its 32-bit set-up steps fail harmlessly instead
# of running for minutes under emulation. Wine's 32-bit builtin DLLs then go
# into its syswow64 by hand.
WINE_LOADER=$wine64 WINEPREFIX=$prefix CASCADE_WOW64_DLLS=$wow64_dlls "$here/make_prefix.sh" || exit 1

mounted=0
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || skip "binfmt_misc cannot be mounted here"
    mounted=1
fi
undo() {
    [ -e "$binfmt/$entry" ] && echo -1 >"$binfmt/$entry"
    [ "$mounted" = 1 ] && umount "$binfmt"
}
trap undo EXIT
# i386 ELF executables and shared objects, run by the emulator's static
# binary opened now (F), so that it works inside any mount namespace.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
[ -e "$binfmt/$entry" ] || printf '%s' ":$entry:M::$magic:$mask:$emulator:F" >"$binfmt/register" 2>/dev/null ||
    skip "qemu-i386 cannot be registered with binfmt_misc"
"$wine32" --version >/dev/null 2>&1 || skip "the 32-bit Wine does not start under qemu-i386"
# Some kernel and qemu pairings leave the emulated Wine unable to map its
# shared user data (c0000018) before any program of ours is loaded; a Windows
# program of Wine's own tells that apart from a fault of the PE32s.
if ! started=$(WINE_LOADER=$wine32 WINEPREFIX=$prefix WINEDEBUG=err+all "$wine32" cmd /c exit 0 2>&1); then
    skip "the emulated 32-bit Wine cannot start a program of its own: $(printf '%s' "$started" | tail -n 1)"
fi

WINE_LOADER=$wine32 WINEPREFIX=$prefix "$@"

#!/usr/bin/env bash
# Runs a test of the PE32 builds (the saver's smoke set, the core's unit tests,
# the scene trace) where the kernel cannot execute 32-bit x86 code: the 32-bit
# Wine then runs under qemu-i386, which this script registers with
# binfmt_misc for the run and removes afterwards. The command runs with
# WINE_LOADER and WINEPREFIX set. Needs root.
#
# Exits 77 (skipped) only where the machine refuses what the emulation needs:
# no root, or a binfmt_misc that cannot be mounted or registered. A missing
# package is a skip on a developer's machine and a failure under CI=true,
# whose install step should have brought it. Wine that cannot start a program
# is always a failure, told apart from a fault of the PE32s by Wine's own line.
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

# qemu-i386 7.2 on a 64-bit host maps the guest wherever the host's mmap
# puts it, and on some kernels that takes 0x7ffe0000, where Wine must map its
# shared user data ("failed to map the shared user data: c0000018"); which
# start it hits varies. Reserving the whole 32-bit space up front (all but
# the last 64 KiB, which qemu refuses) gives the guest every address it
# expects. It goes through the environment, not qemu's -R: binfmt_misc starts
# the emulator without arguments, for Wine's own child processes as for ours,
# and every one of them inherits the variable. A qemu that lacks it ignores
# it, and a start that then fails is reported below with Wine's error.
export QEMU_RESERVED_VA=0xffff0000
# Wine's error class stays on: its start failures are "err:" lines.
export WINEDEBUG=-all,err+all

refused() {
    echo "SKIPPED: $*"
    exit 77
}
missing() {
    if [ "${CI:-}" = true ]; then
        echo "FAIL: the PE32 under emulation cannot run: $* (CI must test the shipped PE32)"
        exit 1
    fi
    refused "$*"
}

[ "$(id -u)" -eq 0 ] || refused "registering qemu-i386 with binfmt_misc needs root"
[ -x "$emulator" ] || missing "$emulator is missing (qemu-user-static)"
if [ ! -x "$wine32" ] || [ ! -x "$wine64" ] || [ ! -d "$wow64_dlls" ]; then
    missing "the 32-bit and 64-bit Wine are not both installed"
fi

# The prefix first, natively and before the emulator is registered: a win64
# prefix takes seconds, and its 32-bit set-up steps fail harmlessly instead
# of running for minutes under emulation. Wine's 32-bit builtin DLLs then go
# into its syswow64 by hand.
WINE_LOADER=$wine64 WINEPREFIX=$prefix CASCADE_WOW64_DLLS=$wow64_dlls WINEDEBUG=-all \
    "$here/make_prefix.sh" || exit 1

mounted=0
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || refused "binfmt_misc cannot be mounted here"
    mounted=1
fi
log=$(mktemp)
undo() {
    [ -e "$binfmt/$entry" ] && echo -1 >"$binfmt/$entry"
    [ "$mounted" = 1 ] && umount "$binfmt"
    rm -f "$log"
}
trap undo EXIT
# i386 ELF executables and shared objects, run by the emulator's static
# binary opened now (F), so that it works inside any mount namespace.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
[ -e "$binfmt/$entry" ] || printf '%s' ":$entry:M::$magic:$mask:$emulator:F" >"$binfmt/register" 2>/dev/null ||
    refused "qemu-i386 cannot be registered with binfmt_misc"

# Every emulated Wine start costs about a minute, so no start of Wine's own
# is spent on a check: the test's own starts are the check. Its output goes
# to a file, never a pipe that Wine's services would hold open, and is shown
# as it comes.
WINE_LOADER=$wine32 WINEPREFIX=$prefix "$@" >"$log" 2>&1 &
test_pid=$!
tail -n +1 -f --pid="$test_pid" "$log"
wait "$test_pid"
status=$?
# The emulator's refusal, or Wine's loader giving up before the program ran.
start_error='^qemu-i386[^:]*: |err:virtual:|wine: (failed|could not|cannot) |Exec format error'
if [ "$status" -ne 0 ] && line=$(grep -m1 -E "$start_error" "$log"); then
    echo "FAIL: the emulated 32-bit Wine itself could not start a program, not a fault of the PE32: $line"
fi
exit "$status"

#!/usr/bin/env bash
# Runs a command with every i386 program it starts (the 32-bit Wine and the
# PE32s it loads) run by qemu-i386: where the kernel cannot execute 32-bit
# x86 code, and on any machine when a developer asks for the emulated way.
#
# qemu-i386 is registered with a binfmt_misc of the command's own, in a user
# and mount namespace made for it (Linux 6.7 and later): nothing outside it
# is touched, nothing needs undoing, and inside it the entry is taken before
# the kernel's own loader, so it emulates even where i386 code runs natively.
# Where no such namespace can have one, the machine's binfmt_misc takes the
# entry for the run (root only) and loses it afterwards.
#
# Exits 77 (skipped) only where the machine refuses both. A missing package
# is a skip on a developer's machine and a failure under CI=true, whose
# install step should have brought it. Wine that cannot start a program is
# always a failure, told apart from a fault of the PE32s by Wine's own line.
#     i386_emulation.sh COMMAND ARGUMENTS...
set -u
emulator=/usr/bin/qemu-i386
binfmt=/proc/sys/fs/binfmt_misc
entry=cascade-qemu-i386-$$
# i386 ELF executables and shared objects, run by the emulator's static
# binary opened now (F), so that it is found inside any mount namespace.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# Wine's error class stays on: its start failures are "err:" lines.
export WINEDEBUG=${WINEDEBUG:--all,err+all}

refused() {
    echo "SKIPPED: $*"
    exit 77
}
missing() {
    if [ "${CI:-}" = true ]; then
        echo "FAIL: the PE32s cannot run under emulation: $* (CI must test the shipped PE32)"
        exit 1
    fi
    refused "$*"
}
register() {
    printf '%s' ":$1:M::$magic:$mask:$emulator:F" >"$binfmt/register" 2>/dev/null
}

# The emulator must be static: a dynamic one would be looked for, with its
# libraries, in whatever root the emulated program runs.
static_emulator() {
    [ -x "$emulator" ] && ! LC_ALL=C readelf -l "$emulator" 2>/dev/null | grep -q 'INTERP'
}

run_and_explain() {
    local log status line
    log=$(mktemp)
    # The output goes to a file, never a pipe that Wine's services would hold
    # open, and is shown as it comes.
    "$@" >"$log" 2>&1 &
    local pid=$!
    tail -n +1 -f --pid="$pid" "$log"
    wait "$pid"
    status=$?
    # The emulator's refusal, or Wine's loader giving up before the program ran.
    local start_error='^qemu-i386[^:]*: |err:virtual:|wine: (failed|could not|cannot) |Exec format error'
    if [ "$status" -ne 0 ] && line=$(grep -m1 -E "$start_error" "$log"); then
        echo "FAIL: the emulated 32-bit Wine itself could not start a program, not a fault of the PE32: $line"
    fi
    rm -f "$log"
    return "$status"
}

private_namespace=(unshare --user --map-root-user --mount --)
if [ "${1:-}" = --inside-namespace ]; then
    shift
    mount -t binfmt_misc binfmt_misc "$binfmt" || refused "the namespace's binfmt_misc cannot be mounted"
    register "$entry" || refused "qemu-i386 cannot be registered with the namespace's binfmt_misc"
    run_and_explain "$@"
    exit
fi

static_emulator || missing "$emulator is missing or not static (qemu-user from Debian 12's backports)"

if "${private_namespace[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null; then
    exec "${private_namespace[@]}" "$0" --inside-namespace "$@"
fi

[ "$(id -u)" -eq 0 ] || refused "no private binfmt_misc here, and the machine's needs root"
mounted=0
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || refused "binfmt_misc cannot be mounted here"
    mounted=1
fi
undo() {
    [ -e "$binfmt/$entry" ] && echo -1 >"$binfmt/$entry"
    [ "$mounted" = 1 ] && umount "$binfmt"
}
trap undo EXIT
register "$entry" || refused "qemu-i386 cannot be registered with binfmt_misc"
echo "no private binfmt_misc here: qemu-i386 is registered machine-wide for this run"
run_and_explain "$@"

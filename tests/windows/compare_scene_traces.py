#!/usr/bin/env python3
"""Runs scene_trace twice, built for Linux and built for Windows (under Wine,
WINE_LOADER and WINEPREFIX as wine_run.sh wants them), and compares what the
two drew.

Identical traces pass. With --exact nothing else does: under qemu-i386 the x87's
sin and cos are computed by the host's glibc, so a 32-bit build that rounds
as Linux does draws exactly what Linux draws. Without it (a real x87, whose
fsin and fcos may differ from glibc's in the last bit), where the frame
digests part, the last frame's calls are compared value by value: the same
calls with the same texture bytes, and every value within a relative
tolerance far below what a pixel or a colour step can show, pass with a
report of the largest difference; anything else fails. The trace is made
with the stored reference's arguments, in the drawing order cascade.scr uses,
and the Linux build's frame digests must be the reference's
(scene_reference.py): so the Windows build is held to the reference too,
exactly or within the tolerance.

    compare_scene_traces.py [--exact] REFERENCE LINUX_TRACE WINDOWS_TRACE
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from scene_reference import FAILURE_HINT, mismatch, run_trace, trace_arguments  # noqa: E402

# A millionth of a value (or of 1 near 0): 0.004 px across a 4096 px view, a
# 4000th of an 8-bit colour step.
TOLERANCE = 1e-6


def split(trace, name):
    try:
        cut = trace.index("last frame")
    except ValueError:
        sys.exit(f"FAIL: the {name} trace has no last frame")
    return trace[:cut], [line for line in trace[cut + 1:] if line]


def compare_values(native_calls, windows_calls):
    """Returns (differing values, largest relative difference, first failure)."""
    if len(native_calls) != len(windows_calls):
        return 0, 0.0, f"{len(native_calls)} calls against {len(windows_calls)}"
    differing, largest = 0, 0.0
    for index, (ours, theirs) in enumerate(zip(native_calls, windows_calls)):
        a, b = ours.split(), theirs.split()
        if a[0] != b[0] or len(a) != len(b):
            return differing, largest, f"call {index}: {ours} against {theirs}"
        for x, y in zip(a[1:], b[1:]):
            if x.startswith("#") or y.startswith("#"):
                if x != y:
                    return differing, largest, f"call {index}: texture bytes differ: {ours} against {theirs}"
                continue
            u, v = float.fromhex(x), float.fromhex(y)
            if u == v:
                continue
            differing += 1
            relative = abs(u - v) / max(abs(u), abs(v), 1.0)
            largest = max(largest, relative)
            if relative > TOLERANCE:
                return differing, largest, f"call {index}: {ours} against {theirs}"
    return differing, largest, None


def compare(exact, native_trace, windows_command):
    """0 where the Windows trace is the Linux one (to the last bit with exact)."""
    native_frames, native_calls = split(native_trace, "Linux")
    windows_frames, windows_calls = split(run_trace(windows_command), "Windows")

    if native_frames == windows_frames and native_calls == windows_calls:
        print(f"identical: {len(native_frames)} frame digests and the last frame's "
              f"{len(native_calls)} calls, to the last bit")
        return 0
    parted = next((i for i, (a, b) in enumerate(zip(native_frames, windows_frames)) if a != b),
                  min(len(native_frames), len(windows_frames)))
    print(f"the traces part at: {native_frames[parted] if parted < len(native_frames) else '(end)'}"
          f" against {windows_frames[parted] if parted < len(windows_frames) else '(end)'}")
    differing, largest, failure = compare_values(native_calls, windows_calls)
    print(f"last frame: {differing} values differ, the largest by {largest:.3g} of its size")
    if failure:
        print(f"FAIL: {failure}")
        return 1
    if exact:
        print("FAIL: the Windows build does not draw exactly what the Linux build draws")
        return 1
    return 0


def main():
    exact = sys.argv[1] == "--exact"
    reference, native, windows = sys.argv[1 + exact:4 + exact]
    wine_run = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wine_run.sh")
    # The only order cascade.scr draws in; a trace costs minutes under emulation.
    arguments = trace_arguments(reference) + ["exact"]
    native_trace = run_trace([native] + arguments)
    failed = compare(exact, native_trace, [wine_run, windows] + arguments)
    drift = mismatch(reference, "exact", split(native_trace, "Linux")[0])
    if drift:
        print(f"{drift}\n{FAILURE_HINT}")
        failed = 1
    return failed


if __name__ == "__main__":
    sys.exit(main())

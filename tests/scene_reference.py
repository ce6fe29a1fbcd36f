#!/usr/bin/env python3
"""The scene held against its stored reference: scene_trace's digest of every
frame's GL calls, in both drawing orders, must be the one in the tree
(tests/reference/scene_trace.txt). Any change of a number the scene draws
with changes a digest, so a picture that drifts fails here, however
consistently every build drifts. A deliberate change of the picture rewrites
the reference with --update (the build's update_scene_reference target), in
the same commit.

    scene_reference.py [--update] REFERENCE SCENE_TRACE

The reference's first line holds scene_trace's arguments.
"""
import subprocess
import sys

ORDERS = ("exact", "batched")


def trace_arguments(reference):
    """FRAMES FRAME_MS WIDTH HEIGHT, from the reference's first line."""
    with open(reference) as stored:
        return stored.readline().split(":")[0].split()[1:]


def run_trace(command):
    """The trace's lines; exits with a failure where it cannot be made."""
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                            timeout=1200, check=False)
    if result.returncode != 0:
        sys.exit(f"FAIL: {' '.join(command)} exited with {result.returncode}:\n"
                 f"{result.stderr.decode(errors='replace')}")
    # The Windows C library writes CRLF line ends to a text-mode stdout.
    return result.stdout.decode().replace("\r\n", "\n").split("\n")


def frame_lines(trace):
    return trace[:trace.index("last frame")] if "last frame" in trace else trace


def stored_frames(reference, order):
    with open(reference) as stored:
        return [line.split(" ", 1)[1] for line in stored.read().splitlines()
                if line.startswith(order + " ")]


def mismatch(reference, order, frames):
    """None where frames are the stored ones, else what differs first."""
    stored = stored_frames(reference, order)
    for index, (ours, theirs) in enumerate(zip(frames, stored)):
        if ours != theirs:
            return f"{order} order, {ours} where the reference has {theirs}"
    if len(frames) != len(stored):
        return f"{order} order: {len(frames)} frames where the reference has {len(stored)}"
    return None


def update(reference, traces):
    arguments = " ".join(trace_arguments(reference))
    with open(reference, "w") as stored:
        stored.write(f"scene_trace {arguments}: every frame's digest in both drawing orders. Rewritten by "
                     "scene_reference.py --update (the update_scene_reference target) when the picture "
                     "changes on purpose.\n")
        for order in ORDERS:
            stored.writelines(f"{order} {line}\n" for line in traces[order])


FAILURE_HINT = ("FAIL: the scene no longer draws its stored reference. If the picture changed on purpose, "
                "rewrite it: cmake --build --preset ci --target update_scene_reference")


def main():
    updating = sys.argv[1] == "--update"
    reference, trace = sys.argv[1 + updating:]
    arguments = trace_arguments(reference)
    traces = {order: frame_lines(run_trace([trace] + arguments + [order])) for order in ORDERS}
    if updating:
        update(reference, traces)
        print(f"wrote {reference}")
        return 0
    failures = [failure for failure in (mismatch(reference, order, traces[order]) for order in ORDERS)
                if failure]
    for failure in failures:
        print(failure)
    if failures:
        print(FAILURE_HINT)
        return 1
    print(f"both orders draw the reference: {sum(len(lines) for lines in traces.values())} frame digests")
    return 0


if __name__ == "__main__":
    sys.exit(main())

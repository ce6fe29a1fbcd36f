#!/usr/bin/env python3
"""Writes the seed corpora under fuzz/corpus/. Run it again after changing how
a target decodes its input; the fuzzers only start from these files and never
write back into them."""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

GL_RGBA = 0x1908
GL_LUMINANCE_ALPHA = 0x190A


class ProviderInput:
    """Builds bytes for LLVM's FuzzedDataProvider, which takes every value
    from the end of the input, most significant byte first, and reduces it
    modulo the size of the requested range."""

    def __init__(self):
        self.read_order = []

    def in_range(self, low, high, value, width_bits=32):
        span = high - low
        offset = value - low
        assert 0 <= offset <= span
        count, shift = 0, 0
        while shift < width_bits and (span >> shift) > 0:
            count += 1
            shift += 8
        self.read_order += list(offset.to_bytes(count, "big"))
        return self

    def boolean(self, value):
        return self.in_range(0, 255, 1 if value else 0, 8)

    def int32(self, value):
        return self.in_range(-2**31, 2**31 - 1, value)

    def uint32(self, value):
        return self.in_range(0, 2**32 - 1, value)

    def bytes(self):
        return bytes(reversed(self.read_order))


# fuzz_texture: the decoding order of fuzz/fuzz_texture.cpp.
KIND_OUTSIDE = [-2**31, -2, -1, 9, 10, 255, 256, 2**31 - 1]
FORMATS = [GL_RGBA, GL_LUMINANCE_ALPHA, 0x1907, 0x1909, 0x1906, 0x8058, 0, 4, 2]


def small_int(p, value, low, high):
    p.in_range(0, 3, 0, 32)
    p.in_range(low, high, value)


def raw_int(p, value):
    p.in_range(0, 3, 3, 32)
    p.int32(value)


def size_value(p, value):
    if -2 <= value <= 300:
        small_int(p, value, -2, 300)
    else:
        raw_int(p, value)


def generate(p, seed, kind, width, height, fmt, mipmapped=0, puffs=None):
    p.uint32(seed).boolean(True)
    if 0 <= kind < 9:
        p.in_range(0, 5, 2, 32).in_range(0, 8, kind)
    else:
        p.in_range(0, 5, 1, 32).int32(kind)
    size_value(p, width)
    size_value(p, height)
    if fmt in FORMATS:
        p.in_range(0, 7, 1, 32).in_range(0, len(FORMATS) - 1, FORMATS.index(fmt), 64)
    else:
        p.in_range(0, 7, 0, 32).uint32(fmt)
    p.boolean(mipmapped != 0)
    if mipmapped:
        small_int(p, mipmapped, -1, 2)
    if puffs is None:
        p.in_range(0, 3, 1, 32)
    else:
        p.in_range(0, 3, 0, 32).boolean(True).in_range(-3, 600, puffs)


def noise(p, seed, flags, amplitude, radius):
    p.uint32(seed).boolean(False)
    if flags <= 0x3F:
        p.in_range(0, 0x3F, flags).in_range(0, 7, 1, 32)
    else:
        p.in_range(0, 0x3F, 0).in_range(0, 7, 0, 32).uint32(flags)
    for value, low in ((amplitude, -300), (radius, -4)):
        if low <= value <= 300:
            small_int(p, value, low, 300)
        else:
            raw_int(p, value)


def texture_input(registry_fill, *requests):
    p = ProviderInput()
    if registry_fill == 0:
        p.boolean(True)
    else:
        p.boolean(False).in_range(0, 31, registry_fill)
    p.in_range(0, 3, 1, 32)  # default wrap and environment modes
    for request, args in requests:
        request(p, *args)
    return p.bytes()


TEXTURE_SEEDS = {
    "every_kind_small": texture_input(0, *[(generate, (k + 1, k, 8 + k, 6, GL_RGBA)) for k in range(6)]),
    "smoke_mipmapped_then_noise": texture_input(
        0, (generate, (7, 3, 256, 256, GL_RGBA, 1, 100)), (noise, (8, 0x3F, 50, 128))),
    "spark_luminance_alpha": texture_input(
        0, (generate, (3, 8, 128, 64, GL_LUMINANCE_ALPHA, 1)), (noise, (4, 0x05, 30, 20))),
    "sand_largest": texture_input(0, (generate, (5, 6, 256, 256, GL_RGBA))),
    "refusals": texture_input(
        0, (generate, (1, 0, -1, 16, GL_RGBA)), (generate, (1, 0, 65537, 1, GL_RGBA)),
        (generate, (1, 9, 16, 16, GL_RGBA)), (generate, (1, 0, 16, 16, 0x1907)),
        (generate, (1, 3, 300, 2, GL_RGBA)), (noise, (2, 0x01, 10, 10))),
    "overflowing_size": texture_input(0, (generate, (1, 0, 65536, 65536, GL_RGBA)),
                                      (generate, (1, 0, 2**31 - 1, 2**31 - 1, GL_RGBA))),
    "registry_full": texture_input(30, (generate, (1, 7, 4, 4, GL_RGBA)), (generate, (1, 7, 4, 4, GL_RGBA))),
    "noise_extremes": texture_input(
        0, (generate, (1, 7, 256, 256, GL_LUMINANCE_ALPHA)), (noise, (9, 0xFFFFFFFF, -2**31, 2**31 - 1)),
        (noise, (9, 0x3F, 2**31 - 1, -2**31))),
    "empty_smoke": texture_input(0, (generate, (2, 3, 1, 1, GL_RGBA, 0, 0)),
                                 (generate, (2, 3, 64, 32, GL_LUMINANCE_ALPHA, 2, -3))),
}

# fuzz_command_line: the argument text as it is, without a terminating NUL.
COMMAND_LINE_SEEDS = [
    "/s", "/S", "/p 1234", "/P  4294967295", "/l 77", "/c:99", "/c", "-c:123456789012",
    "", "  -/ s", "/a 12", "/x", "\t/s", "/p", "/p abc", "-s extra", "\xe9/s",
]

# fuzz_options: the arguments separated by newlines.
OPTION_SEEDS = [
    "", "-root", "-window-id\n0x1a00007", "-window\n-size\n640x480", "-size\n1x1\n-frames\n10",
    "-frames\n0", "-frame-ms\n16\n-delay\n5000", "-delay\n-1", "-size\n99999x2", "-fps",
    "-window-id\n4294967296", "-bogus", "-frames", "-help", "-render\nout.png",
    "--root\n--fps\n--window-id\n0x400CB9", "-fps-stderr\n-draw\nexact",
    "-lock\n-fps", "-fullscreen\n-lock-after\n5", "-idle\n60\n-lock-after\n9\n-lock-command\nswaylock",
]


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def main():
    for name, data in TEXTURE_SEEDS.items():
        write("fuzz_texture", name, data)
    for i, text in enumerate(COMMAND_LINE_SEEDS):
        write("fuzz_command_line", "seed_%02d" % i, text.encode("latin-1"))
    for i, text in enumerate(OPTION_SEEDS):
        write("fuzz_options", "seed_%02d" % i, text.encode("latin-1"))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the BIN images that .ci/interop.sh converts: gaps, overlaps, a
record cut by the end of the file, records at the top of the address space,
wrong checksums, and many random records.

interop_images.py FOLDER"""
import os
import random
import struct
import sys


def record(start, data, checksum=None):
    if checksum is None:
        checksum = sum(data) & 0xFFFFFFFF
    return struct.pack("<III", start, len(data), checksum) + data


def image(start, length, body, entry=None):
    head = b"B000FF\n" + struct.pack("<II", start, length)
    tail = struct.pack("<III", 0, entry, 0) if entry is not None else b""
    return head + body + tail


def pattern(seed, size):
    generator = random.Random(seed)
    return bytes(generator.randrange(256) for _ in range(size))


def images():
    base = 0x10000000
    # Gaps of every size, starts off the 16-byte grid, records across 64 KiB
    # boundaries and across 16-byte blocks.
    gaps = b"".join([
        record(base + 0x3, pattern(1, 29)),
        record(base + 0x40, pattern(2, 16)),
        record(base + 0xFFF9, pattern(3, 40)),
        record(base + 0x2FFFF, pattern(4, 1)),
        record(base + 0x30000, pattern(5, 0x10011)),
    ])
    yield "gaps.bin", image(base, 0x50000, gaps, base)
    # Overlaps: later records win, some with the same bytes, one nested, one
    # at the same start.
    overlaps = b"".join([
        record(base, pattern(6, 0x200)),
        record(base + 0x10, pattern(7, 0x20)),
        record(base + 0x100, pattern(6, 0x200)[0x100:0x180]),  # the same bytes
        record(base + 0x1F0, pattern(8, 0x40)),
        record(base, pattern(9, 8)),
        record(base + 0x80, pattern(10, 0x300)),
    ])
    yield "overlaps.bin", image(base, 0x400, overlaps, base + 4)
    # A record cut by the end of the file.
    cut = image(base, 0x100, record(base, pattern(11, 0x40)) + record(base + 0x80, pattern(12, 0x60)))
    yield "cut.bin", cut[:-0x25]
    # The top of the address space: a record that ends exactly at 2^32, one
    # that runs past it, and a window that runs past it too.
    top = b"".join([
        record(0xFFFF0000, pattern(13, 0x100)),
        record(0xFFFFFFE0, pattern(14, 0x20)),
        record(0xFFFFFF00, pattern(15, 0x10)),
        record(0xFFFFFFF8, pattern(16, 0x18)),
    ])
    yield "top.bin", image(0xFFFF0000, 0x10000, top, 0xFFFFFFFC)
    yield "past-top.bin", image(0xFFFFF000, 0x2000, top)
    # Wrong checksums are converted as they are; records outside the window
    # are left out of -flat only.
    wrong = b"".join([
        record(base + 0x10, pattern(17, 0x30), checksum=1),
        record(base - 0x20, pattern(18, 0x40)),
        record(base + 0x1000, pattern(19, 0x10)),
    ])
    yield "checksums.bin", image(base, 0x100, wrong, 0)
    # Many random records in a small window, overlapping as they fall.
    generator = random.Random(20)
    body = b"".join(
        record(base + generator.randrange(0x20000), pattern(100 + i, generator.randrange(1, 600)))
        for i in range(300))
    yield "random.bin", image(base, 0x20400, body, base)
    # Large enough for the conversions to format in a second thread.
    big = random.Random(21)
    large = record(base + 0x10, big.randbytes(3 << 20)) + record(base + 0x400000, big.randbytes(0x1234))
    yield "large.bin", image(base, 0x500000, large, base)


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    for name, data in images():
        with open(os.path.join(sys.argv[1], name), "wb") as file:
            file.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())

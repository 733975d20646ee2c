#!/usr/bin/env python3
"""Draws Rostrel's icon: a white "R" over two waves on a blue tile, 32 x 32 pixels.

Writes rostrel.ico (one 256-colour image, as Windows expects of the executable's icon) and
rostrel.png (the same pixels, for the windows and the Linux desktop). Standard library only, so
the image can be redrawn anywhere: python3 make_icon.py
"""
import math
import os
import struct
import zlib

SIZE = 32
TRANSPARENT = None

# The letter R, 12 x 16, drawn at (6, 3).
LETTER = [
    "##########  ",
    "########### ",
    "###     ####",
    "###      ###",
    "###      ###",
    "###      ###",
    "###     ####",
    "########### ",
    "##########  ",
    "###   ###   ",
    "###    ###  ",
    "###    ###  ",
    "###     ### ",
    "###     ### ",
    "###      ###",
    "###      ###",
]


def blue(y):
    """The tile's background: a vertical gradient from deep to brighter blue."""
    t = y / (SIZE - 1)
    return (int(10 + 30 * t), int(60 + 70 * t), int(150 + 80 * t))


def draw():
    pixels = [[TRANSPARENT] * SIZE for _ in range(SIZE)]
    radius = 5
    for y in range(SIZE):
        for x in range(SIZE):
            # Rounded corners: outside the quarter circles the icon is transparent.
            cx = min(max(x, radius), SIZE - 1 - radius)
            cy = min(max(y, radius), SIZE - 1 - radius)
            if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius + 2:
                pixels[y][x] = blue(y)
    for row, line in enumerate(LETTER):
        for col, ch in enumerate(line):
            if ch == "#":
                pixels[3 + row][10 + col] = (255, 255, 255)
    # Two waves across the bottom: the swimmer's water.
    for x in range(1, SIZE - 1):
        for base, colour in ((23, (120, 220, 255)), (27, (200, 240, 255))):
            y = base + round(1.6 * math.sin((x + (0 if base == 23 else 3)) * math.pi / 4))
            for dy in (0, 1):
                if pixels[y + dy][x] is not None:
                    pixels[y + dy][x] = colour
    return pixels


def palette_of(pixels):
    colours = sorted({p for row in pixels for p in row if p is not None})
    assert len(colours) <= 255
    return colours + [(0, 0, 0)] * (256 - len(colours))


def write_ico(pixels, path):
    palette = palette_of(pixels)
    index = {c: i for i, c in enumerate(palette)}
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    xor = b""
    for y in reversed(range(SIZE)):  # bottom-up rows
        xor += bytes(index.get(p, 0) if p is not None else 0 for p in pixels[y])
    mask = b""
    for y in reversed(range(SIZE)):
        bits = 0
        for x in range(SIZE):
            bits = (bits << 1) | (1 if pixels[y][x] is None else 0)
        mask += struct.pack(">I", bits)  # 32 pixels make exactly one 4-byte row
    image = header + pal + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


def write_png(pixels, path):
    palette = palette_of(pixels)
    index = {c: i for i, c in enumerate(palette)}
    transparent_index = 255
    raw = b""
    for row in pixels:
        raw += b"\0" + bytes(index[p] if p is not None else transparent_index for p in row)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    alpha = bytes([255] * 255 + [0])
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 3, 0, 0, 0))
    png += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    png += chunk(b"tRNS", alpha)
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    image = draw()
    write_ico(image, os.path.join(here, "rostrel.ico"))
    write_png(image, os.path.join(here, "rostrel.png"))

#!/usr/bin/env python3
"""Draws the program's icon, two database drums joined by an arrow, and writes it as a PNG.

    tools/make_icon.py ui/ferrandine.png
"""
import struct
import sys
import zlib

SIZE = 128
SAMPLES = 4  # per axis, for smooth edges

AMBER = (226, 146, 38)
BLUE = (36, 99, 178)
WHITE = (255, 255, 255)
DARK = (30, 40, 60)


def in_drum(x, y, cx, top, bottom, rx, ry):
    """Returns the colour of a drum (cylinder seen from the side) at (x, y), or None."""
    if abs(x - cx) > rx:
        return None
    dx = (x - cx) / rx
    half = ry * (1 - dx * dx) ** 0.5
    if top - half <= y <= top + half:
        return "lid"
    if top <= y <= bottom + half:
        return "side"
    return None


def colour_at(x, y):
    # The arrow from the source drum (left, amber) to the target drum (right, blue).
    if 54 <= x <= 74 and 76 <= y <= 84:
        return DARK
    if 74 <= x <= 88 and abs(y - 80) <= (88 - x) * 0.9:
        return DARK
    for cx, top, bottom, body in ((30, 40, 100, AMBER), (100, 28, 88, BLUE)):
        part = in_drum(x, y, cx, top, bottom, 24, 9)
        if part == "lid":
            return tuple(min(255, c + 60) for c in body)
        if part == "side":
            bands = (top + 20, top + 40)
            if any(abs(y - b - 9 * (1 - ((x - cx) / 24) ** 2) ** 0.5) < 1.6 for b in bands):
                return WHITE
            return body
    return None


def render():
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # filter type none
        for px in range(SIZE):
            r = g = b = a = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c:
                        r, g, b, a = r + c[0], g + c[1], b + c[2], a + 1
            if a:
                row += bytes((r // a, g // a, b // a, 255 * a // (SAMPLES * SAMPLES)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(raw):
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(png(render()))

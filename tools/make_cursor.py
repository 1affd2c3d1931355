#!/usr/bin/env python3
"""Draws the program's hand cursor and writes it as a Windows cursor file (HAND-M.CUR).

A cursor file is an icon file of type 2 whose directory entry holds the hot spot; its image is a
BITMAPINFOHEADER (height doubled for the mask), 32-bit BGRA rows bottom-up, then a 1-bit AND mask.

    tools/make_cursor.py app/companion/HAND-M.CUR
"""
import struct
import sys

# '#' outline, '.' white fill, ' ' transparent. The tip of the index finger is the hot spot.
HAND = """
      ##
     #..#
     #..#
     #..#
     #..#
     #..###
     #..#..###
     #..#..#..##
  ## #..#..#..#.#
 #..##........#..#
 #...#...........#
  #..............#
  #..............#
   #.............#
   #............#
    #...........#
    #..........#
     #.........#
     #.........#
     ###########
""".strip("\n").split("\n")

SIZE = 32
HOT_X, HOT_Y = 7, 0


def pixels():
    rows = []
    for y in range(SIZE):
        line = HAND[y] if y < len(HAND) else ""
        rows.append([line[x] if x < len(line) else " " for x in range(SIZE)])
    return rows


def cursor_bytes():
    rows = pixels()
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        bits = 0
        for x, cell in enumerate(row):
            if cell == "#":
                colour += bytes((0, 0, 0, 255))
            elif cell == ".":
                colour += bytes((255, 255, 255, 255))
            else:
                colour += bytes((0, 0, 0, 0))
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)  # rows of 32 bits are already 4-byte aligned
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    image = header + colour + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, HOT_X, HOT_Y, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as out:
        out.write(cursor_bytes())

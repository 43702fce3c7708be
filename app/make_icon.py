#!/usr/bin/env python3
"""Draws Corvana's window icon: a 32 x 32, 256-colour .ico of a small 9 x 9
board with a red clue, a blue proved digit and a black searched one, in the
colours the window itself uses. Run: python3 app/make_icon.py app/corvana.ico
"""
import struct
import sys

SIZE = 32
# Palette entries as (r, g, b); index 0 is the frame colour.
PALETTE = [
    (0xDF, 0xDF, 0xFF),  # light blue, the window's background hatch
    (0xFF, 0xFF, 0xFF),  # white cell
    (0x00, 0x00, 0x00),  # grid line, searched digit
    (0xFF, 0x00, 0x00),  # clue
    (0x00, 0x00, 0xFF),  # proved digit
    (0xD5, 0xD5, 0xD5),  # cursor cell
]
FRAME, WHITE, BLACK, RED, BLUE, GREY = range(6)

# 3 x 5 pixel glyphs of the digits drawn into the cells.
GLYPHS = {
    "1": ["010", "110", "010", "010", "111"],
    "5": ["111", "100", "111", "001", "111"],
    "9": ["111", "101", "111", "001", "111"],
}


def draw():
    pixels = [[FRAME] * SIZE for _ in range(SIZE)]
    # Board from 1 to 30: lines every 3 pixels would be too fine, so the icon
    # shows a 3 x 3 board of boxes, each box 9 pixels with a 1-pixel line.
    origin, pitch, cells = 1, 10, 3
    end = origin + pitch * cells
    for y in range(origin, end + 1):
        for x in range(origin, end + 1):
            on_line = (x - origin) % pitch == 0 or (y - origin) % pitch == 0
            pixels[y][x] = BLACK if on_line else WHITE
    cursor_cells = {(1, 1): GREY}
    for (cx, cy), colour in cursor_cells.items():
        for y in range(origin + 1 + cy * pitch, origin + (cy + 1) * pitch):
            for x in range(origin + 1 + cx * pitch, origin + (cx + 1) * pitch):
                pixels[y][x] = colour
    for (cx, cy), digit, colour in [((0, 0), "5", RED), ((1, 1), "9", BLUE), ((2, 2), "1", BLACK),
                                    ((2, 0), "1", RED), ((0, 2), "9", BLACK)]:
        glyph = GLYPHS[digit]
        left = origin + cx * pitch + 4
        top = origin + cy * pitch + 3
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "1":
                    pixels[top + gy][left + gx] = colour
    return pixels


def encode(pixels):
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         SIZE * SIZE + SIZE * 4, 0, 0, 256, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    palette += b"\0" * (4 * (256 - len(PALETTE)))
    xor = b"".join(bytes(row) for row in reversed(pixels))
    and_mask = b"\0" * (SIZE * 4)  # every pixel opaque
    image = header + palette + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "corvana.ico", "wb") as out:
        out.write(encode(draw()))

#!/usr/bin/env python3
"""Draws Bravik's program icon (bravik/res/bravik.ico): a makefile sheet with a
blue "B" and an orange run arrow, at 32x32 and 16x16 in 16 colours and 48x48
in 256 colours. Run it again after changing the drawing; the .ico is committed."""
import struct, sys, os

VGA = [(0,0,0),(128,0,0),(0,128,0),(128,128,0),(0,0,128),(128,0,128),(0,128,128),(192,192,192),
       (128,128,128),(255,0,0),(0,255,0),(255,255,0),(0,0,255),(255,0,255),(0,255,255),(255,255,255)]
BLACK, DGRAY, LGRAY, WHITE, NAVY, BLUE, RED, YELLOW, OLIVE, MAROON = 0, 8, 7, 15, 4, 12, 9, 11, 3, 1

GLYPH_B = ["1110", "1001", "1001", "1110", "1001", "1001", "1110"]

def draw(n):
    img = [[None] * n for _ in range(n)]
    s = n / 32.0
    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < n and 0 <= y < n:
                    img[y][x] = c
    rect(4, 1, 24, 31, DGRAY)          # sheet outline
    rect(5, 2, 23, 30, WHITE)          # sheet
    for i, y in enumerate((21, 24, 27)):
        rect(7, y, 7 + (14 - 3 * i), y + 1, LGRAY)  # text lines
    # the letter B, 7 rows of 4 cells
    cell = 2.2
    for r, row in enumerate(GLYPH_B):
        for c, bit in enumerate(row):
            if bit == "1":
                rect(8 + c * cell, 3.5 + r * cell, 8 + (c + 1) * cell + 0.01, 3.5 + (r + 1) * cell + 0.01, BLUE)
    # run arrow at the lower right
    for y in range(int(14 * s), int(31 * s)):
        half = (31 * s - 14 * s) / 2
        mid = 14 * s + half
        width = int((half - abs(y + 0.5 - mid)) * 1.1)
        for x in range(int(18 * s), int(18 * s) + width):
            if x < n:
                img[y][x] = RED if x > int(18 * s) else MAROON
    return img

def dib(img, bpp, palette):
    n = len(img)
    rows_xor = []
    for y in range(n - 1, -1, -1):
        row = img[y]
        if bpp == 4:
            data = bytearray()
            for x in range(0, n, 2):
                a = row[x] if row[x] is not None else 0
                b = row[x + 1] if row[x + 1] is not None else 0
                data.append((a << 4) | b)
        else:
            data = bytearray((p if p is not None else 0) for p in row)
        while len(data) % 4:
            data.append(0)
        rows_xor.append(bytes(data))
    rows_and = []
    for y in range(n - 1, -1, -1):
        bits = 0
        data = bytearray()
        for x in range(n):
            bits = (bits << 1) | (1 if img[y][x] is None else 0)
            if x % 8 == 7:
                data.append(bits); bits = 0
        while len(data) % 4:
            data.append(0)
        rows_and.append(bytes(data))
    colours = len(palette)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bpp, 0, 0, 0, 0, colours, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + pal + b"".join(rows_xor) + b"".join(rows_and)

def main(out):
    pal256 = VGA + [(i, i, i) for i in range(0, 240)]
    images = [(32, 4, VGA), (16, 4, VGA), (48, 8, pal256)]
    blobs = [(n, bpp, len(pal), dib(draw(n), bpp, pal)) for n, bpp, pal in images]
    offset = 6 + 16 * len(blobs)
    head = struct.pack("<HHH", 0, 1, len(blobs))
    entries = b""
    for n, bpp, colours, blob in blobs:
        entries += struct.pack("<BBBBHHII", n, n, 16 if colours == 16 else 0, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    with open(out, "wb") as f:
        f.write(head + entries + b"".join(b for *_, b in blobs))

if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "bravik", "res", "bravik.ico"))

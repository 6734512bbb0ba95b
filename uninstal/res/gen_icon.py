#!/usr/bin/env python3
"""Draws UnInstal's program icon (uninstal.ico): a program window over an open
box with a red cross, at 32x32 and 16x16 in 16 colours. Run it again after
changing the drawing; the .ico is committed."""
import os
import struct
import sys

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, NAVY, LGRAY, DGRAY, RED, BLUE, WHITE, OLIVE, YELLOW = 0, 1, 4, 7, 8, 9, 12, 15, 3, 11


def draw(n):
    img = [[None] * n for _ in range(n)]
    s = n / 32.0

    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), max(int(y1 * s), int(y0 * s) + 1)):
            for x in range(int(x0 * s), max(int(x1 * s), int(x0 * s) + 1)):
                if 0 <= x < n and 0 <= y < n:
                    img[y][x] = c

    # the box: front, dark sides, open lid
    rect(4, 17, 28, 31, DGRAY)
    rect(5, 18, 27, 30, OLIVE)
    rect(5, 18, 27, 20, YELLOW)
    # the program window rising out of it
    rect(8, 2, 26, 17, BLACK)
    rect(9, 3, 25, 5, NAVY)
    rect(9, 5, 25, 16, WHITE)
    for y in (7, 10, 13):
        rect(11, y, 23, y + 1, LGRAY)
    # a red cross over the window's lower right
    for i in range(int(13 * s)):
        for d in range(max(1, int(2 * s))):
            for x, y in ((int(15 * s) + i + d, int(9 * s) + i), (int(15 * s) + i + d, int(21 * s) - i)):
                if 0 <= x < n and 0 <= y < n:
                    img[y][x] = RED
    return img


def dib(img):
    n = len(img)
    xor_rows, and_rows = [], []
    for y in range(n - 1, -1, -1):
        row = img[y]
        data = bytearray()
        for x in range(0, n, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            data.append((a << 4) | b)
        while len(data) % 4:
            data.append(0)
        xor_rows.append(bytes(data))
        mask = bytearray()
        bits = 0
        for x in range(n):
            bits = (bits << 1) | (1 if row[x] is None else 0)
            if x % 8 == 7:
                mask.append(bits)
                bits = 0
        if n % 8:
            mask.append(bits << (8 - n % 8))
        while len(mask) % 4:
            mask.append(0)
        and_rows.append(bytes(mask))
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in VGA)
    return header + palette + b"".join(xor_rows) + b"".join(and_rows)


def main(out):
    blobs = [(n, dib(draw(n))) for n in (32, 16)]
    offset = 6 + 16 * len(blobs)
    entries, images = b"", b""
    for n, blob in blobs:
        entries += struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        images += blob
    with open(out, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(blobs)) + entries + images)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "uninstal.ico"))

#!/usr/bin/env python3
"""Draws Bravik's toolbar images: bravik/res/toolbar_small.bmp (seven 16x15
images, 112x15) and bravik/res/toolbar_large.bmp (seven 21x20 images,
147x20), 16 colours, uncompressed. In order: open, settings, run, edit, help,
information, exit. The background is the standard light grey and the 3-D
greys, black and white are the standard ones, so that the toolbar maps them
to the system's colours of buttons. Run it again after changing the drawing;
the .bmp files are committed. With --preview DIR it also writes enlarged PPM
copies for looking at."""
import math
import os
import struct
import sys

VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
       (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, LGRAY, DGRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, CYAN, WHITE = range(16)


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[LGRAY] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def mask_poly(self, pts):
        """Pixels whose centres lie inside the polygon (even-odd rule)."""
        m = set()
        for y in range(self.h):
            for x in range(self.w):
                cx, cy = x + 0.5, y + 0.5
                inside = False
                j = len(pts) - 1
                for i in range(len(pts)):
                    xi, yi = pts[i]
                    xj, yj = pts[j]
                    if (yi > cy) != (yj > cy) and cx < (xj - xi) * (cy - yi) / (yj - yi) + xi:
                        inside = not inside
                    j = i
                if inside:
                    m.add((x, y))
        return m

    def mask_circle(self, cx, cy, r):
        return {(x, y) for y in range(self.h) for x in range(self.w)
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r}

    def mask_rect(self, x0, y0, x1, y1):
        """Pixels x0..x1-1, y0..y1-1 (integers)."""
        return {(x, y) for y in range(y0, y1) for x in range(x0, x1)}

    def paint(self, mask, fill, outline=None):
        for (x, y) in mask:
            self.set(x, y, fill)
        if outline is not None:
            for (x, y) in edge(mask):
                self.set(x, y, outline)

    def pixels(self, mask, c):
        for (x, y) in mask:
            self.set(x, y, c)

    def glyph(self, rows, x0, y0, c):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.set(x0 + dx, y0 + dy, c)


def edge(mask):
    return {(x, y) for (x, y) in mask
            if any((x + dx, y + dy) not in mask for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))}


def shifted(mask, dx, dy):
    return {(x + dx, y + dy) for (x, y) in mask}


# Each drawing takes a canvas of the image's size; S is the scale from the
# 16x15 design grid (1.0 small, about 1.3 large).

def draw_open(c):
    w, h = c.w, c.h
    s = w / 16.0
    back = c.mask_poly([(0.5 * s, 2.5 * s), (5 * s, 2.5 * s), (6.5 * s, 4 * s), (13 * s, 4 * s),
                        (13 * s, h - 2.5 * s), (0.5 * s, h - 2.5 * s)])
    c.paint(back, YELLOW, BLACK)
    c.pixels({(x, y) for (x, y) in back - edge(back) if x == min(p[0] for p in back) + 1}, WHITE)
    front = c.mask_poly([(3.5 * s, 6.5 * s), (w - 0.3 * s, 6.5 * s), (w - 3.2 * s, h - 2.5 * s),
                         (0.5 * s, h - 2.5 * s)])
    c.paint(front, OLIVE, BLACK)
    top = min(y for (_, y) in front)
    c.pixels({(x, y) for (x, y) in front - edge(front) if y == top + 1}, YELLOW)
    # a green arrow out of the folder: something comes from a file
    ax = int(9 * s)
    arrow = ["..k..", ".kGk.", "kGGGk", ".kGk.", ".kGk."] if w < 20 else \
            ["...k...", "..kGk..", ".kGGGk.", "kGGGGGk", "..kGk..", "..kGk..", "..kGk.."]
    for dy, row in enumerate(arrow):
        for dx, ch in enumerate(row):
            if ch == "k":
                c.set(ax + dx, dy, GREEN)
            elif ch == "G":
                c.set(ax + dx, dy, LIME)


def draw_settings(c):
    w, h = c.w, c.h
    cx, cy = w / 2.0, h / 2.0
    r_out = min(w, h) / 2.0 - 0.2
    r_in = r_out * 0.72
    r_hole = r_out * 0.30
    teeth = 8
    body = set()
    for y in range(h):
        for x in range(w):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            r = math.hypot(dx, dy)
            a = (math.atan2(dy, dx) / (2 * math.pi) * teeth) % 1.0
            if r <= r_in or (r <= r_out and (a < 0.28 or a > 0.72)):
                body.add((x, y))
    hole = c.mask_circle(cx, cy, r_hole)
    body -= hole
    c.paint(body, TEAL, BLACK)
    # light from the upper left
    inner = body - edge(body)
    for (x, y) in inner:
        if (x + 0.5 - cx) + (y + 0.5 - cy) < -r_in * 0.55:
            c.set(x, y, CYAN)
    for (x, y) in hole:
        c.set(x, y, LGRAY)
    ring = {(x, y) for (x, y) in body if any((x + dx, y + dy) in hole for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))}
    c.pixels(ring, BLACK)


def draw_run(c):
    w, h = c.w, c.h
    s = w / 16.0
    tri = c.mask_poly([(3.5 * s, 1 * s), (3.5 * s, h - 1 * s), (w - 1.5 * s, h / 2.0)])
    c.paint(tri, LIME, BLACK)
    inner = tri - edge(tri)
    for (x, y) in inner:
        if y + 0.5 > h / 2.0 + 0.5 and (x, y + 1) not in inner:
            c.set(x, y, GREEN)
    for (x, y) in inner:
        if (x - 1, y) not in inner:
            c.set(x, y, WHITE)


def draw_edit(c):
    w, h = c.w, c.h
    s = w / 16.0
    sheet = c.mask_rect(int(1 * s), int(0.5 * s), int(11 * s), h - int(0.5 * s))
    c.paint(sheet, WHITE, BLACK)
    x0, x1 = int(1 * s) + 2, int(11 * s) - 2
    y = int(0.5 * s) + 2
    while y < h - int(0.5 * s) - 2:
        for x in range(x0, x1 - (2 if (y // 2) % 2 else 0)):
            c.set(x, y, DGRAY)
        y += 2
    # the pencil, from the upper right down to its tip at the lower left
    L = 12.5 * s
    ux, uy = -0.62, 0.78
    nx, ny = 0.78, 0.62
    tx, ty = w - 0.8 * s, 0.6 * s          # top end
    half = 1.55 * s
    def p(t, o):
        return (tx + ux * t + nx * o, ty + uy * t + ny * o)
    body = c.mask_poly([p(0, -half), p(0, half), p(L * 0.72, half), p(L * 0.72, -half)])
    end = c.mask_poly([p(0, -half), p(0, half), p(L * 0.16, half), p(L * 0.16, -half)])
    tip = c.mask_poly([p(L * 0.72, -half), p(L * 0.72, half), p(L, 0)])
    c.paint(body | tip, YELLOW, BLACK)
    c.paint(end, RED, BLACK)
    wood = {q for q in tip if ((q[0] + 0.5 - p(L, 0)[0]) ** 2 + (q[1] + 0.5 - p(L, 0)[1]) ** 2) > (2.2 * s) ** 2}
    c.pixels(wood - edge(tip), WHITE)
    lead = {q for q in tip if ((q[0] + 0.5 - p(L, 0)[0]) ** 2 + (q[1] + 0.5 - p(L, 0)[1]) ** 2) <= (1.6 * s) ** 2}
    c.pixels(lead, BLACK)
    shade = {q for q in (body - end - edge(body)) if (q[0] + 0.5 - tx) * nx + (q[1] + 0.5 - ty) * ny > half * 0.25}
    c.pixels(shade, OLIVE)


QUESTION_SMALL = [".kkkk.", "kk..kk", "....kk", "...kk.", "..kk..", "..kk..", "......", "..kk.."]
QUESTION_LARGE = [".kkkkk.", "kkk.kkk", "kk...kk", ".....kk", "....kk.", "...kk..", "...kk..",
                  ".......", "...kk..", "...kk.."]


def draw_help(c):
    w, h = c.w, c.h
    s = w / 16.0
    # a closed book, seen from the front, with a question mark on its cover
    cover = c.mask_rect(int(2 * s), int(0.5 * s), w - int(2 * s), h - int(0.5 * s))
    c.paint(cover, BLUE, BLACK)
    spine = {(x, y) for (x, y) in cover if x < min(p[0] for p in cover) + max(2, int(2 * s))}
    c.paint(spine, NAVY, BLACK)
    pages = {(x, y) for (x, y) in cover if y == max(p[1] for p in cover) - 1 and x > min(p[0] for p in spine) + 1}
    c.pixels(pages - edge(cover), WHITE)
    g = QUESTION_SMALL if w < 20 else QUESTION_LARGE
    gx = (min(p[0] for p in spine) + max(p[0] for p in cover)) // 2 - len(g[0]) // 2 + 1
    gy = (h - len(g)) // 2 - (0 if w < 20 else 1)
    c.glyph(g, gx, gy, YELLOW)


I_SMALL = ["kk", "..", "kk", "kk", "kk", "kk"]
I_LARGE = [".kk.", ".kk.", "....", "kkk.", ".kk.", ".kk.", ".kk.", ".kk.", "kkkk"]


def draw_info(c):
    w, h = c.w, c.h
    cx, cy = w / 2.0, h / 2.0
    r = min(w, h) / 2.0 - 0.3
    disc = c.mask_circle(cx, cy, r)
    c.paint(disc, WHITE, BLUE)
    rim = {(x, y) for (x, y) in disc - edge(disc) if any((x + dx, y + dy) not in disc - edge(disc)
                                                          for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))}
    c.pixels({q for q in rim if q[0] + q[1] > cx + cy}, DGRAY)
    g = I_SMALL if w < 20 else I_LARGE
    c.glyph(g, int(cx) - len(g[0]) // 2, int(cy) - len(g) // 2, BLUE)


def draw_exit(c):
    w, h = c.w, c.h
    s = w / 16.0
    # a dark doorway with its door swung open and an arrow leaving through it
    frame = c.mask_rect(int(1 * s), int(0.5 * s), int(9.5 * s), h - int(0.5 * s))
    c.paint(frame, BLACK, DGRAY)
    door = c.mask_poly([(1 * s, 0.5 * s), (5.5 * s, 2.4 * s), (5.5 * s, h + 0.4 * s), (1 * s, h - 0.5 * s)])
    c.paint(door, MAROON, BLACK)
    c.set(int(4.4 * s), int(h / 2.0 + 0.8 * s), YELLOW)
    ay = h / 2.0
    arrow = c.mask_poly([(6 * s, ay - 1.2 * s), (10.5 * s, ay - 1.2 * s), (10.5 * s, ay - 3.6 * s),
                         (w - 0.2 * s, ay), (10.5 * s, ay + 3.6 * s), (10.5 * s, ay + 1.2 * s),
                         (6 * s, ay + 1.2 * s)])
    c.paint(arrow, RED, BLACK)


DRAWINGS = [draw_open, draw_settings, draw_run, draw_edit, draw_help, draw_info, draw_exit]


def strip(w, h):
    images = []
    for d in DRAWINGS:
        c = Canvas(w, h)
        d(c)
        images.append(c)
    rows = []
    for y in range(h):
        row = []
        for c in images:
            row.extend(c.px[y])
        rows.append(row)
    return rows


def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    stride = ((w * 4 + 31) // 32) * 4
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        row = rows[y] + [0]
        for x in range(0, w, 2):
            line.append((row[x] << 4) | (row[x + 1] if x + 1 < w else 0))
        line.extend(b"\0" * (stride - len(line)))
        data += line
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(data), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + palette + data)


def write_preview(path, rows, zoom=10):
    h, w = len(rows), len(rows[0])
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (w * zoom, h * zoom))
        for y in range(h):
            line = bytearray()
            for x in range(w):
                r, g, b = VGA[rows[y][x]]
                line += bytes((r, g, b)) * zoom
            f.write(bytes(line) * zoom)


def main(argv):
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bravik", "res")
    preview = None
    if len(argv) > 2 and argv[1] == "--preview":
        preview = argv[2]
    for name, w, h in (("toolbar_small", 16, 15), ("toolbar_large", 21, 20)):
        rows = strip(w, h)
        assert len(rows) == h and len(rows[0]) == 7 * w
        write_bmp(os.path.join(res, name + ".bmp"), rows)
        if preview:
            write_preview(os.path.join(preview, name + ".ppm"), rows)


if __name__ == "__main__":
    main(sys.argv)

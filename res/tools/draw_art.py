#!/usr/bin/env python3
"""Draws the program's pictures: the toolbar strip (toolbar.bmp, eight 24x24
images with alpha), the program icon (tallybox.ico, 16/32/48), the picture
of the self-extracting programs (tb.bmp), the archive editor's six picture
buttons, up and pressed (editor/*.bmp), and the installer's picture
(installer/wizard.bmp). Run it after changing a drawing:

    python3 res/tools/draw_art.py

Shapes are drawn four times larger and averaged down, which gives smooth edges.
"""
import math
import os
import struct

SS = 4  # supersampling factor


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w * SS, h * SS
        self.ow, self.oh = w, h
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * self.w for _ in range(self.h)]

    def _blend(self, x, y, c):
        r, g, b, a = c
        if a <= 0:
            return
        pr, pg, pb, pa = self.px[y][x]
        oa = a + pa * (1 - a)
        if oa <= 0:
            return
        self.px[y][x] = ((r * a + pr * pa * (1 - a)) / oa, (g * a + pg * pa * (1 - a)) / oa,
                         (b * a + pb * pa * (1 - a)) / oa, oa)

    def fill(self, inside, color, box=None):
        """Fills every subpixel whose centre (in output units) satisfies inside(x, y)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.ow, self.oh)
        for sy in range(max(0, int(y0 * SS)), min(self.h, int(math.ceil(y1 * SS)))):
            fy = (sy + 0.5) / SS
            for sx in range(max(0, int(x0 * SS)), min(self.w, int(math.ceil(x1 * SS)))):
                fx = (sx + 0.5) / SS
                if inside(fx, fy):
                    c = color(fx, fy) if callable(color) else color
                    self._blend(sx, sy, c)

    def rect(self, x0, y0, x1, y1, color, radius=0.0):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            if radius <= 0:
                return True
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
        self.fill(inside, color, (x0, y0, x1, y1))

    def ellipse(self, cx, cy, rx, ry, color):
        self.fill(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0, color,
                  (cx - rx, cy - ry, cx + rx, cy + ry))

    def ring(self, cx, cy, r_out, r_in, color):
        self.fill(lambda x, y: r_in ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out ** 2, color,
                  (cx - r_out, cy - r_out, cx + r_out, cy + r_out))

    def polygon(self, points, color):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            odd = False
            j = len(points) - 1
            for i in range(len(points)):
                xi, yi = points[i]
                xj, yj = points[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    odd = not odd
                j = i
            return odd
        self.fill(inside, color, (min(xs), min(ys), max(xs), max(ys)))

    def line(self, x0, y0, x1, y1, width, color):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], color)

    def pixels(self):
        """Averages the subpixels down; returns rows of (r, g, b, a) bytes, top row first."""
        out = []
        for y in range(self.oh):
            row = []
            for x in range(self.ow):
                r = g = b = a = 0.0
                for sy in range(y * SS, y * SS + SS):
                    for sx in range(x * SS, x * SS + SS):
                        pr, pg, pb, pa = self.px[sy][sx]
                        r += pr * pa
                        g += pg * pa
                        b += pb * pa
                        a += pa
                n = SS * SS
                if a > 0:
                    row.append((int(r / a * 255 + 0.5), int(g / a * 255 + 0.5), int(b / a * 255 + 0.5),
                                int(a / n * 255 + 0.5)))
                else:
                    row.append((0, 0, 0, 0))
            out.append(row)
        return out


def rgb(hexcode, alpha=1.0):
    return (int(hexcode[0:2], 16) / 255, int(hexcode[2:4], 16) / 255, int(hexcode[4:6], 16) / 255, alpha)


def vgrad(top, bottom, y0, y1):
    def color(x, y):
        t = min(max((y - y0) / max(y1 - y0, 1e-6), 0.0), 1.0)
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(4))
    return color


OUTLINE = rgb("5a4318")
BOX_TOP = rgb("f7dc8c")
BOX_BOTTOM = rgb("d9a93f")
ZIP_DARK = rgb("4d4d4d")
PAPER = rgb("ffffff")
PAPER_EDGE = rgb("7d7d7d")
BLUE = rgb("2f6fd0")
BLUE_DARK = rgb("1d4a94")
GREEN = rgb("2e9a3a")
GREEN_DARK = rgb("1d6a27")


def archive_box(c, x0, y0, x1, y1):
    """A ZIP archive: a golden box with a zipper running down its middle."""
    c.rect(x0, y0, x1, y1, OUTLINE, radius=1.5)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, vgrad(BOX_TOP, BOX_BOTTOM, y0, y1), radius=1.0)
    c.rect(x0 + 1, y0 + (y1 - y0) * 0.28, x1 - 1, y0 + (y1 - y0) * 0.28 + 1.0, rgb("b8862a"))
    mid = (x0 + x1) / 2
    y = y0 + 1.5
    step = 0
    while y < y1 - 2:
        off = 0.9 if step % 2 == 0 else -0.9
        c.rect(mid - 0.8 + off, y, mid + 0.8 + off, y + 1.2, ZIP_DARK)
        y += 1.6
        step += 1
    c.rect(mid - 1.6, y0 + (y1 - y0) * 0.55, mid + 1.6, y0 + (y1 - y0) * 0.55 + 2.6, rgb("8a8a8a"), radius=0.6)


def page(c, x0, y0, x1, y1):
    fold = (x1 - x0) * 0.32
    c.polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], PAPER_EDGE)
    c.polygon([(x0 + 1, y0 + 1), (x1 - fold - 0.4, y0 + 1), (x1 - 1, y0 + fold + 0.4), (x1 - 1, y1 - 1),
               (x0 + 1, y1 - 1)], PAPER)
    c.polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)], rgb("d0d0d0"))
    for i in range(4):
        yy = y0 + fold + 2.2 + i * 2.6
        if yy < y1 - 2:
            c.rect(x0 + 2.5, yy, x1 - 2.5 - (i % 2) * 2, yy + 1.0, rgb("a9b8cf"))


def arrow(c, cx, y_tail, y_head, width, color, dark):
    """A vertical arrow from y_tail to y_head (pointing up when y_head < y_tail)."""
    up = y_head < y_tail
    head = 4.6 if width > 2.5 else 3.8
    y_base = y_head + head if up else y_head - head
    c.polygon([(cx - width / 2, y_tail), (cx + width / 2, y_tail), (cx + width / 2, y_base),
               (cx + width / 2 + 2.6, y_base), (cx, y_head), (cx - width / 2 - 2.6, y_base),
               (cx - width / 2, y_base)], dark)
    c.polygon([(cx - width / 2 + 0.7, y_tail - (0.7 if up else -0.7)), (cx + width / 2 - 0.7, y_tail - (0.7 if up else -0.7)),
               (cx + width / 2 - 0.7, y_base + (0.4 if up else -0.4)), (cx + width / 2 + 1.2, y_base + (0.4 if up else -0.4)),
               (cx, y_head + (1.1 if up else -1.1)), (cx - width / 2 - 1.2, y_base + (0.4 if up else -0.4)),
               (cx - width / 2 + 0.7, y_base + (0.4 if up else -0.4))], color)


def pencil(c, x0, y0, x1, y1):
    c.line(x0, y0, x1, y1, 3.6, rgb("3b3b3b"))
    c.line(x0, y0, x1, y1, 2.2, rgb("f0b429"))
    dx, dy = x1 - x0, y1 - y0
    n = math.hypot(dx, dy)
    tx, ty = x1 + dx / n * 2.6, y1 + dy / n * 2.6
    nx, ny = -dy / n * 1.8, dx / n * 1.8
    c.polygon([(x1 + nx, y1 + ny), (tx, ty), (x1 - nx, y1 - ny)], rgb("e8c9a0"))
    c.ellipse(tx - dx / n * 0.5, ty - dy / n * 0.5, 0.7, 0.7, rgb("333333"))
    c.line(x0, y0, x0 + dx / n * 1.6, y0 + dy / n * 1.6, 3.2, rgb("e06666"))


def gear(c, cx, cy, r):
    teeth = 8
    for i in range(teeth):
        a = i * 2 * math.pi / teeth
        ca, sa = math.cos(a), math.sin(a)
        w = 1.9
        pts = [(-w, r - 1.5), (w, r - 1.5), (w * 0.8, r + 2.4), (-w * 0.8, r + 2.4)]
        c.polygon([(cx + px * ca - py * sa, cy + px * sa + py * ca) for px, py in pts], rgb("5c6670"))
    c.ellipse(cx, cy, r, r, rgb("5c6670"))
    c.ellipse(cx, cy, r - 1.0, r - 1.0, vgrad(rgb("c9d1d9"), rgb("8b96a1"), cy - r, cy + r))
    c.ellipse(cx, cy, r * 0.42, r * 0.42, rgb("5c6670"))
    c.ellipse(cx, cy, r * 0.42 - 1.0, r * 0.42 - 1.0, rgb("f2f2f2"))


def magnifier(c, cx, cy, r):
    c.line(cx + r * 0.6, cy + r * 0.6, cx + r * 1.75, cy + r * 1.75, 3.6, rgb("3a2a14"))
    c.line(cx + r * 0.6, cy + r * 0.6, cx + r * 1.75, cy + r * 1.75, 2.0, rgb("8c5a2b"))
    c.ring(cx, cy, r, r - 1.8, rgb("404850"))
    c.ellipse(cx, cy, r - 1.8, r - 1.8, rgb("bfe3ff", 0.75))
    c.ellipse(cx - r * 0.3, cy - r * 0.3, r * 0.25, r * 0.25, rgb("ffffff", 0.9))


def drive(c, x0, y0, x1, y1):
    c.rect(x0, y0, x1, y1, rgb("3d4650"), radius=1.5)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, vgrad(rgb("dfe4ea"), rgb("98a3ae"), y0, y1), radius=1.0)
    c.ellipse(x1 - 3.2, (y0 + y1) / 2, 1.1, 1.1, rgb("2ecc40"))
    c.rect(x0 + 2.5, (y0 + y1) / 2 - 0.5, x0 + 9, (y0 + y1) / 2 + 0.5, rgb("6b7782"))


def tool_archive_now(c):
    archive_box(c, 3, 9, 21, 23)
    arrow(c, 12, 0.5, 12.5, 3.4, GREEN, GREEN_DARK)


def tool_edit_create(c):
    page(c, 3, 1, 17, 22)
    pencil(c, 21.5, 6, 11, 17.5)
    c.rect(16, 16, 23, 18, GREEN_DARK)
    c.rect(18.5, 13.5, 20.5, 20.5, GREEN_DARK)


def tool_edit_archive(c):
    archive_box(c, 2, 6, 18, 22)
    pencil(c, 22.5, 3, 13, 13.5)


def tool_settings(c):
    gear(c, 12, 12, 7.0)


def tool_open_file(c):
    page(c, 2, 3, 15, 23)
    c.polygon([(12, 16), (18.5, 9.5), (16, 7), (23, 7), (23, 14), (20.5, 11.5), (14, 18)], BLUE_DARK)
    c.polygon([(13.2, 16), (19.5, 9.7), (17.6, 7.8), (22.2, 7.8), (22.2, 12.4), (20.3, 10.5), (14, 16.8)], BLUE)


def tool_extract(c):
    archive_box(c, 3, 11, 21, 23)
    arrow(c, 12, 14.5, 0.5, 3.4, BLUE, BLUE_DARK)


def tool_find(c):
    archive_box(c, 1, 3, 14, 16)
    magnifier(c, 14, 13, 5.5)


def tool_backup(c):
    drive(c, 2, 15, 22, 22.5)
    archive_box(c, 5, 1.5, 19, 13.5)


def folder_open(c, x0, y0, x1, y1):
    """An open folder, its front flap tilted towards the viewer."""
    back = rgb("c98f22")
    c.polygon([(x0, y0 + 2), (x0 + 5, y0 + 2), (x0 + 7, y0), (x1 - 2, y0), (x1 - 2, y1), (x0, y1)], OUTLINE)
    c.polygon([(x0 + 1, y0 + 3), (x0 + 5.4, y0 + 3), (x0 + 7.4, y0 + 1), (x1 - 3, y0 + 1), (x1 - 3, y1 - 1),
               (x0 + 1, y1 - 1)], back)
    c.polygon([(x0 + 3, y0 + 6), (x1, y0 + 6), (x1 - 3, y1), (x0, y1)], OUTLINE)
    c.polygon([(x0 + 3.8, y0 + 7), (x1 - 1.2, y0 + 7), (x1 - 3.6, y1 - 1), (x0 + 1.2, y1 - 1)],
              vgrad(BOX_TOP, BOX_BOTTOM, y0 + 6, y1))


def check_mark(c, x, y, size, color, dark):
    c.line(x, y + size * 0.5, x + size * 0.38, y + size * 0.9, size * 0.3, dark)
    c.line(x + size * 0.38, y + size * 0.9, x + size, y, size * 0.3, dark)
    c.line(x, y + size * 0.5, x + size * 0.38, y + size * 0.9, size * 0.17, color)
    c.line(x + size * 0.38, y + size * 0.9, x + size, y, size * 0.17, color)


def button_open_archive(c):
    folder_open(c, 1, 7, 23, 22)
    archive_box(c, 9, 1, 20, 12)


def button_extract(c):
    tool_extract(c)


def button_locate(c):
    page(c, 2, 1, 15, 21)
    magnifier(c, 13, 12, 5.5)


def button_settings(c):
    tool_settings(c)


def button_archive(c):
    tool_archive_now(c)


def button_archive_files(c):
    archive_box(c, 1, 9, 17, 23)
    arrow(c, 9, 0.5, 12.5, 3.2, GREEN, GREEN_DARK)
    c.ellipse(18, 17.5, 5.8, 5.8, GREEN_DARK)
    c.ellipse(18, 17.5, 4.8, 4.8, GREEN)
    check_mark(c, 15.2, 15, 5.6, rgb("ffffff"), rgb("ffffff"))


def button_picture(draw, pressed, width=48, height=40):
    """A raised button face (sunken when pressed) with a 24x24 drawing in its middle."""
    face = Canvas(width, height)
    light, shadow, dark = rgb("ffffff"), rgb("a0a0a0"), rgb("606060")
    face.rect(0, 0, width, height, dark)
    face.rect(0, 0, width - 1, height - 1, shadow if pressed else light)
    face.rect(1, 1, width - 1, height - 1, light if pressed else shadow)
    top, bottom = (rgb("dcdcdc"), rgb("ececec")) if pressed else (rgb("fbfbfb"), rgb("e2e2e2"))
    face.rect(1, 1, width - 2, height - 2, vgrad(top, bottom, 1, height - 2))
    rows = flatten(face.pixels(), (240, 240, 240))
    art = Canvas(24, 24)
    draw(art)
    art_rows = art.pixels()
    shift = 1 if pressed else 0
    left, top_edge = (width - 24) // 2 + shift, (height - 24) // 2 + shift
    for y in range(24):
        for x in range(24):
            r, g, b, a = art_rows[y][x]
            br, bg, bb, _ = rows[y + top_edge][x + left]
            rows[y + top_edge][x + left] = (int((r * a + br * (255 - a)) / 255), int((g * a + bg * (255 - a)) / 255),
                                            int((b * a + bb * (255 - a)) / 255), 255)
    return rows


EDITOR_BUTTONS = [("open_existing_archive", button_open_archive), ("extract_files", button_extract),
                  ("locate_files", button_locate), ("settings", button_settings), ("archive", button_archive),
                  ("archive_files", button_archive_files)]


def program_icon(c, size):
    s = size / 32.0
    c.rect(2 * s, 6 * s, 30 * s, 30 * s, OUTLINE, radius=2.5 * s)
    c.rect(3.2 * s, 7.2 * s, 28.8 * s, 28.8 * s, vgrad(BOX_TOP, BOX_BOTTOM, 6 * s, 30 * s), radius=1.8 * s)
    c.polygon([(2 * s, 9 * s), (7 * s, 2 * s), (25 * s, 2 * s), (30 * s, 9 * s)], OUTLINE)
    c.polygon([(3.6 * s, 8.4 * s), (7.6 * s, 3.2 * s), (24.4 * s, 3.2 * s), (28.4 * s, 8.4 * s)],
              vgrad(rgb("fff1c4"), rgb("f2cf6e"), 2 * s, 9 * s))
    mark = rgb("3a2a10")
    width = max(1.0, 2.0 * s)
    for i in range(4):
        x = (8.5 + i * 4.2) * s
        c.line(x, 13 * s, x, 25 * s, width, mark)
    c.line(6.5 * s, 23.5 * s, 23.5 * s, 14.5 * s, width, rgb("c0392b"))


def bmp32(rows):
    """A bottom-up 32-bit BMP file with an alpha channel."""
    h = len(rows)
    w = len(rows[0])
    data = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + bytes(data)


def bmp24(rows):
    h = len(rows)
    w = len(rows[0])
    pad = (4 - (w * 3) % 4) % 4
    data = bytearray()
    for row in reversed(rows):
        for r, g, b, _ in row:
            data += bytes((b, g, r))
        data += b"\0" * pad
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + bytes(data)


def ico(images):
    """An .ico file of 32-bit images (each with its AND mask)."""
    entries = b""
    blobs = b""
    offset = 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = header + bytes(xor) + bytes(mask)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


def flatten(rows, background):
    out = []
    for row in rows:
        out.append([tuple(int(c * a / 255 + background[i] * (255 - a) / 255 + 0.5) for i, c in enumerate((r, g, b))) + (255,)
                    for r, g, b, a in row])
    return out


def icon_picture(width, height, icon_size, x0, y0):
    """The program icon at (x0, y0) on the blue of the pictures, as opaque rows."""
    c = Canvas(width, height)
    c.rect(0, 0, width, height, vgrad(rgb("1f3c66"), rgb("4a7fc1"), 0, height))
    rows = flatten(c.pixels(), (255, 255, 255))
    icon = Canvas(icon_size, icon_size)
    program_icon(icon, icon_size)
    for y, icon_row in enumerate(icon.pixels()):
        for x, (r, g, b, a) in enumerate(icon_row):
            br, bg, bb, _ = rows[y + y0][x + x0]
            rows[y + y0][x + x0] = (int((r * a + br * (255 - a)) / 255), int((g * a + bg * (255 - a)) / 255),
                                    int((b * a + bb * (255 - a)) / 255), 255)
    return rows


def reduce_colours(rows, limit=256):
    """The rows with at most `limit` colours: the most used ones are kept and
    every other pixel takes the nearest of them (the soft edges of a drawing
    on a gradient, which the eye does not tell apart)."""
    counts = {}
    for row in rows:
        for r, g, b, _ in row:
            counts[(r, g, b)] = counts.get((r, g, b), 0) + 1
    if len(counts) <= limit:
        return rows
    kept = [c for c, _ in sorted(counts.items(), key=lambda item: (-item[1], item[0]))[:limit]]
    nearest = {}
    for colour in counts:
        nearest[colour] = min(kept, key=lambda k: sum((a - b) ** 2 for a, b in zip(k, colour)))
    return [[nearest[(r, g, b)] + (a,) for r, g, b, a in row] for row in rows]


def bmp8(rows, reduce=False):
    """A bottom-up 8-bit BMP file with a palette of exactly the colours used;
    a picture of more than 256 colours is written as a 24-bit BMP instead,
    unless it may be reduced to 256."""
    if reduce:
        rows = reduce_colours(rows)
    h = len(rows)
    w = len(rows[0])
    palette = {}
    for row in rows:
        for r, g, b, _ in row:
            palette.setdefault((r, g, b), len(palette))
    if len(palette) > 256:
        return bmp24(rows)
    pad = (4 - w % 4) % 4
    data = bytearray()
    for row in reversed(rows):
        for r, g, b, _ in row:
            data.append(palette[(r, g, b)])
        data += b"\0" * pad
    table = bytearray()
    for (r, g, b) in palette:
        table += bytes((b, g, r, 0))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(data), 2835, 2835, len(palette), 0)
    offset = 14 + len(header) + len(table)
    return struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) + header + bytes(table) + bytes(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    res = os.path.dirname(here)
    tools = [tool_archive_now, tool_edit_create, tool_edit_archive, tool_settings, tool_open_file,
             tool_extract, tool_find, tool_backup]
    strip = [[] for _ in range(24)]
    for draw in tools:
        c = Canvas(24, 24)
        draw(c)
        for y, row in enumerate(c.pixels()):
            strip[y].extend(row)
    with open(os.path.join(res, "toolbar.bmp"), "wb") as f:
        f.write(bmp32(strip))

    icons = []
    for size in (16, 32, 48):
        c = Canvas(size, size)
        program_icon(c, size)
        icons.append(c.pixels())
    with open(os.path.join(res, "tallybox.ico"), "wb") as f:
        f.write(ico(icons))

    # The picture beside the self-extracting programs' messages.
    with open(os.path.join(res, "tb.bmp"), "wb") as f:
        f.write(bmp8(icon_picture(96, 128, 64, 16, 32), reduce=True))
    # The picture on the left of the installer's welcome and finish pages.
    with open(os.path.join(os.path.dirname(res), "installer", "wizard.bmp"), "wb") as f:
        f.write(bmp24(icon_picture(164, 314, 96, 34, 48)))

    # The archive editor's picture buttons: <caption>_u.bmp up, _d.bmp pressed.
    os.makedirs(os.path.join(res, "editor"), exist_ok=True)
    for name, draw in EDITOR_BUTTONS:
        for suffix, pressed in (("u", False), ("d", True)):
            with open(os.path.join(res, "editor", "{}_{}.bmp".format(name, suffix)), "wb") as f:
                f.write(bmp8(button_picture(draw, pressed)))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the program's bitmaps and icons and writes them, with the resource
script fragment that names them, into an output folder.

    make_art.py OUT_DIR

Every picture is drawn from a few shapes (segments, discs, polygons,
rectangles) with 4 x 4 supersampling, so the set shares one look: a slate
glyph with one accent colour on the strip's blue-grey. Standard library only;
the output is 24-bit BMP (bitmaps), 32-bit ICO (icons) and 8-bit RGBA PNG
(the pictures a page can hold, resource type "IMAGE")."""

import math
import os
import struct
import sys
import zlib

SS = 4  # supersampling per axis

WINDOW = (201, 211, 226)
INK = (44, 58, 86)
MASK = (255, 0, 255)


# --------------------------------------------------------------- shapes ---
def seg(x1, y1, x2, y2, w):
    def inside(x, y):
        dx, dy = x2 - x1, y2 - y1
        L = dx * dx + dy * dy
        t = 0 if L == 0 else max(0, min(1, ((x - x1) * dx + (y - y1) * dy) / L))
        px, py = x1 + t * dx - x, y1 + t * dy - y
        return px * px + py * py <= (w / 2) ** 2
    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, w, a0=0, a1=360):
    def inside(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) > w / 2:
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        return (a0 <= a <= a1) if a0 <= a1 else (a >= a0 or a <= a1)
    return inside


def rect(x, y, w, h):
    return lambda px, py: x <= px < x + w and y <= py < y + h


def poly(*pts):
    def inside(x, y):
        c = False
        n = len(pts)
        for i in range(n):
            x1, y1 = pts[i]
            x2, y2 = pts[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < (x2 - x1) * (y - y1) / (y2 - y1) + x1:
                c = not c
        return c
    return inside


def union(*fs):
    return lambda x, y: any(f(x, y) for f in fs)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def shift(f, dx, dy):
    return lambda x, y: f(x - dx, y - dy)


# --------------------------------------------------------------- canvas ---
class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[tuple(bg) + (255,) if len(bg) == 3 else tuple(bg) for _ in range(w)] for _ in range(h)]

    def fill(self, shape, color, alpha=1.0):
        for y in range(self.h):
            for x in range(self.w):
                n = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if shape(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            n += 1
                if n:
                    a = alpha * n / (SS * SS)
                    r, g, b, oa = self.px[y][x]
                    na = a + oa / 255 * (1 - a)
                    if na <= 0:
                        continue
                    mix = [(color[i] * a + c * oa / 255 * (1 - a)) / na for i, c in enumerate((r, g, b))]
                    self.px[y][x] = (round(mix[0]), round(mix[1]), round(mix[2]), round(na * 255))

    def hard(self, shape, color):
        """Filled without edge blending, for pictures with a mask colour."""
        for y in range(self.h):
            for x in range(self.w):
                n = sum(shape(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS)
                        for sy in range(SS) for sx in range(SS))
                if n * 2 >= SS * SS:
                    self.px[y][x] = tuple(color) + (255,)

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                self.px[oy + y][ox + x] = other.px[y][x]


def write_bmp(path, c):
    row = (c.w * 3 + 3) & ~3
    data = bytearray()
    for y in range(c.h - 1, -1, -1):
        line = bytearray()
        for x in range(c.w):
            r, g, b, _ = c.px[y][x]
            line += bytes((b, g, r))
        line += b"\0" * (row - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def write_ico(path, canvases):
    images = []
    for c in canvases:
        xor = bytearray()
        for y in range(c.h - 1, -1, -1):
            for x in range(c.w):
                r, g, b, a = c.px[y][x]
                xor += bytes((b, g, r, a))
        and_row = ((c.w + 31) // 32) * 4
        andmask = bytearray()
        for y in range(c.h - 1, -1, -1):
            bits = bytearray(and_row)
            for x in range(c.w):
                if c.px[y][x][3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            andmask += bits
        info = struct.pack("<IiiHHIIiiII", 40, c.w, c.h * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        images.append((c.w, c.h, info + xor + andmask))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, blob in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, _, blob in images:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_png(path, c):
    raw = bytearray()
    for y in range(c.h):
        raw.append(0)  # no filter
        for x in range(c.w):
            raw += bytes(c.px[y][x])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", c.w, c.h, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# --------------------------------------------------------------- glyphs ---
# Each glyph is drawn in a 20 x 20 box: a list of (shape, colour) pairs.
ACCENT_GREEN = (46, 150, 80)
ACCENT_BLUE = (40, 110, 200)
ACCENT_AMBER = (222, 160, 40)
ACCENT_RED = (200, 50, 50)


def page(x, y, w, h, fold=4):
    outline = union(seg(x, y, x + w - fold, y, 1.2), seg(x + w - fold, y, x + w, y + fold, 1.2),
                    seg(x + w, y + fold, x + w, y + h, 1.2), seg(x + w, y + h, x, y + h, 1.2),
                    seg(x, y + h, x, y, 1.2))
    return outline


def g_new():
    return [(poly((4, 2.5), (12, 2.5), (16, 6.5), (16, 17.5), (4, 17.5)), (255, 255, 255)),
            (page(4, 2.5, 12, 15), INK),
            (union(seg(10, 8, 10, 15, 2), seg(6.5, 11.5, 13.5, 11.5, 2)), ACCENT_GREEN)]


def g_open():
    back = poly((2.5, 5), (7.5, 5), (9, 7), (16.5, 7), (16.5, 16), (2.5, 16))
    front = poly((4.5, 9.5), (18.5, 9.5), (16.5, 16), (2.5, 16))
    return [(back, (240, 200, 110)), (front, ACCENT_AMBER),
            (union(seg(2.5, 5, 7.5, 5, 1), seg(2.5, 5, 2.5, 16, 1), seg(2.5, 16, 16.5, 16, 1)), INK)]


def g_execute():
    return [(poly((5, 3.5), (16, 10), (5, 16.5)), ACCENT_GREEN),
            (union(seg(5, 3.5, 16, 10, 1.2), seg(16, 10, 5, 16.5, 1.2), seg(5, 16.5, 5, 3.5, 1.2)), INK)]


def g_undo(mirror=False):
    arc = ring(10, 11, 5.5, 2.2, 180, 40) if not mirror else ring(10, 11, 5.5, 2.2, 140, 0)
    if not mirror:
        head = poly((1.5, 11), (8, 11), (4.5, 6))
        head = poly((1.8, 9.5), (7.8, 9.5), (4.8, 14.5))
    else:
        head = poly((18.2, 9.5), (12.2, 9.5), (15.2, 14.5))
    return [(union(arc, head), ACCENT_BLUE)]


def g_find():
    return [(disc(8.5, 8.5, 5), (225, 238, 252)), (ring(8.5, 8.5, 5, 1.8), INK),
            (seg(12.3, 12.3, 17, 17, 3), ACCENT_AMBER)]


# A tiny stroke font for B, I, U.
def g_letter(ch):
    if ch == "B":
        s = union(seg(6, 3.5, 6, 16.5, 2.6), seg(6, 3.5, 11, 3.5, 2.4), seg(6, 9.8, 11.5, 9.8, 2.4),
                  seg(6, 16.5, 12, 16.5, 2.4), ring(11, 6.7, 3.1, 2.4, 270, 90), ring(11.8, 13.2, 3.3, 2.4, 270, 90))
    elif ch == "I":
        s = union(seg(11.5, 3.5, 8.5, 16.5, 2), seg(9, 3.5, 14.5, 3.5, 1.6), seg(5.5, 16.5, 11, 16.5, 1.6))
    else:
        s = union(seg(6, 3, 6, 11, 2), seg(14, 3, 14, 11, 2), ring(10, 11, 4, 2, 0, 180), seg(4.5, 17.5, 15.5, 17.5, 1.4))
    return [(s, INK)]


def g_align(kind):
    shapes = []
    for i, (w) in enumerate((13, 9, 13, 9)):
        y = 4.5 + i * 3.8
        if kind == "left":
            x = 3.5
        elif kind == "center":
            x = 10 - w / 2
        else:
            x = 16.5 - w
        shapes.append(seg(x, y, x + w, y, 1.6))
    return [(union(*shapes), INK)]


BUTTONS = {
    2: g_new, 3: g_open, 4: g_execute, 5: lambda: g_undo(False), 6: lambda: g_undo(True),
    7: g_find, 8: lambda: g_letter("B"), 9: lambda: g_letter("I"), 10: lambda: g_letter("U"),
    11: lambda: g_align("left"), 12: lambda: g_align("center"), 13: lambda: g_align("right"),
}


def grey(color):
    v = round(0.3 * color[0] + 0.59 * color[1] + 0.11 * color[2])
    v = 150 + (v - 150) // 4
    return (v, v + 4, v + 12)


def frame(c, fill, border):
    w, h = c.w, c.h
    c.fill(poly((1, 0.5), (w - 1, 0.5), (w - 0.5, 1), (w - 0.5, h - 1), (w - 1, h - 0.5), (1, h - 0.5),
                (0.5, h - 1), (0.5, 1)), border)
    c.fill(rect(1.2, 1.2, w - 2.4, h - 2.4), fill)


def state_button(w, h, glyph, state, ox=0, oy=0):
    """state 0 normal, 1 hover, 2 pressed, 3 disabled."""
    c = Canvas(w, h, WINDOW)
    if state == 1:
        frame(c, (232, 239, 250), (120, 150, 200))
    elif state == 2:
        frame(c, (178, 194, 220), (90, 118, 168))
    d = 1 if state == 2 else 0
    for shape, color in glyph:
        c.fill(shift(shape, ox + d * 0.7, oy + d * 0.7), grey(color) if state == 3 else color)
    return c


def menu_glyph():
    book = [(poly((4, 5), (11, 4), (11, 19), (4, 20)), ACCENT_BLUE),
            (poly((11.5, 4), (18.5, 5), (18.5, 20), (11.5, 19)), (70, 140, 220)),
            (union(seg(6, 8, 9.5, 7.6, 1), seg(6, 11, 9.5, 10.6, 1), seg(13, 7.6, 16.5, 8, 1),
                   seg(13, 10.6, 16.5, 11, 1)), (230, 240, 255)),
            (poly((24, 10), (31, 10), (27.5, 14.5)), INK)]
    return book


def caption_glyph(kind):
    if kind == "min":
        return [(seg(8, 11, 16, 11, 2), INK)]
    if kind == "close":
        return [(union(seg(8.5, 4.5, 15.5, 11.5, 1.8), seg(15.5, 4.5, 8.5, 11.5, 1.8)), INK)]
    if kind == "pin":  # an upright pin: not pinned
        return [(union(rect(10, 2.5, 4, 6), seg(8, 8.5, 16, 8.5, 1.8), seg(12, 9, 12, 14, 1.3)), INK)]
    # pinned: the pin pushed in and coloured
    return [(union(rect(10, 4, 4, 5), seg(7.5, 9.5, 16.5, 9.5, 2.2), seg(12, 10, 12, 12.5, 1.3)), ACCENT_BLUE),
            (seg(6, 13.5, 18, 13.5, 1), (100, 120, 150))]


def close_button(state):
    if state in (1, 2):
        c = Canvas(24, 16, (232, 17, 35) if state == 1 else (170, 20, 30))
        c.fill(union(seg(8.5, 4.5, 15.5, 11.5, 1.8), seg(15.5, 4.5, 8.5, 11.5, 1.8)), (255, 255, 255))
        return c
    return state_button(24, 16, caption_glyph("close"), state)


def show_hide(state):
    glyph = [(union(disc(5.5, 7, 1.3), disc(5.5, 12, 1.3), disc(5.5, 17, 1.3)), INK)]
    return state_button(11, 24, glyph, state)


# --------------------------------------------------------------- pictures -
def tree_images():
    strip = Canvas(128, 16, MASK)
    folder = lambda c, open_: [
        c.hard(poly((1, 3), (6, 3), (7.5, 5), (14.5, 5), (14.5, 13), (1, 13)), (214, 160, 50)),
        c.hard(poly((3, 7), (16, 7), (14.5, 13), (1, 13)) if open_ else rect(1, 6, 13.5, 7), (246, 196, 80))]
    book = lambda c, open_: ([c.hard(poly((1, 4), (7.7, 3), (7.7, 13), (1, 14)), (60, 120, 200)),
                              c.hard(poly((8.3, 3), (15, 4), (15, 14), (8.3, 13)), (90, 150, 230))]
                             if open_ else
                             [c.hard(rect(3, 1.5, 10, 13), (50, 100, 180)), c.hard(rect(4.5, 2.5, 7.5, 10.5), (80, 140, 220)),
                              c.hard(rect(3, 13, 10, 1.5), (235, 235, 235))])
    file_ = lambda c, sel: [c.hard(poly((3, 1.5), (10, 1.5), (13, 4.5), (13, 14.5), (3, 14.5)), (110, 120, 140)),
                            c.hard(poly((4, 2.5), (9.5, 2.5), (12, 5), (12, 13.5), (4, 13.5)),
                                   (255, 250, 210) if sel else (255, 255, 255)),
                            c.hard(union(seg(5.5, 7, 10.5, 7, 1), seg(5.5, 9.5, 10.5, 9.5, 1), seg(5.5, 12, 9, 12, 1)),
                                   (120, 130, 150))]
    root = lambda c: [c.hard(rect(2.5, 3, 11, 10), (70, 110, 170)), c.hard(disc(8, 3.5, 5.5), (110, 150, 210)),
                      c.hard(union(seg(2.5, 8, 13.5, 8, 1)), (200, 215, 240))]
    star = lambda c: c.hard(poly(*[(8 + (7 if i % 2 == 0 else 3) * math.sin(i * math.pi / 5),
                                    8.5 - (7 if i % 2 == 0 else 3) * math.cos(i * math.pi / 5)) for i in range(10)]),
                            (240, 180, 30))
    painters = [lambda c: folder(c, False), lambda c: folder(c, True), lambda c: book(c, False),
                lambda c: book(c, True), lambda c: file_(c, False), lambda c: file_(c, True), root, star]
    for i, p in enumerate(painters):
        c = Canvas(16, 16, MASK)
        p(c)
        strip.paste(c, i * 16, 0)
    return strip


def search_image():
    c = Canvas(16, 12, MASK)
    c.hard(poly((4, 0.5), (10, 0.5), (13, 3.5), (13, 11.5), (4, 11.5)), (110, 120, 140))
    c.hard(poly((5, 1.5), (9.5, 1.5), (12, 4), (12, 10.5), (5, 10.5)), (255, 255, 255))
    c.hard(union(seg(6.5, 5, 10.5, 5, 1), seg(6.5, 7.5, 10.5, 7.5, 1)), ACCENT_BLUE)
    return c


def player_strip(state):
    colors = {0: INK, 1: ACCENT_BLUE, 2: (20, 60, 130)}
    ink = colors[state]
    strip = Canvas(80, 20, MASK)
    glyphs = [union(ring(10, 10, 5.5, 2, 200, 150), poly((13.5, 2.5), (17.5, 6.5), (12.5, 7.5))),
              poly((6, 3.5), (16, 10), (6, 16.5)),
              union(rect(5, 4, 3.5, 12), rect(11.5, 4, 3.5, 12)),
              rect(5, 5, 10, 10)]
    for i, g in enumerate(glyphs):
        c = Canvas(20, 20, MASK)
        c.hard(g, ink)
        strip.paste(c, i * 20, 0)
    return strip


def grip(w, h):
    c = Canvas(w, h, WINDOW)
    for i in range(0, max(w, h), 3):
        x, y = (0, i) if w < h else (i, 0)
        if w < h:
            c.px[i][0] = (120, 135, 160, 255)
            c.px[i][1] = (245, 248, 252, 255)
        else:
            c.px[0][i] = (120, 135, 160, 255)
            c.px[1][i] = (245, 248, 252, 255)
    return c


# ------------------------------------------------------- page pictures --
# The pictures a page can hold (":)" and Alt+1 ...): small emoticons and
# marks on a transparent ground, drawn at the size they are shown.
FACE = (255, 206, 64)
FACE_SHADE = (236, 160, 30)
FACE_LINE = (150, 90, 20)
FEATURE = (84, 50, 24)
CLEAR = (0, 0, 0, 0)


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def face(c, eyes=("open", "open"), mouth="smile"):
    c.fill(disc(8, 8, 7.4), FACE_LINE)
    c.fill(disc(8, 8, 6.6), FACE_SHADE)
    c.fill(disc(7.5, 7.3, 6.0), FACE)
    c.fill(ellipse(5.6, 4.6, 2.0, 1.2), (255, 240, 190), 0.8)  # the light on the brow
    for cx, kind in zip((5.6, 10.4), eyes):
        if kind == "open":
            c.fill(ellipse(cx, 6.4, 0.95, 1.45), FEATURE)
        else:  # closed in a wink
            c.fill(ring(cx, 7.6, 1.7, 1.0, 200, 340), FEATURE)
    if mouth == "smile":
        c.fill(ring(8, 8.4, 4.1, 1.3, 25, 155), FEATURE)
    elif mouth == "sad":
        c.fill(ring(8, 14.6, 3.9, 1.3, 220, 320), FEATURE)
    else:
        c.fill(seg(5.4, 11, 10.6, 11, 1.3), FEATURE)
    return c


def speech_bubble():
    c = Canvas(29, 17, CLEAR)
    body = union(rect(3, 1, 23, 11), rect(1, 3, 27, 7), disc(3, 3, 2), disc(26, 3, 2), disc(3, 10, 2),
                 disc(26, 10, 2), poly((6, 11), (12, 11), (5, 16)))
    c.fill(body, (40, 110, 200))
    inner = union(rect(3.2, 2, 22.6, 9), rect(2, 3.2, 25, 6.6), disc(3.2, 3.2, 1.2), disc(25.8, 3.2, 1.2),
                  disc(3.2, 9.8, 1.2), disc(25.8, 9.8, 1.2), poly((7, 10.5), (11, 10.5), (6.8, 14)))
    c.fill(inner, (120, 175, 245))
    for x in (9.5, 14.5, 19.5):
        c.fill(disc(x, 6.5, 1.6), (255, 255, 255))
    return c


def flower():
    c = Canvas(16, 16, CLEAR)
    c.fill(seg(8, 9, 8, 15.5, 1.4), (60, 140, 60))
    c.fill(ellipse(11, 13, 2.2, 1.0), (80, 170, 70))
    for k in range(5):
        a = math.radians(k * 72 - 90)
        c.fill(disc(8 + 3.4 * math.cos(a), 6.5 + 3.4 * math.sin(a), 2.6), (226, 80, 130))
    for k in range(5):
        a = math.radians(k * 72 - 90)
        c.fill(disc(8 + 3.2 * math.cos(a), 6.5 + 3.2 * math.sin(a), 1.7), (246, 130, 170))
    c.fill(disc(8, 6.5, 2.0), (250, 200, 50))
    return c


def warning():
    c = Canvas(16, 15, CLEAR)
    c.fill(poly((8, 0.3), (15.8, 14.6), (0.2, 14.6)), (190, 120, 10))
    c.fill(poly((8, 2.4), (14.1, 13.5), (1.9, 13.5)), (252, 196, 40))
    c.fill(seg(8, 5.6, 8, 9.6, 1.8), (40, 30, 10))
    c.fill(disc(8, 11.8, 1.0), (40, 30, 10))
    return c


def open_book():
    c = Canvas(16, 12, CLEAR)
    c.fill(poly((0.5, 1.5), (7.6, 2.5), (7.6, 11.5), (0.5, 10.5)), (50, 100, 180))
    c.fill(poly((8.4, 2.5), (15.5, 1.5), (15.5, 10.5), (8.4, 11.5)), (50, 100, 180))
    c.fill(poly((1.5, 0.5), (7.6, 1.5), (7.6, 10.2), (1.5, 9.4)), (250, 250, 245))
    c.fill(poly((8.4, 1.5), (14.5, 0.5), (14.5, 9.4), (8.4, 10.2)), (250, 250, 245))
    lines = union(*[seg(2.8, 2.6 + 1.9 * i, 6.6, 3.2 + 1.9 * i, 0.8) for i in range(4)],
                  *[seg(9.4, 3.2 + 1.9 * i, 13.2, 2.6 + 1.9 * i, 0.8) for i in range(4)])
    c.fill(lines, (150, 160, 180))
    return c


def no_sign():
    c = Canvas(15, 15, CLEAR)
    c.fill(disc(7.5, 7.5, 7.3), (255, 255, 255))
    c.fill(ring(7.5, 7.5, 6.0, 2.4), (210, 40, 40))
    c.fill(seg(3.4, 3.4, 11.6, 11.6, 2.3), (210, 40, 40))
    return c


def info_mark():
    c = Canvas(12, 12, CLEAR)
    c.fill(disc(6, 6, 5.9), (30, 90, 180))
    c.fill(disc(6, 6, 5.0), (60, 130, 220))
    c.fill(disc(6, 3.2, 1.0), (255, 255, 255))
    c.fill(union(seg(6, 5.4, 6, 9.4, 1.6), seg(4.9, 5.4, 6, 5.4, 1.2), seg(4.6, 9.4, 7.4, 9.4, 1.2)), (255, 255, 255))
    return c


def box(mark):
    c = Canvas(13, 13, CLEAR)
    c.fill(rect(0.5, 0.5, 12, 12), (90, 105, 130))
    c.fill(rect(1.5, 1.5, 10, 10), (252, 252, 255))
    if mark == "tick":
        c.fill(union(seg(3.2, 6.8, 5.5, 9.2, 1.9), seg(5.5, 9.2, 10, 3.6, 1.9)), (40, 150, 70))
    elif mark == "cross":
        c.fill(union(seg(3.6, 3.6, 9.4, 9.4, 1.9), seg(9.4, 3.6, 3.6, 9.4, 1.9)), (205, 50, 45))
    return c


def star():
    c = Canvas(13, 13, CLEAR)
    pts = [(6.5 + (6.3 if i % 2 == 0 else 2.6) * math.sin(i * math.pi / 5),
            7 - (6.3 if i % 2 == 0 else 2.6) * math.cos(i * math.pi / 5)) for i in range(10)]
    c.fill(poly(*pts), (205, 140, 10))
    inner = [(6.5 + (5.0 if i % 2 == 0 else 2.0) * math.sin(i * math.pi / 5),
              7.1 - (5.0 if i % 2 == 0 else 2.0) * math.cos(i * math.pi / 5)) for i in range(10)]
    c.fill(poly(*inner), (255, 205, 50))
    return c


def page_pictures():
    """Resource id -> canvas, in the order of the typed codes."""
    return {
        779: face(Canvas(16, 16, CLEAR)),                              # :)
        780: face(Canvas(16, 16, CLEAR), mouth="sad"),                 # :(
        781: face(Canvas(16, 16, CLEAR), eyes=("wink", "open")),       # :;
        782: speech_bubble(),                                          # :=
        783: face(Canvas(16, 16, CLEAR), mouth="flat"),                # :-
        784: flower(),                                                 # :f
        785: warning(),                                                # :a
        786: open_book(),                                              # :b
        787: no_sign(),                                                # :n
        788: info_mark(),                                              # :i
        789: box(None),                                                # :[
        790: box("tick"),                                              # :]
        791: box("cross"),                                             # :{
        792: star(),                                                   # :}
    }


# ----------------------------------------------------------------- icons --
def icon(kind, size):
    c = Canvas(size, size, (0, 0, 0, 0))
    s = size / 32.0
    S = lambda f: (lambda x, y: f(x / s, y / s))
    if kind == "program":
        c.fill(S(poly((3, 7), (15.5, 5), (15.5, 28), (3, 30))), (40, 95, 180))
        c.fill(S(poly((16.5, 5), (29, 7), (29, 30), (16.5, 28))), (70, 135, 220))
        c.fill(S(union(seg(6, 11, 13, 10, 1.6), seg(6, 15, 13, 14, 1.6), seg(6, 19, 13, 18, 1.6),
                       seg(19, 10, 26, 11, 1.6), seg(19, 14, 26, 15, 1.6))), (232, 240, 255))
        c.fill(S(poly((22, 2), (25, 2), (25, 13), (23.5, 11), (22, 13))), (230, 70, 60))
    elif kind == "db":
        c.fill(S(rect(6, 7, 20, 19)), (60, 110, 180))
        c.fill(S(disc(16, 26, 10) if False else poly((6, 25), (26, 25), (24, 28.5), (16, 30), (8, 28.5))), (60, 110, 180))
        c.fill(S(lambda x, y: ((x - 16) / 10) ** 2 + ((y - 7) / 4) ** 2 <= 1), (120, 165, 230))
        c.fill(S(union(seg(7, 14, 25, 14, 1.2), seg(7, 20, 25, 20, 1.2))), (150, 190, 240))
    elif kind == "set":
        teeth = [poly(*[(16 + r * math.cos(math.radians(a + d)), 16 + r * math.sin(math.radians(a + d)))
                        for r, d in ((9, -12), (13.5, -8), (13.5, 8), (9, 12))]) for a in range(0, 360, 45)]
        c.fill(S(minus(union(disc(16, 16, 10), *teeth), disc(16, 16, 4.5))), (100, 115, 140))
    elif kind == "valid":
        c.fill(S(disc(16, 16, 14)), (46, 160, 80))
        c.fill(S(union(seg(9, 16.5, 14, 21.5, 3.6), seg(14, 21.5, 23.5, 10.5, 3.6))), (255, 255, 255))
    else:
        c.fill(S(disc(16, 16, 14)), (205, 55, 50))
        c.fill(S(union(seg(10.5, 10.5, 21.5, 21.5, 3.6), seg(21.5, 10.5, 10.5, 21.5, 3.6))), (255, 255, 255))
    return c


# ------------------------------------------------------------------ main --
def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    rc = ["// Generated by res/art/make_art.py; do not edit.\n"]

    def bmp(rid, canvas):
        name = f"b{rid}.bmp"
        write_bmp(os.path.join(out, name), canvas)
        rc.append(f'{rid} BITMAP "{name}"\n')

    for state in range(4):
        bmp(91 + state, state_button(35, 24, menu_glyph(), state))
    for index, glyph in BUTTONS.items():
        for state in range(4):
            bmp(index * 10 + 81 + state, state_button(20, 20, glyph(), state))
    for state in range(4):
        bmp(301 + state, show_hide(state))
        bmp(311 + state, state_button(24, 16, caption_glyph("min"), state))
        bmp(331 + state, close_button(state))
    # Keep on top: base + 0/1 unpinned (normal, hover), base + 2/3 pinned
    # (normal, hover); the pressed look reuses the pinned normal bitmap.
    bmp(321, state_button(24, 16, caption_glyph("pin"), 0))
    bmp(322, state_button(24, 16, caption_glyph("pin"), 1))
    bmp(323, state_button(24, 16, caption_glyph("pinned"), 0))
    bmp(324, state_button(24, 16, caption_glyph("pinned"), 1))
    bmp(778, grip(2, 14))
    bmp(346, grip(14, 2))
    bmp(777, tree_images())
    bmp(793, search_image())
    for state in range(3):
        bmp(1 + state, player_strip(state))

    for rid, kind in ((1, "program"), (2, "db"), (3, "set"), (4, "valid"), (5, "invalid")):
        name = f"i{rid}.ico"
        write_ico(os.path.join(out, name), [icon(kind, n) for n in ((16, 32, 48) if rid <= 3 else (16, 32))])
        rc.append(f'{rid} ICON "{name}"\n')

    for rid, canvas in page_pictures().items():
        name = f"p{rid}.png"
        write_png(os.path.join(out, name), canvas)
        rc.append(f'{rid} IMAGE "{name}"\n')

    with open(os.path.join(out, "art.rc"), "w") as f:
        f.writelines(rc)


if __name__ == "__main__":
    main()

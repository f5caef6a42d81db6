#!/usr/bin/env python3
"""Draws the program's pictures: icons 128 and 129 (16 x 16, 32 x 32 and 48 x 48 images
in 16 colours, and a 256 x 256 one in the same colours, stored as PNG) and the About
dialog's banner, bitmap 137.

The outputs are checked in; run this again after changing a drawing:
    python3 res/tools/draw_images.py [OUTPUT_DIR]     (default: res/)
"""
import math
import os
import struct
import sys
import zlib

# The standard 16-colour palette, in its usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_YELLOW, GREY, LIGHT_GREY, YELLOW, WHITE, DARK_BLUE = 0, 3, 8, 7, 11, 15, 4

# Every drawing is laid out on the 32 x 32 grid and scaled to the other sizes; lines
# grow with the scale, so that the large images are not drawn in hairlines.
GRID = 32
ICON_SIZES = (16, 32, 48, 256)
# Sizes from this one up are stored as PNG, as the system expects of 256 x 256 images.
PNG_FROM = 256
# The picture control's 121 x 31 dialog units at the dialog's 9-point font (6 x 12 base units).
BANNER_W, BANNER_H = 182, 47


class Canvas:
    """A grid of palette indices; None is transparent."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[None] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return None

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)


def shape(w, h, inside):
    """The set of pixels of a w x h grid whose centres satisfy inside(x, y)."""
    return {(x, y) for y in range(h) for x in range(w) if inside(x + 0.5, y + 0.5)}


NEIGHBOURS = ((1, 0), (-1, 0), (0, 1), (0, -1))


def paint(canvas, pixels, outline, fill, dark=None, line=1):
    """Fills a shape, shades its right part, and outlines it `line` pixels deep."""
    xs = [x for x, _ in pixels]
    lo, hi = min(xs), max(xs)
    for (x, y) in pixels:
        shaded = dark is not None and x > lo + (hi - lo) * 0.72
        canvas.set(x, y, dark if shaded else fill)
    inner = set(pixels)
    for _ in range(line):
        inner = {(x, y) for (x, y) in inner
                 if all((x + dx, y + dy) in inner for dx, dy in NEIGHBOURS)}
    for (x, y) in pixels:
        if (x, y) not in inner:
            canvas.set(x, y, outline)


def shackle(cx, top, r_out, thick, bottom):
    """A padlock's U-shaped shackle: a half ring of outer radius r_out whose centre lies
    r_out below top, continued by two straight legs down to bottom."""
    cy = top + r_out
    r_in = r_out - thick

    def inside(x, y):
        if y <= cy:
            d = math.hypot(x - cx, y - cy)
            return r_in <= d <= r_out
        if y > bottom:
            return False
        return r_in <= abs(x - cx) <= r_out
    return inside


def draw_padlock(canvas, x0, y0, w, h, scale=1.0, line=1):
    """A padlock in a w x h box at (x0, y0): grey shackle, yellow body, black keyhole.
    `scale` is the box's size against the 32 x 32 grid, `line` the outline's width."""
    body_top = y0 + h * 9 // 20
    cx = x0 + w / 2
    r_out = w * 0.34
    # At least three pixels, so that even a 16 x 16 shackle shows grey inside its outline.
    thick = max(3.0 * max(scale, 1.0), w * 0.19)
    ring = shape(canvas.w, canvas.h, shackle(cx, y0, r_out, thick, body_top + 1))
    paint(canvas, ring, BLACK, LIGHT_GREY, dark=GREY, line=line)
    # A highlight down the left leg, where the light falls.
    for (x, y) in sorted(ring):
        if (canvas.get(x, y) == LIGHT_GREY and x + 0.5 < cx and
                any(canvas.get(x - k, y) == BLACK for k in range(1, line + 1))):
            canvas.set(x, y, WHITE)
    body = shape(canvas.w, canvas.h,
                 lambda x, y: x0 <= x <= x0 + w and body_top <= y <= y0 + h)
    paint(canvas, body, BLACK, YELLOW, dark=DARK_YELLOW, line=line)
    # Light top edge of the body.
    for y in range(body_top + line, body_top + 2 * line):
        for x in range(x0 + 1, x0 + w):
            if canvas.get(x, y) == YELLOW:
                canvas.set(x, y, WHITE)
    # Keyhole: a round head and a slot.
    kcx = x0 + w // 2
    kh = y0 + h * 13 // 20
    if w < 10:
        # Too small for a head: one pixel wide.
        canvas.rect(kcx, kh - 1, kcx, min(kh + 1, y0 + h - 1 - line), BLACK)
        return
    r = max(1, w // 10)
    for y in range(kh - r, kh + r + 1):
        for x in range(kcx - r, kcx + r):
            if math.hypot(x + 0.5 - kcx, y + 0.5 - kh) <= r + 0.3:
                canvas.set(x, y, BLACK)
    slot_w = max(1, r // 2)
    canvas.rect(kcx - slot_w, kh, kcx + slot_w - 1, min(kh + r * 3, y0 + h - 1 - line), BLACK)


def grid(size):
    """The scale from the 32 x 32 grid to `size`, and the line width there."""
    scale = size / GRID
    return scale, max(1, round(scale))


def box(size, on_grid, at_16):
    """A drawing's box at `size`: scaled from the grid, but laid out by hand at 16 x 16,
    where scaling leaves too few pixels for the padlock's parts."""
    scale, _ = grid(size)
    return at_16 if size == 16 else tuple(round(v * scale) for v in on_grid)


def draw_program_icon(size):
    scale, line = grid(size)
    c = Canvas(size, size)
    x0, y0, w, h = box(size, (5, 1, 22, 29), (2, 0, 12, 15))
    draw_padlock(c, x0, y0, w, h, scale, line)
    return c


def draw_encrypted_file_icon(size):
    scale, line = grid(size)
    c = Canvas(size, size)
    left, top, right, bottom, fold = (round(v * scale) for v in (4, 1, 23, 30, 7))
    # The sheet, with its top right corner folded over.
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - left + (top + fold) - y > right - left + 0 and x > right - fold:
                continue
            c.set(x, y, WHITE)
    # Its edges, `line` pixels deep towards the inside.
    c.rect(left, top, left + line - 1, bottom, BLACK)
    c.rect(left, top, right - fold, top + line - 1, BLACK)
    c.rect(left, bottom - line + 1, right, bottom, BLACK)
    c.rect(right - line + 1, top + fold, right, bottom, BLACK)
    for i in range(fold + 1):
        for k in range(line):
            c.set(right - fold + i - k, top + i, BLACK)
            c.set(right - fold + i, top + i + k, BLACK)
    # The folded flap.
    for y in range(top + 1, top + fold):
        for x in range(right - fold + 1, right - fold + 1 + (y - top)):
            c.set(x, y, LIGHT_GREY)
    c.rect(right - fold, top, right - fold + line - 1, top + fold, BLACK)
    c.rect(right - fold, top + fold - line + 1, right, top + fold, BLACK)
    # Lines of text, scrambled to dots: the content is enciphered. They are laid out on
    # the grid, each grid cell a block of pixels; at small sizes rows that would touch
    # are left out.
    last = None
    for row, gy in enumerate(range(1 + 5, 30 - 2, 3)):
        y = round(gy * scale)
        if last is not None and y < last + line + 1:
            continue
        last = y
        end = 23 - 3 if gy > 1 + 7 else 23 - 7 - 2
        for gx in range(4 + 3, end + 1):
            if (gx * 7 + row * 3) % 5 != 0:
                c.rect(round(gx * scale), y, round((gx + 1) * scale) - 1, y + line - 1,
                       GREY if (gx + row) % 3 else DARK_BLUE)
    # A padlock over the lower right corner.
    x0, y0, w, h = box(size, (16, 13, 14, 18), (7, 5, 9, 10))
    draw_padlock(c, x0, y0, w, h, scale, line)
    return c


def bmp_image(canvas):
    """A 4-bit image with its transparency mask, as an icon stores it."""
    w, h = canvas.w, canvas.h
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(h)):  # bottom-up rows
        row = bytearray(xor_stride)
        mrow = bytearray(and_stride)
        for x in range(w):
            p = canvas.px[y][x]
            if p is None:
                mrow[x // 8] |= 0x80 >> (x % 8)
                p = 0
            row[x // 2] |= p << (4 if x % 2 == 0 else 0)
        xor += row
        mask += mrow
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    return header + palette + bytes(xor) + bytes(mask)


def png_image(canvas):
    """The same colours as 8-bit RGBA in a PNG; transparent pixels have alpha 0."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = bytearray()
    for y in range(canvas.h):
        raw.append(0)  # no filter
        for x in range(canvas.w):
            p = canvas.px[y][x]
            raw += (bytes(PALETTE[p]) + b"\xff") if p is not None else bytes(4)
    header = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_ico(path, draw):
    """One image per size of ICON_SIZES, each drawn for its size."""
    images = []
    for size in ICON_SIZES:
        canvas = draw(size)
        if size >= PNG_FROM:
            images.append((size, 0, 32, png_image(canvas)))
        else:
            images.append((size, 16, 4, bmp_image(canvas)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries, data = b"", b""
    for size, colours, bits, image in images:
        # A size of 256 is written as 0.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits,
                               len(image), offset + len(data))
        data += image
    with open(path, "wb") as f:
        f.write(directory + entries + data)


# Lower-case letters of a 7-row pixel font ("L" is the only capital needed).
GLYPHS = {
    "L": ["#...", "#...", "#...", "#...", "#...", "#...", "####"],
    "o": ["....", "....", ".##.", "#..#", "#..#", "#..#", ".##."],
    "c": ["....", "....", ".###", "#...", "#...", "#...", ".###"],
    "k": ["#...", "#...", "#..#", "#.#.", "##..", "#.#.", "#..#"],
    "m": [".....", ".....", "####.", "#.#.#", "#.#.#", "#.#.#", "#.#.#"],
    "e": ["....", "....", ".##.", "#..#", "####", "#...", ".###"],
    "r": ["....", "....", "#.##", "##..", "#...", "#...", "#..."],
}


def text_pixels(text, scale):
    pixels, x = set(), 0
    for ch in text:
        glyph = GLYPHS[ch]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == "#":
                    for dy in range(scale):
                        for dx in range(scale):
                            pixels.add((x + gx * scale + dx, gy * scale + dy))
        x += (len(glyph[0]) + 1) * scale
    return pixels, x - scale


def draw_banner():
    """24-bit colours: a blue to teal band, a padlock and the product name."""
    w, h = BANNER_W, BANNER_H
    img = [[(0, 0, 0)] * w for _ in range(h)]
    top, bottom = (22, 48, 110), (34, 128, 150)
    for y in range(h):
        for x in range(w):
            t = 0.65 * x / (w - 1) + 0.35 * y / (h - 1)
            img[y][x] = tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
    # A lighter rule along the bottom edge.
    for x in range(w):
        img[h - 2][x] = (150, 200, 220)
        img[h - 1][x] = (10, 30, 70)
    lock = Canvas(32, 40)
    draw_padlock(lock, 2, 2, 26, 34)
    ox, oy = 8, (h - 40) // 2
    for y in range(lock.h):
        for x in range(lock.w):
            p = lock.px[y][x]
            if p is not None:
                img[oy + y][ox + x] = PALETTE[p]
    pixels, width = text_pixels("Lockmere", 3)
    tx = 48 + (w - 48 - width) // 2
    ty = (h - 21) // 2
    for (x, y) in pixels:  # shadow first, then the letters
        if (x + 1, y + 1) not in pixels:
            img[ty + y + 1][tx + x + 1] = (8, 20, 50)
    for (x, y) in pixels:
        img[ty + y][tx + x] = (255, 255, 255)
    return img


def write_bmp(path, img):
    h, w = len(img), len(img[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(h)):
        row = bytearray()
        for (r, g, b) in img[y]:
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + data)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
    write_ico(os.path.join(out, "program.ico"), draw_program_icon)
    write_ico(os.path.join(out, "encrypted_file.ico"), draw_encrypted_file_icon)
    write_bmp(os.path.join(out, "banner.bmp"), draw_banner())


if __name__ == "__main__":
    main()

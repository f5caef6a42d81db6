#!/usr/bin/env python3
"""Draws the program's pictures: icons 128 and 129 (one 32 x 32 image, 16 colours
each) and the About dialog's banner, bitmap 137.

The outputs are checked in; run this again after changing a drawing:
    python3 res/tools/draw_images.py [OUTPUT_DIR]     (default: res/)
"""
import math
import os
import struct
import sys

# The standard 16-colour palette, in its usual order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_YELLOW, GREY, LIGHT_GREY, YELLOW, WHITE, DARK_BLUE = 0, 3, 8, 7, 11, 15, 4

ICON_SIZE = 32
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


def paint(canvas, pixels, outline, fill, dark=None):
    """Fills a shape, shades its right part, and outlines it."""
    xs = [x for x, _ in pixels]
    lo, hi = min(xs), max(xs)
    for (x, y) in pixels:
        shaded = dark is not None and x > lo + (hi - lo) * 0.72
        canvas.set(x, y, dark if shaded else fill)
    for (x, y) in pixels:
        if any((x + dx, y + dy) not in pixels for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
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


def draw_padlock(canvas, x0, y0, w, h):
    """A padlock in a w x h box at (x0, y0): grey shackle, yellow body, black keyhole."""
    body_top = y0 + h * 9 // 20
    cx = x0 + w / 2
    r_out = w * 0.34
    thick = max(3.0, w * 0.19)
    ring = shape(canvas.w, canvas.h, shackle(cx, y0, r_out, thick, body_top + 1))
    paint(canvas, ring, BLACK, LIGHT_GREY, dark=GREY)
    # A highlight down the left leg, where the light falls.
    for (x, y) in ring:
        if canvas.get(x, y) == LIGHT_GREY and canvas.get(x - 1, y) == BLACK and x + 0.5 < cx:
            canvas.set(x, y, WHITE)
    body = shape(canvas.w, canvas.h,
                 lambda x, y: x0 <= x <= x0 + w and body_top <= y <= y0 + h)
    paint(canvas, body, BLACK, YELLOW, dark=DARK_YELLOW)
    # Light top edge of the body.
    for x in range(x0 + 1, x0 + w):
        if canvas.get(x, body_top + 1) == YELLOW:
            canvas.set(x, body_top + 1, WHITE)
    # Keyhole: a round head and a slot.
    kcx = x0 + w // 2
    kh = y0 + h * 13 // 20
    r = max(1, w // 10)
    for y in range(kh - r, kh + r + 1):
        for x in range(kcx - r, kcx + r):
            if math.hypot(x + 0.5 - kcx, y + 0.5 - kh) <= r + 0.3:
                canvas.set(x, y, BLACK)
    slot_w = max(1, r // 2)
    canvas.rect(kcx - slot_w, kh, kcx + slot_w - 1, min(kh + r * 3, y0 + h - 2), BLACK)


def draw_program_icon():
    c = Canvas(ICON_SIZE, ICON_SIZE)
    draw_padlock(c, 5, 1, 22, 29)
    return c


def draw_encrypted_file_icon():
    c = Canvas(ICON_SIZE, ICON_SIZE)
    left, top, right, bottom, fold = 4, 1, 23, 30, 7
    # The sheet, with its top right corner folded over.
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if x - left + (top + fold) - y > right - left + 0 and x > right - fold:
                continue
            c.set(x, y, WHITE)
    for y in range(top, bottom + 1):
        c.set(left, y, BLACK)
    for x in range(left, right - fold + 1):
        c.set(x, top, BLACK)
    for x in range(left, right + 1):
        c.set(x, bottom, BLACK)
    for y in range(top + fold, bottom + 1):
        c.set(right, y, BLACK)
    for i in range(fold + 1):
        c.set(right - fold + i, top + i, BLACK)
    # The folded flap.
    for y in range(top + 1, top + fold):
        for x in range(right - fold + 1, right - fold + 1 + (y - top)):
            c.set(x, y, LIGHT_GREY)
    for y in range(top, top + fold + 1):
        c.set(right - fold, y, BLACK)
    for x in range(right - fold, right + 1):
        c.set(x, top + fold, BLACK)
    # Lines of text, scrambled to dots: the content is enciphered.
    for row, y in enumerate(range(top + 5, bottom - 2, 3)):
        end = right - 3 if y > top + fold else right - fold - 2
        for x in range(left + 3, end + 1):
            if (x * 7 + row * 3) % 5 != 0:
                c.set(x, y, GREY if (x + row) % 3 else DARK_BLUE)
    # A padlock over the lower right corner.
    draw_padlock(c, 16, 13, 14, 18)
    return c


def write_ico(path, canvas):
    """One 32 x 32 image, 4 bits per pixel, with its transparency mask."""
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
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


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
    write_ico(os.path.join(out, "program.ico"), draw_program_icon())
    write_ico(os.path.join(out, "encrypted_file.ico"), draw_encrypted_file_icon())
    write_bmp(os.path.join(out, "banner.bmp"), draw_banner())


if __name__ == "__main__":
    main()

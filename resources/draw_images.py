#!/usr/bin/env python3
"""Draws the main window's background and the two window icons into images/ and icons/.

Run from anywhere: python3 resources/draw_images.py. The output is committed; the build only
reads the PNG files, so changing a picture means editing this script and running it again.
"""

import math
import os

from pngwriter import write_indexed, write_rgb, write_rgba

HERE = os.path.dirname(os.path.abspath(__file__))

SKY_TOP = (142, 196, 238)
SKY_BOTTOM = (210, 233, 250)
CLOUD_LIGHT = (255, 255, 255)
CLOUD_SHADE = (214, 228, 242)

# Each cloud: the y of its flat base and its puffs (centre x, centre y, radius x, radius y).
# Only the top-left 565 x 353 pixels show in the window, and the controls cover most of that,
# so the visible clouds sit in the strips the controls leave free: the top band, the gap
# between the calendar and the title list, and the bottom edge.
CLOUDS = [
    (42, [(205, 34, 20, 9), (232, 27, 26, 14), (264, 21, 30, 18), (298, 27, 26, 14), (328, 34, 20, 9)]),
    (14, [(505, 9, 22, 7), (530, 6, 18, 8), (552, 10, 16, 5)]),
    (214, [(118, 207, 22, 8), (146, 201, 24, 12), (176, 207, 20, 8)]),
    (352, [(18, 344, 26, 10), (56, 334, 34, 18), (98, 326, 36, 24), (140, 336, 30, 16), (176, 345, 24, 8)]),
    (352, [(470, 344, 24, 8), (505, 338, 28, 14), (540, 345, 22, 8)]),
    (160, [(300, 150, 40, 14), (340, 138, 44, 24), (385, 150, 34, 12)]),
    (430, [(470, 418, 34, 14), (515, 404, 44, 28), (565, 416, 36, 16), (600, 424, 24, 8)]),
    (470, [(60, 460, 30, 10), (100, 450, 40, 20), (145, 460, 30, 10)]),
    (260, [(590, 250, 26, 10), (620, 240, 30, 18)]),
]


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def smoothstep(edge0, edge1, x):
    t = max(0.0, min(1.0, (x - edge0) / (edge1 - edge0)))
    return t * t * (3 - 2 * t)


def cloud_alpha(puffs, base, x, y):
    """Coverage of one cloud at a pixel: soft round puffs, cut off softly at a flat base."""
    clear = 1.0
    for cx, cy, rx, ry in puffs:
        d = math.hypot((x - cx) / rx, (y - cy) / ry)
        clear *= 1.0 - smoothstep(1.0, 0.25, d)
    return min(1.0, 1.5 * (1.0 - clear)) * smoothstep(base + 2, base - 4, y)


def draw_background(scale=1, width=640, height=480):
    """The sky at scale times the window's size: the clouds keep their places and shapes, and a
    screen with more device pixels per window pixel gets as many more picture pixels."""
    width, height = width * scale, height * scale

    def at(pixel):
        """A pixel's centre in the coordinates CLOUDS uses."""
        return (pixel + 0.5) / scale - 0.5

    pixels = [mix(SKY_TOP, SKY_BOTTOM, y / (height - 1)) for y in range(height) for _ in range(width)]
    for base, tops in CLOUDS:
        # A wide flat puff along the base joins the round ones into one body.
        left_edge = min(cx - rx for cx, _, rx, _ in tops)
        right_edge = max(cx + rx for cx, _, rx, _ in tops)
        puffs = tops + [((left_edge + right_edge) // 2, base - 5, (right_edge - left_edge) // 2, 9)]
        left = max(0, min(cx - rx for cx, _, rx, _ in puffs))
        right = min(width // scale - 1, max(cx + rx for cx, _, rx, _ in puffs))
        top = max(0, min(cy - ry for _, cy, _, ry in puffs))
        bottom = min(height // scale - 1, base + 2)
        for y in range(top * scale, (bottom + 1) * scale):
            v = at(y)
            # Undersides are a shade darker, which gives the clouds volume without outlines.
            colour = mix(CLOUD_LIGHT, CLOUD_SHADE, smoothstep(top + (bottom - top) * 0.35, bottom, v))
            for x in range(left * scale, (right + 1) * scale):
                a = cloud_alpha(puffs, base, at(x), v)
                if a > 0.0:
                    pixels[y * width + x] = mix(pixels[y * width + x], colour, a * 0.92)
    return width, height, pixels


class Canvas:
    """A small palette image addressed by single-letter colour keys; '.' is transparent."""

    def __init__(self, size, palette):
        self.size = size
        self.keys = list(palette)
        self.palette = [palette[k] for k in self.keys]
        self.cells = [["."] * size for _ in range(size)]

    def put(self, x, y, key):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.cells[y][x] = key

    def rect(self, x0, y0, x1, y1, key):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, key)

    def box(self, x0, y0, x1, y1, fill, outline):
        self.rect(x0, y0, x1, y1, outline)
        self.rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, fill)

    def save(self, name, scale=1):
        """Each cell becomes scale x scale pixels: pixel art doubled stays as sharp as it is."""
        size = self.size * scale
        indices = [self.keys.index(self.cells[y // scale][x // scale]) for y in range(size) for x in range(size)]
        write_indexed(os.path.join(HERE, "icons", name), size, size, indices, self.palette, self.keys.index("."))


BOOK_PALETTE = {
    ".": (0, 0, 0),
    "k": (34, 40, 64),     # outline
    "w": (255, 255, 255),  # paper
    "p": (200, 206, 220),  # paper edges and the gutter
    "c": (44, 92, 168),    # cover
    "C": (28, 58, 112),    # cover, shaded
    "l": (120, 132, 160),  # lines of writing
    "r": (214, 54, 54),    # the calendar's month bar
    "g": (110, 130, 170),  # the calendar's grid
    "t": (240, 170, 40),   # today's cell
}


LARGE_ICON_SIZES = (48, 64, 128, 256)


def draw_book(size):
    """An open book: writing on the left page, a month grid on the right one."""
    c = Canvas(size, BOOK_PALETTE)
    # The top edge of the left page, column by column from its outer edge to the gutter; the
    # right page mirrors it. Pages curl down at the corners and dip into the gutter.
    if size == 32:
        tops = [6, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 6]
        depth, gutter = 19, 15
    else:
        tops = [3, 2, 2, 2, 2, 2, 3]
        depth, gutter = 9, 7
    left_x = gutter - len(tops) + 1
    right_x = 2 * gutter + 1 - left_x
    columns = {left_x + i: t for i, t in enumerate(tops)}
    columns.update({2 * gutter + 1 - x: t for x, t in columns.items()})
    # The cover shows one pixel beyond the pages at the sides and two below them.
    for x, top in columns.items():
        c.rect(x - 1 if x == left_x else x, top + 2, x + 1 if x == right_x else x, top + depth + 2, "c")
    for x, top in columns.items():
        c.put(x, top, "k")
        c.rect(x, top + 1, x, top + depth - 1, "w")
        c.put(x, top + depth, "p")
        c.put(x, top + depth + 1, "k")
    for x in (left_x, right_x):
        c.rect(x, columns[x], x, columns[x] + depth, "k")
    for x in (gutter, gutter + 1):
        c.rect(x, columns[x] + 1, x, columns[x] + depth, "p")
    outline_cover(c)
    if size == 32:
        writing_32(c)
        month_grid_32(c)
    else:
        writing_16(c)
        month_grid_16(c)
    return c


def outline_cover(c):
    """A dark edge around the cover where it meets the transparent background."""
    marks = []
    for y in range(c.size):
        for x in range(c.size):
            if c.cells[y][x] != "c":
                continue
            around = [(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
            if any(not (0 <= ax < c.size and 0 <= ay < c.size) or c.cells[ay][ax] == "." for ax, ay in around):
                marks.append((x, y))
    for x, y in marks:
        c.put(x, y, "C")


def writing_32(c):
    for y, (x0, x1) in zip(range(8, 22, 2), [(3, 12), (3, 13), (3, 10), (3, 13), (3, 11), (3, 13), (3, 8)]):
        c.rect(x0, y, x1, y, "l")


def month_grid_32(c):
    c.rect(18, 7, 28, 8, "r")
    for y in range(10, 23, 3):
        c.rect(18, y, 28, y, "g")
    for x in range(18, 29, 2):
        c.rect(x, 10, x, 22, "g")
    c.rect(23, 17, 23, 18, "t")


def writing_16(c):
    for y, (x0, x1) in zip((5, 7, 9), [(2, 6), (2, 6), (2, 5)]):
        c.rect(x0, y, x1, y, "l")


def month_grid_16(c):
    c.rect(9, 4, 13, 4, "r")
    for y in (6, 8, 10):
        for x in (9, 11, 13):
            c.put(x, y, "g")
    c.put(11, 8, "t")


SHELF_PALETTE = {
    ".": (0, 0, 0),
    "k": (40, 32, 40),     # outline
    "s": (168, 110, 60),   # shelf board
    "S": (204, 150, 92),   # the board's lit top
    "d": (112, 70, 38),    # the board's shaded front and brackets
    "r": (200, 60, 60),
    "R": (236, 120, 110),
    "b": (60, 100, 200),
    "B": (120, 160, 236),
    "g": (56, 150, 80),
    "G": (120, 200, 130),
    "y": (226, 176, 48),
    "Y": (250, 222, 130),
    "v": (128, 80, 176),
    "V": (182, 140, 222),
}


def draw_shelf(size):
    """Books of several colours standing on a wooden shelf."""
    c = Canvas(size, SHELF_PALETTE)
    if size == 32:
        books = [(3, 7, 8, "r"), (7, 12, 5, "b"), (12, 15, 10, "y"), (15, 20, 6, "g"), (20, 24, 9, "v"),
                 (24, 28, 12, "b")]
        floor, shelf = 25, 26
        for x0, x1, top, key in books:
            spine(c, x0, x1, top, floor, key, band_gap=max(3, (floor - top) // 4))
        c.rect(1, shelf, 30, shelf + 2, "k")
        c.rect(2, shelf + 1, 29, shelf + 1, "S")
        c.rect(4, shelf + 3, 6, shelf + 4, "d")
        c.rect(25, shelf + 3, 27, shelf + 4, "d")
    else:
        books = [(1, 4, 3, "r"), (4, 7, 5, "b"), (7, 9, 2, "y"), (9, 12, 4, "g")]
        floor, shelf = 12, 13
        for x0, x1, top, key in books:
            spine(c, x0, x1, top, floor, key, band_gap=2)
        c.rect(12, 8, 14, floor, "k")
        c.rect(13, 9, 13, floor - 1, "v")
        c.rect(0, shelf, 15, shelf + 1, "k")
        c.rect(1, shelf, 14, shelf, "S")
        c.rect(2, shelf + 2, 3, shelf + 2, "d")
        c.rect(12, shelf + 2, 13, shelf + 2, "d")
    return c


def spine(c, x0, x1, top, floor, key, band_gap):
    """One upright book seen from its spine: outline, colour, a lit left edge and two bands."""
    c.box(x0, top, x1, floor, key, "k")
    light = key.upper()
    if x1 - x0 >= 3:
        c.rect(x0 + 1, top + 1, x0 + 1, floor - 1, light)
    for y in (top + band_gap, floor - band_gap):
        c.rect(x0 + 1, y, x1 - 1, y, light)


def book_page_top(x):
    """The top edge of the large book's left page at x (0 at the outer edge, 15 at the gutter):
    it curls down at the corner and dips into the gutter, in the 32-unit grid of the small icon."""
    curl = max(0.0, 1.0 - x / 3.0) ** 2 * 2.0
    dip = max(0.0, (x - 10.0) / 5.0) ** 2 * 2.0
    return 4.0 + curl + dip


def book_colour(x, y):
    """The large book icon's colour at a point of the 32-unit grid, or None where it is clear."""
    left = x < 16.0
    px = x - 0.5 if left else 31.5 - x  # across the page from the outer edge to the gutter
    if not 0.0 <= px <= 15.5:
        return None
    top = book_page_top(min(px, 15.0))
    depth = 19.0
    if y < top - 0.5 or y > top + depth + 3.0:
        return None
    if y > top + depth + 0.6 or px < 0.9:
        edge = y > top + depth + 2.3 or px < 0.4 or y < top + 1.5
        return BOOK_PALETTE["C" if edge else "c"]
    if y < top + 0.6 or px < 1.5:
        return BOOK_PALETTE["k"]
    if y > top + depth - 0.5 or px > 14.3:
        return BOOK_PALETTE["p"]
    row = (y - top - 3.0) / 2.2
    if left and 2.6 <= px and 0 <= row < 7 and row % 1.0 < 0.4:
        return BOOK_PALETTE["l"] if px <= 12.5 - (int(row) * 5 % 4) else BOOK_PALETTE["w"]
    if not left:
        gx, gy = 16.0 + 15.5 - px, y - top
        if 18.0 <= gx <= 29.0 and 2.5 <= gy <= 4.5:
            return BOOK_PALETTE["r"]
        if 18.0 <= gx <= 29.0 and 6.0 <= gy <= 18.0:
            cell_x, cell_y = (gx - 18.0) / 11.0 * 5.0, (gy - 6.0) / 12.0 * 4.0
            if min(cell_x % 1.0, 1.0 - cell_x % 1.0) < 0.09 or min(cell_y % 1.0, 1.0 - cell_y % 1.0) < 0.1:
                return BOOK_PALETTE["g"]
            if int(cell_x) == 2 and int(cell_y) == 2:
                return BOOK_PALETTE["t"]
    return BOOK_PALETTE["w"]


def draw_large_book(size, samples=4):
    """The book at a size where single pixels no longer matter: drawn from shapes and smoothed by
    averaging samples x samples points per pixel."""
    pixels = []
    unit = 32.0 / size
    for py in range(size):
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    colour = book_colour((px + (sx + 0.5) / samples) * unit, (py + (sy + 0.5) / samples) * unit)
                    if colour is not None:
                        r, g, b, covered = r + colour[0], g + colour[1], b + colour[2], covered + 1
            if covered:
                pixels.append((round(r / covered), round(g / covered), round(b / covered),
                               round(255 * covered / samples ** 2)))
            else:
                pixels.append((0, 0, 0, 0))
    return pixels


def main():
    os.makedirs(os.path.join(HERE, "images"), exist_ok=True)
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    for scale, name in ((1, "background.png"), (2, "background@2x.png")):
        width, height, pixels = draw_background(scale)
        write_rgb(os.path.join(HERE, "images", name), width, height, pixels)
    for size in (32, 16):
        draw_book(size).save(f"noterra-{size}.png")
        draw_shelf(size).save(f"list-{size}.png")
    # The list window's icon on a screen of twice the density.
    draw_shelf(32).save("list-64.png", scale=2)
    # Menus, docks and high-density screens ask for the program's icon in these sizes too.
    for size in LARGE_ICON_SIZES:
        write_rgba(os.path.join(HERE, "icons", f"noterra-{size}.png"), size, size, draw_large_book(size))


if __name__ == "__main__":
    main()

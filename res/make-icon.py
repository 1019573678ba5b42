#!/usr/bin/env python3
"""Draws the Korvale icon and writes it as an .ico file with two images:
32 x 32 in 16 colours and 48 x 48 in 256 colours.

The drawing is plain geometry in a unit square, so the output is the same
bytes on every run: a blue tile with a white "K" and an orange double arrow
(one map format to the other and back).

Usage: make-icon.py OUTPUT.ico
"""
import struct
import sys

TRANSPARENT = None
TILE_TOP = (40, 96, 168)
TILE_BOTTOM = (16, 48, 104)
TILE_FLAT = (0, 0, 128)
LETTER = (255, 255, 255)
ARROW = (255, 204, 0)

# The 16 colours of the classic VGA palette, used by the 4-bit image.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def tile_shade(t):
    return tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))


def full_palette():
    """216 colours of a 6 x 6 x 6 cube, then 40 shades of the tile: 256 in all."""
    levels = [0, 51, 102, 153, 204, 255]
    colours = [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [tile_shade(i / 39) for i in range(40)]
    return colours


def inside_tile(x, y):
    r = 0.16
    lo, hi = 0.03, 0.97
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def near_segment(x, y, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
    t = min(max(t, 0.0), 1.0)
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= half_width * half_width


def inside_letter(x, y):
    w = 0.075
    return (near_segment(x, y, 0.30, 0.16, 0.30, 0.62, w)
            or near_segment(x, y, 0.33, 0.42, 0.66, 0.16, w)
            or near_segment(x, y, 0.40, 0.36, 0.68, 0.62, w))


def inside_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
    s1, s2, s3 = side(a, b), side(b, c), side(c, a)
    return (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0)


def inside_arrow(x, y):
    yc = 0.80
    return (near_segment(x, y, 0.26, yc, 0.74, yc, 0.045)
            or inside_triangle(x, y, (0.10, yc), (0.30, yc - 0.11), (0.30, yc + 0.11))
            or inside_triangle(x, y, (0.90, yc), (0.70, yc - 0.11), (0.70, yc + 0.11)))


def colour_at(x, y, shaded):
    if not inside_tile(x, y):
        return TRANSPARENT
    if inside_arrow(x, y):
        return ARROW
    if inside_letter(x, y):
        return LETTER
    return tile_shade(y) if shaded else TILE_FLAT


def render(size, samples, shaded):
    """Each pixel averages samples x samples points; it is transparent when
    most of its points fall outside the tile. The 16-colour image has a flat
    tile, as its palette has no shades of blue."""
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (col + (sx + 0.5) / samples) / size
                    y = (row + (sy + 0.5) / samples) / size
                    c = colour_at(x, y, shaded)
                    if c is not None:
                        covered += 1
                        total = [t + v for t, v in zip(total, c)]
            if covered * 2 < samples * samples:
                line.append(TRANSPARENT)
            else:
                line.append(tuple(round(t / covered) for t in total))
        pixels.append(line)
    return pixels


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: (sum((a - b) ** 2 for a, b in zip(palette[i], colour)), i))


def dib(pixels, palette, bits):
    """A device-independent bitmap as an icon image: header, palette,
    colour rows bottom-up, then the 1-bit transparency mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, len(palette), 0)
    table = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in palette)
    colour_rows = b""
    mask_rows = b""
    for line in reversed(pixels):
        indices = [0 if c is None else nearest(palette, c) for c in line]
        if bits == 4:
            row = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        else:
            row = bytes(indices)
        colour_rows += row + b"\0" * (-len(row) % 4)
        mask = bytearray((size + 7) // 8)
        for i, c in enumerate(line):
            if c is None:
                mask[i // 8] |= 0x80 >> (i % 8)
        mask_rows += bytes(mask) + b"\0" * (-len(mask) % 4)
    return header + table + colour_rows + mask_rows


def main():
    images = [
        (32, 16, 4, dib(render(32, 1, False), VGA, 4)),
        (48, 0, 8, dib(render(48, 4, True), full_palette(), 8)),
    ]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, colours, bits, data in images:
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, _, data in images)
    with open(sys.argv[1], "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()

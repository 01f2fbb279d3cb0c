#!/usr/bin/env python3
"""Draws the about box pictures into resources/PNG/:

- ABOUT_BACKGROUND.png (356 x 248): a dusk-blue sky with a lace of beads strung along a
  wave (the playlist's tracks on a thread), over a light band that carries the texts.
- ABOUT_WEB_BUTTON.png (40 x 40): a small globe for the link to the maker's web page, on
  magenta (255, 0, 255), the colour the about box makes transparent.

Plain Python (zlib only), so that anyone can change and rerun it:
python3 resources/tools/make_about_pictures.py
"""

import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "PNG")


def write_png(path, width, height, pixels):
    """pixels: list of rows of (r, g, b)."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b in row:
            raw += bytes((r, g, b))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)
    print(f"{os.path.normpath(path)}: {len(png)} bytes")


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def background():
    w, h = 356, 248
    sky_top, sky_low = (22, 38, 84), (48, 116, 150)
    band = (246, 242, 232)
    band_edge = 104
    img = []
    for y in range(h):
        row = []
        for x in range(w):
            if y < band_edge:
                c = mix(sky_top, sky_low, y / band_edge + 0.15 * math.sin(x / 57.0))
            else:
                c = mix(band, (232, 226, 210), (y - band_edge) / (h - band_edge))
            row.append(c)
        img.append(row)

    def disc(cx, cy, radius, colour, glow=0.0):
        for y in range(int(cy - radius - 2), int(cy + radius + 3)):
            for x in range(int(cx - radius - 2), int(cx + radius + 3)):
                if 0 <= x < w and 0 <= y < h:
                    d = math.hypot(x - cx, y - cy)
                    if d <= radius + 1:
                        cover = max(0.0, min(1.0, radius + 0.5 - d))
                        shade = mix(colour, (255, 255, 255), glow * (1 - d / (radius + 1)))
                        img[y][x] = mix(img[y][x], shade, cover)

    # A soft thin line between sky and band.
    for x in range(w):
        for y in (band_edge - 1, band_edge):
            img[y][x] = mix(img[y][x], (214, 170, 84), 0.8)

    # The thread and its beads.
    def wave(x):
        return 58 + 22 * math.sin(x / 48.0) + 6 * math.sin(x / 17.0)

    for x10 in range(0, w * 10):
        x = x10 / 10
        disc(x, wave(x), 0.6, (236, 226, 200))
    colours = [(240, 196, 92), (226, 120, 96), (132, 196, 214), (246, 236, 210), (176, 142, 214)]
    for i, x in enumerate(range(14, w - 60, 26)):
        disc(x, wave(x), 6.5 if i % 3 else 8.5, colours[i % len(colours)], glow=0.55)

    # A few stars.
    for sx, sy in ((40, 18), (120, 12), (200, 26), (262, 14), (310, 40), (82, 90), (236, 88)):
        disc(sx, sy, 1.2, (255, 250, 230), glow=0.5)

    # Three short track lines at the band's left, like the entries of a playlist.
    for i, length in enumerate((52, 40, 46)):
        y0 = 122 + i * 20
        disc(22, y0, 3.5, colours[i], glow=0.3)
        for x in range(32, 32 + length):
            for y in range(y0 - 1, y0 + 2):
                img[y][x] = mix(img[y][x], (160, 150, 132), 0.7)
    write_png(os.path.join(OUT, "ABOUT_BACKGROUND.png"), w, h, img)


def web_button():
    size = 40
    magenta = (255, 0, 255)
    cx = cy = (size - 1) / 2
    r = 17
    img = []
    for y in range(size):
        row = []
        for x in range(size):
            dx, dy = x - cx, y - cy
            d = math.hypot(dx, dy)
            if d > r:
                row.append(magenta)  # hard edge: a blended rim would show pink
                continue
            c = mix((60, 150, 200), (20, 70, 130), (dx + dy) / (2 * r) + 0.5)
            # Meridians and parallels.
            lon = abs(dx) / math.sqrt(max(1e-6, r * r - dy * dy)) if abs(dy) < r else 0
            on_line = (abs(dy) < 0.8 or abs(abs(dy) - 8.5) < 0.7 or abs(dx) < 0.8
                       or abs(lon - 0.62) < 0.07 or d > r - 1.4)
            if on_line:
                c = mix(c, (240, 246, 250), 0.85)
            row.append(c)
        img.append(row)
    write_png(os.path.join(OUT, "ABOUT_WEB_BUTTON.png"), size, size, img)


if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    background()
    web_button()

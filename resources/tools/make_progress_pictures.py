#!/usr/bin/env python3
"""Draws the progress dialog's pictures into resources/PNG/ and its completion chime into
resources/WAVE/:

- PROGRESS_BANNER.png (480 x 48): a dark blue band that lightens to the right, with a
  string of small beads along its lower edge, behind the banner's white title and detail
  line (the band stays dark enough for white text over its whole width).
- PROGRESS_CURRENT.png, PROGRESS_DONE.png, PROGRESS_CANCELLED.png (16 x 16, RGBA): a blue
  arrow for the step in work, a green tick for a finished step and a red cross for a
  cancelled one; shapes and colours differ, so they stay apart for colour-blind users too.
- COMPLETED.wav (8-bit mono, 11025 Hz, under half a second): two soft bell notes (E6, A6).

Plain Python (zlib and wave only): python3 resources/tools/make_progress_pictures.py
"""

import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
PNG = os.path.join(HERE, "..", "PNG")
WAVE = os.path.join(HERE, "..", "WAVE")


def write_png(path, width, height, pixels, alpha):
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for px in row:
            raw += bytes(px)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)
    print(f"{os.path.normpath(path)}: {len(png)} bytes")


def banner():
    w, h = 480, 48
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            t = x / w
            r = int(30 + (90 - 30) * t)
            g = int(70 + (135 - 70) * t)
            b = int(150 + (200 - 150) * t)
            # beads along a gentle wave near the bottom
            for k in range(24):
                cx = 12 + k * 20
                cy = 44.5 + 1.2 * math.sin(k * 0.9)
                d = math.hypot(x - cx, y - cy)
                if d < 2.6:
                    s = max(0.0, 1.0 - d / 2.6)
                    r, g, b = int(r * (1 - s) + 190 * s), int(g * (1 - s) + 215 * s), int(b * (1 - s) + 250 * s)
            row.append((r, g, b))
        rows.append(row)
    write_png(os.path.join(PNG, "PROGRESS_BANNER.png"), w, h, rows, False)


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def mark(name, colour, segments, width):
    rows = []
    for y in range(16):
        row = []
        for x in range(16):
            d = min(seg_dist(x + 0.5, y + 0.5, *s) for s in segments)
            a = max(0.0, min(1.0, width - d + 0.5))
            row.append((*colour, int(255 * a)))
        rows.append(row)
    write_png(os.path.join(PNG, name), 16, 16, rows, True)


def chime():
    rate = 11025
    samples = bytearray()
    n = int(rate * 0.45)
    for i in range(n):
        t = i / rate
        v = 0.0
        for start, freq in ((0.0, 1318.5), (0.12, 1760.0)):
            if t >= start:
                u = t - start
                v += 0.45 * math.exp(-u * 9) * math.sin(2 * math.pi * freq * u) * min(1.0, u * 400)
        samples.append(max(0, min(255, int(128 + 127 * v))))
    path = os.path.join(WAVE, "COMPLETED.wav")
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(rate)
        out.writeframes(bytes(samples))
    print(f"{os.path.normpath(path)}: {os.path.getsize(path)} bytes")


os.makedirs(WAVE, exist_ok=True)
banner()
mark("PROGRESS_CURRENT.png", (30, 90, 200), [(4, 3, 11, 8), (11, 8, 4, 13)], 1.6)
mark("PROGRESS_DONE.png", (20, 140, 40), [(3, 8, 6.5, 12), (6.5, 12, 13, 4)], 1.6)
mark("PROGRESS_CANCELLED.png", (200, 30, 30), [(4, 4, 12, 12), (12, 4, 4, 12)], 1.6)
chime()

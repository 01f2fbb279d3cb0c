#!/usr/bin/env python3
"""Writes the about box tune, resources/MIDI/210.mid: eight bars in C major for vibraphone,
electric piano and bass, at 100 beats per minute with a slight slowing in the last bar, so
that the loop back to the start is heard as a new beginning.

Run from anywhere: python3 resources/tools/make_about_song.py
"""

import os
import struct

DIVISION = 480  # ticks per quarter note
BAR = 4 * DIVISION
NAMES = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


def note(name):
    """'C5' -> 72, 'F#4' -> 66."""
    pitch = NAMES[name[0]]
    rest = name[1:]
    if rest.startswith("#"):
        pitch += 1
        rest = rest[1:]
    return 12 * (int(rest) + 1) + pitch


def vlq(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


class Track:
    def __init__(self):
        self.events = []  # (tick, order, bytes)

    def add(self, tick, data, order=1):
        self.events.append((tick, order, bytes(data)))

    def meta(self, tick, kind, payload):
        self.add(tick, bytes([0xFF, kind]) + vlq(len(payload)) + payload, order=0)

    def notes(self, channel, start, pitches, length, velocity):
        for p in pitches:
            self.add(start, [0x90 | channel, p, velocity], order=2)
            # Note-off as note-on with velocity 0, which lets running status carry on.
            self.add(start + length, [0x90 | channel, p, 0], order=1)

    def encode(self):
        out = bytearray()
        last_tick = 0
        running = None
        for tick, _, data in sorted(self.events, key=lambda e: (e[0], e[1])):
            out += vlq(tick - last_tick)
            last_tick = tick
            status = data[0]
            if status < 0xF0 and status == running:
                out += data[1:]
            else:
                out += data
                running = status if status < 0xF0 else None
        out += vlq(0) + b"\xff\x2f\x00"
        return b"MTrk" + struct.pack(">I", len(out)) + bytes(out)


def tempo(bpm):
    return struct.pack(">I", round(60_000_000 / bpm))[1:]


def main():
    conductor = Track()
    conductor.meta(0, 0x03, b"Tracklace about box")
    conductor.meta(0, 0x58, bytes([4, 2, 24, 8]))  # 4/4
    conductor.meta(0, 0x51, tempo(100))
    # A gentle ritardando over the last two beats.
    conductor.meta(7 * BAR + 2 * DIVISION, 0x51, tempo(92))
    conductor.meta(7 * BAR + 3 * DIVISION, 0x51, tempo(84))
    conductor.meta(8 * BAR, 0x01, b"end")

    melody = Track()
    melody.add(0, [0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7], order=0)  # General MIDI on
    melody.add(0, [0xC0, 11])  # vibraphone
    melody.add(0, [0xB0, 7, 100])
    melody.add(0, [0xB0, 10, 54])  # a little left of centre
    tune = [
        [("E5", 1), ("G5", 1), ("C6", 1), ("G5", 1)],
        [("A5", 1.5), ("G5", 0.5), ("E5", 1), ("C5", 1)],
        [("F5", 1), ("A5", 1), ("C6", 1), ("A5", 0.5), ("G5", 0.5)],
        [("G5", 2), ("D5", 1), ("B4", 1)],
        [("E5", 0.5), ("F5", 0.5), ("G5", 1), ("E5", 1), ("C5", 1)],
        [("A4", 1), ("C5", 1), ("E5", 1), ("A5", 1)],
        [("F5", 1), ("E5", 0.5), ("D5", 0.5), ("D5", 1), ("B4", 1)],
        [("C5", 3), (None, 1)],
    ]
    tick = 0
    for bar in tune:
        for name, beats in bar:
            length = int(beats * DIVISION)
            if name:
                accent = 92 if tick % BAR == 0 else 80
                melody.notes(0, tick, [note(name)], length - 20, accent)
            tick += length

    # Broken chords on the electric piano, one chord (or two) a bar.
    chords = [
        [("C3", True)], [("A2", False)], [("F2", True)], [("G2", True)],
        [("C3", True)], [("A2", False)], [("D3", False), ("G2", True)], [("C3", True)],
    ]
    piano = Track()
    piano.add(0, [0xC1, 4])  # electric piano
    piano.add(0, [0xB1, 7, 78])
    piano.add(0, [0xB1, 10, 74])
    bass = Track()
    bass.add(0, [0xC2, 32])  # acoustic bass
    bass.add(0, [0xB2, 7, 96])
    for index, bar in enumerate(chords):
        start = index * BAR
        span = BAR // len(bar)
        for part, (root_name, major) in enumerate(bar):
            root = note(root_name) + 12
            third = 4 if major else 3
            pattern = [0, 7, 12, third + 12, 12, 7, 12, 7][: span // (DIVISION // 2)]
            for step, interval in enumerate(pattern):
                t = start + part * span + step * (DIVISION // 2)
                piano.notes(1, t, [root + interval], DIVISION // 2 - 10, 60 if step else 70)
            bass.notes(2, start + part * span, [note(root_name) - 12], span - 30, 90)

    tracks = [conductor, melody, piano, bass]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), DIVISION)
    song = header + b"".join(t.encode() for t in tracks)
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "MIDI", "210.mid")
    with open(target, "wb") as f:
        f.write(song)
    print(f"{os.path.normpath(target)}: {len(song)} bytes")


if __name__ == "__main__":
    main()

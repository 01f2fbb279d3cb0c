#!/usr/bin/env python3
"""Checks a WAV rendering of the about box tune (made with
`tracklace_about_preview render song.wav`): its length, that it is never silent while the
tune plays, its beat, and the harmony of each bar against the chords the tune is written in.

python3 resources/tools/check_about_song_wav.py song.wav
"""

import math
import struct
import sys
import wave

BEAT = 0.6  # seconds a quarter note at 100 beats per minute
CHORDS = [("C", "CEG"), ("Am", "ACE"), ("F", "FAC"), ("G", "GBD"),
          ("C", "CEG"), ("Am", "ACE"), ("Dm G", "DFAGB"), ("C", "CEG")]
NAMES = ["C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"]


def read_mono(path):
    with wave.open(path, "rb") as w:
        rate, channels, width, frames = (w.getframerate(), w.getnchannels(), w.getsampwidth(),
                                         w.getnframes())
        data = w.readframes(frames)
    if width != 2:
        sys.exit(f"expected 16-bit samples, found {8 * width}-bit")
    samples = struct.unpack(f"<{len(data) // 2}h", data)
    mono = [sum(samples[i:i + channels]) / channels for i in range(0, len(samples), channels)]
    return rate, mono


def rms(block):
    return math.sqrt(sum(x * x for x in block) / max(1, len(block)))


def goertzel(block, rate, freq):
    k = 2 * math.cos(2 * math.pi * freq / rate)
    s1 = s2 = 0.0
    for x in block:
        s1, s2 = x + k * s1 - s2, s1
    return s1 * s1 + s2 * s2 - k * s1 * s2


def main(path):
    rate, mono = read_mono(path)
    seconds = len(mono) / rate
    print(f"length {seconds:.2f} s at {rate} Hz, peak {max(abs(x) for x in mono):.0f}")
    ok = True

    # Loudness in 100 ms steps over the 19.4 s of the tune: no gap anywhere.
    step = rate // 10
    levels = [rms(mono[i:i + step]) for i in range(0, int(19.3 * rate), step)]
    quiet = [i / 10 for i, v in enumerate(levels) if v < 100]
    print(f"loudness over the tune: min {min(levels):.0f}, max {max(levels):.0f}, "
          f"quiet stretches at {quiet[:5]}")
    ok &= not quiet

    # The beat: attacks in 10 ms frames; their autocorrelation peaks at the eighth note.
    frame = rate // 100
    env = [rms(mono[i:i + frame]) for i in range(0, int(19 * rate), frame)]
    attack = [max(0.0, env[i] - env[i - 1]) for i in range(1, len(env))]
    best = max(range(20, 80), key=lambda lag: sum(a * b for a, b in zip(attack, attack[lag:])))
    print(f"strongest repetition of the attacks: {best * 10} ms (an eighth note is 300 ms)")
    ok &= abs(best * 10 - 300) <= 20 or abs(best * 10 - 600) <= 20

    # Harmony: energy per pitch class over each bar, downsampled by 4.
    low = mono[::4]
    lrate = rate / 4
    for bar, (name, tones) in enumerate(CHORDS):
        start = int(bar * 4 * BEAT * lrate)
        block = low[start:start + int(4 * BEAT * lrate * 0.9)]
        energy = [0.0] * 12
        for pc in range(12):
            for octave in range(2, 6):
                f = 440 * 2 ** ((12 * (octave + 1) + pc - 69) / 12)
                energy[pc] += goertzel(block, lrate, f)
        top = sorted(range(12), key=lambda pc: -energy[pc])[:3]
        top_names = [NAMES[pc] for pc in top]
        fits = all(n in tones for n in top_names)
        print(f"bar {bar + 1} ({name:4}): strongest pitch classes {' '.join(top_names):8} "
              f"{'in the chord' if fits else 'NOT in the chord'}")
        ok &= fits
    print("looks like the tune" if ok else "does NOT look like the tune")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

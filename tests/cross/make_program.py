#!/usr/bin/python3
"""Writes a program file (.fxp) and its sounds, field by field from the documented layout of the
program chunk, for the test that carries a chunk between Linux and Windows.

usage: make_program.py PROGRAM.fxp LIBRARY-FOLDER [LIBRARY-FOLDER ...]
The sounds go under Samples/ of every library folder given; the program names them relative to
the library ("\\Samples\\..."), so it finds them on either system."""
import math, os, struct, sys, wave

program, libraries = sys.argv[1], sys.argv[2:]

# Sounds with many distinct sample values, so that any difference in the arithmetic shows.
kick = [int(14000 * math.exp(-i / 2500) * math.sin(i * 0.021 + 0.0003 * i * i / 50)) for i in range(9000)]
snare = [int(9000 * math.exp(-i / 1200) * math.sin(i * 0.37) * math.cos(i * 0.113)) for i in range(6000)]
for library in libraries:
    os.makedirs(os.path.join(library, "Samples"), exist_ok=True)
    for name, samples in (("kick.wav", kick), ("snare.wav", snare)):
        with wave.open(os.path.join(library, "Samples", name), "wb") as w:
            w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
            w.writeframes(struct.pack("<%dh" % len(samples), *samples))

tracks, track_bytes, header = 8, 3580, 64
tail_at = header + tracks * track_bytes
block = bytearray(tail_at + 1448)
struct.pack_into("<iI", block, 0, len(block), 1475)
struct.pack_into(">I", block, 8, 1475)
struct.pack_into("<i", block, 12, tracks)
block[32:36] = b"1.49"
reset = [0.869176, 0.5, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, -1, 0, 0, -1, 0, 0, 0, 0,
         0.2407676, 0.707, 0, 0.4815352, 0.707, 0, 0.6889311, 0.707, 0, 0.5, 0, 0]
for t in range(tracks):
    at = header + t * track_bytes
    for p in range(16):
        struct.pack_into("<bbb", block, at + 256 + 3 * p, -1, -1, 0)
    for n in range(12):
        block[at + 304 + n] = 1
    for s in range(64):
        for p in range(16):
            block[at + 316 + 48 * s + 16 + p] = 1   # hold 1
    struct.pack_into("<32f", block, at + 3388, *reset)

def track(t, sound, level, pan, equaliser):
    at = header + t * track_bytes
    name = ("\\Samples\\" + sound).encode()
    block[at:at + len(name)] = name
    settings = list(reset)
    settings[0], settings[1] = level, pan
    # Each band's frequency, bandwidth and gain: gains away from flat, so the equaliser works.
    settings[20:29] = equaliser
    struct.pack_into("<32f", block, at + 3388, *settings)

def hit(t, pattern, step, velocity):
    block[header + t * track_bytes + 316 + 48 * step + pattern] = velocity

track(0, "kick.wav", 0.8, 0.3, [0.2407676, 0.707, 0.8, 0.4815352, 0.5, 0.2, 0.6889311, 0.9, 0.7])
track(1, "snare.wav", 0.7, 0.8, [0.3, 0.6, 0.1, 0.5, 0.707, 0.9, 0.7, 0.4, 0.3])
for step in (0, 4, 8, 12):
    hit(0, 0, step, 127)
for step in (2, 6, 10, 14):
    hit(1, 0, step, 90 + step)
struct.pack_into("<16i", block, tail_at, *([16] * 16))
struct.pack_into("<7i", block, tail_at + 128, 0, 0, 0, 0, 0, 1, 120)  # pattern 0, repeat
struct.pack_into("<4i", block, tail_at + 172, 0, -1, 0, 64)
struct.pack_into("<10f", block, tail_at + 296, 1, 0.3, 0.6, 0.9, 0.5, 0.707, 0.2, 0.7, 0.5, 0.6)

fxp = bytearray(b"CcnK")
fxp += struct.pack(">i", len(block) + 52) + b"FPCh" + struct.pack(">iiii", 1, 0x3931356B, 1, 1)
fxp += b"Travel".ljust(28, b"\0") + struct.pack(">i", len(block)) + block
open(program, "wb").write(fxp)

#!/usr/bin/env python3
"""Writes the demo MIDI files of this folder (format 1, 480 ticks a quarter).

Run it from anywhere; it rewrites bass.mid, lead.mid and chords.mid next to
itself. The files are committed, so the demo needs no Python.
"""
import os
import struct

TICKS = 480  # per quarter note


def variable_length(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, 0x80 | (value & 0x7F))
        value >>= 7
    return bytes(out)


def track(events):
    """events: (tick, bytes) in any order; written sorted, note-offs first on a tie."""
    body = b""
    now = 0
    for tick, data in sorted(events, key=lambda e: (e[0], (e[1][0] & 0xF0) != 0x80)):
        body += variable_length(tick - now) + data
        now = tick
    body += variable_length(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(body)) + body


def tempo_track(bpm, name):
    micros = round(60_000_000 / bpm)
    events = [
        (0, b"\xff\x03" + bytes([len(name)]) + name.encode()),
        (0, b"\xff\x51\x03" + micros.to_bytes(3, "big")),
        (0, b"\xff\x58\x04\x04\x02\x18\x08"),  # 4/4
    ]
    return track(events)


def note(events, start, length, key, velocity=100, channel=0):
    events.append((start, bytes([0x90 | channel, key, velocity])))
    events.append((start + length, bytes([0x80 | channel, key, 0])))


def bend(events, tick, value, channel=0):
    """value -8192..8191"""
    raw = max(0, min(16383, value + 8192))
    events.append((tick, bytes([0xE0 | channel, raw & 0x7F, raw >> 7])))


def write(name, bpm, events):
    data = b"MThd" + struct.pack(">IHHH", 6, 1, 2, TICKS) + tempo_track(bpm, name) + track(events)
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), name + ".mid"), "wb") as f:
        f.write(data)


def bass():
    events = []
    sixteenth = TICKS // 4
    # A minor riff over four bars, twice; accents on the beats.
    riff = [33, 33, 45, 33, 31, 43, 33, 36, 33, 33, 45, 40, 38, 36, 31, 28]
    for bar in range(8):
        root_shift = [0, 0, 5, 3, 0, 0, 7, 5][bar]
        for step, key in enumerate(riff):
            start = (bar * 16 + step) * sixteenth
            velocity = 112 if step % 4 == 0 else 84
            note(events, start, sixteenth * 3 // 4, key + root_shift, velocity)
    write("bass", 120, events)


def lead():
    events = []
    eighth = TICKS // 2
    melody = [(69, 2), (72, 1), (74, 1), (76, 3), (74, 1), (72, 2), (69, 2), (67, 4),
              (69, 2), (72, 1), (76, 1), (79, 3), (77, 1), (76, 2), (74, 2), (76, 4)]
    tick = 0
    for i, (key, eighths) in enumerate(melody):
        length = eighths * eighth
        note(events, tick, length - 20, key, 96)
        if eighths >= 3:  # a bend up into the long notes and back
            for step in range(9):
                bend(events, tick + step * 20, -4096 + step * 512)
        if i in (7, 15):  # vibrato-like wobble on the phrase ends
            for step in range(32):
                bend(events, tick + step * (length // 32), 600 if step % 2 else -600)
            bend(events, tick + length - 10, 0)
        tick += length
    events.append((0, bytes([0xB0, 1, 0])))
    events.append((tick // 2, bytes([0xB0, 1, 64])))  # mod wheel up in the second phrase
    write("lead", 100, events)


def chords():
    events = []
    bar = TICKS * 4
    progression = [[57, 60, 64, 67], [53, 57, 60, 64], [48, 52, 55, 59], [55, 59, 62, 65]]
    for repeat in range(2):
        for i, chord in enumerate(progression):
            start = (repeat * 4 + i) * bar
            for voice, key in enumerate(chord):
                note(events, start + voice * 10, bar - 60, key, 90 - voice * 6)
    write("chords", 90, events)


if __name__ == "__main__":
    bass()
    lead()
    chords()

#!/usr/bin/env python3
"""Draws scissors.ico: a 32 x 32, 24-bit icon of an open pair of scissors (two steel blades
crossing at a screw, two red ring handles), the window and program icon of Pomarel.scr.
Plain Python: 4 x 4 supersampling for the colours, the AND mask from the coverage.
Usage: make_scissors_icon.py [output.ico]"""
import math
import struct
import sys
from pathlib import Path

SIZE = 32
SAMPLES = 4
PIVOT = (16.0, 15.5)


def segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    dx, dy = px - (ax + t * vx), py - (ay + t * vy)
    return math.hypot(dx, dy), t


def blade(px, py, tip, heel):
    """A blade from its heel behind the pivot to its tip, tapering to a point."""
    d, t = segment_distance(px, py, heel[0], heel[1], tip[0], tip[1])
    half_width = 2.3 * (1.0 - t) + 0.35 * t
    if d > half_width:
        return None
    # A bright cutting edge on one side, darker steel on the other.
    side = (px - heel[0]) * (tip[1] - heel[1]) - (py - heel[1]) * (tip[0] - heel[0])
    return (225, 230, 238) if side > 0 else (150, 158, 172)


def ring(px, py, centre, outer, inner):
    d = math.hypot(px - centre[0], py - centre[1])
    if inner <= d <= outer:
        shade = 1.0 - 0.35 * max(0.0, (px - centre[0] + py - centre[1]) / (2 * outer))
        return (int(205 * shade), int(30 * shade), int(40 * shade))
    return None


def shank(px, py, start, end):
    d, _ = segment_distance(px, py, start[0], start[1], end[0], end[1])
    return (185, 25, 35) if d <= 1.4 else None


def colour_at(px, py):
    left_ring, right_ring = (8.5, 25.0), (23.5, 25.0)
    # Back to front: right blade and handle, then left, then the screw.
    layers = [
        lambda: blade(px, py, (5.5, 2.5), (19.5, 19.0)),
        lambda: shank(px, py, PIVOT, (21.0, 21.5)),
        lambda: ring(px, py, right_ring, 5.2, 2.9),
        lambda: blade(px, py, (26.5, 2.5), (12.5, 19.0)),
        lambda: shank(px, py, PIVOT, (11.0, 21.5)),
        lambda: ring(px, py, left_ring, 5.2, 2.9),
    ]
    found = None
    for layer in layers:
        c = layer()
        if c is not None:
            found = c
    if math.hypot(px - PIVOT[0], py - PIVOT[1]) <= 1.6:
        found = (60, 62, 70)
    return found


def render():
    pixels = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            total = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour_at(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            total[i] += c[i]
            if hits * 2 >= SAMPLES * SAMPLES:
                row.append(tuple(v // hits for v in total))
            else:
                row.append(None)  # transparent
        pixels.append(row)
    return pixels


def icon_bytes(pixels):
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # DIB rows run bottom-up
        bits = 0
        for x in range(SIZE):
            c = pixels[y][x]
            if c is None:
                xor += b"\0\0\0"
                bits |= 1 << (31 - x)
            else:
                xor += bytes((c[2], c[1], c[0]))
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("scissors.ico")
    out.write_bytes(icon_bytes(render()))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the settings dialog's pictures: the 556 x 20 brushed-metal texture tiled over the
music panel, the two 12 x 12 choice images (empty and chosen) and the 32 x 32 pointing-hand
cursor of the link label, hot spot (12, 10) on the fingertip.
Standard library only, deterministic; the files it writes are committed and compiled in by
settings_dialog.rc. Usage: make_pictures.py [output folder]   (default: this script's folder)
"""
import math
import random
import struct
import sys
from pathlib import Path

TEXTURE_SIZE = (556, 20)
TEXTURE_MEAN = (199, 195, 194)
CHOICE_SIZE = 12
CURSOR_SIZE = 32
HOT_SPOT = (12, 10)


def bmp24(width, height, pixels):
    """A bottom-up 24-bit BMP; `pixels[y][x]` is (r, g, b), top row first."""
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for r, g, b in pixels[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        body += row
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return header + info + bytes(body)


def smooth(values, radius):
    """A wrap-around box blur, so the texture tiles without a seam at its left and right edges."""
    n = len(values)
    window = 2 * radius + 1
    return [sum(values[(i + k) % n] for k in range(-radius, radius + 1)) / window for i in range(n)]


def texture():
    width, height = TEXTURE_SIZE
    rng = random.Random(1956)
    lum = []
    for y in range(height):
        # Each row is one long streak: a base tone of its own, fine grain smeared along x, and a
        # few brighter scratches.
        base = rng.uniform(-7.0, 7.0)
        grain = smooth([rng.gauss(0.0, 9.0) for _ in range(width)], 6)
        swell = smooth([rng.gauss(0.0, 14.0) for _ in range(width)], 40)
        row = [base + grain[x] + swell[x] for x in range(width)]
        for _ in range(rng.randint(1, 3)):
            start, length = rng.randrange(width), rng.randint(30, 160)
            lift = rng.uniform(6.0, 14.0)
            for k in range(length):
                fade = math.sin(math.pi * k / length)
                row[(start + k) % width] += lift * fade
        lum.append(row)
    # Shift every channel so the whole picture averages TEXTURE_MEAN.
    mean = sum(sum(r) for r in lum) / (width * height)
    pixels = []
    for row in lum:
        out = []
        for v in row:
            out.append(tuple(max(0, min(255, round(m + v - mean))) for m in TEXTURE_MEAN))
        pixels.append(out)
    return width, height, pixels


OUTLINE = (38, 46, 74)
EMPTY_FILL = (246, 246, 242)
BLUE_FILL = (36, 92, 214)
BLUE_LIGHT = (110, 160, 246)


def choice(chosen):
    n = CHOICE_SIZE
    pixels = []
    for y in range(n):
        row = []
        for x in range(n):
            if x in (0, n - 1) or y in (0, n - 1):
                row.append(OUTLINE)
            elif not chosen:
                # A faint inner shadow along the top and left keeps the empty square from
                # looking flat on the light panel.
                row.append((214, 214, 210) if x == 1 or y == 1 else EMPTY_FILL)
            else:
                row.append(BLUE_LIGHT if (x <= 3 and y <= 3 and x + y <= 4) else BLUE_FILL)
        pixels.append(row)
    return n, n, pixels


def segment_distance(px, py, a, b):
    vx, vy = b[0] - a[0], b[1] - a[1]
    t = max(0.0, min(1.0, ((px - a[0]) * vx + (py - a[1]) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - (a[0] + t * vx), py - (a[1] + t * vy))


def hand_shape(x, y):
    """True where the hand covers pixel (x, y): a raised index finger whose tip is the hot
    spot, three folded fingers, a palm and a thumb on the left."""
    def box(x0, y0, x1, y1, rounded_top=False):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        if rounded_top and y == y0 and x in (x0, x1):
            return False
        return True

    hx, hy = HOT_SPOT
    index = box(hx - 2, hy, hx + 2, hy + 12, rounded_top=True)
    middle = box(hx + 3, hy + 6, hx + 6, hy + 13, rounded_top=True)
    ring = box(hx + 7, hy + 7, hx + 10, hy + 13, rounded_top=True)
    little = box(hx + 11, hy + 8, hx + 13, hy + 14, rounded_top=True)
    palm = box(hx - 2, hy + 12, hx + 13, hy + 19) and not (x == hx + 13 and y == hy + 19)
    wrist = box(hx, hy + 20, hx + 12, hy + 21)
    # The thumb sticks out to the upper left from the side of the palm.
    thumb = segment_distance(x, y, (hx - 6, hy + 10), (hx - 1, hy + 15)) <= 1.6
    return index or middle or ring or little or palm or wrist or thumb


def cursor():
    n = CURSOR_SIZE
    inside = [[hand_shape(x, y) for x in range(n)] for y in range(n)]
    hx, hy = HOT_SPOT
    # Outline: covered pixels next to an uncovered one, and the creases between the fingers.
    creases = {(hx + 2, y) for y in range(hy + 7, hy + 13)}
    creases |= {(hx + 6, y) for y in range(hy + 8, hy + 13)}
    creases |= {(hx + 10, y) for y in range(hy + 9, hy + 13)}
    image = []  # None transparent, True black, False white
    for y in range(n):
        row = []
        for x in range(n):
            if not inside[y][x]:
                row.append(None)
                continue
            edge = any(
                not (0 <= x + dx < n and 0 <= y + dy < n and inside[y + dy][x + dx])
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            row.append(edge or (x, y) in creases)
        image.append(row)
    return image


def cur_bytes(image):
    """A monochrome .cur: 1-bit XOR picture (palette black, white) and AND mask."""
    n = CURSOR_SIZE
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(n)):
        xbits = 0
        mbits = 0
        for x in range(n):
            px = image[y][x]
            if px is None:
                mbits |= 1 << (n - 1 - x)  # screen shows through
            elif px is False:
                xbits |= 1 << (n - 1 - x)  # palette entry 1: white
        xor += struct.pack(">I", xbits)
        mask += struct.pack(">I", mbits)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    info = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    data = info + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", n, n, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(data), 6 + 16)
    return directory + entry + data


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent
    out.mkdir(parents=True, exist_ok=True)
    (out / "texture.bmp").write_bytes(bmp24(*texture()))
    (out / "choice_off.bmp").write_bytes(bmp24(*choice(False)))
    (out / "choice_on.bmp").write_bytes(bmp24(*choice(True)))
    (out / "hand.cur").write_bytes(cur_bytes(cursor()))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the six 64 x 25 state images of the Command button as 24-bit BMP files.

Only a 4-pixel frame of each image is ever used: strips listed from the image's outer edge
inwards, the inner pair of the side strips shaded from top to bottom, and the dark border
rounded at each corner with two blended pixels. The interior is filled with a plain colour.
Usage: make_images.py [output folder]   (default: the folder of this script)
Standard library only; the BMPs it writes are committed and compiled in by command_images.rc.
"""
import os
import struct
import sys

WIDTH, HEIGHT, CORNER = 64, 25, 4
EDGE_TOP, EDGE_BOTTOM = CORNER, HEIGHT - CORNER - 1  # rows 4 and 20: where side shading runs

DARK_BLEND = ("7A95A8", "255783")   # corner pixel, its two neighbours, on the 003C74 border
GREY_BLEND = ("D8D5C7", "CBC9BC")   # the same on the C9C7BA border of Disable


def flat(colour):
    """A side-strip pixel colour that does not change down the strip."""
    return [(EDGE_TOP, colour)]


def normal_inner():
    return [(EDGE_TOP, "F4F4F0"), (EDGE_BOTTOM - 6, "F4F4F0"), (EDGE_BOTTOM, "ECEBE6")]


MIDDLE = (EDGE_TOP + EDGE_BOTTOM) // 2
HIGHLIGHT_2 = [(EDGE_TOP, "FEDF9A"), (MIDDLE, "FCCA69"), (EDGE_BOTTOM, "F9B435")]
HIGHLIGHT_3 = [(EDGE_TOP, "FCD279"), (MIDDLE, "FBCA6A"), (EDGE_BOTTOM, "F8B535")]
SELECTED_INNER = [(EDGE_TOP, "B7D0F4"), (MIDDLE, "A9C5EF"), (EDGE_BOTTOM, "8BADE4")]

HIGHLIGHT = {
    "top": ["DCD6C2", "003C74", "FFF0CF", "FDD889"],
    "bottom": ["FAFAF6", "003C74", "E59700", "F8B330"],
    "left": [flat("E2DECB"), flat("003C74"), HIGHLIGHT_2, HIGHLIGHT_3],
    "right": [flat("F0EEE0"), flat("003C74"), HIGHLIGHT_2, HIGHLIGHT_3],
    "border": 1, "blend": DARK_BLEND, "interior": "FCE3AC",
}

IMAGES = {
    "normal": {
        "top": ["DCD6C2", "003C74", "F3F3EE", "F3F3EE"],
        "bottom": ["FAFAF6", "003C74", "D6D0C5", "E2DFD6"],
        "left": [flat("E2DECB"), flat("003C74"), normal_inner(), normal_inner()],
        "right": [flat("F0EEE0"), flat("003C74"), flat("E8E5DF"), flat("EEEDE7")],
        "border": 1, "blend": DARK_BLEND, "interior": "F3F3EE",
    },
    "highlight": HIGHLIGHT,
    "highlightselect": HIGHLIGHT,
    "selected": {
        "top": ["DCD6C2", "003C74", "CEE7FF", "CEE7FF"],
        "bottom": ["FAFAF6", "003C74", "6982EE", "6982EE"],
        "left": [flat("E2DECB"), flat("003C74"), SELECTED_INNER, SELECTED_INNER],
        "right": [flat("F0EEE0"), flat("003C74"), SELECTED_INNER, SELECTED_INNER],
        "border": 1, "blend": DARK_BLEND, "interior": "C0D8F8",
    },
    "pressed": {
        "top": ["ECE9D8", "DCD6C2", "003C74", "D1CCC1"],
        "bottom": ["ECE9D8", "FAFAF6", "003C74", "F2F1EE"],
        "left": [flat("ECE9D8"), flat("E2DECB"), flat("003C74"), flat("D7D4CB")],
        "right": [flat("ECE9D8"), flat("F0EEE0"), flat("003C74"), flat("E4E3DC")],
        "border": 2, "blend": DARK_BLEND, "interior": "E6E4DA",
    },
    "disable": {
        "top": ["ECE9D8", "C9C7BA", "F5F4EA", "F5F4EA"],
        "bottom": ["ECE9D8", "C9C7BA", "F5F4EA", "F5F4EA"],
        "left": [flat("ECE9D8"), flat("C9C7BA"), flat("F5F4EA"), flat("F5F4EA")],
        "right": [flat("ECE9D8"), flat("C9C7BA"), flat("F5F4EA"), flat("F5F4EA")],
        "border": 1, "blend": GREY_BLEND, "interior": "F5F4EA",
    },
}


def rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def shade(anchors, row):
    """Colour of a side-strip pixel at `row`: linear between the anchors, held beyond them."""
    row = min(max(row, EDGE_TOP), EDGE_BOTTOM)
    points = [(r, rgb(c)) for r, c in anchors]
    if row <= points[0][0]:
        return points[0][1]
    for (r0, c0), (r1, c1) in zip(points, points[1:]):
        if r0 <= row <= r1:
            t = (row - r0) / (r1 - r0)
            return tuple(int(round(a + (b - a) * t)) for a, b in zip(c0, c1))
    return points[-1][1]


def pixel(image, x, y):
    # Depth of the pixel inside the frame from each edge (0 at the image's border).
    dx_left, dx_right = x, WIDTH - 1 - x
    dy_top, dy_bottom = y, HEIGHT - 1 - y
    dx, side = (dx_left, "left") if dx_left <= dx_right else (dx_right, "right")
    dy, end = (dy_top, "top") if dy_top <= dy_bottom else (dy_bottom, "bottom")
    if dx >= CORNER and dy >= CORNER:
        return rgb(image["interior"])
    if dx < CORNER and dy < CORNER:
        ring = image["border"]
        if (dx, dy) == (ring, ring):
            return rgb(image["blend"][0])
        if (dx, dy) in ((ring + 1, ring), (ring, ring + 1)):
            return rgb(image["blend"][1])
    if dy <= dx:
        return rgb(image[end][dy])
    return shade(image[side][dx], y)


def bmp_bytes(image):
    row_size = (WIDTH * 3 + 3) & ~3
    rows = []
    for y in reversed(range(HEIGHT)):  # bottom-up
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(image, x, y)
            row += bytes((b, g, r))
        row += bytes(row_size - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out, exist_ok=True)
    for name, image in IMAGES.items():
        with open(os.path.join(out, name + ".bmp"), "wb") as f:
            f.write(bmp_bytes(image))


if __name__ == "__main__":
    main()

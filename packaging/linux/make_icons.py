#!/usr/bin/env python3
"""Draws pomarel's icon: paper confetti (squares, triangles and dots in the screensaver's bright
colours, tumbling at different angles) around a white flash on a dark tile. Writes the SVG and
renders the hicolor PNGs from it with rsvg-convert (librsvg2-bin), and the browser edition's
192 and 512 pixel icons into renderer/web/res. Deterministic; the files it writes are committed
and installed by tools/package.
Usage: make_icons.py [output folder]   (default: icons/ beside this script)
"""
import subprocess
import sys
from pathlib import Path

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
WEB_SIZES = (192, 512)  # what a web app manifest needs to be installable
WEB_ICONS = Path(__file__).resolve().parents[2] / "renderer" / "web" / "res"
VIEW = 256

# (shape, centre x, centre y, size, degrees, colour). Few and large, so that the pieces still
# read as separate shapes at 16 pixels; the flash sits where the emitter throws them from.
PIECES = [
    ("square", 70, 76, 50, 20, "#ff3b4e"),
    ("triangle", 182, 66, 58, -12, "#ffd23c"),
    ("dot", 132, 48, 15, 0, "#5cf08a"),
    ("square", 192, 168, 44, 38, "#3c8cff"),
    ("triangle", 66, 180, 52, 100, "#ff7ad9"),
    ("dot", 122, 206, 17, 0, "#ff9a2e"),
    ("square", 128, 132, 30, 62, "#38e0e8"),
    ("dot", 206, 116, 12, 0, "#b78cff"),
]


def piece(shape, x, y, size, degrees, colour):
    if shape == "dot":
        return '<circle cx="%g" cy="%g" r="%g" fill="%s"/>' % (x, y, size, colour)
    h = size / 2
    if shape == "square":
        outline = "%g,%g %g,%g %g,%g %g,%g" % (-h, -h, h, -h, h, h, -h, h)
    else:
        outline = "%g,%g %g,%g %g,%g" % (0, -h, h, h * 0.8, -h, h * 0.8)
    # A paper piece seen at an angle: lit on one side, so a thin darker edge gives it depth.
    return ('<polygon points="%s" fill="%s" stroke="#000000" stroke-opacity="0.25" '
            'stroke-width="3" stroke-linejoin="round" transform="translate(%g %g) rotate(%g)"/>'
            % (outline, colour, x, y, degrees))


def svg():
    parts = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
        % (VIEW, VIEW, VIEW, VIEW),
        "<defs>",
        '<radialGradient id="flash" cx="0.5" cy="0.5" r="0.5">'
        '<stop offset="0" stop-color="#ffffff" stop-opacity="0.85"/>'
        '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/></radialGradient>',
        '<linearGradient id="night" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="#1b2350"/><stop offset="1" stop-color="#05060f"/></linearGradient>',
        "</defs>",
        '<rect x="8" y="8" width="240" height="240" rx="44" fill="url(#night)"/>',
        '<circle cx="128" cy="118" r="92" fill="url(#flash)"/>',
    ]
    parts += [piece(*p) for p in PIECES]
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent / "icons"
    scalable = out / "hicolor" / "scalable" / "apps" / "pomarel.svg"
    scalable.parent.mkdir(parents=True, exist_ok=True)
    scalable.write_text(svg())
    pngs = [(size, out / "hicolor" / ("%dx%d" % (size, size)) / "apps" / "pomarel.png") for size in SIZES]
    pngs += [(size, WEB_ICONS / ("icon-%d.png" % size)) for size in WEB_SIZES]
    for size, png in pngs:
        png.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["rsvg-convert", "-w", str(size), "-h", str(size), "-o", str(png), str(scalable)],
                       check=True)
    print("icons written to", out, "and", WEB_ICONS)


if __name__ == "__main__":
    main()

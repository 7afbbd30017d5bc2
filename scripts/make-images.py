#!/usr/bin/env python3
"""Draws the browser's resource images into res/: the three check-box SVGs, the 24 frames of
the loading spinner, the two sort arrows, the folder image and the place icons (res/icons/: the
computer, local, network and removable drives, a share, a NAS device and the network group),
which the browser shows when the desktop's icon theme has none of its own. Every PNG is also
written at twice the size ("name@2x.png") so that it stays sharp at 200 % scale.

Python standard library only: shapes are rasterised with 8x8 supersampling and written as
RGBA PNG files.  Run from anywhere:  python3 scripts/make-images.py
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.normpath(os.path.join(HERE, "..", "res"))
SAMPLES = 8

SPINNER_RGB = (0x2f, 0x7f, 0xe6)
ARROW_RGB = (0x7a, 0x80, 0x8c)
FOLDER_BACK = (0xe8, 0xa8, 0x2e)
FOLDER_FRONT = (0xf7, 0xc9, 0x5c)
FRAME_DARK = (0x4a, 0x50, 0x5c)
SCREEN_BLUE = (0x5a, 0x9c, 0xee)
METAL = (0xb8, 0xbe, 0xc8)
METAL_DARK = (0x86, 0x8e, 0x9a)
LED_GREEN = (0x3c, 0xc4, 0x5a)
CABLE_BLUE = (0x2f, 0x7f, 0xe6)
WHITE = (0xff, 0xff, 0xff)


def write_png(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples, non-premultiplied."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def render(width, height, layers):
    """layers: list of (coverage(x, y) -> 0..1 in logical units of a 1x image, rgb, alpha) painted
    in order with source-over; coverage is sampled on a grid inside every device pixel."""
    scale = width / LOGICAL[0]
    pixels = []
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = a = 0.0
            for cover, rgb, alpha in layers:
                hits = 0.0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        x = (px + (sx + 0.5) / SAMPLES) / scale
                        y = (py + (sy + 0.5) / SAMPLES) / scale
                        hits += cover(x, y)
                sa = alpha * hits / (SAMPLES * SAMPLES)
                if sa <= 0:
                    continue
                na = sa + a * (1 - sa)
                r = (rgb[0] * sa + r * a * (1 - sa)) / na
                g = (rgb[1] * sa + g * a * (1 - sa)) / na
                b = (rgb[2] * sa + b * a * (1 - sa)) / na
                a = na
            row.append((int(round(r)), int(round(g)), int(round(b)), int(round(a * 255))))
        pixels.append(row)
    return pixels


LOGICAL = (16, 16)


def save_both(name, logical, layers):
    global LOGICAL
    LOGICAL = logical
    for factor, suffix in ((1, ""), (2, "@2x")):
        w, h = logical[0] * factor, logical[1] * factor
        write_png(os.path.join(RES, name + suffix + ".png"), w, h, render(w, h, layers))


def spinner_frame(index):
    """A ring whose arc fades towards its tail; each frame turns it by 15 degrees."""
    cx, cy, inner, outer = 8.0, 8.0, 4.2, 7.0
    head = math.radians(index * 15.0)
    span = math.radians(300.0)

    def cover(x, y):
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        if d < inner or d > outer:
            return 0.0
        angle = math.atan2(dy, dx)
        behind = (head - angle) % (2 * math.pi)
        if behind > span:
            return 0.0
        return 1.0 - 0.85 * (behind / span)

    return [(cover, SPINNER_RGB, 1.0)]


def triangle(up):
    """A 9 x 5 sort arrow: a flat triangle pointing up or down."""

    def cover(x, y):
        t = (y / 5.0) if up else (1.0 - y / 5.0)
        half = 4.5 * t
        return 1.0 if abs(x - 4.5) <= half and 0 <= y <= 5 else 0.0

    return [(cover, ARROW_RGB, 1.0)]


def rounded_rect(x0, y0, x1, y1, radius):
    def cover(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return 0.0
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return 1.0 if math.hypot(x - cx, y - cy) <= radius else 0.0

    return cover


def folder():
    tab = rounded_rect(1.0, 2.5, 7.5, 6.0, 1.0)
    back = rounded_rect(1.0, 4.0, 15.0, 13.5, 1.2)
    front = rounded_rect(1.0, 6.0, 15.0, 13.5, 1.2)
    return [(tab, FOLDER_BACK, 1.0), (back, FOLDER_BACK, 1.0), (front, FOLDER_FRONT, 1.0)]


def disc(cx, cy, radius):
    def cover(x, y):
        return 1.0 if math.hypot(x - cx, y - cy) <= radius else 0.0

    return cover


def network_cable(top, bottom):
    """A short cable from the thing above it down to a bar: the mark of a network place."""
    stem = rounded_rect(7.3, top, 8.7, bottom, 0.0)
    bar = rounded_rect(3.0, bottom, 13.0, bottom + 1.6, 0.6)
    return [(stem, CABLE_BLUE, 1.0), (bar, CABLE_BLUE, 1.0)]


def drive_body(y0, y1):
    """A hard disk seen from the front: a light case, a darker lower band and a green light."""
    band = y0 + (y1 - y0) * 0.55
    return [(rounded_rect(1.0, y0, 15.0, y1, 1.2), METAL_DARK, 1.0),
            (rounded_rect(1.8, y0 + 0.8, 14.2, band, 0.6), METAL, 1.0),
            (disc(12.3, (band + y1) / 2.0, 0.9), LED_GREEN, 1.0)]


def computer():
    return [(rounded_rect(1.0, 1.5, 15.0, 11.5, 1.2), FRAME_DARK, 1.0),
            (rounded_rect(2.2, 2.7, 13.8, 10.3, 0.3), SCREEN_BLUE, 1.0),
            (rounded_rect(6.8, 11.0, 9.2, 13.2, 0.0), FRAME_DARK, 1.0),
            (rounded_rect(4.0, 13.0, 12.0, 14.6, 0.7), FRAME_DARK, 1.0)]


def drive_local():
    return drive_body(4.0, 12.0)


def drive_network():
    return drive_body(1.5, 9.0) + network_cable(9.0, 12.6)


def drive_removable():
    """A memory stick lying on its side: a blue body and a metal plug."""
    return [(rounded_rect(1.0, 4.5, 11.0, 11.5, 1.4), CABLE_BLUE, 1.0),
            (rounded_rect(10.5, 5.5, 15.0, 10.5, 0.3), METAL_DARK, 1.0),
            (rounded_rect(11.6, 6.6, 12.6, 7.6, 0.0), WHITE, 1.0),
            (rounded_rect(11.6, 8.4, 12.6, 9.4, 0.0), WHITE, 1.0)]


def share():
    tab = rounded_rect(1.0, 1.0, 7.0, 4.0, 0.9)
    back = rounded_rect(1.0, 2.2, 15.0, 9.8, 1.1)
    front = rounded_rect(1.0, 3.8, 15.0, 9.8, 1.1)
    return [(tab, FOLDER_BACK, 1.0), (back, FOLDER_BACK, 1.0), (front, FOLDER_FRONT, 1.0)] + network_cable(9.8, 12.8)


def nas_device():
    """A small storage box: a dark case with three drive slots and a green light."""
    layers = [(rounded_rect(3.0, 1.0, 13.0, 15.0, 1.4), FRAME_DARK, 1.0)]
    for top in (3.0, 6.0, 9.0):
        layers.append((rounded_rect(4.8, top, 11.2, top + 1.8, 0.5), METAL, 1.0))
    layers.append((disc(8.0, 12.9, 0.9), LED_GREEN, 1.0))
    return layers


def network_group():
    """A globe: a blue disc with a white equator, meridian and one meridian ellipse."""
    cx, cy, r = 8.0, 8.0, 6.8

    def lines(x, y):
        if math.hypot(x - cx, y - cy) > r - 0.6:
            return 0.0
        if abs(y - cy) < 0.45 or abs(x - cx) < 0.45:
            return 1.0
        ellipse = math.hypot((x - cx) / 3.2, (y - cy) / r)
        return 1.0 if abs(ellipse - 1.0) < 0.12 else 0.0

    return [(disc(cx, cy, r), CABLE_BLUE, 1.0), (lines, WHITE, 1.0)]


ICONS = {
    "computer": computer,
    "drive-local": drive_local,
    "drive-network": drive_network,
    "drive-removable": drive_removable,
    "share": share,
    "nas-device": nas_device,
    "network-group": network_group,
}


SVG_BOX = ('<svg xmlns="http://www.w3.org/2000/svg" width="16" height="16" viewBox="0 0 16 16">\n'
           '  <rect x="1.5" y="1.5" width="13" height="13" rx="2.5" ry="2.5" fill="{fill}" stroke="{stroke}" '
           'stroke-width="1"/>\n{mark}</svg>\n')


def write_svgs():
    marks = {
        "check_unsel.svg": ("#ffffff", "#9aa3b0", ""),
        "check_halfsel.svg": ("#2f7fe6", "#2f7fe6",
                              '  <rect x="4.5" y="7" width="7" height="2" rx="1" fill="#ffffff"/>\n'),
        "check_sel.svg": ("#2f7fe6", "#2f7fe6",
                          '  <path d="M4.3 8.2 L7 10.8 L11.8 5.4" fill="none" stroke="#ffffff" '
                          'stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>\n'),
    }
    for name, (fill, stroke, mark) in marks.items():
        with open(os.path.join(RES, name), "w") as f:
            f.write(SVG_BOX.format(fill=fill, stroke=stroke, mark=mark))


def main():
    os.makedirs(os.path.join(RES, "loading"), exist_ok=True)
    os.makedirs(os.path.join(RES, "icons"), exist_ok=True)
    write_svgs()
    for i in range(24):
        save_both(os.path.join("loading", "loading%02d" % i), (16, 16), spinner_frame(i))
    save_both("arrowU", (9, 5), triangle(True))
    save_both("arrowD", (9, 5), triangle(False))
    save_both("Foder", (16, 16), folder())
    for name, draw in ICONS.items():
        save_both(os.path.join("icons", name), (16, 16), draw())


if __name__ == "__main__":
    main()

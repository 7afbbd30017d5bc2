#!/usr/bin/env python3
"""Draws the browser's resource images into res/: the three check-box SVGs, the 24 frames of
the loading spinner, the two sort arrows and the folder image. Every PNG is also written at
twice the size ("name@2x.png") so that it stays sharp at 200 % scale.

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
    write_svgs()
    for i in range(24):
        save_both(os.path.join("loading", "loading%02d" % i), (16, 16), spinner_frame(i))
    save_both("arrowU", (9, 5), triangle(True))
    save_both("arrowD", (9, 5), triangle(False))
    save_both("Foder", (16, 16), folder())


if __name__ == "__main__":
    main()

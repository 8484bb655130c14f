#!/usr/bin/env python3
"""Draws the two toolbar images as 8-bit RGBA PNG files (no imaging library needed).

compile.png: 32x32, a light page with a blue arrow pointing down over its left half.
chip.png:   256x256, a black dual-in-line chip with three pins on each side and a
            round pin-1 mark, on a transparent background.
Run it from this folder to redraw them; the build embeds the PNG files as they are.
"""
import struct
import zlib


def write_png(path, width, height, pixel):
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # filter: none
        for x in range(width):
            raw.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                + chunk(b"IEND", b""))


def compile_pixel(x, y):
    clear = (0, 0, 0, 0)
    outline = (90, 90, 90, 255)
    page = (246, 246, 240, 255)
    text = (170, 170, 170, 255)
    blue = (30, 90, 220, 255)
    # Arrow over the left half: shaft x 5..10, y 4..17; head y 17..27.
    if 5 <= x <= 10 and 4 <= y <= 17:
        return blue
    if 17 <= y <= 27 and abs(x - 7.5) <= (27 - y) * 0.75:
        return blue
    # The page: x 9..28, y 2..29, with ruled lines.
    if 9 <= x <= 28 and 2 <= y <= 29:
        if x in (9, 28) or y in (2, 29):
            return outline
        if 14 <= x <= 25 and y in (10, 14, 18, 22, 26):
            return text
        return page
    return clear


def chip_pixel(x, y):
    clear = (0, 0, 0, 0)
    black = (0, 0, 0, 255)
    # Body: x 64..191, y 24..231, corners rounded by 10.
    left, right, top, bottom, radius = 64, 191, 24, 231, 10
    inside = left <= x <= right and top <= y <= bottom
    if inside:
        for cx, cy in ((left + radius, top + radius), (right - radius, top + radius),
                       (left + radius, bottom - radius), (right - radius, bottom - radius)):
            if (abs(x - cx) > 0 and ((x < left + radius and cx == left + radius) or (x > right - radius and cx == right - radius))
                    and ((y < top + radius and cy == top + radius) or (y > bottom - radius and cy == bottom - radius))):
                if (x - cx) ** 2 + (y - cy) ** 2 > radius ** 2:
                    return clear
        # Round pin-1 mark: a transparent hole near the top left corner.
        if (x - 92) ** 2 + (y - 54) ** 2 <= 13 ** 2:
            return clear
        # Notch at the top edge, the usual half-moon.
        if (x - 128) ** 2 + (y - top) ** 2 <= 16 ** 2:
            return clear
        return black
    # Three pins on each side, 36 px wide, 24 px high.
    for centre in (64, 128, 192):
        if centre - 12 <= y <= centre + 12 and (24 <= x < left or right < x <= 231):
            return black
    return clear


if __name__ == "__main__":
    write_png("compile.png", 32, 32, compile_pixel)
    write_png("chip.png", 256, 256, chip_pixel)

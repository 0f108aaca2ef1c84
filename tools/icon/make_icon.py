#!/usr/bin/env python3
"""Draws the program's icon, a quill over a night-blue tile, and writes it as a
Windows .ico with 32 x 32 and 64 x 64 images (32-bit, alpha).

    python3 tools/icon/make_icon.py resources/quillsaver.ico
"""
import math
import struct
import sys

SUPERSAMPLE = 4


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def over(dst, src, alpha):
    """Source colour over destination (both RGBA, 0..1) with extra coverage alpha."""
    a = src[3] * alpha
    out_a = a + dst[3] * (1 - a)
    if out_a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    rgb = [(src[i] * a + dst[i] * dst[3] * (1 - a)) / out_a for i in range(3)]
    return (rgb[0], rgb[1], rgb[2], out_a)


def tile_coverage(x, y):
    """Inside the rounded square covering the unit cell (corner radius 0.18)."""
    r, m = 0.18, 0.04
    cx = min(max(x, m + r), 1 - m - r)
    cy = min(max(y, m + r), 1 - m - r)
    return 1.0 if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else 0.0


# The shaft runs from the nib (lower left) to the feather's tip (upper right).
NIB = (0.20, 0.84)
TIP = (0.84, 0.14)


def quill_colour(x, y):
    """Colour of the quill at (x, y) (y down), or None outside it."""
    sx, sy = TIP[0] - NIB[0], TIP[1] - NIB[1]
    length = math.hypot(sx, sy)
    ux, uy = sx / length, sy / length
    px, py = x - NIB[0], y - NIB[1]
    t = (px * ux + py * uy) / length   # 0 at the nib, 1 at the tip
    d = px * -uy + py * ux              # signed distance across the shaft
    if t < 0 or t > 1:
        return None
    if t < 0.16:  # the metal nib: a narrow wedge
        if abs(d) < 0.035 * (t / 0.16) + 0.004:
            return (0.95, 0.74, 0.25, 1.0) if abs(d) > 0.006 else (0.35, 0.22, 0.05, 1.0)
        return None
    if abs(d) < 0.012:  # the shaft
        return (0.55, 0.45, 0.35, 1.0)
    s = (t - 0.16) / 0.84
    # The vane is wider on the upper side and ends in a rounded tip.
    reach = (0.20 if d > 0 else 0.13) * math.sin(math.pi * min(1.0, s * 1.1)) ** 0.6
    if abs(d) > reach:
        return None
    # Barbs: fine diagonal grooves and two notches cut into the vane.
    groove = math.sin((t * 40 + abs(d) * 30) * math.pi)
    shade = 0.92 + 0.06 * groove - 0.25 * abs(d) / max(reach, 1e-6)
    if d > 0 and (abs(s - 0.42) < 0.02 or abs(s - 0.68) < 0.015) and abs(d) > reach * 0.55:
        return None
    return (shade, shade, min(1.0, shade + 0.04), 1.0)


def pixel(x, y):
    colour = (0.0, 0.0, 0.0, 0.0)
    cover = tile_coverage(x, y)
    if cover:
        sky = mix((0.05, 0.10, 0.32), (0.30, 0.12, 0.45), (x + y) / 2)
        colour = over(colour, sky + (1.0,), cover)
        # A small star in the upper left.
        if math.hypot(x - 0.27, y - 0.27) < 0.035 or (
                abs(x - 0.27) < 0.008 and abs(y - 0.27) < 0.09) or (
                abs(y - 0.27) < 0.008 and abs(x - 0.27) < 0.09):
            colour = over(colour, (1.0, 0.95, 0.70, 1.0), 1.0)
    quill = quill_colour(x, y)
    if quill is not None:
        colour = over(colour, quill, 1.0)
    return colour


def render(size):
    """BGRA rows bottom-up, as an icon's image stores them."""
    rows = []
    n = SUPERSAMPLE
    for row in range(size - 1, -1, -1):
        out = bytearray()
        for col in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for j in range(n):
                for i in range(n):
                    r, g, b, a = pixel((col + (i + 0.5) / n) / size, (row + (j + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (n * n)
            rgb = [c / acc[3] if acc[3] > 0 else 0.0 for c in acc[:3]]
            out += bytes([round(rgb[2] * 255), round(rgb[1] * 255), round(rgb[0] * 255),
                          round(a * 255)])
        rows.append(bytes(out))
    return rows


def icon_image(size):
    rows = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    mask_row = ((size + 31) // 32) * 4
    and_mask = bytes(mask_row * size)  # alpha decides; the mask shows everything
    return header + b''.join(rows) + and_mask


def main():
    sizes = [32, 64]
    images = [icon_image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()

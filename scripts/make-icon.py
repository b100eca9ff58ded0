#!/usr/bin/env python3
"""Draws the product icon: one 48x48 image, 32 bits per pixel (BGRA).

A rounded tile with brindle stripes and a white arrow pointing up.
Usage: make-icon.py OUT.ico
"""
import math
import struct
import sys

SIZE = 48
SAMPLES = 4  # supersampling per axis for smooth edges


def rounded_tile(x, y):
    """Inside the rounded square tile (corner radius 9, 2-pixel margin)."""
    lo, hi, r = 2.0, SIZE - 2.0, 9.0
    cx = min(max(x, lo + r), hi - r)
    cy = min(max(y, lo + r), hi - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and lo <= x <= hi and lo <= y <= hi


def arrow(x, y):
    """An upward arrow: a triangular head over a stem."""
    head_top, head_base, half_width = 9.0, 25.0, 13.0
    if head_top <= y <= head_base:
        spread = (y - head_top) / (head_base - head_top) * half_width
        return abs(x - 24.0) <= spread
    return head_base < y <= 39.0 and abs(x - 24.0) <= 5.5


def colour(x, y):
    """RGBA of one sample point, or None outside the tile."""
    if not rounded_tile(x, y):
        return None
    if arrow(x, y):
        return (255, 250, 240)
    # Warm brown with darker diagonal stripes that wave a little.
    stripe = math.sin((x + y) * 0.55 + math.sin(y * 0.3) * 1.6)
    shade = 1.0 - 0.18 * (y / SIZE)
    if stripe > 0.35:
        base = (92, 52, 24)
    else:
        base = (196, 128, 58)
    return tuple(int(c * shade) for c in base)


def render():
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c is not None:
                        acc[0] += c[0]
                        acc[1] += c[1]
                        acc[2] += c[2]
                        acc[3] += 1
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if acc[3]:
                rgb = [acc[i] / acc[3] for i in range(3)]
            else:
                rgb = [0, 0, 0]
            row.append((int(rgb[0]), int(rgb[1]), int(rgb[2]), int(round(alpha * 255))))
        rows.append(row)
    return rows


def ico_bytes(rows):
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((SIZE + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else 'brindlemarch.ico'
    with open(out, 'wb') as f:
        f.write(ico_bytes(render()))


if __name__ == '__main__':
    main()

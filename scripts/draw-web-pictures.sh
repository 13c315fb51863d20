#!/usr/bin/env bash
# Regenerates resources/web/cvcorner.gif and resources/web/cvbgcrnr.gif from the shape list in
# resources/art/web-pictures.txt. The outputs are committed; the build does not run this.
# Usage: scripts/draw-web-pictures.sh
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"

python3 - "$ROOT/resources/art/web-pictures.txt" "$ROOT/resources/web" <<'PY'
import math, os, struct, sys

SOURCE, OUT = sys.argv[1], sys.argv[2]

BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def coverage(distance):
    """Signed distance (negative inside) to the share of a pixel that the shape covers."""
    return max(0.0, min(1.0, 0.5 - distance))


def shape_painter(kind, args):
    """(bounding box, function x, y -> (rgb, opacity) or None)."""
    f = [float(a) for a in args if not a.startswith("#")]
    rgb = colour(next(a for a in args if a.startswith("#")))
    alpha = f[-1]
    if kind == "glow":
        cx, cy, r = f[:3]
        def paint(x, y):
            d = math.hypot(x - cx, y - cy)
            return rgb, alpha * max(0.0, 1.0 - d / r) ** 1.5
        return (cx - r, cy - r, cx + r, cy + r), paint
    if kind == "ring":
        cx, cy, r, w = f[:4]
        def paint(x, y):
            return rgb, alpha * coverage(abs(math.hypot(x - cx, y - cy) - r) - w / 2)
        return (cx - r - w, cy - r - w, cx + r + w, cy + r + w), paint
    if kind == "disc":
        cx, cy, r = f[:3]
        def paint(x, y):
            return rgb, alpha * coverage(math.hypot(x - cx, y - cy) - r)
        return (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1), paint
    if kind == "box":
        x0, y0, w, h, k = f[:5]
        hx, hy, mx, my = w / 2, h / 2, x0 + w / 2, y0 + h / 2
        def paint(x, y):
            qx, qy = abs(x - mx) - hx + k, abs(y - my) - hy + k
            d = math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - k
            return rgb, alpha * coverage(d)
        return (x0 - 1, y0 - 1, x0 + w + 1, y0 + h + 1), paint
    if kind == "line":
        x1, y1, x2, y2, w = f[:5]
        dx, dy = x2 - x1, y2 - y1
        length2 = dx * dx + dy * dy or 1.0
        def paint(x, y):
            t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / length2))
            d = math.hypot(x - x1 - t * dx, y - y1 - t * dy) - w / 2
            return rgb, alpha * coverage(d)
        return (min(x1, x2) - w, min(y1, y2) - w, max(x1, x2) + w, max(y1, y2) + w), paint
    raise SystemExit("unknown shape: " + kind)


def read_pictures(path):
    pictures = []
    with open(path) as f:
        for line in f:
            # Colours start with '#' too: only whole lines are comments.
            words = [] if line.lstrip().startswith("#") else line.split()
            if not words:
                continue
            if words[0] == "picture":
                pictures.append((words[1], int(words[2]), int(words[3]), colour(words[4]), []))
            else:
                pictures[-1][4].append(shape_painter(words[0], words[1:]))
    return pictures


def render(width, height, background, shapes):
    pixels = [[list(background) for _ in range(width)] for _ in range(height)]
    for (bx0, by0, bx1, by1), paint in shapes:
        for y in range(max(0, int(by0)), min(height, int(math.ceil(by1)) + 1)):
            row = pixels[y]
            for x in range(max(0, int(bx0)), min(width, int(math.ceil(bx1)) + 1)):
                rgb, a = paint(x + 0.5, y + 0.5)
                if a <= 0:
                    continue
                p = row[x]
                for i in range(3):
                    p[i] = p[i] * (1 - a) + rgb[i] * a
    return pixels


def web_palette_indices(pixels):
    """Ordered dithering onto the 6 x 6 x 6 web palette (steps of 51)."""
    out = bytearray()
    for y, row in enumerate(pixels):
        for x, p in enumerate(row):
            t = (BAYER[y % 4][x % 4] + 0.5) / 16
            r, g, b = (min(5, int(c / 51 + t)) for c in p)
            out.append(r * 36 + g * 6 + b)
    return out


def lzw(indices, min_code_size=8):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    codes, bits, nbits = [], 0, 0
    out = bytearray()

    def emit(code, size):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    size = min_code_size + 1
    table = {}
    next_code = end + 1
    emit(clear, size)
    prefix = None
    for b in indices:
        if prefix is None:
            prefix = b
            continue
        key = (prefix, b)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, size)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
            if next_code > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear, size)
            table, next_code, size = {}, end + 1, min_code_size + 1
        prefix = b
    if prefix is not None:
        emit(prefix, size)
    emit(end, size)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def write_gif(path, width, height, indices):
    palette = b"".join(bytes((r * 51, g * 51, b * 51))
                       for r in range(6) for g in range(6) for b in range(6))
    palette += b"\0" * (768 - len(palette))
    data = lzw(indices)
    blocks = b"".join(bytes((len(data[i:i + 255]),)) + data[i:i + 255]
                      for i in range(0, len(data), 255))
    gif = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0) + palette
    gif += b"," + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x08" + blocks + b"\0;"
    with open(path, "wb") as f:
        f.write(gif)


os.makedirs(OUT, exist_ok=True)
for name, width, height, background, shapes in read_pictures(SOURCE):
    write_gif(os.path.join(OUT, name + ".gif"), width, height,
              web_palette_indices(render(width, height, background, shapes)))
    print("wrote", os.path.join(OUT, name + ".gif"))
PY

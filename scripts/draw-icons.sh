#!/usr/bin/env bash
# Regenerates resources/icons/*.ico and resources/icons/toolbar.bmp from the pixel drawings in
# resources/art (XPM, one per icon size). The outputs are committed; the build does not run this.
# Usage: scripts/draw-icons.sh [--preview out.png]   (the preview needs ImageMagick's convert)
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"

python3 - "$ROOT/resources/art" "$ROOT/resources/icons" <<'PY'
import os, struct, sys

ART, OUT = sys.argv[1], sys.argv[2]

# Images of each icon group, in the order they are stored: (drawing size, bits per pixel).
# 4 bits use the standard 16-colour palette, 8 bits the drawing's own colours.
ICONS = [
    ("registry",      [(32, 4), (16, 4)]),
    ("key",           [(16, 4), (16, 8), (32, 4), (32, 8)]),
    ("key-open",      [(16, 4), (16, 8), (32, 8)]),
    ("value-text",    [(16, 4), (32, 8)]),
    ("value-binary",  [(16, 4), (32, 4)]),
    ("search",        [(32, 8), (16, 4)]),
]

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def read_xpm(path):
    """Returns (width, height, rows of (r, g, b) or None for transparent)."""
    with open(path) as f:
        strings = [line.split('"')[1] for line in f if line.lstrip().startswith('"')]
    w, h, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    colours = {}
    for s in strings[1:1 + ncolors]:
        key, spec = s[:cpp], s[cpp:].split()
        value = spec[spec.index("c") + 1]
        colours[key] = None if value.lower() == "none" else tuple(
            int(value[i:i + 2], 16) for i in (1, 3, 5))
    rows = [[colours[s[x * cpp:(x + 1) * cpp]] for x in range(w)]
            for s in strings[1 + ncolors:1 + ncolors + h]]
    return w, h, rows


def nearest(rgb, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, palette[i])))


def dib(rows, bpp, palette, with_mask):
    """A bottom-up BITMAPINFOHEADER DIB; icons get the AND mask after the colour bits."""
    h, w = len(rows), len(rows[0])
    index = {}
    for row in rows:
        for rgb in row:
            if rgb is not None and rgb not in index:
                index[rgb] = nearest(rgb, palette)
    xor_stride = ((w * bpp + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for row in reversed(rows):
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, rgb in enumerate(row):
            # Transparent pixels are black in the colour bits so the AND/XOR pair leaves the screen alone.
            i = 0 if rgb is None else index[rgb]
            if bpp == 4:
                line[x // 2] |= i << (4 if x % 2 == 0 else 0)
            else:
                line[x] = i
            if rgb is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    pal = b"".join(struct.pack("<4B", b, g, r, 0) for r, g, b in palette)
    pal += b"\0" * (4 * (1 << bpp) - len(pal))
    bits = xor + (mask if with_mask else b"")
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2 if with_mask else h, 1, bpp, 0,
                         len(bits), 0, 0, 0, 0)
    return header + pal + bits


def palette_for(rows, bpp):
    if bpp == 4:
        return VGA16
    used = sorted({rgb for row in rows for rgb in row if rgb is not None})
    # Index 0 stays black for the transparent pixels.
    palette = [(0, 0, 0)] + [c for c in used if c != (0, 0, 0)]
    assert len(palette) <= 256, "too many colours for 8 bits"
    return palette


def write_ico(name, images):
    blobs = []
    for size, bpp in images:
        w, h, rows = read_xpm(os.path.join(ART, "%s-%d.xpm" % (name, size)))
        assert w == h == size, name
        blobs.append((size, bpp, dib(rows, bpp, palette_for(rows, bpp), True)))
    out = struct.pack("<HHH", 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for size, bpp, blob in blobs:
        out += struct.pack("<BBBBHHII", size, size, 16 if bpp == 4 else 0, 0, 1, bpp,
                           len(blob), offset)
        offset += len(blob)
    out += b"".join(blob for _, _, blob in blobs)
    with open(os.path.join(OUT, name + ".ico"), "wb") as f:
        f.write(out)


def write_bmp(name):
    w, h, rows = read_xpm(os.path.join(ART, name + ".xpm"))
    # Toolbars map light grey (192,192,192) to the button face; the drawing's background is that grey.
    info = dib(rows, 4, VGA16, False)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info), 0, 0, 14 + 40 + 4 * 16)
    with open(os.path.join(OUT, name + ".bmp"), "wb") as f:
        f.write(head + info)


os.makedirs(OUT, exist_ok=True)
for name, images in ICONS:
    write_ico(name, images)
write_bmp("toolbar")
PY

if [ "${1:-}" = "--preview" ] && [ -n "${2:-}" ]; then
    # Every image of every icon, scaled up, on white and on a dark background.
    cd "$ROOT/resources/icons"
    rows=()
    for bg in white '#008080'; do
        for ico in registry key key-open value-text value-binary search; do
            n=$(python3 -c "import struct,sys;print(struct.unpack('<3H',open(sys.argv[1],'rb').read(6))[2])" "$ico.ico")
            frames=()
            for ((i = 0; i < n; i++)); do
                frames+=("(" "ico:$ico.ico[$i]" -background "$bg" -flatten -filter point -resize 64x64
                         -bordercolor "$bg" -border 6 ")")
            done
            convert "${frames[@]}" +append "/tmp/draw-icons-$ico-$bg.png"
            rows+=("/tmp/draw-icons-$ico-$bg.png")
        done
    done
    convert "${rows[@]}" "(" toolbar.bmp -filter point -resize 64x64 -bordercolor white -border 6 ")" \
        -background white -append "$2"
    rm -f "${rows[@]}"
fi

# Writes the Targa forms that neither netpbm nor Pillow writes, from a picture:
#   rle-across  24-bit run-length coded, the packets running on from one row into the next
#   rgb16       16-bit true colour (five bits a channel), plain
#   rgb16-rle   the same, run-length coded
#   top-rle     24-bit run-length coded, stored from the top row down
# and any pixel type in any arrangement, as KIND-CODING-ORIGIN or KIND-CODING-ORIGIN-rtl (each row
# stored from the right), with run-length packets kept within a row:
#   KIND    map8 (8-bit indices, 24-bit map), rgb16, rgb24, rgba32, grey8, greya16 (grey, alpha)
#   CODING  raw, rle, or rlex (packets running on across rows);  ORIGIN  bottom or top
# The alpha of rgba32 and greya16 is 255 minus the picture's grey.
# usage: targa_write.py input output form
import struct
import sys
from PIL import Image

src = Image.open(sys.argv[1]).convert("RGB")
form = sys.argv[3]
w, h = src.size
px = src.load()
grey = src.convert("L").load()

legacy = {"rle-across": ("rgb24", True, False, False, True), "rgb16": ("rgb16", False, False, False, False),
          "rgb16-rle": ("rgb16", True, False, False, True), "top-rle": ("rgb24", True, True, False, True)}
if form in legacy:
    kind, rle, top, rtl, across = legacy[form]
else:
    parts = form.split("-")
    kind, rle, top, rtl, across = parts[0], parts[1] != "raw", parts[2] == "top", parts[-1] == "rtl", parts[1] == "rlex"

palette = []
if kind == "map8":
    palette = sorted(set(px[x, y] for y in range(h) for x in range(w)))
    assert len(palette) <= 256, "too many colours for a map"
index = {c: i for i, c in enumerate(palette)}


def pixel(x, y):
    r, g, b = px[x, y]
    if kind == "map8":
        return bytes([index[(r, g, b)]])
    if kind == "rgb16":
        return struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3))
    if kind == "rgb24":
        return bytes([b, g, r])
    if kind == "rgba32":
        return bytes([b, g, r, 255 - grey[x, y]])
    if kind == "grey8":
        return bytes([grey[x, y]])
    return bytes([grey[x, y], 255 - grey[x, y]])


def packets(stream):
    # Packets of up to 128 pixels, repeats for runs of 2 or more.
    data = bytearray()
    i = 0
    while i < len(stream):
        n = 1
        while i + n < len(stream) and stream[i + n] == stream[i] and n < 128:
            n += 1
        if n >= 2:
            data += bytes([0x80 | (n - 1)]) + stream[i]
            i += n
            continue
        j = i + 1
        while j < len(stream) and j - i < 128 and not (j + 1 < len(stream) and stream[j] == stream[j + 1]):
            j += 1
        data += bytes([j - i - 1]) + b"".join(stream[i:j])
        i = j
    return data


rows = [[pixel(x, y) for x in (range(w - 1, -1, -1) if rtl else range(w))]
        for y in (range(h) if top else range(h - 1, -1, -1))]
if not rle:
    data = b"".join(b"".join(r) for r in rows)
elif across:
    data = packets([p for r in rows for p in r])
else:
    data = b"".join(packets(r) for r in rows)
ktype, bits = {"map8": (1, 8), "rgb16": (2, 16), "rgb24": (2, 24), "rgba32": (2, 32), "grey8": (3, 8),
               "greya16": (3, 16)}[kind]
descriptor = (0x20 if top else 0) | (0x10 if rtl else 0) | (8 if kind in ("rgba32", "greya16") else 0)
cmap = b"".join(bytes([b, g, r]) for r, g, b in palette)
head = struct.pack("<BBBHHBHHHHBB", 0, 1 if palette else 0, ktype + (8 if rle else 0), 0, len(palette),
                   24 if palette else 0, 0, 0, w, h, bits, descriptor)
open(sys.argv[2], "wb").write(head + cmap + bytes(data))

# Writes the Targa forms that neither netpbm nor Pillow writes, from a picture:
#   rle-across  24-bit run-length coded, the packets running on from one row into the next
#   rgb16       16-bit true colour (five bits a channel), plain
#   rgb16-rle   the same, run-length coded
#   top-rle     24-bit run-length coded, stored from the top row down
# usage: targa_write.py input output form
import struct
import sys
from PIL import Image

src = Image.open(sys.argv[1]).convert("RGB")
form = sys.argv[3]
w, h = src.size
px = src.load()
top = form == "top-rle"
rows = range(h) if top else range(h - 1, -1, -1)
bpp = 2 if form.startswith("rgb16") else 3


def pixel(x, y):
    r, g, b = px[x, y]
    if bpp == 2:
        v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)
        return struct.pack("<H", v)
    return bytes([b, g, r])


stream = [pixel(x, y) for y in rows for x in range(w)]
if form in ("rgb16",):
    data = b"".join(stream)
else:
    # One stream over the whole picture: packets of up to 128 pixels, repeats for runs of 2 or more.
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
kind = 2 if form == "rgb16" else 10
head = struct.pack("<BBBHHBHHHHBB", 0, 0, kind, 0, 0, 0, 0, 0, w, h, 16 if bpp == 2 else 24, 0x20 if top else 0)
open(sys.argv[2], "wb").write(head + bytes(data))

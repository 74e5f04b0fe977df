# Writes a one-image icon from a picture, as a bitmap of the given depth with its mask: the icon
# forms ImageMagick does not write (24 bits; a directory giving 0 for its size, as icons of 256
# pixels a side do).
# usage: ico_write.py input.png output.ico depth [zero-size]
import struct
import sys
from PIL import Image

src = Image.open(sys.argv[1]).convert("RGBA")
depth = int(sys.argv[3])
zero = len(sys.argv) > 4
w, h = src.size
px = src.load()
rows = []
for y in range(h - 1, -1, -1):
    row = bytearray()
    for x in range(w):
        r, g, b, a = px[x, y]
        row += bytes([b, g, r]) if depth == 24 else bytes([b, g, r, a])
    while len(row) % 4:
        row.append(0)
    rows.append(bytes(row))
mask = []
stride = (w + 31) // 32 * 4
for y in range(h - 1, -1, -1):
    bits = bytearray(stride)
    for x in range(w):
        if px[x, y][3] < 128:
            bits[x // 8] |= 0x80 >> (x % 8)
    mask.append(bytes(bits))
data = b"".join(rows) + b"".join(mask)
info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, depth, 0, len(data), 0, 0, 0, 0)
image = info + data
entry = struct.pack("<BBBBHHII", 0 if zero else w, 0 if zero else h, 0, 0, 1, depth, len(image), 22)
open(sys.argv[2], "wb").write(struct.pack("<HHH", 0, 1, 1) + entry + image)

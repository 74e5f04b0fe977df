# Re-writes a plain Sun raster file (type 0, 1 or 3) with its data run-length coded (type 2): the
# whole data is one byte stream, so runs cross rows; a 0x80 byte is written 0x80 0. Type 2 keeps
# the blue-first order of type 1, so the pixels of a red-first (type 3) file are turned round.
# usage: sun_rle.py input output
import struct
import sys

data = open(sys.argv[1], "rb").read()
head = list(struct.unpack(">8I", data[:32]))
w, h, depth, _, kind, maptype, maplen = head[1:8]
maplen = maplen if maptype else 0
body = bytearray(data[32 + maplen:])
if kind == 3 and depth in (24, 32):
    bpp = depth // 8
    stride = (w * bpp + 1) // 2 * 2
    first = 1 if depth == 32 else 0  # 32-bit pixels start with their padding byte
    for y in range(h):
        for x in range(w):
            p = y * stride + x * bpp + first
            body[p], body[p + 2] = body[p + 2], body[p]
out = bytearray()
i = 0
while i < len(body):
    v = body[i]
    n = 1
    while i + n < len(body) and body[i + n] == v and n < 256:
        n += 1
    if n >= 3 or v == 0x80:
        out += bytes([0x80, n - 1, v]) if n > 1 else bytes([0x80, 0])
        i += n
    else:
        out.append(v)
        i += 1
head[4] = len(out)
head[5] = 2
open(sys.argv[2], "wb").write(struct.pack(">8I", *head) + data[32:32 + maplen] + bytes(out))

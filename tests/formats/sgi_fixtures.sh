#!/usr/bin/env bash
# SGI fixtures written by ImageMagick, netpbm and Pillow into $1.
set -eu
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert
$im -seed 5 -size 37x23 xc: +noise Random -depth 8 src.ppm
$im src.ppm -compress RLE sgi:im_rle.sgi
$im src.ppm -compress None sgi:im_verbatim.sgi
pnmtosgi src.ppm > netpbm_rle.sgi
pnmtosgi -verbatim src.ppm > netpbm_verbatim.sgi
$im src.ppm -colorspace gray gray.pgm
pnmtosgi gray.pgm > netpbm_grey.sgi
pnmtosgi -verbatim gray.pgm > netpbm_grey_verbatim.sgi
$im src.ppm -alpha set -channel A -fx 'i/w' +channel rgba.png
$im rgba.png -compress RLE sgi:im_rgba.sgi
$im src.ppm -depth 16 -compress None sgi:im_16bit.sgi
# Run-length rows of 16-bit samples, and a grey file with a second channel, which the tools above
# do not write.
/usr/bin/python3 - <<'PY'
import struct
from PIL import Image
im = Image.open("src.ppm")
w, h = im.size
px = im.load()

def rle(samples, bpc):
    out, i = [], 0
    while i < len(samples):
        j = i
        while j < len(samples) and j - i < 127 and samples[j] == samples[i]:
            j += 1
        if j - i >= 3:
            out += [j - i, samples[i]]
        else:
            j = i
            while j < len(samples) and j - i < 127 and not (j + 2 < len(samples) and samples[j] == samples[j + 1] == samples[j + 2]):
                j += 1
            out += [0x80 | (j - i)] + samples[i:j]
        i = j
    out.append(0)
    return struct.pack(">%d%s" % (len(out), "H" if bpc == 2 else "B"), *out)

def write(name, channels, bpc, value):
    head = struct.pack(">HBBHHHHII", 474, 1, bpc, 3, w, h, channels, 0, 255 if bpc == 1 else 65535)
    head += bytes(512 - len(head))
    rows, starts, lengths = [], [], []
    pos = 512 + 8 * h * channels
    for k in range(channels):
        for y in range(h):
            data = rle([value(px[x, h - 1 - y], k) for x in range(w)], bpc)
            starts.append(pos); lengths.append(len(data)); rows.append(data); pos += len(data)
    with open(name, "wb") as f:
        f.write(head + struct.pack(">%dI" % len(starts), *starts) + struct.pack(">%dI" % len(lengths), *lengths) + b"".join(rows))

write("rle_16bit.sgi", 3, 2, lambda p, k: p[k] * 257)
write("rle_grey_two_channels.sgi", 2, 1, lambda p, k: p[0] if k == 0 else p[1])
PY
# Small files for the truncation sweeps.
$im -seed 9 -size 5x3 xc: +noise Random -depth 8 -compress RLE sgi:small_rle.sgi
$im -seed 9 -size 5x3 xc: +noise Random -depth 8 -compress None sgi:small_verbatim.sgi

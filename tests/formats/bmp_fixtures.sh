#!/usr/bin/env bash
# BMP fixtures written by netpbm, ImageMagick and Pillow into $1, and the kinds no tool here writes
# (RLE4, 16-bit without masks, rows top first) by a small writer.
set -eu
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert

# netpbm at every depth and every width of a padding cycle.
for w in 1 2 3 4 5 6 7 8 9 33; do
  $im -seed $w -size ${w}x3 xc: +noise Random -depth 8 src$w.ppm
  $im src$w.ppm +dither -colors 2 -depth 8 ppm:- | ppmtobmp -bpp 1 > netpbm_1bit_w$w.bmp 2>/dev/null
  $im src$w.ppm +dither -colors 16 -depth 8 ppm:- | ppmtobmp -bpp 4 > netpbm_4bit_w$w.bmp 2>/dev/null
  $im src$w.ppm +dither -colors 200 -depth 8 ppm:- | ppmtobmp -bpp 8 > netpbm_8bit_w$w.bmp 2>/dev/null
  ppmtobmp -bpp 24 src$w.ppm > netpbm_24bit_w$w.bmp 2>/dev/null
done

# ImageMagick: its default writer (124-byte header), the 40-byte one, palettes, RLE8, masks, alpha.
$im -seed 21 -size 23x11 xc: +noise Random -depth 8 src.ppm
$im src.ppm im_v5_24bit.bmp
$im src.ppm BMP3:im_v3_24bit.bmp
$im src.ppm +dither -colors 40 -type palette im_v5_8bit.bmp
$im src.ppm +dither -colors 40 -type palette BMP3:im_v3_8bit.bmp
$im src.ppm +dither -colors 9 -type palette im_v5_4bit.bmp
$im src.ppm +dither -colors 2 -type palette im_v5_1bit.bmp
$im src.ppm +dither -colors 30 -type palette -compress RLE BMP3:im_rle8.bmp
$im src.ppm -define bmp:subtype=RGB565 im_565.bmp
$im src.ppm -define bmp:subtype=RGB555 im_555.bmp
$im src.ppm -alpha set -channel A -fx 'i/w' +channel im_alpha.bmp

# Pillow.
/usr/bin/python3 - <<'PY'
import random, struct
from PIL import Image
src = Image.open("src.ppm")
src.convert("1").save("pil_1bit.bmp")
src.convert("L").save("pil_grey.bmp")
src.convert("P", palette=Image.ADAPTIVE, colors=50).save("pil_8bit.bmp")
src.save("pil_24bit.bmp")
rgba = src.convert("RGBA")
rgba.putalpha(Image.linear_gradient("L").resize(src.size))
rgba.save("pil_32bit.bmp")

def bmp(name, w, h, bpp, rows, compression=0, palette=b"", top_first=False, colours=0):
    """A 40-byte-header bitmap of raw row bytes, bottom row first unless top_first."""
    data = b"".join(rows)
    off = 14 + 40 + len(palette)
    head = struct.pack("<2sIHHI", b"BM", off + len(data), 0, 0, off)
    info = struct.pack("<IiiHHIIiiII", 40, w, -h if top_first else h, 1, bpp, compression, len(data), 2835, 2835,
                       colours, 0)
    open(name, "wb").write(head + info + palette + data)

random.seed(4)
w, h = 7, 5
# 16 bits a pixel without masks: 5-5-5.
rows = []
for y in range(h):
    r = b"".join(struct.pack("<H", random.randrange(0x8000)) for x in range(w))
    rows.append(r + b"\0" * (-len(r) % 4))
bmp("raw_555.bmp", w, h, 16, rows)
# The same 24-bit rows stored top first.
rows = [bytes(random.randrange(256) for _ in range(3 * w)) + b"\0" * (-(3 * w) % 4) for _ in range(h)]
bmp("bottom_first_24bit.bmp", w, h, 24, rows)
bmp("top_first_24bit.bmp", w, h, 24, rows[::-1], top_first=True)
# 32 bits without masks whose fourth bytes are 0 (no alpha), 255, or mixed.
for name, alpha in (("x0", lambda: 0), ("x255", lambda: 255), ("xmixed", lambda: random.choice((0, 128, 255)))):
    rows = [b"".join(bytes((random.randrange(256), random.randrange(256), random.randrange(256), alpha())) for _ in range(w)) for _ in range(h)]
    bmp("raw32_%s.bmp" % name, w, h, 32, rows)

# RLE4 and RLE8 streams with every escape: runs, literal runs (odd and even), end of line, delta.
pal16 = b"".join(bytes((random.randrange(256), random.randrange(256), random.randrange(256), 0)) for _ in range(16))
w, h = 13, 6
# (Literal runs of nibbles are of even length here: ImageMagick and Pillow both misread odd ones.)
rle4 = bytes([
    5, 0x12, 0, 4, 0x34, 0x56, 8, 0x9A, 0, 0,                  # file row 0: run, literal 4, run cut at the end
    0, 4, 0xAB, 0xCD, 0, 0,                                    # row 1: literal 4, end of line early
    0, 2, 3, 1, 4, 0xEF, 0, 0,                                 # row 2: delta right 3 up 1 -> row 3 column 3
    13, 0x77, 0, 0,                                            # row 4
    2, 0x1F, 0, 6, 0x12, 0x34, 0x56, 0, 0, 0,                  # row 5: literal 6 (three bytes, padded)
    0, 1])                                                     # end of bitmap
bmp("rle4.bmp", w, h, 4, [rle4], compression=2, palette=pal16, colours=16)
pal256 = b"".join(bytes((random.randrange(256), random.randrange(256), random.randrange(256), 0)) for _ in range(256))
rle8 = bytes([
    4, 7, 0, 3, 1, 2, 3, 0, 6, 9, 0, 0,                        # file row 0: run, literal 3 (padded), run
    0, 4, 10, 11, 12, 13, 0, 0,                                # row 1: literal 4, end of line early
    0, 2, 5, 2,                                                # row 2: delta right 5 up 2 -> row 4 column 5
    3, 200, 0, 0,                                              # row 4
    13, 255, 0, 0,                                             # row 5
    0, 1])                                                     # end of bitmap
bmp("rle8.bmp", w, h, 8, [rle8], compression=1, palette=pal256, colours=256)
PY

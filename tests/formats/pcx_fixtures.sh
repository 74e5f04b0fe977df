#!/usr/bin/env bash
# PCX fixtures written by netpbm's ppmtopcx in each of its modes, by Pillow and by ImageMagick,
# into $1.
set -eu
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert
py=/usr/bin/python3

# Odd widths so that lines carry padding; flat areas for long runs.
$im -size 37x6 xc:'rgb(200,200,200)' \( -seed 8 -size 37x9 xc: +noise Random \) -append -depth 8 ppm:many.ppm
$im -seed 9 -size 29x13 xc: +noise Random -colors 100 -depth 8 ppm:c100.ppm
$im -seed 10 -size 21x11 xc: +noise Random -colors 12 -depth 8 ppm:c12.ppm
$im -seed 11 -size 19x7 xc: +noise Random -colors 4 -depth 8 ppm:c4.ppm
$im -seed 12 -size 45x9 xc: +noise Random -threshold 50% pbm:bits.pbm

ppmtopcx many.ppm > nb_24.pcx 2>/dev/null          # more than 256 colours: 3 planes
ppmtopcx c100.ppm > nb_8.pcx 2>/dev/null           # 1 plane of 8 bits, palette at the end
ppmtopcx -24bit c100.ppm > nb_c100_24.pcx 2>/dev/null
ppmtopcx c12.ppm > nb_16.pcx 2>/dev/null           # 16 colours: 4 planes of 1 bit
ppmtopcx -8bit c12.ppm > nb_c12_8.pcx 2>/dev/null
ppmtopcx -packed c12.ppm > nb_c12_packed.pcx 2>/dev/null
ppmtopcx -packed c4.ppm > nb_c4_packed.pcx 2>/dev/null   # 2 bits a pixel
for p in 2 3 4; do ppmtopcx -planes=$p c4.ppm > nb_c4_planes$p.pcx 2>/dev/null; done
ppmtopcx bits.pbm > nb_bits.pcx 2>/dev/null        # 1 plane of 1 bit

$py - <<'PY'
from PIL import Image
m = Image.open("many.ppm")
m.save("pil_rgb.pcx")
Image.open("c100.ppm").convert("P").save("pil_p.pcx")
m.convert("L").save("pil_l.pcx")
Image.open("bits.pbm").save("pil_1.pcx")
PY
$im many.ppm im_rgb.pcx
$im c12.ppm -type palette im_palette.pcx

# A small file for cutting at every offset.
$im many.ppm -crop 5x3+0+5 +repage -depth 8 ppm:small.ppm
ppmtopcx -24bit small.ppm > small_24.pcx 2>/dev/null
ppmtopcx -8bit small.ppm > small_8.pcx 2>/dev/null

#!/usr/bin/env bash
# X bitmap fixtures written by netpbm (X11 and X10 forms), ImageMagick and Pillow, into $1.
set -eu
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert
py=/usr/bin/python3

# Widths around the byte and word boundaries.
for w in 1 8 13 16 17; do
  $im -seed $w -size ${w}x5 xc: +noise Random -threshold 50% pbm:r$w.pbm
  pbmtoxbm r$w.pbm > nb_x11_$w.xbm
  pbmtox10bm r$w.pbm > nb_x10_$w.xbm
done
# ImageMagick writes upper-case digits; the array's name "box_bits" holds an "x".
$im -seed 3 -size 21x9 xc: +noise Random -threshold 50% pbm:box.pbm
$im box.pbm box.xbm
# Pillow writes a hot spot between the size and the array.
$py -c "
from PIL import Image
Image.open('box.pbm').save('hot.xbm', hotspot=(3, 4))
"
# A small file for cutting at every offset.
pbmtoxbm r13.pbm > small.xbm

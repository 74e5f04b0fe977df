#!/usr/bin/env bash
# Targa fixtures written by netpbm's ppmtotga in each of its forms and by Pillow, into $1; the
# forms neither writes come from targa_write.py.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert
py=/usr/bin/python3

# Flat areas (runs) beside noise (literal packets), 37 x 19; a picture of few colours for the
# colour-mapped and grey forms.
$im -size 37x9 xc:'rgb(200,30,60)' \( -seed 8 -size 37x10 xc: +noise Random \) -append -depth 8 ppm:mix.ppm
$im -seed 9 -size 29x13 xc: +noise Random -colors 11 -depth 8 ppm:few.ppm
ppmtopgm mix.ppm > mix.pgm
ppmtotga -rgb mix.ppm > nb_rgb_rle.tga
ppmtotga -rgb -norle mix.ppm > nb_rgb.tga
ppmtotga -cmap few.ppm > nb_map_rle.tga
ppmtotga -cmap -norle few.ppm > nb_map.tga
ppmtotga -cmap16 few.ppm > nb_map16.tga
ppmtotga -mono mix.pgm > nb_grey_rle.tga
ppmtotga -mono -norle mix.pgm > nb_grey.tga

$py - <<'PY'
from PIL import Image
rgb = Image.open("mix.ppm")
a = Image.open("mix.pgm").point(lambda v: 255 - v)
rgba = rgb.copy()
rgba.putalpha(a)
rgb.save("pil_rgb.tga")
rgb.save("pil_rgb_rle.tga", compression="tga_rle")
rgb.save("pil_rgb_top.tga", orientation=1)
rgba.save("pil_rgba.tga")
rgba.save("pil_rgba_rle.tga", compression="tga_rle")
rgb.convert("L").save("pil_grey.tga")
rgb.convert("L").save("pil_grey_rle.tga", compression="tga_rle")
Image.merge("LA", (rgb.convert("L"), a)).save("pil_grey_alpha.tga")
Image.open("few.ppm").convert("P").save("pil_map.tga")
Image.open("few.ppm").convert("P").save("pil_map_rle.tga", compression="tga_rle")
PY

for form in rle-across rgb16 rgb16-rle top-rle; do
  $py "$here/targa_write.py" mix.ppm hand_$form.tga $form
done

# Rows stored from the right, in every pixel type, coding and vertical origin.
for kind in map8 rgb16 rgb24 rgba32 grey8 greya16; do
  pic=mix.ppm
  [ $kind = map8 ] && pic=few.ppm
  for coding in raw rle; do
    for origin in bottom top; do
      $py "$here/targa_write.py" $pic rtl_$kind-$coding-$origin.tga $kind-$coding-$origin-rtl
    done
  done
done
$py "$here/targa_write.py" mix.ppm rtl_rgb24-rlex-bottom.tga rgb24-rlex-bottom-rtl

# Small files for cutting at every offset.
$im mix.ppm -crop 6x4+0+7 +repage -depth 8 ppm:small.ppm
ppmtotga -rgb small.ppm > small_rle.tga
$py -c "
from PIL import Image
s = Image.open('small.ppm')
s.convert('P', palette=Image.ADAPTIVE, colors=4).save('small_map_rle.tga', compression='tga_rle')
s.convert('RGBA').save('small_rgba.tga')
"
$py "$here/targa_write.py" small.ppm small_rgb16-rle.tga rgb16-rle

#!/usr/bin/env bash
# Sun raster fixtures, written by netpbm and ImageMagick into $1; the run-length coded 24- and
# 32-bit files (which neither tool writes) are re-coded from their plain files by sun_rle.py.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert
py=/usr/bin/python3

# 24 bits (more than 256 colours), widths 1 to 4 for the row padding.
for w in 1 2 3 4; do
  $im -seed $w -size ${w}x300 xc: +noise Random -depth 8 ppm:rand$w.ppm
  pnmtorast rand$w.ppm > rgb24_w$w.ras 2>/dev/null
  $py "$here/sun_rle.py" rgb24_w$w.ras rle24_w$w.ras
  $im rand$w.ppm im24_w$w.ras
done
# Flat areas and a 0x80 channel, so the coded files hold long runs, runs across rows and
# escaped 0x80 bytes.
$im -size 37x9 xc:'rgb(128,128,128)' \( -size 37x9 xc: +noise Random \) -append -depth 8 ppm:flat.ppm
pnmtorast flat.ppm > flat24.ras 2>/dev/null
$py "$here/sun_rle.py" flat24.ras flatrle24.ras
$im flat.ppm -alpha on -channel A -evaluate set 50% +channel im32.ras
$py "$here/sun_rle.py" im32.ras imrle32.ras

# 8 bits through a colour map: pnmtorast codes them run-length by default, -standard plainly.
for w in 1 2 3; do
  $im -seed $w -size ${w}x5 xc: +noise Random -colors 7 -depth 8 ppm:few$w.ppm
  pnmtorast few$w.ppm > map8_w$w.ras 2>/dev/null
  pnmtorast -standard few$w.ppm > map8std_w$w.ras 2>/dev/null
done
$im -size 23x7 gradient:white-black -depth 8 pgm:grey.pgm
pnmtorast grey.pgm > grey8.ras 2>/dev/null
$im -size 64x32 plasma:fractal -seed 5 -depth 8 ppm:plasma.ppm 2>/dev/null
$im plasma.ppm -colors 16 im8map.ras
$im plasma.ppm -colorspace gray -type grayscale im8grey.ras

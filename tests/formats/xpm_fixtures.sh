#!/usr/bin/env bash
# X pixmap fixtures written by netpbm's ppmtoxpm and by ImageMagick, into $1.
set -eu
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert

# Colours that the dictionary names ("Blue", "Red", ...), beside ones it does not.
printf 'P3\n6 2\n255\n0 0 255  255 255 255  255 0 0  0 0 0  0 255 0  255 255 0\n10 20 30  0 0 255  227 38 54  190 190 190  255 0 255  0 255 255\n' > named.ppm
cp named.ppm o2.ppm
ppmtoxpm o2.ppm > o2_named.xpm 2>/dev/null           # array "o2": a digit in the name
ppmtoxpm -hexonly -name img named.ppm > hex.xpm 2>/dev/null
$im named.ppm im_named.xpm
# 16-bit samples give 12 hex digits a colour.
$im -seed 3 -size 9x4 xc: +noise Random -colors 7 ppm:c16.ppm
ppmtoxpm c16.ppm > hex12.xpm 2>/dev/null
# Characters a pixel: 2 for 1600 colours, 3 for 9000.
$im -seed 4 -size 40x40 xc: +noise Random -depth 8 ppm:r40.ppm
ppmtoxpm r40.ppm > cpp2.xpm 2>/dev/null
$im -seed 5 -size 95x95 xc: +noise Random -depth 8 ppm:r95.ppm
ppmtoxpm r95.ppm > cpp3.xpm 2>/dev/null
# Transparency: a mask turned into "None".
$im -seed 6 -size 13x7 xc: +noise Random -colors 5 -depth 8 ppm:c5.ppm
$im -seed 7 -size 13x7 xc: +noise Random -threshold 50% -depth 8 pgm:mask.pgm
ppmtoxpm -alphamask=mask.pgm c5.ppm > alpha.xpm 2>/dev/null
$im c5.ppm mask.pgm -alpha off -compose copy-opacity -composite im_alpha.xpm
# A small file for cutting at every offset.
ppmtoxpm -name small c5.ppm > small.xpm 2>/dev/null

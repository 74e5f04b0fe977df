#!/usr/bin/env bash
# Netpbm fixtures for the PBM and PPM readers, written by netpbm and ImageMagick into $1.
# Each *.plain file beside a picture is netpbm's plain rendering of it: the reference values.
set -eu
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert

# A random colour picture and its forms.
$im -seed 7 -size 7x5 xc: +noise Random -depth 8 ppm:raw255.ppm
pnmtoplainpnm raw255.ppm > plain255.ppm
pnmdepth 15 raw255.ppm > raw15.ppm
pnmtoplainpnm raw15.ppm > plain15.ppm
$im raw255.ppm -depth 16 ppm:raw65535.ppm
pnmdepth 1000 raw255.ppm > raw1000.ppm
$im -seed 11 -size 300x200 xc: +noise Random -depth 8 ppm:big.ppm
$im -seed 11 -size 300x200 xc: +noise Random -depth 8 -compress none ppm:bigplain.ppm
for f in raw15 raw65535 raw1000; do pnmtoplainpnm $f.ppm > $f.plain; done
for f in raw255 plain255 plain15; do pnmtoplainpnm $f.ppm > $f.plain; done

# Comments where the format allows them, CR LF line ends, a one-line header.
sed '1a # a comment line\n#another' raw255.ppm > comment.ppm
pnmtoplainpnm raw255.ppm | sed '2i # made by hand' > commentplain.ppm
{ printf 'P6 7 5 255 '; tail -c 105 raw255.ppm; } > oneline.ppm
{ printf 'P6\r\n7 5\r\n255\n'; tail -c 105 raw255.ppm; } > crlf.ppm

# Bitmaps: raw (what netpbm and ImageMagick write), plain, plain with a comment.
$im -seed 3 -size 13x6 xc: +noise Random -threshold 50% pbm:raw.pbm
pnmtoplainpnm raw.pbm > plain.pbm
sed '1a # a comment' plain.pbm > commentplain.pbm
pbmmake -white 9 3 > white.pbm
pnmtoplainpnm raw.pbm > raw.pbm.plain

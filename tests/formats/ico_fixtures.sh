#!/usr/bin/env bash
# Icon fixtures: ImageMagick's icons of 1, 4, 8 and 32 bits (with and without transparency), and
# 24-bit icons, one with a directory that gives 0 for its size, written by ico_write.py into $1.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert
py=/usr/bin/python3

# 23 x 13: rows of colour and of mask need padding at every depth.
$im -size 23x13 plasma:fractal -seed 2 -depth 8 src.png 2>/dev/null
$im src.png -alpha on -channel A -fx "i>10?1:0" +channel -depth 8 holes.png
$im src.png im32.ico
$im holes.png im32alpha.ico
$im src.png -colors 200 im8.ico
$im src.png -colors 16 im4.ico
$im src.png -colors 2 -type palette im1.ico
$im holes.png -colors 16 im4holes.ico
$py "$here/ico_write.py" holes.png rgb24.ico 24
$im -size 256x256 plasma:fractal -seed 3 -depth 8 big.png 2>/dev/null
$py "$here/ico_write.py" big.png zero24.ico 24 zero

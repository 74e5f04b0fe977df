#!/usr/bin/env bash
# MacPaint and BinHex fixtures, written by netpbm's pbmtomacp and macutils' binhex into $1.
set -eu
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert

# A random full-size bitmap (rows of literal and repeated bytes), a small picture (pbmtomacp puts
# it at the top left of a white page) and a white page.
$im -seed 4 -size 576x720 xc: +noise Random -threshold 50% pbm:random.pbm
pbmtomacp random.pbm > random.mac
$im -seed 5 -size 130x41 xc: +noise Random -threshold 70% pbm:small.pbm
pbmtomacp small.pbm > small.mac 2>/dev/null
pbmmake -white 576 720 | pbmtomacp > white.mac

# The same in BinHex 4.0: with binhex's 0x90 runs (its default) and without (-R); under a long
# name; and a text file that is not a picture.
for f in random small white; do
  binhex -d -t PNTG -c MPNT $f.mac > $f.hqx
  binhex -d -R -t PNTG -c MPNT $f.mac > ${f}_norun.hqx
done
cp small.mac a_macpaint_picture_named_at_length.mac
binhex -d -t PNTG -c MPNT a_macpaint_picture_named_at_length.mac > longname.hqx
printf 'Not a picture: a text file\r%.0s' $(seq 40) > note.txt
binhex -d note.txt > note.hqx

#!/usr/bin/env bash
# Writes the JPEG fuzzer's seed corpus (fuzz/corpus/jpeg/): tiny files in the layouts the reader
# handles, made by Debian's cjpeg, ImageMagick and exiftool. Deterministic for given tool versions.
set -euo pipefail
out=$(cd "$(dirname "$0")" && pwd)/corpus/jpeg
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# A 16 x 12 picture with gradients and an edge.
/usr/bin/python3 - "$tmp/p.ppm" <<'PY'
import sys
w, h = 16, 12
px = bytearray()
for y in range(h):
    for x in range(w):
        px += bytes(((x * 16) % 256, (y * 21) % 256, 200 if x > 8 else 40))
open(sys.argv[1], 'wb').write(b'P6\n%d %d\n255\n' % (w, h) + px)
PY
cjpeg -quality 75 "$tmp/p.ppm" > "$out/baseline_420.jpg"
cjpeg -quality 75 -sample 1x1 -optimize "$tmp/p.ppm" > "$out/baseline_444.jpg"
cjpeg -quality 60 -progressive "$tmp/p.ppm" > "$out/progressive.jpg"
cjpeg -quality 60 -restart 1 "$tmp/p.ppm" > "$out/restart.jpg"
cjpeg -quality 60 -arithmetic "$tmp/p.ppm" > "$out/arithmetic.jpg"
cjpeg -quality 60 -rgb "$tmp/p.ppm" > "$out/rgb.jpg"
cjpeg -quality 60 -grayscale "$tmp/p.ppm" > "$out/grey.jpg"
convert-im6.q16 "$tmp/p.ppm" -colorspace CMYK -quality 60 "$out/cmyk.jpg"
cp "$out/baseline_444.jpg" "$out/exif_mm_6.jpg"
exiftool -q -overwrite_original -n -Make=Cam -Orientation=6 "$out/exif_mm_6.jpg"
cp "$out/baseline_420.jpg" "$out/exif_ii_8.jpg"
exiftool -q -overwrite_original -n -ExifByteOrder=II -Orientation=8 "$out/exif_ii_8.jpg"

#!/usr/bin/env bash
# GIF fixtures written by Pillow, ImageMagick and giflib's gifbuild into $1, each with giflib's
# dump of its exact colour indices beside it (name.gif.dump).
set -eu
cd "$1"
im=/usr/bin/convert-im6.q16
[ -x "$im" ] || im=convert

/usr/bin/python3 - <<'PY'
import random
from PIL import Image
random.seed(9)

def noise(w, h, colours):
    im = Image.new("P", (w, h))
    im.putpalette([random.randrange(256) for _ in range(3 * colours)])
    im.putdata([random.randrange(colours) for _ in range(w * h)])
    return im

# An animation whose frames change rectangles of the picture (Pillow then writes cropped frames at
# offsets), each with its own palette, delays and every disposal method.
frames, base = [], noise(40, 30, 32).convert("RGB")
for k in range(6):
    f = base.copy()
    patch = noise(random.randrange(5, 25), random.randrange(5, 20), random.choice((4, 16, 64))).convert("RGB")
    f.paste(patch, (random.randrange(0, 15), random.randrange(0, 10)))
    frames.append(f.quantize(64 if k % 2 else 16, dither=Image.Dither.NONE))
    base = f
frames[0].save("pil_anim.gif", save_all=True, append_images=frames[1:], duration=[40, 80, 120, 60, 70, 90],
               disposal=[0, 1, 2, 3, 1, 2], loop=0)
noise(37, 29, 256).save("pil_interlaced.gif")
noise(300, 300, 256).save("pil_noise.gif")
noise(13, 7, 2).save("pil_two_colours.gif")
three = [noise(9, 6, 8) for _ in range(3)]
three[0].save("pil_last_delay0.gif", save_all=True, append_images=three[1:], duration=[100, 200, 0], loop=0)
three[0].save("pil_no_delays.gif", save_all=True, append_images=three[1:], loop=0)
# Transparency: one index of each frame shows what lies beneath.
t = [noise(20, 16, 16) for _ in range(3)]
t[0].save("pil_transparent.gif", save_all=True, append_images=t[1:], duration=100, transparency=3, disposal=1, loop=0)

# Minimum code sizes 9, 10 and 11: legal, though no common writer makes them. A plain LZW encoder
# (greedy longest match, clear code when the table is full) over a picture of 256 colours.
import struct

def lzw(indices, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    codes, table, size, nxt = [clear], {}, min_size + 1, clear + 2
    out, acc, bits = bytearray(), 0, 0
    def put(c):
        nonlocal acc, bits
        acc |= c << bits
        bits += size
        while bits >= 8:
            out.append(acc & 255)
            acc >>= 8
            bits -= 8
    put(clear)
    w = (indices[0],)
    for k in indices[1:]:
        if w + (k,) in table:
            w = w + (k,)
            continue
        put(table[w] if len(w) > 1 else w[0])
        if nxt < 4096:
            table[w + (k,)] = nxt
            nxt += 1
            if nxt > (1 << size) and size < 12:
                size += 1
        else:
            put(clear)
            table, size, nxt = {}, min_size + 1, clear + 2
        w = (k,)
    put(table[w] if len(w) > 1 else w[0])
    put(end)
    if bits:
        out.append(acc & 255)
    return bytes(out)

for min_size in (9, 10, 11):
    w, h = 61, 47
    pal = bytes(random.randrange(256) for _ in range(768))
    # runs and repeats, so the strings grow long and the table fills and clears
    px = [(x // 3 + y * 7 + random.randrange(3)) % 256 for y in range(h) for x in range(w)]
    data = lzw(px, min_size)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255] for i in range(0, len(data), 255))
    with open("wide_code%d.gif" % min_size, "wb") as f:
        f.write(b"GIF89a" + struct.pack("<HHBBB", w, h, 0xF7, 0, 0) + pal)
        f.write(b"," + struct.pack("<HHHHB", 0, 0, w, h, 0) + bytes([min_size]) + blocks + b"\0;")
    assert list(Image.open("wide_code%d.gif" % min_size).getdata()) == px, "encoder fault"
PY

# ImageMagick: an animation optimised with transparency and disposals, and a GIF87a still.
for k in 1 2 3 4 5; do
  $im -size 48x32 xc:navy -fill "rgb($((k * 40)),200,$((250 - k * 40)))" -draw "rectangle $((k * 6)),4 $((k * 6 + 12)),$((10 + k * 3))" \
    -fill yellow -draw "circle 30,20 $((30 + k)),$((20 + k))" frame$k.ppm
done
$im -delay 10 frame1.ppm frame2.ppm frame3.ppm frame4.ppm frame5.ppm -loop 0 -layers optimize im_anim.gif
$im -seed 4 -size 31x17 xc: +noise Random +dither -colors 30 GIF87:im_87a.gif

# giflib: pictures built from text, for what the writers above never produce.
screen() {  # width height aspect
  printf 'screen width %s\nscreen height %s\nscreen colors 4\nscreen background 0\npixel aspect byte %s\n\n' "$1" "$2" "$3"
  printf 'screen map\n\trgb 255 000 000 is a\n\trgb 000 255 000 is b\n\trgb 000 000 255 is c\n\trgb 255 255 255 is d\nend\n\n'
}
control() {  # transparent-index delay disposal
  printf 'graphics control\n\tdisposal mode %s\n\tuser input flag off\n\tdelay %s\n\ttransparent index %s\nend\n\n' "$3" "$2" "$1"
}
image() {  # left top width height interlaced rows...
  local l=$1 t=$2 w=$3 h=$4 il=$5
  shift 5
  printf 'image # 1\nimage left %s\nimage top %s\n' "$l" "$t"
  [ "$il" = 1 ] && printf 'image interlaced\n'
  printf 'image bits %s by %s\n' "$w" "$h"
  for r in "$@"; do printf '%s\n' "$r"; done
  printf '\n'
}
{ screen 10 10 0; image 6 6 8 5 0 abcdabcd bbbbbbbb cccccccc dddddddd aaaaaaaa; } | gifbuild > offset_beyond.gif
{ screen 10 10 0; image 70 3 4 2 0 abcd dcba; } | gifbuild > offset_outside.gif
{ screen 0 0 0; image 2 1 4 3 0 abcd bcda cdab; } | gifbuild > zero_screen.gif
{ screen 4 2 49; image 0 0 4 2 0 abcd dcba; } | gifbuild > aspect49.gif
{ screen 4 2 50; image 0 0 4 2 0 abcd dcba; } | gifbuild > aspect50.gif
{ screen 4 2 0; control 2 5 1; image 0 0 4 2 0 abcd abcd; image 0 0 4 2 0 cccc bbbb; } | gifbuild > transparency_scope.gif
rows="abcd bbbb cccc dddd aaaa abab bcbc cdcd dada"
for h in 1 2 3 4 5 6 7 8 9; do
  { screen 4 $h 0; image 0 0 4 $h 1 $(echo $rows | cut -d' ' -f1-$h); } | gifbuild > interlaced_h$h.gif
done
# An animation with every disposal and offsets, where frame 2 is transparent where index c stands.
{ screen 8 6 0
  control -1 10 1; image 0 0 8 6 0 aaaaaaaa aaaaaaaa aaaaaaaa aaaaaaaa aaaaaaaa aaaaaaaa
  control 2 10 2; image 1 1 4 3 0 bcbc cbcb bcbc
  control -1 10 3; image 3 2 4 4 0 dddd dbbd dbbd dddd
  control -1 10 0; image 0 4 3 2 0 ccc ccc
  control -1 10 1; image 6 0 2 2 0 bd db; } | gifbuild > disposals.gif

for f in *.gif; do gifbuild -d "$f" > "$f.dump" 2>/dev/null || true; done

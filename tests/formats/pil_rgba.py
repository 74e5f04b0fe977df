# Writes Pillow's decoding of a picture as "w h\n" and 8-bit RGBA bytes, rows top first.
# usage: pil_rgba.py input output [frame]
import sys
from PIL import Image

im = Image.open(sys.argv[1])
frame = int(sys.argv[3]) if len(sys.argv) > 3 else 0
if frame:
    im.seek(frame)
im = im.convert("RGBA")
with open(sys.argv[2], "wb") as f:
    f.write(b"%d %d\n" % im.size)
    f.write(im.tobytes())

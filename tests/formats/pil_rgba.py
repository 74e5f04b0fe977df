# Writes Pillow's decoding of pictures as "w h\n" and 8-bit RGBA bytes, rows top first, one file
# per picture: for each argument "path" or "path@frame", the file path.pil<frame>.raw.
import sys
from PIL import Image

for arg in sys.argv[1:]:
    path, _, frame = arg.rpartition("@") if "@" in arg else (arg, "", "0")
    try:
        im = Image.open(path)
        if int(frame):
            im.seek(int(frame))
        im = im.convert("RGBA")
    except Exception as e:
        print("%s: %s" % (arg, e), file=sys.stderr)
        continue
    with open("%s.pil%s.raw" % (path, frame), "wb") as f:
        f.write(b"%d %d\n" % im.size)
        f.write(im.tobytes())

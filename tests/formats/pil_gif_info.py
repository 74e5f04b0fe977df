# Pillow's view of GIF files: for each path prints one line
#   path frames loop mode width height duration(frame 0) duration(frame 1) ...
# (loop -1 when the file has no looping extension) and writes the colour indices of the first
# frame, one byte each, rows top first, to path.idx. A file Pillow cannot read prints "path error".
# Data that ends early is decoded as far as it goes.
import sys
from PIL import Image, ImageFile

ImageFile.LOAD_TRUNCATED_IMAGES = True
for path in sys.argv[1:]:
    try:
        with Image.open(path) as im:
            im.load()
            mode, size = im.mode, im.size
            if mode in ("P", "L"):
                with open(path + ".idx", "wb") as f:
                    f.write(im.tobytes())
            loop = im.info.get("loop", -1)
            durations = []
            for k in range(getattr(im, "n_frames", 1)):
                im.seek(k)
                durations.append(im.info.get("duration", 0))
        print(path, len(durations), loop, mode, size[0], size[1], *durations)
    except Exception as e:
        print(path, "error", e)

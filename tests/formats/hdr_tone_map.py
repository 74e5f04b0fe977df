# The HDR reader's tone map in numpy, for each argument "in.f32:out.f32": in holds a picture's
# decoded RGB values as float32; out receives the tone-mapped RGB values as float32. Prints the
# gain chosen for each picture, one a line. Everything is float32, and the sums run in order
# (np.add.accumulate), as the reader sums them.
import sys
import numpy as np

f32 = np.float32
for arg in sys.argv[1:]:
    src, dst = arg.split(":")
    v = np.fromfile(src, dtype=np.float32)
    n = v.size
    peak = v.max()
    mean = np.add.accumulate(v)[-1] / f32(n)
    d = v - mean
    sigma = np.sqrt(np.add.accumulate(d * d)[-1] / f32(n - 1))
    scale = f32(1) / peak if peak > 0 else f32(1)
    gain = f32(1)
    for ratio, g in ((200, 16), (100, 10), (50, 7), (25, 5), (5, 2.5), (2, 1.4)):
        if peak > f32(ratio) * sigma:
            gain = f32(g)
            break
    out = np.clip(np.sqrt(v * scale) * gain, f32(0), f32(1)).astype(np.float32)
    out.tofile(dst)
    print(gain)

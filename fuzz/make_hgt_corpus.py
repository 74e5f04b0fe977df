"""Writes the seed corpus of the terrain tile loader's fuzz target into fuzz/corpus/hgt/: zipped
three-arc-second tiles of sea with a small island (heights, depths, voids, the -9999 sea of
thirty-arc-second tiles, impossible heights), a short bare file and an archive without entries.
Each stays small because a tile of sea deflates to a few kilobytes. Deterministic; run with
/usr/bin/python3."""
import os
import struct
import zipfile

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "hgt")
os.makedirs(out, exist_ok=True)
N = 1201


def tile(cells):
    grid = [0] * (N * N)
    for (r, c), v in cells.items():
        grid[r * N + c] = v
    return struct.pack(">%dh" % (N * N), *grid)


def write_zip(name, data):
    info = zipfile.ZipInfo("N57E011.hgt", date_time=(2020, 1, 1, 0, 0, 0))
    info.compress_type = zipfile.ZIP_DEFLATED
    with zipfile.ZipFile(os.path.join(out, name), "w") as z:
        z.writestr(info, data, compresslevel=9)


island = {(600 + i, 600 + j): 5 * (10 - max(abs(i), abs(j))) for i in range(-10, 11)
          for j in range(-10, 11)}
write_zip("island.hgt.zip", tile(island))
odd = {(0, 0): -32768, (0, 1): -32768, (1, 0): -9999, (5, 5): -430, (5, 6): 8990, (5, 7): 9001,
       (1200, 1200): -32768, (1200, 0): 32767, (700, 3): -1}
write_zip("voids.hgt.zip", tile(odd))
with open(os.path.join(out, "short.hgt"), "wb") as f:
    f.write(struct.pack(">50h", *range(-25, 25)))
with zipfile.ZipFile(os.path.join(out, "empty.zip"), "w"):
    pass

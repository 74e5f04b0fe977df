# Writes STL test meshes.
#   stl_write.py torus <binary.stl> <ascii.stl> <steps around> <steps across> <R> <r>
#       a torus about the z axis in both forms, the same float32 vertices in each (the ASCII form
#       prints them exactly) and normals 0 0 0, so that the reader computes them
#   stl_write.py facets <file.stl> binary|ascii
#       the facets given as rows "nx ny nz x1 y1 z1 x2 y2 z2 x3 y3 z3" on standard input
import math
import struct
import sys

import numpy as np


def torus(nu, nv, R, r):
    tris = []
    def point(i, j):
        u = 2 * math.pi * (i % nu) / nu
        w = 2 * math.pi * (j % nv) / nv
        return ((R + r * math.cos(w)) * math.cos(u), (R + r * math.cos(w)) * math.sin(u),
                r * math.sin(w))
    for i in range(nu):
        for j in range(nv):
            a, b, c, d = point(i, j), point(i + 1, j), point(i + 1, j + 1), point(i, j + 1)
            tris.append((0, 0, 0) + a + b + c)
            tris.append((0, 0, 0) + a + c + d)
    return np.array(tris, dtype=np.float32)


def write_binary(path, facets):
    with open(path, "wb") as f:
        f.write(b"binary mesh written for the tests".ljust(80, b" "))
        f.write(struct.pack("<I", len(facets)))
        rec = np.zeros(len(facets), dtype=[("v", "<f4", (12,)), ("attr", "<u2")])
        rec["v"] = facets
        f.write(rec.tobytes())


def write_ascii(path, facets):
    fmt = lambda vals: " ".join("%.17g" % float(x) for x in vals)
    out = ["solid test"]
    for t in facets:
        out.append("  facet normal " + fmt(t[0:3]))
        out.append("    outer loop")
        for k in range(3):
            out.append("      vertex " + fmt(t[3 + 3 * k:6 + 3 * k]))
        out.append("    endloop")
        out.append("  endfacet")
    out.append("endsolid test")
    with open(path, "w") as f:
        f.write("\n".join(out) + "\n")


if sys.argv[1] == "torus":
    t = torus(int(sys.argv[4]), int(sys.argv[5]), float(sys.argv[6]), float(sys.argv[7]))
    write_binary(sys.argv[2], t)
    write_ascii(sys.argv[3], t)
elif sys.argv[1] == "facets":
    rows = [list(map(float, line.split())) for line in sys.stdin if line.strip()]
    t = np.array(rows, dtype=np.float32).reshape(-1, 12)
    (write_binary if sys.argv[3] == "binary" else write_ascii)(sys.argv[2], t)

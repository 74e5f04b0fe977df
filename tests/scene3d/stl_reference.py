# numpy-stl's reading of STL files: one row per file, the facet count, then the smallest and the
# largest x, y and z of the vertices.
# usage: stl_reference.py <file>...
import sys
import warnings

warnings.simplefilter("ignore")
from stl import mesh  # noqa: E402

for path in sys.argv[1:]:
    m = mesh.Mesh.from_file(path)
    print(len(m.vectors), *(float(c) for c in m.min_), *(float(c) for c in m.max_))

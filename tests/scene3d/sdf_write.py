# Writes surface grid files (no program but this viewer writes the format, so the tests make
# their own).
# usage: sdf_write.py <file> <header> <rows> <columns> <width> <height> [options]
#   <header>       the header line as written, with {rows} {cols} {w} {h} filled in, or "none"
#   --eol S        line end: LF, CRLF, LFCR or CR (LF)
#   --shape S      plane (z = x + 2y), cap (a sphere cap of radius 50 over the grid), index
#                  (z = row * 1000 + column) (plane)
#   --digits N     decimals of each value (3)
#   --write-rows N rows written (all)
#   --comment      a comment line and a row line before the header
#   --no-final-eol no line end after the last row
import argparse

p = argparse.ArgumentParser()
p.add_argument("path")
p.add_argument("header")
p.add_argument("rows", type=int)
p.add_argument("cols", type=int)
p.add_argument("width", type=float)
p.add_argument("height", type=float)
p.add_argument("--eol", default="LF")
p.add_argument("--shape", default="plane")
p.add_argument("--digits", type=int, default=3)
p.add_argument("--write-rows", type=int, default=-1)
p.add_argument("--comment", action="store_true")
p.add_argument("--no-final-eol", action="store_true")
a = p.parse_args()

eol = {"LF": "\n", "CRLF": "\r\n", "LFCR": "\n\r", "CR": "\r"}[a.eol]
dx = a.width / (a.cols - 1)
dy = a.height / (a.rows - 1)


def z(r, i):
    x = (i - a.cols // 2) * dx
    y = (r - a.rows // 2) * dy
    if a.shape == "cap":
        return (50.0 ** 2 - x * x - y * y) ** 0.5
    if a.shape == "index":
        return r * 1000 + i
    return x + 2 * y


lines = []
if a.comment:
    lines.append("# a surface written for the tests")
    lines.append("ZZ=9;9;9;9;9")
if a.header != "none":
    lines.append(a.header.format(rows=a.rows, cols=a.cols, w=a.width, h=a.height))
n = a.rows if a.write_rows < 0 else a.write_rows
fmt = "%." + str(a.digits) + "f"
for r in range(n):
    lines.append("ZZ=" + ";".join(fmt % z(r, i) for i in range(a.cols)))
text = eol.join(lines) + ("" if a.no_final_eol else eol)
with open(a.path, "w", newline="") as f:
    f.write(text)

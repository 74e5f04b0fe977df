#!/usr/bin/python3
"""Writes the small grid files of the molecule reader's tests on standard output.

usage: grid_files.py xyz   a 4 x 3 grid at spacing 0.5 listed with y varying fastest: a REMARK,
                           then x, y, z = x * y and a charge of (x + y) / 10 per line
       grid_files.py dat   a comment, a header line, then a 3 x 3 grid at spacing 2 listed with
                           x varying fastest: x, y, z = x - y per line
"""
import sys

mode = sys.argv[1]
if mode == "xyz":
    print("REMARK a grid with charges")
    for i in range(4):
        for j in range(3):
            x, y = 0.5 * i, 0.5 * j
            print("%g, %g\t%g %g" % (x, y, x * y, (x + y) / 10))
elif mode == "dat":
    print("# heights")
    print("x y z")
    for j in range(3):
        for i in range(3):
            print("%d %d %d" % (2 * i, 2 * j, 2 * i - 2 * j))
else:
    sys.exit("unknown mode " + mode)

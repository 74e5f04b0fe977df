#!/usr/bin/python3
"""Reference values for the renderer's tables, from libraries nobody here wrote.

usage: tables_reference.py elements   per ordinal 1..103 (python3-periodictable): ordinal, mass,
                                      then the character codes of the symbol (32 for a blank)
       tables_reference.py groups     per group entry 0..255 (colorsys): entry, then the bytes of
                                      hue (60 + floor(i * 19080 / 256)) mod 360 degrees,
                                      saturation 0.55, value 0.9, each channel x 255 truncated
"""
import colorsys
import sys

mode = sys.argv[1]
if mode == "elements":
    import periodictable
    for z in range(1, 104):
        e = periodictable.elements[z]
        s = (e.symbol + " ")[:2]
        print(z, e.mass, ord(s[0]), ord(s[1]))
elif mode == "groups":
    for i in range(256):
        d = (60 + i * 19080 // 256) % 360
        r, g, b = colorsys.hsv_to_rgb(d / 360.0, 0.55, 0.9)
        print(i, int(r * 255), int(g * 255), int(b * 255))
else:
    sys.exit("unknown mode " + mode)

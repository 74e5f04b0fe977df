#!/usr/bin/python3
"""PyEphem's Sun and Moon for the globe tests, computed at test time.

usage: globe_reference.py terminator JD LAT...   for each latitude (degrees): the latitude, then
                                                 the east longitudes (0..360) where the Sun's
                                                 centre stands on the horizon of an observer at
                                                 sea level (no refraction), ascending; and the
                                                 sub-solar point's longitude and latitude
       globe_reference.py sublunar JD            the sub-lunar point: east longitude (0..360)
                                                 and latitude, degrees
       globe_reference.py images DIR             the globe's images as Pillow makes them from the
                                                 Debian pictures, written to DIR: day.rgb (the
                                                 day texture decoded), small.rgb (its 4 x 4 box
                                                 reduction) and night.gray (the city lights' light
                                                 min(R, G) - 50 scaled by 255/205, box-reduced to
                                                 2160 x 1080; the sea not cleared); prints the
                                                 three sizes
       globe_reference.py hsv                    rows h s v r g b of colorsys.hsv_to_rgb over
                                                 hues below 0.998 (six times the hue below 5.99)
JD is a Julian date in UT. PyEphem counts days from JD 2415020.
"""
import math
import os
import sys

import ephem

DJD = 2415020.0


def altitude(jd, lon, lat):
    o = ephem.Observer()
    o.lon = math.radians(lon)
    o.lat = math.radians(lat)
    o.elevation = 0
    o.pressure = 0
    o.date = ephem.Date(jd - DJD)
    return float(ephem.Sun(o).alt)


def sub_point(body, jd):
    greenwich = ephem.Observer()
    greenwich.lon = 0.0
    greenwich.lat = 0.0
    greenwich.date = ephem.Date(jd - DJD)
    b = body(ephem.Date(jd - DJD))
    gast = float(greenwich.sidereal_time())
    return math.degrees(float(b.g_ra) - gast) % 360.0, math.degrees(float(b.g_dec))


def terminator(jd, lats):
    slon, slat = sub_point(ephem.Sun, jd)
    for lat in lats:
        found = []
        step = 0.5
        prev = altitude(jd, 0.0, lat)
        k = 1
        while k * step <= 360.0:
            lon = k * step
            a = altitude(jd, lon, lat)
            if (a > 0) != (prev > 0):
                lo, hi = lon - step, lon
                for _ in range(40):
                    mid = (lo + hi) / 2
                    if (altitude(jd, mid, lat) > 0) == (prev > 0):
                        lo = mid
                    else:
                        hi = mid
                found.append((lo + hi) / 2 % 360.0)
            prev = a
            k += 1
        print(" ".join(repr(v) for v in [lat] + sorted(found) + [slon, slat]))


def images(out):
    import numpy
    from PIL import Image

    day = Image.open("/usr/share/xplanet/images/earth.jpg").convert("RGB")
    small = day.reduce(4)
    lights = numpy.asarray(Image.open("/usr/share/marble/data/maps/earth/citylights/citylights.jpg").convert("RGB"))
    m = numpy.minimum(lights[:, :, 0], lights[:, :, 1]).astype(float)
    light = numpy.clip((m - 50) * 255 / 205, 0, 255)
    night = Image.fromarray(numpy.round(light).astype(numpy.uint8)).resize((2160, 1080), Image.BOX)
    for name, im in (("day.rgb", day), ("small.rgb", small), ("night.gray", night)):
        with open(os.path.join(out, name), "wb") as f:
            f.write(im.tobytes())
    print(*day.size, *small.size, *night.size)


def hsv():
    import colorsys

    for i in range(0, 200):
        h = i * 0.998 / 200
        for s in (0.1, 0.5, 1.0):
            for v in (0.2, 0.9):
                print(" ".join(repr(x) for x in (h, s, v) + colorsys.hsv_to_rgb(h, s, v)))


def main(argv):
    mode = argv[1]
    if mode == "images":
        images(argv[2])
        return
    if mode == "hsv":
        hsv()
        return
    jd = float(argv[2])
    if mode == "terminator":
        terminator(jd, [float(a) for a in argv[3:]])
    elif mode == "sublunar":
        print(" ".join(repr(v) for v in sub_point(ephem.Moon, jd)))
    else:
        sys.exit("unknown mode " + mode)


if __name__ == "__main__":
    main(sys.argv)

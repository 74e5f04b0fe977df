#!/usr/bin/python3
"""PyEphem's answers to the questions of the sun report, computed at test time.

usage: sun_report_reference.py JD LON LAT H   the Sun for an observer at LON, LAT (degrees east
                                              and north) and H metres at the Julian date JD (UT),
                                              with no refraction: its elevation and azimuth
                                              (degrees), the last and next crossing of its centre
                                              through the horizon, and the crossings through
                                              -0:50 next to those on the night side (Julian dates,
                                              nan when none lies within reach)
The crossings are searched as tests/earth/sun_reference.py does for its polar cases: over the
culminations day by day, hourly between them, then by bisection; 261 days for the horizon and two
days for -0:50.
"""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "earth"))
import ephem  # noqa: E402
from sun_reference import altitude, crossing_from, observer  # noqa: E402


def main(argv):
    jd, lon, lat, h = (float(a) for a in argv[1:5])
    o = observer(jd, lon, lat, h)
    sun = ephem.Sun()
    alt = altitude(o, sun, jd)
    az = math.degrees(float(sun.az))
    day = alt > 0
    last0, _ = crossing_from(o, sun, jd, -1, 0.0, 261.0)
    next0, _ = crossing_from(o, sun, jd, +1, 0.0, 261.0)
    target = -math.radians(50.0 / 60.0)
    last50 = next50 = float("nan")
    if not math.isnan(last0):
        last50, _ = crossing_from(o, sun, last0, -1 if day else +1, target, 2.0)
    if not math.isnan(next0):
        next50, _ = crossing_from(o, sun, next0, +1 if day else -1, target, 2.0)
    print(" ".join(repr(v) for v in (math.degrees(alt), az, last0, next0, last50, next50)))


if __name__ == "__main__":
    main(sys.argv)

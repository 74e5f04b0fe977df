#!/usr/bin/python3
"""Reference values from PyEphem for the Sun and Moon tests, computed at test time.

usage: sun_reference.py positions N SEED   random moments 1980-2030, places and heights:
                                           jd lon lat h elevation azimuth (degrees, metres)
       sun_reference.py crossings N SEED [high]
                                           |latitude| <= 65 (with "high": 60 to 65, within 5 days
                                           of a solstice): jd lon lat h elevation, then the
                                           previous and next rising and setting of the Sun's
                                           centre for the horizons 0 and -0:50 (Julian dates,
                                           nan when there is none)
       sun_reference.py polar N SEED       66.6 <= |latitude| <= 89.9, moments 1981-2030 near the
                                           solstices: jd lon lat h elevation, then the last and
                                           next crossing of the Sun's centre through the horizon,
                                           each with the elevation's rate there (degrees a day),
                                           then the crossings through -0:50 next to those on the
                                           night side, with their rates (nan when none)
       sun_reference.py geocentric N SEED  random moments 1980-2030: jd, the Sun's apparent geocentric
                                           right ascension and declination and the apparent
                                           sidereal time at Greenwich (radians)
       sun_reference.py moon N SEED        jd, east longitude and latitude of the sub-lunar point
       sun_reference.py earth STEP         every STEP-th day from JD 2444209.5 at 0 h TT: day,
                                           heliocentric longitude of the Earth (radians) and
                                           Sun-Earth distance (au), and Delta T (seconds)
       sun_reference.py timing N           seconds per PyEphem call for the same work as the
                                           benchmark: one sun position; one dawn and dusk search
All PyEphem positions are apparent and topocentric, with pressure 0 (no refraction). Julian dates
are UT; PyEphem counts days from JD 2415020.
"""
import math
import random
import sys
import time

import ephem

DJD = 2415020.0
JD_1980 = 2444239.5  # 1980-01-01 0 h
JD_2031 = 2462867.5  # 2031-01-01 0 h


def observer(jd, lon, lat, h):
    o = ephem.Observer()
    o.lon = math.radians(lon)
    o.lat = math.radians(lat)
    o.elevation = h
    o.pressure = 0
    o.date = ephem.Date(jd - DJD)
    return o


def random_case(rnd, max_lat):
    jd = rnd.uniform(JD_1980, JD_2031)
    lon = rnd.uniform(-180.0, 180.0)
    lat = rnd.uniform(-max_lat, max_lat)
    h = rnd.choice([0.0, rnd.uniform(0.0, 4500.0)])
    return jd, lon, lat, h


def positions(n, seed):
    rnd = random.Random(seed)
    for _ in range(n):
        jd, lon, lat, h = random_case(rnd, 89.9)
        s = ephem.Sun(observer(jd, lon, lat, h))
        print(repr(jd), repr(lon), repr(lat), repr(h), repr(math.degrees(s.alt)), repr(math.degrees(s.az)))


def event(o, which, horizon):
    o = o.copy()
    o.horizon = horizon
    try:
        return repr(getattr(o, which)(ephem.Sun(), use_center=True) + DJD)
    except (ephem.AlwaysUpError, ephem.NeverUpError):
        return "nan"


def crossings(n, seed, high):
    rnd = random.Random(seed)
    for _ in range(n):
        jd, lon, lat, h = random_case(rnd, 65.0)
        if high:
            year = rnd.randint(1981, 2029)
            jd = 2444239.5 + (year - 1980) * 365.2422 + rnd.choice([171.5, 354.5]) + rnd.uniform(-5.0, 5.0)
            lat = rnd.uniform(60.0, 65.0) * rnd.choice([-1, 1])
        o = observer(jd, lon, lat, h)
        alt = math.degrees(ephem.Sun(o).alt)
        row = [repr(jd), repr(lon), repr(lat), repr(h), repr(alt)]
        for horizon in ("0", "-0:50"):
            for which in ("previous_rising", "next_rising", "previous_setting", "next_setting"):
                row.append(event(o, which, horizon))
        print(" ".join(row))


def altitude(o, sun, jd):
    o.date = ephem.Date(jd - DJD)
    sun.compute(o)
    return float(sun.alt)


def culmination(o, sun, t, direction):
    """The Sun's next (or previous) passage of the meridian or anti-meridian after t."""
    o.date = ephem.Date(t - DJD)
    if direction > 0:
        c = min(float(o.next_transit(sun)), float(o.next_antitransit(sun)))
    else:
        c = max(float(o.previous_transit(sun)), float(o.previous_antitransit(sun)))
    return c + DJD


def crossing_from(o, sun, jd, direction, target, reach):
    """First crossing of the altitude target from jd on, within reach days: moment and rate.

    Samples every culmination (each day and each night holds one, where the Sun is highest or
    lowest) and hourly between them, then bisects the first change of side.
    """
    above = altitude(o, sun, jd) > target
    t = jd
    while abs(t - jd) < reach:
        c = culmination(o, sun, t, direction)
        n = max(1, int(math.ceil(abs(c - t) * 24)))
        prev = t
        for i in range(1, n + 1):
            s = t + (c - t) * i / n
            if (altitude(o, sun, s) > target) != above:
                a, b = prev, s
                for _ in range(45):
                    m = (a + b) / 2
                    if (altitude(o, sun, m) > target) == above:
                        a = m
                    else:
                        b = m
                r = (altitude(o, sun, b + 1e-3) - altitude(o, sun, b - 1e-3)) / 2e-3
                return b, math.degrees(r)
            prev = s
        t = c
    return float("nan"), float("nan")


def polar(n, seed):
    rnd = random.Random(seed)
    sun = ephem.Sun()
    for _ in range(n):
        year = rnd.randint(1981, 2029)
        solstice = 2444239.5 + (year - 1980) * 365.2422 + rnd.choice([171.5, 354.5])
        jd = solstice + rnd.uniform(-70.0, 70.0)
        lon = rnd.uniform(-180.0, 180.0)
        lat = rnd.uniform(66.6, 89.9) * rnd.choice([-1, 1])
        h = rnd.choice([0.0, rnd.uniform(0.0, 3000.0)])
        o = observer(jd, lon, lat, h)
        alt = altitude(o, sun, jd)
        day = alt > 0
        last0, r_last0 = crossing_from(o, sun, jd, -1, 0.0, 261.0)
        next0, r_next0 = crossing_from(o, sun, jd, +1, 0.0, 261.0)
        target = -math.radians(50.0 / 60.0)
        last50 = r_last50 = next50 = r_next50 = float("nan")
        if not math.isnan(last0):
            last50, r_last50 = crossing_from(o, sun, last0, -1 if day else +1, target, 2.0)
        if not math.isnan(next0):
            next50, r_next50 = crossing_from(o, sun, next0, +1 if day else -1, target, 2.0)
        row = [jd, lon, lat, h, math.degrees(alt), last0, r_last0, next0, r_next0, last50, r_last50, next50, r_next50]
        print(" ".join(repr(v) for v in row))


def geocentric(n, seed):
    rnd = random.Random(seed)
    greenwich = ephem.Observer()
    greenwich.lon = 0.0
    greenwich.lat = 0.0
    for _ in range(n):
        jd = rnd.uniform(JD_1980, JD_2031)
        s = ephem.Sun(ephem.Date(jd - DJD))
        greenwich.date = ephem.Date(jd - DJD)
        print(repr(jd), repr(float(s.g_ra)), repr(float(s.g_dec)), repr(float(greenwich.sidereal_time())))


def moon(n, seed):
    rnd = random.Random(seed)
    greenwich = ephem.Observer()
    greenwich.lon = 0.0
    greenwich.lat = 0.0
    for _ in range(n):
        jd = rnd.uniform(JD_1980, JD_2031)
        m = ephem.Moon(ephem.Date(jd - DJD))
        greenwich.date = ephem.Date(jd - DJD)
        gast = float(greenwich.sidereal_time())
        lon = math.degrees(float(m.g_ra) - gast) % 360.0
        print(repr(jd), repr(lon), repr(math.degrees(float(m.g_dec))))


def earth(step):
    jd0 = 2444209.5
    day = 0
    while day < 18689:
        jd_tt = jd0 + day
        dt = ephem.delta_t(ephem.Date(jd_tt - DJD))
        s = ephem.Sun(ephem.Date(jd_tt - dt / 86400.0 - DJD))
        print(day, repr(float(s.hlon)), repr(float(s.earth_distance)), repr(dt))
        day += step


def timing(n):
    """Seconds per observer set-up and sun position, and per search of the four crossings."""
    rnd = random.Random(7)
    cases = [random_case(rnd, 60.0) for _ in range(n)]
    sun = ephem.Sun()
    start = time.perf_counter()
    for jd, lon, lat, h in cases:
        sun.compute(observer(jd, lon, lat, h))
        sun.alt, sun.az  # PyEphem computes on first access
    per_position = (time.perf_counter() - start) / n
    start = time.perf_counter()
    for jd, lon, lat, h in cases:
        o = observer(jd, lon, lat, h)
        for horizon in ("0", "-0:50"):
            o.horizon = horizon
            o.previous_rising(sun, use_center=True)
            o.next_setting(sun, use_center=True)
    per_search = (time.perf_counter() - start) / n
    print(repr(per_position), repr(per_search))


def main(argv):
    mode = argv[1]
    if mode == "positions":
        positions(int(argv[2]), int(argv[3]))
    elif mode == "crossings":
        crossings(int(argv[2]), int(argv[3]), len(argv) > 4 and argv[4] == "high")
    elif mode == "polar":
        polar(int(argv[2]), int(argv[3]))
    elif mode == "geocentric":
        geocentric(int(argv[2]), int(argv[3]))
    elif mode == "moon":
        moon(int(argv[2]), int(argv[3]))
    elif mode == "earth":
        earth(int(argv[2]))
    elif mode == "timing":
        timing(int(argv[2]))
    else:
        sys.exit("unknown mode " + mode)


if __name__ == "__main__":
    main(sys.argv)

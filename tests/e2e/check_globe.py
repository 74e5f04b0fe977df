"""The real program under Xvfb starts on the globe lit for the moment of the run: on the screenshot
the sea is bright where PyEphem has the Sun well up and dark where it has it well down; the view
choice's "moon" item draws the grey disc at PyEphem's sub-lunar point when that lies in the view;
a right click brings up the sun report's message box."""
import math
import os
import sys
import tempfile

import ephem

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import CANVAS_X, CANVAS_Y, Session, check, finish  # noqa: E402

program = os.path.abspath(sys.argv[1])
W, H = 1000, 800  # the canvas on a 1280 x 1024 screen
# The first view: 0.35 x 0.6561 degrees a pixel, centred on the zone's standard meridian (0 in
# UTC) and on 11.2775 N.
SCALE = 0.35 * 0.6561
CENTRE_LAT = 0.3 * 0.6561 * 180 / math.pi


def place(x, y):
    """Longitude (-180..180) and latitude of canvas pixel (x, y) of the first view."""
    lon = (x - W / 2) * SCALE
    lat = CENTRE_LAT - (y - H / 2) * SCALE
    while lat > 90:
        lat -= 180
    lon = (lon + 180) % 360 - 180
    return lon, lat


def sub_point(body, when):
    g = ephem.Observer()
    g.lon, g.lat, g.date = 0.0, 0.0, when
    b = body(when)
    lon = math.degrees(float(b.g_ra) - float(g.sidereal_time()))
    return (lon + 180) % 360 - 180, math.degrees(float(b.g_dec))


def sun_altitude(lon, lat, slon, slat):
    """The Sun's altitude (degrees) at a place, from the sub-solar point."""
    r = math.radians
    s = math.sin(r(lat)) * math.sin(r(slat)) + math.cos(r(lat)) * math.cos(r(slat)) * math.cos(r(lon - slon))
    return math.degrees(math.asin(max(-1.0, min(1.0, s))))


def visible_windows(s):
    return s.x("xdotool", "search", "--onlyvisible", "--name", "").stdout.split()


work = tempfile.mkdtemp()
with Session(program, env={"TZ": "UTC"}, shots=work) as s:
    wid = s.wait_window()
    started = ephem.now()
    s.settle(1.5)
    img = s.picture(wid, "globe.png")
    slon, slat = sub_point(ephem.Sun, started)
    print("moment %s UTC, sub-solar point %.2f E %.2f N" % (started, slon, slat))

    # Sea pixels (the texture's blue), split by the Sun's altitude there.
    day, night = [], []
    for y in range(2, H - 2, 5):
        for x in range(2, W - 2, 5):
            r, g, b = img.getpixel((CANVAS_X + x, CANVAS_Y + y))
            if b < 1.3 * max(r, g) + 4:
                continue
            lon, lat = place(x, y)
            alt = sun_altitude(lon, lat, slon, slat)
            if alt > 5:
                day.append(r + g + b)
            elif alt < -5:
                night.append(r + g + b)
    check(len(day) > 500 and len(night) > 500,
          "sea on both sides of the day-night line (%d day, %d night samples)" % (len(day), len(night)))
    if day and night:
        day_mean, night_mean = sum(day) / len(day), sum(night) / len(night)
        check(day_mean > 1.6 * night_mean,
              "the sea is brighter where the Sun is up (%.0f) than where it is down (%.0f)" % (day_mean, night_mean))
        cut = (day_mean + night_mean) / 2
        lit = sum(v > cut for v in day) / len(day)
        dark = sum(v <= cut for v in night) / len(night)
        check(lit > 0.97 and dark > 0.97,
              "lit as PyEphem has it: %.1f %% of the day side's sea, dark: %.1f %% of the night side's"
              % (100 * lit, 100 * dark))

    # The moon view: the choice's second item.
    s.x("xdotool", "mousemove", "--window", wid, "48", "61", "click", "1")
    s.settle(0.7)
    s.x("xdotool", "key", "Down")
    s.x("xdotool", "key", "Return")
    s.settle(1.5)
    mlon, mlat = sub_point(ephem.Moon, ephem.now())
    mx = W / 2 + mlon / SCALE
    my = H / 2 - (mlat - CENTRE_LAT) / SCALE
    if 8 <= mx < W - 8 and 8 <= my < H - 8:
        img = s.picture(wid, "moon.png")
        grey = 0
        ring = [(dx, dy) for dx in range(-3, 4) for dy in range(-3, 4)]
        for dx, dy in ring:
            p = img.getpixel((CANVAS_X + int(mx) + dx, CANVAS_Y + int(my) + dy))
            grey += all(abs(c - 204) <= 2 for c in p)
        check(grey >= len(ring) - 2, "moon view: grey disc at the sub-lunar point %.1f E %.1f N (%d of %d pixels)"
              % (mlon, mlat, grey, len(ring)))
        far = img.getpixel((CANVAS_X + int(mx) + 12, CANVAS_Y + int(my)))
        check(not all(abs(c - 204) <= 2 for c in far), "moon view: the disc ends within 3 degrees")
    else:
        print("skip the moon is outside the view (%.1f E %.1f N)" % (mlon, mlat))

    # A right click on the globe: the report's message box opens; Return closes it.
    before = set(visible_windows(s))
    s.x("xdotool", "mousemove", "--window", wid, str(CANVAS_X + 500), str(CANVAS_Y + 400), "click", "3")
    s.settle(1.5)
    boxes = [w for w in visible_windows(s) if w not in before]
    check(len(boxes) >= 1, "a right click on the globe opens the sun report")
    if boxes:
        s.key(boxes[0], "Return")
        s.settle(0.8)
    check(s.proc.poll() is None, "the program runs on after the report")

for f in os.listdir(work):
    os.remove(os.path.join(work, f))
os.rmdir(work)
finish()

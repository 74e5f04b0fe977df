"""Terrain tiles in the real program under Xvfb, as a new user meets them: N57E011.hgt on the
command line names the window and the start-up goes on to the globe, where a right click inside
the tile brings up the sun report; "Open SRTM..." with its chooser, and a drop of the zipped tile
on the picture, show the shaded terrain (dark blue sea, green low land, fitted and centred, tilted
so that its far edge looks narrower); a drag, the arrows, +, - and 1:1 and a resize of the window
redraw it; a text file named .hgt is refused and the terrain stays."""
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import (CANVAS_X, CANVAS_Y, Session, changed, check, click, finish_in,  # noqa: E402
                  open_with_chooser)

program = os.path.abspath(sys.argv[1])
drag_source = os.path.join(os.path.dirname(program), "e2e_drag_source")
src = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))

class Seen:
    """The canvas by palette colour: the sea's blue, the low land's green, the rest; and the box
    of what differs from the background (the corner's colour)."""

    def __init__(self, img):
        w, h = img.size
        px = img.load()
        bg = px[2, 2]
        self.blue = self.green = self.shown = 0
        x0, y0, x1, y1 = w, h, -1, -1
        rows = {}
        for y in range(0, h, 2):
            for x in range(0, w, 2):
                r, g, b = px[x, y]
                if abs(r - bg[0]) + abs(g - bg[1]) + abs(b - bg[2]) <= 9:
                    continue
                self.shown += 1
                self.blue += b > 1.5 * r and b > 1.5 * g
                self.green += g > 1.5 * r and g > 1.5 * b
                x0, y0, x1, y1 = min(x0, x), min(y0, y), max(x1, x), max(y1, y)
                lo, hi = rows.get(y, (x, x))
                rows[y] = (min(lo, x), max(hi, x))
        self.box = (x0, y0, x1, y1)
        self.cx = (x0 + x1) / 2 / w if self.shown else 0
        self.cy = (y0 + y1) / 2 / h if self.shown else 0
        self.fill = max((x1 - x0) / w, (y1 - y0) / h) if self.shown else 0
        ys = sorted(rows)
        self.top_width = rows[ys[len(ys) // 10]][1] - rows[ys[len(ys) // 10]][0] if ys else 0
        self.bottom_width = rows[ys[-1 - len(ys) // 10]][1] - rows[ys[-1 - len(ys) // 10]][0] if ys else 0


def check_terrain(img, what):
    seen = Seen(img)
    check(seen.shown > 1000, "%s: the terrain is shown" % what)
    if not seen.shown:
        return seen
    check(seen.blue > 0.5 * seen.shown, "%s: mostly dark blue sea (%d of %d)" % (what, seen.blue, seen.shown))
    check(seen.green > 0.02 * seen.shown, "%s: green low land (%d of %d)" % (what, seen.green, seen.shown))
    check(abs(seen.cx - 0.5) < 0.05 and abs(seen.cy - 0.5) < 0.1,
          "%s: centred (%.2f, %.2f)" % (what, seen.cx, seen.cy))
    check(0.4 < seen.fill <= 1.0, "%s: fitted (%.2f of the canvas)" % (what, seen.fill))
    check(seen.top_width < 0.9 * seen.bottom_width,
          "%s: tilted, the far edge narrower (%d against %d)" % (what, seen.top_width, seen.bottom_width))
    return seen


work = tempfile.mkdtemp()
home = os.path.join(work, "home")
os.makedirs(os.path.join(home, ".local", "share"))
env = {"HOME": home, "TZ": "UTC"}
zipped = os.path.join(work, "N57E011.hgt.zip")
shutil.copy(os.path.join(src, "tests", "data", "N57E011.hgt.zip"), zipped)
zipfile.ZipFile(zipped).extractall(work)
tile = os.path.join(work, "N57E011.hgt")
text = os.path.join(work, "notes.hgt")
with open(text, "w") as f:
    f.write("57.5 11.5 12 m\n" * 10)

# The command line: the tile names the window; start-up shows the globe, and the report at a
# point of the tile comes from its heights.
with Session(program, [tile], env=env) as s:
    wid = s.wait_window(title=tile)
    s.settle(2.0)
    before = set(s.x("xdotool", "search", "--onlyvisible", "--name", "").stdout.split())
    # 57.5 N 11.5 E on the first view of the globe (0.229635 degrees a pixel, 11.2775 N in the
    # middle, the UTC meridian in the middle)
    x = 500 + round(11.5 / 0.229635)
    y = 400 - round((57.5 - 11.2775) / 0.229635)
    click(s, wid, CANVAS_X + x, CANVAS_Y + y, 3)
    boxes = [w for w in s.x("xdotool", "search", "--onlyvisible", "--name", "").stdout.split()
             if w not in before]
    check(len(boxes) >= 1, "a right click inside the tile brings up the sun report")
    if boxes:
        s.key(boxes[0], "Return")
        s.settle(0.8)
    check(s.proc.poll() is None, "the program runs on after the report")

with Session(program, [], env=env, shots=work) as s:
    wid = s.wait_window()
    s.settle(1.0)
    open_with_chooser(s, wid, tile)
    check(s.title(wid) == tile, "chooser: the tile names the window")
    first = s.canvas(wid, "chooser.png")
    seen = check_terrain(first, "chooser")

    cx, cy = CANVAS_X + 500, CANVAS_Y + 400
    s.x("xdotool", "mousemove", "--window", wid, str(cx), str(cy), "mousedown", "1")
    for k in range(1, 6):
        s.x("xdotool", "mousemove", "--window", wid, str(cx + 12 * k), str(cy + 6 * k))
        s.settle(0.2)
    s.x("xdotool", "mouseup", "1")
    s.settle(1.0)
    dragged = s.canvas(wid, "dragged.png")
    check(changed(dragged, first), "a drag turns the terrain")

    shots = {}
    for name, (bx, by) in {"left arrow": (51, 130), "up arrow": (70, 103), "+": (17, 98),
                           "-": (17, 155), "1:1": (17, 126)}.items():
        last = s.canvas(wid, "before.png")
        click(s, wid, bx, by)
        shots[name] = s.canvas(wid, "after.png")
        check(changed(shots[name], last), "%s redraws the terrain" % name)
    grown = Seen(shots["+"])
    shrunk = Seen(shots["-"])
    check(grown.shown > shrunk.shown, "+ shows the terrain larger than - (%d, %d)" % (grown.shown, shrunk.shown))

    s.x("xdotool", "windowsize", wid, "900", "700")
    s.settle(2.0)
    resized = s.canvas(wid, "resized.png")
    check(resized.size[0] < first.size[0] and Seen(resized).shown > 500,
          "after a resize the terrain fills the smaller canvas")

    # A text file named .hgt: refused, and the terrain stays as it was.
    kept = s.canvas(wid, "kept.png")
    open_with_chooser(s, wid, text)
    check(s.title(wid) == tile, "a text file named .hgt leaves the title")
    check(not changed(s.canvas(wid, "refused.png"), kept), "a text file named .hgt leaves the picture")
    check(s.proc.poll() is None, "the program runs on")

# A drop of the zipped tile on the picture, from a drag source on the same screen.
with Session(program, [], env=env, shots=work) as s:
    wid = s.wait_window()
    s.settle(1.0)
    drag = subprocess.Popen([drag_source, "file://" + zipped + "\r\n"], env=s.env)
    try:
        sid = s.wait_window(title="drag source")
        s.x("xdotool", "windowmove", sid, "1150", "900")
        s.x("xdotool", "windowraise", sid)
        s.settle(1.0)
        s.x("xdotool", "mousemove", "--window", sid, "60", "40", "mousedown", "1")
        s.settle(0.5)
        for k in range(1, 11):
            s.x("xdotool", "mousemove", str(1150 - 60 * k), str(900 - 45 * k))
            s.settle(0.15)
        s.x("xdotool", "mouseup", "1")
        s.settle(4.0)
        check(s.title(wid) == zipped, "drop: the zipped tile names the window (%r)" % s.title(wid))
        check_terrain(s.canvas(wid, "dropped.png"), "drop")
    finally:
        drag.kill()
        drag.wait()

finish_in(work)

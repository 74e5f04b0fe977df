"""Molecules in the real program under Xvfb, opened with "Open SRTM..." and its file chooser as a
new user would: ubiquitin (1ubq, freesasa's test data) is shown fitted and centred, its waters
yellow and its protein from blue to red by temperature factor; a gzip copy shows the same
picture; a drag, the arrow buttons, + and - and a smaller window each give a new picture; the ten
NMR models of 1d3z are shown together; a text named .pdb, a cut gzip file and gzip of random
bytes leave the picture and the title as they were, and the program runs on."""
import gzip
import os
import random
import shutil
import sys
import tempfile

from PIL import Image, ImageChops

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import Session  # noqa: E402

program = os.path.abspath(sys.argv[1])
failures = []

CANVAS_X, CANVAS_Y = 104, 24  # canvas pixel (0, 0) in the window


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what)
    if not cond:
        failures.append(what)


def open_with_chooser(s, wid, path):
    """File > Open SRTM..., then the path typed into the chooser's location field."""
    s.x("xdotool", "mousemove", "--window", wid, "15", "10", "click", "1")
    s.settle(0.7)
    s.x("xdotool", "mousemove", "--window", wid, "40", "32", "click", "1")
    cw = s.wait_window(title="Choose file", timeout=10)
    s.settle(1.0)
    s.x("xdotool", "mousemove", "--window", cw, "450", "350", "click", "1")
    s.settle(0.5)
    s.x("xdotool", "type", "/")
    s.settle(1.5)
    s.x("xdotool", "key", "ctrl+a")
    s.x("xdotool", "type", "--delay", "40", path)
    s.settle(1.0)
    s.x("xdotool", "key", "Return")
    s.settle(2.5)


def canvas(s, wid, name):
    img = Image.open(s.screenshot(wid, os.path.join(work, name))).convert("RGB")
    w, h = img.size
    return img.crop((CANVAS_X, CANVAS_Y, w - 4, h - 24))


def scene_box(img):
    """Box of the pixels that differ from the background (the colour of the top left corner)."""
    bg = Image.new("RGB", img.size, img.getpixel((2, 2)))
    diff = ImageChops.difference(img, bg).convert("L").point(lambda v: 255 if v > 12 else 0)
    return diff.getbbox()


def fitted_and_centred(img, what):
    box = scene_box(img)
    check(box is not None, what + ": something is drawn")
    if box is None:
        return
    w, h = img.size
    cx, cy = (box[0] + box[2]) / 2, (box[1] + box[3]) / 2
    check(abs(cx - w / 2) < 0.06 * w and abs(cy - h / 2) < 0.06 * h,
          what + ": centred (box %s in %dx%d)" % (box, w, h))
    fill = max((box[2] - box[0]) / w, (box[3] - box[1]) / h)
    check(0.4 < fill < 1.0, what + ": fills the canvas (%.2f of its limiting side)" % fill)


def changed(a, b):
    return a.size != b.size or ImageChops.difference(a, b).getbbox() is not None


def click(s, wid, x, y):
    s.x("xdotool", "mousemove", "--window", wid, str(x), str(y), "click", "1")
    s.settle(1.0)


def colour_counts(img):
    """Pixels other than the background that read as the waters' yellow, as bluish (the ramp's
    cool end) and as reddish (its warm end)."""
    bg = img.getpixel((2, 2))
    yellow = blue = red = 0
    for n, (r, g, b) in img.getcolors(1 << 22):
        if max(abs(r - bg[0]), abs(g - bg[1]), abs(b - bg[2])) <= 12:
            continue
        if g > 60 and b < 0.4 * g and abs(r / g - 240 / 255) < 0.1:
            yellow += n
        elif b > r:
            blue += n
        elif r > b:
            red += n
    return yellow, blue, red


work = tempfile.mkdtemp()
home = os.path.join(work, "home")
os.makedirs(os.path.join(home, ".local", "share"))
env = {"HOME": home}

ubq = os.path.join(work, "1ubq.pdb")
shutil.copy("/usr/share/freesasa/test-data/1ubq.pdb", ubq)
with open(ubq, "rb") as f:
    ubq_data = f.read()
ubq_gz = os.path.join(work, "1ubq.pdb.gz")
with open(ubq_gz, "wb") as f:
    f.write(gzip.compress(ubq_data))
nmr = os.path.join(work, "1d3z.pdb")
shutil.copy("/usr/share/freesasa/test-data/1d3z.pdb", nmr)
note = os.path.join(work, "note.pdb")
with open(note, "w") as f:
    f.write("This is a note, not a molecule.\n")
cut = os.path.join(work, "cut.pdb.gz")
with open(cut, "wb") as f:
    f.write(gzip.compress(ubq_data)[:5000])
noise = os.path.join(work, "noise.pdb.gz")
rng = random.Random(20)
with open(noise, "wb") as f:
    f.write(b"\x1f\x8b\x08\x00" + bytes(rng.randrange(256) for _ in range(4000)))

with Session(program, [], env=env) as s:
    wid = s.wait_window()
    s.settle(1.0)

    open_with_chooser(s, wid, ubq)
    check(s.title(wid) == ubq, "1ubq.pdb names the window")
    first = canvas(s, wid, "1ubq.png")
    fitted_and_centred(first, "1ubq")
    yellow, blue, red = colour_counts(first)
    check(yellow > 500, "the waters are yellow (%d pixels)" % yellow)
    check(blue > 2000 and red > 2000, "the protein runs from blue (%d pixels) to red (%d)" % (blue, red))

    open_with_chooser(s, wid, ubq_gz)
    check(s.title(wid) == ubq_gz, "1ubq.pdb.gz names the window")
    check(not changed(first, canvas(s, wid, "1ubq-gz.png")), "the gzip copy shows the same picture")

    # A drag over the picture turns the molecule.
    s.x("xdotool", "mousemove", "--window", wid, "600", "400", "mousedown", "1")
    for k in range(1, 9):
        s.x("xdotool", "mousemove", "--window", wid, str(600 + 10 * k), str(400 + 12 * k))
        s.settle(0.1)
    s.x("xdotool", "mouseup", "1")
    s.settle(1.0)
    dragged = canvas(s, wid, "1ubq-drag.png")
    check(changed(first, dragged), "a drag turns the molecule")

    click(s, wid, 87, 130)  # the right arrow
    turned = canvas(s, wid, "1ubq-arrow.png")
    check(changed(dragged, turned), "an arrow button turns the molecule")

    before = scene_box(turned)
    click(s, wid, 17, 98)  # +
    bigger = scene_box(canvas(s, wid, "1ubq-plus.png"))
    check(before and bigger and bigger[2] - bigger[0] > before[2] - before[0], "+ enlarges")
    click(s, wid, 17, 155)  # -
    click(s, wid, 17, 155)
    smaller = scene_box(canvas(s, wid, "1ubq-minus.png"))
    check(bigger and smaller and smaller[2] - smaller[0] < bigger[2] - bigger[0], "- shrinks")

    s.x("xdotool", "windowsize", wid, "900", "700")
    s.settle(2.0)
    resized = canvas(s, wid, "1ubq-resized.png")
    check(resized.size[0] < first.size[0], "the window is smaller")
    check(scene_box(resized) is not None, "after a resize the molecule is drawn again")
    s.x("xdotool", "windowsize", wid, "1280", "1024")
    s.settle(2.0)

    open_with_chooser(s, wid, nmr)
    check(s.title(wid) == nmr, "1d3z.pdb names the window")
    models = canvas(s, wid, "1d3z.png")
    fitted_and_centred(models, "the ten models of 1d3z")

    for path, what in ((note, "a text named .pdb"), (cut, "a cut gzip file"),
                       (noise, "gzip of random bytes")):
        open_with_chooser(s, wid, path)
        check(s.title(wid) == nmr, what + " leaves the title")
        check(not changed(models, canvas(s, wid, "after.png")), what + " leaves the picture")
    check(s.proc.poll() is None, "the program is still running")

if not os.environ.get("KEEP"):
    shutil.rmtree(work, ignore_errors=True)
else:
    print(work)
if failures:
    print("%d end-to-end check(s) failed" % len(failures))
    sys.exit(1)

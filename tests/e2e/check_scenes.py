"""Meshes and surface grids in the real program under Xvfb, opened with "Open SRTM..." and its file
chooser as a new user would: admesh's block.stl, openscad's binary tardis (Debian packages, the
second unpacked only) and a surface grid written by tests/scene3d/sdf_write.py are each shown
fitted and centred; a drag, the arrow buttons, + and - and a smaller window each give a new
picture; a chemistry SD file and a cut mesh leave the picture and the title as they were."""
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import Session  # noqa: E402

program = os.path.abspath(sys.argv[1])
source = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
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


work = tempfile.mkdtemp()
home = os.path.join(work, "home")
os.makedirs(os.path.join(home, ".local", "share"))
env = {"HOME": home}

block = os.path.join(work, "block.stl")
shutil.copy("/usr/share/doc/admesh/examples/block.stl", block)
packages = os.path.join(os.path.dirname(program), "debian-fixtures")
subprocess.run(["sh", os.path.join(source, "tests/scene3d/debian_packages.sh"), packages,
                "openscad-testing-data"], check=True)
tardis = os.path.join(work, "tardis.stl")
shutil.copy(os.path.join(packages, "usr/share/openscad/testdata/scad/misc/bad-stl-tardis.stl"),
            tardis)
grid = os.path.join(work, "cap.sdf")
subprocess.run(["/usr/bin/python3", os.path.join(source, "tests/scene3d/sdf_write.py"), grid,
                "SURFMT=1;L;B;{rows};{cols};{w};{h}", "60", "80", "60", "40", "--shape", "cap"],
               check=True)
chemistry = os.path.join(work, "ethanol.sdf")
subprocess.run(["obabel", "-:CCO", "-osdf", "-O", chemistry], check=True,
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
cut = os.path.join(work, "cut.stl")
with open(tardis, "rb") as f:
    data = f.read()
with open(cut, "wb") as f:
    f.write(data[:84 + 30])

with Session(program, [], env=env) as s:
    wid = s.wait_window()
    s.settle(1.0)

    open_with_chooser(s, wid, block)
    check(s.title(wid) == block, "block.stl names the window")
    first = canvas(s, wid, "block.png")
    fitted_and_centred(first, "block.stl")

    # A drag over the picture turns the mesh.
    s.x("xdotool", "mousemove", "--window", wid, "600", "400", "mousedown", "1")
    for k in range(1, 9):
        s.x("xdotool", "mousemove", "--window", wid, str(600 + 10 * k), str(400 + 12 * k))
        s.settle(0.1)
    s.x("xdotool", "mouseup", "1")
    s.settle(1.0)
    dragged = canvas(s, wid, "block-drag.png")
    check(changed(first, dragged), "a drag turns the mesh")
    faces = len(set(c for n, c in dragged.getcolors(1 << 20) if n > 2000))
    check(faces >= 3, "the turned block shows distinct faces (%d colours)" % faces)

    click(s, wid, 87, 130)  # the right arrow
    turned = canvas(s, wid, "block-arrow.png")
    check(changed(dragged, turned), "an arrow button turns the mesh")

    before = scene_box(turned)
    click(s, wid, 17, 98)  # +
    bigger = scene_box(canvas(s, wid, "block-plus.png"))
    check(before and bigger and bigger[2] - bigger[0] > before[2] - before[0], "+ enlarges")
    click(s, wid, 17, 155)  # -
    click(s, wid, 17, 155)
    smaller = scene_box(canvas(s, wid, "block-minus.png"))
    check(bigger and smaller and smaller[2] - smaller[0] < bigger[2] - bigger[0], "- shrinks")

    s.x("xdotool", "windowsize", wid, "900", "700")
    s.settle(2.0)
    resized = canvas(s, wid, "block-resized.png")
    check(resized.size[0] < first.size[0], "the window is smaller")
    check(scene_box(resized) is not None, "after a resize the mesh is drawn again")
    s.x("xdotool", "windowsize", wid, "1280", "1024")
    s.settle(2.0)

    open_with_chooser(s, wid, tardis)
    check(s.title(wid) == tardis, "the binary tardis names the window")
    fitted_and_centred(canvas(s, wid, "tardis.png"), "the tardis")

    open_with_chooser(s, wid, grid)
    check(s.title(wid) == grid, "the surface grid names the window")
    surface = canvas(s, wid, "grid.png")
    fitted_and_centred(surface, "the surface grid")
    hues = set(c for n, c in surface.getcolors(1 << 20) if n > 200)
    check(len(hues) >= 5, "the surface is coloured (%d colours)" % len(hues))

    for path, what in ((chemistry, "a chemistry SD file"), (cut, "a cut mesh")):
        open_with_chooser(s, wid, path)
        check(s.title(wid) == grid, what + " leaves the title")
        check(not changed(surface, canvas(s, wid, "after.png")), what + " leaves the picture")
    check(s.proc.poll() is None, "the program is still running")

if not os.environ.get("KEEP"):
    shutil.rmtree(work, ignore_errors=True)
else:
    print(work)
if failures:
    print("%d end-to-end check(s) failed" % len(failures))
    sys.exit(1)

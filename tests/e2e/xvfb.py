"""Runs the real program on a private Xvfb server and looks at its window (used by the checks,
and by bench/startup.py for the server)."""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

from PIL import Image, ImageChops

CANVAS_X, CANVAS_Y = 104, 24  # canvas pixel (0, 0) in the window

failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what)
    if not cond:
        failures.append(what)


def finish():
    """Ends the check script: status 1 when a check failed."""
    if failures:
        print("%d end-to-end check(s) failed" % len(failures))
        sys.exit(1)


def start_xvfb(screen):
    """A new Xvfb server with one screen of the given geometry; returns it and its display name."""
    rfd, wfd = os.pipe()
    # -displayfd lets the server pick a free display number and tell us. -noreset keeps the
    # server from restarting when the probe below hangs up, a window in which it refuses clients.
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(wfd), "-screen", "0", screen, "-nolisten", "tcp", "-noreset"],
        pass_fds=(wfd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(wfd)
    num = b""
    with os.fdopen(rfd, "rb") as f:
        while not num.endswith(b"\n"):
            ch = f.read(1)
            if not ch:
                break
            num += ch
    display = ":" + num.decode().strip()
    # The number comes when the server listens, but a program started at once has been seen to
    # find no display on a loaded machine: wait until a client gets in.
    env = dict(os.environ, DISPLAY=display)
    end = time.time() + 10
    while time.time() < end and xvfb.poll() is None:
        if subprocess.run(["xdpyinfo"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0:
            break
        time.sleep(0.1)
    return xvfb, display


class Session:
    """An Xvfb server plus one program on it.  Use as a context manager.  Screenshots taken by
    name go to the folder `shots`."""

    def __init__(self, program, args=(), screen="1280x1024x24", env=None, shots=None):
        self.program = program
        self.args = list(args)
        self.screen = screen
        self.extra_env = env or {}
        self.shots = shots
        self.xvfb = None
        self.proc = None
        self.display = None
        self.log = tempfile.TemporaryFile()

    def __enter__(self):
        self.xvfb, self.display = start_xvfb(self.screen)
        env = dict(os.environ, DISPLAY=self.display)
        env.update(self.extra_env)
        self.env = env
        self.proc = subprocess.Popen([self.program] + self.args, env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        return self

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if self.xvfb:
            self.xvfb.kill()
            self.xvfb.wait()
        return False

    def output(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def x(self, *cmd):
        return subprocess.run(list(cmd), env=self.env, capture_output=True, text=True)

    def wait_window(self, title="sun calculator", timeout=20):
        """Window id of the first window whose title is `title`, once it is mapped."""
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                raise RuntimeError("program ended early (%s):\n%s" % (self.proc.returncode, self.output()))
            r = self.x("xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title))
            ids = r.stdout.split()
            if ids:
                return ids[0]
            time.sleep(0.2)
        raise RuntimeError("no window titled %r within %ds:\n%s" % (title, timeout, self.output()))

    def title(self, wid):
        return self.x("xdotool", "getwindowname", wid).stdout.strip()

    def geometry(self, wid):
        out = self.x("xwininfo", "-id", wid).stdout
        w = int(re.search(r"Width:\s+(\d+)", out).group(1))
        h = int(re.search(r"Height:\s+(\d+)", out).group(1))
        return w, h

    def screenshot(self, wid, path):
        r = self.x("import", "-window", wid, path)
        if r.returncode != 0:
            raise RuntimeError("import failed: " + r.stderr)
        return path

    def picture(self, wid, name):
        """A screenshot of the window, saved as `name` in the shots folder, in RGB."""
        return Image.open(self.screenshot(wid, os.path.join(self.shots, name))).convert("RGB")

    def canvas(self, wid, name):
        """The canvas part of a screenshot of the window (saved whole as `name`)."""
        img = self.picture(wid, name)
        w, h = img.size
        return img.crop((CANVAS_X, CANVAS_Y, w - 4, h - 24))

    def key(self, wid, *keys):
        self.x("xdotool", "key", "--window", wid, *keys)

    def settle(self, seconds=1.0):
        time.sleep(seconds)


def open_with_chooser(s, wid, path, wait=2.0):
    """File > Open SRTM..., then the path typed into the chooser's location field; then `wait`
    seconds for the file to be shown."""
    s.x("xdotool", "mousemove", "--window", wid, "15", "10", "click", "1")
    s.settle(0.7)
    s.x("xdotool", "mousemove", "--window", wid, "40", "32", "click", "1")
    cw = s.wait_window(title="Choose file", timeout=10)
    s.settle(1.0)
    # a click on the empty file list gives the chooser the keyboard
    s.x("xdotool", "mousemove", "--window", cw, "450", "350", "click", "1")
    s.settle(0.5)
    s.x("xdotool", "type", "/")  # opens the location field
    s.settle(1.5)
    s.x("xdotool", "key", "ctrl+a")
    s.x("xdotool", "type", "--delay", "80", path)
    s.settle(1.0)
    s.x("xdotool", "key", "Return")
    s.settle(wait)


def click(s, wid, x, y, button=1):
    s.x("xdotool", "mousemove", "--window", wid, str(x), str(y), "click", str(button))
    s.settle(1.0)


def changed(a, b):
    """True when two pictures differ in size or in any pixel."""
    return a.size != b.size or ImageChops.difference(a, b).getbbox() is not None


def refusals_leave(s, wid, title, shown, cases):
    """Opens each (path, what) of `cases`, none of which may be shown: the title stays `title`,
    the canvas stays the picture `shown`, and the program keeps running."""
    for path, what in cases:
        open_with_chooser(s, wid, path, wait=2.5)
        check(s.title(wid) == title, what + " leaves the title")
        check(not changed(shown, s.canvas(wid, "after.png")), what + " leaves the picture")
    check(s.proc.poll() is None, "the program is still running")


def finish_in(work):
    """finish(), after removing the work folder unless KEEP is set (then its path is printed)."""
    if os.environ.get("KEEP"):
        print(work)
    else:
        shutil.rmtree(work, ignore_errors=True)
    finish()


# ---- 3D scenes (molecules, meshes, surface grids)

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


def check_navigation(s, wid, first, noun, prefix):
    """A drag, the right arrow button, + and - and a smaller window each give a new picture of the
    scene whose first picture is `first`; the window gets its size back.  Returns the picture
    after the drag."""
    s.x("xdotool", "mousemove", "--window", wid, "600", "400", "mousedown", "1")
    for k in range(1, 9):
        s.x("xdotool", "mousemove", "--window", wid, str(600 + 10 * k), str(400 + 12 * k))
        s.settle(0.1)
    s.x("xdotool", "mouseup", "1")
    s.settle(1.0)
    dragged = s.canvas(wid, prefix + "-drag.png")
    check(changed(first, dragged), "a drag turns the " + noun)

    click(s, wid, 87, 130)  # the right arrow
    turned = s.canvas(wid, prefix + "-arrow.png")
    check(changed(dragged, turned), "an arrow button turns the " + noun)

    before = scene_box(turned)
    click(s, wid, 17, 98)  # +
    bigger = scene_box(s.canvas(wid, prefix + "-plus.png"))
    check(before and bigger and bigger[2] - bigger[0] > before[2] - before[0], "+ enlarges")
    click(s, wid, 17, 155)  # -
    click(s, wid, 17, 155)
    smaller = scene_box(s.canvas(wid, prefix + "-minus.png"))
    check(bigger and smaller and smaller[2] - smaller[0] < bigger[2] - bigger[0], "- shrinks")

    s.x("xdotool", "windowsize", wid, "900", "700")
    s.settle(2.0)
    resized = s.canvas(wid, prefix + "-resized.png")
    check(resized.size[0] < first.size[0], "the window is smaller")
    check(scene_box(resized) is not None, "after a resize the %s is drawn again" % noun)
    s.x("xdotool", "windowsize", wid, "1280", "1024")
    s.settle(2.0)
    return dragged

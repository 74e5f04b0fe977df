"""The real program under Xvfb, at true colour and at 16 bits a pixel: the window's title, its size
(the canvas plus the 108 x 48 of panel, margins, menu and status bar), the tool panel looking the
same in a smaller and a larger window, Escape leaving it open, Ctrl+Q ending it with status 0, and
the canvas showing the globe, not the start-up gradient it had before (check_globe.py looks at the
globe's day and night)."""
import os
import sys
import tempfile

from PIL import Image, ImageChops

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import Session, check, finish  # noqa: E402

program = os.path.abspath(sys.argv[1])

# The panel's controls, from the view choice at the top to the brightness buttons (y 250..276).
PANEL = (0, 24, 100, 278)


def panel_stays(s, wid, shown):
    """Makes the window smaller and larger; the panel must look as `shown` (a crop of PANEL) each
    time, while the window takes the new size.  Ends at the window's first size."""
    first = s.geometry(wid)
    for w, h in ((908, 400), (1260, 1000), (400, 300), first):
        s.x("xdotool", "windowsize", wid, str(w), str(h))
        s.settle(1.5)
        check(s.geometry(wid) == (w, h), "the window takes the size %dx%d" % (w, h))
        path = os.path.join(tempfile.mkdtemp(), "panel.png")
        panel = Image.open(s.screenshot(wid, path)).convert("RGB").crop(PANEL)
        diff = ImageChops.difference(shown, panel).getbbox()
        check(diff is None, "at %dx%d the panel's controls keep their size and place (differs in %s)"
              % (w, h, diff))


def gradient(y, h):
    b = 0.1 * (1 - y / h)
    return (0.4 + b, 0.45 + b, 0.5 + b)


for screen, canvas, levels in (("1280x1024x24", (1000, 800), 256), ("1280x1024x16", (1000, 800), 32),
                               ("1024x768x24", (920, 684), 256), ("800x600x24", (800, 500), 256)):
    with Session(program, screen=screen) as s:
        wid = s.wait_window()
        s.settle(1.0)
        check(s.title(wid) == "sun calculator", "%s: title" % screen)
        w, h = s.geometry(wid)
        check((w, h) == (canvas[0] + 108, canvas[1] + 48), "%s: window %dx%d is canvas + 108 x 48" % (screen, w, h))
        path = os.path.join(tempfile.mkdtemp(), "shot.png")
        img = Image.open(s.screenshot(wid, path)).convert("RGB")
        cw, ch = canvas
        # the screenshot holds only what lies on the screen
        vis_w, vis_h = min(cw, img.size[0] - 104), min(ch, img.size[1] - 24)
        sea = far = n = 0
        for y in range(2, vis_h - 2, 7):
            want = gradient(y, ch)
            for x in range(2, vis_w - 2, 7):
                r, g, b = img.getpixel((104 + x, 24 + y))
                n += 1
                sea += b > 1.3 * max(r, g) + 4
                far += max(abs(r / 255.0 - want[0]), abs(g / 255.0 - want[1]), abs(b / 255.0 - want[2])) > 0.1
        check(sea > 0.2 * n and far > 0.5 * n,
              "%s: the canvas shows the globe (%d %% sea, %d %% unlike the gradient)"
              % (screen, 100 * sea // n, 100 * far // n))
        if levels == 32:
            # 5 bits of red a pixel: few levels, yet the globe's many colours use a good part of them
            reds = set()
            for y in range(2, vis_h - 2, 11):
                for x in range(2, vis_w - 2, 11):
                    reds.add(img.getpixel((104 + x, 24 + y))[0])
            check(8 < len(reds) <= 32, "%s: %d levels of red on the canvas" % (screen, len(reds)))
        check("X_" not in s.output(), "%s: the X server reports no error (%r)" % (screen, s.output().strip()[:200]))
        if screen == "1280x1024x24":
            panel_stays(s, wid, img.crop(PANEL))
            s.key(wid, "Escape")
            s.settle(0.5)
            check(s.proc.poll() is None, "Escape leaves the window open")
            s.key(wid, "ctrl+q")
            try:
                rc = s.proc.wait(timeout=5)
            except Exception:
                rc = None
            check(rc == 0, "Ctrl+Q ends the program with status 0 (got %r)" % rc)

# A screen narrower than the canvas: the quantiser's error rows must still fit the canvas. Run the
# sanitizer build when there is one, which would report the overrun.
asan = os.environ.get("SUNCALC_ASAN_PROGRAM")
small = os.path.abspath(asan) if asan and os.path.exists(asan) else program
with Session(small, screen="640x480x24", env={"ASAN_OPTIONS": "detect_leaks=0"}) as s:
    wid = s.wait_window()
    s.settle(1.5)
    out = s.output()
    check(s.proc.poll() is None and "Sanitizer" not in out,
          "640x480 screen: starts and runs cleanly (%s)" % os.path.basename(os.path.dirname(small)))

finish()

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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import (Session, changed, check, check_navigation, finish_in,  # noqa: E402
                  fitted_and_centred, open_with_chooser, refusals_leave)

program = os.path.abspath(sys.argv[1])


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

with Session(program, [], env=env, shots=work) as s:
    wid = s.wait_window()
    s.settle(1.0)

    open_with_chooser(s, wid, ubq, wait=2.5)
    check(s.title(wid) == ubq, "1ubq.pdb names the window")
    first = s.canvas(wid, "1ubq.png")
    fitted_and_centred(first, "1ubq")
    yellow, blue, red = colour_counts(first)
    check(yellow > 500, "the waters are yellow (%d pixels)" % yellow)
    check(blue > 2000 and red > 2000, "the protein runs from blue (%d pixels) to red (%d)" % (blue, red))

    open_with_chooser(s, wid, ubq_gz, wait=2.5)
    check(s.title(wid) == ubq_gz, "1ubq.pdb.gz names the window")
    check(not changed(first, s.canvas(wid, "1ubq-gz.png")), "the gzip copy shows the same picture")

    check_navigation(s, wid, first, "molecule", "1ubq")

    open_with_chooser(s, wid, nmr, wait=2.5)
    check(s.title(wid) == nmr, "1d3z.pdb names the window")
    models = s.canvas(wid, "1d3z.png")
    fitted_and_centred(models, "the ten models of 1d3z")

    refusals_leave(s, wid, nmr, models, ((note, "a text named .pdb"), (cut, "a cut gzip file"),
                                         (noise, "gzip of random bytes")))

finish_in(work)

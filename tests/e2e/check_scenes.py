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

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import (Session, check, check_navigation, finish_in,  # noqa: E402
                  fitted_and_centred, open_with_chooser, refusals_leave)

program = os.path.abspath(sys.argv[1])
source = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


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

with Session(program, [], env=env, shots=work) as s:
    wid = s.wait_window()
    s.settle(1.0)

    open_with_chooser(s, wid, block, wait=2.5)
    check(s.title(wid) == block, "block.stl names the window")
    first = s.canvas(wid, "block.png")
    fitted_and_centred(first, "block.stl")

    dragged = check_navigation(s, wid, first, "mesh", "block")
    faces = len(set(c for n, c in dragged.getcolors(1 << 20) if n > 2000))
    check(faces >= 3, "the turned block shows distinct faces (%d colours)" % faces)

    open_with_chooser(s, wid, tardis, wait=2.5)
    check(s.title(wid) == tardis, "the binary tardis names the window")
    fitted_and_centred(s.canvas(wid, "tardis.png"), "the tardis")

    open_with_chooser(s, wid, grid, wait=2.5)
    check(s.title(wid) == grid, "the surface grid names the window")
    surface = s.canvas(wid, "grid.png")
    fitted_and_centred(surface, "the surface grid")
    hues = set(c for n, c in surface.getcolors(1 << 20) if n > 200)
    check(len(hues) >= 5, "the surface is coloured (%d colours)" % len(hues))

    refusals_leave(s, wid, grid, surface, ((chemistry, "a chemistry SD file"), (cut, "a cut mesh")))

finish_in(work)

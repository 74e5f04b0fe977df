"""Opening files in the real program under Xvfb, as a new user would: a file on the command line
(a page, an empty file, a missing one), and "Open SRTM..." with its file chooser for a page, an
unknown binary file and an empty file; the view choice switched to "hex" and back. What the
canvas shows is read back from screenshots against the program's own font."""
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import CANVAS_X, CANVAS_Y, Session, check, finish_in, open_with_chooser  # noqa: E402

program = os.path.abspath(sys.argv[1])
font = open(os.path.join(os.path.dirname(program), "generated", "font.bin"), "rb").read()

def read_cell(img, col, row):
    """The character in text cell (col, row) of the canvas: black ink on a light background."""
    x0, y0 = CANVAS_X + 9 * col + 1, CANVAS_Y + 18 * row + 1
    ink = [[sum(img.getpixel((x0 + b, y0 + r))) < 200 for b in range(8)] for r in range(16)]
    if not any(any(r) for r in ink):
        return " "
    for c in range(33, 128):
        g = font[16 * c:16 * c + 16]
        if all(ink[r][b] == bool(g[r] >> b & 1) for r in range(16) for b in range(8)):
            return chr(c)
    return "?"


def read_row(img, row, n, col0=0):
    return "".join(read_cell(img, col0 + i, row) for i in range(n))


def dump_line(data, line):
    s = "%08x: " % line
    chars = ""
    for k in range(16):
        o = 16 * line + k
        s += "%02X" % data[o] if o < len(data) else "  "
        if k % 2 == 1 and k < 15:
            s += " "
        chars += chr(data[o]) if o < len(data) and 33 <= data[o] <= 126 else " "
    return s + "  " + chars


def pick_view(s, wid, steps):
    """Opens the view choice and moves the selection by `steps` items (negative: up)."""
    s.x("xdotool", "mousemove", "--window", wid, "48", "61", "click", "1")
    s.settle(0.7)
    for _ in range(abs(steps)):
        s.x("xdotool", "key", "Up" if steps < 0 else "Down")
        s.settle(0.1)
    s.x("xdotool", "key", "Return")
    s.settle(1.0)


def visible_windows(s):
    r = s.x("xdotool", "search", "--onlyvisible", "--name", "")
    return r.stdout.split()


work = tempfile.mkdtemp()
home = os.path.join(work, "home")
os.makedirs(os.path.join(home, ".local", "share"))
env = {"HOME": home}
page = os.path.join(work, "page.html")
page_lines = ["<html>", "<p>Hello, sun!</p>", "</html>"]
with open(page, "w") as f:
    f.write("\n".join(page_lines) + "\n")
blob = os.path.join(work, "blob.bin")
blob_data = bytes(range(0, 256, 7)) + b"Sun calculator\x00\xff"
with open(blob, "wb") as f:
    f.write(blob_data)
empty = os.path.join(work, "empty.html")
open(empty, "wb").close()
missing = os.path.join(work, "not-there.jpg")

# Command line: the file names the window, then the start-up goes on to the globe.
with Session(program, [page], env=env) as s:
    wid = s.wait_window(title=page)
    check(s.title(wid) == page, "command line: the page names the window")

with Session(program, [empty], env=env) as s:
    wid = s.wait_window(title="Preview")
    check(s.title(wid) == "Preview", "command line: an empty file gives the title Preview")

with Session(program, [missing], env=env) as s:
    wid = s.wait_window()
    s.settle(1.5)
    others = [w for w in visible_windows(s) if w != wid]
    check(len(others) >= 1, "command line: a missing file brings up a message box")
    check(s.title(wid) == "sun calculator", "command line: a missing file leaves the title")
    s.key(others[0] if others else wid, "Return")
    s.settle(1.0)
    check(s.proc.poll() is None, "the program runs on after the message")

# The menu's chooser: page, view choice to hex and back, unknown file, empty file.
with Session(program, [], env=env, shots=work) as s:
    wid = s.wait_window()
    s.settle(1.0)
    open_with_chooser(s, wid, page)
    check(s.title(wid) == page, "chooser: the page names the window")
    img = s.picture(wid, "page.png")
    for i, line in enumerate(page_lines):
        got = read_row(img, i, len(line) + 1)
        check(got == line + " ", "page row %d reads %r (got %r)" % (i, line, got))

    pick_view(s, wid, -3)  # "auto" -> "hex"
    img = s.picture(wid, "page-hex.png")
    with open(page, "rb") as f:
        page_data = f.read()
    got = read_row(img, 0, 67)
    check(got == "87654321  0011 2233 4455 6677 8899 aabb ccdd eeff  0123456789abcdef",
          "view choice hex: the header (got %r)" % got)
    got = read_row(img, 1, 67)
    check(got == dump_line(page_data, 0), "view choice hex: the first line (got %r)" % got)
    pick_view(s, wid, 3)  # "hex" -> "auto"
    img = s.picture(wid, "page-back.png")
    got = read_row(img, 1, len(page_lines[1]))
    check(got == page_lines[1], "view choice back to auto: the text again (got %r)" % got)

    open_with_chooser(s, wid, blob)
    check(s.title(wid) == blob, "chooser: the binary file names the window")
    img = s.picture(wid, "blob.png")
    lines = (len(blob_data) + 15) // 16
    for line in range(lines):
        got = read_row(img, line + 1, 67)
        check(got == dump_line(blob_data, line), "hex dump line %d (got %r)" % (line, got))
    check(read_row(img, lines + 1, 67).strip() == "", "hex dump ends after the file's last line")

    open_with_chooser(s, wid, empty)
    check(s.title(wid) == "Preview", "chooser: an empty file gives the title Preview")
    # "Open SRTM..." set the hex kind, and the empty file leaves it: its (empty) dump is shown
    img = s.picture(wid, "empty.png")
    got = read_row(img, 0, 8)
    check(got == "87654321", "an empty file over the hex kind: the header (got %r)" % got)
    check(read_row(img, 1, 67).strip() == "", "an empty file over the hex kind: no lines")
    check(s.proc.poll() is None, "the program is still running")

finish_in(work)

#!/usr/bin/python3
"""Start-up of the real program under Xvfb: the time from starting the process to its window on the
screen, and to the lit globe on the screen, found by polling the window's pixels. Beside it, in the
same series, Debian's xplanet drawing one 1000 x 800 day and night map with city lights.

usage: bench/startup.py build/sun-calculator [runs]
"""
import ctypes
import os
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "e2e"))
from xvfb import start_xvfb  # noqa: E402

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_ubyte)),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p), ("create_image", ctypes.c_void_p),
                ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p))]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", ctypes.c_ulong), ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
                ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
                ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("screen", ctypes.c_void_p)]


x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                           ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(XWindowAttributes)]
x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                          ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]

# A window that goes away between two requests is no reason to stop.
IGNORE_ERRORS = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
IS_VIEWABLE, ALL_PLANES, Z_PIXMAP = 2, 0xFFFFFFFF, 2


def find_window(dpy, title):
    root = x11.XDefaultRootWindow(dpy)
    r, p, n = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_uint()
    kids = ctypes.POINTER(ctypes.c_ulong)()
    if not x11.XQueryTree(dpy, root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(kids), ctypes.byref(n)):
        return 0
    found = 0
    for i in range(n.value):
        name = ctypes.c_char_p()
        if x11.XFetchName(dpy, kids[i], ctypes.byref(name)) and name.value:
            if name.value == title:
                found = kids[i]
            x11.XFree(name)
        if found:
            break
    if kids:
        x11.XFree(kids)
    return found


def viewable(dpy, win):
    a = XWindowAttributes()
    return x11.XGetWindowAttributes(dpy, win, ctypes.byref(a)) and a.map_state == IS_VIEWABLE


def shows_lit_globe(dpy, win):
    """True when sampled rows of the canvas show the globe, not an empty window or the start-up
    gradient: blue sea on a good part of them, and most of them far from the gradient's colours
    (the check of tests/e2e/check_startup.py)."""
    sea = far = n = 0
    for y in range(60, 760, 100):
        img = x11.XGetImage(dpy, win, 104, 24 + y, 1000, 1, ALL_PLANES, Z_PIXMAP)
        if not img:
            return False
        im = img.contents
        row = ctypes.string_at(im.data, im.bytes_per_line)
        g0 = 0.1 * (1 - y / 800.0)
        want = (0.4 + g0, 0.45 + g0, 0.5 + g0)
        for x in range(0, 1000, 10):
            b, g, r = row[4 * x], row[4 * x + 1], row[4 * x + 2]
            n += 1
            sea += b > 1.3 * max(r, g) + 4
            far += max(abs(r / 255.0 - want[0]), abs(g / 255.0 - want[1]), abs(b / 255.0 - want[2])) > 0.1
        im.destroy_image(img)
    return sea > 0.2 * n and far > 0.5 * n


def start_once(program, dpy, env):
    t0 = time.monotonic()
    proc = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = globe = None
    win = 0
    try:
        while time.monotonic() - t0 < 20 and proc.poll() is None:
            if not win:
                win = find_window(dpy, b"sun calculator")
            if win and mapped is None and viewable(dpy, win):
                mapped = time.monotonic() - t0
            if mapped is not None and shows_lit_globe(dpy, win):
                globe = time.monotonic() - t0
                break
            time.sleep(0.001)
    finally:
        proc.kill()
        proc.wait()
        x11.XSync(dpy, 0)
    return mapped, globe


def xplanet_once(folder):
    conf, out = os.path.join(folder, "xplanet.conf"), os.path.join(folder, "map.png")
    with open(conf, "w") as f:
        f.write("[default]\nshade=30\n[earth]\n\"Earth\"\nmap=earth.jpg\nnight_map=night.jpg\n")
    t0 = time.monotonic()
    r = subprocess.run(["xplanet", "-config", conf, "-projection", "rectangular", "-num_times", "1",
                        "-geometry", "1000x800", "-date", "20260621.100000", "-output", out],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return time.monotonic() - t0 if r.returncode == 0 else None


def main():
    program = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 9
    xvfb, display = start_xvfb("1280x1024x24")
    try:
        env = dict(os.environ, DISPLAY=display)
        dpy = x11.XOpenDisplay(display.encode())
        if not dpy:
            sys.exit("cannot open the Xvfb display")
        x11.XSetErrorHandler(IGNORE_ERRORS)
        mapped, globe, peer = [], [], []
        with tempfile.TemporaryDirectory() as folder:
            start_once(program, dpy, env)  # warm-up: the program and its libraries in the page cache
            xplanet_once(folder)
            for _ in range(runs):
                m, g = start_once(program, dpy, env)
                if m is not None:
                    mapped.append(m)
                if g is not None:
                    globe.append(g)
                p = xplanet_once(folder)
                if p is not None:
                    peer.append(p)
        if not globe:
            sys.exit("the lit globe never appeared")
        ms = lambda v: "%.0f ms" % (1000 * statistics.median(v)) if v else "n/a"
        print("start to the window on screen (median of %d): %s" % (len(mapped), ms(mapped)))
        print("start to the lit globe on screen (median of %d): %s  [min %.0f, max %.0f]"
              % (len(globe), ms(globe), 1000 * min(globe), 1000 * max(globe)))
        print("peer, xplanet drawing one 1000 x 800 map with city lights (median of %d): %s" % (len(peer), ms(peer)))
    finally:
        xvfb.kill()
        xvfb.wait()


if __name__ == "__main__":
    main()

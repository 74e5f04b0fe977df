"""Runs the viewer under Xvfb for a few seconds and saves a screenshot of its window."""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xvfb import Session  # noqa: E402

ap = argparse.ArgumentParser()
ap.add_argument("--seconds", type=float, default=6)
ap.add_argument("--out", required=True)
ap.add_argument("cmd", nargs="+")
a = ap.parse_args()
with Session(a.cmd[0], a.cmd[1:]) as s:
    wid = s.wait_window()
    s.settle(a.seconds)
    s.screenshot(wid, a.out)

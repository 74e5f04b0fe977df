#!/usr/bin/python3
"""Reference escape values of z -> z^2 + c from z = 0, computed with numpy, for the Mandelbrot tests.

usage: mandelbrot_reference.py W H ZOOM DX DY
    For the W x H view (real part j ZOOM / W - DX with j from -floor(2 W / 3), imaginary part
    (H - 1 - i) ZOOM / W - DY on row i): one line per pixel whose escape step is the same for c
    and for c moved by 1e-9 along either axis, "i j s r g b", where s is the smooth escape value
    (escape step k, from 0, less 1 - exp(-0.05 (|z|^2 - 100) / 100), over 500; 501 / 500 when
    |z|^2 stays within 100 for 501 steps) and r g b its colour (black in the set and for
    s > 0.99999, else exp(-15 s), 1 - exp(-s), exp(-5 s)).
"""
import sys

import numpy as np

STEPS = 501
BOUND = 100.0


def escape(c):
    """Escape step (STEPS when none) and |z|^2 at that step, elementwise."""
    z = np.zeros_like(c)
    k = np.full(c.shape, STEPS, dtype=np.int64)
    m = np.zeros(c.shape)
    live = np.ones(c.shape, dtype=bool)
    for step in range(STEPS):
        z[live] = z[live] * z[live] + c[live]
        mag = z.real ** 2 + z.imag ** 2
        out = live & (mag > BOUND)
        k[out] = step
        m[out] = mag[out]
        live &= ~out
        if not live.any():
            break
    return k, m


def main():
    w, h = int(sys.argv[1]), int(sys.argv[2])
    zoom, dx, dy = float(sys.argv[3]), float(sys.argv[4]), float(sys.argv[5])
    left = (2 * w) // 3
    j = np.arange(-left, w - left)
    i = np.arange(h)
    re = j * zoom / w - dx
    im = (h - 1 - i) * zoom / w - dy
    c = re[None, :] + 1j * im[:, None]
    k, m = escape(c)
    stable = np.ones(c.shape, dtype=bool)
    for d in (1e-9, -1e-9, 1e-9j, -1e-9j):
        stable &= escape(c + d)[0] == k
    d = np.where(k < STEPS, m - BOUND, 0.0)
    s = (k - (1 - np.exp(-0.05 * d / 100))) / 500
    black = (k >= STEPS) | (s.astype(np.float32) > np.float32(0.99999))
    r = np.where(black, 0, np.exp(-15 * s))
    g = np.where(black, 0, 1 - np.exp(-s))
    b = np.where(black, 0, np.exp(-5 * s))
    out = []
    for y, x in zip(*np.nonzero(stable)):
        out.append("%d %d %.17g %.9g %.9g %.9g" % (y, x, s[y, x], r[y, x], g[y, x], b[y, x]))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()

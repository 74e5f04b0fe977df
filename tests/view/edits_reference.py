#!/usr/bin/python3
"""The image edits computed with numpy in single precision, for the edit tests.

usage: edits_reference.py FILE W H OP
    FILE holds a W x H picture as float32 RGBA, rows top first. OP is one of mirror_vert,
    mirror_hor, gamma1, gamma0, smooth, half, invert, bw. Prints the edited picture, one pixel a
    line (red green blue alpha), rows top first; its size is W x H except for half.
"""
import sys

import numpy as np

f32 = np.float32


def srgb_to_linear(v):
    with np.errstate(divide="ignore", invalid="ignore"):
        curve = np.exp(np.log((v + f32(0.055)) / f32(1.055)) * f32(2.4))
    return np.where(v <= f32(0.03928), v / f32(12.92), curve).astype(f32)


def linear_to_srgb(m):
    with np.errstate(divide="ignore", invalid="ignore"):
        curve = f32(1.055) * np.exp(np.log(m) / f32(2.4)) - f32(0.055)
    return np.where(m <= f32(0.0031308), m * f32(12.92), curve).astype(f32)


def edit(p, op):
    rgb = p[:, :, :3]
    if op == "mirror_vert":
        p[:, :, :3] = rgb[:, ::-1, :]
    elif op == "mirror_hor":
        p[:, :, :3] = rgb[::-1, :, :]
    elif op in ("gamma1", "gamma0"):
        p[:, :, :3] = np.power(rgb, f32(1.1) if op == "gamma1" else f32(0.9))
    elif op == "invert":
        d = (f32(1) - rgb * rgb).astype(f32)
        with np.errstate(invalid="ignore"):
            p[:, :, :3] = np.where(d > 0, np.sqrt(d), d)
    elif op == "bw":
        r, g, b = (rgb[:, :, k].astype(np.float64) for k in range(3))
        d = (0.22 * r * r + 0.7 * g * g + 0.08 * b * b).astype(f32)
        with np.errstate(invalid="ignore"):
            d = np.where(d > 0, np.sqrt(d), d)
        for k in range(3):
            p[:, :, k] = d
    elif op == "smooth":
        h, w, _ = p.shape
        weights = np.array([[1, 2, 1], [2, 4, 2], [1, 2, 1]], dtype=f32)
        sq = np.zeros((h + 2, w + 2, 4), dtype=f32)
        sq[1:-1, 1:-1] = p * p
        inside = np.zeros((h + 2, w + 2), dtype=f32)
        inside[1:-1, 1:-1] = 1
        total = np.zeros((h, w, 4), dtype=f32)
        count = np.zeros((h, w), dtype=f32)
        for dy in range(3):
            for dx in range(3):
                total += weights[dy, dx] * sq[dy:dy + h, dx:dx + w]
                count += weights[dy, dx] * inside[dy:dy + h, dx:dx + w]
        p = np.sqrt(total / count[:, :, None]).astype(f32)
    elif op == "half":
        h, w = p.shape[0] // 2, p.shape[1] // 2
        lin = srgb_to_linear(p[: 2 * h, : 2 * w])
        m = (lin[0::2, 0::2] + lin[0::2, 1::2] + lin[1::2, 0::2] + lin[1::2, 1::2]) * f32(0.25)
        p = linear_to_srgb(m.astype(f32))
    else:
        raise SystemExit("unknown edit " + op)
    return p


def main():
    path, w, h, op = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    p = np.fromfile(path, dtype=f32).reshape(h, w, 4).copy()
    out = edit(p, op)
    for row in out.reshape(-1, 4):
        print(" ".join("%.9g" % v for v in row))


if __name__ == "__main__":
    main()

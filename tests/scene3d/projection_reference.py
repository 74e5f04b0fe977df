#!/usr/bin/python3
"""Silhouettes of a 3D scene in the renderer's supersampled frame, made with numpy and Pillow
from the rotation and perspective formulas alone (no rasteriser of ours involved).

usage: projection_reference.py SCENE MASK
SCENE is a text file. Its first line is the camera:
    rot_x rot_y rot_z camera_pos clip new_magn cx cy width height
(degrees; the picture centre cx, cy and the frame size in cells). Then one primitive a line:
    S x y z R                  a sphere
    P n x1 y1 z1 ... xn yn zn  a polygon
MASK gets a binary PGM of width x height cells, 255 where a primitive is seen, rows as the frame's
cell rows (row 0 first).

A point (X, Y, Z) is turned about z by rot_z, then about x by rot_x, then about the depth axis by
rot_y; it lies at distance depth - camera_pos and is seen at (cx + x s, cy + y s) with
s = new_magn / distance. A sphere is the disc of radius R s around its centre; one whose centre
is nearer than the clip plane shows its cut face, the disc of radius sqrt(R^2 - e^2) in that plane
(e its centre's distance behind the plane, negative). Polygons with a corner nearer than the clip
plane are not seen.
"""
import sys

import numpy as np
from PIL import Image, ImageDraw


def rotate(points, rx, ry, rz):
    X, Y, Z = points[:, 0], points[:, 1], points[:, 2]
    a, b, g = np.radians([rx, ry, rz])
    x1 = X * np.cos(g) + Y * np.sin(g)
    y1 = Y * np.cos(g) - X * np.sin(g)
    depth = y1 * np.cos(a) - Z * np.sin(a)
    z2 = y1 * np.sin(a) + Z * np.cos(a)
    x = x1 * np.cos(b) + z2 * np.sin(b)
    y = z2 * np.cos(b) - x1 * np.sin(b)
    return x, y, depth


def main():
    scene, out = sys.argv[1], sys.argv[2]
    with open(scene) as f:
        lines = [l.split() for l in f if l.strip()]
    rx, ry, rz, cam, clip, magn, cx, cy = map(float, lines[0][:8])
    width, height = int(lines[0][8]), int(lines[0][9])
    img = Image.new("L", (width, height), 0)
    draw = ImageDraw.Draw(img)
    for fields in lines[1:]:
        if fields[0] == "S":
            x0, y0, z0, R = map(float, fields[1:5])
            x, y, depth = rotate(np.array([[x0, y0, z0]]), rx, ry, rz)
            dist = depth[0] - cam
            if dist + R < clip:
                continue
            if dist >= clip:
                s = magn / dist
                r = R * s
            else:
                s = magn / clip
                e = dist - clip
                r = np.sqrt(max(0.0, R * R - e * e)) * s
            px, py = cx + x[0] * s, cy + y[0] * s
            draw.ellipse([px - r, py - r, px + r, py + r], fill=255)
        elif fields[0] == "P":
            n = int(fields[1])
            pts = np.array(list(map(float, fields[2:2 + 3 * n]))).reshape(n, 3)
            x, y, depth = rotate(pts, rx, ry, rz)
            dist = depth - cam
            if np.any(dist < clip):
                continue
            s = magn / dist
            draw.polygon(list(zip(cx + x * s, cy + y * s)), fill=255)
    img.save(out)


main()

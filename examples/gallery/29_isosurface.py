"""Isosurfaces in the depth buffer

Three overlapping balls, each the isosurface of its own distance field on a
40 x 40 x 40 grid, drawn by suriso through the depth buffer, with a rod
drawn by zbflin through them: where the balls cut each other the nearer
surface wins pixel by pixel. The depth buffer needs a raster format (PNG,
screens); PDF, SVG and WMF show the balls as wire frames.
"""
import math

import numpy as np

import kalvor as k

BALLS = [((-0.35, -0.2, 0.0), 0.55, "RED"), ((0.3, -0.1, 0.15), 0.45, "BLUE"),
         ((0.0, 0.35, -0.2), 0.5, "GREEN")]


def wire_frame(centre, radius):
    """Parallels and meridians of a ball as 3-D curves."""
    t = [2 * math.pi * i / 72 for i in range(73)]
    for lat in range(-75, 76, 15):
        r, h = radius * math.cos(math.radians(lat)), radius * math.sin(math.radians(lat))
        k.curv3d([centre[0] + r * math.cos(a) for a in t], [centre[1] + r * math.sin(a) for a in t],
                 [centre[2] + h] * len(t), len(t))
    for lon in range(0, 180, 15):
        c, s = math.cos(math.radians(lon)), math.sin(math.radians(lon))
        k.curv3d([centre[0] + radius * math.cos(a) * c for a in t], [centre[1] + radius * math.cos(a) * s for a in t],
                 [centre[2] + radius * math.sin(a) for a in t], len(t))


def draw():
    raster = k.getmfl().strip() in ("PNG", "TIFF", "PPM", "BMP", "GIF", "IMAG", "VIRT")
    k.axspos(700, 1900)
    k.axslen(1600, 1600)
    k.name("X-axis", "X")
    k.name("Y-axis", "Y")
    k.name("Z-axis", "Z")
    k.labdig(1, "XYZ")
    k.view3d(-35, 25, 7, "ANGL")
    k.titlin("Isosurfaces through the depth buffer", 4)

    k.graf3d(-1.0, 1.0, -1.0, 0.5, -1.0, 1.0, -1.0, 0.5, -1.0, 1.0, -1.0, 0.5)
    k.box3d()
    k.grid3d(1, 1, "BACK")
    g = np.linspace(-1, 1, 40)
    X, Y, Z = np.meshgrid(g, g, g, indexing="ij")   # w[i][j][k] belongs to (x[i], y[j], z[k])
    if raster:
        k.light("ON")   # the balls lit along their gradients, from above the view point
        k.litpos(1, -55, 45, 7, "ANGL")
        k.litmod(2, "ON")
        k.litpos(2, 10, 5, 7, "ANGL")
        k.litopt(2, 0.4, "DIFF")
        k.zbfini()
    for (cx, cy, cz), radius, colour in BALLS:
        k.color(colour)
        if raster:
            w = np.sqrt((X - cx) ** 2 + (Y - cy) ** 2 + (Z - cz) ** 2)
            k.suriso(g, 40, g, 40, g, 40, w, radius)
        else:
            wire_frame((cx, cy, cz), radius)
    k.color("MAGENTA")
    if raster:
        k.zbflin(-1.0, -1.0, -0.8, 1.0, 1.0, 0.8)
        k.zbffin()
    else:
        k.curv3d([-1.0, 1.0], [-1.0, 1.0], [-0.8, 0.8], 2)
    k.color("FORE")
    k.title()
    k.endgrf()

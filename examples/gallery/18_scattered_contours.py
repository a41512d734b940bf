"""Contours of scattered data

triang joins 1,500 scattered points into Delaunay triangles; confll fills the
areas between levels on them, contri draws the level lines, and the
triangles themselves show as thin grey lines.
"""
import math
import random

import kalvor as k

N = 1500


def draw():
    rng = random.Random(4)
    x = [rng.uniform(-2.0, 2.0) for _ in range(N)]
    y = [rng.uniform(-2.0, 2.0) for _ in range(N)]
    z = [xi * math.exp(-xi * xi - yi * yi) for xi, yi in zip(x, y)]
    nmax = 2 * N + 1
    i1, i2, i3 = [0] * nmax, [0] * nmax, [0] * nmax
    ntri = k.triang(x + [0.0] * 3, y + [0.0] * 3, N, i1, i2, i3, nmax)
    levels = [-0.44 + 0.08 * i for i in range(12)]

    k.axspos(450, 1800)
    k.axslen(1400, 1400)
    k.name("x", "X")
    k.name("y", "Y")
    k.labdig(1, "XY")
    k.titlin("Scattered data: triang, confll and contri", 2)
    k.graf(-2.0, 2.0, -2.0, 1.0, -2.0, 2.0, -2.0, 1.0)
    k.title()
    k.shdmod("MIDD", "COLOR")
    k.confll(x, y, z, N, i1, i2, i3, ntri, levels, len(levels))
    k.setrgb(0.75, 0.75, 0.75)
    for t in range(0, ntri):
        v = [i1[t] - 1, i2[t] - 1, i3[t] - 1, i1[t] - 1]
        k.curve([x[p] for p in v], [y[p] for p in v], 4)
    k.color("FORE")
    k.labels("FLOA", "CON")
    k.labdig(2, "CON")
    k.height(25)
    for level in levels:
        k.contri(x, y, z, N, i1, i2, i3, ntri, level)
    k.endgrf()

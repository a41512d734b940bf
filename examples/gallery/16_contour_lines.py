"""Contour lines

Two Gaussian hills, one positive and one negative, on a 121 x 101 grid:
contur draws one level per call, here in the colours of the colour scale;
labels('FLOA', 'CON') writes each level into gaps of its lines.
"""
import math

import kalvor as k

N, M = 121, 101


def surface():
    x = [-3.0 + 6.0 * i / (N - 1) for i in range(N)]
    y = [-2.0 + 4.0 * j / (M - 1) for j in range(M)]
    z = [[2.0 * (math.exp(-xi * xi - yj * yj) - math.exp(-(xi - 1) ** 2 - (yj - 1) ** 2)) for yj in y]
         for xi in x]
    return x, y, z


def draw():
    x, y, z = surface()
    k.axspos(450, 1800)
    k.axslen(2100, 1400)
    k.name("x", "X")
    k.name("y", "Y")
    k.labdig(1, "XY")
    k.titlin("Contour lines with labels", 2)
    k.graf(-3.0, 3.0, -3.0, 1.0, -2.0, 2.0, -2.0, 1.0)
    k.title()
    k.labels("FLOA", "CON")
    k.labdig(2, "CON")
    k.height(30)
    levels = [-1.5 + 0.25 * i for i in range(13)]
    for level in levels:
        if level == 0:
            k.color("FORE")
        else:
            k.setclr(k.intrgb(0.8, 0.2, 0.1) if level > 0 else k.intrgb(0.1, 0.3, 0.8))
        k.thkcrv(3 if level == 0 else 1)
        k.contur(x, N, y, M, z, level)
    k.thkcrv(1)
    k.color("FORE")
    k.endgrf()
